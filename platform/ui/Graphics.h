#pragma once
// Colours, fonts, pens, brushes, the canvas and the graphic classes of the window layer.
//
// TCanvas draws through a device context (HDC, see WinGdi.h) that wraps a QPainter. A canvas
// is bound to a widget's painter during a paint event (BindPainter), to an image (TBitmap's
// canvas), or measures text on the screen context. Coordinates are integers and rectangles
// are half-open; everything is drawn without antialiasing so that results are pixel-exact.
//
// Fonts: the platform lays out windows for 96 pixels per inch. A font's Height is the
// platform's: negative = pixel height of the characters (the em), positive = cell height
// including the internal leading; Size is in points at 96 ppi (Height = -MulDiv(Size, 96, 72)).
// The Qt font always receives a pixel size, so text keeps the layout's pixel proportions
// whatever DPI the X server reports. Windows face names map to installed Linux faces
// (see ResolveFontFamily): the dialog faces map to a face of about their widths (Liberation Sans,
// else DejaVu Sans Condensed), the fixed faces to a monospace face (Liberation Mono, DejaVu Sans Mono).

#include "platform/classes/Classes.h"
#include "platform/rtl/System.h"
#include "platform/ui/Types.h"

#include <memory>
#include <vector>

class QPainter;
class QImage;
class QFont;
class QColor;
class QPaintDevice;

class TBitmap;
class TCanvas;
class TGraphic;

// ---------------------------------------------------------------------------------------------
// Handles. A device context wraps a painter; GDI objects are light shared values.
struct TDeviceContext;
struct TGdiObject;
using HDC = TDeviceContext*;
using HGDIOBJ = TGdiObject*;
using HPEN = HGDIOBJ;
using HBRUSH = HGDIOBJ;
using HFONT = HGDIOBJ;
using HBITMAP = HGDIOBJ;
using HRGN = HGDIOBJ;
using HPALETTE = HGDIOBJ;
using HICON = HGDIOBJ;

// ---------------------------------------------------------------------------------------------
// Colours: 0x00BBGGRR. System colours are 0xFF000000 | COLOR_xxx and resolve through ColorToRGB.
using TColor = int32_t;
using TColorRef = uint32_t;

enum : int {
    COLOR_SCROLLBAR = 0,
    COLOR_BACKGROUND = 1,
    COLOR_DESKTOP = 1,
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_ACTIVEBORDER = 10,
    COLOR_INACTIVEBORDER = 11,
    COLOR_APPWORKSPACE = 12,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_3DFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_3DSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_BTNHILIGHT = 20,
    COLOR_3DHIGHLIGHT = 20,
    COLOR_3DHILIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
    COLOR_HOTLIGHT = 26,
    COLOR_GRADIENTACTIVECAPTION = 27,
    COLOR_GRADIENTINACTIVECAPTION = 28,
    COLOR_MENUHILIGHT = 29,
    COLOR_MENUBAR = 30,
};

