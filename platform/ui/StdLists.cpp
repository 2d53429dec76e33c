// Combo boxes over QComboBox and list boxes over QListWidget, with owner drawing.

#include "platform/ui/StdCtrls.h"

#include "platform/ui/Forms.h"
#include "platform/ui/WinGdi.h"
#include "platform/ui/WindowBridge.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

void Notify(TWinControl* c, Word code) {
    GuardedCall([c, code] {
        if (!c->HandleAllocated()) return;
        if (c->Parent())
            c->Parent()->Perform(WM_COMMAND, MAKEWPARAM(0, code), LPARAM(c->Handle()));
        else
            c->Perform(CN_COMMAND, MAKEWPARAM(0, code), LPARAM(c->Handle()));
    });
}

class TQtComboBox : public QComboBox {
public:
    TQtComboBox(TCustomComboBox* c, QWidget* parent) : QComboBox(parent), FCombo(c) {}
    void showPopup() override {
        TCustomComboBox* c = FCombo;
        GuardedCall([c] { c->DroppedDownChanged(true); });
        QComboBox::showPopup();
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        TCustomComboBox* c = FCombo;
        GuardedCall([c] { c->DroppedDownChanged(false); });
    }

private:
    TCustomComboBox* FCombo;
};

// Owner drawing: the delegate hands the painter to the control's DrawItem.
template <class TOwner> class TOwnerDrawDelegate : public QStyledItemDelegate {
public:
    TOwnerDrawDelegate(TOwner* owner, QObject* parent) : QStyledItemDelegate(parent), FOwner(owner) {}
    void paint(QPainter* p, const QStyleOptionViewItem& opt, const QModelIndex& index) const override {
        TOwnerDrawState st;
        if (opt.state & QStyle::State_Selected) st += odSelected;
        if (opt.state & QStyle::State_HasFocus) st += odFocused;
        if (!(opt.state & QStyle::State_Enabled)) st += odDisabled;
        QRect r = opt.rect;
        TOwner* o = FOwner;
        int row = index.row();
        GuardedCall(
            [o, p, row, r, st] { o->DrawItemWith(p, row, Bounds(r.x(), r.y(), r.width(), r.height()), st); });
    }
    QSize sizeHint(const QStyleOptionViewItem& opt, const QModelIndex& index) const override {
        QSize s = QStyledItemDelegate::sizeHint(opt, index);
        return {s.width(), FOwner->ItemHeight()};
    }

private:
    TOwner* FOwner;
};

void PaintWithCanvas(TControlCanvas* canvas, TFont* font, QPainter* p, const std::function<void()>& f) {
    HDC dc = CreatePainterDC(p);
    canvas->SetHandle(dc);
    canvas->Font()->Assign(font);
    try {
        f();
    } catch (...) {
        canvas->SetHandle(nullptr);
        DeleteDC(dc);
        throw;
    }
    canvas->SetHandle(nullptr);
    DeleteDC(dc);
}

} // namespace

// ---------------------------------------------------------------------------------------------
TCustomComboBox::TCustomComboBox(TComponent* AOwner) : TWinControl(AOwner) {
    FControlStyle = {csSetCaption, csDoubleClicks, csFixedHeight};
    FTabStop = true;
    FParentColor = false;
    FColor = clWindow;
    FBrush->SetColor(FColor);
    FItems = std::make_unique<TCustomListControlItems>(this);
    FCanvas = std::make_unique<TControlCanvas>();
    FCanvas->SetControl(this);
    SetBounds(0, 0, 145, 23);
}
TCustomComboBox::~TCustomComboBox() {
    DestroyHandle();
}

QComboBox* TCustomComboBox::Combo() const {
    return qobject_cast<QComboBox*>(FWidget);
}

