#pragma once

#include "MistakesList.h"

#include "database/Records.h"

#include <QStringList>

#include <optional>

namespace qcm {

// A candidate's name as the results file keeps it: trimmed, at most this
// long, with no invisible character. The reason in French, empty when good.
inline constexpr int kCandidateNameMax = 80;
QString candidateRefusal(const QString &name);

// The first words of a statement, enough to find the question in a list or
// on a paper.
QString firstWords(const QString &statement, int words = 8);

// What the practice window keeps for a named candidate: each check of a
// question, and the questions still to get right. Whoever keeps the results
// file implements it; the user is told of every failure there.
class PracticeLog {
public:
    virtual ~PracticeLog() = default;

    // The names already used, the last used first; none when nothing is stored yet.
    virtual QStringList candidates() = 0;
    // Records one "Contrôle de la question": the score recorded, out of 6;
    // nothing when it could not be stored.
    virtual std::optional<int> recordCheck(const QString &candidate, const Question &question, quint8 ticks) = 0;
    // Nothing when they could not be read.
    virtual std::optional<QList<Mistake>> mistakes(const QString &candidate) = 0;
};

} // namespace qcm
