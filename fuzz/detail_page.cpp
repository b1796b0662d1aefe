// The detail-page template (html/book.html, GBK, edited by hand) filled with one title's
// record. Input: the template's bytes, then after a NUL byte the text of the title's
// columns sm and dj (catalogue text, any characters).
#include "fuzz_support.h"

#include "catalog/detail_page.h"
#include "common/app_error.h"
#include "common/gbk_codec.h"

#include <QHash>

namespace {

const QString CoverTag = QStringLiteral("<img width=\"200\" height=\"275\" src=\"nocover.bmp\">");

// Only markup that the template itself holds may reach the page.
bool plainText(const QString &line)
{
    QString text = line;
    if (text.endsWith(QStringLiteral("<br>")))
        text.chop(4);
    for (const QChar c : text)
        if (c == u'<' || c == u'>' || c == u'"' || c == u'\'')
            return false;
    return true;
}

bool numberText(const QString &line)
{
    for (const QChar c : line)
        if (!(c.isDigit() || c == u',' || c == u'.' || c == u'-'))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = Fuzz::bytes(data, size);
    const qsizetype nul = input.indexOf('\0');
    const QByteArray templateBytes = nul < 0 ? input : input.left(nul);
    const QString value = nul < 0 ? QString() : QString::fromUtf8(input.mid(nul + 1));

    QHash<QString, QString> record = {
        {QStringLiteral("sm"), value},
        {QStringLiteral("dj"), value},
        {QStringLiteral("zz"), QStringLiteral("王<b>五</b> & \"赵\" 'x'\r\n第二行\r第三行\n")},
        {QStringLiteral("ys"), QStringLiteral("1234567.5")},
        {QStringLiteral("bz"), QString()},
        {QStringLiteral("fmtp"), QStringLiteral("cover01.jpg")},
    };
    const DetailPage::ColumnText column = [&record](const QString &name) -> std::optional<QString> {
        const auto it = record.constFind(name.toLower());
        if (it == record.cend())
            return std::nullopt;
        return *it;
    };

    const QString html = DetailPage::declareGb18030(Gbk::decode(templateBytes));
    FUZZ_CHECK(html.contains(QStringLiteral("gb18030"), Qt::CaseInsensitive));
    const QStringList lines = DetailPage::splitLines(html);
    for (const QString &line : lines)
        FUZZ_CHECK(!line.contains(u'\r') && !line.contains(u'\n'));

    // Line by line: a plain line is copied, a "$$" line shows text or the cover, a "$#"/"$@"
    // line a number or nothing, or the template names a column the record lacks.
    QStringList pieced;
    bool refused = false;
    for (const QString &line : lines) {
        QStringList out;
        try {
            out = DetailPage::render({line}, column, CoverTag);
        } catch (const AppError &) {
            FUZZ_CHECK(!line.contains(QStringLiteral("$$"))
                       && (line.contains(QStringLiteral("$#")) || line.contains(QStringLiteral("$@"))));
            refused = true;
            continue;
        }
        FUZZ_CHECK(!out.isEmpty());
        if (!line.contains(QStringLiteral("$$")) && !line.contains(QStringLiteral("$#"))
            && !line.contains(QStringLiteral("$@"))) {
            FUZZ_CHECK(out == QStringList{line});
        } else if (line.contains(QStringLiteral("$$"))) {
            if (out != QStringList{CoverTag})
                for (const QString &o : out)
                    FUZZ_CHECK(plainText(o));
        } else {
            FUZZ_CHECK(out.size() == 1 && numberText(out.first()));
        }
        pieced << out;
    }

    // The whole template at once gives the same page, or the same refusal.
    try {
        const QStringList page = DetailPage::render(lines, column, CoverTag);
        FUZZ_CHECK(!refused && page == pieced);
        (void)Gbk::encode(page.join(QStringLiteral("\r\n")));
    } catch (const AppError &) {
        FUZZ_CHECK(refused);
    }
    return 0;
}
