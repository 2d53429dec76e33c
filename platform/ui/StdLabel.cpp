// List-control strings, labels, group boxes and static texts.

#include "platform/ui/StdCtrls.h"

#include "platform/ui/Forms.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinGdi.h"
#include "platform/ui/WindowBridge.h"

#include <QApplication>
#include <QCollator>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionGroupBox>

// ---------------------------------------------------------------------------------------------
void TCustomListControlItems::Check(int Index) const {
    if (Index < 0 || Index >= int(FItems.size()))
        Error(QStringLiteral("List index out of bounds (%d)"), Index);
}
String TCustomListControlItems::Get(int Index) const {
    Check(Index);
    return FItems[size_t(Index)].S;
}
TObject* TCustomListControlItems::GetObject(int Index) const {
    Check(Index);
    return FItems[size_t(Index)].Object;
}
void TCustomListControlItems::Put(int Index, const String& S) {
    Check(Index);
    FItems[size_t(Index)].S = S;
    FHost->ItemChanged(Index);
}
void TCustomListControlItems::PutObject(int Index, TObject* AObject) {
    Check(Index);
    FItems[size_t(Index)].Object = AObject;
}
int TCustomListControlItems::Add(const String& S) {
    return AddObject(S, nullptr);
}
int TCustomListControlItems::AddObject(const String& S, TObject* AObject) {
    int i = int(FItems.size());
    if (FHost->ItemsSorted()) {
        // Sorted lists place a new item by the locale's collation, case-insensitively.
        QCollator col;
        col.setCaseSensitivity(Qt::CaseInsensitive);
        i = 0;
        while (i < int(FItems.size()) && col.compare(FItems[size_t(i)].S, S) <= 0)
            ++i;
    }
    InsertObject(i, S, AObject);
    return i;
}
void TCustomListControlItems::Insert(int Index, const String& S) {
    InsertObject(Index, S, nullptr);
}
void TCustomListControlItems::InsertObject(int Index, const String& S, TObject* AObject) {
    if (Index < 0 || Index > int(FItems.size()))
        Error(QStringLiteral("List index out of bounds (%d)"), Index);
    FItems.insert(FItems.begin() + Index, TItem{S, AObject, 0});
    FHost->ItemsInserted(Index);
}
void TCustomListControlItems::Delete(int Index) {
    Check(Index);
    FItems.erase(FItems.begin() + Index);
    FHost->ItemDeleted(Index);
}
void TCustomListControlItems::Clear() {
    FItems.clear();
    FHost->ItemsCleared();
}
void TCustomListControlItems::Exchange(int Index1, int Index2) {
    Check(Index1);
    Check(Index2);
    std::swap(FItems[size_t(Index1)], FItems[size_t(Index2)]);
    FHost->ItemChanged(Index1);
    FHost->ItemChanged(Index2);
}
void TCustomListControlItems::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    Check(CurIndex);
    Check(NewIndex);
    // The entry moves whole, so the control's per-item value goes with it.
    TItem item = FItems[size_t(CurIndex)];
    FItems.erase(FItems.begin() + CurIndex);
    FHost->ItemDeleted(CurIndex);
    FItems.insert(FItems.begin() + NewIndex, std::move(item));
    FHost->ItemsInserted(NewIndex);
}
uint32_t TCustomListControlItems::ItemData(int Index) const {
    Check(Index);
    return FItems[size_t(Index)].Data;
}
void TCustomListControlItems::SetItemData(int Index, uint32_t v) {
    Check(Index);
    FItems[size_t(Index)].Data = v;
}
void TCustomListControlItems::SortItems() {
    QCollator col;
    col.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(FItems.begin(), FItems.end(),
                     [&](auto& a, auto& b) { return col.compare(a.S, b.S) < 0; });
    FHost->ItemsUpdating(true);
    FHost->ItemsUpdating(false);
}
void TCustomListControlItems::SetUpdateState(bool Updating) {
    FHost->ItemsUpdating(Updating);
}

// ---------------------------------------------------------------------------------------------
TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
    FControlStyle = {csReplicatable, csSetCaption};
    FAutoSize = true;
    FColor = clBtnFace;
    SetBounds(0, 0, 65, 17);
}

void TCustomLabel::SetAlignment(TAlignment v) {
    if (FAlignment == v) return;
    FAlignment = v;
    Invalidate();
}
void TCustomLabel::SetLayout(TTextLayout v) {
    if (FLayout == v) return;
    FLayout = v;
    Invalidate();
}
void TCustomLabel::SetWordWrap(bool v) {
    if (FWordWrap == v) return;
    FWordWrap = v;
    AdjustBounds();
    Invalidate();
}
void TCustomLabel::SetTransparent(bool v) {
    FTransparent = v;
    Invalidate();
}
void TCustomLabel::SetShowAccelChar(bool v) {
    FShowAccelChar = v;
    AdjustBounds();
    Invalidate();
}
void TCustomLabel::SetFocusControl(TWinControl* v) {
    if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
    FFocusControl = v;
    if (v) v->FreeNotification(this);
}
void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}
void TCustomLabel::SetAutoSize(bool v) {
    TGraphicControl::SetAutoSize(v);
    AdjustBounds();
}
void TCustomLabel::AdjustSize() {
    AdjustBounds();
}

