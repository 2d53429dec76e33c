// The drop-down list of lookup cells: a floating window that never takes the focus, follows the
// pointer, asks its owner to close on a mouse release and marks the typed text in its first
// column. Also the factory that gives grid columns their drop-down list.

#include "lib/dbgrid/DBLookupGridsEh.h"

#include "platform/ui/Forms.h"
#include "platform/ui/WinApi.h"
#include "platform/ui/WinGdi.h"

#include <QWidget>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

struct FlagScope {
    bool& Flag;
    bool Old;
    explicit FlagScope(bool& f) : Flag(f), Old(f) { Flag = true; }
    ~FlagScope() { Flag = Old; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;
};

TComponent* MakePopupDataGrid(TAxisBarEh* Column) {
    auto* grid = Create<TPopupDataGridEh>(nullptr);
    grid->SetOwnerColumn(Column);
    return grid;
}

const bool Registered = (RegisterLookupGridsEh(), true);

} // namespace

void RegisterLookupGridsEh() {
    DataListFactoryEh = &MakePopupDataGrid;
    TClass hook = &TPopupDataGridEhStyleHook::StaticClassInfo();
    TStyleManager::RegisterStyleHook(&TDBLookupGridEh::StaticClassInfo(), hook);
    TStyleManager::RegisterStyleHook(&TPopupDataGridEh::StaticClassInfo(), hook);
}

void TPopupDataGridEhStyleHook::WndProc(TMessage& Message) {
    TScrollingStyleHook::WndProc(Message);
    // The control painted itself; the styled scroll bars go over its own.
    if (Message.Msg == WM_PAINT) PaintScroll();
}

// The data grid's sort-marker style is its titles' (the editor hands it on to its lookup list).
TSortMarkerStyleEh TCustomDBGridEh::GetSortMarkerStyle() {
    (void)Registered;
    return TitleParams()->SortMarkerStyle();
}

// The column's drop-down list events live in its list grid.
namespace {
TCustomDBGridEh* ListGridOf(TColumnEh* Column) {
    return dynamic_cast<TCustomDBGridEh*>(Column->GetDataList());
}
} // namespace

#define KVT_LIST_EVENT(Name, Type, Field)                                                                    \
    TColumnEh::Type TColumnEh::OnDropDownBox##Name() {                                                       \
        TCustomDBGridEh* g = ListGridOf(this);                                                               \
        return g ? g->Field : Type();                                                                        \
    }                                                                                                        \
    void TColumnEh::SetOnDropDownBox##Name(const Type& Value) {                                              \
        if (TCustomDBGridEh* g = ListGridOf(this)) g->Field = Value;                                         \
    }
KVT_LIST_EVENT(CheckButton, TListCheckButtonEvent, OnCheckButton)
KVT_LIST_EVENT(DrawColumnCell, TListDrawColumnCellEvent, OnDrawColumnCell)
KVT_LIST_EVENT(GetCellParams, TListGetCellParamsEvent, OnGetCellParams)
KVT_LIST_EVENT(TitleBtnClick, TListTitleBtnClickEvent, OnTitleBtnClick)
#undef KVT_LIST_EVENT

TNotifyEvent TColumnEh::OnDropDownBoxSortMarkingChanged() {
    TCustomDBGridEh* g = ListGridOf(this);
    return g ? g->OnSortMarkingChanged : TNotifyEvent();
}

void TColumnEh::SetOnDropDownBoxSortMarkingChanged(const TNotifyEvent& Value) {
    if (TCustomDBGridEh* g = ListGridOf(this)) g->OnSortMarkingChanged = Value;
}

// ---------------------------------------------------------------------------------------------
// TPopupDataGridEh

TPopupDataGridEh::TPopupDataGridEh(TComponent* AOwner) : TDBLookupGridEh(AOwner) {
    TControlStyle cs = ControlStyle();
    cs.Include(csNoDesignVisible);
    cs.Include(csReplicatable);
    SetControlStyle(cs);
    FPopup = true;
    FSizeGrip = new TSizeGripEh(this);
    FSizeGrip->SetParent(this);
    FSizeGrip->SetTriangleWindow(true);
    SetShowHint(true);
}

void TPopupDataGridEh::AfterConstruction() {
    TDBLookupGridEh::AfterConstruction();
    SetVisible(false);
}

TPopupDataGridEh::~TPopupDataGridEh() {
    if (FOwnerColumn) FOwnerColumn->DataListDestroyed(this);
    FOwnerColumn = nullptr;
}

void TPopupDataGridEh::UpdateBorderWidth() {
    SetBorderWidth(Ctl3D() && !CustomStyleInUse() ? 1 : 0);
}

