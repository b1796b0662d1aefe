#pragma once
// A narrow strip with two stacked pictures of which only the upper one shows: clicking it
// flips the visibility of the target panel and brings the other picture to the top. Given a
// focus policy, it also answers Space and Enter and shows a focus frame while it has the focus,
// so the panel can be shown without a mouse.
#include <QWidget>

class QLabel;

class TToggleStrip : public QWidget {
    Q_OBJECT
public:
    // Horizontal: 12 pixels high, arrows up/down; vertical: 12 pixels wide, arrows left/right.
    TToggleStrip(Qt::Orientation orientation, QWidget *target, QWidget *parent = nullptr);

    // Names and hints of the two pictures: first shows while the target is hidden.
    void setPictureNames(const QString &showName, const QString &hideName);
    void setHints(const QString &showHint, const QString &hideHint);

    // Shows or hides the target and puts the matching picture on top.
    void setTargetVisible(bool visible);
    bool targetVisible() const;
    // The picture on top (the one a click hits).
    QLabel *topPicture() const;
    void toggle();

signals:
    void toggled(bool targetVisible);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void centrePictures();

    QWidget *m_target;
    QLabel *m_show;   // on top while the target is hidden
    QLabel *m_hide;   // on top while the target is shown
};
