// A Win32 critical section that serialises every entry point of the simulated library.
#pragma once

#include <windows.h>

namespace lvxio {

class CriticalSection {
public:
    // Initialises the section.
    CriticalSection();
    // Deletes the section.
    ~CriticalSection();
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    // Holds the section for the guard's lifetime; may be told to try only once.
    class Guard {
    public:
        // Enters the section, or only tries to when tryOnly is set (see owns()).
        explicit Guard(CriticalSection& section, bool tryOnly = false);
        // Leaves the section if it was entered.
        ~Guard();
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

        // True when the section was entered.
        bool owns() const { return owns_; }

    private:
        CriticalSection& section_;
        bool owns_;
    };

private:
    CRITICAL_SECTION section_;
};

} // namespace lvxio
