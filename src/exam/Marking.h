#pragma once

#include "ExamRecords.h"

#include <QList>
#include <QString>

namespace qcm {

// The points of the ticked choices, each stored value kept to -6..6 so that
// a damaged bank cannot swamp a mark.
qint64 tickedPoints(const ExamQuestion &question);

// A question's score under the rule: never above 6; never below 0 when each
// question is floored.
int questionScore(const ExamQuestion &question, NegativePoints rule);

// The mark of a paper: the sum of the scores, never below 0.
int paperMark(const QList<ExamQuestion> &questions, NegativePoints rule);

inline int paperMaximum(qsizetype questionCount)
{
    return int(questionCount) * kPointsPerQuestion;
}

// The least mark that passes: the percentage of the maximum, rounded up.
int passMarkFor(int maximum, int percent);

// A question counts as missed when it scored less than full marks.
inline bool missed(const ExamQuestion &question, NegativePoints rule)
{
    return questionScore(question, rule) < kPointsPerQuestion;
}

// One line of the per-domain table.
struct DomainResult {
    QString code;
    QString name;
    int questions = 0;
    int points = 0; // may be negative when negative points carry
    int maximum = 0;

    double ratio() const { return maximum > 0 ? double(points) / double(maximum) : 0.0; }
};

// The domains of the paper, the weakest first; equal ratios keep the order
// in which the domains first appear on the paper.
QList<DomainResult> domainBreakdown(const QList<ExamQuestion> &questions, NegativePoints rule);

} // namespace qcm
