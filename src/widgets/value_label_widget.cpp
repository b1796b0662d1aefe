#include "widgets/value_label_widget.h"

ValueLabel::ValueLabel(const QString &caption, QWidget *parent) : QLabel(parent), m_caption(caption.trimmed())
{
    if (m_caption.endsWith(u'：') || m_caption.endsWith(u':'))
        m_caption.chop(1);
    setValue(QString());
}

void ValueLabel::setValue(const QString &value)
{
    QLabel::setText(value);
    setAccessibleName(value.isEmpty() ? m_caption : m_caption + u'：' + value);
}
