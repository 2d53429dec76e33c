// The search panel: its settings and visibility rules, the panel window with the search box and
// the find buttons, and its placement at the grid's top or in the navigator panel.

#include "lib/dbgrid/DBGridEhSearch.h"

#include "lib/dbgrid/DBGridEhRes.h"
#include "lib/dbgrid/DBGridEhScrollBars.h"
#include "lib/tools/ToolCtrlsEh.h"

#include "platform/ui/Forms.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"
#include "platform/ui/WinGdi.h"

#include <QLineEdit>
#include <QPainter>

#include <algorithm>

namespace {
const char16_t SSearchPlaceholder[] = u"Поиск...";
const char16_t SFilterHint[] = u"Показать все записи, которые содержат текст";
const char16_t SCancelFilterHint[] = u"Отменить фильтр и очистить строку поиска";
const char16_t SFindNextHint[] = u"Искать следующее совпадение";
const char16_t SFindPrevHint[] = u"Искать предыдущее совпадение";
const char16_t SOptionsHint[] = u"Показать опции поиска";
constexpr TColor SearchPanelFrameColor = TColor(0x00C5DEE2);
} // namespace

// ---------------------------------------------------------------------------------------------
// TDBGridSearchPanelEh

TDBGridSearchPanelEh::TDBGridSearchPanelEh(TCustomDBGridEh* AGrid) : FGrid(AGrid) {}

void TDBGridSearchPanelEh::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TDBGridSearchPanelEh*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    SetShortCut(src->ShortCut());
    SetEnabled(src->Enabled());
    SetPersistentShowing(src->PersistentShowing());
    SetLocation(src->Location());
    SetFilterOnTyping(src->FilterOnTyping());
    SetFilterEnabled(src->FilterEnabled());
}

void TDBGridSearchPanelEh::SetVisible(bool Value) {
    if (FVisible == Value) return;
    FVisible = Value;
    FGrid->UpdateSearchPanel();
}

void TDBGridSearchPanelEh::SetEnabled(bool Value) {
    if (FEnabled == Value) return;
    FEnabled = Value;
    SetVisible((FPersistentShowing || !FSearchingText.isEmpty()) && Value);
}

void TDBGridSearchPanelEh::SetPersistentShowing(bool Value) {
    if (FPersistentShowing == Value) return;
    FPersistentShowing = Value;
    if ((Value || !FSearchingText.isEmpty()) && FEnabled)
        SetVisible(true);
    else if (!Value && !Active())
        SetVisible(false);
}

void TDBGridSearchPanelEh::SetLocation(TSearchPanelLocationEh Value) {
    if (FLocation == Value) return;
    FLocation = Value;
    FGrid->UpdateSearchPanel();
}

void TDBGridSearchPanelEh::SetFilterEnabled(bool Value) {
    if (FFilterEnabled == Value) return;
    FFilterEnabled = Value;
    FGrid->SearchPanelControl()->ResetVisibleControls();
    FGrid->UpdateSearchPanel();
}

void TDBGridSearchPanelEh::SetSearchingText(const String& Value) {
    if (FSearchingText == Value) return;
    FSearchingText = Value;
    if (FLocation != splExternal) {
        TNavFindEditEh* e = FGrid->SearchPanelControl()->FindEditor();
        e->SetText(Value);
        e->SetIsEmpty(Value.isEmpty());
    }
    if (FPersistentShowing || !Value.isEmpty()) SetVisible(true);
    FGrid->Invalidate();
}

bool TDBGridSearchPanelEh::Active() const {
    if (FLocation == splExternal) return FActive;
    TNavFindEditEh* e = FGrid->SearchPanelControl()->FindEditor();
    return FVisible && e->Focused();
}

void TDBGridSearchPanelEh::SetActive(bool Value) {
    if (Value && !Active()) {
        if (FLocation != splExternal) {
            SetVisible(true);
            TDBGridSearchPanelControlEh* pc = FGrid->SearchPanelControl();
            if (pc->Showing() && pc->FindEditor()->CanFocus()) pc->FindEditor()->SetFocus();
        }
        FActive = true;
        FGrid->Invalidate();
    } else if (!Value && Active()) {
        if (FLocation != splExternal) {
            if (FGrid->CanFocus()) FGrid->SetFocus();
            if (!(FPersistentShowing || !FSearchingText.isEmpty())) SetVisible(false);
        }
        FActive = false;
        FGrid->Invalidate();
    } else {
        FActive = Value;
    }
}

