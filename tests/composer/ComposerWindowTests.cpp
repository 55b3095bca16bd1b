#include "ComposerFixture.h"

using namespace qcm;
using namespace qcm::test;

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QColor kOrange(255, 192, 128);
const QColor kGreen(0, 255, 0);

TEST_F(ComposerTest, TheListFollowsTheTickedBoxesAndHowTheyWereTicked)
{
    fCreaQCM &c = open();
    EXPECT_EQ(c.windowTitle(), QStringLiteral("Création de QCM"));
    EXPECT_EQ(c.candidates().count(), 0);
    EXPECT_EQ(c.SSTab1()->tabText(0), QStringLiteral("Choix des questions (0)"));
    EXPECT_EQ(c.cmd(4)->text(), QStringLiteral("Pas assez de questions !"));

    tick(0);
    EXPECT_EQ(c.txt(2)->text(), QStringLiteral("Brevet B de Vol Libre - Parapente"));
    EXPECT_EQ(c.candidates().count(), 71);
    EXPECT_EQ(c.candidates().line(9), QStringLiteral("1/10- Question 10")) << "bank order, numbers as numbers";
    EXPECT_EQ(c.candidates().line(70), QStringLiteral("2/1- ") + kQuoted);
    EXPECT_EQ(c.SSTab1()->tabText(0), QStringLiteral("Choix des questions (71)"));
    EXPECT_EQ(c.cmd(4)->text(), QStringLiteral("Sélectionner 60 questions aléatoires"));

    tick(1);
    tick(3);
    EXPECT_EQ(c.txt(2)->text(), placeholderTitle());
    EXPECT_EQ(c.candidates().count(), 72) << "the question of three ticked syllabuses is listed once";

    // The heading unticks everything; the keyboard then ticks one box and
    // leaves the title to be stored as that box's short title.
    QTest::mouseClick(c.lbl(4), Qt::LeftButton);
    EXPECT_EQ(c.candidates().count(), 0);
    c.chkOpt(3)->setFocus();
    QTest::keyClick(c.chkOpt(3), Qt::Key_Space);
    EXPECT_TRUE(c.chkOpt(3)->isChecked());
    EXPECT_EQ(c.txt(2)->text(), QString());
    EXPECT_EQ(c.candidates().count(), 2);
    // Moving through the boxes changes nothing.
    QTest::keyClick(c.chkOpt(3), Qt::Key_Tab);
    EXPECT_EQ(c.txt(2)->text(), QString());
    QTest::mouseClick(c.lbl(4), Qt::LeftButton);
    EXPECT_EQ(c.candidates().count(), 72) << "the first box unticked: the heading ticks all";
}

TEST_F(ComposerTest, EachClickTogglesOneEntryTheStatusCountsDownAndASixtyFirstIsStored)
{
    fCreaQCM &c = open();
    tick(0);
    for (int row = 0; row < 58; ++row)
        clickEntry(row);
    EXPECT_EQ(c.lbl(0)->text(),
        QStringLiteral("Sélectionnez encore 2 questions. Donnez un nom au QCM, datez le et enregistrez !"));
    EXPECT_EQ(statusColour(), kOrange);
    EXPECT_TRUE(state.QcmModified);
    clickEntry(58);
    EXPECT_TRUE(c.lbl(0)->text().startsWith(QStringLiteral("Sélectionnez la dernière question. ")));
    EXPECT_EQ(dialogs.beeps, 0);
    clickEntry(59);
    EXPECT_TRUE(c.lbl(0)->text().startsWith(QStringLiteral("Le QCM est complet. ")));
    EXPECT_EQ(statusColour(), kGreen);
    EXPECT_EQ(dialogs.beeps, 1);
    clickEntry(60);
    EXPECT_EQ(c.lbl(0)->text(), QStringLiteral("P a s    p l u s    d e    6 0    q u e s t i o n s   !"));
    EXPECT_EQ(dialogs.beeps, 2);
    clickEntry(70);
    clickEntry(70);
    EXPECT_EQ(selected().size(), 61u) << "a second click unselects";
    EXPECT_EQ(c.questionnaireLines().size(), 61);
    EXPECT_EQ(c.questionnaireLines().first(), QStringLiteral("1/1- Question 1"));
    EXPECT_EQ(c.candidates().line(0), QStringLiteral("1/1- Question 1")) << "the order never changes";

    c.txt(0)->setText(QStringLiteral("Soixante et un"));
    c.txt(1)->setText(QStringLiteral("06/12/2026"));
    c.cmd(1)->click();
    EXPECT_EQ(rows(QStringLiteral("select count(*) from QCM where NomQCM = 'Soixante et un'")), QStringList{"61"});
    EXPECT_EQ(c.lbl(0)->text(), QStringLiteral("P a s    p l u s    d e    6 0    q u e s t i o n s   !"));
}

