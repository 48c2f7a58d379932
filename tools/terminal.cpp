// Stands in for the operator terminal on a COM port: decodes what the driver sends, saves the picture after
// each frame as an 8-bit BMP, answers "Read Status" and frames as told, and can record every byte received.
//   terminal COMx [options]
// Stop it with Ctrl+C, or with --frames / --seconds.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <string>

#include "support/PeerPort.h"
#include "support/TerminalDecoder.h"

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

// Terminal to PC: 02, command, length (data + 2), data, big-endian sum of command, length and data.
std::string TerminalFrame(BYTE command, BYTE value)
{
    const BYTE length = 3;
    const WORD sum = WORD(command + length + value);
    return std::string{char(0x02), char(command), char(length), char(value), char(sum >> 8), char(sum & 0xFF)};
}

struct Answer {
    DWORD due;
    std::string bytes;
};

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

    PeerPort port;
    if (!port.Open(portName.c_str(), baud)) {
        std::fprintf(stderr, "terminal: cannot open %s (error %lu)\n", portName.c_str(), port.LastError());
        return 1;
    }
    std::ofstream record;
    if (!recordPath.empty()) {
        record.open(recordPath, std::ios::binary | std::ios::trunc);
        if (!record) {
            std::fprintf(stderr, "terminal: cannot write %s\n", recordPath.c_str());
            return 1;
        }
    }
    SetConsoleCtrlHandler(OnConsoleBreak, TRUE);

    std::deque<Answer> answers;
    auto answer = [&](const std::string& bytes) {
        if (!silent)
            answers.push_back(Answer{GetTickCount() + lateMs, bytes});
    };
    TerminalDecoder decoder;
    int frames = 0;
    decoder.SetListener([&](const TerminalEvent& e) {
        switch (e.kind) {
        case TerminalEvent::Kind::ReadStatus:
            std::printf("Read Status -> %d\n", status);
            answer(TerminalFrame(0x03, BYTE(status)));
            break;
        case TerminalEvent::Kind::Palette:
            std::printf("palette of %d entries\n", e.count);
            break;
        case TerminalEvent::Kind::Cursor:
            std::printf("cursor %d,%d\n", e.x, e.y);
            break;
        case TerminalEvent::Kind::Frame: {
            ++frames;
            const int value = !e.ok ? 0 : frames <= hold ? 1 : ack;
            std::printf("%s frame %d%s: %s%s -> %d\n", e.full ? "full" : "differential", e.transferNo,
                        e.keepAlive ? " (keep-alive)" : "", e.ok ? "ok" : "FAILED ", e.text.c_str(), value);
            if (value >= 0)
                answer(TerminalFrame(0x00, BYTE(value)));
            if (transferNumbers)
                answer(TerminalFrame(0x04, e.transferNo));
            if (e.ok && !e.keepAlive && !folder.empty()) {
                char name[64];
                std::snprintf(name, sizeof name, "\\frame-%05d-t%03d.bmp", frames, e.transferNo);
                if (!decoder.Picture().SaveBmp(folder + name))
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

    const DWORD start = GetTickCount();
    unsigned long long received = 0;
    char buffer[65536];
    bool ok = true;
    while (!stopRequested && (!maxFrames || frames < maxFrames) &&
           (!seconds || GetTickCount() - start < DWORD(seconds) * 1000)) {
        while (!answers.empty() && LONG(GetTickCount() - answers.front().due) >= 0) {
            if (!port.Write(answers.front().bytes)) {
                std::fprintf(stderr, "terminal: write failed (error %lu)\n", port.LastError());
                ok = false;
            }
            answers.pop_front();
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed < stallMs) {
            Sleep(10);
            continue;
        }
        size_t allowed = sizeof buffer;
        if (lineRate) {
            // Bytes the line could have carried since reading began, less those already read.
            const unsigned long long due = (unsigned long long)(elapsed - stallMs) * (lineRate / 10) / 1000;
            if (due <= received) {
                Sleep(2);
                continue;
            }
            allowed = size_t(std::min<unsigned long long>(due - received, sizeof buffer));
        }
        long got = port.ReadSome(buffer, allowed, 20);
        if (got < 0 && port.LastError() == ERROR_TIMEOUT)
            got = 0;  // how Wine ends a read on a quiet line
        if (got < 0) {
            std::fprintf(stderr, "terminal: read failed (error %lu)\n", port.LastError());
            ok = false;
            break;
        }
        if (got == 0)
            continue;
        received += (unsigned long long)got;
        if (record.is_open()) {
            record.write(buffer, got);
            record.flush();
        }
        decoder.Feed(buffer, size_t(got));
        decoder.TakeEvents();
    }
    if (!folder.empty() && frames)
        decoder.Picture().SaveBmp(folder + "\\last.bmp");
    std::printf("%llu bytes, %d frames, %d errors\n", received, frames, decoder.ErrorCount());
    return ok ? 0 : 1;
}
