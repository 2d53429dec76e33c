// The readable state file: load, dump and the default state.

#include "tools/devsim/DevSim.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <sstream>

namespace devsim {

namespace {

// Windows-1251 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.  0x98 is unassigned.
const char16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0000, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

char16_t cp1251ToUnicode(uint8_t b) {
    if (b < 0x80) return b;
    if (b >= 0xC0) return char16_t(0x0410 + (b - 0xC0));
    return kCp1251High[b - 0x80];
}

void appendUtf8(std::string& out, char16_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

std::string trim(std::string_view s) {
    size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a])))
        ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1])))
        --b;
    return std::string(s.substr(a, b - a));
}

std::vector<std::string> words(const std::string& s, char extraSeparator = ' ') {
    std::vector<std::string> out;
    std::string cur;
    for (char c : s) {
        if (std::isspace(static_cast<unsigned char>(c)) || c == extraSeparator) {
            if (!cur.empty()) out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) out.push_back(cur);
    return out;
}

bool parseUnsigned(const std::string& s, uint64_t max, uint64_t& v, int base = 0) {
    if (s.empty() || s[0] == '-') return false;
    try {
        size_t used = 0;
        v = std::stoull(s, &used, base);
        return used == s.size() && v <= max;
    } catch (...) {
        return false;
    }
}

// A quoted text: Windows-1251 bytes shown as UTF-8, \" \\ and \xNN escapes.
std::string quoteText(const uint8_t* p, size_t n) {
    while (n > 0 && p[n - 1] == ' ')
        --n; // the padding comes back on load
    std::string out = "\"";
    for (size_t i = 0; i < n; ++i) {
        uint8_t b = p[i];
        if (b == '"' || b == '\\') {
            out += '\\';
            out += char(b);
        } else if (b < 0x20 || b == 0x7F || b == 0x98) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", b);
            out += buf;
        } else {
            appendUtf8(out, cp1251ToUnicode(b));
        }
    }
    return out + "\"";
}

// The inverse of quoteText; pads with spaces to the field's width.
bool unquoteText(const std::string& s, uint8_t* p, size_t width, size_t* endPos = nullptr) {
    if (s.empty() || s[0] != '"') return false;
    std::string raw;
    size_t i = 1;
    for (; i < s.size() && s[i] != '"'; ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            ++i;
            if (s[i] == 'x' && i + 2 < s.size()) {
                uint64_t v;
                if (!parseUnsigned(s.substr(i + 1, 2), 255, v, 16)) return false;
                raw += char(v);
                i += 2;
                continue;
            }
            raw += s[i];
            continue;
        }
        // Collect a run of plain characters and convert it as UTF-8.
        size_t j = i;
        while (j < s.size() && s[j] != '"' && s[j] != '\\')
            ++j;
        auto bytes = Utf8ToCp1251(std::string_view(s).substr(i, j - i));
        if (!bytes) return false;
        raw += *bytes;
        i = j - 1;
    }
    if (i >= s.size()) return false; // no closing quote
    if (endPos)
        *endPos = i + 1;
    else if (!trim(std::string_view(s).substr(i + 1)).empty())
        return false;
    if (raw.size() > width) return false;
    for (size_t k = 0; k < width; ++k)
        p[k] = k < raw.size() ? uint8_t(raw[k]) : uint8_t(' ');
    return true;
}

enum class Kind { U8, Hex8, U16, U32, Version, BcdDigits, Date, DecBytes, HexBytes, Text, Ip, Mac };

struct Field {
    const char* section;
    const char* key;
    Kind kind;
    uint8_t* p;
    size_t width;
};

