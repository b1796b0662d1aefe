// The print layout file (bin/Book.layout), edited by hand: any file is either refused with
// a message naming the file and a line, or gives a layout whose values are in range.
#include "fuzz_support.h"

#include "catalog/report_layout.h"
#include "common/app_error.h"

#include <QRegularExpression>

namespace {

bool colourOrNone(const QString &colour)
{
    static const QRegularExpression rgb(QStringLiteral("^#[0-9A-F]{6}$"));
    return colour.isEmpty() || rgb.match(colour).hasMatch();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = Fuzz::inputFile(QStringLiteral("Book.layout"), data, size);
    ReportLayout layout;
    try {
        layout = ReportLayout::load(path);
    } catch (const AppError &e) {
        static const QRegularExpression where(QStringLiteral("^报表格式文件 .*Book\\.layout 第 \\d+ 行："));
        FUZZ_CHECK(where.match(e.text()).hasMatch());
        return 0;
    }
    FUZZ_CHECK(!layout.columns.isEmpty());
    FUZZ_CHECK(ReportLayout::pageSizeNames().contains(layout.pageSize));
    FUZZ_CHECK(layout.fontSize >= 4 && layout.fontSize <= 72);
    FUZZ_CHECK(layout.titleFontSize >= 4 && layout.titleFontSize <= 72);
    for (const double m : {layout.marginsMm.left(), layout.marginsMm.top(),
                           layout.marginsMm.right(), layout.marginsMm.bottom()})
        FUZZ_CHECK(m >= 0 && m <= 100);
    FUZZ_CHECK(colourOrNone(layout.stripeColor) && colourOrNone(layout.headerFill));
    for (const ReportColumn &c : layout.columns) {
        FUZZ_CHECK(!c.field.isEmpty() || !c.caption.isEmpty());
        FUZZ_CHECK(c.widthMm >= 1 && c.widthMm <= 1000);
        FUZZ_CHECK(c.format.isEmpty() || c.format.contains(u'0') || c.format.contains(u'#'));
    }
    FUZZ_CHECK(layout.totalWidthMm() >= layout.columns.size());

    // The band texts expand without leaving a known field behind.
    ReportText::Context context;
    context.page = 2;
    context.pages = 3;
    context.count = 40;
    context.printed = QDateTime(QDate(2027, 2, 1), QTime(9, 30));
    QStringList texts{layout.title, layout.header.left, layout.header.center,
                      layout.header.right, layout.footer.left, layout.footer.center,
                      layout.footer.right, layout.totalsText};
    for (const ReportBand &line : layout.lines)
        texts << line.left << line.center << line.right;
    for (const QString &text : texts) {
        const QString out = ReportText::expand(text, context);
        FUZZ_CHECK(!out.contains(QStringLiteral("{page}")) && !out.contains(QStringLiteral("{count}")));
    }
    return 0;
}
