#pragma once
// Touch gesture settings and the gesture event record of a control. The layer does not turn
// Qt's gestures into these yet; controls that react to gestures take the record from callers.

#include "platform/rtl/System.h"
#include "platform/ui/Types.h"

enum TInteractiveGesture { igZoom, igPan, igRotate, igTwoFingerTap, igPressAndTap };
using TInteractiveGestures = TSet<TInteractiveGesture>;

enum TInteractiveGestureOption {
    igoPanSingleFingerHorizontal,
    igoPanSingleFingerVertical,
    igoPanInertia,
    igoPanGutter,
    igoParentPassthrough
};
using TInteractiveGestureOptions = TSet<TInteractiveGestureOption>;

enum TGestureFlag { gfBegin, gfInertia, gfEnd };
using TGestureFlags = TSet<TGestureFlag>;

// Gesture identifiers of the interactive gestures.
constexpr int igiZoom = 259;
constexpr int igiPan = 260;
constexpr int igiRotate = 261;
constexpr int igiTwoFingerTap = 262;
constexpr int igiPressAndTap = 263;

struct TGestureEventInfo {
    int GestureID = 0;
    TPoint Location; // client coordinates
    TGestureFlags Flags;
    int Distance = 0;
    double Angle = 0;
    TPoint InertiaVector;
    TPoint TapLocation;
};
