#include "data/column_store.h"

#include "common/app_error.h"
#include "common/pinyin_collator.h"
#include "data/number_text.h"

#include <QCollatorSortKey>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <numeric>

namespace {

constexpr qsizetype ShareLimit = 64;       // longer texts (memos) are never shared
constexpr size_t ShareProbeRows = 4096;    // every so many rows sharing must show it pays

using NumberText::isFloatingType;
using NumberText::isIntegralType;
using NumberText::toNumber;

bool isWhole(double d)
{
    return d == std::trunc(d) && std::fabs(d) < 9e15;
}

// NumberText::plain() of a number, taking a short way for the double nearest to a decimal of
// at most two places below 1e13 (prices, amounts): rounded to 15 significant digits such a
// double gives that decimal again, and no decimal of fewer digits lies within its rounding
// interval, so plain() writes exactly the decimal's digits.
QString decimalText(double value)
{
    if (std::fabs(value) < 1e13) {
        const qint64 cents = std::llround(value * 100);
        if (double(cents) / 100 == value) {
            if (cents == 0)
                return QStringLiteral("0");
            const quint64 a = quint64(cents < 0 ? -cents : cents);
            char buf[24];
            char *end = buf + sizeof buf;
            char *p = end;
            const unsigned fraction = unsigned(a % 100);
            if (fraction != 0) {
                if (fraction % 10 != 0)
                    *--p = char('0' + fraction % 10);
                *--p = char('0' + fraction / 10);
                *--p = '.';
            }
            quint64 whole = a / 100;
            do {
                *--p = char('0' + whole % 10);
                whole /= 10;
            } while (whole != 0);
            if (cents < 0)
                *--p = '-';
            return QString::fromLatin1(p, end - p);
        }
    }
    return NumberText::plain(value);
}

// A slot of the recent UTF-8 texts for short bytes, from their length and their first and
// last eight bytes.
inline size_t recentSlot(QByteArrayView bytes, size_t count)
{
    const size_t n = size_t(bytes.size());
    quint64 head = 0;
    quint64 tail = 0;
    if (n > 0)
        std::memcpy(&head, bytes.data(), std::min<size_t>(n, 8));
    if (n > 8)
        std::memcpy(&tail, bytes.data() + n - 8, 8);
    const quint64 h = (head ^ (tail * 0x9E3779B97F4A7C15ull) ^ n) * 0xFF51AFD7ED558CCDull;
    return size_t(h >> 32) % count;
}

} // namespace

ColumnStore::ColumnStore(int declaredType) { decide(kindFor(declaredType)); }

ColumnStore::Kind ColumnStore::kindFor(int typeId)
{
    if (typeId == QMetaType::Bool)
        return Kind::Other;
    if (isIntegralType(typeId))
        return Kind::Integer;
    if (isFloatingType(typeId))
        return Kind::Decimal;
    if (typeId == QMetaType::QString)
        return Kind::Text;
    if (typeId == QMetaType::UnknownType)
        return Kind::Undecided;
    return Kind::Other;
}

size_t ColumnStore::size() const
{
    switch (m_kind) {
    case Kind::Undecided: return m_pendingNulls;
    case Kind::Text: return m_ids.size();
    case Kind::Integer: return m_ints.size();
    case Kind::Decimal: return m_reals.size();
    case Kind::Other: return m_others.size();
    }
    return 0;
}

bool ColumnStore::isNull(size_t row) const
{
    switch (m_kind) {
    case Kind::Undecided: return true;
    case Kind::Text: return m_ids[row] == 0;
    case Kind::Integer:
    case Kind::Decimal: return m_nulls[row];
    case Kind::Other: return m_others[row].isNull();
    }
    return true;
}

QVariant ColumnStore::value(size_t row) const
{
    if (isNull(row))
        return QVariant();
    switch (m_kind) {
    case Kind::Text: return m_pool[m_ids[row]];
    case Kind::Integer: return QVariant(qlonglong(m_ints[row]));
    case Kind::Decimal: return QVariant(m_reals[row]);
    case Kind::Other: return m_others[row];
    case Kind::Undecided: break;
    }
    return QVariant();
}

