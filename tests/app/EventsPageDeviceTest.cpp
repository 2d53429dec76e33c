// The events page against the device: the interface block read on its own, events composed in
// the real editor, from the buttons and from the keyboard, a table longer than one write packet
// written and read back, a whole-device settings file, and the simulator program on a
// pseudo-terminal checked through the state it saves.

#include "AppFixture.h"

#include "events/EventEditUnit.h"
#include "lib/dbgrid/DBGridEh.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QWidget>

#include <csignal>
#include <cstdlib>

namespace {

using Pair = std::array<uint8_t, 2>;

std::string S(const String& s) {
    return s.toStdString();
}

Pair GoTo(int event) {
    return {uint8_t(0x08 | 1), uint8_t(0x80 | (event - 1))};
}
Pair Lock(int event) {
    return {uint8_t(0x10 | 6), uint8_t(0x80 | (event - 1))};
}
Pair Unlock(int event) {
    return {uint8_t(0x10 | 6), uint8_t(event - 1)};
}
// A "send code" event (kind 3) that names no other event; the code tells rows apart.
Pair Code(int code) {
    return {uint8_t(0x20 | 3), uint8_t(code)};
}

std::vector<EventRow> AsRows(const std::vector<Pair>& pairs) {
    std::vector<EventRow> rows;
    for (const Pair& p : pairs)
        rows.emplace_back(p[0], p[1]);
    return rows;
}

void Pump() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        DispatchQueuedMessages();
    }
}

} // namespace

class EventsPageDeviceTest : public AppTest {
protected:
    TMemTableEh* Table() { return form->ControlEventsMemTableEh; }
    TDBGridEh* Grid() { return form->ControlEventsDBGridEh; }

    // The editor is filled through its own controls and saved with its "Сохранить" button: the
    // condition, and for the lock page the lock choice and the event number typed.
    void EditorComposesLock(int Condition, bool LockIt, int Event) {
        form->ShowModalFn = [=, this](TCustomForm* f) {
            auto* ed = dynamic_cast<TEventEditForm*>(f);
            EXPECT_NE(ed, nullptr);
            if (!ed) return int(mrCancel);
            opened.push_back({ed->bt1(), ed->bt2()});
            ed->ConditionRadioGroup->SetItemIndex(Condition);
            ed->JobsRadioGroup->SetItemIndex(cekLockEvent);
            ed->UnBlockEventComboBox->SetItemIndex(LockIt ? 1 : 0);
            ed->UnBlockEventNumberEdit->SetText(QString::number(Event));
            ed->LoadAllDeviceParamButton->Click();
            return ed->ModalResult();
        };
    }
    void EditorComposesCode(int Condition, int Code) {
        form->ShowModalFn = [=, this](TCustomForm* f) {
            auto* ed = dynamic_cast<TEventEditForm*>(f);
            EXPECT_NE(ed, nullptr);
            if (!ed) return int(mrCancel);
            opened.push_back({ed->bt1(), ed->bt2()});
            ed->ConditionRadioGroup->SetItemIndex(Condition);
            ed->JobsRadioGroup->SetItemIndex(cekSendCode);
            ed->CodeLabeledEdit->SetText(QString::number(Code));
            ed->LoadAllDeviceParamButton->Click();
            return ed->ModalResult();
        };
    }
    void ShowEventsPage() {
        form->Show();
        form->MainPageControl->SetActivePageIndex(baInterface);
        form->ControlPageControl->SetActivePageIndex(1);
        Grid()->SetFocus();
        Pump();
    }
    void ReadInterfaceBlock() {
        form->MainPageControl->SetActivePageIndex(baInterface);
        form->BlockReadNClick(nullptr);
    }
    void WriteInterfaceBlock() {
        form->MainPageControl->SetActivePageIndex(baInterface);
        form->BlockWriteNClick(nullptr);
    }
    std::vector<Pair> opened; // the pairs the editor was opened with
};

