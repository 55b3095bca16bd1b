#pragma once

#include "database/DataBinding.h"
#include "dialogs/DialogService.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

namespace qcm {

// The state shared by every window for the whole run, with the procedures
// that work on it: the six data bindings, start-up settings, the runner's
// position, and the choice, copy and backup of database files. Windows get
// this one object; nothing here touches a widget, windows follow its signals.
class QCMBas : public QObject {
    Q_OBJECT

public:
    // programFolder: where the settings, the default bank and the working copy live.
    QCMBas(DialogService &dialogs, const QString &programFolder, QObject *parent = nullptr);
    ~QCMBas() override;

    DialogService &dialogs() const { return m_dialogs; }

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
    int EditorDomainIndex = -1;
    QString EditorQuestionNumber;
    bool CheckInProgress = false;
    qint64 CheckErrorCount = 0;

    DataBinding datQue{QStringLiteral("datQue")};
    DataBinding datDom{QStringLiteral("datDom")};
    DataBinding datSpe{QStringLiteral("datSpe")};
    DataBinding datQCM{QStringLiteral("datQCM")};
    DataBinding datSes{QStringLiteral("datSes")};
    DataBinding datExe{QStringLiteral("datExe")};

    // The program folder followed by "/".
    QString AppFolder() const;
    static QString VersionText();
    static bool FileExists(const QString &path);

    // Reads the settings file: IniPath, DbPath and RepaintOption.
    void readSettings();
    // On failure the file is left as it was and *error says why, in French.
    bool writeSetting(const QString &section, const QString &key, const QString &value, QString *error = nullptr);

    // Binds the six bindings to DbPath; hands over to ChooseDatabase when the
    // file is missing. Returns whether the database is bound afterwards.
    bool BindDatabase();
    bool isBound() const { return m_bound; }
    // Why the last attempt to bind failed; empty after a success.
    QString bindError() const { return m_bindError; }
    void CloseDatabases();
    QString baseCaption() const;
    // Entries of the domain list: code, two spaces, title.
    QStringList domainEntries();

    void ChooseDatabase();
    void SaveDatabaseAs();
    void OpenComposer();

    QString workingCopyPath() const { return AppFolder() + QStringLiteral("qcm.mdb"); }
    static bool isWorkingCopyName(const QString &path);

    // The composer registers how it is shown and closed; until then
    // OpenComposer only runs the recovery of an incomplete database.
    void setComposerHooks(std::function<void()> open, std::function<void()> close);

signals:
    void splashCloseRequested();
    void baseCaptionChanged(const QString &caption);
    void fillDomainListRequested();
    void repaintOptionChanged();

private:
    void bindingFailed();
    bool copyReported(const QString &source, const QString &target);

    DialogService &m_dialogs;
    QString m_programFolder;
    bool m_bound = false;
    QString m_bindError;
    std::function<void()> m_openComposer;
    std::function<void()> m_closeComposer;
};

} // namespace qcm
