// The data-aware edit: binding, text and value flow between the window and the data, editing
// keys, focus handling, the in-place protocol with a hosting grid.
//
// The text shown comes from the data (RefreshFromField) and goes back to it (UpdateData); both
// run through the field data link's notifications, so a change made by the data set, by code or
// by the user takes one path.

#include "lib/tools/DBCtrlsEh.h"

#include "lib/toolscore/DynVarsEh.h"
#include "platform/classes/ComponentStreams.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/WinApi.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QPalette>
#include <QWidget>

#include <cmath>

namespace {
// The strip along the bottom of the text area on which the edit draws its required mark.
class TRequiredMarkEh : public TCustomControl {
public:
    explicit TRequiredMarkEh(TCustomDBEditEh* Edit) : TCustomControl(Edit), FEdit(Edit) {}
    TCustomDBEditEh* FEdit;

protected:
    void Paint() override {
        Canvas()->Brush()->SetColor(FEdit->Color());
        Canvas()->FillRect(ClientRect());
        Canvas()->Pen()->SetStyle(psDot);
        Canvas()->Pen()->SetColor(clRed);
        Canvas()->MoveTo(0, 0);
        Canvas()->LineTo(Width(), 0);
    }
};

bool IsMemoField(TField* f) {
    return f && (f->DataType() == ftMemo || f->DataType() == ftWideMemo);
}
bool IsStringField(TField* f) {
    return f && (f->DataType() == ftString || f->DataType() == ftWideString);
}
String VariantAsEditText(const Variant& v) {
    if (VarIsNull(v) || v.IsEmpty() || VarIsArray(v)) return String();
    try {
        return VarToStr(v);
    } catch (const Exception&) {
        return String();
    }
}
} // namespace

TCustomDBEditEh::TCustomDBEditEh(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
    FControlStyle += csCaptureMouse;
    FControlStyle += csReplicatable;
    FDataLink.reset(CreateFieldDataLink());
    FDataLink->SetControl(this);
    FDataLink->OnDataChange = TNotifyEvent(this, &TCustomDBEditEh::DataChanged);
    FDataLink->OnEditingChange = TNotifyEvent(this, &TCustomDBEditEh::EditingChanged);
    FDataLink->OnUpdateData = TNotifyEvent(this, &TCustomDBEditEh::UpdateDataHandler);
    FDataLink->OnActiveChange = TNotifyEvent(this, &TCustomDBEditEh::ActiveChanged);
    // The buttons come from virtual factories: they are made in AfterConstruction.
    FEditImage.reset(CreateEditImage());
    FMRUList = std::make_unique<TMRUListEh>(this);
    FMRUList->OnSetDropDown = TSetDropDownEventEh(this, &TCustomDBEditEh::MRUListDropDown);
    FMRUList->OnSetCloseUpEvent = TSetCloseUpEventEh(this, &TCustomDBEditEh::MRUListCloseUp);
    FDynProps = std::make_unique<TDynVarsEh>(this);
    FEmptyDataInfo = std::make_unique<TControlEmptyDataInfoEh>(this);
    UpdateEditReadOnly();
    UpdateImageIndex();
    FButtonsPanel = new TPanel(this);
    FButtonsPanel->SetBevelOuter(bvNone);
    FButtonsPanel->SetParentBackground(false);
    FButtonsPanel->SetCaption(String());
    FButtonsPanel->SetVisible(false);
    FButtonsPanel->SetBounds(0, 0, 0, 0);
    FButtonsPanel->SetParent(this);
}

TCustomDBEditEh::~TCustomDBEditEh() {
    *FAlive = false;
    FDropDownWatch.reset();
    // The link may still report to the edit while it goes; silence it first.
    FDataLink->OnDataChange = nullptr;
    FDataLink->OnEditingChange = nullptr;
    FDataLink->OnUpdateData = nullptr;
    FDataLink->OnActiveChange = nullptr;
    FEditImage.reset();
    FEditButton.reset();
    FEditButtons.reset();
    FDataLink.reset();
    FMRUList.reset();
    FEmptyDataInfo.reset();
    FDynProps.reset();
}

TFieldDataLinkEh* TCustomDBEditEh::CreateFieldDataLink() {
    return new TFieldDataLinkEh();
}

bool TCustomDBEditEh::IsEnabledWithData() {
    return Enabled() && FDataLink->Active();
}

TAlignment TCustomDBEditEh::FieldAlignment() {
    return Field() ? Field()->Alignment() : taLeftJustify;
}