void TDBGridSearchPanelEh::SetFoundColumnIndex(int Value) {
    if (FFoundColumnIndex == Value) return;
    if (FGrid->Options().Contains(dgRowSelect)) {
        // The found cell is scrolled into view; the row stays selected as a whole.
        // In a row panel every column shares one grid column: the one after the indicator.
        if (FGrid->RowPanelMode())
            FGrid->FocusCell(FGrid->IndicatorOffset(), FGrid->Row(), false, true, false);
        else if (TColumnEh* c = FGrid->DataColumn(Value); c && c->Visible())
            FGrid->FocusCell(Value + FGrid->IndicatorOffset(), FGrid->Row(), false, true, false);
    } else {
        FGrid->SetSelectedIndex(Value);
    }
    FFoundColumnIndex = Value;
    FGrid->InvalidateRow(FGrid->Row());
}

bool TDBGridSearchPanelEh::Find(TLocateTextDirectionEh Direction) {
    return FGrid->LocateText(FGrid, String(), FSearchingText,
                             TLocateTextOptionsEh{ltoCaseInsensitiveEh, ltoAllFieldsEh, ltoIgnoteCurrentPosEh,
                                                  ltoInsideSelection, ltoRestartAfterLastHit},
                             Direction, FSearchingText.isEmpty() ? ltmWholeEh : ltmAnyPartEh,
                             lttInAllNodesEh);
}

bool TDBGridSearchPanelEh::FindNext() {
    return Find(ltdDownEh);
}

bool TDBGridSearchPanelEh::FindPrev() {
    return Find(ltdUpEh);
}

bool TDBGridSearchPanelEh::RestartFind() {
    return Find(ltdAllEh);
}

void TDBGridSearchPanelEh::ApplySearchFilter() {
    FGrid->ApplySearchFilter(FSearchingText);
}

void TDBGridSearchPanelEh::CancelSearchFilter() {
    FGrid->CancelSearchFilter();
}

int TDBGridSearchPanelEh::InGridVertCaptureSize() {
    return FVisible && FLocation == splGridTopEh ? FGrid->SearchPanelControl()->Height() : 0;
}

// ---------------------------------------------------------------------------------------------
// TNavFindEditEh

TNavFindEditEh::TNavFindEditEh(TComponent* AOwner) : TDBComboBoxEh(AOwner) {
    static_cast<TStringList*>(Items())->SetSorted(true);
    static_cast<TStringList*>(Items())->SetDuplicates(dupIgnore);
}

TDBGridSearchPanelEh* TNavFindEditEh::Settings() const {
    return FGrid ? FGrid->SearchPanel() : nullptr;
}

bool TNavFindEditEh::InSearchPanel() const {
    return dynamic_cast<TDBGridSearchPanelControlEh*>(Parent()) != nullptr;
}

void TNavFindEditEh::SetMiniHeight(bool Value) {
    if (FMiniHeight == Value) return;
    FMiniHeight = Value;
    PaintBorder();
}

void TNavFindEditEh::CreateWnd() {
    TDBComboBoxEh::CreateWnd();
    UpdateHoverColor();
    PaintBorder();
}

int TNavFindEditEh::RequiredHeight() {
    TBitmap bmp;
    bmp.Canvas()->Font()->Assign(Font());
    return bmp.Canvas()->TextHeight(QStringLiteral("Wg")) + 3 + (FMiniHeight ? 0 : 2);
}

void TNavFindEditEh::SetTextInternally(const String& Value) {
    FInternalChanging = true;
    struct Reset {
        bool& f;
        ~Reset() { f = false; }
    } reset{FInternalChanging};
    SetText(Value);
}

void TNavFindEditEh::Change() {
    TDBComboBoxEh::Change();
    if (FInternalChanging || !FGrid) return;
    TDBGridSearchPanelEh* sp = Settings();
    Font()->SetColor(clWindowText);
    sp->StoreSearchingText(Text());
    if (!Text().isEmpty()) sp->RestartFind();
    FTextAppliedAsFilter = false;
    FGrid->Invalidate();
    if (OnUpdateModified) OnUpdateModified(this);
}

