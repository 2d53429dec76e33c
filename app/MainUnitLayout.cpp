// The main window: its construction, skeleton, right panel, menus, status bar and dialogs.

#include "lib/memtable/MemTableEh.h"
#include "lib/lang/LayoutHelpers.h"
#include "app/MainUnit.h"
#include "app/Rs485Unit.h"

#include "lib/lang/LangUnit.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/Menus.h"

using namespace layout;

TMainForm* MainForm = nullptr;

TMainForm::TMainForm(TComponent* AOwner) : TForm(AOwner, 0) {
    TickCount = [] { return GetTickCount(); };
    SleepMs = [this](uint32_t ms) { WaitForAdapter(ms); };
    NowFn = [] { return Now(); };

    SetName(QStringLiteral("MainForm"));
    SetCaption(QStringLiteral("Настройка КВИНТОРЕЛЬ"));
    SetBorderStyle(bsSingle);
    SetBorderIcons({biSystemMenu, biMinimize});
    SetPosition(poMainFormCenter);
    Font()->SetName(QStringLiteral("Tahoma"));
    Font()->SetHeight(-11);
    SetClientWidth(881);
    SetClientHeight(446);
    CreateLayout();

    ApplyLanguage(this, LanguageFileName);
    SetCaption(Caption() + QLatin1Char(' ') + QString::fromLatin1(Version));
    MainPageControl->SetActivePageIndex(0);
    ControlPageControl->SetActivePageIndex(0);
    RS485PageControl->SetActivePageIndex(0);
    FillRs485FunctionBoxes();
    EmptyEventsTable();
    EthFilesSpaceStaticText->SetCaption(FilesSpaceText(0, 0, 0));
    MainPageControl->SetActivePageIndex(0);
    ControlPageControl->SetActivePageIndex(0);
    RS485PageControl->SetActivePageIndex(0);
}

TMainForm::~TMainForm() {
    if (DeviceHandle) CloseDevice();
    if (MainForm == this) MainForm = nullptr;
}

void TMainForm::CreateLayout() {
    // Docked edges first, so that the page control takes what is left.
    MainStatusBar = Add<TStatusBar>(this, this, QStringLiteral("MainStatusBar"), 0, 427, 881, 19);
    MainStatusBar->SetAlign(alBottom);
    MainStatusBar->SetSimplePanel(false);
    MainStatusBar->Panels()->Add()->SetWidth(150);
    MainStatusBar->Panels()->Add()->SetWidth(50);

    RightPanel = Add<TPanel>(this, this, QStringLiteral("RightPanel"), 766, 0, 115, 427);
    RightPanel->SetAlign(alRight);
    RightPanel->SetCaption(String());

    MainPageControl = Add<TPageControl>(this, this, QStringLiteral("MainPageControl"), 0, 0, 766, 427);
    MainPageControl->SetAlign(alClient);

    CreateGasAnalyserPage();
    CreateInterfacePage();
    CreateRs485Page();
    CreateEthernetPage();
    CreateRightPanelAndMenus();
}

