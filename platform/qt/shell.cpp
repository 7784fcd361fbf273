#include "platform/qt/shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <stdexcept>

namespace platform {

namespace {

ShellOpenHandler& openHandler()
{
    static ShellOpenHandler handler;
    return handler;
}

} // namespace

QString executableFolder()
{
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

bool shellOpen(const QString& fileOrAddress)
{
    if (openHandler())
        return openHandler()(fileOrAddress);
    const QUrl url = QUrl::fromUserInput(fileOrAddress, QDir::currentPath(), QUrl::AssumeLocalFile);
    return url.isValid() && QDesktopServices::openUrl(url);
}

void setShellOpenHandler(ShellOpenHandler handler)
{
    openHandler() = std::move(handler);
}

void forceDirectories(const QString& path)
{
    if (path.isEmpty() || QDir().mkpath(path))
        return;
    throw std::runtime_error("Unable to create directory " + QDir::toNativeSeparators(path).toStdString());
}

} // namespace platform
