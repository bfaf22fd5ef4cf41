// The worker thread's body: streams the update data file to the printer.
#pragma once

#include <windows.h>

class MainDialog;

// Sends the file named by dialog.m_updateFilePath to port dialog.m_portId; the result code.
DWORD UpdateWorker(MainDialog& dialog);