QWidget* TCustomComboBox::CreateWidget(const TCreateParams&, QWidget* ParentWidget) {
    auto* cb = new TQtComboBox(this, ParentWidget);
    cb->setFocusPolicy(Qt::StrongFocus);
    cb->setContextMenuPolicy(Qt::NoContextMenu);
    cb->setInsertPolicy(QComboBox::NoInsert);
    cb->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    QObject::connect(cb, qOverload<int>(&QComboBox::activated), cb,
                     [this](int i) { GuardedCall([this, i] { UserSelected(i); }); });
    return cb;
}

void TCustomComboBox::InitWidget() {
    QComboBox* cb = Combo();
    ++FSyncing;
    cb->setEditable(Editable());
    if (QLineEdit* le = cb->lineEdit()) {
        le->setMaxLength(FMaxLength > 0 ? FMaxLength : 32767);
        cb->setCompleter(nullptr);
        QObject::connect(le, &QLineEdit::textEdited, le,
                         [this](const QString& t) { GuardedCall([this, t] { UserEdited(t); }); });
    }
    cb->clear();
    for (int i = 0; i < FItems->Count(); ++i)
        cb->addItem(FItems->Get(i));
    cb->setMaxVisibleItems(std::max(1, FDropDownCount));
    if (FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable)
        cb->setItemDelegate(new TOwnerDrawDelegate<TCustomComboBox>(this, cb));
    QPalette pal = cb->palette();
    pal.setColor(QPalette::Base, ColorToQColor(FColor));
    pal.setColor(QPalette::Text, ColorToQColor(FFont->Color()));
    cb->setPalette(pal);
    --FSyncing;
    SyncSelection();
    if (Editable()) {
        ++FSyncing;
        cb->setEditText(FText);
        --FSyncing;
    }
}

void TCustomComboBox::DestroyWnd() {
    if (Editable() && Combo()) FText = Combo()->currentText();
    TWinControl::DestroyWnd();
}

void TCustomComboBox::SyncSelection() {
    QComboBox* cb = Combo();
    if (!cb) return;
    ++FSyncing;
    QSignalBlocker block(cb);
    cb->setCurrentIndex(FItemIndex);
    if (Editable()) cb->setEditText(FItemIndex >= 0 ? FItems->Get(FItemIndex) : FText);
    --FSyncing;
}

void TCustomComboBox::SetStyle(TComboBoxStyle v) {
    if (FStyle == v) return;
    FStyle = v;
    RecreateWnd();
}

void TCustomComboBox::SetItemIndex(int v) {
    if (v < -1 || v >= FItems->Count()) v = -1;
    if (v == FItemIndex && (v >= 0 || GetText().isEmpty())) return;
    FItemIndex = v;
    // The edit shows the item (or nothing for no selection).
    FText = v >= 0 ? FItems->Get(v) : String();
    SyncSelection();
}

void TCustomComboBox::SetDropDownCount(int v) {
    FDropDownCount = v;
    if (QComboBox* cb = Combo()) cb->setMaxVisibleItems(std::max(1, v));
}

bool TCustomComboBox::DroppedDown() const {
    QComboBox* cb = Combo();
    return cb && cb->view() && cb->view()->window()->isVisible();
}

void TCustomComboBox::SetDroppedDown(bool v) {
    QComboBox* cb = Combo();
    if (!cb || v == DroppedDown()) return;
    if (v)
        cb->showPopup();
    else
        cb->hidePopup();
}

void TCustomComboBox::SetSorted(bool v) {
    if (FSorted == v) return;
    FSorted = v;
    if (v) {
        String cur = FItemIndex >= 0 ? FItems->Get(FItemIndex) : String();
        FItems->SortItems();
        if (FItemIndex >= 0) FItemIndex = FItems->IndexOf(cur);
        SyncSelection();
    }
}

void TCustomComboBox::SetMaxLength(int v) {
    FMaxLength = v;
    if (QComboBox* cb = Combo(); cb && cb->lineEdit()) cb->lineEdit()->setMaxLength(v > 0 ? v : 32767);
}

