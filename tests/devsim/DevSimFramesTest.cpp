// Answers of the simulated device, checked against byte layouts written out by hand.

#include "tools/devsim/DevSim.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

using devsim::DeviceSimulator;
using Bytes = std::vector<uint8_t>;

namespace {

// A small state with ASCII texts and a known file store, so that the expected answers below can
// be written out byte by byte.
const char* kFixture = R"(
[device]
present = interface rs485 ethernet
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
units-code = 0x32
verification-date = 2024-02-01
verification-months = 12
text1.1 = "READY"
text1.2 = "BLOW"
[interface]
firmware = 01.07
serial = 00234567
outputs = 0x35
options = 0x6F
output-pulse-ms = 500
wiegand-out-bits = 26
wiegand-in-bits = 34
wiegand-out-base-code = 1 2 3 4 5 6 7 8
wiegand-in-test-card = 0 0 0 0 0 18 52 86
wiegand-out-pulse-us = 100
wiegand-out-period-us = 1000
wiegand-out-timeout-ms = 300
wiegand-in-timeout-ms = 250
text1.1 = "A"
text1.2 = "B"
text2.1 = "C"
text2.2 = "D"
events = 0801 1002 1903
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
file = "a.htm" 3C703E
file = "b.json" 7B7D
)";

// The checksum is the only byte not written out by hand: the 8-bit sum of the others.
Bytes withSum(Bytes f) {
    int sum = 0;
    for (uint8_t b : f)
        sum += b;
    f.push_back(uint8_t(sum));
    return f;
}

Bytes frame(std::initializer_list<int> bytes) {
    Bytes f;
    for (int b : bytes)
        f.push_back(uint8_t(b));
    return withSum(f);
}

Bytes spaces(size_t n) {
    return Bytes(n, 0x20);
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes request(uint8_t address, const Bytes& data) {
    return withSum(Bytes{0xAA, uint8_t(data.size() + 5), address, 0xA1} + data);
}

class DevSimFrames : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim.LoadState(kFixture, &error)) << error;
    }
    // One request in, the bytes of its answer out (empty: no answer).
    Bytes ask(uint8_t address, const Bytes& data) {
        Bytes f = request(address, data);
        auto replies = sim.Feed(f.data(), f.size());
        EXPECT_LE(replies.size(), 1u);
        return replies.empty() ? Bytes{} : replies[0].bytes;
    }
    DeviceSimulator sim;
};

} // namespace

TEST_F(DevSimFrames, PresenceQueryAsTheLinkSendsIt) {
    // The request exactly as the tool puts it on the wire.
    const Bytes wire{0xAA, 0x07, 0x00, 0xA1, 0xC5, 0x02, 0x19};
    auto replies = sim.Feed(wire.data(), wire.size());
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].bytes, (Bytes{0xAA, 0x06, 0x00, 0xA1, 0x01, 0x52}));
    sim.SetPresent(2, false);
    EXPECT_EQ(ask(0, {0xC5, 0x02}), frame({0xAA, 0x06, 0x00, 0xA1, 0x00}));
    EXPECT_EQ(ask(2, {0xC2}), Bytes{}) << "an absent block does not answer";
}

