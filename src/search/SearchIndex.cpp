#include "SearchIndex.h"

#include "SearchText.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>

namespace qcm {

namespace {

// Moves whenever the layout of the index changes: an index of another
// layout is rebuilt.
constexpr const char *kFormat = "1";

// The index's own statements: texts are bound as the bank's UTF-8 bytes,
// without going through QString.
class Stmt {
public:
    Stmt(sqlite3 *db, const QString &sql)
    {
        const QByteArray utf8 = sql.toUtf8();
        if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr) != SQLITE_OK)
            m_stmt = nullptr;
    }
    ~Stmt() { sqlite3_finalize(m_stmt); }
    Stmt(const Stmt &) = delete;
    Stmt &operator=(const Stmt &) = delete;

    bool isValid() const { return m_stmt != nullptr; }
    void bind(int i, QByteArrayView utf8)
    {
        sqlite3_bind_text(m_stmt, i, utf8.data() ? utf8.data() : "", int(utf8.size()), SQLITE_TRANSIENT);
    }
    void bind(int i, const QString &text) { bind(i, QByteArrayView(text.toUtf8())); }
    void bind(int i, qint64 value) { sqlite3_bind_int64(m_stmt, i, value); }
    void bindNull(int i) { sqlite3_bind_null(m_stmt, i); }
    bool next() { return sqlite3_step(m_stmt) == SQLITE_ROW; }
    // Runs to completion and makes the statement ready for its next use.
    bool run()
    {
        const int rc = sqlite3_step(m_stmt);
        sqlite3_reset(m_stmt);
        return rc == SQLITE_DONE || rc == SQLITE_ROW;
    }
    bool finished()
    {
        const int rc = sqlite3_reset(m_stmt);
        return rc == SQLITE_OK;
    }
    void reset()
    {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
    QByteArrayView utf8(int column) const
    {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
        return text ? QByteArrayView(text, sqlite3_column_bytes(m_stmt, column)) : QByteArrayView();
    }
    QString text(int column) const { return QString::fromUtf8(utf8(column)); }
    qint64 integer(int column) const { return sqlite3_column_int64(m_stmt, column); }

private:
    sqlite3_stmt *m_stmt = nullptr;
};

// A question's texts as the bank holds them: statement then choices A to F.
constexpr int kTexts = 1 + kChoiceCount;

struct BankRow {
    QByteArray code;
    qint64 numero = 0;
    std::array<QByteArray, kTexts> texts;
};

// FNV-1a: the same on every machine, so that an index moved with its bank
// is not rebuilt for nothing.
class Digest {
public:
    void add(QByteArrayView bytes)
    {
        for (char c : bytes) {
            m_hash ^= static_cast<unsigned char>(c);
            m_hash *= 0x100000001b3ULL;
        }
        separator();
    }
    void add(qint64 value)
    {
        for (int i = 0; i < 8; ++i) {
            m_hash ^= static_cast<unsigned char>(value >> (8 * i));
            m_hash *= 0x100000001b3ULL;
        }
        separator();
    }
    qint64 value() const { return static_cast<qint64>(m_hash); }

private:
    void separator()
    {
        m_hash ^= 0x1f;
        m_hash *= 0x100000001b3ULL;
    }
    quint64 m_hash = 0xcbf29ce484222325ULL;
};

// What goes to the full-text table: the statement, and the choices one per
// line. The same bytes are rebuilt from the kept texts to take a question
// out of the index, which needs exactly what was put in.
QByteArray indexedText(QByteArrayView utf8)
{
    if (!SearchText::needsFolding(utf8))
        return utf8.toByteArray();
    return SearchText::forIndex(QString::fromUtf8(utf8)).toUtf8();
}

QByteArray indexedChoices(const std::array<QByteArrayView, kChoiceCount> &choices)
{
    QByteArray joined;
    for (int k = 0; k < kChoiceCount; ++k) {
        if (k > 0)
            joined += '\n';
        joined += choices[size_t(k)];
    }
    return indexedText(joined);
}

// Pairs a bank question with its entry. Two questions may share a key: the
// digests still tell them apart.
quint64 keyOf(QByteArrayView code, qint64 numero)
{
    Digest digest;
    digest.add(code);
    digest.add(numero);
    return quint64(digest.value());
}

// The column of Questions read for each field; missing ones read as Null.
// In the bank's order when building, which is the order of the results;
// in the file's order when comparing, which reads faster.
QString bankSelect(const TableInfo &table, bool ordered)
{
    QStringList fields{QStringLiteral("Code"), QStringLiteral("Numero"), QStringLiteral("Libellé")};
    for (int k = 0; k < kChoiceCount; ++k)
        fields << QStringLiteral("lib%1").arg(k);
    QStringList columns;
    for (const QString &field : fields) {
        const int column = table.column(field);
        columns << (column < 0 ? QStringLiteral("NULL") : quotedIdentifier(table.columns.at(column)));
    }
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(columns.join(u','), quotedIdentifier(table.name));
    if (ordered)
        sql += QStringLiteral(" ORDER BY %1, %2").arg(columns.at(0), columns.at(1));
    return sql;
}

} // namespace

