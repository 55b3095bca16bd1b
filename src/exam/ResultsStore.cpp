#include "ResultsStore.h"

#include "database/Sqlite.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QSysInfo>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace qcm {

namespace {

// "QCMR": tells a results file from any other SQLite file.
constexpr qint64 kApplicationId = 0x51434D52;
// The page check stops after this long: a big file is opened without delay.
constexpr std::chrono::milliseconds kCheckBudget{300};

const QStringList kCompanions{QString(), QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")};

QString choiceColumns()
{
    QString s;
    for (int i = 0; i < kChoiceCount; ++i)
        s += QStringLiteral(",\n  lib%1 TEXT").arg(i);
    for (int i = 0; i < kChoiceCount; ++i)
        s += QStringLiteral(",\n  val%1 INTEGER").arg(i);
    return s;
}

// Since the second version of the file: the checks made in the practice
// window by a named candidate, and the scores of every exam's questions
// readable without their texts, which the results views read whole.
QString practiceDdl()
{
    return QStringLiteral("CREATE INDEX exam_questions_scores ON exam_questions (exam_id, position, domain_code, "
                          "numero, score);\n"
                          "CREATE TABLE practice_checks (\n"
                          "  id INTEGER PRIMARY KEY,\n"
                          "  candidate_id INTEGER NOT NULL REFERENCES candidates (id),\n"
                          "  checked_at TEXT NOT NULL,\n"
                          "  bank_path TEXT NOT NULL DEFAULT '',\n"
                          "  domain_code TEXT NOT NULL,\n"
                          "  numero INTEGER NOT NULL,\n"
                          "  ticks TEXT NOT NULL DEFAULT '' CHECK (ticks NOT GLOB '*[^A-F]*'),\n"
                          "  score INTEGER NOT NULL);\n"
                          "CREATE INDEX practice_checks_by_candidate ON practice_checks (candidate_id, checked_at);\n");
}

// Dates are ISO 8601 with the offset from UTC: exams from several computers
// sort together.
QString ddl()
{
    return QStringLiteral("CREATE TABLE candidates (\n"
                          "  id INTEGER PRIMARY KEY,\n"
                          "  name TEXT NOT NULL COLLATE NOCASE UNIQUE,\n"
                          "  last_used TEXT NOT NULL);\n"
                          "CREATE TABLE exams (\n"
                          "  id INTEGER PRIMARY KEY,\n"
                          "  uuid TEXT NOT NULL UNIQUE,\n"
                          "  candidate_id INTEGER NOT NULL REFERENCES candidates (id),\n"
                          "  bank_path TEXT NOT NULL,\n"
                          "  paper_kind TEXT NOT NULL,\n"
                          "  paper_name TEXT NOT NULL,\n"
                          "  specialities TEXT NOT NULL DEFAULT '',\n"
                          "  duration_s INTEGER,\n"
                          "  negative_points TEXT NOT NULL,\n"
                          "  pass_mark INTEGER NOT NULL,\n"
                          "  maximum INTEGER NOT NULL,\n"
                          "  started_at TEXT NOT NULL,\n"
                          "  ended_at TEXT,\n"
                          "  time_used_s INTEGER NOT NULL DEFAULT 0,\n"
                          "  time_left_s INTEGER,\n"
                          "  state TEXT NOT NULL,\n"
                          "  mark INTEGER,\n"
                          "  retake_of TEXT,\n"
                          "  computer TEXT NOT NULL DEFAULT '');\n"
                          "CREATE INDEX exams_by_candidate ON exams (candidate_id, started_at);\n"
                          "CREATE INDEX exams_by_state ON exams (state);\n"
                          "CREATE TABLE exam_questions (\n"
                          "  exam_id INTEGER NOT NULL REFERENCES exams (id) ON DELETE CASCADE,\n"
                          "  position INTEGER NOT NULL,\n"
                          "  domain_code TEXT NOT NULL,\n"
                          "  domain_name TEXT NOT NULL DEFAULT '',\n"
                          "  numero INTEGER NOT NULL,\n"
                          "  statement TEXT NOT NULL")
        + choiceColumns()
        + QStringLiteral(",\n"
                         "  ticks TEXT NOT NULL DEFAULT '' CHECK (ticks NOT GLOB '*[^A-F]*'),\n"
                         "  flagged INTEGER NOT NULL DEFAULT 0 CHECK (flagged IN (0, 1)),\n"
                         "  score INTEGER,\n"
                         "  changed_at TEXT,\n"
                         "  PRIMARY KEY (exam_id, position)) WITHOUT ROWID;\n"
                         "CREATE INDEX exam_questions_by_reference ON exam_questions (domain_code, numero);\n")
        + practiceDdl();
}

QString isoText(const QDateTime &t)
{
    return t.toOffsetFromUtc(t.offsetFromUtc()).toString(Qt::ISODate);
}

QDateTime fromIso(const QVariant &v)
{
    return QDateTime::fromString(v.toString(), Qt::ISODate);
}

QVariant optionalValue(const std::optional<qint64> &v)
{
    return v ? QVariant(*v) : QVariant();
}

QString specialityText(const std::array<int, kSpecialityCount> &boxes)
{
    QString s;
    for (int b : boxes)
        s += b ? u'1' : u'0';
    return s;
}

std::array<int, kSpecialityCount> specialitiesFrom(const QString &text)
{
    std::array<int, kSpecialityCount> boxes{};
    for (int i = 0; i < kSpecialityCount && i < text.size(); ++i)
        boxes[size_t(i)] = text.at(i) == u'1' ? 1 : 0;
    return boxes;
}

StoreError failure(const QString &description, StoreErrorKind kind = StoreErrorKind::Other)
{
    return StoreErrors::make(kind, description);
}

enum class Verdict { Good, Empty, Unreadable, Refused };

struct Inspection {
    Verdict verdict = Verdict::Good;
    StoreError error; // why, for Unreadable and Refused
    qint64 version = 0; // of a good file
};

// Sorts what SQLite said into a file to set aside or one to leave alone.
Inspection fromSqliteFailure(const QString &path, int code, const QString &text)
{
    StoreError e = StoreErrors::fromSqlite(code, text);
    switch (e.kind) {
    case StoreErrorKind::NotADatabase:
        e.description = QStringLiteral("ce n'est pas une base de données");
        return {Verdict::Unreadable, e};
    case StoreErrorKind::Damaged:
        e.description = QStringLiteral("le fichier est endommagé");
        return {Verdict::Unreadable, e};
    case StoreErrorKind::Locked:
        e.description = QStringLiteral("Le fichier des résultats « %1 » est utilisé par un autre programme. "
                                       "Fermez-le, puis recommencez.")
                            .arg(path);
        return {Verdict::Refused, e};
    default:
        e.description
            = QStringLiteral("Le fichier des résultats « %1 » ne peut pas être lu : %2").arg(path, e.description);
        return {Verdict::Refused, e};
    }
}

// The pages checked within the budget, the rest trusted: a long check must
// not hold the program's start.
std::optional<Inspection> checkPages(Connection &connection, const QString &path)
{
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    sqlite3 *handle = connection.db().handle();
    std::thread watchdog([&] {
        std::unique_lock lock(mutex);
        if (!finished.wait_for(lock, kCheckBudget, [&] { return done; }))
            sqlite3_interrupt(handle);
    });
    SqliteStatement check = connection.db().prepare(QStringLiteral("PRAGMA quick_check(1)"));
    const bool answered = check.step();
    const QString verdict = answered ? check.column(0).toString() : QString();
    const int code = check.errorCode();
    const QString text = check.error();
    check = SqliteStatement();
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    finished.notify_one();
    watchdog.join();
    if (answered && verdict != QStringLiteral("ok"))
        return Inspection{Verdict::Unreadable,
            StoreErrors::make(StoreErrorKind::Damaged, QStringLiteral("le fichier est endommagé"))};
    if (!answered && (code & 0xff) != SQLITE_INTERRUPT && !text.isEmpty())
        return fromSqliteFailure(path, code, text);
    return std::nullopt;
}

Inspection inspect(Connection &connection, const QString &path)
{
    SqliteDb &db = connection.db();
    auto scalar = [&db](const QString &sql, qint64 *out) -> std::optional<std::pair<int, QString>> {
        SqliteStatement st = db.prepare(sql);
        if (st.step()) {
            *out = st.columnInt64(0);
            return std::nullopt;
        }
        return std::pair{st.errorCode() ? st.errorCode() : db.lastErrorCode(), st.error()};
    };
    qint64 application = 0, version = 0, tables = 0;
    for (const auto &[sql, out] : {std::pair{QStringLiteral("PRAGMA application_id"), &application},
             std::pair{QStringLiteral("PRAGMA user_version"), &version},
             std::pair{QStringLiteral("SELECT count(*) FROM sqlite_master"), &tables}})
        if (const auto failed = scalar(sql, out))
            return fromSqliteFailure(path, failed->first, failed->second);
    if (application == 0 && tables == 0)
        return {Verdict::Empty, {}};
    if (application != kApplicationId)
        return {Verdict::Unreadable,
            failure(
                QStringLiteral("ce n'est pas un fichier de résultats d'examens blancs"), StoreErrorKind::NotADatabase)};
    if (version > ResultsStore::kSchemaVersion)
        return {Verdict::Refused,
            failure(QStringLiteral("Le fichier des résultats « %1 » vient d'une version plus récente du programme : "
                                   "il n'est pas modifié. Mettez le programme à jour pour l'utiliser.")
                        .arg(path))};
    qint64 known = 0;
    if (const auto failed = scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name "
                                                  "IN ('candidates', 'exams', 'exam_questions', 'practice_checks')"),
            &known))
        return fromSqliteFailure(path, failed->first, failed->second);
    if (version < 1 || known != (version >= 2 ? 4 : 3))
        return {Verdict::Unreadable, failure(QStringLiteral("il lui manque des tables"), StoreErrorKind::Damaged)};
    if (const auto damaged = checkPages(connection, path))
        return *damaged;
    if (sqlite3_db_readonly(db.handle(), "main") == 1 || !QFileInfo(QFileInfo(path).absolutePath()).isWritable())
        return {Verdict::Refused,
            failure(QStringLiteral("Le fichier des résultats « %1 » est en lecture seule : les réponses ne pourraient "
                                   "pas y être enregistrées.")
                        .arg(path),
                StoreErrorKind::ReadOnly)};
    return {Verdict::Good, {}, version};
}

