#include "zcl/graphics/Zclglyph.h"

#include <algorithm>
#include <functional>

#include "zcl/graphics/Zclutilsbmp.h"
#include "zcl/graphics/Zclutilsdraw.h"

// Glyph lists --------------------------------------------------------------------------------------------------

TZCLGlyphList::TZCLGlyphList(int AWidth, int AHeight) : TZCLImageListItem(nullptr, AWidth, AHeight) { SetMasked(true); }

TZCLGlyphList::~TZCLGlyphList() = default;

int TZCLGlyphList::AllocateIndex()
{
    int index = used_.OpenBit();
    if (index >= Count()) {
        index = PrepareSpace();
        used_.SetSize(Count());
    }
    used_.SetBits(index, true);
    return index;
}

// A slot whose image could not be put in goes back to the free ones.
int TZCLGlyphList::Store(const std::function<void(int)>& Put)
{
    const int index = AllocateIndex();
    try {
        Put(index);
    } catch (...) {
        used_.SetBits(index, false);
        throw;
    }
    ++useCount_;
    return index;
}

int TZCLGlyphList::Add(TBitmap* Image, TBitmap* Mask)
{
    return Store([&](int index) { Replace(index, Image, Mask); });
}

int TZCLGlyphList::AddMasked(TBitmap* Image, TColor Color)
{
    return Store([&](int index) { ReplaceMasked(index, Image, Color); });
}

void TZCLGlyphList::Delete(int Index)
{
    if (Index < 0 || Index >= used_.Size() || !used_.Bits(Index)) return;
    used_.SetBits(Index, false);
    --useCount_;
}

// The cache --------------------------------------------------------------------------------------------------

namespace {

std::unique_ptr<TZCLGlyphCache>& CacheSlot()
{
    static std::unique_ptr<TZCLGlyphCache> cache;
    return cache;
}

TZCLGlyphCache& NeededCache()
{
    auto& slot = CacheSlot();
    if (!slot) slot = std::make_unique<TZCLGlyphCache>();
    return *slot;
}

}  // namespace

TZCLGlyphCache* ZCLGlyphCache() { return CacheSlot().get(); }

TZCLGlyphCache::TZCLGlyphCache() = default;
TZCLGlyphCache::~TZCLGlyphCache() = default;

TZCLGlyphList* TZCLGlyphCache::GetList(int AWidth, int AHeight)
{
    for (auto& list : lists_)
        if (list->Width() == AWidth && list->Height() == AHeight) return list.get();
    lists_.push_back(std::make_unique<TZCLGlyphList>(AWidth, AHeight));
    return lists_.back().get();
}

void TZCLGlyphCache::FreeList(TZCLGlyphList* List)
{
    if (!List || List->UseCount() != 0) return;
    std::erase_if(lists_, [List](const std::unique_ptr<TZCLGlyphList>& l) { return l.get() == List; });
}

// Glyphs -------------------------------------------------------------------------------------------------------

TZCLGlyph::TZCLGlyph() : strip_(std::make_unique<TBitmap>())
{
    indexes_.fill(-1);
    NeededCache();
    strip_->SetOnChange(TNotifyEvent(this, &TZCLGlyph::GetGlyphChange));
}

TZCLGlyph::~TZCLGlyph()
{
    strip_->SetOnChange(TNotifyEvent());
    Init();
    auto& slot = CacheSlot();
    if (slot && slot->Empty()) slot.reset();
}

void TZCLGlyph::Init()
{
    for (int& index : indexes_) {
        if (index == -1) continue;
        if (list_) list_->Delete(index);
        index = -1;
    }
    if (list_) {
        if (TZCLGlyphCache* cache = ZCLGlyphCache()) cache->FreeList(list_);
        list_ = nullptr;
    }
}

void TZCLGlyph::SetGlyph(TBitmap* Value)
{
    Init();
    // One change, told after the cell count is settled.
    strip_->SetOnChange(TNotifyEvent());
    try {
        strip_->Assign(Value);
    } catch (...) {
        strip_->SetOnChange(TNotifyEvent(this, &TZCLGlyph::GetGlyphChange));
        throw;
    }
    strip_->SetOnChange(TNotifyEvent(this, &TZCLGlyph::GetGlyphChange));
    const int w = strip_->Width(), h = strip_->Height();
    // A strip without a whole cell keeps its count: a count of 0 would leave no cell width.
    if (h >= 1 && w >= h && w % h == 0) {
        const int cells = w / h;
        numGlyphs_ = std::uint8_t(cells < 6 ? cells : 1);
    }
    GetGlyphChange(strip_.get());
}

