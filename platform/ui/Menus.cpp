// Menu items, pop-up and main menus over QMenu/QMenuBar, and short cuts.

#include "platform/ui/Menus.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/WindowBridge.h"

#include <QActionGroup>
#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>

namespace {
TPopupMenuHook& PopupHook() {
    static TPopupMenuHook h;
    return h;
}
Word NextCommand() {
    static Word n = 0;
    return ++n;
}

struct TKeyName {
    Word Key;
    const char* Name;
};
const TKeyName KeyNames[] = {
    {VK_BACK, "BkSp"},   {VK_TAB, "Tab"},        {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},
    {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"},     {VK_NEXT, "PgDn"},    {VK_END, "End"},
    {VK_HOME, "Home"},   {VK_LEFT, "Left"},      {VK_UP, "Up"},        {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},   {VK_INSERT, "Ins"},     {VK_DELETE, "Del"},   {VK_MULTIPLY, "Num *"},
    {VK_ADD, "Num +"},   {VK_SUBTRACT, "Num -"}, {VK_DIVIDE, "Num /"},
};
} // namespace

void SetPopupMenuHook(TPopupMenuHook Hook) {
    PopupHook() = std::move(Hook);
}

TShortCut ShortCut(Word Key, TShiftState Shift) {
    if (Key & 0xFF00) return 0;
    TShortCut r = Key;
    if (Shift.Contains(ssShift)) r |= scShift;
    if (Shift.Contains(ssCtrl)) r |= scCtrl;
    if (Shift.Contains(ssAlt)) r |= scAlt;
    return r;
}
void ShortCutToKey(TShortCut s, Word& Key, TShiftState& Shift) {
    Key = s & 0xFF;
    Shift = {};
    if (s & scShift) Shift += ssShift;
    if (s & scCtrl) Shift += ssCtrl;
    if (s & scAlt) Shift += ssAlt;
}
namespace {
String KeyName(Word k) {
    if ((k >= 'A' && k <= 'Z') || (k >= '0' && k <= '9')) return QString(QChar(k));
    if (k >= VK_F1 && k <= VK_F1 + 23) return QStringLiteral("F%1").arg(k - VK_F1 + 1);
    for (auto& n : KeyNames)
        if (n.Key == k) return QString::fromLatin1(n.Name);
    return {};
}
} // namespace
String ShortCutToText(TShortCut s) {
    String name = KeyName(s & 0xFF);
    if (name.isEmpty()) return {};
    String r;
    if (s & scShift) r += QStringLiteral("Shift+");
    if (s & scCtrl) r += QStringLiteral("Ctrl+");
    if (s & scAlt) r += QStringLiteral("Alt+");
    return r + name;
}
TShortCut TextToShortCut(const String& Text) {
    String t = Text;
    TShortCut mods = 0;
    for (;;) {
        if (t.startsWith(QStringLiteral("Shift+"), Qt::CaseInsensitive))
            mods |= scShift, t = t.mid(6);
        else if (t.startsWith(QStringLiteral("Ctrl+"), Qt::CaseInsensitive))
            mods |= scCtrl, t = t.mid(5);
        else if (t.startsWith(QStringLiteral("Alt+"), Qt::CaseInsensitive))
            mods |= scAlt, t = t.mid(4);
        else
            break;
    }
    for (int k = 1; k < 256; ++k)
        if (String n = KeyName(Word(k)); !n.isEmpty() && n.compare(t, Qt::CaseInsensitive) == 0)
            return TShortCut(k | mods);
    return 0;
}
String StripHotkey(const String& Text) {
    String r;
    for (int i = 0; i < Text.size(); ++i) {
        if (Text[i] == QLatin1Char('&')) {
            if (i + 1 < Text.size() && Text[i + 1] == QLatin1Char('&')) r += QLatin1Char('&'), ++i;
            continue;
        }
        r += Text[i];
    }
    return r;
}
String GetHotkey(const String& Text) {
    for (int i = 0; i + 1 < Text.size(); ++i)
        if (Text[i] == QLatin1Char('&')) {
            if (Text[i + 1] == QLatin1Char('&')) {
                ++i;
                continue;
            }
            return QString(Text[i + 1]);
        }
    return {};
}

// ---------------------------------------------------------------------------------------------
TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), FCommand(NextCommand()) {}

