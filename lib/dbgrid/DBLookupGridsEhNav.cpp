// The lookup grid's keys, mouse selection, scrolling and sizing: every move of the list made
// here selects the record it lands on, and the height always holds a whole number of rows.

#include "lib/dbgrid/DBLookupGridsEh.h"

#include "lib/toolscore/ToolCtrlsEhData.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"

#include <QScopeGuard>

#include <algorithm>
#include <climits>

namespace {

struct ListChangingScope {
    TDBLookupGridEh* Grid;
    explicit ListChangingScope(TDBLookupGridEh* g) : Grid(g) { Grid->BeginListDataChanging(); }
    ~ListChangingScope() { Grid->EndListDataChanging(); }
    ListChangingScope(const ListChangingScope&) = delete;
    ListChangingScope& operator=(const ListChangingScope&) = delete;
};

struct FlagScope {
    bool& Flag;
    bool Old;
    explicit FlagScope(bool& f) : Flag(f), Old(f) { Flag = true; }
    ~FlagScope() { Flag = Old; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;
};

constexpr int MaxRowCount = 100;

} // namespace

// ---------------------------------------------------------------------------------------------
// Keys

void TDBLookupGridEh::KeyDown(Word& Key, TShiftState Shift) {
    ListChangingScope changing(this);
    if (!CanModify()) {
        TCustomDBGridEh::KeyDown(Key, Shift);
        return;
    }
    const bool horzBar = HorzScrollBar() && HorzScrollBar()->IsScrollBarShowing();
    const int page = std::max(1, VisibleDataRowCapacity());
    int delta = 0;
    switch (Key) {
    case VK_PRIOR:
        delta = -page;
        break;
    case VK_NEXT:
        delta = page;
        break;
    case VK_END:
        delta = INT_MAX;
        break;
    case VK_HOME:
        delta = -INT_MAX;
        break;
    case VK_LEFT:
        delta = horzBar ? 0 : -1;
        break;
    case VK_UP:
        delta = -1;
        break;
    case VK_RIGHT:
        delta = horzBar ? 0 : 1;
        break;
    case VK_DOWN:
        delta = 1;
        break;
    default:
        break;
    }
    if (delta == 0) {
        TCustomDBGridEh::KeyDown(Key, Shift);
        return;
    }
    FSearchText.clear();
    TDataSet* ds = DataLink()->DataSet();
    const bool specShown = SpecRowVisible();
    const bool specSelected = specShown && FSpecRow->Selected();
    if (delta < 0 && specShown && (ds->Bof() || specSelected)) {
        SelectSpecRow();
        ds->First();
        Key = 0;
        return;
    }
    if (delta > 0 && specSelected) {
        // The first record follows the special row.
        ds->First();
    } else if (delta == -INT_MAX) {
        ds->First();
    } else if (delta == INT_MAX) {
        ds->Last();
    } else {
        if (!IsExtendedScrolling()) {
            const int i = KeyRecordBufferIndex();
            if (i >= 0) {
                ds->MoveBy(i - FRecordIndex);
            } else {
                // A key outside the buffer: the first step only brings the list onto it.
                KeyValueChanged();
                delta = 0;
            }
        }
        if (ds->MoveBy(delta) == 0 && delta < 0 && specShown && !FSpecRow->Selected()) {
            SelectSpecRow();
            Key = 0;
            return;
        }
    }
    SelectCurrentListRecord();
    Key = 0;
}

// ---------------------------------------------------------------------------------------------
// Mouse

namespace {
bool InDataBox(TCustomDBGridEh* Grid, const TGridCoord& Cell) {
    return Cell.X >= Grid->IndicatorOffset() && Cell.X < Grid->ColCount() &&
           Cell.Y >= Grid->TopDataOffset() && Cell.Y < Grid->TCustomGridEh::RowCount();
}
} // namespace

void TDBLookupGridEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const TGridCoord cell = MouseCoord(X, Y);
    const bool onList = InDataBox(this, cell) ||
                        (SpecRowVisible() && cell.Y == SpecRowGridRow() && cell.X >= IndicatorOffset());
    if (!onList) {
        TCustomDBGridEh::MouseDown(Button, Shift, X, Y);
        return;
    }
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
    if (Button != mbLeft) return;
    FSearchText.clear();
    if (!FPopup) {
        SetFocus();
        if (!Focused()) return;
    }
    if (!CanModify()) return;
    if (Shift.Contains(ssDouble)) {
        if (InDataBox(this, cell) && cell.Y - TopDataOffset() == FRecordIndex) DblClick();
        return;
    }
    if (!MouseCapture()) SetMouseCapture(true);
    FMouseSelecting = true;
    FTracking = true;
    FMousePos = Y;
    if (Y > TitleRowsHeight()) SelectRecordAtPoint(X, Y);
}

