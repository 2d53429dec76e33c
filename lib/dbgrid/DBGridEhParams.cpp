// The data grid's appearance objects: defaults that follow the grid, stored
// flags, actual fill styles and fonts that follow the grid's font.

#include "lib/dbgrid/DBGridEhParams.h"

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhGrouping.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Themes.h"

#include <QScopeGuard>

#include <algorithm>

namespace {

TColor DarkLine(TCustomDBGridEh* Grid) {
    return Grid->GridLineColors()->GetDarkColor();
}

bool Loading(TCustomDBGridEh* Grid) {
    return Grid->ComponentState().Contains(csLoading);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Titles

TDBGridTitleParamsEh::TDBGridTitleParamsEh(TCustomDBGridEh* AGrid)
    : FGrid(AGrid), FImageChangeLink(std::make_unique<TChangeLink>()), FFont(std::make_unique<TFont>()) {
    FImageChangeLink->OnChange = TNotifyEvent(this, &TDBGridTitleParamsEh::ImagesChanged);
    RefreshParentFont();
    FFont->OnChange = TNotifyEvent(this, &TDBGridTitleParamsEh::TitleFontChanged);
}

TDBGridTitleParamsEh::~TDBGridTitleParamsEh() {
    if (FImages) FImages->UnRegisterChanges(FImageChangeLink.get());
}

void TDBGridTitleParamsEh::Repaint() {
    FGrid->Invalidate();
}

void TDBGridTitleParamsEh::LayoutUpdate() {
    FGrid->RequestLayoutUpdate();
}

void TDBGridTitleParamsEh::TopPanelsOrLayoutUpdate() {
    // The grouping panel shows column titles at the title height: it is laid out anew with them.
    if (FGrid->DataGrouping() && FGrid->DataGrouping()->GroupPanelVisible())
        FGrid->UpdateGroupingPanelLayout();
    else
        LayoutUpdate();
}

void TDBGridTitleParamsEh::SetVTitleMargin(int Value) {
    if (FVTitleMargin == Value) return;
    FVTitleMargin = Value;
    LayoutUpdate();
}

void TDBGridTitleParamsEh::SetImages(TCustomImageList* Value) {
    if (FImages == Value) return;
    if (FImages) FImages->UnRegisterChanges(FImageChangeLink.get());
    FImages = Value;
    if (FImages) {
        FImages->RegisterChanges(FImageChangeLink.get());
        FImages->FreeNotification(FGrid);
    }
    LayoutUpdate();
}

void TDBGridTitleParamsEh::ImagesChanged(TObject*) {
    LayoutUpdate();
}

void TDBGridTitleParamsEh::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation != opRemove) return;
    if (AComponent == FPopupMenu) FPopupMenu = nullptr;
    if (AComponent == FImages) SetImages(nullptr);
}

TColor TDBGridTitleParamsEh::Color() const {
    return FColor.Read(FGrid->FixedColor());
}

void TDBGridTitleParamsEh::SetColor(TColor Value) {
    if (FColor.Write(Value)) Repaint();
}

void TDBGridTitleParamsEh::SetColorStored(bool Value) {
    if (FColor.WriteStored(Value, FGrid->FixedColor())) Repaint();
}

TColor TDBGridTitleParamsEh::DefaultSecondColor() const {
    return FGrid->Color();
}

TColor TDBGridTitleParamsEh::SecondColor() const {
    return FSecondColor.Read(DefaultSecondColor());
}

void TDBGridTitleParamsEh::SetSecondColor(TColor Value) {
    if (FSecondColor.Write(Value)) Repaint();
}

void TDBGridTitleParamsEh::SetSecondColorStored(bool Value) {
    if (FSecondColor.WriteStored(Value, DefaultSecondColor())) Repaint();
}

void TDBGridTitleParamsEh::SetRowLines(int Value) {
    Value = std::max(0, Value);
    if (FRowLines == Value) return;
    FRowLines = Value;
    TopPanelsOrLayoutUpdate();
}

void TDBGridTitleParamsEh::SetRowHeight(int Value) {
    if (FRowHeight == Value) return;
    FRowHeight = Value;
    TopPanelsOrLayoutUpdate();
}

void TDBGridTitleParamsEh::SetMultiTitle(bool Value) {
    if (FMultiTitle == Value) return;
    FMultiTitle = Value;
    LayoutUpdate();
}

void TDBGridTitleParamsEh::SetParentFont(bool Value) {
    if (FParentFont == Value) return;
    FParentFont = Value;
    RefreshParentFont();
    Repaint();
}

