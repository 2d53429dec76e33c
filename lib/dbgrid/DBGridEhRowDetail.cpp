// The data grid's row detail panel: its settings, its window with the sizing bar, opening and
// closing under the current record, placing the window, the current row's extra height, the
// expand button in the record's first cell and the cell editor that makes room for it.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhGrouping.h"
#include "lib/dbgrid/DBGridEhRowPanel.h"

#include "lib/tools/ToolCtrlsEh.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/WinApi.h"

#include <QPainter>
#include <QWidget>
#include <QScopeGuard>

#include <algorithm>

namespace {

// The point of a mouse message's LParam (signed coordinates).
TPoint PointOfLParam(LPARAM LParam) {
    return TPoint{GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam)};
}

constexpr int DetailButtonWidth = 18;
// Glyphs of the tree painter without connector lines.
constexpr int GlyphExpandedAlone = 3;
constexpr int GlyphCollapsedAlone = 7;

} // namespace

// ---------------------------------------------------------------------------------------------
// Settings

TRowDetailPanelEh::TRowDetailPanelEh(TCustomDBGridEh* AGrid) : FGrid(AGrid), FColor(AGrid->FixedColor()) {}

void TRowDetailPanelEh::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TRowDetailPanelEh*>(Source)) {
        SetActive(s->Active());
        return;
    }
    TPersistent::Assign(Source);
}

void TRowDetailPanelEh::Replace() {
    if (FGrid->HandleAllocated()) FGrid->UpdateRowDetailPanel();
}

void TRowDetailPanelEh::SetActive(bool Value) {
    if (Value == FActive) return;
    FActive = Value;
    const TComponentState cs = FGrid->ComponentState();
    if (!Value)
        SetVisible(false);
    else if (cs.Contains(csDesigning) && !cs.Contains(csLoading))
        SetVisible(true);
    FGrid->UpdateRowDetailPanel();
    FGrid->LayoutChanged();
}

void TRowDetailPanelEh::SetVisible(bool Value) {
    if (Value == FVisible) return;
    TCustomDBGridEh* g = FGrid;
    TGridDataLinkEh* link = g->DataLink();
    if (Value && !(link && link->Active() && !link->DataSet()->IsEmpty())) return;
    const bool destroying = g->FDestroying || g->ComponentState().Contains(csDestroying);
    if (!destroying) {
        bool can = true;
        if (Value && g->OnRowDetailPanelShow) g->OnRowDetailPanelShow(g, can);
        if (!Value && g->OnRowDetailPanelHide) g->OnRowDetailPanelHide(g, can);
        if (!can) return;
    }
    // A hidden window must not keep the focus: it goes back to the grid.
    if (!Value && !destroying && g->FRowDetailControl &&
        g->FRowDetailControl->ContainsControl(FindControl(GetFocus())))
        if (g->CanFocus()) g->SetFocus();
    FVisible = Value;
    if (destroying) return;
    g->FRowDetailBookmark = Value ? link->DataSet()->Bookmark() : TBookmark();
    g->UpdateRowDetailPanel();
    if (Value)
        g->ScrollRowDetailIntoView();
    else if (g->HandleAllocated())
        g->ClampTopRow();
    g->UpdateVertScrollBar();
}

void TRowDetailPanelEh::SetWidth(int Value) {
    if (Value == FWidth) return;
    FWidth = Value;
    Replace();
}

void TRowDetailPanelEh::SetHeight(int Value) {
    if (Value == FHeight) return;
    Value = std::max(Value, FMinHeight);
    if (FMaxHeight > 0) Value = std::min(Value, FMaxHeight);
    FHeight = Value;
    Replace();
}

void TRowDetailPanelEh::SetMinHeight(int Value) {
    FMinHeight = Value;
    if (FHeight < Value) FHeight = Value;
    Replace();
}

void TRowDetailPanelEh::SetMaxHeight(int Value) {
    if (Value == FMaxHeight) return;
    FMaxHeight = Value;
    Replace();
}

void TRowDetailPanelEh::SetVertSizing(bool Value) {
    FVertSizing = Value;
    if (FMaxHeight > 0 && FHeight > FMaxHeight) FHeight = FMaxHeight;
    Replace();
}

TColor TRowDetailPanelEh::Color() const {
    return FParentColor ? FGrid->Color() : FColor;
}

void TRowDetailPanelEh::SetColor(TColor Value) {
    FColor = Value;
    FParentColor = false;
    Replace();
}

