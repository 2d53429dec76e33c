// The interface page's events grid end to end: read from the simulated device, numbered and
// described rows, the six buttons with the event editor and the renumbering of references,
// write and read back, and a settings file with events.

#include "AppFixture.h"
#include "dbgrid/FindDialogProbe.h"

#include "events/EventEditUnit.h"
#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhFindDlg.h"
#include "lib/tools/DBCtrlsEh.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QDir>
#include <QFile>
#include <QWidget>

namespace {

// Event pairs: "go to event n" (kind 1, bit 7), "lock event n" (kind 6 with bit 7), "unlock
// event n" (kind 6), and a plain action that names no event.
std::array<uint8_t, 2> GoTo(int event) {
    return {uint8_t(0x08 | 1), uint8_t(0x80 | (event - 1))};
}
std::array<uint8_t, 2> Lock(int event) {
    return {uint8_t(0x10 | 6), uint8_t(0x80 | (event - 1))};
}
std::array<uint8_t, 2> Unlock(int event) {
    return {uint8_t(0x10 | 6), uint8_t(event - 1)};
}
std::array<uint8_t, 2> Plain(int b2) {
    return {uint8_t(0x18 | 2), uint8_t(b2)};
}
EventRow Row(const std::array<uint8_t, 2>& e) {
    return {e[0], e[1]};
}

} // namespace

class EventsPageTest : public AppTest {
protected:
    TMemTableEh* Table() { return form->ControlEventsMemTableEh; }
    TDBGridEh* Grid() { return form->ControlEventsDBGridEh; }
    // Loads rows into the table as a device read does.
    void Load(const std::vector<std::array<uint8_t, 2>>& rows) {
        Table()->DisableControls();
        while (!Table()->IsEmpty())
            Table()->Delete();
        Table()->EnableControls();
        for (const auto& r : rows)
            AppendControlEvent(Table(), r[0], r[1]);
        Table()->First();
        form->ControlEventsMemTableEhCheckUpDownDel(Table());
    }
    std::vector<EventRow> Rows(const std::vector<std::array<uint8_t, 2>>& rows) {
        std::vector<EventRow> r;
        for (const auto& e : rows)
            r.push_back(Row(e));
        return r;
    }
    // The editor "returns" this pair with OK (or Cancel when Ok is false).
    void EditorAnswers(std::array<uint8_t, 2> e, bool Ok = true) {
        form->ShowModalFn = [this, e, Ok](TCustomForm* f) {
            auto* ed = dynamic_cast<TEventEditForm*>(f);
            EXPECT_NE(ed, nullptr);
            if (!Ok || !ed) return int(mrCancel);
            shownEvent = {ed->bt1(), ed->bt2()};
            ed->SetEvent(e[0], e[1]);
            return int(mrOk);
        };
    }
    std::array<uint8_t, 2> shownEvent{};
    bool Buttons(bool up, bool edit, bool add, bool del, bool clear, bool down) {
        return form->UpControlEventSpeedButton->Enabled() == up &&
               form->EditControlEventSpeedButton->Enabled() == edit &&
               form->AddControlEventSpeedButton->Enabled() == add &&
               form->DeleteControlEventSpeedButton->Enabled() == del &&
               form->ClearControlEventSpeedButton->Enabled() == clear &&
               form->DownControlEventSpeedButton->Enabled() == down;
    }
};

