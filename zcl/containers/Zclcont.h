#pragma once
// List containers: non-visual components that own an ordered list of items (bitmaps, strips of equal-sized
// images, string lists, raw data, waves), store them in forms as the binary property "Internal" of each item and
// save them as list files: a 9-byte signature, an int32 item count, an int32 offset per item and the item
// records. Controls follow a container through change links; the image lists give them one way to measure and
// draw images by list index and item index.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Closure.h"
#include "framework/runtime/Streams.h"
#include "framework/runtime/Types.h"
#include "framework/visual/Graphics.h"
#include "framework/visual/ImgList.h"
#include "zcl/core/Zclbase.h"
#include "zcl/core/Zclcustomcomponent.h"

class TReader;
class TWriter;
class TFiler;
class TZCLWave;

// The kind of a list: it picks the file signature and suffixes.
enum TZCLListItemClassType : std::uint8_t { icImageList, icBitmap, icWave, icStringList, icGeneric, icRTF, icInvalid };
// Where a bitmap list's items take their bitmaps from when they hold none.
enum TZCLContainerSource : std::uint8_t { sdComponent, sdFile, sdAppResource, sdLibResource, sdPath };
// The colour count a bitmap is stored with: its own format, 2, 16 or 256.
enum TZCLSavePixelFormat : std::uint8_t { spfDefault, spfMono, spf4bit, spf8bit };
enum TZCLDrawingStyle : std::uint8_t { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TZCLImageType : std::uint8_t { itImage, itMask };

// The absolute stream positions of a list file's items.
using TZCLOffsetList = std::vector<std::int32_t>;

class TZCLBaseContainer;
class TZCLCustomContainer;
class TZCLCustomImageList;
class TZCLListItem;

// Told about every change of the container it is registered with; freed, it leaves the container.
class TZCLChangeLink : public TObject {
public:
    TZCLChangeLink() = default;
    ~TZCLChangeLink() override;

    TZCLBaseContainer* Sender() const { return sender_; }
    void SetSender(TZCLBaseContainer* Value) { sender_ = Value; }
    TNotifyEvent OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent Value) { onChange_ = Value; }
    // OnChange with the container as sender.
    virtual void Change();

private:
    TZCLBaseContainer* sender_ = nullptr;  // not owned
    TNotifyEvent onChange_;
};

class TZCLBaseContainer : public TZCLCustomComponent {
public:
    explicit TZCLBaseContainer(TComponent* AOwner) : TZCLCustomComponent(AOwner) {}
    // Clears the Sender of every link still registered.
    ~TZCLBaseContainer() override;

    void RegisterChanges(TZCLChangeLink* Link);
    // Unknown links are ignored.
    void UnRegisterChanges(TZCLChangeLink* Link);
    // Every link in registration order (also while updating), then OnChange unless updating.
    void Change() override;

private:
    std::vector<TZCLChangeLink*> links_;  // not owned
};

class TZCLCustomContainer : public TZCLBaseContainer {
public:
    explicit TZCLCustomContainer(TComponent* AOwner);
    ~TZCLCustomContainer() override;

    bool DefaultCompressed() const { return defaultCompressed_; }
    void SetDefaultCompressed(bool Value) { defaultCompressed_ = Value; }
    TZCLPathPrefix Prefix() const { return prefix_; }
    void SetPrefix(TZCLPathPrefix Value);
    TZCLContainerSource Source() const { return source_; }
    // A new source empties the data of every item first (unless loading).
    void SetSource(TZCLContainerSource Value);
    const AnsiString& SourceFileName() const { return sourceFileName_; }
    void SetSourceFileName(const AnsiString& Value) { sourceFileName_ = Value; }
    TClass ItemClass() const { return itemClass_; }
    TZCLListItemClassType ListKind() const { return listKind_; }

    virtual int GetCount() const;
    virtual bool GetEmpty() const;
    // Raises EListError "List index out of bounds (%d)" for a bad index.
    virtual TZCLListItem* GetItem(int Index) const;
    int Count() const { return GetCount(); }
    TZCLListItem* Items(int Index) const { return GetItem(Index); }
    // The first item whose Description is exactly Name; nullptr when none.
    TZCLListItem* GetItemByName(const AnsiString& Name) const;
    int IndexOf(const TZCLListItem* Item) const;

    // A null item makes a new one of the item class; the container owns the item. Each of these ends with the
    // container's change.
    int Add(TZCLListItem* Item = nullptr);
    void Insert(int Index, TZCLListItem* Item = nullptr);
    void Delete(int Index);
    void Clear();
    void Move(int CurIndex, int NewIndex);
    // Appends a copy of every item of Other.
    void AddList(TZCLCustomContainer* Other);
    void Assign(TPersistent* Source) override;