void TMainForm::CreateRightPanelAndMenus() {
    ConfigGroupBox = Group(this, RightPanel, QStringLiteral("ConfigGroupBox"), QStringLiteral("Конфигурация"),
                           6, 4, 103, 90);
    DevReadBitBtn = Add<TBitBtn>(this, ConfigGroupBox, QStringLiteral("DevReadBitBtn"), 9, 22, 85, 25);
    DevReadBitBtn->SetCaption(QStringLiteral("Загрузить"));
    DevReadBitBtn->OnClick = TNotifyEvent(this, &TMainForm::DevReadBitBtnClick);
    DevWriteBitBtn = Add<TBitBtn>(this, ConfigGroupBox, QStringLiteral("DevWriteBitBtn"), 9, 55, 85, 25);
    DevWriteBitBtn->SetCaption(QStringLiteral("Сохранить"));
    DevWriteBitBtn->OnClick = TNotifyEvent(this, &TMainForm::DevWriteBitBtnClick);
    CloseButton =
        Button(this, RightPanel, QStringLiteral("CloseButton"), QStringLiteral("Выход"), 15, 395, 85);
    CloseButton->SetAnchors({akLeft, akBottom});
    CloseButton->OnClick = TNotifyEvent(this, &TMainForm::CloseButtonClick);

    MainImageList = new TImageList(this);
    MainImageList->SetName(QStringLiteral("MainImageList"));
    FillMenuImages();

    auto item = [this](TPopupMenu* Menu, const char* Name, const char* Caption, int Image,
                       void (TMainForm::*Handler)(TObject*)) {
        auto* m = new TMenuItem(this);
        m->SetName(QString::fromLatin1(Name));
        m->SetCaption(QString::fromUtf8(Caption));
        m->SetImageIndex(Image);
        if (Handler) m->OnClick = TNotifyEvent(this, Handler);
        Menu->Items()->Add(m);
        return m;
    };
    ReadPopupMenu = new TPopupMenu(this);
    ReadPopupMenu->SetName(QStringLiteral("ReadPopupMenu"));
    ReadPopupMenu->SetAutoPopup(false);
    ReadPopupMenu->SetImages(MainImageList);
    BlockReadN = item(ReadPopupMenu, "BlockReadN", "Блок", 0, &TMainForm::BlockReadNClick);
    DevReadN = item(ReadPopupMenu, "DevReadN", "Устройство", 5, &TMainForm::DevReadNClick);
    N2 = item(ReadPopupMenu, "N2", "-", -1, nullptr);
    FileReadN = item(ReadPopupMenu, "FileReadN", "Файл", 2, &TMainForm::FileReadNClick);
    WritePopupMenu = new TPopupMenu(this);
    WritePopupMenu->SetName(QStringLiteral("WritePopupMenu"));
    WritePopupMenu->SetAutoPopup(false);
    WritePopupMenu->SetImages(MainImageList);
    BlockWriteN = item(WritePopupMenu, "BlockWriteN", "Блок", 1, &TMainForm::BlockWriteNClick);
    DevWriteN = item(WritePopupMenu, "DevWriteN", "Устройство", 5, &TMainForm::DevWriteNClick);
    N1 = item(WritePopupMenu, "N1", "-", -1, nullptr);
    FileWriteN = item(WritePopupMenu, "FileWriteN", "Файл", 3, &TMainForm::FileWriteNClick);

    MainSaveDialog = new TSaveDialog(this);
    MainSaveDialog->SetName(QStringLiteral("MainSaveDialog"));
    MainSaveDialog->SetOptions(MainSaveDialog->Options() + TOpenOptions{ofOverwritePrompt});
    MainOpenDialog = new TOpenDialog(this);
    MainOpenDialog->SetName(QStringLiteral("MainOpenDialog"));
    MainOpenDialog->SetOptions(MainOpenDialog->Options() + TOpenOptions{ofPathMustExist, ofFileMustExist});
    EthOpenDialog = new TOpenDialog(this);
    EthOpenDialog->SetName(QStringLiteral("EthOpenDialog"));
    EthOpenDialog->SetOptions(EthOpenDialog->Options() + TOpenOptions{ofFileMustExist});
}

void TMainForm::FillRs485FunctionBoxes() {
    for (TComboBox* box : RS485VirtFuncInComboBox) {
        box->Items()->Clear();
        for (const String& name : RS485VirtInFunc)
            box->Items()->Add(name);
        box->SetItemIndex(0);
    }
    for (TComboBox* box : RS485VirtFuncOutComboBox) {
        box->Items()->Clear();
        for (const String& name : RS485VirtOutFunc)
            box->Items()->Add(name);
        box->SetItemIndex(0);
    }
}

void TMainForm::EmptyEventsTable() {
    TMemTableEh* table = ControlEventsMemTableEh;
    table->Open();
    table->DisableControls();
    table->First();
    while (!table->Eof())
        table->Delete();
    table->EnableControls();
    ControlEventsMemTableEhCheckUpDownDel(table);
}

String TMainForm::StatusText(int Panel) const {
    return MainStatusBar->Panels()->Items(Panel)->Text();
}

void TMainForm::SetStatusText(int Panel, const String& Text) {
    MainStatusBar->Panels()->Items(Panel)->SetText(Text);
}

int TMainForm::RunModal(TCustomForm* Form) {
    return ShowModalFn ? ShowModalFn(Form) : Form->ShowModal();
}

bool TMainForm::RunFileDialog(TOpenDialog* Dialog) {
    return ExecuteDialogFn ? ExecuteDialogFn(Dialog) : Dialog->Execute();
}

void TMainForm::CloseButtonClick(TObject*) {
    Close();
}

TPoint TMainForm::MenuPoint(TControl* Button) {
    return ConfigGroupBox->ClientToScreen(TPoint(Button->Left() + 1, Button->Top() + Button->Height()));
}

void TMainForm::DevReadBitBtnClick(TObject*) {
    const TPoint p = MenuPoint(DevReadBitBtn);
    ReadPopupMenu->Popup(p.X, p.Y);
}

void TMainForm::DevWriteBitBtnClick(TObject*) {
    const TPoint p = MenuPoint(DevWriteBitBtn);
    WritePopupMenu->Popup(p.X, p.Y);
}
