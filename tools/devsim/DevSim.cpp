// Frame handling, fault injection and the commands of the four blocks.

#include "tools/devsim/DevSim.h"

#include <algorithm>
#include <ctime>
#include <iterator>

namespace devsim {

namespace {

constexpr uint8_t stOk = 1;
constexpr uint8_t stRefused = 0;
constexpr uint8_t stFailed = 2; // also what a wrong-status fault answers: no command takes it for success
constexpr uint8_t stFileOk = 0x4D;

using Body = std::vector<uint8_t>;

// Read commands answer the command with its nibbles swapped.
uint8_t readStatus(uint8_t command) {
    return uint8_t((command << 4) | (command >> 4));
}

Body status(uint8_t s) {
    return Body{s};
}

template <typename Range> Body readAnswer(uint8_t command, const Range& r) {
    Body b{readStatus(command)};
    b.insert(b.end(), std::begin(r), std::end(r));
    return b;
}

void putLe32(Body& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}

uint8_t toBcd(int v) {
    return uint8_t((v / 10) << 4 | (v % 10));
}

// A BCD byte within [lo, hi], or -1.
int fromBcd(uint8_t b, int lo, int hi) {
    int h = b >> 4, l = b & 0x0F;
    if (h > 9 || l > 9) return -1;
    int v = h * 10 + l;
    return v < lo || v > hi ? -1 : v;
}

} // namespace

const std::vector<FaultKind>& AllFaultKinds() {
    static const std::vector<FaultKind> all{
        FaultKind::NoAnswer, FaultKind::BadSum, FaultKind::WrongStatus, FaultKind::ShortAnswer,
        FaultKind::Garbage,  FaultKind::Slow,   FaultKind::Late};
    return all;
}

const char* FaultKindName(FaultKind kind) {
    switch (kind) {
    case FaultKind::NoAnswer:
        return "noanswer";
    case FaultKind::BadSum:
        return "badsum";
    case FaultKind::WrongStatus:
        return "status";
    case FaultKind::ShortAnswer:
        return "short";
    case FaultKind::Garbage:
        return "garbage";
    case FaultKind::Slow:
        return "slow";
    case FaultKind::Late:
        return "late";
    }
    return "?";
}

std::optional<FaultKind> ParseFaultKind(std::string_view name) {
    for (FaultKind k : AllFaultKinds())
        if (name == FaultKindName(k)) return k;
    return std::nullopt;
}

std::optional<FaultRule> ParseFaultRule(std::string_view text, std::string* error) {
    auto fail = [&](const std::string& why) -> std::optional<FaultRule> {
        if (error) *error = "bad fault \"" + std::string(text) + "\": " + why;
        return std::nullopt;
    };
    FaultRule rule;
    size_t eq = text.find('=');
    if (eq == std::string_view::npos) return fail("expected ADDR:CMD[:SUB]=KIND[*N]");
    std::string_view where = text.substr(0, eq), what = text.substr(eq + 1);
    size_t star = what.find('*');
    if (star != std::string_view::npos) {
        try {
            rule.times = std::stoi(std::string(what.substr(star + 1)));
        } catch (...) {
            return fail("bad repeat count");
        }
        if (rule.times < 1) return fail("bad repeat count");
        what = what.substr(0, star);
    }
    auto kind = ParseFaultKind(what);
    if (!kind) return fail("unknown kind (noanswer, badsum, status, short, garbage, slow, late)");
    rule.kind = *kind;
    int* fields[] = {&rule.address, &rule.command, &rule.sub};
    size_t i = 0;
    while (!where.empty()) {
        if (i == 3) return fail("too many fields");
        size_t colon = where.find(':');
        std::string part(where.substr(0, colon));
        where = colon == std::string_view::npos ? std::string_view() : where.substr(colon + 1);
        if (part != "*") {
            try {
                size_t used = 0;
                int v = std::stoi(part, &used, i == 0 ? 10 : 16);
                if (used != part.size() || v < 0 || v > 255) return fail("bad number " + part);
                *fields[i] = v;
            } catch (...) {
                return fail("bad number " + part);
            }
        }
        ++i;
    }
    return rule;
}

uint8_t FrameSum(const uint8_t* p, size_t n) {
    uint8_t s = 0;
    for (size_t i = 0; i < n; ++i)
        s = uint8_t(s + p[i]);
    return s;
}

std::vector<uint8_t> MakeFrame(uint8_t address, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> f{kFrameStart, uint8_t(body.size() + 5), address, kFrameMarker};
    f.insert(f.end(), body.begin(), body.end());
    f.push_back(FrameSum(f.data(), f.size()));
    return f;
}

DeviceSimulator::DeviceSimulator() : rng_(1) {
    LoadState(DefaultStateText());
}

void DeviceSimulator::SetPresent(int block, bool present) {
    if (block >= 1 && block <= 3) state_.present[size_t(block)] = present;
}

void DeviceSimulator::ClearFaults() {
    rules_.clear();
    faultProbability_ = 0;
}

void DeviceSimulator::SetRandomFaults(double probability, uint32_t seed, std::vector<FaultKind> kinds) {
    faultProbability_ = probability;
    faultKinds_ = kinds.empty() ? AllFaultKinds() : std::move(kinds);
    rng_.seed(seed);
}

int64_t DeviceSimulator::hostNow() const {
    return hostNow_ ? hostNow_() : int64_t(std::time(nullptr));
}

int64_t DeviceSimulator::DeviceTime() const {
    if (!state_.clockFollowsHost) return state_.clockBase + (hostNow() - state_.clockSetHost);
    std::time_t now = std::time_t(hostNow());
    std::tm tm{};
    localtime_r(&now, &tm);
    return int64_t(timegm(&tm));
}

std::vector<Reply> DeviceSimulator::Feed(const uint8_t* data, size_t n) {
    input_.insert(input_.end(), data, data + n);
    std::vector<Reply> replies;
    size_t pos = 0;
    for (;;) {
        while (pos < input_.size() && input_[pos] != kFrameStart)
            ++pos;
        if (input_.size() - pos < 2) break;
        size_t len = input_[pos + 1];
        if (len < 6) { // no room for a command: not a frame start after all
            ++pos;
            continue;
        }
        if (input_.size() - pos < len) break;
        const uint8_t* f = input_.data() + pos;
        if (f[3] != kFrameMarker || FrameSum(f, len - 1) != f[len - 1]) {
            ++pos;
            continue;
        }
        if (auto r = handleFrame(f, len)) replies.push_back(std::move(*r));
        pos += len;
    }
    input_.erase(input_.begin(), input_.begin() + std::ptrdiff_t(pos));
    return replies;
}

std::optional<Reply> DeviceSimulator::handleFrame(const uint8_t* frame, size_t length) {
    const uint8_t address = frame[2];
    std::vector<uint8_t> data(frame + 4, frame + length - 1);
    log_.push_back({address, data});
    auto body = answer(address, data);
    if (!body) return std::nullopt;
    Reply reply;
    reply.bytes = MakeFrame(address, *body);
    auto fault = pickFault(address, data);
    if (!fault) return reply;
    switch (*fault) {
    case FaultKind::NoAnswer:
        return std::nullopt;
    case FaultKind::BadSum:
        reply.bytes.back() = uint8_t(reply.bytes.back() + 1);
        break;
    case FaultKind::WrongStatus:
        reply.bytes[4] = stFailed;
        reply.bytes.back() = FrameSum(reply.bytes.data(), reply.bytes.size() - 1);
        break;
    case FaultKind::ShortAnswer:
        reply.bytes.resize(std::max<size_t>(3, reply.bytes.size() / 2));
        break;
    case FaultKind::Garbage:
        reply.bytes.insert(reply.bytes.begin(), {0x13, 0x00, 0xFE});
        break;
    case FaultKind::Slow:
        reply.slow = true;
        break;
    case FaultKind::Late:
        reply.late = true;
        break;
    }
    return reply;
}

std::optional<FaultKind> DeviceSimulator::pickFault(uint8_t address, const std::vector<uint8_t>& data) {
    for (FaultRule& r : rules_) {
        if (r.times == 0) continue;
        if (r.address >= 0 && r.address != address) continue;
        if (r.command >= 0 && (data.empty() || r.command != data[0])) continue;
        if (r.sub >= 0 && (data.size() < 2 || r.sub != data[1])) continue;
        if (r.times > 0) --r.times;
        return r.kind;
    }
    if (faultProbability_ > 0 && !faultKinds_.empty()) {
        std::uniform_real_distribution<double> coin(0.0, 1.0);
        if (coin(rng_) < faultProbability_) {
            std::uniform_int_distribution<size_t> pick(0, faultKinds_.size() - 1);
            return faultKinds_[pick(rng_)];
        }
    }
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> DeviceSimulator::answer(uint8_t address,
                                                            const std::vector<uint8_t>& data) {
    if (address > blkEthernet) return std::nullopt; // nobody there
    if (address != blkGasAnalyser && !state_.present[address]) return std::nullopt;
    switch (address) {
    case blkGasAnalyser:
        return gasAnalyser(data);
    case blkInterface:
        return interfaceBlock(data);
    case blkRs485:
        return rs485Block(data);
    default:
        return ethernetBlock(data);
    }
}

std::optional<Body> DeviceSimulator::gasAnalyser(const Body& d) {
    const size_t n = d.size();
    switch (d[0]) {
    case 0xC1: {
        std::time_t t = std::time_t(DeviceTime());
        std::tm tm{};
        gmtime_r(&t, &tm);
        const uint8_t clock[] = {toBcd(tm.tm_mday), toBcd(tm.tm_mon + 1), toBcd((tm.tm_year + 1900) % 100),
                                 toBcd(tm.tm_hour), toBcd(tm.tm_min)};
        return readAnswer(0xC1, clock);
    }
    case 0xC2: {
        Body b = readAnswer(0xC2, state_.gasSerial);
        b.insert(b.end(), state_.gasProduction.begin(), state_.gasProduction.end());
        return b;
    }
    case 0xC3:
        return readAnswer(0xC3, state_.gasParams);
    case 0xC4:
        if (n != 2 || d[1] > 3) return status(stRefused);
        return readAnswer(0xC4, std::vector<uint8_t>(state_.gasTexts.begin() + 32 * d[1],
                                                     state_.gasTexts.begin() + 32 * (d[1] + 1)));
    case 0xC5:
        if (n != 2) return status(stRefused);
        return status(d[1] >= 1 && d[1] <= 3 && state_.present[d[1]] ? stOk : stRefused);
    case 0xC6: {
        Body b = readAnswer(0xC6, state_.verifyDate);
        b.push_back(state_.verifyInterval);
        return b;
    }
    case 0xD0:
        if (n != 2 || d[1] > 1) return status(stRefused);
        serviceMode_ = d[1] == 1;
        showingTexts_ = false; // entering or leaving service mode ends the text display
        eventPart_ = 0;
        return status(stOk);
    case 0xD1: {
        if (!writeAllowed() || n != 6) return status(stRefused);
        int day = fromBcd(d[1], 1, 31), month = fromBcd(d[2], 1, 12), year = fromBcd(d[3], 0, 99);
        int hour = fromBcd(d[4], 0, 23), minute = fromBcd(d[5], 0, 59);
        if (day < 0 || month < 0 || year < 0 || hour < 0 || minute < 0) return status(stRefused);
        std::tm tm{};
        tm.tm_mday = day;
        tm.tm_mon = month - 1;
        tm.tm_year = year + 100;
        tm.tm_hour = hour;
        tm.tm_min = minute;
        state_.clockBase = int64_t(timegm(&tm));
        state_.clockSetHost = hostNow();
        state_.clockFollowsHost = false;
        return status(stOk);
    }
    case 0xD3:
        if (!writeAllowed() || n != 13) return status(stRefused);
        // Bytes 1 and 2 carry the firmware version back; the device keeps its own.
        std::copy(d.begin() + 3, d.end(), state_.gasParams.begin() + 2);
        return status(stOk);
    case 0xD4:
        if (!writeAllowed() || n != 34 || d[1] > 3) return status(stRefused);
        std::copy(d.begin() + 2, d.end(), state_.gasTexts.begin() + 32 * d[1]);
        return status(stOk);
    case 0xD5:
        if (!writeAllowed() || n != 1) return status(stRefused);
        showingTexts_ = true;
        return status(stOk);
    case 0xD6:
        if (!writeAllowed() || n != 2) return status(stRefused);
        state_.verifyInterval = d[1];
        return status(stOk);
    default:
        return status(stRefused);
    }
}

std::optional<Body> DeviceSimulator::interfaceBlock(const Body& d) {
    const size_t n = d.size();
    auto& ev = state_.events;
    switch (d[0]) {
    case 0xC2:
        return readAnswer(0xC2, state_.ifSerial);
    case 0xC3: {
        Body b = readAnswer(0xC3, state_.ifParams);
        for (size_t i = 0; i < ev.size() && i < kEventsPerPacket; ++i)
            b.insert(b.end(), ev[i].begin(), ev[i].end());
        return b;
    }
    case 0xC4: {
        // The second part of the table; with no events beyond the first packet the block answers
        // status 0 and nothing else.
        if (ev.size() <= kEventsPerPacket) return status(0);
        Body b{readStatus(0xC4)};
        for (size_t i = kEventsPerPacket; i < ev.size(); ++i)
            b.insert(b.end(), ev[i].begin(), ev[i].end());
        return b;
    }
    case 0xC5:
        return readAnswer(0xC5, state_.ifTexts);
    case 0xD3:
        if (!writeAllowed() || n != 33) return status(stRefused);
        std::copy(d.begin() + 3, d.end(), state_.ifParams.begin() + 2);
        eventPart_ = 0; // a new write of the block: the next event packet is part 1
        return status(stOk);
    case 0xD5:
        if (!writeAllowed() || n != 65) return status(stRefused);
        std::copy(d.begin() + 1, d.end(), state_.ifTexts.begin());
        return status(stOk);
    case 0xD4: {
        // Part 1 replaces the table, part 2 (the next packet) continues it; the packets carry no
        // part number.
        const size_t pairs = (n - 1) / 2;
        if (!writeAllowed() || n < 3 || (n - 1) % 2 != 0 || pairs > kEventsPerPacket || eventPart_ >= 2)
            return status(stRefused);
        if (eventPart_ == 0) ev.clear();
        if (ev.size() + pairs > kMaxEvents) return status(stRefused);
        for (size_t i = 0; i < pairs; ++i)
            ev.push_back({d[1 + 2 * i], d[2 + 2 * i]});
        ++eventPart_;
        return status(stOk);
    }
    default:
        return status(stRefused);
    }
}

std::optional<Body> DeviceSimulator::rs485Block(const Body& d) {
    switch (d[0]) {
    case 0xC2:
        return readAnswer(0xC2, state_.rsSerial);
    case 0xC3:
        return readAnswer(0xC3, state_.rsParams);
    case 0xD3:
        if (!writeAllowed() || d.size() != 141) return status(stRefused);
        std::copy(d.begin() + 3, d.end(), state_.rsParams.begin() + 2);
        return status(stOk);
    default:
        return status(stRefused);
    }
}

std::optional<Body> DeviceSimulator::ethernetBlock(const Body& d) {
    switch (d[0]) {
    case 0xC1:
        return readAnswer(0xC1, state_.mac);
    case 0xC2:
        return readAnswer(0xC2, state_.ethSerial);
    case 0xC3:
        return readAnswer(0xC3, state_.ethParams);
    case 0xD3:
        if (!writeAllowed() || d.size() != 19) return status(stRefused);
        std::copy(d.begin() + 3, d.end(), state_.ethParams.begin() + 2);
        return status(stOk);
    case 0xD4:
        return ethernetFiles(d); // the file store works outside service mode too
    default:
        return status(stRefused);
    }
}

std::optional<Body> DeviceSimulator::ethernetFiles(const Body& d) {
    if (d.size() < 2) return status(stRefused);
    auto& files = state_.files;
    uint32_t used = 0;
    for (const auto& f : files)
        used += uint32_t(f.data.size());
    switch (d[1]) {
    case 0x00: {
        // A list query starts afresh: chunks of an upload that never finished are dropped.
        pendingUpload_.clear();
        Body b{stFileOk, 0x00, uint8_t(files.size())};
        putLe32(b, used);
        putLe32(b, state_.storeCapacity);
        return b;
    }
    case 0x04: {
        if (d.size() != 3 || d[2] >= files.size()) return status(stFailed);
        const EthFile& f = files[d[2]];
        Body b{stFileOk, 0x04};
        putLe32(b, uint32_t(f.data.size()));
        b.insert(b.end(), f.name.begin(), f.name.end());
        return b;
    }
    case 0x01: {
        const size_t chunk = d.size() - 2;
        if (chunk == 0) return status(stRefused);
        if (pendingUpload_.size() + chunk > kMaxFileSize ||
            used + pendingUpload_.size() + chunk > state_.storeCapacity)
            return status(stFailed);
        pendingUpload_.insert(pendingUpload_.end(), d.begin() + 2, d.end());
        return status(stOk);
    }
    case 0x02: {
        std::string name(d.begin() + 2, d.end());
        std::vector<uint8_t> data = std::move(pendingUpload_);
        pendingUpload_.clear();
        if (name.empty() || data.empty()) return status(stFailed);
        auto same =
            std::find_if(files.begin(), files.end(), [&](const EthFile& f) { return f.name == name; });
        if (same != files.end()) {
            same->data = std::move(data); // a file of that name is replaced where it stands
        } else {
            if (files.size() >= kMaxFiles) return status(stFailed);
            files.push_back({name, std::move(data)});
        }
        return status(stOk);
    }
    case 0x03:
        pendingUpload_.clear();
        if (d.size() == 2) {
            files.clear();
            return status(stOk);
        }
        if (d.size() != 3 || d[2] >= files.size()) return status(stFailed);
        files.erase(files.begin() + d[2]);
        return status(stOk);
    default:
        return status(stRefused);
    }
}

} // namespace devsim