bool TRowDetailPanelEh::ColorStored() const {
    return !FParentColor && FColor != FGrid->FixedColor();
}

void TRowDetailPanelEh::SetParentColor(bool Value) {
    if (Value == FParentColor) return;
    FParentColor = Value;
    Replace();
}

bool TRowDetailPanelEh::ParentPopupMenu() const {
    return FGrid->FRowDetailControl ? FGrid->FRowDetailControl->ParentPopupMenu() : true;
}

void TRowDetailPanelEh::SetParentPopupMenu(bool Value) {
    if (FGrid->FRowDetailControl) FGrid->FRowDetailControl->SetParentPopupMenu(Value);
}

#define KVT_DETAIL_SETTER(Name, Type, Field)                                                                 \
    void TRowDetailPanelEh::Set##Name(Type Value) {                                                          \
        if (Value == Field) return;                                                                          \
        Field = Value;                                                                                       \
        Replace();                                                                                           \
    }
KVT_DETAIL_SETTER(BevelEdges, TBevelEdges, FBevelEdges)
KVT_DETAIL_SETTER(BevelInner, TBevelCut, FBevelInner)
KVT_DETAIL_SETTER(BevelOuter, TBevelCut, FBevelOuter)
KVT_DETAIL_SETTER(BevelKind, TBevelKind, FBevelKind)
KVT_DETAIL_SETTER(BevelWidth, TBevelWidth, FBevelWidth)
KVT_DETAIL_SETTER(BorderStyle, TBorderStyle, FBorderStyle)
KVT_DETAIL_SETTER(SizingBarHeight, int, FSizingBarHeight)
KVT_DETAIL_SETTER(SizingBarBeveled, bool, FSizingBarBeveled)
#undef KVT_DETAIL_SETTER

// ---------------------------------------------------------------------------------------------
// The window

TRowDetailPanelControlEh::TRowDetailPanelControlEh(TComponent* AOwner) : TScrollingWinControl(AOwner) {
    FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents,
                     csSetCaption,      csDoubleClicks, csReplicatable};
    FCanvas = std::make_unique<TControlCanvas>();
    FCanvas->SetControl(this);
    SetBounds(0, 0, 185, 41);
}

TRowDetailPanelControlEh::~TRowDetailPanelControlEh() = default;

TCustomDBGridEh* TRowDetailPanelControlEh::Grid() const {
    return dynamic_cast<TCustomDBGridEh*>(Parent());
}