constexpr TColor clSystemColor = TColor(0xFF000000u);
constexpr TColor clScrollBar = clSystemColor | COLOR_SCROLLBAR;
constexpr TColor clBackground = clSystemColor | COLOR_BACKGROUND;
constexpr TColor clActiveCaption = clSystemColor | COLOR_ACTIVECAPTION;
constexpr TColor clInactiveCaption = clSystemColor | COLOR_INACTIVECAPTION;
constexpr TColor clMenu = clSystemColor | COLOR_MENU;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowFrame = clSystemColor | COLOR_WINDOWFRAME;
constexpr TColor clMenuText = clSystemColor | COLOR_MENUTEXT;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clCaptionText = clSystemColor | COLOR_CAPTIONTEXT;
constexpr TColor clActiveBorder = clSystemColor | COLOR_ACTIVEBORDER;
constexpr TColor clInactiveBorder = clSystemColor | COLOR_INACTIVEBORDER;
constexpr TColor clAppWorkSpace = clSystemColor | COLOR_APPWORKSPACE;
constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
constexpr TColor clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clBtnShadow = clSystemColor | COLOR_BTNSHADOW;
constexpr TColor clGrayText = clSystemColor | COLOR_GRAYTEXT;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clInactiveCaptionText = clSystemColor | COLOR_INACTIVECAPTIONTEXT;
constexpr TColor clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;
constexpr TColor cl3DDkShadow = clSystemColor | COLOR_3DDKSHADOW;
constexpr TColor cl3DLight = clSystemColor | COLOR_3DLIGHT;
constexpr TColor clInfoText = clSystemColor | COLOR_INFOTEXT;
constexpr TColor clInfoBk = clSystemColor | COLOR_INFOBK;
constexpr TColor clHotLight = clSystemColor | COLOR_HOTLIGHT;
constexpr TColor clGradientActiveCaption = clSystemColor | COLOR_GRADIENTACTIVECAPTION;
constexpr TColor clGradientInactiveCaption = clSystemColor | COLOR_GRADIENTINACTIVECAPTION;
constexpr TColor clMenuHighlight = clSystemColor | COLOR_MENUHILIGHT;
constexpr TColor clMenuBar = clSystemColor | COLOR_MENUBAR;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;
constexpr COLORREF CLR_NONE = 0xFFFFFFFFu;
constexpr COLORREF CLR_DEFAULT = 0xFF000000u;

constexpr COLORREF RGB(uint8_t r, uint8_t g, uint8_t b) {
    return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16);
}
constexpr uint8_t GetRValue(COLORREF c) {
    return uint8_t(c & 0xFF);
}
constexpr uint8_t GetGValue(COLORREF c) {
    return uint8_t((c >> 8) & 0xFF);
}
constexpr uint8_t GetBValue(COLORREF c) {
    return uint8_t((c >> 16) & 0xFF);
}

// The RGB value of a colour: system colours are looked up (GetSysColor), others pass unchanged.
int32_t ColorToRGB(TColor color);
// The system colour of a COLOR_xxx index, from the application palette when a GUI application
// exists, otherwise from fixed classic defaults. Overrides (SetSysColors) win.
DWORD GetSysColor(int index);
// Pins system colours (tests, custom schemes); SetSysColors(0, ...) with resetAll clears all pins.
BOOL SetSysColors(int count, const int* elements, const COLORREF* values);
void ResetSysColors();
// On a true-colour surface every colour is its own nearest colour.
inline COLORREF GetNearestColor(HDC, COLORREF c) {
    return c;
}

String ColorToString(TColor color);    // "clRed" or "$00BBGGRR"
TColor StringToColor(const String& s); // identifier or integer ("$..." hex); EConvertError
bool ColorToIdent(int32_t color, String& ident);
bool IdentToColor(const String& ident, int32_t& color);
using TGetStrProc = TEvent<void(const String& s)>;
void GetColorValues(const TGetStrProc& proc);

// Conversions to and from Qt (system colours resolved).
QColor ColorToQColor(TColor color);
TColor QColorToColor(const QColor& c);

// ---------------------------------------------------------------------------------------------
// Graphic objects
KVT_EXCEPTION(EInvalidGraphic, Exception)
KVT_EXCEPTION(EInvalidGraphicOperation, Exception)

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
enum TFontQuality {
    fqDefault,
    fqDraft,
    fqProof,
    fqNonAntialiased,
    fqAntialiased,
    fqClearType,
    fqClearTypeNatural
};
using TFontCharset = uint8_t;
using TFontName = String;

enum : uint8_t {
    ANSI_CHARSET = 0,
    DEFAULT_CHARSET = 1,
    SYMBOL_CHARSET = 2,
    SHIFTJIS_CHARSET = 128,
    HANGEUL_CHARSET = 129,
    GB2312_CHARSET = 134,
    CHINESEBIG5_CHARSET = 136,
    GREEK_CHARSET = 161,
    TURKISH_CHARSET = 162,
    HEBREW_CHARSET = 177,
    ARABIC_CHARSET = 178,
    BALTIC_CHARSET = 186,
    RUSSIAN_CHARSET = 204,
    THAI_CHARSET = 222,
    EASTEUROPE_CHARSET = 238,
    OEM_CHARSET = 255,
};

