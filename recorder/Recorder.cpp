#include "recorder/Recorder.h"

#include "sim/ByteText.h"

#include <cstdio>

namespace lvxrec {

namespace {

// Version of the recorder, in every recording's header.
constexpr char RecorderVersion[] = "1.0";

// Full path of a module's file; empty on failure.
std::wstring modulePath(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 6; ++attempt) {
        const DWORD n = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) {
            return {};
        }
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.assign(path.size() * 2, L'\0');
    }
    return {};
}

// UTF-8 of a path, for the recording's text.
std::string utf8(const std::wstring& wide) {
    if (wide.empty()) {
        return {};
    }
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0) {
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &out[0], n,
                            nullptr, nullptr);
    }
    return out;
}

// A new recording, replacing one of an earlier run.
lvxsim::FileHandle createRecording(const std::wstring& path) {
    return lvxsim::FileHandle(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The version Windows reports of itself; GetVersionEx answers as the manifest allows.
std::string windowsVersion() {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto get = ntdll != nullptr ? reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(
                                            GetProcAddress(ntdll, "RtlGetVersion")))
                                      : nullptr;
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (get == nullptr || get(&info) != 0) {
        return "unknown";
    }
    return std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + "." +
           std::to_string(info.dwBuildNumber);
}

// A trace line for the support engineer's debug viewer.
void trace(const std::wstring& text) {
    OutputDebugStringW((L"Lorvex recorder: " + text + L"\n").c_str());
}

} // namespace

// The library's one recorder.
Recorder& Recorder::instance() {
    static Recorder recorder;
    return recorder;
}

// The real library is loaded here, not at the first call, so that a missing one fails this
// library's load and the tool shows its own start-up message, as it would without us.
bool Recorder::attach(HMODULE self) {
    const std::wstring path = modulePath(self);
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        return false;
    }
    const std::wstring folder = path.substr(0, slash + 1);
    const std::wstring realPath = folder + RealLibraryName;
    // By full path; what the real library loads itself is searched for from its folder.
    real_ = LoadLibraryExW(realPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (real_ == nullptr) {
        trace(L"cannot load " + realPath + L", error " + std::to_wstring(GetLastError()));
        return false;
    }
    QueryPerformanceFrequency(&frequency_);
    openRecording(folder);
    writeHeader(realPath);
    return true;
}

// The real library stays loaded: it is freed with the process, as freeing a library from
// inside another's unload is not safe.
void Recorder::detach(bool processExit) {
    lvxsim::CriticalSection::Guard guard(lock_, processExit);
    if (guard.owns()) {
        buffer_ +=
            "# end of recording (" + std::string(processExit ? "process exit" : "unload") + ")\n";
        flush();
    }
}

FARPROC Recorder::find(const char* name) const {
    return GetProcAddress(real_, name);
}

// The clock starts at the first call.
lvxsim::RecordedCall Recorder::begin(const char* entry) {
    lvxsim::RecordedCall call;
    call.entry = entry;
    call.thread = GetCurrentThreadId();
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    lvxsim::CriticalSection::Guard guard(lock_);
    if (!started_) {
        started_ = true;
        origin_ = now;
    }
    call.millis = frequency_.QuadPart > 0 ? static_cast<double>(now.QuadPart - origin_.QuadPart) *
                                                1000.0 / static_cast<double>(frequency_.QuadPart)
                                          : 0.0;
    return call;
}

// A closed port ends an operation, when the tool waits for nothing: the time to write.
void Recorder::record(const lvxsim::RecordedCall& call) {
    lvxsim::CriticalSection::Guard guard(lock_);
    buffer_ += lvxsim::Recording::format(call);
    buffer_ += '\n';
    if (buffer_.size() >= BufferLimit || call.entry == "PortCloseByLvx") {
        flush();
    }
}

// A folder the technician cannot write to (Program Files) sends the recording to %TEMP%.
void Recorder::openRecording(const std::wstring& folder) {
    std::wstring path = folder + RecordingName;
    file_ = createRecording(path);
    if (!file_.valid()) {
        wchar_t temp[MAX_PATH + 1] = {};
        const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
        if (n > 0 && n <= MAX_PATH) {
            path = std::wstring(temp, n) + RecordingName;
            file_ = createRecording(path);
        }
    }
    if (file_.valid()) {
        trace(L"recording to " + path);
    } else {
        trace(L"cannot write a recording beside the library or in %TEMP%; calls are forwarded "
              L"unrecorded");
    }
}

void Recorder::writeHeader(const std::wstring& realPath) {
    SYSTEMTIME now{};
    GetSystemTime(&now);
    char time[40];
    std::snprintf(time, sizeof time, "%04u-%02u-%02u %02u:%02u:%02u UTC", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond);
    buffer_ += std::string(lvxsim::Recording::Magic) + " " +
               std::to_string(lvxsim::Recording::FormatVersion) + "\n";
    buffer_ += "# recorder " + std::string(RecorderVersion) + "\n";
    buffer_ += "# windows " + windowsVersion() + "\n";
    buffer_ += "# process " + lvxsim::text::quote(utf8(modulePath(nullptr))) + " id " +
               std::to_string(GetCurrentProcessId()) + "\n";
    buffer_ += "# time " + std::string(time) + "\n";
    buffer_ += "# real " + lvxsim::text::quote(utf8(realPath)) + "\n";
    buffer_ += "# TIME(ms) THREAD ENTRY ARGUMENTS -> RESULT(32 bits) OUTPUTS\n";
}

// Without a file the buffer is only emptied.
void Recorder::flush() {
    if (file_.valid() && !buffer_.empty()) {
        DWORD written = 0;
        if (!WriteFile(file_.get(), buffer_.data(), static_cast<DWORD>(buffer_.size()), &written,
                       nullptr) ||
            written != buffer_.size()) {
            trace(L"writing the recording failed, error " + std::to_wstring(GetLastError()));
        }
    }
    buffer_.clear();
}

} // namespace lvxrec
