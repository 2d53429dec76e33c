// The grouping panel above the titles: its layout (a staircase of level boxes), its painting,
// pressing, dragging and dropping of level boxes and column titles, and the grid's context
// menus (the aggregate menu of group footer cells, the title and column menus).

#include "lib/dbgrid/DBGridEh.h"

#include "lib/dbgrid/DBGridEhCenter.h"
#include "lib/dbgrid/DBGridEhRowPanel.h"
#include "lib/tools/ToolCtrlsEh.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Themes.h"

#include <QFontMetrics>

#include <algorithm>

namespace {
QFontMetrics Metrics(TFont* Font) {
    return QFontMetrics(Font->ToQFont());
}

const char* const GroupPanelHint = "Перетащите сюда заголовок, чтобы сгруппировать по столбцу";
const char* const GroupingNotPossible = "Группировка по этому полю невозможна";
const char* const AggregateCaptions[] = {"Sum", "Max", "Min", "Count", "Average"};
const TGroupFooterValueTypeEh AggregateKinds[] = {gfvSumEh, gfvMaxEh, gfvMinEh, gfvCountEh, gfvAvgEh};
} // namespace

// The menu items of the aggregate menu carry their grid and footer item.
class TDBGridEhMenuItem : public TMenuItem {
    KVT_CLASS(TDBGridEhMenuItem, TMenuItem)
public:
    using TMenuItem::TMenuItem;
    TCustomDBGridEh* Grid = nullptr;
    TObject* TagObject = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Layout

int TCustomDBGridEh::FontTextLinesHeight(TFont* Font, int Lines, int Extra) {
    const QFontMetrics fm = Metrics(Font);
    return Extra + Lines * (fm.height() + fm.leading());
}

int TCustomDBGridEh::GroupPanelHeight() {
    int bottom = -1;
    for (int i = 0; i < FDataGrouping->ActiveGroupLevelsCount(); ++i)
        bottom = std::max(bottom, FDataGrouping->ActiveGroupLevels(i)->GroupPanelRect().Bottom);
    if (bottom >= 0) return bottom + 5;
    const QFontMetrics fm = Metrics(Font());
    return fm.horizontalAdvance(QLatin1Char('o')) * 2 / 3 + fm.height() + Interlinear() + 8;
}

void TCustomDBGridEh::LayoutGroupPanelTitles() {
    const QFontMetrics fm = Metrics(Font());
    const int w = fm.horizontalAdvance(QLatin1Char('o'));
    const int s = w * 2 / 3;
    const int titleH = RowCount() > 0 && FOptions.Contains(dgTitles) ? RowHeights(0) : FStdDefaultRowHeight;
    const int H = std::min(titleH, FontTextLinesHeight(TitleFont(), 1, 7));
    TPoint at{w, s};
    for (int i = 0; i < FDataGrouping->ActiveGroupLevelsCount(); ++i) {
        TGridDataGroupLevelEh* level = FDataGrouping->ActiveGroupLevels(i);
        auto* col = dynamic_cast<TColumnEh*>(level->Column());
        if (!col) continue;
        TRect r{at.X, at.Y, 0, at.Y + H + 2};
        r.Right = r.Left + fm.horizontalAdvance(col->Title()->Caption()) + Interlinear() + 7 + 16 +
                  col->GetFilterButtonAreaWidth();
        level->SetGroupPanelRect(r);
        at = TPoint{r.Right + s, r.Top + (r.Bottom - r.Top) / 2};
    }
}

void TCustomDBGridEh::UpdateGroupingPanelLayout() {
    if (!FDataGrouping || FDestroying) return;
    RequestLayoutUpdate();
    const bool visible = FDataGrouping->GroupPanelVisible();
    if (visible) LayoutGroupPanelTitles();
    LayoutTopPanels();
    UpdateExtraFirstColumnWidth();
    RequestLayoutUpdate();
    Invalidate();
}

// ---------------------------------------------------------------------------------------------
// Painting

void TCustomDBGridEh::DrawTopOutBoundaryData(const TRect& ARect) {
    TCustomDBAxisGridEh::DrawTopOutBoundaryData(ARect);
    if (!FDataGrouping || !FDataGrouping->GroupPanelVisible()) return;
    TCanvas* c = Canvas();
    TRect band = ARect;
    band.Top += FDataGrouping->Top();
    c->Brush()->SetColor(FDataGrouping->GroupPanel()->Color());
    c->FillRect(band);
    c->Pen()->SetColor(FTitleParams->GetHorzLineColor());
    c->MoveTo(band.Left, band.Bottom - 1);
    c->LineTo(band.Right, band.Bottom - 1);
    c->Font()->Assign(Font());
    const QFontMetrics fm = Metrics(Font());
    const int w = fm.horizontalAdvance(QLatin1Char('o'));
    const int s = w * 2 / 3;
    const int n = FDataGrouping->ActiveGroupLevelsCount();
    if (n == 0) {
        const int h = band.Bottom - band.Top;
        c->Font()->SetColor(InterpolateColor(GridLineParams()->GetDarkColor(), Font()->Color(), 128));
        c->Brush()->SetStyle(bsClear);
        c->TextOut(band.Left + h / 6, band.Top + h / 6, QString::fromUtf8(GroupPanelHint));
        c->Brush()->SetStyle(bsSolid);
        return;
    }
    for (int i = 0; i < n; ++i) {
        TGridDataGroupLevelEh* level = FDataGrouping->ActiveGroupLevels(i);
        if (!level->Column()) continue;
        TRect r = level->GroupPanelRect();
        r.Offset(0, FDataGrouping->Top());
        DrawGroupPanelTitle(r, level);
        if (i < n - 1) {
            c->Pen()->SetColor(GridLineParams()->GetDarkColor());
            c->MoveTo(r.Right - w, r.Bottom);
            c->LineTo(r.Right - w, r.Bottom + s);
            c->LineTo(r.Right + s, r.Bottom + s);
        }
    }
}

void TCustomDBGridEh::DrawGroupPanelTitle(const TRect& ARect, TGridDataGroupLevelEh* Level) {
    auto* col = dynamic_cast<TColumnEh*>(Level->Column());
    if (!col) return;
    TCanvas* c = Canvas();
    c->Brush()->SetColor(GridLineParams()->GetDarkColor());
    c->FrameRect(ARect);
    TRect inner = ARect;
    inner.Inflate(-1, -1);
    const int levelIdx = [&] {
        for (int i = 0; i < FDataGrouping->ActiveGroupLevelsCount(); ++i)
            if (FDataGrouping->ActiveGroupLevels(i) == Level) return i;
        return -1;
    }();
    TDBGirdDrawTitleStateEh state;
    state.Down =
        FDBGridEhState == dgsGroupPanelTitleDown && levelIdx == FPressedDataGroupLevelIdx && FPressed;
    state.Caption = col->Title()->Caption();
    state.BackColor = col->Title()->Color();
    state.SortMarker = Level->SortOrder() == soAscEh ? smUpEh : smDownEh;
    state.DrawFilterButton = FSTFilter->Visible() && FSTFilter->Location() == stflInTitleFilterEh;
    state.DrawByThemes = FTitleParams->GetActualFillStyle() == cfstThemedEh && ThemesInUse();
    state.The3DRect = true;
    state.FontCharset = Font()->Charset();
    state.FontColor = Font()->Color();
    state.FontHeight = Font()->Height();
    state.FontName = Font()->Name();
    state.FontStyle = Font()->Style();
    TGridDrawState ds{gdFixed};
    if (levelIdx >= 0 && levelIdx == FDataGrouping->HotTrackGroupLevelIdx()) ds.Include(gdHotTrack);
    DrawColumnTitle(col, inner, state, ds);
    if (state.DrawFilterButton) {
        // The filter button at the box's right end, as in a title cell.
        const TRect button = GroupPanelFilterButtonRect(inner, col);
        const bool shown = FInTitleFilterListboxVisible && FInTitleFilterListboxGroupLevel == Level;
        c->Brush()->SetColor(shown ? MixColorsPercent(col->Title()->Color(), clBlack, 85)
                                   : col->Title()->Color());
        c->FillRect(button);
        c->Brush()->SetColor(GridLineParams()->GetDarkColor());
        c->FrameRect(button);
        DrawFilterGlyph(button, ds.Contains(gdHotTrack) && !shown);
    }
}

TRect TCustomDBGridEh::GroupPanelFilterButtonRect(const TRect& Inner, TColumnEh* Column) {
    const int bw = Column->GetFilterButtonAreaWidth();
    if (UseRightToLeftAlignment()) return TRect(Inner.Left, Inner.Top, Inner.Left + bw, Inner.Bottom);
    return TRect(Inner.Right - bw, Inner.Top, Inner.Right, Inner.Bottom);
}

int TCustomDBGridEh::GroupPanelLevelAt(int X, int Y) {
    for (int i = 0; i < FDataGrouping->ActiveGroupLevelsCount(); ++i) {
        TRect r = FDataGrouping->ActiveGroupLevels(i)->GroupPanelRect();
        r.Offset(0, FDataGrouping->Top());
        if (r.Contains(TPoint{X, Y})) return i;
    }
    return -1;
}

void TCustomDBGridEh::GroupPanelHotTrack(int X, int Y) {
    const bool inPanel = FDataGrouping->GroupPanelVisible() && Y >= FDataGrouping->Top() &&
                         Y < OutBoundaryData()->TopIndent() && X >= 0 && X < ClientWidth();
    const int idx = inPanel ? GroupPanelLevelAt(X, Y) : -1;
    if (idx == FDataGrouping->HotTrackGroupLevelIdx()) return;
    FDataGrouping->SetHotTrackGroupLevelIdx(idx);
    OutBoundaryData()->InvalidateOutBoundary(cbtTopEh);
}

// ---------------------------------------------------------------------------------------------
// Pressing, dragging and dropping

namespace {
TRect LevelBox(TDBGridEhDataGroupsEh* Groups, TGridDataGroupLevelEh* Level) {
    TRect r = Level->GroupPanelRect();
    r.Offset(0, Groups->Top());
    return r;
}
} // namespace

void TCustomDBGridEh::GroupPanelMouseDown(TMouseButton Button, TShiftState, int X, int Y) {
    if (Button != mbLeft) return;
    for (int i = 0; i < FDataGrouping->ActiveGroupLevelsCount(); ++i) {
        TGridDataGroupLevelEh* level = FDataGrouping->ActiveGroupLevels(i);
        auto* col = dynamic_cast<TColumnEh*>(level->Column());
        if (!col) continue;
        TRect r = LevelBox(FDataGrouping.get(), level);
        r.Inflate(-1, -1);
        if (!r.Contains(TPoint{X, Y})) continue;
        if (FSTFilter->Visible() && FSTFilter->Location() == stflInTitleFilterEh &&
            !ComponentState().Contains(csDesigning) &&
            GroupPanelFilterButtonRect(r, col).Contains(TPoint{X, Y})) {
            // A second press on the button of the open list only closes it.
            const bool wasOpen = FInTitleFilterListboxVisible && FInTitleFilterListboxGroupLevel == level;
            if (FInTitleFilterListboxVisible) CloseInTitleFilterListbox(false);
            if (!wasOpen) {
                ShowInTitleFilterListbox(col, LevelBox(FDataGrouping.get(), level));
                FInTitleFilterListboxGroupLevel = level;
            }
            OutBoundaryData()->InvalidateOutBoundary(cbtTopEh);
            return;
        }
        bool enabled = col->Title()->TitleButton();
        CheckButton(col->Index(), enabled);
        if (!enabled || ComponentState().Contains(csDesigning)) {
            FGroupDataMovingIndex = i;
            BeginGroupPanelTitleMoving(TShiftState(), X, Y);
            return;
        }
        SetMouseCapture(true);
        FTracking = true;
        FPressed = true;
        FPressedCol = -1;
        FPressedDataCol = col->Index();
        FPressedDataGroupLevelIdx = i;
        FGroupPanelDownPos = TPoint{X, Y};
        FDBGridEhState = dgsGroupPanelTitleDown;
        Invalidate();
        return;
    }
}

void TCustomDBGridEh::GroupPanelInsertPosition(int X, int, int& Index, int& MarkerHeight, TPoint& MarkerPos) {
    if (UseRightToLeftAlignment()) X = ClientWidth() - X;
    const QFontMetrics fm = Metrics(Font());
    const int w = fm.horizontalAdvance(QLatin1Char('o'));
    MarkerHeight = fm.height() + Interlinear() + 3;
    MarkerPos = TPoint{w - w / 2, w * 2 / 3 + FDataGrouping->Top()};
    Index = 0;
    const int n = FDataGrouping->ActiveGroupLevelsCount();
    for (int i = 0; i < n; ++i) {
        const TRect r = LevelBox(FDataGrouping.get(), FDataGrouping->ActiveGroupLevels(i));
        if (X < (r.Left + r.Right) / 2) break;
        Index = i + 1;
        if (i + 1 < n) {
            const TRect next = LevelBox(FDataGrouping.get(), FDataGrouping->ActiveGroupLevels(i + 1));
            MarkerPos = TPoint{next.Left - w / 2, next.Top};
        } else {
            MarkerPos = TPoint{r.Right + w / 2, r.Top};
        }
    }
    if (UseRightToLeftAlignment()) MarkerPos.X = ClientWidth() - MarkerPos.X;
}

void TCustomDBGridEh::BeginGroupPanelTitleMoving(TShiftState, int X, int Y) {
    int index = 0, markerHeight = 0;
    TPoint pos;
    GroupPanelInsertPosition(X, Y, index, markerHeight, pos);
    if (!MouseCapture()) SetMouseCapture(true);
    // The shared move line marks where the box would go.
    GetGridMoveLine()->StartShow(this, pos, markerHeight, true);
    FDBGridEhState = dgsGroupPanelTitleMoving;
    Invalidate();
}

namespace {
// A change of the grouping rebuilds the rows under an open row detail panel: it closes first.
void HideRowDetailPanel(TCustomDBGridEh* Grid) {
    if (TRowDetailPanelEh* panel = Grid->RowDetailPanel())
        if (panel->Visible()) panel->SetVisible(false);
}
} // namespace

void TCustomDBGridEh::TrackGroupPanelTitleMoving(TShiftState Shift, int X, int Y) {
    if (Y <= OutBoundaryData()->TopIndent()) {
        int index = 0, markerHeight = 0;
        TPoint pos;
        GroupPanelInsertPosition(X, Y, index, markerHeight, pos);
        GetGridMoveLine()->MoveToFor(this, pos);
        OutBoundaryData()->InvalidateOutBoundary(cbtTopEh);
        return;
    }
    // Out of the panel the drag goes on as a column move: of the level's column when a box was
    // dragged (a drop shows it again in place of the level), else of the moved title's column.
    TColumnEh* col = nullptr;
    if (FGroupDataMovingIndex >= 0) {
        if (FGroupDataMovingIndex >= FDataGrouping->ActiveGroupLevelsCount()) return;
        col = dynamic_cast<TColumnEh*>(FDataGrouping->ActiveGroupLevels(FGroupDataMovingIndex)->Column());
    } else {
        col = RowPanelMode() ? DataColumn(FPressedDataCol) : DataColumn(FMoveIndex - FIndicatorOffset);
    }
    if (!col) return;
    EndGroupPanelTitleMoving(Shift, X, false, Y);
    if (RowPanelMode()) {
        // The row panel moves columns by its own placement, from the point reached.
        FPressedDataCol = col->Index();
        FDownMousePos = FMoveMousePos = TPoint{X, Y};
        SetMouseCapture(true);
        BeginRowPanelColMoving(Shift, X, FPressedDataCol, Y);
        return;
    }
    if (FGroupDataMovingIndex < 0 && !FOptionsEh.Contains(dghColumnMove)) return;
    SetMouseCapture(true);
    TGridDrawInfoEh drawInfo;
    CalcDrawInfo(drawInfo);
    // Every column has its grid column, a hidden one at no width.
    StartColumnMoving(col->Index() + FIndicatorOffset, X, drawInfo, Y);
}

void TCustomDBGridEh::EndGroupPanelTitleMoving(TShiftState, int X, bool Apply, int Y) {
    int P = 0, markerHeight = 0;
    TPoint pos;
    GroupPanelInsertPosition(X, Y, P, markerHeight, pos);
    GetGridMoveLine()->SetVisible(false);
    FDBGridEhState = dgsNormal;
    if (MouseCapture()) SetMouseCapture(false);
    Invalidate();
    if (!Apply) return;
    TGridDataGroupLevelsEh* levels = FDataGrouping->GroupLevels();
    if (FGroupDataMovingIndex < 0) {
        TColumnEh* col =
            RowPanelMode() ? DataColumn(FPressedDataCol) : DataColumn(FMoveIndex - IndicatorOffset());
        if (!col) return;
        int L = -1;
        for (int i = 0; i < levels->Count(); ++i)
            if (levels->GetDataGroup(i)->Column() == col) {
                L = i;
                break;
            }
        HideRowDetailPanel(this);
        if (L < 0) {
            // The grid's center decides which values can be ordered into groups; a column
            // without a field has none to group by.
            TDBGridEhCenter* center = Center();
            TField* f = col->Field();
            const bool comparable =
                f && (center ? center->ColumnValueTypeIsComparable(this, col)
                             : f->DataType() != ftBlob && f->DataType() != ftMemo &&
                                   f->DataType() != ftGraphic && f->DataType() != ftWideMemo);
            if (!comparable) throw Exception(QString::fromUtf8(GroupingNotPossible));
            TGridDataGroupLevelEh* level = levels->Add();
            level->SetIndex(std::min(P, levels->Count() - 1));
            level->SetColumn(col);
            if (VisibleColumnCount() > 1) col->SetVisible(false);
        } else {
            if (L < P) --P;
            levels->GetDataGroup(L)->SetIndex(std::clamp(P, 0, levels->Count() - 1));
        }
        return;
    }
    int M = FGroupDataMovingIndex;
    if (M < P) --P;
    if (P != M && M < FDataGrouping->ActiveGroupLevelsCount()) {
        HideRowDetailPanel(this);
        FDataGrouping->ActiveGroupLevels(M)->SetIndex(std::clamp(P, 0, levels->Count() - 1));
    }
}

void TCustomDBGridEh::GroupPanelTitleMouseUp() {
    const bool wasPressed = FPressed;
    const int idx = FPressedDataGroupLevelIdx;
    FDBGridEhState = dgsNormal;
    CancelTracking();
    FPressedDataGroupLevelIdx = -1;
    Invalidate();
    if (!wasPressed || idx < 0 || idx >= FDataGrouping->ActiveGroupLevelsCount()) return;
    TGridDataGroupLevelEh* level = FDataGrouping->ActiveGroupLevels(idx);
    auto* col = dynamic_cast<TColumnEh*>(level->Column());
    if (col) TitleBtnClick(col->Index(), col);
    level->SetSortOrder(level->SortOrder() == soAscEh ? soDescEh : soAscEh);
    if (FDataGrouping->GroupDataTree()->IndexOfVisibleNode(FCurGroupDataNode) >= 0)
        SelectNearestVisibleNode(FCurGroupDataNode, true);
}

bool TCustomDBGridEh::GroupingMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FGroupDataMovingIndex = -1;
    if (!FDataGrouping) return false;
    if (FDataGrouping->GroupPanelVisible() && Y < OutBoundaryData()->TopIndent() &&
        Y >= FDataGrouping->Top()) {
        GroupPanelMouseDown(Button, Shift, X, Y);
        return true;
    }
    // A press on a group row's sign opens or closes the group.
    if (Button != mbLeft || !GroupingShowsRows()) return false;
    const TGridCoord cell = MouseCoord(X, Y);
    int areaCol = 0, areaRow = 0;
    if (GetCellType(cell.X, cell.Y, areaCol, areaRow) != catDataEh) return false;
    TGroupDataTreeNodeEh* node = FlatNode(areaRow);
    if (!node || node->NodeType() != dntDataGroupEh) return false;
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    const int signLeft = di.Horz.FixedBoundary + 18 * (node->Level() - 1);
    if (X >= signLeft && X < signLeft + 18) {
        node->SetExpanded(!node->Expanded());
        SelectNearestVisibleNode(node, true);
        return true;
    }
    return false;
}

