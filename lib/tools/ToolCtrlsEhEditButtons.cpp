// Edit buttons: the settings objects an editor or column stores, and the speed-button control
// that shows one, tracks which spin half is pressed and repeats its down-event while held.

#include "lib/tools/ToolCtrlsEh.h"
#include "lib/tools/ToolCtrlsEhInternal.h"
#include "platform/classes/TypInfo.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"
#include "platform/ui/WinGdi.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// TEditButtonControlEh

TEditButtonControlEh::TEditButtonControlEh(TComponent* AOwner) : TSpeedButton(AOwner) {}

TEditButtonControlEh::~TEditButtonControlEh() = default;

void TEditButtonControlEh::SetEditButtonImages(TEditButtonImagesEh* Value) {
    if (FEditButtonImages == Value) return;
    FEditButtonImages = Value;
    Invalidate();
}

void TEditButtonControlEh::Notification(TComponent* AComponent, TOperation Operation) {
    TSpeedButton::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FTimer) FTimer = nullptr;
}

void TEditButtonControlEh::WriteActive(bool Value) {
    if (FActive == Value) return;
    FActive = Value;
    Invalidate();
}

void TEditButtonControlEh::WriteStyle(TEditButtonStyleEh Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    Invalidate();
}

void TEditButtonControlEh::WriteAlwaysDown(bool Value) {
    if (FAlwaysDown == Value) return;
    FAlwaysDown = Value;
    if (Value) {
        SetGroupIndex(1);
        SetDown(true);
        SetAllowAllUp(false);
        FButtonNum = 1;
    } else {
        SetAllowAllUp(true);
        SetDown(false);
        SetGroupIndex(0);
        FButtonNum = 0;
    }
    Invalidate();
}

void TEditButtonControlEh::SetState(TButtonState NewState, bool IsActive, int ButtonNum) {
    if (FState == NewState && FActive == IsActive && FButtonNum == ButtonNum) return;
    FState = NewState;
    FActive = IsActive;
    FButtonNum = ButtonNum;
    Invalidate();
}

void TEditButtonControlEh::SetWidthNoNotify(int AWidth) {
    SetWidth(AWidth);
}

TEditButtonStateEh TEditButtonControlEh::GetState() {
    if (!Enabled()) return ebstDisabledEh;
    const bool down = FState == bsDown || FState == bsExclusive || Down();
    if (down) return ebstPressedEh;
    return MouseInControl() ? ebstHotEh : ebstNormalEh;
}

void TEditButtonControlEh::EditButtonDown(bool TopButton, bool& AutoRepeat) {
    bool handled = false;
    if (OnDown) OnDown(this, TopButton, AutoRepeat, handled);
}

void TEditButtonControlEh::UpdateDownButtonNum(int /*X*/, int Y) {
    int num;
    if (FState != bsDown && FState != bsExclusive)
        num = 0;
    else if (IsSpin())
        num = Y < Height() / 2 ? 1 : (Y > Height() - Height() / 2 ? 2 : 0);
    else
        num = 1;
    if (num != FButtonNum) {
        FButtonNum = num;
        Invalidate();
    }
}

void TEditButtonControlEh::ResetTimer(Cardinal Interval) {
    if (!FTimer) {
        FTimer = new TTimer(this);
        FTimer->SetEnabled(false);
        FTimer->OnTimer = TNotifyEvent(this, &TEditButtonControlEh::OnTimer);
    }
    if (FTimer->Enabled() && FTimer->Interval() == Interval) return;
    FTimer->SetEnabled(false);
    FTimer->SetInterval(Interval);
    FTimer->SetEnabled(true);
}

void TEditButtonControlEh::OnTimer(TObject*) {
    TimerTick();
}

void TEditButtonControlEh::TimerTick() {
    if (!FTimer || FState != bsDown) return;
    if (FTimer->Interval() == 400) FTimer->SetInterval(100);
    bool autoRepeat = IsSpin();
    EditButtonDown(FButtonNum == 1, autoRepeat);
    if (!autoRepeat && FTimer) FTimer->SetEnabled(false);
}

void TEditButtonControlEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TSpeedButton::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    UpdateDownButtonNum(X, Y);
    if (FButtonNum >= 1) {
        bool autoRepeat = IsSpin();
        EditButtonDown(FButtonNum == 1, autoRepeat);
        if (autoRepeat) ResetTimer(400);
    }
}

void TEditButtonControlEh::MouseMove(TShiftState Shift, int X, int Y) {
    TSpeedButton::MouseMove(Shift, X, Y);
    if (MouseCapture() && IsSpin() && FState == bsDown) {
        // Leaving the pressed half pops the button up; the press never moves to the other half.
        if ((FButtonNum == 2 && Y < Height() / 2) || (FButtonNum == 1 && Y > Height() - Height() / 2)) {
            FState = bsUp;
            Invalidate();
        }
    }
    if (FState != bsDown && FState != bsExclusive && FButtonNum != 0) {
        FButtonNum = 0;
        Invalidate();
    }
}

void TEditButtonControlEh::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const bool suppress = IsSpin() && FState != bsDown;
    const bool oldNoDoClick = FNoDoClick;
    if (suppress) FNoDoClick = true;
    {
        ScopeExit restore([&] { FNoDoClick = oldNoDoClick; });
        TSpeedButton::MouseUp(Button, Shift, X, Y);
    }
    UpdateDownButtonNum(X, Y);
    if (FTimer) FTimer->SetEnabled(false);
}

void TEditButtonControlEh::Click() {
    if (FNoDoClick) return;
    TSpeedButton::Click();
}

void TEditButtonControlEh::DrawImages(const TRect& ARect) {
    if (!FEditButtonImages) return;
    const TEditButtonStateEh st = GetState();
    TCustomImageList* list = FEditButtonImages->GetStateImages(st);
    const int index = FEditButtonImages->GetStateIndex(st);
    if (!list || index < 0 || index >= list->Count()) return;
    int x = ARect.Left + (ARect.Width() - list->Width()) / 2;
    int y = ARect.Top + (ARect.Height() - list->Height()) / 2;
    if (FButtonNum > 0 && (FState == bsDown || FState == bsExclusive)) ++x, ++y;
    list->Draw(Canvas(), x, y, index, Enabled());
}

void TEditButtonControlEh::Paint() {
    if (OnPaint)
        OnPaint(this);
    else
        DefaultPaint();
}

void TEditButtonControlEh::DefaultPaint() {
    TCanvas* c = Canvas();
    const bool down = FState == bsDown || FState == bsExclusive;
    const int buttonNum = down ? FButtonNum : 0;
    const bool themes = ThemesInUse();
    const bool hot = themes ? MouseInControl() : FActive;
    const TRect client = ClientRect();

    if (FStyle == ebsGlyphEh) {
        if (FEditButtonImages && FEditButtonImages->NormalImages()) {
            TRect face = client;
            PaintButtonBackground(c, face, clWindow, Enabled(), hot, Flat(), down);
            DrawImages(client);
            return;
        }
        // Glyph and caption as a speed button draws them, with the flat frame of an edit button.
        TRect face = client;
        PaintButtonBackground(c, face, clWindow, Enabled(), hot || (Flat() && themes && Glyph()->Empty()),
                              Flat(), down);
        DrawGlyphAndCaption(c, face, Enabled() ? FState : bsDisabled);
        if (Flat() && !themes) {
            TRect fr = client;
            if (FActive) {
                DrawEdge(c->Handle(), fr, down ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
            } else {
                c->Brush()->SetStyle(bsSolid);
                c->Brush()->SetColor(Parent() ? Parent()->Color() : clBtnFace);
                c->FrameRect(fr);
            }
        }
        return;
    }
    DrawStyledButton(c, client, clWindow, EditButtonStyleToDrawButtonStyle(FStyle), buttonNum, Flat(), hot,
                     Enabled(), cbUnchecked);
}

// ---------------------------------------------------------------------------------------------
// TDropDownFormCallParamsEh

void TDropDownFormCallParamsEh::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TDropDownFormCallParamsEh*>(Source)) {
        SetDropDownForm(s->FDropDownForm);
        SetDropDownFormClassName(s->FDropDownFormClassName);
        FAlign = s->FAlign;
        FPassParams = s->FPassParams;
        FPassFieldNames = s->FPassFieldNames;
        FAssignBackFieldNames = s->FAssignBackFieldNames;
        FFormWidth = s->FFormWidth;
        FFormHeight = s->FFormHeight;
        FSaveFormSize = s->FSaveFormSize;
        return;
    }
    TPersistent::Assign(Source);
}