TEST_F(DevSimFrames, ReadAnswersFollowTheBlockLayouts) {
    struct Case {
        const char* what;
        uint8_t address;
        Bytes data;
        Bytes expected;
    };
    const Case cases[] = {
        {"gas parameters",
         0,
         {0xC3},
         frame({0xAA, 0x12, 0x00, 0xA1, 0x3C, 0x02, 0x15, 0x4B, 30, 0xE8, 0x03, 15, 3, 5, 40, 25, 0x32})},
        {"gas serial and production date",
         0,
         {0xC2},
         frame({0xAA, 0x0D, 0x00, 0xA1, 0x2C, 0x00, 0x12, 0x34, 0x56, 0x17, 0x05, 0x23})},
        {"gas verification", 0, {0xC6}, frame({0xAA, 0x0A, 0x00, 0xA1, 0x6C, 0x01, 0x02, 0x24, 12})},
        {"gas text line 1",
         0,
         {0xC4, 0x00},
         withSum(Bytes{0xAA, 0x26, 0x00, 0xA1, 0x4C, 'R', 'E', 'A', 'D', 'Y'} + spaces(11) +
                 Bytes{'B', 'L', 'O', 'W'} + spaces(12))},
        {"gas text index out of range", 0, {0xC4, 0x04}, frame({0xAA, 0x06, 0x00, 0xA1, 0x00})},
        {"interface serial", 1, {0xC2}, frame({0xAA, 0x0A, 0x01, 0xA1, 0x2C, 0x00, 0x23, 0x45, 0x67})},
        {"interface parameters and events",
         1,
         {0xC3},
         frame({0xAA, 38 + 6, 0x01, 0xA1, 0x3C, 0x01, 0x07, 0x35, 0x6F, 0xF4, 0x01, 26,   34,  1,  2,
                3,    4,      5,    6,    7,    8,    0,    0,    0,    0,    0,    18,   52,  86, 0x64,
                0x00, 0xE8,   0x03, 0x2C, 0x01, 0xFA, 0x00, 0x08, 0x01, 0x10, 0x02, 0x19, 0x03})},
        {"interface events part 2, none", 1, {0xC4}, frame({0xAA, 0x06, 0x01, 0xA1, 0x00})},
        {"interface texts",
         1,
         {0xC5},
         withSum(Bytes{0xAA, 70, 0x01, 0xA1, 0x5C, 'A'} + spaces(15) + Bytes{'B'} + spaces(15) + Bytes{'C'} +
                 spaces(15) + Bytes{'D'} + spaces(15))},
        {"ethernet MAC",
         3,
         {0xC1},
         frame({0xAA, 0x0C, 0x03, 0xA1, 0x1C, 0x02, 0x4B, 0x56, 0x54, 0x00, 0x01})},
        {"ethernet serial", 3, {0xC2}, frame({0xAA, 0x0A, 0x03, 0xA1, 0x2C, 0x20, 0x23, 0x01, 0x17})},
        {"ethernet parameters", 3, {0xC3}, frame({0xAA, 0x18, 0x03, 0xA1, 0x3C, 0x01, 0x05, 192,
                                                  168,  0,    1,    255,  255,  255,  0,    192,
                                                  168,  0,    10,   80,   0,    0x60, 5})},
        {"ethernet file list",
         3,
         {0xD4, 0x00},
         frame({0xAA, 0x10, 0x03, 0xA1, 0x4D, 0x00, 2, 5, 0, 0, 0, 0x00, 0x00, 0x04, 0x00})},
        {"ethernet file 1",
         3,
         {0xD4, 0x04, 0x01},
         frame({0xAA, 11 + 6, 0x03, 0xA1, 0x4D, 0x04, 2, 0, 0, 0, 'b', '.', 'j', 's', 'o', 'n'})},
        {"ethernet file beyond the list", 3, {0xD4, 0x04, 0x02}, frame({0xAA, 0x06, 0x03, 0xA1, 0x02})},
        {"unknown command", 2, {0xC7}, frame({0xAA, 0x06, 0x02, 0xA1, 0x00})},
        {"no block at address 4", 4, {0xC3}, Bytes{}},
    };
    for (const Case& c : cases) {
        if (!c.expected.empty()) {
            EXPECT_EQ(c.expected[1], c.expected.size()) << c.what << ": length byte";
        }
        EXPECT_EQ(ask(c.address, c.data), c.expected) << c.what;
    }
}

