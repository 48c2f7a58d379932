#include "zcl/edits/Zclcaret.h"

#include "framework/runtime/Filer.h"
#include "zcl/containers/Zclcont.h"

namespace {

// The caret whose blink rate the system has now, and the system's own rate it replaced. A caret built while
// another one holds the rate still sees the system's rate, not the other caret's.
TZCLCaret* rateHolder = nullptr;
UINT systemRate = 0;

UINT SystemBlinkRate() { return rateHolder ? systemRate : GetCaretBlinkTime(); }

const bool caretPublished = [] {
    using C = TZCLCaret;
    PublishedProperties<C>()
        .Integer("BlinkRate", &C::BlinkRate, &C::SetBlinkRate)
        .Enumeration("Style", &C::Style, &C::SetStyle,
                     {"csDefault", "csBlock", "csUnder", "csOver", "csBitmap", "csUnderBlock"}, csDefault)
        .Integer("Width", &C::Width, &C::SetWidth, 2)
        .Integer("Height", &C::Height, &C::SetHeight, 10)
        .Object("ImageList", &C::ImageList, &C::SetImageList)
        .Integer("ImageIndex", &C::ImageIndex, &C::SetImageIndex, 0)
        .Integer("ListIndex", &C::ListIndex, &C::SetListIndex, 0)
        .Enumeration("CaretBmpMode", &C::CaretBmpMode, &C::SetCaretBmpMode, {"cbBmpSize", "cbTile", "cbStretch"},
                     cbBmpSize)
        .Object("Bitmap", &C::Bitmap, &C::SetBitmap);
    return true;
}();

}  // namespace

TZCLCaret::TZCLCaret(TWinControl* AOwner)
    : owner_(AOwner),
      bitmap_(std::make_unique<TBitmap>()),
      blinkRate_(std::uint16_t(SystemBlinkRate())),
      savedBlinkRate_(blinkRate_),
      link_(std::make_unique<TZCLChangeLink>())
{
    link_->SetOnChange(TNotifyEvent(this, &TZCLCaret::ImageListChange));
}

TZCLCaret::~TZCLCaret()
{
    RestoreBlinkRate();
    if (TZCLBaseContainer* list = link_->Sender()) list->UnRegisterChanges(link_.get());
}

void TZCLCaret::Assign(TPersistent* Source)
{
    auto* other = dynamic_cast<TZCLCaret*>(Source);
    if (!other) return;
    blinkRate_ = other->blinkRate_;
    width_ = other->width_;
    height_ = other->height_;
    style_ = other->style_;
    if (enabled_) ApplyBlinkRate();
    Changed();
}

// ---------------------------------------------------------------------------------------------------------------
// Properties

void TZCLCaret::Changed()
{
    // A caret on show takes its new shape at once.
    if (built_ && OwnerWindow() && GetFocus() == owner_->Handle()) {
        const bool wasVisible = visible_;
        BuildCaret();
        SetPos(posX_, posY_);
        if (wasVisible) {
            ShowCaret(owner_->Handle());
            visible_ = true;
        }
    }
    Change();
}

void TZCLCaret::SetBitmap(TBitmap* Value)
{
    if (Value)
        bitmap_->Assign(Value);
    else
        bitmap_->SetSize(0, 0);
    Changed();
}

void TZCLCaret::SetWidth(std::uint16_t Value)
{
    if (Value == width_) return;
    width_ = Value;
    Changed();
}

void TZCLCaret::SetHeight(std::uint16_t Value)
{
    if (Value == height_) return;
    height_ = Value;
    Changed();
}

void TZCLCaret::SetBlinkRate(std::uint16_t Value)
{
    if (Value == blinkRate_) return;
    blinkRate_ = Value;
    if (enabled_) ApplyBlinkRate();
    Change();
}

void TZCLCaret::SetStyle(TZCLCaretStyles Value)
{
    if (Value == style_) return;
    style_ = Value;
    Changed();
}

void TZCLCaret::SetCaretBmpMode(TZCLCaretBitmap Value)
{
    if (Value == caretBmpMode_) return;
    caretBmpMode_ = Value;
    Changed();
}

void TZCLCaret::SetImageList(TZCLCustomImageList* Value)
{
    if (Value == imageList_) return;
    if (TZCLBaseContainer* old = link_->Sender()) old->UnRegisterChanges(link_.get());
    if (imageList_ && owner_) imageList_->RemoveFreeNotification(owner_);
    imageList_ = Value;
    if (imageList_) {
        imageList_->RegisterChanges(link_.get());
        if (owner_) imageList_->FreeNotification(owner_);
        CopyListItem();
    }
}

void TZCLCaret::SetImageIndex(int Value)
{
    if (Value < 0 || Value == imageIndex_) return;
    imageIndex_ = Value;
    CopyListItem();
}

