#include "Marking.h"

#include <QHash>

#include <algorithm>
#include <cmath>

namespace qcm {

qint64 tickedPoints(const ExamQuestion &question)
{
    qint64 sum = 0;
    for (int i = 0; i < kChoiceCount; ++i)
        if (question.ticked(i) && question.hasChoice(i))
            sum += std::clamp<qint64>(question.val[size_t(i)].value_or(0), -kPointsPerQuestion, kPointsPerQuestion);
    return sum;
}

int questionScore(const ExamQuestion &question, NegativePoints rule)
{
    const qint64 sum = std::min<qint64>(tickedPoints(question), kPointsPerQuestion);
    return int(rule == NegativePoints::FloorEachQuestion ? std::max<qint64>(sum, 0) : sum);
}

int paperMark(const QList<ExamQuestion> &questions, NegativePoints rule)
{
    qint64 total = 0;
    for (const ExamQuestion &q : questions)
        total += questionScore(q, rule);
    return int(std::max<qint64>(total, 0));
}

int passMarkFor(int maximum, int percent)
{
    // Whole numbers only: 75 % of 360 is exactly 270, never 269.99.
    return int((qint64(maximum) * std::clamp(percent, 0, 100) + 99) / 100);
}

QList<DomainResult> domainBreakdown(const QList<ExamQuestion> &questions, NegativePoints rule)
{
    QList<DomainResult> domains;
    QHash<QString, qsizetype> position;
    for (const ExamQuestion &q : questions) {
        const QString key = q.domainCode.toCaseFolded();
        auto it = position.find(key);
        if (it == position.end()) {
            it = position.insert(key, domains.size());
            domains.append({q.domainCode, q.domainName, 0, 0, 0});
        }
        DomainResult &d = domains[*it];
        ++d.questions;
        d.points += questionScore(q, rule);
        d.maximum += kPointsPerQuestion;
    }
    std::stable_sort(domains.begin(), domains.end(),
        [](const DomainResult &a, const DomainResult &b) { return a.ratio() < b.ratio(); });
    return domains;
}

} // namespace qcm
