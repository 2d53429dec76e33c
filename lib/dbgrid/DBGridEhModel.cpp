// The data grid's model beyond its options: further properties, the legacy properties of old
// form streams, the core reactions (editing permission, column enter and exit, the deletion
// question, window creation), the values every grid of the unit shares, and what the grid stores
// in component streams.

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhRowPanel.h"
#include "lib/dbgrid/DBGridEhSelection.h"
#include "lib/tools/ToolCtrlsEh.h"

#include "lib/dbgrid/DBGridEhSearch.h"
#include "platform/classes/ComponentStreams.h"
#include "platform/classes/TypInfo.h"
#include "platform/ui/ControlsTypInfo.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/Menus.h"
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

namespace {
// The detail panel scrolls like a scroll box: under a custom style it takes the scroll box's
// hook. No custom style exists here, so the hook is registered and never put in place.
const bool RowDetailStyleHookRegistered = [] {
    TStyleManager::RegisterStyleHook(&TRowDetailPanelControlEh::StaticClassInfo(),
                                     &TScrollBoxStyleHook::StaticClassInfo());
    return true;
}();
} // namespace

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
    // The row panel lays all columns out in one cell: the designer is told the count is idle.
    if (ComponentState().Contains(csDesigning) && !ComponentState().Contains(csLoading) && RowPanelMode())
        ShowMessage(QStringLiteral("ContraColCount is not suppored when RowPanel mode is Activated (See "
                                   "RowPanel.Active property)."));
}

void TCustomDBGridEh::SetFrozenCols(int Value) {
    if (Value < 0 || FFrozenCols == Value) return;
    FFrozenCols = Value;
    LayoutChanged();
}

void TCustomDBGridEh::FlatChanged() {
    TCustomDBAxisGridEh::FlatChanged();
    // The air around a row's text depends on the flat look.
    if (ComponentState().Contains(csLoading)) return;
    UpdateStdDefaultRowHeight();
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
    Value = std::max(0, Value);
    if (FRowHeight == Value) return;
    FRowHeight = Value;
    LayoutChanged();
    UpdateAllDataRowHeights();
}

void TCustomDBGridEh::SetRowLines(int Value) {
    Value = std::max(0, Value);
    if (FRowLines == Value) return;
    FRowLines = Value;
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
    const String text = SelectedRows()->Count() < 2 ? QStringLiteral("Delete record?")
                                                    : QStringLiteral("Delete all selected records?");
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
    // Check-box columns change their value by clicks and the space key, never by typing; typed
    // keys feed the search while an in-place search runs.
    if (TColumnEh* c = SelectedColumn(); c && c->GetColumnType() == ctCheckboxes) return false;
    if (InplaceSearching()) return false;
    return PrepareCellEdit();
}

bool TCustomDBGridEh::CanEditShow() {
    if (!TCustomDBAxisGridEh::CanEditShow()) return false;
    // A selection that a click would clear keeps the editor closed.
    if (FSelection && Selection()->SelectionType() != gstNon && FOptionsEh.Contains(dghClearSelection) &&
        FAllowedSelections.Contains(gstRectangle))
        return false;
    if (InplaceSearching()) return false;
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
    return FOptions.Contains(dgAlwaysShowEditor) && !FFilterEditMode;
}

int TCustomDBGridEh::GetFixedCellStyle() {
    if (Flat()) return FOptionsEh.Contains(dghFixed3D) ? 3 : 2;
    return ThemesInUse() ? 1 : 2;
}

String TCustomDBGridEh::GetEditMask(int ACol, int) {
    TColumnEh* c = RowPanelMode() ? SelectedColumn() : DataColumn(ACol - FIndicatorOffset);
    return c ? c->GetEditMask() : String();
}

String TCustomDBGridEh::GetEditText(int ACol, int) {
    if (!DataLink()->Active()) return String();
    TColumnEh* c = RowPanelMode() ? SelectedColumn() : DataColumn(ACol - FIndicatorOffset);
    return c ? c->GetCellEditText() : String();
}

