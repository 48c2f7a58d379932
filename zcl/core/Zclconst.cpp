#include "zcl/core/Zclconst.h"

#include <windows.h>

#include <vector>

AnsiString ZCLLoadResString(const TZCLResStringRec& Rec)
{
    // The library is linked statically, so the table is the program's own.
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    std::vector<char> buffer(256);
    for (;;) {
        const int n = LoadStringA(instance, Rec.Identifier, buffer.data(), int(buffer.size()));
        if (n <= 0) return AnsiString();
        // A text that filled the buffer may have been cut.
        if (n < int(buffer.size()) - 1) return AnsiString(buffer.data(), n);
        buffer.resize(buffer.size() * 4);
    }
}
