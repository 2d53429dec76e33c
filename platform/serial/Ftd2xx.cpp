// Handle bookkeeping and dispatch of the adapter calls to their transport.

#include "platform/serial/Ftd2xx.h"
#include "platform/serial/SerialTransport.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>

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
            *reason = "Задан порт KVT_SERIAL_PORT=" + std::string(env) + ", других адаптеров нет";
            return nullptr;
        }
        path = env;
    } else {
        std::vector<std::string> ports = FindFtdiPorts();
        if (index < 0 || size_t(index) >= ports.size()) {
            *status = FT_DEVICE_NOT_FOUND;
            *reason = ports.empty() ? "USB-адаптер FTDI (USB 0403) не подключён"
                                    : "Нет USB-адаптера с номером " + std::to_string(index);
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
        lastOpenError = reason.empty() ? "Адаптер не удалось открыть" : reason;
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

FT_STATUS FT_Purge(FT_HANDLE ftHandle, uint32_t mask) {
    auto t = find(ftHandle);
    if (!t) return FT_INVALID_HANDLE;
    if (mask & ~uint32_t(FT_PURGE_RX | FT_PURGE_TX)) return FT_INVALID_PARAMETER;
    return t->Purge(mask);
}

FT_STATUS FT_WaitForReceive(FT_HANDLE ftHandle, uint32_t timeoutMs) {
    auto t = find(ftHandle);
    return t ? t->WaitForReceive(timeoutMs) : FT_INVALID_HANDLE;
}

FT_STATUS TSerialTransport::Purge(uint32_t mask) {
    if (!(mask & FT_PURGE_RX)) return FT_OK;
    uint8_t buf[256];
    for (;;) {
        uint32_t n = 0;
        if (FT_STATUS s = GetQueueStatus(&n); s != FT_OK) return s;
        if (n == 0) return FT_OK;
        uint32_t got = 0;
        if (FT_STATUS s = Read(buf, std::min<uint32_t>(n, sizeof buf), &got); s != FT_OK) return s;
        if (got == 0) return FT_OK;
    }
}

FT_STATUS TSerialTransport::WaitForReceive(uint32_t timeoutMs) {
    if (timeoutMs) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return FT_OK;
}

std::string FT_GetLastOpenError() {
    return lastOpenError;
}
