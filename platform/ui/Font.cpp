// Fonts, pens and brushes, and the shared GDI objects behind their handles.

#include "platform/rtl/SysUtils.h"
#include "platform/ui/GraphicsInternal.h"

#include <QFontDatabase>
#include <QGuiApplication>

#include <map>
#include <mutex>

const char* const DefFontName = "Tahoma";

namespace {

std::recursive_mutex gObjMutex;

bool HaveGui() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

// Windows faces and the Linux faces that stand in for them, first installed one wins. The
// dialog faces (Tahoma, MS Sans Serif, Segoe UI, Arial) need about their own widths, or text
// laid out in pixels for them gets clipped: Liberation Sans has Arial's metrics, and DejaVu
// Sans Condensed comes close to Tahoma's. Verdana's metrics are DejaVu Sans's own.
const QStringList& SansFaces() {
    static const QStringList l{"Liberation Sans", "Arimo",     "DejaVu Sans Condensed",
                               "DejaVu Sans",     "Noto Sans", "FreeSans"};
    return l;
}
const QStringList& WideSansFaces() {
    static const QStringList l{"DejaVu Sans", "Noto Sans", "Liberation Sans", "FreeSans"};
    return l;
}
const QStringList& MonoFaces() {
    static const QStringList l{"Liberation Mono", "Cousine", "DejaVu Sans Mono", "Noto Sans Mono",
                               "FreeMono"};
    return l;
}
const QStringList& SerifFaces() {
    static const QStringList l{"Liberation Serif", "Tinos", "DejaVu Serif", "Noto Serif", "FreeSerif"};
    return l;
}

QString FirstInstalled(const QStringList& faces, const char* generic) {
    if (!HaveGui()) return faces.first();
    const QStringList families = QFontDatabase::families();
    for (const QString& f : faces)
        if (families.contains(f, Qt::CaseInsensitive)) return f;
    return QString::fromLatin1(generic);
}

} // namespace

String ResolveFontFamily(const String& name) {
    static std::map<QString, QString> cache;
    std::lock_guard<std::recursive_mutex> lock(gObjMutex);
    const QString key = name.toLower();
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    static const QStringList sans{"tahoma",
                                  "ms sans serif",
                                  "microsoft sans serif",
                                  "segoe ui",
                                  "arial",
                                  "default",
                                  "ms shell dlg",
                                  "ms shell dlg 2",
                                  "system",
                                  "small fonts",
                                  "calibri",
                                  "helvetica",
                                  ""};
    static const QStringList mono{"courier",        "courier new", "consolas",
                                  "lucida console", "fixedsys",    "terminal"};
    static const QStringList serif{"times new roman", "times", "ms serif", "georgia"};
    QString r;
    if (sans.contains(key))
        r = FirstInstalled(SansFaces(), "sans-serif");
    else if (key == QLatin1String("verdana"))
        r = FirstInstalled(WideSansFaces(), "sans-serif");
    else if (mono.contains(key))
        r = FirstInstalled(MonoFaces(), "monospace");
    else if (serif.contains(key))
        r = FirstInstalled(SerifFaces(), "serif");
    else if (!HaveGui() || QFontDatabase::families().contains(name, Qt::CaseInsensitive))
        r = name;
    else
        r = FirstInstalled(SansFaces(), "sans-serif");
    cache[key] = r;
    return r;
}

const QFontMetrics& TGdiObject::FontMetrics() {
    if (!Metrics) Metrics.emplace(Font);
    return *Metrics;
}

