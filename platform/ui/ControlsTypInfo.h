#pragma once
// Type information of the controls' enumerations, for the published properties of controls.
//
// TControl publishes Left, Top, Width, Height, Cursor and Hint. The other control properties
// and the control events are declared by TControl and TWinControl (KVT_DECLARED) and published
// by the control classes that offer them, by name: P.Publish({"Align", "Anchors", "OnClick"}).
// Events stream as the names of published methods of the form (KVT_PUBLISHED_METHODS).

#include "platform/classes/TypInfo.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/StdCtrls.h"

KVT_ENUM_DECL(TFormBorderStyle)
KVT_ENUM_DECL(TEditCharCase)
KVT_ENUM_DECL(TCheckBoxState)
KVT_ENUM_DECL(TLeftRight)
KVT_ENUM_DECL(TAlign)
KVT_ENUM_DECL(TAnchorKind)
KVT_ENUM_DECL(TBevelCut)
KVT_ENUM_DECL(TBevelEdge)
KVT_ENUM_DECL(TBevelKind)
KVT_ENUM_DECL(TBiDiMode)
KVT_ENUM_DECL(TDragMode)
KVT_ENUM_DECL(TDragKind)
KVT_ENUM_DECL(TImeMode)
KVT_ENUM_DECL(TInteractiveGesture)
KVT_ENUM_DECL(TInteractiveGestureOption)
