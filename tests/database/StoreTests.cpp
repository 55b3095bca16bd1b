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
        list.append(b.field(u"Code"_s).toString() + u'.' + b.field(QLatin1String(numberField)).toString());
    return list;
}

bool load(DataBinding &b, const StoreQuery &query)
{
    b.setRecordSource(query);
    return b.refresh();
}

// A question added through a binding of the connection other than the one read.
bool addQuestion(DataBinding &writer, const QString &code, qint64 numero, const QString &statement = {})
{
    if (!load(writer, "Questions") || !writer.addNew())
        return false;
    writer.setField(u"Code"_s, code);
    writer.setField(u"Numero"_s, numero);
    writer.setField(u"Libellé"_s, statement.isEmpty() ? QVariant() : QVariant(statement));
    return writer.update();
}

// A bank whose rows are stored out of order, with a question 1.3 beside 3.1
// so that a code and a number swapped find the wrong row.
class Store : public ::testing::Test {
protected:
    void SetUp() override
    {
        BankContent bank{{{u"1"_s, u"Météo"_s}, {u"2"_s, u"Vide"_s}, {u"3"_s, u"Matériel"_s}},
            {makeQuestion(u"3"_s, 2, u"Deuxième"_s, {6, 0}), makeQuestion(u"1"_s, 3, u"Trois"_s, {6}),
                makeQuestion(u"1"_s, 1, u"Première"_s, {3, 3, -2}), makeQuestion(u"3"_s, 10, u"Dixième"_s, {2, 4}),
                makeQuestion(u"3"_s, 1, u"Le « foehn » : l'air \"sec\" ?"_s, {6, -1})}};
        bank.questions[2].lib[2].clear(); // a Null text beside points
        path = makeBank(dir, u"banque.mdb"_s, bank);
        connection = Connection::open(path, nullptr);
        ASSERT_TRUE(connection);
        for (DataBinding *b : {&que, &qcm})
            b->setConnection(connection);
    }

    void addQcmRow(const QString &name, const QString &code, qint64 numero)
    {
        ASSERT_TRUE(load(qcm, "QCM"));
        ASSERT_TRUE(qcm.addNew());
        qcm.setField(u"NomQCM"_s, name);
        qcm.setField(u"Code"_s, code);
        qcm.setField(u"Numero"_s, numero);
        ASSERT_TRUE(qcm.update()) << qcm.lastError().description.toStdString();
    }

    QTemporaryDir dir;
    QString path;
    std::shared_ptr<Connection> connection;
    DataBinding que{u"datQue"_s};
    DataBinding qcm{u"datQCM"_s};
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
        ASSERT_TRUE(load(que, query)) << query.text.toStdString() << ": " << que.lastError().description.toStdString();
        EXPECT_EQ(keys(que), expected) << query.text.toStdString();
    }

    addQcmRow(u"B"_s, u"3"_s, 10);
    addQcmRow(u"A"_s, u"3"_s, 2);
    addQcmRow(u"B"_s, u"1"_s, 3);
    addQcmRow(u"B"_s, u"3"_s, 1);
    ASSERT_TRUE(load(qcm, Queries::questionnaireInOrder(u"B"_s)));
    EXPECT_EQ(keys(qcm), (QStringList{"1.3", "3.1", "3.10"}));
    ASSERT_TRUE(load(qcm, Queries::questionnaireRows(u"B"_s)));
    EXPECT_EQ(keys(qcm), (QStringList{"3.10", "1.3", "3.1"}));
    ASSERT_TRUE(load(qcm, Queries::questionnaireNames()));
    QStringList names;
    for (; !qcm.eof(); qcm.moveNext())
        names.append(qcm.field(u"nomqcm"_s).toString());
    EXPECT_EQ(names, (QStringList{"A", "B"}));
}

