#include "recorder/Recorder.h"

#include "lvxio/ByteText.h"
#include "lvxio/ModulePath.h"

#include <winspool.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace lvxrec {

namespace {

// Version of the recorder, in every recording's header.
constexpr char RecorderVersion[] = "1.0";

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
lvxio::FileHandle createRecording(const std::wstring& path) {
    return lvxio::FileHandle(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
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

// The spooler's port names in its order, as the tool reads them (EnumPortsA, level 1), from
// the system's winspool.drv by full path; nothing when they cannot be read (an empty list is a
// list). Called at the first call, never inside DllMain.
std::optional<std::vector<std::string>> spoolerPorts() {
    using EnumPortsFn = BOOL(WINAPI*)(char*, DWORD, BYTE*, DWORD, DWORD*, DWORD*);
    wchar_t system[MAX_PATH + 1] = {};
    const UINT n = GetSystemDirectoryW(system, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH) {
        return std::nullopt;
    }
    const auto freeLibrary = [](HMODULE module) { FreeLibrary(module); };
    const std::unique_ptr<HINSTANCE__, decltype(freeLibrary)> spooler(
        LoadLibraryExW((std::wstring(system, n) + L"\\winspool.drv").c_str(), nullptr, 0),
        freeLibrary);
    const auto enumPorts = spooler ? reinterpret_cast<EnumPortsFn>(reinterpret_cast<void*>(
                                         GetProcAddress(spooler.get(), "EnumPortsA")))
                                   : nullptr;
    DWORD needed = 0;
    DWORD returned = 0;
    if (enumPorts == nullptr) {
        return std::nullopt;
    }
    // Success with no size asked for is an empty list.
    if (enumPorts(nullptr, 1, nullptr, 0, &needed, &returned)) {
        return std::vector<std::string>();
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        return std::nullopt;
    }
    std::vector<BYTE> block(needed);
    if (!enumPorts(nullptr, 1, block.data(), needed, &needed, &returned)) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    const auto* records = reinterpret_cast<const PORT_INFO_1A*>(block.data());
    for (DWORD i = 0; i < returned; ++i) {
        names.emplace_back(records[i].pName != nullptr ? records[i].pName : "");
    }
    return names;
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

// Only the recording is opened here: the real library came with this one's imports.
void Recorder::attach(HMODULE self) {
    const std::wstring path = lvxio::modulePath(self);
    const std::size_t slash = path.find_last_of(L"\\/");
    QueryPerformanceFrequency(&frequency_);
    openRecording(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1));
    // The module that holds the imported entry point is the real library, however the loader
    // found it; the other entry points are looked up in it, as the real library may lack some.
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(&LvxRealPortOpen)), &real_)) {
        trace(L"cannot find the real library's module, error " + std::to_wstring(GetLastError()));
    }
}

// The real library is freed by the loader after this one, as this one imports it.
void Recorder::detach(bool processExit) {
    lvxio::CriticalSection::Guard guard(lock_, processExit);
    if (guard.owns()) {
        write("# end of recording (" + std::string(processExit ? "process exit" : "unload") +
              ")\n");
    }
}

FARPROC Recorder::find(const char* name) const {
    return real_ != nullptr ? GetProcAddress(real_, name) : nullptr;
}

// The clock starts at the first call.
lvxio::RecordedCall Recorder::begin(const lvxio::EntryPoint& entry) {
    lvxio::RecordedCall call = lvxio::Recording::call(entry);
    call.thread = GetCurrentThreadId();
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    lvxio::CriticalSection::Guard guard(lock_);
    if (!started_) {
        started_ = true;
        origin_ = now;
        writeHeader();
    }
    call.millis = frequency_.QuadPart > 0 ? static_cast<double>(now.QuadPart - origin_.QuadPart) *
                                                1000.0 / static_cast<double>(frequency_.QuadPart)
                                          : 0.0;
    return call;
}

// The line goes to the system before the call returns to the tool.
void Recorder::record(const lvxio::RecordedCall& call) {
    lvxio::CriticalSection::Guard guard(lock_);
    write(lvxio::Recording::format(call) + "\n");
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

void Recorder::writeHeader() {
    SYSTEMTIME now{};
    GetSystemTime(&now);
    char time[40];
    std::snprintf(time, sizeof time, "%04u-%02u-%02u %02u:%02u:%02u UTC", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond);
    std::string header = std::string(lvxio::Recording::Magic) + " " +
                         std::to_string(lvxio::Recording::FormatVersion) + "\n";
    header += "# recorder " + std::string(RecorderVersion) + "\n";
    header += "# windows " + windowsVersion() + "\n";
    header += "# process " + lvxio::text::quote(utf8(lvxio::modulePath(nullptr))) + " id " +
              std::to_string(GetCurrentProcessId()) + "\n";
    header += "# time " + std::string(time) + "\n";
    header += "# real " + lvxio::text::quote(utf8(lvxio::modulePath(real_))) + "\n";
    const auto ports = spoolerPorts();
    if (ports) {
        header += lvxio::Recording::portsLine(*ports) + "\n";
    } else {
        trace(L"cannot read the spooler's ports; the recording does not list them");
    }
    header += "# TIME(ms) THREAD ENTRY ARGUMENTS -> RESULT(32 bits) OUTPUTS\n";
    write(header);
}

// Without a file the text is dropped. A WriteFile that returns has handed the bytes to the
// system: a crash of this process after it cannot lose them.
void Recorder::write(const std::string& text) {
    if (!file_.valid()) {
        return;
    }
    DWORD written = 0;
    if (!WriteFile(file_.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size()) {
        trace(L"writing the recording failed, error " + std::to_wstring(GetLastError()));
    }
}

} // namespace lvxrec