int TCustomComboBox::SelStart() {
    QComboBox* cb = Combo();
    if (cb && cb->lineEdit())
        return cb->lineEdit()->hasSelectedText() ? cb->lineEdit()->selectionStart()
                                                 : cb->lineEdit()->cursorPosition();
    return 0;
}
void TCustomComboBox::SetSelStart(int v) {
    if (QComboBox* cb = Combo(); cb && cb->lineEdit()) cb->lineEdit()->setCursorPosition(v);
}
int TCustomComboBox::SelLength() {
    QComboBox* cb = Combo();
    return cb && cb->lineEdit() ? int(cb->lineEdit()->selectedText().size()) : 0;
}
void TCustomComboBox::SetSelLength(int v) {
    if (QComboBox* cb = Combo(); cb && cb->lineEdit()) cb->lineEdit()->setSelection(SelStart(), v);
}
void TCustomComboBox::SelectAll() {
    if (QComboBox* cb = Combo(); cb && cb->lineEdit()) cb->lineEdit()->selectAll();
}
void TCustomComboBox::Clear() {
    FItems->Clear();
    SetText(String());
}

String TCustomComboBox::GetText() const {
    if (!Editable())
        return FItemIndex >= 0 && FItemIndex < FItems->Count() ? FItems->Get(FItemIndex) : String();
    if (QComboBox* cb = Combo()) return cb->currentText();
    return FText;
}

