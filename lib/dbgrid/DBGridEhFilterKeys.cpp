// The grid as the holder of the data-aware editors it hosts (the filter row's editor): the keys
// that move the editor from filter cell to filter cell or back down into the data, before the
// editor sees them.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhFilterRow.h"
#include "platform/db/DB.h"
#include "platform/ui/WinApi.h"

bool TCustomDBGridEh::InplaceEditCanModify(TControl*) {
    return true;
}

void TCustomDBGridEh::GetMouseDownInfo(TPoint& Pos, int& Time) {
    GetDownMouseScreenInfo(Pos, Time);
}

void TCustomDBGridEh::InplaceEditWndProc(TControl*, TMessage&) {}

void TCustomDBGridEh::InplaceEditKeyUp(TControl*, Word&, TShiftState) {}

void TCustomDBGridEh::InplaceEditKeyPress(TControl* Control, Char& Key) {
    // Tab moves between the filter cells; it is never typed into a filter text.
    if (dynamic_cast<TInplaceFilterEditEh*>(Control) && Key == Char(VK_TAB)) Key = Char(0);
}

void TCustomDBGridEh::InplaceEditKeyDown(TControl* Control, Word& Key, TShiftState Shift) {
    auto* edit = dynamic_cast<TInplaceFilterEditEh*>(Control);
    if (!edit) return;
    if (UseRightToLeftAlignment() && (Key == VK_LEFT || Key == VK_RIGHT))
        Key = Key == VK_LEFT ? VK_RIGHT : VK_LEFT;
    if (edit->ListVisible()) return;

    const bool ctrl = Shift.Contains(ssCtrl);
    const bool noShift = !Shift.Contains(ssShift) && !Shift.Contains(ssAlt) && !ctrl;
    const int len = edit->Text().length();
    const int selStart = edit->SelStart();
    const int selLength = edit->SelLength();
    const bool allSelected = len > 0 && selStart == 0 && selLength == len;
    const bool caretAtEnd = (selStart == len && selLength == 0) || allSelected;
    const bool caretAtStart = (selStart == 0 && selLength == 0) || allSelected || selStart < 0;

    switch (Key) {
    case VK_TAB:
        if (!FOptions.Contains(dgTabs)) return;
        MoveFilterCol(Key, !Shift.Contains(ssShift), false);
        break;
    case VK_END:
        if (ctrl || caretAtEnd) MoveFilterCol(Key, true, true);
        break;
    case VK_HOME:
        if (ctrl || caretAtStart) MoveFilterCol(Key, false, true);
        break;
    case VK_LEFT:
        if (ctrl)
            MoveFilterCol(Key, false, true);
        else if (caretAtStart)
            MoveFilterCol(Key, false, false);
        break;
    case VK_RIGHT:
        if (ctrl)
            MoveFilterCol(Key, true, true);
        else if (caretAtEnd)
            MoveFilterCol(Key, true, false);
        break;
    case VK_UP:
        if (noShift) Key = 0;
        break;
    case VK_DOWN:
        if ((noShift || Shift == TShiftState{ssCtrl}) && DataLink()->Active()) {
            Key = 0;
            if (FFilterCol >= 0) SetSelectedIndex(FFilterCol);
            if (noShift) DataLink()->DataSet()->MoveBy(-DataLink()->ActiveRecord());
            StopFilterEdit();
            if (CanFocus()) SetFocus();
        }
        break;
    case VK_F2:
        edit->SelectAll();
        edit->SetSelStart(len);
        edit->SetSelLength(0);
        Key = 0;
        break;
    default:
        break;
    }
}

void TCustomDBGridEh::MoveFilterCol(Word& Key, bool Forward, bool Absolute) {
    Key = 0;
    const int count = Columns()->Count();
    if (count == 0) return;
    const int step = Forward ? 1 : -1;
    int start = 0;
    int i = 0;
    if (Absolute) {
        // From outside the range back towards it: the last or the first filterable column.
        start = Forward ? count : -1;
        i = start - step;
        while (i >= 0 && i < count && !IsFilterableColumn(i))
            i -= step;
    } else {
        start = FFilterCol;
        i = start + step;
        if (i >= count) i = 0;
        if (i < 0) i = count - 1;
        if (i == start) return;
        while (i >= 0 && i < count && !IsFilterableColumn(i))
            i += step;
    }
    if (i < 0 || i >= count || i == FFilterCol) return;
    StartFilterEdit(i);
}

// ---------------------------------------------------------------------------------------------
// The in-title filter list closes when the grid leaves cancel mode or the focus

void TCustomDBGridEh::InTitleFilterListboxFocusLost(HWND Target) {
    if (!FInTitleFilterListboxVisible || !FInTitleFilterListbox) return;
    if (FInTitleFilterListbox->HandleAllocated()) {
        const HWND list = FInTitleFilterListbox->Handle();
        if (Target == list || IsChild(list, Target)) return;
    }
    if (InplaceEditor() && InplaceEditor()->HandleAllocated() && Target == InplaceEditor()->Handle()) return;
    CloseInTitleFilterListbox(false);
}

void TCustomDBGridEh::InTitleFilterListboxCancelCheck(const TMessage& Message) {
    if (!FInTitleFilterListboxVisible || !FInTitleFilterListbox) return;
    switch (Message.Msg) {
    case WM_CANCELMODE:
        CloseInTitleFilterListbox(false);
        break;
    case CM_CANCELMODE: {
        auto* sender = reinterpret_cast<TControl*>(Message.LParam);
        if (sender == FInTitleFilterListbox) return;
        for (TControl* c = sender; c; c = c->Parent())
            if (c == FInTitleFilterListbox) return;
        // The grid's own cancel mode closes the list only with the mouse outside the grid.
        if (sender == this && Mouse && ClientRect().Contains(ScreenToClient(Mouse->CursorPos()))) return;
        CloseInTitleFilterListbox(false);
        break;
    }
    case WM_KILLFOCUS:
        InTitleFilterListboxFocusLost(HWND(Message.WParam));
        break;
    default:
        break;
    }
}
