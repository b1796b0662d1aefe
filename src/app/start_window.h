#pragma once
// The splash: a borderless 449 × 519 window, centred, showing jpg/appStart.jpg.
#include <QLabel>

class TFrmStart : public QLabel {
    Q_OBJECT
public:
    explicit TFrmStart(QWidget *parent = nullptr);
};
