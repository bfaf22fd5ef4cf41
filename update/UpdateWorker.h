// The worker thread's body: streams the update data file to the printer.
#pragma once

#include <cstdint>

#include <windows.h>

class MainDialog;

// Results of a run besides PortOk (1) and a failing PortResult widened with its sign.
inline constexpr int32_t UpdateFileNotFound = -245;
// No memory for the transfer buffer (0xC000 as 16 bits).
inline constexpr int32_t UpdateNoMemory = -16384;
// The operator stopped the transfer (0xD000 as 16 bits).
inline constexpr int32_t UpdateCancelled = -12288;
// The data file could not be read to its end (0xE000 as 16 bits).
inline constexpr int32_t UpdateReadFailed = -8192;
// The library said it sent more than it was offered (0xF000 as 16 bits).
inline constexpr int32_t UpdateSentSizeInvalid = -4096;

// Bytes offered to the printer per piece; the bar counts in these.
inline constexpr uint32_t UpdatePieceSize = 1000;

// Sends the file dialog.m_updateFilePath to port dialog.m_portId; the result code.
int32_t UpdateWorker(MainDialog& dialog);

// UpdateWorker as a fw::WorkerThread body; dialog is the MainDialog.
DWORD UpdateWorkerThread(void* dialog);
