#include "widgets/captioned_controls_gui.h"

#include "widgets/plain_caption.h"

#include <QLabel>
#include <QPushButton>

QPushButton *captionedButton(QWidget *parent, const QString &objectName, const QString &caption,
                             int minimumWidth)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(objectName);
    b->setAccessibleName(plainCaption(caption));
    b->setAutoDefault(false);
    b->setMinimumWidth(minimumWidth);
    return b;
}

QLabel *captionFor(QWidget *control, const QString &caption)
{
    auto *label = new QLabel(caption + QStringLiteral("："));
    label->setBuddy(control);
    control->setAccessibleName(caption);
    return label;
}
