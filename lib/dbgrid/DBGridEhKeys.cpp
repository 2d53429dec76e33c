// The data grid's input: keys move the current record and column, the mouse selects rows,
// presses titles (with sort marking) and scrolls, and the vertical scroll bar follows records.

#include "lib/dbgrid/DBGridEh.h"
#include "platform/ui/Themes.h"

#include "lib/dbgrid/DBGridEhFilter.h"
#include "lib/dbgrid/DBGridEhFilterRow.h"
#include "lib/dbgrid/DBGridEhGrouping.h"
#include "lib/dbgrid/DBGridEhImpExp.h"
#include "lib/dbgrid/DBGridEhRowPanel.h"
#include "lib/dbgrid/DBGridEhSearch.h"
#include "lib/dbgrid/DBGridEhSelection.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WinApi.h"

#include <QScopeGuard>

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// Keys

void TCustomDBGridEh::KeyDown(Word& Key, TShiftState Shift) {
    Word tableKey = 0;
    if (!KeyDownSteps(Key, Shift, tableKey)) return;
    // Delete empties an image or check-box value (no text to edit there).
    TColumnEh* column = SelectedColumn();
    if (tableKey == VK_DELETE && !Shift.Contains(ssCtrl) && !FOptions.Contains(dgRowSelect) &&
        DataLink()->Active() && column &&
        (column->GetColumnType() == ctKeyImageList || column->GetColumnType() == ctCheckboxes) &&
        column->Field() && !column->Field()->Required() && column->CanModify(true))
        column->WriteValueToField(String(), Null(), false);
}

void TCustomDBGridEh::ShortCutKeyDown(Word Key, TShiftState Shift) {
    // First match only; the key goes on to the navigation tables whatever matched.
    const TShortCut sc = ShortCut(Key, Shift);
    if (sc == FilterListShortCut && FSTFilter->Visible() && FSTFilter->Location() == stflInTitleFilterEh &&
        SelectedColumn() && SelectedColumn()->STFilter()->Visible()) {
        DropDownInTitleFilterListbox(SelectedColumn());
        return;
    }
    if (SearchPanel()->Enabled() && sc == SearchPanel()->ShortCut()) {
        SetSearchEditorMode(true);
        return;
    }
    if (sc == PriorRecordValueShortCut) {
        SetValueFromPrevRecord();
        return;
    }
    SearchKeyDown(Key, Shift);
}

bool TCustomDBGridEh::KeyDownSteps(Word& Key, TShiftState Shift, Word& TableKey) {
    FAntiSelection = Shift.Contains(ssCtrl) || !FOptionsEh.Contains(dghClearSelection);
    // The control's own OnKeyDown comes first and may take the key.
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0) return false;
    EnterFilterRowUp(Key, Shift);
    if (Key == 0) return false;
    if (UseRightToLeftAlignment() && (Key == VK_LEFT || Key == VK_RIGHT))
        Key = Key == VK_LEFT ? VK_RIGHT : VK_LEFT;
    if (!DataLink()->Active() || !CanGridAcceptKey(Key, Shift)) return false;
    if (GroupingKeyDown(Key, Shift)) return false;
    ShortCutKeyDown(Key, Shift);
    if (Key == 0 || !DataLink()->Active()) return false;
    TableKey = Key;
    NavigationKeyDown(Key, Shift);
    return true;
}