TEST_F(ComposerTest, RandomSelectionTakesSixtyDistinctEntriesOfTheWholeList)
{
    useBank(59); // 60 candidates with the paragliding box
    fCreaQCM &c = open();
    tick(0);
    c.cmd(4)->click();
    EXPECT_EQ(selected().size(), 60u) << "exactly 60 candidates: all of them";
    EXPECT_EQ(dialogs.randomizeCalls, 1);
    EXPECT_EQ(c.lbl(0)->text(), QStringLiteral("Le QCM est complet. Donnez un nom au QCM, datez le et enregistrez !"));
    EXPECT_TRUE(state.QcmModified);

    tick(0);
    tick(3); // two candidates
    dialogs.boxAnswers = {0};
    c.cmd(4)->click();
    EXPECT_EQ(dialogs.boxes.last(),
        (ScriptedDialogs::Box{
            QStringLiteral("La liste ne comporte pas assez de questions pour en choisir 60 de façon aléatoire !"),
            Icon::Warning, QStringLiteral("Avis"), QStringLiteral("OK")}));

    useBank(199);
    tick(3);
    tick(0);
    clickEntry(5);
    // The first draws hit the first entry twice: the repeat is drawn again.
    int draws = 0;
    auto uniform = dialogs.random;
    dialogs.random = [&] { return ++draws <= 2 ? 0.0 : uniform(); };
    c.cmd(4)->click();
    const std::vector<int> picked = selected();
    EXPECT_EQ(picked.size(), 60u) << "an earlier selection is replaced";
    EXPECT_EQ(picked.front(), 0);
    EXPECT_GE(draws, 61);
}

TEST_F(ComposerTest, RebuildingTheListKeepsTheSecondListUntilTheNextClick)
{
    fCreaQCM &c = open();
    tick(0);
    c.cmd(4)->click();
    tick(1);
    EXPECT_TRUE(selected().empty());
    EXPECT_EQ(c.questionnaireLines().size(), 60);
    QTest::mouseClick(c.lbl(3), Qt::LeftButton);
    EXPECT_EQ(c.txt(1)->text(), QStringLiteral("06/12/2026")) << "today";
    EXPECT_EQ(c.txt(1)->selectedText(), QStringLiteral("06/12/2026"));
    EXPECT_EQ(c.questionnaireLines().size(), 60);
    clickEntry(3);
    EXPECT_EQ(c.questionnaireLines(), QStringList{QStringLiteral("1/4- Question 4")});
}