TMenuItem::~TMenuItem() {
    if (FParent) FParent->Remove(this);
    while (!FItems.empty()) {
        TMenuItem* i = FItems.back();
        FItems.pop_back();
        i->FParent = nullptr;
        if (!i->Owner()) delete i;
    }
}

void TMenuItem::SetCaption(const String& v) {
    FCaption = v;
}
void TMenuItem::SetChecked(bool v) {
    if (FChecked == v) return;
    FChecked = v;
    if (v && FRadioItem) TurnSiblingsOff();
}
void TMenuItem::TurnSiblingsOff() {
    if (!FParent) return;
    for (auto* i : FParent->FItems)
        if (i != this && i->FRadioItem && i->FGroupIndex == FGroupIndex) i->FChecked = false;
}

TMenuItem* TMenuItem::Items(int Index) const {
    if (Index < 0 || Index >= int(FItems.size())) throw EMenuError(QStringLiteral("Menu index out of range"));
    return FItems[size_t(Index)];
}
int TMenuItem::MenuIndex() const {
    return FParent ? FParent->IndexOf(const_cast<TMenuItem*>(this)) : -1;
}
void TMenuItem::SetMenuIndex(int v) {
    if (!FParent) return;
    TMenuItem* p = FParent;
    p->Remove(this);
    p->Insert(std::clamp(v, 0, p->Count()), this);
}
void TMenuItem::Add(TMenuItem* Item) {
    Insert(Count(), Item);
}
void TMenuItem::Add(const std::vector<TMenuItem*>& Items) {
    for (auto* i : Items)
        Add(i);
}
void TMenuItem::Insert(int Index, TMenuItem* Item) {
    if (!Item) return;
    if (Item->FParent) throw EMenuError(QStringLiteral("Menu inserted twice"));
    if (Index < 0 || Index > Count()) throw EMenuError(QStringLiteral("Menu index out of range"));
    FItems.insert(FItems.begin() + Index, Item);
    Item->FParent = this;
}
void TMenuItem::Delete(int Index) {
    TMenuItem* i = Items(Index);
    FItems.erase(FItems.begin() + Index);
    i->FParent = nullptr;
}
void TMenuItem::Remove(TMenuItem* Item) {
    int i = IndexOf(Item);
    if (i < 0) throw EMenuError(QStringLiteral("Sub-menu is not in menu"));
    Delete(i);
}
void TMenuItem::Clear() {
    while (!FItems.empty()) {
        TMenuItem* i = FItems.back();
        FItems.pop_back();
        i->FParent = nullptr;
        i->Free();
    }
}
int TMenuItem::IndexOf(TMenuItem* Item) const {
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    return it == FItems.end() ? -1 : int(it - FItems.begin());
}
TMenuItem* TMenuItem::Find(const String& ACaption) const {
    String c = StripHotkey(ACaption);
    for (auto* i : FItems)
        if (StripHotkey(i->FCaption).compare(c, Qt::CaseInsensitive) == 0) return i;
    return nullptr;
}
TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* i = this;
    while (i->FParent)
        i = i->FParent;
    return i->FMenu;
}
TCustomImageList* TMenuItem::GetImageList() const {
    for (const TMenuItem* p = FParent; p; p = p->FParent)
        if (p->FSubMenuImages) return p->FSubMenuImages;
    TMenu* m = GetParentMenu();
    return m ? m->Images() : nullptr;
}
void TMenuItem::Click() {
    if (!FEnabled) return;
    if (FAutoCheck) SetChecked(!FChecked);
    if (OnClick) OnClick(this);
}
TComponent* TMenuItem::GetParentComponent() const {
    if (FParent && FParent->FMenu) return FParent->FMenu;
    return FParent;
}
void TMenuItem::SetParentComponent(TComponent* Value) {
    if (FParent) FParent->Remove(this);
    if (auto* m = dynamic_cast<TMenu*>(Value))
        m->Items()->Add(this);
    else if (auto* i = dynamic_cast<TMenuItem*>(Value))
        i->Add(this);
}

