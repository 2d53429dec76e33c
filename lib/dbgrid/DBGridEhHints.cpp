// Hints of the data grid's cells: a column title's own hint, a tool tip with the full text of a
// title or footer that does not fit, and data hints that the application or the column fill (by default the
// cell's full text), with no pause before tool-tip cells.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhFooters.h"
#include "lib/dbgrid/DBGridEhGrouping.h"
#include "lib/dbgrid/DBGridEhRowPanel.h"

#include "platform/ui/Forms.h"
#include "platform/ui/WinApi.h"

#include <QScopeGuard>

#include <algorithm>

namespace {

TPoint HintCursorPos(TControl* Control) {
    TPoint p;
    GetCursorPos(&p);
    return Control->ScreenToClient(p);
}

} // namespace

bool TCustomDBGridEh::HintCellAt(const TPoint& P, TGridCoord& Cell, TColumnEh*& Column) {
    Cell = MouseCoord(P.X, P.Y);
    Column = nullptr;
    if (Cell.X < FIndicatorOffset || Cell.Y < 0) return false;
    if (RowPanelMode()) {
        // The panel column under the point; none gives no hint.
        Column = RowPanelColumnAtPoint(P.X, P.Y, Cell.Y);
        return Column != nullptr;
    }
    Column = DataColumn(Cell.X - FIndicatorOffset);
    return Column != nullptr;
}

void TCustomDBGridEh::HandleHintShowPause(TMessage& Message) {
    int* pause = reinterpret_cast<int*>(Message.LParam);
    if (!pause) return;
    const TPoint p = HintCursorPos(this);
    TGridCoord cell;
    TColumnEh* column = nullptr;
    if (!HintCellAt(p, cell, column)) return;
    const TRect r =
        RowPanelMode() ? RowPanelColumnRect(cell.Y, column, cell.Y == 0) : CellRect(cell.X, cell.Y);
    const TPoint inCell{p.X - r.Left, p.Y - r.Top};
    const int appPause = Application ? Application->HintPause() : 500;
    int value = appPause;
    bool processed = false;
    if (OnHintShowPause) OnHintShowPause(this, p, cell, inCell, column, value, processed);
    if (!processed && column->OnHintShowPause)
        column->OnHintShowPause(this, p, cell, inCell, column, value, processed);
    if (!processed) {
        const int top = TopDataOffset();
        const bool title = FOptions.Contains(dgTitles) && cell.Y == 0;
        const bool data = DataLink()->Active() && cell.Y >= top && cell.Y < top + DataRowCount();
        const bool footer = cell.Y >= RowCount() && FullFooterRowCount() > 0;
        TColumnFooterEh* f = footer ? column->UsedFooter(cell.Y - RowCount()) : nullptr;
        if ((f && f->ToolTips()) || (data && column->ToolTips()) ||
            (title && column->Title()->ToolTips() && column->Title()->Hint().isEmpty()))
            value = 0;
        else
            value = appPause;
    }
    *pause = value;
}