void TZCLGlyph::SetNumGlyphs(std::uint8_t Value)
{
    if (Value == 0 || Value == numGlyphs_) return;
    Init();
    numGlyphs_ = Value;
}

void TZCLGlyph::SetStyle(TZCLGlyphStyle Value)
{
    if (Value == style_) return;
    Init();
    style_ = Value;
}

void TZCLGlyph::GetGlyphChange(TObject*)
{
    transparentColor_ = strip_->TransparentColor();
    Init();
    if (onChange_) onChange_(this);
}

// A list is held only while this glyph has an image in it: the cache frees a list whose images are all gone, and
// must not free one that a glyph still points at.
void TZCLGlyph::ReleaseUnusedList()
{
    if (std::all_of(indexes_.begin(), indexes_.end(), [](int i) { return i == -1; })) Init();
}

TZCLButtonState TZCLGlyph::MapState(TZCLButtonState State) const
{
    if (State == bsDisabledDown) return bsDisabledUp;
    if (State == bsDisabledUp || int(State) < int(numGlyphs_)) return State;
    if (style_ == gsStandard) return bsUp;
    return State == bsDropDownOpen ? bsDown : bsMouseOver;
}

int TZCLGlyph::GetButtonGlyph(TZCLButtonState State)
{
    const TZCLButtonState s = MapState(State);
    int& index = indexes_[s];
    if (index != -1) return index;
    if (strip_->Empty()) return -1;
    const int w = strip_->Width() / numGlyphs_, h = strip_->Height();
    if (w < 1) return -1;
    if (!list_) list_ = NeededCache().GetList(w, h);

    TBitmap cell;
    cell.SetPixelFormat(pf24bit);
    cell.SetSize(w, h);
    cell.SetTransparentColor(transparentColor_);
    const bool ownCell = int(s) < int(numGlyphs_) && !(s == bsUp && style_ == gsExplorer);
    const int x = ownCell ? int(s) * w : 0;
    BitBlt(cell.Canvas()->Handle(), 0, 0, w, h, strip_->Canvas()->Handle(), x, 0, SRCCOPY);

    try {
        if (ownCell) {
            index = list_->AddMasked(&cell, transparentColor_);
        } else {
            switch (s) {
            case bsUp: {
                TBitmap grey;
                ZCLBmpCreateGrayscale(&grey, &cell);
                index = list_->AddMasked(&grey, transparentColor_);
                break;
            }
            case bsMouseOver:
            case bsOptionSet:
            case bsDown: index = list_->AddMasked(&cell, transparentColor_); break;
            case bsDisabledUp: {
                TBitmap disabled;
                disabled.SetPixelFormat(pf24bit);
                disabled.SetSize(w, h);
                ZCLBmpDrawDisabledState(&disabled, &cell, 0, 0);
                index = list_->AddMasked(&disabled, transparentColor_);
                break;
            }
            default: break;
            }
        }
    } catch (...) {
        index = -1;
        ReleaseUnusedList();
        throw;
    }
    ReleaseUnusedList();
    return index;
}

void TZCLGlyph::GetStateBitmap(TZCLButtonState State, TBitmap* Bitmap)
{
    if (!Bitmap) return;
    const int index = GetButtonGlyph(State);
    if (index < 0) {
        Bitmap->SetSize(0, 0);
        return;
    }
    list_->GetBitmap(index, Bitmap);
}

TRect TZCLGlyph::DrawButtonGlyphAndText(TCanvas* Canvas, const AnsiString& Text, TZCL3DCaption* Caption, const TRect& R,
                                        TZCLButtonState State, TZCLGlyphTextLayout* Layout, TZCLDrawTextStyles Styles,
                                        std::uint8_t MultiLine, std::int32_t Flags)
{
    const int index = GetButtonGlyph(State);
    TCanvas* image = nullptr;
    TCanvas* mask = nullptr;
    TRect area;
    if (index >= 0) {
        image = list_->ImageStrip()->Canvas();
        mask = list_->MaskStrip()->Canvas();
        area = list_->GetImageRect(index);
    }
    TZCLGlyphTextRects rects;
    ZCLDrawTextAndGlyphExt(Canvas, Text, Caption, R, image, area, mask, transparentColor_, Layout, MultiLine != 0, true,
                           true, Styles, Flags, rects);
    return area;
}
