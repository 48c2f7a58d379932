#include "ShellTestSupport.h"

#include "framework/visual/Graphics.h"

namespace shelltest {

bool SaveScreenshot(const RECT& area, const std::string& name)
{
    TBitmap shot;
    shot.SetPixelFormat(pf24bit);
    shot.SetSize(area.right - area.left, area.bottom - area.top);
    HDC screen = GetDC(nullptr);
    const bool copied = BitBlt(shot.Canvas()->Handle(), 0, 0, shot.Width(), shot.Height(), screen, area.left,
                               area.top, SRCCOPY) != 0;
    ReleaseDC(nullptr, screen);
    if (!copied) return false;
    shot.SaveToFile((ArtifactsDir() + "\\" + name + ".bmp").c_str());
    return true;
}

bool SaveWindowShot(HWND window, const std::string& name)
{
    RECT r;
    if (!GetWindowRect(window, &r)) return false;
    return SaveScreenshot(r, name);
}

}  // namespace shelltest
