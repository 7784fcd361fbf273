#pragma once
// The exception family of the platform layer. Every failure the program reports to the user is
// one of these, carrying the text shown in the message box.
#include <stdexcept>
#include <string>

namespace platform {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message)
        : std::runtime_error(message)
    {
    }
    std::string Message() const { return what(); }
    // Name of the exception class as the program shows it ("EJpegError", ...).
    virtual const char* ClassName() const { return "Exception"; }
};

#define FENDRIX_DECLARE_EXCEPTION(Name, Base)                                                                \
    class Name : public Base {                                                                               \
    public:                                                                                                  \
        explicit Name(const std::string& message)                                                            \
            : Base(message)                                                                                  \
        {                                                                                                    \
        }                                                                                                    \
        const char* ClassName() const override { return #Name; }                                             \
    };

// Resources of the system (memory, handles) ran out or were refused.
FENDRIX_DECLARE_EXCEPTION(EOutOfResources, Exception)
// A picture's data or format is not one the picture class understands.
FENDRIX_DECLARE_EXCEPTION(EInvalidGraphic, Exception)
// An object cannot be assigned from another one.
FENDRIX_DECLARE_EXCEPTION(EConvertError, Exception)
// Streams: bad positions, short reads and writes, files that cannot be opened.
FENDRIX_DECLARE_EXCEPTION(EStreamError, Exception)
FENDRIX_DECLARE_EXCEPTION(EReadError, EStreamError)
FENDRIX_DECLARE_EXCEPTION(EWriteError, EStreamError)
FENDRIX_DECLARE_EXCEPTION(EFOpenError, EStreamError)
FENDRIX_DECLARE_EXCEPTION(EFCreateError, EStreamError)

// printf-style formatting for exception texts.
std::string Format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

// Raises EOutOfResources with the system's text for the error number (errno when 0 is
// passed); a plain Exception "Out of resources" when there is no error number or no text.
[[noreturn]] void RaiseOutOfResources(int errorNumber = 0);

} // namespace platform
