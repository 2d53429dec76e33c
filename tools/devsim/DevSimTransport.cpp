#include "tools/devsim/DevSimTransport.h"

#include <algorithm>

namespace devsim {

TDevSimTransport::TDevSimTransport(DeviceSimulator& sim, uint32_t lineBaud, TransportClock clock,
                                   uint32_t lateMs)
    : sim_(sim), lineBaud_(lineBaud), clock_(std::move(clock)), lateMs_(lateMs) {
    sim_.ResetInput(); // what was half-sent over an earlier handle is gone
}

TDevSimTransport::~TDevSimTransport() {
    if (!queuedRequests_.empty() && lineMatches()) sim_.Feed(queuedRequests_.data(), queuedRequests_.size());
}

bool TDevSimTransport::lineMatches() const {
    return baud_ == lineBaud_ && wordLength_ == FT_BITS_8 && parity_ == FT_PARITY_NONE;
}

void TDevSimTransport::release() {
    if (holding() && clock_ && int32_t(clock_() - heldUntil_) >= 0) {
        // The late answer goes out; then the device takes what came meanwhile.
        auto& queue = trickle_.empty() ? ready_ : trickle_;
        queue.insert(queue.end(), held_.begin(), held_.end());
        held_.clear();
        std::vector<uint8_t> waiting;
        waiting.swap(queuedRequests_);
        if (!waiting.empty()) deliver(waiting.data(), waiting.size());
    }
    if (!trickle_.empty()) {
        ready_.push_back(trickle_.front());
        trickle_.pop_front();
    }
}

void TDevSimTransport::deliver(const uint8_t* bytes, size_t n) {
    for (Reply& r : sim_.Feed(bytes, n)) {
        if (holding()) {
            // Busy with a late answer: later answers queue behind it.
            held_.insert(held_.end(), r.bytes.begin(), r.bytes.end());
            continue;
        }
        if (r.late) {
            if (!clock_) continue; // with no time passing it never comes
            held_.assign(r.bytes.begin(), r.bytes.end());
            heldUntil_ = clock_() + lateMs_;
            continue;
        }
        // A slow answer keeps everything behind it slow as well: bytes stay in order.
        auto& queue = r.slow || !trickle_.empty() ? trickle_ : ready_;
        queue.insert(queue.end(), r.bytes.begin(), r.bytes.end());
    }
}

FT_STATUS TDevSimTransport::Read(uint8_t* buffer, uint32_t count, uint32_t* got) {
    // Nothing more can arrive while the caller waits, so a read returns what is there at once;
    // a read that wants more than is there counts as a look at a slow line.
    if (ready_.size() < count) release();
    uint32_t n = uint32_t(std::min<size_t>(count, ready_.size()));
    std::copy_n(ready_.begin(), n, buffer);
    ready_.erase(ready_.begin(), ready_.begin() + n);
    *got = n;
    return FT_OK;
}

FT_STATUS TDevSimTransport::Write(const uint8_t* buffer, uint32_t count, uint32_t* written) {
    *written = count;
    if (!lineMatches()) return FT_OK;
    if (holding()) {
        // The device is still working on the request whose answer is late.
        release();
        if (holding()) {
            queuedRequests_.insert(queuedRequests_.end(), buffer, buffer + count);
            return FT_OK;
        }
    }
    deliver(buffer, count);
    return FT_OK;
}

FT_STATUS TDevSimTransport::SetBaudRate(uint32_t baudRate) {
    if (baudRate < 300 || baudRate > 3000000) return FT_INVALID_BAUD_RATE;
    baud_ = baudRate;
    return FT_OK;
}

FT_STATUS TDevSimTransport::SetDataCharacteristics(uint8_t wordLength, uint8_t stopBits, uint8_t parity) {
    wordLength_ = wordLength;
    stopBits_ = stopBits;
    parity_ = parity;
    return FT_OK;
}

FT_STATUS TDevSimTransport::SetTimeouts(uint32_t, uint32_t) {
    return FT_OK;
}

FT_STATUS TDevSimTransport::GetQueueStatus(uint32_t* rxBytes) {
    release();
    *rxBytes = uint32_t(ready_.size());
    return FT_OK;
}

FT_STATUS TDevSimTransport::Purge(uint32_t mask) {
    // Only what has arrived is thrown away; what the device has still to send comes later.
    if (mask & FT_PURGE_RX) ready_.clear();
    return FT_OK;
}

TSerialTransportFactory DevSimTransportFactory(DeviceSimulator& sim, uint32_t lineBaud, TransportClock clock,
                                               uint32_t lateMs) {
    return [&sim, lineBaud, clock, lateMs](int index, FT_STATUS* status,
                                           std::string* reason) -> std::unique_ptr<TSerialTransport> {
        if (index != 0) {
            *status = FT_DEVICE_NOT_FOUND;
            *reason = "The simulated device is adapter 0 only";
            return nullptr;
        }
        return std::make_unique<TDevSimTransport>(sim, lineBaud, clock, lateMs);
    };
}

} // namespace devsim
