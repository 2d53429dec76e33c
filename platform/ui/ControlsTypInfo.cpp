// The value names of the controls' enumerations, as component streams write them.

#include "platform/ui/ControlsTypInfo.h"

KVT_ENUM_TYPE(TFormBorderStyle, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin)
KVT_ENUM_TYPE(TEditCharCase, ecNormal, ecUpperCase, ecLowerCase)
KVT_ENUM_TYPE(TCheckBoxState, cbUnchecked, cbChecked, cbGrayed)
KVT_ENUM_TYPE(TLeftRight, taLeftJustify, taRightJustify)
KVT_ENUM_TYPE(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut)
KVT_ENUM_TYPE(TFontPitch, fpDefault, fpVariable, fpFixed)

// A font is stored by its logical description; Size follows from Height and is not stored.
KVT_PUBLISHED(TFont) {
    P.Prop("Charset", &TFont::Charset, &TFont::SetCharset).Default(DEFAULT_CHARSET);
    P.Prop("Color", &TFont::Color, &TFont::SetColor).Default(clWindowText);
    P.Prop("Height", &TFont::Height, &TFont::SetHeight);
    P.Prop("Name", &TFont::Name, &TFont::SetName);
    P.Prop("Orientation", &TFont::Orientation, &TFont::SetOrientation).Default(0);
    P.Prop("Pitch", &TFont::Pitch, &TFont::SetPitch).Default(fpDefault);
    P.Prop("Style", &TFont::Style, &TFont::SetStyle).Default(TFontStyles{});
}
