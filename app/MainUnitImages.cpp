// The images of the read and write menus, drawn at start-up.

#include "app/MainUnit.h"

#include "platform/ui/Buttons.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/ImgList.h"

#include <QImage>
#include <QPainter>
#include <QPolygon>

namespace {

enum class Glyph { BlockRead, BlockWrite, FileRead, FileWrite, Blank, Device, Units };

QImage Draw(Glyph g) {
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor ink(40, 40, 40), page(250, 250, 250), blue(30, 90, 200), green(30, 140, 60);
    auto arrow = [&](bool down, const QColor& c) {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        if (down)
            p.drawPolygon(QPolygon({QPoint(8, 15), QPoint(3, 10), QPoint(6, 10), QPoint(6, 5), QPoint(10, 5),
                                    QPoint(10, 10), QPoint(13, 10)}));
        else
            p.drawPolygon(QPolygon({QPoint(8, 4), QPoint(3, 9), QPoint(6, 9), QPoint(6, 14), QPoint(10, 14),
                                    QPoint(10, 9), QPoint(13, 9)}));
    };
    switch (g) {
    case Glyph::BlockRead:
    case Glyph::BlockWrite:
        p.setPen(ink);
        p.setBrush(page);
        p.drawRect(1, 1, 9, 13);
        arrow(g == Glyph::BlockRead, g == Glyph::BlockRead ? blue : green);
        break;
    case Glyph::FileRead:
        p.setPen(ink);
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(1, 4, 13, 10);
        p.drawRect(1, 2, 5, 2);
        arrow(true, blue);
        break;
    case Glyph::FileWrite:
        p.setPen(ink);
        p.setBrush(QColor(70, 100, 170));
        p.drawRect(1, 1, 13, 13);
        p.setBrush(page);
        p.drawRect(4, 1, 7, 5);
        p.drawRect(3, 9, 9, 5);
        break;
    case Glyph::Blank:
        break;
    case Glyph::Units:
        // A measuring scale: a beaker with its marks.
        p.setPen(ink);
        p.setBrush(QColor(200, 230, 250));
        p.drawRect(3, 2, 9, 12);
        p.setBrush(blue);
        p.drawRect(3, 9, 9, 5);
        for (int y : {4, 7, 10})
            p.drawLine(9, y, 11, y);
        break;
    case Glyph::Device:
        p.setPen(ink);
        p.setBrush(QColor(200, 200, 210));
        p.drawRect(2, 1, 11, 14);
        p.setBrush(QColor(120, 200, 230));
        p.drawRect(4, 3, 7, 4);
        p.setBrush(ink);
        p.drawEllipse(QPoint(7, 11), 1, 1);
        break;
    }
    return img;
}

} // namespace

void TMainForm::FillMenuImages() {
    MainImageList->SetSize(16, 16);
    for (Glyph g : {Glyph::BlockRead, Glyph::BlockWrite, Glyph::FileRead, Glyph::FileWrite, Glyph::Blank,
                    Glyph::Device})
        MainImageList->AddQImage(Draw(g));
    TBitmap glyph;
    glyph.SetImage(Draw(Glyph::Units));
    UnitsBitBtn->SetGlyph(&glyph);
}
