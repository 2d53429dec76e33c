// Page control and tab sheets, status bar, list view and month calendar.

#include "platform/ui/ComCtrls.h"

#include "platform/ui/Forms.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WinGdi.h"
#include "platform/ui/WindowBridge.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QHeaderView>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTableView>
#include <QTreeWidget>

// ---------------------------------------------------------------------------------------------
TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
    FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents,
                     csSetCaption,      csDoubleClicks, csParentBackground};
    FColor = clBtnFace;
    FBrush->SetColor(FColor);
    FVisible = false;
    FAlign = alClient;
}

TTabSheet::~TTabSheet() {
    if (FPageControl) FPageControl->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* v) {
    if (FPageControl == v) return;
    if (FPageControl) FPageControl->RemovePage(this);
    SetParent(v);
    if (v) v->InsertPage(this);
}

int TTabSheet::PageIndex() const {
    if (!FPageControl) return -1;
    auto& p = FPageControl->FPages;
    auto it = std::find(p.begin(), p.end(), this);
    return it == p.end() ? -1 : int(it - p.begin());
}

void TTabSheet::SetPageIndex(int v) {
    if (!FPageControl) return;
    auto& p = FPageControl->FPages;
    int cur = PageIndex();
    if (cur < 0) return;
    p.erase(p.begin() + cur);
    p.insert(p.begin() + std::clamp(v, 0, int(p.size())), this);
    FPageControl->UpdateTabs();
}

int TTabSheet::TabIndex() const {
    if (!FPageControl || !FTabVisible) return -1;
    int n = 0;
    for (auto* p : FPageControl->FPages) {
        if (p == this) return n;
        if (p->FTabVisible) ++n;
    }
    return -1;
}

void TTabSheet::SetTabVisible(bool v) {
    if (FTabVisible == v) return;
    FTabVisible = v;
    if (FPageControl) FPageControl->UpdateTabs();
}

void TTabSheet::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_TEXTCHANGED:
        TWinControl::Dispatch(Message);
        if (FPageControl) FPageControl->UpdateTabs();
        return;
    case CM_SHOWINGCHANGED:
        TWinControl::Dispatch(Message);
        if (FShowing) {
            if (OnShow) OnShow(this);
        } else if (OnHide) {
            OnHide(this);
        }
        return;
    }
    TWinControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
namespace {
// The tab bar never takes the focus itself; while its page control has it, the current tab shows
// the focus rectangle, so that a keyboard user sees where the arrows will act.
class TPageTabBar : public QTabBar {
public:
    TPageTabBar(QWidget* parent, TPageControl* owner) : QTabBar(parent), FOwner(owner) {}

protected:
    void paintEvent(QPaintEvent* e) override {
        QTabBar::paintEvent(e);
        const int i = currentIndex();
        if (i < 0 || !FOwner->Focused()) return;
        QPainter p(this);
        QStyleOptionFocusRect o;
        o.initFrom(this);
        o.rect = tabRect(i).adjusted(3, 3, -3, -3);
        o.state |= QStyle::State_KeyboardFocusChange | QStyle::State_HasFocus;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &o, &p, this);
    }

private:
    TPageControl* FOwner;
};
} // namespace

