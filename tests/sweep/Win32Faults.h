// The Win32 and run-time calls of an Update that the sweep makes fail, one at a time: the data
// file's read, the worker thread's start, resume and priority, and the tool's nothrow
// allocations. While the object lives the calls go through stand-ins that pass every call on
// but the one armed. TerminateThread is only counted while armed: the tool ends a worker that
// could not be resumed with it, and that brings down the emulated 32-bit Wine process
// (qemu-i386) now and then, though the reference page allows it for a thread that never ran.
#pragma once

#include "ImportPatch.h"

#include <windows.h>

#include <cstdint>
#include <memory>

class Win32Faults {
public:
    enum class Call {
        ReadFile,
        BeginThread,
        ResumeThread,
        SetThreadPriority,
        NothrowNew,
        TerminateThread
    };

    // Puts the stand-ins into the test program's import table; throws when a call is not there.
    Win32Faults();
    // Takes them out again.
    ~Win32Faults();
    Win32Faults(const Win32Faults&) = delete;
    Win32Faults& operator=(const Win32Faults&) = delete;

    // Counts every call from now on and makes the nth of call fail (0: none fails).
    static void Arm(Call call, uint32_t nth);
    // Counts nothing and fails nothing.
    static void Disarm();
    // Calls of call since Arm.
    static uint32_t Count(Call call);
    // The update worker's thread: only its reads are the data file's (Arm forgets it).
    static void SetWorker(DWORD threadId);

    // For the replaced nothrow operator new: null when the armed allocation is due.
    static void* Allocate(std::size_t size);

private:
    // Counts a call; true when it is the one to fail.
    static bool Fails(Call call);

    // The stand-ins.
    static BOOL WINAPI ReadFileStandIn(HANDLE file, void* buffer, DWORD size, DWORD* read,
                                       OVERLAPPED* overlapped);
    static uintptr_t __cdecl BeginThreadStandIn(void* security, unsigned stackSize,
                                                unsigned(__stdcall* start)(void*), void* argument,
                                                unsigned flags, unsigned* threadId);
    static DWORD WINAPI ResumeThreadStandIn(HANDLE thread);
    static BOOL WINAPI SetThreadPriorityStandIn(HANDLE thread, int priority);
    static BOOL WINAPI TerminateThreadStandIn(HANDLE thread, DWORD exitCode);

    std::unique_ptr<ImportPatch> readFile_;
    std::unique_ptr<ImportPatch> beginThread_;
    std::unique_ptr<ImportPatch> resumeThread_;
    std::unique_ptr<ImportPatch> setThreadPriority_;
    std::unique_ptr<ImportPatch> terminateThread_;
};
