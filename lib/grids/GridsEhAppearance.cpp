// Appearance objects owned by the grid: line colours, a line pen description, the per-colour
// segment cache, the margins around the cells, the background picture and the hot-track spot.

#include "lib/grids/GridsEh.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// Line colours

TGridLineColorsEh::TGridLineColorsEh(TCustomGridEh* AGrid) : FGrid(AGrid) {}

void TGridLineColorsEh::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TGridLineColorsEh*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    FBrightColor = s->FBrightColor;
    FDarkColor = s->FDarkColor;
    FDataHorzColor = s->FDataHorzColor;
    FDataVertColor = s->FDataVertColor;
    FFixedHorzColor = s->FFixedHorzColor;
    FFixedVertColor = s->FFixedVertColor;
    FHorzAreaContraBorderColor = s->FHorzAreaContraBorderColor;
    FHorzAreaContraHorzColor = s->FHorzAreaContraHorzColor;
    FHorzAreaContraVertColor = s->FHorzAreaContraVertColor;
    FHorzAreaFrozenBorderColor = s->FHorzAreaFrozenBorderColor;
    FHorzAreaFrozenHorzColor = s->FHorzAreaFrozenHorzColor;
    FHorzAreaFrozenVertColor = s->FHorzAreaFrozenVertColor;
    FVertAreaContraBorderColor = s->FVertAreaContraBorderColor;
    FVertAreaContraHorzColor = s->FVertAreaContraHorzColor;
    FVertAreaContraVertColor = s->FVertAreaContraVertColor;
    FVertAreaFrozenBorderColor = s->FVertAreaFrozenBorderColor;
    FVertAreaFrozenHorzColor = s->FVertAreaFrozenHorzColor;
    FVertAreaFrozenVertColor = s->FVertAreaFrozenVertColor;
    if (FGrid) FGrid->InvalidateGrid();
}

void TGridLineColorsEh::SetColorField(TColor& Field, TColor Value) {
    if (Field == Value) return;
    Field = Value;
    if (FGrid) FGrid->InvalidateGrid();
}

TColor TGridLineColorsEh::GetCellLineColor(int ACol, int ARow) {
    const auto* g = FGrid;
    if (ACol >= g->ColCount() || ARow >= g->RowCount()) {
        if (ARow >= g->RowCount()) return GetVertAreaContraVertColor();
        return GetHorzAreaContraHorzColor();
    }
    if (ACol < g->FixedCols() - g->FrozenColCount() || ARow < g->FixedRows() - g->FrozenRowCount())
        return GetDarkColor();
    return GetBrightColor();
}

TColor TGridLineColorsEh::GetColBorderColor(int ACol) {
    return ACol == FGrid->ColCount() ? GetVertAreaContraBorderColor() : GetBrightColor();
}

TColor TGridLineColorsEh::GetRowBorderColor(int, int ARow) {
    return ARow == FGrid->RowCount() ? GetHorzAreaContraBorderColor() : GetBrightColor();
}

TColor TGridLineColorsEh::GetFrozenColBorderColor(int ACol) {
    if (FGrid->FrozenColCount() > 0 && ACol == FGrid->FixedCols() - 1) return GetVertAreaFrozenBorderColor();
    return GetBrightColor();
}

TColor TGridLineColorsEh::GetFrozenRowBorderColor(int, int ARow) {
    if (FGrid->FrozenRowCount() > 0 && ARow == FGrid->FixedRows() - 1) return GetDarkColor();
    return GetBrightColor();
}

namespace {
TColor Or(TColor field, TColor fallback) {
    return field == clDefault ? fallback : field;
}
} // namespace