void TCustomComboBox::SetTextCore(const String& v) {
    if (!Editable()) {
        // A list-only box selects the item with that text (none when there is none).
        int i = -1;
        for (int k = 0; k < FItems->Count(); ++k)
            if (FItems->Get(k).compare(v, Qt::CaseInsensitive) == 0) {
                i = k;
                break;
            }
        if (i >= 0 || v.isEmpty()) {
            FItemIndex = i;
            SyncSelection();
        }
        Perform(CM_TEXTCHANGED, 0, 0);
        return;
    }
    FText = v;
    FItemIndex = FItems->IndexOf(v);
    if (FItemIndex >= 0 && FItems->Get(FItemIndex) != v) FItemIndex = -1;
    if (QComboBox* cb = Combo()) {
        ++FSyncing;
        QSignalBlocker block(cb);
        cb->setCurrentIndex(FItemIndex);
        cb->setEditText(v);
        --FSyncing;
    }
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TCustomComboBox::Change() {
    TControl::Changed();
    if (OnChange) OnChange(this);
}
void TCustomComboBox::Select() {
    if (OnSelect)
        OnSelect(this);
    else
        Change();
}
void TCustomComboBox::DropDown() {
    if (OnDropDown) OnDropDown(this);
}
void TCustomComboBox::CloseUp() {
    if (OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::UserSelected(int Index) {
    if (FSyncing) return;
    FItemIndex = Index >= 0 && Index < FItems->Count() ? Index : -1;
    Notify(this, CBN_SELCHANGE);
}
void TCustomComboBox::UserEdited(const String& Text) {
    if (FSyncing) return;
    FText = Text;
    FItemIndex = -1;
    Notify(this, CBN_EDITCHANGE);
}
void TCustomComboBox::DroppedDownChanged(bool Down) {
    Notify(this, Down ? CBN_DROPDOWN : CBN_CLOSEUP);
}

void TCustomComboBox::CNCommand(TMessage& Message) {
    switch (HiWord(Message.WParam)) {
    case CBN_SELCHANGE:
        if (FItemIndex >= 0) FText = FItems->Get(FItemIndex);
        Click();
        Select();
        break;
    case CBN_EDITCHANGE:
        Change();
        break;
    case CBN_DROPDOWN:
        DropDown();
        break;
    case CBN_CLOSEUP:
        CloseUp();
        break;
    }
}

void TCustomComboBox::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | (Editable() ? UINT(DLGC_HASSETSEL) : 0u);
    // An open list takes Enter and Esc.
    if (DroppedDown()) Message.Result |= DLGC_WANTALLKEYS;
}

void TCustomComboBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
    if (OnDrawItem) {
        OnDrawItem(this, Index, Rect, State);
        return;
    }
    FCanvas->FillRect(Rect);
    if (Index >= 0) FCanvas->TextOut(Rect.Left + 2, Rect.Top, FItems->Get(Index));
}

void TCustomComboBox::DrawItemWith(QPainter* Painter, int Index, const TRect& Rect, TOwnerDrawState State) {
    PaintWithCanvas(FCanvas.get(), Font(), Painter, [&] {
        FCanvas->Brush()->SetColor(State.Contains(odSelected) ? clHighlight : FColor);
        FCanvas->Font()->SetColor(State.Contains(odSelected) ? clHighlightText : Font()->Color());
        DrawItem(Index, Rect, State);
        if (State.Contains(odFocused)) FCanvas->DrawFocusRect(Rect);
    });
}

void TCustomComboBox::ItemsInserted(int Index) {
    if (FItemIndex >= Index) ++FItemIndex;
    if (QComboBox* cb = Combo(); cb && !FUpdating) {
        ++FSyncing;
        QSignalBlocker block(cb);
        cb->insertItem(Index, FItems->Get(Index));
        --FSyncing;
        SyncSelection();
    }
}
void TCustomComboBox::ItemDeleted(int Index) {
    if (FItemIndex == Index)
        FItemIndex = -1;
    else if (FItemIndex > Index)
        --FItemIndex;
    if (QComboBox* cb = Combo(); cb && !FUpdating) {
        ++FSyncing;
        QSignalBlocker block(cb);
        cb->removeItem(Index);
        --FSyncing;
        SyncSelection();
    }
}
void TCustomComboBox::ItemChanged(int Index) {
    if (QComboBox* cb = Combo(); cb && !FUpdating) cb->setItemText(Index, FItems->Get(Index));
}
void TCustomComboBox::ItemsCleared() {
    FItemIndex = -1;
    if (!Editable()) FText.clear();
    if (QComboBox* cb = Combo(); cb && !FUpdating) {
        ++FSyncing;
        QSignalBlocker block(cb);
        cb->clear();
        if (Editable()) cb->setEditText(FText);
        --FSyncing;
    }
}
void TCustomComboBox::ItemsUpdating(bool Updating) {
    FUpdating += Updating ? 1 : -1;
    if (FUpdating == 0 && Combo()) {
        ++FSyncing;
        QComboBox* cb = Combo();
        QSignalBlocker block(cb);
        cb->clear();
        for (int i = 0; i < FItems->Count(); ++i)
            cb->addItem(FItems->Get(i));
        --FSyncing;
        if (FItemIndex >= FItems->Count()) FItemIndex = -1;
        SyncSelection();
    }
}

void TCustomComboBox::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CN_COMMAND:
        CNCommand(Message);
        return;
    case WM_GETDLGCODE:
        WMGetDlgCode(Message);
        return;
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
        TWinControl::Dispatch(Message);
        if (QComboBox* cb = Combo()) {
            QPalette pal = cb->palette();
            pal.setColor(QPalette::Base, ColorToQColor(FColor));
            pal.setColor(QPalette::Text, ColorToQColor(FFont->Color()));
            cb->setPalette(pal);
        }
        return;
    }
    TWinControl::Dispatch(Message);
}