void TDBGridTitleParamsEh::RefreshParentFont() {
    if (!FParentFont) return;
    FRefreshingFont = true;
    const auto done = qScopeGuard([&] { FRefreshingFont = false; });
    FFont->Assign(FGrid->Font());
}

void TDBGridTitleParamsEh::TitleFontChanged(TObject*) {
    if (FRefreshingFont) return;
    if (!FGrid->FSelfChangingTitleFont && !Loading(FGrid)) FParentFont = false;
    if (FGrid->Options().Contains(dgTitles)) LayoutUpdate();
}

void TDBGridTitleParamsEh::SetPopupMenu(TPopupMenu* Value) {
    FPopupMenu = Value;
    if (Value) Value->FreeNotification(FGrid);
}

TSortMarkerStyleEh TDBGridTitleParamsEh::SortMarkerStyle() const {
    return FSortMarkerStyle.Read(FGrid->PaintStyle().SortMarkerStyle());
}

void TDBGridTitleParamsEh::SetSortMarkerStyle(TSortMarkerStyleEh Value) {
    if (FSortMarkerStyle.Write(Value)) Repaint();
}

void TDBGridTitleParamsEh::SetSortMarkerStyleStored(bool Value) {
    if (FSortMarkerStyle.WriteStored(Value, FGrid->PaintStyle().SortMarkerStyle())) Repaint();
}

TColor TDBGridTitleParamsEh::DefaultHorzLineColor() {
    return DarkLine(FGrid);
}

TColor TDBGridTitleParamsEh::DefaultVertLineColor() {
    return DarkLine(FGrid);
}

TColor TDBGridTitleParamsEh::GetHorzLineColor() {
    return FHorzLineColor == clDefault ? DefaultHorzLineColor() : FHorzLineColor;
}

TColor TDBGridTitleParamsEh::GetVertLineColor() {
    return FVertLineColor == clDefault ? DefaultVertLineColor() : FVertLineColor;
}

void TDBGridTitleParamsEh::SetHorzLineColor(TColor Value) {
    if (FHorzLineColor == Value) return;
    FHorzLineColor = Value;
    Repaint();
}

void TDBGridTitleParamsEh::SetVertLineColor(TColor Value) {
    if (FVertLineColor == Value) return;
    FVertLineColor = Value;
    Repaint();
}

void TDBGridTitleParamsEh::SetFillStyle(TGridCellFillStyleEh Value) {
    if (FFillStyle == Value) return;
    FFillStyle = Value;
    Repaint();
}

void TDBGridTitleParamsEh::SetBorderInFillStyle(bool Value) {
    if (FBorderInFillStyle == Value) return;
    FBorderInFillStyle = Value;
    LayoutUpdate();
}

bool TDBGridTitleParamsEh::HorzLines() const {
    return FHorzLines.Read(FGrid->Options().Contains(dgRowLines));
}

void TDBGridTitleParamsEh::SetHorzLines(bool Value) {
    if (FHorzLines.Write(Value)) Repaint();
}

void TDBGridTitleParamsEh::SetHorzLinesStored(bool Value) {
    if (FHorzLines.WriteStored(Value, FGrid->Options().Contains(dgRowLines))) Repaint();
}

bool TDBGridTitleParamsEh::VertLines() const {
    return FVertLines.Read(FGrid->Options().Contains(dgColLines));
}

void TDBGridTitleParamsEh::SetVertLines(bool Value) {
    if (FVertLines.Write(Value)) Repaint();
}

void TDBGridTitleParamsEh::SetVertLinesStored(bool Value) {
    if (FVertLines.WriteStored(Value, FGrid->Options().Contains(dgColLines))) Repaint();
}

TGridCellFillStyleEh TDBGridTitleParamsEh::GetActualFillStyle() {
    const bool themes = ThemesInUse();
    const bool gradientOk = FGrid->PaintStyle().GradientEnabledInClassicTheme();
    const bool fixed3D = FGrid->OptionsEh().Contains(dghFixed3D);
    switch (FFillStyle) {
    case cfstDefaultEh:
        if (fixed3D && themes) return FGrid->Flat() ? cfstGradientEh : cfstThemedEh;
        return cfstSolidEh;
    case cfstThemedEh:
        if (themes) return cfstThemedEh;
        return fixed3D && gradientOk ? cfstGradientEh : cfstSolidEh;
    case cfstGradientEh:
        return themes || gradientOk ? cfstGradientEh : cfstSolidEh;
    default:
        return cfstSolidEh;
    }
}

// ---------------------------------------------------------------------------------------------
// Indicator

