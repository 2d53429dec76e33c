// The navigator panel: its buttons' actions and enabled states, the records-info and
// selection-info panels, the layout beside the horizontal scroll bar and the keyboard.

#include "lib/dbgrid/DBGridEhNavigator.h"

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhRes.h"
#include "lib/dbgrid/DBGridEhScrollBars.h"
#include "lib/dbgrid/DBGridEhSearch.h"
#include "lib/dbgrid/DBGridEhSelection.h"
#include "lib/dbgrid/DBGridEhGrouping.h"
#include "lib/memtable/MemTableEh.h"
#include "lib/tools/ToolCtrlsEh.h"

#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"
#include "platform/ui/WinGdi.h"

#include <QPainter>

#include <algorithm>

namespace {
const char16_t* const DefaultNavHints[10] = {
    u"Первая запись",           u"Предыдущая запись", u"Следующая запись",     u"Последняя запись",
    u"Вставить запись",         u"Удалить запись",    u"Редактировать запись", u"Подтвердить редактирование",
    u"Отменить редактирование", u"Обновить данные"};
const char16_t* const AggregateLabels[5] = {u"Sum", u"Count", u"Average", u"Min", u"Max"};
} // namespace

// ---------------------------------------------------------------------------------------------
// TNavButtonEh

TNavButtonEh::TNavButtonEh(TComponent* AOwner) : TSpeedButton(AOwner) {
    SetColor(clMenu);
}

TNavButtonEh::~TNavButtonEh() = default;

void TNavButtonEh::SetImageIndex(int Value) {
    if (FImageIndex == Value) return;
    FImageIndex = Value;
    Invalidate();
}

void TNavButtonEh::SetImages(TCustomImageList* Value) {
    FImages = Value;
    Invalidate();
}

void TNavButtonEh::SetDisabledImages(TCustomImageList* Value) {
    FDisabledImages = Value;
    Invalidate();
}

void TNavButtonEh::Paint() {
    if (OnPaint) {
        OnPaint(this);
        return;
    }
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    const bool pressed = FState == bsDown || FState == bsExclusive;
    if (ThemesInUse()) {
        TThemedButton part = !Enabled() ? tbPushButtonDisabled
                             : pressed  ? tbPushButtonPressed
                                        : tbPushButtonNormal;
        if (Flat() && Enabled() && !pressed) {
            c->Brush()->SetColor(Color());
            c->FillRect(r);
        } else {
            StyleServices()->DrawElement(c->Handle(), TCustomStyleServices::GetElementDetails(part), r);
        }
    } else {
        c->Brush()->SetColor(Color());
        c->FillRect(r);
        if (pressed)
            DrawEdge(c->Handle(), r, BDR_SUNKENOUTER, BF_RECT);
        else if (!Flat())
            DrawEdge(c->Handle(), r, BDR_RAISEDINNER, BF_RECT);
    }
    TCustomImageList* images = Enabled() ? FImages : (FDisabledImages ? FDisabledImages : FImages);
    if (images && FImageIndex >= 0 && FImageIndex < images->Count()) {
        const int shift = pressed ? 1 : 0;
        images->Draw(c, (r.Width() - images->Width()) / 2 + shift,
                     (r.Height() - images->Height()) / 2 + shift, FImageIndex, Enabled() || FDisabledImages);
    }
    // The keyboard focus of the panel sits on one of its buttons.
    auto* nav = dynamic_cast<TDBGridEhNavigatorPanel*>(Parent());
    if (nav && nav->Focused() && nav->FocusedButton() == FIndex && nav->Button(FIndex) == this) {
        TRect fr = r;
        InflateRect(fr, -3, -3);
        if (pressed) OffsetRect(fr, 1, 1);
        DrawFocusRect(c->Handle(), fr);
    }
}

void TNavButtonEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TSpeedButton::MouseDown(Button, Shift, X, Y);
    if (!FNavStyle.Contains(nsAllowTimer) || Button != mbLeft) return;
    if (!FRepeatTimer) {
        FRepeatTimer = new TTimer(this);
        FRepeatTimer->OnTimer = TNotifyEvent(this, &TNavButtonEh::TimerExpired);
    }
    FRepeatTimer->SetInterval(400);
    FRepeatTimer->SetEnabled(true);
}

void TNavButtonEh::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
    TSpeedButton::MouseUp(Button, Shift, X, Y);
}

void TNavButtonEh::TimerExpired(TObject*) {
    FRepeatTimer->SetInterval(100);
    if (FState == bsDown && MouseCapture()) {
        try {
            Click();
        } catch (...) {
            FRepeatTimer->SetEnabled(false);
            throw;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// TNavDataLinkEh

TNavDataLinkEh::TNavDataLinkEh(TDBGridEhNavigatorPanel* ANav) : FNavigator(ANav) {
    SetVisualControl(true);
}

void TNavDataLinkEh::EditingChanged() {
    if (FNavigator) FNavigator->EditingChanged();
}

void TNavDataLinkEh::DataSetChanged() {
    if (FNavigator) FNavigator->UpdateButtonStates();
}

void TNavDataLinkEh::ActiveChanged() {
    if (FNavigator) FNavigator->ActiveChanged();
}

// ---------------------------------------------------------------------------------------------
// TDBGridEhNavigatorPanel: creation, properties

TDBGridEhNavigatorPanel::TDBGridEhNavigatorPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    TControlStyle cs = ControlStyle();
    cs.Include(csOpaque);
    cs.Exclude(csSetCaption);
    SetControlStyle(cs);
    FDataLink = std::make_unique<TNavDataLinkEh>(this);
    FHints = std::make_unique<TStringList>();
    FHints->OnChange = TNotifyEvent(this, &TDBGridEhNavigatorPanel::HintsChanged);
    CreateParts();
    InitHints();
    ActiveChanged();
}

TDBGridEhNavigatorPanel::~TDBGridEhNavigatorPanel() {
    FDataLink->Detach();
    FDataLink->SetDataSource(nullptr);
    FHints->OnChange = nullptr;
}

TCustomDBGridEh* TDBGridEhNavigatorPanel::Grid() const {
    for (TComponent* o = Owner(); o; o = o->Owner())
        if (auto* g = dynamic_cast<TCustomDBGridEh*>(o)) return g;
    return nullptr;
}

void TDBGridEhNavigatorPanel::CreateParts() {
    auto make = [this](TNotifyEvent paint) {
        auto* b = new TNavButtonEh(this);
        b->SetFlat(FFlat);
        b->SetParent(this);
        b->OnPaint = paint;
        return b;
    };
    RecordsInfoPanel = make(TNotifyEvent(this, &TDBGridEhNavigatorPanel::PaintInfoPanel));
    NavButtonsDivider = make(TNotifyEvent(this, &TDBGridEhNavigatorPanel::PaintDivider));
    for (int i = nbFirstEh; i <= nbRefreshEh; ++i) {
        TNavButtonEh* b = make(nullptr);
        b->SetIndex(TNavigateBtnEh(i));
        b->SetImageIndex(i);
        b->SetVisible(FVisibleButtons.Contains(TNavigateBtnEh(i)));
        b->OnClick = TNotifyEvent(this, &TDBGridEhNavigatorPanel::ClickHandler);
        b->OnMouseDown = TMouseEvent(this, &TDBGridEhNavigatorPanel::ButtonMouseDown);
        b->SetShowHint(true);
        NavButtons[i] = b;
    }
    NavButtons[nbPriorEh]->SetNavStyle(TNavButtonStyle{nsAllowTimer});
    NavButtons[nbNextEh]->SetNavStyle(TNavButtonStyle{nsAllowTimer});
    FindEditDivider = make(TNotifyEvent(this, &TDBGridEhNavigatorPanel::PaintDivider));
    FindEditDivider->SetVisible(false);
    SelectionInfoDivider = make(TNotifyEvent(this, &TDBGridEhNavigatorPanel::PaintDivider));
    SelectionInfoPanel = make(TNotifyEvent(this, &TDBGridEhNavigatorPanel::PaintInfoPanel));
    SelectionInfoPanel->OnMouseUp = TMouseEvent(this, &TDBGridEhNavigatorPanel::SelectionInfoMouseUp);
    SelectionInfoDivider->SetVisible(false);
    SelectionInfoPanel->SetVisible(false);
}

void TDBGridEhNavigatorPanel::InitHints() {
    if (!FDefHints) {
        FDefHints = std::make_unique<TStringList>();
        for (const char16_t* h : DefaultNavHints)
            FDefHints->Add(String::fromUtf16(h));
    }
    for (int i = 0; i < 10; ++i)
        NavButtons[i]->SetHint(FDefHints->Strings(i));
    for (int i = 0; i < std::min(10, FHints->Count()); ++i)
        if (!FHints->Strings(i).isEmpty()) NavButtons[i]->SetHint(FHints->Strings(i));
}

void TDBGridEhNavigatorPanel::HintsChanged(TObject*) {
    InitHints();
}

TStrings* TDBGridEhNavigatorPanel::Hints() {
    if (ComponentState().Contains(csDesigning) && !ComponentState().Contains(csReading) &&
        FHints->Count() == 0) {
        InitHints();
        return FDefHints.get();
    }
    return FHints.get();
}

void TDBGridEhNavigatorPanel::SetHints(TStrings* Value) {
    InitHints();
    if (Value && Value->Text() == FDefHints->Text())
        FHints->Clear();
    else
        FHints->Assign(Value);
}

void TDBGridEhNavigatorPanel::SetVisibleButtons(TNavButtonSetEh Value) {
    if (FVisibleButtons == Value) return;
    FVisibleButtons = Value;
    UpdateVisibleItems();
}

void TDBGridEhNavigatorPanel::SetVisibleItems(TGridSBItemsEh Value) {
    if (FVisibleItems == Value) return;
    FVisibleItems = Value;
    UpdateVisibleItems();
    if (TCustomDBGridEh* g = Grid()) g->Invalidate();
}

TDataSource* TDBGridEhNavigatorPanel::DataSource() const {
    return FDataLink->DataSource();
}

void TDBGridEhNavigatorPanel::SetDataSource(TDataSource* Value) {
    if (DataSource() == Value) return;
    if (TDataSource* old = DataSource()) old->RemoveFreeNotification(this);
    FDataLink->SetDataSource(Value);
    if (Value) Value->FreeNotification(this);
    if (!ComponentState().Contains(csLoading)) ActiveChanged();
}

void TDBGridEhNavigatorPanel::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (FDataLink && AComponent == DataSource()) FDataLink->SetDataSource(nullptr);
    if (AComponent == FImages) FImages = nullptr;
    if (AComponent == FDisabledImages) FDisabledImages = nullptr;
    if (AComponent == FSearchPanelControl) FSearchPanelControl = nullptr;
}

void TDBGridEhNavigatorPanel::SetImages(TCustomImageList* Value) {
    if (FImages == Value) return;
    FImages = Value;
    if (Value) Value->FreeNotification(this);
    UpdateVisibleItems();
}

void TDBGridEhNavigatorPanel::SetDisabledImages(TCustomImageList* Value) {
    if (FDisabledImages == Value) return;
    FDisabledImages = Value;
    if (Value) Value->FreeNotification(this);
    UpdateVisibleItems();
}

void TDBGridEhNavigatorPanel::SetFlat(bool Value) {
    if (FFlat == Value) return;
    FFlat = Value;
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* b = dynamic_cast<TNavButtonEh*>(Controls(i))) b->SetFlat(Value);
    Invalidate();
}

