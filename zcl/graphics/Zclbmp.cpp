#include "zcl/graphics/Zclbmp.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "framework/runtime/Filer.h"
#include "framework/runtime/SysUtils.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/graphics/Zclfillobject.h"

namespace {

using Byte = unsigned char;

void CheckFormat(TBitmap* Bitmap, const char* Role)
{
    if (!Bitmap->Empty() && Bitmap->PixelFormat() != pf24bit)
        throw EZCLWrongPixelFormat(AnsiString("Wrong PixelFormat in ") + Role + " bitmap!");
}

// The offsets 0 .. Size - 1 along one axis that every bitmap taking part can serve. Coordinates are worked in 64
// bits, so rectangles far outside the bitmaps do not overflow.
struct Axis {
    long long lo = 0, hi = 0;
    explicit Axis(long long size) : hi(size) {}
    // Coordinate Base + i must lie in 0 .. Limit - 1.
    void Fit(long long Base, int Limit)
    {
        lo = std::max(lo, -Base);
        hi = std::min(hi, Limit - Base);
    }
    // Coordinate Top - i must lie in 0 .. Limit - 1.
    void FitMirrored(long long Top, int Limit)
    {
        lo = std::max(lo, Top - Limit + 1);
        hi = std::min(hi, Top + 1);
    }
    bool Empty() const { return lo >= hi; }
};

// The source pixels a procedure reads: straight from the scan lines, or from a copy taken first when the
// procedure writes into the same bitmap where it has still to read.
class SourcePixels {
public:
    SourcePixels(TBitmap* Bitmap, bool Copy, int X0, int X1, int Y0, int Y1)
        : bitmap_(Bitmap), x0_(X0), y0_(Y0), rowBytes_(std::size_t(X1 - X0) * 3)
    {
        if (!Copy) return;
        copy_.resize(rowBytes_ * std::size_t(Y1 - Y0));
        for (int y = Y0; y < Y1; ++y)
            std::memcpy(copy_.data() + rowBytes_ * std::size_t(y - Y0),
                        static_cast<const Byte*>(Bitmap->ScanLine(y)) + 3 * std::size_t(X0), rowBytes_);
    }
    // The pixel (X, Y), for X in X0 .. X1 - 1 and Y in Y0 .. Y1 - 1.
    const Byte* Row(int Y) const
    {
        if (copy_.empty()) return static_cast<const Byte*>(bitmap_->ScanLine(Y)) + 3 * std::size_t(x0_);
        return copy_.data() + rowBytes_ * std::size_t(Y - y0_);
    }

private:
    TBitmap* bitmap_;
    int x0_, y0_;
    std::size_t rowBytes_;
    std::vector<Byte> copy_;
};

// Runs Op(source pixel, target pixel) over the rectangle R of Source written at P of Target, mirrored as asked.
template <typename Op>
void Transform(TBitmap* Source, const TRect& R, TBitmap* Target, const TPoint& P, bool MirrorX, bool MirrorY, Op op)
{
    if (!Source || !Target) return;
    CheckFormat(Source, "Source");
    CheckFormat(Target, "Target");
    if (Source->Empty() || Target->Empty()) return;
    const long long w = (long long)R.right - R.left, h = (long long)R.bottom - R.top;
    if (w <= 0 || h <= 0) return;
    const long long rightmost = (long long)R.left + w - 1, bottommost = (long long)R.top + h - 1;
    Axis ax(w), ay(h);
    ax.Fit(P.x, Target->Width());
    ay.Fit(P.y, Target->Height());
    if (MirrorX) ax.FitMirrored(rightmost, Source->Width());
    else ax.Fit(R.left, Source->Width());
    if (MirrorY) ay.FitMirrored(bottommost, Source->Height());
    else ay.Fit(R.top, Source->Height());
    if (ax.Empty() || ay.Empty()) return;

    auto sourceX = [&](long long i) { return int(MirrorX ? rightmost - i : R.left + i); };
    auto sourceY = [&](long long j) { return int(MirrorY ? bottommost - j : R.top + j); };
    // The source columns and rows read.
    const int sx0 = std::min(sourceX(ax.lo), sourceX(ax.hi - 1));
    const int sx1 = std::max(sourceX(ax.lo), sourceX(ax.hi - 1)) + 1;
    const int sy0 = std::min(sourceY(ay.lo), sourceY(ay.hi - 1));
    const int sy1 = std::max(sourceY(ay.lo), sourceY(ay.hi - 1)) + 1;
    const bool inPlace = Source == Target && !MirrorX && !MirrorY && P.x == R.left && P.y == R.top;
    const SourcePixels source(Source, Source == Target && !inPlace, sx0, sx1, sy0, sy1);

    for (long long j = ay.lo; j < ay.hi; ++j) {
        const Byte* s = source.Row(sourceY(j));
        Byte* t = static_cast<Byte*>(Target->ScanLine(int(P.y + j)));
        for (long long i = ax.lo; i < ax.hi; ++i)
            op(s + 3 * std::size_t(sourceX(i) - sx0), t + 3 * std::size_t(P.x + i));
    }
}

// Byte by byte through a table.
void TransformBytes(TBitmap* Source, const TRect& R, TBitmap* Target, const TPoint& P, const std::array<Byte, 256>& T)
{
    Transform(Source, R, Target, P, false, false, [&T](const Byte* s, Byte* t) {
        t[0] = T[s[0]];
        t[1] = T[s[1]];
        t[2] = T[s[2]];
    });
}

void CopyPixel(const Byte* s, Byte* t)
{
    t[0] = s[0];
    t[1] = s[1];
    t[2] = s[2];
}

// N / D rounded to the nearest integer, halves to even (N, D > 0).
int RoundHalfEven(int N, int D)
{
    const int q = N / D, r2 = 2 * (N % D);
    if (r2 > D || (r2 == D && (q & 1))) return q + 1;
    return q;
}

std::array<Byte, 256> BrightnessTable(int Amount)
{
    std::array<Byte, 256> t{};
    for (int v = 0; v < 256; ++v) t[std::size_t(v)] = Byte(std::clamp(v + Amount, 0, 255));
    return t;
}

}  // namespace