TPageControl::TPageControl(TComponent* AOwner) : TCustomControl(AOwner) {
    FControlStyle = {csDoubleClicks, csOpaque, csParentBackground};
    FTabStop = true;
    FColor = clBtnFace;
    FBrush->SetColor(FColor);
    SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl() {
    for (auto* p : FPages)
        p->FPageControl = nullptr;
    FPages.clear();
}

void TPageControl::CreateWnd() {
    TCustomControl::CreateWnd();
    FTabBar = new TPageTabBar(FWidget, this);
    FTabBar->setDrawBase(false);
    FTabBar->setExpanding(false);
    FTabBar->setFocusPolicy(Qt::NoFocus);
    FTabBar->setFont(Font()->ToQFont());
    QObject::connect(FTabBar, &QTabBar::currentChanged, FTabBar, [this](int i) {
        if (!FSyncing) GuardedCall([this, i] { UserSelectedTab(i); });
    });
    UpdateTabs();
}

int TPageControl::TabHeight() {
    if (FTabBar) return FTabBar->sizeHint().height();
    QFontMetrics fm(Font()->ToQFont());
    return fm.height() + 10;
}

TRect TPageControl::DisplayRect() {
    TRect r = ClientRect();
    r.Top += TabHeight();
    r.Inflate(-4, -4);
    r.Top -= 2;
    return r;
}

void TPageControl::AdjustClientRect(TRect& Rect) {
    Rect = DisplayRect();
}

void TPageControl::InsertPage(TTabSheet* Page) {
    if (std::find(FPages.begin(), FPages.end(), Page) != FPages.end()) return;
    FPages.push_back(Page);
    Page->FPageControl = this;
    UpdateTabs();
    if (!FActivePage && Page->FTabVisible) SetActivePage(Page);
}

void TPageControl::RemovePage(TTabSheet* Page) {
    auto it = std::find(FPages.begin(), FPages.end(), Page);
    if (it == FPages.end()) return;
    TTabSheet* next = nullptr;
    if (FActivePage == Page) next = FindNextPage(Page, true, true);
    if (next == Page) next = nullptr;
    FPages.erase(it);
    Page->FPageControl = nullptr;
    if (FActivePage == Page) {
        FActivePage = nullptr;
        SetActivePage(next);
    }
    UpdateTabs();
}

void TPageControl::UpdateTabs() {
    if (!FTabBar) return;
    ++FSyncing;
    while (FTabBar->count() > 0)
        FTabBar->removeTab(0);
    for (auto* p : FPages)
        if (p->FTabVisible) FTabBar->addTab(p->Caption());
    FTabBar->setCurrentIndex(TabIndex());
    QSize s = FTabBar->sizeHint();
    FTabBar->setGeometry(2, 0, std::min(s.width(), std::max(0, FWidth - 4)), s.height());
    FTabBar->setVisible(FTabBar->count() > 0);
    --FSyncing;
    Realign();
    Invalidate();
}

void TPageControl::ShowActivePage() {
    for (auto* p : FPages)
        if (p != FActivePage) p->SetVisible(false);
    if (FActivePage) {
        FActivePage->BringToFront();
        FActivePage->SetVisible(true);
    }
}

void TPageControl::SetActivePage(TTabSheet* Page) {
    if (Page && Page->FPageControl != this) return;
    if (FActivePage == Page) return;
    // Moving away from a page that holds the focus keeps the focus in the form.
    TCustomForm* form = GetParentForm(this);
    bool hadFocus = form && FActivePage && FActivePage->ContainsControl(form->ActiveControl());
    FActivePage = Page;
    ShowActivePage();
    if (hadFocus && form) {
        if (Page && Page->CanFocus())
            if (TWinControl* c = Page->FindNextControl(nullptr, true, true, false)) c->SetFocus();
    }
    if (FTabBar) {
        ++FSyncing;
        FTabBar->setCurrentIndex(TabIndex());
        --FSyncing;
    }
    Invalidate();
}

int TPageControl::ActivePageIndex() const {
    return FActivePage ? FActivePage->PageIndex() : -1;
}
void TPageControl::SetActivePageIndex(int v) {
    SetActivePage(v >= 0 && v < int(FPages.size()) ? FPages[size_t(v)] : nullptr);
}
int TPageControl::TabIndex() const {
    return FActivePage ? FActivePage->TabIndex() : -1;
}
void TPageControl::SetTabIndex(int v) {
    int n = 0;
    for (auto* p : FPages)
        if (p->FTabVisible) {
            if (n == v) {
                SetActivePage(p);
                return;
            }
            ++n;
        }
    SetActivePage(nullptr);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible) {
    int n = int(FPages.size());
    if (n == 0) return nullptr;
    int start = int(std::find(FPages.begin(), FPages.end(), CurPage) - FPages.begin());
    if (start == n) start = GoForward ? n - 1 : 0;
    int i = start;
    for (int k = 0; k < n; ++k) {
        i = GoForward ? (i + 1) % n : (i + n - 1) % n;
        TTabSheet* p = FPages[size_t(i)];
        if (!CheckTabVisible || p->FTabVisible) return p;
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool GoForward, bool CheckTabVisible) {
    TTabSheet* p = FindNextPage(FActivePage, GoForward, CheckTabVisible);
    if (p && p != FActivePage && CanChange()) {
        SetActivePage(p);
        Change();
    }
}

void TPageControl::SetTabPosition(TTabPosition v) {
    FTabPosition = v;
}

int TPageControl::IndexOfTabAt(int X, int Y) {
    return FTabBar ? FTabBar->tabAt(FTabBar->mapFrom(FWidget, QPoint(X, Y))) : -1;
}

bool TPageControl::CanChange() {
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    return allow;
}
void TPageControl::Change() {
    if (OnChange) OnChange(this);
}

void TPageControl::UserSelectedTab(int Tab) {
    if (!CanChange()) {
        ++FSyncing;
        FTabBar->setCurrentIndex(TabIndex());
        --FSyncing;
        return;
    }
    SetTabIndex(Tab);
    Change();
}

void TPageControl::Paint() {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(FColor);
    c->FillRect(ClientRect());
    TRect frame = ClientRect();
    frame.Top += TabHeight() - 2;
    QPainter* p = DCPainter(c->Handle());
    if (ThemesInUse() && p && QApplication::style()) {
        QStyleOptionTabWidgetFrame opt;
        opt.rect = QRect(frame.Left, frame.Top, frame.Width(), frame.Height());
        opt.palette = QApplication::palette();
        opt.state = QStyle::State_Enabled;
        opt.shape = QTabBar::RoundedNorth;
        opt.lineWidth = QApplication::style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
        if (FTabBar) opt.tabBarSize = FTabBar->sizeHint();
        opt.tabBarRect = FTabBar ? FTabBar->geometry() : QRect();
        QApplication::style()->drawPrimitive(QStyle::PE_FrameTabWidget, &opt, p, nullptr);
    } else {
        DrawEdge(c->Handle(), &frame, EDGE_RAISED, BF_RECT | BF_SOFT);
    }
}

void TPageControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_SIZE:
        TCustomControl::Dispatch(Message);
        if (FTabBar) UpdateTabs();
        return;
    case CM_FONTCHANGED:
        TCustomControl::Dispatch(Message);
        if (FTabBar) FTabBar->setFont(Font()->ToQFont()), UpdateTabs();
        return;
    case CM_CONTROLLISTCHANGE: {
        TCMControlListChange m(Message);
        if (auto* s = dynamic_cast<TTabSheet*>(m.Control())) {
            if (m.Inserting())
                InsertPage(s);
            else
                RemovePage(s);
        }
        return;
    }
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS;
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TCustomControl::Dispatch(Message);
        if (FTabBar) FTabBar->update();
        return;
    case CM_DIALOGKEY: {
        // Ctrl+Tab reaches the form as a dialog key when a control on a page has the focus.
        TWMKey k(Message);
        TShiftState s = KeyDataToShiftState(k.KeyData());
        TCustomForm* form = GetParentForm(this);
        if (k.CharCode() == VK_TAB && s.Contains(ssCtrl) && form &&
            (Focused() || ContainsControl(form->ActiveControl()))) {
            SelectNextPage(!s.Contains(ssShift));
            Message.Result = 1;
            return;
        }
        break;
    }
    case WM_KEYDOWN: {
        TWMKey k(Message);
        TShiftState s = KeyDataToShiftState(k.KeyData());
        if (k.CharCode() == VK_TAB && s.Contains(ssCtrl)) {
            SelectNextPage(!s.Contains(ssShift));
            return;
        }
        if (k.CharCode() == VK_LEFT || k.CharCode() == VK_RIGHT) {
            SelectNextPage(k.CharCode() == VK_RIGHT);
            return;
        }
        break;
    }
    }
    TCustomControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
TStatusPanel::TStatusPanel(TCollection* Collection) : TCollectionItem(Collection) {}
void TStatusPanel::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TStatusPanel*>(Source)) {
        FText = s->FText, FWidth = s->FWidth, FAlignment = s->FAlignment, FBevel = s->FBevel,
        FStyle = s->FStyle;
        Changed(false);
        return;
    }
    TCollectionItem::Assign(Source);
}
void TStatusPanel::SetText(const String& v) {
    if (FText == v) return;
    FText = v;
    Changed(false);
}
void TStatusPanel::SetWidth(int v) {
    FWidth = v;
    Changed(true);
}
void TStatusPanel::SetAlignment(TAlignment v) {
    FAlignment = v;
    Changed(false);
}
void TStatusPanel::SetBevel(TStatusPanelBevel v) {
    FBevel = v;
    Changed(false);
}
void TStatusPanel::SetStyle(TStatusPanelStyle v) {
    FStyle = v;
    Changed(false);
}

