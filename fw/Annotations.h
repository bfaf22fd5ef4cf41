// What a window tells assistive technology about its controls beyond what they show: a name
// that no label gives, and whether a control's text changes are to be announced. The window's
// code talks to this; fw/AccPropAnnotations.h is the system's service behind it.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

// How a changed text is announced (UI Automation's LiveSetting values).
enum class LiveSetting : long { Off = 0, Polite = 1, Assertive = 2 };

class Annotations {
public:
    Annotations() = default;
    Annotations(const Annotations&) = delete;
    Annotations& operator=(const Annotations&) = delete;

    // The accessible name of control; true when the annotation took.
    virtual bool SetName(HWND control, const std::wstring& name) = 0;
    // How changes of control's text are announced; true when the annotation took.
    virtual bool SetLiveSetting(HWND control, LiveSetting setting) = 0;
    // Tells listeners that the text of control, a live region, has changed.
    virtual void LiveRegionChanged(HWND control) = 0;

protected:
    ~Annotations() = default;
};

} // namespace fw
