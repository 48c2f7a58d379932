// Containers, change links, list items with their records, list files and the default container.

#include "zcl/containers/Zclcont.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Handles.h"
#include "framework/runtime/Streams.h"
#include "framework/runtime/SysUtils.h"
#include "zcl/containers/Zclstreamutils.h"
#include "zcl/containers/Zclwave.h"
#include "zcl/core/Zclclass.h"
#include "zcl/core/Zclprocs.h"

namespace {

const char* const Signatures[] = {"ZCLIML30", "ZCLBML30", "ZCLWVL30", "ZCLSLL30", "ZCLGLL50", "ZCLRTL50"};
const char* const ListSuffixes[] = {"iml", "bml", "wvl", "sll", "gll", "rtl", ""};
const char* const ItemSuffixes[] = {"iml", "bmp", "wav", "txt", "*", "rtf", ""};

AnsiString Dotted(const char* suffix, bool dot)
{
    const AnsiString s(suffix);
    return dot && !s.IsEmpty() ? "." + s : s;
}

int Remaining(TStream* Stream) { return std::max(0, Stream->Size() - Stream->Position()); }

[[noreturn]] void ReadError() { throw EReadError("Stream read error"); }

[[noreturn]] void CannotOpen(const AnsiString& FileName, const AnsiString& What)
{
    throw EFOpenError(Format("%s: %s", Format("Cannot open file %s", FileName), What));
}

// The 9 bytes at the stream's position as a kind; icInvalid when they are no signature (or not there).
TZCLListItemClassType ReadSignature(TStream* Stream)
{
    char sig[9];
    if (Stream->Read(sig, 9) != 9 || sig[0] != 8) return icInvalid;
    for (int k = 0; k < 6; ++k)
        if (std::memcmp(sig + 1, Signatures[k], 8) == 0) return TZCLListItemClassType(k);
    return icInvalid;
}

const char* const PixelFormatNames[] = {"spfDefault", "spfMono", "spf4bit", "spf8bit"};

template <typename C>
void PublishItem(PublishedProperties<C>& p)
{
    p.Integer("Ident", &C::Ident, &C::SetIdent, 0).String("Description", &C::Description, &C::SetDescription);
}

template <typename C>
void PublishList(bool withPixelFormat)
{
    PublishedProperties<C> p;
    p.String("About", &C::About, &C::SetAbout).Boolean("DefaultCompressed", &C::DefaultCompressed,
                                                       &C::SetDefaultCompressed, false);
    if constexpr (std::is_base_of_v<TZCLCustomImageList, C>)
        if (withPixelFormat)
            p.Enumeration("DefaultPixelFormat", &C::DefaultPixelFormat, &C::SetDefaultPixelFormat,
                          {PixelFormatNames[0], PixelFormatNames[1], PixelFormatNames[2], PixelFormatNames[3]},
                          spfDefault);
}

// The items' data is stored in "Internal"; their bitmap, lines and wave are not stored again on their own.
const bool containersPublished = [] {
    PublishedProperties<TZCLBitmapListItem> bitmapItem;
    bitmapItem.Object("Bitmap", &TZCLBitmapListItem::StoredBitmap, &TZCLBitmapListItem::SetBitmap).Stored(false);
    PublishItem(bitmapItem);
    PublishedProperties<TZCLStringListItem> stringItem;
    stringItem.Object("Items", &TZCLStringListItem::Items, &TZCLStringListItem::SetItems).Stored(false);
    PublishItem(stringItem);
    PublishedProperties<TZCLWaveListItem> waveItem;
    waveItem.Object("Wave", &TZCLWaveListItem::Wave, &TZCLWaveListItem::SetWave).Stored(false);
    PublishItem(waveItem);
    PublishedProperties<TZCLImageListItem>()
        .Integer("AllocBy", &TZCLImageListItem::AllocBy, &TZCLImageListItem::SetAllocBy, 4)
        .String("Description", &TZCLImageListItem::Description, &TZCLImageListItem::SetDescription)
        .Boolean("Masked", &TZCLImageListItem::Masked, &TZCLImageListItem::SetMasked, false)
        .Integer("Height", &TZCLImageListItem::Height, &TZCLImageListItem::SetHeight, 16)
        .Integer("Width", &TZCLImageListItem::Width, &TZCLImageListItem::SetWidth, 16);
    PublishList<TZCLBitmapList>(true);
    PublishList<TZCLImageList>(true);
    PublishList<TZCLStringList>(false);
    PublishList<TZCLGenericList>(false);
    PublishList<TZCLWaveList>(false);
    PublishedProperties<TZCLImageListConnector>()
        .String("About", &TZCLImageListConnector::About, &TZCLImageListConnector::SetAbout)
        .Object("ImageLists", &TZCLImageListConnector::ImageLists, &TZCLImageListConnector::SetImageLists);
    PublishedProperties<TZCLGraphicList>()
        .String("About", &TZCLGraphicList::About, &TZCLGraphicList::SetAbout)
        .Object("Graphics", &TZCLGraphicList::Graphics, &TZCLGraphicList::SetGraphics);
    PublishedProperties<TZCLContainerCtrl>().String("About", &TZCLContainerCtrl::About, &TZCLContainerCtrl::SetAbout);
    RegisterClasses({ClassOf<TZCLBitmapList>(), ClassOf<TZCLImageList>(), ClassOf<TZCLStringList>(),
                     ClassOf<TZCLGenericList>(), ClassOf<TZCLWaveList>(), ClassOf<TZCLImageListConnector>(),
                     ClassOf<TZCLGraphicList>(), ClassOf<TZCLContainerCtrl>()});
    return true;
}();

}  // namespace

