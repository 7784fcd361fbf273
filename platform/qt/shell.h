#pragma once
// What the program asks of the desktop shell: its own folder, opening documents and web pages
// with their associated program, and creating folders.
#include <QString>

#include <functional>

namespace platform {

// Folder of the running executable, with a trailing separator.
QString executableFolder();

// Opens a file or a web address ("http://", "https://", "mailto:") with the program the desktop
// associates with it. Returns false when nothing could open it.
bool shellOpen(const QString& fileOrAddress);

// Tests replace the desktop with their own receiver; an empty function restores the desktop.
using ShellOpenHandler = std::function<bool(const QString& fileOrAddress)>;
void setShellOpenHandler(ShellOpenHandler handler);

// Creates a folder with every missing parent. Throws std::runtime_error
// "Unable to create directory <path>" when it cannot be created.
void forceDirectories(const QString& path);

} // namespace platform
