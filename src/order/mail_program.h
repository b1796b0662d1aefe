#pragma once
// Which mail program xdg-email hands an order mail to, and whether that program gets the
// attachment as a file. xdg-email (Debian's xdg-utils) builds one mailto: link with the
// attachment as an "attach=" item and then:
//
//   - runs Thunderbird (or Icedove) itself with "-compose …,attachment=…" when it is the
//     default mailto application (GNOME, Cinnamon, MATE, LXDE, Deepin, LXQt, Enlightenment
//     and no known desktop: x-scheme-handler/mailto as mimeapps.list names it) or KDE's
//     e-mail client (emaildefaults): the file is attached;
//   - otherwise opens the link with the desktop's opener (gio open, kde-open, exo-open,
//     xdg-open), with $MAILER, or with a hook script: then only a program that reads
//     "attach=" from a link attaches the file — Evolution and KMail do; Thunderbird given a
//     link, Geary, a web mail page and most others drop it without a word.
//
// The answer is read from the environment xdg-email runs in and the user's desktop files
// (mimeapps.list, the .desktop files, KDE's emaildefaults, XFCE's helpers.rc); nothing is run.
#include <QProcessEnvironment>
#include <QString>

namespace MailProgram {

// What xdg-email decides by.
struct Desktop {
    QString kind;        // xdg-email's name of the desktop: "gnome3", "kde", "xfce", "generic", "envvar" ($MAILER), "hook", "flatpak", …
    QString handler;     // the default x-scheme-handler/mailto application (desktop file name), or empty
    QString program;     // the program that gets the mail: handler's Exec, $MAILER's, KDE's or XFCE's mail client
    bool composeCall = false;   // xdg-email calls Thunderbird's composer itself (the file is passed)
};

// xdg-email's name of the desktop, from the environment variables it looks at.
QString desktopKind(const QProcessEnvironment &environment);
// The default mailto application as xdg-mime finds it in the mimeapps.list files (the
// desktop's own first); only one whose program is installed counts.
QString mailtoHandler(const QProcessEnvironment &environment);
// The program a desktop file starts: its Exec's first word, found on PATH, links resolved.
QString programOf(const QString &desktopFile, const QProcessEnvironment &environment);

Desktop read(const QProcessEnvironment &environment);

// Whether the mail program gets the attachment as a file (see above).
bool passesAttachment(const Desktop &desktop);
inline bool passesAttachment(const QProcessEnvironment &environment)
{
    return passesAttachment(read(environment));
}

} // namespace MailProgram
