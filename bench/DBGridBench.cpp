// The data grid over a memory table against QTableView over a QAbstractTableModel (through a
// QSortFilterProxyModel), doing the same work on the same rows in one run. Both are 1280 wide,
// offscreen, with ten columns of the same widths, row pitch and title pitch and a viewport of
// the same height (the grid is 1024 high; the view is lower by what its thinner scroll bar saves):
//   - first paint: show the view and paint it;
//   - 100 page-down key presses, each followed by a paint (on the last record the key is Ctrl+Home
//     instead, so that a short table moves on every key as a long one does);
//   - Ctrl+End to the last record, and a paint;
//   - a click on the title of the Name column (an ascending sort), and a paint.
// Each step is the keys or clicks a user gives, delivered as window-system events, then the
// posted work run until none is left (zero timers too) and the view painted into a pixmap. After
// each step the current record (and after the sort the first and last names in view order) must
// be the same on both sides, or the run fails. Before its first paint each side gives the heap's
// free memory back to the system, so that both map their window's memory afresh. Prints
// milliseconds and the ratio grid / QTableView per step.
//
//     dbgrid_bench [--grid-only] [records...]      (default: 1000 1000000)
//
// --grid-only runs the grid's side alone (for profiling it).

#include "lib/dbgrid/DBGridEh.h"
#include "lib/memtable/MemTableEh.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WinApi.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QScrollBar>
#include <QStyle>
#include <QSortFilterProxyModel>
#include <QTableView>

#include <malloc.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

class Timer {
public:
    double Seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - FStart).count();
    }

private:
    std::chrono::steady_clock::time_point FStart = std::chrono::steady_clock::now();
};

// Gives the free memory of the heap back to the system, so that a window shown next maps its
// backing store (5 MB at this size) afresh on either side. Without it the side that runs second
// reuses the pages the first side's freed window had touched, while the grid, shown right after a
// large table was filled, always touches new ones: a difference of the run order, not of the views.
void StartFromReleasedHeap() {
    malloc_trim(0);
}

// Runs the posted events until none is left, including those that the events run post in turn
// and zero timers (a view lays out its items after a sort on a zero timer, and only then repaints
// its window): a step's work must not be left for after its timer.
void ProcessPendingEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 1000);
}

constexpr int Width = 1280, Height = 1024, Columns = 10, PageDowns = 100;
constexpr int NameColumn = 1;

// Ten values of three kinds; the names are what the sort orders.
struct Record {
    int Key, Qty, Code, Flags;
    QString Name, City, Tag;
    double Price, Weight, Rate;
};
const char* const FieldNames[Columns] = {"Key",    "Name", "Price", "Qty",  "City",
                                         "Weight", "Code", "Tag",   "Rate", "Flags"};

std::vector<Record> MakeRecords(int n) {
    std::mt19937_64 rng(4242);
    std::uniform_int_distribution<int> letter('a', 'z'), small(0, 9999);
    std::uniform_real_distribution<double> real(0, 1000);
    auto word = [&](int len) {
        QString s(len, QLatin1Char(' '));
        for (QChar& c : s)
            c = QLatin1Char(char(letter(rng)));
        return s;
    };
    std::vector<Record> rows(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        Record& r = rows[size_t(i)];
        r.Key = i;
        r.Name = word(8);
        r.Price = real(rng);
        r.Qty = small(rng);
        r.City = word(6);
        r.Weight = real(rng);
        r.Code = small(rng);
        r.Tag = word(4);
        r.Rate = real(rng);
        r.Flags = small(rng) & 0xFF;
    }
    return rows;
}

QVariant Value(const Record& r, int column) {
    switch (column) {
    case 0:
        return r.Key;
    case 1:
        return r.Name;
    case 2:
        return r.Price;
    case 3:
        return r.Qty;
    case 4:
        return r.City;
    case 5:
        return r.Weight;
    case 6:
        return r.Code;
    case 7:
        return r.Tag;
    case 8:
        return r.Rate;
    default:
        return r.Flags;
    }
}

