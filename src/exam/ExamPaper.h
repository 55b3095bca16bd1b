#pragma once

#include "ExamRecords.h"

#include "bank/BankModel.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace qcm {

// The questions a paper is made of, or why it cannot be made (in French).
struct Paper {
    QList<ExamQuestion> questions;
    QString name; // what the results show as the paper
    QString refusal; // empty when the paper is made
};

// The questions of the bank that count for at least one ticked speciality,
// in bank order: the draw's pool. Reads the places and flags only.
QList<QuestionFlags> eligibleQuestions(
    const QList<QuestionFlags> &bank, const std::array<int, kSpecialityCount> &boxes);

// n questions drawn among the eligible ones, balanced by domain, their
// content copied from the bank. rnd gives numbers in [0, 1).
Paper drawPaper(const BankModel &bank, const QList<QuestionFlags> &eligible, int n, const std::function<double()> &rnd);

// A stored questionnaire as it was composed, in its order.
Paper questionnairePaper(const BankModel &bank, const QString &name);

// The questions of a finished exam that scored below full marks, unanswered
// again, for a retake.
Paper retakePaper(const ExamRecord &done);

// What "Tirage de 60 questions" or a retake is called on the results.
QString drawName(int n, const std::array<int, kSpecialityCount> &boxes);

} // namespace qcm