TEST_F(ComposerTest, ThePreviewShowsThePointsAndTheRightClicksLeadToCorrections)
{
    fCreaQCM &c = open();
    tick(0);
    clickEntry(70);
    EXPECT_EQ(c.lblRep(0)->text(), QStringLiteral("Le vent [fort] [6].")) << "a double quote in the statement";
    EXPECT_EQ(c.lblRep(1)->text(), QStringLiteral("Réponse B [-2]."));
    EXPECT_EQ(c.lblRep(2)->text(), QString());

    // From the second list: back to the first tab, on the same question.
    clickEntry(2, Qt::LeftButton);
    c.SSTab1()->setCurrentIndex(1);
    QListView *second = c.lstQCM(1);
    QTest::mouseClick(
        second->viewport(), Qt::RightButton, {}, second->visualRect(second->model()->index(1, 0)).center());
    EXPECT_EQ(c.SSTab1()->currentIndex(), 0);
    EXPECT_EQ(c.lstQCM(0)->currentIndex().row(), 70);
    EXPECT_EQ(c.lblRep(0)->text(), QStringLiteral("Le vent [fort] [6]."));
    EXPECT_TRUE(c.mnuPopupModif()->isVisible());
    EXPECT_TRUE(c.mnuPopModif(0)->isVisible());
    EXPECT_FALSE(c.mnuPopModif(1)->isVisible());
    EXPECT_EQ(selected(), (std::vector<int>{2, 70})) << "the right button selects nothing";
    c.mnuPopupModif()->hide();

    QTest::mouseClick(c.lblRep(2), Qt::RightButton);
    EXPECT_FALSE(c.mnuPopupModif()->isVisible()) << "no menu on an empty answer";
    QTest::mouseClick(c.lblRep(0), Qt::RightButton);
    EXPECT_TRUE(c.mnuPopupModif()->isVisible());
    EXPECT_TRUE(c.mnuPopModif(1)->isVisible());
    EXPECT_EQ(state.EditTarget, 1);
    c.mnuPopupModif()->hide();

    // Emptied or cancelled: nothing changes. The text offered is the whole choice.
    dialogs.inputAnswers = {QStringLiteral("   "), QString()};
    c.mnuPopModif(1)->trigger();
    c.mnuPopModif(1)->trigger();
    EXPECT_EQ(dialogs.inputs[0].defaultText, QStringLiteral("Le vent [fort]"));
    EXPECT_EQ(dialogs.inputs[0].title, QStringLiteral("Corriger un libellé"));
    EXPECT_EQ(dialogs.inputs[0].prompt,
        QStringLiteral("Corrigez le libellé et enregistrez votre modification en cliquant sur 'OK'"));
    EXPECT_EQ(rows(QStringLiteral("select lib0 from Questions where Code = '2' and Numero = 1")),
        QStringList{QStringLiteral("Le vent [fort]")});
    dialogs.inputAnswers = {QStringLiteral("Le vent \"fort\"")};
    c.mnuPopModif(1)->trigger();
    EXPECT_EQ(rows(QStringLiteral("select lib0 from Questions where Code = '2' and Numero = 1")),
        QStringList{QStringLiteral("Le vent \"fort\"")});
    EXPECT_EQ(c.lblRep(0)->text(), QStringLiteral("Le vent \"fort\" [6]."));
    EXPECT_EQ(state.EditTarget, 0);
}

