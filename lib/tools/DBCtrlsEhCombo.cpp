// The combo box: a text combo (KeyItems empty: the text is the value, Items offer texts and
// complete what is typed) or a key-based combo (Items are the texts shown, KeyItems the values
// stored, pairwise; typing only selects items).
//
// Invariants: FKeyBased is true exactly when KeyItems has an entry; FItemIndex is -1 or below
// FItemsCount (the smaller list's count in a key-based combo).

#include "lib/tools/DBCtrlsEh.h"
#include "lib/tools/DBCtrlsEhPublish.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Clipbrd.h"

#include <cassert>

void TDropDownBoxEh::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TDropDownBoxEh*>(Source)) {
        Align = s->Align;
        Rows = s->Rows;
        Width = s->Width;
        Sizable = s->Sizable;
        return;
    }
    TPersistent::Assign(Source);
}

TCustomDBComboBoxEh::TCustomDBComboBoxEh(TComponent* AOwner) : TCustomDBEditEh(AOwner) {
    FItems = std::make_unique<TStringList>();
    FItems->OnChange = TNotifyEvent(this, &TCustomDBComboBoxEh::ItemsChanged);
    FKeyItems = std::make_unique<TStringList>();
    FKeyItems->SetCaseSensitive(true);
    FKeyItems->OnChange = TNotifyEvent(this, &TCustomDBComboBoxEh::KeyItemsChanged);
    FDropDownBox.reset(CreateDropDownBox());
    FDropDownBox->Rows = 7;
}

TCustomDBComboBoxEh::~TCustomDBComboBoxEh() {
    FItems->OnChange = nullptr;
    FKeyItems->OnChange = nullptr;
}

void TCustomDBComboBoxEh::SetItems(TStrings* Value) {
    FItems->Assign(Value);
}

void TCustomDBComboBoxEh::SetKeyItems(TStrings* Value) {
    FKeyItems->Assign(Value);
}

int TCustomDBComboBoxEh::FindItem(const String& Text) const {
    for (int i = 0; i < FItems->Count(); ++i)
        if (AnsiCompareText(FItems->Strings(i), Text) == 0) return i;
    return -1;
}

void TCustomDBComboBoxEh::Recount() {
    FItemsCount = FItems->Count();
    FKeyBased = false;
    if (FKeyItems->Count() > 0) {
        FKeyBased = true;
        FItemsCount = std::min(FItems->Count(), FKeyItems->Count());
        TCustomDBEditEh::PutText(String());
    }
    if (FItemIndex >= FItemsCount) FItemIndex = -1;
    UpdateEditReadOnly();
}

void TCustomDBComboBoxEh::SyncIndexFromText() {
    int i = FindItem(ReadText());
    FItemIndex = i < FItemsCount ? i : -1;
    UpdateImageIndex();
}

void TCustomDBComboBoxEh::ItemsChanged(TObject*) {
    Recount();
    SyncIndexFromText();
    ResetMaxLengthFromField();
}

void TCustomDBComboBoxEh::KeyItemsChanged(TObject*) {
    Recount();
    SyncIndexFromText();
    ResetMaxLengthFromField();
    RefreshFromField();
}

void TCustomDBComboBoxEh::RequestItems() {
    if (FItems->Count() == 0 && OnGetItemsList) OnGetItemsList(this);
}

void TCustomDBComboBoxEh::ApplyItemIndex(int Index) {
    if (Index == FItemIndex) return;
    RequestItems();
    if (Index < 0 || Index >= FItemsCount) {
        FItemIndex = -1;
        FVarValue = Variant::FromNull();
    } else {
        FItemIndex = Index;
        if (FKeyBased) FVarValue = Variant(FKeyItems->Strings(Index));
    }
    assert(FItemIndex == -1 || FItemIndex < FItemsCount);
    UpdateImageIndex();
    TCustomDBEditEh::PutText(FItemIndex >= 0 ? FItems->Strings(FItemIndex) : String());
}

