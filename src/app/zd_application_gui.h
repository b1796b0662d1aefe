#pragma once
// The application object: an error that no routine handles is shown in the standard error
// box and the program goes on.
#include <QApplication>

class Prompter;

class ZdApplication : public QApplication {
public:
    ZdApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // The standard error box (error icon, the application title as caption). It goes
    // through the error prompter when one is set (tests script it), else a Qt box.
    static void showError(const QString &text);
    static void setErrorPrompter(Prompter *prompter);
    // Picks a Simplified Chinese font so Chinese text gets its own glyph shapes.
    static void applyChineseFont();
};