enum TPenStyle {
    psSolid,
    psDash,
    psDot,
    psDashDot,
    psDashDotDot,
    psClear,
    psInsideFrame,
    psUserStyle,
    psAlternate
};
enum TPenMode {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor
};
enum TBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};

// Base of TFont, TPen and TBrush: OnChange after every change.
class TGraphicsObject : public TPersistent {
    KVT_CLASS(TGraphicsObject, TPersistent)
public:
    TNotifyEvent OnChange;
    // Set by the owner of a shared object (e.g. a canvas) so it can guard concurrent use.
    void Lock() {}
    void Unlock() {}

protected:
    virtual void Changed();
    // The handle for the current properties, found again after a change.
    mutable HGDIOBJ FCachedHandle = nullptr;
};

// The platform's default GUI font: "Tahoma", 8 points (Height -11 at 96 ppi).
extern const char* const DefFontName;
constexpr int DefFontHeight = -11;

// Maps a Windows face name to an installed family: "Tahoma", "MS Sans Serif", "Segoe UI",
// "Arial", "Verdana", "Default" ... → a sans face; "Courier", "Courier New", "Consolas",
// "Lucida Console", "Fixedsys" → a monospace face. Unknown names pass through when installed.
String ResolveFontFamily(const String& name);

class TFont : public TGraphicsObject {
    KVT_CLASS(TFont, TGraphicsObject)
public:
    TFont();
    ~TFont() override;
    void Assign(TPersistent* source) override;

    TFontName Name() const { return FName; }
    void SetName(const TFontName& v);
    int Height() const { return FHeight; }
    void SetHeight(int v);
    int Size() const; // points at PixelsPerInch
    void SetSize(int v);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles v);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch v);
    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    int Orientation() const { return FOrientation; } // tenths of a degree, counter-clockwise
    void SetOrientation(int v);
    TFontQuality Quality() const { return FQuality; }
    void SetQuality(TFontQuality v);
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int v) { FPixelsPerInch = v; }

    // Equal fonts share one handle: comparing handles compares fonts.
    HFONT Handle() const;
    void SetHandle(HFONT h);
    // The Qt font this font draws with (pixel size, resolved family, style).
    QFont ToQFont() const;
    // The pixel size given to Qt: the character (em) height.
    int PixelSize() const;

private:
    TFontName FName;
    int FHeight = DefFontHeight;
    TFontStyles FStyle;
    TFontPitch FPitch = fpDefault;
    TFontCharset FCharset = DEFAULT_CHARSET;
    TColor FColor = clWindowText;
    int FOrientation = 0;
    TFontQuality FQuality = fqDefault;
    int FPixelsPerInch = 96;
};

class TPen : public TGraphicsObject {
    KVT_CLASS(TPen, TGraphicsObject)
public:
    TPen();
    ~TPen() override;
    void Assign(TPersistent* source) override;

    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    int Width() const { return FWidth; }
    void SetWidth(int v);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle v);
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode v);
    HPEN Handle() const;
    void SetHandle(HPEN h);

private:
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
};

class TBrush : public TGraphicsObject {
    KVT_CLASS(TBrush, TGraphicsObject)
public:
    TBrush();
    ~TBrush() override;
    void Assign(TPersistent* source) override;

