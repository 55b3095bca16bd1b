#include "ResultsMerge.h"

#include "exam/ResultsStore.h"

#include <QFileInfo>
#include <QSet>

namespace qcm {

namespace {

// The mark a results file carries in its header ("QCMR").
constexpr qint64 kResultsApplicationId = 0x51434D52;

StoreError failure(const QString &text)
{
    return StoreErrors::make(StoreErrorKind::Other, text);
}

struct Candidate {
    qint64 id = 0;
    QString name;
    QString lastUsed;
};

std::optional<QList<Candidate>> readCandidates(Connection &c, StoreError *error)
{
    SqliteStatement *st = c.statement(QStringLiteral("SELECT id, name, last_used FROM candidates ORDER BY id"), error);
    if (!st)
        return std::nullopt;
    QList<Candidate> list;
    while (st->step())
        list.append({st->columnInt64(0), st->column(1).toString(), st->column(2).toString()});
    if (!st->error().isEmpty()) {
        setError(error, c.errorOf(*st));
        return std::nullopt;
    }
    return list;
}

// The columns both files have, the row's own id and candidate left out:
// a file of an older layout still gives what it holds.
std::optional<QStringList> sharedColumns(
    Connection &target, Connection &other, const QString &table, const QStringList &leftOut, StoreError *error)
{
    const TableInfo *ours = target.table(table, error);
    const TableInfo *theirs = ours ? other.table(table, error) : nullptr;
    if (!theirs)
        return std::nullopt;
    QStringList columns;
    for (const QString &c : ours->columns)
        if (!leftOut.contains(c) && theirs->column(c) >= 0)
            columns.append(c);
    return columns;
}

StoreError checkOther(Connection &other, const QString &path)
{
    auto scalar = [&other](const QString &sql) -> std::optional<qint64> {
        SqliteStatement st = other.db().prepare(sql);
        return st.step() ? std::optional(st.columnInt64(0)) : std::nullopt;
    };
    const auto application = scalar(QStringLiteral("PRAGMA application_id"));
    const auto version = scalar(QStringLiteral("PRAGMA user_version"));
    const auto tables = scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                                              "('candidates', 'exams', 'exam_questions')"));
    if (!application || !version || !tables)
        return failure(QStringLiteral("Le fichier « %1 » ne peut pas être lu : %2").arg(path, other.db().lastError()));
    if (*application != kResultsApplicationId || *tables != 3)
        return failure(QStringLiteral("Le fichier « %1 » n'est pas un fichier de résultats.").arg(path));
    if (*version > ResultsStore::kSchemaVersion)
        return failure(QStringLiteral("Le fichier « %1 » vient d'une version plus récente du programme : mettez le "
                                      "programme à jour pour importer ses résultats.")
                           .arg(path));
    return {};
}

} // namespace

QString nameKey(const QString &name)
{
    const QString decomposed = name.normalized(QString::NormalizationForm_KD);
    QString key;
    key.reserve(decomposed.size());
    for (QChar c : decomposed)
        if (c.category() != QChar::Mark_NonSpacing)
            key += c;
    return key.toCaseFolded().simplified();
}

