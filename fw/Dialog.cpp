#include "fw/Dialog.h"

#include "fw/Application.h"
#include "fw/Operations.h"
#include "fw/Trace.h"
#include "fw/Module.h"
#include "fw/ResourceTypes.h"

#include <cassert>
#include <cstring>
#include <string>

namespace fw {

namespace {

// The notification code of a WM_COMMAND that an accelerator sent.
constexpr WORD AcceleratorNotification = 1;
// Add-string messages as the dialog-init data writes them (16-bit window system numbers).
constexpr WORD ListAddString16 = 0x0401;
constexpr WORD ComboAddString16 = 0x0403;

// Messages whose result a dialog procedure returns directly instead of in DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

// Reads a little-endian 16-bit word from p.
WORD ReadWord(const BYTE* p) {
    return static_cast<WORD>(p[0] | (p[1] << 8));
}

// Reads a little-endian 32-bit word from p.
DWORD ReadDword(const BYTE* p) {
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) |
           (static_cast<DWORD>(p[2]) << 16) | (static_cast<DWORD>(p[3]) << 24);
}

} // namespace

// Remembers the template and the owner; the window comes with DoModal.
Dialog::Dialog(int templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

// The window is gone by now: a modal run ends with it.
Dialog::~Dialog() = default;

// A dialog without a parent is owned by the application's main window, if that is another.
INT_PTR Dialog::DoModal() {
    HWND owner = parent_;
    const Application* app = Application::Current();
    if (owner == nullptr && app != nullptr && app->MainWindow() != nullptr &&
        app->MainWindow() != this) {
        owner = app->MainWindow()->Handle();
    }
    assert(owner == nullptr || ::IsWindow(owner));
    const INT_PTR result = ::DialogBoxParamA(ProgramModule(), MAKEINTRESOURCEA(templateId_), owner,
                                             DialogProc, reinterpret_cast<LPARAM>(this));
    // The owner was checked above, so a failed run gives -1 (0 only for an invalid owner).
    if (result == -1) {
        FailureTrace(op::Dialog, "DialogBoxParamA")
            .Result(static_cast<long long>(result))
            .LastError()
            .Note("template " + std::to_string(templateId_));
    }
    return result;
}

void Dialog::DoDataExchange(bool) {}

// The data exchange never fails here; kept for callers that ask.
bool Dialog::UpdateData(bool saving) {
    DoDataExchange(saving);
    return true;
}

void Dialog::EndDialog(INT_PTR result) {
    assert(::IsWindow(hwnd_));
    ::EndDialog(hwnd_, result);
}

// Initial data first, so the data exchange sees the filled controls.
BOOL Dialog::OnInitDialog() {
    ApplyDialogInit();
    UpdateData(false);
    return TRUE;
}

void Dialog::OnOK() {
    if (UpdateData(true)) {
        EndDialog(IDOK);
    }
}

// A disabled Cancel button means the window must not go away now.
void Dialog::OnCancel() {
    const HWND cancel = Item(IDCANCEL);
    if (cancel != nullptr && !::IsWindowEnabled(cancel)) {
        return;
    }
    EndDialog(IDCANCEL);
}

bool Dialog::ProcessMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

// Walks the records (control id, message, length, data) up to the terminating zero id,
// never past the end of the resource.
void Dialog::ApplyDialogInit() {
    const HINSTANCE instance = ProgramModule();
    const HRSRC found =
        ::FindResourceA(instance, MAKEINTRESOURCEA(templateId_), MAKEINTRESOURCEA(RT_DLGINIT_TYPE));
    if (found == nullptr) {
        return;
    }
    const HGLOBAL loaded = ::LoadResource(instance, found);
    const auto* data =
        loaded != nullptr ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    if (data == nullptr) {
        FailureTrace(op::Dialog, "LoadResource")
            .LastError()
            .Note("dialog-init data of template " + std::to_string(templateId_));
        return;
    }
    const DWORD size = ::SizeofResource(instance, found);
    DWORD offset = 0;
    while (size - offset >= 2) {
        const WORD controlId = ReadWord(data + offset);
        if (controlId == 0 || size - offset < 8) {
            return;
        }
        const WORD message = ReadWord(data + offset + 2);
        const DWORD length = ReadDword(data + offset + 4);
        offset += 8;
        if (length > size - offset) {
            return;
        }
        // The text may lack its terminator in a damaged resource: copy it to be safe.
        const std::string text(reinterpret_cast<const char*>(data + offset),
                               strnlen(reinterpret_cast<const char*>(data + offset), length));
        if (message == ComboAddString16) {
            ::SendDlgItemMessageA(hwnd_, controlId, CB_ADDSTRING, 0,
                                  reinterpret_cast<LPARAM>(text.c_str()));
        } else if (message == ListAddString16) {
            ::SendDlgItemMessageA(hwnd_, controlId, LB_ADDSTRING, 0,
                                  reinterpret_cast<LPARAM>(text.c_str()));
        }
        offset += length;
    }
}

// Keeps the object in DWLP_USER from WM_INITDIALOG on and hands every message to it.
INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
        return self->OnInitDialog();
    }
    self = reinterpret_cast<Dialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    if (self == nullptr) {
        return FALSE;
    }
    if (message == WM_NCDESTROY) {
        self->hwnd_ = nullptr;
        return FALSE;
    }
    LRESULT result = 0;
    if (self->ProcessMessage(message, wParam, lParam, result)) {
        if (ReturnsDirectly(message)) {
            return static_cast<INT_PTR>(result);
        }
        ::SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    if (message == WM_COMMAND &&
        (HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == AcceleratorNotification)) {
        if (LOWORD(wParam) == IDOK) {
            self->OnOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            self->OnCancel();
            return TRUE;
        }
    }
    return FALSE;
}

} // namespace fw