std::vector<Field> fieldTable(DeviceState& s) {
    uint8_t* g = s.gasParams.data();
    uint8_t* c = s.ifParams.data();
    uint8_t* r = s.rsParams.data();
    uint8_t* e = s.ethParams.data();
    return {
        {"gas", "firmware", Kind::Version, g, 2},
        {"gas", "serial", Kind::BcdDigits, s.gasSerial.data(), 4},
        {"gas", "production-date", Kind::Date, s.gasProduction.data(), 3},
        {"gas", "options", Kind::Hex8, g + 2, 1},
        {"gas", "blow-wait-s", Kind::U8, g + 3, 1},
        {"gas", "pulse-ms", Kind::U16, g + 4, 2},
        {"gas", "threshold-raw", Kind::U8, g + 6, 1},
        {"gas", "negative-view-s", Kind::U8, g + 7, 1},
        {"gas", "positive-view-s", Kind::U8, g + 8, 1},
        {"gas", "pressure-level", Kind::U8, g + 9, 1},
        {"gas", "blow-time-tenths", Kind::U8, g + 10, 1},
        {"gas", "units-code", Kind::Hex8, g + 11, 1},
        {"gas", "verification-date", Kind::Date, s.verifyDate.data(), 3},
        {"gas", "verification-months", Kind::U8, &s.verifyInterval, 1},
        {"gas", "text1.1", Kind::Text, s.gasTexts.data() + 0, 16},
        {"gas", "text1.2", Kind::Text, s.gasTexts.data() + 16, 16},
        {"gas", "text2.1", Kind::Text, s.gasTexts.data() + 32, 16},
        {"gas", "text2.2", Kind::Text, s.gasTexts.data() + 48, 16},
        {"gas", "text3.1", Kind::Text, s.gasTexts.data() + 64, 16},
        {"gas", "text3.2", Kind::Text, s.gasTexts.data() + 80, 16},
        {"gas", "text4.1", Kind::Text, s.gasTexts.data() + 96, 16},
        {"gas", "text4.2", Kind::Text, s.gasTexts.data() + 112, 16},

        {"interface", "firmware", Kind::Version, c, 2},
        {"interface", "serial", Kind::BcdDigits, s.ifSerial.data(), 4},
        {"interface", "outputs", Kind::Hex8, c + 2, 1},
        {"interface", "options", Kind::Hex8, c + 3, 1},
        {"interface", "output-pulse-ms", Kind::U16, c + 4, 2},
        {"interface", "wiegand-out-bits", Kind::U8, c + 6, 1},
        {"interface", "wiegand-in-bits", Kind::U8, c + 7, 1},
        {"interface", "wiegand-out-base-code", Kind::DecBytes, c + 8, 8},
        {"interface", "wiegand-in-test-card", Kind::DecBytes, c + 16, 8},
        {"interface", "wiegand-out-pulse-us", Kind::U16, c + 24, 2},
        {"interface", "wiegand-out-period-us", Kind::U16, c + 26, 2},
        {"interface", "wiegand-out-timeout-ms", Kind::U16, c + 28, 2},
        {"interface", "wiegand-in-timeout-ms", Kind::U16, c + 30, 2},
        {"interface", "text1.1", Kind::Text, s.ifTexts.data() + 0, 16},
        {"interface", "text1.2", Kind::Text, s.ifTexts.data() + 16, 16},
        {"interface", "text2.1", Kind::Text, s.ifTexts.data() + 32, 16},
        {"interface", "text2.2", Kind::Text, s.ifTexts.data() + 48, 16},

        {"rs485", "firmware", Kind::Version, r, 2},
        {"rs485", "serial", Kind::BcdDigits, s.rsSerial.data(), 4},
        {"rs485", "flags", Kind::Hex8, r + 2, 1},
        {"rs485", "latch-period-tenths", Kind::U8, r + 3, 1},
        {"rs485", "address1", Kind::U8, r + 4, 1},
        {"rs485", "address2", Kind::U8, r + 5, 1},
        {"rs485", "speed", Kind::U32, r + 6, 4},
        {"rs485", "input-functions", Kind::DecBytes, r + 10, 8},
        {"rs485", "output-functions", Kind::DecBytes, r + 18, 8},
        {"rs485", "text-led-buzzer-functions", Kind::DecBytes, r + 26, 8},
        {"rs485", "reader-text1", Kind::Text, r + 34, 32},
        {"rs485", "reader-text2", Kind::Text, r + 66, 32},
        {"rs485", "virtual-inputs", Kind::HexBytes, r + 98, 8},
        {"rs485", "blocked-duration-tenths", Kind::U8, r + 106, 1},
        {"rs485", "base-code", Kind::U8, r + 107, 1},
        {"rs485", "base-card", Kind::U16, r + 108, 2},
        {"rs485", "send-flags", Kind::Hex8, r + 110, 1},
        {"rs485", "add-flags", Kind::Hex8, r + 111, 1},
        {"rs485", "codes", Kind::DecBytes, r + 112, 8},
        {"rs485", "key-codes", Kind::DecBytes, r + 120, 20},

        {"ethernet", "firmware", Kind::Version, e, 2},
        {"ethernet", "serial", Kind::BcdDigits, s.ethSerial.data(), 4},
        {"ethernet", "mac", Kind::Mac, s.mac.data(), 6},
        {"ethernet", "gateway", Kind::Ip, e + 2, 4},
        {"ethernet", "mask", Kind::Ip, e + 6, 4},
        {"ethernet", "ip", Kind::Ip, e + 10, 4},
        {"ethernet", "port", Kind::U16, e + 14, 2},
        {"ethernet", "options", Kind::Hex8, e + 16, 1},
        {"ethernet", "link-mode", Kind::U8, e + 17, 1},
    };
}

