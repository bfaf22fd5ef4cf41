#include "ui/MainDialog.h"

#include "app/UpdaterApp.h"
#include "fw/Application.h"
#include "fw/Text.h"
#include "fw/Trace.h"
#include "portlib/LorvexApi.h"
#include "ports/PortLock.h"
#include "ports/PortNames.h"
#include "ports/SpoolerPorts.h"
#include "res/resource.h"

#include <winspool.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

// How far reading the port list got.
enum class PortListRead {
    // Not sized (no ports, or an error) or no memory for it: nothing was fetched.
    Unavailable,
    // Sized and allocated, but the fetch failed.
    FetchFailed,
    Fetched,
};

// The spooler unless a test chose a stand-in. Both sides of the choice are one type: a reference
// to either, never a copy.
PortEnumerator& SourceOf(PortEnumerator* chosen) {
    static SpoolerPorts spooler;
    return chosen != nullptr ? *chosen : static_cast<PortEnumerator&>(spooler);
}

// The spooler's two steps: ask the size, then fetch into a block of that size. Only
// ERROR_INSUFFICIENT_BUFFER from the first step means there is a list to fetch.
PortListRead ReadPortList(PortEnumerator& source, std::unique_ptr<BYTE[]>& block, DWORD& count) {
    DWORD needed = 0;
    DWORD returned = 0;
    const DWORD sized = source.Enumerate(nullptr, 0, needed, returned);
    if (sized != ERROR_INSUFFICIENT_BUFFER) {
        // Success here means an empty list.
        if (sized != ERROR_SUCCESS) {
            fw::FailureTrace("Port list", "EnumPortsA").LastError(sized).Note("sizing");
        }
        return PortListRead::Unavailable;
    }
    block = source.Allocate(needed);
    if (!block) {
        fw::FailureTrace("Port list", "new").Note(std::to_string(needed) + " bytes");
        return PortListRead::Unavailable;
    }
    const DWORD size = needed;
    const DWORD fetched = source.Enumerate(block.get(), size, needed, returned);
    if (fetched != ERROR_SUCCESS) {
        fw::FailureTrace("Port list", "EnumPortsA").LastError(fetched).Note("fetch");
        block.reset();
        return PortListRead::FetchFailed;
    }
    count = returned;
    return PortListRead::Fetched;
}

// Name of record index of a fetched list.
const char* PortName(const std::unique_ptr<BYTE[]>& block, DWORD index) {
    return reinterpret_cast<const PORT_INFO_1A*>(block.get())[index].pName;
}

} // namespace

// Talking to every candidate port takes a while.
void MainDialog::OnPortListDropDown() {
    fw::WaitCursor wait;
    FillPortList();
}

// Each item goes to the top, so the list reads in the reverse of the spooler's order with the
// automatic item last; nothing is selected afterwards. An unreadable list changes nothing. Each
// item keeps the PortId of its port name, so a model name never decides the port. While another
// copy holds the ports (its transfer may be on one of them), the list shows the names alone and
// no port is opened.
void MainDialog::FillPortList() {
    std::unique_ptr<BYTE[]> block;
    DWORD count = 0;
    if (ReadPortList(SourceOf(portEnumerator_), block, count) != PortListRead::Fetched) {
        return;
    }
    const PortLock lock;
    if (!lock.Held()) {
        fw::FailureTrace("Port list", "port lock").Note("held by another copy: names only");
    }
    m_portCombo.ResetContent();
    m_portCombo.InsertString(0, fw::LoadResString(IDS_AUTO_SELECTION).c_str());
    // Cleared once: the library writes the name only when it has one.
    char model[lvx::ModelNameSize] = {};
    for (DWORD i = 0; i < count; ++i) {
        const char* name = PortName(block, i);
        if (!IsCandidatePortName(name)) {
            continue;
        }
        const PortId port = PortIdFromName(name);
        std::string item = name;
        if (lock.Held() && QueryModelName(port, model)) {
            // A name that fills the buffer has no terminator: stop at the buffer's end.
            item += " (" + std::string(model, strnlen(model, sizeof model)) + ")";
        }
        const int index = m_portCombo.InsertString(0, item.c_str());
        if (index >= 0) {
            m_portCombo.SetItemData(index, port);
        }
    }
}

