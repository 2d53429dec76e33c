#pragma once
// Control events of the interface block: the two-byte event record, the vocabulary of
// conditions and actions, the texts that describe an event, and the event editor dialog.

#include "platform/ui/Forms.h"

#include <array>
#include <memory>

// The interface block runs at most this many events; events are numbered 1..128 by their row.
constexpr int MaxControlEvents = 128;

// One rule: "when this condition occurs perform this action".
//   bt1 = condition (0..31) << 3 | action kind (0..7)
//   bt2 = the action's parameter, laid out by the action kind.
// A parameter that names another event stores the event number minus one in bits 6..0.
struct ControlEvent {
    Byte bt1 = 0;
    Byte bt2 = 0;

    int Condition() const { return bt1 >> 3; }
    int Kind() const { return bt1 & 7; }
    static ControlEvent Make(int Condition, int Kind, Byte Param) {
        return {Byte(((Condition & 31) << 3) | (Kind & 7)), Param};
    }
    friend bool operator==(const ControlEvent&, const ControlEvent&) = default;
};

// Action kinds (the low three bits of bt1).
enum TControlEventKind : int {
    cekState = 0,      // change an output or LED state: bt2 indexes sHEvents0
    cekControl = 1,    // measurement control, F-register operations, go to event
    cekCodeTimer = 2,  // pass on the incoming code, delay, timers
    cekSendCode = 3,   // bt2 = the code to send
    cekSendResult = 4, // bt2 = the code sent with the measurement result
    cekSendError = 5,  // bt2 = the code sent with the error code
    cekLockEvent = 6,  // bit 7 = lock, bits 6..0 = event number - 1
    cekWiegandFormula = 7,
};

// The vocabulary: texts of the language file's [Msg] section with built-in Russian defaults,
// each table indexed from 0 and read under its key stem with a count from 1 ("sJobs1"...).
struct TEventVocabulary {
    std::array<String, 8> sJobs;         // action kinds
    std::array<String, 32> sLEvents;     // conditions
    std::array<String, 84> sHEvents0;    // bt2 0..83 of kind 0
    std::array<String, 16> sHEvents1;    // bt2 0..15 of kind 1
    std::array<String, 15> sHEvents71;   // bt2 1..15 of kind 7
    std::array<String, 15> sHEvents733;  // bt2 33..47 of kind 7
    std::array<String, 12> sHEvents7128; // bt2 128..139 of kind 7
    std::array<String, 12> sHEvents7144; // bt2 144..155 of kind 7
    std::array<String, 12> sHEvents7160; // bt2 160..171 of kind 7
    std::array<String, 12> sHEvents7176; // bt2 176..187 of kind 7
};

// The built-in texts, without the language file.
const TEventVocabulary& DefaultEventVocabulary();
// Builds the vocabulary once, through GetMsg, table by table in the order of the structure and
// each table in key order. The program's start-up calls it; the getter calls it when needed.
void InitEventVocabulary();
// Releases the vocabulary; a later use builds it again.
void FreeEventVocabulary();
// The vocabulary, built on first use.
const TEventVocabulary& EventVocabulary();

// The text of a condition (its low five bits).
String GetConditionText(int Condition);
// The description of an action: by the kind in the low three bits of bt1 and by bt2.
String GetActionText(Byte bt1, Byte bt2);

// ---------------------------------------------------------------------------------------------
// The event editor.

class TRadioGroup;
class TPanel;
class TButton;
class TGroupBox;
class TPageControl;
class TTabSheet;
class TCheckListBox;
class TLabeledEdit;
class TComboBox;
class TEdit;
class TCustomEdit;
class TCheckBox;
class TLabel;
class TCustomListBox;

// The data attached to a check-list item whose text carries a value.
struct ParamItemData : TObject {
    // What the value means.
    static constexpr Byte pkFValue = '%'; // F value or mask 0..15
    static constexpr Byte pkDelay = '$';  // delay in time-outs 0..63
    static constexpr Byte pkTimer = '!';  // timer in tenths of a second 1..63
    static constexpr Byte pkEvent = '?';  // event number 1..128
    Byte kind = 0;
    Byte value = 0;
    String Template; // the item's text with one "%s" where the value goes
};

class TEventEditForm : public TForm {
    KVT_CLASS(TEventEditForm, TForm)
public:
    explicit TEventEditForm(TComponent* AOwner);
    ~TEventEditForm() override;

    // Loads an event into the dialog (called before every ShowModal).
    void SetEvent(Byte Abt1, Byte Abt2);
    // The event: as SetEvent left it, rewritten by "Сохранить".
    Byte bt1() const { return Fbt1; }
    Byte bt2() const { return Fbt2; }
    ControlEvent Event() const { return {Fbt1, Fbt2}; }

    // Checks exactly the selected item and, when it carries a value, asks for it (unless
    // WithoutPrompt) and shows it in the item's text.
    void UpdateParamItem(TCheckListBox* List, bool WithoutPrompt);

