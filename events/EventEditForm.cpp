// The event editor: composes one control event from a condition, an action kind and the
// action's parameter.

#include "events/EventEditUnit.h"

#include "lib/lang/LangUnit.h"
#include "lib/lang/LayoutHelpers.h"

#include "platform/ui/CheckLst.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

TEventEditForm* EventEditForm = nullptr;

namespace {

const char* const UnitName = "EventEditUnit";

// A parameterised item: its key, the text shown at first, the template and the first value.
struct ParamItemDef {
    const char* Key;
    const char* Display;
    const char* Template;
    Byte Kind;
    Byte Value;
    const char* Argument;
};

// Control items 16..23 (after the sixteen plain commands).
const ParamItemDef ControlParamItems[] = {
    {"sHEvents1_17", "Установить значение F=%s", "Установить значение F=%s", '%', 0, "0"},
    {"sHEvents1_18", "Сбросить биты F по маске %s", "Сбросить биты F по маске %s", '%', 0, "0"},
    {"sHEvents1_19", "Установить биты F по маске %s", "Установить биты F по маске %s", '%', 0, "0"},
    {"sHEvents1_20", "Пропустить след.соб.если F=%s", "Пропустить след.соб.если F=%s", '%', 0, "0"},
    {"sHEvents1_21", "Пропустить след.соб.если побит. И маска (%s)",
     "Пропустить след.соб.если побит.И маска (%s)", '%', 0, "0"},
    {"sHEvents1_22", "Пропустить след.соб.если побит. ИЛИ маска (%s)",
     "Пропустить след.соб.если побит.ИЛИ маска (%s)", '%', 0, "0"},
    {"sHEvents1_23", "Передать в качестве параметра значение (%s)",
     "Передать в качестве параметра значение (%s)", '%', 0, "0"},
    {"sHEvents1_24", "Перейти к событию № %s", "Перейти к событию № %s", '?', 1, "1"},
};

// Code and timer items; Kind 0 marks a plain item.
const ParamItemDef CodeTimerItems[] = {
    {"sTimerCode1", "Передать пришедший код", nullptr, 0, 0, nullptr},
    {"sTimerCode2", "Добавить задержку передачи %s таймаутов", "Добавить задержку передачи %s таймаутов", '$',
     1, "1"},
    {"sTimerCode3", "Сбросить таймер1", nullptr, 0, 0, nullptr},
    {"sTimerCode4", "Установить таймер1 на %s сек", "Установить таймер1 на %s сек ", '!', 1, "0.1"},
    {"sTimerCode5", "Сбросить таймер2", nullptr, 0, 0, nullptr},
    {"sTimerCode6", "Установить таймер2 на %s сек", "Установить таймер2 на %s сек ", '!', 1, "0.1"},
    {"sTimerCode7", "Сбросить таймер3", nullptr, 0, 0, nullptr},
    {"sTimerCode8", "Установить таймер3 на %s сек", "Установить таймер3 на %s сек ", '!', 1, "0.1"},
};

String ValueText(Byte Kind, int Value) {
    if (Kind == ParamItemData::pkTimer)
        return QString::number(Value / 10) + u'.' + QString::number(Value % 10);
    return QString::number(Value);
}

String ItemText(const ParamItemData& d) {
    String t = d.Template;
    return t.replace(QStringLiteral("%s"), ValueText(d.kind, d.value));
}

int Number(TCustomEdit* Edit, int Default = 0) {
    return StrToIntDef(Edit->Text().trimmed(), Default);
}

void ShowRangeError(const String& Text) {
    ShowMsgBox(Text, GetMsg("EventsErrorCaption", "Ошибка"), MsgBoxWarning, UnitName, __LINE__);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Construction

TEventEditForm::TEventEditForm(TComponent* AOwner) : TForm(AOwner, 0) {
    CreateLayout();
    ApplyLanguage(this, QString::fromLatin1(LanguageFileName));
    FillLists();
}

TEventEditForm::~TEventEditForm() {
    // The window that made the editor may free it: the global then names none.
    if (EventEditForm == this) EventEditForm = nullptr;
}

void TEventEditForm::CreateLayout() {
    SetName("EventEditForm");
    SetCaption("Редактирование события");
    SetBorderStyle(bsToolWindow);
    SetPosition(poMainFormCenter);
    SetKeyPreview(true);
    Font()->SetName("Tahoma");
    Font()->SetHeight(-11);
    SetClientWidth(846);
    SetClientHeight(527);
    OnKeyPress = TKeyPressEvent(this, &TEventEditForm::FormKeyPress);

    ConditionRadioGroup = new TRadioGroup(this);
    layout::Place(ConditionRadioGroup, this, "ConditionRadioGroup", 0, 0, 344, 527);
    ConditionRadioGroup->SetAlign(alLeft);
    ConditionRadioGroup->SetCaption("Условие");

    ButtonPanel = new TPanel(this);
    layout::Place(ButtonPanel, this, "ButtonPanel", 755, 0, 91, 527);
    ButtonPanel->SetAlign(alRight);
    ButtonPanel->SetCaption(String());

    LoadAllDeviceParamButton = new TButton(this);
    layout::Place(LoadAllDeviceParamButton, ButtonPanel, "LoadAllDeviceParamButton", 8, 8, 75, 25);
    LoadAllDeviceParamButton->SetCaption("Сохранить");
    LoadAllDeviceParamButton->OnClick = TNotifyEvent(this, &TEventEditForm::LoadAllDeviceParamButtonClick);

    CloseButton = new TButton(this);
    layout::Place(CloseButton, ButtonPanel, "CloseButton", 8, 494, 75, 25);
    CloseButton->SetAnchors({akLeft, akBottom});
    CloseButton->SetCaption("Отмена");
    CloseButton->OnClick = TNotifyEvent(this, &TEventEditForm::CloseButtonClick);

    JobsGroupBox = new TGroupBox(this);
    layout::Place(JobsGroupBox, this, "JobsGroupBox", 344, 0, 411, 527);
    JobsGroupBox->SetAlign(alClient);
    JobsGroupBox->SetCaption("Действие");

    JobsRadioGroup = new TRadioGroup(this);
    layout::Place(JobsRadioGroup, JobsGroupBox, "JobsRadioGroup", 2, 15, 407, 166);
    JobsRadioGroup->SetAlign(alTop);
    JobsRadioGroup->OnClick = TNotifyEvent(this, &TEventEditForm::JobsRadioGroupClick);

    JobParamPageControl = new TPageControl(this);
    layout::Place(JobParamPageControl, JobsGroupBox, "JobParamPageControl", 2, 181, 407, 344);
    JobParamPageControl->SetAlign(alClient);

    auto checkList = [&](TTabSheet* ts, const char* name) {
        auto* lb = layout::Add<TCheckListBox>(this, ts, name, 0, 0, 399, 316);
        lb->SetAlign(alClient);
        lb->SetShowHint(true);
        lb->OnClick = TNotifyEvent(this, &TEventEditForm::CheckListBoxClick);
        lb->OnClickCheck = TNotifyEvent(this, &TEventEditForm::CheckListBoxClickCheck);
        lb->OnMouseMove = TMouseMoveEvent(this, &TEventEditForm::CheckListBoxMouseMove);
        return lb;
    };
    auto numberEdit = [](TCustomEdit* e, int maxLength, const char* text) {
        e->SetNumbersOnly(true);
        e->SetMaxLength(maxLength);
        e->SetText(QString::fromLatin1(text));
    };
    auto labeledEdit = [&](TTabSheet* ts, const char* name, const char* label) {
        auto* e = layout::Add<TLabeledEdit>(this, ts, name, 160, 16, 57, 21);
        e->SetLabelPosition(lpLeft);
        e->SetLabelSpacing(6);
        e->EditLabel()->SetCaption(QString::fromUtf8(label));
        numberEdit(e, 3, "0");
        return e;
    };
    auto edit = [&](TWinControl* parent, const char* name, int l, int t, int w, int maxLength,
                    const char* text) {
        auto* e = layout::Add<TEdit>(this, parent, name, l, t, w, 21);
        numberEdit(e, maxLength, text);
        return e;
    };

    StateTabSheet = layout::Page(this, JobParamPageControl, "StateTabSheet", "Состояние");
    StateCheckListBox = checkList(StateTabSheet, "StateCheckListBox");
    ControlTabSheet = layout::Page(this, JobParamPageControl, "ControlTabSheet", "Управление");
    ControlCheckListBox = checkList(ControlTabSheet, "ControlCheckListBox");
    CodeTimerTabSheet = layout::Page(this, JobParamPageControl, "CodeTimerTabSheet", "Код или таймер");
    CodeTimerCheckListBox = checkList(CodeTimerTabSheet, "CodeTimerCheckListBox");

    SendCodeTabSheet = layout::Page(this, JobParamPageControl, "SendCodeTabSheet", "Передать код");
    CodeLabeledEdit = labeledEdit(SendCodeTabSheet, "CodeLabeledEdit", "Код для передачи");
    SendResultTabSheet = layout::Page(this, JobParamPageControl, "SendResultTabSheet", "Передать результат");
    ResultCodeLabeledEdit =
        labeledEdit(SendResultTabSheet, "ResultCodeLabeledEdit", "Добавить код для передачи");
    SendErrorCodeTabSheet =
        layout::Page(this, JobParamPageControl, "SendErrorCodeTabSheet", "Передать код ошибки");
    ErrorCodeLabeledEdit =
        labeledEdit(SendErrorCodeTabSheet, "ErrorCodeLabeledEdit", "Добавить код для передачи");

    UnBlockEventTabSheet =
        layout::Page(this, JobParamPageControl, "UnBlockEventTabSheet", "Блокировка событий");
    UnBlockEventComboBox = new TComboBox(this);
    layout::Place(UnBlockEventComboBox, UnBlockEventTabSheet, "UnBlockEventComboBox", 16, 16, 185, 21);
    UnBlockEventComboBox->SetStyle(csDropDownList);
    UnBlockEventComboBox->Items()->Add("Разблокировать событие");
    UnBlockEventComboBox->Items()->Add("Заблокировать событие");
    UnBlockEventComboBox->SetItemIndex(0);
    UnBlockEventNumberEdit = edit(UnBlockEventTabSheet, "UnBlockEventNumberEdit", 216, 16, 49, 3, "1");

    WiegandFTabSheet = layout::Page(this, JobParamPageControl, "WiegandFTabSheet", "Формула Wiegand");
    WiegandFRadioGroup = layout::RadioGroup(
        this, WiegandFTabSheet, "WiegandFRadioGroup", "Формула",
        {"Сбросить", "Вставить 4-х битную константу", "Вставить значение", "Передать"}, 0, 0, 399, 89);
    WiegandFRadioGroup->SetAlign(alTop);
    WiegandFRadioGroup->SetItemIndex(0);
    WiegandFRadioGroup->OnClick = TNotifyEvent(this, &TEventEditForm::WiegandFRadioGroupClick);
    WiegandFPageControl = new TPageControl(this);
    layout::Place(WiegandFPageControl, WiegandFTabSheet, "WiegandFPageControl", 0, 89, 399, 227);
    WiegandFPageControl->SetAlign(alClient);

    WiegandResetTabSheet = layout::Page(this, WiegandFPageControl, "WiegandResetTabSheet", "Сбросить");
    ResetContinueCheckBox = layout::Check(this, WiegandResetTabSheet, "ResetContinueCheckBox",
                                          "Продолжить редактирование формулы", 8, 8, 370);
    ResetCodeCheckBox = layout::Check(this, WiegandResetTabSheet, "ResetCodeCheckBox",
                                      "Для события \"Передать код\"", 8, 34, 370);
    ResetResultCheckBox = layout::Check(this, WiegandResetTabSheet, "ResetResultCheckBox",
                                        "Для события \"Передать результат + код\"", 8, 56, 370);
    ResetErrorCheckBox = layout::Check(this, WiegandResetTabSheet, "ResetErrorCheckBox",
                                       "Для события \"Передать код ошибки + код\"", 8, 78, 370);
    ResetCardCheckBox =
        layout::Check(this, WiegandResetTabSheet, "ResetCardCheckBox", "Для карты", 8, 104, 120);
    ResetCardBitsEdit = edit(WiegandResetTabSheet, "ResetCardBitsEdit", 136, 102, 33, 1, "0");
    ResetCardBitsEdit->SetEnabled(false);
    ResetCodeCheckBox->OnClick = TNotifyEvent(this, &TEventEditForm::ResetCodeCheckBoxClick);
    ResetResultCheckBox->OnClick = TNotifyEvent(this, &TEventEditForm::ResetCodeCheckBoxClick);
    ResetErrorCheckBox->OnClick = TNotifyEvent(this, &TEventEditForm::ResetCodeCheckBoxClick);
    ResetCardCheckBox->OnClick = TNotifyEvent(this, &TEventEditForm::ResetCardCheckBoxClick);
    ResetCardBitsEdit->OnChange = TNotifyEvent(this, &TEventEditForm::ResetCardBitsEditChange);
    ResetCardBitsEdit->OnExit = TNotifyEvent(this, &TEventEditForm::ResetCardBitsEditExit);

    WiegandInsertConstTabSheet =
        layout::Page(this, WiegandFPageControl, "WiegandInsertConstTabSheet", "Вставить константу");
    WiegandFInsertConstShiftComboBox = new TComboBox(this);
    layout::Place(WiegandFInsertConstShiftComboBox, WiegandInsertConstTabSheet,
                  "WiegandFInsertConstShiftComboBox", 8, 10, 145, 21);
    WiegandFInsertConstShiftComboBox->SetStyle(csDropDownList);
    for (const char* s : {"Смещение 1 бит", "Смещение 2 бит", "Смещение 3 бит", "Смещение 4 бит"})
        WiegandFInsertConstShiftComboBox->Items()->Add(QString::fromUtf8(s));
    WiegandFInsertConstShiftComboBox->SetItemIndex(0);
    WiegandFInsertConstValueLabel = layout::Label(this, WiegandInsertConstTabSheet,
                                                  "WiegandFInsertConstValueLabel", "Константа", 168, 14);
    WiegandFInsertConstValueEdit =
        edit(WiegandInsertConstTabSheet, "WiegandFInsertConstValueEdit", 232, 10, 41, 2, "0");

    WiegandInsertValueTabSheet =
        layout::Page(this, WiegandFPageControl, "WiegandInsertValueTabSheet", "Вставить значение");
    WiegandFInsertShiftCheckBox =
        layout::Check(this, WiegandInsertValueTabSheet, "WiegandFInsertShiftCheckBox",
                      "Сместить по размеру данных", 8, 6, 370);
    WiegandFInsertBinAddCheckBox =
        layout::Check(this, WiegandInsertValueTabSheet, "WiegandFInsertBinAddCheckBox",
                      "Вставить бинарное дополнение", 8, 28, 370);
    WiegandFInsertValueRadioGroup =
        layout::RadioGroup(this, WiegandInsertValueTabSheet, "WiegandFInsertValueRadioGroup",
                           "Использовать значение", {"Код", "Аргумент", "Код + аргумент"}, 8, 50, 180, 110);
    WiegandFInsertDigitRadioGroup = layout::RadioGroup(
        this, WiegandInsertValueTabSheet, "WiegandFInsertDigitRadioGroup", "Число",
        {"Значение", "Разряд единиц", "Разряд десятков", "Разряд сотен"}, 196, 50, 180, 110);
    // The byte edit starts at "0": code, whole value.
    WiegandFInsertValueRadioGroup->SetItemIndex(0);
    WiegandFInsertDigitRadioGroup->SetItemIndex(0);
    WiegandFInsertByteLabel =
        layout::Label(this, WiegandInsertValueTabSheet, "WiegandFInsertByteLabel", "Байт", 8, 172);
    WiegandFInsertByteEdit = edit(WiegandInsertValueTabSheet, "WiegandFInsertByteEdit", 48, 168, 33, 1, "0");
    WiegandFInsertValueRadioGroup->OnClick =
        TNotifyEvent(this, &TEventEditForm::WiegandFInsertRadioGroupClick);
    WiegandFInsertDigitRadioGroup->OnClick =
        TNotifyEvent(this, &TEventEditForm::WiegandFInsertRadioGroupClick);
    WiegandFInsertByteEdit->OnChange = TNotifyEvent(this, &TEventEditForm::WiegandFInsertByteEditChange);

    WiegandSendTabSheet = layout::Page(this, WiegandFPageControl, "WiegandSendTabSheet", "Передать");
    WiegandFSendContinueCheckBox = layout::Check(this, WiegandSendTabSheet, "WiegandFSendContinueCheckBox",
                                                 "Продолжить редактирование формулы", 8, 8, 370);
    WiegandFSendParityCheckBox = layout::Check(this, WiegandSendTabSheet, "WiegandFSendParityCheckBox",
                                               "Добавить биты четности", 8, 32, 370);
}

void TEventEditForm::FillLists() {
    const TEventVocabulary& v = EventVocabulary();

    ConditionRadioGroup->Items()->BeginUpdate();
    for (const String& s : v.sLEvents)
        ConditionRadioGroup->Items()->Add(s);
    ConditionRadioGroup->Items()->EndUpdate();
    ConditionRadioGroup->SetItemIndex(0);
    JobsRadioGroup->Items()->BeginUpdate();
    for (const String& s : v.sJobs)
        JobsRadioGroup->Items()->Add(s);
    JobsRadioGroup->Items()->EndUpdate();
    JobsRadioGroup->SetItemIndex(0);
    for (int i = 0; i < JobParamPageControl->PageCount(); ++i)
        JobParamPageControl->Pages(i)->SetTabVisible(false);
    ShowOnlyPage(JobParamPageControl, 0);

    auto addParam = [&](TCheckListBox* list, const ParamItemDef& def) {
        const String key = QString::fromLatin1(def.Key);
        if (!def.Kind) {
            list->Items()->Add(GetMsg(key, QString::fromUtf8(def.Display)));
            return;
        }
        auto data = std::make_unique<ParamItemData>();
        data->kind = def.Kind;
        data->value = def.Value;
        // One text serves for both when translated; a template that does not take one text
        // argument would lose the value, so the built-in one is used instead.
        const String tmplDefault = QString::fromUtf8(def.Template);
        data->Template = GetMsg(key, tmplDefault);
        if (!SameConversions(data->Template, tmplDefault)) data->Template = tmplDefault;
        list->Items()->AddObject(
            GetMsgFmt(key, QString::fromUtf8(def.Display), QString::fromLatin1(def.Argument)), data.get());
        FParamData.push_back(std::move(data));
    };

    StateCheckListBox->Items()->BeginUpdate();
    for (const String& s : v.sHEvents0)
        StateCheckListBox->Items()->Add(s);
    StateCheckListBox->Items()->EndUpdate();
    StateCheckListBox->SetChecked(0, true);

    ControlCheckListBox->Items()->BeginUpdate();
    for (const String& s : v.sHEvents1)
        ControlCheckListBox->Items()->Add(s);
    for (const ParamItemDef& d : ControlParamItems)
        addParam(ControlCheckListBox, d);
    ControlCheckListBox->Items()->EndUpdate();
    ControlCheckListBox->SetChecked(0, true);

    CodeTimerCheckListBox->Items()->BeginUpdate();
    for (const ParamItemDef& d : CodeTimerItems)
        addParam(CodeTimerCheckListBox, d);
    CodeTimerCheckListBox->Items()->EndUpdate();
    CodeTimerCheckListBox->SetChecked(0, true);

    for (int i = 0; i < WiegandFPageControl->PageCount(); ++i)
        WiegandFPageControl->Pages(i)->SetTabVisible(false);
    ShowOnlyPage(WiegandFPageControl, 0);
}

// ---------------------------------------------------------------------------------------------
// Helpers

void TEventEditForm::ShowOnlyPage(TPageControl* Pages, int Index) {
    for (int i = 0; i < Pages->PageCount(); ++i)
        Pages->Pages(i)->SetVisible(i == Index);
    if (Index >= 0 && Index < Pages->PageCount()) Pages->SetActivePage(Pages->Pages(Index));
}

void TEventEditForm::SelectItem(TCheckListBox* List, int Index) {
    List->SetItemIndex(Index >= 0 && Index < List->Items()->Count() ? Index : -1);
}

ParamItemData* TEventEditForm::ItemData(TCheckListBox* List, int Index) {
    if (Index < 0 || Index >= List->Items()->Count()) return nullptr;
    return dynamic_cast<ParamItemData*>(List->Items()->Objects(Index));
}

// ---------------------------------------------------------------------------------------------
// Loading an event

void TEventEditForm::SetEvent(Byte Abt1, Byte Abt2) {
    Fbt1 = Abt1;
    Fbt2 = Abt2;
    ConditionRadioGroup->SetItemIndex(Abt1 >> 3);
    JobsRadioGroup->SetItemIndex(Abt1 & 7);
    JobsRadioGroupClick(JobsRadioGroup); // the page must show even when the kind is unchanged

    const int p = Abt2;
    switch (Abt1 & 7) {
    case cekState:
        // A parameter that names no state leaves the list without a selection.
        SelectItem(StateCheckListBox, p);
        CheckListBoxClick(StateCheckListBox);
        break;
    case cekControl: {
        int item = p < 16 ? p : p < 128 ? 15 + (p >> 4) : 23;
        SelectItem(ControlCheckListBox, item);
        if (ParamItemData* d = ItemData(ControlCheckListBox, item))
            d->value = Byte(p < 128 ? p & 15 : (p & 0x7F) + 1);
        UpdateParamItem(ControlCheckListBox, true);
        break;
    }
    case cekCodeTimer: {
        // Bits 7..6 choose the pair of items (pass on or delay, timer 1, 2, 3), bits 5..0 set or not.
        int item = (p >> 6) * 2 + ((p & 63) != 0 ? 1 : 0);
        SelectItem(CodeTimerCheckListBox, item);
        if (ParamItemData* d = ItemData(CodeTimerCheckListBox, item)) d->value = Byte(p & 63);
        UpdateParamItem(CodeTimerCheckListBox, true);
        break;
    }
    case cekSendCode:
        CodeLabeledEdit->SetText(QString::number(p));
        break;
    case cekSendResult:
        ResultCodeLabeledEdit->SetText(QString::number(p));
        break;
    case cekSendError:
        ErrorCodeLabeledEdit->SetText(QString::number(p));
        break;
    case cekLockEvent:
        UnBlockEventComboBox->SetItemIndex(p >> 7);
        UnBlockEventNumberEdit->SetText(QString::number((p & 0x7F) + 1));
        break;
    case cekWiegandFormula:
        WiegandFRadioGroup->SetItemIndex(p >> 6);
        WiegandFRadioGroupClick(WiegandFRadioGroup);
        switch (p >> 6) {
        case 0:
            // Checked first, so that the bits edit is enabled while it is written.
            ResetCardCheckBox->SetChecked(true);
            ResetCardBitsEdit->SetText(QString::number(p & 7));
            ResetCardCheckBox->SetChecked((p & 0x08) != 0);
            ResetContinueCheckBox->SetChecked((p & 0x20) != 0);
            break;
        case 1:
            WiegandFInsertConstValueEdit->SetText(QString::number(p & 15));
            WiegandFInsertConstShiftComboBox->SetItemIndex((p >> 4) & 3);
            break;
        case 2:
            WiegandFInsertShiftCheckBox->SetChecked((p & 0x20) != 0);
            WiegandFInsertBinAddCheckBox->SetChecked((p & 0x10) != 0);
            WiegandFInsertDigitRadioGroup->SetItemIndex(p & 3);
            WiegandFInsertValueRadioGroup->SetItemIndex((p >> 2) & 3);
            break;
        default:
            WiegandFSendParityCheckBox->SetChecked((p & 0x01) != 0);
            WiegandFSendContinueCheckBox->SetChecked((p & 0x20) != 0);
            break;
        }
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Parameterised items

bool TEventEditForm::PromptValue(TCheckListBox* List, int Index, ParamItemData* Data, int& Value) {
    const String caption = List->Items()->Strings(Index);
    int v = 0;
    int lo = 0, hi = 0;
    String error;
    if (Data->kind == ParamItemData::pkTimer) {
        String answer =
            InputBox(caption, GetMsg("EventsInputValue", "Значение:"), ValueText(Data->kind, Data->value));
        answer.replace(u',', u'.');
        Extended f = 0;
        if (!TryStrToFloat(answer, f, TFormatSettings::Invariant())) f = 0;
        // Tenths, truncated toward zero; computed in extended precision so that "2.3" is 23.
        Extended tenths = f * 10;
        v = tenths >= 1e6L ? 1000000 : tenths <= -1e6L ? -1000000 : int(tenths);
        lo = 1;
        hi = 63;
        error = GetMsg("EventsFloatErrorMsg", "Допустимые значения от 0.1 до 6.3!");
    } else {
        const bool event = Data->kind == ParamItemData::pkEvent;
        String prompt = event ? GetMsg("EventsInputNumber", "Номер события:")
                              : GetMsg("EventsInputValueMask", "Значение / Маска:");
        v = StrToIntDef(InputBox(caption, prompt, QString::number(Data->value)).trimmed(), -1);
        lo = event ? 1 : 0;
        hi = event ? 128 : Data->kind == ParamItemData::pkDelay ? 63 : 15;
        error = event ? GetMsg("EventsIntErrorMsg", "Допустимые значения от 1 до 128!")
                      : GetMsgFmt("EventsIntFErrorMsg", "Допустимые значения от 0 до %d!", hi);
    }
    if (v < lo || v > hi) {
        ShowRangeError(error);
        return false;
    }
    Value = v;
    return true;
}

void TEventEditForm::UpdateParamItem(TCheckListBox* List, bool WithoutPrompt) {
    if (FUpdatingItem) return; // rewriting an item's text is no click on it
    const int sel = List->ItemIndex();
    if (ParamItemData* d = ItemData(List, sel)) {
        int v = d->value;
        if (!WithoutPrompt && !PromptValue(List, sel, d, v)) v = d->value;
        d->value = Byte(v);
        FUpdatingItem = true;
        List->Items()->SetStrings(sel, ItemText(*d));
        FUpdatingItem = false;
    }
    // Exactly the selected item ends up checked.
    for (int i = 0; i < List->Items()->Count(); ++i)
        List->SetChecked(i, i == sel);
}

// ---------------------------------------------------------------------------------------------
// Saving

bool TEventEditForm::CheckedNumber(TCustomEdit* Edit, int Min, int Max, int& Value) {
    // Empty or unreadable counts as 0; a number that does not fit its field is refused rather
    // than cut to its low bits.
    int v = Number(Edit);
    if (v < Min || v > Max) {
        ShowRangeError(Min == 1 && Max == 128
                           ? GetMsg("EventsIntErrorMsg", "Допустимые значения от 1 до 128!")
                           : GetMsgFmt("EventsIntFErrorMsg", "Допустимые значения от 0 до %d!", Max));
        if (Edit->CanFocus()) Edit->SetFocus();
        return false;
    }
    Value = v;
    return true;
}

void TEventEditForm::LoadAllDeviceParamButtonClick(TObject*) {
    const int condition =
        ConditionRadioGroup->ItemIndex() >= 0 ? ConditionRadioGroup->ItemIndex() : Fbt1 >> 3;
    const int kind = JobsRadioGroup->ItemIndex() >= 0 ? JobsRadioGroup->ItemIndex() & 7 : Fbt1 & 7;
    int p = Fbt2; // kept when the kind's list has no selected item
    int n = 0;
    switch (kind) {
    case cekState:
        if (StateCheckListBox->ItemIndex() >= 0) p = StateCheckListBox->ItemIndex();
        break;
    case cekControl: {
        const int i = ControlCheckListBox->ItemIndex();
        ParamItemData* d = ItemData(ControlCheckListBox, i);
        if (i >= 0 && i <= 15)
            p = i;
        else if (i >= 16 && i <= 22 && d)
            p = ((i - 15) << 4) | (d->value & 15);
        else if (i == 23 && d)
            p = ((d->value - 1) & 0x7F) | 0x80;
        break;
    }
    case cekCodeTimer: {
        const int i = CodeTimerCheckListBox->ItemIndex();
        ParamItemData* d = ItemData(CodeTimerCheckListBox, i);
        if (i >= 0 && i <= 7) p = (i / 2) * 64 + ((i & 1) && d ? d->value & 63 : 0);
        break;
    }
    case cekSendCode:
        if (!CheckedNumber(CodeLabeledEdit, 0, 255, p)) return;
        break;
    case cekSendResult:
        if (!CheckedNumber(ResultCodeLabeledEdit, 0, 255, p)) return;
        break;
    case cekSendError:
        if (!CheckedNumber(ErrorCodeLabeledEdit, 0, 255, p)) return;
        break;
    case cekLockEvent:
        if (!CheckedNumber(UnBlockEventNumberEdit, 1, MaxControlEvents, n)) return;
        p = ((UnBlockEventComboBox->ItemIndex() == 1 ? 1 : 0) << 7) | ((n - 1) & 0x7F);
        break;
    case cekWiegandFormula: {
        const int o = std::max(WiegandFRadioGroup->ItemIndex(), 0) & 3;
        p = o << 6;
        switch (o) {
        case 0:
            if (ResetCardCheckBox->Checked()) p |= 0x08;
            if (ResetContinueCheckBox->Checked()) p |= 0x20;
            p |= Number(ResetCardBitsEdit) & 7;
            break;
        case 1:
            if (!CheckedNumber(WiegandFInsertConstValueEdit, 0, 15, n)) return;
            p |= n | ((std::max(WiegandFInsertConstShiftComboBox->ItemIndex(), 0) & 3) << 4);
            break;
        case 2:
            if (WiegandFInsertShiftCheckBox->Checked()) p |= 0x20;
            if (WiegandFInsertBinAddCheckBox->Checked()) p |= 0x10;
            p |= WiegandFInsertDigitRadioGroup->ItemIndex() & 3;
            p |= (WiegandFInsertValueRadioGroup->ItemIndex() & 3) << 2;
            break;
        default:
            if (WiegandFSendParityCheckBox->Checked()) p |= 0x01;
            if (WiegandFSendContinueCheckBox->Checked()) p |= 0x20;
            break;
        }
        break;
    }
    }
    Fbt1 = Byte((condition << 3) + kind);
    Fbt2 = Byte(p);
    SetModalResult(mrOk);
}

// ---------------------------------------------------------------------------------------------
// Handlers

void TEventEditForm::JobsRadioGroupClick(TObject*) {
    ShowOnlyPage(JobParamPageControl, JobsRadioGroup->ItemIndex());
}

void TEventEditForm::WiegandFRadioGroupClick(TObject*) {
    ShowOnlyPage(WiegandFPageControl, WiegandFRadioGroup->ItemIndex());
}

void TEventEditForm::CheckListBoxMouseMove(TObject* Sender, TShiftState, int X, int Y) {
    auto* list = dynamic_cast<TCheckListBox*>(Sender);
    if (!list) return;
    const int i = list->ItemAtPos(TPoint{X, Y}, true);
    if (i < 0) {
        Application->CancelHint();
        return;
    }
    const String text = list->Items()->Strings(i);
    if (text != list->Hint()) {
        Application->CancelHint();
        list->SetHint(text);
    }
}

void TEventEditForm::CheckListBoxClick(TObject* Sender) {
    auto* list = dynamic_cast<TCheckListBox*>(Sender);
    if (!list) return;
    if (list->ItemIndex() >= 0) list->SetChecked(list->ItemIndex(), true);
    CheckListBoxClickCheck(Sender);
}

void TEventEditForm::CheckListBoxClickCheck(TObject* Sender) {
    if (auto* list = dynamic_cast<TCheckListBox*>(Sender)) UpdateParamItem(list, false);
}

void TEventEditForm::ResetCardCheckBoxClick(TObject*) {
    const bool card = ResetCardCheckBox->Checked();
    ResetCodeCheckBox->SetEnabled(!card);
    ResetResultCheckBox->SetEnabled(!card);
    ResetErrorCheckBox->SetEnabled(!card);
    ResetCardBitsEdit->SetEnabled(card);
}

void TEventEditForm::ResetCardBitsEditChange(TObject*) {
    const int n = Number(ResetCardBitsEdit) & 7;
    ResetCodeCheckBox->SetChecked((n & 4) != 0);
    ResetResultCheckBox->SetChecked((n & 2) != 0);
    ResetErrorCheckBox->SetChecked((n & 1) != 0);
}

void TEventEditForm::ResetCodeCheckBoxClick(TObject*) {
    if (ResetCardBitsEdit->Enabled()) return;
    const int n = (ResetCodeCheckBox->Checked() ? 4 : 0) + (ResetResultCheckBox->Checked() ? 2 : 0) +
                  (ResetErrorCheckBox->Checked() ? 1 : 0);
    ResetCardBitsEdit->SetText(QString::number(n));
}

void TEventEditForm::ResetCardBitsEditExit(TObject*) {
    ResetCardBitsEdit->SetText(QString::number(Number(ResetCardBitsEdit) & 7));
}

void TEventEditForm::WiegandFInsertByteEditChange(TObject*) {
    const int n = Number(WiegandFInsertByteEdit) & 7;
    WiegandFInsertDigitRadioGroup->SetItemIndex(n & 3);
    if (n & 4) {
        if (WiegandFInsertValueRadioGroup->ItemIndex() != 1) WiegandFInsertValueRadioGroup->SetItemIndex(1);
    } else if (WiegandFInsertValueRadioGroup->ItemIndex() == 1) {
        WiegandFInsertValueRadioGroup->SetItemIndex(0);
    }
}

void TEventEditForm::WiegandFInsertRadioGroupClick(TObject*) {
    const int n =
        (WiegandFInsertValueRadioGroup->ItemIndex() * 4 + WiegandFInsertDigitRadioGroup->ItemIndex()) & 7;
    WiegandFInsertByteEdit->SetText(QString::number(n));
}

void TEventEditForm::CloseButtonClick(TObject*) {
    SetModalResult(mrCancel);
}

void TEventEditForm::FormKeyPress(TObject*, Char& Key) {
    if (Key.unicode() == 27) SetModalResult(mrCancel);
}
