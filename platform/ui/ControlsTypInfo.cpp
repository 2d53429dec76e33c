// The value names of the controls' enumerations, as component streams write them.

#include "platform/ui/ControlsTypInfo.h"

#include "platform/ui/ActnList.h"
#include "platform/ui/Menus.h"

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

KVT_ENUM_TYPE(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom)
KVT_ENUM_TYPE(TAnchorKind, akLeft, akTop, akRight, akBottom)
KVT_ENUM_TYPE(TBevelCut, bvNone, bvLowered, bvRaised, bvSpace)
KVT_ENUM_TYPE(TBevelEdge, beLeft, beTop, beRight, beBottom)
KVT_ENUM_TYPE(TBevelKind, bkNone, bkTile, bkSoft, bkFlat)
KVT_ENUM_TYPE(TBiDiMode, bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly)
KVT_ENUM_TYPE(TDragMode, dmManual, dmAutomatic)
KVT_ENUM_TYPE(TDragKind, dkDrag, dkDock)
KVT_ENUM_TYPE(TImeMode, imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata,
              imChinese, imSHanguel, imHanguel)
KVT_ENUM_TYPE(TInteractiveGesture, igZoom, igPan, igRotate, igTwoFingerTap, igPressAndTap)
KVT_ENUM_TYPE(TInteractiveGestureOption, igoPanSingleFingerHorizontal, igoPanSingleFingerVertical,
              igoPanInertia, igoPanGutter, igoParentPassthrough)