QString bankStamp(const QString &bankPath)
{
    const QFileInfo bank(bankPath);
    if (!bank.exists())
        return {};
    // The header's change counter moves with every commit in the usual
    // journal mode, even one that leaves size and time alike.
    QByteArray counter;
    QFile file(bankPath);
    if (file.open(QIODevice::ReadOnly) && file.seek(24))
        counter = file.read(4).toHex();
    const QFileInfo wal(bankPath + QStringLiteral("-wal"));
    return QStringLiteral("%1:%2:%3:%4:%5")
        .arg(bank.size())
        .arg(bank.lastModified().toMSecsSinceEpoch())
        .arg(QString::fromLatin1(counter))
        .arg(wal.exists() ? wal.size() : -1)
        .arg(wal.exists() ? wal.lastModified().toMSecsSinceEpoch() : -1);
}

SearchIndex::~SearchIndex()
{
    sqlite3_close_v2(m_db);
}

QString SearchIndex::lastError() const
{
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("fichier fermé");
}

bool SearchIndex::exec(const char *sql, QString *error)
{
    char *message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    if (error)
        *error = QString::fromUtf8(message ? message : sqlite3_errmsg(m_db));
    sqlite3_free(message);
    return false;
}

std::unique_ptr<SearchIndex> SearchIndex::open(const QString &path, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("L'index de recherche « %1 » ne peut pas être utilisé : %2").arg(path, why);
        return nullptr;
    };
    if (QFileInfo(path).isDir())
        return fail(QStringLiteral("un dossier porte ce nom."));
    const QByteArray name = QFile::encodeName(path);
    for (int attempt = 0;; ++attempt) {
        std::unique_ptr<SearchIndex> index(new SearchIndex(path));
        if (sqlite3_open_v2(name.constData(), &index->m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
            != SQLITE_OK)
            return fail(index->lastError());
        // A file that can only be read cannot follow the bank.
        if (sqlite3_db_readonly(index->m_db, "main") == 1)
            return fail(QStringLiteral("le fichier ne peut pas être écrit."));
        sqlite3_busy_timeout(index->m_db, 3000);
        QString why;
        if (index->prepareSchema(&why))
            return index;
        // A damaged index is only a copy of the bank's words: made again.
        const int code = sqlite3_errcode(index->m_db) & 0xff;
        if (attempt > 0 || (code != SQLITE_NOTADB && code != SQLITE_CORRUPT))
            return fail(why);
        index.reset();
        for (const QString &suffix : {QString(), QStringLiteral("-journal"), QStringLiteral("-wal")})
            QFile::remove(path + suffix);
    }
}

