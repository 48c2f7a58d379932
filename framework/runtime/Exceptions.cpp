#include "framework/runtime/Exceptions.h"

#include <windows.h>

#include "framework/runtime/SysUtils.h"

[[noreturn]] void RaiseLastOSError()
{
    const DWORD code = GetLastError();
    throw EOSError("System Error.  Code: " + AnsiString(unsigned(code)) + ".\r\n" + SystemMessageText(code).TrimRight());
}
