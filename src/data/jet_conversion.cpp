#include "data/jet_conversion.h"

#include "common/app_error.h"
#include "data/jet_reader.h"
#include "data/sql_helper.h"
#include "data/sqlite_collation.h"
#include "data/sqlite_desks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QTemporaryFile>

namespace JetConversion {
namespace {

// Removes a file on scope exit unless released.
class RemoveOnExit {
public:
    explicit RemoveOnExit(QString path) : m_path(std::move(path)) {}
    ~RemoveOnExit()
    {
        if (m_path.isEmpty())
            return;
        QFile::remove(m_path);
        QFile::remove(m_path + QStringLiteral("-journal"));
        QFile::remove(SqliteDesks::turnFilePath(m_path));
    }
    void release() { m_path.clear(); }

private:
    QString m_path;
};

void importInto(const QString &sqlitePath, const QString &jetPath,
                const JetImport::Progress &progress, JetImport::Report *report)
{
    static int counter = 0;
    const QString name = QStringLiteral("zd_jet_conversion_%1").arg(++counter);
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(sqlitePath);
        if (!db.open()) {
            failure = Sql::errorText(db);
        } else {
            SqliteCollation::installPinyin(db);
            try {
                *report = JetImport::importCatalogue(db, jetPath, progress);
            } catch (const AppError &e) {
                failure = e.text();
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.isEmpty())
        throw AppError(failure);
}

} // namespace

QString asideName(const QString &path, const QDate &day)
{
    const QFileInfo info(path);
    const QString base = info.absolutePath() + u'/' + info.completeBaseName() + QStringLiteral("-jet-")
                         + day.toString(QStringLiteral("yyyyMMdd"));
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    QString candidate = base + suffix;
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = base + u'-' + QString::number(n) + suffix;
    return candidate;
}

Result convert(const QString &path, const JetImport::Progress &progress, const QDate &day)
{
    const QFileInfo info(path);
    const QString target = info.absoluteFilePath();
    // Proves the file readable before anything is written.
    { const Jet::Reader check(target); }

    QString partial;
    {
        QTemporaryFile temp(info.absolutePath() + QStringLiteral("/.") + info.fileName()
                            + QStringLiteral(".converting-XXXXXX"));
        temp.setAutoRemove(false);
        if (!temp.open())
            throw AppError(QStringLiteral("无法在 %1 中写新数据库文件：%2")
                               .arg(info.absolutePath(), temp.errorString()));
        partial = temp.fileName();
    }
    RemoveOnExit cleanup(partial);
    Result result;
    importInto(partial, target, progress, &result.report);
    // The new file's sidecars belong to its temporary name: none stays behind.
    QFile::remove(partial + QStringLiteral("-journal"));
    QFile::remove(SqliteDesks::turnFilePath(partial));

    result.asidePath = asideName(target, day);
    if (!QFile::rename(target, result.asidePath))
        throw AppError(QStringLiteral("无法把 %1 改名为 %2，没有改动。").arg(target, result.asidePath));
    if (!QFile::rename(partial, target)) {
        QFile::rename(result.asidePath, target);
        throw AppError(QStringLiteral("无法把转换好的数据库放到 %1，原文件没有改动。").arg(target));
    }
    cleanup.release();
    return result;
}

QString questionText(const QString &path, const QString &signature, const QString &aside)
{
    return QStringLiteral("数据库文件是供货商提供的 Access/Jet 数据库（%2）：\n%1\n"
                          "本程序使用 SQLite 数据库。现在把其中的征订目录转换为本程序的数据库吗？\n"
                          "原文件将改名保存为 %3，不会删除。")
        .arg(path, signature, QFileInfo(aside).fileName());
}

Outcome offer(Prompter &prompter, const QString &path, const QString &signature,
              const JetImport::Progress &progress, QString *error)
{
    if (!prompter.askYesNo(questionText(path, signature, asideName(path, QDate::currentDate()))))
        return Outcome::Declined;
    try {
        const Result result = convert(path, progress);
        prompter.info(QStringLiteral("已把 Access/Jet 目录转换为本程序的数据库：%1 种书目，共导入 %2 行，拒收 %3 行。\n"
                                     "原文件已改名保存为 %4。")
                          .arg(result.report.taken(QStringLiteral("debooks")))
                          .arg(result.report.rowsTaken())
                          .arg(result.report.rowsRefused())
                          .arg(result.asidePath));
        return Outcome::Converted;
    } catch (const AppError &e) {
        if (error)
            *error = e.text();
        return Outcome::Failed;
    }
}

} // namespace JetConversion
