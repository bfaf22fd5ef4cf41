#include "Win32Faults.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <new>

namespace {

constexpr int CallCount = 6;

std::atomic<bool> armed{false};
std::atomic<int> armedCall{0};
std::atomic<uint32_t> armedNth{0};
std::atomic<uint32_t> counts[CallCount];
std::atomic<DWORD> worker{0};

// The system's functions, as the import table held them.
using ReadFileFn = BOOL(WINAPI*)(HANDLE, void*, DWORD, DWORD*, OVERLAPPED*);
using BeginThreadFn = uintptr_t(__cdecl*)(void*, unsigned, unsigned(__stdcall*)(void*), void*,
                                          unsigned, unsigned*);
using ResumeThreadFn = DWORD(WINAPI*)(HANDLE);
using SetThreadPriorityFn = BOOL(WINAPI*)(HANDLE, int);
using TerminateThreadFn = BOOL(WINAPI*)(HANDLE, DWORD);
ReadFileFn realReadFile = nullptr;
BeginThreadFn realBeginThread = nullptr;
ResumeThreadFn realResumeThread = nullptr;
SetThreadPriorityFn realSetThreadPriority = nullptr;
TerminateThreadFn realTerminateThread = nullptr;

// The import table's own cast: a slot holds any function's address.
template <class Fn> void* Address(Fn function) {
    return reinterpret_cast<void*>(function);
}

template <class Fn> Fn As(void* address) {
    return reinterpret_cast<Fn>(address);
}

} // namespace

// The tool's code runs in this program, so its calls meet the stand-ins.
Win32Faults::Win32Faults()
    : readFile_(
          std::make_unique<ImportPatch>("kernel32.dll", "ReadFile", Address(&ReadFileStandIn))),
      beginThread_(std::make_unique<ImportPatch>("msvcrt.dll", "_beginthreadex",
                                                 Address(&BeginThreadStandIn))),
      resumeThread_(std::make_unique<ImportPatch>("kernel32.dll", "ResumeThread",
                                                  Address(&ResumeThreadStandIn))),
      setThreadPriority_(std::make_unique<ImportPatch>("kernel32.dll", "SetThreadPriority",
                                                       Address(&SetThreadPriorityStandIn))),
      terminateThread_(std::make_unique<ImportPatch>("kernel32.dll", "TerminateThread",
                                                     Address(&TerminateThreadStandIn))) {
    realReadFile = As<ReadFileFn>(readFile_->Original());
    realBeginThread = As<BeginThreadFn>(beginThread_->Original());
    realResumeThread = As<ResumeThreadFn>(resumeThread_->Original());
    realSetThreadPriority = As<SetThreadPriorityFn>(setThreadPriority_->Original());
    realTerminateThread = As<TerminateThreadFn>(terminateThread_->Original());
}

// The patches put the system's functions back as they go.
Win32Faults::~Win32Faults() {
    Disarm();
}

// Counts start from zero.
void Win32Faults::Arm(Call call, uint32_t nth) {
    for (auto& count : counts) {
        count.store(0);
    }
    worker.store(0);
    armedCall.store(static_cast<int>(call));
    armedNth.store(nth);
    armed.store(true);
}

// Stand-ins pass everything on.
void Win32Faults::Disarm() {
    armed.store(false);
}

// Since the last Arm.
uint32_t Win32Faults::Count(Call call) {
    return counts[static_cast<int>(call)].load();
}

// Set before the worker is resumed.
void Win32Faults::SetWorker(DWORD threadId) {
    worker.store(threadId);
}

// Only while armed.
bool Win32Faults::Fails(Call call) {
    if (!armed.load()) {
        return false;
    }
    const uint32_t n = ++counts[static_cast<int>(call)];
    return armedCall.load() == static_cast<int>(call) && armedNth.load() == n;
}

// The same heap as the run-time's own operator new, so the usual delete frees it.
void* Win32Faults::Allocate(std::size_t size) {
    if (Fails(Call::NothrowNew)) {
        return nullptr;
    }
    return std::malloc(size == 0 ? 1 : size);
}

// A device error in the middle of the file; reads of other threads are none of the tool's.
BOOL WINAPI Win32Faults::ReadFileStandIn(HANDLE file, void* buffer, DWORD size, DWORD* read,
                                         OVERLAPPED* overlapped) {
    if (::GetCurrentThreadId() == worker.load() && Fails(Call::ReadFile)) {
        if (read != nullptr) {
            *read = 0;
        }
        ::SetLastError(ERROR_READ_FAULT);
        return FALSE;
    }
    return realReadFile(file, buffer, size, read, overlapped);
}

// As the run-time reports running out of threads.
uintptr_t __cdecl Win32Faults::BeginThreadStandIn(void* security, unsigned stackSize,
                                                  unsigned(__stdcall* start)(void*), void* argument,
                                                  unsigned flags, unsigned* threadId) {
    if (Fails(Call::BeginThread)) {
        errno = EAGAIN;
        return 0;
    }
    return realBeginThread(security, stackSize, start, argument, flags, threadId);
}

// The reference page's failure value.
DWORD WINAPI Win32Faults::ResumeThreadStandIn(HANDLE thread) {
    if (Fails(Call::ResumeThread)) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return static_cast<DWORD>(-1);
    }
    return realResumeThread(thread);
}

// FALSE with a last error.
BOOL WINAPI Win32Faults::SetThreadPriorityStandIn(HANDLE thread, int priority) {
    if (Fails(Call::SetThreadPriority)) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return realSetThreadPriority(thread, priority);
}

// While armed the worker that never ran stays suspended until this program ends.
BOOL WINAPI Win32Faults::TerminateThreadStandIn(HANDLE thread, DWORD exitCode) {
    if (armed.load()) {
        Fails(Call::TerminateThread);
        return TRUE;
    }
    return realTerminateThread(thread, exitCode);
}

// The tool's nothrow allocations (the transfer buffer, the worker's blocks, the port list) all
// come here in this program.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Win32Faults::Allocate(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Win32Faults::Allocate(size);
}