void TCustomDBGridEh::NavigationKeyDown(Word& Key, TShiftState Shift) {
    TDataSet* ds = DataLink()->DataSet();
    const bool ctrl = Shift.Contains(ssCtrl);
    const bool shift = Shift.Contains(ssShift);
    const bool multi = FOptions.Contains(dgMultiSelect);
    const bool rowSelect = FOptions.Contains(dgRowSelect);
    // Row steps select records unless rectangles may be selected.
    const bool rows = !FAllowedSelections.Contains(gstRectangle);
    // A page is the rows shown now, which may be fewer than fit when rows differ in height.
    const int page = VisibleDataRowCount();
    const int lastCol = std::max(0, Columns()->Count() - 1);
    const bool canModify = ds->CanModify() && !ReadOnly();

    if (RowPanelKeyDown(Key, Shift)) return;

    if (ctrl) {
        const bool plainMove = !shift && (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_END ||
                                          Key == VK_HOME || Key == VK_UP || Key == VK_DOWN);
        if (plainMove) ClearSelectionOnMove();
        const bool extend = shift && multi;
        switch (Key) {
        case VK_PRIOR:
        case VK_UP:
            // To the first record of the link's buffer: the visible page's top.
            if (extend)
                MoveAndSelect(true, -DataLink()->ActiveRecord(), false, false);
            else
                MoveBy(-DataLink()->ActiveRecord());
            break;
        case VK_NEXT:
        case VK_DOWN:
            if (extend)
                MoveAndSelect(true, DataLink()->BufferCount() - DataLink()->ActiveRecord() - 1, false, false);
            else
                MoveBy(DataLink()->BufferCount() - DataLink()->ActiveRecord() - 1);
            break;
        case VK_END:
            if (extend)
                MoveAndSelect(true, 1, false, true);
            else
                ds->Last();
            break;
        case VK_HOME:
            if (extend)
                MoveAndSelect(true, -1, false, true);
            else
                ds->First();
            break;
        case VK_LEFT:
            SelectDataColumn(0, 1, false);
            break;
        case VK_RIGHT:
            SelectDataColumn(lastCol, -1, false);
            break;
        case VK_INSERT:
        case 'C':
            if (CheckCopyAction() && FEditActions.Contains(geaCopyEh))
                CopyGridSelectionToClipboard(this, false);
            break;
        case VK_DELETE:
            if (!FEditActions.Contains(geaDeleteEh) || Selection()->SelectionType() == gstNon) {
                if (canModify && !ds->IsEmpty() && AllowedOperations().Contains(alopDeleteEh) &&
                    ConfirmDeleteRecords()) {
                    if (SelectedRows()->Count() > 0)
                        SelectedRows()->Delete();
                    else
                        ds->Delete();
                }
            } else if (CheckDeleteAction()) {
                DeleteGridSelection(this, false);
            }
            break;
        case 'A':
            if (Shift != TShiftState{ssCtrl}) return;
            if (CheckSelectAllAction() && FEditActions.Contains(geaSelectAllEh))
                Selection()->SelectAll();
            else if (FAllowedSelections.Contains(gstRecordBookmarks))
                SelectedRows()->SelectAll();
            break;
        case 'V':
            PasteOrSearchClipboard();
            break;
        case 'X':
            if (CheckCutAction() && FEditActions.Contains(geaCutEh)) CutGridSelectionToClipboard(this, false);
            break;
        default:
            return;
        }
        Key = 0;
        return;
    }
    switch (Key) {
    case VK_TAB:
        if (Shift.Contains(ssAlt)) return;
        StepTab(!shift);
        break;
    case VK_RETURN:
        if (!FOptionsEh.Contains(dghEnterAsTab)) return;
        StepTab(!shift);
        break;
    case VK_ESCAPE:
        DataLink()->Reset();
        ClearSelection();
        if (!FOptions.Contains(dgAlwaysShowEditor)) HideEditor();
        if (GridState() == gsRowSizing || GridState() == gsColSizing || GridState() == gsColMoving ||
            FDBGridEhState == dgsColSizing || FDBGridEhState == dgsRowMoving ||
            FDBGridEhState == dgsGroupPanelTitleMoving)
            Perform(WM_CANCELMODE, 0, 0);
        break;
    case VK_PRIOR:
        if (shift && multi) {
            MoveAndSelect(true, -page, rows, false);
        } else {
            ClearSelectionOnMove();
            MoveBy(-page);
        }
        break;
    case VK_NEXT:
        if (shift && multi) {
            MoveAndSelect(true, page, rows, false);
        } else {
            ClearSelectionOnMove();
            // Records not fetched yet would cut the page short.
            if (FIntMemTable && RowCount() - TopRow() - page < page)
                FIntMemTable->FetchRecords(2 * page + TopRow() - RowCount());
            MoveBy(page);
        }
        break;
    case VK_END:
        if (VisibleColumnCount() <= 1 || rowSelect) {
            if (shift && multi) {
                MoveAndSelect(true, 1, false, true);
            } else {
                ClearSelectionOnMove();
                ds->Last();
            }
        } else {
            SelectDataColumn(lastCol, -1, shift && multi);
        }
        break;
    case VK_HOME:
        if (VisibleColumnCount() > 1 && !rowSelect) {
            SelectDataColumn(0, 1, shift && multi);
        } else if (shift && multi) {
            MoveAndSelect(true, -1, false, true);
        } else {
            ClearSelectionOnMove();
            ds->First();
        }
        break;
    case VK_LEFT:
    case VK_RIGHT: {
        const int step = Key == VK_LEFT ? -1 : 1;
        if (rowSelect) {
            // The base grid scrolls the columns; its handling must not fire OnKeyDown again.
            const TKeyEvent saved = OnKeyDown;
            OnKeyDown = TKeyEvent();
            const auto restore = qScopeGuard([&] { OnKeyDown = saved; });
            TCustomDBAxisGridEh::KeyDown(Key, Shift);
            return;
        }
        if (shift && multi) {
            SelectDataColumn(SelectedIndex() + step, step, true);
        } else {
            ClearSelectionOnMove();
            SelectDataColumn(SelectedIndex() + step, step, false);
        }
        break;
    }
    case VK_UP:
        StepUp(true, shift);
        break;
    case VK_DOWN:
        StepDownOrAppend(true, shift);
        break;
    case VK_INSERT:
        if (shift) {
            PasteOrSearchClipboard();
            break;
        }
        if (!canModify || !FOptions.Contains(dgEditing)) return;
        ClearSelectionOnMove();
        if (AllowedOperations().Contains(alopInsertEh))
            DataInsert();
        else if (AllowedOperations().Contains(alopAppendEh))
            DataAppend();
        break;
    case VK_DELETE:
        if (!shift) return;
        if (CheckCutAction() && FEditActions.Contains(geaCutEh)) CutGridSelectionToClipboard(this, false);
        break;
    case VK_MULTIPLY:
    case VK_ADD:
    case VK_SUBTRACT:
        // The keypad's *, + and - open and close the current tree node of a memory table.
        if (FIntMemTable && FIntMemTable->GetViewAsTreeList()) {
            const int row = FIntMemTable->GetInstantReadCurRow();
            if (row < 0) break;
            const bool expanded = FIntMemTable->GetTreeNodeExpanded();
            const bool want = Key == VK_MULTIPLY ? !expanded : Key == VK_ADD;
            if (want != expanded) FIntMemTable->SetRowTreeNodeExpanded(row, want);
        }
        break;
    case VK_F2:
        SetEditorMode(true);
        break;
    default:
        return;
    }
    Key = 0;
}

