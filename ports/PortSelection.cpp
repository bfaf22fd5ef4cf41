#include "ui/MainDialog.h"

#include "ports/PortNames.h"

// Not yet: the list keeps its initial item.
void MainDialog::OnPortListDropDown() {}

// Not yet.
void MainDialog::FillPortList() {}

// Maps by the name's "USB" or "LPT".
PortId MainDialog::PortIdFromName(const char* text) const {
    return PortIdFromText(text);
}

// Not yet.
bool MainDialog::QueryModelName(PortId, char*) {
    return false;
}

// Not yet.
PortId MainDialog::AutoDetectPort() {
    return NoPrinterFound;
}

// Not yet.
PortId MainDialog::GetSelectedPortId() {
    return 0;
}

// Not yet.
bool MainDialog::RequirePortSelection() {
    return true;
}