    // The items are stored in forms as children of the container, and read back owned by it.
    void GetChildren(TGetChildProc Proc, TComponent* Root) override;
    TComponent* GetChildOwner() override { return this; }

    // A list file: the kind's signature, then the item stream with offsets. A file of another kind raises
    // EFOpenError "Cannot open file <name>: <class>" and the list keeps its items.
    void LoadFromFile(const AnsiString& FileName);
    void SaveToFile(const AnsiString& FileName);
    // The item stream without signature and offsets.
    void LoadFromStream(TStream* Stream);
    void SaveToStream(TStream* Stream);
    // Damaged data raises EReadError; the list keeps its earlier items then.
    virtual void ReadData(TStream* Stream, bool WithOffsets);
    virtual void WriteData(TStream* Stream, bool WithOffsets);
    // An item changed: the container's change.
    void Update(TObject* Sender);

    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    // Set by each list class: the kind and the item class, registered once per kind for form streams.
    void SetListKind(TZCLListItemClassType Kind, TClass ItemClass);
    TZCLListItem* NewItem(TComponent* Owner) const;
    void CheckIndex(int Index, int High) const;

private:
    bool defaultCompressed_ = false;
    std::vector<TZCLListItem*> items_;  // owned
    TZCLPathPrefix prefix_ = ppProgram;
    TZCLContainerSource source_ = sdComponent;
    AnsiString sourceFileName_;
    TClass itemClass_ = nullptr;
    TZCLListItemClassType listKind_ = icInvalid;
};

// List items ---------------------------------------------------------------------------------------------------

// What every item record begins with: a flag byte, then the description and the ident when they are set.
class TZCLListItem : public TComponent {
public:
    explicit TZCLListItem(TComponent* AOwner) : TComponent(AOwner) {}

    const AnsiString& Description() const { return description_; }
    void SetDescription(const AnsiString& Value) { description_ = Value; }
    std::uint16_t Ident() const { return ident_; }
    void SetIdent(std::uint16_t Value) { ident_ = Value; }
    // The item's data is stored block-packed.
    bool Compressed() const { return compressed_; }
    void SetCompressed(bool Value) { compressed_ = Value; }

    // Empties the data, keeping the item.
    virtual void FreeData() {}
    virtual bool GetEmpty() const { return false; }
    // The item record. Readers raise EReadError for damaged data and leave the item as it was.
    virtual void ReadData(TStream*) {}
    virtual void WriteData(TStream*) {}
    // Bit 0 Compressed, bit 1 a description, bit 2 an ident, bit 3 data, bits 4-6 the save pixel format.
    virtual std::uint8_t WriteFlag() const;

    // The position in the owning container; -1 without one.
    int GetIndex() const;
    TZCLCustomContainer* Container() const { return dynamic_cast<TZCLCustomContainer*>(Owner()); }
    void LoadFromStream(TStream* Stream) { ReadData(Stream); }
    void SaveToStream(TStream* Stream) { WriteData(Stream); }

    // Tells the owning container, unless an update is open.
    virtual void Change();
    void GetChange(TObject*) { Change(); }
    void BeginUpdate() { updating_ = true; }
    void EndUpdate(bool DoChange);
    bool IsUpdating() const { return updating_; }

    // Read from a form: the item joins its owning container.
    void ReadState(TReader* Reader) override;

protected:
    struct Header {
        std::uint8_t Flags = 0;
        AnsiString Description;
        std::uint16_t Ident = 0;
        bool HasData() const { return (Flags & 8) != 0; }
        TZCLSavePixelFormat PixelFormat() const;
    };
    // Description, ident and Compressed of another item.
    void AssignCommon(const TZCLListItem* Other);
    void WriteHeader(TStream* Stream) const;
    static Header ReadHeader(TStream* Stream);
    // Takes a header read before: Compressed, description and ident.
    void ApplyHeader(const Header& H);
    // The flag bits of a save pixel format, and the colour count it stores with.
    static std::uint8_t PixelFormatFlag(TZCLSavePixelFormat Format);
    static std::int32_t PixelFormatColors(TZCLSavePixelFormat Format);
    // The binary property "Internal": the item record, always stored.
    void DefineInternal(TFiler* Filer);

private:
    AnsiString description_;
    std::uint16_t ident_ = 0;
    bool compressed_ = false;
    bool updating_ = false;
};