void TCustomDBGridEh::EnterFilterRowUp(Word& Key, TShiftState Shift) {
    if (Key != VK_UP || !FSTFilter->Visible() || FSTFilter->Location() != stflUnderTitleFilterEh ||
        !DataLink()->Active() || !(DataLink()->BOF() || Shift.Contains(ssCtrl)))
        return;
    int col = -1;
    if (FOptions.Contains(dgRowSelect)) {
        // From the filter column on, the first that can carry an editor; from the left edge when
        // that one is scrolled away.
        const int n = Columns()->Count();
        const int start = std::max(0, FFilterCol);
        for (int pass = 0; pass < 2 && col < 0; ++pass) {
            const int from = pass == 0 ? start : std::max(0, LeftCol() - FIndicatorOffset);
            for (int i = from; i < n && col < 0; ++i)
                if (IsFilterableColumn(i)) col = i;
            if (col >= 0 &&
                (col + FIndicatorOffset < LeftCol() ||
                 col + FIndicatorOffset > VisibleColCount() + LeftCol()) &&
                pass == 0)
                col = -1;
        }
    } else {
        col = SelectedIndex();
    }
    if (col < 0 || !IsFilterableColumn(col)) return;
    StartFilterEdit(col);
    Key = 0;
}

void TCustomDBGridEh::SelectDataColumn(int Index, int Step, bool Extend) {
    const bool rect = Extend && !FOptions.Contains(dgRowSelect) && IsSelectionTypeAllowed(gstRectangle);
    DataLink()->UpdateData();
    // Trailing cells lie outside the base grid's current cells.
    const int last = Columns()->Count() - (RowPanelMode() ? 0 : TCustomGridEh::ContraColCount()) - 1;
    if (last < 0 || VisibleColumnCount() == 0) return;
    Index = std::clamp(Index, 0, last);
    // Hidden columns have no cell to stand on: step on to a shown one, or stay.
    if (Step != 0) {
        while (Index >= 0 && Index <= last && !DataColumn(Index)->Visible())
            Index += Step;
        if (Index < 0 || Index > last) return;
    } else if (!DataColumn(Index)->Visible()) {
        return;
    }
    if (Index != SelectedIndex()) {
        if (!FInColExit) {
            FInColExit = true;
            const auto done = qScopeGuard([this] { FInColExit = false; });
            const int before = SelectedIndex();
            ColExit();
            if (SelectedIndex() != before) return;
        }
        if (!FOptions.Contains(dgAlwaysShowEditor)) HideEditor();
        if (RowPanelMode()) {
            SetInRowPanelCol(Index);
            if (ThemesInUse()) InvalidateTitle();
        } else if (!FOptions.Contains(dgRowSelect)) {
            const bool exitSaved = FInColExit;
            FInColExit = true;
            const auto done = qScopeGuard([&] { FInColExit = exitSaved; });
            SetCol(Index + FIndicatorOffset);
        }
        TColumnEh* c = DataColumn(Index);
        const bool noText = c && (c->GetColumnType() == ctKeyImageList || c->GetColumnType() == ctCheckboxes);
        if (!noText && FOptions.Contains(dgAlwaysShowEditor) && !IsFilterEditActive()) ShowEditor();
    }
    if (rect) {
        // The rectangle follows the current cell; the selection keeps its anchor.
        MoveAndSelect(true, 0, false, false);
    }
    (void)Step;
    if (Columns()->Count() > 0) Columns()->SetUpDownBaseColumn(SelectedColumn());
}

