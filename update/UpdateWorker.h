// The worker thread's body: streams the update data file to the printer.
#pragma once

#include "portlib/PortLibrary.h"
#include "update/UpdateJob.h"

#include <windows.h>

#include <cstdint>

// The worker's own outcomes, kept above the 16-bit range that a PortResult widened with its
// sign can take (-32768 to 32767), so no library result can pass for one of them.
inline constexpr int32_t UpdateOutcomeBase = 0x10000;
// The data file could not be opened.
inline constexpr int32_t UpdateFileNotFound = UpdateOutcomeBase + 1;
// No memory for the transfer buffer.
inline constexpr int32_t UpdateNoMemory = UpdateOutcomeBase + 2;
// The operator stopped the transfer.
inline constexpr int32_t UpdateCancelled = UpdateOutcomeBase + 3;
// The data file could not be read to its end.
inline constexpr int32_t UpdateReadFailed = UpdateOutcomeBase + 4;
// The library said it sent more than it was offered.
inline constexpr int32_t UpdateSentSizeInvalid = UpdateOutcomeBase + 5;
// The data file holds no byte: there is nothing to send.
inline constexpr int32_t UpdateFileEmpty = UpdateOutcomeBase + 6;
// Another program holds the data file open.
inline constexpr int32_t UpdateFileInUse = UpdateOutcomeBase + 7;
// The data file's size changed while it was sent: the printer did not get the file.
inline constexpr int32_t UpdateFileChanged = UpdateOutcomeBase + 8;

// Bytes offered to the printer per piece; the bar counts in these.
inline constexpr uint32_t UpdatePieceSize = 1000;

// No worker thread could be started; never a thread's exit code.
inline constexpr int32_t UpdateNoThread = UpdateOutcomeBase + 0x100;

// Sends the file job.m_updateFilePath to port job.m_portId; the result code.
int32_t UpdateWorker(UpdateJob& job, PortLibrary& ports);

// UpdateWorker as a fw::WorkerThread body, on the application's port library; job is an
// UpdateJob* (not a pointer to an object that merely contains one).
DWORD UpdateWorkerThread(void* job);