void TPopupDataGridEh::CreateParams(TCreateParams& Params) {
    TDBLookupGridEh::CreateParams(Params);
    Params.Style |= WS_POPUP;
    Params.Style &= ~DWORD(WS_CHILD);
    if (!Ctl3D() || CustomStyleInUse()) Params.Style |= WS_BORDER;
    // WS_EX_NOACTIVATE stands in for the mouse-activation answer on platforms that ask none.
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    if (UseRightToLeftAlignment()) Params.ExStyle |= WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR | WS_EX_RTLREADING;
    Params.WindowClass.style = CS_SAVEBITS | CS_HREDRAW | CS_DROPSHADOW;
    UpdateBorderWidth();
}

QWidget* TPopupDataGridEh::CreateWidget(const TCreateParams& Params, QWidget*) {
    // A top-level window floating over every other one, whatever the control's parent.
    QWidget* w = TDBLookupGridEh::CreateWidget(Params, nullptr);
    if (w && !w->parentWidget()) {
        w->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                          Qt::WindowStaysOnTopHint);
        w->setAttribute(Qt::WA_ShowWithoutActivating, true);
        w->setFocusPolicy(Qt::NoFocus);
    }
    return w;
}

void TPopupDataGridEh::CreateWnd() {
    TDBLookupGridEh::CreateWnd();
    if (QWidget* w = Widget())
        for (QWidget* child : w->findChildren<QWidget*>())
            child->setFocusPolicy(Qt::NoFocus);
    FSizeGrip->UpdatePosition();
}

void TPopupDataGridEh::DrawNonClientBorder() {
    // A raised edge round the window unless the frame comes from the border style alone.
    if (Ctl3D() == CustomStyleInUse()) return;
    TRect r = ClientRect();
    DrawEdge(Canvas()->Handle(), r, BDR_RAISEDOUTER, BF_RECT);
}

void TPopupDataGridEh::ClampPopupSize(int& Width, int& Height) {
    Width = std::max(Width, GetSystemMetrics(SM_CXVSCROLL));
    Height = std::max(Height, GetSystemMetrics(SM_CYVSCROLL));
}

void TPopupDataGridEh::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    // Every size change of the window comes through here on this platform.
    if (!ComponentState().Contains(csReading) && !ComponentState().Contains(csDestroying))
        ClampPopupSize(AWidth, AHeight);
    TDBLookupGridEh::SetBounds(ALeft, ATop, AWidth, AHeight);
}

TRect TPopupDataGridEh::DataRect() {
    TRect r;
    TDBLookupGridEh::DataRect(r);
    return r;
}

void TPopupDataGridEh::SetTitleSortMarkerStyle(TSortMarkerStyleEh Value) {
    TitleParams()->SetSortMarkerStyle(Value);
}

void TPopupDataGridEh::KeyValueChanged() {
    TDBLookupGridEh::KeyValueChanged();
    if (FUserKeyValueChanged && OnUserKeyValueChange) OnUserKeyValueChange(this);
}

void TPopupDataGridEh::KeyDown(Word& Key, TShiftState Shift) {
    FlagScope user(FUserKeyValueChanged);
    TDBLookupGridEh::KeyDown(Key, Shift);
}

void TPopupDataGridEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FKeySelection = true;
    FlagScope user(FUserKeyValueChanged);
    TDBLookupGridEh::MouseDown(Button, Shift, X, Y);
    // A press on a tree node's sign opens or closes the node; it chooses nothing.
    if (ClickTreeNodeSign(X, Y, true)) FKeySelection = false;
}

void TPopupDataGridEh::MouseMove(TShiftState Shift, int X, int Y) {
    FlagScope user(FUserKeyValueChanged);
    TDBLookupGridEh::MouseMove(Shift, X, Y);
    // Without a button held the selection follows the pointer.
    if (!Shift.Contains(ssLeft) && !Shift.Contains(ssRight) && !Shift.Contains(ssMiddle) && !ReadOnly())
        SelectRecordAtPoint(X, Y);
}

void TPopupDataGridEh::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const bool normal = GridState() == gsNormal && GridEhState() == dgsNormal;
    TDBLookupGridEh::MouseUp(Button, Shift, X, Y);
    if (!normal || !FKeySelection || !OnMouseCloseUp) return;
    if (X < 0 || Y < 0 || X >= Width() || Y >= Height()) {
        OnMouseCloseUp(this, false);
        return;
    }
    const TGridCoord cell = MouseCoord(X, Y);
    const bool data = cell.X >= IndicatorOffset() && cell.X < ColCount() && cell.Y >= TopDataOffset() &&
                      cell.Y < TCustomGridEh::RowCount();
    const bool spec = SpecRowVisible() && cell.Y == SpecRowGridRow() && cell.X >= IndicatorOffset();
    if (data || spec) OnMouseCloseUp(this, true);
}

