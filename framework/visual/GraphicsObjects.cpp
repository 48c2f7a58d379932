// Fonts, brushes and pens: property sets that make their GDI object on first use.

#include <cstring>

#include "framework/runtime/Filer.h"
#include "framework/visual/Graphics.h"
#include "framework/visual/GraphicsPrivate.h"

void TGraphicsObject::Changed()
{
    if (onChange_) onChange_(this);
}

// Font ---------------------------------------------------------------------------------------------------------

namespace {

// A font published as a sub-object streams these; the size follows from the height.
const bool fontPublished = [] {
    PublishedProperties<TFont>()
        .Integer("Charset", &TFont::Charset, &TFont::SetCharset, DEFAULT_CHARSET)
        .Integer("Color", &TFont::Color, &TFont::SetColor, int(clWindowText))
        .Integer("Height", &TFont::Height, &TFont::SetHeight)
        .String("Name", &TFont::Name, &TFont::SetName)
        .Enumeration("Pitch", &TFont::Pitch, &TFont::SetPitch, {"fpDefault", "fpVariable", "fpFixed"}, fpDefault)
        .Set("Style", &TFont::Style, &TFont::SetStyle, {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"},
             TFontStyles{});
    return true;
}();

// A brush published as a sub-object: the colour first, since giving a clear brush a colour makes it solid.
const bool brushPublished = [] {
    PublishedProperties<TBrush>()
        .Integer("Color", &TBrush::Color, &TBrush::SetColor, int(clWhite))
        .Enumeration("Style", &TBrush::Style, &TBrush::SetStyle,
                     {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal", "bsCross",
                      "bsDiagCross"},
                     bsSolid);
    return true;
}();

int ScreenPixelsPerInch()
{
    static const int ppi = [] {
        WindowDC screen(nullptr);
        const int v = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
        return v > 0 ? v : 96;
    }();
    return ppi;
}

}  // namespace

TFont::TFont() : pixelsPerInch_(ScreenPixelsPerInch())
{
    data_.lfHeight = -MulDiv(8, pixelsPerInch_, 72);
    data_.lfWeight = FW_NORMAL;
    data_.lfCharSet = DEFAULT_CHARSET;
    data_.lfOutPrecision = OUT_DEFAULT_PRECIS;
    data_.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    data_.lfQuality = DEFAULT_QUALITY;
    data_.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    std::strcpy(data_.lfFaceName, "MS Sans Serif");
}

// Every setter ends here. The old handle outlives the notification, so a canvas that has it selected puts its
// DC's own object back before the handle is deleted.
void TFont::PropertyChanged()
{
    FontHandle old = std::move(handle_);
    Changed();
}

void TFont::Assign(TPersistent* source)
{
    if (auto* f = dynamic_cast<TFont*>(source)) {
        if (f == this) return;
        data_ = f->data_;
        color_ = f->color_;
        pixelsPerInch_ = f->pixelsPerInch_;
        PropertyChanged();
        return;
    }
    TPersistent::Assign(source);
}

void TFont::SetName(const AnsiString& name)
{
    if (name.IsEmpty() || Name() == name) return;
    std::memset(data_.lfFaceName, 0, sizeof data_.lfFaceName);
    std::strncpy(data_.lfFaceName, name.c_str(), LF_FACESIZE - 1);
    PropertyChanged();
}

int TFont::Size() const { return -MulDiv(int(data_.lfHeight), 72, pixelsPerInch_); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, pixelsPerInch_, 72)); }

void TFont::SetHeight(int height)
{
    if (data_.lfHeight == height) return;
    data_.lfHeight = height;
    PropertyChanged();
}

void TFont::SetColor(TColor color)
{
    if (color_ == color) return;
    color_ = color;
    Changed();  // the colour is the DC's, not the HFONT's
}

TFontStyles TFont::Style() const
{
    TFontStyles s;
    if (data_.lfWeight >= FW_BOLD) s.Include(fsBold);
    if (data_.lfItalic) s.Include(fsItalic);
    if (data_.lfUnderline) s.Include(fsUnderline);
    if (data_.lfStrikeOut) s.Include(fsStrikeOut);
    return s;
}

void TFont::SetStyle(TFontStyles style)
{
    if (Style() == style) return;
    data_.lfWeight = style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    data_.lfItalic = style.Contains(fsItalic);
    data_.lfUnderline = style.Contains(fsUnderline);
    data_.lfStrikeOut = style.Contains(fsStrikeOut);
    PropertyChanged();
}

void TFont::SetCharset(TFontCharset charset)
{
    if (data_.lfCharSet == charset) return;
    data_.lfCharSet = charset;
    PropertyChanged();
}

TFontPitch TFont::Pitch() const
{
    switch (data_.lfPitchAndFamily & 3) {
    case VARIABLE_PITCH: return fpVariable;
    case FIXED_PITCH: return fpFixed;
    default: return fpDefault;
    }
}