std::string hexNibbles(const uint8_t* p, size_t n) {
    std::string out;
    char buf[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, "%X%X", p[i] >> 4, p[i] & 0x0F);
        out += buf;
    }
    return out;
}

std::string formatField(const Field& f) {
    char buf[64];
    const uint8_t* p = f.p;
    switch (f.kind) {
    case Kind::U8:
        return std::to_string(p[0]);
    case Kind::Hex8:
        std::snprintf(buf, sizeof buf, "0x%02X", p[0]);
        return buf;
    case Kind::U16:
        return std::to_string(p[0] | p[1] << 8);
    case Kind::U32:
        return std::to_string(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                              uint32_t(p[3]) << 24);
    case Kind::Version:
        return hexNibbles(p, 1) + "." + hexNibbles(p + 1, 1);
    case Kind::BcdDigits:
        return hexNibbles(p, f.width);
    case Kind::Date:
        return "20" + hexNibbles(p + 2, 1) + "-" + hexNibbles(p + 1, 1) + "-" + hexNibbles(p, 1);
    case Kind::DecBytes:
    case Kind::HexBytes: {
        std::string out;
        for (size_t i = 0; i < f.width; ++i) {
            if (i) out += ' ';
            if (f.kind == Kind::HexBytes) {
                std::snprintf(buf, sizeof buf, "%02X", p[i]);
                out += buf;
            } else {
                out += std::to_string(p[i]);
            }
        }
        return out;
    }
    case Kind::Text:
        return quoteText(p, f.width);
    case Kind::Ip:
        std::snprintf(buf, sizeof buf, "%d.%d.%d.%d", p[0], p[1], p[2], p[3]);
        return buf;
    case Kind::Mac:
        std::snprintf(buf, sizeof buf, "%02X:%02X:%02X:%02X:%02X:%02X", p[0], p[1], p[2], p[3], p[4], p[5]);
        return buf;
    }
    return {};
}

// Digits "0".."9" (and the nibbles 10..15 as hex letters) into packed BCD bytes.
bool parseNibbles(const std::string& s, uint8_t* p, size_t n) {
    if (s.size() != 2 * n) return false;
    for (size_t i = 0; i < n; ++i) {
        uint64_t v;
        if (!parseUnsigned(s.substr(2 * i, 2), 255, v, 16)) return false;
        p[i] = uint8_t(v);
    }
    return true;
}

