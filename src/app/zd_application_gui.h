#pragma once
// The application object: an error that no routine handles is shown in the standard error
// box and the program goes on.
#include <QApplication>

class ZdApplication : public QApplication {
public:
    ZdApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // The standard error box (error icon, the application title as caption).
    static void showError(const QString &text);
    // Picks a Simplified Chinese font so Chinese text gets its own glyph shapes.
    static void applyChineseFont();
};
