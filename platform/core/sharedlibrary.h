#pragma once
// A C library reached through the dynamic loader on its first use instead of being linked: the
// program does not pay for loading it (and all it pulls in) at every start-up, only the first
// operation that needs it does. The library is never closed, so the functions bound stay valid
// for the life of the process; keep the bound functions in a function-local static, whose
// initialisation runs once even when several threads ask at the same time.
#include <string>

namespace platform {

class SharedLibrary {
public:
    // Opens the library by its versioned file name ("libzip.so.4"). Never throws: when it
    // cannot be opened, error() says why and function() gives null.
    explicit SharedLibrary(const char* fileName);
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // The library's function of that name, or null when there is none (error() then names it).
    // Take the type from the library's own header (decltype(&zip_open)): the calls then check
    // their arguments as direct calls would. FENDRIX_LIBRARY_FUNCTION below does this for a
    // member, naming the function once.
    template <typename Function> Function function(const char* name)
    {
        return reinterpret_cast<Function>(symbol(name));
    }

    // Empty when the library opened and every function bound so far was found; otherwise the
    // first failure, naming the library, for an error message.
    const std::string& error() const { return m_error; }

private:
    void* symbol(const char* name);

    std::string m_fileName;
    void* m_handle = nullptr;
    std::string m_error;
};

} // namespace platform

// Declares a member holding the library's function of that name, typed from the library's own
// header, bound from library, a SharedLibrary member declared before it:
//     platform::SharedLibrary library { "libzip.so.4" };
//     FENDRIX_LIBRARY_FUNCTION(library, zip_open);
#define FENDRIX_LIBRARY_FUNCTION(library, name)                                                              \
    decltype(&::name) name = (library).function<decltype(&::name)>(#name)
