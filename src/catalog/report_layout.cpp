#include "catalog/report_layout.h"

#include "catalog/strict_number.h"
#include "common/app_error.h"
#include "common/gbk_codec.h"
#include "common/program_paths.h"
#include "common/whole_file.h"
#include "data/dataset.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

namespace {

class Parser {
public:
    explicit Parser(const QString &fileName) : m_file(QDir::toNativeSeparators(fileName)) {}

    ReportLayout run(const QString &text)
    {
        const QStringList lines = text.split(u'\n');
        for (int i = 0; i < lines.size(); ++i) {
            m_line = i + 1;
            QString line = lines[i].trimmed();
            if (i == 0 && line.startsWith(QChar(0xFEFF)))
                line = line.mid(1).trimmed();
            if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
                continue;
            if (line.startsWith(u'[')) {
                startSection(line);
                continue;
            }
            const qsizetype eq = line.indexOf(u'=');
            if (eq < 0)
                fail(QStringLiteral("应为“名称 = 值”：%1").arg(line));
            const QString key = normalKey(line.left(eq));
            const QString value = stripComment(line.mid(eq + 1).trimmed()).trimmed();
            if (key.isEmpty())
                fail(QStringLiteral("缺少名称：%1").arg(line));
            setValue(key, value);
        }
        m_line = lines.size();
        finish();
        return m_layout;
    }

private:
    [[noreturn]] void fail(const QString &what) const
    {
        throw AppError(QStringLiteral("报表格式文件 %1 第 %2 行：%3").arg(m_file).arg(m_line).arg(what));
    }

    static QString normalKey(const QString &key)
    {
        return key.simplified().toLower();
    }

    // " ; comment" at the end of a value; a value that needs ';' (a format) keeps it when no
    // blank stands before it.
    static QString stripComment(const QString &value)
    {
        static const QRegularExpression comment(QStringLiteral("\\s+[;#](\\s.*)?$"));
        QString v = value;
        v.remove(comment);
        return v;
    }

    void startSection(const QString &line)
    {
        if (!line.endsWith(u']'))
            fail(QStringLiteral("节名缺少“]”：%1").arg(line));
        const QString name = normalKey(line.mid(1, line.size() - 2));
        static const QStringList once = {QStringLiteral("page"), QStringLiteral("title"),
                                         QStringLiteral("header"), QStringLiteral("footer"),
                                         QStringLiteral("totals")};
        if (name == u"column") {
            m_layout.columns.append(ReportColumn());
            m_columnLines.append(m_line);
        } else if (name == u"line") {
            m_layout.lines.append(ReportBand());
        } else if (once.contains(name)) {
            if (m_sections.contains(name))
                fail(QStringLiteral("节 [%1] 重复").arg(name));
            if (name == u"totals")
                m_layout.hasTotals = true;
        } else {
            fail(QStringLiteral("未知的节 [%1]").arg(line.mid(1, line.size() - 2)));
        }
        m_sections.insert(name, m_line);
        m_section = name;
        m_keysSeen.clear();
    }

    void setValue(const QString &key, const QString &value)
    {
        if (m_section.isEmpty())
            fail(QStringLiteral("“%1”不在任何节中").arg(key));
        if (m_keysSeen.contains(key))
            fail(QStringLiteral("“%1”重复").arg(key));
        m_keysSeen.insert(key, m_line);
        if (m_section == u"page")
            pageValue(key, value);
        else if (m_section == u"title")
            titleValue(key, value);
        else if (m_section == u"header" || m_section == u"footer")
            bandValue(m_section == u"header" ? m_layout.header : m_layout.footer, key, value);
        else if (m_section == u"line")
            bandValue(m_layout.lines.last(), key, value);
        else if (m_section == u"column")
            columnValue(m_layout.columns.last(), key, value);
        else if (m_section == u"totals" && key == u"text")
            m_layout.totalsText = value;
        else
            unknownKey(key);
    }

    [[noreturn]] void unknownKey(const QString &key) const
    {
        fail(QStringLiteral("节 [%1] 中没有“%2”").arg(m_section, key));
    }

    double number(const QString &value, double min, double max) const
    {
        bool ok = false;
        const double v = value.toDouble(&ok);
        if (!ok || v < min || v > max)
            fail(QStringLiteral("“%1”不是 %2 到 %3 之间的数").arg(value).arg(min).arg(max));
        return v;
    }