void TDBLookupGridEh::MouseMove(TShiftState Shift, int X, int Y) {
    if (!FMouseSelecting) {
        TCustomDBGridEh::MouseMove(Shift, X, Y);
        return;
    }
    SelectRecordAtPoint(X, Y);
    FMousePos = Y;
    TrackMouseSelection();
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TDBLookupGridEh::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (!FMouseSelecting) {
        TCustomDBGridEh::MouseUp(Button, Shift, X, Y);
        return;
    }
    FMouseSelecting = false;
    StopTimer();
    CancelTracking();
    if (MouseCapture()) SetMouseCapture(false);
    if (Y > TitleRowsHeight()) SelectRecordAtPoint(X, Y);
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TDBLookupGridEh::SelectRecordAtPoint(int X, int Y) {
    ListChangingScope changing(this);
    const int t = TitleRowsHeight();
    if (SpecRowVisible() && Y > t && Y <= t + FSpecRowHeight) {
        SelectSpecRow();
        return;
    }
    if (Y < t + FSpecRowHeight) return;
    if (Y >= ClientHeight()) Y = ClientHeight() - 1;
    const TGridCoord cell = MouseCoord(X, Y);
    if (!InDataBox(this, cell) || !FListActive || !DataLink()->Active()) return;
    TDataSet* ds = DataLink()->DataSet();
    if (ds->IsEmpty()) return;
    ds->MoveBy(cell.Y - TopDataOffset() - FRecordIndex);
    SelectCurrentListRecord();
}

void TDBLookupGridEh::TrackMouseSelection() {
    ListChangingScope changing(this);
    const int p = FMousePos;
    const int h = ClientHeight();
    int direction = 0, distance = 0;
    if (p < 0) {
        direction = -1;
        distance = -p;
    } else if (p >= h) {
        direction = 1;
        distance = p - h + 1;
    }
    if (direction == 0) {
        StopTimer();
        return;
    }
    TDataSet* ds = FListActive && DataLink()->Active() ? DataLink()->DataSet() : nullptr;
    if (ds) {
        if (SpecRowVisible() && p < 0 && ds->Bof()) {
            SelectSpecRow();
        } else if (ds->MoveBy(direction) != 0) {
            SelectCurrentListRecord();
        }
    }
    // The farther the pointer is outside, the faster the list scrolls.
    StartTimer(std::max(0, 200 - 15 * distance));
}

bool TDBLookupGridEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    ListChangingScope changing(this);
    if (!DataLink()->Active()) return true;
    if (IsExtendedScrolling()) {
        if (Shift.Empty()) TCustomDBGridEh::DoMouseWheelDown(Shift, MousePos);
        return true;
    }
    DataLink()->DataSet()->MoveBy(FRecordCount - FRecordIndex);
    return true;
}

bool TDBLookupGridEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    ListChangingScope changing(this);
    if (!DataLink()->Active()) return true;
    if (IsExtendedScrolling()) {
        if (Shift.Empty()) TCustomDBGridEh::DoMouseWheelUp(Shift, MousePos);
        return true;
    }
    DataLink()->DataSet()->MoveBy(-FRecordIndex - 1);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Scroll bar