MergeOutcome mergeResults(
    const std::shared_ptr<Connection> &target, const QString &otherPath, const SameCandidateQuestion &ask)
{
    MergeOutcome out;
    if (QFileInfo(otherPath).canonicalFilePath() == QFileInfo(target->path()).canonicalFilePath()) {
        out.error = failure(QStringLiteral("« %1 » est le fichier des résultats lui-même : choisissez le fichier "
                                           "d'un autre ordinateur.")
                                .arg(otherPath));
        return out;
    }
    StoreError e;
    const std::shared_ptr<Connection> other = Connection::openReadOnly(otherPath, &e);
    if (!other) {
        out.error
            = failure(QStringLiteral("Le fichier « %1 » ne peut pas être ouvert : %2").arg(otherPath, e.description));
        return out;
    }
    if ((out.error = checkOther(*other, otherPath)))
        return out;

    const auto theirs = readCandidates(*other, &e);
    const auto ours = theirs ? readCandidates(*target, &e) : std::nullopt;
    if (!ours) {
        out.error = e;
        return out;
    }
    // Every name settled before anything is written: no question is asked
    // while the file is held.
    QHash<qint64, qint64> candidateFor; // their id -> ours, 0 for a new one
    for (const Candidate &c : *theirs) {
        qint64 match = 0;
        for (const Candidate &o : *ours)
            if (o.name.compare(c.name, Qt::CaseInsensitive) == 0)
                match = o.id;
        for (qsizetype i = 0; !match && i < ours->size(); ++i) {
            const Candidate &o = ours->at(i);
            if (nameKey(o.name) != nameKey(c.name))
                continue;
            const SameCandidate answer = ask ? ask(c.name, o.name) : SameCandidate::No;
            if (answer == SameCandidate::Cancel) {
                out.cancelled = true;
                return out;
            }
            if (answer == SameCandidate::Yes)
                match = o.id;
        }
        candidateFor.insert(c.id, match);
    }

    const auto examColumns = sharedColumns(
        *target, *other, QStringLiteral("exams"), {QStringLiteral("id"), QStringLiteral("candidate_id")}, &e);
    const auto questionColumns = examColumns
        ? sharedColumns(*target, *other, QStringLiteral("exam_questions"), {QStringLiteral("exam_id")}, &e)
        : std::nullopt;
    if (!questionColumns) {
        out.error = e;
        return out;
    }

    QSet<QString> known;
    {
        SqliteStatement *st = target->statement(QStringLiteral("SELECT uuid FROM exams"), &e);
        if (!st) {
            out.error = e;
            return out;
        }
        while (st->step())
            known.insert(st->column(0).toString());
        if (!st->error().isEmpty()) {
            out.error = target->errorOf(*st);
            return out;
        }
    }

    Transaction transaction(target);
    if (!transaction.isActive()) {
        out.error = transaction.error();
        return out;
    }
    auto run = [&](const QString &sql, const QVariantList &values) -> bool {
        SqliteStatement *st = target->statement(sql, &e);
        if (!st)
            return false;
        st->bindAll(values);
        if (!st->exec()) {
            e = target->errorOf(*st);
            return false;
        }
        return true;
    };
    // The transaction rolls back as it goes out of scope.
    auto failed = [&e]() -> MergeOutcome {
        MergeOutcome f;
        f.error = e.isError() ? e : failure(QStringLiteral("l'importation a échoué."));
        f.error.description = QStringLiteral("Rien n'a été importé : %1").arg(f.error.description);
        return f;
    };

    for (const Candidate &c : *theirs) {
        qint64 &mine = candidateFor[c.id];
        if (mine) {
            ++out.candidatesMatched;
            if (!run(QStringLiteral("UPDATE candidates SET last_used = max(last_used, ?) WHERE id = ?"),
                    {c.lastUsed, mine}))
                return failed();
            continue;
        }
        if (!run(QStringLiteral("INSERT INTO candidates (name, last_used) VALUES (?, ?)"), {c.name, c.lastUsed}))
            return failed();
        mine = target->db().lastInsertRowId();
        ++out.candidatesAdded;
    }

    const QString examSelect
        = QStringLiteral("SELECT id, candidate_id, %1 FROM exams ORDER BY started_at, id").arg(examColumns->join(u','));
    const QString examInsert = QStringLiteral("INSERT INTO exams (candidate_id, %1) VALUES (?%2)")
                                   .arg(examColumns->join(u','), QStringLiteral(",?").repeated(examColumns->size()));
    const QString questionSelect
        = QStringLiteral("SELECT %1 FROM exam_questions WHERE exam_id = ?").arg(questionColumns->join(u','));
    const QString questionInsert
        = QStringLiteral("INSERT INTO exam_questions (exam_id, %1) VALUES (?%2)")
              .arg(questionColumns->join(u','), QStringLiteral(",?").repeated(questionColumns->size()));
    const int uuidColumn = int(examColumns->indexOf(QStringLiteral("uuid")));
    if (uuidColumn < 0) {
        e = failure(QStringLiteral("le fichier n'a pas d'identifiant d'examen"));
        return failed();
    }

    SqliteStatement exams = other->db().prepare(examSelect);
    while (exams.step()) {
        const QString uuid = exams.column(2 + uuidColumn).toString();
        if (known.contains(uuid)) {
            ++out.examsAlreadyThere;
            continue;
        }
        // An exam whose candidate the other file lacks would come in nobody's.
        const qint64 candidate = candidateFor.value(exams.columnInt64(1));
        if (!candidate) {
            e = failure(QStringLiteral("l'examen %1 du fichier importé n'a pas de candidat").arg(uuid));
            return failed();
        }
        QVariantList values{candidate};
        for (int i = 0; i < examColumns->size(); ++i)
            values.append(exams.column(2 + i));
        if (!run(examInsert, values))
            return failed();
        const qint64 examId = target->db().lastInsertRowId();
        known.insert(uuid);
        SqliteStatement questions = other->db().prepare(questionSelect);
        questions.bindAll({exams.columnInt64(0)});
        while (questions.step()) {
            QVariantList row{examId};
            for (int i = 0; i < questionColumns->size(); ++i)
                row.append(questions.column(i));
            if (!run(questionInsert, row))
                return failed();
        }
        if (!questions.error().isEmpty()) {
            e = failure(questions.error());
            return failed();
        }
        ++out.examsAdded;
    }
    if (!exams.error().isEmpty()) {
        e = failure(exams.error());
        return failed();
    }
    if (!transaction.commit()) {
        e = transaction.error();
        return failed();
    }
    return out;
}

} // namespace qcm
