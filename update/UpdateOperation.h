// How the Update operation starts its worker thread; tests alone replace it.
#pragma once

#include "fw/WorkerThread.h"

#include <windows.h>

#include <memory>

// Starts a thread the way fw::WorkerThread::Start does; null when no thread starts.
using UpdateThreadStarter = std::unique_ptr<fw::WorkerThread> (*)(fw::WorkerThread::Body body,
                                                                  void* argument, int priority,
                                                                  unsigned stackSize, DWORD flags);

// Tests only: OnUpdate starts its worker through starter; null restores fw::WorkerThread::Start.
void SetUpdateThreadStarter(UpdateThreadStarter starter);