QString ColumnStore::text(size_t row) const
{
    if (isNull(row))
        return QString();
    switch (m_kind) {
    case Kind::Text: return m_pool[m_ids[row]];
    case Kind::Integer: return QString::number(m_ints[row]);
    case Kind::Decimal: return decimalText(m_reals[row]);
    case Kind::Other: return NumberText::plainValue(m_others[row]);
    case Kind::Undecided: break;
    }
    return QString();
}

void ColumnStore::prefetch(size_t far, size_t mid, size_t near) const
{
    switch (m_kind) {
    case Kind::Text:
        if (far < m_ids.size())
            __builtin_prefetch(&m_ids[far]);
        if (mid < m_ids.size())
            __builtin_prefetch(&m_pool[m_ids[mid]]);
        if (near < m_ids.size())
            __builtin_prefetch(m_pool[m_ids[near]].constData());
        break;
    case Kind::Integer:
        if (mid < m_ints.size())
            __builtin_prefetch(&m_ints[mid]);
        break;
    case Kind::Decimal:
        if (mid < m_reals.size())
            __builtin_prefetch(&m_reals[mid]);
        break;
    case Kind::Other:
    case Kind::Undecided:
        break;
    }
}

// The id of a text the column shares already, or 0. Lists often come grouped: the previous
// row's text is the likeliest match (unless the loader has compared it already).
quint32 ColumnStore::sharedId(const QString &text, bool tryPrevious) const
{
    if (!m_sharing || text.size() > ShareLimit)
        return 0;
    if (tryPrevious && !m_ids.empty() && m_ids.back() != 0 && m_pool[m_ids.back()] == text)
        return m_ids.back();
    return m_shared.value(text, 0);
}

// A text the column does not share yet.
quint32 ColumnStore::addToPool(const QString &text)
{
    m_longest = std::max(m_longest, text.size());
    const auto id = quint32(m_pool.size());
    m_pool.push_back(text);
    if (m_sharing && text.size() <= ShareLimit)
        m_shared.insert(text, id);
    return id;
}

quint32 ColumnStore::share(const QString &text)
{
    const quint32 id = sharedId(text, true);
    return id ? id : addToPool(text);
}

void ColumnStore::decide(Kind kind)
{
    m_kind = kind;
    const size_t n = m_pendingNulls;
    m_pendingNulls = 0;
    switch (kind) {
    case Kind::Text: m_ids.assign(n, 0); break;
    case Kind::Integer: m_ints.assign(n, 0); m_nulls.assign(n, true); break;
    case Kind::Decimal: m_reals.assign(n, 0); m_nulls.assign(n, true); break;
    case Kind::Other: m_others.assign(n, QVariant()); break;
    case Kind::Undecided: m_pendingNulls = n; break;
    }
}

void ColumnStore::toDecimal()
{
    m_reals.assign(m_ints.begin(), m_ints.end());
    std::vector<qint64>().swap(m_ints);
    m_kind = Kind::Decimal;
}

void ColumnStore::toText()
{
    std::vector<quint32> ids(size());
    for (size_t i = 0; i < ids.size(); ++i)
        ids[i] = isNull(i) ? 0 : share(text(i));
    m_ids.swap(ids);
    std::vector<qint64>().swap(m_ints);
    std::vector<double>().swap(m_reals);
    std::vector<bool>().swap(m_nulls);
    m_kind = Kind::Text;
}

void ColumnStore::append(const QVariant &value)
{
    if (value.isNull()) {
        appendNull();
        return;
    }
    if (m_kind == Kind::Undecided) {
        const Kind k = kindFor(value.typeId());
        decide(k == Kind::Undecided ? Kind::Other : k);
    }
    if (m_kind == Kind::Integer) {
        if (isIntegralType(value.typeId())) {
            m_ints.push_back(value.toLongLong());
            m_nulls.push_back(false);
            return;
        }
        const auto d = toNumber(value);
        if (d && isWhole(*d)) {
            m_ints.push_back(qint64(*d));
            m_nulls.push_back(false);
            return;
        }
        if (d)
            toDecimal();
        else
            toText();
    }
    if (m_kind == Kind::Decimal) {
        if (const auto d = toNumber(value)) {
            m_reals.push_back(*d);
            m_nulls.push_back(false);
            return;
        }
        toText();
    }
    if (m_kind == Kind::Text)
        m_ids.push_back(share(value.toString()));
    else
        m_others.push_back(value);
}