TEST_F(DevSimFrames, Rs485ParameterGroupOffsets) {
    Bytes a = ask(2, {0xC3});
    ASSERT_EQ(a.size(), 146u);
    EXPECT_EQ(a[1], 146);
    EXPECT_EQ(a[4], 0x3C);
    sim.LoadState(
        "[rs485]\nspeed = 9600\nflags = 0x0A\nreader-text1 = \"OPEN\"\nkey-codes = 1 2 3 4 5 6 7 8 9 10 "
        "11 12 13 14 15 16 17 18 19 20\nvirtual-inputs = 8F 00 00 00 00 00 00 01\n");
    a = ask(2, {0xC3});
    EXPECT_EQ((Bytes(a.begin() + 11, a.begin() + 15)), (Bytes{0x80, 0x25, 0x00, 0x00}));
    EXPECT_EQ(a[7], 0x0A);
    EXPECT_EQ((Bytes(a.begin() + 39, a.begin() + 71)), (Bytes{'O', 'P', 'E', 'N'} + spaces(28)));
    EXPECT_EQ(a[103], 0x8F);
    EXPECT_EQ(a[110], 0x01);
    EXPECT_EQ(a[125], 1);
    EXPECT_EQ(a[144], 20);
}

TEST_F(DevSimFrames, ClockReadAndSet) {
    int64_t host = 1'700'000'000;
    sim.SetHostClock([&] { return host; });
    sim.LoadState("[device]\nclock = 2023-12-31 23:59\n");
    EXPECT_EQ(ask(0, {0xC1}), frame({0xAA, 0x0B, 0x00, 0xA1, 0x1C, 0x31, 0x12, 0x23, 0x23, 0x59}));
    host += 61; // the device clock runs on
    EXPECT_EQ(ask(0, {0xC1}), frame({0xAA, 0x0B, 0x00, 0xA1, 0x1C, 0x01, 0x01, 0x24, 0x00, 0x00}));

    ASSERT_EQ(ask(0, {0xD0, 0x01})[4], 1);
    // 5 March 2024, 14:07
    EXPECT_EQ(ask(0, {0xD1, 0x05, 0x03, 0x24, 0x14, 0x07}), frame({0xAA, 0x06, 0x00, 0xA1, 0x01}));
    EXPECT_EQ(ask(0, {0xC1}), frame({0xAA, 0x0B, 0x00, 0xA1, 0x1C, 0x05, 0x03, 0x24, 0x14, 0x07}));
    for (const Bytes& bad :
         {Bytes{0xD1, 0x32, 0x03, 0x24, 0x14, 0x07}, Bytes{0xD1, 0x05, 0x13, 0x24, 0x14, 0x07},
          Bytes{0xD1, 0x05, 0x03, 0x24, 0x24, 0x07}, Bytes{0xD1, 0x05, 0x03, 0x2A, 0x14, 0x07},
          Bytes{0xD1, 0x05, 0x03, 0x24, 0x14}})
        EXPECT_EQ(ask(0, bad)[4], 0) << "invalid clock payload refused";
    EXPECT_EQ(ask(0, {0xC1})[9], 0x07);
}

