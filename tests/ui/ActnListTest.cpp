#include "platform/ui/ActnList.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WinApi.h"

#include <gtest/gtest.h>

namespace {
class TRecordingLink : public TActionLink {
    KVT_CLASS(TRecordingLink, TActionLink)
public:
    using TActionLink::TActionLink;
    bool Enabled = true;
    String Hint;
    void SetEnabled(bool v) override { Enabled = v; }
    void SetHint(const String& v) override { Hint = v; }
};
} // namespace

TEST(Actions, PropertyChangesReachEveryLink) {
    TCustomAction action(nullptr);
    TRecordingLink a(nullptr), b(nullptr);
    a.SetAction(&action);
    b.SetAction(&action);
    int changes = 0;
    a.OnChange = TNotifyEvent::Callable([&](TObject*) { ++changes; });
    action.SetEnabled(false);
    action.SetHint(QStringLiteral("hint"));
    action.SetHint(QStringLiteral("hint")); // unchanged: nothing pushed
    EXPECT_FALSE(a.Enabled);
    EXPECT_FALSE(b.Enabled);
    EXPECT_EQ(b.Hint, QStringLiteral("hint"));
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(a.IsEnabledLinked());
}

TEST(MessageQueue, PeekingLeavesPostedMessagesWaiting) {
    TForm form(nullptr);
    form.HandleNeeded();
    PostMessage(form.Handle(), WM_USER + 7, 1, 2);
    MSG m;
    // Two looks without removing: the message is still there for the second one.
    EXPECT_TRUE(PeekMessage(&m, form.Handle(), WM_USER + 7, WM_USER + 7, PM_NOREMOVE));
    EXPECT_TRUE(PeekMessage(&m, form.Handle(), WM_USER + 7, WM_USER + 7, PM_NOREMOVE));
    EXPECT_TRUE(PeekMessage(&m, form.Handle(), WM_USER + 7, WM_USER + 7, PM_REMOVE));
    EXPECT_EQ(m.wParam, WPARAM(1));
    EXPECT_FALSE(PeekMessage(&m, form.Handle(), WM_USER + 7, WM_USER + 7, PM_NOREMOVE));
}
