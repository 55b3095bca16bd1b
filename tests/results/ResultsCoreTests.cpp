#include "ResultsFiller.h"

#include "results/CsvTable.h"
#include "results/ResultsMerge.h"
#include "results/ResultsReader.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace qcm::test {
namespace {

class ResultsFile : public ::testing::Test {
protected:
    QString path(const QString &name = ResultsStore::fileName()) const { return QDir(folder.path()).filePath(name); }
    std::unique_ptr<ResultsStore> open(const QString &name = ResultsStore::fileName())
    {
        ResultsOpening opening = ResultsStore::open(path(name), QDateTime(QDate(2026, 12, 6), QTime(9, 0)));
        EXPECT_TRUE(opening.store) << opening.error.description.toStdString();
        return std::move(opening.store);
    }
    static QDateTime day(int d) { return QDateTime(QDate(2026, 11, d), QTime(10, 0)); }

    QTemporaryDir folder;
};

// Five candidates sat the same ten questions once; their scores, by hand:
//        Q1 Q2 Q3 Q4 Q5 Q6 Q7 Q8 Q9 Q10  total
//   A     6  6  6  6  6  6  6  6  6  0    54
//   B     6  6  6  6  6  6  6  3  0  0    45
//   C     6  6  6  6  6  0  3  0  0  6    39
//   D     6  6  0  6  0  0  0  0  0  6    24
//   E     6  0  0  0  0  0  0  6  0  6    18
// A third of five is two: top A and B, bottom D and E.
class HandComputedClass : public ResultsFile {
protected:
    void SetUp() override
    {
        store = open();
        const QList<QList<int>> scores{{6, 6, 6, 6, 6, 6, 6, 6, 6, 0}, {6, 6, 6, 6, 6, 6, 6, 3, 0, 0},
            {6, 6, 6, 6, 6, 0, 3, 0, 0, 6}, {6, 6, 0, 6, 0, 0, 0, 0, 0, 6}, {6, 0, 0, 0, 0, 0, 0, 6, 0, 6}};
        for (int c = 0; c < 5; ++c) {
            FilledExam exam{QString(QChar(u'A' + c)), day(10 + c), {}};
            for (int q = 0; q < 10; ++q)
                exam.answers.append({q < 5 ? u"1"_s : u"2"_s, q + 1, scores[c][q]});
            ASSERT_TRUE(fillExam(*store, exam));
        }
        // Neither counts: one given up with every answer wrong, one still running.
        FilledExam dropped{u"A"_s, day(20), {}, ExamState::Abandoned};
        FilledExam running{u"B"_s, day(21), {}, ExamState::InProgress};
        for (int q = 0; q < 10; ++q) {
            dropped.answers.append({q < 5 ? u"1"_s : u"2"_s, q + 1, 0});
            running.answers.append({q < 5 ? u"1"_s : u"2"_s, q + 1, 0});
        }
        ASSERT_TRUE(fillExam(*store, dropped));
        ASSERT_TRUE(fillExam(*store, running));
    }
    std::unique_ptr<ResultsStore> store;
};

TEST_F(HandComputedClass, FacilityAndDiscriminationOfEachQuestion)
{
    const auto items = ResultsReader(store->connection()).items({});
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 10);
    struct Expected {
        double facility, discrimination;
        bool toCheck;
    };
    const Expected expected[]
        = {{1.00, 0.00, false}, {0.80, 0.50, false}, {0.60, 1.00, false}, {0.80, 0.50, false}, {0.60, 1.00, false},
            {0.40, 1.00, false}, {0.50, 1.00, false}, {0.50, 0.25, false}, {0.20, 0.50, true}, {0.60, -1.00, true}};
    for (int q = 0; q < 10; ++q) {
        SCOPED_TRACE(q + 1);
        const ItemLine &line = items->at(q); // by domain, then number
        EXPECT_EQ(line.numero, q + 1);
        EXPECT_EQ(line.sat, 5);
        EXPECT_NEAR(line.stats.facility, expected[q].facility, 0.005);
        EXPECT_NEAR(line.stats.discrimination, expected[q].discrimination, 0.005);
        EXPECT_EQ(line.stats.toCheck(), expected[q].toCheck);
    }
}

