// Painting and scrolling a data-aware grid against Qt's table view over the same rows.
//
// Ours: an axis grid with one title row and an indicator column over a memory table; it reads
// only the rows it shows, through the data link's buffer window. Theirs: a QTableView over a
// QAbstractTableModel on a std::vector of the same rows. Both are 1280x1024 on the offscreen
// platform, 10 columns of 120 px, rows of 25 px, and paint into a pixmap (grab), so both draw
// the header, the row labels, the grid lines and every visible cell's text.
//
// Three steps at each size: a full paint; 100 page-downs from the first record, each followed
// by a paint (a table shorter than 100 pages starts again from the first record when the last
// is current); a jump to the last record with a paint. Each step runs a few times and the best
// time counts, after a warm-up round on a small table. The run fails when the two sides do not show the same
// last row.
//
//   grid_bench [records...]        (default 1000 1000000)

#include "lib/grids/DBAxisGridsEh.h"
#include "lib/memtable/MemTableEh.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WinApi.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPixmap>
#include <QTableView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

constexpr int kCols = 10;
constexpr int kColWidth = 120;
constexpr int kRowHeight = 25; // 24 + the grid line
constexpr int kWidth = 1280;
constexpr int kHeight = 1024;
constexpr int kPages = 100;
constexpr int kRepeats = 5;

struct Row {
    int Id;
    QString Name;
    double Amount;
    int Qty;
    QString Code;
    double Price;
    int Year;
    bool Flag;
    QString City;
    int Stock;
};

std::vector<Row> MakeRows(int n) {
    static const char* const cities[] = {"Москва", "Казань", "Тверь", "Омск", "Пермь"};
    std::vector<Row> rows(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        Row& r = rows[size_t(i)];
        r.Id = i + 1;
        r.Name = QStringLiteral("Name %1").arg(i + 1);
        r.Amount = (i * 37 % 10000) / 100.0;
        r.Qty = i % 500;
        r.Code = QStringLiteral("C%1").arg(i % 97);
        r.Price = (i * 13 % 100000) / 10.0;
        r.Year = 1990 + i % 35;
        r.Flag = i % 2 == 0;
        r.City = QString::fromUtf8(cities[i % 5]);
        r.Stock = i % 1000;
    }
    return rows;
}

// ---------------------------------------------------------------------------------------------
// Ours

class TBenchColumn : public TAxisBarEh {
    KVT_CLASS(TBenchColumn, TAxisBarEh)
public:
    using TAxisBarEh::TAxisBarEh;
    void GetColCellParams(bool, TAxisColCellParamsEh*) override {}
    void SetTextArea(TRect&) override {}
};

class TBenchLineParams : public TDBAxisGridLineParamsEh {
    KVT_CLASS(TBenchLineParams, TDBAxisGridLineParamsEh)
public:
    using TDBAxisGridLineParamsEh::TDBAxisGridLineParamsEh;
    bool DefaultDataHorzLines() override { return true; }
    bool DefaultDataVertLines() override { return true; }
    TDBGridLinesColorSchemeEh GetActualColorScheme() override { return glcsClassicEh; }
};

// One row per record: the link's buffer holds exactly the rows on screen.
class TBenchGrid : public TCustomDBAxisGridEh {
    KVT_CLASS(TBenchGrid, TCustomDBAxisGridEh)
public:
    explicit TBenchGrid(TComponent* AOwner)
        : TCustomDBAxisGridEh(AOwner), FTitleFont(std::make_unique<TFont>()) {}
    int ReadSelectedIndex() override { return std::max(-1, Col() - 1); }
    void SetSelectedIndex(int Value) override {
        if (Value >= 0 && Value + 1 < ColCount()) SetCol(Value + 1);
    }
    TFont* GetTitleFont() override { return FTitleFont.get(); }
    void SetTitleFont(TFont* Value) override { FTitleFont->Assign(Value); }
    TGridAxisBarsEh* CreateAxisBars() override {
        return new TGridAxisBarsEh(this, CollectionItemClassOf<TBenchColumn>());
    }
    void GetBarCellCoord(TAxisBarEh* Column, int& ACol, int& ARow) override {
        ACol = Column->Index() + 1;
        ARow = Row();
    }
    bool IsEditorAlwaysShown() override { return false; }

