// File dialogs (filters, extension completion, overwrite and must-exist checks) and input boxes
// through their test hooks.

#include "UiTestUtil.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct DialogHooks : ::testing::Test {
    QTemporaryDir Dir;
    std::vector<QString> Boxes;
    int BoxAnswer = IDYES;
    void SetUp() override {
        SetMessageBoxHook([this](const String& t, const String&, UINT) {
            Boxes.push_back(t);
            return BoxAnswer;
        });
    }
    void TearDown() override {
        SetMessageBoxHook(nullptr);
        SetFileDialogHook(nullptr);
        SetInputQueryHook(nullptr);
    }
    QString Path(const QString& n) { return Dir.filePath(n); }
};

using FileDialogTest = DialogHooks;

TEST_F(FileDialogTest, ANameWithoutExtensionGetsTheChosenFiltersExtension) {
    TSaveDialog d(nullptr);
    d.SetFilter(QStringLiteral("Settings|*.ini|Text|*.txt;*.log|All|*.*"));
    d.SetDefaultExt(QStringLiteral("cfg"));
    struct Case {
        QString typed;
        int filter;
        QString expected;
    };
    for (const Case& c : {Case{QStringLiteral("a"), 1, QStringLiteral("a.ini")},
                          Case{QStringLiteral("b"), 2, QStringLiteral("b.txt")},
                          Case{QStringLiteral("c"), 3, QStringLiteral("c.cfg")},
                          Case{QStringLiteral("d.dat"), 1, QStringLiteral("d.dat")}}) {
        SetFileDialogHook([&](TOpenDialog*, bool save, String& name, int& fi) {
            EXPECT_TRUE(save);
            name = Path(c.typed);
            fi = c.filter;
            return true;
        });
        ASSERT_TRUE(d.Execute());
        EXPECT_EQ(d.FileName(), Path(c.expected));
        EXPECT_EQ(d.FilterIndex(), c.filter);
    }
}

TEST_F(FileDialogTest, OverwritePromptAnsweredNoKeepsTheDialogOpen) {
    QFile f(Path(QStringLiteral("exists.txt")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    TSaveDialog d(nullptr);
    d.SetFilter(QStringLiteral("Text|*.txt"));
    d.SetOptions({ofOverwritePrompt});
    int asked = 0;
    SetFileDialogHook([&](TOpenDialog*, bool, String& name, int&) {
        ++asked;
        name = asked == 1 ? Path(QStringLiteral("exists")) : Path(QStringLiteral("new"));
        return true;
    });
    BoxAnswer = IDNO;
    ASSERT_TRUE(d.Execute());
    EXPECT_EQ(asked, 2);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_TRUE(Boxes[0].contains(QStringLiteral("already exists")));
    EXPECT_EQ(d.FileName(), Path(QStringLiteral("new.txt")));
}

TEST_F(FileDialogTest, FileMustExistRefusesAMissingFileAndCancelKeepsTheOldName) {
    TOpenDialog d(nullptr);
    d.SetOptions({ofFileMustExist});
    d.SetFileName(QStringLiteral("old"));
    SetFileDialogHook([&](TOpenDialog*, bool save, String& name, int&) {
        EXPECT_FALSE(save);
        if (name == Path(QStringLiteral("missing.bin"))) return false; // the user gives up
        name = Path(QStringLiteral("missing.bin"));
        return true;
    });
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(d.FileName(), QStringLiteral("old"));
}

TEST_F(FileDialogTest, InputBoxReturnsTheDefaultOnCancel) {
    SetInputQueryHook([](const String&, const String& prompt, String& v) {
        if (prompt == QStringLiteral("cancel")) return false;
        v = QStringLiteral("typed");
        return true;
    });
    EXPECT_EQ(InputBox(QStringLiteral("c"), QStringLiteral("ok"), QStringLiteral("def")),
              QStringLiteral("typed"));
    EXPECT_EQ(InputBox(QStringLiteral("c"), QStringLiteral("cancel"), QStringLiteral("def")),
              QStringLiteral("def"));
    BoxAnswer = IDNO;
    EXPECT_EQ(MessageDlg(QStringLiteral("q"), mtConfirmation, mbYesNo), mrNo);
}

} // namespace