void TDBGridIndicatorParamsEh::Repaint() {
    FGrid->Invalidate();
}

TColor TDBGridIndicatorParamsEh::Color() const {
    return FColor.Read(FGrid->FixedColor());
}

void TDBGridIndicatorParamsEh::SetColor(TColor Value) {
    if (FColor.Write(Value)) Repaint();
}

void TDBGridIndicatorParamsEh::SetColorStored(bool Value) {
    if (FColor.WriteStored(Value, FGrid->FixedColor())) Repaint();
}

TColor TDBGridIndicatorParamsEh::DefaultHorzLineColor() {
    return DarkLine(FGrid);
}

TColor TDBGridIndicatorParamsEh::DefaultVertLineColor() {
    return DarkLine(FGrid);
}

TColor TDBGridIndicatorParamsEh::GetHorzLineColor() {
    return FHorzLineColor == clDefault ? DefaultHorzLineColor() : FHorzLineColor;
}

TColor TDBGridIndicatorParamsEh::GetVertLineColor() {
    return FVertLineColor == clDefault ? DefaultVertLineColor() : FVertLineColor;
}

void TDBGridIndicatorParamsEh::SetHorzLineColor(TColor Value) {
    if (FHorzLineColor == Value) return;
    FHorzLineColor = Value;
    Repaint();
}

void TDBGridIndicatorParamsEh::SetVertLineColor(TColor Value) {
    if (FVertLineColor == Value) return;
    FVertLineColor = Value;
    Repaint();
}

void TDBGridIndicatorParamsEh::SetFillStyle(TGridCellFillStyleEh Value) {
    if (FFillStyle == Value) return;
    FFillStyle = Value;
    Repaint();
}

bool TDBGridIndicatorParamsEh::HorzLines() const {
    return FHorzLines.Read(FGrid->Options().Contains(dgRowLines));
}

void TDBGridIndicatorParamsEh::SetHorzLines(bool Value) {
    if (FHorzLines.Write(Value)) Repaint();
}

void TDBGridIndicatorParamsEh::SetHorzLinesStored(bool Value) {
    if (FHorzLines.WriteStored(Value, FGrid->Options().Contains(dgRowLines))) Repaint();
}

bool TDBGridIndicatorParamsEh::VertLines() const {
    return FVertLines.Read(FGrid->Options().Contains(dgColLines));
}

void TDBGridIndicatorParamsEh::SetVertLines(bool Value) {
    if (FVertLines.Write(Value)) Repaint();
}

void TDBGridIndicatorParamsEh::SetVertLinesStored(bool Value) {
    if (FVertLines.WriteStored(Value, FGrid->Options().Contains(dgColLines))) Repaint();
}

void TDBGridIndicatorParamsEh::SetRecNoShowStep(int Value) {
    if (FRecNoShowStep == Value) return;
    FRecNoShowStep = Value;
    Repaint();
}

TGridCellFillStyleEh TDBGridIndicatorParamsEh::GetActualFillStyle() {
    const bool themes = ThemesInUse();
    switch (FFillStyle) {
    case cfstDefaultEh:
        // As the titles do by default.
        if (FGrid->OptionsEh().Contains(dghFixed3D) && themes)
            return FGrid->Flat() ? cfstGradientEh : cfstThemedEh;
        return cfstSolidEh;
    case cfstThemedEh:
        return cfstThemedEh;
    case cfstGradientEh:
        return themes || FGrid->PaintStyle().GradientEnabledInClassicTheme() ? cfstGradientEh : cfstSolidEh;
    default:
        return cfstSolidEh;
    }
}

// ---------------------------------------------------------------------------------------------
// Footers

TDBGridFooterParamsEh::TDBGridFooterParamsEh(TCustomDBGridEh* AGrid)
    : FFont(std::make_unique<TFont>()), FGrid(AGrid) {
    RefreshParentFont();
    FFont->OnChange = TNotifyEvent(this, &TDBGridFooterParamsEh::FooterFontChanged);
}

TDBGridFooterParamsEh::~TDBGridFooterParamsEh() = default;

void TDBGridFooterParamsEh::Repaint() {
    FGrid->Invalidate();
}

void TDBGridFooterParamsEh::SetColor(TColor Value) {
    if (FColor == Value) return;
    FColor = Value;
    Repaint();
}

TColor TDBGridFooterParamsEh::GetColor() const {
    return FColor == clDefault ? FGrid->Color() : FColor;
}

