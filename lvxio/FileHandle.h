// An owned Win32 file handle, with the whole-file helpers the simulator needs.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace lvxio {

class FileHandle {
public:
    // Takes ownership of handle (INVALID_HANDLE_VALUE for none).
    explicit FileHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    // Closes the handle.
    ~FileHandle();
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    // Moves ownership.
    FileHandle(FileHandle&& other) noexcept;
    // Moves ownership, closing the current handle.
    FileHandle& operator=(FileHandle&& other) noexcept;

    // True when a handle is held.
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    // The raw handle.
    HANDLE get() const { return handle_; }

    // Reads the whole file; false if it cannot be opened or read.
    static bool readAll(const std::string& path, std::string& contents);
    // Replaces the file with contents (written to a side file first, then moved in).
    static bool writeAll(const std::string& path, const std::string& contents);
    // Appends bytes at the end of the file, creating it; other processes may append too.
    static bool append(const std::string& path, const void* data, std::size_t size);
    // True when path names an existing file.
    static bool exists(const std::string& path);

private:
    HANDLE handle_;
};

} // namespace lvxio
