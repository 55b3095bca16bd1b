#include "search/BankSearch.h"
#include "search/SearchText.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qcm;
using namespace qcm::test;

namespace {

Question question(const QString &code, qint64 numero, const QString &statement, const QStringList &choices = {})
{
    Question q = makeQuestion(code, numero, statement, {6, -2});
    for (int k = 0; k < choices.size(); ++k)
        q.lib[size_t(k)] = choices.at(k);
    return q;
}

BankContent searchBank()
{
    return {{{u"1"_s, u"Météorologie"_s}, {u"2"_s, u"Aérologie"_s}},
        {question(u"1"_s, 1, u"Que prévoit la MÉTÉO ?"_s), question(u"1"_s, 2, u"Le cœur d'un thermique"_s),
            question(u"1"_s, 3, u"Quel vent descend des Alpes ?"_s, {u"Le foehn"_s, u"La brise"_s}),
            question(u"2"_s, 1, u"Le foehn est-il sec ?"_s), question(u"2"_s, 2, u"Thermodynamique de l'air"_s),
            question(u"2"_s, 3, u"Ex æquo : la sœur et l'ŒIL"_s)}};
}

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        bankPath = makeBank(dir, u"VAR-irururiza.zov"_s, searchBank());
        state.readSettings();
        ASSERT_TRUE(state.BindDatabase());
    }
    // The references found, in order: "1.2".
    QStringList found(const QString &typed)
    {
        QString why;
        const auto hits = BankSearch::of(state).find(typed, BankSearch::kResultLimit, &why);
        EXPECT_TRUE(hits) << why.toStdString();
        QStringList references;
        for (const SearchHit &hit : hits.value_or(QList<SearchHit>()))
            references << hit.question.code + u'.' + QString::number(hit.question.numero);
        return references;
    }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    QCMBas state{dialogs, dir.path()};
    QString bankPath;
};

