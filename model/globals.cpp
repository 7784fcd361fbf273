#include "model/globals.h"

#include "platform/core/versionblock.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace {

std::string envOrEmpty(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string withTrailingSeparator(std::string path)
{
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path;
}

// XDG_DOCUMENTS_DIR from the user-dirs file, with $HOME expanded, as the desktop sets it.
std::string documentsFromUserDirs(const std::string& configHome, const std::string& home)
{
    std::ifstream in(configHome + "/user-dirs.dirs");
    std::string line;
    const std::string key = "XDG_DOCUMENTS_DIR=";
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) != 0)
            continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0)
            value = home + value.substr(5);
        if (!value.empty() && value.front() == '/')
            return value;
    }
    return {};
}

} // namespace

void GetFileVersion(
    const std::string& fileName, int& major, int& minor, int& release, int& build, bool& preRelease)
{
    const auto info = platform::readVersionBlock(fileName);
    if (!info)
        throw std::runtime_error("Can't get file version information for " + fileName);
    major = info->major;
    minor = info->minor;
    release = info->release;
    build = info->build;
    preRelease = info->preRelease;
}

std::string GetAppVersionString()
{
    int major = 0, minor = 0, release = 0, build = 0;
    bool preRelease = false;
    GetFileVersion(platform::runningExecutablePath(), major, minor, release, build, preRelease);
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(release);
}

std::string GetSpecialFolderPath(int folderId)
{
    const std::string home = envOrEmpty("HOME");
    std::string path;
    if (folderId == CSIDL_PERSONAL) {
        std::string configHome = envOrEmpty("XDG_CONFIG_HOME");
        if (configHome.empty() && !home.empty())
            configHome = home + "/.config";
        if (!configHome.empty())
            path = documentsFromUserDirs(configHome, home);
        if (path.empty() && !home.empty())
            path = home + "/Documents";
    } else if (folderId == CSIDL_APPDATA) {
        path = envOrEmpty("XDG_DATA_HOME");
        if (path.empty() && !home.empty())
            path = home + "/.local/share";
    }
    return withTrailingSeparator(path);
}

std::string GetMyDocumentsPath()
{
    return GetSpecialFolderPath(CSIDL_PERSONAL);
}

std::string GetUserDataPath()
{
    std::string path = GetSpecialFolderPath(CSIDL_APPDATA);
    if (path.empty())
        return path;
    path += "Fendrix/";
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return path;
}
