#include "framework/visual/Clipbrd.h"

#include <cstring>
#include <memory>

#include "framework/visual/Forms.h"

TClipboard::~TClipboard()
{
    if (openCount_ > 0) CloseClipboard();
}

void TClipboard::Open()
{
    if (openCount_ == 0) {
        TApplication* app = TApplicationRef::Get();
        if (!OpenClipboard(app ? app->Handle() : nullptr)) throw EClipboardException("Cannot open clipboard");
        emptied_ = false;
    }
    ++openCount_;
}

void TClipboard::Close()
{
    if (openCount_ == 0) return;
    if (--openCount_ == 0) CloseClipboard();
}

void TClipboard::Clear()
{
    Open();
    EmptyClipboard();
    emptied_ = true;
    Close();
}

bool TClipboard::HasFormat(UINT format) const { return IsClipboardFormatAvailable(format) != FALSE; }

AnsiString TClipboard::AsText()
{
    AnsiString text;
    Open();
    struct Closer {
        TClipboard* c;
        ~Closer() { c->Close(); }
    } closer{this};
    HANDLE data = GetClipboardData(CF_TEXT);
    if (!data) return text;
    const char* p = static_cast<const char*>(GlobalLock(data));
    if (!p) return text;
    // The block may be larger than the text, and a foreign program may leave the zero out.
    const SIZE_T size = GlobalSize(data);
    const void* end = std::memchr(p, 0, size);
    text = AnsiString(p, int(end ? static_cast<const char*>(end) - p : size));
    GlobalUnlock(data);
    return text;
}

void TClipboard::SetAsText(const AnsiString& value)
{
    Open();
    struct Closer {
        TClipboard* c;
        ~Closer() { c->Close(); }
    } closer{this};
    if (!emptied_) {
        EmptyClipboard();
        emptied_ = true;
    }
    const std::size_t n = value.str().size();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, n + 1);
    if (!block) throw EClipboardException("Out of memory while setting the clipboard");
    char* p = static_cast<char*>(GlobalLock(block));
    std::memcpy(p, value.c_str(), n + 1);
    GlobalUnlock(block);
    // The system owns the block once it has taken it.
    if (!SetClipboardData(CF_TEXT, block)) {
        GlobalFree(block);
        throw EClipboardException("Cannot set the clipboard's text");
    }
}

TClipboard* Clipboard()
{
    static TClipboard clipboard;
    return &clipboard;
}
