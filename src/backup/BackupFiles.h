#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

namespace qcm {

// The copies of a bank kept in the "Sauvegardes" folder beside the
// settings file, one folder per bank, each named with the bank's name, the
// date and time it was taken and why:
// "Sauvegardes/Club.mdb (1a2b3c4d)/Club 2026-12-06 18-02-33 (avant suppression d'un domaine).mdb".
namespace BackupFiles {

struct Backup {
    QString path;
    QDateTime taken;
    qint64 size = 0;
    QString reason; // empty when the name gives none
};

// The folder of every bank's backups.
QString rootFolder(const QString &settingsPath);
// The folder of one bank's backups: named after the bank, and told apart
// from another bank of the same name by a key drawn from its full path.
QString folderFor(const QString &settingsPath, const QString &bankPath);
// A name not taken yet in the folder.
QString newPath(const QString &folder, const QString &bankPath, const QDateTime &taken, const QString &reason);
// What a backup's name says, or nothing for a file that is not a backup.
bool parseName(const QString &fileName, QDateTime *taken, QString *reason);
// The backups in a folder, newest first.
QList<Backup> list(const QString &folder);

// How a copy went.
enum class CopyResult { Done, Damaged, Failed };
// Copies the bank byte for byte, as a restore must give it back, once
// SQLite's check of its pages passed, under a read lock held from the check
// to the end of the copy, so that no other program's change slips in. The
// copy replaces the target only once complete. *why says what went wrong,
// in French, in one sentence.
CopyResult copyBank(const QString &bankPath, const QString &target, QString *why);

} // namespace BackupFiles

} // namespace qcm
