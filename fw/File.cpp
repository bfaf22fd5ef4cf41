#include "fw/File.h"

#include "fw/Text.h"

#include <string>

namespace fw {

namespace {

constexpr DWORD ReadExclusiveShare = 0;
constexpr DWORD ReadFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN;

// An ANSI path of MAX_PATH characters or more is refused by the ANSI file calls: such a path is
// opened through the wide call with the "\\?\" prefix, which lifts the limit for a full path
// ("\\?\UNC\" for a share).
HANDLE OpenLongPath(const std::string& path) {
    const bool prefixed = path.compare(0, 4, "\\\\?\\") == 0 || path.compare(0, 4, "\\\\.\\") == 0;
    std::string full = path;
    if (!prefixed) {
        full = path.compare(0, 2, "\\\\") == 0 ? "\\\\?\\UNC\\" + path.substr(2) : "\\\\?\\" + path;
    }
    std::wstring wide;
    if (!WideFromAnsi(full, wide, "Long path")) {
        return INVALID_HANDLE_VALUE;
    }
    return ::CreateFileW(wide.c_str(), GENERIC_READ, ReadExclusiveShare, nullptr, OPEN_EXISTING,
                         ReadFlags, nullptr);
}

} // namespace

// No sharing: a file that another process holds open fails to open here too.
bool File::OpenReadExclusive(const char* path) {
    const std::string text = path;
    if (text.size() >= MAX_PATH) {
        handle_.Reset(OpenLongPath(text));
    } else {
        handle_.Reset(::CreateFileA(path, GENERIC_READ, ReadExclusiveShare, nullptr, OPEN_EXISTING,
                                    ReadFlags, nullptr));
    }
    return IsOpen();
}

// Only the low 32 bits count. GetFileSize without its high half cannot tell a failure from a
// size whose low half is 0xFFFFFFFF; the Ex form can.
uint32_t File::Size() const {
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(handle_.Get(), &size)) {
        return 0;
    }
    return static_cast<uint32_t>(size.QuadPart & 0xFFFFFFFF);
}

// One ReadFile call; a short count is the end of the file, not an error.
bool File::Read(void* buffer, uint32_t maximum, uint32_t* got) {
    DWORD read = 0;
    const BOOL ok = ::ReadFile(handle_.Get(), buffer, maximum, &read, nullptr);
    *got = ok ? read : 0;
    return ok != FALSE;
}

} // namespace fw
