#pragma once
// The device, simulated from its own side: a gas analyser (block 0) and optional interface (1),
// RS-485 (2) and Ethernet (3) blocks on one bus, each answering its commands from a parameter
// memory that the write commands change.  Bytes go in through Feed(); answers come out as
// replies.  It runs in-process (DevSimTransport.h) or behind a pseudo-terminal (kvt-devsim).

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace devsim {

enum Block : uint8_t { blkGasAnalyser = 0, blkInterface = 1, blkRs485 = 2, blkEthernet = 3 };

// What can go wrong with an answer.  The request itself is carried out in every case; only the
// answer is lost or damaged on its way back.
enum class FaultKind {
    NoAnswer,    // silence
    BadSum,      // the last byte is not the sum
    WrongStatus, // status 2, a failure for every command
    ShortAnswer, // the frame breaks off after its first half
    Garbage,     // stray bytes before the start byte
    Slow,        // the bytes come slowly (the transport decides how slowly)
    Late,        // the answer comes whole, but after the tool has given up waiting (the
                 // transport decides how late); the device takes no request meanwhile
};

const char* FaultKindName(FaultKind kind);
std::optional<FaultKind> ParseFaultKind(std::string_view name);
const std::vector<FaultKind>& AllFaultKinds();

struct FaultRule {
    int address = -1; // -1 matches any
    int command = -1; // first data byte
    int sub = -1;     // second data byte (block number, text index, file sub-command)
    FaultKind kind = FaultKind::NoAnswer;
    int times = -1; // matching requests still to hit; -1 for all
};

// "0:C3=badsum", "3:D4:01=status*2", "*:*=noanswer" (addresses decimal, bytes hexadecimal).
std::optional<FaultRule> ParseFaultRule(std::string_view text, std::string* error = nullptr);

struct Reply {
    std::vector<uint8_t> bytes;
    bool slow = false;
    bool late = false;
};

struct LoggedRequest {
    uint8_t address = 0;
    std::vector<uint8_t> data; // command first
};

struct EthFile {
    std::string name; // bytes as the block stores them (Windows-1251)
    std::vector<uint8_t> data;
};

// Parameter groups hold the bytes a read answers from offset 5 on (the firmware version first),
// i.e. write payload byte k is group byte k-1.
struct DeviceState {
    std::array<bool, 4> present{true, true, true, true}; // [0] is always answered

    // Clock: following the computer's local time until it is set.
    bool clockFollowsHost = true;
    int64_t clockBase = 0;    // device time when set, seconds since 1970 read as local time
    int64_t clockSetHost = 0; // host time (seconds since 1970) at that moment

    std::array<uint8_t, 4> gasSerial{};
    std::array<uint8_t, 3> gasProduction{}; // BCD day, month, year - 2000
    std::array<uint8_t, 12> gasParams{};
    std::array<uint8_t, 3> verifyDate{};
    uint8_t verifyInterval = 0;
    std::array<uint8_t, 128> gasTexts{}; // 4 lines of 16 + 16 bytes

    std::array<uint8_t, 4> ifSerial{};
    std::array<uint8_t, 32> ifParams{};
    std::array<uint8_t, 64> ifTexts{}; // text 1 part 1, text 1 part 2, text 2 part 1, text 2 part 2
    std::vector<std::array<uint8_t, 2>> events;

    std::array<uint8_t, 4> rsSerial{};
    std::array<uint8_t, 140> rsParams{};

    std::array<uint8_t, 6> mac{};
    std::array<uint8_t, 4> ethSerial{};
    std::array<uint8_t, 18> ethParams{};
    std::vector<EthFile> files;
    uint32_t storeCapacity = 0;
};

constexpr size_t kMaxEvents = 128;
constexpr size_t kEventsPerPacket = 64;
constexpr size_t kMaxFileSize = 32700;
constexpr size_t kMaxFiles = 64;
constexpr uint8_t kFrameStart = 0xAA;
constexpr uint8_t kFrameMarker = 0xA1;

// 8-bit sum of the bytes.
uint8_t FrameSum(const uint8_t* p, size_t n);
// The envelope: AA, length, address, A1, body, sum.  body is the request data, or the status and
// the answer's data.
std::vector<uint8_t> MakeFrame(uint8_t address, const std::vector<uint8_t>& body);

class DeviceSimulator {
public:
    DeviceSimulator(); // the default state (DefaultStateText())

    DeviceState& State() { return state_; }
    const DeviceState& State() const { return state_; }

    // Writes outside service mode are refused with status 0 (on by default).
    void SetStrictServiceMode(bool on) { strict_ = on; }
    bool StrictServiceMode() const { return strict_; }
    void SetPresent(int block, bool present);

    void AddFault(const FaultRule& rule) { rules_.push_back(rule); }
    void ClearFaults();
    // Each answer is damaged with this probability by a kind drawn from kinds (all when empty).
    void SetRandomFaults(double probability, uint32_t seed, std::vector<FaultKind> kinds = {});

    // Seconds since 1970 on the host; the default is the real time.
    void SetHostClock(std::function<int64_t()> now) { hostNow_ = std::move(now); }
    // The device clock now, as local-time seconds since 1970.
    int64_t DeviceTime() const;

    // Stream of request bytes in, answers out.  Frames with a wrong sum or marker are dropped
    // silently, as the device does; the stream resynchronises on the next start byte.
    std::vector<Reply> Feed(const uint8_t* data, size_t n);
    void ResetInput() { input_.clear(); }
    bool HasPartialInput() const { return !input_.empty(); }

    bool ServiceMode() const { return serviceMode_; }
    bool ShowingTexts() const { return showingTexts_; }
    const std::vector<LoggedRequest>& Log() const { return log_; }
    void ClearLog() { log_.clear(); }

    // The readable state file (docs/devsim.md).  Load keeps the values of keys it does not find.
    std::string DumpState() const;
    bool LoadState(const std::string& text, std::string* error = nullptr);

private:
    std::optional<Reply> handleFrame(const uint8_t* frame, size_t length);
    // The answer body (status, data) to a request; nullopt for silence.
    std::optional<std::vector<uint8_t>> answer(uint8_t address, const std::vector<uint8_t>& data);
    std::optional<std::vector<uint8_t>> gasAnalyser(const std::vector<uint8_t>& d);
    std::optional<std::vector<uint8_t>> interfaceBlock(const std::vector<uint8_t>& d);
    std::optional<std::vector<uint8_t>> rs485Block(const std::vector<uint8_t>& d);
    std::optional<std::vector<uint8_t>> ethernetBlock(const std::vector<uint8_t>& d);
    std::optional<std::vector<uint8_t>> ethernetFiles(const std::vector<uint8_t>& d);
    bool writeAllowed() const { return serviceMode_ || !strict_; }
    std::optional<FaultKind> pickFault(uint8_t address, const std::vector<uint8_t>& data);
    int64_t hostNow() const;

    DeviceState state_;
    bool strict_ = true;
    bool serviceMode_ = false;
    bool showingTexts_ = false;
    int eventPart_ = 0; // event packets taken since the last parameter write
    std::vector<uint8_t> pendingUpload_;
    std::vector<uint8_t> input_;
    std::vector<LoggedRequest> log_;
    std::vector<FaultRule> rules_;
    double faultProbability_ = 0;
    std::vector<FaultKind> faultKinds_;
    std::mt19937 rng_;
    std::function<int64_t()> hostNow_;
};

// The state a fresh simulator starts with, in the state-file format.
const char* DefaultStateText();

// Windows-1251 ↔ UTF-8, for the readable texts of the state file.
std::string Cp1251ToUtf8(std::string_view bytes);
std::optional<std::string> Utf8ToCp1251(std::string_view utf8);

} // namespace devsim