TEST_F(Store, CriteriaBindEachValueToItsOwnField)
{
    ASSERT_TRUE(load(que, Queries::wholeBank()));
    que.findFirst(Criteria::questionKey("3", 1));
    EXPECT_EQ(que.field(u"Libellé"_s).toString(), u"Le « foehn » : l'air \"sec\" ?"_s);
    que.findFirst(Criteria::questionKey("1", 3));
    EXPECT_EQ(que.field(u"Libellé"_s).toString(), u"Trois"_s);
    que.findFirst(Criteria::domainCode("3"));
    EXPECT_EQ(que.field(u"Numero"_s).toInt(), 1) << "the first match in recordset order";
    que.findFirst(Criteria::questionKey("3", 99));
    EXPECT_TRUE(que.noMatch());
    EXPECT_EQ(que.field(u"Numero"_s).toInt(), 1) << "a miss keeps the current row";

    const QString tricky = u"Le « foehn » : l'air \"sec\" ?"_s;
    que.findFirst(Criteria::questionWithStatement("3", 1, tricky));
    EXPECT_FALSE(que.noMatch());
    que.findFirst(Criteria::questionWithStatement("1", 3, tricky));
    EXPECT_TRUE(que.noMatch());
    // A code made of quotes is only a value, never SQL.
    que.findFirst(Criteria::questionKey(u"3\" or \"1\" = \"1"_s, 1));
    EXPECT_TRUE(que.noMatch());
    ASSERT_TRUE(load(que, Queries::domainInOrder(u"' or 1=1 --"_s)));
    EXPECT_EQ(que.recordCount(), 0);
}

