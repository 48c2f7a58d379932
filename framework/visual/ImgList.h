#pragma once
// Image lists: equally sized images (glyphs of actions, tool buttons, animation frames) in one system image
// list, with change links for the components that show them.

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "framework/runtime/Classes.h"
#include "framework/runtime/Closure.h"
#include "framework/visual/Graphics.h"
#include "framework/runtime/Handles.h"

class TCustomImageList;

// Told whenever the image list it is registered with changes. Freed, it leaves the list; a list that is freed
// first clears the link's Sender.
class TChangeLink : public TObject {
public:
    TChangeLink() = default;
    ~TChangeLink() override;

    TCustomImageList* Sender() const { return sender_; }
    void SetSender(TCustomImageList* value) { sender_ = value; }
    // Runs OnChange with the list as sender.
    virtual void Change();

    TNotifyEvent OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent value) { onChange_ = value; }

private:
    TCustomImageList* sender_ = nullptr;  // not owned
    TNotifyEvent onChange_;
};

struct ImageListTraits {
    static HIMAGELIST invalid() { return nullptr; }
    static bool valid(HIMAGELIST h) { return h != nullptr; }
    static void close(HIMAGELIST h) { ImageList_Destroy(h); }
};
using ImageListHandle = UniqueHandle<HIMAGELIST, ImageListTraits>;

class TCustomImageList : public TComponent {
public:
    // 16 x 16, masked, empty.
    explicit TCustomImageList(TComponent* owner);
    ~TCustomImageList() override;

    int Width() const { return width_; }
    int Height() const { return height_; }
    // A new size empties the list (the images do not fit any more) and tells the change. Raises
    // EInvalidOperation "Invalid image size" below 1.
    void SetWidth(int value) { SetSize(value, height_); }
    void SetHeight(int value) { SetSize(width_, value); }
    void SetSize(int width, int height);
    // Masked images have transparent parts. Switching empties the list.
    bool Masked() const { return masked_; }
    void SetMasked(bool value);
    int Count() const;
    // The system image list, owned by this object.
    HIMAGELIST Handle() const { return handle_.get(); }

    // Appends the images of image (as many as Width fits into its width; its height should be Height), with
    // the mask's transparent (white) parts, or opaque without a mask. Returns the index of the first new image,
    // -1 when nothing was added.
    int Add(TBitmap* image, TBitmap* mask);
    // Appends the images with the pixels of maskColor transparent (clDefault: the bitmap's transparent colour).
    // The bitmap is left as it was.
    int AddMasked(TBitmap* image, TColor maskColor);
    // Appends an icon, scaled to the list's size. Returns its index, -1 for an empty icon.
    int AddIcon(TIcon* icon);
    // Raises EInvalidOperation "Invalid image index" for an index out of range.
    void Delete(int index);
    void Clear();

    // Draws image index at (x, y): with its transparent parts left out when masked; a disabled image is drawn as
    // the etched shape of its opaque parts in the system's highlight and shadow colours. Nothing for a bad index.
    void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);
    // Makes image Width x Height, white, with image index drawn on it. Nothing for a null image or a bad index.
    void GetBitmap(int index, TBitmap* image);

    // Links are told of every change; a link registered with another list moves here.
    void RegisterChanges(TChangeLink* link);
    void UnRegisterChanges(TChangeLink* link);
    TNotifyEvent OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent value) { onChange_ = value; }

protected:
    // Tells the links (in registration order), then OnChange.
    virtual void Change();

private:
    void CreateList();
    bool ValidIndex(int index) const { return index >= 0 && index < Count(); }

    int width_ = 16;
    int height_ = 16;
    bool masked_ = true;
    ImageListHandle handle_;
    std::vector<TChangeLink*> links_;  // not owned
    TNotifyEvent onChange_;
};

class TImageList : public TCustomImageList {
public:
    explicit TImageList(TComponent* owner) : TCustomImageList(owner) {}
};
