// The in-place editor and the grid's side of editing: when the editor shows, where, with which
// contents, and how its text comes back.
//
// The editor's cell (FInplaceCol, FInplaceRow) is -1 while it is hidden; whenever the current
// cell differs from it the editor is reloaded from the grid.

#include "lib/grids/GridsEh.h"

#include "platform/ui/Forms.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// Editor

TInplaceEdit::TInplaceEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
    SetParentCtl3D(false);
    SetCtl3D(false);
    SetTabStop(false);
    SetBorderStyle(bsNone);
    SetDoubleBuffered(false);
}

TInplaceEdit::~TInplaceEdit() {
    if (FGrid && FGrid->FInplaceEdit == this) FGrid->FInplaceEdit = nullptr;
}

void TInplaceEdit::CreateParams(TCreateParams& Params) {
    TCustomMaskEdit::CreateParams(Params);
    Params.Style |= ES_MULTILINE;
}

void TInplaceEdit::Deselect() {
    Perform(EM_SETSEL, 0x7FFFFFFF, LPARAM(-1));
}

void TInplaceEdit::Invalidate() {
    if (!HandleAllocated()) return;
    TCustomMaskEdit::Invalidate();
    if (FGrid && FGrid->HandleAllocated()) {
        // The grid area under the editor is repainted too (the editor may have moved away).
        TRect r = BoundsRect();
        InvalidateRect(FGrid->Handle(), &r, FALSE);
    }
}

void TInplaceEdit::Hide() {
    if (!HandleAllocated() || !IsWindowVisible(FHandle)) return;
    Invalidate();
    const bool hadFocus = Focused();
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOMOVE | SWP_NOSIZE);
    if (hadFocus && FGrid && FGrid->CanFocus()) ::SetFocus(FGrid->Handle());
}

void TInplaceEdit::InternalMove(const TRect& Loc, bool Redraw) {
    if (IsRectEmpty(Loc)) {
        Hide();
        return;
    }
    HandleNeeded();
    Redraw = Redraw || !IsWindowVisible(FHandle);
    Invalidate();
    SetBounds(Loc.Left, Loc.Top, Loc.Width(), Loc.Height());
    SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOREDRAW | SWP_NOMOVE | SWP_NOSIZE);
    BoundsChanged();
    if (Redraw) Invalidate();
    if (FGrid && FGrid->Focused()) ::SetFocus(FHandle);
}

void TInplaceEdit::Move(const TRect& Loc) {
    InternalMove(Loc, true);
}

void TInplaceEdit::UpdateLoc(const TRect& Loc) {
    InternalMove(Loc, false);
}

bool TInplaceEdit::PosEqual(const TRect& Rect) {
    return HandleAllocated() && BoundsRect() == Rect;
}

bool TInplaceEdit::Visible() {
    return HandleAllocated() && IsWindowVisible(FHandle);
}

void TInplaceEdit::SetFocus() {
    if (Visible()) ::SetFocus(FHandle);
}

void TInplaceEdit::BoundsChanged() {
    TRect r{2, 2, Width() - 2, Height()};
    SendMessage(FHandle, EM_SETRECTNP, 0, LPARAM(&r));
    SendMessage(FHandle, EM_SCROLLCARET, 0, 0);
}

void TInplaceEdit::ReloadFromGrid() {
    if (!FGrid) return;
    SetText(String());
    SetEditMask(FGrid->GetEditMask(FGrid->Col(), FGrid->Row()));
    SetText(FGrid->GetEditText(FGrid->Col(), FGrid->Row()));
    const int limit = FGrid->GetEditLimit();
    if (limit < 0)
        FMaxLength = limit; // -1: read only, the grid refuses every change
    else
        SetMaxLength(limit);
}

bool TInplaceEdit::EditCanModify() {
    return FGrid ? FGrid->CanEditModify() : true;
}

bool TInplaceEdit::CaretAtStart() {
    DWORD s = 0, e = 0;
    Perform(EM_GETSEL, WPARAM(&s), LPARAM(&e));
    const int len = int(EditText().size());
    return s == 0 && (e == 0 || int(e) == len);
}

bool TInplaceEdit::CaretAtEnd() {
    DWORD s = 0, e = 0;
    Perform(EM_GETSEL, WPARAM(&s), LPARAM(&e));
    const int len = int(EditText().size());
    return int(e) == len && (s == 0 || s == e);
}