class TZCLBitmapListItem : public TZCLListItem {
public:
    explicit TZCLBitmapListItem(TComponent* AOwner);
    ~TZCLBitmapListItem() override;

    // The bitmap; an empty one is first filled from the container's source (not while designing or loading).
    TBitmap* Bitmap();
    void SetBitmap(TBitmap* Value) { bitmap_->Assign(Value); }
    // The bitmap as it is held, without going to the source.
    TBitmap* StoredBitmap() const { return bitmap_.get(); }
    TZCLSavePixelFormat PixelFormat() const { return pixelFormat_; }
    void SetPixelFormat(TZCLSavePixelFormat Value) { pixelFormat_ = Value; }

    void Assign(TPersistent* Source) override;
    void FreeData() override;
    bool GetEmpty() const override { return bitmap_->Empty(); }
    void ReadData(TStream* Stream) override;
    void WriteData(TStream* Stream) override;
    std::uint8_t WriteFlag() const override;
    void DefineProperties(TFiler* Filer) override { DefineInternal(Filer); }

private:
    void LoadFromSource();
    std::unique_ptr<TBitmap> bitmap_;
    TZCLSavePixelFormat pixelFormat_ = spfDefault;
};

class TZCLStringListItem : public TZCLListItem {
public:
    explicit TZCLStringListItem(TComponent* AOwner);
    ~TZCLStringListItem() override;

    TStringList* Items() const { return items_.get(); }
    void SetItems(TStrings* Value) { items_->Assign(Value); }

    void Assign(TPersistent* Source) override;
    void FreeData() override { items_->Clear(); }
    bool GetEmpty() const override { return items_->Count() == 0; }
    void ReadData(TStream* Stream) override;
    void WriteData(TStream* Stream) override;
    std::uint8_t WriteFlag() const override;
    void DefineProperties(TFiler* Filer) override { DefineInternal(Filer); }

private:
    std::unique_ptr<TStringList> items_;
};

class TZCLGenericListItem : public TZCLListItem {
public:
    explicit TZCLGenericListItem(TComponent* AOwner);
    ~TZCLGenericListItem() override;

    TMemoryStream* Data() const { return data_.get(); }
    // The file the data came from.
    const AnsiString& FileName() const { return fileName_; }
    void SetFileName(const AnsiString& Value) { fileName_ = Value; }

    void Assign(TPersistent* Source) override;
    void FreeData() override;
    bool GetEmpty() const override { return data_->Size() == 0; }
    void ReadData(TStream* Stream) override;
    void WriteData(TStream* Stream) override;
    std::uint8_t WriteFlag() const override;
    void DefineProperties(TFiler* Filer) override { DefineInternal(Filer); }

private:
    std::unique_ptr<TMemoryStream> data_;
    AnsiString fileName_;
};

class TZCLWaveListItem : public TZCLListItem {
public:
    explicit TZCLWaveListItem(TComponent* AOwner);
    ~TZCLWaveListItem() override;

    TZCLWave* Wave() const { return wave_.get(); }
    void SetWave(TZCLWave* Value);

    void Assign(TPersistent* Source) override;
    void FreeData() override;
    bool GetEmpty() const override;
    void ReadData(TStream* Stream) override;
    void WriteData(TStream* Stream) override;
    std::uint8_t WriteFlag() const override;
    void DefineProperties(TFiler* Filer) override { DefineInternal(Filer); }

private:
    std::unique_ptr<TZCLWave> wave_;
};

// A strip of equal-sized images side by side in one bitmap Height pixels high, with a monochrome mask strip of
// the same layout when Masked. Strips wider than 32768 pixels raise EInvalidGraphicOperation "Too many images";
// images of the wrong size raise "Invalid image size".
class TZCLImageListItem : public TZCLListItem {
public:
    explicit TZCLImageListItem(TComponent* AOwner);
    // Raises "Invalid image size" for a width or height below 1.
    TZCLImageListItem(TComponent* AOwner, int AWidth, int AHeight);
    ~TZCLImageListItem() override;

    struct TImageInfo {
        std::uint16_t X;     // position in the strip
        std::uint8_t Masked;
    };