TEST_F(ComposerTest, ANewUserComposesSavesReopensChangesAndDeletesAQuestionnaire)
{
    // The practice window reads its domain through datQUe: it finds it again.
    state.datQue.setRecordSource(Queries::domainInOrder(QStringLiteral("1")));
    state.datQue.refresh();
    state.datQue.move(3);
    writeFile(workingCopy(), "ancienne copie");

    fCreaQCM &c = open();
    tick(0);
    c.cmd(4)->click();
    const QStringList chosen = c.questionnaireLines();
    QTest::keyClicks(c.txt(0), QStringLiteral("  Examen d'avril  "));
    c.txt(1)->setFocus();
    EXPECT_EQ(c.txt(1)->text(), QStringLiteral("06/12/2026")) << "an empty date field offers today";
    c.cmd(1)->click();

    EXPECT_EQ(
        rows(QStringLiteral("select distinct NomQCM || '|' || DateMAJ || '|' || \"Spécialité\" || '|' || \"Spé0\" "
                            "|| \"Spé1\" || \"Spé2\" || \"Spé3\" || \"Spé4\" || \"Spé5\" from QCM")),
        QStringList{QStringLiteral("  Examen d'avril  |06/12/2026|Brevet B de Vol Libre - Parapente|100000")});
    EXPECT_EQ(
        rows(QStringLiteral("select Code || '/' || Numero || '- ' || \"Libellé\" from QCM order by Code, Numero")),
        chosen);
    EXPECT_EQ(rows(QStringLiteral("select count(*) from QCM q join Questions b on b.Code = q.Code and b.Numero = "
                                  "q.Numero where q.lib0 = b.lib0 and q.val1 = b.Val1 and q.lib2 is null and "
                                  "q.val2 is null")),
        QStringList{"60"})
        << "choices and points copied, Null left Null";
    EXPECT_EQ(rows(QStringLiteral("select * from \"Spécialité\"")),
        QStringList{QStringLiteral("  Examen d'avril  |Brevet B de Vol Libre - Parapente")});
    EXPECT_EQ(databaseContent(workingCopy()), databaseContent(bankPath())) << "the reports read the new questionnaire";
    EXPECT_EQ(state.datQue.recordSource(), Queries::domainInOrder(QStringLiteral("1")));
    EXPECT_EQ(state.datQue.position(), 3);
    EXPECT_EQ(c.cmbQCM()->currentText(), QStringLiteral("  Examen d'avril  "));
    EXPECT_EQ(windows.composerChoice(), QStringLiteral("  Examen d'avril  "));
    EXPECT_FALSE(c.cmd(4)->isEnabled());
    EXPECT_TRUE(c.cmd(5)->isEnabled());
    EXPECT_EQ(c.lbl(5)->text(), QStringLiteral("Spécialité de ce QCM :"));
    EXPECT_FALSE(state.QcmModified);

    // Reopened from the list, one question replaced by hand, saved again.
    c.FillQcmCombo();
    EXPECT_TRUE(selected().empty());
    c.cmbQCM()->setCurrentIndex(1);
    Q_EMIT c.cmbQCM()->activated(1);
    const std::vector<int> stored = selected();
    ASSERT_EQ(stored.size(), 60u);
    EXPECT_EQ(c.txt(1)->text(), QStringLiteral("06/12/2026"));
    EXPECT_TRUE(c.chkOpt(0)->isChecked());
    const int dropped = stored.front();
    int added = 0;
    while (std::find(stored.begin(), stored.end(), added) != stored.end())
        ++added;
    clickEntry(dropped);
    clickEntry(added);
    EXPECT_TRUE(state.QcmModified);
    c.cmd(1)->click();
    QStringList expected = chosen;
    expected.removeOne(c.candidates().line(dropped));
    expected.append(c.candidates().line(added));
    std::sort(expected.begin(), expected.end(), [&](const QString &a, const QString &b) {
        return c.candidates().positionsOf(a).first() < c.candidates().positionsOf(b).first();
    });
    EXPECT_EQ(
        rows(QStringLiteral("select Code || '/' || Numero || '- ' || \"Libellé\" from QCM order by Code, Numero")),
        expected);
    EXPECT_EQ(rows(QStringLiteral("select count(*) from \"Spécialité\"")), QStringList{"1"});

    // Deleting takes "Oui" twice; "Non" at either question keeps everything.
    const QString title = QStringLiteral("Suppression d'un QCM");
    dialogs.boxAnswers = {0, 1, 0};
    c.cmd(5)->click();
    c.cmd(5)->click();
    EXPECT_EQ(dialogs.boxes.at(0),
        (ScriptedDialogs::Box{QStringLiteral("Supprimer le QCM :") + kCrLf + QStringLiteral("'  Examen d'avril  ' ?"),
            Icon::Bin, title, QStringLiteral("Non"), QStringLiteral("Oui"), {}, 2}));
    EXPECT_EQ(dialogs.boxes.at(2),
        (ScriptedDialogs::Box{
            QStringLiteral("La suppression est irréversible.") + kCrLf + QStringLiteral("Supprimer tout de même ?"),
            Icon::Bin, title, QStringLiteral("Non"), QStringLiteral("Oui"), {}, 2}));
    EXPECT_EQ(rows(QStringLiteral("select count(*) from QCM")), QStringList{"60"});
    dialogs.boxAnswers = {1, 1};
    c.cmd(5)->click();
    EXPECT_EQ(rows(QStringLiteral("select count(*) from QCM")), QStringList{"0"});
    EXPECT_EQ(rows(QStringLiteral("select count(*) from \"Spécialité\"")), QStringList{"0"});
    EXPECT_EQ(c.cmbQCM()->count(), 1);
    EXPECT_EQ(c.cmbQCM()->currentText(), QStringLiteral("- Créer un nouveau QCM"));
    EXPECT_EQ(databaseContent(workingCopy()), databaseContent(bankPath()));
}

