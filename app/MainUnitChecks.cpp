// Checks of the values typed into the block pages: integers, decimals and IPv4 addresses, with
// the offending control flagged (its page brought up, focused, coloured red).

#include "app/MainUnit.h"
#include "app/MainUnitPriv.h"
#include "app/UnitsUnit.h"

#include "lib/lang/LangUnit.h"
#include "platform/classes/Classes.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

#include <algorithm>

namespace {

bool IsClass(const TObject* Object, const char* Name) {
    return Object && Object->ClassType()->Name && std::strcmp(Object->ClassType()->Name, Name) == 0;
}

bool IsEditClass(const TObject* Object) {
    return IsClass(Object, "TComboBox") || IsClass(Object, "TEdit") || IsClass(Object, "TLabeledEdit");
}

} // namespace

bool IsExactClass(const TObject* Object, const char* Name) {
    return IsClass(Object, Name);
}

void TMainForm::FlagControl(TControl* Control) {
    if (!Control) return;
    TPageControl* innerPages = nullptr;
    TPageControl* outerPages = nullptr;
    TTabSheet* innerSheet = nullptr;
    TTabSheet* outerSheet = nullptr;
    for (TControl* p = Control->Parent(); p; p = p->Parent()) {
        if (IsClass(p, "TPageControl")) {
            if (!innerPages)
                innerPages = static_cast<TPageControl*>(p);
            else
                outerPages = static_cast<TPageControl*>(p);
        } else if (IsClass(p, "TTabSheet")) {
            if (!innerSheet)
                innerSheet = static_cast<TTabSheet*>(p);
            else
                outerSheet = static_cast<TTabSheet*>(p);
        }
    }
    // A single level of pages is the outer one.
    if (!outerPages && innerPages) std::swap(outerPages, innerPages);
    if (!outerSheet && innerSheet) std::swap(outerSheet, innerSheet);
    if (outerPages && outerSheet) outerPages->SetActivePage(outerSheet);
    if (innerPages && innerSheet) innerPages->SetActivePage(innerSheet);
    if (auto* wc = dynamic_cast<TWinControl*>(Control)) {
        try {
            if (wc->CanFocus()) wc->SetFocus();
        } catch (const Exception&) {
            // A window that is not shown cannot take the focus; the colour still tells.
        }
    }
    if (IsEditClass(Control)) Control->SetColor(clRed);
}

int32_t TMainForm::GetIntFromControl(TControl* Control) {
    int32_t v = 0;
    // "-1" is the failure value; it is flagged like any unreadable text.
    if (!Control || !TryStrToInt(Control->Text(), v) || v == -1) {
        FlagControl(Control);
        return -1;
    }
    return v;
}

bool TMainForm::GetIntInRange(TControl* Control, int32_t Min, int32_t Max, int32_t& Value) {
    Value = GetIntFromControl(Control);
    if (Value == -1) return false;
    if (Value < Min || Value > Max) {
        FlagControl(Control);
        return false;
    }
    return true;
}

namespace {

const TFormatSettings& PointSettings() {
    static const TFormatSettings fs = [] {
        TFormatSettings f = TFormatSettings::Invariant();
        f.DecimalSeparator = '.';
        f.ThousandSeparator = QChar();
        return f;
    }();
    return fs;
}

String EditText(TControl* Control) {
    return IsEditClass(Control) ? Control->Text() : String();
}

} // namespace

bool ReadPointFloat(const String& Text, float& Value) {
    Extended v = 0;
    if (!TryStrToFloat(Text, v, PointSettings())) return false;
    Value = float(v);
    return true;
}

float TMainForm::GetFloatFromControl(TControl* Control, float Minimum) {
    float v = 0;
    if (!ReadPointFloat(EditText(Control), v) || (Minimum > 0 && v < Minimum)) {
        FlagControl(Control);
        return -1.0f;
    }
    return v;
}