void TDBGridEhNavigatorPanel::SetBorderColor(TColor Value) {
    if (FBorderColor == Value) return;
    FBorderColor = Value;
    Invalidate();
}

void TDBGridEhNavigatorPanel::SetSearchPanelControl(TDBGridSearchPanelControlEh* Value) {
    if (FSearchPanelControl == Value) return;
    if (FSearchPanelControl) FSearchPanelControl->RemoveFreeNotification(this);
    FSearchPanelControl = Value;
    if (Value) Value->FreeNotification(this);
    UpdateVisibleItems();
}

void TDBGridEhNavigatorPanel::SetEnabled(bool Value) {
    TCustomControl::SetEnabled(Value);
    if (!ComponentState().Contains(csLoading)) ActiveChanged();
}

void TDBGridEhNavigatorPanel::Loaded() {
    TCustomControl::Loaded();
    ArrangeControls();
    InitHints();
    ActiveChanged();
}

// ---------------------------------------------------------------------------------------------
// Actions and states

void TDBGridEhNavigatorPanel::ClickHandler(TObject* Sender) {
    if (auto* b = dynamic_cast<TNavButtonEh*>(Sender)) NavBtnClick(b->Index());
}

void TDBGridEhNavigatorPanel::NavBtnClick(TNavigateBtnEh Index) {
    const bool designing = ComponentState().Contains(csDesigning);
    TDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
    if (ds && ds->Active()) {
        if (!designing && BeforeAction) BeforeAction(this, Index);
        TCustomDBGridEh* grid = Grid();
        switch (Index) {
        case nbFirstEh:
            ds->First();
            break;
        case nbPriorEh:
            ds->Prior();
            break;
        case nbNextEh:
            ds->Next();
            break;
        case nbLastEh:
            ds->Last();
            break;
        case nbInsertEh:
            if (grid && grid->AllowedOperations().Contains(alopInsertEh))
                ds->Insert();
            else
                ds->Append();
            break;
        case nbDeleteEh:
            // Selected records go by the grid's own rules and questions.
            if (grid && (grid->Selection()->SelectionType() == gstRecordBookmarks ||
                         grid->Selection()->SelectionType() == gstAll)) {
                DeleteGridSelection(grid, false);
                break;
            }
            if (FConfirmDelete && MessageDlg(QStringLiteral("Delete record?"), mtConfirmation,
                                             TMsgDlgButtons{mbOK, mbCancel}) == mrCancel)
                return;
            ds->Delete();
            break;
        case nbEditEh:
            ds->Edit();
            break;
        case nbPostEh:
            ds->Post();
            break;
        case nbCancelEh:
            ds->Cancel();
            break;
        case nbRefreshEh:
            ds->Refresh();
            break;
        }
    }
    if (!designing && OnNavClick) OnNavClick(this, Index);
}

