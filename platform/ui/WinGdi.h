#pragma once
// The Windows drawing calls over the layer's device contexts (HDC, see Graphics.h). Logical
// coordinates map to device pixels through the window/viewport origins and extents; clip
// regions are kept in device pixels as on the platform.

#include "platform/ui/Graphics.h"

class QPainter;
class QRegion;
struct HWND__;

// ---------------------------------------------------------------------------------------------
// Device contexts
// A context over a painter the caller keeps (e.g. a widget's paint event); DeleteDC releases it.
HDC CreatePainterDC(QPainter* painter);
// A memory context; select a bitmap into it (SelectObject) before drawing.
HDC CreateCompatibleDC(HDC dc);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
BOOL DeleteDC(HDC dc);
// The whole window's device context, its non-client part included (window coordinates). On this
// platform a window is drawn only while it paints: outside its paint the answer is nullptr.
HDC GetWindowDC(HWND__* hWnd);
int ReleaseDC(HWND__* hWnd, HDC dc);
// The context used to measure text when no window exists (the platform's GetDC(0)).
HDC ScreenDC();
// The painter of a context (nullptr when it has none).
QPainter* DCPainter(HDC dc);
// The canvas that made the context, if any.
TCanvas* DCCanvas(HDC dc);

// A memory context over a copy of image (e.g. a grabbed widget, to read the pixels on screen).
HDC CreateImageDC(const QImage& image);

int SaveDC(HDC dc);
BOOL RestoreDC(HDC dc, int saved); // saved < 0: relative to the current level

enum : int { GDI_ERROR = -1 };
// Raster operations
enum : DWORD {
    SRCCOPY = 0x00CC0020,
    SRCPAINT = 0x00EE0086,
    SRCAND = 0x008800C6,
    SRCINVERT = 0x00660046,
    SRCERASE = 0x00440328,
    NOTSRCCOPY = 0x00330008,
    NOTSRCERASE = 0x001100A6,
    MERGECOPY = 0x00C000CA,
    MERGEPAINT = 0x00BB0226,
    PATCOPY = 0x00F00021,
    PATPAINT = 0x00FB0A09,
    PATINVERT = 0x005A0049,
    DSTINVERT = 0x00550009,
    BLACKNESS = 0x00000042,
    WHITENESS = 0x00FF0062,
};
constexpr TCopyMode cmBlackness = BLACKNESS, cmDstInvert = DSTINVERT, cmMergeCopy = MERGECOPY,
                    cmMergePaint = MERGEPAINT, cmNotSrcCopy = NOTSRCCOPY, cmNotSrcErase = NOTSRCERASE,
                    cmPatCopy = PATCOPY, cmPatInvert = PATINVERT, cmPatPaint = PATPAINT, cmSrcAnd = SRCAND,
                    cmSrcCopy = SRCCOPY, cmSrcErase = SRCERASE, cmSrcInvert = SRCINVERT,
                    cmSrcPaint = SRCPAINT, cmWhiteness = WHITENESS;

// Binary raster (pen) modes
enum : int {
    R2_BLACK = 1,
    R2_NOTMERGEPEN,
    R2_MASKNOTPEN,
    R2_NOTCOPYPEN,
    R2_MASKPENNOT,
    R2_NOT,
    R2_XORPEN,
    R2_NOTMASKPEN,
    R2_MASKPEN,
    R2_NOTXORPEN,
    R2_NOP,
    R2_MERGENOTPEN,
    R2_COPYPEN,
    R2_MERGEPENNOT,
    R2_MERGEPEN,
    R2_WHITE
};
int SetROP2(HDC dc, int mode);
int GetROP2(HDC dc);

