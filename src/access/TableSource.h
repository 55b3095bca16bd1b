#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>

namespace qcm {

// The tables of a foreign database as plain values, whatever reads them: the
// Access reader, or a table held in memory. A value is an invalid QVariant
// when the field is Null, never confused with an empty text; texts are
// QString, whole numbers int, Yes/No bool, other numbers double, dates
// QDateTime (UTC, as stored: the file knows no time zone), binary data
// QByteArray.
class TableSource {
public:
    using RowVisitor = std::function<void(const QVariantList &row)>;

    virtual ~TableSource() = default;

    // The user tables, as the file spells them.
    virtual QStringList tableNames() const = 0;
    // A table's columns in order; nothing, with *error in French, when the
    // table cannot be read.
    virtual std::optional<QStringList> columns(const QString &table, QString *error) = 0;
    // Hands every row to visit in stored order, its values in column order.
    // False, with *error in French, when the table cannot be read to its end.
    virtual bool readRows(const QString &table, const RowVisitor &visit, QString *error) = 0;
    // The number of rows the file says the table holds, when it keeps one:
    // fewer rows read than that means some could not be read.
    virtual std::optional<qint64> declaredRowCount(const QString &table) const
    {
        (void)table;
        return std::nullopt;
    }
};

} // namespace qcm
