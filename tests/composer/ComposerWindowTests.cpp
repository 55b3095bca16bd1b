#include "ComposerFixture.h"

using namespace qcm;
using namespace qcm::test;

namespace {

using Box = ScriptedDialogs::Box;
const QString kFull = u"P a s    p l u s    d e    6 0    q u e s t i o n s   !"_s;

TEST_F(ComposerTest, TheListFollowsTheTickedBoxesAndHowTheyWereTicked)
{
    fCreaQCM &c = open();
    EXPECT_EQ(c.windowTitle(), u"Création de QCM"_s);
    EXPECT_EQ(c.candidates().count(), 0);
    EXPECT_EQ(c.SSTab1()->tabText(0), u"Choix des questions (0)"_s);
    EXPECT_EQ(c.cmd(4)->text(), u"Pas assez de questions !"_s);

    tick(0);
    EXPECT_EQ(c.txt(2)->text(), u"Brevet B de Vol Libre - Parapente"_s);
    EXPECT_EQ(c.candidates().count(), 71);
    EXPECT_EQ(c.candidates().line(9), u"1/10- Question 10"_s) << "bank order, numbers as numbers";
    EXPECT_EQ(c.candidates().line(70), u"2/1- "_s + kQuoted);
    EXPECT_EQ(c.SSTab1()->tabText(0), u"Choix des questions (71)"_s);
    EXPECT_EQ(c.cmd(4)->text(), u"Sélectionner 60 questions aléatoires"_s);

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
    EXPECT_EQ(c.candidates().count(), 2);
    QTest::keyClick(c.chkOpt(3), Qt::Key_Tab); // moving through the boxes changes nothing
    EXPECT_EQ(c.txt(2)->text(), QString());
    QTest::mouseClick(c.lbl(4), Qt::LeftButton);
    EXPECT_EQ(c.candidates().count(), 72) << "the first box unticked: the heading ticks all";
}

// Lines are made from what was read only when asked for: keys the file holds
// oddly read as before and lead back to their entries.
TEST_F(ComposerTest, OddKeysAreListedAsTheFileHoldsThemAndFoundAgain)
{
    ASSERT_TRUE(state.connection()->db().exec(u"UPDATE Questions SET Numero = NULL WHERE Code = '1' AND Numero = 5;"
                                              "UPDATE Questions SET Numero = '12b' WHERE Code = '1' AND Numero = 6;"
                                              "UPDATE Questions SET Code = '1/x- y' WHERE Code = '1' AND Numero = 7;"
                                              "UPDATE Questions SET Code = 'x' WHERE Code = '1' AND Numero IN (8, 10);"
                                              "UPDATE Questions SET Code = 'X' WHERE Code = '1' AND Numero = 9;"_s));
    fCreaQCM &c = open();
    tick(0);
    const CandidateModel &list = c.candidates();
    ASSERT_EQ(list.count(), 71);
    QStringList lines;
    for (int row = 0; row < list.count(); ++row)
        lines << list.line(row);
    // Codes that differ only by case come interleaved in the bank's order.
    for (const QString &odd : {u"1/- Question 5"_s, u"1/12b- Question 6"_s, u"1/x- y/7- Question 7"_s,
             u"x/8- Question 8"_s, u"X/9- Question 9"_s, u"x/10- Question 10"_s}) {
        ASSERT_TRUE(lines.contains(odd)) << odd.toStdString();
        const QList<int> rows = list.positionsOf(odd);
        ASSERT_EQ(rows.size(), 1) << odd.toStdString();
        EXPECT_EQ(list.line(rows.first()), odd);
        EXPECT_EQ(list.data(list.index(rows.first())).toString(), odd);
    }
    const int moved = int(lines.indexOf(u"1/x- y/7- Question 7"_s));
    EXPECT_EQ(list.code(moved), u"1/x- y"_s);
    EXPECT_EQ(list.numero(moved), 7);
    EXPECT_EQ(list.numero(int(lines.indexOf(u"1/12b- Question 6"_s))), 0) << "as the line reads it";
    EXPECT_TRUE(list.positionsOf(u"1/7- Question 7"_s).isEmpty());
}

TEST_F(ComposerTest, EachClickTogglesOneEntryTheStatusCountsDownAndASixtyFirstIsStored)
{
    fCreaQCM &c = open();
    tick(0);
    for (int row = 0; row < 58; ++row)
        clickEntry(row);
    EXPECT_EQ(c.lbl(0)->text(), u"Sélectionnez encore 2 questions. Donnez un nom au QCM, datez le et enregistrez !"_s);
    EXPECT_EQ(statusColour(), QColor(255, 192, 128));
    EXPECT_TRUE(state.QcmModified);
    clickEntry(58);
    EXPECT_TRUE(c.lbl(0)->text().startsWith(u"Sélectionnez la dernière question. "_s));
    EXPECT_EQ(dialogs.beeps, 0);
    clickEntry(59);
    EXPECT_TRUE(c.lbl(0)->text().startsWith(u"Le QCM est complet. "_s));
    EXPECT_EQ(statusColour(), QColor(0, 255, 0));
    EXPECT_EQ(dialogs.beeps, 1);
    clickEntry(60);
    EXPECT_EQ(c.lbl(0)->text(), kFull);
    EXPECT_EQ(dialogs.beeps, 2);
    clickEntry(70);
    clickEntry(70);
    EXPECT_EQ(selected().size(), 61u) << "a second click unselects";
    EXPECT_EQ(c.questionnaireLines().size(), 61);
    EXPECT_EQ(c.questionnaireLines().first(), u"1/1- Question 1"_s);
    EXPECT_EQ(c.candidates().line(0), u"1/1- Question 1"_s) << "the order never changes";

    nameAndDate(u"Soixante et un"_s);
    c.cmd(1)->click();
    EXPECT_EQ(first(u"select count(*) from QCM where NomQCM = 'Soixante et un'"_s), u"61"_s);
    EXPECT_EQ(c.lbl(0)->text(), kFull);
}

TEST_F(ComposerTest, RandomSelectionTakesSixtyDistinctEntriesOfTheWholeList)
{
    useBank(59); // 60 candidates with the paragliding box
    fCreaQCM &c = open();
    tick(0);
    c.cmd(4)->click();
    EXPECT_EQ(selected().size(), 60u) << "exactly 60 candidates: all of them";
    EXPECT_EQ(dialogs.randomizeCalls, 1);
    EXPECT_EQ(c.lbl(0)->text(), u"Le QCM est complet. Donnez un nom au QCM, datez le et enregistrez !"_s);
    EXPECT_TRUE(state.QcmModified);

    tick(0);
    tick(3); // two candidates
    dialogs.boxAnswers = {0};
    c.cmd(4)->click();
    EXPECT_EQ(dialogs.boxes.last(),
        Box(u"La liste ne comporte pas assez de questions pour en choisir 60 de façon aléatoire !"_s, Icon::Warning,
            u"Avis"_s, u"OK"_s));

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
    EXPECT_EQ(c.txt(1)->text(), u"06/12/2026"_s) << "today";
    EXPECT_EQ(c.txt(1)->selectedText(), u"06/12/2026"_s);
    EXPECT_EQ(c.questionnaireLines().size(), 60);
    clickEntry(3);
    EXPECT_EQ(c.questionnaireLines(), QStringList{u"1/4- Question 4"_s});
}

TEST_F(ComposerTest, ThePreviewShowsThePointsAndTheRightClicksLeadToCorrections)
{
    fCreaQCM &c = open();
    tick(0);
    clickEntry(70);
    EXPECT_EQ(c.lblRep(0)->text(), u"Le vent [fort] [6]."_s) << "a double quote in the statement";
    EXPECT_EQ(c.lblRep(1)->text(), u"Réponse B [-2]."_s);
    EXPECT_EQ(c.lblRep(2)->text(), QString());

    // From the second list: back to the first tab, on the same question.
    clickEntry(2);
    c.SSTab1()->setCurrentIndex(1);
    clickEntry(1, Qt::RightButton, 1);
    EXPECT_EQ(c.SSTab1()->currentIndex(), 0);
    EXPECT_EQ(c.lstQCM(0)->currentIndex().row(), 70);
    EXPECT_EQ(c.lblRep(0)->text(), u"Le vent [fort] [6]."_s);
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
    const QString choiceA = u"select lib0 from Questions where Code = '2' and Numero = 1"_s;
    dialogs.inputAnswers = {u"   "_s, QString()};
    c.mnuPopModif(1)->trigger();
    c.mnuPopModif(1)->trigger();
    EXPECT_EQ(dialogs.inputs[0].defaultText, u"Le vent [fort]"_s);
    EXPECT_EQ(dialogs.inputs[0].title, u"Corriger un libellé"_s);
    EXPECT_EQ(
        dialogs.inputs[0].prompt, u"Corrigez le libellé et enregistrez votre modification en cliquant sur 'OK'"_s);
    EXPECT_EQ(first(choiceA), u"Le vent [fort]"_s);
    dialogs.inputAnswers = {u"Le vent \"fort\""_s};
    c.mnuPopModif(1)->trigger();
    EXPECT_EQ(first(choiceA), u"Le vent \"fort\""_s);
    EXPECT_EQ(c.lblRep(0)->text(), u"Le vent \"fort\" [6]."_s);
    EXPECT_EQ(state.EditTarget, 0);
}

TEST_F(ComposerTest, ANewUserComposesSavesReopensChangesAndDeletesAQuestionnaire)
{
    // The practice window reads its domain through datQue: it finds it again.
    state.datQue.setRecordSource(Queries::domainInOrder(u"1"_s));
    state.datQue.refresh();
    state.datQue.move(3);
    writeFile(workingCopy(), "ancienne copie");

    fCreaQCM &c = open();
    tick(0);
    c.cmd(4)->click();
    const QStringList chosen = c.questionnaireLines();
    QTest::keyClicks(c.txt(0), u"  Examen d'avril  "_s);
    c.txt(1)->setFocus();
    EXPECT_EQ(c.txt(1)->text(), u"06/12/2026"_s) << "an empty date field offers today";
    c.cmd(1)->click();

    const QString storedLines = u"select Code || '/' || Numero || '- ' || \"Libellé\" from QCM order by Code, Numero"_s;
    EXPECT_EQ(rows(u"select distinct NomQCM, DateMAJ, \"Spécialité\", \"Spé0\" || \"Spé1\" || \"Spé2\" || \"Spé3\" "
                   "|| \"Spé4\" || \"Spé5\" from QCM"_s),
        QStringList{u"  Examen d'avril  |06/12/2026|Brevet B de Vol Libre - Parapente|100000"_s});
    EXPECT_EQ(rows(storedLines), chosen);
    EXPECT_EQ(first(u"select count(*) from QCM q join Questions b on b.Code = q.Code and b.Numero = q.Numero where "
                    "q.lib0 = b.lib0 and q.val1 = b.Val1 and q.lib2 is null and q.val2 is null"_s),
        u"60"_s)
        << "choices and points copied, Null left Null";
    EXPECT_EQ(rows(u"select * from \"Spécialité\""_s),
        QStringList{u"  Examen d'avril  |Brevet B de Vol Libre - Parapente"_s});
    EXPECT_LT(QFileInfo(workingCopy()).lastModified(), QFileInfo(bankPath()).lastModified())
        << "the reports copy the bank again before they read the new questionnaire";
    EXPECT_EQ(state.datQue.recordSource(), Queries::domainInOrder(u"1"_s));
    EXPECT_EQ(state.datQue.position(), 3);
    EXPECT_EQ(c.cmbQCM()->currentText(), u"  Examen d'avril  "_s);
    EXPECT_EQ(windows.composerChoice(), u"  Examen d'avril  "_s);
    EXPECT_FALSE(c.cmd(4)->isEnabled());
    EXPECT_TRUE(c.cmd(5)->isEnabled());
    EXPECT_EQ(c.lbl(5)->text(), u"Spécialité de ce QCM :"_s);
    EXPECT_FALSE(state.QcmModified);

    // Reopened from the list, one question replaced by hand, saved again.
    c.FillQcmCombo();
    EXPECT_TRUE(selected().empty());
    c.cmbQCM()->setCurrentIndex(1);
    Q_EMIT c.cmbQCM()->activated(1);
    const std::vector<int> stored = selected();
    ASSERT_EQ(stored.size(), 60u);
    EXPECT_EQ(c.txt(1)->text(), u"06/12/2026"_s);
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
    EXPECT_EQ(rows(storedLines), expected);
    EXPECT_EQ(first(u"select count(*) from \"Spécialité\""_s), u"1"_s);

    // Deleting takes "Oui" twice; "Non" at either question keeps everything.
    dialogs.boxAnswers = {0, 1, 0};
    c.cmd(5)->click();
    c.cmd(5)->click();
    const Box ask{u"Supprimer le QCM :\r\n'  Examen d'avril  ' ?"_s, Icon::Bin, u"Suppression d'un QCM"_s, u"Non"_s,
        u"Oui"_s, {}, 2};
    const Box again{u"La suppression est irréversible.\r\nSupprimer tout de même ?"_s, Icon::Bin,
        u"Suppression d'un QCM"_s, u"Non"_s, u"Oui"_s, {}, 2};
    EXPECT_EQ(dialogs.boxes, (QList<Box>{ask, ask, again}));
    EXPECT_EQ(first(u"select count(*) from QCM"_s), u"60"_s);
    dialogs.boxAnswers = {1, 1};
    c.cmd(5)->click();
    EXPECT_EQ(first(u"select count(*) from QCM"_s), u"0"_s);
    EXPECT_EQ(first(u"select count(*) from \"Spécialité\""_s), u"0"_s);
    EXPECT_EQ(c.cmbQCM()->count(), 1);
    EXPECT_EQ(c.cmbQCM()->currentText(), u"- Créer un nouveau QCM"_s);
    EXPECT_LT(QFileInfo(workingCopy()).lastModified(), QFileInfo(bankPath()).lastModified());
}

TEST_F(ComposerTest, RefusedSavesStoreNothingAndAChosenTitleOrAnExistingNameIsAccepted)
{
    fCreaQCM &c = open();
    tick(0);
    tick(3);
    clickEntry(0);
    nameAndDate(u"   "_s);
    dialogs.boxAnswers = {0, 0};
    c.cmd(1)->click();
    EXPECT_EQ(dialogs.boxes.value(0), Box(u"Le nom du QCM est obligatoire !"_s, Icon::Warning, u"Attention !"_s));
    EXPECT_EQ(c.SSTab1()->currentIndex(), 1);
    EXPECT_EQ(QApplication::focusWidget(), c.txt(0));
    c.txt(0)->setText(u"Mixte"_s);
    c.cmd(1)->click();
    EXPECT_EQ(dialogs.boxes.value(1),
        Box(u"Dans le cas de sélection multiple, il faut indiquer une spécialité dans la zone réservée à cet effet."_s,
            Icon::Information, u"Attention ! Saisie incomplète."_s));
    EXPECT_EQ(first(u"select count(*) from QCM"_s), u"0"_s);

    c.cmd(6)->click();
    EXPECT_EQ(c.mnuPopup()->actions().size(), 10);
    c.mnuPop(2)->trigger();
    c.mnuPopup()->hide();
    EXPECT_EQ(c.txt(2)->text(), u"Brevet A de Vol Libre - Parapente"_s);
    c.cmd(1)->click();
    EXPECT_EQ(rows(u"select * from \"Spécialité\""_s), QStringList{u"Mixte|Brevet A de Vol Libre - Parapente"_s});

    // Typing the name of a stored questionnaire only warns; saving replaces it.
    c.FillQcmCombo();
    tick(0);
    clickEntry(1);
    clickEntry(2);
    c.txt(1)->setText(u"07/12/2026"_s);
    dialogs.boxAnswers = {0};
    QTest::keyClicks(c.txt(0), u"mixte"_s);
    EXPECT_EQ(dialogs.boxes.last(),
        Box(u"Attention ! Un QCM portant ce nom existe déjà !"_s, Icon::Warning, u"Attention"_s, u"OK"_s));
    c.txt(2)->clear();
    c.cmd(1)->click();
    EXPECT_EQ(rows(u"select NomQCM || ' ' || DateMAJ || ' ' || Numero from QCM order by Numero"_s),
        (QStringList{u"mixte 07/12/2026 2"_s, u"mixte 07/12/2026 3"_s}));
    EXPECT_EQ(rows(u"select * from \"Spécialité\""_s), QStringList{u"mixte|Brevet B de parapente"_s})
        << "one box and no title: its short title";
}

TEST_F(ComposerTest, AFailedWriteLeavesTheStoredQuestionnaireExactlyAsItWas)
{
    fCreaQCM &c = open();
    tick(0);
    c.cmd(4)->click();
    nameAndDate(u"Examen"_s);
    c.cmd(1)->click();
    ASSERT_TRUE(state.connection()->db().exec(
        u"CREATE TRIGGER panne BEFORE INSERT ON QCM WHEN NEW.Numero = 70 BEGIN SELECT RAISE(ABORT, 'panne'); END;"
        "CREATE TRIGGER garde BEFORE DELETE ON \"Spécialité\" BEGIN SELECT RAISE(ABORT, 'garde'); END;"_s));
    const QByteArray before = fileBytes(bankPath());

    // Question 1/70 is part of the next save.
    const std::vector<int> before60 = selected();
    clickEntry(69);
    if (std::find(before60.begin(), before60.end(), 69) != before60.end())
        clickEntry(69);
    dialogs.boxAnswers = {0};
    EXPECT_FALSE(c.SaveQcm());
    EXPECT_EQ(dialogs.boxes.last(),
        Box(u"Le QCM « Examen » n'a pas été enregistré : la base de données est restée telle qu'elle était.\r\n\r\n"
            "Erreur 3022 panne dans la procédure 'SaveQcm'."_s,
            Icon::Error, u"Enregistrement impossible"_s));
    EXPECT_TRUE(state.QcmModified);

    dialogs.boxAnswers = {1, 1, 0};
    c.DeleteQcm();
    EXPECT_TRUE(dialogs.boxes.last().message.endsWith(u"Erreur 3022 garde dans la procédure 'DeleteQcm'."_s));
    EXPECT_EQ(c.cmbQCM()->currentText(), u"Examen"_s);

    state.CloseDatabases();
    EXPECT_EQ(fileBytes(bankPath()), before);
}

TEST_F(ComposerTest, TheWorkingCopyIsLeftAloneWhenAbsentOrInUseAndAFailedCopyIsSaid)
{
    fCreaQCM &c = open();
    tick(0);
    clickEntry(0);
    nameAndDate(u"Un"_s);
    c.cmd(1)->click();
    EXPECT_FALSE(QFile::exists(workingCopy()));

    // A working copy that cannot be replaced: the save stands, the copy is reported.
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"qcm.mdb"_s));
    clickEntry(1);
    dialogs.boxAnswers = {0};
    EXPECT_TRUE(c.SaveQcm());
    EXPECT_EQ(dialogs.boxes.last().title, u"Copie pour les rapports"_s);
    EXPECT_EQ(first(u"select count(*) from QCM"_s), u"2"_s);
    ASSERT_TRUE(QDir(dir.path()).rmdir(u"qcm.mdb"_s));

    // The bank in use is the working copy itself: nothing to copy.
    state.CloseDatabases();
    ASSERT_TRUE(QFile::rename(bankPath(), workingCopy()));
    state.DbPath = workingCopy();
    ASSERT_TRUE(state.BindDatabase());
    c.FillQcmCombo();
    tick(0);
    clickEntry(5);
    nameAndDate(u"Deux"_s);
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
    EXPECT_EQ(dialogs.boxes.value(0),
        Box(u"La saisie en cours n'a pas été enregistrée.\r\nVoulez-vous enregistrer avant de fermer cette fenêtre ?"_s,
            Icon::Disk, u"Attention !"_s, u"Enregistrer"_s, u"Ignorer"_s, {}, 2));
    EXPECT_EQ(dialogs.messages().value(1), u"Le nom du QCM est obligatoire !"_s);
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
    dialogs.inputAnswers = {u"Que veut dire \"thermique\" ?"_s};
    dialogs.boxAnswers = {0, 0};
    c.mnuPopModif(0)->trigger();
    EXPECT_EQ(dialogs.boxes.value(0),
        Box(u"Attention, le QCM en cours n'est pas enregistré !\r\nCréer un nouveau QCM quand même ?"_s, Icon::Question,
            u"Attention"_s, u"Créer un nouveau"_s, u"Annuler"_s));
    EXPECT_EQ(dialogs.messages().value(1), u"Le nom du QCM est obligatoire !"_s);
    EXPECT_EQ(rows(u"select \"Libellé\" from Questions where Code = '2'"_s),
        (QStringList{u"Que veut dire \"thermique\" ?"_s, u"Delta seulement"_s}));
    EXPECT_EQ(c.questionnaireLines(), QStringList{u"2/1- Que veut dire \"thermique\" ?"_s})
        << "only the corrected question stays selected";
    EXPECT_EQ(c.lstQCM(0)->currentIndex().row(), 70);

    // A stored questionnaire receives the new statement at once.
    nameAndDate(u"Stocké"_s);
    c.cmd(1)->click();
    clickEntry(70, Qt::RightButton);
    c.mnuPopupModif()->hide();
    dialogs.inputAnswers = {u"Thermique ?"_s};
    c.mnuPopModif(0)->trigger();
    EXPECT_EQ(rows(u"select \"Libellé\" from QCM"_s), QStringList{u"Thermique ?"_s});
    EXPECT_FALSE(state.QcmModified);
}

TEST_F(ComposerTest, AnIncompleteBankSendsTheUserToChooseAnother)
{
    const QString complete = bankPath();
    const QString incomplete = execOn(
        makeBank(dir, u"ancienne.mdb"_s, composerBank(3)), u"ALTER TABLE Questions DROP COLUMN DeltaBiHandi"_s);
    state.CloseDatabases();
    state.DbPath = incomplete;
    ASSERT_TRUE(state.BindDatabase());

    dialogs.boxAnswers = {0, 0};
    dialogs.openAnswers = {QString()};
    state.OpenComposer();
    EXPECT_EQ(dialogs.boxes.value(0),
        Box(u"Cette base est incomplète. Ouvrez en une autre !"_s, Icon::Error, u"Base incomplète"_s, u"OK"_s));
    EXPECT_EQ(dialogs.messages().value(1), u"Aucune modification"_s);
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