    bool yesNo(const QString &value) const
    {
        const QString v = value.toLower();
        if (v == u"yes" || v == u"true" || v == u"1")
            return true;
        if (v == u"no" || v == u"false" || v == u"0")
            return false;
        fail(QStringLiteral("“%1”应为 yes 或 no").arg(value));
    }

    QString colour(const QString &value) const
    {
        static const QRegularExpression rgb(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
        if (value.compare(u"none", Qt::CaseInsensitive) == 0)
            return QString();
        if (!rgb.match(value).hasMatch())
            fail(QStringLiteral("颜色“%1”应为 #RRGGBB 或 none").arg(value));
        return value.toUpper();
    }

    Qt::Alignment alignment(const QString &value) const
    {
        const QString v = value.toLower();
        if (v == u"left")
            return Qt::AlignLeft;
        if (v == u"center" || v == u"centre")
            return Qt::AlignHCenter;
        if (v == u"right")
            return Qt::AlignRight;
        fail(QStringLiteral("对齐方式“%1”应为 left、center 或 right").arg(value));
    }

    void pageValue(const QString &key, const QString &value)
    {
        if (key == u"size") {
            for (const QString &name : ReportLayout::pageSizeNames())
                if (name.compare(value, Qt::CaseInsensitive) == 0) {
                    m_layout.pageSize = name;
                    return;
                }
            fail(QStringLiteral("纸张“%1”应为 %2 之一")
                     .arg(value, ReportLayout::pageSizeNames().join(QStringLiteral("、"))));
        } else if (key == u"orientation") {
            const QString v = value.toLower();
            if (v == u"portrait")
                m_layout.orientation = ReportLayout::Orientation::Portrait;
            else if (v == u"landscape")
                m_layout.orientation = ReportLayout::Orientation::Landscape;
            else
                fail(QStringLiteral("方向“%1”应为 portrait 或 landscape").arg(value));
        } else if (key == u"margins") {
            const QStringList parts = value.split(u',');
            if (parts.size() != 4)
                fail(QStringLiteral("页边距应为四个数（左, 上, 右, 下，毫米）：%1").arg(value));
            double m[4];
            for (int i = 0; i < 4; ++i)
                m[i] = number(parts[i].trimmed(), 0, 100);
            m_layout.marginsMm = QMarginsF(m[0], m[1], m[2], m[3]);
        } else if (key == u"font") {
            const qsizetype comma = value.lastIndexOf(u',');
            if (comma <= 0)
                fail(QStringLiteral("字体应为“字体名, 磅值”：%1").arg(value));
            m_layout.fontFamily = value.left(comma).trimmed();
            m_layout.fontSize = number(value.mid(comma + 1).trimmed(), 4, 72);
        } else if (key == u"stripe") {
            m_layout.stripeColor = colour(value);
        } else if (key == u"header fill") {
            m_layout.headerFill = colour(value);
        } else if (key == u"lines") {
            m_layout.gridLines = yesNo(value);
        } else {
            unknownKey(key);
        }
    }

    void titleValue(const QString &key, const QString &value)
    {
        if (key == u"text")
            m_layout.title = value;
        else if (key == u"font size")
            m_layout.titleFontSize = number(value, 4, 72);
        else if (key == u"align")
            m_layout.titleAlign = alignment(value);
        else
            unknownKey(key);
    }

    void bandValue(ReportBand &band, const QString &key, const QString &value)
    {
        if (key == u"left")
            band.left = value;
        else if (key == u"center" || key == u"centre")
            band.center = value;
        else if (key == u"right")
            band.right = value;
        else
            unknownKey(key);
    }

    void columnValue(ReportColumn &column, const QString &key, const QString &value)
    {
        if (key == u"field") {
            column.field = value;
        } else if (key == u"caption") {
            column.caption = value;
        } else if (key == u"width") {
            column.widthMm = number(value, 1, 1000);
        } else if (key == u"align") {
            column.align = alignment(value);
        } else if (key == u"format") {
            if (!value.isEmpty() && !value.contains(u'0') && !value.contains(u'#'))
                fail(QStringLiteral("数字格式“%1”中没有数字位（0 或 #）").arg(value));
            column.format = value;
        } else if (key == u"wrap") {
            column.wrap = yesNo(value);
        } else if (key == u"total") {
            const QString v = value.toLower();
            if (v == u"none")
                column.total = ReportColumn::Total::None;
            else if (v == u"sum")
                column.total = ReportColumn::Total::Sum;
            else if (v == u"count")
                column.total = ReportColumn::Total::Count;
            else
                fail(QStringLiteral("合计方式“%1”应为 none、sum 或 count").arg(value));
        } else {
            unknownKey(key);
        }
    }

    void finish()
    {
        if (m_layout.columns.isEmpty())
            fail(QStringLiteral("没有任何 [column] 节"));
        for (int i = 0; i < m_layout.columns.size(); ++i) {
            const ReportColumn &c = m_layout.columns[i];
            if (c.field.isEmpty() && c.caption.isEmpty()) {
                m_line = m_columnLines[i];
                fail(QStringLiteral("[column] 节既没有 field 也没有 caption"));
            }
        }
    }

    QString m_file;
    int m_line = 0;
    QString m_section;
    QHash<QString, int> m_sections;
    QHash<QString, int> m_keysSeen;
    QList<int> m_columnLines;
    ReportLayout m_layout;
};

} // namespace

double ReportLayout::totalWidthMm() const
{
    double sum = 0;
    for (const ReportColumn &c : columns)
        sum += c.widthMm;
    return sum;
}

QStringList ReportLayout::pageSizeNames()
{
    return {QStringLiteral("A3"), QStringLiteral("A4"), QStringLiteral("A5"),
            QStringLiteral("B5"), QStringLiteral("Letter"), QStringLiteral("Legal")};
}

ReportLayout ReportLayout::parse(const QString &text, const QString &fileName)
{
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normal.replace(u'\r', u'\n');
    return Parser(fileName).run(normal);
}

ReportLayout ReportLayout::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("无法读取报表格式文件 %1：%2")
                           .arg(QDir::toNativeSeparators(path), WholeFile::readReason(path)));
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = Gbk::decode(bytes);
    return parse(text, path);
}

