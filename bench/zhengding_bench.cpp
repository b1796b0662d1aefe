// Benchmarks over generated catalogues: Zhengding's own time for a piece of work next to the
// sqlite3 command's time for the same statement, in the same run.
//
//   zhengding-bench [--sizes 10000,100000,300000] [--cache DIR] [--runs N]
#include "cart/cart.h"
#include "cart/season_orders.h"
#include "cart/serial_number.h"
#include "catalog/book_detail_pane.h"
#include "catalog/book_list.h"
#include "catalog/catalogue_export.h"
#include "catalog/catalogue_statements.h"
#include "common/program_paths.h"
#include "common/prompter.h"
#include "data/connection.h"
#include "data/dataset.h"
#include "data/demo_catalogue.h"
#include "data/schema.h"
#include "data/sql_helper.h"
#include "grid/marked_rows.h"
#include "order/order_making.h"
#include "order/order_query.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QCryptographicHash>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

int g_runs = 3;

// A benchmark has nobody to answer: messages go to standard error.
class StderrPrompter : public Prompter {
public:
    int message(const QString &text, const QString &, int) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return MsgResult::Ok;
    }
    QString saveFileName(const SaveRequest &) override { return {}; }
};

StderrPrompter g_prompter;

// Copies the shipped pictures beside a generated catalogue, as the runtime tree has them.
void copyPictures(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    for (const QFileInfo &e : QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (e.isDir())
            copyPictures(e.filePath(), to + u'/' + e.fileName());
        else if (!QFile::exists(to + u'/' + e.fileName()))
            QFile::copy(e.filePath(), to + u'/' + e.fileName());
    }
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Milliseconds of fn, the median of g_runs runs; setup, when given, runs untimed before each.
double timeMs(const std::function<void()> &fn, int runs = g_runs, const std::function<void()> &setup = {})
{
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        if (setup)
            setup();
        QElapsedTimer timer;
        timer.start();
        fn();
        t.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(t);
}

// The sqlite3 command running a script (its own start-up included, which is measured alone
// and subtracted). setup, when given, runs untimed before each run of the script.
double sqliteMs(const QString &dbPath, const QString &script, const std::function<void()> &setup = {})
{
    auto run = [&](const QString &text, const std::function<void()> &before) {
        return timeMs([&] {
            QProcess p;
            p.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), dbPath});
            p.waitForStarted();
            p.write(text.toUtf8());
            p.closeWriteChannel();
            p.waitForFinished(-1);
            if (p.exitCode() != 0)
                std::fprintf(stderr, "sqlite3 failed: %s\n", p.readAllStandardError().constData());
        }, g_runs, before);
    };
    const double startup = run(QStringLiteral(".output /dev/null\nselect 1;\n"), {});
    return std::max(0.0, run(script, setup) - startup);
}

// A value as an SQL literal, of the type the driver binds it as.
QString sqlLiteral(const QVariant &value)
{
    if (value.isNull())
        return QStringLiteral("null");
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return value.toString();
    default:
        break;
    }
    QString text = value.toString();
    text.replace(u'\'', QStringLiteral("''"));
    return u'\'' + text + u'\'';
}

// The statement text with each "?" outside quotes replaced by its value as a literal: what
// sqlite3 runs for a statement the program runs with bound values.
QString inlined(const QString &text, const QVariantList &values)
{
    QString out;
    qsizetype next = 0;
    QChar quote;
    for (const QChar c : text) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'?') {
            if (next >= values.size()) {
                std::fprintf(stderr, "too few values for: %s\n", qPrintable(text));
                std::exit(1);
            }
            out += sqlLiteral(values.at(next++));
            continue;
        }
        out += c;
    }
    if (next != values.size()) {
        std::fprintf(stderr, "too many values for: %s\n", qPrintable(text));
        std::exit(1);
    }
    return out;
}

long rssKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

void row(const char *what, int titles, double ours, double peer, const char *goal)
{
    if (peer > 0)
        std::printf("| %-52s | %7d | %9.1f ms | %9.1f ms | %5.2f × | %s |\n", what, titles, ours, peer, ours / peer, goal);
    else
        std::printf("| %-52s | %7d | %9.1f ms | %12s | %7s | %s |\n", what, titles, ours, "—", "—", goal);
    std::fflush(stdout);
}

