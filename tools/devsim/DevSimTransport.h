#pragma once
// The simulator behind an adapter handle, in-process: tests plug it in with
// SetSerialTransportFactory(devsim::DevSimTransportFactory(sim)).

#include "platform/serial/SerialTransport.h"
#include "tools/devsim/DevSim.h"

#include <deque>
#include <functional>

namespace devsim {

// The milliseconds of the test's clock; late answers are held back until it has moved on.
using TransportClock = std::function<uint32_t()>;

class TDevSimTransport : public TSerialTransport {
public:
    // lineBaud: the rate the device talks at.  Until the adapter is set to it, 8 data bits, no
    // parity, the device hears only noise and stays silent.  clock and lateMs: a late answer
    // comes lateMs after its request by that clock (without a clock it never comes).
    explicit TDevSimTransport(DeviceSimulator& sim, uint32_t lineBaud = 38400, TransportClock clock = {},
                              uint32_t lateMs = 10500);
    // Requests still waiting behind a late answer reach the device all the same: they are on
    // the wire already.  Their answers are lost.
    ~TDevSimTransport() override;

    FT_STATUS Read(uint8_t* buffer, uint32_t count, uint32_t* got) override;
    FT_STATUS Write(const uint8_t* buffer, uint32_t count, uint32_t* written) override;
    FT_STATUS SetBaudRate(uint32_t baudRate) override;
    FT_STATUS SetDataCharacteristics(uint8_t wordLength, uint8_t stopBits, uint8_t parity) override;
    FT_STATUS SetTimeouts(uint32_t readMs, uint32_t writeMs) override;
    FT_STATUS GetQueueStatus(uint32_t* rxBytes) override;
    FT_STATUS Purge(uint32_t mask) override;

private:
    void release(); // a slow answer lets one more byte through on each look at the queue
    void deliver(const uint8_t* bytes, size_t n);
    bool holding() const { return !held_.empty(); }
    bool lineMatches() const;

    DeviceSimulator& sim_;
    uint32_t lineBaud_;
    TransportClock clock_;
    uint32_t lateMs_;
    uint32_t baud_ = 9600; // an adapter's rate after power-on
    uint8_t wordLength_ = 8, stopBits_ = 0, parity_ = 0;
    std::deque<uint8_t> ready_;
    std::deque<uint8_t> trickle_;
    // A late answer and what the device was sent while it was busy with it.
    std::deque<uint8_t> held_;
    uint32_t heldUntil_ = 0;
    std::vector<uint8_t> queuedRequests_;
};

// Every FT_Open(0) gets a new transport onto the same simulator (which must outlive the handles);
// other indexes are not found.
TSerialTransportFactory DevSimTransportFactory(DeviceSimulator& sim, uint32_t lineBaud = 38400,
                                               TransportClock clock = {}, uint32_t lateMs = 10500);

} // namespace devsim
