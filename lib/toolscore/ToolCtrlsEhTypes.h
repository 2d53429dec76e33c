#pragma once
// The contracts that cross the library's units: the interfaces through which grids, editors,
// drop-down forms and the memory table talk without knowing each other's classes, the
// enumerations and sets of their signatures, and the event types.

#include "platform/classes/Classes.h"
#include "platform/db/DBTypes.h"
#include "platform/rtl/System.h"
#include "platform/rtl/Variant.h"

#include <memory>
#include <vector>

class TComponent;
class TControl;
class TCustomForm;
class TDataSet;
class TField;
class TStrings;
class TShape;
class TBMListEh;
class TDynVarsEh;
class TEditButtonControlEh;

// ---------------------------------------------------------------------------------------------
// Enumerations (ordinals are relied on; some names are spelled as the library always has)
enum TLocateTextOptionEh {
    ltoCaseInsensitiveEh,
    ltoAllFieldsEh,
    ltoMatchFormatEh,
    ltoIgnoteCurrentPosEh,
    ltoStopOnEscape,
    ltoInsideSelection,
    ltoRestartAfterLastHit
};
using TLocateTextOptionsEh = TSet<TLocateTextOptionEh>;
enum TLocateTextDirectionEh { ltdUpEh, ltdDownEh, ltdAllEh };
enum TLocateTextMatchingEh { ltmAnyPartEh, ltmWholeEh, ltmFromBegingEh };
enum TLocateTextTreeFindRangeEh {
    lttInAllNodesEh,
    lttInExpandedNodesEh,
    lttInCurrentLevelEh,
    lttInCurrentNodeEh
};
enum TSortOrderEh { soAscEh, soDescEh };
enum TSortMarkerEh { smNoneEh, smDownEh, smUpEh };
enum TMTViewEventTypeEh {
    mtRowInsertedEh,
    mtRowChangedEh,
    mtRowDeletedEh,
    mtRowMovedEh,
    mtViewDataChangedEh
};
enum TDropDownPassParamsEh { pspByFieldNamesEh, pspFieldValueEh, pspRecordValuesEh };
enum TEditButtonStyleEh {
    ebsDropDownEh,
    ebsEllipsisEh,
    ebsGlyphEh,
    ebsUpDownEh,
    ebsPlusEh,
    ebsMinusEh,
    ebsAltDropDownEh,
    ebsAltUpDownEh
};
enum TEditButtonStateEh { ebstNormalEh, ebstControlHotEh, ebstHotEh, ebstPressedEh, ebstDisabledEh };
enum TDrawButtonControlStyleEh {
    bcsDropDownEh,
    bcsEllipsisEh,
    bcsUpDownEh,
    bcsCheckboxEh,
    bcsPlusEh,
    bcsMinusEh,
    bcsAltDropDownEh,
    bcsAltUpDownEh
};
enum TSizeGripPostion { sgpTopLeft, sgpTopRight, sgpBottomRight, sgpBottomLeft };
enum TSizeGripChangePosition { sgcpToLeft, sgcpToRight, sgcpToTop, sgcpToBottom };
enum TTreeViewGlyphStyleEh { tvgsDefaultEh, tvgsClassicEh, tvgsThemedEh, tvgsExplorerThemedEh };
enum TLSAutoFilterTypeEh { lsftBeginsWithEh, lsftContainsEh };
// Alignment of a drop-down against its control.
enum TDropDownAlign { daLeft, daRight, daCenter };

// ---------------------------------------------------------------------------------------------
// Records and arrays
struct TEditButtonControlLineRec {
    TShape* ButtonLine = nullptr;
    TEditButtonControlEh* EditButtonControl = nullptr;
};
using TEditButtonControlList = std::vector<TEditButtonControlLineRec>;
using TFieldsArrEh = std::vector<TField*>;

// Handed to a non-modal drop-down form run and back to its callback.
class TDropDownFormSysParams : public TPersistent {
    KVT_CLASS(TDropDownFormSysParams, TPersistent)
public:
    // The form was created for this run and is freed when it closes.
    bool FFreeFormOnClose = false;
};