String TCustomDBGridEh::GetCompleteKeyPress() const {
    return FCompleteKeyPress;
}

bool TCustomDBGridEh::DataSetAcceptsSearch() {
    if (!DataLink()->Active()) return false;
    const TDataSetState st = DataLink()->DataSet()->State();
    return st != dsEdit && st != dsInsert && st != dsSetKey;
}

bool TCustomDBGridEh::EditorVisible() {
    return InplaceEditor() && InplaceEditor()->Visible();
}

void TCustomDBGridEh::KeyPress(Char& Key) {
    if (FOptionsEh.Contains(dghEnterAsTab) && Key == QChar(13)) Key = QChar(9);
    if (Key == QChar(13) && !FOptions.Contains(dgAlwaysShowEditor)) DataLink()->UpdateData();
    TCustomDBAxisGridEh::KeyPress(Key);
    const bool searching = InplaceSearching();
    if ((searching || (FOptionsEh.Contains(dghPreferIncSearch) && !FOptions.Contains(dgAlwaysShowEditor) &&
                       !EditorVisible())) &&
        Key.unicode() > 31 && DataSetAcceptsSearch()) {
        const String typed = FCompleteKeyPress.isEmpty() ? String(Key) : GetCompleteKeyPress();
        StartInplaceSearch(
            typed, searching ? FSearchData->FInplaceSearchTimeOut : InplaceSearchTimeOutDefault, ltdAllEh);
        Key = QChar(0);
    }
}

