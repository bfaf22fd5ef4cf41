// Pictures of the program's windows as the screen shows them, frame and caption included: the
// one way the guide, the run command and the replay command take a picture.
#pragma once

#include "Wait.h"
#include "Window.h"

#include <string>
#include <vector>

namespace guitest {

// Returns once the window's thread has handled everything posted to it before, and has painted
// the whole window afresh; throws WaitTimeout when it does not answer within limit.
void settleWindow(const Window& window, Millis limit = DefaultTimeout);

// The window's rectangle of the screen as 24-bit BMP file bytes; empty when it cannot be read.
std::vector<char> windowBitmap(const Window& window);

// Settles the window, then writes its picture to path as a BMP once two looks in a row agree: a
// window is shown before it is painted. Throws WaitTimeout, or std::runtime_error when the
// screen cannot be read or the file cannot be written.
void savePicture(const Window& window, const std::string& path, Millis limit = DefaultTimeout);

} // namespace guitest
