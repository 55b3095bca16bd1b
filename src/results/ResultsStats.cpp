#include "ResultsStats.h"

#include "exam/ExamRecords.h"
#include "exam/ResultsStore.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace qcm {

bool ExamLine::counts() const
{
    return mark && state != stateWord(ExamState::InProgress) && state != stateWord(ExamState::Abandoned);
}

double ExamLine::percent() const
{
    return mark && maximum > 0 ? 100.0 * *mark / maximum : 0.0;
}

double DomainRate::rate() const
{
    return answers > 0 ? double(points) / double(answers * kPointsPerQuestion) : 0.0;
}

Readiness readinessOf(const QList<ExamLine> &countedOldestFirst)
{
    if (countedOldestFirst.size() < kReadinessExams)
        return Readiness::TooFewExams;
    for (auto it = countedOldestFirst.end() - kReadinessExams; it != countedOldestFirst.end(); ++it)
        if (!it->passed())
            return Readiness::NotReady;
    return Readiness::Ready;
}

QString readinessWord(Readiness r)
{
    switch (r) {
    case Readiness::Ready:
        return QStringLiteral("prêt");
    case Readiness::NotReady:
        return QStringLiteral("pas prêt");
    case Readiness::TooFewExams:
        break;
    }
    return QStringLiteral("moins de 3 examens");
}

std::optional<double> trendOf(const QList<double> &percentsOldestFirst)
{
    const qsizetype n = std::min<qsizetype>(percentsOldestFirst.size(), kTrendExams);
    if (n < 2)
        return std::nullopt;
    const auto first = percentsOldestFirst.end() - n;
    double meanX = (n - 1) / 2.0, meanY = 0;
    for (auto it = first; it != percentsOldestFirst.end(); ++it)
        meanY += *it;
    meanY /= double(n);
    double sxy = 0, sxx = 0;
    for (qsizetype i = 0; i < n; ++i) {
        sxy += (double(i) - meanX) * (*(first + i) - meanY);
        sxx += (double(i) - meanX) * (double(i) - meanX);
    }
    return sxy / sxx;
}

QString trendWord(const std::optional<double> &trend)
{
    if (!trend)
        return QStringLiteral("—");
    // Under a point per exam the marks only wobble.
    const QString points = QLocale(QLocale::French).toString(std::abs(*trend), 'f', 1);
    if (*trend >= 1)
        return QStringLiteral("en hausse (+%1)").arg(points);
    if (*trend <= -1)
        return QStringLiteral("en baisse (−%1)").arg(points);
    return QStringLiteral("stable");
}

ItemStats itemStats(std::vector<Sitting> sittings)
{
    ItemStats s;
    const size_t n = sittings.size();
    if (n == 0)
        return s;
    double total = 0;
    for (const Sitting &x : sittings)
        total += x.score;
    s.facility = total / double(n * kPointsPerQuestion);
    const size_t third = std::max<size_t>(1, size_t(std::lround(double(n) / 3.0)));
    if (2 * third > n)
        return s;
    // Callers usually hand them in already ranked. Equal percents keep the
    // order they came in, so that a tie always falls the same way.
    auto better = [](const Sitting &x, const Sitting &y) { return x.examPercent > y.examPercent; };
    if (!std::is_sorted(sittings.begin(), sittings.end(), better))
        std::stable_sort(sittings.begin(), sittings.end(), better);
    double top = 0, bottom = 0;
    for (size_t i = 0; i < third; ++i) {
        top += sittings[i].score;
        bottom += sittings[n - 1 - i].score;
    }
    s.discrimination = (top - bottom) / double(third * kPointsPerQuestion);
    return s;
}

ClassLine classLine(const QString &candidate, const QList<ExamLine> &countedOldestFirst)
{
    ClassLine line;
    line.candidate = candidate;
    line.exams = int(countedOldestFirst.size());
    if (countedOldestFirst.isEmpty())
        return line;
    line.last = countedOldestFirst.last();
    QList<double> percents;
    percents.reserve(countedOldestFirst.size());
    for (const ExamLine &e : countedOldestFirst) {
        percents.append(e.percent());
        if (!line.best || e.percent() > line.best->percent())
            line.best = e;
    }
    line.trend = trendOf(percents);
    line.readiness = readinessOf(countedOldestFirst);
    return line;
}

QString referenceKey(const QString &code, qint64 numero)
{
    bool number = false;
    code.toLongLong(&number);
    const QString domain = number ? code.rightJustified(12, u'0') : code;
    return domain + u'/' + QStringLiteral("%1").arg(numero, 12, 10, QLatin1Char('0'));
}

QString percentText(double percent)
{
    return QLocale(QLocale::French).toString(percent, 'f', 1) + QStringLiteral("\u202F%");
}

} // namespace qcm
