// Handle bookkeeping and dispatch of the adapter calls to their transport.

#include "platform/serial/Ftd2xx.h"
#include "platform/serial/SerialTransport.h"

#include <cstdlib>
#include <map>
#include <mutex>

namespace {

struct Registry {
    std::mutex lock;
    TSerialTransportFactory factory;
    // A handle is a key of this map; a stale or foreign pointer is never dereferenced.
    std::map<FT_HANDLE, std::shared_ptr<TSerialTransport>> open;
    uintptr_t nextId = 1;
};

Registry& registry() {
    static Registry r;
    return r;
}

thread_local std::string lastOpenError;

std::shared_ptr<TSerialTransport> find(FT_HANDLE h) {
    Registry& r = registry();
    std::lock_guard<std::mutex> g(r.lock);
    auto it = r.open.find(h);
    return it == r.open.end() ? nullptr : it->second;
}

std::unique_ptr<TSerialTransport> openTermios(int index, FT_STATUS* status, std::string* reason) {
    std::string path;
    const char* env = std::getenv("KVT_SERIAL_PORT");
    if (env && *env) {
        if (index != 0) {
            *status = FT_DEVICE_NOT_FOUND;
            *reason = "Only adapter 0 exists when KVT_SERIAL_PORT is set (" + std::string(env) + ")";
            return nullptr;
        }
        path = env;
    } else {
        std::vector<std::string> ports = FindFtdiPorts();
        if (index < 0 || size_t(index) >= ports.size()) {
            *status = FT_DEVICE_NOT_FOUND;
            *reason = ports.empty() ? "No USB-serial adapter (USB vendor 0403) is connected"
                                    : "There is no USB-serial adapter number " + std::to_string(index);
            return nullptr;
        }
        path = ports[size_t(index)];
    }
    return OpenTermiosTransport(path, status, reason);
}

} // namespace

void SetSerialTransportFactory(TSerialTransportFactory factory) {
    Registry& r = registry();
    std::lock_guard<std::mutex> g(r.lock);
    r.factory = std::move(factory);
}

FT_STATUS FT_Open(int deviceNumber, FT_HANDLE* pHandle) {
    if (!pHandle) return FT_INVALID_PARAMETER;
    *pHandle = nullptr;
    TSerialTransportFactory factory;
    {
        Registry& r = registry();
        std::lock_guard<std::mutex> g(r.lock);
        factory = r.factory;
    }
    FT_STATUS status = FT_OK;
    std::string reason;
    std::unique_ptr<TSerialTransport> t =
        factory ? factory(deviceNumber, &status, &reason) : openTermios(deviceNumber, &status, &reason);
    if (!t) {
        if (status == FT_OK) status = FT_DEVICE_NOT_OPENED;
        lastOpenError = reason.empty() ? "The adapter could not be opened" : reason;
        return status;
    }
    Registry& r = registry();
    std::lock_guard<std::mutex> g(r.lock);
    FT_HANDLE h = reinterpret_cast<FT_HANDLE>(r.nextId++);
    r.open.emplace(h, std::shared_ptr<TSerialTransport>(std::move(t)));
    *pHandle = h;
    lastOpenError.clear();
    return FT_OK;
}

FT_STATUS FT_Close(FT_HANDLE ftHandle) {
    std::shared_ptr<TSerialTransport> t;
    {
        Registry& r = registry();
        std::lock_guard<std::mutex> g(r.lock);
        auto it = r.open.find(ftHandle);
        if (it == r.open.end()) return FT_INVALID_HANDLE;
        t = std::move(it->second);
        r.open.erase(it);
    }
    return FT_OK; // the transport closes when the last user lets go of it
}

FT_STATUS FT_Read(FT_HANDLE ftHandle, void* buffer, uint32_t bytesToRead, uint32_t* bytesReturned) {
    auto t = find(ftHandle);
    if (!t) return FT_INVALID_HANDLE;
    if (!bytesReturned || (!buffer && bytesToRead)) return FT_INVALID_PARAMETER;
    *bytesReturned = 0;
    return t->Read(static_cast<uint8_t*>(buffer), bytesToRead, bytesReturned);
}

FT_STATUS FT_Write(FT_HANDLE ftHandle, const void* buffer, uint32_t bytesToWrite, uint32_t* bytesWritten) {
    auto t = find(ftHandle);
    if (!t) return FT_INVALID_HANDLE;
    if (!bytesWritten || (!buffer && bytesToWrite)) return FT_INVALID_PARAMETER;
    *bytesWritten = 0;
    return t->Write(static_cast<const uint8_t*>(buffer), bytesToWrite, bytesWritten);
}

FT_STATUS FT_SetBaudRate(FT_HANDLE ftHandle, uint32_t baudRate) {
    auto t = find(ftHandle);
    return t ? t->SetBaudRate(baudRate) : FT_INVALID_HANDLE;
}

FT_STATUS FT_SetDataCharacteristics(FT_HANDLE ftHandle, uint8_t wordLength, uint8_t stopBits,
                                    uint8_t parity) {
    auto t = find(ftHandle);
    if (!t) return FT_INVALID_HANDLE;
    if ((wordLength != FT_BITS_7 && wordLength != FT_BITS_8) ||
        (stopBits != FT_STOP_BITS_1 && stopBits != FT_STOP_BITS_2) || parity > FT_PARITY_SPACE)
        return FT_INVALID_PARAMETER;
    return t->SetDataCharacteristics(wordLength, stopBits, parity);
}

FT_STATUS FT_SetTimeouts(FT_HANDLE ftHandle, uint32_t readTimeout, uint32_t writeTimeout) {
    auto t = find(ftHandle);
    return t ? t->SetTimeouts(readTimeout, writeTimeout) : FT_INVALID_HANDLE;
}

FT_STATUS FT_GetQueueStatus(FT_HANDLE ftHandle, uint32_t* rxBytes) {
    auto t = find(ftHandle);
    if (!t) return FT_INVALID_HANDLE;
    if (!rxBytes) return FT_INVALID_PARAMETER;
    *rxBytes = 0;
    return t->GetQueueStatus(rxBytes);
}

std::string FT_GetLastOpenError() {
    return lastOpenError;
}
