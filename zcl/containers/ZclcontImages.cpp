// The image lists: strips of equal-sized images with their masks, and the four lists controls draw from.

#include <algorithm>
#include <cstring>

#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "framework/runtime/SysUtils.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/containers/Zclstreamutils.h"
#include "zcl/core/Zclprocs.h"
#include "zcl/graphics/Zclutilsbmp.h"
#include "zcl/graphics/Zclutilsdraw.h"

namespace {

constexpr int MaxStripWidth = 32768;

[[noreturn]] void InvalidSize() { throw EInvalidGraphicOperation("Invalid image size"); }
[[noreturn]] void TooMany() { throw EInvalidGraphicOperation("Too many images"); }
[[noreturn]] void ReadError() { throw EReadError("Stream read error"); }

// BitBlt with black text and white background on both DCs, so monochrome sources and targets map 0 to black
// and 1 to white whatever the canvases had set.
void Blit(HDC Dest, int X, int Y, int W, int H, HDC Source, int SX, int SY, DWORD Rop)
{
    const COLORREF text = SetTextColor(Dest, RGB(0, 0, 0));
    const COLORREF bk = SetBkColor(Dest, RGB(255, 255, 255));
    const COLORREF sourceBk = SetBkColor(Source, RGB(255, 255, 255));
    BitBlt(Dest, X, Y, W, H, Source, SX, SY, Rop);
    SetBkColor(Source, sourceBk);
    SetBkColor(Dest, bk);
    SetTextColor(Dest, text);
}

HDC DC(TBitmap* Bitmap) { return Bitmap->Canvas()->Handle(); }

// Moves Width pixels of a strip from SourceX to DestX (the parts may overlap).
void MoveStripPart(TBitmap* Strip, int SourceX, int Width, int DestX)
{
    if (Width <= 0 || Strip->Empty()) return;
    TBitmap part;
    part.SetMonochrome(Strip->Monochrome());
    if (!Strip->Monochrome()) part.SetPixelFormat(pf24bit);
    part.SetSize(Width, Strip->Height());
    Blit(DC(&part), 0, 0, Width, Strip->Height(), DC(Strip), SourceX, 0, SRCCOPY);
    Blit(DC(Strip), DestX, 0, Width, Strip->Height(), DC(&part), 0, 0, SRCCOPY);
}

const char IMLSignature[] = "ZCLIML30";

// Lists that hold no bitmaps of their own draw a copy of the image.
void DrawCopied(TZCLCustomImageList* List, TCanvas* Canvas, const TRect& R, std::uint16_t Style, int ListIndex,
                int ItemIndex)
{
    if (!Canvas || !List->IsValidItem(ListIndex, ItemIndex)) return;
    TBitmap image;
    List->GetBitmapItem(ListIndex, ItemIndex, &image);
    ZCLBmpDraw(Canvas, R, &image, image.TransparentColor(), Style);
}

void ClipDrawCopied(TZCLCustomImageList* List, TCanvas* Canvas, const TRect& R, std::uint16_t Style,
                    std::int32_t ClipValue, TColor Color, int ListIndex, int ItemIndex)
{
    if (!Canvas || !List->IsValidItem(ListIndex, ItemIndex)) return;
    TBitmap image;
    List->GetBitmapItem(ListIndex, ItemIndex, &image);
    ZCLBmpClipDraw(Canvas, R, &image, Color, ClipValue, Style);
}

}  // namespace

// Image strips -------------------------------------------------------------------------------------------------

TZCLImageListItem::TZCLImageListItem(TComponent* AOwner)
    : TZCLListItem(AOwner), image_(std::make_unique<TBitmap>()), mask_(std::make_unique<TBitmap>())
{
    image_->SetPixelFormat(pf24bit);
    image_->SetSize(0, 16);
    mask_->SetSize(0, 16);
}

TZCLImageListItem::TZCLImageListItem(TComponent* AOwner, int AWidth, int AHeight) : TZCLImageListItem(AOwner)
{
    if (AWidth < 1 || AHeight < 1) InvalidSize();
    width_ = AWidth;
    height_ = AHeight;
    ClearStrips();
}

TZCLImageListItem::~TZCLImageListItem() = default;

void TZCLImageListItem::CheckIndex(int Index) const
{
    if (Index < 0 || Index >= Count()) TList::Error("List index out of bounds (%d)", Index);
}

void TZCLImageListItem::RebuildInfo(int N)
{
    info_.clear();
    for (int i = 0; i < N; ++i) info_.push_back({std::uint16_t(i * width_), std::uint8_t(masked_)});
}

void TZCLImageListItem::ClearStrips()
{
    image_->SetMonochrome(false);
    image_->SetPixelFormat(pf24bit);
    image_->SetSize(0, height_);
    mask_->SetSize(0, mask_->Height());
    if (masked_) {
        mask_->SetMonochrome(true);
        mask_->SetSize(0, height_);
    }
    usedWidth_ = 0;
    info_.clear();
}

void TZCLImageListItem::Clear()
{
    BeginUpdate();
    ClearStrips();
    EndUpdate(false);
}

void TZCLImageListItem::SetWidth(int Value)
{
    if (Value < 1 || Value == width_) return;
    width_ = Value;
    Clear();
    Change();
}

void TZCLImageListItem::SetHeight(int Value)
{
    if (Value < 1 || Value == height_) return;
    height_ = Value;
    Clear();
    Change();
}

void TZCLImageListItem::SetMasked(bool Value)
{
    if (Value == masked_) return;
    masked_ = Value;
    if (Value) {
        mask_->SetMonochrome(true);
        mask_->SetSize(image_->Width(), height_);
        // Every image stays opaque until it gets a mask of its own.
        if (!mask_->Empty()) PatBlt(DC(mask_.get()), 0, 0, mask_->Width(), mask_->Height(), BLACKNESS);
    } else {
        mask_->SetWidth(0);
    }
    RebuildInfo(Count());
    Change();
}

