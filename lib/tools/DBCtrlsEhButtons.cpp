// The edit's buttons and what pressing them does: the row of button controls at the edge of the
// edit, their layout and state, short cuts, drop-down menus, drop-down forms, and the MRU list
// that drops down under the text while the user types.
//
// The button controls sit on a panel child of the edit; the edit's text area is narrowed by the
// panel's width (and the image's), so text never runs under a button.

#include "lib/tools/DBCtrlsEh.h"

#include "lib/tools/DropDownFormEh.h"
#include "lib/toolscore/DynVarsEh.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"

#include <QWidget>

#include <climits>

namespace {
// The rounding of the layout's "one and a half widths" test.
int RoundHalfEvenInt(double v) {
    return int(Round(v));
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Construction of the button parts

void TCustomDBEditEh::AfterConstruction() {
    TCustomMaskEdit::AfterConstruction();
    // The buttons are made here, when the descendants' factories can be reached.
    FEditButton.reset(CreateMainEditButton());
    FEditButton->FOnChanged = TNotifyEvent(this, &TCustomDBEditEh::EditButtonChanged);
    FEditButton->FOnRefComponentChanged =
        TRefComponentNotifyEventEh(this, &TCustomDBEditEh::EditButtonRefComponentChanged);
    FEditButtons.reset(CreateExtraEditButtons());
    FEditButtons->OnChanged = TNotifyEvent(this, &TCustomDBEditEh::EditButtonChanged);
    FEditButtons->OnRefComponentChanged =
        TRefComponentNotifyEventEh(this, &TCustomDBEditEh::EditButtonRefComponentChanged);
    if (HandleAllocated()) {
        UpdateEditButtonControlList();
        UpdateEditButtonsState();
        UpdateFormattingRect();
    }
}

TEditButtonEh* TCustomDBEditEh::CreateMainEditButton() {
    return new TEditButtonEh(this);
}

TEditButtonsEh* TCustomDBEditEh::CreateExtraEditButtons() {
    return new TEditButtonsEh(this, CollectionItemClassOf<TVisibleEditButtonEh>());
}

TEditButtonControlEh* TCustomDBEditEh::CreateEditButtonControl() {
    auto* c = new TEditButtonControlEh(this);
    {
        TControlStyle cs = c->ControlStyle();
        cs.Include(csReplicatable);
        c->SetControlStyle(cs);
    }
    c->SetBounds(0, 0, 10, 17);
    c->SetParent(this);
    return c;
}

TWinControl* TCustomDBEditEh::CreateMRUListbox() {
    return new TMRUListboxEh(this);
}

void TCustomDBEditEh::EditButtonChanged(TObject*) {
    if (!HandleAllocated()) return;
    UpdateEditButtonControlList();
    UpdateEditButtonsState();
    UpdateFormattingRect();
    Invalidate();
}

void TCustomDBEditEh::EditButtonRefComponentChanged(TObject*, TComponent* RefComponent) {
    if (RefComponent) RefComponent->FreeNotification(this);
    Invalidate();
}

// ---------------------------------------------------------------------------------------------
// Layout and state

void TCustomDBEditEh::UpdateEditButtonControlList() {
    if (!FEditButton || !FButtonsPanel) return;
    const int cw = ClientWidth(), ch = ClientHeight();
    const bool rtl = UseRightToLeftAlignment();
    // The edit's frame is drawn inside the client area here: the buttons stay inside it.
    const int inset = BorderStyle() == bsSingle ? (Ctl3D() ? 2 : 1) : 0;
    auto buttonRect = [&] {
        TRect r(cw - inset - FButtonWidth, inset, cw - inset, ch - inset);
        if (rtl) r.Offset(-(cw - 2 * inset - FButtonWidth), 0);
        return r;
    };
    const int room = std::max(0, buttonRect().Height());

    const size_t count = 1 + size_t(FEditButtons->Count());
    while (FEditButtonControlList.size() > count) {
        TEditButtonControlLineRec rec = FEditButtonControlList.back();
        FEditButtonControlList.pop_back();
        rec.EditButtonControl->Free();
        rec.ButtonLine->Free();
    }
    while (FEditButtonControlList.size() < count) {
        TEditButtonControlLineRec rec;
        rec.EditButtonControl = CreateEditButtonControl();
        rec.EditButtonControl->SetParent(FButtonsPanel);
        rec.ButtonLine = new TShape(this);
        rec.ButtonLine->SetParent(FButtonsPanel);
        FEditButtonControlList.push_back(rec);
    }

    const bool flatLines = FFlat && !ThemesInUse();
    FButtonHeight = INT_MAX;
    int total = 0;
    for (size_t i = 0; i < count; ++i) {
        TEditButtonEh* item = i == 0 ? FEditButton.get() : FEditButtons->Items(int(i) - 1);
        TEditButtonControlEh* c = FEditButtonControlList[i].EditButtonControl;
        TShape* line = FEditButtonControlList[i].ButtonLine;
        c->SetVisible(item->Visible());
        c->SetEnabled(item->Enabled());
        c->SetStyle(item->Style());
        c->Glyph()->Assign(item->Glyph());
        c->SetNumGlyphs(item->NumGlyphs());
        c->SetHint(item->Hint());
        c->SetFlat(FFlat);
        c->SetEditButtonImages(item->Images());
        int w = 0;
        if (item->Visible())
            w = item->Width() > 0 ? item->Width()
                                  : (FFlat ? DefaultEditButtonWidth() : GetSystemMetrics(SM_CXVSCROLL));
        int h = room;
        if (item->Visible()) {
            if (room > RoundHalfEvenInt(1.5 * w)) h = ButtonHeightForWidth(w, FFlat);
            FButtonHeight = std::min(FButtonHeight, h);
        }
        c->SetWidth(w);
        const bool showLine = item->Visible() && flatLines;
        line->SetVisible(showLine);
        line->SetWidth(showLine ? 1 : 0);
        c->OnDown = TButtonDownEventEh(this, &TCustomDBEditEh::HandleButtonDown);
        c->OnClick = TNotifyEvent(this, &TCustomDBEditEh::HandleButtonClick);
        c->OnMouseMove = TMouseMoveEvent(this, &TCustomDBEditEh::HandleButtonMouseMove);
        c->OnMouseUp = TMouseEvent(this, &TCustomDBEditEh::HandleButtonMouseUp);
        c->SetTag(NativeInt(i));
        total += c->Width() + line->Width();
    }
    FButtonWidth = total;
    if (flatLines && total > 0) FButtonWidth -= 1;
    if (FButtonHeight == INT_MAX) FButtonHeight = room;

    int x = rtl ? FButtonWidth : 0;
    for (const TEditButtonControlLineRec& rec : FEditButtonControlList) {
        TEditButtonControlEh* c = rec.EditButtonControl;
        if (rtl) {
            x -= c->Width();
            c->SetBounds(x, 0, c->Width(), FButtonHeight);
            x -= rec.ButtonLine->Width();
            rec.ButtonLine->SetBounds(x, 0, rec.ButtonLine->Width(), FButtonHeight);
        } else {
            c->SetBounds(x, 0, c->Width(), FButtonHeight);
            x += c->Width();
            rec.ButtonLine->SetBounds(x, 0, rec.ButtonLine->Width(), FButtonHeight);
            x += rec.ButtonLine->Width();
        }
    }
    if (FButtonWidth >= 1) {
        FButtonsPanel->SetBoundsRect(buttonRect());
        FButtonsPanel->SetVisible(true);
    } else {
        FButtonsPanel->SetVisible(false);
    }
}

void TCustomDBEditEh::UpdateEditButtonsState() {
    for (size_t i = 0; i < FEditButtonControlList.size(); ++i) {
        TEditButtonEh* item = i == 0 ? FEditButton.get() : FEditButtons->Items(int(i) - 1);
        TEditButtonControlEh* c = FEditButtonControlList[i].EditButtonControl;
        c->SetEnabled(item->Enabled() && (Enabled() || IsEnabledWithData()));
        c->SetActive(FBorderActive);
        TShape* line = FEditButtonControlList[i].ButtonLine;
        line->Pen()->SetColor(FBorderActive ? clBtnFace : Color());
    }
}

void TCustomDBEditEh::UpdateFormattingRect() {
    if (!HandleAllocated()) return;
    TRect r;
    TextAreaRect(r);
    Perform(EM_SETRECTNP, 0, LPARAM(&r));
    Perform(EM_SCROLLCARET, 0, 0);
}

void TCustomDBEditEh::UpdateActiveBorder() {
    if (ComponentState().Contains(csLoading)) return;
    bool active =
        ComponentState().Contains(csDesigning) || FFocused || FMouseAboveControl || FAlwaysShowBorder;
    if (active == FBorderActive) return;
    FBorderActive = active;
    if (FFlat && BorderStyle() == bsSingle && Ctl3D() && !ThemesInUse()) Invalidate();
    UpdateEditButtonsState();
}

void TCustomDBEditEh::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TCustomMaskEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (HandleAllocated()) {
        UpdateEditButtonControlList();
        UpdateFormattingRect();
    }
}

void TCustomDBEditEh::ReleaseButtonControls() {
    for (const TEditButtonControlLineRec& rec : FEditButtonControlList)
        rec.EditButtonControl->SetAlwaysDown(false);
}

// ---------------------------------------------------------------------------------------------
// Pressing buttons

void TCustomDBEditEh::HandleButtonDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled) {
    if (CanFocus() && !Focused()) SetFocus();
    Handled = false;
    auto* control = dynamic_cast<TEditButtonControlEh*>(Sender);
    const int index = control ? int(control->Tag()) : 0;
    if (index == 0) {
        if (OnButtonDown) OnButtonDown(Sender, TopButton, AutoRepeat, Handled);
        if (!Handled) ShowDropDownForm(FEditButton.get(), Sender, Handled);
        if (Handled) return;
        if (FEditButton->DropdownMenu()) {
            PopupButtonMenu(FEditButton.get(), control);
        } else if (!FEditButton->Action()) {
            DropDownOnButtonPress(!TopButton);
        }
        return;
    }
    TEditButtonEh* item = FEditButtons->Items(index - 1);
    if (item->OnDown) item->OnDown(Sender, TopButton, AutoRepeat, Handled);
    if (!Handled) ShowDropDownForm(item, Sender, Handled);
    if (!Handled && item->DropdownMenu()) PopupButtonMenu(item, control);
}