void TDBLookupGridEh::HandleLookupVScroll(TMessage& Message) {
    TDataSet* ds = DataLink()->DataSet();
    const int code = LOWORD(Message.WParam);
    const int pos = short(HIWORD(Message.WParam));
    const int i = FRecordIndex, c = FRecordCount;
    switch (code) {
    case SB_LINEUP:
        ds->MoveBy(-i - 1);
        break;
    case SB_LINEDOWN:
        ds->MoveBy(c - i);
        break;
    case SB_PAGEUP:
        ds->MoveBy(1 - i - c);
        break;
    case SB_PAGEDOWN:
        ds->MoveBy(2 * c - i - 2);
        break;
    case SB_THUMBPOSITION:
        switch (pos) {
        case 0:
            ds->First();
            break;
        case 1:
            ds->MoveBy(1 - i - c);
            break;
        case 3:
            ds->MoveBy(2 * c - i - 2);
            break;
        case 4:
            ds->Last();
            break;
        default:
            break;
        }
        break;
    case SB_THUMBTRACK:
        if (ds->IsSequenced()) {
            SCROLLINFO info{};
            info.fMask = SIF_TRACKPOS;
            GetScrollBarInfo(SB_VERT, info);
            const int t = info.nTrackPos;
            const int saved = DataLink()->ActiveRecord();
            DataLink()->SetActiveRecord(0);
            const int a = ds->RecNo() - 1;
            if (t < a)
                ds->MoveBy(t - a);
            else if (t > a)
                ds->MoveBy(DataLink()->RecordCount() + t - a - 1);
            else
                DataLink()->SetActiveRecord(saved);
        }
        break;
    case SB_TOP:
        ds->First();
        break;
    case SB_BOTTOM:
        ds->Last();
        break;
    default:
        break;
    }
}

void TDBLookupGridEh::UpdateVertScrollBar() {
    if (IsExtendedScrolling() || !HandleAllocated() || !VertScrollBar()) {
        TCustomDBGridEh::UpdateVertScrollBar();
        return;
    }
    int max = 2, pos = 0, page = 0;
    TDataSet* ds = DataLink()->Active() ? DataLink()->DataSet() : nullptr;
    if (ds) {
        if (ds->IsSequenced()) {
            page = DataRowCount();
            max = ds->RecordCount() - 1;
            pos = ds->State() <= dsEdit ? ds->RecNo() - DataLink()->ActiveRecord() - 1 : 0;
        } else if (DataRowCount() != FRecordCount) {
            max = 0;
        } else {
            max = 4;
            pos = ds->Bof() ? 0 : ds->Eof() ? 4 : 2;
        }
    }
    SCROLLINFO info{};
    info.fMask = SIF_ALL;
    VertScrollBar()->GetScrollInfo(info);
    if (info.nMin != 0 || info.nMax != max || int(info.nPage) != page || info.nPos != pos)
        VertScrollBar()->SetParams(pos, 0, max, page);
}

// ---------------------------------------------------------------------------------------------
// Messages

void TDBLookupGridEh::RecalcDataRowCount() {
    // The list position is read again once the grid knows how many rows it shows (not from
    // inside the height setting, which moves through here itself).
    // While a stream is read the rows wait for the layout that loading ends with.
    if (ComponentState().Contains(csLoading)) return;
    TCustomDBGridEh::RecalcDataRowCount();
    if (FInternalHeightSetting) return;
    FlagScope height(FInternalHeightSetting);
    UpdateListPosition();
}

void TDBLookupGridEh::Loaded() {
    TCustomDBGridEh::Loaded();
    // The rows are counted now that titles and the special row are known; the height is kept.
    SetBounds(Left(), Top(), Width(), Height());
    RecalcDataRowCount();
}