// ---------------------------------------------------------------------------------------------
// Objects
enum : int {
    WHITE_BRUSH = 0,
    LTGRAY_BRUSH = 1,
    GRAY_BRUSH = 2,
    DKGRAY_BRUSH = 3,
    BLACK_BRUSH = 4,
    NULL_BRUSH = 5,
    HOLLOW_BRUSH = 5,
    WHITE_PEN = 6,
    BLACK_PEN = 7,
    NULL_PEN = 8,
    OEM_FIXED_FONT = 10,
    ANSI_FIXED_FONT = 11,
    ANSI_VAR_FONT = 12,
    SYSTEM_FONT = 13,
    DEVICE_DEFAULT_FONT = 14,
    DEFAULT_PALETTE = 15,
    SYSTEM_FIXED_FONT = 16,
    DEFAULT_GUI_FONT = 17,
    DC_BRUSH = 18,
    DC_PEN = 19
};
enum : int {
    PS_SOLID = 0,
    PS_DASH = 1,
    PS_DOT = 2,
    PS_DASHDOT = 3,
    PS_DASHDOTDOT = 4,
    PS_NULL = 5,
    PS_INSIDEFRAME = 6,
    PS_USERSTYLE = 7,
    PS_ALTERNATE = 8
};
enum : int { BS_SOLID = 0, BS_NULL = 1, BS_HOLLOW = 1, BS_HATCHED = 2, BS_PATTERN = 3 };
enum : int { HS_HORIZONTAL = 0, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS };
enum : int { OBJ_PEN = 1, OBJ_BRUSH = 2, OBJ_DC = 3, OBJ_FONT = 6, OBJ_BITMAP = 7, OBJ_REGION = 8 };

HGDIOBJ GetStockObject(int index);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HBRUSH GetSysColorBrush(int index);
HPEN CreatePen(int style, int width, COLORREF color);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj);
HGDIOBJ GetCurrentObject(HDC dc, UINT type);
BOOL DeleteObject(HGDIOBJ obj); // stock and shared objects are never freed
DWORD GetObjectType(HGDIOBJ obj);

struct LOGFONTW {
    LONG lfHeight = 0;
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = 0;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = 0;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    String lfFaceName;
};
using TLogFont = LOGFONTW;
using LOGFONT = LOGFONTW;
enum : int {
    FW_DONTCARE = 0,
    FW_THIN = 100,
    FW_LIGHT = 300,
    FW_NORMAL = 400,
    FW_MEDIUM = 500,
    FW_SEMIBOLD = 600,
    FW_BOLD = 700,
    FW_HEAVY = 900
};
enum : int { DEFAULT_PITCH = 0, FIXED_PITCH = 1, VARIABLE_PITCH = 2 };
enum : int {
    OUT_DEFAULT_PRECIS = 0,
    OUT_TT_ONLY_PRECIS = 7,
    CLIP_DEFAULT_PRECIS = 0,
    DEFAULT_QUALITY = 0,
    NONANTIALIASED_QUALITY = 3,
    ANTIALIASED_QUALITY = 4
};
HFONT CreateFontIndirect(const LOGFONTW& lf);
// The description of a font handle (for fonts only).
bool GetFontLogFont(HFONT font, LOGFONTW& lf);

// ---------------------------------------------------------------------------------------------
// Colours and modes
enum : int { TRANSPARENT = 1, OPAQUE = 2 };
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF c);
COLORREF GetBkColor(HDC dc);
COLORREF SetTextColor(HDC dc, COLORREF c);
COLORREF GetTextColor(HDC dc);
COLORREF SetDCBrushColor(HDC dc, COLORREF c);
COLORREF SetDCPenColor(HDC dc, COLORREF c);
enum : UINT {
    TA_NOUPDATECP = 0,
    TA_UPDATECP = 1,
    TA_LEFT = 0,
    TA_RIGHT = 2,
    TA_CENTER = 6,
    TA_TOP = 0,
    TA_BOTTOM = 8,
    TA_BASELINE = 24,
    TA_RTLREADING = 256
};
UINT SetTextAlign(HDC dc, UINT align);
UINT GetTextAlign(HDC dc);
COLORREF GetPixel(HDC dc, int x, int y);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF c);
enum : int {
    LOGPIXELSX = 88,
    LOGPIXELSY = 90,
    BITSPIXEL = 12,
    PLANES = 14,
    NUMCOLORS = 24,
    HORZRES = 8,
    VERTRES = 10
};
int GetDeviceCaps(HDC dc, int index);