TStatusPanels::TStatusPanels(TStatusBar* StatusBar)
    : TCollection(CollectionItemClassOf<TStatusPanel>()), FStatusBar(StatusBar) {}
TPersistent* TStatusPanels::GetOwner() {
    return FStatusBar;
}
void TStatusPanels::Update(TCollectionItem*) {
    if (FStatusBar) FStatusBar->Invalidate();
}

TStatusBar::TStatusBar(TComponent* AOwner) : TCustomControl(AOwner) {
    FControlStyle = {csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    FColor = clBtnFace;
    FBrush->SetColor(FColor);
    FPanels = std::make_unique<TStatusPanels>(this);
    QFontMetrics fm(Font()->ToQFont());
    SetBounds(0, 0, 0, std::max(19, fm.height() + 6));
    SetAlign(alBottom);
}
TStatusBar::~TStatusBar() = default;

void TStatusBar::SetSimplePanel(bool v) {
    FSimplePanel = v;
    Invalidate();
}
void TStatusBar::SetSimpleText(const String& v) {
    FSimpleText = v;
    if (FSimplePanel) Invalidate();
}
void TStatusBar::SetSizeGrip(bool v) {
    FSizeGrip = v;
    Invalidate();
}

TRect TStatusBar::PanelRect(int Index) {
    int x = 0;
    int n = FPanels->Count();
    for (int i = 0; i < n; ++i) {
        TStatusPanel* p = FPanels->Items(i);
        int w = i == n - 1 ? std::max(p->Width(), FWidth - x) : p->Width();
        if (i == Index) return {x, 2, x + w - (i == n - 1 ? 0 : 2), FHeight};
        x += w;
    }
    return {};
}

void TStatusBar::Paint() {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(FColor);
    c->FillRect(ClientRect());
    c->Font()->Assign(Font());
    HDC dc = c->Handle();
    auto text = [&](TRect r, const String& s, TAlignment a) {
        r.Inflate(-3, 0);
        UINT f = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS |
                 (a == taRightJustify ? UINT(DT_RIGHT)
                  : a == taCenter     ? UINT(DT_CENTER)
                                      : UINT(DT_LEFT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ColorToRGB(Font()->Color()));
        SelectObject(dc, Font()->Handle());
        DrawText(dc, s, -1, &r, f);
    };
    if (FSimplePanel || FPanels->Count() == 0) {
        TRect r{0, 2, FWidth, FHeight};
        text(r, FSimplePanel ? FSimpleText : FText, taLeftJustify);
    } else {
        for (int i = 0; i < FPanels->Count(); ++i) {
            TStatusPanel* p = FPanels->Items(i);
            TRect r = PanelRect(i);
            if (p->Bevel() != pbNone) {
                TRect e = r;
                DrawEdge(dc, &e, p->Bevel() == pbLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
            }
            if (p->Style() == psOwnerDraw && OnDrawPanel)
                OnDrawPanel(this, p, r);
            else
                text(r, p->Text(), p->Alignment());
        }
    }
    TCustomForm* f = GetParentForm(this);
    if (FSizeGrip && f && (f->BorderStyle() == bsSizeable || f->BorderStyle() == bsSizeToolWin) &&
        QApplication::style()) {
        if (QPainter* p = DCPainter(dc)) {
            QStyleOption opt;
            int g = std::min(FHeight, 16);
            opt.rect = QRect(FWidth - g, FHeight - g, g, g);
            opt.palette = QApplication::palette();
            QApplication::style()->drawControl(QStyle::CE_SizeGrip, &opt, p, nullptr);
        }
    }
}

// ---------------------------------------------------------------------------------------------
TListColumn::TListColumn(TCollection* Collection) : TCollectionItem(Collection) {}
void TListColumn::SetCaption(const String& v) {
    FCaption = v;
    Changed(false);
}
int TListColumn::Width() const {
    if (auto* cols = dynamic_cast<TListColumns*>(Collection()))
        if (TListView* lv = cols->ListView(); lv && lv->HandleAllocated())
            if (auto* t = qobject_cast<QTreeWidget*>(lv->Widget())) return t->columnWidth(Index());
    return FWidth;
}
void TListColumn::SetWidth(int v) {
    FWidth = v;
    Changed(false);
}
void TListColumn::SetAlignment(TAlignment v) {
    FAlignment = v;
    Changed(false);
}

TListColumns::TListColumns(TListView* Owner)
    : TCollection(CollectionItemClassOf<TListColumn>()), FOwner(Owner) {}
TPersistent* TListColumns::GetOwner() {
    return FOwner;
}
void TListColumns::Update(TCollectionItem*) {
    if (FOwner) FOwner->ItemsChanged();
}

TListItem::TListItem(TListItems* Owner) : FOwner(Owner) {
    FSubItems = std::make_unique<TStringList>();
    FSubItems->OnChange = TNotifyEvent(this, &TListItem::SubItemsChanged);
}
TListItem::~TListItem() = default;
TListView* TListItem::ListView() const {
    return FOwner ? FOwner->Owner() : nullptr;
}
void TListItem::SubItemsChanged(TObject*) {
    Update();
}
void TListItem::Update() {
    if (TListView* lv = ListView()) lv->ItemChanged(this);
}
void TListItem::SetCaption(const String& v) {
    if (FCaption == v) return;
    FCaption = v;
    Update();
}
int TListItem::Index() const {
    return FOwner ? FOwner->IndexOf(this) : -1;
}
void TListItem::SetImageIndex(int v) {
    FImageIndex = v;
    Update();
}
void TListItem::SetChecked(bool v) {
    FChecked = v;
    Update();
}
bool TListItem::Selected() const {
    TListView* lv = ListView();
    if (lv && lv->HandleAllocated()) {
        auto* t = qobject_cast<QTreeWidget*>(lv->Widget());
        int i = Index();
        if (t && i >= 0 && i < t->topLevelItemCount()) return t->topLevelItem(i)->isSelected();
    }
    return FSelected;
}
void TListItem::SetSelected(bool v) {
    TListView* lv = ListView();
    if (v && lv && !lv->MultiSelect())
        for (auto* o : FOwner->FItems)
            if (o != this && o->FSelected) {
                o->FSelected = false;
                if (lv->OnSelectItem) lv->OnSelectItem(lv, o, false);
            }
    bool changed = FSelected != v;
    FSelected = v;
    if (lv) {
        lv->SyncSelection();
        if (changed && lv->OnSelectItem) lv->OnSelectItem(lv, this, v);
    }
}
bool TListItem::Focused() const {
    return ListView() && ListView()->ItemFocused() == this;
}
void TListItem::SetFocused(bool v) {
    if (TListView* lv = ListView()) lv->SetItemFocused(v ? this : nullptr);
}
void TListItem::Delete() {
    if (FOwner) FOwner->Delete(Index());
}
void TListItem::MakeVisible(bool) {
    TListView* lv = ListView();
    if (!lv || !lv->HandleAllocated()) return;
    if (auto* t = qobject_cast<QTreeWidget*>(lv->Widget()); t && Index() >= 0)
        t->scrollToItem(t->topLevelItem(Index()));
}
TRect TListItem::DisplayRect() {
    TListView* lv = ListView();
    if (!lv || !lv->HandleAllocated()) return {};
    auto* t = qobject_cast<QTreeWidget*>(lv->Widget());
    if (!t || Index() < 0) return {};
    QRect r = t->visualItemRect(t->topLevelItem(Index()));
    QPoint o = t->viewport()->mapTo(t, QPoint(0, 0));
    return Bounds(r.x() + o.x(), r.y() + o.y(), r.width(), r.height());
}

TListItems::~TListItems() {
    for (auto* i : FItems)
        delete i;
}
TListItem* TListItems::Add() {
    return Insert(Count());
}
TListItem* TListItems::Insert(int Index) {
    auto* i = new TListItem(this);
    return AddItem(i, Index);
}
TListItem* TListItems::AddItem(TListItem* Item, int Index) {
    if (Index < 0 || Index > Count()) Index = Count();
    Item->FOwner = this;
    FItems.insert(FItems.begin() + Index, Item);
    if (FOwner) FOwner->ItemsChanged();
    return Item;
}
void TListItems::Delete(int Index) {
    TListItem* i = Item(Index);
    if (FOwner && FOwner->FFocused == i) FOwner->FFocused = nullptr;
    FItems.erase(FItems.begin() + Index);
    delete i;
    if (FOwner) FOwner->ItemsChanged();
}
void TListItems::Clear() {
    BeginUpdate();
    while (!FItems.empty())
        Delete(Count() - 1);
    EndUpdate();
}
TListItem* TListItems::Item(int Index) const {
    if (Index < 0 || Index >= Count())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
    return FItems[size_t(Index)];
}
int TListItems::IndexOf(const TListItem* Value) const {
    auto it = std::find(FItems.begin(), FItems.end(), Value);
    return it == FItems.end() ? -1 : int(it - FItems.begin());
}
void TListItems::BeginUpdate() {
    ++FUpdateCount;
}
void TListItems::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0 && FOwner) FOwner->ItemsChanged();
}
void TListItems::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TListItems*>(Source)) {
        BeginUpdate();
        Clear();
        for (auto* i : s->FItems) {
            TListItem* n = Add();
            n->FCaption = i->FCaption;
            n->FSubItems->Assign(i->FSubItems.get());
            n->FData = i->FData;
            n->FImageIndex = i->FImageIndex;
            n->FChecked = i->FChecked;
        }
        EndUpdate();
        return;
    }
    TPersistent::Assign(Source);
}

