// The axis grid's in-place editor: the edit style of a cell, the button panel, the drop-downs
// (pick list, month calendar, calculator, drop-down forms), the image left of the text, value
// stepping, focus and cancel-mode handling.
//
// Invariants: FListVisible and FDroppedDown change together; while a list is shown FActiveList is
// that list and the first visible button is held down. The lookup drop-down grid belongs to the
// data grid's column; the editor reaches it through IPopupDataListEh and, without one (the axis
// column alone has none), a lookup cell shows no list.

#include "lib/grids/DBAxisGridsEh.h"

#include "lib/tools/CalculatorEh.h"
#include "lib/tools/DropDownFormEh.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"

#include <QWidget>

#include <algorithm>
#include <cassert>
#include <climits>
#include <cmath>

namespace {

bool IsDateType(TFieldType t) {
    return t == ftDate || t == ftDateTime || t == ftTimeStamp;
}

bool LookupKeysModifiable(TField* f) {
    if (f->KeyFields().isEmpty() || !f->DataSet()) return false;
    std::vector<TField*> keys;
    f->DataSet()->GetFieldList(keys, f->KeyFields());
    return !keys.empty() && CanModifyAllFields(keys);
}

bool ColumnExplicitlyReadOnly(TAxisBarEh* c) {
    return c->AssignedValues().Contains(cvReadOnly) && c->ReadOnly();
}

bool HasDropDownForm(TDropDownFormCallParamsEh* p) {
    return p && (p->DropDownForm() || !p->DropDownFormClassName().isEmpty());
}

// Rules (b)-(f) of the automatic style; Drawing relaxes the lookup rule the way cell buttons need
// it (active lookup set required, key fields need not be modifiable at design time).
TEditStyle AutoEditStyle(TAxisBarEh* c, bool Drawing, bool WithForm) {
    TField* f = c->Field();
    if (!f) return esSimple;
    TCustomDBAxisGridEh* g = c->Grid();
    if (f->FieldKind() == fkLookup) {
        bool ok;
        if (Drawing) {
            TDataSet* lds = f->LookupDataSet();
            const bool designing = g && g->ComponentState().Contains(csDesigning);
            ok = lds && lds->Active() && !f->KeyFields().isEmpty() && (designing || LookupKeysModifiable(f));
        } else {
            ok = LookupKeysModifiable(f);
        }
        ok = ok && !ColumnExplicitlyReadOnly(c) && g && !g->ReadOnly() && g->DataLink()->Active() &&
             !g->DataLink()->ReadOnly();
        return ok ? esDataList : esSimple;
    }
    if (c->HasPickList() && !c->ReadOnly()) return esPickList;
    if (IsDateType(f->DataType()) && !c->ReadOnly()) return esDateCalendar;
    if (WithForm && HasDropDownForm(c->DropDownFormParams())) return esDropDown;
    return esSimple;
}

TEditStyle RequestedEditStyle(TAxisBarEh* c, bool Drawing) {
    switch (c->ButtonStyle()) {
    case cbsEllipsis:
        return esEllipsis;
    case cbsNone:
        return esSimple;
    case cbsUpDown:
        return esUpDown;
    case cbsDropDown:
        return esDropDown;
    case cbsAltUpDown:
        return esAltUpDown;
    case cbsAltDropDown:
        return c->Field() && IsDateType(c->Field()->DataType()) ? esAltCalendar : esAltDropDown;
    case cbsAuto:
        break;
    }
    return AutoEditStyle(c, Drawing, true);
}

// Standard-widget drop-downs get a child widget from the window layer although they ask for a
// pop-up window: make it the no-activate top-level pop-up it must be.
void EnsurePopupWindow(TWinControl* DropDown) {
    DropDown->HandleNeeded();
    QWidget* w = DropDown->Widget();
    if (!w || w->isWindow()) return;
    w->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                      Qt::WindowStaysOnTopHint);
    w->setAttribute(Qt::WA_ShowWithoutActivating, true);
    w->setFocusPolicy(Qt::NoFocus);
}

bool IsChildOf(HWND Child, TWinControl* Parent) {
    if (!Parent || !Parent->HandleAllocated() || !Child) return false;
    return Child == Parent->Handle() || IsChild(Parent->Handle(), Child);
}

// The edit control paints its own window; the column image is drawn by this box laid over the
// margin that the formatting rectangle leaves free for it.
class TInplaceImageBox : public TCustomControl {
public:
    explicit TInplaceImageBox(TDBAxisGridInplaceEdit* Editor) : TCustomControl(Editor), FEditor(Editor) {}

protected:
    void Paint() override {
        Canvas()->Brush()->SetColor(FEditor->Color());
        Canvas()->FillRect(ClientRect());
        TAxisBarEh* c = FEditor->GetAxisBar();
        TCustomImageList* images = c ? c->ImageList() : nullptr;
        const int i = FEditor->ImageIndex();
        if (!images || i < 0 || i >= images->Count()) return;
        // Centred in the box and clipped to it, as the cells draw theirs.
        images->Draw(Canvas(), (Width() - images->Width()) / 2, (Height() - images->Height()) / 2, i,
                     dsNormal, images->ImageType() == itMask ? itMask : itImage, true);
    }

private:
    TDBAxisGridInplaceEdit* FEditor;
};

} // namespace

TEditStyle GetColumnEditStyle(TAxisBarEh* Column) {
    return RequestedEditStyle(Column, true);
}

// ---------------------------------------------------------------------------------------------
// Life

TDBAxisGridInplaceEdit::TDBAxisGridInplaceEdit(TComponent* AOwner) : TInplaceEdit(AOwner) {
    FLookupSource = std::make_unique<TDataSource>(nullptr);
    SetDoubleBuffered(false);
    FButtonsPanel = new TPanel(this);
    FButtonsPanel->SetBevelOuter(bvNone);
    FButtonsPanel->SetParent(this);
    FButtonsPanel->SetVisible(false);
}

TDBAxisGridInplaceEdit::~TDBAxisGridInplaceEdit() {
    *FAlive = false;
    // A form still open would call back into a freed editor.
    if (auto* f = dynamic_cast<TCustomDropDownFormEh*>(FOpenForm)) f->ForgetCallback();
}

TCustomDBAxisGridEh* TDBAxisGridInplaceEdit::GetGrid() const {
    return dynamic_cast<TCustomDBAxisGridEh*>(FGrid);
}

