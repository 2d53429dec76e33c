// The adapter calls over a real tty: a pseudo-terminal whose other end the test holds.

#include "platform/serial/Ftd2xx.h"
#include "platform/serial/SerialTransport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class SerialPty : public ::testing::Test {
protected:
    void SetUp() override {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0);
        ASSERT_EQ(::grantpt(master), 0);
        ASSERT_EQ(::unlockpt(master), 0);
        slavePath = ::ptsname(master);
        // Keep a descriptor of our own, so the terminal's settings can be looked at and the
        // terminal stays alive between opens.
        peer = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(peer, 0);
        termios t{};
        ::tcgetattr(peer, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(peer, TCSANOW, &t);
        ::setenv("KVT_SERIAL_PORT", slavePath.c_str(), 1);
    }
    void TearDown() override {
        if (handle) FT_Close(handle);
        ::unsetenv("KVT_SERIAL_PORT");
        ::close(peer);
        ::close(master);
    }
    void toAdapter(const std::vector<uint8_t>& bytes) {
        ASSERT_EQ(::write(master, bytes.data(), bytes.size()), ssize_t(bytes.size()));
        // Let the line discipline move them across.
        for (int i = 0; i < 100; ++i) {
            uint32_t n = 0;
            if (handle && FT_GetQueueStatus(handle, &n) == FT_OK && n >= bytes.size()) return;
            ::usleep(1000);
        }
    }
    std::vector<uint8_t> fromAdapter(size_t n) {
        std::vector<uint8_t> out;
        while (out.size() < n) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 1000) <= 0) break;
            uint8_t buf[256];
            ssize_t got = ::read(master, buf, sizeof buf);
            if (got <= 0) break;
            out.insert(out.end(), buf, buf + got);
        }
        return out;
    }
    termios settings() {
        termios t{};
        ::tcgetattr(peer, &t);
        return t;
    }

    int master = -1, peer = -1;
    std::string slavePath;
    FT_HANDLE handle = nullptr;
};

} // namespace

TEST_F(SerialPty, OpenSetUpExchangeClose) {
    ASSERT_EQ(FT_Open(0, &handle), FT_OK) << FT_GetLastOpenError();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(FT_GetLastOpenError(), "");

    EXPECT_EQ(FT_SetBaudRate(handle, 38400), FT_OK);
    EXPECT_EQ(FT_SetTimeouts(handle, 100, 100), FT_OK);
    EXPECT_EQ(FT_SetDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE), FT_OK);
    termios t = settings();
    EXPECT_EQ(::cfgetospeed(&t), speed_t(B38400));
    EXPECT_EQ(::cfgetispeed(&t), speed_t(B38400));
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_FALSE(t.c_cflag & (PARENB | CSTOPB | CRTSCTS));
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG)) << "raw mode";
    EXPECT_FALSE(t.c_iflag & (IXON | ICRNL));
    EXPECT_FALSE(t.c_oflag & OPOST);

    const std::vector<uint8_t> frame{0xAA, 0x07, 0x00, 0xA1, 0xC5, 0x02, 0x19};
    uint32_t written = 0;
    EXPECT_EQ(FT_Write(handle, frame.data(), uint32_t(frame.size()), &written), FT_OK);
    EXPECT_EQ(written, frame.size());
    EXPECT_EQ(fromAdapter(frame.size()), frame);

    // Every byte value passes untouched (no CR/LF or flow-control translation).
    std::vector<uint8_t> answer;
    for (int i = 0; i < 256; ++i)
        answer.push_back(uint8_t(i));
    toAdapter(answer);
    uint32_t waiting = 0;
    EXPECT_EQ(FT_GetQueueStatus(handle, &waiting), FT_OK);
    EXPECT_EQ(waiting, 256u);
    std::vector<uint8_t> got(256);
    uint32_t n = 0;
    EXPECT_EQ(FT_Read(handle, got.data(), 2, &n), FT_OK);
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(FT_Read(handle, got.data() + 2, 254, &n), FT_OK);
    EXPECT_EQ(n, 254u);
    EXPECT_EQ(got, answer);
    EXPECT_EQ(FT_GetQueueStatus(handle, &waiting), FT_OK);
    EXPECT_EQ(waiting, 0u);

    EXPECT_EQ(FT_Close(handle), FT_OK);
    EXPECT_EQ(FT_Close(handle), FT_INVALID_HANDLE) << "a closed handle is not closed twice";
    handle = nullptr;
}

