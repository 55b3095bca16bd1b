#include "composer/ComposerRules.h"

#include <gtest/gtest.h>

#include <random>

using namespace qcm;
using namespace Qt::StringLiterals;

namespace {

TEST(ComposerRules, DatesAreRealCalendarDatesTypedDayFirst)
{
    for (const char *good : {"06/12/2026", "29/02/2024", "31/12/1999"})
        EXPECT_TRUE(isValidDate(QString::fromLatin1(good))) << good;
    for (const char *bad : {"31/02/2025", "29/02/2025", "00/01/2026", "12/13/2026", "6/12/2026", "06-12-2026",
             "06/12/26", "06/12/2026 ", "", "aa/bb/cccc"})
        EXPECT_FALSE(isValidDate(QString::fromLatin1(bad))) << bad;
}

TEST(ComposerRules, TheStatusCountsDownToSixtyWithItsReminder)
{
    const QString all = u"Donnez un nom au QCM, datez le et enregistrez !"_s;
    const struct {
        const char *name, *date;
        bool modified;
        QString reminder;
    } reminders[] = {{"", "", true, all}, {"   ", "", true, all}, {"Examen", "", false, "Datez-le et enregistrez !"},
        {"", "06/12/2026", false, "Donnez un nom au QCM et enregistrez !"},
        {"Examen", "06/12/2026", true, "Enregistrez !"}, {"Examen", "06/12/2026", false, {}},
        {"Examen", "31/02/2025", true, {}} /* not a date: no reminder */, {"", "06/12", true, {}}};
    for (const auto &c : reminders)
        EXPECT_EQ(reminderText(c.name, c.date, c.modified), c.reminder) << c.name << " " << c.date;

    const Rgb orange{255, 192, 128};
    const QString r = u"Enregistrez !"_s;
    auto expectLine = [&](qint64 n, const QString &text, std::optional<Rgb> colour, bool beep) {
        const StatusLine line = statusLine(n, r);
        EXPECT_EQ(line.text, text) << n;
        EXPECT_EQ(line.colour, colour) << n;
        EXPECT_EQ(line.beep, beep) << n;
    };
    expectLine(0, u"Sélectionnez 60 questions. Enregistrez !"_s, std::nullopt, false);
    expectLine(1, u"Sélectionnez encore 59 questions. Enregistrez !"_s, orange, false);
    expectLine(58, u"Sélectionnez encore 2 questions. Enregistrez !"_s, orange, false);
    expectLine(59, u"Sélectionnez la dernière question. Enregistrez !"_s, orange, false);
    expectLine(60, u"Le QCM est complet. Enregistrez !"_s, Rgb{0, 255, 0}, true);
    expectLine(61, u"P a s    p l u s    d e    6 0    q u e s t i o n s   !"_s, std::nullopt, true);
    expectLine(20000, u"P a s    p l u s    d e    6 0    q u e s t i o n s   !"_s, std::nullopt, true);
}

TEST(ComposerRules, CandidateLinesReadBackWhateverTheStatementHolds)
{
    const QString statement = u"Le vol - en \"biplace\" / l'été ?"_s;
    const QString line = candidateLine(u"3"_s, numeroText(qint64(12)), statement);
    EXPECT_EQ(line, u"3/12- "_s + statement);
    const CandidateKey key = parseCandidateLine(line);
    EXPECT_EQ(key.code, u"3"_s);
    EXPECT_EQ(key.numero, u"12"_s);
    EXPECT_EQ(key.statement, statement);
    EXPECT_EQ(numeroText(QVariant(12.0)), u"12"_s);
    EXPECT_EQ(numeroText(QVariant()), QString());
    EXPECT_EQ(parseCandidateLine(u"sans barre"_s).code, QString());
}

TEST(ComposerRules, EachDrawIsUniformOverTheWholeListAndRepeatsAreDrawnAgain)
{
    std::vector<double> script{0.0, 0.0, 0.999999, 0.5};
    size_t next = 0;
    const std::vector<qint64> drawn = drawDistinctPositions(200, 3, [&] { return script.at(next++); });
    EXPECT_EQ(drawn, (std::vector<qint64>{0, 199, 100})) << "the first and the last entry can be drawn";
}

TEST(ComposerRules, OverManyDrawsEveryEntryIsPickedAboutAsOftenAsAnother)
{
    std::mt19937_64 engine(2026);
    auto rnd = [&] { return double(engine() >> 11) * 0x1.0p-53; };
    std::vector<int> hits(200, 0);
    const int runs = 2000;
    for (int run = 0; run < runs; ++run) {
        const std::vector<qint64> drawn = drawDistinctPositions(200, 60, rnd);
        ASSERT_EQ(drawn.size(), 60u);
        std::vector<qint64> sorted = drawn;
        std::sort(sorted.begin(), sorted.end());
        ASSERT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << "60 distinct positions";
        for (qint64 p : drawn)
            ++hits[size_t(p)];
    }
    // 600 expected each (standard deviation about 20): loosely even.
    const auto [low, high] = std::minmax_element(hits.begin(), hits.end());
    EXPECT_GT(*low, 450);
    EXPECT_LT(*high, 750);

    // Exactly as many entries as wanted: all of them.
    std::vector<qint64> all = drawDistinctPositions(60, 60, rnd);
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all.front(), 0);
    EXPECT_EQ(all.back(), 59);
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
}

