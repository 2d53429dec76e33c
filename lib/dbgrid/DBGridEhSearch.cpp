// The grid's side of searching: search editor mode, the search filter (a memory table's extra
// filter or the data set's OnFilterRecord), text location through the built-in search,
// in-place search with its time-out timer, highlight texts and the Ctrl+F key.

#include "lib/dbgrid/DBGridEhSearch.h"

#include "lib/dbgrid/DBGridEhFindDlg.h"

#include "lib/tools/ToolCtrlsEh.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/WinApi.h"

#include <algorithm>

TExecuteFindDialogProc ExecuteDBGridEhFindDialogProc = &ExecuteFindDialog;

namespace {
// Runs a function when the scope ends, however it ends.
template <class F> struct ScopeExit {
    F f;
    ~ScopeExit() { f(); }
};
template <class F> ScopeExit(F) -> ScopeExit<F>;
} // namespace

// ---------------------------------------------------------------------------------------------
// Parts

void TCustomDBGridEh::CreateSearchParts() {
    FSearchData = std::make_unique<TDBGridEhSearchData>();
    FSearchData->FSearchPanel = std::make_unique<TDBGridSearchPanelEh>(this);
    FSearchData->FSearchPanelControl = new TDBGridSearchPanelControlEh(this, this);
    FSearchData->FSearchPanelControl->SetVisible(false);
    FSearchData->FSearchPanelControl->SetParent(this);
    FSearchData->FPanelHighlight = std::make_unique<TGridHighlightTextParamsEh>();
}

void TCustomDBGridEh::FreeSearchParts() {
    if (!FSearchData) return;
    StopInplaceSearchTimer();
    // A data set outlives the grid: it must not keep calling a freed grid's filter test.
    if (FSearchData->FFilterObj && FSearchData->FFilterMemTable) {
        FSearchData->FFilterMemTable->RemoveExtraFilter(FSearchData->FFilterObj);
        FSearchData->FFilterObj = nullptr;
    }
    RestoreDataSetFilterEvent();
    FSearchData->FHighlightTextParamsList.clear();
}

void TCustomDBGridEh::SearchNotification(TComponent* AComponent) {
    if (!FSearchData || !AComponent) return;
    TDBGridEhSearchData& d = *FSearchData;
    if (AComponent == d.FFilterDataSet) {
        d.FFilterObj = nullptr;
        d.FFilterMemTable = nullptr;
        d.FFilterDataSet = nullptr;
    }
    if (AComponent == d.FLastDataSet) {
        d.FLastDataSet = nullptr;
        d.FLastFilterPanelEvent = nullptr;
    }
}

TDBGridSearchPanelEh* TCustomDBGridEh::SearchPanel() const {
    return FSearchData->FSearchPanel.get();
}

void TCustomDBGridEh::SetSearchPanel(TDBGridSearchPanelEh* Value) {
    FSearchData->FSearchPanel->Assign(Value);
}

TDBGridSearchPanelControlEh* TCustomDBGridEh::SearchPanelControl() const {
    return FSearchData->FSearchPanelControl;
}

bool TCustomDBGridEh::SearchEditorMode() const {
    return FSearchData->FSearchEditorMode;
}

void TCustomDBGridEh::SetSearchEditorMode(bool Value) {
    if (FSearchData->FSearchEditorMode == Value) return;
    FSearchData->FSearchEditorMode = Value;
    TDBGridSearchPanelEh* sp = SearchPanel();
    if (!Value && sp->Active())
        sp->SetActive(false);
    else if (Value && !sp->Active())
        sp->SetActive(true);
    if (sp->Active()) sp->StoreFoundColumnIndex(SelectedIndex());
}

bool TCustomDBGridEh::IsSearchingState() {
    return SearchPanel()->Active();
}

String TCustomDBGridEh::GetSearchingText() {
    return SearchPanel()->SearchingText();
}

// ---------------------------------------------------------------------------------------------
// The search filter

String TCustomDBGridEh::SearchFilterText() const {
    return FSearchData->FSearchFilter;
}

bool TCustomDBGridEh::SearchFilterActive() const {
    return FSearchData->FFilterObj || FSearchData->FLastDataSet;
}

