#include "widgets/read_only_table_gui.h"

#include "widgets/captioned_controls_gui.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

QTableWidget *readOnlyTable(QWidget *parent, const QString &objectName, const QString &accessibleName,
                            const QStringList &heads, const QList<QStringList> &rows)
{
    auto *table = new QTableWidget(int(rows.size()), int(heads.size()), parent);
    table->setObjectName(objectName);
    table->setAccessibleName(accessibleName);
    table->setHorizontalHeaderLabels(heads);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->setVisible(false);
    for (int row = 0; row < rows.size(); ++row) {
        const QStringList &cells = rows.at(row);
        for (int column = 0; column < cells.size() && column < heads.size(); ++column) {
            auto *item = new QTableWidgetItem(cells.at(column));
            item->setToolTip(cells.at(column));
            table->setItem(row, column, item);
        }
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

QPushButton *layOutReport(QDialog *dialog, QWidget *caption, QTableWidget *table)
{
    QPushButton *close = captionedButton(dialog, QStringLiteral("BtnClose"), QStringLiteral("关闭(&C)"), 72);
    QObject::connect(close, &QPushButton::clicked, dialog, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(dialog);
    layout->addWidget(caption);
    layout->addWidget(table, 1);
    layout->addLayout(buttons);
    return close;
}
