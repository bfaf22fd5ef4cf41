// The recording port library's state: the real library it forwards to, and the recording it
// writes each call to as the call returns, so that a crash inside the real library loses at most
// the call that crashed.
#pragma once

#include "lvxio/CriticalSection.h"
#include "lvxio/FileHandle.h"
#include "lvxio/Recording.h"

#include "lvxio/EntryPoints.h"

#include <windows.h>

#include <cstdint>
#include <string>

// The real library's PortOpenByLvx under a name of our own, imported through an import library
// made from a .def (CMakeLists.txt). So the loader loads Lorvex.real.dll with this library,
// under the program's own search rules, and fails this library's load when it is missing; no
// code of ours loads anything. Only this entry point is imported, as a real library may lack
// others (their calls are recorded as missing): one without PortOpenByLvx opens no port and is
// no port library.
extern "C" __declspec(dllimport) uint32_t __stdcall LvxRealPortOpen(uint16_t portId);

namespace lvxrec {

class Recorder {
public:
    // What an export returns when the real library lacks its entry point: the tool's own code
    // for a missing entry point, which every caller treats as the call failing.
    static constexpr uint32_t MissingResult = 0xB000;
    // Name of the real library beside this one, and of the recording.
    static constexpr wchar_t RealLibraryName[] = L"Lorvex.real.dll";
    static constexpr wchar_t RecordingName[] = L"Lorvex.rec";

    // The library's one recorder.
    static Recorder& instance();

    Recorder() = default;
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // DLL load: opens the recording. The loader has loaded the real library already (it is
    // imported), so nothing is loaded here.
    void attach(HMODULE self);
    // DLL unload: ends the recording. At process end another thread may have died in a call,
    // so the lock is only tried.
    void detach(bool processExit);
    // The real library's entry point, or null.
    FARPROC find(const char* name) const;
    // A call begins: its time since the first call, and the thread. The first call writes the
    // header.
    lvxio::RecordedCall begin(const lvxio::EntryPoint& entry);
    // Writes the finished call to the file at once.
    void record(const lvxio::RecordedCall& call);

private:
    // The recording beside this library, else in %TEMP%; says where in the trace.
    void openRecording(const std::wstring& folder);
    // The header lines: format, recorder, Windows, process, time, real library, spooler ports.
    void writeHeader();
    // Hands text to the system; nothing stays in the process.
    void write(const std::string& text);

    lvxio::CriticalSection lock_;
    HMODULE real_ = nullptr;
    lvxio::FileHandle file_;
    LARGE_INTEGER origin_{};
    LARGE_INTEGER frequency_{};
    bool started_ = false;
};

} // namespace lvxrec
