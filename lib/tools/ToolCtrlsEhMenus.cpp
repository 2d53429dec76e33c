// Popup menus whose TMenuItemEh items with CloseMenuOnClick false run on a click or Enter and
// leave the menu open (the grid's indicator-title menu toggles several options in one go).

#include "lib/tools/ToolCtrlsEh.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <map>

namespace {
// Watches one menu window: releases and Enter on a keep-open item run it in place.
struct TMenuWatch : QObject {
    std::map<QAction*, TMenuItem*> Items;
    bool eventFilter(QObject* o, QEvent* e) override {
        auto* menu = qobject_cast<QMenu*>(o);
        if (!menu) return false;
        QAction* a = nullptr;
        if (e->type() == QEvent::MouseButtonRelease)
            a = menu->actionAt(static_cast<QMouseEvent*>(e)->position().toPoint());
        else if (e->type() == QEvent::KeyPress) {
            const int k = static_cast<QKeyEvent*>(e)->key();
            if (k == Qt::Key_Return || k == Qt::Key_Enter) a = menu->activeAction();
        }
        if (!a) return false;
        auto it = Items.find(a);
        if (it == Items.end() || !a->isEnabled()) return false;
        if (!TPopupListEh::RunWithoutClosing(it->second)) return false;
        if (a->isCheckable()) a->setChecked(it->second->Checked());
        menu->update();
        return true;
    }
};

// Pairs the actions of a menu built from Items with the items, in the order they were added.
void MapActions(QMenu* Menu, TMenuItem* Items, TMenuWatch* Watch) {
    Menu->installEventFilter(Watch);
    const QList<QAction*> actions = Menu->actions();
    int ai = 0;
    for (int i = 0; i < Items->Count() && ai < actions.size(); ++i) {
        TMenuItem* it = Items->Items(i);
        if (!it->Visible()) continue;
        QAction* a = actions[ai++];
        if (it->IsLine()) continue;
        if (it->Count() > 0) {
            if (a->menu()) MapActions(a->menu(), it, Watch);
            continue;
        }
        Watch->Items[a] = it;
    }
}
} // namespace

TPopupMenuEh::TPopupMenuEh(TComponent* AOwner) : TPopupMenu(AOwner) {
    PopupListEh().Add(this);
}

TPopupMenuEh::~TPopupMenuEh() {
    PopupListEh().Remove(this);
}

void TPopupMenuEh::BuildMenu(QMenu* Menu, TMenuItem** Chosen) {
    BuildQtMenu(Menu, Items(), Chosen);
    auto* watch = new TMenuWatch;
    watch->setParent(Menu);
    MapActions(Menu, Items(), watch);
}

void TPopupMenuEh::Popup(int X, int Y) {
    if (!QApplication::instance()) {
        TPopupMenu::Popup(X, Y);
        return;
    }
    DoPopup(this);
    TMenuItem* chosen = nullptr;
    {
        QMenu menu;
        BuildMenu(&menu, &chosen);
        const QSize sz = menu.sizeHint();
        const int x = Alignment() == paRight    ? X - sz.width()
                      : Alignment() == paCenter ? X - sz.width() / 2
                                                : X;
        menu.exec(QPoint(x, Y));
    }
    if (OnClose) OnClose(this);
    if (chosen) chosen->Click();
}

void TPopupListEh::Add(TPopupMenuEh* Menu) {
    if (std::find(FMenus.begin(), FMenus.end(), Menu) == FMenus.end()) FMenus.push_back(Menu);
}

void TPopupListEh::Remove(TPopupMenuEh* Menu) {
    FMenus.erase(std::remove(FMenus.begin(), FMenus.end(), Menu), FMenus.end());
}

TMenuItem* TPopupListEh::FindItem(Word Command) const {
    for (TPopupMenuEh* m : FMenus)
        if (TMenuItem* it = m->FindItem(Command, 0)) return it;
    return nullptr;
}

bool TPopupListEh::RunWithoutClosing(TMenuItem* Item) {
    auto* eh = dynamic_cast<TMenuItemEh*>(Item);
    if (!eh || eh->CloseMenuOnClick() || !eh->Enabled()) return false;
    eh->Click();
    return true;
}

TPopupListEh& PopupListEh() {
    static TPopupListEh list;
    return list;
}
