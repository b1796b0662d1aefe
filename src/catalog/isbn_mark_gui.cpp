#include "catalog/isbn_mark_gui.h"

#include "common/isbn.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>

namespace IsbnMark {
namespace {

constexpr int Gap = 4;

// Keeps the label at the edit's right end and the edit's text clear of it.
class Placer : public QObject {
public:
    Placer(QLineEdit *edit, QLabel *label) : QObject(label), m_edit(edit), m_label(label)
    {
        edit->installEventFilter(this);
    }

    void update()
    {
        const Isbn isbn = Isbn::read(m_edit->text());
        const bool marked = isbn.hasWrongCheckDigit();
        m_label->setVisible(marked);
        m_edit->setAccessibleDescription(marked ? text() : QString());
        m_edit->setToolTip(marked ? QStringLiteral("%1：按其余各位应为 %2").arg(text(), QString(isbn.expectedCheckDigit()))
                                  : QString());
        m_edit->setTextMargins(0, 0, marked ? m_label->sizeHint().width() + Gap : 0, 0);
        place();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_edit && event->type() == QEvent::Resize)
            place();
        return false;
    }

private:
    void place()
    {
        const QSize size = m_label->sizeHint();
        m_label->setGeometry(m_edit->width() - size.width() - Gap, (m_edit->height() - size.height()) / 2,
                             size.width(), size.height());
    }

    QLineEdit *m_edit;
    QLabel *m_label;
};

} // namespace

QString text()
{
    return QStringLiteral("校验位错误");
}

QLabel *attach(QLineEdit *edit)
{
    auto *label = new QLabel(text(), edit);
    label->setObjectName(edit->objectName() + QStringLiteral("Mark"));
    label->setAccessibleName(text());
    label->setStyleSheet(QStringLiteral("color: #c00000;"));
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto *placer = new Placer(edit, label);
    QObject::connect(edit, &QLineEdit::textChanged, placer, [placer] { placer->update(); });
    placer->update();
    return label;
}

} // namespace IsbnMark