void TRowDetailPanelControlEh::CreateParams(TCreateParams& Params) {
    TScrollingWinControl::CreateParams(Params);
    if (FBorderStyle == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TRowDetailPanelControlEh::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    RecreateWnd();
}

// The sizing bar is part of the window's frame: the window is made again around it.
void TRowDetailPanelControlEh::SetVertSizing(bool Value) {
    if (Value == FVertSizing) return;
    FVertSizing = Value;
    RecreateWnd();
    Realign();
}

void TRowDetailPanelControlEh::SetSizingBarHeight(int Value) {
    if (Value == FSizingBarHeight) return;
    FSizingBarHeight = Value;
    RecreateWnd();
    Realign();
}

void TRowDetailPanelControlEh::SetSizingBarBeveled(bool Value) {
    if (Value == FSizingBarBeveled) return;
    FSizingBarBeveled = Value;
    Invalidate();
}

TRect TRowDetailPanelControlEh::NonClientMargins() {
    return FVertSizing ? TRect(0, 0, 0, FSizingBarHeight) : TRect();
}

TPoint TRowDetailPanelControlEh::ScreenToWindow(const TPoint& P) {
    if (QWidget* w = Widget()) {
        const QPoint p = w->mapFromGlobal(QPoint(P.X, P.Y));
        return TPoint{p.x(), p.y()};
    }
    return ScreenToClient(P);
}

TRect TRowDetailPanelControlEh::SizingBarRect() {
    // The border is as wide on every side: the client's origin in the window gives it.
    const TPoint border = ScreenToWindow(ClientOrigin());
    const int bottom = Height() - border.Y;
    return TRect(border.X, std::max(border.Y, bottom - FSizingBarHeight), Width() - border.X, bottom);
}

bool TRowDetailPanelControlEh::SizingBarHitTest(int X, int Y) {
    const TRect bar = SizingBarRect();
    return FVertSizing && X >= 0 && X < Width() && Y >= bar.Top && Y < Height();
}

void TRowDetailPanelControlEh::PaintSizingBar(HDC DC) {
    if (!FVertSizing || !DC) return;
    TCanvas* c = FCanvas.get();
    c->Lock();
    c->SetHandle(DC);
    const auto release = qScopeGuard([c] {
        c->SetHandle(nullptr);
        c->Unlock();
    });
    TRect r = SizingBarRect();
    if (FSizingBarBeveled) {
        c->Pen()->SetColor(clBtnShadow);
        c->MoveTo(r.Left, r.Top);
        c->LineTo(r.Right, r.Top);
        c->Pen()->SetColor(clBtnHighlight);
        c->MoveTo(r.Left, r.Top + 1);
        c->LineTo(r.Right, r.Top + 1);
        r.Top += 2;
    }
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(TRect(r.Left + 1, r.Top, r.Right - 1, r.Bottom - 1));
}

void TRowDetailPanelControlEh::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_CONTEXTMENU:
        if (!FParentPopupMenu) return;
        break;
    case CM_CTL3DCHANGED:
        // The single border is drawn by the window's style, which follows the 3-D look.
        if (FBorderStyle == bsSingle) RecreateWnd();
        break;
    case WM_NCPAINT:
        // The bar is drawn over the frame's own painting.
        TScrollingWinControl::WndProc(Message);
        PaintSizingBar(reinterpret_cast<HDC>(Message.WParam));
        return;
    case WM_NCHITTEST:
        // While the mouse is held the last answer stands.
        if (MouseCapture()) break;
        TScrollingWinControl::WndProc(Message);
        FHitTest = ScreenToWindow(PointOfLParam(Message.LParam));
        FSizeArea = SizingBarHitTest(FHitTest.X, FHitTest.Y);
        if (FSizeArea) Message.Result = HTBORDER;
        return;
    case WM_SETCURSOR:
        if (FSizeArea && LoWord(Message.LParam) == HTBORDER) {
            ::SetCursor(crVSplit);
            Message.Result = 1;
            return;
        }
        break;
    case CM_DESIGNHITTEST:
        // The designer leaves a press on the bar to the panel.
        Message.Result = FSizeArea ? 1 : 0;
        return;
    case WM_NCLBUTTONDOWN: {
        const TPoint screen = PointOfLParam(Message.LParam);
        FDownGlobPos = screen;
        TCustomDBGridEh* g = Grid();
        FRowDetailPanelHeight = g ? g->RowDetailPanel()->Height() : Height();
        // Client moves size the panel from the press: its height follows the mouse's Y.
        const TPoint client = ScreenToClient(screen);
        FYDelta = client.Y - FRowDetailPanelHeight;
        if (FVertSizing && client.Y >= ClientHeight() && FSizeArea) SetMouseCapture(true);
        break;
    }
    case WM_NCMOUSEMOVE:
        if (FSizeArea && MouseCapture()) {
            if (TCustomDBGridEh* g = Grid())
                g->RowDetailPanel()->SetHeight(FRowDetailPanelHeight + PointOfLParam(Message.LParam).Y -
                                               FDownGlobPos.Y);
            return;
        }
        break;
    case WM_NCLBUTTONUP:
        if (FSizeArea && MouseCapture()) SetMouseCapture(false);
        break;
    case CM_CHILDKEY: {
        // Ctrl+Up in a hosted control hands the focus back to the grid.
        const Word key = Word(Message.WParam);
        TCustomDBGridEh* g = Grid();
        if (key == VK_UP && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_SHIFT) >= 0 &&
            GetKeyState(VK_MENU) >= 0 && g && !g->ComponentState().Contains(csDesigning) && g->CanFocus()) {
            g->SetFocus();
            Message.Result = 1;
            return;
        }
        break;
    }
    }
    TScrollingWinControl::WndProc(Message);
}

void TRowDetailPanelControlEh::MouseMove(TShiftState Shift, int X, int Y) {
    if (FSizeArea && MouseCapture()) {
        if (TCustomDBGridEh* g = Grid()) g->RowDetailPanel()->SetHeight(Y - FYDelta);
        return;
    }
    TScrollingWinControl::MouseMove(Shift, X, Y);
}

