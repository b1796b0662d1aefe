#include "order/unsent_sending_gui.h"

#include "common/prompter.h"
#include "order/dispatch_summary_dialog.h"

#include <QWidget>

UnsentSending::UnsentSending(Prompter &prompter, const QSqlDatabase &db, OrderSource source,
                             DispatchRun::Scope scope, QWidget *window)
    : QObject(window), m_prompter(prompter), m_db(db), m_source(source), m_scope(scope), m_window(window)
{
}

bool UnsentSending::start(const QStringList &listed, const OrderDispatch::Options &options)
{
    if (running())
        return false;
    const QStringList unsent = DispatchRun::unsentOf(m_db, listed);
    if (unsent.isEmpty()) {
        m_prompter.info(DispatchRun::noneUnsentText(m_scope));
        return false;
    }
    if (!m_prompter.askYesNo(DispatchRun::question(m_scope, unsent)))
        return false;
    // A run of its own each time: the options (recipients, channel) are read as they are now.
    delete m_run;
    m_run = new DispatchRun(m_db, options, m_source, this);
    connect(m_run, &DispatchRun::finished, this, &UnsentSending::runFinished);
    return m_run->start(unsent, m_prompter.progress());
}

DispatchSummaryDialog *UnsentSending::summary() const
{
    return m_summary;
}

void UnsentSending::runFinished()
{
    if (m_summary)
        m_summary->close();
    m_summary = new DispatchSummaryDialog(m_run->items(), m_run->countsText(), m_window);
    m_summary->setAttribute(Qt::WA_DeleteOnClose);
    m_summary->open();
    emit finished();
}