// A file of an older version gains what is new, all or nothing: on failure
// it is left as it was and refused.
StoreError upgrade(SqliteDb &db, const QString &path, qint64 version)
{
    if (version >= ResultsStore::kSchemaVersion)
        return {};
    QString why;
    const bool done = db.exec(QStringLiteral("BEGIN"), &why) && db.exec(practiceDdl(), &why)
        && db.exec(QStringLiteral("PRAGMA user_version = %1").arg(ResultsStore::kSchemaVersion), &why)
        && db.exec(QStringLiteral("COMMIT"), &why);
    if (done)
        return {};
    const int code = db.lastErrorCode();
    db.exec(QStringLiteral("ROLLBACK"));
    StoreError e = StoreErrors::fromSqlite(code, why);
    e.description = QStringLiteral("Le fichier des résultats « %1 » n'a pas pu être mis à jour pour cette version du "
                                   "programme : %2. Il n'est pas modifié.")
                        .arg(path, e.kind == StoreErrorKind::DiskFull ? e.description : why);
    return e;
}

bool initialise(SqliteDb &db, QString *why)
{
    return db.exec(QStringLiteral("BEGIN"), why)
        && db.exec(QStringLiteral("PRAGMA application_id = %1; PRAGMA user_version = %2;")
                       .arg(kApplicationId)
                       .arg(ResultsStore::kSchemaVersion),
            why)
        && db.exec(ddl(), why) && db.exec(QStringLiteral("COMMIT"), why);
}