// Change links and containers -----------------------------------------------------------------------------------

TZCLChangeLink::~TZCLChangeLink()
{
    if (sender_) sender_->UnRegisterChanges(this);
}

void TZCLChangeLink::Change()
{
    if (onChange_) onChange_(sender_);
}

TZCLBaseContainer::~TZCLBaseContainer()
{
    for (TZCLChangeLink* link : links_) link->SetSender(nullptr);
}

void TZCLBaseContainer::RegisterChanges(TZCLChangeLink* Link)
{
    if (!Link) return;
    if (Link->Sender() && Link->Sender() != this) Link->Sender()->UnRegisterChanges(Link);
    Link->SetSender(this);
    // Once only: a freed link takes one entry away with it.
    if (std::find(links_.begin(), links_.end(), Link) == links_.end()) links_.push_back(Link);
}

void TZCLBaseContainer::UnRegisterChanges(TZCLChangeLink* Link)
{
    const auto it = std::find(links_.begin(), links_.end(), Link);
    if (it == links_.end()) return;
    links_.erase(it);
    Link->SetSender(nullptr);
}

void TZCLBaseContainer::Change()
{
    // A link may unregister itself while told: walk a copy.
    const std::vector<TZCLChangeLink*> links = links_;
    for (TZCLChangeLink* link : links)
        if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->Change();
    TZCLCustomComponent::Change();
}

TZCLCustomContainer::TZCLCustomContainer(TComponent* AOwner) : TZCLBaseContainer(AOwner) {}

TZCLCustomContainer::~TZCLCustomContainer()
{
    std::vector<TZCLListItem*> items = std::move(items_);
    items_.clear();
    for (auto it = items.rbegin(); it != items.rend(); ++it) delete *it;
}

void TZCLCustomContainer::SetListKind(TZCLListItemClassType Kind, TClass ItemClass)
{
    static bool registered[6] = {};
    listKind_ = Kind;
    itemClass_ = ItemClass;
    if (Kind < icInvalid && !registered[Kind]) {
        registered[Kind] = true;
        RegisterClass(ItemClass);
    }
}

TZCLListItem* TZCLCustomContainer::NewItem(TComponent* Owner) const
{
    if (!itemClass_) throw EComponentError(ClassName() + " has no item class");
    TComponent* c = itemClass_->Create(Owner);
    auto* item = dynamic_cast<TZCLListItem*>(c);
    if (!item) {
        delete c;
        throw EComponentError(ClassName() + " has no item class");
    }
    return item;
}

void TZCLCustomContainer::CheckIndex(int Index, int High) const
{
    if (Index < 0 || Index > High) TList::Error("List index out of bounds (%d)", Index);
}

void TZCLCustomContainer::SetPrefix(TZCLPathPrefix Value)
{
    if (prefix_ == Value) return;
    prefix_ = Value;
    Change();
}

void TZCLCustomContainer::SetSource(TZCLContainerSource Value)
{
    if (source_ == Value) return;
    if (!ComponentState().Contains(csLoading))
        for (TZCLListItem* item : items_) item->FreeData();
    source_ = Value;
    Change();
}

int TZCLCustomContainer::GetCount() const { return int(items_.size()); }

bool TZCLCustomContainer::GetEmpty() const { return GetCount() == 0; }

TZCLListItem* TZCLCustomContainer::GetItem(int Index) const
{
    CheckIndex(Index, int(items_.size()) - 1);
    return items_[std::size_t(Index)];
}

TZCLListItem* TZCLCustomContainer::GetItemByName(const AnsiString& Name) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (TZCLListItem* item = GetItem(i); item->Description() == Name) return item;
    return nullptr;
}

