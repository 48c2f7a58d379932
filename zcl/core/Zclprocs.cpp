#include "zcl/core/Zclprocs.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <numbers>
#include <utility>

#include "framework/runtime/Exceptions.h"
#include "framework/runtime/SysUtils.h"

namespace {

int RoundEven(double v)
{
    return int(Round(v));
}

double SinDeg(double a) { return std::sin(a * std::numbers::pi / 180.0); }
double CosDeg(double a) { return std::cos(a * std::numbers::pi / 180.0); }

}  // namespace

void ZCLAdjustRect(TRect& R, int DX, int DY)
{
    R.right += DX;
    R.bottom += DY;
}

void ZCLAdjustRectExt(TRect& R, int DL, int DT, int DR, int DB)
{
    R.left += DL;
    R.top += DT;
    R.right += DR;
    R.bottom += DB;
}

TRect ZCLExpandRect(const TRect& R, int N)
{
    return TRect(R.left - N, R.top - N, R.right + N, R.bottom + N);
}

void ZCLGetRectWH(const TRect& R, int& W, int& H)
{
    W = R.right - R.left;
    H = R.bottom - R.top;
}

bool ZCLRectinRect(const TRect& Inner, const TRect& Outer)
{
    const POINT tl{Inner.left, Inner.top};
    const POINT br{Inner.right, Inner.bottom};
    return PtInRect(&Outer, tl) && PtInRect(&Outer, br);
}

TRect ZCLAffineRect(const TRect& Src, const TRect& Dest)
{
    const double sw = double(Src.right) - Src.left;
    const double sh = double(Src.bottom) - Src.top;
    const double dw = double(Dest.right) - Dest.left;
    const double dh = double(Dest.bottom) - Dest.top;
    int w = 0, h = 0;
    // A side of no length gives no ratio: the other side decides, and with neither the size is 0.
    if (sw != 0 || sh != 0) {
        double k;
        if (sw == 0)
            k = dh / sh;
        else if (sh == 0)
            k = dw / sw;
        else
            k = std::min(dw / sw, dh / sh);
        w = RoundEven(sw * k);
        h = RoundEven(sh * k);
    }
    return TRect(Dest.left, Dest.top, Dest.left + w, Dest.top + h);
}

void ZCLCalcRotRect(TRect& R, int Angle)
{
    if (Angle == 0) return;
    const int w = R.right - R.left;
    const int h = R.bottom - R.top;
    const int cx = w / 2;
    const int cy = h / 2;
    const double s = SinDeg(Angle);
    const double c = CosDeg(Angle);
    // Counter-clockwise on the screen, as text escapement turns.
    const int xs[2] = {-cx, w - cx};
    const int ys[2] = {-cy, h - cy};
    int minX = 0, maxX = 0, minY = 0, maxY = 0;
    bool first = true;
    for (int x : xs) {
        for (int y : ys) {
            const int rx = RoundEven(x * c + y * s);
            const int ry = RoundEven(-x * s + y * c);
            if (first) {
                minX = maxX = rx;
                minY = maxY = ry;
                first = false;
            } else {
                minX = std::min(minX, rx);
                maxX = std::max(maxX, rx);
                minY = std::min(minY, ry);
                maxY = std::max(maxY, ry);
            }
        }
    }
    R = TRect(0, 0, maxX - minX, maxY - minY);
}

int ZCLRotatedXPos(int Angle, int A, int B)
{
    int e;
    if (Angle >= 0 && Angle <= 90)
        e = 0;
    else if (Angle >= 91 && Angle <= 180)
        e = RoundEven(A * SinDeg(Angle - 90));
    else if (Angle >= 181 && Angle <= 270)
        e = A;
    else
        e = RoundEven(A * SinDeg(Angle - 90)) + A;
    return RoundEven(B * SinDeg(Angle) + e);
}