TColor TGridLineColorsEh::GetVertAreaFrozenVertColor() {
    return Or(FVertAreaFrozenVertColor, GetBrightColor());
}
TColor TGridLineColorsEh::GetVertAreaFrozenHorzColor() {
    return Or(FVertAreaFrozenHorzColor, GetBrightColor());
}
TColor TGridLineColorsEh::GetHorzAreaFrozenVertColor() {
    return Or(FHorzAreaFrozenVertColor, GetBrightColor());
}
TColor TGridLineColorsEh::GetHorzAreaFrozenHorzColor() {
    return Or(FHorzAreaFrozenHorzColor, GetBrightColor());
}
TColor TGridLineColorsEh::GetVertAreaFrozenBorderColor() {
    return Or(FVertAreaFrozenBorderColor, GetDarkColor());
}
TColor TGridLineColorsEh::GetHorzAreaFrozenBorderColor() {
    return Or(FHorzAreaFrozenBorderColor, GetDarkColor());
}
TColor TGridLineColorsEh::GetDataVertColor() {
    return Or(FDataVertColor, GetBrightColor());
}
TColor TGridLineColorsEh::GetDataHorzColor() {
    return Or(FDataHorzColor, GetBrightColor());
}
TColor TGridLineColorsEh::GetDarkColor() {
    return Or(FDarkColor, TColor(RGB(128, 128, 128)));
}
TColor TGridLineColorsEh::GetBrightColor() {
    if (FBrightColor != clDefault) return FBrightColor;
    const TColor silver = RGB(192, 192, 192); // the base grid is never themed
    // On a silver grid silver lines would vanish: they go grey.
    if (FGrid && ColorToRGB(FGrid->Color()) == silver) return TColor(RGB(128, 128, 128));
    return silver;
}
TColor TGridLineColorsEh::GetFixedVertColor() {
    return Or(FFixedVertColor, GetDarkColor());
}
TColor TGridLineColorsEh::GetFixedHorzColor() {
    return Or(FFixedHorzColor, GetDarkColor());
}
TColor TGridLineColorsEh::GetVertAreaContraVertColor() {
    return Or(FVertAreaContraVertColor, GetBrightColor());
}
TColor TGridLineColorsEh::GetVertAreaContraHorzColor() {
    return Or(FVertAreaContraHorzColor, GetBrightColor());
}
TColor TGridLineColorsEh::GetHorzAreaContraVertColor() {
    return Or(FHorzAreaContraVertColor, GetBrightColor());
}
TColor TGridLineColorsEh::GetHorzAreaContraHorzColor() {
    return Or(FHorzAreaContraHorzColor, GetBrightColor());
}
TColor TGridLineColorsEh::GetVertAreaContraBorderColor() {
    return Or(FVertAreaContraBorderColor, GetDarkColor());
}
TColor TGridLineColorsEh::GetHorzAreaContraBorderColor() {
    return Or(FHorzAreaContraBorderColor, GetDarkColor());
}

// ---------------------------------------------------------------------------------------------
// Line pen

TGridLinePenEh::TGridLinePenEh(TPersistent* AOwner) : FOwner(AOwner) {}

void TGridLinePenEh::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TGridLinePenEh*>(Source)) {
        WriteColor(s->ReadColor());
        WriteWidth(s->ReadWidth());
        return;
    }
    TPersistent::Assign(Source);
}
TColor TGridLinePenEh::ReadColor() {
    return FColor;
}
int TGridLinePenEh::ReadWidth() {
    return FWidth;
}
void TGridLinePenEh::WriteColor(TColor Value) {
    FColor = Value;
}
void TGridLinePenEh::WriteWidth(int Value) {
    FWidth = Value;
}

// ---------------------------------------------------------------------------------------------
// Line cache

void TGridLinesCacheEh::Clear() {
    FItems.clear();
}

TGridLinesEh* TGridLinesCacheEh::GetGridLines(TColor Color) {
    for (auto& l : FItems)
        if (l->Color == Color) return l.get();
    FItems.push_back(std::make_unique<TGridLinesEh>());
    FItems.back()->Color = Color;
    return FItems.back().get();
}

void TGridLinesCacheEh::AddLine(TColor Color, int X1, int Y1, int X2, int Y2) {
    auto* l = GetGridLines(Color);
    l->Points.push_back({X1, Y1});
    l->Points.push_back({X2, Y2});
}

void TGridLinesCacheEh::Draw(TCustomGridEh* Grid, TCanvas* Canvas) {
    size_t longest = 0;
    for (auto& l : FItems)
        longest = std::max(longest, l->Points.size());
    if (longest == 0) return;
    FStrokes.assign(longest / 2, 2);
    for (auto& l : FItems) {
        if (l->Points.empty()) continue;
        Canvas->Pen()->SetColor(l->Color);
        Canvas->Pen()->SetWidth(1);
        Canvas->Pen()->SetStyle(psSolid);
        Grid->CanvasPolyPolyline(l->Points.data(), FStrokes.data(), int(l->Points.size()));
    }
}

// ---------------------------------------------------------------------------------------------
// Margins

TGridOutBoundaryDataEh::TGridOutBoundaryDataEh(TCustomGridEh* AGrid) : FGrid(AGrid) {}

void TGridOutBoundaryDataEh::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TGridOutBoundaryDataEh*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    FLeftIndent = s->FLeftIndent;
    FTopIndent = s->FTopIndent;
    FRightIndent = s->FRightIndent;
    FBottomIndent = s->FBottomIndent;
    FLeftTopDrawPriority = s->FLeftTopDrawPriority;
    FRightTopDrawPriority = s->FRightTopDrawPriority;
    FLeftBottomDrawPriority = s->FLeftBottomDrawPriority;
    FRightBottomDrawPriority = s->FRightBottomDrawPriority;
    Changed();
}

void TGridOutBoundaryDataEh::Changed() {
    if (FGrid) FGrid->OutBoundaryDataChanged();
}

