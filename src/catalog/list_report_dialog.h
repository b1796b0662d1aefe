#pragma once
// The print preview of a title list: Qt's preview window over the list painted with a report
// layout, maximised at 100 %, with an extra "另存为 PDF" button. The publisher browse's print
// button calls ListReportDialog::run(this, list, prompter).
#include "catalog/report_layout.h"

#include <QPrintPreviewDialog>

class DataSet;
class Prompter;
class QAction;
class QPrinter;

class ListReportDialog : public QPrintPreviewDialog {
    Q_OBJECT
public:
    // prompter asks for the PDF file name; without one the PDF button is not offered.
    ListReportDialog(const DataSet &list, const ReportLayout &layout, Prompter *prompter,
                     QWidget *parent = nullptr);

    QAction *pdfAction() const { return m_pdfAction; }

    // The print button: "没有可以打印的数据" (plain box) for a closed or empty list; otherwise
    // reads <program folder>/Book.layout and shows the preview modally. A layout that cannot
    // be read throws AppError (file, line and fault), and nothing is shown.
    static void run(QWidget *parent, const DataSet &list, Prompter &prompter);

    // Writes the list as a PDF file, completely or not at all; returns the number of pages.
    // Throws AppError when the file cannot be written.
    static int savePdf(const QString &path, const DataSet &list, const ReportLayout &layout);

private:
    void paintRequested(QPrinter *printer);
    void saveAsPdf();

    const DataSet &m_list;
    ReportLayout m_layout;
    Prompter *m_prompter = nullptr;
    QAction *m_pdfAction = nullptr;
};
