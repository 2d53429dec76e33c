// The grid behaviour centre, the data set adapter registry and the filter string built from the
// grid's column filters.

#include "lib/dbgrid/DBGridEhCenter.h"

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhFilterRow.h"
#include "platform/db/DB.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// Adapters

bool TDataSetAdapterEh::LocateText(TCustomDBGridEh*, const String&, const String&, TLocateTextOptionsEh,
                                   TLocateTextDirectionEh, TLocateTextMatchingEh,
                                   TLocateTextTreeFindRangeEh) {
    return false;
}
bool TDataSetAdapterEh::MoveRecords(TCustomDBGridEh*, TBMListEh*, int, int, bool) {
    return false;
}
void TDataSetAdapterEh::ApplyFilter(TCustomDBGridEh*, TDataSet*, bool) {}
void TDataSetAdapterEh::PassTexts(TDataSet*, const String&, const String&, bool) {}
void TDataSetAdapterEh::ApplySorting(TCustomDBGridEh*, TDataSet*, bool) {}
void TDataSetAdapterEh::ShowFindDialog(TCustomDBGridEh*, const String&, bool, const String&) {}
void TDataSetAdapterEh::FillSTFilterListDataValues(TCustomDBGridEh*, TColumnEh*, TStrings*) {}

namespace {

struct AdapterRegistry {
    TStringList List{dupError, false, false};
    ~AdapterRegistry() {
        for (int i = 0; i < List.Count(); ++i)
            delete List.Objects(i);
    }
};

AdapterRegistry& Registry() {
    static AdapterRegistry r;
    return r;
}

} // namespace

TStringList* DataSetAdapterRegistry() {
    return &Registry().List;
}

void RegisterDataSetAdapterEh(TDataSetAdapterEh* Adapter) {
    TStringList& list = Registry().List;
    // The list refuses duplicates only while sorted; check the name by hand.
    const String name = Adapter->DataSetClass()->ClassName();
    if (list.IndexOf(name) >= 0) {
        delete Adapter;
        throw EStringListError(QStringLiteral("String list does not allow duplicates"));
    }
    list.AddObject(name, Adapter);
}

void UnregisterDataSetAdapterEh(TDataSetAdapterEh* Adapter) {
    TStringList& list = Registry().List;
    const int i = list.IndexOfObject(Adapter);
    if (i < 0) return;
    list.Delete(i);
    delete Adapter;
}

int ClassDistance(TClass AClass, TClass Ancestor) {
    const String name = Ancestor->ClassName().toUpper();
    int steps = 0;
    for (TClass c = AClass; c; c = c->Parent, ++steps)
        if (c->ClassName().toUpper() == name) return steps;
    return -1;
}

// ---------------------------------------------------------------------------------------------
// Unit-level state

TGridLocateTextProcEh GridBuiltInLocateTextEh;
TGridFindDialogProcEh GridFindDialogProcEh;
TGridEditActionAllowedEh GridEditActionAllowedEh;
TGridEditActionRunEh GridEditActionRunEh;
TGridIndicatorTitleMouseDownEh GridIndicatorTitleMouseDownEh;

namespace {

TDBGridEhCenter*& DefaultCenterSlot() {
    static TDBGridEhCenter* center = new TDBGridEhCenter();
    return center;
}

} // namespace

TDBGridEhCenter* DefaultGridCenter() {
    return DefaultCenterSlot();
}

TDBGridEhCenter* SetDefaultGridCenter(TDBGridEhCenter* Value) {
    TDBGridEhCenter* old = DefaultCenterSlot();
    DefaultCenterSlot() = Value;
    return old;
}

// ---------------------------------------------------------------------------------------------
// The centre

TDBGridEhCenter::TDBGridEhCenter() = default;

TDBGridEhCenter::~TDBGridEhCenter() {
    if (DefaultCenterSlot() == this) DefaultCenterSlot() = nullptr;
    while (!FGrids.empty()) {
        TCustomDBGridEh* g = FGrids.back();
        FGrids.pop_back();
        g->SetCenter(nullptr);
    }
}

