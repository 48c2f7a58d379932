// Reduction and encoding of one 640 x 480 picture per frame, full and differential, into 2048-byte requests
// that a stand-in link takes at no cost. Figures are medians, each also given as a multiple of a plain copy of
// the 32-bit picture's bytes in the same run.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "BenchPictures.h"
#include "mirror/ColorReduction.h"
#include "mirror/FrameEncoder.h"

using namespace benchpictures;

namespace {

// Requests from a free list; queuing only counts the bytes.
class CountingSink : public KvFrameSink {
public:
    DWORD bytes = 0;
    DWORD requests = 0;

    KvWriteRequest* NewWriteRequest(BYTE type, DWORD size) override
    {
        if (free_.empty()) {
            slots_.push_back(std::make_unique<Slot>());
            free_.push_back(slots_.back().get());
        }
        Slot* s = free_.back();
        free_.pop_back();
        s->request = KvWriteRequest{};
        s->request.type = type;
        s->request.payload = s->data;
        (void)size;
        return &s->request;
    }
    bool QueueWriteRequest(KvWriteRequest* request) override
    {
        bytes += request->length;
        ++requests;
        return Release(request);
    }
    bool FreeWriterItem(KvWriteRequest** request) override
    {
        if (request && *request) Release(*request);
        if (request) *request = nullptr;
        return true;
    }
    BYTE GetSentTransferNo() override { return sent_; }
    void SetSentTransferNo(BYTE number) override { sent_ = number; }
    bool GetCursorUpdate(POINT&) override { return false; }
    void Count0()
    {
        bytes = 0;
        requests = 0;
    }

private:
    struct Slot {
        KvWriteRequest request{};
        BYTE data[KvFrameRequestSize];
    };
    bool Release(KvWriteRequest* request)
    {
        free_.push_back(reinterpret_cast<Slot*>(request));  // the request is the slot's first member
        return true;
    }
    std::vector<std::unique_ptr<Slot>> slots_;
    std::vector<Slot*> free_;
    BYTE sent_ = 0;
};

// Rows already reduced: the encoder's own share of the work.
class ReducedRows : public KvReductionRows<KvColorReduction> {
public:
    using KvReductionRows::KvReductionRows;
    std::uint8_t* GetIndexRow(const DIBSECTION& section, int offset, int row) override
    {
        return static_cast<std::uint8_t*>(section.dsBm.bmBits) + std::ptrdiff_t(section.dsBm.bmWidthBytes) * row +
               offset;
    }
};

}  // namespace

int main()
{
    const int runs = 31;
    KvColorReduction reduction;
    reduction.UpdatePalette(nullptr);
    KvReductionRows<KvColorReduction> rows(reduction);
    ReducedRows reducedRows(reduction);
    CountingSink sink;
    KvFrameEncoder encoder(sink, rows);
    KvFrameEncoder encodeOnly(sink, reducedRows);

    Picture copySource = MakeSection32();
    DrawDesktop(copySource);
    std::vector<std::uint8_t> copy(copySource.Bytes());
    volatile std::uint8_t keep = 0;
    const double baseline = Median(runs * 3, nullptr, [&] {
        std::memcpy(copy.data(), copySource.source.data(), copy.size());
        keep = std::uint8_t(keep + copy[copy.size() / 2]);
    });
    std::printf("baseline: plain copy of the 32-bit picture (%u bytes): %.3f ms\n\n", unsigned(copy.size()),
                baseline);
    std::printf("%-40s %9s %7s %11s %9s %9s %8s\n", "reduce + encode 640x480", "ms", "x copy", "encode ms",
                "bytes", "estimate", "requests");

    struct Case {
        const char* name;
        bool sixteen;
        bool noise;
        bool differential;
        int change;     // differential: the previous picture's changed line number (0: unchanged)
        bool newRows;   // full: the reduction remembers none of the rows (the cache still knows the colours)
    } cases[] = {
        {"desktop 32-bit, full", false, false, false, 0, false},
        {"desktop 32-bit, full, new rows", false, false, false, 0, true},
        {"desktop 32-bit, differential unchanged", false, false, true, 0, false},
        {"desktop 32-bit, differential one line", false, false, true, 1, false},
        {"desktop 16-bit, full", true, false, false, 0, false},
        {"desktop 16-bit, full, new rows", true, false, false, 0, true},
        {"desktop 16-bit, differential unchanged", true, false, true, 0, false},
        {"noise 32-bit, full", false, true, false, 0, false},
        {"noise 32-bit, full, new rows", false, true, false, 0, true},
        {"noise 32-bit, differential unchanged", false, true, true, 0, false},
        {"noise 16-bit, full", true, true, false, 0, false},
        {"noise 16-bit, differential unchanged", true, true, true, 0, false},
    };
    for (const Case& c : cases) {
        Picture current = c.sixteen ? MakeSection565() : MakeSection32();
        Picture previous = c.sixteen ? MakeSection565() : MakeSection32();
        if (c.noise) {
            DrawNoise(current, 7);
            DrawNoise(previous, 7);
        } else {
            DrawDesktop(current);
            DrawDesktop(previous, c.change);
        }
        // The previous frame holds its indices, as after it was sent; the cache is warm.
        encoder.SendFullFrame(previous.bitmap.get());
        current.Restore();
        encoder.SendFullFrame(current.bitmap.get());

        auto send = [&](KvFrameEncoder& e) {
            return c.differential ? e.SendDifferentialFrame(current.bitmap.get(), previous.bitmap.get())
                                  : e.SendFullFrame(current.bitmap.get());
        };
        // As in the capture cycle: the reduction last saw the previous picture, which holds its indices.
        auto prepare = [&] {
            if (c.differential) {
                previous.Restore();
                for (int y = 0; y < KvPictureHeight; ++y) reduction.GetIndexRow(previous.ds, 0, y);
            }
            current.Restore();
            if (c.newRows) reduction.ForgetRows();
        };
        int estimate = 0;
        const double ms = Median(runs, prepare, [&] { estimate = send(encoder); });
        prepare();
        sink.Count0();
        send(encoder);
        const DWORD bytes = sink.bytes, requests = sink.requests;
        // Encoding alone, on rows already reduced.
        const double encodeMs = Median(runs, nullptr, [&] { send(encodeOnly); });
        std::printf("%-40s %9.3f %7.1f %11.3f %9lu %9d %8lu\n", c.name, ms, ms / baseline, encodeMs,
                    static_cast<unsigned long>(bytes), estimate, static_cast<unsigned long>(requests));
        encoder.FlushBuffer(true);
        encodeOnly.FlushBuffer(true);
    }
    std::printf("\ngoals: full 32-bit desktop under 1.5 ms and within 10x of the copy; unchanged differential within "
                "2x of the copy\n(\"full\": the same picture as the frame before, every row remembered; \"new rows\": "
                "none remembered)\n");
    return 0;
}
