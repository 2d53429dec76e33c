// Editing in the axis grid: whether the in-place editor may show and take a key, preparing the
// record for an edit, writing the editor's text or key value back into the record, focus, the
// selected column's input-method settings, the window timer and the grid's own messages.

#include "lib/grids/DBAxisGridsEh.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WinApi.h"

namespace {

bool IsMemoType(TFieldType t) {
    return t == ftMemo || t == ftOraClob || t == ftWideMemo;
}

String NormaliseLineBreaks(const String& s) {
    String r = s;
    r.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    r.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    r.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return r;
}

bool LookupKeysModifiable(TField* f) {
    if (f->KeyFields().isEmpty() || !f->DataSet()) return false;
    std::vector<TField*> keys;
    f->DataSet()->GetFieldList(keys, f->KeyFields());
    if (keys.empty()) return false;
    for (TField* k : keys)
        if (!k->CanModify()) return false;
    return true;
}

constexpr UINT WM_DEFERRED_LAYOUT = WM_USER + 100;

} // namespace

// ---------------------------------------------------------------------------------------------
// Editing checks

bool TCustomDBAxisGridEh::CanEditAcceptKey(Char Key) {
    TAxisBarEh* column = SelectedAxisBar();
    TField* f = column ? column->Field() : nullptr;
    // A read-only state the cell hooks gave the editor refuses typing.
    if (auto* ed = dynamic_cast<TDBAxisGridInplaceEdit*>(InplaceEditor());
        ed && ed->ReadOnlyStored() && ed->ReadOnly())
        return false;
    if (!FDataLink->Active() || !f) return false;
    if (column->HasKeyList()) return true;
    return f->IsValidChar(Key);
}

bool TCustomDBAxisGridEh::CanEditShow() {
    if (FLayoutLock > 0 || !TCustomGridEh::CanEditShow()) return false;
    TAxisBarEh* column = SelectedAxisBar();
    return column && column->IsCellTextEditing();
}

int TCustomDBAxisGridEh::GetEditLimit() {
    if (TAxisBarEh* column = SelectedAxisBar(); column && column->HasKeyList()) return 0;
    TField* f = SelectedField();
    if (!f || (f->DataType() != ftString && f->DataType() != ftWideString)) return 0;
    return f->Size();
}

bool TCustomDBAxisGridEh::IsDataEditAllowed() {
    if (!FDataLink->Active()) return false;
    TDataSet* ds = FDataLink->DataSet();
    const bool update = FAllowedOperations.Contains(alopUpdateEh) || ds->State() == dsInsert;
    const bool rows = !ds->IsEmpty() || FAllowedOperations.Contains(alopInsertEh) ||
                      FAllowedOperations.Contains(alopAppendEh);
    return update && rows;
}

bool TCustomDBAxisGridEh::PrepareCellEdit() {
    bool result = false;
    if (FReadOnly || !FDataLink->Active() || FDataLink->ReadOnly()) return result;
    if (auto* ed = dynamic_cast<TDBAxisGridInplaceEdit*>(InplaceEditor());
        ed && ed->ReadOnlyStored() && ed->ReadOnly())
        return false;
    TAxisBarEh* column = SelectedAxisBar();
    if (!column) return false;
    if (column->ReadOnly()) return false;
    TField* f = column->Field();
    if (!f) return false;
    if (f->FieldKind() == fkLookup) {
        if (!LookupKeysModifiable(f)) return false;
    } else if (!f->CanModify()) {
        return false;
    }
    if (f->IsBlob() && !f->OnSetText.Assigned() && !(FDrawMemoText && IsMemoType(f->DataType())))
        return false;
    if (!column->CanModify(false)) return false;
    FDataLink->Edit();
    result = FDataLink->Editing();
    if (result) FDataLink->Modified();
    return result;
}

void TCustomDBAxisGridEh::InvalidateEditor() {
    // An open list stays open while the editor is reloaded under it.
    auto* ed = dynamic_cast<TDBAxisGridInplaceEdit*>(InplaceEditor());
    if (!ed || !ed->ListVisible()) {
        TCustomGridEh::InvalidateEditor();
        return;
    }
    ed->SetLockCloseList(true);
    struct Unlock {
        TDBAxisGridInplaceEdit* e;
        ~Unlock() { e->SetLockCloseList(false); }
    } unlock{ed};
    TCustomGridEh::InvalidateEditor();
}