int ZCLRotatedYPos(int Angle, int, int B)
{
    int f;
    if (Angle >= 0 && Angle <= 90)
        f = RoundEven(B * SinDeg(Angle));
    else if (Angle >= 91 && Angle <= 180)
        f = B;
    else if (Angle >= 181 && Angle <= 270)
        f = RoundEven(B * SinDeg(Angle)) + B;
    else
        f = 0;
    return RoundEven(B * CosDeg(Angle) + f);
}

void ZCLMidpoint(const TPoint* Points, int Count, TPoint& Result)
{
    if (Count <= 0 || !Points) return;
    long long sx = 0, sy = 0;
    for (int i = 0; i < Count; ++i) {
        sx += Points[i].x;
        sy += Points[i].y;
    }
    Result.x = LONG(sx / Count);
    Result.y = LONG(sy / Count);
}

void ZCLOffsetPoints(TPoint* Points, int High, int DX, int DY)
{
    if (!Points) return;
    for (int i = 0; i <= High; ++i) {
        Points[i].x += DX;
        Points[i].y += DY;
    }
}

void ZCLNullPoints(TPoint* Points, int High)
{
    if (!Points) return;
    for (int i = 0; i <= High; ++i) Points[i] = TPoint(0, 0);
}

int ZCLMax(std::span<const int> Values)
{
    return Values.empty() ? 0 : *std::max_element(Values.begin(), Values.end());
}

int ZCLMin(std::span<const int> Values)
{
    return Values.empty() ? 0 : *std::min_element(Values.begin(), Values.end());
}

long double ZCLMaxR(std::span<const long double> Values)
{
    return Values.empty() ? 0 : *std::max_element(Values.begin(), Values.end());
}

long double ZCLMinR(std::span<const long double> Values)
{
    return Values.empty() ? 0 : *std::min_element(Values.begin(), Values.end());
}

int ZCLMidI(int A, int B)
{
    return int((static_cast<long long>(A) + B) / 2);
}

void ZCLSwapInt(int& A, int& B)
{
    std::swap(A, B);
}

void ZCLSwapString(AnsiString& A, AnsiString& B)
{
    std::swap(A, B);
}

void ZCLSetBit(std::uint8_t& B, std::uint8_t Bit, bool Value)
{
    if (Bit > 7) return;
    const std::uint8_t mask = std::uint8_t(1u << Bit);
    B = Value ? std::uint8_t(B | mask) : std::uint8_t(B & ~mask);
}

void ZCLSetBitUpTo(std::uint8_t& B, std::uint8_t Bit)
{
    B = Bit >= 7 ? 0xFF : std::uint8_t(B | ((2u << Bit) - 1));
}

bool ZCLGetBit(std::uint8_t B, std::uint8_t Bit)
{
    return Bit <= 7 && (B >> Bit & 1) != 0;
}

int ZCLExp(int Base, int N)
{
    // Unsigned so that an overflow wraps as the 32-bit multiplication does.
    std::uint32_t r = 1;
    for (int i = 0; i < N; ++i) r *= std::uint32_t(Base);
    return int(r);
}

AnsiString ZCLAppPath()
{
    return IncludeTrailingBackslash(ExtractFilePath(ParamStr(0)));
}

AnsiString ZCLAppIniName()
{
    return "SOFTWARE\\" + ZCLExtractFileName(ParamStr(0));
}

AnsiString ZCLExtractFileName(const AnsiString& Path)
{
    return ChangeFileExt(ExtractFileName(Path), "");
}

namespace {

template <typename F>
AnsiString ReadFolder(F get)
{
    char buffer[MAX_PATH];
    UINT n = get(buffer, MAX_PATH);
    if (n < MAX_PATH) return AnsiString(buffer, int(n));
    // A folder name longer than the usual buffer: ask again with the size Windows gave.
    std::string longer(n, '\0');
    n = get(longer.data(), UINT(longer.size()));
    longer.resize(n < longer.size() ? n : 0);
    return AnsiString(std::move(longer));
}

}  // namespace

