// The shared grid resources. The glyphs are drawn here on a 10-unit grid and scaled to the list's
// size; the masked lists get them on a key colour that AddMasked turns transparent.

#include "lib/dbgrid/DBGridEhRes.h"

#include "platform/ui/Clipbrd.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Themes.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace {

enum TGlyphEh {
    glFirst,
    glPrior,
    glNext,
    glLast,
    glInsert,
    glDelete,
    glEdit,
    glPost,
    glCancel,
    glRefresh,
    glCross,
    glDown,
    glUp,
    glDots,
    glFunnel,
    glChequer,
    glFaintPencil,
    glBlank
};

const QColor kInk(0x30, 0x30, 0x30);
const QColor kGrey(0xA0, 0xA0, 0xA0);
const QColor kKey(0xFF, 0x00, 0xFF); // the masked lists' transparent colour

void Triangle(QPainter& p, QPointF a, QPointF b, QPointF c) {
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    p.fillPath(path, p.brush());
}

// Draws glyph G in a 10 x 10 unit square with colour C.
void DrawGlyph(QPainter& p, TGlyphEh G, const QColor& C) {
    p.setBrush(C);
    QPen pen(C, 1.2);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    switch (G) {
    case glFirst:
        p.fillRect(QRectF(1.5, 1.5, 1.5, 7), C);
        Triangle(p, {8.5, 1.5}, {8.5, 8.5}, {3.5, 5});
        break;
    case glPrior:
        Triangle(p, {7.5, 1.5}, {7.5, 8.5}, {2.5, 5});
        break;
    case glNext:
        Triangle(p, {2.5, 1.5}, {2.5, 8.5}, {7.5, 5});
        break;
    case glLast:
        Triangle(p, {1.5, 1.5}, {1.5, 8.5}, {6.5, 5});
        p.fillRect(QRectF(7, 1.5, 1.5, 7), C);
        break;
    case glInsert:
        p.drawLine(QPointF(5, 1), QPointF(5, 9));
        p.drawLine(QPointF(1.5, 3), QPointF(8.5, 7));
        p.drawLine(QPointF(1.5, 7), QPointF(8.5, 3));
        break;
    case glDelete:
    case glCross:
        pen.setWidthF(1.6);
        p.setPen(pen);
        p.drawLine(QPointF(2, 2), QPointF(8, 8));
        p.drawLine(QPointF(2, 8), QPointF(8, 2));
        break;
    case glEdit:
    case glFaintPencil: {
        QPainterPath path;
        path.moveTo(1.5, 8.5);
        path.lineTo(2, 6.5);
        path.lineTo(6.5, 2);
        path.lineTo(8, 3.5);
        path.lineTo(3.5, 8);
        path.closeSubpath();
        p.fillPath(path, C);
        break;
    }
    case glPost:
        pen.setWidthF(1.6);
        p.setPen(pen);
        p.drawPolyline(QPolygonF({QPointF(1.5, 5), QPointF(4, 7.5), QPointF(8.5, 2.5)}));
        break;
    case glCancel:
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(1.5, 1.5, 7, 7));
        p.drawLine(QPointF(2.8, 7.2), QPointF(7.2, 2.8));
        break;
    case glRefresh: {
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(1.5, 1.5, 7, 7), 60 * 16, 270 * 16);
        p.setBrush(C);
        Triangle(p, {5.5, 0.5}, {8.5, 2.2}, {5.5, 4});
        break;
    }
    case glDown:
        Triangle(p, {1.5, 3}, {8.5, 3}, {5, 7.5});
        break;
    case glUp:
        Triangle(p, {1.5, 7}, {8.5, 7}, {5, 2.5});
        break;
    case glDots:
        for (double x : {1.5, 4.5, 7.5})
            p.fillRect(QRectF(x, 6.5, 1.5, 1.5), C);
        break;
    case glFunnel: {
        QPainterPath path;
        path.moveTo(1, 1.5);
        path.lineTo(9, 1.5);
        path.lineTo(6, 5);
        path.lineTo(6, 9);
        path.lineTo(4, 8);
        path.lineTo(4, 5);
        path.closeSubpath();
        p.fillPath(path, C);
        break;
    }
    case glChequer:
        for (int y = 0; y < 10; ++y)
            for (int x = (y & 1); x < 10; x += 2)
                p.fillRect(QRectF(x, y, 1, 1), C);
        break;
    case glBlank:
        break;
    }
}

// The glyph as an image of Size x Size: on transparency, or on the key colour for masked lists.
QImage GlyphImage(TGlyphEh G, int Size, const QColor& C, bool Keyed) {
    QImage img(Size, Size, QImage::Format_ARGB32);
    img.fill(Keyed ? kKey : QColor(Qt::transparent));
    QPainter p(&img);
    // Masked images have no partial pixels: a blended edge would keep a tinge of the key colour.
    p.setRenderHint(QPainter::Antialiasing, !Keyed);
    p.scale(Size / 10.0, Size / 10.0);
    DrawGlyph(p, G, C);
    return img;
}

