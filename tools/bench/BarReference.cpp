// The floor of the waiting cost: a window with a bar like the tool's, moved once per step by a
// thread that only sleeps in between, while the window thread blocks in its message loop.
// Command line: STEPS PAUSE_MS. Posted WM_APP starts the steps; when they are done the caption
// becomes "done MS", MS the processor milliseconds the process used meanwhile, as the process
// measures itself (Wine misreads another process's times for this one); WM_CLOSE ends it.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

namespace {

// The tool's bar: 107 x 14 dialog units of an 8-point font, about 160 x 23 pixels.
constexpr int BarWidth = 160;
constexpr int BarHeight = 23;
constexpr int BarId = 1;

// What the mover thread needs.
struct Job {
    HWND frame = nullptr;
    int steps = 1048;
    DWORD pauseMs = 5;
};

// Kernel and user time of this process, in milliseconds.
unsigned long long OwnCpuMs() {
    FILETIME created{}, ended{}, kernel{}, user{};
    ::GetProcessTimes(::GetCurrentProcess(), &created, &ended, &kernel, &user);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return (ticks(kernel) + ticks(user)) / 10000;
}

// Moves the bar as the update worker does, then reports in the caption.
DWORD WINAPI Mover(void* argument) {
    const Job& job = *static_cast<const Job*>(argument);
    const unsigned long long before = OwnCpuMs();
    const HWND bar = ::GetDlgItem(job.frame, BarId);
    for (int position = 1; position <= job.steps; ++position) {
        if (job.pauseMs > 0) {
            ::Sleep(job.pauseMs);
        }
        ::SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    }
    char caption[64] = {};
    std::snprintf(caption, sizeof caption, "done %llu", OwnCpuMs() - before);
    ::SetWindowTextA(job.frame, caption);
    return 0;
}

// WM_APP starts the mover; the window's end waits for it.
LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static HANDLE mover = nullptr;
    switch (message) {
    case WM_APP:
        if (mover == nullptr) {
            mover = ::CreateThread(
                nullptr, 0, &Mover,
                reinterpret_cast<void*>(::GetWindowLongPtrA(window, GWLP_USERDATA)), 0, nullptr);
        }
        return 0;
    case WM_DESTROY:
        if (mover != nullptr) {
            ::WaitForSingleObject(mover, INFINITE);
            ::CloseHandle(mover);
        }
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

// A frame with the bar, shown, then a plain blocking message loop.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    Job job;
    char* rest = commandLine;
    const long steps = std::strtol(rest, &rest, 10);
    const long pause = std::strtol(rest, &rest, 10);
    if (steps > 0) {
        job.steps = static_cast<int>(steps);
    }
    if (pause >= 0) {
        job.pauseMs = static_cast<DWORD>(pause);
    }
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    WNDCLASSA frameClass{};
    frameClass.lpfnWndProc = &FrameProc;
    frameClass.hInstance = instance;
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frameClass.lpszClassName = "CorvaneBarReference";
    ::RegisterClassA(&frameClass);
    job.frame = ::CreateWindowExA(0, frameClass.lpszClassName, "Bar reference",
                                  WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 0, 0, 320, 200, nullptr,
                                  nullptr, instance, nullptr);
    ::SetWindowLongPtrA(job.frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&job));
    const HWND bar = ::CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE | PBS_SMOOTH,
                                       10, 140, BarWidth, BarHeight, job.frame,
                                       reinterpret_cast<HMENU>(BarId), instance, nullptr);
    ::SendMessageA(bar, PBM_SETRANGE32, 0, job.steps);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::DispatchMessageA(&msg);
    }
    return 0;
}
