// Painting and scrolling the base grid: the cost of a full paint and of a one-line scroll must
// not grow with the number of rows (only the visible lines are walked).

#include "lib/grids/GridsEh.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WinApi.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>
#include <QWidget>

#include <cstdlib>

namespace {

class TBenchGrid : public TCustomGridEh {
    KVT_CLASS(TBenchGrid, TCustomGridEh)
public:
    using TCustomGridEh::TCustomGridEh;
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState) override {
        Canvas()->TextRect(ARect, ARect.Left + 2, ARect.Top + 2, QString::number(ACol * 1000 + ARow));
    }
};

struct GridSetup {
    TForm* Form;
    TBenchGrid* Grid;
    explicit GridSetup(int rows) {
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 820, 620);
        Grid = Create<TBenchGrid>(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 800, 600);
        Grid->SetColCount(50);
        Grid->SetRowCount(rows);
        Grid->SetFixedCols(2);
        Grid->SetFrozenColCount(1);
        Grid->SetContraRowCount(1);
        Form->Show();
        QCoreApplication::processEvents();
        DispatchQueuedMessages();
    }
    ~GridSetup() { delete Form; }
};

void FullPaint(benchmark::State& state) {
    GridSetup s(int(state.range(0)));
    s.Grid->SetTopRow(int(state.range(0)) / 2);
    for (auto _ : state) {
        QPixmap pm = s.Grid->Widget()->grab();
        benchmark::DoNotOptimize(pm);
    }
    state.SetLabel(std::to_string(state.range(0)) + " rows");
}
BENCHMARK(FullPaint)->Arg(100)->Arg(100000)->Arg(10000000)->Unit(benchmark::kMillisecond);

void ScrollOneLine(benchmark::State& state) {
    GridSetup s(int(state.range(0)));
    int down = 1;
    for (auto _ : state) {
        s.Grid->Perform(WM_VSCROLL, MAKEWPARAM(down ? SB_LINEDOWN : SB_LINEUP, 0), 0);
        down ^= 1;
        QPixmap pm = s.Grid->Widget()->grab();
        benchmark::DoNotOptimize(pm);
    }
}
BENCHMARK(ScrollOneLine)->Arg(100)->Arg(10000000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
