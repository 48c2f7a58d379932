#pragma once
// Icons made from bitmaps, for the notification-area icon.

#include <windows.h>

#include "framework/visual/Graphics.h"

// Bitmap is resized to Width x Height (keeping its top-left) and made into an icon that is transparent where the
// bitmap has its transparent colour. Icon is null for no bitmap or no size; the caller destroys the icon.
void ZCLBitmap2Icon(TBitmap* Bitmap, HICON& Icon, int Width, int Height);