void TCustomDBGridEh::ApplySearchFilter(const String& Text) {
    TDBGridEhSearchData& d = *FSearchData;
    // Applying an empty text removes the filter rather than keeping only rows with an empty cell.
    if (Text.isEmpty()) {
        CancelSearchFilter();
        d.FSearchFilter.clear();
        return;
    }
    d.FSearchFilter = Text;
    d.FFilterColumns.clear();
    if (!DataLink()->Active()) return;
    TDataSet* ds = DataLink()->DataSet();
    if (IMemTableEh* mt = IntMemTable()) {
        const TFilterRecordEvent test(this, &TCustomDBGridEh::SearchFilterRecord);
        if (d.FFilterObj && d.FFilterMemTable == mt)
            mt->UpdateExtraFilter(d.FFilterObj, String(), test);
        else {
            d.FFilterObj = mt->AddExtraFilter(String(), test);
            d.FFilterMemTable = mt;
            d.FFilterDataSet = ds;
            ds->FreeNotification(this);
        }
    } else {
        const TFilterRecordEvent test(this, &TCustomDBGridEh::SearchFilterRecord);
        if (!(ds->OnFilterRecord() == test)) {
            d.FLastFilterPanelEvent = ds->OnFilterRecord();
            // The data set's own Filtered flag is given back when the filter goes.
            d.FLastDataSetFiltered = ds->Filtered();
            ds->SetOnFilterRecord(test);
            d.FLastDataSet = ds;
            ds->FreeNotification(this);
        }
        if (ds->Filtered()) {
            ds->DisableControls();
            ScopeExit enable{[ds] { ds->EnableControls(); }};
            ds->SetFiltered(false);
            ds->SetFiltered(true);
        } else {
            ds->SetFiltered(true);
        }
    }
    if (SumList()->Active()) SumList()->RecalcAll();
    Invalidate();
}

void TCustomDBGridEh::SearchFilterRecord(TDataSet* DataSet, bool& Accept) {
    TDBGridEhSearchData& d = *FSearchData;
    if (d.FLastFilterPanelEvent) {
        d.FLastFilterPanelEvent(DataSet, Accept);
        if (!Accept) return;
    }
    Accept = false;
    const String& needle = d.FSearchFilter;
    TColumnsEhList* cols = VisibleColumns();
    const int n = cols->Count();
    // The column facts are read once per filter pass, not once per record.
    bool fresh = int(d.FFilterColumns.size()) == n;
    for (int i = 0; fresh && i < n; ++i)
        fresh = d.FFilterColumns[size_t(i)].Column == cols->Columns(i) &&
                d.FFilterColumns[size_t(i)].Field == cols->Columns(i)->Field();
    if (!fresh) {
        d.FFilterColumns.clear();
        for (int i = 0; i < n; ++i) {
            TColumnEh* col = cols->Columns(i);
            TField* f = col->Field();
            const bool plain = f && col->GetColumnType() == ctCommon && col->DisplayFormat().isEmpty() &&
                               !(DrawMemoText() && (f->DataType() == ftMemo || f->DataType() == ftWideMemo));
            d.FFilterColumns.push_back({col, f, plain});
        }
    }
    for (int i = 0; i < n; ++i) {
        const TDBGridEhSearchData::TFilterColumn& fc = d.FFilterColumns[size_t(i)];
        TColumnEh* col = fc.Column;
        String text;
        TField* f = fc.Field;
        if (fc.Plain) {
            text = f->DisplayText();
        } else if (f && f->Lookup()) {
            // Lookup values are not computed while the data set filters: look the text up here.
            TDataSet* lds = f->LookupDataSet();
            if (lds && lds->Active()) {
                const Variant key = DataSet->FieldValues(f->KeyFields());
                const Variant v = lds->Lookup(f->LookupKeyFields(), key, f->LookupResultField());
                if (!v.IsNull() && !v.IsEmpty()) text = v.AsString();
            }
        } else {
            text = col->DisplayText();
        }
        if (needle.isEmpty() ? text.isEmpty() : text.contains(needle, Qt::CaseInsensitive)) {
            Accept = true;
            return;
        }
    }
}

void TCustomDBGridEh::RestoreDataSetFilterEvent() {
    TDBGridEhSearchData& d = *FSearchData;
    TDataSet* ds = d.FLastDataSet;
    if (!ds) return;
    d.FLastDataSet = nullptr;
    ds->SetOnFilterRecord(d.FLastFilterPanelEvent);
    d.FLastFilterPanelEvent = nullptr;
    ds->RemoveFreeNotification(this);
    if (ds->ComponentState().Contains(csDestroying) || !ds->Active()) {
        ds->SetFiltered(d.FLastDataSetFiltered);
        return;
    }
    // Re-evaluated with the data set's own handler, and left as filtered as it was.
    ds->DisableControls();
    ScopeExit enable{[ds] { ds->EnableControls(); }};
    ds->SetFiltered(false);
    if (d.FLastDataSetFiltered) ds->SetFiltered(true);
}

