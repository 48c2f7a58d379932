// The graphic base, icons and the picture that holds either.

#include <algorithm>
#include <cstring>

#include "framework/visual/Graphics.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "framework/runtime/SysUtils.h"

// Graphic ------------------------------------------------------------------------------------------------------

void TGraphic::SetTransparent(bool value)
{
    if (transparent_ == value) return;
    transparent_ = value;
    Changed();
}

void TGraphic::Changed()
{
    modified_ = true;
    if (onChange_) onChange_(this);
}

void TGraphic::LoadFromFile(const AnsiString& fileName)
{
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const AnsiString& fileName)
{
    TFileStream stream(fileName, fmCreate);
    SaveToStream(&stream);
}

void TGraphic::DefineProperties(TFiler* filer)
{
    TPersistent::DefineProperties(filer);
    filer->DefineBinaryProperty("Data", TStreamProc(this, &TGraphic::ReadData), TStreamProc(this, &TGraphic::WriteData),
                                !Empty());
}

void TGraphic::ReadData(TStream* stream) { LoadFromStream(stream); }

void TGraphic::WriteData(TStream* stream) { SaveToStream(stream); }

// Icon ---------------------------------------------------------------------------------------------------------

namespace {

[[noreturn]] void NotAnIcon() { throw EInvalidGraphic("Icon image is not valid"); }

std::uint32_t U16(const unsigned char* p) { return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8; }
std::uint32_t U32(const unsigned char* p) { return U16(p) | U16(p + 2) << 16; }

void Put16(std::vector<unsigned char>& out, std::uint32_t v)
{
    out.push_back(BYTE(v));
    out.push_back(BYTE(v >> 8));
}
void Put32(std::vector<unsigned char>& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// The bits of a bitmap as a bottom-up DIB of the given depth (1 bit: black and white).
std::vector<unsigned char> DibBits(HBITMAP bitmap, int width, int height, int bits)
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } bi{};
    bi.header.biSize = sizeof(BITMAPINFOHEADER);
    bi.header.biWidth = width;
    bi.header.biHeight = height;
    bi.header.biPlanes = 1;
    bi.header.biBitCount = WORD(bits);
    const std::size_t stride = std::size_t((width * bits + 31) / 32 * 4);
    std::vector<unsigned char> out(stride * std::size_t(height));
    MemoryDC dc(CreateCompatibleDC(nullptr));
    if (GetDIBits(dc.get(), bitmap, 0, UINT(height), out.data(), reinterpret_cast<BITMAPINFO*>(&bi),
                  DIB_RGB_COLORS) == 0)
        throw EInvalidGraphic("Icon image is not valid");
    return out;
}

}  // namespace

TIcon::TIcon() = default;
TIcon::~TIcon() = default;

void TIcon::SetIcon(HICON icon)
{
    handle_.reset(icon);
    width_ = height_ = 0;
    if (!icon) return;
    ICONINFO ii{};
    if (!GetIconInfo(icon, &ii)) return;
    BitmapHandle mask(ii.hbmMask), color(ii.hbmColor);  // copies made for us
    BITMAP bm{};
    if (color && GetObjectA(color.get(), sizeof bm, &bm)) {
        width_ = bm.bmWidth;
        height_ = bm.bmHeight;
    } else if (mask && GetObjectA(mask.get(), sizeof bm, &bm)) {
        width_ = bm.bmWidth;
        height_ = bm.bmHeight / 2;  // the and-mask over the xor-image
    }
}

void TIcon::SetHandle(HICON icon)
{
    if (icon && icon == handle_.get()) return;
    SetIcon(icon);
    Changed();
}

void TIcon::Assign(TPersistent* source)
{
    if (source == this) return;
    if (!source) {
        SetHandle(nullptr);
        return;
    }
    if (auto* icon = dynamic_cast<TIcon*>(source)) {
        HICON copy = icon->Empty() ? nullptr : CopyIcon(icon->Handle());
        if (!icon->Empty() && !copy) throw EOutOfResources("Cannot copy the icon");
        transparent_ = icon->transparent_;
        SetHandle(copy);
        return;
    }
    TPersistent::Assign(source);
}

void TIcon::SetWidth(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }
void TIcon::SetHeight(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }

void TIcon::Draw(TCanvas* canvas, const TRect& r)
{
    if (!handle_) return;
    DrawIconEx(canvas->Handle(), r.left, r.top, handle_.get(), r.Width(), r.Height(), 0, nullptr, DI_NORMAL);
}

void TIcon::LoadFromStream(TStream* stream)
{
    std::vector<unsigned char> data(6);
    if (stream->Read(data.data(), 6) != 6) NotAnIcon();
    const std::uint32_t count = U16(data.data() + 4);
    if (U16(data.data()) != 0 || U16(data.data() + 2) != 1 || count == 0) NotAnIcon();
    data.resize(6 + 16 * count);
    if (stream->Read(data.data() + 6, int(16 * count)) != int(16 * count)) NotAnIcon();
    std::size_t end = data.size();
    for (std::uint32_t i = 0; i < count; ++i) {
        const unsigned char* e = data.data() + 6 + 16 * i;
        const std::uint64_t last = std::uint64_t(U32(e + 12)) + U32(e + 8);
        if (last > 0x7FFFFFFF) NotAnIcon();
        end = std::max<std::size_t>(end, std::size_t(last));
    }
    const std::size_t have = data.size();
    // Offsets beyond what the stream holds are refused before room is made for them.
    if (end - have > std::size_t(std::max(0, stream->Size() - stream->Position()))) NotAnIcon();
    data.resize(end);
    if (stream->Read(data.data() + have, int(end - have)) != int(end - have)) NotAnIcon();
    const unsigned char* e = data.data() + 6;
    const std::uint32_t size = U32(e + 8), offset = U32(e + 12);
    if (offset < have || size < 40) NotAnIcon();
    const int w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256;
    HICON icon = CreateIconFromResourceEx(data.data() + offset, size, TRUE, 0x00030000, w, h, LR_DEFAULTCOLOR);
    if (!icon) NotAnIcon();
    SetHandle(icon);
}

// One image: 32-bit colour with its mask, or for a monochrome icon the 1-bit xor image and and-mask.
void TIcon::SaveToStream(TStream* stream)
{
    if (!handle_) return;
    ICONINFO ii{};
    if (!GetIconInfo(handle_.get(), &ii)) throw EInvalidGraphic("Icon image is not valid");
    BitmapHandle mask(ii.hbmMask), color(ii.hbmColor);
    const int w = width_, h = height_;
    std::vector<unsigned char> image;
    const int bits = color ? 32 : 1;
    Put32(image, 40);
    Put32(image, std::uint32_t(w));
    Put32(image, std::uint32_t(2 * h));
    Put16(image, 1);
    Put16(image, std::uint32_t(bits));
    Put32(image, BI_RGB);
    const std::size_t maskBytes = std::size_t((w + 31) / 32 * 4) * std::size_t(h);
    const std::size_t colorBytes = color ? std::size_t(w) * 4 * std::size_t(h) : maskBytes;
    Put32(image, std::uint32_t(colorBytes + maskBytes));
    for (int i = 0; i < 4; ++i) Put32(image, 0);
    if (color) {
        const auto c = DibBits(color.get(), w, h, 32);
        const auto m = DibBits(mask.get(), w, h, 1);
        image.insert(image.end(), c.begin(), c.end());
        image.insert(image.end(), m.begin(), m.end());
    } else {
        Put32(image, 0x000000);
        Put32(image, 0xFFFFFF);
        const auto both = DibBits(mask.get(), w, 2 * h, 1);  // bottom-up: the xor half comes first
        image.insert(image.end(), both.begin(), both.end());
    }
    std::vector<unsigned char> out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, 1);
    out.push_back(BYTE(w >= 256 ? 0 : w));
    out.push_back(BYTE(h >= 256 ? 0 : h));
    out.push_back(BYTE(color ? 0 : 2));
    out.push_back(0);
    Put16(out, 1);
    Put16(out, std::uint32_t(bits));
    Put32(out, std::uint32_t(image.size()));
    Put32(out, 22);
    out.insert(out.end(), image.begin(), image.end());
    stream->WriteBuffer(out.data(), int(out.size()));
}