void TCustomDBEditEh::PopupButtonMenu(TEditButtonEh* Item, TEditButtonControlEh* Control) {
    TPopupMenu* menu = Item->DropdownMenu();
    if (!menu || !Control) return;
    TPoint p = Control->ClientToScreen(
        TPoint(menu->Alignment() == paRight ? Control->Width() : 0, Control->Height()));
    menu->SetPopupComponent(this);
    menu->Popup(p.X, p.Y);
    // The click that closed the menu must not open it again.
    TakePendingClickOnControl(Control);
    Control->Perform(WM_LBUTTONUP, 0, 0);
}

void TCustomDBEditEh::DropDownOnButtonPress(bool) {
    if (FEditButton && (FEditButton->Style() == ebsUpDownEh || FEditButton->Style() == ebsAltUpDownEh))
        return;
    if (FDroppedDown) return;
    DropDown();
    FNoClickCloseUp = true;
}

void TCustomDBEditEh::HandleButtonClick(TObject* Sender) {
    bool handled = false;
    auto* control = dynamic_cast<TEditButtonControlEh*>(Sender);
    const int index = control ? int(control->Tag()) : 0;
    if (index == 0) {
        FEditButton->Click(Sender, handled);
        if (!handled && OnButtonClick) OnButtonClick(Sender, handled);
    } else {
        FEditButtons->Items(index - 1)->Click(Sender, handled);
    }
    if (!handled && FDroppedDown && !FNoClickCloseUp && index == 0) CloseUp(false);
    FNoClickCloseUp = false;
}

