#include "fw/Text.h"

#include "fw/Trace.h"

#include <cstring>
#include <utility>

namespace fw {

namespace {

// Bytes first offered to LoadStringA; the short texts fit, the long ones take a second call.
constexpr std::size_t FirstStringBuffer = 128;
// A string-table entry holds at most 65,535 UTF-16 units, at most two ANSI bytes each.
constexpr std::size_t MaxStringBuffer = 256 * 1024;

} // namespace

// LoadStringA copies at most size - 1 bytes and cuts the rest silently (a zero size is not
// allowed for the ANSI form), so a text that fills the buffer is read again into a larger one.
std::string LoadResString(UINT id) {
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    for (std::size_t size = FirstStringBuffer; size <= MaxStringBuffer; size *= 2) {
        std::string buffer(size, '\0');
        const int copied = ::LoadStringA(instance, id, buffer.data(), static_cast<int>(size));
        if (copied <= 0) {
            const DWORD error = ::GetLastError();
            FailureTrace("String table", "LoadStringA")
                .Result(copied)
                .LastError(error)
                .Note("id " + std::to_string(id));
            return std::string();
        }
        if (static_cast<std::size_t>(copied) < size - 1) {
            buffer.resize(static_cast<std::size_t>(copied));
            return buffer;
        }
    }
    FailureTrace("String table", "LoadStringA").Note("id " + std::to_string(id) + " too long");
    return std::string();
}

// Steps through text by characters; a lead byte takes its trail byte with it.
std::size_t FindLastBackslash(const std::string& text) {
    std::size_t found = std::string::npos;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<BYTE>(text[i]);
        if (::IsDBCSLeadByte(byte) && i + 1 < text.size()) {
            i += 2;
            continue;
        }
        if (byte == '\\') {
            found = i;
        }
        ++i;
    }
    return found;
}

// Tries the pattern at every character boundary of text.
std::size_t FindText(const char* text, const char* pattern) {
    const std::size_t textLength = std::strlen(text);
    const std::size_t patternLength = std::strlen(pattern);
    std::size_t i = 0;
    while (i + patternLength <= textLength) {
        if (std::memcmp(text + i, pattern, patternLength) == 0) {
            return i;
        }
        const auto byte = static_cast<BYTE>(text[i]);
        i += (::IsDBCSLeadByte(byte) && i + 1 < textLength) ? 2 : 1;
    }
    return std::string::npos;
}

// A full buffer means the path may have been cut: refuse it.
bool ProgramFolder(std::string& folder) {
    char path[MaxProgramPath] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MaxProgramPath);
    if (length == 0 || length >= MaxProgramPath) {
        const DWORD error = ::GetLastError();
        FailureTrace("Program folder", "GetModuleFileNameA")
            .Result(static_cast<long long>(length))
            .LastError(error);
        return false;
    }
    std::string full(path, length);
    const std::size_t slash = FindLastBackslash(full);
    folder = slash == std::string::npos ? std::string() : full.substr(0, slash);
    return true;
}

} // namespace fw

namespace fw {

// Two calls: the first asks the length, terminator included, for -1 as the source length.
bool WideFromAnsi(const std::string& text, std::wstring& wide, const char* operation) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring converted(length > 0 ? static_cast<std::size_t>(length) : 0, L'\0');
    if (length <= 0 ||
        ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, converted.data(), length) != length) {
        const DWORD error = ::GetLastError();
        FailureTrace(operation, "MultiByteToWideChar").LastError(error);
        return false;
    }
    converted.resize(static_cast<std::size_t>(length - 1));
    wide = std::move(converted);
    return true;
}

} // namespace fw