void TDropDownFormCallParamsEh::SetDropDownForm(TCustomForm* Value) {
    if (FDropDownForm == Value) return;
    FDropDownForm = Value;
    if (OnChanged) OnChanged(this);
}

void TDropDownFormCallParamsEh::SetDropDownFormClassName(const String& Value) {
    if (FDropDownFormClassName == Value) return;
    FDropDownFormClassName = Value;
    if (OnChanged) OnChanged(this);
}

// ---------------------------------------------------------------------------------------------
// TEditButtonImagesEh

void TEditButtonImagesEh::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TEditButtonImagesEh*>(Source)) {
        SetNormalImages(s->FNormalImages);
        SetHotImages(s->FHotImages);
        SetPressedImages(s->FPressedImages);
        SetDisabledImages(s->FDisabledImages);
        SetNormalIndex(s->FNormalIndex);
        SetHotIndex(s->FHotIndex);
        SetPressedIndex(s->FPressedIndex);
        SetDisabledIndex(s->FDisabledIndex);
        return;
    }
    TPersistent::Assign(Source);
}

TPersistent* TEditButtonImagesEh::GetOwner() {
    return FOwner;
}

TCustomImageList* TEditButtonImagesEh::GetStateImages(TEditButtonStateEh State) const {
    TCustomImageList* list = nullptr;
    switch (State) {
    case ebstNormalEh:
        list = FNormalImages;
        break;
    case ebstHotEh:
        list = FHotImages;
        break;
    case ebstPressedEh:
        list = FPressedImages;
        break;
    case ebstDisabledEh:
        list = FDisabledImages;
        break;
    case ebstControlHotEh:
        break;
    }
    return list ? list : FNormalImages;
}

int TEditButtonImagesEh::GetStateIndex(TEditButtonStateEh State) const {
    switch (State) {
    case ebstNormalEh:
        return FNormalIndex;
    case ebstHotEh:
        return FHotIndex;
    case ebstPressedEh:
        return FPressedIndex;
    case ebstDisabledEh:
        return FDisabledIndex;
    default:
        return -1;
    }
}

void TEditButtonImagesEh::SetList(TCustomImageList*& Field, TCustomImageList* Value) {
    if (Field == Value) return;
    Field = Value;
    if (FOwner) FOwner->RefComponentChanged(Value);
}

void TEditButtonImagesEh::SetIndex(int& Field, int Value) {
    if (Field == Value) return;
    Field = Value;
    if (FOwner) FOwner->EditButtonChanged();
}

void TEditButtonImagesEh::ListFreed(TComponent* List) {
    for (TCustomImageList** f : {&FNormalImages, &FHotImages, &FPressedImages, &FDisabledImages})
        if (*f == List) *f = nullptr;
}

// ---------------------------------------------------------------------------------------------
// TEditButtonActionLinkEh

void TEditButtonActionLinkEh::AssignClient(TObject* AClient) {
    FClient = dynamic_cast<TEditButtonEh*>(AClient);
}

namespace {
TCustomAction* CustomActionOf(TActionLink* link) {
    return dynamic_cast<TCustomAction*>(link->Action());
}
} // namespace

