#include "app/start_window.h"

#include "app/picture_loader_gui.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QWindow>

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

void TFrmStart::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    m_painted = true;
}

bool TFrmStart::showAndPaint(int maxWaitMs)
{
    show();
    raise();
    const QDeadlineTimer deadline(maxWaitMs);
    while (!m_painted && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        const QWindow *window = windowHandle();
        if (window && window->isExposed() && !m_painted)
            repaint();   // paints now and hands the picture to the window system
        else if (!m_painted)
            QThread::msleep(5);
    }
    // What was painted reaches the screen with the next round of events.
    QCoreApplication::processEvents();
    return m_painted;
}