void TDBGridEhNavigatorPanel::UpdateButtonStates() {
    if (ComponentState().Contains(csDestroying)) return;
    TDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
    if (!ds || !ds->Active() || !Enabled()) {
        for (TNavButtonEh* b : NavButtons)
            b->SetEnabled(false);
        UpdateInfoPanels();
        return;
    }
    const bool b = ds->BOF(), e = ds->Eof(), m = ds->CanModify();
    const bool editing = ds->State() == dsEdit || ds->State() == dsInsert;
    TCustomDBGridEh* grid = Grid();
    const TDBGridEhAllowedOperations ops =
        grid ? grid->AllowedOperations()
             : TDBGridEhAllowedOperations{alopInsertEh, alopUpdateEh, alopDeleteEh, alopAppendEh};
    // A group row stands for no record: nothing to insert beside, edit or delete.
    // (The current node is looked at only while the tree still lists it: data events come in
    // while the tree is being rebuilt.)
    bool g = true;
    if (grid && grid->DataGrouping() && grid->DataGrouping()->IsGroupingWorks()) {
        TGroupDataTreeNodeEh* node = grid->CurGroupDataNode();
        if (node && grid->DataGrouping()->GroupDataTree()->IndexOfVisibleNode(node) >= 0)
            g = node->NodeType() != dntDataGroupEh;
    }
    NavButtons[nbFirstEh]->SetEnabled(!b);
    NavButtons[nbPriorEh]->SetEnabled(!b);
    NavButtons[nbNextEh]->SetEnabled(!e);
    NavButtons[nbLastEh]->SetEnabled(!e);
    const bool canInsert = m && (ops.Contains(alopInsertEh) ? g : ops.Contains(alopAppendEh) && g);
    NavButtons[nbInsertEh]->SetEnabled(canInsert);
    NavButtons[nbDeleteEh]->SetEnabled(m && ops.Contains(alopDeleteEh) && g && !(b && e));
    NavButtons[nbEditEh]->SetEnabled(m && !editing && ops.Contains(alopUpdateEh) && g &&
                                     !(!canInsert && ds->IsEmpty()));
    NavButtons[nbPostEh]->SetEnabled(m && editing);
    NavButtons[nbCancelEh]->SetEnabled(m && editing);
    NavButtons[nbRefreshEh]->SetEnabled(m);
    UpdateInfoPanels();
}