int TZCLCustomContainer::IndexOf(const TZCLListItem* Item) const
{
    const auto it = std::find(items_.begin(), items_.end(), Item);
    return it == items_.end() ? -1 : int(it - items_.begin());
}

int TZCLCustomContainer::Add(TZCLListItem* Item)
{
    Insert(int(items_.size()), Item);
    return int(items_.size()) - 1;
}

void TZCLCustomContainer::Insert(int Index, TZCLListItem* Item)
{
    CheckIndex(Index, int(items_.size()));
    if (!Item) {
        Item = NewItem(this);
    } else {
        if (IndexOf(Item) >= 0) return;
        if (Item->Owner() != this) InsertComponent(Item);
    }
    items_.insert(items_.begin() + Index, Item);
    Change();
}

void TZCLCustomContainer::Delete(int Index)
{
    CheckIndex(Index, int(items_.size()) - 1);
    TZCLListItem* item = items_[std::size_t(Index)];
    items_.erase(items_.begin() + Index);
    delete item;
    Change();
}

void TZCLCustomContainer::Clear()
{
    std::vector<TZCLListItem*> items = std::move(items_);
    items_.clear();
    for (auto it = items.rbegin(); it != items.rend(); ++it) delete *it;
    Change();
}

void TZCLCustomContainer::Move(int CurIndex, int NewIndex)
{
    if (CurIndex == NewIndex) return;
    CheckIndex(CurIndex, int(items_.size()) - 1);
    CheckIndex(NewIndex, int(items_.size()) - 1);
    TZCLListItem* item = items_[std::size_t(CurIndex)];
    items_.erase(items_.begin() + CurIndex);
    items_.insert(items_.begin() + NewIndex, item);
    Change();
}

void TZCLCustomContainer::AddList(TZCLCustomContainer* Other)
{
    if (!Other || Other == this) return;
    for (int i = 0; i < Other->GetCount(); ++i) {
        TZCLListItem* item = NewItem(this);
        items_.push_back(item);
        item->Assign(Other->GetItem(i));
    }
    Change();
}

void TZCLCustomContainer::Assign(TPersistent* Source)
{
    auto* other = dynamic_cast<TZCLCustomContainer*>(Source);
    if (!other || other->ClassType() != ClassType()) {
        TZCLBaseContainer::Assign(Source);
        return;
    }
    if (other == this) return;
    BeginUpdate();
    try {
        Clear();
        defaultCompressed_ = other->defaultCompressed_;
        AddList(other);
    } catch (...) {
        EndUpdate(false);
        throw;
    }
    EndUpdate(true);
}

void TZCLCustomContainer::GetChildren(TGetChildProc Proc, TComponent*)
{
    for (TZCLListItem* item : items_) Proc(item);
}

void TZCLCustomContainer::Notification(TComponent* AComponent, TOperation Operation)
{
    TZCLBaseContainer::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    const auto it = std::find(items_.begin(), items_.end(), AComponent);
    if (it != items_.end()) items_.erase(it);
}

void TZCLCustomContainer::Update(TObject*) { Change(); }

void TZCLCustomContainer::WriteData(TStream* Stream, bool WithOffsets)
{
    const int count = GetCount();
    stWriteInteger(Stream, count);
    if (!WithOffsets || count == 0) {
        for (int i = 0; i < count; ++i) GetItem(i)->WriteData(Stream);
        return;
    }
    const int p = Stream->Position();
    for (int i = 0; i < count; ++i) stWriteInteger(Stream, 0);
    std::vector<std::int32_t> offsets;
    for (int i = 0; i < count; ++i) {
        offsets.push_back(Stream->Position());
        GetItem(i)->WriteData(Stream);
    }
    const int e = Stream->Position();
    Stream->SetPosition(p);
    for (std::int32_t o : offsets) stWriteInteger(Stream, o);
    Stream->SetPosition(e);
}

void TZCLCustomContainer::ReadData(TStream* Stream, bool WithOffsets)
{
    BeginUpdate();
    try {
        const std::int32_t count = stReadInteger(Stream);
        // Every record takes a byte at least, and every offset four.
        if (count < 0 || count > Remaining(Stream) / (WithOffsets ? 5 : 1)) ReadError();
        if (WithOffsets && count >= 1) Stream->Seek(count * 4, soFromCurrent);
        std::vector<std::unique_ptr<TZCLListItem>> read;
        for (int i = 0; i < count; ++i) {
            read.emplace_back(NewItem(nullptr));
            read.back()->ReadData(Stream);
        }
        // Only a list read whole replaces the items.
        Clear();
        for (auto& item : read) {
            InsertComponent(item.get());
            items_.push_back(item.release());
            Change();
        }
    } catch (...) {
        EndUpdate(false);
        throw;
    }
    EndUpdate(true);
}

