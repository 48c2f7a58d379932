// Painting a keyboard picture's worth of shape controls: 93 key labels (no outline, yellow, a small caption
// centred left, no shadow) on a 642 x 460 form, drawn the way the form's painting draws them, into a DIB. The
// baseline in the same run fills the same 93 rectangles and draws the same captions with plain GDI calls.
// Figures are medians of repeated paints.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/visual/Forms.h"
#include "zcl/panels/Zclshapecontrol.h"

namespace {

constexpr int Runs = 60;
constexpr int Labels = 93;
constexpr int FormWidth = 642, FormHeight = 460;

double Ms(LONGLONG ticks)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(ticks) * 1000.0 / double(f.QuadPart);
}

template <typename F>
double Median(F&& run)
{
    std::vector<double> times;
    for (int i = 0; i < Runs; ++i) {
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        run();
        GdiFlush();
        QueryPerformanceCounter(&b);
        times.push_back(Ms(b.QuadPart - a.QuadPart));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

TRect LabelRect(int i) { return Bounds(8 + (i % 12) * 52, 8 + (i / 12) * 54, 44, 14); }

std::string LabelText(int i)
{
    static const char* const texts[] = {"ABC", "DEF", "GHI", "JKL", "MNO", "PQR", "STU", "VWX", "YZ_", "+-/"};
    return texts[i % 10];
}

struct Dib {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    Dib()
    {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = FormWidth;
        bi.bmiHeader.biHeight = -FormHeight;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        old = SelectObject(dc, bitmap);
    }
    ~Dib()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

}  // namespace

int main()
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(0, 0, FormWidth, FormHeight);
    form.SetColor(clBtnFace);
    std::vector<TZCLShapeControl*> shapes;
    for (int i = 0; i < Labels; ++i) {
        auto* s = new TZCLShapeControl(&form);
        s->SetParent(&form);
        s->SetBoundsRect(LabelRect(i));
        s->Bevel()->SetWidth(0);
        s->Brush()->SetColor(clYellow);
        s->Shadow()->SetStyle(hssNone);
        s->Caption()->SetCaption(LabelText(i).c_str());
        s->Caption()->SetAlignment(agCenterLeft);
        s->Caption()->Font()->SetName("Small Fonts");
        s->Caption()->Font()->SetHeight(-7);
        s->Caption()->Font()->SetColor(clBlack);
        shapes.push_back(s);
    }
    Dib dib;

    // Plain GDI: the same rectangles and captions.
    HFONT font = CreateFontA(-7, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Small Fonts");
    HBRUSH yellow = CreateSolidBrush(RGB(255, 255, 0));
    const double plain = Median([&] {
        RECT all{0, 0, FormWidth, FormHeight};
        FillRect(dib.dc, &all, GetSysColorBrush(COLOR_BTNFACE));
        HGDIOBJ oldFont = SelectObject(dib.dc, font);
        SetBkMode(dib.dc, TRANSPARENT);
        for (int i = 0; i < Labels; ++i) {
            const TRect r = LabelRect(i);
            RECT rr{r.left, r.top, r.right, r.bottom};
            FillRect(dib.dc, &rr, yellow);
            const std::string text = LabelText(i);
            DrawTextA(dib.dc, text.c_str(), int(text.size()), &rr, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        }
        SelectObject(dib.dc, oldFont);
    });
    DeleteObject(yellow);
    DeleteObject(font);

    const double fast = Median([&] { form.PaintTo(dib.dc, 0, 0); });
    for (TZCLShapeControl* s : shapes) s->SetMode(scmShapeFill);
    form.PaintTo(dib.dc, 0, 0);  // the face bitmaps are made by the first paint
    const double filled = Median([&] { form.PaintTo(dib.dc, 0, 0); });

    std::printf("%d key labels on a %d x %d form, median of %d paints\n", Labels, FormWidth, FormHeight, Runs);
    std::printf("  plain GDI (baseline)   %8.3f ms\n", plain);
    std::printf("  shapes, fast mode      %8.3f ms  (%.1f x baseline)\n", fast, fast / plain);
    std::printf("  shapes, fill mode      %8.3f ms  (%.1f x baseline)\n", filled, filled / plain);
    return 0;
}
