#include "app/start_window.h"

#include "app/picture_loader_gui.h"

#include <QGuiApplication>
#include <QScreen>

TFrmStart::TFrmStart(Prompter &prompter, QWidget *parent)
    : QLabel(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("FrmStart"));
    setFixedSize(449, 519);
    setAlignment(Qt::AlignCenter);
    QPixmap picture;
    if (PictureLoader::loadOrReport(QStringLiteral("jpg/appStart.jpg"), &picture, prompter))
        setPixmap(picture);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}
