#pragma once
// The application object. Every slot and command catches its own errors; notify() is only the
// last net: an error that still arrives there is shown in the standard error box through the
// data module's Prompter and the program goes on.
#include <QApplication>
#include <QIcon>

class ZdApplication : public QApplication {
public:
    ZdApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // Name, desktop entry and window icon of the application object (the constructor's work).
    static void installIdentity();
    // The program's own icon (16 to 256 pixels, from the resources), the icon of every window.
    static QIcon programIcon();
};