void TNavFindEditEh::ApplySearchFilter() {
    if (!FGrid) return;
    FGrid->ApplySearchFilter(Text());
    SetModified(false);
    FTextAppliedAsFilter = true;
    if (OnUpdateModified) OnUpdateModified(this);
    if (!Text().isEmpty()) Items()->Add(Text());
}

void TNavFindEditEh::CancelSearchEditorMode() {
    if (!FGrid) return;
    SetTextInternally(String());
    Settings()->StoreSearchingText(Text());
    FGrid->SetSearchEditorMode(false);
    FGrid->CancelSearchFilter();
    SetModified(false);
    FTextAppliedAsFilter = true;
    FGrid->Invalidate();
    if (OnUpdateModified) OnUpdateModified(this);
}

void TNavFindEditEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TDBComboBoxEh::MouseDown(Button, Shift, X, Y);
    if (FGrid) FGrid->SetSearchEditorMode(true);
}

void TNavFindEditEh::KeyDown(Word& Key, TShiftState Shift) {
    if (InSearchPanel() && FGrid && Shift.Empty()) {
        if (Key == VK_DOWN || Key == VK_UP) {
            if (Key == VK_DOWN)
                Settings()->FindNext();
            else
                Settings()->FindPrev();
            SetModified(false);
            ClearUndo();
            Key = 0;
            return;
        }
        if (Key == VK_TAB) {
            FGrid->SetSearchEditorMode(false);
            Key = 0;
            return;
        }
    }
    TDBComboBoxEh::KeyDown(Key, Shift);
}

void TNavFindEditEh::KeyPress(Char& Key) {
    if (FGrid && !ListVisible()) {
        if (Key == QChar(VK_ESCAPE)) {
            CancelSearchEditorMode();
            Key = QChar(0);
            return;
        }
        if (Key == QChar(VK_RETURN)) {
            if (Settings()->FilterEnabled())
                ApplySearchFilter();
            else
                CancelSearchEditorMode();
            Key = QChar(0);
            return;
        }
    }
    TDBComboBoxEh::KeyPress(Key);
}

void TNavFindEditEh::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case CM_WANTSPECIALKEY:
        if (Message.WParam == VK_TAB && InSearchPanel()) {
            Message.Result = 1;
            return;
        }
        break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        FMouseInside = Message.Msg == CM_MOUSEENTER;
        TDBComboBoxEh::WndProc(Message);
        UpdateHoverColor();
        return;
    default:
        break;
    }
    TDBComboBoxEh::WndProc(Message);
    if (Message.Msg == WM_CHAR && FGrid) {
        const int code = int(Message.WParam);
        const bool ctrlOrAlt = (GetKeyState(VK_CONTROL) < 0) || (GetKeyState(VK_MENU) < 0);
        TDBGridSearchPanelEh* sp = Settings();
        if ((code > 32 || code == 8) && !ctrlOrAlt && sp->FilterOnTyping() && sp->FilterEnabled()) {
            if (!Text().isEmpty())
                ApplySearchFilter();
            else
                FGrid->CancelSearchFilter();
        }
    }
}

void TNavFindEditEh::UpdateHoverColor() {
    const bool hot = FMouseInside || Focused();
    TColor parentColor = Parent() ? Parent()->Color() : clBtnFace;
    const TColor c = hot ? clWindow : InterpolateColor(parentColor, clWindow, 170);
    if (c == Color()) return;
    SetColor(c);
    PaintBorder();
}

void TNavFindEditEh::DoEnter() {
    Font()->SetColor(clWindowText);
    FIsEmpty = false;
    UpdateHoverColor();
    if (FGrid) FGrid->Invalidate();
    TDBComboBoxEh::DoEnter();
}

void TNavFindEditEh::DoExit() {
    FIsEmpty = Text().isEmpty();
    UpdateHoverColor();
    if (FGrid) FGrid->Invalidate();
    TDBComboBoxEh::DoExit();
}

void TNavFindEditEh::PaintBorder() {
    QLineEdit* e = LineEdit();
    if (!e) return;
    const QColor frame = ColorToQColor(FGrid ? FGrid->GridLineColors()->DarkColor() : clBtnShadow);
    // One pixel of frame and one of padding beside the text; without MiniHeight a pixel of
    // frame above and below it as well.
    const int v = FMiniHeight ? 0 : 1;
    e->setStyleSheet(QStringLiteral("QLineEdit { border-style: solid; border-color: %1;"
                                    " border-width: %2px 1px %2px 1px; padding: 0px 1px;"
                                    " background-color: %3; }")
                         .arg(frame.name(), QString::number(v), ColorToQColor(Color()).name()));
}

