// The data grid's model beyond its options: further properties, the legacy properties of old
// form streams, the core reactions (editing permission, column enter and exit, the deletion
// question, window creation) and the values every grid of the unit shares.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhSelection.h"

#include "platform/classes/ComponentStreams.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"

#include <QFontMetrics>
#include <QScopeGuard>

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------------------------------------
// Unit-level values

TShortCut InplaceSearchStartShortCut = ShortCut(Word('F'), TShiftState{ssCtrl});
TShortCut InplaceSearchNextShortCut = ShortCut(VK_RETURN, TShiftState{ssCtrl});
TShortCut InplaceSearchPriorShortCut = ShortCut(VK_RETURN, TShiftState{ssCtrl, ssShift});
TShortCut PriorRecordValueShortCut = ShortCut(0xDE, TShiftState{ssCtrl});
TShortCut FindDialogShortCut = ShortCut(Word('F'), TShiftState{ssCtrl});
TShortCut FilterListShortCut = ShortCut(Word('T'), TShiftState{ssCtrl});
int InplaceSearchTimeOutDefault = 1500;
TColor InplaceSearchMatchColor = clYellow;
TColor InplaceSearchMatchFontColor = clBlack;

String LayoutSectionName(TComponent* Component) {
    if (!Component) return String();
    if (dynamic_cast<TCustomForm*>(Component)) return Component->ClassName();
    String name = Component->Name();
    for (TComponent* o = Component->Owner(); o; o = o->Owner()) {
        if (dynamic_cast<TCustomForm*>(o)) return o->ClassName() + name;
        name = o->Name() + QLatin1Char('.') + name;
    }
    return name;
}

void SwapRectExtent(TRect& Rect) {
    const int w = Rect.Right - Rect.Left, h = Rect.Bottom - Rect.Top;
    Rect.Right = Rect.Left + h;
    Rect.Bottom = Rect.Top + w;
}

namespace {
int WaitCursorCount = 0;
TCursor SavedCursor = crDefault;
} // namespace

void StartWaitCursor() {
    if (WaitCursorCount++ == 0 && Screen) {
        SavedCursor = Screen->Cursor();
        Screen->SetCursor(crHourGlass);
    }
}

void StopWaitCursor() {
    if (WaitCursorCount == 0) return;
    if (--WaitCursorCount == 0 && Screen) Screen->SetCursor(SavedCursor);
}

// ---------------------------------------------------------------------------------------------
// The filter row's view of the grid

namespace {
class TDBGridSTFilterHost : public ISTFilterGridEh {
public:
    explicit TDBGridSTFilterHost(TCustomDBGridEh* Grid) : FGrid(Grid) {}
    TFont* STFilterGridFont() override { return FGrid->Font(); }
    TColor STFilterGridFixedColor() override { return FGrid->FixedColor(); }
    TColor STFilterGridDataLineColor(bool) override { return FGrid->GridLineParams()->GetDarkColor(); }
    bool STFilterGridLoading() override { return FGrid->ComponentState().Contains(csLoading); }
    bool STFilterGridChangingFonts() override { return false; }
    void STFilterGridLayoutChanged() override { FGrid->FilterRowLayoutChanged(); }
    void STFilterGridInvalidate() override { FGrid->Invalidate(); }
    void STFilterGridVisibleChanged(bool Visible) override { FGrid->FilterRowVisibleChanged(Visible); }
    int STFilterGridRowHeight(TFont* Font, int RowLines, int RowHeight) override {
        const int text = QFontMetrics(Font->ToQFont()).height() + (FGrid->Flat() ? 1 : 3);
        return std::max(RowHeight, text * std::max(1, RowLines));
    }
    int STFilterGridStdRowHeight() override { return FGrid->StdDefaultRowHeight(); }
    int STFilterGridTextHeight(TFont* Font, const String& Text) override {
        return QFontMetrics(Font->ToQFont()).boundingRect(Text).height();
    }
    int STFilterGridInterlineSpacing() override { return FGrid->Interlinear(); }
    int STFilterGridEditButtonWidth() override { return FGrid->InplaceEditorButtonWidth(); }
    bool STFilterGridFlat() override { return FGrid->Flat(); }

private:
    TCustomDBGridEh* FGrid;
};
} // namespace

void TCustomDBGridEh::CreateOwnedParts() {
    FSumList = std::make_unique<TDBGridEhSumList>(this);
    FSumList->OnRecalcAll = TNotifyEvent(this, &TCustomDBGridEh::SumListRecalcAll);
    FSumList->OnAfterRecalcAll = TNotifyEvent(this, &TCustomDBGridEh::SumListAfterRecalcAll);
    FSumList->SumListChanged = TNotifyEvent(this, &TCustomDBGridEh::SumListChanged);
    FSTFilterHost = std::make_unique<TDBGridSTFilterHost>(this);
    FSTFilter = std::make_unique<TSTDBGridEhFilter>(FSTFilterHost.get());
    FDataGrouping = std::make_unique<TDBGridEhDataGroupsEh>(this);
    FDataGrouping->ColumnsLoaded();
}

