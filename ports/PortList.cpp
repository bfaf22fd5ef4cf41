#include "ports/PortList.h"

#include "fw/Operations.h"
#include "fw/Text.h"
#include "fw/Trace.h"
#include "portlib/LorvexApi.h"
#include "portlib/PortOpen.h"
#include "ports/PortNames.h"
#include "res/resource.h"

#include <winspool.h>

#include <cstring>
#include <memory>

// The spooler's two steps: ask the size, then fetch into a block of that size. Only
// ERROR_INSUFFICIENT_BUFFER from the first step means there is a list to fetch.
PortListRead ReadCandidatePorts(PortEnumerator& source, std::vector<std::string>& names) {
    DWORD needed = 0;
    DWORD returned = 0;
    const DWORD sized = source.Enumerate(nullptr, 0, needed, returned);
    if (sized != ERROR_INSUFFICIENT_BUFFER) {
        // Success here means an empty list.
        if (sized != ERROR_SUCCESS) {
            fw::FailureTrace(op::PortList, "EnumPortsA").Error(sized).Note("sizing");
        }
        return PortListRead::Unavailable;
    }
    const std::unique_ptr<BYTE[]> block = source.Allocate(needed);
    if (!block) {
        fw::FailureTrace(op::PortList, "new").Note(std::to_string(needed) + " bytes");
        return PortListRead::Unavailable;
    }
    const DWORD size = needed;
    const DWORD fetched = source.Enumerate(block.get(), size, needed, returned);
    if (fetched != ERROR_SUCCESS) {
        fw::FailureTrace(op::PortList, "EnumPortsA").Error(fetched).Note("fetch");
        return PortListRead::FetchFailed;
    }
    const auto* records = reinterpret_cast<const PORT_INFO_1A*>(block.get());
    names.clear();
    for (DWORD i = 0; i < returned; ++i) {
        if (IsCandidatePortName(records[i].pName)) {
            names.emplace_back(records[i].pName);
        }
    }
    return PortListRead::Fetched;
}

// A port that does not open is left as it is; one that opened is closed whatever the answer.
PortListEntry MakePortListEntry(PortLibrary& ports, const std::string& name, bool askModel) {
    PortListEntry entry{name, PortIdFromText(name.c_str())};
    if (!askModel || OpenPort(ports, entry.port, op::PortList) != PortOk) {
        return entry;
    }
    // Cleared: the library writes the name only when it has one.
    char model[lvx::ModelNameSize] = {};
    const PortResult result = ports.GetModelName(model);
    ports.Close();
    if (result != PortOk) {
        fw::FailureTrace(op::PortList, lvx::GetModelNameName)
            .PortResult(result)
            .Note("port " + std::to_string(entry.port));
        return entry;
    }
    // A name that fills the buffer has no terminator: stop at the buffer's end.
    entry.text += " (" + std::string(model, strnlen(model, sizeof model)) + ")";
    return entry;
}

// Each item goes to the top, so the list reads in the reverse of the spooler's order.
void FillPortList(fw::ComboBox& list, PortEnumerator& source, PortLibrary& ports, bool askModels) {
    std::vector<std::string> names;
    if (ReadCandidatePorts(source, names) != PortListRead::Fetched) {
        return;
    }
    list.ResetContent();
    list.InsertString(0, fw::LoadResString(IDS_AUTO_SELECTION).c_str());
    for (const std::string& name : names) {
        const PortListEntry entry = MakePortListEntry(ports, name, askModels);
        const int index = list.InsertString(0, entry.text.c_str());
        if (index >= 0) {
            list.SetItemData(index, entry.port);
        }
    }
}

// No port is closed here: the caller opens the winner again, which closes whatever is open.
PortId DetectPrinter(PortEnumerator& source, PortLibrary& ports) {
    std::vector<std::string> names;
    switch (ReadCandidatePorts(source, names)) {
    case PortListRead::Unavailable:
        return 0;
    case PortListRead::FetchFailed:
        return NoPrinterFound;
    case PortListRead::Fetched:
        break;
    }
    for (const std::string& name : names) {
        const PortId port = PortIdFromText(name.c_str());
        if (OpenPort(ports, port, op::AutoSelection) != PortOk) {
            continue;
        }
        const PortResult checked = ports.CheckDeviceId();
        if (checked == PortOk) {
            return port;
        }
        fw::FailureTrace(op::AutoSelection, lvx::CheckDeviceIdName)
            .PortResult(checked)
            .Note("port " + std::to_string(port));
    }
    return NoPrinterFound;
}

// An item without a port of its own (none of the list's own) maps by its text; no candidate
// port name maps to 0.
PortId SelectedPort(const fw::ComboBox& list, PortEnumerator& source, PortLibrary& ports) {
    const int selected = list.GetCurSel();
    if (selected == CB_ERR) {
        return 0;
    }
    const std::string text = list.GetLBText(selected);
    if (text.empty()) {
        return 0;
    }
    if (text == fw::LoadResString(IDS_AUTO_SELECTION)) {
        return DetectPrinter(source, ports);
    }
    const LRESULT port = list.GetItemData(selected);
    if (port != CB_ERR && port != 0) {
        return static_cast<PortId>(port);
    }
    return PortIdFromText(text.c_str());
}