    int Count() const { return int(info_.size()); }
    // Images added per growth step.
    int AllocBy() const { return allocBy_; }
    void SetAllocBy(int Value) { allocBy_ = Value; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // A new size (values below 1 are ignored) empties the item.
    void SetWidth(int Value);
    void SetHeight(int Value);
    bool Masked() const { return masked_; }
    void SetMasked(bool Value);
    TZCLSavePixelFormat PixelFormat() const { return pixelFormat_; }
    void SetPixelFormat(TZCLSavePixelFormat Value) { pixelFormat_ = Value; }
    // The colour a masked image is drawn on with dsNormal; clNone draws it transparently.
    TColor BkColor() const { return bkColor_; }
    void SetBkColor(TColor Value) { bkColor_ = Value; }
    // The colour of the selection pattern of dsFocus and dsSelected.
    TColor PatternColor() const { return patternColor_; }
    void SetPatternColor(TColor Value) { patternColor_ = Value; }
    TZCLDrawingStyle DrawingStyle() const { return drawingStyle_; }
    void SetDrawingStyle(TZCLDrawingStyle Value) { drawingStyle_ = Value; }
    // Draws even a masked item as its plain image strip.
    bool DrawUnmasked() const { return drawUnmasked_; }
    void SetDrawUnmasked(bool Value) { drawUnmasked_ = Value; }
    int UsedWidth() const { return usedWidth_; }
    TBitmap* ImageStrip() const { return image_.get(); }
    TBitmap* MaskStrip() const { return mask_.get(); }
    const std::vector<TImageInfo>& Info() const { return info_; }

    // Room for one more image at the end; returns its index.
    int PrepareSpace();
    // False for no bitmap; true for Height high and a whole number of images wide; otherwise it raises.
    bool CheckImage(TBitmap* Image) const;
    // Adds every image of Image (with those of Mask for a masked item); returns the index of the first, -1 when
    // the bitmap does not fit. With neither, only room is made.
    int Add(TBitmap* Image, TBitmap* Mask);
    // The images of Bitmap with Color as the transparent colour.
    int AddMasked(TBitmap* Bitmap, TColor Color);
    // Appends every image of Other, which must have the same size.
    void AddImages(TZCLImageListItem* Other);
    // Index at or beyond the count adds.
    void Insert(int Index, TBitmap* Image, TBitmap* Mask);
    void InsertMasked(int Index, TBitmap* Bitmap, TColor Color);
    void InsertImages(int Index, TZCLImageListItem* Other);
    // The first image of Image into image Index; without a mask a masked item's image is opaque.
    void Replace(int Index, TBitmap* Image, TBitmap* Mask);
    void ReplaceMasked(int Index, TBitmap* Bitmap, TColor Color);
    void Delete(int Index);
    void Move(int CurIndex, int NewIndex);
    void Clear();
    // Cuts Bitmap into Count images; raises "Invalid image size" when it cannot.
    void ConvertBmpToIML(TBitmap* Bitmap, int Count, bool AMasked);
    // A bitmap file cut into Count images; raises "Cannot open file <name>: <name>" when it cannot.
    bool LoadFromBitmap(const AnsiString& FileName, int Count, bool AMasked);
    // A one-item image list file.
    void SaveToFile(const AnsiString& FileName);
    void LoadFromFile(const AnsiString& FileName);

    TRect GetImageRect(int Index) const;
    void GetBitmap(int Index, TBitmap* Target);
    void GetMaskBitmap(int Index, TBitmap* Target);
    // The colour of the image's bottom-left pixel.
    TColor TransparentColor(int Index);
    // The pixel at P inside image Index (P counted from the image's top-left); white outside.
    TColor GetColorAtPoint(const TPoint& P, int Index);
    // The checkerboard of the selection (every pixel with x + y odd) or of the focus (all but both odd).
    void CreatePattern(TBitmap* Bitmap, bool Selected);

    void Draw(TCanvas* Canvas, int X, int Y, int Index);
    // Image Index into R by the drawing flag word: a masked item with its mask, an unmasked one with its
    // bottom-left colour (palette-relative) as the transparent colour. OutRect is where the drawing went.
    void DrawExt(TCanvas* Canvas, const TRect& R, TRect& OutRect, int Index, std::uint16_t Style);
    // Clipped drawing; an unmasked item takes Color as the transparent colour.
    void ClipDraw(TCanvas* Canvas, const TRect& R, int Index, std::int32_t ClipValue, TColor Color,
                  std::uint16_t Style);

    void Assign(TPersistent* Source) override;
    void FreeData() override { Clear(); }
    bool GetEmpty() const override { return info_.empty(); }
    void ReadData(TStream* Stream) override;
    void WriteData(TStream* Stream) override;
    std::uint8_t WriteFlag() const override;
    // "Internal", and the older "Bitmap" (the strip part of the record), which is read and never written.
    void DefineProperties(TFiler* Filer) override;

private:
    void CheckIndex(int Index) const;
    // Grows both strips so that NeedWidth pixels fit, in steps of AllocBy images.
    void GrowTo(int NeedWidth);
    void RebuildInfo(int N);
    void ClearStrips();
    // The strip part of the record: count, image strip, mask strip.
    void WriteStrips(TStream* Stream);
    void ReadStrips(TStream* Stream, int AWidth, int AHeight, bool AMasked);
    void ReadLegacyBitmap(TStream* Stream);
    void CopyImage(TBitmap* Target, TBitmap* Source, int SourceX);
    void DrawMasked(HDC Dest, int X, int Y, int Index);

    int allocBy_ = 4;
    int height_ = 16;
    int width_ = 16;
    int usedWidth_ = 0;
    TZCLSavePixelFormat pixelFormat_ = spfDefault;
    TColor bkColor_ = clNone;
    TColor patternColor_ = clNone;
    TZCLDrawingStyle drawingStyle_ = dsNormal;
    std::unique_ptr<TBitmap> image_;
    std::unique_ptr<TBitmap> mask_;
    std::vector<TImageInfo> info_;
    bool drawUnmasked_ = false;
    bool masked_ = false;
};

// Image lists --------------------------------------------------------------------------------------------------

// What controls draw from: one list index picks the item, one item index the image in it. Queries out of range
// give neutral values (0, white, no palette).
class TZCLCustomImageList : public TZCLCustomContainer {
public:
    explicit TZCLCustomImageList(TComponent* AOwner) : TZCLCustomContainer(AOwner) {}

