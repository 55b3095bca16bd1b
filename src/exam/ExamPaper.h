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

// Whether a question counts for at least one ticked speciality.
bool eligible(const QuestionFlags &question, const std::array<int, kSpecialityCount> &boxes);
// How many questions of the bank do: the draw's pool.
qsizetype eligibleCount(const QList<QuestionFlags> &bank, const std::array<int, kSpecialityCount> &boxes);

// n questions drawn among those of the ticked specialities, balanced by
// domain, their content copied from the bank. flags: every question's place
// and flags, in bank order. rnd gives numbers in [0, 1).
Paper drawPaper(const BankModel &bank, const QList<QuestionFlags> &flags,
    const std::array<int, kSpecialityCount> &boxes, int n, const std::function<double()> &rnd);

// A stored questionnaire as it was composed, in its order.
Paper questionnairePaper(const BankModel &bank, const QString &name);

// The questions of a finished exam that scored below full marks, unanswered
// again, for a retake.
Paper retakePaper(const ExamRecord &done);

// What "Tirage de 60 questions" or a retake is called on the results.
QString drawName(int n, const std::array<int, kSpecialityCount> &boxes);

} // namespace qcm
