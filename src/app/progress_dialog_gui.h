#pragma once
// The product's Progress: a QProgressDialog that appears once the work has lasted half a
// second, shows "label（done / total）" and a cancel button, and a wait cursor for as long
// as the object lives.
#include "common/progress.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>

class QWidget;

class DialogProgress : public Progress {
public:
    explicit DialogProgress(QWidget *parent);
    ~DialogProgress() override;
    DialogProgress(const DialogProgress &) = delete;
    DialogProgress &operator=(const DialogProgress &) = delete;

    void start(const QString &label, qint64 total) override;
    bool advance(qint64 done) override;
    void setCancellable(bool on) override;

    QProgressDialog *dialog() const { return m_dialog; }

private:
    void showCount(qint64 done);

    QPointer<QProgressDialog> m_dialog;
    QString m_label;
    qint64 m_total = 0;
    int m_scale = 1;   // QProgressDialog counts in int: totals beyond it are divided down
    bool m_cancellable = true;
};
