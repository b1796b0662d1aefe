#pragma once
// A label that shows a value beside its caption and is read out by screen readers as
// "caption：value", as the publisher count is ("共有图书：63"). The name follows every value
// the label is given; with no value it is the caption alone.
#include <QLabel>

class ValueLabel : public QLabel {
    Q_OBJECT
public:
    // The caption as read, with or without its closing colon ("品种" or "品种：").
    explicit ValueLabel(const QString &caption, QWidget *parent = nullptr);

    // Shows the value and names the label after caption and value.
    void setValue(const QString &value);
    // A value goes in through setValue only, so shown text and name never part.
    void setText(const QString &) = delete;

    const QString &caption() const { return m_caption; }

private:
    QString m_caption;
};