void TZCLImageListItem::GrowTo(int NeedWidth)
{
    if (NeedWidth > MaxStripWidth) TooMany();
    if (image_->Width() >= NeedWidth) return;
    int grown = image_->Width() + std::max(allocBy_, 1) * width_;
    // A step would pass the limit while the image itself still fits: the strip grows to the limit.
    grown = std::min(std::max(grown, NeedWidth), MaxStripWidth);
    image_->SetSize(grown, height_);
    if (masked_) {
        const int old = mask_->Width();
        mask_->SetMonochrome(true);
        mask_->SetSize(grown, height_);
        PatBlt(DC(mask_.get()), old, 0, grown - old, height_, BLACKNESS);
    }
}

int TZCLImageListItem::PrepareSpace()
{
    const int x = usedWidth_;
    GrowTo(usedWidth_ + width_);
    usedWidth_ += width_;
    info_.push_back({std::uint16_t(x), std::uint8_t(masked_)});
    return Count() - 1;
}

bool TZCLImageListItem::CheckImage(TBitmap* Image) const
{
    if (!Image) return false;
    if (Image->Height() != height_ || Image->Width() < width_ || Image->Width() % width_ != 0) InvalidSize();
    return true;
}

void TZCLImageListItem::CopyImage(TBitmap* Target, TBitmap* Source, int SourceX)
{
    Target->SetSize(width_, height_);
    Blit(DC(Target), 0, 0, width_, height_, DC(Source), SourceX, 0, SRCCOPY);
}

void TZCLImageListItem::Replace(int Index, TBitmap* Image, TBitmap* Mask)
{
    if (Index < 0 || Index >= Count()) return;
    if (!CheckImage(Image)) return;
    if (masked_ && Mask && !CheckImage(Mask)) return;
    const int x = info_[std::size_t(Index)].X;
    Blit(DC(image_.get()), x, 0, width_, height_, DC(Image), 0, 0, SRCCOPY);
    if (masked_) {
        if (Mask)
            Blit(DC(mask_.get()), x, 0, width_, height_, DC(Mask), 0, 0, SRCCOPY);
        else
            PatBlt(DC(mask_.get()), x, 0, width_, height_, BLACKNESS);
    }
    Change();
}

// An image and its mask from Bitmap with Color transparent: the image black where the mask is white.
namespace {
struct MaskedImage {
    TBitmap image, mask;
    MaskedImage(TBitmap* Bitmap, TColor Color) { ZCLBmpCreateMasks(Bitmap, &mask, &image, Color); }
};
}  // namespace

void TZCLImageListItem::ReplaceMasked(int Index, TBitmap* Bitmap, TColor Color)
{
    if (!masked_ || !Bitmap) {
        Replace(Index, Bitmap, nullptr);
        return;
    }
    MaskedImage m(Bitmap, Color);
    Replace(Index, &m.image, &m.mask);
}

int TZCLImageListItem::AddMasked(TBitmap* Bitmap, TColor Color)
{
    if (!CheckImage(Bitmap)) return -1;
    if (!masked_) return Add(Bitmap, nullptr);
    MaskedImage m(Bitmap, Color);
    return Add(&m.image, &m.mask);
}

void TZCLImageListItem::InsertMasked(int Index, TBitmap* Bitmap, TColor Color)
{
    if (!CheckImage(Bitmap)) return;
    if (!masked_) {
        Insert(Index, Bitmap, nullptr);
        return;
    }
    MaskedImage m(Bitmap, Color);
    Insert(Index, &m.image, &m.mask);
}

void TZCLImageListItem::ConvertBmpToIML(TBitmap* Bitmap, int Count, bool AMasked)
{
    if (!Bitmap || Bitmap->Empty() || Count < 1 || Bitmap->Width() < Count) InvalidSize();
    if (Bitmap->Width() > MaxStripWidth) TooMany();
    BeginUpdate();
    height_ = Bitmap->Height();
    width_ = Bitmap->Width() / Count;
    masked_ = AMasked;
    ClearStrips();
    if (masked_) {
        MaskedImage m(Bitmap, Bitmap->TransparentColor());
        image_->Assign(&m.image);
        mask_->Assign(&m.mask);
        mask_->SetMonochrome(true);
    } else {
        image_->Assign(Bitmap);
        mask_->SetWidth(0);
    }
    image_->SetPixelFormat(pf24bit);
    usedWidth_ = Count * width_;
    RebuildInfo(Count);
    EndUpdate(true);
}

bool TZCLImageListItem::LoadFromBitmap(const AnsiString& FileName, int Count, bool AMasked)
{
    TBitmap b;
    b.LoadFromFile(FileName);
    if (b.Empty() || Count < 1 || b.Width() < Count || b.Width() % Count != 0)
        throw EFOpenError(Format("%s: %s", Format("Cannot open file %s", FileName), FileName));
    ConvertBmpToIML(&b, Count, AMasked);
    SetDescription(ZCLExtractFileName(FileName));
    return true;
}

int TZCLImageListItem::Add(TBitmap* Image, TBitmap* Mask)
{
    if (!Image && !Mask) return PrepareSpace();
    if (!CheckImage(Image)) return -1;
    if (masked_ && Mask && (!CheckImage(Mask) || Mask->Width() != Image->Width())) InvalidSize();
    const int n = Image->Width() / width_;
    if (usedWidth_ + n * width_ > MaxStripWidth) TooMany();
    int first = -1;
    BeginUpdate();
    try {
        TBitmap image, mask;
        for (int k = 0; k < n; ++k) {
            const int index = PrepareSpace();
            if (first < 0) first = index;
            CopyImage(&image, Image, k * width_);
            if (masked_ && Mask) {
                mask.SetMonochrome(true);
                CopyImage(&mask, Mask, k * width_);
            }
            Replace(index, &image, masked_ && Mask ? &mask : nullptr);
        }
    } catch (...) {
        EndUpdate(false);
        throw;
    }
    EndUpdate(true);
    return first;
}