QSqlDatabase openDb(const QString &path, const QString &name)
{
    ProgramPaths::setProgramFolder(QFileInfo(path).absolutePath() + QStringLiteral("/../bin/"));
    ConnectionConfig config;
    config.kind = QStringLiteral("Oledb40");
    QString error;
    QSqlDatabase db = Connection::openForCreate(config, name, &error);
    if (!db.isOpen()) {
        std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(path), qPrintable(error));
        std::exit(1);
    }
    return db;
}

// The catalogue of `titles` titles, generated once into the cache folder.
QString catalogue(const QString &cache, int titles)
{
    const QString dir = QStringLiteral("%1/t%2").arg(cache).arg(titles);
    const QString path = dir + QStringLiteral("/init/data.mdb");
    if (QFile::exists(path))
        return path;
    QDir().mkpath(dir + QStringLiteral("/init"));
    QDir().mkpath(dir + QStringLiteral("/bin"));
    copyPictures(QStringLiteral(ZD_SOURCE_DIR "/dist/bookimages"), dir + QStringLiteral("/bookimages"));
    {
        QSqlDatabase db = openDb(path, QStringLiteral("gen"));
        Schema::create(db);
        QElapsedTimer t;
        t.start();
        DemoCatalogue::fill(db, titles);
        std::fprintf(stderr, "generated %d titles in %.1f s\n", titles, t.elapsed() / 1000.0);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("gen"));
    return path;
}

QString categoryNear(const QSqlDatabase &db, int wanted, int *count)
{
    QSqlQuery q = Sql::exec(db, QStringLiteral("select ywbc, count(*) from debooks group by ywbc"));
    QString best;
    int bestCount = 0;
    while (q.next()) {
        const int c = q.value(1).toInt();
        if (best.isEmpty() || std::abs(c - wanted) < std::abs(bestCount - wanted)) {
            best = q.value(0).toString();
            bestCount = c;
        }
    }
    *count = bestCount;
    return best;
}