AnsiString ZCLSystemDirectory()
{
    return ReadFolder([](char* b, UINT n) { return GetSystemDirectoryA(b, n); });
}

AnsiString ZCLWindowsDirectory()
{
    return ReadFolder([](char* b, UINT n) { return GetWindowsDirectoryA(b, n); });
}

AnsiString ZCLCreatePathPrefix(TZCLPathPrefix Prefix, bool Slash)
{
    AnsiString path;
    switch (Prefix) {
    case ppWindows: path = ZCLWindowsDirectory(); break;
    case ppSystem: path = ZCLSystemDirectory(); break;
    case ppProgram: path = ZCLAppPath(); break;
    case ppFixed: return AnsiString();
    }
    return Slash ? IncludeTrailingBackslash(path) : ExcludeTrailingBackslash(path);
}

namespace {

bool StartsWith(const AnsiString& s, const char* prefix)
{
    return s.str().starts_with(prefix);
}

// One step of shortening a folder part: its first folder gives way to "...\".
AnsiString ShortenFolder(AnsiString folder)
{
    if (folder == "\\") return AnsiString();
    const bool rooted = StartsWith(folder, "\\");
    if (rooted) folder.Delete(1, 1);
    // Only the "...\" an earlier step put there; a real folder may start with ".".
    if (StartsWith(folder, "...\\")) folder.Delete(1, 4);
    const int slash = folder.Pos("\\");
    if (slash == 0)
        folder = AnsiString();
    else
        folder = "...\\" + folder.SubString(slash + 1, folder.Length() - slash);
    if (rooted) folder = "\\" + folder;
    return folder;
}

}  // namespace

AnsiString ZCLShrunkFileName(const AnsiString& Path, int MaxLen)
{
    AnsiString result = Path;
    AnsiString folder = ExtractFilePath(Path);
    const AnsiString name = ExtractFileName(Path);
    AnsiString drive;
    if (folder.Length() >= 2 && folder[2] == ':') {
        drive = folder.SubString(1, 2);
        folder.Delete(1, 2);
    }
    while ((!drive.IsEmpty() || !folder.IsEmpty()) && result.Length() > MaxLen) {
        if (folder == "\\...\\") {
            drive = AnsiString();
            folder = "...\\";
        } else if (!folder.IsEmpty()) {
            folder = ShortenFolder(folder);
        } else {
            drive = AnsiString();
        }
        result = drive + folder + name;
    }
    return result;
}

void ZCLDelay(std::uint32_t MS)
{
    if (MS == 0) return;
    // Elapsed ticks in unsigned arithmetic stay right across the tick counter's wrap.
    const DWORD start = GetTickCount();
    while (DWORD(GetTickCount() - start) <= MS) {
    }
}

namespace {

// The framework's new-style flag: Windows has the version-4 shell controls.
bool NewStyleControlsFlag()
{
    return LOBYTE(LOWORD(GetVersion())) >= 4;
}

}  // namespace

void ZCLCheckSystemMenu(TZCLSysMenuEntries Entries, HMENU Menu, bool Short)
{
    ZCLCheckSystemMenu(Entries, Menu, Short, NewStyleControlsFlag());
}