void TZCLImageListItem::Insert(int Index, TBitmap* Image, TBitmap* Mask)
{
    if (Index >= Count()) {
        Add(Image, Mask);
        return;
    }
    if (Index < 0) return;
    if (!CheckImage(Image)) return;
    if (masked_ && Mask && (!CheckImage(Mask) || Mask->Width() != Image->Width())) InvalidSize();
    const int n = Image->Width() / width_;
    if (usedWidth_ + n * width_ > MaxStripWidth) TooMany();
    BeginUpdate();
    try {
        TBitmap image, mask;
        // From the last image to the first, each at Index: they keep their order.
        for (int k = n - 1; k >= 0; --k) {
            const int old = usedWidth_;
            const int x = info_[std::size_t(Index)].X;
            PrepareSpace();
            MoveStripPart(image_.get(), x, old - x, x + width_);
            if (masked_) MoveStripPart(mask_.get(), x, old - x, x + width_);
            for (int i = Index; i < Count(); ++i) info_[std::size_t(i)] = {std::uint16_t(i * width_), std::uint8_t(masked_)};
            CopyImage(&image, Image, k * width_);
            if (masked_ && Mask) {
                mask.SetMonochrome(true);
                CopyImage(&mask, Mask, k * width_);
            }
            Replace(Index, &image, masked_ && Mask ? &mask : nullptr);
        }
    } catch (...) {
        EndUpdate(false);
        throw;
    }
    EndUpdate(true);
}

void TZCLImageListItem::AddImages(TZCLImageListItem* Other)
{
    if (!Other) return;
    if (Other->width_ != width_ || Other->height_ != height_) InvalidSize();
    if (Other->Count() * width_ + usedWidth_ > MaxStripWidth) TooMany();
    InsertImages(Count(), Other);
}

void TZCLImageListItem::InsertImages(int Index, TZCLImageListItem* Other)
{
    if (!Other) return;
    if (Other->width_ != width_ || Other->height_ != height_) InvalidSize();
    if (Other->Count() * width_ + usedWidth_ > MaxStripWidth) TooMany();
    Index = std::clamp(Index, 0, Count());
    if (Other == this) {
        // The insertions below would move the images still to be read: insert from a copy.
        TZCLImageListItem copy(nullptr, width_, height_);
        copy.SetMasked(masked_);
        copy.InsertImages(0, this);
        InsertImages(Index, &copy);
        return;
    }
    BeginUpdate();
    try {
        TBitmap image, mask;
        for (int k = Other->Count() - 1; k >= 0; --k) {
            Other->GetBitmap(k, &image);
            if (!masked_) {
                Insert(Index, &image, nullptr);
            } else if (Other->masked_) {
                Other->GetMaskBitmap(k, &mask);
                Insert(Index, &image, &mask);
            } else {
                InsertMasked(Index, &image, image.TransparentColor());
            }
        }
    } catch (...) {
        EndUpdate(false);
        throw;
    }
    EndUpdate(true);
}

void TZCLImageListItem::Delete(int Index)
{
    if (Index < 0 || Index >= Count()) return;
    const int x = info_[std::size_t(Index)].X;
    const int right = x + width_;
    // Shifting left needs no room beyond the strip, so a full strip never grows past its limit here.
    MoveStripPart(image_.get(), right, usedWidth_ - right, x);
    if (masked_) MoveStripPart(mask_.get(), right, usedWidth_ - right, x);
    usedWidth_ -= width_;
    for (std::size_t i = std::size_t(Index) + 1; i < info_.size(); ++i) info_[i].X = std::uint16_t(info_[i].X - width_);
    info_.erase(info_.begin() + Index);
    Change();
}

void TZCLImageListItem::Move(int CurIndex, int NewIndex)
{
    if (CurIndex == NewIndex) return;
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    TBitmap image, mask;
    GetBitmap(CurIndex, &image);
    if (masked_) GetMaskBitmap(CurIndex, &mask);
    BeginUpdate();
    try {
        Delete(CurIndex);
        Insert(NewIndex, &image, masked_ ? &mask : nullptr);
    } catch (...) {
        EndUpdate(false);
        throw;
    }
    EndUpdate(true);
}

TRect TZCLImageListItem::GetImageRect(int Index) const
{
    if (Index < 0 || Index >= Count()) return TRect(0, 0, 0, 0);
    const int x = info_[std::size_t(Index)].X;
    return TRect(x, 0, x + width_, height_);
}

void TZCLImageListItem::GetBitmap(int Index, TBitmap* Target)
{
    if (!Target || Index < 0 || Index >= Count()) return;
    CopyImage(Target, image_.get(), info_[std::size_t(Index)].X);
}

void TZCLImageListItem::GetMaskBitmap(int Index, TBitmap* Target)
{
    if (!Target || !masked_ || Index < 0 || Index >= Count()) return;
    Target->SetMonochrome(true);
    CopyImage(Target, mask_.get(), info_[std::size_t(Index)].X);
}

TColor TZCLImageListItem::TransparentColor(int Index)
{
    if (Index < 0 || Index >= Count()) return clWhite;
    return image_->Canvas()->Pixels(info_[std::size_t(Index)].X, height_ - 1);
}

TColor TZCLImageListItem::GetColorAtPoint(const TPoint& P, int Index)
{
    if (Index < 0 || Index >= Count() || P.x < 0 || P.y < 0 || P.x >= width_ || P.y >= height_) return clWhite;
    return image_->Canvas()->Pixels(info_[std::size_t(Index)].X + P.x, P.y);
}

