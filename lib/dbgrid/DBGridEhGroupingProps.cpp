// The published properties of the grouping settings, with their defaults and stored
// conditions, as a grid's stream writes and reads them.

#include "lib/dbgrid/DBGridEhGrouping.h"

// Defined with the data-set fields.
KVT_ENUM_DECL(TAlignment)

KVT_ENUM_TYPE(TGroupFooterValueTypeEh, gfvNonEh, gfvSumEh, gfvAvgEh, gfvCountEh, gfvMaxEh, gfvMinEh,
              gfvStaticTextEh, gfvCustomEh)

namespace {
// The sort order's names, kept local: other units publish sort orders of their own.
PTypeInfo SortOrderTypeInfo() {
    static const PTypeInfo ti = MakeEnumTypeInfo("TSortOrderEh", "soAscEh, soDescEh");
    return ti;
}
} // namespace

KVT_PUBLISHED(TGridGroupLinePenEh) {
    P.Prop("Color", &TGridGroupLinePenEh::Color, &TGridGroupLinePenEh::SetColor).Default(clDefault);
    P.Prop("Width", &TGridGroupLinePenEh::Width, &TGridGroupLinePenEh::SetWidth).Default(1);
}

KVT_PUBLISHED(TGridDataGroupRowDefValuesEh) {
    P.Prop("FooterInGroupRow", &TGridDataGroupRowDefValuesEh::FooterInGroupRow,
           &TGridDataGroupRowDefValuesEh::SetFooterInGroupRow)
        .Default(false);
    P.Prop("RowHeight", &TGridDataGroupRowDefValuesEh::RowHeight, &TGridDataGroupRowDefValuesEh::SetRowHeight)
        .Default(0);
    P.Prop("RowLines", &TGridDataGroupRowDefValuesEh::RowLines, &TGridDataGroupRowDefValuesEh::SetRowLines)
        .Default(0);
    P.Prop("BottomLine", &TGridDataGroupRowDefValuesEh::BottomLine,
           &TGridDataGroupRowDefValuesEh::SetBottomLine);
}

KVT_PUBLISHED(TGridDataGroupFootersDefValuesEh) {
    P.Prop("ShowFunctionName", &TGridDataGroupFootersDefValuesEh::ShowFunctionName,
           &TGridDataGroupFootersDefValuesEh::SetShowFunctionName)
        .Default(false);
    P.Prop("RunTimeCustomizable", &TGridDataGroupFootersDefValuesEh::RunTimeCustomizable,
           &TGridDataGroupFootersDefValuesEh::SetRunTimeCustomizable)
        .Default(false);
}

KVT_PUBLISHED(TDBGridEhGroupingPanelEh) {
    P.Prop("Color", &TDBGridEhGroupingPanelEh::Color, &TDBGridEhGroupingPanelEh::SetColor)
        .Stored(&TDBGridEhGroupingPanelEh::IsColorStored);
}

KVT_PUBLISHED(TGridDataGroupFooterColumnItemEh) {
    using I = TGridDataGroupFooterColumnItemEh;
    P.Prop("Alignment", &I::Alignment, &I::SetAlignment).Default(taRightJustify);
    P.Prop("Color", &I::Color, &I::SetColor).Stored(&I::IsColorStored);
    P.Prop("DisplayFormat", &I::DisplayFormat, &I::SetDisplayFormat);
    P.Prop("Font", &I::Font, &I::SetFont).Stored(&I::IsFontStored);
    P.Prop("ParentColor", &I::ParentColor, &I::SetParentColor).Default(true);
    P.Prop("ParentFont", &I::ParentFont, &I::SetParentFont).Default(true);
    P.Prop("ValueType", &I::ValueType, &I::SetValueType).Default(gfvNonEh);
    P.Prop("ShowFunctionName", &I::ShowFunctionName, &I::SetShowFunctionName).Stored([](I* i) {
        return i->IsShowFunctionNameStored();
    });
    P.Prop("ShowFunctionNameStored", &I::ShowFunctionNameStored, &I::SetShowFunctionNameStored)
        .Default(false);
    P.Prop("RunTimeCustomizable", &I::RunTimeCustomizable, &I::SetRunTimeCustomizable)
        .Stored(&I::IsRunTimeCustomizableStored);
    P.Prop("RunTimeCustomizableStored", &I::RunTimeCustomizableStored, &I::SetRunTimeCustomizableStored)
        .Default(false);
}

