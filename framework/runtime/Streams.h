#pragma once
// Byte streams: the abstract stream, memory, handle, file and resource streams.
// Positions and sizes are signed 32-bit throughout, as the library's stored formats are.

#include <windows.h>

#include <vector>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Handles.h"

// Seek origins.
enum : unsigned short { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

// File stream modes: one access mode, optionally or-ed with one share mode. fmCreate combines with a share mode.
enum : unsigned {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFF00,
};

class TStream : public TObject {
public:

    // Plain transfers: return the number of bytes moved and never raise for a short transfer.
    virtual int Read(void* buffer, int count) = 0;
    virtual int Write(const void* buffer, int count) = 0;
    // Returns the new position.
    virtual int Seek(int offset, unsigned short origin) = 0;

    int Position() const { return const_cast<TStream*>(this)->Seek(0, soFromCurrent); }
    void SetPosition(int position) { Seek(position, soFromBeginning); }
    virtual int Size() const;
    virtual void SetSize(int newSize);

    // Exact transfers: raise EReadError / EWriteError when fewer than count bytes move.
    void ReadBuffer(void* buffer, int count);
    void WriteBuffer(const void* buffer, int count);

    // Copies count bytes from source's position; count 0 copies the whole source from its start.
    // Returns the number of bytes copied.
    int CopyFrom(TStream* source, int count);

    // Component streaming through TReader/TWriter (framework/Filer.h).
    // ReadComponent fills instance, or creates the stored class (which must be registered) when it is null.
    TComponent* ReadComponent(TComponent* instance);
    void WriteComponent(TComponent* instance);
};

// A stream over one block of memory that a derived class provides.
class TCustomMemoryStream : public TStream {
public:
    int Read(void* buffer, int count) override;
    int Seek(int offset, unsigned short origin) override;
    int Size() const override { return size_; }

    void* Memory() const { return memory_; }
    // Writes the whole content, whatever the position.
    void SaveToStream(TStream* stream) const;
    void SaveToFile(const AnsiString& fileName) const;

protected:
    void SetPointer(void* memory, int size)
    {
        memory_ = memory;
        size_ = size;
    }
    int position_ = 0;

private:
    void* memory_ = nullptr;
    int size_ = 0;
};

// A growable stream in memory. SetSize keeps the content; writing past the end zero-fills the gap.
class TMemoryStream : public TCustomMemoryStream {
public:
    int Write(const void* buffer, int count) override;
    void SetSize(int newSize) override;

    void Clear();
    // Replaces the content with the whole of stream (read from its start); the position becomes 0.
    void LoadFromStream(TStream* stream);
    void LoadFromFile(const AnsiString& fileName);

private:
    void Resize(int newSize);
    std::vector<unsigned char> data_;
};

// A stream over a Win32 file handle that someone else owns.
class THandleStream : public TStream {
public:
    explicit THandleStream(HANDLE handle) : handle_(handle) {}

    int Read(void* buffer, int count) override;
    int Write(const void* buffer, int count) override;
    int Seek(int offset, unsigned short origin) override;
    void SetSize(int newSize) override;

    HANDLE Handle() const { return handle_; }

protected:
    HANDLE handle_;
};

// A stream over a named file, which it opens or creates and closes again.
// Raises EFCreateError "Cannot create file %s" or EFOpenError "Cannot open file %s", followed by the reason.
class TFileStream : public THandleStream {
public:
    TFileStream(const AnsiString& fileName, unsigned mode);

    const AnsiString& FileName() const { return fileName_; }

private:
    static HANDLE Open(const AnsiString& fileName, unsigned mode);
    AnsiString fileName_;
    FileHandle file_;
};

// A read-only stream over a resource of a module. Raises EResNotFound "Resource %s not found".
class TResourceStream : public TCustomMemoryStream {
public:
    TResourceStream(HINSTANCE instance, const AnsiString& resName, const char* resType);
    TResourceStream(HINSTANCE instance, int resId, const char* resType);

    // Raises EStreamError: resources cannot be written.
    int Write(const void* buffer, int count) override;

private:
    void Initialize(HINSTANCE instance, const char* name, const char* type, const AnsiString& shownName);
};
