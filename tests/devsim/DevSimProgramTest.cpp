// The kvt-devsim program end to end: a pseudo-terminal reached through the adapter calls.

#include "platform/serial/Ftd2xx.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

namespace {

class DevSimProgram : public ::testing::Test {
protected:
    void start(std::vector<std::string> args) {
        const fs::path exe = fs::read_symlink("/proc/self/exe").parent_path() / "kvt-devsim";
        if (!fs::exists(exe)) GTEST_SKIP() << exe << " is not built";
        int out[2];
        ASSERT_EQ(::pipe(out), 0);
        args.insert(args.begin(), exe.string());
        pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::dup2(out[1], 1);
            int devnull = ::open("/dev/null", O_WRONLY);
            ::dup2(devnull, 2);
            ::close(out[0]);
            ::close(out[1]);
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        // The first line of its output is the terminal's path.
        std::string line;
        char c;
        pollfd p{out[0], POLLIN, 0};
        while (::poll(&p, 1, 5000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n')
            line += c;
        ::close(out[0]);
        ASSERT_EQ(line.rfind("/dev/", 0), 0u) << "got: " << line;
        ::setenv("KVT_SERIAL_PORT", line.c_str(), 1);
    }
    void TearDown() override {
        if (handle) FT_Close(handle);
        stop();
        ::unsetenv("KVT_SERIAL_PORT");
    }
    void stop() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            int status = 0;
            ::waitpid(pid, &status, 0);
            pid = -1;
        }
    }
    Bytes exchange(const Bytes& frame, size_t answerLength, int waitMs = 2000) {
        uint32_t written = 0;
        EXPECT_EQ(FT_Write(handle, frame.data(), uint32_t(frame.size()), &written), FT_OK);
        const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
        uint32_t waiting = 0;
        while (Clock::now() < deadline) {
            EXPECT_EQ(FT_GetQueueStatus(handle, &waiting), FT_OK);
            if (waiting >= answerLength) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        Bytes b(waiting);
        uint32_t n = 0;
        if (waiting) {
            EXPECT_EQ(FT_Read(handle, b.data(), waiting, &n), FT_OK);
        }
        b.resize(n);
        return b;
    }

    pid_t pid = -1;
    FT_HANDLE handle = nullptr;
};

} // namespace

TEST_F(DevSimProgram, ServesTheDeviceOnAPseudoTerminal) {
    const fs::path saved =
        fs::temp_directory_path() / ("kvt-devsim-" + std::to_string(::getpid()) + ".state");
    start({"--blocks", "interface,ethernet", "--save", saved.string(), "--fault", "0:C2=badsum"});
    if (HasFatalFailure() || IsSkipped()) return;

    ASSERT_EQ(FT_Open(0, &handle), FT_OK) << FT_GetLastOpenError();
    ASSERT_EQ(FT_SetTimeouts(handle, 100, 100), FT_OK);
    const Bytes presence2{0xAA, 0x07, 0x00, 0xA1, 0xC5, 0x02, 0x19};
    EXPECT_EQ(exchange(presence2, 6, 300), Bytes{}) << "at the wrong rate the device hears noise";

    ASSERT_EQ(FT_SetBaudRate(handle, 38400), FT_OK);
    ASSERT_EQ(FT_SetDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE), FT_OK);
    EXPECT_EQ(exchange(presence2, 6), (Bytes{0xAA, 0x06, 0x00, 0xA1, 0x00, 0x51})) << "RS-485 block absent";

    // 18 bytes at 38400 baud, 10 bits a byte, take at least 4.7 ms.
    const auto t0 = Clock::now();
    Bytes c3 = exchange({0xAA, 0x06, 0x00, 0xA1, 0xC3, 0x14}, 18);
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - t0).count();
    ASSERT_EQ(c3.size(), 18u);
    EXPECT_EQ(c3[4], 0x3C);
    EXPECT_GE(us, 4000);

    Bytes c2 = exchange({0xAA, 0x06, 0x00, 0xA1, 0xC2, 0x13}, 13);
    ASSERT_EQ(c2.size(), 13u);
    int sum = 0;
    for (size_t i = 0; i + 1 < c2.size(); ++i)
        sum += c2[i];
    EXPECT_NE(uint8_t(sum), c2.back()) << "the fault from the command line";

    EXPECT_EQ(exchange({0xAA, 0x07, 0x00, 0xA1, 0xD0, 0x01, 0x23}, 6)[4], 1);
    EXPECT_EQ(exchange({0xAA, 0x07, 0x00, 0xA1, 0xD6, 0x07, 0x2F}, 6)[4], 1);
    ASSERT_EQ(FT_Close(handle), FT_OK);
    handle = nullptr;

    stop();
    std::ifstream in(saved);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("verification-months = 7\n"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("present = interface ethernet\n"), std::string::npos);
    fs::remove(saved);
}

// Both directions of the line take their time: the device takes a request only when its last
// byte has come, and a late answer holds the line until it has gone out.
TEST_F(DevSimProgram, RequestsTakeTheirWireTimeAndLateAnswersHoldTheLine) {
    start({"--late-ms", "300", "--fault", "0:C6=late*1"});
    if (HasFatalFailure() || IsSkipped()) return;
    ASSERT_EQ(FT_Open(0, &handle), FT_OK) << FT_GetLastOpenError();
    ASSERT_EQ(FT_SetBaudRate(handle, 38400), FT_OK);
    ASSERT_EQ(FT_SetDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE), FT_OK);
    auto frame = [](uint8_t address, Bytes data) {
        Bytes f{0xAA, uint8_t(data.size() + 5), address, 0xA1};
        f.insert(f.end(), data.begin(), data.end());
        uint8_t sum = 0;
        for (uint8_t b : f)
            sum = uint8_t(sum + b);
        f.push_back(sum);
        return f;
    };
    auto micros = [](Clock::time_point t0) {
        return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - t0).count();
    };
    // A file chunk of 207 bytes and its 6-byte answer: 213 bytes, 55.5 ms at 38400 baud.
    Bytes chunk{0xD4, 0x01};
    chunk.resize(202, 0x55);
    auto t0 = Clock::now();
    Bytes a = exchange(frame(3, chunk), 6);
    ASSERT_EQ(a.size(), 6u);
    EXPECT_GE(micros(t0), 55000);

    // The late answer comes after 300 ms; the request sent meanwhile is answered after it.
    t0 = Clock::now();
    uint32_t written = 0;
    const Bytes c6 = frame(0, {0xC6}), c2 = frame(0, {0xC2});
    ASSERT_EQ(FT_Write(handle, c6.data(), uint32_t(c6.size()), &written), FT_OK);
    Bytes both = exchange(c2, 10 + 13);
    EXPECT_GE(micros(t0), 300000);
    ASSERT_EQ(both.size(), 23u);
    EXPECT_EQ(both[4], 0x6C) << "the late answer first";
    EXPECT_EQ(both[10 + 4], 0x2C);
}
