#include "QCMBas.h"

#include "FileOps.h"
#include "IniFile.h"
#include "ProgramFolder.h"
#include "access/AccessFile.h"
#include "database/Schema.h"

#include <sqlite3.h>

#include <QDir>
#include <QFileInfo>

#include <utility>

namespace qcm {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const FileFilter kAccessFilter{QStringLiteral("Fichiers Access"), QStringLiteral("*.mdb")};
const FileFilter kAllFiles{QStringLiteral("Tous les fichiers"), QStringLiteral("*")};
// Every ending a bank of questions is found under, the program's own first.
const QStringList kBankEndings{
    QStringLiteral("zov"), QStringLiteral("mdb"), QStringLiteral("db"), QStringLiteral("sqlite")};

// The file types of the bank dialogs: every kind of bank, Access files, any
// file. A save dialog puts the ending of the file copied first, so that a
// name typed without an ending takes that one.
QList<FileFilter> bankFilters(const QString &copiedFile = {})
{
    QStringList endings = kBankEndings;
    const QString own = QFileInfo(copiedFile).suffix().toLower();
    if (endings.removeOne(own))
        endings.prepend(own);
    QStringList patterns;
    for (const QString &ending : endings)
        patterns.append(QStringLiteral("*.") + ending);
    return {{QStringLiteral("Bases de questions"), patterns.join(u' ')}, kAccessFilter, kAllFiles};
}

// Says why a chosen file is not used; the current database stays in use. A
// good file that is only locked or in a read-only folder is not called bad.
void refuseFile(DialogService &dialogs, const StoreError &why)
{
    const auto say = [&](const QString &text, int icon, const QString &title) {
        dialogs.MoxBox(text, icon, title, QStringLiteral("OK"));
    };
    switch (why.kind) {
    case StoreErrorKind::Locked:
        say(why.description + kCrLf
                + QStringLiteral("Le fichier n'est pas abîmé : fermez l'autre programme, puis choisissez de nouveau "
                                 "cette base."),
            Icon::Warning, QStringLiteral("Base verrouillée"));
        return;
    case StoreErrorKind::ReadOnly:
        say(why.description + kCrLf
                + QStringLiteral("Le fichier n'est pas abîmé : copiez-le dans un dossier où vous pouvez écrire, puis "
                                 "choisissez la copie."),
            Icon::Warning, QStringLiteral("Base en lecture seule"));
        return;
    case StoreErrorKind::Damaged:
        say(why.description + kCrLf + QStringLiteral("Elle n'a pas été ouverte : la base actuelle reste en service."),
            Icon::Error, QStringLiteral("Base endommagée"));
        return;
    default:
        say(QStringLiteral("Ce fichier ne peut pas être utilisé comme base de données.") + kCrLf + kCrLf
                + why.description,
            Icon::Error, QStringLiteral("Base refusée"));
        return;
    }
}

bool sameFile(const QString &a, const QString &b)
{
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

} // namespace

QCMBas::QCMBas(DialogService &dialogs, const QString &programFolder, QObject *parent)
    : QObject(parent), m_dialogs(dialogs), m_programFolder(programFolder)
{
    IniPath = AppFolder() + QStringLiteral("QCM.ini");
    DbPath = AppFolder() + QString::fromLatin1(kDefaultBankName);
}

QCMBas::~QCMBas() = default;

QString QCMBas::AppFolder() const
{
    return m_programFolder.endsWith(u'/') ? m_programFolder : m_programFolder + u'/';
}

QString QCMBas::VersionText()
{
    return QStringLiteral("%1.%2.%3").arg(QCM_VERSION_MAJOR).arg(QCM_VERSION_MINOR).arg(QCM_VERSION_PATCH);
}

bool QCMBas::FileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

void QCMBas::readSettings()
{
    IniPath = AppFolder() + QStringLiteral("QCM.ini");
    DbPath = IniFile::readString(IniPath, QStringLiteral("Dernière base"), QStringLiteral("Base"),
        AppFolder() + QString::fromLatin1(kDefaultBankName));
    // A relative path is relative to the program folder, wherever the program was started from.
    if (!DbPath.isEmpty() && QFileInfo(DbPath).isRelative())
        DbPath = QDir::cleanPath(AppFolder() + DbPath);
    RepaintOption = IniFile::readInt(IniPath, QStringLiteral("Options"), QStringLiteral("Repeindre"), -1);
}

QStringList QCMBas::removeStaleTemporaries() const
{
    QStringList folders{AppFolder(), QFileInfo(DbPath).absolutePath(),
        IniFile::readString(IniPath, pdfFolderSection(), pdfFolderKey(), {})};
    for (QString &folder : folders)
        folder = QDir::cleanPath(folder);
    folders.removeDuplicates();
    return qcm::removeStaleTemporaries(folders);
}

bool QCMBas::setStarsShown(bool on, QString *error)
{
    RepaintOption = on ? -1 : 0;
    Q_EMIT repaintOptionChanged();
    return writeSetting(QStringLiteral("Options"), QStringLiteral("Repeindre"), QString::number(RepaintOption), error);
}

bool QCMBas::writeSetting(const QString &section, const QString &key, const QString &value, QString *error)
{
    return IniFile::writeString(IniPath, section, key, value, error);
}

QString QCMBas::baseCaption() const
{
    return QStringLiteral("QCM version ") + VersionText() + QStringLiteral(" - Base actuelle : ") + DbPath;
}

bool QCMBas::BindDatabase()
{
    if (!FileExists(DbPath)) {
        ChooseDatabase();
        return m_bound;
    }
    const std::pair<DataBinding *, StoreQuery> bindings[] = {{&datDom, "Domaines"}, {&datQCM, "QCM"},
        {&datQue, Queries::wholeBank()}, {&datExe, "Examen"}, {&datSes, "Sessions"}, {&datSpe, "Spécialité"}};
    if (!m_connection || m_connection->path() != DbPath) {
        StoreError why;
        CloseDatabases();
        m_connection = Connection::open(DbPath, &why);
        if (!m_connection) {
            bindingFailed(why);
            return false;
        }
        m_counts.recall(IniPath, DbPath, *m_connection);
        // Coalesced and delivered from the event loop: the connection calls
        // its listener from inside SQLite.
        m_connection->setChangeListener([this] {
            if (std::exchange(m_changePosted, true))
                return;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_changePosted = false;
                    Q_EMIT bankChanged();
                },
                Qt::QueuedConnection);
        });
    }
    for (const auto &[b, source] : bindings) {
        b->setConnection(m_connection);
        b->setRecordSource(source);
    }
    for (const auto &[b, source] : bindings) {
        if (!b->refresh()) {
            bindingFailed(b->lastError());
            return false;
        }
    }
    m_bound = true;
    m_bindFailure = {};
    Q_EMIT baseCaptionChanged(baseCaption());
    return true;
}

