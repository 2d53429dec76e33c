// Speed buttons and bitmap buttons.

#include "platform/ui/Buttons.h"

#include "platform/ui/Forms.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinGdi.h"
#include "platform/ui/WindowBridge.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>

namespace {
// One image of a glyph strip, with the transparent colour made transparent.
QImage GlyphImage(TBitmap* glyph, int numGlyphs, TButtonState state) {
    if (!glyph || glyph->Empty()) return {};
    int n = std::max(1, numGlyphs);
    int w = glyph->Width() / n;
    int i = 0;
    switch (state) {
    case bsDisabled:
        i = n > 1 ? 1 : 0;
        break;
    case bsDown:
        i = n > 2 ? 2 : 0;
        break;
    case bsExclusive:
        i = n > 3 ? 3 : (n > 2 ? 2 : 0);
        break;
    default:
        i = 0;
    }
    QImage img = glyph->ToImage().copy(i * w, 0, w, glyph->Height()).convertToFormat(QImage::Format_ARGB32);
    if (!img.hasAlphaChannel() || img.pixel(0, img.height() - 1) >> 24 == 0xFF) {
        QRgb t = img.pixel(0, img.height() - 1);
        for (int y = 0; y < img.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                if ((line[x] & 0xFFFFFF) == (t & 0xFFFFFF)) line[x] = 0;
        }
    }
    if (state == bsDisabled && n == 1) {
        // The platform greys a glyph that has no disabled image.
        for (int y = 0; y < img.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                if (qAlpha(line[x])) line[x] = qRgba(160, 160, 160, qAlpha(line[x]));
        }
    }
    return img;
}
} // namespace

// ---------------------------------------------------------------------------------------------
TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner) {
    FControlStyle = {csCaptureMouse, csDoubleClicks};
    FGlyph = std::make_unique<TBitmap>();
    FGlyph->OnChange = TNotifyEvent(this, &TSpeedButton::GlyphChanged);
    SetBounds(0, 0, 23, 22);
}
TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::GlyphChanged(TObject*) {
    Invalidate();
}
void TSpeedButton::SetGlyph(TBitmap* v) {
    if (v)
        FGlyph->Assign(v);
    else
        FGlyph->SetSize(0, 0);
    Invalidate();
}
void TSpeedButton::SetNumGlyphs(TNumGlyphs v) {
    FNumGlyphs = std::clamp(v, 1, 4);
    Invalidate();
}
void TSpeedButton::SetLayout(TButtonLayout v) {
    FLayout = v;
    Invalidate();
}
void TSpeedButton::SetMargin(int v) {
    FMargin = v;
    Invalidate();
}
void TSpeedButton::SetSpacing(int v) {
    FSpacing = v;
    Invalidate();
}
void TSpeedButton::SetTransparent(bool v) {
    FTransparent = v;
    Invalidate();
}
void TSpeedButton::SetFlat(bool v) {
    FFlat = v;
    Invalidate();
}
void TSpeedButton::SetAllowAllUp(bool v) {
    FAllowAllUp = v;
    UpdateExclusive();
}
void TSpeedButton::SetGroupIndex(int v) {
    FGroupIndex = v;
    UpdateExclusive();
}

void TSpeedButton::SetDown(bool v) {
    if (FGroupIndex == 0) v = false;
    if (v == FDown) return;
    if (FDown && !FAllowAllUp) return;
    FDown = v;
    if (v) {
        if (FState == bsUp) Invalidate();
        FState = bsExclusive;
    } else {
        FState = bsUp;
        Repaint();
    }
    if (v) UpdateExclusive();
}

void TSpeedButton::UpdateExclusive() {
    if (FGroupIndex == 0 || !FParent) return;
    TMessage m{CM_BUTTONPRESSED, WPARAM(FGroupIndex), LPARAM(this), 0};
    FParent->Broadcast(m);
}

void TSpeedButton::Click() {
    TGraphicControl::Click();
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && Enabled()) {
        if (!FDown) {
            FState = bsDown;
            Invalidate();
        }
        FDragging = true;
    }
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!FDragging) return;
    TButtonState ns = FDown ? bsExclusive : bsUp;
    if (X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight()) ns = FDown ? bsExclusive : bsDown;
    if (ns != FState) {
        FState = ns;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (!FDragging) return;
    FDragging = false;
    bool doClick = X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight();
    if (FGroupIndex == 0) {
        FState = bsUp;
        Invalidate();
    } else if (doClick) {
        SetDown(!FDown);
        if (FDown) Repaint();
    } else {
        if (FDown) FState = bsExclusive;
        Repaint();
    }
    if (doClick) Click();
}

