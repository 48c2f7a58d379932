#include "zcl/buttons/Zclmmbutton.h"

#include <algorithm>
#include <vector>

#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "framework/visual/Menus.h"
#include "zcl/components/ZclcontrolPrivate.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/containers/Zclstreamutils.h"
#include "zcl/graphics/Zclutilsbmp.h"

namespace {

constexpr int FaceCount = 8;
constexpr TColor PaletteFlag = TColor(0x2000000);

TColor WithoutPaletteFlag(TColor c)
{
    return (std::uint32_t(c) & std::uint32_t(PaletteFlag)) ? TColor(std::uint32_t(c) - std::uint32_t(PaletteFlag)) : c;
}

// The states a face stands in for when a state has none of its own, nearest first; bsUp is the last resort.
constexpr TZCLButtonState Fallbacks[FaceCount][3] = {
    /* bsUp */ {bsUp, bsUp, bsUp},
    /* bsDisabledUp */ {bsUp, bsUp, bsUp},
    /* bsMouseOver */ {bsUp, bsUp, bsUp},
    /* bsOptionSet */ {bsDown, bsUp, bsUp},
    /* bsDown */ {bsUp, bsUp, bsUp},
    /* bsDragOver */ {bsMouseOver, bsUp, bsUp},
    /* bsDropDownOpen */ {bsDown, bsUp, bsUp},
    /* bsDisabledDown */ {bsDisabledUp, bsOptionSet, bsDown},
};

const bool mmButtonPublished = [] {
    using B = TZCLCustomMMButton;
    PublishedProperties<B>()
        .Boolean("AllowAllUp", &B::AllowAllUp, &B::SetAllowAllUp, false)
        .Boolean("AllowMouseOver", &B::AllowMouseOver, &B::SetAllowMouseOver, false)
        .Boolean("AllowTransparency", &B::AllowTransparency, &B::SetAllowTransparency, true)
        .Enumeration("ButtonFaceStyle", &B::ButtonFaceStyle, &B::SetButtonFaceStyle,
                     {"sbNone", "sbAutosize", "sbCenter", "sbStretch", "sbTile", "sbKeepAspRatio", "sbKeepWidth",
                      "sbKeepHeight"},
                     sbNone)
        .Object("ButtonFaceImageList", &B::ButtonFaceImageList, &B::SetButtonFaceImageList)
        .Integer("CaptionDown", &B::CaptionDown, &B::SetCaptionDown, 1)
        .Boolean("ForceTransparent", &B::ForceTransparent, &B::SetForceTransparent, true)
        .Integer("GroupIndex", &B::GroupIndex, &B::SetGroupIndex, 0)
        .Boolean("QuickDraw", &B::QuickDraw, &B::SetQuickDraw, false)
        .Boolean("Pressed", &B::Pressed, &B::SetPressed, false)
        .Object("DropDownMenu", &B::DropDownMenu, &B::SetDropDownMenu)
        .Integer("DropDownIndent", &B::DropDownIndent, &B::SetDropDownIndent, 0)
        .Boolean("DropDownRight", &B::DropDownRight, &B::SetDropDownRight, false)
        .Boolean("Transparent", &B::Transparent, &B::SetTransparent, false);
    return true;
}();

}  // namespace

TZCLCustomMMButton::TZCLCustomMMButton(TComponent* AOwner)
    : TZCLBaseGraphicButton(AOwner),
      face_(std::make_unique<TZCLControlCore>(this, TNotifyEvent(this, &TZCLCustomMMButton::GetButtonFaceIMLChange),
                                              TNotifyEvent()))
{
    pressedOffset_ = 1;
}

TZCLCustomMMButton::~TZCLCustomMMButton() = default;

TZCLCustomImageList* TZCLCustomMMButton::ButtonFaceImageList() const { return face_->ImageList(); }

void TZCLCustomMMButton::SetButtonFaceImageList(TZCLCustomImageList* Value)
{
    if (Value == face_->ImageList()) return;
    face_->SetImageList(Value);
    GetButtonFaceIMLChange(nullptr);
}

void TZCLCustomMMButton::SetButtonFace(const TZCLButtonFace& Value)
{
    if (Value == buttonFace_) return;
    buttonFace_ = Value;
    GetButtonFaceIMLChange(nullptr);
}

void TZCLCustomMMButton::SetFace(TZCLButtonState State, int ListIndex, int ImageIndex)
{
    TZCLButtonFace face = buttonFace_;
    face[State] = {ListIndex, ImageIndex};
    SetButtonFace(face);
}

bool TZCLCustomMMButton::ValidFace(const TZCLButtonFaceEntry& Face) const
{
    TZCLCustomImageList* list = face_->ImageList();
    return list && list->IsValidItem(Face.ListIndex, Face.ImageIndex);
}

