#include "data/jet_reader.h"

#include "common/app_error.h"

#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <vector>

#include <mdbtools.h>

namespace Jet {
namespace {

// The largest value one field may hold, in UTF-8 bytes. A Memo typed into Access stops at
// 65,535 characters (196 KB in UTF-8); a longer one is refused rather than cut.
constexpr size_t BindSize = 1024 * 1024;

QString damaged(const QString &path, const QString &why)
{
    return QStringLiteral("Access/Jet 数据库文件 %1 已损坏或不完整：%2").arg(path, why);
}

} // namespace

QString signatureOf(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = f.read(32);
    if (head.contains("Standard Jet DB"))
        return QStringLiteral("Standard Jet DB");
    if (head.contains("Standard ACE DB"))
        return QStringLiteral("Standard ACE DB");
    return {};
}

QString typeName(int type)
{
    switch (type) {
    case Bool: return QStringLiteral("Yes/No");
    case Byte: return QStringLiteral("Byte");
    case Int: return QStringLiteral("Integer");
    case LongInt: return QStringLiteral("Long Integer");
    case Money: return QStringLiteral("Currency");
    case Float: return QStringLiteral("Single");
    case Double: return QStringLiteral("Double");
    case DateTime: return QStringLiteral("Date/Time");
    case Binary: return QStringLiteral("Binary");
    case Text: return QStringLiteral("Text");
    case Ole: return QStringLiteral("OLE Object");
    case Memo: return QStringLiteral("Memo");
    case RepId: return QStringLiteral("Replication ID");
    case Numeric: return QStringLiteral("Numeric");
    case Complex: return QStringLiteral("Attachment");
    default: return QStringLiteral("type %1").arg(type);
    }
}

bool isReadable(int type)
{
    switch (type) {
    case Bool: case Byte: case Int: case LongInt: case Money: case Float: case Double:
    case DateTime: case Text: case Memo: case Numeric:
        return true;
    default:
        return false;
    }
}

struct Reader::Handle {
    MdbHandle *mdb = nullptr;
    ~Handle()
    {
        if (mdb)
            mdb_close(mdb);
    }
    MdbCatalogEntry *entry(const QString &name) const
    {
        for (unsigned i = 0; i < mdb->num_catalog; ++i) {
            auto *e = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
            if (e->object_type == MDB_TABLE && mdb_is_user_table(e)
                && QString::fromUtf8(e->object_name) == name)
                return e;
        }
        return nullptr;
    }
};

// The definition of a table, freed whatever happens while it is read.
struct TableDef {
    MdbTableDef *def = nullptr;
    explicit TableDef(MdbCatalogEntry *entry) : def(mdb_read_table(entry))
    {
        if (def && !mdb_read_columns(def)) {
            mdb_free_tabledef(def);
            def = nullptr;
        }
    }
    ~TableDef()
    {
        if (def)
            mdb_free_tabledef(def);
    }
    TableDef(const TableDef &) = delete;
    TableDef &operator=(const TableDef &) = delete;
};

Reader::Reader(const QString &path)
    : m_path(QFileInfo(path).absoluteFilePath()), m_handle(std::make_unique<Handle>())
{
    const QFileInfo info(m_path);
    if (!info.isFile())
        throw AppError(QStringLiteral("找不到文件：%1").arg(m_path));
    const QString signature = signatureOf(m_path);
    if (signature.isEmpty())
        throw AppError(QStringLiteral("%1 不是 Access/Jet 数据库文件（文件头中没有“Standard Jet DB”或“Standard ACE DB”）")
                           .arg(m_path));
    // libmdb converts text to the charset named here; Jet 3 files store a code page, which
    // for a Chinese catalogue is GBK.
    qputenv("MDBICONV", "UTF-8");
    if (qEnvironmentVariableIsEmpty("MDB_JET3_CHARSET"))
        qputenv("MDB_JET3_CHARSET", "CP936");
    m_handle->mdb = mdb_open(QFile::encodeName(m_path).constData(), MDB_NOFLAGS);
    if (!m_handle->mdb)
        throw AppError(damaged(m_path, QStringLiteral("无法读取文件头（%1）").arg(signature)));
    MdbHandle *mdb = m_handle->mdb;
    const qint64 pageSize = mdb->fmt->pg_size;
    if (info.size() < 3 * pageSize || info.size() % pageSize != 0)
        throw AppError(damaged(m_path, QStringLiteral("文件长 %1 字节，不是整数个 %2 字节的页")
                                           .arg(info.size())
                                           .arg(pageSize)));
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        throw AppError(damaged(m_path, QStringLiteral("读不出表目录（MSysObjects）")));
    mdb_set_bind_size(mdb, BindSize);
    mdb_set_date_fmt(mdb, "%Y-%m-%d %H:%M:%S");
    mdb_set_shortdate_fmt(mdb, "%Y-%m-%d %H:%M:%S");
    mdb_set_boolean_fmt_numbers(mdb);
}

Reader::~Reader() = default;

QString Reader::versionName() const
{
    switch (m_handle->mdb->f->jet_version) {
    case MDB_VER_JET3: return QStringLiteral("Jet 3");
    case MDB_VER_JET4: return QStringLiteral("Jet 4");
    case MDB_VER_ACCDB_2007: return QStringLiteral("ACE 12");
    case MDB_VER_ACCDB_2010: return QStringLiteral("ACE 14");
    case MDB_VER_ACCDB_2013: return QStringLiteral("ACE 15");
    case MDB_VER_ACCDB_2016: return QStringLiteral("ACE 16");
    default: return QStringLiteral("ACE 17");
    }
}

QStringList Reader::tableNames() const
{
    QStringList names;
    MdbHandle *mdb = m_handle->mdb;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto *e = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (e->object_type == MDB_TABLE && mdb_is_user_table(e))
            names << QString::fromUtf8(e->object_name);
    }
    return names;
}

