#include "BankRestore.h"

#include "BankBackups.h"
#include "bank/BankModel.h"
#include "database/Schema.h"
#include "database/Sqlite.h"
#include "state/FileOps.h"

#include <QFileInfo>
#include <QHash>

namespace qcm::BankRestore {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString keyOf(const Question &q)
{
    return q.code.toCaseFolded() + u'\x1f' + QString::number(q.numero);
}

bool sameQuestion(const Question &a, const Question &b)
{
    return a.libelle == b.libelle && a.lib == b.lib && a.val == b.val && a.flags == b.flags
        && a.code.compare(b.code, Qt::CaseInsensitive) == 0 && a.numero == b.numero;
}

} // namespace

std::optional<Summary> summarize(const QString &path, QString *why)
{
    SqliteDb db;
    QString error;
    if (!db.open(path, SqliteDb::Mode::ReadOnly, &error)) {
        if (why)
            *why = error;
        return std::nullopt;
    }
    auto count = [&](const QString &sql, qint64 &into) {
        SqliteStatement st = db.prepare(sql);
        if (!st.step()) {
            error = st.error();
            return false;
        }
        into = st.columnInt64(0);
        return true;
    };
    Summary s;
    if (!count(QStringLiteral("SELECT count(*) FROM Questions"), s.questions)
        || !count(QStringLiteral("SELECT count(*) FROM Domaines"), s.domains)
        || !count(QStringLiteral("SELECT count(DISTINCT NomQCM) FROM QCM"), s.questionnaires)) {
        if (why)
            *why = error;
        return std::nullopt;
    }
    return s;
}

std::optional<Differences> differences(QCMBas &state, const QString &backupPath, QString *why)
{
    StoreError error;
    const std::optional<QList<Question>> now = state.bank().questions(&error);
    std::shared_ptr<Connection> backup = now ? Connection::open(backupPath, &error) : nullptr;
    const std::optional<QList<Question>> then = backup ? BankModel(backup).questions(&error) : std::nullopt;
    if (!now || !then) {
        if (why)
            *why = error.description;
        return std::nullopt;
    }
    QHash<QString, qsizetype> current;
    for (qsizetype i = 0; i < now->size(); ++i)
        current.insert(keyOf(now->at(i)), i);
    Differences d;
    QList<bool> matched(now->size(), false);
    for (const Question &q : *then) {
        const auto it = current.constFind(keyOf(q));
        if (it == current.constEnd()) {
            d.added.append(q);
            continue;
        }
        matched[*it] = true;
        if (!sameQuestion(now->at(*it), q))
            d.changed.append({now->at(*it), q});
    }
    for (qsizetype i = 0; i < now->size(); ++i)
        if (!matched[i])
            d.removed.append(now->at(i));
    return d;
}

RestoreOutcome restore(QCMBas &state, const QString &backupPath)
{
    RestoreOutcome outcome;
    const QString name = QFileInfo(backupPath).fileName();
    if (const StoreError unusable = Schema::verify(backupPath)) {
        outcome.message = QStringLiteral("La sauvegarde « %1 » ne peut pas être restaurée :").arg(name) + kCrLf
            + unusable.description + kCrLf + QStringLiteral("La base actuelle reste en service, inchangée.");
        return outcome;
    }
    const BankBackups::Outcome undo = BankBackups::of(state).backUp(QStringLiteral("avant restauration"), backupPath);
    if (!undo.made) {
        outcome.message = QStringLiteral("La base actuelle n'a pas pu être sauvegardée avant la restauration, qui ne "
                                         "pourrait donc pas être annulée : rien n'a été changé.")
            + kCrLf + kCrLf + undo.line;
        return outcome;
    }
    outcome.undoBackup = undo.path;
    const QString bank = state.DbPath;
    state.CloseDatabases();
    // A journal beside the bank belongs to a change under way elsewhere,
    // which would be played back over the restored file.
    for (const QString &suffix : {QStringLiteral("-journal"), QStringLiteral("-wal")}) {
        if (QFileInfo::exists(bank + suffix)) {
            state.BindDatabase();
            outcome.message = QStringLiteral("La base « %1 » est en cours d'utilisation par un autre programme : "
                                             "fermez-le, puis recommencez. Rien n'a été changé.")
                                  .arg(bank);
            return outcome;
        }
    }
    QString error;
    const bool copied = copyFileAtomic(backupPath, bank, &error);
    state.BindDatabase();
    Q_EMIT state.fillDomainListRequested();
    if (!copied) {
        outcome.message = QStringLiteral("La restauration a échoué ; la base actuelle est restée telle qu'elle était.")
            + kCrLf + kCrLf + error;
        return outcome;
    }
    outcome.restored = true;
    outcome.message = QStringLiteral("La base a été remplacée par la sauvegarde « %1 ».").arg(name) + kCrLf + kCrLf
        + QStringLiteral("Elle avait d'abord été sauvegardée telle qu'elle était : pour annuler la restauration, "
                         "restaurez « %1 ».")
              .arg(QFileInfo(undo.path).fileName());
    return outcome;
}

} // namespace qcm::BankRestore
