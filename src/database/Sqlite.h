#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

namespace qcm {

// Thin RAII layer over the SQLite C API: one connection, statements that
// finalize themselves, and errors returned as raw SQLite texts and result
// codes that the callers turn into their own messages.
// A table or column name as SQL text, between double quotes; names come
// from the file's own schema, never from the user.
QString quotedIdentifier(const QString &identifier);

class SqliteStatement {
public:
    SqliteStatement() = default;
    SqliteStatement(sqlite3 *db, const QString &sql);
    ~SqliteStatement();
    SqliteStatement(SqliteStatement &&other) noexcept;
    SqliteStatement &operator=(SqliteStatement &&other) noexcept;
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    bool isValid() const { return m_stmt != nullptr; }
    QString error() const { return m_error; }
    // The extended SQLite result code of the last failure, 0 when none.
    int errorCode() const { return m_errorCode; }

    void bind(int index, const QVariant &value); // 1-based
    void bindAll(const QVariantList &values);
    // true while a row is available; false at the end or on error (see error()).
    bool step();
    bool exec(); // steps to completion
    void reset();

    int columnCount() const;
    QString columnName(int i) const;
    QVariant column(int i) const;
    qint64 columnInt64(int i) const;
    // The column as UTF-8 text, without a copy: valid until the next step or reset.
    QByteArrayView columnUtf8(int i) const;
    bool columnIsNull(int i) const;
    bool columnIsInteger(int i) const;
    // The length of the column as text, in bytes, without converting it.
    int columnBytes(int i) const;

private:
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
    QString m_error;
    int m_errorCode = 0;
};

class SqliteDb {
public:
    enum class Mode { ReadWrite, ReadOnly, Create };

    SqliteDb() = default;
    ~SqliteDb();
    SqliteDb(const SqliteDb &) = delete;
    SqliteDb &operator=(const SqliteDb &) = delete;

    // Never creates a file unless asked: opening a missing path fails.
    // errorCode receives the SQLite result code of a failure.
    bool open(const QString &path, Mode mode, QString *error = nullptr, int *errorCode = nullptr);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    sqlite3 *handle() const { return m_db; }

    SqliteStatement prepare(const QString &sql) const { return SqliteStatement(m_db, sql); }
    bool exec(const QString &sql, QString *error = nullptr, int *errorCode = nullptr);
    QString lastError() const;
    int lastErrorCode() const;
    qint64 lastInsertRowId() const;

private:
    sqlite3 *m_db = nullptr;
};

} // namespace qcm
