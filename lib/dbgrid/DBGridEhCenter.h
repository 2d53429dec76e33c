#pragma once
// The behaviour that data grids share and that an application may replace by events or by a
// subclass: filling a column's filter list, the default operator of a bare filter value,
// applying filters and sort orders, text search, row moves, the find dialog, the indicator
// title menu and cell clicks. One centre, DefaultGridCenter(), serves every grid that was given
// no other.
//
// Work that depends on the kind of data set goes to a data set adapter registered for the data
// set's class (the nearest ancestor wins). Without one the centre falls back to the grid's own
// behaviour, and filters and sort orders take effect only through OnApplyFilter /
// OnApplySorting.

#include "lib/dbgrid/DBGridEhFilterExpr.h"
#include "lib/grids/GridsEh.h"
#include "lib/toolscore/ToolCtrlsEhTypes.h"
#include "platform/classes/Classes.h"

#include <functional>
#include <memory>
#include <vector>

class TCustomDBGridEh;
class TColumnEh;
class TDataSet;
class TPopupMenu;
class TMenuItem;
class TBMListEh;

enum TDBGridEhStyleIndicatorTitleMenuEh {
    itmVisibleColumnsEh,
    itmCut,
    itmCopy,
    itmPaste,
    itmDelete,
    itmSelectAll
};
using TDBGridEhStyleIndicatorTitleMenusEh = TSet<TDBGridEhStyleIndicatorTitleMenuEh>;

using TDBGridEhCenterNotifyEvent = TEvent<void(TCustomDBGridEh* Grid)>;
using TDBGridEhCenterBuildMenuEvent = TEvent<void(TCustomDBGridEh* Grid, TPopupMenu*& PopupMenu)>;
using TDBGridEhCenterFillListEvent =
    TEvent<void(TCustomDBGridEh* Grid, TColumnEh* Column, TStrings* Items, bool& Processed)>;
using TDBGridEhCenterCellMouseEvent = TEvent<void(TCustomDBGridEh* Grid, TGridCoord Cell, TMouseButton Button,
                                                  TShiftState Shift, int X, int Y, bool& Processed)>;

// Work on a data set of one class (and its descendants) done for the grid.
class TDataSetAdapterEh : public TObject {
    KVT_CLASS(TDataSetAdapterEh, TObject)
public:
    explicit TDataSetAdapterEh(TClass ADataSetClass) : FDataSetClass(ADataSetClass) {}
    TClass DataSetClass() const { return FDataSetClass; }

    virtual bool LocateText(TCustomDBGridEh* Grid, const String& FieldName, const String& Text,
                            TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction,
                            TLocateTextMatchingEh Matching, TLocateTextTreeFindRangeEh TreeFindRange);
    virtual bool MoveRecords(TCustomDBGridEh* Grid, TBMListEh* BookmarkList, int ToRecNo, int TreeLevel,
                             bool CheckOnly);
    virtual void ApplyFilter(TCustomDBGridEh* Grid, TDataSet* DataSet, bool IsReopen);
    virtual void PassTexts(TDataSet* DataSet, const String& Text1, const String& Text2, bool Flag);
    virtual void ApplySorting(TCustomDBGridEh* Grid, TDataSet* DataSet, bool IsReopen);
    virtual void ShowFindDialog(TCustomDBGridEh* Grid, const String& Text, bool Flag, const String& Text2);
    virtual void FillSTFilterListDataValues(TCustomDBGridEh* Grid, TColumnEh* Column, TStrings* Items);

private:
    TClass FDataSetClass;
};

// The registered adapters (owned). Registering a second adapter for the same class name raises.
void RegisterDataSetAdapterEh(TDataSetAdapterEh* Adapter);
void UnregisterDataSetAdapterEh(TDataSetAdapterEh* Adapter);
TStringList* DataSetAdapterRegistry();
// The number of parent steps from AClass up to a class named like Ancestor (upper case); -1 when
// Ancestor is no ancestor of AClass.
int ClassDistance(TClass AClass, TClass Ancestor);

class TDBGridEhCenter : public TPersistent {
    KVT_CLASS(TDBGridEhCenter, TPersistent)
public:
    TDBGridEhCenter();
    ~TDBGridEhCenter() override;