// A file that cannot be bound leaves nothing half-bound behind: every binding
// is released, so the windows show no stale rows and the file stays untouched.
void QCMBas::bindingFailed(const StoreError &why)
{
    m_bindFailure = why;
    // An older program's settings may still name its Access bank.
    if (accessFormat(DbPath) != AccessFormat::None)
        m_bindFailure.description = accessBankNotice(DbPath);
    Q_EMIT splashCloseRequested();
    CloseDatabases();
    m_bound = false;
}

void QCMBas::CloseDatabases()
{
    for (DataBinding *b : {&datDom, &datQCM, &datQue, &datExe, &datSes, &datSpe})
        b->closeDatabase();
    m_connection.reset();
    m_counts.forget();
}

qint64 QCMBas::countDomainQuestions(const QString &code)
{
    // Counting a domain of tens of thousands of questions is most of a start.
    const DataVersion version = datQue.dataVersion();
    if (const std::optional<qint64> kept = m_counts.count(code, version))
        datQue.assumeCount(*kept, version);
    const qint64 count = datQue.recordCount();
    if (count > 0)
        m_counts.note(code, count, version);
    return count;
}

void QCMBas::keepCounts()
{
    if (m_connection && m_bound)
        m_counts.keep(IniPath, DbPath, *m_connection);
}