TListView::TListView(TComponent* AOwner) : TWinControl(AOwner) {
    FControlStyle = {csCaptureMouse, csClickEvents, csDoubleClicks};
    FTabStop = true;
    FParentColor = false;
    FColor = clWindow;
    FBrush->SetColor(FColor);
    FColumns = std::make_unique<TListColumns>(this);
    FItems = std::make_unique<TListItems>(this);
    SetBounds(0, 0, 250, 150);
}
TListView::~TListView() {
    DestroyHandle();
    FItems.reset();
}

QTreeWidget* TListView::Tree() const {
    return qobject_cast<QTreeWidget*>(FWidget);
}

QWidget* TListView::CreateWidget(const TCreateParams&, QWidget* ParentWidget) {
    auto* t = new QTreeWidget(ParentWidget);
    t->setRootIsDecorated(false);
    t->setItemsExpandable(false);
    t->setFocusPolicy(Qt::StrongFocus);
    t->setContextMenuPolicy(Qt::NoContextMenu);
    t->setUniformRowHeights(true);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->viewport()->setMouseTracking(true);
    QObject::connect(t, &QTreeWidget::itemSelectionChanged, t, [this] {
        if (!FSyncing) GuardedCall([this] { SelectionFromWidget(); });
    });
    QObject::connect(t->header(), &QHeaderView::sectionClicked, t, [this](int i) {
        GuardedCall([this, i] {
            if (OnColumnClick && i < FColumns->Count()) OnColumnClick(this, FColumns->Items(i));
        });
    });
    return t;
}

