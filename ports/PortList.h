// The port list's work: the spooler's candidate ports, the list's entries, printer detection and
// the port of the operator's choice.
#pragma once

#include "fw/ComboBox.h"
#include "portlib/PortLibrary.h"
#include "ports/PortEnumerator.h"

#include <string>
#include <vector>

// How far reading the spooler's list got.
enum class PortListRead {
    // Not sized (no ports, or an error) or no memory for it: nothing was fetched.
    Unavailable,
    // Sized and allocated, but the fetch failed.
    FetchFailed,
    Fetched,
};

// The names of the spooler's candidate ports ("USB...", "QRUSB...", "LPT..."), in its order.
PortListRead ReadCandidatePorts(PortEnumerator& source, std::vector<std::string>& names);

// One item of the port list: its text and the port it stands for.
struct PortListEntry {
    std::string text;
    PortId port = 0;
};

// The item for a candidate port name; with askModel, the printer's model name follows the port
// name when the printer gives one.
PortListEntry MakePortListEntry(PortLibrary& ports, const std::string& name, bool askModel);

// Rebuilds list from the spooler: the candidates in reverse order, "Auto selection" last,
// nothing selected; each item keeps its port as item data. With askModels false no port is
// opened. An unreadable spooler list changes nothing.
void FillPortList(fw::ComboBox& list, PortEnumerator& source, PortLibrary& ports, bool askModels);

// The first candidate, in the spooler's order, that opens and passes the device check, left
// open; NoPrinterFound when none does or the list cannot be fetched, 0 when there is no list.
PortId DetectPrinter(PortEnumerator& source, PortLibrary& ports);

// The port of list's selected item: detection for "Auto selection", else the item's own port;
// 0 when nothing usable is selected.
PortId SelectedPort(const fw::ComboBox& list, PortEnumerator& source, PortLibrary& ports);