void TZCLCustomContainer::LoadFromStream(TStream* Stream) { ReadData(Stream, false); }

void TZCLCustomContainer::SaveToStream(TStream* Stream) { WriteData(Stream, false); }

void TZCLCustomContainer::SaveToFile(const AnsiString& FileName)
{
    TFileStream file(FileName, fmCreate);
    stWriteString(&file, ZCLICGetSignature(listKind_).SubString(2, 8));
    WriteData(&file, true);
}

void TZCLCustomContainer::LoadFromFile(const AnsiString& FileName)
{
    TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    if (listKind_ == icInvalid || ReadSignature(&file) != listKind_) CannotOpen(FileName, ClassName());
    ReadData(&file, true);
}

// List items ---------------------------------------------------------------------------------------------------

TZCLSavePixelFormat TZCLListItem::Header::PixelFormat() const
{
    if (Flags & 16) return spfMono;
    if (Flags & 32) return spf4bit;
    if (Flags & 64) return spf8bit;
    return spfDefault;
}

std::uint8_t TZCLListItem::PixelFormatFlag(TZCLSavePixelFormat Format)
{
    switch (Format) {
    case spfMono: return 16;
    case spf4bit: return 32;
    case spf8bit: return 64;
    default: return 0;
    }
}

std::int32_t TZCLListItem::PixelFormatColors(TZCLSavePixelFormat Format)
{
    switch (Format) {
    case spfMono: return 2;
    case spf4bit: return 16;
    case spf8bit: return 256;
    default: return -1;
    }
}

std::uint8_t TZCLListItem::WriteFlag() const
{
    return std::uint8_t((compressed_ ? 1 : 0) | (description_.IsEmpty() ? 0 : 2) | (ident_ ? 4 : 0));
}

void TZCLListItem::AssignCommon(const TZCLListItem* Other)
{
    description_ = Other->description_;
    ident_ = Other->ident_;
    compressed_ = Other->compressed_;
}

void TZCLListItem::WriteHeader(TStream* Stream) const
{
    stWriteByte(Stream, WriteFlag());
    if (!description_.IsEmpty()) stWriteString(Stream, description_);
    if (ident_) stWriteInteger(Stream, ident_);
}

TZCLListItem::Header TZCLListItem::ReadHeader(TStream* Stream)
{
    Header h;
    h.Flags = stReadByte(Stream);
    if (h.Flags & 2) stReadString(Stream, h.Description);
    if (h.Flags & 4) h.Ident = std::uint16_t(stReadInteger(Stream));
    return h;
}

void TZCLListItem::ApplyHeader(const Header& H)
{
    compressed_ = (H.Flags & 1) != 0;
    description_ = H.Description;
    ident_ = H.Ident;
}

void TZCLListItem::DefineInternal(TFiler* Filer)
{
    Filer->DefineBinaryProperty("Internal", TStreamProc(this, &TZCLListItem::ReadData),
                                TStreamProc(this, &TZCLListItem::WriteData), true);
}

int TZCLListItem::GetIndex() const
{
    const TZCLCustomContainer* c = Container();
    return c ? c->IndexOf(this) : -1;
}

void TZCLListItem::Change()
{
    if (updating_) return;
    if (TZCLCustomContainer* c = Container()) c->Update(this);
}

void TZCLListItem::EndUpdate(bool DoChange)
{
    updating_ = false;
    if (DoChange) Change();
}

void TZCLListItem::ReadState(TReader* Reader)
{
    TComponent::ReadState(Reader);
    if (Reader) Reader->ReadData(this);
    if (TZCLCustomContainer* c = Container(); c && c->IndexOf(this) < 0) c->Add(this);
}

// Bitmap items

TZCLBitmapListItem::TZCLBitmapListItem(TComponent* AOwner)
    : TZCLListItem(AOwner), bitmap_(std::make_unique<TBitmap>())
{
    bitmap_->SetOnChange(TNotifyEvent(static_cast<TZCLListItem*>(this), &TZCLListItem::GetChange));
}

TZCLBitmapListItem::~TZCLBitmapListItem() { bitmap_->SetOnChange(nullptr); }

TBitmap* TZCLBitmapListItem::Bitmap()
{
    const TComponentState state = ComponentState();
    if (!state.Contains(csDesigning) && !state.Contains(csLoading) && bitmap_->Empty() && Container())
        LoadFromSource();
    return bitmap_.get();
}

