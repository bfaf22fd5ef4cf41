// The annotations through the system's dynamic annotation service (IAccPropServices), on the
// window's thread. The COM library comes from the system folder at run time, so the program
// imports nothing more; where the service cannot be had, each annotation fails with a trace and
// the controls keep their default accessible properties. Loading the COM libraries and making
// the service the first time can take seconds on a slow machine: a thread of its own does that
// first, so that the window answers meanwhile.
#pragma once

#include "fw/Annotations.h"
#include "fw/Module.h"
#include "fw/WorkerThread.h"

#include <windows.h>

#include <memory>
#include <vector>

struct IAccPropServices;

namespace fw {

class AccPropAnnotations : public Annotations {
public:
    // Nothing is loaded until Prepare.
    AccPropAnnotations() = default;
    // Waits for the preparing thread, clears what is left and lets the service and the COM
    // library go.
    ~AccPropAnnotations();

    // Loads the COM library and makes the service once on a thread of its own, then posts
    // message to window; false (traced) when no thread starts, and nothing is posted.
    bool Prepare(HWND window, UINT message);
    // Once prepared: joins this thread to a single-threaded apartment and creates the service;
    // false (traced) when either cannot be had.
    bool Start();
    // Removes every annotation made, while the controls still exist.
    void ClearAll();

    bool SetName(HWND control, const std::wstring& name) override;
    bool SetLiveSetting(HWND control, LiveSetting setting) override;
    void LiveRegionChanged(HWND control) override;

private:
    static DWORD Preparing(void* self);
    // Remembers control for ClearAll.
    void Annotated(HWND control);

    Module ole32_;
    HWND window_ = nullptr;
    UINT message_ = 0;
    std::unique_ptr<WorkerThread> preparing_;
    bool apartment_ = false;
    IAccPropServices* service_ = nullptr;
    std::vector<HWND> annotated_;
};

} // namespace fw
