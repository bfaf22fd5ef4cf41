#include "ui/MainDialog.h"

// Not yet.
void MainDialog::OnUpdate() {}

// Takes every queued message of this thread off the queue and dispatches it.
void MainDialog::PumpMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!::IsDialogMessageA(Handle(), &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}
