#include "platform/core/sharedlibrary.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(SharedLibrary, MissingLibraryOrFunctionIsAnErrorNamingIt)
{
    {
        platform::SharedLibrary library("libfendrix-no-such-library.so.1");
        EXPECT_EQ(library.function<decltype(&::strlen)>("strlen"), nullptr);
        EXPECT_NE(library.error().find("libfendrix-no-such-library.so.1"), std::string::npos)
            << library.error();
        EXPECT_NE(library.error().find("cannot be loaded"), std::string::npos) << library.error();
    }
    {
        platform::SharedLibrary library("libc.so.6");
        const auto present = library.function<decltype(&::strlen)>("strlen");
        EXPECT_TRUE(library.error().empty()) << library.error();
        ASSERT_NE(present, nullptr);
        EXPECT_EQ(present("four"), 4u);

        EXPECT_EQ(library.function<decltype(&::strlen)>("fendrix_no_such_function"), nullptr);
        EXPECT_EQ(library.error(), "the library libc.so.6 has no function fendrix_no_such_function");
        // A function found after a missing one still binds; the first failure stays the message.
        const auto later = library.function<decltype(&::strcmp)>("strcmp");
        ASSERT_NE(later, nullptr);
        EXPECT_LT(later("abc", "abd"), 0);
        EXPECT_EQ(library.error(), "the library libc.so.6 has no function fendrix_no_such_function");
    }
}

} // namespace