TAxisBarEh* TDBAxisGridInplaceEdit::GetAxisBar() const {
    TCustomDBAxisGridEh* g = GetGrid();
    return g ? g->SelectedAxisBar() : nullptr;
}

void TDBAxisGridInplaceEdit::CreateParams(TCreateParams& Params) {
    TInplaceEdit::CreateParams(Params);
    if (FWordWrap) Params.Style = (Params.Style & ~DWORD(ES_AUTOHSCROLL)) | ES_MULTILINE;
    Params.Style |= WS_CLIPCHILDREN;
    TCustomDBAxisGridEh* g = GetGrid();
    FButtonsWidth = g && g->Flat() ? AxisFlatEditButtonWidth() + 1 : GetSystemMetrics(SM_CXVSCROLL);
}

void TDBAxisGridInplaceEdit::Notification(TComponent* AComponent, TOperation Operation) {
    TInplaceEdit::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FOpenForm) FOpenForm = nullptr;
    if (AComponent == FActiveList) FActiveList = nullptr;
    // The list is being destroyed: only its window's address may be compared, not its interface.
    if (FDataList && AComponent == FDataListControl) {
        FDataList = nullptr;
        FDataListControl = nullptr;
        if (!ComponentState().Contains(csDestroying)) SetEditStyle(esSimple);
    }
}

void TDBAxisGridInplaceEdit::SetTextQuiet(const String& Value) {
    ++FQuietText;
    struct Done {
        int& n;
        ~Done() { --n; }
    } done{FQuietText};
    SetText(Value);
}

bool TDBAxisGridInplaceEdit::IsNumericColumn() {
    TAxisBarEh* c = GetAxisBar();
    return c && dynamic_cast<TNumericField*>(c->Field()) != nullptr;
}

// ---------------------------------------------------------------------------------------------
// Edit style of a cell

void TDBAxisGridInplaceEdit::ReloadFromGrid() {
    TCustomDBAxisGridEh* g = GetGrid();
    TAxisBarEh* c = GetAxisBar();
    if (!g || !c) {
        TInplaceEdit::ReloadFromGrid();
        return;
    }
    FFixedDownButton = -1;
    SetEditButtonStyle(RequestedEditStyle(c, false));
    SetFont(c->Font());

    const bool m = c->CanModify(false);
    TAxisColCellParamsEh* p = g->GetCellParamsRecord();
    c->FillColCellParams(p);
    p->FBackground = c->Color();
    p->FFont = Font();
    p->FState = TGridDrawState{gdFocused};
    p->FText = c->GetCellEditText();
    p->FReadOnly = !m;
    g->QueryCellParams(c, p);
    if (!g->ComponentState().Contains(csLoading)) c->GetColCellParams(true, p);
    SetColor(p->FBackground);
    FImageIndex = p->FImageIndex;
    // Only a read-only state the hooks left as proposed is the editor's own.
    if (p->FReadOnly != m) {
        SetReadOnly(p->FReadOnly);
        FReadOnlyStored = true;
    } else {
        FReadOnlyStored = false;
    }

    const bool wrap = c->CurLineWordWrap(c->GetCellHeight(g->Row()));
    if (wrap != FWordWrap) {
        FWordWrap = wrap;
        if (HandleAllocated()) RecreateWnd();
    }
    SetTextQuiet(String());
    SetEditMask(c->GetEditMask());
    SetTextQuiet(p->FText);
    const int limit = g->GetEditLimit();
    if (limit < 0)
        FMaxLength = limit; // the grid refuses every change
    else
        SetMaxLength(limit);
    FMRUList = c->MRUList();
    SetMainButtonDown(false);
    PaintEditorWindow();
}

void TDBAxisGridInplaceEdit::SetEditButtonStyle(TEditStyle Value) {
    FEditButtonStyle = Value;
    UpdateEditStyle();
    Invalidate();
}

void TDBAxisGridInplaceEdit::SetEditStyle(TEditStyle Value) {
    if (FEditStyle == Value) return;
    FEditStyle = Value;
    Invalidate();
}

void TDBAxisGridInplaceEdit::UpdateEditStyle() {
    TEditStyle st = FEditStyle;
    if (FEditButtonStyle != esSimple) {
        st = FEditButtonStyle;
    } else {
        const int i = FirstVisibleButtonIndex();
        if (i < 0) {
            st = esSimple;
        } else {
            TAxisBarEh* c = GetAxisBar();
            switch (FEditButtonControlList[size_t(i)].EditButtonControl->Style()) {
            case ebsDropDownEh:
            case ebsAltDropDownEh:
                st = c ? AutoEditStyle(c, false, false) : esSimple;
                break;
            case ebsEllipsisEh:
                st = esEllipsis;
                break;
            case ebsUpDownEh:
                st = esUpDown;
                break;
            case ebsAltUpDownEh:
                st = esAltUpDown;
                break;
            default:
                break;
            }
        }
    }
    SetEditStyle(st);
    UpdateActiveList();
}

void TDBAxisGridInplaceEdit::UpdateActiveList() {
    TAxisBarEh* c = GetAxisBar();
    switch (FEditStyle) {
    case esPickList:
        if (!FPickList) {
            FPickList = new TPopupListboxEh(this);
            FPickList->SetParent(this);
            FPickList->SetVisible(false);
            FPickList->SetCtl3D(true);
            FPickList->SetItemHeight(FPickList->GetTextHeight());
            FPickList->OnMouseUp = TMouseEvent(this, &TDBAxisGridInplaceEdit::PickListMouseUp);
        }
        FPickList->SetImageList(c ? c->ImageList() : nullptr);
        FActiveList = FPickList;
        break;
    case esDataList: {
        auto* list = c ? dynamic_cast<IPopupDataListEh*>(c->GetDataList()) : nullptr;
        if (list && list != FDataList) {
            TWinControl* w = list->ListControl();
            w->SetVisible(false);
            w->SetCtl3D(true);
            w->SetParentCtl3D(false);
            w->SetParent(this);
            list->SetOnMouseCloseUp(TCloseUpEventEh(this, &TDBAxisGridInplaceEdit::DataListMouseCloseUp));
            w->FreeNotification(this);
            if (TCustomDBAxisGridEh* g = GetGrid()) list->SetDrawMemoText(g->DrawMemoText());
            FDataList = list;
            FDataListControl = w;
        }
        FActiveList = list ? list->ListControl() : nullptr;
        break;
    }
    case esDateCalendar:
    case esAltCalendar:
        if (!FPopupMonthCalendar) {
            FPopupMonthCalendar = new TPopupMonthCalendarEh(this);
            FPopupMonthCalendar->SetParent(this);
            FPopupMonthCalendar->SetVisible(false);
            FPopupMonthCalendar->SetParentFont(false);
        }
        FActiveList = FPopupMonthCalendar;
        break;
    case esDropDown:
    case esAltDropDown:
        FActiveList = IsNumericColumn() ? GetPopupCalculator() : nullptr;
        break;
    default:
        FActiveList = nullptr;
        break;
    }
}

