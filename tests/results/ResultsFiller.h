#pragma once

#include "exam/ResultsStore.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace qcm::test {

// One question of a filled exam and the score it got.
struct FilledAnswer {
    QString code;
    qint64 numero = 0;
    int score = 0;
};

struct FilledExam {
    QString candidate;
    QDateTime started;
    QList<FilledAnswer> answers;
    ExamState state = ExamState::HandedIn; // InProgress and Abandoned leave no mark
    int passPercent = 75;
};

// Stores the exam through the results file's own writes, the way a real one
// is made; returns its id, 0 on failure.
qint64 fillExam(ResultsStore &store, const FilledExam &exam);

// A class of candidates × exams × questions drawn from a bank of `bank`
// questions in ten domains; every candidate's marks climb with some noise.
// Written in one transaction.
bool fillClass(ResultsStore &store, int candidates, int examsEach, int questionsEach, int bank, quint32 seed = 7);

} // namespace qcm::test
