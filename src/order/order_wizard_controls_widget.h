#pragma once
// What the pages of the order wizard share: their grids, and the "明细汇总" box of totals.
#include <QString>
#include <QVariant>

class DbGrid;
class PpMenu;
class QGroupBox;
class QWidget;
class ValueLabel;

namespace OrderWizardControls {

// The purple note of the steps at the left of the bottom bar (MmStep, "订购步骤").
QWidget *stepNote(QWidget *parent);

// A grid of the wizard, in its lists' fonts, with the shared pop-up (none: no menu).
DbGrid *grid(QWidget *parent, const char *name, const QString &accessible, PpMenu *popupMenu);

// "明细汇总": 品种, 数量, 码洋, the labels named prefix + Count, Sl, My.
struct Totals {
    ValueLabel *count = nullptr, *sl = nullptr, *my = nullptr;

    QGroupBox *build(QWidget *parent, const char *prefix);
    // Shows the count as given, quantity and amount in the totals' formats (null: empty).
    void show(const QString &titles, const QVariant &quantity, const QVariant &amount);
};

} // namespace OrderWizardControls
