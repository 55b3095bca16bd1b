#include "QuestionnaireStore.h"

#include "state/FileOps.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace qcm {

namespace Questionnaires {

namespace {

const QString kNomQcm = QStringLiteral("NomQCM");
const QString kSpecialite = QStringLiteral("Spécialité");

// Reads a field of the current row; the first failure is kept in failure.
QVariant readField(const DataBinding &binding, const QString &name, StoreError &failure)
{
    bool ok = false;
    const QVariant value = binding.field(name, &ok);
    if (!ok && !failure.isError())
        failure = binding.lastError();
    return value;
}

} // namespace

QStringList names(QCMBas &state, StoreError *error)
{
    DataBinding &qcm = state.datQCM;
    QStringList list;
    StoreError failure;
    qcm.setRecordSource(Queries::questionnaireNames());
    if (!qcm.refresh()) {
        failure = qcm.lastError();
    } else {
        for (; !qcm.eof() && !failure.isError(); qcm.moveNext()) {
            const QVariant name = readField(qcm, kNomQcm, failure);
            // A row without a name could be neither opened nor deleted.
            if (!name.isNull())
                list.append(name.toString());
        }
        if (!failure.isError() && qcm.lastError().isError())
            failure = qcm.lastError();
    }
    setError(error, failure);
    return failure.isError() ? QStringList() : list;
}

bool read(QCMBas &state, const QString &name, StoredQuestionnaire &out, StoreError *error)
{
    out = {};
    DataBinding &qcm = state.datQCM;
    StoreError failure;
    qcm.setRecordSource(Queries::questionnaireInOrder(name));
    if (!qcm.refresh()) {
        setError(error, qcm.lastError());
        return false;
    }
    out.name = name;
    for (; !qcm.eof() && !failure.isError(); qcm.moveNext()) {
        QcmRow row;
        row.nomQcm = name;
        row.code = readField(qcm, QStringLiteral("Code"), failure).toString();
        row.numero = numeroText(readField(qcm, QStringLiteral("Numero"), failure)).toLongLong();
        row.libelle = readField(qcm, QStringLiteral("Libellé"), failure).toString();
        out.rows.append(row);
        out.date = readField(qcm, QStringLiteral("DateMAJ"), failure).toString();
        const QVariant title = readField(qcm, kSpecialite, failure);
        out.hasSpeciality = !title.isNull();
        out.speciality = title.toString();
        for (int k = 0; k < kSpecialityCount; ++k)
            out.boxes[size_t(k)] = readField(qcm, QStringLiteral("Spé%1").arg(k), failure).toLongLong() != 0 ? 1 : 0;
    }
    if (!failure.isError() && qcm.lastError().isError())
        failure = qcm.lastError();
    setError(error, failure);
    return !failure.isError();
}

namespace {

// Deletes every row of the binding's recordset.
bool deleteAll(DataBinding &binding)
{
    binding.recordCount();
    if (binding.lastError().isError())
        return false;
    while (!binding.eof()) {
        if (!binding.deleteRecord() || !binding.moveNext())
            return false;
    }
    return true;
}

// Finds the Spécialité row of a name; false on failure.
bool findSpecialityRow(DataBinding &spe, const QString &name)
{
    return spe.refresh() && spe.findFirst(Criteria::questionnaireName(name));
}

} // namespace

StoreError save(QCMBas &state, const QuestionnaireDraft &draft, int *rowsWritten)
{
    if (rowsWritten)
        *rowsWritten = 0;
    const std::shared_ptr<Connection> connection = state.connection();
    DataBinding &qcm = state.datQCM;
    DataBinding &spe = state.datSpe;
    // Begun before the bank is read: one lock for the whole save.
    Transaction transaction(connection);
    if (!transaction.isActive())
        return transaction.error();
    // By value: the error may be the binding's own, which the refresh below clears.
    auto fail = [&](StoreError error) {
        transaction.rollback();
        qcm.setRecordSource("QCM");
        qcm.refresh();
        spe.refresh();
        return error;
    };

    // The bank is read first: a question that cannot be read stops the save
    // before anything is written.
    struct Entry {
        CandidateKey key;
        qint64 numero;
        Question bank;
    };
    std::vector<Entry> entries;
    entries.reserve(size_t(draft.lines.size()));
    for (const QString &line : draft.lines) {
        CandidateKey key = parseCandidateLine(line);
        bool isNumber = false;
        const qint64 numero = key.numero.toLongLong(&isNumber);
        if (key.code.isEmpty() || !isNumber)
            continue;
        StoreError error;
        std::optional<Question> bank = state.bank().question(key.code, numero, &error);
        if (error.isError())
            return fail(error);
        if (bank)
            entries.push_back({std::move(key), numero, std::move(*bank)});
    }
    // Replacing a questionnaire by nothing would only delete it.
    if (entries.empty())
        return fail(StoreErrors::make(StoreErrorKind::Other,
            QStringLiteral("Aucune des questions du QCM ne se trouve plus dans la base de questions.")));

    qcm.setRecordSource(Queries::questionnaireRows(draft.name));
    if (!qcm.refresh() || !deleteAll(qcm))
        return fail(qcm.lastError());
    qcm.setRecordSource("QCM");
    if (!qcm.refresh())
        return fail(qcm.lastError());

    for (const Entry &e : entries) {
        bool ok = qcm.addNew() && qcm.setField(kNomQcm, draft.name)
            && qcm.setField(QStringLiteral("DateMAJ"), draft.date) && qcm.setField(QStringLiteral("Code"), e.key.code)
            && qcm.setField(QStringLiteral("Numero"), e.numero)
            && qcm.setField(QStringLiteral("Libellé"), e.key.statement);
        for (int k = 0; ok && k < kChoiceCount; ++k) {
            // Null stays Null: only what the bank holds is copied.
            if (!e.bank.lib[size_t(k)].isNull())
                ok = qcm.setField(QStringLiteral("lib%1").arg(k), e.bank.lib[size_t(k)]);
            if (const QVariant points = e.bank.storedVal(k); ok && !points.isNull())
                ok = qcm.setField(QStringLiteral("val%1").arg(k), points);
        }
        ok = ok && qcm.setField(kSpecialite, draft.title);
        for (int k = 0; ok && k < kSpecialityCount; ++k)
            ok = qcm.setField(QStringLiteral("Spé%1").arg(k), draft.boxes[size_t(k)]);
        if (!ok || !qcm.update()) {
            const StoreError error = qcm.lastError();
            qcm.cancelUpdate();
            return fail(error);
        }
    }

    if (!findSpecialityRow(spe, draft.name))
        return fail(spe.lastError());
    if (!(spe.noMatch() ? spe.addNew() : spe.edit()) || !spe.setField(kNomQcm, draft.name)
        || !spe.setField(kSpecialite, draft.title) || !spe.update()) {
        const StoreError error = spe.lastError();
        spe.cancelUpdate();
        return fail(error);
    }
    if (!transaction.commit())
        return fail(transaction.error());
    if (rowsWritten)
        *rowsWritten = int(entries.size());
    return {};
}

StoreError remove(QCMBas &state, const QString &name)
{
    DataBinding &qcm = state.datQCM;
    DataBinding &spe = state.datSpe;
    const StoreQuery previous = qcm.recordSource();
    Transaction transaction(state.connection());
    if (!transaction.isActive())
        return transaction.error();
    // By value: the error may be the binding's own, which the refresh below clears.
    auto fail = [&](StoreError error) {
        transaction.rollback();
        qcm.setRecordSource(previous);
        qcm.refresh();
        spe.refresh();
        return error;
    };

    qcm.setRecordSource(Queries::questionnaireRows(name));
    if (!qcm.refresh() || !deleteAll(qcm))
        return fail(qcm.lastError());
    if (!findSpecialityRow(spe, name))
        return fail(spe.lastError());
    if (!spe.noMatch() && !spe.deleteRecord())
        return fail(spe.lastError());
    if (!transaction.commit())
        return fail(transaction.error());
    qcm.setRecordSource(previous);
    qcm.refresh();
    return {};
}

} // namespace Questionnaires