// ---------------------------------------------------------------------------------------------
// Coordinates
enum : int { MM_TEXT = 1, MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8 };
int SetMapMode(HDC dc, int mode);
int GetMapMode(HDC dc);
BOOL SetViewportOrgEx(HDC dc, int x, int y, TPoint* old = nullptr);
BOOL GetViewportOrgEx(HDC dc, TPoint* p);
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, TPoint* old = nullptr);
BOOL SetWindowOrgEx(HDC dc, int x, int y, TPoint* old = nullptr);
BOOL GetWindowOrgEx(HDC dc, TPoint* p);
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, TPoint* old = nullptr);
BOOL SetWindowExtEx(HDC dc, int x, int y, TSize* old = nullptr);
BOOL SetViewportExtEx(HDC dc, int x, int y, TSize* old = nullptr);
BOOL LPtoDP(HDC dc, TPoint* points, int count);
BOOL DPtoLP(HDC dc, TPoint* points, int count);
enum : DWORD { LAYOUT_RTL = 1, LAYOUT_BITMAPORIENTATIONPRESERVED = 8 };
DWORD SetLayout(HDC dc, DWORD layout);
DWORD GetLayout(HDC dc);

// ---------------------------------------------------------------------------------------------
// Regions and clipping
enum : int { ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3, RGN_ERROR = 0 };
enum : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
enum : int { ALTERNATE = 1, WINDING = 2 };
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const TRect& r);
HRGN CreatePolygonRgn(const TPoint* points, int count, int fillMode);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int w, int h);
int CombineRgn(HRGN dest, HRGN a, HRGN b, int mode);
BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom);
int OffsetRgn(HRGN rgn, int dx, int dy);
BOOL PtInRegion(HRGN rgn, int x, int y);
BOOL RectInRegion(HRGN rgn, const TRect& r);
BOOL EqualRgn(HRGN a, HRGN b);
int GetRgnBox(HRGN rgn, TRect* r);
// The region behind a handle (device pixels).
QRegion RegionOf(HRGN rgn);
HRGN CreateRegionFrom(const QRegion& region);

// 1 and a copy of the clip region in rgn; 0 when the context is not clipped.
int GetClipRgn(HDC dc, HRGN rgn);
// nullptr removes the clip; the region is in device pixels.
int SelectClipRgn(HDC dc, HRGN rgn);
int ExtSelectClipRgn(HDC dc, HRGN rgn, int mode);
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom); // logical
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);   // logical
int OffsetClipRgn(HDC dc, int dx, int dy);
int GetClipBox(HDC dc, TRect* r); // logical
BOOL PtVisible(HDC dc, int x, int y);
BOOL RectVisible(HDC dc, const TRect& r);
BOOL FillRgn(HDC dc, HRGN rgn, HBRUSH brush);
BOOL FrameRgn(HDC dc, HRGN rgn, HBRUSH brush, int w, int h);
BOOL InvertRgn(HDC dc, HRGN rgn);
BOOL PaintRgn(HDC dc, HRGN rgn);

// ---------------------------------------------------------------------------------------------
// Lines and shapes
BOOL MoveToEx(HDC dc, int x, int y, TPoint* old = nullptr);
BOOL LineTo(HDC dc, int x, int y); // the end pixel is not drawn
BOOL GetCurrentPositionEx(HDC dc, TPoint* p);
BOOL Polyline(HDC dc, const TPoint* points, int count);
BOOL PolylineTo(HDC dc, const TPoint* points, int count);
BOOL PolyPolyline(HDC dc, const TPoint* points, const DWORD* counts, int polylines);
BOOL Polygon(HDC dc, const TPoint* points, int count);
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int w, int h);
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
int FillRect(HDC dc, const TRect& r, HBRUSH brush);
int FrameRect(HDC dc, const TRect& r, HBRUSH brush);
BOOL InvertRect(HDC dc, const TRect& r);
BOOL DrawFocusRect(HDC dc, const TRect& r);
BOOL PatBlt(HDC dc, int x, int y, int w, int h, DWORD rop);