String TCustomDBEditEh::FieldEditMask() {
    return Field() ? Field()->EditMask() : String();
}

// ---------------------------------------------------------------------------------------------
// Link notifications

void TCustomDBEditEh::DataChanged(TObject*) {
    RefreshFromField();
    UpdateEditButtonsState();
    UpdateWindowAlignment();
    UpdateRequiredMark();
}

void TCustomDBEditEh::EditingChanged(TObject*) {
    LinkEditingChanged();
    UpdateRequiredMark();
}

void TCustomDBEditEh::UpdateDataHandler(TObject*) {
    UpdateData();
}

void TCustomDBEditEh::ActiveChanged(TObject*) {
    LinkActiveChanged();
}

void TCustomDBEditEh::LinkActiveChanged() {
    ResetMaxLengthFromField();
}

// ---------------------------------------------------------------------------------------------
// Binding

void TCustomDBEditEh::WriteDataSource(TDataSource* Value) {
    if (FDataLink->DataSourceFixed() && ComponentState().Contains(csLoading)) return;
    if (FInternalDataSourceRef && FInternalDataSourceRef != Value)
        FInternalDataSourceRef->RemoveFreeNotification(this);
    FDataLink->SetDataSource(Value);
    if (Value) Value->FreeNotification(this);
    FInternalDataSourceRef = Value;
    Invalidate();
}

void TCustomDBEditEh::WriteDataField(const String& Value) {
    if (!ComponentState().Contains(csDesigning)) ResetMaxLengthFromField();
    FDataLink->SetFieldName(Value);
    Invalidate();
}

void TCustomDBEditEh::ResetMaxLengthFromField() {
    if (MaxLength() <= 0 || !DataSource() || !DataSource()->DataSet()) return;
    TField* f = DataSource()->DataSet()->FindField(DataField());
    if (IsStringField(f) && f->Size() == MaxLength()) SetMaxLength(0);
}

void TCustomDBEditEh::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomMaskEdit::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (FDataLink && AComponent == FInternalDataSourceRef) {
        FInternalDataSourceRef = nullptr;
        WriteDataSource(nullptr);
    }
    if (FEditImage && AComponent == FEditImage->Images()) FEditImage->SetImages(nullptr);
    // Menus and image lists the buttons refer to (not while the edit itself goes).
    if (ComponentState().Contains(csDestroying) || !FEditButton) return;
    auto forget = [&](TEditButtonEh* b) {
        if (b->DropdownMenu() == AComponent) b->SetDropdownMenu(nullptr);
        b->Images()->ListFreed(AComponent);
    };
    forget(FEditButton.get());
    for (int i = 0; i < FEditButtons->Count(); ++i)
        forget(FEditButtons->Items(i));
}

void TCustomDBEditEh::DefineProperties(TFiler* Filer) {
    TCustomMaskEdit::DefineProperties(Filer);
    Filer->DefineProperty(
        QStringLiteral("EditMask"), [this](TReader* R) { SetEditMask(R->ReadString()); },
        [this](TWriter* W) { W->WriteString(EditMask()); }, FAssignedValues.Contains(evEditMaskEh));
}

void TCustomDBEditEh::Loaded() {
    TCustomMaskEdit::Loaded();
    ResetMaxLengthFromField();
    if (ComponentState().Contains(csDesigning)) FDataLink->Reset();
}

bool TCustomDBEditEh::UseRightToLeftAlignment() const {
    return TCustomMaskEdit::UseRightToLeftAlignment();
}

// ---------------------------------------------------------------------------------------------
// Text and value

void TCustomDBEditEh::PutEditDataSetInEdit() {
    // A bound edit whose data source has no data set has nothing to put into edit state.
    if (FDataLink->DataIndepended()) return;
    if (TDataSource* ds = FDataLink->DataSource())
        if (TDataSet* d = ds->DataSet()) d->Edit();
}

template <class F> void TCustomDBEditEh::WriteBack(F&& Put) {
    if (!FDataLink->DataIndepended()) {
        if (ComponentState().Contains(csDesigning)) return;
        PutEditDataSetInEdit();
    }
    Put();
    if (FDataPosting) return;
    try {
        UpdateData();
    } catch (...) {
        FDataLink->Reset();
        throw;
    }
}

void TCustomDBEditEh::WriteText(const String& Value) {
    WriteBack([&] { PutText(Value); });
}

void TCustomDBEditEh::ApplyValue(const Variant& Value) {
    WriteBack([&] { PutValue(Value); });
}

