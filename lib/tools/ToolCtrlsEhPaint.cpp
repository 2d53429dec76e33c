// Colour maths, gradients, images in rectangles, tree outline glyphs, graphic providers and the
// small input and field routines of the tool controls.

#include "lib/tools/ToolCtrlsEh.h"
#include "lib/tools/ToolCtrlsEhInternal.h"
#include "platform/db/DB.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinApi.h"
#include "platform/ui/WinGdi.h"

#include <algorithm>
#include <cmath>

namespace {
int Clamp255(Int64 v) {
    return int(std::clamp<Int64>(v, 0, 255));
}
TColor MakeRGB(int r, int g, int b) {
    return TColor(RGB(uint8_t(Clamp255(r)), uint8_t(Clamp255(g)), uint8_t(Clamp255(b))));
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Colours

TColor InterpolateColor(TColor Color1, TColor Color2, double Weight) {
    const COLORREF a = COLORREF(ColorToRGB(Color1)), b = COLORREF(ColorToRGB(Color2));
    auto ch = [&](int c1, int c2) { return Clamp255(c1 + Round((c2 - c1) / 255.0 * Weight)); };
    return MakeRGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)),
                   ch(GetBValue(a), GetBValue(b)));
}

TColor MixColorsPercent(TColor Color1, TColor Color2, int Percent) {
    const COLORREF a = COLORREF(ColorToRGB(Color1)), b = COLORREF(ColorToRGB(Color2));
    auto ch = [&](int c1, int c2) { return Clamp255(Round(c1 + Percent * (c2 - c1) / 100.0)); };
    return MakeRGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)),
                   ch(GetBValue(a), GetBValue(b)));
}

int ColorLuminance(TColor Color) {
    const COLORREF c = COLORREF(ColorToRGB(Color));
    return (77 * GetRValue(c) + 150 * GetGValue(c) + 29 * GetBValue(c)) >> 8;
}

TColor ColorToGray(TColor Color) {
    const int l = ColorLuminance(Color);
    return MakeRGB(l, l, l);
}

TColor DarkerColor(TColor Color1, TColor Color2) {
    return ColorLuminance(Color2) < ColorLuminance(Color1) ? Color2 : Color1;
}

void PaintVerticalGradient(TCanvas* Canvas, const TRect& Rect, TColor TopColor, TColor BottomColor) {
    const int h = Rect.Height();
    if (h < 2) return;
    const COLORREF t = COLORREF(ColorToRGB(TopColor)), b = COLORREF(ColorToRGB(BottomColor));
    auto ch = [&](int top, int bottom, int k) {
        return Clamp255(Round(top - k * double(top - bottom) / (h - 1)));
    };
    TPen* pen = Canvas->Pen();
    for (int k = 0; k < h; ++k) {
        pen->SetColor(MakeRGB(ch(GetRValue(t), GetRValue(b), k), ch(GetGValue(t), GetGValue(b), k),
                              ch(GetBValue(t), GetBValue(b), k)));
        const int y = Rect.Top + k;
        if (Rect.Width() > 1) {
            // A one-pixel-high rectangle drawn with the pen alone.
            Canvas->MoveTo(Rect.Left, y);
            Canvas->LineTo(Rect.Right, y);
        } else {
            Canvas->MoveTo(Rect.Left, y);
            Canvas->LineTo(Rect.Left + 1, y);
        }
    }
}

void PaintGradientLines(TCanvas* Canvas, const TPoint& Origin, const std::vector<TPoint>& Points,
                        TColor FromColor, TColor ToColor) {
    const int n = int(Points.size()) / 2;
    if (n == 0) return;
    const COLORREF f = COLORREF(ColorToRGB(FromColor)), t = COLORREF(ColorToRGB(ToColor));
    const int div = std::max(n - 1, 1);
    auto ch = [&](int from, int to, int k) { return Clamp255(Round(from - double(from - to) * k / div)); };
    for (int k = 0; k < n; ++k) {
        Canvas->Pen()->SetColor(MakeRGB(ch(GetRValue(f), GetRValue(t), k), ch(GetGValue(f), GetGValue(t), k),
                                        ch(GetBValue(f), GetBValue(t), k)));
        const TPoint& a = Points[size_t(2 * k)];
        const TPoint& b = Points[size_t(2 * k + 1)];
        Canvas->MoveTo(Origin.X + a.X, Origin.Y + a.Y);
        Canvas->LineTo(Origin.X + b.X, Origin.Y + b.Y);
    }
}