    // Handlers.
    void JobsRadioGroupClick(TObject* Sender);
    void CheckListBoxMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void CheckListBoxClick(TObject* Sender);
    void CheckListBoxClickCheck(TObject* Sender);
    void WiegandFRadioGroupClick(TObject* Sender);
    void ResetCardCheckBoxClick(TObject* Sender);
    void ResetCardBitsEditChange(TObject* Sender);
    void ResetCodeCheckBoxClick(TObject* Sender);
    void ResetCardBitsEditExit(TObject* Sender);
    void WiegandFInsertByteEditChange(TObject* Sender);
    void WiegandFInsertRadioGroupClick(TObject* Sender);
    void LoadAllDeviceParamButtonClick(TObject* Sender);
    void CloseButtonClick(TObject* Sender);
    void FormKeyPress(TObject* Sender, Char& Key);

    // Components.
    TRadioGroup* ConditionRadioGroup = nullptr;
    TPanel* ButtonPanel = nullptr;
    TButton* LoadAllDeviceParamButton = nullptr;
    TButton* CloseButton = nullptr;
    TGroupBox* JobsGroupBox = nullptr;
    TRadioGroup* JobsRadioGroup = nullptr;
    TPageControl* JobParamPageControl = nullptr;
    TTabSheet* StateTabSheet = nullptr;
    TCheckListBox* StateCheckListBox = nullptr;
    TTabSheet* ControlTabSheet = nullptr;
    TCheckListBox* ControlCheckListBox = nullptr;
    TTabSheet* CodeTimerTabSheet = nullptr;
    TCheckListBox* CodeTimerCheckListBox = nullptr;
    TTabSheet* SendCodeTabSheet = nullptr;
    TLabeledEdit* CodeLabeledEdit = nullptr;
    TTabSheet* SendResultTabSheet = nullptr;
    TLabeledEdit* ResultCodeLabeledEdit = nullptr;
    TTabSheet* SendErrorCodeTabSheet = nullptr;
    TLabeledEdit* ErrorCodeLabeledEdit = nullptr;
    TTabSheet* UnBlockEventTabSheet = nullptr;
    TComboBox* UnBlockEventComboBox = nullptr;
    TEdit* UnBlockEventNumberEdit = nullptr;
    TTabSheet* WiegandFTabSheet = nullptr;
    TRadioGroup* WiegandFRadioGroup = nullptr;
    TPageControl* WiegandFPageControl = nullptr;
    TTabSheet* WiegandResetTabSheet = nullptr;
    TCheckBox* ResetContinueCheckBox = nullptr;
    TCheckBox* ResetCodeCheckBox = nullptr;
    TCheckBox* ResetResultCheckBox = nullptr;
    TCheckBox* ResetErrorCheckBox = nullptr;
    TCheckBox* ResetCardCheckBox = nullptr;
    TEdit* ResetCardBitsEdit = nullptr;
    TTabSheet* WiegandInsertConstTabSheet = nullptr;
    TComboBox* WiegandFInsertConstShiftComboBox = nullptr;
    TLabel* WiegandFInsertConstValueLabel = nullptr;
    TEdit* WiegandFInsertConstValueEdit = nullptr;
    TTabSheet* WiegandInsertValueTabSheet = nullptr;
    TCheckBox* WiegandFInsertShiftCheckBox = nullptr;
    TCheckBox* WiegandFInsertBinAddCheckBox = nullptr;
    TRadioGroup* WiegandFInsertValueRadioGroup = nullptr;
    TRadioGroup* WiegandFInsertDigitRadioGroup = nullptr;
    TLabel* WiegandFInsertByteLabel = nullptr;
    TEdit* WiegandFInsertByteEdit = nullptr;
    TTabSheet* WiegandSendTabSheet = nullptr;
    TCheckBox* WiegandFSendContinueCheckBox = nullptr;
    TCheckBox* WiegandFSendParityCheckBox = nullptr;

private:
    void CreateLayout();
    void FillLists();
    // Shows page Index of a page control whose tabs are hidden.
    static void ShowOnlyPage(TPageControl* Pages, int Index);
    // Selects item Index of a check-list box, or none when it does not exist.
    static void SelectItem(TCheckListBox* List, int Index);
    static ParamItemData* ItemData(TCheckListBox* List, int Index);
    // Asks for a value of the item's kind; false when the answer is refused.
    bool PromptValue(TCheckListBox* List, int Index, ParamItemData* Data, int& Value);
    // A typed number that must fit its field; shows the warning and answers false otherwise.
    bool CheckedNumber(TCustomEdit* Edit, int Min, int Max, int& Value);

    Byte Fbt1 = 0;
    Byte Fbt2 = 0;
    bool FUpdatingItem = false;
    std::vector<std::unique_ptr<ParamItemData>> FParamData;
};

// The dialog the program creates at start-up, after the main window and the other dialogs.
extern TEventEditForm* EventEditForm;