void TSpeedButton::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_BUTTONPRESSED: {
        auto* sender = reinterpret_cast<TSpeedButton*>(Message.LParam);
        if (int(Message.WParam) == FGroupIndex && sender != this) {
            if (sender->Down() && FDown) {
                FDown = false;
                FState = bsUp;
                Invalidate();
            }
            FAllowAllUp = sender->AllowAllUp();
        }
        return;
    }
    case CM_ENABLEDCHANGED:
        FState = Enabled() ? (FDown ? bsExclusive : bsUp) : bsDisabled;
        Invalidate();
        return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        TGraphicControl::Dispatch(Message);
        if (FFlat) Invalidate();
        return;
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        Invalidate();
        return;
    case CM_DIALOGCHAR:
        if (IsAccel(Word(Message.WParam), Caption()) && Enabled() && Visible() && FParent &&
            FParent->Showing()) {
            Click();
            Message.Result = 1;
        }
        return;
    }
    TGraphicControl::Dispatch(Message);
}

void TSpeedButton::DrawGlyphAndCaption(TCanvas* c, const TRect& Rect, TButtonState State) {
    QImage img = GlyphImage(FGlyph.get(), FNumGlyphs, State);
    String cap = Caption();
    c->Font()->Assign(Font());
    TSize ts = cap.isEmpty()
                   ? TSize()
                   : c->TextExtent(cap.contains(QLatin1Char('&')) ? cap.remove(QLatin1Char('&')) : cap);
    cap = Caption();
    int gw = img.width(), gh = img.height();
    bool horiz = FLayout == blGlyphLeft || FLayout == blGlyphRight;
    int spacing = (gw && ts.cx) ? FSpacing : 0;
    int total = horiz ? gw + spacing + ts.cx : gh + spacing + ts.cy;
    int extent = horiz ? Rect.Width() : Rect.Height();
    int start = FMargin < 0 ? (extent - total) / 2 : FMargin;
    TPoint gp, tp;
    if (horiz) {
        int gx = FLayout == blGlyphLeft ? start : extent - start - gw;
        int tx = FLayout == blGlyphLeft ? start + gw + spacing : extent - start - gw - spacing - ts.cx;
        gp = {Rect.Left + gx, Rect.Top + (Rect.Height() - gh) / 2};
        tp = {Rect.Left + tx, Rect.Top + (Rect.Height() - ts.cy) / 2};
    } else {
        int gy = FLayout == blGlyphTop ? start : extent - start - gh;
        int ty = FLayout == blGlyphTop ? start + gh + spacing : extent - start - gh - spacing - ts.cy;
        gp = {Rect.Left + (Rect.Width() - gw) / 2, Rect.Top + gy};
        tp = {Rect.Left + (Rect.Width() - ts.cx) / 2, Rect.Top + ty};
    }
    if (State == bsDown || State == bsExclusive) gp.Offset(1, 1), tp.Offset(1, 1);
    if (!img.isNull())
        if (QPainter* p = DCPainter(c->Handle())) p->drawImage(gp.X, gp.Y, img);
    if (!cap.isEmpty()) {
        HDC dc = c->Handle();
        SetBkMode(dc, TRANSPARENT);
        SelectObject(dc, Font()->Handle());
        SetTextColor(dc, ColorToRGB(State == bsDisabled ? clGrayText : Font()->Color()));
        TRect tr = Bounds(tp.X, tp.Y, ts.cx + 1, ts.cy);
        DrawText(dc, cap, -1, &tr, DT_SINGLELINE | DT_LEFT | DT_TOP);
    }
}