void TCustomDBGridEh::CancelSearchFilter() {
    TDBGridEhSearchData& d = *FSearchData;
    const int oldRow = Row(), oldTop = TopRow();
    if (d.FFilterObj && d.FFilterMemTable) {
        IMemTableEh* mt = d.FFilterMemTable;
        LockPaint();
        ScopeExit unlock{[this] { UnlockPaint(); }};
        TObject* rec = DataLink()->Active() ? mt->GetRec() : nullptr;
        mt->RemoveExtraFilter(d.FFilterObj);
        d.FFilterObj = nullptr;
        d.FFilterMemTable = nullptr;
        d.FFilterDataSet = nullptr;
        if (rec) mt->GotoRec(rec);
        // The current record keeps its distance from the top row.
        SafeMoveTop(Row() + oldTop - oldRow, false);
        Invalidate();
    } else {
        RestoreDataSetFilterEvent();
    }
    if (SumList()->Active()) SumList()->RecalcAll();
}

// ---------------------------------------------------------------------------------------------
// Text location

bool TCustomDBGridEh::CenterLocateText(const String& FieldName, const String& Text,
                                       TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction,
                                       TLocateTextMatchingEh Matching, TLocateTextTreeFindRangeEh) {
    return LocateTextInGrid(this, FieldName, Text, Options, Direction, Matching);
}

bool TCustomDBGridEh::LocateText(TCustomDBGridEh* AGrid, const String& FieldName, const String& Text,
                                 TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction,
                                 TLocateTextMatchingEh Matching, TLocateTextTreeFindRangeEh TreeFindRange) {
    TCustomDBGridEh* g = AGrid ? AGrid : this;
    StartWaitCursor();
    ScopeExit stop{[] { StopWaitCursor(); }};
    return g->CenterLocateText(FieldName, Text, Options, Direction, Matching, TreeFindRange);
}

// ---------------------------------------------------------------------------------------------
// In-place search

bool TCustomDBGridEh::InplaceSearching() const {
    return FSearchData->FInplaceSearching;
}

String TCustomDBGridEh::InplaceSearchText() const {
    return FSearchData->FInplaceSearchText;
}

void TCustomDBGridEh::StartInplaceSearch(const String& S, int TimeOut, TLocateTextDirectionEh Direction) {
    if (!DataLink()->Active()) return;
    TDBGridEhSearchData& d = *FSearchData;
    String t = d.FInplaceSearchText + S;
    const String old = d.FInplaceSearchText;
    bool found = false;
    if (!t.isEmpty() && VisibleColumnCount() > 0) {
        LockPaint();
        ScopeExit unlock{[this] { UnlockPaint(); }};
        TColumnEh* col = FOptions.Contains(dgRowSelect) ? VisibleColumn(0) : SelectedColumn();
        if (!col) col = VisibleColumn(0);
        TLocateTextOptionsEh opts{ltoCaseInsensitiveEh, ltoStopOnEscape};
        // Numbers are searched as shown.
        opts.Include(ltoMatchFormatEh);
        found = LocateText(this, String(), t, opts, Direction, ltmFromBegingEh, lttInAllNodesEh);
        if (found) {
            TColumnEh* fc = SelectedColumn() ? SelectedColumn() : col;
            t = fc->DisplayText().left(t.size());
            if (FIntMemTable) SafeMoveTop(Row() - VisibleRowCount() / 2, false);
        }
    }
    HideEditor();
    d.FInplaceSearching = true;
    d.FInplaceSearchText = found ? t : old;
    InvalidateRowCells(Row());
    d.FInplaceSearchTimeOut = TimeOut;
    StartInplaceSearchTimer();
}

void TCustomDBGridEh::StartInplaceSearchTimer() {
    TDBGridEhSearchData& d = *FSearchData;
    if (d.FInplaceSearchTimerActive && HandleAllocated()) KillTimer(Handle(), 2);
    d.FInplaceSearchTimerActive = false;
    if (d.FInplaceSearchTimeOut >= 0 && HandleAllocated()) {
        SetTimer(Handle(), 2, UINT(d.FInplaceSearchTimeOut));
        d.FInplaceSearchTimerActive = true;
    }
}

