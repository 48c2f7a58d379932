#pragma once
// The framework's 8-bit string: a value type on std::string with 1-based character positions.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <functional>

class AnsiString {
public:
    AnsiString() = default;
    AnsiString(const char* s) : s_(s ? s : "") {}
    AnsiString(const char* s, int length) : s_(s ? std::string(s, length < 0 ? 0 : std::size_t(length)) : std::string()) {}
    AnsiString(const std::string& s) : s_(s) {}
    AnsiString(std::string&& s) : s_(std::move(s)) {}
    AnsiString(std::string_view s) : s_(s) {}
    explicit AnsiString(char c) : s_(1, c) {}
    // Numbers become their decimal text, as the framework's string does.
    explicit AnsiString(int v);
    explicit AnsiString(unsigned v);
    explicit AnsiString(long v);
    explicit AnsiString(unsigned long v);
    explicit AnsiString(long long v);
    explicit AnsiString(unsigned long long v);
    explicit AnsiString(double v);

    const char* c_str() const { return s_.c_str(); }
    char* data() { return s_.data(); }
    const std::string& str() const { return s_; }
    std::string& str() { return s_; }
    operator std::string_view() const { return s_; }

    int Length() const { return int(s_.size()); }
    bool IsEmpty() const { return s_.empty(); }
    void SetLength(int n) { s_.resize(n < 0 ? 0 : std::size_t(n)); }

    // 1-based access; out of range reads give '\0' rather than undefined behaviour.
    char operator[](int index) const;
    char& operator[](int index);

    // Count characters from 1-based Index; clipped to the string.
    AnsiString SubString(int index, int count) const;
    // 1-based position of the first occurrence, 0 when absent.
    int Pos(const AnsiString& sub) const;
    AnsiString& Insert(const AnsiString& str, int index);
    AnsiString& Delete(int index, int count);

    AnsiString UpperCase() const;
    AnsiString LowerCase() const;
    AnsiString Trim() const;
    AnsiString TrimLeft() const;
    AnsiString TrimRight() const;

    // 1-based position of the last character that is one of Delimiters, 0 when none.
    int LastDelimiter(const AnsiString& delimiters) const;
    bool IsDelimiter(const AnsiString& delimiters, int index) const;

    // As StrToInt, StrToIntDef and StrToFloat.
    int ToInt() const;               // raises EConvertError
    int ToIntDef(int def) const;
    double ToDouble() const;         // raises EConvertError

    static AnsiString StringOfChar(char c, int count);

    AnsiString& operator+=(const AnsiString& o) { s_ += o.s_; return *this; }
    AnsiString& operator+=(const char* o) { s_ += o ? o : ""; return *this; }
    AnsiString& operator+=(char c) { s_ += c; return *this; }

    friend AnsiString operator+(const AnsiString& a, const AnsiString& b) { return AnsiString(a.s_ + b.s_); }
    friend AnsiString operator+(const AnsiString& a, const char* b) { return AnsiString(a.s_ + (b ? b : "")); }
    friend AnsiString operator+(const char* a, const AnsiString& b) { return AnsiString((a ? a : "") + b.s_); }
    friend AnsiString operator+(const AnsiString& a, char b) { return AnsiString(a.s_ + b); }
    friend AnsiString operator+(char a, const AnsiString& b) { return AnsiString(a + b.s_); }

    friend bool operator==(const AnsiString& a, const AnsiString& b) { return a.s_ == b.s_; }
    friend bool operator==(const AnsiString& a, const char* b) { return a.s_ == (b ? b : ""); }
    friend auto operator<=>(const AnsiString& a, const AnsiString& b) { return a.s_ <=> b.s_; }

private:
    std::string s_;
};

template <>
struct std::hash<AnsiString> {
    std::size_t operator()(const AnsiString& s) const noexcept { return std::hash<std::string>()(s.str()); }
};