void TInplaceEdit::KeyDown(Word& Key, TShiftState Shift) {
    if (FGrid && FGrid->WantsEditorKey(Key, Shift)) {
        FGrid->KeyDown(Key, Shift);
        Key = 0;
        return;
    }
    switch (Key) {
    case VK_INSERT:
        if (Shift == TShiftState{ssShift} && !EditCanModify()) Key = 0;
        break;
    case VK_DELETE:
        if (!EditCanModify()) Key = 0;
        break;
    case 'A':
        if (Shift.Contains(ssCtrl)) {
            SelectAll();
            Key = 0;
        }
        break;
    case VK_F2:
        if (FGrid && FGrid->OnKeyDown) FGrid->OnKeyDown(FGrid, Key, Shift);
        if (Key == VK_F2) {
            Deselect();
            Key = 0;
        }
        return;
    default:
        break;
    }
    if (Key == 0) return;
    if (FGrid && FGrid->OnKeyDown) FGrid->OnKeyDown(FGrid, Key, Shift);
    if (Key != 0) TCustomMaskEdit::KeyDown(Key, Shift);
}

void TInplaceEdit::KeyPress(Char& Key) {
    if (FGrid) {
        FGrid->KeyPress(Key);
        if (Key.unicode() > 31 && !FGrid->CanEditAcceptKey(Key)) {
            Key = Char(0);
            MessageBeep(0);
        }
    }
    const ushort k = Key.unicode();
    switch (k) {
    case 0:
        return;
    case VK_TAB:
    case VK_ESCAPE:
        Key = Char(0);
        return;
    case VK_RETURN: {
        DWORD s = 0, e = 0;
        Perform(EM_GETSEL, WPARAM(&s), LPARAM(&e));
        const int len = int(EditText().size());
        if (s != 0)
            SelectAll();
        else if (int(e) == len)
            Deselect();
        else
            SelectAll();
        Key = Char(0);
        return;
    }
    case 8:
    case 22:
    case 24:
        if (!EditCanModify()) Key = Char(0);
        break;
    default:
        if (k >= 32 && !EditCanModify()) Key = Char(0);
        break;
    }
    if (Key != Char(0)) TCustomMaskEdit::KeyPress(Key);
}

void TInplaceEdit::KeyUp(Word& Key, TShiftState Shift) {
    if (FGrid) FGrid->KeyUp(Key, Shift);
}

void TInplaceEdit::DblClick() {
    if (FGrid) FGrid->DblClick();
}

bool TInplaceEdit::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    return FGrid ? FGrid->DoMouseWheel(Shift, WheelDelta, MousePos) : false;
}

void TInplaceEdit::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_SETFOCUS: {
        TCustomForm* f = GetParentForm(this);
        if (f && FGrid && !f->SetFocusedControl(FGrid)) return;
        break;
    }
    case WM_LBUTTONDOWN:
        if (FClickTime != 0 && UINT(GetMessageTime() - FClickTime) < GetDoubleClickTime())
            Message.Msg = WM_LBUTTONDBLCLK;
        FClickTime = 0;
        break;
    default:
        break;
    }
    TCustomMaskEdit::WndProc(Message);
}

void TInplaceEdit::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
        if (!EditCanModify()) return;
        break;
    case WM_GETDLGCODE:
        TCustomMaskEdit::Dispatch(Message);
        if (FGrid && FGrid->Options().Contains(goTabs)) Message.Result |= DLGC_WANTTAB;
        return;
    case CM_SHOWINGCHANGED:
        return; // the grid decides when the editor shows
    default:
        break;
    }
    TCustomMaskEdit::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
// Grid side

TInplaceEdit* TCustomGridEh::CreateEditor() {
    return new TInplaceEdit(this);
}

bool TCustomGridEh::EnsureInplaceEditor() {
    if (FInplaceEdit) return false;
    FInplaceEdit = CreateEditor();
    FInplaceEdit->FGrid = this;
    FInplaceEdit->SetParent(this);
    return true;
}

bool TCustomGridEh::CanEditAcceptKey(Char) {
    return true;
}

bool TCustomGridEh::CanEditModify() {
    return FCanEditModify;
}

bool TCustomGridEh::CanEditShow() {
    return FOptions.Contains(goEditing) && !FOptions.Contains(goRowSelect) && FEditorMode &&
           !ComponentState().Contains(csDesigning) && HandleAllocated() &&
           (FOptions.Contains(goAlwaysShowEditor) || IsActiveControl());
}

int TCustomGridEh::GetEditLimit() {
    return 0;
}
String TCustomGridEh::GetEditMask(int, int) {
    return String();
}
int TCustomGridEh::GetEditDefault() {
    return 0;
}
String TCustomGridEh::GetEditText(int, int) {
    return String();
}
void TCustomGridEh::SetEditText(int, int, const String&) {}