TWinControl* TDBAxisGridInplaceEdit::GetPopupCalculator() {
    if (!FPopupCalculator) {
        FPopupCalculator = new TPopupCalculatorEh(this);
        FPopupCalculator->SetParent(this);
        FPopupCalculator->SetVisible(false);
        if (HandleAllocated()) FPopupCalculator->HandleNeeded();
    }
    return FPopupCalculator;
}

// ---------------------------------------------------------------------------------------------
// Buttons and layout

int TDBAxisGridInplaceEdit::FirstVisibleButtonIndex() {
    for (size_t i = 0; i < FEditButtonControlList.size(); ++i)
        if (FEditButtonControlList[i].EditButtonControl->Visible()) return int(i);
    return -1;
}

bool TDBAxisGridInplaceEdit::IsMainButtonDown() {
    return !FEditButtonControlList.empty() && FEditButtonControlList[0].EditButtonControl->AlwaysDown();
}

void TDBAxisGridInplaceEdit::SetMainButtonDown(bool Value) {
    if (!FEditButtonControlList.empty()) FEditButtonControlList[0].EditButtonControl->SetAlwaysDown(Value);
}

void TDBAxisGridInplaceEdit::LayoutEditButtons() {
    TCustomDBAxisGridEh* g = GetGrid();
    TAxisBarEh* c = GetAxisBar();
    const bool flat = g && g->Flat();
    const int n = c ? c->EditButtons()->Count() : 0;
    const size_t count = size_t(n) + 1;
    while (FEditButtonControlList.size() > count) {
        TEditButtonControlLineRec rec = FEditButtonControlList.back();
        FEditButtonControlList.pop_back();
        rec.EditButtonControl->SetVisible(false);
        rec.ButtonLine->SetVisible(false);
    }
    while (FEditButtonControlList.size() < count) {
        TEditButtonControlLineRec rec;
        rec.EditButtonControl = CreateEditButtonControl();
        rec.EditButtonControl->SetParent(FButtonsPanel);
        rec.ButtonLine = new TShape(this);
        rec.ButtonLine->SetParent(FButtonsPanel);
        FEditButtonControlList.push_back(rec);
    }
    const int defWidth = flat ? AxisFlatEditButtonWidth() : GetSystemMetrics(SM_CXVSCROLL);
    const bool flatLines = flat && !ThemesInUse();
    const int ch = ClientHeight();
    int h = INT_MAX;
    int total = 0;
    for (size_t i = 0; i < count; ++i) {
        TEditButtonControlEh* b = FEditButtonControlList[i].EditButtonControl;
        TShape* line = FEditButtonControlList[i].ButtonLine;
        int w = 0;
        if (i == 0) {
            const bool vis = FEditButtonStyle != esSimple;
            b->SetVisible(vis);
            switch (FEditButtonStyle) {
            case esEllipsis:
                b->SetStyle(ebsEllipsisEh);
                break;
            case esUpDown:
                b->SetStyle(ebsUpDownEh);
                break;
            case esAltUpDown:
                b->SetStyle(ebsAltUpDownEh);
                break;
            case esAltDropDown:
            case esAltCalendar:
                b->SetStyle(ebsAltDropDownEh);
                break;
            default:
                b->SetStyle(ebsDropDownEh);
                break;
            }
            b->Glyph()->Assign(nullptr);
            b->SetHint(String());
            if (vis) w = defWidth;
        } else {
            TEditButtonEh* e = c->EditButtons()->Items(int(i) - 1);
            b->SetVisible(e->Visible());
            b->SetStyle(e->Style());
            b->Glyph()->Assign(e->Glyph());
            b->SetNumGlyphs(e->NumGlyphs());
            b->SetHint(e->Hint());
            b->SetEditButtonImages(e->Images());
            if (e->Visible()) w = e->Width() > 0 ? e->Width() : defWidth;
        }
        b->SetFlat(flat);
        b->SetWidth(w);
        if (w > 0) h = std::min(h, int(Round(1.5 * w)) < ch ? ButtonHeightForWidth(w, flat) : ch);
        const bool showLine = w > 0 && flatLines;
        line->SetVisible(showLine);
        line->SetWidth(showLine ? 1 : 0);
        b->OnDown = TButtonDownEventEh(this, &TDBAxisGridInplaceEdit::EditButtonMouseDown);
        b->OnClick = TNotifyEvent(this, &TDBAxisGridInplaceEdit::EditButtonClick);
        b->OnMouseMove = TMouseMoveEvent(this, &TDBAxisGridInplaceEdit::EditButtonMouseMove);
        b->OnMouseUp = TMouseEvent(this, &TDBAxisGridInplaceEdit::EditButtonMouseUp);
        b->SetTag(0);
        total += w + line->Width();
    }
    if (h == INT_MAX) h = ch;
    FButtonsWidth = total;
    const bool rtl = UseRightToLeftAlignment();
    int x = rtl ? FButtonsWidth : 0;
    for (const TEditButtonControlLineRec& rec : FEditButtonControlList) {
        TEditButtonControlEh* b = rec.EditButtonControl;
        if (rtl) {
            x -= b->Width();
            b->SetBounds(x, 0, b->Width(), h);
            x -= rec.ButtonLine->Width();
            rec.ButtonLine->SetBounds(x, 0, rec.ButtonLine->Width(), h);
        } else {
            b->SetBounds(x, 0, b->Width(), h);
            x += b->Width();
            rec.ButtonLine->SetBounds(x, 0, rec.ButtonLine->Width(), h);
            x += rec.ButtonLine->Width();
        }
    }
    if (flatLines && FButtonsWidth > 0) --FButtonsWidth;
    if (FButtonsWidth >= 1) {
        if (rtl)
            FButtonsPanel->SetBounds(0, 0, FButtonsWidth, h);
        else
            FButtonsPanel->SetBounds(ClientWidth() - FButtonsWidth, 0, FButtonsWidth, h);
        FButtonsPanel->SetVisible(true);
    } else {
        FButtonsPanel->SetVisible(false);
    }
}