// ---------------------------------------------------------------------------------------------
// TDBGridSearchPanelControlEh

TDBGridSearchPanelControlEh::TDBGridSearchPanelControlEh(TComponent* AOwner, TCustomDBGridEh* AGrid)
    : TCustomControl(AOwner), FGrid(AGrid) {
    TControlStyle cs = ControlStyle();
    cs.Exclude(csSetCaption);
    SetControlStyle(cs);
    SetDoubleBuffered(true);
    SetCaption(String());
    InitItems();
}

void TDBGridSearchPanelControlEh::InitItems() {
    FFindEditor = Create<TNavFindEditEh>(this);
    FFindEditor->SetFlat(true);
    FFindEditor->SetBounds(0, 1, 100, MinBtnSize.Y - 1);
    // A flat bevel without inner or outer edges: the panel draws the frame.
    FFindEditor->SetBevelEdges(TBevelEdges{beLeft, beTop, beRight, beBottom});
    FFindEditor->SetBevelKind(bkFlat);
    FFindEditor->SetBevelInner(bvNone);
    FFindEditor->SetBevelOuter(bvNone);
    FFindEditor->SetBorderStyle(bsNone);
    FFindEditor->SetCtl3D(true);
    FFindEditor->SetTabStop(false);
    // The placeholder is the edit's empty-data text: shown while the box is empty and unfocused.
    FFindEditor->EmptyDataInfo()->SetText(String::fromUtf16(SSearchPlaceholder));
    FFindEditor->SetParent(this);
    FFindEditor->SetIsEmpty(true);
    FFindEditor->Font()->SetColor(clGrayText);
    FFindEditor->SetGrid(FGrid);
    FFindEditor->OnUpdateModified = TNotifyEvent(this, &TDBGridSearchPanelControlEh::UpdateFindButton);
    FFindEditor->EditButton()->SetVisible(false);
    for (int i = 0; i < 4; ++i) {
        auto* b = new TNavFindButtonEh(this);
        b->SetParent(this);
        b->SetIndex(TDBGridEhNavigatorFindBtn(i));
        b->SetFlat(true);
        b->SetImageIndex(10 + i);
        b->SetBounds(85 + i * MinBtnSize.X, 0, MinBtnSize.X, MinBtnSize.Y);
        b->OnClick = TNotifyEvent(this, &TDBGridSearchPanelControlEh::FindButtonClick);
        b->OnMouseDown = TMouseEvent(this, &TDBGridSearchPanelControlEh::FindButtonMouseDown);
        b->SetShowHint(true);
        FindButtons[i] = b;
    }
    FindButtons[0]->SetHint(String::fromUtf16(SFilterHint));
    FindButtons[1]->SetHint(String::fromUtf16(SFindNextHint));
    FindButtons[2]->SetHint(String::fromUtf16(SFindPrevHint));
    FindButtons[3]->SetHint(String::fromUtf16(SOptionsHint));
    ResetVisibleControls();
}

void TDBGridSearchPanelControlEh::ResetVisibleControls() {
    TDBGridEhRes* res = DBGridEhRes();
    const bool themes = ThemesInUse();
    for (TNavFindButtonEh* b : FindButtons) {
        b->SetImages(themes ? res->IMList10 : res->IMList10Bmp);
        b->SetDisabledImages(themes ? res->IMList10D : res->IMList10DBmp);
    }
    const bool filterButton = FGrid->SearchPanel() ? FGrid->SearchPanel()->FilterEnabled() : true;
    if (FindButtons[0]->Visible() != filterButton) {
        FindButtons[0]->SetVisible(filterButton);
        ArrangeControls();
    }
    FindButtons[3]->SetVisible(false);
}