void TCustomDBGridEh::SetTitleFont(TFont* Value) {
    FTitleParams->SetFont(Value);
    if (FOptions.Contains(dgTitles)) LayoutChanged();
}

void TCustomDBGridEh::SumListChanged(TObject*) {
    if (DataLink() && DataLink()->Active() && !DataLink()->DataSet()->ControlsDisabled()) UpdateVertScrollBar();
    InvalidateFooter();
}

void TCustomDBGridEh::SumListRecalcAll(TObject*) {
    if (OnSumListRecalcAll) OnSumListRecalcAll(this);
}

void TCustomDBGridEh::SumListAfterRecalcAll(TObject*) {
    if (OnSumListAfterRecalcAll) OnSumListAfterRecalcAll(this);
}

TCustomDBGridEh* TCustomDBGridEh::CreateNew(TComponent* AOwner, int) {
    auto* g = Create<TCustomDBGridEh>(AOwner);
    g->FNoDesignController = true;
    return g;
}

// ---------------------------------------------------------------------------------------------
// Properties

void TCustomDBGridEh::SetAutoFitColWidths(bool Value) {
    if (FAutoFitColWidths == Value) return;
    FAutoFitColWidths = Value;
    if (ComponentState().Contains(csDesigning)) return;
    if (!Value) {
        // Switched off, the columns get back the widths they had when fitting began.
        Columns()->BeginUpdate();
        const auto end = qScopeGuard([&] { Columns()->EndUpdate(); });
        for (int i = 0; i < Columns()->Count(); ++i)
            Columns()->Columns(i)->SetWidth(Columns()->Columns(i)->FInitWidth);
    } else if (!ComponentState().Contains(csLoading)) {
        // Auto-fit scales every column from the width it had when fitting began.
        for (int i = 0; i < Columns()->Count(); ++i)
            Columns()->Columns(i)->FInitWidth = Columns()->Columns(i)->Width();
    }
    // The layout rebuild chooses the bars again for the new mode.
    SetScrollBars(ssHorizontal);
    if (Value && ColCount() > FixedCols()) SetLeftCol(FixedCols());
    LayoutChanged();
}

void TCustomDBGridEh::SetMinAutoFitWidth(int Value) {
    if (FMinAutoFitWidth == Value) return;
    FMinAutoFitWidth = Value;
    LayoutChanged();
}

void TCustomDBGridEh::SetContraColCount(int Value) {
    Value = std::max(0, Value);
    if (FContraColCount == Value) return;
    FContraColCount = Value;
    LayoutChanged();
}

void TCustomDBGridEh::SetFrozenCols(int Value) {
    Value = std::max(0, Value);
    if (FFrozenCols == Value) return;
    FFrozenCols = Value;
    LayoutChanged();
}

void TCustomDBGridEh::SetRowSizingAllowed(bool Value) {
    if (FRowSizingAllowed == Value) return;
    FRowSizingAllowed = Value;
    TGridOptions o = TCustomGridEh::Options();
    if (Value)
        o += goRowSizing;
    else
        o -= goRowSizing;
    TCustomGridEh::SetOptions(o);
}

void TCustomDBGridEh::SetRowHeight(int Value) {
    if (FRowHeight == Value) return;
    FRowHeight = std::max(0, Value);
    LayoutChanged();
    UpdateAllDataRowHeights();
}

void TCustomDBGridEh::SetRowLines(int Value) {
    if (FRowLines == Value) return;
    FRowLines = std::max(0, Value);
    LayoutChanged();
    UpdateAllDataRowHeights();
}

TDBGridLineParamsEh* TCustomDBGridEh::GridLineParams() const {
    return static_cast<TDBGridLineParamsEh*>(const_cast<TCustomDBGridEh*>(this)->GridLineColors());
}

void TCustomDBGridEh::SetGridLineParams(TDBGridLineParamsEh* Value) {
    GridLineParams()->Assign(Value);
}

// ---------------------------------------------------------------------------------------------
// Legacy properties: read from old streams into the parameter objects, never written.

void TCustomDBGridEh::DefineProperties(TFiler* Filer) {
    TCustomDBAxisGridEh::DefineProperties(Filer);
    auto never = [](TWriter*) {};
    Filer->DefineProperty(
        QStringLiteral("VTitleMargin"),
        [this](TReader* r) { FTitleParams->SetVTitleMargin(r->ReadInteger()); }, never, false);
    Filer->DefineProperty(
        QStringLiteral("UseMultiTitle"),
        [this](TReader* r) { FTitleParams->SetMultiTitle(r->ReadBoolean()); }, never, false);
    Filer->DefineProperty(
        QStringLiteral("TitleHeight"), [this](TReader* r) { FTitleParams->SetRowHeight(r->ReadInteger()); },
        never, false);
    Filer->DefineProperty(
        QStringLiteral("TitleLines"), [this](TReader* r) { FTitleParams->SetRowLines(r->ReadInteger()); },
        never, false);
    Filer->DefineProperty(
        QStringLiteral("FooterColor"),
        [this](TReader* r) {
            if (r->NextValue() == vaIdent)
                FFooterParams->SetColor(StringToColor(r->ReadIdent()));
            else
                FFooterParams->SetColor(TColor(r->ReadInteger()));
        },
        never, false);
}

