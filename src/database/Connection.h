#pragma once

#include "Sqlite.h"
#include "StoreError.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace qcm {

// A table as the file declares it: its real name and columns, with the
// columns found again whatever the letter case a caller spells them in.
struct TableInfo {
    QString name;
    QStringList columns;
    QHash<QString, int> columnByFoldedName;

    int column(const QString &fieldName) const { return columnByFoldedName.value(fieldName.toCaseFolded(), -1); }
};

// Tells whether any row may have changed since it was last read.
struct DataVersion {
    qint64 external = -1; // moves when another connection commits
    quint64 local = 0; // moves with every write and rollback made here

    bool operator==(const DataVersion &) const = default;
};

// What tells the file's content apart between runs: SQLite's change counter,
// which every writer moves at each commit, with the file's size and time.
struct FileStamp {
    quint32 changeCounter = 0;
    qint64 size = 0;
    qint64 modifiedMs = 0;

    bool operator==(const FileStamp &) const = default;
    QString toString() const;
    static std::optional<FileStamp> fromString(const QString &text);
};

// The one connection to a database file that every binding of the program
// shares: writes made through one binding are seen by the others, and a
// transaction can span several of them. Prepared statements and the table
// layout are kept for the life of the connection.
class Connection {
public:
    // Opens an existing file for reading and writing; never creates one.
    static std::shared_ptr<Connection> open(const QString &path, StoreError *error);
    // Opens an existing file that is only read: nothing can be written to it.
    static std::shared_ptr<Connection> openReadOnly(const QString &path, StoreError *error);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    QString path() const { return m_path; }
    SqliteDb &db() { return m_db; }

    // A prepared statement, reset and ready to bind; null on failure.
    SqliteStatement *statement(const QString &sql, StoreError *error);
    // The same, found by a short name of the caller's: its text is built by
    // sql() the first time only (empty when it cannot be, with the error).
    // For texts made from the table layout, which the connection keeps too.
    SqliteStatement *statement(const QString &name, const std::function<QString(StoreError *)> &sql, StoreError *error);
    // The table whose name matches without regard to case; null when absent.
    const TableInfo *table(const QString &wantedName, StoreError *error);

    // Moves whenever a row may have changed: every row written through this
    // connection, whoever wrote it (SQLite's update hook), every rollback, and
    // every commit made by another program to the file (PRAGMA data_version).
    DataVersion version();
    // The file's stamp as it stands; none when it cannot tell the content
    // apart (a journal beside the file, write-ahead logging) or cannot be read.
    // It belongs to a version() only when read next to it, in the order that
    // lets a commit in between show (see CountMemory).
    std::optional<FileStamp> fileStamp();

    // Called once a change made through this connection was committed or
    // rolled back, from inside SQLite: the listener only takes note (posts an
    // event) and never uses the connection from there.
    void setChangeListener(std::function<void()> listener) { m_changeListener = std::move(listener); }

    // Nested transactions: only the outermost commit reaches the file.
    bool begin(StoreError *error);
    bool commit(StoreError *error);
    void rollback();

    // The error of a failed statement, with its kind.
    StoreError errorOf(const SqliteStatement &statement) const;

private:
    explicit Connection(QString path);
    static std::shared_ptr<Connection> openFile(const QString &path, bool readOnly, StoreError *error);
    bool loadTableNames(StoreError *error);
    void installHooks();

    static void rowChanged(void *self, int, const char *, const char *, long long);
    static int committing(void *self);
    static void rolledBack(void *self);

    QString m_path;
    SqliteDb m_db;
    // Declared after m_db so that the statements are finalized first.
    std::map<QString, std::unique_ptr<SqliteStatement>> m_statements;
    QHash<QString, SqliteStatement *> m_statementByName;
    bool m_tableNamesLoaded = false;
    QHash<QString, QString> m_tableByFoldedName;
    std::map<QString, std::unique_ptr<TableInfo>> m_tables;
    quint64 m_localVersion = 0;
    bool m_uncommittedChange = false;
    std::function<void()> m_changeListener;
    int m_depth = 0;
};

// Begins a transaction on the connection and rolls it back when it goes out
// of scope without a commit, so that a failure halfway through a change of
// several rows leaves the file as it was.
class Transaction {
public:
    explicit Transaction(std::shared_ptr<Connection> connection);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    bool isActive() const { return m_active; }
    bool commit();
    void rollback();
    const StoreError &error() const { return m_error; }

private:
    std::shared_ptr<Connection> m_connection;
    bool m_active = false;
    StoreError m_error;
};

} // namespace qcm