bool SearchIndex::prepareSchema(QString *error)
{
    {
        Stmt format(m_db, QStringLiteral("SELECT value FROM meta WHERE key = 'format'"));
        if (format.isValid() && format.next() && format.text(0) == QLatin1String(kFormat)) {
            format.reset();
            Stmt stamp(m_db, QStringLiteral("SELECT value FROM meta WHERE key = 'stamp'"));
            m_stamp = stamp.isValid() && stamp.next() ? stamp.text(0) : QString();
            return true;
        }
    }
    // New, or of another layout: started again. Anything but an index of
    // ours is refused rather than emptied.
    Stmt tables(m_db,
        QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name NOT IN ('meta', 'entries', "
                       "'entries_reference') AND name NOT LIKE 'words%'"));
    if (!tables.isValid() || !tables.next()) {
        *error = lastError();
        return false;
    }
    if (tables.integer(0) != 0) {
        *error = QStringLiteral("ce fichier n'est pas un index de recherche du programme.");
        return false;
    }
    tables.reset();
    m_stamp.clear();
    return exec("PRAGMA page_size = 8192;"
                "BEGIN IMMEDIATE;"
                "DROP TABLE IF EXISTS words;"
                "DROP TABLE IF EXISTS entries;"
                "DROP TABLE IF EXISTS meta;"
                "CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT) WITHOUT ROWID;"
                "CREATE TABLE entries(id INTEGER PRIMARY KEY, code TEXT, numero INTEGER, digest INTEGER,"
                " libelle TEXT, lib0 TEXT, lib1 TEXT, lib2 TEXT, lib3 TEXT, lib4 TEXT, lib5 TEXT);"
                "CREATE INDEX entries_reference ON entries(code COLLATE NOCASE, numero);"
                // Prefixes of one and two letters are kept apart, so that the
                // first keystrokes of a word need no merging of every word.
                "CREATE VIRTUAL TABLE words USING fts5(libelle, choix, content='', detail=column, prefix='1 2',"
                " tokenize='unicode61 remove_diacritics 2');"
                "INSERT INTO meta VALUES ('programme', 'QCM Vol Libre : index de recherche des questions');"
                "INSERT INTO meta VALUES ('format', '1');"
                "COMMIT;",
               error)
        || (exec("ROLLBACK", nullptr), false);
}

std::optional<qint64> SearchIndex::bankQuestionCount(Connection &bank, StoreError *error)
{
    const TableInfo *table = bank.table(QStringLiteral("Questions"), error);
    if (!table)
        return std::nullopt;
    SqliteStatement *count
        = bank.statement(QStringLiteral("SELECT count(*) FROM %1").arg(quotedIdentifier(table->name)), error);
    if (!count)
        return std::nullopt;
    if (!count->step()) {
        setError(error, bank.errorOf(*count));
        count->reset();
        return std::nullopt;
    }
    const qint64 total = count->columnInt64(0);
    count->reset();
    return total;
}

qint64 SearchIndex::questionCount() const
{
    Stmt count(m_db, QStringLiteral("SELECT count(*) FROM entries"));
    return count.isValid() && count.next() ? count.integer(0) : 0;
}

