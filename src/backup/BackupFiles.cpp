#include "BackupFiles.h"

#include "database/Sqlite.h"
#include "state/FileOps.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace qcm::BackupFiles {

namespace {

const QString kStamp = QStringLiteral("yyyy-MM-dd HH-mm-ss");

// The part of a copy error that says why: what comes after its first line.
QString reasonOf(const QString &error)
{
    const qsizetype cut = error.indexOf(QStringLiteral("\r\n"));
    return cut < 0 ? error : error.mid(cut + 2);
}

} // namespace

QString rootFolder(const QString &settingsPath)
{
    return QFileInfo(settingsPath).absoluteDir().filePath(QStringLiteral("Sauvegardes"));
}

QString folderFor(const QString &settingsPath, const QString &bankPath)
{
    const QFileInfo bank(bankPath);
    const QByteArray where = QFile::encodeName(bank.absoluteFilePath());
    const QString key = QString::fromLatin1(QCryptographicHash::hash(where, QCryptographicHash::Sha1).toHex().left(8));
    return QDir(rootFolder(settingsPath)).filePath(bank.fileName() + QStringLiteral(" (") + key + u')');
}

QString newPath(const QString &folder, const QString &bankPath, const QDateTime &taken, const QString &reason)
{
    const QFileInfo bank(bankPath);
    const QString suffix = bank.suffix().isEmpty() ? QString() : u'.' + bank.suffix();
    QString base = bank.completeBaseName() + u' ' + taken.toString(kStamp);
    const QString why = reason.isEmpty() ? QString() : QStringLiteral(" (") + reason + u')';
    QString path = QDir(folder).filePath(base + why + suffix);
    // Two in the same second keep both.
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QDir(folder).filePath(base + u'-' + QString::number(n) + why + suffix);
    return path;
}

bool parseName(const QString &fileName, QDateTime *taken, QString *reason)
{
    static const QRegularExpression shape(
        QStringLiteral("^.* (\\d{4}-\\d{2}-\\d{2} \\d{2}-\\d{2}-\\d{2})(?:-\\d+)?(?: \\((.*)\\))?(?:\\.[^.()]*)?$"));
    const QRegularExpressionMatch match = shape.match(fileName);
    if (!match.hasMatch())
        return false;
    const QDateTime when = QDateTime::fromString(match.captured(1), kStamp);
    if (!when.isValid())
        return false;
    if (taken)
        *taken = when;
    if (reason)
        *reason = match.captured(2);
    return true;
}

QList<Backup> list(const QString &folder)
{
    QList<Backup> backups;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo &file : files) {
        Backup b;
        if (file.fileName().startsWith(u'.') || !parseName(file.fileName(), &b.taken, &b.reason))
            continue;
        b.path = file.absoluteFilePath();
        b.size = file.size();
        backups.append(b);
    }
    std::stable_sort(
        backups.begin(), backups.end(), [](const Backup &a, const Backup &b) { return a.taken > b.taken; });
    return backups;
}

CopyResult copyBank(const QString &bankPath, const QString &target, QString *why)
{
    auto fail = [&](CopyResult result, const QString &reason) {
        if (why)
            *why = reason;
        return result;
    };
    SqliteDb db;
    QString error;
    if (!QFileInfo(bankPath).isFile() || !db.open(bankPath, SqliteDb::Mode::ReadOnly, &error))
        return fail(CopyResult::Failed, QStringLiteral("la base « %1 » ne peut pas être lue.").arg(bankPath));
    // The read lock taken by the check lasts until the end of the copy.
    if (!db.exec(QStringLiteral("BEGIN"), &error))
        return fail(CopyResult::Failed, QStringLiteral("la base ne peut pas être lue (%1).").arg(error));
    SqliteStatement check = db.prepare(QStringLiteral("PRAGMA quick_check"));
    if (!check.step()) {
        const int code = check.errorCode() & 0xff;
        const QString detail = check.error();
        check = SqliteStatement();
        db.exec(QStringLiteral("ROLLBACK"));
        if (code == 26 /* SQLITE_NOTADB */ || code == 11 /* SQLITE_CORRUPT */)
            return fail(CopyResult::Damaged, detail);
        return fail(CopyResult::Failed, QStringLiteral("la base ne peut pas être lue (%1).").arg(detail));
    }
    if (const QString verdict = check.column(0).toString(); verdict != QStringLiteral("ok")) {
        check = SqliteStatement();
        db.exec(QStringLiteral("ROLLBACK"));
        return fail(CopyResult::Damaged, verdict);
    }
    check = SqliteStatement();
    SqliteStatement mode = db.prepare(QStringLiteral("PRAGMA journal_mode"));
    const bool writeAheadLog
        = mode.step() && mode.column(0).toString().compare(QStringLiteral("wal"), Qt::CaseInsensitive) == 0;
    mode = SqliteStatement();
    // With a write-ahead log the file alone is not the bank: SQLite makes
    // the copy. Otherwise the bytes themselves, so that a restore gives the
    // file back exactly.
    const bool copied
        = writeAheadLog ? copyDatabaseAtomic(bankPath, target, &error) : copyFileAtomic(bankPath, target, &error);
    db.exec(QStringLiteral("COMMIT"));
    if (!copied)
        return fail(CopyResult::Failed, reasonOf(error));
    return CopyResult::Done;
}

} // namespace qcm::BackupFiles
