#include "CandidateModel.h"

#include <algorithm>

namespace qcm {

void CandidateModel::setLines(std::shared_ptr<const CandidateTable> table, std::vector<int> rows)
{
    beginResetModel();
    m_table = table ? std::move(table) : std::make_shared<CandidateTable>();
    m_rows = std::move(rows);
    m_plainRows.clear();
    m_otherRows.clear();
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
        m_plainRows.reserve(qsizetype(m_rows.size()));
        for (int i = 0; i < count(); ++i) {
            const int entry = m_rows[size_t(i)];
            if (m_table->plainKey(entry))
                m_plainRows.insert({m_table->code(entry), m_table->numero(entry)}, i);
            else
                m_otherRows.insert(m_table->key(entry), i);
        }
        m_indexed = true;
    }
    const QStringView key = keyOf(text);
    QList<int> rows = m_otherRows.values(key.toString());
    // A plain key reads back as the code, a slash and the number as printed.
    if (const qsizetype slash = key.lastIndexOf(u'/'); slash >= 0) {
        bool whole = false;
        const qint64 numero = key.mid(slash + 1).toLongLong(&whole);
        if (whole && QString::number(numero) == key.mid(slash + 1))
            rows += m_plainRows.values({key.left(slash).toString(), numero});
    }
    QList<int> found;
    for (int row : std::as_const(rows))
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
