// The state file: round trip, partial files, errors, and the code page of its texts.

#include "tools/devsim/DevSim.h"

#include <gtest/gtest.h>

using devsim::DeviceSimulator;

TEST(DevSimState, DumpLoadsBackIntoTheSameState) {
    DeviceSimulator a;
    int64_t host = 1'700'000'000;
    a.SetHostClock([&] { return host; });
    auto& s = a.State();
    s.present[2] = false;
    s.events.clear();
    for (int i = 0; i < 100; ++i)
        s.events.push_back({uint8_t(i), uint8_t(255 - i)});
    s.files.push_back({"\xCF\xF0\xE8\xEC\xE5\xF0.txt", {0x00, 0x01, 0xFF}}); // "Пример.txt"
    s.gasTexts[0] = '"';
    s.gasTexts[1] = '\\';
    s.gasTexts[2] = 0x00;
    s.gasTexts[3] = 0x98; // a byte the code page leaves unassigned
    s.gasTexts[15] = ' ';
    s.rsParams[34] = 0xA8; // Ё
    s.ethParams[17] = 7;
    s.clockFollowsHost = false;
    s.clockBase = 1'600'000'050; // 2020-09-13 12:27:30; the seconds are not kept
    s.clockSetHost = host;

    const std::string text = a.DumpState();
    DeviceSimulator b;
    b.SetHostClock([&] { return host; });
    std::string error;
    ASSERT_TRUE(b.LoadState(text, &error)) << error << "\n" << text;
    EXPECT_EQ(b.DumpState(), text);
    EXPECT_EQ(b.State().gasTexts, s.gasTexts);
    EXPECT_EQ(b.State().rsParams, s.rsParams);
    EXPECT_EQ(b.State().events, s.events);
    ASSERT_EQ(b.State().files.size(), 4u);
    EXPECT_EQ(b.State().files[3].name, s.files[3].name);
    EXPECT_EQ(b.State().files[3].data, s.files[3].data);
    EXPECT_FALSE(b.State().present[2]);
    EXPECT_EQ(b.DeviceTime(), 1'600'000'020);
    EXPECT_NE(text.find("present = interface ethernet"), std::string::npos);
    EXPECT_NE(text.find("clock = 2020-09-13 12:27"), std::string::npos);
    EXPECT_NE(text.find("file = \"Пример.txt\" 0001FF"), std::string::npos);
}

TEST(DevSimState, PartialFilesKeepTheRestAndFileLinesReplaceTheStore) {
    DeviceSimulator sim;
    const auto before = sim.State();
    ASSERT_TRUE(sim.LoadState("# only a few values\n[ethernet]\nip = 10.1.2.3\nfile = \"x\" 41\n"
                              "[gas]\ntext1.1 = \"Ёлка\"\n"));
    EXPECT_EQ(sim.State().ethParams[10], 10);
    EXPECT_EQ(sim.State().ethParams[13], 3);
    EXPECT_EQ(sim.State().gasParams, before.gasParams);
    EXPECT_EQ(sim.State().events, before.events);
    ASSERT_EQ(sim.State().files.size(), 1u);
    EXPECT_EQ(sim.State().gasTexts[0], 0xA8);
    EXPECT_EQ(sim.State().gasTexts[1], 0xEB);
    EXPECT_EQ(sim.State().gasTexts[4], ' ');
}

TEST(DevSimState, ErrorsNameTheLineAndChangeNothing) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"[gas]\nnonsense = 1\n", "line 2: unknown key nonsense"},
        {"[gas]\nblow-wait-s = 256\n", "line 2: bad value"},
        {"[gas]\npulse-ms = -1\n", "line 2: bad value"},
        {"[gas]\ntext1.1 = \"seventeen chars!!\"\n", "line 2: bad value"},
        {"[gas]\ntext1.1 = \"€ is fine, 中 is not\"\n", "line 2: bad value"},
        {"[gas]\nserial = 1234\n", "line 2: bad value"},
        {"[ethernet]\nip = 10.0.0.300\n", "line 2: bad value"},
        {"[ethernet]\nmac = 02:4B:56:54:00\n", "line 2: bad value"},
        {"\n[sound]\n", "line 2: unknown section"},
        {"[device]\npresent = interface printer\n", "line 2: unknown block printer"},
        {"[device]\nclock = yesterday\n", "line 2: bad clock"},
        {"[interface]\nevents = 0801 12\n", "line 2: bad event 12"},
        {"[ethernet]\nfile = \"x\" 4\n", "line 2: bad file contents"},
        {"[gas]\nfirmware\n", "line 2: expected key = value"},
    };
    for (const auto& c : cases) {
        DeviceSimulator sim;
        const std::string before = sim.DumpState();
        std::string error;
        EXPECT_FALSE(sim.LoadState(c.text, &error)) << c.text;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.text << " gave: " << error;
        EXPECT_EQ(sim.DumpState(), before) << c.text;
    }
}

TEST(DevSimState, CodePageConversion) {
    EXPECT_EQ(devsim::Cp1251ToUtf8("\xC0\xFF\xA8\xB8\xB9 A"), "АяЁё№ A");
    EXPECT_EQ(devsim::Utf8ToCp1251("АяЁё№ A"), std::string("\xC0\xFF\xA8\xB8\xB9 A"));
    EXPECT_FALSE(devsim::Utf8ToCp1251("中").has_value());
    EXPECT_FALSE(devsim::Utf8ToCp1251("\xD0").has_value()) << "a cut sequence";
}

TEST(DevSimState, DefaultStateIsPlausible) {
    DeviceSimulator sim;
    const auto& s = sim.State();
    EXPECT_TRUE(s.present[1] && s.present[2] && s.present[3]);
    EXPECT_EQ(s.gasParams[0], 0x02); // firmware 2.15
    EXPECT_EQ(s.gasParams[6], 15);   // threshold 0.15 mg/L
    EXPECT_EQ(s.rsParams[6] | s.rsParams[7] << 8, 9600);
    EXPECT_EQ(s.ethParams[17], 5); // automatic link mode
    EXPECT_FALSE(s.files.empty());
    EXPECT_FALSE(sim.ServiceMode());
    EXPECT_TRUE(sim.StrictServiceMode());
}
