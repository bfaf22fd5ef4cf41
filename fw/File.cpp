#include "fw/File.h"

namespace fw {

// No sharing: a file that another process holds open fails to open here too.
bool File::OpenReadExclusive(const char* path) {
    handle_.Reset(::CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
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