void TDBLookupGridEh::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case CM_HINTSHOW:
        // The grid's own hint is the text the cell hints start from.
        if (auto* info = reinterpret_cast<THintInfo*>(Message.LParam)) info->HintStr = Hint();
        TCustomDBGridEh::WndProc(Message);
        return;
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    case WM_SETFOCUS:
        FSearchText.clear();
        FHasFocus = true;
        TCustomDBGridEh::WndProc(Message);
        Invalidate();
        return;
    case WM_KILLFOCUS:
        FHasFocus = false;
        TCustomDBGridEh::WndProc(Message);
        Invalidate();
        return;
    case WM_VSCROLL: {
        ListChangingScope changing(this);
        FSearchText.clear();
        if (!DataLink()->Active()) return;
        if (IsExtendedScrolling()) {
            TCustomDBGridEh::WndProc(Message);
            return;
        }
        HandleLookupVScroll(Message);
        return;
    }
    case WM_SETCURSOR:
        // Over the special row the grid sets no cursor of its own.
        if (SpecRowVisible()) {
            const TPoint p = CursorClientPos();
            if (MouseCoord(p.X, p.Y).Y == SpecRowGridRow()) return;
        }
        break;
    case WM_TIMER:
        if (FMouseSelecting && Message.WParam == 1) {
            TrackMouseSelection();
            return;
        }
        break;
    case WM_SIZE: {
        if (FInternalWidthSetting) break;
        FlagScope width(FInternalWidthSetting);
        TCustomDBGridEh::WndProc(Message);
        // The columns follow the new width while the lookup grid fits them.
        if (FLGAutoFitColWidths) ApplyAutoFit();
        ScrollBarIndentsChanged();
        return;
    }
    case CM_RECREATEWND:
        if (FInternalWidthSetting) return;
        break;
    default:
        break;
    }
    TCustomDBGridEh::WndProc(Message);
}

// ---------------------------------------------------------------------------------------------
// Height

void TDBLookupGridEh::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    const int t = TitleRowsHeight();
    const int b = GetBorderHeight();
    const int r = std::max(1, GetListRowHeight());
    FSpecRowHeight = SpecRowVisible() ? GetSpecRowHeight() : 0;
    const int l = Options().Contains(dgRowLines) ? GridLineWidth() : 0;
    FRowCount = std::max(1, (AHeight - b - t - FSpecRowHeight) / r);
    TCustomDBGridEh::SetBounds(ALeft, ATop, AWidth, t + b + r * FRowCount + FSpecRowHeight + l);
}

void TDBLookupGridEh::WriteRowCount(int Value) {
    // A stream carries the height itself.
    if (ComponentState().Contains(csLoading)) return;
    Value = std::clamp(Value, 1, MaxRowCount);
    const int l = Options().Contains(dgRowLines) ? GridLineWidth() : 0;
    const int s = SpecRowVisible() ? GetSpecRowHeight() : 0;
    SetHeight(TitleRowsHeight() + l + Value * (DefaultRowHeight() + l) + GetBorderHeight() + s);
}

void TDBLookupGridEh::WriteShowTitles(bool Value) {
    if (Value == ShowTitles()) return;
    TDBGridOptions o = Options();
    if (Value)
        o.Include(dgTitles);
    else
        o.Exclude(dgTitles);
    SetOptions(o);
    if (ComponentState().Contains(csLoading)) return;
    const int s = SpecRowVisible() ? GetSpecRowHeight() : 0;
    SetHeight(GetListRowHeight() * FRowCount + GetBorderHeight() + TitleRowsHeight() + s);
}

void TDBLookupGridEh::WriteUseMultiTitle(bool Value) {
    TCustomDBGridEh::SetUseMultiTitle(Value);
    WriteRowCount(FRowCount);
}

void TDBLookupGridEh::UpdateScrollBarPanels() {
    TCustomDBGridEh::UpdateScrollBarPanels();
    ScrollBarIndentsChanged();
}

void TDBLookupGridEh::OutBoundaryDataChanged() {
    TCustomDBGridEh::OutBoundaryDataChanged();
    ScrollBarIndentsChanged();
}

void TDBLookupGridEh::ScrollBarIndentsChanged() {
    // A scroll bar shown or hidden under the rows changes the height the rows need.
    // A scroll bar of the window itself shows as a smaller client area.
    const int indents = OutBoundaryData()->TopIndent() + OutBoundaryData()->BottomIndent() +
                        (HandleAllocated() ? Height() - ClientHeight() : 0);
    if (indents == FScrollBarIndents) return;
    FScrollBarIndents = indents;
    if (!FInternalHeightSetting && HandleAllocated()) {
        FlagScope height(FInternalHeightSetting);
        WriteRowCount(FRowCount);
    }
}

