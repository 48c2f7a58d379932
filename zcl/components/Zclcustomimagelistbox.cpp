#include "zcl/components/Zclcustomimagelistbox.h"

#include <algorithm>

#include "framework/runtime/SysUtils.h"
#include "zcl/components/Zclcontrol.h"
#include "zcl/components/ZclcontrolPrivate.h"
#include "zcl/components/Zclcustomcontrol.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/core/Zclstrings.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zcllayout.h"
#include "zcl/graphics/Zclutilsdraw.h"

namespace {

// Room left of the image and right of the text.
constexpr int Margin = 2;

// Lists whose items hold one picture each: image n is item n.
bool OnePicturePerItem(TZCLCustomImageList* List)
{
    return dynamic_cast<TZCLBitmapList*>(List) || dynamic_cast<TZCLGraphicList*>(List);
}

}  // namespace

struct TZCLCustomImageListBox::ImageSource {
    TCanvas* canvas = nullptr;
    TRect area;
    TCanvas* mask = nullptr;
    TColor transparentColor = clNone;
};

TZCLCustomImageListBox::TZCLCustomImageListBox(TComponent* AOwner)
    : TCustomListBox(AOwner),
      font3D_(std::make_unique<TZCL3DCaption>()),
      layout_(std::make_unique<TZCLGlyphTextLayout>()),
      scratch_(std::make_unique<TBitmap>()),
      core_(std::make_unique<TZCLControlCore>(this, TNotifyEvent(this, &TZCLCustomImageListBox::GetIMLChange),
                                              TNotifyEvent()))
{
    SetStyle(lbOwnerDrawVariable);
    // The image and the text sit on the item's middle line.
    layout_->SetAlignment(agCenterLeft);
    font3D_->SetOnChange(TNotifyEvent(this, &TZCLCustomImageListBox::GetChange));
    layout_->SetOnChange(TNotifyEvent(this, &TZCLCustomImageListBox::GetChange));
}

TZCLCustomImageListBox::~TZCLCustomImageListBox()
{
    font3D_->SetOnChange(TNotifyEvent());
    layout_->SetOnChange(TNotifyEvent());
}

// ---------------------------------------------------------------------------------------------------------------
// Properties

void TZCLCustomImageListBox::SetDelimiter(char Value)
{
    if (Value == delimiter_) return;
    delimiter_ = Value;
    GetChange(nullptr);
}

void TZCLCustomImageListBox::SetOptions(TZCLImageBoxOptions Value)
{
    if (Value == options_) return;
    options_ = Value;
    GetChange(nullptr);
}

void TZCLCustomImageListBox::SetFont3D(TZCL3DCaption* Value)
{
    if (Value && Value != font3D_.get()) font3D_->Assign(Value);
}

void TZCLCustomImageListBox::SetDefaultItem(int Value)
{
    if (Value < -1) Value = -1;
    if (Value == defaultItem_) return;
    defaultItem_ = Value;
    GetChange(nullptr);
}

void TZCLCustomImageListBox::SetTransparent(bool Value)
{
    if (Value == transparent_) return;
    transparent_ = Value;
    Invalidate();
}

TZCLCustomImageList* TZCLCustomImageListBox::ImageList() const { return core_->ImageList(); }

void TZCLCustomImageListBox::SetImageList(TZCLCustomImageList* Value)
{
    if (Value == core_->ImageList()) return;
    core_->SetImageList(Value);
    GetIMLChange(nullptr);
}

int TZCLCustomImageListBox::ListIndex() const { return core_->ListIndex(); }

void TZCLCustomImageListBox::SetIndex(int Value)
{
    if (core_->SetIndex(1, Value)) GetIMLChange(nullptr);
}

void TZCLCustomImageListBox::SetLayout(TZCLGlyphTextLayout* Value)
{
    if (Value && Value != layout_.get()) layout_->Assign(Value);
}

void TZCLCustomImageListBox::SetImagesOnly(bool Value)
{
    if (Value == imagesOnly_) return;
    imagesOnly_ = Value;
    GetChange(nullptr);
}

void TZCLCustomImageListBox::SetMultiline(bool Value)
{
    if (Value == multiLine_) return;
    multiLine_ = Value;
    GetChange(nullptr);
}

// ---------------------------------------------------------------------------------------------------------------
// Items and images

int TZCLCustomImageListBox::ImageCount()
{
    TZCLCustomImageList* list = ImageList();
    if (!list) return 0;
    if (OnePicturePerItem(list)) return list->Count();
    return std::max(0, list->ItemCount(ListIndex()));
}

bool TZCLCustomImageListBox::IMLEmpty() { return ImageCount() == 0; }

