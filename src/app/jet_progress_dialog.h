#pragma once
// The progress window of start-up's conversion of an Access/Jet catalogue. It appears with
// the first report of progress and goes when the object does.
#include "data/jet_import.h"

#include <QProgressDialog>
#include <memory>

class JetProgressDialog {
public:
    JetProgressDialog();
    ~JetProgressDialog();
    JetProgressDialog(const JetProgressDialog &) = delete;
    JetProgressDialog &operator=(const JetProgressDialog &) = delete;

    // The callback to hand to the conversion.
    JetImport::Progress callback();
    // Shown after the first report (tests look at it).
    QProgressDialog *dialog() const { return m_dialog.get(); }

private:
    void report(const QString &table, qint64 done, qint64 total);
    std::unique_ptr<QProgressDialog> m_dialog;
};
