#include "app/progress_dialog_gui.h"

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <limits>

DialogProgress::DialogProgress(QWidget *parent)
    : m_dialog(new QProgressDialog(parent))
{
    m_dialog->setObjectName(QStringLiteral("ProgressDialog"));
    m_dialog->setWindowTitle(QStringLiteral("系统提示"));
    m_dialog->setAccessibleName(QStringLiteral("进度"));
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setMinimumDuration(500);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    auto *cancel = new QPushButton(QStringLiteral("取消"), m_dialog);
    cancel->setObjectName(QStringLiteral("BtnCancel"));
    cancel->setAccessibleName(QStringLiteral("取消"));
    m_dialog->setCancelButton(cancel);
    // Nothing shows until setValue() first sees the half second pass.
    m_dialog->setValue(0);
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

DialogProgress::~DialogProgress()
{
    QApplication::restoreOverrideCursor();
    delete m_dialog;
}

void DialogProgress::start(const QString &label, qint64 total)
{
    if (!m_dialog)
        return;
    m_label = label;
    m_total = std::max<qint64>(total, 0);
    m_scale = 1;
    while (m_total / m_scale > std::numeric_limits<int>::max())
        m_scale *= 10;
    // A range of 0..0 shows a busy bar when the total is not known.
    m_dialog->setRange(0, int(m_total / m_scale));
    showCount(0);
}

bool DialogProgress::advance(qint64 done)
{
    if (!m_dialog)
        return true;
    showCount(done);
    return !(m_cancellable && m_dialog->wasCanceled());
}

void DialogProgress::setCancellable(bool on)
{
    m_cancellable = on;
    if (m_dialog && !on)
        m_dialog->setCancelButton(nullptr);
}

void DialogProgress::showCount(qint64 done)
{
    const QString count = m_total > 0 ? QStringLiteral("（%1 / %2）").arg(done).arg(m_total)
                                      : QStringLiteral("（%1）").arg(done);
    m_dialog->setLabelText(m_label + count);
    // setValue() lets the dialog appear once the minimum duration has passed and, while it is
    // shown (it is modal), handles the events that a click on the cancel button brings.
    m_dialog->setValue(m_total > 0 ? int(std::min(done, m_total) / m_scale) : 0);
}