QFont QFontFromLog(const LOGFONTW& lf) {
    QFont f(ResolveFontFamily(lf.lfFaceName));
    f.setStyleStrategy(QFont::StyleStrategy(
        QFont::PreferDefault |
        (lf.lfQuality == NONANTIALIASED_QUALITY ? QFont::NoAntialias : QFont::PreferDefault)));
    f.setHintingPreference(QFont::PreferFullHinting);
    int h = lf.lfHeight;
    if (h == 0) h = DefFontHeight;
    if (h < 0) {
        f.setPixelSize(-h);
    } else {
        // A positive height is the cell height (ascent + descent): find the em that gives it.
        f.setPixelSize(h);
        if (HaveGui()) {
            QFontMetrics fm(f);
            const int cell = fm.ascent() + fm.descent();
            if (cell > 0) f.setPixelSize(std::max(1, int(double(h) * h / cell + 0.5)));
        }
    }
    const int w = lf.lfWeight == 0 ? FW_NORMAL : int(lf.lfWeight);
    f.setWeight(QFont::Weight(std::clamp(w, 1, 1000)));
    f.setItalic(lf.lfItalic != 0);
    f.setUnderline(lf.lfUnderline != 0);
    f.setStrikeOut(lf.lfStrikeOut != 0);
    if ((lf.lfPitchAndFamily & 3) == FIXED_PITCH) f.setFixedPitch(true);
    f.setKerning(false); // the platform does not kern; keeps extents additive
    return f;
}

namespace {
QString LogKey(const LOGFONTW& lf) {
    return QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9|%10|%11")
        .arg(lf.lfFaceName.toLower())
        .arg(lf.lfHeight)
        .arg(lf.lfWeight)
        .arg(lf.lfItalic)
        .arg(lf.lfUnderline)
        .arg(lf.lfStrikeOut)
        .arg(lf.lfEscapement)
        .arg(lf.lfCharSet)
        .arg(lf.lfPitchAndFamily)
        .arg(lf.lfQuality)
        .arg(lf.lfWidth);
}
} // namespace

HGDIOBJ InternFont(const LOGFONTW& lf) {
    static std::map<QString, TGdiObject*> fonts;
    std::lock_guard<std::recursive_mutex> lock(gObjMutex);
    const QString key = LogKey(lf);
    auto it = fonts.find(key);
    if (it != fonts.end()) return it->second;
    auto* o = new TGdiObject;
    o->Kind = OBJ_FONT;
    o->Shared = true;
    o->Log = lf;
    o->Font = QFontFromLog(lf);
    fonts[key] = o;
    return o;
}

HGDIOBJ InternPen(int style, int width, COLORREF color) {
    static std::map<std::tuple<int, int, COLORREF>, TGdiObject*> pens;
    std::lock_guard<std::recursive_mutex> lock(gObjMutex);
    auto key = std::make_tuple(style, width, color);
    auto it = pens.find(key);
    if (it != pens.end()) return it->second;
    auto* o = new TGdiObject;
    o->Kind = OBJ_PEN;
    o->Shared = true;
    o->PenStyle = style;
    o->PenWidth = width;
    o->Color = color;
    pens[key] = o;
    return o;
}

HGDIOBJ InternBrush(int style, int hatch, COLORREF color) {
    static std::map<std::tuple<int, int, COLORREF>, TGdiObject*> brushes;
    std::lock_guard<std::recursive_mutex> lock(gObjMutex);
    auto key = std::make_tuple(style, hatch, color);
    auto it = brushes.find(key);
    if (it != brushes.end()) return it->second;
    auto* o = new TGdiObject;
    o->Kind = OBJ_BRUSH;
    o->Shared = true;
    o->BrushStyle = style;
    o->Hatch = hatch;
    o->Color = color;
    brushes[key] = o;
    return o;
}

HGDIOBJ DefaultFontObject() {
    LOGFONTW lf;
    lf.lfHeight = DefFontHeight;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfFaceName = QString::fromLatin1(DefFontName);
    return InternFont(lf);
}

HFONT CreateFontIndirect(const LOGFONTW& lf) {
    auto* o = new TGdiObject;
    o->Kind = OBJ_FONT;
    o->Log = lf;
    o->Font = QFontFromLog(lf);
    return o;
}

bool GetFontLogFont(HFONT font, LOGFONTW& lf) {
    if (!font || font->Kind != OBJ_FONT) return false;
    lf = font->Log;
    return true;
}

