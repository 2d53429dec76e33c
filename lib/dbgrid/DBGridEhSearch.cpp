// The grid's side of searching: search editor mode, the search filter (a memory table's extra
// filter or the data set's OnFilterRecord), text location through the built-in search,
// in-place search with its time-out timer, highlight texts and the Ctrl+F key.

#include "lib/dbgrid/DBGridEhSearch.h"

#include "lib/dbgrid/DBGridEhCenter.h"
#include "lib/dbgrid/DBGridEhFindDlg.h"
#include "lib/dbgrid/DBGridEhSelection.h"

#include "lib/memtable/MemTableEh.h"
#include "lib/tools/ToolCtrlsEh.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/WinApi.h"

#include <algorithm>
#include <cstring>
#include <typeinfo>

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
    // The behaviour centre falls back on these when no data set adapter takes the search over.
    if (!GridBuiltInLocateTextEh)
        GridBuiltInLocateTextEh = [](TCustomDBGridEh* Grid, const String& FieldName, const String& Text,
                                     TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction,
                                     TLocateTextMatchingEh Matching, TLocateTextTreeFindRangeEh) {
            return LocateTextInGrid(Grid, FieldName, Text, Options, Direction, Matching);
        };
    if (!GridFindDialogProcEh)
        GridFindDialogProcEh = [](TCustomDBGridEh* Grid, const String& Text, bool Modal) {
            if (ExecuteDBGridEhFindDialogProc) ExecuteDBGridEhFindDialogProc(Grid, Text, Modal);
        };
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
    TakeSearchFilterSelection();
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

void TCustomDBGridEh::TakeSearchFilterSelection() {
    TDBGridEhSearchData& d = *FSearchData;
    TDBGridEhSelection* sel = Selection();
    const TDBGridEhSelectionType type = sel->SelectionType();
    // Typing on refilters with each character; the grid's selection was cleared by the first
    // apply, and the later ones keep looking inside what was selected then.
    if (type == gstNon && SearchFilterActive()) return;
    d.FFilterSelType = type;
    d.FFilterSelColumns.clear();
    d.FFilterSelRecs.clear();
    d.FFilterSelBookmarks.clear();
    if (type == gstColumns) {
        for (int i = 0; i < sel->Columns()->Count(); ++i)
            d.FFilterSelColumns.push_back(sel->Columns()->Columns(i));
    } else if (type == gstRecordBookmarks) {
        TBookmarkListEh* rows = sel->Rows();
        if (IntMemTable()) {
            TBookmarkListEh refs(nullptr);
            refs.AssignAsBaseRef(rows);
            d.FFilterSelRecs.insert(refs.RowsRef().begin(), refs.RowsRef().end());
        } else {
            // Other data sets have no record objects: their records are told by bookmark.
            for (int i = 0; i < rows->Count(); ++i)
                d.FFilterSelBookmarks.insert(rows->Items(i));
        }
    }
    if (type == gstRecordBookmarks || type == gstRectangle) sel->Clear();
}