bool QCMBas::offerToReopenMovedBank()
{
    int moved = 0;
    if (!m_connection
        || sqlite3_file_control(m_connection->db().handle(), "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK
        || !moved)
        return false;
    const bool gone = !FileExists(DbPath);
    const int answer = m_dialogs.MoxBox(QStringLiteral("Le fichier de la base de données") + kCrLf + DbPath + kCrLf
            + (gone ? QStringLiteral("a été supprimé par un autre programme depuis son ouverture : plus rien ne "
                                     "peut y être enregistré.")
                        + kCrLf + QStringLiteral("Voulez-vous choisir une base de données ?")
                    : QStringLiteral("a été remplacé par un autre programme depuis son ouverture : plus rien ne "
                                     "peut y être enregistré.")
                        + kCrLf + QStringLiteral("Voulez-vous ouvrir le fichier qui porte maintenant ce nom ?")),
        Icon::Warning, gone ? QStringLiteral("Base supprimée") : QStringLiteral("Base remplacée"),
        gone ? QStringLiteral("Choisir") : QStringLiteral("Ouvrir"), QStringLiteral("Plus tard"), {}, 2);
    if (answer != 0)
        return false;
    if (gone) {
        // Until another is chosen, what was read of the old file stays on view.
        const std::shared_ptr<Connection> before = m_connection;
        ChooseDatabase();
        return m_connection && m_connection != before;
    }
    CloseDatabases();
    const bool bound = BindDatabase();
    Q_EMIT fillDomainListRequested();
    return bound;
}

QList<Domain> QCMBas::domains()
{
    QList<Domain> list;
    datDom.setRecordSource("Domaines");
    if (!m_bound || !datDom.refresh())
        return list;
    for (; !datDom.eof(); datDom.moveNext())
        list.append(
            {datDom.field(QStringLiteral("Code")).toString(), datDom.field(QStringLiteral("Libellé")).toString()});
    return list;
}

QStringList QCMBas::domainEntries()
{
    QStringList entries;
    for (const Domain &d : domains())
        entries.append(d.code + QStringLiteral("  ") + d.libelle);
    return entries;
}

bool QCMBas::isWorkingCopyName(const QString &path)
{
    return QFileInfo(path).fileName().compare(QStringLiteral("qcm.mdb"), Qt::CaseInsensitive) == 0;
}

// A bank of a few hundred thousand questions takes seconds to copy and check.
std::unique_ptr<Progress> QCMBas::copyProgress(const QString &title, const QString &target) const
{
    return m_dialogs.progress(
        {title, QStringLiteral("Copie de la base de données vers « %1 »…").arg(target), kCopyProgressMaximum, true});
}

bool QCMBas::copyReported(const QString &source, const QString &target)
{
    QString error;
    bool canceled = false;
    {
        const std::unique_ptr<Progress> progress = copyProgress(QStringLiteral("Copie de la base de données"), target);
        if (copyDatabaseAtomic(source, target, &error, progress.get()))
            return true;
        canceled = progress->wasCanceled();
    }
    if (canceled)
        m_dialogs.MoxBox(
            QStringLiteral("Copie annulée :") + kCrLf + target + kCrLf + QStringLiteral("est resté tel qu'il était."),
            Icon::Information, QStringLiteral("Opération annulée"), QStringLiteral("OK"));
    else
        m_dialogs.MoxBox(error, Icon::Error, QStringLiteral("Copie impossible"), QStringLiteral("OK"));
    return false;
}

// Never over the database in use (a copy of it onto itself is no copy, and
// saying it was made would lie), and never over a file without asking.
bool QCMBas::mayWriteOver(const QString &target)
{
    if (sameFile(target, DbPath)) {
        m_dialogs.MoxBox(
            QStringLiteral("Attention ! Vous ne devez pas écraser la base de données en cours d'utilisation :") + kCrLf
                + DbPath + kCrLf + QStringLiteral("Choisissez un autre nom."),
            Icon::Information, QStringLiteral("Annulation"), QStringLiteral("OK"));
        return false;
    }
    return !FileExists(target) || m_dialogs.confirmReplace(QFileInfo(target).fileName());
}

void QCMBas::ChooseDatabase()
{
    Q_EMIT splashCloseRequested();
    FileDialogRequest request{
        QStringLiteral("Rechercher la base de données à utiliser"), bankFilters(), QFileInfo(DbPath).absolutePath()};
    const QString chosen
        = m_presetChoice.isEmpty() ? m_dialogs.openFileName(request) : std::exchange(m_presetChoice, QString());
    if (chosen.isEmpty()) {
        m_dialogs.MoxBox(QStringLiteral("Aucune modification"), Icon::Information, QStringLiteral("Opération annulée"),
            QStringLiteral("OK"));
        return;
    }
    if (offerAccessConversion(chosen))
        return;

    if (isWorkingCopyName(chosen)) {
        const int answer = m_dialogs.MoxBox(QStringLiteral("Attention ! Vous ne devez pas ouvrir directement") + kCrLf
                + QStringLiteral("la base QCM.MDB qui est utilisée ") + QStringLiteral("par le programme.") + kCrLf
                + QStringLiteral("Voulez-vous créer une copie de QCM.MDB vers un nom de votre choix ?"),
            Icon::Warning, QStringLiteral("Attention"), QStringLiteral("Oui"), QStringLiteral("Non"), {}, 2);
        if (answer != 0) {
            m_dialogs.MoxBox(QStringLiteral("Aucune modification"), Icon::Warning, QStringLiteral("Opération annulée"),
                QStringLiteral("OK"));
            return;
        }
        // A file that cannot serve as a database is refused before anything is
        // closed, copied or remembered: the current database stays bound.
        if (const StoreError unusable = Schema::verify(chosen)) {
            refuseFile(m_dialogs, unusable);
            return;
        }
        CloseDatabases();
        const QString target
            = m_dialogs.saveFileName({QStringLiteral("Enregistrer une copie de la base QCM.MDB sous..."),
                bankFilters(chosen), QFileInfo(chosen).absolutePath()});
        const bool copy = !target.isEmpty() && !isWorkingCopyName(target) && mayWriteOver(target);
        if (copy && copyReported(chosen, target))
            DbPath = target;
        BindDatabase();
        Q_EMIT fillDomainListRequested();
        return;
    }
    openChosenBank(chosen);
}

void QCMBas::openChosenBank(const QString &chosen)
{
    if (const StoreError unusable = Schema::verify(chosen)) {
        refuseFile(m_dialogs, unusable);
        return;
    }
    if (FileExists(chosen))
        CloseDatabases();
    if (FileExists(workingCopyPath()) && !copyReported(chosen, workingCopyPath())) {
        // Bound again, the questions are the whole bank's: the list starts over with them.
        BindDatabase();
        Q_EMIT fillDomainListRequested();
        return;
    }
    DbPath = chosen;
    BindDatabase();
    Q_EMIT fillDomainListRequested();
    QString notSaved;
    if (!writeSetting(QStringLiteral("Dernière base"), QStringLiteral("Base"), DbPath, &notSaved))
        m_dialogs.MoxBox(QStringLiteral("La base choisie est ouverte, mais le fichier de paramètres") + kCrLf + IniPath
                + kCrLf + QStringLiteral("n'a pas pu être écrit : elle ne sera pas rouverte au prochain démarrage.")
                + kCrLf + kCrLf + notSaved,
            Icon::Warning, QStringLiteral("Paramètres non enregistrés"), QStringLiteral("OK"));
    if (DatabaseIncomplete) {
        DatabaseIncomplete = false;
        OpenComposer();
    }
}

void QCMBas::openRecentDatabase(const QString &path)
{
    m_presetChoice = path;
    ChooseDatabase();
}

void QCMBas::SaveDatabaseAs()
{
    const int go = m_dialogs.MoxBox(QStringLiteral("Cette option permet d'enregistrer votre base de données") + kCrLf
            + QStringLiteral("actuelle sous un autre nom.") + kCrLf + QStringLiteral("Voulez-vous continuer ?"),
        Icon::Disk, QStringLiteral("Sauvegarde"), QStringLiteral("Sauvegarder"), QStringLiteral("Annuler"), {}, 2);
    if (go != 0)
        return;
    // A dated name of the same kind as the bank, beside it.
    const QFileInfo bank(DbPath);
    const QString ending = QStringLiteral(" - sauvegarde du ")
        + m_dialogs.today().toString(QStringLiteral("yyyy-MM-dd"))
        + (bank.suffix().isEmpty() ? QString() : u'.' + bank.suffix());
    const QString proposed = bank.absoluteDir().filePath(fittingFileName(bank.completeBaseName(), ending));
    const QString target
        = m_dialogs.saveFileName({QStringLiteral("Enregistrer sous..."), bankFilters(DbPath), proposed});
    if (target.isEmpty()) {
        m_dialogs.MoxBox(
            QStringLiteral("Opération annulée"), Icon::Information, QStringLiteral("Annulation"), QStringLiteral("OK"));
        return;
    }
    if (isWorkingCopyName(target)) {
        m_dialogs.MoxBox(QStringLiteral("Attention ! Vous ne devez pas écraser la base QCM.MDB qui est utilisée ")
                + QStringLiteral("par le programme.") + kCrLf + QStringLiteral("Choisissez un autre nom."),
            Icon::Information, QStringLiteral("Annulation"), QStringLiteral("OK"));
        return;
    }
    if (!mayWriteOver(target))
        return;
    CloseDatabases();
    const bool copied = copyReported(DbPath, target);
    BindDatabase();
    if (copied)
        m_dialogs.MoxBox(
            QStringLiteral("Sauvegarde effectuée."), Icon::Disk, QStringLiteral("Sauvegarde"), QStringLiteral("OK"));
}

bool QCMBas::copyBankToWorkingCopy(QString *error)
{
    // Closing and binding again would hand a missing bank over to the choice
    // of another one, in the middle of a save or a report.
    if (!FileExists(DbPath)) {
        if (error)
            *error = QStringLiteral("La base de données en usage « %1 » est introuvable.").arg(DbPath);
        return false;
    }
    BindingPlace place(datQue);
    CloseDatabases();
    bool copied = false;
    {
        const std::unique_ptr<Progress> progress
            = copyProgress(QStringLiteral("Copie pour les rapports"), workingCopyPath());
        copied = copyDatabaseAtomic(DbPath, workingCopyPath(), error, progress.get());
    }
    BindDatabase();
    return copied;
}

void QCMBas::OpenComposer()
{
    windows().showComposer();
    windows().fillQcmCombo();
    if (DatabaseIncomplete) {
        windows().closeComposer();
        QcmModified = false;
        ChooseDatabase();
    }
}

} // namespace qcm
