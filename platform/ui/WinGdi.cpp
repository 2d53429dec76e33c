// Device contexts, GDI objects, coordinates, clipping, lines, shapes, blits and text output.

#include "platform/ui/GraphicsInternal.h"
#include "platform/ui/ScreenDepth.h"

#include <QGuiApplication>
#include <QHash>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainterPath>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <set>

namespace {

std::set<TDeviceContext*>& LiveDCs() {
    static std::set<TDeviceContext*> s;
    return s;
}
const TDeviceContext* gLastPrepared = nullptr;

QRect QR(const TRect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}
TRect TR(const QRect& r) {
    return TRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}

int RegionKind(const QRegion& r) {
    if (r.isEmpty()) return NULLREGION;
    return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

HGDIOBJ NewObject(int kind) {
    auto* o = new TGdiObject;
    o->Kind = kind;
    return o;
}

// Dash patterns of cosmetic pens (on, off, ...) in pixels.
const std::vector<int>& DashPattern(int style) {
    static const std::vector<int> none;
    static const std::vector<int> dash{18, 6}, dot{3, 3}, dashdot{9, 6, 3, 6}, dashdotdot{9, 3, 3, 3, 3, 3},
        alternate{1, 1};
    switch (style) {
    case PS_DASH:
        return dash;
    case PS_DOT:
        return dot;
    case PS_DASHDOT:
        return dashdot;
    case PS_DASHDOTDOT:
        return dashdotdot;
    case PS_ALTERNATE:
        return alternate;
    default:
        return none;
    }
}

struct TRopScope {
    QPainter* P;
    bool Skip = false;
    QColor Color;
    TRopScope(HDC dc, const QColor& c) : P(dc->Painter), Color(c) {
        bool black = false, white = false;
        P->setCompositionMode(Rop2Mode(dc->S.Rop2, Skip, black, white));
        if (black) Color = Qt::black;
        if (white) Color = Qt::white;
    }
    ~TRopScope() { P->setCompositionMode(QPainter::CompositionMode_SourceOver); }
};

HGDIOBJ PenOf(HDC dc) {
    return dc->S.Pen ? dc->S.Pen : GetStockObject(BLACK_PEN);
}
HGDIOBJ BrushObjOf(HDC dc) {
    return dc->S.Brush ? dc->S.Brush : GetStockObject(WHITE_BRUSH);
}

QColor PenColor(HDC dc, HGDIOBJ pen) {
    if (pen == GetStockObject(DC_PEN)) return RefToQColor(dc->S.DCPenColor);
    return RefToQColor(pen->Color);
}

// Pixels of a one-pixel line from a to b, the end pixel excluded (Bresenham).
template <class F> void WalkLine(QPoint a, QPoint b, F&& plot) {
    int x = a.x(), y = a.y();
    const int dx = std::abs(b.x() - x), dy = -std::abs(b.y() - y);
    const int sx = x < b.x() ? 1 : -1, sy = y < b.y() ? 1 : -1;
    int err = dx + dy;
    while (x != b.x() || y != b.y()) {
        plot(x, y);
        const int e2 = 2 * err;
        if (e2 >= dy) err += dy, x += sx;
        if (e2 <= dx) err += dx, y += sy;
    }
}

// Whether the window-to-viewport mapping turns x round (a right-to-left canvas).
bool MirroredMapping(HDC dc) {
    const TDCState& s = dc->S;
    return (s.MapMode == MM_ANISOTROPIC || s.MapMode == MM_ISOTROPIC) &&
           (s.WindowExt.cx < 0) != (s.ViewportExt.cx < 0);
}

// Under a mirrored mapping a pen draws on the device pixel its point maps to, one pixel right of
// where a rectangle covering the same logical pixel lands; right-to-left painters count on that
// (they draw their lines one logical pixel further). The pixel is reached by stepping one logical
// pixel back, as the painter works on pixel cells.
QPoint PenPixel(HDC dc, QPoint p) {
    return MirroredMapping(dc) ? QPoint(p.x() - 1, p.y()) : p;
}

// Strokes a segment with the current pen; the end pixel is left out as on the platform.
void StrokeSegment(HDC dc, QPoint a, QPoint b, int& dashPos) {
    HGDIOBJ pen = PenOf(dc);
    if (pen->PenStyle == PS_NULL || a == b) return;
    a = PenPixel(dc, a);
    b = PenPixel(dc, b);
    TRopScope rop(dc, PenColor(dc, pen));
    if (rop.Skip) return;
    QPainter* p = dc->Painter;
    if (pen->PenWidth > 1) {
        QPen qp(rop.Color, pen->PenWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p->setPen(qp);
        p->drawLine(QPointF(a) + QPointF(0.5, 0.5), QPointF(b) + QPointF(0.5, 0.5));
        return;
    }
    const auto& pattern = DashPattern(pen->PenStyle);
    const bool solid = pattern.empty();
    if (solid && (a.y() == b.y() || a.x() == b.x())) {
        if (a.y() == b.y()) {
            const int l = a.x() < b.x() ? a.x() : b.x() + 1;
            p->fillRect(QRect(l, a.y(), std::abs(b.x() - a.x()), 1), rop.Color);
        } else {
            const int t = a.y() < b.y() ? a.y() : b.y() + 1;
            p->fillRect(QRect(a.x(), t, 1, std::abs(b.y() - a.y())), rop.Color);
        }
        return;
    }
    int total = 0;
    for (int v : pattern)
        total += v;
    // Runs of horizontal pixels are filled at once.
    int runX = 0, runY = 0, runLen = 0;
    auto flush = [&] {
        if (runLen) p->fillRect(QRect(runX, runY, runLen, 1), rop.Color);
        runLen = 0;
    };
    WalkLine(a, b, [&](int x, int y) {
        bool on = true;
        if (!solid) {
            int pos = dashPos % total, i = 0;
            while (pos >= pattern[size_t(i)])
                pos -= pattern[size_t(i++)];
            on = (i % 2) == 0;
            ++dashPos;
        }
        if (!on) return flush();
        if (runLen && y == runY && x == runX + runLen)
            ++runLen;
        else if (runLen && y == runY && x == runX - 1)
            --runX, ++runLen;
        else
            flush(), runX = x, runY = y, runLen = 1;
    });
    flush();
}

void StrokePolyline(HDC dc, const TPoint* pts, int n, bool closed) {
    if (!dc->Prepare() || n < 2) return;
    HGDIOBJ pen = PenOf(dc);
    if (pen->PenWidth > 1 && pen->PenStyle != PS_NULL) {
        TRopScope rop(dc, PenColor(dc, pen));
        if (rop.Skip) return;
        QPolygonF poly;
        const double dx = MirroredMapping(dc) ? -0.5 : 0.5;
        for (int i = 0; i < n; ++i)
            poly << QPointF(pts[i].X + dx, pts[i].Y + 0.5);
        dc->Painter->setPen(QPen(rop.Color, pen->PenWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        dc->Painter->setBrush(Qt::NoBrush);
        if (closed)
            dc->Painter->drawPolygon(poly);
        else
            dc->Painter->drawPolyline(poly);
        return;
    }
    int dash = 0;
    for (int i = 1; i < n; ++i)
        StrokeSegment(dc, QPoint(pts[i - 1].X, pts[i - 1].Y), QPoint(pts[i].X, pts[i].Y), dash);
    if (closed) StrokeSegment(dc, QPoint(pts[n - 1].X, pts[n - 1].Y), QPoint(pts[0].X, pts[0].Y), dash);
}

void FillWithRop(HDC dc, const QPainterPath& path) {
    HGDIOBJ brush = BrushObjOf(dc);
    if (brush->BrushStyle == BS_NULL) return;
    QBrush b = BrushOf(dc, brush);
    bool skip = false, black = false, white = false;
    dc->Painter->setCompositionMode(Rop2Mode(dc->S.Rop2, skip, black, white));
    if (black) b = QBrush(Qt::black);
    if (white) b = QBrush(Qt::white);
    if (!skip) dc->Painter->fillPath(path, b);
    dc->Painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Device context
QRect TDeviceContext::DeviceBounds() const {
    if (Image) return Image->rect();
    if (Painter && Painter->device())
        return QRect(0, 0, Painter->device()->width(), Painter->device()->height());
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (QScreen* s = app->primaryScreen()) return QRect(QPoint(0, 0), s->size());
    return QRect(0, 0, 1920, 1080);
}

QTransform TDeviceContext::Mapping() const {
    double sx = 1, sy = 1;
    if (S.MapMode == MM_ANISOTROPIC || S.MapMode == MM_ISOTROPIC) {
        if (S.WindowExt.cx) sx = double(S.ViewportExt.cx) / S.WindowExt.cx;
        if (S.WindowExt.cy) sy = double(S.ViewportExt.cy) / S.WindowExt.cy;
        if (S.MapMode == MM_ISOTROPIC) {
            const double m = std::min(std::abs(sx), std::abs(sy));
            sx = sx < 0 ? -m : m;
            sy = sy < 0 ? -m : m;
        }
    }
    QTransform t(sx, 0, 0, sy, S.ViewportOrg.X - S.WindowOrg.X * sx, S.ViewportOrg.Y - S.WindowOrg.Y * sy);
    if (S.Layout & LAYOUT_RTL) t = t * QTransform(-1, 0, 0, 1, DeviceBounds().width(), 0);
    return t;
}

bool TDeviceContext::Prepare() {
    if (!Painter && AutoPainter && Image && !Image->isNull()) {
        // One painter per image at a time: others working on it step back.
        SuspendPaintersOn(Image);
        Painter = new QPainter(Image);
        OwnsPainter = true;
        Dirty = true;
    }
    if (!Painter || !Painter->isActive()) return false;
    if (!Dirty && gLastPrepared == this) return true;
    Painter->setRenderHint(QPainter::Antialiasing, false);
    Painter->setTransform(BaseTransform);
    if (S.HasClip) {
        QRegion r = S.Clip;
        if (BaseClipping) r &= BaseClip;
        Painter->setClipRegion(r);
    } else if (BaseClipping) {
        Painter->setClipRegion(BaseClip);
    } else {
        Painter->setClipping(false);
    }
    Painter->setTransform(Mapping() * BaseTransform);
    Dirty = false;
    gLastPrepared = this;
    return true;
}

QRect TDeviceContext::ToDevice(const TRect& r) const {
    const QTransform t = Mapping();
    const QPointF a = t.map(QPointF(r.Left, r.Top)), b = t.map(QPointF(r.Right, r.Bottom));
    const int l = int(std::lround(std::min(a.x(), b.x()))), rr = int(std::lround(std::max(a.x(), b.x())));
    const int tp = int(std::lround(std::min(a.y(), b.y()))), bt = int(std::lround(std::max(a.y(), b.y())));
    return QRect(l, tp, rr - l, bt - tp);
}

TRect TDeviceContext::ToLogical(const QRect& r) const {
    const QTransform t = Mapping().inverted();
    const QPointF a = t.map(QPointF(r.left(), r.top())),
                  b = t.map(QPointF(r.left() + r.width(), r.top() + r.height()));
    return TRect(int(std::lround(std::min(a.x(), b.x()))), int(std::lround(std::min(a.y(), b.y()))),
                 int(std::lround(std::max(a.x(), b.x()))), int(std::lround(std::max(a.y(), b.y()))));
}

void TDeviceContext::BeginImage(QImage* image) {
    EndPainter();
    Image = image;
    AutoPainter = image != nullptr;
    BaseTransform = QTransform();
    BaseClipping = false;
    Dirty = true;
}

void TDeviceContext::SuspendPainter() {
    if (!AutoPainter || !Painter) return;
    Painter->end();
    delete Painter;
    Painter = nullptr;
    OwnsPainter = false;
    if (gLastPrepared == this) gLastPrepared = nullptr;
    Dirty = true;
}

void SuspendPaintersOn(const QImage* image) {
    for (TDeviceContext* dc : LiveDCs())
        if (dc->Image == image) dc->SuspendPainter();
}

void ForgetImage(const QImage* image) {
    for (TDeviceContext* dc : LiveDCs())
        if (dc->Image == image) {
            dc->EndPainter();
            dc->Bitmap = nullptr;
        }
}

void TDeviceContext::EndPainter() {
    if (Painter && OwnsPainter) {
        Painter->end();
        delete Painter;
    } else if (Painter && Painter->isActive()) {
        // A borrowed painter goes back as it came.
        Painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
        Painter->setTransform(BaseTransform);
        if (BaseClipping)
            Painter->setClipRegion(BaseClip);
        else
            Painter->setClipping(false);
    }
    if (gLastPrepared == this) gLastPrepared = nullptr;
    Painter = nullptr;
    OwnsPainter = false;
    AutoPainter = false;
    Image = nullptr;
    Dirty = true;
}

HDC CreatePainterDC(QPainter* painter) {
    auto* dc = new TDeviceContext;
    LiveDCs().insert(dc);
    dc->Painter = painter;
    if (painter && painter->isActive()) {
        dc->BaseTransform = painter->transform();
        dc->BaseClipping = painter->hasClipping();
        if (dc->BaseClipping) dc->BaseClip = painter->clipRegion();
        if (painter->device() && painter->device()->devType() == QInternal::Image)
            dc->Image = static_cast<QImage*>(painter->device());
    }
    return dc;
}

HDC CreateCompatibleDC(HDC) {
    auto* dc = new TDeviceContext;
    LiveDCs().insert(dc);
    dc->Memory = true;
    return dc;
}

HBITMAP CreateCompatibleBitmap(HDC, int width, int height) {
    auto* img = new QImage(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    img->fill(Qt::black);
    return NewBitmapObject(img, true);
}

HGDIOBJ NewBitmapObject(QImage* image, bool own) {
    HGDIOBJ o = NewObject(OBJ_BITMAP);
    o->Image = image;
    if (own) o->OwnImage.reset(image);
    return o;
}

HDC CreateImageDC(const QImage& image) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ bmp = NewBitmapObject(new QImage(image.convertToFormat(QImage::Format_RGB32)), true);
    SelectObject(dc, bmp);
    dc->OwnBitmap = bmp;
    return dc;
}

BOOL DeleteDC(HDC dc) {
    if (!dc || !LiveDCs().count(dc)) return FALSE;
    dc->EndPainter();
    LiveDCs().erase(dc);
    HGDIOBJ own = dc->OwnBitmap;
    delete dc;
    if (own) DeleteObject(own);
    return TRUE;
}

HDC ScreenDC() {
    static HDC dc = [] {
        auto* d = new TDeviceContext;
        LiveDCs().insert(d);
        return d;
    }();
    return dc;
}

QPainter* DCPainter(HDC dc) {
    if (!dc) return nullptr;
    dc->Prepare();
    dc->Dirty = true; // the caller may change the painter
    return dc->Painter;
}

TCanvas* DCCanvas(HDC dc) {
    return dc ? dc->Canvas : nullptr;
}

int SaveDC(HDC dc) {
    if (!dc) return 0;
    dc->Saved.push_back(dc->S);
    return int(dc->Saved.size());
}

BOOL RestoreDC(HDC dc, int saved) {
    if (!dc) return FALSE;
    const int n = int(dc->Saved.size());
    const int level = saved < 0 ? n + saved + 1 : saved;
    if (level < 1 || level > n) return FALSE;
    dc->S = dc->Saved[size_t(level - 1)];
    dc->Saved.resize(size_t(level - 1));
    dc->Dirty = true;
    return TRUE;
}

QPainter::CompositionMode Rop2Mode(int rop2, bool& skip, bool& black, bool& white) {
    skip = black = white = false;
    switch (rop2) {
    case R2_BLACK:
        black = true;
        return QPainter::CompositionMode_Source;
    case R2_WHITE:
        white = true;
        return QPainter::CompositionMode_Source;
    case R2_NOP:
        skip = true;
        return QPainter::CompositionMode_SourceOver;
    case R2_NOT:
        return QPainter::RasterOp_NotDestination;
    case R2_NOTCOPYPEN:
        return QPainter::RasterOp_NotSource;
    case R2_XORPEN:
        return QPainter::RasterOp_SourceXorDestination;
    case R2_NOTXORPEN:
        return QPainter::RasterOp_NotSourceXorDestination;
    case R2_MASKPEN:
        return QPainter::RasterOp_SourceAndDestination;
    case R2_NOTMASKPEN:
        return QPainter::RasterOp_NotSourceOrNotDestination;
    case R2_MERGEPEN:
        return QPainter::RasterOp_SourceOrDestination;
    case R2_NOTMERGEPEN:
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case R2_MASKPENNOT:
        return QPainter::RasterOp_SourceAndNotDestination;
    case R2_MASKNOTPEN:
        return QPainter::RasterOp_NotSourceAndDestination;
    case R2_MERGEPENNOT:
        return QPainter::RasterOp_SourceOrNotDestination;
    case R2_MERGENOTPEN:
        return QPainter::RasterOp_NotSourceOrDestination;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

int SetROP2(HDC dc, int mode) {
    if (!dc) return 0;
    const int old = dc->S.Rop2;
    dc->S.Rop2 = mode;
    return old;
}
int GetROP2(HDC dc) {
    return dc ? dc->S.Rop2 : 0;
}

// ---------------------------------------------------------------------------------------------
// Objects
HGDIOBJ GetStockObject(int index) {
    static TGdiObject* stock[20] = {};
    static std::once_flag once;
    std::call_once(once, [] {
        auto brush = [](int style, COLORREF c) {
            HGDIOBJ o = NewObject(OBJ_BRUSH);
            o->BrushStyle = style;
            o->Color = c;
            o->Shared = true;
            return o;
        };
        auto pen = [](int style, COLORREF c) {
            HGDIOBJ o = NewObject(OBJ_PEN);
            o->PenStyle = style;
            o->Color = c;
            o->Shared = true;
            return o;
        };
        stock[WHITE_BRUSH] = brush(BS_SOLID, RGB(255, 255, 255));
        stock[LTGRAY_BRUSH] = brush(BS_SOLID, RGB(192, 192, 192));
        stock[GRAY_BRUSH] = brush(BS_SOLID, RGB(128, 128, 128));
        stock[DKGRAY_BRUSH] = brush(BS_SOLID, RGB(64, 64, 64));
        stock[BLACK_BRUSH] = brush(BS_SOLID, 0);
        stock[NULL_BRUSH] = brush(BS_NULL, 0);
        stock[WHITE_PEN] = pen(PS_SOLID, RGB(255, 255, 255));
        stock[BLACK_PEN] = pen(PS_SOLID, 0);
        stock[NULL_PEN] = pen(PS_NULL, 0);
        stock[DC_BRUSH] = brush(BS_SOLID, RGB(255, 255, 255));
        stock[DC_PEN] = pen(PS_SOLID, 0);
        HGDIOBJ def = DefaultFontObject();
        LOGFONTW fixed;
        fixed.lfHeight = -13;
        fixed.lfFaceName = QStringLiteral("Courier New");
        fixed.lfPitchAndFamily = FIXED_PITCH;
        HGDIOBJ fix = InternFont(fixed);
        stock[OEM_FIXED_FONT] = stock[ANSI_FIXED_FONT] = stock[SYSTEM_FIXED_FONT] = fix;
        stock[ANSI_VAR_FONT] = stock[SYSTEM_FONT] = stock[DEVICE_DEFAULT_FONT] = stock[DEFAULT_GUI_FONT] =
            def;
    });
    return index >= 0 && index < 20 ? stock[index] : nullptr;
}

HBRUSH CreateSolidBrush(COLORREF color) {
    HGDIOBJ o = NewObject(OBJ_BRUSH);
    o->Color = color & 0xFFFFFF;
    return o;
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
    HGDIOBJ o = NewObject(OBJ_BRUSH);
    o->BrushStyle = BS_HATCHED;
    o->Hatch = hatch;
    o->Color = color & 0xFFFFFF;
    return o;
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
    HGDIOBJ o = NewObject(OBJ_BRUSH);
    o->BrushStyle = BS_PATTERN;
    if (bitmap && bitmap->Image) o->Pattern = *bitmap->Image;
    return o;
}

HBRUSH GetSysColorBrush(int index) {
    HGDIOBJ o = InternBrush(BS_SOLID, 0, GetSysColor(index));
    return o;
}

HPEN CreatePen(int style, int width, COLORREF color) {
    HGDIOBJ o = NewObject(OBJ_PEN);
    o->PenStyle = style;
    o->PenWidth = width;
    o->Color = color & 0xFFFFFF;
    return o;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj) {
    if (!dc || !obj) return nullptr;
    HGDIOBJ old = nullptr;
    switch (obj->Kind) {
    case OBJ_PEN:
        old = dc->S.Pen ? dc->S.Pen : GetStockObject(BLACK_PEN);
        dc->S.Pen = obj;
        break;
    case OBJ_BRUSH:
        old = dc->S.Brush ? dc->S.Brush : GetStockObject(WHITE_BRUSH);
        dc->S.Brush = obj;
        break;
    case OBJ_FONT:
        old = CurrentFont(dc);
        dc->S.Font = obj;
        break;
    case OBJ_BITMAP: {
        if (!dc->Memory) return nullptr;
        static HGDIOBJ empty = [] {
            HGDIOBJ o = NewBitmapObject(new QImage(1, 1, QImage::Format_RGB32), true);
            o->Shared = true;
            return o;
        }();
        old = dc->Bitmap ? dc->Bitmap : empty;
        dc->Bitmap = obj == empty ? nullptr : obj;
        dc->BeginImage(dc->Bitmap ? obj->Image : nullptr);
        break;
    }
    case OBJ_REGION:
        SelectClipRgn(dc, obj);
        return reinterpret_cast<HGDIOBJ>(intptr_t(RegionKind(dc->S.Clip)));
    default:
        return nullptr;
    }
    return old;
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type) {
    if (!dc) return nullptr;
    switch (type) {
    case OBJ_PEN:
        return PenOf(dc);
    case OBJ_BRUSH:
        return BrushObjOf(dc);
    case OBJ_FONT:
        return CurrentFont(dc);
    case OBJ_BITMAP:
        return dc->Bitmap;
    default:
        return nullptr;
    }
}

BOOL DeleteObject(HGDIOBJ obj) {
    if (!obj) return FALSE;
    if (obj->Shared) return TRUE;
    for (TDeviceContext* dc : LiveDCs())
        if (dc->S.Pen == obj || dc->S.Brush == obj || dc->S.Font == obj || dc->Bitmap == obj) return FALSE;
    delete obj;
    return TRUE;
}

DWORD GetObjectType(HGDIOBJ obj) {
    return obj ? DWORD(obj->Kind) : 0;
}

HGDIOBJ CurrentFont(HDC dc) {
    return dc && dc->S.Font ? dc->S.Font : DefaultFontObject();
}

QBrush BrushOf(HDC dc, HGDIOBJ brush) {
    if (!brush || brush->BrushStyle == BS_NULL) return QBrush(Qt::NoBrush);
    if (dc && brush == GetStockObject(DC_BRUSH)) return QBrush(RefToQColor(dc->S.DCBrushColor));
    if (brush->SysColorIndex >= 0) return QBrush(RefToQColor(GetSysColor(brush->SysColorIndex)));
    switch (brush->BrushStyle) {
    case BS_HATCHED: {
        static const Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::BDiagPattern,
                                                 Qt::FDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        return QBrush(RefToQColor(brush->Color), hatches[std::clamp(brush->Hatch, 0, 5)]);
    }
    case BS_PATTERN:
        return QBrush(brush->Pattern);
    default:
        return QBrush(RefToQColor(brush->Color));
    }
}

void FillLogicalRect(HDC dc, const QRect& r, HGDIOBJ brush) {
    if (!brush || brush->BrushStyle == BS_NULL || r.isEmpty()) return;
    if (!dc->Prepare()) return;
    if (brush->BrushStyle == BS_HATCHED && dc->S.BkMode == OPAQUE)
        dc->Painter->fillRect(r, RefToQColor(dc->S.BkColor));
    dc->Painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    QBrush b = BrushOf(dc, brush);
    if (brush->BrushStyle == BS_PATTERN) b.setTransform(dc->Painter->transform().inverted());
    dc->Painter->fillRect(r, b);
}

// ---------------------------------------------------------------------------------------------
// Colours and modes
int SetBkMode(HDC dc, int mode) {
    if (!dc) return 0;
    std::swap(dc->S.BkMode, mode);
    return mode;
}
int GetBkMode(HDC dc) {
    return dc ? dc->S.BkMode : 0;
}
COLORREF SetBkColor(HDC dc, COLORREF c) {
    if (!dc) return CLR_INVALID;
    c &= 0xFFFFFF;
    std::swap(dc->S.BkColor, c);
    return c;
}
COLORREF GetBkColor(HDC dc) {
    return dc ? dc->S.BkColor : CLR_INVALID;
}
COLORREF SetTextColor(HDC dc, COLORREF c) {
    if (!dc) return CLR_INVALID;
    c &= 0xFFFFFF;
    std::swap(dc->S.TextColor, c);
    return c;
}
COLORREF GetTextColor(HDC dc) {
    return dc ? dc->S.TextColor : CLR_INVALID;
}
COLORREF SetDCBrushColor(HDC dc, COLORREF c) {
    if (!dc) return CLR_INVALID;
    std::swap(dc->S.DCBrushColor, c);
    return c;
}
COLORREF SetDCPenColor(HDC dc, COLORREF c) {
    if (!dc) return CLR_INVALID;
    std::swap(dc->S.DCPenColor, c);
    return c;
}
UINT SetTextAlign(HDC dc, UINT align) {
    if (!dc) return GDI_ERROR;
    std::swap(dc->S.TextAlign, align);
    return align;
}
UINT GetTextAlign(HDC dc) {
    return dc ? dc->S.TextAlign : 0;
}

COLORREF GetPixel(HDC dc, int x, int y) {
    if (!dc || !dc->Image) return CLR_INVALID;
    const QPoint p = dc->Mapping().map(QPoint(x, y));
    if (!dc->Image->rect().contains(p)) return CLR_INVALID;
    if (dc->S.HasClip && !dc->S.Clip.contains(p)) return CLR_INVALID;
    return QColorToRef(dc->Image->pixelColor(p));
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF c) {
    if (!dc || !dc->Prepare()) return CLR_INVALID;
    const QPoint p = PenPixel(dc, QPoint(x, y));
    dc->Painter->fillRect(QRect(p.x(), p.y(), 1, 1), RefToQColor(c));
    return c & 0xFFFFFF;
}

namespace {
int ScreenDepthOverride = 0;

int ScreenBitsPerPixel() {
    if (ScreenDepthOverride > 0) return ScreenDepthOverride;
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                ? QGuiApplication::primaryScreen()
                                : nullptr;
    return screen && screen->depth() > 0 ? screen->depth() : 32;
}
} // namespace

void SetScreenColorDepthOverride(int BitsPerPixel) {
    ScreenDepthOverride = std::max(0, BitsPerPixel);
}

int GetDeviceCaps(HDC dc, int index) {
    switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY:
        return 96;
    case BITSPIXEL:
        return ScreenBitsPerPixel();
    case PLANES:
        return 1;
    case NUMCOLORS: {
        // A palette screen counts its colours; a deeper one has more than a count can say.
        const int bits = ScreenBitsPerPixel();
        return bits > 8 ? -1 : 1 << bits;
    }
    case HORZRES:
        return dc ? dc->DeviceBounds().width() : 0;
    case VERTRES:
        return dc ? dc->DeviceBounds().height() : 0;
    default:
        return 0;
    }
}

// ---------------------------------------------------------------------------------------------
// Coordinates
int SetMapMode(HDC dc, int mode) {
    if (!dc) return 0;
    std::swap(dc->S.MapMode, mode);
    dc->Dirty = true;
    return mode;
}
int GetMapMode(HDC dc) {
    return dc ? dc->S.MapMode : 0;
}

static BOOL SetPt(HDC dc, TPoint& field, int x, int y, TPoint* old) {
    if (!dc) return FALSE;
    if (old) *old = field;
    field = TPoint(x, y);
    dc->Dirty = true;
    return TRUE;
}
BOOL SetViewportOrgEx(HDC dc, int x, int y, TPoint* old) {
    return dc ? SetPt(dc, dc->S.ViewportOrg, x, y, old) : FALSE;
}
BOOL GetViewportOrgEx(HDC dc, TPoint* p) {
    if (!dc || !p) return FALSE;
    *p = dc->S.ViewportOrg;
    return TRUE;
}
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, TPoint* old) {
    return dc ? SetPt(dc, dc->S.ViewportOrg, dc->S.ViewportOrg.X + dx, dc->S.ViewportOrg.Y + dy, old) : FALSE;
}
BOOL SetWindowOrgEx(HDC dc, int x, int y, TPoint* old) {
    return dc ? SetPt(dc, dc->S.WindowOrg, x, y, old) : FALSE;
}
BOOL GetWindowOrgEx(HDC dc, TPoint* p) {
    if (!dc || !p) return FALSE;
    *p = dc->S.WindowOrg;
    return TRUE;
}
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, TPoint* old) {
    return dc ? SetPt(dc, dc->S.WindowOrg, dc->S.WindowOrg.X + dx, dc->S.WindowOrg.Y + dy, old) : FALSE;
}
BOOL SetWindowExtEx(HDC dc, int x, int y, TSize* old) {
    if (!dc) return FALSE;
    if (old) *old = dc->S.WindowExt;
    if (dc->S.MapMode == MM_ANISOTROPIC || dc->S.MapMode == MM_ISOTROPIC) dc->S.WindowExt = TSize(x, y);
    dc->Dirty = true;
    return TRUE;
}
BOOL SetViewportExtEx(HDC dc, int x, int y, TSize* old) {
    if (!dc) return FALSE;
    if (old) *old = dc->S.ViewportExt;
    if (dc->S.MapMode == MM_ANISOTROPIC || dc->S.MapMode == MM_ISOTROPIC) dc->S.ViewportExt = TSize(x, y);
    dc->Dirty = true;
    return TRUE;
}
BOOL LPtoDP(HDC dc, TPoint* points, int count) {
    if (!dc) return FALSE;
    const QTransform t = dc->Mapping();
    for (int i = 0; i < count; ++i) {
        const QPointF p = t.map(QPointF(points[i].X, points[i].Y));
        points[i] = TPoint(int(std::lround(p.x())), int(std::lround(p.y())));
    }
    return TRUE;
}
BOOL DPtoLP(HDC dc, TPoint* points, int count) {
    if (!dc) return FALSE;
    const QTransform t = dc->Mapping().inverted();
    for (int i = 0; i < count; ++i) {
        const QPointF p = t.map(QPointF(points[i].X, points[i].Y));
        points[i] = TPoint(int(std::lround(p.x())), int(std::lround(p.y())));
    }
    return TRUE;
}
DWORD SetLayout(HDC dc, DWORD layout) {
    if (!dc) return GDI_ERROR;
    std::swap(dc->S.Layout, layout);
    dc->Dirty = true;
    return layout;
}
DWORD GetLayout(HDC dc) {
    return dc ? dc->S.Layout : DWORD(GDI_ERROR);
}

// ---------------------------------------------------------------------------------------------
// Regions
HRGN CreateRegionFrom(const QRegion& region) {
    HGDIOBJ o = NewObject(OBJ_REGION);
    o->Region = region;
    return o;
}
QRegion RegionOf(HRGN rgn) {
    return rgn && rgn->Kind == OBJ_REGION ? rgn->Region : QRegion();
}
HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    return CreateRegionFrom(QRegion(left, top, right - left, bottom - top));
}
HRGN CreateRectRgnIndirect(const TRect& r) {
    return CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom);
}
HRGN CreatePolygonRgn(const TPoint* points, int count, int fillMode) {
    QPolygon poly;
    for (int i = 0; i < count; ++i)
        poly << QPoint(points[i].X, points[i].Y);
    return CreateRegionFrom(QRegion(poly, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill));
}
HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
    return CreateRegionFrom(QRegion(left, top, right - left, bottom - top, QRegion::Ellipse));
}
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int w, int h) {
    QPainterPath path;
    path.addRoundedRect(QRectF(left, top, right - left - 1, bottom - top - 1), w / 2.0, h / 2.0);
    return CreateRegionFrom(QRegion(path.toFillPolygon().toPolygon(), Qt::WindingFill));
}
int CombineRgn(HRGN dest, HRGN a, HRGN b, int mode) {
    if (!dest || !a) return ERROR;
    QRegion r;
    switch (mode) {
    case RGN_AND:
        r = RegionOf(a) & RegionOf(b);
        break;
    case RGN_OR:
        r = RegionOf(a) | RegionOf(b);
        break;
    case RGN_XOR:
        r = RegionOf(a) ^ RegionOf(b);
        break;
    case RGN_DIFF:
        r = RegionOf(a) - RegionOf(b);
        break;
    case RGN_COPY:
        r = RegionOf(a);
        break;
    default:
        return ERROR;
    }
    dest->Region = r;
    return RegionKind(r);
}
BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom) {
    if (!rgn) return FALSE;
    rgn->Region = QRegion(left, top, std::max(0, right - left), std::max(0, bottom - top));
    return TRUE;
}
int OffsetRgn(HRGN rgn, int dx, int dy) {
    if (!rgn) return ERROR;
    rgn->Region.translate(dx, dy);
    return RegionKind(rgn->Region);
}
BOOL PtInRegion(HRGN rgn, int x, int y) {
    return RegionOf(rgn).contains(QPoint(x, y));
}
BOOL RectInRegion(HRGN rgn, const TRect& r) {
    return RegionOf(rgn).intersects(QR(r));
}
BOOL EqualRgn(HRGN a, HRGN b) {
    return RegionOf(a) == RegionOf(b);
}
int GetRgnBox(HRGN rgn, TRect* r) {
    if (!rgn) return ERROR;
    if (r) *r = rgn->Region.isEmpty() ? TRect() : TR(rgn->Region.boundingRect());
    return RegionKind(rgn->Region);
}