void TCustomGridEh::ShowEditor() {
    FEditorMode = true;
    UpdateEdit();
}

void TCustomGridEh::HideEditor() {
    FEditorMode = false;
    HideEdit();
}

void TCustomGridEh::SetEditorMode(bool Value) {
    if (Value) {
        ShowEditor();
        if (FInplaceEdit) FInplaceEdit->Deselect();
    } else {
        HideEditor();
    }
}

void TCustomGridEh::UpdateEdit() {
    if (CanEditShow()) {
        const bool created = EnsureInplaceEditor();
        if (created || FCurrent.X != FInplaceCol || FCurrent.Y != FInplaceRow) {
            if (!created) HideEdit();
            FInplaceCol = FCurrent.X;
            FInplaceRow = FCurrent.Y;
            FInplaceEdit->ReloadFromGrid();
            FCanEditModify = FInplaceEdit->MaxLength() != -1;
            FInplaceEdit->SelectAll();
        }
        if (CanEditShow()) FInplaceEdit->Move(GetEditRect(FCurrent.X, FCurrent.Y));
    } else {
        HideEdit();
    }
}

void TCustomGridEh::HideEdit() {
    if (!FInplaceEdit) return;
    // The editor's text goes back before the editor forgets its cell.
    struct Forget {
        TCustomGridEh* g;
        ~Forget() {
            g->FInplaceCol = -1;
            g->FInplaceRow = -1;
            if (g->FInplaceEdit) g->FInplaceEdit->Hide();
        }
    } forget{this};
    UpdateText();
}

void TCustomGridEh::UpdateText() {
    if (FInplaceEdit && FInplaceCol != -1 && FInplaceRow != -1)
        SetEditText(FInplaceCol, FInplaceRow, FInplaceEdit->Text());
}

void TCustomGridEh::InvalidateEditor() {
    FInplaceCol = -1;
    FInplaceRow = -1;
    UpdateEdit();
}

TRect TCustomGridEh::GetEditRect(int ACol, int ARow) {
    TGridDrawInfoEh di;
    CalcDrawInfo(di);
    TRect r = GridRectToScreenRect({ACol, ARow, ACol, ARow}, di, false);
    if (IsRectEmpty(r)) return r;
    const bool rtl = UseRightToLeftAlignment();
    bool cover, rDrawn, bDrawn;
    TColor c;
    GetCellBorderParams(ACol, ARow, cbtRightEh, cover, c, rDrawn);
    GetCellBorderParams(ACol, ARow, cbtBottomEh, cover, c, bDrawn);
    // Cut by the far edge of the data area?
    const int cellEnd = LinePos(di.Horz, ACol) + GetColWidths(ACol);
    const bool clippedRight = ACol >= FFixedCols && ACol < FColCount && cellEnd > di.Horz.GridExtent;
    const int cellBottom = LinePos(di.Vert, ARow) + GetRowHeights(ARow);
    const bool clippedBottom = ARow >= FFixedRows && ARow < FRowCount && cellBottom > di.Vert.GridExtent;
    const bool vert = FOptions.Contains(goVertLine), horz = FOptions.Contains(goHorzLine);
    int& farX = rtl ? r.Left : r.Right;
    const int sx = rtl ? -1 : 1;
    if (!clippedRight && rDrawn && !vert)
        farX -= sx * FGridLineWidth;
    else if ((!rDrawn || clippedRight) && vert)
        farX += sx * FGridLineWidth;
    if (!clippedBottom && bDrawn && !horz)
        r.Bottom -= FGridLineWidth;
    else if ((!bDrawn || clippedBottom) && horz)
        r.Bottom += FGridLineWidth;
    if (!horz && ACol >= FColCount) OffsetRect(r, 1, 0);
    return r;
}

bool TCustomGridEh::WantsEditorKey(Word Key, TShiftState Shift) {
    const bool always = FOptions.Contains(goAlwaysShowEditor);
    switch (Key) {
    case VK_TAB:
        return !Shift.Contains(ssAlt);
    case VK_ESCAPE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_UP:
    case VK_DOWN:
        return true;
    case VK_INSERT:
        return !Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt);
    case VK_DELETE:
        return Shift.Contains(ssCtrl);
    case VK_HOME:
    case VK_LEFT:
        return always && FInplaceEdit && (Shift.Contains(ssCtrl) || FInplaceEdit->CaretAtStart());
    case VK_END:
    case VK_RIGHT:
        return always && FInplaceEdit && (Shift.Contains(ssCtrl) || FInplaceEdit->CaretAtEnd());
    default:
        return false;
    }
}