bool TDBGridEhCenter::GridInChangeNotification(TCustomDBGridEh* Grid) const {
    return std::find(FGrids.begin(), FGrids.end(), Grid) != FGrids.end();
}

void TDBGridEhCenter::AddChangeNotification(TCustomDBGridEh* Grid) {
    if (!GridInChangeNotification(Grid)) FGrids.push_back(Grid);
}

void TDBGridEhCenter::RemoveChangeNotification(TCustomDBGridEh* Grid) {
    FGrids.erase(std::remove(FGrids.begin(), FGrids.end(), Grid), FGrids.end());
}

TDataSetAdapterEh* TDBGridEhCenter::FindDataSetAdapter(TDataSet* DataSet) {
    if (!DataSet) return nullptr;
    TStringList& list = Registry().List;
    TDataSetAdapterEh* best = nullptr;
    int bestDistance = -1;
    for (int i = 0; i < list.Count(); ++i) {
        auto* a = static_cast<TDataSetAdapterEh*>(list.Objects(i));
        const int d = ClassDistance(DataSet->ClassType(), a->DataSetClass());
        if (d >= 0 && (bestDistance < 0 || d < bestDistance)) {
            best = a;
            bestDistance = d;
        }
    }
    return best;
}

namespace {

TDataSet* GridDataSet(TCustomDBGridEh* Grid) {
    return Grid && Grid->DataLink() ? Grid->DataLink()->DataSet() : nullptr;
}

} // namespace

TSTFilterDefaultOperatorEh
TDBGridEhCenter::GetSTFilterDefaultOperator(TCustomDBGridEh*, TColumnEh* Column,
                                            const TSTFilterExpressionEh& Expression) {
    if (Column && !Column->STFilter()->KeyField().isEmpty()) return fdoEqual;
    switch (Expression.ExpressionType) {
    case botNumber:
        return STFilterDefaultNumberOperator;
    case botDateTime:
        return STFilterDefaultDateTimeOperator;
    case botBoolean:
        return STFilterDefaultBooleanOperator;
    default:
        return STFilterDefaultStringOperator;
    }
}

namespace {

bool IsReadableFieldType(TFieldType t) {
    switch (t) {
    case ftString:
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftBoolean:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftAutoInc:
    case ftMemo:
    case ftFmtMemo:
    case ftFixedChar:
    case ftWideString:
    case ftLargeint:
    case ftADT:
    case ftVariant:
    case ftGuid:
    case ftTimeStamp:
    case ftFMTBcd:
    case ftFixedWideChar:
    case ftWideMemo:
    case ftOraTimeStamp:
    case ftOraInterval:
    case ftLongWord:
    case ftShortint:
    case ftByte:
    case ftExtended:
    // Filtered as numbers too (see FieldTypeToSTOperandType), so readable and comparable alike.
    case ftSingle:
        return true;
    default:
        return false;
    }
}

} // namespace

bool TDBGridEhCenter::CanColumnValueReadAsText(TCustomDBGridEh*, TColumnEh* Column) {
    TField* f = Column ? Column->Field() : nullptr;
    return !f || IsReadableFieldType(f->DataType());
}

bool TDBGridEhCenter::ColumnValueTypeIsComparable(TCustomDBGridEh*, TColumnEh* Column) {
    TField* f = Column ? Column->Field() : nullptr;
    return !f || IsReadableFieldType(f->DataType());
}

TSortMarkerEh TDBGridEhCenter::GetFirstSortMarkerState(TCustomDBGridEh*, TColumnEh* Column) {
    TField* f = Column ? Column->Field() : nullptr;
    if (!f) return smDownEh;
    if (dynamic_cast<TStringField*>(f)) return smUpEh;
    const TFieldType t = f->DataType();
    return t == ftMemo || t == ftFmtMemo || t == ftWideMemo ? smUpEh : smDownEh;
}