void TZCLImageListItem::CreatePattern(TBitmap* Bitmap, bool Selected)
{
    if (!Bitmap || Bitmap->Empty() || patternColor_ == clNone) return;
    TCanvas* c = Bitmap->Canvas();
    for (int y = 0; y < Bitmap->Height(); ++y)
        for (int x = 0; x < Bitmap->Width(); ++x) {
            const bool on = Selected ? (x + y) % 2 == 1 : !(x % 2 == 1 && y % 2 == 1);
            if (on) c->SetPixels(x, y, patternColor_);
        }
}

void TZCLImageListItem::DrawMasked(HDC Dest, int X, int Y, int Index)
{
    const int x = info_[std::size_t(Index)].X;
    Blit(Dest, X, Y, width_, height_, DC(mask_.get()), x, 0, SRCAND);
    Blit(Dest, X, Y, width_, height_, DC(image_.get()), x, 0, SRCPAINT);
}

void TZCLImageListItem::Draw(TCanvas* Canvas, int X, int Y, int Index)
{
    if (!Canvas || Index < 0 || Index >= Count()) return;
    const HDC dest = Canvas->Handle();
    if (!masked_ || drawUnmasked_) {
        Blit(dest, X, Y, width_, height_, DC(image_.get()), info_[std::size_t(Index)].X, 0, SRCCOPY);
        return;
    }
    const bool patterned = drawingStyle_ == dsFocus || drawingStyle_ == dsSelected;
    if (patterned || (drawingStyle_ == dsNormal && bkColor_ != clNone)) {
        TBitmap work;
        work.SetPixelFormat(pf24bit);
        work.SetSize(width_, height_);
        if (patterned) {
            Blit(DC(&work), 0, 0, width_, height_, dest, X, Y, SRCCOPY);
        } else {
            work.Canvas()->Brush()->SetColor(bkColor_);
            work.Canvas()->FillRect(TRect(0, 0, width_, height_));
        }
        DrawMasked(DC(&work), 0, 0, Index);
        if (patterned) CreatePattern(&work, drawingStyle_ == dsSelected);
        Blit(dest, X, Y, width_, height_, DC(&work), 0, 0, SRCCOPY);
        return;
    }
    DrawMasked(dest, X, Y, Index);
}

void TZCLImageListItem::DrawExt(TCanvas* Canvas, const TRect& R, TRect& OutRect, int Index, std::uint16_t Style)
{
    OutRect = TRect(0, 0, 0, 0);
    if (!Canvas || Index < 0 || Index >= Count()) return;
    const TRect source = GetImageRect(Index);
    if (masked_) {
        OutRect = ZCLBmpDrawExt(Canvas, R, image_->Canvas(), source, std::uint16_t(Style | ZCLBmpMask),
                                TransparentColor(Index), image_->Palette(), mask_->Canvas());
    } else {
        const TColor color = TColor(std::int32_t(TransparentColor(Index)) | PaletteRelativeFlag);
        OutRect = ZCLBmpDrawExt(Canvas, R, image_->Canvas(), source, Style, color, image_->Palette(), nullptr);
    }
}

void TZCLImageListItem::ClipDraw(TCanvas* Canvas, const TRect& R, int Index, std::int32_t ClipValue, TColor Color,
                                 std::uint16_t Style)
{
    if (!Canvas || Index < 0 || Index >= Count()) return;
    const TRect source = GetImageRect(Index);
    if (masked_)
        ZCLBmpClipDrawExt(Canvas, R, image_->Canvas(), source, std::uint16_t(Style | ZCLBmpMask), ClipValue, Color,
                          mask_->Canvas());
    else
        ZCLBmpClipDrawExt(Canvas, R, image_->Canvas(), source, Style, ClipValue, Color, nullptr);
}

void TZCLImageListItem::Assign(TPersistent* Source)
{
    auto* other = dynamic_cast<TZCLImageListItem*>(Source);
    if (!other) {
        TZCLListItem::Assign(Source);
        return;
    }
    if (other == this) return;
    AssignCommon(other);
    allocBy_ = other->allocBy_;
    width_ = other->width_;
    height_ = other->height_;
    masked_ = other->masked_;
    pixelFormat_ = other->pixelFormat_;
    bkColor_ = other->bkColor_;
    patternColor_ = other->patternColor_;
    drawingStyle_ = other->drawingStyle_;
    drawUnmasked_ = other->drawUnmasked_;
    image_->Assign(other->image_.get());
    mask_->Assign(other->mask_.get());
    usedWidth_ = other->usedWidth_;
    info_ = other->info_;
    Change();
}

// Stored strips ------------------------------------------------------------------------------------------------

std::uint8_t TZCLImageListItem::WriteFlag() const
{
    return std::uint8_t(TZCLListItem::WriteFlag() | PixelFormatFlag(pixelFormat_));
}

void TZCLImageListItem::WriteStrips(TStream* Stream)
{
    const int n = Count();
    stWriteInteger(Stream, n);
    if (n <= 0) return;
    // A trimmed copy: the item keeps its spare room.
    TBitmap strip;
    strip.Assign(image_.get());
    strip.SetWidth(n * width_);
    stWriteBitmap(Stream, &strip, Compressed(), PixelFormatColors(pixelFormat_));
    if (masked_) {
        TBitmap mask;
        mask.Assign(mask_.get());
        mask.SetWidth(n * width_);
        stWriteBitmap(Stream, &mask, Compressed(), 2);
    }
}

