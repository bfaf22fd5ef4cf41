// A file opened for reading, closed when the object goes.
#pragma once

#include "fw/UniqueHandle.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace fw {

class File {
public:
    File() = default;
    ~File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens an existing file for reading only, shared with nobody; false when it cannot, with
    // the thread's last error as the open left it.
    bool OpenReadExclusive(const std::wstring& path);
    // The file's size in bytes; false when it cannot be had.
    bool Size(uint64_t& size) const;
    // Reads up to maximum bytes into buffer; false on a read error, with *got the bytes
    // read (0 at the end of the file).
    bool Read(void* buffer, uint32_t maximum, uint32_t* got);
    // Closes the file.
    void Close() { handle_.Reset(); }
    // True while a file is open.
    bool IsOpen() const { return static_cast<bool>(handle_); }

private:
    UniqueHandle handle_;
};

} // namespace fw
