#include "AppProcess.h"

#include <cstring>
#include <stdexcept>

namespace guitest {

namespace {

// Tries of CreateProcessA when Wine reports an internal error.
constexpr int StartAttempts = 3;

// Exit code given by kill(), unlike anything the program returns itself.
constexpr UINT KilledExitCode = 0xDEAD;

// Case-insensitive equality of variable names, as Windows treats them.
bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && _strnicmp(a.c_str(), b.c_str(), a.size()) == 0;
}

// Inherited block with the extra variables replaced or appended, double-NUL terminated.
std::vector<char> environmentBlock(const Environment& extra) {
    std::vector<std::string> entries;
    LPCH inherited = GetEnvironmentStringsA();
    if (inherited != nullptr) {
        for (const char* entry = inherited; *entry != '\0'; entry += strlen(entry) + 1) {
            const std::string text = entry;
            const size_t equals = text.find('=', 1);
            const std::string name = text.substr(0, equals);
            bool replaced = false;
            for (const auto& [key, value] : extra) {
                replaced = replaced || sameName(name, key);
            }
            if (!replaced) {
                entries.push_back(text);
            }
        }
        FreeEnvironmentStringsA(inherited);
    }
    for (const auto& [key, value] : extra) {
        entries.push_back(key + "=" + value);
    }
    std::vector<char> block;
    for (const std::string& entry : entries) {
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back('\0');
    }
    block.push_back('\0');
    return block;
}

// What EnumWindows collects for one process.
struct WindowSearch {
    DWORD processId;
    std::vector<Window> found;
};

// Callback of EnumWindows: keeps the windows of one process.
BOOL CALLBACK collectTopLevel(HWND handle, LPARAM search) {
    auto* target = reinterpret_cast<WindowSearch*>(search);
    DWORD owner = 0;
    GetWindowThreadProcessId(handle, &owner);
    if (owner == target->processId) {
        target->found.emplace_back(handle);
    }
    return TRUE;
}

// ANSI test paths in UTF-16.
std::wstring widePath(const std::string& path) {
    const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<std::size_t>(length) : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), length);
    wide.resize(wide.size() - 1);
    return wide;
}

// A UTF-16 path for a message: what the code page lacks comes out as '?'.
std::string narrowPath(const std::wstring& path) {
    const int length =
        WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(length > 0 ? static_cast<std::size_t>(length) : 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, narrow.data(), length, nullptr, nullptr);
    narrow.resize(narrow.size() - 1);
    return narrow;
}

} // namespace

AppProcess::AppProcess(const std::string& exePath, const std::string& workingDir,
                       const Environment& extra, const std::string& arguments)
    : AppProcess(widePath(exePath), widePath(workingDir), extra, arguments) {}

AppProcess::AppProcess(const std::wstring& exePath, const std::wstring& workingDir,
                       const Environment& extra, const std::string& arguments)
    : AppProcess(exePath, workingDir, extra, Launch{widePath(arguments)}) {}

// The command line is quoted exe path plus arguments; CreateProcessW may write into it. The
// environment block stays ANSI (no CREATE_UNICODE_ENVIRONMENT). Only a standard output given is
// inherited.
AppProcess::AppProcess(const std::wstring& exePath, const std::wstring& workingDir,
                       const Environment& extra, const Launch& launch) {
    std::wstring commandLine = L"\"" + exePath + L"\"";
    if (!launch.arguments.empty()) {
        commandLine += L" " + launch.arguments;
    }
    std::vector<wchar_t> command(commandLine.begin(), commandLine.end());
    command.push_back(L'\0');
    std::vector<char> environment = environmentBlock(extra);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    const bool inherit = launch.standardOutput != nullptr;
    if (inherit) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = launch.standardOutput;
        startup.hStdError = launch.standardOutput;
    }
    PROCESS_INFORMATION info{};
    // Wine now and then fails a start with ERROR_INTERNAL_ERROR before any code of the program
    // ran; a few more tries tell that apart from a program that cannot start.
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < StartAttempts; ++attempt) {
        if (CreateProcessW(exePath.c_str(), command.data(), nullptr, nullptr,
                           inherit ? TRUE : FALSE, 0, environment.data(), workingDir.c_str(),
                           &startup, &info)) {
            error = ERROR_SUCCESS;
            break;
        }
        error = GetLastError();
        if (error != ERROR_INTERNAL_ERROR) {
            break;
        }
        settle(Millis(200));
    }
    if (error != ERROR_SUCCESS) {
        throw std::runtime_error("cannot start " + narrowPath(exePath) + " (error " +
                                 std::to_string(error) + ")");
    }
    process_ = fw::UniqueHandle(info.hProcess);
    thread_ = fw::UniqueHandle(info.hThread);
    processId_ = info.dwProcessId;
    threadId_ = info.dwThreadId;
}