void ColumnStore::appendInteger(qint64 value)
{
    if (m_kind == Kind::Integer) {
        m_ints.push_back(value);
        m_nulls.push_back(false);
    } else if (m_kind == Kind::Decimal) {
        m_reals.push_back(double(value));
        m_nulls.push_back(false);
    } else {
        append(QVariant(qlonglong(value)));
    }
}

void ColumnStore::appendReal(double value)
{
    if (m_kind == Kind::Decimal) {
        m_reals.push_back(value);
        m_nulls.push_back(false);
    } else {
        append(QVariant(value));
    }
}

void ColumnStore::appendText(const QString &text)
{
    if (m_kind == Kind::Text)
        m_ids.push_back(share(text));
    else
        append(QVariant(text));
}

bool ColumnStore::appendRecentUtf8(QByteArrayView bytes)
{
    if (m_kind != Kind::Text || bytes.size() > RecentBytes || m_recent.empty())
        return false;
    const RecentUtf8 &r = m_recent[recentSlot(bytes, RecentSlots)];
    if (r.id == 0 || r.size != bytes.size()
        || (!bytes.isEmpty() && std::memcmp(r.bytes, bytes.data(), size_t(bytes.size())) != 0))
        return false;
    m_ids.push_back(r.id);
    return true;
}

void ColumnStore::appendTextView(QStringView text)
{
    if (m_kind != Kind::Text) {
        appendText(text.toString());
        return;
    }
    // A shared text is found without copying the loader's buffer; appendRecentUtf8() has
    // compared the bytes with the previous row's already.
    const quint32 id = sharedId(QString::fromRawData(text.data(), text.size()), false);
    m_ids.push_back(id ? id : addToPool(text.toString()));
}

void ColumnStore::rememberUtf8(QByteArrayView bytes)
{
    if (m_kind != Kind::Text || bytes.size() > RecentBytes)
        return;
    if (m_recent.empty())
        m_recent.resize(RecentSlots);
    RecentUtf8 &r = m_recent[recentSlot(bytes, RecentSlots)];
    r.id = m_ids.back();
    r.size = quint8(bytes.size());
    if (!bytes.isEmpty())
        std::memcpy(r.bytes, bytes.data(), size_t(bytes.size()));
}

void ColumnStore::appendNull()
{
    switch (m_kind) {
    case Kind::Undecided: ++m_pendingNulls; break;
    case Kind::Text: m_ids.push_back(0); break;
    case Kind::Integer: m_ints.push_back(0); m_nulls.push_back(true); break;
    case Kind::Decimal: m_reals.push_back(0); m_nulls.push_back(true); break;
    case Kind::Other: m_others.emplace_back(); break;
    }
}

void ColumnStore::rowsLoaded(size_t rows)
{
    // A column of nearly all different texts (titles, keys, notes) gains nothing from sharing
    // and only pays for the lookup table. Rows without a text do not count.
    if (!m_sharing || rows % ShareProbeRows != 0 || m_kind != Kind::Text)
        return;
    for (size_t i = m_probedRows; i < m_ids.size(); ++i)
        m_probedTexts += m_ids[i] != 0;
    m_probedRows = m_ids.size();
    if (m_probedTexts >= ShareProbeRows / 8 && m_pool.size() - 1 > m_probedTexts * 3 / 4) {
        m_sharing = false;
        QHash<QString, quint32>().swap(m_shared);
    }
}

