#include "EditorFixture.h"

using namespace qcm;
using namespace qcm::test;

namespace {

const QString kQuestion2Of3 = "SELECT lib4, Val4, Val3, ParapenteSolo, ParapenteBi FROM Questions WHERE Code = '1' AND "
                              "Numero = 3";

TEST_F(EditorTest, SavingStoresTheQuestionAsTypedAndMovesToABlankNextNumber)
{
    open();
    pick(0);
    typeQuestion("3", {"3", "2", "1", "0"});
    state.QuestionModified = true;
    const StoreQuery before = state.datQue.recordSource();
    ASSERT_TRUE(editor.SaveQuestion());

    // An empty choice is an empty text without points.
    EXPECT_EQ(value(kQuestion2Of3), "|NULL|0|1|0");
    EXPECT_EQ(view.fields[2], "4");
    EXPECT_TRUE(view.fields[3].isEmpty());
    EXPECT_FALSE(state.QuestionModified);
    EXPECT_EQ(state.datQue.recordSource(), before);

    // The same number again replaces the row, never adds one.
    typeQuestion("3", {"6", "0"});
    view.fields[3] = "Nouvel énoncé";
    ASSERT_TRUE(editor.SaveQuestion());
    EXPECT_EQ(value("SELECT count(*) FROM Questions"), "8");
    EXPECT_EQ(value("SELECT \"Libellé\" FROM Questions WHERE Code = '1' AND Numero = 3"), "Nouvel énoncé");
}

TEST_F(EditorTest, ARefusedSaveShowsWhyAndLeavesTheFileAsItWas)
{
    open();
    pick(0);
    typeQuestion("3", {"3", "2"});
    state.CloseDatabases();
    const QByteArray bytes = fileBytes(path);
    ASSERT_TRUE(state.BindDatabase());
    dialogs.boxAnswers = {0, 0};
    EXPECT_FALSE(editor.SaveQuestion());
    view.fields[7].clear();
    EXPECT_FALSE(editor.SaveQuestion());
    EXPECT_EQ(dialogs.boxes[0],
        (Box{"Il faut vérifier la saisie, le compte de points est erroné (5) !\r\nIl faut toujours 6 points par "
             "question.",
            6, "Attention ! Erreur dans les points", "OK"}));
    EXPECT_EQ(dialogs.boxes[1], (Box{"Saisie obligatoire !", 2, "Attention"}));
    EXPECT_EQ(view.focus, 7);
    state.CloseDatabases();
    EXPECT_EQ(fileBytes(path), bytes);
}

TEST_F(EditorTest, NumbersFollowTheHighestOfTheDomainAcrossGaps)
{
    open();
    pick(1);
    EXPECT_EQ(view.fields[2], "6") << "2.1, 2.2 and 2.5 exist";
    typeQuestion("8", {"6", "0"});
    ASSERT_TRUE(editor.SaveQuestion());
    EXPECT_EQ(editor.NextQuestionNumber(), "9");

    // Deleting a question leaves its number free and the next number as it
    // was; a number with no question cannot be deleted, "Conserver" keeps it.
    view.fields[2] = "5";
    dialogs.boxAnswers = {1, 0, 0};
    editor.DeleteQuestion();
    editor.DeleteQuestion();
    view.fields[2] = "6";
    editor.DeleteQuestion();
    const Box ask{"Supprimer  cette question ?", 3, "Attention", "Supprimer", "Conserver"};
    EXPECT_EQ(dialogs.boxes,
        (QList<Box>{ask, ask, {"Pas de question sélectionnée. Suppression impossible.", 6, "Attention !"}}));
    EXPECT_EQ(value("SELECT count(*) FROM Questions WHERE Code = '2' AND Numero = 5"), "0");
    EXPECT_EQ(view.fields[2], "6");
    EXPECT_EQ(editor.NextQuestionNumber(), "9");

    // ">" from the last question goes to the free number, blank, and stays there.
    view.fields[2] = "8";
    editor.LoadQuestionIntoEditor();
    EXPECT_EQ(view.fields[4], "Choix A");
    editor.NextQuestion();
    EXPECT_EQ(view.fields[2], "9");
    EXPECT_TRUE(view.fields[4].isEmpty());
    editor.NextQuestion();
    EXPECT_EQ(view.fields[2], "9");
    // A free number in between shows a blank question; "<" stops at 1.
    view.fields[2] = "4";
    editor.PreviousQuestion();
    EXPECT_EQ(view.fields[2], "3");
    EXPECT_TRUE(view.fields[3].isEmpty());
    view.fields[2] = "1";
    dialogs.boxAnswers = {0};
    editor.PreviousQuestion();
    EXPECT_EQ(dialogs.boxes.last(), (Box{"On est à la première question !", 0, ""}));
    EXPECT_EQ(view.fields[2], "1");
    EXPECT_TRUE(view.fields[3].isEmpty()) << "nothing moves";
}

TEST_F(EditorTest, KeepTheseDataKeepsTheSpecialityBoxesForTheNextQuestions)
{
    open();
    view.boxes[2] = view.boxes[kKeepSpecialitiesBox] = true;
    view.fields[3] = "un énoncé";
    pick(2);
    EXPECT_TRUE(view.boxes[2]);
    EXPECT_TRUE(view.fields[3].isEmpty());
    view.boxes[kKeepSpecialitiesBox] = false;
    pick(0);
    EXPECT_FALSE(view.boxes[2]);
}

TEST_F(EditorTest, DomainsAreAddedRenamedOnlyOnOuiAndRefilledEverywhere)
{
    open();
    int runnerRefills = 0;
    QObject::connect(&state, &QCMBas::fillDomainListRequested, [&] { ++runnerRefills; });
    view.fields[0] = "4";
    dialogs.boxAnswers = {0};
    editor.SaveDomain();
    EXPECT_EQ(dialogs.boxes[0], (Box{"Saisie obligatoire !", 2, "Attention"}));
    EXPECT_EQ(view.focus, 1);
    view.fields[1] = "Vol";
    editor.SaveDomain();
    EXPECT_EQ(view.list.size(), 5);
    EXPECT_TRUE(view.fields[0].isEmpty() && view.fields[1].isEmpty());
    EXPECT_EQ(view.focus, 0);
    EXPECT_EQ(runnerRefills, 1);

    const Box exists{"Ce domaine existe déjà. Le modifier ?", 9, "Attention", "Oui", "Non"};
    for (int answer : {1, 0}) {
        view.fields[0] = "2";
        view.fields[1] = answer == 0 ? "Pilotage avancé" : "Refusé";
        dialogs.boxAnswers = {answer};
        editor.SaveDomain();
        EXPECT_EQ(dialogs.boxes.last(), exists);
    }
    EXPECT_EQ(queryRows(path, "SELECT \"Libellé\" FROM Domaines WHERE Code = '2'"), QStringList{"Pilotage avancé"});
    EXPECT_EQ(runnerRefills, 2);
}

TEST_F(EditorTest, EachAnswerOfTheDomainDeletionChainDeletesWhatItSays)
{
    struct Branch {
        QList<int> answers;
        bool domainGone, questionsGone;
    };
    const QList<Branch> branches{{{0}, false, false}, {{DialogService::kClosedByCloseBox}, false, false},
        {{1}, true, false}, {{2, 0}, true, false}, {{2, 1, 1}, true, false}, {{2, 1, 0}, true, true}};
    for (const Branch &b : branches) {
        SCOPED_TRACE(::testing::PrintToString(std::vector<int>(b.answers.begin(), b.answers.end())));
        state.CloseDatabases();
        QFile::remove(path);
        open();
        pick(2);
        view.fields[3] = "en cours";
        dialogs.boxes.clear();
        dialogs.boxAnswers = b.answers;
        editor.DeleteDomain();

        EXPECT_EQ(value("SELECT count(*) FROM Domaines WHERE Code = '3'"), b.domainGone ? "0" : "1");
        EXPECT_EQ(value("SELECT count(*) FROM Questions WHERE Code = '3'"), b.questionsGone ? "0" : "2");
        EXPECT_EQ(value("SELECT count(*) FROM Questions WHERE Code <> '3'"), "5");
        EXPECT_EQ(view.fields[3].isEmpty(), b.questionsGone);
        EXPECT_EQ(view.list.size(), b.domainGone ? 3 : 4);
        if (b.answers == QList<int>{2, 1, 0}) {
            EXPECT_EQ(dialogs.boxes,
                (QList<Box>{
                    {"Supprimer le domaine\r\n'Matériel'\r\navec ou sans les questions qui lui sont liées ?", 2,
                        "Attention ! Suppression de domaine", "Annuler", "SANS les questions", "AVEC les questions", 2},
                    {"Attention ! Une fois les questions supprimées, elles ne seront plus récupérables ! Je les "
                     "supprime réellement ?",
                        2, "Attention !", "Non", "Supprimer !"},
                    {"Toutes les questions du domaine n°3 seront supprimées.\r\nSupprimer toutes les questions ?", 3,
                        "Supprimer les questions", "Oui", "Non"}}));
        }
    }
}

TEST_F(EditorTest, BatchMarkingChangesOneFlagOfOneDomainOnly)
{
    open();
    pick(2);
    view.fields[3] = "en cours";
    dialogs.boxAnswers = {0, 0};
    editor.batchMark(2);
    EXPECT_EQ(dialogs.boxes[0],
        (Box{"Cette option permet de cocher ou de décocher cette case pour toutes les questions du domaine "
             "sélectionné.\r\nOn le fait ?",
            9, "Traitement par lot", "Cocher", "Annuler", "Décocher"}));
    EXPECT_EQ(dialogs.boxes[1], (Box{"Opération effectuée.", 0, "Traitement par lot", "OK"}));
    EXPECT_EQ(queryRows(path, "SELECT Code, sum(ParapenteBiHandi), sum(ParapenteSolo) FROM Questions GROUP BY Code"),
        (QStringList{"1|0|2", "2|0|3", "3|2|2"}));
    EXPECT_EQ(state.datQue.recordSource(), Queries::wholeBank());
    EXPECT_EQ(view.selected, 2);
    EXPECT_EQ(view.fields[0], "3");
    EXPECT_EQ(view.fields[3], "en cours") << "the question on view is not reloaded";
    EXPECT_FALSE(view.boxes[2]) << "the box itself is not toggled";

    // Décocher clears it again; Annuler and the close box change nothing.
    dialogs.boxAnswers = {2, 0, 1, 0, DialogService::kClosedByCloseBox, 0};
    editor.batchMark(0);
    editor.batchMark(1);
    editor.batchMark(1);
    EXPECT_EQ(value("SELECT sum(ParapenteSolo) FROM Questions WHERE Code = '3'"), "0");
    EXPECT_EQ(value("SELECT sum(ParapenteBi) FROM Questions"), "0");
    const Box cancelled{"Opération annulée.", 0, "Annulation", "OK"};
    EXPECT_EQ(dialogs.boxes[5], cancelled);
    EXPECT_EQ(dialogs.boxes[7], cancelled);

    // A code with no questions changes nothing and says it is done.
    view.fields[0] = "5";
    dialogs.boxAnswers = {0, 0};
    editor.batchMark(4);
    EXPECT_EQ(dialogs.boxes.last(), (Box{"Opération effectuée.", 0, "Traitement par lot", "OK"}));

    // A domain between two others: neither neighbour changes.
    pick(1);
    dialogs.boxAnswers = {0, 0};
    editor.batchMark(5);
    EXPECT_EQ(queryRows(path, "SELECT Code, sum(DeltaBiHandi) FROM Questions GROUP BY Code"),
        (QStringList{"1|0", "2|3", "3|0"}));
}

// Each change of several rows fails half way through: the file stays as it was.
TEST_F(EditorTest, AFailedWriteInAMultiRowChangeLeavesTheFileUnchanged)
{
    open();
    ASSERT_TRUE(state.connection()->db().exec(
        "CREATE TRIGGER panne BEFORE UPDATE ON Questions WHEN NEW.Numero = 2 BEGIN SELECT RAISE(ABORT, 'panne'); END;"
        "CREATE TRIGGER panne2 BEFORE DELETE ON Domaines BEGIN SELECT RAISE(ABORT, 'panne'); END"));
    const QByteArray bytes = fileBytes(path);
    pick(2);
    view.fields[3] = "en cours";
    dialogs.boxAnswers = {0, 0, 2, 1, 0, 0};
    editor.batchMark(3);
    editor.DeleteDomain();
    EXPECT_TRUE(dialogs.boxes.value(1).message.startsWith(
        "Aucune question n'a été modifiée : la base de données n'a pas pu être modifiée.\r\n\r\nErreur 3022 panne"));
    EXPECT_EQ(dialogs.boxes.value(1).icon, 6);
    EXPECT_TRUE(dialogs.boxes.value(5).message.startsWith("Rien n'a été supprimé"));
    EXPECT_EQ(dialogs.boxes.value(5).icon, 6);
    EXPECT_EQ(view.fields[3], "en cours");
    EXPECT_EQ(view.list.size(), 4);
    state.CloseDatabases();
    EXPECT_EQ(fileBytes(path), bytes);
}

TEST_F(EditorTest, ClosingHandsTheDomainByItsCodeAndTheQuestionByItsPositionBack)
{
    open({{{"1", "Météo"}, {"2", "Pilotage"}, {"4", "Matériel"}},
        {makeQuestion("1", 1, "Un", {6}), makeQuestion("4", 7, "Sept", {6}), makeQuestion("4", 1, "Un", {6}),
            makeQuestion("4", 3, "Trois", {6})}});
    QList<qint64> selected, shown;
    QObject::connect(&state, &QCMBas::runnerDomainSelectRequested, [&](int p) { selected.append(p); });
    QObject::connect(&state, &QCMBas::runnerQuestionRequested, [&](qint64 i) { shown.append(i); });

    view.selected = 2;
    view.fields[0] = "4";
    view.fields[2] = "7";
    state.QuestionCount = 1;
    editor.handBack();
    EXPECT_EQ(selected, (QList<qint64>{2})) << "domain 4 stands at position 2";
    EXPECT_EQ(shown, (QList<qint64>{2})) << "question 7 is the third of the domain";
    EXPECT_EQ(state.QuestionCount, 3);
    EXPECT_TRUE(state.EditorQuestionNumber.isEmpty());

    // A free number goes back to the question before it; no number, to the first.
    for (const auto &[number, index] : std::initializer_list<std::pair<QString, qint64>>{{"5", 1}, {"8", 2}, {"", 0}}) {
        view.fields[2] = number;
        editor.handBack();
        EXPECT_EQ(shown.last(), index) << qPrintable(number);
        EXPECT_EQ(state.CurrentIndex, index);
    }

    // A code that names no listed domain: the practice window starts again on its first.
    int refills = 0;
    QObject::connect(&state, &QCMBas::fillDomainListRequested, [&] { ++refills; });
    view.fields[0] = "3";
    editor.handBack();
    EXPECT_EQ(refills, 1);
    EXPECT_EQ(selected.size(), 4);
}

// Another program deletes the bank or puts a new file in its place while the
// editor is open: saving says so, not "read-only", and offers to open it again.
TEST_F(EditorTest, ABankReplacedOrDeletedWhileOpenIsSaidSoAndOpenedAgain)
{
    open();
    pick(0);
    QTemporaryDir other;
    const QString replacement = makeBank(other, "Remplaçante.zov", {{{"1", "Météo"}, {"7", "Nouveau"}}, {}});
    ASSERT_EQ(std::rename(QFile::encodeName(replacement).constData(), QFile::encodeName(path).constData()), 0);
    typeQuestion("3", {"6", "-2"});
    dialogs.boxAnswers = {0, 0};
    EXPECT_FALSE(editor.SaveQuestion());
    ASSERT_EQ(dialogs.boxes.size(), 2);
    EXPECT_TRUE(dialogs.boxes[0].message.contains(
        "Le fichier de la base de données a été supprimé ou remplacé par un autre programme depuis son ouverture"))
        << dialogs.boxes[0].message.toStdString();
    EXPECT_EQ(dialogs.boxes[1],
        Box("Le fichier de la base de données\r\n" + path
                + "\r\na été remplacé par un autre programme depuis son ouverture : plus rien ne peut y être "
                  "enregistré.\r\nVoulez-vous ouvrir le fichier qui porte maintenant ce nom ?",
            2, "Base remplacée", "Ouvrir", "Plus tard", {}, 2));
    EXPECT_EQ(view.list.size(), 2) << "the domains of the file opened again";
    EXPECT_TRUE(editor.SaveQuestion());
    EXPECT_EQ(value("SELECT \"Libellé\" FROM Questions WHERE Code = '1' AND Numero = 3"), "Énoncé 3");

    // Deleted: another bank may be chosen, or none for now.
    ASSERT_TRUE(QFile::remove(path));
    dialogs.boxes.clear();
    dialogs.boxAnswers = {0, 1};
    typeQuestion("4", {"6", "-2"});
    EXPECT_FALSE(editor.SaveQuestion());
    ASSERT_EQ(dialogs.boxes.size(), 2);
    EXPECT_EQ(dialogs.boxes[1].title, "Base supprimée");
    EXPECT_TRUE(dialogs.boxes[1].message.endsWith("Voulez-vous choisir une base de données ?"));
    EXPECT_TRUE(dialogs.openRequests.isEmpty());
}

} // namespace