void TCustomDBGridEh::HandleChar(TMessage& Message) {
    Char ch = QChar(ushort(LoWord(Message.WParam)));
    TColumnEh* column = SelectedColumn();
    TField* field = column ? column->Field() : nullptr;
    // A "." typed into a number is the locale's decimal separator.
    if (dynamic_cast<TNumericField*>(field) && ch == QLatin1Char('.') &&
        FormatSettings().DecimalSeparator != QLatin1Char('.')) {
        ch = FormatSettings().DecimalSeparator;
        Message.WParam = WPARAM(ch.unicode());
    }
    FCompleteKeyPress = String(ch);
    const auto clear = qScopeGuard([this] { FCompleteKeyPress.clear(); });
    // Typing while the filter row is being edited goes to its editor, and only there.
    if (FFilterEditMode && (ch.unicode() >= 32 || ch == QChar(8))) {
        ForwardCharToFilterEditor(ch);
        Message.Result = 0;
        return;
    }
    // A character in two units: take the waiting second one along.
    MSG waiting{};
    bool tookTrail = false;
    if (ch.isHighSurrogate() && PeekMessage(&waiting, Handle(), WM_CHAR, WM_CHAR, PM_NOREMOVE) &&
        waiting.message == WM_CHAR) {
        FCompleteKeyPress += QChar(ushort(waiting.wParam));
        tookTrail = true;
    }
    const bool rowSelect = FOptions.Contains(dgRowSelect);
    if (column && !rowSelect &&
        (column->GetColumnType() == ctKeyImageList || column->GetColumnType() == ctCheckboxes) &&
        ch == QLatin1Char(' ')) {
        // Space cycles an image or check-box value, backward with Shift.
        Char key = ch;
        KeyPress(key);
        if (key == QLatin1Char(' ')) column->CycleValue(GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
        Message.Result = 0;
    } else {
        // Typed text goes to the editor, or starts (or extends) an in-place search.
        const bool prefer = FOptionsEh.Contains(dghPreferIncSearch);
        const bool editorWanted = !prefer || FOptions.Contains(dgAlwaysShowEditor) || EditorVisible();
        const bool toEditor = !InplaceSearching() && (FOptionsEh.Contains(dghIncSearch)
                                                          ? column && IsColumnEditable(column) && editorWanted
                                                          : editorWanted);
        const bool tree = FIntMemTable && FIntMemTable->GetViewAsTreeList();
        // The keypad's tree and detail-panel keys must not open the editor.
        const bool detail = RowDetailPanelActive();
        if (!toEditor) {
            if ((ch.unicode() >= 32 || ch == QChar(8)) && DataSetAcceptsSearch()) {
                Char key = ch;
                KeyPress(key);
                // With dghIncSearch alone a character sent here for the search would otherwise
                // be lost: the key press starts a search only when the search is preferred.
                if (!key.isNull()) SearchKeyPress(key);
                if (key.isNull()) Message.Result = 0;
            }
        } else if ((tree || detail) &&
                   (ch == QLatin1Char('*') || ch == QLatin1Char('+') || ch == QLatin1Char('-'))) {
            Char key = ch;
            KeyPress(key);
        } else {
            TCustomDBAxisGridEh::WndProc(Message);
        }
    }
    if (tookTrail) RemoveQueuedMessage(Handle(), WM_CHAR);
}

void TCustomDBGridEh::ForwardCharToFilterEditor(Char Ch) {
    if (!FFilterEdit) return;
    UpdateFilterEdit(false);
    if (FFilterEdit->HandleAllocated()) PostMessage(FFilterEdit->Handle(), WM_CHAR, WPARAM(Ch.unicode()), 0);
}

void TCustomDBGridEh::SetValueFromPrevRecord() {
    TColumnEh* column = SelectedColumn();
    if (!DataLink()->Active() || !column) return;
    // Grouped rows are not in view order: the record before is the view row before the current
    // record's, read from the table itself rather than through the grid's row mapping.
    const bool grouped = GroupingShowsRows();
    int pos = -1;
    if (grouped) {
        if (FCurGroupDataNode && FCurGroupDataNode->NodeType() == dntDataSetRecordEh)
            pos = FCurGroupDataNode->DataSetRecordViewNo();
    } else {
        pos = FIntMemTable ? FIntMemTable->GetInstantReadCurRow() : DataLink()->ActiveRecord();
    }
    if (pos <= 0 || !column->CanModify(true)) return;
    TField* field = column->Field();
    if (!field) return;
    Variant value;
    String text;
    {
        if (grouped)
            FIntMemTable->InstantReadEnter(pos - 1);
        else
            InstantReadRowEnter(pos - 1);
        const auto leave = qScopeGuard([this, grouped] {
            if (grouped)
                FIntMemTable->InstantReadLeave();
            else
                InstantReadRowLeave();
        });
        if (field->FieldKind() == fkLookup)
            value = field->DataSet()->FieldValues(field->KeyFields());
        else
            value = field->Value();
        text = field->AsString();
    }
    Selection()->Clear();
    column->WriteValueToField(text, value, false);
    ShowEditor();
    if (InplaceEditor() && InplaceEditor()->Visible()) InplaceEditor()->SelectAll();
}

void TCustomDBGridEh::PasteOrSearchClipboard() {
    // While searching, pasted text extends the search instead of the data.
    if (InplaceSearching()) {
        StartInplaceSearch(Clipboard()->AsText(), FSearchData->FInplaceSearchTimeOut, ltdAllEh);
        return;
    }
    if (CheckPasteAction() && FEditActions.Contains(geaPasteEh)) PasteGridFromClipboard(this, false);
}

void TCustomDBGridEh::StepDownOrAppend(bool Select, bool ShiftHeld) {
    TDataSet* ds = DataLink()->DataSet();
    // An untouched new record is dropped when the user moves on, kept at the end.
    if (ds->State() == dsInsert && !ds->Modified() && !DataLink()->IsModified()) {
        if (!ds->Eof()) ds->Cancel();
        return;
    }
    const bool canAppend =
        ds->CanModify() && !ReadOnly() && FOptions.Contains(dgEditing) && AllowedOperations().Contains(alopAppendEh);
    if (GroupingShowsRows()) {
        GroupDataMoveBy(1, canAppend);
        return;
    }
    if (ShiftHeld)
        MoveAndSelect(Select, 1, !FAllowedSelections.Contains(gstRectangle), false);
    else
        MoveAndSelect(false, 1, true, false);
    if (canAppend && Eof()) DataAppend();
}

void TCustomDBGridEh::StepUp(bool Select, bool ShiftHeld) {
    TDataSet* ds = DataLink()->DataSet();
    if (ds->State() == dsInsert && !ds->Modified() && Eof() && !DataLink()->IsModified()) {
        ds->Cancel();
        return;
    }
    if (ShiftHeld)
        MoveAndSelect(Select, -1, !FAllowedSelections.Contains(gstRectangle), false);
    else
        MoveAndSelect(false, -1, true, false);
}

void TCustomDBGridEh::StepTab(bool GoForward) {
    ClearSelectionOnMove();
    LockUpdate();
    const auto unlock = qScopeGuard([this] { UnlockUpdate(); });
    TColumnEh* cur = SelectedColumn();
    TColumnEh* next = cur ? Columns()->GetNextTabColumn(cur, GoForward) : nullptr;
    if (!next || next == cur) {
        if (GoForward) {
            StepDownOrAppend(false, false);
            next = Columns()->GetFirstTabColumn();
        } else {
            StepUp(false, true);
            // A group row has no cells to stand on.
            const bool onGroupRow = GroupingShowsRows() && FCurGroupDataNode &&
                                    FCurGroupDataNode->NodeType() != dntDataSetRecordEh;
            next = onGroupRow ? nullptr : Columns()->GetLastTabColumn();
        }
    }
    if (next) SetSelectedIndex(DataColOf(next));
}

void TCustomDBGridEh::KeyUp(Word& Key, TShiftState Shift) {
    // Ctrl held while clicking titles collects the markers; its release applies them.
    if (FSortMarking && Key == VK_CONTROL) {
        FSortMarking = false;
        SortMarkingChanged();
    }
    TCustomDBAxisGridEh::KeyUp(Key, Shift);
}

// ---------------------------------------------------------------------------------------------
// Wheel and scroll bar

bool TCustomDBGridEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (!DataLink()->Active()) return true;
    if (UsesMemTable() && IsExtendedScrolling()) return ExtendedWheelStep(true, Shift, MousePos);
    MoveBy(1);
    return true;
}

