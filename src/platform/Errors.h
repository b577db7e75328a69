// The program's error class family. Every unexpected condition is thrown as an Exception
// whose class name is shown to the user together with its message ("class name : message").
#pragma once

#include <stdexcept>
#include <string>

namespace kor {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    // Name of the error's class as shown in messages and the log.
    virtual const char* ClassName() const noexcept { return "Exception"; }
    std::string Message() const { return what(); }
};

#define KOR_DECLARE_ERROR(Name, Base)                                          \
    class Name : public Base {                                                 \
    public:                                                                    \
        using Base::Base;                                                      \
        const char* ClassName() const noexcept override { return #Name; }      \
    }

KOR_DECLARE_ERROR(EConvertError, Exception);   // text that is not a number
KOR_DECLARE_ERROR(EInOutError, Exception);     // a file operation failed
KOR_DECLARE_ERROR(EFOpenError, EInOutError);   // a file could not be opened
KOR_DECLARE_ERROR(EFCreateError, EInOutError); // a file could not be created
KOR_DECLARE_ERROR(EReadError, EInOutError);    // a read stopped short
KOR_DECLARE_ERROR(EWriteError, EInOutError);   // a write stored fewer bytes than asked
KOR_DECLARE_ERROR(EOSError, Exception);        // a system call failed

// Text of the last system error (errno or GetLastError), for error messages.
std::string LastSystemErrorText();

}  // namespace kor
