// Small services of the axis grid unit: the tool-tip window of the grids, mirrored canvas
// mapping, cell ranges, the crossing question of a cell border and the removal of one waiting
// window message.

#include "lib/grids/DBAxisGridsEh.h"

#include "platform/ui/WinApi.h"
#include "platform/ui/WinGdi.h"

void SetMirroredCanvasMapping(TCanvas* Canvas, bool RightToLeft, int Width, int Height) {
    HDC dc = Canvas->Handle();
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowOrgEx(dc, RightToLeft ? Width : 0, 0);
    SetViewportExtEx(dc, Width, Height);
    SetWindowExtEx(dc, RightToLeft ? -Width : Width, Height);
}

TGridRect MakeCellRange(int Left, int Top, int Right, int Bottom) {
    return TGridRect(Left, Top, Right, Bottom);
}

bool CellBorderCoversCrossing(TCustomDBAxisGridEh* Grid, int ACol, int ARow, TGridCellBorderTypeEh Border) {
    return Grid->BorderCoversCrossing(ACol, ARow, Border);
}

void RemoveQueuedMessage(HWND Wnd, UINT Msg) {
    MSG m{};
    if (PeekMessage(&m, Wnd, Msg, Msg, PM_REMOVE) && m.message == WM_QUIT) PostQuitMessage(int(m.wParam));
}

// ---------------------------------------------------------------------------------------------
// TGridToolTipsWindowEh

void TGridToolTipsWindowEh::ActivateHintData(const TRect& Rect, const String& AHint, void* AData) {
    if (AData) Font()->Assign(static_cast<TFont*>(AData));
    THintWindow::ActivateHintData(Rect, AHint, AData);
}

TRect TGridToolTipsWindowEh::CalcHintRect(int MaxWidth, const String& AHint, void* AData) {
    // The base measures in the window's own font: the tip is measured in the font it shows.
    if (AData) Font()->Assign(static_cast<TFont*>(AData));
    return THintWindow::CalcHintRect(MaxWidth, AHint, nullptr);
}

// The hint manager makes the window of the class a control asks for.
KVT_REGISTER_CLASS(TGridToolTipsWindowEh)

void TGridToolTipsWindowEh::Paint() {
    TRect r = ClientRect();
    r.Left += 2;
    r.Top += 2;
    Canvas()->Font()->Assign(Font());
    Canvas()->Brush()->SetStyle(bsClear);
    DrawText(Canvas()->Handle(), Caption(), -1, &r,
             DT_NOPREFIX | DT_WORDBREAK | DrawTextBiDiModeFlagsReadingOnly());
}
