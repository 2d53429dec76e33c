#pragma once
// The stored properties the editors share: each published editor class lists them in its own
// table (the data-aware edit base publishes nothing by itself).

#include "lib/tools/DBCtrlsEh.h"
#include "lib/toolscore/DynVarsEh.h"
#include "platform/classes/TypInfo.h"
#include "platform/ui/ControlsTypInfo.h"

KVT_ENUM_DECL(TAlignment)
KVT_ENUM_DECL(TDropDownAlign)

// A data-independent edit keeps its own text and value: only then are they stored.
template <class C> bool DBEditTextStored(C* E) {
    return E->DataLink()->DataIndepended() && !E->Text().isEmpty();
}
template <class C> bool DBEditValueStored(C* E) {
    if (!E->DataLink()->DataIndepended()) return false;
    const Variant v = E->Value();
    return !v.IsNull() && !v.IsEmpty();
}

// The properties of the edit and of the platform's control that every editor publishes, in the
// order the editors list them. Editors add theirs with P.Prop in their own table.
template <class C> void PublishDBEditCommon(TPropBuilder<C>& P) {
    P.Prop("Alignment", &C::Alignment, &C::SetAlignment).Stored([](C* e) {
        return e->AssignedValues().Contains(evAlignmentEh);
    });
    P.Prop("AlwaysShowBorder", &C::AlwaysShowBorder, &C::SetAlwaysShowBorder).Default(false);
    P.Prop("AutoSelect", &C::AutoSelect, &C::SetAutoSelect).Default(true);
    P.Prop("AutoSize", &C::AutoSize, &C::SetAutoSize).Default(false);
    P.Prop("BorderStyle", &C::BorderStyle, &C::SetBorderStyle).Default(bsSingle);
    P.Prop("Color", &C::Color, &C::SetColor).Default(clWindow);
    P.Prop("Ctl3D", &C::Ctl3D, &C::SetCtl3D).Default(true);
    P.Prop("DataField", &C::DataField, &C::SetDataField);
    P.Prop("DataSource", &C::DataSource, &C::SetDataSource);
    P.Prop("DynProps", &C::DynProps, [](C* e, TDynVarsEh* v) { e->DynProps()->Assign(v); });
    P.Prop("EmptyDataInfo", &C::EmptyDataInfo,
           [](C* e, TControlEmptyDataInfoEh* v) { e->EmptyDataInfo()->Assign(v); });
    P.Prop(
         "Enabled", [](C* e) { return e->Enabled(); }, [](C* e, bool v) { e->SetEnabled(v); })
        .Default(true);
    P.Prop("EditButton", &C::EditButton, &C::SetEditButton);
    P.Prop("EditButtons", &C::EditButtons, &C::SetEditButtons);
    P.Prop(
         "Font", [](C* e) { return e->Font(); }, [](C* e, TFont* v) { e->Font()->Assign(v); })
        .Stored([](C* e) { return !e->ParentFont(); });
    P.Prop("Flat", &C::Flat, &C::SetFlat).Default(false);
    P.Prop("HighlightRequired", &C::HighlightRequired, &C::SetHighlightRequired).Default(false);
    P.Prop("Images", &C::Images, &C::SetImages);
    P.Prop("MRUList", &C::MRUList, &C::SetMRUList);
    P.Prop("ParentColor", &C::ParentColor, &C::SetParentColor).Default(false);
    P.Prop("ParentCtl3D", &C::ParentCtl3D, &C::SetParentCtl3D).Default(true);
    P.Prop("ParentFont", &C::ParentFont, &C::SetParentFont).Default(true);
    P.Prop("ParentShowHint", &C::ParentShowHint, &C::SetParentShowHint).Default(true);
    P.Prop("ReadOnly", &C::ReadOnly, &C::SetReadOnly).Default(false);
    P.Prop("ShowHint", &C::ShowHint, &C::SetShowHint).Default(false);
    P.Prop("TabOrder", &C::TabOrder, &C::SetTabOrder);
    P.Prop("TabStop", &C::TabStop, &C::SetTabStop).Default(true);
    P.Prop("Tooltips", &C::Tooltips, &C::SetTooltips).Default(false);
    P.Prop("Visible", &C::Visible, &C::SetVisible).Default(true);
}

// The platform's control properties and the events the edits publish beside their own settings.
template <class C> void PublishDBEditControl(TPropBuilder<C>& P) {
    P.Publish({"Align", "Anchors", "BevelEdges", "BevelInner", "BevelKind", "BevelOuter", "BiDiMode",
               "Constraints", "DragCursor", "DragKind", "DragMode", "ImeMode", "ImeName", "ParentBiDiMode",
               "PopupMenu", "Touch"});
    P.Prop("OnButtonClick", &C::OnButtonClick, &C::OnButtonClick);
    P.Prop("OnButtonDown", &C::OnButtonDown, &C::OnButtonDown);
    P.Prop("OnChange", &C::OnChange, &C::OnChange);
    P.Prop("OnCheckDrawRequiredState", &C::OnCheckDrawRequiredState, &C::OnCheckDrawRequiredState);
    P.Publish({"OnClick", "OnContextPopup", "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDock",
               "OnEndDrag", "OnEnter", "OnExit", "OnGesture"});
    P.Prop("OnGetImageIndex", &C::OnGetImageIndex, &C::SetOnGetImageIndex);
    P.Publish({"OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove", "OnMouseUp"});
    P.Prop("OnUpdateData", &C::OnUpdateData, &C::OnUpdateData);
    P.Publish({"OnStartDock", "OnStartDrag"});
}
