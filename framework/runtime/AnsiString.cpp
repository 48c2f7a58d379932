#include "framework/runtime/AnsiString.h"

#include "framework/runtime/Exceptions.h"
#include "framework/runtime/SysUtils.h"

namespace {
thread_local char zeroChar = '\0';

bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= ' '; }
}  // namespace

AnsiString::AnsiString(int v) : s_(std::to_string(v)) {}
AnsiString::AnsiString(unsigned v) : s_(std::to_string(v)) {}
AnsiString::AnsiString(long v) : s_(std::to_string(v)) {}
AnsiString::AnsiString(unsigned long v) : s_(std::to_string(v)) {}
AnsiString::AnsiString(long long v) : s_(std::to_string(v)) {}
AnsiString::AnsiString(unsigned long long v) : s_(std::to_string(v)) {}
AnsiString::AnsiString(double v) : s_(FloatToStr(v).str()) {}

char AnsiString::operator[](int index) const
{
    if (index < 1 || index > Length()) return '\0';
    return s_[std::size_t(index - 1)];
}

char& AnsiString::operator[](int index)
{
    if (index < 1 || index > Length()) {
        zeroChar = '\0';
        return zeroChar;
    }
    return s_[std::size_t(index - 1)];
}

AnsiString AnsiString::SubString(int index, int count) const
{
    if (index < 1) {
        count += index - 1;
        index = 1;
    }
    if (count <= 0 || index > Length()) return AnsiString();
    return AnsiString(s_.substr(std::size_t(index - 1), std::size_t(count)));
}

int AnsiString::Pos(const AnsiString& sub) const
{
    if (sub.IsEmpty()) return 0;
    auto p = s_.find(sub.s_);
    return p == std::string::npos ? 0 : int(p) + 1;
}

AnsiString& AnsiString::Insert(const AnsiString& str, int index)
{
    if (index < 1) index = 1;
    if (index > Length() + 1) index = Length() + 1;
    s_.insert(std::size_t(index - 1), str.s_);
    return *this;
}

AnsiString& AnsiString::Delete(int index, int count)
{
    if (index < 1 || index > Length() || count <= 0) return *this;
    s_.erase(std::size_t(index - 1), std::size_t(count));
    return *this;
}

AnsiString AnsiString::UpperCase() const
{
    std::string r = s_;
    for (auto& c : r)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return AnsiString(std::move(r));
}

AnsiString AnsiString::LowerCase() const
{
    std::string r = s_;
    for (auto& c : r)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return AnsiString(std::move(r));
}

AnsiString AnsiString::Trim() const { return TrimLeft().TrimRight(); }

AnsiString AnsiString::TrimLeft() const
{
    std::size_t i = 0;
    while (i < s_.size() && IsTrimmed(s_[i])) ++i;
    return AnsiString(s_.substr(i));
}

AnsiString AnsiString::TrimRight() const
{
    std::size_t n = s_.size();
    while (n > 0 && IsTrimmed(s_[n - 1])) --n;
    return AnsiString(s_.substr(0, n));
}

int AnsiString::LastDelimiter(const AnsiString& delimiters) const
{
    auto p = s_.find_last_of(delimiters.s_);
    return p == std::string::npos ? 0 : int(p) + 1;
}

bool AnsiString::IsDelimiter(const AnsiString& delimiters, int index) const
{
    if (index < 1 || index > Length()) return false;
    return delimiters.s_.find(s_[std::size_t(index - 1)]) != std::string::npos;
}

int AnsiString::ToInt() const { return StrToInt(*this); }

int AnsiString::ToIntDef(int def) const { return StrToIntDef(*this, def); }

double AnsiString::ToDouble() const { return double(StrToFloat(*this)); }

AnsiString AnsiString::StringOfChar(char c, int count)
{
    return AnsiString(std::string(count < 0 ? 0 : std::size_t(count), c));
}
