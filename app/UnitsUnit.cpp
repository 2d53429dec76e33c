// The units dialog and the conversions of the alarm threshold.

#include "app/UnitsUnit.h"

#include "lib/lang/LayoutHelpers.h"
#include "lib/lang/LangUnit.h"

#include <cmath>

using namespace layout;

TUnitsForm* UnitsForm = nullptr;

namespace {

struct UnitInfo {
    const char* NameKey;
    const char* Name;
    const char* ShortKey;
    const char* Short;
    bool Blood;
    long double Factor; // raw -> shown value
    long double ToRaw;  // shown value -> raw
    int Decimals;       // 0: "%d"
    float Step;
    const char* TextKey;
    const char* Text;
};

const UnitInfo Units[UnitsCount] = {
    {"UnitMGL", "Миллиграмм на литр (мг/л)", "ShortUnitMGL", "мг/л", false, 0.01L, 100, 2, 0.05f,
     "DeviceDefValuesMgl", "   #.## мг/л"},
    {"UnitMkgL", "Микрограмм на литр (мкг/л)", "ShortUnitMkgL", "мкг/л", false, 10, 0.1L, 0, 50,
     "DeviceDefValuesMkgl", "   $$$0 мкг/л"},
    {"UnitMkg100", "Микрограмм на 100 миллилитров (мкг/100мл)", "ShortUnitMkg100", "мкг/100мл", false, 1, 1,
     0, 5, "DeviceDefValuesMkg100ml", " $$# мкг/100мл"},
    // "ShortUniPromilt" is the key language files carry.
    {"UnitPromil", "Промилле объемная: грамм на литр (промилле)", "ShortUniPromilt", "промилле", true, 0.01L,
     100, 2, 0.05f, "DeviceDefValuesPromil", " #.## промилле"},
    {"UnitsGKG", "Промилле весовая: грамм на килограмм (г/кг)", "ShortUnitGKG", "г/кг", true, 0.01L, 100, 2,
     0.05f, "DeviceDefValuesGkg", "   #.## г/кг"},
    {"UnitsMG100", "Миллиграмм на 100 миллилитров (мг/100мл)", "ShortUnitMG100", "мг/100мл", true, 1, 1, 0, 5,
     "DeviceDefValuesMg100ml", "  $$# мг/100мл"},
    {"UnitsG100Ml", "Грамм на 100 миллилитров (г/100мл)", "ShortUnitG100Ml", "г/100мл", true, 0.001L, 1000, 3,
     0.005f, "DeviceDefValuesG100ml", " 0.### г/100мл"},
};

// With no unit selected the conversions are those of the raw unit.
const UnitInfo NoUnit = {"", "", "", "", false, 1, 1, 0, 5, "", ""};

const char* const Ratios[RatioCount] = {"2100", "2000", "2150", "2200", "2300"};

const UnitInfo& Info(int Index) {
    return Index >= 0 && Index < UnitsCount ? Units[Index] : NoUnit;
}

String ShortName(int Index) {
    const UnitInfo& u = Info(Index);
    return GetMsg(QString::fromLatin1(u.ShortKey), QString::fromUtf8(u.Short));
}

} // namespace

String UnitDefaultText(int UnitIndex) {
    if (UnitIndex < 0 || UnitIndex >= UnitsCount) return String();
    return GetMsg(QString::fromLatin1(Units[UnitIndex].TextKey), QString::fromUtf8(Units[UnitIndex].Text));
}

