#include "composer/ComposerRules.h"

#include <gtest/gtest.h>

#include <random>

using namespace qcm;

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
    const QString all = QStringLiteral("Donnez un nom au QCM, datez le et enregistrez !");
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
    const QString r = QStringLiteral("Enregistrez !");
    auto expectLine = [&](qint64 n, const QString &text, std::optional<Rgb> colour, bool beep) {
        const StatusLine line = statusLine(n, r);
        EXPECT_EQ(line.text, text) << n;
        EXPECT_EQ(line.colour, colour) << n;
        EXPECT_EQ(line.beep, beep) << n;
    };
    expectLine(0, QStringLiteral("Sélectionnez 60 questions. Enregistrez !"), std::nullopt, false);
    expectLine(1, QStringLiteral("Sélectionnez encore 59 questions. Enregistrez !"), orange, false);
    expectLine(58, QStringLiteral("Sélectionnez encore 2 questions. Enregistrez !"), orange, false);
    expectLine(59, QStringLiteral("Sélectionnez la dernière question. Enregistrez !"), orange, false);
    expectLine(60, QStringLiteral("Le QCM est complet. Enregistrez !"), Rgb{0, 255, 0}, true);
    expectLine(61, QStringLiteral("P a s    p l u s    d e    6 0    q u e s t i o n s   !"), std::nullopt, true);
    expectLine(20000, QStringLiteral("P a s    p l u s    d e    6 0    q u e s t i o n s   !"), std::nullopt, true);
}

TEST(ComposerRules, CandidateLinesReadBackWhateverTheStatementHolds)
{
    const QString statement = QStringLiteral("Le vol - en \"biplace\" / l'été ?");
    const QString line = candidateLine(QStringLiteral("3"), numeroText(qint64(12)), statement);
    EXPECT_EQ(line, QStringLiteral("3/12- ") + statement);
    const CandidateKey key = parseCandidateLine(line);
    EXPECT_EQ(key.code, QStringLiteral("3"));
    EXPECT_EQ(key.numero, QStringLiteral("12"));
    EXPECT_EQ(key.statement, statement);
    EXPECT_EQ(numeroText(QVariant(12.0)), QStringLiteral("12"));
    EXPECT_EQ(numeroText(QVariant()), QString());
    EXPECT_EQ(parseCandidateLine(QStringLiteral("sans barre")).code, QString());
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
    const QString date = QStringLiteral("06/12/2026");
    auto refusal = [](const SaveDecision &d) { return d.refusal ? d.refusal->box.message : QString(); };

    EXPECT_EQ(refusal(checkSave({QStringLiteral("  "), QStringLiteral("31/02/2025"), {}, {}, false})),
        QStringLiteral("Le nom du QCM est obligatoire !"));
    const SaveDecision badDate = checkSave({QStringLiteral("A"), QStringLiteral("31/02/2025"), {}, {}, false});
    EXPECT_EQ(badDate.refusal->box.message, QStringLiteral("La date du QCM est obligatoire !"));
    EXPECT_EQ(badDate.refusal->box.title, QStringLiteral("Attention !"));
    EXPECT_EQ(badDate.refusal->focus, SaveFocus::Date);
    EXPECT_EQ(refusal(checkSave({QStringLiteral("A"), date, {}, {}, false})),
        QStringLiteral("Une spécialité au moins doit être choisie."));
    for (const QString &title : {placeholderTitle(), QStringLiteral(" ")}) {
        const SaveDecision d = checkSave({QStringLiteral("A"), date, two, title, true});
        EXPECT_EQ(d.refusal->box.title, QStringLiteral("Attention ! Saisie incomplète.")) << title.toStdString();
        EXPECT_EQ(d.refusal->focus, SaveFocus::Title);
    }
    EXPECT_EQ(checkSave({QStringLiteral("A"), date, two, questionnaireTitles()[0], true}).title,
        QStringLiteral("Brevet A de Vol Libre - Parapente"));
    EXPECT_EQ(refusal(checkSave({QStringLiteral("A"), date, two, questionnaireTitles()[0], false})),
        QStringLiteral("Il faut au moins une question pour enregistrer un QCM."));

    // One box: the field as given, else the box's short title.
    EXPECT_EQ(
        checkSave({QStringLiteral(" A "), date, paragliding, {}, true}).title, QStringLiteral("Brevet B de parapente"));
    EXPECT_EQ(checkSave({QStringLiteral("A"), date, paragliding, placeholderTitle(), true}).title,
        QStringLiteral("Brevet B de parapente"));
    EXPECT_EQ(checkSave({QStringLiteral("A"), date, paragliding, titleAfterMouse(paragliding), true}).title,
        QStringLiteral("Brevet B de Vol Libre - Parapente"));
    EXPECT_EQ(titleAfterKey(paragliding), QString());
    EXPECT_EQ(titleAfterMouse(two), placeholderTitle());
}

} // namespace