TEST_F(ComposerTest, RefusedSavesStoreNothingAndAChosenTitleOrAnExistingNameIsAccepted)
{
    fCreaQCM &c = open();
    tick(0);
    tick(3);
    clickEntry(0);
    c.txt(0)->setText(QStringLiteral("   "));
    c.txt(1)->setText(QStringLiteral("06/12/2026"));
    dialogs.boxAnswers = {0, 0};
    c.cmd(1)->click();
    EXPECT_EQ(dialogs.boxes.at(0),
        (ScriptedDialogs::Box{
            QStringLiteral("Le nom du QCM est obligatoire !"), Icon::Warning, QStringLiteral("Attention !")}));
    EXPECT_EQ(c.SSTab1()->currentIndex(), 1);
    EXPECT_EQ(QApplication::focusWidget(), c.txt(0));
    c.txt(0)->setText(QStringLiteral("Mixte"));
    c.cmd(1)->click();
    EXPECT_EQ(dialogs.boxes.at(1),
        (ScriptedDialogs::Box{
            QStringLiteral("Dans le cas de sélection multiple, il faut indiquer une spécialité dans la "
                           "zone réservée à cet effet."),
            Icon::Information, QStringLiteral("Attention ! Saisie incomplète.")}));
    EXPECT_EQ(rows(QStringLiteral("select count(*) from QCM")), QStringList{"0"});

    c.cmd(6)->click();
    EXPECT_TRUE(c.mnuPopup()->isVisible());
    EXPECT_EQ(c.mnuPopup()->actions().size(), 10);
    c.mnuPop(2)->trigger();
    c.mnuPopup()->hide();
    EXPECT_EQ(c.txt(2)->text(), QStringLiteral("Brevet A de Vol Libre - Parapente"));
    c.cmd(1)->click();
    EXPECT_EQ(rows(QStringLiteral("select * from \"Spécialité\"")),
        QStringList{QStringLiteral("Mixte|Brevet A de Vol Libre - Parapente")});

    // Typing the name of a stored questionnaire only warns; saving replaces it.
    c.FillQcmCombo();
    tick(0);
    clickEntry(1);
    clickEntry(2);
    c.txt(1)->setText(QStringLiteral("07/12/2026"));
    dialogs.boxAnswers = {0};
    QTest::keyClicks(c.txt(0), QStringLiteral("mixte"));
    EXPECT_EQ(dialogs.boxes.last(),
        (ScriptedDialogs::Box{QStringLiteral("Attention ! Un QCM portant ce nom existe déjà !"), Icon::Warning,
            QStringLiteral("Attention"), QStringLiteral("OK")}));
    c.txt(2)->clear();
    c.cmd(1)->click();
    EXPECT_EQ(rows(QStringLiteral("select NomQCM || ' ' || DateMAJ || ' ' || Numero from QCM order by Numero")),
        (QStringList{QStringLiteral("mixte 07/12/2026 2"), QStringLiteral("mixte 07/12/2026 3")}));
    EXPECT_EQ(rows(QStringLiteral("select * from \"Spécialité\"")),
        QStringList{QStringLiteral("mixte|Brevet B de parapente")})
        << "one box and no title: its short title";
}