// ---------------------------------------------------------------------------------------------
// Images

void PaintImageInRect(TCustomImageList* Images, TBitmap* Bitmap, TCanvas* Canvas, const TRect& ARect,
                      int ImageIndex, int DX, TAlignment Alignment, const TRect& VisibleRect) {
    TRect visible;
    if (!IntersectRect(visible, ARect, VisibleRect)) return;
    int w, h;
    if (Images) {
        w = Images->Width(), h = Images->Height();
    } else if (Bitmap) {
        w = Bitmap->Width(), h = Bitmap->Height();
    } else {
        return;
    }
    int x;
    switch (Alignment) {
    case taRightJustify:
        x = ARect.Right - w + DX;
        break;
    case taCenter:
        x = (ARect.Left + ARect.Right - w) / 2 + DX;
        break;
    default:
        x = ARect.Left + DX;
    }
    const int y = (ARect.Top + ARect.Bottom - h) / 2;
    auto draw = [&] {
        if (Images)
            Images->Draw(Canvas, x, y, ImageIndex, true);
        else
            Canvas->Draw(x, y, Bitmap);
    };
    const TRect img(x, y, x + w, y + h);
    if (img.Left >= ARect.Left && img.Top >= ARect.Top && img.Right <= ARect.Right &&
        img.Bottom <= ARect.Bottom) {
        draw();
    } else {
        HRGN saved = BeginClipToRect(Canvas, ARect);
        ScopeExit restore([&] { EndClipToRect(Canvas, saved); });
        draw();
    }
}

void PaintImageCentred(HDC DC, const TRect& Rect, TCustomImageList* Images, int ImageIndex, bool Selected) {
    if (!Images || ImageIndex < 0 || ImageIndex >= Images->Count()) return;
    // A paint context handed to a control's canvas belongs to no canvas of its own: draw through
    // a temporary one bound to it, leaving the context's state as it was.
    TCanvas* canvas = DCCanvas(DC);
    std::unique_ptr<TCanvas> temp;
    int savedDC = 0;
    if (!canvas) {
        if (!DC) return;
        savedDC = SaveDC(DC);
        temp = std::make_unique<TCanvas>();
        temp->SetHandle(DC);
        canvas = temp.get();
    }
    ScopeExit release([&] {
        if (!temp) return;
        temp->SetHandle(nullptr);
        RestoreDC(DC, savedDC);
    });
    const int w = Images->Width(), h = Images->Height();
    const int x = Rect.Left + (Rect.Width() - w) / 2;
    const int y = Rect.Top + (Rect.Height() - h) / 2;
    const bool fits = w <= Rect.Width() && h <= Rect.Height();
    HRGN saved = nullptr;
    if (!fits) saved = BeginClipToRect(canvas, Rect);
    ScopeExit restore([&] {
        if (!fits) EndClipToRect(canvas, saved);
    });
    Images->Draw(canvas, x, y, ImageIndex, Selected ? dsSelected : dsNormal,
                 Images->ImageType() == itMask ? itMask : itImage, true);
}

// ---------------------------------------------------------------------------------------------
// Small routines

int FindStringIndex(TStrings* Strings, const String& Text, int Options) {
    if (!Strings) return -1;
    const bool prefix = (Options & 2) != 0;
    for (int i = 0; i < Strings->Count(); ++i) {
        const String s = prefix ? Strings->Strings(i).left(Text.size()) : Strings->Strings(i);
        if (LocaleCompareText(s, Text) == 0) return i;
    }
    return -1;
}

bool CanModifyAllFields(const std::vector<TField*>& Fields) {
    return std::all_of(Fields.begin(), Fields.end(), [](TField* f) { return f->CanModify(); });
}

TShiftState CurrentShiftKeys() {
    TShiftState s;
    if (GetAsyncKeyState(VK_SHIFT) & 0x8000) s.Include(ssShift);
    if (GetAsyncKeyState(VK_MENU) & 0x8000) s.Include(ssAlt);
    if (GetAsyncKeyState(VK_CONTROL) & 0x8000) s.Include(ssCtrl);
    return s;
}

