#pragma once
// A four-function pocket calculator as a control, and the same calculator as a drop-down that a
// number edit or a grid cell opens under itself. The keys are laid out as the stored form of the
// class gives them (184 x 127 at 96 ppi, text height 13) and scaled to the font in use.

#include "lib/tools/ToolCtrlsEh.h"

enum TCalcStateEh { csFirstEh, csValidEh, csErrorEh };

// The drop-down calculator as an editor reaches it.
class IPopupCalculatorEh {
public:
    static constexpr TGUID IID{0x697F81AD, 0x0E0F, 0x4A4A, {0xA0, 0x16, 0xA7, 0x13, 0x62, 0x06, 0x60, 0xDE}};
    virtual ~IPopupCalculatorEh() = default;
    virtual bool GetEqualKeyShowsOk() = 0;
    virtual bool GetFlat() = 0;
    // An error variant (all code bits set) while the display shows "Error".
    virtual void GetValue(Variant& Value) = 0;
    virtual void SetFlat(bool Value) = 0;
    // Clears the calculator, then shows Value (the platform's conversion error when it is no number).
    virtual void SetValue(const Variant& Value) = 0;
};

class TCalculatorEh : public TCustomControl {
    KVT_CLASS(TCalculatorEh, TCustomControl)
public:
    // The stream reader stays reachable beside the layout builder of the same name.
    using TCustomControl::ReadState;
    explicit TCalculatorEh(TComponent* AOwner);
    ~TCalculatorEh() override;

    virtual int BorderExtent();
    virtual void ProcessKey(QChar Key);
    void SpeedButtonClick(TObject* Sender);
    void DoCopy();
    void Paste();

    String DisplayText() const;
    long double DisplayValue() const;
    void SetDisplayValue(long double Value);
    TCalcStateEh Status() const { return FStatus; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    int PixelsPerInch() const;
    void SetPixelsPerInch(int Value);
    // The client size of the layout (stored as ClientWidth and ClientHeight); the control
    // sizes itself to it.
    int LayoutClientWidth() const { return FClientWidth; }
    void SetLayoutClientWidth(int Value);
    int LayoutClientHeight() const { return FClientHeight; }
    void SetLayoutClientHeight(int Value);

    // The layout's components.
    TPanel* Panel1 = nullptr;
    TLabel* TextBox = nullptr;
    TSpeedButtonEh* spEqual = nullptr;
    // The keys by tag (1..23; index 0 unused).
    TSpeedButtonEh* KeyByTag(int Tag) const;

protected:
    // Builds the keys and the display at 96 ppi and scales them to the font's text height.
    void ReadState();
    void CreateParams(TCreateParams& Params) override;
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;
    void DefineProperties(TFiler* Filer) override;
    void ApplyLayoutSize();
    void KeyPress(Char& Key) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void Dispatch(TMessage& Message) override;
    void SetDisplayText(const String& Value);
    virtual int ExtraBorder() const { return 0; }

    TBorderStyle FBorderStyle = bsNone;
    int FClientHeight = 127;
    int FClientWidth = 184;
    long double FOperand = 0;
    QChar FOperator = QLatin1Char('=');
    int FPixelsPerInch = 96;
    TCalcStateEh FStatus = csFirstEh;
    int FTextHeight = 13;

private:
    void Clear();
    void Error();
    void CheckFirst();
    void UpdateEqualKey();
    std::vector<TSpeedButtonEh*> FKeys;
};

class TPopupCalculatorEh : public TCalculatorEh, public IPopupCalculatorEh {
    KVT_CLASS(TPopupCalculatorEh, TCalculatorEh)
public:
    explicit TPopupCalculatorEh(TComponent* AOwner);

    void ProcessKey(QChar Key) override;
    bool CanFocus() override { return false; }
    bool Flat() const { return FFlat; }
    virtual void PaintBorder();

    // IPopupCalculatorEh
    bool GetEqualKeyShowsOk() override;
    bool GetFlat() override { return FFlat; }
    void GetValue(Variant& Value) override;
    void SetFlat(bool Value) override;
    void SetValue(const Variant& Value) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void Dispatch(TMessage& Message) override;
    void Paint() override;
    int ExtraBorder() const override { return FBorderWidth; }
    // The owner's close-up interface, or nullptr.
    IComboEditEh* ComboEdit() const;

private:
    int FBorderWidth = 2;
    bool FFlat = true;
    std::unique_ptr<TPopupWatchEh> FWatch;
};