int TDBGridEhCenter::GetSortOrderForSortMarker(TCustomDBGridEh*, TColumnEh*, TSortMarkerEh SortMarker) {
    switch (SortMarker) {
    case smDownEh:
        return 1;
    case smUpEh:
        return 0;
    default:
        throw Exception(QStringLiteral("SortOrder for SortMarker None is not defined."));
    }
}

void TDBGridEhCenter::CellMouseClick(TCustomDBGridEh* Grid, TGridCoord Cell, TMouseButton Button,
                                     TShiftState Shift, int X, int Y) {
    bool processed = false;
    if (OnCellMouseClick) OnCellMouseClick(Grid, Cell, Button, Shift, X, Y, processed);
    if (!processed) DefaultCellMouseClick(Grid, Cell, Button, Shift, X, Y);
}

void TDBGridEhCenter::IndicatorTitleMouseDown(TCustomDBGridEh* Grid, TGridCoord Cell, TMouseButton Button,
                                              TShiftState Shift, int X, int Y) {
    bool processed = false;
    if (OnIndicatorTitleMouseDown) OnIndicatorTitleMouseDown(Grid, Cell, Button, Shift, X, Y, processed);
    if (!processed) DefaultIndicatorTitleMouseDown(Grid, Cell, Button, Shift, X, Y);
}

void TDBGridEhCenter::DefaultCellMouseClick(TCustomDBGridEh*, TGridCoord, TMouseButton, TShiftState, int,
                                            int) {}

void TDBGridEhCenter::DefaultIndicatorTitleMouseDown(TCustomDBGridEh* Grid, TGridCoord Cell,
                                                     TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (GridIndicatorTitleMouseDownEh) GridIndicatorTitleMouseDownEh(Grid, Cell, Button, Shift, X, Y);
}

void TDBGridEhCenter::BuildIndicatorTitleMenu(TCustomDBGridEh* Grid, TPopupMenu*& PopupMenu) {
    if (OnBuildIndicatorTitleMenu)
        OnBuildIndicatorTitleMenu(Grid, PopupMenu);
    else
        DefaultBuildIndicatorTitleMenu(Grid, PopupMenu);
}

void TDBGridEhCenter::ApplyFilter(TCustomDBGridEh* Grid) {
    if (OnApplyFilter)
        OnApplyFilter(Grid);
    else
        DefaultApplyFilter(Grid);
}

void TDBGridEhCenter::ApplySorting(TCustomDBGridEh* Grid) {
    if (OnApplySorting)
        OnApplySorting(Grid);
    else
        DefaultApplySorting(Grid);
}

void TDBGridEhCenter::DefaultApplyFilter(TCustomDBGridEh* Grid) {
    TDataSet* ds = GridDataSet(Grid);
    if (TDataSetAdapterEh* a = FindDataSetAdapter(ds)) a->ApplyFilter(Grid, ds, ds->Active());
}

void TDBGridEhCenter::DefaultApplySorting(TCustomDBGridEh* Grid) {
    TDataSet* ds = GridDataSet(Grid);
    if (TDataSetAdapterEh* a = FindDataSetAdapter(ds)) a->ApplySorting(Grid, ds, ds->Active());
}

bool TDBGridEhCenter::LocateText(TCustomDBGridEh* Grid, const String& FieldName, const String& Text,
                                 TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction,
                                 TLocateTextMatchingEh Matching, TLocateTextTreeFindRangeEh TreeFindRange) {
    if (OnLocateText) return OnLocateText(Grid, FieldName, Text, Options, Direction, Matching, TreeFindRange);
    return DefaultLocateText(Grid, FieldName, Text, Options, Direction, Matching, TreeFindRange);
}