void TRowDetailPanelControlEh::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (FSizeArea && MouseCapture()) {
        SetMouseCapture(false);
        FSizeArea = false;
        return;
    }
    TScrollingWinControl::MouseUp(Button, Shift, X, Y);
}

// ---------------------------------------------------------------------------------------------
// Placing the window and the current row's height

void TCustomDBGridEh::UpdateRowDetailPanel() {
    if (!FRowDetailControl || !FRowDetailPanel || !HandleAllocated()) return;
    TRowDetailPanelEh* p = FRowDetailPanel.get();
    TRowDetailPanelControlEh* w = FRowDetailControl;
    const int top = TopDataOffset();
    const bool designing = ComponentState().Contains(csDesigning);
    const int col = FFrozenCols > 0 ? FIndicatorOffset : std::max(LeftCol(), int(FIndicatorOffset));
    TRect R;
    bool rowShown = false;
    if (col < ColCount() && Row() >= top && Row() < RowCount()) {
        R = CellRect(col, Row());
        rowShown = !R.IsEmpty();
    }
    if (rowShown && !FWholeGridChanged) R.Bottom = R.Top + GetDataRowHeight(Row() - top);
    if (p->Active() && (p->Visible() || designing) && rowShown) {
        w->SetVertSizing(p->VertSizing());
        w->SetSizingBarHeight(p->SizingBarHeight());
        w->SetSizingBarBeveled(p->SizingBarBeveled());
        w->Constraints()->SetMinHeight(p->MinHeight());
        w->Constraints()->SetMaxHeight(p->MaxHeight());
        const int cw = ClientWidth();
        int a = GetCellTreeElmentsAreaWidth() + FExtraFirstColumnWidth + DetailButtonWidth +
                (UseRightToLeftAlignment() ? cw - R.Right : R.Left);
        int width;
        if (p->Width() > 0) {
            width = p->Width() <= cw - a ? p->Width() : cw - a;
        } else {
            TGridDrawInfoEh di;
            CalcDrawInfo(di);
            width = di.Horz.GridBoundary - a - GridLineWidth();
        }
        width = std::max(0, width);
        const int left = UseRightToLeftAlignment() ? cw - a - width : a;
        const int wtop = R.Bottom;
        int height = p->Height();
        if (wtop + height > ClientHeight()) height = std::max(0, ClientHeight() - wtop);
        w->SetBounds(left, wtop, width, height);
        w->SetBevelEdges(p->BevelEdges());
        w->SetBevelInner(p->BevelInner());
        w->SetBevelOuter(p->BevelOuter());
        w->SetBevelKind(p->BevelKind());
        w->SetBevelWidth(p->BevelWidth());
        w->SetBorderStyle(p->BorderStyle());
        w->SetColor(p->Color());
        w->SetVisible(true);
    } else {
        w->SetVisible(false);
        if (designing && !p->Active()) w->SetBounds(0, 0, 0, 0);
    }
    if (!FWholeGridChanged && Row() >= top && Row() < RowCount()) UpdateDataRowHeight(Row() - top);
}

void TCustomDBGridEh::RowDetailFollowRecord() {
    if (!FRowDetailPanel || !FRowDetailPanel->Visible() || !DataLink()->Active()) return;
    TDataSet* ds = DataLink()->DataSet();
    if (ds->IsEmpty() || ds->CompareBookmarks(ds->Bookmark(), FRowDetailBookmark) != 0)
        FRowDetailPanel->SetVisible(false);
}

void TCustomDBGridEh::UpdateDataRowHeight(int DataRow) {
    const int row = DataRow + TopDataOffset();
    if (row < TopDataOffset() || row >= RowCount()) return;
    int h = GetDataRowHeight(DataRow);
    if (FRowDetailPanel && FRowDetailPanel->Active() && FRowDetailPanel->Visible() && row == Row())
        h += FRowDetailPanel->Height();
    if (RowHeights(row) != h) SetRowHeights(row, h);
}

void TCustomDBGridEh::ScrollRowDetailIntoView() {
    if (!HandleAllocated() || Row() < TopDataOffset()) return;
    // Rows below the current one leave the page until it shows the current row with its panel.
    const int client = ClientHeight();
    const int lw = FOptions.Contains(dgRowLines) ? GridLineWidth() : 0;
    auto bottomOfCurrent = [&] {
        int y = 0;
        for (int r = 0; r < TopDataOffset(); ++r)
            y += RowHeights(r) + lw;
        for (int r = TopRow(); r <= Row(); ++r)
            y += RowHeights(r) + lw;
        return y;
    };
    if (UsesMemTable()) {
        while (bottomOfCurrent() > client && TopRow() < Row()) {
            const int before = TopRow();
            SafeMoveTop(TopRow() + 1, false);
            if (TopRow() == before) break;
        }
    } else {
        RecalcDataRowCount();
    }
    UpdateRowDetailPanel();
}

