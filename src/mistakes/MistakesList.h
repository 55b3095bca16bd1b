#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

namespace qcm {

// One answer of a candidate to a bank question: an exam's question or a
// check in the practice window.
struct AnsweredQuestion {
    QString domainCode;
    qint64 numero = 0;
    int score = 0; // out of 6
    QDateTime at;
};

// A question the candidate has still to get right.
struct Mistake {
    QString domainCode;
    qint64 numero = 0;
    int misses = 0; // answers below full marks, ever
    int rightInARow = 0; // full marks since the last miss

    bool operator==(const Mistake &) const = default;
};

// Full marks this many times in a row take a question off the list.
inline constexpr int kRightToLeave = 3;

// The questions answered below full marks and not answered with full marks
// three times in a row since, in the bank's order (domain code, number).
// The answers may come in any order: they are taken by time, equal times in
// the order given.
QList<Mistake> mistakeList(QList<AnsweredQuestion> answers);

} // namespace qcm
