#include "FileOps.h"

#include "database/Sqlite.h"
#include "services/DialogService.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTextBoundaryFinder>

#include <cerrno>
#include <cstdio>
#include <utility>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qcm {

namespace {

const QString kKept = QStringLiteral(" ; le fichier est resté tel qu'il était.");

QString copyFailed(const QString &source, const QString &target, const QString &why)
{
    return QStringLiteral("La copie de « %1 » vers « %2 » a échoué :\r\n%3").arg(source, target, why);
}

// A full disk is said as such: the system's own text for it is not always
// at hand once the write has failed.
QString writeReason(int error)
{
    if (error == ENOSPC || error == EDQUOT)
        return QStringLiteral("le disque est plein");
    return QStringLiteral("l'écriture a échoué (%1)").arg(qt_error_string(error));
}

// The file a target path stands for: a link is kept and what it points to replaced.
QString finalPath(const QString &target)
{
    const QFileInfo info(target);
    return info.isSymLink() && info.exists() ? info.symLinkTarget() : target;
}

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

bool syncToDisk(const QString &path)
{
    const int fd = ::open(encoded(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

const QStringList &sidecarSuffixes()
{
    static const QStringList suffixes{QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")};
    return suffixes;
}

// The temporary a target is written to: created empty beside it, locked from
// birth to commit or removal, so that no other start of the program takes it
// for a leftover.
class PartialFile {
public:
    PartialFile() = default;
    ~PartialFile() { discard(); }
    PartialFile(const PartialFile &) = delete;
    PartialFile &operator=(const PartialFile &) = delete;

    bool create(const QString &target, QString *why);
    const QString &path() const { return m_path; }
    bool write(const char *data, qint64 size, QString *why);
    // On disk, with the target's permissions, then in the target's place.
    bool commit(const QString &target, QString *why);
    // Removes the file (and what SQLite may have put beside it) unless committed.
    void discard();

private:
    QString m_path;
    int m_fd = -1;
};

bool PartialFile::create(const QString &target, QString *why)
{
    const QFileInfo info(target);
    // Room for the rest of the name within the longest name a folder takes.
    const QString name = leftFittingBytes(info.fileName(), kMaxFileNameBytes - 48);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString candidate
            = info.absoluteDir().filePath(QStringLiteral(".%1.%2-%3.partiel")
                                              .arg(name)
                                              .arg(QCoreApplication::applicationPid())
                                              .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        const int fd = ::open(encoded(candidate).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            *why = QStringLiteral("impossible d'écrire dans ce dossier (%1).").arg(qt_error_string(errno));
            return false;
        }
        // The file carries this program's number from its birth, and the lock
        // follows at once: a start of the program that meets it in between
        // sees that its writer is running.
        ::flock(fd, LOCK_EX | LOCK_NB);
        m_path = candidate;
        m_fd = fd;
        return true;
    }
    *why = QStringLiteral("impossible de créer un fichier temporaire dans ce dossier.");
    return false;
}

bool PartialFile::write(const char *data, qint64 size, QString *why)
{
    while (size > 0) {
        const ssize_t written = ::write(m_fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            *why = writeReason(errno);
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

bool PartialFile::commit(const QString &target, QString *why)
{
    struct stat st { };
    if (::stat(encoded(target).constData(), &st) == 0)
        ::fchmod(m_fd, st.st_mode & 07777);
    // A full disk may only show when the data reaches it.
    if (::fsync(m_fd) != 0) {
        *why = writeReason(errno);
        return false;
    }
    // rename() replaces the target in one step: it holds either the old or the new content.
    if (std::rename(encoded(m_path).constData(), encoded(target).constData()) != 0) {
        *why = QStringLiteral("le fichier n'a pas pu être remplacé (%1)").arg(qt_error_string(errno));
        return false;
    }
    m_path.clear();
    ::close(std::exchange(m_fd, -1));
    syncToDisk(QFileInfo(target).absolutePath());
    return true;
}

void PartialFile::discard()
{
    if (!m_path.isEmpty()) {
        for (const QString &suffix : sidecarSuffixes())
            QFile::remove(m_path + suffix);
        QFile::remove(m_path);
        m_path.clear();
    }
    // Closed last: the lock goes once the file is gone.
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
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
    case SQLITE_INTERRUPT:
        return QStringLiteral("la copie a été arrêtée.");
    default:
        return QStringLiteral("erreur de la base de données (%1).").arg(detail);
    }
}

// Tells the progress dialog how far the integrity check has come. The check
// gives no count of its own: it is estimated from the work SQLite does per
// page, and never said complete before it is.
struct CheckProgress {
    Progress *progress = nullptr;
    qint64 from = 0;
    qint64 expectedCalls = 1;
    qint64 calls = 0;
    bool canceled = false;

    static int onStep(void *self)
    {
        auto *p = static_cast<CheckProgress *>(self);
        const qint64 span = kCopyProgressMaximum - 1 - p->from;
        const qint64 done = p->from + std::min(span, span * ++p->calls / p->expectedCalls);
        p->canceled = !p->progress->advance(done);
        return p->canceled ? 1 : 0;
    }
};

// SQLite instructions the integrity check runs per page of a question bank,
// roughly, and the instructions between two calls of its progress handler.
constexpr qint64 kCheckInstructionsPerPage = 6000;
constexpr int kCheckInstructionsPerCall = 20000;
// Pages copied between two reports of progress: 4 MiB of usual pages.
constexpr int kPagesPerStep = 1024;
// The share of the progress that copying the pages takes; the check takes the rest.
constexpr qint64 kCopyShare = kCopyProgressMaximum * 6 / 10;

// Fills the empty file partial with the database source, leaves it a
// single-file database and checks it.
bool backupInto(const QString &source, const QString &partial, QString *why, Progress *progress)
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
    // One read transaction over every step: the copy is one consistent snapshot.
    int code = SQLITE_OK;
    if (!from.exec(QStringLiteral("BEGIN"), &detail, &code)
        || !from.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"), &detail, &code)) {
        *why = sqliteReason(code, detail);
        return false;
    }
    sqlite3_backup *backup = sqlite3_backup_init(to.handle(), "main", from.handle(), "main");
    if (!backup) {
        *why = sqliteReason(sqlite3_errcode(to.handle()), to.lastError());
        return false;
    }
    int step = SQLITE_OK;
    bool canceled = false;
    while (step == SQLITE_OK) {
        step = sqlite3_backup_step(backup, kPagesPerStep);
        const qint64 total = std::max(1, sqlite3_backup_pagecount(backup));
        const qint64 copied = total - sqlite3_backup_remaining(backup);
        if (progress && !progress->advance(kCopyShare * copied / total)) {
            canceled = true;
            break;
        }
    }
    const qint64 pages = sqlite3_backup_pagecount(backup);
    const int finish = sqlite3_backup_finish(backup);
    from.close();
    if (canceled) {
        *why = sqliteReason(SQLITE_INTERRUPT, {});
        return false;
    }
    if (step != SQLITE_DONE || finish != SQLITE_OK) {
        code = step != SQLITE_DONE ? step : finish;
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
    CheckProgress checking{
        progress, kCopyShare, std::max<qint64>(1, pages * kCheckInstructionsPerPage / kCheckInstructionsPerCall)};
    if (progress)
        sqlite3_progress_handler(to.handle(), kCheckInstructionsPerCall, &CheckProgress::onStep, &checking);
    SqliteStatement check = to.prepare(QStringLiteral("PRAGMA integrity_check"));
    const bool checked = check.step() && check.column(0).toString() == QStringLiteral("ok");
    sqlite3_progress_handler(to.handle(), 0, nullptr, nullptr);
    if (checking.canceled) {
        *why = sqliteReason(SQLITE_INTERRUPT, {});
        return false;
    }
    if (!checked) {
        *why = QStringLiteral("la copie obtenue est endommagée (%1).")
                   .arg(check.error().isEmpty() ? check.column(0).toString() : check.error());
        return false;
    }
    return true;
}

// ".name.1234-0123abcd.partiel", or ".name.0123abcd.partiel" as written
// before the process number was part of it, each maybe followed by what
// SQLite keeps beside a database.
const QRegularExpression &temporaryPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\..+\\.(?:([0-9]+)-)?[0-9a-f]{8}\\.partiel(-journal|-wal|-shm)?$"));
    return pattern;
}

bool processRuns(qint64 pid)
{
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

} // namespace

QString leftFittingBytes(const QString &text, qsizetype maxBytes)
{
    if (text.toUtf8().size() <= maxBytes)
        return text;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0, bytes = 0;
    for (qsizetype next = graphemes.toNextBoundary(); next > 0; next = graphemes.toNextBoundary()) {
        bytes += QStringView(text).mid(end, next - end).toUtf8().size();
        if (bytes > maxBytes)
            break;
        end = next;
    }
    return text.left(end);
}

QString fittingFileName(const QString &start, const QString &ending)
{
    return leftFittingBytes(start, std::max<qsizetype>(0, kMaxFileNameBytes - ending.toUtf8().size())) + ending;
}

QString safeFileName(QString name)
{
    for (QChar &c : name)
        if (c.unicode() < 32 || QStringView(u"/\\:*?\"<>|").contains(c))
            c = u'_';
    return name.simplified();
}

bool writeFileAtomic(const QString &path, const QByteArray &bytes, QString *error)
{
    QString why;
    PartialFile partial;
    const QString target = finalPath(path);
    if (QFileInfo(target).isDir())
        why = QStringLiteral("un dossier porte déjà ce nom.");
    else if (partial.create(target, &why) && partial.write(bytes.constData(), bytes.size(), &why)
        && partial.commit(target, &why))
        return true;
    else if (!why.endsWith(u'.'))
        why += kKept;
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
    const QString final = finalPath(target);
    if (QFileInfo(final).isDir())
        return fail(QStringLiteral("un dossier porte déjà ce nom."));
    PartialFile partial;
    QString why;
    if (!partial.create(final, &why))
        return fail(why);
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty()) {
        if (!partial.write(chunk.constData(), chunk.size(), &why))
            return fail(why + u'.');
    }
    if (in.error() != QFileDevice::NoError)
        return fail(QStringLiteral("la lecture a été interrompue."));
    return partial.commit(final, &why) || fail(why + u'.');
}

bool copyDatabaseAtomic(const QString &source, const QString &target, QString *error, Progress *progress)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = copyFailed(source, target, why);
        return false;
    };
    if (!QFileInfo(source).isFile())
        return fail(QStringLiteral("le fichier à copier est introuvable ou illisible."));
    const QString final = finalPath(target);
    if (QFileInfo(final).isDir())
        return fail(QStringLiteral("un dossier porte déjà ce nom."));
    PartialFile partial;
    QString why;
    if (!partial.create(final, &why) || !backupInto(source, partial.path(), &why, progress))
        return fail(why);
    if (!partial.commit(final, &why))
        return fail(why + u'.');
    if (progress)
        progress->advance(kCopyProgressMaximum);
    return true;
}

bool isTemporaryName(const QString &fileName)
{
    return temporaryPattern().match(fileName).hasMatch();
}

QStringList removeStaleTemporaries(const QStringList &folders)
{
    QStringList removed;
    const qint64 self = QCoreApplication::applicationPid();
    for (const QString &folder : folders) {
        if (folder.isEmpty())
            continue;
        const QDir dir(folder);
        for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            // Most names fail this at once, and the pattern is compiled only
            // for a name that may be one of ours: the start costs no compiler.
            if (!name.startsWith(u'.') || !name.contains(QLatin1String(".partiel")))
                continue;
            const QRegularExpressionMatch m = temporaryPattern().match(name);
            if (!m.hasMatch())
                continue;
            const QString path = dir.filePath(name);
            // What SQLite kept beside a temporary goes with it, or alone once it is gone.
            if (!m.captured(2).isEmpty() && QFileInfo::exists(path.chopped(m.captured(2).size())))
                continue;
            // A writer that runs may be between creating its file and locking it.
            if (!m.captured(1).isEmpty()) {
                const qint64 pid = m.captured(1).toLongLong();
                if (pid == self || processRuns(pid))
                    continue;
            }
            const int fd = ::open(encoded(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
            if (fd < 0)
                continue;
            struct stat st { };
            // Held by a writer (perhaps on another computer sharing the folder): left alone.
            const bool free = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
            if (free && QFile::remove(path)) {
                removed.append(path);
                if (m.captured(2).isEmpty())
                    for (const QString &suffix : sidecarSuffixes())
                        if (QFile::remove(path + suffix))
                            removed.append(path + suffix);
            }
            ::close(fd);
        }
    }
    return removed;
}

} // namespace qcm
