#include "fw/File.h"

namespace fw {

namespace {

constexpr DWORD ReadExclusiveShare = 0;
constexpr DWORD ReadFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN;

// A full path of MAX_PATH units or more is refused unless it carries the "\\?\" prefix, which
// lifts the limit ("\\?\UNC\" for a share). Shorter paths stay as they are: the prefix also
// turns off the normalisation that a relative or "."-holding path needs.
std::wstring WithoutLengthLimit(const std::wstring& path) {
    if (path.size() < MAX_PATH || path.compare(0, 4, L"\\\\?\\") == 0 ||
        path.compare(0, 4, L"\\\\.\\") == 0) {
        return path;
    }
    return path.compare(0, 2, L"\\\\") == 0 ? L"\\\\?\\UNC\\" + path.substr(2) : L"\\\\?\\" + path;
}

} // namespace

// No sharing: a file that another process holds open fails to open here too.
bool File::OpenReadExclusive(const std::wstring& path) {
    handle_.Reset(::CreateFileW(WithoutLengthLimit(path).c_str(), GENERIC_READ, ReadExclusiveShare,
                                nullptr, OPEN_EXISTING, ReadFlags, nullptr));
    return IsOpen();
}

// GetFileSize without its high half cannot tell a failure from a size whose low half is
// 0xFFFFFFFF; the Ex form can.
bool File::Size(uint64_t& size) const {
    LARGE_INTEGER value = {};
    if (!::GetFileSizeEx(handle_.Get(), &value) || value.QuadPart < 0) {
        return false;
    }
    size = static_cast<uint64_t>(value.QuadPart);
    return true;
}

// One ReadFile call; a short count is the end of the file, not an error.
bool File::Read(void* buffer, uint32_t maximum, uint32_t* got) {
    DWORD read = 0;
    const BOOL ok = ::ReadFile(handle_.Get(), buffer, maximum, &read, nullptr);
    *got = ok ? read : 0;
    return ok != FALSE;
}

} // namespace fw
