#include "app/accessible_names_gui.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace AccessibleNames {
namespace {

// The Text interface carries the current entry over the Linux accessibility bus, which has no
// place for a widget's QAccessible::Value text: screen readers read a closed list's entry from
// it. It is read-only; an editable box's own line edit stays its editable child.
class NamedComboBox : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit NamedComboBox(QComboBox *box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name: {
            const QString name = widget()->accessibleName();
            return name.isEmpty() ? value() : name;
        }
        case QAccessible::Value:
            return value();
        default:
            return QAccessibleWidget::text(t);
        }
    }

    int childCount() const override { return box()->isEditable() && box()->lineEdit() ? 2 : 1; }
    QAccessibleInterface *child(int index) const override
    {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(box()->view());
        if (index == 1 && box()->isEditable())
            return QAccessible::queryAccessibleInterface(box()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child)
            return -1;
        if (child->object() == box()->view())
            return 0;
        if (box()->isEditable() && child->object() == box()->lineEdit())
            return 1;
        return -1;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        const bool open = box()->view() && box()->view()->isVisible();
        s.expandable = true;
        s.expanded = open;
        s.collapsed = !open;
        s.editable = box()->isEditable();
        return s;
    }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override
    {
        if (action == showMenuAction() || action == pressAction()) {
            if (box()->view()->isVisible())
                box()->hidePopup();
            else
                box()->showPopup();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

    // QAccessibleTextInterface over the current entry.
    QString text(int startOffset, int endOffset) const override
    {
        const QString entry = value();
        if (endOffset < 0 || endOffset > entry.size())
            endOffset = int(entry.size());
        startOffset = qBound(0, startOffset, endOffset);
        return entry.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(value().size()); }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    int selectionCount() const override { return 0; }
    void selection(int, int *startOffset, int *endOffset) const override { *startOffset = *endOffset = 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = qMax(offset, characterCount());
        return {};
    }

private:
    QComboBox *box() const { return static_cast<QComboBox *>(widget()); }
    QString value() const
    {
        return box()->isEditable() && box()->lineEdit() ? box()->lineEdit()->text() : box()->currentText();
    }
};

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    // Asked with the names of the object's classes from the most derived one up, so combo
    // boxes of the program's own classes come here under "QComboBox".
    if (className == QLatin1String("QComboBox") && object && object->isWidgetType())
        if (auto *box = qobject_cast<QComboBox *>(object))
            return new NamedComboBox(box);
    return nullptr;
}

} // namespace

void install()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    // Factories installed later are asked first: this one comes before Qt's own.
    QAccessible::installFactory(factory);
}

} // namespace AccessibleNames
