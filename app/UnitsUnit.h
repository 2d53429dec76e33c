#pragma once
// The units dialog: keeper of the measuring unit, the blood/breath ratio and the alarm
// threshold's raw byte, with the conversions between the raw byte and the shown value.

#include "platform/ui/Forms.h"

#include <cstdint>

class TComboBox;
class TRadioGroup;
class TButton;

constexpr int UnitsCount = 7;
constexpr int RatioCount = 5;

class TUnitsForm : public TForm {
    KVT_CLASS(TUnitsForm, TForm)
public:
    explicit TUnitsForm(TComponent* AOwner);
    ~TUnitsForm() override;

    // Unit index × 16 + ratio index; a missing selection reads as no unit / no ratio.
    void SetUnitsCode(uint8_t Code);
    uint8_t GetUnitsCode() const;
    void UnitsComboBoxChange(TObject* Sender);

    String GetUnitsCaption() const;
    String GetThresholdCaption() const;
    // Converts a value in the selected unit into the raw byte. False (ThresholdRaw unchanged)
    // when the raw value does not fit a byte: the device would run with another threshold.
    bool SetThreshold(float Value);
    String GetThresholdText() const;
    float GetThresholdStep() const;

    int UnitIndex() const;
    int RatioIndex() const;

    uint8_t ThresholdRaw = 0;

    TComboBox* UnitsComboBox = nullptr;
    TRadioGroup* RatioRadioGroup = nullptr;
    TButton* SaveButton = nullptr;
};

// The standard device text of a unit (line 3 and 4, part 2); empty for no unit.
String UnitDefaultText(int UnitIndex);

extern TUnitsForm* UnitsForm;
