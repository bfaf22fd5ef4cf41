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

} // namespace

// The command line is quoted exe path plus arguments; CreateProcessA may write into it.
AppProcess::AppProcess(const std::string& exePath, const std::string& workingDir,
                       const Environment& extra, const std::string& arguments) {
    std::string commandLine = "\"" + exePath + "\"";
    if (!arguments.empty()) {
        commandLine += " " + arguments;
    }
    std::vector<char> command(commandLine.begin(), commandLine.end());
    command.push_back('\0');
    std::vector<char> environment = environmentBlock(extra);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // Wine now and then fails a start with ERROR_INTERNAL_ERROR before any code of the program
    // ran; a few more tries tell that apart from a program that cannot start.
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < StartAttempts; ++attempt) {
        if (CreateProcessA(exePath.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                           environment.data(), workingDir.c_str(), &startup, &info)) {
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
        throw std::runtime_error("cannot start " + exePath + " (error " + std::to_string(error) +
                                 ")");
    }
    process_ = UniqueHandle(info.hProcess);
    thread_ = UniqueHandle(info.hThread);
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
    return WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

// STILL_ACTIVE would be ambiguous, so the handle's state decides.
std::optional<DWORD> AppProcess::exitCode() const {
    if (running()) {
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return code;
}

// One kernel wait with the limit; no polling needed for a process handle.
DWORD AppProcess::waitForExit(Millis limit) const {
    if (WaitForSingleObject(process_.get(), static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) {
        throw WaitTimeout("exit of process " + std::to_string(processId_), limit);
    }
    return *exitCode();
}

// A coverage build of the program (app/CoverageDump.cpp) writes its counts when asked, which
// TerminateProcess would lose; any other program has no such event and is killed at once. A
// program that does not answer (its counts half written, or hung) is killed all the same.
void AppProcess::requestCoverageDump() const {
    const std::string id = std::to_string(processId_);
    const UniqueHandle request(
        OpenEventA(EVENT_MODIFY_STATE, FALSE, ("Corvane.CoverageDump." + id).c_str()));
    const UniqueHandle done(
        OpenEventA(SYNCHRONIZE, FALSE, ("Corvane.CoverageDumped." + id).c_str()));
    if (!request || !done || !SetEvent(request.get())) {
        return;
    }
    const HANDLE ends[] = {done.get(), process_.get()};
    WaitForMultipleObjects(2, ends, FALSE, static_cast<DWORD>(DefaultTimeout.count()));
}

// Bounded wait: a process that will not die is reported, not waited on forever.
void AppProcess::kill() {
    requestCoverageDump();
    TerminateProcess(process_.get(), KilledExitCode);
    if (WaitForSingleObject(process_.get(), static_cast<DWORD>(DefaultTimeout.count())) !=
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
