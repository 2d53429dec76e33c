#pragma once
// The USB-serial adapter calls the tool uses, with the vendor driver's names, argument order and
// status codes, implemented over Linux termios (or over a transport plugged in by tests).
//
// Adapter index 0 is the first tty of an FTDI USB-serial device (USB vendor 0403) found in sysfs,
// ordered by name (ttyUSB2 before ttyUSB10).  When the environment variable KVT_SERIAL_PORT names a
// path, index 0 is that path instead (a simulator's pseudo-terminal, another serial port).

#include <cstdint>
#include <string>

using FT_HANDLE = void*;
using FT_STATUS = uint32_t;

enum : FT_STATUS {
    FT_OK = 0,
    FT_INVALID_HANDLE = 1,
    FT_DEVICE_NOT_FOUND = 2,
    FT_DEVICE_NOT_OPENED = 3,
    FT_IO_ERROR = 4,
    FT_INSUFFICIENT_RESOURCES = 5,
    FT_INVALID_PARAMETER = 6,
    FT_INVALID_BAUD_RATE = 7,
    FT_DEVICE_NOT_OPENED_FOR_ERASE = 8,
    FT_DEVICE_NOT_OPENED_FOR_WRITE = 9,
    FT_FAILED_TO_WRITE_DEVICE = 10,
    FT_EEPROM_READ_FAILED = 11,
    FT_EEPROM_WRITE_FAILED = 12,
    FT_EEPROM_ERASE_FAILED = 13,
    FT_EEPROM_NOT_PRESENT = 14,
    FT_EEPROM_NOT_PROGRAMMED = 15,
    FT_INVALID_ARGS = 16,
    FT_NOT_SUPPORTED = 17,
    FT_OTHER_ERROR = 18,
    FT_DEVICE_LIST_NOT_READY = 19,
    // Not a code of the vendor driver: the tty exists but the user may not open it (on most
    // distributions the user is missing from the "dialout" group).
    FT_DEVICE_ACCESS_DENIED = 20,
};

// What FT_Purge empties.
enum : uint32_t {
    FT_PURGE_RX = 1,
    FT_PURGE_TX = 2,
};

// Word lengths, stop bits and parity for FT_SetDataCharacteristics.
enum : uint8_t {
    FT_BITS_8 = 8,
    FT_BITS_7 = 7,
    FT_STOP_BITS_1 = 0,
    FT_STOP_BITS_2 = 2,
    FT_PARITY_NONE = 0,
    FT_PARITY_ODD = 1,
    FT_PARITY_EVEN = 2,
    FT_PARITY_MARK = 3,
    FT_PARITY_SPACE = 4,
};

// On failure *pHandle is set to nullptr; FT_GetLastOpenError() then tells why.
FT_STATUS FT_Open(int deviceNumber, FT_HANDLE* pHandle);
FT_STATUS FT_Close(FT_HANDLE ftHandle);
// Waits until bytesToRead bytes have arrived or the read time-out has passed (0: no time limit);
// a time-out is not an error, *bytesReturned tells how many arrived.
FT_STATUS FT_Read(FT_HANDLE ftHandle, void* buffer, uint32_t bytesToRead, uint32_t* bytesReturned);
FT_STATUS FT_Write(FT_HANDLE ftHandle, const void* buffer, uint32_t bytesToWrite, uint32_t* bytesWritten);
FT_STATUS FT_SetBaudRate(FT_HANDLE ftHandle, uint32_t baudRate);
FT_STATUS FT_SetDataCharacteristics(FT_HANDLE ftHandle, uint8_t wordLength, uint8_t stopBits, uint8_t parity);
FT_STATUS FT_SetTimeouts(FT_HANDLE ftHandle, uint32_t readTimeout, uint32_t writeTimeout);
FT_STATUS FT_GetQueueStatus(FT_HANDLE ftHandle, uint32_t* rxBytes);
// Discards the bytes waiting in the receive queue (FT_PURGE_RX) and/or not yet sent (FT_PURGE_TX).
FT_STATUS FT_Purge(FT_HANDLE ftHandle, uint32_t mask);
// Not a call of the vendor driver (which signals arrivals through an event object): sleeps until
// a byte waits in the receive queue or timeoutMs has passed, whichever comes first.  A time-out is
// not an error; the caller looks at the queue afterwards.
FT_STATUS FT_WaitForReceive(FT_HANDLE ftHandle, uint32_t timeoutMs);

// A readable reason for the last failed FT_Open of this thread (empty after a successful one),
// in Russian for the tool's error boxes: which path, and what to do about it.
std::string FT_GetLastOpenError();
