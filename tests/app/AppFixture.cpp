#include "AppFixture.h"

#include "events/EventEditUnit.h"
#include "platform/ui/Forms.h"

void AppTest::SetUpTestSuite() {
    InitForms();
    Application->Initialize();
}

void AppTest::SetUp() {
    ASSERT_TRUE(dir.isValid());
    // A test that types Shift+Tab as the window system delivers it never sends the Shift key's
    // own release: no modifier is held when a test starts.
    for (int vk : {VK_SHIFT, VK_CONTROL, VK_MENU})
        SetKeyDown(vk, false);
    // No language file: every text is its built-in default.
    SetLanguageDir(dir.path());
    FreeLanguage();
    FreeRs485Vocabulary();
    InitRs485Vocabulary();
    TFormatSettings fs = TFormatSettings::Create(QStringLiteral("ru_RU"));
    SetFormatSettings(fs);
    sim = std::make_unique<devsim::DeviceSimulator>();
    sim->SetHostClock([] { return int64_t(1709647679); }); // 2024-03-05 14:07:59 UTC
    SetSerialTransportFactory(devsim::DevSimTransportFactory(*sim, 38400, [this] { return ticks; }));
    SetMessageBoxHook([this](const String& Text, const String& Caption, UINT Flags) {
        ShownBox b{Text, Caption, Flags};
        boxes.push_back(b);
        if (onBox) onBox(b);
        if ((Flags & 0x0F) == MB_YESNO) {
            if (answers.empty()) return int(IDYES);
            const int a = answers.front();
            answers.pop_front();
            return a;
        }
        return int(IDOK);
    });
    NewWindows();
}

void AppTest::NewWindows() {
    FreeWindows();
    UnitsForm = Create<TUnitsForm>(nullptr);
    Wiegant26Form = Create<TWiegant26Form>(nullptr);
    form = Create<TMainForm>(nullptr);
    MainForm = form;
    form->TickCount = [this] { return ticks; };
    form->SleepMs = [this](uint32_t ms) { ticks += ms; };
    form->ShowModalFn = [](TCustomForm*) { return int(mrCancel); };
    form->ExecuteDialogFn = [](TOpenDialog*) { return false; };
}

void AppTest::FreeWindows() {
    if (form) form->Free();
    form = nullptr;
    if (Wiegant26Form) Wiegant26Form->Free();
    if (UnitsForm) UnitsForm->Free();
}

void AppTest::TearDown() {
    FreeWindows();
    SetMessageBoxHook(nullptr);
    SetSerialTransportFactory({});
    SetLanguageDir(String());
    FreeLanguage();
}

std::vector<ShownBox> AppTest::TakeBoxes() {
    std::vector<ShownBox> b;
    b.swap(boxes);
    return b;
}

ShownBox AppTest::OnlyBox() {
    auto b = TakeBoxes();
    EXPECT_EQ(b.size(), 1u);
    if (b.empty()) return {};
    for (size_t i = 1; i < b.size(); ++i)
        ADD_FAILURE() << "extra box: " << b[i].Text.toStdString();
    return b[0];
}

std::vector<EventRow> EventRows(TMemTableEh* Table) {
    std::vector<EventRow> rows;
    const int recNo = Table->RecNo();
    Table->DisableControls();
    for (Table->First(); !Table->Eof(); Table->Next())
        rows.emplace_back(ControlEventBt1(Table), ControlEventBt2(Table));
    if (recNo > 0) Table->SetRecNo(recNo);
    Table->EnableControls();
    return rows;
}
