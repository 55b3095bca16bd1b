#include "Connection.h"

#include <QDateTime>
#include <QFileInfo>
#include <QStringList>

#include <sqlite3.h>

#include <utility>

namespace qcm {

Connection::Connection(QString path) : m_path(std::move(path)) { }

Connection::~Connection()
{
    m_changeListener = nullptr;
    m_statementByName.clear();
    m_statements.clear();
    if (m_depth > 0 && m_db.isOpen())
        m_db.exec(QStringLiteral("ROLLBACK"));
}

std::shared_ptr<Connection> Connection::open(const QString &path, StoreError *error)
{
    return openFile(path, false, error);
}

std::shared_ptr<Connection> Connection::openReadOnly(const QString &path, StoreError *error)
{
    return openFile(path, true, error);
}

std::shared_ptr<Connection> Connection::openFile(const QString &path, bool readOnly, StoreError *error)
{
    if (path.isEmpty()) {
        setError(
            error, StoreErrors::make(StoreErrorKind::Other, QStringLiteral("Aucune base de données n'est indiquée.")));
        return nullptr;
    }
    std::shared_ptr<Connection> c(new Connection(path));
    QString why;
    int code = 0;
    if (!c->m_db.open(path, readOnly ? SqliteDb::Mode::ReadOnly : SqliteDb::Mode::ReadWrite, &why, &code)) {
        StoreError e = StoreErrors::fromSqlite(code, why);
        if (e.kind == StoreErrorKind::Other)
            e.description = QStringLiteral("Impossible d'ouvrir la base de données « %1 » : %2").arg(path, why);
        setError(error, e);
        return nullptr;
    }
    c->installHooks();
    return c;
}

void Connection::installHooks()
{
    sqlite3_update_hook(m_db.handle(), &Connection::rowChanged, this);
    sqlite3_commit_hook(m_db.handle(), &Connection::committing, this);
    sqlite3_rollback_hook(m_db.handle(), &Connection::rolledBack, this);
}

void Connection::rowChanged(void *self, int, const char *, const char *, long long)
{
    auto *c = static_cast<Connection *>(self);
    ++c->m_localVersion;
    c->m_uncommittedChange = true;
}

int Connection::committing(void *self)
{
    auto *c = static_cast<Connection *>(self);
    if (std::exchange(c->m_uncommittedChange, false) && c->m_changeListener)
        c->m_changeListener();
    return 0; // let the commit go on
}

void Connection::rolledBack(void *self)
{
    auto *c = static_cast<Connection *>(self);
    // Whatever was read since the transaction began may be gone.
    ++c->m_localVersion;
    if (std::exchange(c->m_uncommittedChange, false) && c->m_changeListener)
        c->m_changeListener();
}

StoreError Connection::errorOf(const SqliteStatement &statement) const
{
    return StoreErrors::fromSqlite(statement.errorCode(), statement.error());
}

SqliteStatement *Connection::statement(const QString &sql, StoreError *error)
{
    auto it = m_statements.find(sql);
    if (it == m_statements.end()) {
        auto st = std::make_unique<SqliteStatement>(m_db.handle(), sql);
        if (!st->isValid()) {
            setError(error, errorOf(*st));
            return nullptr;
        }
        it = m_statements.emplace(sql, std::move(st)).first;
    }
    it->second->reset();
    return it->second.get();
}

SqliteStatement *Connection::statement(
    const QString &name, const std::function<QString(StoreError *)> &sql, StoreError *error)
{
    if (SqliteStatement *st = m_statementByName.value(name)) {
        st->reset();
        return st;
    }
    StoreError e;
    const QString text = sql(&e);
    if (text.isEmpty()) {
        setError(error, e.isError() ? e : StoreErrors::make(StoreErrorKind::BadQuery));
        return nullptr;
    }
    SqliteStatement *st = statement(text, error);
    if (st)
        m_statementByName.insert(name, st);
    return st;
}

bool Connection::loadTableNames(StoreError *error)
{
    if (m_tableNamesLoaded)
        return true;
    SqliteStatement st = m_db.prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type IN ('table','view')"));
    QHash<QString, QString> names;
    while (st.isValid() && st.step()) {
        const QString name = st.column(0).toString();
        names.insert(name.toCaseFolded(), name);
    }
    if (!st.isValid() || !st.error().isEmpty()) {
        StoreError e = errorOf(st);
        if (e.kind == StoreErrorKind::Other)
            e = StoreErrors::make(StoreErrorKind::NotADatabase,
                QStringLiteral("« %1 » n'est pas une base de données valide.").arg(m_path));
        setError(error, e);
        return false;
    }
    m_tableByFoldedName = std::move(names);
    m_tableNamesLoaded = true;
    return true;
}

const TableInfo *Connection::table(const QString &wantedName, StoreError *error)
{
    const QString folded = wantedName.toCaseFolded();
    if (auto it = m_tables.find(folded); it != m_tables.end())
        return it->second.get();
    if (!loadTableNames(error))
        return nullptr;
    const QString real = m_tableByFoldedName.value(folded);
    if (real.isEmpty()) {
        setError(error,
            StoreErrors::make(StoreErrorKind::Other,
                QStringLiteral("La table « %1 » est introuvable dans la base de données.").arg(wantedName)));
        return nullptr;
    }
    SqliteStatement info = m_db.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?)"));
    info.bind(1, real);
    auto t = std::make_unique<TableInfo>();
    t->name = real;
    while (info.step()) {
        const QString column = info.column(0).toString();
        t->columnByFoldedName.insert(column.toCaseFolded(), int(t->columns.size()));
        t->columns.append(column);
    }
    if (t->columns.isEmpty()) {
        StoreError e = errorOf(info);
        if (!e.isError())
            e = StoreErrors::make(
                StoreErrorKind::Other, QStringLiteral("La table « %1 » ne peut pas être lue.").arg(real));
        setError(error, e);
        return nullptr;
    }
    return m_tables.emplace(folded, std::move(t)).first->second.get();
}