TEST_F(EventsPageTest, GridLayoutColumnsAndOptions) {
    TDBGridEh* g = Grid();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->Name(), "ControlEventsDBGridEh");
    EXPECT_EQ(g->Parent(), form->ControlEventsPanel);
    EXPECT_EQ(g->Width(), 699);
    EXPECT_EQ(g->Align(), alLeft);
    EXPECT_EQ(form->ControlEventsPanel->Height(), 270);
    EXPECT_EQ(g->DataSource(), form->ControlEventsDataSource);
    EXPECT_TRUE(g->AllowedOperations().Empty());
    EXPECT_EQ(g->AllowedSelections(), TDBGridEhAllowedSelections{gstRecordBookmarks});
    EXPECT_EQ(g->Options(),
              (TDBGridOptions{dgTitles, dgIndicator, dgColLines, dgRowLines, dgTabs, dgRowSelect,
                              dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit}));
    EXPECT_EQ(g->OptionsEh(), (TDBGridEhOptions{dghFixed3D, dghHighlightFocus, dghClearSelection,
                                                dghDialogFind, dghShowRecNo, dghExtendVertLines}));
    EXPECT_EQ(g->IndicatorOptions(), (TDBGridEhIndicatorOptions{gioShowRowIndicatorEh, gioShowRecNoEh}));
    EXPECT_FALSE(g->IndicatorTitle()->UseGlobalMenu());
    EXPECT_EQ(g->EvenRowColor(), clInfoBk);
    EXPECT_EQ(g->OddRowColor(), clWindow);
    EXPECT_TRUE(g->ShowHint());
    ASSERT_EQ(g->Columns()->Count(), 3);
    const char* fields[] = {"bt1String", "Static", "bt2String"};
    const char* titles[] = {"Условие", "->", "Действие"};
    for (int i = 0; i < 3; ++i) {
        TColumnEh* c = g->Columns()->Columns(i);
        EXPECT_EQ(c->FieldName(), fields[i]);
        EXPECT_EQ(c->Title()->Caption(), QString::fromUtf8(titles[i]));
        EXPECT_TRUE(c->ReadOnly());
        EXPECT_FALSE(c->TextEditing());
        EXPECT_TRUE(c->ToolTips());
    }
    EXPECT_EQ(g->Columns()->Columns(0)->Width(), 199);
    EXPECT_EQ(g->Columns()->Columns(2)->Width(), 406);
    EXPECT_EQ(g->Columns()->Columns(1)->Alignment(), taCenter);
    EXPECT_EQ(g->Columns()->Columns(1)->Title()->Alignment(), taCenter);

    // The buttons stand beside the grid, top to bottom: up, edit, add, delete, clear, down.
    TSpeedButton* order[] = {form->UpControlEventSpeedButton,    form->EditControlEventSpeedButton,
                             form->AddControlEventSpeedButton,   form->DeleteControlEventSpeedButton,
                             form->ClearControlEventSpeedButton, form->DownControlEventSpeedButton};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(order[i]->Parent(), form->ControlEventsPanel);
        EXPECT_GE(order[i]->Left(), g->Left() + g->Width());
        if (i > 0) {
            EXPECT_GT(order[i]->Top(), order[i - 1]->Top());
        }
    }
    // The texts of the block stand below the panel.
    EXPECT_GE(form->ControlText1Part1Edit->Top(), 270);
}