// Made beside its final name and renamed once complete: a crash never
// leaves a half-made results file.
StoreError createFile(const QString &path)
{
    const QString temporary = path + QStringLiteral(".nouveau");
    for (const QString &suffix : kCompanions)
        QFile::remove(temporary + suffix);
    QString why;
    int code = 0;
    {
        SqliteDb db;
        if (!db.open(temporary, SqliteDb::Mode::Create, &why, &code)
            || !db.exec(QStringLiteral("PRAGMA journal_mode = DELETE"), &why, &code) || !initialise(db, &why)) {
            code = db.lastErrorCode() ? db.lastErrorCode() : code;
            db.close();
            for (const QString &suffix : kCompanions)
                QFile::remove(temporary + suffix);
            StoreError e = StoreErrors::fromSqlite(code, why);
            e.description = QStringLiteral("Le fichier des résultats « %1 » ne peut pas être créé : %2")
                                .arg(path, e.kind == StoreErrorKind::DiskFull ? e.description : why);
            return e;
        }
    }
    QFile file(temporary);
    if (!file.rename(path)) {
        QFile::remove(temporary);
        return failure(
            QStringLiteral("Le fichier des résultats « %1 » ne peut pas être créé : %2").arg(path, file.errorString()));
    }
    return {};
}

// The file and whatever SQLite keeps beside it go together: a journal left
// next to a new file of the same name would be played into it.
StoreError setAside(const QString &path, const QDateTime &now, QString *aside)
{
    const QFileInfo info(path);
    const QString stem = info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    const QString when = now.toString(QStringLiteral("dd-MM-yyyy 'à' HH'h'mm"));
    QString target;
    for (int n = 1;; ++n) {
        target = info.dir().filePath(QStringLiteral("%1 (illisible, mis de côté le %2%3)%4")
                                         .arg(stem, when, n > 1 ? QStringLiteral(" n° %1").arg(n) : QString(), suffix));
        bool free = true;
        for (const QString &companion : kCompanions)
            free = free && !QFileInfo::exists(target + companion);
        if (free)
            break;
    }
    for (const QString &companion : kCompanions) {
        if (!QFileInfo::exists(path + companion))
            continue;
        QFile file(path + companion);
        if (!file.rename(target + companion))
            return failure(QStringLiteral("Le fichier des résultats « %1 » ne peut pas être lu et n'a pas pu être mis "
                                          "de côté (%2) : il n'est pas modifié. Déplacez-le, puis recommencez.")
                               .arg(path, file.errorString()));
    }
    *aside = target;
    return {};
}

} // namespace