// ---------------------------------------------------------------------------------------------
void TGraphicsObject::Changed() {
    FCachedHandle = nullptr;
    if (OnChange) OnChange(this);
}

TFont::TFont() : FName(QString::fromLatin1(DefFontName)) {}
TFont::~TFont() = default;

void TFont::Assign(TPersistent* source) {
    if (auto* f = dynamic_cast<TFont*>(source)) {
        if (f == this) return;
        FName = f->FName;
        FHeight = f->FHeight;
        FStyle = f->FStyle;
        FPitch = f->FPitch;
        FCharset = f->FCharset;
        FColor = f->FColor;
        FOrientation = f->FOrientation;
        FQuality = f->FQuality;
        // Height is kept in pixels; a different resolution keeps the point size.
        if (f->FPixelsPerInch != FPixelsPerInch) FHeight = -MulDiv(f->Size(), FPixelsPerInch, 72);
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}

#define KVT_SET(field, v)                                                                                    \
    if (field == (v)) return;                                                                                \
    field = (v);                                                                                             \
    Changed()

void TFont::SetName(const TFontName& v) {
    if (v.isEmpty()) return;
    KVT_SET(FName, v);
}
void TFont::SetHeight(int v) {
    KVT_SET(FHeight, v);
}
int TFont::Size() const {
    return -MulDiv(FHeight, 72, FPixelsPerInch);
}
void TFont::SetSize(int v) {
    SetHeight(-MulDiv(v, FPixelsPerInch, 72));
}
void TFont::SetStyle(TFontStyles v) {
    KVT_SET(FStyle, v);
}
void TFont::SetPitch(TFontPitch v) {
    KVT_SET(FPitch, v);
}
void TFont::SetCharset(TFontCharset v) {
    KVT_SET(FCharset, v);
}
void TFont::SetColor(TColor v) {
    KVT_SET(FColor, v);
}
void TFont::SetOrientation(int v) {
    KVT_SET(FOrientation, v);
}
void TFont::SetQuality(TFontQuality v) {
    KVT_SET(FQuality, v);
}

HFONT TFont::Handle() const {
    if (FCachedHandle) return FCachedHandle;
    LOGFONTW lf;
    lf.lfHeight = FHeight;
    lf.lfEscapement = FOrientation;
    lf.lfOrientation = FOrientation;
    lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = FStyle.Contains(fsItalic);
    lf.lfUnderline = FStyle.Contains(fsUnderline);
    lf.lfStrikeOut = FStyle.Contains(fsStrikeOut);
    lf.lfCharSet = FCharset;
    lf.lfQuality = FQuality == fqNonAntialiased ? NONANTIALIASED_QUALITY : DEFAULT_QUALITY;
    lf.lfPitchAndFamily = FPitch == fpFixed      ? FIXED_PITCH
                          : FPitch == fpVariable ? VARIABLE_PITCH
                                                 : DEFAULT_PITCH;
    lf.lfFaceName = FName.compare(QLatin1String("Default"), Qt::CaseInsensitive) == 0
                        ? QString::fromLatin1(DefFontName)
                        : FName;
    return FCachedHandle = InternFont(lf);
}

void TFont::SetHandle(HFONT h) {
    LOGFONTW lf;
    if (!GetFontLogFont(h, lf)) return;
    FName = lf.lfFaceName;
    FHeight = lf.lfHeight;
    FOrientation = lf.lfEscapement;
    TFontStyles s;
    if (lf.lfWeight >= FW_SEMIBOLD) s += fsBold;
    if (lf.lfItalic) s += fsItalic;
    if (lf.lfUnderline) s += fsUnderline;
    if (lf.lfStrikeOut) s += fsStrikeOut;
    FStyle = s;
    FCharset = lf.lfCharSet;
    FPitch = (lf.lfPitchAndFamily & 3) == FIXED_PITCH      ? fpFixed
             : (lf.lfPitchAndFamily & 3) == VARIABLE_PITCH ? fpVariable
                                                           : fpDefault;
    Changed();
}

QFont TFont::ToQFont() const {
    return Handle()->Font;
}
int TFont::PixelSize() const {
    return Handle()->Font.pixelSize();
}

// ---------------------------------------------------------------------------------------------
TPen::TPen() = default;
TPen::~TPen() = default;

void TPen::Assign(TPersistent* source) {
    if (auto* p = dynamic_cast<TPen*>(source)) {
        if (p == this) return;
        FColor = p->FColor;
        FWidth = p->FWidth;
        FStyle = p->FStyle;
        FMode = p->FMode;
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}
void TPen::SetColor(TColor v) {
    KVT_SET(FColor, v);
}
void TPen::SetWidth(int v) {
    if (v < 0) return;
    KVT_SET(FWidth, v);
}
void TPen::SetStyle(TPenStyle v) {
    KVT_SET(FStyle, v);
}
void TPen::SetMode(TPenMode v) {
    KVT_SET(FMode, v);
}

HPEN TPen::Handle() const {
    if (FCachedHandle) return FCachedHandle;
    const int style = FStyle == psClear ? PS_NULL : int(FStyle);
    return FCachedHandle = InternPen(style, FWidth, ColorToRef(FColor) & 0xFFFFFF);
}

void TPen::SetHandle(HPEN h) {
    if (!h || h->Kind != OBJ_PEN) return;
    FColor = TColor(h->Color);
    FWidth = h->PenWidth;
    FStyle = h->PenStyle == PS_NULL ? psClear : TPenStyle(h->PenStyle);
    Changed();
}

// ---------------------------------------------------------------------------------------------
TBrush::TBrush() = default;
TBrush::~TBrush() = default;

void TBrush::Assign(TPersistent* source) {
    if (auto* b = dynamic_cast<TBrush*>(source)) {
        if (b == this) return;
        FColor = b->FColor;
        FStyle = b->FStyle;
        FBitmap = b->FBitmap;
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}

void TBrush::SetColor(TColor v) {
    if (FColor == v && !(FStyle == bsClear && v != clNone)) return;
    FColor = v;
    if (v == clNone)
        FStyle = bsClear;
    else if (FStyle == bsClear)
        FStyle = bsSolid;
    Changed();
}
void TBrush::SetStyle(TBrushStyle v) {
    KVT_SET(FStyle, v);
}
void TBrush::SetBitmap(TBitmap* v) {
    KVT_SET(FBitmap, v);
}

HBRUSH TBrush::Handle() const {
    if (FBitmap) {
        // One pattern brush per bitmap, refreshed from its current pixels.
        static std::map<const TBitmap*, TGdiObject*> patterns;
        std::lock_guard<std::recursive_mutex> lock(gObjMutex);
        TGdiObject*& o = patterns[FBitmap];
        if (!o) {
            o = new TGdiObject;
            o->Kind = OBJ_BRUSH;
            o->Shared = true;
            o->BrushStyle = BS_PATTERN;
        }
        o->Pattern = FBitmap->ToImage();
        return o;
    }
    if (FCachedHandle) return FCachedHandle;
    switch (FStyle) {
    case bsClear:
        return FCachedHandle = InternBrush(BS_NULL, 0, 0);
    case bsSolid:
        return FCachedHandle = InternBrush(BS_SOLID, 0, ColorToRef(FColor) & 0xFFFFFF);
    default:
        return FCachedHandle =
                   InternBrush(BS_HATCHED, int(FStyle) - int(bsHorizontal), ColorToRef(FColor) & 0xFFFFFF);
    }
}

void TBrush::SetHandle(HBRUSH h) {
    if (!h || h->Kind != OBJ_BRUSH) return;
    FColor = TColor(h->Color);
    FStyle = h->BrushStyle == BS_NULL      ? bsClear
             : h->BrushStyle == BS_HATCHED ? TBrushStyle(int(bsHorizontal) + h->Hatch)
                                           : bsSolid;
    Changed();
}
