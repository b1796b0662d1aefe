#include "app/accessible_names_gui.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace AccessibleNames {
namespace {

class NamedComboBox : public QAccessibleWidget {
public:
    explicit NamedComboBox(QComboBox *box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

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
