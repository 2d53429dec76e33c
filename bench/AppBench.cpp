// A whole-device read and write of the configuration tool against the simulator program on a
// pseudo-terminal paced at 38400 baud: the tool's wall time against the wire time of the bytes
// exchanged (10 bits a byte).

#include "app/MainUnit.h"
#include "app/Rs485Unit.h"
#include "app/UnitsUnit.h"
#include "app/Wiegant26Unit.h"
#include "lib/lang/LangUnit.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WinApi.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdlib>

namespace {

constexpr double Baud = 38400;

// Bytes on the wire from the simulator's log: requests are logged as their data (the frame adds
// five bytes), answers as whole frames.
struct WireCount {
    long requests = 0;
    long answers = 0;
};

WireCount WireBytes(const QByteArray& log) {
    WireCount bytes;
    for (const QByteArray& line : log.split('\n')) {
        if (line.startsWith("-> [")) {
            const QByteArray data = line.mid(line.indexOf(']') + 1).trimmed();
            bytes.requests += data.isEmpty() ? 5 : data.count(' ') + 1 + 5;
        } else if (line.startsWith("<- ")) {
            QByteArray data = line.mid(3).trimmed();
            if (data.endsWith("(slow)")) data.chop(6);
            bytes.answers += data.trimmed().count(' ') + 1;
        }
    }
    return bytes;
}

void WholeDeviceReadWrite(benchmark::State& state) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    InitForms();
    Application->Initialize();
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/kvt-devsim");
    if (!QFileInfo::exists(program)) {
        state.SkipWithError("kvt-devsim not built");
        return;
    }
    QTemporaryDir dir;
    SetLanguageDir(dir.path());
    InitRs485Vocabulary();
    QProcess devsim;
    devsim.setProcessChannelMode(QProcess::MergedChannels);
    devsim.start(program, {QStringLiteral("-v")});
    if (!devsim.waitForStarted(5000) || !devsim.waitForReadyRead(5000)) {
        state.SkipWithError("kvt-devsim did not start");
        return;
    }
    const QString tty = QString::fromLocal8Bit(devsim.readLine()).trimmed();
    setenv("KVT_SERIAL_PORT", tty.toLocal8Bit().constData(), 1);
    SetMessageBoxHook([](const String&, const String&, UINT) { return int(IDOK); });
    UnitsForm = Create<TUnitsForm>(nullptr);
    Wiegant26Form = Create<TWiegant26Form>(nullptr);
    TMainForm* form = Create<TMainForm>(nullptr);

    auto drain = [&devsim] {
        QByteArray log = devsim.readAll();
        while (devsim.waitForReadyRead(100))
            log += devsim.readAll();
        return log;
    };
    double wall = 0;
    WireCount bytes;
    for (auto _ : state) {
        drain();
        const auto t0 = std::chrono::steady_clock::now();
        form->DevReadNClick(nullptr);
        form->DevWriteNClick(nullptr);
        const auto t1 = std::chrono::steady_clock::now();
        wall += std::chrono::duration<double>(t1 - t0).count();
        const WireCount n = WireBytes(drain());
        bytes.requests += n.requests;
        bytes.answers += n.answers;
    }
    // The simulator paces its answers at the line's rate; the tool's requests reach it through
    // the pseudo-terminal at once. The wire time of a real line counts both.
    const double n = double(state.iterations());
    const double wire = double(bytes.requests + bytes.answers) * 10 / Baud;
    const double paced = double(bytes.answers) * 10 / Baud;
    state.counters["wire_bytes"] = double(bytes.requests + bytes.answers) / n;
    state.counters["wire_s"] = wire / n;
    state.counters["answers_s"] = paced / n;
    state.counters["tool_s"] = wall / n;
    state.counters["added_%"] = wire > 0 ? 100 * (wall - wire) / wire : 0;
    state.counters["added_to_answers_%"] = paced > 0 ? 100 * (wall - paced) / paced : 0;

    form->Free();
    Wiegant26Form->Free();
    UnitsForm->Free();
    SetMessageBoxHook(nullptr);
    devsim.terminate();
    devsim.waitForFinished(5000);
}

} // namespace

BENCHMARK(WholeDeviceReadWrite)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
