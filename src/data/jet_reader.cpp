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

quint32 le32(const uchar *p)
{
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

quint16 le16(const uchar *p)
{
    return quint16(p[0] | p[1] << 8);
}

// libmdb reads a Memo whose long-value pages are missing as a shorter text without a word.
// Its pages are followed here, straight from the file: every page must exist, be a long-value
// page and hold the row the pointer names, and the pieces must add up to the stored length.
// Returns the reason when they do not.
QString checkLongValue(QFile &file, qint64 pageSize, const uchar *header)
{
    const quint32 word = le32(header);
    if (word & 0x80000000u)
        return {};   // stored in the row itself
    const quint32 length = word & 0x3fffffffu;
    quint32 pointer = le32(header + 4);
    const bool single = word & 0x40000000u;
    quint64 found = 0;
    const qint64 pages = file.size() / pageSize;
    for (int hops = 0; pointer >> 8; ++hops) {
        const qint64 page = pointer >> 8;
        const int row = int(pointer & 0xff);
        if (page >= pages)
            return QStringLiteral("长文本所在的第 %1 页超出了文件末尾").arg(page);
        if (hops > 1000000 || !file.seek(page * pageSize))
            return QStringLiteral("长文本的页链有误");
        const QByteArray bytes = file.read(pageSize);
        const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
        if (bytes.size() != pageSize || p[0] != 0x01 || bytes.mid(4, 4) != "LVAL")
            return QStringLiteral("第 %1 页不是长文本页").arg(page);
        const int rows = le16(p + 0x0c);
        if (row >= rows)
            return QStringLiteral("第 %1 页没有第 %2 行").arg(page).arg(row);
        const int start = le16(p + 0x0e + 2 * row) & 0x1fff;
        const int end = row == 0 ? int(pageSize) : (le16(p + 0x0e + 2 * (row - 1)) & 0x1fff);
        if (start >= end || end > pageSize)
            return QStringLiteral("第 %1 页的行位置有误").arg(page);
        if (single) {
            found = quint64(end - start);
            break;
        }
        if (end - start < 4)
            return QStringLiteral("第 %1 页的行太短").arg(page);
        found += quint64(end - start - 4);
        pointer = le32(p + start);
    }
    if (found < length)
        return QStringLiteral("长文本应有 %1 字节，只找到 %2 字节").arg(length).arg(found);
    return {};
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

// The definition of a table with its columns, freed whatever happens while it is read. A table
// the file lacks, or one whose definition cannot be read, throws.
struct TableDef {
    MdbTableDef *def = nullptr;
    TableDef(MdbCatalogEntry *entry, const QString &path, const QString &name)
    {
        if (!entry)
            throw AppError(QStringLiteral("%1 中没有表 %2").arg(path, name));
        def = mdb_read_table(entry);
        if (def && !mdb_read_columns(def)) {
            mdb_free_tabledef(def);
            def = nullptr;
        }
        if (!def)
            throw AppError(damaged(path, QStringLiteral("读不出表 %1 的定义").arg(name)));
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
    const TableDef t(m_handle->entry(name), m_path, name);
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
    const TableDef t(m_handle->entry(name), m_path, name);
    const unsigned columns = t.def->num_cols;
    std::vector<std::vector<char>> buffers(columns, std::vector<char>(BindSize + 1, '\0'));
    std::vector<int> lengths(columns, 0);
    std::vector<bool> readable(columns, false);
    std::vector<MdbColumn *> longValues;
    for (unsigned i = 0; i < columns; ++i) {
        auto *c = static_cast<MdbColumn *>(g_ptr_array_index(t.def->columns, i));
        readable[i] = isReadable(c->col_type);
        if (c->col_type == MDB_MEMO || c->col_type == MDB_OLE)
            longValues.push_back(c);
        mdb_bind_column(t.def, int(i) + 1, buffers[i].data(), &lengths[i]);
    }
    QFile file(m_path);
    if (!longValues.empty() && !file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("无法读取 %1：%2").arg(m_path, file.errorString()));
    MdbHandle *mdb = m_handle->mdb;
    mdb_rewind_table(t.def);
    qint64 count = 0;
    QStringList values;
    values.reserve(columns);
    while (mdb_fetch_row(t.def)) {
        // The current row's page is in the handle's buffer; a long value's 12-byte head is in it.
        for (MdbColumn *c : longValues) {
            if (c->cur_value_len < 12 || c->cur_value_start + 12 > int(sizeof mdb->pg_buf))
                continue;
            const QString why = checkLongValue(file, mdb->fmt->pg_size, mdb->pg_buf + c->cur_value_start);
            if (!why.isEmpty())
                throw AppError(damaged(m_path, QStringLiteral("表 %1 第 %2 行的列 %3：%4")
                                                   .arg(name)
                                                   .arg(count + 1)
                                                   .arg(QString::fromUtf8(c->name), why)));
        }
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