void TCustomComboBox::DefaultHandler(TMessage& Message) {
    switch (Message.Msg) {
    case CB_GETCURSEL:
        Message.Result = FItemIndex;
        return;
    case CB_SETCURSEL:
        SetItemIndex(int(intptr_t(Message.WParam)));
        Message.Result = FItemIndex;
        return;
    case CB_GETCOUNT:
        Message.Result = FItems->Count();
        return;
    case CB_SHOWDROPDOWN:
        SetDroppedDown(Message.WParam != 0);
        Message.Result = 1;
        return;
    case CB_GETDROPPEDSTATE:
        Message.Result = DroppedDown();
        return;
    case CB_LIMITTEXT:
        SetMaxLength(int(Message.WParam));
        return;
    case WM_CHAR:
        if (FCharCase != ecNormal && Message.WParam >= 32) {
            QChar c(char16_t(Message.WParam));
            Message.WParam = (FCharCase == ecUpperCase ? c.toUpper() : c.toLower()).unicode();
        }
        break;
    }
    TWinControl::DefaultHandler(Message);
}

// ---------------------------------------------------------------------------------------------
TCustomListBox::TCustomListBox(TComponent* AOwner) : TWinControl(AOwner) {
    FControlStyle = {csSetCaption, csDoubleClicks};
    FTabStop = true;
    FParentColor = false;
    FColor = clWindow;
    FBrush->SetColor(FColor);
    FItems = std::make_unique<TCustomListControlItems>(this);
    FCanvas = std::make_unique<TControlCanvas>();
    FCanvas->SetControl(this);
    SetBounds(0, 0, 121, 97);
}
TCustomListBox::~TCustomListBox() {
    DestroyHandle();
}

QListWidget* TCustomListBox::List() const {
    return qobject_cast<QListWidget*>(FWidget);
}

QWidget* TCustomListBox::CreateWidget(const TCreateParams&, QWidget* ParentWidget) {
    auto* l = new QListWidget(ParentWidget);
    l->setFocusPolicy(Qt::StrongFocus);
    l->setContextMenuPolicy(Qt::NoContextMenu);
    l->setUniformItemSizes(FStyle != lbOwnerDrawVariable);
    l->setMouseTracking(true);
    l->viewport()->setMouseTracking(true);
    QObject::connect(l, &QListWidget::itemSelectionChanged, l, [this] {
        if (!FSyncing) GuardedCall([this] { UserSelectionChanged(); });
    });
    return l;
}

