#include "link/LineSettings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/runtime/SysUtils.h"

namespace {

const char* ParityText(BYTE parity)
{
    static const char* const texts[] = {"N", "O", "E", "M", "S"};
    return parity < 5 ? texts[parity] : "???";
}

const char* StopBitsText(BYTE stopBits)
{
    static const char* const texts[] = {"1", "1.5", "2"};
    return stopBits < 3 ? texts[stopBits] : "???";
}

void ClearFlowControl(DCB& dcb)
{
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.XonChar = 0;
    dcb.XoffChar = 0;
    dcb.XonLim = 0;
    dcb.XoffLim = 0;
    dcb.fTXContinueOnXoff = FALSE;
}

}  // namespace

WORD ClampFlowLimit(DWORD value)
{
    return value > 0xFFFF ? WORD(0xFFFF) : WORD(value);
}

bool FormatCommParameter(const DCB& dcb, char* buffer, size_t size)
{
    if (buffer && size > 0) buffer[0] = '\0';
    char text[256];
    const int n = snprintf(text, sizeof text, "baud=%i parity=%s data=%i stop=%s protocol=%c", int(dcb.BaudRate),
                           ParityText(dcb.Parity), int(dcb.ByteSize), StopBitsText(dcb.StopBits), GetDCBProtocol(dcb));
    if (!buffer || n < 0 || size_t(n) >= sizeof text || size_t(n) + 1 > size) return false;
    memcpy(buffer, text, size_t(n) + 1);
    return true;
}

bool ParseCommParameter(const char* text, DCB& dcb)
{
    if (!text || !*text) return false;

    const size_t length = strlen(text);
    char* copy = static_cast<char*>(malloc(length + 1));
    if (!copy) return false;
    for (size_t i = 0; i <= length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        copy[i] = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : char(c);
    }

    static const char kProtocol[] = " protocol=";
    char letter = 'n';  // the line carries a binary protocol: no protocol part means no flow control
    if (char* protocol = strstr(copy, kProtocol)) {
        letter = protocol[sizeof kProtocol - 1];
        *protocol = '\0';
    }

    dcb.DCBlength = sizeof(DCB);
    const bool built = BuildCommDCBA(copy, &dcb) != FALSE;
    dcb.fParity = dcb.Parity != NOPARITY;
    SetDCBProtocol(letter, dcb, 0);
    free(copy);
    return built;
}

char GetDCBProtocol(const DCB& dcb)
{
    if (dcb.fOutX || dcb.fInX) return 'S';
    // RTS merely held up is no handshake: calling that 'H' would turn on CTS flow when parsed back.
    if (dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) return 'H';
    return 'N';
}

void SetDCBProtocol(char letter, DCB& dcb, DWORD inputQueueSize)
{
    ClearFlowControl(dcb);
    switch (letter) {
    case 'H':
    case 'h':
        dcb.fOutxCtsFlow = TRUE;
        dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
        break;
    case 'S':
    case 's':
        dcb.fOutX = TRUE;
        dcb.XonChar = 0x11;
        dcb.XoffChar = 0x13;
        if (inputQueueSize != 0) {
            dcb.XonLim = ClampFlowLimit(inputQueueSize / 2);
            dcb.XoffLim = ClampFlowLimit(inputQueueSize / 4);
        }
        break;
    default:
        break;
    }
}

bool MakePortName(BYTE number, char* buffer, size_t size)
{
    if (!buffer || size == 0) return false;
    const int n = snprintf(buffer, size, "COM%u", unsigned(number));
    if (n < 0 || size_t(n) >= size) {
        buffer[0] = '\0';
        return false;
    }
    return true;
}

BYTE PortNumberFromName(const char* name)
{
    if (!name) return 255;
    // A device path names the same port as its plain name.
    if (strncmp(name, "\\\\.\\", 4) == 0) name += 4;
    if (strlen(name) < 4) return 255;
    return BYTE(strtol(name + 3, nullptr, 10));
}

bool PortExists(BYTE number)
{
    char name[16];
    if (!MakePortName(number, name, sizeof name)) return false;
    union {
        COMMCONFIG config;
        BYTE bytes[52];
    } buffer{};
    DWORD size = sizeof buffer.bytes;
    return GetDefaultCommConfigA(name, &buffer.config, &size) != FALSE;
}

DWORD FormatSystemMessage(DWORD code, char** text)
{
    const AnsiString message = SystemMessageText(code);
    const DWORD length = DWORD(message.Length());
    // Zeroed, so an unknown code gives an empty text of length 1.
    *text = static_cast<char*>(LocalAlloc(LPTR, length + 1));
    if (*text && length) std::memcpy(*text, message.c_str(), length);
    return length ? length : 1;
}