    TColor Color() const { return FColor; }
    void SetColor(TColor v); // a colour other than clNone makes a clear brush solid
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle v);
    // A pattern bitmap (not owned); when set it replaces the colour and style.
    TBitmap* Bitmap() const { return FBitmap; }
    void SetBitmap(TBitmap* v);
    HBRUSH Handle() const;
    void SetHandle(HBRUSH h);

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    TBitmap* FBitmap = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Canvas
enum TTextFormats {
    tfBottom,
    tfCalcRect,
    tfCenter,
    tfEditControl,
    tfEndEllipsis,
    tfPathEllipsis,
    tfExpandTabs,
    tfExternalLeading,
    tfLeft,
    tfModifyString,
    tfNoClip,
    tfNoPrefix,
    tfRight,
    tfRtlReading,
    tfSingleLine,
    tfTop,
    tfVerticalCenter,
    tfWordBreak,
    tfHidePrefix,
    tfNoFullWidthCharBreak,
    tfPrefixOnly,
    tfTabStop,
    tfWordEllipsis,
    tfComposited
};
using TTextFormat = TSet<TTextFormats>;
// The DT_xxx flags of a text format.
UINT TextFormatFlags(TTextFormat f);

using TCopyMode = int32_t;
enum TFillStyle { fsSurface, fsBorder };
enum TCanvasState { csHandleValid, csFontValid, csPenValid, csBrushValid };
using TCanvasStates = TSet<TCanvasState>;

class TCanvas : public TPersistent {
    KVT_CLASS(TCanvas, TPersistent)
public:
    TCanvas();
    ~TCanvas() override;

    // Binds the canvas to a painter it does not own (a widget's paint event). The device
    // context starts fresh: no clip beyond the painter's, origin 0,0. ReleasePainter unbinds.
    void BindPainter(QPainter* painter);
    void ReleasePainter();
    // The device context; created on demand (CreateHandle). EInvalidOperation "Canvas does not
    // allow drawing" when the canvas has nothing to draw on.
    HDC Handle();
    // Attaches to an existing device context (nullptr detaches).
    void SetHandle(HDC dc);
    bool HandleAllocated() const { return FHandle != nullptr; }
    // The painter behind the device context (created on demand).
    QPainter* Painter();

    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* f) { FFont->Assign(f); }
    TPen* Pen() const { return FPen.get(); }
    void SetPen(TPen* p) { FPen->Assign(p); }
    TBrush* Brush() const { return FBrush.get(); }
    void SetBrush(TBrush* b) { FBrush->Assign(b); }
    TPoint PenPos();
    void SetPenPos(const TPoint& p) { MoveTo(p.X, p.Y); }
    TCopyMode CopyMode() const { return FCopyMode; }
    void SetCopyMode(TCopyMode m) { FCopyMode = m; }
    // The bounding box of the visible area in logical coordinates.
    TRect ClipRect();
    TColor Pixels(int x, int y); // -1 (CLR_INVALID) when the pixel cannot be read
    void SetPixels(int x, int y, TColor c);
    int TextFlags() const { return FTextFlags; } // ETO_xxx used by TextOut/TextRect
    void SetTextFlags(int f) { FTextFlags = f; }
    int LockCount() const { return FLockCount; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

    void Lock();
    void Unlock();
    bool TryLock();
    void Refresh();

    void CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect);
    void Draw(int x, int y, TGraphic* graphic);
    void Draw(int x, int y, TGraphic* graphic, uint8_t opacity);
    void StretchDraw(const TRect& rect, TGraphic* graphic);
    void DrawFocusRect(const TRect& rect);
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    void FillRect(const TRect& rect);
    void FrameRect(const TRect& rect);
    void MoveTo(int x, int y);
    void LineTo(int x, int y); // the end pixel is not drawn
    void Polygon(const TPoint* points, int count);
    void Polygon(const std::vector<TPoint>& points) { Polygon(points.data(), int(points.size())); }
    void Polyline(const TPoint* points, int count);
    void Polyline(const std::vector<TPoint>& points) { Polyline(points.data(), int(points.size())); }
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
    void RoundRect(const TRect& r, int cx, int cy) { RoundRect(r.Left, r.Top, r.Right, r.Bottom, cx, cy); }

    TSize TextExtent(const String& text);
    int TextWidth(const String& text) { return TextExtent(text).cx; }
    int TextHeight(const String& text) { return TextExtent(text).cy; }
    // Text with its top-left at x,y; opaque on the brush colour unless the brush is clear.
    void TextOut(int x, int y, const String& text);
    // Text at x,y clipped to rect; a solid brush fills rect first.
    void TextRect(const TRect& rect, int x, int y, const String& text);
    // DrawText with the format's flags; tfCalcRect updates rect, tfModifyString text.
    void TextRect(TRect& rect, String& text, TTextFormat format = {});

