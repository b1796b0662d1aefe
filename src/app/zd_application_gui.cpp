#include "app/zd_application_gui.h"

#include "app/qt_prompter_gui.h"
#include "common/app_error.h"

#include <QFontDatabase>

ZdApplication::ZdApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("zhengding"));
    setApplicationDisplayName(QString());
}

bool ZdApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const AppError &e) {
        showError(e.text());
    } catch (const std::exception &e) {
        showError(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

namespace {
Prompter *&errorPrompter()
{
    static Prompter *prompter = nullptr;
    return prompter;
}
} // namespace

void ZdApplication::setErrorPrompter(Prompter *prompter)
{
    errorPrompter() = prompter;
}

void ZdApplication::showError(const QString &text)
{
    QString caption = qApp ? qApp->property("appTitle").toString() : QString();
    if (caption.isEmpty())
        caption = QStringLiteral("征订");
    if (Prompter *p = errorPrompter()) {
        p->message(text, caption, MsgFlags::Error);
        return;
    }
    QtPrompter().message(text, caption, MsgFlags::Error);
}

void ZdApplication::applyChineseFont()
{
    const QStringList families = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    static const QStringList preferred = {
        QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Serif CJK SC"),
        QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
        QStringLiteral("WenQuanYi Zen Hei")};
    for (const QString &name : preferred) {
        if (families.contains(name)) {
            QFont font(name);
            font.setPointSize(10);
            QApplication::setFont(font);
            return;
        }
    }
    for (const QString &name : families) {
        if (!QFontDatabase::isPrivateFamily(name)) {
            QFont font(name);
            font.setPointSize(10);
            QApplication::setFont(font);
            return;
        }
    }
}
