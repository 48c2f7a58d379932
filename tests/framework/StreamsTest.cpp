#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Streams.h"

namespace {

std::string Content(const TCustomMemoryStream& s)
{
    return std::string(static_cast<const char*>(s.Memory()), std::size_t(s.Size()));
}

void Put(TStream& s, const std::string& text)
{
    s.WriteBuffer(text.data(), int(text.size()));
}

// A fresh folder under the temporary folder, removed with what the test left in it.
class TempDir {
public:
    TempDir()
    {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        path_ = std::string(base) + "streams-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(counter_++);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempDir()
    {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((path_ + "\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((path_ + "\\" + fd.cFileName).c_str());
            } while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryA(path_.c_str());
    }
    AnsiString File(const char* name) const { return AnsiString(path_ + "\\" + name); }

private:
    std::string path_;
    static inline int counter_ = 0;
};

}  // namespace

TEST(MemoryStream, WritingPastTheEndZeroFillsTheGap)
{
    TMemoryStream s;
    Put(s, "ab");
    EXPECT_EQ(s.Seek(5, soFromCurrent), 7);
    EXPECT_EQ(s.Size(), 2);  // seeking alone does not grow
    Put(s, "xy");
    EXPECT_EQ(s.Size(), 9);
    EXPECT_EQ(s.Position(), 9);
    EXPECT_EQ(Content(s), std::string("ab\0\0\0\0\0xy", 9));
}

TEST(MemoryStream, SeekOrigins)
{
    TMemoryStream s;
    Put(s, "0123456789");
    struct Case {
        int start, offset;
        unsigned short origin;
        int expected;
    } cases[] = {
        {4, 3, soFromBeginning, 3}, {4, 3, soFromCurrent, 7}, {4, -2, soFromCurrent, 2},
        {4, -3, soFromEnd, 7},      {4, 0, soFromEnd, 10},    {4, 5, soFromEnd, 15},
    };
    for (const Case& c : cases) {
        s.SetPosition(c.start);
        EXPECT_EQ(s.Seek(c.offset, c.origin), c.expected) << c.offset << " from " << c.origin;
        EXPECT_EQ(s.Position(), c.expected);
    }
}

TEST(MemoryStream, SetSizeKeepsContentAndClampsThePosition)
{
    TMemoryStream s;
    Put(s, "abcdef");
    s.SetSize(3);
    EXPECT_EQ(s.Position(), 3);
    EXPECT_EQ(Content(s), "abc");
    s.SetSize(5);
    EXPECT_EQ(s.Position(), 3);
    EXPECT_EQ(Content(s), std::string("abc\0\0", 5));  // shrunk bytes do not come back
    s.SetPosition(1);
    s.SetSize(4);
    EXPECT_EQ(s.Position(), 1);
}

TEST(MemoryStream, ReadingPastTheEnd)
{
    TMemoryStream s;
    Put(s, "abcd");
    s.SetPosition(2);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 2);  // a plain read moves what is there and does not raise
    EXPECT_STREQ(buf, "cd");
    EXPECT_EQ(s.Read(buf, 8), 0);
    s.SetPosition(10);
    EXPECT_EQ(s.Read(buf, 1), 0);

