#include "grid/empty_field_painter.h"

#include <QLineEdit>

namespace EmptyFieldPainter {

void colour(QLineEdit *edit)
{
    QPalette p = edit->palette();
    if (!edit->text().isEmpty()) {
        p.setColor(QPalette::Base, Qt::white);
    } else {
        // The right end of an active title bar's gradient: the highlight colour, much lighter.
        const QColor h = p.color(QPalette::Active, QPalette::Highlight);
        p.setColor(QPalette::Base, QColor((h.red() + 3 * 255) / 4, (h.green() + 3 * 255) / 4,
                                          (h.blue() + 3 * 255) / 4));
    }
    edit->setPalette(p);
}

} // namespace EmptyFieldPainter