void TCustomDBGridEh::CreateWnd() {
    TCustomDBAxisGridEh::CreateWnd();
    // The edit button fits the row when the row is not much taller than a button is wide;
    // otherwise it keeps the height a button of its width has.
    const int bw = InplaceEditorButtonWidth();
    if (FStdDefaultRowHeight <= int(std::lround(bw * 1.5)))
        FInplaceEditorButtonHeight = FStdDefaultRowHeight;
    else
        FInplaceEditorButtonHeight = ButtonHeightForWidth(bw, Flat());
    if (FAutoFitColWidths || (FGridRowPanel && FGridRowPanel->Active())) {
        RequestLayoutUpdate();
    } else if (LayoutLock() == 0 && !ComponentState().Contains(csLoading)) {
        UpdateColumnWidths();
        RecalcDataRowCount();
        LinkDataChanged();
    }
    UpdateVertScrollBar();
    // The search and grouping panels take their room at the top once the window exists.
    RequestLayoutUpdate();
    if (FDataGrouping && FDataGrouping->GroupPanelVisible()) LayoutGroupPanelTitles();
    LayoutTopPanels();
    RequestLayoutUpdate();
}

// ---------------------------------------------------------------------------------------------
// Cell hooks

void TCustomDBGridEh::DrawColumnCell(const TRect& Rect, int DataCol, TColumnEh* Column,
                                     TGridDrawState State) {
    if (OnDrawColumnCell) OnDrawColumnCell(this, Rect, DataCol, Column, State);
}

void TCustomDBGridEh::DrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State) {
    if (OnDrawDataCell) OnDrawDataCell(this, Rect, Field, State);
}

void TCustomDBGridEh::GetCellParams(TColumnEh* Column, TFont* AFont, TColor& Background,
                                    TGridDrawState State) {
    if (OnGetCellParams) OnGetCellParams(this, Column, AFont, Background, State);
}

TCustomImageList* TCustomDBGridEh::TitleImages() const {
    return FTitleParams->Images();
}

void TCustomDBGridEh::SetTitleImages(TCustomImageList* Value) {
    FTitleParams->SetImages(Value);
}

// ---------------------------------------------------------------------------------------------
// Column sizing

void TCustomDBGridEh::ResizeColumnsRightOf(int Index) {
    TColumnEh* sized = DataColumn(Index);
    if (!sized) return;
    TDBGridColumnsEh* cols = Columns();
    const int cell = ColWidths(Index + FIndicatorOffset);
    const int wOld = sized->Width();
    const int wNew = CellWidthToColumnWidth(sized, cell);
    if (sized->AutoFitColWidth())
        // A column that had no width starts again from its new one.
        sized->FInitWidth = wOld > 0 ? MulDiv(cell, sized->FInitWidth, wOld) : wNew;
    else
        sized->SetWidth(wNew);
    int sum = 0;
    for (int i = Index + 1; i < cols->Count(); ++i)
        if (TColumnEh* c = cols->Columns(i); c->Visible() && c->AutoFitColWidth()) sum += c->Width();
    for (int i = Index + 1; i < cols->Count(); ++i) {
        TColumnEh* c = cols->Columns(i);
        if (!c->Visible() || !c->AutoFitColWidth()) continue;
        // With nothing to share from (sum 0) every column keeps the narrowest width.
        const int w = sum > 0 ? MulDiv(sum + wOld - wNew, c->FInitWidth, sum) : 0;
        c->FInitWidth = w > 0 ? w : 1;
    }
}

// ---------------------------------------------------------------------------------------------
// Component streams: the grid's published properties and events, and those of its appearance
// objects. A value left at its default, or one that still follows the grid (a colour never
// assigned, a font that follows the grid's font), is not written. A value with a stored flag is
// written while the flag is set; the flag is published too, so that an assigned value equal to
// its default survives the round trip.

