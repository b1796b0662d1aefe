#include "data/dataset.h"

#include "common/app_error.h"
#include "common/pinyin_collator.h"
#include "data/column_store.h"
#include "data/number_text.h"
#include "data/sort_text_reader.h"
#include "data/sql_helper.h"
#include "data/sqlite_reader.h"

#include <QHash>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <numeric>
#include <optional>

namespace {

constexpr qsizetype MemoLength = 255;

FieldType fieldTypeOf(const ColumnStore &c, int declaredType)
{
    switch (c.kind()) {
    case ColumnStore::Kind::Text:
        return c.longestText() > MemoLength ? FieldType::Memo : FieldType::Text;
    case ColumnStore::Kind::Integer: return FieldType::Integer;
    case ColumnStore::Kind::Decimal: return FieldType::Decimal;
    case ColumnStore::Kind::Other:
    case ColumnStore::Kind::Undecided: break;
    }
    if (declaredType == QMetaType::QDate || declaredType == QMetaType::QDateTime
        || declaredType == QMetaType::QTime)
        return FieldType::Date;
    if (declaredType == QMetaType::Bool)
        return FieldType::Boolean;
    return FieldType::Text;
}

// Stable counting sort of `order` by rank[storage row] (ranks 0..maxRank).
void countingSort(std::vector<quint32> &order, const std::vector<quint32> &rank, quint32 maxRank,
                  bool descending)
{
    std::vector<quint32> count(size_t(maxRank) + 2, 0);
    auto key = [&](quint32 s) { return descending ? maxRank - rank[s] : rank[s]; };
    for (quint32 s : order)
        ++count[key(s) + 1];
    std::partial_sum(count.begin(), count.end(), count.begin());
    std::vector<quint32> out(order.size());
    for (quint32 s : order)
        out[count[key(s)]++] = s;
    order.swap(out);
}

struct Preset {
    QString caption;
    QString displayFormat;
    int displayWidth = 0;
    std::optional<bool> visible;
    std::optional<bool> readOnly;
};

struct Calculated {
    QString name;
    QString caption;
    DataSet::Calculator calc;
};

struct FieldSlot {
    FieldDef def;
    int column = -1;       // index into the stored columns, or -1 for a calculated field
    int calculated = -1;   // index into the calculated fields
};

struct SortTerm {
    int field;
    bool descending;
};

} // namespace

struct DataSet::Impl {
    QSqlDatabase db;
    QString statement;
    QVariantList values;
    QList<QPair<QString, QVariant>> params;

    QHash<QString, Preset> presets;   // by lower-case name
    std::vector<Calculated> calculated;
    QHash<QString, ChangeHook> hooks;   // by lower-case name

    bool open = false;
    std::vector<FieldSlot> fields;
    std::vector<ColumnStore> columns;
    std::vector<quint32> order;   // row position -> storage row
    int current = -1;
    QString sortText;
    int disabled = 0;
    std::optional<PinyinCollator> collator;   // made at the first sort

    size_t storageRow(int row) const { return order[size_t(row)]; }

    // Rows are mostly read in order (a grid painting, an export, a search), and in a sorted
    // list the rows that follow lie anywhere in memory: a read prepares the same field's
    // reads a few rows ahead.
    void readAhead(const ColumnStore &column, int row) const
    {
        const size_t r = size_t(row);
        const size_t n = order.size();
        auto at = [&](size_t ahead) { return r + ahead < n ? order[r + ahead] : size_t(-1); };
        column.prefetch(at(24), at(12), at(4));
    }
    bool validRow(int row) const { return open && row >= 0 && size_t(row) < order.size(); }

    void applyPreset(FieldDef &def) const
    {
        const auto it = presets.constFind(def.name.toLower());
        if (it == presets.constEnd())
            return;
        if (!it->caption.isEmpty())
            def.caption = it->caption;
        def.displayFormat = it->displayFormat;
        def.displayWidth = it->displayWidth;
        if (it->visible)
            def.visible = *it->visible;
        if (it->readOnly)
            def.readOnly = *it->readOnly;
    }

    // What the user or a window changed on the fields survives the next open.
    void keepFieldSetUp()
    {
        for (const FieldSlot &slot : fields) {
            Preset &p = presets[slot.def.name.toLower()];
            if (slot.def.caption != slot.def.name)
                p.caption = slot.def.caption;
            p.displayFormat = slot.def.displayFormat;
            p.displayWidth = slot.def.displayWidth;
            p.visible = slot.def.visible;
            p.readOnly = slot.def.readOnly;
        }
    }