bool TCustomDBGridEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (!DataLink()->Active()) return true;
    if (UsesMemTable() && IsExtendedScrolling()) return ExtendedWheelStep(false, Shift, MousePos);
    MoveBy(-1);
    return true;
}

bool TCustomDBGridEh::ExtendedWheelStep(bool Down, TShiftState Shift, TPoint MousePos) {
    // The control's own wheel event (fired by the control's handling) may take the step.
    if (Down ? TCustomControl::DoMouseWheelDown(Shift, MousePos)
             : TCustomControl::DoMouseWheelUp(Shift, MousePos))
        return true;
    const bool shift = Shift.Contains(ssShift), ctrl = Shift.Contains(ssCtrl);
    const int dir = Down ? 1 : -1;
    const int page = VisibleRowCount();
    TDataSet* ds = DataLink()->DataSet();
    if (shift && !ctrl) {
        if (Down)
            ds->Next();
        else
            ds->Prior();
    } else if (shift && ctrl) {
        MoveBy(dir * page);
    } else if (ctrl) {
        // Records not fetched yet would cut the page step short.
        if (Down && FIntMemTable && RowCount() - TopRow() - page < page)
            FIntMemTable->FetchRecords(page + TopRow() + page - RowCount());
        SafeMoveTop(TopRow() + dir * page, false);
    } else if (IsSmoothVertScroll()) {
        SmoothScrollBy(0, dir * GetVertScrollStep());
    } else {
        SafeMoveTop(TopRow() + dir, false);
    }
    return true;
}