    // The item single-item operations address. Raises EInvalidGraphicOperation "List index out of bounds (<n>)"
    // for an index that is no item's.
    int ListIndex() const { return listIndex_; }
    void SetListIndex(int Value);
    TZCLSavePixelFormat DefaultPixelFormat() const { return defaultPixelFormat_; }
    void SetDefaultPixelFormat(TZCLSavePixelFormat Value) { defaultPixelFormat_ = Value; }
    void Assign(TPersistent* Source) override;

    virtual TCanvas* BmpCanvas(int ListIndex) = 0;
    virtual TRect ItemRect(int ListIndex, int ItemIndex) = 0;
    // Which 0 the width, 1 the height.
    virtual int Dimensions(int ListIndex, int Which) = 0;
    virtual int ItemCount(int ListIndex) = 0;
    virtual bool IsValidItem(int ListIndex, int ItemIndex) = 0;
    virtual void GetBitmapItem(int ListIndex, int ItemIndex, TBitmap* Target) = 0;
    virtual bool Masked(int ListIndex) = 0;
    virtual HPALETTE Palette(int ListIndex) = 0;
    virtual TColor TransparentColor(int ListIndex, int ItemIndex) = 0;
    virtual TColor GetColorAtPoint(const TPoint& P, int ListIndex, int ItemIndex) = 0;
    virtual void Draw(TCanvas* Canvas, int X, int Y, int ListIndex, int ItemIndex) = 0;
    // Into R by the drawing flag word, with the image's transparent colour.
    virtual void DrawExt(TCanvas* Canvas, const TRect& R, std::uint16_t Style, int ListIndex, int ItemIndex) = 0;
    virtual void ClipDraw(TCanvas* Canvas, const TRect& R, std::uint16_t Style, std::int32_t ClipValue, TColor Color,
                          int ListIndex, int ItemIndex) = 0;

protected:
    bool InRange(int ListIndex) const { return ListIndex >= 0 && ListIndex < GetCount(); }
    void ResetListIndex() { listIndex_ = 0; }

private:
    int listIndex_ = 0;
    TZCLSavePixelFormat defaultPixelFormat_ = spfDefault;
};

// One bitmap per item; the item index is ignored.
class TZCLBitmapList : public TZCLCustomImageList {
public:
    explicit TZCLBitmapList(TComponent* AOwner);

    // The bitmap of item Index (nullptr out of range).
    TBitmap* GetBitmap(int Index);
    TZCLBitmapListItem* BitmapItem(int Index) const;

    TCanvas* BmpCanvas(int ListIndex) override;
    TRect ItemRect(int ListIndex, int ItemIndex) override;
    int Dimensions(int ListIndex, int Which) override;
    int ItemCount(int ListIndex) override;
    bool IsValidItem(int ListIndex, int ItemIndex) override;
    void GetBitmapItem(int ListIndex, int ItemIndex, TBitmap* Target) override;
    bool Masked(int) override { return false; }
    HPALETTE Palette(int ListIndex) override;
    TColor TransparentColor(int ListIndex, int ItemIndex) override;
    TColor GetColorAtPoint(const TPoint& P, int ListIndex, int ItemIndex) override;
    void Draw(TCanvas* Canvas, int X, int Y, int ListIndex, int ItemIndex) override;
    void DrawExt(TCanvas* Canvas, const TRect& R, std::uint16_t Style, int ListIndex, int ItemIndex) override;
    void ClipDraw(TCanvas* Canvas, const TRect& R, std::uint16_t Style, std::int32_t ClipValue, TColor Color,
                  int ListIndex, int ItemIndex) override;
};

// Items are image strips.
class TZCLImageList : public TZCLCustomImageList {
public:
    explicit TZCLImageList(TComponent* AOwner);

