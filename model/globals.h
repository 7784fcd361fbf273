#pragma once
// Program version and the user's folders.
#include <string>

// CSIDL numbers of the two special folders the program uses.
constexpr int CSIDL_PERSONAL = 5; // the user's documents
constexpr int CSIDL_APPDATA = 26; // the user's application data

// Reads the version block of a file. Throws std::runtime_error
// "Can't get file version information for <name>" when the file has none.
void GetFileVersion(
    const std::string& fileName, int& major, int& minor, int& release, int& build, bool& preRelease);

// "major.minor.release" of the running program.
std::string GetAppVersionString();

// Path of a special folder with a trailing separator; empty when there is none.
std::string GetSpecialFolderPath(int folderId);
std::string GetMyDocumentsPath();

// The program's own folder under the user's application data ("…/Fendrix/"), created with its
// parents; empty when there is no application-data folder.
std::string GetUserDataPath();