QString stateWord(ExamState state)
{
    switch (state) {
    case ExamState::InProgress:
        return QStringLiteral("en cours");
    case ExamState::HandedIn:
        return QStringLiteral("rendu");
    case ExamState::TimeUp:
        return QStringLiteral("temps écoulé");
    case ExamState::Abandoned:
        return QStringLiteral("abandonné");
    case ExamState::PaperCopy:
        return QStringLiteral("copie papier");
    }
    return {};
}

QString paperKindWord(PaperKind kind)
{
    switch (kind) {
    case PaperKind::Questionnaire:
        return QStringLiteral("questionnaire");
    case PaperKind::Draw:
        return QStringLiteral("tirage");
    case PaperKind::Retake:
        return QStringLiteral("reprise");
    }
    return {};
}

QString negativePointsWord(NegativePoints rule)
{
    return rule == NegativePoints::FloorEachQuestion ? QStringLiteral("par question") : QStringLiteral("sur le total");
}

QString tickLetters(quint8 ticks)
{
    QString s;
    for (int i = 0; i < kChoiceCount; ++i)
        if ((ticks >> i) & 1)
            s += QChar(u'A' + i);
    return s;
}

quint8 ticksFromLetters(const QString &letters)
{
    quint8 ticks = 0;
    for (QChar c : letters)
        if (c >= u'A' && c < QChar(u'A' + kChoiceCount))
            ticks |= quint8(1u << (c.unicode() - u'A'));
    return ticks;
}

ResultsStore::ResultsStore(QString path, std::shared_ptr<Connection> connection)
    : m_path(std::move(path)), m_connection(std::move(connection))
{
}

ResultsStore::~ResultsStore() = default;

ResultsOpening ResultsStore::open(const QString &path, const QDateTime &now)
{
    ResultsOpening opening;
    if (QFileInfo(path).isDir()) {
        opening.error = failure(QStringLiteral("« %1 » est un dossier, pas un fichier des résultats.").arg(path));
        return opening;
    }
    if (!QFileInfo::exists(path)) {
        if (const StoreError e = createFile(path)) {
            opening.error = e;
            return opening;
        }
    }
    std::shared_ptr<Connection> connection = Connection::open(path, &opening.error);
    if (!connection) {
        opening.error.description = QStringLiteral("Le fichier des résultats « %1 » ne peut pas être ouvert : %2")
                                        .arg(path, opening.error.description);
        return opening;
    }
    const Inspection inspection = inspect(*connection, path);
    switch (inspection.verdict) {
    case Verdict::Good:
        if (const StoreError e = upgrade(connection->db(), path, inspection.version)) {
            opening.error = e;
            return opening;
        }
        break;
    case Verdict::Empty: {
        // Nothing in it to lose: it becomes the results file.
        QString why;
        if (!connection->db().exec(QStringLiteral("PRAGMA journal_mode = DELETE"), &why)
            || !initialise(connection->db(), &why)) {
            connection->db().exec(QStringLiteral("ROLLBACK"));
            opening.error = StoreErrors::fromSqlite(connection->db().lastErrorCode(), why);
            opening.error.description
                = QStringLiteral("Le fichier des résultats « %1 » ne peut pas être préparé : %2").arg(path, why);
            return opening;
        }
        break;
    }
    case Verdict::Refused:
        opening.error = inspection.error;
        return opening;
    case Verdict::Unreadable: {
        connection.reset();
        if (const StoreError e = setAside(path, now, &opening.setAsidePath)) {
            opening.error = e;
            return opening;
        }
        opening.setAsideReason = inspection.error.description;
        if (const StoreError e = createFile(path)) {
            opening.error = e;
            return opening;
        }
        connection = Connection::open(path, &opening.error);
        if (!connection)
            return opening;
        break;
    }
    }
    // Every answer reaches the disk before the program goes on, at the cost
    // of one disk flush per answer with a write-ahead log (a rollback journal
    // needs three or four). A normal close folds the log back into the file.
    QString why;
    connection->db().exec(
        QStringLiteral("PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL; PRAGMA foreign_keys = ON;"), &why);
    opening.store.reset(new ResultsStore(path, std::move(connection)));
    opening.error = {};
    return opening;
}