// ---------------------------------------------------------------------------------------------
// Event types
using TButtonClickEventEh = TEvent<void(TObject* Sender, bool& Handled)>;
using TButtonDownEventEh = TEvent<void(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled)>;
using TCloseUpEventEh = TEvent<void(TObject* Sender, bool Accept)>;
using TAcceptEventEh = TEvent<void(TObject* Sender, bool& Accept)>;
using TNotInListEventEh = TEvent<void(TObject* Sender, const String& NewText, bool& RecheckInList)>;
using TUpdateDataEventEh = TEvent<void(TObject* Sender, bool& Handled)>;
using TRefComponentNotifyEventEh = TEvent<void(TObject* Sender, TComponent* RefComponent)>;
using TListGetImageIndexEventEh = TEvent<void(TObject* Sender, int ItemIndex, int& ImageIndex)>;
using TFilterMRUItemEventEh = TEvent<void(TObject* Sender, bool& Accept)>;
using TSetDropDownEventEh = TEvent<void(TObject* Sender)>;
using TSetCloseUpEventEh = TEvent<void(TObject* Sender, bool Accept)>;
using TDataEventEh = TEvent<void(TDataEvent Event, NativeInt Info)>;
using TLocateTextEventEh =
    TEvent<bool(TObject* Sender, const String& FieldName, const String& Text, TLocateTextOptionsEh Options,
                TLocateTextDirectionEh Direction, TLocateTextMatchingEh Matching,
                TLocateTextTreeFindRangeEh TreeFindRange)>;
using TDropDownFormCallbackProcEh = TEvent<void(TCustomForm* DropDownForm, bool Accept, TDynVarsEh* DynParams,
                                                TDropDownFormSysParams* SysParams)>;
// The data set's filter-record event (as the data-set layer declares it).
using TFilterRecordEvent = TEvent<void(TDataSet* DataSet, bool& Accept)>;

// ---------------------------------------------------------------------------------------------
// Interfaces. Components that implement one do not count references; ask with Supports<I>().

// The distinct display values of one field, for filter drop-downs.
class IMemTableDataFieldValueListEh {
public:
    static constexpr TGUID IID{0x28F8194C, 0x5FF3, 0x42C4, {0x87, 0xA6, 0x8B, 0x3E, 0x06, 0x21, 0x0F, 0xA6}};
    virtual ~IMemTableDataFieldValueListEh() = default;
    // Sorted and free of duplicates; rebuilt first when out of date. The list stays owned.
    virtual TStrings* GetValues() = 0;
    virtual void SetFilter(const String& Filter) = 0;
};

// A grid's receiver of the memory table's view events.
class IMTEventReceiverEh {
public:
    static constexpr TGUID IID{0x60C6C1A2, 0xA817, 0x4043, {0x88, 0x5A, 0xBD, 0xDC, 0x75, 0x05, 0x87, 0xBD}};
    virtual ~IMTEventReceiverEh() = default;
    virtual void MTViewDataEvent(int RowNum, TMTViewEventTypeEh Event, int OldRowNum) = 0;
};

