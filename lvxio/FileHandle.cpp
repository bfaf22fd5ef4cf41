#include "lvxio/FileHandle.h"

#include <utility>

namespace lvxio {

namespace {

// Largest file the simulator reads whole (scenarios and state files are small).
constexpr DWORD MaxReadSize = 64 * 1024 * 1024;

// Writes every byte, in pieces WriteFile accepts.
bool writeFully(HANDLE file, const char* data, std::size_t size) {
    while (size > 0) {
        const DWORD piece = size > 0x100000 ? 0x100000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, data, piece, &written, nullptr) || written == 0) {
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

} // namespace

// Closes the handle.
FileHandle::~FileHandle() {
    if (valid()) {
        CloseHandle(handle_);
    }
}

// Moves ownership.
FileHandle::FileHandle(FileHandle&& other) noexcept
    : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}

// Moves ownership, closing the current handle.
FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        if (valid()) {
            CloseHandle(handle_);
        }
        handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
    }
    return *this;
}

// Reads the whole file; sharing everything so a writer elsewhere is never blocked.
bool FileHandle::readAll(const std::string& path, std::string& contents) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > MaxReadSize) {
        return false;
    }
    contents.assign(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < contents.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(contents.size() - done);
        if (!ReadFile(file.get(), &contents[done], want, &got, nullptr)) {
            return false;
        }
        if (got == 0) {
            contents.resize(done);
            break;
        }
        done += got;
    }
    return true;
}

// Replaces the file; the side file keeps a reader in another process from seeing half of it.
bool FileHandle::writeAll(const std::string& path, const std::string& contents) {
    const std::string side = path + ".new";
    {
        FileHandle file(CreateFileA(side.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid() || !writeFully(file.get(), contents.data(), contents.size())) {
            return false;
        }
    }
    if (!MoveFileExA(side.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(side.c_str());
        return false;
    }
    return true;
}

// Appends at the end; FILE_APPEND_DATA alone makes each write land at the current end.
bool FileHandle::append(const std::string& path, const void* data, std::size_t size) {
    FileHandle file(CreateFileA(path.c_str(), FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return false;
    }
    return writeFully(file.get(), static_cast<const char*>(data), size);
}

// True when path names an existing file.
bool FileHandle::exists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

} // namespace lvxio
