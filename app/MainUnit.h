#pragma once
// The main window of the configuration tool: the four block pages, the device link, the block
// parameter sets with their checks, device reads and writes, settings files, the Ethernet
// block's files, the clock and the device texts.

#include "platform/ui/Forms.h"

#include <array>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

class TPageControl;
class TTabSheet;
class TGroupBox;
class TLabeledEdit;
class TButton;
class TBitBtn;
class TSpeedButton;
class TCheckBox;
class TComboBox;
class TEdit;
class TLabel;
class TPanel;
class TStatusBar;
class TPopupMenu;
class TMenuItem;
class TSaveDialog;
class TOpenDialog;
class TImageList;
class TListView;
class TStaticText;
class TDataSource;
class TDataSet;
class TMemTableEh;
class TDBGridEh;
class TEventEditForm;

// The block addresses; also the page index of the block in MainPageControl.
enum BlockAddress : uint8_t { baGasAnalyser = 0, baInterface = 1, baRs485 = 2, baEthernet = 3 };

// One answer frame as received: start byte, length, address, 0xA1, status, data..., sum.
using TAnswerBuffer = std::array<uint8_t, 256>;

class TMainForm : public TForm {
    KVT_CLASS(TMainForm, TForm)
public:
    explicit TMainForm(TComponent* AOwner);
    ~TMainForm() override;

    // The version appended to the window caption.
    static const char* const Version;

    // --- time and dialogs: replaceable so that tests neither wait nor show windows
    std::function<uint32_t()> TickCount; // milliseconds
    // Waits up to the given milliseconds for bytes from the adapter (by default on the port
    // itself, returning as soon as a byte comes).
    std::function<void(uint32_t)> SleepMs;
    std::function<TDateTime()> NowFn;                  // the local date and time
    std::function<int(TCustomForm*)> ShowModalFn;      // runs a dialog, answers its modal result
    std::function<bool(TOpenDialog*)> ExecuteDialogFn; // runs a file dialog (save dialogs too)

    // --- device link
    bool SendRequest(const uint8_t* Data, int DataLength, uint8_t Address);
    bool ReceiveAnswer(uint8_t* Answer); // a 256-byte buffer
    bool OpenDevice();
    bool CloseDevice();
    bool IsBlockPresent(uint8_t N);
    bool SetServiceMode(bool On);
    bool SendShowTexts();
    bool SendClock(TDateTime DateTime);
    static uint8_t ByteToBcd(uint8_t V);
    bool DeviceOpen() const { return DeviceHandle != nullptr; }
    void* DeviceHandle = nullptr;
    // Whether an exchange of the operation under way failed (no answer, a cut or foreign
    // answer, a wrong sum): from then on it sends no writes.  Cleared when the adapter opens.
    bool LinkFailed() const { return FLinkFailed; }
    // Why that exchange failed, naming the block, for the error boxes ("" when none failed).
    String LinkError() const { return FLinkError; }
    // A box's text with that reason on a line of its own.
    String WithLinkError(const String& Text) const;
    // While the tool waits for the device the windows keep painting (paint and timer events
    // only; no user input reaches them) and the cursor shows busy.
    void ProcessPaintMessages();
    void SetBusyCursor(bool On);
    // Sleeps on the adapter until a byte arrives or Ms have passed (SleepMs's default).
    void WaitForAdapter(uint32_t Ms);

    // --- checks
    int32_t GetIntFromControl(TControl* Control);
    // GetIntFromControl that also fails (flagging the control) outside Min..Max: the field the
    // value is sent in cannot hold it.
    bool GetIntInRange(TControl* Control, int32_t Min, int32_t Max, int32_t& Value);
    float GetFloatFromControl(TControl* Control, float Minimum);
    int32_t GetIpFromEdit(TControl* Edit);
    // Like GetIpFromEdit, but tells success apart from the value (255.255.255.255 is valid).
    bool GetIpFromEdit(TControl* Edit, uint32_t& Value);
    void FlagControl(TControl* Control);
    void ChangeControlColor(TObject* Sender);