void TIcon::LoadFromResourceID(HINSTANCE instance, int id)
{
    HANDLE icon = LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE);
    if (!icon) throw EResNotFound("Resource " + IntToStr(id) + " not found");
    SetHandle(static_cast<HICON>(icon));
}

void TIcon::LoadFromResourceName(HINSTANCE instance, const AnsiString& name)
{
    HANDLE icon = LoadImageA(instance, name.c_str(), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE);
    if (!icon) throw EResNotFound("Resource " + name + " not found");
    SetHandle(static_cast<HICON>(icon));
}

// Picture ------------------------------------------------------------------------------------------------------

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Take(std::unique_ptr<TGraphic> graphic)
{
    graphic_ = std::move(graphic);
    if (graphic_) graphic_->SetOnChange(TNotifyEvent(this, &TPicture::GraphicChanged));
    GraphicChanged(graphic_.get());
}

void TPicture::GraphicChanged(TObject*)
{
    if (onChange_) onChange_(this);
}

void TPicture::SetGraphic(TGraphic* graphic)
{
    if (graphic && graphic == graphic_.get()) return;
    std::unique_ptr<TGraphic> copy;
    if (dynamic_cast<TBitmap*>(graphic)) copy = std::make_unique<TBitmap>();
    else if (dynamic_cast<TIcon*>(graphic)) copy = std::make_unique<TIcon>();
    else if (graphic) throw EInvalidGraphic("Unsupported graphic: " + graphic->ClassName());
    if (copy) copy->Assign(graphic);
    Take(std::move(copy));
}

TBitmap* TPicture::Bitmap()
{
    if (!dynamic_cast<TBitmap*>(graphic_.get())) Take(std::make_unique<TBitmap>());
    return static_cast<TBitmap*>(graphic_.get());
}

TIcon* TPicture::Icon()
{
    if (!dynamic_cast<TIcon*>(graphic_.get())) Take(std::make_unique<TIcon>());
    return static_cast<TIcon*>(graphic_.get());
}

void TPicture::Assign(TPersistent* source)
{
    if (source == this) return;
    if (!source) SetGraphic(nullptr);
    else if (auto* p = dynamic_cast<TPicture*>(source)) SetGraphic(p->Graphic());
    else if (auto* g = dynamic_cast<TGraphic*>(source)) SetGraphic(g);
    else TPersistent::Assign(source);
}

void TPicture::DefineProperties(TFiler* filer)
{
    TPersistent::DefineProperties(filer);
    filer->DefineBinaryProperty("Data", TStreamProc(this, &TPicture::ReadData), TStreamProc(this, &TPicture::WriteData),
                                graphic_ != nullptr);
}

void TPicture::ReadData(TStream* stream)
{
    unsigned char length = 0;
    AnsiString name;
    if (stream->Read(&length, 1) == 1) {
        name.SetLength(length);
        if (stream->Read(name.data(), length) != length) throw EReadError("Invalid stream format");
    }
    std::unique_ptr<TGraphic> graphic;
    if (name == "TBitmap") graphic = std::make_unique<TBitmap>();
    else if (name == "TIcon") graphic = std::make_unique<TIcon>();
    else throw EReadError("Invalid property value");
    graphic->ReadData(stream);
    Take(std::move(graphic));
}

void TPicture::WriteData(TStream* stream)
{
    const AnsiString name = graphic_->ClassName();
    const unsigned char length = static_cast<unsigned char>(name.Length());
    stream->WriteBuffer(&length, 1);
    stream->WriteBuffer(name.c_str(), length);
    graphic_->WriteData(stream);
}

void TPicture::LoadFromFile(const AnsiString& fileName)
{
    const AnsiString ext = ExtractFileExt(fileName).LowerCase();
    std::unique_ptr<TGraphic> graphic;
    if (ext == ".bmp") graphic = std::make_unique<TBitmap>();
    else if (ext == ".ico") graphic = std::make_unique<TIcon>();
    else throw EInvalidGraphic("Unknown picture file extension (" + ext + ")");
    graphic->LoadFromFile(fileName);
    Take(std::move(graphic));
}

void TPicture::SaveToFile(const AnsiString& fileName)
{
    if (!graphic_) throw EInvalidGraphicOperation("The picture is empty");
    graphic_->SaveToFile(fileName);
}
