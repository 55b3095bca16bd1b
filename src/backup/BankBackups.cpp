#include "BankBackups.h"

#include "Retention.h"
#include "state/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qcm {

namespace {

const QString kSection = QStringLiteral("Sauvegardes");
const QString kSpaceKey = QStringLiteral("Espace maximal (Mo)");
const QString kLastFailureKey = QStringLiteral("Dernier échec");

QString megabytes(qint64 bytes)
{
    return QString::number((bytes + 999'999) / 1'000'000);
}

} // namespace

BankBackups::BankBackups(QCMBas &state) : QObject(&state), m_state(state)
{
    connect(&state, &QCMBas::bankChanged, this, [this] { m_changedBank = m_state.DbPath; });
    // Another bank chosen: the one left behind is kept as it was left.
    connect(&state, &QCMBas::baseCaptionChanged, this, [this] {
        if (!m_changedBank.isEmpty() && m_changedBank != m_state.DbPath) {
            const QString left = std::exchange(m_changedBank, QString());
            backUpFile(left, QStringLiteral("changement de base"));
        }
    });
    // A backup that failed as the program closed is told at the next start.
    const QString failure = IniFile::readString(state.IniPath, kSection, kLastFailureKey, {});
    if (!failure.isEmpty()) {
        m_line = failure;
        m_failed = true;
        state.writeSetting(kSection, kLastFailureKey, {});
    }
}

BankBackups &BankBackups::of(QCMBas &state)
{
    if (auto *backups = state.findChild<BankBackups *>(QString(), Qt::FindDirectChildrenOnly))
        return *backups;
    return *new BankBackups(state);
}

qint64 BankBackups::allowedBytes() const
{
    const int allowed = IniFile::readInt(m_state.IniPath, kSection, kSpaceKey, int(kDefaultMegabytes));
    return allowed < 0 ? kDefaultMegabytes * 1'000'000 : qint64(allowed) * 1'000'000;
}

QString BankBackups::folder() const
{
    return BackupFiles::folderFor(m_state.IniPath, m_state.DbPath);
}

void BankBackups::say(const QString &line, bool failed)
{
    m_line = line;
    m_failed = failed;
    Q_EMIT statusChanged(line, failed);
}

BankBackups::Outcome BankBackups::backUp(const QString &reason, const QString &alsoKeep)
{
    if (!m_state.isBound() || m_state.DbPath.isEmpty())
        return {};
    return backUpFile(m_state.DbPath, reason, alsoKeep);
}

BankBackups::Outcome BankBackups::programClosing()
{
    if (m_changedBank.isEmpty())
        return {};
    const QString bank = m_changedBank;
    Outcome outcome = backUpFile(bank, QStringLiteral("fermeture"));
    if (!outcome.made && !outcome.line.isEmpty())
        m_state.writeSetting(kSection, kLastFailureKey,
            QStringLiteral("Au dernier arrêt du programme, ") + outcome.line.left(1).toLower() + outcome.line.mid(1));
    return outcome;
}

BankBackups::Outcome BankBackups::backUpFile(const QString &bankPath, const QString &reason, const QString &alsoKeep)
{
    Outcome outcome;
    const QString name = QFileInfo(bankPath).fileName();
    const QString why = reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(reason);
    auto failed = [&](const QString &sentence) {
        outcome.line = QStringLiteral("Sauvegarde automatique de « %1 » impossible%2 : %3 Le travail continue.")
                           .arg(name, why, sentence);
        say(outcome.line, true);
        return outcome;
    };
    const qint64 allowed = allowedBytes();
    if (allowed == 0)
        return outcome; // the user wants none
    const qint64 size = QFileInfo(bankPath).size();
    if (size > allowed)
        return failed(QStringLiteral("la base (%1 Mo) dépasse l'espace permis aux sauvegardes (%2 Mo).")
                          .arg(megabytes(size), megabytes(allowed)));
    const QString folder = BackupFiles::folderFor(m_state.IniPath, bankPath);
    if (!QDir().mkpath(folder))
        return failed(QStringLiteral("le dossier « %1 » ne peut pas être créé.").arg(folder));
    const QDateTime now = m_state.dialogs().now();
    const QString target = BackupFiles::newPath(folder, bankPath, now, reason);
    QString error;
    switch (BackupFiles::copyBank(bankPath, target, &error)) {
    case BackupFiles::CopyResult::Damaged:
        outcome.line = QStringLiteral("La base « %1 » ne passe pas le contrôle d'intégrité (%2) : aucune sauvegarde "
                                      "n'en a été faite, pour ne pas garder une copie abîmée. Faites-la vérifier "
                                      "avant de continuer à la modifier.")
                           .arg(name, error);
        say(outcome.line, true);
        return outcome;
    case BackupFiles::CopyResult::Failed:
        return failed(error);
    case BackupFiles::CopyResult::Done:
        break;
    }
    if (bankPath == m_changedBank)
        m_changedBank.clear();
    outcome.made = true;
    outcome.path = target;
    outcome.line = QStringLiteral("Base sauvegardée le %1%2 : « %3 ».")
                       .arg(now.toString(QStringLiteral("dd/MM/yyyy à HH:mm")), why, QFileInfo(target).fileName());
    prune({target, alsoKeep});
    say(outcome.line, false);
    return outcome;
}

// Retention over every bank's backups together: the space allowed is one.
void BankBackups::prune(const QStringList &keep)
{
    QList<DatedFile> all;
    const QString root = BackupFiles::rootFolder(m_state.IniPath);
    for (const QFileInfo &bankFolder : QDir(root).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        for (const BackupFiles::Backup &b : BackupFiles::list(bankFolder.absoluteFilePath()))
            all.append({b.path, bankFolder.fileName(), b.taken, b.size});
    }
    for (const DatedFile &f : backupsToDelete(all, m_state.dialogs().now(), allowedBytes()))
        if (!keep.contains(f.path))
            QFile::remove(f.path);
}

} // namespace qcm
