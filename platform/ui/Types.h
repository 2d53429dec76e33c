#pragma once
// Basic geometry and Windows-style scalar types shared by the whole window layer.
// Rectangles are half-open: Right and Bottom lie outside the rectangle, as on the platform.

#include <algorithm>
#include <cstdint>

using BOOL = int32_t;
using UINT = uint32_t;
using DWORD = uint32_t;
using LONG = int32_t;
using WORD = uint16_t;
using BYTE = uint8_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using COLORREF = uint32_t;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    constexpr TPoint() = default;
    constexpr TPoint(int32_t x, int32_t y) : X(x), Y(y) {}
    friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
    constexpr TPoint operator+(const TPoint& o) const { return {X + o.X, Y + o.Y}; }
    constexpr TPoint operator-(const TPoint& o) const { return {X - o.X, Y - o.Y}; }
    constexpr void Offset(int32_t dx, int32_t dy) { X += dx, Y += dy; }
};
using POINT = TPoint;

struct TSize {
    int32_t cx = 0;
    int32_t cy = 0;
    constexpr TSize() = default;
    constexpr TSize(int32_t w, int32_t h) : cx(w), cy(h) {}
    constexpr int32_t Width() const { return cx; }
    constexpr int32_t Height() const { return cy; }
    friend constexpr bool operator==(const TSize&, const TSize&) = default;
};
using SIZE = TSize;

struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    constexpr TRect() = default;
    constexpr TRect(int32_t l, int32_t t, int32_t r, int32_t b) : Left(l), Top(t), Right(r), Bottom(b) {}
    constexpr TRect(const TPoint& tl, const TPoint& br) : Left(tl.X), Top(tl.Y), Right(br.X), Bottom(br.Y) {}

    constexpr int32_t Width() const { return Right - Left; }
    constexpr int32_t Height() const { return Bottom - Top; }
    constexpr void SetWidth(int32_t w) { Right = Left + w; }
    constexpr void SetHeight(int32_t h) { Bottom = Top + h; }
    constexpr TSize Size() const { return {Width(), Height()}; }
    constexpr TPoint TopLeft() const { return {Left, Top}; }
    constexpr TPoint BottomRight() const { return {Right, Bottom}; }
    constexpr TPoint CenterPoint() const { return {(Left + Right) / 2, (Top + Bottom) / 2}; }
    // Empty when it covers no pixel (also when inverted).
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr bool Contains(const TPoint& p) const {
        return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom;
    }
    constexpr void Offset(int32_t dx, int32_t dy) { Left += dx, Right += dx, Top += dy, Bottom += dy; }
    constexpr void Inflate(int32_t dx, int32_t dy) { Left -= dx, Right += dx, Top -= dy, Bottom += dy; }
    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};
using RECT = TRect;

constexpr TPoint Point(int32_t x, int32_t y) {
    return {x, y};
}
constexpr TRect Rect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return {left, top, right, bottom};
}
constexpr TRect Rect(const TPoint& topLeft, const TPoint& bottomRight) {
    return {topLeft, bottomRight};
}
constexpr TRect Bounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    return {left, top, left + width, top + height};
}

constexpr bool IsRectEmpty(const TRect& r) {
    return r.IsEmpty();
}
constexpr bool PtInRect(const TRect& r, const TPoint& p) {
    return r.Contains(p);
}
constexpr bool EqualRect(const TRect& a, const TRect& b) {
    return a == b;
}
inline bool SetRect(TRect& r, int32_t l, int32_t t, int32_t rt, int32_t b) {
    r = {l, t, rt, b};
    return true;
}
inline bool SetRectEmpty(TRect& r) {
    r = {};
    return true;
}
inline bool InflateRect(TRect& r, int32_t dx, int32_t dy) {
    r.Inflate(dx, dy);
    return true;
}
inline bool OffsetRect(TRect& r, int32_t dx, int32_t dy) {
    r.Offset(dx, dy);
    return true;
}
// The common part of a and b; an empty result is (0,0,0,0) and answers false, like the platform.
inline bool IntersectRect(TRect& dst, const TRect& a, const TRect& b) {
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
    if (r.IsEmpty()) {
        dst = {};
        return false;
    }
    dst = r;
    return true;
}
// The smallest rectangle holding both; empty operands are ignored.
inline bool UnionRect(TRect& dst, const TRect& a, const TRect& b) {
    if (a.IsEmpty()) {
        dst = b.IsEmpty() ? TRect{} : b;
        return !b.IsEmpty();
    }
    if (b.IsEmpty()) {
        dst = a;
        return true;
    }
    dst = {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
           std::max(a.Bottom, b.Bottom)};
    return true;
}
// a minus b when the result is still a rectangle; otherwise a (the platform's SubtractRect).
inline bool SubtractRect(TRect& dst, const TRect& a, const TRect& b) {
    TRect i;
    if (!IntersectRect(i, a, b)) {
        dst = a;
        return !a.IsEmpty();
    }
    TRect r = a;
    if (i.Top == a.Top && i.Bottom == a.Bottom) {
        if (i.Left == a.Left)
            r.Left = i.Right;
        else if (i.Right == a.Right)
            r.Right = i.Left;
    } else if (i.Left == a.Left && i.Right == a.Right) {
        if (i.Top == a.Top)
            r.Top = i.Bottom;
        else if (i.Bottom == a.Bottom)
            r.Bottom = i.Top;
    }
    if (r.IsEmpty()) {
        dst = {};
        return false;
    }
    dst = r;
    return true;
}