TEST_F(ComposerTest, AFailedWriteLeavesTheStoredQuestionnaireExactlyAsItWas)
{
    fCreaQCM &c = open();
    tick(0);
    c.cmd(4)->click();
    c.txt(0)->setText(QStringLiteral("Examen"));
    c.txt(1)->setText(QStringLiteral("06/12/2026"));
    c.cmd(1)->click();
    ASSERT_TRUE(state.connection()->db().exec(QStringLiteral(
        "CREATE TRIGGER panne BEFORE INSERT ON QCM WHEN NEW.Numero = 70 BEGIN SELECT RAISE(ABORT, 'panne'); END;"
        "CREATE TRIGGER garde BEFORE DELETE ON \"Spécialité\" BEGIN SELECT RAISE(ABORT, 'garde'); END;")));
    const QByteArray before = fileBytes(bankPath());

    // Question 1/70 is part of the next save.
    const std::vector<int> before60 = selected();
    clickEntry(69);
    if (std::find(before60.begin(), before60.end(), 69) != before60.end())
        clickEntry(69);
    dialogs.boxAnswers = {0};
    EXPECT_FALSE(c.SaveQcm());
    EXPECT_EQ(dialogs.boxes.last(),
        (ScriptedDialogs::Box{QStringLiteral("Le QCM « Examen » n'a pas été enregistré : la base de données est restée "
                                             "telle qu'elle était.")
                + kCrLf + kCrLf + QStringLiteral("Erreur 3022 panne dans la procédure 'SaveQcm'."),
            Icon::Error, QStringLiteral("Enregistrement impossible")}));
    EXPECT_TRUE(state.QcmModified);

    dialogs.boxAnswers = {1, 1, 0};
    c.DeleteQcm();
    EXPECT_TRUE(
        dialogs.boxes.last().message.endsWith(QStringLiteral("Erreur 3022 garde dans la procédure 'DeleteQcm'.")));
    EXPECT_EQ(c.cmbQCM()->currentText(), QStringLiteral("Examen"));

    state.CloseDatabases();
    EXPECT_EQ(fileBytes(bankPath()), before);
}

TEST_F(ComposerTest, TheWorkingCopyIsLeftAloneWhenAbsentOrInUseAndAFailedCopyIsSaid)
{
    fCreaQCM &c = open();
    tick(0);
    clickEntry(0);
    c.txt(0)->setText(QStringLiteral("Un"));
    c.txt(1)->setText(QStringLiteral("06/12/2026"));
    c.cmd(1)->click();
    EXPECT_FALSE(QFile::exists(workingCopy()));

    // A working copy that cannot be replaced: the save stands, the copy is reported.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("qcm.mdb")));
    clickEntry(1);
    dialogs.boxAnswers = {0};
    EXPECT_TRUE(c.SaveQcm());
    EXPECT_EQ(dialogs.boxes.last().title, QStringLiteral("Copie pour les rapports"));
    EXPECT_EQ(rows(QStringLiteral("select count(*) from QCM")), QStringList{"2"});
    ASSERT_TRUE(QDir(dir.path()).rmdir(QStringLiteral("qcm.mdb")));

    // The bank in use is the working copy itself: nothing to copy.
    state.CloseDatabases();
    ASSERT_TRUE(QFile::rename(bankPath(), workingCopy()));
    state.DbPath = workingCopy();
    ASSERT_TRUE(state.BindDatabase());
    c.FillQcmCombo();
    tick(0);
    clickEntry(5);
    c.txt(0)->setText(QStringLiteral("Deux"));
    c.txt(1)->setText(QStringLiteral("06/12/2026"));
    EXPECT_TRUE(c.SaveQcm());
    EXPECT_EQ(c.cmbQCM()->count(), 3);
}

TEST_F(ComposerTest, ClosingWithUnsavedWorkOffersToSaveFirst)
{
    fCreaQCM &c = open();
    tick(0);
    clickEntry(0);
    dialogs.boxAnswers = {0, 0};
    c.cmd(0)->click();
    EXPECT_EQ(dialogs.boxes.at(0),
        (ScriptedDialogs::Box{QStringLiteral("La saisie en cours n'a pas été enregistrée.") + kCrLf
                + QStringLiteral("Voulez-vous enregistrer avant de fermer cette fenêtre ?"),
            Icon::Disk, QStringLiteral("Attention !"), QStringLiteral("Enregistrer"), QStringLiteral("Ignorer"), {},
            2}));
    EXPECT_EQ(dialogs.boxes.at(1).message, QStringLiteral("Le nom du QCM est obligatoire !"));
    EXPECT_TRUE(c.isVisible());
    EXPECT_TRUE(windows.composerIsOpen());

    dialogs.boxAnswers = {1};
    c.cmd(0)->click();
    EXPECT_FALSE(c.isVisible());
    EXPECT_FALSE(state.QcmModified);
    EXPECT_EQ(windows.composerChoice(), QString());
}