// The interface block alone: its 70 events (two packets each way) come in numbered and
// described; events composed in the editor are added, moved and deleted with every reference
// following; the block written and read back holds exactly the table.
TEST_F(EventsPageDeviceTest, InterfaceBlockEventsEditedWrittenAndReadBack) {
    std::vector<Pair> device;
    for (int i = 1; i <= 70; ++i)
        device.push_back(Code(i));
    device[0] = GoTo(70);   // the last event, in the second packet
    device[1] = Lock(3);    // the row after it
    device[68] = Unlock(1); // from the second packet back to the first event
    sim->State().events = device;
    ReadInterfaceBlock();
    EXPECT_EQ(S(OnlyBox().Text), "Загружены настройки блока сопряжения!");
    EXPECT_TRUE(form->DevFWLabeledEdit->Text().isEmpty()); // only this block was read
    ASSERT_EQ(EventRows(Table()), AsRows(device));
    EXPECT_EQ(Table()->RecNo(), 1);
    EXPECT_EQ(Grid()->RowCount(), 1 + 70);
    for (int row : {1, 35, 70})
        EXPECT_EQ(Grid()->DataRowToRecNo(row - 1), row); // the indicator numbers the events
    Table()->SetRecNo(1);
    EXPECT_EQ(Table()->FieldByName(QStringLiteral("bt2String"))->AsString(), "Перейти к событию №70");
    EXPECT_EQ(Table()->FieldByName(QStringLiteral("bt1String"))->AsString(), "Высокий уровень на входе 1");
    EXPECT_EQ(Table()->FieldByName(QStringLiteral("Static"))->AsString(), "->");

    // Add after row 1 an event composed in the editor that locks event 3: it becomes row 2,
    // and it and every reference to events 2.. move on by one.
    Table()->SetRecNo(1);
    EditorComposesLock(9, true, 3);
    form->AddControlEventSpeedButtonClick(nullptr);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], (Pair{0, 0}));
    std::vector<Pair> expect = device;
    expect.insert(expect.begin() + 1, Pair{uint8_t(9 << 3 | 6), uint8_t(0x80 | 3)});
    expect[0] = GoTo(71);
    expect[2] = Lock(4);
    EXPECT_EQ(EventRows(Table()), AsRows(expect));
    EXPECT_EQ(Table()->RecNo(), 2);
    EXPECT_EQ(Grid()->RowCount(), 1 + 71);

    // Edit row 70 (the old event 69) in the editor: it opens on the row's pair; the new pair
    // names no event and nothing else changes.
    Table()->SetRecNo(70);
    EditorComposesCode(31, 255);
    form->EditControlEventSpeedButtonClick(nullptr);
    EXPECT_EQ(opened.back(), Unlock(1));
    expect[69] = Pair{uint8_t(31 << 3 | 3), 255};
    EXPECT_EQ(EventRows(Table()), AsRows(expect));
    Table()->SetRecNo(70);
    EXPECT_EQ(Table()->FieldByName(QStringLiteral("bt1String"))->AsString(), "Прием параметра");
    EXPECT_EQ(Table()->FieldByName(QStringLiteral("bt2String"))->AsString(), "Передать код: 255");

    // Move the last event to the top, one step at a time: "go to event 71" follows it.
    Table()->SetRecNo(71);
    for (int k = 71; k > 1; --k)
        form->UpControlEventSpeedButtonClick(nullptr);
    EXPECT_EQ(Table()->RecNo(), 1);
    const Pair last = expect.back();
    expect.pop_back();
    expect.insert(expect.begin(), last);
    expect[1] = GoTo(1);     // it went to event 71, which is now event 1
    expect[2][1] = 0x80 | 4; // events 1..70 are now 2..71
    expect[3] = Lock(5);
    EXPECT_EQ(EventRows(Table()), AsRows(expect));
    EXPECT_TRUE(form->DownControlEventSpeedButton->Enabled());
    EXPECT_FALSE(form->UpControlEventSpeedButton->Enabled());

    // Delete event 2 (asks first): references to later events move back by one.
    Table()->SetRecNo(2);
    form->DeleteControlEventSpeedButtonClick(nullptr);
    EXPECT_EQ(S(OnlyBox().Text),
              "Удалить событие № 2:\r'Высокий уровень на входе 1 -> Перейти к событию №1'?");
    expect.erase(expect.begin() + 1);
    expect[1][1] = 0x80 | 3;
    expect[2] = Lock(4);
    EXPECT_EQ(EventRows(Table()), AsRows(expect));
    EXPECT_EQ(Table()->RecNo(), 2);
    EXPECT_TRUE(Grid()->CheckDataConsistency());

    // Write the block; the device holds the table, the second packet included.
    WriteInterfaceBlock();
    EXPECT_EQ(S(OnlyBox().Text), "Записаны настройки блока сопряжения!");
    EXPECT_EQ(AsRows(sim->State().events), AsRows(expect));
    EXPECT_EQ(Table()->RecNo(), 2); // the write put the cursor back

    NewWindows();
    ReadInterfaceBlock();
    TakeBoxes();
    EXPECT_EQ(EventRows(Table()), AsRows(expect));

    // Clear: No keeps the table; Yes empties it and a write leaves the device's events as they
    // were (an empty table sends no event packet).
    answers = {IDNO};
    form->ClearControlEventSpeedButtonClick(nullptr);
    EXPECT_EQ(S(OnlyBox().Text), "Удалить ВСЕ события?");
    EXPECT_EQ(Table()->RecordCount(), 70);
    form->ClearControlEventSpeedButtonClick(nullptr);
    TakeBoxes();
    EXPECT_TRUE(Table()->IsEmpty());
    EXPECT_EQ(Grid()->RowCount(), 1 + 1); // the grid keeps one empty data row
    EXPECT_FALSE(form->EditControlEventSpeedButton->Enabled());
    EXPECT_TRUE(form->AddControlEventSpeedButton->Enabled());
    WriteInterfaceBlock();
    TakeBoxes();
    EXPECT_EQ(AsRows(sim->State().events), AsRows(expect));
}

