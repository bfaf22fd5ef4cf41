#include "fw/HeldQuit.h"

namespace fw {

// A later quit replaces an earlier one, as in the queue itself.
void HeldQuit::Take(const MSG& quit) {
    held_ = true;
    code_ = quit.wParam;
}

void HeldQuit::Release() {
    if (held_) {
        held_ = false;
        ::PostQuitMessage(static_cast<int>(code_));
    }
}

} // namespace fw