// Maps by the name's "USB" or "LPT".
PortId MainDialog::PortIdFromName(const char* text) const {
    return PortIdFromText(text);
}

// A port that does not open is left as it is; one that opened is closed whatever the answer.
bool MainDialog::QueryModelName(PortId port, char* buffer) {
    PortLibrary& ports = UpdaterApp::Running().Ports();
    const PortResult opened = ports.Open(port);
    if (opened != PortOk) {
        fw::FailureTrace("Port list", lvx::PortOpenName)
            .PortResult(opened)
            .Note("port " + std::to_string(port));
        return false;
    }
    const PortResult result = ports.GetModelName(buffer);
    ports.Close();
    if (result != PortOk) {
        fw::FailureTrace("Port list", lvx::GetModelNameName)
            .PortResult(result)
            .Note("port " + std::to_string(port));
    }
    return result == PortOk;
}

// The first candidate in the spooler's order that opens and passes the device check. No port
// is closed here: the caller opens the winner again, which closes whatever is open.
PortId MainDialog::AutoDetectPort() {
    std::unique_ptr<BYTE[]> block;
    DWORD count = 0;
    switch (ReadPortList(SourceOf(portEnumerator_), block, count)) {
    case PortListRead::Unavailable:
        return 0;
    case PortListRead::FetchFailed:
        return NoPrinterFound;
    case PortListRead::Fetched:
        break;
    }
    PortLibrary& ports = UpdaterApp::Running().Ports();
    for (DWORD i = 0; i < count; ++i) {
        const char* name = PortName(block, i);
        if (!IsCandidatePortName(name)) {
            continue;
        }
        const PortId port = PortIdFromName(name);
        const PortResult opened = ports.Open(port);
        const PortResult checked = opened == PortOk ? ports.CheckDeviceId() : opened;
        if (checked == PortOk) {
            return port;
        }
        fw::FailureTrace("Auto selection",
                         opened == PortOk ? lvx::CheckDeviceIdName : lvx::PortOpenName)
            .PortResult(checked)
            .Note("port " + std::to_string(port));
    }
    return NoPrinterFound;
}

// The port the item was made from. An item without one (none of the list's own) maps by its
// text; no candidate port name maps to 0.
PortId MainDialog::GetSelectedPortId() {
    const int selected = m_portCombo.GetCurSel();
    if (selected == CB_ERR) {
        return 0;
    }
    const std::string text = m_portCombo.GetLBText(selected);
    if (text.empty()) {
        return 0;
    }
    if (text == fw::LoadResString(IDS_AUTO_SELECTION)) {
        return AutoDetectPort();
    }
    const LRESULT port = m_portCombo.GetItemData(selected);
    if (port != CB_ERR && port != 0) {
        return static_cast<PortId>(port);
    }
    return PortIdFromName(text.c_str());
}

// The focus moves the dialog's way, so the default-button state follows it.
bool MainDialog::RequirePortSelection() {
    if (m_portCombo.GetCurSel() != CB_ERR) {
        return true;
    }
    ShowMessage(fw::LoadResString(IDS_SELECT_PORT), nullptr, MB_ICONERROR);
    ::SendMessageA(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_portCombo.Handle()), TRUE);
    return false;
}

// Nothing of the ports is touched when another copy holds them.
bool MainDialog::RequirePortLock(const PortLock& lock) {
    if (lock.Held()) {
        return true;
    }
    ShowMessage(fw::LoadResString(IDS_PORTS_IN_USE), nullptr, MB_ICONERROR);
    return false;
}
