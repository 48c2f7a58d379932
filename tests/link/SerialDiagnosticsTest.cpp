// The engine's texts and its line arithmetic, without a port.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "SerialTestPort.h"

namespace {

// Hands what is queued to OnStatus, as the reader thread would.
std::vector<std::string> Delivered(SerialTestPort& port)
{
    port.DeliverStatusMessages();
    auto texts = port.Statuses();
    port.ClearRecords();
    return texts;
}

class ComStatProbe : public SerialTestPort {
public:
    using KvSerialPort::ReportComStat;
    using KvSerialPort::ReportCommEvent;
};

TEST(SerialDiagnostics, LineErrorAndHoldTexts)
{
    ComStatProbe port;
    COMSTAT none{};
    port.ReportComStat(0, none);
    EXPECT_TRUE(Delivered(port).empty());

    COMSTAT all{};
    all.fCtsHold = all.fDsrHold = all.fRlsdHold = all.fXoffHold = all.fXoffSent = all.fEof = all.fTxim = 1;
    all.cbInQue = 12;
    all.cbOutQue = 70000;
    port.ReportComStat(CE_DNS | CE_IOE | CE_OOP | CE_PTO | CE_MODE | CE_BREAK | CE_FRAME | CE_RXOVER | CE_TXFULL |
                           CE_OVERRUN | CE_RXPARITY,
                       all);
    EXPECT_EQ(Delivered(port), (std::vector<std::string>{
                                   "ERROR: DNS IOE OOP PTO MODE BREAK FRAME RXOVER TXFULL OVERRUN RXPARITY ",
                                   "Tx waiting for CTS signal",
                                   "Tx waiting for DSR signal",
                                   "Tx waiting for RLSD signal",
                                   "Tx waiting, XOFF char rec'd",
                                   "Tx waiting, XOFF char sent",
                                   "EOF character received",
                                   "Character waiting for Tx",
                                   "12 bytes in input buffer",
                                   "70000 bytes in output buffer",
                               }));

    COMSTAT some{};
    some.fXoffHold = 1;
    port.ReportComStat(CE_FRAME | CE_OVERRUN, some);
    EXPECT_EQ(Delivered(port), (std::vector<std::string>{"ERROR: FRAME OVERRUN ", "Tx waiting, XOFF char rec'd"}));
}

TEST(SerialDiagnostics, LineEventTexts)
{
    ComStatProbe port;
    port.ReportCommEvent(EV_CTS | EV_DSR | EV_ERR | EV_RING | EV_RLSD | EV_BREAK | EV_RXFLAG | EV_RXCHAR | EV_TXEMPTY);
    port.ReportCommEvent(0);
    port.ReportCommEvent(EV_RXCHAR);
    port.ReportCommEvent(EV_RLSD | EV_CTS);
    EXPECT_EQ(Delivered(port), (std::vector<std::string>{"EVENT: CTS DSR ERR RING RLSD BREAK RXFLAG RXCHAR TXEMPTY ",
                                                         "EVENT: NULL", "EVENT: RXCHAR ", "EVENT: CTS RLSD "}));
}

TEST(SerialDiagnostics, AnErrorCarriesCodeOperationAndSystemText)
{
    SerialTestPort port;
    char* text = nullptr;
    FormatSystemMessage(ERROR_ACCESS_DENIED, &text);
    SetLastError(ERROR_ACCESS_DENIED);
    port.ReportError("CreateFile");
    SetLastError(0x2FFFFFFF);  // no system text
    port.ReportError("SetupComm");
    // A long system text or operation never runs past the text buffer.
    const std::string longOperation(5000, 'o');
    SetLastError(ERROR_ACCESS_DENIED);
    port.ReportError(longOperation.c_str());
    const auto errors = port.Errors();
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0], std::string("Error 5: CreateFile / ") + text);
    EXPECT_EQ(errors[1], "Error 805306367: SetupComm / ");
    EXPECT_EQ(errors[2].rfind("Error 5: ooo", 0), 0u);
    EXPECT_LT(errors[2].size(), longOperation.size());
    LocalFree(text);
}

// Statuses from several threads at once never share a number.
TEST(SerialDiagnostics, StatusNumbersAreUniqueAcrossThreads)
{
    SerialTestPort port;
    constexpr int kThreads = 4;
    constexpr int kEach = 2000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&port] {
            for (int i = 0; i < kEach; ++i) port.UpdateStatus("tick");
        });
    for (auto& thread : threads) thread.join();
    port.DeliverStatusMessages();
    const auto raw = port.RawStatuses();
    ASSERT_EQ(raw.size(), size_t(kThreads) * kEach);
    std::set<int> numbers;
    for (const std::string& s : raw) {
        EXPECT_EQ(SerialTestPort::StripNumber(s), "tick");
        numbers.insert(atoi(s.c_str()));
    }
    EXPECT_EQ(numbers.size(), raw.size());
}

TEST(SerialSettings, CharsPerSecond)
{
    const struct {
        const char* parameter;
        DWORD cps;
    } cases[] = {
        {"baud=115200 parity=N data=8 stop=1", 11520},
        {"baud=38400 parity=E data=8 stop=1", 3490},
        {"baud=9600 parity=E data=7 stop=2", 872},
        {"baud=9600 parity=N data=5 stop=1.5", 1280},
        {"baud=300 parity=M data=8 stop=2", 25},
    };
    for (const auto& c : cases) {
        SerialTestPort port(kDriverPort, c.parameter);
        ASSERT_TRUE(port.LoadSettings()) << c.parameter;
        EXPECT_EQ(port.CharsPerSecond(), c.cps) << c.parameter;
    }
    SerialTestPort defaults;
    EXPECT_EQ(defaults.CharsPerSecond(), 3490u);  // 38400 8E1 before any settings
}

