#include "cli/StopWindow.h"

#include "fw/Operations.h"
#include "fw/Module.h"
#include "fw/Trace.h"

namespace cli {

namespace {

constexpr wchar_t ClassName[] = L"Corvane.Unattended";
// The stop, posted from the console's control thread.
constexpr UINT StopMessage = WM_APP + 1;

} // namespace

// A top-level window, never shown: a message-only window would not be asked about the
// session's end.
StopWindow::StopWindow() {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &StopWindow::WindowProc;
    windowClass.hInstance = fw::ProgramModule();
    windowClass.lpszClassName = ClassName;
    class_ = ::RegisterClassExW(&windowClass);
    if (class_ == 0) {
        fw::FailureTrace(op::CommandLine, "RegisterClassExW").LastError();
        return;
    }
    window_ = ::CreateWindowExW(0, ClassName, L"Corvane", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                                nullptr, fw::ProgramModule(), this);
    if (window_ == nullptr) {
        fw::FailureTrace(op::CommandLine, "CreateWindowExW").LastError();
    }
}

StopWindow::~StopWindow() {
    if (window_ != nullptr) {
        ::DestroyWindow(window_);
    }
    if (class_ != 0) {
        ::UnregisterClassW(ClassName, fw::ProgramModule());
    }
}

bool StopWindow::PostStop() const {
    return window_ != nullptr && ::PostMessageW(window_, StopMessage, 0, 0) != FALSE;
}

// The object comes with the window's creation and is kept in its user data.
LRESULT CALLBACK StopWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    const auto* self = reinterpret_cast<StopWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && self->job_ != nullptr) {
        if (message == StopMessage) {
            fw::EventTrace(op::Update, "stop asked for on the console");
            self->job_->m_cancelRequested.store(1);
            return 0;
        }
        // A half-written NVM must not be left behind by a shutdown or a log-off.
        if (message == WM_QUERYENDSESSION) {
            return FALSE;
        }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace cli
