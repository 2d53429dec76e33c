#pragma once
// Common controls: page control with tab sheets, status bar, list view (report style) and
// month calendar.

#include "platform/ui/StdCtrls.h"

class QTabBar;
class QTreeWidget;
class QCalendarWidget;
class TPageControl;
class TCustomImageList;

// ---------------------------------------------------------------------------------------------
class TTabSheet : public TWinControl {
    KVT_CLASS(TTabSheet, TWinControl)
public:
    explicit TTabSheet(TComponent* AOwner);
    ~TTabSheet() override;
    TPageControl* PageControl() const { return FPageControl; }
    void SetPageControl(TPageControl* v);
    // The index among the pages; TabIndex counts only visible tabs (-1 when hidden).
    int PageIndex() const;
    void SetPageIndex(int v);
    int TabIndex() const;
    bool TabVisible() const { return FTabVisible; }
    void SetTabVisible(bool v);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v) { FImageIndex = v; }
    bool Highlighted() const { return FHighlighted; }
    void SetHighlighted(bool v) { FHighlighted = v; }
    void Dispatch(TMessage& Message) override;

    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

private:
    friend class TPageControl;
    TPageControl* FPageControl = nullptr;
    bool FTabVisible = true;
    int FImageIndex = -1;
    bool FHighlighted = false;
};

enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
enum TTabStyle { tsTabs, tsButtons, tsFlatButtons };
using TTabChangingEvent = TEvent<void(TObject* Sender, bool& AllowChange)>;

// Tabs of the visible sheets over a frame; OnChanging/OnChange fire on the user's tab changes,
// not when ActivePage is set by code.
class TPageControl : public TCustomControl {
    KVT_CLASS(TPageControl, TCustomControl)
public:
    explicit TPageControl(TComponent* AOwner);
    ~TPageControl() override;
    int PageCount() const { return int(FPages.size()); }
    TTabSheet* Pages(int Index) const { return FPages.at(size_t(Index)); }
    TTabSheet* ActivePage() const { return FActivePage; }
    void SetActivePage(TTabSheet* Page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int v);
    // The visible tab that shows the active page (-1 when none).
    int TabIndex() const;
    void SetTabIndex(int v);
    TTabSheet* FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible);
    void SelectNextPage(bool GoForward, bool CheckTabVisible = true);
    TTabPosition TabPosition() const { return FTabPosition; }
    void SetTabPosition(TTabPosition v);
    TTabStyle Style() const { return FStyle; }
    void SetStyle(TTabStyle v) { FStyle = v; }
    bool MultiLine() const { return FMultiLine; }
    void SetMultiLine(bool v) { FMultiLine = v; }
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* v) { FImages = v; }
    // The area the sheets fill (client coordinates).
    TRect DisplayRect();
    // The tab under a client point (-1 when none).
    int IndexOfTabAt(int X, int Y);

    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;

    void Dispatch(TMessage& Message) override;
    // From the tab bar widget: the user chose a tab.
    void UserSelectedTab(int TabIndex);

protected:
    void CreateWnd() override;
    void AdjustClientRect(TRect& Rect) override;
    void Paint() override;
    virtual bool CanChange();
    virtual void Change();
    void InsertPage(TTabSheet* Page);
    void RemovePage(TTabSheet* Page);
    void UpdateTabs();
    void ShowActivePage();
    int TabHeight();

private:
    friend class TTabSheet;
    std::vector<TTabSheet*> FPages;
    TTabSheet* FActivePage = nullptr;
    TTabPosition FTabPosition = tpTop;
    TTabStyle FStyle = tsTabs;
    bool FMultiLine = false;
    TCustomImageList* FImages = nullptr;
    QTabBar* FTabBar = nullptr;
    int FSyncing = 0;
};

// ---------------------------------------------------------------------------------------------
enum TStatusPanelStyle { psText, psOwnerDraw };
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };
class TStatusBar;

class TStatusPanel : public TCollectionItem {
    KVT_CLASS(TStatusPanel, TCollectionItem)
public:
    explicit TStatusPanel(TCollection* Collection);
    void Assign(TPersistent* Source) override;
    String Text() const { return FText; }
    void SetText(const String& v);
    int Width() const { return FWidth; }
    void SetWidth(int v);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    TStatusPanelBevel Bevel() const { return FBevel; }
    void SetBevel(TStatusPanelBevel v);
    TStatusPanelStyle Style() const { return FStyle; }
    void SetStyle(TStatusPanelStyle v);

private:
    String FText;
    int FWidth = 50;
    TAlignment FAlignment = taLeftJustify;
    TStatusPanelBevel FBevel = pbLowered;
    TStatusPanelStyle FStyle = psText;
};