void ZCLCheckSystemMenu(TZCLSysMenuEntries Entries, HMENU Menu, bool Short, bool NewStyle)
{
    if (!Menu) return;
    auto del = [Menu](UINT pos) { DeleteMenu(Menu, pos, MF_BYPOSITION); };
    const bool onlyClose = Entries == TZCLSysMenuEntries{smClose};
    // From the bottom up, so that the positions above stay where they are.
    if (!Short) {
        if (!Entries.Contains(smSwitch) && !NewStyle) {
            del(8);
            del(7);
        }
        if (!Entries.Contains(smClose)) {
            del(6);
            del(5);
        } else if (onlyClose) {
            del(5);
        }
        if (!Entries.Contains(smMaximize)) del(4);
        if (!Entries.Contains(smMinimize)) del(3);
        if (!Entries.Contains(smSize)) del(2);
        if (!Entries.Contains(smMove)) del(1);
        if (!Entries.Contains(smRestore)) del(0);
    } else {
        const UINT shift = NewStyle ? 1 : 0;
        if (!Entries.Contains(smSwitch) && !NewStyle) {
            del(6);
            del(5);
        }
        if (!Entries.Contains(smClose)) {
            del(4 - shift);
            del(3 - shift);
        } else if (onlyClose) {
            del(3 - shift);
        }
        if (!Entries.Contains(smMinimize)) del(2 - shift);
        if (!Entries.Contains(smMove) && !NewStyle) del(1);
        if (!Entries.Contains(smRestore)) del(0);
    }
}

// ---- LZRW1/KH block packer -------------------------------------------------------------------

namespace {

constexpr std::uint8_t FlagPacked = 0x40;
constexpr std::uint8_t FlagStored = 0x80;
constexpr unsigned HashSize = 4096;
constexpr unsigned MaxDistance = 4095;
constexpr unsigned MinMatch = 3;
constexpr unsigned MaxMatch = 18;
constexpr unsigned MinRun = 16;
constexpr unsigned MaxRun = 0xFFF;

[[noreturn]] void LZRWError()
{
    throw Exception("LZRW Error!");
}

unsigned Hash(const std::uint8_t* p)
{
    const std::uint32_t k = ((((std::uint32_t(p[0]) << 4) ^ p[1]) << 4) ^ p[2]);
    return ((k * 40543u) >> 4) & 0x0FFF;
}

std::uint16_t Store(const std::uint8_t* Source, std::uint8_t* Dest, unsigned n)
{
    Dest[0] = FlagStored;
    if (n) std::memmove(Dest + 1, Source, n);
    return std::uint16_t(n + 1);
}

}  // namespace

std::uint16_t ZCLLZRWCompress(const std::uint8_t* Source, std::uint8_t* Dest, std::uint16_t SourceSize)
{
    const unsigned n = SourceSize;
    // The stored form of n bytes is n + 1 long and the length is 16-bit.
    if (n > 0xFFFE) LZRWError();
    std::unique_ptr<std::int16_t[]> table(new (std::nothrow) std::int16_t[HashSize]);
    if (!table) LZRWError();
    std::fill_n(table.get(), HashSize, std::int16_t(-1));

    Dest[0] = FlagPacked;
    unsigned x = 0, y = 3, z = 1, items = 0;
    std::uint16_t word = 0;
    bool overflow = y > n;
    while (!overflow && x < n) {
        const unsigned head = items > 15 ? 2 : 0;

        unsigned len = 1;
        while (x + len < n && len < MaxRun && Source[x] == Source[x + len]) ++len;
        unsigned size;
        unsigned code = 0;
        bool copy = true;
        if (len >= MinRun) {
            size = 4;
        } else {
            len = 0;
            // Only where three bytes are there to hash; two or fewer left can never match anyway.
            if (x + 2 < n) {
                const unsigned h = Hash(Source + x);
                const int e = table[h];
                // Positions beyond 32767 wrap negative in the 16-bit table and never match,
                // as the format's writer has always done.
                if (e >= 0 && int(x) - e <= int(MaxDistance)) {
                    const unsigned p = unsigned(e);
                    while (len < MaxMatch && x + len < n && Source[x + len] == Source[p + len]) ++len;
                    if (len >= MinMatch)
                        code = ((x - p) << 4) + (len - MinMatch);
                    else
                        len = 0;
                }
                table[h] = std::int16_t(x);
            }
            if (len) {
                size = 2;
            } else {
                size = 1;
                copy = false;
            }
        }

        // A step that would take the block past the source's length means it is stored anyway:
        // stop before writing it, so that Dest never needs more than n + 1 bytes.
        if (y + head + size > n) {
            overflow = true;
            break;
        }
        if (head) {
            Dest[z] = std::uint8_t(word >> 8);
            Dest[z + 1] = std::uint8_t(word);
            z = y;
            items = 0;
            y += 2;
        }
        if (size == 4) {
            Dest[y] = 0;
            Dest[y + 1] = std::uint8_t((len - MinRun) >> 8);
            Dest[y + 2] = std::uint8_t(len - MinRun);
            Dest[y + 3] = Source[x];
            x += len;
        } else if (size == 2) {
            Dest[y] = std::uint8_t(code >> 8);
            Dest[y + 1] = std::uint8_t(code);
            x += len;
        } else {
            Dest[y] = Source[x];
            x += 1;
        }
        y += size;
        word = std::uint16_t((word << 1) | (copy ? 1 : 0));
        ++items;
    }

    if (overflow) return Store(Source, Dest, n);
    word = std::uint16_t(word << (16 - items));
    Dest[z] = std::uint8_t(word >> 8);
    Dest[z + 1] = std::uint8_t(word);
    return std::uint16_t(y);
}