TEST_F(DevSimFrames, WritesReadBackAndKeepTheFirmware) {
    ASSERT_EQ(ask(0, {0xD0, 0x01}), frame({0xAA, 0x06, 0x00, 0xA1, 0x01}));

    const Bytes gas{0xD3, 0x09, 0x99, 0x81, 45, 0x10, 0x27, 20, 2, 9, 60, 15, 0x10};
    EXPECT_EQ(ask(0, gas)[4], 1);
    EXPECT_EQ(ask(0, {0xC3}), frame({0xAA, 0x12, 0x00, 0xA1, 0x3C, 0x02, 0x15, 0x81, 45, 0x10, 0x27, 20, 2, 9,
                                     60, 15, 0x10}));

    EXPECT_EQ(ask(0, {0xD6, 36})[4], 1);
    EXPECT_EQ(ask(0, {0xC6}), frame({0xAA, 0x0A, 0x00, 0xA1, 0x6C, 0x01, 0x02, 0x24, 36}));

    Bytes text{0xD4, 0x03};
    for (int i = 0; i < 32; ++i)
        text.push_back(uint8_t(0xC0 + i));
    EXPECT_EQ(ask(0, text)[4], 1);
    EXPECT_EQ(ask(0, {0xC4, 0x03}),
              withSum(Bytes{0xAA, 0x26, 0x00, 0xA1, 0x4C} + Bytes(text.begin() + 2, text.end())));

    Bytes rs(141);
    rs[0] = 0xD3;
    for (size_t i = 1; i < rs.size(); ++i)
        rs[i] = uint8_t(i * 7);
    EXPECT_EQ(ask(2, rs)[4], 1);
    Bytes a = ask(2, {0xC3});
    ASSERT_EQ(a.size(), 146u);
    EXPECT_EQ(a[5], 0x01); // firmware 01.12 of the default state stays
    EXPECT_EQ(a[6], 0x12);
    EXPECT_EQ(Bytes(a.begin() + 7, a.end() - 1), Bytes(rs.begin() + 3, rs.end()));

    const Bytes eth{0xD3, 0, 0, 10, 0, 0, 1, 255, 0, 0, 0, 10, 0, 0, 5, 0x90, 0x1F, 0x1F, 3};
    EXPECT_EQ(ask(3, eth)[4], 1);
    EXPECT_EQ(ask(3, {0xC3}), frame({0xAA, 0x18, 0x03, 0xA1, 0x3C, 0x01, 0x05, 10,   0,    0,    1, 255,
                                     0,    0,    0,    10,   0,    0,    5,    0x90, 0x1F, 0x1F, 3}));

    Bytes params(33);
    params[0] = 0xD3;
    for (size_t i = 3; i < params.size(); ++i)
        params[i] = uint8_t(100 + i);
    EXPECT_EQ(ask(1, params)[4], 1);
    Bytes texts(65, 'x');
    texts[0] = 0xD5;
    EXPECT_EQ(ask(1, texts)[4], 1);
    a = ask(1, {0xC3});
    EXPECT_EQ(Bytes(a.begin() + 7, a.begin() + 37), Bytes(params.begin() + 3, params.end()));
    EXPECT_EQ(ask(1, {0xC5}), withSum(Bytes{0xAA, 70, 0x01, 0xA1, 0x5C} + Bytes(64, 'x')));
}

TEST_F(DevSimFrames, WritesOutsideServiceModeAreRefused) {
    const std::pair<uint8_t, Bytes> writes[] = {
        {0, Bytes{0xD3, 0, 0, 0xFF, 1, 1, 0, 1, 1, 1, 1, 1, 0}},
        {0, Bytes{0xD6, 1}},
        {0, Bytes{0xD4, 0} + Bytes(32, 'z')},
        {0, Bytes{0xD1, 0x01, 0x01, 0x25, 0x00, 0x00}},
        {0, Bytes{0xD5}},
        {1, Bytes(33, 0xD3)},
        {1, Bytes{0xD4, 0x01, 0x02}},
        {1, Bytes(65, 0xD5)},
        {2, Bytes(141, 0xD3)},
        {3, Bytes(19, 0xD3)},
    };
    const std::string before = sim.DumpState();
    for (const auto& [address, data] : writes)
        EXPECT_EQ(ask(address, data), withSum(Bytes{0xAA, 0x06, address, 0xA1, 0x00}))
            << "address " << int(address) << " command " << std::hex << int(data[0]);
    EXPECT_EQ(sim.DumpState(), before);
    EXPECT_FALSE(sim.ShowingTexts());

    sim.SetStrictServiceMode(false);
    for (const auto& [address, data] : writes)
        EXPECT_EQ(ask(address, data)[4], 1) << "lenient: address " << int(address);
    EXPECT_NE(sim.DumpState(), before);
    // File commands never need service mode.
    sim.SetStrictServiceMode(true);
    EXPECT_EQ(ask(3, {0xD4, 0x03, 0x00})[4], 1);
}