void TCustomDBAxisGridEh::LinkRecordChanged(TField* Field) {
    if (!HandleAllocated()) return;
    if (Field) {
        for (int i = 0; i < FAxisBars->Count(); ++i)
            if (FAxisBars->AxisBar(i)->FField == Field) {
                InvalidateRowCells(Row());
                break;
            }
    } else {
        Invalidate();
    }
    TField* sel = SelectedField();
    if ((!Field || Field == sel) && sel) {
        String text;
        TAxisBarEh* column = SelectedAxisBar();
        if (FDrawMemoText && IsMemoType(sel->DataType()))
            text = NormaliseLineBreaks(sel->AsString());
        else if (column && column->GetColumnType() == ctKeyPickList)
            text = column->DisplayText();
        else
            text = sel->Text();
        if (text != FEditText) {
            InvalidateEditor();
            if (InplaceEditor()) InplaceEditor()->Deselect();
        }
    }
}

bool TCustomDBAxisGridEh::InplaceEditVisible() {
    return InplaceEditor() && InplaceEditor()->Visible();
}

// ---------------------------------------------------------------------------------------------
// Writing the editor's result

void TCustomDBAxisGridEh::UpdateData() {
    TAxisBarEh* column = SelectedAxisBar();
    if (!column) return;
    TField* f = SelectedField();
    if (!f) {
        column->WriteValueToField(FEditText, Variant(FEditText), true);
        return;
    }
    switch (column->GetColumnType()) {
    case ctPickList:
        if (column->OnNotInList.Assigned()) {
            bool inList = false;
            TStrings* picks = column->PickList();
            for (int k = 0; k < picks->Count() && !inList; ++k)
                inList = AnsiCompareText(picks->Strings(k), FEditText) == 0;
            if (!inList) {
                bool recheck = false;
                column->OnNotInList(column, FEditText, recheck);
            }
        }
        column->WriteValueToField(FEditText, Variant(FEditText), true);
        return;
    case ctKeyPickList: {
        TStrings* picks = column->PickList();
        TStrings* keys = column->KeyList();
        int k = picks->IndexOf(FEditText);
        if (k >= 0 && k < keys->Count()) {
            FEditKeyValue = Variant(keys->Strings(k));
        } else if (k == -1) {
            if (column->OnNotInList.Assigned() && !FEditText.isEmpty()) {
                bool recheck = false;
                column->OnNotInList(column, FEditText, recheck);
                if (recheck) {
                    k = picks->IndexOf(FEditText);
                    FEditKeyValue = k >= 0 && k < keys->Count() ? Variant(keys->Strings(k)) : Null();
                } else {
                    FEditKeyValue = Null();
                }
            } else if (!column->OnNotInList.Assigned() && FEditText.isEmpty()) {
                FEditKeyValue = Null();
            }
        }
        column->WriteValueToField(FEditText, FEditKeyValue, false);
        return;
    }
    default:
        break;
    }
    if (f->FieldKind() == fkLookup && !f->KeyFields().isEmpty()) {
        if (VarIsNull(FEditKeyValue) && !FEditText.isEmpty() && column->OnNotInList.Assigned()) {
            TDataSet* list = column->GetListDataSet();
            if (list && !list->Locate(f->LookupResultField(), Variant(FEditText), {loCaseInsensitive})) {
                bool recheck = false;
                column->OnNotInList(column, FEditText, recheck);
                if (recheck && list->Locate(f->LookupResultField(), Variant(FEditText), {loCaseInsensitive}))
                    FEditKeyValue = list->FieldValues(f->LookupKeyFields());
            }
        }
        if (LookupKeysModifiable(f)) {
            f->DataSet()->Edit();
            column->WriteValueToField(FEditText, FEditKeyValue, false);
        }
        if (FDrawMemoText && IsMemoType(f->DataType()))
            f->SetAsString(FEditText);
        else
            f->SetText(FEditText);
        return;
    }
    column->WriteValueToField(FEditText, Variant(FEditText), true);
}

// ---------------------------------------------------------------------------------------------
// Focus, IME and the timer

