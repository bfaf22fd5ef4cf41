// Reads what Wine will not show another process: the system menu of a window and which system
// icon a static control shows. A hook DLL is loaded into the target thread and answers there.
#pragma once

#include "SharedBlock.h"
#include "Window.h"

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

namespace guitest {

// One system menu item.
struct MenuItem {
    unsigned id = 0;
    bool separator = false;
    bool grayed = false;
    std::string text;
};

// The room a control's text takes in its own font, wrapped as the control wraps it, against
// the room its client area gives; the dots per inch its text is drawn at; and where it lies in
// its parent's client area, against that area's size. All as the program itself sees them.
struct TextRoom {
    int needWidth = 0;
    int needHeight = 0;
    int width = 0;
    int height = 0;
    int dpi = 0;
    RECT placed{};
    int parentWidth = 0;
    int parentHeight = 0;
};

// Which system icon a static control shows.
enum class IconKind { None, Error, Warning, Information, Question, Other };

// Name of an icon kind, for failure messages.
const char* iconKindName(IconKind kind);

// Lets gtest print IconKind values by name.
inline std::ostream& operator<<(std::ostream& out, IconKind kind) {
    return out << iconKindName(kind);
}

class Probe {
public:
    // Hooks the thread that owns window; throws if the DLL or the hook cannot be set up.
    explicit Probe(const Window& window);
    // Removes the hook and frees the DLL in this process.
    ~Probe();
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    // Items of window's system menu, top to bottom.
    std::vector<MenuItem> systemMenu(const Window& window);
    // Which system icon the static control shows.
    IconKind icon(const Window& staticControl);
    // The room the control's text takes and the room it has.
    TextRoom textRoom(const Window& control);

private:
    // Posts a request through the hook and waits for its answer; throws on failure.
    probe::Block& ask(probe::Request request, const Window& target);

    DWORD threadId_ = 0;
    HMODULE module_ = nullptr;
    HHOOK hook_ = nullptr;
    SharedBlock shared_;
};

} // namespace guitest