    // --- values a control cannot hold
    // A device byte with no list item for it, or a settings value out of the control's range, is
    // never sent in the control's place: the control is flagged and marked, and its page is not
    // written until the user sets it (a list box: chooses an item; the units: both selections).
    // Value is what the control would hold (an item index; the units line's value); a settings
    // file keeps it until then.
    void MarkUnshownValue(TControl* Control, int Value);
    void ClearUnshownValue(TControl* Control);
    bool HoldsUnshownValue(TControl* Control) const;
    int UnshownValue(TControl* Control) const;
    // True when Control's value can be sent; false (control flagged) while it is still marked.
    bool CheckShownValue(TControl* Control);
    // Selects item Index of a list box. An index with no item leaves the box without selection
    // and marks it, unless NoneIsValue: then the empty box stands for that value itself.
    void ShowListValue(TComboBox* Box, int Index, bool NoneIsValue = false);

    // --- gas analyser
    bool ReadGasAnalyser();
    bool ShowGasAnalyserParams(const uint8_t* A3, const uint8_t* A2, const uint8_t* Texts, const uint8_t* A1,
                               const uint8_t* A6);
    int EncodeGasAnalyserParams(uint8_t* Payload);
    int EncodeGasAnalyserInterval(uint8_t* Payload);
    int EncodeGasAnalyserTexts(uint8_t* Payloads);
    // Threshold, its caption and the units caption from the units dialog's state.
    void ShowThreshold();
    // Converts the threshold edit into the units dialog's raw byte; false (edit flagged) when
    // it is unreadable, below the unit's step or beyond the raw byte.
    bool CheckThreshold();
    bool WriteGasAnalyser(uint8_t* P3, int L3, uint8_t* P6, int L6, uint8_t* Texts, int LTexts);

    // --- interface block
    bool ReadInterfaceBlock();
    bool ShowInterfaceParams(const uint8_t* A3, const uint8_t* A4, const uint8_t* A5, const uint8_t* A2);
    int EncodeInterfaceParams(uint8_t* Payload);
    int EncodeInterfaceTexts(uint8_t* Payload);
    int EncodeControlEvents(uint8_t* Payload, int Part);
    bool WriteInterfaceBlock(uint8_t* P3, int L3, uint8_t* P5, int L5, uint8_t* E1, int LE1, uint8_t* E2,
                             int LE2);
    // The events table's AfterScroll: the six event buttons follow the table's state.
    void ControlEventsMemTableEhCheckUpDownDel(TDataSet* DataSet);
    void ControlEventsMemTableEhCalcFields(TDataSet* DataSet);
    // The six event buttons (Edit is also the grid's double click and Enter).
    void AddControlEventSpeedButtonClick(TObject* Sender);
    void DeleteControlEventSpeedButtonClick(TObject* Sender);
    void EditControlEventSpeedButtonClick(TObject* Sender);
    void UpControlEventSpeedButtonClick(TObject* Sender);
    void DownControlEventSpeedButtonClick(TObject* Sender);
    void ClearControlEventSpeedButtonClick(TObject* Sender);
    void ControlEventsDBGridEhKeyDown(TObject* Sender, Word& Key, TShiftState Shift);

    // --- RS-485 block
    bool ReadRs485Block();
    bool ShowRs485Params(const uint8_t* A3, const uint8_t* A2);
    int EncodeRs485Params(uint8_t* Payload);
    // Seconds typed with tenths, as tenths; fails (edit flagged) when unreadable, negative or
    // above Max.
    bool GetTenths(TControl* Edit, int Max, int& Tenths);
    bool WriteRs485Block(uint8_t* Payload, int Length);

    // --- Ethernet block
    bool ReadEthernetBlock();
    bool ShowEthernetParams(const uint8_t* A3, const uint8_t* A2, const uint8_t* A1);
    int EncodeEthernetParams(uint8_t* Payload);
    bool WriteEthernetBlock(uint8_t* Payload, int Length);
    void EthStaticIPComboBoxChange(TObject* Sender);
    // The static-address edits are shown only with static addressing.
    void UpdateStaticAddressEdits();
    std::array<uint8_t, 12> LastEthAddressBytes{};

    // --- Ethernet files
    bool ReadEthernetFileList(bool SelectLast);
    bool CheckEthernetFiles();
    bool DeleteEthernetFile(int Index);
    bool DeleteAllEthernetFiles();
    bool UploadEthernetFile(const String& Path);
    void UpdateEthFileButtons();
    static String FilesSpaceText(int Files, uint32_t Used, uint32_t Total);
    void EthCheckFilesButtonClick(TObject* Sender);
    void EthFileAddButtonClick(TObject* Sender);
    void EthFileDeleteButtonClick(TObject* Sender);
    void EthFileDeletaAllButtonClick(TObject* Sender);