SearchIndex::Update SearchIndex::update(
    Connection &bank, const QString &bankStamp, const ProgressFn &progress, QString *error)
{
    auto failed = [&](const QString &why) {
        if (error)
            *error = why;
        exec("ROLLBACK", nullptr);
        return Update::Failed;
    };
    StoreError storeError;
    const TableInfo *table = bank.table(QStringLiteral("Questions"), &storeError);
    if (!table)
        return failed(storeError.description);
    const QString inOrder = bankSelect(*table, true);
    const QString asStored = bankSelect(*table, false);
    const std::optional<qint64> counted = bankQuestionCount(bank, &storeError);
    if (!counted)
        return failed(storeError.description);
    const qint64 total = *counted;
    if (progress && !progress(0, total))
        return Update::Canceled;

    // What the index holds: each question's digest, by code and number.
    struct Entry {
        qint64 id = 0;
        qint64 digest = 0;
        qsizetype next = -1; // another entry under the same key
        bool used = false;
    };
    std::vector<Entry> entries;
    QHash<quint64, qsizetype> byKey;
    {
        Stmt read(m_db, QStringLiteral("SELECT id, code, numero, digest FROM entries"));
        if (!read.isValid())
            return failed(lastError());
        while (read.next()) {
            const quint64 key = keyOf(read.utf8(1), read.integer(2));
            const qsizetype at = qsizetype(entries.size());
            entries.push_back({read.integer(0), read.integer(3), byKey.value(key, -1), false});
            byKey.insert(key, at);
        }
        if (!read.finished())
            return failed(lastError());
    }

    // First pass: which questions are new or changed. While they are few,
    // their texts are kept, so that one edit costs no second reading.
    const qsizetype fewChanges = std::max<qsizetype>(2000, total / 4);
    struct Change {
        qint64 id = 0; // 0: a new question
        qint64 digest = 0;
        BankRow row;
    };
    std::vector<Change> changes;
    bool rebuild = entries.empty();
    qint64 done = 0;
    SqliteStatement *rows = bank.statement(asStored, &storeError);
    if (!rows)
        return failed(storeError.description);
    auto readRow = [&](Digest &digest) {
        digest.add(rows->columnUtf8(0));
        digest.add(rows->columnInt64(1));
        for (int t = 0; t < kTexts; ++t)
            digest.add(rows->columnUtf8(2 + t));
    };
    while (!rebuild && rows->step()) {
        Digest digest;
        readRow(digest);
        const quint64 key = keyOf(rows->columnUtf8(0), rows->columnInt64(1));
        qsizetype same = -1, other = -1;
        for (qsizetype at = byKey.value(key, -1); at >= 0; at = entries[size_t(at)].next) {
            const Entry &e = entries[size_t(at)];
            if (e.used)
                continue;
            if (e.digest == digest.value()) {
                same = at;
                break;
            }
            if (other < 0)
                other = at;
        }
        if (same >= 0) {
            entries[size_t(same)].used = true;
        } else {
            Change change{0, digest.value(), {rows->columnUtf8(0).toByteArray(), rows->columnInt64(1), {}}};
            for (int t = 0; t < kTexts; ++t)
                change.row.texts[size_t(t)] = rows->columnUtf8(2 + t).toByteArray();
            if (other >= 0) {
                entries[size_t(other)].used = true;
                change.id = entries[size_t(other)].id;
            }
            changes.push_back(std::move(change));
            rebuild = qsizetype(changes.size()) > fewChanges;
        }
        if (++done % 4096 == 0 && progress && !progress(done, total)) {
            rows->reset();
            return Update::Canceled;
        }
    }
    if (!rows->error().isEmpty()) {
        const QString why = bank.errorOf(*rows).description;
        rows->reset();
        return failed(why);
    }
    rows->reset();
    std::vector<qint64> removed;
    for (const Entry &e : entries)
        if (!e.used)
            removed.push_back(e.id);
    rebuild = rebuild || qsizetype(changes.size() + removed.size()) > fewChanges;

    QString why;
    if (!exec("BEGIN IMMEDIATE", &why))
        return failed(why);
    Stmt insertEntry(m_db,
        QStringLiteral("INSERT INTO entries(id, code, numero, digest, libelle, lib0, lib1, lib2, lib3, lib4, lib5) "
                       "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)"));
    Stmt updateEntry(m_db,
        QStringLiteral("UPDATE entries SET code = ?2, numero = ?3, digest = ?4, libelle = ?5, lib0 = ?6, lib1 = ?7, "
                       "lib2 = ?8, lib3 = ?9, lib4 = ?10, lib5 = ?11 WHERE id = ?1"));
    Stmt deleteEntry(m_db, QStringLiteral("DELETE FROM entries WHERE id = ?1"));
    Stmt oldTexts(
        m_db, QStringLiteral("SELECT libelle, lib0, lib1, lib2, lib3, lib4, lib5 FROM entries WHERE id = ?1"));
    Stmt insertWords(m_db, QStringLiteral("INSERT INTO words(rowid, libelle, choix) VALUES (?1, ?2, ?3)"));
    Stmt deleteWords(
        m_db, QStringLiteral("INSERT INTO words(words, rowid, libelle, choix) VALUES ('delete', ?1, ?2, ?3)"));
    if (!insertEntry.isValid() || !updateEntry.isValid() || !deleteEntry.isValid() || !oldTexts.isValid()
        || !insertWords.isValid() || !deleteWords.isValid())
        return failed(lastError());

    // id 0: a new entry, numbered after the others.
    auto storeEntry = [&](Stmt &st, qint64 id, QByteArrayView code, qint64 numero, qint64 digest,
                          const std::array<QByteArrayView, kTexts> &texts) {
        if (id == 0)
            st.bindNull(1);
        else
            st.bind(1, id);
        st.bind(2, code);
        st.bind(3, numero);
        st.bind(4, digest);
        for (int t = 0; t < kTexts; ++t)
            st.bind(5 + t, texts[size_t(t)]);
        return st.run();
    };
    auto addWords = [&](qint64 id, const std::array<QByteArrayView, kTexts> &texts) {
        insertWords.bind(1, id);
        insertWords.bind(2, QByteArrayView(indexedText(texts[0])));
        std::array<QByteArrayView, kChoiceCount> choices;
        for (int k = 0; k < kChoiceCount; ++k)
            choices[size_t(k)] = texts[size_t(1 + k)];
        insertWords.bind(3, QByteArrayView(indexedChoices(choices)));
        return insertWords.run();
    };
    // Taken out with exactly the words it was put in with.
    auto removeWords = [&](qint64 id) {
        oldTexts.bind(1, id);
        if (!oldTexts.next())
            return oldTexts.finished();
        std::array<QByteArrayView, kChoiceCount> choices;
        for (int k = 0; k < kChoiceCount; ++k)
            choices[size_t(k)] = oldTexts.utf8(1 + k);
        const QByteArray statement = indexedText(oldTexts.utf8(0));
        const QByteArray joined = indexedChoices(choices);
        oldTexts.reset();
        deleteWords.bind(1, id);
        deleteWords.bind(2, QByteArrayView(statement));
        deleteWords.bind(3, QByteArrayView(joined));
        return deleteWords.run();
    };

    if (rebuild) {
        // Every question again, numbered in the bank's order, which is the
        // order of the results.
        if (!exec("DELETE FROM entries; INSERT INTO words(words) VALUES ('delete-all');", &why))
            return failed(why);
        rows = bank.statement(inOrder, &storeError);
        if (!rows)
            return failed(storeError.description);
        qint64 id = 0;
        done = 0;
        while (rows->step()) {
            Digest digest;
            readRow(digest);
            std::array<QByteArrayView, kTexts> texts;
            for (int t = 0; t < kTexts; ++t)
                texts[size_t(t)] = rows->columnUtf8(2 + t);
            ++id;
            if (!storeEntry(insertEntry, id, rows->columnUtf8(0), rows->columnInt64(1), digest.value(), texts)
                || !addWords(id, texts)) {
                rows->reset();
                return failed(lastError());
            }
            if (++done % 2048 == 0 && progress && !progress(done, total)) {
                rows->reset();
                exec("ROLLBACK", nullptr);
                return Update::Canceled;
            }
        }
        if (!rows->error().isEmpty()) {
            const QString readError = bank.errorOf(*rows).description;
            rows->reset();
            return failed(readError);
        }
        rows->reset();
    } else {
        for (qint64 id : removed)
            if (!removeWords(id) || !deleteEntry.run())
                return failed(lastError());
        for (const Change &change : changes) {
            std::array<QByteArrayView, kTexts> texts;
            for (int t = 0; t < kTexts; ++t)
                texts[size_t(t)] = change.row.texts[size_t(t)];
            bool ok = true;
            qint64 id = change.id;
            if (id != 0) {
                // Kept under its number, so that it keeps its place among the results.
                ok = removeWords(id)
                    && storeEntry(updateEntry, id, change.row.code, change.row.numero, change.digest, texts);
            } else {
                ok = storeEntry(insertEntry, 0, change.row.code, change.row.numero, change.digest, texts);
                id = sqlite3_last_insert_rowid(m_db);
            }
            if (!ok || !addWords(id, texts))
                return failed(lastError());
        }
    }
    // The last chance to stop: the index stays as it was.
    if (progress && !progress(total, total)) {
        exec("ROLLBACK", nullptr);
        return Update::Canceled;
    }
    Stmt stamp(m_db, QStringLiteral("INSERT OR REPLACE INTO meta VALUES ('stamp', ?1)"));
    stamp.bind(1, bankStamp);
    if (!stamp.run() || !exec("COMMIT", &why))
        return failed(why.isEmpty() ? lastError() : why);
    m_stamp = bankStamp;
    return Update::Done;
}

