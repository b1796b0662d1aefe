#pragma once
// The values of one result column of a DataSet, kept by type: texts as ids into a pool of
// distinct texts (id 0 is null, so a publisher name on 3,000 rows is one QString and each row
// costs 4 bytes), whole numbers as qint64, other numbers as double with a null bitmap, and
// dates or other values as QVariant. Rows are storage rows, in the order the statement
// returned them.
#include <QByteArrayView>
#include <QHash>
#include <QMetaType>
#include <QString>
#include <QStringView>
#include <QVariant>
#include <vector>

class PinyinCollator;

class ColumnStore {
public:
    enum class Kind { Undecided, Text, Integer, Decimal, Other };

    // The kind follows the driver's declared type; an unknown type is decided by the first
    // value that is not null. A later value that does not fit widens the column (whole
    // numbers to Decimal, numbers to Text).
    explicit ColumnStore(int declaredType = QMetaType::UnknownType);

    Kind kind() const { return m_kind; }
    size_t size() const;
    bool isNull(size_t row) const;
    QVariant value(size_t row) const;
    QString text(size_t row) const;   // plain text, null as empty
    qsizetype longestText() const { return m_longest; }

    // Brings the storage of three rows towards the cache for reads to come: the id of `far`,
    // the pooled entry of `mid`, the text (or number) of `near`; rows past the end are left.
    // A walk through a sorted list jumps around memory, and a read that waits for each
    // level in turn is slow.
    void prefetch(size_t far, size_t mid, size_t near) const;

    // Text columns only: id of a row's text and the text of an id.
    quint32 textId(size_t row) const { return m_ids[row]; }
    const QString &pooled(quint32 id) const { return m_pool[id]; }
    size_t poolSize() const { return m_pool.size(); }

    // Loading.
    void append(const QVariant &value);
    // The same as append() with a null, a qint64, a double or a QString, without the QVariant.
    void appendNull();
    void appendInteger(qint64 value);
    void appendReal(double value);
    void appendText(const QString &text);
    // appendText() for a loader that reads UTF-8: decode() gives the text as a view into the
    // loader's own buffer, and is called only when the column has not met the same bytes
    // lately (then the text it got then is taken again). A text the column already holds
    // costs no copy. The bytes stay valid through the call, decode() included.
    template <typename Decode>
    void appendUtf8(QByteArrayView bytes, Decode decode)
    {
        if (!appendRecentUtf8(bytes)) {
            appendTextView(decode());
            rememberUtf8(bytes);
        }
    }
    void rowsLoaded(size_t rows);   // called as rows come in; stops sharing texts that never repeat
    void finishLoading();

    // Edits one value, converted to the column's kind. An empty text makes a number null; a
    // text that is no number throws AppError.
    void set(size_t row, const QVariant &value);

    // Rank of every row in ascending order (nulls first, equal values equal ranks; texts by
    // the collator). Returns the largest rank.
    quint32 ranks(const PinyinCollator &collator, std::vector<quint32> &rank);

private:
    static Kind kindFor(int typeId);
    void decide(Kind kind);
    bool appendRecentUtf8(QByteArrayView bytes);
    void appendTextView(QStringView text);
    void rememberUtf8(QByteArrayView bytes);
    quint32 sharedId(const QString &text, bool tryPrevious) const;
    quint32 addToPool(const QString &text);
    quint32 share(const QString &text);
    void toDecimal();
    void toText();
    quint32 textRanks(const PinyinCollator &collator);

    Kind m_kind = Kind::Undecided;
    size_t m_pendingNulls = 0;   // nulls seen while the kind was undecided

    std::vector<quint32> m_ids;
    std::vector<QString> m_pool{QString()};
    QHash<QString, quint32> m_shared;
    // While loading UTF-8: short texts met lately by their bytes, in a few slots chosen by
    // hash (a category, a publisher, an empty text mostly come from here).
    static constexpr int RecentSlots = 64;
    static constexpr int RecentBytes = 59;
    struct RecentUtf8 {
        quint32 id = 0;   // 0: a free slot
        quint8 size = 0;
        char bytes[RecentBytes];
    };
    std::vector<RecentUtf8> m_recent;
    bool m_sharing = true;
    size_t m_probedRows = 0;    // rows whose texts were counted for the sharing decision
    size_t m_probedTexts = 0;
    qsizetype m_longest = 0;

    std::vector<qint64> m_ints;
    std::vector<double> m_reals;
    std::vector<bool> m_nulls;
    std::vector<QVariant> m_others;

    // Ranks of the pool entries by the collator; valid while the pool has m_rankedPool entries.
    std::vector<quint32> m_poolRank;
    size_t m_rankedPool = 0;
    quint32 m_maxPoolRank = 0;
};