bool TDBGridEhCenter::DefaultLocateText(TCustomDBGridEh* Grid, const String& FieldName, const String& Text,
                                        TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction,
                                        TLocateTextMatchingEh Matching,
                                        TLocateTextTreeFindRangeEh TreeFindRange) {
    TDataSet* ds = GridDataSet(Grid);
    if (TDataSetAdapterEh* a = FindDataSetAdapter(ds))
        return a->LocateText(Grid, FieldName, Text, Options, Direction, Matching, TreeFindRange);
    if (GridBuiltInLocateTextEh)
        return GridBuiltInLocateTextEh(Grid, FieldName, Text, Options, Direction, Matching, TreeFindRange);
    return false;
}

bool TDBGridEhCenter::MoveRecords(TCustomDBGridEh* Grid, TBMListEh* BookmarkList, int ToRecNo, int TreeLevel,
                                  bool CheckOnly) {
    return DefaultMoveRecords(Grid, BookmarkList, ToRecNo, TreeLevel, CheckOnly);
}

bool TDBGridEhCenter::DefaultMoveRecords(TCustomDBGridEh* Grid, TBMListEh* BookmarkList, int ToRecNo,
                                         int TreeLevel, bool CheckOnly) {
    TDataSet* ds = GridDataSet(Grid);
    if (TDataSetAdapterEh* a = FindDataSetAdapter(ds))
        return a->MoveRecords(Grid, BookmarkList, ToRecNo, TreeLevel, CheckOnly);
    return false;
}

void TDBGridEhCenter::PassTextsToAdapter(TCustomDBGridEh* Grid, const String& Text1, const String& Text2,
                                         bool Flag) {
    TDataSet* ds = GridDataSet(Grid);
    if (TDataSetAdapterEh* a = FindDataSetAdapter(ds)) a->PassTexts(ds, Text1, Text2, Flag);
}

void TDBGridEhCenter::ShowFindDialog(TCustomDBGridEh* Grid, const String& Text, bool Flag,
                                     const String& Text2) {
    TDataSet* ds = GridDataSet(Grid);
    if (TDataSetAdapterEh* a = FindDataSetAdapter(ds))
        a->ShowFindDialog(Grid, Text, Flag, Text2);
    else if (GridFindDialogProcEh)
        GridFindDialogProcEh(Grid, Text, Flag);
}

// ---------------------------------------------------------------------------------------------
// Filling the filter list

void TDBGridEhCenter::DefaultFillSTFilterListValues(TCustomDBGridEh* Grid, TColumnEh* Column,
                                                    TStrings* Items) {
    Grid->DefaultFillSTFilterListValues(Column, Items);
}

void TDBGridEhCenter::DefaultFillSTFilterListCommandValues(TCustomDBGridEh* Grid, TColumnEh* Column,
                                                           TStrings* Items) {
    Items->BeginUpdate();
    struct End {
        TStrings* s;
        ~End() { s->EndUpdate(); }
    } end{Items};
    if (Grid->OptionsEh().Contains(dghAutoSortMarking) && Column->Title()->TitleButton()) {
        Items->AddObject(QStringLiteral("(Сортировка по возрастанию)"), PopupListboxItemEhSort(smUpEh));
        Items->AddObject(QStringLiteral("(Сортировка по убыванию)"), PopupListboxItemEhSort(smDownEh));
        Items->AddObject(QStringLiteral("-"), PopupListboxItemEhLine());
    }
    Items->AddObject(QStringLiteral("(Очистить фильтр)"),
                     PopupListboxItemEhSpec(ptFilterSpecItemClearFilter));
    if (!Grid->STFilter()->InstantApply())
        Items->AddObject(QStringLiteral("(Применить фильтр)"), PopupListboxItemEhSpec(ptFilterApply));
    Items->AddObject(QStringLiteral("(Условие...)"), PopupListboxItemEhSpec(ptFilterSpecItemDialog));
    Items->AddObject(QStringLiteral("(Все)"), PopupListboxItemEhSpec(ptFilterSpecItemAll));
    Items->AddObject(QStringLiteral("(Не пустые)"), PopupListboxItemEhSpec(ptFilterSpecItemNotEmties));
    Items->AddObject(QStringLiteral("(Пустые)"), PopupListboxItemEhSpec(ptFilterSpecItemEmpties));
}

