#pragma once
// The welcome (see welcome.h): its text, and buttons to the ordering guide, to "设置" and to
// close. It does not block the main window; Enter and Esc close it.
#include <QDialog>

class TFrmWelcome : public QDialog {
    Q_OBJECT
public:
    TFrmWelcome(const QString &text, const QString &guideCaption, QWidget *parent = nullptr);

signals:
    void guideRequested();
    void settingsRequested();
};
