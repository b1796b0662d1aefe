#include "order/mail_program.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextStream>

namespace MailProgram {
namespace {

const QString MailtoType = QStringLiteral("x-scheme-handler/mailto");

QString value(const QProcessEnvironment &environment, const char *name)
{
    return environment.value(QLatin1String(name));
}

QStringList pathOf(const QProcessEnvironment &environment)
{
    return value(environment, "PATH").split(u':', Qt::SkipEmptyParts);
}

// A folder list variable (XDG_DATA_DIRS …) with its default, the user's own folder first.
QStringList folders(const QProcessEnvironment &environment, const char *home, const QString &homeDefault,
                    const char *system, const QString &systemDefault)
{
    QString own = value(environment, home);
    if (own.isEmpty())
        own = value(environment, "HOME") + homeDefault;
    QString others = value(environment, system);
    if (others.isEmpty())
        others = systemDefault;
    return QStringList{own} + others.split(u':', Qt::SkipEmptyParts);
}

QStringList configFolders(const QProcessEnvironment &environment)
{
    return folders(environment, "XDG_CONFIG_HOME", QStringLiteral("/.config"), "XDG_CONFIG_DIRS",
                   QStringLiteral("/etc/xdg"));
}

QStringList dataFolders(const QProcessEnvironment &environment)
{
    return folders(environment, "XDG_DATA_HOME", QStringLiteral("/.local/share"), "XDG_DATA_DIRS",
                   QStringLiteral("/usr/local/share/:/usr/share/"));
}

// The value of key in [section] of a desktop-entry style file ("" for the lines before any
// section), or empty.
QString entry(const QString &path, const QString &section, const QString &key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    QString current;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(u'[')) {
            current = line.mid(1, line.indexOf(u']') - 1);
        } else if (current == section) {
            const qsizetype eq = line.indexOf(u'=');
            if (eq > 0 && line.left(eq).trimmed() == key)
                return line.mid(eq + 1).trimmed();
        }
    }
    return {};
}

QString firstWord(const QString &text)
{
    QString word = text.trimmed().section(u' ', 0, 0, QString::SectionSkipEmpty);
    word.remove(u'"');
    word.remove(u'\'');
    return word;
}

QString desktopFilePath(const QString &desktopFile, const QProcessEnvironment &environment)
{
    const QString name = QFileInfo(desktopFile).fileName();
    for (const QString &data : dataFolders(environment)) {
        const QString applications = data + QStringLiteral("/applications");
        // "vendor-app.desktop" may live as applications/vendor/app.desktop.
        const qsizetype dash = name.indexOf(u'-');
        if (dash > 0 && QFile::exists(applications + u'/' + name.left(dash) + u'/' + name.mid(dash + 1)))
            return applications + u'/' + name.left(dash) + u'/' + name.mid(dash + 1);
        if (QFile::exists(applications + u'/' + name))
            return applications + u'/' + name;
        for (const QString &sub : QDir(applications).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            if (QFile::exists(applications + u'/' + sub + u'/' + name))
                return applications + u'/' + sub + u'/' + name;
    }
    return {};
}

// The first application of a mimeapps.list's [Default Applications] for mailto, or empty.
QString listedHandler(const QString &list)
{
    return entry(list, QStringLiteral("Default Applications"), MailtoType).section(u';', 0, 0).trimmed();
}

bool names(const QString &text, const char *pattern, Qt::CaseSensitivity cs = Qt::CaseInsensitive)
{
    return QRegularExpression(QLatin1String(pattern),
                              cs == Qt::CaseInsensitive ? QRegularExpression::CaseInsensitiveOption
                                                        : QRegularExpression::NoPatternOption)
        .match(text)
        .hasMatch();
}

// Thunderbird as xdg-email recognises it: by the path of its program.
bool isThunderbird(const QString &program)
{
    return names(program, "thunderbird|icedove", Qt::CaseSensitive);
}

// A program that takes "attach=" from a mailto link.
bool readsAttachItems(const QString &handler, const QString &program)
{
    return names(QFileInfo(program).fileName() + u' ' + handler, "evolution|kmail");
}

} // namespace