void TDBGridSearchPanelControlEh::SetLocation(TSearchPanelLocationEh Value) {
    if (FLocation != Value) {
        FLocation = Value;
        // The frame line comes and goes with the place.
        if (HandleAllocated())
            SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    FFindEditor->SetMiniHeight(Value == splHorzScrollBarExtraPanelEh);
}

int TDBGridSearchPanelControlEh::CalcAutoHeight() {
    return FFindEditor->RequiredHeight() + 7;
}

String TDBGridSearchPanelControlEh::GetSearchingText() {
    return FFindEditor->Text();
}

bool TDBGridSearchPanelControlEh::IsSearchingState() {
    return FFindEditor->Focused() && !FFindEditor->Text().isEmpty();
}

void TDBGridSearchPanelControlEh::ArrangeControls() {
    if (ComponentState().Contains(csLoading) || !FindButtons[3]) return;
    ButtonWidth = ClientHeight() - 1;
    const bool rtl = UseRightToLeftAlignment();
    const int cw = ClientWidth();
    int x = 3;
    for (int i = 3; i >= 0; --i) {
        TNavFindButtonEh* b = FindButtons[i];
        if (!b->Visible()) continue;
        if (rtl)
            b->SetBounds(x, 0, ButtonWidth, ButtonWidth);
        else
            b->SetBounds(cw - x - ButtonWidth, 0, ButtonWidth, ButtonWidth);
        x += ButtonWidth;
    }
    const bool top = FLocation == splGridTopEh;
    const int w = std::max(0, cw - x - 4 - 3 + 3);
    const int y = top ? 3 : 0;
    const int h = top ? ClientHeight() - 7 : ClientHeight();
    if (rtl)
        FFindEditor->SetBounds(x + 4, y, std::max(0, cw - 3 - x - 4), h);
    else
        FFindEditor->SetBounds(3, y, std::max(0, w - 3), h);
}

void TDBGridSearchPanelControlEh::FindButtonClick(TObject* Sender) {
    ButtonClick(static_cast<TNavFindButtonEh*>(Sender)->Index());
}

void TDBGridSearchPanelControlEh::FindButtonMouseDown(TObject*, TMouseButton, TShiftState, int, int) {
    // A panel placed in the tab order takes the focus itself; otherwise the grid keeps it.
    if (TabStop() && CanFocus())
        SetFocus();
    else
        static_cast<TCustomDBAxisGridEh*>(FGrid)->TryAcquireFocus();
}

void TDBGridSearchPanelControlEh::ButtonClick(int Index) {
    TDataSource* src = FGrid->DataSource();
    if (!src || !src->DataSet() || !src->DataSet()->Active()) return;
    if (!FGrid->SearchEditorMode()) FGrid->SetSearchEditorMode(true);
    switch (Index) {
    case gnfbCancelSearchFilterEh:
        if (FFindEditor->TextAppliedAsFilter())
            FFindEditor->CancelSearchEditorMode();
        else
            FFindEditor->ApplySearchFilter();
        break;
    case gnfbFindNextEh:
    case gnfbFindPrevEh:
        if (Index == gnfbFindNextEh)
            FGrid->SearchPanel()->FindNext();
        else
            FGrid->SearchPanel()->FindPrev();
        FFindEditor->SetModified(false);
        FFindEditor->ClearUndo();
        break;
    default:
        break;
    }
}

void TDBGridSearchPanelControlEh::UpdateFindButton(TObject*) {
    TNavFindButtonEh* b = FindButtons[0];
    if (!FFindEditor->TextAppliedAsFilter()) {
        b->SetImageIndex(14);
        b->SetEnabled(true);
        b->SetHint(String::fromUtf16(SFilterHint));
    } else {
        b->SetImageIndex(10);
        b->SetEnabled(FGrid->SearchEditorMode() || FGrid->SearchFilterActive());
        b->SetHint(String::fromUtf16(SCancelFilterHint));
        FFindEditor->ClearUndo();
    }
}

void TDBGridSearchPanelControlEh::WndProc(TMessage& Message) {
    TCustomControl::WndProc(Message);
    if (Message.Msg == WM_SIZE) ArrangeControls();
    if (Message.Msg == WM_NCPAINT) PaintBorder(reinterpret_cast<HDC>(Message.WParam));
}

void TDBGridSearchPanelControlEh::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    TColor from = FGrid->InternalColor(), to = FGrid->FixedColor();
    if (FFindEditor->Focused()) {
        TColor hl = clHighlight;
        from = to = FGrid->PaintStyle().LightenColor(FGrid->InternalColor(), hl, false);
    }
    if (ThemesInUse())
        PaintVerticalGradient(c, r, from, to);
    else {
        c->Brush()->SetColor(to);
        c->FillRect(r);
    }
    const TColor dark = FGrid->GridLineColors()->DarkColor();
    c->Pen()->SetColor(dark);
    if (FLocation == splGridTopEh) {
        c->MoveTo(0, r.Bottom - 1);
        c->LineTo(r.Right - 1, r.Bottom - 1);
        c->MoveTo(r.Right - 1, 0);
        c->LineTo(r.Right - 1, r.Bottom);
    }
}