int GetClipRgn(HDC dc, HRGN rgn) {
    if (!dc || !rgn) return -1;
    if (!dc->S.HasClip) return 0;
    rgn->Region = dc->S.Clip;
    return 1;
}
int SelectClipRgn(HDC dc, HRGN rgn) {
    return ExtSelectClipRgn(dc, rgn, RGN_COPY);
}
int ExtSelectClipRgn(HDC dc, HRGN rgn, int mode) {
    if (!dc) return ERROR;
    const QRegion cur = dc->S.HasClip ? dc->S.Clip : QRegion(dc->DeviceBounds());
    if (!rgn) {
        if (mode != RGN_COPY) return ERROR;
        dc->S.HasClip = false;
        dc->S.Clip = QRegion();
        dc->Dirty = true;
        return SIMPLEREGION;
    }
    QRegion r;
    switch (mode) {
    case RGN_AND:
        r = cur & rgn->Region;
        break;
    case RGN_OR:
        r = cur | rgn->Region;
        break;
    case RGN_XOR:
        r = cur ^ rgn->Region;
        break;
    case RGN_DIFF:
        r = cur - rgn->Region;
        break;
    default:
        r = rgn->Region;
        break;
    }
    dc->S.HasClip = true;
    dc->S.Clip = r;
    dc->Dirty = true;
    return RegionKind(r);
}
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
    if (!dc) return ERROR;
    const QRegion cur = dc->S.HasClip ? dc->S.Clip : QRegion(dc->DeviceBounds());
    dc->S.Clip = cur & QRegion(dc->ToDevice(TRect(left, top, right, bottom)));
    dc->S.HasClip = true;
    dc->Dirty = true;
    return RegionKind(dc->S.Clip);
}
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom) {
    if (!dc) return ERROR;
    const QRegion cur = dc->S.HasClip ? dc->S.Clip : QRegion(dc->DeviceBounds());
    dc->S.Clip = cur - QRegion(dc->ToDevice(TRect(left, top, right, bottom)));
    dc->S.HasClip = true;
    dc->Dirty = true;
    return RegionKind(dc->S.Clip);
}
int OffsetClipRgn(HDC dc, int dx, int dy) {
    if (!dc) return ERROR;
    if (!dc->S.HasClip) return SIMPLEREGION;
    dc->S.Clip.translate(dx, dy);
    dc->Dirty = true;
    return RegionKind(dc->S.Clip);
}

