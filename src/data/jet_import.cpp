#include "data/jet_import.h"

#include "common/app_error.h"
#include "data/demo_catalogue.h"
#include "data/jet_reader.h"
#include "data/schema.h"
#include "data/sql_helper.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>

#include <cmath>
#include <limits>

namespace JetImport {
namespace {

constexpr int KeptRefusals = 50;      // per table, with their reasons; all are counted
constexpr qint64 ProgressStep = 1000;

bool isNumberType(int jetType)
{
    switch (jetType) {
    case Jet::Byte: case Jet::Int: case Jet::LongInt: case Jet::Money: case Jet::Float:
    case Jet::Double: case Jet::Numeric:
        return true;
    default:
        return false;
    }
}

// "12.3400" -> "12.34", "10.0000" -> "10".
QString withoutTrailingZeros(QString text)
{
    if (!text.contains(u'.'))
        return text;
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

// A decimal text split into sign, integer digits and fraction digits. Exponent forms (as a
// Single or Double may print) go through double first.
bool splitDecimal(QString text, bool *negative, QString *whole, QString *fraction)
{
    static const QRegularExpression plain(QStringLiteral("^([+-]?)(\\d*)(?:\\.(\\d*))?$"));
    text = text.trimmed();
    QRegularExpressionMatch m = plain.match(text);
    if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty())) {
        bool ok = false;
        const double d = text.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            return false;
        text = QString::number(d, 'f', 15);
        m = plain.match(text);
        if (!m.hasMatch())
            return false;
    }
    *negative = m.captured(1) == u"-";
    *whole = m.captured(2);
    *fraction = m.captured(3);
    while (whole->size() > 1 && whole->startsWith(u'0'))
        whole->remove(0, 1);
    if (whole->isEmpty())
        *whole = QStringLiteral("0");
    return true;
}

// Rounds to `scale` decimals, half away from zero, on the decimal digits themselves.
void roundDecimal(QString *whole, QString *fraction, int scale)
{
    if (fraction->size() <= scale)
        return;
    const bool up = fraction->at(scale) >= u'5';
    QString digits = *whole + fraction->left(scale);
    if (up) {
        int i = digits.size() - 1;
        while (i >= 0 && digits.at(i) == u'9') {
            digits[i] = u'0';
            --i;
        }
        if (i < 0)
            digits.prepend(u'1');
        else
            digits[i] = QChar(digits.at(i).unicode() + 1);
    }
    *whole = digits.left(digits.size() - scale);
    *fraction = digits.right(scale);
    while (whole->size() > 1 && whole->startsWith(u'0'))
        whole->remove(0, 1);
    if (whole->isEmpty())
        *whole = QStringLiteral("0");
}

bool allZero(const QString &digits)
{
    for (QChar c : digits)
        if (c != u'0')
            return false;
    return true;
}

struct ColumnPlan {
    int fileColumn = -1;
    QString name;
    QString schemaType;
    int jetType = 0;
};

struct TablePlan {
    QString table;
    QString fileTable;
    Jet::Table definition;
    QList<ColumnPlan> columns;
    int keyIndex = -1;   // into columns
    QStringList ignored;
};

TablePlan planTable(const Jet::Reader &reader, const QString &table, const QString &fileTable)
{
    TablePlan plan;
    plan.table = table;
    plan.fileTable = fileTable;
    plan.definition = reader.table(fileTable);
    QHash<QString, QString> schemaTypes;
    for (const Schema::ColumnInfo &c : Schema::columnsOf(table))
        schemaTypes.insert(c.name, c.type);
    const QString key = Schema::primaryKeyOf(table);
    QSet<QString> taken;
    for (int i = 0; i < plan.definition.columns.size(); ++i) {
        const Jet::Column &c = plan.definition.columns.at(i);
        const QString name = c.name.trimmed().toLower();
        const QString described = QStringLiteral("%1 (%2)").arg(c.name, Jet::typeName(c.type));
        if (!schemaTypes.contains(name)) {
            plan.ignored << described + QStringLiteral("：本程序不用这一列");
            continue;
        }
        if (taken.contains(name)) {
            plan.ignored << described + QStringLiteral("：同名的列已经读过");
            continue;
        }
        if (!Jet::isReadable(c.type)) {
            plan.ignored << described + QStringLiteral("：这种类型的值不导入");
            continue;
        }
        taken.insert(name);
        if (name == key)
            plan.keyIndex = plan.columns.size();
        plan.columns.append({i, name, schemaTypes.value(name), c.type});
    }
    if (!key.isEmpty() && plan.keyIndex < 0)
        throw AppError(QStringLiteral("文件中的表 %1 没有关键列 %2，无法导入").arg(fileTable, key));
    return plan;
}

QString keyOf(const TablePlan &plan, const QStringList &values)
{
    if (plan.keyIndex >= 0)
        return values.value(plan.columns.at(plan.keyIndex).fileColumn);
    return plan.columns.isEmpty() ? QString() : values.value(plan.columns.first().fileColumn);
}

TableReport writeTable(const QSqlDatabase &db, const Jet::Reader &reader, const TablePlan &plan,
                       const Progress &progress)
{
    TableReport report;
    report.table = plan.table;
    report.fileTable = plan.fileTable;
    report.ignoredColumns = plan.ignored;
    if (plan.columns.isEmpty())
        return report;

    QStringList names;
    QStringList marks;
    for (const ColumnPlan &c : plan.columns) {
        names << c.name;
        marks << QStringLiteral("?");
    }
    QSqlQuery insert(db);
    const QString text = QStringLiteral("insert into %1 (%2) values (%3)")
                             .arg(Schema::sqlName(db, plan.table), names.join(u','), marks.join(u','));
    if (!insert.prepare(text))
        throw AppError(QStringLiteral("无法写入表 %1：%2").arg(plan.table, Sql::errorText(insert)));

    QSet<QString> keys;
    qint64 row = 0;
    const qint64 total = plan.definition.rows;
    QVariantList converted(plan.columns.size());
    const auto refuse = [&](const QString &key, const QString &reason) {
        ++report.refusedCount;
        if (report.refused.size() < KeptRefusals)
            report.refused.append({row, key, reason});
    };
    reader.readRows(plan.fileTable, [&](const QStringList &values) {
        ++row;
        const QString key = keyOf(plan, values);
        QString reason;
        bool ok = true;
        for (int i = 0; i < plan.columns.size() && ok; ++i) {
            const ColumnPlan &c = plan.columns.at(i);
            QString why;
            if (!convertValue(c.schemaType, c.jetType, values.value(c.fileColumn), &converted[i], &why)) {
                reason = QStringLiteral("列 %1：%2").arg(c.name, why);
                ok = false;
            }
        }
        if (ok && plan.keyIndex >= 0) {
            const QString k = converted.at(plan.keyIndex).toString();
            if (k.trimmed().isEmpty()) {
                reason = QStringLiteral("关键列 %1 为空").arg(plan.columns.at(plan.keyIndex).name);
                ok = false;
            } else if (keys.contains(k)) {
                reason = QStringLiteral("关键列 %1 的值“%2”与前面的行重复")
                             .arg(plan.columns.at(plan.keyIndex).name, k);
                ok = false;
            } else {
                keys.insert(k);
            }
        }
        if (ok) {
            for (int i = 0; i < converted.size(); ++i)
                insert.bindValue(i, converted.at(i));
            if (!insert.exec())
                throw AppError(QStringLiteral("写入表 %1 第 %2 行（%3）失败：%4")
                                   .arg(plan.table)
                                   .arg(row)
                                   .arg(key, Sql::errorText(insert)));
            ++report.taken;
        } else {
            refuse(key, reason);
        }
        if (progress && row % ProgressStep == 0)
            progress(plan.table, row, total);
    });
    if (progress)
        progress(plan.table, row, total);
    return report;
}

// Takes away the schema that this import created before it failed; says so when that fails too.
void dropCreatedSchema(const QSqlDatabase &db, const AppError &failure)
{
    try {
        Schema::drop(db);
    } catch (const AppError &e) {
        throw AppError(QStringLiteral("%1\n导入前建立的表结构也没能删除，数据库中留下了空的表：%2")
                           .arg(failure.text(), e.text()));
    }
}

} // namespace

