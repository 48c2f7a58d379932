#pragma once
// The system clipboard as an object: text in and out, and what formats it holds.

#include <windows.h>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Exceptions.h"

DRAVIK_EXCEPTION(EClipboardException, Exception);

class TClipboard {
public:
    TClipboard() = default;
    ~TClipboard();
    TClipboard(const TClipboard&) = delete;
    TClipboard& operator=(const TClipboard&) = delete;

    // Nested: the clipboard stays open until the last Close. Raises EClipboardException "Cannot open clipboard"
    // when another window holds it.
    void Open();
    void Close();
    // Empties the clipboard and makes the application window its owner.
    void Clear();

    bool HasFormat(UINT format) const;
    // The CF_TEXT contents, up to the first zero; empty when the clipboard holds no text.
    AnsiString AsText();
    // Replaces the contents with the text.
    void SetAsText(const AnsiString& value);

private:
    int openCount_ = 0;
    bool emptied_ = false;  // Clear ran since the clipboard was opened
};

// The program's clipboard object.
TClipboard* Clipboard();