void TDBGridEhNavigatorPanel::EditingChanged() {
    UpdateButtonStates();
}

void TDBGridEhNavigatorPanel::ActiveChanged() {
    if (ComponentState().Contains(csDestroying)) return;
    if (Enabled() && FDataLink->Active()) {
        UpdateButtonStates();
        return;
    }
    for (TNavButtonEh* b : NavButtons)
        b->SetEnabled(false);
    UpdateInfoPanels();
}

// ---------------------------------------------------------------------------------------------
// Info panels

String TDBGridEhNavigatorPanel::RecordsInfoText() {
    TDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
    if (!ds || !ds->Active()) return String();
    String t = String::number(ds->RecordCount());
    TCustomDBGridEh* g = Grid();
    if (g && g->SelectedRows()->Count() > 0)
        t += QStringLiteral(" (") + String::number(g->SelectedRows()->Count()) + QStringLiteral(")");
    return t;
}

int TDBGridEhNavigatorPanel::InfoWidth(const String& Text, TFont* Font) {
    TCanvas* c = Canvas();
    c->Font()->Assign(Font);
    int w = Text.isEmpty() ? 0 : c->TextWidth(QStringLiteral(" ") + Text + QStringLiteral(" "));
    TCustomDBGridEh* g = Grid();
    if (g && g->Options().Contains(dgIndicator) && w < g->ColWidths(0)) w = g->ColWidths(0);
    return w;
}

int TDBGridEhNavigatorPanel::RecordsInfoWidth() {
    TCustomDBGridEh* g = Grid();
    TFont f;
    if (g) f.Assign(g->Font());
    f.SetSize(f.Size() - 1);
    return InfoWidth(RecordsInfoText(), &f);
}

int TDBGridEhNavigatorPanel::SelectionInfoWidth() {
    TCustomDBGridEh* g = Grid();
    return InfoWidth(FSelectionInfoPanelText, g ? g->Font() : Font());
}

String TDBGridEhNavigatorPanel::GetSelectionInfoPanelText() {
    SelectionInfoPanelDataEh.clear();
    TCustomDBGridEh* g = Grid();
    IMemTableEh* mt = g ? g->IntMemTable() : nullptr;
    if (!mt || !g->DataLink()->Active()) return String();
    TDBGridEhSelection* sel = g->Selection();
    TBookmark from, to; // empty: every row
    String fieldName;
    if (sel->SelectionType() == gstRectangle) {
        from = sel->Rect()->TopRow();
        to = sel->Rect()->BottomRow();
        if (TColumnEh* c = g->DataColumn(sel->Rect()->LeftCol())) fieldName = c->FieldName();
    } else if (sel->SelectionType() == gstColumns) {
        if (sel->Columns()->Count() > 0) fieldName = sel->Columns()->Columns(0)->FieldName();
    } else {
        return String();
    }
    if (fieldName.isEmpty()) return String();
    Variant values[5];
    mt->GetAggregatedValuesForRange(from, to, fieldName, values,
                                    Byte(agfSumEh | agfCountEh | agfAvgEh | agfMinEh | agfMaxEh));
    TCanvas* c = Canvas();
    c->Font()->Assign(g->Font());
    String text;
    for (int i = 0; i < 5; ++i) {
        if (values[i].IsNull() || values[i].IsEmpty()) continue;
        if (!text.isEmpty()) text += QStringLiteral("   ");
        text += QStringLiteral(" ") + String::fromUtf16(AggregateLabels[i]) + QStringLiteral(": ");
        const String value = values[i].AsString();
        // Where the value sits in the drawn text, for copying it with a click.
        const int left = c->TextWidth(text);
        text += value;
        SelectionInfoPanelDataEh.push_back({value, left, c->TextWidth(text)});
    }
    if (!text.isEmpty()) text += QStringLiteral(" ");
    return text;
}