void TZCLBitmapListItem::LoadFromSource()
{
    TZCLCustomContainer* c = Container();
    const AnsiString source = c->SourceFileName();
    // The name of an item file: the folder, three letters of the source's name and the ident.
    auto builtName = [&] {
        const AnsiString folder =
            c->Prefix() == ppFixed ? ExtractFilePath(source) : ZCLCreatePathPrefix(c->Prefix(), true);
        return folder + ZCLExtractFileName(source).SubString(1, 3) + IntToStr(int(Ident())) + ".bmp";
    };
    BeginUpdate();
    try {
        switch (c->Source()) {
        case sdComponent: break;
        case sdFile: ZCLBMLGetItem(ZCLCreatePathPrefix(c->Prefix(), true) + source, Ident(), bitmap_.get()); break;
        case sdAppResource: ZCLBmpLoad(nullptr, Ident(), bitmap_.get()); break;
        case sdPath: bitmap_->LoadFromFile(builtName()); break;
        case sdLibResource:
            ZCLBmpLoadFromFile(c->Prefix() == ppProgram || c->Prefix() == ppFixed
                                   ? ZCLCreatePathPrefix(c->Prefix(), true) + source
                                   : source,
                               Ident(), bitmap_.get());
            break;
        }
    } catch (const Exception&) {
        // A missing or damaged source file leaves the item without a bitmap; this runs while painting.
        TBitmap empty;
        bitmap_->Assign(&empty);
    }
    EndUpdate(false);
}

void TZCLBitmapListItem::Assign(TPersistent* Source)
{
    if (auto* other = dynamic_cast<TZCLBitmapListItem*>(Source)) {
        AssignCommon(other);
        pixelFormat_ = other->pixelFormat_;
        bitmap_->Assign(other->bitmap_.get());
        return;
    }
    TZCLListItem::Assign(Source);
}

void TZCLBitmapListItem::FreeData() { bitmap_->Assign(nullptr); }

std::uint8_t TZCLBitmapListItem::WriteFlag() const
{
    return std::uint8_t(TZCLListItem::WriteFlag() | (GetEmpty() ? 0 : 8) | PixelFormatFlag(pixelFormat_));
}

void TZCLBitmapListItem::WriteData(TStream* Stream)
{
    WriteHeader(Stream);
    if (!GetEmpty()) stWriteBitmap(Stream, bitmap_.get(), Compressed(), PixelFormatColors(pixelFormat_));
}

void TZCLBitmapListItem::ReadData(TStream* Stream)
{
    const Header h = ReadHeader(Stream);
    TBitmap read;
    if (h.HasData()) stReadBitmap(Stream, &read, (h.Flags & 1) != 0);
    ApplyHeader(h);
    pixelFormat_ = h.PixelFormat();
    bitmap_->Assign(&read);
}

// String list items

TZCLStringListItem::TZCLStringListItem(TComponent* AOwner)
    : TZCLListItem(AOwner), items_(std::make_unique<TStringList>())
{
    items_->SetOnChange(TNotifyEvent(static_cast<TZCLListItem*>(this), &TZCLListItem::GetChange));
}

TZCLStringListItem::~TZCLStringListItem() { items_->SetOnChange(nullptr); }

void TZCLStringListItem::Assign(TPersistent* Source)
{
    if (auto* other = dynamic_cast<TZCLStringListItem*>(Source)) {
        AssignCommon(other);
        items_->Assign(other->items_.get());
        return;
    }
    TZCLListItem::Assign(Source);
}

std::uint8_t TZCLStringListItem::WriteFlag() const
{
    return std::uint8_t(TZCLListItem::WriteFlag() | (GetEmpty() ? 0 : 8));
}

void TZCLStringListItem::WriteData(TStream* Stream)
{
    WriteHeader(Stream);
    if (!GetEmpty()) stWriteStringList(Stream, items_.get(), Compressed());
}

void TZCLStringListItem::ReadData(TStream* Stream)
{
    const Header h = ReadHeader(Stream);
    TStringList read;
    if (h.HasData()) stReadStringList(Stream, &read, (h.Flags & 1) != 0);
    ApplyHeader(h);
    items_->Assign(&read);
}

// Generic items

TZCLGenericListItem::TZCLGenericListItem(TComponent* AOwner)
    : TZCLListItem(AOwner), data_(std::make_unique<TMemoryStream>())
{
}

TZCLGenericListItem::~TZCLGenericListItem() = default;

void TZCLGenericListItem::Assign(TPersistent* Source)
{
    if (auto* other = dynamic_cast<TZCLGenericListItem*>(Source)) {
        AssignCommon(other);
        data_->Clear();
        other->data_->SaveToStream(data_.get());
        data_->SetPosition(0);
        fileName_ = other->fileName_;
        Change();
        return;
    }
    TZCLListItem::Assign(Source);
}