// ---------------------------------------------------------------------------------------------
// Bitmaps
BOOL BitBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop);
BOOL StretchBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop);
enum : int { BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4 };
int SetStretchBltMode(HDC dc, int mode);
struct BLENDFUNCTION {
    BYTE BlendOp = 0;
    BYTE BlendFlags = 0;
    BYTE SourceConstantAlpha = 255;
    BYTE AlphaFormat = 0;
};
using TBlendFunction = BLENDFUNCTION;
enum : BYTE { AC_SRC_OVER = 0, AC_SRC_ALPHA = 1 };
// Source-over blend of the source scaled into the destination with the constant alpha (and the
// source's own alpha when AlphaFormat is AC_SRC_ALPHA).
BOOL AlphaBlend(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                BLENDFUNCTION blend);
BOOL TransparentBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                    UINT transparent);
struct TRIVERTEX {
    LONG x = 0;
    LONG y = 0;
    uint16_t Red = 0; // 0..0xFF00
    uint16_t Green = 0;
    uint16_t Blue = 0;
    uint16_t Alpha = 0;
};
struct GRADIENT_RECT {
    uint32_t UpperLeft = 0;
    uint32_t LowerRight = 0;
};
enum : uint32_t { GRADIENT_FILL_RECT_H = 0, GRADIENT_FILL_RECT_V = 1 };
BOOL GradientFill(HDC dc, const TRIVERTEX* vertices, uint32_t nVertices, const GRADIENT_RECT* rects,
                  uint32_t nRects, uint32_t mode);

struct BITMAP {
    LONG bmType = 0;
    LONG bmWidth = 0;
    LONG bmHeight = 0;
    LONG bmWidthBytes = 0;
    WORD bmPlanes = 1;
    WORD bmBitsPixel = 32;
    void* bmBits = nullptr;
};
// The description of a bitmap (BITMAP) or font (LOGFONTW) handle; answers the bytes written, 0 on
// a wrong kind.
int GetObject(HGDIOBJ obj, int size, void* out);
// System bitmaps: OBM_CHECKBOXES holds the classic check box and radio glyphs, 4 by 3 of them.
enum : int { OBM_CHECKBOXES = 32759 };
HBITMAP LoadBitmap(NativeUInt instance, int id);

// Icons (an icon handle is a TIcon's or an image list's picture)
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);
enum : UINT { DI_MASK = 1, DI_IMAGE = 2, DI_NORMAL = 3 };
BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int w, int h, UINT step, HBRUSH flicker, UINT flags);

// ---------------------------------------------------------------------------------------------
// Text
struct TEXTMETRICW {
    LONG tmHeight = 0;
    LONG tmAscent = 0;
    LONG tmDescent = 0;
    LONG tmInternalLeading = 0;
    LONG tmExternalLeading = 0;
    LONG tmAveCharWidth = 0;
    LONG tmMaxCharWidth = 0;
    LONG tmWeight = 0;
    LONG tmOverhang = 0;
    LONG tmDigitizedAspectX = 96;
    LONG tmDigitizedAspectY = 96;
    QChar tmFirstChar = QChar(0x20);
    QChar tmLastChar = QChar(0xFFFC);
    QChar tmDefaultChar = QChar(0x1F);
    QChar tmBreakChar = QChar(0x20);
    BYTE tmItalic = 0;
    BYTE tmUnderlined = 0;
    BYTE tmStruckOut = 0;
    BYTE tmPitchAndFamily = 0;
    BYTE tmCharSet = 0;
};
using TEXTMETRIC = TEXTMETRICW;
using TTextMetric = TEXTMETRICW;
BOOL GetTextMetrics(HDC dc, TEXTMETRICW* tm);
struct OUTLINETEXTMETRICW {
    UINT otmSize = 0;
    TEXTMETRICW otmTextMetrics;
    int otmsCharSlopeRise = 1; // italic slope: rise over run
    int otmsCharSlopeRun = 0;
    int otmItalicAngle = 0; // tenths of a degree, negative leans right
    UINT otmEMSquare = 2048;
    int otmAscent = 0;
    int otmDescent = 0;
    UINT otmsCapEmHeight = 0;
    UINT otmsXHeight = 0;
    int otmsUnderscoreSize = 1;
    int otmsUnderscorePosition = -1;
};
using TOutlineTextMetric = OUTLINETEXTMETRICW;
// Fills otm when given; answers its size (0 on failure).
UINT GetOutlineTextMetrics(HDC dc, UINT size, OUTLINETEXTMETRICW* otm);
// The slope of italic characters (rise over run; 1/0 for upright fonts).
BOOL GetCharSlope(HDC dc, int* rise, int* run);
BOOL GetTextExtentPoint32(HDC dc, const String& text, TSize* size);
BOOL GetTextExtentPoint32(HDC dc, const QChar* text, int count, TSize* size);
// How many characters fit into maxExtent (fit may be nullptr) and the extent after each one.
BOOL GetTextExtentExPoint(HDC dc, const QChar* text, int count, int maxExtent, int* fit, int* extents,
                          TSize* size);
