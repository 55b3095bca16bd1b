#pragma once

#include "access/ConversionReport.h"
#include "access/TableSource.h"

#include <QList>

#include <ostream>

namespace qcm {

inline void PrintTo(const ConversionNote &note, std::ostream *os)
{
    *os << int(note.kind) << ' ' << note.subject.toStdString() << " : " << note.text.toStdString();
}

} // namespace qcm

namespace qcm::test {

// Tables held in memory, shaped as a test wants them.
class MemoryTables : public TableSource {
public:
    struct Table {
        QString name;
        QStringList columns;
        QList<QVariantList> rows;
        std::optional<qint64> declaredRows;
        bool unreadable = false; // reading its rows fails half-way
    };
    QList<Table> tables;

    Table &add(const QString &name, const QStringList &columns, const QList<QVariantList> &rows = {})
    {
        tables.append({name, columns, rows, std::nullopt, false});
        return tables.last();
    }
    QStringList tableNames() const override
    {
        QStringList names;
        for (const Table &t : tables)
            names << t.name;
        return names;
    }
    std::optional<QStringList> columns(const QString &table, QString *error) override
    {
        if (const Table *t = find(table))
            return t->columns;
        *error = QStringLiteral("la table « %1 » est illisible").arg(table);
        return std::nullopt;
    }
    bool readRows(const QString &table, const RowVisitor &visit, QString *error) override
    {
        const Table *t = find(table);
        for (qsizetype i = 0; t && i < t->rows.size(); ++i) {
            if (t->unreadable && i == t->rows.size() / 2)
                break;
            visit(t->rows.at(i));
        }
        if (t && !t->unreadable)
            return true;
        *error = QStringLiteral("la table « %1 » ne peut pas être lue : une ligne est abîmée").arg(table);
        return false;
    }
    std::optional<qint64> declaredRowCount(const QString &table) const override
    {
        const Table *t = find(table);
        return t ? t->declaredRows : std::nullopt;
    }

private:
    const Table *find(const QString &name) const
    {
        for (const Table &t : tables)
            if (t.name == name)
                return &t;
        return nullptr;
    }
};

} // namespace qcm::test