TEST_F(DevSimFrames, ServiceModeAndTextDisplay) {
    EXPECT_FALSE(sim.ServiceMode());
    ask(0, {0xD0, 0x01});
    EXPECT_TRUE(sim.ServiceMode());
    EXPECT_EQ(ask(0, {0xD5}), frame({0xAA, 0x06, 0x00, 0xA1, 0x01}));
    EXPECT_TRUE(sim.ShowingTexts());
    EXPECT_EQ(ask(0, {0xD0, 0x00}), frame({0xAA, 0x06, 0x00, 0xA1, 0x01}));
    EXPECT_FALSE(sim.ServiceMode());
    EXPECT_FALSE(sim.ShowingTexts()) << "leaving service mode ends the display";
    EXPECT_EQ(ask(0, {0xD0, 0x02})[4], 0);
}

TEST_F(DevSimFrames, EventPacketsReplaceTheTableInTwoParts) {
    ask(0, {0xD0, 0x01});
    auto packet = [](int from, int count) {
        Bytes p{0xD4};
        for (int i = from; i < from + count; ++i)
            p = p + Bytes{uint8_t(i), uint8_t(0x80 | i)};
        return p;
    };
    ASSERT_EQ(ask(1, Bytes(33, 0xD3))[4], 1);
    ASSERT_EQ(ask(1, packet(0, 64))[4], 1);
    ASSERT_EQ(ask(1, packet(64, 1))[4], 1);
    EXPECT_EQ(ask(1, packet(65, 1))[4], 0) << "a third packet has no place";
    ASSERT_EQ(sim.State().events.size(), 65u);

    Bytes c3 = ask(1, {0xC3});
    EXPECT_EQ(c3[1], 38 + 128);
    const Bytes part1 = packet(0, 64);
    EXPECT_EQ(Bytes(c3.begin() + 37, c3.end() - 1), Bytes(part1.begin() + 1, part1.end()));
    EXPECT_EQ(ask(1, {0xC4}), frame({0xAA, 0x08, 0x01, 0xA1, 0x4C, 64, 0x80 | 64}));

    // The next write of the block starts over with part 1: one short packet leaves three events.
    ASSERT_EQ(ask(1, Bytes(33, 0xD3))[4], 1);
    ASSERT_EQ(ask(1, packet(7, 3))[4], 1);
    EXPECT_EQ(sim.State().events.size(), 3u);
    EXPECT_EQ(ask(1, {0xC4}), frame({0xAA, 0x06, 0x01, 0xA1, 0x00}));
    EXPECT_EQ(ask(1, Bytes{0xD4, 0x01})[4], 0) << "an odd event byte is refused";
}