bool convertValue(const QString &schemaType, int jetType, const QString &text, QVariant *value,
                  QString *reason)
{
    *value = QVariant();
    if (text.isEmpty())
        return true;
    if (schemaType == u"memo" || schemaType.startsWith(u'v')) {
        QString out = text;
        if (jetType == Jet::DateTime && out.endsWith(QStringLiteral(" 00:00:00")))
            out.chop(9);
        else if (jetType == Jet::Bool)
            out = text == u"0" ? QStringLiteral("否") : QStringLiteral("是");
        else if (isNumberType(jetType))
            out = withoutTrailingZeros(out);
        if (schemaType.startsWith(u'v')) {
            const int width = schemaType.mid(1).toInt();
            if (out.size() > width) {
                const qsizetype characters = out.toUcs4().size();
                if (characters > width) {
                    *reason = QStringLiteral("值有 %1 个字符，超过本列的 %2 个字符").arg(characters).arg(width);
                    return false;
                }
            }
        }
        *value = out;
        return true;
    }
    if (jetType == Jet::DateTime) {
        *reason = QStringLiteral("日期“%1”不能存入数值列").arg(text);
        return false;
    }
    bool negative = false;
    QString whole;
    QString fraction;
    if (!splitDecimal(text, &negative, &whole, &fraction)) {
        *reason = QStringLiteral("“%1”不是数").arg(text);
        return false;
    }
    if (schemaType == u"int") {
        if (!allZero(fraction)) {
            *reason = QStringLiteral("“%1”不是整数").arg(text);
            return false;
        }
        bool ok = false;
        const qlonglong n = whole.toLongLong(&ok);
        const qlonglong signedValue = negative ? -n : n;
        if (!ok || signedValue > std::numeric_limits<int>::max()
            || signedValue < std::numeric_limits<int>::min()) {
            *reason = QStringLiteral("整数“%1”超出范围").arg(text);
            return false;
        }
        *value = int(signedValue);
        return true;
    }
    if (schemaType.startsWith(u'n')) {
        const QStringList ps = schemaType.mid(1).split(u',');
        const int precision = ps.value(0).toInt();
        const int scale = ps.value(1).toInt();
        roundDecimal(&whole, &fraction, scale);
        if (whole.size() > precision - scale && !(whole == u"0" && precision == scale)) {
            *reason = QStringLiteral("“%1”超出本列的范围（%2 位数字，其中 %3 位小数）")
                          .arg(text)
                          .arg(precision)
                          .arg(scale);
            return false;
        }
        const bool zero = allZero(whole) && allZero(fraction);
        const QString sign = negative && !zero ? QStringLiteral("-") : QString();
        if (scale == 0)
            *value = (sign + whole).toLongLong();
        else
            *value = (sign + whole + u'.' + fraction).toDouble();
        return true;
    }
    *reason = QStringLiteral("本列的类型 %1 未知").arg(schemaType);
    return false;
}

