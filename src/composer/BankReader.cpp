#include "BankReader.h"

#include <charconv>

namespace qcm {

namespace {

// The real column name of a field, quoted; empty when the table lacks it.
QString column(const TableInfo &table, const QString &field)
{
    const int i = table.column(field);
    return i < 0 ? QString() : quotedIdentifier(table.columns.at(i));
}

const TableInfo *questionsTable(Connection &connection, StoreError *error)
{
    return connection.table(QStringLiteral("Questions"), error);
}

} // namespace

namespace BankReader {

std::optional<BankRow> find(
    Connection &connection, const QString &code, qint64 numero, const QString *statement, StoreError *error)
{
    const TableInfo *table = questionsTable(connection, error);
    if (!table)
        return std::nullopt;
    const int codeColumn = table->column(QStringLiteral("Code"));
    const int numeroColumn = table->column(QStringLiteral("Numero"));
    const int statementColumn = table->column(QStringLiteral("Libellé"));
    if (codeColumn < 0 || numeroColumn < 0 || statementColumn < 0) {
        setError(error, StoreErrors::make(StoreErrorKind::FieldNotFound));
        return std::nullopt;
    }
    const QString codeName = quotedIdentifier(table->columns.at(codeColumn));
    const QString numeroName = quotedIdentifier(table->columns.at(numeroColumn));
    QString sql = QStringLiteral("SELECT * FROM %1 WHERE %2 = ? AND %3 = ?")
                      .arg(quotedIdentifier(table->name), codeName, numeroName);
    QVariantList values{code, numero};
    if (statement) {
        sql += QStringLiteral(" AND %1 = ?").arg(quotedIdentifier(table->columns.at(statementColumn)));
        values.append(*statement);
    }
    sql += QStringLiteral(" LIMIT 1");
    SqliteStatement *st = connection.statement(sql, error);
    if (!st)
        return std::nullopt;
    st->bindAll(values);
    std::optional<BankRow> row;
    if (st->step()) {
        row.emplace();
        row->code = st->column(codeColumn).toString();
        row->numero = st->column(numeroColumn);
        row->libelle = st->column(statementColumn).toString();
        for (int k = 0; k < kChoiceCount; ++k) {
            if (const int i = table->column(QStringLiteral("lib%1").arg(k)); i >= 0)
                row->lib[size_t(k)] = st->column(i);
            if (const int i = table->column(QStringLiteral("Val%1").arg(k)); i >= 0)
                row->val[size_t(k)] = st->column(i);
        }
    } else if (!st->error().isEmpty()) {
        setError(error, connection.errorOf(*st));
    }
    st->reset();
    return row;
}

} // namespace BankReader

bool CandidateCache::isCurrent(const std::shared_ptr<Connection> &connection) const
{
    return connection && m_connection.lock() == connection && m_version == connection->version();
}

void CandidateCache::confirm(const std::shared_ptr<Connection> &connection)
{
    if (!connection)
        return clear();
    m_connection = connection;
    m_version = connection->version();
}

void CandidateCache::clear()
{
    m_connection.reset();
    m_entries.clear();
}

bool CandidateCache::lines(const std::shared_ptr<Connection> &connection, const SpecialityTicks &ticked,
    std::vector<QString> &out, StoreError *error)
{
    out.clear();
    if (!isCurrent(connection)) {
        clear();
        if (!connection || !read(*connection, error))
            return false;
        confirm(connection);
    }
    unsigned wanted = 0;
    for (int k = 0; k < kSpecialityCount; ++k)
        wanted |= ticked[size_t(k)] ? 1u << k : 0u;
    if (wanted == 0)
        return true;
    for (const Entry &e : m_entries)
        if (e.flags & wanted)
            out.push_back(e.line);
    return true;
}

bool CandidateCache::read(Connection &connection, StoreError *error)
{
    const TableInfo *table = questionsTable(connection, error);
    if (!table)
        return false;
    QStringList columns;
    for (const char *field : {"Code", "Numero", "Libellé"})
        columns.append(column(*table, QString::fromUtf8(field)));
    for (int s = 0; s < kSpecialityCount; ++s)
        columns.append(column(*table, QString::fromLatin1(specialityInfo(Speciality(s)).flagField)));
    if (columns.contains(QString())) {
        setError(error, StoreErrors::make(StoreErrorKind::FieldNotFound));
        return false;
    }
    const QString sql = QStringLiteral("SELECT %1 FROM %2 ORDER BY %3, %4")
                            .arg(columns.join(u','), quotedIdentifier(table->name), columns.at(0), columns.at(1));
    SqliteStatement *st = connection.statement(sql, error);
    if (!st)
        return false;
    // One conversion per line: the parts are joined as UTF-8 first.
    QByteArray buffer;
    while (st->step()) {
        Entry e;
        const QVariant numero = st->column(1);
        buffer.clear();
        buffer.append(st->columnUtf8(0));
        buffer.append('/');
        if (numero.typeId() == QMetaType::LongLong) {
            char digits[24];
            const auto end = std::to_chars(digits, digits + sizeof digits, numero.toLongLong()).ptr;
            buffer.append(digits, end - digits);
        } else {
            buffer.append(numeroText(numero).toUtf8());
        }
        buffer.append("- ", 2);
        buffer.append(st->columnUtf8(2));
        e.line = QString::fromUtf8(buffer);
        for (int k = 0; k < kSpecialityCount; ++k)
            if (st->columnInt64(3 + k) == 1)
                e.flags |= 1u << k;
        m_entries.push_back(std::move(e));
    }
    if (!st->error().isEmpty()) {
        setError(error, connection.errorOf(*st));
        st->reset();
        m_entries.clear();
        return false;
    }
    st->reset();
    return true;
}

} // namespace qcm
