// The row objects of the grid's filter drop-down lists: how each kind of row draws, reacts to
// the mouse and runs.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhCenter.h"
#include "lib/dbgrid/DBGridEhFilterRow.h"
#include "lib/dbgrid/DBGridEhGrouping.h"
#include "lib/dbgrid/DBGridEhSimpleFilterDlg.h"
#include "platform/ui/WinApi.h"

namespace {

struct SharedItems {
    // Made in this order; the order is the one the program has always used.
    TPopupListboxItemEhLine Line;
    TPopupListboxItemEhSort SortUp{smUpEh};
    TPopupListboxItemEhSort SortDown{smDownEh};
    TPopupListboxItemEhSpec Spec[6] = {TPopupListboxItemEhSpec(ptFilterSpecItemClearFilter),
                                       TPopupListboxItemEhSpec(ptFilterSpecItemAll),
                                       TPopupListboxItemEhSpec(ptFilterSpecItemEmpties),
                                       TPopupListboxItemEhSpec(ptFilterSpecItemNotEmties),
                                       TPopupListboxItemEhSpec(ptFilterSpecItemDialog),
                                       TPopupListboxItemEhSpec(ptFilterApply)};
    TPopupListboxItemEhData Data;
};

SharedItems& Shared() {
    static SharedItems items;
    return items;
}

TCustomDBGridEh* GridOf(TColumnEh* Column) {
    return Column ? Column->Grid() : nullptr;
}

} // namespace

TPopupListboxItemEhLine* PopupListboxItemEhLine() {
    return &Shared().Line;
}
TPopupListboxItemEhSort* PopupListboxItemEhSort(TSortMarkerEh State) {
    return State == smUpEh ? &Shared().SortUp : &Shared().SortDown;
}
TPopupListboxItemEhSpec* PopupListboxItemEhSpec(TPopupListboxItemEhSpecType Type) {
    return &Shared().Spec[Type];
}
TPopupListboxItemEhData* PopupListboxItemEhData() {
    return &Shared().Data;
}

int FilterCheckBoxWidth() {
    return CheckBoxSize().cx;
}

// ---------------------------------------------------------------------------------------------

TColumnEh* TDBGridFilterPopupListboxItemEh::GetFilterColumn(TPopupListboxEh* Sender) {
    if (!Sender) return nullptr;
    if (auto* grid = dynamic_cast<TCustomDBGridEh*>(Sender->Owner()))
        return grid->InTitleFilterListboxColumn();
    if (auto* edit = dynamic_cast<TInplaceFilterEditEh*>(Sender->Owner())) return edit->FColumn;
    return nullptr;
}

void TDBGridFilterPopupListboxItemEh::DrawTextAfterMargin(TPopupListboxEh* Sender, int ItemIndex,
                                                          const TRect& ARect, TOwnerDrawState State) {
    const int margin = FilterCheckBoxWidth() + 2;
    TRect r = ARect;
    if (Sender->UseRightToLeftAlignment())
        r.Right -= margin;
    else
        r.Left += margin;
    Sender->DefaultDrawItem(ItemIndex, r, State);
}

// ---------------------------------------------------------------------------------------------
// Sort rows

TObject* TPopupListboxItemEhSort::GetGroupLevel(TPopupListboxEh* Sender) {
    if (auto* grid = dynamic_cast<TCustomDBGridEh*>(Sender->Owner()))
        return grid->InTitleFilterListboxGroupLevel();
    return nullptr;
}

void TPopupListboxItemEhSort::DrawItem(TPopupListboxEh* Sender, int ItemIndex, const TRect& ARect,
                                       TOwnerDrawState State) {
    TColumnEh* column = GetFilterColumn(Sender);
    TCustomDBGridEh* grid = GridOf(column);
    if (grid && (FSortState == smUpEh || FSortState == smDownEh)) {
        TCanvas* c = Sender->Canvas();
        TDBGridEhStyle& style = grid->PaintStyle();
        const TSortMarkerStyleEh smStyle = grid->TitleParams()->SortMarkerStyle();
        TSize size;
        style.GetSortMarkerSize(c, smStyle, size);
        const int w = FilterCheckBoxWidth();
        TRect m;
        m.Left = (2 * ARect.Left + w - size.cx + 2) / 2;
        m.Top = (ARect.Top + ARect.Bottom - size.cy) / 2;
        m.Right = m.Left + size.cx - 1;
        m.Bottom = m.Top + size.cy - 1;
        style.DrawSortMarker(c, smStyle, m, false, FSortState, column);
    }
    DrawTextAfterMargin(Sender, ItemIndex, ARect, State);
}

