// A critical section, and the scope that holds it.
#pragma once

#include <windows.h>

namespace fw {

class CriticalSection {
public:
    CriticalSection() { ::InitializeCriticalSection(&section_); }
    ~CriticalSection() { ::DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter() { ::EnterCriticalSection(&section_); }
    void Leave() { ::LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

// Holds a critical section while it lives.
class CriticalScope {
public:
    explicit CriticalScope(CriticalSection& section) : section_(section) { section_.Enter(); }
    ~CriticalScope() { section_.Leave(); }
    CriticalScope(const CriticalScope&) = delete;
    CriticalScope& operator=(const CriticalScope&) = delete;

private:
    CriticalSection& section_;
};

} // namespace fw
