// The data grid's in-place editor and how the grid shows, hides and reloads it.
//
// The editor adds to the axis grid's editor: Enter as Tab and the prior record's value handed to
// the grid's key handling, the expand sign of tree rows in the first visible column, the red
// dotted mark under an empty required value and a selection repaint when the focus moves between
// the grid and its editor. The grid decides when the editor may show (a text-editing column of
// an active link) and whether its record may change (PrepareCellEdit puts it into edit).

#include "lib/dbgrid/DBGridEhInplace.h"

#include "lib/tools/ToolCtrlsEh.h"

#include "platform/ui/Menus.h"
#include "platform/ui/WinApi.h"

#include <QScopeGuard>

#include <algorithm>

// The one-pixel line under the editor's text.
class TDBGridEhRequiredMark : public TCustomControl {
    KVT_CLASS(TDBGridEhRequiredMark, TCustomControl)
public:
    explicit TDBGridEhRequiredMark(TComponent* AOwner) : TCustomControl(AOwner) {}

protected:
    void Paint() override {
        TCanvas* c = Canvas();
        c->Brush()->SetColor(Parent() ? Parent()->Color() : clWindow);
        c->FillRect(ClientRect());
        c->Pen()->SetColor(clRed);
        c->Pen()->SetStyle(psDot);
        c->Pen()->SetWidth(1);
        c->MoveTo(0, 0);
        c->LineTo(Width(), 0);
    }
};

// The tree elements of the current row over the editor's left part. Presses go on to the editor,
// whose press handling toggles the node.
class TDBGridEhEditorTreeBox : public TCustomControl {
    KVT_CLASS(TDBGridEhEditorTreeBox, TCustomControl)
public:
    explicit TDBGridEhEditorTreeBox(TDBGridInplaceEdit* AEditor)
        : TCustomControl(AEditor), FEditor(AEditor) {}

protected:
    void Paint() override { FEditor->PaintTreeElements(Canvas(), ClientRect()); }
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override {
        TCustomControl::MouseDown(Button, Shift, X, Y);
        if (Button == mbLeft)
            FEditor->Perform(WM_LBUTTONDOWN, MK_LBUTTON, LPARAM(MAKELONG(Word(X + Left()), Word(Y + Top()))));
    }

private:
    TDBGridInplaceEdit* FEditor;
};

TDBGridInplaceEdit::TDBGridInplaceEdit(TComponent* AOwner) : TDBAxisGridInplaceEdit(AOwner) {}

TDBGridInplaceEdit::~TDBGridInplaceEdit() = default;

TCustomDBGridEh* TDBGridInplaceEdit::DBGrid() const {
    return dynamic_cast<TCustomDBGridEh*>(Grid());
}

// ---------------------------------------------------------------------------------------------
// Keys and mouse

void TDBGridInplaceEdit::PassKeyToGrid(Word& Key, TShiftState Shift) {
    if (TCustomDBGridEh* g = DBGrid()) {
        Word k = Key;
        g->KeyDown(k, Shift);
    }
    // Whatever the grid left in the key, the editor does nothing more with it.
    Key = 0;
}

void TDBGridInplaceEdit::KeyDown(Word& Key, TShiftState Shift) {
    ForgetStaleColumnParts();
    TCustomDBGridEh* g = DBGrid();
    if (!g) {
        TDBAxisGridInplaceEdit::KeyDown(Key, Shift);
        return;
    }
    TAxisBarEh* bar = GetAxisBar();
    const bool mruShown = bar && bar->MRUList() && bar->MRUList()->DroppedDown();
    if (Key == VK_RETURN && !mruShown && g->OptionsEh().Contains(dghEnterAsTab)) {
        PassKeyToGrid(Key, Shift);
        return;
    }
    const TShortCut sc = ShortCut(Key, Shift);
    if (sc == PriorRecordValueShortCut) {
        PassKeyToGrid(Key, Shift);
        return;
    }
    const bool dialogFind = g->OptionsEh().Contains(dghDialogFind);
    if (sc == InplaceSearchStartShortCut && g->OptionsEh().Contains(dghIncSearch)) {
        // The search and the find dialog may share one shortcut: pressed again while a search
        // runs, it turns the search into the dialog.
        if (g->InplaceSearching() && dialogFind && FindDialogShortCut == InplaceSearchStartShortCut) {
            g->StopInplaceSearch();
            g->ShowFindDialog(SelText(), g->IsFindDialogShowAsModal());
        } else {
            g->StartInplaceSearch(String(), -1, ltdAllEh);
        }
        Key = 0;
        return;
    }
    if (sc == FindDialogShortCut && dialogFind) {
        g->ShowFindDialog(SelText(), g->IsFindDialogShowAsModal());
        Key = 0;
        return;
    }
    TDBAxisGridInplaceEdit::KeyDown(Key, Shift);
}

void TDBGridInplaceEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomDBGridEh* g = DBGrid();
    IMemTableEh* mt = g ? g->FIntMemTable : nullptr;
    if (g && mt && mt->GetViewAsTreeList() && g->VisibleColumnCount() > 0 &&
        GetAxisBar() == g->VisibleColumn(0)) {
        const int w = g->GetCellTreeElmentsAreaWidth();
        bool onSign;
        if (UseRightToLeftAlignment()) {
            const int cw = ClientWidth();
            onSign = cw - w < X && X <= cw - w + 18 && X <= cw;
        } else {
            onSign = X >= 0 && X < w && X >= w - 18;
        }
        if (onSign) mt->SetRowTreeNodeExpanded(g->Row() - g->TopDataOffset(), !mt->GetTreeNodeExpanded());
    }
    TDBAxisGridInplaceEdit::MouseDown(Button, Shift, X, Y);
}

// ---------------------------------------------------------------------------------------------
// The required-field mark

bool TDBGridInplaceEdit::RequiredHighlightDue() {
    TCustomDBGridEh* g = DBGrid();
    auto* c = dynamic_cast<TColumnEh*>(GetAxisBar());
    if (!g || !c) return false;
    bool due = false;
    if (c->HighlightRequired() && g->DataLink()->Active()) {
        TDataSet* ds = g->DataLink()->DataSet();
        TField* f = c->Field();
        due = ds && (ds->State() == dsEdit || ds->State() == dsInsert) && f && f->Required() && f->IsNull();
    }
    if (c->OnCheckDrawRequiredState) c->OnCheckDrawRequiredState(this, c, Text(), due);
    return due;
}

TRect TDBGridInplaceEdit::RequiredHighlightRect() const {
    if (!FRequiredMark || !FRequiredMark->Visible()) return TRect();
    return TRect(FRequiredMark->Left(), FRequiredMark->Top(), FRequiredMark->Left() + FRequiredMark->Width(),
                 FRequiredMark->Top() + FRequiredMark->Height());
}

void TDBGridInplaceEdit::DrawRequiredHighlight() {
    if (!RequiredHighlightDue()) {
        if (FRequiredMark) FRequiredMark->SetVisible(false);
        return;
    }
    TRect r;
    GetEditingRect(r);
    const int left = r.Left + 2, right = r.Right - 3;
    if (right <= left) {
        if (FRequiredMark) FRequiredMark->SetVisible(false);
        return;
    }
    if (!FRequiredMark) {
        FRequiredMark = new TDBGridEhRequiredMark(this);
        FRequiredMark->SetParent(this);
    }
    FRequiredMark->SetBounds(left, ClientHeight() - 1, right - left, 1);
    FRequiredMark->SetVisible(true);
    FRequiredMark->Invalidate();
}

void TDBGridInplaceEdit::BoundsChanged() {
    TDBAxisGridInplaceEdit::BoundsChanged();
    DrawRequiredHighlight();
    UpdateTreeElements();
}

void TDBGridInplaceEdit::ReloadFromGrid() {
    TDBAxisGridInplaceEdit::ReloadFromGrid();
    DrawRequiredHighlight();
    UpdateTreeElements();
}

// ---------------------------------------------------------------------------------------------
// Tree elements

bool TDBGridInplaceEdit::ShowsTreeElements() {
    TCustomDBGridEh* g = DBGrid();
    return g && g->IsTreeViewMode() && g->DataLink()->Active() && g->VisibleColumnCount() > 0 &&
           GetAxisBar() == g->VisibleColumn(0) && g->GetCellTreeElmentsAreaWidth() > 0;
}