protected:
    // Makes a device context when one is needed and none is attached; the base has none.
    virtual void CreateHandle();
    // Attaches a context the canvas frees when it lets it go (SetHandle / destruction).
    void SetOwnedHandle(HDC dc);
    // Selects the font, pen and brush into the device context when they changed.
    void RequiredState(TCanvasStates req);
    virtual void Changing();
    virtual void Changed();

private:
    void FontChanged(TObject*);
    void PenChanged(TObject*);
    void BrushChanged(TObject*);
    void DeselectHandles();

    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
    HDC FHandle = nullptr;
    bool FOwnsHandle = false;
    TCanvasStates FState;
    TCopyMode FCopyMode;
    int FTextFlags = 0;
    int FLockCount = 0;

    friend class TBitmap;
};

// ---------------------------------------------------------------------------------------------
// Graphics
enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };
enum TAlphaFormat { afIgnored, afDefined, afPremultiplied };
enum TBitmapHandleType { bmDIB, bmDDB };

class TGraphic : public TPersistent {
    KVT_CLASS(TGraphic, TPersistent)
public:
    TGraphic();
    ~TGraphic() override;

    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int v) = 0;
    virtual void SetHeight(int v) = 0;
    virtual void SetSize(int w, int h);
    virtual bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool v);
    bool Modified() const { return FModified; }
    void SetModified(bool v);

    void LoadFromFile(const String& fileName);
    void SaveToFile(const String& fileName);
    virtual void LoadFromStream(TStream* stream) = 0;
    virtual void SaveToStream(TStream* stream) = 0;

    // The graphic as an ARGB32 image (transparency resolved to alpha).
    virtual QImage ToImage() const = 0;
    // Draws into rect of the canvas (stretching when the sizes differ).
    virtual void Draw(TCanvas* canvas, const TRect& rect);
    void DrawTransparent(TCanvas* canvas, const TRect& rect, uint8_t opacity);

    TNotifyEvent OnChange;

protected:
    virtual void Changed(TObject* sender);

private:
    bool FTransparent = false;
    bool FModified = false;
};
using TGraphicClass = const TClassInfo*;

class TBitmap : public TGraphic {
    KVT_CLASS(TBitmap, TGraphic)
public:
    TBitmap();
    TBitmap(int width, int height);
    ~TBitmap() override;
    void Assign(TPersistent* source) override;

    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    void SetWidth(int v) override;
    void SetHeight(int v) override;
    void SetSize(int w, int h) override;

    TCanvas* Canvas();
    TPixelFormat PixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TPixelFormat v);
    bool Monochrome() const { return FPixelFormat == pf1bit; }
    void SetMonochrome(bool v);
    TAlphaFormat AlphaFormat() const { return FAlphaFormat; }
    void SetAlphaFormat(TAlphaFormat v);
    // tmAuto: the colour of the bottom-left pixel is transparent.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor v);
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode v);
    TBitmapHandleType HandleType() const { return bmDIB; }
    void SetHandleType(TBitmapHandleType) {}
    bool IgnorePalette() const { return true; }
    void SetIgnorePalette(bool) {}
    void Dormant() {}
    void FreeImage() {}
    HBITMAP Handle();
    bool HandleAllocated() const { return true; }
    // Turns every pixel of the transparent colour white and the rest black.
    void Mask(TColor transparentColor);

    // Row y of the pixels (4 bytes a pixel, 0xAARRGGBB words). ERangeError "Scan line index
    // out of range" outside the bitmap.
    void* ScanLine(int row);

    void LoadFromStream(TStream* stream) override;
    void SaveToStream(TStream* stream) override; // BMP format
    // Bitmaps registered under a name (the platform's module resources).
    void LoadFromResourceName(NativeUInt instance, const String& name);
    static void RegisterResource(const String& name, const QImage& image);

    QImage ToImage() const override;
    // The pixels themselves; releases the canvas's painter first so they can be touched.
    QImage& Image();
    const QImage& Image() const { return *FImage; }
    void SetImage(const QImage& image);
    void Draw(TCanvas* canvas, const TRect& rect) override;

