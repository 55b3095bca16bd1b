#include "MistakesList.h"

#include <QHash>

#include <algorithm>

namespace qcm {

namespace {

constexpr int kFullMarks = 6;

} // namespace

QList<Mistake> mistakeList(QList<AnsweredQuestion> answers)
{
    std::stable_sort(answers.begin(), answers.end(),
        [](const AnsweredQuestion &a, const AnsweredQuestion &b) { return a.at < b.at; });
    struct Track {
        Mistake mistake;
        bool listed = false;
    };
    QHash<QPair<QString, qint64>, Track> tracks;
    for (const AnsweredQuestion &a : std::as_const(answers)) {
        Track &t = tracks[{a.domainCode, a.numero}];
        if (a.score < kFullMarks) {
            t.mistake = {a.domainCode, a.numero, t.mistake.misses + 1, 0};
            t.listed = true;
        } else if (t.listed && ++t.mistake.rightInARow >= kRightToLeave) {
            t.listed = false;
        }
    }
    QList<Mistake> list;
    for (const Track &t : std::as_const(tracks))
        if (t.listed)
            list.append(t.mistake);
    std::sort(list.begin(), list.end(), [](const Mistake &a, const Mistake &b) {
        return a.domainCode != b.domainCode ? a.domainCode < b.domainCode : a.numero < b.numero;
    });
    return list;
}

} // namespace qcm