bool TCustomDBGridEh::GroupingMouseMove(TShiftState Shift, int X, int Y) {
    if (!FDataGrouping) return false;
    GroupPanelHotTrack(FDBGridEhState == dgsNormal ? X : -1, Y);
    if (FDBGridEhState == dgsGroupPanelTitleDown) {
        if (std::abs(X - FGroupPanelDownPos.X) > 3 || std::abs(Y - FGroupPanelDownPos.Y) > 3) {
            FGroupDataMovingIndex = FPressedDataGroupLevelIdx;
            FPressed = false;
            BeginGroupPanelTitleMoving(Shift, X, Y);
        }
        return true;
    }
    if (FDBGridEhState == dgsGroupPanelTitleMoving) {
        TrackGroupPanelTitleMoving(Shift, X, Y);
        return true;
    }
    // A column title dragged up into the panel becomes a grouping drag.
    if (FTracking && FPressedCol >= 0 && FPressedDataCol >= 0 && FDataGrouping->GroupPanelVisible() &&
        Y < OutBoundaryData()->TopIndent()) {
        FTracking = false;
        FPressed = false;
        FGroupDataMovingIndex = -1;
        FMoveIndex = FPressedCol;
        InvalidateCell(FPressedCol, 0);
        BeginGroupPanelTitleMoving(Shift, X, Y);
        return true;
    }
    return false;
}