void TPopupDataGridEh::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case WM_MOUSEACTIVATE:
        Message.Result = MA_NOACTIVATE;
        return;
    case WM_SIZE:
        TDBLookupGridEh::WndProc(Message);
        FSizeGrip->UpdatePosition();
        FSizeGripResized = true;
        Repaint();
        return;
    case WM_USER_SIZEGRIPSIDE:
        // The placement routine tells on which side of the editor the list went.
        FSizeGrip->ChangePosition(TSizeGripChangePosition(Message.WParam & 0xFF));
        return;
    case CM_CTL3DCHANGED:
        TDBLookupGridEh::WndProc(Message);
        UpdateBorderWidth();
        if (HandleAllocated()) RecreateWnd();
        return;
    default:
        break;
    }
    TDBLookupGridEh::WndProc(Message);
}

// ---------------------------------------------------------------------------------------------
// Search-text highlight

void TPopupDataGridEh::ResetHighlightSubstr(const String& Text) {
    FHighlightTextParams->ColumnsList()->Clear();
    FHighlightTextParams->SetText(String());
    if (!Text.isEmpty() && Columns()->Count() > 0) {
        FHighlightTextParams->SetCaseInsensitivity(true);
        FHighlightTextParams->SetText(Text);
        FHighlightTextParams->SetColor(TColor(0x0096FFFF)); // RGB(255, 255, 150)
        FHighlightTextParams->ColumnsList()->Add(Columns()->Columns(0));
    }
    Invalidate();
}

void TPopupDataGridEh::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    TDBLookupGridEh::DrawCell(ACol, ARow, ARect, AState);
    const String needle = FHighlightTextParams->Text();
    if (needle.isEmpty() || ARow < TopDataOffset() || ACol < IndicatorOffset() || !DataLink()->Active())
        return;
    const int dataCol = ACol - IndicatorOffset();
    TColumnEh* column = DataColumn(dataCol);
    if (!column || FHighlightTextParams->ColumnsList()->IndexOf(column) < 0) return;
    if (column->Alignment() != taLeftJustify || ARow - TopDataOffset() >= FullDataRowCount()) return;
    String text;
    {
        InstantReadRowEnter(ARow - TopDataOffset());
        text = column->DisplayText();
        InstantReadRowLeave();
    }
    const Qt::CaseSensitivity cs =
        FHighlightTextParams->CaseInsensitivity() ? Qt::CaseInsensitive : Qt::CaseSensitive;
    if (text.indexOf(needle, 0, cs) < 0) return;
    // The cell's text is written again over its own background with the matches marked under it.
    TCanvas* c = Canvas();
    TFont* font = c->Font();
    font->Assign(column->Font());
    TColor back = column->Color();
    {
        InstantReadRowEnter(ARow - TopDataOffset());
        HighlightDataCellColor(dataCol, ARow - TopDataOffset(), font, back, AState, text);
        InstantReadRowLeave();
    }
    const TColor textColor = font->Color();
    TRect inner = ARect;
    inner.Inflate(-1, -1);
    c->Brush()->SetColor(back);
    c->FillRect(inner);
    // The cell painter indents left-aligned text by its offset twice (margin and shift).
    const int x = PaintStyle().GetDataCellHorzOffset(this, column);
    const int left = ARect.Left + 2 * x;
    const int top = ARect.Top + ARect.Height() / 2 - c->TextHeight(QStringLiteral("Wg")) / 2;
    std::vector<std::pair<int, int>> marks;
    for (int at = text.indexOf(needle, 0, cs); at >= 0; at = text.indexOf(needle, at + needle.size(), cs)) {
        const int x0 = left + c->TextWidth(text.left(at));
        if (x0 >= inner.Right) break;
        marks.emplace_back(at, x0);
        const int x1 = left + c->TextWidth(text.left(at + needle.size()));
        c->Brush()->SetColor(FHighlightTextParams->Color());
        c->FillRect(TRect(x0, inner.Top, std::min(x1, inner.Right), inner.Bottom));
    }
    c->Brush()->SetStyle(bsClear);
    font->SetColor(textColor);
    c->TextRect(inner, left, top, text);
    // The marked parts read dark on the pale mark, also in the selected row.
    font->SetColor(clWindowText);
    for (const auto& [at, x0] : marks)
        c->TextRect(inner, x0, top, text.mid(at, needle.size()));
    c->Brush()->SetStyle(bsSolid);
}