bool parseField(const Field& f, const std::string& value) {
    uint8_t tmp[32] = {};
    uint64_t v = 0;
    switch (f.kind) {
    case Kind::U8:
    case Kind::Hex8:
    case Kind::U16:
    case Kind::U32: {
        const uint64_t max = f.width == 1 ? 0xFF : f.width == 2 ? 0xFFFF : 0xFFFFFFFFu;
        if (!parseUnsigned(value, max, v)) return false;
        for (size_t i = 0; i < f.width; ++i)
            f.p[i] = uint8_t(v >> (8 * i));
        return true;
    }
    case Kind::Version:
        if (value.size() != 5 || value[2] != '.') return false;
        if (!parseNibbles(value.substr(0, 2) + value.substr(3, 2), tmp, 2)) return false;
        break;
    case Kind::BcdDigits:
        if (!parseNibbles(value, tmp, f.width)) return false;
        break;
    case Kind::Date: // YYYY-MM-DD, 2000..2099
        if (value.size() != 10 || value.compare(0, 2, "20") != 0 || value[4] != '-' || value[7] != '-')
            return false;
        if (!parseNibbles(value.substr(8, 2) + value.substr(5, 2) + value.substr(2, 2), tmp, 3)) return false;
        break;
    case Kind::DecBytes:
    case Kind::HexBytes: {
        auto w = words(value, ',');
        if (w.size() != f.width) return false;
        for (size_t i = 0; i < w.size(); ++i) {
            if (!parseUnsigned(w[i], 255, v, f.kind == Kind::HexBytes ? 16 : 10)) return false;
            tmp[i] = uint8_t(v);
        }
        break;
    }
    case Kind::Text:
        if (!unquoteText(value, tmp, f.width)) return false;
        break;
    case Kind::Ip: {
        std::string s = value;
        for (char& ch : s)
            if (ch == '.') ch = ' ';
        auto w = words(s);
        if (w.size() != 4 || std::count(value.begin(), value.end(), '.') != 3) return false;
        for (size_t i = 0; i < 4; ++i) {
            if (!parseUnsigned(w[i], 255, v, 10)) return false;
            tmp[i] = uint8_t(v);
        }
        break;
    }
    case Kind::Mac: {
        auto w = words(value, ':');
        if (w.size() != 6) return false;
        for (size_t i = 0; i < 6; ++i) {
            if (w[i].size() != 2 || !parseUnsigned(w[i], 255, v, 16)) return false;
            tmp[i] = uint8_t(v);
        }
        break;
    }
    }
    std::copy(tmp, tmp + f.width, f.p);
    return true;
}

std::string formatClock(int64_t t) {
    std::time_t tt = std::time_t(t);
    std::tm tm{};
    gmtime_r(&tt, &tm);
    char buf[80];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min);
    return buf;
}

bool parseClock(const std::string& s, int64_t& t) {
    std::tm tm{};
    int y, mo, d, h, mi;
    char tail;
    if (std::sscanf(s.c_str(), "%4d-%2d-%2d %2d:%2d%c", &y, &mo, &d, &h, &mi, &tail) != 5) return false;
    if (y < 2000 || y > 2099 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || h < 0 || mi < 0)
        return false;
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    t = int64_t(timegm(&tm));
    return true;
}

const char* const kBlockNames[] = {"", "interface", "rs485", "ethernet"};

} // namespace

std::string Cp1251ToUtf8(std::string_view bytes) {
    std::string out;
    for (char ch : bytes) {
        char16_t c = cp1251ToUnicode(uint8_t(ch));
        appendUtf8(out, c ? c : u'?');
    }
    return out;
}

std::optional<std::string> Utf8ToCp1251(std::string_view utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        uint8_t b = uint8_t(utf8[i]);
        char32_t c;
        size_t len;
        if (b < 0x80) {
            c = b;
            len = 1;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            len = 2;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            len = 3;
        } else {
            return std::nullopt; // nothing beyond the BMP maps to the code page
        }
        if (i + len > utf8.size()) return std::nullopt;
        for (size_t k = 1; k < len; ++k) {
            uint8_t cb = uint8_t(utf8[i + k]);
            if ((cb & 0xC0) != 0x80) return std::nullopt;
            c = (c << 6) | (cb & 0x3F);
        }
        i += len;
        if (c < 0x80) {
            out += char(c);
            continue;
        }
        int found = -1;
        for (int k = 0x80; k <= 0xFF && found < 0; ++k)
            if (cp1251ToUnicode(uint8_t(k)) == c) found = k;
        if (found < 0) return std::nullopt;
        out += char(found);
    }
    return out;
}

