#include "DesktopPicture.h"

#include <windows.h>

#include <algorithm>

#include "mirror/BitmapCapture.h"
#include "mirror/Bitmapfunctions.h"
#include "mirror/ColorReduction.h"

bool ReducedDesktop(TerminalPicture& picture)
{
    const RECT area{0, 0, 640, 480};
    BitmapHandle shot = CaptureDesktop(area);
    return ReducedPicture(shot.get(), picture);
}

bool ReducedPicture(HBITMAP shot, TerminalPicture& picture)
{
    KvColorReduction reduction;
    reduction.UpdatePalette(nullptr);
    DIBSECTION ds;
    if (!shot || !GetDIBSectionInfo(shot, ds)) return false;
    if (ds.dsBm.bmBitsPixel <= 8) reduction.BuildIndexMap(shot);
    for (int y = 0; y < TerminalPicture::Height; ++y) {
        const std::uint8_t* row = reduction.GetIndexRow(ds, 0, y);
        if (!row) return false;
        std::copy(row, row + TerminalPicture::Width, picture.Row(y));
    }
    const KvPalette256& palette = *reduction.CurrentPalette();
    picture.SetPaletteCount(palette.Count());
    for (int i = 0; i < palette.Count(); ++i) {
        const PALETTEENTRY& e = palette.Entry(i);
        picture.Palette()[size_t(i)] = TerminalColor{e.peRed, e.peGreen, e.peBlue, 0};
    }
    return true;
}

std::string DesktopDifference(const TerminalPicture& shown, const TerminalPicture& expected)
{
    std::string difference = shown.FirstDifference(expected);
    if (!difference.empty()) return difference;
    for (int i = 0; i < expected.PaletteCount(); ++i) {
        const TerminalColor a = shown.Palette()[size_t(i)], b = expected.Palette()[size_t(i)];
        if (a.red != b.red || a.green != b.green || a.blue != b.blue) return "palette entry " + std::to_string(i);
    }
    return std::string();
}
