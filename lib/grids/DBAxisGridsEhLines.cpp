// The axis grid's line colours (a colour scheme, data-line switches with "stored" flags and the
// data boundary colour) and its self-drawn one-pixel border.

#include "lib/grids/DBAxisGridsEh.h"

#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"
#include "platform/ui/WinGdi.h"

namespace {

int Luminance(TColor c) {
    const COLORREF rgb = ColorToRGB(c);
    const int r = int(rgb & 0xFF), g = int((rgb >> 8) & 0xFF), b = int((rgb >> 16) & 0xFF);
    return (77 * r + 150 * g + 29 * b) / 256;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TDBAxisGridLineParamsEh

TDBAxisGridLineParamsEh::TDBAxisGridLineParamsEh(TCustomGridEh* Grid) : TGridLineColorsEh(Grid) {}

void TDBAxisGridLineParamsEh::Repaint() {
    if (FGrid) FGrid->Invalidate();
}

bool TDBAxisGridLineParamsEh::DataHorzLines() {
    return FDataHorzLinesStored ? FDataHorzLines : DefaultDataHorzLines();
}

bool TDBAxisGridLineParamsEh::DataVertLines() {
    return FDataVertLinesStored ? FDataVertLines : DefaultDataVertLines();
}

bool TDBAxisGridLineParamsEh::DefaultDataHorzLines() {
    throw Exception(QStringLiteral("Realize DefaultDataHorzLines in an inherited class"));
}

bool TDBAxisGridLineParamsEh::DefaultDataVertLines() {
    throw Exception(QStringLiteral("Realize DefaultDataVertLines in an inherited class"));
}

TDBGridLinesColorSchemeEh TDBAxisGridLineParamsEh::GetActualColorScheme() {
    throw Exception(QStringLiteral("Realize GetActualColorScheme in an inherited class"));
}

void TDBAxisGridLineParamsEh::WriteDataHorzLines(bool Value) {
    if (FDataHorzLinesStored && Value == FDataHorzLines) return;
    FDataHorzLinesStored = true;
    FDataHorzLines = Value;
    Repaint();
}

void TDBAxisGridLineParamsEh::WriteDataHorzLinesStored(bool Value) {
    if (Value == FDataHorzLinesStored) return;
    FDataHorzLines = DefaultDataHorzLines();
    FDataHorzLinesStored = Value;
    Repaint();
}

void TDBAxisGridLineParamsEh::WriteDataVertLines(bool Value) {
    if (FDataVertLinesStored && Value == FDataVertLines) return;
    FDataVertLinesStored = true;
    FDataVertLines = Value;
    Repaint();
}

void TDBAxisGridLineParamsEh::WriteDataVertLinesStored(bool Value) {
    if (Value == FDataVertLinesStored) return;
    FDataVertLines = DefaultDataVertLines();
    FDataVertLinesStored = Value;
    Repaint();
}

void TDBAxisGridLineParamsEh::WriteGridBoundaries(bool Value) {
    if (Value == FGridBoundaries) return;
    FGridBoundaries = Value;
    Repaint();
}

void TDBAxisGridLineParamsEh::WriteColorScheme(TDBGridLinesColorSchemeEh Value) {
    if (Value == FColorScheme) return;
    FColorScheme = Value;
    Repaint();
}

void TDBAxisGridLineParamsEh::WriteVertEmptySpaceStyle(TDrawEmptySpaceStyle Value) {
    if (Value == FVertEmptySpaceStyle) return;
    FVertEmptySpaceStyle = Value;
    Repaint();
}

void TDBAxisGridLineParamsEh::SetDataBoundaryColor(TColor Value) {
    if (Value == FDataBoundaryColor) return;
    FDataBoundaryColor = Value;
    Repaint();
}

TColor TDBAxisGridLineParamsEh::GetBrightColor() {
    if (FBrightColor != clDefault) return TGridLineColorsEh::GetBrightColor();
    // No custom visual styles here.
    if (ThemesInUse() && GetActualColorScheme() == glcsThemedEh) return clBtnFace;
    return TGridLineColorsEh::GetBrightColor();
}

TColor TDBAxisGridLineParamsEh::GetDarkColor() {
    if (FDarkColor != clDefault) return TGridLineColorsEh::GetDarkColor();
    const TDBGridLinesColorSchemeEh scheme = GetActualColorScheme();
    // The themed edge fill colour of the system's grid part is not available here; the scheme's
    // own colours answer.
    switch (scheme) {
    case glcsFlatEh:
        return TColor(0x808080);
    case glcsThemedEh:
        return TColor(0xB8C7CB);
    case glcsClassicEh:
        if (ThemesInUse()) return cl3DDkShadow;
        break;
    default:
        break;
    }
    return clBlack;
}

TColor TDBAxisGridLineParamsEh::GetDataBoundaryColor() {
    if (FDataBoundaryColor != clDefault) return FDataBoundaryColor;
    const TColor v = GetDataVertColor();
    const TColor h = GetDataHorzColor();
    if (v == h && v != clNone) return GetDarkColor();
    return Luminance(h) < Luminance(v) ? h : v;
}

// ---------------------------------------------------------------------------------------------
// TControlBorderEh

TControlBorderEh::TControlBorderEh(TCustomDBAxisGridEh* Grid) : FGrid(Grid) {}

void TControlBorderEh::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TControlBorderEh*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    SetColor(src->FColor);
    SetEdgeBorders(src->FEdgeBorders);
    if (src->FExtendedDrawStored) SetExtendedDraw(src->FExtendedDraw);
}

bool TControlBorderEh::DefaultExtendedDraw() {
    const TEdgeBorders all{ebLeft, ebTop, ebRight, ebBottom};
    return FGrid->Flat() && (FGrid->Ctl3D() || FColor != clDefault || FEdgeBorders != all);
}

bool TControlBorderEh::ExtendedDraw() {
    return FExtendedDrawStored ? FExtendedDraw : DefaultExtendedDraw();
}

void TControlBorderEh::SetExtendedDraw(bool Value) {
    if (FExtendedDrawStored && Value == FExtendedDraw) return;
    FExtendedDrawStored = true;
    FExtendedDraw = Value;
    ++FRecreateCount;
    FGrid->RecreateWnd();
}

void TControlBorderEh::SetExtendedDrawStored(bool Value) {
    if (Value == FExtendedDrawStored) return;
    FExtendedDraw = DefaultExtendedDraw();
    FExtendedDrawStored = Value;
    FGrid->Invalidate();
}

TBorderStyle TControlBorderEh::Style() const {
    return FGrid->BorderStyle();
}

void TControlBorderEh::SetStyle(TBorderStyle Value) {
    FGrid->SetBorderStyle(Value);
}

bool TControlBorderEh::Ctl3D() const {
    return FGrid->Ctl3D();
}

void TControlBorderEh::SetCtl3D(bool Value) {
    FGrid->SetCtl3D(Value);
}

void TControlBorderEh::UpdateExtendedDraw() {
    if (DefaultExtendedDraw() != FOldExtendedDraw) {
        ++FRecreateCount;
        FGrid->RecreateWnd();
    }
}

void TControlBorderEh::SetColor(TColor Value) {
    if (Value == FColor) return;
    FOldExtendedDraw = DefaultExtendedDraw();
    FColor = Value;
    FGrid->FrameChanged();
    UpdateExtendedDraw();
}

void TControlBorderEh::SetEdgeBorders(TEdgeBorders Value) {
    if (Value == FEdgeBorders) return;
    FOldExtendedDraw = DefaultExtendedDraw();
    FEdgeBorders = Value;
    FGrid->FrameChanged();
    UpdateExtendedDraw();
}

// ---------------------------------------------------------------------------------------------
// The grid's side of the border

void TCustomDBAxisGridEh::CreateParams(TCreateParams& Params) {
    TCustomGridEh::CreateParams(Params);
    if (FBorder && FBorder->ExtendedDraw()) {
        Params.Style &= ~DWORD(WS_BORDER);
        Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
        FBorderWidth = BorderStyle() == bsSingle ? 1 : 0;
    } else {
        FBorderWidth = 0;
    }
    Params.Style |= WS_CLIPCHILDREN;
}

void TCustomDBAxisGridEh::FrameChanged() {
    if (HandleAllocated())
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
}

void TCustomDBAxisGridEh::Paint() {
    if (IsPaintLocked()) return;
    // Qt paints through its own back buffer: every frame is buffered.
    FBufferedPaint = PrefersBufferedPaint() || DoubleBuffered();
    TCustomGridEh::Paint();
    DrawNonClientBorder();
}

bool TCustomDBAxisGridEh::BorderCoversCrossing(int ACol, int ARow, TGridCellBorderTypeEh Border) {
    bool cover = false;
    TColor color = clNone;
    bool drawn = false;
    GetCellBorderParams(ACol, ARow, Border, cover, color, drawn);
    return cover;
}

// There is no non-client area on this platform: the border is drawn over the client area's
// outer pixels after the cells.
void TCustomDBAxisGridEh::DrawNonClientBorder() {
    if (FBorderWidth == 0) return;
    TCanvas* c = Canvas();
    const TRect r = ClientRect();
    const TEdgeBorders eb = FBorder->EdgeBorders();
    if (FBorder->Color() == clDefault) {
        UINT flags = 0;
        if (eb.Contains(ebLeft)) flags |= BF_LEFT;
        if (eb.Contains(ebTop)) flags |= BF_TOP;
        if (eb.Contains(ebRight)) flags |= BF_RIGHT;
        if (eb.Contains(ebBottom)) flags |= BF_BOTTOM;
        if (!Ctl3D()) flags |= BF_MONO;
        TRect er = r;
        DrawEdge(c->Handle(), er, BDR_SUNKENOUTER, flags);
        return;
    }
    c->Pen()->SetColor(FBorder->Color());
    auto line = [c](int x1, int y1, int x2, int y2) {
        c->MoveTo(x1, y1);
        c->LineTo(x2, y2);
    };
    if (eb.Contains(ebLeft)) line(r.Left, r.Bottom - 1, r.Left, r.Top - 1);
    if (eb.Contains(ebTop)) line(r.Left, r.Top, r.Right, r.Top);
    if (eb.Contains(ebRight)) line(r.Right - 1, r.Top, r.Right - 1, r.Bottom);
    if (eb.Contains(ebBottom)) line(r.Right - 1, r.Bottom - 1, r.Left - 1, r.Bottom - 1);
}
