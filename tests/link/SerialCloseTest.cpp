// Closing the engine: within its bound, again after a close, with a thread that will not end, and from a
// link thread after a fatal error.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/PeerPort.h"
#include "SerialTestPort.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Handles.h"

namespace {

// Wine lets a device be opened twice, so a released port shows as the engine's handle gone.
bool PortReleased(SerialTestPort& port)
{
    return port.PortHandle() == INVALID_HANDLE_VALUE;
}

void ExpectBothWays(SerialTestPort& port, PeerPort& peer, const std::string& text)
{
    port.ClearRecords();
    ASSERT_TRUE(port.QueueBytes(text));
    EXPECT_EQ(peer.Read(text.size(), 3000), text);
    ASSERT_TRUE(peer.Write(text));
    ASSERT_TRUE(SerialTestPort::WaitFor([&] { return port.Reads().size() >= text.size(); }, 3000));
    std::string got;
    for (const auto& r : port.Reads()) got += r.data;
    EXPECT_EQ(got, text);
}

TEST(SerialClose, EndsPendingReadAndLineWaitAtOnce)
{
    SerialTestPort port;
    PeerPort peer(kTerminalPort);
    ASSERT_TRUE(port.OpenConnection());
    DWORD mask = 0;
    ASSERT_TRUE(SerialTestPort::WaitFor([&] { return GetCommMask(port.PortHandle(), &mask) && mask != 0; }, 2000));
    Sleep(200);  // the read and the line wait are pending now

    const DWORD start = GetTickCount();
    EXPECT_TRUE(port.CloseConnection());
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_FALSE(port.Connected());
    EXPECT_TRUE(PortReleased(port));
    EXPECT_FALSE(port.CloseConnection());  // a second close has nothing to close
    EXPECT_FALSE(port.QueueBytes("late"));
    EXPECT_TRUE(port.Errors().empty()) << testing::PrintToString(port.Errors());
}

TEST(SerialClose, AClosedEngineOpensAgain)
{
    SerialTestPort port;
    PeerPort peer(kTerminalPort);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(port.OpenConnection()) << testing::PrintToString(port.Errors());
        COMMTIMEOUTS t{};
        ASSERT_TRUE(GetCommTimeouts(port.PortHandle(), &t));
        EXPECT_EQ(t.ReadTotalTimeoutConstant, 5000u);  // the engine's own, again
        ExpectBothWays(port, peer, "round " + std::to_string(round));
        EXPECT_TRUE(port.CloseConnection());
        EXPECT_TRUE(PortReleased(port));
    }
    EXPECT_EQ(port.LoadCalls(), 3);
}

TEST(SerialClose, TheDestructorCloses)
{
    {
        SerialTestPort port;
        ASSERT_TRUE(port.OpenConnection());
        ASSERT_TRUE(port.QueueBytes(std::string(2048, 'q')));
    }
    // The close dropped DTR on its way out.
    FileHandle raw(CreateFileA("\\\\.\\COM5", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED, nullptr));
    ASSERT_TRUE(raw);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(raw.get(), &dcb));
    EXPECT_EQ(dcb.fDtrControl, DWORD(DTR_CONTROL_DISABLE));
    EscapeCommFunction(raw.get(), SETDTR);
}

// The far end stops reading: the pty fills and the write in progress is held. The close must not wait for it.
TEST(SerialClose, EndsAWriteHeldByTheFarEnd)
{
    SerialTestPort port;
    PeerPort peer(kTerminalPort);
    ASSERT_TRUE(port.OpenConnection());
    for (int i = 0; i < 200; ++i) ASSERT_TRUE(port.QueueBytes(std::string(2048, char('a' + i % 26))));
    Sleep(500);  // the line is full now

    const DWORD start = GetTickCount();
    EXPECT_TRUE(port.CloseConnection());
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_TRUE(PortReleased(port));
    EXPECT_FALSE(port.HasError("Error closing port")) << testing::PrintToString(port.Errors());
    peer.Purge();
}