    TZCLImageListItem* StripItem(int Index) const;
    // Also goes back to list index 0.
    void Assign(TPersistent* Source) override;

    TCanvas* BmpCanvas(int ListIndex) override;
    TRect ItemRect(int ListIndex, int ItemIndex) override;
    int Dimensions(int ListIndex, int Which) override;
    int ItemCount(int ListIndex) override;
    bool IsValidItem(int ListIndex, int ItemIndex) override;
    void GetBitmapItem(int ListIndex, int ItemIndex, TBitmap* Target) override;
    bool Masked(int ListIndex) override;
    HPALETTE Palette(int ListIndex) override;
    TColor TransparentColor(int ListIndex, int ItemIndex) override;
    TColor GetColorAtPoint(const TPoint& P, int ListIndex, int ItemIndex) override;
    void Draw(TCanvas* Canvas, int X, int Y, int ListIndex, int ItemIndex) override;
    void DrawExt(TCanvas* Canvas, const TRect& R, std::uint16_t Style, int ListIndex, int ItemIndex) override;
    void ClipDraw(TCanvas* Canvas, const TRect& R, std::uint16_t Style, std::int32_t ClipValue, TColor Color,
                  int ListIndex, int ItemIndex) override;
};

class TZCLImageListConnector;

// One framework image list of a connector.
class TZCLBorImageListItem : public TCollectionItem {
public:
    explicit TZCLBorImageListItem(TCollection* Collection);
    ~TZCLBorImageListItem() override;
    void Assign(TPersistent* Source) override;

    const AnsiString& Name() const { return name_; }
    void SetName(const AnsiString& Value);
    TCustomImageList* ImageList() const { return imageList_; }
    // Moves the change link to the new list, which tells the connector when it is freed.
    void SetImageList(TCustomImageList* Value);

protected:
    AnsiString GetDisplayName() const override;

private:
    friend class TZCLImageListConnector;
    void ListChanged(TObject* Sender);
    AnsiString name_;
    TCustomImageList* imageList_ = nullptr;  // not owned
    std::unique_ptr<TChangeLink> link_;
};

class TZCLBorImageListItems : public TOwnedCollection {
public:
    explicit TZCLBorImageListItems(TZCLImageListConnector* Owner);
    TZCLBorImageListItem* Items(int Index) const { return static_cast<TZCLBorImageListItem*>(TCollection::Items(Index)); }
    TZCLImageListConnector* Connector() const { return connector_; }
    // The connector is going: changes are no longer told.
    void Detach() { connector_ = nullptr; }

protected:
    void Update(TCollectionItem* Item) override;

private:
    TZCLImageListConnector* connector_;
};

// Items are framework image lists.
class TZCLImageListConnector : public TZCLCustomImageList {
public:
    explicit TZCLImageListConnector(TComponent* AOwner);
    ~TZCLImageListConnector() override;

    TZCLBorImageListItems* ImageLists() const { return imageLists_.get(); }
    void SetImageLists(TZCLBorImageListItems* Value) { imageLists_->Assign(Value); }
    TCustomImageList* FrameworkList(int ListIndex) const;

    int GetCount() const override { return imageLists_->Count(); }
    // One scratch item, described with the collection item's Name.
    TZCLListItem* GetItem(int Index) const override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TCanvas* BmpCanvas(int) override { return nullptr; }
    TRect ItemRect(int ListIndex, int ItemIndex) override;
    int Dimensions(int ListIndex, int Which) override;
    int ItemCount(int ListIndex) override;
    bool IsValidItem(int ListIndex, int ItemIndex) override;
    void GetBitmapItem(int ListIndex, int ItemIndex, TBitmap* Target) override;
    bool Masked(int ListIndex) override;
    HPALETTE Palette(int) override { return nullptr; }
    TColor TransparentColor(int ListIndex, int ItemIndex) override;
    TColor GetColorAtPoint(const TPoint&, int, int) override { return clWhite; }
    void Draw(TCanvas* Canvas, int X, int Y, int ListIndex, int ItemIndex) override;
    void DrawExt(TCanvas* Canvas, const TRect& R, std::uint16_t Style, int ListIndex, int ItemIndex) override;
    void ClipDraw(TCanvas* Canvas, const TRect& R, std::uint16_t Style, std::int32_t ClipValue, TColor Color,
                  int ListIndex, int ItemIndex) override;

private:
    std::unique_ptr<TZCLBorImageListItems> imageLists_;
    std::unique_ptr<TZCLListItem> scratch_;
};

class TZCLGraphicList;

// One picture of a graphic list.
class TZCLGraphicListItem : public TCollectionItem {
public:
    explicit TZCLGraphicListItem(TCollection* Collection);
    ~TZCLGraphicListItem() override;
    void Assign(TPersistent* Source) override;

