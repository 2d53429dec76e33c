// The axis grid's in-place editor at the keyboard and clipboard: which keys open, steer and close
// its lists, Delete and Backspace on list values, completion of typed text from the pick list,
// paste matching, and the column's recently-used list offered under the text.
//
// Everything here ends in the editor text and the grid's edit text and key value; the grid writes
// them into the field later.

#include "lib/grids/DBAxisGridsEh.h"

#include "lib/tools/CalculatorEh.h"
#include "lib/tools/DBCtrlsEh.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/WinApi.h"

#include <QWidget>

#include <algorithm>

namespace {

bool IsListStyle(TEditStyle st, bool numeric) {
    return st == esPickList || st == esDataList || st == esDateCalendar || st == esAltCalendar ||
           ((st == esDropDown || st == esAltDropDown) && numeric);
}

TShiftState KeyDataShift(LPARAM KeyData) {
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0) s += ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s += ssCtrl;
    if (KeyData & 0x20000000) s += ssAlt;
    return s;
}

// Finds S in the list data set's result field (whole value or as a prefix, any case) and answers
// that record's text and key. The list data set's cursor moves to it.
bool LocateListValue(TAxisBarEh* c, const String& S, bool Partial, String& Text, Variant& Key) {
    TField* f = c->Field();
    TDataSet* ds = c->GetListDataSet();
    if (!f || !ds || !ds->Active() || f->LookupResultField().isEmpty()) return false;
    TLocateOptions o{loCaseInsensitive};
    if (Partial) o += loPartialKey;
    if (!ds->Locate(f->LookupResultField(), Variant(S), o)) return false;
    Text = ds->FieldByName(f->LookupResultField())->Text();
    Key = ds->FieldValues(f->LookupKeyFields());
    return true;
}