void TZCLImageListItem::WriteData(TStream* Stream)
{
    WriteHeader(Stream);
    stWriteInteger(Stream, height_);
    stWriteInteger(Stream, width_);
    stWriteInteger(Stream, allocBy_);
    stWriteByte(Stream, masked_ ? 1 : 0);
    WriteStrips(Stream);
}

// The strip part: a count that fits the limit, strips of the item's height holding that many images.
void TZCLImageListItem::ReadStrips(TStream* Stream, int AWidth, int AHeight, bool AMasked)
{
    const bool compressed = Compressed();
    const std::int32_t n = stReadInteger(Stream);
    if (n < 0 || n > MaxStripWidth / AWidth) ReadError();
    TBitmap image, mask;
    if (n > 0) {
        stReadBitmap(Stream, &image, compressed);
        if (AMasked) stReadBitmap(Stream, &mask, compressed);
        if (image.Height() != AHeight || image.Width() < n * AWidth) ReadError();
        if (AMasked && (mask.Height() != AHeight || mask.Width() < n * AWidth)) ReadError();
    }
    BeginUpdate();
    width_ = AWidth;
    height_ = AHeight;
    masked_ = AMasked;
    ClearStrips();
    if (n > 0) {
        image_->Assign(&image);
        image_->SetPixelFormat(pf24bit);
        image_->SetWidth(n * width_);
        if (masked_) {
            mask_->Assign(&mask);
            mask_->SetMonochrome(true);
            mask_->SetWidth(n * width_);
        }
    }
    usedWidth_ = n * width_;
    RebuildInfo(n);
    EndUpdate(true);
}

void TZCLImageListItem::ReadData(TStream* Stream)
{
    const Header h = ReadHeader(Stream);
    const std::int32_t height = stReadInteger(Stream);
    const std::int32_t width = stReadInteger(Stream);
    const std::int32_t allocBy = stReadInteger(Stream);
    const bool masked = stReadByte(Stream) != 0;
    if (height < 1 || width < 1 || height > MaxStripWidth || width > MaxStripWidth) ReadError();
    const bool wasCompressed = Compressed();
    SetCompressed((h.Flags & 1) != 0);
    try {
        ReadStrips(Stream, width, height, masked);
    } catch (...) {
        SetCompressed(wasCompressed);
        throw;
    }
    ApplyHeader(h);
    pixelFormat_ = h.PixelFormat();
    allocBy_ = allocBy;
}

void TZCLImageListItem::ReadLegacyBitmap(TStream* Stream) { ReadStrips(Stream, width_, height_, masked_); }

void TZCLImageListItem::DefineProperties(TFiler* Filer)
{
    DefineInternal(Filer);
    Filer->DefineBinaryProperty("Bitmap", TStreamProc(this, &TZCLImageListItem::ReadLegacyBitmap), nullptr, false);
}

void TZCLImageListItem::SaveToFile(const AnsiString& FileName)
{
    TFileStream file(FileName, fmCreate);
    stWriteString(&file, IMLSignature);
    stWriteInteger(&file, 1);
    stWriteInteger(&file, 17);
    WriteData(&file);
}

void TZCLImageListItem::LoadFromFile(const AnsiString& FileName)
{
    TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    char sig[9];
    if (file.Read(sig, 9) != 9 || sig[0] != 8 || std::memcmp(sig + 1, IMLSignature, 8) != 0)
        throw EFOpenError(Format("%s: %s", Format("Cannot open file %s", FileName), ClassName()));
    stReadInteger(&file);
    stReadInteger(&file);
    ReadData(&file);
}

// Image lists --------------------------------------------------------------------------------------------------

void TZCLCustomImageList::SetListIndex(int Value)
{
    if (Value < 0 || Value >= GetCount())
        throw EInvalidGraphicOperation(Format("List index out of bounds (%d)", Value));
    listIndex_ = Value;
}

void TZCLCustomImageList::Assign(TPersistent* Source)
{
    TZCLCustomContainer::Assign(Source);
    if (auto* other = dynamic_cast<TZCLCustomImageList*>(Source); other && other->ClassType() == ClassType())
        defaultPixelFormat_ = other->defaultPixelFormat_;
}

// Bitmap lists

TZCLBitmapList::TZCLBitmapList(TComponent* AOwner) : TZCLCustomImageList(AOwner)
{
    SetListKind(icBitmap, ClassOf<TZCLBitmapListItem>());
}

TZCLBitmapListItem* TZCLBitmapList::BitmapItem(int Index) const
{
    return InRange(Index) ? dynamic_cast<TZCLBitmapListItem*>(GetItem(Index)) : nullptr;
}

TBitmap* TZCLBitmapList::GetBitmap(int Index)
{
    TZCLBitmapListItem* item = BitmapItem(Index);
    return item ? item->Bitmap() : nullptr;
}

TCanvas* TZCLBitmapList::BmpCanvas(int ListIndex)
{
    TBitmap* b = GetBitmap(ListIndex);
    return b ? b->Canvas() : nullptr;
}

TRect TZCLBitmapList::ItemRect(int ListIndex, int)
{
    TBitmap* b = GetBitmap(ListIndex);
    return b ? TRect(0, 0, b->Width(), b->Height()) : TRect(0, 0, 0, 0);
}

int TZCLBitmapList::Dimensions(int ListIndex, int Which)
{
    TBitmap* b = GetBitmap(ListIndex);
    if (!b) return 0;
    return Which == 0 ? b->Width() : Which == 1 ? b->Height() : 0;
}

int TZCLBitmapList::ItemCount(int ListIndex)
{
    TBitmap* b = GetBitmap(ListIndex);
    return b && !b->Empty() ? 1 : 0;
}

bool TZCLBitmapList::IsValidItem(int ListIndex, int) { return ItemCount(ListIndex) == 1; }