TEST_F(EventsPageTest, TitlesComeFromTheLanguageFile) {
    QTemporaryDir langDir;
    {
        QFile f(langDir.filePath(QStringLiteral("lang.ini")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[MainForm]\r\nColumn_0_bt1String=Condition\r\nColumn_2_bt2String=Action\r\n");
    }
    SetLanguageDir(langDir.path());
    ApplyLanguage(form, QStringLiteral("lang.ini"));
    SetLanguageDir(dir.path());
    EXPECT_EQ(Grid()->Columns()->Columns(0)->Title()->Caption(), "Condition");
    EXPECT_EQ(Grid()->Columns()->Columns(1)->Title()->Caption(), "->");
    EXPECT_EQ(Grid()->Columns()->Columns(2)->Title()->Caption(), "Action");
}

// Read from the device: numbered, described rows; add, edit, move, delete and clear with the
// references kept; write, read back and compare.
TEST_F(EventsPageTest, DeviceReadEditWriteReadBack) {
    auto& ev = sim->State().events;
    ev = {Plain(1), GoTo(3), Lock(1)};
    form->DevReadNClick(nullptr);
    TakeBoxes();
    ASSERT_EQ(Table()->RecordCount(), 3);
    EXPECT_EQ(Grid()->RowCount(), 1 + 3);
    EXPECT_EQ(Grid()->DataRowToRecNo(1), 2); // the indicator's number is the event number
    EXPECT_TRUE(Grid()->CheckDataConsistency());
    Grid()->InstantReadRowEnter(1);
    EXPECT_EQ(Table()->FieldByName(QStringLiteral("bt2String"))->AsString(),
              GetActionText(GoTo(3)[0], GoTo(3)[1]));
    EXPECT_EQ(Table()->FieldByName(QStringLiteral("bt1String"))->AsString(),
              GetConditionText(GoTo(3)[0] >> 3));
    Grid()->InstantReadRowLeave();
    EXPECT_TRUE(Buttons(false, true, true, true, true, true));

    // Add after row 1: the new row is 2, references to events 2.. move down, the new row's too.
    Table()->SetRecNo(1);
    EditorAnswers(GoTo(2));
    form->AddControlEventSpeedButtonClick(nullptr);
    EXPECT_EQ(shownEvent, (std::array<uint8_t, 2>{0, 0}));
    EXPECT_EQ(EventRows(Table()), Rows({Plain(1), GoTo(3), GoTo(4), Lock(1)}));
    EXPECT_EQ(Table()->RecNo(), 2);
    EXPECT_EQ(Grid()->Row(), 2);
    EXPECT_TRUE(Buttons(true, true, true, true, true, true));

    // Edit through the grid: Enter and a double click open the editor on the current row.
    form->Show();
    form->MainPageControl->SetActivePageIndex(1);
    form->ControlPageControl->SetActivePageIndex(1);
    Table()->SetRecNo(4);
    EditorAnswers(Unlock(4));
    Grid()->SetFocus();
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        DispatchQueuedMessages();
    }
    Grid()->Perform(WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(shownEvent, Lock(1));
    EXPECT_EQ(EventRows(Table()), Rows({Plain(1), GoTo(3), GoTo(4), Unlock(4)}));
    shownEvent = {};
    form->ShowModalFn = [this](TCustomForm* f) { // Cancel changes nothing
        auto* ed = dynamic_cast<TEventEditForm*>(f);
        shownEvent = {ed->bt1(), ed->bt2()};
        return int(mrCancel);
    };
    const TRect r = Grid()->CellRect(2, 2);
    Grid()->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    EXPECT_EQ(EventRows(Table()), Rows({Plain(1), GoTo(3), GoTo(4), Unlock(4)}));
    EXPECT_EQ(Table()->RecNo(), 2); // the double click went to row 2
    EXPECT_EQ(shownEvent, GoTo(3));
    form->Hide();

    // Up on row 3: events 2 and 3 change places and so do the references to them.
    Table()->SetRecNo(3);
    form->UpControlEventSpeedButtonClick(nullptr);
    EXPECT_EQ(EventRows(Table()), Rows({Plain(1), GoTo(4), GoTo(2), Unlock(4)}));
    EXPECT_EQ(Table()->RecNo(), 2);
    // Down on row 3: events 3 and 4 change places.
    Table()->SetRecNo(3);
    form->DownControlEventSpeedButtonClick(nullptr);
    EXPECT_EQ(EventRows(Table()), Rows({Plain(1), GoTo(3), Unlock(3), GoTo(2)}));
    EXPECT_EQ(Table()->RecNo(), 4);
    EXPECT_TRUE(Buttons(true, true, true, true, true, false));

    // Delete row 2 asks first; No keeps everything.
    Table()->SetRecNo(2);
    answers = {IDNO};
    form->DeleteControlEventSpeedButtonClick(nullptr);
    ShownBox box = OnlyBox();
    EXPECT_EQ(box.Text, QStringLiteral("Удалить событие № 2:\r'%1 -> %2'?")
                            .arg(GetConditionText(GoTo(3)[0] >> 3), GetActionText(GoTo(3)[0], GoTo(3)[1])));
    EXPECT_EQ(box.Caption, "Удаление события");
    EXPECT_EQ(Table()->RecordCount(), 4);
    // Yes: references to later events move up; one to the deleted event stays.
    form->DeleteControlEventSpeedButtonClick(nullptr);
    TakeBoxes();
    EXPECT_EQ(EventRows(Table()), Rows({Plain(1), Unlock(2), GoTo(2)}));
    EXPECT_EQ(Table()->RecNo(), 2);
    EXPECT_EQ(Grid()->RowCount(), 1 + 3);

    // Write, read back, compare.
    const std::vector<EventRow> written = EventRows(Table());
    form->DevWriteNClick(nullptr);
    TakeBoxes();
    ASSERT_EQ(ev.size(), 3u);
    EXPECT_EQ(ev[1], Unlock(2));
    NewWindows();
    form->DevReadNClick(nullptr);
    TakeBoxes();
    EXPECT_EQ(EventRows(Table()), written);
    EXPECT_EQ(Grid()->RowCount(), 1 + 3);

    // Clear asks; Yes empties the table without renumbering anything.
    form->ClearControlEventSpeedButtonClick(nullptr);
    box = OnlyBox();
    EXPECT_EQ(box.Text, "Удалить ВСЕ события?");
    EXPECT_EQ(box.Caption, "Удаление событий");
    EXPECT_TRUE(Table()->IsEmpty());
    EXPECT_TRUE(Buttons(false, false, true, false, false, false));
    EXPECT_TRUE(Grid()->CheckDataConsistency());
}

// Edge cases of adding, deleting and moving (table-driven), with references at the edges of
// the 1..128 range.
TEST_F(EventsPageTest, RenumberingEdgeCases) {
    // Add to an empty table: row 1, its reference unchanged.
    Load({});
    EditorAnswers(GoTo(5));
    form->AddControlEventSpeedButtonClick(nullptr);
    EXPECT_EQ(EventRows(Table()), Rows({GoTo(5)}));
    EXPECT_EQ(Table()->RecNo(), 1);

    // Cursor on the last row: the new row is appended and the references stay.
    Load({GoTo(1), GoTo(2), GoTo(3)});
    Table()->Last();
    EditorAnswers(Plain(0));
    form->AddControlEventSpeedButtonClick(nullptr);
    EXPECT_EQ(EventRows(Table()), Rows({GoTo(1), GoTo(2), GoTo(3), Plain(0)}));
    EXPECT_EQ(Table()->RecNo(), 4);

    // A reference to event 128 cannot move to 129: it stays, bit 7 and the kind with it.
    Load({GoTo(128), Lock(128), Plain(0x7F)});
    EditorAnswers(Plain(0));
    form->AddControlEventSpeedButtonClick(nullptr);
    EXPECT_EQ(EventRows(Table()), Rows({GoTo(128), Plain(0), Lock(128), Plain(0x7F)}));

    // Delete row 2 of 3: event 3 becomes 2, references to 2 and 1 stay.
    Load({GoTo(3), GoTo(2), GoTo(1)});
    Table()->SetRecNo(2);
    form->DeleteControlEventSpeedButtonClick(nullptr);
    TakeBoxes();
    EXPECT_EQ(EventRows(Table()), Rows({GoTo(2), GoTo(1)}));

    // Up and down at the ends do nothing; their buttons are off there.
    Load({GoTo(2), GoTo(1)});
    EXPECT_TRUE(Buttons(false, true, true, true, true, true));
    form->UpControlEventSpeedButtonClick(nullptr);
    Table()->Last();
    EXPECT_TRUE(Buttons(true, true, true, true, true, false));
    form->DownControlEventSpeedButtonClick(nullptr);
    EXPECT_EQ(EventRows(Table()), Rows({GoTo(2), GoTo(1)}));

    // 128 rows: Add is off and does nothing; the rows can still be moved and deleted.
    std::vector<std::array<uint8_t, 2>> full(128, Plain(0));
    full[0] = GoTo(128);
    Load(full);
    EXPECT_FALSE(form->AddControlEventSpeedButton->Enabled());
    form->AddControlEventSpeedButtonClick(nullptr);
    EXPECT_EQ(Table()->RecordCount(), 128);
    Table()->Last();
    form->UpControlEventSpeedButtonClick(nullptr);
    EXPECT_EQ(EventRows(Table())[0], Row(GoTo(127)));
    form->DeleteControlEventSpeedButtonClick(nullptr);
    TakeBoxes();
    EXPECT_TRUE(form->AddControlEventSpeedButton->Enabled());

    // A longer table from a file: moving event 128 down would carry references to it past the
    // last event number; they stay as they are (never wrapped round to event 1).
    std::vector<std::array<uint8_t, 2>> longer(130, Plain(0));
    longer[0] = GoTo(128);
    longer[1] = Lock(128);
    Load(longer);
    Table()->SetRecNo(128);
    form->DownControlEventSpeedButtonClick(nullptr);
    EXPECT_EQ(EventRows(Table())[0], Row(GoTo(128)));
    EXPECT_EQ(EventRows(Table())[1], Row(Lock(128)));
    EXPECT_EQ(Table()->RecNo(), 129);
}

TEST_F(EventsPageTest, SettingsFileWithEvents) {
    Load({GoTo(2), Plain(7), Unlock(1)});
    Table()->SetRecNo(2);
    const String path = dir.filePath(QStringLiteral("events.ccf"));
    ASSERT_TRUE(form->SaveSettings(path, form->ControlTabSheet));
    EXPECT_EQ(Table()->RecNo(), 2); // the cursor is back on its row
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.contains("TBL=2433,6663,5632,\r\n")) << text.constData();
    // The line stands where the grid comes: after the copy check box, before the texts.
    EXPECT_LT(text.indexOf("ControlCopyFromMainCheckBox="), text.indexOf("TBL="));
    EXPECT_LT(text.indexOf("TBL="), text.indexOf("ControlText1Part1Edit="));

    Load({});
    ASSERT_TRUE(form->LoadSettings(path));
    EXPECT_EQ(EventRows(Table()), Rows({GoTo(2), Plain(7), Unlock(1)}));
    EXPECT_EQ(Grid()->RowCount(), 1 + 3);
    EXPECT_EQ(Table()->RecNo(), 1);
}

TEST_F(EventsPageTest, ScreenshotOfTheEventsPage) {
    sim->State().events = {Plain(1), GoTo(3), Lock(1), Unlock(2), Plain(5), GoTo(1)};
    form->DevReadNClick(nullptr);
    TakeBoxes();
    form->Show();
    form->MainPageControl->SetActivePageIndex(1);
    form->ControlPageControl->SetActivePageIndex(1);
    Table()->SetRecNo(3);
    Grid()->SetFocus();
    // Painting goes through the window layer's queue: let it run before the picture is taken.
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::processEvents();
        DispatchQueuedMessages();
    }
    QDir d(QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots"));
    d.mkpath(QStringLiteral("."));
    int painterErrors = 0;
    Application->OnException = TExceptionEvent::Callable([&](TObject*, Exception* e) {
        ++painterErrors;
        ADD_FAILURE() << e->Message().toStdString();
    });
    EXPECT_TRUE(
        form->Widget()->grab().save(d.absoluteFilePath(QStringLiteral("app-events-page.png")), "PNG"));
    EXPECT_TRUE(
        Grid()->Widget()->grab().save(d.absoluteFilePath(QStringLiteral("app-events-grid.png")), "PNG"));
    Application->OnException = TExceptionEvent();
    EXPECT_EQ(painterErrors, 0);
    form->Hide();
}

TEST_F(EventsPageTest, CtrlFInTheEventsGridOpensTheFindDialog) {
    sim->State().events = {Plain(1), GoTo(3), Lock(1), Unlock(2), Plain(5), GoTo(1)};
    form->DevReadNClick(nullptr);
    TakeBoxes();
    form->Show();
    form->MainPageControl->SetActivePageIndex(1);
    form->ControlPageControl->SetActivePageIndex(1);
    Table()->SetRecNo(2);
    Grid()->SetFocus();
    auto pump = [] {
        for (int i = 0; i < 10; ++i) {
            QCoreApplication::processEvents();
            DispatchQueuedMessages();
        }
    };
    pump();
    // A real Ctrl+F press on the grid's window, through the form's key handling. The dialog is
    // modal: the press returns once it is closed, so a timer does the search in it and closes
    // it; a second timer ends a dialog left open, so that a fault fails the test, not hangs it.
    auto ctrlF = [&] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_F, Qt::ControlModifier, QStringLiteral("\x06"));
        QApplication::sendEvent(Grid()->Widget(), &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_F, Qt::ControlModifier, QStringLiteral("\x06"));
        QApplication::sendEvent(Grid()->Widget(), &release);
        QKeyEvent ctrlUp(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
        QApplication::sendEvent(Grid()->Widget(), &ctrlUp);
        SetKeyDown(VK_CONTROL, false); // the key state must not outlive this test
    };
    const FindDialogSeen shown = WhileFindDialogShows(ctrlF, [&](TDBGridEhFindDlg* dlg) {
        EXPECT_EQ(dlg->Grid(), Grid());
        // The look-in list holds the grid's three columns and "<All>"; row select searches them
        // all.
        EXPECT_EQ(dlg->cbFindIn->Items()->Count(), 4);
        // Searching for the description of the fifth row moves the grid there.
        Table()->SetRecNo(5);
        const String wanted = Grid()->VisibleColumn(2)->DisplayText();
        Table()->First();
        dlg->cbText->SetText(wanted);
        dlg->cbFindIn->SetItemIndex(3);
        dlg->cbMatchinType->SetItemIndex(1);
        EXPECT_TRUE(dlg->FindNextMatch(false));
        EXPECT_EQ(Grid()->VisibleColumn(2)->DisplayText(), wanted);
        EXPECT_FALSE(dlg->cbText->Text().isEmpty());
    }, pump);
    EXPECT_TRUE(shown.Seen);
    EXPECT_TRUE(shown.Modal);
    TDBGridEhFindDlg* dlg = DBGridEhFindDlg();
    ASSERT_NE(dlg, nullptr);
    if (dlg->Visible()) dlg->Close();
    form->Hide();
}
