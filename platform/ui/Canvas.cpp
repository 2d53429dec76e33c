// TCanvas: the platform's canvas over a device context.

#include "platform/ui/GraphicsInternal.h"

TCanvas::TCanvas()
    : FFont(std::make_unique<TFont>()), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()),
      FCopyMode(SRCCOPY) {
    FFont->OnChange = TNotifyEvent(this, &TCanvas::FontChanged);
    FPen->OnChange = TNotifyEvent(this, &TCanvas::PenChanged);
    FBrush->OnChange = TNotifyEvent(this, &TCanvas::BrushChanged);
}

TCanvas::~TCanvas() {
    SetHandle(nullptr);
}

void TCanvas::FontChanged(TObject*) {
    FState.Exclude(csFontValid);
}
void TCanvas::PenChanged(TObject*) {
    FState.Exclude(csPenValid);
}
void TCanvas::BrushChanged(TObject*) {
    FState.Exclude(csBrushValid);
}

void TCanvas::BindPainter(QPainter* painter) {
    SetHandle(nullptr);
    if (!painter) return;
    FHandle = CreatePainterDC(painter);
    FHandle->Canvas = this;
    FOwnsHandle = true;
    FState = {csHandleValid};
}

void TCanvas::ReleasePainter() {
    SetHandle(nullptr);
}

void TCanvas::CreateHandle() {}

HDC TCanvas::Handle() {
    if (!FHandle) CreateHandle();
    if (!FHandle) throw EInvalidOperation(QStringLiteral("Canvas does not allow drawing"));
    // Callers draw and measure on the context directly, and outside painting the context is the
    // screen's, which every control canvas shares: it must hold this canvas's font, not the one
    // the last canvas left selected there.
    RequiredState({csFontValid});
    return FHandle;
}

void TCanvas::SetHandle(HDC dc) {
    if (FHandle == dc) return;
    if (FHandle) {
        DeselectHandles();
        if (FOwnsHandle) DeleteDC(FHandle);
    }
    FHandle = dc;
    FOwnsHandle = false;
    FState = dc ? TCanvasStates{csHandleValid} : TCanvasStates{};
}

void TCanvas::SetOwnedHandle(HDC dc) {
    SetHandle(dc);
    FOwnsHandle = dc != nullptr;
    if (dc && !dc->Canvas) dc->Canvas = this;
}

QPainter* TCanvas::Painter() {
    return DCPainter(Handle());
}

void TCanvas::DeselectHandles() {
    if (!FHandle) return;
    // Leave the context with stock objects so our shared objects can go away.
    if (FHandle->S.Pen == FPen->Handle()) FHandle->S.Pen = nullptr;
    if (FHandle->S.Brush == FBrush->Handle()) FHandle->S.Brush = nullptr;
    FState -= TCanvasStates{csFontValid, csPenValid, csBrushValid};
}