void benchSize(const QString &cache, int titles, bool memoryOnly)
{
    const QString path = catalogue(cache, titles);
    QSqlDatabase db = openDb(path, QStringLiteral("bench%1").arg(titles));
    const QString cols = CatalogueStatements::titleColumns(true);

    if (memoryOnly) {
        const long before = rssKb();
        DataSet list;
        list.setConnection(db);
        BookList::prepare(list);
        list.setStatement(QStringLiteral("select %1 from qrydebooks limit 50000").arg(cols));
        list.open();
        std::printf("%ld\n", (rssKb() - before) / 1024);
        return;
    }

    // 1. A category list of about 20,000 titles, with the category browse's own statement.
    int count = 0;
    const QString category = categoryNear(db, 20000, &count);
    {
        const Statement stmt = CatalogueStatements::categoryTitles(category);
        DataSet list;
        list.setConnection(db);
        BookList::prepare(list);
        list.setStatement(stmt.text, stmt.values);
        const double ours = timeMs([&] { list.open(); });
        const double peer = sqliteMs(path, QStringLiteral(".output /dev/null\n%1;\n").arg(inlined(stmt.text, stmt.values)));
        char what[96];
        std::snprintf(what, sizeof what, "open a category list (%d titles)", count);
        row(what, titles, ours, peer, "≤ 1.5 × sqlite3");
    }

    const int listRows = std::min(titles, 50000);
    DataSet big;
    big.setConnection(db);
    BookList::prepare(big);
    big.setStatement(QStringLiteral("select %1 from qrydebooks limit %2").arg(cols).arg(listRows));
    big.open();

    // 2. Sorting by 书名 in pinyin order: the first sort builds the collation keys.
    {
        std::vector<double> first;
        for (int i = 0; i < g_runs; ++i) {
            big.refresh();
            first.push_back(timeMs([&] { big.setSortText(QStringLiteral("sm ASC")); }, 1));
        }
        char what[96];
        std::snprintf(what, sizeof what, "sort %d rows by 书名 (pinyin)", listRows);
        row(what, titles, median(first), 0, "< 200 ms");
        const double again = timeMs([&] {
            big.setSortText(QStringLiteral("sm DESC"));
            big.setSortText(QStringLiteral("sm ASC"));
        }) / 2;
        row("  … sorting the same column again", titles, again, 0, "—");
    }

    // 3. The detail pane's refresh for one row change.
    {
        TBookDetailPane pane(g_prompter);
        pane.setLoadsPictures(true);
        pane.setBookList(&big);
        QRandomGenerator rng(42);
        const int changes = 500;
        const double total = timeMs([&] {
            for (int i = 0; i < changes; ++i)
                big.setCurrentRow(int(rng.bounded(big.recordCount())));
        }, 1);
        row("detail pane refresh for one row change", titles, total / changes, 0, "< 5 ms");
    }

    // 4. Exporting the list (layout A) next to sqlite3 writing the same columns to a file.
    {
        QTemporaryDir tmp;
        const QString ours = tmp.filePath(QStringLiteral("export.txt"));
        const double t = timeMs([&] { CatalogueExport::writeFile(ours, big, CatalogueExport::Layout::A); });
        const double peer = sqliteMs(path, QStringLiteral(".mode tabs\n.headers on\n.output %1\nselect sm,zz,cbmc,isbn,dj,zbh from qrydebooks limit %2;\n")
                                               .arg(tmp.filePath(QStringLiteral("peer.txt")))
                                               .arg(listRows));
        char what[96];
        std::snprintf(what, sizeof what, "export %d rows", listRows);
        row(what, titles, t, peer, "≤ 1.5 × sqlite3");
    }

    // 5. Putting 1,000 marked titles into the cart.
    {
        MarkedRowList marked;
        marked.setDataSet(&big);
        for (int r = 1; r <= std::min(1000, big.recordCount()); ++r)
            marked.mark(r * std::max(1, big.recordCount() / 1000) - 1);
        const double t = timeMs([&] {
            Sql::exec(db, QStringLiteral("delete from deshopcart_mx"));
            Sql::exec(db, QStringLiteral("delete from deshopcart"));
            QString keys;
            CollectSelectedKeys(marked, big, keys, QStringLiteral("tm"));
            AddToCart(keys, db, QString());
        });
        row("put 1,000 marked titles into the cart", titles, t, 0, "< 500 ms");
        Sql::exec(db, QStringLiteral("delete from deshopcart_mx"));
        Sql::exec(db, QStringLiteral("delete from deshopcart"));
    }

    // 6. A whole large category (about 26,000 titles) marked and put into an empty cart, next to
    //    sqlite3 running the same insert as one statement in one transaction.
    if (titles >= 100000) {
        int wanted = 0;
        const QString large = categoryNear(db, 26000, &wanted);
        const Statement stmt = CatalogueStatements::categoryTitles(large);
        DataSet list;
        list.setConnection(db);
        BookList::prepare(list);
        list.setStatement(stmt.text, stmt.values);
        list.open();
        MarkedRowList marked;
        marked.setDataSet(&list);
        for (int r = 0; r < list.recordCount(); ++r)
            marked.mark(r);
        const auto emptyCart = [&] {
            Sql::exec(db, QStringLiteral("delete from deshopcart_mx"));
            Sql::exec(db, QStringLiteral("delete from deshopcart"));
        };
        CartAddResult result;
        const double t = timeMs([&] {
            QString keys;
            CollectSelectedKeys(marked, list, keys, QStringLiteral("tm"));
            result = AddToCart(keys, db, QString());
        }, g_runs, emptyCart);
        if (result.added.size() != list.recordCount())
            std::fprintf(stderr, "cart: %lld of %d titles went in\n", qlonglong(result.added.size()), list.recordCount());
        const double peer = sqliteMs(
            path,
            QStringLiteral("BEGIN IMMEDIATE;\n"
                           "insert into deshopcart (dhdh,op,state) values ('202600000001','','N');\n"
                           "insert into deshopcart_mx (dhdh,tm,sl,sm,yc,zbh,zz,isbn,dj,my,ghbm,ghmc,cbbm,cbmc)"
                           " select '202600000001',tm,10,sm,yc,zbh,zz,isbn,dj,dj*10,ghbm,ghmc,cbbm,cbmc"
                           " from qrydebooks where dj>=0 and tm in (select tm from debooks where ywbc=%1);\n"
                           "COMMIT;\n")
                .arg(sqlLiteral(large)),
            emptyCart);
        char what[96];
        std::snprintf(what, sizeof what, "put a category of %d marked titles into the cart", list.recordCount());
        row(what, titles, t, peer, "< 1 s");
        emptyCart();
    }
}