// The grid-side view of an in-memory data set: instant reading of rows without moving the
// cursor, tree nodes, extra filters, aggregates and view-event receivers.
class IMemTableEh {
public:
    static constexpr TGUID IID{0xA8C3C87A, 0xE556, 0x4BDB, {0xB8, 0xA7, 0x5B, 0x33, 0x49, 0x7D, 0x16, 0x24}};
    virtual ~IMemTableEh() = default;
    virtual int FetchRecords(int Count) = 0;
    virtual int GetInstantReadCurRow() = 0;
    virtual bool ReservedQuery() { return false; }
    virtual bool GetTreeNodeExpanded() = 0;
    virtual bool GetTreeNodeHasVisibleChildren() = 0;
    virtual int GetTreeNodeLevel() = 0;
    virtual int GetPriorRowTreeNodeLevel() = 0;
    virtual int GetNextRowTreeNodeLevel() = 0;
    virtual TObject* GetRec() = 0;
    virtual int InstantReadIndexOfBookmark(const TBookmark& Bookmark) = 0;
    virtual int InstantReadRowCount() = 0;
    virtual int InstantReadViewRow() = 0;
    virtual bool GetViewAsTreeList() = 0;
    virtual TObject* AddExtraFilter(const String& Filter, const TFilterRecordEvent& OnFilterRecord) = 0;
    virtual bool UpdateExtraFilter(TObject* Item, const String& Filter,
                                   const TFilterRecordEvent& OnFilterRecord) = 0;
    virtual bool RemoveExtraFilter(TObject* Item) = 0;
    virtual bool GetTreeNodeHasNextVisibleSibling(int Level) = 0;
    virtual bool GotoRec(TObject* Rec) = 0;
    virtual int SetRowTreeNodeExpanded(int RowNum, bool Expanded) = 0;
    // The lists are shared: the last holder frees one.
    virtual void GetFieldValueList(const String& FieldName,
                                   std::shared_ptr<IMemTableDataFieldValueListEh>& List) = 0;
    virtual bool MoveRecords(TBMListEh* BookmarkList, int ToRecNo, int TreeLevel, bool CheckOnly) = 0;
    virtual void GetLikeWildcardForOneCharacter(String& Wildcard) = 0;
    virtual void GetLikeWildcardForSeveralCharacters(String& Wildcard) = 0;
    // ResultArr slots: 0 sum, 1 count, 2 average, 3 minimum, 4 maximum; AggrFuncs bits: 1 sum,
    // 2 count, 4 average, 8 minimum, 16 maximum. Empty bookmarks cover all rows.
    virtual void GetAggregatedValuesForRange(const TBookmark& FromBM, const TBookmark& ToBM,
                                             const String& FieldName, Variant (&ResultArr)[5],
                                             Byte AggrFuncs) = 0;
    virtual void MTDisableControls() = 0;
    virtual void MTEnableControls(bool ForceUpdateState) = 0;
    virtual void InstantReadEnter(int RowNum) = 0;
    virtual void InstantReadLeave() = 0;
    virtual void RegisterEventReceiver(TComponent* Receiver) = 0;
    virtual void UnregisterEventReceiver(TComponent* Receiver) = 0;
};

// An editor with a drop-down that a popup (calendar, calculator) can close.
class IComboEditEh {
public:
    static constexpr TGUID IID{0xB64255B5, 0x386A, 0x4524, {0x8B, 0xC7, 0x7F, 0x49, 0xDD, 0xB4, 0x10, 0xF4}};
    virtual ~IComboEditEh() = default;
    virtual void CloseUp(bool Accept) = 0;
};

// A form shown as an editor's drop-down.
class IDropDownFormEh {
public:
    static constexpr TGUID IID{0xA665F4AE, 0x003C, 0x465E, {0x95, 0xE9, 0xB1, 0x06, 0x1E, 0x9E, 0xAE, 0xF4}};
    virtual ~IDropDownFormEh() = default;
    virtual bool Execute(TControl* RelativePosControl, TControl* DownStateControl, TDropDownAlign Align,
                         TDynVarsEh* DynParams) = 0;
    virtual bool GetReadOnly() = 0;
    virtual void ExecuteNomodal(TControl* RelativePosControl, TControl* DownStateControl,
                                TDropDownAlign Align, TDynVarsEh* DynParams,
                                TDropDownFormSysParams* SysParams,
                                const TDropDownFormCallbackProcEh& CallbackProc) = 0;
    virtual void Close() = 0;
    virtual void SetReadOnly(bool Value) = 0;
};

// Asks Obj whether it implements the library interface named by IID (one of the five above). On
// success Out receives the interface pointer; otherwise it is left nil and the answer is false.
bool SupportsEh(TObject* Obj, const TGUID& IID, void** Out = nullptr);