    void SyncToData() {
        if (FSyncing || !DataLink() || !AxisBars()) return;
        FSyncing = true;
        struct Clear {
            bool& b;
            ~Clear() { b = false; }
        } guard{FSyncing};
        if (!DataLink()->Active()) {
            SetRowCount(2);
            return;
        }
        const int visible = std::max(1, (ClientHeight() - kRowHeight) / kRowHeight);
        DataLink()->SetBufferCount(visible);
        SetRowCount(1 + std::max(1, DataLink()->RecordCount()));
        const int row = 1 + std::max(0, DataLink()->ActiveRecord());
        if (row != Row()) TCustomGridEh::MoveToCell(Col(), row, true);
        Invalidate();
    }

protected:
    void RebuildLayout() override {
        TCustomDBAxisGridEh::RebuildLayout();
        if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
        SetColCount(std::max(2, AxisBars()->Count() + 1));
        SetFixedCols(1);
        SetFixedRows(1);
        for (int i = 1; i < ColCount(); ++i)
            SetColWidths(i, kColWidth);
        SetColWidths(0, 14);
        SyncToData();
    }
    void LinkActiveChanged(bool Active) override {
        TCustomDBAxisGridEh::LinkActiveChanged(Active);
        SyncToData();
    }
    void LinkDataSetChanged() override { SyncToData(); }
    void LinkDataSetScrolled(int) override { SyncToData(); }
    void Resize() override {
        TCustomDBAxisGridEh::Resize();
        SyncToData();
    }
    TGridLineColorsEh* CreateGridLineColors() override { return new TBenchLineParams(this); }
    void KeyDown(Word& Key, TShiftState Shift) override {
        TDataSet* ds = DataLink()->DataSet();
        if (Key == VK_NEXT) {
            DataLink()->MoveBy(VisibleRowCount());
            Key = 0;
        } else if (Key == VK_END && Shift.Contains(ssCtrl)) {
            ds->Last();
            Key = 0;
        } else if (Key == VK_HOME && Shift.Contains(ssCtrl)) {
            ds->First();
            Key = 0;
        } else {
            TCustomDBAxisGridEh::KeyDown(Key, Shift);
        }
    }
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override {
        TCanvas* c = Canvas();
        if (ARow == 0 || ACol == 0) {
            c->Brush()->SetColor(FixedColor());
            c->FillRect(ARect);
            String text;
            if (ARow == 0 && ACol >= 1 && ACol - 1 < AxisBars()->Count())
                text = AxisBars()->AxisBar(ACol - 1)->Title()->Caption();
            else if (ACol == 0 && ARow == Row())
                text = QStringLiteral(">");
            c->Font()->Assign(Font());
            c->TextRect(ARect, ARect.Left + 3, ARect.Top + 4, text);
            DrawButtonEdges(c, ARect, Flat(), true, true, false, false);
            return;
        }
        if (!DataLink()->Active() || ACol - 1 >= AxisBars()->Count()) {
            c->Brush()->SetColor(Color());
            c->FillRect(ARect);
            return;
        }
        TAxisBarEh* column = AxisBars()->AxisBar(ACol - 1);
        const int saved = DataLink()->ActiveRecord();
        DataLink()->SetActiveRecord(ARow - 1);
        struct Restore {
            TAxisGridDataLinkEh* l;
            int r;
            ~Restore() { l->SetActiveRecord(r); }
        } guard{DataLink(), saved};
        TAxisColCellParamsEh* s = GetCellParamsRecord();
        column->FillColCellParams(s);
        s->SetFont(c->Font());
        c->Font()->Assign(column->Font());
        s->SetState(AState);
        TAxisColCellParamsEh params;
        params.SetState(AState);
        DefaultDrawDataCell(TGridCoord(ACol, ARow), TGridCoord(ACol - 1, ARow - 1), &params, ARect, column);
    }

private:
    std::unique_ptr<TFont> FTitleFont;
    bool FSyncing = false;
};

struct Ours {
    TComponent* Owner = Create<TComponent>(nullptr);
    TMemTableEh* T = nullptr;
    TDataSource* DS = nullptr;
    TForm* Form = nullptr;
    TBenchGrid* Grid = nullptr;