TEST_F(SerialPty, OtherDataCharacteristicsAndBadValues) {
    ASSERT_EQ(FT_Open(0, &handle), FT_OK);
    // A pseudo-terminal always keeps 8 bits without parity, so only the stop bits show here.
    EXPECT_EQ(FT_SetDataCharacteristics(handle, FT_BITS_7, FT_STOP_BITS_2, FT_PARITY_EVEN), FT_OK);
    termios t = settings();
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_EQ(FT_SetDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_ODD), FT_OK);
    t = settings();
    EXPECT_FALSE(t.c_cflag & CSTOPB);

    EXPECT_EQ(FT_SetBaudRate(handle, 12345), FT_INVALID_BAUD_RATE);
    EXPECT_EQ(FT_SetDataCharacteristics(handle, 6, FT_STOP_BITS_1, FT_PARITY_NONE), FT_INVALID_PARAMETER);
    EXPECT_EQ(FT_SetDataCharacteristics(handle, FT_BITS_8, 1, FT_PARITY_NONE), FT_INVALID_PARAMETER);
    EXPECT_EQ(FT_SetDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1, 5), FT_INVALID_PARAMETER);
    EXPECT_EQ(FT_SetBaudRate(handle, 115200), FT_OK);
    t = settings();
    EXPECT_EQ(::cfgetospeed(&t), speed_t(B115200));
}

TEST_F(SerialPty, ReadWaitsForTheTimeOutAndReturnsWhatCame) {
    ASSERT_EQ(FT_Open(0, &handle), FT_OK);
    ASSERT_EQ(FT_SetTimeouts(handle, 80, 80), FT_OK);
    toAdapter({1, 2, 3});
    uint8_t buf[10] = {};
    uint32_t n = 99;
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(FT_Read(handle, buf, 10, &n), FT_OK) << "a time-out is not an error";
    auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(buf[2], 3);
    EXPECT_GE(ms, 70);
    EXPECT_LT(ms, 1000);

    // Bytes already waiting come back at once.
    toAdapter({4, 5});
    t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(FT_Read(handle, buf, 2, &n), FT_OK);
    ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_EQ(n, 2u);
    EXPECT_LT(ms, 50);
}

TEST_F(SerialPty, StaleInputIsFlushedWhenThePortOpens) {
    ASSERT_EQ(::write(master, "\x01\x02\x03", 3), 3);
    ::usleep(20000);
    ASSERT_EQ(FT_Open(0, &handle), FT_OK);
    uint32_t waiting = 99;
    EXPECT_EQ(FT_GetQueueStatus(handle, &waiting), FT_OK);
    EXPECT_EQ(waiting, 0u);
}

TEST_F(SerialPty, PurgeAndWaitForReceive) {
    ASSERT_EQ(FT_Open(0, &handle), FT_OK);
    toAdapter({1, 2, 3});
    uint32_t waiting = 0;
    EXPECT_EQ(FT_Purge(handle, FT_PURGE_RX | FT_PURGE_TX), FT_OK);
    EXPECT_EQ(FT_GetQueueStatus(handle, &waiting), FT_OK);
    EXPECT_EQ(waiting, 0u);
    EXPECT_EQ(FT_Purge(handle, 4), FT_INVALID_PARAMETER);

    // Nothing comes: the wait lasts its time-out and is no error.
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(FT_WaitForReceive(handle, 60), FT_OK);
    auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_GE(ms, 55);
    EXPECT_LT(ms, 1000);
    // A byte on its way ends the wait when it arrives, long before the time-out.
    t0 = std::chrono::steady_clock::now();
    std::thread late([this] {
        ::usleep(30000);
        ASSERT_EQ(::write(master, "\x07", 1), 1);
    });
    EXPECT_EQ(FT_WaitForReceive(handle, 5000), FT_OK);
    ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    late.join();
    EXPECT_GE(ms, 25);
    EXPECT_LT(ms, 2000);
    EXPECT_EQ(FT_GetQueueStatus(handle, &waiting), FT_OK);
    EXPECT_EQ(waiting, 1u);
}

TEST_F(SerialPty, BusyPortAndItsRelease) {
    ASSERT_EQ(FT_Open(0, &handle), FT_OK);
    FT_HANDLE second = reinterpret_cast<FT_HANDLE>(0x1);
    EXPECT_EQ(FT_Open(0, &second), FT_DEVICE_NOT_OPENED);
    EXPECT_EQ(second, nullptr);
    EXPECT_NE(FT_GetLastOpenError().find("занят"), std::string::npos) << FT_GetLastOpenError();
    EXPECT_NE(FT_GetLastOpenError().find(slavePath), std::string::npos);
    ASSERT_EQ(FT_Close(handle), FT_OK);
    handle = nullptr;
    EXPECT_EQ(FT_Open(0, &handle), FT_OK) << "closing releases the port: " << FT_GetLastOpenError();
}

