#pragma once
// Panels, radio groups, shapes, bevels, labeled edits, timers and images.

#include "platform/ui/StdCtrls.h"

class TCustomRadioGroup;

// ---------------------------------------------------------------------------------------------
class TCustomPanel : public TCustomControl {
    KVT_CLASS(TCustomPanel, TCustomControl)
public:
    explicit TCustomPanel(TComponent* AOwner);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    TVerticalAlignment VerticalAlignment() const { return FVerticalAlignment; }
    void SetVerticalAlignment(TVerticalAlignment v);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    bool ShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool v);
    bool FullRepaint() const { return FFullRepaint; }
    void SetFullRepaint(bool v) { FFullRepaint = v; }
    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void AdjustClientRect(TRect& Rect) override;
    void Paint() override;

private:
    TAlignment FAlignment = taCenter;
    TVerticalAlignment FVerticalAlignment = taVerticalCenter;
    TBorderStyle FBorderStyle = bsNone;
    bool FShowCaption = true;
    bool FFullRepaint = true;
};

class TPanel : public TCustomPanel {
    KVT_CLASS(TPanel, TCustomPanel)
public:
    using TCustomPanel::TCustomPanel;
};

// ---------------------------------------------------------------------------------------------
// A radio group: its buttons are made from Items; OnClick fires when ItemIndex changes, by code
// too. ItemIndex is kept within -1..Count-1 (a larger value selects the last item).
class TCustomRadioGroup : public TCustomGroupBox {
    KVT_CLASS(TCustomRadioGroup, TCustomGroupBox)
public:
    explicit TCustomRadioGroup(TComponent* AOwner);
    ~TCustomRadioGroup() override;
    TStrings* Items() const { return FItems.get(); }
    void SetItems(TStrings* v) { FItems->Assign(v); }
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int v);
    int Columns() const { return FColumns; }
    void SetColumns(int v);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v) { FWordWrap = v; }
    int ButtonCount() const { return int(FButtons.size()); }
    TRadioButton* Buttons(int i) const { return FButtons.at(size_t(i)); }
    void Dispatch(TMessage& Message) override;
    void ButtonClick(TRadioButton* Sender);

protected:
    bool CanModify() { return true; }
    void Loaded() override;
    void UpdateButtons();
    void UpdateTabStops();
    void ArrangeButtons();
    void ItemsChange(TObject* Sender);

private:
    std::unique_ptr<TStringList> FItems;
    std::vector<TRadioButton*> FButtons;
    int FItemIndex = -1;
    int FColumns = 1;
    bool FWordWrap = false;
    bool FUpdating = false;
    bool FReading = false;
};

class TRadioGroup : public TCustomRadioGroup {
    KVT_CLASS(TRadioGroup, TCustomRadioGroup)
public:
    using TCustomRadioGroup::TCustomRadioGroup;
};

// ---------------------------------------------------------------------------------------------
enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TGraphicControl {
    KVT_CLASS(TShape, TGraphicControl)
public:
    explicit TShape(TComponent* AOwner);
    ~TShape() override;
    TShapeType Shape() const { return FShape; }
    void SetShape(TShapeType v);
    TPen* Pen() const { return FPen.get(); }
    void SetPen(TPen* v) { FPen->Assign(v); }
    TBrush* Brush() const { return FBrush.get(); }
    void SetBrush(TBrush* v) { FBrush->Assign(v); }

protected:
    void Paint() override;
    void StyleChanged(TObject* Sender);

private:
    TShapeType FShape = stRectangle;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
};

// ---------------------------------------------------------------------------------------------
enum TBevelStyle { bsLowered, bsRaised };
enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };

class TBevel : public TGraphicControl {
    KVT_CLASS(TBevel, TGraphicControl)
public:
    explicit TBevel(TComponent* AOwner);
    TBevelShape Shape() const { return FShape; }
    void SetShape(TBevelShape v);
    TBevelStyle Style() const { return FStyle; }
    void SetStyle(TBevelStyle v);

protected:
    void Paint() override;

private:
    TBevelShape FShape = bsBox;
    TBevelStyle FStyle = bsLowered;
};

// ---------------------------------------------------------------------------------------------
// The label of a labeled edit: a sub-component of the edit, not a component of the form.
class TBoundLabel : public TCustomLabel {
    KVT_CLASS(TBoundLabel, TCustomLabel)
public:
    explicit TBoundLabel(TComponent* AOwner);
    void Dispatch(TMessage& Message) override;
};

enum TLabelPosition { lpAbove, lpBelow, lpLeft, lpRight };

class TCustomLabeledEdit : public TCustomEdit {
    KVT_CLASS(TCustomLabeledEdit, TCustomEdit)
public:
    explicit TCustomLabeledEdit(TComponent* AOwner);
    ~TCustomLabeledEdit() override;
    TBoundLabel* EditLabel() const { return FEditLabel; }
    TLabelPosition LabelPosition() const { return FLabelPosition; }
    void SetLabelPosition(TLabelPosition v);
    int LabelSpacing() const { return FLabelSpacing; }
    void SetLabelSpacing(int v);
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void SetParent(TWinControl* AParent) override;
    void Dispatch(TMessage& Message) override;
    // Places the label next to the edit.
    void SetupInternalLabel();

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TBoundLabel* FEditLabel = nullptr;
    TLabelPosition FLabelPosition = lpAbove;
    int FLabelSpacing = 3;
};

class TLabeledEdit : public TCustomLabeledEdit {
    KVT_CLASS(TLabeledEdit, TCustomLabeledEdit)
public:
    using TCustomLabeledEdit::TCustomLabeledEdit;
};

// ---------------------------------------------------------------------------------------------
class TTimer : public TComponent {
    KVT_CLASS(TTimer, TComponent)
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v);
    Cardinal Interval() const { return FInterval; }
    void SetInterval(Cardinal v);
    TNotifyEvent OnTimer;

protected:
    virtual void Timer();

private:
    void UpdateTimer();
    void WndProc(TMessage& Msg);
    bool FEnabled = true;
    Cardinal FInterval = 1000;
    HWND FWindowHandle = nullptr;
};

// ---------------------------------------------------------------------------------------------
class TImage : public TGraphicControl {
    KVT_CLASS(TImage, TGraphicControl)
public:
    explicit TImage(TComponent* AOwner);
    ~TImage() override;
    TPicture* Picture() const { return FPicture.get(); }
    void SetPicture(TPicture* v);
    bool Stretch() const { return FStretch; }
    void SetStretch(bool v) { FStretch = v, Invalidate(); }
    bool Center() const { return FCenter; }
    void SetCenter(bool v) { FCenter = v, Invalidate(); }
    bool Proportional() const { return FProportional; }
    void SetProportional(bool v) { FProportional = v, Invalidate(); }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v) { FTransparent = v, Invalidate(); }

protected:
    void Paint() override;

private:
    std::unique_ptr<TPicture> FPicture;
    bool FStretch = false, FCenter = false, FProportional = false, FTransparent = false;
};
