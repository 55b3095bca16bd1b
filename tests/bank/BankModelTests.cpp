#include "bank/BankModel.h"
#include "database/DataBinding.h"
#include "database/Sqlite.h"
#include "state/QCMBas.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qcm;
using namespace qcm::test;

namespace {

// "code.numero" of each question, in the order read.
QStringList keysOf(const QList<Question> &questions)
{
    QStringList keys;
    for (const Question &q : questions)
        keys << q.code + u'.' + QString::number(q.numero);
    return keys;
}

// Each test on a bank of its own: domains 1 to 3, their questions stored out
// of order.
class BankModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = makeBank(dir, u"banque.mdb"_s,
            {{{u"1"_s, u"Météo"_s}, {u"2"_s, u"Pilotage"_s}, {u"3"_s, u"Matériel"_s}},
                {makeQuestion(u"3"_s, 2, u"Secours"_s, {6, 0}), makeQuestion(u"1"_s, 10, u"Dix"_s, {3, 3}),
                    makeQuestion(u"1"_s, 2, u"Deux"_s, {6, -1, 0}), makeQuestion(u"2"_s, 1, u"Virage"_s, {6})}});
        open();
    }
    void open()
    {
        StoreError error;
        connection = Connection::open(path, &error);
        ASSERT_TRUE(connection) << error.description.toStdString();
    }
    // The file's bytes, read with the connection closed.
    QByteArray bytesClosed()
    {
        connection.reset();
        const QByteArray bytes = fileBytes(path);
        open();
        return bytes;
    }
    BankModel bank() const { return BankModel(connection); }

    QTemporaryDir dir;
    QString path;
    std::shared_ptr<Connection> connection;
};

TEST_F(BankModelTest, ReadsTheBankInCodeThenNumberOrderWithoutMovingAnyBinding)
{
    DataBinding que;
    que.setConnection(connection);
    que.setRecordSource(Queries::domainInOrder(u"1"_s));
    ASSERT_TRUE(que.refresh());
    que.moveNext();

    EXPECT_EQ(keysOf(*bank().questions()), (QStringList{u"1.2"_s, u"1.10"_s, u"2.1"_s, u"3.2"_s}));
    EXPECT_EQ(keysOf(*bank().domainQuestions(u"1"_s)), (QStringList{u"1.2"_s, u"1.10"_s}));
    EXPECT_TRUE(bank().domainQuestions(u"4"_s)->isEmpty());
    EXPECT_EQ(*bank().questionCount(u"1"_s), 2);
    const QList<Domain> domains = *bank().domains();
    ASSERT_EQ(domains.size(), 3);
    EXPECT_EQ(domains[1].libelle, u"Pilotage"_s);

    const Question q = *bank().question(u"1"_s, 2);
    EXPECT_EQ(q.libelle, u"Deux"_s);
    EXPECT_EQ(q.lib[1], u"Réponse B"_s);
    EXPECT_EQ(q.val[1], -1);
    EXPECT_EQ(q.flags, (std::array<int, 6>{1, 0, 0, 0, 0, 0}));
    StoreError error;
    EXPECT_FALSE(bank().question(u"1"_s, 3, &error));
    EXPECT_FALSE(error) << "an absent question is no error";
    EXPECT_TRUE(bank().questionWithStatement(u"1"_s, 2, u"Deux"_s));
    EXPECT_FALSE(bank().questionWithStatement(u"1"_s, 2, u"Autre"_s));

    // The binding is where it was, and its own row is read whole.
    EXPECT_EQ(que.position(), 1);
    EXPECT_EQ(que.recordSource(), Queries::domainInOrder(u"1"_s));
    EXPECT_EQ(bank().currentQuestion(que)->numero, 10);
    DataBinding domaines;
    domaines.setConnection(connection);
    domaines.setRecordSource("Domaines");
    ASSERT_TRUE(domaines.refresh());
    EXPECT_FALSE(bank().currentQuestion(domaines)) << "a row of another table is no question";
}

