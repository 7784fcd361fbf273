#pragma once
// A private home for a window test: documents, settings and runtime folders in a temporary
// folder, set before the application object reads them. The tests type and compare numbers with
// ".", so the number locale is C whatever the desktop's; a test of another locale sets it itself.
#include <QByteArray>
#include <QDir>
#include <QLocale>
#include <QTemporaryDir>

class PrivateHome {
public:
    PrivateHome()
    {
        const QString root = m_dir.path();
        for (const char* sub : { "home", "config", "data", "cache", "runtime" })
            QDir(root).mkpath(QLatin1String(sub));
        QFile::setPermissions(root + QStringLiteral("/runtime"),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("HOME", (root + QStringLiteral("/home")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toLocal8Bit());
        qputenv("XDG_CACHE_HOME", (root + QStringLiteral("/cache")).toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", (root + QStringLiteral("/runtime")).toLocal8Bit());
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QLocale::setDefault(QLocale::c());
    }
    QString home() const { return m_dir.path() + QStringLiteral("/home"); }

private:
    QTemporaryDir m_dir;
};
