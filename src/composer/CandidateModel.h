#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QItemSelectionModel>
#include <QString>

#include <vector>

namespace qcm {

// The candidate lines of the composer, tens of thousands of them: filled in
// one reset, never sorted, so that an entry keeps its position.
class CandidateModel : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    void setLines(std::vector<QString> lines);
    const QString &line(int row) const { return m_lines[size_t(row)]; }
    int count() const { return int(m_lines.size()); }
    // Every position holding exactly this text.
    QList<int> positionsOf(const QString &text) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    std::vector<QString> m_lines;
    // Built on first search, dropped with the lines: the first row of each
    // "code/numero", and the rare further rows that share one.
    mutable QHash<QStringView, int> m_firstRow;
    mutable QMultiHash<QStringView, int> m_furtherRows;
    mutable bool m_indexed = false;
};

// The selected rows of a one-column model, in list order, each once.
std::vector<int> selectedRows(const QItemSelectionModel &selection);

} // namespace qcm
