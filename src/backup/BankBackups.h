#pragma once

#include "BackupFiles.h"
#include "state/QCMBas.h"

#include <QObject>
#include <QString>

namespace qcm {

// The automatic backups of the bank in use: taken before every change of
// many rows at once and when the program closes after the bank changed,
// kept by the rule of Retention within the space the settings allow. A
// backup that cannot be made never stops the work under way: it is said in
// one line, for the status line of the windows.
class BankBackups : public QObject {
    Q_OBJECT

public:
    static constexpr qint64 kDefaultMegabytes = 500;

    // The backups of the program's state, made on first use; made at start
    // by the program, so that it knows from then on whether the bank changed.
    static BankBackups &of(QCMBas &state);

    struct Outcome {
        bool made = false;
        QString path; // the backup made
        QString line; // what the status line says
    };

    // A copy of the bank in use, now. reason says why, in a few words that
    // end up in the file's name ("avant suppression d'un domaine").
    // A backup named in alsoKeep is spared by the retention that follows
    // (the one about to be restored).
    Outcome backUp(const QString &reason, const QString &alsoKeep = {});
    // Before a change of many rows: the same, kept apart so that callers say what they mean.
    Outcome beforeBulkChange(const QString &reason) { return backUp(reason); }
    // When the program closes: a copy when the bank changed since the last one.
    Outcome programClosing();

    // Whether the bank changed since the last backup.
    bool bankChangedSinceBackup() const { return !m_changedBank.isEmpty(); }
    // The space the backups may take, from the settings (0: no automatic backup).
    qint64 allowedBytes() const;
    // The folder of the current bank's backups.
    QString folder() const;
    // The last line said, and whether it tells of a failure.
    QString statusLine() const { return m_line; }
    bool lastFailed() const { return m_failed; }

signals:
    void statusChanged(const QString &line, bool failed);

private:
    explicit BankBackups(QCMBas &state);
    Outcome backUpFile(const QString &bankPath, const QString &reason, const QString &alsoKeep = {});
    void say(const QString &line, bool failed);
    void prune(const QStringList &keep);

    QCMBas &m_state;
    QString m_changedBank; // the bank changed since its last backup; empty when none
    QString m_line;
    bool m_failed = false;
};

// The one call the operations that change a whole bank make first (an
// import, a conversion): a backup that cannot be made is said and the
// operation goes on.
namespace Backups {
inline BankBackups::Outcome beforeBulkChange(QCMBas &state, const QString &reason)
{
    return BankBackups::of(state).beforeBulkChange(reason);
}
} // namespace Backups

} // namespace qcm