Variant TCustomDBEditEh::ReadValue() {
    Variant v;
    TextAsVariant(v);
    return v;
}

void TCustomDBEditEh::TextAsVariant(Variant& Value) {
    Value = Variant(ReadText());
}

void TCustomDBEditEh::PutText(const String& Text) {
    TControl::SetText(Text);
}

void TCustomDBEditEh::PutValue(const Variant& Value) {
    PutText(VariantAsEditText(Value));
}

void TCustomDBEditEh::StoreTextToLink() {
    if (FDataLink->DataIndepended())
        FDataLink->SetText(EditText());
    else
        FDataLink->SetText(ReadText());
}

void TCustomDBEditEh::SetEditWindowTextDirect(const String& Value) {
    if (IsMasked())
        SetEditText(Value);
    else
        TControl::SetText(Value);
}

bool TCustomDBEditEh::IsMaskedEmpty() const {
    if (!IsMasked()) return ReadText().isEmpty();
    return EditText() == FormatMaskText(EditMask(), String());
}

void TCustomDBEditEh::Undo() {
    WriteBack([&] { TCustomMaskEdit::Undo(); });
}

void TCustomDBEditEh::Clear() {
    SetText(String());
}

void TCustomDBEditEh::Reset() {
    FDataLink->Reset();
    SelectAll();
}

void TCustomDBEditEh::SetEditMask(const TEditMask& Value) {
    if (FAssignedValues.Contains(evEditMaskEh) && Value == EditMask()) return;
    String remembered;
    bool remember = ComponentState().Contains(csLoading) && FDataLink->DataIndepended();
    if (remember) remembered = ReadText();
    TCustomMaskEdit::SetEditMask(Value);
    FAssignedValues += evEditMaskEh;
    if (remember && !remembered.isEmpty()) PutText(remembered);
    if (FDataLink->DataIndepended())
        StoreTextToLink();
    else
        FDataLink->Reset();
}

// Loads the text from the data: the edit form while focused and modifiable, else the display form.
void TCustomDBEditEh::RefreshFromField() {
    if (TField* f = Field()) {
        if (f->Alignment() != FAlignment) Invalidate();
        if (!FAssignedValues.Contains(evEditMaskEh)) TCustomMaskEdit::SetEditMask(f->EditMask());
        if (!ComponentState().Contains(csDesigning) && IsStringField(f) && MaxLength() == 0)
            SetMaxLength(f->Size());
        if (FFocused && FDataLink->CanModify()) {
            if (IsMemoField(f)) {
                PutText(f->AsString());
            } else {
                PutText(f->Text());
                UpdateEditReadOnly();
                SetModified(false);
                return;
            }
        } else {
            SetEditWindowTextDirect(IsMemoField(f) ? f->AsString() : f->DisplayText());
        }
    } else {
        if (!FAssignedValues.Contains(evEditMaskEh)) TCustomMaskEdit::SetEditMask(String());
        if (FDataLink->DataIndepended())
            SetEditWindowTextDirect(VariantAsEditText(FDataLink->DataIndependentValue));
        else
            SetEditWindowTextDirect(String());
    }
    UpdateEditReadOnly();
    SetModified(false);
}

// Writes the text back: validation, the user's handler, then the link.
void TCustomDBEditEh::UpdateData() {
    if (FFocused) TCustomMaskEdit::ValidateEdit();
    bool handled = false;
    {
        FDataPosting = true;
        struct Guard {
            bool& f;
            ~Guard() { f = false; }
        } g{FDataPosting};
        if (OnUpdateData) OnUpdateData(this, handled);
    }
    if (!handled) StoreTextToLink();
    SetModified(false);
    if (FMRUList && FMRUList->AutoAdd() && FMRUList->Active() && Showing()) FMRUList->Add(ReadText());
}

void TCustomDBEditEh::ValidateEdit() {
    TCustomMaskEdit::ValidateEdit();
}

void TCustomDBEditEh::UpdateEditReadOnly() {
    bool ro = FReadOnly;
    if (!ro) {
        ro = !FDataLink->Editing();
        if (ro && OnUpdateData && FDataLink->DataSet() && FDataLink->DataSet()->State() == dsEdit) ro = false;
    }
    if (FInplaceMode && ro && FIntfInplaceEditHolder)
        ro = !FIntfInplaceEditHolder->InplaceEditCanModify(this);
    TCustomEdit::SetReadOnly(ro);
}

bool TCustomDBEditEh::EditCanModify() {
    return !FReadOnly && FDataLink->Edit();
}

