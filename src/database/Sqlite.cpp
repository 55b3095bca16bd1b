#include "Sqlite.h"

#include <sqlite3.h>

#include <QByteArray>

namespace qcm {

QString quotedIdentifier(const QString &identifier)
{
    QString s = identifier;
    s.replace(u'"', QStringLiteral("\"\""));
    return u'"' + s + u'"';
}

SqliteStatement::SqliteStatement(sqlite3 *db, const QString &sql) : m_db(db)
{
    if (!db) {
        m_error = QStringLiteral("database not open");
        m_errorCode = SQLITE_MISUSE;
        return;
    }
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr) != SQLITE_OK) {
        m_error = QString::fromUtf8(sqlite3_errmsg(db));
        m_errorCode = sqlite3_extended_errcode(db);
        m_stmt = nullptr;
    }
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_stmt);
}

SqliteStatement::SqliteStatement(SqliteStatement &&other) noexcept
    : m_db(other.m_db), m_stmt(other.m_stmt), m_error(std::move(other.m_error)), m_errorCode(other.m_errorCode)
{
    other.m_stmt = nullptr;
}

SqliteStatement &SqliteStatement::operator=(SqliteStatement &&other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_db = other.m_db;
        m_stmt = other.m_stmt;
        m_error = std::move(other.m_error);
        m_errorCode = other.m_errorCode;
        other.m_stmt = nullptr;
    }
    return *this;
}

void SqliteStatement::bind(int index, const QVariant &value)
{
    if (!m_stmt)
        return;
    if (value.isNull()) {
        sqlite3_bind_null(m_stmt, index);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Bool:
        sqlite3_bind_int64(m_stmt, index, value.toLongLong());
        break;
    case QMetaType::Double:
        sqlite3_bind_double(m_stmt, index, value.toDouble());
        break;
    default: {
        const QByteArray utf8 = value.toString().toUtf8();
        sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    }
}

void SqliteStatement::bindAll(const QVariantList &values)
{
    for (int i = 0; i < values.size(); ++i)
        bind(i + 1, values.at(i));
}

bool SqliteStatement::step()
{
    if (!m_stmt)
        return false;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE) {
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        m_errorCode = sqlite3_extended_errcode(m_db);
    }
    return false;
}

bool SqliteStatement::exec()
{
    if (!m_stmt)
        return false;
    m_error.clear();
    m_errorCode = 0;
    while (step()) { }
    return m_error.isEmpty();
}

void SqliteStatement::reset()
{
    if (m_stmt) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
    m_error.clear();
    m_errorCode = 0;
}

int SqliteStatement::columnCount() const
{
    return m_stmt ? sqlite3_column_count(m_stmt) : 0;
}

QString SqliteStatement::columnName(int i) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, i));
}

qint64 SqliteStatement::columnInt64(int i) const
{
    return sqlite3_column_int64(m_stmt, i);
}

QByteArrayView SqliteStatement::columnUtf8(int i) const
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, i));
    return text ? QByteArrayView(text, sqlite3_column_bytes(m_stmt, i)) : QByteArrayView();
}

bool SqliteStatement::columnIsInteger(int i) const
{
    return sqlite3_column_type(m_stmt, i) == SQLITE_INTEGER;
}

bool SqliteStatement::columnIsNull(int i) const
{
    return sqlite3_column_type(m_stmt, i) == SQLITE_NULL;
}

int SqliteStatement::columnBytes(int i) const
{
    return sqlite3_column_bytes(m_stmt, i);
}

QVariant SqliteStatement::column(int i) const
{
    switch (sqlite3_column_type(m_stmt, i)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(m_stmt, i)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, i));
    case SQLITE_NULL:
        return QVariant();
    default: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, i));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, i)));
    }
    }
}

SqliteDb::~SqliteDb()
{
    close();
}

bool SqliteDb::open(const QString &path, Mode mode, QString *error, int *errorCode)
{
    close();
    // One thread uses a connection: SQLite's own locking would only cost time.
    int flags = SQLITE_OPEN_NOMUTEX;
    switch (mode) {
    case Mode::ReadWrite:
        flags |= SQLITE_OPEN_READWRITE;
        break;
    case Mode::ReadOnly:
        flags |= SQLITE_OPEN_READONLY;
        break;
    case Mode::Create:
        flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        break;
    }
    const QByteArray utf8 = path.toUtf8();
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(utf8.constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        if (error)
            *error = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        if (errorCode)
            *errorCode = db ? sqlite3_extended_errcode(db) : rc;
        sqlite3_close(db);
        return false;
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 2000);
    m_db = db;
    return true;
}

void SqliteDb::close()
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

bool SqliteDb::exec(const QString &sql, QString *error, int *errorCode)
{
    char *msg = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &msg);
    if (rc != SQLITE_OK) {
        if (error)
            *error = msg ? QString::fromUtf8(msg) : QString::fromUtf8(sqlite3_errstr(rc));
        if (errorCode)
            *errorCode = m_db ? sqlite3_extended_errcode(m_db) : rc;
        sqlite3_free(msg);
        return false;
    }
    return true;
}

QString SqliteDb::lastError() const
{
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
}

int SqliteDb::lastErrorCode() const
{
    return m_db ? sqlite3_extended_errcode(m_db) : 0;
}

qint64 SqliteDb::lastInsertRowId() const
{
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

} // namespace qcm
