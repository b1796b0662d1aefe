#pragma once
// A Progress for tests: writes what the work reported into a log and asks the work to stop
// once it has done log.stopAt steps (never when stopAt is negative).
#include "common/progress.h"

#include <QList>
#include <QStringList>

struct ProgressLog {
    qint64 stopAt = -1;
    QStringList labels;
    QList<qint64> totals;
    QList<qint64> steps;
    bool cancellable = false;
    bool stopped = false;   // the work was asked to stop
};

class RecordingProgress : public Progress {
public:
    explicit RecordingProgress(ProgressLog &log) : m_log(log) {}

    void start(const QString &label, qint64 total) override
    {
        m_log.labels << label;
        m_log.totals << total;
    }
    bool advance(qint64 done) override
    {
        m_log.steps << done;
        if (m_log.stopAt >= 0 && done >= m_log.stopAt)
            m_log.stopped = true;
        return !m_log.stopped;
    }
    void setCancellable(bool on) override { m_log.cancellable = on; }

private:
    ProgressLog &m_log;
};
