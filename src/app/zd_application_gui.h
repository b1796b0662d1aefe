#pragma once
// The application object. Every slot and command catches its own errors; notify() is only the
// last net: an error that still arrives there is shown in the standard error box through the
// data module's Prompter and the program goes on.
#include <QApplication>

class ZdApplication : public QApplication {
public:
    ZdApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
