#pragma once

#include "ExamRecords.h"

#include "database/Connection.h"
#include "mistakes/MistakesList.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace qcm {

class ResultsStore;

// One "Contrôle de la question" of the practice window, for a candidate.
struct PracticeCheck {
    QString candidate;
    QString bankPath;
    QString domainCode;
    qint64 numero = 0;
    quint8 ticks = 0;
    int score = 0; // what the ticks would score in an exam
};

// What opening the results file came to.
struct ResultsOpening {
    std::unique_ptr<ResultsStore> store; // null when the file cannot be used
    StoreError error; // why, in French, when there is no store
    // A file that could not be read was renamed to this, whole and untouched,
    // and a new file started in its place; empty otherwise.
    QString setAsidePath;
    QString setAsideReason;
};

// The file of personal results, "Résultats.sqlite" beside the settings: the
// candidates of this computer, their exams with the questions copied at the
// start, each tick and flag as it is made. One connection; every change of
// several rows is one transaction, so a failure leaves the file as it was.
//
// A file that is not a results file, or whose pages are damaged, is never
// written over: it is renamed aside with the date and a new file started. A
// file that is only locked, read-only or made by a newer version of the
// program is left alone and refused.
class ResultsStore {
public:
    // 2: the practice window's checks.
    static constexpr int kSchemaVersion = 2;
    // Below this much free room in its folder no exam starts: its answers
    // could not all be stored.
    static constexpr qint64 kRoomNeeded = 2 * 1024 * 1024;

    static QString fileName() { return QStringLiteral("Résultats.sqlite"); }
    // Opens the file, creating it when missing; now names a file set aside.
    static ResultsOpening open(const QString &path, const QDateTime &now);

    ~ResultsStore();
    ResultsStore(const ResultsStore &) = delete;
    ResultsStore &operator=(const ResultsStore &) = delete;

    QString path() const { return m_path; }
    const std::shared_ptr<Connection> &connection() const { return m_connection; }

    // The names used on this computer, the last used first.
    std::optional<QStringList> candidates(StoreError *error = nullptr) const;

    // Refuses, with a French reason, when the folder has too little room
    // left for an exam's answers.
    StoreError checkRoom() const;

    // Stores a new exam with its questions in one transaction, the candidate
    // added or marked as the last used. Fills in the exam's id.
    StoreError createExam(ExamRecord &exam, const QDateTime &now);

    // One question's answer with the time used and left, in one transaction.
    // Refused when the exam is no longer in progress.
    StoreError saveAnswer(const ExamRecord &exam, int position, int score, const QDateTime &now);
    // The time alone, so that a crash loses little of it.
    StoreError saveTime(const ExamRecord &exam);
    // Ends an exam handed in or run out of time: state, end, time, mark and
    // every question's score, in one transaction.
    StoreError finish(const ExamRecord &exam, const QList<int> &scores);
    // A paper copy typed in: the exam with its ticks, scores and mark, whole
    // and finished, in one transaction. Fills in the exam's id.
    StoreError storePaperCopy(ExamRecord &exam, const QList<int> &scores, const QDateTime &now);
    // One check of the practice window, the candidate added or marked as the last used.
    StoreError recordCheck(const PracticeCheck &check, const QDateTime &now);
    // Every answer of the candidate to a question: the questions of the exams
    // finished and the practice checks, in time order.
    std::optional<QList<AnsweredQuestion>> answerHistory(const QString &candidate, StoreError *error = nullptr) const;
    // An exam in progress that will not be resumed: kept, marked abandoned.
    StoreError abandon(qint64 examId, const QDateTime &now);

    // The exams still in progress, the most recent first.
    std::optional<QList<PendingExam>> pendingExams(StoreError *error = nullptr) const;
    // One exam with its questions in paper order; nothing when it does not exist.
    std::optional<ExamRecord> exam(qint64 id, StoreError *error = nullptr) const;
    // How many exams the file holds.
    std::optional<qint64> examCount(StoreError *error = nullptr) const;

private:
    ResultsStore(QString path, std::shared_ptr<Connection> connection);
    // Within a transaction: the candidate's id, the candidate added or marked
    // as the last used; *storedName: the name as the file spells it.
    std::optional<qint64> useCandidate(const QString &name, const QDateTime &now, QString *storedName, StoreError *e);
    // Within a transaction: the exam and its questions, with their scores when given.
    StoreError insertExam(ExamRecord &exam, qint64 candidateId, const QList<int> *scores);
    // The candidate, the exam and its questions in one transaction; fills in
    // the exam's id and the candidate's name as stored.
    StoreError storeExam(ExamRecord &exam, const QDateTime &now, const QList<int> *scores);

    QString m_path;
    std::shared_ptr<Connection> m_connection;
};

// The words the file stores.
QString stateWord(ExamState state);
QString paperKindWord(PaperKind kind);
QString negativePointsWord(NegativePoints rule);
// "AC" for choices A and C ticked.
QString tickLetters(quint8 ticks);
quint8 ticksFromLetters(const QString &letters);

} // namespace qcm
