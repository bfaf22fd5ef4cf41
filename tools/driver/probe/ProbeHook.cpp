// Hook procedure loaded into the program under test. It answers the driver's requests from
// inside the process, where the system menu and icon handles can be read: Wine refuses both to
// other processes (GetSystemMenu gives NULL, menu and icon handles are process-local).
#include "../ProbeProtocol.h"
#include "../SharedBlock.h"

#include <windows.h>

#include <cstdio>

namespace {

using guitest::probe::Block;
using guitest::probe::IconCode;
using guitest::probe::Request;
using guitest::probe::Status;

// Appends one formatted line to the block text, never past its end.
void appendLine(Block& block, const char* text) {
    const size_t room = guitest::probe::TextSize - block.textLength;
    const int written = snprintf(block.text + block.textLength, room, "%s\n", text);
    if (written > 0 && static_cast<size_t>(written) < room) {
        block.textLength += static_cast<uint32_t>(written);
    }
}

// Lists the system menu as "id<TAB>flags<TAB>text" lines; flags: S separator, G grayed, P popup.
Status readSystemMenu(HWND window, Block& block) {
    HMENU menu = GetSystemMenu(window, FALSE);
    if (menu == nullptr) {
        return Status::Failed;
    }
    const int count = GetMenuItemCount(menu);
    for (int index = 0; index < count; ++index) {
        char label[256] = {};
        MENUITEMINFOA item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
        item.dwTypeData = label;
        item.cch = sizeof label - 1;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(index), TRUE, &item)) {
            return Status::Failed;
        }
        char flags[4] = {};
        int used = 0;
        if ((item.fType & MFT_SEPARATOR) != 0) {
            flags[used++] = 'S';
        }
        if ((item.fState & MFS_GRAYED) != 0) {
            flags[used++] = 'G';
        }
        if (item.hSubMenu != nullptr) {
            flags[used++] = 'P';
        }
        char line[320] = {};
        snprintf(line, sizeof line, "%u\t%s\t%s", item.wID, flags, label);
        appendLine(block, line);
    }
    block.value = count;
    return Status::Done;
}

// Compares the static's icon with the shared system icons; LR_SHARED makes them one handle
// per process, the same one a message box uses.
Status readIcon(HWND control, Block& block) {
    auto icon = reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0));
    if (icon == nullptr) {
        icon = reinterpret_cast<HICON>(SendMessageA(control, STM_GETIMAGE, IMAGE_ICON, 0));
    }
    IconCode code = IconCode::Other;
    if (icon == nullptr) {
        code = IconCode::None;
    } else if (icon == LoadIconA(nullptr, IDI_HAND)) {
        code = IconCode::Error;
    } else if (icon == LoadIconA(nullptr, IDI_EXCLAMATION)) {
        code = IconCode::Warning;
    } else if (icon == LoadIconA(nullptr, IDI_ASTERISK)) {
        code = IconCode::Information;
    } else if (icon == LoadIconA(nullptr, IDI_QUESTION)) {
        code = IconCode::Question;
    }
    block.value = static_cast<int32_t>(code);
    return Status::Done;
}

// True when a control of this class and style wraps its text at its width.
bool wrapsText(const char* className, LONG style) {
    if (lstrcmpiA(className, "Static") == 0) {
        const LONG kind = style & SS_TYPEMASK;
        return kind == SS_LEFT || kind == SS_CENTER || kind == SS_RIGHT;
    }
    return lstrcmpiA(className, "Button") == 0 && (style & BS_MULTILINE) != 0;
}

// The room the control's text takes, drawn with the control's own font and wrapped as the
// control wraps it, against the room its client area gives; the dpi the text is drawn at; and
// where the control lies in its parent's client area, against that area's size:
// "needWidth needHeight width height dpi left top right bottom parentWidth parentHeight".
Status measureTextRoom(HWND control, Block& block) {
    char className[64] = {};
    GetClassNameA(control, className, sizeof className);
    char text[1024] = {};
    GetWindowTextA(control, text, sizeof text);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    RECT client{};
    GetClientRect(control, &client);
    const HDC dc = GetDC(control);
    if (dc == nullptr) {
        return Status::Failed;
    }
    const auto font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    const HGDIOBJ before = font != nullptr ? SelectObject(dc, font) : nullptr;
    UINT format = DT_CALCRECT | DT_EXPANDTABS;
    if (lstrcmpiA(className, "Static") == 0 && (style & SS_NOPREFIX) != 0) {
        format |= DT_NOPREFIX;
    }
    RECT need{0, 0, client.right, 0};
    format |= wrapsText(className, style) ? DT_WORDBREAK : DT_SINGLELINE;
    DrawTextA(dc, text, -1, &need, format);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    if (before != nullptr) {
        SelectObject(dc, before);
    }
    ReleaseDC(control, dc);
    RECT placed{};
    GetWindowRect(control, &placed);
    const HWND parent = GetParent(control);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&placed), 2);
    RECT parentClient{};
    GetClientRect(parent, &parentClient);
    char line[192] = {};
    snprintf(line, sizeof line, "%ld %ld %ld %ld %d %ld %ld %ld %ld %ld %ld",
             need.right - need.left, need.bottom - need.top, client.right, client.bottom, dpi,
             placed.left, placed.top, placed.right, placed.bottom, parentClient.right,
             parentClient.bottom);
    appendLine(block, line);
    return Status::Done;
}

// Carries out the pending request of this process's block.
void answer() {
    guitest::SharedBlock shared(guitest::probe::blockName(GetCurrentProcessId()), false);
    if (!shared.valid()) {
        return;
    }
    Block& block = shared.block();
    const auto target = reinterpret_cast<HWND>(static_cast<uintptr_t>(block.target));
    block.textLength = 0;
    block.text[0] = '\0';
    switch (block.request) {
    case Request::SystemMenu:
        block.status = readSystemMenu(target, block);
        break;
    case Request::Icon:
        block.status = readIcon(target, block);
        break;
    case Request::TextRoom:
        block.status = measureTextRoom(target, block);
        break;
    case Request::None:
        block.status = Status::Failed;
        break;
    }
}

} // namespace

// WH_CALLWNDPROC hook: runs in the target thread before the window procedure sees a message.
extern "C" __declspec(dllexport) LRESULT CALLBACK
    GuiTestProbeHook(int code, WPARAM wParam, LPARAM lParam) {
    static const UINT requestMessage = RegisterWindowMessageA(guitest::probe::RequestMessageName);
    if (code == HC_ACTION) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (call->message == requestMessage) {
            answer();
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