QString desktopKind(const QProcessEnvironment &environment)
{
    if (!QStandardPaths::findExecutable(QStringLiteral("xdg-email-hook.sh"), pathOf(environment)).isEmpty())
        return QStringLiteral("hook");
    if (!value(environment, "MAILER").isEmpty())
        return QStringLiteral("envvar");
    QString kind;
    const QString current = value(environment, "XDG_CURRENT_DESKTOP");
    static const QList<std::pair<QString, QString>> byName = {
        {QStringLiteral("Cinnamon"), QStringLiteral("cinnamon")}, {QStringLiteral("X-Cinnamon"), QStringLiteral("cinnamon")},
        {QStringLiteral("ENLIGHTENMENT"), QStringLiteral("enlightenment")}, {QStringLiteral("KDE"), QStringLiteral("kde")},
        {QStringLiteral("DEEPIN"), QStringLiteral("deepin")}, {QStringLiteral("Deepin"), QStringLiteral("deepin")},
        {QStringLiteral("deepin"), QStringLiteral("deepin")}, {QStringLiteral("LXDE"), QStringLiteral("lxde")},
        {QStringLiteral("LXQt"), QStringLiteral("lxqt")}, {QStringLiteral("MATE"), QStringLiteral("mate")},
        {QStringLiteral("XFCE"), QStringLiteral("xfce")}, {QStringLiteral("X-Generic"), QStringLiteral("generic")},
    };
    if (current.startsWith(QStringLiteral("GNOME")))
        kind = QStringLiteral("gnome");
    for (const auto &[name, desktop] : byName)
        if (current == name)
            kind = desktop;
    if (kind.isEmpty()) {
        if (!value(environment, "KDE_FULL_SESSION").isEmpty())
            kind = QStringLiteral("kde");
        else if (!value(environment, "GNOME_DESKTOP_SESSION_ID").isEmpty())
            kind = QStringLiteral("gnome");
        else if (!value(environment, "MATE_DESKTOP_SESSION_ID").isEmpty())
            kind = QStringLiteral("mate");
        else if (value(environment, "DESKTOP").startsWith(QStringLiteral("Enlightenment")))
            kind = QStringLiteral("enlightenment");
        else if (!value(environment, "LXQT_SESSION_CONFIG").isEmpty())
            kind = QStringLiteral("lxqt");
    }
    if (kind.isEmpty()) {
        const QString session = value(environment, "DESKTOP_SESSION");
        if (session == u"gnome")
            kind = QStringLiteral("gnome");
        else if (session == u"LXDE" || session == u"Lubuntu")
            kind = QStringLiteral("lxde");
        else if (session == u"MATE")
            kind = QStringLiteral("mate");
        else if (session == u"xfce" || session == u"xfce4" || session == u"Xfce Session")
            kind = QStringLiteral("xfce");
    }
    if (kind == u"gnome"
        && QStandardPaths::findExecutable(QStringLiteral("gnome-default-applications-properties"),
                                          pathOf(environment))
               .isEmpty())
        kind = QStringLiteral("gnome3");
    if (QFile::exists(value(environment, "XDG_RUNTIME_DIR") + QStringLiteral("/flatpak-info")))
        kind = QStringLiteral("flatpak");
    return kind.isEmpty() ? QStringLiteral("generic") : kind;
}

QString programOf(const QString &desktopFile, const QProcessEnvironment &environment)
{
    const QString path = desktopFilePath(desktopFile, environment);
    if (path.isEmpty())
        return {};
    const QString command = firstWord(entry(path, QStringLiteral("Desktop Entry"), QStringLiteral("Exec")));
    if (command.isEmpty())
        return {};
    const QString found = command.startsWith(u'/') ? (QFileInfo(command).isExecutable() ? command : QString())
                                                   : QStandardPaths::findExecutable(command, pathOf(environment));
    return found.isEmpty() ? QString() : QFileInfo(found).canonicalFilePath();
}

QString mailtoHandler(const QProcessEnvironment &environment)
{
    QStringList desktops = value(environment, "XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts);
    desktops << QString();
    QStringList lists;
    for (const QString &config : configFolders(environment))
        for (const QString &desktop : desktops)
            lists << config + u'/' + (desktop.isEmpty() ? QString() : desktop.toLower() + u'-') + QStringLiteral("mimeapps.list");
    for (const QString &data : dataFolders(environment))
        for (const QString &desktop : desktops)
            lists << data + QStringLiteral("/applications/")
                         + (desktop.isEmpty() ? QString() : desktop.toLower() + u'-') + QStringLiteral("mimeapps.list");
    for (const QString &list : lists) {
        const QString handler = listedHandler(list);
        if (!handler.isEmpty() && !programOf(handler, environment).isEmpty())
            return handler;
    }
    // The desktop's defaults and the cache of what the installed applications can open.
    for (const QString &data : dataFolders(environment))
        for (const QString &prefix : {value(environment, "XDG_MENU_PREFIX"), QString()})
            for (const QString &name : {QStringLiteral("defaults.list"), QStringLiteral("mimeinfo.cache")}) {
                const QString file = data + QStringLiteral("/applications/") + prefix + name;
                for (const QString &section : {QStringLiteral("Default Applications"), QStringLiteral("MIME Cache")}) {
                    const QString handler = entry(file, section, MailtoType).section(u';', 0, 0).trimmed();
                    if (!handler.isEmpty())
                        return handler;
                }
            }
    return {};
}

Desktop read(const QProcessEnvironment &environment)
{
    Desktop d;
    d.kind = desktopKind(environment);
    if (d.kind == u"envvar") {
        d.program = firstWord(value(environment, "MAILER").section(u':', 0, 0));
        return d;
    }
    d.handler = mailtoHandler(environment);
    d.program = d.handler.isEmpty() ? QString() : programOf(d.handler, environment);
    const QString config = configFolders(environment).constFirst();
    if (d.kind == u"kde") {
        const QString emailDefaults = config + QStringLiteral("/emaildefaults");
        const QString profile = entry(emailDefaults, QStringLiteral("Defaults"), QStringLiteral("Profile"));
        const QString client =
            profile.isEmpty() ? QString()
                              : firstWord(entry(emailDefaults, QStringLiteral("PROFILE_") + profile,
                                                QStringLiteral("EmailClient")));
        if (isThunderbird(client)) {
            d.program = client;
            d.composeCall = true;
        }
    } else if (d.kind == u"xfce") {
        // exo-open gives the link to the preferred mail reader of XFCE's own settings.
        d.handler.clear();
        d.program = entry(config + QStringLiteral("/xfce4/helpers.rc"), QString(), QStringLiteral("MailReader"));
    } else if (d.kind != u"hook" && d.kind != u"flatpak" && d.kind != u"gnome") {
        d.composeCall = isThunderbird(d.program);
    }
    return d;
}

bool passesAttachment(const Desktop &desktop)
{
    if (desktop.composeCall)
        return true;
    if (desktop.kind == u"hook" || desktop.kind == u"flatpak" || desktop.kind == u"gnome")
        return false;
    return readsAttachItems(desktop.handler, desktop.program);
}

} // namespace MailProgram
