#include "ports/SpoolerPorts.h"

#include "fw/Operations.h"
#include "fw/Text.h"
#include "fw/Trace.h"

#include <new>

namespace {

using EnumPortsFn = BOOL(WINAPI*)(char* server, DWORD level, BYTE* ports, DWORD size, DWORD* needed,
                                  DWORD* returned);

constexpr char EnumPortsName[] = "EnumPortsA";

} // namespace

// Not imported: the loader would look for the spooler's library beside the program first.
SpoolerPorts::SpoolerPorts(const wchar_t* libraryName) {
    if (!library_.LoadSystem(libraryName)) {
        fw::FailureTrace(op::PortList, "LoadLibraryExW")
            .LastError()
            .Note(fw::DisplayText(libraryName));
    }
}

// A failure that leaves no error code still counts as a failure.
DWORD SpoolerPorts::Enumerate(BYTE* buffer, DWORD size, DWORD& needed, DWORD& returned) {
    const auto enumPorts =
        reinterpret_cast<EnumPortsFn>(reinterpret_cast<void*>(library_.Find(EnumPortsName)));
    if (enumPorts == nullptr) {
        const DWORD error = library_.Get() != nullptr ? ::GetLastError() : ERROR_MOD_NOT_FOUND;
        fw::FailureTrace(op::PortList, "GetProcAddress").Error(error).Note(EnumPortsName);
        return error != ERROR_SUCCESS ? error : ERROR_PROC_NOT_FOUND;
    }
    if (enumPorts(nullptr, 1, buffer, size, &needed, &returned)) {
        return ERROR_SUCCESS;
    }
    const DWORD error = ::GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

// The list can be large; running short of memory is an answer, not an exception.
std::unique_ptr<BYTE[]> SpoolerPorts::Allocate(DWORD size) {
    return std::unique_ptr<BYTE[]>(new (std::nothrow) BYTE[size]);
}
