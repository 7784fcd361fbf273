#include "platform/core/exceptions.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace platform {

std::string Format(const char* pattern, ...)
{
    va_list args;
    va_start(args, pattern);
    va_list again;
    va_copy(again, args);
    const int needed = std::vsnprintf(nullptr, 0, pattern, args);
    va_end(args);
    std::string text;
    if (needed > 0) {
        std::vector<char> buffer(static_cast<std::size_t>(needed) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), pattern, again);
        text.assign(buffer.data(), static_cast<std::size_t>(needed));
    }
    va_end(again);
    return text;
}

void RaiseOutOfResources(int errorNumber)
{
    const int code = errorNumber != 0 ? errorNumber : errno;
    if (code != 0) {
        char buffer[256] = {};
        // The GNU strerror_r returns the text, which may or may not live in the buffer.
        const char* text = strerror_r(code, buffer, sizeof buffer);
        if (text != nullptr && text[0] != '\0')
            throw EOutOfResources(std::string(text).substr(0, 256));
    }
    throw Exception("Out of resources");
}

} // namespace platform