void TDBGridFooterParamsEh::SetFillStyle(TGridCellFillStyleEh Value) {
    if (FFillStyle == Value) return;
    FFillStyle = Value;
    Repaint();
}

void TDBGridFooterParamsEh::SetParentFont(bool Value) {
    if (FParentFont == Value) return;
    FParentFont = Value;
    RefreshParentFont();
    Repaint();
}

void TDBGridFooterParamsEh::RefreshParentFont() {
    if (!FParentFont) return;
    FRefreshingFont = true;
    const auto done = qScopeGuard([&] { FRefreshingFont = false; });
    FFont->Assign(FGrid->Font());
}

void TDBGridFooterParamsEh::FooterFontChanged(TObject*) {
    if (FRefreshingFont) return;
    if (!FGrid->FSelfChangingFooterFont && !Loading(FGrid)) FParentFont = false;
    FGrid->RequestLayoutUpdate();
}

void TDBGridFooterParamsEh::SetRowHeight(int Value) {
    if (FRowHeight == Value) return;
    FRowHeight = Value;
    FGrid->RequestLayoutUpdate();
}

void TDBGridFooterParamsEh::SetRowLines(int Value) {
    if (FRowLines == Value) return;
    FRowLines = Value;
    FGrid->RequestLayoutUpdate();
}

TColor TDBGridFooterParamsEh::DefaultHorzLineColor() {
    return DarkLine(FGrid);
}

TColor TDBGridFooterParamsEh::DefaultVertLineColor() {
    return DarkLine(FGrid);
}

TColor TDBGridFooterParamsEh::GetHorzLineColor() {
    return FHorzLineColor == clDefault ? DefaultHorzLineColor() : FHorzLineColor;
}

TColor TDBGridFooterParamsEh::GetVertLineColor() {
    return FVertLineColor == clDefault ? DefaultVertLineColor() : FVertLineColor;
}

void TDBGridFooterParamsEh::SetHorzLineColor(TColor Value) {
    if (FHorzLineColor == Value) return;
    FHorzLineColor = Value;
    Repaint();
}

void TDBGridFooterParamsEh::SetVertLineColor(TColor Value) {
    if (FVertLineColor == Value) return;
    FVertLineColor = Value;
    Repaint();
}

bool TDBGridFooterParamsEh::HorzLines() const {
    return FHorzLines.Read(FGrid->Options().Contains(dgRowLines));
}

void TDBGridFooterParamsEh::SetHorzLines(bool Value) {
    if (FHorzLines.Write(Value)) Repaint();
}

void TDBGridFooterParamsEh::SetHorzLinesStored(bool Value) {
    if (FHorzLines.WriteStored(Value, FGrid->Options().Contains(dgRowLines))) Repaint();
}

bool TDBGridFooterParamsEh::VertLines() const {
    return FVertLines.Read(FGrid->Options().Contains(dgColLines));
}

void TDBGridFooterParamsEh::SetVertLines(bool Value) {
    if (FVertLines.Write(Value)) Repaint();
}

void TDBGridFooterParamsEh::SetVertLinesStored(bool Value) {
    if (FVertLines.WriteStored(Value, FGrid->Options().Contains(dgColLines))) Repaint();
}

TGridCellFillStyleEh TDBGridFooterParamsEh::GetActualFillStyle() {
    const bool themes = ThemesInUse();
    const bool footer3D = FGrid->OptionsEh().Contains(dghFooter3D);
    switch (FFillStyle) {
    case cfstDefaultEh:
        if (FGrid->Flat()) return footer3D ? cfstGradientEh : cfstSolidEh;
        return footer3D && themes ? cfstThemedEh : cfstSolidEh;
    case cfstThemedEh:
        return cfstThemedEh;
    case cfstGradientEh:
        return themes || FGrid->PaintStyle().GradientEnabledInClassicTheme() ? cfstGradientEh : cfstSolidEh;
    default:
        return cfstSolidEh;
    }
}

// ---------------------------------------------------------------------------------------------
// Lines

TDBGridLineParamsEh::TDBGridLineParamsEh(TCustomDBGridEh* AGrid) : TDBAxisGridLineParamsEh(AGrid) {}

TCustomDBGridEh* TDBGridLineParamsEh::DBGrid() const {
    return static_cast<TCustomDBGridEh*>(FGrid);
}

bool TDBGridLineParamsEh::DefaultDataHorzLines() {
    return DBGrid()->Options().Contains(dgRowLines);
}

bool TDBGridLineParamsEh::DefaultDataVertLines() {
    return DBGrid()->Options().Contains(dgColLines);
}

