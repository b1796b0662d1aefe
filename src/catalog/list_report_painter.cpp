#include "catalog/list_report_painter.h"

#include "data/dataset.h"
#include "grid/chinese_font_gui.h"

#include <QColor>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>

namespace {

const QColor LineColour(0x74, 0x84, 0x90);
const QColor LightLineColour(0xBB, 0xC8, 0xD3);

QPageSize::PageSizeId pageSizeId(const QString &name)
{
    if (name == u"A3")
        return QPageSize::A3;
    if (name == u"A5")
        return QPageSize::A5;
    if (name == u"B5")
        return QPageSize::B5;
    if (name == u"Letter")
        return QPageSize::Letter;
    if (name == u"Legal")
        return QPageSize::Legal;
    return QPageSize::A4;
}

Qt::Alignment horizontal(Qt::Alignment a)
{
    return a & Qt::AlignHorizontal_Mask;
}

} // namespace

struct ListReportPainter::Metrics {
    const QPaintDevice *device = nullptr;
    double pxPerMm = 1;
    double pageWidth = 0;
    double pageHeight = 0;
    QFont body;
    QFont bold;
    QFont title;
    double lineHeight = 0;
    double padX = 0;
    double padY = 0;
    double thin = 1;           // pen widths in device pixels
    double thick = 2;
    QList<double> columnX;
    QList<double> columnWidth;
    double titleHeight = 0;    // 0 without a title
    double linesHeight = 0;    // the [line] lines under the title; 0 without them
    double headerHeight = 0;   // 0 without a header band
    double captionHeight = 0;
    double footerHeight = 0;   // 0 without a footer band
    double totalsHeight = 0;   // 0 without totals
    double bodyTop(int pageIndex) const
    {
        return (pageIndex == 0 ? titleHeight + linesHeight : 0) + headerHeight + captionHeight;
    }
    double bodyBottom() const { return pageHeight - footerHeight; }
};

ListReportPainter::ListReportPainter(const DataSet &list, const ReportLayout &layout)
    : m_ownRows(std::make_unique<DataSetRows>(list)), m_list(*m_ownRows), m_layout(layout),
      m_printed(QDateTime::currentDateTime())
{
}

ListReportPainter::ListReportPainter(const ReportRows &rows, const ReportLayout &layout)
    : m_list(rows), m_values(rows.values()), m_layout(layout),
      m_printed(QDateTime::currentDateTime())
{
}

QPageLayout ListReportPainter::pageLayout() const
{
    return QPageLayout(QPageSize(pageSizeId(m_layout.pageSize)),
                       m_layout.orientation == ReportLayout::Orientation::Landscape
                           ? QPageLayout::Landscape
                           : QPageLayout::Portrait,
                       m_layout.marginsMm, QPageLayout::Millimeter);
}

QList<ListReportPainter::Page> ListReportPainter::paginate(const Metrics &m,
                                                            QList<double> *rowHeights) const
{
    const int rows = m_list.count();
    const QFontMetricsF fm(m.body, m.device);
    const double single = m.lineHeight + 2 * m.padY;
    // No row may be taller than the body of a later page, or it could never be placed.
    const double tallest = std::max(single, m.bodyBottom() - m.bodyTop(1) - m.totalsHeight);

    QList<int> wrapping;
    for (int c = 0; c < m_layout.columns.size(); ++c)
        if (m_layout.columns[c].wrap)
            wrapping << c;

    rowHeights->clear();
    rowHeights->reserve(rows);
    for (int row = 0; row < rows; ++row) {
        double h = single;
        for (int c : wrapping) {
            const QString text = ReportText::cell(m_list, row, m_layout.columns[c]);
            if (text.isEmpty())
                continue;
            const double width = m.columnWidth[c] - 2 * m.padX;
            if (fm.horizontalAdvance(text) <= width && !text.contains(u'\n'))
                continue;
            const QRectF box = fm.boundingRect(QRectF(0, 0, width, 1e9),
                                               Qt::TextWordWrap | Qt::AlignLeft, text);
            h = std::max(h, box.height() + 2 * m.padY);
        }
        rowHeights->append(std::min(h, tallest));
    }

    QList<Page> pages;
    Page page;
    double y = m.bodyTop(0);
    for (int row = 0; row < rows; ++row) {
        const double h = rowHeights->at(row);
        if (y + h > m.bodyBottom() && page.endRow > page.firstRow) {
            pages << page;
            page = Page{row, row, false};
            y = m.bodyTop(int(pages.size()));
        }
        y += h;
        page.endRow = row + 1;
    }
    if (m_layout.hasTotals) {
        if (y + m.totalsHeight > m.bodyBottom() && page.endRow > page.firstRow) {
            pages << page;
            page = Page{rows, rows, false};
        }
        page.totals = true;
    }
    pages << page;
    return pages;
}