void TCustomDBComboBoxEh::SetItemIndex(int Value) {
    if (!FDataLink->DataIndepended()) {
        if (ComponentState().Contains(csDesigning)) return;
        if (TDataSource* ds = FDataLink->DataSource())
            if (TDataSet* d = ds->DataSet()) d->Edit();
    }
    ApplyItemIndex(Value);
    try {
        UpdateData();
    } catch (...) {
        FDataLink->Reset();
        throw;
    }
}

void TCustomDBComboBoxEh::PutText(const String& Text) {
    if (FKeyBased) {
        int i = FindItem(Text);
        if (i < 0 || i >= FItemsCount) return;
        FItemIndex = i;
        FVarValue = Variant(FKeyItems->Strings(i));
        UpdateImageIndex();
        TCustomDBEditEh::PutText(Text);
        return;
    }
    TCustomDBEditEh::PutText(Text);
    SyncIndexFromText();
}

void TCustomDBComboBoxEh::PutValue(const Variant& Value) {
    if (!FKeyBased) {
        TCustomDBEditEh::PutValue(Value);
        SyncIndexFromText();
        return;
    }
    FVarValue = Value;
    if (VarIsNull(Value) || Value.IsEmpty()) {
        FItemIndex = -1;
        TCustomDBEditEh::PutText(String());
    } else {
        String key;
        try {
            key = VarToStr(Value);
        } catch (const Exception&) {
        }
        int i = FKeyItems->IndexOf(key);
        FItemIndex = i < FItemsCount ? i : -1;
        // A value with no matching key shows nothing but stays the value.
        TCustomDBEditEh::PutText(FItemIndex >= 0 ? FItems->Strings(FItemIndex) : String());
    }
    UpdateImageIndex();
}

void TCustomDBComboBoxEh::TextAsVariant(Variant& Value) {
    if (FKeyBased)
        Value = FVarValue;
    else
        TCustomDBEditEh::TextAsVariant(Value);
}

bool TCustomDBComboBoxEh::AcceptsChar(Char Key) {
    return FKeyBased || TCustomDBEditEh::AcceptsChar(Key);
}

TAlignment TCustomDBComboBoxEh::FieldAlignment() {
    return FKeyBased ? taLeftJustify : TCustomDBEditEh::FieldAlignment();
}

void TCustomDBComboBoxEh::StoreTextToLink() {
    if (!FDataLink->DataIndepended() || FKeyBased) {
        Variant v = ReadValue();
        FDataLink->SetText(VarIsNull(v) || v.IsEmpty() ? String() : VarToStr(v));
    } else {
        FDataLink->SetText(EditText());
    }
}

void TCustomDBComboBoxEh::Clear() {
    if (FKeyBased)
        SetValue(Variant::FromNull());
    else
        TCustomDBEditEh::Clear();
}

void TCustomDBComboBoxEh::RefreshFromField() {
    if (TField* f = Field()) {
        if (f->Alignment() != FAlignment) Invalidate();
        if (!FAssignedValues.Contains(evEditMaskEh)) TCustomMaskEdit::SetEditMask(f->EditMask());
        if (!ComponentState().Contains(csDesigning) &&
            (f->DataType() == ftString || f->DataType() == ftWideString) && MaxLength() == 0 && !FKeyBased)
            SetMaxLength(f->Size());
        if ((FFocused && FDataLink->CanModify()) || FKeyBased)
            PutValue(f->IsNull() ? Variant::FromNull() : Variant(f->Text()));
        else
            SetEditWindowTextDirect(f->DisplayText());
    } else if (FDataLink->DataIndepended()) {
        if (!FAssignedValues.Contains(evEditMaskEh)) TCustomMaskEdit::SetEditMask(String());
        if (FKeyBased)
            PutValue(FDataLink->DataIndependentValue);
        else
            SetEditWindowTextDirect(VarIsNull(FDataLink->DataIndependentValue)
                                        ? String()
                                        : VarToStr(FDataLink->DataIndependentValue));
    } else {
        if (!FAssignedValues.Contains(evEditMaskEh)) TCustomMaskEdit::SetEditMask(String());
        SetEditWindowTextDirect(String());
    }
    if (!FKeyBased) SyncIndexFromText();
    SetModified(false);
}