void TCustomDBEditEh::SetReadOnly(bool Value) {
    if (Value == FReadOnly) return;
    FReadOnly = Value;
    LinkEditingChanged();
}

TAlignment TCustomDBEditEh::Alignment() {
    return FAssignedValues.Contains(evAlignmentEh) ? FAlignment : FieldAlignment();
}

void TCustomDBEditEh::SetAlignment(TAlignment Value) {
    FAlignment = Value;
    FAssignedValues += evAlignmentEh;
    UpdateWindowAlignment();
    if (!ComponentState().Contains(csLoading) && HandleAllocated()) RecreateWnd();
}

void TCustomDBEditEh::SetFlat(bool Value) {
    if (Value == FFlat) return;
    FFlat = Value;
    if (HandleAllocated()) RecreateWnd();
}

void TCustomDBEditEh::SetAlwaysShowBorder(bool Value) {
    if (Value == FAlwaysShowBorder) return;
    FAlwaysShowBorder = Value;
    Invalidate();
}

void TCustomDBEditEh::SetHighlightRequired(bool Value) {
    if (Value == FHighlightRequired) return;
    FHighlightRequired = Value;
    UpdateRequiredMark();
}

void TCustomDBEditEh::SetTooltips(bool Value) {
    FTooltips = Value;
    UpdateHintState();
}

void TCustomDBEditEh::SetShowHint(bool Value) {
    FShowHint = Value;
    UpdateHintState();
}

void TCustomDBEditEh::UpdateHintState() {
    TControl::SetShowHint(FTooltips || FShowHint);
}

void TCustomDBEditEh::SetWordWrap(bool Value) {
    if (Value == FWordWrap) return;
    FWordWrap = Value;
    if (HandleAllocated()) RecreateWnd();
}

void TCustomDBEditEh::SetAutoSize(bool Value) {
    if (Value == AutoSize()) return;
    TCustomMaskEdit::SetAutoSize(Value);
    ApplyAutoSize();
}

void TCustomDBEditEh::SetImages(TCustomImageList* Value) {
    FEditImage->SetImages(Value);
    FEditImage->SetVisible(true);
}

void TCustomDBEditEh::SetOnGetImageIndex(const TGetImageIndexEventEh& Value) {
    FOnGetImageIndex = Value;
    UpdateImageIndex();
}

void TCustomDBEditEh::UpdateImageIndex() {
    if (!FEditImage || !FEditImage->Visible() || !FEditImage->Images()) return;
    int index = DefaultImageIndex();
    Variant v = ReadValue();
    if (VarIsType(v, {varSmallint, varInteger, varSingle, varDouble, varCurrency})) {
        try {
            index = int(Round(v.AsExtended()));
        } catch (const Exception&) {
        }
    }
    if (FOnGetImageIndex) FOnGetImageIndex(this, index);
    FEditImage->SetImageIndex(index);
}

void TCustomDBEditEh::ApplyAutoSize() {
    if (AutoSize() && BorderStyle() == bsSingle) {
        FControlStyle += csFixedHeight;
        AdjustHeightToFont();
    } else {
        FControlStyle -= csFixedHeight;
    }
}

void TCustomDBEditEh::AdjustHeightToFont() {
    QFontMetrics fm(Font()->ToQFont());
    int extra = (Ctl3D() ? 8 : 6) - (FFlat ? 2 : 0);
    extra *= GetSystemMetrics(SM_CYBORDER);
    int h = fm.height();
    if (FEditImage->UseImageHeight() && FEditImage->Images() && FEditImage->Images()->Height() > h)
        h = FEditImage->Images()->Height();
    SetHeight(extra + h);
}

void TCustomDBEditEh::TextAreaRect(TRect& Rect) {
    Rect = ClientRect();
    if (UseRightToLeftAlignment())
        Rect.Left += FButtonWidth;
    else
        Rect.Right -= FButtonWidth;
    if (FEditImage->Visible() && FEditImage->Images()) {
        if (UseRightToLeftAlignment())
            Rect.Right -= FImageWidth;
        else
            Rect.Left += FImageWidth;
    }
}

bool TCustomDBEditEh::RequiredStateShown() {
    bool draw = false;
    if (FHighlightRequired && FDataLink->Active()) {
        if (FDataLink->DataIndepended()) {
            draw = VarIsNull(ReadValue()) || ReadText().isEmpty();
        } else if (TField* f = Field()) {
            TDataSet* ds = FDataLink->DataSet();
            draw = ds && (ds->State() == dsEdit || ds->State() == dsInsert) && f->Required() && f->IsNull();
        }
    }
    if (OnCheckDrawRequiredState) OnCheckDrawRequiredState(this, draw);
    return draw;
}