TEST_F(BankModelTest, NullStaysApartFromEmptyAndOddPointsAreKeptAsStored)
{
    execOn(path,
        u"UPDATE Questions SET lib2 = '', Val2 = NULL, Val1 = 'trois', Val0 = 2.5, \"Libellé\" = NULL WHERE Code = '3';"
        "UPDATE Questions SET DeltaSolo = NULL, DeltaBi = -1 WHERE Code = '2'"_s);
    const Question q = *bank().question(u"3"_s, 2);
    EXPECT_TRUE(q.libelle.isEmpty());
    EXPECT_FALSE(q.hasChoice(2));
    EXPECT_FALSE(q.lib[2].isNull()) << "an empty text";
    EXPECT_FALSE(q.hasChoice(3));
    EXPECT_TRUE(q.lib[3].isNull()) << "no text at all";
    EXPECT_EQ(q.val[2], std::nullopt);
    EXPECT_TRUE(q.storedVal(2).isNull());
    EXPECT_EQ(q.val[1], std::nullopt) << "a text is no number of points";
    EXPECT_EQ(q.storedVal(1), QVariant(u"trois"_s));
    EXPECT_EQ(q.storedVal(0), QVariant(2.5));
    const Question flags = *bank().question(u"2"_s, 1);
    EXPECT_EQ(flags.flags[3], 0) << "a Null flag reads as 0";
    EXPECT_EQ(flags.flags[4], 0) << "a flag holds a tick, 1, never the boolean -1";

    // Stored again as read, the file holds the same values: nothing is
    // turned into Null, into 0 or into an empty text.
    const QString stored = u"SELECT quote(\"Libellé\") || quote(lib2) || quote(lib3) || quote(Val0) || quote(Val1) "
                           "|| quote(Val2) FROM Questions WHERE Code = '3'"_s;
    EXPECT_EQ(queryValue(path, stored), u"NULL''NULL2.5'trois'NULL"_s);
    const QStringList before = databaseContent(path);
    EXPECT_FALSE(bank().saveQuestion(q));
    EXPECT_EQ(databaseContent(path), before);
    EXPECT_EQ(queryValue(path, stored), u"NULL''NULL2.5'trois'NULL"_s);
}

TEST(BankModelFile, FieldsAreFoundInAnyLetterCaseAndAMissingFlagReadsAsZero)
{
    QTemporaryDir dir;
    QString columns = u"CODE TEXT, numero INTEGER, \"LIBELLÉ\" TEXT"_s;
    for (int i = 0; i < 6; ++i)
        columns += u", LIB%1 TEXT, vAL%1 INTEGER"_s.arg(i);
    // An older bank: no DeltaBiHandi.
    columns += u", parapentesolo INTEGER, PARAPENTEBI INTEGER, ParapenteBiHandi INTEGER, deltasolo INTEGER, "
               "DeltaBi INTEGER"_s;
    const QString path = makeSqliteFile(dir.filePath(u"ancienne.mdb"_s),
        u"CREATE TABLE questions (%1); INSERT INTO questions (CODE, numero, \"LIBELLÉ\", LIB0, vAL0, deltasolo) "
        "VALUES ('1', 1, 'Énoncé', 'Oui', 6, 1);"_s.arg(columns));
    BankModel bank(Connection::open(path, nullptr));

    Question q = *bank.question(u"1"_s, 1);
    EXPECT_EQ(q.libelle, u"Énoncé"_s);
    EXPECT_EQ(q.lib[0], u"Oui"_s);
    EXPECT_EQ(q.val[0], 6);
    EXPECT_EQ(q.flags, (std::array<int, 6>{0, 0, 0, 1, 0, 0}));
    EXPECT_EQ(bank.hasSpecialityFlags(), false);

    // Written back into the columns the file has; the missing flag is left out.
    q.libelle = u"Corrigé"_s;
    q.flags[5] = 1;
    EXPECT_FALSE(bank.saveQuestion(q));
    EXPECT_EQ(queryValue(path, u"SELECT \"LIBELLÉ\" || vAL0 FROM questions"_s), u"Corrigé6"_s);

    // A field the bank needs is told by its name.
    execOn(path, u"ALTER TABLE questions DROP COLUMN vAL3"_s);
    StoreError error;
    EXPECT_FALSE(BankModel(Connection::open(path, nullptr)).questions(&error));
    EXPECT_EQ(error.kind, StoreErrorKind::FieldNotFound);
    EXPECT_EQ(error.field, u"Val3"_s);
}

