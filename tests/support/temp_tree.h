#pragma once
// A throw-away runtime tree for a test: <tmp>/bin (the program folder) and <tmp>/init,
// with a syscfg.dbm written from text. The program folder points at it while it lives.
#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>

class TempTree {
public:
    TempTree();
    ~TempTree();

    QString root() const { return m_dir.path(); }
    QString bin() const { return m_dir.path() + QStringLiteral("/bin/"); }
    QString path(const QString &relative) const { return m_dir.path() + u'/' + relative; }

    // Writes bin/syscfg.dbm as the given bytes (use Gbk::encode for GBK text).
    void writeConfig(const QByteArray &bytes) const;
    void writeFile(const QString &relative, const QByteArray &bytes) const;
    // Copies a file or folder of the project's dist/ tree into the same place here.
    void copyFromDist(const QString &relative) const;

    // Creates init/data.mdb with the full schema and opens it under a fresh connection name.
    QSqlDatabase createDatabase();

private:
    QTemporaryDir m_dir;
    QStringList m_connections;
};
