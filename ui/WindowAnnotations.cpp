#include "ui/WindowAnnotations.h"

#include "fw/Operations.h"
#include "fw/Text.h"
#include "fw/Trace.h"
#include "res/resource.h"

#include <algorithm>
#include <iterator>

namespace {

struct StatusLine {
    Status status;
    // 0 for no text.
    UINT text;
    fw::LiveSetting live;
};

constexpr StatusLine StatusLines[] = {
    {Status::None, 0, fw::LiveSetting::Polite},
    {Status::Stopping, IDS_STOPPING, fw::LiveSetting::Assertive},
    {Status::Verifying, IDS_VERIFYING, fw::LiveSetting::Polite},
};

// A name from the string table, in the service's UTF-16.
void Name(fw::Annotations& annotations, HWND control, UINT text) {
    std::wstring name;
    if (fw::WideFromAnsi(fw::LoadResString(text), name, op::MainWindow)) {
        annotations.SetName(control, name);
    }
}

} // namespace

void NameControls(fw::Annotations& annotations, HWND portList, HWND bar) {
    Name(annotations, portList, IDS_NAME_PORT_LIST);
    Name(annotations, bar, IDS_NAME_PROGRESS);
}

// The setting goes first: a client reads it when the change is told.
void ShowStatus(fw::Annotations& annotations, HWND statusLine, Status status) {
    const auto found = std::find_if(std::begin(StatusLines), std::end(StatusLines),
                                    [&](const StatusLine& each) { return each.status == status; });
    const StatusLine* line = found != std::end(StatusLines) ? &*found : &StatusLines[0];
    annotations.SetLiveSetting(statusLine, line->live);
    const std::string text = line->text != 0 ? fw::LoadResString(line->text) : std::string();
    if (!::SetWindowTextA(statusLine, text.c_str())) {
        fw::FailureTrace(op::MainWindow, "SetWindowTextA").LastError();
    }
    annotations.LiveRegionChanged(statusLine);
    // A group box's title is drawn by its parent's background too.
    const HWND parent = ::GetParent(statusLine);
    RECT area{};
    ::GetWindowRect(statusLine, &area);
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&area), 2);
    ::RedrawWindow(parent != nullptr ? parent : statusLine, parent != nullptr ? &area : nullptr,
                   nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}