bool TZCLCustomImageListBox::FindImage(int Image, ImageSource& Source)
{
    if (Image < 0 || Image >= ImageCount()) return false;
    TZCLCustomImageList* list = ImageList();
    const bool single = OnePicturePerItem(list);
    const int listIndex = single ? Image : ListIndex();
    const int itemIndex = single ? 0 : Image;
    if (!list->IsValidItem(listIndex, itemIndex)) return false;
    Source = ImageSource();
    if (auto* bitmaps = dynamic_cast<TZCLBitmapList*>(list)) {
        TBitmap* b = bitmaps->GetBitmap(listIndex);
        if (!b || b->Empty()) return false;
        Source.canvas = b->Canvas();
        Source.area = TRect(0, 0, b->Width(), b->Height());
    } else if (auto* strips = dynamic_cast<TZCLImageList*>(list)) {
        TZCLImageListItem* strip = strips->StripItem(listIndex);
        if (!strip) return false;
        Source.canvas = strip->ImageStrip()->Canvas();
        Source.area = strip->GetImageRect(itemIndex);
        if (strip->Masked()) Source.mask = strip->MaskStrip()->Canvas();
    } else {
        // Lists without a canvas of their own hand over a copy.
        list->GetBitmapItem(listIndex, itemIndex, scratch_.get());
        if (scratch_->Empty()) return false;
        Source.canvas = scratch_->Canvas();
        Source.area = TRect(0, 0, scratch_->Width(), scratch_->Height());
    }
    Source.transparentColor = list->TransparentColor(listIndex, itemIndex);
    return !Source.area.IsEmpty();
}

int TZCLCustomImageListBox::GetImageIndex(int Index)
{
    if (Index < 0 || Index >= Items()->Count()) return -1;
    const int count = ImageCount();
    if (count == 0) return -1;
    if (options_.Contains(lboImageListOrder)) return Index < count ? Index : -1;
    // The number follows the last delimiter: a display text may hold the delimiter itself (a path with ';').
    const AnsiString s = Items()->Strings(Index);
    const int at = ZCLBackPos(delimiter_, s);
    int image = defaultItem_;
    if (at > 0) image = StrToIntDef(s.SubString(at + 1, s.Length() - at).Trim(), defaultItem_);
    ImageSource source;
    return FindImage(image, source) ? image : -1;
}

AnsiString TZCLCustomImageListBox::GetStringValue(int Index)
{
    if (Index < 0 || Index >= Items()->Count()) return AnsiString();
    const AnsiString s = Items()->Strings(Index);
    const int at = ZCLBackPos(delimiter_, s);
    return at > 0 ? s.SubString(1, at - 1) : s;
}

AnsiString TZCLCustomImageListBox::ShownText(int Index)
{
    if (imagesOnly_) return AnsiString();
    if (options_.Contains(lboCheckImageNr)) return GetStringValue(Index);
    return Index >= 0 && Index < Items()->Count() ? Items()->Strings(Index) : AnsiString();
}

AnsiString TZCLCustomImageListBox::GetFieldValue() { return GetStringValue(ItemIndex()); }

// ---------------------------------------------------------------------------------------------------------------
// Measuring and drawing

void TZCLCustomImageListBox::MeasureItem(int Index, int& Height)
{
    int height = 0;
    int beside = 0;
    const int image = GetImageIndex(Index);
    ImageSource source;
    if (image >= 0 && FindImage(image, source)) {
        height = source.area.Height() + 2;
        // Text left or right of the image wraps in what the image leaves of the row.
        const TZCLTextArrange arrange = layout_->AlignText2Glyph();
        if (arrange != taTop && arrange != taTopLeft && arrange != taBottom && arrange != taBottomLeft) beside = source.area.Width() + layout_->Spacing();
    }
    if (multiLine_) {
        const AnsiString text = ShownText(Index);
        if (!text.IsEmpty()) {
            TRect r(0, 0, std::max(1, ClientWidth() - 2 * Margin - beside), 0);
            ZCLDrawTextCalc(text, font3D_.get(), r, Font(), true, false, 0, DT_NOPREFIX);
            height = std::max(height, int(r.Height()));
        }
    }
    if (height <= ItemHeight()) height = ItemHeight();
    Height = height;
    TCustomListBox::MeasureItem(Index, Height);
}

void TZCLCustomImageListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State)
{
    if (OnDrawItem()) {
        TCustomListBox::DrawItem(Index, Rect, State);
        return;
    }
    TCanvas* canvas = Canvas();
    if (State.Contains(odSelected) || !CheckOptimized() || !DrawBack(canvas, Rect)) canvas->FillRect(Rect);
    if (Index < 0 || Index >= Items()->Count()) return;

    const AnsiString text = ShownText(Index);
    ImageSource source;
    const int image = GetImageIndex(Index);
    const bool hasImage = image >= 0 && FindImage(image, source);
    TRect glyph = hasImage ? source.area : TRect();
    int flags = DT_NOPREFIX | (multiLine_ ? 0 : DT_SINGLELINE);
    if (IsRightToLeft()) flags |= DT_RIGHT | DT_RTLREADING;
    const TZCLDrawTextStyles styles{Enabled() ? dtEnabled : dtDisabled};
    TZCLGlyphTextRects rects;
    const TRect area(Rect.left + Margin, Rect.top, Rect.right - Margin, Rect.bottom);
    ZCLDrawTextAndGlyphExt(canvas, text, font3D_.get(), area, hasImage ? source.canvas : nullptr, glyph, source.mask,
                           source.transparentColor, layout_.get(), multiLine_, false,
                           options_.Contains(lboTransparentImages), styles, flags, rects);
}

