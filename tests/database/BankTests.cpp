#include "database/BankText.h"
#include "support/Fixtures.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace qcm;
using namespace Qt::StringLiterals;

TEST(SampleBank, EveryQuestionObeysThePointsRulesAndEverySpecialityHasSixty)
{
    const BankContent bank = test::sampleBank();
    ASSERT_GE(bank.domains.size(), 8);
    for (int code = 1; code <= 8; ++code)
        EXPECT_EQ(bank.domains.at(code - 1).code, QString::number(code));
    ASSERT_GE(bank.questions.size(), 120);

    std::array<int, kSpecialityCount> perSpeciality{};
    QSet<QString> domainsUsed;
    for (const Question &q : bank.questions) {
        EXPECT_EQ(pointsRuleViolation(q), QString()) << q.code.toStdString() << "." << q.numero;
        EXPECT_FALSE(q.libelle.trimmed().isEmpty());
        domainsUsed.insert(q.code);
        for (int s = 0; s < kSpecialityCount; ++s)
            perSpeciality[size_t(s)] += q.flags[size_t(s)];
    }
    EXPECT_EQ(domainsUsed.size(), bank.domains.size()) << "no domain is empty";
    EXPECT_GE(perSpeciality[0], 70);
    EXPECT_GE(perSpeciality[3], 65);
    for (int n : perSpeciality)
        EXPECT_GE(n, 60) << "a random questionnaire of 60 can be drawn for each speciality";
}

TEST(PointsRules, EachRuleIsCaught)
{
    EXPECT_EQ(pointsRuleViolation(test::makeQuestion("1", 1, "q", {3, 3, 0})), QString());
    EXPECT_EQ(
        pointsRuleViolation(test::makeQuestion("1", 1, "q", {4, 1})), u"Il faut toujours 6 points par question."_s);
    EXPECT_EQ(pointsRuleViolation(test::makeQuestion("1", 1, "q", {7, -1})), u"Les points vont de -6 à 6 !"_s);
    Question noPoints = test::makeQuestion("1", 1, "q", {6, 0});
    noPoints.val[1].reset();
    EXPECT_FALSE(pointsRuleViolation(noPoints).isEmpty());
    Question noText = test::makeQuestion("1", 1, "q", {6, 0});
    noText.lib[1].clear();
    EXPECT_FALSE(pointsRuleViolation(noText).isEmpty());
}

TEST(BankTextFormat, NamesTheFaultyLine)
{
    BankContent bank;
    QString error;
    EXPECT_FALSE(parseBankText(u"DOMAINE 1 | Météo\nQUESTION 1 | Deltaplane\nÉnoncé\n"_s, bank, &error));
    EXPECT_TRUE(error.startsWith(u"ligne 2"_s)) << error.toStdString();
    EXPECT_FALSE(parseBankText(u"DOMAINE 1 | Météo\nQUESTION 1 | DeltaSolo\nÉnoncé\nB | 6 | x\n"_s, bank, &error));
    EXPECT_TRUE(error.startsWith(u"ligne 4"_s));
    EXPECT_TRUE(parseBankText(u"# commentaire\nDOMAINE 1 | Météo\n\nQUESTION 1 | DeltaSolo DeltaBi\n"
                              "Énoncé avec \" et '\nA | 6 | oui\nB | -2 | non\n"_s,
        bank, &error));
    ASSERT_EQ(bank.questions.size(), 1);
    EXPECT_EQ(bank.questions[0].libelle, u"Énoncé avec \" et '"_s);
    EXPECT_EQ(bank.questions[0].flags[4], 1);
}

TEST(BankTextFormat, RefusesWhatTheDatabaseWouldRefuseNamingBothLines)
{
    const QString question = u"QUESTION 1 | DeltaSolo\nÉnoncé\nA | 6 | oui\n"_s;
    const struct {
        QString text;
        QString error;
    } cases[] = {
        {u"DOMAINE 1 | Météo\n"_s + question + u"DOMAINE 1 | Encore\n"_s,
            u"ligne 5 : le domaine « 1 » est déjà déclaré ligne 1 (les codes ne distinguent pas "
            "majuscules et minuscules)."_s},
        {u"DOMAINE a | Air\n"_s + question + u"DOMAINE A | Autre air\n"_s + question,
            u"ligne 5 : le domaine « A » est déjà déclaré ligne 1 (les codes ne distinguent pas "
            "majuscules et minuscules)."_s},
        {u"DOMAINE 1 | Météo\n"_s + question + question, u"ligne 5 : la question 1.1 existe déjà (ligne 2)."_s},
    };
    for (const auto &c : cases) {
        BankContent bank;
        QString error;
        EXPECT_FALSE(parseBankText(c.text, bank, &error)) << c.text.toStdString();
        EXPECT_EQ(error, c.error);
    }
}
