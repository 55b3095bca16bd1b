#pragma once

#include "state/WindowDirectory.h"

#include <QPointer>

namespace qcm {

class ExamDesk;
class QCMBas;
class fCreaQCM;
class fQCM;
class fRapports;
class fResultats;
class fSaisie;

// The program's windows as the procedures reach them: made on first use
// over the practice window, which lives for the whole run.
class AppWindows : public WindowDirectory {
public:
    AppWindows(QCMBas &state, fQCM &runner);
    ~AppWindows() override;

    void showComposer() override;
    void closeComposer() override;
    bool composerIsOpen() const override;
    void fillQcmCombo() override;
    QString composerChoice() const override;
    void showReports(bool modal) override;
    void showEditor() override;
    void showExamSetup() override;
    void offerExamResume() override;
    void showResults() override;
    ExamDesk &examDesk();

private:
    QCMBas &m_state;
    fQCM &m_runner;
    QPointer<fCreaQCM> m_composer;
    QPointer<fRapports> m_reports;
    QPointer<fSaisie> m_editor;
    QPointer<ExamDesk> m_exam;
    QPointer<fResultats> m_results;
};

} // namespace qcm
