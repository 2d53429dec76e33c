// The value names of the controls' enumerations, as component streams write them.

#include "platform/ui/ControlsTypInfo.h"

KVT_ENUM_TYPE(TFormBorderStyle, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin)
KVT_ENUM_TYPE(TEditCharCase, ecNormal, ecUpperCase, ecLowerCase)
KVT_ENUM_TYPE(TCheckBoxState, cbUnchecked, cbChecked, cbGrayed)
KVT_ENUM_TYPE(TLeftRight, taLeftJustify, taRightJustify)
