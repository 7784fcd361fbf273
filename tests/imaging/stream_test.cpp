#include "platform/core/exceptions.h"
#include "platform/core/stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

std::filesystem::path tempDir()
{
    auto dir = std::filesystem::temp_directory_path() / ("fendrix-stream-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}

} // namespace

TEST(MemoryStream, ReadWriteSeek)
{
    platform::TMemoryStream s;
    EXPECT_EQ(s.Size(), 0);
    s.WriteBuffer("abcdef", 6);
    EXPECT_EQ(s.Position(), 6);
    s.SetPosition(2);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 4); // a short read returns what there is
    EXPECT_STREQ(buf, "cdef");
    EXPECT_EQ(s.Read(buf, 8), 0);
    EXPECT_EQ(s.Seek(-3, platform::TSeekOrigin::soEnd), 3);
    EXPECT_EQ(s.Seek(1, platform::TSeekOrigin::soCurrent), 4);
    // Writing past the end leaves zeros in the gap.
    s.SetPosition(10);
    s.WriteBuffer("Z", 1);
    EXPECT_EQ(s.Size(), 11);
    EXPECT_EQ(s.Memory()[8], 0);
    EXPECT_EQ(s.Memory()[10], 'Z');
    s.SetSize(3);
    EXPECT_EQ(s.Position(), 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.Memory()), 3), "abc");
}

TEST(MemoryStream, ReadBufferRefusesShortReadsAndBadPositions)
{
    platform::TMemoryStream s;
    s.WriteBuffer("abc", 3);
    s.SetPosition(1);
    char buf[4];
    try {
        s.ReadBuffer(buf, 3);
        FAIL();
    } catch (const platform::EReadError& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
    EXPECT_THROW(s.ReadBuffer(buf, -1), platform::EReadError);
    EXPECT_THROW(s.Seek(-4, platform::TSeekOrigin::soCurrent), platform::EStreamError);
    EXPECT_THROW(s.SetPosition(-1), platform::EStreamError);
    EXPECT_THROW(s.Seek(INT64_MAX, platform::TSeekOrigin::soEnd), platform::EStreamError);
    EXPECT_THROW(s.SetSize(-1), platform::EStreamError);
    s.SetPosition(0);
    s.ReadBuffer(buf, 3);
    EXPECT_EQ(std::string(buf, 3), "abc");
}

TEST(MemoryStream, CopyFromAndLoadSave)
{
    platform::TMemoryStream a, b;
    a.WriteBuffer("0123456789", 10);
    a.SetPosition(7);
    EXPECT_EQ(b.CopyFrom(a, 0), 10); // 0 copies the whole source
    EXPECT_EQ(b.Size(), 10);
    a.SetPosition(2);
    platform::TMemoryStream c;
    c.CopyFrom(a, 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(c.Memory()), 3), "234");
    EXPECT_THROW(c.CopyFrom(a, 100), platform::EReadError);

    const auto file = (tempDir() / "copy.bin").string();
    b.SaveToFile(file);
    platform::TMemoryStream d;
    d.LoadFromFile(file);
    EXPECT_EQ(d.Bytes(), b.Bytes());
    EXPECT_EQ(d.Position(), 0);
}

TEST(FileStream, ModesSizesAndErrors)
{
    const auto dir = tempDir();
    const auto path = (dir / "file.bin").string();
    {
        platform::TFileStream f(path, platform::fmCreate);
        f.WriteBuffer("hello world", 11);
        EXPECT_EQ(f.Size(), 11);
        f.SetPosition(6);
        char buf[5];
        f.ReadBuffer(buf, 5);
        EXPECT_EQ(std::string(buf, 5), "world");
        f.SetSize(5);
        EXPECT_EQ(f.Position(), 5);
    }
    {
        platform::TFileStream f(path, platform::fmOpenRead);
        EXPECT_EQ(f.Size(), 5);
        char buf[10];
        EXPECT_THROW(f.ReadBuffer(buf, 6), platform::EReadError);
        EXPECT_THROW(f.WriteBuffer("x", 1), platform::EWriteError); // opened for reading only
    }
    const auto missing = (dir / "missing" / "x.bin").string();
    try {
        platform::TFileStream f(missing, platform::fmOpenRead);
        FAIL();
    } catch (const platform::EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + missing + "\". No such file or directory");
    }
    EXPECT_THROW(platform::TFileStream(missing, platform::fmCreate), platform::EFCreateError);
    EXPECT_THROW(platform::TFileStream(dir.string(), platform::fmOpenRead), platform::EFOpenError);
    std::filesystem::remove_all(dir);
}

TEST(Exceptions, OutOfResourcesAndFormatting)
{
    EXPECT_EQ(platform::Format("%s %d", "a", 5), "a 5");
    try {
        platform::RaiseOutOfResources(ENOMEM);
        FAIL();
    } catch (const platform::EOutOfResources& e) {
        EXPECT_STREQ(e.what(), "Cannot allocate memory");
        EXPECT_STREQ(e.ClassName(), "EOutOfResources");
    }
}