void TDBLookupGridEh::CreateWnd() {
    TCustomDBGridEh::CreateWnd();
    // The border height is known only now.
    WriteRowCount(FRowCount);
}

// ---------------------------------------------------------------------------------------------
// Width

void TDBLookupGridEh::WriteAutoFitColWidths(bool Value) {
    if (Value == FLGAutoFitColWidths) return;
    FLGAutoFitColWidths = Value;
    if (Value)
        for (int i = 0; i < Columns()->Count(); ++i)
            Columns()->Columns(i)->SetInitWidth(Columns()->Columns(i)->Width());
    if (HorzScrollBar()) HorzScrollBar()->SetVisible(!Value);
    if (Value) ApplyAutoFit();
    // The bar goes or comes now, before the height is measured.
    if (HandleAllocated()) UpdateScrollRange();
    WriteRowCount(FRowCount);
    UpdateVertScrollBar();
    FitColumnWidths();
}

void TDBLookupGridEh::FitColumnWidths() {
    if (FInternalWidthSetting) return;
    {
        FlagScope width(FInternalWidthSetting);
        if (FLGAutoFitColWidths) ApplyAutoFit();
    }
    WriteRowCount(FRowCount);
}

void TDBLookupGridEh::UpdateColumnWidths() {
    TCustomDBGridEh::UpdateColumnWidths();
    if (FLGAutoFitColWidths) ApplyAutoFit();
}

void TDBLookupGridEh::ApplyAutoFit() {
    // The visible columns share the client width in the proportion of their own widths; the
    // columns keep those widths, only the grid's cells are fitted.
    // Hidden columns keep their cells at no width.
    std::vector<TColumnEh*> shown;
    for (int i = 0; i < Columns()->Count() && i + IndicatorOffset() < ColCount(); ++i)
        if (Columns()->Columns(i)->Visible()) shown.push_back(Columns()->Columns(i));
    const int n = int(shown.size());
    if (n <= 0 || !HandleAllocated()) return;
    const int line = Options().Contains(dgColLines) ? GridLineWidth() : 0;
    int room = ClientWidth() - OutBoundaryData()->LeftIndent() - OutBoundaryData()->RightIndent();
    for (int i = 0; i < IndicatorOffset(); ++i)
        room -= ColWidths(i) + line;
    room -= n * line;
    int total = 0;
    for (int i = 0; i < n; ++i)
        total += std::max(1, shown[size_t(i)]->InitWidth() > 0 ? shown[size_t(i)]->InitWidth()
                                                               : shown[size_t(i)]->Width());
    if (room < n || total <= 0) return;
    FlagScope quiet(FInColWidthsChanged);
    int left = room;
    for (int i = 0; i < n; ++i) {
        TColumnEh* c = shown[size_t(i)];
        const int cell = c->Index() + IndicatorOffset();
        const int own = std::max(1, c->InitWidth() > 0 ? c->InitWidth() : c->Width());
        const int w = i == n - 1 ? left : std::max(1, MulDiv(own, room, total));
        left -= w;
        if (ColWidths(cell) != w) SetColWidths(cell, std::max(1, w));
    }
}

void TDBLookupGridEh::ColWidthsChanged() {
    TCustomDBGridEh::ColWidthsChanged();
    if (FInternalWidthSetting || !HandleAllocated() || GridState() != gsColSizing || !FLGAutoFitColWidths)
        return;
    // Sizing a column widens or narrows the whole control.
    FlagScope width(FInternalWidthSetting);
    const int line = Options().Contains(dgColLines) ? GridLineWidth() : 0;
    int w = 0;
    for (int i = 0; i < ColCount(); ++i)
        w += ColWidths(i) + line;
    SetClientWidth(w);
    for (int i = 0; i < Columns()->Count(); ++i)
        Columns()->Columns(i)->SetInitWidth(Columns()->Columns(i)->Width());
}
