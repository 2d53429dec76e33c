// The indicator title as a button: a press asks the grid's behaviour centre, whose default ends
// in the grid's own handling here (build the menu and pop it up under the cell, or track the
// press when there is no menu). The clipboard and select-all items of the centre's menu ask the
// grid whether they may run and run the grid's own operations; the hooks are installed with the
// first grid.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhCenter.h"
#include "lib/dbgrid/DBGridEhImpExp.h"
#include "lib/dbgrid/DBGridEhSelection.h"

#include "platform/ui/Menus.h"
#include "platform/ui/WinApi.h"

namespace {

TDBGridEhEditAction EditActionOf(TDBGridEhStyleIndicatorTitleMenuEh Kind) {
    switch (Kind) {
    case itmCut:
        return geaCutEh;
    case itmCopy:
        return geaCopyEh;
    case itmPaste:
        return geaPasteEh;
    case itmDelete:
        return geaDeleteEh;
    default:
        return geaSelectAllEh;
    }
}

} // namespace

void TCustomDBGridEh::InstallIndicatorMenuHooks() {
    if (!GridEditActionAllowedEh)
        GridEditActionAllowedEh = [](TCustomDBGridEh* Grid, TDBGridEhStyleIndicatorTitleMenuEh Kind) {
            return Grid->EditActionAllowed(EditActionOf(Kind));
        };
    if (!GridEditActionRunEh)
        GridEditActionRunEh = [](TCustomDBGridEh* Grid, TDBGridEhStyleIndicatorTitleMenuEh Kind) {
            Grid->RunEditAction(EditActionOf(Kind));
        };
    if (!GridIndicatorTitleMouseDownEh)
        GridIndicatorTitleMouseDownEh = [](TCustomDBGridEh* Grid, TGridCoord Cell, TMouseButton Button,
                                           TShiftState Shift, int X, int Y) {
            Grid->DoIndicatorTitleMouseDown(Cell, Button, Shift, X, Y);
        };
}

bool TCustomDBGridEh::EditActionAllowed(TDBGridEhEditAction Action) {
    if (!FEditActions.Contains(Action)) return false;
    switch (Action) {
    case geaCutEh:
        return CheckCutAction();
    case geaCopyEh:
        return CheckCopyAction();
    case geaPasteEh:
        return CheckPasteAction();
    case geaDeleteEh:
        return CheckDeleteAction();
    case geaSelectAllEh:
        return CheckSelectAllAction();
    }
    return false;
}

void TCustomDBGridEh::RunEditAction(TDBGridEhEditAction Action) {
    // The menu may run after the state changed under it: ask again.
    if (!EditActionAllowed(Action)) return;
    switch (Action) {
    case geaCutEh:
        CutGridSelectionToClipboard(this, false);
        break;
    case geaCopyEh:
        CopyGridSelectionToClipboard(this, false);
        break;
    case geaPasteEh:
        PasteGridFromClipboard(this, false);
        break;
    case geaDeleteEh:
        DeleteGridSelection(this, false);
        break;
    case geaSelectAllEh:
        Selection()->SelectAll();
        break;
    }
}

void TCustomDBGridEh::IndicatorTitleMouseDown(TGridCoord Cell, TMouseButton Button, TShiftState Shift, int X,
                                              int Y) {
    if (TDBGridEhCenter* center = Center())
        center->IndicatorTitleMouseDown(this, Cell, Button, Shift, X, Y);
    else
        DoIndicatorTitleMouseDown(Cell, Button, Shift, X, Y);
    InvalidateEditor();
}

void TCustomDBGridEh::DoIndicatorTitleMouseDown(TGridCoord Cell, TMouseButton Button, TShiftState Shift,
                                                int X, int Y) {
    bool handled = false;
    if (OnIndicatorTitleMouseDown) OnIndicatorTitleMouseDown(this, Cell, Button, Shift, X, Y, handled);
    if (!handled) DefaultIndicatorTitleMouseDown(Cell, Button, Shift, X, Y);
}

void TCustomDBGridEh::DefaultIndicatorTitleMouseDown(TGridCoord Cell, TMouseButton, TShiftState, int X,
                                                     int Y) {
    if (FIndicatorTitle->TitleButton()) {
        FIndicatorTitle->SetDown(true);
        FPressed = true;
        InvalidateCell(0, 0);
        TPopupMenu* menu = nullptr;
        DoBuildIndicatorTitleMenu(menu);
        if (menu && menu->Items()->Count() > 0) {
            const TRect r = CellRect(0, 0);
            const TPoint at = ClientToScreen(TPoint(r.Left, r.Bottom));
            menu->SetPopupComponent(this);
            menu->Popup(at.X, at.Y);
            if (!menu->Owner()) delete menu;
            FIndicatorTitle->SetDown(false);
            FPressed = false;
            InvalidateCell(0, 0);
            // The press that opened the menu must not come back as a click on the grid.
            if (MouseCapture()) SetMouseCapture(false);
            RemoveQueuedMessage(Handle(), WM_LBUTTONUP);
            return;
        }
        if (MouseCapture()) {
            FDBGridEhState = dgsTitleDown;
            FTracking = true;
            FPressedCol = Cell.X;
            TrackTitleButton(X, Y);
        } else {
            FIndicatorTitle->SetDown(false);
            FPressed = false;
            InvalidateCell(0, 0);
        }
        return;
    }
    // Without the button the indicator title selects all records, or clears the selection.
    if (!FOptions.Contains(dgMultiSelect) || !DataLink()->Active() ||
        !(FAllowedSelections.Contains(gstRecordBookmarks) || FAllowedSelections.Contains(gstAll)))
        return;
    if (Selection()->SelectionType() != gstNon)
        Selection()->Clear();
    else if (FAllowedSelections.Contains(gstAll))
        Selection()->SelectAll();
    else
        SelectedRows()->SelectAll();
}

void TCustomDBGridEh::DoBuildIndicatorTitleMenu(TPopupMenu*& PopupMenu) {
    if (OnBuildIndicatorTitleMenu)
        OnBuildIndicatorTitleMenu(this, PopupMenu);
    else
        DefaultBuildIndicatorTitleMenu(PopupMenu);
}

void TCustomDBGridEh::DefaultBuildIndicatorTitleMenu(TPopupMenu*& PopupMenu) {
    if (TDBGridEhCenter* center = Center()) center->BuildIndicatorTitleMenu(this, PopupMenu);
}