TEST(SerialSettings, TheDcbPutOnThePort)
{
    SerialTestPort port;
    DCB dcb;
    ASSERT_TRUE(port.GetDCB(dcb));
    EXPECT_EQ(dcb.DCBlength, 28u);
    EXPECT_EQ(dcb.BaudRate, 38400u);
    EXPECT_EQ(dcb.Parity, EVENPARITY);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    EXPECT_FALSE(dcb.fOutX);  // the engine's own line has no XON/XOFF either
    EXPECT_FALSE(dcb.fInX);
    EXPECT_EQ(dcb.fRtsControl, DWORD(RTS_CONTROL_ENABLE));
    EXPECT_EQ(dcb.fDtrControl, DWORD(DTR_CONTROL_ENABLE));
    EXPECT_TRUE(dcb.fBinary);
    EXPECT_TRUE(dcb.fParity);
    EXPECT_FALSE(dcb.fErrorChar || dcb.fNull || dcb.fAbortOnError);

    DCB in{};
    in.BaudRate = 57600;
    in.ByteSize = 7;
    in.Parity = ODDPARITY;
    in.StopBits = TWOSTOPBITS;
    in.fOutxCtsFlow = TRUE;
    in.fRtsControl = RTS_CONTROL_HANDSHAKE;
    in.fDtrControl = DTR_CONTROL_DISABLE;
    in.EvtChar = 'x';
    in.XonChar = 0x05;
    in.XoffChar = 0x05;  // equal characters are refused by the port
    in.fErrorChar = TRUE;
    ASSERT_TRUE(port.SetFromDCB(in));
    ASSERT_TRUE(port.GetDCB(dcb));
    EXPECT_EQ(dcb.BaudRate, 57600u);
    EXPECT_EQ(dcb.ByteSize, 7);
    EXPECT_EQ(dcb.Parity, ODDPARITY);
    EXPECT_EQ(dcb.StopBits, TWOSTOPBITS);
    EXPECT_TRUE(dcb.fOutxCtsFlow);
    EXPECT_EQ(dcb.fRtsControl, DWORD(RTS_CONTROL_HANDSHAKE));
    EXPECT_EQ(dcb.fDtrControl, DWORD(DTR_CONTROL_DISABLE));
    EXPECT_EQ(dcb.XonChar, 0x11);
    EXPECT_EQ(dcb.XoffChar, 0x13);
    EXPECT_EQ(dcb.EvtChar, 0);  // the event character counts only with the RXFLAG event
    EXPECT_FALSE(dcb.fErrorChar);
    EXPECT_EQ(dcb.XonLim, 0);
    EXPECT_EQ(dcb.XoffLim, 0);

    port.eventMask_ |= EV_RXFLAG;
    in.XonChar = 0x01;
    in.XoffChar = 0x02;
    ASSERT_TRUE(port.SetFromDCB(in));
    ASSERT_TRUE(port.GetDCB(dcb));
    EXPECT_EQ(dcb.EvtChar, 'x');
    EXPECT_EQ(dcb.XonChar, 0x01);
    EXPECT_EQ(dcb.XoffChar, 0x02);
}

TEST(SerialSettings, InputFlowControlLimitsFromTheQueueSize)
{
    const struct {
        DWORD queue;
        WORD xon;
        WORD xoff;
    } cases[] = {{358400, 65535, 65535}, {4096, 2048, 1024}, {200000, 65535, 50000}};
    for (const auto& c : cases) {
        SerialTestPort port;
        port.inputQueueSize_ = c.queue;
        DCB in{};
        in.fInX = TRUE;
        ASSERT_TRUE(port.SetFromDCB(in));
        DCB dcb;
        port.GetDCB(dcb);
        EXPECT_EQ(dcb.XonLim, c.xon) << c.queue;
        EXPECT_EQ(dcb.XoffLim, c.xoff) << c.queue;

        // Limits given are kept; without input XON/XOFF there are none.
        in.XonLim = 300;
        in.XoffLim = 100;
        port.SetFromDCB(in);
        port.GetDCB(dcb);
        EXPECT_EQ(dcb.XonLim, 300);
        EXPECT_EQ(dcb.XoffLim, 100);
        in.fInX = FALSE;
        port.SetFromDCB(in);
        port.GetDCB(dcb);
        EXPECT_EQ(dcb.XonLim, 0);
        EXPECT_EQ(dcb.XoffLim, 0);
    }
}

TEST(SerialSettings, TimeoutsAndReadRequestsOfAClosedEngine)
{
    SerialTestPort port;
    const COMMTIMEOUTS t = port.GetTimeouts();
    EXPECT_EQ(t.ReadTotalTimeoutConstant, 5000u);
    COMMTIMEOUTS other{10, 2, 300, 0, 0};
    EXPECT_TRUE(port.SetReadRequest(6, &other, true));
    EXPECT_EQ(port.GetTimeouts().ReadTotalTimeoutConstant, 300u);
    EXPECT_EQ(port.GetTimeouts().ReadIntervalTimeout, 10u);
    EXPECT_FALSE(port.Purge(PURGE_RXCLEAR));  // nothing to purge while closed
    EXPECT_FALSE(port.SetQueueSizes(1000, 1000));
    EXPECT_TRUE(port.Errors().empty()) << testing::PrintToString(port.Errors());
}

}  // namespace
