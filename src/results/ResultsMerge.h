#pragma once

#include "database/Connection.h"

#include <QString>

#include <functional>
#include <memory>

namespace qcm {

// A name of the other file that matches one of this file only once case and
// accents are set aside ("elodie" and "Élodie"): the same person or not.
enum class SameCandidate { Yes, No, Cancel };
using SameCandidateQuestion = std::function<SameCandidate(const QString &theirs, const QString &ours)>;

struct MergeOutcome {
    StoreError error; // French; nothing was written
    bool cancelled = false; // nothing was written either
    int candidatesAdded = 0;
    int candidatesMatched = 0;
    int examsAdded = 0;
    int examsAlreadyThere = 0;
};

// The key two spellings of a name share: accents dropped, case folded,
// blanks simplified.
QString nameKey(const QString &name);

// Copies into the results file every exam of another one that it lacks,
// exams known by their uuid, each with all its questions; candidates are
// matched by name, and asked about when only case or accents tell them
// apart. One transaction: on any failure this file is left as it was. The
// other file is opened read-only.
MergeOutcome mergeResults(
    const std::shared_ptr<Connection> &target, const QString &otherPath, const SameCandidateQuestion &ask);

} // namespace qcm