void ZCLBMPGrayScale(TBitmap* Source, const TRect& SourceRect, TBitmap* Target, const TPoint& TargetPoint)
{
    // Exact tables: i x 0.11, 0.59 and 0.3 rounded as decimal fractions, not as their binary approximations.
    static const auto tables = [] {
        std::array<std::array<Byte, 256>, 3> t{};
        for (int i = 0; i < 256; ++i) {
            t[0][std::size_t(i)] = Byte(RoundHalfEven(i * 11, 100));
            t[1][std::size_t(i)] = Byte(RoundHalfEven(i * 59, 100));
            t[2][std::size_t(i)] = Byte(RoundHalfEven(i * 30, 100));
        }
        return t;
    }();
    Transform(Source, SourceRect, Target, TargetPoint, false, false, [](const Byte* s, Byte* t) {
        const Byte g = Byte(tables[0][s[0]] + tables[1][s[1]] + tables[2][s[2]]);
        t[0] = t[1] = t[2] = g;
    });
}

void ZCLBMPFlipHorizonzal(TBitmap* Source, const TRect& SourceRect, TBitmap* Target, const TPoint& TargetPoint)
{
    Transform(Source, SourceRect, Target, TargetPoint, false, true, CopyPixel);
}

void ZCLBMPFlipVertical(TBitmap* Source, const TRect& SourceRect, TBitmap* Target, const TPoint& TargetPoint)
{
    Transform(Source, SourceRect, Target, TargetPoint, true, false, CopyPixel);
}

void ZCLBMPInvert(TBitmap* Source, const TRect& SourceRect, TBitmap* Target, const TPoint& TargetPoint)
{
    static const auto table = [] {
        std::array<Byte, 256> t{};
        for (int v = 0; v < 256; ++v) t[std::size_t(v)] = Byte(255 - v);
        return t;
    }();
    TransformBytes(Source, SourceRect, Target, TargetPoint, table);
}