    void addCalculatedSlot(int index)
    {
        FieldSlot slot;
        slot.calculated = index;
        slot.def.name = calculated[size_t(index)].name;
        slot.def.caption = calculated[size_t(index)].caption.isEmpty()
            ? slot.def.name : calculated[size_t(index)].caption;
        slot.def.calculated = true;
        applyPreset(slot.def);
        fields.push_back(std::move(slot));
    }
};

namespace {

// The placeholders ":name" of a statement, outside quoted text, as they are written.
QStringList placeholders(const QString &text)
{
    static const QRegularExpression re(
        QStringLiteral(R"('(?:[^']|'')*'|"[^"]*"|(?<![:\w]):([A-Za-z_]\w*))"));
    QStringList names;
    auto it = re.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        if (m.hasCaptured(1) && !names.contains(m.captured(1)))
            names << m.captured(1);
    }
    return names;
}

QString bare(const QString &name)
{
    return name.startsWith(u':') ? name.mid(1) : name;
}

} // namespace

DataSet::DataSet(QObject *parent) : QObject(parent), d(std::make_unique<Impl>()) {}

DataSet::~DataSet() = default;

// ---- statement --------------------------------------------------------------------------

void DataSet::setConnection(const QSqlDatabase &db) { d->db = db; }
QSqlDatabase DataSet::connection() const { return d->db; }

void DataSet::setStatement(const QString &text, const QVariantList &values)
{
    d->statement = text;
    d->values = values;
    d->params.clear();
}

QString DataSet::statement() const { return d->statement; }

void DataSet::setParam(const QString &name, const QVariant &value)
{
    const QString key = bare(name);
    for (auto &[n, v] : d->params) {
        if (n.compare(key, Qt::CaseInsensitive) == 0) {
            v = value;
            return;
        }
    }
    d->params.append({key, value});
}

// ---- field set-up -------------------------------------------------------------------------

void DataSet::defineField(const QString &name, const QString &caption,
                          const QString &displayFormat, int displayWidth)
{
    Preset &p = d->presets[name.toLower()];
    p.caption = caption;
    p.displayFormat = displayFormat;
    p.displayWidth = displayWidth;
    const int i = fieldIndex(name);
    if (i >= 0) {
        FieldDef &def = d->fields[size_t(i)].def;
        def.caption = caption.isEmpty() ? def.name : caption;
        def.displayFormat = displayFormat;
        def.displayWidth = displayWidth;
    }
}

void DataSet::addCalculatedField(const QString &name, const QString &caption, Calculator calc)
{
    d->calculated.push_back({name, caption, std::move(calc)});
    if (d->open)
        d->addCalculatedSlot(int(d->calculated.size() - 1));
}

void DataSet::setChangeHook(const QString &field, ChangeHook hook)
{
    d->hooks.insert(field.toLower(), std::move(hook));
}

// ---- open/close ---------------------------------------------------------------------------

void DataSet::open()
{
    if (d->open)
        close();
    if (!d->db.isValid() || !d->db.isOpen())
        throw AppError(QStringLiteral("数据集没有可用的数据库连接"));

    QSqlQuery q(d->db);
    q.setForwardOnly(true);
    if (!q.prepare(d->statement))
        throw AppError(Sql::errorText(q));
    if (!d->values.isEmpty()) {
        for (const QVariant &v : std::as_const(d->values))
            q.addBindValue(v);
    } else {
        // A named value that was not set is null.
        for (const QString &name : placeholders(d->statement)) {
            QVariant value;
            for (const auto &[n, v] : std::as_const(d->params))
                if (n.compare(name, Qt::CaseInsensitive) == 0)
                    value = v;
            q.bindValue(u':' + name, value);
        }
    }
    if (!q.exec())
        throw AppError(Sql::errorText(q));
    if (!q.isSelect())
        throw AppError(QStringLiteral("语句没有返回数据：%1").arg(d->statement.simplified()));

    const QSqlRecord record = q.record();
    const int n = record.count();
    std::vector<ColumnStore> columns;
    std::vector<int> declared;
    columns.reserve(size_t(n));
    for (int c = 0; c < n; ++c) {
        declared.push_back(record.field(c).metaType().id());
        columns.emplace_back(declared.back());
    }
    size_t rows = 0;
    if (SqliteReader::canRead(q)) {
        rows = SqliteReader::readAll(q, columns);
    } else {
        while (q.next()) {
            for (int c = 0; c < n; ++c)
                columns[size_t(c)].append(q.value(c));
            ++rows;
            for (ColumnStore &c : columns)
                c.rowsLoaded(rows);
        }
        if (q.lastError().isValid())
            throw AppError(Sql::errorText(q));
    }
    for (ColumnStore &c : columns)
        c.finishLoading();

    std::vector<FieldSlot> fields;
    fields.reserve(size_t(n) + d->calculated.size());
    for (int c = 0; c < n; ++c) {
        FieldSlot slot;
        slot.column = c;
        slot.def.name = record.fieldName(c);
        slot.def.caption = slot.def.name;
        slot.def.type = fieldTypeOf(columns[size_t(c)], declared[size_t(c)]);
        d->applyPreset(slot.def);
        fields.push_back(std::move(slot));
    }

    d->columns = std::move(columns);
    d->fields = std::move(fields);
    for (size_t i = 0; i < d->calculated.size(); ++i)
        d->addCalculatedSlot(int(i));
    d->order.resize(rows);
    std::iota(d->order.begin(), d->order.end(), 0u);
    d->sortText.clear();
    d->open = true;
    d->current = rows > 0 ? 0 : -1;
    emit opened();
    if (d->current >= 0 && !d->disabled)
        emit currentRowChanged(d->current);
}

void DataSet::close()
{
    if (!d->open)
        return;
    d->keepFieldSetUp();
    d->open = false;
    d->fields.clear();
    std::vector<ColumnStore>().swap(d->columns);
    std::vector<quint32>().swap(d->order);
    d->current = -1;
    d->sortText.clear();
    emit closed();
}

void DataSet::refresh()
{
    close();
    open();
}

bool DataSet::isOpen() const { return d->open; }
int DataSet::recordCount() const { return d->open ? int(d->order.size()) : 0; }

// ---- fields -------------------------------------------------------------------------------

int DataSet::fieldCount() const { return int(d->fields.size()); }
const FieldDef &DataSet::field(int index) const { return d->fields.at(size_t(index)).def; }
FieldDef &DataSet::field(int index) { return d->fields.at(size_t(index)).def; }

int DataSet::fieldIndex(const QString &name) const
{
    for (size_t i = 0; i < d->fields.size(); ++i)
        if (d->fields[i].def.name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

void DataSet::setFieldVisible(const QString &name, bool visible)
{
    d->presets[name.toLower()].visible = visible;
    const int i = fieldIndex(name);
    if (i >= 0)
        d->fields[size_t(i)].def.visible = visible;
}

// ---- values -------------------------------------------------------------------------------

namespace {

int requireField(const DataSet &ds, const QString &name)
{
    const int i = ds.fieldIndex(name);
    if (i < 0 && ds.isOpen())
        throw AppError(QStringLiteral("数据集中没有字段“%1”").arg(name));
    return i;
}

} // namespace

QVariant DataSet::value(int row, int fieldIndex) const
{
    if (!d->validRow(row) || fieldIndex < 0 || size_t(fieldIndex) >= d->fields.size())
        return QVariant();
    const FieldSlot &slot = d->fields[size_t(fieldIndex)];
    if (slot.column < 0)
        return d->calculated[size_t(slot.calculated)].calc(*this, row);
    return d->columns[size_t(slot.column)].value(d->storageRow(row));
}

QVariant DataSet::value(int row, const QString &name) const
{
    return value(row, requireField(*this, name));
}

bool DataSet::isNull(int row, int fieldIndex) const
{
    if (!d->validRow(row) || fieldIndex < 0 || size_t(fieldIndex) >= d->fields.size())
        return true;
    const FieldSlot &slot = d->fields[size_t(fieldIndex)];
    if (slot.column < 0)
        return value(row, fieldIndex).isNull();
    return d->columns[size_t(slot.column)].isNull(d->storageRow(row));
}

bool DataSet::isNull(int row, const QString &name) const
{
    return isNull(row, requireField(*this, name));
}

QString DataSet::text(int row, int fieldIndex) const
{
    if (!d->validRow(row) || fieldIndex < 0 || size_t(fieldIndex) >= d->fields.size())
        return QString();
    const FieldSlot &slot = d->fields[size_t(fieldIndex)];
    if (slot.column < 0)
        return NumberText::plainValue(value(row, fieldIndex));
    const ColumnStore &column = d->columns[size_t(slot.column)];
    d->readAhead(column, row);
    return column.text(d->storageRow(row));
}

QString DataSet::text(int row, const QString &name) const
{
    return text(row, requireField(*this, name));
}

QString DataSet::displayText(int row, int fieldIndex) const
{
    if (fieldIndex < 0 || size_t(fieldIndex) >= d->fields.size())
        return QString();
    const FieldDef &def = d->fields[size_t(fieldIndex)].def;
    const bool numeric = def.type == FieldType::Integer || def.type == FieldType::Decimal;
    if (!numeric || def.displayFormat.isEmpty())
        return text(row, fieldIndex);
    return formatNumber(value(row, fieldIndex), def.displayFormat);
}

QVariant DataSet::currentValue(const QString &name) const { return value(d->current, name); }
QString DataSet::currentText(const QString &name) const { return text(d->current, name); }

void DataSet::setValue(int row, const QString &name, const QVariant &value)
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw AppError(QStringLiteral("数据集中没有字段“%1”").arg(name));
    const FieldSlot &slot = d->fields[size_t(i)];
    if (slot.column < 0)
        throw AppError(QStringLiteral("字段“%1”是计算字段，不能修改").arg(slot.def.name));
    if (!d->validRow(row))
        throw AppError(QStringLiteral("没有可以修改的记录"));
    ColumnStore &c = d->columns[size_t(slot.column)];
    c.set(d->storageRow(row), value);
    if (c.kind() == ColumnStore::Kind::Decimal && slot.def.type == FieldType::Integer)
        d->fields[size_t(i)].def.type = FieldType::Decimal;
    const auto hook = d->hooks.constFind(name.toLower());
    if (hook != d->hooks.constEnd() && *hook)
        (*hook)(*this, row);
    emit valueChanged(row, i);
}

// ---- cursor -------------------------------------------------------------------------------

int DataSet::currentRow() const { return d->current; }

void DataSet::setCurrentRow(int row)
{
    if (!d->open || d->order.empty())
        return;
    row = std::clamp(row, 0, int(d->order.size()) - 1);
    if (row == d->current)
        return;
    d->current = row;
    if (!d->disabled)
        emit currentRowChanged(row);
}

void DataSet::first() { setCurrentRow(0); }
void DataSet::prior() { setCurrentRow(d->current - 1); }
void DataSet::next() { setCurrentRow(d->current + 1); }
void DataSet::last() { setCurrentRow(recordCount() - 1); }
bool DataSet::atFirst() const { return d->current <= 0; }
bool DataSet::atLast() const { return d->current < 0 || d->current == recordCount() - 1; }

bool DataSet::locate(const QString &field, const QString &prefix)
{
    return locateWhere(field, [&prefix](const QString &text) { return text.startsWith(prefix, Qt::CaseInsensitive); });
}

bool DataSet::locateWhere(const QString &field, const std::function<bool(const QString &)> &matches)
{
    const int i = requireField(*this, field);
    if (i < 0 || !d->open)
        return false;
    const FieldSlot &slot = d->fields[size_t(i)];
    const int rows = recordCount();
    if (slot.column >= 0 && d->columns[size_t(slot.column)].kind() == ColumnStore::Kind::Text) {
        // Each distinct text is tested once.
        const ColumnStore &c = d->columns[size_t(slot.column)];
        std::vector<qint8> match(c.poolSize(), -1);
        for (int row = 0; row < rows; ++row) {
            const quint32 id = c.textId(d->storageRow(row));
            if (match[id] < 0)
                match[id] = matches(c.pooled(id)) ? 1 : 0;
            if (match[id]) {
                setCurrentRow(row);
                return true;
            }
        }
        return false;
    }
    for (int row = 0; row < rows; ++row) {
        if (matches(text(row, i))) {
            setCurrentRow(row);
            return true;
        }
    }
    return false;
}

// ---- sort ---------------------------------------------------------------------------------

void DataSet::setSortText(const QString &sortText)
{
    std::vector<SortTerm> terms;
    for (const SortTextReader::Term &term : SortTextReader::read(sortText)) {
        if (!d->open)
            throw AppError(QStringLiteral("数据集没有打开，不能排序"));
        const int i = fieldIndex(term.field);
        if (i < 0)
            throw AppError(QStringLiteral("排序字段“%1”不存在").arg(term.field));
        if (d->fields[size_t(i)].column < 0)
            throw AppError(QStringLiteral("“%1”是计算字段，不能按它排序").arg(d->fields[size_t(i)].def.name));
        terms.push_back({i, term.descending});
    }

    std::vector<quint32> order(d->order.size());
    std::iota(order.begin(), order.end(), 0u);
    std::vector<quint32> rank;
    // Least significant term first; each pass is stable, so earlier terms win.
    for (auto t = terms.rbegin(); t != terms.rend(); ++t) {
        ColumnStore &c = d->columns[size_t(d->fields[size_t(t->field)].column)];
        if (!d->collator)
            d->collator.emplace();
        const quint32 max = c.ranks(*d->collator, rank);
        countingSort(order, rank, max, t->descending);
    }
    d->order.swap(order);
    d->sortText = terms.empty() ? QString() : sortText;
    emit orderChanged();
}

QString DataSet::sortText() const { return d->sortText; }

// ---- display ------------------------------------------------------------------------------

void DataSet::disableControls() { ++d->disabled; }

void DataSet::enableControls()
{
    if (d->disabled > 0)
        --d->disabled;
}

bool DataSet::controlsDisabled() const { return d->disabled > 0; }

QString DataSet::formatNumber(const QVariant &value, const QString &displayFormat)
{
    return NumberText::format(value, displayFormat);
}