static QRegion VisibleRegion(HDC dc) {
    QRegion r(dc->DeviceBounds());
    if (dc->S.HasClip) r &= dc->S.Clip;
    if (dc->BaseClipping) r &= dc->BaseClip;
    if (dc->Painter && dc->Painter->isActive() && dc->Painter->paintEngine()) {
        // The system clip is in the engine's pixels: for a child window that is the top-level
        // backing store (or the parent's grab), where the child stands at its offset. Bring it
        // back to the window's own coordinates before comparing.
        const QRegion sys = dc->Painter->paintEngine()->systemClip();
        if (!sys.isEmpty()) {
            const QTransform toEngine =
                dc->BaseTransform * dc->Painter->transform().inverted() * dc->Painter->deviceTransform();
            r &= toEngine.inverted().map(sys);
        }
    }
    return r;
}

int GetClipBox(HDC dc, TRect* r) {
    if (!dc) return ERROR;
    const QRegion v = VisibleRegion(dc);
    if (r) *r = v.isEmpty() ? TRect() : dc->ToLogical(v.boundingRect());
    return RegionKind(v);
}
BOOL PtVisible(HDC dc, int x, int y) {
    return dc && VisibleRegion(dc).contains(dc->Mapping().map(QPoint(x, y)));
}
BOOL RectVisible(HDC dc, const TRect& r) {
    return dc && VisibleRegion(dc).intersects(dc->ToDevice(r));
}

