#include "CandidateModel.h"

#include <algorithm>

namespace qcm {

void CandidateModel::setLines(std::shared_ptr<const CandidateTable> table, std::vector<int> rows)
{
    beginResetModel();
    m_table = table ? std::move(table) : std::make_shared<CandidateTable>();
    m_rows = std::move(rows);
    m_codes.clear();
    m_plainRows.clear();
    m_furtherPlainRows.clear();
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
        // A domain's questions share one code text: it is hashed once.
        const QString *lastCode = nullptr;
        int codeId = 0;
        for (int i = 0; i < count(); ++i) {
            const int entry = m_rows[size_t(i)];
            if (!m_table->plainKey(entry)) {
                m_otherRows.insert(m_table->key(entry), i);
                continue;
            }
            const QString &code = m_table->code(entry);
            if (!lastCode || code.constData() != lastCode->constData() || code.size() != lastCode->size()) {
                auto known = m_codes.constFind(code);
                if (known == m_codes.constEnd())
                    known = m_codes.insert(code, int(m_codes.size()));
                codeId = known.value();
                lastCode = &code;
            }
            const PlainKey key{codeId, m_table->numero(entry)};
            if (m_plainRows.contains(key))
                m_furtherPlainRows.insert(key, i);
            else
                m_plainRows.insert(key, i);
        }
        m_indexed = true;
    }
    const QStringView key = keyOf(text);
    QList<int> rows = m_otherRows.values(key.toString());
    // A plain key reads back as the code, a slash and the number as printed.
    if (const qsizetype slash = key.lastIndexOf(u'/'); slash >= 0) {
        bool whole = false;
        const qint64 numero = key.mid(slash + 1).toLongLong(&whole);
        const auto code = m_codes.constFind(key.left(slash).toString());
        if (whole && code != m_codes.constEnd() && QString::number(numero) == key.mid(slash + 1)) {
            const PlainKey plain{code.value(), numero};
            if (const auto first = m_plainRows.constFind(plain); first != m_plainRows.constEnd()) {
                rows.append(first.value());
                rows += m_furtherPlainRows.values(plain);
            }
        }
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
