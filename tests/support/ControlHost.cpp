#include "ControlHost.h"

#include "fw/Application.h"

#include <stdexcept>

namespace testsupport {

namespace {

constexpr char AutoSelection[] = "Auto selection";

} // namespace

// The parent is never shown. The progress bar's class is registered first, as the tool does.
ControlHost::ControlHost()
    : parent_(::CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED, 0, 0, 300, 200, nullptr, nullptr,
                                nullptr, nullptr)) {
    if (parent_ == nullptr) {
        throw std::runtime_error("cannot create the controls' window");
    }
    fw::Application::EnableControlLook();
    portList_.Attach(Child("COMBOBOX", WS_VSCROLL | CBS_DROPDOWNLIST | CBS_SORT));
    portList_.InsertString(0, AutoSelection);
    portList_.SetCurSel(0);
    progress_.Attach(Child(PROGRESS_CLASSA, PBS_SMOOTH));
}

ControlHost::~ControlHost() {
    ::DestroyWindow(parent_);
}

HWND ControlHost::Child(const char* className, DWORD style) {
    const HWND child = ::CreateWindowExA(0, className, "", WS_CHILD | style, 0, 0, 280, 150,
                                         parent_, nullptr, nullptr, nullptr);
    if (child == nullptr) {
        ::DestroyWindow(parent_);
        throw std::runtime_error(std::string("cannot create a control of class ") + className);
    }
    return child;
}

std::vector<std::string> ControlHost::Items() const {
    std::vector<std::string> items;
    const int count = portList_.GetCount();
    for (int i = 0; i < count; ++i) {
        items.push_back(portList_.GetLBText(i));
    }
    return items;
}

} // namespace testsupport