void TZCLGenericListItem::FreeData()
{
    data_->Clear();
    fileName_ = AnsiString();
}

std::uint8_t TZCLGenericListItem::WriteFlag() const
{
    return std::uint8_t(TZCLListItem::WriteFlag() | (GetEmpty() ? 0 : 8));
}

void TZCLGenericListItem::WriteData(TStream* Stream)
{
    WriteHeader(Stream);
    if (!GetEmpty()) {
        if (Compressed()) {
            data_->SetPosition(0);
            SaveCompressedStream(data_.get(), Stream, data_->Size());
        } else {
            stWriteInteger(Stream, data_->Size());
            data_->SaveToStream(Stream);
        }
        data_->SetPosition(0);
    }
    stWriteString(Stream, fileName_);
}

void TZCLGenericListItem::ReadData(TStream* Stream)
{
    const Header h = ReadHeader(Stream);
    auto read = std::make_unique<TMemoryStream>();
    if (h.HasData()) {
        if (h.Flags & 1)
            LoadCompressedStream(Stream, read.get());
        else
            stReadBlock(Stream, read.get());
        read->SetPosition(0);
    }
    AnsiString name;
    stReadString(Stream, name);
    ApplyHeader(h);
    data_ = std::move(read);
    fileName_ = name;
}

// Wave items

TZCLWaveListItem::TZCLWaveListItem(TComponent* AOwner) : TZCLListItem(AOwner), wave_(std::make_unique<TZCLWave>())
{
    wave_->SetOnChange(TNotifyEvent(static_cast<TZCLListItem*>(this), &TZCLListItem::GetChange));
}

TZCLWaveListItem::~TZCLWaveListItem() { wave_->SetOnChange(nullptr); }

void TZCLWaveListItem::SetWave(TZCLWave* Value) { wave_->Assign(Value); }

void TZCLWaveListItem::Assign(TPersistent* Source)
{
    if (auto* other = dynamic_cast<TZCLWaveListItem*>(Source)) {
        AssignCommon(other);
        wave_->Assign(other->wave_.get());
        return;
    }
    TZCLListItem::Assign(Source);
}

void TZCLWaveListItem::FreeData() { wave_->FreeWave(); }

bool TZCLWaveListItem::GetEmpty() const { return wave_->GetEmpty(); }

std::uint8_t TZCLWaveListItem::WriteFlag() const
{
    return std::uint8_t(TZCLListItem::WriteFlag() | (GetEmpty() ? 0 : 8));
}

void TZCLWaveListItem::WriteData(TStream* Stream)
{
    WriteHeader(Stream);
    if (!GetEmpty()) stWriteWave(Stream, wave_.get(), Compressed());
}

void TZCLWaveListItem::ReadData(TStream* Stream)
{
    const Header h = ReadHeader(Stream);
    TZCLWave read;
    if (h.HasData()) stReadWave(Stream, &read, (h.Flags & 1) != 0);
    ApplyHeader(h);
    wave_->Assign(&read);
}

// Lists --------------------------------------------------------------------------------------------------------

TZCLStringList::TZCLStringList(TComponent* AOwner) : TZCLCustomContainer(AOwner)
{
    SetListKind(icStringList, ClassOf<TZCLStringListItem>());
}

TZCLGenericList::TZCLGenericList(TComponent* AOwner) : TZCLCustomContainer(AOwner)
{
    SetListKind(icGeneric, ClassOf<TZCLGenericListItem>());
}

TZCLWaveList::TZCLWaveList(TComponent* AOwner) : TZCLCustomContainer(AOwner)
{
    SetListKind(icWave, ClassOf<TZCLWaveListItem>());
}

// The default container and the container control -----------------------------------------------------------------

TZCLContainer::TZCLContainer(TComponent* AOwner)
    : TZCLBaseContainer(AOwner),
      bitmapList_(new TZCLBitmapList(this)),
      imageList_(new TZCLImageList(this)),
      waveList_(new TZCLWaveList(this)),
      stringList_(new TZCLStringList(this))
{
    for (TZCLCustomContainer* list : {static_cast<TZCLCustomContainer*>(bitmapList_),
                                      static_cast<TZCLCustomContainer*>(imageList_),
                                      static_cast<TZCLCustomContainer*>(waveList_),
                                      static_cast<TZCLCustomContainer*>(stringList_)})
        list->SetOnChange(TNotifyEvent(static_cast<TZCLCustomComponent*>(this), &TZCLCustomComponent::GetChange));
}

