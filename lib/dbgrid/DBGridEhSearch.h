#pragma once
// Searching in the data grid: the search panel settings (TDBGridSearchPanelEh), the panel
// window with its search box and find buttons, highlight texts, the built-in text search and
// the state the grid keeps while a search filter or an in-place search is running.
//
// The search filter is either an extra filter of a memory table or the grid's test installed
// as the data set's OnFilterRecord; in the second case the handler and Filtered flag the data
// set had are kept and given back when the filter goes (also when the grid is freed).

#include "lib/dbgrid/DBGridEh.h"
#include "lib/dbgrid/DBGridEhNavigator.h"
#include "lib/dbgrid/DBGridEhTextMatch.h"
#include "lib/tools/DBCtrlsEh.h"

#include <set>
#include <unordered_set>
#include <vector>

class TNavFindEditEh;
class TCustomMemTableEh;

// The search panel's settings and run-time state, published as the grid's SearchPanel.
class TDBGridSearchPanelEh : public TPersistent {
    KVT_CLASS(TDBGridSearchPanelEh, TPersistent)
public:
    explicit TDBGridSearchPanelEh(TCustomDBGridEh* AGrid);
    void Assign(TPersistent* Source) override;

    TCustomDBGridEh* Grid() const { return FGrid; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut Value) { FShortCut = Value; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool PersistentShowing() const { return FPersistentShowing; }
    void SetPersistentShowing(bool Value);
    TSearchPanelLocationEh Location() const { return FLocation; }
    void SetLocation(TSearchPanelLocationEh Value);
    String SearchingText() const { return FSearchingText; }
    void SetSearchingText(const String& Value);
    // Stores the text without touching the box or the visibility (the box's own change).
    void StoreSearchingText(const String& Value) { FSearchingText = Value; }
    bool Active() const;
    void SetActive(bool Value);
    bool FilterOnTyping() const { return FFilterOnTyping; }
    void SetFilterOnTyping(bool Value) { FFilterOnTyping = Value; }
    bool FilterEnabled() const { return FFilterEnabled; }
    void SetFilterEnabled(bool Value);
    int FoundColumnIndex() const { return FFoundColumnIndex; }
    void SetFoundColumnIndex(int Value);
    // Sets the found column without moving the grid.
    void StoreFoundColumnIndex(int Value) { FFoundColumnIndex = Value; }

    bool FindNext();
    bool FindPrev();
    bool RestartFind();
    void ApplySearchFilter();
    void CancelSearchFilter();
    // The height the panel takes above the cells.
    int InGridVertCaptureSize();

private:
    bool Find(TLocateTextDirectionEh Direction);

    bool FVisible = false;
    TCustomDBGridEh* FGrid;
    TShortCut FShortCut = 16454; // Ctrl+F
    bool FEnabled = false;
    bool FPersistentShowing = true;
    TSearchPanelLocationEh FLocation = splGridTopEh;
    String FSearchingText;
    bool FActive = false;
    bool FFilterOnTyping = false;
    bool FFilterEnabled = true;
    int FFoundColumnIndex = 0;
};

enum TDBGridEhNavigatorFindBtn { gnfbCancelSearchFilterEh, gnfbFindNextEh, gnfbFindPrevEh, gnfbOptionsEh };

class TNavFindButtonEh : public TNavButtonEh {
    KVT_CLASS(TNavFindButtonEh, TNavButtonEh)
public:
    using TNavButtonEh::TNavButtonEh;
    TDBGridEhNavigatorFindBtn Index() const { return FFindIndex; }
    void SetIndex(TDBGridEhNavigatorFindBtn Value) { FFindIndex = Value; }

private:
    TDBGridEhNavigatorFindBtn FFindIndex = gnfbCancelSearchFilterEh;
};

// The search box: a combo box whose list is the history of applied texts.
class TNavFindEditEh : public TDBComboBoxEh {
    KVT_CLASS(TNavFindEditEh, TDBComboBoxEh)
public:
    explicit TNavFindEditEh(TComponent* AOwner);
    void ApplySearchFilter();
    void CancelSearchEditorMode();
    bool MiniHeight() const { return FMiniHeight; }
    void SetMiniHeight(bool Value);
    bool TextAppliedAsFilter() const { return FTextAppliedAsFilter; }
    void SetTextAppliedAsFilter(bool Value) { FTextAppliedAsFilter = Value; }
    bool IsEmpty() const { return FIsEmpty; }
    void SetIsEmpty(bool Value) { FIsEmpty = Value; }
    TCustomDBGridEh* Grid() const { return FGrid; }
    void SetGrid(TCustomDBGridEh* Value) { FGrid = Value; }
    int RequiredHeight();
    // Sets the text without the reactions to typing.
    void SetTextInternally(const String& Value);
    TNotifyEvent OnUpdateModified;

    void WndProc(TMessage& Message) override;
    // The frame in the grid's dark line colour round the text area. The box is a native edit,
    // so the frame is the native widget's own (outside its text area) rather than painted.
    virtual void PaintBorder();

protected:
    void CreateWnd() override;
    void Change() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DoEnter() override;
    void DoExit() override;
    void UpdateHoverColor();
    TDBGridSearchPanelEh* Settings() const;
    bool InSearchPanel() const;