TEST(ComposerRules, SaveChecksComeInOrderAndTheTitleFollowsTheBoxes)
{
    const SpecialityTicks paragliding{true, false, false, false, false, false};
    const SpecialityTicks two{true, false, false, true, false, false};
    const QString date = u"06/12/2026"_s;
    auto refusal = [](const SaveDecision &d) { return d.refusal ? d.refusal->box.message : QString(); };

    EXPECT_EQ(refusal(checkSave({u"  "_s, u"31/02/2025"_s, {}, {}, false})), u"Le nom du QCM est obligatoire !"_s);
    EXPECT_TRUE(
        refusal(checkSave({newQuestionnaireEntry(), date, paragliding, {}, false})).startsWith(u"Ce nom est réservé"_s))
        << "it could never be opened again";
    const SaveDecision badDate = checkSave({u"A"_s, u"31/02/2025"_s, {}, {}, false});
    EXPECT_EQ(badDate.refusal->box.message, u"La date du QCM est obligatoire !"_s);
    EXPECT_EQ(badDate.refusal->box.title, u"Attention !"_s);
    EXPECT_EQ(badDate.refusal->focus, SaveFocus::Date);
    EXPECT_EQ(refusal(checkSave({u"A"_s, date, {}, {}, false})), u"Une spécialité au moins doit être choisie."_s);
    for (const QString &title : {placeholderTitle(), u" "_s}) {
        const SaveDecision d = checkSave({u"A"_s, date, two, title, true});
        EXPECT_EQ(d.refusal->box.title, u"Attention ! Saisie incomplète."_s) << title.toStdString();
        EXPECT_EQ(d.refusal->focus, SaveFocus::Title);
    }
    EXPECT_EQ(
        checkSave({u"A"_s, date, two, questionnaireTitles()[0], true}).title, u"Brevet A de Vol Libre - Parapente"_s);
    EXPECT_EQ(refusal(checkSave({u"A"_s, date, two, questionnaireTitles()[0], false})),
        u"Il faut au moins une question pour enregistrer un QCM."_s);

    // One box: the field as given, else the box's short title.
    EXPECT_EQ(checkSave({u" A "_s, date, paragliding, {}, true}).title, u"Brevet B de parapente"_s);
    EXPECT_EQ(checkSave({u"A"_s, date, paragliding, placeholderTitle(), true}).title, u"Brevet B de parapente"_s);
    EXPECT_EQ(checkSave({u"A"_s, date, paragliding, titleAfterMouse(paragliding), true}).title,
        u"Brevet B de Vol Libre - Parapente"_s);
    EXPECT_EQ(titleAfterKey(paragliding), QString());
    EXPECT_EQ(titleAfterMouse(two), placeholderTitle());
}

} // namespace
