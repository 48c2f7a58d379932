// The serial pairs of the test environment behave like a null-modem cable:
// COM5<->COM6 (and COM10<->COM11) are socat pty pairs, and the preloaded
// null-modem library gives them modem-control lines. Link tests rely on this.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "framework/runtime/Handles.h"

namespace {

constexpr DWORD kLineEvents = EV_RXCHAR | EV_CTS | EV_DSR | EV_RLSD | EV_RING | EV_ERR | EV_BREAK;

FileHandle OpenPort(const char* name)
{
    return FileHandle(CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OVERLAPPED, nullptr));
}

// 8N1, binary, no flow control of any kind: every byte value must pass.
void ConfigureRaw(HANDLE port)
{
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(port, &dcb)) << GetLastError();
    dcb.BaudRate = CBR_115200;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    ASSERT_TRUE(SetCommState(port, &dcb)) << GetLastError();

    COMMTIMEOUTS timeouts{};
    timeouts.ReadTotalTimeoutConstant = 3000;  // a read gives up if the peer sends nothing
    ASSERT_TRUE(SetCommTimeouts(port, &timeouts)) << GetLastError();
    ASSERT_TRUE(PurgeComm(port, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR));
}

// Waits for an overlapped call that returned FALSE; returns the bytes moved, or -1.
long Complete(HANDLE port, OVERLAPPED& ov, BOOL started, DWORD waitMs)
{
    DWORD done = 0;
    if (!started) {
        if (GetLastError() != ERROR_IO_PENDING) return -1;
        if (WaitForSingleObject(ov.hEvent, waitMs) != WAIT_OBJECT_0) {
            CancelIo(port);
            GetOverlappedResult(port, &ov, &done, TRUE);
            return -1;
        }
    }
    if (!GetOverlappedResult(port, &ov, &done, FALSE)) return -1;
    return static_cast<long>(done);
}

bool WriteAll(HANDLE port, const std::string& data)
{
    KernelHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED ov{};
    ov.hEvent = event.get();
    DWORD written = 0;
    BOOL ok = WriteFile(port, data.data(), static_cast<DWORD>(data.size()), &written, &ov);
    return Complete(port, ov, ok, 5000) == static_cast<long>(data.size());
}

// Reads until `count` bytes arrived or a read times out with nothing.
std::string ReadBytes(HANDLE port, size_t count)
{
    std::string got;
    KernelHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    while (got.size() < count) {
        char buf[512];
        DWORD want = static_cast<DWORD>(std::min(count - got.size(), sizeof buf));
        OVERLAPPED ov{};
        ov.hEvent = event.get();
        ResetEvent(event.get());
        DWORD n = 0;
        BOOL ok = ReadFile(port, buf, want, &n, &ov);
        long done = Complete(port, ov, ok, 10000);
        if (done <= 0) break;
        got.append(buf, static_cast<size_t>(done));
    }
    return got;
}

class NullModemPair : public testing::Test {
protected:
    void SetUp() override
    {
        driver_ = OpenPort("\\\\.\\COM5");
        ASSERT_TRUE(driver_) << "COM5: " << GetLastError();
        terminal_ = OpenPort("\\\\.\\COM6");
        ASSERT_TRUE(terminal_) << "COM6: " << GetLastError();
        ConfigureRaw(driver_.get());
        ConfigureRaw(terminal_.get());
    }

    FileHandle driver_;
    FileHandle terminal_;
};

TEST_F(NullModemPair, DtrAndRtsCanBeRaisedAndDropped)
{
    struct Step {
        DWORD function;
        DWORD dtrControl;
        DWORD rtsControl;
    };
    const Step steps[] = {
        {CLRDTR, DTR_CONTROL_DISABLE, RTS_CONTROL_ENABLE},
        {CLRRTS, DTR_CONTROL_DISABLE, RTS_CONTROL_DISABLE},
        {SETDTR, DTR_CONTROL_ENABLE, RTS_CONTROL_DISABLE},
        {SETRTS, DTR_CONTROL_ENABLE, RTS_CONTROL_ENABLE},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.function);
        ASSERT_TRUE(EscapeCommFunction(driver_.get(), step.function)) << GetLastError();
        // Wine reads the lines back from the device, so the state shows what the port holds.
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        ASSERT_TRUE(GetCommState(driver_.get(), &dcb));
        EXPECT_EQ(dcb.fDtrControl, step.dtrControl);
        EXPECT_EQ(dcb.fRtsControl, step.rtsControl);
    }
}

