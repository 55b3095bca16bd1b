#include "AppWindows.h"

#include "composer/fCreaQCM.h"
#include "editor/fSaisie.h"
#include "exam/ExamDesk.h"
#include "exam/PracticeRecords.h"
#include "exchange/ExchangeActions.h"
#include "papergrid/PaperGridDialog.h"
#include "reports/fRapports.h"
#include "results/fResultats.h"
#include "runner/fQCM.h"
#include "state/QCMBas.h"
#include "ui/WindowPlacement.h"

namespace qcm {

AppWindows::AppWindows(QCMBas &state, fQCM &runner) : m_state(state), m_runner(runner)
{
    m_state.setWindows(this);
    // The practice window's checks go to the exams' results file; listing
    // the names never makes that file.
    m_runner.setPracticeLog(std::make_unique<ResultsPracticeLog>(
        [this](bool create) -> ResultsStore * {
            if (!create && !QCMBas::FileExists(m_state.AppFolder() + ResultsStore::fileName()))
                return nullptr;
            return examDesk().store();
        },
        [this] { return m_state.DbPath; }, m_state.dialogs()));
}

AppWindows::~AppWindows()
{
    m_state.setWindows(nullptr);
}

void AppWindows::showComposer()
{
    if (!m_composer) {
        m_composer = new fCreaQCM(m_state, &m_runner);
        // Over the middle of the practice window, wherever the desktop would
        // have put it, and no larger than the screen.
        placeWindow(m_composer, m_composer->size(), &m_runner);
    }
    m_composer->show();
    m_composer->raise();
    m_composer->activateWindow();
}

void AppWindows::closeComposer()
{
    if (m_composer)
        m_composer->discard();
}

bool AppWindows::composerIsOpen() const
{
    return m_composer && m_composer->isVisible();
}

void AppWindows::fillQcmCombo()
{
    if (m_composer)
        m_composer->FillQcmCombo();
}

QString AppWindows::composerChoice() const
{
    return composerIsOpen() ? m_composer->currentChoice() : QString();
}

void AppWindows::showReports(bool modal)
{
    if (!m_reports) {
        m_reports = new fRapports(m_state, &m_runner);
        placeWindow(m_reports, m_reports->sizeHint(), &m_runner);
    }
    m_reports->showWindow(modal);
}

void AppWindows::showEditor()
{
    if (!m_editor) {
        m_editor = new fSaisie(m_state, &m_runner);
        QObject::connect(
            m_editor, &fSaisie::exportRequested, m_editor, [this] { ExchangeActions::exportBank(m_state, m_editor); });
        QObject::connect(m_editor, &fSaisie::importRequested, m_editor, [this] {
            if (ExchangeActions::importQuestions(m_state, m_editor))
                m_editor->bankImported();
        });
        placeWindow(m_editor, m_editor->size(), &m_runner);
    }
    m_editor->exec();
}

ExamDesk &AppWindows::examDesk()
{
    if (!m_exam)
        m_exam = new ExamDesk(m_state, &m_runner);
    return *m_exam;
}

void AppWindows::showExamSetup()
{
    examDesk().openSetup();
}

void AppWindows::offerExamResume()
{
    examDesk().offerResume();
}

void AppWindows::showResults()
{
    // A results file that cannot be used has been explained: nothing to show.
    if (!examDesk().store())
        return;
    if (!m_results) {
        m_results = new fResultats(
            m_state, [this] { return examDesk().store(); }, &m_runner);
        placeWindow(m_results, m_results->size(), &m_runner);
        // The mistakes are practised in the practice window, which the
        // results window would otherwise cover.
        QObject::connect(m_results, &fResultats::practiseMistakesRequested, &m_runner, [this](const QString &who) {
            m_results->close();
            m_runner.practiseMistakes(who);
            m_runner.raise();
            m_runner.activateWindow();
        });
        QObject::connect(m_results, &fResultats::paperGridRequested, m_results, [this] {
            ResultsStore *store = examDesk().store();
            if (store && enterPaperGrid(m_state, *store, m_results))
                m_results->refresh();
        });
    }
    if (m_results->isVisible())
        m_results->refresh();
    m_results->show();
    m_results->raise();
    m_results->activateWindow();
}

} // namespace qcm