// --- orders ------------------------------------------------------------------------------

const QString kOperator = QStringLiteral("0007");
const QString kCartNumber = QStringLiteral("202400000042");
const QDate kOrderDay(2024, 9, 2);
constexpr int kCartLines = 5000;
constexpr int kSuppliers = 100;
constexpr int kStoredOrders = 100000;

OrderParties benchParties()
{
    OrderParties p;
    p.ordererNo = QStringLiteral("1001");
    p.ordererName = QStringLiteral("江南理工大学教材中心");
    p.ordererContact = QStringLiteral("周文清");
    p.ordererTel = QStringLiteral("0571-86912345");
    p.consigneeNo = QStringLiteral("1");
    p.consigneeName = QStringLiteral("江南理工大学教材中心");
    p.consigneeContact = QStringLiteral("周文清");
    p.consigneeTel = QStringLiteral("0571-86912345");
    p.consigneeZip = QStringLiteral("310018");
    p.consigneeAddress = QStringLiteral("浙江省杭州市下沙高教园区学源街118号");
    p.consigneeAddress2 = QStringLiteral("图书馆一楼教材科");
    p.payerNo = QStringLiteral("1");
    p.payerName = QStringLiteral("江南理工大学财务处");
    p.payerContact = QStringLiteral("李敏");
    p.payerTel = QStringLiteral("0571-86912000");
    p.remarks = QStringLiteral("秋季学期教材，请于开学前两周到货");
    return p;
}

// A fresh database for the order work beside the catalogue: the schema, and a table holding the
// cart lines every run starts from (5,000 titles of the catalogue spread over 100 suppliers).
QSqlDatabase openOrderDb(const QString &dir, const QString &cataloguePath)
{
    QDir().mkpath(dir + QStringLiteral("/init"));
    QDir().mkpath(dir + QStringLiteral("/bin"));
    QSqlDatabase db = openDb(dir + QStringLiteral("/init/data.mdb"), QStringLiteral("orders"));
    Schema::create(db);
    Sql::exec(db, QStringLiteral("attach database ? as cat"), {cataloguePath});
    Sql::exec(db, QStringLiteral("create table bench_cart as select * from deshopcart_mx where 0"));
    Sql::exec(db,
              QStringLiteral("insert into bench_cart (dhdh,tm,sl,sm,yc,zbh,zz,isbn,dj,my,ghbm,ghmc,cbbm,cbmc)"
                             " select ?,tm,1,sm,yc,zbh,zz,isbn,dj,dj,printf('G%03d',n % ?),"
                             "'华东图书供应第'||printf('%03d',n % ?)||'站',cbbm,cbmc"
                             " from (select b.*,row_number() over (order by tm) as n from cat.debooks b)"
                             " where n <= ?"),
              {kCartNumber, kSuppliers, kSuppliers, kCartLines});
    Sql::exec(db, QStringLiteral("detach database cat"));
    return db;
}

// The state every run of order making starts from: no orders, the batch and order counters
// at 0 for the year, and the operator's cart of 5,000 lines.
void resetOrders(const QSqlDatabase &db)
{
    Sql::Transaction t(db);
    for (const char *table : {"deorder_mx", "deorder", "deshopcart_mx", "deshopcart"})
        Sql::exec(db, QStringLiteral("delete from ") + QLatin1String(table));
    Sql::exec(db, QStringLiteral("delete from parameter where pname in ('OrderBill','order')"));
    for (const char *counter : {"OrderBill", "order"})
        Sql::exec(db,
                  QStringLiteral("insert into parameter (userno,pname,notes,pvalue,idate,len,pformat)"
                                 " values ('0',?,'流水号',0,?,8,'YYYY')"),
                  {QLatin1String(counter), CounterPeriod(QStringLiteral("YYYY"), kOrderDay)});
    Sql::exec(db, QStringLiteral("insert into deshopcart (dhdh,op,state) values (?,?,'N')"), {kCartNumber, kOperator});
    Sql::exec(db, QStringLiteral("insert into deshopcart_mx select * from bench_cart"));
    t.commit();
}