qint64 Report::rowsTaken() const
{
    qint64 n = 0;
    for (const TableReport &t : tables)
        n += t.taken;
    return n;
}

qint64 Report::rowsRefused() const
{
    qint64 n = 0;
    for (const TableReport &t : tables)
        n += t.refusedCount;
    return n;
}

qint64 Report::taken(const QString &table) const
{
    for (const TableReport &t : tables)
        if (t.table == table)
            return t.taken;
    return 0;
}

QString Report::text() const
{
    QStringList lines;
    lines << QStringLiteral("从 %1（%2）导入了 %3 个表，共 %4 行；拒收 %5 行。")
                 .arg(file, version)
                 .arg(tables.size())
                 .arg(rowsTaken())
                 .arg(rowsRefused());
    if (schemaCreated)
        lines << QStringLiteral("数据库中原来没有表结构，已先建立。");
    for (const TableReport &t : tables) {
        QString line = QStringLiteral("  %1：导入 %2 行").arg(t.table).arg(t.taken);
        if (t.fileTable != t.table)
            line += QStringLiteral("（文件中的表 %1）").arg(t.fileTable);
        if (t.refusedCount > 0)
            line += QStringLiteral("，拒收 %1 行").arg(t.refusedCount);
        lines << line;
        for (const RefusedRow &r : t.refused)
            lines << QStringLiteral("    拒收第 %1 行（%2）：%3").arg(r.row).arg(r.key, r.reason);
        if (t.refusedCount > t.refused.size())
            lines << QStringLiteral("    ……另有 %1 行被拒收").arg(t.refusedCount - t.refused.size());
        for (const QString &c : t.ignoredColumns)
            lines << QStringLiteral("    未导入的列 %1").arg(c);
    }
    if (!absentTables.isEmpty())
        lines << QStringLiteral("文件中没有这些目录表，它们现在是空的：%1").arg(absentTables.join(u','));
    if (!otherTables.isEmpty())
        lines << QStringLiteral("文件中的其他表没有导入：%1").arg(otherTables.join(u','));
    return lines.join(u'\n');
}