    const AnsiString& Name() const { return name_; }
    void SetName(const AnsiString& Value);
    TPicture* Picture() const { return picture_.get(); }
    void SetPicture(TPicture* Value) { picture_->Assign(Value); }

protected:
    AnsiString GetDisplayName() const override;

private:
    void PictureChanged(TObject* Sender);
    AnsiString name_;
    std::unique_ptr<TPicture> picture_;
};

class TZCLGraphicListItems : public TOwnedCollection {
public:
    explicit TZCLGraphicListItems(TZCLGraphicList* Owner);
    TZCLGraphicListItem* Items(int Index) const { return static_cast<TZCLGraphicListItem*>(TCollection::Items(Index)); }
    // The list is going: changes are no longer told.
    void Detach() { list_ = nullptr; }

protected:
    void Update(TCollectionItem* Item) override;

private:
    TZCLGraphicList* list_;
};

// Items are pictures.
class TZCLGraphicList : public TZCLCustomImageList {
public:
    explicit TZCLGraphicList(TComponent* AOwner);
    ~TZCLGraphicList() override;

    TZCLGraphicListItems* Graphics() const { return graphics_.get(); }
    void SetGraphics(TZCLGraphicListItems* Value) { graphics_->Assign(Value); }
    // The graphic of item ListIndex, nullptr out of range or for an empty picture.
    TGraphic* Graphic(int ListIndex) const;

    int GetCount() const override { return graphics_->Count(); }
    TZCLListItem* GetItem(int Index) const override;

    TCanvas* BmpCanvas(int) override { return nullptr; }
    TRect ItemRect(int ListIndex, int ItemIndex) override;
    int Dimensions(int ListIndex, int Which) override;
    int ItemCount(int ListIndex) override;
    bool IsValidItem(int ListIndex, int ItemIndex) override;
    void GetBitmapItem(int ListIndex, int ItemIndex, TBitmap* Target) override;
    bool Masked(int) override { return false; }
    HPALETTE Palette(int ListIndex) override;
    TColor TransparentColor(int ListIndex, int ItemIndex) override;
    TColor GetColorAtPoint(const TPoint&, int, int) override { return clWhite; }
    void Draw(TCanvas* Canvas, int X, int Y, int ListIndex, int ItemIndex) override;
    void DrawExt(TCanvas* Canvas, const TRect& R, std::uint16_t Style, int ListIndex, int ItemIndex) override;
    void ClipDraw(TCanvas* Canvas, const TRect& R, std::uint16_t Style, std::int32_t ClipValue, TColor Color,
                  int ListIndex, int ItemIndex) override;

private:
    std::unique_ptr<TZCLGraphicListItems> graphics_;
    std::unique_ptr<TZCLListItem> scratch_;
};

// Other lists --------------------------------------------------------------------------------------------------

class TZCLStringList : public TZCLCustomContainer {
public:
    explicit TZCLStringList(TComponent* AOwner);
};

class TZCLGenericList : public TZCLCustomContainer {
public:
    explicit TZCLGenericList(TComponent* AOwner);
};

class TZCLWaveList : public TZCLCustomContainer {
public:
    explicit TZCLWaveList(TComponent* AOwner);
};

// The four main lists together; the default one stands for the global lists in form streams.
class TZCLContainer : public TZCLBaseContainer {
public:
    explicit TZCLContainer(TComponent* AOwner);
    ~TZCLContainer() override;

    TZCLBitmapList* BitmapList() const { return bitmapList_; }
    TZCLImageList* ImageList() const { return imageList_; }
    TZCLWaveList* WaveList() const { return waveList_; }
    TZCLStringList* StringList() const { return stringList_; }
    void SetBitmapList(TZCLBitmapList* Value) { bitmapList_->Assign(Value); }
    void SetImageList(TZCLImageList* Value) { imageList_->Assign(Value); }
    void SetWaveList(TZCLWaveList* Value) { waveList_->Assign(Value); }
    void SetStringList(TZCLStringList* Value) { stringList_->Assign(Value); }