void TCustomDBEditEh::HandleButtonMouseMove(TObject*, TShiftState, int, int) {}

void TCustomDBEditEh::HandleButtonMouseUp(TObject* Sender, TMouseButton, TShiftState, int X, int Y) {
    auto* c = dynamic_cast<TControl*>(Sender);
    if (!c) return;
    if (X < 0 || X >= c->ClientWidth() || Y < 0 || Y > c->ClientHeight()) FNoClickCloseUp = false;
}

bool TCustomDBEditEh::ShortCutKeyDown(Word& Key, TShiftState Shift) {
    if (!FEditButton) return false;
    const TShortCut sc = ::ShortCut(Key, Shift);
    int found = -1;
    if (FEditButton->ShortCut() == sc)
        found = 0;
    else
        for (int i = 0; i < FEditButtons->Count(); ++i)
            if (FEditButtons->Items(i)->ShortCut() == sc) {
                found = i + 1;
                break;
            }
    if (found < 0 || sc == 0) return false;
    TEditButtonEh* item = found == 0 ? FEditButton.get() : FEditButtons->Items(found - 1);
    if (!item->Enabled() || size_t(found) >= FEditButtonControlList.size()) return false;
    TEditButtonControlEh* c = FEditButtonControlList[size_t(found)].EditButtonControl;
    bool autoRepeat = false;
    c->EditButtonDown(false, autoRepeat);
    c->Click();
    Key = 0;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Drop-downs of descendants

void TCustomDBEditEh::DropDown() {
    if (FEditButtonControlList.size() > 0) FEditButtonControlList[0].EditButtonControl->SetAlwaysDown(true);
    if (FMRUListVisible) MRUListCloseUp(this, false);
}

void TCustomDBEditEh::CloseUp(bool) {
    if (FEditButtonControlList.size() > 0) FEditButtonControlList[0].EditButtonControl->SetAlwaysDown(false);
}

// Drop-downs that wrap a standard widget (list, calendar) get a child widget from the window
// layer although they ask for a pop-up window: make it the no-activate pop-up it must be, placed
// at screen positions.
static void EnsurePopupWindow(TWinControl* DropDown) {
    DropDown->HandleNeeded();
    QWidget* w = DropDown->Widget();
    if (!w || w->isWindow()) return;
    w->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                      Qt::WindowStaysOnTopHint);
    w->setAttribute(Qt::WA_ShowWithoutActivating, true);
    w->setFocusPolicy(Qt::NoFocus);
}