Report importCatalogue(const QSqlDatabase &db, const QString &jetPath, const Progress &progress)
{
    const Jet::Reader reader(jetPath);
    Report report;
    report.file = reader.path();
    report.version = reader.versionName();

    const QStringList catalogue = Schema::catalogueTableNames();
    QHash<QString, QString> fileNames;   // schema name -> file name
    for (const QString &name : reader.tableNames()) {
        const QString lower = name.trimmed().toLower();
        if (catalogue.contains(lower) && (!fileNames.contains(lower) || name == lower))
            fileNames.insert(lower, name);
    }
    for (const QString &name : reader.tableNames())
        if (!fileNames.values().contains(name))
            report.otherTables << name;
    if (!fileNames.contains(QStringLiteral("debooks"))) {
        const QStringList present = reader.tableNames();
        throw AppError(QStringLiteral("%1 中没有征订目录：找不到书目表 debooks。文件中的表：%2。")
                           .arg(report.file,
                                present.isEmpty() ? QStringLiteral("（没有）") : present.join(u',')));
    }
    QList<TablePlan> plans;
    for (const QString &table : catalogue) {
        if (fileNames.contains(table))
            plans.append(planTable(reader, table, fileNames.value(table)));
        else
            report.absentTables << table;
    }

    // Firebird knows a table only once the transaction that created it has committed: there
    // the schema is created and committed first, and dropped again when the catalogue cannot
    // be written, so a failure still leaves the database as it was. Elsewhere the schema
    // lands in the catalogue's own transaction.
    const bool schemaFirst = !Schema::exists(db) && Schema::dialectOf(db) == Schema::Dialect::Firebird
                             && Sql::transactionDepth(db) == 0;
    if (schemaFirst) {
        Schema::create(db);
        report.schemaCreated = true;
    }
    try {
        Sql::Transaction tx(db);
        if (!schemaFirst) {
            if (!Schema::exists(db)) {
                Schema::create(db);
                report.schemaCreated = true;
            } else {
                // A database made before the dispatch log gets it at the program's start.
                Schema::verify(db, false);
            }
        }
        for (const QString &table : catalogue)
            Sql::exec(db, QStringLiteral("delete from ") + Schema::sqlName(db, table));
        DemoCatalogue::removeMarker(db);   // the supplier's catalogue is no demo
        for (const TablePlan &plan : plans)
            report.tables.append(writeTable(db, reader, plan, progress));
        tx.commit();
    } catch (const AppError &e) {
        if (schemaFirst)
            dropCreatedSchema(db, e);
        throw;
    }
    return report;
}

} // namespace JetImport