KVT_ENUM_TYPE(TDBGridOption, dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize, dgColLines,
              dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit,
              dgMultiSelect)
KVT_ENUM_TYPE(TDBGridEhOption, dghFixed3D, dghFrozen3D, dghFooter3D, dghData3D, dghResizeWholeRightPart,
              dghHighlightFocus, dghClearSelection, dghFitRowHeightToText, dghAutoSortMarking,
              dghMultiSortMarking, dghEnterAsTab, dghTraceColSizing, dghIncSearch, dghPreferIncSearch,
              dghRowHighlight, dghDblClickOptimizeColWidth, dghDialogFind, dghRecordMoving, dghShowRecNo,
              dghColumnResize, dghColumnMove, dghAutoFitRowHeight, dghHotTrack, dghExtendVertLines)
KVT_ENUM_TYPE(TDBGridEhSelectionType, gstRecordBookmarks, gstRectangle, gstColumns, gstAll, gstNon)
KVT_ENUM_TYPE(TDBGridEhIndicatorOption, gioShowRowIndicatorEh, gioShowRecNoEh, gioShowRowselCheckboxesEh)
KVT_ENUM_TYPE(TDBGridEhEditAction, geaCutEh, geaCopyEh, geaPasteEh, geaDeleteEh, geaSelectAllEh)
KVT_ENUM_TYPE(TEditButtonsShowOptionEh, sebShowOnlyForCurCellEh, sebShowOnlyForCurRowEh,
              sebShowOnlyWhenGridActiveEh, sebShowOnlyWhenDataEditingEh)
KVT_ENUM_TYPE(TDBGridEhAllowedOperation, alopInsertEh, alopUpdateEh, alopDeleteEh, alopAppendEh)
KVT_ENUM_TYPE(TSortMarkerStyleEh, smstDefaultEh, smstSolidEh, smstFrameEh, smstThemeDefinedEh, smstClassicEh,
              smst3DFrameEh)
KVT_ENUM_TYPE(TDBGridLinesColorSchemeEh, glcsDefaultEh, glcsClassicEh, glcsFlatEh, glcsThemedEh)
KVT_ENUM_TYPE(TDrawEmptySpaceStyle, dessNonEh, dessSolidEh, dessGradiendEh)
KVT_ENUM_TYPE(TGridCellFillStyleEh, cfstDefaultEh, cfstThemedEh, cfstGradientEh, cfstSolidEh)
KVT_ENUM_TYPE(TTreeViewGlyphStyleEh, tvgsDefaultEh, tvgsClassicEh, tvgsThemedEh, tvgsExplorerThemedEh)

// ---------------------------------------------------------------------------------------------
// Appearance objects. A value with a stored flag is written while the flag is set; the flag is
// published too, so that an assigned value equal to its default survives the round trip.

