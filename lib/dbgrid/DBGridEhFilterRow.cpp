// The grid side of column filters: the column's filter object, the filter row and its editor,
// the in-title filter list, filling the drop-down lists, and applying and clearing the filter.
//
// The filter editor is one combo box the grid moves from filter cell to filter cell. FFilterCol
// is the data column whose cell it edits (kept after editing ends); the editor's FColumn is that
// column while the editor is shown and nullptr otherwise.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhCenter.h"
#include "lib/dbgrid/DBGridEhFilterRow.h"
#include "lib/dbgrid/DBGridEhSelection.h"
#include "platform/ui/WinApi.h"

#include <QScopeGuard>
#include <QTimer>
#include <QWidget>

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// The column's filter and its host

namespace {

class TColumnSTFilterHost : public ISTFilterColumnEh {
public:
    explicit TColumnSTFilterHost(TColumnEh* Column) : FColumn(Column) {}
    TField* STFilterField() override { return FColumn->Field(); }
    String STFilterFieldName() override { return FColumn->FieldName(); }
    TStrings* STFilterKeyList() override { return FColumn->HasKeyList() ? FColumn->KeyList() : nullptr; }
    TStrings* STFilterPickList() override { return FColumn->HasPickList() ? FColumn->PickList() : nullptr; }
    TDataSet* STFilterGridDataSet() override {
        TCustomDBGridEh* g = FColumn->Grid();
        return g && g->DataLink() && g->DataLink()->Active() ? g->DataLink()->DataSet() : nullptr;
    }
    TSTFilterDefaultOperatorEh STFilterDefaultOperator(TSTColumnFilterEh*,
                                                       const TSTFilterExpressionEh& Expression) override {
        TCustomDBGridEh* g = FColumn->Grid();
        TDBGridEhCenter* center = g ? g->Center() : nullptr;
        return center ? center->GetSTFilterDefaultOperator(g, FColumn, Expression) : fdoAuto;
    }
    void STFilterChanged(TSTColumnFilterEh*, const String* EditorText) override {
        TCustomDBGridEh* g = FColumn->Grid();
        if (!g) return;
        g->Invalidate();
        TInplaceFilterEditEh* edit = g->FilterEdit();
        if (EditorText && edit && edit->Visible() && edit->FColumn == FColumn) edit->SetText(*EditorText);
    }
    void STFilterApplyIfInstant() override {
        TCustomDBGridEh* g = FColumn->Grid();
        if (g && g->STFilter()->InstantApply()) g->ApplyFilter();
    }
    void STFilterVisibleChanged() override { FColumn->NotifyChanged(true); }
    void STFilterDropFieldValueList() override { FColumn->DropFieldValueList(); }

private:
    TColumnEh* FColumn;
};

} // namespace

TSTColumnFilterEh* TColumnEh::CreateSTFilter() {
    if (!FSTFilterHost) FSTFilterHost = std::make_unique<TColumnSTFilterHost>(this);
    return new TSTColumnFilterEh(FSTFilterHost.get());
}

TSTColumnFilterEh* TColumnEh::STFilter() const {
    // Made with the column; a column still under construction makes it here.
    if (!FSTFilter) FSTFilter.reset(const_cast<TColumnEh*>(this)->CreateSTFilter());
    return FSTFilter.get();
}

std::shared_ptr<IMemTableDataFieldValueListEh> TColumnEh::GetCurrentFieldValueList() {
    TSTColumnFilterEh* filter = STFilter();
    TCustomDBGridEh* g = Grid();
    TDataSet* gridDataSet =
        g && g->DataLink() && g->DataLink()->Active() ? g->DataLink()->DataSet() : nullptr;
    const void* source = filter->ListSource() ? static_cast<const void*>(filter->ListSource()) : gridDataSet;
    // A list read from another data set (the grid was given a new one) is stale.
    if (FFieldValueList && FFieldValueListSource == source) return FFieldValueList;
    FFieldValueList.reset();
    FFieldValueListSource = source;
    if (filter->ListSource()) {
        FFieldValueList = filter->GetFieldValueList();
    } else {
        IMemTableEh* mt = nullptr;
        // The filter's data field: a lookup column lists its key values.
        const String field = filter->CurrentDataField();
        if (gridDataSet && !field.isEmpty() && Supports<IMemTableEh>(gridDataSet, &mt))
            mt->GetFieldValueList(field, FFieldValueList);
    }
    return FFieldValueList;
}

// ---------------------------------------------------------------------------------------------
// The filter editor

TInplaceFilterEditEh::TInplaceFilterEditEh(TComponent* AOwner) : TDBComboBoxEh(AOwner) {}

TCustomDBGridEh* TInplaceFilterEditEh::GetGrid() const {
    return dynamic_cast<TCustomDBGridEh*>(Owner());
}

