#include "temp_tree.h"

#include "common/program_paths.h"
#include "data/connection.h"
#include "data/schema.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <stdexcept>

TempTree::TempTree()
{
    QDir(m_dir.path()).mkpath(QStringLiteral("bin"));
    QDir(m_dir.path()).mkpath(QStringLiteral("init"));
    ProgramPaths::setProgramFolder(bin());
}

TempTree::~TempTree()
{
    for (const QString &name : m_connections) {
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
    ProgramPaths::setProgramFolder(QString());
}

void TempTree::writeConfig(const QByteArray &bytes) const
{
    writeFile(QStringLiteral("bin/syscfg.dbm"), bytes);
}

void TempTree::writeFile(const QString &relative, const QByteArray &bytes) const
{
    const QString full = path(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile f(full);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file");
}

void TempTree::copyFromDist(const QString &relative) const
{
    const QString source = QStringLiteral(ZD_SOURCE_DIR "/dist/") + relative;
    const QFileInfo info(source);
    if (info.isDir()) {
        const auto entries = QDir(source).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &entry : entries)
            copyFromDist(relative + u'/' + entry);
        return;
    }
    QFile f(source);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("missing dist file " + source.toStdString());
    writeFile(relative, f.readAll());
}

QSqlDatabase TempTree::createDatabase()
{
    static int counter = 0;
    const QString name = QStringLiteral("test_db_%1").arg(++counter);
    ConnectionConfig config;
    config.kind = QStringLiteral("Oledb40");
    QString error;
    QSqlDatabase db = Connection::openForCreate(config, name, &error);
    if (!db.isOpen())
        throw std::runtime_error(error.toStdString());
    m_connections << name;
    Schema::create(db);
    return db;
}
