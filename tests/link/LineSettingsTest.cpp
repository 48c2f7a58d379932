// Line settings text and port names, without a port: BuildCommDCBA needs no device.
#include "link/Serial.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct ParseCase {
    const char* text;
    DWORD baud;
    BYTE parity;
    BYTE dataBits;
    BYTE stopBits;
    char protocol;
};

void PrintTo(const ParseCase& c, std::ostream* os)
{
    *os << '"' << c.text << '"';
}

class ParseCommParameterCases : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseCommParameterCases, GivesLineAndFlowControl)
{
    const ParseCase& c = GetParam();
    DCB dcb{};
    ASSERT_TRUE(ParseCommParameter(c.text, dcb));
    EXPECT_EQ(dcb.DCBlength, 28u);
    EXPECT_EQ(dcb.BaudRate, c.baud);
    EXPECT_EQ(dcb.Parity, c.parity);
    EXPECT_EQ(bool(dcb.fParity), c.parity != NOPARITY);
    EXPECT_EQ(dcb.ByteSize, c.dataBits);
    EXPECT_EQ(dcb.StopBits, c.stopBits);
    EXPECT_EQ(GetDCBProtocol(dcb), c.protocol);
    switch (c.protocol) {
    case 'H':
        EXPECT_TRUE(dcb.fOutxCtsFlow);
        EXPECT_EQ(dcb.fRtsControl, DWORD(RTS_CONTROL_HANDSHAKE));
        EXPECT_FALSE(dcb.fOutX);
        EXPECT_FALSE(dcb.fInX);
        break;
    case 'S':
        EXPECT_TRUE(dcb.fOutX);
        EXPECT_FALSE(dcb.fInX);
        EXPECT_EQ(dcb.XonChar, 0x11);
        EXPECT_EQ(dcb.XoffChar, 0x13);
        EXPECT_EQ(dcb.XonLim, 0);  // the parser gives no queue size
        EXPECT_EQ(dcb.XoffLim, 0);
        EXPECT_FALSE(dcb.fOutxCtsFlow);
        break;
    default:
        EXPECT_FALSE(dcb.fOutX);
        EXPECT_FALSE(dcb.fInX);
        EXPECT_FALSE(dcb.fOutxCtsFlow);
        EXPECT_FALSE(dcb.fOutxDsrFlow);
        EXPECT_EQ(dcb.fRtsControl, DWORD(RTS_CONTROL_DISABLE));
        EXPECT_EQ(dcb.XonChar, 0);
        EXPECT_EQ(dcb.XoffChar, 0);
        break;
    }
    EXPECT_EQ(dcb.fDtrControl, DWORD(DTR_CONTROL_DISABLE));
    EXPECT_FALSE(dcb.fDsrSensitivity);
    EXPECT_FALSE(dcb.fTXContinueOnXoff);
}

INSTANTIATE_TEST_SUITE_P(
    LineSettings, ParseCommParameterCases,
    testing::Values(ParseCase{"baud=9600 parity=E data=7 stop=2 protocol=H", 9600, EVENPARITY, 7, TWOSTOPBITS, 'H'},
                    ParseCase{"baud=115200 parity=N data=8 stop=1 protocol=N", 115200, NOPARITY, 8, ONESTOPBIT, 'N'},
                    // The line carries binary frames (0x11 is a command byte): no protocol part, no XON/XOFF.
                    ParseCase{"baud=115200 parity=N data=8 stop=1", 115200, NOPARITY, 8, ONESTOPBIT, 'N'},
                    ParseCase{"baud=19200 parity=O data=8 stop=1 protocol=", 19200, ODDPARITY, 8, ONESTOPBIT, 'N'},
                    ParseCase{"BAUD=38400 PARITY=M DATA=8 STOP=1 PROTOCOL=S", 38400, MARKPARITY, 8, ONESTOPBIT, 'S'},
                    ParseCase{"baud=4800 parity=s data=5 stop=1.5 protocol=s", 4800, SPACEPARITY, 5, ONE5STOPBITS, 'S'},
                    ParseCase{"baud=57600 parity=n data=8 stop=1 protocol=x", 57600, NOPARITY, 8, ONESTOPBIT, 'N'},
                    ParseCase{"baud=1200 parity=e data=8 stop=1 protocol=h", 1200, EVENPARITY, 8, ONESTOPBIT, 'H'}));

TEST(LineSettings, ParseRefusesNothingToParseAndLeavesTheDcbAlone)
{
    DCB dcb;
    memset(&dcb, 0xA5, sizeof dcb);
    DCB before = dcb;
    EXPECT_FALSE(ParseCommParameter(nullptr, dcb));
    EXPECT_FALSE(ParseCommParameter("", dcb));
    EXPECT_EQ(memcmp(&dcb, &before, sizeof dcb), 0);
}

TEST(LineSettings, ParseReportsWhatTheSystemParserSays)
{
    DCB dcb{};
    EXPECT_FALSE(ParseCommParameter("baud=fast parity=N protocol=N", dcb));
    EXPECT_FALSE(ParseCommParameter("protocol=N", dcb));
}

