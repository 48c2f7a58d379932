#pragma once
// A region kept as the system's region data, with the bitmaps of its border (the picture the region was cut
// from, and two more for pressed and released looks), stored in forms as binary properties.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/visual/Graphics.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/core/Zclobject.h"

// A new region from the system's region data (RGNDATA); null when the data is not a whole, well-formed block of
// rectangles. The caller owns the region.
HRGN ZCLRegionFromData(const void* Data, std::int32_t Size);
// The region's data as the system gives it; empty for no region.
std::vector<std::uint8_t> ZCLRegionToData(HRGN Region);

class TZCLRegionMask : public TZCLObject {
public:
    TZCLRegionMask();
    ~TZCLRegionMask() override;
    // From another mask: its region data (or none), its three bitmaps (or none), pixel format and compressed
    // flag, then one change.
    void Assign(TPersistent* Source) override;
    // "RegionData", "BorderBmp", "BorderUpBmp" and "BorderDnBmp".
    void DefineProperties(TFiler* Filer) override;

    // The data block; RegionDataSize bytes.
    const std::uint8_t* RegionData() const { return data_.empty() ? nullptr : data_.data(); }
    std::int32_t RegionDataSize() const { return std::int32_t(data_.size()); }
    // A new size keeps the bytes that fit and zeroes the rest; negative sizes are 0.
    void SetDataSize(std::int32_t Value);
    // The stored size, read before the stored block that sizes itself: it only ever shrinks the block, so a
    // damaged size allocates nothing.
    void SetRegionDataSize(std::int32_t Value);
    // Copies Size bytes of Data as the block, then tells the change.
    void SetRegionData(const void* Data, std::int32_t Size);
    // The block filled with the region's data, sized as the region needs; false (and no data) for no region.
    bool GetRegionData(HRGN Region);
    // A block of RegionDataSize zero bytes.
    void GetMem();
    // No block; the size becomes 0.
    void FreeMem();
    // The region the data describes (the caller owns it); null without valid data.
    HRGN CreateRegion() const;

    // Kind 0 the border, 1 border-up, 2 border-down bitmap; Bitmap is copied (null empties it).
    void SetBorderBmp(int Kind, TBitmap* Bitmap);
    TBitmap* BorderBmp() const { return border_.get(); }
    // Null until made.
    TBitmap* BorderUpBmp() const { return borderUp_.get(); }
    TBitmap* BorderDnBmp() const { return borderDn_.get(); }
    void CreateBorderUpBmp();
    void CreateBorderDnBmp();

    TZCLSavePixelFormat PixelFormat() const { return pixelFormat_; }
    void SetPixelFormat(TZCLSavePixelFormat Value);
    // The stored bitmaps are packed.
    bool Compressed() const { return compressed_; }
    void SetCompressed(bool Value);

private:
    void ReadData(TStream* Stream);
    void WriteData(TStream* Stream);
    void ReadBitmap(TStream* Stream, int Kind);
    void WriteBitmap(TStream* Stream, TBitmap* Bitmap);
    TBitmap* Kind(int Kind);

    std::vector<std::uint8_t> data_;
    std::unique_ptr<TBitmap> borderUp_;
    std::unique_ptr<TBitmap> borderDn_;
    std::unique_ptr<TBitmap> border_;
    TZCLSavePixelFormat pixelFormat_ = spfDefault;
    bool compressed_ = false;
};
