// Writer throughput of the serial engine over a COM pair, 2048-byte requests as the encoder queues them,
// against a plain overlapped WriteFile loop of the same bytes on the same pair. Both are timed until the far
// end has every byte. Runs alternate; the medians of both figures are printed, with the median of the
// ratios of runs made back to back (steadier than the ratio of medians on a busy machine).
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "link/Serial.h"
#include "support/PeerPort.h"

namespace {

constexpr const char* Driver = "COM5";
constexpr const char* Terminal = "COM6";
constexpr const char* Line = "baud=115200 parity=N data=8 stop=1 protocol=N";
constexpr DWORD Request = 2048;
constexpr int Requests = 4000;  // 8 MB a run
constexpr int Runs = 15;

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(frequency.QuadPart);
}

class BenchPort : public KvSerialPort {
public:
    BenchPort() { SetStreamMode(true); }
    ~BenchPort() override { CloseConnection(); }
    bool LoadSettings() override
    {
        DCB dcb{};
        return SetPortName(Driver) && ParseCommParameter(Line, dcb) && SetFromDCB(dcb);
    }
    BYTE OnReceive(BYTE, const BYTE*, DWORD) override { return KvReceiveNextRequest; }
    void OnError(const char* text) override { fprintf(stderr, "engine: %s\n", text); }
};

// Reads the far end until `expected` bytes came; returns the time the last one arrived (0 on a stall).
class FarEnd {
public:
    explicit FarEnd(PeerPort& peer) : peer_(peer) {}
    void Start(size_t expected, const std::vector<BYTE>* pattern)
    {
        thread_ = std::thread([this, expected, pattern] { Run(expected, pattern); });
    }
    double Finish()
    {
        thread_.join();
        return end_;
    }
    bool Intact() const { return intact_; }

private:
    void Run(size_t expected, const std::vector<BYTE>* pattern)
    {
        std::vector<BYTE> buffer(65536);
        size_t got = 0;
        intact_ = true;
        end_ = 0;
        while (got < expected) {
            const long n = peer_.ReadSome(buffer.data(), buffer.size(), 3000);
            if (n <= 0) return;
            for (long i = 0; i < n && intact_; ++i)
                if (buffer[size_t(i)] != (*pattern)[(got + size_t(i)) % pattern->size()]) intact_ = false;
            got += size_t(n);
        }
        end_ = Now();
    }

    PeerPort& peer_;
    std::thread thread_;
    double end_ = 0;
    bool intact_ = true;
};

std::vector<BYTE> Pattern()
{
    std::vector<BYTE> p(Request);
    for (size_t i = 0; i < p.size(); ++i) p[i] = BYTE(i * 7 + i / 256);
    return p;
}

// Seconds for the engine to move every request to the far end; < 0 on failure.
double RunEngine(PeerPort& peer, const std::vector<BYTE>& pattern)
{
    BenchPort port;
    if (!port.OpenConnection()) return -1;
    peer.Purge();
    FarEnd terminal(peer);
    terminal.Start(size_t(Requests) * Request, &pattern);
    const double start = Now();
    for (int i = 0; i < Requests; ++i) {
        KvWriteRequest* r = port.NewWriteRequest(KvRequestDataBlock, Request);
        if (!r) return -1;
        memcpy(r->payload, pattern.data(), Request);
        if (!port.QueueWriteRequest(r)) return -1;
    }
    const double end = terminal.Finish();
    if (end == 0 || !terminal.Intact()) return -1;
    return end - start;
}

// The same bytes through one overlapped WriteFile at a time on a port set up as the engine sets it up.
double RunPlain(PeerPort& peer, const std::vector<BYTE>& pattern)
{
    FileHandle port(CreateFileA("\\\\.\\COM5", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr));
    if (!port) return -1;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    GetCommState(port.get(), &dcb);
    if (!ParseCommParameter(Line, dcb)) return -1;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.fBinary = TRUE;
    if (!SetCommState(port.get(), &dcb)) return -1;
    COMMTIMEOUTS t{0, 0, 5000, 0, 0};
    SetCommTimeouts(port.get(), &t);
    SetupComm(port.get(), 358400, 358400);
    EscapeCommFunction(port.get(), SETDTR);
    PurgeComm(port.get(), PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    KernelHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));

    peer.Purge();
    FarEnd terminal(peer);
    terminal.Start(size_t(Requests) * Request, &pattern);
    const double start = Now();
    for (int i = 0; i < Requests; ++i) {
        OVERLAPPED ov{};
        ov.hEvent = event.get();
        DWORD written = 0;
        if (!WriteFile(port.get(), pattern.data(), Request, &written, &ov)) {
            if (GetLastError() != ERROR_IO_PENDING) return -1;
            if (!GetOverlappedResult(port.get(), &ov, &written, TRUE)) return -1;
        }
        if (written != Request) return -1;
    }
    const double end = terminal.Finish();
    if (end == 0 || !terminal.Intact()) return -1;
    return end - start;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main()
{
    PeerPort peer;
    if (!peer.Open(Terminal)) {
        fprintf(stderr, "cannot open %s (error %lu): run under scripts/bench\n", Terminal, peer.LastError());
        return 1;
    }
    const std::vector<BYTE> pattern = Pattern();
    std::vector<double> engine, plain, ratios;
    for (int run = 0; run < Runs; ++run) {
        // Back to back, the first of the pair alternating, so drift on a busy machine hits both alike.
        double p, e;
        if (run % 2 == 0) {
            p = RunPlain(peer, pattern);
            e = RunEngine(peer, pattern);
        } else {
            e = RunEngine(peer, pattern);
            p = RunPlain(peer, pattern);
        }
        if (p <= 0 || e <= 0) {
            fprintf(stderr, "run %d failed (plain %.3f s, engine %.3f s)\n", run, p, e);
            return 1;
        }
        plain.push_back(double(Requests) * Request / p / 1e6);
        engine.push_back(double(Requests) * Request / e / 1e6);
        ratios.push_back(p / e);
    }
    printf("SerialThroughput: %d x %lu-byte requests, median of %d runs\n", Requests, Request, Runs);
    printf("  engine writer     %8.2f MB/s\n", Median(engine));
    printf("  plain WriteFile   %8.2f MB/s\n", Median(plain));
    printf("  ratio             %8.2f (goal 0.90 or better; range %.2f to %.2f)\n", Median(ratios),
           *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()));
    return 0;
}
