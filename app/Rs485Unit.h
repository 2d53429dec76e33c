#pragma once
// Function names of the RS-485 block's virtual reader: the position of a name is the function
// number exchanged with the device.

#include "platform/rtl/System.h"

#include <array>

constexpr int RS485VirtInFuncCount = 53;
constexpr int RS485VirtOutFuncCount = 45;

extern std::array<String, RS485VirtInFuncCount> RS485VirtInFunc;
extern std::array<String, RS485VirtOutFuncCount> RS485VirtOutFunc;

// Builds both tables through the language file's messages, the input table first. Later calls
// do nothing until FreeRs485Vocabulary.
void InitRs485Vocabulary();
void FreeRs485Vocabulary();