void TCustomDBComboBoxEh::ResetMaxLengthFromField() {
    if (MaxLength() <= 0) return;
    if (FKeyBased)
        SetMaxLength(0);
    else
        TCustomDBEditEh::ResetMaxLengthFromField();
}

void TCustomDBComboBoxEh::UpdateEditReadOnly() {
    if (FKeyBased)
        TCustomEdit::SetReadOnly(true);
    else
        TCustomDBEditEh::UpdateEditReadOnly();
}

void TCustomDBComboBoxEh::UpdateImageIndex() {
    FDefaultItemIndex = FItemIndex;
    if (OnGetItemImageIndex) OnGetItemImageIndex(this, FItemIndex, FDefaultItemIndex);
    TCustomDBEditEh::UpdateImageIndex();
}

void TCustomDBComboBoxEh::UpdateData() {
    if (OnNotInList && FItemIndex == -1) {
        bool recheck = false;
        OnNotInList(this, ReadText(), recheck);
    }
    TCustomDBEditEh::UpdateData();
}

String TCustomDBComboBoxEh::ReadDisplayTextForPaintCopy() {
    if (ComponentState().Contains(csDesigning) && !FDataLink->Active()) return Name();
    if (FControlState.Contains(csPaintCopy) && Field()) {
        String s;
        if (FKeyBased) {
            int i = FKeyItems->IndexOf(Field()->Text());
            if (i >= 0 && i < FItemsCount) s = FItems->Strings(i);
        } else {
            s = Field()->DisplayText();
        }
        if (CharCase() == ecUpperCase) return AnsiUpperCase(s);
        if (CharCase() == ecLowerCase) return AnsiLowerCase(s);
        return s;
    }
    return EditText();
}

void TCustomDBComboBoxEh::SelectNextValue(bool IsPrior) {
    if (!EditCanModify()) return;
    int old = FItemIndex;
    if (IsPrior) {
        if (FItemIndex > 0)
            ApplyItemIndex(FItemIndex - 1);
        else if (FItemIndex == -1 && FItemsCount > 0)
            ApplyItemIndex(FItemsCount - 1);
    } else if (FItemIndex < FItemsCount - 1) {
        ApplyItemIndex(FItemIndex + 1);
    }
    if (FItemIndex != old) SelectAll();
}

bool TCustomDBComboBoxEh::LocateItemByText(const String& Text, bool Partial) {
    if (!EditCanModify()) return false;
    int old = FItemIndex;
    try {
        int found = -1;
        for (int i = 0; i < FItemsCount; ++i) {
            String item = FItems->Strings(i);
            if (Partial) item = item.left(int(Text.size()));
            if (AnsiCompareText(item, Text) == 0) {
                found = i;
                break;
            }
        }
        if (found >= 0) {
            ApplyItemIndex(found);
            int len = int(EditText().size());
            SetSelStart(len);
            SetSelLength(int(Text.size()) - len);
        } else if (!FKeyBased) {
            ApplyItemIndex(-1);
        }
        return FItemIndex != old;
    } catch (const Exception&) {
        FItemIndex = old;
        return false;
    }
}

bool TCustomDBComboBoxEh::AutoCompleteTypedChar(const String& Text) {
    if (!(FDataLink->DataIndepended() || Field()) || !EditCanModify()) return false;
    if (Text == QString(QChar(8))) {
        int len = int(EditText().size());
        int s = SelStart(), l = SelLength();
        int selStart = l < 0 ? s + l : s;
        int selLen = std::abs(l);
        if (selStart == 0 && selLen == len) {
            SetSelStart(len);
            SetSelLength(-1);
        } else {
            SetSelStart(len);
            SetSelLength(-(selLen + 1));
        }
        return false;
    }
    int s = SelStart(), l = SelLength();
    int caret = l < 0 ? s + l : s;
    String cand = EditText().left(caret) + Text;
    RequestItems();
    if (cand.isEmpty()) return false;
    return LocateItemByText(cand, true);
}