void TInplaceFilterEditEh::TextAreaRect(TRect& Rect) {
    TDBComboBoxEh::TextAreaRect(Rect);
    Rect.Top += 1;
    TCustomDBGridEh* g = GetGrid();
    if (g && g->UseRightToLeftAlignment())
        Rect.Left += 1;
    else
        Rect.Right -= 1;
}

void TInplaceFilterEditEh::CloseUp(bool Accept) {
    // A value row running inside the list keeps it open.
    if (FColumn && FColumn->STFilter()->InFilterListBox()) return;
    TDBComboBoxEh::CloseUp(Accept);
}

TColor TInplaceFilterEditEh::ListColor() {
    TCustomDBGridEh* g = GetGrid();
    return g ? g->Color() : TDBComboBoxEh::ListColor();
}

TFont* TInplaceFilterEditEh::ListFont() {
    TCustomDBGridEh* g = GetGrid();
    return g ? g->Font() : TDBComboBoxEh::ListFont();
}

void TInplaceFilterEditEh::SelectNextValue(bool IsPrior) {
    if (!EditCanModify()) return;
    RequestItems();
    TStrings* items = Items();
    const int count = items->Count();
    const int old = ItemIndex();
    auto isData = [&](int i) { return items->Objects(i) == PopupListboxItemEhData(); };
    int found = -1;
    if (IsPrior) {
        // The search stops above the first row.
        for (int i = old == -1 ? count - 1 : old - 1; i >= 1; --i)
            if (isData(i)) {
                found = i;
                break;
            }
    } else {
        for (int i = old + 1; i < count; ++i)
            if (isData(i)) {
                found = i;
                break;
            }
    }
    if (found < 0 || found == old) return;
    ApplyItemIndex(found);
    SelectAll();
}

// ---------------------------------------------------------------------------------------------
// The centre

TDBGridEhCenter* TCustomDBGridEh::Center() const {
    return FCenter ? FCenter : DefaultGridCenter();
}

void TCustomDBGridEh::SetCenter(TDBGridEhCenter* Value) {
    if (Value == FCenter) return;
    if (FCenter) FCenter->RemoveChangeNotification(this);
    FCenter = Value;
    if (FCenter) FCenter->AddChangeNotification(this);
}

void TCustomDBGridEh::FilterColumnDestroying(TColumnEh* Column) {
    if (FFilterEdit && FFilterEdit->FColumn == Column) {
        FFilterEdit->FColumn = nullptr;
        if (FFilterEdit->ListVisible()) FFilterEdit->TDBComboBoxEh::CloseUp(false);
        FFilterEdit->SetVisible(false);
        FFilterEditMode = false;
        FFilterCol = -1;
    }
    if (FInTitleFilterListboxColumn == Column) {
        if (FInTitleFilterListboxVisible && FInTitleFilterListbox) {
            FInTitleFilterListbox->SetVisible(false);
            FInTitleFilterListboxVisible = false;
        }
        FInTitleFilterListboxColumn = nullptr;
    }
}

