#include "database/DataBinding.h"
#include "support/Fixtures.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

using namespace qcm;
using namespace qcm::test;

namespace {

QStringList keys(DataBinding &b, const char *numberField = "numero")
{
    QStringList list;
    for (b.moveFirst(); !b.eof(); b.moveNext())
        list.append(b.field(QStringLiteral("Code")).toString() + u'.' + b.field(QLatin1String(numberField)).toString());
    return list;
}

// A bank whose rows are stored out of order, with a question 1.3 beside 3.1
// so that a code and a number swapped find the wrong row.
class Store : public ::testing::Test {
protected:
    void SetUp() override
    {
        BankContent bank;
        bank.domains = {{QStringLiteral("1"), QStringLiteral("Météo")}, {QStringLiteral("2"), QStringLiteral("Vide")},
            {QStringLiteral("3"), QStringLiteral("Matériel")}};
        bank.questions = {makeQuestion(QStringLiteral("3"), 2, QStringLiteral("Deuxième"), {6, 0}),
            makeQuestion(QStringLiteral("1"), 3, QStringLiteral("Trois"), {6}),
            makeQuestion(QStringLiteral("1"), 1, QStringLiteral("Première"), {3, 3, -2}),
            makeQuestion(QStringLiteral("3"), 10, QStringLiteral("Dixième"), {2, 4}),
            makeQuestion(QStringLiteral("3"), 1, QStringLiteral("Le « foehn » : l'air \"sec\" ?"), {6, -1})};
        bank.questions[2].lib[2].clear(); // a Null text beside points
        path = makeBank(dir, QStringLiteral("banque.mdb"), bank);
        connection = Connection::open(path, nullptr);
        ASSERT_TRUE(connection);
        for (DataBinding *b : {&que, &qcm})
            b->setConnection(connection);
    }

    void addQcmRow(const QString &name, const QString &code, qint64 numero)
    {
        qcm.setRecordSource("QCM");
        ASSERT_TRUE(qcm.refresh());
        ASSERT_TRUE(qcm.addNew());
        qcm.setField(QStringLiteral("NomQCM"), name);
        qcm.setField(QStringLiteral("Code"), code);
        qcm.setField(QStringLiteral("Numero"), numero);
        ASSERT_TRUE(qcm.update()) << qcm.lastError().description.toStdString();
    }