std::string DeviceSimulator::DumpState() const {
    DeviceState copy = state_;
    std::ostringstream out;
    out << "# kvt-devsim device state\n\n[device]\n";
    std::string present;
    for (int b = 1; b <= 3; ++b)
        if (state_.present[size_t(b)]) present += std::string(present.empty() ? "" : " ") + kBlockNames[b];
    out << "present = " << (present.empty() ? "none" : present) << "\n";
    out << "clock = " << (state_.clockFollowsHost ? std::string("host") : formatClock(DeviceTime())) << "\n";
    std::string section;
    for (const Field& f : fieldTable(copy)) {
        if (section != f.section) {
            if (section == "interface") {
                out << "events =";
                for (const auto& e : copy.events)
                    out << ' ' << hexNibbles(e.data(), 2);
                out << "\n";
            }
            section = f.section;
            out << "\n[" << section << "]\n";
        }
        out << f.key << " = " << formatField(f) << "\n";
    }
    out << "store-capacity = " << state_.storeCapacity << "\n";
    for (const auto& file : state_.files)
        out << "file = " << quoteText(reinterpret_cast<const uint8_t*>(file.name.data()), file.name.size())
            << ' ' << hexNibbles(file.data.data(), file.data.size()) << "\n";
    return out.str();
}

bool DeviceSimulator::LoadState(const std::string& text, std::string* error) {
    DeviceState s = state_;
    bool filesSeen = false;
    std::vector<Field> fields = fieldTable(s);
    std::istringstream in(text);
    std::string line, section;
    int lineNo = 0;
    auto fail = [&](const std::string& why) {
        if (error) *error = "line " + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNo;
        std::string t = trim(line);
        if (t.empty() || t[0] == '#') continue;
        if (t.front() == '[') {
            if (t.back() != ']') return fail("bad section header");
            section = trim(std::string_view(t).substr(1, t.size() - 2));
            if (section != "device" && section != "gas" && section != "interface" && section != "rs485" &&
                section != "ethernet")
                return fail("unknown section [" + section + "]");
            continue;
        }
        size_t eq = t.find('=');
        if (eq == std::string::npos) return fail("expected key = value");
        std::string key = trim(std::string_view(t).substr(0, eq));
        std::string value = trim(std::string_view(t).substr(eq + 1));
        if (section == "device" && key == "present") {
            s.present = {true, false, false, false};
            for (const std::string& w : words(value, ',')) {
                if (w == "none") continue;
                int b = 0;
                for (int k = 1; k <= 3; ++k)
                    if (w == kBlockNames[k] || w == std::to_string(k)) b = k;
                if (!b) return fail("unknown block " + w);
                s.present[size_t(b)] = true;
            }
        } else if (section == "device" && key == "clock") {
            if (value == "host") {
                s.clockFollowsHost = true;
            } else {
                if (!parseClock(value, s.clockBase)) return fail("bad clock (YYYY-MM-DD hh:mm or host)");
                s.clockSetHost = hostNow();
                s.clockFollowsHost = false;
            }
        } else if (section == "interface" && key == "events") {
            s.events.clear();
            for (const std::string& w : words(value, ',')) {
                uint64_t v;
                if (w.size() != 4 || !parseUnsigned(w, 0xFFFF, v, 16)) return fail("bad event " + w);
                s.events.push_back({uint8_t(v >> 8), uint8_t(v)});
            }
            if (s.events.size() > kMaxEvents) return fail("more than 128 events");
        } else if (section == "ethernet" && key == "store-capacity") {
            uint64_t v;
            if (!parseUnsigned(value, 0xFFFFFFFFu, v)) return fail("bad store-capacity");
            s.storeCapacity = uint32_t(v);
        } else if (section == "ethernet" && key == "file") {
            if (!filesSeen) s.files.clear(); // the file lines of a state replace the store
            filesSeen = true;
            uint8_t name[256];
            size_t end = 0;
            if (!unquoteText(value, name, 249, &end)) return fail("bad file name");
            std::string n(reinterpret_cast<char*>(name), 249);
            while (!n.empty() && n.back() == ' ')
                n.pop_back();
            std::string hex = trim(std::string_view(value).substr(end));
            EthFile file{n, std::vector<uint8_t>(hex.size() / 2)};
            if (n.empty() || hex.empty() || file.data.size() > kMaxFileSize ||
                !parseNibbles(hex, file.data.data(), file.data.size()))
                return fail("bad file contents");
            if (s.files.size() >= kMaxFiles) return fail("too many files");
            s.files.push_back(std::move(file));
        } else {
            auto f = std::find_if(fields.begin(), fields.end(),
                                  [&](const Field& x) { return section == x.section && key == x.key; });
            if (f == fields.end()) return fail("unknown key " + key + " in [" + section + "]");
            if (!parseField(*f, value)) return fail("bad value for " + key + ": " + value);
        }
    }
    state_ = std::move(s);
    return true;
}