void TCustomLabel::DoDrawText(TRect& Rect, UINT Flags) {
    String text = GetLabelText();
    if ((Flags & DT_CALCRECT) && (text.isEmpty() || (FShowAccelChar && text == QLatin1String("&"))))
        text += QLatin1Char(' ');
    if (!FShowAccelChar) Flags |= DT_NOPREFIX;
    Flags = DrawTextBiDiModeFlags(Flags);
    HDC dc = Canvas()->Handle();
    SelectObject(dc, Font()->Handle());
    SetBkMode(dc, TRANSPARENT);
    if (!Enabled()) {
        // Disabled text: highlighted copy one pixel down-right, then the shadow colour.
        SetTextColor(dc, ColorToRGB(clBtnHighlight));
        TRect r = Rect;
        r.Offset(1, 1);
        DrawText(dc, text, -1, &r, Flags);
        SetTextColor(dc, ColorToRGB(clBtnShadow));
    } else {
        SetTextColor(dc, ColorToRGB(Font()->Color()));
    }
    DrawText(dc, text, -1, &Rect, Flags);
}

void TCustomLabel::Paint() {
    static const UINT Alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    static const UINT WordWraps[] = {0, DT_WORDBREAK};
    TRect r = ClientRect();
    if (!FTransparent) {
        Canvas()->Brush()->SetColor(FColor);
        Canvas()->Brush()->SetStyle(bsSolid);
        Canvas()->FillRect(r);
    }
    Canvas()->Brush()->SetStyle(bsClear);
    UINT flags = DT_EXPANDTABS | WordWraps[FWordWrap] | Alignments[FAlignment];
    if (FEndEllipsis) flags |= DT_END_ELLIPSIS;
    if (FLayout != tlTop) {
        TRect calc = r;
        DoDrawText(calc, flags | DT_CALCRECT);
        int dy = FLayout == tlBottom ? r.Height() - calc.Height() : (r.Height() - calc.Height()) / 2;
        r.Top += dy;
    }
    DoDrawText(r, flags);
}

void TCustomLabel::AdjustBounds() {
    if (ComponentState().Contains(csLoading) || !FAutoSize) return;
    TRect r = ClientRect();
    HDC dc = ScreenDC();
    Canvas()->SetHandle(dc);
    Canvas()->Font()->Assign(Font());
    UINT flags = DT_EXPANDTABS | DT_CALCRECT | (FWordWrap ? UINT(DT_WORDBREAK) : 0u);
    DoDrawText(r, flags);
    Canvas()->SetHandle(nullptr);
    int x = FLeft;
    TAlignment a = FAlignment;
    if (UseRightToLeftAlignment() && a != taCenter) a = a == taLeftJustify ? taRightJustify : taLeftJustify;
    if (a == taRightJustify) x += FWidth - r.Right;
    SetBounds(x, FTop, r.Right, r.Bottom);
}

void TCustomLabel::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        Invalidate();
        AdjustBounds();
        return;
    case CM_DIALOGCHAR:
        if (FFocusControl && Enabled() && FShowAccelChar && IsAccel(Word(Message.WParam), Caption()) &&
            FFocusControl->CanFocus()) {
            FFocusControl->SetFocus();
            Message.Result = 1;
        }
        return;
    }
    TGraphicControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
    FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents,     csSetCaption,
                     csDoubleClicks,    csReplicatable, csParentBackground};
    FColor = clBtnFace;
    FBrush->SetColor(FColor);
    SetBounds(0, 0, 185, 105);
}

void TCustomGroupBox::AdjustClientRect(TRect& Rect) {
    TCustomControl::AdjustClientRect(Rect);
    Canvas()->SetHandle(ScreenDC());
    Canvas()->Font()->Assign(Font());
    Rect.Top += Canvas()->TextHeight(QStringLiteral("0"));
    Canvas()->SetHandle(nullptr);
    Rect.Inflate(-1, -1);
    if (Ctl3D()) Rect.Inflate(-1, -1);
}