void TZCLCustomImageListBox::Remeasure()
{
    if (!HandleAllocated()) return;
    for (int i = 0; i < Items()->Count(); ++i) {
        int height = ItemHeight();
        MeasureItem(i, height);
        SendMessageA(Handle(), LB_SETITEMHEIGHT, WPARAM(i), std::clamp(height, 1, 255));
    }
}

void TZCLCustomImageListBox::GetChange(TObject*)
{
    if (ComponentState().Contains(csLoading)) return;
    Remeasure();
    Invalidate();
}

void TZCLCustomImageListBox::GetIMLChange(TObject* Sender) { GetChange(Sender); }

void TZCLCustomImageListBox::DoSelect()
{
    if (onSelect_) onSelect_(this);
}

// ---------------------------------------------------------------------------------------------------------------
// Transparency

bool TZCLCustomImageListBox::CheckOptimized() { return transparent_ && ZCLParentSuppliesBack(this); }

bool TZCLCustomImageListBox::DrawBack(TCanvas* Canvas, const TRect& R)
{
    TZCLBackSupplier* supplier = ZCLBackSupplier(this);
    if (!supplier || !Canvas) return false;
    // The picture stays where the parent has it; items move over it.
    const TPoint origin = Parent()->ScreenToClient(ClientOrigin());
    return supplier->BackDrawArea(Canvas, R, origin, 0);
}

void TZCLCustomImageListBox::EraseFromParent(HDC DC)
{
    TCanvas canvas;
    canvas.SetHandle(DC);
    if (!DrawBack(&canvas, ClientRect())) ZCLFillSolid(&canvas, ClientRect(), Color());
    canvas.SetHandle(nullptr);
}

// ---------------------------------------------------------------------------------------------------------------
// Component and messages

void TZCLCustomImageListBox::CreateParams(TCreateParams& Params)
{
    TCustomListBox::CreateParams(Params);
    Params.Style &= ~DWORD(LBS_OWNERDRAWFIXED);
    Params.Style |= LBS_OWNERDRAWVARIABLE;
}

void TZCLCustomImageListBox::Loaded()
{
    TCustomListBox::Loaded();
    // A list over a collection is complete only now.
    if (ZCLIsCollectionImageList(core_->ImageList())) GetIMLChange(nullptr);
}

void TZCLCustomImageListBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomListBox::Notification(AComponent, Operation);
    if (core_ && core_->Notification(AComponent, Operation) && !ComponentState().Contains(csDestroying))
        GetChange(nullptr);
}

void TZCLCustomImageListBox::DefineProperties(TFiler* Filer)
{
    TCustomListBox::DefineProperties(Filer);
    core_->DefineProperties(Filer,
                            Closure<void(TZCLCustomImageList*)>(this, &TZCLCustomImageListBox::SetImageList));
}

void TZCLCustomImageListBox::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CN_MEASUREITEM: {
        // Every item is measured, whatever style a caller set on the framework list.
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
        int height = ItemHeight();
        if (int(mis->itemID) >= 0) MeasureItem(int(mis->itemID), height);
        mis->itemHeight = UINT(std::clamp(height, 1, 255));
        Message.Result = 1;
        return;
    }
    case CN_COMMAND:
        TCustomListBox::Dispatch(Message);
        if (HIWORD(Message.WParam) == LBN_SELCHANGE) DoSelect();
        return;
    case WM_ERASEBKGND:
        if (CheckOptimized()) {
            EraseFromParent(reinterpret_cast<HDC>(Message.WParam));
            Message.Result = 1;
            return;
        }
        break;
    case WM_MOVE:
        TCustomListBox::Dispatch(Message);
        if (CheckOptimized()) Invalidate();
        return;
    case CM_ZCLBACKCHANGED:
    case CM_ZCLSCROLLBOXSCROLLEVENT:
        if (CheckOptimized()) Invalidate();
        return;
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSEWHEEL:
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_TIMER:
    case WM_SIZE:
    case LB_SETTOPINDEX:
    case LB_SETCURSEL:
    case LB_SETCARETINDEX:
    case LB_SETSEL:
    case LB_SETHORIZONTALEXTENT:
        if (HandleAllocated() && CheckOptimized()) {
            // The system scrolls by moving the pixels, and the parent's picture would move with them.
            const LRESULT top = SendMessageA(Handle(), LB_GETTOPINDEX, 0, 0);
            const int left = GetScrollPos(Handle(), SB_HORZ);
            TCustomListBox::Dispatch(Message);
            if (HandleAllocated() && (SendMessageA(Handle(), LB_GETTOPINDEX, 0, 0) != top ||
                                      GetScrollPos(Handle(), SB_HORZ) != left))
                InvalidateRect(Handle(), nullptr, TRUE);
            return;
        }
        break;
    default:
        break;
    }
    TCustomListBox::Dispatch(Message);
}
