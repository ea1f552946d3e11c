#pragma once

#include <QOperatingSystemVersion>
#include <QSettings>
#include <QString>

namespace vesk::gui {

/// The person's own settings, which outlive a run (the folders the file dialogs last used).
/// Tests use a store in memory, so that they never touch the real ones.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    /// Empty when the key was never set.
    virtual QString value(const QString& key) const = 0;
    virtual void setValue(const QString& key, const QString& value) = 0;
};

/// The settings of the person running the program, in a file where the desktop keeps them
/// (~/.config/vesk-orv/vesk-orv.conf; %APPDATA%\vesk-orv\vesk-orv.ini on Windows, not the
/// registry), never beside the program.
class UserSettings : public SettingsStore {
  public:
    UserSettings() : m_settings(fileFormat(), QSettings::UserScope, "vesk-orv", "vesk-orv") {}

    QString value(const QString& key) const override { return m_settings.value(key).toString(); }
    void setValue(const QString& key, const QString& value) override { m_settings.setValue(key, value); }

    /// Native on Linux is the .conf file; on Windows it would be the registry, so an .ini file.
    static QSettings::Format fileFormat() {
        return QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows ? QSettings::IniFormat
                                                                                          : QSettings::NativeFormat;
    }

  private:
    QSettings m_settings;
};

}  // namespace vesk::gui