TEditButtonEh* TCustomDBComboBoxEh::CreateMainEditButton() {
    return new TVisibleEditButtonEh(this);
}

void TCustomDBComboBoxEh::DropDownOnButtonPress(bool TopButton) {
    TEditButtonStyleEh st = EditButton()->Style();
    if (st == ebsUpDownEh || st == ebsAltUpDownEh) {
        if (EditCanModify()) SelectNextValue(!TopButton);
        return;
    }
    TCustomDBEditEh::DropDownOnButtonPress(TopButton);
}

TWinControl* TCustomDBComboBoxEh::OpenDropDownControl() const {
    return FListVisible ? FPopupListbox : nullptr;
}

TPopupListboxEh* TCustomDBComboBoxEh::PopupListbox() {
    if (!FPopupListbox) {
        TWinControl* list = nullptr;
        if (FPopupListboxClass && FPopupListboxClass->Factory)
            list = dynamic_cast<TWinControl*>(FPopupListboxClass->Factory(this));
        if (!list) list = new TPopupListboxEh(this);
        list->SetParent(this);
        list->SetVisible(false);
        list->SetCtl3D(true);
        list->OnMouseUp = TMouseEvent(this, &TCustomDBComboBoxEh::ListMouseUp);
        if (auto* pl = dynamic_cast<TPopupListboxEh*>(list))
            pl->OnGetImageIndex = TListGetImageIndexEventEh::Callable(
                [this](TObject*, int Index, int& ImageIndex) {
                    if (OnGetItemImageIndex) OnGetItemImageIndex(this, Index, ImageIndex);
                },
                this);
        FPopupListbox = list;
    }
    return static_cast<TPopupListboxEh*>(FPopupListbox);
}

void TCustomDBComboBoxEh::ListMouseUp(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
    if (Button != mbLeft || !FListVisible) return;
    TPopupListboxEh* list = PopupListbox();
    if (list->IsMouseUpCloseListbox()) CloseUp(list->ClientRect().Contains(TPoint(X, Y)));
}

void TCustomDBComboBoxEh::DropDown() {
    if (FListVisible) return;
    TCustomDBEditEh::DropDown();
    if (OnDropDown) OnDropDown(this);
    RequestItems();
    TPopupListboxEh* list = PopupListbox();
    list->SetColor(ListColor());
    list->TControl::SetFont(ListFont());
    TCustomImageList* images = Images();
    list->SetImageList(images);
    int itemHeight = list->GetTextHeight();
    if (images && itemHeight < images->Height() + 1) itemHeight = images->Height() + 1;
    list->SetItemHeight(itemHeight);
    list->SetExtItems(FItems.get());
    list->SetCount(FItemsCount);
    list->SetItemIndex(FItemIndex);
    int rows = FDropDownBox->Rows;
    if (FItemsCount < rows) rows = FItemsCount;
    int width = FDropDownBox->Width;
    if (width == -1) {
        TCanvas* c = list->Canvas();
        c->Font()->Assign(Font());
        int widest = 0;
        for (int i = 0; i < FItemsCount; ++i)
            widest = std::max(widest, c->TextWidth(FItems->Strings(i)));
        width = widest + 5 + (images ? images->Width() + 4 : 0) + (list->Width() - list->ClientWidth());
    } else if (width < 1) {
        width = Width();
    }
    width = std::max(width, Width());
    list->SetWidth(width);
    list->SetRowCount(rows);
    list->SizeGrip()->SetVisible(FDropDownBox->Sizable);
    FListVisible = true;
    FDroppedDown = true;
    ShowDropDownUnder(list, FDropDownBox->Align);
    list->FSizeGripResized = false;
}

