#pragma once

#include "ExamRecords.h"
#include "ResultsStore.h"

#include "database/StoreError.h"

#include <QDateTime>
#include <QLockFile>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace qcm {

// What the set-up box chose, ready to become an exam.
struct ExamStart {
    QString candidate;
    PaperKind paperKind = PaperKind::Draw;
    QString paperName;
    std::array<int, kSpecialityCount> specialities{};
    int durationMinutes = 60; // 0: no limit
    int passPercent = 75;
    NegativePoints negative = NegativePoints::FloorEachQuestion;
    QString bankPath;
    QString retakeOf;
    QList<ExamQuestion> questions;
};

// An exam being sat: the questions, the candidate's ticks and flags, the
// question on view and the time, read from the given clock. Every tick and
// flag is stored at once with the time used; what cannot be stored is not
// changed either, and the caller is told.
//
// The time runs only while a session is open: the time between a crash and
// the resume does not count. A clock set back is not taken as time given back.
class ExamSession {
public:
    using Clock = std::function<QDateTime()>;

    // Stores the new exam; nothing when it could not be stored (*error says why).
    static std::unique_ptr<ExamSession> start(
        ResultsStore &store, ExamStart start, const Clock &clock, StoreError *error);
    // Opens an exam left in progress; nothing when it is not in progress any
    // more or another program has it open.
    static std::unique_ptr<ExamSession> resume(
        ResultsStore &store, qint64 examId, const Clock &clock, StoreError *error);

    ~ExamSession();

    const ExamRecord &exam() const { return m_exam; }
    int count() const { return int(m_exam.questions.size()); }
    const ExamQuestion &question(int position) const { return m_exam.questions.at(position); }

    int current() const { return m_current; }
    void go(int position);
    bool next(); // false at the last question
    bool previous(); // false at the first

    // Ticks or unticks a choice of the question on view; an absent choice is ignored.
    StoreError toggle(int choice);
    StoreError setFlag(bool flagged);

    qint64 secondsUsed();
    // None without a time limit.
    std::optional<qint64> secondsLeft();
    bool timeIsUp();

    int unansweredCount() const;
    int flaggedCount() const;

    // Stores the time, so that a crash loses little of it.
    StoreError saveTime();
    // Marks the paper and ends the exam: HandedIn or TimeUp.
    StoreError handIn(ExamState how);

private:
    ExamSession(ResultsStore &store, ExamRecord exam, const Clock &clock, std::unique_ptr<QLockFile> lock);
    StoreError storeQuestion(int position, const ExamQuestion &changed);
    void takeTime();

    ResultsStore &m_store;
    ExamRecord m_exam;
    Clock m_clock;
    std::unique_ptr<QLockFile> m_lock;
    int m_current = 0;
    QDateTime m_since; // the clock when the time used was last brought up to date
};

// "12:05": minutes, then seconds; minutes beyond 59 stay minutes.
QString clockText(qint64 seconds);

} // namespace qcm