void ColumnStore::finishLoading()
{
    if (m_kind == Kind::Undecided)
        decide(Kind::Text);
    QHash<QString, quint32>().swap(m_shared);
    std::vector<RecentUtf8>().swap(m_recent);
    m_sharing = false;
    m_ids.shrink_to_fit();
    m_pool.shrink_to_fit();
    m_ints.shrink_to_fit();
    m_reals.shrink_to_fit();
    m_nulls.shrink_to_fit();
    m_others.shrink_to_fit();
}

void ColumnStore::set(size_t row, const QVariant &value)
{
    switch (m_kind) {
    case Kind::Text:
        m_ids[row] = value.isNull() ? 0 : share(value.toString());
        return;
    case Kind::Integer:
    case Kind::Decimal: {
        if (value.isNull() || value.toString().trimmed().isEmpty()) {
            m_nulls[row] = true;
            return;
        }
        const auto d = toNumber(value);
        if (!d)
            throw AppError(QStringLiteral("“%1”不是有效的数值").arg(value.toString()));
        if (m_kind == Kind::Integer && isIntegralType(value.typeId())) {
            m_ints[row] = value.toLongLong();
        } else if (m_kind == Kind::Integer && isWhole(*d)) {
            m_ints[row] = qint64(*d);
        } else {
            if (m_kind == Kind::Integer)
                toDecimal();
            m_reals[row] = *d;
        }
        m_nulls[row] = false;
        return;
    }
    case Kind::Other:
        m_others[row] = value;
        return;
    case Kind::Undecided:
        return;
    }
}

quint32 ColumnStore::textRanks(const PinyinCollator &collator)
{
    if (m_rankedPool == m_pool.size())
        return m_maxPoolRank;
    // One collation key per distinct text; the rows then sort by small integers.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(m_pool.size());
    for (const QString &t : m_pool)
        keys.push_back(collator.sortKey(t));
    std::vector<quint32> ids(m_pool.size() - 1);
    std::iota(ids.begin(), ids.end(), 1u);
    std::sort(ids.begin(), ids.end(),
              [&](quint32 a, quint32 b) { return keys[a].compare(keys[b]) < 0; });
    m_poolRank.assign(m_pool.size(), 0);
    quint32 r = 0;
    for (size_t i = 0; i < ids.size(); ++i) {
        if (i == 0 || keys[ids[i - 1]].compare(keys[ids[i]]) != 0)
            ++r;
        m_poolRank[ids[i]] = r;
    }
    m_rankedPool = m_pool.size();
    m_maxPoolRank = r;
    return r;
}

quint32 ColumnStore::ranks(const PinyinCollator &collator, std::vector<quint32> &rank)
{
    const size_t n = size();
    rank.assign(n, 0);
    if (m_kind == Kind::Text) {
        const quint32 max = textRanks(collator);
        for (size_t s = 0; s < n; ++s)
            rank[s] = m_poolRank[m_ids[s]];
        return max;
    }
    std::function<int(quint32, quint32)> compare;   // like strcmp, both not null
    switch (m_kind) {
    case Kind::Integer:
        compare = [this](quint32 a, quint32 b) { return (m_ints[a] > m_ints[b]) - (m_ints[a] < m_ints[b]); };
        break;
    case Kind::Decimal:
        compare = [this](quint32 a, quint32 b) { return (m_reals[a] > m_reals[b]) - (m_reals[a] < m_reals[b]); };
        break;
    default:
        compare = [this](quint32 a, quint32 b) {
            const QPartialOrdering o = QVariant::compare(m_others[a], m_others[b]);
            return o == QPartialOrdering::Less ? -1 : o == QPartialOrdering::Greater ? 1 : 0;
        };
        break;
    }
    auto order = [&](quint32 a, quint32 b) {
        const bool na = isNull(a), nb = isNull(b);
        return na || nb ? int(nb) - int(na) : compare(a, b);
    };
    std::vector<quint32> sorted(n);
    std::iota(sorted.begin(), sorted.end(), 0u);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](quint32 a, quint32 b) { return order(a, b) < 0; });
    quint32 r = 0;
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && order(sorted[i - 1], sorted[i]) != 0)
            ++r;
        rank[sorted[i]] = r;
    }
    return r;
}