bool TMainForm::GetIpFromEdit(TControl* Edit, uint32_t& Value) {
    TStringList items;
    items.SetDelimiter('.');
    items.SetStrictDelimiter(false);
    items.SetDelimitedText(EditText(Edit));
    bool ok = items.Count() == 4;
    uint32_t v = 0;
    for (int i = 3; ok && i >= 0; --i) {
        const int32_t item = StrToIntDef(items.Strings(i), -1);
        if (item < 0 || item > 255)
            ok = false;
        else
            v = v * 256 + uint32_t(item);
    }
    if (!ok) {
        FlagControl(Edit);
        return false;
    }
    Value = v;
    return true;
}

int32_t TMainForm::GetIpFromEdit(TControl* Edit) {
    uint32_t v = 0;
    return GetIpFromEdit(Edit, v) ? int32_t(v) : -1;
}

void TMainForm::ChangeControlColor(TObject* Sender) {
    if (IsClass(Sender, "TComboBox") || IsClass(Sender, "TEdit")) {
        static_cast<TControl*>(Sender)->SetColor(clWindow);
        return;
    }
    if (!IsClass(Sender, "TLabeledEdit")) return;
    auto* edit = static_cast<TLabeledEdit*>(Sender);
    if (edit == DevLowResViewLabeledEdit) {
        const String text = Trim(edit->Text());
        if (!text.isEmpty() && StrToIntDef(text, -1) < 2) {
            const int answer = ShowMsgBox(
                GetMsg("TimeWarning", "Рекомендуемое изготовителем время предъявления отрицательного "
                                      "результата не менее 2 с.\rВсе равно продолжить?"),
                GetMsg("TimeWarningCaption", "Время предъявления отрицательного результата"),
                MsgBoxQuestionYesNo, "MainUnit", __LINE__);
            if (answer == IDNO) {
                try {
                    if (edit->CanFocus()) edit->SetFocus();
                } catch (const Exception&) {
                }
                return;
            }
        }
    }
    edit->SetColor(clWindow);
}

void TMainForm::MarkUnshownValue(TControl* Control, int Value) {
    ClearUnshownValue(Control);
    FUnshownValues.emplace_back(Control, Value);
    FlagControl(Control);
}

void TMainForm::ClearUnshownValue(TControl* Control) {
    std::erase_if(FUnshownValues, [Control](const auto& v) { return v.first == Control; });
}

bool TMainForm::HoldsUnshownValue(TControl* Control) const {
    return std::any_of(FUnshownValues.begin(), FUnshownValues.end(),
                       [Control](const auto& v) { return v.first == Control; });
}

int TMainForm::UnshownValue(TControl* Control) const {
    for (const auto& v : FUnshownValues)
        if (v.first == Control) return v.second;
    return -1;
}

bool TMainForm::CheckShownValue(TControl* Control) {
    if (!HoldsUnshownValue(Control)) return true;
    // Marking leaves the control without a choice; having one again means the user set it.
    bool chosen = false;
    if (Control == DevUnitsLabeledEdit)
        chosen = UnitsForm->UnitIndex() >= 0 && UnitsForm->RatioIndex() >= 0;
    else if (IsClass(Control, "TComboBox"))
        chosen = static_cast<TComboBox*>(Control)->ItemIndex() >= 0;
    if (chosen) {
        ClearUnshownValue(Control);
        return true;
    }
    FlagControl(Control);
    return false;
}

void TMainForm::ShowListValue(TComboBox* Box, int Index, bool NoneIsValue) {
    const bool holds = Index >= 0 && Index < Box->Items()->Count();
    Box->SetItemIndex(holds ? Index : -1);
    if (!holds && !NoneIsValue) {
        MarkUnshownValue(Box, Index);
    } else if (HoldsUnshownValue(Box)) {
        Box->SetColor(clWindow);
        ClearUnshownValue(Box);
    }
}
