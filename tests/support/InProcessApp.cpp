#include "InProcessApp.h"

#include "Dialogs.h"
#include "Wait.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr char MainCaption[] = "Corvane (NVM Ver.1.01.06)";
constexpr char DialogClass[] = "#32770";
// Longest the tool's thread may take to end once asked.
constexpr DWORD EndLimitMs = 20000;

// Collects the visible dialog-class windows of a thread.
BOOL CALLBACK CollectDialog(HWND window, LPARAM list) {
    char name[16] = {};
    ::GetClassNameA(window, name, sizeof name);
    if (::IsWindowVisible(window) && std::string(name) == DialogClass) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
}

// Visible dialog-class windows of a thread.
std::vector<HWND> VisibleDialogs(DWORD threadId) {
    std::vector<HWND> found;
    ::EnumThreadWindows(threadId, &CollectDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

} // namespace

// The library is loaded here, on the test's thread, with the simulator's variables already set.
InProcessApp::InProcessApp() : app_(std::make_unique<UpdaterApp>()) {
    thread_ = ::CreateThread(nullptr, 0, &ThreadMain, this, 0, &threadId_);
    if (thread_ == nullptr) {
        throw std::runtime_error("cannot start the tool's thread");
    }
    main_ = guitest::waitFor("the main window", [&] {
        for (HWND window : VisibleDialogs(threadId_)) {
            char caption[64] = {};
            ::GetWindowTextA(window, caption, sizeof caption);
            if (std::string(caption) == MainCaption) {
                return guitest::Window(window);
            }
        }
        return guitest::Window();
    });
}

// Boxes a failed test left open are answered No (which ends OK boxes too), then Quit ends
// the run; a window that still stays is the test's failure.
InProcessApp::~InProcessApp() {
    const ULONGLONG end = ::GetTickCount64() + EndLimitMs;
    while (::WaitForSingleObject(thread_, 100) == WAIT_TIMEOUT && ::GetTickCount64() < end) {
        for (HWND window : VisibleDialogs(threadId_)) {
            ::PostMessageA(window, WM_COMMAND, window == main_.handle() ? IDCANCEL : IDNO, 0);
        }
    }
    if (::WaitForSingleObject(thread_, 0) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "the tool's thread did not end within %lu ms\n",
                     static_cast<unsigned long>(EndLimitMs));
        std::fflush(stderr);
        ::TerminateProcess(::GetCurrentProcess(), 3);
    }
    ::CloseHandle(thread_);
}

// What WinMain does with the application object.
DWORD WINAPI InProcessApp::ThreadMain(void* self) {
    static_cast<InProcessApp*>(self)->app_->StartUp();
    return 0;
}

// Any visible dialog of the tool's thread but the main window.
guitest::Window InProcessApp::WaitForBox() const {
    return guitest::waitFor("a box over the main window", [&] {
        for (HWND window : VisibleDialogs(threadId_)) {
            if (window != main_.handle()) {
                return guitest::Window(window);
            }
        }
        return guitest::Window();
    });
}

// Posted, as a click would be; hidden counts as gone.
void InProcessApp::Press(const guitest::Window& box, int buttonId) const {
    guitest::pressButton(box, buttonId);
    guitest::waitFor("the box to close", [&] { return !box.exists() || !box.visible(); });
}
