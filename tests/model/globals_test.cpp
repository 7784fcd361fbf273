#include "model/globals.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

TEST(Globals, FileVersionOfTheRunningProgramAndItsText)
{
    const std::string version = GetAppVersionString();
    int major = -1, minor = -1, release = -1, build = -1;
    bool pre = true;
    GetFileVersion("/proc/self/exe", major, minor, release, build, pre);
    EXPECT_EQ(version, std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(release));
    EXPECT_FALSE(pre);
    EXPECT_GE(major, 1);
}

TEST(Globals, FileWithoutVersionRaisesTheMessage)
{
    const auto path = (std::filesystem::temp_directory_path() / "fendrix_no_version.txt").string();
    std::ofstream(path) << "no version here";
    int a, b, c, d;
    bool p;
    try {
        GetFileVersion(path, a, b, c, d, p);
        FAIL() << "expected an exception";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "Can't get file version information for " + path);
    }
    std::filesystem::remove(path);
}

TEST(Globals, SpecialFoldersFollowTheEnvironmentWithOneTrailingSeparator)
{
    const auto root = std::filesystem::temp_directory_path() / "fendrix_globals_env";
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "config");
    std::ofstream(root / "config" / "user-dirs.dirs") << "# comment\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n";
    setenv("HOME", root.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (root.string() + "/data/").c_str(), 1); // already ends in a separator

    EXPECT_EQ(GetMyDocumentsPath(), root.string() + "/Docs/");
    EXPECT_EQ(GetSpecialFolderPath(CSIDL_APPDATA), root.string() + "/data/");
    EXPECT_EQ(GetUserDataPath(), root.string() + "/data/Fendrix/");
    EXPECT_TRUE(std::filesystem::is_directory(root / "data" / "Fendrix"));
    EXPECT_EQ(GetSpecialFolderPath(12345), "");

    unsetenv("XDG_DATA_HOME");
    unsetenv("HOME");
    EXPECT_EQ(GetUserDataPath(), ""); // no folder, nothing created
    std::filesystem::remove_all(root);
}

} // namespace