std::uint16_t ZCLLZRWDecompress(const std::uint8_t* Source, std::uint8_t* Dest, std::uint16_t SourceSize,
                                std::size_t DestSize)
{
    const unsigned n = SourceSize;
    const unsigned cap = unsigned(std::min<std::size_t>(DestSize, 0xFFFF));
    if (n == 0) LZRWError();
    if (Source[0] == FlagStored) {
        if (n - 1 > cap) LZRWError();
        if (n > 1) std::memmove(Dest, Source + 1, n - 1);
        return std::uint16_t(n - 1);
    }
    // Any other flag is read as packed.
    if (n < 3) LZRWError();
    unsigned x = 3, y = 0, bits = 16;
    std::uint16_t word = std::uint16_t((Source[1] << 8) | Source[2]);
    while (x < n) {
        if (bits == 0) {
            // A command word is always followed by an item.
            if (x + 2 >= n) LZRWError();
            word = std::uint16_t((Source[x] << 8) | Source[x + 1]);
            bits = 16;
            x += 2;
        }
        if ((word & 0x8000) == 0) {
            if (y >= cap) LZRWError();
            Dest[y++] = Source[x++];
        } else {
            if (x + 1 >= n) LZRWError();
            const unsigned distance = (unsigned(Source[x]) << 4) | (Source[x + 1] >> 4);
            if (distance == 0) {
                if (x + 3 >= n) LZRWError();
                const unsigned len = ((unsigned(Source[x + 1]) << 8) | Source[x + 2]) + MinRun;
                if (len > cap - y) LZRWError();
                std::memset(Dest + y, Source[x + 3], len);
                x += 4;
                y += len;
            } else {
                const unsigned len = (Source[x + 1] & 0x0F) + MinMatch;
                if (distance > y || len > cap - y) LZRWError();
                // Byte by byte, so that a distance shorter than the length repeats the pattern.
                for (unsigned k = 0; k < len; ++k) Dest[y + k] = Dest[y - distance + k];
                x += 2;
                y += len;
            }
        }
        word = std::uint16_t(word << 1);
        --bits;
    }
    return std::uint16_t(y);
}

std::uint16_t ZCLLZRWCompress(const TBuffer& Source, TBuffer& Dest, std::uint16_t SourceSize)
{
    if (SourceSize > sizeof(TBuffer) - 1) LZRWError();
    return ZCLLZRWCompress(&Source[0], &Dest[0], SourceSize);
}

std::uint16_t ZCLLZRWDecompress(const TBuffer& Source, TBuffer& Dest, std::uint16_t SourceSize)
{
    if (SourceSize > sizeof(TBuffer)) LZRWError();
    return ZCLLZRWDecompress(&Source[0], &Dest[0], SourceSize, sizeof(TBuffer));
}
