#pragma once
// What a terminal should show of the desktop or of a picture the driver captures: reduced here, as the driver
// does it.

#include <windows.h>

#include <string>

#include "TerminalPicture.h"

// The desktop's top-left 640 x 480 as indices and palette after the driver's colour reduction; false when the
// screen could not be captured.
bool ReducedDesktop(TerminalPicture& picture);
// A 640 x 480 capture of the driver's kind (a window's, the waiting text's) likewise; false for a null one.
bool ReducedPicture(HBITMAP shot, TerminalPicture& picture);

// Empty when shown has the pixels and palette colours of expected, else the first difference.
std::string DesktopDifference(const TerminalPicture& shown, const TerminalPicture& expected);