void TPopupListboxItemEhSort::Execute(TPopupListboxEh* Sender, int, TPoint, TShiftState) {
    TColumnEh* column = GetFilterColumn(Sender);
    TCustomDBGridEh* grid = GridOf(column);
    if (TObject* level = GetGroupLevel(Sender)) {
        if (auto* groupLevel = dynamic_cast<TGridDataGroupLevelEh*>(level)) {
            if (FSortState == smUpEh) groupLevel->SetSortOrder(soAscEh);
            if (FSortState == smDownEh) groupLevel->SetSortOrder(soDescEh);
        }
        return;
    }
    if (!column || !grid) return;
    column->Title()->SetSortMarker(FSortState);
    grid->SortMarkingChanged();
}

// ---------------------------------------------------------------------------------------------
// The separator

void TPopupListboxItemEhLine::DrawItem(TPopupListboxEh* Sender, int, const TRect& ARect, TOwnerDrawState) {
    TCanvas* c = Sender->Canvas();
    c->Brush()->SetColor(Sender->Color());
    c->FillRect(ARect);
    c->Pen()->SetColor(clSilver);
    c->Pen()->SetWidth(1);
    const int y = (ARect.Top + ARect.Bottom) / 2;
    c->MoveTo(ARect.Left, y);
    c->LineTo(ARect.Right, y);
}

// ---------------------------------------------------------------------------------------------
// Filter commands

void TPopupListboxItemEhSpec::DrawItem(TPopupListboxEh* Sender, int ItemIndex, const TRect& ARect,
                                       TOwnerDrawState State) {
    TCanvas* c = Sender->Canvas();
    c->FillRect(TRect(ARect.Left, ARect.Top, ARect.Left + FilterCheckBoxWidth() + 2, ARect.Bottom));
    DrawTextAfterMargin(Sender, ItemIndex, ARect, State);
}

void TPopupListboxItemEhSpec::Execute(TPopupListboxEh* Sender, int, TPoint, TShiftState) {
    TColumnEh* column = GetFilterColumn(Sender);
    if (!column) return;
    TCustomDBGridEh* grid = GridOf(column);
    TSTColumnFilterEh* filter = column->STFilter();
    switch (FType) {
    case ptFilterSpecItemClearFilter:
        if (grid) grid->ClearFilter();
        break;
    case ptFilterSpecItemAll:
        filter->SetExpressionStr(String());
        break;
    case ptFilterSpecItemEmpties:
        filter->SetExpressionStr(QStringLiteral("=Null"));
        break;
    case ptFilterSpecItemNotEmties:
        filter->SetExpressionStr(QStringLiteral("<>Null"));
        break;
    case ptFilterSpecItemDialog:
        if (grid && grid->FilterCol() != -1 && grid->FilterEdit() && grid->FilterEdit()->Visible())
            grid->ApplyFilterEditText(grid->FilterCol());
        if (ShowSimpleFilterDialog(filter, column->GetCurrentFieldValueList()) && grid &&
            grid->STFilter()->InstantApply())
            grid->ApplyFilter();
        return;
    case ptFilterApply:
        if (grid) grid->ApplyFilter();
        break;
    }
    if (!grid) return;
    TDBGridEhCenter* center = grid->Center();
    if (FType == ptFilterSpecItemClearFilter || (center && center->FilterEditCloseUpApplyFilter) ||
        grid->STFilter()->InstantApply())
        grid->ApplyFilter();
}

// ---------------------------------------------------------------------------------------------
// Value rows

