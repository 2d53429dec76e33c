// The adapter calls with the simulated device plugged in, in-process.

#include "platform/serial/Ftd2xx.h"
#include "platform/serial/SerialTransport.h"
#include "tools/devsim/DevSimTransport.h"

#include <gtest/gtest.h>

#include <vector>

using Bytes = std::vector<uint8_t>;

namespace {

class SerialSimTransport : public ::testing::Test {
protected:
    void SetUp() override { SetSerialTransportFactory(devsim::DevSimTransportFactory(sim)); }
    void TearDown() override {
        if (handle) FT_Close(handle);
        SetSerialTransportFactory(nullptr);
    }
    void openAndSetUp() {
        ASSERT_EQ(FT_Open(0, &handle), FT_OK);
        ASSERT_EQ(FT_SetBaudRate(handle, 38400) | FT_SetTimeouts(handle, 100, 100) |
                      FT_SetDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE),
                  FT_OK);
    }
    void send(const Bytes& frame) {
        uint32_t written = 0;
        ASSERT_EQ(FT_Write(handle, frame.data(), uint32_t(frame.size()), &written), FT_OK);
        ASSERT_EQ(written, frame.size());
    }
    uint32_t waiting() {
        uint32_t n = 0;
        EXPECT_EQ(FT_GetQueueStatus(handle, &n), FT_OK);
        return n;
    }
    Bytes read(uint32_t count) {
        Bytes b(count);
        uint32_t n = 0;
        EXPECT_EQ(FT_Read(handle, b.data(), count, &n), FT_OK);
        b.resize(n);
        return b;
    }

    devsim::DeviceSimulator sim;
    FT_HANDLE handle = nullptr;
};

const Bytes kPresence2{0xAA, 0x07, 0x00, 0xA1, 0xC5, 0x02, 0x19};
const Bytes kPresent{0xAA, 0x06, 0x00, 0xA1, 0x01, 0x52};

} // namespace

TEST_F(SerialSimTransport, RequestAndAnswerThroughTheAdapterCalls) {
    openAndSetUp();
    send(kPresence2);
    EXPECT_EQ(waiting(), 6u);
    EXPECT_EQ(read(2), (Bytes{0xAA, 0x06}));
    EXPECT_EQ(read(4), (Bytes{0x00, 0xA1, 0x01, 0x52}));
    EXPECT_EQ(waiting(), 0u);
    EXPECT_EQ(read(6), Bytes{}) << "nothing more comes";

    // The device and its state outlive the handle.
    send({0xAA, 0x07, 0x00, 0xA1, 0xD0, 0x01, 0x23});
    EXPECT_EQ(read(6), (Bytes{0xAA, 0x06, 0x00, 0xA1, 0x01, 0x52}));
    ASSERT_EQ(FT_Close(handle), FT_OK);
    handle = nullptr;
    EXPECT_TRUE(sim.ServiceMode());
    openAndSetUp();
    send(kPresence2);
    EXPECT_EQ(read(6), kPresent);
}

TEST_F(SerialSimTransport, TheDeviceHearsNoiseUntilTheLineIsSetUp) {
    ASSERT_EQ(FT_Open(0, &handle), FT_OK);
    send(kPresence2); // still at the adapter's power-on rate
    EXPECT_EQ(waiting(), 0u);
    ASSERT_EQ(FT_SetBaudRate(handle, 38400), FT_OK);
    ASSERT_EQ(FT_SetDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_EVEN), FT_OK);
    send(kPresence2);
    EXPECT_EQ(waiting(), 0u);
    ASSERT_EQ(FT_SetDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE), FT_OK);
    send(kPresence2);
    EXPECT_EQ(read(6), kPresent);
}

TEST_F(SerialSimTransport, SlowAnswersTrickleInOneByteAtEachLook) {
    sim.AddFault({0, 0xC5, -1, devsim::FaultKind::Slow, 1});
    openAndSetUp();
    send(kPresence2);
    send(kPresence2); // a normal answer behind a slow one waits its turn
    Bytes got;
    for (int polls = 0; polls < 100 && got.size() < 12; ++polls) {
        uint32_t n = waiting();
        EXPECT_LE(n, 1u);
        if (n) {
            Bytes b = read(n);
            got.insert(got.end(), b.begin(), b.end());
        }
    }
    Bytes both = kPresent;
    both.insert(both.end(), kPresent.begin(), kPresent.end());
    EXPECT_EQ(got, both);
}

TEST_F(SerialSimTransport, FactoryAnswersForAdapterZeroOnly) {
    FT_HANDLE h = nullptr;
    EXPECT_EQ(FT_Open(1, &h), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(h, nullptr);
    EXPECT_FALSE(FT_GetLastOpenError().empty());

    // A test can stand in for an absent adapter with a factory of its own.
    SetSerialTransportFactory(
        [](int, FT_STATUS* status, std::string* reason) -> std::unique_ptr<TSerialTransport> {
            *status = FT_DEVICE_NOT_FOUND;
            *reason = "unplugged";
            return nullptr;
        });
    EXPECT_EQ(FT_Open(0, &h), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(FT_GetLastOpenError(), "unplugged");
}