std::optional<QStringList> ResultsStore::candidates(StoreError *error) const
{
    SqliteStatement *st = m_connection->statement(
        QStringLiteral("SELECT name FROM candidates ORDER BY last_used DESC, id DESC"), error);
    if (!st)
        return std::nullopt;
    QStringList names;
    while (st->step())
        names.append(st->column(0).toString());
    if (!st->error().isEmpty()) {
        setError(error, m_connection->errorOf(*st));
        return std::nullopt;
    }
    return names;
}

StoreError ResultsStore::checkRoom() const
{
    const QStorageInfo storage(QFileInfo(m_path).absolutePath());
    const qint64 available = storage.isValid() ? storage.bytesAvailable() : -1;
    if (available >= 0 && available < kRoomNeeded)
        return StoreErrors::make(StoreErrorKind::DiskFull,
            QStringLiteral("Le disque qui contient le fichier des résultats « %1 » est presque plein (il reste %2 Kio "
                           "libres) : l'examen blanc ne commence pas, pour ne perdre aucune réponse en cours "
                           "d'examen. Libérez de la place sur ce disque, puis recommencez.")
                .arg(m_path)
                .arg(available / 1024));
    return {};
}

namespace {

// Runs a statement of the connection's cache with its values; null, with
// *e set, on failure.
SqliteStatement *run(Connection &connection, const QString &sql, const QVariantList &values, StoreError *e)
{
    SqliteStatement *st = connection.statement(sql, e);
    if (!st)
        return nullptr;
    st->bindAll(values);
    if (!st->exec()) {
        *e = connection.errorOf(*st);
        return nullptr;
    }
    return st;
}

const QString kFinishedStates = QStringLiteral("'rendu', 'temps écoulé', 'copie papier'");

} // namespace

std::optional<qint64> ResultsStore::useCandidate(
    const QString &name, const QDateTime &now, QString *storedName, StoreError *e)
{
    if (!run(*m_connection,
            QStringLiteral("INSERT INTO candidates (name, last_used) VALUES (?, ?) "
                           "ON CONFLICT (name) DO UPDATE SET last_used = excluded.last_used"),
            {name, isoText(now)}, e))
        return std::nullopt;
    SqliteStatement *who = m_connection->statement(QStringLiteral("SELECT id, name FROM candidates WHERE name = ?"), e);
    if (!who)
        return std::nullopt;
    who->bindAll({name});
    if (!who->step()) {
        *e = who->error().isEmpty() ? failure(QStringLiteral("Le candidat n'a pas pu être enregistré."))
                                    : m_connection->errorOf(*who);
        return std::nullopt;
    }
    const qint64 id = who->columnInt64(0);
    if (storedName)
        *storedName = who->column(1).toString();
    who->reset();
    return id;
}

StoreError ResultsStore::insertExam(ExamRecord &exam, qint64 candidateId, const QList<int> *scores)
{
    StoreError e;
    if (!run(*m_connection,
            QStringLiteral("INSERT INTO exams (uuid, candidate_id, bank_path, paper_kind, paper_name, specialities, "
                           "duration_s, negative_points, pass_mark, maximum, started_at, ended_at, time_used_s, "
                           "time_left_s, state, mark, retake_of, computer) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {exam.uuid, candidateId, exam.bankPath, paperKindWord(exam.paperKind), exam.paperName,
                specialityText(exam.specialities), optionalValue(exam.durationSeconds),
                negativePointsWord(exam.negative), exam.passMark, exam.maximum, isoText(exam.started),
                exam.ended ? QVariant(isoText(*exam.ended)) : QVariant(), exam.secondsUsed,
                optionalValue(exam.secondsLeft()), stateWord(exam.state), exam.mark ? QVariant(*exam.mark) : QVariant(),
                exam.retakeOf.isEmpty() ? QVariant() : QVariant(exam.retakeOf), QSysInfo::machineHostName()},
            &e))
        return e;
    const qint64 id = m_connection->db().lastInsertRowId();

    QString columns = QStringLiteral("exam_id, position, domain_code, domain_name, numero, statement");
    for (int i = 0; i < kChoiceCount; ++i)
        columns += QStringLiteral(", lib%1, val%1").arg(i);
    columns += QStringLiteral(", ticks, flagged, score");
    const QString insert = QStringLiteral("INSERT INTO exam_questions (%1) VALUES (%2)")
                               .arg(columns, QStringList(9 + 2 * kChoiceCount, QStringLiteral("?")).join(u','));
    for (int p = 0; p < exam.questions.size(); ++p) {
        const ExamQuestion &q = exam.questions.at(p);
        QVariantList values{id, p, q.domainCode, q.domainName, q.numero, q.statement};
        for (int i = 0; i < kChoiceCount; ++i) {
            values.append(q.lib[size_t(i)].isEmpty() ? QVariant() : QVariant(q.lib[size_t(i)]));
            values.append(optionalValue(q.val[size_t(i)]));
        }
        values << tickLetters(q.ticks) << (q.flagged ? 1 : 0)
               << (scores && p < scores->size() ? QVariant(scores->at(p)) : QVariant());
        if (!run(*m_connection, insert, values, &e))
            return e;
    }
    exam.id = id;
    return {};
}

