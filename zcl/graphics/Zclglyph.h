#pragma once
// Button glyphs. A glyph is a strip of NumGlyphs cells, one per button state; the image of a state is cut from
// the strip (or made from its first cell) the first time the state is drawn and kept in a glyph list, an image
// list of one cell size that every glyph of that size shares. The process-wide glyph cache hands the lists out
// and frees each one when its last image is gone.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Closure.h"
#include "framework/runtime/Types.h"
#include "framework/visual/Graphics.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/core/Zclbase.h"

class TZCL3DCaption;
class TZCLGlyphTextLayout;

// Explorer glyphs are grey until the mouse is over them.
enum TZCLGlyphStyle : std::uint8_t { gsStandard, gsExplorer };

// A masked image list of one cell size whose slots are handed out one image at a time and freed without moving
// the images after them, so the indexes glyphs hold stay valid.
class TZCLGlyphList : public TZCLImageListItem {
public:
    TZCLGlyphList(int AWidth, int AHeight);
    ~TZCLGlyphList() override;

    // The first image of Image (and Mask) into a free slot; returns the slot.
    int Add(TBitmap* Image, TBitmap* Mask);
    // The first image of Image with Color as its transparent colour into a free slot; returns the slot.
    int AddMasked(TBitmap* Image, TColor Color);
    // Frees a used slot; other indexes are ignored.
    void Delete(int Index);
    // The first free slot, a blank image added at the end when every slot is used; marked used.
    int AllocateIndex();
    // Images in use.
    int UseCount() const { return useCount_; }

private:
    int Store(const std::function<void(int)>& Put);
    int useCount_ = 0;
    TBits used_;
};

// The glyph lists of the process, one per cell size.
class TZCLGlyphCache : public TObject {
public:
    TZCLGlyphCache();
    ~TZCLGlyphCache() override;

    // The list for cells of that size, made (masked) when there is none yet.
    TZCLGlyphList* GetList(int AWidth, int AHeight);
    // A list no image is left in is removed and freed; others stay.
    void FreeList(TZCLGlyphList* List);
    bool Empty() const { return lists_.empty(); }
    int Count() const { return int(lists_.size()); }
    TZCLGlyphList* Lists(int Index) const { return lists_.at(std::size_t(Index)).get(); }

private:
    std::vector<std::unique_ptr<TZCLGlyphList>> lists_;
};

// The process's glyph cache; null while there is none (before the first glyph, and after the last glyph left it
// empty).
TZCLGlyphCache* ZCLGlyphCache();

class TZCLGlyph : public TObject {
public:
    TZCLGlyph();
    ~TZCLGlyph() override;

    // The strip. Changing it drops the state images and calls OnChange.
    TBitmap* Glyph() const { return strip_.get(); }
    // Takes a copy; a strip of 1 to 5 square cells sets NumGlyphs to their count, a wider one of square cells to 1.
    void SetGlyph(TBitmap* Value);
    std::uint8_t NumGlyphs() const { return numGlyphs_; }
    // 0 and an unchanged count are ignored.
    void SetNumGlyphs(std::uint8_t Value);
    TZCLGlyphStyle Style() const { return style_; }
    void SetStyle(TZCLGlyphStyle Value);
    // The strip's transparent colour.
    TColor TransparentColor() const { return transparentColor_; }
    TNotifyEvent OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent Value) { onChange_ = Value; }
    // The list the state images are in; null until one is made.
    TZCLGlyphList* GlyphList() const { return list_; }

    // The index in GlyphList of the image for State, made when needed; -1 when the state has none.
    int GetButtonGlyph(TZCLButtonState State);
    // Bitmap becomes the image for State (empty when there is none).
    void GetStateBitmap(TZCLButtonState State, TBitmap* Bitmap);
    // Lays out and draws Text and the image for State in R (ZCLDrawTextAndGlyphExt, the glyph drawn through its
    // mask); MultiLine and Flags go to it unchanged. Returns the focus rectangle.
    TRect DrawButtonGlyphAndText(TCanvas* Canvas, const AnsiString& Text, TZCL3DCaption* Caption, const TRect& R,
                                 TZCLButtonState State, TZCLGlyphTextLayout* Layout, TZCLDrawTextStyles Styles,
                                 std::uint8_t MultiLine, std::int32_t Flags);
    // Drops every state image and gives the list back to the cache.
    void Init();

private:
    void GetGlyphChange(TObject* Sender);
    // The state whose image stands for State with this strip and style.
    TZCLButtonState MapState(TZCLButtonState State) const;
    void ReleaseUnusedList();

    std::unique_ptr<TBitmap> strip_;
    std::array<int, 8> indexes_;
    TZCLGlyphList* list_ = nullptr;  // the cache's
    std::uint8_t numGlyphs_ = 1;
    TNotifyEvent onChange_;
    TZCLGlyphStyle style_ = gsStandard;
    TColor transparentColor_ = clNone;
};
