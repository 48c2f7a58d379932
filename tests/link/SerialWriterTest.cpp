// The write-request queue and the writer thread, over a real COM pair.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "support/PeerPort.h"
#include "SerialTestPort.h"

namespace {

class SerialWriter : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(peer_.Open(kTerminalPort)) << peer_.LastError();
        ASSERT_TRUE(port_.OpenConnection()) << testing::PrintToString(port_.Errors());
    }

    SerialTestPort port_;
    PeerPort peer_;
};

// Every byte value, in requests of every size the encoder can make, arrives in queue order.
TEST_F(SerialWriter, RequestsArriveInQueueOrderByteForByte)
{
    std::string expected;
    unsigned seed = 12345;
    for (int i = 0; i < 300; ++i) {
        seed = seed * 1103515245u + 12345u;
        if (i % 7 == 3) {
            const char c = char(seed >> 16);
            ASSERT_TRUE(port_.QueueCharacter(c));
            expected += c;
            continue;
        }
        const size_t size = i % 50 == 0 ? 2048 : 1 + (seed >> 8) % 2048;
        std::string bytes(size, '\0');
        for (size_t k = 0; k < size; ++k) bytes[k] = char((i * 31 + k * 7 + (seed >> 24)) & 0xFF);
        if (i == 1) bytes = std::string("\x11\x13\x00\xFF\x10\x40", 6);
        ASSERT_TRUE(port_.QueueBytes(bytes, i % 2 ? KvRequestData : KvRequestDataBlock));
        expected += bytes;
    }
    const std::string got = peer_.Read(expected.size(), 20000);
    ASSERT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected) << "first difference at "
                                 << std::mismatch(got.begin(), got.end(), expected.begin()).first - got.begin();
    EXPECT_TRUE(port_.Errors().empty()) << testing::PrintToString(port_.Errors());
}

// All request kinds, queued while the writer is held, so each one sees the queue as it was built.
TEST_F(SerialWriter, EveryRequestTypeDoesItsPart)
{
    ResetEvent(port_.TransferCompleteEvent());
    {
        ScopedLock hold(port_.DispatchLock());
        ASSERT_TRUE(port_.QueueBytes("AAA", KvRequestDataBlock));
        ASSERT_TRUE(port_.QueueBytes("x", KvRequestFileStart));
        ASSERT_TRUE(port_.QueueCharacter('B'));
        ASSERT_TRUE(port_.QueueBytes("y", 9));  // no such type
        ASSERT_TRUE(port_.QueueBytes("CC", KvRequestData));
        ASSERT_TRUE(port_.QueueBytes("z", KvRequestTransferComplete));
        ASSERT_TRUE(port_.QueueBytes("DDDD", KvRequestDataBlock));
    }
    EXPECT_EQ(peer_.Read(10, 5000), "AAABCCDDDD");
    EXPECT_EQ(WaitForSingleObject(port_.TransferCompleteEvent(), 2000), DWORD(WAIT_OBJECT_0));
    ASSERT_TRUE(SerialTestPort::WaitFor([&] { return port_.HasStatus("Transfer Complete"); }, 3000));
    std::vector<std::string> ours;
    for (const std::string& s : port_.Statuses())
        if (s.rfind("EVENT", 0) != 0) ours.push_back(s);
    EXPECT_EQ(ours, (std::vector<std::string>{"FileStart...", "Transfer Complete"}));
    ASSERT_EQ(port_.Errors().size(), 1u);
    EXPECT_EQ(port_.Errors()[0].rfind("Error ", 0), 0u);
    EXPECT_NE(port_.Errors()[0].find(": Bad write request / "), std::string::npos) << port_.Errors()[0];
}

TEST_F(SerialWriter, AFlushDropsEveryRequestBehindIt)
{
    ResetEvent(port_.TransferCompleteEvent());
    {
        ScopedLock hold(port_.DispatchLock());
        ASSERT_TRUE(port_.QueueBytes("before"));
        ASSERT_TRUE(port_.QueueCharacter('!'));
        ASSERT_TRUE(port_.QueueBytes("-", KvRequestFlushQueue));
        ASSERT_TRUE(port_.QueueBytes("dropped"));
        ASSERT_TRUE(port_.QueueCharacter('?'));
        ASSERT_TRUE(port_.QueueBytes(std::string(2048, 'd')));
    }
    EXPECT_EQ(WaitForSingleObject(port_.TransferCompleteEvent(), 2000), DWORD(WAIT_OBJECT_0));
    // What is queued after the flush goes again, right after what came before it; the dropped records went
    // back to the heap.
    // The writer signals before it takes the flush off the queue: at most that request stays, once it has.
    EXPECT_TRUE(SerialTestPort::WaitFor([&] { return BusyBlocks(port_.WriterHeap()) <= 1; }, 3000))
        << BusyBlocks(port_.WriterHeap());
    ASSERT_TRUE(port_.QueueBytes("after"));
    EXPECT_EQ(peer_.Read(12, 3000), "before!after");
    EXPECT_TRUE(port_.Errors().empty()) << testing::PrintToString(port_.Errors());
}

TEST(SerialQueue, ARequestQueuedWhileClosedIsFreedAndNeverWritten)
{
    SerialTestPort port;
    PeerPort peer(kTerminalPort);
    ASSERT_TRUE(peer.IsOpen());
    KvWriteRequest* request = port.NewWriteRequest(KvRequestDataBlock, 2048);
    ASSERT_NE(request, nullptr);
    memcpy(request->payload, "stale", 5);
    request->length = 5;
    const int writerBusy = BusyBlocks(port.WriterHeap());
    const int dataBusy = BusyBlocks(port.DataHeap());
    EXPECT_GE(writerBusy, 1);
    EXPECT_GE(dataBusy, 1);

    EXPECT_FALSE(port.QueueWriteRequest(request));
    EXPECT_EQ(BusyBlocks(port.WriterHeap()), writerBusy - 1);
    EXPECT_EQ(BusyBlocks(port.DataHeap()), dataBusy - 1);

    ASSERT_TRUE(port.OpenConnection());
    ASSERT_TRUE(port.QueueBytes("fresh"));
    EXPECT_EQ(peer.Read(5, 3000), "fresh") << "the freed request would have come first";
}

