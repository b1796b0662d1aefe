#include "order/dispatch_summary_dialog.h"

#include "widgets/read_only_table_gui.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>

DispatchSummaryDialog::DispatchSummaryDialog(const QList<DispatchRun::Item> &items, const QString &counts,
                                             QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("DispatchSummaryDialog"));
    setWindowTitle(QStringLiteral("发送全部未发送订单"));

    m_counts = new QLabel(counts, this);
    m_counts->setObjectName(QStringLiteral("LbCounts"));
    m_counts->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    QList<QStringList> rows;
    for (const DispatchRun::Item &item : items)
        rows.append({item.order, item.supplier, item.text});
    m_table = readOnlyTable(this, QStringLiteral("TbResults"), QStringLiteral("发送结果"),
                            {QStringLiteral("订单号"), QStringLiteral("供货商"), QStringLiteral("结果")}, rows);
    // The result takes the width left and wraps: a failure's reason is read whole.
    m_table->horizontalHeader()->setStretchLastSection(false);
    m_table->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    m_table->setWordWrap(true);
    connect(m_table->horizontalHeader(), &QHeaderView::sectionResized, m_table,
            &QTableWidget::resizeRowsToContents, Qt::QueuedConnection);
    // Read out when the table takes the focus: how it went as a whole.
    m_table->setAccessibleDescription(counts);
    m_counts->setBuddy(m_table);
    if (!items.isEmpty())
        m_table->setCurrentCell(0, 0);
    layOutReport(this, m_counts, m_table);
    m_table->setFocus();
    resize(760, 360);
}