TEditButtonControlEh* TDBAxisGridInplaceEdit::CreateEditButtonControl() {
    auto* b = new TEditButtonControlEh(this);
    b->SetBounds(0, 0, 10, 17);
    b->SetVisible(true);
    return b;
}

void TDBAxisGridInplaceEdit::ActivateEditButtons() {
    for (const TEditButtonControlLineRec& rec : FEditButtonControlList) {
        rec.EditButtonControl->SetEnabled(true);
        rec.EditButtonControl->SetActive(true);
        rec.ButtonLine->Pen()->SetColor(clBtnFace);
    }
}

void TDBAxisGridInplaceEdit::BoundsChanged() {
    LayoutEditButtons();
    ActivateEditButtons();
    UpdateEditStyle();
    TRect r;
    GetEditingRect(r);
    SendMessage(Handle(), EM_SETRECTNP, 0, LPARAM(&r));
    SendMessage(Handle(), EM_SCROLLCARET, 0, 0);
    PaintEditorWindow();
}

void TDBAxisGridInplaceEdit::GetEditingRect(TRect& Rect) {
    TCustomDBAxisGridEh* g = GetGrid();
    const bool flat = g && g->Flat();
    Rect =
        TRect(g ? g->GetDataCellLeftOffset() : 2, flat ? 1 : 2, Width() - 2, flat ? Height() - 1 : Height());
    if (g && Rect.Bottom < Height()) {
        TCanvas* cv = g->Canvas();
        TFont saved;
        saved.Assign(cv->Font());
        cv->Font()->Assign(Font());
        const int th = cv->TextHeight(QStringLiteral("Wg"));
        cv->Font()->Assign(&saved);
        if (Rect.Height() < th) ++Rect.Bottom;
    }
    const bool rtl = UseRightToLeftAlignment();
    auto cut = [&](int w) {
        if (rtl)
            Rect.Left += w;
        else
            Rect.Right -= w;
    };
    auto cutNear = [&](int w) {
        if (rtl)
            Rect.Right -= w;
        else
            Rect.Left += w;
    };
    cut(FButtonsWidth);
    TAxisBarEh* c = GetAxisBar();
    if (c && c->ImageList() && c->ShowImageAndText()) cutNear(c->ImageList()->Width() + 5);
    if (g && c && g->VisibleAxisBars()->Count() > 0 && g->VisibleAxisBars()->Items(0) == c)
        cutNear(g->GetCellTreeElmentsAreaWidth());
}

// ---------------------------------------------------------------------------------------------
// Drop-downs

