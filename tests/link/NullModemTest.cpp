// The serial pairs of the test environment behave like a null-modem cable:
// COM5<->COM6 (and COM10<->COM11) are socat pty pairs, and the preloaded
// null-modem library gives them modem-control lines. Link tests rely on this.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <ostream>
#include <string>

#include "framework/runtime/Handles.h"
#include "support/PeerPort.h"

namespace {

constexpr DWORD kLineEvents = EV_RXCHAR | EV_CTS | EV_DSR | EV_RLSD | EV_RING | EV_ERR | EV_BREAK;

class NullModemPair : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(driver_.Open("COM5")) << "COM5: " << driver_.LastError();
        ASSERT_TRUE(terminal_.Open("COM6")) << "COM6: " << terminal_.LastError();
    }

    // Both held as the terminal holds its end: 8N1, binary, no flow control, so every byte value must pass.
    PeerPort driver_;
    PeerPort terminal_;
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
        ASSERT_TRUE(EscapeCommFunction(driver_.Handle(), step.function)) << GetLastError();
        // Wine reads the lines back from the device, so the state shows what the port holds.
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        ASSERT_TRUE(GetCommState(driver_.Handle(), &dcb));
        EXPECT_EQ(dcb.fDtrControl, step.dtrControl);
        EXPECT_EQ(dcb.fRtsControl, step.rtsControl);
    }
}

TEST_F(NullModemPair, PeerLinesAreUp)
{
    DWORD status = 0;
    ASSERT_TRUE(GetCommModemStatus(driver_.Handle(), &status))
        << GetLastError() << " (without the null-modem library ptys have no lines)";
    EXPECT_EQ(status & (MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON), DWORD(MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON));
    EXPECT_EQ(status & MS_RING_ON, 0u);
}

TEST_F(NullModemPair, LineEventWaitPendsUntilBytesArrive)
{
    ASSERT_TRUE(SetCommMask(driver_.Handle(), kLineEvents)) << GetLastError();
    KernelHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED ov{};
    ov.hEvent = event.get();
    DWORD events = 0;
    ASSERT_FALSE(WaitCommEvent(driver_.Handle(), &events, &ov));
    ASSERT_EQ(GetLastError(), DWORD(ERROR_IO_PENDING));
    EXPECT_EQ(WaitForSingleObject(event.get(), 300), DWORD(WAIT_TIMEOUT)) << "events " << events;

    ASSERT_TRUE(terminal_.Write("K"));
    ASSERT_EQ(WaitForSingleObject(event.get(), 5000), DWORD(WAIT_OBJECT_0));
    DWORD unused = 0;
    ASSERT_TRUE(GetOverlappedResult(driver_.Handle(), &ov, &unused, FALSE)) << GetLastError();
    EXPECT_EQ(events, DWORD(EV_RXCHAR));
    EXPECT_EQ(driver_.Read(1), "K");
}

TEST_F(NullModemPair, MaskChangeEndsPendingWait)
{
    ASSERT_TRUE(SetCommMask(driver_.Handle(), kLineEvents));
    KernelHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED ov{};
    ov.hEvent = event.get();
    DWORD events = 0xFFFF;
    ASSERT_FALSE(WaitCommEvent(driver_.Handle(), &events, &ov));
    ASSERT_EQ(GetLastError(), DWORD(ERROR_IO_PENDING));
    ASSERT_EQ(WaitForSingleObject(event.get(), 200), DWORD(WAIT_TIMEOUT));

    ASSERT_TRUE(SetCommMask(driver_.Handle(), 0));
    ASSERT_EQ(WaitForSingleObject(event.get(), 5000), DWORD(WAIT_OBJECT_0));
    DWORD unused = 0;
    GetOverlappedResult(driver_.Handle(), &ov, &unused, FALSE);
    EXPECT_EQ(events, 0u);
}

TEST_F(NullModemPair, EveryByteValuePassesBothWays)
{
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    const std::string data = all + std::string("\x11\x13\x11\x13\x00\xFF", 6) + all;

    ASSERT_TRUE(driver_.Write(data));
    EXPECT_EQ(terminal_.Read(data.size(), 10000), data);

    ASSERT_TRUE(terminal_.Write(data));
    EXPECT_EQ(driver_.Read(data.size(), 10000), data);
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
    PeerPort port;
    ASSERT_TRUE(port.OpenAsNamed(p.name)) << p.name << ": " << port.LastError();
    PeerPort peer;
    ASSERT_TRUE(peer.OpenAsNamed(p.peer)) << p.peer << ": " << peer.LastError();
    ASSERT_TRUE(EscapeCommFunction(port.Handle(), SETDTR)) << GetLastError();
    ASSERT_TRUE(port.Write(p.name));
    EXPECT_EQ(peer.Read(strlen(p.name)), p.name);
}

INSTANTIATE_TEST_SUITE_P(NullModem, PortNames,
                         testing::Values(PortName{"COM5", "COM6"}, PortName{"\\\\.\\COM5", "\\\\.\\COM6"},
                                         PortName{"COM7", "\\\\.\\COM8"},
                                         PortName{"\\\\.\\COM10", "\\\\.\\COM11"}));

// As on Windows, only COM1-COM9 exist as plain names; COM10 and above need the device prefix.
TEST(NullModemNames, ComTenAndAboveOpenOnlyWithDevicePrefix)
{
    PeerPort plain;
    EXPECT_FALSE(plain.OpenAsNamed("COM10"));
    EXPECT_EQ(plain.LastError(), DWORD(ERROR_FILE_NOT_FOUND));
    PeerPort prefixed;
    EXPECT_TRUE(prefixed.OpenAsNamed("\\\\.\\COM10")) << prefixed.LastError();
}

}  // namespace
