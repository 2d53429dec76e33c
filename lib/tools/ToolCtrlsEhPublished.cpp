// The names of the enumerations that the tool controls' stored properties use.

#include "lib/tools/DropDownFormEh.h"
#include "lib/tools/ToolCtrlsEh.h"
#include "platform/classes/TypInfo.h"

KVT_ENUM_TYPE(TDropDownAlign, daLeft, daRight, daCenter)
KVT_ENUM_TYPE(TDropDownPassParamsEh, pspByFieldNamesEh, pspFieldValueEh, pspRecordValuesEh)
KVT_ENUM_TYPE(TEditButtonStyleEh, ebsDropDownEh, ebsEllipsisEh, ebsGlyphEh, ebsUpDownEh, ebsPlusEh,
              ebsMinusEh, ebsAltDropDownEh, ebsAltUpDownEh)
KVT_ENUM_TYPE(TDropDownFormElementEh, ddfeLeftGripEh, ddfeRightGripEh, ddfeCloseButtonEh, ddfeSizingBarEh)
