#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

namespace qcm {

// One backup file as retention sees it.
struct DatedFile {
    QString path;
    QString bank; // the bank it is a copy of: the rules hold bank by bank
    QDateTime taken;
    qint64 size = 0;
};

// Which backups to delete. Of each bank are kept its last 10, the latest of
// each of the last 30 days and the latest of each of the last 12 months;
// then, while what is kept of every bank together takes more than maxBytes,
// the oldest go first. Nothing here touches a file.
QList<DatedFile> backupsToDelete(const QList<DatedFile> &files, const QDateTime &now, qint64 maxBytes);

} // namespace qcm