    explicit Ours(const std::vector<Row>& rows) {
        T = Create<TMemTableEh>(Owner);
        auto* defs = T->FieldDefs();
        defs->Add("Id", ftInteger);
        defs->Add("Name", ftString, 20);
        defs->Add("Amount", ftFloat);
        defs->Add("Qty", ftInteger);
        defs->Add("Code", ftString, 8);
        defs->Add("Price", ftFloat);
        defs->Add("Year", ftInteger);
        defs->Add("Flag", ftBoolean);
        defs->Add("City", ftString, 20);
        defs->Add("Stock", ftInteger);
        T->CreateDataSet();
        T->DisableControls();
        TField* f[kCols];
        for (int i = 0; i < kCols; ++i)
            f[i] = T->Fields()->Fields(i);
        for (const Row& r : rows) {
            T->Append();
            f[0]->SetAsInteger(r.Id);
            f[1]->SetAsString(r.Name);
            f[2]->SetAsFloat(r.Amount);
            f[3]->SetAsInteger(r.Qty);
            f[4]->SetAsString(r.Code);
            f[5]->SetAsFloat(r.Price);
            f[6]->SetAsInteger(r.Year);
            f[7]->SetAsBoolean(r.Flag);
            f[8]->SetAsString(r.City);
            f[9]->SetAsInteger(r.Stock);
            T->Post();
        }
        T->First();
        T->EnableControls();
        DS = Create<TDataSource>(Owner);
        DS->SetDataSet(T);
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, kWidth, kHeight);
        Grid = Create<TBenchGrid>(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, Form->ClientWidth(), Form->ClientHeight());
        Grid->SetDefaultRowHeight(kRowHeight - 1);
        Grid->SetDataSource(DS);
        Form->Show();
        QCoreApplication::processEvents();
        DispatchQueuedMessages();
        Grid->SyncToData();
    }
    ~Ours() {
        delete Form;
        Owner->Free();
    }
    void Paint() {
        Grid->Invalidate();
        QPixmap pm = Grid->Widget()->grab();
        if (pm.isNull()) std::abort();
    }
    void Key(Word key, bool ctrl) {
        if (ctrl) SetKeyDown(VK_CONTROL, true);
        Grid->Perform(WM_KEYDOWN, key, 0);
        if (ctrl) SetKeyDown(VK_CONTROL, false);
    }
    void PageDown() { Key(VK_NEXT, false); }
    void Last() { Key(VK_END, true); }
    void First() { Key(VK_HOME, true); }
    int CurrentId() { return T->Fields()->Fields(0)->AsInteger(); }
};

// ---------------------------------------------------------------------------------------------
// Theirs

class RowsModel : public QAbstractTableModel {
public:
    explicit RowsModel(const std::vector<Row>& rows) : FRows(rows) {}
    int rowCount(const QModelIndex& p) const override { return p.isValid() ? 0 : int(FRows.size()); }
    int columnCount(const QModelIndex& p) const override { return p.isValid() ? 0 : kCols; }
    QVariant data(const QModelIndex& i, int role) const override {
        if (role == Qt::TextAlignmentRole) {
            const int c = i.column();
            return c == 1 || c == 4 || c == 7 || c == 8 ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                                        : int(Qt::AlignRight | Qt::AlignVCenter);
        }
        if (role != Qt::DisplayRole) return {};
        const Row& r = FRows[size_t(i.row())];
        switch (i.column()) {
        case 0:
            return QString::number(r.Id);
        case 1:
            return r.Name;
        case 2:
            return QString::number(r.Amount, 'g', 15);
        case 3:
            return QString::number(r.Qty);
        case 4:
            return r.Code;
        case 5:
            return QString::number(r.Price, 'g', 15);
        case 6:
            return QString::number(r.Year);
        case 7:
            return r.Flag ? QStringLiteral("True") : QStringLiteral("False");
        case 8:
            return r.City;
        default:
            return QString::number(r.Stock);
        }
    }
    QVariant headerData(int s, Qt::Orientation o, int role) const override {
        if (role != Qt::DisplayRole) return {};
        static const char* const names[kCols] = {"Id",    "Name", "Amount", "Qty",  "Code",
                                                 "Price", "Year", "Flag",   "City", "Stock"};
        return o == Qt::Horizontal ? QVariant(QString::fromLatin1(names[s])) : QVariant(QString());
    }

private:
    const std::vector<Row>& FRows;
};

