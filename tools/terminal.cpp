// Stands in for the operator terminal on a COM port: decodes what the driver sends, saves the picture after
// each frame as an 8-bit BMP, answers "Read Status" and frames as told, and can record every byte received.
//   terminal COMx [options]
// Stop it with Ctrl+C, or with --frames / --seconds.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "support/AnsweringTerminal.h"

namespace {

volatile LONG stopRequested = 0;

BOOL WINAPI OnConsoleBreak(DWORD)
{
    InterlockedExchange(&stopRequested, 1);
    return TRUE;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: terminal COMx [options]\n"
                 "  --baud N          port rate (default 115200)\n"
                 "  --line-rate N     read no faster than N baud (10 bits a byte); ptys do not pace by themselves\n"
                 "  --status CODE     answer to \"Read Status\" (0..255, default 0)\n"
                 "  --ack KIND        after each frame: 0 (send a full frame), 1 (hold), 2 (go on, default), none\n"
                 "  --transfer-numbers  also report each frame's transfer number (command 04)\n"
                 "  --hold N          answer the first N frames with 1 (hold), then as --ack says\n"
                 "  --late MS         send every answer MS milliseconds late\n"
                 "  --silent          never answer\n"
                 "  --stall MS        read nothing for the first MS milliseconds (writes to the port pend)\n"
                 "  --record FILE     write every byte received to FILE\n"
                 "  --out FOLDER      save frame-NNNNN-tTTT.bmp there after each frame (default: no pictures)\n"
                 "  --frames N        stop after N frames;  --seconds S  stop after S seconds\n"
                 "A frame that fails its checks is answered with 0 (send a full frame) and not shown.\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argv[1][0] == '-')
        return Usage();
    const std::string portName = argv[1];
    DWORD baud = CBR_115200, lineRate = 0, lateMs = 0, stallMs = 0;
    int status = 0, ack = 2, hold = 0, maxFrames = 0, seconds = 0;
    bool transferNumbers = false, silent = false;
    std::string recordPath, folder;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--baud" && more)
            baud = DWORD(std::atol(argv[++i]));
        else if (a == "--line-rate" && more)
            lineRate = DWORD(std::atol(argv[++i]));
        else if (a == "--status" && more)
            status = std::atoi(argv[++i]);
        else if (a == "--ack" && more) {
            const std::string kind = argv[++i];
            ack = kind == "none" ? -1 : std::atoi(kind.c_str());
            if (kind != "none" && kind != "0" && kind != "1" && kind != "2")
                return Usage();
        } else if (a == "--transfer-numbers")
            transferNumbers = true;
        else if (a == "--hold" && more)
            hold = std::atoi(argv[++i]);
        else if (a == "--late" && more)
            lateMs = DWORD(std::atol(argv[++i]));
        else if (a == "--silent")
            silent = true;
        else if (a == "--stall" && more)
            stallMs = DWORD(std::atol(argv[++i]));
        else if (a == "--record" && more)
            recordPath = argv[++i];
        else if (a == "--out" && more)
            folder = argv[++i];
        else if (a == "--frames" && more)
            maxFrames = std::atoi(argv[++i]);
        else if (a == "--seconds" && more)
            seconds = std::atoi(argv[++i]);
        else
            return Usage();
    }
    if (status < 0 || status > 255)
        return Usage();

    std::ofstream record;
    if (!recordPath.empty()) {
        record.open(recordPath, std::ios::binary | std::ios::trunc);
        if (!record) {
            std::fprintf(stderr, "terminal: cannot write %s\n", recordPath.c_str());
            return 1;
        }
    }

    AnsweringTerminal terminal;
    terminal.SetStatusAnswer(silent ? -1 : status);
    terminal.SetAckAnswer(silent ? -1 : ack);
    terminal.SetBadFrameAnswer(silent ? -1 : 0);
    terminal.QueueAcks(std::vector<int>(size_t(std::max(hold, 0)), silent ? -1 : 1));
    terminal.SetNumbersAfterAck(transferNumbers && !silent);
    terminal.SetStatusDelay(lateMs);
    terminal.SetAckDelay(lateMs);
    terminal.SetLineRate(lineRate);
    terminal.SetStall(stallMs);
    if (record.is_open())
        terminal.SetByteHook([&](const char* bytes, size_t n) {
            record.write(bytes, std::streamsize(n));
            record.flush();
        });
    LONG frames = 0;
    terminal.SetEventHook([&](const TerminalEvent& e, int answer, const TerminalPicture& picture) {
        switch (e.kind) {
        case TerminalEvent::Kind::ReadStatus:
            std::printf("Read Status -> %d\n", answer);
            break;
        case TerminalEvent::Kind::Palette:
            std::printf("palette of %d entries\n", e.count);
            break;
        case TerminalEvent::Kind::Cursor:
            std::printf("cursor %d,%d\n", e.x, e.y);
            break;
        case TerminalEvent::Kind::Frame: {
            const LONG frame = InterlockedIncrement(&frames);
            std::printf("%s frame %d%s: %s%s -> %d\n", e.full ? "full" : "differential", e.transferNo,
                        e.keepAlive ? " (keep-alive)" : "", e.ok ? "ok" : "FAILED ", e.text.c_str(), answer);
            if (e.ok && !e.keepAlive && !folder.empty()) {
                char name[64];
                std::snprintf(name, sizeof name, "\\frame-%05ld-t%03d.bmp", long(frame), e.transferNo);
                if (!picture.SaveBmp(folder + name))
                    std::fprintf(stderr, "terminal: cannot save %s%s\n", folder.c_str(), name);
            }
            break;
        }
        case TerminalEvent::Kind::Error:
            std::printf("ERROR %s: %s\n", TerminalProblemName(e.problem), e.text.c_str());
            break;
        }
        std::fflush(stdout);
    });
    if (!terminal.Open(portName.c_str(), baud)) {
        std::fprintf(stderr, "terminal: cannot open %s (error %lu)\n", portName.c_str(), terminal.Port().LastError());
        return 1;
    }
    SetConsoleCtrlHandler(OnConsoleBreak, TRUE);

    const DWORD start = GetTickCount();
    bool ok = true;
    while (!stopRequested && (!maxFrames || InterlockedCompareExchange(&frames, 0, 0) < maxFrames) &&
           (!seconds || GetTickCount() - start < DWORD(seconds) * 1000)) {
        if (const DWORD error = terminal.ReadError()) {
            std::fprintf(stderr, "terminal: read failed (error %lu)\n", error);
            ok = false;
            break;
        }
        Sleep(10);
    }
    terminal.Close();
    if (const DWORD error = terminal.WriteError()) {
        std::fprintf(stderr, "terminal: write failed (error %lu)\n", error);
        ok = false;
    }
    if (!folder.empty() && frames)
        terminal.Picture().SaveBmp(folder + "\\last.bmp");
    std::printf("%llu bytes, %ld frames, %d errors\n", terminal.BytesReceived(), long(frames), terminal.ErrorCount());
    return ok ? 0 : 1;
}