bool IsNumericFieldKind(TFieldType FieldType) {
    switch (FieldType) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
        return true;
    default:
        return false;
    }
}

int ButtonHeightForWidth(int Width, bool Flat) {
    return Flat ? int(Round(Width * 4 / 3.0)) : Width;
}

bool IsDoubleClickPair(const TPoint& P1, const TPoint& P2, int Elapsed) {
    return Elapsed <= int(GetDoubleClickTime()) &&
           std::abs(P1.X - P2.X) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
           std::abs(P1.Y - P2.Y) <= GetSystemMetrics(SM_CYDOUBLECLK);
}

namespace {
// The waiting left press or double click for the window of Control (its parent for a graphic
// control), when one is first in the queue.
bool PeekPendingClick(TControl* Control, MSG& Msg, TWinControl*& Window) {
    Window = dynamic_cast<TWinControl*>(Control);
    if (!Window) Window = Control->Parent();
    if (!Window || !Window->HandleAllocated()) return false;
    if (!PeekMessage(&Msg, Window->Handle(), WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, PM_NOREMOVE)) return false;
    return Msg.message == WM_LBUTTONDOWN || Msg.message == WM_LBUTTONDBLCLK;
}
TPoint MsgClientPoint(const MSG& Msg) {
    return TPoint(SmallInt(LoWord(uintptr_t(Msg.lParam))), SmallInt(HiWord(uintptr_t(Msg.lParam))));
}
void RemovePendingClick(TWinControl* Window) {
    MSG m;
    PeekMessage(&m, Window->Handle(), WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, PM_REMOVE);
}
} // namespace

bool TakePendingClickInside(TControl* Control) {
    if (!Control) return false;
    MSG msg;
    TWinControl* window;
    if (!PeekPendingClick(Control, msg, window)) return false;
    TPoint p = MsgClientPoint(msg);
    if (window != Control) {
        if (window->ControlAtPos(p, true, false) != Control) return false;
        p = Control->ParentToClient(p, window);
    }
    const TRect cr = Control->ClientRect();
    if (!PtInRect(cr, p)) return false;
    RemovePendingClick(window);
    return true;
}

bool TakePendingClickOnControl(TControl* Control) {
    if (!Control) return false;
    MSG msg;
    TWinControl* window;
    if (!PeekPendingClick(Control, msg, window)) return false;
    if (window == Control || window->ControlAtPos(MsgClientPoint(msg), true, false) != Control) return false;
    RemovePendingClick(window);
    return true;
}

bool CustomStyleInUse() {
    return IsCustomStyleActive();
}

// ---------------------------------------------------------------------------------------------
// Drop-down placement

void PlaceDropDownNearRect(const TRect& ScreenRect, TWinControl* DropDown, TDropDownAlign Align,
                           TPoint& Pos) {
    InitForms();
    TMonitor* mon = Screen->MonitorFromRect(ScreenRect, MONITOR_DEFAULTTONEAREST);
    const TRect wa = mon ? mon->WorkareaRect() : Screen->WorkAreaRect();
    int h = DropDown->Height();
    int w = DropDown->Width();
    int y;
    const int roomBelow = wa.Bottom - ScreenRect.Bottom;
    const int roomAbove = ScreenRect.Top - wa.Top;
    bool below;
    if (h <= roomBelow)
        below = true;
    else if (h <= roomAbove)
        below = false;
    else
        below = roomBelow >= roomAbove;
    if (below) {
        y = ScreenRect.Bottom;
        if (y + h > wa.Bottom) h = wa.Bottom - y;
    } else {
        if (h > roomAbove) h = roomAbove;
        y = ScreenRect.Top - h;
    }
    if (h != DropDown->Height()) DropDown->SetHeight(h);
    DropDown->Perform(WM_USER_SIZEGRIPSIDE, below ? sgcpToBottom : sgcpToTop, 0);

    int x;
    switch (Align) {
    case daRight:
        x = ScreenRect.Right - w;
        break;
    case daCenter:
        x = ScreenRect.Left - (w - ScreenRect.Width()) / 2;
        break;
    default:
        x = ScreenRect.Left;
    }
    if (wa.Width() < w) {
        w = wa.Width();
        DropDown->SetWidth(w);
    }
    WPARAM side;
    if (x + w > wa.Right) {
        x = wa.Right - w;
        side = sgcpToLeft;
    } else if (x < wa.Left) {
        x = wa.Left;
        side = sgcpToRight;
    } else {
        side = Align == daRight ? sgcpToLeft : sgcpToRight;
    }
    DropDown->Perform(WM_USER_SIZEGRIPSIDE, side, 0);
    Pos = TPoint(x, y);
}

