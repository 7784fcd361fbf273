#include "platform/qt/process.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace platform {

bool StartProgram(const QString& fileName, const QString& parameters)
{
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.exists() || !info.isFile())
        return false;
    const QString program = info.absoluteFilePath();
    if (!(info.permissions() & QFileDevice::ExeOwner)) {
        if (!QFile::setPermissions(
                program, info.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser))
            return false;
    }
    return QProcess::startDetached(program, QProcess::splitCommand(parameters));
}

} // namespace platform