TEST_F(DevSimFrames, FileStoreUploadListAndDelete) {
    // A 450-byte file in chunks of 200, 200 and 50, then named.
    Bytes content(450);
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = uint8_t(i);
    for (size_t off = 0; off < content.size(); off += 200) {
        size_t n = std::min<size_t>(200, content.size() - off);
        EXPECT_EQ(ask(3, Bytes{0xD4, 0x01} +
                             Bytes(content.begin() + long(off), content.begin() + long(off + n)))[4],
                  1);
    }
    EXPECT_EQ(ask(3, Bytes{0xD4, 0x02, 'i', 'n', 'd', 'e', 'x', '.', 'h', 't', 'm'})[4], 1);
    EXPECT_EQ(ask(3, {0xD4, 0x00}), frame({0xAA, 0x10, 0x03, 0xA1, 0x4D, 0x00, 3, 0xC7, 0x01, 0, 0, 0x00,
                                           0x00, 0x04, 0x00})); // 5 + 450 bytes in use
    EXPECT_EQ(ask(3, {0xD4, 0x04, 0x02}), frame({0xAA, 11 + 9, 0x03, 0xA1, 0x4D, 0x04, 0xC2, 0x01, 0, 0, 'i',
                                                 'n', 'd', 'e', 'x', '.', 'h', 't', 'm'}));
    ASSERT_EQ(sim.State().files.size(), 3u);
    EXPECT_EQ(sim.State().files[2].data, content);

    // Uploading a name that exists replaces that file in its place.
    ask(3, {0xD4, 0x01, 'x'});
    ask(3, {0xD4, 0x02, 'a', '.', 'h', 't', 'm'});
    ASSERT_EQ(sim.State().files.size(), 3u);
    EXPECT_EQ(sim.State().files[0].data, Bytes{'x'});

    // Errors answer 2: nothing to name, an index beyond the list.
    EXPECT_EQ(ask(3, {0xD4, 0x02, 'e', 'm', 'p', 't', 'y'})[4], 2);
    EXPECT_EQ(ask(3, {0xD4, 0x03, 0x03})[4], 2);
    // Chunks of an upload that never finished are dropped by the next list query.
    ask(3, {0xD4, 0x01, 'o', 'l', 'd'});
    ask(3, {0xD4, 0x00});
    ask(3, {0xD4, 0x01, 'n', 'e', 'w'});
    ask(3, {0xD4, 0x02, 'n'});
    EXPECT_EQ(sim.State().files.back().data, (Bytes{'n', 'e', 'w'}));

    EXPECT_EQ(ask(3, {0xD4, 0x03, 0x01})[4], 1);
    ASSERT_EQ(sim.State().files.size(), 3u);
    EXPECT_EQ(sim.State().files[1].name, "index.htm");
    EXPECT_EQ(ask(3, {0xD4, 0x03})[4], 1);
    EXPECT_EQ(ask(3, {0xD4, 0x00}),
              frame({0xAA, 0x10, 0x03, 0xA1, 0x4D, 0x00, 0, 0, 0, 0, 0, 0x00, 0x00, 0x04, 0x00}));
}

TEST_F(DevSimFrames, FileSizeAndStoreLimits) {
    Bytes chunk = Bytes{0xD4, 0x01} + Bytes(200, 0x55);
    for (int i = 0; i < 163; ++i)
        ASSERT_EQ(ask(3, chunk)[4], 1);
    EXPECT_EQ(ask(3, Bytes{0xD4, 0x01} + Bytes(100, 0x55))[4], 1) << "32700 bytes fit";
    EXPECT_EQ(ask(3, Bytes{0xD4, 0x01, 0x55})[4], 2) << "32701 do not";
    EXPECT_EQ(ask(3, {0xD4, 0x02, 'b', 'i', 'g'})[4], 1);
    EXPECT_EQ(sim.State().files.back().data.size(), 32700u);

    sim.State().storeCapacity = 32700 + 3 + 2 + 10;
    EXPECT_EQ(ask(3, Bytes{0xD4, 0x01} + Bytes(10, 1))[4], 1);
    EXPECT_EQ(ask(3, Bytes{0xD4, 0x01} + Bytes(1, 1))[4], 2) << "the store is full";
}

TEST_F(DevSimFrames, RequestStreamIsResynchronised) {
    Bytes one = request(0, {0xC5, 0x01});
    Bytes bad = request(0, {0xC5, 0x02});
    bad.back() ^= 0xFF;
    Bytes wrongMarker = request(0, {0xC5, 0x03});
    wrongMarker[3] = 0xA2;
    wrongMarker.back() = uint8_t(wrongMarker.back() + 1);
    Bytes stream = Bytes{0x00, 0xAA, 0x02, 0x13} + bad + wrongMarker + one + request(3, {0xC1});
    // Fed byte by byte: frames that straddle calls are put together.
    std::vector<devsim::Reply> replies;
    for (uint8_t b : stream)
        for (auto& r : sim.Feed(&b, 1))
            replies.push_back(r);
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0].bytes, frame({0xAA, 0x06, 0x00, 0xA1, 0x01}));
    EXPECT_EQ(replies[1].bytes[4], 0x1C);
    ASSERT_EQ(sim.Log().size(), 2u);
    EXPECT_EQ(sim.Log()[1].address, 3);
    EXPECT_EQ(sim.Log()[1].data, Bytes{0xC1});
}