void TDBGridEhNavigatorPanel::UpdateInfoPanels() {
    if (ComponentState().Contains(csDestroying)) return;
    if (RecordsInfoPanel->Visible() && HandleAllocated()) {
        const int w = RecordsInfoWidth();
        const bool changed = w != RecordsInfoPanel->Width();
        RecordsInfoPanel->SetWidth(w);
        RecordsInfoPanel->Invalidate();
        if (changed) ResetWidth();
    }
    if (!FVisibleItems.Contains(gsbiSelAggregationInfoEh) || !HandleAllocated()) {
        SelectionInfoPanel->SetVisible(false);
        SelectionInfoDivider->SetVisible(false);
        return;
    }
    FSelectionInfoPanelText = GetSelectionInfoPanelText();
    const bool show = !FSelectionInfoPanelText.isEmpty();
    SelectionInfoPanel->SetVisible(show);
    SelectionInfoDivider->SetVisible(show);
    SelectionInfoPanel->SetWidth(SelectionInfoWidth());
    ResetWidth();
}

void TDBGridEhNavigatorPanel::PaintInfoPanel(TObject* Sender) {
    auto* b = static_cast<TNavButtonEh*>(Sender);
    TCanvas* c = b->Canvas();
    TCustomDBGridEh* g = Grid();
    const TRect r = b->ClientRect();
    c->Brush()->SetStyle(bsClear);
    if (g) c->Font()->Assign(g->Font());
    if (g) c->Font()->SetColor(g->Font()->Color());
    if (b == RecordsInfoPanel) {
        c->Font()->SetSize(c->Font()->Size() - 1);
        const String t = RecordsInfoText();
        const int x = (r.Width() - c->TextWidth(t)) / 2;
        c->TextOut(x, (r.Height() - c->TextHeight(QStringLiteral("Wg"))) / 2, t);
    } else {
        c->TextOut(0, (r.Height() - c->TextHeight(QStringLiteral("Wg"))) / 2, FSelectionInfoPanelText);
    }
    c->Brush()->SetStyle(bsSolid);
}

void TDBGridEhNavigatorPanel::PaintDivider(TObject* Sender) {
    auto* b = static_cast<TNavButtonEh*>(Sender);
    TCanvas* c = b->Canvas();
    c->Pen()->SetColor(FBorderColor);
    c->MoveTo(0, 0);
    c->LineTo(0, b->Height());
}

void TDBGridEhNavigatorPanel::SelectionInfoMouseUp(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
    if (Button != mbLeft) return;
    for (const TSelectionInfoPanelItemEh& item : SelectionInfoPanelDataEh) {
        if (X < item.Left || X >= item.Right) continue;
        TDBGridEhRes* res = DBGridEhRes();
        res->Copy1->SetHint(item.Text);
        const TPoint p = SelectionInfoPanel->ClientToScreen(TPoint(X, Y));
        res->PopupMenu1->Popup(p.X, p.Y);
        return;
    }
}

// ---------------------------------------------------------------------------------------------
// Layout

int TDBGridEhNavigatorPanel::VisibleButtonCount() const {
    int n = 0;
    for (TNavButtonEh* b : NavButtons)
        if (b->Visible()) ++n;
    return n;
}

