// What another process holds, as the soak reads it from outside: its kernel handles from the
// system handle list, its working set, and its GDI and USER objects. Under Wine 8
// GetProcessHandleCount and GetGuiResources answer 0 for another process, so the handle count
// comes from NtQuerySystemInformation(SystemHandleInformation), entries of that process id.
#pragma once

#include "fw/UniqueHandle.h"

#include <windows.h>

#include <cstdint>

class ProcessFigures {
public:
    // Opens process id for queries; throws when it cannot.
    explicit ProcessFigures(DWORD processId);
    ~ProcessFigures() = default;
    ProcessFigures(const ProcessFigures&) = delete;
    ProcessFigures& operator=(const ProcessFigures&) = delete;

    // Entries of the system handle list that belong to process id; throws when the list cannot
    // be read.
    static std::size_t KernelHandles(DWORD processId);
    // The process's kernel handles.
    std::size_t KernelHandles() const { return KernelHandles(processId_); }
    // Its working set in bytes; throws when it cannot be read.
    std::size_t WorkingSet() const;
    // GetProcessHandleCount's answer (0 when it fails).
    DWORD ReportedHandleCount() const;
    // GetGuiResources's answers for GDI and USER objects.
    DWORD GdiObjects() const;
    DWORD UserObjects() const;

private:
    DWORD processId_;
    fw::UniqueHandle process_;
};