    // --- device read and write
    void DevReadNClick(TObject* Sender);
    void BlockReadNClick(TObject* Sender);
    void DevWriteNClick(TObject* Sender);
    void BlockWriteNClick(TObject* Sender);

    // --- settings files
    void FileWriteNClick(TObject* Sender);
    void FileReadNClick(TObject* Sender);
    // Container: the whole window or one page.
    bool SaveSettings(const String& FileName, TControl* Container);
    // Kind: the page whose keys the file must carry (nullptr: any page of the window); a file
    // without one is refused and changes nothing.
    bool LoadSettings(const String& FileName, TControl* Kind = nullptr);

    // --- clock, texts, units, Wiegand-26
    void DevTimeSyncButtonClick(TObject* Sender);
    void ViewStringsButtonClick(TObject* Sender);
    void ChangeUnitsButtonClick(TObject* Sender);
    void Wiegand26ButtonClick(TObject* Sender);

    // --- window
    void CloseButtonClick(TObject* Sender);
    void DevReadBitBtnClick(TObject* Sender);
    void DevWriteBitBtnClick(TObject* Sender);
    // Where the read or write menu pops up, in screen coordinates: just under the button.
    TPoint MenuPoint(TControl* Button);

    // ---------------------------------------------------------------------------------------
    // Components, in the order of the window's layout (settings files follow it).
    TPageControl* MainPageControl = nullptr;
    // Gas analyser page
    TTabSheet* MainDeviceTabSheet = nullptr;
    TGroupBox* DevInfoGroupBox = nullptr;
    TLabeledEdit* DevSerialLabeledEdit = nullptr;
    TLabeledEdit* DevFWLabeledEdit = nullptr;
    TLabeledEdit* DevDateLabeledEdit = nullptr;
    TLabeledEdit* VerifyDateLabeledEdit = nullptr;
    TLabeledEdit* DevTimeLabeledEdit = nullptr;
    TButton* DevTimeSyncButton = nullptr;
    TGroupBox* MainDeviceOptionsGroupBox = nullptr;
    TLabeledEdit* DevBlowTimeoutLabeledEdit = nullptr;
    TLabeledEdit* DevLowResViewLabeledEdit = nullptr;
    TLabeledEdit* DevHightResViewLabeledEdit = nullptr;
    TLabeledEdit* DevPressLevelLabeledEdit = nullptr;
    TLabeledEdit* DevResTimeoutLabeledEdit = nullptr;
    TLabeledEdit* DevPulseLabeledEdit = nullptr;
    TCheckBox* DevDispOnCheckBox = nullptr;
    TCheckBox* DevSoundOnCheckBox = nullptr;
    TCheckBox* DevKeybOnCheckBox = nullptr;
    TCheckBox* DevExtSoundCheckBox = nullptr;
    TCheckBox* DevTestBreakCheckBox = nullptr;
    TCheckBox* DevWaitModeOffCheckBox = nullptr;
    TCheckBox* DevWarnVerifyCheckBox = nullptr;
    TCheckBox* DevSysTestAfter0CheckBox = nullptr;
    TLabeledEdit* DevMinResValueLabeledEdit = nullptr;
    TLabeledEdit* DevUnitsLabeledEdit = nullptr;
    TBitBtn* UnitsBitBtn = nullptr;
    TComboBox* VerifyWarnComboBox = nullptr;
    TGroupBox* MainDeviceStringsGroupBox = nullptr;
    TLabel* DevText1Label = nullptr;
    TLabel* DevText2Label = nullptr;
    TLabel* DevText3Label = nullptr;
    TLabel* DevText4Label = nullptr;
    TEdit* DevText1Part2Edit = nullptr;
    TEdit* DevText1Part1Edit = nullptr;
    TEdit* DevText2Part2Edit = nullptr;
    TEdit* DevText2Part1Edit = nullptr;
    TEdit* DevText4Part2Edit = nullptr;
    TEdit* DevText4Part1Edit = nullptr;
    TEdit* DevText3Part2Edit = nullptr;
    TEdit* DevText3Part1Edit = nullptr;
    TBitBtn* ViewStringsBitBtn = nullptr;

