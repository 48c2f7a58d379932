#include "framework/visual/ImgList.h"

#include <algorithm>

#include "framework/runtime/Exceptions.h"

// ---------------------------------------------------------------------------------------------------------------
// TChangeLink

TChangeLink::~TChangeLink()
{
    if (sender_) sender_->UnRegisterChanges(this);
}

void TChangeLink::Change()
{
    if (onChange_) onChange_(sender_);
}

// ---------------------------------------------------------------------------------------------------------------
// TCustomImageList

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner)
{
    CreateList();
}

TCustomImageList::~TCustomImageList()
{
    for (TChangeLink* link : links_) link->SetSender(nullptr);
    links_.clear();
}

void TCustomImageList::CreateList()
{
    ImageListHandle list(ImageList_Create(width_, height_, ILC_COLOR24 | (masked_ ? ILC_MASK : 0), 4, 4));
    if (!list) throw EOutOfResources("Cannot create the image list");
    // Masked images are drawn over whatever is below them.
    ImageList_SetBkColor(list.get(), CLR_NONE);
    handle_ = std::move(list);
}

void TCustomImageList::SetSize(int width, int height)
{
    if (width < 1 || height < 1) throw EInvalidOperation("Invalid image size");
    if (width == width_ && height == height_) return;
    width_ = width;
    height_ = height;
    CreateList();
    Change();
}

void TCustomImageList::SetMasked(bool value)
{
    if (value == masked_) return;
    masked_ = value;
    CreateList();
    Change();
}

int TCustomImageList::Count() const
{
    return ImageList_GetImageCount(handle_.get());
}

int TCustomImageList::Add(TBitmap* image, TBitmap* mask)
{
    if (!image || image->Empty()) return -1;
    const int index = ImageList_Add(handle_.get(), image->Handle(), mask && !mask->Empty() ? mask->Handle() : nullptr);
    if (index >= 0) Change();
    return index;
}

int TCustomImageList::AddMasked(TBitmap* image, TColor maskColor)
{
    if (!image || image->Empty()) return -1;
    if (maskColor == clDefault) maskColor = image->TransparentColor();
    // The system call blackens the transparent pixels of the bitmap it is given: give it a copy.
    TBitmap copy;
    copy.Assign(image);
    const int index = ImageList_AddMasked(handle_.get(), copy.Handle(), COLORREF(ColorToRGB(maskColor)));
    if (index >= 0) Change();
    return index;
}

int TCustomImageList::AddIcon(TIcon* icon)
{
    if (!icon || icon->Empty()) return -1;
    const int index = ImageList_AddIcon(handle_.get(), icon->Handle());
    if (index >= 0) Change();
    return index;
}

void TCustomImageList::Delete(int index)
{
    if (!ValidIndex(index)) throw EInvalidOperation("Invalid image index");
    ImageList_Remove(handle_.get(), index);
    Change();
}

void TCustomImageList::Clear()
{
    if (Count() == 0) return;
    ImageList_Remove(handle_.get(), -1);
    Change();
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled)
{
    if (!canvas || !ValidIndex(index)) return;
    const HDC dc = canvas->Handle();
    if (enabled) {
        ImageList_Draw(handle_.get(), index, dc, x, y, ILD_NORMAL);
        GdiFlush();
        return;
    }
    // The shape of the opaque pixels: black in a monochrome bitmap, white elsewhere.
    MemoryDC maskDC(CreateCompatibleDC(dc));
    BitmapHandle mask(CreateBitmap(width_, height_, 1, 1, nullptr));
    if (!maskDC || !mask) return;
    {
        SelectedObject selected(maskDC.get(), mask.get());
        PatBlt(maskDC.get(), 0, 0, width_, height_, WHITENESS);
        if (masked_) ImageList_Draw(handle_.get(), index, maskDC.get(), 0, 0, ILD_MASK);
        else PatBlt(maskDC.get(), 0, 0, width_, height_, BLACKNESS);
        // Mono source on a colour DC: 1 -> background colour, 0 -> text colour.
        const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
        const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
        constexpr DWORD ropBrushWhereBlack = 0x00B8074A;  // PSDPxax: D where the source is 1, else the brush
        const struct {
            int dx, dy, colour;
        } passes[] = {{1, 1, COLOR_BTNHIGHLIGHT}, {0, 0, COLOR_BTNSHADOW}};
        for (const auto& pass : passes) {
            BrushHandle brush(CreateSolidBrush(GetSysColor(pass.colour)));
            SelectedObject brushSelected(dc, brush.get());
            BitBlt(dc, x + pass.dx, y + pass.dy, width_, height_, maskDC.get(), 0, 0, ropBrushWhereBlack);
        }
        SetTextColor(dc, oldText);
        SetBkColor(dc, oldBack);
    }
    GdiFlush();
}

void TCustomImageList::GetBitmap(int index, TBitmap* image)
{
    if (!image || !ValidIndex(index)) return;
    image->SetSize(width_, height_);
    TCanvas* canvas = image->Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect(TRect(0, 0, width_, height_));
    ImageList_Draw(handle_.get(), index, canvas->Handle(), 0, 0, ILD_NORMAL);
    GdiFlush();
}

void TCustomImageList::RegisterChanges(TChangeLink* link)
{
    if (!link || link->Sender() == this) return;
    if (link->Sender()) link->Sender()->UnRegisterChanges(link);
    link->SetSender(this);
    links_.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link)
{
    const auto it = std::find(links_.begin(), links_.end(), link);
    if (it == links_.end()) return;
    links_.erase(it);
    link->SetSender(nullptr);
}

void TCustomImageList::Change()
{
    // A copy: a told link may unregister itself or others.
    const std::vector<TChangeLink*> links = links_;
    for (TChangeLink* link : links)
        if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->Change();
    if (onChange_) onChange_(this);
}
