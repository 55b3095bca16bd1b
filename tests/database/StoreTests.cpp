#include "database/DataBinding.h"
#include "support/Fixtures.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

using namespace qcm;
using namespace qcm::test;

namespace {

class Store : public ::testing::Test {
protected:
    void SetUp() override
    {
        BankContent bank;
        bank.domains = {{QStringLiteral("1"), QStringLiteral("Météo")}, {QStringLiteral("2"), QStringLiteral("Vide")},
            {QStringLiteral("3"), QStringLiteral("Matériel")}};
        bank.questions = {makeQuestion(QStringLiteral("3"), 2, QStringLiteral("Deuxième"), {6, 0}),
            makeQuestion(QStringLiteral("1"), 1, QStringLiteral("Première"), {3, 3, -2}),
            makeQuestion(QStringLiteral("3"), 1, QStringLiteral("Le « foehn » : l'air \"sec\" ?"), {6, -1}),
            makeQuestion(QStringLiteral("3"), 10, QStringLiteral("Dixième"), {2, 4})};
        bank.questions[1].lib[2].clear(); // a Null text beside points
        path = makeBank(dir, QStringLiteral("banque.mdb"), bank);
        que.setDatabaseName(path);
    }

    QStringList numeros(DataBinding &b)
    {
        QStringList list;
        for (b.moveFirst(); !b.eof(); b.moveNext())
            list.append(
                b.field(QStringLiteral("Code")).toString() + u'.' + b.field(QStringLiteral("numero")).toString());
        return list;
    }