    bool FilterEditCloseUpApplyFilter = false;
    bool PreferEditFormatForNumberFields = false;
    bool UseExtendedScrollingForMemTable = true;
    TDBGridEhStyleIndicatorTitleMenusEh IndicatorTitleMenus{
        itmVisibleColumnsEh, itmCut, itmCopy, itmPaste, itmDelete, itmSelectAll};
    TSTFilterDefaultOperatorEh STFilterDefaultStringOperator = fdoAuto;
    TSTFilterDefaultOperatorEh STFilterDefaultNumberOperator = fdoAuto;
    TSTFilterDefaultOperatorEh STFilterDefaultBooleanOperator = fdoAuto;
    TSTFilterDefaultOperatorEh STFilterDefaultDateTimeOperator = fdoAuto;

    TDBGridEhCenterNotifyEvent OnApplyFilter;
    TDBGridEhCenterNotifyEvent OnApplySorting;
    TDBGridEhCenterBuildMenuEvent OnBuildIndicatorTitleMenu;
    TDBGridEhCenterCellMouseEvent OnCellMouseClick;
    TDBGridEhCenterCellMouseEvent OnIndicatorTitleMouseDown;
    TLocateTextEventEh OnLocateText;
    TDBGridEhCenterFillListEvent OnFillSTFilterListValues;

    virtual bool DefaultLocateText(TCustomDBGridEh* Grid, const String& FieldName, const String& Text,
                                   TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction,
                                   TLocateTextMatchingEh Matching, TLocateTextTreeFindRangeEh TreeFindRange);
    virtual bool DefaultMoveRecords(TCustomDBGridEh* Grid, TBMListEh* BookmarkList, int ToRecNo,
                                    int TreeLevel, bool CheckOnly);
    virtual bool LocateText(TCustomDBGridEh* Grid, const String& FieldName, const String& Text,
                            TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction,
                            TLocateTextMatchingEh Matching, TLocateTextTreeFindRangeEh TreeFindRange);
    virtual bool MoveRecords(TCustomDBGridEh* Grid, TBMListEh* BookmarkList, int ToRecNo, int TreeLevel,
                             bool CheckOnly);
    virtual void ApplyFilter(TCustomDBGridEh* Grid);
    virtual void ApplySorting(TCustomDBGridEh* Grid);
    virtual void PassTextsToAdapter(TCustomDBGridEh* Grid, const String& Text1, const String& Text2,
                                    bool Flag);
    virtual void ShowFindDialog(TCustomDBGridEh* Grid, const String& Text, bool Flag, const String& Text2);
    virtual TSTFilterDefaultOperatorEh GetSTFilterDefaultOperator(TCustomDBGridEh* Grid, TColumnEh* Column,
                                                                  const TSTFilterExpressionEh& Expression);
    virtual int GetSortOrderForSortMarker(TCustomDBGridEh* Grid, TColumnEh* Column, TSortMarkerEh SortMarker);
    virtual TSortMarkerEh GetFirstSortMarkerState(TCustomDBGridEh* Grid, TColumnEh* Column);
    virtual bool CanColumnValueReadAsText(TCustomDBGridEh* Grid, TColumnEh* Column);
    virtual bool ColumnValueTypeIsComparable(TCustomDBGridEh* Grid, TColumnEh* Column);
    virtual void IndicatorTitleMouseDown(TCustomDBGridEh* Grid, TGridCoord Cell, TMouseButton Button,
                                         TShiftState Shift, int X, int Y);
    virtual void DefaultFillSTFilterListCommandValues(TCustomDBGridEh* Grid, TColumnEh* Column,
                                                      TStrings* Items);
    virtual void DefaultFillSTFilterListDataValues(TCustomDBGridEh* Grid, TColumnEh* Column, TStrings* Items);
    virtual void StandardFillSTFilterListDataValues(TCustomDBGridEh* Grid, TColumnEh* Column,
                                                    TStrings* Items);
    virtual void DefaultApplyFilter(TCustomDBGridEh* Grid);
    virtual void DefaultApplySorting(TCustomDBGridEh* Grid);
    virtual void DefaultBuildIndicatorTitleMenu(TCustomDBGridEh* Grid, TPopupMenu*& PopupMenu);
    virtual void DefaultCellMouseClick(TCustomDBGridEh* Grid, TGridCoord Cell, TMouseButton Button,
                                       TShiftState Shift, int X, int Y);
    virtual void DefaultIndicatorTitleMouseDown(TCustomDBGridEh* Grid, TGridCoord Cell, TMouseButton Button,
                                                TShiftState Shift, int X, int Y);

