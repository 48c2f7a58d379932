#pragma once
// Shared by the graphics sources only.

#include "framework/Graphics.h"

// The DC mix mode (R2_xxx) of a pen mode.
int PenModeToRop2(TPenMode mode);
