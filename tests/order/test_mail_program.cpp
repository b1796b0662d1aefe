// Which mail program xdg-email would hand the order mail to, and whether it gets the order file:
// desktops and default mail programs as stand-ins (environment variables, mimeapps.list, desktop
// files, KDE's and XFCE's settings, programs) in a folder of the test.
#include "mail_desktop.h"

#include "order/mail_program.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

namespace {

const QString Thunderbird = QStringLiteral("[Desktop Entry]\nExec=thunderbird %u\n");
const QString Evolution = QStringLiteral("[Desktop Entry]\nExec=evolution %U\n");
const QString Geary = QStringLiteral("[Desktop Entry]\nExec=geary %U\n");

QString mailtoList(const char *desktopFile)
{
    return QStringLiteral("[Added Associations]\nx-scheme-handler/mailto=geary.desktop;\n"
                          "[Default Applications]\nx-scheme-handler/mailto=%1;\n")
        .arg(QString::fromUtf8(desktopFile));
}

struct Case {
    const char *what;
    std::map<QString, QString> environment;   // added to the stand-in's
    std::map<QString, QString> files;         // relative path -> text
    QStringList programs;                     // under bin/
    const char *kind;
    bool passes;
};

TEST(MailProgram, TheOrderFileIsAttachedOnlyWhereXdgEmailCanPassIt)
{
    const QString apps = QStringLiteral("usr/share/applications/");
    const QString userList = QStringLiteral("home/.config/mimeapps.list");
    const Case cases[] = {
        {"GNOME, Thunderbird the default: xdg-email calls its composer with the file",
         {{"XDG_CURRENT_DESKTOP", "GNOME"}},
         {{userList, mailtoList("thunderbird.desktop")}, {apps + "thunderbird.desktop", Thunderbird}},
         {"thunderbird"}, "gnome3", true},
        {"Evolution reads attach= from the link",
         {{"XDG_CURRENT_DESKTOP", "GNOME"}},
         {{userList, mailtoList("org.gnome.Evolution.desktop")}, {apps + "org.gnome.Evolution.desktop", Evolution}},
         {"evolution"}, "gnome3", true},
        {"Geary gets the link and drops the file",
         {{"XDG_CURRENT_DESKTOP", "GNOME"}},
         {{userList, mailtoList("org.gnome.Geary.desktop")}, {apps + "org.gnome.Geary.desktop", Geary}},
         {"geary"}, "gnome3", false},
        {"Thunderbird through Flatpak is not recognised by its program and gets only the link",
         {{"XDG_CURRENT_DESKTOP", "X-Cinnamon"}},
         {{userList, mailtoList("org.mozilla.Thunderbird.desktop")},
          {apps + "org.mozilla.Thunderbird.desktop", "[Desktop Entry]\nExec=flatpak run org.mozilla.Thunderbird %u\n"}},
         {"flatpak"}, "cinnamon", false},
        {"a default whose program is not installed is passed over for the system's",
         {{"XDG_CURRENT_DESKTOP", "MATE"}},
         {{userList, mailtoList("thunderbird.desktop")}, {apps + "thunderbird.desktop", Thunderbird},
          {apps + "mimeapps.list", mailtoList("org.gnome.Evolution.desktop")},
          {apps + "org.gnome.Evolution.desktop", Evolution}},
         {"evolution"}, "mate", true},
        {"the desktop's own list comes first; an unknown desktop name is the generic one",
         {{"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}},
         {{userList, mailtoList("org.gnome.Geary.desktop")}, {apps + "org.gnome.Geary.desktop", Geary},
          {"home/.config/gnome-mimeapps.list", mailtoList("thunderbird.desktop")},
          {apps + "thunderbird.desktop", Thunderbird}},
         {"geary", "thunderbird"}, "generic", true},
        {"only the cache of installed applications names one",
         {},
         {{apps + "mimeinfo.cache", "[MIME Cache]\nx-scheme-handler/mailto=org.gnome.Evolution.desktop;\n"},
          {apps + "org.gnome.Evolution.desktop", Evolution}},
         {"evolution"}, "generic", true},
        {"no mail program set up", {}, {}, {}, "generic", false},
        {"KDE with Thunderbird as its e-mail client",
         {{"XDG_CURRENT_DESKTOP", "KDE"}},
         {{"home/.config/emaildefaults",
           "[Defaults]\nProfile=Default\n[PROFILE_Default]\nEmailClient=/usr/bin/thunderbird %u\n"}},
         {}, "kde", true},
        {"KDE opening the link with KMail",
         {{"KDE_FULL_SESSION", "true"}},
         {{userList, mailtoList("org.kde.kmail2.desktop")},
          {apps + "org.kde.kmail2.desktop", "[Desktop Entry]\nExec=kmail -caption %c %u\n"}},
         {"kmail"}, "kde", true},
        {"KDE giving the link to Thunderbird",
         {{"XDG_CURRENT_DESKTOP", "KDE"}},
         {{userList, mailtoList("thunderbird.desktop")}, {apps + "thunderbird.desktop", Thunderbird}},
         {"thunderbird"}, "kde", false},
        {"XFCE's mail reader Thunderbird gets the link",
         {{"DESKTOP_SESSION", "xfce"}},
         {{"home/.config/xfce4/helpers.rc", "WebBrowser=firefox\nMailReader=thunderbird\n"},
          {userList, mailtoList("thunderbird.desktop")}, {apps + "thunderbird.desktop", Thunderbird}},
         {"thunderbird"}, "xfce", false},
        {"XFCE's mail reader Evolution",
         {{"XDG_CURRENT_DESKTOP", "XFCE"}},
         {{"home/.config/xfce4/helpers.rc", "MailReader=evolution\n"}},
         {}, "xfce", true},
        {"$MAILER Thunderbird gets the link",
         {{"MAILER", "thunderbird:mutt"}, {"XDG_CURRENT_DESKTOP", "GNOME"}},
         {{userList, mailtoList("thunderbird.desktop")}, {apps + "thunderbird.desktop", Thunderbird}},
         {"thunderbird"}, "envvar", false},
        {"$MAILER Evolution", {{"MAILER", "evolution"}}, {}, {}, "envvar", true},
        {"a hook script takes every mail",
         {{"XDG_CURRENT_DESKTOP", "GNOME"}},
         {{userList, mailtoList("thunderbird.desktop")}, {apps + "thunderbird.desktop", Thunderbird}},
         {"thunderbird", "xdg-email-hook.sh"}, "hook", false},
        {"inside Flatpak the portal opens the link",
         {{"XDG_CURRENT_DESKTOP", "GNOME"}},
         {{"run/flatpak-info", "[Application]\n"}, {userList, mailtoList("thunderbird.desktop")},
          {apps + "thunderbird.desktop", Thunderbird}},
         {"thunderbird"}, "flatpak", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const StandInDesktop desktop(dir.path());
        QProcessEnvironment env = desktop.environment();
        for (const auto &[name, value] : c.environment)
            env.insert(name, value);
        for (const auto &[path, text] : c.files)
            desktop.write(path, text);
        for (const QString &program : c.programs)
            desktop.program(program);
        const MailProgram::Desktop seen = MailProgram::read(env);
        EXPECT_EQ(seen.kind, QString::fromUtf8(c.kind));
        EXPECT_EQ(MailProgram::passesAttachment(env), c.passes)
            << "handler " << seen.handler.toStdString() << ", program " << seen.program.toStdString();
    }
}

} // namespace
