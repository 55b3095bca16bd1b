#include "EditorFixture.h"

#include "editor/PointsCheck.h"

using namespace qcm;
using namespace qcm::test;

namespace {

Box introduction()
{
    return {PointsCheckText::introduction(), 0, "Contrôle des incompatibilités", "Oui", "Annuler"};
}
const QString kHowTo = "Pour éditer la question et la modifier, clique sur 'Modifier'. Pour continuer sans modifier "
                       "la question, clique sur 'Annuler'.";

Box finalBox(const QString &message)
{
    return {message, 0, "Contrôle terminé"};
}

Box pointsBox(const QString &message)
{
    return {message, 2, "Erreur de points", "Modifier", "Annuler"};
}

Question withoutText(Question q, int k, std::optional<qint64> points)
{
    q.lib[size_t(k)].clear();
    q.val[size_t(k)] = points;
    return q;
}

class PointsCheckTest : public EditorTest {
protected:
    void openWith(const QList<Question> &questions) { open({{{"1", "Météo"}, {"2", "Pilotage"}}, questions}); }
};

TEST_F(PointsCheckTest, ACleanBankEndsWithBravoAndUselessZerosGoSilently)
{
    openWith({makeQuestion("1", 1, "Trois, trois, zéro", {3, 3, 0}),
        withoutText(makeQuestion("1", 2, "Un 0 inutile", {3, 3, 0}), 2, 0)});
    dialogs.boxAnswers = {0, 0};
    editor.CheckPoints();
    EXPECT_EQ(dialogs.boxes,
        (QList<Box>{introduction(),
            finalBox("Le contrôle des incompatibilités est terminé. Il n'y en avait aucune. Bravo !")}));
    EXPECT_EQ(queryRows(path, "SELECT Val2 FROM Questions ORDER BY Numero"), (QStringList{"0", "NULL"}));
    EXPECT_FALSE(state.CheckInProgress);
    EXPECT_EQ(state.datQue.recordSource(), Queries::wholeBank());
}

TEST_F(PointsCheckTest, PointsWithoutAnswerAnnulerEndsWithoutTheFinalMessage)
{
    openWith({withoutText(makeQuestion("1", 4, "Deux sans texte", {3, 3, 2}), 2, 2)});
    dialogs.boxAnswers = {0, 1};
    editor.CheckPoints();
    EXPECT_EQ(dialogs.boxes.last(), pointsBox("J'ai des points sans réponse à la question 1.4.\r\n\r\n" + kHowTo));
    EXPECT_FALSE(state.CheckInProgress);
    EXPECT_EQ(state.CheckErrorCount, 1);
    EXPECT_EQ(view.fields[9], "2") << "the question is shown with its points";
    EXPECT_EQ(view.fields[1], "Météo");
}

TEST_F(PointsCheckTest, AnswerWithoutPointsModifierStopsOnTheQuestionAndTheCloseBoxGoesOn)
{
    Question q = makeQuestion("2", 3, "Sans points", {3, 2, 1, 0});
    q.val[3].reset();
    openWith({q});
    dialogs.boxAnswers = {0, 0};
    editor.CheckPoints();
    EXPECT_EQ(
        dialogs.boxes.last(), pointsBox("J'ai une réponse sans point à la question 2.3.\r\n\r\n" + kHowTo + "\r\n"));
    EXPECT_TRUE(state.CheckInProgress);
    EXPECT_EQ(view.fields[2], "3");
    EXPECT_EQ(view.fields[10], "Réponse D");

    // Restarted: no introduction; the close box goes on with the next choice.
    dialogs.boxAnswers = {DialogService::kClosedByCloseBox, 0};
    editor.CheckPoints();
    EXPECT_EQ(dialogs.boxes.last(), finalBox("Le contrôle des incompatibilités est terminé. Il y en avait 2."));
    EXPECT_EQ(state.CheckErrorCount, 0);
}

TEST_F(PointsCheckTest, WrongTotalsAreCountedInCodeThenNumberOrder)
{
    openWith({makeQuestion("2", 1, "Cinq", {4, 1}), makeQuestion("1", 10, "Cinq aussi", {3, 2, -1}),
        makeQuestion("1", 2, "Juste", {4, 2, -1, -1})});
    dialogs.boxAnswers = {0, 1, 1, 0};
    editor.CheckPoints();
    const QString total = "Je trouve un total de 5 points. Il faut 6 points positifs par question.\r\n\r\n" + kHowTo;
    EXPECT_EQ(dialogs.boxes,
        (QList<Box>{introduction(), pointsBox("Erreur dans les points de la question 1.10.\r\n" + total),
            pointsBox("Erreur dans les points de la question 2.1.\r\n" + total),
            finalBox("Le contrôle des incompatibilités est terminé. Il y en avait 2.")}));
}

TEST_F(PointsCheckTest, AQuestionCorrectedDuringAStopIsCountedOnce)
{
    openWith({makeQuestion("1", 1, "Juste", {6}), makeQuestion("1", 2, "Cinq", {4, 1})});
    dialogs.boxAnswers = {0, 0};
    editor.CheckPoints();
    view.fields[7] = "2";
    ASSERT_TRUE(editor.SaveQuestion());
    EXPECT_EQ(view.fields[2], "2");

    dialogs.boxAnswers = {0};
    editor.CheckPoints();
    EXPECT_EQ(dialogs.boxes.last(), finalBox("Le contrôle des incompatibilités est terminé. Il y en avait 1."));
    EXPECT_EQ(value("SELECT Val1 FROM Questions WHERE Numero = 2"), "2");
}

TEST_F(PointsCheckTest, AUselessZeroThatCannotBeWrittenStopsTheCheckAndChangesNothing)
{
    openWith({withoutText(makeQuestion("1", 1, "Un 0 inutile", {3, 3, 0}), 2, 0)});
    state.CloseDatabases();
    const QByteArray bytes = fileBytes(path);
    ASSERT_TRUE(state.BindDatabase());
    ASSERT_TRUE(state.connection()->db().exec("PRAGMA query_only = 1"));
    dialogs.boxAnswers = {0, 0};
    editor.CheckPoints();
    EXPECT_TRUE(dialogs.boxes[1].message.startsWith("Les 0 inutiles de la question 1.1 n'ont pas pu être supprimés"));
    EXPECT_EQ(dialogs.boxes[1].icon, 6);
    EXPECT_FALSE(state.CheckInProgress);
    state.CloseDatabases();
    EXPECT_EQ(fileBytes(path), bytes);
}

// Useless zeros on every question: removed together, in one transaction,
// under a progress dialog that can stop the check with the file untouched.
TEST_F(PointsCheckTest, UselessZerosGoInOneTransactionAndAStopLeavesTheFileAsItWas)
{
    QList<Question> questions;
    for (int n = 1; n <= 40; ++n)
        questions.append(withoutText(withoutText(makeQuestion("1", n, "Zéros", {6, -1, 0, 0}), 2, 0), 3, 0));
    openWith(questions);
    state.CloseDatabases();
    const QByteArray before = fileBytes(path);
    ASSERT_TRUE(state.BindDatabase());
    int commits = 0;
    state.connection()->setChangeListener([&commits] { ++commits; });

    dialogs.cancelProgressAt = 20;
    dialogs.boxAnswers = {0, 0};
    editor.CheckPoints();
    EXPECT_EQ(
        dialogs.boxes.last(), Box("Le contrôle des incompatibilités a été arrêté.", 0, "Opération annulée", "OK"));
    EXPECT_FALSE(state.CheckInProgress);
    EXPECT_EQ(commits, 0);
    state.CloseDatabases();
    EXPECT_EQ(fileBytes(path), before);

    ASSERT_TRUE(state.BindDatabase());
    state.connection()->setChangeListener([&commits] { ++commits; });
    dialogs.progressRequests.clear();
    dialogs.boxAnswers = {0, 0};
    editor.CheckPoints();
    EXPECT_EQ(dialogs.boxes.last(),
        finalBox("Le contrôle des incompatibilités est terminé. Il n'y en avait aucune. Bravo !"));
    ASSERT_EQ(dialogs.progressRequests.size(), 1);
    EXPECT_EQ(dialogs.progressRequests[0].maximum, 40);
    EXPECT_TRUE(dialogs.progressRequests[0].cancellable);
    EXPECT_EQ(commits, 1);
    EXPECT_EQ(value("SELECT count(*) FROM Questions WHERE Val2 IS NULL AND Val3 IS NULL AND Val1 = -1"), "40");
    EXPECT_EQ(view.fields[2], "40") << "the editor shows the last question it changed";
    EXPECT_EQ(view.fields[9], "");
}

} // namespace