// What MakeOrders runs for one counter number, as sqlite3 statements.
QString counterScript(const QString &counter, const QString &number, int level)
{
    const QString period = CounterPeriod(QStringLiteral("YYYY"), kOrderDay);
    const qint64 value = number.mid(period.size()).toLongLong();
    const QVariantList key = {counter, QStringLiteral("0")};
    QString s = QStringLiteral("SAVEPOINT zd_sp%1;\n").arg(level);
    s += inlined(QStringLiteral("update parameter set pvalue=pvalue where pname=? and userno=?;\n"), key);
    s += inlined(QStringLiteral("select pvalue,idate,len,pformat from parameter where pname=? and userno=?;\n"), key);
    s += inlined(QStringLiteral("update parameter set pvalue=?,idate=? where pname=? and userno=?;\n"),
                 {value, period, counter, QStringLiteral("0")});
    s += QStringLiteral("RELEASE SAVEPOINT zd_sp%1;\n").arg(level);
    return s;
}

// The statements of one run of MakeOrders over the bench cart, in its order and with its values,
// as one sqlite3 transaction.
QString makeOrdersScript(const QSqlDatabase &db, const QList<ConfirmedLine> &confirmed, const MadeOrders &made)
{
    const OrderParties p = benchParties();
    const QString orderDate = kOrderDay.toString(QStringLiteral("yyyy-MM-dd"));
    const QString shippingDate = RequestedShippingDate(kOrderDay).toString(QStringLiteral("yyyy-MM-dd"));
    QString s = QStringLiteral("PRAGMA foreign_keys=ON;\n.output /dev/null\nBEGIN IMMEDIATE;\n");
    s += inlined(QStringLiteral("select dhdh,tm,sm,ghbm,ghmc from qrydeshopcart where op=?;\n"), {kOperator});
    s += inlined(QStringLiteral("select m.tm,m.sm,m.dj,b.tm,b.dj from qrydeshopcart m"
                                " left join qrydebooks b on b.tm=m.tm where m.op=?;\n"),
                 {kOperator});
    QList<QPair<QString, QString>> lines;   // (dhdh, tm) as the cart is read
    {
        QSqlQuery q = Sql::exec(db, QStringLiteral("select dhdh,tm from qrydeshopcart where op=?"), {kOperator});
        while (q.next())
            lines.append({q.value(0).toString(), q.value(1).toString()});
    }
    QHash<QString, qint64> quantityOf;
    for (const ConfirmedLine &c : confirmed)
        quantityOf.insert(c.tm, c.quantity);
    for (const auto &[dhdh, tm] : lines) {
        const qint64 q = quantityOf.value(tm);
        s += inlined(QStringLiteral("update deshopcart_mx set sl=?,my=dj*? where dhdh=? and tm=?;\n"), {q, q, dhdh, tm});
    }
    s += inlined(QStringLiteral("select distinct trim(ghbm) as code from qrydeshopcart where op=? and ghbm is not null order by 1;\n"),
                 {kOperator});
    s += counterScript(QStringLiteral("OrderBill"), made.batchNumber, 2);
    for (const MadeOrder &o : made.orders) {
        s += counterScript(QStringLiteral("order"), o.orderNumber, 2);
        s += inlined(QStringLiteral("insert into deorder (xsfh,xsfm,dhdh,dfdh,dhrq,jsfs,fkfs,dhrh,dhrm,"
                                    "dhlr,dhlh,dhjb,shrh,shrm,shlr,shlh,shdz,shdz2,shyb,fkrh,fkrm,"
                                    "fklr,fklh,fhfs,fhdz,fhrq,bz) values"
                                    " (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);\n"),
                     {o.supplierCode, o.supplierName, o.orderNumber, made.batchNumber, orderDate,
                      p.settlement, p.payment, p.ordererNo, p.ordererName, p.ordererContact,
                      p.ordererTel, p.ordererClerk, p.consigneeNo, p.consigneeName, p.consigneeContact,
                      p.consigneeTel, p.consigneeAddress, p.consigneeAddress2, p.consigneeZip,
                      p.payerNo, p.payerName, p.payerContact, p.payerTel, p.shippingMethod,
                      p.station, shippingDate, p.remarks});
        s += inlined(QStringLiteral("insert into deorder_mx (dhdh,tm,zbh,yc,sm,dj,sl,my,zz,isbn,ghbm,ghmc,"
                                    "cbbm,cbmc) select cast(? as varchar(20)),tm,zbh,yc,sm,dj,sl,dj*sl,zz,"
                                    "isbn,ghbm,ghmc,cbbm,cbmc from qrydeshopcart where op=? and trim(ghbm)=?;\n"),
                     {o.orderNumber, kOperator, o.supplierCode});
    }
    for (const auto &[dhdh, tm] : lines)
        s += inlined(QStringLiteral("delete from deshopcart_mx where dhdh=? and tm=?;\n"), {dhdh, tm});
    s += inlined(QStringLiteral("delete from deshopcart where op=? and not exists"
                                " (select 1 from deshopcart_mx m where m.dhdh=deshopcart.dhdh);\n"),
                 {kOperator});
    s += QStringLiteral("COMMIT;\n");
    return s;
}