class RecordModel : public QAbstractTableModel {
public:
    explicit RecordModel(const std::vector<Record>& rows) : FRows(rows) {}
    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : int(FRows.size());
    }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : Columns; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
        return Value(FRows[size_t(index.row())], index.column());
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (role != Qt::DisplayRole) return {};
        if (o == Qt::Horizontal) return QString::fromLatin1(FieldNames[section]);
        return section + 1;
    }

private:
    const std::vector<Record>& FRows;
};

// What a step leaves: the current record's key, and the first and last names in view order.
struct Seen {
    int Current = -1;
    QString First, Last;
    bool operator==(const Seen&) const = default;
};

enum Step { stFirstPaint, stPageDowns, stLast, stSort, stCount };
const char* const StepNames[stCount] = {"first paint", "100 page-downs + paints", "Ctrl+End + paint",
                                        "title click sort + paint"};

struct Result {
    std::array<double, stCount> Seconds{};
    std::array<Seen, stCount> Saw{};
};

void Key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QApplication::sendEvent(w, &release);
}

void Click(QWidget* w, QPoint at) {
    const QPointF p(at), g(w->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, p, g, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, p, g, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

// The geometry the grid chose, for the view to copy.
struct Geometry {
    int RowHeight = 0, TitleHeight = 0, IndicatorWidth = 0, ScrollBarHeight = 0;
    std::array<int, Columns> ColumnWidths{};
};

Result RunGrid(const std::vector<Record>& rows, Geometry& geometry) {
    Result res;
    TMemTableEh* t = Create<TMemTableEh>(nullptr);
    t->FieldDefs()->Add("Key", ftInteger);
    t->FieldDefs()->Add("Name", ftString, 8);
    t->FieldDefs()->Add("Price", ftFloat);
    t->FieldDefs()->Add("Qty", ftInteger);
    t->FieldDefs()->Add("City", ftString, 6);
    t->FieldDefs()->Add("Weight", ftFloat);
    t->FieldDefs()->Add("Code", ftInteger);
    t->FieldDefs()->Add("Tag", ftString, 4);
    t->FieldDefs()->Add("Rate", ftFloat);
    t->FieldDefs()->Add("Flags", ftInteger);
    t->CreateDataSet();
    t->DisableControls();
    std::array<TField*, Columns> f{};
    for (int c = 0; c < Columns; ++c)
        f[size_t(c)] = t->FieldByName(QString::fromLatin1(FieldNames[c]));
    for (const Record& r : rows) {
        t->Append();
        f[0]->SetAsInteger(r.Key);
        f[1]->SetAsString(r.Name);
        f[2]->SetAsFloat(r.Price);
        f[3]->SetAsInteger(r.Qty);
        f[4]->SetAsString(r.City);
        f[5]->SetAsFloat(r.Weight);
        f[6]->SetAsInteger(r.Code);
        f[7]->SetAsString(r.Tag);
        f[8]->SetAsFloat(r.Rate);
        f[9]->SetAsInteger(r.Flags);
        t->Post();
    }
    t->First();
    t->EnableControls();
    TDataSource* ds = Create<TDataSource>(nullptr);
    ds->SetDataSet(t);

    TForm* form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, Width, Height);
    TDBGridEh* grid = Create<TDBGridEh>(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, Width, Height);
    grid->SetOptionsEh(grid->OptionsEh() + TDBGridEhOptions{dghAutoSortMarking});
    grid->ColumnDefValues()->Title()->SetTitleButton(true); // a title click sorts only on a button
    for (int c = 0; c < Columns; ++c)
        grid->Columns()->Add()->SetFieldName(QString::fromLatin1(FieldNames[c]));
    grid->SetDataSource(ds);
    QWidget* w = nullptr; // the window exists once the form is shown
    auto settle = [] {
        ProcessPendingEvents();
        DispatchQueuedMessages();
    };
    auto current = [&] { return f[0]->AsInteger(); };
    const int last = int(rows.size()) - 1; // the keys run in record order until the sort
    StartFromReleasedHeap();
    {
        Timer tm;
        form->Show();
        settle();
        w = grid->Widget();
        QPixmap pm = w->grab();
        res.Seconds[stFirstPaint] = tm.Seconds();
    }
    res.Saw[stFirstPaint].Current = current();
    grid->SetFocus();
    settle();
    {
        Timer tm;
        for (int i = 0; i < PageDowns; ++i) {
            if (current() == last)
                Key(w, Qt::Key_Home, Qt::ControlModifier);
            else
                Key(w, Qt::Key_PageDown);
            settle();
            QPixmap pm = w->grab();
        }
        res.Seconds[stPageDowns] = tm.Seconds();
    }
    res.Saw[stPageDowns].Current = current();
    {
        Timer tm;
        Key(w, Qt::Key_End, Qt::ControlModifier);
        settle();
        QPixmap pm = w->grab();
        res.Seconds[stLast] = tm.Seconds();
    }
    res.Saw[stLast].Current = current();
    {
        const TRect r = grid->CellRect(1 + NameColumn, 0);
        Timer tm;
        Click(w, QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
        settle();
        QPixmap pm = w->grab();
        res.Seconds[stSort] = tm.Seconds();
    }
    // Where the cursor ends after a sort is each view's own business: only the order is compared.
    Seen& s = res.Saw[stSort];
    t->DisableControls();
    t->First();
    s.First = f[1]->AsString();
    t->Last();
    s.Last = f[1]->AsString();
    t->EnableControls();

    // Pitches: the grid draws its line below the row (and the title), the view inside its section.
    geometry.RowHeight = grid->RowHeights(1) + grid->GridLineWidth();
    geometry.TitleHeight = grid->RowHeights(0) + grid->GridLineWidth();
    geometry.IndicatorWidth = grid->ColWidths(0);
    geometry.ScrollBarHeight = grid->Height() - grid->ClientHeight();
    for (int c = 0; c < Columns; ++c)
        geometry.ColumnWidths[size_t(c)] = grid->Columns()->Columns(c)->Width();
    delete form;
    ds->Free();
    t->Free();
    return res;
}

Result RunView(const std::vector<Record>& rows, const Geometry& geometry) {
    Result res;
    RecordModel model(rows);
    QSortFilterProxyModel proxy;
    proxy.setSourceModel(&model);
    QTableView view;
    view.setModel(&proxy);
    view.setSortingEnabled(false); // no sort until the title is clicked
    view.setFrameShape(QFrame::NoFrame); // the grid has no border of its own here
    QHeaderView* vh = view.verticalHeader();
    vh->setSectionResizeMode(QHeaderView::Fixed);
    vh->setMinimumSectionSize(1);
    vh->setDefaultSectionSize(geometry.RowHeight);
    // The grid keeps its horizontal scroll bar shown; the same viewport gives the same page.
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Its scroll bar is thinner than the grid's: the view is that much lower, so that both
    // viewports are the same height.
    const int bar =
        view.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view.horizontalScrollBar());
    view.resize(Width, Height - geometry.ScrollBarHeight + bar);
    vh->setFixedWidth(geometry.IndicatorWidth);
    QHeaderView* hh = view.horizontalHeader();
    hh->setFixedHeight(geometry.TitleHeight);
    for (int c = 0; c < Columns; ++c)
        view.setColumnWidth(c, geometry.ColumnWidths[size_t(c)]);
    hh->setSortIndicatorShown(true);
    hh->setSectionsClickable(true);
    // A press on a title selects the column by default; the grid's click only sorts.
    QObject::disconnect(hh, SIGNAL(sectionPressed(int)), &view, SLOT(selectColumn(int)));
    QObject::connect(hh, &QHeaderView::sectionClicked,
                     [&](int section) { view.sortByColumn(section, Qt::AscendingOrder); });
    auto settle = [] { ProcessPendingEvents(); };
    auto current = [&] { return proxy.data(proxy.index(view.currentIndex().row(), 0)).toInt(); };
    const int last = int(rows.size()) - 1;
    StartFromReleasedHeap();
    {
        Timer tm;
        view.show();
        settle();
        QPixmap pm = view.grab();
        res.Seconds[stFirstPaint] = tm.Seconds();
    }
    view.setCurrentIndex(proxy.index(0, 0)); // the grid starts on its first record
    view.setFocus();
    settle();
    res.Saw[stFirstPaint].Current = current();
    QWidget* w = &view;
    {
        Timer tm;
        for (int i = 0; i < PageDowns; ++i) {
            if (current() == last)
                Key(w, Qt::Key_Home, Qt::ControlModifier);
            else
                Key(w, Qt::Key_PageDown);
            settle();
            QPixmap pm = view.grab();
        }
        res.Seconds[stPageDowns] = tm.Seconds();
    }
    res.Saw[stPageDowns].Current = current();
    {
        Timer tm;
        Key(w, Qt::Key_End, Qt::ControlModifier);
        settle();
        QPixmap pm = view.grab();
        res.Seconds[stLast] = tm.Seconds();
    }
    res.Saw[stLast].Current = current();
    {
        const int x = hh->sectionViewportPosition(NameColumn) + hh->sectionSize(NameColumn) / 2;
        Timer tm;
        Click(hh->viewport(), QPoint(x, geometry.TitleHeight / 2));
        settle();
        QPixmap pm = view.grab();
        res.Seconds[stSort] = tm.Seconds();
    }
    Seen& s = res.Saw[stSort];
    s.First = proxy.data(proxy.index(0, NameColumn)).toString();
    s.Last = proxy.data(proxy.index(proxy.rowCount() - 1, NameColumn)).toString();
    return res;
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    std::vector<int> sizes;
    bool gridOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--grid-only")
            gridOnly = true;
        else
            sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty()) sizes = {1000, 1000000};
    {
        // The first views of the process load fonts and fill glyph caches: not part of any step.
        const std::vector<Record> few = MakeRecords(100);
        Geometry g;
        RunGrid(few, g);
        RunView(few, g);
    }
    bool same = true;
    for (int n : sizes) {
        const std::vector<Record> rows = MakeRecords(n);
        Geometry geometry;
        const Result grid = RunGrid(rows, geometry);
        if (gridOnly) {
            for (int s = 0; s < stCount; ++s)
                std::printf("  %-26s %12.2f ms\n", StepNames[s], grid.Seconds[size_t(s)] * 1e3);
            continue;
        }
        const Result view = RunView(rows, geometry);
        std::printf("%d records (row %d px, title %d px)\n", n, geometry.RowHeight, geometry.TitleHeight);
        std::printf("  %-26s %12s %12s %8s\n", "step", "grid ms", "QTableView", "ratio");
        for (int s = 0; s < stCount; ++s) {
            std::printf("  %-26s %12.2f %12.2f %8.2f\n", StepNames[s], grid.Seconds[size_t(s)] * 1e3,
                        view.Seconds[size_t(s)] * 1e3, grid.Seconds[size_t(s)] / view.Seconds[size_t(s)]);
            const Seen& a = grid.Saw[size_t(s)];
            const Seen& b = view.Saw[size_t(s)];
            if (!(a == b)) {
                same = false;
                std::printf("    differs: current %d / %d, first '%s' / '%s', last '%s' / '%s'\n", a.Current,
                            b.Current, qPrintable(a.First), qPrintable(b.First), qPrintable(a.Last),
                            qPrintable(b.Last));
            }
        }
        std::fflush(stdout);
    }
    if (!same) std::printf("the two views ended on different records\n");
    return same ? 0 : 1;
}