// The mark is a dotted red line one pixel above the bottom of the client area, under the text.
void TCustomDBEditEh::PaintRequiredState(TCanvas* Canvas) {
    TRect r;
    TextAreaRect(r);
    Canvas->Pen()->SetStyle(psDot);
    Canvas->Pen()->SetColor(clRed);
    Canvas->MoveTo(r.Left + 2, ClientHeight() - 2);
    Canvas->LineTo(r.Right - 3, ClientHeight() - 2);
}

void TCustomDBEditEh::UpdateRequiredMark() {
    const bool show = RequiredStateShown();
    if (!show && !FRequiredMark) return;
    if (!FRequiredMark) {
        FRequiredMark = new TRequiredMarkEh(this);
        FRequiredMark->SetParent(this);
    }
    TRect r;
    TextAreaRect(r);
    const int inset = BorderStyle() == bsSingle ? 2 : 0;
    FRequiredMark->SetBounds(r.Left + 2 + inset, ClientHeight() - 2 - inset,
                             std::max(0, r.Width() - 5 - 2 * inset), 1);
    FRequiredMark->SetVisible(show);
    FRequiredMark->Invalidate();
}

String TCustomDBEditEh::ReadDisplayTextForPaintCopy() {
    if (ComponentState().Contains(csDesigning) && !FDataLink->Active()) return Name();
    if (FControlState.Contains(csPaintCopy) && Field()) {
        String s = Field()->DisplayText();
        if (CharCase() == ecUpperCase) return AnsiUpperCase(s);
        if (CharCase() == ecLowerCase) return AnsiLowerCase(s);
        return s;
    }
    return EditText();
}

bool TCustomDBEditEh::AcceptsChar(Char Key) {
    return !Field() || Field()->IsValidChar(Key);
}

// ---------------------------------------------------------------------------------------------
// Keys, focus and change

void TCustomDBEditEh::Change() {
    if (FUserInput > 0) FUserTextChanged = true;
    FDataLink->Modified();
    SetModified(true);
    UpdateImageIndex();
    if (FEmptyDataInfo) FEmptyDataInfo->PaintEmptyDataInfo();
    if (FHighlightRequired) UpdateRequiredMark();
    TCustomMaskEdit::Change();
}

void TCustomDBEditEh::KeyDown(Word& Key, TShiftState Shift) {
    if (FInplaceMode && FIntfInplaceEditHolder) {
        FIntfInplaceEditHolder->InplaceEditKeyDown(this, Key, Shift);
        if (Key == 0) return;
    }
    // While a drop-down is open Escape and Enter only close it (on the key press): the mask's
    // reset must not throw away what was typed.
    if ((FDroppedDown || FMRUListVisible) && (Key == VK_ESCAPE || Key == VK_RETURN)) return;
    TCustomMaskEdit::KeyDown(Key, Shift);
    if (Key == 0) return;
    if (ShortCutKeyDown(Key, Shift)) return;
    if (Key == 'A' && Shift == TShiftState{ssCtrl}) {
        SelectAll();
        Key = 0;
        return;
    }
    bool startsEdit = Key == VK_DELETE || (Key == VK_INSERT && Shift == TShiftState{ssShift}) ||
                      (Key == VK_RETURN && FWantReturns) || (Key == VK_TAB && FWantTabs);
    if (startsEdit && !FReadOnly) FDataLink->Edit();
}

void TCustomDBEditEh::KeyUp(Word& Key, TShiftState Shift) {
    if (FInplaceMode && FIntfInplaceEditHolder) {
        FIntfInplaceEditHolder->InplaceEditKeyUp(this, Key, Shift);
        if (Key == 0) return;
    }
    TCustomMaskEdit::KeyUp(Key, Shift);
}

void TCustomDBEditEh::KeyPress(Char& Key) {
    if (FInplaceMode && FIntfInplaceEditHolder) {
        FIntfInplaceEditHolder->InplaceEditKeyPress(this, Key);
        if (Key == Char(0)) return;
    }
    // The window is writable only while the link edits: start editing before the character
    // reaches the window (a masked edit asks EditCanModify itself).
    ushort k = Key.unicode();
    if (k >= 32 && Field() && !FDataLink->DataIndepended() && !AcceptsChar(Key)) {
        MessageBeep(0);
        Key = Char(0);
        return;
    }
    if ((k == 8 || k == 22 || k == 24 || k >= 32) && !FReadOnly) FDataLink->Edit();
    if (k == 8 && IsMaskedEmpty() && FMRUList && FMRUList->Active() && Showing() && !FDroppedDown)
        MRUListDropDown(this);
    if (k == 27) {
        FDataLink->Reset();
        SelectAll();
        Key = Char(0);
        return;
    }
    TCustomMaskEdit::KeyPress(Key);
}

