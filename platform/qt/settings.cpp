#include "platform/qt/settings.h"

#include <QSettings>
#include <QStringList>

namespace platform {

namespace {

QString groupOf(const QString& path)
{
    QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    return parts.join(QLatin1Char('/'));
}

std::unique_ptr<QSettings> openStore()
{
    return std::make_unique<QSettings>(
        QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Braxholm"), QStringLiteral("Fendrix"));
}

bool groupExists(QSettings& settings, const QString& group)
{
    settings.beginGroup(group);
    const bool exists = !settings.allKeys().isEmpty();
    settings.endGroup();
    return exists;
}

} // namespace

SettingsKey::SettingsKey()
    : m_settings(openStore())
{
}

SettingsKey::~SettingsKey()
{
    flush();
}

bool SettingsKey::openKey(const QString& path, bool create)
{
    const QString group = groupOf(path);
    m_open = create || groupExists(*m_settings, group);
    m_group = m_open ? group : QString();
    return m_open;
}

QString SettingsKey::fullName(const QString& name) const
{
    return m_group.isEmpty() ? name : m_group + QLatin1Char('/') + name;
}

bool SettingsKey::valueExists(const QString& name) const
{
    return m_open && m_settings->contains(fullName(name));
}

int SettingsKey::readInteger(const QString& name) const
{
    if (!m_open)
        return 0;
    bool ok = false;
    const int value = m_settings->value(fullName(name)).toInt(&ok);
    return ok ? value : 0;
}

bool SettingsKey::readBool(const QString& name) const
{
    return readInteger(name) != 0;
}

void SettingsKey::writeInteger(const QString& name, int value)
{
    if (m_open)
        m_settings->setValue(fullName(name), value);
}

void SettingsKey::writeBool(const QString& name, bool value)
{
    writeInteger(name, value ? 1 : 0);
}

void SettingsKey::flush()
{
    m_settings->sync();
}

void deleteSettingsKey(const QString& path)
{
    auto settings = openStore();
    settings->remove(groupOf(path));
    settings->sync();
}

} // namespace platform
