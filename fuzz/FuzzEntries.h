#pragma once
// Fuzz entry points: one per kind of outside input, each feeding one input through the
// project's own loader and checking what must hold whatever the input (nothing lost, what is
// written reads back, a failed load changes nothing). libFuzzer drives them (fuzz/FuzzMain.cpp,
// built with -DKVT_FUZZ=ON); the replay test runs the seed corpora and the bad-input fixtures
// through the same functions in every test build.
//
// An input the loader refuses with the project's exception (an Exception) is a normal outcome.
// A broken rule throws CheckFailed, which no entry catches: libFuzzer reports it as a crash and
// the replay test as a failure.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace kvt_fuzz {

struct CheckFailed : std::logic_error {
    using std::logic_error::logic_error;
};

// Throws CheckFailed with What when Ok is false.
void Check(bool Ok, const std::string& What);

// The Qt application object (offscreen platform), the window layer, pinned format settings and a
// scratch directory. Called once before the first input.
void Init();

// Each takes the raw input bytes.
void Settings(const uint8_t* Data, size_t Size); // a settings file, loaded by the main window
void Language(const uint8_t* Data, size_t Size); // the language file: messages and captions
void Device(const uint8_t* Data, size_t Size);   // scripted device answers to a read
void MemTable(const uint8_t* Data, size_t Size); // a memory-table file, binary or text form
void Streams(const uint8_t* Data, size_t Size);  // a component stream, binary or text form
void Filter(const uint8_t* Data, size_t Size);   // a filter text over a data set
void IniFile(const uint8_t* Data, size_t Size);  // an ini file, read and written
void Numbers(const uint8_t* Data, size_t Size);  // number and date parsing, Format

struct Target {
    const char* Name;
    void (*Run)(const uint8_t*, size_t);
};
const std::vector<Target>& Targets();
// The target of that name; nullptr when none.
const Target* FindTarget(const std::string& Name);

// Writes Data to a file of the scratch directory with that name and answers its path.
std::string ScratchFile(const std::string& Name, const uint8_t* Data, size_t Size);

} // namespace kvt_fuzz