private:
    void ReleaseCanvasPainter() const;
    void Resize(int w, int h);
    friend class TBitmapCanvas;

    std::unique_ptr<QImage> FImage;
    std::unique_ptr<TCanvas> FCanvas;
    TPixelFormat FPixelFormat = pfDevice;
    TAlphaFormat FAlphaFormat = afIgnored;
    TColor FTransparentColor = clDefault;
    TTransparentMode FTransparentMode = tmAuto;
    HGDIOBJ FHandle = nullptr;
};

class TIcon : public TGraphic {
    KVT_CLASS(TIcon, TGraphic)
public:
    TIcon();
    ~TIcon() override;
    void Assign(TPersistent* source) override;
    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    void SetWidth(int v) override;
    void SetHeight(int v) override;
    void LoadFromStream(TStream* stream) override;
    void SaveToStream(TStream* stream) override; // ICO format
    QImage ToImage() const override;
    void SetImage(const QImage& image);
    HICON Handle();

private:
    std::unique_ptr<QImage> FImage;
    int FWidth = 32;
    int FHeight = 32;
    HGDIOBJ FHandle = nullptr;
};

// A picture in any format Qt reads (PNG, JPEG, GIF ...) kept as an image.
class TImageGraphic : public TGraphic {
    KVT_CLASS(TImageGraphic, TGraphic)
public:
    TImageGraphic();
    ~TImageGraphic() override;
    void Assign(TPersistent* source) override;
    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    void SetWidth(int v) override;
    void SetHeight(int v) override;
    void LoadFromStream(TStream* stream) override;
    void SaveToStream(TStream* stream) override; // the bytes it was loaded from, else PNG
    QImage ToImage() const override;
    String Format() const { return FFormat; } // "png", "jpeg", "gif" ...

private:
    std::unique_ptr<QImage> FImage;
    QByteArray FData;
    String FFormat;
};

// Stand-in: a metafile is kept as a picture of its playback.
class TMetafile : public TImageGraphic {
    KVT_CLASS(TMetafile, TImageGraphic)
};

class TPicture : public TPersistent {
    KVT_CLASS(TPicture, TPersistent)
public:
    TPicture();
    ~TPicture() override;
    void Assign(TPersistent* source) override;

    TGraphic* Graphic() const { return FGraphic.get(); }
    void SetGraphic(TGraphic* g); // copies g
    TBitmap* Bitmap();            // the graphic as a bitmap (replacing another kind)
    TIcon* Icon();
    int Width() const;
    int Height() const;
    bool Empty() const { return !FGraphic || FGraphic->Empty(); }

    // The format is recognised by the first bytes: BMP, PNG, JPEG, GIF, ICO.
    // EInvalidGraphic "Unknown picture file extension (.%s)" / "Bitmap image is not valid".
    void LoadFromFile(const String& fileName);
    void SaveToFile(const String& fileName);
    void LoadFromStream(TStream* stream);
    void SaveToStream(TStream* stream);

    TNotifyEvent OnChange;

protected:
    void AssignTo(TPersistent* dest) override;

private:
    void Changed(TObject* sender);
    void Replace(TGraphic* g);
    std::unique_ptr<TGraphic> FGraphic;
};

// The graphic class of a picture stream by its signature, or nullptr.
TGraphicClass DetectGraphicClass(const QByteArray& header);
