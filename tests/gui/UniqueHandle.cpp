#include "UniqueHandle.h"

#include <utility>

namespace guitest {

// INVALID_HANDLE_VALUE is normalised so callers test one empty value only.
UniqueHandle::UniqueHandle(HANDLE handle)
    : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}

// Closes the handle if one is held.
UniqueHandle::~UniqueHandle() {
    reset();
}

// Moves ownership; the source ends empty.
UniqueHandle::UniqueHandle(UniqueHandle&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

// Closes ours, then takes the other's.
UniqueHandle& UniqueHandle::operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
        reset();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

// Closes now so a file or process can go before the owner does.
void UniqueHandle::reset() {
    if (handle_ != nullptr) {
        CloseHandle(handle_);
        handle_ = nullptr;
    }
}

} // namespace guitest
