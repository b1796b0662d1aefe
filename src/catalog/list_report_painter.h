#pragma once
// Paints a list (a title list, an order's rows) with a report layout onto paged output (a
// printer, the print preview, a PDF writer): the title and the [line] lines on the first page
// (placeholders filled from the rows' values, e.g. an order's head); on every page the header band, the column titles
// and the footer band (page "第 N 页 / 共 M 页", date); rows on as many pages as they need,
// striped when the layout says so; the totals line after the last row.
#include "catalog/report_layout.h"

#include <QDateTime>
#include <QList>
#include <memory>

class DataSet;
class QPagedPaintDevice;
class QPainter;
class QPageLayout;

class ListReportPainter {
public:
    ListReportPainter(const DataSet &list, const ReportLayout &layout);
    // rows must outlive the painter.
    ListReportPainter(const ReportRows &rows, const ReportLayout &layout);

    // Paper size, orientation and margins of the layout.
    QPageLayout pageLayout() const;
    // Paints every page onto device, with the page layout the device has now (the preview lets
    // the user turn the paper). Returns the number of pages; 0 when the painter cannot start.
    int paint(QPagedPaintDevice *device);

    void setPrintTime(const QDateTime &time) { m_printed = time; }

private:
    struct Metrics;
    struct Page {
        int firstRow = 0;
        int endRow = 0;        // one past the last row
        bool totals = false;   // the totals line closes this page
    };

    QList<Page> paginate(const Metrics &m, QList<double> *rowHeights) const;
    void paintPage(QPainter &p, const Metrics &m, const Page &page, int pageIndex, int pages,
                   const QList<double> &rowHeights) const;
    void paintBand(QPainter &p, const ReportBand &band, const QRectF &rect,
                   const ReportText::Context &ctx) const;

    std::unique_ptr<DataSetRows> m_ownRows;
    const ReportRows &m_list;
    QHash<QString, QString> m_values;
    ReportLayout m_layout;
    QDateTime m_printed;
};
