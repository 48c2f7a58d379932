#include "framework/runtime/SysUtils.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// ---------------------------------------------------------------------------------------------------------------
// Command line

TSysCharSet::TSysCharSet(const char* chars)
{
    for (; chars && *chars; ++chars) *this << *chars;
}

TSysCharSet::TSysCharSet(std::initializer_list<char> chars)
{
    for (char c : chars) *this << c;
}

TSysCharSet& TSysCharSet::operator<<(char c)
{
    auto u = static_cast<unsigned char>(c);
    bits_[u >> 5] |= 1u << (u & 31);
    return *this;
}

std::vector<AnsiString> SplitCommandLine(const char* commandLine)
{
    // Quotes group and are dropped; no escapes, so a quoted folder may end in a backslash.
    std::vector<AnsiString> r;
    const char* p = commandLine ? commandLine : "";
    for (;;) {
        while (*p && static_cast<unsigned char>(*p) <= ' ') ++p;
        if (!*p) break;
        std::string arg;
        bool quoted = false;
        while (*p && (quoted || static_cast<unsigned char>(*p) > ' ')) {
            if (*p == '"') quoted = !quoted;
            else arg += *p;
            ++p;
        }
        r.emplace_back(std::move(arg));
    }
    return r;
}

int ParamCount()
{
    auto args = SplitCommandLine(GetCommandLineA());
    return args.empty() ? 0 : int(args.size()) - 1;
}

AnsiString ParamStr(int index)
{
    if (index == 0) {
        std::string buf(MAX_PATH, '\0');
        for (;;) {
            DWORD n = GetModuleFileNameA(nullptr, buf.data(), DWORD(buf.size()));
            if (n == 0) return AnsiString();
            if (n < buf.size()) {
                buf.resize(n);
                return AnsiString(std::move(buf));
            }
            buf.assign(buf.size() * 2, '\0');
        }
    }
    auto args = SplitCommandLine(GetCommandLineA());
    if (index < 0 || index >= int(args.size())) return AnsiString();
    return args[std::size_t(index)];
}

bool FindCmdLineSwitch(const AnsiString& switchName, const TSysCharSet& chars, bool ignoreCase)
{
    auto args = SplitCommandLine(GetCommandLineA());
    for (std::size_t i = 1; i < args.size(); ++i) {
        const AnsiString& a = args[i];
        if (a.IsEmpty() || !chars.Contains(a[1])) continue;
        AnsiString rest = a.SubString(2, a.Length());
        if (ignoreCase ? AnsiCompareText(rest, switchName) == 0 : rest == switchName) return true;
    }
    return false;
}
