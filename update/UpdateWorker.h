// The worker thread's body: streams the update data file to the printer.
#pragma once

#include <cstdint>

#include <windows.h>

class MainDialog;

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

// Sends the file dialog.m_updateFilePath to port dialog.m_portId; the result code.
int32_t UpdateWorker(MainDialog& dialog);

// UpdateWorker as a fw::WorkerThread body; dialog is the MainDialog.
DWORD UpdateWorkerThread(void* dialog);