class TStatusPanels : public TCollection {
    KVT_CLASS(TStatusPanels, TCollection)
public:
    explicit TStatusPanels(TStatusBar* StatusBar);
    TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
    TStatusPanel* Items(int Index) const { return static_cast<TStatusPanel*>(TCollection::Items(Index)); }
    TPersistent* GetOwner() override;
    void Update(TCollectionItem* Item) override;

private:
    TStatusBar* FStatusBar;
};

using TDrawPanelEvent = TEvent<void(TStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect)>;

class TStatusBar : public TCustomControl {
    KVT_CLASS(TStatusBar, TCustomControl)
public:
    explicit TStatusBar(TComponent* AOwner);
    ~TStatusBar() override;
    TStatusPanels* Panels() const { return FPanels.get(); }
    bool SimplePanel() const { return FSimplePanel; }
    void SetSimplePanel(bool v);
    String SimpleText() const { return FSimpleText; }
    void SetSimpleText(const String& v);
    bool SizeGrip() const { return FSizeGrip; }
    void SetSizeGrip(bool v);
    // The rectangle of a panel (client coordinates).
    TRect PanelRect(int Index);
    TDrawPanelEvent OnDrawPanel;

protected:
    void Paint() override;

private:
    std::unique_ptr<TStatusPanels> FPanels;
    bool FSimplePanel = false;
    String FSimpleText;
    bool FSizeGrip = true;
};

// ---------------------------------------------------------------------------------------------
class TListView;
class TListItems;

class TListColumn : public TCollectionItem {
    KVT_CLASS(TListColumn, TCollectionItem)
public:
    explicit TListColumn(TCollection* Collection);
    String Caption() const { return FCaption; }
    void SetCaption(const String& v);
    int Width() const;
    void SetWidth(int v);
    // The width set (the list view's header may have been dragged since).
    int DefinedWidth() const { return FWidth; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v) { FAutoSize = v; }
    int MinWidth() const { return FMinWidth; }
    void SetMinWidth(int v) { FMinWidth = v; }
    int MaxWidth() const { return FMaxWidth; }
    void SetMaxWidth(int v) { FMaxWidth = v; }

private:
    String FCaption;
    int FWidth = 50;
    TAlignment FAlignment = taLeftJustify;
    bool FAutoSize = false;
    int FMinWidth = 0, FMaxWidth = 0;
};

class TListColumns : public TCollection {
    KVT_CLASS(TListColumns, TCollection)
public:
    explicit TListColumns(TListView* Owner);
    TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
    TListColumn* Items(int Index) const { return static_cast<TListColumn*>(TCollection::Items(Index)); }
    TPersistent* GetOwner() override;
    void Update(TCollectionItem* Item) override;
    TListView* ListView() const { return FOwner; }

private:
    TListView* FOwner;
};

class TListItem : public TPersistent {
    KVT_CLASS(TListItem, TPersistent)
public:
    explicit TListItem(TListItems* Owner);
    ~TListItem() override;
    TListItems* Owner() const { return FOwner; }
    TListView* ListView() const;
    String Caption() const { return FCaption; }
    void SetCaption(const String& v);
    TStrings* SubItems() const { return FSubItems.get(); }
    void SetSubItems(TStrings* v) { FSubItems->Assign(v); }
    int Index() const;
    void* Data() const { return FData; }
    void SetData(void* v) { FData = v; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v);
    bool Checked() const { return FChecked; }
    void SetChecked(bool v);
    bool Selected() const;
    void SetSelected(bool v);
    bool Focused() const;
    void SetFocused(bool v);
    void Delete();
    void MakeVisible(bool PartialOK);
    TRect DisplayRect();
    void Update();

private:
    friend class TListItems;
    friend class TListView;
    void SubItemsChanged(TObject*);
    TListItems* FOwner;
    String FCaption;
    std::unique_ptr<TStringList> FSubItems;
    void* FData = nullptr;
    int FImageIndex = -1;
    bool FChecked = false;
    bool FSelected = false;
};

class TListItems : public TPersistent {
    KVT_CLASS(TListItems, TPersistent)
public:
    explicit TListItems(TListView* Owner) : FOwner(Owner) {}
    ~TListItems() override;
    TListView* Owner() const { return FOwner; }
    TListItem* Add();
    TListItem* Insert(int Index);
    TListItem* AddItem(TListItem* Item, int Index = -1);
    void Delete(int Index);
    void Clear();
    int Count() const { return int(FItems.size()); }
    TListItem* Item(int Index) const;
    TListItem* operator[](int Index) const { return Item(Index); }
    int IndexOf(const TListItem* Value) const;
    void BeginUpdate();
    void EndUpdate();
    void Assign(TPersistent* Source) override;

private:
    friend class TListItem;
    friend class TListView;
    TListView* FOwner;
    std::vector<TListItem*> FItems;
    int FUpdateCount = 0;
};

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
enum TItemChange { ctText, ctImage, ctState };
using TLVSelectItemEvent = TEvent<void(TObject* Sender, TListItem* Item, bool Selected)>;
using TLVChangeEvent = TEvent<void(TObject* Sender, TListItem* Item, TItemChange Change)>;
using TLVColumnClickEvent = TEvent<void(TObject* Sender, TListColumn* Column)>;

