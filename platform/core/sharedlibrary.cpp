#include "platform/core/sharedlibrary.h"

#include <dlfcn.h>

namespace platform {

SharedLibrary::SharedLibrary(const char* fileName)
    : m_fileName(fileName)
{
    // Every symbol the library itself needs is resolved now, so that a broken installation
    // fails here, with a message, rather than in the middle of an operation.
    m_handle = dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
    if (m_handle == nullptr) {
        const char* reason = dlerror();
        m_error = "the library " + m_fileName + " cannot be loaded"
            + (reason != nullptr ? std::string(": ") + reason : std::string());
    }
}

void* SharedLibrary::symbol(const char* name)
{
    if (m_handle == nullptr)
        return nullptr;
    void* address = dlsym(m_handle, name);
    if (address == nullptr && m_error.empty())
        m_error = "the library " + m_fileName + " has no function " + name;
    return address;
}

} // namespace platform