void TPopupListboxItemEhData::DrawItem(TPopupListboxEh* Sender, int ItemIndex, const TRect& ARect,
                                       TOwnerDrawState State) {
    TColumnEh* column = GetFilterColumn(Sender);
    if (column) {
        TSTColumnFilterEh* filter = column->STFilter();
        const std::vector<bool>& checks = filter->ListValuesCheckingState();
        const bool checked = ItemIndex >= 0 && ItemIndex < int(checks.size()) && checks[size_t(ItemIndex)];
        TRect box(ARect.Left, ARect.Top, ARect.Left + FilterCheckBoxWidth(), ARect.Bottom);
        if (Sender->UseRightToLeftAlignment()) {
            const int cw = Sender->ClientWidth();
            box = TRect(cw - box.Right, box.Top, cw - box.Left, box.Bottom);
        }
        const bool hot = Sender->MouseIndex() == ItemIndex && !GetCapture();
        const bool pressed = filter->PopupListboxDownIndex() == ItemIndex;
        TCanvas* c = Sender->Canvas();
        c->Brush()->SetColor(Sender->Color());
        c->FillRect(box);
        DrawStyledButton(c, box, clNone, bcsCheckboxEh, pressed ? 1 : 0, false, hot, true,
                         checked ? cbChecked : cbUnchecked);
    }
    DrawTextAfterMargin(Sender, ItemIndex, ARect, State);
}

void TPopupListboxItemEhData::HandleMouseDown(TPopupListboxEh* Sender, int ItemIndex, TPoint, TMouseButton,
                                              TShiftState) {
    TColumnEh* column = GetFilterColumn(Sender);
    if (!column) return;
    column->STFilter()->SetPopupListboxDownIndex(ItemIndex);
    Sender->InvalidateIndex(ItemIndex);
}

void TPopupListboxItemEhData::HandleMouseMove(TPopupListboxEh* Sender, int ItemIndex, TPoint, TShiftState) {
    TColumnEh* column = GetFilterColumn(Sender);
    if (!column) return;
    TSTColumnFilterEh* filter = column->STFilter();
    const int down = filter->PopupListboxDownIndex();
    if (down >= 0 && down != ItemIndex) {
        Sender->InvalidateIndex(down);
        filter->SetPopupListboxDownIndex(-1);
    }
}

void TPopupListboxItemEhData::HandleMouseUp(TPopupListboxEh* Sender, int ItemIndex, TPoint MousePos,
                                            TMouseButton, TShiftState Shift, bool& IsCloseListbox) {
    IsCloseListbox = false;
    TColumnEh* column = GetFilterColumn(Sender);
    if (!column) return;
    TSTColumnFilterEh* filter = column->STFilter();
    if (filter->PopupListboxDownIndex() == ItemIndex && ItemIndex >= 0) {
        filter->SetEnterNotClearData(true);
        Execute(Sender, ItemIndex, MousePos, Shift);
        const TPoint p = Sender->ScreenToClient(Mouse->CursorPos());
        Sender->SetItemIndex(Sender->ItemAtPos(p, true));
    }
    // The item may have lost its column while running (the grid rebuilt its columns).
    if (TColumnEh* c = GetFilterColumn(Sender)) c->STFilter()->SetPopupListboxDownIndex(-1);
    Sender->InvalidateIndex(ItemIndex);
}

void TPopupListboxItemEhData::Execute(TPopupListboxEh* Sender, int ItemIndex, TPoint, TShiftState) {
    TColumnEh* column = GetFilterColumn(Sender);
    if (!column) return;
    TSTColumnFilterEh* filter = column->STFilter();
    filter->SetInFilterListBox(true);
    struct Reset {
        TDBGridFilterPopupListboxItemEh* self;
        TPopupListboxEh* list;
        ~Reset() {
            if (TColumnEh* c = self->GetFilterColumn(list)) c->STFilter()->SetInFilterListBox(false);
        }
    } reset{this, Sender};
    std::vector<bool>& checks = filter->ListValuesCheckingState();
    const int count = Sender->ExtItems() ? Sender->ExtItems()->Count() : Sender->Items()->Count();
    if (int(checks.size()) < count) checks.resize(size_t(count), false);
    if (!filter->EnterNotClearData()) std::fill(checks.begin(), checks.end(), false);
    if (ItemIndex >= 0 && ItemIndex < int(checks.size()))
        checks[size_t(ItemIndex)] = !checks[size_t(ItemIndex)];
    filter->SetFilterFromCheckedItems(Sender->ExtItems() ? Sender->ExtItems() : Sender->Items(),
                                      PopupListboxItemEhData());
    Sender->InvalidateIndex(ItemIndex);
}
