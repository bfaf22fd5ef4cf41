// Helper program for the driver's own tests: shows one message box with the icon named on the
// command line, or a plain window with an extra system menu item ("window"). Exits with the
// message box's answer.
#include <windows.h>

#include <cstring>

namespace {

// System menu command the "window" mode adds.
constexpr UINT ProbeCommand = 0x20;

// Plain window procedure; closing the window ends the program.
LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A top-level window whose system menu ends with a separator and "&Probe...".
int showWindow(HINSTANCE instance) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "GuiTestWindow";
    RegisterClassA(&windowClass);
    HWND window =
        CreateWindowExA(0, "GuiTestWindow", "Driver test window", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                        100, 100, 300, 200, nullptr, nullptr, instance, nullptr);
    HMENU menu = GetSystemMenu(window, FALSE);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, ProbeCommand, "&Probe...");
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

// Icon style named by the argument; 0 for "none".
UINT iconStyle(const char* name) {
    if (strcmp(name, "error") == 0) {
        return MB_ICONERROR;
    }
    if (strcmp(name, "warning") == 0) {
        return MB_ICONWARNING;
    }
    if (strcmp(name, "information") == 0) {
        return MB_ICONINFORMATION;
    }
    if (strcmp(name, "question") == 0) {
        return MB_ICONQUESTION;
    }
    return 0;
}

} // namespace

// Argument: error | warning | information | question | none | yesno | window.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    if (strcmp(commandLine, "window") == 0) {
        return showWindow(instance);
    }
    if (strcmp(commandLine, "yesno") == 0) {
        return MessageBoxA(nullptr, "Go on?", "Question box", MB_YESNO | MB_ICONQUESTION);
    }
    return MessageBoxA(nullptr, "Line one\nLine two", "Driver test box",
                       MB_OK | iconStyle(commandLine));
}