    s.SetPosition(1);
    try {
        s.ReadBuffer(buf, 4);
        FAIL() << "short ReadBuffer did not raise";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Stream read error");
    }
    s.SetPosition(0);
    s.ReadBuffer(buf, 0);  // nothing asked, nothing raised
    s.ReadBuffer(buf, 4);
    EXPECT_EQ(std::string(buf, 4), "abcd");
}

TEST(MemoryStream, NegativePositionMovesNothing)
{
    TMemoryStream s;
    Put(s, "abc");
    s.Seek(-5, soFromEnd);
    EXPECT_EQ(s.Position(), -2);
    char c;
    EXPECT_EQ(s.Read(&c, 1), 0);
    EXPECT_EQ(s.Write("z", 1), 0);
    EXPECT_THROW(s.WriteBuffer("z", 1), EWriteError);
    EXPECT_EQ(Content(s), "abc");
}

TEST(MemoryStream, ClearLoadAndSave)
{
    TMemoryStream a;
    Put(a, "payload");
    a.SetPosition(3);
    TMemoryStream b;
    Put(b, "old content that is longer");
    b.LoadFromStream(&a);  // the whole source, from its start
    EXPECT_EQ(Content(b), "payload");
    EXPECT_EQ(b.Position(), 0);

    TMemoryStream c;
    Put(c, ">");
    b.SaveToStream(&c);  // the whole content whatever b's position
    EXPECT_EQ(Content(c), ">payload");

    b.Clear();
    EXPECT_EQ(b.Size(), 0);
    EXPECT_EQ(b.Position(), 0);
    EXPECT_EQ(b.Memory(), nullptr);
}

TEST(MemoryStream, FileRoundTrip)
{
    TempDir dir;
    TMemoryStream s;
    std::string bytes("\0\x01\xff\r\n data", 10);
    Put(s, bytes);
    s.SaveToFile(dir.File("m.bin"));
    TMemoryStream t;
    t.LoadFromFile(dir.File("m.bin"));
    EXPECT_EQ(Content(t), bytes);
}

TEST(Stream, CopyFrom)
{
    TMemoryStream src;
    Put(src, "0123456789");
    src.SetPosition(7);
    TMemoryStream dst;
    EXPECT_EQ(dst.CopyFrom(&src, 0), 10);  // 0: all of it, from the start
    EXPECT_EQ(Content(dst), "0123456789");
    EXPECT_EQ(src.Position(), 10);

    src.SetPosition(2);
    TMemoryStream part;
    EXPECT_EQ(part.CopyFrom(&src, 3), 3);  // from the current position
    EXPECT_EQ(Content(part), "234");
    EXPECT_EQ(src.Position(), 5);

    TMemoryStream over;
    EXPECT_THROW(over.CopyFrom(&src, 6), EReadError);  // only 5 left

    // Larger than one copy chunk.
    TMemoryStream big;
    std::string data(200000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = char(i * 7);
    Put(big, data);
    TMemoryStream copy;
    EXPECT_EQ(copy.CopyFrom(&big, 0), 200000);
    EXPECT_EQ(Content(copy), data);
}

TEST(FileStream, CreateWriteReopenRead)
{
    TempDir dir;
    AnsiString name = dir.File("f.dat");
    {
        TFileStream f(name, fmCreate);
        EXPECT_EQ(f.FileName(), name);
        Put(f, "hello file");
        EXPECT_EQ(f.Size(), 10);
        f.SetSize(5);  // truncates, position follows
        EXPECT_EQ(f.Size(), 5);
        EXPECT_EQ(f.Position(), 5);
        Put(f, "!");
    }
    {
        TFileStream f(name, fmOpenReadWrite);
        EXPECT_EQ(f.Size(), 6);
        char buf[16] = {};
        EXPECT_EQ(f.Read(buf, 16), 6);
        EXPECT_STREQ(buf, "hello!");
        f.Seek(-1, soFromEnd);
        Put(f, "?");
    }
    {
        TFileStream f(name, fmOpenRead);
        char buf[16] = {};
        f.ReadBuffer(buf, 6);
        EXPECT_STREQ(buf, "hello?");
        EXPECT_THROW(f.ReadBuffer(buf, 1), EReadError);
        EXPECT_THROW(Put(f, "x"), EWriteError);  // opened for reading only
    }
    {
        TFileStream f(name, fmCreate);  // create empties an existing file
        EXPECT_EQ(f.Size(), 0);
    }
}

TEST(FileStream, OpenAndCreateErrorsNameTheFile)
{
    TempDir dir;
    AnsiString missing = dir.File("missing.dat");
    try {
        TFileStream f(missing, fmOpenRead);
        FAIL() << "opened a missing file";
    } catch (const EFOpenError& e) {
        AnsiString prefix = "Cannot open file " + missing + ". ";
        EXPECT_EQ(e.Message().SubString(1, prefix.Length()), prefix);
        EXPECT_GT(e.Message().Length(), prefix.Length());  // the reason follows
    }
    AnsiString noFolder = dir.File("no-such-folder\\new.dat");
    try {
        TFileStream f(noFolder, fmCreate);
        FAIL() << "created a file in a missing folder";
    } catch (const EFCreateError& e) {
        AnsiString prefix = "Cannot create file " + noFolder + ". ";
        EXPECT_EQ(e.Message().SubString(1, prefix.Length()), prefix);
        EXPECT_GT(e.Message().Length(), prefix.Length());
    }
}

TEST(FileStream, ShareModes)
{
    TempDir dir;
    AnsiString name = dir.File("shared.dat");
    { TFileStream f(name, fmCreate); }

    struct Case {
        unsigned first, second;
        bool secondOpens;
    } cases[] = {
        {fmOpenRead | fmShareExclusive, fmOpenRead | fmShareDenyNone, false},
        {fmOpenRead | fmShareDenyWrite, fmOpenRead | fmShareDenyNone, true},
        {fmOpenRead | fmShareDenyWrite, fmOpenReadWrite | fmShareDenyNone, false},
        {fmOpenRead | fmShareDenyNone, fmOpenReadWrite | fmShareDenyNone, true},
        {fmOpenReadWrite | fmShareDenyRead, fmOpenRead | fmShareDenyNone, false},
    };
    for (const Case& c : cases) {
        TFileStream first(name, c.first);
        bool opened = true;
        try {
            TFileStream second(name, c.second);
        } catch (const EFOpenError&) {
            opened = false;
        }
        EXPECT_EQ(opened, c.secondOpens) << std::hex << c.first << " then " << c.second;
    }
    // A stream created with a share mode lets readers in.
    TFileStream created(name, fmCreate | fmShareDenyWrite);
    EXPECT_NO_THROW(TFileStream(name, fmOpenRead | fmShareDenyNone));
}

TEST(HandleStream, UsesButDoesNotCloseTheHandle)
{
    TempDir dir;
    AnsiString name = dir.File("h.dat");
    FileHandle h(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(h);
    {
        THandleStream s(h.get());
        EXPECT_EQ(s.Handle(), h.get());
        Put(s, "abc");
        EXPECT_EQ(s.Size(), 3);
        s.SetPosition(1);
        char c = 0;
        EXPECT_EQ(s.Read(&c, 1), 1);
        EXPECT_EQ(c, 'b');
    }
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(h.get(), "d", 1, &written, nullptr));  // still open
    EXPECT_EQ(GetFileSize(h.get(), nullptr), 3u);
}

TEST(ResourceStream, ReadsResourcesOfTheModule)
{
    HINSTANCE self = GetModuleHandleA(nullptr);
    TResourceStream byName(self, "STREAMTEST", RT_RCDATA);
    EXPECT_EQ(Content(byName), "hello resource");
    TResourceStream byId(self, 4711, RT_RCDATA);
    EXPECT_EQ(Content(byId), "by id\r\n");

    char buf[3] = {};
    byId.ReadBuffer(buf, 2);
    EXPECT_EQ(std::string(buf, 2), "by");
    try {
        byId.Write("x", 1);
        FAIL() << "wrote to a resource";
    } catch (const EStreamError& e) {
        EXPECT_EQ(e.Message(), "Can't write to a read-only resource stream");
    }
}

TEST(ResourceStream, MissingResourceNamesIt)
{
    HINSTANCE self = GetModuleHandleA(nullptr);
    try {
        TResourceStream s(self, "NOSUCHRES", RT_RCDATA);
        FAIL();
    } catch (const EResNotFound& e) {
        EXPECT_EQ(e.Message(), "Resource NOSUCHRES not found");
    }
    try {
        TResourceStream s(self, 999, RT_RCDATA);
        FAIL();
    } catch (const EResNotFound& e) {
        EXPECT_EQ(e.Message(), "Resource 999 not found");
    }
    // The right name under another type is not found either.
    EXPECT_THROW(TResourceStream(self, "STREAMTEST", RT_BITMAP), EResNotFound);
}