void TCustomDBEditEh::DoEnter() {
    ChangeFocused(true);
    TCustomMaskEdit::DoEnter();
    UpdateActiveBorder();
}

void TCustomDBEditEh::DoExit() {
    if (IsMasked() && !ComponentState().Contains(csDesigning)) ValidateEdit();
    TCustomEdit::DoExit();
    try {
        FDataLink->UpdateRecord();
    } catch (...) {
        SelectAll();
        SetFocus();
        throw;
    }
    ChangeFocused(false);
    UpdateActiveBorder();
}

void TCustomDBEditEh::ChangeFocused(bool Focused) {
    if (Focused == FFocused) return;
    FFocused = Focused;
    if (FAlignment != taLeftJustify && !IsMasked()) Invalidate();
    FDataLink->Reset();
    UpdateWindowAlignment();
}

void TCustomDBEditEh::SetFocus() {
    if (FInplaceMode) {
        if (HandleAllocated() && Widget() && Widget()->isVisible()) TWinControl::SetFocus();
        return;
    }
    TCustomMaskEdit::SetFocus();
}

void TCustomDBEditEh::Deselect() {
    int n = int(EditText().size());
    SetSelStart(n);
    SetSelLength(0);
}

// ---------------------------------------------------------------------------------------------
// In-place mode

void TCustomDBEditEh::SetInplaceEditHolder(TObject* AHolder) {
    if (AHolder == FInplaceEditHolder) return;
    if (AHolder) {
        auto* intf = dynamic_cast<IInplaceEditHolderEh*>(AHolder);
        if (!intf)
            throw Exception(
                QStringLiteral("InplaceEditHolder have to support IInplaceEditHolderEh interface"));
        FIntfInplaceEditHolder = intf;
        FInplaceEditHolder = dynamic_cast<TWinControl*>(AHolder);
    } else {
        FIntfInplaceEditHolder = nullptr;
        FInplaceEditHolder = nullptr;
    }
    FInplaceMode = AHolder != nullptr;
}

bool TCustomDBEditEh::ReadVisible() const {
    if (!FInplaceMode) return TControl::Visible();
    return HandleAllocated() && Widget() && Widget()->isVisible();
}

void TCustomDBEditEh::WriteVisible(bool Value) {
    if (FInplaceMode && !Value)
        Hide();
    else
        TControl::SetVisible(Value);
}

void TCustomDBEditEh::Hide() {
    if (!FInplaceMode) {
        TControl::SetVisible(false);
        return;
    }
    if (!HandleAllocated() || !Widget()->isVisible()) return;
    bool wasFocused = Focused();
    Invalidate();
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOZORDER | SWP_NOACTIVATE);
    if (wasFocused && FInplaceEditHolder) FInplaceEditHolder->SetFocus();
}

void TCustomDBEditEh::Move(const TRect& Loc) {
    UpdateLoc(Loc);
}

void TCustomDBEditEh::UpdateLoc(const TRect& Loc) {
    if (!FInplaceMode) {
        SetBoundsRect(Loc);
        return;
    }
    if (Loc.IsEmpty()) {
        Hide();
        return;
    }
    HandleNeeded();
    Perform(CM_CANCELMODE, 0, LPARAM(FInplaceEditHolder));
    SetBoundsRect(Loc);
    TControl::SetVisible(true);
    SetWindowPos(Handle(), nullptr, Loc.Left, Loc.Top, Loc.Width(), Loc.Height(),
                 SWP_SHOWWINDOW | SWP_NOZORDER);
    Invalidate();
    if (FInplaceEditHolder && FInplaceEditHolder->Focused()) TWinControl::SetFocus();
}

// ---------------------------------------------------------------------------------------------
// Window and messages

