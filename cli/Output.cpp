#include "cli/Output.h"

#include "fw/Text.h"
#include "fw/Operations.h"

#include <cstdio>

namespace cli {

namespace {

// text from the ANSI code page; what cannot be converted is dropped, not the whole line.
std::wstring WideFrom(std::string_view text, UINT codePage) {
    if (text.empty()) {
        return std::wstring();
    }
    const int units =
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(units > 0 ? static_cast<std::size_t>(units) : 0, L'\0');
    if (units > 0) {
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                              units);
    }
    return wide;
}

// Bytes to a file or pipe; a reader that has gone is no reason to stop the run.
void WriteBytes(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void ToConsole(HANDLE console, const std::wstring& text) {
    DWORD written = 0;
    ::WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// A standard handle a caller gave: a file, a pipe or a character device (the console, NUL).
bool IsUsable(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           ::GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

} // namespace

// A program of the window subsystem gets standard handles only when its starter gave them
// (a redirection, a deployment system's capture); started from a console without one, it can
// still write to that console once attached to it.
// Attached to that console even when the output goes elsewhere: its Ctrl+C and its close reach
// only the processes attached to it.
Output::Output() {
    const HANDLE standard = ::GetStdHandle(STD_OUTPUT_HANDLE);
    const bool attached = ::AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;
    DWORD mode = 0;
    if (IsUsable(standard)) {
        out_ = standard;
        console_ = ::GetConsoleMode(standard, &mode) != FALSE;
        return;
    }
    if (!attached) {
        return;
    }
    console_handle_.Reset(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
    if (console_handle_ && ::GetConsoleMode(console_handle_.Get(), &mode)) {
        out_ = console_handle_.Get();
        console_ = true;
    }
}

Output::~Output() {
    EndProgress();
}

// Appending only: every write lands at the file's end, also with another writer at work.
bool Output::OpenLog(const std::wstring& path) {
    log_.Reset(::CreateFileW(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log_) {
        fw::FailureTrace(op::CommandLine, "CreateFileW").LastError().Note(fw::DisplayText(path));
        return false;
    }
    return true;
}

void Output::Print(const std::string& text) {
    const fw::CriticalScope hold(lock_);
    if (progressShown_) {
        ToConsole(out_, L"\r     \r");
        progressShown_ = false;
    }
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::size_t cut = end;
        if (cut > start && text[cut - 1] == '\r') {
            --cut;
        }
        const std::wstring line =
            WideFrom(std::string_view(text).substr(start, cut - start), CP_ACP);
        WriteOut(line);
        WriteLog(line);
        start = end + 1;
    }
}

// The figure overwrites itself; nothing of it reaches a file, a pipe or the log.
void Output::ShowProgress(int percent) {
    if (!console_) {
        return;
    }
    const fw::CriticalScope hold(lock_);
    char figure[16] = {};
    std::snprintf(figure, sizeof figure, "\r%3d%%", percent);
    ToConsole(out_, WideFrom(figure, CP_ACP));
    progressShown_ = true;
}

void Output::EndProgress() {
    const fw::CriticalScope hold(lock_);
    if (progressShown_) {
        ToConsole(out_, L"\r     \r");
        progressShown_ = false;
    }
}

void Output::TraceWritten(std::string_view line) {
    const fw::CriticalScope hold(lock_);
    WriteLog(WideFrom(line, CP_ACP));
}

// The console takes UTF-16 as it is; a file or pipe gets UTF-8, as the log does.
void Output::WriteOut(const std::wstring& line) {
    if (out_ == nullptr) {
        return;
    }
    if (console_) {
        ToConsole(out_, line + L"\r\n");
    } else {
        WriteBytes(out_, fw::Utf8Text(line + L"\r\n"));
    }
}

void Output::WriteLog(const std::wstring& line) {
    if (!log_) {
        return;
    }
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    char time[40] = {};
    std::snprintf(time, sizeof time, "%04u-%02u-%02u %02u:%02u:%02u.%03u ", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    WriteBytes(log_.Get(), time + fw::Utf8Text(line + L"\r\n"));
}

} // namespace cli