KVT_PUBLISHED(TSizeConstraints) {
    P.Prop("MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight).Default(0);
    P.Prop("MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth).Default(0);
    P.Prop("MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight).Default(0);
    P.Prop("MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth).Default(0);
}

KVT_PUBLISHED(TTouchManager) {
    P.Prop("InteractiveGestures", &TTouchManager::InteractiveGestures, &TTouchManager::SetInteractiveGestures)
        .Default(TInteractiveGestures{});
    P.Prop("InteractiveGestureOptions", &TTouchManager::InteractiveGestureOptions,
           &TTouchManager::SetInteractiveGestureOptions)
        .Default(TTouchManager::DefaultGestureOptions);
    P.Prop("ParentTabletOptions", &TTouchManager::ParentTabletOptions, &TTouchManager::SetParentTabletOptions)
        .Default(true);
}

// What every control stores: its place, cursor and hint.
KVT_PUBLISHED(TControl) {
    P.Prop("Left", &TControl::Left, &TControl::SetLeft);
    P.Prop("Top", &TControl::Top, &TControl::SetTop);
    P.Prop("Width", &TControl::Width, &TControl::SetWidth);
    P.Prop("Height", &TControl::Height, &TControl::SetHeight);
    P.Prop("Cursor", &TControl::Cursor, &TControl::SetCursor).Default(crDefault);
    P.Prop("Hint", &TControl::Hint, &TControl::SetHint);
}

KVT_DECLARED(TControl) {
    using C = TControl;
    P.Prop("Action", &C::Action, &C::SetAction);
    P.Prop("Align", &C::Align, &C::SetAlign).Default(alNone);
    P.Prop("Anchors", &C::Anchors, &C::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Prop("AutoSize", &C::AutoSize, &C::SetAutoSize).Default(false);
    // A control that follows its parent's reading order stores none of its own.
    P.Prop("BiDiMode", &C::BiDiMode, &C::SetBiDiMode).Stored([](C* c) { return !c->ParentBiDiMode(); });
    P.Prop("Caption", &C::Caption, &C::SetCaption);
    P.Prop("Color", &C::Color, &C::SetColor).Stored([](C* c) { return !c->ParentColor(); });
    P.Prop("Constraints", &C::Constraints, &C::SetConstraints);
    P.Prop("DragCursor", &C::DragCursor, &C::SetDragCursor).Default(crDrag);
    P.Prop("DragKind", &C::DragKind, &C::SetDragKind).Default(dkDrag);
    P.Prop("DragMode", &C::DragMode, &C::SetDragMode).Default(dmManual);
    P.Prop(
         "Enabled", [](C* c) { return c->Enabled(); }, [](C* c, bool v) { c->SetEnabled(v); })
        .Default(true);
    P.Prop("Font", &C::Font, &C::SetFont).Stored([](C* c) { return !c->ParentFont(); });
    P.Prop("ParentBiDiMode", &C::ParentBiDiMode, &C::SetParentBiDiMode).Default(true);
    P.Prop("ParentColor", &C::ParentColor, &C::SetParentColor).Default(true);
    P.Prop("ParentFont", &C::ParentFont, &C::SetParentFont).Default(true);
    P.Prop("ParentShowHint", &C::ParentShowHint, &C::SetParentShowHint).Default(true);
    P.Prop("PopupMenu", &C::PopupMenu, &C::SetPopupMenu);
    P.Prop("ShowHint", &C::ShowHint, &C::SetShowHint).Stored([](C* c) { return !c->ParentShowHint(); });
    P.Prop("Touch", &C::Touch, &C::SetTouch);
    P.Prop("Visible", &C::Visible, &C::SetVisible).Default(true);
    P.Prop("OnCanResize", &C::OnCanResize, &C::OnCanResize);
    P.Prop("OnClick", &C::OnClick, &C::OnClick);
    P.Prop("OnConstrainedResize", &C::OnConstrainedResize, &C::OnConstrainedResize);
    P.Prop("OnContextPopup", &C::OnContextPopup, &C::OnContextPopup);
    P.Prop("OnDblClick", &C::OnDblClick, &C::OnDblClick);
    P.Prop("OnDragDrop", &C::OnDragDrop, &C::OnDragDrop);
    P.Prop("OnDragOver", &C::OnDragOver, &C::OnDragOver);
    P.Prop("OnEndDock", &C::OnEndDock, &C::OnEndDock);
    P.Prop("OnEndDrag", &C::OnEndDrag, &C::OnEndDrag);
    P.Prop("OnGesture", &C::OnGesture, &C::OnGesture);
    P.Prop("OnMouseDown", &C::OnMouseDown, &C::OnMouseDown);
    P.Prop("OnMouseEnter", &C::OnMouseEnter, &C::OnMouseEnter);
    P.Prop("OnMouseLeave", &C::OnMouseLeave, &C::OnMouseLeave);
    P.Prop("OnMouseMove", &C::OnMouseMove, &C::OnMouseMove);
    P.Prop("OnMouseUp", &C::OnMouseUp, &C::OnMouseUp);
    P.Prop("OnMouseWheel", &C::OnMouseWheel, &C::OnMouseWheel);
    P.Prop("OnMouseWheelDown", &C::OnMouseWheelDown, &C::OnMouseWheelDown);
    P.Prop("OnMouseWheelUp", &C::OnMouseWheelUp, &C::OnMouseWheelUp);
    P.Prop("OnResize", &C::OnResize, &C::OnResize);
    P.Prop("OnStartDock", &C::OnStartDock, &C::OnStartDock);
    P.Prop("OnStartDrag", &C::OnStartDrag, &C::OnStartDrag);
}

KVT_DECLARED(TWinControl) {
    using C = TWinControl;
    P.Prop("BevelEdges", &C::BevelEdges, &C::SetBevelEdges)
        .Default(TBevelEdges{beLeft, beTop, beRight, beBottom});
    P.Prop("BevelInner", &C::BevelInner, &C::SetBevelInner).Default(bvRaised);
    P.Prop("BevelKind", &C::BevelKind, &C::SetBevelKind).Default(bkNone);
    P.Prop("BevelOuter", &C::BevelOuter, &C::SetBevelOuter).Default(bvLowered);
    P.Prop("BevelWidth", &C::BevelWidth, &C::SetBevelWidth).Default(1);
    P.Prop("BorderWidth", &C::BorderWidth, &C::SetBorderWidth).Default(0);
    P.Prop("Ctl3D", &C::Ctl3D, &C::SetCtl3D).Stored([](C* c) { return !c->ParentCtl3D(); });
    P.Prop("ImeMode", &C::ImeMode, &C::SetImeMode).Default(imDontCare);
    P.Prop("ImeName", &C::ImeName, &C::SetImeName);
    P.Prop("ParentCtl3D", &C::ParentCtl3D, &C::SetParentCtl3D).Default(true);
    P.Prop("TabOrder", &C::TabOrder, &C::SetTabOrder);
    P.Prop("TabStop", &C::TabStop, &C::SetTabStop).Default(false);
    P.Prop("OnEnter", &C::OnEnter, &C::OnEnter);
    P.Prop("OnExit", &C::OnExit, &C::OnExit);
    P.Prop("OnKeyDown", &C::OnKeyDown, &C::OnKeyDown);
    P.Prop("OnKeyPress", &C::OnKeyPress, &C::OnKeyPress);
    P.Prop("OnKeyUp", &C::OnKeyUp, &C::OnKeyUp);
}

KVT_PUBLISHED(TAction) {
    using C = TAction;
    P.Prop("Caption", &C::Caption, &C::SetCaption);
    P.Prop("Checked", &C::Checked, &C::SetChecked).Default(false);
    P.Prop("Enabled", &C::Enabled, &C::SetEnabled).Default(true);
    P.Prop("Hint", &C::Hint, &C::SetHint);
    P.Prop("ShortCut", &C::ShortCut, &C::SetShortCut).Default(0);
    P.Prop("Visible", &C::Visible, &C::SetVisible).Default(true);
    P.Prop("OnExecute", &C::OnExecute, &C::OnExecute);
    P.Prop("OnUpdate", &C::OnUpdate, &C::OnUpdate);
}
