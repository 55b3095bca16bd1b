#include "ExamFixture.h"

#include "bank/BankModel.h"
#include "exam/Marking.h"
#include "support/SmallDisk.h"

#include <QFile>

using namespace qcm;
using namespace qcm::test;

namespace {

using ResultsFile = ExamFiles;

TEST_F(ResultsFile, EveryTickAndFlagIsInTheFileAtOnceWithTheTimeLeft)
{
    auto store = openResults();
    const BankModel bank(bankConnection());
    StoreError e;
    auto session = ExamSession::start(*store, drawStart(bank), clock(), &e);
    ASSERT_TRUE(session) << e.description.toStdString();
    const qint64 id = session->exam().id;
    EXPECT_EQ(queryValue(resultsPath(), u"SELECT count(*) FROM exam_questions WHERE exam_id = %1"_s.arg(id)), u"60"_s);
    EXPECT_EQ(queryValue(resultsPath(), u"SELECT state || '|' || time_left_s FROM exams"_s), u"en cours|3600"_s);

    dialogs.advance(125);
    session->go(3);
    ASSERT_FALSE(session->toggle(0));
    ASSERT_FALSE(session->toggle(2));
    ASSERT_FALSE(session->toggle(5)) << "an absent choice is no error";
    ASSERT_FALSE(session->setFlag(true));
    // Read from outside the program, as after a crash.
    EXPECT_EQ(queryValue(resultsPath(),
                  u"SELECT ticks || '|' || flagged || '|' || score FROM exam_questions "
                  "WHERE position = 3"_s),
        u"AC|1|6"_s);
    EXPECT_EQ(queryValue(resultsPath(), u"SELECT time_used_s || '|' || time_left_s FROM exams"_s), u"125|3475"_s);
    EXPECT_EQ(session->unansweredCount(), 59);
    EXPECT_EQ(session->flaggedCount(), 1);

    dialogs.advance(-600); // the clock set back gives no time back
    EXPECT_EQ(session->secondsLeft(), 3475);
    dialogs.advance(5);
    EXPECT_EQ(session->secondsLeft(), 3470);
}

TEST_F(ResultsFile, AnExamResumesWithItsQuestionsTicksAndTimeAndTheTimeAwayDoesNotCount)
{
    auto store = openResults();
    const BankModel bank(bankConnection());
    auto first = ExamSession::start(*store, drawStart(bank), clock(), nullptr);
    ASSERT_TRUE(first);
    const ExamRecord started = first->exam();
    dialogs.advance(600);
    first->go(1);
    first->toggle(1);
    EXPECT_FALSE(ExamSession::resume(*store, started.id, clock(), nullptr)) << "one program sits an exam at a time";
    first.reset(); // a crash: nothing more is written

    dialogs.advance(3 * 3600);
    const auto pending = store->pendingExams();
    ASSERT_TRUE(pending && pending->size() == 1);
    EXPECT_EQ(pending->first().candidate, u"Camille"_s);
    EXPECT_EQ(pending->first().secondsLeft, 3000);
    auto again = ExamSession::resume(*store, started.id, clock(), nullptr);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->secondsLeft(), 3000);
    EXPECT_EQ(again->current(), 0) << "back at the first question without an answer";
    ASSERT_EQ(again->count(), 60);
    for (int p = 0; p < 60; ++p) {
        EXPECT_EQ(again->question(p).statement, started.questions.at(p).statement);
        EXPECT_EQ(again->question(p).ticks, p == 1 ? 0b10 : 0) << p;
    }
    EXPECT_EQ(store->examCount(), 1);
}

TEST_F(ResultsFile, TheBankEditedAfterTheStartChangesNeitherTheQuestionsNorTheMark)
{
    auto store = openResults();
    auto connection = bankConnection();
    BankModel bank(connection);
    auto session = ExamSession::start(*store, drawStart(bank, 80), clock(), nullptr);
    ASSERT_TRUE(session);
    for (int p = 0; p < session->count(); ++p) {
        session->go(p);
        session->toggle(0);
    }
    // The instructor rewrites every question: another statement, the points swapped.
    QList<Question> questions = *bank.questions();
    for (Question &q : questions) {
        q.libelle = u"Nouvel énoncé"_s;
        std::swap(q.val[0], q.val[1]);
    }
    ASSERT_FALSE(bank.saveBatch({}, questions, ExistingQuestions::Replace));
    ASSERT_FALSE(session->handIn(ExamState::HandedIn));
    EXPECT_EQ(session->exam().mark, 480);
    const auto stored = store->exam(session->exam().id);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->mark, 480);
    EXPECT_EQ(stored->state, ExamState::HandedIn);
    EXPECT_EQ(paperMark(stored->questions, stored->negative), 480);
    EXPECT_EQ(stored->questions.first().statement, u"Question 1.1 ?"_s);
}