void TCustomDBGridEh::DrawRowDetailStrip(int ACol, int ARow, TRect& ARect) {
    if (!FRowDetailPanel || !FRowDetailPanel->Visible() || ARow != Row() || ARow < TopDataOffset()) return;
    const int h = GetDataRowHeight(ARow - TopDataOffset());
    if (h >= ARect.Height()) return;
    TCanvas* c = Canvas();
    c->Brush()->SetColor(InternalColor());
    const TRect strip(ARect.Left, ARect.Top + h, ARect.Right, ARect.Bottom);
    c->FillRect(strip);
    (void)ACol;
    ARect.Bottom = ARect.Top + h;
}

// ---------------------------------------------------------------------------------------------
// The expand button

bool TCustomDBGridEh::RowDetailPanelActive() const {
    return FRowDetailPanel && FRowDetailPanel->Active();
}

bool TCustomDBGridEh::CheckRowHaveDetailPanel() {
    bool have = FRowDetailPanel && FRowDetailPanel->Active();
    if (OnCheckRowHaveDetailPanel) OnCheckRowHaveDetailPanel(this, have);
    return have;
}

void TCustomDBGridEh::DrawTreeElement(TCanvas* ACanvas, const TRect& ARect, int Kind, bool DotPhase,
                                      double ScaleX, double ScaleY, bool ShiftBox, bool UseSystemColors,
                                      TTreeViewGlyphStyleEh GlyphStyle) {
    // A mirrored canvas already puts the glyph at its place and turns it round.
    if (!UseRightToLeftAlignment() || IsCanvasMirrored(ACanvas)) {
        PaintTreeNodeGlyph(ACanvas, ARect, Kind, DotPhase, ScaleX, ScaleY, ShiftBox, UseSystemColors,
                           GlyphStyle);
        return;
    }
    // The glyph is drawn mirrored: at the mirrored place, itself mirrored.
    const int w = ClientWidth();
    const TRect r(w - ARect.Right, ARect.Top, w - ARect.Left, ARect.Bottom);
    QPainter* p = ACanvas->Painter();
    if (!p) {
        PaintTreeNodeGlyph(ACanvas, ARect, Kind, DotPhase, ScaleX, ScaleY, ShiftBox, UseSystemColors,
                           GlyphStyle);
        return;
    }
    p->save();
    p->translate(w, 0);
    p->scale(-1, 1);
    const auto restore = qScopeGuard([p] { p->restore(); });
    PaintTreeNodeGlyph(ACanvas, r, Kind, DotPhase, ScaleX, ScaleY, ShiftBox, UseSystemColors, GlyphStyle);
}

int TCustomDBGridEh::DrawRowDetailButton(const TRect& ARect, int DataRow, TGridDrawState AState) {
    if (!FRowDetailPanel || !FRowDetailPanel->Active()) return 0;
    TCanvas* c = Canvas();
    // A highlighted row keeps its colour under the button.
    TColor back = Color();
    TFont font;
    HighlightDataCellColor(0, DataRow, &font, back, AState, String());
    const TRect r(ARect.Left, ARect.Top, ARect.Left + DetailButtonWidth, ARect.Bottom);
    c->Brush()->SetColor(back);
    c->FillRect(r);
    const bool open = FRowDetailPanel->Visible() && IsDataRowCurrent(DataRow);
    const bool phase = (FStdDefaultRowHeight % 2 != 0) && (TopRow() % 2 != 0);
    DrawTreeElement(c, r, open ? GlyphExpandedAlone : GlyphCollapsedAlone, phase, 1.0, 1.0, false, false,
                    FTreeViewParams->GetActualGlyphStyle());
    return DetailButtonWidth;
}

void TCustomDBGridEh::RowDetailButtonArea(TRect& ARect, int DataRow, TGridDrawState AState) {
    if (!FRowDetailPanel || !FRowDetailPanel->Active()) return;
    if (CheckRowHaveDetailPanel()) {
        ARect.Left += DrawRowDetailButton(ARect, DataRow, AState);
    } else {
        TCanvas* c = Canvas();
        c->FillRect(TRect(ARect.Left, ARect.Top, ARect.Left + DetailButtonWidth, ARect.Bottom));
        ARect.Left += DetailButtonWidth;
    }
}