TEST_F(ComposerTest, CorrectingAStatementSavesTheQuestionnaireHoldingIt)
{
    fCreaQCM &c = open();
    tick(0);
    clickEntry(70);
    clickEntry(4);
    // While composing a new questionnaire: the new-questionnaire warning,
    // then the save, which wants a name.
    clickEntry(70, Qt::RightButton);
    c.mnuPopupModif()->hide();
    dialogs.inputAnswers = {QStringLiteral("Que veut dire \"thermique\" ?")};
    dialogs.boxAnswers = {0, 0};
    c.mnuPopModif(0)->trigger();
    EXPECT_EQ(dialogs.boxes.at(0),
        (ScriptedDialogs::Box{QStringLiteral("Attention, le QCM en cours n'est pas enregistré !") + kCrLf
                + QStringLiteral("Créer un nouveau QCM quand même ?"),
            Icon::Question, QStringLiteral("Attention"), QStringLiteral("Créer un nouveau"),
            QStringLiteral("Annuler")}));
    EXPECT_EQ(dialogs.boxes.at(1).message, QStringLiteral("Le nom du QCM est obligatoire !"));
    EXPECT_EQ(rows(QStringLiteral("select \"Libellé\" from Questions where Code = '2'")),
        (QStringList{QStringLiteral("Que veut dire \"thermique\" ?"), QStringLiteral("Delta seulement")}));
    EXPECT_EQ(c.questionnaireLines(), QStringList{QStringLiteral("2/1- Que veut dire \"thermique\" ?")})
        << "only the corrected question stays selected";
    EXPECT_EQ(c.lstQCM(0)->currentIndex().row(), 70);

    // A stored questionnaire receives the new statement at once.
    c.txt(0)->setText(QStringLiteral("Stocké"));
    c.txt(1)->setText(QStringLiteral("06/12/2026"));
    c.cmd(1)->click();
    clickEntry(70, Qt::RightButton);
    c.mnuPopupModif()->hide();
    dialogs.inputAnswers = {QStringLiteral("Thermique ?")};
    c.mnuPopModif(0)->trigger();
    EXPECT_EQ(rows(QStringLiteral("select \"Libellé\" from QCM")), QStringList{QStringLiteral("Thermique ?")});
    EXPECT_FALSE(state.QcmModified);
}

TEST_F(ComposerTest, AnIncompleteBankSendsTheUserToChooseAnother)
{
    const QString complete = bankPath();
    const QString incomplete = QDir(dir.path()).filePath(QStringLiteral("ancienne.mdb"));
    makeBank(dir, QStringLiteral("ancienne.mdb"), composerBank(3));
    {
        SqliteDb db;
        ASSERT_TRUE(db.open(incomplete, SqliteDb::Mode::ReadWrite));
        ASSERT_TRUE(db.exec(QStringLiteral("ALTER TABLE Questions DROP COLUMN DeltaBiHandi")));
    }
    state.CloseDatabases();
    state.DbPath = incomplete;
    ASSERT_TRUE(state.BindDatabase());

    dialogs.boxAnswers = {0, 0};
    dialogs.openAnswers = {QString()};
    state.OpenComposer();
    EXPECT_EQ(dialogs.boxes.at(0),
        (ScriptedDialogs::Box{QStringLiteral("Cette base est incomplète. Ouvrez en une autre !"), Icon::Error,
            QStringLiteral("Base incomplète"), QStringLiteral("OK")}));
    EXPECT_EQ(dialogs.boxes.at(1).message, QStringLiteral("Aucune modification"));
    EXPECT_TRUE(state.DatabaseIncomplete);
    EXPECT_FALSE(windows.composerIsOpen());

    // Choosing a complete bank opens the composer on it.
    dialogs.boxAnswers = {0};
    dialogs.openAnswers = {complete};
    state.OpenComposer();
    EXPECT_FALSE(state.DatabaseIncomplete);
    EXPECT_TRUE(windows.composerIsOpen());
    EXPECT_EQ(state.DbPath, complete);
}

} // namespace