const char* DefaultStateText() {
    return R"(# kvt-devsim device state
[device]
present = interface rs485 ethernet
clock = host

[gas]
firmware = 02.15
serial = 00123456
production-date = 2023-05-17
options = 0x4B
blow-wait-s = 30
pulse-ms = 1000
threshold-raw = 15
negative-view-s = 3
positive-view-s = 5
pressure-level = 40
blow-time-tenths = 25
units-code = 0x00
verification-date = 2024-02-01
verification-months = 12
text1.1 = "Готов к работе"
text1.2 = "Сделайте выдох"
text2.1 = "Алкоголь"
text2.2 = "не обнаружен"
text3.1 = "Ниже порога"
text3.2 = "Проход разрешен"
text4.1 = "Выше порога!"
text4.2 = "Проход запрещен"

[interface]
firmware = 01.07
serial = 00234567
outputs = 0x30
options = 0x6F
output-pulse-ms = 500
wiegand-out-bits = 26
wiegand-in-bits = 26
wiegand-out-base-code = 0 0 0 0 0 0 0 0
wiegand-in-test-card = 0 0 0 0 0 18 52 86
wiegand-out-pulse-us = 100
wiegand-out-period-us = 1000
wiegand-out-timeout-ms = 300
wiegand-in-timeout-ms = 250
text1.1 = "Пройдите"
text1.2 = "тест"
text2.1 = "Доступ"
text2.2 = "запрещен"
events = 0801 1002 1903

[rs485]
firmware = 01.12
serial = 00345678
flags = 0x40
latch-period-tenths = 30
address1 = 1
address2 = 2
speed = 9600
input-functions = 0 1 3 5 7 0 0 0
output-functions = 9 11 13 15 0 0 0 0
text-led-buzzer-functions = 0 0 33 35 0 0 0 0
reader-text1 = "Подойдите к алкотестеру"
reader-text2 = "Проход разрешен"
virtual-inputs = 00 00 00 00 00 00 00 00
blocked-duration-tenths = 20
base-code = 10
base-card = 1000
send-flags = 0x07
add-flags = 0x00
codes = 11 12 13 14 15 16 17 18
key-codes = 0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19

[ethernet]
firmware = 01.05
serial = 20230117
mac = 02:4B:56:54:00:01
gateway = 192.168.0.1
mask = 255.255.255.0
ip = 192.168.0.10
port = 80
options = 0x60
link-mode = 5
store-capacity = 262144
file = "index.htm" 3C68746D6C3E3C626F64793E4B56543C2F626F64793E3C2F68746D6C3E0A
file = "descr_ru.json" 7B226C616E67223A227275227D0A
file = "descr_en.json" 7B226C616E67223A22656E227D0A
)";
}

} // namespace devsim