void ListReportPainter::paintBand(QPainter &p, const ReportBand &band, const QRectF &rect,
                                  const ReportText::Context &ctx) const
{
    const int flags = Qt::AlignVCenter | Qt::TextSingleLine;
    if (!band.left.isEmpty())
        p.drawText(rect, flags | Qt::AlignLeft, ReportText::expand(band.left, ctx));
    if (!band.center.isEmpty())
        p.drawText(rect, flags | Qt::AlignHCenter, ReportText::expand(band.center, ctx));
    if (!band.right.isEmpty())
        p.drawText(rect, flags | Qt::AlignRight, ReportText::expand(band.right, ctx));
}

void ListReportPainter::paintPage(QPainter &p, const Metrics &m, const Page &page, int pageIndex,
                                  int pages, const QList<double> &rowHeights) const
{
    const ReportText::Context ctx{pageIndex + 1, pages, m_list.count(), m_printed, m_values};
    const int columns = int(m_layout.columns.size());
    const double left = m.columnX.first();
    const double right = m.columnX.last() + m.columnWidth.last();
    double y = 0;

    if (pageIndex == 0 && m.titleHeight > 0) {
        p.setFont(m.title);
        p.setPen(Qt::black);
        p.drawText(QRectF(0, 0, m.pageWidth, m.titleHeight - m.padY * 2),
                   horizontal(m_layout.titleAlign) | Qt::AlignVCenter | Qt::TextSingleLine,
                   ReportText::expand(m_layout.title, ctx));
        y += m.titleHeight;
    }
    p.setFont(m.body);
    if (pageIndex == 0 && m.linesHeight > 0) {
        p.setPen(Qt::black);
        for (const ReportBand &line : m_layout.lines) {
            paintBand(p, line, QRectF(left, y, right - left, m.lineHeight), ctx);
            y += m.lineHeight + 0.8 * m.pxPerMm;
        }
        y += 1.5 * m.pxPerMm;
    }
    if (m.headerHeight > 0) {
        paintBand(p, m_layout.header, QRectF(left, y, right - left, m.lineHeight), ctx);
        y += m.headerHeight;
    }

    // Column titles, repeated on every page.
    const QRectF captionRow(left, y, right - left, m.captionHeight);
    if (!m_layout.headerFill.isEmpty())
        p.fillRect(captionRow, QColor(m_layout.headerFill));
    p.setFont(m.bold);
    for (int c = 0; c < columns; ++c) {
        const QRectF cellRect(m.columnX[c] + m.padX, y, m.columnWidth[c] - 2 * m.padX,
                              m.captionHeight);
        p.drawText(cellRect, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine,
                   m_layout.columns[c].caption);
    }
    p.setPen(QPen(LineColour, m.thick));
    p.drawLine(QPointF(left, y), QPointF(right, y));
    p.drawLine(QPointF(left, y + m.captionHeight), QPointF(right, y + m.captionHeight));
    y += m.captionHeight;
    const double bodyTop = y;

    // Rows.
    p.setFont(m.body);
    const QFontMetricsF fm(m.body, m.device);
    const QColor stripe = m_layout.stripeColor.isEmpty() ? QColor() : QColor(m_layout.stripeColor);
    for (int row = page.firstRow; row < page.endRow; ++row) {
        const double h = rowHeights[row];
        if (stripe.isValid() && (row + 1) % 2 == 0)   // even record numbers, as in the grids
            p.fillRect(QRectF(left, y, right - left, h), stripe);
        p.setPen(Qt::black);
        for (int c = 0; c < columns; ++c) {
            const ReportColumn &column = m_layout.columns[c];
            const QString text = ReportText::cell(m_list, row, column);
            if (text.isEmpty())
                continue;
            const QRectF cellRect(m.columnX[c] + m.padX, y + m.padY,
                                  m.columnWidth[c] - 2 * m.padX, h - 2 * m.padY);
            if (column.wrap)
                p.drawText(cellRect, horizontal(column.align) | Qt::AlignTop | Qt::TextWordWrap,
                           text);
            else
                p.drawText(cellRect, horizontal(column.align) | Qt::AlignVCenter
                                         | Qt::TextSingleLine,
                           fm.elidedText(text, Qt::ElideRight, cellRect.width()));
        }
        y += h;
        if (m_layout.gridLines) {
            p.setPen(QPen(LightLineColour, m.thin));
            p.drawLine(QPointF(left, y), QPointF(right, y));
        }
    }
    if (m_layout.gridLines) {
        p.setPen(QPen(LightLineColour, m.thin));
        for (int c = 0; c <= columns; ++c) {
            const double x = c < columns ? m.columnX[c] : right;
            p.drawLine(QPointF(x, bodyTop - m.captionHeight), QPointF(x, y));
        }
    }

    if (page.totals) {
        const QRectF row(left, y, right - left, m.totalsHeight);
        p.setPen(QPen(LineColour, m.thick));
        p.drawLine(row.topLeft(), row.topRight());
        p.drawLine(row.bottomLeft(), row.bottomRight());
        p.setPen(Qt::black);
        p.setFont(m.bold);
        // The totals text runs from the first column up to the first column with a total.
        int firstTotal = columns;
        for (int c = 0; c < columns; ++c)
            if (m_layout.columns[c].total != ReportColumn::Total::None) {
                firstTotal = c;
                break;
            }
        const double textRight = firstTotal < columns ? m.columnX[firstTotal] : right;
        p.drawText(QRectF(left + m.padX, y, textRight - left - 2 * m.padX, m.totalsHeight),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   ReportText::expand(m_layout.totalsText, ctx));
        for (int c = firstTotal; c < columns; ++c) {
            const QString text = ReportText::total(m_list, m_layout.columns[c]);
            if (text.isEmpty())
                continue;
            p.drawText(QRectF(m.columnX[c] + m.padX, y, m.columnWidth[c] - 2 * m.padX,
                              m.totalsHeight),
                       horizontal(m_layout.columns[c].align) | Qt::AlignVCenter
                           | Qt::TextSingleLine,
                       text);
        }
        p.setFont(m.body);
    }

    if (m.footerHeight > 0) {
        p.setPen(Qt::black);
        paintBand(p, m_layout.footer,
                  QRectF(left, m.pageHeight - m.lineHeight, right - left, m.lineHeight), ctx);
    }
}