void TCustomDBAxisGridEh::GetDownMouseScreenInfo(TPoint& Pos, int& Time) {
    Pos = ClientToScreen(FDownMousePos);
    Time = FDownMouseMessageTime;
    FDownMouseMessageTime = 0;
}

bool TCustomDBAxisGridEh::IsFocusInside() {
    if (!HandleAllocated()) return false;
    HWND focus = GetFocus();
    return focus && (focus == Handle() || IsChild(Handle(), focus));
}

bool TCustomDBAxisGridEh::TryAcquireFocus() {
    if (!FAcquireFocus || IsFocusInside()) return true;
    if (!CanFocus() || ComponentState().Contains(csDesigning)) return true;
    SetFocus();
    if (IsFocusInside()) return true;
    TForm* active = Screen ? Screen->ActiveForm() : nullptr;
    if (active && active->FormStyle() == fsMDIForm) {
        ::SetFocus(Handle());
        return IsFocusInside();
    }
    return false;
}

void TCustomDBAxisGridEh::SetFocus() {
    TCustomGridEh::SetFocus();
}

void TCustomDBAxisGridEh::SelectColumnImeSettings() {
    // No input-method editors on this platform: the settings are kept but never applied.
}

void TCustomDBAxisGridEh::ApplyImeSettings() {
    SelectColumnImeSettings();
}

void TCustomDBAxisGridEh::StartTimer(int Interval) {
    if (!HandleAllocated()) return;
    if (!FTimerActive) {
        SetTimer(Handle(), 1, UINT(Interval));
        FTimerInterval = Interval;
    } else if (FTimerInterval != Interval) {
        StopTimer();
        SetTimer(Handle(), 1, UINT(Interval));
        FTimerInterval = Interval;
    }
    FTimerActive = true;
}

void TCustomDBAxisGridEh::StopTimer() {
    if (!FTimerActive) return;
    if (HandleAllocated()) KillTimer(Handle(), 1);
    FTimerActive = false;
    FTimerInterval = -1;
}

// ---------------------------------------------------------------------------------------------
// Messages

void TCustomDBAxisGridEh::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_DEFERRED_LAYOUT:
        HandleDeferredLayout();
        return;
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case WM_COMMAND: {
        auto* ed = dynamic_cast<TDBAxisGridInplaceEdit*>(InplaceEditor());
        const bool fromEditor = ed && ed->HandleAllocated() && HWND(Message.LParam) == ed->Handle() &&
                                HiWord(Message.WParam) == EN_CHANGE;
        // Text the editor sets itself (a list it follows) is not yet the cell's edit text: a
        // cancelled list goes back to it.
        const String kept = FEditText;
        TCustomGridEh::WndProc(Message);
        if (fromEditor && ed->SettingTextQuietly()) FEditText = kept;
        if (fromEditor) ed->UserTextChanged();
        return;
    }
    case WM_SETFOCUS: {
        const HWND from = HWND(Message.WParam);
        if (!InplaceEditor() || !InplaceEditor()->HandleAllocated() || from != InplaceEditor()->Handle())
            SelectColumnImeSettings();
        TCustomGridEh::WndProc(Message);
        return;
    }
    case CM_WANTSPECIALKEY:
        TCustomGridEh::WndProc(Message);
        if (TDataSet* ds = FDataLink->DataSet())
            if (ds->Modified() && LoWord(Message.WParam) == VK_ESCAPE) Message.Result = 1;
        return;
    case WM_IME_STARTCOMPOSITION:
        TCustomGridEh::WndProc(Message);
        ShowEditor();
        return;
    case CM_SYSCOLORCHANGE:
        TCustomGridEh::WndProc(Message);
        ResetButtonBitmapCache();
        return;
    case CM_FONTCHANGED:
        TCustomGridEh::WndProc(Message);
        BeginLayout();
        try {
            for (int i = 0; i < FAxisBars->Count(); ++i) {
                FAxisBars->AxisBar(i)->RefreshDefaultFont();
                FAxisBars->AxisBar(i)->Title()->RefreshDefaultFont();
            }
        } catch (...) {
            EndLayout();
            throw;
        }
        EndLayout();
        return;
    default:
        TCustomGridEh::WndProc(Message);
        return;
    }
}