    QTemporaryDir dir;
    QString path;
    DataBinding que{QStringLiteral("datQue")};
};

TEST_F(Store, EveryQuestionQueryShapeSelectsAndOrdersItsRows)
{
    const std::vector<std::pair<StoreQuery, QStringList>> cases{
        {Queries::allQuestions(), {"1.1", "3.1", "3.2", "3.10"}},
        {Queries::allQuestionsForComposer(), {"1.1", "3.1", "3.2", "3.10"}},
        {Queries::allQuestionsForCheck(), {"1.1", "3.1", "3.2", "3.10"}},
        {Queries::domainQuestions("3"), {"3.1", "3.2", "3.10"}},
        {Queries::domainQuestionsForNumbering("3"), {"3.1", "3.2", "3.10"}},
        {Queries::domainQuestionsForEditorClose("1"), {"1.1"}},
        {Queries::domainQuestionsForMarking("3"), {"3.2", "3.1", "3.10"}}, // table order
        {Queries::domainQuestionsForDeletion("1"), {"1.1"}},
        {StoreQuery("Select * from Questions where code = '3' order by code, numero"), {"3.1", "3.2", "3.10"}},
        {StoreQuery("select * from QUESTIONS where Code = \"1\""), {"1.1"}},
    };
    for (const auto &[query, expected] : cases) {
        que.setRecordSource(query);
        ASSERT_TRUE(que.refresh()) << query.text.toStdString() << ": " << que.lastError().toStdString();
        EXPECT_EQ(numeros(que), expected) << query.text.toStdString();
    }
}

TEST_F(Store, EmptyRecordsetIsAtBothEndsAndMovesFailQuietly)
{
    que.setRecordSource(Queries::domainQuestions("2"));
    ASSERT_TRUE(que.refresh());
    EXPECT_TRUE(que.eof());
    EXPECT_TRUE(que.bof());
    EXPECT_EQ(que.recordCount(), 0);
    EXPECT_FALSE(que.moveFirst());
    EXPECT_FALSE(que.moveNext());
    bool ok = true;
    EXPECT_TRUE(que.field(QStringLiteral("Libellé"), &ok).isNull());
    EXPECT_FALSE(ok);
}

TEST_F(Store, MovesFollowTheRecordset)
{
    que.setRecordSource(Queries::domainQuestions("3"));
    ASSERT_TRUE(que.refresh());
    que.moveLast();
    EXPECT_EQ(que.recordCount(), 3);
    EXPECT_EQ(que.field(QStringLiteral("Numero")).toInt(), 10);
    que.moveFirst();
    que.move(1);
    EXPECT_EQ(que.field(QStringLiteral("Numero")).toInt(), 2);
    que.movePrevious();
    que.movePrevious();
    EXPECT_TRUE(que.bof());
    EXPECT_FALSE(que.eof());
    que.moveLast();
    que.moveNext();
    EXPECT_TRUE(que.eof());
}

TEST_F(Store, FieldNamesIgnoreLetterCaseAndNullsStayNull)
{
    que.setRecordSource(Queries::domainQuestions("1"));
    ASSERT_TRUE(que.refresh());
    EXPECT_EQ(que.field(QStringLiteral("LIBELLÉ")).toString(), QStringLiteral("Première"));
    EXPECT_EQ(que.field(QStringLiteral("lib0")), que.field(QStringLiteral("Lib0")));
    EXPECT_TRUE(que.field(QStringLiteral("lib2")).isNull());
    EXPECT_EQ(que.field(QStringLiteral("val2")).toInt(), -2);
    EXPECT_TRUE(que.field(QStringLiteral("Val4")).isNull());
    bool ok = true;
    que.field(QStringLiteral("Inexistant"), &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(que.lastError(), QStringLiteral("Élément non trouvé dans cette collection."));

    const Question q = que.question();
    EXPECT_FALSE(q.hasChoice(2));
    EXPECT_EQ(q.val[2], -2);
    EXPECT_FALSE(q.val[4].has_value());
    EXPECT_EQ(q.flags[0], 1);
    EXPECT_EQ(q.flags[3], 0);
}

TEST_F(Store, QuotesInValuesAreStoredFoundAndReadBack)
{
    const QString tricky = QStringLiteral("Le « foehn » : l'air \"sec\" ?");
    que.setRecordSource(Queries::allQuestions());
    ASSERT_TRUE(que.refresh());
    que.findFirst(Criteria::questionWithStatement("3", 1, tricky));
    ASSERT_FALSE(que.noMatch());
    EXPECT_EQ(que.field(QStringLiteral("libellé")).toString(), tricky);

    // A code or a name made of quotes is only a value, never SQL.
    que.findFirst(Criteria::question(QStringLiteral("3\" or \"1\" = \"1"), 1));
    EXPECT_TRUE(que.noMatch());
    que.setRecordSource(Queries::domainQuestions(QStringLiteral("' or 1=1 --")));
    ASSERT_TRUE(que.refresh());
    EXPECT_EQ(que.recordCount(), 0);

    DataBinding qcm(QStringLiteral("datQCM"));
    qcm.setDatabaseName(path);
    qcm.setRecordSource("QCM");
    ASSERT_TRUE(qcm.refresh());
    const QString name = QStringLiteral("QCM d'avril \"B\"");
    ASSERT_TRUE(qcm.addNew());
    qcm.setField(QStringLiteral("NomQCM"), name);
    qcm.setField(QStringLiteral("Code"), QStringLiteral("3"));
    qcm.setField(QStringLiteral("Numero"), 1);
    ASSERT_TRUE(qcm.update()) << qcm.lastError().toStdString();
    qcm.setRecordSource(Queries::questionnaireRowsOrdered(name));
    ASSERT_TRUE(qcm.refresh());
    EXPECT_EQ(qcm.recordCount(), 1);
    qcm.setRecordSource(Queries::questionnaireNames());
    ASSERT_TRUE(qcm.refresh());
    EXPECT_EQ(qcm.field(QStringLiteral("nomqcm")).toString(), name);
}

TEST_F(Store, FindFirstTakesTheFirstMatchInRecordsetOrderOrReportsNoMatch)
{
    que.setRecordSource(Queries::allQuestions());
    ASSERT_TRUE(que.refresh());
    que.findFirst(Criteria::domain("3"));
    ASSERT_FALSE(que.noMatch());
    EXPECT_EQ(que.field(QStringLiteral("Numero")).toInt(), 1);
    que.findFirst(StoreQuery("Code = \"3\" and Numero = 10"));
    EXPECT_EQ(que.field(QStringLiteral("Numero")).toInt(), 10);
    que.findFirst(Criteria::questionForEditor("3", 99));
    EXPECT_TRUE(que.noMatch());
    EXPECT_EQ(que.field(QStringLiteral("Numero")).toInt(), 10) << "a miss keeps the current row";
    que.findFirst(Criteria::questionForSave("1", 1));
    EXPECT_EQ(que.field(QStringLiteral("Libellé")).toString(), QStringLiteral("Première"));
}

TEST_F(Store, EditAddAndDeleteReachTheFile)
{
    que.setRecordSource(Queries::allQuestions());
    ASSERT_TRUE(que.refresh());
    que.findFirst(Criteria::question("3", 2));
    ASSERT_TRUE(que.edit());
    que.setField(QStringLiteral("LIB1"), QVariant());
    que.setField(QStringLiteral("Val1"), QVariant());
    ASSERT_TRUE(que.update());

    ASSERT_TRUE(que.addNew());
    que.setField(QStringLiteral("Code"), QStringLiteral("1"));
    que.setField(QStringLiteral("Numero"), 2);
    que.setField(QStringLiteral("Libellé"), QStringLiteral("Ajoutée"));
    ASSERT_TRUE(que.update());

    ASSERT_TRUE(que.addNew());
    que.setField(QStringLiteral("Code"), QStringLiteral("1"));
    que.setField(QStringLiteral("Numero"), 2);
    EXPECT_FALSE(que.update()) << "(Code, Numero) stays unique";
    que.cancelUpdate();

    que.findFirst(Criteria::question("3", 1));
    ASSERT_TRUE(que.deleteRecord());
    que.moveNext();
    EXPECT_EQ(que.field(QStringLiteral("Numero")).toInt(), 2) << "after a delete, the next row follows";

    DataBinding other(QStringLiteral("autre"));
    other.setDatabaseName(path);
    other.setRecordSource(Queries::allQuestions());
    ASSERT_TRUE(other.refresh());
    EXPECT_EQ(numeros(other), (QStringList{"1.1", "1.2", "3.2", "3.10"}));
    other.findFirst(Criteria::question("3", 2));
    EXPECT_TRUE(other.field(QStringLiteral("lib1")).isNull());
}

TEST_F(Store, UnusableFilesFailCleanlyAndAreNeverWritten)
{
    const QString text = QDir(dir.path()).filePath(QStringLiteral("notes.mdb"));
    writeFile(text, "Ceci n'est pas une base.\n");
    const QString empty = QDir(dir.path()).filePath(QStringLiteral("vide.mdb"));
    writeFile(empty, QByteArray());
    const QString missing = QDir(dir.path()).filePath(QStringLiteral("absent.mdb"));

    for (const QString &file : {text, empty, missing}) {
        const QByteArray before = fileBytes(file);
        DataBinding b(QStringLiteral("datDom"));
        b.setDatabaseName(file);
        b.setRecordSource("Domaines");
        EXPECT_FALSE(b.refresh()) << file.toStdString();
        EXPECT_FALSE(b.lastError().isEmpty());
        EXPECT_TRUE(b.eof());
        b.closeDatabase();
        EXPECT_EQ(fileBytes(file), before) << file.toStdString();
        QString why;
        EXPECT_FALSE(Schema::check(file, &why));
    }
    EXPECT_FALSE(QFile::exists(missing));

    const QByteArray before = fileBytes(path);
    que.setRecordSource(Queries::allQuestions());
    ASSERT_TRUE(que.refresh());
    que.moveLast();
    que.closeDatabase();
    EXPECT_EQ(fileBytes(path), before) << "reading leaves the file as it was";
    EXPECT_TRUE(Schema::check(path, nullptr));
    ASSERT_TRUE(QFile::remove(path)) << "a closed binding releases the file";
}

TEST(StoreQueryShapes, RejectsWhatIsNotOneOfTheShapes)
{
    ParsedSelect parsed;
    QString error;
    EXPECT_TRUE(parseSource(StoreQuery("Spécialité"), parsed, &error));
    EXPECT_EQ(parsed.table, QStringLiteral("Spécialité"));
    EXPECT_TRUE(parseSource(Queries::questionnaireNames(), parsed, &error));
    EXPECT_EQ(parsed.distinctField, QStringLiteral("NomQCM"));
    for (const char *bad : {"select * from Questions; drop table Questions", "delete from Questions",
             "select * from Questions where code = '1", "select * from"})
        EXPECT_FALSE(parseSource(StoreQuery(bad), parsed, &error)) << bad;
    EXPECT_FALSE(parseSource(StoreQuery(QStringLiteral("select * from QCM where NomQCM = ?")), parsed, &error))
        << "a placeholder without its value";

    // A number literal is read as itself or refused, never read as 0.
    QList<Comparison> found;
    ASSERT_TRUE(parseCriteria(StoreQuery("Numero = -9223372036854775808"), found, &error));
    EXPECT_EQ(found.at(0).value, QVariant(std::numeric_limits<qint64>::min()));
    for (const char *tooLong : {"Numero = 9223372036854775808", "Numero = 99999999999999999999"})
        EXPECT_FALSE(parseCriteria(StoreQuery(tooLong), found, &error)) << tooLong;
}

} // namespace