TEST_F(Store, MovesFieldsAndEmptyRecordsets)
{
    ASSERT_TRUE(load(que, Queries::domainInOrder("2")));
    EXPECT_TRUE(que.eof() && que.bof());
    EXPECT_FALSE(que.moveFirst());
    EXPECT_EQ(que.lastError().number, 3021);
    bool ok = true;
    EXPECT_TRUE(que.field(u"Libellé"_s, &ok).isNull());
    EXPECT_FALSE(ok);

    ASSERT_TRUE(load(que, Queries::domainInOrder("1")));
    EXPECT_EQ(que.field(u"LIBELLÉ"_s).toString(), u"Première"_s);
    EXPECT_EQ(que.field(u"lib0"_s), que.field(u"Lib0"_s));
    EXPECT_TRUE(que.field(u"lib2"_s).isNull());
    EXPECT_TRUE(que.field(u"Val4"_s).isNull());
    que.field(u"Inexistant"_s, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(que.lastError().kind, StoreErrorKind::FieldNotFound);
    EXPECT_EQ(procedureErrorText(que.lastError(), u"QCMListe"_s),
        u"Erreur 3265 Élément non trouvé dans cette collection. dans la procédure 'QCMListe'."_s);
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
    ASSERT_TRUE(load(que, Queries::domainInOrder("1")));
    EXPECT_EQ(que.recordCount(), 2);

    DataBinding writer(u"autre"_s);
    writer.setConnection(connection);
    ASSERT_TRUE(addQuestion(writer, u"1"_s, 2, u"Ajoutée"_s));
    ASSERT_TRUE(que.refresh());
    EXPECT_EQ(keys(que), (QStringList{"1.1", "1.2", "1.3"})) << "an added row takes its place at the next refresh";

    ASSERT_TRUE(writer.addNew());
    writer.setField(u"Code"_s, u"1"_s);
    writer.setField(u"Numero"_s, 2);
    EXPECT_FALSE(writer.update()) << "(Code, Numero) stays unique";
    EXPECT_EQ(writer.lastError().kind, StoreErrorKind::Constraint);
    writer.cancelUpdate();

    que.findFirst(Criteria::questionKey("1", 1));
    ASSERT_TRUE(que.deleteRecord());
    que.moveNext();
    EXPECT_EQ(que.field(u"Numero"_s).toInt(), 2) << "after a delete, the next row follows";
    que.findFirst(Criteria::questionKey("1", 3));
    ASSERT_TRUE(que.edit());
    que.setField(u"LIB0"_s, QVariant());
    ASSERT_TRUE(que.update());

    DataBinding fresh(u"neuve"_s);
    fresh.setDatabaseName(path);
    ASSERT_TRUE(load(fresh, Queries::domainInOrder("1")));
    EXPECT_EQ(keys(fresh), (QStringList{"1.2", "1.3"})) << "a second connection reads the file";
    fresh.moveLast();
    EXPECT_TRUE(fresh.field(u"lib0"_s).isNull());
}

// A recordset larger than the part of its keys read at a time: counted
// before it is walked, walked whole in order across the parts, and kept
// right by a delete in the middle and by a change made elsewhere.
TEST(LargeRecordset, IsCountedAndWalkedAcrossThePartsOfItsKeys)
{
    QTemporaryDir dir;
    BankContent bank{{{u"1"_s, u"Météo"_s}, {u"2"_s, u"Vol"_s}}, {}};
    // Stored out of order, and the other domain in between.
    for (int n = 300; n >= 1; --n) {
        bank.questions.append(makeQuestion(u"1"_s, n * 2, u"Q%1"_s.arg(n * 2), {6}));
        if (n % 7 == 0)
            bank.questions.append(makeQuestion(u"2"_s, n, u"Autre"_s, {6}));
    }
    const auto connection = Connection::open(makeBank(dir, u"grande.mdb"_s, bank), nullptr);
    ASSERT_TRUE(connection);
    DataBinding que(u"datQue"_s);
    que.setConnection(connection);
    ASSERT_TRUE(load(que, Queries::domainInOrder(u"1"_s)));
    EXPECT_EQ(que.recordCount(), 300);
    que.moveLast();
    EXPECT_EQ(que.field(u"Numero"_s).toInt(), 600);

    ASSERT_TRUE(que.refresh());
    que.move(99);
    ASSERT_TRUE(que.deleteRecord()); // question 200, inside the keys read so far
    EXPECT_EQ(que.recordCount(), 299);
    QList<int> walked;
    for (que.moveNext(); !que.eof(); que.moveNext())
        walked.append(que.field(u"Numero"_s).toInt());
    ASSERT_EQ(walked.size(), 200);
    for (int i = 0; i < walked.size(); ++i)
        ASSERT_EQ(walked[i], 202 + 2 * i) << "no row skipped nor repeated after the delete";

    DataBinding writer(u"autre"_s);
    writer.setConnection(connection);
    ASSERT_TRUE(addQuestion(writer, u"1"_s, 1));
    ASSERT_TRUE(load(que, Queries::domainInOrder(u"2"_s)));
    EXPECT_EQ(que.recordCount(), 42);
    ASSERT_TRUE(load(que, Queries::domainInOrder(u"1"_s)));
    EXPECT_EQ(que.recordCount(), 300) << "a count known before the change is not used after it";
    EXPECT_EQ(que.field(u"Numero"_s).toInt(), 1);

    // Found far past the keys read so far: its neighbours follow it.
    auto numero = [&] { return que.field(u"Numero"_s).toInt(); };
    ASSERT_TRUE(que.findFirst(Criteria::questionKey(u"1"_s, 500)));
    EXPECT_FALSE(que.noMatch());
    EXPECT_EQ(que.position(), 249);
    que.moveNext();
    EXPECT_EQ(numero(), 502);
    que.move(-2);
    EXPECT_EQ(numero(), 498);
    que.moveLast();
    que.movePrevious();
    EXPECT_EQ(numero(), 598);
    que.findFirst(Criteria::questionKey(u"2"_s, 7));
    EXPECT_TRUE(que.noMatch()) << "a row outside the recordset is not found in it";
    EXPECT_EQ(numero(), 598);

    // A Null number sorts first, where the count of the rows before misses it.
    ASSERT_TRUE(writer.findFirst(Criteria::questionKey(u"1"_s, 1)) && writer.edit());
    writer.setField(u"Numero"_s, QVariant());
    ASSERT_TRUE(writer.update());
    ASSERT_TRUE(que.refresh());
    ASSERT_TRUE(que.findFirst(Criteria::questionKey(u"1"_s, 500)));
    EXPECT_EQ(que.position(), 249);
    EXPECT_EQ(numero(), 500);
}

// Rows found far past the keys read so far are placed without walking the
// keys before them: checked against the walked order where a plain count of
// the rows before would go wrong (Null numbers, which sort first; codes that
// differ only by case; a row of another domain; several rows found at once,
// one of them with a Null number).
TEST(LargeRecordset, FoundRowsStandWhereTheWalkedOrderPutsThem)
{
    QTemporaryDir dir;
    BankContent bank{{{u"a"_s, u"Air"_s}, {u"b"_s, u"Vol"_s}}, {}};
    auto statement = [](int n) {
        return n == 150 || n == 250 || n == 350 ? u"pareil"_s : n == 120 || n == 320 ? u"nul"_s : u"Q"_s;
    };
    for (int n = 400; n >= 1; --n) {
        bank.questions.append(makeQuestion(n % 3 ? u"a"_s : u"A"_s, n, n <= 200 ? u"P"_s : u"Q"_s, {6}));
        bank.questions.append(makeQuestion(u"b"_s, n, statement(n), {6}));
    }
    const auto connection = Connection::open(makeBank(dir, u"grande.mdb"_s, bank), nullptr);
    ASSERT_TRUE(connection);
    ASSERT_TRUE(connection->db().exec(
        u"UPDATE Questions SET Numero = NULL WHERE (Code = 'a' AND Numero % 37 = 0) OR (Code = 'b' AND Numero = 320)"_s));

    auto fresh = [&](const StoreQuery &source) {
        auto b = std::make_unique<DataBinding>(u"datQue"_s);
        b->setConnection(connection);
        load(*b, source);
        return b;
    };
    struct Walked {
        std::vector<qint64> rows;
        QList<QVariant> numbers;
    };
    auto walk = [&](const StoreQuery &source) {
        Walked w;
        auto b = fresh(source);
        for (b->moveFirst(); !b->eof(); b->moveNext()) {
            w.rows.push_back(b->currentRowId().value_or(-1));
            w.numbers.append(b->field(u"Numero"_s));
        }
        return w;
    };

    ASSERT_TRUE(walk(Queries::domainInOrder(u"a"_s)).numbers.front().isNull()) << "Null numbers sort first";
    // By statement then number, the rows with a Null number open the "Q"
    // statements, right before question 201; by statement alone, the rows of
    // one statement follow the table's order.
    for (const StoreQuery &source : {Queries::domainInOrder(u"a"_s),
             StoreQuery(u"Select * from Questions where code = ? order by Libellé, Numero"_s, {u"a"_s}),
             StoreQuery(u"Select * from Questions where code = ? order by Libellé"_s, {u"a"_s})}) {
        SCOPED_TRACE(qPrintable(source.text));
        const Walked a = walk(source);
        ASSERT_EQ(a.rows.size(), 400u);
        for (int n : {1, 2, 100, 201, 202, 300, 398, 400}) {
            SCOPED_TRACE(n);
            const qint64 at = a.numbers.indexOf(QVariant(qint64(n)));
            ASSERT_GT(at, 0);
            auto que = fresh(source);
            ASSERT_TRUE(que->findFirst(Criteria::questionKey(n % 2 ? u"A"_s : u"a"_s, n)));
            ASSERT_FALSE(que->noMatch());
            EXPECT_EQ(que->field(u"Numero"_s).toInt(), n);
            EXPECT_FALSE(que->eof() || que->bof());
            for (qint64 back = at - 1; back >= std::max<qint64>(0, at - 7); --back) {
                ASSERT_TRUE(que->movePrevious());
                EXPECT_EQ(que->currentRowId(), a.rows[size_t(back)]);
            }
            EXPECT_EQ(que->position(), std::max<qint64>(0, at - 7));
            auto other = fresh(source);
            ASSERT_TRUE(other->findFirst(Criteria::questionKey(u"a"_s, n)));
            EXPECT_EQ(other->position(), at);
            if (at + 1 < qint64(a.rows.size())) {
                ASSERT_TRUE(other->moveNext());
                EXPECT_EQ(other->currentRowId(), a.rows[size_t(at + 1)]);
            }
            other->findFirst(Criteria::questionKey(u"b"_s, n));
            EXPECT_TRUE(other->noMatch()) << "a row of another domain is not found in it";
        }
    }

    // Several rows found: the first of them in the walked order.
    const Walked b = walk(Queries::domainInOrder(u"b"_s));
    for (const QString &text : {u"pareil"_s, u"nul"_s}) {
        auto que = fresh(Queries::domainInOrder(u"b"_s));
        ASSERT_TRUE(que->findFirst({u"Libellé = ?"_s, {text}}));
        ASSERT_FALSE(que->noMatch());
        qint64 first = 0;
        while (statement(b.numbers[first].isNull() ? 320 : b.numbers[first].toInt()) != text)
            ++first;
        EXPECT_EQ(que->position(), first) << qPrintable(text);
        EXPECT_EQ(que->currentRowId(), b.rows[size_t(first)]);
    }

    // A found row whose number is changed keeps the place it was found at.
    auto que = fresh(Queries::domainInOrder(u"a"_s));
    const qint64 at = walk(Queries::domainInOrder(u"a"_s)).numbers.indexOf(QVariant(qint64(300)));
    ASSERT_TRUE(que->findFirst(Criteria::questionKey(u"a"_s, 300)) && que->edit());
    que->setField(u"Numero"_s, 1000);
    ASSERT_TRUE(que->update());
    EXPECT_EQ(que->position(), at);
    EXPECT_EQ(que->field(u"Numero"_s).toInt(), 1000);
}

TEST_F(Store, AFailedWriteInATransactionLeavesTheFileByteForByte)
{
    // The 30th row of a questionnaire-shaped save fails, as a full disk would.
    ASSERT_TRUE(connection->db().exec(
        u"CREATE TRIGGER panne BEFORE INSERT ON QCM WHEN NEW.Numero = 30 BEGIN SELECT RAISE(ABORT, 'panne'); END"_s));
    for (int n = 1; n <= 60; ++n)
        addQcmRow(u"Examen"_s, u"1"_s, 100 + n);
    const QByteArray before = fileBytes(path);

    DataBinding spe(u"datSpe"_s);
    spe.setConnection(connection);
    {
        Transaction transaction(connection);
        ASSERT_TRUE(transaction.isActive());
        ASSERT_TRUE(load(qcm, Queries::questionnaireRows(u"Examen"_s)));
        while (!qcm.eof()) {
            ASSERT_TRUE(qcm.deleteRecord());
            qcm.moveNext();
        }
        DataBinding reader(u"lecteur"_s);
        reader.setConnection(connection);
        ASSERT_TRUE(load(reader, Queries::questionnaireRows(u"Examen"_s)));
        EXPECT_EQ(reader.recordCount(), 0) << "the transaction's own deletions are seen by the other bindings";

        bool failed = false;
        for (int n = 1; n <= 60 && !failed; ++n) {
            load(qcm, "QCM");
            qcm.addNew();
            qcm.setField(u"NomQCM"_s, u"Examen"_s);
            qcm.setField(u"Numero"_s, n);
            failed = !qcm.update();
        }
        ASSERT_TRUE(failed);
        EXPECT_EQ(qcm.lastError().kind, StoreErrorKind::Constraint);
        EXPECT_EQ(qcm.lastError().description, u"panne"_s);
    }
    ASSERT_TRUE(load(qcm, Queries::questionnaireRows(u"Examen"_s)));
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
    ASSERT_TRUE(connection->db().exec(u"PRAGMA busy_timeout = 0"_s));
    auto other = Connection::open(path, nullptr);
    ASSERT_TRUE(other->db().exec(u"BEGIN IMMEDIATE; DELETE FROM Domaines WHERE Code = '2';"_s));
    ASSERT_TRUE(load(que, Queries::wholeBank()));
    ASSERT_TRUE(que.edit());
    que.setField(u"Libellé"_s, u"x"_s);
    EXPECT_FALSE(que.update());
    EXPECT_EQ(que.lastError().kind, StoreErrorKind::Locked);
    other.reset();

    ASSERT_TRUE(connection->db().exec(u"PRAGMA query_only = 1"_s));
    ASSERT_TRUE(que.edit());
    EXPECT_FALSE(que.update());
    EXPECT_EQ(que.lastError().kind, StoreErrorKind::ReadOnly);
    EXPECT_EQ(que.lastError().number, 3027);
}

TEST_F(Store, UnusableFilesFailCleanlyAndAreNeverWritten)
{
    const QString text = writeFile(dir.filePath(u"notes.mdb"_s), "Ceci n'est pas une base.\n");
    const QString empty = writeFile(dir.filePath(u"vide.mdb"_s), QByteArray());
    const QString missing = dir.filePath(u"absent.mdb"_s);
    const QString longText
        = writeFile(dir.filePath(u"long.mdb"_s), QByteArray("Ceci n'est pas une base.\n").repeated(200));

    for (const QString &file : {text, empty, missing, longText}) {
        const QByteArray before = fileBytes(file);
        DataBinding b(u"datDom"_s);
        b.setDatabaseName(file);
        b.setRecordSource("Domaines");
        EXPECT_FALSE(b.refresh()) << file.toStdString();
        EXPECT_TRUE(b.lastError().isError());
        if (file == longText) {
            EXPECT_EQ(b.lastError().kind, StoreErrorKind::NotADatabase);
        }
        EXPECT_TRUE(b.eof());
        b.closeDatabase();
        EXPECT_EQ(fileBytes(file), before) << file.toStdString();
        EXPECT_FALSE(Schema::check(file, nullptr));
    }
    EXPECT_FALSE(QFile::exists(missing));

    const QByteArray before = fileBytes(path);
    ASSERT_TRUE(load(que, Queries::wholeBank()));
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
    EXPECT_EQ(parsed.table, u"Spécialité"_s);
    EXPECT_TRUE(parseSource(Queries::questionnaireNames(), parsed, &error));
    EXPECT_EQ(parsed.distinctField, u"NomQCM"_s);
    for (const char *bad : {"select * from Questions; drop table Questions", "delete from Questions",
             "select * from Questions where code = '1", "select * from"})
        EXPECT_FALSE(parseSource(StoreQuery(bad), parsed, &error)) << bad;
    EXPECT_FALSE(parseSource(StoreQuery(u"select * from QCM where NomQCM = ?"_s), parsed, &error))
        << "a placeholder without its value";

    // A number literal is read as itself or refused, never read as 0.
    QList<Comparison> found;
    ASSERT_TRUE(parseCriteria(StoreQuery("Numero = -9223372036854775808"), found, &error));
    EXPECT_EQ(found.at(0).value, QVariant(std::numeric_limits<qint64>::min()));
    for (const char *tooLong : {"Numero = 9223372036854775808", "Numero = 99999999999999999999"})
        EXPECT_FALSE(parseCriteria(StoreQuery(tooLong), found, &error)) << tooLong;
}

} // namespace
