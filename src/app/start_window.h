#pragma once
// The splash: a borderless 449 × 519 window, centred, showing jpg/appStart.jpg.
#include <QLabel>

class Prompter;

class TFrmStart : public QLabel {
    Q_OBJECT
public:
    explicit TFrmStart(Prompter &prompter, QWidget *parent = nullptr);
};
