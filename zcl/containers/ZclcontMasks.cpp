// (pending the drawing helpers) masked adding, inserting and replacing.
#include "zcl/containers/Zclcont.h"
void TZCLImageListItem::InsertMasked(int Index, TBitmap* Bitmap, TColor) { Insert(Index, Bitmap, nullptr); }
