#pragma once
// What a terminal should show of the desktop: the area captured and reduced here, as the driver does it.

#include <string>

#include "TerminalPicture.h"

// The desktop's top-left 640 x 480 as indices and palette after the driver's colour reduction; false when the
// screen could not be captured.
bool ReducedDesktop(TerminalPicture& picture);

// Empty when shown has the pixels and palette colours of expected, else the first difference.
std::string DesktopDifference(const TerminalPicture& shown, const TerminalPicture& expected);