BOOL TextOut(HDC dc, int x, int y, const String& text);
BOOL TextOut(HDC dc, int x, int y, const QChar* text, int count);
enum : UINT {
    ETO_OPAQUE = 2,
    ETO_CLIPPED = 4,
    ETO_GLYPH_INDEX = 0x10,
    ETO_RTLREADING = 0x80,
    ETO_IGNORELANGUAGE = 0x1000
};
// Text at x,y (per the text alignment); ETO_OPAQUE fills r with the background colour,
// ETO_CLIPPED clips to r; dx gives the advance of each character when not null.
BOOL ExtTextOut(HDC dc, int x, int y, UINT options, const TRect* r, const String& text,
                const int* dx = nullptr);
BOOL ExtTextOut(HDC dc, int x, int y, UINT options, const TRect* r, const QChar* text, int count,
                const int* dx = nullptr);

enum : UINT {
    DT_TOP = 0x0,
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_EXPANDTABS = 0x40,
    DT_TABSTOP = 0x80,
    DT_NOCLIP = 0x100,
    DT_EXTERNALLEADING = 0x200,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
    DT_INTERNAL = 0x1000,
    DT_EDITCONTROL = 0x2000,
    DT_PATH_ELLIPSIS = 0x4000,
    DT_END_ELLIPSIS = 0x8000,
    DT_MODIFYSTRING = 0x10000,
    DT_RTLREADING = 0x20000,
    DT_WORD_ELLIPSIS = 0x40000,
    DT_NOFULLWIDTHCHARBREAK = 0x80000,
    DT_HIDEPREFIX = 0x100000,
    DT_PREFIXONLY = 0x200000,
};
struct DRAWTEXTPARAMS {
    UINT cbSize = 20;
    int iTabLength = 0; // in average character widths
    int iLeftMargin = 0;
    int iRightMargin = 0;
    UINT uiLengthDrawn = 0;
};
using TDrawTextParams = DRAWTEXTPARAMS;
// The platform's DrawText: returns the height of the text (with DT_VCENTER/DT_BOTTOM the offset
// from r.Top to the bottom of the drawn text); DT_CALCRECT measures into r without drawing.
// count < 0 means the whole text. DT_MODIFYSTRING writes the ellipsis-shortened text back.
int DrawText(HDC dc, const String& text, int count, TRect* r, UINT format);
int DrawText(HDC dc, String& text, int count, TRect* r, UINT format);
int DrawTextEx(HDC dc, String& text, int count, TRect* r, UINT format, DRAWTEXTPARAMS* params);

