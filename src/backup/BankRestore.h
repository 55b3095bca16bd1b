#pragma once

#include "database/Records.h"
#include "state/QCMBas.h"

#include <QList>
#include <QString>

#include <optional>

namespace qcm {

// Putting a backup back in place of the bank in use, and what it would change.
namespace BankRestore {

// What a bank file holds, counted.
struct Summary {
    qint64 questions = 0;
    qint64 domains = 0;
    qint64 questionnaires = 0;
};
std::optional<Summary> summarize(const QString &path, QString *why = nullptr);

// What restoring a backup would do to the questions of the bank in use.
struct Differences {
    QList<Question> added; // in the backup only: they come back
    QList<Question> removed; // in the bank in use only: they go
    QList<std::pair<Question, Question>> changed; // (as now, as in the backup)
    bool isEmpty() const { return added.isEmpty() && removed.isEmpty() && changed.isEmpty(); }
};
std::optional<Differences> differences(QCMBas &state, const QString &backupPath, QString *why = nullptr);

struct RestoreOutcome {
    bool restored = false;
    QString message; // in French, for a message box
    QString undoBackup; // the copy of the bank as it was, made first
};
// Checks the backup as any chosen bank is checked, backs up the bank in use
// (restoring that copy undoes the restore), then puts the backup's bytes in
// its place and binds it again, so that every window follows. Refuses,
// changing nothing, when any of these steps cannot be done.
RestoreOutcome restore(QCMBas &state, const QString &backupPath);

} // namespace BankRestore

} // namespace qcm
