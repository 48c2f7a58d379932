#pragma once
// Multimedia buttons: a graphic button whose face for each state is an image of an image list, drawn placed,
// stretched or tiled, transparently, with the caption moving down when pressed.

#include <array>
#include <cstdint>
#include <memory>

#include "zcl/buttons/Zclgraphicbutton.h"

class TStream;
class TZCLControlCore;

// The face of one state: an image of the face image list.
struct TZCLButtonFaceEntry {
    int ListIndex = 0;
    int ImageIndex = 0;
    bool operator==(const TZCLButtonFaceEntry&) const = default;
};
// One face per TZCLButtonState.
using TZCLButtonFace = std::array<TZCLButtonFaceEntry, 8>;

class TZCLCustomMMButton : public TZCLBaseGraphicButton {
public:
    explicit TZCLCustomMMButton(TComponent* AOwner);
    ~TZCLCustomMMButton() override;

    // Not owned; the button follows its changes and forgets it when it goes.
    TZCLCustomImageList* ButtonFaceImageList() const;
    void SetButtonFaceImageList(TZCLCustomImageList* Value);
    const TZCLButtonFace& ButtonFace() const { return buttonFace_; }
    void SetButtonFace(const TZCLButtonFace& Value);
    // The face of one state.
    void SetFace(TZCLButtonState State, int ListIndex, int ImageIndex);
    // The face drawn for State: an empty one (no image there, or 0, 0 for a state other than bsUp) falls back to
    // a related state's, and in the end to bsUp's.
    TZCLButtonFaceEntry FaceFor(TZCLButtonState State) const;
    // sbAutosize sizes the button to the face image (20 x 20 when the list tells no size).
    TZCLBitmapStyle ButtonFaceStyle() const { return buttonFaceStyle_; }
    void SetButtonFaceStyle(TZCLBitmapStyle Value);
    // The drawing flag word of the face: the placement of ButtonFaceStyle, the palette unless QuickDraw, the
    // image's transparent colour with ForceTransparent.
    std::uint16_t FaceDrawFlags() const;
    bool QuickDraw() const { return quickDraw_; }
    void SetQuickDraw(bool Value);
    bool ForceTransparent() const { return forceTransparent_; }
    void SetForceTransparent(bool Value);
    // The colour the hit test takes as no part of the face; the face image's own once there is one.
    TColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(TColor Value) { transparentColor_ = Value; }
    // Pixels the caption moves right and down in the pressed states; negative values count as 0.
    int CaptionDown() const { return pressedOffset_; }
    void SetCaptionDown(int Value);
    // The mouse over the button shows its mouse-over face.
    bool AllowMouseOver() const { return TrackMouseOver(); }
    void SetAllowMouseOver(bool Value) { SetTrackMouseOver(Value); }
    // Only the face's own pixels count as on the button.
    bool AllowTransparency() const { return HitTest(); }
    void SetAllowTransparency(bool Value) { SetHitTest(Value); }

    // Where the face of State lies in the client area.
    TRect FaceRect(TZCLButtonState State);
    // Inside the face and not on its transparent colour.
    bool VerifyTransparency(int X, int Y) override;
    // The face list changed: the transparent colour, the size with sbAutosize, the picture.
    virtual void GetButtonFaceIMLChange(TObject* Sender);

    void Notification(TComponent* AComponent, TOperation Operation) override;
    void DefineProperties(TFiler* Filer) override;
    void Loaded() override;

    // The stream forms of the faces: sixteen int32, the image index of each state in state order, then the list
    // index of each state in reverse state order.
    void WriteIndicesNew2(TStream* Stream);
    void ReadIndicesNew2(TStream* Stream);
    // Older forms, read only: the first seven (list, image) pairs as raw int32 pairs; fourteen int32, the list
    // index of seven states, then their image index.
    void ReadIndices(TStream* Stream);
    void ReadIndicesNew(TStream* Stream);
    // One int32 colour without the palette flag.
    void WriteTransColor(TStream* Stream);
    void ReadTransColor(TStream* Stream);

protected:
    void Paint() override;
    bool MouseOverChangesLook() override;

private:
    bool ValidFace(const TZCLButtonFaceEntry& Face) const;
    void AutoSize();

    bool forceTransparent_ = true;
    bool quickDraw_ = false;
    std::unique_ptr<TZCLControlCore> face_;  // the face list with its change link
    TZCLBitmapStyle buttonFaceStyle_ = sbNone;
    TZCLButtonFace buttonFace_{};
    TColor transparentColor_ = clWhite;
};
