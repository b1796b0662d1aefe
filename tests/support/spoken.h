#pragma once
// What a screen reader reads for a widget through Qt's accessibility interface.
#include <QAccessible>
#include <QWidget>

inline QString spokenText(QWidget *w, QAccessible::Text which = QAccessible::Name)
{
    QAccessibleInterface *iface = w ? QAccessible::queryAccessibleInterface(w) : nullptr;
    return iface ? iface->text(which) : QString();
}
