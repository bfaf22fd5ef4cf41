// The Update operation's work: the data file's path, the worker started and waited for with the
// window kept answering, and the box that tells the outcome.
#pragma once

#include "fw/BoxContent.h"
#include "fw/MessagePump.h"
#include "fw/Text.h"
#include "fw/WorkerThread.h"
#include "update/UpdateJob.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

// Gives the program's folder, or false; fw::ProgramFolder, or a test's stand-in.
using ProgramFolderSource = bool (*)(std::wstring& folder);

// The update data file, beside the program; empty when the program's folder cannot be had, and
// the file is then not found (never looked for elsewhere).
std::wstring UpdateFilePath(ProgramFolderSource programFolder = &fw::ProgramFolder);

// Starts the worker on job (its cancel flag cleared before it runs) and waits for it, pumping
// this thread's messages through filter and keeping back a quit in quit; the worker's result, or
// UpdateNoThread. A job without a data file is UpdateFileNotFound, and no worker starts.
int32_t RunUpdate(UpdateJob& job, fw::MessageFilter& filter, fw::HeldQuit& quit);

// The string-table id of the message for an Update result.
UINT UpdateResultMessage(int32_t result);

// The box for an Update result; windowCaption is the caption of the operator's stop box.
fw::BoxContent UpdateResultBox(int32_t result, const std::string& windowCaption);

// Starts a thread the way fw::WorkerThread::Start does; null when no thread starts.
using UpdateThreadStarter = std::unique_ptr<fw::WorkerThread> (*)(fw::WorkerThread::Body body,
                                                                  void* argument, int priority,
                                                                  unsigned stackSize, DWORD flags);

// Tests only: RunUpdate starts its worker through starter; null restores
// fw::WorkerThread::Start.
void SetUpdateThreadStarter(UpdateThreadStarter starter);
