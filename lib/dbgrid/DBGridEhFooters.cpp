// Column footers: the footer objects of a column, the link between a footer and its aggregate
// entry in the grid's sum list, the text of a footer cell and its default painting, and the
// grid's footer-related reactions (footer invalidation, the full footer row count).

#include "lib/dbgrid/DBGridEh.h"

#include "platform/classes/ComponentStreams.h"

#include <algorithm>

// Defined with the data-set fields.
KVT_ENUM_DECL(TAlignment)

KVT_ENUM_TYPE(TFooterValueType, fvtNon, fvtSum, fvtAvg, fvtCount, fvtFieldValue, fvtStaticText)

namespace {
bool NeedsSum(TFooterValueType t) {
    return t == fvtSum || t == fvtAvg || t == fvtCount;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// TColumnFooterEh

TColumnFooterEh::TColumnFooterEh(TCollection* Collection) : TColumnFooterEh(Collection, nullptr) {
    if (TCustomDBGridEh* g = Grid()) g->InvalidateFooter();
}

TColumnFooterEh::TColumnFooterEh(TCollection* Collection, TColumnEh* Column) : TCollectionItem(Collection) {
    if (auto* footers = dynamic_cast<TColumnFootersEh*>(Collection)) Column = footers->Column();
    FColumn = Column;
    FFont = std::make_unique<TFont>();
    if (TFont* def = DefaultFont()) FFont->Assign(def);
    FFont->OnChange = TNotifyEvent(this, &TColumnFooterEh::FontChanged);
}

TColumnFooterEh* TColumnFooterEh::CreateApart(TColumnEh* Column) {
    return new TColumnFooterEh(nullptr, Column);
}

TColumnFooterEh::~TColumnFooterEh() {
    // A column that is freed has left its collection already: the grid that holds the entry
    // is the one remembered when the entry was made.
    TCustomDBGridEh* g = Grid() ? Grid() : FSumGrid;
    // A grid being destroyed takes its sum list along (it drops its grouping first).
    const bool gridAlive = g && !g->ComponentState().Contains(csDestroying) && g->DataGrouping();
    if (gridAlive && Grid()) g->InvalidateFooter();
    // Leaving the sum collection makes the sum list recalculate the remaining entries.
    if (gridAlive)
        if (TDBSum* s = DBSumOf(g)) s->Free();
    FDBSum = nullptr;
}

TCustomDBGridEh* TColumnFooterEh::Grid() const {
    return FColumn ? FColumn->Grid() : nullptr;
}

TDBSum* TColumnFooterEh::DBSum() {
    return DBSumOf(Grid());
}

TDBSum* TColumnFooterEh::DBSumOf(TCustomDBGridEh* G) {
    if (!FDBSum) return nullptr;
    TDBSumCollection* sums = G && G->SumList() ? G->SumList()->SumCollection() : nullptr;
    if (!sums) return nullptr;
    // The collection may have been emptied or reassigned by the application.
    for (int i = 0; i < sums->Count(); ++i)
        if (sums->Items(i) == FDBSum) return FDBSum;
    FDBSum = nullptr;
    return nullptr;
}

void TColumnFooterEh::ColumnChanged(bool AllItems) {
    if (FColumn) FColumn->NotifyChanged(AllItems);
}

void TColumnFooterEh::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TColumnFooterEh*>(Source);
    if (!src) {
        TCollectionItem::Assign(Source);
        return;
    }
    if (src->FAssignedValues.Contains(cvFooterAlignment)) SetAlignment(src->Alignment());
    if (src->FAssignedValues.Contains(cvFooterColor)) SetColor(src->Color());
    if (src->FAssignedValues.Contains(cvFooterFont)) SetFont(src->Font());
    SetEndEllipsis(src->EndEllipsis());
    SetValueType(src->ValueType());
    SetFieldName(src->FieldName());
    SetValue(src->Value());
    SetWordWrap(src->WordWrap());
    SetDisplayFormat(src->DisplayFormat());
    SetToolTips(src->ToolTips());
}

void TColumnFooterEh::RestoreDefaults() {
    const bool fontWasSet = FAssignedValues.Contains(cvFooterFont);
    FAssignedValues = TColumnFooterValues();
    RefreshDefaultFont();
    ColumnChanged(fontWasSet);
}

TAlignment TColumnFooterEh::DefaultAlignment() {
    TField* f = FColumn ? FColumn->Field() : nullptr;
    return f ? f->Alignment() : taLeftJustify;
}

TColor TColumnFooterEh::DefaultColor() {
    TCustomDBGridEh* g = Grid();
    return g ? g->FooterParams()->Color() : clWindow;
}

TFont* TColumnFooterEh::DefaultFont() {
    if (!FColumn) return nullptr;
    if (TCustomDBGridEh* g = Grid()) return g->FooterFont();
    return FColumn->Font();
}

bool TColumnFooterEh::DefaultToolTips() {
    TCustomDBGridEh* g = Grid();
    return g ? g->ColumnDefValues()->Footer()->ToolTips() : false;
}

TAlignment TColumnFooterEh::Alignment() {
    return FAssignedValues.Contains(cvFooterAlignment) ? FAlignment : DefaultAlignment();
}

void TColumnFooterEh::SetAlignment(TAlignment Value) {
    if (FAssignedValues.Contains(cvFooterAlignment) && Value == FAlignment) return;
    FAlignment = Value;
    FAssignedValues.Include(cvFooterAlignment);
    ColumnChanged(false);
}

TColor TColumnFooterEh::Color() {
    return FAssignedValues.Contains(cvFooterColor) ? FColor : DefaultColor();
}

void TColumnFooterEh::SetColor(TColor Value) {
    if (FAssignedValues.Contains(cvFooterColor) && Value == FColor) return;
    FColor = Value;
    FAssignedValues.Include(cvFooterColor);
    ColumnChanged(false);
}

void TColumnFooterEh::RefreshDefaultFont() {
    if (FAssignedValues.Contains(cvFooterFont)) return;
    TFont* def = DefaultFont();
    if (!def) return;
    FFontChanging = true;
    FFont->Assign(def);
    FFontChanging = false;
}

TFont* TColumnFooterEh::Font() {
    if (!FAssignedValues.Contains(cvFooterFont)) {
        TFont* def = DefaultFont();
        if (def && (def->Handle() != FFont->Handle() || def->Color() != FFont->Color())) RefreshDefaultFont();
    }
    return FFont.get();
}

void TColumnFooterEh::SetFont(TFont* Value) {
    FFont->Assign(Value);
}

void TColumnFooterEh::FontChanged(TObject*) {
    if (FFontChanging) return;
    FAssignedValues.Include(cvFooterFont);
    ColumnChanged(true);
}

bool TColumnFooterEh::ToolTips() {
    return FAssignedValues.Contains(cvFooterToolTips) ? FToolTips : DefaultToolTips();
}

void TColumnFooterEh::SetToolTips(bool Value) {
    if (FAssignedValues.Contains(cvFooterToolTips) && Value == FToolTips) return;
    FToolTips = Value;
    FAssignedValues.Include(cvFooterToolTips);
}

void TColumnFooterEh::SetEndEllipsis(bool Value) {
    FEndEllipsis = Value;
    ColumnChanged(false);
}

void TColumnFooterEh::SetWordWrap(bool Value) {
    FWordWrap = Value;
    ColumnChanged(false);
}

void TColumnFooterEh::SetValue(const String& Value) {
    FValue = Value;
    ColumnChanged(false);
}

void TColumnFooterEh::SetDisplayFormat(const String& Value) {
    if (Value == FDisplayFormat) return;
    FDisplayFormat = Value;
    ColumnChanged(false);
}

void TColumnFooterEh::SetFieldName(const String& Value) {
    FFieldName = Value;
    if (FColumn) FColumn->EnsureSumValues();
    ColumnChanged(false);
}

void TColumnFooterEh::SetValueType(TFooterValueType Value) {
    if (Value == FValueType) return;
    FValueType = Value;
    if (FColumn) FColumn->EnsureSumValues();
    ColumnChanged(false);
}

bool TColumnFooterEh::IsAlignmentStored() {
    return FAssignedValues.Contains(cvFooterAlignment) && FAlignment != DefaultAlignment();
}

bool TColumnFooterEh::IsColorStored() {
    return FAssignedValues.Contains(cvFooterColor) && FColor != DefaultColor();
}

bool TColumnFooterEh::IsToolTipsStored() {
    return FAssignedValues.Contains(cvFooterToolTips) && FToolTips;
}

Variant TColumnFooterEh::SumValue() {
    TDBSum* s = DBSum();
    return s ? Variant(s->SumValue) : Null();
}

void TColumnFooterEh::ApplySumSettings(TDBSum* Sum) {
    if (FValueType == fvtCount) {
        Sum->SetGroupOperation(goCount);
        Sum->SetFieldName(String());
        return;
    }
    Sum->SetGroupOperation(FValueType == fvtAvg ? goAvg : goSum);
    Sum->SetFieldName(FFieldName.isEmpty() && FColumn ? FColumn->FieldName() : FFieldName);
}

void TColumnFooterEh::EnsureSumValue() {
    TCustomDBGridEh* g = Grid();
    if (!g || !g->SumList()) return;
    if (TDBSum* s = DBSum()) {
        if (NeedsSum(FValueType)) {
            ApplySumSettings(s);
        } else {
            FDBSum = nullptr;
            s->Free();
        }
        return;
    }
    if (!NeedsSum(FValueType)) return;
    TDBSumCollection* sums = g->SumList()->SumCollection();
    sums->BeginUpdate();
    // The collection's update at EndUpdate recalculates, also when the settings fail.
    struct End {
        TDBSumCollection* c;
        ~End() { c->EndUpdate(); }
    } end{sums};
    FDBSum = static_cast<TDBSum*>(sums->Add());
    FSumGrid = g;
    ApplySumSettings(FDBSum);
}

// ---------------------------------------------------------------------------------------------
// TColumnFootersEh

TColumnFootersEh::TColumnFootersEh(TColumnEh* Column, TCollectionItemClass FooterClass)
    : TCollection(FooterClass), FColumn(Column) {}

TPersistent* TColumnFootersEh::GetOwner() {
    return FColumn;
}

// ---------------------------------------------------------------------------------------------
// The column's footers

TColumnFooterEh* TColumnEh::Footer() const {
    // Made with the column; a column still under construction makes it here.
    if (!FFooter) FFooter.reset(const_cast<TColumnEh*>(this)->CreateFooter());
    return FFooter.get();
}

TColumnFootersEh* TColumnEh::Footers() const {
    if (!FFooters) FFooters.reset(const_cast<TColumnEh*>(this)->CreateFooters());
    return FFooters.get();
}

TColumnFooterEh* TColumnEh::UsedFooter(int Index) const {
    if (FFooters && Index >= 0 && Index < FFooters->Count()) return FFooters->Footer(Index);
    return Footer();
}

void TColumnEh::EnsureSumValues() {
    if (FFooter) FFooter->EnsureSumValue();
    if (FFooters)
        for (int i = 0; i < FFooters->Count(); ++i)
            FFooters->Footer(i)->EnsureSumValue();
}

bool TColumnEh::CanApplyAggregateFunction(TGroupFooterValueTypeEh Kind) {
    TField* f = Field();
    if (!f) return false;
    switch (Kind) {
    case gfvNonEh:
        return false;
    case gfvSumEh:
        return dynamic_cast<TNumericField*>(f) != nullptr || f->DataType() == ftBoolean;
    case gfvAvgEh:
        return dynamic_cast<TNumericField*>(f) != nullptr;
    default:
        return true;
    }
}

// ---------------------------------------------------------------------------------------------
// The grid's footer text and painting

String TCustomDBGridEh::GetFooterValue(int Row, TColumnEh* Column) {
    TColumnFooterEh* footer = Column->UsedFooter(Row);
    TDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
    const String& fmt = footer->DisplayFormat();
    switch (footer->ValueType()) {
    case fvtSum:
    case fvtAvg: {
        const String name = footer->FieldName().isEmpty() ? Column->FieldName() : footer->FieldName();
        TField* f = ds && !name.isEmpty() ? ds->FindField(name) : nullptr;
        if (!f) return QStringLiteral("0");
        TDBSum* s = FSumList->SumCollection()->GetSumByOpAndFName(
            footer->ValueType() == fvtSum ? goSum : goAvg, f->FieldName());
        if (!s) return QStringLiteral("0");
        const Currency v = s->SumValue;
        auto* numeric = dynamic_cast<TNumericField*>(f);
        const String fieldFmt = numeric ? numeric->DisplayFormat() : String();
        const TFormatSettings& fs = FormatSettings();
        switch (f->DataType()) {
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftAutoInc:
        case ftLargeint:
            if (!fmt.isEmpty()) return FormatFloat(fmt, v.ToExtended());
            if (!fieldFmt.isEmpty()) return FormatFloat(fieldFmt, v.ToExtended());
            return IntToStr(v.Trunc());
        case ftFloat:
        case ftCurrency: {
            if (!fmt.isEmpty()) return FormatFloat(fmt, v.ToExtended());
            if (!fieldFmt.isEmpty()) return FormatFloat(fieldFmt, v.ToExtended());
            auto* ff = dynamic_cast<TFloatField*>(f);
            const bool cur = ff && ff->currency();
            return FloatToStrF(v.ToExtended(), cur ? ffCurrency : ffGeneral, ff ? ff->Precision() : 15,
                               cur ? fs.CurrencyDecimals : 0);
        }
        case ftBCD:
        case ftFMTBcd: {
            if (!fmt.isEmpty()) return FormatFloat(fmt, v.ToExtended());
            if (!fieldFmt.isEmpty()) return FormatCurr(fieldFmt, v);
            bool cur = false;
            if (auto* b = dynamic_cast<TBCDField*>(f)) cur = b->currency();
            return CurrToStrF(v, cur ? ffCurrency : ffGeneral, cur ? fs.CurrencyDecimals : 0);
        }
        default:
            return QStringLiteral("0");
        }
    }
    case fvtCount: {
        TDBSum* s = FSumList->SumCollection()->GetSumByOpAndFName(goCount, String());
        const Extended count = s ? s->SumValue.ToExtended() : 0;
        return fmt.isEmpty() ? FloatToStr(count) : FormatFloat(fmt, count);
    }
    case fvtFieldValue: {
        if (!ds || !ds->Active() || footer->FieldName().isEmpty()) return String();
        // A name the data set lacks shows nothing instead of failing on every repaint.
        TField* f = ds->FindField(footer->FieldName());
        return f ? FormatFieldValue(f, fmt) : String();
    }
    case fvtStaticText:
        return footer->Value();
    case fvtNon:
        break;
    }
    return String();
}

void TCustomDBGridEh::GetFooterParams(int DataCol, int Row, TColumnEh* Column, TFont* AFont,
                                      TColor& Background, TAlignment& Alignment, TGridDrawState State,
                                      String& Text) {
    if (OnGetFooterParams)
        OnGetFooterParams(this, DataCol, Row, Column, AFont, Background, Alignment, State, Text);
}

void TCustomDBGridEh::DefaultDrawFooterCell(const TRect& Rect, int DataCol, int Row, TColumnEh* Column,
                                            TGridDrawState State) {
    TRect r = Rect;
    int margin = 2;
    if (FOptionsEh.Contains(dghFooter3D)) {
        r.Inflate(-1, -1);
        margin = 1;
    }
    const int vMargin = margin - (Flat() ? 1 : 0);
    TCanvas* c = Canvas();
    String text = GetFooterValue(Row, Column);
    TColor background = c->Brush()->Color();
    TAlignment alignment = Column->Footer()->Alignment();
    GetFooterParams(DataCol, Row, Column, Font(), background, alignment, State, text);
    c->Brush()->SetColor(background);
    TColumnFooterEh* single = Column->Footer();
    WriteCellText(Column, c, single->EndEllipsis(), single->WordWrap() && FAllowWordWrap, Column->Layout(),
                  alignment, text, vMargin, margin, true, r);
}

int TCustomDBGridEh::ReadFullFooterRowCount() {
    return FooterRowCount() + (FDataGrouping ? FDataGrouping->Footers()->VisibleItemsCount() : 0);
}

void TCustomDBGridEh::InvalidateFooter() {
    if (!HandleAllocated()) return;
    const int n = std::min(FullFooterRowCount(), GetFullRowCount());
    for (int i = 0; i < n; ++i)
        InvalidateRow(GetFullRowCount() - 1 - i);
}

void TCustomDBGridEh::InvalidateTitle() {
    if (!HandleAllocated()) return;
    for (int r = 0; r < TopDataOffset() && r < RowCount(); ++r)
        InvalidateRow(r);
}

int TCustomDBGridEh::VisibleDataRowCount() {
    return VisibleRowCount();
}

KVT_PUBLISHED(TColumnFooterEh) {
    using F = TColumnFooterEh;
    P.Prop("Alignment", &F::Alignment, &F::SetAlignment).Stored([](F* f) { return f->IsAlignmentStored(); });
    P.Prop("Color", &F::Color, &F::SetColor).Stored([](F* f) { return f->IsColorStored(); });
    P.Prop("DisplayFormat", &F::DisplayFormat, &F::SetDisplayFormat);
    P.Prop("EndEllipsis", &F::EndEllipsis, &F::SetEndEllipsis).Default(false);
    P.Prop("FieldName", &F::FieldName, &F::SetFieldName);
    P.Prop("Font", &F::Font, &F::SetFont).Stored([](F* f) { return f->IsFontStored(); });
    P.Prop("ToolTips", &F::ToolTips, &F::SetToolTips).Stored([](F* f) { return f->IsToolTipsStored(); });
    P.Prop("Value", &F::Value, &F::SetValue);
    P.Prop("ValueType", &F::ValueType, &F::SetValueType).Default(fvtNon);
    P.Prop("WordWrap", &F::WordWrap, &F::SetWordWrap).Default(false);
}