BOOL FillRgn(HDC dc, HRGN rgn, HBRUSH brush) {
    if (!dc || !rgn || !dc->Prepare()) return FALSE;
    dc->Painter->save();
    dc->Painter->setTransform(dc->BaseTransform);
    for (const QRect& r : rgn->Region)
        dc->Painter->fillRect(r, BrushOf(dc, brush));
    dc->Painter->restore();
    return TRUE;
}
BOOL PaintRgn(HDC dc, HRGN rgn) {
    return dc ? FillRgn(dc, rgn, BrushObjOf(dc)) : FALSE;
}
BOOL FrameRgn(HDC dc, HRGN rgn, HBRUSH brush, int w, int h) {
    if (!dc || !rgn) return FALSE;
    QRegion inner = rgn->Region.translated(w, 0) & rgn->Region.translated(-w, 0) &
                    rgn->Region.translated(0, h) & rgn->Region.translated(0, -h);
    HRGN frame = CreateRegionFrom(rgn->Region - inner);
    FillRgn(dc, frame, brush);
    DeleteObject(frame);
    return TRUE;
}
BOOL InvertRgn(HDC dc, HRGN rgn) {
    if (!dc || !rgn || !dc->Prepare()) return FALSE;
    dc->Painter->save();
    dc->Painter->setTransform(dc->BaseTransform);
    dc->Painter->setCompositionMode(QPainter::RasterOp_NotDestination);
    for (const QRect& r : rgn->Region)
        dc->Painter->fillRect(r, Qt::black);
    dc->Painter->restore();
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Lines and shapes
BOOL MoveToEx(HDC dc, int x, int y, TPoint* old) {
    if (!dc) return FALSE;
    if (old) *old = dc->S.CurPos;
    dc->S.CurPos = TPoint(x, y);
    return TRUE;
}
BOOL LineTo(HDC dc, int x, int y) {
    if (!dc) return FALSE;
    const TPoint from = dc->S.CurPos;
    dc->S.CurPos = TPoint(x, y);
    if (!dc->Prepare()) return TRUE;
    const TPoint pts[2] = {from, TPoint(x, y)};
    StrokePolyline(dc, pts, 2, false);
    return TRUE;
}
BOOL GetCurrentPositionEx(HDC dc, TPoint* p) {
    if (!dc || !p) return FALSE;
    *p = dc->S.CurPos;
    return TRUE;
}
BOOL Polyline(HDC dc, const TPoint* points, int count) {
    if (!dc || count < 2) return FALSE;
    StrokePolyline(dc, points, count, false);
    return TRUE;
}
BOOL PolylineTo(HDC dc, const TPoint* points, int count) {
    if (!dc || count < 1) return FALSE;
    std::vector<TPoint> pts{dc->S.CurPos};
    pts.insert(pts.end(), points, points + count);
    StrokePolyline(dc, pts.data(), int(pts.size()), false);
    dc->S.CurPos = points[count - 1];
    return TRUE;
}
BOOL PolyPolyline(HDC dc, const TPoint* points, const DWORD* counts, int polylines) {
    if (!dc) return FALSE;
    for (int i = 0; i < polylines; ++i) {
        StrokePolyline(dc, points, int(counts[i]), false);
        points += counts[i];
    }
    return TRUE;
}
BOOL Polygon(HDC dc, const TPoint* points, int count) {
    if (!dc || count < 2 || !dc->Prepare()) return FALSE;
    QPolygon poly;
    for (int i = 0; i < count; ++i)
        poly << QPoint(points[i].X, points[i].Y);
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addPolygon(QPolygonF(poly));
    path.closeSubpath();
    FillWithRop(dc, path);
    StrokePolyline(dc, points, count, true);
    return TRUE;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
    if (!dc || !dc->Prepare()) return FALSE;
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    HGDIOBJ pen = PenOf(dc);
    const bool nullPen = pen->PenStyle == PS_NULL;
    // The interior: with a null pen the platform leaves the right and bottom edge out.
    const int w = nullPen ? 0 : std::max(1, pen->PenWidth);
    const int in = nullPen ? 0 : (w + 1) / 2;
    QPainterPath path;
    if (nullPen)
        path.addRect(QRectF(left, top, right - left - 1, bottom - top - 1));
    else
        path.addRect(QRectF(left + in, top + in, right - left - 2 * in, bottom - top - 2 * in));
    FillWithRop(dc, path);
    if (nullPen) return TRUE;
    if (w <= 1) {
        const TPoint pts[5] = {
            {left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}, {left, top}};
        StrokePolyline(dc, pts, 5, false);
        // Close the corner the half-open walk leaves out.
        if (right - left == 1 || bottom - top == 1) {
            const TPoint p[2] = {{left, top}, {right, bottom}};
            int dash = 0;
            StrokeSegment(dc, QPoint(p[0].X, p[0].Y), QPoint(p[0].X, p[1].Y), dash);
        }
    } else {
        TRopScope rop(dc, PenColor(dc, pen));
        if (rop.Skip) return TRUE;
        const QColor c = rop.Color;
        dc->Painter->fillRect(QRect(left, top, right - left, w / 2 + 1), c);
        dc->Painter->fillRect(QRect(left, bottom - (w / 2 + 1), right - left, w / 2 + 1), c);
        dc->Painter->fillRect(QRect(left, top, w / 2 + 1, bottom - top), c);
        dc->Painter->fillRect(QRect(right - (w / 2 + 1), top, w / 2 + 1, bottom - top), c);
    }
    return TRUE;
}

static void ShapeWithPen(HDC dc, const QPainterPath& path) {
    FillWithRop(dc, path);
    HGDIOBJ pen = PenOf(dc);
    if (pen->PenStyle == PS_NULL) return;
    TRopScope rop(dc, PenColor(dc, pen));
    if (rop.Skip) return;
    QPen qp(rop.Color, std::max(1, pen->PenWidth));
    qp.setCosmetic(pen->PenWidth <= 1);
    dc->Painter->setPen(qp);
    dc->Painter->setBrush(Qt::NoBrush);
    dc->Painter->drawPath(path);
}

BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int w, int h) {
    if (!dc || !dc->Prepare()) return FALSE;
    QPainterPath path;
    path.addRoundedRect(QRectF(left, top, right - left - 1, bottom - top - 1), w / 2.0, h / 2.0);
    ShapeWithPen(dc, path);
    return TRUE;
}
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) {
    if (!dc || !dc->Prepare()) return FALSE;
    QPainterPath path;
    path.addEllipse(QRectF(left, top, right - left - 1, bottom - top - 1));
    ShapeWithPen(dc, path);
    return TRUE;
}