struct Theirs {
    RowsModel Model;
    QTableView View;
    explicit Theirs(const std::vector<Row>& rows) : Model(rows) {
        View.setModel(&Model);
        View.resize(kWidth, kHeight);
        View.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        View.verticalHeader()->setDefaultSectionSize(kRowHeight);
        View.verticalHeader()->setFixedWidth(14);
        View.horizontalHeader()->setDefaultSectionSize(kColWidth);
        View.setCurrentIndex(Model.index(0, 0));
        View.show();
        QCoreApplication::processEvents();
    }
    void Paint() {
        QPixmap pm = View.grab();
        if (pm.isNull()) std::abort();
    }
    void Key(int key, Qt::KeyboardModifiers m) {
        QKeyEvent e(QEvent::KeyPress, key, m);
        QCoreApplication::sendEvent(&View, &e);
    }
    void PageDown() { Key(Qt::Key_PageDown, Qt::NoModifier); }
    void Last() { Key(Qt::Key_End, Qt::ControlModifier); }
    void First() { Key(Qt::Key_Home, Qt::ControlModifier); }
    int CurrentId() { return View.currentIndex().row() + 1; }
};

// ---------------------------------------------------------------------------------------------

struct Times {
    double Paint = 1e300, Pages = 1e300, Last = 1e300;
};

template <class Side> Times Measure(Side& s, int n) {
    Times t;
    for (int rep = 0; rep < kRepeats; ++rep) {
        s.First();
        s.Paint();
        {
            Timer tm;
            s.Paint();
            t.Paint = std::min(t.Paint, tm.Seconds());
        }
        {
            Timer tm;
            for (int i = 0; i < kPages; ++i) {
                // A small table is paged through more than once: every step moves the view.
                if (s.CurrentId() == n)
                    s.First();
                else
                    s.PageDown();
                s.Paint();
            }
            t.Pages = std::min(t.Pages, tm.Seconds());
        }
        {
            Timer tm;
            s.Last();
            s.Paint();
            t.Last = std::min(t.Last, tm.Seconds());
        }
    }
    return t;
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    InitForms();
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {1000, 1000000};

    {
        // Font, glyph and style caches fill on the first paints: neither side pays for that later.
        const std::vector<Row> rows = MakeRows(500);
        Ours o(rows);
        Measure(o, 500);
        Theirs t(rows);
        Measure(t, 500);
    }
    std::printf("%-10s %-22s %12s %12s %8s\n", "records", "step", "axis grid", "QTableView", "ratio");
    std::vector<Times> ours;
    for (int n : sizes) {
        const std::vector<Row> rows = MakeRows(n);
        Times a, b;
        int lastA = 0, lastB = 0;
        {
            Ours o(rows);
            a = Measure(o, n);
            lastA = o.CurrentId();
        }
        {
            Theirs t(rows);
            b = Measure(t, n);
            lastB = t.CurrentId();
        }
        if (lastA != n || lastB != n) {
            std::fprintf(stderr, "last record differs: axis grid %d, QTableView %d, expected %d\n", lastA,
                         lastB, n);
            return 1;
        }
        auto line = [n](const char* step, double x, double y) {
            std::printf("%-10d %-22s %10.3f ms %10.3f ms %7.2fx\n", n, step, x * 1e3, y * 1e3, x / y);
        };
        line("full paint", a.Paint, b.Paint);
        line("100 page-downs+paint", a.Pages, b.Pages);
        line("last record+paint", a.Last, b.Last);
        ours.push_back(a);
    }
    if (ours.size() >= 2) {
        const Times& s = ours.front();
        const Times& l = ours.back();
        std::printf("axis grid, %d vs %d records: paint %.2fx, page-downs %.2fx, last %.2fx\n", sizes.back(),
                    sizes.front(), l.Paint / s.Paint, l.Pages / s.Pages, l.Last / s.Last);
    }
    return 0;
}