void ZCLBMPBrightness(TBitmap* Source, const TRect& SourceRect, TBitmap* Target, const TPoint& TargetPoint,
                      std::int16_t Amount)
{
    TransformBytes(Source, SourceRect, Target, TargetPoint, BrightnessTable(Amount));
}

void ZCLBmpBrightnessEC(TBitmap* Source, const TRect& SourceRect, TBitmap* Target, const TPoint& TargetPoint,
                        std::int16_t Amount, TColor ExcludedColor)
{
    const auto table = BrightnessTable(Amount);
    const std::uint32_t rgb = std::uint32_t(ColorToRGB(ExcludedColor));
    const Byte red = Byte(rgb), green = Byte(rgb >> 8), blue = Byte(rgb >> 16);
    Transform(Source, SourceRect, Target, TargetPoint, false, false, [&](const Byte* s, Byte* t) {
        if (s[0] == blue && s[1] == green && s[2] == red) {
            CopyPixel(s, t);
            return;
        }
        t[0] = table[s[0]];
        t[1] = table[s[1]];
        t[2] = table[s[2]];
    });
}

void ZCLBMPAlphaBlend(TBitmap* Source1, TBitmap* Source2, const TRect& Rect1, const TPoint& Point2, TBitmap* Target,
                      float Alpha, const TPoint& TargetPoint)
{
    if (!Source1 || !Source2 || !Target) return;
    CheckFormat(Source1, "Source 1");
    CheckFormat(Source2, "Source 2");
    CheckFormat(Target, "Target");
    if (Source1->Empty() || Source2->Empty() || Target->Empty()) return;
    const long long w = (long long)Rect1.right - Rect1.left, h = (long long)Rect1.bottom - Rect1.top;
    if (w <= 0 || h <= 0) return;
    Axis ax(w), ay(h);
    ax.Fit(Rect1.left, Source1->Width());
    ax.Fit(Point2.x, Source2->Width());
    ax.Fit(TargetPoint.x, Target->Width());
    ay.Fit(Rect1.top, Source1->Height());
    ay.Fit(Point2.y, Source2->Height());
    ay.Fit(TargetPoint.y, Target->Height());
    if (ax.Empty() || ay.Empty()) return;

    // T[d + 255] = d x Alpha for every difference d of two bytes.
    std::array<int, 511> table{};
    for (int d = -255; d <= 255; ++d) {
        const double v = std::nearbyint(double(d) * double(Alpha));
        table[std::size_t(d + 255)] = std::isnan(v) ? 0 : int(std::clamp(v, -512.0, 512.0));
    }

    const int x0 = int(ax.lo), x1 = int(ax.hi), y0 = int(ay.lo), y1 = int(ay.hi);
    auto sameSpot = [&](const TPoint& p, long long left, long long top) { return p.x == left && p.y == top; };
    // A source that is the target is copied first unless it is read exactly where it is written.
    const SourcePixels s1(Source1, Source1 == Target && !sameSpot(TargetPoint, Rect1.left, Rect1.top),
                          int(Rect1.left + x0), int(Rect1.left + x1), int(Rect1.top + y0), int(Rect1.top + y1));
    const SourcePixels s2(Source2, Source2 == Target && !sameSpot(TargetPoint, Point2.x, Point2.y), int(Point2.x + x0),
                          int(Point2.x + x1), int(Point2.y + y0), int(Point2.y + y1));
    for (int j = y0; j < y1; ++j) {
        const Byte* a = s1.Row(int(Rect1.top + j));
        const Byte* b = s2.Row(int(Point2.y + j));
        Byte* t = static_cast<Byte*>(Target->ScanLine(int(TargetPoint.y + j))) + 3 * std::size_t(TargetPoint.x + x0);
        for (int n = 0; n < 3 * (x1 - x0); ++n)
            t[n] = Byte(std::clamp(table[std::size_t(a[n] - b[n] + 255)] + b[n], 0, 255));
    }
}