class TListView : public TWinControl {
    KVT_CLASS(TListView, TWinControl)
public:
    explicit TListView(TComponent* AOwner);
    ~TListView() override;
    TListColumns* Columns() const { return FColumns.get(); }
    TListColumn* Column(int Index) const { return FColumns->Items(Index); }
    TListItems* Items() const { return FItems.get(); }
    TViewStyle ViewStyle() const { return FViewStyle; }
    void SetViewStyle(TViewStyle v);
    bool RowSelect() const { return FRowSelect; }
    void SetRowSelect(bool v);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v) { FReadOnly = v; }
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool v) { FHideSelection = v; }
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool v);
    bool GridLines() const { return FGridLines; }
    void SetGridLines(bool v);
    bool Checkboxes() const { return FCheckboxes; }
    void SetCheckboxes(bool v);
    bool ShowColumnHeaders() const { return FShowColumnHeaders; }
    void SetShowColumnHeaders(bool v);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    TCustomImageList* SmallImages() const { return FSmallImages; }
    void SetSmallImages(TCustomImageList* v) { FSmallImages = v; }
    // The first selected item, or nullptr.
    TListItem* Selected() const;
    void SetSelected(TListItem* v);
    TListItem* ItemFocused() const;
    void SetItemFocused(TListItem* v);
    int ItemIndex() const;
    // Out of range: nothing selected, no error.
    void SetItemIndex(int v);
    int SelCount() const;
    void ClearSelection();
    void SelectAll();
    TListItem* GetItemAt(int X, int Y);
    TListItem* TopItem();
    int VisibleRowCount();

    TLVSelectItemEvent OnSelectItem;
    TLVChangeEvent OnChange;
    TLVColumnClickEvent OnColumnClick;

    void Dispatch(TMessage& Message) override;

    // From the items: keep the widget in step.
    void ItemsChanged();
    void ItemChanged(TListItem* Item);
    void SelectionFromWidget();

protected:
    QWidget* CreateWidget(const TCreateParams& Params, QWidget* ParentWidget) override;
    void InitWidget() override;
    void DestroyWnd() override;
    QTreeWidget* Tree() const;
    void SyncColumns();
    void SyncItems();
    void SyncSelection();

private:
    friend class TListItem;
    friend class TListItems;
    std::unique_ptr<TListColumns> FColumns;
    std::unique_ptr<TListItems> FItems;
    TViewStyle FViewStyle = vsIcon;
    bool FRowSelect = false, FReadOnly = false, FHideSelection = true, FMultiSelect = false,
         FGridLines = false;
    bool FCheckboxes = false, FShowColumnHeaders = true;
    TBorderStyle FBorderStyle = bsSingle;
    TCustomImageList* FSmallImages = nullptr;
    TListItem* FFocused = nullptr;
    int FSyncing = 0;
};

// ---------------------------------------------------------------------------------------------
class TMonthCalendar : public TWinControl {
    KVT_CLASS(TMonthCalendar, TWinControl)
public:
    explicit TMonthCalendar(TComponent* AOwner);
    TDate Date() const { return FDate; }
    void SetDate(TDate v);
    TDate MinDate() const { return FMinDate; }
    void SetMinDate(TDate v);
    TDate MaxDate() const { return FMaxDate; }
    void SetMaxDate(TDate v);
    bool WeekNumbers() const { return FWeekNumbers; }
    void SetWeekNumbers(bool v);
    bool ShowToday() const { return FShowToday; }
    void SetShowToday(bool v) { FShowToday = v; }
    // The smallest size that shows a whole month.
    TRect MinRequiredRect();
    void SetAutoSize(bool v) override;
    TNotifyEvent OnChange;
    void Dispatch(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;
    void UserChangedDate(TDate v);
    void UserClickedDate(TDate v);

protected:
    QWidget* CreateWidget(const TCreateParams& Params, QWidget* ParentWidget) override;
    void InitWidget() override;
    QCalendarWidget* Calendar() const;

private:
    TDate FDate = 0;
    TDate FMinDate = 0, FMaxDate = 0;
    bool FWeekNumbers = false;
    bool FShowToday = true;
};

// MCM_HITTEST record
struct MCHITTESTINFO {
    UINT cbSize = sizeof(MCHITTESTINFO);
    TPoint pt;
    UINT uHit = 0;
    TDate st = 0; // the date hit
};
