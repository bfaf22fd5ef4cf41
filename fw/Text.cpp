#include "fw/Text.h"

#include <cstring>

namespace fw {

// Reads a string-table entry through a pointer to the resource itself, so no length limit.
std::string LoadResString(UINT id) {
    const char* text = nullptr;
    // With a zero buffer size the call hands back a read-only pointer into the resource.
    const int length =
        ::LoadStringA(::GetModuleHandleA(nullptr), id, reinterpret_cast<LPSTR>(&text), 0);
    if (length > 0 && text != nullptr) {
        return std::string(text, static_cast<std::size_t>(length));
    }
    // Some platforms do not support the pointer form for ANSI; fall back to a copy.
    char buffer[1024] = {};
    const int copied = ::LoadStringA(::GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
    return copied > 0 ? std::string(buffer, static_cast<std::size_t>(copied)) : std::string();
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
        return false;
    }
    std::string full(path, length);
    const std::size_t slash = FindLastBackslash(full);
    folder = slash == std::string::npos ? std::string() : full.substr(0, slash);
    return true;
}

} // namespace fw