bool TEditButtonActionLinkEh::IsEnabledLinked() {
    TCustomAction* a = CustomActionOf(this);
    return TActionLink::IsEnabledLinked() && a && FClient && a->Enabled() == FClient->Enabled();
}
bool TEditButtonActionLinkEh::IsHintLinked() {
    TCustomAction* a = CustomActionOf(this);
    return TActionLink::IsHintLinked() && a && FClient && a->Hint() == FClient->Hint();
}
bool TEditButtonActionLinkEh::IsShortCutLinked() {
    TCustomAction* a = CustomActionOf(this);
    return TActionLink::IsShortCutLinked() && a && FClient && a->ShortCut() == FClient->ShortCut();
}
bool TEditButtonActionLinkEh::IsVisibleLinked() {
    TCustomAction* a = CustomActionOf(this);
    return TActionLink::IsVisibleLinked() && a && FClient && a->Visible() == FClient->Visible();
}
void TEditButtonActionLinkEh::SetEnabled(bool Value) {
    if (IsEnabledLinked() || (FClient && Action())) FClient->SetEnabled(Value);
}
void TEditButtonActionLinkEh::SetHint(const String& Value) {
    if (FClient && Action()) FClient->SetHint(Value);
}
void TEditButtonActionLinkEh::SetShortCut(TShortCut Value) {
    if (FClient && Action()) FClient->FShortCut = Value;
}
void TEditButtonActionLinkEh::SetVisible(bool Value) {
    if (FClient && Action()) FClient->SetVisible(Value);
}

// ---------------------------------------------------------------------------------------------
// TEditButtonEh

TEditButtonEh::TEditButtonEh(TWinControl* EditControl) : TCollectionItem(nullptr), FEditControl(EditControl) {
    InitDefaults();
}

namespace {
// Opens the collection's update before the item joins it (the constructor closes it).
TCollection* BeginCollectionUpdate(TCollection* Collection) {
    if (Collection) Collection->BeginUpdate();
    return Collection;
}
} // namespace

TEditButtonEh::TEditButtonEh(TCollection* Collection) : TCollectionItem(BeginCollectionUpdate(Collection)) {
    ScopeExit end([&] {
        if (Collection) Collection->EndUpdate();
    });
    InitDefaults();
}

void TEditButtonEh::InitDefaults() {
    FDropDownFormParams = std::make_unique<TDropDownFormCallParamsEh>();
    FGlyph = std::make_unique<TBitmap>();
    FGlyph->SetTransparent(true);
    FImages = std::make_unique<TEditButtonImagesEh>(this);
}

TEditButtonEh::~TEditButtonEh() {
    FActionLink.reset();
}

void TEditButtonEh::Assign(TPersistent* Source) {
    auto* s = dynamic_cast<TEditButtonEh*>(Source);
    if (!s) {
        TCollectionItem::Assign(Source);
        return;
    }
    SetAction(s->Action());
    SetDropdownMenu(s->FDropdownMenu);
    SetEnabled(s->FEnabled);
    SetGlyph(s->FGlyph.get());
    SetHint(s->FHint);
    SetNumGlyphs(s->FNumGlyphs);
    SetShortCut(s->FShortCut);
    SetStyle(s->FStyle);
    SetVisible(s->FVisible);
    SetWidth(s->FWidth);
    OnClick = s->OnClick;
    OnDown = s->OnDown;
    FImages->Assign(s->FImages.get());
}

TEditButtonControlEh* TEditButtonEh::CreateButtonControl() {
    auto* b = new TEditButtonControlEh(FEditControl);
    b->SetParent(FEditControl);
    TControlStyle cs = b->ControlStyle();
    cs.Include(csReplicatable);
    b->SetControlStyle(cs);
    b->SetBounds(0, 0, 10, 17);
    b->SetVisible(true);
    b->SetTransparent(false);
    return b;
}

void TEditButtonEh::Click(TObject* Sender, bool& Handled) {
    if (OnClick) {
        OnClick(Sender, Handled);
        return;
    }
    if (FActionLink && FActionLink->Action()) {
        TComponent* target = FEditControl;
        if (!target && Collection()) target = dynamic_cast<TComponent*>(Collection()->Owner());
        FActionLink->Execute(target);
        Handled = true;
    }
}

void TEditButtonEh::InitiateAction() {
    if (FActionLink) FActionLink->Update();
}

TBasicAction* TEditButtonEh::Action() const {
    return FActionLink ? FActionLink->Action() : nullptr;
}