void TDBGridEhCenter::DefaultFillSTFilterListDataValues(TCustomDBGridEh* Grid, TColumnEh* Column,
                                                        TStrings* Items) {
    TDataSet* ds = GridDataSet(Grid);
    if (TDataSetAdapterEh* a = FindDataSetAdapter(ds))
        a->FillSTFilterListDataValues(Grid, Column, Items);
    else
        StandardFillSTFilterListDataValues(Grid, Column, Items);
}

void TDBGridEhCenter::StandardFillSTFilterListDataValues(TCustomDBGridEh* Grid, TColumnEh* Column,
                                                         TStrings* Items) {
    std::shared_ptr<IMemTableDataFieldValueListEh> list = Column->GetCurrentFieldValueList();
    TSTColumnFilterEh* filter = Column->STFilter();
    if (list) {
        // The column's own condition must not narrow its own list: switch it off meanwhile.
        TSTFilterExpressionEh saved = filter->Expression();
        String filterString;
        {
            TSTFilterExpressionEh off = saved;
            off.Operator1 = foNon;
            off.Relation = foNon;
            filter->SetExpressionSilently(off);
            struct Restore {
                TSTColumnFilterEh* f;
                const TSTFilterExpressionEh& e;
                ~Restore() { f->SetExpressionSilently(e); }
            } restore{filter, saved};
            filterString = STFilterGridFilterString(Grid);
        }
        list->SetFilter(filterString);
        TStrings* values = list->GetValues();
        for (int i = 0; i < values->Count(); ++i)
            if (!values->Strings(i).isEmpty()) Items->AddObject(values->Strings(i), PopupListboxItemEhData());
    }
    TStrings* keys = Column->HasKeyList() ? Column->KeyList() : nullptr;
    TStrings* picks = Column->HasPickList() ? Column->PickList() : nullptr;
    if (!filter->ListSource() && keys && picks && keys->Count() > 0 && picks->Count() > 0) {
        for (int i = 0; i < Items->Count(); ++i) {
            const int k = keys->IndexOf(Items->Strings(i));
            if (k >= 0 && k < picks->Count()) Items->SetStrings(i, picks->Strings(k));
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The indicator title menu

namespace {

const char* const IndicatorMenuCaptions[] = {"Видимые столбцы", "Вырезать", "Копировать",
                                             "Вставить",        "Удалить",  "Выбрать все"};
const char* const IndicatorMenuShortCuts[] = {"", "Ctrl+X", "Ctrl+C", "Ctrl+V", "Ctrl+D", "Ctrl+A"};
const TDBGridEhEditAction IndicatorMenuActions[] = {geaCutEh,   geaCutEh,    geaCopyEh,
                                                    geaPasteEh, geaDeleteEh, geaSelectAllEh};

struct IndicatorMenuState {
    TPopupMenu* Menu = nullptr;
    TMenuItem* Items[6] = {};
    TCustomDBGridEh* Grid = nullptr;
};

IndicatorMenuState& MenuState() {
    static IndicatorMenuState s;
    return s;
}

void ToggleColumnVisible(TMenuItem* Item, TCustomDBGridEh* Grid, TColumnEh* Column) {
    if (Column->Visible()) {
        int visible = 0;
        for (int i = 0; i < Grid->Columns()->Count(); ++i)
            if (Grid->Columns()->Columns(i)->Visible()) ++visible;
        if (visible > 1) Column->SetVisible(false);
    } else {
        Column->SetVisible(true);
    }
    Item->SetChecked(Column->Visible());
}

} // namespace

void TDBGridEhCenter::DefaultBuildIndicatorTitleMenu(TCustomDBGridEh* Grid, TPopupMenu*& PopupMenu) {
    IndicatorMenuState& st = MenuState();
    if (!st.Menu) {
        st.Menu = new TPopupMenu(Screen);
        st.Menu->SetName(QStringLiteral("DBGridEhIndicatorTitlePopupMenu"));
    }
    // The kept items are not owned by the menu while detached; take them out before clearing.
    for (TMenuItem* item : st.Items)
        if (item && item->Parent()) item->Parent()->Remove(item);
    st.Menu->Items()->Clear();
    st.Grid = Grid;
    PopupMenu = st.Menu;

    if (Grid->IndicatorTitle()->UseGlobalMenu()) {
        for (int k = itmVisibleColumnsEh; k <= itmSelectAll; ++k) {
            const auto kind = TDBGridEhStyleIndicatorTitleMenuEh(k);
            if (!IndicatorTitleMenus.Contains(kind)) continue;
            TMenuItem*& item = st.Items[k];
            if (!item) item = new TMenuItem(Screen);
            item->Clear();
            item->SetCaption(QString::fromUtf8(IndicatorMenuCaptions[k]));
            if (kind == itmVisibleColumnsEh) {
                item->SetEnabled(true);
                for (int i = 0; i < Grid->Columns()->Count(); ++i) {
                    TColumnEh* column = Grid->Columns()->Columns(i);
                    if (column->Title()->Caption().isEmpty()) continue;
                    auto* sub = new TMenuItem(item);
                    sub->SetCaption(column->Title()->Caption());
                    sub->SetChecked(column->Visible());
                    sub->SetCloseMenuOnClick(false);
                    sub->OnClick = TNotifyEvent::Callable(
                        [sub, Grid, column](TObject*) { ToggleColumnVisible(sub, Grid, column); }, sub);
                    item->Add(sub);
                }
            } else {
                const bool allowed = Grid->EditActions().Contains(IndicatorMenuActions[k]) &&
                                     GridEditActionAllowedEh && GridEditActionAllowedEh(Grid, kind);
                item->SetEnabled(allowed);
                item->SetShortCut(TextToShortCut(QString::fromLatin1(IndicatorMenuShortCuts[k])));
                item->OnClick = TNotifyEvent::Callable(
                    [Grid, kind](TObject*) {
                        if (GridEditActionRunEh) GridEditActionRunEh(Grid, kind);
                    },
                    item);
            }
            st.Menu->Items()->Add(item);
        }
    }

    if (TPopupMenu* own = Grid->IndicatorTitle()->DropdownMenu()) {
        if (st.Menu->Items()->Count() > 0) {
            auto* line = new TMenuItem(st.Menu);
            line->SetCaption(QStringLiteral("-"));
            st.Menu->Items()->Add(line);
        }
        for (int i = 0; i < own->Items()->Count(); ++i) {
            TMenuItem* src = own->Items()->Items(i);
            auto* copy = new TMenuItem(st.Menu);
            copy->SetCaption(src->Caption());
            copy->SetAutoCheck(src->AutoCheck());
            copy->SetBreak(src->Break());
            copy->SetChecked(src->Checked());
            copy->SetSubMenuImages(src->SubMenuImages());
            copy->SetDefault(src->Default());
            copy->SetEnabled(src->Enabled());
            copy->SetGroupIndex(src->GroupIndex());
            copy->SetHint(src->Hint());
            copy->SetImageIndex(src->ImageIndex());
            copy->SetRadioItem(src->RadioItem());
            copy->SetShortCut(src->ShortCut());
            copy->SetVisible(src->Visible());
            copy->OnClick = src->OnClick;
            st.Menu->Items()->Add(copy);
        }
        st.Menu->SetImages(own->Images());
    }
}

// ---------------------------------------------------------------------------------------------
// The filter string

namespace {

TFormatSettings PointSettings() {
    TFormatSettings fs = FormatSettings();
    fs.DecimalSeparator = u'.';
    fs.ThousandSeparator = u',';
    return fs;
}

String Quoted(const String& s) {
    String r = s;
    r.replace(u'\'', QStringLiteral("''"));
    return u'\'' + r + u'\'';
}

} // namespace

String STFilterValueString(const Variant& Value, const TSTFilterStringOptionsEh& Options) {
    if (VarIsFloat(Value)) return FloatToStr(Value.AsExtended(), PointSettings());
    if (VarType(Value) == varDate) {
        if (Options.DateValueToStr) return Options.DateValueToStr(Value);
        return Quoted(DateTimeToStr(Value.AsDateTime()));
    }
    return Quoted(VarToStr(Value));
}

String STFilterConditionString(const String& FieldName, TSTFilterOperatorEh Operator, const Variant& Operand,
                               const TSTFilterStringOptionsEh& Options) {
    const String f = QStringLiteral(" [") + FieldName + QStringLiteral("] ");
    switch (Operator) {
    case foIn:
    case foNotIn: {
        String s = Operator == foNotIn ? QStringLiteral(" NOT (") : QStringLiteral(" (");
        std::vector<Variant> values;
        if (VarIsArray(Operand)) {
            for (Integer i = VarArrayLowBound(Operand, 1); i <= VarArrayHighBound(Operand, 1); ++i)
                values.push_back(Operand[i]);
        } else {
            values.push_back(Operand);
        }
        for (size_t i = 0; i < values.size(); ++i) {
            if (i > 0) s += QStringLiteral(" OR ");
            s += u'[' + FieldName + QStringLiteral("] = ") + STFilterValueString(values[i], Options);
        }
        return s + u')';
    }
    case foLike:
        return Options.SupportsLike ? f + QStringLiteral("Like ") + STFilterValueString(Operand, Options)
                                    : f + QStringLiteral("= ") + STFilterValueString(Operand, Options);
    case foNotLike:
        return Options.SupportsLike ? QStringLiteral(" Not (") + f + QStringLiteral("Like ") +
                                          STFilterValueString(Operand, Options) + u')'
                                    : f + QStringLiteral("<> ") + STFilterValueString(Operand, Options);
    case foNull:
    case foNotNull:
    case foEqualToNull:
    case foNotEqualToNull: {
        TSTFilterOperatorEh op = Operator;
        if (Options.NullAsComparison && op == foNull) op = foEqualToNull;
        if (Options.NullAsComparison && op == foNotNull) op = foNotEqualToNull;
        return f + String::fromUtf8(STFilterOperatorSQLText[op]);
    }
    default:
        return f + String::fromUtf8(STFilterOperatorSQLText[Operator]) + u' ' +
               STFilterValueString(Operand, Options);
    }
}

String STFilterColumnFilterString(TColumnEh* Column, const TSTFilterStringOptionsEh& Options) {
    TSTColumnFilterEh* filter = Column->STFilter();
    const TSTFilterExpressionEh e = filter->Expression();
    if (!Column->Field() || e.ExpressionType == botNon || e.Operator1 == foNon) return String();
    String name = filter->GetFilterFieldName();
    if (Options.UseFieldOrigin && filter->DataField().isEmpty() && !Column->Field()->Origin().isEmpty())
        name = Column->Field()->Origin();
    // With a key field the keys the display values stand for are compared.
    String s = STFilterConditionString(name, e.Operator1, filter->GetOperand1(), Options);
    if (e.Relation == foAND || e.Relation == foOR) {
        s += u' ' + String::fromUtf8(STFilterOperatorSQLText[e.Relation]) +
             STFilterConditionString(name, e.Operator2, filter->GetOperand2(), Options);
        if (e.Relation == foOR) s = u'(' + s + u')';
    }
    return s;
}

String STFilterGridFilterString(TCustomDBGridEh* Grid, const TSTFilterStringOptionsEh& Options) {
    String s;
    for (int i = 0; i < Grid->Columns()->Count(); ++i) {
        const String piece = STFilterColumnFilterString(Grid->Columns()->Columns(i), Options);
        if (!piece.isEmpty()) s += piece + QStringLiteral(" AND ");
    }
    if (s.endsWith(QStringLiteral("AND "))) s.chop(4);
    return s;
}