TEST_F(NullModemPair, PeerLinesAreUp)
{
    DWORD status = 0;
    ASSERT_TRUE(GetCommModemStatus(driver_.get(), &status))
        << GetLastError() << " (without the null-modem library ptys have no lines)";
    EXPECT_EQ(status & (MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON), DWORD(MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON));
    EXPECT_EQ(status & MS_RING_ON, 0u);
}

TEST_F(NullModemPair, LineEventWaitPendsUntilBytesArrive)
{
    ASSERT_TRUE(SetCommMask(driver_.get(), kLineEvents)) << GetLastError();
    KernelHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED ov{};
    ov.hEvent = event.get();
    DWORD events = 0;
    ASSERT_FALSE(WaitCommEvent(driver_.get(), &events, &ov));
    ASSERT_EQ(GetLastError(), DWORD(ERROR_IO_PENDING));
    EXPECT_EQ(WaitForSingleObject(event.get(), 300), DWORD(WAIT_TIMEOUT)) << "events " << events;

    ASSERT_TRUE(WriteAll(terminal_.get(), "K"));
    ASSERT_EQ(WaitForSingleObject(event.get(), 5000), DWORD(WAIT_OBJECT_0));
    DWORD unused = 0;
    ASSERT_TRUE(GetOverlappedResult(driver_.get(), &ov, &unused, FALSE)) << GetLastError();
    EXPECT_EQ(events, DWORD(EV_RXCHAR));
    EXPECT_EQ(ReadBytes(driver_.get(), 1), "K");
}

TEST_F(NullModemPair, MaskChangeEndsPendingWait)
{
    ASSERT_TRUE(SetCommMask(driver_.get(), kLineEvents));
    KernelHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED ov{};
    ov.hEvent = event.get();
    DWORD events = 0xFFFF;
    ASSERT_FALSE(WaitCommEvent(driver_.get(), &events, &ov));
    ASSERT_EQ(GetLastError(), DWORD(ERROR_IO_PENDING));
    ASSERT_EQ(WaitForSingleObject(event.get(), 200), DWORD(WAIT_TIMEOUT));

    ASSERT_TRUE(SetCommMask(driver_.get(), 0));
    ASSERT_EQ(WaitForSingleObject(event.get(), 5000), DWORD(WAIT_OBJECT_0));
    DWORD unused = 0;
    GetOverlappedResult(driver_.get(), &ov, &unused, FALSE);
    EXPECT_EQ(events, 0u);
}

TEST_F(NullModemPair, EveryByteValuePassesBothWays)
{
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    const std::string data = all + std::string("\x11\x13\x11\x13\x00\xFF", 6) + all;

    ASSERT_TRUE(WriteAll(driver_.get(), data));
    EXPECT_EQ(ReadBytes(terminal_.get(), data.size()), data);

    ASSERT_TRUE(WriteAll(terminal_.get(), data));
    EXPECT_EQ(ReadBytes(driver_.get(), data.size()), data);
}

struct PortName {
    const char* name;
    const char* peer;
};

void PrintTo(const PortName& p, std::ostream* os) { *os << p.name << " <-> " << p.peer; }

class PortNames : public testing::TestWithParam<PortName> {};

// Both ends of a pair carry bytes under the names the link uses to open them.
TEST_P(PortNames, OpenAndCarryBytes)
{
    const PortName& p = GetParam();
    FileHandle port = OpenPort(p.name);
    ASSERT_TRUE(port) << p.name << ": " << GetLastError();
    FileHandle peer = OpenPort(p.peer);
    ASSERT_TRUE(peer) << p.peer << ": " << GetLastError();
    ConfigureRaw(port.get());
    ConfigureRaw(peer.get());
    ASSERT_TRUE(EscapeCommFunction(port.get(), SETDTR)) << GetLastError();
    ASSERT_TRUE(WriteAll(port.get(), p.name));
    EXPECT_EQ(ReadBytes(peer.get(), strlen(p.name)), p.name);
}

INSTANTIATE_TEST_SUITE_P(NullModem, PortNames,
                         testing::Values(PortName{"COM5", "COM6"}, PortName{"\\\\.\\COM5", "\\\\.\\COM6"},
                                         PortName{"COM7", "\\\\.\\COM8"},
                                         PortName{"\\\\.\\COM10", "\\\\.\\COM11"}));

// As on Windows, only COM1-COM9 exist as plain names; COM10 and above need the device prefix.
TEST(NullModemNames, ComTenAndAboveOpenOnlyWithDevicePrefix)
{
    FileHandle plain = OpenPort("COM10");
    EXPECT_FALSE(plain);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    FileHandle prefixed = OpenPort("\\\\.\\COM10");
    EXPECT_TRUE(prefixed) << GetLastError();
}

}  // namespace
