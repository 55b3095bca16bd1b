#include "editor/EditorRules.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

using namespace qcm;
using namespace Qt::StringLiterals;

namespace {

// Choices A to D with points 3, 3, 0, 0, the first speciality ticked: a valid question.
EditorEntry valid()
{
    EditorEntry e;
    e.txt = {"1", "Météo", "7", "Énoncé", "A", "3", "B", "3", "C", "0", "D", "0", "", "", "", ""};
    e.specialities[0] = true;
    return e;
}

using Box = test::ScriptedDialogs::Box;

Box asBox(const BoxRequest &b)
{
    return {b.message, b.icon, b.title, b.caption0, b.caption1, b.caption2, b.alignment};
}

const QString kPointsBeside
    = "Il faut mettre des points au regard de chaque choix et limiter le total positif à 6 points.";
const QString kAnswerBeside
    = "Il faut mettre une réponse possible au regard de chaque choix ou un nombre de points est "
      "indiqué et limiter le total positif à 6 points.";
const QString kNumber = "Le numéro de la question doit être un nombre entier de 1 à 2147483647.";

TEST(EditorRules, EachBrokenRuleSaysWhyAndNamesTheFieldToCorrect)
{
    const Box missing{"Saisie obligatoire !", 2, "Attention"}, number{kNumber, 2, "Erreur de saisie"},
        range{"Les points vont de -6 à 6 !", 2, "Erreur de saisie"};
    const struct {
        const char *name;
        std::function<void(EditorEntry &)> change;
        Box box;
        int focus;
    } cases[] = {
        {"code", [](EditorEntry &e) { e.txt[0].clear(); }, missing, 0},
        {"number", [](EditorEntry &e) { e.txt[2].clear(); }, missing, 2},
        {"statement", [](EditorEntry &e) { e.txt[3].clear(); }, missing, 3},
        {"points of B", [](EditorEntry &e) { e.txt[7].clear(); }, missing, 7},
        {"first empty wins", [](EditorEntry &e) { e.txt[6].clear(), e.txt[4].clear(); }, missing, 4},
        {"a NUL in the statement", [](EditorEntry &e) { e.txt[3] = u"Énon\u0000cé"_s; },
            {"Le champ « Libellé » contient un caractère de contrôle invisible (code 0) qui ne peut pas être "
             "enregistré.\r\nEffacez-le, puis enregistrez de nouveau la question.",
                2, "Erreur de saisie"},
            3},
        {"an escape in choice C", [](EditorEntry &e) { e.txt[8] = u"C\tet\r\nsuite\u001b"_s; },
            {"Le champ « Choix C » contient un caractère de contrôle invisible (code 27) qui ne peut pas être "
             "enregistré.\r\nEffacez-le, puis enregistrez de nouveau la question.",
                2, "Erreur de saisie"},
            8},
        {"number 0", [](EditorEntry &e) { e.txt[2] = "0"; }, number, 2},
        {"number -3", [](EditorEntry &e) { e.txt[2] = "-3"; }, number, 2},
        {"beyond 32 bits", [](EditorEntry &e) { e.txt[2] = "2147483648"; }, number, 2},
        {"beyond 64 bits", [](EditorEntry &e) { e.txt[2] = "99999999999999999999999"; }, number, 2},
        {"text without points", [](EditorEntry &e) { e.txt[12] = "E"; }, {kPointsBeside, 2, "Erreur de saisie"}, 13},
        {"points without text", [](EditorEntry &e) { e.txt[8].clear(), e.txt[9] = "2"; },
            {kAnswerBeside, 2, "Erreur de saisie"}, 8},
        {"\"-0\" is no lone 0", [](EditorEntry &e) { e.txt[13] = "-0"; }, {kAnswerBeside, 2, "Erreur de saisie"}, 12},
        {"points beyond 6", [](EditorEntry &e) { e.txt[9] = "-7"; }, range, 9},
        {"points beyond 6, signed", [](EditorEntry &e) { e.txt[7] = "+7"; }, range, 7},
        {"a lone minus sign", [](EditorEntry &e) { e.txt[11] = "-"; }, range, 11},
        {"no speciality", [](EditorEntry &e) { e.specialities[0] = false; },
            {"Vous devez cocher au moins une spécialité !", 2, "Saisie incomplète !"}, -1},
        {"total of 5", [](EditorEntry &e) { e.txt[7] = "2"; },
            {"Il faut vérifier la saisie, le compte de points est erroné (5) !\r\nIl faut toujours 6 points par "
             "question.",
                6, "Attention ! Erreur dans les points", "OK"},
            -1},
    };
    for (const auto &c : cases) {
        EditorEntry e = valid();
        c.change(e);
        const auto refusal = saveRefusal(e);
        ASSERT_TRUE(refusal) << c.name;
        EXPECT_EQ(asBox(refusal->box), c.box) << c.name;
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

// Each limit itself is accepted: the highest number, the sixth speciality
// alone, points of 6 written with a sign.
TEST(EditorRules, TheLimitsThemselvesPass)
{
    EditorEntry e = valid();
    e.txt[2] = "2147483647";
    e.specialities = {false, false, false, false, false, true};
    e.txt[5] = "+6", e.txt[7] = "-6";
    EXPECT_FALSE(saveRefusal(e));
    const Question q = questionFromEntry(e);
    EXPECT_EQ(q.numero, 2147483647);
    EXPECT_EQ(q.flags, (std::array<int, 6>{0, 0, 0, 0, 0, 1}));
}

TEST(EditorRules, PointsLeftOutOfRangeAreRefused)
{
    for (const char *text : {"7", "+7", "-7", "99999999999999999999"})
        EXPECT_TRUE(pointsRangeRefusal(text)) << text;
    for (const char *text : {"6", "-6", "0", "-", ""})
        EXPECT_FALSE(pointsRangeRefusal(text)) << text;
    EXPECT_EQ(asBox(pointsRangeRefusal("9")->box), Box("Les points vont de -6 à 6 !", 2, "Erreur de saisie"));
}

} // namespace
