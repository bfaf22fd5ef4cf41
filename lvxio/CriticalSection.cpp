#include "lvxio/CriticalSection.h"

namespace lvxio {

// Initialises the section.
CriticalSection::CriticalSection() {
    InitializeCriticalSection(&section_);
}

// Deletes the section.
CriticalSection::~CriticalSection() {
    DeleteCriticalSection(&section_);
}

// Enters the section; at process exit another thread may have died holding it, hence tryOnly.
CriticalSection::Guard::Guard(CriticalSection& section, bool tryOnly)
    : section_(section), owns_(true) {
    if (tryOnly) {
        owns_ = TryEnterCriticalSection(&section_.section_) != FALSE;
    } else {
        EnterCriticalSection(&section_.section_);
    }
}

// Leaves the section if it was entered.
CriticalSection::Guard::~Guard() {
    if (owns_) {
        LeaveCriticalSection(&section_.section_);
    }
}

} // namespace lvxio