bool TCustomDBGridEh::IsSmoothVertScroll() {
    return FVertScrollBar ? FVertScrollBar->SmoothStep() : TCustomDBAxisGridEh::IsSmoothVertScroll();
}

void TCustomDBGridEh::HandleSize(TMessage& Message) {
    BeginScrollRangeUpdate();
    {
        const auto end = qScopeGuard([this] { EndScrollRangeUpdate(); });
        TCustomDBAxisGridEh::WndProc(Message);
    }
    if (LayoutLock() > 0) {
        FSizeChanged = true;
    } else if (!FAutoFitColWidths || ComponentState().Contains(csDesigning)) {
        UpdateScrollRange();
        RecalcDataRowCount();
        UpdateVertScrollBar();
        if (FFilterEditMode) UpdateFilterEdit(false);
    } else {
        RequestLayoutUpdate();
        InvalidateEditor();
    }
    UpdateHorzExtScrollBar();
    UpdateScrollBarPanels();
    UpdateSearchPanel();
    if (FRowDetailPanel && FRowDetailPanel->Visible()) UpdateRowDetailPanel();
}

void TCustomDBGridEh::ApplySizeChange() {
    FSizeChanged = false;
    const bool designing = ComponentState().Contains(csDesigning);
    if (!designing && (FAutoFitColWidths || (FIndicatorOffset && ColWidths(0) != CalcIndicatorColWidth()))) {
        RequestLayoutUpdate();
        InvalidateEditor();
    } else {
        RecalcDataRowCount();
        UpdateVertScrollBar();
        if (FFilterEditMode) UpdateFilterEdit(false);
    }
}