// The alpha object -------------------------------------------------------------------------------------------

namespace {

const bool alphaPublished = [] {
    PublishedProperties<TZCLAlphaObject>()
        .Object("ImageList", &TZCLAlphaObject::ImageList, &TZCLAlphaObject::SetImageList)
        .Stored(&TZCLAlphaObject::HasControl)
        .Float("Strength", &TZCLAlphaObject::Strength, &TZCLAlphaObject::SetStrength)
        .Integer("ImageIndex", &TZCLAlphaObject::ImageIndex, &TZCLAlphaObject::SetImageIndex, 0)
        .Integer("ListIndex", &TZCLAlphaObject::ListIndex, &TZCLAlphaObject::SetListIndex, 0)
        .Object("FillObject", &TZCLAlphaObject::FillObject, &TZCLAlphaObject::SetFillObject);
    return true;
}();

}  // namespace

TZCLAlphaObject::TZCLAlphaObject()
    : link_(std::make_unique<TZCLChangeLink>()), fill_(std::make_unique<TZCLFillObject>())
{
    link_->SetOnChange(TNotifyEvent(this, &TZCLAlphaObject::GetIMLChange));
    fill_->SetOnChange(TNotifyEvent(this, &TZCLAlphaObject::GetChange));
}

TZCLAlphaObject::~TZCLAlphaObject()
{
    link_->SetOnChange(TNotifyEvent());
    fill_->SetOnChange(TNotifyEvent());
}

// The link's container is the list: a list being freed clears it, so no pointer to a freed list is kept.
TZCLCustomImageList* TZCLAlphaObject::ImageList() const { return static_cast<TZCLCustomImageList*>(link_->Sender()); }

void TZCLAlphaObject::SetImageList(TZCLCustomImageList* Value)
{
    if (TZCLBaseContainer* old = link_->Sender()) old->UnRegisterChanges(link_.get());
    if (Value) Value->RegisterChanges(link_.get());
    GetIMLChange(nullptr);
}

void TZCLAlphaObject::SetStrength(float Value) { SetField(strength_, Value); }

void TZCLAlphaObject::SetIndex(int Which, std::int32_t Value)
{
    (Which == 0 ? imageIndex_ : listIndex_) = Value;
    GetIMLChange(nullptr);
}

void TZCLAlphaObject::SetBoolean(int Index, bool Value)
{
    if (Index == 0) SetField(flag_, Value);
}

void TZCLAlphaObject::SetFillObject(TZCLFillObject* Value) { fill_->Assign(Value); }

void TZCLAlphaObject::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TZCLAlphaObject*>(Source);
    if (!s) {
        TZCLObject::Assign(Source);
        return;
    }
    BeginUpdate();
    try {
        fill_->Assign(s->fill_.get());
        strength_ = s->strength_;
        imageIndex_ = s->imageIndex_;
        listIndex_ = s->listIndex_;
        flag_ = s->flag_;
        SetImageList(s->ImageList());
    } catch (...) {
        EndUpdate(false);
        throw;
    }
    EndUpdate(true);
}

bool TZCLAlphaObject::Enabled() const { return fill_->Style() != sfNone && strength_ != 1.0f; }

AnsiString TZCLAlphaObject::GetSetStr() const
{
    const TZCLFillStyle style = fill_->Style();
    if (style == sfNone) return "{Disabled}";
    const char* kind = style == sfBrush                             ? "brush"
                       : style == sfBitmap || style == sfBitmapList ? "bmp"
                       : style == sfGradient                        ? "grad"
                                                                    : "";
    return AnsiString("{Enabled (") + kind + "), strength: " + FormatFloat("0.000", strength_) + "}";
}

