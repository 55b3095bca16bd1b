#include "CandidateModel.h"

#include <algorithm>

namespace qcm {

void CandidateModel::setLines(std::shared_ptr<const CandidateTable> table, std::vector<int> rows)
{
    beginResetModel();
    m_table = table ? std::move(table) : std::make_shared<CandidateTable>();
    m_rows = std::move(rows);
    m_firstRow.clear();
    m_furtherRows.clear();
    m_indexed = false;
    endResetModel();
}

namespace {

// What identifies a question in its line: the text before the first "- ".
// Short to hash, where the statement may be long.
QStringView keyOf(const QString &line)
{
    const qsizetype end = line.indexOf(QLatin1String("- "));
    return end < 0 ? QStringView(line) : QStringView(line).left(end);
}

} // namespace

QList<int> CandidateModel::positionsOf(const QString &text) const
{
    if (!m_indexed) {
        m_firstRow.reserve(qsizetype(m_rows.size()));
        for (int i = 0; i < count(); ++i) {
            const QString key = m_table->key(m_rows[size_t(i)]);
            if (m_firstRow.contains(key))
                m_furtherRows.insert(key, i);
            else
                m_firstRow.insert(key, i);
        }
        m_indexed = true;
    }
    QList<int> found;
    const QString key = keyOf(text).toString();
    const auto first = m_firstRow.constFind(key);
    if (first == m_firstRow.constEnd())
        return found;
    QList<int> rows = m_furtherRows.values(key);
    rows.append(first.value());
    for (int row : rows)
        if (line(row) == text)
            found.append(row);
    std::sort(found.begin(), found.end());
    return found;
}

int CandidateModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant CandidateModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole || role == Qt::AccessibleTextRole)
        return line(index.row());
    return {};
}

Qt::ItemFlags CandidateModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

std::vector<int> selectedRows(const QItemSelectionModel &selection)
{
    std::vector<int> rows;
    for (const QItemSelectionRange &range : selection.selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

} // namespace qcm
