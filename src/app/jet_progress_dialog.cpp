#include "app/jet_progress_dialog.h"

#include <QApplication>

JetProgressDialog::JetProgressDialog() = default;
JetProgressDialog::~JetProgressDialog() = default;

JetImport::Progress JetProgressDialog::callback()
{
    return [this](const QString &table, qint64 done, qint64 total) { report(table, done, total); };
}

void JetProgressDialog::report(const QString &table, qint64 done, qint64 total)
{
    if (!m_dialog) {
        m_dialog = std::make_unique<QProgressDialog>();
        m_dialog->setObjectName(QStringLiteral("FrmJetConversion"));
        m_dialog->setWindowTitle(QStringLiteral("转换征订目录"));
        m_dialog->setAccessibleName(QStringLiteral("转换征订目录"));
        m_dialog->setCancelButton(nullptr);   // the work lands whole or not at all; it is not cut short
        m_dialog->setMinimumDuration(0);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->show();
    }
    // Rows of a table can exceed an int: show the share in thousandths.
    m_dialog->setRange(0, 1000);
    m_dialog->setValue(total > 0 ? int(qMin<qint64>(1000, done * 1000 / total)) : 1000);
    m_dialog->setLabelText(QStringLiteral("正在转换表 %1：%2 / %3 行").arg(table).arg(done).arg(total));
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