void PlaceDropDownUnderControl(TControl* Control, TWinControl* DropDown, TDropDownAlign Align, TPoint& Pos) {
    TRect r = Control->BoundsRect();
    if (Control->Parent()) {
        const TPoint tl = Control->Parent()->ClientToScreen(TPoint(r.Left, r.Top));
        r = TRect(tl.X, tl.Y, tl.X + r.Width(), tl.Y + r.Height());
    }
    PlaceDropDownNearRect(r, DropDown, Align, Pos);
}

// ---------------------------------------------------------------------------------------------
// Tree glyphs

namespace {
// Dotted line from (x1,y1) along one axis: dots every 2 × pen width, in phase with the
// neighbouring cells.
void DottedLine(std::vector<TPoint>& pts, int x1, int y1, int x2, int y2, bool DotPhase, int penWidth) {
    const bool vertical = x1 == x2;
    int len = vertical ? y2 - y1 : x2 - x1;
    if (len <= 0) return;
    const bool onStart = DotPhase == (((x1 & 1) != 0) != ((y1 & 1) != 0));
    int x = x1, y = y1;
    if (!onStart) {
        (vertical ? y : x) += 1;
        --len;
    }
    const int step = 2 * penWidth;
    int count = len / step + (len % 2 != 0 ? 1 : 0);
    for (int i = 0; i < count; ++i) {
        const int px = vertical ? x : x + i * step;
        const int py = vertical ? y + i * step : y;
        if ((vertical && py >= y2) || (!vertical && px >= x2)) break;
        pts.emplace_back(px, py);
        pts.emplace_back(vertical ? px + 1 : px + 1, py);
    }
}

HTHEME ExplorerTreeTheme() {
    static HTHEME theme = [] {
        if (!ThemesInUse()) return HTHEME(0);
        HTHEME t = OpenThemeData(nullptr, QStringLiteral("Explorer::Treeview"));
        if (!t) t = OpenThemeData(nullptr, QStringLiteral("Treeview"));
        return t;
    }();
    return theme;
}
} // namespace

