// Owner of one kernel HANDLE, closed when the owner goes.
#pragma once

#include <windows.h>

namespace guitest {

class UniqueHandle {
public:
    UniqueHandle() = default;
    // Takes ownership; INVALID_HANDLE_VALUE counts as empty.
    explicit UniqueHandle(HANDLE handle);
    ~UniqueHandle();
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept;
    UniqueHandle& operator=(UniqueHandle&& other) noexcept;

    // The raw handle, still owned here.
    HANDLE get() const { return handle_; }
    // True while a handle is held.
    explicit operator bool() const { return handle_ != nullptr; }
    // Closes the held handle now.
    void reset();

private:
    HANDLE handle_ = nullptr;
};

} // namespace guitest
