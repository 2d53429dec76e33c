#include "platform/classes/ComponentStreams.h"

#include <gtest/gtest.h>

// A component with a string-list property, stored through the list's defined "Strings" data.
class TSsHolder : public TComponent {
    KVT_CLASS(TSsHolder, TComponent)
public:
    explicit TSsHolder(TComponent* AOwner) : TComponent(AOwner) {}
    TStringList* Lines() const { return FLines.get(); }
    void SetLines(TStringList* Value) { FLines->Assign(Value); }

private:
    std::unique_ptr<TStringList> FLines = std::make_unique<TStringList>();
};

KVT_PUBLISHED(TSsHolder) {
    P.Prop("Lines", &TSsHolder::Lines, &TSsHolder::SetLines);
}

namespace {

String StreamText(TComponent* c) {
    TMemoryStream bin, text;
    WriteComponent(&bin, c);
    bin.SetPosition(0);
    ObjectBinaryToText(&bin, &text);
    return QString::fromUtf8(static_cast<const char*>(text.Memory()), int(text.Size()));
}

TEST(StringsStream, LinesRoundTripAndEmptyListsAreNotWritten) {
    RegisterComponentClass<TSsHolder>();
    TSsHolder src(nullptr);
    src.SetName(QStringLiteral("Holder"));
    EXPECT_FALSE(StreamText(&src).contains(QStringLiteral("Lines.Strings")));

    src.Lines()->Add(QStringLiteral("SELECT * FROM t"));
    src.Lines()->Add(QStringLiteral("WHERE name = 'Иван'"));
    src.Lines()->Add(QString());
    EXPECT_TRUE(StreamText(&src).contains(QStringLiteral("Lines.Strings = (")));

    TMemoryStream ms;
    WriteComponent(&ms, &src);
    ms.SetPosition(0);
    TSsHolder dst(nullptr);
    dst.Lines()->Add(QStringLiteral("old line"));
    ReadComponent(&ms, &dst);
    ASSERT_EQ(dst.Lines()->Count(), 3);
    EXPECT_EQ(dst.Lines()->Strings(1), QStringLiteral("WHERE name = 'Иван'"));
    EXPECT_EQ(dst.Lines()->Strings(2), QString());
}

} // namespace
