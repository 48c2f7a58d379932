// The end of an edit's text is drawn whole: inside the edit's text rectangle the ink of its text is, pixel by
// pixel, the ink of the same text drawn there by plain TextOut in the same font, in plain and italic fonts and
// for texts whose last letter is thin or reaches past its advance.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ZclEditTestHelpers.h"

using namespace zcledit;

namespace {

constexpr COLORREF Back = RGB(255, 255, 255);
constexpr COLORREF Ink = RGB(0, 0, 0);

// For each column of the band, whether it holds ink; from the first inked column to the last.
std::vector<bool> InkColumns(const controltest::Dib& dib, int left, int top, int right, int bottom)
{
    std::vector<bool> columns;
    for (int x = left; x < right; ++x) {
        bool ink = false;
        for (int y = top; y < bottom && !ink; ++y) ink = dib.At(x, y) != Back;
        columns.push_back(ink);
    }
    while (!columns.empty() && !columns.back()) columns.pop_back();
    std::size_t first = 0;
    while (first < columns.size() && !columns[first]) ++first;
    return std::vector<bool>(columns.begin() + std::ptrdiff_t(first), columns.end());
}

std::string Picture(const std::vector<bool>& columns)
{
    std::string s;
    for (bool b : columns) s += b ? '#' : '.';
    return s;
}

class ZclEditTextEnd : public EditForm {};

TEST_F(ZclEditTextEnd, LastLetterIsDrawnAsPlainTextOutDrawsIt)
{
    const struct {
        const char* text;
        bool italic;
        int size;
    } cases[] = {
        {"C:\\windows\\win.ini", false, 8}, {"Xwindows.win.ini", false, 8}, {"C:\\windows\\win.ini", true, 8},
        {"Xwindows.win.ini", true, 10},     {"fff", true, 14},              {"i", false, 8},
        {"W.l", false, 12},                 {"abc.j", true, 12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + (c.italic ? " italic " : " ") + std::to_string(c.size));
        TZCLEdit* e = AddEdit(10, 10, 260);
        e->Font()->SetColor(TColor(Ink));
        e->Font()->SetSize(c.size);
        e->Font()->SetStyle(c.italic ? TFontStyles{fsItalic} : TFontStyles{});
        e->SetColor(TColor(Back));
        e->SetText(c.text);
        e->SetBounds(10, 10, 260, e->Height());
        e->Handle();
        const TRect text = e->TextRect();
        ASSERT_GT(e->RowWidth(c.text) + 8, 0);
        ASSERT_LT(e->RowWidth(c.text) + 8, text.Width()) << "the text fits the edit";

        const int w = e->ClientWidth(), h = e->ClientHeight();
        controltest::Dib shown(w, h);
        e->PaintTo(shown.dc(), 0, 0);
        const std::vector<bool> edit = InkColumns(shown, text.left, text.top, text.right, text.bottom);

        // The same text by TextOut where the edit puts it, inside the same text rectangle.
        controltest::Dib plain(w, h);
        {
            TCanvas canvas;
            canvas.SetHandle(plain.dc());
            canvas.Brush()->SetColor(TColor(Back));
            canvas.FillRect(TRect(0, 0, w, h));
            canvas.SetFont(e->Font());
            canvas.Brush()->SetStyle(bsClear);
            IntersectClipRect(canvas.Handle(), text.left, text.top, text.right, text.bottom);
            canvas.TextOut(e->TextOrigin(), e->TextTop(), c.text);
            canvas.SetHandle(nullptr);
        }
        const std::vector<bool> reference = InkColumns(plain, text.left, text.top, text.right, text.bottom);
        ASSERT_FALSE(reference.empty());
        EXPECT_EQ(Picture(edit), Picture(reference));
        for (int y = text.top; y < text.bottom; ++y)
            for (int x = text.left; x < text.right; ++x)
                ASSERT_EQ(shown.At(x, y) != Back, plain.At(x, y) != Back) << x << "," << y;
        delete e;
    }
}

}  // namespace
