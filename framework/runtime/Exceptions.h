#pragma once
// The framework's exception family: every error carries its message text.

#include <exception>

#include "framework/runtime/AnsiString.h"

class Exception : public std::exception {
public:
    explicit Exception(const AnsiString& message) : message_(message) {}
    const AnsiString& Message() const { return message_; }
    void SetMessage(const AnsiString& message) { message_ = message; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    AnsiString message_;
};

#define DRAVIK_EXCEPTION(Name, Base)                                  \
    class Name : public Base {                                        \
    public:                                                           \
        explicit Name(const AnsiString& message) : Base(message) {}   \
    }

DRAVIK_EXCEPTION(EAbort, Exception);
DRAVIK_EXCEPTION(EConvertError, Exception);
DRAVIK_EXCEPTION(EInvalidOperation, Exception);
DRAVIK_EXCEPTION(EInvalidPointer, Exception);
DRAVIK_EXCEPTION(EOutOfResources, Exception);
DRAVIK_EXCEPTION(EOutOfMemory, Exception);
DRAVIK_EXCEPTION(EListError, Exception);
DRAVIK_EXCEPTION(EStringListError, Exception);
DRAVIK_EXCEPTION(EBitsError, Exception);
DRAVIK_EXCEPTION(EStreamError, Exception);
DRAVIK_EXCEPTION(EFCreateError, EStreamError);
DRAVIK_EXCEPTION(EFOpenError, EStreamError);
DRAVIK_EXCEPTION(EReadError, EStreamError);
DRAVIK_EXCEPTION(EWriteError, EStreamError);
DRAVIK_EXCEPTION(EFilerError, EStreamError);
DRAVIK_EXCEPTION(EClassNotFound, EFilerError);
DRAVIK_EXCEPTION(EResNotFound, Exception);
DRAVIK_EXCEPTION(ERegistryException, Exception);
DRAVIK_EXCEPTION(EIniFileException, Exception);
DRAVIK_EXCEPTION(EThread, Exception);
DRAVIK_EXCEPTION(EOSError, Exception);
DRAVIK_EXCEPTION(EComponentError, Exception);
DRAVIK_EXCEPTION(EMathError, Exception);
DRAVIK_EXCEPTION(EInvalidOp, EMathError);

// Raises EOSError for the calling thread's last error, with the system's text.
[[noreturn]] void RaiseLastOSError();
