#include "FileOps.h"

#include "database/Sqlite.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace qcm {

namespace {

// QSaveFile::commit() in Qt 6.4 replaces the target even after a buffered
// write failed (a full disk): the flush is checked first.
bool commitChecked(QSaveFile &out, QString *why)
{
    if (!out.flush() || out.error() != QFileDevice::NoError) {
        *why
            = QStringLiteral("l'écriture a échoué (%1) ; le fichier est resté tel qu'il était.").arg(out.errorString());
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        *why = QStringLiteral("le fichier n'a pas pu être remplacé (%1) ; il est resté tel qu'il était.")
                   .arg(out.errorString());
        return false;
    }
    return true;
}

QString copyFailed(const QString &source, const QString &target, const QString &why)
{
    return QStringLiteral("La copie de « %1 » vers « %2 » a échoué :\r\n%3").arg(source, target, why);
}

// The file a target path stands for: a link is kept and what it points to replaced.
QString finalPath(const QString &target)
{
    const QFileInfo info(target);
    return info.isSymLink() && info.exists() ? info.symLinkTarget() : target;
}

bool syncToDisk(const QString &path)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
#else
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.flush();
#endif
}

// A new empty file beside the target, created with the default permissions.
bool createPartial(const QString &target, QString &partial, QString *why)
{
    const QFileInfo info(target);
    for (int attempt = 0; attempt < 16; ++attempt) {
        partial
            = info.absoluteDir().filePath(QStringLiteral(".%1.%2.partiel")
                                              .arg(info.fileName())
                                              .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        QFile file(partial);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return true;
        if (!QFileInfo::exists(partial)) { // anything but a name already taken
            *why = QStringLiteral("impossible d'écrire dans ce dossier (%1).").arg(file.errorString());
            return false;
        }
    }
    *why = QStringLiteral("impossible de créer un fichier temporaire dans ce dossier.");
    return false;
}

QString sqliteReason(int code, const QString &detail)
{
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("la base est en cours de modification par un autre programme ; "
                              "réessayez quand il aura terminé.");
    case SQLITE_FULL:
        return QStringLiteral("le disque est plein.");
    case SQLITE_NOTADB:
        return QStringLiteral("le fichier à copier n'est pas une base de données.");
    case SQLITE_CORRUPT:
        return QStringLiteral("la base à copier est endommagée.");
    default:
        return QStringLiteral("erreur de la base de données (%1).").arg(detail);
    }
}

// Fills the empty file partial with the database source, leaves it a
// single-file database and checks it.
bool backupInto(const QString &source, const QString &partial, QString *why)
{
    SqliteDb from, to;
    QString detail;
    if (!from.open(source, SqliteDb::Mode::ReadOnly, &detail)) {
        *why = QStringLiteral("le fichier à copier ne peut pas être ouvert (%1).").arg(detail);
        return false;
    }
    if (!to.open(partial, SqliteDb::Mode::ReadWrite, &detail)) {
        *why = QStringLiteral("impossible d'écrire dans ce dossier (%1).").arg(detail);
        return false;
    }
    // The copy is thrown away on any failure: it needs no journal while it is
    // written, and it is synced once complete.
    to.exec(QStringLiteral("PRAGMA journal_mode=OFF"));
    to.exec(QStringLiteral("PRAGMA synchronous=OFF"));
    sqlite3_backup *backup = sqlite3_backup_init(to.handle(), "main", from.handle(), "main");
    if (!backup) {
        *why = sqliteReason(sqlite3_errcode(to.handle()), to.lastError());
        return false;
    }
    // All pages in one step, under one read lock: a consistent snapshot.
    const int step = sqlite3_backup_step(backup, -1);
    const int finish = sqlite3_backup_finish(backup);
    if (step != SQLITE_DONE || finish != SQLITE_OK) {
        const int code = step != SQLITE_DONE ? step : finish;
        *why = sqliteReason(code, QString::fromUtf8(sqlite3_errstr(code)));
        return false;
    }
    // A source in write-ahead-log mode passes that mode on through its header:
    // the copy is turned back into one self-contained file.
    SqliteStatement mode = to.prepare(QStringLiteral("PRAGMA journal_mode=DELETE"));
    if (!mode.step() || mode.column(0).toString().compare(QStringLiteral("delete"), Qt::CaseInsensitive) != 0) {
        *why = sqliteReason(sqlite3_errcode(to.handle()), mode.error().isEmpty() ? to.lastError() : mode.error());
        return false;
    }
    mode = SqliteStatement();
    SqliteStatement check = to.prepare(QStringLiteral("PRAGMA integrity_check"));
    if (!check.step() || check.column(0).toString() != QStringLiteral("ok")) {
        *why = QStringLiteral("la copie obtenue est endommagée (%1).")
                   .arg(check.error().isEmpty() ? check.column(0).toString() : check.error());
        return false;
    }
    return true;
}

} // namespace

bool writeFileAtomic(const QString &path, const QByteArray &bytes, QString *error)
{
    QString why;
    QSaveFile out(path);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        why = QStringLiteral("impossible d'écrire dans ce dossier (%1).").arg(out.errorString());
    else if (out.write(bytes) != bytes.size())
        why = QStringLiteral("l'écriture a échoué (%1) ; le fichier est resté tel qu'il était.").arg(out.errorString());
    else if (commitChecked(out, &why))
        return true;
    out.cancelWriting();
    if (error)
        *error = why;
    return false;
}

bool copyFileAtomic(const QString &source, const QString &target, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = copyFailed(source, target, why);
        return false;
    };
    QFile in(source);
    if (!QFileInfo(source).isFile() || !in.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("le fichier à copier est introuvable ou illisible."));
    if (QFileInfo(target).isDir())
        return fail(QStringLiteral("un dossier porte déjà ce nom."));
    QSaveFile out(target);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("impossible d'écrire dans ce dossier (%1).").arg(out.errorString()));
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty()) {
        if (out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            return fail(QStringLiteral("l'écriture a été interrompue (%1).").arg(out.errorString()));
        }
    }
    if (in.error() != QFileDevice::NoError) {
        out.cancelWriting();
        return fail(QStringLiteral("la lecture a été interrompue."));
    }
    QString why;
    return commitChecked(out, &why) || fail(why);
}

bool copyDatabaseAtomic(const QString &source, const QString &target, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = copyFailed(source, target, why);
        return false;
    };
    if (!QFileInfo(source).isFile())
        return fail(QStringLiteral("le fichier à copier est introuvable ou illisible."));
    const QString final = finalPath(target);
    const QFileInfo finalInfo(final);
    if (finalInfo.isDir())
        return fail(QStringLiteral("un dossier porte déjà ce nom."));
    QString partial, why;
    if (!createPartial(final, partial, &why))
        return fail(why);
    auto discard = [&](const QString &reason) {
        for (const QString &suffix :
            {QString(), QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(partial + suffix);
        return fail(reason);
    };
    if (!backupInto(source, partial, &why))
        return discard(why);
    if (finalInfo.exists())
        QFile::setPermissions(partial, finalInfo.permissions());
    if (!syncToDisk(partial))
        return discard(QStringLiteral("la copie n'a pas pu être écrite sur le disque."));
    // rename() replaces the target in one step: it holds either the old or the new copy.
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(final).constData()) != 0)
        return discard(QStringLiteral("le fichier n'a pas pu être remplacé (%1).").arg(qt_error_string(errno)));
    syncToDisk(finalInfo.absolutePath());
    return true;
}

} // namespace qcm