    // A list of its own changed at design time: the default container's list gets a copy of it.
    void GetChange(TObject* Sender) override;

private:
    TZCLBitmapList* bitmapList_;
    TZCLImageList* imageList_;
    TZCLWaveList* waveList_;
    TZCLStringList* stringList_;
};

// The default container: made before the program's entry runs, freed at its end.
TZCLContainer* ZCLDefaultContainer();

// Stores the lists of a container in its form: its own at design time, the default one at run time.
class TZCLContainerCtrl : public TComponent {
public:
    // At design time a second one on the same form raises ZCLEOneInstError.
    explicit TZCLContainerCtrl(TComponent* AOwner);
    ~TZCLContainerCtrl() override;

    const AnsiString& About() const { return about_; }
    void SetAbout(const AnsiString& Value) { about_ = Value; }
    TZCLContainer* Container() const { return container_; }
    // 0 none, 1 bitmap list, 2 image list, 3 wave list, 4 string list; 255 marks a refused second instance.
    std::uint8_t SelectedList() const { return selected_; }
    void SetSelectedList(std::uint8_t Value) { selected_ = Value; }

    // The selected list's item stream; nothing for no selection.
    void ReadStream(TStream* Stream);
    void WriteStream(TStream* Stream);
    // "BitmapList", "ImageList", "WaveList", "StringList", each stored when its list is not empty.
    void DefineProperties(TFiler* Filer) override;

private:
    TZCLCustomContainer* Selected() const;
    AnsiString about_;
    TZCLContainer* container_ = nullptr;
    std::unique_ptr<TZCLContainer> own_;
    std::uint8_t selected_ = 0;
};

// Free procedures ----------------------------------------------------------------------------------------------

// The list-file or item-file suffix of a kind ("bml", "bmp", ...), with a leading "." when asked and not empty.
AnsiString ZCLICGetSuffix(TZCLListItemClassType Kind, bool WithDot);
AnsiString ZCLICGetItemSuffix(TZCLListItemClassType Kind, bool WithDot);
// The 9-byte signature of a kind's list files ("\x08ZCLBML30"), empty for icInvalid.
AnsiString ZCLICGetSignature(TZCLListItemClassType Kind);

// The kind of a list file, icInvalid for an unknown signature; Count is the int32 after the signature (-1 when
// there is none). With a known signature and a list, the list becomes the file's item offsets. A known file
// whose count cannot be right raises EReadError.
TZCLListItemClassType ZCLListGetFileType(const AnsiString& FileName, int& Count, TZCLOffsetList* List);
// Reads item Index at its offset; false without offsets or for an index out of range.
bool ZCLListGetItemFromStream(TStream* Stream, const TZCLOffsetList* List, int Index, TZCLListItem* Item);
// One item of a list file, without loading the whole list. A file of another kind raises EFOpenError
// "Cannot open file <name>: <name>".
bool ZCLListGetItemFromFile(const AnsiString& FileName, TZCLListItemClassType Kind, const TZCLOffsetList* List,
                            TZCLListItem* Item, int Index);
bool ZCLBMLGetItem(const AnsiString& FileName, int Index, TBitmap* Bitmap);
bool ZCLIMLGetItem(const AnsiString& FileName, int Index, TZCLImageListItem* Item);
bool ZCLWVLGetItem(const AnsiString& FileName, int Index, TZCLWave* Wave);

// The bitmap resource Ident of the module (the program's for none); false when it has none.
bool ZCLBmpLoad(HINSTANCE Module, int Ident, TBitmap* Bitmap);
// The same from a library loaded for its resources only.
bool ZCLBmpLoadFromFile(const AnsiString& LibraryName, int Ident, TBitmap* Bitmap);

// A reference to a default list in a form: "ZCLBML30" for the default bitmap list, "ZCLIML30" for the default
// image list, nothing for any other list.
void ZCLWriteGlobalIdent(TWriter* Writer, TZCLCustomImageList* ImageList);
TZCLCustomImageList* ZCLReadGlobalIdent(TReader* Reader);
bool ZCLIsGlobalIdent(const TZCLCustomImageList* ImageList);
// Lists whose items are one picture each, and lists over collections.
bool ZCLIsSingleItemImageList(const TZCLCustomImageList* ImageList);
bool ZCLIsCollectionImageList(const TZCLCustomImageList* ImageList);
