#pragma once
// Controls a screen reader names by their caption: a push button read out by its plain
// caption ("导出(&E)" -> "导出"), and a caption label in front of a control that names it.
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

// A push button with its object name (by which tests and tools find it), at least minimumWidth
// wide, that Enter presses only while it has the focus.
QPushButton *captionedButton(QWidget *parent, const QString &objectName, const QString &caption,
                             int minimumWidth);

// The label "caption：" in front of control, as its buddy; the control takes caption as its
// accessible name.
QLabel *captionFor(QWidget *control, const QString &caption);