void TCustomDBGridEh::SearchFilterRecord(TDataSet* DataSet, bool& Accept) {
    TDBGridEhSearchData& d = *FSearchData;
    if (d.FLastFilterPanelEvent) {
        d.FLastFilterPanelEvent(DataSet, Accept);
        if (!Accept) return;
    }
    Accept = false;
    if (d.FFilterSelType == gstRecordBookmarks) {
        if (IMemTableEh* mt = IntMemTable()) {
            if (!d.FFilterSelRecs.count(mt->GetRec())) return;
        } else {
            // A data set that cannot tell the filtered record's bookmark is not restricted.
            const TBookmark bm = DataSet->Bookmark();
            if (!bm.empty() && !d.FFilterSelBookmarks.count(bm)) return;
        }
    }
    const String& needle = d.FSearchFilter;
    std::vector<TColumnEh*> selCols;
    if (d.FFilterSelType == gstColumns) {
        // Only the selected columns that the grid still has.
        for (TColumnEh* c : d.FFilterSelColumns)
            for (int i = 0; i < Columns()->Count(); ++i)
                if (Columns()->Columns(i) == c) selCols.push_back(c);
    }
    TColumnsEhList* cols = VisibleColumns();
    const bool useSel = d.FFilterSelType == gstColumns;
    const int n = useSel ? int(selCols.size()) : cols->Count();
    void* const* visible = cols->List();
    auto colAt = [&](int i) {
        return useSel ? selCols[size_t(i)] : static_cast<TColumnEh*>(static_cast<TObject*>(visible[size_t(i)]));
    };
    // The column facts are read once per filter pass, not once per record.
    bool fresh = int(d.FFilterColumns.size()) == n;
    for (int i = 0; fresh && i < n; ++i)
        fresh = d.FFilterColumns[size_t(i)].Column == colAt(i) &&
                d.FFilterColumns[size_t(i)].Field == colAt(i)->Field();
    if (!fresh) {
        d.FFilterColumns.clear();
        // Our own memory table reads a data field's value from the record as it is stored.
        d.FFilterStoreTable = nullptr;
        if (DataSet && (typeid(*DataSet) == typeid(TMemTableEh) || typeid(*DataSet) == typeid(TCustomMemTableEh)))
            d.FFilterStoreTable = static_cast<TCustomMemTableEh*>(DataSet);
        d.FFilterFinder.SetNeedle(needle);
        for (int i = 0; i < n; ++i) {
            TColumnEh* col = colAt(i);
            TField* f = col->Field();
            const bool plain = f && col->GetColumnType() == ctCommon && col->DisplayFormat().isEmpty() &&
                               !(DrawMemoText() && (f->DataType() == ftMemo || f->DataType() == ftWideMemo));
            // The display text of a plain string field of the library's own class is its stored
            // text as the field buffer gives it back: no format, mask or trimming applies.
            const bool stored = plain && d.FFilterStoreTable && d.FFilterFinder.Searchable() &&
                                typeid(*f) == typeid(TStringField) && f->DataType() == ftString &&
                                !static_cast<TStringField*>(f)->FixedChar() && f->FieldKind() == fkData &&
                                f->Size() > 0 && f->DataSet() == DataSet;
            d.FFilterColumns.push_back({col, f, plain, stored});
        }
    }
    for (int i = 0; i < n; ++i) {
        const TDBGridEhSearchData::TFilterColumn& fc = d.FFilterColumns[size_t(i)];
        TColumnEh* col = fc.Column;
        TField* f = fc.Field;
        if (fc.StoredText && !f->OnGetText) {
            if (const Variant* v = d.FFilterStoreTable->StoredFieldValue(f)) {
                const TVarType t = v->VType();
                if (t == varNull || t == varEmpty) {
                    // Read as an empty text.
                    if (needle.isEmpty()) {
                        Accept = true;
                        return;
                    }
                    continue;
                }
                if (t == varString) {
                    // The field buffer keeps at most Size bytes and ends at a NUL.
                    const AnsiString& a = VariantAccess::Ansi(*v);
                    const char* p = a.constData();
                    size_t len = std::min(size_t(a.size()), size_t(f->Size()));
                    if (const void* z = std::memchr(p, 0, len)) len = size_t(static_cast<const char*>(z) - p);
                    if (needle.isEmpty() ? len == 0 : d.FFilterFinder.ContainedIn(p, len)) {
                        Accept = true;
                        return;
                    }
                    continue;
                }
            }
        }
        String text;
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
                                       TLocateTextMatchingEh Matching, TLocateTextTreeFindRangeEh TreeFindRange) {
    return Center()->LocateText(this, FieldName, Text, Options, Direction, Matching, TreeFindRange);
}

bool TCustomDBGridEh::LocateText(TCustomDBGridEh* AGrid, const String& FieldName, const String& Text,
                                 TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction,
                                 TLocateTextMatchingEh Matching, TLocateTextTreeFindRangeEh TreeFindRange) {
    TCustomDBGridEh* g = AGrid ? AGrid : this;
    StartWaitCursor();
    ScopeExit stop{[] { StopWaitCursor(); }};
    const bool found = g->CenterLocateText(FieldName, Text, Options, Direction, Matching, TreeFindRange);
    if (found) g->ShowCurrentRecordInGroupTree();
    return found;
}

void TCustomDBGridEh::ShowCurrentRecordInGroupTree() {
    // The found record may sit in a collapsed group: its path opens and its row becomes current.
    if (!FIntMemTable || !DataLink()->Active() || !FDataGrouping || !FDataGrouping->IsGroupingWorks()) return;
    const int viewRow = FIntMemTable->GetInstantReadCurRow();
    if (viewRow >= 0) SetCurGroupNodeByViewRow(viewRow, true);
}

// ---------------------------------------------------------------------------------------------
// In-place search

bool TCustomDBGridEh::InplaceSearching() const {
    return FSearchData->FInplaceSearching;
}

bool TCustomDBGridEh::InplaceSearchingInProcess() const {
    return FSearchData->FInplaceSearchingInProcess;
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
        d.FInplaceSearchingInProcess = true;
        ScopeExit done{[&d] { d.FInplaceSearchingInProcess = false; }};
        TColumnEh* col = FOptions.Contains(dgRowSelect) ? VisibleColumn(0) : SelectedColumn();
        if (!col) col = VisibleColumn(0);
        TLocateTextOptionsEh opts{ltoCaseInsensitiveEh, ltoStopOnEscape};
        // Numbers are searched as edited when the centre prefers that, else as shown.
        const bool editFormat = dynamic_cast<TNumericField*>(col->Field()) && Center() &&
                                Center()->PreferEditFormatForNumberFields;
        if (!editFormat) opts.Include(ltoMatchFormatEh);
        found = LocateText(this, String(), t, opts, Direction, ltmFromBegingEh, lttInAllNodesEh);
        if (found) {
            TColumnEh* fc = SelectedColumn() ? SelectedColumn() : col;
            // The search text takes the letter case of the data.
            t = (editFormat ? fc->EditText() : fc->DisplayText()).left(t.size());
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
        PaintHighlightedText(ACanvas, Column, ARect, DX, DY, Text, Alignment, WordWrap, p->Text(), true,
                             SearchHighlightColor);
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
    Center()->ShowFindDialog(this, Text, Modal, String());
}

bool TCustomDBGridEh::SearchKeyDown(Word Key, TShiftState Shift) {
    const TShortCut sc = ::ShortCut(Key, Shift);
    if (FOptionsEh.Contains(dghIncSearch) && sc == InplaceSearchStartShortCut) {
        // With one shortcut for both, a second press turns the running search into the dialog.
        if (InplaceSearching() && FOptionsEh.Contains(dghDialogFind) &&
            FindDialogShortCut == InplaceSearchStartShortCut) {
            StopInplaceSearch();
            ShowFindDialog(String(), IsFindDialogShowAsModal());
        } else {
            StartInplaceSearch(String(), -1, ltdAllEh);
        }
        return true;
    }
    if (FOptionsEh.Contains(dghDialogFind) && sc == FindDialogShortCut) {
        // The dialog starts with an empty pattern; the grid decides whether it waits for it.
        ShowFindDialog(String(), IsFindDialogShowAsModal());
        return true;
    }
    if (!InplaceSearching()) return false;
    TDBGridEhSearchData& d = *FSearchData;
    if (Shift.Empty() && (Key == VK_RETURN || Key == VK_ESCAPE || Key == VK_F2)) {
        StopInplaceSearch();
        return true;
    }
    if (Shift.Empty() && Key == VK_BACK) {
        // One character off the end (a character in two units goes whole).
        int n = 1;
        if (d.FInplaceSearchText.size() >= 2 && d.FInplaceSearchText.back().isLowSurrogate()) n = 2;
        d.FInplaceSearchText.chop(std::min<qsizetype>(n, d.FInplaceSearchText.size()));
        InvalidateRowCells(Row());
        StartInplaceSearchTimer();
        return true;
    }
    if (sc == InplaceSearchNextShortCut || sc == InplaceSearchPriorShortCut) {
        StartInplaceSearch(String(), d.FInplaceSearchTimeOut,
                           sc == InplaceSearchNextShortCut ? ltdDownEh : ltdUpEh);
        return true;
    }
    return false;
}

bool TCustomDBGridEh::CharStartsInplaceSearch() {
    if (!DataLink()->Active()) return false;
    const TDataSetState st = DataLink()->DataSet()->State();
    if (st == dsEdit || st == dsInsert || st == dsSetKey) return false;
    if (InplaceSearching()) return true;
    // Otherwise the character opens the editor when the options prefer it there.
    const bool editorFirst =
        !FOptionsEh.Contains(dghPreferIncSearch) || FOptions.Contains(dgAlwaysShowEditor) || EditorMode();
    bool toEditor = editorFirst;
    if (FOptionsEh.Contains(dghIncSearch)) {
        TColumnEh* col = SelectedColumn();
        toEditor = col && !ReadOnly() && IsColumnEditable(col) && editorFirst;
    }
    return !toEditor;
}

bool TCustomDBGridEh::SearchKeyPress(Char& Key) {
    if (Key.unicode() <= 31 || !CharStartsInplaceSearch()) return false;
    String typed = GetCompleteKeyPress();
    if (typed.isEmpty()) typed = String(Key);
    StartInplaceSearch(typed,
                       InplaceSearching() ? FSearchData->FInplaceSearchTimeOut : InplaceSearchTimeOutDefault,
                       ltdAllEh);
    Key = QChar(0);
    return true;
}