TEST_F(SearchTest, MatchesWordStartsWithoutRegardToCaseAccentsOrLigatures)
{
    const struct {
        QString typed;
        QStringList expected;
    } cases[] = {
        {u"meteo"_s, {u"1.1"_s}},
        {u"Météo"_s, {u"1.1"_s}},
        {u"METEO"_s, {u"1.1"_s}},
        {u"coeur"_s, {u"1.2"_s}},
        {u"cœur"_s, {u"1.2"_s}},
        {u"oeil soeur aequo"_s, {u"2.3"_s}},
        {u"therm"_s, {u"1.2"_s, u"2.2"_s}},
        {u"mique"_s, {}},
        {u"thermique coeur"_s, {u"1.2"_s}},
        {u"l'air"_s, {u"2.2"_s}},
        {u"  \"foehn\" -"_s, {u"2.1"_s, u"1.3"_s}},
        {u"brise"_s, {u"1.3"_s}},
        {u"2.2"_s, {u"2.2"_s}},
        {u"(*"_s, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(found(c.typed), c.expected) << c.typed.toStdString();
}

TEST_F(SearchTest, ResultsCarryTheirDomainAndWhereTheyMatched)
{
    const auto hits = BankSearch::of(state).find(u"foehn"_s);
    ASSERT_TRUE(hits);
    ASSERT_EQ(hits->size(), 2);
    EXPECT_EQ(hits->at(0).domainTitle, u"Aérologie"_s);
    EXPECT_TRUE(hits->at(0).inStatement);
    EXPECT_FALSE(hits->at(1).inStatement) << "found by a choice, after the statements";
    EXPECT_EQ(hits->at(1).question.choices[0], u"Le foehn"_s);
    EXPECT_EQ(SearchText::matchedWords(u"Le cœur, Thermiques !"_s, SearchText::queryWords(u"THERM coe"_s)),
        (QList<std::pair<qsizetype, qsizetype>>{{3, 4}, {9, 10}}));
}

TEST_F(SearchTest, FollowsEveryChangeToTheBankWhoeverMadeIt)
{
    ASSERT_EQ(found(u"brise"_s), QStringList{u"1.3"_s});
    EXPECT_EQ(dialogs.progressRequests.size(), 1) << "built once, when first needed";
    found(u"foehn"_s);
    EXPECT_EQ(dialogs.progressRequests.size(), 1) << "an unchanged bank is not read again";

    BankModel bank = state.bank();
    Question edited = question(u"1"_s, 3, u"Quel vent descend des Alpes ?"_s, {u"La tramontane"_s, u"Le mistral"_s});
    ASSERT_FALSE(bank.saveQuestion(edited));
    EXPECT_EQ(found(u"brise"_s), QStringList());
    EXPECT_EQ(found(u"mistral"_s), QStringList{u"1.3"_s});

    ASSERT_FALSE(bank.removeQuestion(u"2"_s, 1));
    EXPECT_EQ(found(u"foehn"_s), QStringList());

    const QList<Question> imported{question(u"3"_s, 1, u"Le foehn revient"_s), question(u"3"_s, 2, u"Cumulonimbus"_s)};
    ASSERT_FALSE(bank.saveBatch({{u"3"_s, u"Importé"_s}}, imported, ExistingQuestions::Keep));
    EXPECT_EQ(found(u"foehn"_s), QStringList{u"3.1"_s});
    EXPECT_EQ(found(u"cumulo"_s), QStringList{u"3.2"_s});

    // Another program, through a connection of its own.
    execOn(bankPath, u"UPDATE Questions SET Libellé = 'Un nuage lenticulaire' WHERE Code = '3' AND Numero = 2"_s);
    EXPECT_EQ(found(u"cumulo"_s), QStringList());
    EXPECT_EQ(found(u"lenticul"_s), QStringList{u"3.2"_s});
    EXPECT_EQ(found(u"therm"_s), (QStringList{u"1.2"_s, u"2.2"_s})) << "questions left alone are still found";

    // A new program run finds the index as it was left.
    dialogs.progressRequests.clear();
    QCMBas again(dialogs, dir.path());
    again.readSettings();
    ASSERT_TRUE(again.BindDatabase());
    ASSERT_TRUE(BankSearch::of(again).find(u"cumulo"_s));
    const auto before = dialogs.progressRequests.size();
    execOn(bankPath, u"DELETE FROM Questions WHERE Code = '1'"_s);
    const auto hits = BankSearch::of(again).find(u"therm"_s);
    ASSERT_TRUE(hits);
    ASSERT_EQ(hits->size(), 1);
    EXPECT_EQ(hits->at(0).question.numero, 2);
    EXPECT_EQ(dialogs.progressRequests.size(), before + 1);
}

// A question leaves the index with exactly the words it came with, however
// its text is written: a word left behind would keep finding it.
TEST_F(SearchTest, AnEditedQuestionIsNoLongerFoundByItsOldWords)
{
    ASSERT_EQ(found(u"coeur"_s), QStringList{u"1.2"_s});
    BankModel bank = state.bank();
    const QString decomposed = u"Le cœur de l'e\u0301te\u0301 : ﬁnesse"_s;
    for (const QString &statement : {decomposed, u"Ex æquo, la Sœur"_s, u"Le poumon"_s}) {
        ASSERT_FALSE(bank.saveQuestion(question(u"1"_s, 2, statement)));
        found(u"x"_s);
    }
    for (const QString &old : {u"coeur"_s, u"ete"_s, u"finesse"_s, u"soeur"_s, u"aequo"_s})
        EXPECT_FALSE(found(old).contains(u"1.2"_s)) << old.toStdString();
    EXPECT_EQ(found(u"poumon"_s), QStringList{u"1.2"_s});
    EXPECT_EQ(found(u"soeur"_s + u" oeil"_s), QStringList{u"2.3"_s}) << "the other question keeps its words";
}

TEST_F(SearchTest, TheIndexLivesBesideTheBankOrElseInTheProgramFolder)
{
    ASSERT_TRUE(BankSearch::of(state).find(u"meteo"_s));
    EXPECT_EQ(BankSearch::of(state).indexPath(), bankPath + u".qcm-recherche"_s);

    // A folder that cannot take the index (here: its name is taken by a folder).
    QTemporaryDir other;
    const QString club = makeBank(other, u"Club.mdb"_s, searchBank());
    ASSERT_TRUE(QDir().mkpath(club + u".qcm-recherche"_s));
    state.DbPath = club;
    ASSERT_TRUE(state.BindDatabase());
    EXPECT_EQ(found(u"meteo"_s), QStringList{u"1.1"_s});
    EXPECT_EQ(BankSearch::of(state).indexPath(), BankSearch::inProgramFolder(dir.path(), club));
    EXPECT_TRUE(BankSearch::of(state).indexPath().startsWith(QDir(dir.path()).filePath(u"Recherche/Club.mdb-"_s)));
}

TEST_F(SearchTest, AStoppedBuildFindsNothingAndADamagedIndexIsMadeAgain)
{
    dialogs.cancelProgressAt = 0;
    QString why;
    EXPECT_FALSE(BankSearch::of(state).find(u"meteo"_s, BankSearch::kResultLimit, &why));
    EXPECT_EQ(why, u"La préparation de la recherche a été interrompue : rien n'a été cherché."_s);
    dialogs.cancelProgressAt.reset();
    EXPECT_EQ(found(u"meteo"_s), QStringList{u"1.1"_s});

    // Another copy of the program sees a damaged file.
    const QString index = BankSearch::besideBank(bankPath);
    writeFile(index, QByteArray(8192, 'x'));
    QCMBas again(dialogs, dir.path());
    again.readSettings();
    ASSERT_TRUE(again.BindDatabase());
    const auto hits = BankSearch::of(again).find(u"meteo"_s);
    ASSERT_TRUE(hits);
    EXPECT_EQ(hits->size(), 1);
}

TEST_F(SearchTest, ComposerKeysCoverEveryMatchAndTypedTextIsNeverQuerySyntax)
{
    const auto found = BankSearch::of(state).matching(u"THERM"_s);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->size(), 2);
    EXPECT_TRUE(found->contains(u"1", 2));
    EXPECT_TRUE(found->contains(u"2", 2));
    EXPECT_FALSE(found->contains(u"1", 1));
    for (const QString &typed : {u"\"), (NEAR OR"_s, u"foehn AND"_s, u"*"_s, u"{libelle}:x"_s}) {
        QString why;
        EXPECT_TRUE(BankSearch::of(state).matching(typed, &why)) << why.toStdString();
    }
    EXPECT_EQ(BankSearch::of(state).matching(u"foehn AND"_s)->size(), 0) << "every word is required";
}

} // namespace