TEST_F(ResultsFile, AFileThatCannotBeReadIsSetAsideWholeAndANewOneStarted)
{
    const QByteArray garbage = QByteArray("Ceci n'est pas une base. ").repeated(200);
    writeFile(resultsPath(), garbage);
    ResultsOpening opening = ResultsStore::open(resultsPath(), dialogs.now());
    ASSERT_TRUE(opening.store) << opening.error.description.toStdString();
    const QString aside
        = QDir(folder.path()).filePath(u"Résultats (illisible, mis de côté le 06-12-2026 à 09h00).sqlite"_s);
    EXPECT_EQ(opening.setAsidePath, aside);
    EXPECT_EQ(opening.setAsideReason, u"ce n'est pas une base de données"_s);
    EXPECT_EQ(fileBytes(aside), garbage);
    EXPECT_EQ(opening.store->candidates(), QStringList());
    opening.store.reset();

    // Another program's SQLite file is not a results file either; the first one set aside stays.
    QFile::remove(resultsPath());
    makeSqliteFile(resultsPath(), u"CREATE TABLE notes (x); INSERT INTO notes VALUES (1);"_s);
    opening = ResultsStore::open(resultsPath(), dialogs.now());
    ASSERT_TRUE(opening.store);
    EXPECT_EQ(opening.setAsidePath,
        QDir(folder.path()).filePath(u"Résultats (illisible, mis de côté le 06-12-2026 à 09h00 n° 2).sqlite"_s));
    EXPECT_EQ(fileBytes(aside), garbage);
    EXPECT_EQ(queryValue(opening.setAsidePath, u"SELECT x FROM notes"_s), u"1"_s);
}

TEST_F(ResultsFile, ALockedFileOrOneFromANewerProgramIsRefusedAndLeftAlone)
{
    openResults().reset();
    execOn(resultsPath(), u"PRAGMA user_version = %1"_s.arg(ResultsStore::kSchemaVersion + 1));
    const QByteArray newer = fileBytes(resultsPath());
    ResultsOpening opening = ResultsStore::open(resultsPath(), dialogs.now());
    EXPECT_FALSE(opening.store);
    EXPECT_TRUE(opening.error.description.contains(u"version plus récente"_s));
    EXPECT_EQ(fileBytes(resultsPath()), newer);
    EXPECT_TRUE(opening.setAsidePath.isEmpty());

    execOn(resultsPath(), u"PRAGMA user_version = %1"_s.arg(ResultsStore::kSchemaVersion));
    SqliteDb other;
    ASSERT_TRUE(other.open(resultsPath(), SqliteDb::Mode::ReadWrite));
    // Another program that keeps the file to itself.
    ASSERT_TRUE(other.exec(u"PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE"_s));
    opening = ResultsStore::open(resultsPath(), dialogs.now());
    EXPECT_FALSE(opening.store);
    EXPECT_EQ(opening.error.kind, StoreErrorKind::Locked);
    other.close();
    EXPECT_EQ(QDir(folder.path()).entryList({u"Résultats*"_s}, QDir::Files), QStringList{ResultsStore::fileName()});
}

class FullResultsDisk : public SmallDisk { };

TEST_F(FullResultsDisk, AnExamDoesNotStartOnADiskWithoutRoomForItsAnswers)
{
    ScriptedDialogs dialogs;
    QString error;
    BankContent bank = examBank();
    ASSERT_TRUE(writeBank(onDisk(u"VAR-irururiza.zov"_s), bank, &error));
    ResultsOpening opening = ResultsStore::open(onDisk(ResultsStore::fileName()), dialogs.now());
    ASSERT_TRUE(opening.store);
    ASSERT_NO_FATAL_FAILURE(fillLeaving(64 * 1024));
    const QByteArray before = fileBytes(onDisk(ResultsStore::fileName()));

    StoreError e;
    auto connection = Connection::open(onDisk(u"VAR-irururiza.zov"_s), &e);
    const BankModel model(connection);
    ExamStart start;
    start.candidate = u"Camille"_s;
    start.questions = drawPaper(model, *model.questionFlags(), {1, 0, 0, 0, 0, 0}, 60, [&dialogs] {
        return dialogs.rnd();
    }).questions;
    EXPECT_FALSE(ExamSession::start(
        *opening.store, start, [&dialogs] { return dialogs.now(); }, &e));
    EXPECT_EQ(e.kind, StoreErrorKind::DiskFull);
    EXPECT_TRUE(e.description.contains(u"est presque plein (il reste 64 Kio libres)"_s)) << e.description.toStdString();
    EXPECT_EQ(fileBytes(onDisk(ResultsStore::fileName())), before);
    EXPECT_EQ(opening.store->examCount(), 0);
}

} // namespace
