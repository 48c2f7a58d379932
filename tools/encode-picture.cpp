// Runs the product's encoder on a picture and writes the bytes the terminal would receive.
//   encode-picture PICTURE.bmp [PREVIOUS.bmp] --out FILE [--transfer N] [--palette]
// The pictures are 8-bit BMP files (as decode-stream saves them): their pixels are the palette indices,
// their colour table the palette. With a previous picture the frame is differential against it.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/runtime/Handles.h"
#include "mirror/Bitmapfunctions.h"
#include "mirror/FrameEncoder.h"
#include "support/TerminalPicture.h"

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: encode-picture PICTURE.bmp [PREVIOUS.bmp] --out FILE [--transfer N] [--palette]\n"
                         "  --transfer N  the transfer number sent before this frame (default 0: the frame is 1)\n"
                         "  --palette     send the palette before a differential frame too\n");
    return 2;
}

// The writer's queue, as bytes in queue order.
class FileSink : public KvFrameSink {
public:
    std::string wire;
    BYTE sentNo = 0;

    KvWriteRequest* NewWriteRequest(BYTE type, DWORD size) override
    {
        auto slot = std::make_unique<Slot>();
        slot->data.assign(size, 0);
        slot->request.type = type;
        slot->request.payload = slot->data.data();
        KvWriteRequest* request = &slot->request;
        slots_[request] = std::move(slot);
        return request;
    }
    bool QueueWriteRequest(KvWriteRequest* request) override
    {
        auto it = slots_.find(request);
        if (it == slots_.end())
            return false;
        const DWORD length = std::min<DWORD>(request->length, DWORD(it->second->data.size()));
        wire.append(reinterpret_cast<const char*>(it->second->data.data()), length);
        slots_.erase(it);
        return true;
    }
    bool FreeWriterItem(KvWriteRequest** request) override
    {
        if (request && *request) {
            slots_.erase(*request);
            *request = nullptr;
        }
        return true;
    }
    BYTE GetSentTransferNo() override { return sentNo; }
    void SetSentTransferNo(BYTE number) override { sentNo = number; }
    bool GetCursorUpdate(POINT&) override { return false; }

private:
    struct Slot {
        KvWriteRequest request{};
        std::vector<BYTE> data;
    };
    std::map<KvWriteRequest*, std::unique_ptr<Slot>> slots_;
};

// 8-bit sections hold the indices themselves.
class SectionRows : public KvIndexRows {
public:
    KvPalette256* palette = nullptr;
    bool dirty = false;

    std::uint8_t* GetIndexRow(const DIBSECTION& section, int offset, int row) override
    {
        if (section.dsBm.bmBitsPixel != 8 || !section.dsBm.bmBits)
            return nullptr;
        return static_cast<std::uint8_t*>(section.dsBm.bmBits) + std::ptrdiff_t(section.dsBm.bmWidthBytes) * row +
               offset;
    }
    bool BuildIndexMap(HBITMAP) override { return true; }
    KvPalette256* CurrentPalette() override { return palette; }
    bool PaletteDirty() const override { return dirty; }
    void SetPaletteDirty(bool value) override { dirty = value; }
};

// A top-down 640 x 480 8-bit section holding the picture's indices.
BitmapHandle MakeSection(const TerminalPicture& picture)
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = TerminalPicture::Width;
    info.header.biHeight = -TerminalPicture::Height;
    info.header.biPlanes = 1;
    info.header.biBitCount = 8;
    info.header.biCompression = BI_RGB;
    info.header.biClrUsed = 256;
    for (int i = 0; i < 256; ++i) {
        const TerminalColor& c = picture.Palette()[size_t(i)];
        info.colors[i] = RGBQUAD{c.blue, c.green, c.red, 0};
    }
    void* bits = nullptr;
    BitmapHandle section(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                                          nullptr, 0));
    if (section && bits)
        for (int y = 0; y < TerminalPicture::Height; ++y)
            std::memcpy(static_cast<BYTE*>(bits) + size_t(y) * TerminalPicture::Width, picture.Row(y),
                        TerminalPicture::Width);
    return section;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> pictures;
    std::string out;
    int transfer = 0;
    bool palette = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--out") && i + 1 < argc)
            out = argv[++i];
        else if (!std::strcmp(argv[i], "--transfer") && i + 1 < argc)
            transfer = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--palette"))
            palette = true;
        else if (argv[i][0] == '-')
            return Usage();
        else
            pictures.push_back(argv[i]);
    }
    if (pictures.empty() || pictures.size() > 2 || out.empty() || transfer < 0 || transfer > 255)
        return Usage();

    TerminalPicture current, previous;
    std::string error;
    if (!current.LoadBmp(pictures[0], &error) || (pictures.size() == 2 && !previous.LoadBmp(pictures[1], &error))) {
        std::fprintf(stderr, "encode-picture: %s\n", error.c_str());
        return 2;
    }
    KvPalette256 colours;
    colours.SetCount(std::uint16_t(current.PaletteCount()));
    for (int i = 0; i < current.PaletteCount(); ++i) {
        const TerminalColor& c = current.Palette()[size_t(i)];
        colours.SetEntry(i, PALETTEENTRY{c.red, c.green, c.blue, 0});
    }

    FileSink sink;
    sink.sentNo = BYTE(transfer);
    SectionRows rows;
    rows.palette = &colours;
    rows.dirty = palette;
    KvFrameEncoder encoder(sink, rows);
    encoder.SetLastTransferTick(GetTickCount());  // an unchanged picture gives no keep-alive header
    BitmapHandle frame = MakeSection(current);
    BitmapHandle before = pictures.size() == 2 ? MakeSection(previous) : BitmapHandle();
    if (!frame || (pictures.size() == 2 && !before)) {
        std::fprintf(stderr, "encode-picture: cannot make the sections (error %lu)\n", GetLastError());
        return 1;
    }
    const int estimate = before ? encoder.SendDifferentialFrame(frame.get(), before.get())
                                : encoder.SendFullFrame(frame.get());
    encoder.FreeRequest();

    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    file.write(sink.wire.data(), std::streamsize(sink.wire.size()));
    if (!file) {
        std::fprintf(stderr, "encode-picture: cannot write %s\n", out.c_str());
        return 1;
    }
    std::printf("%u bytes (estimate %d), transfer number %d\n", unsigned(sink.wire.size()), estimate, sink.sentNo);
    return 0;
}