int FillRect(HDC dc, const TRect& r, HBRUSH brush) {
    if (!dc) return 0;
    FillLogicalRect(dc, QR(r), brush);
    return 1;
}
int FrameRect(HDC dc, const TRect& r, HBRUSH brush) {
    if (!dc || r.IsEmpty()) return 0;
    FillLogicalRect(dc, QRect(r.Left, r.Top, r.Width(), 1), brush);
    FillLogicalRect(dc, QRect(r.Left, r.Bottom - 1, r.Width(), 1), brush);
    FillLogicalRect(dc, QRect(r.Left, r.Top, 1, r.Height()), brush);
    FillLogicalRect(dc, QRect(r.Right - 1, r.Top, 1, r.Height()), brush);
    return 1;
}
BOOL InvertRect(HDC dc, const TRect& r) {
    if (!dc || !dc->Prepare()) return FALSE;
    dc->Painter->setCompositionMode(QPainter::RasterOp_NotDestination);
    dc->Painter->fillRect(QR(r), Qt::black);
    dc->Painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    return TRUE;
}
BOOL DrawFocusRect(HDC dc, const TRect& r) {
    if (!dc || r.IsEmpty() || !dc->Prepare()) return FALSE;
    // Every other pixel of the frame, inverted, so a second call restores the pixels.
    QPainter* p = dc->Painter;
    p->setCompositionMode(QPainter::RasterOp_NotDestination);
    const QTransform t = dc->Mapping();
    auto plot = [&](int x, int y) {
        const QPoint d = t.map(QPoint(x, y));
        if (((d.x() + d.y()) & 1) == 0) p->fillRect(QRect(x, y, 1, 1), Qt::black);
    };
    for (int x = r.Left; x < r.Right; ++x) {
        plot(x, r.Top);
        if (r.Bottom - 1 > r.Top) plot(x, r.Bottom - 1);
    }
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
        plot(r.Left, y);
        if (r.Right - 1 > r.Left) plot(r.Right - 1, y);
    }
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    return TRUE;
}

