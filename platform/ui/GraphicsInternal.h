#pragma once
// Private to the graphics implementation: the device context and GDI object records.

#include "platform/ui/WinGdi.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QTransform>

#include <memory>
#include <optional>
#include <vector>

struct TGdiObject {
    int Kind = 0;        // OBJ_PEN, OBJ_BRUSH, OBJ_FONT, OBJ_BITMAP, OBJ_REGION
    bool Shared = false; // stock or interned: DeleteObject leaves it alone
    COLORREF Color = 0;
    // pen
    int PenStyle = PS_SOLID;
    int PenWidth = 1;
    // brush
    int BrushStyle = BS_SOLID;
    int Hatch = 0;
    QImage Pattern;
    int SysColorIndex = -1; // a system colour brush follows the palette
    // font
    LOGFONTW Log;
    QFont Font;
    std::optional<QFontMetrics> Metrics;
    std::optional<TEXTMETRICW> TextMetrics;
    // bitmap / icon
    QImage* Image = nullptr;
    std::unique_ptr<QImage> OwnImage;
    // region
    QRegion Region;

    const QFontMetrics& FontMetrics();
};

struct TDCState {
    HGDIOBJ Pen = nullptr;
    HGDIOBJ Brush = nullptr;
    HGDIOBJ Font = nullptr;
    int BkMode = OPAQUE;
    COLORREF BkColor = 0xFFFFFF;
    COLORREF TextColor = 0;
    COLORREF DCBrushColor = 0xFFFFFF;
    COLORREF DCPenColor = 0;
    UINT TextAlign = 0;
    int Rop2 = R2_COPYPEN;
    int MapMode = MM_TEXT;
    int StretchMode = COLORONCOLOR;
    TPoint ViewportOrg;
    TPoint WindowOrg;
    TSize ViewportExt{1, 1};
    TSize WindowExt{1, 1};
    DWORD Layout = 0;
    bool HasClip = false;
    QRegion Clip; // device pixels
    TPoint CurPos;
};

struct TDeviceContext {
    QPainter* Painter = nullptr;
    bool OwnsPainter = false;
    QImage* Image = nullptr;     // the pixels when the context draws on an image
    HGDIOBJ Bitmap = nullptr;    // the bitmap selected into a memory context
    HGDIOBJ OwnBitmap = nullptr; // a bitmap the context made and frees
    bool Memory = false;
    bool AutoPainter = false; // a painter on Image is made when drawing starts
    TCanvas* Canvas = nullptr;
    QTransform BaseTransform; // the painter's transform when it was bound
    bool BaseClipping = false;
    QRegion BaseClip;
    TDCState S;
    std::vector<TDCState> Saved;
    bool Dirty = true; // transform/clip must be given to the painter again

    // Device size (pixels) of what the context draws on.
    QRect DeviceBounds() const;
    QTransform Mapping() const; // logical -> device
    // Applies transform and clip to the painter before drawing. False: nothing to draw on.
    bool Prepare();
    // Device-space rectangle of a logical rectangle.
    QRect ToDevice(const TRect& r) const;
    TRect ToLogical(const QRect& r) const;
    // Draws on image from now on; the painter is made on demand.
    void BeginImage(QImage* image);
    // Ends a painter made on demand so the image can be touched; the state stays.
    void SuspendPainter();
    void EndPainter();
};

// Helpers shared by the drawing files
QColor RefToQColor(COLORREF c);
COLORREF QColorToRef(const QColor& c);
COLORREF ColorToRef(TColor c); // resolves system colours; clNone/clDefault → CLR_INVALID
QPainter::CompositionMode Rop2Mode(int rop2, bool& skip, bool& black, bool& white);
HGDIOBJ InternFont(const LOGFONTW& lf);
HGDIOBJ InternPen(int style, int width, COLORREF color);
HGDIOBJ InternBrush(int style, int hatch, COLORREF color);
HGDIOBJ NewBitmapObject(QImage* image, bool own);
QBrush BrushOf(HDC dc, HGDIOBJ brush);
QFont QFontFromLog(const LOGFONTW& lf);
HGDIOBJ DefaultFontObject();
// Fills a logical rectangle with a brush (no raster op), honouring the background mode for hatches.
void FillLogicalRect(HDC dc, const QRect& r, HGDIOBJ brush);
// Width of a line of text, tabs expanded to tabWidth pixels (0: tabs measured as glyphs).
int TextLineWidth(const QFontMetrics& fm, const QString& s, int tabWidth);
// The same, remembering the widths of texts without tabs per font (fm must be font's metrics):
// measuring shapes the text, and the same cell texts are measured on every paint.
int TextLineWidth(const QFont& font, const QFontMetrics& fm, const QString& s, int tabWidth);
// Draws a line of text with its cell's top-left at x,y (logical), tabs expanded.
void DrawTextLine(HDC dc, int x, int y, const QString& s, int tabWidth, bool rtl);
HGDIOBJ CurrentFont(HDC dc);
// Ends every on-demand painter working on image (before the image is changed directly).
void SuspendPaintersOn(const QImage* image);
// Detaches every context from image (the image is going away).
void ForgetImage(const QImage* image);