void TCustomDBEditEh::CreateWnd() {
    TCustomMaskEdit::CreateWnd();
    ApplyAutoSize();
    if (FEditImage->Visible() && FEditImage->Images())
        FImageWidth = (FEditImage->Width() > 0 ? FEditImage->Width() : FEditImage->Images()->Width()) + 4;
    else
        FImageWidth = 0;
    UpdateImageIndex();
    UpdateDisabledLook();
    UpdateActiveBorder();
    UpdateEditButtonControlList();
    UpdateEditButtonsState();
    UpdateFormattingRect();
    UpdateEditReadOnly();
}

void TCustomDBEditEh::InitWidget() {
    TCustomMaskEdit::InitWidget();
    UpdateDisabledLook();
    UpdateWindowAlignment();
}

void TCustomDBEditEh::ShowEmptyDataInfo(const String& Text, TFont* Font, TAlignment Alignment) {
    QLineEdit* e = LineEdit();
    if (!e) return;
    QPalette pal = e->palette();
    pal.setColor(QPalette::PlaceholderText, ColorToQColor(Font->Color()));
    e->setPalette(pal);
    // The placeholder shares the window's alignment; an edit showing it has no text to align.
    if (!Text.isEmpty() && Alignment != TCustomEdit::Alignment()) TCustomEdit::SetAlignment(Alignment);
    if (!Text.isEmpty())
        e->setFont(Font->ToQFont());
    else
        e->setFont(TControl::Font()->ToQFont());
    TCustomEdit::SetTextHint(Text);
}

bool TCustomDBEditEh::TextDoesNotFit() {
    TRect area;
    TextAreaRect(area);
    QFontMetrics fm(TControl::Font()->ToQFont());
    const String text = ReadText();
    if (!FWordWrap) return fm.horizontalAdvance(text) > area.Width() - 2 || fm.height() > area.Height();
    QRect r = fm.boundingRect(QRect(0, 0, std::max(1, area.Width()), 100000), Qt::TextWordWrap, text);
    return r.width() > area.Width() - 2 || r.height() > area.Height();
}

TAlignment TCustomDBEditEh::WindowAlignment() {
    TAlignment a = Alignment();
    if (FFocused && !FWordWrap) return taLeftJustify;
    return a;
}

void TCustomDBEditEh::UpdateWindowAlignment() {
    TAlignment a = WindowAlignment();
    if (a != TCustomEdit::Alignment()) TCustomEdit::SetAlignment(a);
    if (FEmptyDataInfo) FEmptyDataInfo->PaintEmptyDataInfo();
}

// A disabled edit shows its text in the gray-text colour.
void TCustomDBEditEh::UpdateDisabledLook() {
    QLineEdit* e = LineEdit();
    if (!e) return;
    QPalette pal = e->palette();
    pal.setColor(QPalette::Disabled, QPalette::Text, ColorToQColor(clGrayText));
    pal.setColor(QPalette::Disabled, QPalette::Base, ColorToQColor(Color()));
    e->setPalette(pal);
}

void TCustomDBEditEh::WndProc(TMessage& Message) {
    if (FInplaceMode && FIntfInplaceEditHolder) {
        FIntfInplaceEditHolder->InplaceEditWndProc(this, Message);
        if (Message.Result != 0) return;
        if (Message.Msg == WM_LBUTTONDOWN) {
            TPoint pos;
            int time = 0;
            FIntfInplaceEditHolder->GetMouseDownInfo(pos, time);
            TPoint p = ClientToScreen(TPoint(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)));
            if (time != 0 && std::abs(p.X - pos.X) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                std::abs(p.Y - pos.Y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2 &&
                UINT(GetMessageTime() - time) < GetDoubleClickTime())
                Message.Msg = WM_LBUTTONDBLCLK;
        }
    }
    if (RouteKeyToMRUList(Message)) return;
    const bool input = Message.Msg == WM_CHAR || Message.Msg == WM_KEYDOWN || Message.Msg == WM_PASTE ||
                       Message.Msg == WM_CUT || Message.Msg == WM_CLEAR || Message.Msg == WM_UNDO;
    if (input) ++FUserInput;
    struct Depth {
        int& d;
        bool on;
        ~Depth() {
            if (on) --d;
        }
    } depth{FUserInput, input};
    TCustomMaskEdit::WndProc(Message);
    if (input && FUserInput == 1 && FUserTextChanged) {
        FUserTextChanged = false;
        UpdateMRUList();
    }
}