// ---------------------------------------------------------------------------------------------
// Classic 3-D frames and frame controls
enum : UINT {
    BDR_RAISEDOUTER = 0x1,
    BDR_SUNKENOUTER = 0x2,
    BDR_RAISEDINNER = 0x4,
    BDR_SUNKENINNER = 0x8,
    BDR_OUTER = 0x3,
    BDR_INNER = 0xC,
    BDR_RAISED = 0x5,
    BDR_SUNKEN = 0xA,
    EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
    EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
    EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER,
    EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER,
};
enum : UINT {
    BF_LEFT = 0x1,
    BF_TOP = 0x2,
    BF_RIGHT = 0x4,
    BF_BOTTOM = 0x8,
    BF_TOPLEFT = BF_TOP | BF_LEFT,
    BF_TOPRIGHT = BF_TOP | BF_RIGHT,
    BF_BOTTOMLEFT = BF_BOTTOM | BF_LEFT,
    BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT,
    BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM,
    BF_DIAGONAL = 0x10,
    BF_DIAGONAL_ENDTOPRIGHT = BF_DIAGONAL | BF_TOP | BF_RIGHT,
    BF_DIAGONAL_ENDTOPLEFT = BF_DIAGONAL | BF_TOP | BF_LEFT,
    BF_DIAGONAL_ENDBOTTOMLEFT = BF_DIAGONAL | BF_BOTTOM | BF_LEFT,
    BF_DIAGONAL_ENDBOTTOMRIGHT = BF_DIAGONAL | BF_BOTTOM | BF_RIGHT,
    BF_MIDDLE = 0x800,
    BF_SOFT = 0x1000,
    BF_ADJUST = 0x2000,
    BF_FLAT = 0x4000,
    BF_MONO = 0x8000,
};
// Draws the edges of r inside r; BF_ADJUST shrinks r by the drawn borders.
BOOL DrawEdge(HDC dc, TRect* r, UINT edge, UINT flags);
inline BOOL DrawEdge(HDC dc, TRect& r, UINT edge, UINT flags) {
    return DrawEdge(dc, &r, edge, flags);
}

enum : UINT { DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4, DFC_POPUPMENU = 5 };
enum : UINT {
    DFCS_CAPTIONCLOSE = 0x0,
    DFCS_CAPTIONMIN = 0x1,
    DFCS_CAPTIONMAX = 0x2,
    DFCS_CAPTIONRESTORE = 0x3,
    DFCS_CAPTIONHELP = 0x4,
    DFCS_MENUARROW = 0x0,
    DFCS_MENUCHECK = 0x1,
    DFCS_MENUBULLET = 0x2,
    DFCS_MENUARROWRIGHT = 0x4,
    DFCS_SCROLLUP = 0x0,
    DFCS_SCROLLDOWN = 0x1,
    DFCS_SCROLLLEFT = 0x2,
    DFCS_SCROLLRIGHT = 0x3,
    DFCS_SCROLLCOMBOBOX = 0x5,
    DFCS_SCROLLSIZEGRIP = 0x8,
    DFCS_SCROLLSIZEGRIPRIGHT = 0x10,
    DFCS_BUTTONCHECK = 0x0,
    DFCS_BUTTONRADIOIMAGE = 0x1,
    DFCS_BUTTONRADIOMASK = 0x2,
    DFCS_BUTTONRADIO = 0x4,
    DFCS_BUTTON3STATE = 0x8,
    DFCS_BUTTONPUSH = 0x10,
    DFCS_INACTIVE = 0x100,
    DFCS_PUSHED = 0x200,
    DFCS_CHECKED = 0x400,
    DFCS_TRANSPARENT = 0x800,
    DFCS_HOT = 0x1000,
    DFCS_ADJUSTRECT = 0x2000,
    DFCS_FLAT = 0x4000,
    DFCS_MONO = 0x8000,
};
BOOL DrawFrameControl(HDC dc, TRect* r, UINT type, UINT state);
inline BOOL DrawFrameControl(HDC dc, TRect& r, UINT type, UINT state) {
    return DrawFrameControl(dc, &r, type, state);
}

// The platform's Frame3D: a one-colour-per-side frame of width pixels; r shrinks by width.
void Frame3D(TCanvas* canvas, TRect& r, TColor topColor, TColor bottomColor, int width);

// The width/height of the classic check box glyphs (OBM_CHECKBOXES holds 4x3 of them).
constexpr int ClassicCheckBoxSize = 13;