void TDBGridInplaceEdit::UpdateTreeElements() {
    if (!ShowsTreeElements()) {
        if (FTreeBox) FTreeBox->SetVisible(false);
        return;
    }
    const int w = std::min(DBGrid()->GetCellTreeElmentsAreaWidth(), Width());
    if (!FTreeBox) {
        FTreeBox = new TDBGridEhEditorTreeBox(this);
        FTreeBox->SetParent(this);
    }
    FTreeBox->SetBounds(UseRightToLeftAlignment() ? ClientWidth() - w : 0, 0, w, ClientHeight());
    FTreeBox->SetVisible(true);
    FTreeBox->Invalidate();
}

void TDBGridInplaceEdit::PaintTreeElements(TCanvas* Canvas, const TRect& Rect) {
    TCustomDBGridEh* g = DBGrid();
    if (!g || !ShowsTreeElements()) return;
    Canvas->Brush()->SetColor(g->InternalColor());
    Canvas->FillRect(Rect);
    g->DrawTreeArea(Canvas, Rect, g->InternalColor(), true);
}

// ---------------------------------------------------------------------------------------------
// Focus

void TDBGridInplaceEdit::CheckSelectionFocus() {
    TCustomDBGridEh* g = DBGrid();
    // The selection is painted in other colours while the focus is outside the grid.
    if (g && g->IsFocusInside() != g->FSelectionActive) g->InvalidateSelection();
}

void TDBGridInplaceEdit::ForgetStaleColumnParts() {
    // The grid rebuilds its default columns when its data set changes or goes, freeing the
    // column whose recently-used list the editor loaded; a list that no longer belongs to the
    // editor's column is not touched again.
    TAxisBarEh* bar = GetAxisBar();
    if (FMRUList && (!bar || bar->MRUList() != FMRUList)) FMRUList = nullptr;
}

void TDBGridInplaceEdit::WndProc(TMessage& Message) {
    ForgetStaleColumnParts();
    switch (Message.Msg) {
    case WM_SETFOCUS:
        CheckSelectionFocus();
        TDBAxisGridInplaceEdit::WndProc(Message);
        return;
    case WM_KILLFOCUS: {
        TDBAxisGridInplaceEdit::WndProc(Message);
        CheckSelectionFocus();
        if (TCustomDBGridEh* grid = DBGrid();
            grid && grid->HandleAllocated() && HWND(Message.WParam) != grid->Handle())
            grid->InTitleFilterListboxFocusLost(HWND(Message.WParam));
        return;
    }
    default:
        TDBAxisGridInplaceEdit::WndProc(Message);
        return;
    }
}

// ---------------------------------------------------------------------------------------------
// Grid side

TInplaceEdit* TCustomDBGridEh::CreateEditor() {
    return new TDBGridInplaceEdit(this);
}

void TCustomDBGridEh::RestoreEditorState() {
    if (FOptions.Contains(dgAlwaysShowEditor) && !FFilterEditMode)
        ShowEditor();
    else
        HideEditor();
}

void TCustomDBGridEh::UpdateEdit() {
    // Locked while the grid rebuilds what the editor shows.
    if (FLockEditorCount >= 1) return;
    if (RowPanelMode())
        PlaceRowPanelEditor();
    else
        TCustomDBAxisGridEh::UpdateEdit();
    if (auto* ed = dynamic_cast<TDBGridInplaceEdit*>(InplaceEditor()); ed && ed->Visible())
        ed->DrawRequiredHighlight();
}

void TGridDataLinkEh::ActiveChanged() {
    TAxisGridDataLinkEh::ActiveChanged();
    if (auto* g = dynamic_cast<TCustomDBGridEh*>(Grid())) g->UpdateScrollBarPanels();
}

void TGridDataLinkEh::Reset() {
    if (!IsModified()) {
        TAxisGridDataLinkEh::Reset();
        return;
    }
    // Reloading hides the editor, which hands the focus back to the grid; the editor's focus
    // loss would write the dropped text into the record while the link still counts it as
    // modified.
    const bool was = InUpdateData();
    SetInUpdateData(true);
    const auto restore = qScopeGuard([&] { SetInUpdateData(was); });
    TAxisGridDataLinkEh::Reset();
}