void TListView::InitWidget() {
    QTreeWidget* t = Tree();
    t->setSelectionMode(FMultiSelect ? QAbstractItemView::ExtendedSelection
                                     : QAbstractItemView::SingleSelection);
    t->setSelectionBehavior(FRowSelect || FViewStyle != vsReport ? QAbstractItemView::SelectRows
                                                                 : QAbstractItemView::SelectItems);
    t->setAllColumnsShowFocus(FRowSelect);
    t->setHeaderHidden(FViewStyle != vsReport || !FShowColumnHeaders);
    t->setFrameShape(FBorderStyle == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
    QPalette pal = t->palette();
    pal.setColor(QPalette::Base, ColorToQColor(FColor));
    pal.setColor(QPalette::Text, ColorToQColor(FFont->Color()));
    if (!FHideSelection)
        pal.setColor(QPalette::Inactive, QPalette::Highlight,
                     pal.color(QPalette::Active, QPalette::Highlight));
    if (!FHideSelection)
        pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     pal.color(QPalette::Active, QPalette::HighlightedText));
    t->setPalette(pal);
    SyncColumns();
    SyncItems();
}

void TListView::DestroyWnd() {
    for (auto* i : FItems->FItems)
        i->FSelected = i->Selected();
    for (int c = 0; c < FColumns->Count(); ++c)
        FColumns->Items(c)->SetWidth(FColumns->Items(c)->Width());
    TWinControl::DestroyWnd();
}