void TCustomListBox::InitWidget() {
    QListWidget* l = List();
    l->setSelectionMode(FMultiSelect ? (FExtendedSelect ? QAbstractItemView::ExtendedSelection
                                                        : QAbstractItemView::MultiSelection)
                                     : QAbstractItemView::SingleSelection);
    l->setFrameShape(FBorderStyle == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
    if (IsOwnerDraw() || IsVirtual()) l->setItemDelegate(new TOwnerDrawDelegate<TCustomListBox>(this, l));
    QPalette pal = l->palette();
    pal.setColor(QPalette::Base, ColorToQColor(FColor));
    pal.setColor(QPalette::Text, ColorToQColor(FFont->Color()));
    l->setPalette(pal);
    RebuildWidget();
}

void TCustomListBox::RebuildWidget() {
    QListWidget* l = List();
    if (!l) return;
    ++FSyncing;
    l->clear();
    int n = Count();
    for (int i = 0; i < n; ++i) {
        auto* it = new QListWidgetItem(IsVirtual() ? String() : FItems->Get(i), l);
        if (IsOwnerDraw()) it->setSizeHint(QSize(0, FItemHeight));
    }
    for (int i = 0; i < n && i < int(FSelected.size()); ++i)
        if (FSelected[size_t(i)]) l->item(i)->setSelected(true);
    if (FItemIndex >= 0 && FItemIndex < n) {
        l->setCurrentRow(FItemIndex,
                         FMultiSelect ? QItemSelectionModel::NoUpdate : QItemSelectionModel::ClearAndSelect);
    } else {
        l->setCurrentRow(-1);
        if (!FMultiSelect) l->clearSelection();
    }
    --FSyncing;
}

void TCustomListBox::DestroyWnd() {
    if (QListWidget* l = List()) {
        FItemIndex = ItemIndex();
        FSelected.assign(size_t(l->count()), false);
        for (int i = 0; i < l->count(); ++i)
            FSelected[size_t(i)] = l->item(i)->isSelected();
    }
    TWinControl::DestroyWnd();
}

int TCustomListBox::Count() const {
    return IsVirtual() ? FCount : FItems->Count();
}
void TCustomListBox::SetCount(int v) {
    FCount = std::max(0, v);
    if (FItemIndex >= FCount) FItemIndex = -1;
    RebuildWidget();
}

void TCustomListBox::SetStyle(TListBoxStyle v) {
    if (FStyle == v) return;
    FStyle = v;
    RecreateWnd();
}

int TCustomListBox::ItemIndex() const {
    if (QListWidget* l = List()) {
        if (FMultiSelect) return l->currentRow();
        // A single-selection list's index is its selected item (focus alone selects nothing).
        auto sel = l->selectedItems();
        return sel.isEmpty() ? -1 : l->row(sel.first());
    }
    return FItemIndex;
}

void TCustomListBox::SetItemIndex(int v) {
    if (v < -1 || v >= Count()) v = -1;
    FItemIndex = v;
    if (!FMultiSelect) {
        FSelected.assign(size_t(Count()), false);
        if (v >= 0) FSelected[size_t(v)] = true;
    }
    if (QListWidget* l = List()) {
        ++FSyncing;
        if (v < 0) {
            l->setCurrentRow(-1);
            if (!FMultiSelect) l->clearSelection();
        } else {
            l->setCurrentRow(v, FMultiSelect ? QItemSelectionModel::NoUpdate
                                             : QItemSelectionModel::ClearAndSelect);
        }
        --FSyncing;
    }
}

void TCustomListBox::SetItemHeight(int v) {
    if (v <= 0) return;
    FItemHeight = v;
    if (IsOwnerDraw()) RebuildWidget();
}

void TCustomListBox::SetMultiSelect(bool v) {
    FMultiSelect = v;
    if (FWidget) InitWidget();
}

bool TCustomListBox::Selected(int Index) const {
    if (Index < 0 || Index >= Count())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
    if (QListWidget* l = List()) return l->item(Index)->isSelected();
    return Index < int(FSelected.size()) && FSelected[size_t(Index)];
}

void TCustomListBox::SetSelected(int Index, bool v) {
    if (Index < 0 || Index >= Count())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
    if (FSelected.size() < size_t(Count())) FSelected.resize(size_t(Count()), false);
    if (!FMultiSelect && v) {
        SetItemIndex(Index);
        return;
    }
    FSelected[size_t(Index)] = v;
    if (QListWidget* l = List()) {
        ++FSyncing;
        l->item(Index)->setSelected(v);
        --FSyncing;
    }
}

int TCustomListBox::SelCount() const {
    if (!FMultiSelect) return -1;
    int n = 0;
    for (int i = 0; i < Count(); ++i)
        n += Selected(i);
    return n;
}

int TCustomListBox::TopIndex() const {
    if (QListWidget* l = List()) {
        QListWidgetItem* it = l->itemAt(1, 1);
        return it ? l->row(it) : 0;
    }
    return FTopIndex;
}
void TCustomListBox::SetTopIndex(int v) {
    FTopIndex = v;
    if (QListWidget* l = List(); l && v >= 0 && v < l->count())
        l->scrollToItem(l->item(v), QAbstractItemView::PositionAtTop);
}

void TCustomListBox::SetSorted(bool v) {
    if (FSorted == v) return;
    FSorted = v;
    if (v) FItems->SortItems();
}

void TCustomListBox::SetBorderStyle(TBorderStyle v) {
    FBorderStyle = v;
    if (QListWidget* l = List()) l->setFrameShape(v == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
}

int TCustomListBox::ItemAtPos(const TPoint& Pos, bool Existing) {
    int n = Count();
    if (QListWidget* l = List()) {
        QPoint vp = l->viewport()->mapFrom(l, QPoint(Pos.X, Pos.Y));
        if (l->viewport()->rect().contains(vp)) {
            QListWidgetItem* it = l->itemAt(vp);
            if (it) return l->row(it);
        }
    } else {
        int i = TopIndex() + Pos.Y / std::max(1, FItemHeight);
        if (Pos.Y >= 0 && i < n) return i;
    }
    return Existing ? -1 : n;
}

TRect TCustomListBox::ItemRect(int Index) {
    QListWidget* l = List();
    int n = Count();
    if (!l) return Bounds(0, (Index - FTopIndex) * FItemHeight, ClientWidth(), FItemHeight);
    QPoint off = l->viewport()->mapTo(l, QPoint(0, 0));
    if (Index >= 0 && Index < n) {
        QRect r = l->visualItemRect(l->item(Index));
        return Bounds(r.x() + off.x(), r.y() + off.y(), r.width(), r.height());
    }
    if (Index == n && n > 0) {
        QRect r = l->visualItemRect(l->item(n - 1));
        return Bounds(r.x() + off.x(), r.bottom() + 1 + off.y(), r.width(), r.height());
    }
    return {};
}

void TCustomListBox::Clear() {
    FItems->Clear();
}
void TCustomListBox::ClearSelection() {
    for (int i = 0; i < Count(); ++i)
        SetSelected(i, false);
    if (!FMultiSelect) SetItemIndex(-1);
}
void TCustomListBox::SelectAll() {
    if (!FMultiSelect) return;
    for (int i = 0; i < Count(); ++i)
        SetSelected(i, true);
}

String TCustomListBox::ItemText(int Index) {
    if (!IsVirtual()) return Index >= 0 && Index < FItems->Count() ? FItems->Get(Index) : String();
    String s;
    if (OnData) OnData(this, Index, s);
    return s;
}

void TCustomListBox::UserSelectionChanged() {
    FItemIndex = ItemIndex();
    Notify(this, LBN_SELCHANGE);
}

void TCustomListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
    (void)State;
    if (OnDrawItem) {
        OnDrawItem(this, Index, Rect, State);
        return;
    }
    FCanvas->FillRect(Rect);
    if (Index < Count()) {
        TRect r = Rect;
        r.Left += 2;
        String s = ItemText(Index);
        FCanvas->TextRect(r, s, {tfSingleLine, tfVerticalCenter, tfNoPrefix});
    }
}

void TCustomListBox::MeasureItem(int Index, int& Height) {
    if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

void TCustomListBox::DrawItemWith(QPainter* Painter, int Index, const TRect& Rect, TOwnerDrawState State) {
    PaintWithCanvas(FCanvas.get(), Font(), Painter, [&] {
        FCanvas->Brush()->SetColor(State.Contains(odSelected) ? clHighlight : FColor);
        FCanvas->Font()->SetColor(State.Contains(odSelected) ? clHighlightText : Font()->Color());
        DrawItem(Index, Rect, State);
        if (State.Contains(odFocused)) FCanvas->DrawFocusRect(Rect);
    });
}

void TCustomListBox::ItemsInserted(int Index) {
    if (FItemIndex >= Index) ++FItemIndex;
    if (size_t(Index) <= FSelected.size()) FSelected.insert(FSelected.begin() + Index, false);
    if (QListWidget* l = List(); l && !FUpdating) {
        ++FSyncing;
        auto* it = new QListWidgetItem(FItems->Get(Index));
        if (IsOwnerDraw()) it->setSizeHint(QSize(0, FItemHeight));
        l->insertItem(Index, it);
        --FSyncing;
    }
}
void TCustomListBox::ItemDeleted(int Index) {
    if (FItemIndex == Index)
        FItemIndex = -1;
    else if (FItemIndex > Index)
        --FItemIndex;
    if (size_t(Index) < FSelected.size()) FSelected.erase(FSelected.begin() + Index);
    if (QListWidget* l = List(); l && !FUpdating) {
        ++FSyncing;
        delete l->takeItem(Index);
        --FSyncing;
    }
}
void TCustomListBox::ItemChanged(int Index) {
    if (QListWidget* l = List(); l && !FUpdating && Index < l->count()) {
        ++FSyncing;
        l->item(Index)->setText(FItems->Get(Index));
        --FSyncing;
    }
}
void TCustomListBox::ItemsCleared() {
    FItemIndex = -1;
    FSelected.clear();
    if (QListWidget* l = List(); l && !FUpdating) {
        ++FSyncing;
        l->clear();
        --FSyncing;
    }
}
void TCustomListBox::ItemsUpdating(bool Updating) {
    FUpdating += Updating ? 1 : -1;
    if (FUpdating == 0) {
        if (FItemIndex >= Count()) FItemIndex = -1;
        FSelected.resize(size_t(Count()), false);
        RebuildWidget();
    }
}

void TCustomListBox::CNCommand(TMessage& Message) {
    switch (HiWord(Message.WParam)) {
    case LBN_SELCHANGE:
        TControl::Changed();
        Click();
        break;
    case LBN_DBLCLK:
        DblClick();
        break;
    }
}

void TCustomListBox::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
}

void TCustomListBox::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CN_COMMAND:
        CNCommand(Message);
        return;
    case WM_GETDLGCODE:
        WMGetDlgCode(Message);
        return;
    case WM_LBUTTONDBLCLK:
        TWinControl::Dispatch(Message);
        if (ItemAtPos({GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)}, true) >= 0)
            Notify(this, LBN_DBLCLK);
        return;
    }
    TWinControl::Dispatch(Message);
}