// A test that failed half-way must not leave the program running into the next test.
AppProcess::~AppProcess() {
    if (running()) {
        kill();
    }
}

// Zero-timeout wait on the process handle.
bool AppProcess::running() const {
    return WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

// STILL_ACTIVE would be ambiguous, so the handle's state decides.
std::optional<DWORD> AppProcess::exitCode() const {
    if (running()) {
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.Get(), &code);
    return code;
}

// One kernel wait with the limit; no polling needed for a process handle.
DWORD AppProcess::waitForExit(Millis limit) const {
    if (WaitForSingleObject(process_.Get(), static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) {
        throw WaitTimeout("exit of process " + std::to_string(processId_), limit);
    }
    return *exitCode();
}

// A coverage build of the program (coverage/CoverageDump.cpp) writes its counts when asked, which
// TerminateProcess would lose; any other program has no such event and is killed at once. A
// program that does not answer (its counts half written, or hung) is killed all the same.
void AppProcess::requestCoverageDump() const {
    const std::string id = std::to_string(processId_);
    const fw::UniqueHandle request(
        OpenEventA(EVENT_MODIFY_STATE, FALSE, ("Corvane.CoverageDump." + id).c_str()));
    const fw::UniqueHandle done(
        OpenEventA(SYNCHRONIZE, FALSE, ("Corvane.CoverageDumped." + id).c_str()));
    if (!request || !done || !SetEvent(request.Get())) {
        return;
    }
    const HANDLE ends[] = {done.Get(), process_.Get()};
    WaitForMultipleObjects(2, ends, FALSE, static_cast<DWORD>(DefaultTimeout.count()));
}

// Bounded wait: a process that will not die is reported, not waited on forever.
void AppProcess::kill() {
    requestCoverageDump();
    TerminateProcess(process_.Get(), KilledExitCode);
    if (WaitForSingleObject(process_.Get(), static_cast<DWORD>(DefaultTimeout.count())) !=
        WAIT_OBJECT_0) {
        throw WaitTimeout("process " + std::to_string(processId_) + " to die after kill",
                          DefaultTimeout);
    }
}

// EnumWindows lists top-level windows of every process; ours are filtered by id.
std::vector<Window> AppProcess::topLevelWindows() const {
    WindowSearch search{processId_, {}};
    EnumWindows(collectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Hidden helper windows (IME, combo lists) are skipped by the visibility test.
std::vector<Window> AppProcess::visibleWindows(const std::string& className,
                                               const char* caption) const {
    std::vector<Window> matches;
    for (const Window& window : topLevelWindows()) {
        if (window.visible() && window.className() == className &&
            (caption == nullptr || window.caption() == caption)) {
            matches.push_back(window);
        }
    }
    return matches;
}

// Polls until exactly the wanted window shows; the first match wins.
Window AppProcess::waitForWindow(const std::string& className, const std::string& caption,
                                 Millis limit) const {
    return waitFor(
        "window \"" + caption + "\" (class " + className + ") of process " +
            std::to_string(processId_),
        [&] {
            const std::vector<Window> matches = visibleWindows(className, caption.c_str());
            return matches.empty() ? Window() : matches.front();
        },
        limit);
}

// Message boxes and dialogs share the class #32770.
Window AppProcess::waitForDialog(Window except, Millis limit) const {
    return waitFor(
        "a dialog or message box of process " + std::to_string(processId_),
        [&] {
            for (const Window& window : visibleWindows("#32770")) {
                if (window != except) {
                    return window;
                }
            }
            return Window();
        },
        limit);
}

// Hidden counts as gone: a modal dialog hides before it is destroyed.
void AppProcess::waitForWindowGone(const Window& window, Millis limit) const {
    waitFor(
        "window \"" + window.caption() + "\" to close",
        [&] { return !window.exists() || !window.visible(); }, limit);
}

} // namespace guitest
