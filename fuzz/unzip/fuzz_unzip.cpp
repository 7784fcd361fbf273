// Unpacks arbitrary bytes as a downloaded update archive. Whatever the archive holds, nothing
// may be written outside the folder it is unpacked into.
#include "platform/qt/unzip.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QTemporaryDir root;
    if (!root.isValid())
        return 0;
    const QString archive = root.filePath(QStringLiteral("update.zip"));
    {
        QFile f(archive);
        if (!f.open(QIODevice::WriteOnly))
            return 0;
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    const QString target = root.filePath(QStringLiteral("sandbox/BraxholmUpdate"));
    QDir().mkpath(target);
    QString error;
    platform::UnzipArchive(archive, target, &error);

    // Only the archive and the unpacking folder may exist beside each other in the root.
    const QString sandbox = QDir::cleanPath(root.filePath(QStringLiteral("sandbox")));
    QDirIterator it(root.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = QDir::cleanPath(it.next());
        if (path == QDir::cleanPath(archive) || path == sandbox)
            continue;
        if (!path.startsWith(sandbox + QLatin1Char('/')))
            __builtin_trap();
    }
    return 0;
}