DCB MakeDcb(DWORD baud, BYTE parity, BYTE dataBits, BYTE stopBits)
{
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = baud;
    dcb.Parity = parity;
    dcb.ByteSize = dataBits;
    dcb.StopBits = stopBits;
    return dcb;
}

TEST(LineSettings, FormatWritesEveryFieldAndMarksUnknownValues)
{
    struct Case {
        DCB dcb;
        const char* text;
    };
    DCB rtsUp = MakeDcb(115200, NOPARITY, 8, ONESTOPBIT);
    rtsUp.fRtsControl = RTS_CONTROL_ENABLE;
    rtsUp.fDtrControl = DTR_CONTROL_ENABLE;
    DCB handshake = MakeDcb(9600, EVENPARITY, 7, TWOSTOPBITS);
    handshake.fRtsControl = RTS_CONTROL_HANDSHAKE;
    DCB ctsFlow = MakeDcb(9600, ODDPARITY, 8, ONE5STOPBITS);
    ctsFlow.fOutxCtsFlow = TRUE;
    DCB inputXon = MakeDcb(38400, MARKPARITY, 8, ONESTOPBIT);
    inputXon.fInX = TRUE;
    inputXon.fOutxCtsFlow = TRUE;
    const Case cases[] = {
        // RTS held up is no handshake, so it stays protocol N and parses back without CTS flow.
        {rtsUp, "baud=115200 parity=N data=8 stop=1 protocol=N"},
        {handshake, "baud=9600 parity=E data=7 stop=2 protocol=H"},
        {ctsFlow, "baud=9600 parity=O data=8 stop=1.5 protocol=H"},
        {inputXon, "baud=38400 parity=M data=8 stop=1 protocol=S"},
        {MakeDcb(300, SPACEPARITY, 6, 3), "baud=300 parity=S data=6 stop=??? protocol=N"},
        {MakeDcb(110, 7, 8, ONESTOPBIT), "baud=110 parity=??? data=8 stop=1 protocol=N"},
    };
    for (const Case& c : cases) {
        char text[256];
        ASSERT_TRUE(FormatCommParameter(c.dcb, text, sizeof text)) << c.text;
        EXPECT_STREQ(text, c.text);
    }
}

TEST(LineSettings, FormatCopiesOnlyWhenTheTextFits)
{
    const DCB dcb = MakeDcb(115200, NOPARITY, 8, ONESTOPBIT);
    const size_t length = strlen("baud=115200 parity=N data=8 stop=1 protocol=N");
    const struct {
        size_t size;
        bool fits;
    } cases[] = {{10, false}, {length, false}, {length + 1, true}, {1, false}};
    for (const auto& c : cases) {
        char text[64];
        memset(text, 'x', sizeof text);
        EXPECT_EQ(FormatCommParameter(dcb, text, c.size), c.fits) << c.size;
        if (c.fits) EXPECT_EQ(strlen(text), length);
        else EXPECT_EQ(text[0], '\0') << c.size;
        EXPECT_EQ(text[c.size], 'x') << "written past the buffer of " << c.size;
    }
    EXPECT_FALSE(FormatCommParameter(dcb, nullptr, 100));
    char untouched = 'x';
    EXPECT_FALSE(FormatCommParameter(dcb, &untouched, 0));
    EXPECT_EQ(untouched, 'x');
}

// What the configuration window stores must come back as the same line.
TEST(LineSettings, FormatAndParseRoundTrip)
{
    const DWORD bauds[] = {300, 9600, 38400, 115200, 256000};
    const BYTE parities[] = {NOPARITY, ODDPARITY, EVENPARITY, MARKPARITY, SPACEPARITY};
    const BYTE dataBits[] = {5, 7, 8};
    const char protocols[] = {'N', 'S', 'H'};
    for (DWORD baud : bauds)
        for (BYTE parity : parities)
            for (BYTE data : dataBits)
                for (BYTE stop : {BYTE(ONESTOPBIT), BYTE(ONE5STOPBITS), BYTE(TWOSTOPBITS)})
                    for (char protocol : protocols) {
                        DCB in = MakeDcb(baud, parity, data, stop);
                        SetDCBProtocol(protocol, in, 0);
                        char text[256];
                        ASSERT_TRUE(FormatCommParameter(in, text, sizeof text));
                        DCB out{};
                        ASSERT_TRUE(ParseCommParameter(text, out)) << text;
                        EXPECT_EQ(out.BaudRate, baud) << text;
                        EXPECT_EQ(out.Parity, parity) << text;
                        EXPECT_EQ(out.ByteSize, data) << text;
                        EXPECT_EQ(out.StopBits, stop) << text;
                        EXPECT_EQ(GetDCBProtocol(out), protocol) << text;
                    }
}

