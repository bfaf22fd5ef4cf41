#include "fw/Operations.h"
#include "fw/Text.h"

#include "fw/Module.h"
#include "fw/Trace.h"

#include <utility>

namespace fw {

namespace {

// Bytes first offered to LoadStringA; the short texts fit, the long ones take a second call.
constexpr std::size_t FirstStringBuffer = 128;
// A string-table entry holds at most 65,535 UTF-16 units, at most two ANSI bytes each.
constexpr std::size_t MaxStringBuffer = 256 * 1024;
// Longest path the wide calls take, in UTF-16 units, rounded up to the buffer's doubling.
constexpr DWORD MaxPathUnits = 64 * 1024;

} // namespace

// LoadStringA copies at most size - 1 bytes and cuts the rest silently (a zero size is not
// allowed for the ANSI form), so a text that fills the buffer is read again into a larger one.
std::string LoadResString(UINT id) {
    const HINSTANCE instance = ProgramModule();
    for (std::size_t size = FirstStringBuffer; size <= MaxStringBuffer; size *= 2) {
        std::string buffer(size, '\0');
        const int copied = ::LoadStringA(instance, id, buffer.data(), static_cast<int>(size));
        if (copied <= 0) {
            FailureTrace(op::StringTable, "LoadStringA")
                .Result(copied)
                .LastError()
                .Note("id " + std::to_string(id));
            return std::string();
        }
        if (static_cast<std::size_t>(copied) < size - 1) {
            buffer.resize(static_cast<std::size_t>(copied));
            return buffer;
        }
    }
    FailureTrace(op::StringTable, "LoadStringA").Note("id " + std::to_string(id) + " too long");
    return std::string();
}

// The call cuts a path that does not fit and says so only by filling the buffer, so the
// buffer grows until the path fits with room to spare; a path never exceeds 32,767 units.
bool ProgramFolder(std::wstring& folder) {
    for (DWORD size = MAX_PATH; size <= MaxPathUnits; size *= 2) {
        std::wstring path(size, L'\0');
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), size);
        if (length == 0) {
            FailureTrace(op::ProgramFolder, "GetModuleFileNameW").LastError();
            return false;
        }
        if (length < size) {
            path.resize(length);
            const std::size_t slash = path.rfind(L'\\');
            folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
            return true;
        }
    }
    FailureTrace(op::ProgramFolder, "GetModuleFileNameW").Note("path too long");
    return false;
}

} // namespace fw

namespace fw {

// Two calls: the first asks the length, terminator included, for -1 as the source length.
bool WideFromAnsi(const std::string& text, std::wstring& wide, const char* operation) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring converted(length > 0 ? static_cast<std::size_t>(length) : 0, L'\0');
    if (length <= 0 ||
        ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, converted.data(), length) != length) {
        FailureTrace(operation, "MultiByteToWideChar").LastError();
        return false;
    }
    converted.resize(static_cast<std::size_t>(length - 1));
    wide = std::move(converted);
    return true;
}

} // namespace fw

namespace fw {

namespace {

// text in codePage; empty when it cannot be converted.
std::string Narrow(const std::wstring& text, UINT codePage) {
    if (text.empty()) {
        return std::string();
    }
    const int units = static_cast<int>(text.size());
    const int length =
        ::WideCharToMultiByte(codePage, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
    std::string converted(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length <= 0 || ::WideCharToMultiByte(codePage, 0, text.data(), units, converted.data(),
                                             length, nullptr, nullptr) != length) {
        return std::string();
    }
    return converted;
}

} // namespace

// Lossy on purpose: the text is only read by a person.
std::string DisplayText(const std::wstring& text) {
    return Narrow(text, CP_ACP);
}

std::string Utf8Text(const std::wstring& text) {
    return Narrow(text, CP_UTF8);
}

} // namespace fw