StoreError ResultsStore::storeExam(ExamRecord &exam, const QDateTime &now, const QList<int> *scores)
{
    Transaction transaction(m_connection);
    if (!transaction.isActive())
        return transaction.error();
    StoreError e;
    QString storedName;
    const std::optional<qint64> candidate = useCandidate(exam.candidate, now, &storedName, &e);
    if (!candidate)
        return e;
    ExamRecord stored = exam;
    if (const StoreError failed = insertExam(stored, *candidate, scores))
        return failed;
    if (!transaction.commit())
        return transaction.error();
    exam.id = stored.id;
    exam.candidate = storedName;
    return {};
}

StoreError ResultsStore::createExam(ExamRecord &exam, const QDateTime &now)
{
    ExamRecord started = exam;
    started.state = ExamState::InProgress;
    started.ended.reset();
    started.mark.reset();
    if (const StoreError e = storeExam(started, now, nullptr))
        return e;
    exam.id = started.id;
    exam.candidate = started.candidate;
    return {};
}

StoreError ResultsStore::storePaperCopy(ExamRecord &exam, const QList<int> &scores, const QDateTime &now)
{
    if (exam.state != ExamState::PaperCopy || scores.size() != exam.questions.size() || !exam.mark)
        return failure(QStringLiteral("La copie papier n'est pas complète : elle n'est pas enregistrée."));
    return storeExam(exam, now, &scores);
}

StoreError ResultsStore::recordCheck(const PracticeCheck &check, const QDateTime &now)
{
    Transaction transaction(m_connection);
    if (!transaction.isActive())
        return transaction.error();
    StoreError e;
    const std::optional<qint64> candidate = useCandidate(check.candidate, now, nullptr, &e);
    if (!candidate)
        return e;
    if (!run(*m_connection,
            QStringLiteral("INSERT INTO practice_checks (candidate_id, checked_at, bank_path, domain_code, numero, "
                           "ticks, score) VALUES (?, ?, ?, ?, ?, ?, ?)"),
            {*candidate, isoText(now), check.bankPath, check.domainCode, check.numero, tickLetters(check.ticks),
                check.score},
            &e))
        return e;
    if (!transaction.commit())
        return transaction.error();
    return {};
}

std::optional<QList<AnsweredQuestion>> ResultsStore::answerHistory(const QString &candidate, StoreError *error) const
{
    SqliteStatement *st = m_connection->statement(
        QStringLiteral("SELECT q.domain_code, q.numero, q.score, coalesce(e.ended_at, e.started_at) FROM exams e "
                       "JOIN exam_questions q ON q.exam_id = e.id WHERE e.candidate_id = "
                       "(SELECT id FROM candidates WHERE name = ?1) AND e.state IN (%1) AND q.score IS NOT NULL "
                       "UNION ALL SELECT domain_code, numero, score, checked_at FROM practice_checks WHERE "
                       "candidate_id = (SELECT id FROM candidates WHERE name = ?1)")
            .arg(kFinishedStates),
        error);
    if (!st)
        return std::nullopt;
    st->bindAll({candidate});
    QList<AnsweredQuestion> answers;
    // An exam's questions share one time: it is read once.
    QString lastText;
    QDateTime lastTime;
    while (st->step()) {
        const QString when = st->column(3).toString();
        if (when != lastText) {
            lastText = when;
            lastTime = QDateTime::fromString(when, Qt::ISODate);
        }
        answers.append({st->column(0).toString(), st->columnInt64(1), int(st->columnInt64(2)), lastTime});
    }
    if (!st->error().isEmpty()) {
        setError(error, m_connection->errorOf(*st));
        return std::nullopt;
    }
    return answers;
}

