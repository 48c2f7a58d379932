#pragma once
// The caret an edit shows while it has the focus: its shape and size, a bitmap caret (from a bitmap or an image
// list item, as it is, tiled or stretched) and its blink rate. The system's caret and blink time belong to the
// whole session: the caret's own rate is set while it is enabled and the system's rate is given back when it is
// disabled or destroyed.

#include <windows.h>

#include <cstdint>
#include <memory>

#include "framework/visual/Controls.h"
#include "framework/visual/Graphics.h"
#include "zcl/core/Zclobject.h"

class TZCLChangeLink;
class TZCLCustomImageList;

enum TZCLCaretStyles : std::uint8_t { csDefault, csBlock, csUnder, csOver, csBitmap, csUnderBlock };
enum TZCLCaretBitmap : std::uint8_t { cbBmpSize, cbTile, cbStretch };

class TZCLCaret : public TZCLObject {
public:
    // Position (1, 1); the blink rate is the system's (as it is when no caret has changed it).
    explicit TZCLCaret(TWinControl* AOwner);
    // Gives the system's blink time back if it is still the caret's.
    ~TZCLCaret() override;

    // From another caret: BlinkRate, Width, Height and Style, then one change; other sources are ignored.
    void Assign(TPersistent* Source) override;

    TWinControl* Owner() const { return owner_; }
    TBitmap* Bitmap() const { return bitmap_.get(); }
    // Copies the bitmap into the caret's own.
    void SetBitmap(TBitmap* Value);
    std::uint16_t TextHeight() const { return textHeight_; }
    void SetTextHeight(std::uint16_t Value) { textHeight_ = Value; }
    std::uint16_t Width() const { return width_; }
    void SetWidth(std::uint16_t Value);
    std::uint16_t Height() const { return height_; }
    void SetHeight(std::uint16_t Value);
    // Milliseconds; applied to the system while the caret is enabled.
    std::uint16_t BlinkRate() const { return blinkRate_; }
    void SetBlinkRate(std::uint16_t Value);
    // The system's rate the caret gives back.
    std::uint16_t SavedBlinkRate() const { return savedBlinkRate_; }
    TZCLCaretStyles Style() const { return style_; }
    void SetStyle(TZCLCaretStyles Value);
    TZCLCaretBitmap CaretBmpMode() const { return caretBmpMode_; }
    void SetCaretBmpMode(TZCLCaretBitmap Value);
    bool Built() const { return built_; }
    bool Enabled() const { return enabled_; }
    int PosX() const { return posX_; }
    int PosY() const { return posY_; }

    // The caret's picture from an image list (not owned; its changes copy the item again).
    TZCLCustomImageList* ImageList() const { return imageList_; }
    void SetImageList(TZCLCustomImageList* Value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int Value);
    int ListIndex() const { return listIndex_; }
    void SetListIndex(int Value);
    // The owner passes on the removal of components: a freed list is let go.
    void Notification(TComponent* AComponent, TOperation Operation);

    // The width and height of the caret the style makes.
    TPoint CaretSize() const;
    // Makes the system caret on the owner's window in the style's shape and sets the caret's blink rate.
    void BuildCaret();
    // Outside design time: builds the caret once, sets the blink rate and shows the caret.
    void Enable();
    // Hides the caret and gives the system's blink time back.
    void Disable();
    // With the owner's window: gives the system's blink time back and destroys the system caret.
    void DestroyCaret();
    // Where the caret is put (client coordinates of the owner).
    void GetPos(int& X, int& Y) const;
    // Moves the system caret (client coordinates of the owner).
    void SetPos(int X, int Y);
    // Around drawing outside painting; only while the caret is shown.
    void Hide();
    void Show();
    bool Visible() const { return visible_; }

private:
    void Changed();
    void ImageListChange(TObject* Sender);
    void CopyListItem();
    void ApplyBlinkRate();
    void RestoreBlinkRate();
    bool OwnerWindow() const;

    TWinControl* owner_;  // not owned: the control that owns this caret
    std::unique_ptr<TBitmap> bitmap_;
    std::unique_ptr<TBitmap> builtBitmap_;  // the tiled or stretched picture the system caret shows
    std::uint16_t textHeight_ = 0;
    std::uint16_t width_ = 2;
    std::uint16_t height_ = 10;
    std::uint16_t blinkRate_;
    std::uint16_t savedBlinkRate_;
    TZCLCaretStyles style_ = csDefault;
    bool built_ = false;
    bool enabled_ = false;
    bool visible_ = false;
    TZCLCaretBitmap caretBmpMode_ = cbBmpSize;
    int posX_ = 1;
    int posY_ = 1;
    TZCLCustomImageList* imageList_ = nullptr;  // not owned
    int imageIndex_ = 0;
    int listIndex_ = 0;
    std::unique_ptr<TZCLChangeLink> link_;
};
