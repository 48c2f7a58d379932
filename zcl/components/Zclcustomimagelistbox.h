#pragma once
// An owner-drawn list box whose items show an image of a library image list beside their text. An item is a
// display text and, optionally, an image number joined by Delimiter ("name;3" shows "name" with image 3).

#include <windows.h>

#include <cstdint>
#include <memory>

#include "framework/visual/StdCtrls.h"
#include "zcl/core/Zclbase.h"

class TZCL3DCaption;
class TZCLControlCore;
class TZCLCustomImageList;
class TZCLGlyphTextLayout;

// lboImageListOrder: item n shows image n. lboCheckImageNr: the item shows only its display text.
// lboTransparentImages: images are drawn with their transparent colour left out.
enum TZCLImageBoxOption : std::uint8_t { lboImageListOrder, lboCheckImageNr, lboCalcHeight, lboTransparentImages };
using TZCLImageBoxOptions = TSet<TZCLImageBoxOption>;

class TZCLCustomImageListBox : public TCustomListBox {
public:
    explicit TZCLCustomImageListBox(TComponent* AOwner);
    ~TZCLCustomImageListBox() override;

    char Delimiter() const { return delimiter_; }
    void SetDelimiter(char Value);
    TZCLImageBoxOptions Options() const { return options_; }
    void SetOptions(TZCLImageBoxOptions Value);
    // Owned; assigning copies.
    TZCL3DCaption* Font3D() const { return font3D_.get(); }
    void SetFont3D(TZCL3DCaption* Value);
    // The image of items that carry no image number; -1 for none.
    int DefaultItem() const { return defaultItem_; }
    void SetDefaultItem(int Value);
    // Item backgrounds show the parent's picture where the parent can hand it over.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool Value);
    // Not owned; the list box follows its changes and forgets it when it is freed.
    TZCLCustomImageList* ImageList() const;
    void SetImageList(TZCLCustomImageList* Value);
    // Which item of a list of image strips the images come from.
    int ListIndex() const;
    // A negative or unchanged value is ignored.
    void SetIndex(int Value);
    // Owned; assigning copies. Places image and text inside an item.
    TZCLGlyphTextLayout* Layout() const { return layout_.get(); }
    void SetLayout(TZCLGlyphTextLayout* Value);
    // Items show their image without text.
    bool ImagesOnly() const { return imagesOnly_; }
    void SetImagesOnly(bool Value);
    // Texts wrap inside the item, which grows to hold them.
    bool MultiLine() const { return multiLine_; }
    void SetMultiline(bool Value);

    // Fired when the user changes the selection.
    TNotifyEvent OnSelect() const { return onSelect_; }
    void SetOnSelect(TNotifyEvent Value) { onSelect_ = Value; }

    // The image item Index shows, -1 for none: its own index with lboImageListOrder, else the number after the
    // last delimiter, else DefaultItem. An image the list does not have is none.
    int GetImageIndex(int Index);
    // The text before the item's last delimiter (the whole text without one); empty for a missing item.
    AnsiString GetStringValue(int Index);
    // No image list, or one without images.
    bool IMLEmpty();
    // Whether Items is written to form streams.
    bool StoreItems() const { return true; }
    // Transparent, and the parent hands over the picture behind the list box.
    bool CheckOptimized();

    // The display text of the selected item.
    virtual AnsiString GetFieldValue();
    // The image list changed: items are measured and drawn again.
    virtual void GetIMLChange(TObject* Sender);
    // Fires OnSelect.
    virtual void DoSelect();

    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void DefineProperties(TFiler* Filer) override;
    void Dispatch(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override;
    void MeasureItem(int Index, int& Height) override;
    // An owned option object changed.
    void GetChange(TObject* Sender);

private:
    struct ImageSource;
    // Where image Image comes from: a canvas and the area on it, with a mask canvas for masked strips.
    bool FindImage(int Image, ImageSource& Source);
    int ImageCount();
    AnsiString ShownText(int Index);
    void Remeasure();
    // The parent's picture under R (client coordinates) on Canvas; false when it cannot be had.
    bool DrawBack(TCanvas* Canvas, const TRect& R);
    void EraseFromParent(HDC DC);

    char delimiter_ = '|';
    TZCLImageBoxOptions options_{lboImageListOrder, lboCheckImageNr};
    std::unique_ptr<TZCL3DCaption> font3D_;
    int defaultItem_ = -1;
    bool transparent_ = false;
    std::unique_ptr<TZCLGlyphTextLayout> layout_;
    bool imagesOnly_ = false;
    bool multiLine_ = false;
    std::unique_ptr<TBitmap> scratch_;  // an image copied out of a list that has no canvas of its own
    std::unique_ptr<TZCLControlCore> core_;
    TNotifyEvent onSelect_;
};