void TZCLBitmapList::GetBitmapItem(int ListIndex, int ItemIndex, TBitmap* Target)
{
    if (Target && IsValidItem(ListIndex, ItemIndex)) Target->Assign(GetBitmap(ListIndex));
}

HPALETTE TZCLBitmapList::Palette(int ListIndex)
{
    TBitmap* b = GetBitmap(ListIndex);
    return b ? b->Palette() : nullptr;
}

TColor TZCLBitmapList::TransparentColor(int ListIndex, int ItemIndex)
{
    return IsValidItem(ListIndex, ItemIndex) ? GetBitmap(ListIndex)->TransparentColor() : clWhite;
}

TColor TZCLBitmapList::GetColorAtPoint(const TPoint& P, int ListIndex, int ItemIndex)
{
    if (!IsValidItem(ListIndex, ItemIndex)) return clWhite;
    TBitmap* b = GetBitmap(ListIndex);
    if (P.x < 0 || P.y < 0 || P.x >= b->Width() || P.y >= b->Height()) return clWhite;
    return b->Canvas()->Pixels(P.x, P.y);
}

void TZCLBitmapList::Draw(TCanvas* Canvas, int X, int Y, int ListIndex, int ItemIndex)
{
    if (!Canvas || !IsValidItem(ListIndex, ItemIndex)) return;
    TBitmap* b = GetBitmap(ListIndex);
    ZCLBmpDraw(Canvas, TRect(X, Y, X + b->Width(), Y + b->Height()), b, b->TransparentColor(), 0);
}

void TZCLBitmapList::DrawExt(TCanvas* Canvas, const TRect& R, std::uint16_t Style, int ListIndex, int ItemIndex)
{
    if (!Canvas || !IsValidItem(ListIndex, ItemIndex)) return;
    TBitmap* b = GetBitmap(ListIndex);
    ZCLBmpDraw(Canvas, R, b, b->TransparentColor(), Style);
}

void TZCLBitmapList::ClipDraw(TCanvas* Canvas, const TRect& R, std::uint16_t Style, std::int32_t ClipValue,
                              TColor Color, int ListIndex, int ItemIndex)
{
    if (Canvas && IsValidItem(ListIndex, ItemIndex))
        ZCLBmpClipDraw(Canvas, R, GetBitmap(ListIndex), Color, ClipValue, Style);
}

// Strip lists

TZCLImageList::TZCLImageList(TComponent* AOwner) : TZCLCustomImageList(AOwner)
{
    SetListKind(icImageList, ClassOf<TZCLImageListItem>());
}

TZCLImageListItem* TZCLImageList::StripItem(int Index) const
{
    return InRange(Index) ? dynamic_cast<TZCLImageListItem*>(GetItem(Index)) : nullptr;
}

void TZCLImageList::Assign(TPersistent* Source)
{
    TZCLCustomImageList::Assign(Source);
    if (dynamic_cast<TZCLImageList*>(Source)) ResetListIndex();
}

TCanvas* TZCLImageList::BmpCanvas(int ListIndex)
{
    TZCLImageListItem* item = StripItem(ListIndex);
    return item ? item->ImageStrip()->Canvas() : nullptr;
}

TRect TZCLImageList::ItemRect(int ListIndex, int ItemIndex)
{
    TZCLImageListItem* item = StripItem(ListIndex);
    return item ? item->GetImageRect(ItemIndex) : TRect(0, 0, 0, 0);
}

int TZCLImageList::Dimensions(int ListIndex, int Which)
{
    TZCLImageListItem* item = StripItem(ListIndex);
    if (!item) return 0;
    return Which == 0 ? item->Width() : Which == 1 ? item->Height() : 0;
}

int TZCLImageList::ItemCount(int ListIndex)
{
    TZCLImageListItem* item = StripItem(ListIndex);
    return item ? item->Count() : -1;
}

bool TZCLImageList::IsValidItem(int ListIndex, int ItemIndex)
{
    TZCLImageListItem* item = StripItem(ListIndex);
    return item && ItemIndex >= 0 && ItemIndex < item->Count();
}

void TZCLImageList::GetBitmapItem(int ListIndex, int ItemIndex, TBitmap* Target)
{
    if (IsValidItem(ListIndex, ItemIndex)) StripItem(ListIndex)->GetBitmap(ItemIndex, Target);
}

bool TZCLImageList::Masked(int ListIndex)
{
    TZCLImageListItem* item = StripItem(ListIndex);
    return item && item->Masked();
}

HPALETTE TZCLImageList::Palette(int ListIndex)
{
    TZCLImageListItem* item = StripItem(ListIndex);
    return item ? item->ImageStrip()->Palette() : nullptr;
}

TColor TZCLImageList::TransparentColor(int ListIndex, int ItemIndex)
{
    TZCLImageListItem* item = StripItem(ListIndex);
    return item ? item->TransparentColor(ItemIndex) : clWhite;
}

TColor TZCLImageList::GetColorAtPoint(const TPoint& P, int ListIndex, int ItemIndex)
{
    TZCLImageListItem* item = StripItem(ListIndex);
    return item ? item->GetColorAtPoint(P, ItemIndex) : clWhite;
}

void TZCLImageList::Draw(TCanvas* Canvas, int X, int Y, int ListIndex, int ItemIndex)
{
    if (TZCLImageListItem* item = StripItem(ListIndex)) item->Draw(Canvas, X, Y, ItemIndex);
}

void TZCLImageList::DrawExt(TCanvas* Canvas, const TRect& R, std::uint16_t Style, int ListIndex, int ItemIndex)
{
    TRect out;
    if (TZCLImageListItem* item = StripItem(ListIndex)) item->DrawExt(Canvas, R, out, ItemIndex, Style);
}

