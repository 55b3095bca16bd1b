#pragma once

#include "ComposerRules.h"
#include "database/DataBinding.h"
#include "state/QCMBas.h"

#include <QString>
#include <QStringList>

#include <array>

namespace qcm {

// A questionnaire as the composer hands it over for storing.
struct QuestionnaireDraft {
    QString name; // as typed, blanks included
    QString date; // "dd/mm/yyyy"
    QString title; // its speciality title
    std::array<int, kSpecialityCount> boxes{}; // the speciality boxes, 0 or 1
    QStringList lines; // candidate lines, in list order
};

// The table QCM and its companion Spécialité, through datQCM and datSpe.
// Every change of several rows runs in one transaction: on failure nothing
// is left half done, and the error comes back to be reported.
namespace Questionnaires {

// The distinct stored names, in order.
QStringList names(QCMBas &state, StoreError *error);

// Reopens a questionnaire through datQCM, in the order Code, Numero.
bool read(QCMBas &state, const QString &name, StoredQuestionnaire &out, StoreError *error);

// Replaces every row of the name by the draft's lines found in the bank
// (Code, Numero and statement from the line, choices and points from the
// bank), and writes its Spécialité row. Lines whose question is no longer in
// the bank are left out. Returns the error that stopped it, none on success.
StoreError save(QCMBas &state, const QuestionnaireDraft &draft, int *rowsWritten = nullptr);

// Deletes every row of the name and its Spécialité row.
StoreError remove(QCMBas &state, const QString &name);

} // namespace Questionnaires

// Changes one field of a bank question ("Libellé" or "lib0" … "lib5").
// *found tells whether the question exists; nothing changes when it does not.
StoreError correctBankText(
    QCMBas &state, const QString &code, qint64 numero, const QString &field, const QString &text, bool *found);

// After a save or a deletion: when the working copy read by the reports
// exists and is not the database in use, dates it before the database, so
// that the reports copy the database again before they next read it; copying
// a large bank at every save would cost seconds. Returns why the copy could
// not be marked, or nothing.
QString MarkWorkingCopyStale(QCMBas &state);

} // namespace qcm