BOOL PatBlt(HDC dc, int x, int y, int w, int h, DWORD rop) {
    if (!dc || !dc->Prepare()) return FALSE;
    const QRect r = QRect(std::min(x, x + w), std::min(y, y + h), std::abs(w), std::abs(h));
    QPainter* p = dc->Painter;
    switch (rop) {
    case PATCOPY:
        FillLogicalRect(dc, r, BrushObjOf(dc));
        return TRUE;
    case BLACKNESS:
        p->fillRect(r, Qt::black);
        return TRUE;
    case WHITENESS:
        p->fillRect(r, Qt::white);
        return TRUE;
    case DSTINVERT:
        p->setCompositionMode(QPainter::RasterOp_NotDestination);
        p->fillRect(r, Qt::black);
        break;
    case PATINVERT:
        p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p->fillRect(r, BrushOf(dc, BrushObjOf(dc)));
        break;
    default:
        return FALSE;
    }
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Bitmaps
namespace {
// The source pixels of a logical rectangle of a context.
bool SourcePixels(HDC src, int sx, int sy, int sw, int sh, QImage& out) {
    if (!src || !src->Image || src->Image->isNull()) return false;
    const QRect dr = src->ToDevice(TRect(sx, sy, sx + sw, sy + sh));
    out = src->Image->copy(dr);
    if (sw < 0 || sh < 0) out = out.mirrored(sw < 0, sh < 0);
    return true;
}

QPainter::CompositionMode BltMode(DWORD rop, bool& ok) {
    ok = true;
    switch (rop) {
    case SRCCOPY:
        return QPainter::CompositionMode_Source;
    case SRCAND:
        return QPainter::RasterOp_SourceAndDestination;
    case SRCPAINT:
        return QPainter::RasterOp_SourceOrDestination;
    case SRCINVERT:
        return QPainter::RasterOp_SourceXorDestination;
    case NOTSRCCOPY:
        return QPainter::RasterOp_NotSource;
    case SRCERASE:
        return QPainter::RasterOp_SourceAndNotDestination;
    case NOTSRCERASE:
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case MERGEPAINT:
        return QPainter::RasterOp_NotSourceOrDestination;
    default:
        ok = false;
        return QPainter::CompositionMode_Source;
    }
}
} // namespace

BOOL StretchBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop) {
    if (!dest) return FALSE;
    switch (rop) {
    case PATCOPY:
    case PATINVERT:
    case DSTINVERT:
    case BLACKNESS:
    case WHITENESS:
        return PatBlt(dest, x, y, w, h, rop);
    default:
        break;
    }
    QImage img;
    if (!SourcePixels(src, sx, sy, sw, sh, img)) return FALSE;
    if (!dest->Prepare()) return FALSE;
    bool ok;
    const QPainter::CompositionMode mode = BltMode(rop, ok);
    if (!ok) return FALSE;
    if (img.hasAlphaChannel()) img = img.convertToFormat(QImage::Format_RGB32);
    if (w < 0 || h < 0) img = img.mirrored(w < 0, h < 0);
    QPainter* p = dest->Painter;
    p->setCompositionMode(mode);
    p->setRenderHint(QPainter::SmoothPixmapTransform, false);
    p->drawImage(QRect(std::min(x, x + w), std::min(y, y + h), std::abs(w), std::abs(h)), img);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    return TRUE;
}