void TCustomDBGridEh::DestroyFilterParts() {
    if (FCenter) FCenter->RemoveChangeNotification(this);
    FCenter = nullptr;
    FFilterEditMode = false;
    delete FInTitleFilterListboxWatch;
    FInTitleFilterListboxWatch = nullptr;
    // The editor and the list are owned components: they may be gone already.
    auto owned = [this](TComponent* c) {
        for (int i = 0; i < ComponentCount(); ++i)
            if (Components(i) == c) return true;
        return false;
    };
    if (!owned(FFilterEdit)) FFilterEdit = nullptr;
    if (!owned(FInTitleFilterListbox)) FInTitleFilterListbox = nullptr;
    if (FFilterEdit) {
        FFilterEdit->FColumn = nullptr;
        FFilterEdit->Free();
        FFilterEdit = nullptr;
    }
    if (FInTitleFilterListbox) {
        FInTitleFilterListbox->Free();
        FInTitleFilterListbox = nullptr;
    }
    FInTitleFilterListboxColumn = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Which cells take a filter

bool TCustomDBGridEh::IsFilterableColumn(int Index) {
    TColumnEh* c = DataColumn(Index);
    return c && c->Visible() && c->STFilter()->Visible() && FSTFilter->Location() == stflUnderTitleFilterEh;
}

String TCustomDBGridEh::GetColumnFilterText(int Index) {
    TColumnEh* c = DataColumn(Index);
    return c && !c->FieldName().isEmpty() ? c->STFilter()->ExpressionStr() : String();
}

bool TCustomDBGridEh::IsFilterRowCell(int, int ARow, TPoint) {
    return GetFilterRowCount() > 0 && ARow == TopDataOffset() - 1;
}

bool TCustomDBGridEh::IsFilterEditActive() {
    if (!FFilterEditMode) return false;
    // A selection that a move would clear hides the editor.
    return !(Selection()->SelectionType() != gstNon && FOptionsEh.Contains(dghClearSelection));
}

void TCustomDBGridEh::SetFilterEditMode(bool Value) {
    if (Value)
        StartFilterEdit(SelectedIndex());
    else
        StopFilterEdit();
}

// ---------------------------------------------------------------------------------------------
// Editing lifecycle

TInplaceFilterEditEh* TCustomDBGridEh::CreateFilterEditor() {
    return Create<TInplaceFilterEditEh>(this);
}

void TCustomDBGridEh::StartFilterEdit(int Index) {
    if (!FSTFilter->Visible() || !IsFilterableColumn(Index) ||
        FSTFilter->Location() != stflUnderTitleFilterEh)
        return;
    if (DataLink()->Active()) DataLink()->DataSet()->CheckBrowseMode();
    if (!FFilterEdit) {
        FFilterEdit = CreateFilterEditor();
        FFilterEdit->SetVisible(false);
        FFilterEdit->SetParent(this);
        // Hosted in place: the grid sees its keys first and it shows where it is moved to.
        FFilterEdit->SetInplaceEditHolder(this);
        FFilterEdit->SetBorderStyle(bsNone);
        FFilterEdit->TControl::SetFont(FSTFilter->Font());
        FFilterEdit->SetColor(FSTFilter->GetColor());
        FFilterEdit->OnKeyPress = TKeyPressEvent(this, &TCustomDBGridEh::FilterEditKeyPress);
        FFilterEdit->SetFlat(Flat());
        FFilterEdit->PopupListbox()->SetUseItemObjects(true);
    }
    if (FFilterCol != -1 && FFilterEdit->Visible()) HideFilterEdit();
    FFilterCol = Index;
    FFilterEditMode = true;
    HideEditor();
    if (RowPanelMode()) {
        // Every column lies in the one panel cell: the column itself becomes the current one.
        if (Index != FInRowPanelCol) SetInRowPanelCol(Index);
        FFilterCol = Index;
        FFilterEditMode = true;
    } else {
        const int gridCol = Index + FIndicatorOffset;
        if (FOptions.Contains(dgRowSelect)) {
            if (gridCol >= LeftCol() + VisibleColCount()) {
                int left = LeftCol();
                while (left < gridCol && CellRect(gridCol, Row()).Right >= ClientWidth() &&
                       left < ColCount() - 1) {
                    ++left;
                    SetLeftCol(left);
                }
            } else if (gridCol >= FixedCols() && gridCol < LeftCol()) {
                SetLeftCol(gridCol);
            }
        } else if (Col() != gridCol) {
            SetCol(gridCol);
        }
        // Moving to the column may have ended filter editing; the cell stays the one asked for.
        FFilterCol = Index;
        FFilterEditMode = true;
    }
    InvalidateRow(TopDataOffset() - 1);
    InvalidateRow(Row());
    UpdateFilterEdit(true);
}

TRect TCustomDBGridEh::FilterEditRect(int Index) {
    if (RowPanelMode()) {
        TColumnEh* c = DataColumn(Index);
        TRect r = c ? RowPanelColumnRect(TopDataOffset() - 1, c, true) : TRect();
        r.Left += 1;
        return r;
    }
    TRect r = CellRect(Index + FIndicatorOffset, TopDataOffset() - 1);
    if (FExtraFirstColumnWidth > 0 && DataColumn(Index) == VisibleColumn(0) && FullDataRowCount() > 0)
        r.Left -= FExtraFirstColumnWidth;
    r.Left += 1;
    return r;
}

void TCustomDBGridEh::UpdateFilterEdit(bool Reload) {
    if (FSTFilter->UpdateCount() > 0) return;
    if (!FSTFilter->Visible() || FSTFilter->Location() == stflInTitleFilterEh ||
        !IsFilterableColumn(FFilterCol) || !FFilterEditMode) {
        SetFilterEditMode(false);
        return;
    }
    const TRect r = FilterEditRect(FFilterCol);
    TColumnEh* column = DataColumn(FFilterCol);
    if (column->STFilter()->InFilterListBox()) {
        FFilterEdit->SetBounds(r.Left, r.Top, r.Width(), r.Height());
        return;
    }
    if (!IsFilterEditActive()) {
        HideFilterEdit();
        return;
    }
    if (Reload) FFilterEdit->Move(TRect(0, 0, 0, 0));
    if (Reload) InitFilterEditor(FFilterCol);
    FFilterEdit->Move(r);
    if (HandleAllocated() && FFilterEdit->CanFocus()) FFilterEdit->SetFocus();
    if (Reload) FFilterEdit->SelectAll();
    if (HandleAllocated()) FFilterEdit->Perform(EM_SCROLLCARET, 0, 0);
}

void TCustomDBGridEh::InitFilterEditor(int Index) {
    if (FFilterEdit->Items()->UpdateCount() > 0) return;
    TColumnEh* column = DataColumn(Index);
    if (!column) return;
    ++FFilterEditTextLock;
    const auto unlock = qScopeGuard([this] { --FFilterEditTextLock; });
    TSTColumnFilterEh* filter = column->STFilter();
    FFilterEdit->FColumn = column;
    FFilterEdit->Items()->Clear();
    FFilterEdit->OnCloseUp = TCloseUpEventEh(this, &TCustomDBGridEh::FilterEditCloseUp);
    FFilterEdit->OnClosingUp = TAcceptEventEh(this, &TCustomDBGridEh::FilterEditClosingUp);
    FFilterEdit->OnGetItemsList = TNotifyEvent(this, &TCustomDBGridEh::FilterEditGetItemsList);
    FFilterEdit->SetText(String());
    FFilterEdit->SetValue(Null());
    FFilterEdit->OnButtonClick = {};
    FFilterEdit->EditButton()->SetVisible(true);
    FFilterEdit->DropDownBox()->Sizable = true;
    if (!filter->CurrentKeyField().isEmpty()) FFilterEdit->SetValue(filter->KeyValues());
    FFilterEdit->SetText(filter->ExpressionStr());
    FFilterEdit->DropDownBox()->Width = filter->DropDownListWidth() > 0 ? filter->DropDownListWidth() : 100;
    FFilterEdit->DropDownBox()->Rows = filter->DropDownListRows() > 0 ? filter->DropDownListRows() : 17;
}

void TCustomDBGridEh::HideFilterEdit() {
    TColumnEh* editing = FFilterEdit ? FFilterEdit->FColumn : nullptr;
    if (FFilterEdit) FFilterEdit->FColumn = nullptr;
    if (!FFilterEdit || !FFilterEdit->Visible()) return;
    // The text is taken before the editor goes: a text the parser refuses leaves the editor
    // shown with what the user typed.
    if (FFilterCol != -1) {
        try {
            ApplyFilterEditText(FFilterCol);
        } catch (...) {
            FFilterEdit->FColumn = editing;
            throw;
        }
    }
    if (Visible() && CanFocus() && FFilterEdit->Focused()) SetFocus();
    if (FFilterEdit->ListVisible()) FFilterEdit->TDBComboBoxEh::CloseUp(false);
    FFilterEdit->SetVisible(false);
    if (FFilterCol != -1)
        InvalidateCell(RowPanelMode() ? FIndicatorOffset : FFilterCol + FIndicatorOffset, TopDataOffset() - 1);
}

void TCustomDBGridEh::StopFilterEdit() {
    if (FSTFilter->UpdateCount() > 0) return;
    HideFilterEdit();
    if (FFilterEditMode) {
        FFilterEditMode = false;
        if (GetFilterRowCount() > 0) InvalidateRow(TopDataOffset() - 1);
        InvalidateRow(Row());
    }
}

void TCustomDBGridEh::ApplyFilterEditText(int Index) {
    TColumnEh* column = DataColumn(Index);
    if (!column || column->FieldName().isEmpty() || !FFilterEdit) return;
    column->STFilter()->ParseExpressionStr(FFilterEdit->Text());
}

void TCustomDBGridEh::ApplyCurrentFilterEditText() {
    if (FFilterCol != -1) ApplyFilterEditText(FFilterCol);
}

// ---------------------------------------------------------------------------------------------
// Filling the lists

void TCustomDBGridEh::FillSTFilterListItems(TSTColumnFilterEh* Filter, TStrings* Items, int& Width,
                                            TPopupListboxEh* ListControl) {
    TColumnEh* column = nullptr;
    for (int i = 0; i < Columns()->Count() && !column; ++i)
        if (Columns()->Columns(i)->STFilter() == Filter) column = Columns()->Columns(i);
    if (!column) return;
    bool processed = false;
    if (OnFillSTFilterListValues) OnFillSTFilterListValues(this, column, Items, processed);
    if (column->OnFillSTFilterListValues) column->OnFillSTFilterListValues(this, column, Items, processed);
    TDBGridEhCenter* center = Center();
    if (center && center->OnFillSTFilterListValues)
        center->OnFillSTFilterListValues(this, column, Items, processed);
    if (!processed) DefaultFillSTFilterListValues(column, Items);

    if (ListControl) {
        TCanvas* c = ListControl->Canvas();
        // Both lists show the grid's font once dropped down; they may not carry it yet.
        c->Font()->Assign(Font());
        // The list's frame is as wide at the sides as at the top and bottom.
        const int border = ListControl->NonClientHeight() / 2;
        for (int i = 0; i < Items->Count(); ++i) {
            TObject* o = Items->Objects(i);
            if (!o || o == PopupListboxItemEhData()) continue;
            const int w = c->TextWidth(Items->Strings(i)) + FilterCheckBoxWidth() +
                          GetSystemMetrics(SM_CXVSCROLL) + 2 * border + 4;
            Width = std::max(Width, w);
        }
    }
    Filter->SetPopupListboxDownIndex(-1);
    Items->BeginUpdate();
    for (int i = 0; i < Items->Count(); ++i)
        if (!Items->Objects(i)) Items->PutObject(i, PopupListboxItemEhData());
    Items->EndUpdate();
    Filter->ListValuesCheckingState().assign(size_t(Items->Count()), false);
}

void TCustomDBGridEh::DefaultFillSTFilterListValues(TColumnEh* Column, TStrings* Items) {
    DefaultFillSTFilterListCommandValues(Column, Items);
    DefaultFillSTFilterListDataValues(Column, Items);
}

void TCustomDBGridEh::DefaultFillSTFilterListCommandValues(TColumnEh* Column, TStrings* Items) {
    if (TDBGridEhCenter* center = Center()) center->DefaultFillSTFilterListCommandValues(this, Column, Items);
}

void TCustomDBGridEh::DefaultFillSTFilterListDataValues(TColumnEh* Column, TStrings* Items) {
    if (TDBGridEhCenter* center = Center()) center->DefaultFillSTFilterListDataValues(this, Column, Items);
}

// ---------------------------------------------------------------------------------------------
// Editor events

void TCustomDBGridEh::FilterEditGetItemsList(TObject*) {
    TColumnEh* column = DataColumn(FFilterCol);
    if (!column || !FFilterEdit) return;
    TSTColumnFilterEh* filter = column->STFilter();
    int width = FFilterEdit->DropDownBox()->Width;
    FillSTFilterListItems(filter, FFilterEdit->Items(), width, FFilterEdit->PopupListbox());
    FFilterEdit->DropDownBox()->Width = width;
    filter->CheckItemsFromExpression(FFilterEdit->Items(), PopupListboxItemEhData());
}

void TCustomDBGridEh::FilterEditClosingUp(TObject*, bool& Accept) {
    TColumnEh* column = DataColumn(FFilterCol);
    if (!column) return;
    TSTColumnFilterEh* filter = column->STFilter();
    filter->SetPopupListboxDownIndex(-1);
    if (FFilterEdit->Visible()) {
        filter->SetDropDownListWidth(FFilterEdit->DropDownBox()->Width);
        filter->SetDropDownListRows(FFilterEdit->DropDownBox()->Rows);
    }
    if (!Accept) return;
    TPopupListboxEh* list = FFilterEdit->PopupListbox();
    const int i = list->ItemIndex();
    TStrings* items = FFilterEdit->Items();
    if (i >= 0 && i < items->Count())
        if (auto* item = dynamic_cast<TPopupListboxItemEh*>(items->Objects(i))) {
            item->Execute(list, i, TPoint(-1, -1), TShiftState());
            Accept = false;
        }
    filter->SetEnterNotClearData(false);
}

void TCustomDBGridEh::FilterEditCloseUp(TObject*, bool Accept) {
    TDBGridEhCenter* center = Center();
    if (Accept && center && center->FilterEditCloseUpApplyFilter) ApplyFilter();
}

void TCustomDBGridEh::FilterEditKeyPress(TObject*, Char& Key) {
    if (Key == QChar(13)) {
        Key = Char(0);
        ApplyFilter();
        return;
    }
    if (Key != QChar(u' ') || !FFilterEdit || !FFilterEdit->ListVisible()) return;
    const TShiftState shift = CurrentShiftKeys();
    if (shift != TShiftState{ssCtrl}) return;
    TPopupListboxEh* list = FFilterEdit->PopupListbox();
    const int i = list->ItemIndex();
    TStrings* items = FFilterEdit->Items();
    auto* item =
        i >= 0 && i < items->Count() ? dynamic_cast<TPopupListboxItemEh*>(items->Objects(i)) : nullptr;
    if (!item) return;
    TColumnEh* column = FFilterEdit->FColumn;
    if (item->CloseOnExecute(list, i))
        FFilterEdit->CloseUp(true);
    else
        item->Execute(list, i, TPoint(-1, -1), shift);
    if (column && FFilterEdit->FColumn == column) column->STFilter()->SetEnterNotClearData(true);
    if (FFilterEdit->ListVisible()) list->SetItemIndex(i);
    Key = Char(0);
}

// ---------------------------------------------------------------------------------------------
// The in-title list

TPopupListboxEh* TCustomDBGridEh::GetInTitleFilterListbox() {
    if (!FInTitleFilterListbox) {
        FInTitleFilterListbox = Create<TPopupListboxEh>(this);
        FInTitleFilterListbox->SetUseItemObjects(true);
        FInTitleFilterListbox->SetVisible(false);
        FInTitleFilterListbox->SetCtl3D(true);
        FInTitleFilterListbox->SetParent(this);
        FInTitleFilterListbox->OnMouseUp = TMouseEvent(this, &TCustomDBGridEh::InTitleFilterListboxMouseUp);
        FInTitleFilterListbox->OnKeyDown = TKeyEvent(this, &TCustomDBGridEh::InTitleFilterListboxKeyDown);
        FInTitleFilterListbox->OnKeyPress =
            TKeyPressEvent(this, &TCustomDBGridEh::InTitleFilterListboxKeyPress);
    }
    return FInTitleFilterListbox;
}

void TCustomDBGridEh::DropDownInTitleFilterListbox(TColumnEh* Column) {
    if (FInTitleFilterListboxVisible) CloseInTitleFilterListbox(false);
    const int index = DataColOf(Column);
    if (index < 0 || !Column->Visible()) return;
    const TRect r = RowPanelMode() ? RowPanelColumnRect(0, Column, true) : CellRect(index + FIndicatorOffset, 0);
    ShowInTitleFilterListbox(Column, r);
    InvalidateRow(0);
}

void TCustomDBGridEh::ShowInTitleFilterListbox(TColumnEh* Column, const TRect& Rect) {
    TPopupListboxEh* list = GetInTitleFilterListbox();
    TSTColumnFilterEh* filter = Column->STFilter();
    int width = filter->DropDownListWidth();
    filter->SetEnterNotClearData(false);
    list->Items()->Clear();
    FInTitleFilterListboxColumn = Column;
    FillSTFilterListItems(filter, list->Items(), width, list);
    list->SetWidth(std::max(Column->Width(), width));
    filter->CheckItemsFromExpression(list->Items(), PopupListboxItemEhData());
    list->SetColor(Color());
    list->TControl::SetFont(Font());
    list->SetItemHeight(list->GetTextHeight());
    list->SetRowCount(filter->DropDownListRows());

    const TPoint tl = ClientToScreen(TPoint(Rect.Left, Rect.Top));
    const TRect screenRect(tl.X, tl.Y, tl.X + Rect.Width(), tl.Y + Rect.Height());
    TPoint pos;
    PlaceDropDownNearRect(screenRect, list, UseRightToLeftAlignment() ? daRight : daLeft, pos);
    list->HandleNeeded();
    list->SetBounds(pos.X, pos.Y, list->Width(), list->Height());
    list->SizeGrip()->SetVisible(true);
    SetWindowPos(list->Handle(), HWND_TOP, pos.X, pos.Y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    list->SetVisible(true);
    FInTitleFilterListboxVisible = true;
    list->FSizeGripResized = false;
    delete FInTitleFilterListboxWatch;
    FInTitleFilterListboxWatch = new TPopupWatchEh(list, this, [this] {
        // Posted: the press that closes the list must not run inside the list's own handling.
        if (QWidget* w = Widget()) QTimer::singleShot(0, w, [this] { CloseInTitleFilterListbox(false); });
    });
}

void TCustomDBGridEh::CloseInTitleFilterListbox(bool Execute) {
    if (FInTitleFilterListboxColumn && FInTitleFilterListboxColumn->STFilter()->InFilterListBox()) return;
    if (FInTitleFilterListboxVisible && FInTitleFilterListbox) {
        TPopupListboxEh* list = FInTitleFilterListbox;
        // Closed from here on: the cancel mode sent below comes back to the grid.
        FInTitleFilterListboxVisible = false;
        delete FInTitleFilterListboxWatch;
        FInTitleFilterListboxWatch = nullptr;
        if (HWND capture = GetCapture()) SendMessage(capture, WM_CANCELMODE, 0, 0);
        const bool hadFocus = list->Focused();
        SetWindowPos(list->Handle(), nullptr, 0, 0, 0, 0,
                     SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
        list->SetVisible(false);
        if (list->FSizeGripResized && FInTitleFilterListboxColumn) {
            FInTitleFilterListboxColumn->STFilter()->SetDropDownListRows(list->RowCount());
            FInTitleFilterListboxColumn->STFilter()->SetDropDownListWidth(list->Width());
        }
        if (hadFocus && CanFocus()) SetFocus();
        FInTitleFilterListboxVisible = false;
        InvalidateRow(0);
        if (Execute) {
            const int i = list->ItemIndex();
            if (auto* item = i >= 0 && i < list->Items()->Count()
                                 ? dynamic_cast<TPopupListboxItemEh*>(list->Items()->Objects(i))
                                 : nullptr)
                item->Execute(list, i, TPoint(-1, -1), TShiftState());
        }
    }
    FInTitleFilterListboxGroupLevel = nullptr;
}

void TCustomDBGridEh::InTitleFilterListboxMouseUp(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
    if (Button != mbLeft || !FInTitleFilterListbox || !FInTitleFilterListbox->IsMouseUpCloseListbox()) return;
    CloseInTitleFilterListbox(FInTitleFilterListbox->ClientRect().Contains(TPoint(X, Y)));
}

void TCustomDBGridEh::InTitleFilterListboxKeyDown(TObject*, Word& Key, TShiftState) {
    if (Key == VK_ESCAPE) CloseInTitleFilterListbox(false);
}

void TCustomDBGridEh::InTitleFilterListboxKeyPress(TObject*, Char& Key) {
    if (Key == QChar(13)) {
        CloseInTitleFilterListbox(true);
    } else if (Key == QChar(u' ')) {
        TPopupListboxEh* list = FInTitleFilterListbox;
        const int i = list->ItemIndex();
        auto* item = i >= 0 && i < list->Items()->Count()
                         ? dynamic_cast<TPopupListboxItemEh*>(list->Items()->Objects(i))
                         : nullptr;
        if (item) {
            if (FInTitleFilterListboxColumn)
                FInTitleFilterListboxColumn->STFilter()->SetEnterNotClearData(true);
            if (item->CloseOnExecute(list, i))
                CloseInTitleFilterListbox(true);
            else
                item->Execute(list, i, TPoint(-1, -1), CurrentShiftKeys());
        }
        Key = Char(0);
    }
}

bool TCustomDBGridEh::FilterMouseDown(const TGridCoord& Cell, int AreaCol, int X, int Y) {
    if (FInTitleFilterListboxVisible) CloseInTitleFilterListbox(false);
    TColumnEh* column = Cell.X >= FIndicatorOffset ? DataColumn(AreaCol) : nullptr;
    if (RowPanelMode() && Cell.X >= FIndicatorOffset && Cell.Y >= 0) {
        // The panel column under the point.
        column = RowPanelColumnAtPoint(X, Y, Cell.Y);
        AreaCol = column ? DataColOf(column) : -1;
    }
    if (column && IsFilterRowCell(Cell.X, Cell.Y, TPoint(X, 0))) {
        StartFilterEdit(AreaCol);
        return true;
    }
    if (column && Cell.Y == 0 && TopDataOffset() > 0 && FSTFilter->Visible() &&
        FSTFilter->Location() == stflInTitleFilterEh) {
        const int bw = column->GetFilterButtonAreaWidth();
        const TRect r = RowPanelMode() ? RowPanelColumnRect(0, column, true) : CellRect(Cell.X, 0);
        const bool onButton = UseRightToLeftAlignment() ? X < r.Left + bw : X >= r.Right - bw;
        if (bw > 0 && onButton) {
            DropDownInTitleFilterListbox(column);
            return true;
        }
    }
    if (FFilterEditMode) StopFilterEdit();
    return false;
}

// ---------------------------------------------------------------------------------------------
// Applying and clearing

void TCustomDBGridEh::ApplyFilter() {
    if (FFilterCol != -1 && FFilterEdit && FFilterEdit->Visible()) ApplyFilterEditText(FFilterCol);
    const int left = LeftCol();
    struct After {
        TCustomDBGridEh* g;
        int left;
        ~After() {
            if (left < g->ColCount()) g->SetLeftCol(left);
            g->UpdateFilterEdit(true);
            if (g->FSumList && g->FSumList->Active()) g->FSumList->RecalcAll();
            g->Invalidate();
        }
    } after{this, left};
    if (OnApplyFilter)
        OnApplyFilter(this);
    else
        DefaultApplyFilter();
}

void TCustomDBGridEh::DefaultApplyFilter() {
    LockPaint();
    struct Unlock {
        TCustomDBGridEh* g;
        ~Unlock() {
            g->UnlockPaint();
            g->UpdateVertScrollBar();
            g->Invalidate();
        }
    } unlock{this};
    if (TDBGridEhCenter* center = Center()) center->ApplyFilter(this);
}

void TCustomDBGridEh::FilterRowVisibleChanged(bool Visible) {
    if (!Visible) StopFilterEdit();
    LayoutChanged();
    if (EditorMode()) InvalidateEditor();
}

void TCustomDBGridEh::FilterRowLayoutChanged() {
    LayoutChanged();
    if (FFilterEditMode) UpdateFilterEdit(false);
}

void TCustomDBGridEh::ClearFilter() {
    StopFilterEdit();
    for (int i = 0; i < Columns()->Count(); ++i)
        Columns()->Columns(i)->STFilter()->Clear();
    Invalidate();
}

// ---------------------------------------------------------------------------------------------
// Painting the filter row

void TCustomDBGridEh::DrawSTFilterCell(int ACol, int ARow, bool& Highlighted, TGridDrawState,
                                       const TRect& ARect, TPoint CellType, int, int DataCol) {
    TCanvas* c = Canvas();
    TColumnEh* column = DataColumn(DataCol);
    Highlighted = false;
    if (!column || ACol < IndicatorOffset()) {
        TColor color = FixedColor();
        Highlighted = GetHighlightedFixedCellColors(c->Font(), color, false, CellType);
        c->Brush()->SetColor(color);
        c->FillRect(ARect);
        return;
    }
    c->Brush()->SetColor(FSTFilter->GetColor());
    c->FillRect(ARect);
    if (!column->STFilter()->Visible()) return;
    // The editor follows its cell when the grid scrolled or resized its columns.
    if (FFilterEditMode && DataCol == FFilterCol && FFilterEdit && FFilterEdit->Visible()) {
        const TRect r = FilterEditRect(FFilterCol);
        if (FFilterEdit->BoundsRect() != r) FFilterEdit->SetBounds(r.Left, r.Top, r.Width(), r.Height());
        return;
    }
    // The button that drops the list down sits at the cell's right end.
    const int bw = std::min(ARect.Width() / 2, InplaceEditorButtonWidth());
    TRect button(ARect.Right - bw, ARect.Top, ARect.Right, ARect.Bottom);
    const TGridCoord hot = HotTrackCell();
    bool drawButton = false;
    switch (FSTFilter->FilterButtonDrawTime()) {
    case fbdtAlwaysEh:
        drawButton = true;
        break;
    case fbdtWhenRowHotEh:
        drawButton = hot.Y == ARow;
        break;
    case fbdtWhenCellHotEh:
        drawButton = hot.Y == ARow && hot.X == ACol;
        break;
    }
    if (drawButton && bw > 4)
        DrawStyledButton(c, button, clNone, bcsDropDownEh, 0, true, false, true, cbUnchecked);
    else
        button.Left = ARect.Right;
    const String text = GetColumnFilterText(DataCol);
    if (text.isEmpty()) return;
    c->Font()->Assign(FSTFilter->Font());
    c->Brush()->SetStyle(bsClear);
    TRect textRect(ARect.Left + 2, ARect.Top, button.Left - 1, ARect.Bottom);
    const int y = (ARect.Top + ARect.Bottom - c->TextHeight(text)) / 2;
    c->TextRect(textRect, textRect.Left, y, text);
    c->Brush()->SetStyle(bsSolid);
}

// ---------------------------------------------------------------------------------------------
// Stored settings of the filter row. The font is stored only while it is the row's own; the
// colours only while they are not the defaults taken from the grid.

inline ::PTypeInfo KvtTypeInfo(TSTFilterLocationEh*) {
    static const ::PTypeInfo ti =
        ::MakeEnumTypeInfo("TSTFilterLocationEh", "stflUnderTitleFilterEh, stflInTitleFilterEh");
    return ti;
}

inline ::PTypeInfo KvtTypeInfo(TDBGridFilterButtonDrawTimeEh*) {
    static const ::PTypeInfo ti = ::MakeEnumTypeInfo("TDBGridFilterButtonDrawTimeEh",
                                                     "fbdtAlwaysEh, fbdtWhenRowHotEh, fbdtWhenCellHotEh");
    return ti;
}

KVT_PUBLISHED(TSTDBGridEhFilter) {
    using C = TSTDBGridEhFilter;
    P.Prop("Color", &C::Color, &C::SetColor).Default(clDefault);
    P.Prop("FilterButtonDrawTime", &C::FilterButtonDrawTime, &C::SetFilterButtonDrawTime).Default(fbdtAlwaysEh);
    P.Prop("Font", &C::Font, &C::SetFont).Stored([](C* f) { return !f->ParentFont(); });
    P.Prop("HorzLineColor", &C::HorzLineColor, &C::SetHorzLineColor).Default(clDefault);
    P.Prop("InstantApply", &C::InstantApply, &C::SetInstantApply).Stored([](C* f) {
        return f->IsInstantApplyStored();
    });
    P.Prop("Local", &C::Local, &C::SetLocal).Default(false);
    P.Prop("Location", &C::Location, &C::SetLocation).Default(stflUnderTitleFilterEh);
    P.Prop("ParentFont", &C::ParentFont, &C::SetParentFont).Default(true);
    P.Prop("RowHeight", &C::RowHeight, &C::SetRowHeight).Default(0);
    P.Prop("RowLines", &C::RowLines, &C::SetRowLines).Default(0);
    P.Prop("VertLineColor", &C::VertLineColor, &C::SetVertLineColor).Default(clDefault);
    P.Prop("Visible", &C::Visible, &C::SetVisible).Default(false);
}