void TCustomListBox::DefaultHandler(TMessage& Message) {
    switch (Message.Msg) {
    case LB_GETCURSEL:
        Message.Result = ItemIndex();
        return;
    case LB_SETCURSEL:
        SetItemIndex(int(intptr_t(Message.WParam)));
        Message.Result = ItemIndex();
        return;
    case LB_GETCOUNT:
        Message.Result = Count();
        return;
    case LB_GETTOPINDEX:
        Message.Result = TopIndex();
        return;
    case LB_SETTOPINDEX:
        SetTopIndex(int(Message.WParam));
        return;
    case LB_GETITEMHEIGHT:
        Message.Result = FItemHeight;
        return;
    case LB_SETITEMHEIGHT:
        SetItemHeight(LoWord(uintptr_t(Message.LParam)));
        return;
    case LB_ITEMFROMPOINT: {
        int i = ItemAtPos({GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)}, true);
        Message.Result = i < 0 ? MakeLong(Word(std::max(0, Count() - 1)), 1) : MakeLong(Word(i), 0);
        return;
    }
    case LB_GETITEMRECT:
        if (auto* r = reinterpret_cast<TRect*>(Message.LParam)) *r = ItemRect(int(Message.WParam));
        Message.Result = 1;
        return;
    case LB_SELECTSTRING:
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT: {
        String s = Message.LParam ? *reinterpret_cast<String*>(Message.LParam) : String();
        int start = int(intptr_t(Message.WParam)) + 1, n = Count();
        Message.Result = -1;
        for (int k = 0; k < n; ++k) {
            int i = (start + k) % std::max(1, n);
            String t = ItemText(i);
            bool hit = Message.Msg == LB_FINDSTRINGEXACT ? t.compare(s, Qt::CaseInsensitive) == 0
                                                         : t.startsWith(s, Qt::CaseInsensitive);
            if (hit) {
                Message.Result = i;
                if (Message.Msg == LB_SELECTSTRING) SetItemIndex(i);
                break;
            }
        }
        return;
    }
    }
    TWinControl::DefaultHandler(Message);
}