TEST_F(SerialPty, OpenFailuresHaveDistinctStatusesAndReasons) {
    const fs::path dir = fs::temp_directory_path() / ("kvt-serial-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string missing = (dir / "ttyUSB9").string();
    const std::string plain = (dir / "file").string();
    std::ofstream(plain) << "x";

    FT_HANDLE h = nullptr;
    ::setenv("KVT_SERIAL_PORT", missing.c_str(), 1);
    EXPECT_EQ(FT_Open(0, &h), FT_DEVICE_NOT_FOUND);
    EXPECT_NE(FT_GetLastOpenError().find(missing), std::string::npos);

    ::setenv("KVT_SERIAL_PORT", plain.c_str(), 1);
    EXPECT_EQ(FT_Open(0, &h), FT_DEVICE_NOT_OPENED);
    EXPECT_NE(FT_GetLastOpenError().find("не является последовательным портом"), std::string::npos);

    ::setenv("KVT_SERIAL_PORT", slavePath.c_str(), 1);
    EXPECT_EQ(FT_Open(1, &h), FT_DEVICE_NOT_FOUND) << "the variable names adapter 0 only";

    if (::geteuid() != 0) {
        fs::permissions(plain, fs::perms::none);
        ::setenv("KVT_SERIAL_PORT", plain.c_str(), 1);
        EXPECT_EQ(FT_Open(0, &h), FT_DEVICE_ACCESS_DENIED);
        EXPECT_NE(FT_GetLastOpenError().find("группу"), std::string::npos) << FT_GetLastOpenError();
    }
    fs::remove_all(dir);
}

TEST(SerialHandles, CallsOnUnknownHandlesFail) {
    int dummy = 0;
    FT_HANDLE bogus = &dummy;
    uint8_t buf[4];
    uint32_t n = 0;
    EXPECT_EQ(FT_Close(nullptr), FT_INVALID_HANDLE);
    EXPECT_EQ(FT_Close(bogus), FT_INVALID_HANDLE);
    EXPECT_EQ(FT_Read(bogus, buf, 4, &n), FT_INVALID_HANDLE);
    EXPECT_EQ(FT_Write(bogus, buf, 4, &n), FT_INVALID_HANDLE);
    EXPECT_EQ(FT_SetBaudRate(bogus, 38400), FT_INVALID_HANDLE);
    EXPECT_EQ(FT_SetDataCharacteristics(bogus, 8, 0, 0), FT_INVALID_HANDLE);
    EXPECT_EQ(FT_SetTimeouts(bogus, 100, 100), FT_INVALID_HANDLE);
    EXPECT_EQ(FT_GetQueueStatus(bogus, &n), FT_INVALID_HANDLE);
    EXPECT_EQ(FT_Open(0, nullptr), FT_INVALID_PARAMETER);
}

TEST(SerialSysfs, FtdiPortsAreFoundAndOrderedByName) {
    const fs::path root = fs::temp_directory_path() / ("kvt-sysfs-" + std::to_string(::getpid()));
    fs::remove_all(root);
    auto usbPort = [&](const std::string& tty, const std::string& bus, const char* vendor) {
        const fs::path usb = root / "devices" / "pci0000:00" / bus;
        const fs::path port = usb / (bus + ":1.0") / tty;
        fs::create_directories(port);
        std::ofstream(usb / "idVendor") << vendor << "\n";
        fs::create_directories(root / "class" / "tty" / tty);
        fs::create_directory_symlink(port, root / "class" / "tty" / tty / "device");
    };
    usbPort("ttyUSB10", "1-1", "0403");
    usbPort("ttyUSB2", "1-2", "0403");
    usbPort("ttyUSB1", "1-3", "067b");                       // another maker's adapter
    fs::create_directories(root / "class" / "tty" / "tty0"); // a console: no device at all
    fs::create_directories(root / "devices" / "platform" / "serial8250" / "ttyS0");
    fs::create_directories(root / "class" / "tty" / "ttyS0");
    fs::create_directory_symlink(root / "devices" / "platform" / "serial8250" / "ttyS0",
                                 root / "class" / "tty" / "ttyS0" / "device");

    EXPECT_EQ(FindFtdiPorts(root.string(), "/dev"),
              (std::vector<std::string>{"/dev/ttyUSB2", "/dev/ttyUSB10"}));
    EXPECT_TRUE(FindFtdiPorts((root / "nothing").string()).empty());
    fs::remove_all(root);
}

TEST_F(SerialPty, HangUpOfTheOtherEndIsAnIoError) {
    ASSERT_EQ(FT_Open(0, &handle), FT_OK);
    ASSERT_EQ(FT_SetTimeouts(handle, 200, 200), FT_OK);
    ::close(peer);
    ::close(master);
    peer = master = -1;
    uint8_t buf[4];
    uint32_t n = 0;
    EXPECT_EQ(FT_Read(handle, buf, 4, &n), FT_IO_ERROR);
}
