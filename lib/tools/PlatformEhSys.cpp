// The window-system half of PlatformEh: thin forwards to the window layer's calls.

#include "lib/toolscore/PlatformEh.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/WinApi.h"
#include "platform/ui/WinGdi.h"

void CursorScreenPos(TPoint& P) {
    if (!GetCursorPos(&P)) P = TPoint(0, 0);
}

void LoadBitmapFromResource(TBitmap* Bitmap, NativeUInt Instance, const String& ResName) {
    Bitmap->LoadFromResourceName(Instance, ResName);
}

TGdiObject* SysLoadBitmap(NativeUInt Instance, const String& Name) {
    TBitmap bmp;
    try {
        bmp.LoadFromResourceName(Instance, Name);
    } catch (const Exception&) {
        return nullptr;
    }
    // The handle outlives this bitmap: hand out a copy the caller frees with DeleteObject.
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP h = CreateCompatibleBitmap(dc, bmp.Width(), bmp.Height());
    HGDIOBJ old = SelectObject(dc, h);
    BitBlt(dc, 0, 0, bmp.Width(), bmp.Height(), bmp.Canvas()->Handle(), 0, 0, SRCCOPY);
    SelectObject(dc, old);
    DeleteDC(dc);
    return h;
}

int SysDrawText(HDCEh DC, const String& Text, int Count, TRect& Rect, UINT Format) {
    String s = Text;
    return DrawText(DC, s, Count, &Rect, Format);
}

int SysDrawTextEx(HDCEh DC, const String& Text, int Count, TRect& Rect, UINT Format,
                  const DRAWTEXTPARAMS* Params) {
    String s = Text;
    if (!Params) return DrawTextEx(DC, s, Count, &Rect, Format, nullptr);
    DRAWTEXTPARAMS p = *Params;
    return DrawTextEx(DC, s, Count, &Rect, Format, &p);
}

void SysExtTextOut(HDCEh DC, int X, int Y, UINT Options, const TRect* Rect, const String& Text, int Count) {
    ExtTextOut(DC, X, Y, Options, Rect, Text.constData(), Count < 0 ? int(Text.size()) : Count, nullptr);
}

UINT SysGetOutlineTextMetrics(HDCEh DC, UINT BufferSize, OUTLINETEXTMETRICW* Buffer) {
    return GetOutlineTextMetrics(DC, BufferSize, Buffer);
}

LRESULT SysSendMessage(HWND Handle, UINT Msg, WPARAM WParam, LPARAM LParam) {
    return SendMessage(Handle, Msg, WParam, LParam);
}

void SysSendTextMessage(HWND Handle, UINT Msg, WPARAM WParam, const String& Text) {
    SendMessage(Handle, Msg, WParam, LPARAM(reinterpret_cast<intptr_t>(Text.constData())));
}

BOOL SysInvalidateRect(HWND Handle, const TRect* Rect, bool Erase) {
    return InvalidateRect(Handle, Rect, Erase);
}

BOOL SysValidateRect(HWND Handle, const TRect* Rect) {
    return ValidateRect(Handle, Rect);
}

BOOL SysScrollWindowEx(HWND Handle, int DX, int DY, const TRect* ScrollRect, const TRect* ClipRect,
                       HRGNEh UpdateRegion, UINT Flags) {
    return ScrollWindowEx(Handle, DX, DY, ScrollRect, ClipRect, UpdateRegion, nullptr, Flags);
}

BOOL SysScrollWindow(HWND Handle, int DX, int DY, const TRect* Rect, const TRect* ClipRect) {
    return ScrollWindow(Handle, DX, DY, Rect, ClipRect);
}

BOOL SysLPtoDP(HDCEh DC, TPoint (&Points)[2]) {
    return LPtoDP(DC, Points, 2);
}

HRGNEh SysCreatePolygonRgn(const std::vector<TPoint>& Points, int Count, int FillMode) {
    const std::vector<TPoint> copy(Points);
    return CreatePolygonRgn(copy.data(), std::min<int>(Count, int(copy.size())), FillMode);
}

void SysGetEditSelection(HWND Handle, int* SelStart, int* SelEnd) {
    SendMessage(Handle, EM_GETSEL, WPARAM(reinterpret_cast<uintptr_t>(SelStart)),
                LPARAM(reinterpret_cast<intptr_t>(SelEnd)));
}