// What order making left in the database: the number of orders, rows and cart lines, and a
// digest of every order header and row, so two runs that wrote different values differ.
QString orderState(const QSqlDatabase &db)
{
    QCryptographicHash digest(QCryptographicHash::Sha1);
    for (const char *table : {"deorder", "deorder_mx"}) {
        QSqlQuery q = Sql::exec(db, QStringLiteral("select * from %1 order by dhdh,rowid").arg(QLatin1String(table)));
        while (q.next())
            for (int i = 0; i < q.record().count(); ++i)
                digest.addData(q.value(i).toString().toUtf8() + '\x1f');
    }
    return QStringLiteral("%1 orders, %2 rows, %3 cart lines, digest %4")
        .arg(Sql::scalar(db, QStringLiteral("select count(*) from deorder")).toInt())
        .arg(Sql::scalar(db, QStringLiteral("select count(*) from deorder_mx")).toInt())
        .arg(Sql::scalar(db, QStringLiteral("select count(*) from deshopcart_mx")).toInt())
        .arg(QString::fromLatin1(digest.result().toHex().left(12)));
}

// 100,000 orders of one year, written directly (not through order making) in one transaction.
void storeOrders(const QSqlDatabase &db)
{
    Sql::Transaction t(db);
    Sql::exec(db, QStringLiteral("delete from deorder_mx"));
    Sql::exec(db, QStringLiteral("delete from deorder"));
    Sql::exec(db,
              QStringLiteral("with recursive n(i) as (select 0 union all select i+1 from n where i+1 < ?)"
                             " insert into deorder (dhdh,dhrq,dfdh,xsfh,xsfm,jsfs,fkfs,dhrh,dhrm,dhlr,dhlh,dhjb,"
                             "shrh,shrm,shlr,shlh,shdz,shdz2,shyb,fkrh,fkrm,fklr,fklh,fhfs,fhdz,fhrq,bz,cdcs,sl,my)"
                             " select '2024'||printf('%08d',i+1), d, '2024'||printf('%08d',i/40+1),"
                             " printf('G%03d',i % 100), '华东图书供应第'||printf('%03d',i % 100)||'站',"
                             " '月结','银行转账', printf('%04d',1000+i % 300), '第'||(i % 300)||'高级中学教务处',"
                             " '王老师','0571-8'||printf('%07d',i % 9999991),'',"
                             " '1','第'||(i % 300)||'高级中学教材室','王老师','0571-8'||printf('%07d',i % 9999991),"
                             " '浙江省杭州市西湖区文三路'||(i % 500)||'号','教学楼二楼','310012',"
                             " '1','第'||(i % 300)||'高级中学财务室','李老师','0571-8'||printf('%07d',i % 9999991),"
                             " '','', date(d,'+2 days'), '', i % 3, 50+i % 200, (50+i % 200)*31.5"
                             " from (select i, date('2024-01-01','+'||(i*366/?)||' days') as d from n)"),
              {kStoredOrders, kStoredOrders});
    t.commit();
}

