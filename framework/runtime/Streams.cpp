#include "framework/runtime/Streams.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <stdexcept>

#include "framework/runtime/Exceptions.h"
#include "framework/runtime/SysUtils.h"

namespace {

AnsiString SystemErrorText(DWORD code)
{
    const AnsiString text = SysErrorMessage(code);
    return text.IsEmpty() ? "System error " + AnsiString(unsigned(code)) : text;
}

// "Cannot open file x.dat. File not found." The reason follows the framework's message.
AnsiString FileErrorText(const char* what, const AnsiString& fileName, DWORD code)
{
    return AnsiString(what) + fileName + ". " + SystemErrorText(code) + ".";
}

}  // namespace

// TStream -------------------------------------------------------------------------------------------------------

int TStream::Size() const
{
    TStream* self = const_cast<TStream*>(this);
    int position = self->Seek(0, soFromCurrent);
    int size = self->Seek(0, soFromEnd);
    self->Seek(position, soFromBeginning);
    return size;
}

void TStream::SetSize(int)
{
}

void TStream::ReadBuffer(void* buffer, int count)
{
    if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int count)
{
    if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

int TStream::CopyFrom(TStream* source, int count)
{
    if (count == 0) {
        source->SetPosition(0);
        count = source->Size();
    }
    if (count <= 0) return 0;
    const int chunk = std::min(count, 0x10000);
    std::vector<unsigned char> buffer(chunk);
    int left = count;
    while (left > 0) {
        int n = std::min(left, chunk);
        source->ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= n;
    }
    return count;
}

// TCustomMemoryStream ---------------------------------------------------------------------------------------------

int TCustomMemoryStream::Read(void* buffer, int count)
{
    if (position_ < 0 || count <= 0 || position_ >= size_) return 0;
    int n = std::min(count, size_ - position_);
    std::memcpy(buffer, static_cast<const unsigned char*>(memory_) + position_, std::size_t(n));
    position_ += n;
    return n;
}

int TCustomMemoryStream::Seek(int offset, unsigned short origin)
{
    long long base = origin == soFromCurrent ? position_ : origin == soFromEnd ? size_ : 0;
    long long target = base + offset;
    position_ = int(std::clamp<long long>(target, INT_MIN, INT_MAX));
    return position_;
}

void TCustomMemoryStream::SaveToStream(TStream* stream) const
{
    stream->WriteBuffer(memory_, size_);
}

void TCustomMemoryStream::SaveToFile(const AnsiString& fileName) const
{
    TFileStream file(fileName, fmCreate);
    SaveToStream(&file);
}

// TMemoryStream ---------------------------------------------------------------------------------------------------

void TMemoryStream::Resize(int newSize)
{
    try {
        data_.resize(std::size_t(newSize));
    } catch (const std::bad_alloc&) {
        throw EStreamError("Out of memory while expanding memory stream");
    } catch (const std::length_error&) {
        throw EStreamError("Out of memory while expanding memory stream");
    }
    SetPointer(data_.empty() ? nullptr : data_.data(), newSize);
}

int TMemoryStream::Write(const void* buffer, int count)
{
    if (position_ < 0 || count <= 0) return 0;
    long long end = static_cast<long long>(position_) + count;
    if (end > INT_MAX) return 0;
    if (end > Size()) Resize(int(end));
    std::memcpy(data_.data() + position_, buffer, std::size_t(count));
    position_ = int(end);
    return count;
}

void TMemoryStream::SetSize(int newSize)
{
    newSize = std::max(newSize, 0);
    Resize(newSize);
    if (position_ > newSize) position_ = newSize;
}

void TMemoryStream::Clear()
{
    std::vector<unsigned char>().swap(data_);
    SetPointer(nullptr, 0);
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream* stream)
{
    stream->SetPosition(0);
    int count = stream->Size();
    SetSize(count);
    position_ = 0;
    if (count > 0) stream->ReadBuffer(data_.data(), count);
}

void TMemoryStream::LoadFromFile(const AnsiString& fileName)
{
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&file);
}

// THandleStream ---------------------------------------------------------------------------------------------------

int THandleStream::Read(void* buffer, int count)
{
    DWORD n = 0;
    if (count <= 0 || !ReadFile(handle_, buffer, DWORD(count), &n, nullptr)) return 0;
    return int(n);
}

int THandleStream::Write(const void* buffer, int count)
{
    DWORD n = 0;
    if (count <= 0 || !WriteFile(handle_, buffer, DWORD(count), &n, nullptr)) return 0;
    return int(n);
}

int THandleStream::Seek(int offset, unsigned short origin)
{
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER result;
    DWORD method = origin == soFromCurrent ? FILE_CURRENT : origin == soFromEnd ? FILE_END : FILE_BEGIN;
    if (!SetFilePointerEx(handle_, distance, &result, method)) return -1;
    return int(std::min<long long>(result.QuadPart, INT_MAX));
}

void THandleStream::SetSize(int newSize)
{
    int position = Seek(0, soFromCurrent);
    Seek(std::max(newSize, 0), soFromBeginning);
    if (!SetEndOfFile(handle_)) RaiseLastOSError();
    Seek(std::min(position, std::max(newSize, 0)), soFromBeginning);
}

// TFileStream -----------------------------------------------------------------------------------------------------

HANDLE TFileStream::Open(const AnsiString& fileName, unsigned mode)
{
    static const DWORD shares[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
    unsigned shareIndex = (mode & 0xF0) >> 4;
    DWORD share = shareIndex < 5 ? shares[shareIndex] : 0;
    if ((mode & fmCreate) == fmCreate) {
        HANDLE h = CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) throw EFCreateError(FileErrorText("Cannot create file ", fileName, GetLastError()));
        return h;
    }
    static const DWORD accesses[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
    unsigned accessIndex = mode & 0x0F;
    if (accessIndex > 2 || shareIndex > 4)
        throw EFOpenError(FileErrorText("Cannot open file ", fileName, ERROR_INVALID_PARAMETER));
    HANDLE h = CreateFileA(fileName.c_str(), accesses[accessIndex], share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw EFOpenError(FileErrorText("Cannot open file ", fileName, GetLastError()));
    return h;
}

TFileStream::TFileStream(const AnsiString& fileName, unsigned mode)
    : THandleStream(Open(fileName, mode)), fileName_(fileName), file_(handle_)
{
}

// TResourceStream -------------------------------------------------------------------------------------------------

TResourceStream::TResourceStream(HINSTANCE instance, const AnsiString& resName, const char* resType)
{
    Initialize(instance, resName.c_str(), resType, resName);
}

TResourceStream::TResourceStream(HINSTANCE instance, int resId, const char* resType)
{
    // The id is shown as its number: the name pointer of an id resource is no string.
    Initialize(instance, MAKEINTRESOURCEA(resId), resType, AnsiString(resId));
}

void TResourceStream::Initialize(HINSTANCE instance, const char* name, const char* type, const AnsiString& shownName)
{
    HRSRC info = FindResourceA(instance, name, type);
    if (!info) throw EResNotFound("Resource " + shownName + " not found");
    HGLOBAL global = LoadResource(instance, info);
    void* memory = global ? LockResource(global) : nullptr;
    if (!memory) throw EResNotFound("Resource " + shownName + " not found");
    SetPointer(memory, int(SizeofResource(instance, info)));
}

int TResourceStream::Write(const void*, int)
{
    throw EStreamError("Can't write to a read-only resource stream");
}