StoreError ResultsStore::saveAnswer(const ExamRecord &exam, int position, int score, const QDateTime &now)
{
    if (position < 0 || position >= exam.questions.size())
        return failure(QStringLiteral("Cette question n'appartient pas à l'examen."));
    const ExamQuestion &q = exam.questions.at(position);
    Transaction transaction(m_connection);
    if (!transaction.isActive())
        return transaction.error();
    StoreError e;
    SqliteStatement *answer = m_connection->statement(
        QStringLiteral("UPDATE exam_questions SET ticks = ?, flagged = ?, score = ?, changed_at = ? "
                       "WHERE exam_id = ? AND position = ?"),
        &e);
    if (!answer)
        return e;
    answer->bindAll({tickLetters(q.ticks), q.flagged ? 1 : 0, score, isoText(now), exam.id, position});
    if (!answer->exec())
        return m_connection->errorOf(*answer);
    if (sqlite3_changes(m_connection->db().handle()) != 1)
        return failure(QStringLiteral("Cette question n'est pas dans le fichier des résultats."));
    if (const StoreError time = saveTime(exam))
        return time;
    if (!transaction.commit())
        return transaction.error();
    return {};
}

StoreError ResultsStore::saveTime(const ExamRecord &exam)
{
    StoreError e;
    SqliteStatement *st = m_connection->statement(
        QStringLiteral("UPDATE exams SET time_used_s = ?, time_left_s = ? WHERE id = ? AND state = 'en cours'"), &e);
    if (!st)
        return e;
    st->bindAll({exam.secondsUsed, optionalValue(exam.secondsLeft()), exam.id});
    if (!st->exec())
        return m_connection->errorOf(*st);
    if (sqlite3_changes(m_connection->db().handle()) != 1)
        return failure(QStringLiteral("Cet examen blanc n'est plus en cours : il a été rendu ou abandonné "
                                      "depuis un autre programme."));
    return {};
}

StoreError ResultsStore::finish(const ExamRecord &exam, const QList<int> &scores)
{
    Transaction transaction(m_connection);
    if (!transaction.isActive())
        return transaction.error();
    StoreError e;
    SqliteStatement *score = m_connection->statement(
        QStringLiteral("UPDATE exam_questions SET score = ? WHERE exam_id = ? AND position = ?"), &e);
    if (!score)
        return e;
    for (int p = 0; p < scores.size(); ++p) {
        score->reset();
        score->bindAll({scores.at(p), exam.id, p});
        if (!score->exec())
            return m_connection->errorOf(*score);
    }
    SqliteStatement *end = m_connection->statement(
        QStringLiteral("UPDATE exams SET state = ?, ended_at = ?, time_used_s = ?, time_left_s = ?, mark = ? "
                       "WHERE id = ? AND state = 'en cours'"),
        &e);
    if (!end)
        return e;
    end->bindAll({stateWord(exam.state), exam.ended ? QVariant(isoText(*exam.ended)) : QVariant(), exam.secondsUsed,
        optionalValue(exam.secondsLeft()), exam.mark ? QVariant(*exam.mark) : QVariant(), exam.id});
    if (!end->exec())
        return m_connection->errorOf(*end);
    if (sqlite3_changes(m_connection->db().handle()) != 1)
        return failure(QStringLiteral("Cet examen blanc n'est plus en cours : il a été rendu ou abandonné "
                                      "depuis un autre programme."));
    if (!transaction.commit())
        return transaction.error();
    return {};
}

StoreError ResultsStore::abandon(qint64 examId, const QDateTime &now)
{
    StoreError e;
    SqliteStatement *st = m_connection->statement(
        QStringLiteral("UPDATE exams SET state = ?, ended_at = ? WHERE id = ? AND state = 'en cours'"), &e);
    if (!st)
        return e;
    st->bindAll({stateWord(ExamState::Abandoned), isoText(now), examId});
    if (!st->exec())
        return m_connection->errorOf(*st);
    return {};
}

std::optional<QList<PendingExam>> ResultsStore::pendingExams(StoreError *error) const
{
    SqliteStatement *st = m_connection->statement(
        QStringLiteral("SELECT e.id, e.uuid, c.name, e.duration_s, e.time_used_s, e.started_at FROM exams e "
                       "JOIN candidates c ON c.id = e.candidate_id WHERE e.state = 'en cours' "
                       "ORDER BY e.started_at DESC, e.id DESC"),
        error);
    if (!st)
        return std::nullopt;
    QList<PendingExam> pending;
    while (st->step()) {
        PendingExam p;
        p.id = st->columnInt64(0);
        p.uuid = st->column(1).toString();
        p.candidate = st->column(2).toString();
        const QVariant duration = st->column(3);
        if (!duration.isNull())
            p.secondsLeft = std::max<qint64>(0, duration.toLongLong() - st->columnInt64(4));
        p.started = fromIso(st->column(5));
        pending.append(p);
    }
    if (!st->error().isEmpty()) {
        setError(error, m_connection->errorOf(*st));
        return std::nullopt;
    }
    return pending;
}

