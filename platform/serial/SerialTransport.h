#pragma once
// What stands behind an adapter handle: a termios tty, or whatever a test plugs in (the device
// simulator in-process).  The D2XX-style calls of Ftd2xx.h check the handle and forward here.

#include "platform/serial/Ftd2xx.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TSerialTransport {
public:
    virtual ~TSerialTransport() = default;
    virtual FT_STATUS Read(uint8_t* buffer, uint32_t count, uint32_t* got) = 0;
    virtual FT_STATUS Write(const uint8_t* buffer, uint32_t count, uint32_t* written) = 0;
    virtual FT_STATUS SetBaudRate(uint32_t baudRate) = 0;
    virtual FT_STATUS SetDataCharacteristics(uint8_t wordLength, uint8_t stopBits, uint8_t parity) = 0;
    virtual FT_STATUS SetTimeouts(uint32_t readMs, uint32_t writeMs) = 0;
    virtual FT_STATUS GetQueueStatus(uint32_t* rxBytes) = 0;
    // By default the receive queue is drained through Read; nothing is held back for sending.
    virtual FT_STATUS Purge(uint32_t mask);
    // By default a short sleep (at most 1 ms): transports that can tell when bytes arrive wait
    // for them instead.
    virtual FT_STATUS WaitForReceive(uint32_t timeoutMs);
};

// Called by FT_Open with the device index.  Returns the transport, or nullptr with *status set to
// the failure (and *reason to a readable text).
using TSerialTransportFactory =
    std::function<std::unique_ptr<TSerialTransport>(int index, FT_STATUS* status, std::string* reason)>;

// Replaces the termios back end for every later FT_Open; an empty factory restores it.  Handles
// opened before keep their transport.
void SetSerialTransportFactory(TSerialTransportFactory factory);

// The termios back end, usable directly (tests, tools).
std::unique_ptr<TSerialTransport> OpenTermiosTransport(const std::string& path, FT_STATUS* status,
                                                       std::string* reason);

// The tty paths of FTDI USB-serial adapters under a sysfs root ("/sys" normally), ordered by name.
std::vector<std::string> FindFtdiPorts(const std::string& sysfsRoot = "/sys",
                                       const std::string& devDir = "/dev");