TEST_F(HandComputedClass, AnExamMarkedAfterTheFirstReadIsCountedByTheNextOne)
{
    ResultsReader reader(store->connection());
    ASSERT_EQ(reader.items({})->at(0).sat, 5);
    FilledExam late{u"F"_s, day(25), {{u"1"_s, 1, 0}}};
    ASSERT_TRUE(fillExam(*store, late));
    const auto items = reader.items({});
    ASSERT_TRUE(items);
    EXPECT_EQ(items->at(0).sat, 6);
    EXPECT_NEAR(items->at(0).stats.facility, 30.0 / 36.0, 1e-9);
    EXPECT_EQ(reader.classView({})->domains.at(1).answers, 26);
    // Gone from the file, gone from the views.
    execOn(store->path(),
        u"DELETE FROM exam_questions WHERE exam_id = (SELECT max(id) FROM exams); "
        "DELETE FROM exams WHERE id = (SELECT max(id) FROM exams)"_s);
    EXPECT_EQ(reader.items({})->at(0).sat, 5);
}

TEST_F(HandComputedClass, ClassAndCandidateViewsCountFinishedExamsOnly)
{
    ResultsReader reader(store->connection());
    const auto view = reader.classView({});
    ASSERT_TRUE(view);
    ASSERT_EQ(view->candidates.size(), 5);
    const ClassLine &a = view->candidates.at(0);
    EXPECT_EQ(a.candidate, u"A"_s);
    EXPECT_EQ(a.exams, 1);
    EXPECT_EQ(a.last->mark, 54);
    EXPECT_EQ(a.readiness, Readiness::TooFewExams);
    // Domain 2 (Q6 to Q10): 6+6+6+6+0 +6+6+3+0+0 +0+3+0+0+6 +0+0+0+0+6 +0+0+6+0+6 = 66 of 150.
    ASSERT_EQ(view->domains.size(), 2);
    EXPECT_EQ(view->domains.at(0).code, u"2"_s);
    EXPECT_EQ(view->domains.at(0).points, 66);
    EXPECT_EQ(view->domains.at(0).answers, 25);

    // The range keeps the exams of those days only.
    const auto cut = reader.classView({QDate(2026, 11, 12), QDate(2026, 11, 13)});
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->candidates.at(0).exams, 0);
    EXPECT_EQ(cut->candidates.at(2).exams, 1);

    const auto e = reader.candidate(u"E"_s);
    ASSERT_TRUE(e);
    ASSERT_EQ(e->exams.size(), 1);
    EXPECT_DOUBLE_EQ(e->exams.at(0).percent(), 30.0);
    EXPECT_FALSE(e->exams.at(0).passed());
    EXPECT_EQ(e->exams.at(0).questions, 10);
    EXPECT_EQ(e->missed.size(), 7); // all but Q1, Q8 and Q10
    const auto b = reader.candidate(u"B"_s);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->exams.size(), 2); // the running one is listed, not counted
    EXPECT_EQ(b->missed.size(), 3);
}

TEST(ResultsStatistics, ReadinessAndTrendFollowTheLastExams)
{
    auto exam = [](int mark) {
        ExamLine e;
        e.mark = mark;
        e.maximum = 100;
        e.passMark = 75;
        e.state = u"rendu"_s;
        return e;
    };
    EXPECT_EQ(readinessOf({exam(90), exam(80)}), Readiness::TooFewExams);
    EXPECT_EQ(readinessOf({exam(10), exam(75), exam(80), exam(90)}), Readiness::Ready);
    EXPECT_EQ(readinessOf({exam(90), exam(74), exam(80), exam(90)}), Readiness::NotReady);

    EXPECT_FALSE(trendOf({50}));
    EXPECT_NEAR(*trendOf({0, 50, 60, 70, 80, 90}), 10.0, 1e-9); // the first is past the last five
    EXPECT_NEAR(*trendOf({80, 60}), -20.0, 1e-9);
    EXPECT_EQ(trendWord(0.5), u"stable"_s);

    const ClassLine line = classLine(u"X"_s, {exam(60), exam(90), exam(80)});
    EXPECT_EQ(line.best->mark, 90);
    EXPECT_EQ(line.last->mark, 80);
}