void TZCLAlphaObject::AlphaBlend(TBitmap* Bitmap)
{
    if (!Bitmap || Bitmap->Empty() || fill_->Style() == sfNone) return;
    const TRect whole(0, 0, Bitmap->Width(), Bitmap->Height());
    TBitmap fill;
    fill.SetPixelFormat(pf24bit);
    fill.SetSize(Bitmap->Width(), Bitmap->Height());
    fill_->FillCanvas(fill.Canvas(), whole, clWhite);
    if (TBitmap* b = fill_->GetBitmap()) fill.SetTransparentColor(b->TransparentColor());
    Bitmap->SetPixelFormat(pf24bit);
    fill.SetPixelFormat(pf24bit);
    ZCLBMPAlphaBlend(Bitmap, &fill, whole, TPoint(0, 0), Bitmap, strength_, TPoint(0, 0));
}

void TZCLAlphaObject::ControlBlend(TBitmap* Bitmap, const TRect& S, TCanvas* Canvas, const TRect& D)
{
    if (!Bitmap || !Canvas || S.Width() <= 0 || S.Height() <= 0) return;
    TBitmap part;
    part.SetPixelFormat(pf24bit);
    part.SetSize(S.Width(), S.Height());
    BitBlt(part.Canvas()->Handle(), 0, 0, S.Width(), S.Height(), Bitmap->Canvas()->Handle(), S.left, S.top, SRCCOPY);
    AlphaBlend(&part);
    const TCopyMode mode = Canvas->CopyMode();
    Canvas->SetCopyMode(cmSrcCopy);
    Canvas->CopyRect(D, part.Canvas(), TRect(0, 0, part.Width(), part.Height()));
    Canvas->SetCopyMode(mode);
}

HPALETTE TZCLAlphaObject::GetPalette() const { return fill_->Style() != sfNone ? fill_->GetPalette() : nullptr; }

bool TZCLAlphaObject::IMLEmpty() const
{
    TZCLCustomImageList* list = ImageList();
    return !list || !list->IsValidItem(listIndex_, imageIndex_);
}

bool TZCLAlphaObject::CheckCont() const { return ZCLIsGlobalIdent(ImageList()); }

bool TZCLAlphaObject::HasControl() const { return ImageList() && !CheckCont(); }

void TZCLAlphaObject::GetIMLChange(TObject*)
{
    if (!IMLEmpty()) {
        TBitmap item;
        ImageList()->GetBitmapItem(listIndex_, imageIndex_, &item);
        fill_->SetListBitmap(&item);
    } else {
        fill_->SetListBitmap(nullptr);
    }
    GetChange(this);
}

void TZCLAlphaObject::DefineProperties(TFiler* Filer)
{
    TZCLObject::DefineProperties(Filer);
    Filer->DefineProperty(
        "Internal", TReaderProc::From([this](TReader* reader) { SetImageList(ZCLReadGlobalIdent(reader)); }),
        TWriterProc::From([this](TWriter* writer) { ZCLWriteGlobalIdent(writer, ImageList()); }), CheckCont());
}

// The effect object ------------------------------------------------------------------------------------------

namespace {

const bool effectPublished = [] {
    PublishedProperties<TZCLBitmapEffectObject>()
        .Object("AlphaBlend", &TZCLBitmapEffectObject::AlphaBlend, &TZCLBitmapEffectObject::SetAlphaBlend)
        .Boolean("Invert", &TZCLBitmapEffectObject::Invert, &TZCLBitmapEffectObject::SetInvert, false)
        .Boolean("Buffered", &TZCLBitmapEffectObject::Buffered, &TZCLBitmapEffectObject::SetBuffered, false)
        .Boolean("GrayScale", &TZCLBitmapEffectObject::GrayScale, &TZCLBitmapEffectObject::SetGrayScale, false)
        .Boolean("FlipVertical", &TZCLBitmapEffectObject::FlipVertical, &TZCLBitmapEffectObject::SetFlipVertical, false)
        .Boolean("FlipHorizontal", &TZCLBitmapEffectObject::FlipHorizontal, &TZCLBitmapEffectObject::SetFlipHorizontal,
                 false)
        .Integer("Brightness", &TZCLBitmapEffectObject::Brightness, &TZCLBitmapEffectObject::SetBrightness, 0);
    return true;
}();

enum : int { FlipVerticalIndex, FlipHorizontalIndex, GrayScaleIndex, InvertIndex, BufferedIndex, MonochromeIndex };

TRect Whole(TBitmap* Bitmap) { return TRect(0, 0, Bitmap->Width(), Bitmap->Height()); }

}  // namespace

