#pragma once
// A list's in-memory sort as a value: terms "FIELD ASC" / "FIELD DESC" joined by single commas
// ("SM ASC,ZBH DESC"; empty = statement order). Title clicks and the sort set-up dialog both
// build their texts with it. SortSetup is the dialog's working list: the entries it shows
// ("书名 升序") paired one to one with the terms it will apply.
#include <QList>
#include <QString>
#include <QStringList>

class GridColumns;

struct SortTerm {
    QString field;
    bool descending = false;

    // "SM" -> ascending; "SM DESC" -> descending (the data layer's sort-text reader); any
    // other direction word, or more than one term, throws AppError.
    static SortTerm parse(const QString &term);
    QString toString() const;
    bool operator==(const SortTerm &other) const = default;
};

class SortText {
public:
    SortText() = default;
    // Throws AppError for a term that is not a field with an optional ASC/DESC.
    static SortText parse(const QString &text);
    static SortText single(const QString &field, bool descending);
    QString toString() const;

    const QList<SortTerm> &terms() const { return m_terms; }
    int size() const { return int(m_terms.size()); }
    bool isEmpty() const { return m_terms.isEmpty(); }
    // Term of that field (case ignored), or -1.
    int indexOf(const QString &field) const;

    void append(const SortTerm &term) { m_terms.append(term); }
    void removeAt(int i) { m_terms.removeAt(i); }
    void swap(int i, int j) { m_terms.swapItemsAt(i, j); }
    void clear() { m_terms.clear(); }

private:
    QList<SortTerm> m_terms;
};

class SortSetup {
public:
    static const QString AscText;    // "升序"
    static const QString DescText;   // "降序"

    // The working list starts from the list's current sort: terms of fields that no column
    // shows are left out. The choices are every column with a field, hidden ones too.
    SortSetup(const GridColumns &columns, const QString &currentSort);

    struct Choice {
        QString title;     // without a sort marker
        QString fieldName;
    };
    const QList<Choice> &choices() const { return m_choices; }
    const QStringList &entries() const { return m_entries; }
    const SortText &working() const { return m_working; }

    enum class AddResult { Added, Duplicate, NoChoice };
    AddResult add(int choice, bool descending);
    // Each returns the entry to select afterwards (-1: none); an index out of range or a move
    // past either end changes nothing.
    int remove(int index);
    int moveUp(int index);
    int moveDown(int index);
    void clear();

private:
    static QString entryText(const QString &title, bool descending);
    void swap(int i, int j);

    QList<Choice> m_choices;
    QStringList m_entries;
    SortText m_working;
};