void TZCLImageList::ClipDraw(TCanvas* Canvas, const TRect& R, std::uint16_t Style, std::int32_t ClipValue,
                             TColor Color, int ListIndex, int ItemIndex)
{
    if (TZCLImageListItem* item = StripItem(ListIndex)) item->ClipDraw(Canvas, R, ItemIndex, ClipValue, Color, Style);
}

// Connectors over framework image lists

TZCLBorImageListItem::TZCLBorImageListItem(TCollection* Collection)
    : TCollectionItem(Collection), link_(std::make_unique<TChangeLink>())
{
    link_->SetOnChange(TNotifyEvent(this, &TZCLBorImageListItem::ListChanged));
}

TZCLBorImageListItem::~TZCLBorImageListItem()
{
    if (imageList_) imageList_->UnRegisterChanges(link_.get());
}

void TZCLBorImageListItem::Assign(TPersistent* Source)
{
    if (auto* other = dynamic_cast<TZCLBorImageListItem*>(Source)) {
        name_ = other->name_;
        SetImageList(other->imageList_);
        Changed(false);
        return;
    }
    TCollectionItem::Assign(Source);
}

void TZCLBorImageListItem::SetName(const AnsiString& Value)
{
    if (name_ == Value) return;
    name_ = Value;
    Changed(false);
}

void TZCLBorImageListItem::SetImageList(TCustomImageList* Value)
{
    if (imageList_ == Value) return;
    if (imageList_) imageList_->UnRegisterChanges(link_.get());
    imageList_ = Value;
    if (imageList_) {
        imageList_->RegisterChanges(link_.get());
        if (auto* items = dynamic_cast<TZCLBorImageListItems*>(Collection()))
            if (TZCLImageListConnector* c = items->Connector()) imageList_->FreeNotification(c);
    }
    Changed(false);
}

AnsiString TZCLBorImageListItem::GetDisplayName() const
{
    if (!name_.IsEmpty()) return name_;
    if (imageList_ && !imageList_->Name().IsEmpty()) return imageList_->Name();
    return TCollectionItem::GetDisplayName();
}

void TZCLBorImageListItem::ListChanged(TObject*) { Changed(false); }

TZCLBorImageListItems::TZCLBorImageListItems(TZCLImageListConnector* Owner)
    : TOwnedCollection(Owner, ClassOf<TZCLBorImageListItem>()), connector_(Owner)
{
}

void TZCLBorImageListItems::Update(TCollectionItem*)
{
    if (connector_) connector_->Change();
}

TZCLImageListConnector::TZCLImageListConnector(TComponent* AOwner)
    : TZCLCustomImageList(AOwner),
      imageLists_(std::make_unique<TZCLBorImageListItems>(this)),
      scratch_(std::make_unique<TZCLListItem>(nullptr))
{
}

TZCLImageListConnector::~TZCLImageListConnector()
{
    imageLists_->Detach();
    imageLists_.reset();
}

TZCLListItem* TZCLImageListConnector::GetItem(int Index) const
{
    CheckIndex(Index, GetCount() - 1);
    scratch_->SetDescription(imageLists_->Items(Index)->Name());
    return scratch_.get();
}

TCustomImageList* TZCLImageListConnector::FrameworkList(int ListIndex) const
{
    return InRange(ListIndex) ? imageLists_->Items(ListIndex)->ImageList() : nullptr;
}

void TZCLImageListConnector::Notification(TComponent* AComponent, TOperation Operation)
{
    TZCLCustomImageList::Notification(AComponent, Operation);
    if (Operation != opRemove || !imageLists_) return;
    bool dropped = false;
    for (int i = 0; i < imageLists_->Count(); ++i) {
        TZCLBorImageListItem* item = imageLists_->Items(i);
        if (item->imageList_ == AComponent) {
            // The list is going: its links are cleared already.
            item->imageList_ = nullptr;
            dropped = true;
        }
    }
    if (dropped) Change();
}

TRect TZCLImageListConnector::ItemRect(int ListIndex, int)
{
    TCustomImageList* l = FrameworkList(ListIndex);
    return l ? TRect(0, 0, l->Width(), l->Height()) : TRect(0, 0, 0, 0);
}

int TZCLImageListConnector::Dimensions(int ListIndex, int Which)
{
    TCustomImageList* l = FrameworkList(ListIndex);
    if (!l) return 0;
    return Which == 0 ? l->Width() : Which == 1 ? l->Height() : 0;
}

int TZCLImageListConnector::ItemCount(int ListIndex)
{
    if (!InRange(ListIndex)) return -1;
    TCustomImageList* l = FrameworkList(ListIndex);
    return l ? l->Count() : 0;
}

bool TZCLImageListConnector::IsValidItem(int ListIndex, int ItemIndex)
{
    TCustomImageList* l = FrameworkList(ListIndex);
    return l && ItemIndex >= 0 && ItemIndex < l->Count();
}

void TZCLImageListConnector::GetBitmapItem(int ListIndex, int ItemIndex, TBitmap* Target)
{
    if (Target && IsValidItem(ListIndex, ItemIndex)) FrameworkList(ListIndex)->GetBitmap(ItemIndex, Target);
}

bool TZCLImageListConnector::Masked(int ListIndex)
{
    TCustomImageList* l = FrameworkList(ListIndex);
    return l && l->Masked();
}

TColor TZCLImageListConnector::TransparentColor(int ListIndex, int ItemIndex)
{
    if (!IsValidItem(ListIndex, ItemIndex)) return clWhite;
    TBitmap image;
    GetBitmapItem(ListIndex, ItemIndex, &image);
    return image.TransparentColor();
}

void TZCLImageListConnector::Draw(TCanvas* Canvas, int X, int Y, int ListIndex, int ItemIndex)
{
    if (Canvas && IsValidItem(ListIndex, ItemIndex)) FrameworkList(ListIndex)->Draw(Canvas, X, Y, ItemIndex, true);
}