void TListView::SyncColumns() {
    QTreeWidget* t = Tree();
    if (!t) return;
    int n = std::max(1, FColumns->Count());
    t->setColumnCount(n);
    QStringList labels;
    for (int c = 0; c < FColumns->Count(); ++c)
        labels << FColumns->Items(c)->Caption();
    t->setHeaderLabels(labels);
    for (int c = 0; c < FColumns->Count(); ++c) {
        TListColumn* col = FColumns->Items(c);
        t->setColumnWidth(c, col->AutoSize() ? std::max(col->MinWidth(), 50) : col->DefinedWidth());
        Qt::Alignment a = col->Alignment() == taRightJustify ? Qt::AlignRight
                          : col->Alignment() == taCenter     ? Qt::AlignHCenter
                                                             : Qt::AlignLeft;
        t->headerItem()->setTextAlignment(c, a | Qt::AlignVCenter);
    }
}

void TListView::SyncItems() {
    QTreeWidget* t = Tree();
    if (!t || FItems->FUpdateCount > 0) return;
    ++FSyncing;
    t->clear();
    for (auto* i : FItems->FItems) {
        auto* it = new QTreeWidgetItem(t);
        it->setText(0, i->Caption());
        for (int s = 0; s < i->SubItems()->Count(); ++s)
            it->setText(s + 1, i->SubItems()->Strings(s));
        for (int c = 0; c < FColumns->Count(); ++c) {
            TAlignment al = FColumns->Items(c)->Alignment();
            it->setTextAlignment(c, (al == taRightJustify ? Qt::AlignRight
                                     : al == taCenter     ? Qt::AlignHCenter
                                                          : Qt::AlignLeft) |
                                        Qt::AlignVCenter);
        }
        if (FCheckboxes) it->setCheckState(0, i->FChecked ? Qt::Checked : Qt::Unchecked);
        it->setSelected(i->FSelected);
    }
    if (FFocused)
        t->setCurrentItem(t->topLevelItem(FItems->IndexOf(FFocused)), 0, QItemSelectionModel::NoUpdate);
    --FSyncing;
}

void TListView::SyncSelection() {
    QTreeWidget* t = Tree();
    if (!t) return;
    ++FSyncing;
    for (int i = 0; i < FItems->Count() && i < t->topLevelItemCount(); ++i)
        t->topLevelItem(i)->setSelected(FItems->FItems[size_t(i)]->FSelected);
    --FSyncing;
}

void TListView::ItemsChanged() {
    if (FItems && FItems->FUpdateCount == 0) {
        SyncColumns();
        SyncItems();
    }
}

void TListView::ItemChanged(TListItem* Item) {
    QTreeWidget* t = Tree();
    int i = FItems->IndexOf(Item);
    if (!t || i < 0 || FItems->FUpdateCount > 0) return;
    if (i >= t->topLevelItemCount()) {
        SyncItems();
        return;
    }
    QTreeWidgetItem* it = t->topLevelItem(i);
    it->setText(0, Item->Caption());
    for (int s = 0; s < std::max(Item->SubItems()->Count(), t->columnCount() - 1); ++s)
        it->setText(s + 1, s < Item->SubItems()->Count() ? Item->SubItems()->Strings(s) : String());
    if (FCheckboxes) it->setCheckState(0, Item->FChecked ? Qt::Checked : Qt::Unchecked);
    if (OnChange) OnChange(this, Item, ctText);
}

void TListView::SelectionFromWidget() {
    QTreeWidget* t = Tree();
    if (!t) return;
    std::vector<std::pair<TListItem*, bool>> changes;
    for (int i = 0; i < FItems->Count() && i < t->topLevelItemCount(); ++i) {
        TListItem* li = FItems->FItems[size_t(i)];
        bool sel = t->topLevelItem(i)->isSelected();
        if (sel != li->FSelected) changes.push_back({li, sel});
        li->FSelected = sel;
    }
    if (QTreeWidgetItem* cur = t->currentItem()) {
        int i = t->indexOfTopLevelItem(cur);
        FFocused = i >= 0 && i < FItems->Count() ? FItems->FItems[size_t(i)] : nullptr;
    }
    // Deselections first, as the platform reports them.
    std::stable_sort(changes.begin(), changes.end(), [](auto& a, auto& b) { return !a.second && b.second; });
    for (auto& [li, sel] : changes) {
        if (OnSelectItem) OnSelectItem(this, li, sel);
        if (OnChange) OnChange(this, li, ctState);
    }
}