QString ReportLayout::defaultPath()
{
    return ProgramPaths::resolve(QStringLiteral("Book.layout"));
}

int DataSetRows::count() const
{
    return m_list.recordCount();
}

QString DataSetRows::text(int row, const QString &field) const
{
    return m_list.text(row, field);
}

namespace ReportText {

QString expand(const QString &text, const Context &context)
{
    if (!text.contains(u'{'))
        return text;
    QString out = text;
    out.replace(QStringLiteral("{pages}"), QString::number(context.pages));
    out.replace(QStringLiteral("{page}"), QString::number(context.page));
    out.replace(QStringLiteral("{count}"), QString::number(context.count));
    out.replace(QStringLiteral("{date}"), context.printed.toString(QStringLiteral("yyyy-MM-dd")));
    out.replace(QStringLiteral("{time}"), context.printed.toString(QStringLiteral("hh:mm")));
    for (auto it = context.values.cbegin(); it != context.values.cend(); ++it)
        out.replace(u'{' + it.key() + u'}', it.value());
    return out;
}

QString cell(const DataSet &list, int row, const ReportColumn &column)
{
    return cell(DataSetRows(list), row, column);
}

QString total(const DataSet &list, const ReportColumn &column)
{
    return total(DataSetRows(list), column);
}

QString cell(const ReportRows &list, int row, const ReportColumn &column)
{
    if (column.field.isEmpty())
        return QString();
    if (column.field == u"#")
        return QString::number(row + 1);
    QString text = list.text(row, column.field);
    if (!column.format.isEmpty()) {
        double value = 0;
        if (StrictNumber::parse(text, &value))
            return DataSet::formatNumber(value, column.format);
    }
    if (!column.wrap) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        text.replace(u'\r', u' ');
        text.replace(u'\n', u' ');
    }
    return text;
}

QString total(const ReportRows &list, const ReportColumn &column)
{
    const int rows = list.count();
    if (column.total == ReportColumn::Total::None)
        return QString();
    if (column.total == ReportColumn::Total::Count) {
        if (column.field.isEmpty() || column.field == u"#")
            return QString::number(rows);
        int count = 0;
        for (int row = 0; row < rows; ++row)
            if (!list.text(row, column.field).isEmpty())
                ++count;
        return QString::number(count);
    }
    if (column.field.isEmpty() || column.field == u"#")
        return QString();
    // A double sum is exact enough once the format rounds it to the printed places.
    double sum = 0;
    for (int row = 0; row < rows; ++row) {
        double value = 0;
        if (StrictNumber::parse(list.text(row, column.field), &value))
            sum += value;
    }
    return column.format.isEmpty() ? QString::number(sum, 'g', 15)
                                   : DataSet::formatNumber(sum, column.format);
}

} // namespace ReportText