int ListReportPainter::paint(QPagedPaintDevice *device)
{
    if (!device || m_layout.columns.isEmpty())
        return 0;
    Metrics m;
    m.pxPerMm = device->logicalDpiX() / 25.4;
    m.pageWidth = device->width();
    m.pageHeight = device->height();

    const QString family = ChineseFont::resolve(m_layout.fontFamily);
    m.body = QFont(family);
    m.body.setPointSizeF(m_layout.fontSize);
    m.bold = m.body;
    m.bold.setBold(true);
    m.title = QFont(family);
    m.title.setPointSizeF(m_layout.titleFontSize);
    m.title.setBold(true);
    m.device = device;
    const QFontMetricsF fm(m.body, device);
    const QFontMetricsF boldMetrics(m.bold, device);
    m.lineHeight = fm.height();
    m.padX = 1.2 * m.pxPerMm;
    m.padY = 0.8 * m.pxPerMm;
    m.thin = std::max(1.0, 0.15 * m.pxPerMm);
    m.thick = std::max(1.0, 0.35 * m.pxPerMm);

    const double total = m_layout.totalWidthMm() * m.pxPerMm;
    const double scale = total > m.pageWidth ? m.pageWidth / total : 1.0;
    double x = 0;
    for (const ReportColumn &column : m_layout.columns) {
        m.columnX << x;
        m.columnWidth << column.widthMm * m.pxPerMm * scale;
        x += m.columnWidth.last();
    }
    if (!m_layout.title.isEmpty())
        m.titleHeight = QFontMetricsF(m.title, device).height() + 2 * m.padY + 2 * m.pxPerMm;
    if (!m_layout.lines.isEmpty())
        m.linesHeight = m_layout.lines.size() * (m.lineHeight + 0.8 * m.pxPerMm) + 1.5 * m.pxPerMm;
    if (!m_layout.header.isEmpty())
        m.headerHeight = m.lineHeight + 1.5 * m.pxPerMm;
    m.captionHeight = boldMetrics.height() + 2 * m.padY;
    if (!m_layout.footer.isEmpty())
        m.footerHeight = m.lineHeight + 3 * m.pxPerMm;
    if (m_layout.hasTotals)
        m.totalsHeight = boldMetrics.height() + 2 * m.padY;

    QList<double> rowHeights;
    const QList<Page> pages = paginate(m, &rowHeights);

    QPainter p;
    if (!p.begin(device))
        return 0;
    p.setRenderHint(QPainter::TextAntialiasing);
    for (int i = 0; i < pages.size(); ++i) {
        if (i > 0)
            device->newPage();
        paintPage(p, m, pages[i], i, int(pages.size()), rowHeights);
    }
    p.end();
    return int(pages.size());
}
