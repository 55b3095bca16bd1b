#include "DataBinding.h"

#include <QSet>

#include <algorithm>

namespace qcm {

namespace {

const QString kNotEditable = QStringLiteral("Ce jeu d'enregistrements ne peut pas être modifié.");
const QString kNoEdit = QStringLiteral("Modification impossible sans AddNew ni Edit.");

} // namespace

DataBinding::DataBinding(QString name) : m_name(std::move(name)) { }

DataBinding::~DataBinding() = default;

bool DataBinding::fail(const StoreError &error) const
{
    m_lastError = error;
    return false;
}

bool DataBinding::fail(StoreErrorKind kind, const QString &description) const
{
    return fail(StoreErrors::make(kind, description));
}

void DataBinding::setDatabaseName(const QString &path)
{
    if (path != m_path || (m_connection && m_connection->path() != path))
        closeDatabase();
    m_path = path;
}

void DataBinding::setConnection(std::shared_ptr<Connection> connection)
{
    if (connection != m_connection) {
        clearRecordset();
        m_connection = std::move(connection);
    }
    if (m_connection)
        m_path = m_connection->path();
}

void DataBinding::setRecordSource(const StoreQuery &source)
{
    m_source = source;
}

void DataBinding::clearRecordset()
{
    m_open = false;
    m_table = nullptr;
    m_distinct = false;
    m_distinctColumn = -1;
    m_selectSql.clear();
    m_countSql.clear();
    m_selectValues.clear();
    m_keysLoaded = false;
    m_keysSql.clear();
    m_keysValues.clear();
    m_keys.clear();
    m_distinctValues.clear();
    m_pos = -1;
    m_anchor.reset();
    m_onDeletedRow = false;
    m_editMode = EditMode::None;
    m_buffer.clear();
    m_cachedKey = -1;
    m_cachedRow.clear();
}

void DataBinding::closeDatabase()
{
    clearRecordset();
    m_connection.reset();
}

bool DataBinding::ensureConnection()
{
    if (m_connection)
        return true;
    StoreError error;
    m_connection = Connection::open(m_path, &error);
    return m_connection ? true : fail(error);
}

bool DataBinding::whereClause(const QList<Comparison> &comparisons, QString &sql, QVariantList &values) const
{
    QStringList terms;
    for (const Comparison &c : comparisons) {
        const int col = m_table->column(c.field);
        if (col < 0)
            return fail(StoreErrorKind::FieldNotFound);
        terms.append(quotedIdentifier(m_table->columns.at(col)) + QStringLiteral(" = ?"));
        values.append(c.value);
    }
    if (!terms.isEmpty())
        sql += QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND "));
    return true;
}

// Placing a row without walking the keys before it. A column the WHERE holds
// equal is equal in every row, and is left out of the comparisons. For a row
// holding no Null in the others, the rows before it are counted by the first
// column where they differ from it: equal up to that column, then smaller
// there or Null (Nulls sort first), or equal in all and of a smaller rowid.
// Each count runs over an index range when an index fits, never a domain.
void DataBinding::preparePlacing(
    const TableInfo &table, const ParsedSelect &parsed, const QString &where, const QStringList &order)
{
    m_rankSql.clear();
    m_memberSql.clear();
    m_afterSql.clear();
    m_beforeSql.clear();
    m_placeColumns.clear();
    m_rankBinds.clear();
    if (m_distinct)
        return;
    const QString quotedTable = quotedIdentifier(table.name);
    const QString filter = where + (parsed.where.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND "));
    QList<int> fixed;
    for (const Comparison &c : std::as_const(parsed.where))
        fixed.append(table.column(c.field));
    m_placeColumns.assign(fixed.begin(), fixed.end());
    QStringList compared, beforeTerms, nullTerms, flags;
    QString prefix;
    auto ofRow = [&](const QString &columns) {
        return QStringLiteral("(SELECT %1 FROM %2 WHERE rowid = ?)").arg(columns, quotedTable);
    };
    for (const QString &field : parsed.orderBy) {
        const int col = table.column(field);
        m_placeColumns.push_back(col);
        if (fixed.contains(col))
            continue;
        const QString name = quotedIdentifier(table.columns.at(col));
        flags.append(name + QStringLiteral(" IS NULL"));
        beforeTerms.append(
            QStringLiteral("(SELECT count(*)") + filter + prefix + name + QStringLiteral(" < ") + ofRow(name) + u')');
        nullTerms.append(QStringLiteral("(SELECT count(*)") + filter + prefix + name + QStringLiteral(" IS NULL)"));
        m_rankBinds.push_back(int(compared.size()) + 1);
        compared.append(name);
        prefix += name + QStringLiteral(" = ") + ofRow(name) + QStringLiteral(" AND ");
    }
    beforeTerms.append(QStringLiteral("(SELECT count(*)") + filter + prefix + QStringLiteral("rowid < ?)"));
    m_rankBinds.push_back(int(compared.size()) + 1);
    for (qsizetype i = 0; i < nullTerms.size(); ++i)
        m_rankBinds.push_back(int(i));
    m_rankSql = QStringLiteral("SELECT ") + beforeTerms.join(QStringLiteral(" + ")) + QStringLiteral(", ")
        + (nullTerms.isEmpty() ? QStringLiteral("0") : nullTerms.join(QStringLiteral(" + ")));
    compared.append(QStringLiteral("rowid"));
    const QString row = QStringLiteral("(") + compared.join(u',') + QStringLiteral(")");
    const QString rowValues = ofRow(compared.join(u','));
    m_memberSql = QStringLiteral("SELECT ")
        + (flags.isEmpty() ? QStringLiteral("0") : flags.join(QStringLiteral(" OR "))) + filter
        + QStringLiteral("rowid = ?");
    QStringList descending;
    for (const QString &column : order)
        descending.append(column + QStringLiteral(" DESC"));
    m_afterSql = QStringLiteral("SELECT rowid") + filter + row + QStringLiteral(" > ") + rowValues
        + QStringLiteral(" ORDER BY ") + order.join(u',') + QStringLiteral(" LIMIT ?");
    m_beforeSql = QStringLiteral("SELECT rowid") + filter + row + QStringLiteral(" < ") + rowValues
        + QStringLiteral(" ORDER BY ") + descending.join(u',') + QStringLiteral(" LIMIT ?");
}

bool DataBinding::refresh()
{
    m_lastError = {};
    m_open = false;
    m_pos = -1;
    m_anchor.reset();
    m_onDeletedRow = false;
    cancelUpdate();
    ParsedSelect parsed;
    QString error;
    if (!parseSource(m_source, parsed, &error))
        return fail(StoreErrorKind::BadQuery, error);
    if (!ensureConnection())
        return false;
    const TableInfo *table = m_connection->table(parsed.table, &m_lastError);
    if (!table)
        return false;
    if (table != m_table)
        m_keysLoaded = false;
    m_table = table;

    QString sql;
    QVariantList values;
    m_distinct = !parsed.distinctField.isEmpty();
    if (m_distinct) {
        m_distinctColumn = table->column(parsed.distinctField);
        if (m_distinctColumn < 0)
            return fail(StoreErrorKind::FieldNotFound);
        sql = QStringLiteral("SELECT DISTINCT %1 FROM %2")
                  .arg(quotedIdentifier(table->columns.at(m_distinctColumn)), quotedIdentifier(table->name));
    } else {
        m_distinctColumn = -1;
        sql = QStringLiteral("SELECT rowid FROM %1").arg(quotedIdentifier(table->name));
    }
    if (!whereClause(parsed.where, sql, values))
        return false;
    // The count takes the same rows as the select, before its order.
    const QString countSql
        = m_distinct ? QString() : QStringLiteral("SELECT count(*)") + sql.mid(sql.indexOf(u" FROM "));
    const QString where = sql.mid(sql.indexOf(u" FROM "));
    QStringList order;
    for (const QString &field : parsed.orderBy) {
        const int col = table->column(field);
        if (col < 0)
            return fail(StoreErrorKind::FieldNotFound);
        order.append(quotedIdentifier(table->columns.at(col)));
    }
    // Without an order the table's own order stands, as in the original store.
    // Rows equal in the order keep the table's order, so that the keys read a
    // part at a time follow one another whatever plan SQLite takes for each.
    if (!m_distinct || order.isEmpty())
        order.append(QStringLiteral("rowid"));
    sql += QStringLiteral(" ORDER BY ") + order.join(u',');
    // The same shape of source needs no new statements to place a row by.
    if (sql != m_selectSql)
        preparePlacing(*table, parsed, where, order);

    // The same rows as last time need no new reading.
    if (m_keysLoaded && (sql != m_keysSql || values != m_keysValues || m_keysVersion != m_connection->version()))
        m_keysLoaded = false;
    if (!m_keysLoaded)
        m_cachedKey = -1;
    m_selectSql = sql;
    m_countSql = countSql;
    m_selectValues = values;
    m_open = true;
    m_pos = 0;
    return true;
}

bool DataBinding::ensureKeys() const
{
    return ensureKeyAt(-1);
}

// Reads the keys from where m_keys ends, each part twice the one before, until
// the position is covered; -1 reads them all. Parts grow with what was read,
// not with what is held, so that deleting rows one by one reads few parts.
bool DataBinding::ensureKeyAt(qint64 position) const
{
    if (!m_open)
        return false;
    if (!m_keysLoaded) {
        m_keys.clear();
        m_distinctValues.clear();
        m_keysComplete = false;
        m_keysPart = 64;
        m_farKeys.clear();
        m_count = -1;
        m_cachedKey = -1;
        m_keysLoaded = true;
        m_keysSql = m_selectSql;
        m_keysValues = m_selectValues;
        m_keysVersion = m_connection->version();
    }
    if (m_distinct)
        position = -1;
    while (!m_keysComplete && (position < 0 || position >= qint64(m_keys.size()))) {
        const bool whole = position < 0 && m_keys.empty();
        const qint64 wanted = m_keysPart;
        m_keysPart *= 2;
        StoreError error;
        SqliteStatement *st
            = m_connection->statement(whole ? m_selectSql : m_selectSql + QStringLiteral(" LIMIT ? OFFSET ?"), &error);
        if (!st)
            return fail(error);
        st->bindAll(m_selectValues);
        if (!whole) {
            st->bind(int(m_selectValues.size()) + 1, wanted);
            st->bind(int(m_selectValues.size()) + 2, qint64(m_keys.size()));
        }
        qint64 read = 0;
        while (st->step()) {
            if (m_distinct)
                m_distinctValues.push_back(st->column(0));
            else
                m_keys.push_back(st->columnInt64(0));
            ++read;
        }
        if (!st->error().isEmpty()) {
            const StoreError failure = m_connection->errorOf(*st);
            st->reset();
            m_keys.clear();
            m_distinctValues.clear();
            m_keysLoaded = false;
            return fail(failure);
        }
        st->reset();
        if (whole || read < wanted) {
            m_keysComplete = true;
            m_count = m_distinct ? qint64(m_distinctValues.size()) : qint64(m_keys.size());
        }
    }
    return true;
}

qint64 DataBinding::keyAt(qint64 position) const
{
    if (position < 0)
        return -1;
    if (m_keysLoaded && !m_keysComplete && !m_distinct && position >= qint64(m_keys.size()) + m_keysPart) {
        auto found = m_farKeys.find(position);
        if (found == m_farKeys.end() && readKeysAround(position))
            found = m_farKeys.find(position);
        return found == m_farKeys.end() ? -1 : found->second;
    }
    return ensureKeyAt(position) ? m_keys[size_t(position)] : -1;
}

// The keys of a page around the position: the last row and the rows a step
// back from it, or a row found and those after it, without the keys before.
bool DataBinding::readKeysAround(qint64 position) const
{
    const qint64 first = std::max<qint64>(qint64(m_keys.size()), position - 63);
    StoreError error;
    SqliteStatement *st = m_connection->statement(m_selectSql + QStringLiteral(" LIMIT ? OFFSET ?"), &error);
    if (!st)
        return fail(error);
    st->bindAll(m_selectValues);
    st->bind(int(m_selectValues.size()) + 1, position - first + 65);
    st->bind(int(m_selectValues.size()) + 2, first);
    for (qint64 at = first; st->step(); ++at)
        m_farKeys[at] = st->columnInt64(0);
    const bool read = st->error().isEmpty();
    const StoreError failure = read ? StoreError{} : m_connection->errorOf(*st);
    st->reset();
    return read || fail(failure);
}

// The statement, bound to the recordset's values and then these, or nothing
// with the error kept.
SqliteStatement *DataBinding::placing(const QString &sql, const QVariantList &values) const
{
    StoreError error;
    SqliteStatement *st = m_connection->statement(sql, &error);
    if (!st)
        return fail(error), nullptr;
    st->bindAll(m_selectValues + values);
    return st;
}

// Whether the row is in the recordset, and whether its compared columns hold
// a Null that the count of the rows before it could not see past.
DataBinding::Membership DataBinding::membership(qint64 row) const
{
    SqliteStatement *st = placing(m_memberSql, {row});
    if (!st)
        return Membership::Unknown;
    Membership found = Membership::Outside;
    if (st->step()) {
        found = st->columnInt64(0) == 0 ? Membership::Countable : Membership::Unknown;
    } else if (!st->error().isEmpty()) {
        fail(m_connection->errorOf(*st));
        found = Membership::Unknown;
    }
    st->reset();
    return found;
}

// The position of a countable row of the recordset, and whether rows holding
// a Null were counted among those before it.
std::optional<qint64> DataBinding::countedPosition(qint64 row, bool *nullsBefore) const
{
    // Each count binds the recordset's values, then the row once for each of
    // its comparisons; the first count's recordset values come with placing().
    QVariantList values;
    for (size_t term = 0; term < m_rankBinds.size(); ++term) {
        if (term > 0)
            values += m_selectValues;
        for (int i = 0; i < m_rankBinds[term]; ++i)
            values.append(row);
    }
    SqliteStatement *st = placing(m_rankSql, values);
    if (!st)
        return std::nullopt;
    std::optional<qint64> position;
    if (st->step()) {
        position = st->columnInt64(0) + st->columnInt64(1);
        *nullsBefore = st->columnInt64(1) != 0;
    } else {
        fail(m_connection->errorOf(*st));
    }
    st->reset();
    return position;
}

// The keys beside a row placed far past the keys read so far, found from its
// own values rather than by skipping the rows before it: moving from it
// reads nothing more. The rows before it are read so only when no Null was
// counted among them, as those escape the comparison.
void DataBinding::readKeysBeside(qint64 position, qint64 row, bool before) const
{
    m_farKeys[position] = row;
    auto read = [&](const QString &sql, qint64 count, qint64 step) {
        SqliteStatement *st = count > 0 ? placing(sql, {row, count}) : nullptr;
        if (!st)
            return;
        for (qint64 at = position + step; st->step(); at += step)
            m_farKeys[at] = st->columnInt64(0);
        st->reset();
    };
    read(m_afterSql, 64, 1);
    if (before)
        read(m_beforeSql, std::min<qint64>(63, position - qint64(m_keys.size())), -1);
}

// The first of these rows in the recordset, found without walking the keys
// before it: true when placed (its position counted later, when asked for),
// false when none is in the recordset, nothing when that cannot be told
// exactly (too many rows, a Null in a row's order, keys read before a change)
// and the keys are then walked instead.
std::optional<bool> DataBinding::placeOnFirstOf(const QSet<qint64> &rows)
{
    if (m_rankSql.isEmpty() || rows.size() > 8 || m_keysVersion != m_connection->version())
        return std::nullopt;
    std::vector<qint64> members;
    for (qint64 row : rows) {
        const Membership found = membership(row);
        if (found == Membership::Unknown)
            return std::nullopt;
        if (found == Membership::Countable)
            members.push_back(row);
    }
    if (members.empty())
        return false;
    std::optional<qint64> first;
    for (size_t i = 0; members.size() > 1 && i < members.size(); ++i) {
        bool nulls = false;
        const std::optional<qint64> at = countedPosition(members[i], &nulls);
        if (!at)
            return std::nullopt;
        first = first ? std::min(*first, *at) : *at;
    }
    cancelUpdate();
    m_onDeletedRow = false;
    m_anchor.reset();
    if (first)
        m_pos = *first;
    else
        m_anchor = members.front();
    return true;
}

// Counts the position of a row placed by findFirst, before anything uses it.
void DataBinding::settlePosition() const
{
    if (!m_anchor)
        return;
    const qint64 row = *m_anchor;
    m_anchor.reset();
    if (const auto read = std::find(m_keys.begin(), m_keys.end(), row); read != m_keys.end()) {
        m_pos = read - m_keys.begin();
        return;
    }
    bool nulls = false;
    if (const std::optional<qint64> at = countedPosition(row, &nulls)) {
        m_pos = *at;
        if (m_pos >= qint64(m_keys.size()) + m_keysPart)
            readKeysBeside(m_pos, row, !nulls);
        return;
    }
    // Unreadable: the keys are walked, and a row gone since is left for the end.
    ensureKeys();
    const auto walked = std::find(m_keys.begin(), m_keys.end(), row);
    m_pos = walked != m_keys.end() ? walked - m_keys.begin() : recordCount();
}

qint64 DataBinding::currentKey() const
{
    return m_anchor ? *m_anchor : keyAt(m_pos);
}

qint64 DataBinding::position() const
{
    settlePosition();
    return m_pos;
}

qint64 DataBinding::recordCount() const
{
    if (!ensureKeyAt(0))
        return 0;
    if (m_count >= 0)
        return m_count;
    for (const KnownCount &known : knownCounts())
        if (known.sql == m_countSql && known.values == m_selectValues)
            return m_count = known.count;
    StoreError error;
    SqliteStatement *st = m_connection->statement(m_countSql, &error);
    if (!st)
        return fail(error), 0;
    st->bindAll(m_selectValues);
    if (!st->step()) {
        fail(m_connection->errorOf(*st));
        st->reset();
        return 0;
    }
    m_count = st->columnInt64(0);
    st->reset();
    addKnownCount();
    return m_count;
}

DataVersion DataBinding::dataVersion() const
{
    if (!ensureKeyAt(0))
        return {};
    return m_keysVersion;
}

bool DataBinding::assumeCount(qint64 count, const DataVersion &validFor)
{
    if (m_distinct || !ensureKeyAt(0) || m_keysVersion != validFor || count < qint64(m_keys.size()))
        return false;
    if (m_keysComplete)
        return count == m_count;
    if (m_count < 0) {
        m_count = count;
        addKnownCount();
    }
    return m_count == count;
}

std::vector<DataBinding::KnownCount> &DataBinding::knownCounts() const
{
    if (m_knownCountsVersion != m_keysVersion) {
        m_knownCounts.clear();
        m_knownCountsVersion = m_keysVersion;
    }
    return m_knownCounts;
}

void DataBinding::addKnownCount() const
{
    std::vector<KnownCount> &known = knownCounts();
    if (known.size() >= 64)
        known.erase(known.begin());
    known.push_back({m_countSql, m_selectValues, m_count});
}

bool DataBinding::eof() const
{
    // A row found stands inside the recordset before its position is counted.
    return !m_open || (!m_anchor && m_pos >= recordCount());
}

bool DataBinding::bof() const
{
    return !m_open || (!m_anchor && (m_pos < 0 || recordCount() == 0));
}

bool DataBinding::hasCurrentRow() const
{
    return m_open && !m_onDeletedRow && (m_anchor || (m_pos >= 0 && m_pos < recordCount()));
}

bool DataBinding::moveFirst()
{
    if (!m_open || recordCount() == 0)
        return fail(StoreErrorKind::NoCurrentRecord);
    cancelUpdate();
    m_onDeletedRow = false;
    m_anchor.reset();
    m_pos = 0;
    return true;
}

bool DataBinding::moveLast()
{
    if (!m_open || recordCount() == 0)
        return fail(StoreErrorKind::NoCurrentRecord);
    cancelUpdate();
    m_onDeletedRow = false;
    m_anchor.reset();
    m_pos = recordCount() - 1;
    return true;
}

bool DataBinding::moveNext()
{
    if (!m_open)
        return fail(StoreErrorKind::NoCurrentRecord);
    settlePosition();
    cancelUpdate();
    if (m_onDeletedRow) {
        // The row after a deleted one has slid into its place.
        m_onDeletedRow = false;
        return true;
    }
    if (eof())
        return fail(StoreErrorKind::NoCurrentRecord);
    ++m_pos;
    return true;
}

bool DataBinding::movePrevious()
{
    if (!m_open)
        return fail(StoreErrorKind::NoCurrentRecord);
    settlePosition();
    cancelUpdate();
    m_onDeletedRow = false;
    if (m_pos < 0 || recordCount() == 0)
        return fail(StoreErrorKind::NoCurrentRecord);
    --m_pos;
    return true;
}

bool DataBinding::move(qint64 rows)
{
    if (!hasCurrentRow() && rows != 0)
        return fail(StoreErrorKind::NoCurrentRecord);
    settlePosition();
    cancelUpdate();
    m_pos = std::clamp<qint64>(m_pos + rows, -1, recordCount());
    return true;
}

bool DataBinding::findFirst(const StoreQuery &criteria)
{
    m_noMatch = true;
    if (!m_open || m_distinct || !ensureKeyAt(0))
        return fail(StoreErrorKind::NoCurrentRecord);
    QList<Comparison> comparisons;
    QString error;
    if (!parseCriteria(criteria, comparisons, &error))
        return fail(StoreErrorKind::BadQuery, error);
    QString sql = QStringLiteral("SELECT rowid FROM %1").arg(quotedIdentifier(m_table->name));
    QVariantList values;
    if (!whereClause(comparisons, sql, values))
        return false;
    StoreError failure;
    SqliteStatement *st = m_connection->statement(sql, &failure);
    if (!st)
        return fail(failure);
    st->bindAll(values);
    QSet<qint64> matching;
    while (st->step())
        matching.insert(st->columnInt64(0));
    if (!st->error().isEmpty()) {
        failure = m_connection->errorOf(*st);
        st->reset();
        return fail(failure);
    }
    st->reset();
    if (matching.isEmpty())
        return true;
    // A question found among tens of thousands without reading every key.
    if (const std::optional<bool> placed = placeOnFirstOf(matching)) {
        m_noMatch = !*placed;
        return true;
    }
    if (!ensureKeys())
        return false;
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
        return fail(StoreErrorKind::NoCurrentRecord);
    if (m_distinct)
        return true;
    const qint64 key = currentKey();
    if (key < 0)
        return false;
    if (key == m_cachedKey)
        return true;
    StoreError error;
    SqliteStatement *st = m_connection->statement(
        QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(quotedIdentifier(m_table->name)), &error);
    if (!st)
        return fail(error);
    st->bind(1, key);
    if (!st->step()) {
        const StoreError failure = st->error().isEmpty()
            ? StoreErrors::make(StoreErrorKind::NoCurrentRecord, QStringLiteral("Cet enregistrement a été supprimé."))
            : m_connection->errorOf(*st);
        st->reset();
        return fail(failure);
    }
    m_cachedRow.clear();
    m_cachedRow.reserve(st->columnCount());
    for (int i = 0; i < st->columnCount(); ++i)
        m_cachedRow.append(st->column(i));
    st->reset();
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
    if (!m_table)
        return fail(StoreErrorKind::NoCurrentRecord), result(false);
    if (m_distinct) {
        if (fieldName.toCaseFolded() != m_table->columns.value(m_distinctColumn).toCaseFolded())
            return fail(StoreErrorKind::FieldNotFound), result(false);
        if (!hasCurrentRow())
            return fail(StoreErrorKind::NoCurrentRecord), result(false);
        return result(true, m_distinctValues[size_t(m_pos)]);
    }
    const int col = m_table->column(fieldName);
    if (col < 0)
        return fail(StoreErrorKind::FieldNotFound), result(false);
    if (m_editMode != EditMode::None)
        return result(true, m_buffer.value(col));
    if (!loadCurrentRow())
        return result(false);
    return result(true, m_cachedRow.value(col));
}

bool DataBinding::setField(const QString &fieldName, const QVariant &value)
{
    if (m_editMode == EditMode::None)
        return fail(StoreErrorKind::Other, kNoEdit);
    const int col = m_table->column(fieldName);
    if (col < 0)
        return fail(StoreErrorKind::FieldNotFound);
    m_buffer[col] = value;
    return true;
}

bool DataBinding::addNew()
{
    if (!m_open || m_distinct || !ensureKeys())
        return fail(StoreErrorKind::Other, kNotEditable);
    m_buffer = QVariantList(m_table->columns.size());
    m_editMode = EditMode::Adding;
    return true;
}

bool DataBinding::edit()
{
    if (m_distinct)
        return fail(StoreErrorKind::Other, kNotEditable);
    if (!loadCurrentRow())
        return false;
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
        return fail(StoreErrorKind::Other, kNoEdit);
    QStringList names;
    for (const QString &c : std::as_const(m_table->columns))
        names.append(quotedIdentifier(c));
    const bool adding = m_editMode == EditMode::Adding;
    // A change that can move the row out of its place is made with its
    // position counted first, where the row stood.
    for (size_t i = 0; m_anchor && !adding && i < m_placeColumns.size(); ++i)
        if (m_buffer.value(m_placeColumns[i]) != m_cachedRow.value(m_placeColumns[i]))
            settlePosition();
    const QString sql = adding ? QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                     .arg(quotedIdentifier(m_table->name), names.join(u','),
                                         QStringList(names.size(), QStringLiteral("?")).join(u','))
                               : QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = ?")
                                     .arg(quotedIdentifier(m_table->name), names.join(QStringLiteral(" = ?, ")));
    StoreError failure;
    SqliteStatement *st = m_connection->statement(sql, &failure);
    if (!st)
        return fail(failure);
    st->bindAll(m_buffer);
    if (!adding)
        st->bind(int(m_buffer.size()) + 1, currentKey()); // read by edit()
    const bool done = st->exec();
    failure = done ? StoreError{} : m_connection->errorOf(*st);
    st->reset();
    if (!done) {
        if (failure.kind == StoreErrorKind::Constraint
            && failure.description == StoreErrors::make(failure.kind).description)
            failure.description
                = QStringLiteral("Enregistrement impossible : une ligne de la table « %1 » porte déjà ces valeurs.")
                      .arg(m_table->name);
        return fail(failure);
    }
    if (adding) {
        m_farKeys.clear();
        m_keys.push_back(m_connection->db().lastInsertRowId());
        m_count = qint64(m_keys.size());
    }
    m_cachedKey = -1;
    cancelUpdate();
    return true;
}

bool DataBinding::deleteRecord()
{
    settlePosition();
    if (m_distinct || !hasCurrentRow() || !ensureKeyAt(m_pos))
        return fail(StoreErrorKind::NoCurrentRecord);
    cancelUpdate();
    StoreError failure;
    SqliteStatement *st = m_connection->statement(
        QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quotedIdentifier(m_table->name)), &failure);
    if (!st)
        return fail(failure);
    st->bind(1, m_keys[size_t(m_pos)]);
    const bool done = st->exec();
    failure = done ? StoreError{} : m_connection->errorOf(*st);
    st->reset();
    if (!done)
        return fail(failure);
    m_keys.erase(m_keys.begin() + m_pos);
    m_farKeys.clear();
    if (m_count > 0)
        --m_count;
    m_cachedKey = -1;
    m_onDeletedRow = true;
    return true;
}

QString DataBinding::tableName() const
{
    return m_table ? m_table->name : QString();
}

std::optional<qint64> DataBinding::currentRowId() const
{
    if (m_distinct || m_editMode == EditMode::Adding || !hasCurrentRow())
        return std::nullopt;
    if (const qint64 key = currentKey(); key >= 0)
        return key;
    return std::nullopt;
}

BindingPlace::BindingPlace(DataBinding &binding)
    : m_binding(binding), m_source(binding.recordSource()), m_position(binding.position())
{
}

void BindingPlace::restore()
{
    if (m_done)
        return;
    m_done = true;
    // A binding released in between (no database bound) is left released
    // rather than opening a connection of its own.
    if (!m_binding.connection())
        return;
    m_binding.setRecordSource(m_source);
    if (m_binding.refresh() && m_position > 0)
        m_binding.move(m_position);
}

} // namespace qcm
