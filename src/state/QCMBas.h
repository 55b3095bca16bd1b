#pragma once

#include "CountMemory.h"
#include "WindowDirectory.h"
#include "bank/BankModel.h"
#include "database/Connection.h"
#include "database/DataBinding.h"
#include "services/DialogService.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace qcm {

// The state shared by every window for the whole run, with the procedures
// that work on it: the six data bindings and the one connection they share,
// start-up settings, the runner's position, and the choice, copy and backup
// of database files. Windows get this one object; nothing here touches a
// widget: windows follow its signals and are reached through WindowDirectory.
class QCMBas : public QObject {
    Q_OBJECT

public:
    // programFolder: where the settings, the default bank and the working copy live.
    QCMBas(DialogService &dialogs, const QString &programFolder, QObject *parent = nullptr);
    ~QCMBas() override;

    DialogService &dialogs() const { return m_dialogs; }
    void setWindows(WindowDirectory *windows) { m_windows = windows; }
    WindowDirectory &windows() const { return m_windows ? *m_windows : m_noWindows; }

    // Start-up state.
    QString DbPath;
    QString IniPath;
    int RepaintOption = -1;
    // Runner state. Full-size counts: a domain may hold more than 32,767 questions.
    qint64 CurrentIndex = 0;
    qint64 QuestionCount = 0;
    int ChosenAnswer = 0;
    // Database files and composer.
    bool DatabaseIncomplete = false;
    bool QcmModified = false;
    int EditTarget = 0;
    // Editor and points check.
    bool QuestionModified = false;
    int EditorDomainIndex = 0;
    QString EditorQuestionNumber;
    bool CheckInProgress = false;
    qint64 CheckErrorCount = 0;
    // Shared by every date field: the length the field had after its previous change.
    int DatePreviousLength = 0;

    DataBinding datQue{QStringLiteral("datQue")};
    DataBinding datDom{QStringLiteral("datDom")};
    DataBinding datSpe{QStringLiteral("datSpe")};
    DataBinding datQCM{QStringLiteral("datQCM")};
    DataBinding datSes{QStringLiteral("datSes")};
    DataBinding datExe{QStringLiteral("datExe")};

    // The connection the six bindings share; null while no database is bound.
    // A change of several rows runs in a Transaction on it.
    const std::shared_ptr<Connection> &connection() const { return m_connection; }
    // The bank as values, over that connection; reading it moves no binding.
    BankModel bank() const { return BankModel(m_connection); }

    // The program folder followed by "/".
    QString AppFolder() const;
    static QString VersionText();
    static bool FileExists(const QString &path);

    // Reads the settings file: IniPath, DbPath and RepaintOption.
    void readSettings();
    // On failure the file is left as it was and *error says why, in French.
    bool writeSetting(const QString &section, const QString &key, const QString &value, QString *error = nullptr);
    // Where the reports window remembers the folder of its PDF files.
    static QString pdfFolderSection() { return QStringLiteral("Rapports"); }
    static QString pdfFolderKey() { return QStringLiteral("Dossier PDF"); }
    // Deletes the temporaries that a killed run left beside the files the
    // program writes (program folder, bank folder, PDF folder); the files
    // another running copy of the program is writing are left alone.
    QStringList removeStaleTemporaries() const;
    // Switches the starry sky for this run and remembers it in the settings;
    // false with the reason when it could not be remembered.
    bool setStarsShown(bool on, QString *error = nullptr);

    // Binds the six bindings to DbPath; hands over to ChooseDatabase when the
    // file is missing. Returns whether the database is bound afterwards.
    bool BindDatabase();
    bool isBound() const { return m_bound; }
    // Why the last attempt to bind failed; no error after a success.
    QString bindError() const { return m_bindFailure.description; }
    void CloseDatabases();
    // Once a change was refused: when the bank's file was deleted or replaced
    // by another program since it was opened (every save would fail until it
    // is opened again), says so and offers to open it again, or to choose
    // another bank when it is gone. True when a bank was bound anew.
    bool offerToReopenMovedBank();
    QString baseCaption() const;
    // The number of questions of the domain whose rows datQue holds: the
    // count kept from the last run while the file is as it was then, counted
    // otherwise, and noted for the next start, which keepCounts() writes to
    // the settings as the program ends.
    qint64 countDomainQuestions(const QString &code);
    void keepCounts();

    // Entries of the domain list: code, two spaces, title.
    // The table Domaines in its order; nothing when no database is bound.
    QList<Domain> domains();
    QStringList domainEntries();

    void ChooseDatabase();
    // ChooseDatabase with this file as the choice, without the file dialog:
    // a bank from the recent list.
    void openRecentDatabase(const QString &path);
    void SaveDatabaseAs();
    // Copies the database in use over the working copy with the databases
    // closed, then binds the database again; datQue keeps its source and row.
    // On failure the old copy is left whole and *error says why, in French.
    bool copyBankToWorkingCopy(QString *error);
    void OpenComposer();

    QString workingCopyPath() const { return AppFolder() + QStringLiteral("qcm.mdb"); }
    static bool isWorkingCopyName(const QString &path);

signals:
    void splashCloseRequested();
    void baseCaptionChanged(const QString &caption);
    void repaintOptionChanged();
    // Requests to the practice window: refill its domain list (which shows
    // the first domain); select a position of that list without reloading
    // the questions; show the question at a 0-based position of datQue.
    void fillDomainListRequested();
    void runnerDomainSelectRequested(int position);
    void runnerQuestionRequested(qint64 index);
    // A change to the bank was committed or rolled back through the
    // connection, whoever made it; several in one turn of the event loop
    // are told once.
    void bankChanged();

private:
    // An Access file chosen as a bank is offered for conversion into one of
    // ours, which is then opened like a chosen bank (QCMBasAccess.cpp).
    // False when the file is no Access file.
    bool offerAccessConversion(const QString &chosen);
    // Checks, opens and remembers a chosen bank file.
    void openChosenBank(const QString &chosen);
    void bindingFailed(const StoreError &why);
    std::unique_ptr<Progress> copyProgress(const QString &title, const QString &target) const;
    bool copyReported(const QString &source, const QString &target);
    bool mayWriteOver(const QString &target);

    DialogService &m_dialogs;
    QString m_programFolder;
    std::shared_ptr<Connection> m_connection;
    CountMemory m_counts;
    bool m_bound = false;
    bool m_changePosted = false;
    StoreError m_bindFailure;
    WindowDirectory *m_windows = nullptr;
    QString m_presetChoice; // the next ChooseDatabase's choice, when not empty
    mutable WindowDirectory m_noWindows;
};

} // namespace qcm