    bool FIsEmpty = true;
    bool FInternalChanging = false;
    TCustomDBGridEh* FGrid = nullptr;
    bool FMiniHeight = false;
    bool FTextAppliedAsFilter = true;
    bool FMouseInside = false;
};

// The search panel window: the search box and four find buttons.
class TDBGridSearchPanelControlEh : public TCustomControl {
    KVT_CLASS(TDBGridSearchPanelControlEh, TCustomControl)
public:
    explicit TDBGridSearchPanelControlEh(TComponent* AOwner, TCustomDBGridEh* AGrid);
    TCustomDBGridEh* Grid() const { return FGrid; }
    TNavFindEditEh* FindEditor() const { return FFindEditor; }
    TNavFindButtonEh* FindButton(TDBGridEhNavigatorFindBtn Index) const { return FindButtons[Index]; }
    TSearchPanelLocationEh Location() const { return FLocation; }
    void SetLocation(TSearchPanelLocationEh Value);

    int CalcAutoHeight();
    int CalcAutoWidthForHeight(int H) { return 4 * H + 100; }
    String GetSearchingText();
    bool IsSearchingState();
    void InitItems();
    void ResetVisibleControls();
    void ArrangeControls();
    void UpdateFindButton(TObject* Sender);
    // The frame line above the panel at the grid's top, in the non-client area.
    virtual void PaintBorder(HDC DC);
    virtual void ButtonClick(int Index);
    void WndProc(TMessage& Message) override;
    TRect NonClientMargins() override;

    TPoint MinBtnSize{10, 10};
    int ButtonWidth = 0;

protected:
    void Paint() override;
    void FindButtonClick(TObject* Sender);
    void FindButtonMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

    TCustomDBGridEh* FGrid;
    TNavFindEditEh* FFindEditor = nullptr;
    TNavFindButtonEh* FindButtons[4] = {};
    TSearchPanelLocationEh FLocation = splGridTopEh;
};

// The colour of highlighted matches: RGB(255, 255, 150).
constexpr TColor SearchHighlightColor = TColor(0x0096FFFF);

// The grid's search state (held by the grid; see the grid's searching block).
struct TDBGridEhSearchData {
    bool FSearchEditorMode = false;
    String FSearchFilter;
    bool FSearchFilterOn = false;
    TObject* FFilterObj = nullptr;
    IMemTableEh* FFilterMemTable = nullptr;
    TDataSet* FFilterDataSet = nullptr;
    TDataSet* FLastDataSet = nullptr;
    TFilterRecordEvent FLastFilterPanelEvent;
    bool FLastDataSetFiltered = false;
    std::unique_ptr<TDBGridSearchPanelEh> FSearchPanel;
    TDBGridSearchPanelControlEh* FSearchPanelControl = nullptr;
    bool FInplaceSearching = false;
    bool FInplaceSearchingInProcess = false;
    String FInplaceSearchText;
    int FInplaceSearchTimeOut = 1500;
    bool FInplaceSearchTimerActive = false;
    std::vector<TGridHighlightTextParamsEh*> FHighlightTextParamsList;
    // What the filter test knows of each visible column, taken when the columns or their fields
    // change: whether the cell text is the field's own display text.
    struct TFilterColumn {
        TColumnEh* Column;
        TField* Field;
        bool Plain;
        // The cell text is the 8-bit text the memory table stores for the field, decoded.
        bool StoredText;
    };
    std::vector<TFilterColumn> FFilterColumns;
    // The memory table whose stored texts the filter test reads, when it is one of ours.
    TCustomMemTableEh* FFilterStoreTable = nullptr;
    TAnsiTextFinderEh FFilterFinder;
    // The search-panel highlight that shows the searching text in every visible column.
    std::unique_ptr<TGridHighlightTextParamsEh> FPanelHighlight;
    // The grid's selection as it was when the filter was applied: its columns limit the cells
    // looked at, its records (memory-table record objects, or bookmarks of other data sets) the
    // records that can pass.
    TDBGridEhSelectionType FFilterSelType = gstNon;
    std::vector<TColumnEh*> FFilterSelColumns;
    std::unordered_set<TObject*> FFilterSelRecs;
    std::set<TBookmark> FFilterSelBookmarks;
};

// The built-in text search of the grid (used when no behaviour centre takes over). True when a
// matching cell was found; its record is then current.
bool LocateTextInGrid(TCustomDBGridEh* Grid, const String& FieldName, const String& Text,
                      TLocateTextOptionsEh Options, TLocateTextDirectionEh Direction,
                      TLocateTextMatchingEh Matching);
// Whether CellText matches Text in the given mode (Text already upper-cased when CaseInsensitive).
bool SearchTextMatches(const String& CellText, const String& Text, TLocateTextMatchingEh Matching,
                       bool CaseInsensitive);

// The find routine the grid opens its dialog through; the find dialog installs its own.
using TExecuteFindDialogProc = void (*)(TCustomDBGridEh* AGrid, const String& Text, bool Modal);
extern TExecuteFindDialogProc ExecuteDBGridEhFindDialogProc;