#define KVT_OUTBOUNDARY_SETTER(Name, Field, Type)                                                            \
    void TGridOutBoundaryDataEh::Set##Name(Type v) {                                                         \
        if (Field == v) return;                                                                              \
        Field = v;                                                                                           \
        Changed();                                                                                           \
    }
KVT_OUTBOUNDARY_SETTER(LeftIndent, FLeftIndent, int)
KVT_OUTBOUNDARY_SETTER(TopIndent, FTopIndent, int)
KVT_OUTBOUNDARY_SETTER(RightIndent, FRightIndent, int)
KVT_OUTBOUNDARY_SETTER(BottomIndent, FBottomIndent, int)
KVT_OUTBOUNDARY_SETTER(LeftTopDrawPriority, FLeftTopDrawPriority, TCornerDrawPriorityEh)
KVT_OUTBOUNDARY_SETTER(RightTopDrawPriority, FRightTopDrawPriority, TCornerDrawPriorityEh)
KVT_OUTBOUNDARY_SETTER(RightBottomDrawPriority, FRightBottomDrawPriority, TCornerDrawPriorityEh)
#undef KVT_OUTBOUNDARY_SETTER

void TGridOutBoundaryDataEh::SetLeftBottomDrawPriority(TCornerDrawPriorityEh v) {
    FLeftBottomDrawPriority = v; // no repaint of its own
}

bool TGridOutBoundaryDataEh::GetOutBoundaryRect(TRect& ARect, TGridCellBorderTypeEh OutBoundaryType) {
    const int w = FGrid->HandleAllocated() ? FGrid->ClientWidth() : FGrid->Width();
    const int h = FGrid->HandleAllocated() ? FGrid->ClientHeight() : FGrid->Height();
    auto vertical = [](TCornerDrawPriorityEh p) { return p == crpVerticalDataPriorityEh; };
    switch (OutBoundaryType) {
    case cbtTopEh:
        if (FTopIndent <= 0) return false;
        ARect = {vertical(FLeftTopDrawPriority) ? FLeftIndent : 0, 0,
                 vertical(FRightTopDrawPriority) ? w - FRightIndent : w, FTopIndent};
        return true;
    case cbtBottomEh:
        if (FBottomIndent <= 0) return false;
        ARect = {vertical(FLeftBottomDrawPriority) ? FLeftIndent : 0, h - FBottomIndent,
                 vertical(FRightBottomDrawPriority) ? w - FRightIndent : w, h};
        return true;
    case cbtLeftEh:
        if (FLeftIndent <= 0) return false;
        ARect = {0, vertical(FLeftTopDrawPriority) ? 0 : FTopIndent, FLeftIndent,
                 vertical(FLeftBottomDrawPriority) ? h : h - FBottomIndent};
        return true;
    case cbtRightEh:
        if (FRightIndent <= 0) return false;
        ARect = {w - FRightIndent, vertical(FRightTopDrawPriority) ? 0 : FTopIndent, w,
                 vertical(FRightBottomDrawPriority) ? h : h - FBottomIndent};
        return true;
    }
    return false;
}

void TGridOutBoundaryDataEh::InvalidateOutBoundary(TGridCellBorderTypeEh OutBoundaryType) {
    TRect r;
    if (GetOutBoundaryRect(r, OutBoundaryType) && FGrid->HandleAllocated())
        InvalidateRect(FGrid->Handle(), &r, FALSE);
}

// ---------------------------------------------------------------------------------------------
// Background picture

TGridBackgroundDataEh::TGridBackgroundDataEh(TCustomGridEh* AGrid)
    : FPicture(std::make_unique<TPicture>()), FGrid(AGrid) {
    FPicture->OnChange = TNotifyEvent(this, &TGridBackgroundDataEh::PictureChanged);
}

TGridBackgroundDataEh::~TGridBackgroundDataEh() = default;

void TGridBackgroundDataEh::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TGridBackgroundDataEh*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    FPicture->Assign(s->FPicture.get());
    FImageHorzMargin = s->FImageHorzMargin;
    FImageVertMargin = s->FImageVertMargin;
    FImagePlacement = s->FImagePlacement;
    FVisible = s->FVisible;
    Changed();
}

void TGridBackgroundDataEh::PictureChanged(TObject*) {
    Changed();
}

void TGridBackgroundDataEh::Changed() {
    if (FGrid) FGrid->InvalidateGrid();
}

void TGridBackgroundDataEh::SetPicture(TPicture* v) {
    FPicture->Assign(v);
}
void TGridBackgroundDataEh::SetPlacement(TImagePlacementEh v) {
    if (FImagePlacement == v) return;
    FImagePlacement = v;
    Changed();
}
void TGridBackgroundDataEh::SetHorzMargin(int v) {
    if (FImageHorzMargin == v) return;
    FImageHorzMargin = v;
    Changed();
}
void TGridBackgroundDataEh::SetVertMargin(int v) {
    if (FImageVertMargin == v) return;
    FImageVertMargin = v;
    Changed();
}
void TGridBackgroundDataEh::SetVisible(bool v) {
    if (FVisible == v) return;
    FVisible = v;
    Changed();
}