bool LookupKeysModifiable(TField* f) {
    if (!f || f->KeyFields().isEmpty() || !f->DataSet()) return false;
    std::vector<TField*> keys;
    f->DataSet()->GetFieldList(keys, f->KeyFields());
    return !keys.empty() && CanModifyAllFields(keys);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Routing

void TDBAxisGridInplaceEdit::WndProc(TMessage& Message) {
    const UINT msg = Message.Msg;
    if (msg == WM_KEYDOWN || msg == WM_CHAR || msg == WM_SYSKEYDOWN) {
        Word key = Word(Message.WParam);
        const TShiftState shift = KeyDataShift(Message.LParam);
        TAxisBarEh* c = GetAxisBar();
        if (IsListStyle(FEditStyle, IsNumericColumn())) {
            ListKeyDown(key, shift);
            Message.WParam = key;
            if (key != 0 && msg == WM_CHAR && key >= 32 && !FListVisible && c && c->AutoDropDown())
                ShowDropDownList();
            if (key != 0 && FListVisible && FActiveList) {
                if (FActiveList == FPopupCalculator) {
                    if (key == 8 || key == 13 || key == 27 || (key >= 32 && key <= 126)) {
                        FActiveList->Perform(msg, Message.WParam, Message.LParam);
                        return;
                    }
                } else if (msg != WM_CHAR) {
                    const bool ctrl = shift.Contains(ssCtrl);
                    const bool nav = ((key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN) &&
                                      !shift.Contains(ssShift)) ||
                                     ((key == VK_END || key == VK_HOME) && ctrl) ||
                                     ((key == VK_LEFT || key == VK_RIGHT) &&
                                      (FEditStyle == esDateCalendar || FEditStyle == esAltCalendar));
                    if (nav) {
                        if (FActiveList == FPickList)
                            MoveListSelection(FPickList, key); // the list never has the focus
                        else
                            FActiveList->Perform(msg, Message.WParam, Message.LParam);
                        // The text follows the list.
                        if (FEditStyle == esDataList && FDataList) {
                            SetTextQuiet(FDataList->SelectedItem());
                        } else if (FActiveList == FPickList && FPickList->ItemIndex() >= 0) {
                            const String item = FPickList->Items()->Strings(FPickList->ItemIndex());
                            if (item != Text()) SetTextQuiet(item);
                        }
                        return;
                    }
                }
            }
            if (key == 0) return;
        }
        if (FMRUList && FMRUList->DroppedDown() && FMRUListControl) {
            const bool ctrl = shift.Contains(ssCtrl);
            if ((msg == WM_KEYDOWN && !shift.Contains(ssAlt) &&
                 (key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN)) ||
                ((key == VK_END || key == VK_HOME) && ctrl)) {
                MoveListSelection(FMRUListControl, key);
                return;
            }
            if (msg == WM_CHAR && (key == 13 || key == 27)) {
                CloseMRUList(FMRUList, key == 13);
                return;
            }
        }
    } else if (msg == WM_SETCURSOR && HandleAllocated()) {
        // Beside the text (image, margins) the cursor is the arrow, not the text beam.
        TPoint p;
        GetCursorPos(&p);
        p = ScreenToClient(p);
        TRect r;
        GetEditingRect(r);
        if (p.X < r.Left || p.X >= r.Right) {
            SetCursor(LoadCursor(nullptr, IDC_ARROW));
            Message.Result = 1;
            return;
        }
    } else if (msg == WM_PASTE) {
        HandleWMPaste();
        return;
    } else if (msg == WM_KILLFOCUS) {
        TInplaceEdit::WndProc(Message);
        const HWND to = HWND(Message.WParam);
        if (FListVisible) {
            if (!(FActiveList && FActiveList->HandleAllocated() &&
                  (to == FActiveList->Handle() || IsChild(FActiveList->Handle(), to))))
                CloseUp(false);
        } else if (FMRUList && FMRUList->DroppedDown()) {
            if (!(FMRUListControl && FMRUListControl->HandleAllocated() && to == FMRUListControl->Handle()))
                CloseMRUList(FMRUList, false);
        }
        if (TCustomDBAxisGridEh* g = GetGrid())
            if (!g->DataLink()->InUpdateData()) g->DataLink()->UpdateData();
        return;
    } else if (msg == CM_CANCELMODE) {
        TInplaceEdit::WndProc(Message);
        auto* sender = reinterpret_cast<TControl*>(Message.LParam);
        if (sender == this || (sender && sender->Parent() == FButtonsPanel)) return;
        if (FListVisible &&
            !(sender && FActiveList && (sender == FActiveList || sender->Parent() == FActiveList)))
            CloseUp(false);
        if (FMRUList && FMRUList->DroppedDown() &&
            !(sender && FMRUListControl &&
              (sender == FMRUListControl || sender->Parent() == FMRUListControl)))
            CloseMRUList(FMRUList, false);
        return;
    }
    TInplaceEdit::WndProc(Message);
}

void TDBAxisGridInplaceEdit::DefaultHandler(TMessage& Message) {
    // Clicks beside the text (over the image or the buttons' margin) do not move the caret.
    if (Message.Msg >= WM_LBUTTONDOWN && Message.Msg <= WM_MBUTTONDBLCLK && HandleAllocated() &&
        GetCapture() != Handle()) {
        TRect r;
        GetEditingRect(r);
        const int x = short(LoWord(Message.LParam));
        if (x < r.Left || x >= r.Right) return;
    }
    TInplaceEdit::DefaultHandler(Message);
    if (!FUserTextChanged) return;
    FUserTextChanged = false;
    const String empty = IsMasked() ? FormatMaskText(EditMask(), String()) : String();
    if (FMRUList && FMRUList->DroppedDown() && Text() == empty) {
        CloseMRUList(FMRUList, false);
    } else if (FMRUList && FMRUList->Active() && Visible() && !FDroppedDown && Text() != empty) {
        ShowMRUList();
    }
}

void TDBAxisGridInplaceEdit::ListKeyDown(Word& Key, TShiftState Shift) {
    if (Key == VK_RETURN || Key == VK_ESCAPE) {
        if (FListVisible && !Shift.Contains(ssAlt) && FActiveList != FPopupCalculator) {
            bool accept = Key == VK_RETURN;
            // Free text in a lookup cell is the column's OnNotInList's to judge, not a list row's.
            TAxisBarEh* c = GetAxisBar();
            if (accept && FDataList && FActiveList == FDataList->ListControl() && c && c->OnNotInList) {
                String t;
                Variant k;
                if (!LocateListValue(c, Text(), false, t, k)) accept = false;
            }
            CloseUp(accept);
            Key = 0;
        } else if (!FListVisible && Key == VK_RETURN && Shift == TShiftState{ssCtrl}) {
            ShowDropDownList();
            Key = 0;
        }
    } else if ((Key == VK_UP || Key == VK_DOWN) && Shift.Contains(ssAlt)) {
        if (FListVisible)
            CloseUp(true);
        else
            ShowDropDownList();
        Key = 0;
    }
}

// ---------------------------------------------------------------------------------------------
// Keys and typed text

String TDBAxisGridInplaceEdit::TextWithoutSelection() {
    String s = Text();
    int start = SelStart(), len = SelLength();
    if (len < 0) {
        start += len;
        len = -len;
    }
    start = std::clamp(start, 0, int(s.size()));
    s.remove(start, std::min(len, int(s.size()) - start));
    return s;
}

void TDBAxisGridInplaceEdit::SyncEditValueFromText() {
    TAxisBarEh* c = GetAxisBar();
    TCustomDBAxisGridEh* g = GetGrid();
    if (!c || !g || !c->CanModify(true)) return;
    g->SetEditTextValue(Text());
    if (FEditStyle == esDataList) {
        String t;
        Variant k;
        g->SetEditKeyValue(LocateListValue(c, Text(), false, t, k) ? k : Null());
    }
}

bool TDBAxisGridInplaceEdit::EditDataSet() {
    TCustomDBAxisGridEh* g = GetGrid();
    if (!g) return false;
    g->DataLink()->Edit();
    if (!g->DataLink()->Editing()) return false;
    g->DataLink()->Modified();
    return true;
}

void TDBAxisGridInplaceEdit::KeyDown(Word& Key, TShiftState Shift) {
    TAxisBarEh* c = GetAxisBar();
    TCustomDBAxisGridEh* g = GetGrid();
    if (!c || !g) {
        TInplaceEdit::KeyDown(Key, Shift);
        return;
    }
    const TAxisBarEhType ct = c->GetColumnType();
    const bool listValue = ct == ctLookupField || ct == ctKeyPickList;
    if (Key == VK_RETURN && Shift == TShiftState{ssCtrl} &&
        (FEditStyle == esEllipsis || FEditStyle == esDropDown)) {
        RemoveQueuedMessage(Handle(), WM_CHAR);
        g->DoEditButtonClick();
        Key = 0;
        return;
    }
    if (Key == VK_DELETE && Shift.Empty() && listValue && c->CanModify(false)) {
        const int len = int(Text().size());
        if (SelStart() == 0 && SelLength() == len && c->CanModify(true)) {
            if (FEditStyle == esDataList && LookupKeysModifiable(c->Field())) {
                if (EditDataSet()) {
                    g->SetEditKeyValue(Null());
                    g->SetEditTextValue(String());
                    SetTextQuiet(String());
                    SetListKeyValue(Null());
                    if (ListAutoFilterShown()) ApplyListFilter(String());
                }
            } else if (FEditStyle == esPickList && ct == ctKeyPickList) {
                SetTextQuiet(String());
                g->SetEditTextValue(String());
            }
        } else if (c->OnNotInList) {
            const String s = TextWithoutSelection();
            const int start = SelStart();
            if (c->CanModify(true)) {
                SetTextQuiet(s);
                SetSelStart(start);
                SyncEditValueFromText();
                if (FDataList)
                    SetListKeyValue(g->EditKeyValue());
                else if (FPickList)
                    FPickList->SetItemIndex(FindStringIndex(FPickList->Items(), g->EditTextValue(), 0));
            }
        }
        Key = 0;
        return;
    }
    if (Key == VK_BACK && listValue) {
        if (c->OnNotInList) {
            String s = TextWithoutSelection();
            int i = SelLength() != 0 ? std::min(SelStart(), SelStart() + SelLength()) : SelStart();
            if (c->CanModify(true)) {
                EditDataSet();
                // Only a selection is deleted at the very start: there is no character before it.
                if (SelLength() == 0 && i > 0) {
                    s.remove(i - 1, 1);
                    --i;
                }
                SetTextQuiet(s);
                SetSelStart(i);
                SyncEditValueFromText();
                if (FDataList)
                    SetListKeyValue(g->EditKeyValue());
                else if (FPickList)
                    FPickList->SetItemIndex(FindStringIndex(FPickList->Items(), g->EditTextValue(), 0));
            }
            Key = 0;
            return;
        }
        Key = VK_LEFT;
    }
    if ((Key == VK_UP || Key == VK_DOWN) && FWordWrap) {
        if (!g->Options().Contains(goAlwaysShowEditor)) return;
        const int line = int(Perform(EM_LINEFROMCHAR, WPARAM(SelStart()), 0));
        const int lines = int(Perform(EM_GETLINECOUNT, 0, 0));
        const bool all = SelStart() == 0 && SelLength() == int(Text().size());
        if (!(all || (Key == VK_UP && line == 0) || (Key == VK_DOWN && line + 1 == lines))) return;
    }
    const TShortCut sc = ShortCut(Key, Shift);
    if (FEditStyle == esDataList && c->DropDownSpecRow()->Visible() && sc != 0 &&
        sc == c->DropDownSpecRow()->ShortCut() && c->CanModify(false)) {
        if (c->CanModify(true)) {
            SetTextQuiet(c->DropDownSpecRow()->GetCellText(0));
            g->SetEditTextValue(Text());
            g->SetEditKeyValue(c->DropDownSpecRow()->Value());
            SetListKeyValue(g->EditKeyValue());
            SelectAll();
        }
        Key = 0;
        return;
    }
    if (sc != 0)
        for (int i = 0; i < c->EditButtons()->Count(); ++i)
            if (c->EditButtons()->Items(i)->ShortCut() == sc &&
                size_t(i + 1) < FEditButtonControlList.size()) {
                TEditButtonControlEh* b = FEditButtonControlList[size_t(i) + 1].EditButtonControl;
                bool autoRepeat = false;
                b->EditButtonDown(false, autoRepeat);
                b->Click();
                Key = 0;
                return;
            }
    TInplaceEdit::KeyDown(Key, Shift);
}

void TDBAxisGridInplaceEdit::KeyUp(Word& Key, TShiftState Shift) {
    TInplaceEdit::KeyUp(Key, Shift);
    if (Key == VK_CONTROL && FEditStyle == esDataList && FListVisible && FDataList)
        FDataList->ListKeyUp(Key, Shift);
}

void TDBAxisGridInplaceEdit::KeyPress(Char& Key) {
    TAxisBarEh* c = GetAxisBar();
    if (c && IsNumericColumn() && (Key == QLatin1Char(',') || Key == QLatin1Char('.')))
        Key = FormatSettings().DecimalSeparator;
    // Each typed text unit is one completion step (no double-byte pairing on this platform).
    FCharKeyStr = String(Key);
    if (Key.unicode() != 0) {
        ProcessTypedText(FCharKeyStr);
        if (FCharKeyStr.isEmpty()) Key = Char(0);
    }
    if (Key.unicode() == 10 && !FWordWrap && GetKeyState(VK_CONTROL) < 0) Key = Char(0);
    // Backspace in an empty text offers the whole list. The text is looked at before the edit
    // applies the key, as the native control does; deleting the last character closes it instead.
    const bool offerAll = Key.unicode() == 8 && Text().isEmpty();
    TInplaceEdit::KeyPress(Key);
    if (offerAll && FMRUList && FMRUList->Active() && Visible() && !FDroppedDown) ShowMRUList();
}

void TDBAxisGridInplaceEdit::ProcessTypedText(String& T) {
    if (T.size() == 1 && T[0].unicode() < 32 && T[0].unicode() != 8) return;
    TAxisBarEh* c = GetAxisBar();
    TCustomDBAxisGridEh* g = GetGrid();
    if (!c || !g) return;
    const TAxisBarEhType ct = c->GetColumnType();
    const bool back = T.size() == 1 && T[0].unicode() == 8;
    if (FEditStyle == esDataList) {
        if (!g->PrepareCellEditPublic() || !g->IsDataEditAllowed() || !c->GetListDataSet()) return;
        if (!back) {
            const String s = Text().left(std::max(0, SelStart())) + T;
            String found;
            Variant key;
            // The auto filter is lifted while the value is looked up, then narrowed to what was typed.
            const bool filter = ListAutoFilterShown();
            if (filter) {
                DisableListControls();
                ApplyListFilter(String());
            }
            struct Refilter {
                TDBAxisGridInplaceEdit* e;
                bool on;
                const String& prefix;
                ~Refilter() {
                    if (!on) return;
                    try {
                        e->ApplyListFilter(prefix);
                    } catch (...) {
                    }
                    e->EnableListControls();
                }
            } refilter{this, filter, s};
            if (LocateListValue(c, s, true, found, key)) {
                if (EditDataSet()) {
                    SetTextQuiet(found);
                    // The completed tail is selected from the end back to what was typed.
                    SetSelStart(int(found.size()));
                    SetSelLength(int(s.size()) - int(found.size()));
                    g->SetEditKeyValue(key);
                    g->SetEditTextValue(Text());
                    SetListKeyValue(key);
                }
            } else if (c->OnNotInList && EditDataSet()) {
                SetTextQuiet(s);
                SetSelStart(int(s.size()));
                g->SetEditKeyValue(Null());
                g->SetEditTextValue(Text());
                SetListKeyValue(Null());
            }
        } else if (ListAutoFilterShown()) {
            ApplyListFilter(Text().left(std::max(0, SelStart())));
        }
        T.clear();
        return;
    }
    if (ct != ctKeyPickList && FEditStyle != esPickList) return;
    if (!g->PrepareCellEditPublic()) return;
    if (back) {
        if (ct == ctKeyPickList) T.clear();
        return;
    }
    const String s = Text().left(std::max(0, SelStart())) + T;
    const int i = FindStringIndex(c->PickList(), s, 2);
    if (i >= 0) {
        T.clear();
        EditDataSet();
        const String item = c->PickList()->Strings(i);
        SetTextQuiet(item);
        SetSelStart(int(s.size()));
        SetSelLength(int(item.size()) - int(s.size()));
        g->SetEditTextValue(Text());
        if (FPickList) FPickList->SetItemIndex(i);
        return;
    }
    if (ct == ctPickList || ct != ctKeyPickList) {
        if (FPickList) FPickList->SetItemIndex(-1);
        return;
    }
    T.clear();
    if (c->OnNotInList && EditDataSet()) {
        SetTextQuiet(s);
        SetSelStart(int(s.size()));
        g->SetEditKeyValue(Null());
        g->SetEditTextValue(Text());
        if (FPickList) FPickList->SetItemIndex(-1);
    }
}

// ---------------------------------------------------------------------------------------------
// Paste

void TDBAxisGridInplaceEdit::HandleWMPaste() {
    TAxisBarEh* c = GetAxisBar();
    TCustomDBAxisGridEh* g = GetGrid();
    if (!c || !g || !g->IsDataEditAllowed() || !c->CanModify(false)) return;
    TClipboard* cb = Clipboard();
    const bool hasText = cb->HasFormat(CF_TEXT) || cb->HasFormat(CF_UNICODETEXT) || cb->HasFormat(CF_OEMTEXT);
    int start = SelStart(), len = SelLength();
    if (len < 0) {
        start += len;
        len = -len;
    }
    const String text = Text();
    const String prefix = text.left(start);
    const String tail = text.mid(start + len);
    if (FEditStyle != esDataList && c->GetColumnType() != ctKeyPickList) {
        if (!EditCanModify() || !hasText) {
            TMessage m{WM_PASTE, 0, 0, 0};
            TInplaceEdit::WndProc(m);
            return;
        }
        String p = c->GetAcceptableEditText(cb->AsText());
        // Text already past the limit (the field was narrowed) takes nothing more.
        if (MaxLength() > 0 && int(text.size() + p.size()) - len > MaxLength())
            p = p.left(std::max(0, MaxLength() - int(text.size()) + len));
        g->DataLink()->Edit();
        if (!g->DataLink()->Editing()) return;
        g->DataLink()->Modified();
        SetTextQuiet(prefix + p + tail);
        SetSelStart(int(prefix.size() + p.size()));
        g->SetEditTextValue(Text());
        Perform(EM_SCROLLCARET, 0, 0);
        return;
    }
    if (!hasText) return;
    const String s = prefix + cb->AsText() + tail;
    if (FEditStyle == esDataList && c->GetListDataSet()) {
        String result;
        Variant key = Null();
        const bool found = LocateListValue(c, s, true, result, key);
        if (!found) {
            if (!c->OnNotInList) return;
            result = s;
        }
        if (!EditDataSet()) return;
        SetTextQuiet(result);
        SetSelStart(int(result.size()));
        if (found) SetSelLength(int(s.size()) - int(result.size()));
        g->SetEditKeyValue(key);
        g->SetEditTextValue(Text());
        SetListKeyValue(key);
        return;
    }
    const int i = FindStringIndex(c->PickList(), s, 2);
    String result;
    bool found = false;
    if (i >= 0 && g->PrepareCellEditPublic()) {
        result = c->PickList()->Strings(i);
        found = true;
    } else if (c->OnNotInList) {
        result = s;
    } else {
        return;
    }
    EditDataSet();
    SetTextQuiet(result);
    SetSelStart(int(result.size()));
    if (found) {
        SetSelStart(int(s.size()));
        SetSelLength(int(result.size()) - int(s.size()));
    }
    g->SetEditTextValue(Text());
    if (!found) g->SetEditKeyValue(Null());
    if (FPickList) FPickList->SetItemIndex(found ? i : -1);
}

// ---------------------------------------------------------------------------------------------
// Recently-used list

TMRUListboxEh* TDBAxisGridInplaceEdit::GetMRUListControl() {
    if (!FMRUListControl) {
        FMRUListControl = CreateMRUListControl();
        FMRUListControl->SetParent(this);
        FMRUListControl->SetVisible(false);
        FMRUListControl->SetCtl3D(false);
        FMRUListControl->SetSorted(true);
        FMRUListControl->OnMouseUp = TMouseEvent(this, &TDBAxisGridInplaceEdit::MRUListMouseUp);
    }
    return FMRUListControl;
}

TMRUListboxEh* TDBAxisGridInplaceEdit::CreateMRUListControl() {
    return new TMRUListboxEh(this);
}

void TDBAxisGridInplaceEdit::FilterMRUItem(const String& Item, bool& Accept) {
    const String t = Text();
    const String head = Item.left(t.size());
    Accept = FMRUList && FMRUList->CaseSensitive() ? head == t : head.compare(t, Qt::CaseInsensitive) == 0;
    if (FMRUList && FMRUList->OnFilterItem) FMRUList->OnFilterItem(GetAxisBar(), Accept);
}

void TDBAxisGridInplaceEdit::ShowMRUList() {
    if (!FMRUList) return;
    TMRUListboxEh* list = GetMRUListControl();
    TStrings* items = list->Items();
    items->Clear();
    for (int i = 0; i < FMRUList->Items()->Count(); ++i) {
        const String item = FMRUList->Items()->Strings(i);
        bool accept = false;
        FilterMRUItem(item, accept);
        if (accept) items->Add(item);
    }
    const int n = items->Count();
    TRect r;
    GetEditingRect(r);
    TPoint tl = ClientToScreen(TPoint(r.Left, 0));
    TRect screenRect(tl.X, tl.Y, tl.X + r.Width(), tl.Y + Height());
    if (FMRUList->DroppedDown()) {
        if (n == 0) {
            CloseMRUList(FMRUList, false);
            return;
        }
        list->SetRowCount(std::min(n, FMRUList->Rows()));
        TPoint pos;
        PlaceDropDownNearRect(screenRect, list, daLeft, pos);
        list->SetBounds(pos.X, pos.Y, list->Width(), list->Height());
        return;
    }
    if (n == 0) {
        FMRUList->CloseUp(false);
        return;
    }
    list->SetColor(Color());
    list->TControl::SetFont(Font());
    list->SetItemHeight(list->GetTextHeight());
    list->SetItemIndex(-1);
    list->SetRowCount(std::min(n, FMRUList->Rows()));
    list->SetWidth(FMRUList->Width() > 0 && FMRUList->Width() > r.Width() ? FMRUList->Width() : r.Width());
    list->HandleNeeded();
    if (QWidget* w = list->Widget(); w && !w->isWindow()) {
        w->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                          Qt::WindowStaysOnTopHint);
        w->setAttribute(Qt::WA_ShowWithoutActivating, true);
        w->setFocusPolicy(Qt::NoFocus);
    }
    TPoint pos;
    PlaceDropDownNearRect(screenRect, list, daLeft, pos);
    list->SetBounds(pos.X, pos.Y, list->Width(), list->Height());
    SetWindowPos(list->Handle(), HWND_TOP, pos.X, pos.Y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    list->SizeGrip()->SetVisible(true);
    list->SetVisible(true);
    FMRUList->SetDroppedDown(true);
    list->FSizeGripResized = false;
}

void TDBAxisGridInplaceEdit::CloseMRUList(TMRUListEh* MRUList, bool Accept) {
    if (!MRUList || !MRUList->DroppedDown()) return;
    TMRUListboxEh* list = GetMRUListControl();
    if (HWND cap = GetCapture(); cap && list->HandleAllocated() && cap == list->Handle())
        SendMessage(cap, WM_CANCELMODE, 0, 0);
    if (list->FSizeGripResized) StoreMRUListSize(MRUList);
    const bool hadFocus = list->Focused();
    list->SetVisible(false);
    if (hadFocus && CanFocus()) SetFocus();
    MRUList->SetDroppedDown(false);
    TCustomDBAxisGridEh* g = GetGrid();
    if (Accept && !ReadOnly() && g && list->ItemIndex() >= 0) {
        g->DataLink()->Edit();
        if (g->DataLink()->Editing()) {
            g->DataLink()->Modified();
            SetTextQuiet(list->Items()->Strings(list->ItemIndex()));
            g->SetEditTextValue(Text());
            if (Focused()) SelectAll();
        }
    }
}

void TDBAxisGridInplaceEdit::MRUListMouseUp(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
    if (Button == mbLeft && FMRUListControl)
        CloseMRUList(FMRUList, FMRUListControl->ClientRect().Contains(TPoint(X, Y)));
}

void TDBAxisGridInplaceEdit::StoreMRUListSize(TMRUListEh* MRUList) {
    if (!MRUList || !MRUList->DroppedDown() || !FMRUListControl) return;
    MRUList->SetRows(FMRUListControl->RowCount());
    MRUList->SetWidth(FMRUListControl->Width());
}