TEST(SerialQueue, NewRequestsAndTheirRelease)
{
    SerialTestPort port;
    EXPECT_EQ(port.NewWriteRequest(KvRequestDataBlock, 0), nullptr);

    KvWriteRequest* request = port.NewWriteRequest(KvRequestDataBlock, 2048);
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->type, KvRequestDataBlock);
    EXPECT_EQ(request->length, 2048u);
    ASSERT_NE(request->payload, nullptr);
    EXPECT_EQ(request->payloadHeap, port.DataHeap());
    EXPECT_EQ(request->next, nullptr);
    EXPECT_EQ(request->replyByteCount, 0u);
    EXPECT_EQ(request->purge, 0);
    memset(request->payload, 0xEE, 2048);  // the whole payload is ours
    EXPECT_GE(HeapSize(port.DataHeap(), 0, request->payload), SIZE_T(2048));

    const int writerBusy = BusyBlocks(port.WriterHeap());
    const int dataBusy = BusyBlocks(port.DataHeap());
    EXPECT_TRUE(port.FreeWriterItem(&request));
    EXPECT_EQ(request, nullptr);
    EXPECT_EQ(BusyBlocks(port.WriterHeap()), writerBusy - 1);
    EXPECT_EQ(BusyBlocks(port.DataHeap()), dataBusy - 1);
    EXPECT_TRUE(port.FreeWriterItem(&request));  // nothing left to free
    EXPECT_TRUE(port.Errors().empty()) << testing::PrintToString(port.Errors());
}

// Queueing from several threads while the writer drains: nothing is lost or reordered within a thread.
TEST_F(SerialWriter, QueueingFromSeveralThreads)
{
    constexpr int kThreads = 4;
    constexpr int kPerThread = 200;
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([this, t, &failures] {
            for (int i = 0; i < kPerThread; ++i) {
                const char record[3] = {char('a' + t), char(i & 0xFF), char(i >> 8)};
                if (!port_.QueueBytes(std::string(record, 3))) ++failures;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
    const std::string got = peer_.Read(size_t(kThreads) * kPerThread * 3, 20000);
    ASSERT_EQ(got.size(), size_t(kThreads) * kPerThread * 3);
    int next[kThreads] = {};
    for (size_t k = 0; k < got.size(); k += 3) {
        const int t = got[k] - 'a';
        ASSERT_TRUE(t >= 0 && t < kThreads) << k;
        const int i = BYTE(got[k + 1]) | (BYTE(got[k + 2]) << 8);
        EXPECT_EQ(i, next[t]) << "thread " << t;
        next[t] = i + 1;
    }
}

}  // namespace

namespace {

// The far end stops reading until the line is full: the write in progress is held. (Wine's PurgeComm does
// not abort a pending write, so only the time-out can be shown here.)
class SerialHeldLine : public SerialWriter {
protected:
    void Fill()
    {
        for (int i = 0; i < 100; ++i) ASSERT_TRUE(port_.QueueBytes(std::string(2048, 'h')));
        Sleep(500);
    }
    void TearDown() override
    {
        port_.CloseConnection();
        peer_.Purge();
    }
};

TEST_F(SerialHeldLine, AWriteThatTimesOutIsAStatus)
{
    COMMTIMEOUTS t = port_.GetTimeouts();
    t.WriteTotalTimeoutConstant = 200;
    ASSERT_TRUE(port_.SetTimeouts(t));
    Fill();
    ASSERT_TRUE(SerialTestPort::WaitFor(
        [&] { return port_.HasStatus("Write timed out. (overlapped)") || port_.HasStatus("Write timed out. (immediate)"); },
        3000))
        << testing::PrintToString(port_.Statuses());
}

}  // namespace

namespace {

// The engine's other mode: a request waits until the reader has the answer to the one before.
TEST(SerialRequestReply, EachRequestWaitsForTheAnswerToTheLast)
{
    SerialTestPort port(kDriverPort, kRawLine, /*stream=*/false);
    PeerPort peer(kTerminalPort);
    ASSERT_TRUE(peer.IsOpen());
    ASSERT_TRUE(port.OpenConnection());
    auto queue = [&](const std::string& bytes) {
        KvWriteRequest* r = port.NewWriteRequest(KvRequestData, DWORD(bytes.size()));
        ASSERT_NE(r, nullptr);
        memcpy(r->payload, bytes.data(), bytes.size());
        r->replyByteCount = 2;
        r->timeouts = COMMTIMEOUTS{0, 0, 5000, 0, 0};
        ASSERT_TRUE(port.QueueWriteRequest(r));
    };
    queue("first");
    queue("second");
    EXPECT_EQ(peer.Read(5, 3000), "first");
    EXPECT_EQ(peer.ReadUntilQuiet(500), "");  // held until the answer
    ASSERT_TRUE(peer.Write("ok"));
    EXPECT_EQ(peer.Read(6, 3000), "second");
    ASSERT_TRUE(SerialTestPort::WaitFor([&] { return !port.Reads().empty(); }, 2000));
    EXPECT_EQ(port.Reads()[0].data, "ok");
    EXPECT_EQ(port.Reads()[0].kind, KvReadComplete);
}

}  // namespace