void TZCLCaret::SetListIndex(int Value)
{
    if (Value < 0 || Value == listIndex_) return;
    listIndex_ = Value;
    CopyListItem();
}

void TZCLCaret::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == opRemove && AComponent && AComponent == imageList_) {
        imageList_ = nullptr;
        link_->SetSender(nullptr);
    }
}

void TZCLCaret::ImageListChange(TObject*) { CopyListItem(); }

void TZCLCaret::CopyListItem()
{
    if (!imageList_ || !imageList_->IsValidItem(listIndex_, imageIndex_)) return;
    imageList_->GetBitmapItem(listIndex_, imageIndex_, bitmap_.get());
    Changed();
}

// ---------------------------------------------------------------------------------------------------------------
// The system caret

bool TZCLCaret::OwnerWindow() const { return owner_ && owner_->HandleAllocated(); }

TPoint TZCLCaret::CaretSize() const
{
    switch (style_) {
    case csBlock:
    case csUnderBlock: return TPoint(width_, height_);
    case csUnder:
    case csOver: return TPoint(width_, 1);
    case csBitmap:
        if (caretBmpMode_ == cbBmpSize && !bitmap_->Empty()) return TPoint(bitmap_->Width(), bitmap_->Height());
        if (!bitmap_->Empty()) return TPoint(width_, height_);
        break;
    default: break;
    }
    return TPoint(1, textHeight_);
}

void TZCLCaret::BuildCaret()
{
    if (!OwnerWindow()) return;
    const HWND wnd = owner_->Handle();
    HBITMAP picture = nullptr;
    if (style_ == csBitmap && !bitmap_->Empty()) {
        if (caretBmpMode_ == cbBmpSize) {
            picture = bitmap_->Handle();
        } else {
            if (!builtBitmap_) builtBitmap_ = std::make_unique<TBitmap>();
            builtBitmap_->SetSize(width_, height_);
            TCanvas* canvas = builtBitmap_->Canvas();
            if (caretBmpMode_ == cbStretch) {
                canvas->StretchDraw(TRect(0, 0, width_, height_), bitmap_.get());
            } else {
                for (int y = 0; y < height_; y += bitmap_->Height())
                    for (int x = 0; x < width_; x += bitmap_->Width()) canvas->Draw(x, y, bitmap_.get());
            }
            picture = builtBitmap_->Handle();
        }
    }
    const TPoint size = CaretSize();
    // With a bitmap the system takes the size from it.
    ::CreateCaret(wnd, picture, picture ? 0 : size.x, picture ? 0 : size.y);
    built_ = true;
    visible_ = false;
    ApplyBlinkRate();
}

void TZCLCaret::Enable()
{
    if (owner_ && owner_->ComponentState().Contains(csDesigning)) return;
    if (!OwnerWindow()) return;
    if (!built_) BuildCaret();
    enabled_ = true;
    ApplyBlinkRate();
    SetPos(posX_, posY_);
    if (!visible_) {
        ShowCaret(owner_->Handle());
        visible_ = true;
    }
}

void TZCLCaret::Disable()
{
    if (visible_ && OwnerWindow()) HideCaret(owner_->Handle());
    visible_ = false;
    enabled_ = false;
    RestoreBlinkRate();
}

void TZCLCaret::DestroyCaret()
{
    if (!OwnerWindow()) return;
    RestoreBlinkRate();
    if (built_) ::DestroyCaret();
    built_ = false;
    enabled_ = false;
    visible_ = false;
}

void TZCLCaret::GetPos(int& X, int& Y) const
{
    X = posX_;
    Y = posY_;
}

void TZCLCaret::SetPos(int X, int Y)
{
    posX_ = X;
    posY_ = Y;
    if (built_) SetCaretPos(X, Y);
}

void TZCLCaret::Hide()
{
    if (!visible_ || !OwnerWindow()) return;
    HideCaret(owner_->Handle());
    visible_ = false;
}

void TZCLCaret::Show()
{
    if (visible_ || !enabled_ || !built_ || !OwnerWindow()) return;
    ShowCaret(owner_->Handle());
    visible_ = true;
}

void TZCLCaret::ApplyBlinkRate()
{
    if (!built_) return;
    if (rateHolder != this) {
        if (!rateHolder) systemRate = GetCaretBlinkTime();
        rateHolder = this;
    }
    savedBlinkRate_ = std::uint16_t(systemRate);
    if (GetCaretBlinkTime() != blinkRate_) SetCaretBlinkTime(blinkRate_);
}

void TZCLCaret::RestoreBlinkRate()
{
    if (rateHolder != this) return;
    rateHolder = nullptr;
    if (GetCaretBlinkTime() != savedBlinkRate_) SetCaretBlinkTime(savedBlinkRate_);
}