void TEditButtonEh::SetAction(TBasicAction* Value) {
    if (!Value) {
        FActionLink.reset();
        return;
    }
    if (!FActionLink) FActionLink = std::make_unique<TEditButtonActionLinkEh>(this);
    FActionLink->SetAction(Value);
    FActionLink->OnChange = TNotifyEvent(this, &TEditButtonEh::DoActionChange);
    ActionChange(Value, Value->ComponentState().Contains(csLoading));
}

void TEditButtonEh::DoActionChange(TObject* Sender) {
    ActionChange(Sender, false);
}

void TEditButtonEh::ActionChange(TObject* Sender, bool CheckDefaults) {
    auto* a = dynamic_cast<TCustomAction*>(Sender);
    if (!a) return;
    if (!CheckDefaults || FEnabled) SetEnabled(a->Enabled());
    if (!CheckDefaults || FHint.isEmpty()) SetHint(a->Hint());
    if (!CheckDefaults || FShortCut == 0) SetShortCut(a->ShortCut());
    if (!CheckDefaults || FVisible) SetVisible(a->Visible());
}

bool TEditButtonEh::IsEnabledStored() const {
    return !(FActionLink && FActionLink->IsEnabledLinked()) && !FEnabled;
}
bool TEditButtonEh::IsHintStored() const {
    return !(FActionLink && FActionLink->IsHintLinked()) && !FHint.isEmpty();
}
bool TEditButtonEh::IsShortCutStored() const {
    return !(FActionLink && FActionLink->IsShortCutLinked()) && FShortCut != DefaultShortCut();
}
bool TEditButtonEh::IsVisibleStored() const {
    return !(FActionLink && FActionLink->IsVisibleLinked()) && FVisible != DefaultVisible();
}

void TEditButtonEh::EditButtonChanged() {
    if (FOnChanged)
        FOnChanged(this);
    else
        Changed(false);
}

void TEditButtonEh::RefComponentChanged(TComponent* RefComponent) {
    if (FOnRefComponentChanged) {
        FOnRefComponentChanged(this, RefComponent);
    } else if (auto* c = dynamic_cast<TEditButtonsEh*>(Collection())) {
        if (c->OnRefComponentChanged) c->OnRefComponentChanged(this, RefComponent);
    }
    EditButtonChanged();
}

void TEditButtonEh::SetGlyph(TBitmap* Value) {
    if (Value)
        FGlyph->Assign(Value);
    else
        FGlyph->SetSize(0, 0);
    EditButtonChanged();
}

void TEditButtonEh::SetNumGlyphs(int Value) {
    Value = std::clamp(Value, 1, 4);
    if (Value == FNumGlyphs) return;
    FNumGlyphs = Value;
    EditButtonChanged();
}

void TEditButtonEh::SetStyle(TEditButtonStyleEh Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    EditButtonChanged();
}

void TEditButtonEh::SetWidth(int Value) {
    if (Value == FWidth) return;
    FWidth = Value;
    EditButtonChanged();
}

void TEditButtonEh::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    EditButtonChanged();
}

void TEditButtonEh::SetEnabled(bool Value) {
    if (Value == FEnabled) return;
    FEnabled = Value;
    EditButtonChanged();
}

void TEditButtonEh::SetHint(const String& Value) {
    if (Value == FHint) return;
    FHint = Value;
    EditButtonChanged();
}

// Alt+Down.
constexpr TShortCut AltDownShortCut = 32808;

TDropDownEditButtonEh::TDropDownEditButtonEh(TWinControl* EditControl) : TEditButtonEh(EditControl) {
    FShortCut = AltDownShortCut;
}
TDropDownEditButtonEh::TDropDownEditButtonEh(TCollection* Collection) : TEditButtonEh(Collection) {
    FShortCut = AltDownShortCut;
}
TVisibleEditButtonEh::TVisibleEditButtonEh(TWinControl* EditControl) : TEditButtonEh(EditControl) {
    FShortCut = AltDownShortCut;
    FVisible = true;
}
TVisibleEditButtonEh::TVisibleEditButtonEh(TCollection* Collection) : TEditButtonEh(Collection) {
    FShortCut = AltDownShortCut;
    FVisible = true;
}

// ---------------------------------------------------------------------------------------------
// TEditButtonsEh