// A CSV field reader as a spreadsheet reads the file: quoted fields, doubled quotes.
QList<QStringList> readCsv(const QByteArray &bytes)
{
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QString text = QString::fromUtf8(bytes.mid(3));
    QList<QStringList> rows{{}};
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"')
                field += c, ++i;
            else if (c == u'"')
                quoted = false;
            else
                field += c;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u';') {
            rows.last().append(field), field.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            rows.last().append(field), field.clear();
            rows.append(QStringList());
            ++i;
        } else {
            field += c;
        }
    }
    if (rows.last().isEmpty())
        rows.removeLast();
    return rows;
}

TEST_F(ResultsFile, CsvReadsBackWithAccentsSemicolonsQuotesAndLineBreaks)
{
    const QList<QStringList> rows{
        {u"Dupont; Éloïse"_s, u"72,5 %"_s, u"dit \"prête\""_s}, {u"Noël\r\nLefèvre"_s, u" espace"_s, QString()}};
    const QByteArray csv = csvDocument({u"Candidat"_s, u"Note"_s, u"Remarque"_s}, rows);
    const QString file = path(u"classe.csv"_s);
    QString error;
    ASSERT_TRUE(writeCsvFile(file, csv, &error)) << error.toStdString();
    const QList<QStringList> back = readCsv(fileBytes(file));
    ASSERT_EQ(back.size(), 3);
    EXPECT_EQ(back.at(0), (QStringList{u"Candidat"_s, u"Note"_s, u"Remarque"_s}));
    EXPECT_EQ(back.at(1), rows.at(0));
    EXPECT_EQ(back.at(2), rows.at(1));
    EXPECT_FALSE(writeCsvFile(path(u"absent/x.csv"_s), csv, &error));
    EXPECT_TRUE(error.contains(u"n'a pas pu être écrit"_s));
}

// Every row of a results file, as text.
QStringList resultsContent(const QString &file)
{
    return queryRows(file, u"SELECT * FROM candidates ORDER BY id"_s)
        + queryRows(file, u"SELECT * FROM exams ORDER BY id"_s)
        + queryRows(file, u"SELECT * FROM exam_questions ORDER BY exam_id, position"_s);
}

class Merge : public ResultsFile {
protected:
    void SetUp() override
    {
        ours = open();
        theirs = open(u"autre.sqlite"_s);
        ASSERT_TRUE(fillExam(*ours, {u"Élodie"_s, day(2), {{u"1"_s, 1, 6}, {u"1"_s, 2, 0}}}));
        ASSERT_TRUE(fillExam(*theirs, {u"elodie"_s, day(3), {{u"1"_s, 1, 6}, {u"1"_s, 2, 6}}}));
        ASSERT_TRUE(fillExam(*theirs, {u"Bastien"_s, day(4), {{u"2"_s, 7, 3}}}));
    }
    QString theirsPath() const { return path(u"autre.sqlite"_s); }

    std::unique_ptr<ResultsStore> ours, theirs;
};

