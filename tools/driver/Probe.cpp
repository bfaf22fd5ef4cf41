#include "Probe.h"

#include "Files.h"

#include <sstream>
#include <stdexcept>

namespace guitest {

namespace {

// Splits "id<TAB>flags<TAB>text" lines into items.
std::vector<MenuItem> parseMenu(const std::string& listing) {
    std::vector<MenuItem> items;
    std::istringstream lines(listing);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t firstTab = line.find('\t');
        const size_t secondTab = line.find('\t', firstTab + 1);
        if (firstTab == std::string::npos || secondTab == std::string::npos) {
            throw std::runtime_error("malformed system menu line from probe: " + line);
        }
        MenuItem item;
        item.id = static_cast<unsigned>(std::stoul(line.substr(0, firstTab)));
        const std::string flags = line.substr(firstTab + 1, secondTab - firstTab - 1);
        item.separator = flags.find('S') != std::string::npos;
        item.grayed = flags.find('G') != std::string::npos;
        item.text = line.substr(secondTab + 1);
        items.push_back(item);
    }
    return items;
}

} // namespace

// Names as a reader of a failed test expects them.
const char* iconKindName(IconKind kind) {
    switch (kind) {
    case IconKind::None:
        return "none";
    case IconKind::Error:
        return "error";
    case IconKind::Warning:
        return "warning";
    case IconKind::Information:
        return "information";
    case IconKind::Question:
        return "question";
    case IconKind::Other:
        return "other";
    }
    return "?";
}

// The block exists before the hook does, so the first request finds it.
Probe::Probe(const Window& window)
    : threadId_(window.threadId()), shared_(probe::blockName(window.processId()), true) {
    if (!shared_.valid()) {
        throw std::runtime_error("cannot create the probe's shared block");
    }
    const std::string dllPath = programFolder() + probe::DllFileName;
    module_ = LoadLibraryA(dllPath.c_str());
    if (module_ == nullptr) {
        throw std::runtime_error("cannot load " + dllPath);
    }
    auto procedure = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(GetProcAddress(module_, probe::HookProcName)));
    if (procedure != nullptr) {
        hook_ = SetWindowsHookExA(WH_CALLWNDPROC, procedure, module_, threadId_);
    }
    if (hook_ == nullptr) {
        FreeLibrary(module_);
        throw std::runtime_error("cannot hook thread " + std::to_string(threadId_) + " (error " +
                                 std::to_string(GetLastError()) + ")");
    }
}

// The DLL may stay mapped in the target; it does nothing without the hook.
Probe::~Probe() {
    UnhookWindowsHookEx(hook_);
    FreeLibrary(module_);
}

// The request message is sent, so the answer is in the block when the call returns.
probe::Block& Probe::ask(probe::Request request, const Window& target) {
    if (target.threadId() != threadId_) {
        throw std::runtime_error("probe asked about a window of another thread");
    }
    probe::Block& block = shared_.block();
    block.request = request;
    block.status = probe::Status::Pending;
    block.target = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(target.handle()));
    block.value = 0;
    block.textLength = 0;
    target.send(RegisterWindowMessageA(probe::RequestMessageName));
    if (block.status != probe::Status::Done) {
        throw std::runtime_error(block.status == probe::Status::Pending
                                     ? "probe hook did not run in the target thread"
                                     : "probe hook could not answer");
    }
    if (block.textLength >= probe::TextSize) {
        throw std::runtime_error("probe answer overran its block");
    }
    return block;
}

// Items come back as text lines; see ProbeHook.cpp.
std::vector<MenuItem> Probe::systemMenu(const Window& window) {
    const probe::Block& block = ask(probe::Request::SystemMenu, window);
    return parseMenu(std::string(block.text, block.textLength));
}

// The hook's code maps one to one onto IconKind.
IconKind Probe::icon(const Window& staticControl) {
    switch (static_cast<probe::IconCode>(ask(probe::Request::Icon, staticControl).value)) {
    case probe::IconCode::None:
        return IconKind::None;
    case probe::IconCode::Error:
        return IconKind::Error;
    case probe::IconCode::Warning:
        return IconKind::Warning;
    case probe::IconCode::Information:
        return IconKind::Information;
    case probe::IconCode::Question:
        return IconKind::Question;
    case probe::IconCode::Other:
        return IconKind::Other;
    }
    return IconKind::Other;
}

// One line of eleven numbers; see ProbeHook.cpp.
TextRoom Probe::textRoom(const Window& control) {
    const probe::Block& block = ask(probe::Request::TextRoom, control);
    std::istringstream line(std::string(block.text, block.textLength));
    TextRoom room;
    if (!(line >> room.needWidth >> room.needHeight >> room.width >> room.height >> room.dpi >>
          room.placed.left >> room.placed.top >> room.placed.right >> room.placed.bottom >>
          room.parentWidth >> room.parentHeight)) {
        throw std::runtime_error("probe gave no text room");
    }
    return room;
}

} // namespace guitest
