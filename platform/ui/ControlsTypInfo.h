#pragma once
// Type information of the controls' enumerations, for the published properties of controls.

#include "platform/classes/TypInfo.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/StdCtrls.h"

KVT_ENUM_DECL(TFormBorderStyle)
KVT_ENUM_DECL(TEditCharCase)
KVT_ENUM_DECL(TCheckBoxState)
KVT_ENUM_DECL(TLeftRight)