void TCustomDBComboBoxEh::CloseUp(bool Accept) {
    if (!FListVisible) return;
    TPopupListboxEh* list = PopupListbox();
    HideDropDown(list);
    if (list->FSizeGripResized) {
        FDropDownBox->Rows = list->RowCount();
        FDropDownBox->Width = list->Width();
    }
    FListVisible = false;
    TCustomDBEditEh::CloseUp(Accept);
    FDroppedDown = false;
    if (OnClosingUp) OnClosingUp(this, Accept);
    if (Accept && !FReadOnly && FDataLink->Edit()) {
        ApplyItemIndex(list->ItemIndex());
        FDataLink->Modified();
        if (FFocused) SelectAll();
    }
    if (OnCloseUp) OnCloseUp(this, Accept);
}

void TCustomDBComboBoxEh::HandleButtonMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) {
    TCustomDBEditEh::HandleButtonMouseMove(Sender, Shift, X, Y);
    auto* c = dynamic_cast<TControl*>(Sender);
    if (!FListVisible || !c || !c->MouseCapture()) return;
    // Pressing the button and dragging into the list selects there.
    TPoint p = FPopupListbox->ScreenToClient(c->ClientToScreen(TPoint(X, Y)));
    if (FPopupListbox->ClientRect().Contains(p)) {
        c->Perform(WM_CANCELMODE, 0, 0);
        FPopupListbox->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(WORD(p.X), WORD(p.Y)));
    }
}

void TCustomDBComboBoxEh::WndProc(TMessage& Message) {
    if (FListVisible && (Message.Msg == WM_KEYDOWN || Message.Msg == WM_SYSKEYDOWN)) {
        const Word code = Word(Message.WParam);
        const bool ctrl = GetKeyState(VK_CONTROL) < 0;
        const bool isShortCut =
            EditButton() && EditButton()->ShortCut() == ::ShortCut(code, CurrentShiftKeys());
        if (!isShortCut && (code == VK_PRIOR || code == VK_NEXT || code == VK_UP || code == VK_DOWN ||
                            ((code == VK_HOME || code == VK_END) && ctrl))) {
            MoveListSelection(PopupListbox(), code);
            return;
        }
    }
    if (FListVisible && Message.Msg == CM_WANTSPECIALKEY &&
        (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE)) {
        Message.Result = 1;
        return;
    }
    TCustomDBEditEh::WndProc(Message);
}

void TCustomDBComboBoxEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomDBEditEh::MouseDown(Button, Shift, X, Y);
    FPressOpenedList = false;
    if (Button != mbLeft || !FKeyBased || Shift.Contains(ssDouble)) return;
    TRect text;
    TextAreaRect(text);
    if (!text.Contains(TPoint(X, Y)) || !IsEnabledWithData() || FDroppedDown) return;
    if (CanFocus()) SetFocus();
    FPressOpenedList = true;
    DropDown();
}

void TCustomDBComboBoxEh::Click() {
    TCustomDBEditEh::Click();
    if (FKeyBased && IsEnabledWithData() && FDroppedDown && !FPressOpenedList) CloseUp(false);
    FPressOpenedList = false;
}

void TCustomDBComboBoxEh::Change() {
    if (!FKeyBased) SyncIndexFromText();
    TCustomDBEditEh::Change();
}

void TCustomDBComboBoxEh::KeyDown(Word& Key, TShiftState Shift) {
    TCustomDBEditEh::KeyDown(Key, Shift);
    if (Key == 0) return;
    if ((Key == VK_UP || Key == VK_DOWN) && Shift.Empty() && !FReadOnly && !FListVisible) {
        if (!FWordWrap || std::abs(SelLength()) == int(EditText().size())) {
            if (EditCanModify()) {
                SelectNextValue(Key == VK_UP);
                Key = 0;
            }
        }
    } else if (Key == VK_DELETE && FKeyBased && !FReadOnly) {
        bool required = Field() && Field()->Required();
        if ((!required || FDataLink->DataIndepended()) && EditCanModify()) {
            FItemIndex = -1;
            FVarValue = Variant::FromNull();
            TCustomDBEditEh::PutText(String());
            UpdateImageIndex();
            Key = 0;
        }
    }
}

