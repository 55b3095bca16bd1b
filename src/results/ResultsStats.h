#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace qcm {

// An exam as the results views list it.
struct ExamLine {
    qint64 id = 0;
    QString uuid;
    QString candidate;
    QString paper;
    QDateTime started;
    qint64 secondsUsed = 0;
    QString state; // the word the file stores
    std::optional<int> mark;
    int maximum = 0;
    int passMark = 0;
    int questions = 0;

    // Marked and neither running nor given up: the exams the statistics count.
    bool counts() const;
    double percent() const; // of the maximum; 0 without a mark
    bool passed() const { return mark && *mark >= passMark; }
};

// The exams a view counts may be cut to these days; an invalid date leaves
// that end open.
struct DateRange {
    QDate from, to;
    bool contains(const QDate &day) const { return (!from.isValid() || day >= from) && (!to.isValid() || day <= to); }
};

// One domain's answers: its success rate is the share of the points it could give.
struct DomainRate {
    QString code;
    QString name;
    qint64 answers = 0;
    qint64 points = 0;
    double rate() const; // 0 to 1
};

struct MissedQuestion {
    QString code;
    qint64 numero = 0;
    QString statement;
    int sat = 0;
    int missed = 0; // scored below 6
};

// Ready when each of the last three counted exams reached its pass mark.
enum class Readiness { TooFewExams, Ready, NotReady };
inline constexpr int kReadinessExams = 3;
Readiness readinessOf(const QList<ExamLine> &countedOldestFirst);
QString readinessWord(Readiness r);

// The slope of the percent over the last five counted exams, in points per
// exam (least squares); nothing with fewer than two.
inline constexpr int kTrendExams = 5;
std::optional<double> trendOf(const QList<double> &percentsOldestFirst);
QString trendWord(const std::optional<double> &trend);

// One question's sittings: the percent of the exam it was part of, and the
// score it got there.
struct Sitting {
    double examPercent = 0;
    int score = 0;
};

// Item analysis. Facility: average score / 6. Discrimination: the sittings
// ranked by their exam's percent, the average score / 6 of the top third
// minus that of the bottom third (a third is n/3 rounded, at least one).
// A question sat fewer than kMinimumSittings times is not analysed.
inline constexpr int kMinimumSittings = 5;
inline constexpr double kLowFacility = 0.3;
struct ItemStats {
    double facility = 0;
    double discrimination = 0;
    bool toCheck() const { return facility < kLowFacility || discrimination < 0; }
};
ItemStats itemStats(std::vector<Sitting> sittings);

struct ClassLine {
    QString candidate;
    int exams = 0;
    std::optional<ExamLine> last;
    std::optional<ExamLine> best; // by percent
    std::optional<double> trend;
    Readiness readiness = Readiness::TooFewExams;
};
// The line of one candidate from the exams counted, oldest first.
ClassLine classLine(const QString &candidate, const QList<ExamLine> &countedOldestFirst);

QString percentText(double percent); // "72,5 %"
// Sorts references as people read them: domain 2 before domain 10.
QString referenceKey(const QString &code, qint64 numero);

} // namespace qcm