KVT_PUBLISHED(TDBGridTitleParamsEh) {
    using C = TDBGridTitleParamsEh;
    P.Prop("BorderInFillStyle", &C::BorderInFillStyle, &C::SetBorderInFillStyle).Default(false);
    P.Prop("Color", &C::Color, &C::SetColor).Stored(&C::ColorStored);
    P.Prop("ColorStored", &C::ColorStored, &C::SetColorStored).Default(false);
    P.Prop("FillStyle", &C::FillStyle, &C::SetFillStyle).Default(cfstDefaultEh);
    P.Prop("Font", &C::Font, &C::SetFont).Stored([](C* p) { return !p->ParentFont(); });
    P.Prop("HorzLineColor", &C::HorzLineColor, &C::SetHorzLineColor).Stored([](C* p) {
        return p->FHorzLineColor != clDefault;
    });
    P.Prop("HorzLines", &C::HorzLines, &C::SetHorzLines).Stored(&C::HorzLinesStored);
    P.Prop("HorzLinesStored", &C::HorzLinesStored, &C::SetHorzLinesStored).Default(false);
    P.Prop("Images", &C::Images, &C::SetImages);
    P.Prop("MultiTitle", &C::MultiTitle, &C::SetMultiTitle).Default(false);
    P.Prop("ParentFont", &C::ParentFont, &C::SetParentFont).Default(true);
    P.Prop("PopupMenu", &C::PopupMenu, &C::SetPopupMenu);
    P.Prop("RowHeight", &C::RowHeight, &C::SetRowHeight).Default(0);
    P.Prop("RowLines", &C::RowLines, &C::SetRowLines).Default(0);
    P.Prop("SecondColor", &C::SecondColor, &C::SetSecondColor).Stored(&C::SecondColorStored);
    P.Prop("SecondColorStored", &C::SecondColorStored, &C::SetSecondColorStored).Default(false);
    P.Prop("SortMarkerStyle", &C::SortMarkerStyle, &C::SetSortMarkerStyle).Stored(&C::SortMarkerStyleStored);
    P.Prop("SortMarkerStyleStored", &C::SortMarkerStyleStored, &C::SetSortMarkerStyleStored).Default(false);
    P.Prop("VertLineColor", &C::VertLineColor, &C::SetVertLineColor).Stored([](C* p) {
        return p->FVertLineColor != clDefault;
    });
    P.Prop("VertLines", &C::VertLines, &C::SetVertLines).Stored(&C::VertLinesStored);
    P.Prop("VertLinesStored", &C::VertLinesStored, &C::SetVertLinesStored).Default(false);
    P.Prop("VTitleMargin", &C::VTitleMargin, &C::SetVTitleMargin).Default(10);
}

KVT_PUBLISHED(TDBGridIndicatorParamsEh) {
    using C = TDBGridIndicatorParamsEh;
    P.Prop("Color", &C::Color, &C::SetColor).Stored(&C::ColorStored);
    P.Prop("ColorStored", &C::ColorStored, &C::SetColorStored).Default(false);
    P.Prop("FillStyle", &C::FillStyle, &C::SetFillStyle).Default(cfstDefaultEh);
    P.Prop("HorzLineColor", &C::HorzLineColor, &C::SetHorzLineColor).Stored([](C* p) {
        return p->FHorzLineColor != clDefault;
    });
    P.Prop("HorzLines", &C::HorzLines, &C::SetHorzLines).Stored(&C::HorzLinesStored);
    P.Prop("HorzLinesStored", &C::HorzLinesStored, &C::SetHorzLinesStored).Default(false);
    P.Prop("RecNoShowStep", &C::RecNoShowStep, &C::SetRecNoShowStep).Default(1);
    P.Prop("VertLineColor", &C::VertLineColor, &C::SetVertLineColor).Stored([](C* p) {
        return p->FVertLineColor != clDefault;
    });
    P.Prop("VertLines", &C::VertLines, &C::SetVertLines).Stored(&C::VertLinesStored);
    P.Prop("VertLinesStored", &C::VertLinesStored, &C::SetVertLinesStored).Default(false);
}

KVT_PUBLISHED(TDBGridFooterParamsEh) {
    using C = TDBGridFooterParamsEh;
    // clDefault reads as the grid's colour: the raw value is what is stored.
    P.Prop("Color", &C::Color, &C::SetColor).Default(clDefault);
    P.Prop("FillStyle", &C::FillStyle, &C::SetFillStyle).Default(cfstDefaultEh);
    P.Prop("Font", &C::Font, &C::SetFont).Stored([](C* p) { return !p->ParentFont(); });
    P.Prop("HorzLineColor", &C::HorzLineColor, &C::SetHorzLineColor).Stored([](C* p) {
        return p->FHorzLineColor != clDefault;
    });
    P.Prop("HorzLines", &C::HorzLines, &C::SetHorzLines).Stored(&C::HorzLinesStored);
    P.Prop("HorzLinesStored", &C::HorzLinesStored, &C::SetHorzLinesStored).Default(false);
    P.Prop("ParentFont", &C::ParentFont, &C::SetParentFont).Default(true);
    P.Prop("RowHeight", &C::RowHeight, &C::SetRowHeight).Default(0);
    P.Prop("RowLines", &C::RowLines, &C::SetRowLines).Default(0);
    P.Prop("VertLineColor", &C::VertLineColor, &C::SetVertLineColor).Stored([](C* p) {
        return p->FVertLineColor != clDefault;
    });
    P.Prop("VertLines", &C::VertLines, &C::SetVertLines).Stored(&C::VertLinesStored);
    P.Prop("VertLinesStored", &C::VertLinesStored, &C::SetVertLinesStored).Default(false);
}

