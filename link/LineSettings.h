#pragma once
// Line settings text ("baud=... parity=... data=... stop=... protocol=...") to and from a DCB, port names
// from numbers and back, and the system text of an error code. Plain C strings: no framework types.

#include <windows.h>

#include <cstddef>

// Fills buffer with the settings text of dcb. The buffer is emptied first; the text is copied only when it
// fits with its terminator (true), else the buffer stays empty (false).
bool FormatCommParameter(const DCB& dcb, char* buffer, size_t size);

// Parses a settings text into dcb: baud, parity, data and stop bits through BuildCommDCBA, then the flow
// control of the protocol letter. A text without a protocol part gets no flow control. Returns what
// BuildCommDCBA returned; a null or empty text gives false and leaves dcb alone.
bool ParseCommParameter(const char* text, DCB& dcb);

// 'S' XON/XOFF, 'H' CTS flow or RTS handshake, else 'N'.
char GetDCBProtocol(const DCB& dcb);

// Sets the flow-control fields of dcb for 'S'/'s', 'H'/'h' or (any other letter) none. With XON/XOFF the limits
// come from inputQueueSize (0: both limits 0).
void SetDCBProtocol(char letter, DCB& dcb, DWORD inputQueueSize);

// "COM" + number ("COM1", "COM10"). False, with the buffer emptied when there is room, when the name does
// not fit.
bool MakePortName(BYTE number, char* buffer, size_t size);

// The number of a name such as "COM12" or "\\.\COM12" (0 when no digits follow); 255 for a name shorter
// than 4 characters.
BYTE PortNumberFromName(const char* name);

// True when the system knows a default configuration for the port.
bool PortExists(BYTE number);

// The system text of an error code, in a buffer from LocalAlloc that the caller frees with LocalFree.
// Returns the text's length; with no text, an empty text and 1.
DWORD FormatSystemMessage(DWORD code, char** text);

// XON/XOFF limits of a DCB are 16 bits wide: larger ones are clamped, not cut.
WORD ClampFlowLimit(DWORD value);