std::optional<ExamRecord> ResultsStore::exam(qint64 id, StoreError *error) const
{
    SqliteStatement *st = m_connection->statement(
        QStringLiteral("SELECT e.uuid, c.name, e.bank_path, e.paper_kind, e.paper_name, e.specialities, e.duration_s, "
                       "e.negative_points, e.pass_mark, e.maximum, e.started_at, e.ended_at, e.time_used_s, e.state, "
                       "e.mark, e.retake_of FROM exams e JOIN candidates c ON c.id = e.candidate_id WHERE e.id = ?"),
        error);
    if (!st)
        return std::nullopt;
    st->bindAll({id});
    ExamRecord exam;
    if (!st->step()) {
        if (!st->error().isEmpty())
            setError(error, m_connection->errorOf(*st));
        else
            setError(error, {});
        return std::nullopt;
    }
    exam.id = id;
    exam.uuid = st->column(0).toString();
    exam.candidate = st->column(1).toString();
    exam.bankPath = st->column(2).toString();
    const QString kind = st->column(3).toString();
    for (PaperKind k : {PaperKind::Questionnaire, PaperKind::Draw, PaperKind::Retake})
        if (paperKindWord(k) == kind)
            exam.paperKind = k;
    exam.paperName = st->column(4).toString();
    exam.specialities = specialitiesFrom(st->column(5).toString());
    if (const QVariant d = st->column(6); !d.isNull())
        exam.durationSeconds = d.toLongLong();
    exam.negative = st->column(7).toString() == negativePointsWord(NegativePoints::CarryToTotal)
        ? NegativePoints::CarryToTotal
        : NegativePoints::FloorEachQuestion;
    exam.passMark = int(st->columnInt64(8));
    exam.maximum = int(st->columnInt64(9));
    exam.started = fromIso(st->column(10));
    if (const QVariant end = st->column(11); !end.isNull())
        exam.ended = fromIso(end);
    exam.secondsUsed = st->columnInt64(12);
    const QString state = st->column(13).toString();
    for (ExamState s :
        {ExamState::InProgress, ExamState::HandedIn, ExamState::TimeUp, ExamState::Abandoned, ExamState::PaperCopy})
        if (stateWord(s) == state)
            exam.state = s;
    if (const QVariant mark = st->column(14); !mark.isNull())
        exam.mark = int(mark.toLongLong());
    exam.retakeOf = st->column(15).toString();
    st->reset();

    QString columns = QStringLiteral("domain_code, domain_name, numero, statement");
    for (int i = 0; i < kChoiceCount; ++i)
        columns += QStringLiteral(", lib%1, val%1").arg(i);
    SqliteStatement *rows = m_connection->statement(
        QStringLiteral("SELECT %1, ticks, flagged FROM exam_questions WHERE exam_id = ? ORDER BY position")
            .arg(columns),
        error);
    if (!rows)
        return std::nullopt;
    rows->bindAll({id});
    while (rows->step()) {
        ExamQuestion q;
        q.domainCode = rows->column(0).toString();
        q.domainName = rows->column(1).toString();
        q.numero = rows->columnInt64(2);
        q.statement = rows->column(3).toString();
        for (int i = 0; i < kChoiceCount; ++i) {
            q.lib[size_t(i)] = rows->column(4 + 2 * i).toString();
            q.val[size_t(i)] = pointsValue(rows->column(5 + 2 * i));
        }
        q.ticks = ticksFromLetters(rows->column(4 + 2 * kChoiceCount).toString());
        q.flagged = rows->columnInt64(5 + 2 * kChoiceCount) != 0;
        exam.questions.append(q);
    }
    if (!rows->error().isEmpty()) {
        setError(error, m_connection->errorOf(*rows));
        return std::nullopt;
    }
    return exam;
}

std::optional<qint64> ResultsStore::examCount(StoreError *error) const
{
    SqliteStatement *st = m_connection->statement(QStringLiteral("SELECT count(*) FROM exams"), error);
    if (!st)
        return std::nullopt;
    if (!st->step()) {
        setError(error, m_connection->errorOf(*st));
        return std::nullopt;
    }
    const qint64 n = st->columnInt64(0);
    st->reset();
    return n;
}

} // namespace qcm