void TDBGridEhNavigatorPanel::UpdateVisibleItems() {
    RecordsInfoPanel->SetVisible(FVisibleItems.Contains(gsbiRecordsInfoEh));
    bool anyButton = false;
    for (int i = 0; i < 10; ++i) {
        const bool v = FVisibleButtons.Contains(TNavigateBtnEh(i)) && FVisibleItems.Contains(gsbiNavigator);
        NavButtons[i]->SetVisible(v);
        NavButtons[i]->SetImages(FImages);
        NavButtons[i]->SetDisabledImages(FDisabledImages);
        anyButton = anyButton || v;
    }
    NavButtonsDivider->SetVisible(RecordsInfoPanel->Visible() && anyButton);
    FindEditDivider->SetVisible(FSearchPanelControl && (RecordsInfoPanel->Visible() || anyButton));
    UpdateInfoPanels();
    ArrangeControls();
    if (Parent() && HandleAllocated()) ResetWidth();
    Invalidate();
}

int TDBGridEhNavigatorPanel::ArrangeControls() {
    if (ComponentState().Contains(csLoading) || !NavButtons[nbRefreshEh]) return 0;
    ButtonWidth = Height();
    const int h = ClientHeight();
    const bool rtl = UseRightToLeftAlignment();
    const int cw = ClientWidth();
    int x = 0;
    // Places a part of width W at the running position (mirrored in right-to-left layout).
    auto place = [&](TControl* c, int w) {
        if (rtl)
            c->SetBounds(cw - x - w, 0, w, h);
        else
            c->SetBounds(x, 0, w, h);
        x += w;
    };
    if (RecordsInfoPanel->Visible()) place(RecordsInfoPanel, RecordsInfoPanel->Width());
    if (NavButtonsDivider->Visible()) place(NavButtonsDivider, DividerWidth());
    static const TNavigateBtnEh ltrOrder[10] = {nbFirstEh,  nbPriorEh, nbNextEh, nbLastEh,   nbInsertEh,
                                                nbDeleteEh, nbEditEh,  nbPostEh, nbCancelEh, nbRefreshEh};
    static const TNavigateBtnEh rtlOrder[10] = {nbLastEh,   nbNextEh, nbPriorEh, nbFirstEh,  nbInsertEh,
                                                nbDeleteEh, nbEditEh, nbPostEh,  nbCancelEh, nbRefreshEh};
    for (TNavigateBtnEh i : rtl ? rtlOrder : ltrOrder) {
        TNavButtonEh* b = NavButtons[i];
        if (b->Visible())
            place(b, h);
        else
            b->SetBounds(cw + 10, 0, h, h);
    }
    if (FindEditDivider->Visible()) place(FindEditDivider, DividerWidth());
    if (FSearchPanelControl) {
        if (FSearchPanelControl->Visible())
            place(FSearchPanelControl, FSearchPanelControl->CalcAutoWidthForHeight(h));
        else
            FSearchPanelControl->SetBounds(0, 0, 0, 0);
    }
    if (SelectionInfoDivider->Visible()) {
        place(SelectionInfoDivider, DividerWidth());
        place(SelectionInfoPanel, SelectionInfoPanel->Width());
    }
    return x;
}

int TDBGridEhNavigatorPanel::OptimalWidth() {
    if (!HandleAllocated()) return 0;
    int w = 0;
    if (RecordsInfoPanel->Visible()) w += RecordsInfoPanel->Width();
    if (NavButtonsDivider->Visible()) w += DividerWidth();
    w += ClientHeight() * VisibleButtonCount();
    if (SelectionInfoPanel->Visible()) w += DividerWidth() + SelectionInfoPanel->Width();
    if (FindEditDivider->Visible()) w += DividerWidth();
    if (FSearchPanelControl && FSearchPanelControl->Visible())
        w += FSearchPanelControl->CalcAutoWidthForHeight(ClientHeight());
    return w + (Width() - ClientWidth());
}