void TCanvas::RequiredState(TCanvasStates req) {
    if (!FHandle) CreateHandle();
    if (!FHandle) throw EInvalidOperation(QStringLiteral("Canvas does not allow drawing"));
    HDC dc = FHandle;
    if (req.Contains(csFontValid) && (!FState.Contains(csFontValid) || dc->S.Font != FFont->Handle())) {
        SelectObject(dc, FFont->Handle());
        SetTextColor(dc, ColorToRef(FFont->Color()) & 0xFFFFFF);
        FState += csFontValid;
    }
    if (req.Contains(csPenValid) && (!FState.Contains(csPenValid) || dc->S.Pen != FPen->Handle())) {
        SelectObject(dc, FPen->Handle());
        static const int rop[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                                  R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                                  R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                                  R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
        SetROP2(dc, rop[FPen->Mode()]);
        FState += csPenValid;
    }
    if (req.Contains(csBrushValid) && (!FState.Contains(csBrushValid) || dc->S.Brush != FBrush->Handle())) {
        SelectObject(dc, FBrush->Handle());
        SetBkColor(dc, ColorToRef(FBrush->Color()) & 0xFFFFFF);
        SetBkMode(dc, FBrush->Style() == bsSolid ? OPAQUE : TRANSPARENT);
        FState += csBrushValid;
    }
}

void TCanvas::Changing() {
    if (OnChanging) OnChanging(this);
}
void TCanvas::Changed() {
    if (OnChange) OnChange(this);
}

TPoint TCanvas::PenPos() {
    TPoint p;
    if (FHandle) GetCurrentPositionEx(FHandle, &p);
    return p;
}

TRect TCanvas::ClipRect() {
    TRect r;
    GetClipBox(Handle(), &r);
    return r;
}

TColor TCanvas::Pixels(int x, int y) {
    const COLORREF c = GetPixel(Handle(), x, y);
    return c == CLR_INVALID ? TColor(-1) : TColor(c);
}

void TCanvas::SetPixels(int x, int y, TColor c) {
    Changing();
    RequiredState({csHandleValid, csPenValid});
    SetPixel(FHandle, x, y, ColorToRef(c));
    Changed();
}

void TCanvas::Lock() {
    ++FLockCount;
}
void TCanvas::Unlock() {
    if (FLockCount > 0) --FLockCount;
}
bool TCanvas::TryLock() {
    if (FLockCount) return false;
    Lock();
    return true;
}

void TCanvas::Refresh() {
    FState = FHandle ? TCanvasStates{csHandleValid} : TCanvasStates{};
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect) {
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    source->RequiredState({csHandleValid, csBrushValid});
    StretchBlt(FHandle, dest.Left, dest.Top, dest.Width(), dest.Height(), source->FHandle, sourceRect.Left,
               sourceRect.Top, sourceRect.Width(), sourceRect.Height(), FCopyMode);
    Changed();
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
    if (!graphic || graphic->Empty()) return;
    Changing();
    RequiredState({csHandleValid});
    graphic->Draw(this, Rect(x, y, x + graphic->Width(), y + graphic->Height()));
    Changed();
}

void TCanvas::Draw(int x, int y, TGraphic* graphic, uint8_t opacity) {
    if (!graphic || graphic->Empty()) return;
    Changing();
    RequiredState({csHandleValid});
    graphic->DrawTransparent(this, Rect(x, y, x + graphic->Width(), y + graphic->Height()), opacity);
    Changed();
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic) {
    if (!graphic || graphic->Empty()) return;
    Changing();
    RequiredState({csHandleValid});
    graphic->Draw(this, rect);
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& rect) {
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    ::DrawFocusRect(FHandle, rect);
    Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::Ellipse(FHandle, x1, y1, x2, y2);
    Changed();
}

void TCanvas::FillRect(const TRect& rect) {
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    ::FillRect(FHandle, rect, FBrush->Handle());
    Changed();
}

void TCanvas::FrameRect(const TRect& rect) {
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    ::FrameRect(FHandle, rect, FBrush->Handle());
    Changed();
}

void TCanvas::MoveTo(int x, int y) {
    RequiredState({csHandleValid});
    MoveToEx(FHandle, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::LineTo(FHandle, x, y);
    Changed();
}

void TCanvas::Polygon(const TPoint* points, int count) {
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::Polygon(FHandle, points, count);
    Changed();
}

void TCanvas::Polyline(const TPoint* points, int count) {
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::Polyline(FHandle, points, count);
    Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::Rectangle(FHandle, x1, y1, x2, y2);
    Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::RoundRect(FHandle, x1, y1, x2, y2, x3, y3);
    Changed();
}

TSize TCanvas::TextExtent(const String& text) {
    TSize s;
    if (!FHandle) CreateHandle();
    if (FHandle) {
        RequiredState({csHandleValid, csFontValid});
        GetTextExtentPoint32(FHandle, text, &s);
    } else {
        // No context to draw on: measure as the screen would.
        HDC dc = ScreenDC();
        HGDIOBJ old = SelectObject(dc, FFont->Handle());
        GetTextExtentPoint32(dc, text, &s);
        SelectObject(dc, old);
    }
    return s;
}

void TCanvas::TextOut(int x, int y, const String& text) {
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    ExtTextOut(FHandle, x, y, UINT(FTextFlags), nullptr, text);
    MoveToEx(FHandle, x + TextWidth(text), y, nullptr);
    Changed();
}

void TCanvas::TextRect(const TRect& rect, int x, int y, const String& text) {
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    UINT options = ETO_CLIPPED | (UINT(FTextFlags) & ~UINT(ETO_OPAQUE));
    if (FBrush->Style() != bsClear) options |= ETO_OPAQUE;
    ExtTextOut(FHandle, x, y, options, &rect, text);
    Changed();
}

void TCanvas::TextRect(TRect& rect, String& text, TTextFormat format) {
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    UINT flags = TextFormatFlags(format);
    const int oldMode = FBrush->Style() == bsClear ? SetBkMode(FHandle, TRANSPARENT) : -1;
    DrawTextEx(FHandle, text, -1, &rect, flags, nullptr);
    if (oldMode >= 0) SetBkMode(FHandle, oldMode);
    Changed();
}