    QTemporaryDir dir;
    QString path;
    std::shared_ptr<Connection> connection;
    DataBinding que{QStringLiteral("datQue")};
    DataBinding qcm{QStringLiteral("datQCM")};
};

TEST_F(Store, EveryShapeSelectsItsRowsInItsOrder)
{
    const std::vector<std::pair<StoreQuery, QStringList>> cases{
        {Queries::wholeBank(), {"1.1", "1.3", "3.1", "3.2", "3.10"}},
        {Queries::domainInOrder("3"), {"3.1", "3.2", "3.10"}},
        {Queries::domainRows("3"), {"3.2", "3.10", "3.1"}}, // the table's own order
        {StoreQuery("Select * from Questions order by code, numero"), {"1.1", "1.3", "3.1", "3.2", "3.10"}},
        {StoreQuery("Select * from Questions order by Code, Numero;"), {"1.1", "1.3", "3.1", "3.2", "3.10"}},
        {StoreQuery("Select * from Questions where Code = '1';"), {"1.3", "1.1"}},
        {StoreQuery("select * from QUESTIONS where Code = \"1\" order by code, Numero"), {"1.1", "1.3"}},
    };
    for (const auto &[query, expected] : cases) {
        que.setRecordSource(query);
        ASSERT_TRUE(que.refresh()) << query.text.toStdString() << ": " << que.lastError().description.toStdString();
        EXPECT_EQ(keys(que), expected) << query.text.toStdString();
    }

    addQcmRow(QStringLiteral("B"), QStringLiteral("3"), 10);
    addQcmRow(QStringLiteral("A"), QStringLiteral("3"), 2);
    addQcmRow(QStringLiteral("B"), QStringLiteral("1"), 3);
    addQcmRow(QStringLiteral("B"), QStringLiteral("3"), 1);
    qcm.setRecordSource(Queries::questionnaireInOrder(QStringLiteral("B")));
    ASSERT_TRUE(qcm.refresh());
    EXPECT_EQ(keys(qcm), (QStringList{"1.3", "3.1", "3.10"}));
    qcm.setRecordSource(Queries::questionnaireRows(QStringLiteral("B")));
    ASSERT_TRUE(qcm.refresh());
    EXPECT_EQ(keys(qcm), (QStringList{"3.10", "1.3", "3.1"}));
    qcm.setRecordSource(Queries::questionnaireNames());
    ASSERT_TRUE(qcm.refresh());
    QStringList names;
    for (; !qcm.eof(); qcm.moveNext())
        names.append(qcm.field(QStringLiteral("nomqcm")).toString());
    EXPECT_EQ(names, (QStringList{"A", "B"}));
}

TEST_F(Store, CriteriaBindEachValueToItsOwnField)
{
    que.setRecordSource(Queries::wholeBank());
    ASSERT_TRUE(que.refresh());
    que.findFirst(Criteria::questionKey("3", 1));
    ASSERT_FALSE(que.noMatch());
    EXPECT_EQ(que.field(QStringLiteral("Libellé")).toString(), QStringLiteral("Le « foehn » : l'air \"sec\" ?"));
    que.findFirst(Criteria::questionKey("1", 3));
    EXPECT_EQ(que.field(QStringLiteral("Libellé")).toString(), QStringLiteral("Trois"));
    que.findFirst(Criteria::domainCode("3"));
    EXPECT_EQ(que.field(QStringLiteral("Numero")).toInt(), 1) << "the first match in recordset order";
    que.findFirst(Criteria::questionKey("3", 99));
    EXPECT_TRUE(que.noMatch());
    EXPECT_EQ(que.field(QStringLiteral("Numero")).toInt(), 1) << "a miss keeps the current row";

    const QString tricky = QStringLiteral("Le « foehn » : l'air \"sec\" ?");
    que.findFirst(Criteria::questionWithStatement("3", 1, tricky));
    EXPECT_FALSE(que.noMatch());
    que.findFirst(Criteria::questionWithStatement("1", 3, tricky));
    EXPECT_TRUE(que.noMatch());
    // A code made of quotes is only a value, never SQL.
    que.findFirst(Criteria::questionKey(QStringLiteral("3\" or \"1\" = \"1"), 1));
    EXPECT_TRUE(que.noMatch());
    que.setRecordSource(Queries::domainInOrder(QStringLiteral("' or 1=1 --")));
    ASSERT_TRUE(que.refresh());
    EXPECT_EQ(que.recordCount(), 0);
}

TEST_F(Store, MovesFieldsAndEmptyRecordsets)
{
    que.setRecordSource(Queries::domainInOrder("2"));
    ASSERT_TRUE(que.refresh());
    EXPECT_TRUE(que.eof() && que.bof());
    EXPECT_FALSE(que.moveFirst());
    EXPECT_EQ(que.lastError().number, 3021);
    bool ok = true;
    EXPECT_TRUE(que.field(QStringLiteral("Libellé"), &ok).isNull());
    EXPECT_FALSE(ok);

    que.setRecordSource(Queries::domainInOrder("1"));
    ASSERT_TRUE(que.refresh());
    EXPECT_EQ(que.field(QStringLiteral("LIBELLÉ")).toString(), QStringLiteral("Première"));
    EXPECT_EQ(que.field(QStringLiteral("lib0")), que.field(QStringLiteral("Lib0")));
    EXPECT_TRUE(que.field(QStringLiteral("lib2")).isNull());
    EXPECT_TRUE(que.field(QStringLiteral("Val4")).isNull());
    que.field(QStringLiteral("Inexistant"), &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(que.lastError().kind, StoreErrorKind::FieldNotFound);
    EXPECT_EQ(procedureErrorText(que.lastError(), QStringLiteral("QCMListe")),
        QStringLiteral("Erreur 3265 Élément non trouvé dans cette collection. dans la procédure 'QCMListe'."));
    const Question q = que.question();
    EXPECT_FALSE(q.hasChoice(2));
    EXPECT_EQ(q.val[2], -2);
    EXPECT_EQ(q.flags[0], 1);
    EXPECT_EQ(q.flags[3], 0);

    que.moveLast();
    EXPECT_EQ(que.recordCount(), 2);
    que.moveNext();
    EXPECT_TRUE(que.eof());
    que.moveFirst();
    que.movePrevious();
    EXPECT_TRUE(que.bof());
}

TEST_F(Store, WritesReachTheFileAndEveryBindingOfTheConnection)
{
    que.setRecordSource(Queries::domainInOrder("1"));
    ASSERT_TRUE(que.refresh());
    EXPECT_EQ(que.recordCount(), 2);

    DataBinding writer(QStringLiteral("autre"));
    writer.setConnection(connection);
    writer.setRecordSource("Questions");
    ASSERT_TRUE(writer.refresh());
    ASSERT_TRUE(writer.addNew());
    writer.setField(QStringLiteral("Code"), QStringLiteral("1"));
    writer.setField(QStringLiteral("Numero"), 2);
    writer.setField(QStringLiteral("Libellé"), QStringLiteral("Ajoutée"));
    ASSERT_TRUE(writer.update());
    ASSERT_TRUE(que.refresh());
    EXPECT_EQ(keys(que), (QStringList{"1.1", "1.2", "1.3"})) << "an added row takes its place at the next refresh";

    ASSERT_TRUE(writer.addNew());
    writer.setField(QStringLiteral("Code"), QStringLiteral("1"));
    writer.setField(QStringLiteral("Numero"), 2);
    EXPECT_FALSE(writer.update()) << "(Code, Numero) stays unique";
    EXPECT_EQ(writer.lastError().kind, StoreErrorKind::Constraint);
    writer.cancelUpdate();

    que.findFirst(Criteria::questionKey("1", 1));
    ASSERT_TRUE(que.deleteRecord());
    que.moveNext();
    EXPECT_EQ(que.field(QStringLiteral("Numero")).toInt(), 2) << "after a delete, the next row follows";
    que.findFirst(Criteria::questionKey("1", 3));
    ASSERT_TRUE(que.edit());
    que.setField(QStringLiteral("LIB0"), QVariant());
    ASSERT_TRUE(que.update());

    DataBinding fresh(QStringLiteral("neuve"));
    fresh.setDatabaseName(path);
    fresh.setRecordSource(Queries::domainInOrder("1"));
    ASSERT_TRUE(fresh.refresh());
    EXPECT_EQ(keys(fresh), (QStringList{"1.2", "1.3"})) << "a second connection reads the file";
    fresh.moveLast();
    EXPECT_TRUE(fresh.field(QStringLiteral("lib0")).isNull());
}

TEST_F(Store, AFailedWriteInATransactionLeavesTheFileByteForByte)
{
    // The 30th row of a questionnaire-shaped save fails, as a full disk would.
    ASSERT_TRUE(connection->db().exec(QStringLiteral(
        "CREATE TRIGGER panne BEFORE INSERT ON QCM WHEN NEW.Numero = 30 BEGIN SELECT RAISE(ABORT, 'panne'); END")));
    for (int n = 1; n <= 60; ++n)
        addQcmRow(QStringLiteral("Examen"), QStringLiteral("1"), 100 + n);
    const QByteArray before = fileBytes(path);

    DataBinding spe(QStringLiteral("datSpe"));
    spe.setConnection(connection);
    {
        Transaction transaction(connection);
        ASSERT_TRUE(transaction.isActive());
        qcm.setRecordSource(Queries::questionnaireRows(QStringLiteral("Examen")));
        ASSERT_TRUE(qcm.refresh());
        while (!qcm.eof()) {
            ASSERT_TRUE(qcm.deleteRecord());
            qcm.moveNext();
        }
        DataBinding reader(QStringLiteral("lecteur"));
        reader.setConnection(connection);
        reader.setRecordSource(Queries::questionnaireRows(QStringLiteral("Examen")));
        ASSERT_TRUE(reader.refresh());
        EXPECT_EQ(reader.recordCount(), 0) << "the transaction's own deletions are seen by the other bindings";

        bool failed = false;
        for (int n = 1; n <= 60 && !failed; ++n) {
            qcm.setRecordSource("QCM");
            qcm.refresh();
            qcm.addNew();
            qcm.setField(QStringLiteral("NomQCM"), QStringLiteral("Examen"));
            qcm.setField(QStringLiteral("Numero"), n);
            failed = !qcm.update();
        }
        ASSERT_TRUE(failed);
        EXPECT_EQ(qcm.lastError().kind, StoreErrorKind::Constraint);
        EXPECT_EQ(qcm.lastError().description, QStringLiteral("panne"));
    }
    qcm.setRecordSource(Queries::questionnaireRows(QStringLiteral("Examen")));
    ASSERT_TRUE(qcm.refresh());
    EXPECT_EQ(qcm.recordCount(), 60) << "a binding refreshed after the rollback sees the old rows";
    connection.reset();
    que.closeDatabase();
    qcm.closeDatabase();
    spe.closeDatabase();
    EXPECT_EQ(fileBytes(path), before);
}

TEST_F(Store, FailuresCarryTheirKind)
{
    // Another program holds a write: no waiting in a test.
    ASSERT_TRUE(connection->db().exec(QStringLiteral("PRAGMA busy_timeout = 0")));
    auto other = Connection::open(path, nullptr);
    ASSERT_TRUE(other->db().exec(QStringLiteral("BEGIN IMMEDIATE; DELETE FROM Domaines WHERE Code = '2';")));
    que.setRecordSource(Queries::wholeBank());
    ASSERT_TRUE(que.refresh());
    ASSERT_TRUE(que.edit());
    que.setField(QStringLiteral("Libellé"), QStringLiteral("x"));
    EXPECT_FALSE(que.update());
    EXPECT_EQ(que.lastError().kind, StoreErrorKind::Locked);
    other.reset();

    ASSERT_TRUE(connection->db().exec(QStringLiteral("PRAGMA query_only = 1")));
    ASSERT_TRUE(que.edit());
    EXPECT_FALSE(que.update());
    EXPECT_EQ(que.lastError().kind, StoreErrorKind::ReadOnly);
    EXPECT_EQ(que.lastError().number, 3027);

    const QString text = QDir(dir.path()).filePath(QStringLiteral("notes.mdb"));
    writeFile(text, QByteArray("Ceci n'est pas une base.\n").repeated(200));
    DataBinding b(QStringLiteral("datDom"));
    b.setDatabaseName(text);
    b.setRecordSource("Domaines");
    EXPECT_FALSE(b.refresh());
    EXPECT_EQ(b.lastError().kind, StoreErrorKind::NotADatabase);
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
        EXPECT_TRUE(b.lastError().isError());
        EXPECT_TRUE(b.eof());
        b.closeDatabase();
        EXPECT_EQ(fileBytes(file), before) << file.toStdString();
        EXPECT_FALSE(Schema::check(file, nullptr));
    }
    EXPECT_FALSE(QFile::exists(missing));

    const QByteArray before = fileBytes(path);
    que.setRecordSource(Queries::wholeBank());
    ASSERT_TRUE(que.refresh());
    que.moveLast();
    que.closeDatabase();
    qcm.closeDatabase();
    connection.reset();
    EXPECT_EQ(fileBytes(path), before) << "reading leaves the file as it was";
    ASSERT_TRUE(QFile::remove(path)) << "closed bindings release the file";
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