TZCLContainer::~TZCLContainer()
{
    for (TZCLCustomContainer* list : {static_cast<TZCLCustomContainer*>(bitmapList_),
                                      static_cast<TZCLCustomContainer*>(imageList_),
                                      static_cast<TZCLCustomContainer*>(waveList_),
                                      static_cast<TZCLCustomContainer*>(stringList_)})
        list->SetOnChange(nullptr);
}

void TZCLContainer::GetChange(TObject* Sender)
{
    TZCLContainer* def = ZCLDefaultContainer();
    if (ComponentState().Contains(csDesigning) && def && def != this) {
        if (Sender == bitmapList_) def->BitmapList()->Assign(bitmapList_);
        else if (Sender == imageList_) def->ImageList()->Assign(imageList_);
        else if (Sender == waveList_) def->WaveList()->Assign(waveList_);
        else if (Sender == stringList_) def->StringList()->Assign(stringList_);
    }
    TZCLBaseContainer::GetChange(Sender);
}

namespace {

struct DefaultContainerHolder {
    std::unique_ptr<TZCLContainer> container;
    DefaultContainerHolder()
    {
        ZCLApplication.Get();  // made first, so it outlives the container
        container = std::make_unique<TZCLContainer>(nullptr);
    }
};

}  // namespace

TZCLContainer* ZCLDefaultContainer()
{
    static DefaultContainerHolder holder;
    return holder.container.get();
}

namespace {
// Made during start-up, before the program's entry runs.
const bool defaultContainerMade = (ZCLDefaultContainer(), true);
}  // namespace

TZCLContainerCtrl::TZCLContainerCtrl(TComponent* AOwner) : TComponent(AOwner)
{
    if (ComponentState().Contains(csDesigning)) {
        for (int i = 0; AOwner && i < AOwner->ComponentCount(); ++i) {
            TComponent* c = AOwner->Components(i);
            if (c != this && c->ClassType() == ClassType()) {
                selected_ = 255;
                throw ZCLEOneInstError(ClassName(), 0);
            }
        }
        own_ = std::make_unique<TZCLContainer>(nullptr);
        own_->SetDesigning(true);
        container_ = own_.get();
    } else {
        container_ = ZCLDefaultContainer();
    }
}

TZCLContainerCtrl::~TZCLContainerCtrl()
{
    if (ComponentState().Contains(csDesigning) && selected_ < 255) {
        TZCLContainer* def = ZCLDefaultContainer();
        def->BitmapList()->Clear();
        def->ImageList()->Clear();
        def->WaveList()->Clear();
        def->StringList()->Clear();
    }
}

TZCLCustomContainer* TZCLContainerCtrl::Selected() const
{
    switch (selected_) {
    case 1: return container_->BitmapList();
    case 2: return container_->ImageList();
    case 3: return container_->WaveList();
    case 4: return container_->StringList();
    default: return nullptr;
    }
}

void TZCLContainerCtrl::ReadStream(TStream* Stream)
{
    if (TZCLCustomContainer* list = Selected()) list->LoadFromStream(Stream);
}

void TZCLContainerCtrl::WriteStream(TStream* Stream)
{
    if (TZCLCustomContainer* list = Selected()) list->SaveToStream(Stream);
}

void TZCLContainerCtrl::DefineProperties(TFiler* Filer)
{
    TComponent::DefineProperties(Filer);
    for (std::uint8_t k = 1; k <= 4; ++k) {
        const std::uint8_t saved = selected_;
        selected_ = k;
        TZCLCustomContainer* list = Selected();
        selected_ = saved;
        Filer->DefineBinaryProperty(list->ClassName().SubString(5, 30), TStreamProc::From([this, k](TStream* s) {
                                        selected_ = k;
                                        ReadStream(s);
                                    }),
                                    TStreamProc::From([this, k](TStream* s) {
                                        selected_ = k;
                                        WriteStream(s);
                                    }),
                                    !list->GetEmpty());
    }
}

// Free procedures ----------------------------------------------------------------------------------------------

AnsiString ZCLICGetSuffix(TZCLListItemClassType Kind, bool WithDot)
{
    return Dotted(ListSuffixes[Kind <= icInvalid ? Kind : icInvalid], WithDot);
}

AnsiString ZCLICGetItemSuffix(TZCLListItemClassType Kind, bool WithDot)
{
    return Dotted(ItemSuffixes[Kind <= icInvalid ? Kind : icInvalid], WithDot);
}

AnsiString ZCLICGetSignature(TZCLListItemClassType Kind)
{
    if (Kind >= icInvalid) return AnsiString();
    return AnsiString(char(8)) + Signatures[Kind];
}

