// A whole-device read and write of the configuration tool against the simulator program on a
// pseudo-terminal, which spends each byte's time on the line at 38400 baud in both directions:
// the tool's wall time against the wire time of every byte exchanged (10 bits a byte).

#include "app/MainUnit.h"
#include "app/Rs485Unit.h"
#include "app/UnitsUnit.h"
#include "app/Wiegant26Unit.h"
#include "lib/lang/LangUnit.h"
#include "platform/ui/Forms.h"
#include "platform/serial/Ftd2xx.h"
#include "platform/ui/WinApi.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>

namespace {

constexpr double Baud = 38400;

// Bytes on the wire from the simulator's log: requests are logged as their data (the frame adds
// five bytes), answers as whole frames.  The exchanges are kept for the replay.
struct WireCount {
    long requests = 0;
    long answers = 0;
};

struct LoggedExchange {
    uint8_t address = 0;
    std::vector<uint8_t> data;
    uint32_t answerBytes = 0;
};

std::vector<uint8_t> HexBytes(const QByteArray& text) {
    std::vector<uint8_t> out;
    for (const QByteArray& b : text.simplified().split(' '))
        if (!b.isEmpty()) out.push_back(uint8_t(b.toUInt(nullptr, 16)));
    return out;
}

WireCount WireBytes(const QByteArray& log, std::vector<LoggedExchange>* exchanges = nullptr) {
    WireCount bytes;
    for (const QByteArray& line : log.split('\n')) {
        if (line.startsWith("-> [")) {
            const int close = line.indexOf(']');
            LoggedExchange e;
            e.address = uint8_t(line.mid(4, close - 4).toInt());
            e.data = HexBytes(line.mid(close + 1));
            bytes.requests += long(e.data.size()) + 5;
            if (exchanges) exchanges->push_back(std::move(e));
        } else if (line.startsWith("<- ")) {
            QByteArray data = line.mid(3).trimmed();
            if (data.endsWith("(slow)") || data.endsWith("(late)")) data.chop(6);
            const long n = long(HexBytes(data).size());
            bytes.answers += n;
            if (exchanges && !exchanges->empty()) exchanges->back().answerBytes = uint32_t(n);
        }
    }
    return bytes;
}

// The same requests through the same simulator by the plainest client: write the frame, wait on
// the port for the answer's bytes, read them.  What the tool takes beyond this is its own.
double Replay(const std::vector<LoggedExchange>& exchanges) {
    FT_HANDLE h = nullptr;
    if (FT_Open(0, &h) != FT_OK) return 0;
    FT_SetBaudRate(h, 38400);
    FT_SetDataCharacteristics(h, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE);
    const auto t0 = std::chrono::steady_clock::now();
    uint8_t buf[256];
    for (const LoggedExchange& e : exchanges) {
        std::vector<uint8_t> frame{0xAA, uint8_t(e.data.size() + 5), e.address, 0xA1};
        frame.insert(frame.end(), e.data.begin(), e.data.end());
        uint8_t sum = 0;
        for (uint8_t b : frame)
            sum = uint8_t(sum + b);
        frame.push_back(sum);
        uint32_t n = 0;
        FT_Write(h, frame.data(), uint32_t(frame.size()), &n);
        uint32_t queued = 0;
        for (int i = 0; i < 1000 && queued < e.answerBytes; ++i) {
            FT_WaitForReceive(h, 20);
            FT_GetQueueStatus(h, &queued);
        }
        if (queued) FT_Read(h, buf, std::min<uint32_t>(queued, sizeof buf), &n);
    }
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    FT_Close(h);
    return s;
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
    double wall = 0, replay = 0;
    WireCount bytes;
    for (auto _ : state) {
        drain();
        const auto t0 = std::chrono::steady_clock::now();
        form->DevReadNClick(nullptr);
        form->DevWriteNClick(nullptr);
        const auto t1 = std::chrono::steady_clock::now();
        wall += std::chrono::duration<double>(t1 - t0).count();
        std::vector<LoggedExchange> exchanges;
        const WireCount n = WireBytes(drain(), &exchanges);
        bytes.requests += n.requests;
        bytes.answers += n.answers;
        state.PauseTiming();
        replay += Replay(exchanges);
        drain();
        state.ResumeTiming();
        state.counters["exchanges"] = double(exchanges.size());
    }
    // The simulator takes a request only when its bytes' time on the line has passed, and hands
    // over the answer's bytes at the line's pace: the wire time of both is the floor.
    const double n = double(state.iterations());
    const double wire = double(bytes.requests + bytes.answers) * 10 / Baud;
    state.counters["wire_bytes"] = double(bytes.requests + bytes.answers) / n;
    state.counters["wire_s"] = wire / n;
    state.counters["tool_s"] = wall / n;
    state.counters["added_%"] = wire > 0 ? 100 * (wall - wire) / wire : 0;
    // The same exchanges by a bare client: the simulator's and the machine's share of the time.
    state.counters["replay_s"] = replay / n;
    state.counters["replay_added_%"] = wire > 0 ? 100 * (replay - wire) / wire : 0;
    state.counters["tool_over_replay_%"] = replay > 0 ? 100 * (wall - replay) / replay : 0;

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
