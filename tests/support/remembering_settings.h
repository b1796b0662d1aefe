#pragma once
// For as long as it lives: the user's settings are remembered (UserSettings on), in a
// configuration folder of its own (XDG_CONFIG_HOME), so a window opened again gets back what
// the one before it left. Made in a fixture's SetUp, gone before the next test.
#include "common/user_settings.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

class RememberingSettings {
public:
    RememberingSettings() : m_saved(qgetenv("XDG_CONFIG_HOME"))
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
        UserSettings::setEnabled(true);
    }
    ~RememberingSettings()
    {
        UserSettings::setEnabled(false);
        if (m_saved.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", m_saved);
    }
    QString path() const { return m_config.path(); }

    RememberingSettings(const RememberingSettings &) = delete;
    RememberingSettings &operator=(const RememberingSettings &) = delete;

private:
    QTemporaryDir m_config;
    QByteArray m_saved;
};
