// What the main window tells assistive technology: the names of the two controls that no label
// names, and its one line of status, announced as it changes.
#pragma once

#include "fw/Annotations.h"

#include <windows.h>

// The window's status line: nothing, a stop under way, or Verify's wait.
enum class Status { None, Stopping, Verifying };

// Names the port list and the progress bar, which have no label of their own before them.
void NameControls(fw::Annotations& annotations, HWND portList, HWND bar);

// Shows status in statusLine and announces it: a stop at once, Verify's wait when the reader is
// free. statusLine is painted at once, for the window's thread may not paint again for a while.
void ShowStatus(fw::Annotations& annotations, HWND statusLine, Status status);