bool TCustomDBGridEh::GetRowDetailButtonRect(int ACol, int ARow, const TRect& CellRect, TPoint InCellPos) {
    const int dataRow = ARow - TopDataOffset();
    bool have = false;
    if (DataLink()->Active() && dataRow >= 0 && dataRow < FullDataRowCount()) {
        InstantReadRowEnter(dataRow);
        const auto leave = qScopeGuard([this] { InstantReadRowLeave(); });
        have = CheckRowHaveDetailPanel();
    }
    if (!have) return false;
    TRect area = CellRect;
    if (RowPanelMode()) {
        TColumnEh* first = VisibleColumn(0);
        if (!first) return false;
        area = RowPanelColumnRect(ARow, first, false);
        const TPoint p{CellRect.Left + InCellPos.X, CellRect.Top + InCellPos.Y};
        if (p.Y < area.Top || p.Y >= area.Bottom) return false;
        InCellPos = TPoint{p.X - area.Left, p.Y - area.Top};
    } else if (DataColumn(ACol - FIndicatorOffset) != VisibleColumn(0)) {
        return false;
    }
    int x = InCellPos.X;
    if (UseRightToLeftAlignment()) x = area.Width() - x;
    const int b = GetCellTreeElmentsAreaWidth() + (RowPanelMode() ? 0 : FExtraFirstColumnWidth);
    return x >= b && x < b + DetailButtonWidth;
}

bool TCustomDBGridEh::RowDetailButtonHitTest(TMouseButton Button, TShiftState Shift, int X, int Y) {
    (void)Button;
    (void)Shift;
    const TGridCoord cell = MouseCoord(X, Y);
    if (cell.X < FIndicatorOffset || cell.Y < TopDataOffset() || cell.X >= ColCount() || cell.Y >= RowCount())
        return false;
    if (GroupingShowsRows())
        if (TGroupDataTreeNodeEh* node = FlatNode(cell.Y - TopDataOffset()))
            if (node->NodeType() != dntDataSetRecordEh) return false;
    const TRect r = CellRect(cell.X, cell.Y);
    return GetRowDetailButtonRect(cell.X, cell.Y, r, TPoint{X - r.Left, Y - r.Top});
}

void TCustomDBGridEh::FocusRowDetailControl() {
    if (!FRowDetailControl || !FRowDetailControl->Visible()) return;
    const TComponentState cs = ComponentState();
    if (cs.Contains(csLoading) || cs.Contains(csDesigning)) return;
    if (TWinControl* a = FRowDetailPanel->ActiveControl(); a && a->CanFocus()) {
        a->SetFocus();
        return;
    }
    std::vector<TWinControl*> list;
    FRowDetailControl->GetTabOrderList(list);
    for (TWinControl* c : list)
        if (c->CanFocus() && c->TabStop()) {
            c->SetFocus();
            return;
        }
}

// ---------------------------------------------------------------------------------------------
// The cell editor's rectangle

TRect TCustomDBGridEh::GetEditRect(int ACol, int ARow) {
    if (RowPanelMode()) return RowPanelEditRect();
    TRect r = TCustomDBAxisGridEh::GetEditRect(ACol, ARow);
    const bool firstCol = VisibleColumnCount() > 0 &&
                          DataColumn(ACol - FIndicatorOffset) == VisibleColumn(0) && !RowPanelMode();
    if (firstCol && GroupingShowsRows() && FullDataRowCount() > 0) {
        r.Left += FExtraFirstColumnWidth;
        if (FOptions.Contains(dgRowLines)) r.Bottom -= GridLineWidth();
    }
    if (FRowDetailPanel && FRowDetailPanel->Active() && firstCol && r.Width() > DetailButtonWidth) {
        if (UseRightToLeftAlignment())
            r.Right -= DetailButtonWidth;
        else
            r.Left += DetailButtonWidth;
    }
    if (FRowDetailPanel && FRowDetailPanel->Visible() && ARow == Row() && ARow >= TopDataOffset())
        r.Bottom = std::min(r.Bottom, r.Top + GetDataRowHeight(ARow - TopDataOffset()));
    return r;
}