void TZCLImageListConnector::DrawExt(TCanvas* Canvas, const TRect& R, std::uint16_t Style, int ListIndex, int ItemIndex)
{
    DrawCopied(this, Canvas, R, Style, ListIndex, ItemIndex);
}

void TZCLImageListConnector::ClipDraw(TCanvas* Canvas, const TRect& R, std::uint16_t Style, std::int32_t ClipValue,
                     TColor Color, int ListIndex, int ItemIndex)
{
    ClipDrawCopied(this, Canvas, R, Style, ClipValue, Color, ListIndex, ItemIndex);
}

// Graphic lists

TZCLGraphicListItem::TZCLGraphicListItem(TCollection* Collection)
    : TCollectionItem(Collection), picture_(std::make_unique<TPicture>())
{
    picture_->SetOnChange(TNotifyEvent(this, &TZCLGraphicListItem::PictureChanged));
}

TZCLGraphicListItem::~TZCLGraphicListItem() { picture_->SetOnChange(nullptr); }

void TZCLGraphicListItem::Assign(TPersistent* Source)
{
    if (auto* other = dynamic_cast<TZCLGraphicListItem*>(Source)) {
        picture_->Assign(other->picture_.get());
        name_ = other->name_;
        Changed(false);
        return;
    }
    TCollectionItem::Assign(Source);
}

void TZCLGraphicListItem::SetName(const AnsiString& Value)
{
    if (name_ == Value) return;
    name_ = Value;
    Changed(false);
}

AnsiString TZCLGraphicListItem::GetDisplayName() const
{
    return name_.IsEmpty() ? TCollectionItem::GetDisplayName() : name_;
}

void TZCLGraphicListItem::PictureChanged(TObject*) { Changed(false); }

TZCLGraphicListItems::TZCLGraphicListItems(TZCLGraphicList* Owner)
    : TOwnedCollection(Owner, ClassOf<TZCLGraphicListItem>()), list_(Owner)
{
}

void TZCLGraphicListItems::Update(TCollectionItem*)
{
    if (list_) list_->Change();
}

TZCLGraphicList::TZCLGraphicList(TComponent* AOwner)
    : TZCLCustomImageList(AOwner),
      graphics_(std::make_unique<TZCLGraphicListItems>(this)),
      scratch_(std::make_unique<TZCLListItem>(nullptr))
{
}

TZCLGraphicList::~TZCLGraphicList()
{
    graphics_->Detach();
    graphics_.reset();
}

TZCLListItem* TZCLGraphicList::GetItem(int Index) const
{
    CheckIndex(Index, GetCount() - 1);
    scratch_->SetDescription(graphics_->Items(Index)->Name());
    return scratch_.get();
}

TGraphic* TZCLGraphicList::Graphic(int ListIndex) const
{
    if (!InRange(ListIndex)) return nullptr;
    TGraphic* g = graphics_->Items(ListIndex)->Picture()->Graphic();
    return g && !g->Empty() ? g : nullptr;
}

TRect TZCLGraphicList::ItemRect(int ListIndex, int)
{
    TGraphic* g = Graphic(ListIndex);
    return g ? TRect(0, 0, g->Width(), g->Height()) : TRect(0, 0, 0, 0);
}

int TZCLGraphicList::Dimensions(int ListIndex, int Which)
{
    TGraphic* g = Graphic(ListIndex);
    if (!g) return 0;
    return Which == 0 ? g->Width() : Which == 1 ? g->Height() : 0;
}

int TZCLGraphicList::ItemCount(int ListIndex) { return Graphic(ListIndex) ? 1 : 0; }

bool TZCLGraphicList::IsValidItem(int ListIndex, int) { return Graphic(ListIndex) != nullptr; }

void TZCLGraphicList::GetBitmapItem(int ListIndex, int, TBitmap* Target)
{
    TGraphic* g = Graphic(ListIndex);
    if (!Target || !g) return;
    if (auto* b = dynamic_cast<TBitmap*>(g)) {
        Target->Assign(b);
        return;
    }
    Target->SetSize(g->Width(), g->Height());
    Target->Canvas()->Brush()->SetColor(clWhite);
    Target->Canvas()->FillRect(TRect(0, 0, g->Width(), g->Height()));
    Target->Canvas()->Draw(0, 0, g);
}

HPALETTE TZCLGraphicList::Palette(int ListIndex)
{
    auto* b = dynamic_cast<TBitmap*>(Graphic(ListIndex));
    return b ? b->Palette() : nullptr;
}

TColor TZCLGraphicList::TransparentColor(int ListIndex, int ItemIndex)
{
    TGraphic* g = Graphic(ListIndex);
    if (!g) return clNone;
    if (auto* b = dynamic_cast<TBitmap*>(g)) return b->TransparentColor();
    TBitmap image;
    GetBitmapItem(ListIndex, ItemIndex, &image);
    return image.TransparentColor();
}

void TZCLGraphicList::Draw(TCanvas* Canvas, int X, int Y, int ListIndex, int)
{
    if (TGraphic* g = Graphic(ListIndex); g && Canvas) Canvas->Draw(X, Y, g);
}

void TZCLGraphicList::DrawExt(TCanvas* Canvas, const TRect& R, std::uint16_t Style, int ListIndex, int ItemIndex)
{
    DrawCopied(this, Canvas, R, Style, ListIndex, ItemIndex);
}

void TZCLGraphicList::ClipDraw(TCanvas* Canvas, const TRect& R, std::uint16_t Style, std::int32_t ClipValue,
                     TColor Color, int ListIndex, int ItemIndex)
{
    ClipDrawCopied(this, Canvas, R, Style, ClipValue, Color, ListIndex, ItemIndex);
}