void TSpeedButton::Paint() {
    TCanvas* c = Canvas();
    if (!Enabled()) {
        FState = bsDisabled;
        FDragging = false;
    } else if (FState == bsDisabled) {
        FState = FDown && FGroupIndex ? bsExclusive : bsUp;
    }
    TRect r = ClientRect();
    bool hot = FMouseInControl && Enabled();
    QPainter* p = DCPainter(c->Handle());
    if (ThemesInUse() && p && QApplication::style()) {
        QStyleOptionButton opt;
        opt.rect = QRect(r.Left, r.Top, r.Width(), r.Height());
        opt.palette = QApplication::palette();
        opt.state = QStyle::State_None;
        if (Enabled()) opt.state |= QStyle::State_Enabled;
        if (hot) opt.state |= QStyle::State_MouseOver;
        if (FState == bsDown || FState == bsExclusive)
            opt.state |= QStyle::State_Sunken | QStyle::State_On;
        else
            opt.state |= QStyle::State_Raised;
        if (!FFlat || hot || FState == bsDown || FState == bsExclusive) {
            if (FFlat)
                QApplication::style()->drawPrimitive(QStyle::PE_PanelButtonTool, &opt, p, nullptr);
            else
                QApplication::style()->drawControl(QStyle::CE_PushButtonBevel, &opt, p, nullptr);
        } else if (!FTransparent) {
            c->Brush()->SetColor(FColor);
            c->FillRect(r);
        }
    } else {
        c->Brush()->SetColor(clBtnFace);
        if (!FFlat || hot || FState == bsDown || FState == bsExclusive || !FTransparent) c->FillRect(r);
        TRect e = r;
        if (FState == bsDown || FState == bsExclusive)
            DrawEdge(c->Handle(), &e, FFlat ? BDR_SUNKENOUTER : EDGE_SUNKEN, BF_RECT);
        else if (!FFlat)
            DrawEdge(c->Handle(), &e, EDGE_RAISED, BF_RECT);
        else if (hot)
            DrawEdge(c->Handle(), &e, BDR_RAISEDINNER, BF_RECT);
    }
    r.Inflate(-2, -2);
    DrawGlyphAndCaption(c, r, FState);
}

// ---------------------------------------------------------------------------------------------
namespace {
struct TKindInfo {
    const char* Caption;
    int ModalResult;
    QStyle::StandardPixmap Icon;
};
const TKindInfo Kinds[] = {
    {"", 0, QStyle::SP_CustomBase},
    {"OK", 1, QStyle::SP_DialogOkButton},
    {"Отмена", 2, QStyle::SP_DialogCancelButton},
    {"&Справка", 0, QStyle::SP_DialogHelpButton},
    {"&Да", 6, QStyle::SP_DialogYesButton},
    {"&Нет", 7, QStyle::SP_DialogNoButton},
    {"&Закрыть", 0, QStyle::SP_DialogCloseButton},
    {"Прервать", 3, QStyle::SP_BrowserStop},
    {"&Повтор", 4, QStyle::SP_BrowserReload},
    {"&Пропустить", 5, QStyle::SP_ArrowRight},
    {"&Все", 12, QStyle::SP_DialogApplyButton},
};
} // namespace

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner) {
    FGlyph = std::make_unique<TBitmap>();
    FGlyph->OnChange = TNotifyEvent(this, &TBitBtn::GlyphChanged);
}
TBitBtn::~TBitBtn() = default;

void TBitBtn::GlyphChanged(TObject*) {
    if (!FGlyph->Empty()) FKind = bkCustom;
    UpdateIcon();
}
void TBitBtn::SetGlyph(TBitmap* v) {
    if (v)
        FGlyph->Assign(v);
    else
        FGlyph->SetSize(0, 0);
    UpdateIcon();
}
void TBitBtn::SetNumGlyphs(TNumGlyphs v) {
    FNumGlyphs = std::clamp(v, 1, 4);
    UpdateIcon();
}
void TBitBtn::SetLayout(TButtonLayout v) {
    FLayout = v;
    UpdateIcon();
}

void TBitBtn::SetKind(TBitBtnKind v) {
    FKind = v;
    if (v != bkCustom) {
        const TKindInfo& k = Kinds[v];
        SetCaption(QString::fromUtf8(k.Caption));
        SetModalResult(k.ModalResult);
        if (v == bkOK || v == bkYes) SetDefault(true);
        if (v == bkCancel || v == bkNo) SetCancel(true);
    }
    UpdateIcon();
}

void TBitBtn::InitWidget() {
    TButton::InitWidget();
    UpdateIcon();
}

void TBitBtn::UpdateIcon() {
    auto* b = qobject_cast<QPushButton*>(FWidget);
    if (!b) return;
    QIcon icon;
    if (!FGlyph->Empty())
        icon = QIcon(QPixmap::fromImage(GlyphImage(FGlyph.get(), FNumGlyphs, bsUp)));
    else if (FKind != bkCustom && QApplication::style())
        icon = QApplication::style()->standardIcon(Kinds[FKind].Icon);
    b->setIcon(icon);
    b->setLayoutDirection(FLayout == blGlyphRight ? Qt::RightToLeft : Qt::LeftToRight);
}

void TBitBtn::Click() {
    // A close button closes its form (also when it is not modal).
    if (FKind == bkClose)
        if (TCustomForm* f = GetParentForm(this)) {
            f->Close();
            TControl::Click();
            return;
        }
    TButton::Click();
}
