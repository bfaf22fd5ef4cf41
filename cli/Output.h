// Where an unattended run tells what happened: standard output when it is redirected (a file, a
// pipe), else the console the program was started from, and a log file if one was asked for.
#pragma once

#include "fw/CriticalSection.h"
#include "fw/Trace.h"
#include "fw/UniqueHandle.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace cli {

class Output final : public fw::TraceSink {
public:
    // Finds standard output, or attaches to the console of the parent process; with neither,
    // lines go to the log alone.
    Output();
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // Opens path for appending, made if missing; false (and a trace) when it cannot be.
    bool OpenLog(const std::wstring& path);

    // Prints text (ANSI, its lines split at "\r\n" or "\n") and logs each line with the time.
    void Print(const std::string& text);
    // On a console only: shows percent in place of the line's earlier figure.
    void ShowProgress(int percent);
    // Clears a figure ShowProgress left on the console.
    void EndProgress();
    // True when the lines go to a console rather than a file or pipe.
    bool OnConsole() const { return console_; }

    // The trace lines go to the log only.
    void TraceWritten(std::string_view line) override;

private:
    // One line to standard output or the console, with its line end.
    void WriteOut(const std::wstring& line);
    // One line to the log, after the local time.
    void WriteLog(const std::wstring& line);

    // CONOUT$ of an attached console.
    fw::UniqueHandle console_handle_;
    // Standard output or the console; not owned when it is standard output.
    HANDLE out_ = nullptr;
    bool console_ = false;
    fw::UniqueHandle log_;
    // The worker's progress and trace lines come from its own thread.
    fw::CriticalSection lock_;
    bool progressShown_ = false;
};

} // namespace cli
