#include "grid/sort_text.h"

#include "common/app_error.h"
#include "common/delimited_text.h"
#include "data/sort_text_reader.h"
#include "grid/grid_columns.h"

#include <algorithm>

SortTerm SortTerm::parse(const QString &term)
{
    const QList<SortTextReader::Term> terms = SortTextReader::read(term);
    if (terms.size() != 1)
        throw AppError(QStringLiteral("无法识别的排序设置“%1”").arg(term.trimmed()));
    return {terms[0].field, terms[0].descending};
}

QString SortTerm::toString() const
{
    return field + (descending ? QStringLiteral(" DESC") : QStringLiteral(" ASC"));
}

SortText SortText::parse(const QString &text)
{
    SortText sort;
    for (const SortTextReader::Term &t : SortTextReader::read(text))
        sort.m_terms.append({t.field, t.descending});
    return sort;
}

SortText SortText::single(const QString &field, bool descending)
{
    SortText sort;
    sort.m_terms.append({field, descending});
    return sort;
}

QString SortText::toString() const
{
    QString text;
    for (const SortTerm &t : m_terms)
        DelimitedText::append(text, t.toString(), u',');
    return text;
}

int SortText::indexOf(const QString &field) const
{
    for (int i = 0; i < size(); ++i) {
        if (m_terms[i].field.compare(field, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

const QString SortSetup::AscText = QStringLiteral("升序");
const QString SortSetup::DescText = QStringLiteral("降序");

SortSetup::SortSetup(const GridColumns &columns, const QString &currentSort)
{
    const SortText current = SortText::parse(currentSort);
    for (const SortTerm &term : current.terms()) {
        const int column = columns.indexOfField(term.field);
        if (column < 0)
            continue;
        m_entries << entryText(GridColumns::plainTitle(columns.at(column).title), term.descending);
        m_working.append(term);
    }
    for (int i = 0; i < columns.count(); ++i) {
        const GridColumn &c = columns.at(i);
        if (!c.fieldName.isEmpty())
            m_choices.append({GridColumns::plainTitle(c.title), c.fieldName});
    }
}

QString SortSetup::entryText(const QString &title, bool descending)
{
    return title + u' ' + (descending ? DescText : AscText);
}

SortSetup::AddResult SortSetup::add(int choice, bool descending)
{
    if (choice < 0 || choice >= m_choices.size())
        return AddResult::NoChoice;
    const Choice &c = m_choices[choice];
    if (m_working.indexOf(c.fieldName) >= 0)
        return AddResult::Duplicate;
    m_working.append({c.fieldName, descending});
    m_entries << entryText(c.title, descending);
    return AddResult::Added;
}

int SortSetup::remove(int index)
{
    if (index < 0 || index >= m_entries.size())
        return -1;
    m_entries.removeAt(index);
    m_working.removeAt(index);
    return std::min(index, int(m_entries.size()) - 1);
}

void SortSetup::swap(int i, int j)
{
    m_entries.swapItemsAt(i, j);
    m_working.swap(i, j);
}

int SortSetup::moveUp(int index)
{
    if (index < 0 || index >= m_entries.size())
        return -1;
    if (index == 0)
        return index;
    swap(index, index - 1);
    return index - 1;
}

int SortSetup::moveDown(int index)
{
    if (index < 0 || index >= m_entries.size())
        return -1;
    if (index == m_entries.size() - 1)
        return index;
    swap(index, index + 1);
    return index + 1;
}

void SortSetup::clear()
{
    m_entries.clear();
    m_working.clear();
}