bool TGridBackgroundDataEh::Showing() {
    return FVisible;
}

void TGridBackgroundDataEh::BoundRect(const TGridDrawInfoEh& DrawInfo, TRect& Rect) {
    Rect = {DrawInfo.Horz.NullBorderIndent, DrawInfo.Vert.NullBorderIndent, DrawInfo.Horz.FullGridExtent,
            DrawInfo.Vert.FullGridExtent};
}

TRect TGridBackgroundDataEh::CalcPictureRect(const TRect& Area) const {
    const int w = FPicture->Width(), h = FPicture->Height();
    const int aw = Area.Width(), ah = Area.Height();
    int pw = w, ph = h;
    switch (FImagePlacement) {
    case ipFillEh:
        if (w <= 0 || h <= 0) {
            pw = aw;
            ph = ah;
        } else {
            pw = int((long long)ah * w / h);
            ph = ah;
            if (pw < aw) {
                pw = aw;
                ph = int((long long)aw * h / w);
            }
        }
        break;
    case ipFitEh:
        if (w <= 0 || h <= 0) {
            pw = aw;
            ph = ah;
        } else {
            pw = aw;
            ph = int((long long)aw * h / w);
            if (ph > ah) {
                ph = ah;
                pw = int((long long)ah * w / h);
            }
        }
        break;
    case ipStretchEh:
        pw = aw;
        ph = ah;
        break;
    default:
        break;
    }
    const int dx = aw - pw, dy = ah - ph;
    int ox = 0, oy = 0;
    switch (FImagePlacement) {
    case ipTopLeftEh:
        break;
    case ipTopCenterEh:
        ox = dx / 2;
        break;
    case ipTopRightEh:
        ox = dx;
        break;
    case ipCenterLeftEh:
        oy = dy / 2;
        break;
    case ipCenterCenterEh:
        ox = dx / 2;
        oy = dy / 2;
        break;
    case ipCenterRightEh:
        ox = dx;
        oy = dy / 2;
        break;
    case ipBottomLeftEh:
        oy = dy;
        break;
    case ipBottomCenterEh:
        ox = dx / 2;
        oy = dy;
        break;
    case ipBottomRightEh:
        ox = dx;
        oy = dy;
        break;
    case ipFillEh:
        if (ph != ah)
            oy = dy / 2;
        else
            ox = dx / 2;
        break;
    case ipFitEh:
        if (pw == aw)
            oy = dy / 2;
        else
            ox = dx / 2;
        break;
    default:
        break;
    }
    const int left = Area.Left + FImageHorzMargin + ox, top = Area.Top + FImageVertMargin + oy;
    return {left, top, left + pw, top + ph};
}

void TGridBackgroundDataEh::PaintBackgroundData() {
    TGridDrawInfoEh di;
    FGrid->CalcDrawInfo(di);
    TCanvas* c = FGrid->Canvas();
    c->Pen()->SetStyle(psSolid);
    c->Brush()->SetStyle(bsSolid);
    c->Pen()->SetColor(FGrid->Color());
    c->Brush()->SetColor(FGrid->Color());
    c->FillRect({0, 0, FGrid->Width(), FGrid->Height()});
    TGraphic* g = FPicture->Graphic();
    if (!g || g->Empty()) return;
    TRect area;
    BoundRect(di, area);
    const TRect r = CalcPictureRect(area);
    if (FImagePlacement == ipTileEh) {
        const int w = FPicture->Width(), h = FPicture->Height();
        if (w <= 0 || h <= 0) return;
        const int cw = FGrid->ClientWidth(), ch = FGrid->ClientHeight();
        for (int y = r.Top; y < ch; y += h)
            for (int x = r.Left; x < cw; x += w)
                c->Draw(x, y, g);
        return;
    }
    c->StretchDraw(r, g);
}

// ---------------------------------------------------------------------------------------------
// Hot-track spot

void TGridHotTrackSpotEh::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TGridHotTrackSpotEh*>(Source)) {
        FCol = s->FCol;
        FRow = s->FRow;
        FInCellX = s->FInCellX;
        FInCellY = s->FInCellY;
        return;
    }
    TPersistent::Assign(Source);
}

void TCustomGridEh::UnlockPaint() {
    if (FLockPaint > 0) --FLockPaint;
}

TGridLineColorsEh* TCustomGridEh::CreateGridLineColors() {
    return new TGridLineColorsEh(this);
}

TGridBackgroundDataEh* TCustomGridEh::CreateBackgroundData() {
    return new TGridBackgroundDataEh(this);
}