TEST(LineSettings, SetProtocolReplacesEveryFlowControlField)
{
    DCB all{};
    all.fOutxCtsFlow = all.fOutxDsrFlow = all.fDsrSensitivity = all.fOutX = all.fInX = all.fTXContinueOnXoff = TRUE;
    all.fRtsControl = RTS_CONTROL_TOGGLE;
    all.fDtrControl = DTR_CONTROL_HANDSHAKE;
    all.XonChar = 1;
    all.XoffChar = 2;
    all.XonLim = 3;
    all.XoffLim = 4;

    DCB none = all;
    SetDCBProtocol('N', none, 358400);
    EXPECT_FALSE(none.fOutxCtsFlow || none.fOutxDsrFlow || none.fDsrSensitivity || none.fOutX || none.fInX ||
                 none.fTXContinueOnXoff);
    EXPECT_EQ(none.fRtsControl, DWORD(RTS_CONTROL_DISABLE));
    EXPECT_EQ(none.fDtrControl, DWORD(DTR_CONTROL_DISABLE));
    EXPECT_EQ(none.XonChar | none.XoffChar | none.XonLim | none.XoffLim, 0);

    DCB hardware = all;
    SetDCBProtocol('h', hardware, 358400);
    EXPECT_TRUE(hardware.fOutxCtsFlow);
    EXPECT_EQ(hardware.fRtsControl, DWORD(RTS_CONTROL_HANDSHAKE));
    EXPECT_FALSE(hardware.fOutxDsrFlow || hardware.fDsrSensitivity || hardware.fOutX || hardware.fInX);
    EXPECT_EQ(hardware.fDtrControl, DWORD(DTR_CONTROL_DISABLE));
    EXPECT_EQ(hardware.XonChar | hardware.XoffChar | hardware.XonLim | hardware.XoffLim, 0);

    // Limits come from the input queue; what does not fit the 16-bit fields is clamped, not cut.
    const struct {
        DWORD queue;
        WORD xon;
        WORD xoff;
    } limits[] = {{0, 0, 0}, {4096, 2048, 1024}, {100000, 50000, 25000}, {358400, 65535, 65535}, {200000, 65535, 50000}};
    for (const auto& l : limits) {
        DCB software = all;
        SetDCBProtocol('S', software, l.queue);
        EXPECT_TRUE(software.fOutX);
        EXPECT_FALSE(software.fInX || software.fOutxCtsFlow || software.fTXContinueOnXoff);
        EXPECT_FALSE(software.fOutxDsrFlow || software.fDsrSensitivity);
        EXPECT_EQ(software.fRtsControl, DWORD(RTS_CONTROL_DISABLE));
        EXPECT_EQ(software.fDtrControl, DWORD(DTR_CONTROL_DISABLE));
        EXPECT_EQ(software.XonChar, 0x11);
        EXPECT_EQ(software.XoffChar, 0x13);
        EXPECT_EQ(software.XonLim, l.xon) << l.queue;
        EXPECT_EQ(software.XoffLim, l.xoff) << l.queue;
    }
}

TEST(PortNames, MakePortNameWritesTheWholeNumber)
{
    const struct {
        BYTE number;
        const char* name;
    } cases[] = {{1, "COM1"}, {9, "COM9"}, {10, "COM10"}, {11, "COM11"}, {99, "COM99"}, {255, "COM255"}};
    for (const auto& c : cases) {
        char name[16];
        ASSERT_TRUE(MakePortName(c.number, name, sizeof name));
        EXPECT_STREQ(name, c.name);
    }
}

TEST(PortNames, MakePortNameRefusesBuffersTooSmall)
{
    char name[8];
    EXPECT_TRUE(MakePortName(7, name, 5));
    EXPECT_STREQ(name, "COM7");
    memset(name, 'x', sizeof name);
    EXPECT_FALSE(MakePortName(10, name, 5));
    EXPECT_EQ(name[0], '\0');
    EXPECT_EQ(name[5], 'x');
    EXPECT_FALSE(MakePortName(1, name, 4));
    EXPECT_FALSE(MakePortName(1, nullptr, 8));
}

TEST(PortNames, PortNumberFromName)
{
    const struct {
        const char* name;
        BYTE number;
    } cases[] = {{"COM12", 12}, {"COM1", 1}, {"COM", 255}, {"", 255}, {nullptr, 255}, {"COMx", 0},
                 {"COM 7", 7},  {"com3", 3}, {"\\\\.\\COM12", 12}, {"\\\\.\\COM", 255}};
    for (const auto& c : cases) EXPECT_EQ(PortNumberFromName(c.name), c.number) << (c.name ? c.name : "(null)");
}

TEST(PortNames, ATestPortExists)
{
    // Wine also says yes for ports without a device, so only the present one is asked about.
    EXPECT_TRUE(PortExists(5));
}

TEST(SystemMessages, TextOfAKnownCode)
{
    char* text = nullptr;
    const DWORD length = FormatSystemMessage(ERROR_FILE_NOT_FOUND, &text);
    ASSERT_NE(text, nullptr);
    EXPECT_GT(length, 1u);
    EXPECT_EQ(length, strlen(text));
    LocalFree(text);
}

TEST(SystemMessages, EmptyTextForAnUnknownCode)
{
    char* text = nullptr;
    const DWORD length = FormatSystemMessage(0x2FFFFFFF, &text);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(length, 1u);
    LocalFree(text);
}

}  // namespace