TEST_F(BankModelTest, ABatchKeepsOrReplacesWhatIsStoredAndCountsWhatItDid)
{
    Question changed = makeQuestion(u"1"_s, 2, u"Deux, corrigée"_s, {6});
    const Question added = makeQuestion(u"4"_s, 1, u"Nouvelle"_s, {6});
    const QList<Domain> domains{{u"1"_s, u"Autre nom"_s}, {u"4"_s, u"Réglementation"_s}};

    BankWriteSummary done;
    EXPECT_FALSE(bank().saveBatch(domains, {changed, added}, ExistingQuestions::Keep, &done));
    EXPECT_EQ(done.domainsAdded, 1);
    EXPECT_EQ(done.questionsAdded, 1);
    EXPECT_EQ(done.questionsKept, 1);
    EXPECT_EQ(done.questionsReplaced, 0);
    EXPECT_EQ(bank().question(u"1"_s, 2)->libelle, u"Deux"_s);
    EXPECT_EQ(bank().domains()->at(0).libelle, u"Météo"_s) << "an existing domain keeps its name";

    changed.lib[1] = u"Ajoutée"_s;
    changed.val[1] = 0;
    EXPECT_FALSE(bank().saveBatch(domains, {changed, added}, ExistingQuestions::Replace, &done));
    EXPECT_EQ(done.domainsAdded, 0);
    EXPECT_EQ(done.questionsAdded, 0);
    EXPECT_EQ(done.questionsReplaced, 2);
    const Question stored = *bank().question(u"1"_s, 2);
    EXPECT_EQ(stored.libelle, u"Deux, corrigée"_s);
    EXPECT_EQ(stored.lib[1], u"Ajoutée"_s);
    EXPECT_EQ(stored.val[2], std::nullopt) << "replaced whole, not merged";
    EXPECT_EQ(*bank().questionCount(u"4"_s), 1);

    bool removed = false;
    EXPECT_FALSE(bank().removeQuestion(u"4"_s, 1, &removed));
    EXPECT_TRUE(removed);
    EXPECT_FALSE(bank().removeQuestion(u"4"_s, 1, &removed));
    EXPECT_FALSE(removed);
}