TDBGridLinesColorSchemeEh TDBGridLineParamsEh::GetActualColorScheme() {
    if (FColorScheme != glcsDefaultEh) return FColorScheme;
    TCustomDBGridEh* g = DBGrid();
    if (g->TitleParams()->GetActualFillStyle() == cfstThemedEh) return glcsThemedEh;
    if (ThemesInUse() || g->Flat()) return glcsFlatEh;
    return glcsClassicEh;
}

TColor TDBGridLineParamsEh::GetVertAreaContraVertColor() {
    if (FVertAreaContraVertColor != clDefault) return FVertAreaContraVertColor;
    TCustomDBGridEh* g = DBGrid();
    if (!g->OptionsEh().Contains(dghFooter3D) && g->FooterParams()->GetColor() == clWindow)
        return GetBrightColor();
    return GetDarkColor();
}

void TDBGridLineParamsEh::WriteVertEmptySpaceStyle(TDrawEmptySpaceStyle Value) {
    const TDrawEmptySpaceStyle old = FVertEmptySpaceStyle;
    TDBAxisGridLineParamsEh::WriteVertEmptySpaceStyle(Value);
    TCustomDBGridEh* g = DBGrid();
    if (!g) return;
    if (old == dessNonEh && Value != dessNonEh)
        g->FOptionsEh.Include(dghExtendVertLines);
    else if (old != dessNonEh && Value == dessNonEh)
        g->FOptionsEh.Exclude(dghExtendVertLines);
    TGridOptions base = g->GridOptions();
    if (g->FOptionsEh.Contains(dghExtendVertLines))
        base.Include(goExtendVertLines);
    else
        base.Exclude(goExtendVertLines);
    g->SetGridOptions(base);
    g->Invalidate();
}

// ---------------------------------------------------------------------------------------------
// Tree view

void TGridTreeViewParamsEh::SetGlyphStyle(TTreeViewGlyphStyleEh Value) {
    if (FGlyphStyle == Value) return;
    FGlyphStyle = Value;
    FGrid->Invalidate();
}

void TGridTreeViewParamsEh::SetShowTreeLines(bool Value) {
    if (FShowTreeLines == Value) return;
    FShowTreeLines = Value;
    FGrid->Invalidate();
}

TTreeViewGlyphStyleEh TGridTreeViewParamsEh::GetActualGlyphStyle() {
    if (FGlyphStyle != tvgsDefaultEh) return FGlyphStyle;
    return FGrid->PaintStyle().GetActualTreeGlyphStyle();
}

// ---------------------------------------------------------------------------------------------
// Background

void TDBGridBackgroundDataEh::SetExcludeIndicator(bool Value) {
    if (FExcludeIndicator == Value) return;
    FExcludeIndicator = Value;
    Changed();
}

void TDBGridBackgroundDataEh::SetExcludeTitle(bool Value) {
    if (FExcludeTitle == Value) return;
    FExcludeTitle = Value;
    Changed();
}

void TDBGridBackgroundDataEh::SetExcludeFooter(bool Value) {
    if (FExcludeFooter == Value) return;
    FExcludeFooter = Value;
    Changed();
}

void TDBGridBackgroundDataEh::BoundRect(const TGridDrawInfoEh& DrawInfo, TRect& Rect) {
    TGridBackgroundDataEh::BoundRect(DrawInfo, Rect);
    if (FExcludeFooter) Rect.Bottom = DrawInfo.Vert.GridExtent;
    if (FExcludeIndicator) Rect.Left += DrawInfo.Horz.NoFrozenBoundary;
    if (FExcludeTitle) Rect.Top += DrawInfo.Vert.FixedBoundary;
}

// ---------------------------------------------------------------------------------------------
// Highlighted texts

TGridHighlightTextParamsEh::TGridHighlightTextParamsEh() : FColumnsList(std::make_unique<TColumnsEhList>()) {}

TGridHighlightTextParamsEh::~TGridHighlightTextParamsEh() = default;

void TGridHighlightTextParamsEh::SetColumnsList(TColumnsEhList* Value) {
    FColumnsList->Clear();
    if (!Value) return;
    for (int i = 0; i < Value->Count(); ++i)
        FColumnsList->Add(Value->Items(i));
}

// ---------------------------------------------------------------------------------------------
// The grid's factories of the line and background objects

TGridLineColorsEh* TCustomDBGridEh::CreateGridLineColors() {
    return new TDBGridLineParamsEh(this);
}

TGridBackgroundDataEh* TCustomDBGridEh::CreateBackgroundData() {
    return new TDBGridBackgroundDataEh(this);
}
