#pragma once
// What the parts of the main window share and nothing else uses.

#include "shell/MainForm.h"

// The form's own limits of the spin edits.
inline constexpr TSpinEditLimits DelayAfterSendLimits{50, 86400000, 200, 50, 0};
inline constexpr TSpinEditLimits AsyncDiffLimits{1, 5, 1, 1, 10};
inline constexpr TSpinEditLimits LetterBrowseTimeLimits{100, 5000, 600, 100, 0};
inline constexpr TSpinEditLimits LetterBreakTimeLimits{100, 5000, 1000, 100, 0};