namespace {

IndexedQuestion questionAt(Stmt &st, int first)
{
    IndexedQuestion q;
    q.code = st.text(first);
    q.numero = st.integer(first + 1);
    q.statement = st.text(first + 2);
    for (int k = 0; k < kChoiceCount; ++k)
        q.choices[size_t(k)] = st.text(first + 3 + k);
    return q;
}

} // namespace

std::optional<std::vector<IndexHit>> SearchIndex::search(const QString &typed, int limit, QString *error)
{
    auto failed = [&] {
        if (error)
            *error = lastError();
        return std::nullopt;
    };
    std::vector<IndexHit> hits;
    QSet<qint64> seen;
    const QString columns = QStringLiteral("id, code, numero, libelle, lib0, lib1, lib2, lib3, lib4, lib5");
    if (const auto reference = SearchText::reference(typed)) {
        Stmt byReference(m_db,
            QStringLiteral("SELECT %1 FROM entries WHERE code = ?1 COLLATE NOCASE AND numero = ?2 ORDER BY id")
                .arg(columns));
        if (!byReference.isValid())
            return failed();
        byReference.bind(1, reference->code);
        byReference.bind(2, reference->numero);
        while (byReference.next() && int(hits.size()) < limit) {
            seen.insert(byReference.integer(0));
            hits.push_back({questionAt(byReference, 1), false});
        }
        if (!byReference.finished())
            return failed();
    }
    const QStringList words = SearchText::queryWords(typed);
    if (words.isEmpty())
        return hits;

    // In the order of the index, which is the bank's: no ranking of every
    // match, so that a word found in most questions costs no more than a rare one.
    std::vector<std::pair<qint64, bool>> found;
    for (bool statementOnly : {true, false}) {
        const int wanted = limit - int(hits.size()) - int(found.size());
        if (wanted <= 0)
            break;
        Stmt match(m_db, QStringLiteral("SELECT rowid FROM words WHERE words MATCH ?1 LIMIT ?2"));
        if (!match.isValid())
            return failed();
        match.bind(1, SearchText::matchExpression(words, statementOnly));
        // The second pass meets the first one's questions again.
        match.bind(2, qint64(wanted) + (statementOnly ? 0 : qint64(found.size())));
        while (match.next()) {
            const qint64 id = match.integer(0);
            if (!seen.contains(id) && int(found.size()) + int(hits.size()) < limit) {
                seen.insert(id);
                found.push_back({id, statementOnly});
            }
        }
        if (!match.finished())
            return failed();
    }
    Stmt entry(m_db, QStringLiteral("SELECT %1 FROM entries WHERE id = ?1").arg(columns));
    if (!entry.isValid())
        return failed();
    for (const auto &[id, inStatement] : found) {
        entry.bind(1, id);
        if (entry.next())
            hits.push_back({questionAt(entry, 1), inStatement});
        if (!entry.finished())
            return failed();
    }
    return hits;
}