BOOL BitBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
    return StretchBlt(dest, x, y, w, h, src, sx, sy, w, h, rop);
}

int SetStretchBltMode(HDC dc, int mode) {
    if (!dc) return 0;
    std::swap(dc->S.StretchMode, mode);
    return mode;
}

BOOL AlphaBlend(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                BLENDFUNCTION blend) {
    if (!dest || w < 0 || h < 0 || sw < 0 || sh < 0) return FALSE;
    QImage img;
    if (!SourcePixels(src, sx, sy, sw, sh, img) || !dest->Prepare()) return FALSE;
    img = blend.AlphaFormat & AC_SRC_ALPHA ? img.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                           : img.convertToFormat(QImage::Format_RGB32);
    QPainter* p = dest->Painter;
    p->setOpacity(blend.SourceConstantAlpha / 255.0);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->drawImage(QRect(x, y, w, h), img);
    p->setOpacity(1.0);
    return TRUE;
}

BOOL TransparentBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                    UINT transparent) {
    QImage img;
    if (!dest || !SourcePixels(src, sx, sy, sw, sh, img) || !dest->Prepare()) return FALSE;
    img = img.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = qRgb(GetRValue(transparent), GetGValue(transparent), GetBValue(transparent));
    for (int yy = 0; yy < img.height(); ++yy) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(yy));
        for (int xx = 0; xx < img.width(); ++xx)
            if ((line[xx] & 0xFFFFFF) == (key & 0xFFFFFF)) line[xx] = 0;
    }
    dest->Painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    dest->Painter->drawImage(QRect(x, y, w, h), img);
    return TRUE;
}

BOOL GradientFill(HDC dc, const TRIVERTEX* v, uint32_t nVertices, const GRADIENT_RECT* rects, uint32_t nRects,
                  uint32_t mode) {
    if (!dc || !dc->Prepare() || mode > GRADIENT_FILL_RECT_V) return FALSE;
    for (uint32_t i = 0; i < nRects; ++i) {
        if (rects[i].UpperLeft >= nVertices || rects[i].LowerRight >= nVertices) return FALSE;
        const TRIVERTEX& a = v[rects[i].UpperLeft];
        const TRIVERTEX& b = v[rects[i].LowerRight];
        const int l = std::min(a.x, b.x), r = std::max(a.x, b.x), t = std::min(a.y, b.y),
                  btm = std::max(a.y, b.y);
        const bool horz = mode == GRADIENT_FILL_RECT_H;
        const int n = horz ? r - l : btm - t;
        for (int k = 0; k < n; ++k) {
            auto lerp = [&](int c1, int c2) { return (c1 + (c2 - c1) * k / std::max(1, n)) >> 8; };
            const QColor c(lerp(a.Red, b.Red), lerp(a.Green, b.Green), lerp(a.Blue, b.Blue));
            dc->Painter->fillRect(horz ? QRect(l + k, t, 1, btm - t) : QRect(l, t + k, r - l, 1), c);
        }
    }
    return TRUE;
}

int GetObject(HGDIOBJ obj, int size, void* out) {
    if (!obj || !out) return 0;
    if (obj->Kind == OBJ_BITMAP && size >= int(sizeof(BITMAP))) {
        auto* bm = static_cast<BITMAP*>(out);
        *bm = BITMAP();
        if (obj->Image) {
            bm->bmWidth = obj->Image->width();
            bm->bmHeight = obj->Image->height();
            bm->bmWidthBytes = LONG(obj->Image->bytesPerLine());
            bm->bmBits = obj->Image->bits();
        }
        return int(sizeof(BITMAP));
    }
    if (obj->Kind == OBJ_FONT && size >= int(sizeof(LOGFONTW))) {
        *static_cast<LOGFONTW*>(out) = obj->Log;
        return int(sizeof(LOGFONTW));
    }
    return 0;
}

HBITMAP LoadBitmap(NativeUInt, int id) {
    if (id != OBM_CHECKBOXES) return nullptr;
    static HGDIOBJ boxes = [] {
        // Row 0: check boxes, row 1: radio buttons, row 2: three-state boxes; columns: unchecked,
        // checked, pushed unchecked, pushed checked.
        auto* img = new QImage(4 * ClassicCheckBoxSize, 3 * ClassicCheckBoxSize, QImage::Format_RGB32);
        img->fill(RefToQColor(GetSysColor(COLOR_BTNFACE)));
        HGDIOBJ o = NewBitmapObject(img, true);
        o->Shared = true;
        HDC dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, o);
        const UINT kinds[3] = {DFCS_BUTTONCHECK, DFCS_BUTTONRADIO, DFCS_BUTTON3STATE};
        const UINT states[4] = {0, DFCS_CHECKED, DFCS_PUSHED, DFCS_PUSHED | DFCS_CHECKED};
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 4; ++col) {
                TRect r = Bounds(col * ClassicCheckBoxSize, row * ClassicCheckBoxSize, ClassicCheckBoxSize,
                                 ClassicCheckBoxSize);
                DrawFrameControl(dc, &r, DFC_BUTTON, kinds[row] | states[col]);
            }
        dc->Bitmap = nullptr;
        DeleteDC(dc);
        return o;
    }();
    return boxes;
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int w, int h, UINT, HBRUSH, UINT) {
    if (!dc || !icon || !icon->Image || !dc->Prepare()) return FALSE;
    const QImage& img = *icon->Image;
    dc->Painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    dc->Painter->drawImage(QRect(x, y, w > 0 ? w : img.width(), h > 0 ? h : img.height()), img);
    return TRUE;
}
BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
    return DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL);
}

// ---------------------------------------------------------------------------------------------
// Text
BOOL GetTextMetrics(HDC dc, TEXTMETRICW* tm) {
    if (!tm) return FALSE;
    HGDIOBJ f = CurrentFont(dc);
    if (f->TextMetrics) {
        *tm = *f->TextMetrics;
        return TRUE;
    }
    const QFontMetrics& fm = f->FontMetrics();
    *tm = TEXTMETRICW();
    tm->tmAscent = fm.ascent();
    tm->tmDescent = fm.descent();
    tm->tmHeight = fm.ascent() + fm.descent();
    tm->tmInternalLeading = std::max(0, tm->tmHeight - f->Font.pixelSize());
    tm->tmExternalLeading = std::max(0, fm.leading());
    tm->tmAveCharWidth = fm.averageCharWidth();
    tm->tmMaxCharWidth = fm.maxWidth();
    tm->tmWeight = f->Log.lfWeight ? f->Log.lfWeight : FW_NORMAL;
    tm->tmItalic = f->Log.lfItalic;
    tm->tmUnderlined = f->Log.lfUnderline;
    tm->tmStruckOut = f->Log.lfStrikeOut;
    tm->tmCharSet = f->Log.lfCharSet;
    // The platform's flag is set for variable pitch fonts.
    tm->tmPitchAndFamily = QFontInfo(f->Font).fixedPitch() ? 0 : 1;
    f->TextMetrics = *tm;
    return TRUE;
}

UINT GetOutlineTextMetrics(HDC dc, UINT size, OUTLINETEXTMETRICW* otm) {
    if (!otm) return UINT(sizeof(OUTLINETEXTMETRICW));
    (void)size;
    HGDIOBJ f = CurrentFont(dc);
    const QFontMetrics& fm = f->FontMetrics();
    *otm = OUTLINETEXTMETRICW();
    otm->otmSize = UINT(sizeof(OUTLINETEXTMETRICW));
    GetTextMetrics(dc, &otm->otmTextMetrics);
    GetCharSlope(dc, &otm->otmsCharSlopeRise, &otm->otmsCharSlopeRun);
    otm->otmItalicAngle = f->Log.lfItalic ? -120 : 0;
    otm->otmAscent = fm.ascent();
    otm->otmDescent = fm.descent();
    otm->otmsCapEmHeight = UINT(fm.capHeight());
    otm->otmsXHeight = UINT(fm.xHeight());
    otm->otmsUnderscoreSize = std::max(1, fm.lineWidth());
    otm->otmsUnderscorePosition = -fm.underlinePos();
    return otm->otmSize;
}

