// Owner of one kernel handle, closed when the owner goes.
#pragma once

#include <windows.h>

#include <utility>

namespace fw {

class UniqueHandle {
public:
    UniqueHandle() = default;
    // Takes ownership of handle; null and INVALID_HANDLE_VALUE both mean none.
    explicit UniqueHandle(HANDLE handle) : handle_(Normalise(handle)) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.handle_, nullptr));
        }
        return *this;
    }

    // The handle, still owned; null when none.
    HANDLE Get() const { return handle_; }
    // True while a handle is owned.
    explicit operator bool() const { return handle_ != nullptr; }
    // Closes the owned handle and takes the new one.
    void Reset(HANDLE handle = nullptr) {
        if (handle_ != nullptr) {
            ::CloseHandle(handle_);
        }
        handle_ = Normalise(handle);
    }

private:
    static HANDLE Normalise(HANDLE handle) {
        return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
    }

    HANDLE handle_ = nullptr;
};

} // namespace fw