void TCustomDBComboBoxEh::KeyPress(Char& Key) {
    if (FListVisible && (Key == QChar(13) || Key == QChar(27))) {
        CloseUp(Key == QChar(13));
        Key = Char(0);
        return;
    }
    TCustomDBEditEh::KeyPress(Key);
    if (Key == Char(0)) return;
    bool writable = !FReadOnly;
    if (Key == QChar(8) && FKeyBased && writable) {
        AutoCompleteTypedChar(String(QChar(8)));
        Key = Char(0);
        return;
    }
    if (Key.unicode() > 31) {
        if (FDropDownBox->AutoDrop && !FListVisible) DropDown();
        if (FKeyBased && writable) {
            AutoCompleteTypedChar(String(Key));
            Key = Char(0);
        }
    }
}

bool TCustomDBComboBoxEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (TCustomDBEditEh::DoMouseWheelDown(Shift, MousePos)) return true;
    if (!Shift.Empty() || FReadOnly || !FDataLink->Edit()) return false;
    SelectNextValue(false);
    return true;
}

bool TCustomDBComboBoxEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (TCustomDBEditEh::DoMouseWheelUp(Shift, MousePos)) return true;
    if (!Shift.Empty() || FReadOnly || !FDataLink->Edit()) return false;
    SelectNextValue(true);
    return true;
}

void TCustomDBComboBoxEh::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_CHAR: {
        ushort c = ushort(Message.WParam);
        TCustomDBEditEh::Dispatch(Message);
        // Completion of a text combo happens after the window took the character.
        if (FKeyBased || c == 0 || c == '.' || GetKeyState(VK_CONTROL) < 0 || c == 13 || c == 27 || c == 9)
            return;
        int len = int(EditText().size());
        if (SelStart() != len || SelLength() != 0 || c == 8) {
            int caret = SelStart();
            RequestItems();
            if (LocateItemByText(ReadText(), false)) {
                SetSelStart(int(EditText().size()));
                SetSelLength(caret - int(EditText().size()));
            }
        } else {
            AutoCompleteTypedChar(String());
        }
        return;
    }
    case WM_PASTE:
        if (FKeyBased) {
            String t = Clipboard()->AsText();
            if (!t.isEmpty()) AutoCompleteTypedChar(t);
            return;
        }
        break;
    }
    TCustomDBEditEh::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
// Stored properties

KVT_PUBLISHED(TDropDownBoxEh) {
    using C = TDropDownBoxEh;
    P.Prop("Align", &C::Align, &C::Align).Default(daLeft);
    P.Prop("AutoDrop", &C::AutoDrop, &C::AutoDrop).Default(false);
    P.Prop("Rows", &C::Rows, &C::Rows).Default(7);
    P.Prop("Sizable", &C::Sizable, &C::Sizable).Default(false);
    P.Prop("Width", &C::Width, &C::Width).Default(0);
}

KVT_PUBLISHED(TDBComboBoxEh) {
    using C = TDBComboBoxEh;
    PublishDBEditCommon(P);
    P.Prop("CharCase", &C::CharCase, &C::SetCharCase).Default(ecNormal);
    P.Prop("DropDownBox", &C::DropDownBox, [](C* e, TDropDownBoxEh* v) { e->DropDownBox()->Assign(v); });
    P.Prop("MaxLength", &C::MaxLength, &C::SetMaxLength).Default(0);
    // The lists come before the text, which is looked up in them when read back.
    P.Prop("Items", &C::Items, &C::SetItems);
    P.Prop("KeyItems", &C::KeyItems, &C::SetKeyItems);
    P.Prop("Text", &C::Text, &C::SetText).Stored([](C* e) { return DBEditTextStored(e); });
    P.Prop("WordWrap", &C::WordWrap, &C::SetWordWrap).Default(false);
    PublishDBEditControl(P);
    P.Prop("OnCloseUp", &C::OnCloseUp, &C::OnCloseUp);
    P.Prop("OnDropDown", &C::OnDropDown, &C::OnDropDown);
    P.Prop("OnGetItemImageIndex", &C::OnGetItemImageIndex, &C::OnGetItemImageIndex);
    P.Prop("OnNotInList", &C::OnNotInList, &C::OnNotInList);
}