    // Interface block page
    TTabSheet* ControlTabSheet = nullptr;
    TGroupBox* ControlInfoGroupBox = nullptr;
    TLabeledEdit* ControlSerialLabeledEdit = nullptr;
    TLabeledEdit* ControlFWLabeledEdit = nullptr;
    TPageControl* ControlPageControl = nullptr;
    TTabSheet* ControlOpenTabSheet = nullptr;
    TGroupBox* WiegandGroupBox = nullptr;
    TGroupBox* WiegandInGroupBox = nullptr;
    TCheckBox* WiegandSaveCodeCheckBox = nullptr;
    TCheckBox* WiegandSaveCodeSinglCheckBox = nullptr;
    TLabeledEdit* WiegandInTimeoutLabeledEdit = nullptr;
    TLabeledEdit* WiegandInBitsLabeledEdit = nullptr;
    TCheckBox* WiegandInEvenBitsCheckBox = nullptr;
    TLabel* TestCardLabel = nullptr;
    std::array<TEdit*, 8> ControlTestCardEdit{}; // ControlTestCard1Edit .. ControlTestCard8Edit
    TGroupBox* WiegandOutGroupBox = nullptr;
    TLabeledEdit* WiegandOutDurLabeledEdit = nullptr;
    TLabeledEdit* WiegandOutPeriodLabeledEdit = nullptr;
    TLabeledEdit* WiegandOutTimeoutLabeledEdit = nullptr;
    TLabeledEdit* WiegandOutBitsLabeledEdit = nullptr;
    TCheckBox* WiegandOutEvenBitsCheckBox = nullptr;
    TLabel* BaseCodeLabel = nullptr;
    std::array<TEdit*, 8> ControlTestCardOutEdit{}; // ControlTestCardOut1Edit .. 8
    TButton* Wiegand26Button = nullptr;
    TGroupBox* OutputsGroupBox = nullptr;
    TGroupBox* WorkModeGroupBox = nullptr;
    std::array<TComboBox*, 4> ControlWorkModeOutComboBox{};
    TGroupBox* DefaultOutGroupBox = nullptr;
    std::array<TComboBox*, 4> CopyOutComboBox{};
    TLabeledEdit* ControlOutDurLabeledEdit = nullptr;
    TGroupBox* TamperGroupBox = nullptr;
    std::array<TComboBox*, 3> ControlTamperComboBox{};
    TCheckBox* ControlCopyFromMainCheckBox = nullptr;
    TTabSheet* ControlEventsTabSheet = nullptr;
    TPanel* ControlEventsPanel = nullptr;
    TSpeedButton* AddControlEventSpeedButton = nullptr;
    TSpeedButton* EditControlEventSpeedButton = nullptr;
    TSpeedButton* DeleteControlEventSpeedButton = nullptr;
    TSpeedButton* UpControlEventSpeedButton = nullptr;
    TSpeedButton* DownControlEventSpeedButton = nullptr;
    TSpeedButton* ClearControlEventSpeedButton = nullptr;
    // Stands where the events grid comes in the layout; it carries the "TBL" line of settings
    // files.
    TDBGridEh* ControlEventsDBGridEh = nullptr;
    TMemTableEh* ControlEventsMemTableEh = nullptr;
    TDataSource* ControlEventsDataSource = nullptr;
    TLabel* ControlText1Label = nullptr;
    TLabel* ControlText2Label = nullptr;
    TEdit* ControlText1Part1Edit = nullptr;
    TEdit* ControlText1Part2Edit = nullptr;
    TEdit* ControlText2Part1Edit = nullptr;
    TEdit* ControlText2Part2Edit = nullptr;