DataVersion Connection::version()
{
    DataVersion v;
    v.local = m_localVersion;
    if (SqliteStatement *st = statement(QStringLiteral("PRAGMA data_version"), nullptr); st && st->step()) {
        v.external = st->columnInt64(0);
        st->reset();
    }
    return v;
}

QString FileStamp::toString() const
{
    return QStringLiteral("%1.%2.%3").arg(changeCounter).arg(size).arg(modifiedMs);
}

std::optional<FileStamp> FileStamp::fromString(const QString &text)
{
    const QStringList parts = text.split(u'.');
    if (parts.size() != 3)
        return std::nullopt;
    bool ok[3] = {};
    FileStamp stamp{parts[0].toUInt(&ok[0]), parts[1].toLongLong(&ok[1]), parts[2].toLongLong(&ok[2])};
    if (!ok[0] || !ok[1] || !ok[2])
        return std::nullopt;
    return stamp;
}

std::optional<FileStamp> Connection::fileStamp()
{
    // A journal beside the file may mean a commit under way or one to undo:
    // the header does not tell the content then.
    if (QFileInfo::exists(m_path + QStringLiteral("-journal")) || QFileInfo::exists(m_path + QStringLiteral("-wal")))
        return std::nullopt;
    // Read through SQLite's own handle: opening and closing the file again in
    // this process would drop the locks SQLite holds on it.
    sqlite3_file *file = nullptr;
    if (sqlite3_file_control(m_db.handle(), "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file
        || !file->pMethods)
        return std::nullopt;
    unsigned char header[28] = {};
    sqlite3_int64 size = 0;
    if (file->pMethods->xRead(file, header, sizeof header, 0) != SQLITE_OK
        || file->pMethods->xFileSize(file, &size) != SQLITE_OK)
        return std::nullopt;
    // Under write-ahead logging (read and write versions 2) the counter stays still.
    if (header[18] != 1 || header[19] != 1)
        return std::nullopt;
    const QFileInfo info(m_path);
    FileStamp stamp;
    stamp.changeCounter = quint32(header[24]) << 24 | quint32(header[25]) << 16 | quint32(header[26]) << 8 | header[27];
    stamp.size = size;
    stamp.modifiedMs = info.lastModified().toMSecsSinceEpoch();
    return stamp;
}

bool Connection::begin(StoreError *error)
{
    QString why;
    int code = 0;
    if (!m_db.exec(QStringLiteral("SAVEPOINT qcm_%1").arg(m_depth + 1), &why, &code)) {
        setError(error, StoreErrors::fromSqlite(code, why));
        return false;
    }
    ++m_depth;
    return true;
}

bool Connection::commit(StoreError *error)
{
    if (m_depth == 0)
        return true;
    QString why;
    int code = 0;
    if (m_db.exec(QStringLiteral("RELEASE qcm_%1").arg(m_depth), &why, &code)) {
        --m_depth;
        return true;
    }
    // A commit that could not reach the file is undone whole.
    setError(error, StoreErrors::fromSqlite(code, why));
    rollback();
    return false;
}

void Connection::rollback()
{
    if (m_depth == 0)
        return;
    const QString name = QStringLiteral("qcm_%1").arg(m_depth);
    if (m_depth == 1) {
        if (!sqlite3_get_autocommit(m_db.handle()))
            m_db.exec(QStringLiteral("ROLLBACK"));
    } else {
        m_db.exec(QStringLiteral("ROLLBACK TO ") + name);
        m_db.exec(QStringLiteral("RELEASE ") + name);
    }
    --m_depth;
    // Whatever a binding read since the transaction began may be gone.
    ++m_localVersion;
}

Transaction::Transaction(std::shared_ptr<Connection> connection) : m_connection(std::move(connection))
{
    if (!m_connection) {
        m_error = StoreErrors::noDatabase();
        return;
    }
    m_active = m_connection->begin(&m_error);
}

Transaction::~Transaction()
{
    rollback();
}

bool Transaction::commit()
{
    if (!m_active)
        return false;
    m_active = false;
    return m_connection->commit(&m_error);
}

void Transaction::rollback()
{
    if (!m_active)
        return;
    m_active = false;
    m_connection->rollback();
}

} // namespace qcm
