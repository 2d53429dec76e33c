#pragma once
// Speed buttons (windowless, grouped, flat) and bitmap buttons.

#include "platform/ui/StdCtrls.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
enum TBitBtnKind {
    bkCustom,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll
};
using TNumGlyphs = int;

class TSpeedButton : public TGraphicControl {
    KVT_CLASS(TSpeedButton, TGraphicControl)
public:
    explicit TSpeedButton(TComponent* AOwner);
    ~TSpeedButton() override;

    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool v);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int v);
    bool Down() const { return FDown; }
    void SetDown(bool v);
    bool Flat() const { return FFlat; }
    void SetFlat(bool v);
    // The glyph (NumGlyphs images side by side: up, disabled, down, exclusive).
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* v);
    TNumGlyphs NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(TNumGlyphs v);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout v);
    int Margin() const { return FMargin; }
    void SetMargin(int v);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int v);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v);
    TButtonState State() const { return FState; }
    void Click() override;
    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void UpdateExclusive();
    // Draws the glyph and caption centred in Rect (the face already painted).
    void DrawGlyphAndCaption(TCanvas* Canvas, const TRect& Rect, TButtonState State);
    TButtonState FState = bsUp;
    bool FDragging = false;

private:
    void GlyphChanged(TObject*);
    std::unique_ptr<TBitmap> FGlyph;
    int FGroupIndex = 0;
    bool FDown = false;
    bool FAllowAllUp = false;
    bool FFlat = false;
    TNumGlyphs FNumGlyphs = 1;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
    bool FTransparent = true;
};

class TBitBtn : public TButton {
    KVT_CLASS(TBitBtn, TButton)
public:
    explicit TBitBtn(TComponent* AOwner);
    ~TBitBtn() override;
    TBitBtnKind Kind() const { return FKind; }
    // Sets caption, modal result, default/cancel and the standard glyph of the kind.
    void SetKind(TBitBtnKind v);
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* v);
    TNumGlyphs NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(TNumGlyphs v);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout v);
    int Margin() const { return FMargin; }
    void SetMargin(int v) { FMargin = v; }
    int Spacing() const { return FSpacing; }
    void SetSpacing(int v) { FSpacing = v; }
    void Click() override;

protected:
    void InitWidget() override;
    void UpdateIcon();

private:
    void GlyphChanged(TObject*);
    std::unique_ptr<TBitmap> FGlyph;
    TBitBtnKind FKind = bkCustom;
    TNumGlyphs FNumGlyphs = 1;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
};