TZCLBitmapEffectObject::TZCLBitmapEffectObject() : alpha_(std::make_unique<TZCLAlphaObject>())
{
    alpha_->SetOnChange(TNotifyEvent(this, &TZCLBitmapEffectObject::GetChange));
}

TZCLBitmapEffectObject::~TZCLBitmapEffectObject() { alpha_->SetOnChange(TNotifyEvent()); }

bool TZCLBitmapEffectObject::Boolean(int Index) const
{
    return Index >= 0 && Index < int(flags_.size()) && flags_[std::size_t(Index)];
}

void TZCLBitmapEffectObject::SetBoolean(int Index, bool Value)
{
    if (Index < 0 || Index >= int(flags_.size()) || flags_[std::size_t(Index)] == Value) return;
    flags_[std::size_t(Index)] = Value;
    if (Index == BufferedIndex) {
        bufferValid_ = false;
        if (Value) buffer_ = std::make_unique<TBitmap>();
        else buffer_.reset();
    }
    GetChange(nullptr);
}

void TZCLBitmapEffectObject::SetBrightness(TZCLBrightness Value)
{
    Value = std::clamp(Value, TZCLBrightnessRange::Low, TZCLBrightnessRange::High);
    if (Value == brightness_) return;
    brightness_ = Value;
    GetChange(nullptr);
}

void TZCLBitmapEffectObject::GetChange(TObject* Sender)
{
    TZCLObject::GetChange(Sender);
    bufferValid_ = false;
}

void TZCLBitmapEffectObject::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TZCLBitmapEffectObject*>(Source);
    if (!s) {
        TZCLObject::Assign(Source);
        return;
    }
    BeginUpdate();
    try {
        for (int i : {FlipVerticalIndex, FlipHorizontalIndex, GrayScaleIndex, InvertIndex})
            flags_[std::size_t(i)] = s->flags_[std::size_t(i)];
        brightness_ = s->brightness_;
        SetBuffered(s->Buffered());
        alpha_->Assign(s->alpha_.get());
    } catch (...) {
        EndUpdate(false);
        throw;
    }
    bufferValid_ = false;
    EndUpdate(true);
}

bool TZCLBitmapEffectObject::Pixelwise() const
{
    return FlipVertical() || FlipHorizontal() || GrayScale() || Invert() || Monochrome() || brightness_ != 0;
}

bool TZCLBitmapEffectObject::Enabled() const
{
    return FlipVertical() || FlipHorizontal() || GrayScale() || Invert() || alpha_->Enabled() || brightness_ != 0;
}

AnsiString TZCLBitmapEffectObject::GetSetStr() const
{
    AnsiString tags;
    auto tag = [&tags](bool on, const char* name) {
        if (!on) return;
        if (!tags.IsEmpty()) tags += ",";
        tags += name;
    };
    tag(alpha_->Enabled(), "alpha");
    tag(FlipVertical(), "FV");
    tag(FlipHorizontal(), "FH");
    tag(GrayScale(), "GS");
    tag(Invert(), "INV");
    tag(brightness_ != 0, "B");
    return "{" + (tags.IsEmpty() ? AnsiString("Disabled") : tags) + "}";
}

void TZCLBitmapEffectObject::Apply(TBitmap* Bitmap, const TRect& R, bool WithMonochrome)
{
    if (!Pixelwise()) return;
    Bitmap->SetPixelFormat(pf24bit);
    const TPoint at(R.left, R.top);
    if (FlipVertical()) ZCLBMPFlipVertical(Bitmap, R, Bitmap, at);
    if (FlipHorizontal()) ZCLBMPFlipHorizonzal(Bitmap, R, Bitmap, at);
    if (GrayScale()) ZCLBMPGrayScale(Bitmap, R, Bitmap, at);
    if (Invert()) ZCLBMPInvert(Bitmap, R, Bitmap, at);
    if (WithMonochrome && Monochrome()) Bitmap->SetMonochrome(true);
    if (brightness_ != 0) {
        Bitmap->SetPixelFormat(pf24bit);  // back from monochrome
        ZCLBMPBrightness(Bitmap, R, Bitmap, at, brightness_);
    }
}

