#include "DataBinding.h"

#include <QSet>

namespace qcm {

namespace {

QString quoted(const QString &identifier)
{
    QString s = identifier;
    s.replace(u'"', QStringLiteral("\"\""));
    return u'"' + s + u'"';
}

QString fold(const QString &name)
{
    return name.toCaseFolded();
}

const QString kItemNotFound = QStringLiteral("Élément non trouvé dans cette collection.");

} // namespace

DataBinding::DataBinding(QString name) : m_name(std::move(name)) { }

DataBinding::~DataBinding() = default;

bool DataBinding::fail(const QString &message) const
{
    m_lastError = message;
    return false;
}

void DataBinding::setDatabaseName(const QString &path)
{
    if (path != m_path)
        closeDatabase();
    m_path = path;
}

void DataBinding::setRecordSource(const StoreQuery &source)
{
    m_source = source;
}

void DataBinding::clearRecordset()
{
    m_open = false;
    m_table.clear();
    m_columns.clear();
    m_columnByFoldedName.clear();
    m_distinct = false;
    m_distinctField.clear();
    m_keys.clear();
    m_distinctValues.clear();
    m_pos = -1;
    m_onDeletedRow = false;
    m_editMode = EditMode::None;
    m_buffer.clear();
    m_cachedKey = -1;
    m_cachedRow.clear();
    m_rowStatement = SqliteStatement();
}

void DataBinding::closeDatabase()
{
    clearRecordset();
    m_db.reset();
}

bool DataBinding::ensureConnection()
{
    if (m_db)
        return true;
    if (m_path.isEmpty())
        return fail(QStringLiteral("Aucune base de données n'est indiquée."));
    auto db = std::make_unique<SqliteDb>();
    QString error;
    // Opening never creates nor alters the file: a missing file fails here.
    if (!db->open(m_path, SqliteDb::Mode::ReadWrite, &error))
        return fail(QStringLiteral("Impossible d'ouvrir la base de données « %1 » : %2").arg(m_path, error));
    m_db = std::move(db);
    return true;
}

bool DataBinding::resolveTable(const QString &wanted, QString &table)
{
    SqliteStatement st = m_db->prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type IN ('table','view')"));
    if (!st.isValid())
        return fail(QStringLiteral("« %1 » n'est pas une base de données valide.").arg(m_path));
    const QString folded = fold(wanted);
    while (st.step()) {
        const QString name = st.column(0).toString();
        if (fold(name) == folded) {
            table = name;
            return true;
        }
    }
    if (!st.error().isEmpty())
        return fail(QStringLiteral("« %1 » n'est pas une base de données valide.").arg(m_path));
    return fail(QStringLiteral("La table « %1 » est introuvable dans la base de données.").arg(wanted));
}

int DataBinding::columnIndex(const QString &fieldName) const
{
    return m_columnByFoldedName.value(fold(fieldName), -1);
}

bool DataBinding::whereClause(const QList<Comparison> &comparisons, QString &sql, QVariantList &values)
{
    QStringList terms;
    for (const Comparison &c : comparisons) {
        const int col = columnIndex(c.field);
        if (col < 0)
            return fail(kItemNotFound);
        terms.append(quoted(m_columns.at(col)) + QStringLiteral(" = ?"));
        values.append(c.value);
    }
    if (!terms.isEmpty())
        sql += QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND "));
    return true;
}

bool DataBinding::refresh()
{
    clearRecordset();
    m_lastError.clear();
    ParsedSelect parsed;
    QString error;
    if (!parseSource(m_source, parsed, &error))
        return fail(error);
    if (!ensureConnection())
        return false;
    QString table;
    if (!resolveTable(parsed.table, table))
        return false;

    SqliteStatement info = m_db->prepare(QStringLiteral("SELECT name FROM pragma_table_info(?)"));
    info.bind(1, table);
    QStringList columns;
    while (info.step())
        columns.append(info.column(0).toString());
    if (columns.isEmpty())
        return fail(QStringLiteral("La table « %1 » ne peut pas être lue.").arg(table));
    m_table = table;
    m_columns = columns;
    for (int i = 0; i < columns.size(); ++i)
        m_columnByFoldedName.insert(fold(columns.at(i)), i);

    QString sql;
    QVariantList values;
    if (!parsed.distinctField.isEmpty()) {
        const int col = columnIndex(parsed.distinctField);
        if (col < 0)
            return fail(kItemNotFound);
        sql = QStringLiteral("SELECT DISTINCT %1 FROM %2").arg(quoted(m_columns.at(col)), quoted(table));
        m_distinct = true;
        m_distinctField = m_columns.at(col);
    } else {
        sql = QStringLiteral("SELECT rowid FROM %1").arg(quoted(table));
    }
    if (!whereClause(parsed.where, sql, values))
        return false;
    QStringList order;
    for (const QString &field : parsed.orderBy) {
        const int col = columnIndex(field);
        if (col < 0)
            return fail(kItemNotFound);
        order.append(quoted(m_columns.at(col)));
    }
    // Without an order the table's own order stands, as in the original store.
    sql += QStringLiteral(" ORDER BY ") + (order.isEmpty() ? QStringLiteral("rowid") : order.join(u','));

    SqliteStatement st = m_db->prepare(sql);
    if (!st.isValid())
        return fail(st.error());
    st.bindAll(values);
    while (st.step()) {
        if (m_distinct)
            m_distinctValues.push_back(st.column(0));
        else
            m_keys.push_back(st.columnInt64(0));
    }
    if (!st.error().isEmpty()) {
        const QString message = st.error();
        clearRecordset();
        return fail(message);
    }
    m_open = true;
    m_pos = 0;
    return true;
}

qint64 DataBinding::recordCount() const
{
    return m_distinct ? qint64(m_distinctValues.size()) : qint64(m_keys.size());
}

bool DataBinding::eof() const
{
    return !m_open || m_pos >= recordCount();
}

bool DataBinding::bof() const
{
    return !m_open || m_pos < 0 || recordCount() == 0;
}

bool DataBinding::hasCurrentRow() const
{
    return m_open && !m_onDeletedRow && m_pos >= 0 && m_pos < recordCount();
}

bool DataBinding::moveFirst()
{
    if (!m_open || recordCount() == 0)
        return fail(QStringLiteral("Aucun enregistrement en cours."));
    cancelUpdate();
    m_onDeletedRow = false;
    m_pos = 0;
    return true;
}

bool DataBinding::moveLast()
{
    if (!m_open || recordCount() == 0)
        return fail(QStringLiteral("Aucun enregistrement en cours."));
    cancelUpdate();
    m_onDeletedRow = false;
    m_pos = recordCount() - 1;
    return true;
}

bool DataBinding::moveNext()
{
    if (!m_open)
        return fail(QStringLiteral("Aucun enregistrement en cours."));
    cancelUpdate();
    if (m_onDeletedRow) {
        // The row after a deleted one has slid into its place.
        m_onDeletedRow = false;
        return true;
    }
    if (eof())
        return fail(QStringLiteral("Aucun enregistrement en cours."));
    ++m_pos;
    return true;
}

bool DataBinding::movePrevious()
{
    if (!m_open)
        return fail(QStringLiteral("Aucun enregistrement en cours."));
    cancelUpdate();
    m_onDeletedRow = false;
    if (m_pos < 0 || recordCount() == 0)
        return fail(QStringLiteral("Aucun enregistrement en cours."));
    --m_pos;
    return true;
}

bool DataBinding::move(qint64 rows)
{
    if (!hasCurrentRow() && rows != 0)
        return fail(QStringLiteral("Aucun enregistrement en cours."));
    cancelUpdate();
    m_pos = std::clamp<qint64>(m_pos + rows, -1, recordCount());
    return true;
}

bool DataBinding::findFirst(const StoreQuery &criteria)
{
    m_noMatch = true;
    if (!m_open || m_distinct)
        return fail(QStringLiteral("Aucun enregistrement en cours."));
    QList<Comparison> comparisons;
    QString error;
    if (!parseCriteria(criteria, comparisons, &error))
        return fail(error);
    QString sql = QStringLiteral("SELECT rowid FROM %1").arg(quoted(m_table));
    QVariantList values;
    if (!whereClause(comparisons, sql, values))
        return false;
    SqliteStatement st = m_db->prepare(sql);
    st.bindAll(values);
    QSet<qint64> matching;
    while (st.step())
        matching.insert(st.columnInt64(0));
    if (!st.error().isEmpty())
        return fail(st.error());
    if (matching.isEmpty())
        return true;
    for (qint64 i = 0; i < qint64(m_keys.size()); ++i) {
        if (matching.contains(m_keys[size_t(i)])) {
            cancelUpdate();
            m_pos = i;
            m_onDeletedRow = false;
            m_noMatch = false;
            return true;
        }
    }
    return true;
}

bool DataBinding::loadCurrentRow() const
{
    if (!hasCurrentRow())
        return fail(QStringLiteral("Aucun enregistrement en cours."));
    if (m_distinct)
        return true;
    const qint64 key = m_keys[size_t(m_pos)];
    if (key == m_cachedKey)
        return true;
    if (!m_rowStatement.isValid())
        m_rowStatement = m_db->prepare(QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(quoted(m_table)));
    m_rowStatement.reset();
    m_rowStatement.bind(1, key);
    if (!m_rowStatement.step()) {
        const QString error = m_rowStatement.error();
        m_rowStatement.reset();
        return fail(error.isEmpty() ? QStringLiteral("Cet enregistrement a été supprimé.") : error);
    }
    m_cachedRow.clear();
    for (int i = 0; i < m_rowStatement.columnCount(); ++i)
        m_cachedRow.append(m_rowStatement.column(i));
    m_rowStatement.reset();
    m_cachedKey = key;
    return true;
}

QVariant DataBinding::field(const QString &fieldName, bool *ok) const
{
    auto result = [&](bool good, const QVariant &v = {}) {
        if (ok)
            *ok = good;
        return v;
    };
    if (m_distinct) {
        if (fold(fieldName) != fold(m_distinctField))
            return fail(kItemNotFound), result(false);
        if (!hasCurrentRow())
            return fail(QStringLiteral("Aucun enregistrement en cours.")), result(false);
        return result(true, m_distinctValues[size_t(m_pos)]);
    }
    const int col = columnIndex(fieldName);
    if (col < 0)
        return fail(kItemNotFound), result(false);
    if (m_editMode != EditMode::None)
        return result(true, m_buffer.value(col));
    if (!loadCurrentRow())
        return result(false);
    return result(true, m_cachedRow.value(col));
}

bool DataBinding::setField(const QString &fieldName, const QVariant &value)
{
    if (m_editMode == EditMode::None)
        return fail(QStringLiteral("Modification impossible sans AddNew ni Edit."));
    const int col = columnIndex(fieldName);
    if (col < 0)
        return fail(kItemNotFound);
    m_buffer[col] = value;
    return true;
}

bool DataBinding::addNew()
{
    if (!m_open || m_distinct)
        return fail(QStringLiteral("Ce jeu d'enregistrements ne peut pas être modifié."));
    m_buffer = QVariantList(m_columns.size());
    m_editMode = EditMode::Adding;
    return true;
}

bool DataBinding::edit()
{
    if (m_distinct || !loadCurrentRow())
        return fail(QStringLiteral("Aucun enregistrement en cours."));
    m_buffer = m_cachedRow;
    m_editMode = EditMode::Editing;
    return true;
}

void DataBinding::cancelUpdate()
{
    m_editMode = EditMode::None;
    m_buffer.clear();
}

bool DataBinding::update()
{
    if (m_editMode == EditMode::None)
        return fail(QStringLiteral("Modification impossible sans AddNew ni Edit."));
    QStringList names;
    for (const QString &c : std::as_const(m_columns))
        names.append(quoted(c));
    SqliteStatement st;
    if (m_editMode == EditMode::Adding) {
        QStringList marks(names.size(), QStringLiteral("?"));
        st = m_db->prepare(
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(quoted(m_table), names.join(u','), marks.join(u',')));
        st.bindAll(m_buffer);
    } else {
        st = m_db->prepare(QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = ?")
                               .arg(quoted(m_table), names.join(QStringLiteral(" = ?, "))));
        st.bindAll(m_buffer);
        st.bind(int(m_buffer.size()) + 1, m_keys[size_t(m_pos)]);
    }
    if (!st.exec()) {
        const QString error = st.error();
        if (error.contains(QLatin1String("UNIQUE")))
            return fail(
                QStringLiteral("Enregistrement impossible : une ligne de la table « %1 » porte déjà ces valeurs.")
                    .arg(m_table));
        return fail(QStringLiteral("Enregistrement impossible : %1").arg(error));
    }
    if (m_editMode == EditMode::Adding)
        m_keys.push_back(m_db->lastInsertRowId());
    m_cachedKey = -1;
    cancelUpdate();
    return true;
}

bool DataBinding::deleteRecord()
{
    if (m_distinct || !hasCurrentRow())
        return fail(QStringLiteral("Aucun enregistrement en cours."));
    cancelUpdate();
    SqliteStatement st = m_db->prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(m_table)));
    st.bind(1, m_keys[size_t(m_pos)]);
    if (!st.exec())
        return fail(QStringLiteral("Suppression impossible : %1").arg(st.error()));
    m_keys.erase(m_keys.begin() + m_pos);
    m_cachedKey = -1;
    m_onDeletedRow = true;
    return true;
}

Question DataBinding::question() const
{
    Question q;
    auto text = [this](const QString &name) { return field(name).toString(); };
    q.code = text(QStringLiteral("Code"));
    q.numero = field(QStringLiteral("Numero")).toLongLong();
    q.libelle = text(QStringLiteral("Libellé"));
    for (int i = 0; i < 6; ++i) {
        q.lib[i] = text(QStringLiteral("lib%1").arg(i));
        bool ok = false;
        const QVariant v = field(QStringLiteral("Val%1").arg(i));
        const int points = v.toInt(&ok);
        q.val[i] = (!v.isNull() && ok) ? std::optional<int>(points) : std::nullopt;
    }
    for (int s = 0; s < kSpecialityCount; ++s)
        q.flags[s] = field(specialityInfo(Speciality(s)).flagField).toInt() == 1 ? 1 : 0;
    return q;
}

} // namespace qcm
