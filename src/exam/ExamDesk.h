#pragma once

#include "ExamSession.h"
#include "ResultsStore.h"

#include "state/QCMBas.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>

namespace qcm {

class fExam;
class fExamResult;
class fExamSetup;

// Where the mock exam begins and ends: the set-up box, the exam window, the
// results window, and the offer to resume an exam left in progress. Opens
// the results file on first need and keeps it for the run.
class ExamDesk : public QObject {
    Q_OBJECT

public:
    // owner: the window the exam windows belong to.
    ExamDesk(QCMBas &state, QWidget *owner);
    ~ExamDesk() override;

    // The button of the practice window: an exam left in progress is offered
    // first, then the set-up box opens.
    void openSetup();
    // At start: offers each exam left in progress, the most recent first.
    void offerResume();

    fExamSetup *setupBox() const;
    fExam *examWindow() const;
    fExamResult *resultWindow() const;
    // Null when the file cannot be used; the user has been told why.
    ResultsStore *store();

private:
    bool offerPending();
    void begin(ExamStart start);
    void sit(std::unique_ptr<ExamSession> session);
    void showResult(qint64 examId);
    void retake(const ExamRecord &done);
    ExamSession::Clock clock() const;
    // Every question's place and flags; an error in French when they cannot be read.
    QString readFlags();

    QCMBas &m_state;
    QPointer<QWidget> m_owner;
    std::unique_ptr<ResultsStore> m_store;
    // The bank's places and flags as last read, kept while the bank is unchanged:
    // a bank of 200,000 questions takes a moment to read.
    QList<QuestionFlags> m_flags;
    QString m_flagsBank;
    DataVersion m_flagsVersion;
    QPointer<fExamSetup> m_setup;
    QPointer<fExam> m_exam;
    QPointer<fExamResult> m_result;
};

} // namespace qcm