void PaintTreeNodeGlyph(TCanvas* Canvas, const TRect& Rect, int Kind, bool DotPhase, double ScaleX,
                        double ScaleY, bool ShiftBox, bool UseSystemColors,
                        TTreeViewGlyphStyleEh GlyphStyle) {
    if (Kind < 0 || Kind > 11) return;
    const int cx = (Rect.Left + Rect.Right) / 2;
    const int cy = (Rect.Top + Rect.Bottom) / 2;
    const int rx4 = int(Round(4 * ScaleX)), ry4 = int(Round(4 * ScaleY));
    const TRect box(cx - rx4, cy - ry4, cx + rx4 + 1, cy + ry4 + 1);
    const int sx = int(Round(ScaleX)), sy = int(Round(ScaleY));
    const TColor oldBrush = Canvas->Brush()->Color();
    ScopeExit restore([&] {
        if (UseSystemColors) Canvas->Brush()->SetColor(oldBrush);
    });

    const bool hasGlyph = Kind <= 7;
    bool up = false, down = false, right = false;
    switch (Kind) {
    case 0:
    case 4:
        up = down = right = true;
        break;
    case 1:
    case 5:
        up = right = true;
        break;
    case 2:
    case 6:
        down = right = true;
        break;
    case 8:
        up = down = right = true;
        break;
    case 9:
        up = right = true;
        break;
    case 10:
        down = right = true;
        break;
    case 11:
        up = down = true;
        break;
    default:
        break;
    }

    if (UseSystemColors) {
        Canvas->Pen()->SetStyle(psSolid);
        Canvas->Pen()->SetColor(clBtnShadow);
    }
    const int penWidth = std::max(1, Canvas->Pen()->Width());
    std::vector<TPoint> dots;
    const int upEnd = hasGlyph ? box.Top : cy;
    const int downStart = hasGlyph ? box.Bottom + sy : cy;
    const int rightStart = hasGlyph ? box.Right + sx : cx;
    if (up) DottedLine(dots, cx, Rect.Top, cx, upEnd, DotPhase, penWidth);
    if (down) DottedLine(dots, cx, downStart, cx, Rect.Bottom, DotPhase, penWidth);
    if (right) DottedLine(dots, rightStart, cy, Rect.Right, cy, DotPhase, penWidth);
    if (!dots.empty()) {
        std::vector<DWORD> counts(dots.size() / 2, 2);
        // The dots go straight to the device context: the canvas selects its current pen into
        // it first (a polyline of one point draws nothing).
        Canvas->Polyline(dots.data(), 1);
        PolyPolyline(Canvas->Handle(), dots.data(), counts.data(), int(counts.size()));
    }
    if (!hasGlyph) return;

    const bool collapsed = Kind >= 4;
    if ((GlyphStyle == tvgsThemedEh || GlyphStyle == tvgsExplorerThemedEh) && ThemesInUse()) {
        if (GlyphStyle == tvgsThemedEh) {
            StyleServices()->DrawElement(
                Canvas->Handle(),
                TCustomStyleServices::GetElementDetails(collapsed ? ttGlyphClosed : ttGlyphOpened), box);
        } else {
            HTHEME theme = ExplorerTreeTheme();
            int side = std::min(Rect.Width(), Rect.Height());
            TRect sq(cx - side / 2, cy - side / 2, cx - side / 2 + side, cy - side / 2 + side);
            if (side <= 15) InflateRect(sq, 17 - side, 17 - side);
            TRect clip = Rect;
            DrawThemeBackground(theme, Canvas->Handle(), TVP_GLYPH, collapsed ? GLPS_CLOSED : GLPS_OPENED,
                                &sq, &clip);
        }
        return;
    }
    if (GlyphStyle == tvgsClassicEh) {
        TRect b = box;
        if (ShiftBox) OffsetRect(b, -1, 0);
        if (UseSystemColors) {
            Canvas->Brush()->SetColor(StyleServices()->GetSystemColor(clWindow));
            Canvas->Pen()->SetColor(clBtnShadow);
        }
        Canvas->Rectangle(b);
    }
    if (UseSystemColors) Canvas->Pen()->SetColor(StyleServices()->GetSystemColor(clWindowText));
    const int rx2 = int(Round(2 * ScaleX)), ry2 = int(Round(2 * ScaleY));
    Canvas->MoveTo(box.Left + rx2, cy);
    Canvas->LineTo(box.Right - rx2, cy);
    if (collapsed) {
        Canvas->MoveTo(cx, box.Top + ry2);
        Canvas->LineTo(cx, box.Bottom - ry2);
    }
}

// ---------------------------------------------------------------------------------------------
// Graphic providers

TGraphicClass TGraphicProviderEh::GetImageClassForStream(const uint8_t*, int) const {
    return nullptr;
}

TGraphicClass TBMPGraphicProviderEh::GetImageClassForStream(const uint8_t* Start, int Count) const {
    if (!Start || Count < 2) return nullptr;
    const uint16_t magic = uint16_t(Start[0] | (Start[1] << 8));
    return magic == 19778 ? &TBitmap::StaticClassInfo() : nullptr;
}

namespace {
std::vector<const TGraphicProviderEh*>& Providers() {
    static TBMPGraphicProviderEh bmp;
    static std::vector<const TGraphicProviderEh*> list{&bmp};
    return list;
}
} // namespace

void RegisterGraphicProvider(const TGraphicProviderEh* Provider) {
    auto& list = Providers();
    if (!Provider || std::find(list.begin(), list.end(), Provider) != list.end()) return;
    list.insert(list.begin(), Provider);
}

TGraphicClass GraphicClassForStream(const uint8_t* Start, int Count) {
    for (const TGraphicProviderEh* p : Providers())
        if (TGraphicClass c = p->GetImageClassForStream(Start, Count)) return c;
    return nullptr;
}

int GraphicProviderCount() {
    return int(Providers().size());
}