void TFont::SetPitch(TFontPitch pitch)
{
    if (Pitch() == pitch) return;
    const BYTE bits = pitch == fpVariable ? VARIABLE_PITCH : pitch == fpFixed ? FIXED_PITCH : DEFAULT_PITCH;
    data_.lfPitchAndFamily = BYTE((data_.lfPitchAndFamily & ~3) | bits);
    PropertyChanged();
}

HFONT TFont::Handle() const
{
    if (!handle_) {
        handle_.reset(CreateFontIndirectA(&data_));
        if (!handle_) throw EOutOfResources("Cannot create the font \"" + Name() + "\"");
    }
    return handle_.get();
}

void TFont::SetHandle(HFONT font)
{
    if (font && font == handle_.get()) return;
    FontHandle old = std::move(handle_);
    if (font) {
        LOGFONTA lf{};
        if (GetObjectA(font, sizeof lf, &lf) != sizeof lf) {
            handle_ = std::move(old);
            throw EInvalidGraphicOperation("Not a font handle");
        }
        data_ = lf;
        handle_.reset(font);
    }
    Changed();
}

// Brush --------------------------------------------------------------------------------------------------------

void TBrush::PropertyChanged()
{
    BrushHandle old = std::move(handle_);
    Changed();
}

void TBrush::Assign(TPersistent* source)
{
    if (auto* b = dynamic_cast<TBrush*>(source)) {
        if (b == this) return;
        color_ = b->color_;
        style_ = b->style_;
        bitmap_ = b->bitmap_;
        PropertyChanged();
        return;
    }
    TPersistent::Assign(source);
}

void TBrush::SetColor(TColor color)
{
    if (color_ == color) return;
    color_ = color;
    // Colour only matters to a solid or hatched brush; a clear one just stops being clear, as when styled.
    if (style_ == bsClear) style_ = bsSolid;
    PropertyChanged();
}

void TBrush::SetStyle(TBrushStyle style)
{
    if (style_ == style) return;
    style_ = style;
    PropertyChanged();
}

void TBrush::SetBitmap(TBitmap* bitmap)
{
    if (bitmap_ == bitmap) return;
    bitmap_ = bitmap;
    PropertyChanged();
}

HBRUSH TBrush::Handle() const
{
    if (!handle_) {
        HBRUSH h = nullptr;
        if (bitmap_ && !bitmap_->Empty()) {
            h = CreatePatternBrush(bitmap_->Handle());
        } else if (style_ == bsSolid) {
            h = CreateSolidBrush(COLORREF(ColorToRGB(color_)));
        } else if (style_ == bsClear) {
            LOGBRUSH lb{BS_NULL, 0, 0};
            h = CreateBrushIndirect(&lb);
        } else {
            static constexpr int hatch[] = {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS,
                                            HS_DIAGCROSS};
            h = CreateHatchBrush(hatch[style_ - bsHorizontal], COLORREF(ColorToRGB(color_)));
        }
        if (!h) throw EOutOfResources("Cannot create a brush");
        handle_.reset(h);
    }
    return handle_.get();
}

// Pen ----------------------------------------------------------------------------------------------------------

void TPen::PropertyChanged()
{
    PenHandle old = std::move(handle_);
    Changed();
}

void TPen::Assign(TPersistent* source)
{
    if (auto* p = dynamic_cast<TPen*>(source)) {
        if (p == this) return;
        color_ = p->color_;
        width_ = p->width_;
        style_ = p->style_;
        mode_ = p->mode_;
        PropertyChanged();
        return;
    }
    TPersistent::Assign(source);
}

void TPen::SetColor(TColor color)
{
    if (color_ == color) return;
    color_ = color;
    PropertyChanged();
}

void TPen::SetWidth(int width)
{
    if (width < 0) width = 0;
    if (width_ == width) return;
    width_ = width;
    PropertyChanged();
}

void TPen::SetStyle(TPenStyle style)
{
    if (style_ == style) return;
    style_ = style;
    PropertyChanged();
}

void TPen::SetMode(TPenMode mode)
{
    if (mode_ == mode) return;
    mode_ = mode;
    Changed();  // the mode is the DC's, not the HPEN's
}

HPEN TPen::Handle() const
{
    if (!handle_) {
        static constexpr int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL,
                                         PS_INSIDEFRAME};
        handle_.reset(CreatePen(styles[style_], style_ == psClear ? 0 : width_, COLORREF(ColorToRGB(color_))));
        if (!handle_) throw EOutOfResources("Cannot create a pen");
    }
    return handle_.get();
}

int PenModeToRop2(TPenMode mode)
{
    static constexpr int rop2[] = {R2_BLACK,       R2_WHITE,      R2_NOP,        R2_NOT,
                                   R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                                   R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,   R2_NOTMERGEPEN,
                                   R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,     R2_NOTXORPEN};
    return rop2[mode];
}