KVT_PUBLISHED(TDBGridLineParamsEh) {
    using C = TDBGridLineParamsEh;
    P.Prop("ColorScheme", &C::ColorScheme, &C::SetColorScheme).Default(glcsDefaultEh);
    P.Prop("DataBoundaryColor", &C::DataBoundaryColor, &C::SetDataBoundaryColor).Default(clDefault);
    P.Prop("DataHorzLines", &C::DataHorzLines, &C::SetDataHorzLines).Stored(&C::DataHorzLinesStored);
    P.Prop("DataHorzLinesStored", &C::DataHorzLinesStored, &C::SetDataHorzLinesStored).Default(false);
    P.Prop("DataVertLines", &C::DataVertLines, &C::SetDataVertLines).Stored(&C::DataVertLinesStored);
    P.Prop("DataVertLinesStored", &C::DataVertLinesStored, &C::SetDataVertLinesStored).Default(false);
    P.Prop("GridBoundaries", &C::GridBoundaries, &C::SetGridBoundaries).Default(false);
    // The style follows dghExtendVertLines until it is set apart from it.
    P.Prop("VertEmptySpaceStyle", &C::VertEmptySpaceStyle, &C::SetVertEmptySpaceStyle).Stored([](C* p) {
        TCustomDBGridEh* g = p->DBGrid();
        const bool ext = g && g->OptionsEh().Contains(dghExtendVertLines);
        return p->VertEmptySpaceStyle() != (ext ? dessGradiendEh : dessNonEh);
    });
}

KVT_PUBLISHED(TGridTreeViewParamsEh) {
    using C = TGridTreeViewParamsEh;
    P.Prop("GlyphStyle", &C::GlyphStyle, &C::SetGlyphStyle).Default(tvgsDefaultEh);
    P.Prop("ShowTreeLines", &C::ShowTreeLines, &C::SetShowTreeLines).Default(true);
}

KVT_PUBLISHED(TDBGridBackgroundDataEh) {
    using C = TDBGridBackgroundDataEh;
    P.Prop("ExcludeFooter", &C::ExcludeFooter, &C::SetExcludeFooter).Default(false);
    P.Prop("ExcludeIndicator", &C::ExcludeIndicator, &C::SetExcludeIndicator).Default(false);
    P.Prop("ExcludeTitle", &C::ExcludeTitle, &C::SetExcludeTitle).Default(false);
}

KVT_PUBLISHED(TGridEmptyDataInfoEh) {
    using C = TGridEmptyDataInfoEh;
    P.Prop("Active", &C::Active, &C::SetActive).Default(false);
    P.Prop("Font", &C::Font, &C::SetFont).Stored([](C* p) { return !p->ParentFont(); });
    P.Prop("ParentFont", &C::ParentFont, &C::SetParentFont).Default(true);
    P.Prop("Text", &C::Text, &C::SetText);
}

