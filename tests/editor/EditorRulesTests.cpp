#include "editor/EditorRules.h"

#include <gtest/gtest.h>

using namespace qcm;

namespace {

// Choices A to D with points 3, 3, 0, 0, the first speciality ticked: a valid question.
EditorEntry valid()
{
    EditorEntry e;
    e.txt = {"1", "Météo", "7", "Énoncé", "A", "3", "B", "3", "C", "0", "D", "0", "", "", "", ""};
    e.specialities[0] = true;
    return e;
}

struct Case {
    const char *name;
    std::function<void(EditorEntry &)> change;
    QString message;
    int icon;
    QString title;
    int focus;
};

const QString kPointsBeside
    = "Il faut mettre des points au regard de chaque choix et limiter le total positif à 6 points.";
const QString kAnswerBeside
    = "Il faut mettre une réponse possible au regard de chaque choix ou un nombre de points est "
      "indiqué et limiter le total positif à 6 points.";
const QString kNumber = "Le numéro de la question doit être un nombre entier de 1 à 2147483647.";

TEST(EditorRules, EachBrokenRuleSaysWhyAndNamesTheFieldToCorrect)
{
    const std::vector<Case> cases{
        {"code", [](EditorEntry &e) { e.txt[0].clear(); }, "Saisie obligatoire !", 2, "Attention", 0},
        {"number", [](EditorEntry &e) { e.txt[2].clear(); }, "Saisie obligatoire !", 2, "Attention", 2},
        {"statement", [](EditorEntry &e) { e.txt[3].clear(); }, "Saisie obligatoire !", 2, "Attention", 3},
        {"points of B", [](EditorEntry &e) { e.txt[7].clear(); }, "Saisie obligatoire !", 2, "Attention", 7},
        {"first empty wins", [](EditorEntry &e) { e.txt[6].clear(), e.txt[4].clear(); }, "Saisie obligatoire !", 2,
            "Attention", 4},
        {"number 0", [](EditorEntry &e) { e.txt[2] = "0"; }, kNumber, 2, "Erreur de saisie", 2},
        {"number -3", [](EditorEntry &e) { e.txt[2] = "-3"; }, kNumber, 2, "Erreur de saisie", 2},
        {"beyond 32 bits", [](EditorEntry &e) { e.txt[2] = "2147483648"; }, kNumber, 2, "Erreur de saisie", 2},
        {"beyond 64 bits", [](EditorEntry &e) { e.txt[2] = "99999999999999999999999"; }, kNumber, 2, "Erreur de saisie",
            2},
        {"text without points", [](EditorEntry &e) { e.txt[12] = "E"; }, kPointsBeside, 2, "Erreur de saisie", 13},
        {"points without text", [](EditorEntry &e) { e.txt[8].clear(), e.txt[9] = "2"; }, kAnswerBeside, 2,
            "Erreur de saisie", 8},
        {"\"-0\" is no lone 0", [](EditorEntry &e) { e.txt[13] = "-0"; }, kAnswerBeside, 2, "Erreur de saisie", 12},
        {"points beyond 6", [](EditorEntry &e) { e.txt[9] = "-7"; }, "Les points vont de -6 à 6 !", 2,
            "Erreur de saisie", 9},
        {"a lone minus sign", [](EditorEntry &e) { e.txt[11] = "-"; }, "Les points vont de -6 à 6 !", 2,
            "Erreur de saisie", 11},
        {"no speciality", [](EditorEntry &e) { e.specialities[0] = false; },
            "Vous devez cocher au moins une spécialité !", 2, "Saisie incomplète !", -1},
        {"total of 5", [](EditorEntry &e) { e.txt[7] = "2"; },
            "Il faut vérifier la saisie, le compte de points est erroné (5) !\r\nIl faut toujours 6 points par "
            "question.",
            6, "Attention ! Erreur dans les points", -1},
    };
    for (const Case &c : cases) {
        EditorEntry e = valid();
        c.change(e);
        const auto refusal = saveRefusal(e);
        ASSERT_TRUE(refusal) << c.name;
        EXPECT_EQ(refusal->box.message, c.message) << c.name;
        EXPECT_EQ(refusal->box.icon, c.icon) << c.name;
        EXPECT_EQ(refusal->box.title, c.title) << c.name;
        EXPECT_EQ(refusal->box.caption0, c.icon == 6 ? "OK" : "") << c.name;
        EXPECT_TRUE(refusal->box.caption1.isEmpty() && refusal->box.caption2.isEmpty()) << c.name;
        EXPECT_EQ(refusal->box.alignment, 0) << c.name;
        EXPECT_EQ(refusal->focus, c.focus) << c.name;
    }
}

TEST(EditorRules, NegativePointsAndALoneZeroBesideNoChoicePass)
{
    EditorEntry e = valid();
    e.txt[5] = "4", e.txt[7] = "2", e.txt[9] = "-1", e.txt[11] = "-1";
    e.txt[15] = "0"; // choice F empty
    EXPECT_FALSE(saveRefusal(e));
    EXPECT_EQ(PositivePointsTotal(e), 6);

    const Question q = questionFromEntry(e);
    EXPECT_EQ(q.numero, 7);
    EXPECT_EQ(q.val[3], -1);
    EXPECT_EQ(q.val[4], std::nullopt);
    EXPECT_EQ(q.val[5], 0) << "the lone 0 is stored as typed; the points check removes it";
}

TEST(EditorRules, PointsLeftOutOfRangeAreRefused)
{
    for (const char *text : {"7", "-7", "99999999999999999999"})
        EXPECT_TRUE(pointsRangeRefusal(text)) << text;
    for (const char *text : {"6", "-6", "0", "-", ""})
        EXPECT_FALSE(pointsRangeRefusal(text)) << text;
    EXPECT_EQ(pointsRangeRefusal("9")->box.message, "Les points vont de -6 à 6 !");
}

} // namespace
