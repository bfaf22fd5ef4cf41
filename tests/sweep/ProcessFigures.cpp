#include "ProcessFigures.h"

#include <psapi.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// SystemHandleInformation and its layout, as ntdll gives them.
constexpr ULONG SystemHandleInformation = 16;
constexpr LONG StatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);

struct HandleEntry {
    USHORT processId;
    USHORT creatorBackTraceIndex;
    UCHAR objectTypeIndex;
    UCHAR handleAttributes;
    USHORT handleValue;
    void* object;
    ULONG grantedAccess;
};

struct HandleList {
    ULONG count;
    HandleEntry entries[1];
};

using QuerySystemInformation = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);

// Looked up once: the function is not in the import libraries' documented set.
QuerySystemInformation QueryFunction() {
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    const FARPROC found =
        ntdll != nullptr ? ::GetProcAddress(ntdll, "NtQuerySystemInformation") : nullptr;
    if (found == nullptr) {
        throw std::runtime_error("ntdll has no NtQuerySystemInformation");
    }
    return reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(found));
}

} // namespace

// Query access suffices for the working set and the counts.
ProcessFigures::ProcessFigures(DWORD processId)
    : processId_(processId),
      process_(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId)) {
    if (!process_) {
        throw std::runtime_error("cannot open process " + std::to_string(processId) + " (error " +
                                 std::to_string(::GetLastError()) + ")");
    }
}

// The list's entries carry 16 bits of the process id; ids are small multiples of 4 here.
std::size_t ProcessFigures::KernelHandles(DWORD processId) {
    static const QuerySystemInformation query = QueryFunction();
    std::vector<unsigned char> buffer(64 * 1024);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        const LONG status = query(SystemHandleInformation, buffer.data(),
                                  static_cast<ULONG>(buffer.size()), &needed);
        if (status == StatusInfoLengthMismatch) {
            buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
            continue;
        }
        if (status < 0) {
            throw std::runtime_error("NtQuerySystemInformation failed, status " +
                                     std::to_string(static_cast<unsigned long>(status)));
        }
        const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
        const std::size_t room =
            (buffer.size() - offsetof(HandleList, entries)) / sizeof(HandleEntry);
        const std::size_t count = std::min<std::size_t>(list->count, room);
        std::size_t owned = 0;
        for (std::size_t i = 0; i < count; ++i) {
            owned += list->entries[i].processId == static_cast<USHORT>(processId) ? 1 : 0;
        }
        return owned;
    }
    throw std::runtime_error("the system handle list kept growing");
}

// K32GetProcessMemoryInfo, through psapi's name for it.
std::size_t ProcessFigures::WorkingSet() const {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!::K32GetProcessMemoryInfo(process_.Get(), &counters, sizeof counters)) {
        throw std::runtime_error("K32GetProcessMemoryInfo failed (error " +
                                 std::to_string(::GetLastError()) + ")");
    }
    return counters.WorkingSetSize;
}

// Wine 8 answers 0 for another process.
DWORD ProcessFigures::ReportedHandleCount() const {
    DWORD count = 0;
    return ::GetProcessHandleCount(process_.Get(), &count) ? count : 0;
}

// Wine 8 answers 0 for another process.
DWORD ProcessFigures::GdiObjects() const {
    return ::GetGuiResources(process_.Get(), GR_GDIOBJECTS);
}

// Wine 8 answers 0 for another process.
DWORD ProcessFigures::UserObjects() const {
    return ::GetGuiResources(process_.Get(), GR_USEROBJECTS);
}
