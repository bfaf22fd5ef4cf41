#include "MainWindowState.h"

#include "Product.h"

// Every field counts: any visible change is a difference.
bool ControlState::operator==(const ControlState& other) const {
    return id == other.id && className == other.className && text == other.text &&
           style == other.style && enabled == other.enabled && visible == other.visible;
}

// Controls in Z order; the port list and progress bar also by content.
MainWindowState MainWindowState::capture(const guitest::Window& main) {
    MainWindowState state;
    state.caption = main.text();
    state.enabled = main.enabled();
    state.visible = main.visible();
    for (const guitest::Window& control : main.children()) {
        state.controls.push_back(ControlState{control.id(), control.className(), control.text(),
                                              control.style(), control.enabled(),
                                              control.visible()});
    }
    const guitest::Window portList = main.child(IDC_PORT_LIST);
    state.portItems = portList.comboItems();
    state.portSelection = portList.comboSelection();
    const guitest::Window progress = main.child(IDC_PROGRESS);
    state.progressPosition = progress.progressPosition();
    state.progressRange = progress.progressRange();
    return state;
}

// Field-wise equality.
bool MainWindowState::operator==(const MainWindowState& other) const {
    return caption == other.caption && enabled == other.enabled && visible == other.visible &&
           controls == other.controls && portItems == other.portItems &&
           portSelection == other.portSelection && progressPosition == other.progressPosition &&
           progressRange == other.progressRange;
}

// One line per control so a differing field is easy to spot.
std::ostream& operator<<(std::ostream& out, const MainWindowState& state) {
    out << "\"" << state.caption << "\" enabled=" << state.enabled << " visible=" << state.visible
        << " ports=[";
    for (const std::string& item : state.portItems) {
        out << "\"" << item << "\" ";
    }
    out << "] selection=" << state.portSelection << " progress=" << state.progressPosition << " in "
        << state.progressRange.first << ".." << state.progressRange.second;
    for (const ControlState& control : state.controls) {
        out << "\n  id " << control.id << " " << control.className << " \"" << control.text
            << "\" style=0x" << std::hex << control.style << std::dec
            << " enabled=" << control.enabled << " visible=" << control.visible;
    }
    return out;
}