// ---------------------------------------------------------------------------------------------
TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner) {
    FItems = new TMenuItem(nullptr);
    FItems->FMenu = this;
}
TMenu::~TMenu() {
    delete FItems;
}
void TMenu::SetImages(TCustomImageList* v) {
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = v;
    if (v) v->FreeNotification(this);
}
void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
}
namespace {
TMenuItem* FindShortCut(TMenuItem* root, TShortCut s) {
    for (int i = 0; i < root->Count(); ++i) {
        TMenuItem* it = root->Items(i);
        if (!it->Visible() || !it->Enabled()) continue;
        if (it->ShortCut() == s && s != 0) return it;
        if (TMenuItem* f = FindShortCut(it, s)) return f;
    }
    return nullptr;
}
TMenuItem* FindBy(TMenuItem* root, int v, int kind) {
    for (int i = 0; i < root->Count(); ++i) {
        TMenuItem* it = root->Items(i);
        if ((kind == 0 && it->Command() == v) || (kind == 2 && it->ShortCut() == v)) return it;
        if (TMenuItem* f = FindBy(it, v, kind)) return f;
    }
    return nullptr;
}
} // namespace
bool TMenu::IsShortCut(TMessage& Message) {
    TWMKey k(Message);
    TShortCut s = ::ShortCut(k.CharCode(), KeyDataToShiftState(k.KeyData()));
    if (!s) return false;
    TMenuItem* it = FindShortCut(FItems, s);
    if (!it) return false;
    it->Click();
    return true;
}
TMenuItem* TMenu::FindItem(int Value, int Kind) const {
    return FindBy(FItems, Value, Kind);
}

// ---------------------------------------------------------------------------------------------
QIcon MenuItemIcon(TMenuItem* it) {
    (void)it;
    return QIcon();
}

void BuildQtMenu(QMenu* menu, TMenuItem* items, TMenuItem** chosen) {
    std::map<int, QActionGroup*> groups;
    for (int i = 0; i < items->Count(); ++i) {
        TMenuItem* it = items->Items(i);
        if (!it->Visible()) continue;
        if (it->IsLine()) {
            menu->addSeparator();
            continue;
        }
        QString text = it->Caption();
        if (it->ShortCut()) text += QLatin1Char('\t') + ShortCutToText(it->ShortCut());
        QIcon icon = MenuItemIcon(it);
        if (it->Count() > 0) {
            QMenu* sub = menu->addMenu(icon, text);
            sub->setEnabled(it->Enabled());
            BuildQtMenu(sub, it, chosen);
            continue;
        }
        QAction* a = menu->addAction(icon, text);
        a->setEnabled(it->Enabled());
        if (it->Checked() || it->AutoCheck()) {
            a->setCheckable(true);
            a->setChecked(it->Checked());
        }
        if (it->RadioItem() && (it->Checked() || it->AutoCheck())) {
            QActionGroup*& g = groups[it->GroupIndex()];
            if (!g) g = new QActionGroup(menu);
            g->addAction(a);
        }
        if (it->Default()) {
            QFont f = a->font();
            f.setBold(true);
            a->setFont(f);
        }
        a->setStatusTip(GetLongHint(it->Hint()));
        QObject::connect(a, &QAction::triggered, menu, [it, chosen, menu, a] {
            if (chosen) *chosen = it;
            if (!it->CloseMenuOnClick()) {
                // Keep the menu open: run the item now and show its new state.
                GuardedCall([it] { it->Click(); });
                a->setChecked(it->Checked());
                if (chosen) *chosen = nullptr;
                QMetaObject::invokeMethod(
                    menu, [menu] { menu->show(); }, Qt::QueuedConnection);
            }
        });
    }
}

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}
void TMainMenu::UpdateBar(QWidget*) {}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}
TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::DoPopup(TObject* Sender) {
    if (OnPopup) OnPopup(Sender);
}

void TPopupMenu::Popup(int X, int Y) {
    FLastChosen = nullptr;
    DoPopup(this);
    TMenuItem* chosen = nullptr;
    if (PopupHook()) {
        chosen = PopupHook()(this, X, Y);
    } else if (QApplication::instance()) {
        QMenu menu;
        BuildQtMenu(&menu, FItems, &chosen);
        QSize sz = menu.sizeHint();
        int x = FAlignment == paRight ? X - sz.width() : FAlignment == paCenter ? X - sz.width() / 2 : X;
        FActive = &menu;
        menu.exec(QPoint(x, Y));
        FActive = nullptr;
    }
    FLastChosen = chosen;
    if (OnClose) OnClose(this);
    if (chosen) chosen->Click();
}

// Used by TControl's context-menu handling.
void PopupMenuAt(TPopupMenu* Menu, TControl* Component, int X, int Y) {
    Menu->SetPopupComponent(Component);
    Menu->Popup(X, Y);
}
bool PopupMenuAutoPopup(TPopupMenu* Menu) {
    return Menu->AutoPopup();
}
