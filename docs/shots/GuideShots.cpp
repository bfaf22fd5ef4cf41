// Takes the operator's guide through an Update and a Verify: starts Corvane.exe from the current
// folder on the simulated printers, drives it by window messages alone (no pointer, no keys, so
// no hover or focus cue differs between two runs) and, at each view worth a picture, prints
//   shot NAME LEFT TOP WIDTH HEIGHT
// then waits for NAME.taken to appear in the current folder. Exit code 0 when every view was seen.
#include "res/resource.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Generous: under emulation a program takes seconds to start.
constexpr DWORD WaitLimitMs = 120000;
constexpr DWORD PollMs = 50;
// Data sends from this one on stall: the bar stands still at one less, in thousands of bytes.
constexpr int StallFromPiece = 60;

const wchar_t* const MainCaption = L"Corvane (NVM Ver.1.01.06)";
const wchar_t* const AboutCaption = L"About Corvane (NVM Ver. 1.01.06)";

// A printer on the first parallel port, taking every byte at once.
const std::string GoodScenario = "[LPT1]\nrate = 0\n";
// The same printer taking the first pieces of the update, then none.
const std::string StalledScenario =
    GoodScenario + "stall = forever from " + std::to_string(StallFromPiece) + "\n";

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

template <typename Probe> void WaitFor(const char* what, Probe probe) {
    const DWORD start = ::GetTickCount();
    while (!probe()) {
        if (::GetTickCount() - start > WaitLimitMs) {
            throw Failure(std::string("timed out waiting for ") + what);
        }
        ::Sleep(PollMs);
    }
}

void WriteFileText(const wchar_t* name, const std::string& text) {
    FILE* file = _wfopen(name, L"wb");
    if (file == nullptr) {
        throw Failure("cannot write a file");
    }
    std::fputs(text.c_str(), file);
    std::fclose(file);
}

// Without a window manager the program's windows must draw their own frames.
void MarkUnmanaged() {
    const wchar_t* key = L"Software\\Wine\\AppDefaults\\Corvane.exe\\X11 Driver";
    const wchar_t value[] = L"N";
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Managed", REG_SZ, value, sizeof value);
}

class Program {
public:
    Program() {
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        wchar_t command[] = L"Corvane.exe";
        if (!::CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &info_)) {
            throw Failure("cannot start Corvane.exe");
        }
    }
    ~Program() {
        if (::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(info_.hProcess, 1);
            ::WaitForSingleObject(info_.hProcess, WaitLimitMs);
        }
        ::CloseHandle(info_.hThread);
        ::CloseHandle(info_.hProcess);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The visible dialogs and message boxes of the program.
    std::vector<HWND> Dialogs() const {
        Search search{info_.dwProcessId, {}};
        ::EnumWindows(&CollectDialog, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    HWND WaitForDialog(const char* what, HWND except, const wchar_t* caption = nullptr) const {
        HWND result = nullptr;
        WaitFor(what, [&] {
            for (HWND window : Dialogs()) {
                wchar_t text[128] = {};
                ::GetWindowTextW(window, text, 128);
                if (window != except && (caption == nullptr || ::lstrcmpW(text, caption) == 0)) {
                    result = window;
                    return true;
                }
            }
            return false;
        });
        return result;
    }

    void WaitForExit() const {
        if (::WaitForSingleObject(info_.hProcess, WaitLimitMs) != WAIT_OBJECT_0) {
            throw Failure("the program did not end");
        }
    }

private:
    struct Search {
        DWORD pid;
        std::vector<HWND> found;
    };

    static BOOL CALLBACK CollectDialog(HWND window, LPARAM context) {
        Search& search = *reinterpret_cast<Search*>(context);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        wchar_t name[32] = {};
        ::GetClassNameW(window, name, 32);
        if (pid == search.pid && ::IsWindowVisible(window) && ::lstrcmpW(name, L"#32770") == 0) {
            search.found.push_back(window);
        }
        return TRUE;
    }

    PROCESS_INFORMATION info_ = {};
};

// Returns once the window's thread has handled everything posted to it before.
void Settle(HWND window) {
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, WaitLimitMs, &answer);
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, WaitLimitMs, &answer);
}

void Shot(const char* name, HWND window) {
    Settle(window);
    RECT frame = {};
    ::GetWindowRect(window, &frame);
    std::printf("shot %s %ld %ld %ld %ld\n", name, frame.left, frame.top, frame.right - frame.left,
                frame.bottom - frame.top);
    std::fflush(stdout);
    std::wstring taken(name, name + std::char_traits<char>::length(name));
    taken += L".taken";
    WaitFor("the picture",
            [&] { return ::GetFileAttributesW(taken.c_str()) != INVALID_FILE_ATTRIBUTES; });
    ::DeleteFileW(taken.c_str());
}

void Click(HWND dialog, int id) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

// Presses the box's OK and waits until the main window is ready again.
void Dismiss(HWND box, HWND main) {
    Click(box, IDOK);
    WaitFor("the box to close", [&] { return !::IsWindow(box) || !::IsWindowVisible(box); });
    WaitFor("the main window to be ready",
            [&] { return ::IsWindowEnabled(::GetDlgItem(main, IDC_VERIFY)) != FALSE; });
}

// The main window as it opens, and a transfer held part-way by a stalling printer.
void StalledRun() {
    WriteFileText(L"Lorvex.sim", StalledScenario);
    const Program program;
    const HWND main = program.WaitForDialog("the main window", nullptr, MainCaption);
    Shot("main-window", main);
    Click(main, IDC_UPDATE);
    const HWND bar = ::GetDlgItem(main, IDC_PROGRESS);
    WaitFor("the transfer to stall",
            [&] { return ::SendMessageW(bar, PBM_GETPOS, 0, 0) == StallFromPiece - 1; });
    Shot("transfer", main);
}

// An update to its end, a Verify, and the about box.
void GoodRun() {
    WriteFileText(L"Lorvex.sim", GoodScenario);
    const Program program;
    const HWND main = program.WaitForDialog("the main window", nullptr, MainCaption);
    Click(main, IDC_UPDATE);
    HWND box = program.WaitForDialog("the completion box", main);
    Shot("completion", box);
    Dismiss(box, main);
    Click(main, IDC_VERIFY);
    box = program.WaitForDialog("the Verify result", main);
    Shot("verify", box);
    Dismiss(box, main);
    ::PostMessageW(main, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    box = program.WaitForDialog("the about box", main, AboutCaption);
    Shot("about-box", box);
    Click(box, IDOK);
    WaitFor("the about box to close", [&] { return !::IsWindow(box); });
    Click(main, IDCANCEL);
    program.WaitForExit();
}

} // namespace

int main() {
    try {
        MarkUnmanaged();
        StalledRun();
        GoodRun();
        std::printf("done\n");
        return 0;
    } catch (const Failure& failure) {
        std::printf("failed: %s\n", failure.what());
        return 1;
    }
}
