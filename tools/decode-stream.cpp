// Decodes a recorded PC-to-terminal byte stream (as `terminal --record` writes it) into the pictures it
// carries: one 8-bit BMP per sound frame, and one line per message on the console.
//   decode-stream RECORD [--out FOLDER] [--last]
// Exit code 0 when the whole stream decoded without a fault, 1 when something was wrong, 2 on bad usage.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "support/TerminalDecoder.h"

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: decode-stream RECORD [--out FOLDER] [--last]\n"
                         "  --out FOLDER  where the pictures go (default: the current folder)\n"
                         "  --last        save only the picture after the last frame\n");
    return 2;
}

std::string PicturePath(const std::string& folder, int number, int transferNo)
{
    char name[64];
    std::snprintf(name, sizeof name, "frame-%05d-t%03d.bmp", number, transferNo);
    return folder.empty() ? name : folder + "\\" + name;
}

} // namespace

int main(int argc, char** argv)
{
    std::string record, folder;
    bool lastOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--out") && i + 1 < argc)
            folder = argv[++i];
        else if (!std::strcmp(argv[i], "--last"))
            lastOnly = true;
        else if (argv[i][0] == '-' || !record.empty())
            return Usage();
        else
            record = argv[i];
    }
    if (record.empty())
        return Usage();
    std::ifstream file(record, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "decode-stream: cannot open %s\n", record.c_str());
        return 2;
    }
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());

    TerminalDecoder decoder;
    int frames = 0;
    int lastTransferNo = 0;
    bool saved = true;
    decoder.SetListener([&](const TerminalEvent& e) {
        switch (e.kind) {
        case TerminalEvent::Kind::ReadStatus:
            std::printf("@%u Read Status\n", unsigned(e.offset));
            break;
        case TerminalEvent::Kind::Palette:
            std::printf("@%u palette of %d entries\n", unsigned(e.offset), e.count);
            break;
        case TerminalEvent::Kind::Cursor:
            std::printf("@%u cursor %d,%d\n", unsigned(e.offset), e.x, e.y);
            break;
        case TerminalEvent::Kind::Frame:
            std::printf("@%u %s frame %d, %d x %d%s: %s%s\n", unsigned(e.offset), e.full ? "full" : "differential",
                        e.transferNo, e.width, e.height, e.keepAlive ? " (keep-alive)" : "", e.ok ? "ok" : "FAILED ",
                        e.text.c_str());
            if (e.ok && !e.keepAlive) {
                ++frames;
                lastTransferNo = e.transferNo;
                if (!lastOnly)
                    saved = decoder.Picture().SaveBmp(PicturePath(folder, frames, e.transferNo)) && saved;
            }
            break;
        case TerminalEvent::Kind::Error:
            std::printf("@%u ERROR %s: %s\n", unsigned(e.offset), TerminalProblemName(e.problem), e.text.c_str());
            break;
        }
    });
    decoder.Feed(bytes);
    if (lastOnly && frames)
        saved = decoder.Picture().SaveBmp(PicturePath(folder, frames, lastTransferNo)) && saved;
    const bool cut = decoder.InMessage() || decoder.Offset() != bytes.size();
    if (cut)
        std::printf("@%u the stream ends inside a message\n", unsigned(decoder.Offset()));
    std::printf("%u bytes, %d frames, %d errors\n", unsigned(bytes.size()), frames, decoder.ErrorCount());
    if (!saved)
        std::fprintf(stderr, "decode-stream: a picture could not be saved\n");
    return decoder.ErrorCount() || cut || !saved ? 1 : 0;
}