void TZCLBitmapEffectObject::Keep(TBitmap* Bitmap)
{
    if (!Buffered() || bufferValid_) return;
    buffer_->SetSize(Bitmap->Width(), Bitmap->Height());
    buffer_->Canvas()->Draw(0, 0, Bitmap);
    bufferValid_ = true;
}

void TZCLBitmapEffectObject::Draw(TBitmap* Bitmap)
{
    if (!Bitmap || Bitmap->Empty()) return;
    if (Buffered() && bufferValid_) {
        Bitmap->Canvas()->Draw(0, 0, buffer_.get());
        return;
    }
    Apply(Bitmap, Whole(Bitmap), true);
    alpha_->AlphaBlend(Bitmap);
    Keep(Bitmap);
}

void TZCLBitmapEffectObject::DrawCopy(TBitmap* Source, TBitmap* Target)
{
    if (!Source || !Target) return;
    DrawCopyFromRect(Source, Whole(Source), Target);
}

void TZCLBitmapEffectObject::DrawCopyFromRect(TBitmap* Source, const TRect& R, TBitmap* Target)
{
    if (!Source || !Target) return;
    Target->SetPixelFormat(pf24bit);
    Target->SetSize(std::max(0, int(R.Width())), std::max(0, int(R.Height())));
    if (Target->Empty()) return;
    BitBlt(Target->Canvas()->Handle(), 0, 0, Target->Width(), Target->Height(), Source->Canvas()->Handle(), R.left,
           R.top, SRCCOPY);
    Draw(Target);
}

void TZCLBitmapEffectObject::DrawCopyRect(TBitmap* Source, const TRect& R, TBitmap* Target, const TPoint& P)
{
    if (!Source || !Target) return;
    TBitmap cut;
    DrawCopyFromRect(Source, R, &cut);
    Target->Canvas()->Draw(P.x, P.y, &cut);
}

void TZCLBitmapEffectObject::DrawCutRect(TBitmap* Source, const TRect& S, TBitmap* Target, const TRect& D)
{
    if (!Source || !Target) return;
    TBitmap cut;
    DrawCopyFromRect(Source, S, &cut);
    if (cut.Empty()) return;
    TCanvas* canvas = Target->Canvas();
    const TCopyMode mode = canvas->CopyMode();
    canvas->SetCopyMode(cmSrcCopy);
    canvas->CopyRect(D, cut.Canvas(), Whole(&cut));
    canvas->SetCopyMode(mode);
}

void TZCLBitmapEffectObject::DrawCutRect2(TBitmap* Source, const TRect& S, const TRect& W, TBitmap* Target)
{
    if (!Source || !Target || Target->Empty()) return;
    if (Buffered() && bufferValid_) {
        Target->Canvas()->Draw(0, 0, buffer_.get());
        return;
    }
    BitBlt(Target->Canvas()->Handle(), 0, 0, S.Width(), S.Height(), Source->Canvas()->Handle(), S.left, S.top, SRCCOPY);
    Apply(Target, W, false);
    if (alpha_->FillObject()->Style() != sfNone) {
        TBitmap fill;
        fill.SetPixelFormat(pf24bit);
        fill.SetSize(S.Width() + 2, S.Height() + 2);
        alpha_->FillObject()->FillCanvas(fill.Canvas(), TRect(0, 0, S.Width(), S.Height()), clWhite);
        Target->SetPixelFormat(pf24bit);
        const TPoint at(W.left, W.top);
        ZCLBMPAlphaBlend(Target, &fill, W, at, Target, alpha_->Strength(), at);
    }
    Keep(Target);
}