    bool GridInChangeNotification(TCustomDBGridEh* Grid) const;
    void AddChangeNotification(TCustomDBGridEh* Grid);
    void RemoveChangeNotification(TCustomDBGridEh* Grid);
    void BuildIndicatorTitleMenu(TCustomDBGridEh* Grid, TPopupMenu*& PopupMenu);
    void CellMouseClick(TCustomDBGridEh* Grid, TGridCoord Cell, TMouseButton Button, TShiftState Shift, int X,
                        int Y);
    void Changed() {}
    void DefaultFillSTFilterListValues(TCustomDBGridEh* Grid, TColumnEh* Column, TStrings* Items);

    TDataSetAdapterEh* FindDataSetAdapter(TDataSet* DataSet);

private:
    std::vector<TCustomDBGridEh*> FGrids;
};

// The centre of every grid that has no other; a replacement takes over from the one in place
// (which the caller then owns and frees).
TDBGridEhCenter* DefaultGridCenter();
TDBGridEhCenter* SetDefaultGridCenter(TDBGridEhCenter* Value);

// The built-in text search and find dialog of the grid, used when no adapter handles them; the
// search and find-dialog code installs them.
using TGridLocateTextProcEh =
    std::function<bool(TCustomDBGridEh* Grid, const String& FieldName, const String& Text,
                       TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction,
                       TLocateTextMatchingEh Matching, TLocateTextTreeFindRangeEh TreeFindRange)>;
extern TGridLocateTextProcEh GridBuiltInLocateTextEh;
using TGridFindDialogProcEh = std::function<void(TCustomDBGridEh* Grid, const String& Text, bool Flag)>;
extern TGridFindDialogProcEh GridFindDialogProcEh;
// The clipboard and select-all actions of the grid for the indicator title menu: whether the
// action is allowed now, and running it. Installed by the selection code; without them the
// items stay disabled.
using TGridEditActionAllowedEh =
    std::function<bool(TCustomDBGridEh* Grid, TDBGridEhStyleIndicatorTitleMenuEh)>;
using TGridEditActionRunEh = std::function<void(TCustomDBGridEh* Grid, TDBGridEhStyleIndicatorTitleMenuEh)>;
extern TGridEditActionAllowedEh GridEditActionAllowedEh;
extern TGridEditActionRunEh GridEditActionRunEh;
// The grid's own handling of a press on its indicator title (the drop-down menu), installed by
// the grid's mouse code.
using TGridIndicatorTitleMouseDownEh = std::function<void(
    TCustomDBGridEh* Grid, TGridCoord Cell, TMouseButton Button, TShiftState Shift, int X, int Y)>;
extern TGridIndicatorTitleMouseDownEh GridIndicatorTitleMouseDownEh;

// ---------------------------------------------------------------------------------------------
// The filter string of a grid's column filters (used to restrict a column's value list and by
// applications that filter a data set by the grid's conditions).

struct TSTFilterStringOptionsEh {
    // Formats date-times; without one they are written as DateTimeToStr text in quotes.
    std::function<String(const Variant& Value)> DateValueToStr;
    // Null conditions written as "= NULL" / "<> NULL" rather than "IS NULL" / "IS NOT NULL".
    bool NullAsComparison = false;
    bool SupportsLike = true;
    // Field names from the field's Origin when the filter has no DataField of its own.
    bool UseFieldOrigin = false;
};

String STFilterValueString(const Variant& Value, const TSTFilterStringOptionsEh& Options);
String STFilterConditionString(const String& FieldName, TSTFilterOperatorEh Operator, const Variant& Operand,
                               const TSTFilterStringOptionsEh& Options);
// One column's piece; empty when the column has no field or no condition.
String STFilterColumnFilterString(TColumnEh* Column, const TSTFilterStringOptionsEh& Options);
String STFilterGridFilterString(TCustomDBGridEh* Grid, const TSTFilterStringOptionsEh& Options = {});