    // RS-485 page
    TTabSheet* RS485TabSheet = nullptr;
    TGroupBox* RS485InfoGroupBox = nullptr;
    TLabeledEdit* RS485SerialLabeledEdit = nullptr;
    TLabeledEdit* RS485FWLabeledEdit = nullptr;
    TPageControl* RS485PageControl = nullptr;
    TTabSheet* RS485MainTabSheet = nullptr;
    TComboBox* RS485SpeedComboBox = nullptr;
    TEdit* RS485Addr1Edit = nullptr;
    TEdit* RS485Addr2Edit = nullptr;
    TCheckBox* RS485CodingCheckBox = nullptr;
    TCheckBox* RS485DefaultKeyCheckBox = nullptr;
    TCheckBox* RS485SKUDSoundCheckBox = nullptr;
    TCheckBox* RS485SKUDTextCheckBox = nullptr;
    TEdit* RS485BaseCodeEdit = nullptr;
    TEdit* RS485BaseCardEdit = nullptr;
    TEdit* RS485BlockCodeEdit = nullptr;
    TCheckBox* RS485BlockCodeCheckBox = nullptr;
    TEdit* RS485BlockTimeoutEdit = nullptr;
    TEdit* RS485BlockFuncEdit = nullptr;
    TEdit* RS485AbortBlowCodeEdit = nullptr;
    TCheckBox* RS485AbortBlowSendCheckBox = nullptr;
    TCheckBox* RS485NoBlowSendCheckBox = nullptr;
    TCheckBox* RS485HightSendCheckBox = nullptr;
    TCheckBox* RS485LowSendCheckBox = nullptr;
    TCheckBox* RS485ErrorSendCheckBox = nullptr;
    TCheckBox* RS485ErrorAddCodeCheckBox = nullptr;
    TCheckBox* RS485LowAddResultCheckBox = nullptr;
    TCheckBox* RS485HightAddResultCheckBox = nullptr;
    TEdit* RS485ErrorCodeEdit = nullptr;
    TEdit* RS485LowCodeEdit = nullptr;
    TEdit* RS485HightCodeEdit = nullptr;
    TEdit* RS485NoBlowCodeEdit = nullptr;
    TCheckBox* RS485ClickEnabledCheckBox = nullptr;
    TCheckBox* RS485ClickSecondReaderCheckBox = nullptr;
    TEdit* RS485ClickStartCodeEdit = nullptr;
    TEdit* RS485ClickEndCodeEdit = nullptr;
    TEdit* RS485ClickPeriodEdit = nullptr;
    TCheckBox* RS485AddPinCodeCheckBox = nullptr;
    // Key codes in the device's order: 0..9, *, #, F1..F4, F1&F2, F2&F3, F3&F4, F4&F1.
    std::array<TEdit*, 20> WiegandKeyEdit{};
    TTabSheet* RS485VReaderTabSheet = nullptr;
    std::array<TComboBox*, 8> RS485VirtFuncInComboBox{};
    std::array<TComboBox*, 8> RS485VirtValInComboBox{};
    std::array<TEdit*, 8> RS485VirtTimerInEdit{};
    // Output function boxes in the device's order: outputs 1..8, text 1, text 2, LED 1 red,
    // LED 1 green, LED 2 red, LED 2 green, buzzer 1, buzzer 2.
    std::array<TComboBox*, 16> RS485VirtFuncOutComboBox{};
    TEdit* RS485VirtReaderOutText1Edit = nullptr;
    TEdit* RS485VirtReaderOutText2Edit = nullptr;
    TCheckBox* RS485BlockStartEndCheckBox = nullptr;

    // Ethernet page
    TTabSheet* EthTabSheet = nullptr;
    TGroupBox* EthInfoGroupBox = nullptr;
    TLabeledEdit* EthSerialLabeledEdit = nullptr;
    TLabeledEdit* EthFWLabeledEdit = nullptr;
    TLabeledEdit* EthMACLabeledEdit = nullptr;
    TGroupBox* EthDeviceOptionsGroupBox = nullptr;
    TGroupBox* EthIPGroupBox = nullptr;
    TComboBox* EthStaticIPComboBox = nullptr;
    TLabeledEdit* EthStaticIPLabeledEdit = nullptr;
    TLabeledEdit* EthStaticMaskLabeledEdit = nullptr;
    TLabeledEdit* EthStaticGWLabeledEdit = nullptr;
    TLabeledEdit* EthPortLabeledEdit = nullptr;
    TComboBox* EthModeComboBox = nullptr;
    TComboBox* EthProtoComboBox = nullptr;
    TComboBox* EthLLMNRComboBox = nullptr;
    TComboBox* EthRedirectComboBox = nullptr;
    TComboBox* EthAuthComboBox = nullptr;
    TGroupBox* EthJSONGroupBox = nullptr;
    TCheckBox* EthRusJSONCheckBox = nullptr;
    TCheckBox* EthEngJSONCheckBox = nullptr;
    TGroupBox* EthFilesGroupBox = nullptr;
    TPanel* EthFilesPanel = nullptr;
    TListView* EthFilesListView = nullptr;
    TStaticText* EthFilesSpaceStaticText = nullptr;
    TButton* EthCheckFilesButton = nullptr;
    TButton* EthFileAddButton = nullptr;
    TButton* EthFileDeleteButton = nullptr;
    TButton* EthFileDeletaAllButton = nullptr;