Table Reader::table(const QString &name) const
{
    MdbCatalogEntry *entry = m_handle->entry(name);
    if (!entry)
        throw AppError(QStringLiteral("%1 中没有表 %2").arg(m_path, name));
    TableDef t(entry);
    if (!t.def)
        throw AppError(damaged(m_path, QStringLiteral("读不出表 %1 的定义").arg(name)));
    Table out;
    out.name = name;
    out.rows = t.def->num_rows;
    for (unsigned i = 0; i < t.def->num_cols; ++i) {
        auto *c = static_cast<MdbColumn *>(g_ptr_array_index(t.def->columns, i));
        out.columns.append({QString::fromUtf8(c->name), c->col_type, c->col_size, c->col_prec,
                            c->col_scale});
    }
    return out;
}

qint64 Reader::readRows(const QString &name, const RowSink &sink) const
{
    MdbCatalogEntry *entry = m_handle->entry(name);
    if (!entry)
        throw AppError(QStringLiteral("%1 中没有表 %2").arg(m_path, name));
    TableDef t(entry);
    if (!t.def)
        throw AppError(damaged(m_path, QStringLiteral("读不出表 %1 的定义").arg(name)));
    const unsigned columns = t.def->num_cols;
    std::vector<std::vector<char>> buffers(columns, std::vector<char>(BindSize + 1, '\0'));
    std::vector<int> lengths(columns, 0);
    std::vector<bool> readable(columns, false);
    for (unsigned i = 0; i < columns; ++i) {
        auto *c = static_cast<MdbColumn *>(g_ptr_array_index(t.def->columns, i));
        readable[i] = isReadable(c->col_type);
        mdb_bind_column(t.def, int(i) + 1, buffers[i].data(), &lengths[i]);
    }
    mdb_rewind_table(t.def);
    qint64 count = 0;
    QStringList values;
    values.reserve(columns);
    while (mdb_fetch_row(t.def)) {
        values.clear();
        for (unsigned i = 0; i < columns; ++i) {
            if (!readable[i] || lengths[i] <= 0) {
                values.append(QString());
                continue;
            }
            if (size_t(lengths[i]) >= BindSize - 1)
                throw AppError(QStringLiteral("表 %1 第 %2 行第 %3 列的值超过 %4 字节，无法读取")
                                   .arg(name)
                                   .arg(count + 1)
                                   .arg(i + 1)
                                   .arg(BindSize));
            values.append(QString::fromUtf8(buffers[i].data(), lengths[i]));
        }
        ++count;
        sink(values);
    }
    if (count != qint64(t.def->num_rows))
        throw AppError(damaged(m_path, QStringLiteral("表 %1 应有 %2 行，只读出 %3 行")
                                           .arg(name)
                                           .arg(t.def->num_rows)
                                           .arg(count)));
    return count;
}

} // namespace Jet