void QuestionSet::add(QByteArrayView code, qint64 numero)
{
    if (m_byCode.empty() || code != QByteArrayView(m_lastCode)) {
        const QString text = QString::fromUtf8(code);
        m_lastCode = code.toByteArray();
        const auto it
            = std::find_if(m_byCode.begin(), m_byCode.end(), [&](const auto &entry) { return entry.first == text; });
        // The code in use comes first.
        if (it == m_byCode.end())
            m_byCode.insert(m_byCode.begin(), {text, {}});
        else
            std::rotate(m_byCode.begin(), it, it + 1);
    }
    m_byCode.front().second.push_back(numero);
    ++m_size;
}

void QuestionSet::finish()
{
    for (auto &[code, numbers] : m_byCode)
        std::sort(numbers.begin(), numbers.end());
    m_lastCode.clear();
}

bool QuestionSet::contains(QStringView code, qint64 numero) const
{
    for (const auto &[c, numbers] : m_byCode)
        if (c == code)
            return std::binary_search(numbers.begin(), numbers.end(), numero);
    return false;
}

std::optional<QuestionSet> SearchIndex::matching(const QString &typed, QString *error)
{
    QuestionSet found;
    auto collect = [&](Stmt &st) {
        while (st.next())
            found.add(st.utf8(0), st.integer(1));
        if (st.finished())
            return true;
        if (error)
            *error = lastError();
        return false;
    };
    if (const auto reference = SearchText::reference(typed)) {
        Stmt byReference(
            m_db, QStringLiteral("SELECT code, numero FROM entries WHERE code = ?1 COLLATE NOCASE AND numero = ?2"));
        byReference.bind(1, reference->code);
        byReference.bind(2, reference->numero);
        if (!byReference.isValid() || !collect(byReference))
            return std::nullopt;
    }
    const QStringList words = SearchText::queryWords(typed);
    if (!words.isEmpty()) {
        Stmt match(m_db,
            QStringLiteral(
                "SELECT code, numero FROM entries WHERE id IN (SELECT rowid FROM words WHERE words MATCH ?1)"));
        if (!match.isValid()) {
            if (error)
                *error = lastError();
            return std::nullopt;
        }
        match.bind(1, SearchText::matchExpression(words, false));
        if (!collect(match))
            return std::nullopt;
    }
    found.finish();
    return found;
}

} // namespace qcm