void benchOrders(const QString &cataloguePath, int titles)
{
    QTemporaryDir work;
    {
        QSqlDatabase db = openOrderDb(work.path(), cataloguePath);

        // 1. Order making: the cart of 5,000 lines over 100 suppliers into 100 orders.
        QList<ConfirmedLine> confirmed;
        {
            QSqlQuery q = Sql::exec(db, QStringLiteral("select tm from bench_cart order by tm"));
            for (int i = 0; q.next(); ++i)
                confirmed.append({q.value(0).toString(), 1 + i % 60});
        }
        const OrderParties parties = benchParties();
        MadeOrders made;
        const double ours = timeMs([&] { made = MakeOrders(db, kOperator, parties, confirmed, kOrderDay); }, g_runs,
                                   [&] { resetOrders(db); });
        const QString oursState = orderState(db);
        resetOrders(db);
        const QString script = makeOrdersScript(db, confirmed, made);
        const double peer = sqliteMs(db.databaseName(), script, [&] { resetOrders(db); });
        const QString peerState = orderState(db);
        if (oursState != peerState || made.orders.size() != kSuppliers || made.lineCount != int(confirmed.size()))
            std::fprintf(stderr, "order making: Zhengding left %s (made %lld orders, %d rows); sqlite3 left %s\n",
                         qPrintable(oursState), qlonglong(made.orders.size()), made.lineCount, qPrintable(peerState));
        else
            std::fprintf(stderr, "order making: Zhengding and sqlite3 both left %s\n", qPrintable(oursState));
        char what[96];
        std::snprintf(what, sizeof what, "make orders: %lld cart lines, %d suppliers", qlonglong(confirmed.size()),
                      kSuppliers);
        row(what, titles, ours, peer, "≤ 1.3 × sqlite3, < 1 s");

        // 2. The order query over 100,000 stored orders: one month, then one month and a field.
        storeOrders(db);
        const struct {
            const char *what;
            OrderFilter filter;
        } queries[] = {
            {"order query: one month of %d orders (%d found)", {QDate(2024, 3, 1), QDate(2024, 3, 31), {}, {}, {}}},
            {"  … and 收货人名称 contains a text (%d/%d)",
             {QDate(2024, 3, 1), QDate(2024, 3, 31), QStringLiteral("收货人名称"), QStringLiteral("第12"), {}}},
        };
        for (const auto &query : queries) {
            const BoundStatement stmt = OrderQueryStatement(query.filter);
            DataSet list;
            list.setConnection(db);
            list.setStatement(stmt.text, stmt.values);
            const double t = timeMs([&] { list.open(); });
            const int found = list.recordCount();
            list.close();
            const double p = sqliteMs(db.databaseName(),
                                      QStringLiteral(".output /dev/null\n%1;\n").arg(inlined(stmt.text, stmt.values)));
            char label[128];
            if (query.filter.value.isEmpty())
                std::snprintf(label, sizeof label, query.what, kStoredOrders, found);
            else
                std::snprintf(label, sizeof label, query.what, found, kStoredOrders);
            row(label, titles, t, p, "< 200 ms");
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("orders"));
}

// The check before titles go into the cart: 1,000 ticked titles against 100,000 order rows
// (2,500 orders of 40 rows over 20,000 titles, half dated this year, half last year); half of
// the ticked titles are in the order rows, about half of those in this year's orders.
void benchSeasonOrders()
{
    constexpr int kRows = 100000, kRowsPerOrder = 40, kOrderedTitles = 20000, kTicked = 1000;
    QTemporaryDir work;
    QDir().mkpath(work.path() + QStringLiteral("/init"));
    QDir().mkpath(work.path() + QStringLiteral("/bin"));
    {
        QSqlDatabase db = openDb(work.path() + QStringLiteral("/init/data.mdb"), QStringLiteral("season"));
        Schema::create(db);
        const QDate today = QDate::currentDate();
        {
            Sql::Transaction t(db);
            Sql::exec(db,
                      QStringLiteral("with recursive n(i) as (select 0 union all select i+1 from n where i+1 < ?)"
                                     " insert into deorder (dhdh,dhrq,dfdh) select printf('D%08d',i),"
                                     " case when i % 2 = 0 then ? else ? end, 'B' from n"),
                      {kRows / kRowsPerOrder, QStringLiteral("%1-03-02").arg(today.year()),
                       QStringLiteral("%1-03-02").arg(today.year() - 1)});
            Sql::exec(db,
                      QStringLiteral("with recursive n(i) as (select 0 union all select i+1 from n where i+1 < ?)"
                                     " insert into deorder_mx (dhdh,tm,sm,sl,dj,my) select printf('D%08d',i/?),"
                                     " printf('T%08d',(i*7919) % ?), '书名'||i, 1+i % 50, 20, 20*(1+i % 50) from n"),
                      {kRows, kRowsPerOrder, kOrderedTitles});
            t.commit();
        }
        // Every other ticked title is one of the ordered ones, the others were never ordered.
        QStringList ticked;
        for (int i = 0; i < kTicked; ++i)
            ticked << (i % 2 == 0 ? QStringLiteral("T%1").arg(i * 17 % kOrderedTitles, 8, 10, QLatin1Char('0'))
                                  : QStringLiteral("N%1").arg(i, 8, 10, QLatin1Char('0')));
        QList<SeasonOrders::OrderedLine> found;
        const double ms = timeMs([&] { found = SeasonOrders::find(db, ticked, today); });
        std::fprintf(stderr, "season orders: %lld rows of %lld titles found for %d ticked titles\n",
                     qlonglong(found.size()), qlonglong(SeasonOrders::keysOf(found).size()), kTicked);
        row("ordered this season: 1,000 ticked titles, 100,000 order rows", kTicked, ms, 0, "< 100 ms");
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("season"));
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Zhengding benchmarks over generated catalogues"));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("sizes"), QStringLiteral("Catalogue sizes."), QStringLiteral("N,N,…"), QStringLiteral("10000,100000,300000")});
    parser.addOption({QStringLiteral("cache"), QStringLiteral("Folder for the generated catalogues."), QStringLiteral("DIR"), QDir::tempPath() + QStringLiteral("/zhengding-bench")});
    parser.addOption({QStringLiteral("runs"), QStringLiteral("Runs per measurement (median)."), QStringLiteral("N"), QStringLiteral("3")});
    parser.addOption({QStringLiteral("memory-of"), QStringLiteral("(internal) memory of a 50,000-row list"), QStringLiteral("N")});
    parser.addOption({QStringLiteral("season-orders"), QStringLiteral("Only the check for titles ordered this season.")});
    parser.process(app);
    g_runs = std::max(1, parser.value(QStringLiteral("runs")).toInt());
    // Catalogues made by another version of the generator or the schema are not reused.
    const QString cache = parser.value(QStringLiteral("cache")) + QStringLiteral("/" ZD_CATALOGUE_STAMP);

    if (parser.isSet(QStringLiteral("memory-of"))) {
        benchSize(cache, parser.value(QStringLiteral("memory-of")).toInt(), true);
        return 0;
    }

    std::printf("| measurement | titles | Zhengding | sqlite3 | ratio | goal |\n|---|---|---|---|---|---|\n");
    if (parser.isSet(QStringLiteral("season-orders"))) {
        benchSeasonOrders();
        return 0;
    }
    int orderSource = 0;   // the smallest catalogue that has the titles of the order bench's cart
    for (const QString &s : parser.value(QStringLiteral("sizes")).split(u',')) {
        const int titles = s.toInt();
        if (titles >= kCartLines && (orderSource == 0 || titles < orderSource))
            orderSource = titles;
        benchSize(cache, titles, false);
        if (titles >= 50000) {
            // Memory in a fresh process, so nothing else the run allocated is counted.
            QProcess p;
            p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--cache"), parser.value(QStringLiteral("cache")), QStringLiteral("--memory-of"), s});
            p.waitForFinished(-1);
            std::printf("| %-52s | %7d | %9s MB | %12s | %7s | %s |\n", "memory held by a 50,000-row browse list", titles,
                        p.readAllStandardOutput().trimmed().constData(), "—", "—", "< 150 MB");
        }
    }
    if (orderSource > 0)
        benchOrders(catalogue(cache, orderSource), orderSource);
    else
        std::fprintf(stderr, "order benchmarks skipped: they need a catalogue of at least %d titles\n", kCartLines);
    benchSeasonOrders();
    return 0;
}
