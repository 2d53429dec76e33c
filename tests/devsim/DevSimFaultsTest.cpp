// Damaged answers on request, per command or at random.

#include "tools/devsim/DevSim.h"

#include <gtest/gtest.h>

using devsim::DeviceSimulator;
using devsim::FaultKind;
using devsim::FaultRule;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes request(uint8_t address, Bytes data) {
    Bytes f{0xAA, uint8_t(data.size() + 5), address, 0xA1};
    f.insert(f.end(), data.begin(), data.end());
    int sum = 0;
    for (uint8_t b : f)
        sum += b;
    f.push_back(uint8_t(sum));
    return f;
}

std::vector<devsim::Reply> send(DeviceSimulator& sim, uint8_t address, const Bytes& data) {
    Bytes f = request(address, data);
    return sim.Feed(f.data(), f.size());
}

bool sumOk(const Bytes& f) {
    int sum = 0;
    for (size_t i = 0; i + 1 < f.size(); ++i)
        sum += f[i];
    return !f.empty() && uint8_t(sum) == f.back();
}

} // namespace

TEST(DevSimFaults, EachKindDamagesTheAnswerItsOwnWay) {
    DeviceSimulator clean;
    const Bytes good = send(clean, 0, {0xC3})[0].bytes; // 18 bytes, status 0x3C
    ASSERT_EQ(good.size(), 18u);

    struct Case {
        FaultKind kind;
        std::function<void(const std::vector<devsim::Reply>&)> check;
    };
    const Case cases[] = {
        {FaultKind::NoAnswer, [](const auto& r) { EXPECT_TRUE(r.empty()); }},
        {FaultKind::BadSum,
         [&](const auto& r) {
             ASSERT_EQ(r.size(), 1u);
             EXPECT_EQ(Bytes(r[0].bytes.begin(), r[0].bytes.end() - 1), Bytes(good.begin(), good.end() - 1));
             EXPECT_FALSE(sumOk(r[0].bytes));
         }},
        {FaultKind::WrongStatus,
         [&](const auto& r) {
             ASSERT_EQ(r.size(), 1u);
             EXPECT_EQ(r[0].bytes[4], 2);
             EXPECT_TRUE(sumOk(r[0].bytes)) << "only the status is wrong";
         }},
        {FaultKind::ShortAnswer,
         [&](const auto& r) {
             ASSERT_EQ(r.size(), 1u);
             EXPECT_LT(r[0].bytes.size(), good.size());
             EXPECT_EQ(r[0].bytes[1], good.size()) << "the length byte promises more than comes";
         }},
        {FaultKind::Garbage,
         [&](const auto& r) {
             ASSERT_EQ(r.size(), 1u);
             ASSERT_GT(r[0].bytes.size(), good.size());
             EXPECT_NE(r[0].bytes[0], 0xAA);
             EXPECT_EQ(Bytes(r[0].bytes.end() - long(good.size()), r[0].bytes.end()), good);
         }},
        {FaultKind::Slow,
         [&](const auto& r) {
             ASSERT_EQ(r.size(), 1u);
             EXPECT_TRUE(r[0].slow);
             EXPECT_EQ(r[0].bytes, good);
         }},
        {FaultKind::Late,
         [&](const auto& r) {
             ASSERT_EQ(r.size(), 1u);
             EXPECT_TRUE(r[0].late);
             EXPECT_FALSE(r[0].slow);
             EXPECT_EQ(r[0].bytes, good);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(devsim::FaultKindName(c.kind));
        DeviceSimulator sim;
        sim.AddFault({0, 0xC3, -1, c.kind, -1});
        c.check(send(sim, 0, {0xC3}));
        EXPECT_EQ(send(sim, 0, {0xC2}).at(0).bytes[4], 0x2C) << "other commands are untouched";
    }
}

TEST(DevSimFaults, RulesMatchAddressCommandSubAndCount) {
    DeviceSimulator sim;
    sim.AddFault({3, 0xD4, 0x01, FaultKind::WrongStatus, 2});
    sim.AddFault({-1, -1, -1, FaultKind::Slow, -1});
    EXPECT_EQ(send(sim, 3, {0xD4, 0x01, 'a'}).at(0).bytes[4], 2);
    EXPECT_EQ(send(sim, 3, {0xD4, 0x01, 'b'}).at(0).bytes[4], 2);
    auto third = send(sim, 3, {0xD4, 0x01, 'c'});
    EXPECT_EQ(third.at(0).bytes[4], 1) << "the rule ran out after two";
    EXPECT_TRUE(third.at(0).slow) << "the catch-all rule applies next";
    EXPECT_TRUE(send(sim, 0, {0xC5, 1}).at(0).slow);
    // The request itself is carried out whatever happens to its answer.
    EXPECT_EQ(sim.State().files.size(), 3u);

    sim.ClearFaults();
    sim.AddFault({0, 0xC5, 0x02, FaultKind::NoAnswer, -1});
    EXPECT_EQ(send(sim, 0, {0xC5, 0x01}).size(), 1u);
    EXPECT_TRUE(send(sim, 0, {0xC5, 0x02}).empty());
}

TEST(DevSimFaults, RandomFaultsRepeatWithTheSeed) {
    auto run = [](uint32_t seed) {
        DeviceSimulator sim;
        sim.SetRandomFaults(0.5, seed, {FaultKind::NoAnswer, FaultKind::BadSum});
        std::string trace;
        for (int i = 0; i < 64; ++i) {
            auto r = send(sim, 0, {0xC5, 1});
            trace += r.empty() ? 'n' : sumOk(r[0].bytes) ? '.' : 's';
        }
        return trace;
    };
    const std::string a = run(7);
    EXPECT_EQ(a, run(7));
    EXPECT_NE(a, run(8));
    EXPECT_NE(a.find('n'), std::string::npos);
    EXPECT_NE(a.find('s'), std::string::npos);
    EXPECT_NE(a.find('.'), std::string::npos);
}

TEST(DevSimFaults, ParseFaultRule) {
    struct Case {
        const char* text;
        bool ok;
        int address, command, sub;
        FaultKind kind;
        int times;
    };
    const Case cases[] = {
        {"0:C3=badsum", true, 0, 0xC3, -1, FaultKind::BadSum, -1},
        {"3:D4:01=status*2", true, 3, 0xD4, 0x01, FaultKind::WrongStatus, 2},
        {"*:*=noanswer", true, -1, -1, -1, FaultKind::NoAnswer, -1},
        {"1:c4=short", true, 1, 0xC4, -1, FaultKind::ShortAnswer, -1},
        {"2=garbage*1", true, 2, -1, -1, FaultKind::Garbage, 1},
        {"0:C3=slow", true, 0, 0xC3, -1, FaultKind::Slow, -1},
        {"0:C3", false, 0, 0, 0, FaultKind::NoAnswer, 0},
        {"0:C3=loud", false, 0, 0, 0, FaultKind::NoAnswer, 0},
        {"0:1C3=badsum", false, 0, 0, 0, FaultKind::NoAnswer, 0},
        {"0:C3:01:02=badsum", false, 0, 0, 0, FaultKind::NoAnswer, 0},
        {"0:C3=badsum*0", false, 0, 0, 0, FaultKind::NoAnswer, 0},
        {"x:C3=badsum", false, 0, 0, 0, FaultKind::NoAnswer, 0},
    };
    for (const Case& c : cases) {
        std::string error;
        auto r = devsim::ParseFaultRule(c.text, &error);
        ASSERT_EQ(r.has_value(), c.ok) << c.text;
        if (!c.ok) {
            EXPECT_FALSE(error.empty()) << c.text;
            continue;
        }
        EXPECT_EQ(r->address, c.address) << c.text;
        EXPECT_EQ(r->command, c.command) << c.text;
        EXPECT_EQ(r->sub, c.sub) << c.text;
        EXPECT_EQ(r->kind, c.kind) << c.text;
        EXPECT_EQ(r->times, c.times) << c.text;
    }
}
