#pragma once
// The print preview of a list: Qt's preview window over the list painted with a report
// layout, maximised at 100 %, with an extra "另存为 PDF" button. The publisher browse's print
// button calls ListReportDialog::run(this, list, prompter); other reports (an order) call
// ListReportDialog::preview with their rows and layout.
#include "catalog/report_layout.h"

#include <QPrintPreviewDialog>
#include <memory>

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
    // rows must outlive the dialog; pdfName is the file name the PDF button suggests.
    ListReportDialog(const ReportRows &rows, const ReportLayout &layout, Prompter *prompter,
                     const QString &pdfName, QWidget *parent = nullptr);

    QAction *pdfAction() const { return m_pdfAction; }

    // The print button: "没有可以打印的数据" (plain box) for a closed or empty list; otherwise
    // reads <program folder>/Book.layout and shows the preview modally. A layout that cannot
    // be read throws AppError (file, line and fault), and nothing is shown.
    static void run(QWidget *parent, const DataSet &list, Prompter &prompter);
    // Shows the preview of rows with the layout modally.
    static void preview(QWidget *parent, const ReportRows &rows, const ReportLayout &layout,
                     Prompter &prompter, const QString &pdfName);

    // Writes the list as a PDF file, completely or not at all; returns the number of pages.
    // Throws AppError when the file cannot be written.
    static int savePdf(const QString &path, const DataSet &list, const ReportLayout &layout);
    static int savePdf(const QString &path, const ReportRows &rows, const ReportLayout &layout);

private:
    void setUp();
    void paintRequested(QPrinter *printer);
    void saveAsPdf();

    std::unique_ptr<DataSetRows> m_ownRows;
    const ReportRows &m_list;
    ReportLayout m_layout;
    QString m_pdfName;
    Prompter *m_prompter = nullptr;
    QAction *m_pdfAction = nullptr;
};
