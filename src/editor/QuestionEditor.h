#pragma once

#include "EditorRules.h"
#include "EditorView.h"
#include "PointsCheck.h"
#include "state/QCMBas.h"

#include <QList>
#include <QString>

namespace qcm {

// The question editor's procedures: questions, domains, the batch marking of
// a speciality and the points check, on the shared state and the practice
// window's bindings. They read and change the window only through
// EditorView, so they run the same with or without widgets.
class QuestionEditor {
public:
    QuestionEditor(QCMBas &state, EditorView &view);

    // Window events.
    // Each time the window is opened or shown again after being hidden: the
    // domain at EditorDomainIndex and the question EditorQuestionNumber.
    void shown();
    // Asks about unsaved input; false when the user keeps the window open.
    bool confirmClosing();
    // Once closed: the practice window goes on with the editor's domain and question.
    void handBack();
    // Before the window is hidden without closing: the practice window gets
    // back the questions it was showing.
    void restoreRunnerSource();
    // The user picked an entry of the domain list.
    void domainSelected();
    // The focus left txt(2) after its text changed.
    void numberLeft();
    // The focus left a points field; true when its text was refused.
    bool pointsLeft(int index);
    void keyReleased(int index);
    // A click on the heading of a group of three speciality boxes (0 or 3).
    void groupClicked(int firstBox);
    void checkAllSpecialities();
    // Right mouse button released over chkOpt(box): that flag for the whole domain.
    void batchMark(int box);
    // A question chosen among search results: its domain selected and the
    // question in the form. Asks first when typed input would be lost;
    // false when the user keeps it.
    bool openQuestion(const QString &code, qint64 numero);

    // Procedures.
    void FillEditorDomainList();
    void ShowSelectedDomain();
    void LoadQuestionIntoEditor();
    bool SaveQuestion();
    void ClearQuestionFields();
    QString NextQuestionNumber();
    void PreviousQuestion();
    void NextQuestion();
    void SaveDomain();
    void DeleteDomain();
    void DeleteQuestion();
    void CheckPoints();

    // The code of the selected entry of the domain list; empty when none.
    QString selectedCode() const;
    // The entry of the domain with this code; -1 when there is none.
    int domainPosition(const QString &code) const;
    const QList<Domain> &domains() const { return m_domains; }
    EditorEntry entry() const;

private:
    void refuse(const Refusal &refusal);
    void reportFailure(const QString &sentence, const StoreError &error, const QString &procedure);
    bool writeFromFields(DataBinding &binding);
    bool deleteDomainRow(const QString &code);
    void refillRunnerList();
    qint64 runnerIndexOf(qint64 number);
    void showStoredQuestion(const Question &q);
    // The statement, choices, points and specialities of a question.
    void showQuestionFields(const Question &q, bool pointsBesideEmptyChoice);
    void showCheckedQuestion(const CheckedRow &row);
    // One question of the points check; false when the check ends there.
    bool checkQuestion(CheckedRow &row, qint64 &errors);
    // Writes the useless zeros found since the last write; false when the
    // file refused them, which ends the check.
    bool writeUselessZeros();
    // The answer to a points error, or -1 when the check ends before asking.
    int pointsErrorAnswer(const QString &message, qint64 &errors, const CheckedRow &row);

    QCMBas &m_state;
    EditorView &m_view;
    QList<Domain> m_domains;
    // Found by the running points check and not written yet: they are written
    // together, before any question is shown and at the end.
    std::vector<UselessZeros> m_uselessZeros;
    StoreQuery m_runnerSource;
    // The points check's run has backed the bank up before removing zeros.
    bool m_zerosBackedUp = false;
};

} // namespace qcm