void TCustomDBGridEh::HandleHintShow(TMessage& Message) {
    auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
    if (!info) return;
    const TPoint p = info->CursorPos;
    TGridCoord cell;
    TColumnEh* column = nullptr;
    if (!HintCellAt(p, cell, column)) return;
    const bool title = FOptions.Contains(dgTitles) && cell.Y == 0;
    const int top = TopDataOffset();
    const bool data = DataLink()->Active() && cell.Y >= top && cell.Y < top + DataRowCount();

    // A title's own hint, in the ordinary hint window.
    if (title && !column->Title()->Hint().isEmpty()) {
        info->HintStr = GetShortHint(column->Title()->Hint());
        info->CursorRect = CellRect(cell.X, cell.Y);
        return;
    }
    if (MouseCapture() || GetKeyState(VK_CONTROL) < 0) return;

    TRect r = RowPanelMode() ? RowPanelColumnRect(cell.Y, column, cell.Y == 0) : CellRect(cell.X, cell.Y);
    const TPoint inCell{p.X - r.Left, p.Y - r.Top};
    // Under the current row the detail panel's strip is not the cell's.
    if (data && FRowDetailPanel && FRowDetailPanel->Visible() && cell.Y == Row())
        r.Bottom = std::min(r.Bottom, r.Top + GetDataRowHeight(cell.Y - top));
    if (!FHintFont) FHintFont = std::make_unique<TFont>();
    if (column->UseRightToLeftAlignment()) r.Offset(ClientWidth() - r.Right - r.Left, 0);
    int fullRight = column->Width() + r.Left;

    if (data) {
        const int dataRow = cell.Y - top;
        InstantReadRowEnter(dataRow);
        auto params = std::make_unique<TDBGridEhDataHintParams>();
        const auto leave = qScopeGuard([&] { InstantReadRowLeave(); });
        // Group rows and group footers show their own texts, never a record's hint.
        if (GroupingShowsRows()) {
            TGroupDataTreeNodeEh* node = CurInstantReadNode();
            if (!node || node->NodeType() == dntDataGroupEh || node->NodeType() == dntDataGroupFooterEh) {
                info->HintStr.clear();
                return;
            }
        }
        params->HintPos = ScreenToClient(info->HintPos);
        params->HintMaxWidth = info->HintMaxWidth;
        params->HintColor = info->HintColor;
        params->ReshowTimeout = info->ReshowTimeout;
        params->HideTimeout = info->HideTimeout;
        params->HintStr.clear();
        params->CursorRect = r;
        if (Screen) FHintFont->Assign(Screen->HintFont());
        params->HintFont = FHintFont.get();
        bool processed = false;
        TDBGridEhDataHintParams* given = params.get();
        if (OnDataHintShow) OnDataHintShow(this, p, cell, inCell, column, given, processed);
        if (!processed && column->OnDataHintShow)
            column->OnDataHintShow(this, p, cell, inCell, column, given, processed);
        if (!processed && column->ToolTips()) DefaultFillDataHintShowInfo(p, cell, params.get(), column);
        info->CursorRect = params->CursorRect;
        info->HintPos = ClientToScreen(params->HintPos);
        info->HintMaxWidth = params->HintMaxWidth;
        info->HintColor = params->HintColor;
        info->ReshowTimeout = params->ReshowTimeout;
        info->HideTimeout = params->HideTimeout;
        info->HintStr = params->HintStr;
    } else if (title && column->Title()->ToolTips()) {
        TColumnTitleEh* t = column->Title();
        int margin = 0;
        if (t->Alignment() != taCenter)
            margin =
                FOptionsEh.Contains(dghFixed3D) && FTitleParams->GetActualFillStyle() != cfstThemedEh ? 2 : 3;
        r.Right -= margin;
        fullRight -= margin;
        const int sortWidth = column->GetSortMarkingWidth();
        if (sortWidth > 2) {
            r.Right -= sortWidth - 2;
            fullRight -= sortWidth - 2;
        }
        if (const int fb = column->GetFilterButtonAreaWidth(); fb > 0) {
            const int cut = std::min(r.Width() / 2, fb);
            r.Right -= cut;
            fullRight -= cut;
        }
        String text;
        bool shown = p.X <= r.Right;
        if (shown) {
            text = t->Caption();
            if (IsUseMultiTitle())
                if (THeadTreeNode* leaf = LeafOf(column)) {
                    text = leaf->Text;
                    r.Top = r.Bottom - leaf->Height + 1;
                    if (p.Y < r.Top) shown = false;
                }
        }
        if (!shown) {
            info->HintStr.clear();
        } else {
            bool wrap = IsUseMultiTitle() || TitleHeight() != 0 || TitleLines() != 0;
            Canvas()->Font()->Assign(t->Font());
            if (t->Orientation() == tohVertical) {
                wrap = false;
                SwapRectExtent(r);
            }
            FillToolTipHint(*info, column, r, fullRight, text, wrap, t->Alignment());
        }
    } else if (const int footerIndex = cell.Y - RowCount(); footerIndex >= 0 && FullFooterRowCount() >= 1) {
        TColumnFooterEh* f = column->UsedFooter(footerIndex);
        if (!f || !f->ToolTips()) {
            info->HintStr.clear();
        } else {
            // The footer's text and look as the painter gets them, handlers included.
            TFont* font = Canvas()->Font();
            font->Assign(f->Font());
            TAlignment alignment = f->Alignment();
            TColor colour = f->Color();
            String text = GetFooterValue(footerIndex, column);
            const int dataCol = RowPanelMode() ? column->Index() : cell.X - FIndicatorOffset;
            GetFooterParams(dataCol, footerIndex, column, font, colour, alignment, TGridDrawState{}, text);
            FillToolTipHint(*info, column, r, fullRight, text, f->WordWrap(), alignment);
        }
    } else {
        return;
    }
    info->HintWindowClass = &TGridToolTipsWindowEh::StaticClassInfo();
    info->HintData = FHintFont.get();
}

void TCustomDBGridEh::FillToolTipHint(THintInfo& Info, TColumnEh* Column, TRect R, int FullRight,
                                      const String& Text, bool WordWrap, TAlignment Alignment) {
    int h = 0, w = 0;
    const bool overflow = MeasureCellText(DrawTextBiDiModeFlagsReadingOnly(), Canvas(), WordWrap ? 2 : 0, h,
                                          w, WordWrap, R, Text, FInterlinear);
    // A right-aligned text whose cell the grid's edge cuts loses its end even when it would fit.
    if (!overflow && !(Alignment == taRightJustify && R.Right < FullRight - 2)) {
        Info.HintStr.clear();
        return;
    }
    const int m = Flat() ? 2 : 1;
    TPoint pos;
    switch (Alignment) {
    case taRightJustify:
        pos = {FullRight - w - 6, R.Top - m};
        break;
    case taCenter:
        pos = {FullRight + w / 2 - w - (FullRight - R.Left - 4) / 2 - 5, R.Top - m};
        break;
    default:
        pos = {R.Left - 1, R.Top - m};
        break;
    }
    if (Column->UseRightToLeftAlignment()) pos.X = ClientWidth() - pos.X;
    Info.HintStr = Text;
    Info.CursorRect = R;
    Info.HintPos = ClientToScreen(pos);
    if (WordWrap) Info.HintMaxWidth = R.Width() - 4;
    FHintFont->Assign(Canvas()->Font());
}