// A write that fails half way (a trigger of the file refuses one row) is undone whole.
TEST_F(BankModelTest, AFailedWriteLeavesTheFileByteForByte)
{
    execOn(path,
        u"CREATE TRIGGER panne BEFORE INSERT ON Questions WHEN NEW.Numero = 3 BEGIN SELECT RAISE(ABORT, 'panne'); END;"
        "CREATE TRIGGER panne2 BEFORE INSERT ON \"Spécialité\" BEGIN SELECT RAISE(ABORT, 'panne'); END;"_s);
    open();
    const QByteArray bytes = bytesClosed();

    const StoreError error = bank().saveBatch({{u"5"_s, u"Nouveau"_s}},
        {makeQuestion(u"1"_s, 2, u"Remplacée"_s, {6}), makeQuestion(u"5"_s, 1, u"Ajoutée"_s, {6}),
            makeQuestion(u"5"_s, 3, u"Refusée"_s, {6})},
        ExistingQuestions::Replace);
    EXPECT_EQ(error.kind, StoreErrorKind::Constraint);
    EXPECT_EQ(error.description, u"panne"_s);

    StoredQuestionnaire q{u"Examen"_s, u"01/09/2026"_s, u"Brevet B de delta"_s, true, {}, {}};
    q.rows.append(QcmRow{u"Examen"_s, {}, u"1"_s, 2, u"Deux"_s, {}, {}, {}, {}});
    EXPECT_EQ(bank().saveQuestionnaire(q).kind, StoreErrorKind::Constraint);

    // A commit that cannot reach the file, another program reading it all
    // along, is told and undone.
    {
        SqliteDb reader;
        ASSERT_TRUE(reader.open(path, SqliteDb::Mode::ReadOnly));
        ASSERT_TRUE(reader.exec(u"BEGIN; SELECT count(*) FROM Questions"_s));
        EXPECT_EQ(bank().saveQuestion(makeQuestion(u"1"_s, 9, u"Neuf"_s, {6})).kind, StoreErrorKind::Locked);
    }
    EXPECT_FALSE(bank().question(u"1"_s, 9));

    // A file opened to be read only is read, and refuses every write.
    BankModel readOnly(Connection::openReadOnly(path, nullptr));
    EXPECT_EQ(readOnly.questions()->size(), 4);
    EXPECT_EQ(readOnly.saveQuestion(makeQuestion(u"1"_s, 9, u"Neuf"_s, {6})).kind, StoreErrorKind::ReadOnly);
    EXPECT_EQ(bytesClosed(), bytes);
}

