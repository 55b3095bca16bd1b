#pragma once

#include "database/Records.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace qcm {

// How negative points count: a question never below 0 (the federation's
// rule), or carried into the total, which itself never goes below 0.
enum class NegativePoints { FloorEachQuestion, CarryToTotal };

// Where the questions of a paper come from.
enum class PaperKind { Questionnaire, Draw, Retake };

// An exam's life: stored as the French words the results file holds.
// A copy sat on a printed answer grid and typed in afterwards is finished
// when it is stored.
enum class ExamState { InProgress, HandedIn, TimeUp, Abandoned, PaperCopy };

inline constexpr int kPointsPerQuestion = 6;

// What the set-up box asks for, remembered from one exam to the next.
struct ExamSettings {
    PaperKind paper = PaperKind::Draw;
    QString questionnaire; // for PaperKind::Questionnaire
    int questionCount = 60; // for a draw
    std::array<int, kSpecialityCount> specialities{1, 0, 0, 0, 0, 0}; // the boxes ticked for a draw
    int durationMinutes = 60; // 0: no limit
    int passPercent = 75;
    NegativePoints negative = NegativePoints::FloorEachQuestion;
};

// A question as the exam copied it when it started, with the candidate's
// answer. Later changes to the bank never reach it.
struct ExamQuestion {
    QString domainCode;
    QString domainName;
    qint64 numero = 0;
    QString statement;
    std::array<QString, kChoiceCount> lib; // empty: the choice does not exist
    std::array<std::optional<qint64>, kChoiceCount> val;
    quint8 ticks = 0; // bit i: choice i ticked
    bool flagged = false;

    bool hasChoice(int i) const { return !lib[size_t(i)].isEmpty(); }
    bool ticked(int i) const { return (ticks >> i) & 1; }
    bool answered() const { return ticks != 0; }
};

// One exam of the results file.
struct ExamRecord {
    qint64 id = 0;
    QString uuid; // made at the start: the exam's identity on every computer
    QString candidate;
    QString bankPath;
    PaperKind paperKind = PaperKind::Draw;
    QString paperName; // the questionnaire's name, or what the draw or retake was
    std::array<int, kSpecialityCount> specialities{}; // for a draw
    std::optional<qint64> durationSeconds; // none: no time limit
    int passMark = 0;
    int maximum = 0;
    NegativePoints negative = NegativePoints::FloorEachQuestion;
    QDateTime started;
    std::optional<QDateTime> ended;
    qint64 secondsUsed = 0;
    ExamState state = ExamState::InProgress;
    std::optional<int> mark;
    QString retakeOf; // the uuid of the exam whose missed questions this one retakes
    QList<ExamQuestion> questions;

    std::optional<qint64> secondsLeft() const
    {
        if (!durationSeconds)
            return std::nullopt;
        return std::max<qint64>(0, *durationSeconds - secondsUsed);
    }
};

// An exam left in progress, as the start-up question names it.
struct PendingExam {
    qint64 id = 0;
    QString uuid;
    QString candidate;
    std::optional<qint64> secondsLeft;
    QDateTime started;
};

} // namespace qcm
