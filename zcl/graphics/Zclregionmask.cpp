#include "zcl/graphics/Zclregionmask.h"

#include <algorithm>
#include <cstring>

#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "zcl/containers/Zclstreamutils.h"

namespace {

const bool maskPublished = [] {
    PublishedProperties<TZCLRegionMask>()
        .Integer("RegionDataSize", &TZCLRegionMask::RegionDataSize, &TZCLRegionMask::SetRegionDataSize, 0)
        .Enumeration("PixelFormat", &TZCLRegionMask::PixelFormat, &TZCLRegionMask::SetPixelFormat,
                     {"spfDefault", "spfMono", "spf4bit", "spf8bit"}, spfDefault)
        .Boolean("Compressed", &TZCLRegionMask::Compressed, &TZCLRegionMask::SetCompressed, false);
    return true;
}();

bool HasPicture(const std::unique_ptr<TBitmap>& b) { return b && !b->Empty(); }

}  // namespace

HRGN ZCLRegionFromData(const void* Data, std::int32_t Size)
{
    constexpr std::int32_t header = sizeof(RGNDATAHEADER);
    if (!Data || Size < header) return nullptr;
    RGNDATAHEADER h;
    std::memcpy(&h, Data, sizeof h);
    // Stored data may be damaged or made by hand: the system gets only a block that holds what it says.
    if (h.dwSize != sizeof(RGNDATAHEADER) || h.iType != RDH_RECTANGLES) return nullptr;
    if (h.nCount > DWORD((Size - header) / std::int32_t(sizeof(RECT)))) return nullptr;
    const DWORD used = header + h.nCount * sizeof(RECT);
    return ExtCreateRegion(nullptr, used, static_cast<const RGNDATA*>(Data));
}

std::vector<std::uint8_t> ZCLRegionToData(HRGN Region)
{
    std::vector<std::uint8_t> data;
    if (!Region) return data;
    const DWORD size = ::GetRegionData(Region, 0, nullptr);
    if (size == 0) return data;
    data.resize(size);
    if (::GetRegionData(Region, size, reinterpret_cast<RGNDATA*>(data.data())) != size) data.clear();
    return data;
}

TZCLRegionMask::TZCLRegionMask() : border_(std::make_unique<TBitmap>()) {}

TZCLRegionMask::~TZCLRegionMask() = default;

void TZCLRegionMask::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TZCLRegionMask*>(Source);
    if (!s) {
        TZCLObject::Assign(Source);
        return;
    }
    if (s == this) return;
    // All of the source, also when it holds nothing: no bitmaps of an earlier region stay behind.
    data_ = s->data_;
    border_->Assign(s->border_.get());
    for (auto [mine, theirs] : {std::pair{&borderUp_, &s->borderUp_}, std::pair{&borderDn_, &s->borderDn_}}) {
        if (*theirs) {
            if (!*mine) *mine = std::make_unique<TBitmap>();
            (*mine)->Assign(theirs->get());
        } else {
            mine->reset();
        }
    }
    pixelFormat_ = s->pixelFormat_;
    compressed_ = s->compressed_;
    Change();
}

void TZCLRegionMask::SetDataSize(std::int32_t Value) { data_.resize(std::size_t(std::max(Value, 0))); }

void TZCLRegionMask::SetRegionDataSize(std::int32_t Value)
{
    if (Value < RegionDataSize()) SetDataSize(Value);
}

void TZCLRegionMask::SetRegionData(const void* Data, std::int32_t Size)
{
    if (!Data || Size <= 0) data_.clear();
    else data_.assign(static_cast<const std::uint8_t*>(Data), static_cast<const std::uint8_t*>(Data) + Size);
    Change();
}

bool TZCLRegionMask::GetRegionData(HRGN Region)
{
    data_ = ZCLRegionToData(Region);
    return !data_.empty();
}

void TZCLRegionMask::GetMem() { data_.assign(data_.size(), 0); }
void TZCLRegionMask::FreeMem() { data_.clear(); }

HRGN TZCLRegionMask::CreateRegion() const { return ZCLRegionFromData(RegionData(), RegionDataSize()); }

TBitmap* TZCLRegionMask::Kind(int Kind)
{
    if (Kind == 1) {
        CreateBorderUpBmp();
        return borderUp_.get();
    }
    if (Kind == 2) {
        CreateBorderDnBmp();
        return borderDn_.get();
    }
    return border_.get();
}

void TZCLRegionMask::SetBorderBmp(int Kind, TBitmap* Bitmap)
{
    TBitmap* target = this->Kind(Kind);
    if (Bitmap == target) return;
    if (Bitmap) target->Assign(Bitmap);
    else target->SetSize(0, 0);
    Change();
}

void TZCLRegionMask::CreateBorderUpBmp()
{
    if (!borderUp_) borderUp_ = std::make_unique<TBitmap>();
}

void TZCLRegionMask::CreateBorderDnBmp()
{
    if (!borderDn_) borderDn_ = std::make_unique<TBitmap>();
}

void TZCLRegionMask::SetPixelFormat(TZCLSavePixelFormat Value) { SetField(pixelFormat_, Value); }
void TZCLRegionMask::SetCompressed(bool Value) { SetField(compressed_, Value); }

void TZCLRegionMask::DefineProperties(TFiler* Filer)
{
    TZCLObject::DefineProperties(Filer);
    Filer->DefineBinaryProperty("RegionData", TStreamProc(this, &TZCLRegionMask::ReadData),
                                TStreamProc(this, &TZCLRegionMask::WriteData), !data_.empty());
    Filer->DefineBinaryProperty("BorderBmp", TStreamProc::From([this](TStream* s) { ReadBitmap(s, 0); }),
                                TStreamProc::From([this](TStream* s) { WriteBitmap(s, border_.get()); }),
                                HasPicture(border_));
    Filer->DefineBinaryProperty("BorderUpBmp", TStreamProc::From([this](TStream* s) { ReadBitmap(s, 1); }),
                                TStreamProc::From([this](TStream* s) { WriteBitmap(s, borderUp_.get()); }),
                                HasPicture(borderUp_));
    Filer->DefineBinaryProperty("BorderDnBmp", TStreamProc::From([this](TStream* s) { ReadBitmap(s, 2); }),
                                TStreamProc::From([this](TStream* s) { WriteBitmap(s, borderDn_.get()); }),
                                HasPicture(borderDn_));
}

// The block is as long as the stored property, whatever size was stored beside it.
void TZCLRegionMask::ReadData(TStream* Stream)
{
    const int size = Stream->Size() - Stream->Position();
    data_.assign(std::size_t(std::max(size, 0)), 0);
    if (size > 0) Stream->ReadBuffer(data_.data(), size);
}

void TZCLRegionMask::WriteData(TStream* Stream)
{
    if (!data_.empty()) Stream->WriteBuffer(data_.data(), int(data_.size()));
}

void TZCLRegionMask::ReadBitmap(TStream* Stream, int Kind)
{
    compressed_ = stReadByte(Stream) != 0;
    stReadBitmap(Stream, this->Kind(Kind), compressed_);
}

void TZCLRegionMask::WriteBitmap(TStream* Stream, TBitmap* Bitmap)
{
    stWriteByte(Stream, compressed_ ? 1 : 0);
    stWriteBitmap(Stream, Bitmap, compressed_, -1);
}
