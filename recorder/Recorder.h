// The recording port library's state: the real library it forwards to, and the recording it
// appends each call to, buffered so that no call waits on a file write but when the buffer fills.
#pragma once

#include "sim/CriticalSection.h"
#include "sim/FileHandle.h"
#include "sim/Recording.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace lvxrec {

class Recorder {
public:
    // What an export returns when the real library lacks its entry point: the tool's own code
    // for a missing entry point, which every caller treats as the call failing.
    static constexpr uint32_t MissingResult = 0xB000;
    // Name of the real library beside this one, and of the recording.
    static constexpr wchar_t RealLibraryName[] = L"Lorvex.real.dll";
    static constexpr wchar_t RecordingName[] = L"Lorvex.rec";
    // The buffer is written out when it holds this much.
    static constexpr std::size_t BufferLimit = 64 * 1024;

    // The library's one recorder.
    static Recorder& instance();

    Recorder() = default;
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // DLL load: loads the real library and opens the recording; false fails the load.
    bool attach(HMODULE self);
    // DLL unload: writes out what is buffered. At process end another thread may have died in
    // a call, so the lock is only tried.
    void detach(bool processExit);
    // The real library's entry point, or null.
    FARPROC find(const char* name) const;
    // A call begins: its time since the first call, and the thread.
    lvxsim::RecordedCall begin(const char* entry);
    // Appends the finished call; the port's close writes the buffer out.
    void record(const lvxsim::RecordedCall& call);

private:
    // The recording beside this library, else in %TEMP%; says where in the trace.
    void openRecording(const std::wstring& folder);
    // The header lines: format, recorder, Windows, process, time, real library.
    void writeHeader(const std::wstring& realPath);
    // Writes the buffer to the file and empties it.
    void flush();

    lvxsim::CriticalSection lock_;
    HMODULE real_ = nullptr;
    lvxsim::FileHandle file_;
    std::string buffer_;
    LARGE_INTEGER origin_{};
    LARGE_INTEGER frequency_{};
    bool started_ = false;
};

} // namespace lvxrec