    // Right panel, status bar, menus, dialogs
    TPanel* RightPanel = nullptr;
    TGroupBox* ConfigGroupBox = nullptr;
    TBitBtn* DevReadBitBtn = nullptr;
    TBitBtn* DevWriteBitBtn = nullptr;
    TButton* CloseButton = nullptr;
    TStatusBar* MainStatusBar = nullptr;
    TPopupMenu* ReadPopupMenu = nullptr;
    TMenuItem* BlockReadN = nullptr;
    TMenuItem* DevReadN = nullptr;
    TMenuItem* N2 = nullptr;
    TMenuItem* FileReadN = nullptr;
    TPopupMenu* WritePopupMenu = nullptr;
    TMenuItem* BlockWriteN = nullptr;
    TMenuItem* DevWriteN = nullptr;
    TMenuItem* N1 = nullptr;
    TMenuItem* FileWriteN = nullptr;
    TSaveDialog* MainSaveDialog = nullptr;
    TOpenDialog* MainOpenDialog = nullptr;
    TOpenDialog* EthOpenDialog = nullptr;
    TImageList* MainImageList = nullptr;

    // The two status-bar panels' texts.
    String StatusText(int Panel) const;
    void SetStatusText(int Panel, const String& Text);

private:
    void CreateLayout();
    void CreateGasAnalyserPage();
    void CreateInterfacePage();
    void CreateRs485Page();
    void CreateEthernetPage();
    void CreateRightPanelAndMenus();
    void FillRs485FunctionBoxes();
    void FillMenuImages();
    void EmptyEventsTable();
    void CreateControlEventsTable();
    // The events grid over the table, parented to the events panel.
    void CreateControlEventsGrid();
    // The event editor (the application's one, else one owned by this window).
    TEventEditForm* EventEditor();

    // Sends Data to Address and receives the answer into Answer; true when the status is Status.
    bool Exchange(const uint8_t* Data, int Length, uint8_t Address, uint8_t* Answer, int Status);
    // Sends a write payload and receives into the same buffer; true when the status is 1.
    bool WritePacket(uint8_t* Payload, int Length, uint8_t Address);
    bool DeleteFiles(const uint8_t* Request, int Length);
    bool WaitForBytes(uint32_t Count, uint32_t Since);
    bool LinkFailure(const String& Reason);
    // The request a received answer must belong to.
    uint8_t FRequestAddress = 0;
    uint8_t FRequestCommand = 0;
    bool FLinkFailed = false;
    bool FAdapterFault = false; // the last wait ended on a driver error, not a time-out
    String FLinkError;
    uint32_t FLastPaint = 0;
    uint32_t FBytesMissing = 0; // what the wait under way still waits for
    bool FBusyCursor = false;
    // Names the block and step under way in the status bar.
    void ShowActivity(int Block, bool Writing);
    int RunModal(TCustomForm* Form);
    bool RunFileDialog(TOpenDialog* Dialog);

    // Block tables of the read and write commands.
    String BlockCaption(int Block) const;
    bool ReadBlock(int Block);
    bool EncodeBlock(int Block);
    bool WriteEncodedBlock(int Block);
    String CheckText(int Block, bool WholeDevice) const;
    TLabeledEdit* FirmwareEdit(int Block) const;
    void ShowDeviceMissing(int Line);
    TControl* ActiveBlockPage() const;
    TLabeledEdit* SerialEdit(int Block) const;
    String EventsLineValue();

    std::vector<std::pair<TControl*, int>> FUnshownValues;

    // Payloads of the last encoding, kept from the checks to the writes.
    struct TPayloads {
        std::array<uint8_t, 256> Gas3{}, Gas6{}, Ctl3{}, Ctl5{}, Ev1{}, Ev2{}, Rs3{}, Eth3{};
        std::array<uint8_t, 136> GasTexts{};
        int LGas3 = 0, LGas6 = 0, LGasTexts = 0, LCtl3 = 0, LCtl5 = 0, LEv1 = 0, LEv2 = 0, LRs3 = 0,
            LEth3 = 0;
    } FPayloads;
};

extern TMainForm* MainForm;
