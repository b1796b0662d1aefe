#pragma once
// The splash: a borderless 449 × 519 window, centred, showing jpg/appStart.jpg.
#include <QLabel>

class Prompter;

class TFrmStart : public QLabel {
    Q_OBJECT
public:
    explicit TFrmStart(Prompter &prompter, QWidget *parent = nullptr);

    // Shows the splash and handles events until the window system has exposed it and it has
    // painted itself, or until maxWaitMs passed; a single round of events is not enough where
    // the window system maps the window later. Returns whether it was painted.
    bool showAndPaint(int maxWaitMs = 1000);
    bool painted() const { return m_painted; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_painted = false;
};