bool TCustomDBGridEh::GroupingMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (!FDataGrouping) return false;
    if (FDBGridEhState == dgsGroupPanelTitleDown) {
        GroupPanelTitleMouseUp();
        return true;
    }
    if (FDBGridEhState == dgsGroupPanelTitleMoving) {
        EndGroupPanelTitleMoving(Shift, X, true, Y);
        FGroupDataMovingIndex = -1;
        FPressedDataCol = -1;
        return true;
    }
    if (RowPanelMode() && FRowPanelMoving && FGroupDataMovingIndex >= 0) {
        // A level's box carried out of the panel and dropped in the row panel: its column takes
        // the place reached, shows again, and the level goes.
        EndColMoving(Shift, X, true, Y);
        TCustomControl::MouseUp(Button, Shift, X, Y);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Context menus

TPopupMenu* TCustomDBGridEh::BuildGroupFooterPopupMenu(TGridDataGroupFooterColumnItemEh* Item) {
    if (!FGroupFooterPopupMenu) FGroupFooterPopupMenu = new TPopupMenu(this);
    FGroupFooterPopupMenu->Items()->Clear();
    auto* col = dynamic_cast<TColumnEh*>(Item->Column());
    auto add = [&](const String& caption, TGroupFooterValueTypeEh kind) {
        auto* mi = new TDBGridEhMenuItem(FGroupFooterPopupMenu);
        mi->SetCaption(caption);
        mi->Grid = this;
        mi->TagObject = Item;
        mi->SetTag(int(kind));
        mi->OnClick = TNotifyEvent(this, &TCustomDBGridEh::GroupFooterMenuItemClick);
        FGroupFooterPopupMenu->Items()->Add(mi);
    };
    for (size_t i = 0; i < std::size(AggregateKinds); ++i)
        if (col && col->CanApplyAggregateFunction(AggregateKinds[i]))
            add(QString::fromLatin1(AggregateCaptions[i]), AggregateKinds[i]);
    add(QStringLiteral("(Empty)"), gfvNonEh);
    return FGroupFooterPopupMenu;
}

void TCustomDBGridEh::GroupFooterMenuItemClick(TObject* Sender) {
    auto* mi = dynamic_cast<TDBGridEhMenuItem*>(Sender);
    if (!mi) return;
    if (auto* item = dynamic_cast<TGridDataGroupFooterColumnItemEh*>(mi->TagObject))
        item->SetValueType(TGroupFooterValueTypeEh(mi->Tag()));
}

void TCustomDBGridEh::DoContextPopup(TPoint MousePos, bool& Handled) {
    TPoint P = MousePos;
    TGridCoord cell;
    if (P.X == -1 && P.Y == -1) {
        const TRect r = CellRect(Col(), Row());
        P = TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
        cell = TGridCoord{Col(), Row()};
    } else {
        cell = MouseCoord(P.X, P.Y);
    }
    if (cell.X >= 0 && cell.Y >= 0) {
        int areaCol = 0, areaRow = 0;
        const TCellAreaTypeEh type = GetCellType(cell.X, cell.Y, areaCol, areaRow);
        if (type == catDataEh && GroupingShowsRows()) {
            TGroupDataTreeNodeEh* node = FlatNode(areaRow);
            TColumnEh* col = DataColumn(areaCol);
            if (node && col && node->NodeType() == dntDataGroupFooterEh && node->DataGroupFooter()) {
                TGridDataGroupFooterColumnItemsEh* items = node->DataGroupFooter()->ColumnItems();
                const int idx = items->ItemIndexByColumn(col);
                if (idx >= 0 && items->Item(idx)->RunTimeCustomizable()) {
                    const TPoint sp = ClientToScreen(P);
                    BuildGroupFooterPopupMenu(items->Item(idx))->Popup(sp.X, sp.Y);
                    // One menu per request: the column's own menu does not follow.
                    Handled = true;
                    return;
                }
            }
        }
        if (cell.X >= IndicatorOffset()) {
            TColumnEh* col = DataColumn(cell.X - IndicatorOffset());
            TPopupMenu* menu = nullptr;
            if (col) {
                if (cell.Y == 0 && FOptions.Contains(dgTitles))
                    menu = col->Title()->PopupMenu() ? col->Title()->PopupMenu() : FTitleParams->PopupMenu();
                if (!menu) menu = col->PopupMenu();
            }
            if (menu && menu->AutoPopup()) {
                SendCancelMode(nullptr);
                menu->SetPopupComponent(this);
                const TPoint sp = ClientToScreen(P);
                menu->Popup(sp.X, sp.Y);
                Handled = true;
            }
        }
    }
    TCustomDBAxisGridEh::DoContextPopup(P, Handled);
}