void TDBGridEhNavigatorPanel::ResetWidth() {
    int w = OptimalWidth();
    if (auto* pc = dynamic_cast<TDBGridEhScrollBarPanelControl*>(Parent()))
        w = std::min(w, std::max(0, pc->MaxSizeForExtraPanel()));
    SetWidth(w);
}

// ---------------------------------------------------------------------------------------------
// Keyboard, painting

void TDBGridEhNavigatorPanel::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS;
        return;
    case WM_SIZE:
        TCustomControl::WndProc(Message);
        ArrangeControls();
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TCustomControl::WndProc(Message);
        NavButtons[FFocusedButton]->Invalidate();
        return;
    case WM_NCPAINT:
        TCustomControl::WndProc(Message);
        PaintBorder(reinterpret_cast<HDC>(Message.WParam));
        return;
    case CM_PARENTFONTCHANGED:
        TCustomControl::WndProc(Message);
        // The search box writes in the grid's typeface.
        if (FSearchPanelControl && Grid()) {
            TFont* f = FSearchPanelControl->FindEditor()->Font();
            f->SetName(Grid()->Font()->Name());
            f->SetCharset(Grid()->Font()->Charset());
        }
        return;
    }
    TCustomControl::WndProc(Message);
}

void TDBGridEhNavigatorPanel::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    const TNavigateBtnEh old = FFocusedButton;
    switch (Key) {
    case VK_SPACE:
        if (NavButtons[FFocusedButton]->Enabled()) NavButtons[FFocusedButton]->Click();
        return;
    case VK_LEFT:
        for (int i = int(FFocusedButton) - 1; i >= nbFirstEh; --i)
            if (NavButtons[i]->Visible()) {
                FFocusedButton = TNavigateBtnEh(i);
                break;
            }
        break;
    case VK_RIGHT:
        for (int i = int(FFocusedButton) + 1; i <= nbRefreshEh; ++i)
            if (NavButtons[i]->Visible()) {
                FFocusedButton = TNavigateBtnEh(i);
                break;
            }
        break;
    default:
        return;
    }
    if (old != FFocusedButton) {
        NavButtons[old]->Invalidate();
        NavButtons[FFocusedButton]->Invalidate();
    }
}

void TDBGridEhNavigatorPanel::ButtonMouseDown(TObject* Sender, TMouseButton, TShiftState, int, int) {
    const TNavigateBtnEh old = FFocusedButton;
    if (TCustomDBGridEh* g = Grid()) static_cast<TCustomDBAxisGridEh*>(g)->TryAcquireFocus();
    FFocusedButton = static_cast<TNavButtonEh*>(Sender)->Index();
    if (TabStop() && CanFocus()) {
        SetFocus();
        NavButtons[old]->Invalidate();
        NavButtons[FFocusedButton]->Invalidate();
    }
}

void TDBGridEhNavigatorPanel::Paint() {
    TCanvas* c = Canvas();
    const TRect r = ClientRect();
    TCustomDBGridEh* g = Grid();
    if (g && g->Flat()) {
        PaintVerticalGradient(c, r, g->InternalColor(), g->FixedColor());
    } else {
        c->Brush()->SetColor(Color());
        c->FillRect(r);
    }
}

TRect TDBGridEhNavigatorPanel::NonClientMargins() {
    return TRect(0, 1, 1, 0);
}

void TDBGridEhNavigatorPanel::PaintBorder(HDC DC) {
    // The top and right border lines, outside the client area.
    QPainter* p = DC ? DCPainter(DC) : nullptr;
    if (!p) return;
    p->save();
    p->setPen(ColorToQColor(FBorderColor));
    p->drawLine(0, 0, Width() - 1, 0);
    p->drawLine(Width() - 1, 0, Width() - 1, Height() - 1);
    p->restore();
}

KVT_REGISTER_CLASS(TNavButtonEh)
KVT_REGISTER_CLASS(TDBGridEhNavigatorPanel)
