#pragma once

#include "BankReader.h"

#include <QAbstractListModel>
#include <QHash>
#include <QItemSelectionModel>
#include <QString>

#include <memory>
#include <vector>

namespace qcm {

// The candidate lines of the composer, up to the whole bank: filled in one
// reset, never sorted, so that an entry keeps its position. A line's text is
// made from the table when it is asked for.
class CandidateModel : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    // The rows are positions in the table, in list order.
    void setLines(std::shared_ptr<const CandidateTable> table, std::vector<int> rows);
    QString line(int row) const { return m_table->line(m_rows[size_t(row)]); }
    const QString &code(int row) const { return m_table->code(m_rows[size_t(row)]); }
    qint64 numero(int row) const { return m_table->numero(m_rows[size_t(row)]); }
    int count() const { return int(m_rows.size()); }
    // Every position holding exactly this text.
    QList<int> positionsOf(const QString &text) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    std::shared_ptr<const CandidateTable> m_table = std::make_shared<CandidateTable>();
    std::vector<int> m_rows;
    // Built on first search, dropped with the lines: the rows of each
    // "code/numero", by code and whole number without making the text, and
    // by the text for the rare keys of another shape.
    struct PlainKey {
        int code = 0; // in m_codes
        qint64 numero = 0;
        bool operator==(const PlainKey &) const = default;
    };
    friend size_t qHash(const PlainKey &key, size_t seed) { return qHashMulti(seed, key.code, key.numero); }
    mutable QHash<QString, int> m_codes;
    mutable QHash<PlainKey, int> m_plainRows; // the first row of each
    mutable QMultiHash<PlainKey, int> m_furtherPlainRows;
    mutable QMultiHash<QString, int> m_otherRows;
    mutable bool m_indexed = false;
};

// The selected rows of a one-column model, in list order, each once.
std::vector<int> selectedRows(const QItemSelectionModel &selection);

} // namespace qcm