// From the keyboard, on the grid: Insert adds an event after the current one, Enter edits it,
// Ctrl+Up and Ctrl+Down move it, Delete deletes it after the question; an editor cancelled changes nothing. A double click on
// the empty grid edits "the current row", which inserts the first one.
TEST_F(EventsPageDeviceTest, KeyboardAndDoubleClickOnTheGrid) {
    sim->State().events = {Code(1), GoTo(2)};
    ReadInterfaceBlock();
    TakeBoxes();
    ShowEventsPage();
    ASSERT_TRUE(Grid()->Focused());

    EditorComposesCode(4, 42);
    Grid()->Perform(WM_KEYDOWN, VK_INSERT, 0);
    EXPECT_EQ(EventRows(Table()), AsRows({Code(1), Code(42), GoTo(3)}));
    EXPECT_EQ(Table()->RecNo(), 2);

    EditorComposesLock(2, false, 3);
    Grid()->Perform(WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(opened.back(), Code(42));
    EXPECT_EQ(EventRows(Table()), AsRows({Code(1), Unlock(3), GoTo(3)}));

    form->ShowModalFn = [](TCustomForm*) { return int(mrCancel); };
    Grid()->Perform(WM_KEYDOWN, VK_INSERT, 0);
    Grid()->Perform(WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(EventRows(Table()), AsRows({Code(1), Unlock(3), GoTo(3)}));

    // Ctrl+Up and Ctrl+Down move the current event; the references to row 3 follow its row.
    SetKeyDown(VK_CONTROL, true);
    Grid()->Perform(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(EventRows(Table()), AsRows({Code(1), GoTo(2), Unlock(2)}));
    EXPECT_EQ(Table()->RecNo(), 3);
    Grid()->Perform(WM_KEYDOWN, VK_DOWN, 0); // the last row stays where it is
    EXPECT_EQ(Table()->RecNo(), 3);
    Grid()->Perform(WM_KEYDOWN, VK_UP, 0);
    SetKeyDown(VK_CONTROL, false);
    EXPECT_EQ(EventRows(Table()), AsRows({Code(1), Unlock(3), GoTo(3)}));
    EXPECT_EQ(Table()->RecNo(), 2);

    answers = {IDNO, IDYES};
    Grid()->Perform(WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(Table()->RecordCount(), 3);
    Grid()->Perform(WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(TakeBoxes().size(), 2u);
    EXPECT_EQ(EventRows(Table()), AsRows({Code(1), GoTo(2)}));

    // With 128 events Insert does nothing, as the add button is off.
    std::vector<Pair> full(128, Code(7));
    sim->State().events = full;
    ReadInterfaceBlock();
    TakeBoxes();
    opened.clear();
    EditorComposesCode(0, 1);
    Grid()->Perform(WM_KEYDOWN, VK_INSERT, 0);
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(Table()->RecordCount(), 128);

    // The empty grid: a double click edits, and the platform's edit of an empty table inserts.
    form->ClearControlEventSpeedButtonClick(nullptr);
    TakeBoxes();
    ASSERT_TRUE(Table()->IsEmpty());
    EditorComposesCode(2, 5);
    const TRect r = Grid()->CellRect(2, 1);
    Grid()->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    EXPECT_EQ(opened.back(), (Pair{0, 0}));
    EXPECT_EQ(EventRows(Table()), AsRows({Pair{2 << 3 | 3, 5}}));
    EXPECT_TRUE(form->EditControlEventSpeedButton->Enabled());
    form->Hide();
}

// A whole-device settings file carries the events on its "TBL" line; loading it into a fresh
// window brings back the same table, and a whole-device file without the line empties it.
TEST_F(EventsPageDeviceTest, WholeDeviceSettingsFileWithEvents) {
    std::vector<Pair> events;
    for (int i = 0; i < 100; ++i)
        events.push_back(i % 3 == 0 ? GoTo(100 - i) : i % 3 == 1 ? Lock(i) : Code(i));
    sim->State().events = events;
    form->DevReadNClick(nullptr);
    TakeBoxes();
    ASSERT_EQ(EventRows(Table()), AsRows(events));
    Table()->SetRecNo(50);
    const String path = dir.filePath(QStringLiteral("all.acf"));
    ASSERT_TRUE(form->SaveSettings(path, form));
    EXPECT_EQ(Table()->RecNo(), 50);

    NewWindows();
    ASSERT_TRUE(form->LoadSettings(path));
    TakeBoxes();
    EXPECT_EQ(EventRows(Table()), AsRows(events));
    EXPECT_EQ(Table()->RecNo(), 1);
    EXPECT_EQ(Grid()->RowCount(), 1 + 100);
    EXPECT_FALSE(form->UpControlEventSpeedButton->Enabled());
    EXPECT_TRUE(form->DownControlEventSpeedButton->Enabled());

    // Written from the loaded file, the device gets the same events.
    sim->State().events.clear();
    form->DevWriteNClick(nullptr);
    TakeBoxes();
    EXPECT_EQ(AsRows(sim->State().events), AsRows(events));

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray text = f.readAll();
    f.close();
    const qsizetype at = text.indexOf("TBL=");
    ASSERT_GE(at, 0);
    text.remove(at, text.indexOf("\r\n", at) + 2 - at);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
    f.close();
    ASSERT_TRUE(form->LoadSettings(path));
    TakeBoxes();
    EXPECT_TRUE(Table()->IsEmpty());
    EXPECT_FALSE(form->DeleteControlEventSpeedButton->Enabled());
}

// The simulator program on a pseudo-terminal, paced at the line's rate: the tool reads the
// interface block's events, edits them and writes them; the state the program saves when it
// ends holds the edited table.
TEST_F(EventsPageDeviceTest, EventsThroughThePseudoTerminal) {
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/kvt-devsim");
    if (!QFileInfo::exists(program)) GTEST_SKIP() << "kvt-devsim not built";
    std::vector<Pair> device;
    QByteArray line = "[interface]\nevents =";
    for (int i = 1; i <= 66; ++i) {
        device.push_back(i == 66 ? GoTo(1) : Code(i));
        line += ' ' + QByteArray::number(device.back()[0] << 8 | device.back()[1], 16).rightJustified(4, '0');
    }
    const QString state = dir.filePath(QStringLiteral("state.txt"));
    const QString saved = dir.filePath(QStringLiteral("saved.txt"));
    {
        QFile f(state);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(line + '\n');
    }
    QProcess devsim;
    devsim.start(program, {QStringLiteral("--state"), state, QStringLiteral("--save"), saved});
    ASSERT_TRUE(devsim.waitForStarted(5000));
    ASSERT_TRUE(devsim.waitForReadyRead(5000));
    const QString tty = QString::fromLocal8Bit(devsim.readLine()).trimmed();
    ASSERT_TRUE(tty.startsWith(QStringLiteral("/dev/")));
    setenv("KVT_SERIAL_PORT", tty.toLocal8Bit().constData(), 1);
    SetSerialTransportFactory({});
    form->TickCount = [] { return GetTickCount(); };
    form->SleepMs = [f = form](uint32_t ms) { f->WaitForAdapter(ms); };

    ReadInterfaceBlock();
    EXPECT_EQ(OnlyBox().Flags, 64u);
    ASSERT_EQ(EventRows(Table()), AsRows(device));

    // Event 66 goes to event 1; moved to the top it goes to event 2, where event 1 now is.
    Table()->Last();
    for (int k = 66; k > 1; --k)
        form->UpControlEventSpeedButtonClick(nullptr);
    std::vector<Pair> expect = device;
    expect.pop_back();
    expect.insert(expect.begin(), GoTo(2));
    ASSERT_EQ(EventRows(Table()), AsRows(expect));
    WriteInterfaceBlock();
    EXPECT_EQ(OnlyBox().Flags, 64u);

    unsetenv("KVT_SERIAL_PORT");
    devsim.terminate(); // the program saves its state as it ends
    ASSERT_TRUE(devsim.waitForFinished(5000));
    QFile f(saved);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray savedEvents;
    for (const QByteArray& l : f.readAll().split('\n'))
        if (l.startsWith("events ")) savedEvents = l.mid(l.indexOf('=') + 1).trimmed();
    std::vector<EventRow> held;
    for (const QByteArray& item : savedEvents.split(' ')) {
        if (item.isEmpty()) continue;
        const int v = item.toInt(nullptr, 16);
        held.emplace_back(v >> 8, v & 0xFF);
    }
    EXPECT_EQ(held, AsRows(expect));
}