TEST_F(Merge, MatchesAccentedNamesWhenConfirmedAndNeverDuplicatesAnExam)
{
    QStringList asked;
    auto yes = [&](const QString &other, const QString &mine) {
        asked << other + u'=' + mine;
        return SameCandidate::Yes;
    };
    const MergeOutcome first = mergeResults(ours->connection(), theirsPath(), yes);
    ASSERT_FALSE(first.error) << first.error.description.toStdString();
    EXPECT_EQ(asked, QStringList{u"elodie=Élodie"_s});
    EXPECT_EQ(first.candidatesMatched, 1);
    EXPECT_EQ(first.candidatesAdded, 1);
    EXPECT_EQ(first.examsAdded, 2);

    ResultsReader reader(ours->connection());
    const auto elodie = reader.candidate(u"Élodie"_s);
    ASSERT_TRUE(elodie);
    ASSERT_EQ(elodie->exams.size(), 2);
    EXPECT_EQ(elodie->exams.at(1).mark, 12);
    EXPECT_EQ(elodie->exams.at(1).questions, 2);
    // Every column of the questions came along.
    EXPECT_EQ(queryValue(path(),
                  u"SELECT statement || '|' || lib0 || '|' || val0 || '|' || ticks FROM exam_questions "
                  "q JOIN exams e ON e.id = q.exam_id JOIN candidates c ON c.id = e.candidate_id "
                  "WHERE c.name = 'Bastien'"_s),
        u"Question 2.7 : que faire ?|Bonne réponse|6|B"_s);

    const MergeOutcome again = mergeResults(ours->connection(), theirsPath(), yes);
    ASSERT_FALSE(again.error);
    EXPECT_EQ(again.examsAdded, 0);
    EXPECT_EQ(again.examsAlreadyThere, 2);
    EXPECT_EQ(*ours->examCount(), 3);
}

TEST_F(Merge, RefusedMatchAddsACandidateAndCancelWritesNothing)
{
    const MergeOutcome separate = mergeResults(
        ours->connection(), theirsPath(), [](const QString &, const QString &) { return SameCandidate::No; });
    ASSERT_FALSE(separate.error);
    EXPECT_EQ(separate.candidatesAdded, 2);
    EXPECT_EQ(*ResultsReader(ours->connection()).candidates(), (QStringList{u"Bastien"_s, u"elodie"_s, u"Élodie"_s}));

    QTemporaryDir other;
    ResultsOpening fresh = ResultsStore::open(QDir(other.path()).filePath(u"r.sqlite"_s), day(1));
    ASSERT_TRUE(fresh.store);
    ASSERT_TRUE(fillExam(*fresh.store, {u"Élodie"_s, day(9), {{u"1"_s, 1, 6}}}));
    const QStringList filled = resultsContent(fresh.store->path());
    const MergeOutcome cancelled = mergeResults(fresh.store->connection(), theirsPath(),
        [](const QString &, const QString &) { return SameCandidate::Cancel; });
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(resultsContent(fresh.store->path()), filled);
}

TEST_F(Merge, AFailedWriteLeavesBothFilesAsTheyWere)
{
    // The second question copied fails, as a full disk would make it.
    execOn(path(),
        u"CREATE TRIGGER full BEFORE INSERT ON exam_questions WHEN NEW.position = 1 "
        "BEGIN SELECT RAISE(ABORT, 'disque plein'); END"_s);
    theirs.reset();
    const QStringList oursBefore = resultsContent(path());
    const QByteArray theirsBefore = fileBytes(theirsPath());
    const MergeOutcome out = mergeResults(
        ours->connection(), theirsPath(), [](const QString &, const QString &) { return SameCandidate::Yes; });
    ASSERT_TRUE(out.error);
    EXPECT_TRUE(out.error.description.startsWith(u"Rien n'a été importé"_s)) << out.error.description.toStdString();
    EXPECT_EQ(resultsContent(path()), oursBefore);
    EXPECT_EQ(fileBytes(theirsPath()), theirsBefore);
}

TEST_F(Merge, RefusesItselfAndFilesThatAreNotResults)
{
    EXPECT_TRUE(mergeResults(ours->connection(), path(), {}).error.description.contains(u"lui-même"_s));
    const QString bank = makeSqliteFile(path(u"banque.sqlite"_s), u"CREATE TABLE t (x)"_s);
    EXPECT_TRUE(mergeResults(ours->connection(), bank, {}).error.description.contains(u"n'est pas un fichier"_s));
    EXPECT_TRUE(mergeResults(ours->connection(), path(u"absent.sqlite"_s), {}).error);
}

} // namespace
} // namespace qcm::test