TZCLListItemClassType ZCLListGetFileType(const AnsiString& FileName, int& Count, TZCLOffsetList* List)
{
    Count = -1;
    TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    const TZCLListItemClassType kind = ReadSignature(&file);
    if (Remaining(&file) < 4) {
        if (kind != icInvalid) ReadError();
        return icInvalid;
    }
    Count = stReadInteger(&file);
    if (kind == icInvalid) return icInvalid;
    if (Count < 0 || Count > Remaining(&file) / 4) ReadError();
    if (List) {
        List->clear();
        List->reserve(std::size_t(Count));
        for (int i = 0; i < Count; ++i) List->push_back(stReadInteger(&file));
    }
    return kind;
}

bool ZCLListGetItemFromStream(TStream* Stream, const TZCLOffsetList* List, int Index, TZCLListItem* Item)
{
    if (!List || Index < 0 || Index >= int(List->size())) return false;
    const std::int32_t offset = (*List)[std::size_t(Index)];
    if (offset < 0 || offset >= Stream->Size()) ReadError();
    Stream->SetPosition(offset);
    Item->LoadFromStream(Stream);
    return true;
}

bool ZCLListGetItemFromFile(const AnsiString& FileName, TZCLListItemClassType Kind, const TZCLOffsetList* List,
                            TZCLListItem* Item, int Index)
{
    // The file's own kind is checked even with offsets given, so no file is read as another kind.
    TZCLOffsetList own;
    int count = 0;
    if (ZCLListGetFileType(FileName, count, List ? nullptr : &own) != Kind) CannotOpen(FileName, FileName);
    TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    return ZCLListGetItemFromStream(&file, List ? List : &own, Index, Item);
}

bool ZCLBMLGetItem(const AnsiString& FileName, int Index, TBitmap* Bitmap)
{
    TZCLBitmapListItem item(nullptr);
    if (!ZCLListGetItemFromFile(FileName, icBitmap, nullptr, &item, Index)) return false;
    Bitmap->Assign(item.StoredBitmap());
    return true;
}

bool ZCLIMLGetItem(const AnsiString& FileName, int Index, TZCLImageListItem* Item)
{
    return ZCLListGetItemFromFile(FileName, icImageList, nullptr, Item, Index);
}

bool ZCLWVLGetItem(const AnsiString& FileName, int Index, TZCLWave* Wave)
{
    TZCLWaveListItem item(nullptr);
    if (!ZCLListGetItemFromFile(FileName, icWave, nullptr, &item, Index)) return false;
    Wave->Assign(item.Wave());
    return true;
}

bool ZCLBmpLoad(HINSTANCE Module, int Ident, TBitmap* Bitmap)
{
    if (!Module) Module = GetModuleHandleA(nullptr);
    if (!Bitmap || !FindResourceA(Module, MAKEINTRESOURCEA(Ident), reinterpret_cast<LPCSTR>(RT_BITMAP))) return false;
    try {
        Bitmap->LoadFromResourceID(Module, Ident);
    } catch (const Exception&) {
        return false;
    }
    return true;
}

bool ZCLBmpLoadFromFile(const AnsiString& LibraryName, int Ident, TBitmap* Bitmap)
{
    // Only its resources are wanted: the library's code is not run.
    ModuleHandle lib(LoadLibraryExA(LibraryName.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!lib) return false;
    return ZCLBmpLoad(lib.get(), Ident, Bitmap);
}

void ZCLWriteGlobalIdent(TWriter* Writer, TZCLCustomImageList* ImageList)
{
    TZCLContainer* def = ZCLDefaultContainer();
    if (!ImageList || !def) return;
    if (ImageList == def->BitmapList())
        Writer->WriteString(Signatures[icBitmap]);
    else if (ImageList == def->ImageList())
        Writer->WriteString(Signatures[icImageList]);
}

TZCLCustomImageList* ZCLReadGlobalIdent(TReader* Reader)
{
    const AnsiString ident = Reader->ReadString();
    TZCLContainer* def = ZCLDefaultContainer();
    if (ident == Signatures[icBitmap]) return def->BitmapList();
    if (ident == Signatures[icImageList]) return def->ImageList();
    return nullptr;
}

bool ZCLIsGlobalIdent(const TZCLCustomImageList* ImageList)
{
    const TZCLContainer* def = ZCLDefaultContainer();
    return ImageList && def && (ImageList == def->BitmapList() || ImageList == def->ImageList());
}

bool ZCLIsSingleItemImageList(const TZCLCustomImageList* ImageList)
{
    return dynamic_cast<const TZCLBitmapList*>(ImageList) || dynamic_cast<const TZCLGraphicList*>(ImageList);
}

bool ZCLIsCollectionImageList(const TZCLCustomImageList* ImageList)
{
    return dynamic_cast<const TZCLImageListConnector*>(ImageList) != nullptr;
}