void TCustomDBEditEh::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_GETDATALINK:
        Message.Result = LRESULT(FDataLink.get());
        return;
    case CM_EDITIMAGECHANGEDEH:
        if (HandleAllocated()) RecreateWnd();
        return;
    case WM_CHAR: {
        FCompleteKeyPress = String(QChar(ushort(Message.WParam)));
        struct Clear {
            String& s;
            ~Clear() { s.clear(); }
        } clear{FCompleteKeyPress};
        TCustomMaskEdit::Dispatch(Message);
        return;
    }
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS | DLGC_HASSETSEL | DLGC_WANTCHARS;
        if (FWantTabs) Message.Result |= DLGC_WANTTAB;
        if (FWantReturns) Message.Result |= DLGC_WANTALLKEYS;
        if (FInplaceMode && FInplaceEditHolder &&
            (FInplaceEditHolder->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB))
            Message.Result |= DLGC_WANTTAB;
        return;
    case WM_UNDO:
    case WM_PASTE:
    case WM_CUT:
        if (!EditCanModify()) return;
        break;
    case CM_WANTSPECIALKEY: {
        TCustomMaskEdit::Dispatch(Message);
        Word key = Word(Message.WParam);
        if (key == VK_ESCAPE && Modified()) Message.Result = 1;
        if (key == VK_RETURN && FInplaceMode) Message.Result = 1;
        return;
    }
    case CM_FONTCHANGED:
        TCustomMaskEdit::Dispatch(Message);
        UpdateDisabledLook();
        if (FControlStyle.Contains(csFixedHeight) && !ComponentState().Contains(csDesigning))
            AdjustHeightToFont();
        if (FEmptyDataInfo) FEmptyDataInfo->RefreshDefaultFont();
        return;
    case CM_ENABLEDCHANGED:
    case CM_COLORCHANGED:
        TCustomMaskEdit::Dispatch(Message);
        UpdateDisabledLook();
        UpdateEditButtonsState();
        return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        TCustomMaskEdit::Dispatch(Message);
        FMouseAboveControl = Message.Msg == CM_MOUSEENTER;
        UpdateActiveBorder();
        return;
    case CM_SYSCOLORCHANGE:
        TCustomMaskEdit::Dispatch(Message);
        ResetButtonBitmapCache();
        return;
    case WM_USER:
        // The close marker of a drop-down form: the clicks that closed it have been handled.
        if (HWND(Message.WParam) == Handle()) {
            if (LPARAM(FClosedFormButton) == Message.LParam) FClosedFormButton = nullptr;
            return;
        }
        break;
    case CM_CANCELMODE: {
        TCustomMaskEdit::Dispatch(Message);
        // A click outside the edit and its drop-downs closes them.
        auto* sender = reinterpret_cast<TControl*>(Message.LParam);
        auto inside = [&](TWinControl* w) {
            return w && sender && (sender == w || w->ContainsControl(sender));
        };
        bool own = sender == this || (sender && ContainsControl(sender));
        if (FMRUListVisible && !own && !inside(FMRUListControl)) MRUListCloseUp(this, false);
        if (FDroppedDown && !inside(OpenDropDownControl()) && (!own || sender == nullptr || sender == this))
            CloseUp(false);
        return;
    }
    case WM_KILLFOCUS: {
        HWND to = HWND(Message.WParam);
        if (FMRUListVisible && !(FMRUListControl->HandleAllocated() && to == FMRUListControl->Handle()))
            MRUListCloseUp(this, false);
        TWinControl* dd = OpenDropDownControl();
        if (FDroppedDown && dd && !(dd->HandleAllocated() && to == dd->Handle())) CloseUp(false);
        TCustomMaskEdit::Dispatch(Message);
        return;
    }
    case CM_SHOWINGCHANGED:
        if (FInplaceMode) return;
        break;
    case CM_HINTSHOW: {
        auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
        if (FTooltips && info && TextDoesNotFit()) {
            // The whole text as the hint, under the edit, in the edit's font.
            info->HintStr = ReadText();
            info->HintPos = ClientToScreen(TPoint(0, Height()));
            info->HintWindowClass = &TToolTipsWindow::StaticClassInfo();
            info->HintData = Font();
            Message.Result = 0;
            return;
        }
        if (!FShowHint) {
            Message.Result = 1;
            return;
        }
        break;
    }
    }
    TCustomMaskEdit::Dispatch(Message);
}

void TCustomDBEditEh::DefaultHandler(TMessage& Message) {
    // Line breaks and tabs never reach the window unless the edit keeps them for itself.
    if (Message.Msg == WM_CHAR) {
        ushort c = ushort(Message.WParam);
        if ((c == 13 && !FWantReturns) || (c == 9 && !FWantTabs) || c == 10) return;
    }
    TCustomMaskEdit::DefaultHandler(Message);
}