void TCustomGroupBox::Paint() {
    TCanvas* c = Canvas();
    c->Font()->Assign(Font());
    int h = c->TextHeight(QStringLiteral("0"));
    if (!ParentBackground()) {
        c->Brush()->SetColor(FColor);
        c->FillRect(ClientRect());
    }
    // The etched frame of the platform's group box, the caption breaking its top line.
    TRect r{0, h / 2 - 1, FWidth, FHeight};
    DrawEdge(c->Handle(), &r, EDGE_ETCHED, BF_RECT);
    if (FText.isEmpty()) return;
    HDC dc = c->Handle();
    SelectObject(dc, Font()->Handle());
    TRect tr{0, 0, 0, 0};
    String s = FText;
    DrawText(dc, s, -1, &tr, DT_SINGLELINE | DT_CALCRECT);
    tr.Offset(8, 0);
    tr.Right += 4;
    TColor bg = FColor;
    for (TWinControl* w = this; w && w->ParentBackground() && w->Parent(); w = w->Parent())
        bg = w->Parent()->Brush()->Color();
    c->Brush()->SetColor(bg);
    c->FillRect(tr);
    tr.Left += 2;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Enabled() ? Font()->Color() : clGrayText));
    DrawText(dc, s, -1, &tr, DT_SINGLELINE | DT_LEFT | DT_TOP);
}

void TCustomGroupBox::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        Realign();
        Invalidate();
        return;
    case CM_DIALOGCHAR:
        if (IsAccel(Word(Message.WParam), FText) && CanFocus()) {
            for (auto* c : FTabList)
                if (c->CanFocus() && c->TabStop()) {
                    c->SetFocus();
                    Message.Result = 1;
                    return;
                }
            return;
        }
        break;
    }
    TCustomControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
TCustomStaticText::TCustomStaticText(TComponent* AOwner) : TWinControl(AOwner) {
    FControlStyle = {csCaptureMouse, csClickEvents, csSetCaption, csReplicatable, csDoubleClicks};
    FAutoSize = true;
    FColor = clBtnFace;
    SetBounds(0, 0, 65, 17);
}
void TCustomStaticText::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    if (FBorderStyle == sbsSunken)
        Params.ExStyle |= WS_EX_STATICEDGE;
    else if (FBorderStyle == sbsSingle)
        Params.Style |= WS_BORDER;
}
QWidget* TCustomStaticText::CreateWidget(const TCreateParams&, QWidget* ParentWidget) {
    auto* l = new QLabel(ParentWidget);
    l->setFocusPolicy(Qt::NoFocus);
    return l;
}
void TCustomStaticText::InitWidget() {
    auto* l = static_cast<QLabel*>(FWidget);
    String t = FText;
    if (FShowAccelChar) {
        // Qt labels show "&x" literally; the accelerator mark is dropped from the text.
        String r;
        for (int i = 0; i < t.size(); ++i) {
            if (t[i] == QLatin1Char('&') && i + 1 < t.size()) {
                ++i;
            }
            r += t[i];
        }
        t = r;
    }
    l->setText(t);
    l->setTextFormat(Qt::PlainText);
    Qt::Alignment a = FAlignment == taRightJustify ? Qt::AlignRight
                      : FAlignment == taCenter     ? Qt::AlignHCenter
                                                   : Qt::AlignLeft;
    l->setAlignment(a | Qt::AlignTop);
    l->setFrameStyle(FBorderStyle == sbsSunken   ? (QFrame::Panel | QFrame::Sunken)
                     : FBorderStyle == sbsSingle ? (QFrame::Box | QFrame::Plain)
                                                 : QFrame::NoFrame);
    l->setAutoFillBackground(true);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, ColorToQColor(FColor));
    pal.setColor(QPalette::WindowText, ColorToQColor(FFont->Color()));
    l->setPalette(pal);
    l->setFont(FFont->ToQFont());
}
void TCustomStaticText::SetAlignment(TAlignment v) {
    FAlignment = v;
    if (FWidget) InitWidget();
}
void TCustomStaticText::SetBorderStyle(TStaticBorderStyle v) {
    FBorderStyle = v;
    if (FWidget) InitWidget();
    AdjustBounds();
}
void TCustomStaticText::SetShowAccelChar(bool v) {
    FShowAccelChar = v;
    if (FWidget) InitWidget();
}
void TCustomStaticText::SetAutoSize(bool v) {
    TWinControl::SetAutoSize(v);
    AdjustBounds();
}
void TCustomStaticText::AdjustBounds() {
    if (!FAutoSize || ComponentState().Contains(csLoading)) return;
    QFontMetrics fm(FFont->ToQFont());
    String t = FText;
    t.remove(QLatin1Char('&'));
    int extra = FBorderStyle == sbsNone ? 2 : FBorderStyle == sbsSingle ? 6 : 8;
    int w = fm.horizontalAdvance(t.isEmpty() ? QStringLiteral(" ") : t) + extra;
    int h = fm.height() + extra;
    int x = FLeft;
    if (FAlignment == taRightJustify) x += FWidth - w;
    SetBounds(x, FTop, w, h);
}
void TCustomStaticText::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
    case CM_COLORCHANGED:
        if (FWidget) InitWidget();
        AdjustBounds();
        return;
    case CM_DIALOGCHAR:
        if (FFocusControl && Enabled() && FShowAccelChar && IsAccel(Word(Message.WParam), FText) &&
            FFocusControl->CanFocus()) {
            FFocusControl->SetFocus();
            Message.Result = 1;
        }
        return;
    }
    TWinControl::Dispatch(Message);
}