TRect TDBGridSearchPanelControlEh::NonClientMargins() {
    // Inside the navigator panel that panel's own border frames it.
    return FLocation == splGridTopEh ? TRect(0, 1, 0, 0) : TRect();
}

void TDBGridSearchPanelControlEh::PaintBorder(HDC DC) {
    QPainter* p = DC ? DCPainter(DC) : nullptr;
    if (!p || NonClientMargins().Top == 0) return;
    p->save();
    p->setPen(ColorToQColor(SearchPanelFrameColor));
    p->drawLine(0, 0, Width() - 1, 0);
    p->restore();
}

// ---------------------------------------------------------------------------------------------
// Placement in the grid

void TCustomDBGridEh::UpdateSearchPanel() {
    if (!FSearchData || !FSearchData->FSearchPanelControl) return;
    TDBGridSearchPanelEh* sp = SearchPanel();
    TDBGridSearchPanelControlEh* pc = SearchPanelControl();
    TDBGridEhNavigatorPanel* nav =
        FHorzScrollBarPanelControl ? FHorzScrollBarPanelControl->ExtraPanel() : nullptr;
    bool changed = false;
    if (!sp->Visible() || sp->Location() == splExternal) {
        changed = pc->Visible() || !pc->BoundsRect().IsEmpty();
        pc->SetBounds(0, 0, 0, 0);
        pc->SetVisible(false);
        if (nav && nav->SearchPanelControl() == pc) nav->ResetWidth();
        if (LayoutTopPanels() || changed) LayoutChanged();
        return;
    }
    if (!HandleAllocated()) return;
    pc->SetLocation(sp->Location());
    if (sp->Location() == splHorzScrollBarExtraPanelEh && nav) {
        if (nav->SearchPanelControl() != pc) {
            pc->SetParent(nav);
            nav->SetSearchPanelControl(pc);
        }
        pc->ResetVisibleControls();
        pc->SetVisible(true);
        nav->UpdateInfoPanels();
        nav->ArrangeControls();
        nav->ResetWidth();
        if (LayoutTopPanels()) LayoutChanged();
        return;
    }
    if (nav && nav->SearchPanelControl() == pc) {
        nav->SetSearchPanelControl(nullptr);
        nav->ResetWidth();
    }
    if (pc->Parent() != this) pc->SetParent(this);
    pc->FindEditor()->Font()->Assign(Font());
    if (!pc->FindEditor()->Focused() && pc->FindEditor()->Text().isEmpty())
        pc->FindEditor()->Font()->SetColor(clGrayText);
    pc->ResetVisibleControls();
    const int h = pc->CalcAutoHeight();
    const int r = OutBoundaryData()->RightIndent();
    const TRect b =
        UseRightToLeftAlignment() ? TRect(r, 0, ClientWidth() - r, h) : TRect(0, 0, ClientWidth() - r, h);
    if (pc->BoundsRect() != b) {
        pc->SetBounds(b.Left, b.Top, b.Width(), b.Height());
        changed = true;
    }
    if (!pc->Visible()) {
        pc->SetVisible(true);
        changed = true;
    }
    pc->ArrangeControls();
    if (LayoutTopPanels() || changed) LayoutChanged();
}

bool TCustomDBGridEh::LayoutTopPanels() {
    if (!HandleAllocated()) return false;
    int indent = FSearchData ? SearchPanel()->InGridVertCaptureSize() : 0;
    // The grouping panel, when shown, lies below the search panel.
    if (FDataGrouping && FDataGrouping->GroupPanelVisible()) {
        FDataGrouping->SetTop(indent);
        indent += GroupPanelHeight();
    }
    if (OutBoundaryData()->TopIndent() == indent) return false;
    OutBoundaryData()->SetTopIndent(indent);
    return true;
}

KVT_REGISTER_CLASS(TNavFindButtonEh)
KVT_REGISTER_CLASS(TNavFindEditEh)