TZCLButtonFaceEntry TZCLCustomMMButton::FaceFor(TZCLButtonState State) const
{
    const TZCLButtonFaceEntry own = buttonFace_[State];
    if (State == bsUp || (!(own == TZCLButtonFaceEntry{}) && ValidFace(own))) return own;
    for (TZCLButtonState other : Fallbacks[State]) {
        const TZCLButtonFaceEntry face = buttonFace_[other];
        if (other == bsUp || (!(face == TZCLButtonFaceEntry{}) && ValidFace(face))) return face;
    }
    return buttonFace_[bsUp];
}

void TZCLCustomMMButton::SetButtonFaceStyle(TZCLBitmapStyle Value)
{
    if (Value == buttonFaceStyle_) return;
    buttonFaceStyle_ = Value;
    AutoSize();
    Redraw();
}

std::uint16_t TZCLCustomMMButton::FaceDrawFlags() const
{
    std::uint16_t flags = 0;
    switch (buttonFaceStyle_) {
    case sbCenter: flags = ZCLBmpCenter; break;
    case sbStretch: flags = ZCLBmpStretch; break;
    case sbTile: flags = ZCLBmpTile; break;
    case sbKeepAspRatio: flags = 0x610; break;
    case sbKeepWidth: flags = 0x210; break;
    case sbKeepHeight: flags = 0x410; break;
    default: break;
    }
    if (!quickDraw_) flags |= ZCLBmpPalette;
    if (forceTransparent_) flags |= ZCLBmpTransparent;
    return flags;
}

void TZCLCustomMMButton::SetQuickDraw(bool Value)
{
    if (Value == quickDraw_) return;
    quickDraw_ = Value;
    Redraw();
}

void TZCLCustomMMButton::SetForceTransparent(bool Value)
{
    if (Value == forceTransparent_) return;
    forceTransparent_ = Value;
    Redraw();
}

void TZCLCustomMMButton::SetCaptionDown(int Value)
{
    Value = std::max(Value, 0);
    if (Value == pressedOffset_) return;
    pressedOffset_ = Value;
    Redraw();
}

void TZCLCustomMMButton::AutoSize()
{
    if (buttonFaceStyle_ != sbAutosize || Loading()) return;
    TZCLCustomImageList* list = face_->ImageList();
    const int listIndex = buttonFace_[bsUp].ListIndex;
    int w = list ? list->Dimensions(listIndex, 0) : 0;
    int h = list ? list->Dimensions(listIndex, 1) : 0;
    if (w <= 0 || h <= 0) w = h = 20;
    SetBounds(Left(), Top(), w, h);
}

void TZCLCustomMMButton::GetButtonFaceIMLChange(TObject*)
{
    const TZCLButtonFaceEntry up = buttonFace_[bsUp];
    if (ValidFace(up))
        transparentColor_ = WithoutPaletteFlag(face_->ImageList()->TransparentColor(up.ListIndex, up.ImageIndex));
    AutoSize();
    Redraw();
}

TRect TZCLCustomMMButton::FaceRect(TZCLButtonState State)
{
    const TZCLButtonFaceEntry face = FaceFor(State);
    TZCLCustomImageList* list = face_->ImageList();
    TCanvas* source = list && ValidFace(face) ? list->BmpCanvas(face.ListIndex) : nullptr;
    if (!source) return ClientRect();
    // The bitmap core places the image; drawn into a scratch pixel only for the rectangle it answers.
    TBitmap scratch;
    scratch.SetSize(1, 1);
    const std::uint16_t placement = FaceDrawFlags() & std::uint16_t(~(ZCLBmpTransparent | ZCLBmpPalette));
    return ZCLBmpDrawExt(scratch.Canvas(), ClientRect(), source, list->ItemRect(face.ListIndex, face.ImageIndex),
                         placement, clNone, nullptr, nullptr);
}

bool TZCLCustomMMButton::VerifyTransparency(int X, int Y)
{
    if (!TZCLBaseGraphicButton::VerifyTransparency(X, Y)) return false;
    const TZCLButtonFaceEntry face = FaceFor(DrawState());
    if (!ValidFace(face)) return true;
    TZCLCustomImageList* list = face_->ImageList();
    const TRect r = FaceRect(DrawState());
    if (X < r.left || X >= r.right || Y < r.top || Y >= r.bottom) return false;
    const int w = list->Dimensions(face.ListIndex, 0), h = list->Dimensions(face.ListIndex, 1);
    if (w <= 0 || h <= 0) return true;
    // The face pixel under the point: stretched faces scale it, tiled ones repeat.
    int x = X - r.left, y = Y - r.top;
    if (buttonFaceStyle_ == sbTile) {
        x %= w;
        y %= h;
    } else if (r.Width() != w || r.Height() != h) {
        x = r.Width() > 0 ? x * w / r.Width() : 0;
        y = r.Height() > 0 ? y * h / r.Height() : 0;
    }
    const TColor pixel = list->GetColorAtPoint(TPoint(x, y), face.ListIndex, face.ImageIndex);
    return (ColorToRGB(pixel) & 0xFFFFFF) != (ColorToRGB(transparentColor_) & 0xFFFFFF);
}