// ---------------------------------------------------------------------------------------------
// Core reactions

bool TCustomDBGridEh::ConfirmDeleteRecords() {
    // Several selected records come with the bookmark selection, which this grid does not hold
    // yet: the question is always about one record.
    const String text = QStringLiteral("Delete record?");
    if (!FOptions.Contains(dgConfirmDelete)) return true;
    HWND focused = GetFocus();
    const int answer = MessageDlg(text, mtConfirmation, TMsgDlgButtons{mbOK, mbCancel});
    if (focused && GetFocus() != focused) ::SetFocus(focused);
    return answer != mrCancel;
}

void TCustomDBGridEh::CellClick(TColumnEh* Column) {
    if (OnCellClick) OnCellClick(Column);
}

void TCustomDBGridEh::ColEnter() {
    ApplyImeSettings();
    if (OnColEnter) OnColEnter(this);
}

void TCustomDBGridEh::ColExit() {
    if (OnColExit) OnColExit(this);
}

bool TCustomDBGridEh::IsColumnEditable(TAxisBarEh* Column) {
    return Column && Column->CanModify(false) && FOptions.Contains(dgEditing);
}

namespace {
// A group row or a group footer is current: no field to edit.
bool OnGroupRow(TCustomDBGridEh* Grid) {
    return Grid->GroupingShowsRows() && Grid->CurGroupDataNode() &&
           Grid->CurGroupDataNode()->NodeType() != dntDataSetRecordEh;
}
} // namespace

bool TCustomDBGridEh::CanEditModify() {
    if (OnGroupRow(this)) return false;
    // Check-box columns change their value by clicks and the space key, never by typing.
    if (TColumnEh* c = SelectedColumn(); c && c->GetColumnType() == ctCheckboxes) return false;
    return PrepareCellEdit();
}

bool TCustomDBGridEh::CanEditShow() {
    if (!TCustomDBAxisGridEh::CanEditShow()) return false;
    // A selection that a click would clear keeps the editor closed.
    if (FSelection && Selection()->SelectionType() != gstNon && FOptionsEh.Contains(dghClearSelection) &&
        FAllowedSelections.Contains(gstRectangle))
        return false;
    return !OnGroupRow(this);
}

void TCustomDBGridEh::DefaultHandler(TMessage& Message) {
    TCustomDBAxisGridEh::DefaultHandler(Message);
}

void TCustomDBGridEh::NotifyRowChange(TAxisBarEh* Item) {
    TCustomDBAxisGridEh::NotifyRowChange(Item);
    if (FDestroying || ComponentState().Contains(csDestroying)) return;
    // The lists do not own their columns: a column on its way out must not stay in them until
    // the next layout rebuild.
    auto* c = static_cast<TColumnEh*>(Item);
    FVisibleColumns->Remove(c);
    FVisibleAxisBars->Remove(c);
}

bool TCustomDBGridEh::IsEditorAlwaysShown() {
    return FOptions.Contains(dgAlwaysShowEditor);
}

int TCustomDBGridEh::GetFixedCellStyle() {
    if (Flat()) return FOptionsEh.Contains(dghFixed3D) ? 3 : 2;
    return ThemesInUse() ? 1 : 2;
}

String TCustomDBGridEh::GetEditMask(int ACol, int) {
    TColumnEh* c = RowPanelMode() ? SelectedColumn() : VisibleColumn(ACol - FIndicatorOffset);
    return c ? c->GetEditMask() : String();
}

String TCustomDBGridEh::GetEditText(int ACol, int) {
    if (!DataLink()->Active()) return String();
    TColumnEh* c = RowPanelMode() ? SelectedColumn() : VisibleColumn(ACol - FIndicatorOffset);
    return c ? c->GetCellEditText() : String();
}

void TCustomDBGridEh::CreateWnd() {
    TCustomDBAxisGridEh::CreateWnd();
    // The edit button fits the row when the row is not much taller than a button is wide.
    const int bw = InplaceEditorButtonWidth();
    if (FStdDefaultRowHeight <= int(std::lround(bw * 1.5))) FInplaceEditorButtonHeight = FStdDefaultRowHeight;
    if (FAutoFitColWidths) {
        RequestLayoutUpdate();
    } else if (LayoutLock() == 0 && !ComponentState().Contains(csLoading)) {
        UpdateColumnWidths();
        RecalcDataRowCount();
        LinkDataChanged();
    }
    UpdateVertScrollBar();
}