void TCustomDBGridEh::StopInplaceSearchTimer() {
    TDBGridEhSearchData& d = *FSearchData;
    if (d.FInplaceSearchTimerActive && HandleAllocated()) KillTimer(Handle(), 2);
    d.FInplaceSearchTimerActive = false;
}

void TCustomDBGridEh::StopInplaceSearch() {
    TDBGridEhSearchData& d = *FSearchData;
    if (!d.FInplaceSearching) return;
    StopInplaceSearchTimer();
    d.FInplaceSearching = false;
    d.FInplaceSearchText.clear();
    InvalidateRowCells(Row());
    if (FOptions.Contains(dgAlwaysShowEditor) && IsEditorAlwaysShown()) ShowEditor();
}

void TCustomDBGridEh::SearchTimerTick() {
    StopInplaceSearch();
}

// ---------------------------------------------------------------------------------------------
// Highlight texts

void TCustomDBGridEh::AddHighlightTextParams(TGridHighlightTextParamsEh* Params) {
    auto& l = FSearchData->FHighlightTextParamsList;
    if (std::find(l.begin(), l.end(), Params) == l.end()) l.push_back(Params);
    Invalidate();
}

void TCustomDBGridEh::RemoveHighlightTextParams(TGridHighlightTextParamsEh* Params) {
    auto& l = FSearchData->FHighlightTextParamsList;
    l.erase(std::remove(l.begin(), l.end(), Params), l.end());
    Invalidate();
}

void TCustomDBGridEh::PaintSearchHighlights(TCanvas* ACanvas, TColumnEh* Column, const String& Text,
                                            const TRect& ARect, int DX, int DY, TAlignment Alignment,
                                            bool WordWrap) {
    if (!FSearchData || Text.isEmpty()) return;
    auto paint = [&](const TGridHighlightTextParamsEh* p) {
        if (p->Text().isEmpty()) return;
        TAlignment a = Alignment;
        if (Column->UseRightToLeftAlignment())
            a = a == taLeftJustify ? taRightJustify : a == taRightJustify ? taLeftJustify : a;
        HighlightTextMatches(ACanvas, ARect, DX, DY, Text, a, Column->Layout() == tlCenter, WordWrap,
                             p->Text(), true, SearchHighlightColor);
    };
    for (const TGridHighlightTextParamsEh* p : FSearchData->FHighlightTextParamsList)
        if (p->ColumnsList()->IndexOf(Column) >= 0) paint(p);
    // The search panel's text shows in every visible column while the panel is shown.
    TDBGridSearchPanelEh* sp = SearchPanel();
    if ((sp->Visible() || sp->Location() == splExternal) && !sp->SearchingText().isEmpty()) {
        TGridHighlightTextParamsEh& p = *FSearchData->FPanelHighlight;
        p.SetText(sp->SearchingText());
        paint(&p);
    }
}

// ---------------------------------------------------------------------------------------------
// Keys and the find dialog

void TCustomDBGridEh::ShowFindDialog(const String& Text, bool Modal) {
    if (ExecuteDBGridEhFindDialogProc) ExecuteDBGridEhFindDialogProc(this, Text, Modal);
}

bool TCustomDBGridEh::SearchKeyDown(Word& Key, TShiftState Shift) {
    const TShortCut sc = ::ShortCut(Key, Shift);
    TDBGridSearchPanelEh* sp = SearchPanel();
    if (sp->Enabled() && sc == sp->ShortCut()) {
        SetSearchEditorMode(true);
        Key = 0;
        return true;
    }
    if (FOptionsEh.Contains(dghDialogFind) && sc == FindDialogShortCut) {
        StopInplaceSearch();
        TColumnEh* col = SelectedColumn();
        ShowFindDialog(col ? col->DisplayText() : String(), false);
        Key = 0;
        return true;
    }
    if (InplaceSearching()) {
        if (Key == VK_ESCAPE) {
            StopInplaceSearch();
            Key = 0;
            return true;
        }
        if (sc == InplaceSearchNextShortCut || sc == InplaceSearchPriorShortCut) {
            const String t = FSearchData->FInplaceSearchText;
            FSearchData->FInplaceSearchText.clear();
            StartInplaceSearch(t, FSearchData->FInplaceSearchTimeOut,
                               sc == InplaceSearchNextShortCut ? ltdDownEh : ltdUpEh);
            if (FSearchData->FInplaceSearchText.isEmpty()) FSearchData->FInplaceSearchText = t;
            Key = 0;
            return true;
        }
    }
    return false;
}
