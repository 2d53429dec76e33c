#pragma once
// Helpers shared by the ToolCtrlsEh sources only.

#include <utility>

// Runs a clean-up when the scope ends, on every path.
template <class F> class ScopeExit {
public:
    explicit ScopeExit(F f) : FFn(std::move(f)) {}
    ~ScopeExit() { FFn(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    F FFn;
};