// Requests queued from other threads while the owner closes are either written or freed, never linked into
// a queue that is being torn down.
TEST(SerialClose, QueueingRacesTheClose)
{
    SerialTestPort port;
    PeerPort peer(kTerminalPort);
    for (int round = 0; round < 10; ++round) {
        ASSERT_TRUE(port.OpenConnection());
        std::atomic<bool> stop{false};
        std::vector<std::thread> threads;
        for (int t = 0; t < 3; ++t)
            threads.emplace_back([&] {
                while (!stop) port.QueueBytes("racing");
            });
        Sleep(30);
        EXPECT_TRUE(port.CloseConnection());
        stop = true;
        for (auto& thread : threads) thread.join();
        EXPECT_FALSE(port.QueueBytes("closed"));
        peer.Purge();
    }
    EXPECT_TRUE(port.Errors().empty()) << testing::PrintToString(port.Errors());
}

// A link thread stuck in OnReceive: the close gives up after its wait and says so, but frees nothing the
// thread still uses; the next close, once the thread has ended, releases everything.
TEST(SerialClose, AThreadThatDoesNotEndIsReportedAndOutlived)
{
    SerialTestPort port;
    PeerPort peer(kTerminalPort);
    KernelHandle entered(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    KernelHandle release(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    port.SetReceiveHook([&](SerialTestPort&, const SerialTestPort::Read&) {
        SetEvent(entered.get());
        WaitForSingleObject(release.get(), 20000);
        return KvReceiveNextRequest;
    });
    port.SetCloseWaitMs(300);
    ASSERT_TRUE(port.OpenConnection());
    ASSERT_TRUE(port.QueueBytes("queued"));
    ASSERT_EQ(peer.Read(6, 3000), "queued");
    ASSERT_TRUE(peer.Write("!"));
    ASSERT_EQ(WaitForSingleObject(entered.get(), 3000), DWORD(WAIT_OBJECT_0));

    const DWORD start = GetTickCount();
    EXPECT_TRUE(port.CloseConnection());
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_TRUE(port.HasError("Error closing port")) << testing::PrintToString(port.Errors());
    EXPECT_FALSE(port.Connected());
    EXPECT_FALSE(port.QueueBytes("late"));
    // The stuck thread's port and heaps are still there.
    EXPECT_FALSE(PortReleased(port));
    EXPECT_NE(port.WriterHeap(), nullptr);

    SetEvent(release.get());
    EXPECT_FALSE(port.CloseConnection());  // it was closed already; now the rest goes
    EXPECT_TRUE(PortReleased(port));
    EXPECT_EQ(port.WriterHeap(), nullptr);

    port.SetReceiveHook(nullptr);
    port.ClearRecords();
    ASSERT_TRUE(port.OpenConnection());
    ExpectBothWays(port, peer, "again");
}

// A fatal error on a link thread closes the link from that thread without waiting for itself; the owner
// releases the rest.
TEST(SerialClose, AFatalErrorOnTheReaderThreadStopsTheLinkAtOnce)
{
    SerialTestPort port;
    PeerPort peer(kTerminalPort);
    std::atomic<DWORD> fatalTook{0};
    std::atomic<bool> stillTheReader{false};
    std::atomic<bool> hookReturned{false};
    port.SetReceiveHook([&](SerialTestPort& p, const SerialTestPort::Read& r) {
        if (r.data == "F") {
            const DWORD start = GetTickCount();
            const DWORD self = GetCurrentThreadId();
            p.ReportFatal("test fatal");
            fatalTook = GetTickCount() - start;
            stillTheReader = self == GetCurrentThreadId();
            hookReturned = true;
        }
        return KvReceiveNextRequest;
    });
    ASSERT_TRUE(port.OpenConnection());
    ASSERT_TRUE(port.QueueBytes("x"));
    ASSERT_EQ(peer.Read(1, 3000), "x");
    ASSERT_TRUE(peer.Write("F"));
    ASSERT_TRUE(SerialTestPort::WaitFor([&] { return !port.Connected(); }, 10000));
    ASSERT_TRUE(SerialTestPort::WaitFor([&] { return port.HasError("test fatal"); }, 10000));
    // The link reads as closed while the reader is still inside ReportFatal: its own results come after.
    ASSERT_TRUE(SerialTestPort::WaitFor([&] { return hookReturned.load(); }, 10000));
    // Waiting for itself would have held it for the whole close wait (20 s).
    EXPECT_LT(fatalTook, 10000u);
    EXPECT_TRUE(stillTheReader);
    EXPECT_EQ(port.Errors().size(), 1u) << testing::PrintToString(port.Errors());

    // Requests now go back to the heap at once; the heap itself waits for the owner.
    EXPECT_FALSE(port.QueueBytes("late"));
    EXPECT_NE(port.WriterHeap(), nullptr);

    EXPECT_FALSE(port.CloseConnection());  // closed already, by the fatal error
    EXPECT_EQ(port.WriterHeap(), nullptr);
    EXPECT_TRUE(PortReleased(port));
    EXPECT_EQ(port.Errors().size(), 1u) << testing::PrintToString(port.Errors());

    port.SetReceiveHook(nullptr);
    ASSERT_TRUE(port.OpenConnection());
    ExpectBothWays(port, peer, "reopened");
}

// The owner may also open again straight after a fatal error: the open finishes the teardown first.
TEST(SerialClose, AnOpenAfterAFatalErrorReleasesWhatWasLeft)
{
    SerialTestPort port;
    PeerPort peer(kTerminalPort);
    port.SetReceiveHook([&](SerialTestPort& p, const SerialTestPort::Read&) {
        p.ReportFatal("fatal");
        return KvReceiveNextRequest;
    });
    ASSERT_TRUE(port.OpenConnection());
    ASSERT_TRUE(peer.Write("F"));
    ASSERT_TRUE(SerialTestPort::WaitFor([&] { return !port.Connected(); }, 3000));
    port.SetReceiveHook(nullptr);
    ASSERT_TRUE(port.OpenConnection()) << testing::PrintToString(port.Errors());
    ExpectBothWays(port, peer, "open");
}

// An exception on the reader thread stays there: it is handed to the application's handler on that thread
// and the link closes as after a fatal error; the owner releases the rest and may open again.
std::atomic<DWORD> g_handledOn{0};
std::atomic<int> g_handled{0};
void RecordHandledException(TObject*)
{
    g_handledOn = GetCurrentThreadId();
    ++g_handled;
}

TEST(SerialClose, AnExceptionOnTheReaderThreadIsHandledThereAndClosesTheLink)
{
    struct Handler {
        decltype(ApplicationHandleException) saved = ApplicationHandleException;
        Handler() { ApplicationHandleException = RecordHandledException; }
        ~Handler() { ApplicationHandleException = saved; }
    } handler;
    g_handled = 0;
    SerialTestPort port;
    PeerPort peer(kTerminalPort);
    std::atomic<DWORD> reader{0};
    port.SetReceiveHook([&](SerialTestPort&, const SerialTestPort::Read& r) -> BYTE {
        reader = GetCurrentThreadId();
        if (r.data == "T") throw std::runtime_error("from the receiver");
        return KvReceiveNextRequest;
    });
    ASSERT_TRUE(port.OpenConnection());
    ASSERT_TRUE(peer.Write("T"));
    EXPECT_TRUE(SerialTestPort::WaitFor([&] { return !port.Connected(); }, 5000));
    EXPECT_EQ(g_handled, 1);
    EXPECT_EQ(g_handledOn, reader);
    EXPECT_FALSE(port.CloseConnection());
    EXPECT_TRUE(PortReleased(port));
    port.SetReceiveHook(nullptr);
    ASSERT_TRUE(port.OpenConnection());
    ExpectBothWays(port, peer, "after");
}

}  // namespace
