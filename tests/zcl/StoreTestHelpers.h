#pragma once
// Fixtures for the tests of the stored formats: bytes written to a memory stream, solid bitmaps, a read-only stream whose data
// ends at a guard page, damaged copies of good data (every truncation, bit flips, random bytes) and temporary
// files.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "GuardedBuffer.h"
#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Streams.h"
#include "framework/visual/Graphics.h"

namespace storetest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes StreamBytes(const TMemoryStream& s)
{
    const auto* p = static_cast<const std::uint8_t*>(s.Memory());
    return Bytes(p, p + s.Size());
}

// What Write puts into a fresh memory stream.
inline Bytes Written(const std::function<void(TStream*)>& Write)
{
    TMemoryStream s;
    Write(&s);
    return StreamBytes(s);
}

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes Le32(std::int32_t v)
{
    const auto u = std::uint32_t(v);
    return {std::uint8_t(u), std::uint8_t(u >> 8), std::uint8_t(u >> 16), std::uint8_t(u >> 24)};
}

inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline std::int32_t I32At(const Bytes& b, std::size_t at)
{
    std::uint32_t v = 0;
    std::memcpy(&v, b.data() + at, 4);
    return std::int32_t(v);
}

inline std::uint16_t U16At(const Bytes& b, std::size_t at) { return std::uint16_t(b[at] | b[at + 1] << 8); }

// A read-only stream over a copy of the data placed right before a guard page (and after one): a reader that
// strays outside the data faults at once.
class GuardedStream : public TCustomMemoryStream {
public:
    explicit GuardedStream(const Bytes& data) : buffer_(data.size() + 1)
    {
        std::uint8_t* p = buffer_.Tail(data.size());
        if (!data.empty()) std::memcpy(p, data.data(), data.size());
        SetPointer(p, int(data.size()));
    }
    int Write(const void*, int) override { return 0; }

private:
    GuardedBuffer buffer_;
};

// Damaged copies of good data: every truncation (sampled for long data), flips of one to three bits, overwritten
// 32-bit fields at random places (to reach the length and count fields) and random data of similar length.
inline std::vector<Bytes> Damaged(const Bytes& good, unsigned seed, int flips = 1500, int randoms = 300)
{
    std::mt19937 rng(seed);
    std::vector<Bytes> out;
    const std::size_t n = good.size();
    const std::size_t step = n > 3000 ? n / 1500 : 1;
    for (std::size_t len = 0; len < n; len += step) out.emplace_back(good.begin(), good.begin() + std::ptrdiff_t(len));
    if (n == 0) return out;
    for (int i = 0; i < flips; ++i) {
        Bytes b = good;
        const int k = 1 + int(rng() % 3);
        for (int j = 0; j < k; ++j) b[rng() % n] ^= std::uint8_t(1u << (rng() % 8));
        out.push_back(std::move(b));
    }
    static const std::int32_t fields[] = {-1, -2, 0x7FFFFFFF, int32_t(0x80000000), 0x40000000, 0x10000, 65535, 0, 1};
    for (int i = 0; i < 400 && n >= 4; ++i) {
        Bytes b = good;
        const std::int32_t v = fields[rng() % (sizeof fields / sizeof *fields)];
        std::memcpy(b.data() + rng() % (n - 3), &v, 4);
        out.push_back(std::move(b));
    }
    for (int i = 0; i < randoms; ++i) {
        Bytes b(rng() % (n + 64));
        for (auto& c : b) c = std::uint8_t(rng());
        out.push_back(std::move(b));
    }
    return out;
}

// Runs Read over every damaged copy, each in a guarded stream: the framework's errors are the one accepted
// outcome besides success; anything else (an allocation that fails, a standard library error) fails the test.
// Returns how many copies were refused.
inline int ReadEachDamaged(const std::vector<Bytes>& inputs, const std::function<void(TStream*)>& Read)
{
    int refused = 0;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        GuardedStream s(inputs[i]);
        try {
            Read(&s);
        } catch (const Exception&) {
            ++refused;
        } catch (const std::bad_alloc&) {
            ADD_FAILURE() << "input " << i << " (" << inputs[i].size() << " bytes) made the reader allocate too much";
        } catch (const std::exception& e) {
            ADD_FAILURE() << "input " << i << ": " << e.what();
        }
    }
    return refused;
}

// A bitmap of one colour (0x00BBGGRR).
inline std::unique_ptr<TBitmap> Solid(int w, int h, std::uint32_t color, TPixelFormat format = pf24bit)
{
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(format);
    b->SetSize(w, h);
    b->Canvas()->Brush()->SetColor(TColor(color));
    b->Canvas()->FillRect(TRect(0, 0, w, h));
    return b;
}

inline std::uint32_t Px(TBitmap* b, int x, int y) { return std::uint32_t(b->Canvas()->Pixels(x, y)); }
inline std::uint32_t Px(TBitmap& b, int x, int y) { return Px(&b, x, y); }

inline std::string TempFileName(const char* prefix)
{
    char dir[MAX_PATH], name[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, prefix, 0, name);
    return name;
}

// A file that is deleted when the test ends.
class TempFile {
public:
    explicit TempFile(const char* prefix = "zst") : name_(TempFileName(prefix)) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() { DeleteFileA(name_.c_str()); }
    const std::string& name() const { return name_; }
    Bytes Read() const
    {
        Bytes b;
        HANDLE h = CreateFileA(name_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return b;
        b.resize(GetFileSize(h, nullptr));
        DWORD got = 0;
        if (!b.empty()) ReadFile(h, b.data(), DWORD(b.size()), &got, nullptr);
        CloseHandle(h);
        b.resize(got);
        return b;
    }
    void Write(const Bytes& b) const
    {
        HANDLE h = CreateFileA(name_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD put = 0;
        if (!b.empty()) WriteFile(h, b.data(), DWORD(b.size()), &put, nullptr);
        CloseHandle(h);
    }

private:
    std::string name_;
};

}  // namespace storetest
