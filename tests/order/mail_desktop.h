#pragma once
// A stand-in desktop for the question which mail program xdg-email would hand a mail to: the
// XDG folders, PATH and XDG_RUNTIME_DIR of an environment pointed into a folder of the test,
// where the case writes its mimeapps.list, .desktop files and programs ("{root}" in a file's
// text is the folder). Nothing of the machine's own desktop is read.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QString>

class StandInDesktop {
public:
    explicit StandInDesktop(const QString &root) : m_root(root) {}

    // The environment: HOME, PATH and the XDG folders inside the stand-in, no desktop named.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("HOME"), m_root + QStringLiteral("/home"));
        env.insert(QStringLiteral("PATH"), m_root + QStringLiteral("/bin"));
        env.insert(QStringLiteral("XDG_CONFIG_DIRS"), m_root + QStringLiteral("/etc/xdg"));
        env.insert(QStringLiteral("XDG_DATA_DIRS"), m_root + QStringLiteral("/usr/share"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_root + QStringLiteral("/run"));
        return env;
    }
    void write(const QString &relative, const QString &text) const
    {
        const QString path = m_root + u'/' + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(QString(text).replace(QStringLiteral("{root}"), m_root).toUtf8());
    }
    // An executable under bin/ (on the stand-in PATH).
    void program(const QString &name) const
    {
        write(QStringLiteral("bin/") + name, QStringLiteral("#!/bin/sh\nexit 0\n"));
        QFile::setPermissions(m_root + QStringLiteral("/bin/") + name,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // program as the user's default mail program: a desktop file that starts it, named in the
    // user's mimeapps.list.
    void defaultMailProgram(const QString &desktopFile, const QString &program) const
    {
        this->program(program);
        write(QStringLiteral("usr/share/applications/") + desktopFile,
              QStringLiteral("[Desktop Entry]\nType=Application\nExec=%1 %u\n").arg(program));
        write(QStringLiteral("home/.config/mimeapps.list"),
              QStringLiteral("[Default Applications]\nx-scheme-handler/mailto=%1\n").arg(desktopFile));
    }
    // Points the mail program's settings in env at the stand-in, keeping PATH's programs
    // (stand-in xdg-email …) ahead of the stand-in's own.
    void applyTo(QProcessEnvironment &env) const
    {
        const QProcessEnvironment own = environment();
        for (const QString &key : own.keys())
            if (key != u"PATH")
                env.insert(key, own.value(key));
        env.insert(QStringLiteral("PATH"), env.value(QStringLiteral("PATH")) + u':' + own.value(QStringLiteral("PATH")));
        for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CURRENT_DESKTOP", "MAILER",
                                 "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID", "DESKTOP_SESSION"})
            env.remove(QString::fromLatin1(name));
    }

private:
    QString m_root;
};
