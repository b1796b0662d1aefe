#pragma once
// The values of one result column of a DataSet, kept by type: texts as ids into a pool of
// distinct texts (id 0 is null, so a publisher name on 3,000 rows is one QString and each row
// costs 4 bytes), whole numbers as qint64, other numbers as double with a null bitmap, and
// dates or other values as QVariant. Rows are storage rows, in the order the statement
// returned them.
#include <QHash>
#include <QMetaType>
#include <QString>
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

    // Text columns only: id of a row's text and the text of an id.
    quint32 textId(size_t row) const { return m_ids[row]; }
    const QString &pooled(quint32 id) const { return m_pool[id]; }
    size_t poolSize() const { return m_pool.size(); }

    // Loading.
    void append(const QVariant &value);
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
    void appendNull();
    quint32 share(const QString &text);
    void toDecimal();
    void toText();
    quint32 textRanks(const PinyinCollator &collator);

    Kind m_kind = Kind::Undecided;
    size_t m_pendingNulls = 0;   // nulls seen while the kind was undecided

    std::vector<quint32> m_ids;
    std::vector<QString> m_pool{QString()};
    QHash<QString, quint32> m_shared;
    bool m_sharing = true;
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