void TCustomDBEditEh::ShowDropDownUnder(TWinControl* DropDown, TDropDownAlign Align) {
    EnsurePopupWindow(DropDown);
    TPoint pos;
    if (UseRightToLeftAlignment() && Align == daLeft)
        Align = daRight;
    else if (UseRightToLeftAlignment() && Align == daRight)
        Align = daLeft;
    PlaceDropDownUnderControl(this, DropDown, Align, pos);
    DropDown->SetBounds(pos.X, pos.Y, DropDown->Width(), DropDown->Height());
    SetWindowPos(DropDown->Handle(), HWND_TOP, pos.X, pos.Y, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    DropDown->SetVisible(true);
    // A press anywhere else (or the application losing activation) closes the drop-down; the
    // edit's own clicks are its own.
    FDropDownWatch =
        std::make_unique<TPopupWatchEh>(DropDown, this, [this, alive = std::weak_ptr<bool>(FAlive)] {
            if (alive.lock()) PostMessage(Handle(), CM_CANCELMODE, 0, 0);
        });
}

void TCustomDBEditEh::HideDropDown(TWinControl* DropDown) {
    FDropDownWatch.reset();
    if (GetCapture() && (GetCapture() == DropDown->Handle() || GetCapture() == Handle()))
        SendMessage(GetCapture(), WM_CANCELMODE, 0, 0);
    bool hadFocus = DropDown->Focused();
    SetWindowPos(DropDown->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    DropDown->SetVisible(false);
    if (hadFocus && CanFocus()) SetFocus();
}

// The list keys a drop-down list gets from its edit (the list never has the focus itself).
void MoveListSelection(TPopupListboxEh* List, Word Key) {
    const int count = List->Count();
    if (count == 0) return;
    const int page = std::max(1, List->RowCount() - 1);
    int i = List->ItemIndex();
    switch (Key) {
    case VK_UP:
        i = i < 0 ? 0 : std::max(0, i - 1);
        break;
    case VK_DOWN:
        i = i < 0 ? 0 : std::min(count - 1, i + 1);
        break;
    case VK_PRIOR:
        i = std::max(0, (i < 0 ? 0 : i) - page);
        break;
    case VK_NEXT:
        i = std::min(count - 1, (i < 0 ? 0 : i) + page);
        break;
    case VK_HOME:
        i = 0;
        break;
    case VK_END:
        i = count - 1;
        break;
    default:
        return;
    }
    List->SetItemIndex(i);
}

// ---------------------------------------------------------------------------------------------
// Drop-down forms

void TCustomDBEditEh::ShowDropDownForm(TEditButtonEh* EditButton, TObject* Sender, bool& Handled) {
    if (!EditButton) EditButton = FEditButton.get();
    auto* control = dynamic_cast<TEditButtonControlEh*>(Sender);
    if (control && control->AlwaysDown()) return;
    // The click that just closed this button's form must not open it again.
    if (FClosedFormButton == EditButton) {
        Handled = true;
        return;
    }
    TDropDownFormCallParamsEh* params = EditButton->DropDownFormParams();
    TCustomForm* form = params->DropDownForm();
    bool freeOnClose = false;
    if (!form && !params->DropDownFormClassName().isEmpty()) {
        TClass cls = GetClass(params->DropDownFormClassName());
        if (!cls || !cls->Factory)
            throw Exception(
                QStringLiteral("Class '%1' is not registered").arg(params->DropDownFormClassName()));
        // A class with a global instance lends it; otherwise a form is made for this run.
        form = TCustomDropDownFormEh::GetGlobalRef(cls);
        if (!form) {
            form = dynamic_cast<TCustomForm*>(cls->Factory(this));
            freeOnClose = TCustomDropDownFormEh::GetGlobalRef(cls) == nullptr;
        }
    }
    if (!form) return;

    auto dynParams = std::make_unique<TDynVarsEh>(this);
    auto sysParams = std::make_unique<TEditControlDropDownFormSysParams>();
    sysParams->FFreeFormOnClose = freeOnClose;
    sysParams->FEditControl = this;
    sysParams->FEditButton = EditButton;
    TDataSet* ds = FDataLink->DataSet();
    if (!params->PassFieldNames().isEmpty()) {
        // The fields the form is asked to see, and those it gives back.
        if (ds) {
            std::vector<TField*> fields;
            ds->GetFieldList(fields, params->PassFieldNames());
            if (!params->AssignBackFieldNames().isEmpty()) {
                std::vector<TField*> back;
                ds->GetFieldList(back, params->AssignBackFieldNames());
                for (TField* f : back)
                    if (std::find(fields.begin(), fields.end(), f) == fields.end()) fields.push_back(f);
            }
            for (TField* f : fields)
                dynParams->CreateDynVar(f->FieldName(), f->Value());
        }
    } else if (params->PassParams() == pspFieldValueEh) {
        dynParams->CreateDynVar(QStringLiteral("DataField"), Variant(ReadText()));
    } else if (params->PassParams() == pspRecordValuesEh && ds) {
        for (int i = 0; i < ds->Fields()->Count(); ++i) {
            TField* f = ds->Fields()->Fields(i);
            dynParams->CreateDynVar(f->FieldName(), f->Value());
        }
    }
    auto* intf = dynamic_cast<IDropDownFormEh*>(form);
    if (intf) {
        intf->SetReadOnly(false);
        if (Field() && Field()->ReadOnly()) intf->SetReadOnly(true);
    }
    if (OnOpenDropDownForm) OnOpenDropDownForm(this, nullptr, form, dynParams.get());
    intf = dynamic_cast<IDropDownFormEh*>(form);
    if (!intf) return;
    if (params->SaveFormSize()) {
        params->FOldFormWidth = form->Width();
        params->FOldFormHeight = form->Height();
        if (params->FormWidth() > 0) form->SetWidth(params->FormWidth());
        if (params->FormHeight() > 0) form->SetHeight(params->FormHeight());
    }
    if (control) control->SetAlwaysDown(true);
    TDynVarsEh* dp = dynParams.release();
    TEditControlDropDownFormSysParams* sp = sysParams.release();
    std::weak_ptr<bool> alive = FAlive;
    intf->ExecuteNomodal(
        this, control, params->Align(), dp, sp,
        TDropDownFormCallbackProcEh::Callable(
            [this, alive](TCustomForm* f, bool accept, TDynVarsEh* d, TDropDownFormSysParams* s) {
                // An edit freed while its form was open leaves the form's
                // objects to be freed here, and nothing else is touched.
                if (!alive.lock()) {
                    delete d;
                    delete s;
                    return;
                }
                DropDownFormCallback(f, accept, d, s);
            },
            this));
    Handled = true;
}

void TCustomDBEditEh::DropDownFormCallback(TCustomForm* DropDownForm, bool Accept, TDynVarsEh* DynParams,
                                           TDropDownFormSysParams* SysParams) {
    std::unique_ptr<TDynVarsEh> dp(DynParams);
    std::unique_ptr<TDropDownFormSysParams> sp(SysParams);
    ReleaseButtonControls();
    auto* esp = dynamic_cast<TEditControlDropDownFormSysParams*>(SysParams);
    TEditButtonEh* button = esp && esp->FEditButton ? esp->FEditButton : FEditButton.get();
    TDropDownFormCallParamsEh* params = button->DropDownFormParams();
    if (Accept && (params->PassParams() == pspFieldValueEh || params->PassParams() == pspRecordValuesEh ||
                   !params->AssignBackFieldNames().isEmpty())) {
        TDataSet* ds = FDataLink->DataSet();
        bool putInEdit = false;
        if (ds && ds->State() != dsEdit && ds->State() != dsInsert) {
            ds->Edit();
            putInEdit = true;
        }
        if (!params->AssignBackFieldNames().isEmpty()) {
            if (ds) {
                std::vector<TField*> back;
                ds->GetFieldList(back, params->AssignBackFieldNames());
                // A field the form gave nothing back for keeps its value.
                for (TField* f : back)
                    if (DynParams && DynParams->VarExists(f->FieldName()))
                        f->SetValue(static_cast<TDynVarEh*>(DynParams->FindDynVar(f->FieldName()))->Value());
            }
        } else if (DynParams && DynParams->Count() > 0) {
            SetValue(static_cast<TDynVarEh*>(DynParams->Items(0))->Value());
        }
        if (putInEdit) ds->Post();
    }
    if (DropDownForm) DropDownForm->Hide();
    if (params->SaveFormSize() && DropDownForm) {
        params->SetFormWidth(DropDownForm->Width());
        params->SetFormHeight(DropDownForm->Height());
        if (params->FOldFormWidth > 0) DropDownForm->SetWidth(params->FOldFormWidth);
        if (params->FOldFormHeight > 0) DropDownForm->SetHeight(params->FOldFormHeight);
    }
    if (OnCloseDropDownForm) OnCloseDropDownForm(this, nullptr, Accept, params->DropDownForm(), DynParams);
    // Until the events now waiting are handled, a click on this button belongs to the close.
    FClosedFormButton = button;
    PostMessage(Handle(), WM_USER, WPARAM(Handle()), LPARAM(button));
}

// ---------------------------------------------------------------------------------------------
// MRU list

bool TCustomDBEditEh::MRUListVisible() const {
    return FMRUListVisible;
}

void TCustomDBEditEh::UpdateMRUList() {
    if (!FMRUList) return;
    if (IsMaskedEmpty()) {
        if (FMRUListVisible) MRUListCloseUp(this, false);
        return;
    }
    if (FMRUList->Active() && Showing() && !FDroppedDown && FFocused) MRUListDropDown(this);
}

void TCustomDBEditEh::MRUListDropDown(TObject*) {
    if (!FMRUListControl) {
        FMRUListControl = static_cast<TMRUListboxEh*>(CreateMRUListbox());
        FMRUListControl->SetParent(this);
        FMRUListControl->OnMouseUp = TMouseEvent::Callable(
            [this](TObject*, TMouseButton Button, TShiftState, int X, int Y) {
                if (Button != mbLeft) return;
                MRUListCloseUp(this, FMRUListControl->ClientRect().Contains(TPoint(X, Y)));
            },
            this);
    }
    TStrings* items = FMRUListControl->Items();
    items->BeginUpdate();
    items->Clear();
    // Each entry is asked through ItemStartsWithText, which descendants refine.
    for (int i = 0; i < FMRUList->Items()->Count(); ++i) {
        const String item = FMRUList->Items()->Strings(i);
        bool accept = false;
        ItemStartsWithText(item, accept);
        if (accept) items->Add(item);
    }
    items->EndUpdate();
    if (items->Count() == 0) {
        if (FMRUListVisible) MRUListCloseUp(this, false);
        return;
    }
    FMRUListControl->SetRowCount(std::min(items->Count(), FMRUList->Rows()));
    if (FMRUListVisible) {
        TPoint pos;
        PlaceDropDownUnderControl(this, FMRUListControl, daLeft, pos);
        FMRUListControl->SetBounds(pos.X, pos.Y, FMRUListControl->Width(), FMRUListControl->Height());
        return;
    }
    FMRUListControl->SetColor(Color());
    FMRUListControl->TControl::SetFont(Font());
    FMRUListControl->SetItemHeight(FMRUListControl->GetTextHeight());
    FMRUListControl->SetItemIndex(-1);
    TRect r;
    TextAreaRect(r);
    FMRUListControl->SetWidth(FMRUList->Width() > 0 ? FMRUList->Width() : r.Width());
    FMRUListControl->SetRowCount(std::min(items->Count(), FMRUList->Rows()));
    FMRUListVisible = true;
    FMRUList->SetDroppedDown(true);
    ShowDropDownUnder(FMRUListControl, daLeft);
    FMRUListControl->SizeGrip()->OnParentResized = TNotifyEvent(this, &TCustomDBEditEh::SyncMRUListSize);
}

void TCustomDBEditEh::MRUListCloseUp(TObject*, bool Accept) {
    if (!FMRUListVisible) return;
    HideDropDown(FMRUListControl);
    FMRUListVisible = false;
    FMRUList->SetDroppedDown(false);
    if (Accept && !FReadOnly && FDataLink->Edit()) {
        int i = FMRUListControl->ItemIndex();
        if (i >= 0) {
            PutText(FMRUListControl->Items()->Strings(i));
            if (FFocused) SelectAll();
        }
    }
}

void TCustomDBEditEh::SyncMRUListSize(TObject*) {
    if (!FMRUListVisible) return;
    FMRUList->SetRows(FMRUListControl->RowCount());
    FMRUList->SetWidth(FMRUListControl->Width());
}

void TCustomDBEditEh::ItemStartsWithText(const String& Item, bool& Accept) {
    const String text = ReadText();
    Accept = LocaleCompareWideStrN(Item.left(int(text.size())), text, 0, !FMRUList->CaseSensitive()) == 0;
    if (FMRUList->OnFilterItem) FMRUList->OnFilterItem(this, Accept);
}

bool TCustomDBEditEh::RouteKeyToMRUList(TMessage& Message) {
    if (!FMRUListVisible) return false;
    if (Message.Msg != WM_KEYDOWN && Message.Msg != WM_SYSKEYDOWN && Message.Msg != WM_CHAR) return false;
    const Word code = Word(Message.WParam);
    const bool alt = (Message.LParam & (1 << 29)) != 0;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    if (Message.Msg != WM_CHAR) {
        if (((code == VK_PRIOR || code == VK_NEXT || code == VK_UP || code == VK_DOWN) && !alt) ||
            ((code == VK_HOME || code == VK_END) && ctrl)) {
            MoveListSelection(FMRUListControl, code);
            return true;
        }
    }
    if (code == 13 || code == 27) {
        if (Message.Msg == WM_KEYDOWN) MRUListCloseUp(this, code == 13);
        return true;
    }
    return false;
}
