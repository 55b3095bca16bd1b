#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace qcm {

class Progress;

// Every function here writes a temporary file in the target's folder and
// puts it in the target's place only once it is completely written and on
// disk: on failure the target keeps its old content, no temporary file is
// left, and *error holds a French explanation.
//
// The temporary is hidden and named after the target, the writing process and
// a random number, ".<name>.<pid>-<8 hex digits>.partiel", and its writer
// holds a lock on it until it is done: one left behind by a killed program is
// told from one being written (removeStaleTemporaries).

// Replaces the file with the given bytes; *error is a reason, lower case.
bool writeFileAtomic(const QString &path, const QByteArray &bytes, QString *error);

// A byte-for-byte copy, for files that are not databases.
bool copyFileAtomic(const QString &source, const QString &target, QString *error);

// How far copyDatabaseAtomic tells its progress: from 0 to this.
inline constexpr qint64 kCopyProgressMaximum = 1000;

// Copies a database as SQLite reads it, under a read lock: the copy holds what
// was committed, even with another program writing or a write-ahead log
// beside the file. The copy is a single file (no write-ahead log of its own)
// and passes SQLite's integrity check before it replaces the target. When the
// user stops it through progress, the target is left as it was and false
// returned (progress->wasCanceled() tells why).
bool copyDatabaseAtomic(const QString &source, const QString &target, QString *error, Progress *progress = nullptr);

// Whether a file name is one of the temporaries above (also as this program
// named them before it wrote its process number into them).
bool isTemporaryName(const QString &fileName);

// Deletes from each folder the temporaries that no running program is
// writing: those of a program that was killed or lost its power halfway
// through a copy. Nothing else is touched. Returns the paths deleted.
QStringList removeStaleTemporaries(const QStringList &folders);

// The longest file name the file systems take, in bytes.
inline constexpr qsizetype kMaxFileNameBytes = 255;

// The start of text that fits in maxBytes bytes of UTF-8, cut between two
// characters as the reader sees them (never inside an accented letter).
QString leftFittingBytes(const QString &text, qsizetype maxBytes);

// A file name made of start and ending, start shortened as needed so that
// the whole fits in kMaxFileNameBytes; the ending is kept whole.
QString fittingFileName(const QString &start, const QString &ending);

// A text made into a file name to propose: the characters that file systems
// or their dialogs refuse ("/\\:*?\"<>|" and control characters) become "_",
// and runs of blanks one space.
QString safeFileName(QString name);

} // namespace qcm
