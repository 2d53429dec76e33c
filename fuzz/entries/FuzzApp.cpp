// The tool's own inputs: settings files, the language file and the device's answers, all fed to
// one main window that lives for the whole run (each input starts from its freshly built state).

#include "fuzz/FuzzEntries.h"

#include "app/ControlEventsTable.h"
#include "app/MainUnit.h"
#include "app/Rs485Unit.h"
#include "app/UnitsUnit.h"
#include "app/Wiegant26Unit.h"
#include "app/lang/LangUnit.h"
#include "lib/memtable/MemTableEh.h"
#include "platform/serial/SerialTransport.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WinApi.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <deque>
#include <map>

namespace kvt_fuzz {

namespace {

constexpr int kMaxEvents = 128; // the interface block runs this many events

uint32_t Ticks = 0;

// The main window and its dialogs, built as the program builds them, without a language file;
// message boxes answer at once.
TMainForm* Form() {
    static TMainForm* form = nullptr;
    if (form) return form;
    const QString dir = QFileInfo(QString::fromStdString(ScratchFile("lang/.keep", nullptr, 0))).path();
    SetLanguageDir(dir);
    FreeLanguage();
    InitRs485Vocabulary();
    UnitsForm = Create<TUnitsForm>(nullptr);
    Wiegant26Form = Create<TWiegant26Form>(nullptr);
    form = Create<TMainForm>(nullptr);
    MainForm = form;
    form->TickCount = [] { return Ticks; };
    form->SleepMs = [](uint32_t ms) { Ticks += ms; };
    form->NowFn = [] { return TDateTime(45356.5); };
    form->ShowModalFn = [](TCustomForm*) { return int(mrCancel); };
    form->ExecuteDialogFn = [](TOpenDialog*) { return false; };
    return form;
}

// The window's state when it was built, as a whole-device settings file; loading it puts every
// page back.
const QString& Baseline() {
    static QString path;
    if (path.isEmpty()) {
        path = QString::fromStdString(ScratchFile("baseline.acf", nullptr, 0));
        Form()->SaveSettings(path, Form());
    }
    return path;
}

void Reset() {
    TMainForm* f = Form();
    f->LoadSettings(Baseline());
    f->ControlEventsMemTableEh->EmptyTable();
}

QByteArray FileBytes(const QString& Path) {
    QFile f(Path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// ---------------------------------------------------------------------------------------------
// The device's side of the line, from a script. Each request the tool writes takes the next
// record of the script: a kind byte, then a frame without its start byte (length, address,
// marker, status, data, sum: length - 1 bytes; fewer when the script ends first, a broken-off
// frame). Kind bit 0: the sum is recomputed; bit 1: address and marker are the request's;
// bit 2: no answer at all (no frame follows). Without records left the device is silent.
class ScriptedDevice : public TSerialTransport {
public:
    struct Answer {
        uint8_t RequestAddress = 0;
        std::vector<uint8_t> Request;
        std::vector<uint8_t> Bytes; // as sent, start byte included; empty when silent
    };

    ScriptedDevice(const uint8_t* Data, size_t Size, std::vector<Answer>* Log)
        : FData(Data), FSize(Size), FLog(Log) {}

    FT_STATUS Read(uint8_t* buffer, uint32_t count, uint32_t* got) override {
        uint32_t n = 0;
        while (n < count && !FRx.empty()) {
            buffer[n++] = FRx.front();
            FRx.pop_front();
        }
        *got = n;
        return FT_OK;
    }
    FT_STATUS Write(const uint8_t* buffer, uint32_t count, uint32_t* written) override {
        *written = count;
        Answer a;
        a.Request.assign(buffer, buffer + count);
        a.RequestAddress = count > 2 ? buffer[2] : 0;
        if (FPos < FSize) {
            const uint8_t kind = FData[FPos++];
            if (!(kind & 4) && FPos < FSize) {
                const size_t len = FData[FPos];
                const size_t take = std::min(len > 0 ? len - 1 : 0, FSize - FPos);
                a.Bytes.push_back(0xAA);
                a.Bytes.insert(a.Bytes.end(), FData + FPos, FData + FPos + take);
                FPos += take;
                if (take == 0) FPos = FSize;
                if ((kind & 2) && a.Bytes.size() > 3) {
                    a.Bytes[2] = a.RequestAddress;
                    a.Bytes[3] = 0xA1;
                }
                if ((kind & 1) && a.Bytes.size() >= 2 && a.Bytes.size() == len) {
                    uint8_t sum = 0;
                    for (size_t i = 0; i + 1 < a.Bytes.size(); ++i)
                        sum = uint8_t(sum + a.Bytes[i]);
                    a.Bytes.back() = sum;
                }
            }
        }
        FRx.insert(FRx.end(), a.Bytes.begin(), a.Bytes.end());
        FLog->push_back(std::move(a));
        return FT_OK;
    }
    FT_STATUS SetBaudRate(uint32_t) override { return FT_OK; }
    FT_STATUS SetDataCharacteristics(uint8_t, uint8_t, uint8_t) override { return FT_OK; }
    FT_STATUS SetTimeouts(uint32_t, uint32_t) override { return FT_OK; }
    FT_STATUS GetQueueStatus(uint32_t* rxBytes) override {
        *rxBytes = uint32_t(FRx.size());
        return FT_OK;
    }

private:
    const uint8_t* FData;
    size_t FSize;
    size_t FPos = 0;
    std::vector<Answer>* FLog;
    std::deque<uint8_t> FRx;
};

// The last answer to a request whose command byte (and, for two-byte requests, sub-command) is
// given, as the tool's 256-byte answer buffer.
TAnswerBuffer AnswerTo(const std::vector<ScriptedDevice::Answer>& Log, uint8_t Command, int Sub = -1) {
    TAnswerBuffer a{};
    for (const auto& e : Log)
        if (e.Request.size() > 4 && e.Request[4] == Command &&
            (Sub < 0 || (e.Request.size() > 5 && e.Request[5] == Sub))) {
            a.fill(0);
            std::memcpy(a.data(), e.Bytes.data(), std::min(e.Bytes.size(), a.size()));
        }
    return a;
}

// Payload bytes that may differ from the answer's data on an unchanged write-back: the
// firmware's digits, device texts (padding) and reserved bits the tool clears.
struct Normalised {
    int From, To; // payload offsets, inclusive
    uint8_t Mask; // bits that may differ
};

// Checks that the payload of an unchanged page sends the bytes that were read: payload offset i
// carries the answer's data byte 4 + i.
void CheckWriteBack(const char* Block, const uint8_t* Payload, int Length, const TAnswerBuffer& Answer,
                    std::initializer_list<Normalised> Allowed) {
    for (int i = 1; i < Length; ++i) {
        uint8_t mask = 0xFF;
        for (const Normalised& n : Allowed)
            if (i >= n.From && i <= n.To) mask &= uint8_t(~n.Mask);
        if ((Payload[i] & mask) != (Answer[size_t(4 + i)] & mask))
            Check(false, std::string(Block) + ": write-back changes payload byte " + std::to_string(i) +
                             " from " + std::to_string(Answer[size_t(4 + i)]) + " to " +
                             std::to_string(Payload[i]));
    }
}

} // namespace

void Settings(const uint8_t* Data, size_t Size) {
    TMainForm* f = Form();
    Reset();
    const QString path = QString::fromStdString(ScratchFile("fuzz.acf", Data, Size));
    if (!f->LoadSettings(path)) return;
    Check(f->ControlEventsMemTableEh->RecordCount() <= kMaxEvents,
          "a settings file loaded more events than the block runs");
    // What the window saves, it loads; a second save writes the same file.
    const QString first = QString::fromStdString(ScratchFile("saved1.acf", nullptr, 0));
    const QString second = QString::fromStdString(ScratchFile("saved2.acf", nullptr, 0));
    Check(f->SaveSettings(first, f), "saving loaded settings failed");
    Check(f->LoadSettings(first), "a file the window saved does not load");
    Check(f->SaveSettings(second, f), "saving reloaded settings failed");
    Check(FileBytes(first) == FileBytes(second), "settings save -> load -> save changed the file");
}

void Language(const uint8_t* Data, size_t Size) {
    TMainForm* f = Form();
    ScratchFile("lang/SetupKvt.ini", Data, Size);
    FreeLanguage();
    LoadLanguage(QString::fromLatin1(LanguageFileName));
    (void)GetMsg(QStringLiteral("CommonName"), QStringLiteral("Устройство"));
    (void)GetMsgFmt(QStringLiteral("LoadSettings"), QStringLiteral("Настройки загружены из файла '%s'."),
                    QStringLiteral("x.acf"));
    (void)GetMsgFmt(QStringLiteral("DeviceOpenError"), QStringLiteral("Ошибка открытия устройства (%ld)!"),
                    7L);
    ApplyLanguage(f, QString::fromLatin1(LanguageFileName));
    ApplyLanguage(UnitsForm, QString::fromLatin1(LanguageFileName));
    // The file's own formats, with arguments of every kind.
    TStringList lines;
    lines.LoadFromFile(QString::fromStdString(ScratchFile("lang/SetupKvt.ini", Data, Size)));
    for (int i = 0; i < std::min(lines.Count(), 64); ++i) {
        const String s = lines.ValueFromIndex(i);
        (void)FormatPrintf(s, {42, 1.5, QStringLiteral("s"), Int64(-1)});
    }
    FreeLanguage();
    LoadLanguage(QStringLiteral("missing.ini"));
}

void Device(const uint8_t* Data, size_t Size) {
    if (Size == 0) return;
    TMainForm* f = Form();
    Reset();
    std::vector<ScriptedDevice::Answer> log;
    SetSerialTransportFactory([&](int, FT_STATUS*, std::string*) {
        return std::make_unique<ScriptedDevice>(Data + 1, Size - 1, &log);
    });
    const int op = Data[0] % 6;
    bool ok = false;
    if (op == 5) {
        f->DevReadNClick(nullptr);
    } else if (f->OpenDevice()) {
        switch (op) {
        case baGasAnalyser:
            ok = f->ReadGasAnalyser();
            break;
        case baInterface:
            ok = f->ReadInterfaceBlock();
            break;
        case baRs485:
            ok = f->ReadRs485Block();
            break;
        case baEthernet:
            ok = f->ReadEthernetBlock();
            break;
        case 4:
            ok = f->ReadEthernetFileList(false);
            break;
        }
        f->CloseDevice();
    }
    SetSerialTransportFactory({});
    Check(f->ControlEventsMemTableEh->RecordCount() <= kMaxEvents,
          "a device answer filled in more events than the block runs");
    if (!ok) return;
    // Only answers from the block that was asked, in a whole frame, make a read succeed.
    for (const auto& a : log)
        Check(a.Bytes.size() > 3 && a.Bytes[0] == 0xAA && a.Bytes[2] == a.RequestAddress,
              "an answer from the wrong block (or without its start byte) was accepted");
    uint8_t p[256] = {};
    switch (op) {
    case baGasAnalyser: {
        const int n = f->EncodeGasAnalyserParams(p);
        if (n) CheckWriteBack("gas analyser", p, n, AnswerTo(log, 0xC3), {{1, 2, 0xFF}});
        break;
    }
    case baInterface: {
        const int n = f->EncodeInterfaceParams(p);
        if (n) CheckWriteBack("interface", p, n, AnswerTo(log, 0xC3), {{1, 2, 0xFF}});
        break;
    }
    case baRs485: {
        const int n = f->EncodeRs485Params(p);
        if (n)
            CheckWriteBack("RS-485", p, n, AnswerTo(log, 0xC3),
                           {{1, 2, 0xFF}, {35, 98, 0xFF}, {112, 112, 0x78}});
        break;
    }
    case baEthernet: {
        const int n = f->EncodeEthernetParams(p);
        if (n) CheckWriteBack("Ethernet", p, n, AnswerTo(log, 0xC3), {{1, 2, 0xFF}, {17, 17, 0x80}});
        break;
    }
    }
}

} // namespace kvt_fuzz
