#pragma once

#include <QByteArray>
#include <QString>

namespace qcm {

// Every function here writes a temporary file in the target's folder and
// puts it in the target's place only once it is completely written and on
// disk: on failure the target keeps its old content, no temporary file is
// left, and *error holds a French explanation.

// Replaces the file with the given bytes; *error is a reason, lower case.
bool writeFileAtomic(const QString &path, const QByteArray &bytes, QString *error);

// A byte-for-byte copy, for files that are not databases.
bool copyFileAtomic(const QString &source, const QString &target, QString *error);

// Copies a database as SQLite reads it, under a read lock: the copy holds what
// was committed, even with another program writing or a write-ahead log
// beside the file. The copy is a single file (no write-ahead log of its own)
// and passes SQLite's integrity check before it replaces the target.
bool copyDatabaseAtomic(const QString &source, const QString &target, QString *error);

} // namespace qcm
