#include "framework/runtime/Exceptions.h"

#include <windows.h>

[[noreturn]] void RaiseLastOSError()
{
    DWORD code = GetLastError();
    char text[512] = "";
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                             sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) text[--n] = '\0';
    throw EOSError("System Error.  Code: " + AnsiString(unsigned(code)) + ".\r\n" + text);
}