TEST_F(BankModelTest, AQuestionnaireComesBackAsStoredWithItsTitle)
{
    StoredQuestionnaire exam{
        u"Examen \"blanc\" d'avril"_s, u"06/12/2026"_s, u"Brevet B de delta"_s, true, {0, 0, 0, 1, 0, 0}, {}};
    const QList<Question> questions = *bank().questions();
    for (const Question &b : questions) {
        QcmRow row{exam.name, exam.date, b.code, b.numero, b.libelle, b.lib, b.val, exam.speciality, exam.boxes};
        exam.rows.append(row);
    }
    exam.rows[0].lib[1].clear(); // a Null choice comes back Null
    ASSERT_FALSE(bank().saveQuestionnaire(exam));
    EXPECT_EQ(queryRows(path, u"SELECT * FROM \"Spécialité\""_s),
        QStringList{u"Examen \"blanc\" d'avril|Brevet B de delta"_s});

    const StoredQuestionnaire back = *bank().questionnaire(exam.name);
    EXPECT_EQ(back.date, exam.date);
    EXPECT_EQ(back.speciality, exam.speciality);
    EXPECT_TRUE(back.hasSpeciality);
    EXPECT_EQ(back.boxes, exam.boxes);
    ASSERT_EQ(back.rows.size(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(back.rows[i].code + back.rows[i].libelle, exam.rows[i].code + exam.rows[i].libelle);
        EXPECT_EQ(back.rows[i].lib, exam.rows[i].lib);
        EXPECT_EQ(back.rows[i].val, exam.rows[i].val);
    }
    EXPECT_TRUE(back.rows[0].lib[1].isNull());

    // Saved again without a title: its rows hold none, and neither does Spécialité.
    exam.hasSpeciality = false;
    exam.rows.resize(1);
    ASSERT_FALSE(bank().saveQuestionnaire(exam));
    EXPECT_EQ(queryValue(path, u"SELECT count(*) FROM \"Spécialité\""_s), u"0"_s);
    EXPECT_EQ(queryValue(path, u"SELECT count(*) FROM QCM WHERE \"Spécialité\" IS NULL"_s), u"1"_s);
    EXPECT_FALSE(bank().questionnaire(exam.name)->hasSpeciality);
    StoreError error;
    EXPECT_FALSE(bank().questionnaire(u"Absent"_s, &error));
    EXPECT_FALSE(error);
}

TEST_F(BankModelTest, QuestionnairesAreGroupedByNameAsTheFileComparesThem)
{
    // Rows of older files: names in two letter cases, a title only in
    // Spécialité, the date in the second row only, a row with no name.
    execOn(path,
        u"INSERT INTO QCM (NomQCM, DateMAJ, Code, Numero, \"Libellé\") VALUES "
        "('révision', '', '1', 2, 'Deux'), ('RÉVISION', '', '1', 10, 'Dix'), ('Révision', '02/02/2026', '2', 1, 'V'),"
        "('Examen', '01/01/2026', '3', 2, 'Secours'), ('examen', '01/01/2026', '1', 2, 'Deux'), "
        "(NULL, '01/01/2026', '1', 2, 'Deux');"
        "INSERT INTO \"Spécialité\" VALUES ('examen', 'Brevet B de parapente');"_s);

    const QList<StoredQuestionnaire> all = *bank().questionnaires();
    QStringList groups;
    for (const StoredQuestionnaire &q : all)
        groups << q.name + u':' + QString::number(q.rows.size()) + u':' + q.date + u':' + q.speciality;
    // The file folds ASCII letters only: "é" and "É" differ.
    EXPECT_EQ(groups,
        (QStringList{u"Examen:2:01/01/2026:Brevet B de parapente"_s, u"RÉVISION:1::"_s, u"révision:2:02/02/2026:"_s}));
    EXPECT_EQ(*bank().questionnaireNames(), (QStringList{u"Examen"_s, u"RÉVISION"_s, u"révision"_s}));
    EXPECT_EQ(bank().questionnaire(u"EXAMEN"_s)->rows.size(), 2);
}

TEST_F(BankModelTest, AWriteByAnotherProgramIsSeenAtTheNextRead)
{
    DataBinding que;
    que.setConnection(connection);
    que.setRecordSource(Queries::domainInOrder(u"1"_s));
    ASSERT_TRUE(que.refresh());
    EXPECT_EQ(que.recordCount(), 2);
    const DataVersion before = connection->version();

    execOn(path, u"INSERT INTO Questions (Code, Numero, \"Libellé\") VALUES ('1', 5, 'Cinq')"_s);
    EXPECT_NE(connection->version(), before);
    EXPECT_EQ(*bank().questionCount(u"1"_s), 3);
    ASSERT_TRUE(que.refresh());
    EXPECT_EQ(que.recordCount(), 3) << "the binding reads its rows again";
}

TEST(BankChanges, AreToldOnceATurnAfterACommitOrARollbackAndNeverForAReadOnly)
{
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    makeBank(dir, u"VAR-irururiza.zov"_s, {{{u"1"_s, u"Météo"_s}}, {makeQuestion(u"1"_s, 1, u"Un"_s, {6})}});
    QCMBas state(dialogs, dir.path());
    state.readSettings();
    ASSERT_TRUE(state.BindDatabase());
    QCoreApplication::processEvents();
    QSignalSpy changed(&state, &QCMBas::bankChanged);

    ASSERT_FALSE(state.bank().saveQuestion(makeQuestion(u"1"_s, 2, u"Deux"_s, {6})));
    ASSERT_FALSE(state.bank().removeQuestion(u"1"_s, 1));
    EXPECT_EQ(changed.count(), 0) << "told from the event loop, not from inside the write";
    QCoreApplication::processEvents();
    EXPECT_EQ(changed.count(), 1);

    state.bank().questions();
    state.datQue.refresh();
    QCoreApplication::processEvents();
    EXPECT_EQ(changed.count(), 1);

    {
        Transaction transaction(state.connection());
        ASSERT_FALSE(state.bank().saveQuestion(makeQuestion(u"1"_s, 3, u"Trois"_s, {6})));
        const DataVersion during = state.connection()->version();
        transaction.rollback();
        EXPECT_NE(state.connection()->version(), during) << "what was read meanwhile is stale";
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(changed.count(), 2);
    EXPECT_FALSE(state.bank().question(u"1"_s, 3));

    {
        Transaction nothingWritten(state.connection());
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(changed.count(), 2);
}

} // namespace
