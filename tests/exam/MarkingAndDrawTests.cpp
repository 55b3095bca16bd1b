#include "exam/BalancedDraw.h"
#include "exam/Marking.h"

#include <QHash>
#include <QSet>

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace qcm;
using namespace Qt::StringLiterals;

namespace {

ExamQuestion question(std::initializer_list<int> points, const QString &ticked, const QString &domain = u"1"_s)
{
    ExamQuestion q;
    q.domainCode = domain;
    int i = 0;
    for (int p : points) {
        q.lib[size_t(i)] = u"Réponse"_s;
        q.val[size_t(i)] = p;
        ++i;
    }
    for (QChar c : ticked)
        q.ticks |= quint8(1u << (c.unicode() - u'A'));
    return q;
}

struct ScoreCase {
    const char *what;
    std::initializer_list<int> points;
    const char *ticked;
    int floored; // a question never below 0
    int carried; // negative points carry
};

TEST(Marking, AQuestionScoresTheSumOfItsTickedChoicesUnderEachRule)
{
    const ScoreCase cases[] = {
        {"nothing ticked", {6, -2, 0}, "", 0, 0},
        {"the right choice", {6, -2, 0}, "A", 6, 6},
        {"right and wrong", {6, -2, 0}, "AB", 4, 4},
        {"only a wrong one", {6, -2, 0}, "B", 0, -2},
        {"six 1-point choices, all ticked", {1, 1, 1, 1, 1, 1}, "ABCDEF", 6, 6},
        {"six 1-point choices, four ticked", {1, 1, 1, 1, 1, 1}, "ACDF", 4, 4},
        {"a -6 choice", {6, -6}, "B", 0, -6},
        {"the -6 with the 6", {6, -6}, "AB", 0, 0},
        {"two halves and a zero", {3, 3, 0, -1}, "ABC", 6, 6},
        {"a tick on an absent choice counts nothing", {6, -2}, "E", 0, 0},
        {"a damaged value is held to 6", {99, 0}, "A", 6, 6},
        {"a damaged negative is held to -6", {6, -99}, "B", 0, -6},
    };
    for (const ScoreCase &c : cases) {
        const ExamQuestion q = question(c.points, QString::fromLatin1(c.ticked));
        EXPECT_EQ(questionScore(q, NegativePoints::FloorEachQuestion), c.floored) << c.what;
        EXPECT_EQ(questionScore(q, NegativePoints::CarryToTotal), c.carried) << c.what;
    }
}

TEST(Marking, APaperIsMarkedUnderItsRuleAndNeverBelowZero)
{
    const QList<ExamQuestion> paper{
        question({6, -2}, u"A"_s), question({6, -6}, u"B"_s), question({3, 3, -3}, u"AC"_s)};
    EXPECT_EQ(paperMark(paper, NegativePoints::FloorEachQuestion), 6 + 0 + 0);
    EXPECT_EQ(paperMark(paper, NegativePoints::CarryToTotal), 6 - 6 + 0);
    const QList<ExamQuestion> wrong{question({6, -6}, u"B"_s), question({6, -2}, u"B"_s)};
    EXPECT_EQ(paperMark(wrong, NegativePoints::CarryToTotal), 0) << "the total never goes below 0";
    EXPECT_EQ(paperMark({}, NegativePoints::FloorEachQuestion), 0);

    EXPECT_EQ(paperMaximum(60), 360);
    EXPECT_EQ(passMarkFor(360, 75), 270);
    EXPECT_EQ(passMarkFor(42, 75), 32) << "31.5 rounds up: a pass needs the whole percentage";
    EXPECT_EQ(passMarkFor(360, 0), 0);
    EXPECT_EQ(passMarkFor(360, 100), 360);
}

TEST(Marking, TheDomainsComeWeakestFirstWithTheirPointsAndMaximum)
{
    QList<ExamQuestion> paper{question({6, 0}, u"A"_s, u"1"_s), question({6, 0}, u"B"_s, u"1"_s),
        question({6, -3}, u"B"_s, u"2"_s), question({6, 0}, u"A"_s, u"3"_s), question({6, 0}, u"A"_s, u"3"_s)};
    paper[0].domainName = u"Météo"_s;
    const QList<DomainResult> floored = domainBreakdown(paper, NegativePoints::FloorEachQuestion);
    ASSERT_EQ(floored.size(), 3);
    EXPECT_EQ(floored[0].code, u"2"_s);
    EXPECT_EQ(floored[0].points, 0);
    EXPECT_EQ(floored[1].code, u"1"_s);
    EXPECT_EQ(floored[1].name, u"Météo"_s);
    EXPECT_EQ(floored[1].questions, 2);
    EXPECT_EQ(floored[1].points, 6);
    EXPECT_EQ(floored[1].maximum, 12);
    EXPECT_EQ(floored[2].code, u"3"_s);
    EXPECT_DOUBLE_EQ(floored[2].ratio(), 1.0);

    const QList<DomainResult> carried = domainBreakdown(paper, NegativePoints::CarryToTotal);
    EXPECT_EQ(carried[0].points, -3) << "a domain shows the points it lost";
}

// Ten domains of very different sizes, as a real bank has.
QStringList unevenBank(QList<int> *sizes)
{
    *sizes = {120, 7, 45, 33, 2, 61, 18, 9, 150, 25};
    QStringList domainOf;
    for (int d = 0; d < sizes->size(); ++d)
        for (int k = 0; k < sizes->at(d); ++k)
            domainOf.append(QString::number(d));
    return domainOf;
}

TEST(BalancedDraw, EachDomainGetsItsShareWithinOneQuestionAndSixtyDistinctQuestions)
{
    QList<int> sizes;
    const QStringList domainOf = unevenBank(&sizes);
    const int total = int(domainOf.size());
    std::mt19937_64 engine(7);
    auto rnd = [&engine] { return std::uniform_real_distribution<double>(0, 1)(engine); };
    for (int run = 0; run < 200; ++run) {
        const QList<int> picked = balancedDraw(domainOf, 60, rnd);
        ASSERT_EQ(picked.size(), 60);
        EXPECT_EQ(QSet<int>(picked.begin(), picked.end()).size(), 60) << "60 distinct questions";
        EXPECT_TRUE(std::is_sorted(picked.begin(), picked.end())) << "grouped by domain, in bank order";
        QHash<QString, int> got;
        for (int i : picked)
            ++got[domainOf.at(i)];
        for (int d = 0; d < sizes.size(); ++d) {
            const double ideal = 60.0 * sizes.at(d) / total;
            EXPECT_LE(std::abs(got.value(QString::number(d)) - ideal), 1.0) << "domain " << d;
        }
    }
}

TEST(BalancedDraw, EveryEligibleQuestionIsReachedOverManyDraws)
{
    QList<int> sizes;
    const QStringList domainOf = unevenBank(&sizes);
    std::mt19937_64 engine(11);
    auto rnd = [&engine] { return std::uniform_real_distribution<double>(0, 1)(engine); };
    QList<int> seen(domainOf.size(), 0);
    for (int run = 0; run < 2000; ++run)
        for (int i : balancedDraw(domainOf, 60, rnd))
            ++seen[i];
    // Each question comes 60 times in 470 draws, whatever the size of its
    // domain: the two questions of the smallest domain as well.
    const double expected = 2000.0 * 60 / double(domainOf.size());
    for (int i = 0; i < seen.size(); ++i)
        EXPECT_NEAR(seen.at(i) / expected, 1.0, 0.3)
            << "question " << i << " of domain " << domainOf.at(i).toStdString();
}

TEST(BalancedDraw, QuotasAreWholeSharesPlusSeatsDrawnByRemainder)
{
    EXPECT_EQ(domainQuotas({50, 30, 20}, 60, [] { return 0.5; }), (QList<int>{30, 18, 12})) << "exact shares";
    EXPECT_EQ(domainQuotas({7, 6}, 60, [] { return 0.5; }), (QList<int>{7, 6})) << "fewer than asked: all";
    // 60 * 70 / 130 = 32.3 and 27.7: 32 or 33, 27 or 28, in the long run the shares themselves.
    std::mt19937_64 engine(3);
    auto rnd = [&engine] { return std::uniform_real_distribution<double>(0, 1)(engine); };
    double first = 0;
    constexpr int kRuns = 4000;
    for (int run = 0; run < kRuns; ++run) {
        const QList<int> q = domainQuotas({70, 60}, 60, rnd);
        ASSERT_EQ(q[0] + q[1], 60);
        ASSERT_TRUE(q[0] == 32 || q[0] == 33) << q[0];
        first += q[0];
    }
    EXPECT_NEAR(first / kRuns, 60.0 * 70 / 130, 0.05);
    // A generator that returns its upper bound stays inside the pool.
    EXPECT_EQ(balancedDraw({u"1"_s, u"1"_s, u"2"_s}, 2, [] { return 1.0; }).size(), 2);
    EXPECT_EQ(balancedDraw({u"1"_s, u"1"_s, u"2"_s}, 60, rnd), (QList<int>{0, 1, 2}));
}

} // namespace
