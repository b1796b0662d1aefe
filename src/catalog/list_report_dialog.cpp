#include "catalog/list_report_dialog.h"

#include "catalog/list_report_painter.h"
#include "common/app_error.h"
#include "common/guarded.h"
#include "common/whole_file.h"
#include "data/dataset.h"

#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
#include <QToolBar>

ListReportDialog::ListReportDialog(const DataSet &list, const ReportLayout &layout,
                                   Prompter *prompter, QWidget *parent)
    : QPrintPreviewDialog(parent), m_ownRows(std::make_unique<DataSetRows>(list)),
      m_list(*m_ownRows), m_layout(layout),
      m_pdfName(layout.title.isEmpty() ? QStringLiteral("书目.pdf") : layout.title + QStringLiteral(".pdf")),
      m_prompter(prompter)
{
    setUp();
}

ListReportDialog::ListReportDialog(const ReportRows &rows, const ReportLayout &layout,
                                   Prompter *prompter, const QString &pdfName, QWidget *parent)
    : QPrintPreviewDialog(parent), m_list(rows), m_layout(layout), m_pdfName(pdfName),
      m_prompter(prompter)
{
    setUp();
}

void ListReportDialog::setUp()
{
    const ReportLayout &layout = m_layout;
    setObjectName(QStringLiteral("ListReportDialog"));
    setWindowTitle(layout.title.isEmpty() ? QStringLiteral("打印预览")
                                          : QStringLiteral("打印预览 - ") + layout.title);
    printer()->setPageLayout(ListReportPainter(m_list, layout).pageLayout());
    printer()->setDocName(QString(m_pdfName).remove(QRegularExpression(QStringLiteral("\\.pdf$"))));
    connect(this, &QPrintPreviewDialog::paintRequested, this, &ListReportDialog::paintRequested);

    if (auto *preview = findChild<QPrintPreviewWidget *>()) {
        preview->setZoomMode(QPrintPreviewWidget::CustomZoom);
        preview->setZoomFactor(1.0);
    }
    if (m_prompter) {
        if (auto *toolBar = findChild<QToolBar *>()) {
            toolBar->addSeparator();
            m_pdfAction = toolBar->addAction(QStringLiteral("另存为PDF"));
            m_pdfAction->setObjectName(QStringLiteral("ActSavePdf"));
            m_pdfAction->setToolTip(QStringLiteral("把报表保存为 PDF 文件"));
            connect(m_pdfAction, &QAction::triggered, this, &ListReportDialog::saveAsPdf);
        }
    }
    // Without a window manager "maximised" means nothing: take the screen's area too.
    if (QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
}

void ListReportDialog::paintRequested(QPrinter *printer)
{
    ListReportPainter(m_list, m_layout).paint(printer);
}

void ListReportDialog::saveAsPdf()
{
    SaveRequest request;
    request.caption = QStringLiteral("另存为PDF");
    request.filters = QStringLiteral("PDF文件(*.pdf)|*.pdf");
    request.defaultSuffix = QStringLiteral("pdf");
    request.suggestedName = m_pdfName;
    const QString path = m_prompter->saveFileName(request);
    if (path.isEmpty())
        return;
    guarded(*m_prompter, [&] { savePdf(path, m_list, m_layout); });
}

void ListReportDialog::run(QWidget *parent, const DataSet &list, Prompter &prompter)
{
    if (!list.isOpen() || list.recordCount() == 0) {
        prompter.message(QStringLiteral("没有可以打印的数据"), QStringLiteral("系统提示"),
                         MsgFlags::Plain);
        return;
    }
    const ReportLayout layout = ReportLayout::load(ReportLayout::defaultPath());
    ListReportDialog dialog(list, layout, &prompter, parent);
    dialog.exec();
}

void ListReportDialog::preview(QWidget *parent, const ReportRows &rows, const ReportLayout &layout,
                               Prompter &prompter, const QString &pdfName)
{
    ListReportDialog dialog(rows, layout, &prompter, pdfName, parent);
    dialog.exec();
}

int ListReportDialog::savePdf(const QString &path, const DataSet &list, const ReportLayout &layout)
{
    return savePdf(path, DataSetRows(list), layout);
}

int ListReportDialog::savePdf(const QString &path, const ReportRows &list, const ReportLayout &layout)
{
    int pages = 0;
    WholeFile::writeOrThrow(path, [&](QIODevice &device, QString *error) {
        QPdfWriter writer(&device);
        writer.setResolution(300);
        writer.setTitle(layout.title);
        writer.setCreator(QStringLiteral("征订"));
        ListReportPainter painter(list, layout);
        writer.setPageLayout(painter.pageLayout());
        pages = painter.paint(&writer);
        if (pages == 0)
            *error = QStringLiteral("无法生成报表");
        return pages > 0;
    });   // the writer finishes the document when it goes, before the file is committed
    return pages;
}