void AddGlyph(TImageList* List, TGlyphEh G, const QColor& C) {
    List->AddQImage(GlyphImage(G, List->Width(), C, false));
}

void AddKeyedGlyph(TImageList* List, TGlyphEh G, const QColor& C) {
    TBitmap bmp;
    bmp.SetImage(GlyphImage(G, List->Width(), C, true));
    List->AddMasked(&bmp, TColor(0xFF00FF));
}

TImageList* MakeList(TComponent* Owner, const char* Name, int Size, bool Masked) {
    auto* l = new TImageList(Owner);
    l->SetName(QString::fromLatin1(Name));
    l->SetSize(Size, Size);
    l->SetMasked(Masked);
    return l;
}

constexpr TGlyphEh kNavGlyphs[] = {glFirst,  glPrior, glNext, glLast,   glInsert,
                                   glDelete, glEdit,  glPost, glCancel, glRefresh};

TDBGridEhRes*& ResSlot() {
    static TDBGridEhRes* res = nullptr;
    return res;
}

} // namespace

TDBGridEhRes::TDBGridEhRes(TComponent* AOwner) : TDataModule(AOwner) {
    SetName(QStringLiteral("DBGridEhRes"));
    const QColor faint(0xD0, 0xD0, 0xD0);

    IMList10 = MakeList(this, "IMList10", 10, false);
    for (TGlyphEh g : kNavGlyphs)
        AddGlyph(IMList10, g, kInk);
    for (TGlyphEh g : {glCross, glDown, glUp, glDots, glFunnel})
        AddGlyph(IMList10, g, kInk);
    AddGlyph(IMList10, glChequer, faint);
    AddGlyph(IMList10, glFaintPencil, faint);

    IMList10D = MakeList(this, "IMList10D", 10, false);
    for (TGlyphEh g : kNavGlyphs)
        AddGlyph(IMList10D, g, kGrey);
    for (int i = 10; i < 14; ++i)
        AddGlyph(IMList10D, glCross, kGrey);

    IMList12_D = MakeList(this, "IMList12_D", 12, false);
    for (TGlyphEh g : kNavGlyphs)
        AddGlyph(IMList12_D, g, kGrey);
    for (TGlyphEh g : {glCross, glDown, glUp, glDots, glFunnel, glCross, glCross})
        AddGlyph(IMList12_D, g, kGrey);

    IMList12 = MakeList(this, "IMList12", 12, false);
    for (TGlyphEh g : kNavGlyphs)
        AddGlyph(IMList12, g, kInk);
    for (TGlyphEh g : {glCross, glDown, glUp, glDots, glFunnel, glChequer, glFaintPencil, glCross, glBlank})
        AddGlyph(IMList12, g, g == glChequer || g == glFaintPencil ? faint : kInk);

    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->SetName(QStringLiteral("PopupMenu1"));
    Copy1 = new TMenuItem(this);
    Copy1->SetName(QStringLiteral("Copy1"));
    Copy1->SetCaption(QStringLiteral("Copy"));
    Copy1->OnClick = TNotifyEvent(this, &TDBGridEhRes::Copy1Click);
    PopupMenu1->Items()->Add(Copy1);

    IMList10Bmp = MakeList(this, "IMList10Bmp", 10, true);
    for (TGlyphEh g : kNavGlyphs)
        AddKeyedGlyph(IMList10Bmp, g, kInk);
    for (TGlyphEh g : {glCross, glDown, glUp, glDots, glFunnel, glBlank})
        AddKeyedGlyph(IMList10Bmp, g, kInk);

    IMList10DBmp = MakeList(this, "IMList10DBmp", 10, true);
    for (TGlyphEh g : kNavGlyphs)
        AddKeyedGlyph(IMList10DBmp, g, kGrey);
    for (int i = 10; i < 15; ++i)
        AddKeyedGlyph(IMList10DBmp, glCross, kGrey);
    AddKeyedGlyph(IMList10DBmp, glBlank, kGrey);
}

TDBGridEhRes::~TDBGridEhRes() = default;

void TDBGridEhRes::Copy1Click(TObject*) {
    Clipboard()->SetAsText(Copy1->Hint());
}

TDBGridEhRes* DBGridEhRes() {
    TDBGridEhRes*& res = ResSlot();
    if (!res) {
        res = new TDBGridEhRes(nullptr);
        // Freed while the application still stands: the menu's window goes with it.
        if (QCoreApplication::instance()) qAddPostRoutine(&FreeDBGridEhRes);
    }
    return res;
}

void FreeDBGridEhRes() {
    TDBGridEhRes*& res = ResSlot();
    TDBGridEhRes* r = res;
    res = nullptr;
    if (r) r->Free();
}

TImageList* DBGridEhResImages() {
    return ThemesInUse() ? DBGridEhRes()->IMList10 : DBGridEhRes()->IMList10Bmp;
}

TImageList* DBGridEhResDisabledImages() {
    return ThemesInUse() ? DBGridEhRes()->IMList10D : DBGridEhRes()->IMList10DBmp;
}

KVT_REGISTER_CLASS(TDBGridEhRes)