TUnitsForm::TUnitsForm(TComponent* AOwner) : TForm(AOwner, 0) {
    SetName(QStringLiteral("UnitsForm"));
    SetCaption(QStringLiteral("Единицы измерения"));
    SetBorderStyle(bsToolWindow);
    SetPosition(poMainFormCenter);
    Font()->SetName(QStringLiteral("Tahoma"));
    Font()->SetHeight(-11);
    SetClientWidth(330);
    SetClientHeight(124);
    UnitsComboBox = Combo(this, this, QStringLiteral("UnitsComboBox"), 8, 8, 314, {});
    UnitsComboBox->OnChange = TNotifyEvent(this, &TUnitsForm::UnitsComboBoxChange);
    RatioRadioGroup = Add<TRadioGroup>(this, this, QStringLiteral("RatioRadioGroup"), 8, 36, 314, 46);
    RatioRadioGroup->SetCaption(QStringLiteral("Коэффициент пересчета:"));
    RatioRadioGroup->SetColumns(5);
    for (const char* r : Ratios)
        RatioRadioGroup->Items()->Add(QString::fromLatin1(r));
    RatioRadioGroup->SetItemIndex(0);
    SaveButton = Button(this, this, QStringLiteral("SaveButton"), QStringLiteral("Сохранить"), 122, 91, 86);
    SaveButton->SetModalResult(mrOk);

    ApplyLanguage(this, LanguageFileName);
    UnitsComboBox->Items()->Clear();
    for (const UnitInfo& u : Units)
        UnitsComboBox->Items()->Add(GetMsg(QString::fromLatin1(u.NameKey), QString::fromUtf8(u.Name)));
    UnitsComboBox->SetItemIndex(0);
}

TUnitsForm::~TUnitsForm() {
    if (UnitsForm == this) UnitsForm = nullptr;
}

int TUnitsForm::UnitIndex() const {
    return UnitsComboBox->ItemIndex();
}

int TUnitsForm::RatioIndex() const {
    return RatioRadioGroup->ItemIndex();
}

void TUnitsForm::SetUnitsCode(uint8_t Code) {
    const int unit = Code >> 4, ratio = Code & 0x0F;
    UnitsComboBox->SetItemIndex(unit < UnitsCount ? unit : -1);
    RatioRadioGroup->SetItemIndex(ratio < RatioCount ? ratio : -1);
    UnitsComboBoxChange(this);
}

uint8_t TUnitsForm::GetUnitsCode() const {
    return uint8_t(((UnitIndex() * 16) & 0xF0) + (RatioIndex() & 0x0F));
}

void TUnitsForm::UnitsComboBoxChange(TObject*) {
    RatioRadioGroup->SetEnabled(UnitIndex() >= 3);
}

String TUnitsForm::GetUnitsCaption() const {
    const int unit = UnitIndex();
    String s;
    if (Info(unit).Blood) {
        const int ratio = RatioIndex();
        s = QStringLiteral("BAC (") +
            (ratio >= 0 && ratio < RatioCount ? QString::fromLatin1(Ratios[ratio]) : String()) +
            QStringLiteral(":1)");
    } else {
        s = QStringLiteral("BrAC");
    }
    if (unit >= 0 && unit < UnitsCount) s += QStringLiteral(", ") + ShortName(unit);
    return s;
}

String TUnitsForm::GetThresholdCaption() const {
    const int unit = UnitIndex();
    String s = GetMsg("TriggerMSg", "Порог срабатывания") + QStringLiteral(" (");
    if (unit >= 0 && unit < UnitsCount)
        s += ShortName(unit) + (Units[unit].Blood ? QStringLiteral(" BAC") : QStringLiteral(" BrAC"));
    return s + QStringLiteral("):");
}

bool TUnitsForm::SetThreshold(float Value) {
    const long double raw = std::nearbyint(static_cast<long double>(Value) * Info(UnitIndex()).ToRaw);
    if (!(raw >= 0 && raw <= 255)) return false;
    ThresholdRaw = uint8_t(raw);
    return true;
}

String TUnitsForm::GetThresholdText() const {
    const UnitInfo& u = Info(UnitIndex());
    if (u.Decimals == 0) return IntToStr(int64_t(std::llround(ThresholdRaw * u.Factor)));
    return QString::number(double(ThresholdRaw * u.Factor), 'f', u.Decimals);
}

float TUnitsForm::GetThresholdStep() const {
    return Info(UnitIndex()).Step;
}