void TCustomDBGridEh::WndProc(TMessage& Message) {
    InTitleFilterListboxCancelCheck(Message);
    if (RouteGridMessage(Message)) return;
    if (Message.Msg == CM_HINTSHOWPAUSE || Message.Msg == CM_HINTSHOW) {
        TCustomDBAxisGridEh::WndProc(Message);
        if (Message.Msg == CM_HINTSHOWPAUSE)
            HandleHintShowPause(Message);
        else if (Message.Result == 0)
            HandleHintShow(Message);
        return;
    }
    if (Message.Msg == WM_VSCROLL) {
        // The window's bar gives the 32-bit track position; an external or panel bar sends its
        // position with the code, and a thumb that did not move reports the code's position.
        const int code = LoWord(Message.WParam);
        int pos = SmallInt(HiWord(Message.WParam));
        if ((code == SB_THUMBPOSITION || code == SB_THUMBTRACK) && !VertScrollBar()->ExtScrollBar() &&
            !ScrollBarPanel()) {
            SCROLLINFO si{};
            si.cbSize = sizeof(si);
            si.fMask = SIF_POS | SIF_TRACKPOS;
            ::GetScrollInfo(Handle(), SB_VERT, &si);
            if (si.nTrackPos != si.nPos || Word(si.nPos) == HiWord(Message.WParam)) pos = si.nTrackPos;
        }
        ModifyScrollBar(SB_VERT, code, pos, true);
        Message.Result = 0;
        return;
    }
    switch (Message.Msg) {
    case WM_CHAR:
        HandleChar(Message);
        return;
    case WM_SIZE:
        // A new height is a new page: plain mode reads as many records as rows fit.
        HandleSize(Message);
        return;
    case WM_HSCROLL:
        if (LoWord(Message.WParam) == SB_THUMBTRACK && FHorzScrollBar->Tracking()) {
            Perform(WM_HSCROLL, MAKEWPARAM(Word(SB_THUMBPOSITION), HiWord(Message.WParam)), Message.LParam);
        } else {
            TCustomDBAxisGridEh::WndProc(Message);
        }
        UpdateHorzExtScrollBar();
        return;
    case WM_SETCURSOR:
        if (HandleSetCursor(Message)) return;
        break;
    case CM_MOUSELEAVE:
        TCustomDBAxisGridEh::WndProc(Message);
        if (FOptionsEh.Contains(dghHotTrack) && HotTrackCell().Y > 0) {
            const int row = HotTrackCell().Y;
            FHotTrackCell = TGridCoord{-1, -1};
            if (row < RowCount()) InvalidateRow(row);
        }
        return;
    case CM_FONTCHANGED: {
        TCustomDBAxisGridEh::WndProc(Message);
        // Fonts that follow the grid's font follow it now; the row heights come from it.
        BeginLayout();
        const auto end = qScopeGuard([this] { EndLayout(); });
        FontChangedHere();
        if (FDataGrouping) FDataGrouping->RefreshDefaultFont();
        if (FSTFilter) FSTFilter->RefreshDefaultFont();
        LayoutChanged();
        return;
    }
    case WM_TIMER:
        if (Message.WParam == 2) {
            SearchTimerTick();
            return;
        }
        if (Message.WParam == 1 && FDBGridEhState == dgsRowMoving) {
            RowMovingTimerTick();
            return;
        }
        break;
    default:
        break;
    }
    TCustomDBAxisGridEh::WndProc(Message);
    if (Message.Msg == WM_GETDLGCODE && FOptionsEh.Contains(dghPreferIncSearch))
        Message.Result |= DLGC_WANTCHARS;
}