void TDBAxisGridInplaceEdit::ShowDropDownList() {
    if (FListVisible || !FActiveList) return;
    TAxisBarEh* c = GetAxisBar();
    TCustomDBAxisGridEh* g = GetGrid();
    if (!c || !g) return;
    // Lists start at the editor's width; the calculator keeps its own size (its keys would be cut)
    // and the calendar takes its minimum size below.
    if (FActiveList != FPopupCalculator) FActiveList->SetWidth(Width());
    if (FDataList && FActiveList == FDataList->ListControl()) {
        TDataSet* ds = c->GetListDataSet();
        if (!ds) return;
        TField* f = c->Field();
        FActiveList->SetColor(Color());
        FActiveList->TControl::SetFont(Font());
        FDataList->SetSpecRow(c->DropDownSpecRow());
        const int rows = int(c->DropDownRows());
        const int count = ds->IsSequenced() ? ds->RecordCount() : 0;
        FDataList->SetRowCount(count > 0 && count < rows ? count : rows);
        FDataList->SetShowTitles(c->DropDownShowTitles());
        FLookupSource->SetDataSet(ds);
        FDataList->SetKeyField(f ? f->LookupKeyFields() : String());
        FDataList->SetListFieldIndex(0);
        FDataList->SetListField(c->LookupDisplayFields());
        FDataList->SetAutoFitColWidths(false);
        FDataList->SetUseMultiTitle(c->DropDownBox()->UseMultiTitle());
        FDataList->SetListSource(FLookupSource.get());
        if (c->DropDownWidth() == -1)
            FActiveList->SetClientWidth(FDataList->GetColumnsWidthToFit());
        else if (c->DropDownWidth() > 0)
            FActiveList->SetWidth(c->DropDownWidth());
        if (FActiveList->Width() < Width()) FActiveList->SetWidth(Width());
        FDataList->SetKeyValue(g->EditKeyValue());
        FListColumnMothed = false;
        FDataList->SetOnColumnMoved(TMovedEvent(this, &TDBAxisGridInplaceEdit::DataListColumnMoved));
        FDataList->SetTitleSortMarkerStyle(g->GetSortMarkerStyle());
    } else if (FActiveList == FPopupMonthCalendar) {
        TDateTime d = Date();
        if (!Text().isEmpty()) {
            try {
                d = StrToDateTime(Text());
            } catch (const Exception&) {
                TField* f = c->Field();
                const TDateTime fd = f ? f->AsDateTime() : 0;
                d = fd != 0 ? fd : Date();
            }
        }
        FPopupMonthCalendar->SetDate(std::floor(d));
        TRect r;
        FPopupMonthCalendar->HandleNeeded();
        SendMessage(FPopupMonthCalendar->Handle(), MCM_GETMINREQRECT, 0, LPARAM(&r));
        if (r.Width() > 0 && r.Height() > 0) FPopupMonthCalendar->SetBounds(0, 0, r.Width(), r.Height());
    } else if (FActiveList == FPopupCalculator) {
        // Text the calculator cannot read (a lone sign, a display format) opens it on the field's
        // value instead of failing to open.
        Variant v = Variant(0);
        if (!Text().isEmpty()) {
            Extended x = 0;
            if (TryStrToFloat(Text(), x)) {
                v = Variant(double(x));
            } else if (TField* f = c->Field(); f && !f->IsNull()) {
                v = Variant(f->AsFloat());
            }
        }
        FPopupCalculator->SetValue(v);
        FPopupCalculator->SetFlat(g->Flat());
        HideCaret(Handle());
        SetSelLength(0);
    } else if (FActiveList == FPickList) {
        FPickList->SetColor(Color());
        FPickList->TControl::SetFont(Font());
        FPickList->SetItemHeight(FPickList->GetTextHeight());
        TStrings* items = FPickList->Items();
        items->Clear();
        const bool keys = c->HasKeyList() && c->KeyList()->Count() > 0;
        const int n = keys ? std::min(c->PickList()->Count(), c->KeyList()->Count()) : c->PickList()->Count();
        for (int i = 0; i < n; ++i)
            items->AddObject(c->PickList()->Strings(i), c->PickList()->Objects(i));
        const int rows = std::min(n, int(c->DropDownRows()));
        FPickList->SetRowCount(std::max(1, rows));
        FPickList->SetHeight(FPickList->ItemHeight() * std::max(1, rows) + 4);
        if (c->DropDownWidth() > 0) FPickList->SetWidth(c->DropDownWidth());
        TField* f = c->Field();
        if (!f || f->IsNull())
            FPickList->SetItemIndex(-1);
        else
            FPickList->SetItemIndex(keys ? c->PickList()->IndexOf(Text()) : items->IndexOf(Text()));
        int widest = 0;
        TCanvas* cv = FPickList->Canvas();
        cv->Font()->Assign(Font());
        for (int i = 0; i < n; ++i)
            widest = std::max(widest, cv->TextWidth(items->Strings(i)));
        FPickList->SetClientWidth(4 + std::max(FPickList->ClientWidth(), widest));
    } else {
        return; // a lookup grid of a descendant's column: not shown by this editor
    }

    if (FMRUList && FMRUList->DroppedDown()) CloseMRUList(FMRUList, false);
    EnsurePopupWindow(FActiveList);
    TPoint pos;
    TDropDownAlign align = BiDiMode() == bdRightToLeft ? daRight : daLeft;
    PlaceDropDownUnderControl(this, FActiveList, align, pos);
    FActiveList->SetBounds(pos.X, pos.Y, FActiveList->Width(), FActiveList->Height());
    if (FDataList && FActiveList == FDataList->ListControl()) {
        FDataList->SetSizeGripVisible(c->DropDownSizing());
        FDataList->SetAutoFitColWidths(c->DropDownBox()->AutoFitColWidths());
        FDataList->SetSizeGripResized(false);
    } else {
        SetWindowPos(FActiveList->Handle(), HWND_TOP, pos.X, pos.Y, 0, 0,
                     SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    if (FActiveList == FPickList) {
        FPickList->SizeGrip()->SetVisible(c->DropDownSizing());
        FPickList->FSizeGripResized = false;
    }
    FActiveList->SetVisible(true);
    FListVisible = true;
    Invalidate();
    if (HandleAllocated()) ::SetFocus(Handle());
    const int first = FirstVisibleButtonIndex();
    if (first >= 0) FEditButtonControlList[size_t(first)].EditButtonControl->SetAlwaysDown(true);
    FDroppedDown = true;
}

void TDBAxisGridInplaceEdit::CloseUp(bool Accept) {
    TCustomDBAxisGridEh* g = GetGrid();
    TAxisBarEh* c = GetAxisBar();
    if (!g || g->SelectedIndex() < 0) return;
    if (FActiveList && FActiveList->HandleAllocated() && IsChildOf(GetFocus(), FActiveList) &&
        HandleAllocated())
        ::SetFocus(Handle());
    if (!FListVisible) return;
    const int first = FirstVisibleButtonIndex();
    if (first >= 0) FEditButtonControlList[size_t(first)].EditButtonControl->SetAlwaysDown(false);
    if (FLockCloseList) return;
    if (HWND cap = GetCapture()) SendMessage(cap, WM_CANCELMODE, 0, 0);

    TWinControl* list = FActiveList;
    IPopupDataListEh* lookup = FDataList && list == FDataList->ListControl() ? FDataList : nullptr;
    Variant value = Null();
    if (lookup) {
        value = lookup->KeyValue();
        // A list whose data set closed while it showed offers nothing to pick: a cancel.
        TDataSet* listData = FLookupSource->DataSet();
        if (!listData || !listData->Active()) Accept = false;
        if (lookup->SizeGripResized() && c) {
            c->SetDropDownRows(uint32_t(std::max(1, lookup->RowCount())));
            c->SetDropDownWidth(list->Width());
        }
        if (FListColumnMothed && c) c->DropDownSpecRow()->SetCellsText(lookup->SpecRowCellsText());
    } else if (list == FPickList && FPickList->ItemIndex() != -1) {
        const int i = FPickList->ItemIndex();
        if (c && c->HasKeyList() && c->KeyList()->Count() > 0)
            value = i < c->KeyList()->Count() ? Variant(c->KeyList()->Strings(i)) : Null();
        else
            value = Variant(FPickList->Items()->Strings(i));
    }
    if (list == FPickList && FPickList->FSizeGripResized && c && FPickList->ItemHeight() > 0) {
        c->SetDropDownRows(uint32_t(FPickList->ClientHeight() / FPickList->ItemHeight()));
        c->SetDropDownWidth(FPickList->Width());
    }
    SetWindowPos(list->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    list->SetVisible(false);
    FDroppedDown = false;
    FListVisible = false;
    if (lookup) {
        lookup->SetAutoFitColWidths(false);
        lookup->SetListSource(nullptr);
    }
    FLookupSource->SetDataSet(nullptr);
    Invalidate();
    if (HandleAllocated()) ShowCaret(Handle());

    if (Accept && c && lookup) {
        TField* f = c->Field();
        std::vector<TField*> keys;
        if (f && f->DataSet() && !f->KeyFields().isEmpty()) f->DataSet()->GetFieldList(keys, f->KeyFields());
        if (!keys.empty() && CanModifyAllFields(keys) && g->PrepareCellEditPublic() && c->CanModify(true)) {
            const String item = lookup->SelectedItem();
            try {
                g->DataLink()->Edit();
                if (g->DataLink()->Editing()) {
                    g->DataLink()->Modified();
                    g->SetEditKeyValue(value);
                    g->SetEditTextValue(item);
                }
            } catch (...) {
                // The trailing blank marks the text as not the field's own, so it is written again.
                SetTextQuiet(f->Text() + QLatin1Char(' '));
                throw;
            }
            SetTextQuiet(item);
            SelectAll();
            g->UpdateData();
            if (c->DropDownBox()->ListSourceAutoFilter() && c->GetListDataSet()) ApplyListFilter(String());
        }
    } else if (Accept && c) {
        if (list == FPopupMonthCalendar) {
            if (c->CanModify(true) && g->PrepareCellEditPublic()) {
                TDateTime t = 0;
                TField* f = c->Field();
                // The time of day of the current text; a text that also carries a date (a
                // date-time field) keeps its time too instead of losing it.
                try {
                    TDateTime dt = 0;
                    if (!f || !TryStrToTime(f->Text(), t)) t = f && TryStrToDateTime(f->Text(), dt) ? dt : 0;
                } catch (const Exception&) {
                    t = 0;
                }
                const TDateTime day = std::floor(FPopupMonthCalendar->Date());
                c->WriteValueToField(DateToStr(day), VarFromDateTime(day + (t - std::floor(t))), false);
            }
        } else if (list == FPopupCalculator) {
            Variant v;
            FPopupCalculator->GetValue(v);
            const TVarType vt = VarType(v);
            if (c->CanModify(true) && g->PrepareCellEditPublic() &&
                (vt == varSmallint || vt == varInteger || vt == varSingle || vt == varDouble ||
                 vt == varCurrency)) {
                SetTextQuiet(FloatToStr(double(v.AsDouble())));
                g->SetEditTextValue(Text());
                SelectAll();
                g->UpdateData();
            }
        } else if (!VarIsNull(value) && g->PrepareCellEditPublic()) {
            if (c->HasKeyList() && c->KeyList()->Count() > 0) {
                if (FPickList->ItemIndex() >= 0)
                    SetTextQuiet(FPickList->Items()->Strings(FPickList->ItemIndex()));
            } else {
                SetTextQuiet(VarToStr(value));
            }
            g->SetEditTextValue(Text());
            UpdateImageIndex();
            g->UpdateData();
        }
    } else if (lookup) {
        SetTextQuiet(g->EditTextValue());
        if (c && c->DropDownBox()->ListSourceAutoFilter() && c->GetListDataSet()) ApplyListFilter(String());
    } else if (list == FPickList) {
        SetTextQuiet(g->EditTextValue());
    }
    if (Parent() && Parent()->Visible() && !g->ComponentState().Contains(csDestroying) && g->CanFocus())
        g->SetFocus();
}

void TDBAxisGridInplaceEdit::DataListMouseCloseUp(TObject*, bool Accept) {
    CloseUp(Accept);
}

void TDBAxisGridInplaceEdit::DataListColumnMoved(TObject*, int, int) {
    FListColumnMothed = true;
}

void TDBAxisGridInplaceEdit::SetListKeyValue(const Variant& Value) {
    if (FDataList) FDataList->SetKeyValue(Value);
}

bool TDBAxisGridInplaceEdit::ListAutoFilterShown() {
    TAxisBarEh* c = GetAxisBar();
    return FListVisible && c && c->DropDownBox()->ListSourceAutoFilter() && c->GetListDataSet();
}

void TDBAxisGridInplaceEdit::ApplyListFilter(const String& Text) {
    TAxisBarEh* c = GetAxisBar();
    TDataSet* ds = c ? c->GetListDataSet() : nullptr;
    TField* f = c ? c->Field() : nullptr;
    if (!ds || !f) return;
    c->DropDownBoxApplyTextFilter(ds, f->LookupResultField(), Text,
                                  c->DropDownBox()->ListSourceAutoFilterType());
}

void TDBAxisGridInplaceEdit::DisableListControls() {
    TAxisBarEh* c = GetAxisBar();
    if (TDataSet* ds = c ? c->GetListDataSet() : nullptr) ds->DisableControls();
}

void TDBAxisGridInplaceEdit::EnableListControls() {
    TAxisBarEh* c = GetAxisBar();
    if (TDataSet* ds = c ? c->GetListDataSet() : nullptr) ds->EnableControls();
}

void TDBAxisGridInplaceEdit::PickListMouseUp(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
    if (Button == mbLeft) CloseUp(FPickList->ClientRect().Contains(TPoint(X, Y)));
}

// ---------------------------------------------------------------------------------------------
// Edit buttons

void TDBAxisGridInplaceEdit::EditButtonMouseDown(TObject* Sender, bool TopButton, bool& AutoRepeat,
                                                 bool& Handled) {
    if (CanFocus() && !Focused()) SetFocus();
    Handled = false;
    TAxisBarEh* c = GetAxisBar();
    if (!c) return;
    auto* control = dynamic_cast<TEditButtonControlEh*>(Sender);
    int index = -1;
    for (size_t i = 0; i < FEditButtonControlList.size(); ++i)
        if (FEditButtonControlList[i].EditButtonControl == control) index = int(i);
    if (index <= 0) {
        if (c->OnEditButtonDown) c->OnEditButtonDown(Sender, TopButton, AutoRepeat, Handled);
        if (!Handled) ShowDropDownForm(nullptr, Sender, Handled);
        if (!Handled) DropDownByButton(!TopButton);
        return;
    }
    TEditButtonEh* e = c->EditButtons()->Items(index - 1);
    if (e->OnDown) e->OnDown(Sender, TopButton, AutoRepeat, Handled);
    if (!Handled) ShowDropDownForm(e, Sender, Handled);
    if (Handled) return;
    if (TPopupMenu* menu = e->DropdownMenu()) {
        TPoint p = control->ClientToScreen(
            TPoint(menu->Alignment() == paRight ? control->Width() : 0, control->Height()));
        menu->SetPopupComponent(this);
        menu->Popup(p.X, p.Y);
        TakePendingClickOnControl(control);
        control->Perform(WM_LBUTTONUP, 0, 0);
    } else if (index == FirstVisibleButtonIndex()) {
        DropDownByButton(!TopButton);
    }
}

void TDBAxisGridInplaceEdit::DropDownByButton(bool Down) {
    if (FEditStyle == esUpDown || FEditStyle == esAltUpDown) {
        StepValue(Down);
    } else if (!FDroppedDown) {
        ShowDropDownList();
        FNoClickCloseUp = true;
    }
}

void TDBAxisGridInplaceEdit::EditButtonClick(TObject* Sender) {
    TAxisBarEh* c = GetAxisBar();
    TCustomDBAxisGridEh* g = GetGrid();
    auto* control = dynamic_cast<TEditButtonControlEh*>(Sender);
    int index = -1;
    for (size_t i = 0; i < FEditButtonControlList.size(); ++i)
        if (FEditButtonControlList[i].EditButtonControl == control) index = int(i);
    bool handled = false;
    if (index <= 0) {
        if (g && (FEditStyle == esEllipsis || FEditStyle == esDropDown || FEditStyle == esAltDropDown))
            g->DoEditButtonClick();
        if (c && c->OnEditButtonClick) c->OnEditButtonClick(Sender, handled);
    } else if (c) {
        c->EditButtons()->Items(index - 1)->Click(Sender, handled);
    }
    if (!handled && FDroppedDown && !FNoClickCloseUp && (index <= 0 || index == FirstVisibleButtonIndex()))
        CloseUp(false);
    FNoClickCloseUp = false;
}

void TDBAxisGridInplaceEdit::EditButtonMouseMove(TObject* Sender, TShiftState, int X, int Y) {
    auto* b = dynamic_cast<TControl*>(Sender);
    if (!b || FEditButtonControlList.empty() || b != FEditButtonControlList[0].EditButtonControl) return;
    if (!FListVisible || !FActiveList || !b->MouseCapture()) return;
    // A press on the button dragged into the list goes on inside the list.
    TPoint p = FActiveList->ScreenToClient(b->ClientToScreen(TPoint(X, Y)));
    const TRect area = FDataList && FActiveList == FDataList->ListControl() ? FDataList->DataRect()
                                                                            : FActiveList->ClientRect();
    if (area.Contains(p)) {
        b->Perform(WM_CANCELMODE, 0, 0);
        FActiveList->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(WORD(p.X), WORD(p.Y)));
    }
}

void TDBAxisGridInplaceEdit::EditButtonMouseUp(TObject* Sender, TMouseButton, TShiftState, int X, int Y) {
    auto* b = dynamic_cast<TControl*>(Sender);
    if (b && (X < 0 || X >= b->ClientWidth() || Y < 0 || Y >= b->ClientHeight())) FNoClickCloseUp = false;
}

void TDBAxisGridInplaceEdit::StepValue(bool Down) {
    TAxisBarEh* c = GetAxisBar();
    TCustomDBAxisGridEh* g = GetGrid();
    if (!c || !g || !c->CanModify(true)) return;
    if (c->GetCellEditText() != Text()) {
        g->SetEditTextValue(Text());
        g->UpdateData();
    }
    const Extended d = c->GetColumnType() == ctCommon ? 1 : -1;
    c->CycleValue(Down ? -d * c->Increment() : d * c->Increment());
    // The step leaves the grid's edit text equal to the field, so the grid does not reload the
    // editor: show the new value here, or the next step would write the old text back first.
    const String t = c->GetCellEditText();
    if (t != Text()) SetTextQuiet(t);
}

// ---------------------------------------------------------------------------------------------
// Drop-down forms

void TDBAxisGridInplaceEdit::ShowDropDownForm(TEditButtonEh* Button, TObject* ButtonControl, bool& Handled) {
    TAxisBarEh* c = GetAxisBar();
    TCustomDBAxisGridEh* g = GetGrid();
    if (!c || !g || IsMainButtonDown()) return;
    if (FFixedDownButton == 0 && HandleAllocated()) {
        // The press that closed this form is still in the queue behind the close notice.
        MSG msg;
        if (PeekMessage(&msg, Handle(), WM_USER, WM_USER, PM_NOREMOVE) && msg.wParam == WPARAM(Handle()) &&
            msg.lParam == (Button ? LPARAM(Button) : LPARAM(c))) {
            Handled = true;
            return;
        }
    }
    TDropDownFormCallParamsEh* params = Button ? Button->DropDownFormParams() : c->DropDownFormParams();
    TCustomForm* form = params->DropDownForm();
    bool freeOnClose = false;
    if (!form) {
        if (params->DropDownFormClassName().isEmpty()) return;
        TClass cls = GetClass(params->DropDownFormClassName());
        if (!cls || !cls->Factory)
            throw Exception(
                QStringLiteral("Class '%1' is not registered").arg(params->DropDownFormClassName()));
        form = TCustomDropDownFormEh::GetGlobalRef(cls);
        if (!form) {
            form = dynamic_cast<TCustomForm*>(cls->Factory(this));
            freeOnClose = TCustomDropDownFormEh::GetGlobalRef(cls) == nullptr;
        }
        if (!form) return;
    }
    auto dynParams = std::make_unique<TDynVarsEh>(this);
    auto sysParams = std::make_unique<TAxisGridDropDownFormSysParams>();
    sysParams->FFreeFormOnClose = freeOnClose;
    sysParams->FAxisBar = c;
    sysParams->FEditButton = Button;
    TDataSet* ds = g->DataLink()->DataSet();
    if (!params->PassFieldNames().isEmpty()) {
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
        dynParams->CreateDynVar(c->FieldName(), Variant(Text()));
    } else if (params->PassParams() == pspRecordValuesEh && ds) {
        for (int i = 0; i < ds->Fields()->Count(); ++i) {
            TField* f = ds->Fields()->Fields(i);
            dynParams->CreateDynVar(f->FieldName(), f->Value());
        }
    }
    if (auto* first = dynamic_cast<IDropDownFormEh*>(form)) {
        first->SetReadOnly(false);
        if (c->Field() && c->Field()->ReadOnly()) first->SetReadOnly(true);
    }
    // The column's handler may put another form in its place.
    if (c->OnOpenDropDownForm) c->OnOpenDropDownForm(g, c, nullptr, form, dynParams.get());
    auto* intf = dynamic_cast<IDropDownFormEh*>(form);
    if (!intf) return;
    if (params->SaveFormSize()) {
        params->FOldFormWidth = form->Width();
        params->FOldFormHeight = form->Height();
        if (params->FormWidth() > 0) form->SetWidth(params->FormWidth());
        if (params->FormHeight() > 0) form->SetHeight(params->FormHeight());
    }
    auto* control = dynamic_cast<TEditButtonControlEh*>(ButtonControl);
    if (control) control->SetAlwaysDown(true);
    FFixedDownButton = 0;
    FOpenForm = form;
    form->FreeNotification(this);
    std::weak_ptr<bool> alive = FAlive;
    intf->ExecuteNomodal(
        this, nullptr, params->Align(), dynParams.release(), sysParams.release(),
        TDropDownFormCallbackProcEh::Callable(
            [this, alive](TCustomForm* f, bool accept, TDynVarsEh* d, TDropDownFormSysParams* s) {
                if (!alive.lock()) {
                    delete d;
                    delete s;
                    return;
                }
                FormClosed(f, accept, d, s);
            },
            this));
    Handled = true;
}

void TDBAxisGridInplaceEdit::FormClosed(TCustomForm* Form, bool Accept, TDynVarsEh* DynParams,
                                        TDropDownFormSysParams* SysParams) {
    std::unique_ptr<TDynVarsEh> dp(DynParams);
    std::unique_ptr<TDropDownFormSysParams> sp(SysParams);
    FOpenForm = nullptr;
    for (const TEditButtonControlLineRec& rec : FEditButtonControlList)
        rec.EditButtonControl->SetAlwaysDown(false);
    auto* asp = dynamic_cast<TAxisGridDropDownFormSysParams*>(SysParams);
    TAxisBarEh* c = asp && asp->FAxisBar ? asp->FAxisBar : GetAxisBar();
    TEditButtonEh* button = asp ? asp->FEditButton : nullptr;
    TCustomDBAxisGridEh* g = GetGrid();
    if (!c || !g) return;
    TDropDownFormCallParamsEh* params = button ? button->DropDownFormParams() : c->DropDownFormParams();
    if (Accept && (params->PassParams() == pspFieldValueEh || params->PassParams() == pspRecordValuesEh ||
                   !params->AssignBackFieldNames().isEmpty())) {
        TDataSet* ds = g->DataLink()->DataSet();
        if (ds) {
            bool putInEdit = false;
            if (ds->State() != dsEdit && ds->State() != dsInsert) {
                ds->Edit();
                putInEdit = true;
            }
            if (!params->AssignBackFieldNames().isEmpty()) {
                std::vector<TField*> back;
                ds->GetFieldList(back, params->AssignBackFieldNames());
                for (TField* f : back)
                    if (DynParams && DynParams->VarExists(f->FieldName()))
                        f->SetValue(static_cast<TDynVarEh*>(DynParams->FindDynVar(f->FieldName()))->Value());
            } else if (DynParams && DynParams->Count() > 0 && c->Field()) {
                // The column's own value, not whichever field happens to come first in the set.
                TDynVarEh* v = DynParams->VarExists(c->FieldName())
                                   ? static_cast<TDynVarEh*>(DynParams->FindDynVar(c->FieldName()))
                                   : DynParams->Items(0);
                c->Field()->SetAsString(VarToStr(v->Value()));
            }
            if (putInEdit) ds->Post();
        }
    }
    if (Form) Form->Hide();
    if (params->SaveFormSize() && Form) {
        params->SetFormWidth(Form->Width());
        params->SetFormHeight(Form->Height());
        if (params->FOldFormWidth > 0) Form->SetWidth(params->FOldFormWidth);
        if (params->FOldFormHeight > 0) Form->SetHeight(params->FOldFormHeight);
    }
    if (c->OnCloseDropDownForm) c->OnCloseDropDownForm(g, c, nullptr, Accept, params->DropDownForm(), dp.get());
    if (HandleAllocated())
        PostMessage(Handle(), WM_USER, WPARAM(Handle()), button ? LPARAM(button) : LPARAM(c));
}

// ---------------------------------------------------------------------------------------------
// Image, focus, mouse

void TDBAxisGridInplaceEdit::UpdateImageIndex() {
    TAxisBarEh* c = GetAxisBar();
    if (!c || !c->ImageList()) return;
    int i = -1;
    TField* f = c->Field();
    if (!c->HasPickList()) {
        if (f) {
            const TFieldType t = f->DataType();
            if (t == ftSmallint || t == ftInteger || t == ftWord || t == ftFloat || t == ftCurrency ||
                t == ftBCD || t == ftFMTBcd)
                i = FieldValueAsInteger(f, -1);
        }
    } else if (TCustomDBAxisGridEh* g = GetGrid()) {
        i = c->PickList()->IndexOf(g->EditTextValue());
    }
    if (i == -1) i = c->NotInKeyListIndex();
    if (i != FImageIndex) {
        FImageIndex = i;
        Invalidate();
        PaintEditorWindow();
    }
}

TRect TDBAxisGridInplaceEdit::GetImageRect() {
    TAxisBarEh* c = GetAxisBar();
    TCustomDBAxisGridEh* g = GetGrid();
    const int iw = c && c->ImageList() ? c->ImageList()->Width() : 0;
    TRect r(2, 0, iw + 2, Height());
    if (g && c && g->VisibleAxisBars()->Count() > 0 && g->VisibleAxisBars()->Items(0) == c) {
        const int w = g->GetCellTreeElmentsAreaWidth();
        r = TRect(w + 2, 0, w + iw + 2, Height());
    }
    if (UseRightToLeftAlignment()) r.Offset(ClientWidth() - iw - 2, 0);
    return r;
}

void TDBAxisGridInplaceEdit::PaintEditorWindow() {
    TAxisBarEh* c = GetAxisBar();
    const bool show = c && c->ImageList() && c->ShowImageAndText() && Visible() && FImageIndex >= 0;
    if (!show) {
        if (FImageBox) FImageBox->SetVisible(false);
        return;
    }
    if (!FImageBox) {
        FImageBox = new TInplaceImageBox(this);
        FImageBox->SetParent(this);
    }
    const TRect r = GetImageRect();
    FImageBox->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    FImageBox->SetVisible(true);
    FImageBox->Invalidate();
}

void TDBAxisGridInplaceEdit::UserTextChanged() {
    if (FQuietText > 0) return;
    FUserTextChanged = true;
    UpdateImageIndex();
}

bool TDBAxisGridInplaceEdit::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    if (FListVisible) return true;
    return TInplaceEdit::DoMouseWheel(Shift, WheelDelta, MousePos);
}

void TDBAxisGridInplaceEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TInplaceEdit::MouseDown(Button, Shift, X, Y);
    TAxisBarEh* c = GetAxisBar();
    if (c && Shift.Contains(ssDouble) && c->DblClickNextVal())
        c->CycleValue(Shift.Contains(ssShift) ? -1 : 1);
}