TEditButtonsEh::TEditButtonsEh(TPersistent* Owner, TCollectionItemClass EditButtonClass)
    : TCollection(EditButtonClass), FOwner(Owner) {}

void TEditButtonsEh::Update(TCollectionItem* Item) {
    TCollection::Update(Item);
    if (OnChanged) OnChanged(Item);
}

// Stored properties (the enumerations' names are in ToolCtrlsEhPublished.cpp).
KVT_ENUM_DECL(TDropDownAlign)
KVT_ENUM_DECL(TDropDownPassParamsEh)
KVT_ENUM_DECL(TEditButtonStyleEh)

KVT_PUBLISHED(TDropDownFormCallParamsEh) {
    using C = TDropDownFormCallParamsEh;
    P.Prop("DropDownForm", &C::DropDownForm, &C::SetDropDownForm);
    P.Prop("DropDownFormClassName", &C::DropDownFormClassName, &C::SetDropDownFormClassName);
    P.Prop("Align", &C::Align, &C::SetAlign).Default(daCenter);
    P.Prop("PassParams", &C::PassParams, &C::SetPassParams).Default(pspFieldValueEh);
    P.Prop("PassFieldNames", &C::PassFieldNames, &C::SetPassFieldNames);
    P.Prop("AssignBackFieldNames", &C::AssignBackFieldNames, &C::SetAssignBackFieldNames);
    P.Prop("FormWidth", &C::FormWidth, &C::SetFormWidth).Default(-1);
    P.Prop("FormHeight", &C::FormHeight, &C::SetFormHeight).Default(-1);
    P.Prop("SaveFormSize", &C::SaveFormSize, &C::SetSaveFormSize).Default(true);
}

KVT_PUBLISHED(TEditButtonImagesEh) {
    using C = TEditButtonImagesEh;
    P.Prop("NormalImages", &C::NormalImages, &C::SetNormalImages);
    P.Prop("HotImages", &C::HotImages, &C::SetHotImages);
    P.Prop("PressedImages", &C::PressedImages, &C::SetPressedImages);
    P.Prop("DisabledImages", &C::DisabledImages, &C::SetDisabledImages);
    P.Prop("NormalIndex", &C::NormalIndex, &C::SetNormalIndex).Default(0);
    P.Prop("HotIndex", &C::HotIndex, &C::SetHotIndex).Default(0);
    P.Prop("PressedIndex", &C::PressedIndex, &C::SetPressedIndex).Default(0);
    P.Prop("DisabledIndex", &C::DisabledIndex, &C::SetDisabledIndex).Default(0);
}

KVT_PUBLISHED(TEditButtonEh) {
    using C = TEditButtonEh;
    P.Prop("Action", &C::Action, &C::SetAction);
    P.Prop("DropdownMenu", &C::DropdownMenu, &C::SetDropdownMenu);
    P.Prop("DropDownFormParams", &C::DropDownFormParams, &C::SetDropDownFormParams);
    P.Prop("Enabled", &C::Enabled, &C::SetEnabled).Stored(&C::IsEnabledStored);
    P.Prop("Glyph", &C::Glyph, &C::SetGlyph);
    P.Prop("Hint", &C::Hint, &C::SetHint).Stored(&C::IsHintStored);
    P.Prop("Images", &C::Images, &C::SetImages);
    P.Prop("NumGlyphs", &C::NumGlyphs, &C::SetNumGlyphs).Default(1);
    P.Prop("ShortCut", &C::ShortCut, &C::SetShortCut).Stored(&C::IsShortCutStored);
    P.Prop("Style", &C::Style, &C::SetStyle).Default(ebsDropDownEh);
    P.Prop("Visible", &C::Visible, &C::SetVisible).Stored(&C::IsVisibleStored);
    P.Prop("Width", &C::Width, &C::SetWidth).Default(0);
}

KVT_PUBLISHED(TSpeedButtonEh) {
    P.Prop("Active", &TSpeedButtonEh::Active, &TSpeedButtonEh::SetActive).NoDefault();
    P.Prop("Style", &TSpeedButtonEh::Style, &TSpeedButtonEh::SetStyle).Default(ebsDropDownEh);
}
