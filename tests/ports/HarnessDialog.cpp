#include "HarnessDialog.h"

#include "fw/Application.h"

namespace portstest {

// No parent: the window stands alone, as the tool's does.
HarnessDialog::HarnessDialog(std::function<void(HarnessDialog&)> body)
    : MainDialog(nullptr), body_(std::move(body)) {}

// The progress bar's class must be registered before the template is built.
bool HarnessDialog::Run() {
    fw::Application::EnableControlLook();
    DoModal();
    return ran_;
}

// Read through the product's own wrapper.
std::vector<std::string> HarnessDialog::Items() const {
    std::vector<std::string> items;
    const int count = m_portCombo.GetCount();
    for (int i = 0; i < count; ++i) {
        items.push_back(m_portCombo.GetLBText(i));
    }
    return items;
}

// The tool's own initialisation first, so the list starts as the tool's does.
BOOL HarnessDialog::OnInitDialog() {
    const BOOL result = MainDialog::OnInitDialog();
    ran_ = true;
    body_(*this);
    EndDialog(0);
    return result;
}

// Refuses every attempt to show the window; the rest is the tool's own handling.
bool HarnessDialog::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_WINDOWPOSCHANGING) {
        reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
    }
    return MainDialog::ProcessMessage(message, wParam, lParam, result);
}

} // namespace portstest