void TListView::SetViewStyle(TViewStyle v) {
    FViewStyle = v;
    if (FWidget) InitWidget();
}
void TListView::SetRowSelect(bool v) {
    FRowSelect = v;
    if (FWidget) InitWidget();
}
void TListView::SetMultiSelect(bool v) {
    FMultiSelect = v;
    if (FWidget) InitWidget();
}
void TListView::SetGridLines(bool v) {
    FGridLines = v;
}
void TListView::SetCheckboxes(bool v) {
    FCheckboxes = v;
    SyncItems();
}
void TListView::SetShowColumnHeaders(bool v) {
    FShowColumnHeaders = v;
    if (FWidget) InitWidget();
}
void TListView::SetBorderStyle(TBorderStyle v) {
    FBorderStyle = v;
    if (FWidget) InitWidget();
}

TListItem* TListView::Selected() const {
    for (auto* i : FItems->FItems)
        if (i->Selected()) return i;
    return nullptr;
}
void TListView::SetSelected(TListItem* v) {
    ClearSelection();
    if (v) {
        v->SetSelected(true);
        SetItemFocused(v);
    }
}
TListItem* TListView::ItemFocused() const {
    return FFocused;
}
void TListView::SetItemFocused(TListItem* v) {
    FFocused = v;
    if (QTreeWidget* t = Tree(); t && v) {
        ++FSyncing;
        t->setCurrentItem(t->topLevelItem(FItems->IndexOf(v)), 0, QItemSelectionModel::NoUpdate);
        --FSyncing;
    }
}
int TListView::ItemIndex() const {
    TListItem* s = Selected();
    return s ? s->Index() : -1;
}
void TListView::SetItemIndex(int v) {
    if (v < 0 || v >= FItems->Count()) {
        ClearSelection();
        return;
    }
    SetSelected(FItems->Item(v));
}
int TListView::SelCount() const {
    int n = 0;
    for (auto* i : FItems->FItems)
        n += i->Selected();
    return n;
}
void TListView::ClearSelection() {
    for (auto* i : FItems->FItems)
        if (i->Selected()) i->SetSelected(false);
}
void TListView::SelectAll() {
    if (!FMultiSelect) return;
    for (auto* i : FItems->FItems)
        i->SetSelected(true);
}
TListItem* TListView::GetItemAt(int X, int Y) {
    QTreeWidget* t = Tree();
    if (!t) return nullptr;
    QPoint vp = t->viewport()->mapFrom(t, QPoint(X, Y));
    QTreeWidgetItem* it = t->itemAt(vp);
    int i = it ? t->indexOfTopLevelItem(it) : -1;
    return i >= 0 && i < FItems->Count() ? FItems->Item(i) : nullptr;
}
TListItem* TListView::TopItem() {
    QTreeWidget* t = Tree();
    if (!t) return FItems->Count() ? FItems->Item(0) : nullptr;
    QTreeWidgetItem* it = t->itemAt(2, 2);
    int i = it ? t->indexOfTopLevelItem(it) : -1;
    return i >= 0 && i < FItems->Count() ? FItems->Item(i) : nullptr;
}
int TListView::VisibleRowCount() {
    QTreeWidget* t = Tree();
    if (!t || t->topLevelItemCount() == 0) return 0;
    int h = t->visualItemRect(t->topLevelItem(0)).height();
    return h > 0 ? t->viewport()->height() / h : 0;
}

void TListView::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    }
    TWinControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
namespace {
QDate ToQDate(TDate d) {
    return QDate(1899, 12, 30).addDays(qint64(d));
}
TDate FromQDate(const QDate& d) {
    return TDate(QDate(1899, 12, 30).daysTo(d));
}
} // namespace

