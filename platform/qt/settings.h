#pragma once
// The per-user settings store. Keys are paths with backslashes ("Software\Braxholm\Fendrix\WinPos"),
// as the program names them; values are integers or booleans under a key. The store is Qt's
// user settings of organisation "Braxholm", application "Fendrix".
#include <QString>

#include <memory>

class QSettings;

namespace platform {

class SettingsKey {
public:
    SettingsKey();
    ~SettingsKey();
    SettingsKey(const SettingsKey&) = delete;
    SettingsKey& operator=(const SettingsKey&) = delete;

    // Opens a key. Without create, a key that holds no value does not exist and is not opened.
    bool openKey(const QString& path, bool create);
    bool isOpen() const { return m_open; }

    bool valueExists(const QString& name) const;
    // Reading a value that is missing or not a number gives 0 (false).
    int readInteger(const QString& name) const;
    bool readBool(const QString& name) const;
    void writeInteger(const QString& name, int value);
    void writeBool(const QString& name, bool value);

    // Writes what is pending to the store (also done when the key is destroyed).
    void flush();

private:
    QString fullName(const QString& name) const;

    std::unique_ptr<QSettings> m_settings;
    QString m_group;
    bool m_open = false;
};

// Removes one key and all it holds (for tests and resets).
void deleteSettingsKey(const QString& path);

} // namespace platform