bool TZCLCustomMMButton::MouseOverChangesLook()
{
    return !(FaceFor(bsMouseOver) == FaceFor(bsUp)) || TZCLBaseGraphicButton::MouseOverChangesLook();
}

void TZCLCustomMMButton::Paint()
{
    TCanvas* canvas = Canvas();
    const TRect client = ClientRect();
    if (ControlStyle().Contains(csOpaque)) {
        ZCLFillSolid(canvas, client, Color());
    } else {
        DrawParentBack(canvas, client);
    }
    const TZCLButtonFaceEntry face = FaceFor(DrawState());
    if (ValidFace(face)) face_->ImageList()->DrawExt(canvas, client, FaceDrawFlags(), face.ListIndex, face.ImageIndex);
    DrawGlyphAndText(canvas, client);
}

void TZCLCustomMMButton::Loaded()
{
    TZCLBaseGraphicButton::Loaded();
    GetButtonFaceIMLChange(nullptr);
}

void TZCLCustomMMButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TZCLBaseGraphicButton::Notification(AComponent, Operation);
    if (face_ && face_->Notification(AComponent, Operation)) Redraw();
}

// Streams ------------------------------------------------------------------------------------------------------

void TZCLCustomMMButton::WriteIndicesNew2(TStream* Stream)
{
    for (int s = 0; s < FaceCount; ++s) stWriteInteger(Stream, buttonFace_[std::size_t(s)].ImageIndex);
    for (int s = FaceCount - 1; s >= 0; --s) stWriteInteger(Stream, buttonFace_[std::size_t(s)].ListIndex);
}

// Each reader takes the whole property first: damaged data leaves the faces as they were.
void TZCLCustomMMButton::ReadIndicesNew2(TStream* Stream)
{
    TZCLButtonFace face = buttonFace_;
    for (int s = 0; s < FaceCount; ++s) face[std::size_t(s)].ImageIndex = stReadInteger(Stream);
    for (int s = FaceCount - 1; s >= 0; --s) face[std::size_t(s)].ListIndex = stReadInteger(Stream);
    SetButtonFace(face);
}

void TZCLCustomMMButton::ReadIndices(TStream* Stream)
{
    TZCLButtonFace face = buttonFace_;
    for (int s = 0; s < FaceCount - 1; ++s) {
        face[std::size_t(s)].ListIndex = stReadInteger(Stream);
        face[std::size_t(s)].ImageIndex = stReadInteger(Stream);
    }
    SetButtonFace(face);
}

void TZCLCustomMMButton::ReadIndicesNew(TStream* Stream)
{
    TZCLButtonFace face = buttonFace_;
    for (int s = 0; s < FaceCount - 1; ++s) face[std::size_t(s)].ListIndex = stReadInteger(Stream);
    for (int s = 0; s < FaceCount - 1; ++s) face[std::size_t(s)].ImageIndex = stReadInteger(Stream);
    SetButtonFace(face);
}

void TZCLCustomMMButton::WriteTransColor(TStream* Stream)
{
    stWriteInteger(Stream, std::int32_t(WithoutPaletteFlag(transparentColor_)));
}

void TZCLCustomMMButton::ReadTransColor(TStream* Stream)
{
    transparentColor_ = WithoutPaletteFlag(TColor(stReadInteger(Stream)));
}

void TZCLCustomMMButton::DefineProperties(TFiler* Filer)
{
    TZCLBaseGraphicButton::DefineProperties(Filer);
    TZCLCustomImageList* list = face_->ImageList();
    Filer->DefineProperty(
        "ButtonFace",
        TReaderProc::From([this](TReader* reader) { SetButtonFaceImageList(ZCLReadGlobalIdent(reader)); }),
        TWriterProc::From([list](TWriter* writer) { ZCLWriteGlobalIdent(writer, list); }), ZCLIsGlobalIdent(list));
    Filer->DefineBinaryProperty("ButtonFaceIndicesNew2", TStreamProc(this, &TZCLCustomMMButton::ReadIndicesNew2),
                                TStreamProc(this, &TZCLCustomMMButton::WriteIndicesNew2), true);
    Filer->DefineBinaryProperty("ButtonFaceTransColNew", TStreamProc(this, &TZCLCustomMMButton::ReadTransColor),
                                TStreamProc(this, &TZCLCustomMMButton::WriteTransColor), true);
    // Older forms.
    Filer->DefineBinaryProperty("ButtonFaceIndices", TStreamProc(this, &TZCLCustomMMButton::ReadIndices),
                                TStreamProc(), false);
    Filer->DefineBinaryProperty("ButtonFaceIndicesNew", TStreamProc(this, &TZCLCustomMMButton::ReadIndicesNew),
                                TStreamProc(), false);
    Filer->DefineBinaryProperty("ButtonFaceTransCol", TStreamProc(this, &TZCLCustomMMButton::ReadTransColor),
                                TStreamProc(), false);
}
