// Both controls on a form, saved as a picture under the build folder's artifacts.

#include <gtest/gtest.h>

#include <cstdlib>
#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "PaletteTestHelpers.h"
#include "framework/StdCtrlsHelpers.h"
#include "kvcontrols/KvStrGrd.h"

using namespace kvtest;
using namespace stdctrltest;
using namespace Karvon;

namespace {

// $BUILD_DIR/artifacts, else the artifacts folder of the build the test executable belongs to.
std::string ArtifactsDir()
{
    std::string dir;
    if (const char* build = std::getenv("BUILD_DIR"); build && *build) {
        char full[MAX_PATH] = "";
        // A Unix path reaches Wine as the Z: drive.
        dir = build[0] == '/' ? std::string("Z:") + build : build;
        GetFullPathNameA(dir.c_str(), sizeof full, full, nullptr);
        dir = full;
    } else {
        char exe[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, exe, sizeof exe);
        dir = exe;
        dir = dir.substr(0, dir.find_last_of('\\'));  // ...\tests
        dir = dir.substr(0, dir.find_last_of('\\'));
    }
    dir += "\\artifacts";
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

// A colour cube of 6 levels a component and a ramp of greys (256 entries), or a sweep through the hues.
PaletteHandle PictureColours(bool cube)
{
    std::vector<PALETTEENTRY> e;
    if (cube) {
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b) e.push_back(PALETTEENTRY{BYTE(r * 51), BYTE(g * 51), BYTE(b * 51), 0});
        for (int i = 0; i < 40; ++i) e.push_back(PALETTEENTRY{BYTE(i * 255 / 39), BYTE(i * 255 / 39), BYTE(i * 255 / 39), 0});
    } else {
        for (int i = 0; i < 64; ++i) {
            const int h = i * 6 * 255 / 64, part = h % 255, sector = h / 255;
            const BYTE up = BYTE(part), down = BYTE(255 - part);
            const BYTE rgb[6][3] = {{255, up, 0}, {down, 255, 0}, {0, 255, up}, {0, down, 255}, {up, 0, 255}, {255, 0, down}};
            e.push_back(PALETTEENTRY{rgb[sector][0], rgb[sector][1], rgb[sector][2], 0});
        }
    }
    std::vector<BYTE> data(offsetof(LOGPALETTE, palPalEntry) + e.size() * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(data.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = WORD(e.size());
    std::copy(e.begin(), e.end(), lp->palPalEntry);
    return PaletteHandle(CreatePalette(lp));
}

TEST(KvControlsScreenshot, PalettePickersAndAdaptingGrid)
{
    MouseTo(1000, 750);
    TForm form(nullptr);
    form.SetCaption("Palette pickers and string grid");
    form.SetBorderStyle(bsSingle);
    form.SetBounds(20, 20, 620, 470);
    form.SetColor(clBtnFace);

    // The default palette with the preview box at the left, both colours picked, focused.
    auto* standard = new KvPalette(&form);
    standard->SetParent(&form);
    standard->SetBounds(12, 12, 280, 160);
    standard->SetSelectWindow(swLeft);
    standard->SetForegroundIndex(12);
    standard->SetBackgroundIndex(7);
    standard->SetTabStop(true);

    // 256 colours, one picked for both, plain frames, the box below.
    auto* full = new KvPalette(&form);
    full->SetParent(&form);
    full->SetBounds(310, 12, 290, 220);
    const PaletteHandle cube = PictureColours(true);
    full->SetPalette(cube.get());
    full->SetBevelOuter(boLowered);
    full->SetSelectWindow(swBottom);
    full->SetForegroundIndex(93);
    full->SetBackgroundIndex(93);

    // 64 entries on one row of fixed cells: the scroll buttons, scrolled two columns on.
    auto* strip = new KvPalette(&form);
    strip->SetParent(&form);
    strip->SetBounds(12, 184, 280, 24);
    const PaletteHandle hues = PictureColours(false);
    strip->SetPalette(hues.get());
    strip->SetRows(1);
    strip->SetCellXSize(20);
    strip->SetForegroundIndex(5);
    strip->IncBtnClick(nullptr);
    strip->IncBtnClick(nullptr);

    auto* grid = new KvStringGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(12, 250, 588, 180);
    grid->SetColCount(4);
    grid->SetRowCount(12);
    grid->SetColWidths(0, 40);
    const char* heads[] = {"#", "Name", "Value", "Description (fills the rest)"};
    for (int c = 0; c < 4; ++c) grid->SetCells(c, 0, heads[c]);
    for (int r = 1; r < 12; ++r) {
        grid->SetCells(0, r, IntToStr(r));
        grid->SetCells(1, r, "Entry " + IntToStr(r));
        grid->SetCells(2, r, IntToStr(r * 17));
        grid->SetCells(3, r, "the last column ends at the vertical bar");
    }
    grid->SetPresentations({gpAdaptWidth});

    form.Show();
    Activate(&form);
    standard->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return standard->Focused(); }, 5000));
    UpdateWindow(form.Handle());
    for (TWinControl* c : std::initializer_list<TWinControl*>{standard, full, strip, grid}) UpdateWindow(c->Handle());

    RECT wr;
    GetWindowRect(form.Handle(), &wr);
    TBitmap shot;
    shot.SetPixelFormat(pf24bit);
    shot.SetSize(wr.right - wr.left, wr.bottom - wr.top);
    HDC screen = GetDC(nullptr);
    BitBlt(shot.Canvas()->Handle(), 0, 0, shot.Width(), shot.Height(), screen, wr.left, wr.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    shot.SaveToFile((ArtifactsDir() + "\\kvcontrols.bmp").c_str());

    // On the screen as off it: square 0 of the 256 and the grid's exact fit.
    const TPoint c0 = Centre(full->SquareRect(0));
    const POINT s0 = ScreenPoint(full, c0.x, c0.y);
    HDC dc = GetDC(nullptr);
    const COLORREF seen = GetPixel(dc, s0.x, s0.y);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(seen, RGB(0, 0, 0));
    int used = grid->GridLineWidth() * grid->ColCount();
    for (int c = 0; c < grid->ColCount(); ++c) used += grid->ColWidths(c);
    EXPECT_EQ(used, grid->ClientWidth());
}

}  // namespace