KVT_PUBLISHED(TGridDataGroupFooterEh) {
    using F = TGridDataGroupFooterEh;
    P.Prop("Color", &F::Color, &F::SetColor).Stored(&F::IsColorStored);
    P.Prop("Font", &F::Font, &F::SetFont).Stored(&F::IsFontStored);
    P.Prop("Visible", &F::Visible, &F::SetVisible).Default(false);
    P.Prop("ColumnItems", &F::ColumnItems, &F::SetColumnItems).Stored([](F* f) {
        return f->IsColumnItemsStored();
    });
    P.Prop("ParentColor", &F::ParentColor, &F::SetParentColor).Default(true);
    P.Prop("ParentFont", &F::ParentFont, &F::SetParentFont).Default(true);
    P.Prop("ShowFunctionName", &F::ShowFunctionName, &F::SetShowFunctionName).Stored([](F* f) {
        return f->ShowFunctionNameStored();
    });
    P.Prop("ShowFunctionNameStored", &F::ShowFunctionNameStored, &F::SetShowFunctionNameStored)
        .Default(false);
    P.Prop("RunTimeCustomizable", &F::RunTimeCustomizable, &F::SetRunTimeCustomizable).Stored([](F* f) {
        return f->RunTimeCustomizableStored();
    });
    P.Prop("RunTimeCustomizableStored", &F::RunTimeCustomizableStored, &F::SetRunTimeCustomizableStored)
        .Default(false);
}

KVT_PUBLISHED(TDBGridEhDataGroupLevelEh) {
    using L = TDBGridEhDataGroupLevelEh;
    P.Prop("Color", &L::Color, &L::SetColor).Stored(&L::IsColorStored);
    P.Prop("ColumnName", &L::ColumnName, &L::SetColumnName);
    P.Prop("Font", &L::Font, &L::SetFont).Stored(&L::IsFontStored);
    P.Prop("ParentColor", &L::ParentColor, &L::SetParentColor).Default(true);
    P.Prop("ParentFont", &L::ParentFont, &L::SetParentFont).Default(true);
    P.Typed("SortOrder", SortOrderTypeInfo(), &L::SortOrder, &L::SetSortOrder).Default(soAscEh);
    P.Prop("RowHeight", &L::RowHeight, &L::SetRowHeight).Stored([](L* l) { return l->RowHeightStored(); });
    P.Prop("RowHeightStored", &L::RowHeightStored, &L::SetRowHeightStored).Default(false);
    P.Prop("RowLines", &L::RowLines, &L::SetRowLines).Stored([](L* l) { return l->RowLinesStored(); });
    P.Prop("RowLinesStored", &L::RowLinesStored, &L::SetRowLinesStored).Default(false);
}

KVT_PUBLISHED(TGridDataGroupsEh) {
    using G = TGridDataGroupsEh;
    P.Prop("Active", &G::Active, &G::SetActive).Default(false);
    P.Prop("Color", &G::Color, &G::SetColor).Stored(&G::IsColorStored);
    P.Prop("Font", &G::Font, &G::SetFont).Stored(&G::IsFontStored);
    P.Prop("GroupLevels", &G::GroupLevels, &G::SetGroupLevels).Stored(&G::IsGroupLevelsStored);
    P.Prop("Footers", &G::Footers, &G::SetFooters).Stored(&G::IsFootersStored);
    P.Prop("FootersDefValues", &G::FootersDefValues, &G::SetFootersDefValues);
    P.Prop("GroupPanelVisible", &G::GroupPanelVisible, &G::SetGroupPanelVisible).Default(false);
    P.Prop("ParentColor", &G::ParentColor, &G::SetParentColor).Default(true);
    P.Prop("ParentFont", &G::ParentFont, &G::SetParentFont).Default(true);
    P.Prop("DefaultStateExpanded", &G::DefaultStateExpanded, &G::SetDefaultStateExpanded).Default(false);
    P.Prop("GroupRowDefValues", &G::GroupRowDefValues, &G::SetGroupRowDefValues);
    P.Prop("ShiftFolldataGroupRow", &G::ShiftFolldataGroupRow, &G::SetShiftFolldataGroupRow).Default(true);
}

KVT_PUBLISHED(TDBGridEhDataGroupsEh) {
    P.Prop("GroupPanel", &TDBGridEhDataGroupsEh::GroupPanel, &TDBGridEhDataGroupsEh::SetGroupPanel);
}