StoreError correctBankText(
    QCMBas &state, const QString &code, qint64 numero, const QString &field, const QString &text, bool *found)
{
    *found = false;
    DataBinding &que = state.datQue;
    BindingPlace place(que);
    que.setRecordSource(Queries::wholeBank());
    if (!que.refresh() || !que.findFirst(Criteria::questionKey(code, numero)))
        return que.lastError();
    if (que.noMatch())
        return {};
    *found = true;
    if (!que.edit() || !que.setField(field, text) || !que.update()) {
        const StoreError error = que.lastError();
        que.cancelUpdate();
        return error;
    }
    return {};
}

QString MarkWorkingCopyStale(QCMBas &state)
{
    const QString workingCopy = state.workingCopyPath();
    if (workingCopy == state.DbPath || !QFileInfo::exists(workingCopy))
        return {};
    // Older than any bank it could be compared with, whatever the clock's steps.
    const QDateTime stale(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC);
    QFile copy(workingCopy);
    if (QFileInfo(workingCopy).isFile() && (copy.open(QIODevice::ReadWrite) || copy.open(QIODevice::ReadOnly))
        && copy.setFileTime(stale, QFileDevice::FileModificationTime))
        return {};
    return QStringLiteral("La copie « %1 » n'a pas pu être marquée comme périmée.").arg(workingCopy);
}

} // namespace qcm
