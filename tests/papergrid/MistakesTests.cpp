#include "PaperGridFixture.h"

#include "exam/ExamPaper.h"
#include "exam/PracticeRecords.h"
#include "mistakes/MistakesList.h"
#include "papergrid/PaperGrid.h"

using namespace qcm;
using namespace qcm::test;

namespace {

AnsweredQuestion answer(qint64 numero, int score, int minute)
{
    return {u"1"_s, numero, score, QDateTime({2026, 12, 1}, QTime(9, minute))};
}

TEST(Mistakes, AQuestionEntersWhenMissedAndLeavesAfterThreeFullMarksInARow)
{
    EXPECT_TRUE(mistakeList({answer(1, 6, 0), answer(2, 6, 1)}).isEmpty()) << "never missed";

    QList<AnsweredQuestion> answers{answer(1, 4, 0), answer(1, 6, 1), answer(1, 6, 2)};
    EXPECT_EQ(mistakeList(answers), (QList<Mistake>{{u"1"_s, 1, 1, 2}}));
    answers.append(answer(1, 6, 3));
    EXPECT_TRUE(mistakeList(answers).isEmpty()) << "the third in a row takes it off";

    // A miss between the full marks starts the count again.
    const QList<AnsweredQuestion> broken{
        answer(1, 0, 0), answer(1, 6, 1), answer(1, 6, 2), answer(1, 5, 3), answer(1, 6, 4), answer(1, 6, 5)};
    EXPECT_EQ(mistakeList(broken), (QList<Mistake>{{u"1"_s, 1, 2, 2}}));

    // Taken by time, not in the order given; listed in the bank's order.
    const QList<AnsweredQuestion> shuffled{
        answer(9, 6, 30), answer(9, 6, 40), answer(3, 2, 5), answer(9, 0, 10), answer(9, 6, 20)};
    EXPECT_EQ(mistakeList(shuffled), (QList<Mistake>{{u"1"_s, 3, 1, 0}}));
    QList<AnsweredQuestion> two = shuffled;
    two.append({u"0"_s, 4, -3, QDateTime({2026, 12, 2}, {8, 0})});
    const QList<Mistake> listed = mistakeList(two);
    ASSERT_EQ(listed.size(), 2);
    EXPECT_EQ(listed[0].domainCode, u"0"_s);
}

using PracticeRecords = PaperGridFiles;

TEST_F(PracticeRecords, PaperCopiesAndPracticeChecksFeedTheCandidatesMistakes)
{
    auto store = openResults();
    ResultsPracticeLog log([&store](bool) { return store.get(); }, [this] { return bankPath; }, dialogs);
    EXPECT_TRUE(log.candidates().isEmpty());

    const BankModel bank(bankConnection());
    PaperGrid grid(questionnairePaper(bank, kPaper).questions);
    for (int row = 0; row < 5; ++row)
        grid.setRow(row, row < 3 ? u"A"_s : u"B"_s); // 1.4 and 1.5 missed
    ASSERT_FALSE(storePaperCopy(*store, grid, {u"Élodie"_s, bankPath, kPaper, dialogs.now(), 75, {}}, dialogs.now()));
    EXPECT_EQ(log.mistakes(u"ÉLODIE"_s), (QList<Mistake>{{u"1"_s, 4, 1, 0}, {u"1"_s, 5, 1, 0}}));
    EXPECT_TRUE(log.mistakes(u"Paul"_s)->isEmpty());

    const Question q4 = *bank.question(u"1"_s, 4);
    for (int i = 0; i < 3; ++i) {
        dialogs.advance(60);
        ASSERT_EQ(log.recordCheck(u"Élodie"_s, q4, 0b0001), 6); // A
    }
    dialogs.advance(60);
    ASSERT_EQ(log.recordCheck(u"Élodie"_s, *bank.question(u"1"_s, 5), 0b0011), 4); // A and B
    EXPECT_EQ(log.mistakes(u"Élodie"_s), (QList<Mistake>{{u"1"_s, 5, 2, 0}}));
    EXPECT_EQ(queryRows(resultsPath(), u"SELECT numero || '|' || ticks || '|' || score FROM practice_checks"_s),
        (QStringList{u"4|A|6"_s, u"4|A|6"_s, u"4|A|6"_s, u"5|AB|4"_s}));
    EXPECT_EQ(log.candidates(), QStringList{u"Élodie"_s});

    // An exam abandoned midway does not count.
    ExamRecord left = grid.record({u"Élodie"_s, bankPath, kPaper, dialogs.now(), 75, {}});
    left.state = ExamState::InProgress;
    ASSERT_FALSE(store->createExam(left, dialogs.now()));
    ASSERT_FALSE(store->abandon(left.id, dialogs.now()));
    EXPECT_EQ(log.mistakes(u"Élodie"_s)->size(), 1);
}

TEST(PracticeScore, TicksScoreAsInAnExamFlooredAtZero)
{
    Question q = makeQuestion(u"1"_s, 1, u"?"_s, {4, 2, -6, -1});
    EXPECT_EQ(practiceScore(q, 0b0011), 6);
    EXPECT_EQ(practiceScore(q, 0b1011), 5);
    EXPECT_EQ(practiceScore(q, 0b0100), 0);
    EXPECT_EQ(practiceScore(q, 0b110000), 0) << "absent choices count nothing";
}

class ResultsUpgrade : public PaperGridFiles {
protected:
    QStringList content()
    {
        QStringList rows;
        for (const QString &sql : {u"SELECT * FROM candidates"_s, u"SELECT * FROM exams"_s,
                 u"SELECT * FROM exam_questions ORDER BY exam_id, position"_s,
                 u"SELECT type, name, sql FROM sqlite_master ORDER BY name"_s})
            rows += queryRows(resultsPath(), sql);
        return rows;
    }
};

TEST_F(ResultsUpgrade, AFirstVersionFileGainsThePracticeTableAndKeepsItsExams)
{
    {
        auto store = openResults();
        const BankModel bank(bankConnection());
        PaperGrid grid(questionnairePaper(bank, kPaper).questions);
        ASSERT_FALSE(
            storePaperCopy(*store, grid, {u"Camille"_s, bankPath, kPaper, dialogs.now(), 75, {}}, dialogs.now()));
    }
    // As the first version of the program left it.
    execOn(resultsPath(), u"DROP TABLE practice_checks; DROP INDEX exam_questions_scores; PRAGMA user_version = 1;"_s);
    const QStringList before = content();

    auto store = openResults();
    ASSERT_TRUE(store);
    EXPECT_EQ(queryValue(resultsPath(), u"PRAGMA user_version"_s), u"2"_s);
    EXPECT_EQ(store->examCount(), 1);
    EXPECT_EQ(store->candidates(), QStringList{u"Camille"_s});
    ASSERT_FALSE(store->recordCheck({u"Camille"_s, bankPath, u"1"_s, 1, 1, 6}, dialogs.now()));
    store.reset();
    QStringList after = content();
    for (const QString &row : before)
        EXPECT_TRUE(after.contains(row)) << row.toStdString();
}

TEST_F(ResultsUpgrade, AnUpgradeThatFailsLeavesTheFileAsItWasAndSaysWhy)
{
    openResults().reset();
    // Something of that name already there stops the upgrade halfway.
    execOn(resultsPath(),
        u"DROP TABLE practice_checks; CREATE INDEX practice_checks_by_candidate ON exams (state); "
        "PRAGMA user_version = 1;"_s);
    const QStringList before = content();
    ResultsOpening opening = ResultsStore::open(resultsPath(), dialogs.now());
    EXPECT_FALSE(opening.store);
    EXPECT_TRUE(opening.setAsidePath.isEmpty()) << "a sound file is never set aside";
    EXPECT_TRUE(opening.error.description.contains(u"n'a pas pu être mis à jour"_s))
        << opening.error.description.toStdString();
    EXPECT_EQ(queryValue(resultsPath(), u"PRAGMA user_version"_s), u"1"_s);
    EXPECT_EQ(
        queryValue(resultsPath(), u"SELECT count(*) FROM sqlite_master WHERE name = 'practice_checks'"_s), u"0"_s);
    EXPECT_EQ(content(), before);
}

} // namespace