TMonthCalendar::TMonthCalendar(TComponent* AOwner) : TWinControl(AOwner) {
    FControlStyle = {csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    FTabStop = true;
    FDate = FromQDate(QDate::currentDate());
    SetBounds(0, 0, 225, 160);
}

QCalendarWidget* TMonthCalendar::Calendar() const {
    return qobject_cast<QCalendarWidget*>(FWidget);
}

QWidget* TMonthCalendar::CreateWidget(const TCreateParams&, QWidget* ParentWidget) {
    auto* c = new QCalendarWidget(ParentWidget);
    c->setFocusPolicy(Qt::StrongFocus);
    c->setGridVisible(false);
    QObject::connect(c, &QCalendarWidget::selectionChanged, c, [this, c] {
        GuardedCall([this, c] { UserChangedDate(FromQDate(c->selectedDate())); });
    });
    QObject::connect(c, &QCalendarWidget::clicked, c,
                     [this](const QDate& d) { GuardedCall([this, d] { UserClickedDate(FromQDate(d)); }); });
    return c;
}

void TMonthCalendar::InitWidget() {
    QCalendarWidget* c = Calendar();
    QSignalBlocker block(c);
    c->setVerticalHeaderFormat(FWeekNumbers ? QCalendarWidget::ISOWeekNumbers
                                            : QCalendarWidget::NoVerticalHeader);
    if (FMinDate != 0) c->setMinimumDate(ToQDate(FMinDate));
    if (FMaxDate != 0) c->setMaximumDate(ToQDate(FMaxDate));
    c->setSelectedDate(ToQDate(FDate));
}

void TMonthCalendar::SetDate(TDate v) {
    v = TDate(int64_t(v));
    if (FMinDate != 0 && v < FMinDate) v = FMinDate;
    if (FMaxDate != 0 && v > FMaxDate) v = FMaxDate;
    FDate = v;
    if (QCalendarWidget* c = Calendar()) {
        QSignalBlocker block(c);
        c->setSelectedDate(ToQDate(v));
    }
}
void TMonthCalendar::SetMinDate(TDate v) {
    FMinDate = v;
    if (FWidget) InitWidget();
}
void TMonthCalendar::SetMaxDate(TDate v) {
    FMaxDate = v;
    if (FWidget) InitWidget();
}
void TMonthCalendar::SetWeekNumbers(bool v) {
    FWeekNumbers = v;
    if (FWidget) InitWidget();
}
TRect TMonthCalendar::MinRequiredRect() {
    HandleNeeded();
    QSize s = FWidget->sizeHint();
    return {0, 0, s.width(), s.height()};
}
void TMonthCalendar::SetAutoSize(bool v) {
    TWinControl::SetAutoSize(v);
    if (v && FParent) {
        TRect r = MinRequiredRect();
        SetBounds(FLeft, FTop, r.Width(), r.Height());
    }
}
void TMonthCalendar::UserChangedDate(TDate v) {
    if (v == FDate) return;
    FDate = v;
    if (OnChange) OnChange(this);
}
void TMonthCalendar::UserClickedDate(TDate v) {
    FDate = v;
    Click();
}

void TMonthCalendar::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_GETDLGCODE) {
        Message.Result = DLGC_WANTARROWS;
        return;
    }
    TWinControl::Dispatch(Message);
}

void TMonthCalendar::DefaultHandler(TMessage& Message) {
    switch (Message.Msg) {
    case MCM_GETMINREQRECT:
        if (auto* r = reinterpret_cast<TRect*>(Message.LParam)) *r = MinRequiredRect();
        Message.Result = 1;
        return;
    case MCM_GETCURRENTVIEW:
        Message.Result = MCMV_MONTH; // the calendar shows months only
        return;
    case MCM_GETCURSEL:
        if (auto* d = reinterpret_cast<TDate*>(Message.LParam)) *d = FDate;
        Message.Result = 1;
        return;
    case MCM_SETCURSEL:
        if (auto* d = reinterpret_cast<const TDate*>(Message.LParam)) SetDate(*d);
        Message.Result = 1;
        return;
    case MCM_HITTEST: {
        auto* hi = reinterpret_cast<MCHITTESTINFO*>(Message.LParam);
        Message.Result = MCHT_NOWHERE;
        QCalendarWidget* c = Calendar();
        if (!hi || !c) return;
        hi->uHit = MCHT_NOWHERE;
        auto* view = c->findChild<QTableView*>();
        QPoint p(hi->pt.X, hi->pt.Y);
        if (view && view->geometry().contains(view->parentWidget()->mapFrom(c, p))) {
            QPoint vp = view->viewport()->mapFrom(c, p);
            QModelIndex idx = view->indexAt(vp);
            int headerRows = c->horizontalHeaderFormat() == QCalendarWidget::NoHorizontalHeader ? 0 : 1;
            int weekCol = c->verticalHeaderFormat() == QCalendarWidget::NoVerticalHeader ? 0 : 1;
            if (idx.isValid() && idx.row() >= headerRows && idx.column() >= weekCol) {
                QDate first(c->yearShown(), c->monthShown(), 1);
                int offset = (first.dayOfWeek() - int(c->firstDayOfWeek()) + 7) % 7;
                if (offset == 0) offset = 7;
                QDate start = first.addDays(-offset);
                QDate d = start.addDays((idx.row() - headerRows) * 7 + (idx.column() - weekCol));
                hi->st = FromQDate(d);
                hi->uHit = MCHT_CALENDARDATE;
                if (d.month() != c->monthShown()) hi->uHit |= d < first ? MCHT_PREV : MCHT_NEXT;
            } else {
                hi->uHit = MCHT_CALENDARBK;
            }
        } else if (c->rect().contains(p)) {
            hi->uHit = MCHT_TITLE;
        }
        Message.Result = hi->uHit;
        return;
    }
    }
    TWinControl::DefaultHandler(Message);
}