BOOL GetCharSlope(HDC dc, int* rise, int* run) {
    HGDIOBJ f = CurrentFont(dc);
    const bool italic = f->Log.lfItalic != 0;
    if (rise) *rise = italic ? 100 : 1;
    if (run) *run = italic ? 21 : 0;
    return TRUE;
}

BOOL GetTextExtentPoint32(HDC dc, const QChar* text, int count, TSize* size) {
    if (!size) return FALSE;
    const QFontMetrics& fm = CurrentFont(dc)->FontMetrics();
    size->cx = TextLineWidth(CurrentFont(dc)->Font, fm, QString(text, count), 0);
    size->cy = fm.ascent() + fm.descent();
    return TRUE;
}
BOOL GetTextExtentPoint32(HDC dc, const String& text, TSize* size) {
    return GetTextExtentPoint32(dc, text.constData(), int(text.size()), size);
}

BOOL GetTextExtentExPoint(HDC dc, const QChar* text, int count, int maxExtent, int* fit, int* extents,
                          TSize* size) {
    const QFontMetrics& fm = CurrentFont(dc)->FontMetrics();
    const QString s(text, count);
    int n = 0, e = 0;
    for (int i = 0; i < count; ++i) {
        // Kerning is off, so extents add up; a surrogate pair is measured as one character.
        if (s[i].isHighSurrogate() && i + 1 < count && s[i + 1].isLowSurrogate()) {
            e += fm.horizontalAdvance(s.mid(i, 2));
            if (extents) extents[i] = extents[i + 1] = e;
            if (e <= maxExtent) n = i + 2;
            ++i;
            continue;
        }
        e += fm.horizontalAdvance(s[i]);
        if (extents) extents[i] = e;
        if (e <= maxExtent) n = i + 1;
    }
    if (fit) *fit = n;
    if (size) {
        size->cx = fm.horizontalAdvance(s);
        size->cy = fm.ascent() + fm.descent();
    }
    return TRUE;
}

BOOL ExtTextOut(HDC dc, int x, int y, UINT options, const TRect* r, const QChar* text, int count,
                const int* dx) {
    if (!dc) return FALSE;
    HGDIOBJ f = CurrentFont(dc);
    const QFontMetrics& fm = f->FontMetrics();
    const QString s(text, std::max(0, count));
    int width = 0;
    if (dx)
        for (int i = 0; i < count; ++i)
            width += dx[i];
    else
        width = TextLineWidth(f->Font, fm, s, 0);
    const int height = fm.ascent() + fm.descent();
    const UINT align = dc->S.TextAlign;
    if (align & TA_UPDATECP) x = dc->S.CurPos.X, y = dc->S.CurPos.Y;
    int left = x;
    if ((align & TA_CENTER) == TA_CENTER)
        left = x - width / 2;
    else if (align & TA_RIGHT)
        left = x - width;
    int top = y;
    if ((align & TA_BASELINE) == TA_BASELINE)
        top = y - fm.ascent();
    else if (align & TA_BOTTOM)
        top = y - height;
    if (align & TA_UPDATECP) {
        if ((align & TA_CENTER) == TA_CENTER) {
        } else if (align & TA_RIGHT)
            dc->S.CurPos.X = x - width;
        else
            dc->S.CurPos.X = x + width;
    }
    if (!dc->Prepare()) return TRUE;
    QPainter* p = dc->Painter;
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    const bool clipped = (options & ETO_CLIPPED) && r;
    if (clipped) {
        p->save();
        p->setClipRect(QR(*r), Qt::IntersectClip);
    }
    if ((options & ETO_OPAQUE) && r) p->fillRect(QR(*r), RefToQColor(dc->S.BkColor));
    const int angle = f->Log.lfEscapement;
    if (dc->S.BkMode == OPAQUE && angle == 0 && !s.isEmpty())
        p->fillRect(QRect(left, top, width, height), RefToQColor(dc->S.BkColor));
    p->setFont(f->Font);
    p->setPen(RefToQColor(dc->S.TextColor));
    const bool rtl = (options & ETO_RTLREADING) || (align & TA_RTLREADING);
    if (angle != 0) {
        p->save();
        p->translate(x, y);
        p->rotate(-angle / 10.0);
        p->drawText(QPointF(0, fm.ascent()), s);
        p->restore();
    } else if (dx) {
        int cx = left;
        for (int i = 0; i < count; ++i) {
            p->drawText(QPointF(cx, top + fm.ascent()), QString(s[i]));
            cx += dx[i];
        }
    } else {
        DrawTextLine(dc, left, top, s, 0, rtl);
    }
    if (clipped) p->restore();
    return TRUE;
}

BOOL ExtTextOut(HDC dc, int x, int y, UINT options, const TRect* r, const String& text, const int* dx) {
    return ExtTextOut(dc, x, y, options, r, text.constData(), int(text.size()), dx);
}
BOOL TextOut(HDC dc, int x, int y, const QChar* text, int count) {
    return ExtTextOut(dc, x, y, 0, nullptr, text, count, nullptr);
}
BOOL TextOut(HDC dc, int x, int y, const String& text) {
    return TextOut(dc, x, y, text.constData(), int(text.size()));
}

int TextLineWidth(const QFontMetrics& fm, const QString& s, int tabWidth) {
    if (tabWidth <= 0 || !s.contains('\t')) return fm.horizontalAdvance(s);
    int x = 0;
    const QStringList parts = s.split('\t');
    for (int i = 0; i < parts.size(); ++i) {
        x += fm.horizontalAdvance(parts[i]);
        if (i + 1 < parts.size()) x = (x / tabWidth + 1) * tabWidth;
    }
    return x;
}

namespace {
struct TWidthKey {
    QFont Font;
    QString Text;
    bool operator==(const TWidthKey& o) const { return Text == o.Text && Font == o.Font; }
};
size_t qHash(const TWidthKey& k, size_t seed = 0) noexcept {
    return qHashMulti(seed, k.Font, k.Text);
}
} // namespace

int TextLineWidth(const QFont& font, const QFontMetrics& fm, const QString& s, int tabWidth) {
    if (tabWidth > 0 && s.contains('\t')) return TextLineWidth(fm, s, tabWidth);
    // Painting runs on the GUI thread; the bound keeps texts of long-gone views from piling up.
    thread_local QHash<TWidthKey, int> cache;
    TWidthKey key{font, s};
    auto it = cache.constFind(key);
    if (it != cache.constEnd()) return *it;
    if (cache.size() >= 8192) cache.clear();
    const int w = fm.horizontalAdvance(s);
    cache.insert(std::move(key), w);
    return w;
}

void DrawTextLine(HDC dc, int x, int y, const QString& s, int tabWidth, bool rtl) {
    QPainter* p = dc->Painter;
    HGDIOBJ f = CurrentFont(dc);
    const QFontMetrics& fm = f->FontMetrics();
    const QTransform t = p->worldTransform();
    if (t.m11() < 0 && t.m12() == 0 && t.m21() == 0) {
        // A mirrored mapping mirrors where a text line goes, not its glyphs: the line is drawn
        // upright in the box its logical extent maps to.
        const int w = TextLineWidth(fm, s, tabWidth);
        const QRectF box = t.mapRect(QRectF(x, y, w, 1));
        p->save();
        p->setWorldTransform(QTransform(1, 0, 0, t.m22(), 0, t.dy()));
        DrawTextLine(dc, int(std::lround(box.left())), y, s, tabWidth, rtl);
        p->restore();
        return;
    }
    p->setFont(f->Font);
    p->setPen(RefToQColor(dc->S.TextColor));
    if (rtl) {
        const int w = TextLineWidth(fm, s, tabWidth);
        p->drawText(QRect(x, y, w + 1, fm.ascent() + fm.descent()), Qt::AlignLeft | Qt::TextForceRightToLeft,
                    s);
        return;
    }
    if (tabWidth <= 0 || !s.contains('\t')) {
        p->drawText(QPointF(x, y + fm.ascent()), s);
        return;
    }
    int cx = 0;
    const QStringList parts = s.split('\t');
    for (int i = 0; i < parts.size(); ++i) {
        p->drawText(QPointF(x + cx, y + fm.ascent()), parts[i]);
        cx += fm.horizontalAdvance(parts[i]);
        if (i + 1 < parts.size()) cx = (cx / tabWidth + 1) * tabWidth;
    }
}