KVT_PUBLISHED(TDBGridEhIndicatorTitle) {
    using C = TDBGridEhIndicatorTitle;
    P.Prop("DropdownMenu", &C::DropdownMenu, &C::SetDropdownMenu);
    P.Prop("ShowDropDownSign", &C::ShowDropDownSign, &C::SetShowDropDownSign).Default(false);
    P.Prop("TitleButton", &C::TitleButton, &C::SetTitleButton).Default(false);
    P.Prop("UseGlobalMenu", &C::UseGlobalMenu, &C::SetUseGlobalMenu).Default(true);
}

// ---------------------------------------------------------------------------------------------
// The grid. The columns are written by the axis grid's DefineProperties, the legacy title and
// footer values are read by the grid's.

KVT_PUBLISHED(TDBGridEh) {
    using C = TDBGridEh;
    P.Prop("AllowedOperations", &C::AllowedOperations, &C::SetAllowedOperations)
        .Default(TDBGridEhAllowedOperations{alopInsertEh, alopUpdateEh, alopDeleteEh, alopAppendEh});
    P.Prop("AllowedSelections", &C::AllowedSelections, &C::SetAllowedSelections)
        .Default(TDBGridEhAllowedSelections{gstRecordBookmarks, gstRectangle, gstColumns, gstAll});
    P.Prop("AutoFitColWidths", &C::AutoFitColWidths, &C::SetAutoFitColWidths).Default(false);
    P.Prop("BackgroundData", &C::DBBackgroundData);
    P.Prop("Border", &C::Border);
    P.Prop("BorderStyle", &C::BorderStyle, &C::SetBorderStyle).Default(bsSingle);
    P.Publish("Color").Default(clWindow);
    P.Prop("ColumnDefValues", &C::ColumnDefValues);
    P.Prop("ContraColCount", &C::ContraColCount, &C::SetContraColCount).Default(0);
    P.Prop("DataGrouping", &C::DataGrouping);
    P.Prop("DataSource", &C::DataSource, &C::SetDataSource);
    P.Prop(
         "DefaultDrawing",
         [](C* g) { return static_cast<TCustomDBGridEh*>(g)->TCustomDBAxisGridEh::FDefaultDrawing; },
         [](C* g, bool v) {
             static_cast<TCustomDBGridEh*>(g)->TCustomDBAxisGridEh::FDefaultDrawing = v;
             g->Invalidate();
         })
        .Default(true);
    P.Prop("DrawGraphicData", &C::DrawGraphicData, &C::SetDrawGraphicData).Default(false);
    P.Prop("DrawMemoText", &C::DrawMemoText, &C::SetDrawMemoText).Default(false);
    P.Prop("DynProps", &C::DynProps).Stored([](C* g) { return g->DynProps()->Count() > 0; });
    P.Prop("EditActions", &C::EditActions, &C::SetEditActions).Default(TDBGridEhEditActions{});
    P.Prop("EditButtonsShowOptions", &C::EditButtonsShowOptions, &C::SetEditButtonsShowOptions)
        .Default(TEditButtonsShowOptionsEh{});
    P.Prop("EmptyDataInfo", &C::EmptyDataInfo);
    // Until assigned the row colours follow Color.
    P.Prop("EvenRowColor", &C::EvenRowColor, &C::SetEvenRowColor).Stored(&C::EvenRowColorStored);
    P.Prop("FixedColor", &C::FixedColor, &C::SetFixedColor).Default(clBtnFace);
    P.Prop("Flat", &C::Flat, &C::SetFlat).Default(false);
    // The footer and title fonts are the parameter objects' fonts, stored there.
    P.Prop("FooterFont", &C::FooterFont).Stored(false);
    P.Prop("FooterParams", &C::FooterParams);
    P.Prop("FooterRowCount", &C::FooterRowCount, &C::SetFooterRowCount).Default(0);
    P.Prop("FrozenCols", &C::FrozenCols, &C::SetFrozenCols).Default(0);
    P.Prop("GridLineParams", &C::GridLineParams);
    P.Prop("HorzScrollBar", &C::HorzScrollBar);
    P.Prop("IncludeImageModules", &C::IncludeImageModules, &C::SetIncludeImageModules)
        .Default(TIncludeImageModulesEh{});
    P.Prop("IndicatorOptions", &C::IndicatorOptions, &C::SetIndicatorOptions).NoDefault();
    P.Prop("IndicatorParams", &C::IndicatorParams);
    P.Prop("IndicatorTitle", &C::IndicatorTitle);
    P.Prop("MinAutoFitWidth", &C::MinAutoFitWidth, &C::SetMinAutoFitWidth).Default(0);
    P.Prop("OddRowColor", &C::OddRowColor, &C::SetOddRowColor).Stored(&C::OddRowColorStored);
    P.Prop("Options", &C::Options, &C::SetOptions).Default(DefaultDBGridOptions);
    P.Prop("OptionsEh", &C::OptionsEh, &C::SetOptionsEh).Default(DefaultDBGridEhOptions);
    P.Prop(
         "ReadOnly", [](C* g) { return g->ReadOnly(); }, [](C* g, bool v) { g->SetReadOnly(v); })
        .Default(false);
    P.Prop("RowHeight", &C::RowHeight, &C::SetRowHeight).Default(0);
    P.Prop("RowDetailPanel", &C::RowDetailPanel, &C::SetRowDetailPanel);
    P.Prop("RowLines", &C::RowLines, &C::SetRowLines).Default(0);
    P.Prop("RowPanel", &C::RowPanel, &C::SetRowPanel);
    P.Prop("RowSizingAllowed", &C::RowSizingAllowed, &C::SetRowSizingAllowed).Default(false);
    P.Prop("SearchPanel", &C::SearchPanel);
    P.Prop("SortLocal", &C::SortLocal, &C::SetSortLocal).Default(false);
    P.Prop("STFilter", &C::STFilter);
    P.Prop("SumList", &C::SumList);
    P.Prop("TitleFont", &C::TitleFont).Stored(false);
    P.Prop("TitleImages", &C::TitleImages, &C::SetTitleImages).Stored(false);
    P.Prop("TitleParams", &C::TitleParams);
    P.Prop("TreeViewParams", &C::TreeViewParams);
    P.Prop("VertScrollBar", &C::VertScrollBar);
    P.Prop("OnActiveGroupingStructChanged", &C::OnActiveGroupingStructChanged,
           &C::OnActiveGroupingStructChanged);
    P.Prop("OnAdvDrawDataCell", &C::OnAdvDrawDataCell, &C::OnAdvDrawDataCell);
    P.Prop("OnApplyFilter", &C::OnApplyFilter, &C::OnApplyFilter);
    P.Prop("OnBuildIndicatorTitleMenu", &C::OnBuildIndicatorTitleMenu, &C::OnBuildIndicatorTitleMenu);
    P.Prop("OnCellClick", &C::OnCellClick, &C::OnCellClick);
    P.Prop("OnCellMouseClick", &C::OnCellMouseClick, &C::OnCellMouseClick);
    P.Prop("OnCheckButton", &C::OnCheckButton, &C::OnCheckButton);
    P.Prop("OnCheckRowHaveDetailPanel", &C::OnCheckRowHaveDetailPanel, &C::OnCheckRowHaveDetailPanel);
    P.Prop("OnColEnter", &C::OnColEnter, &C::OnColEnter);
    P.Prop("OnColExit", &C::OnColExit, &C::OnColExit);
    P.Prop("OnColumnMoved", &C::OnColumnMoved, &C::OnColumnMoved);
    P.Prop("OnColWidthsChanged", &C::OnColWidthsChanged, &C::OnColWidthsChanged);
    P.Prop("OnDataGroupFooterAggregateValue", &C::OnDataGroupFooterAggregateValue,
           &C::OnDataGroupFooterAggregateValue);
    P.Prop("OnDataGroupFooterFinalizeValue", &C::OnDataGroupFooterFinalizeValue,
           &C::OnDataGroupFooterFinalizeValue);
    P.Prop("OnDataGroupFooterToDisplayText", &C::OnDataGroupFooterToDisplayText,
           &C::OnDataGroupFooterToDisplayText);
    P.Prop("OnDataGroupGetRowText", &C::OnDataGroupGetRowText, &C::OnDataGroupGetRowText);
    P.Prop("OnDataGroupGetRowParams", &C::OnDataGroupGetRowParams, &C::OnDataGroupGetRowParams);
    P.Prop("OnDataGroupGetFooterParams", &C::OnDataGroupGetFooterParams, &C::OnDataGroupGetFooterParams);
    P.Prop("OnDataHintShow", &C::OnDataHintShow, &C::OnDataHintShow);
    P.Prop("OnDrawColumnCell", &C::OnDrawColumnCell, &C::OnDrawColumnCell);
    P.Prop("OnDrawDataCell", &C::OnDrawDataCell, &C::OnDrawDataCell);
    P.Prop("OnDrawFooterCell", &C::OnDrawFooterCell, &C::OnDrawFooterCell);
    P.Prop("OnEditButtonClick", &C::OnEditButtonClick, &C::OnEditButtonClick);
    P.Prop("OnFillSTFilterListValues", &C::OnFillSTFilterListValues, &C::OnFillSTFilterListValues);
    P.Prop("OnGetBtnParams", &C::OnGetBtnParams, &C::OnGetBtnParams);
    P.Prop("OnGetCellParams", &C::OnGetCellParams, &C::OnGetCellParams);
    P.Prop("OnGetFooterParams", &C::OnGetFooterParams, &C::OnGetFooterParams);
    P.Prop("OnGetRowHeight", &C::OnGetRowHeight, &C::OnGetRowHeight);
    P.Prop("OnHintShowPause", &C::OnHintShowPause, &C::OnHintShowPause);
    P.Prop("OnIndicatorTitleMouseDown", &C::OnIndicatorTitleMouseDown, &C::OnIndicatorTitleMouseDown);
    P.Prop("OnMoveRecords", &C::OnMoveRecords, &C::OnMoveRecords);
    P.Prop("OnRowDetailPanelHide", &C::OnRowDetailPanelHide, &C::OnRowDetailPanelHide);
    P.Prop("OnRowDetailPanelShow", &C::OnRowDetailPanelShow, &C::OnRowDetailPanelShow);
    P.Prop("OnSelectionChanged", &C::OnSelectionChanged, &C::OnSelectionChanged);
    P.Prop("OnSortMarkingChanged", &C::OnSortMarkingChanged, &C::OnSortMarkingChanged);
    P.Prop("OnSumListAfterRecalcAll", &C::OnSumListAfterRecalcAll, &C::OnSumListAfterRecalcAll);
    P.Prop("OnSumListRecalcAll", &C::OnSumListRecalcAll, &C::OnSumListRecalcAll);
    P.Prop("OnTitleBtnClick", &C::OnTitleBtnClick, &C::OnTitleBtnClick);
    P.Prop("OnTitleClick", &C::OnTitleClick, &C::OnTitleClick);
    P.Publish({"Align",          "Anchors",     "BiDiMode",    "Constraints", "Ctl3D",          "DragCursor",
               "DragKind",       "DragMode",    "Enabled",     "Font",        "ImeMode",        "ImeName",
               "ParentBiDiMode", "ParentColor", "ParentCtl3D", "ParentFont",  "ParentShowHint", "PopupMenu",
               "ShowHint",       "TabOrder",    "TabStop",     "Touch",       "Visible"});
    P.Publish({"OnContextPopup", "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDock", "OnEndDrag",
               "OnEnter", "OnExit", "OnGesture", "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown",
               "OnMouseMove", "OnMouseUp", "OnStartDock", "OnStartDrag"});
}

KVT_REGISTER_CLASS(TDBGridEh)
