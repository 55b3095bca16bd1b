#include "RunnerFixture.h"

#include <QContextMenuEvent>

using namespace qcm;
using namespace qcm::test;

namespace {

using Box = ScriptedDialogs::Box;
const QString kPrompt = u"Corrigez le libellé et enregistrez votre modification en cliquant sur 'OK'"_s;

// Records what the practice window asks of the other windows.
struct RecordingWindows : WindowDirectory {
    explicit RecordingWindows(QCMBas &state) : state(state) { }
    void showEditor() override { editorOpenings.append({state.EditorDomainIndex, state.EditorQuestionNumber}); }
    void showComposer() override { ++composerOpenings; }
    QCMBas &state;
    QList<std::pair<int, QString>> editorOpenings;
    int composerOpenings = 0;
};

// Domain codes with a gap: 1, 2, 4.
class Corrections : public RunnerTest {
protected:
    void SetUp() override
    {
        Question cloud = makeQuestion(u"1"_s, 1, u"Quel nuage ?"_s, {6, 0, -1, -2});
        cloud.lib = {u"Cumulus"_s, u"Stratus"_s, u"Cirrus"_s, u"Altocumulus"_s, {}, {}};
        path = makeBank(dir, u"VAR-irururiza.zov"_s,
            {{{u"1"_s, u"Météo"_s}, {u"2"_s, u"Matériel"_s}, {u"4"_s, u"Réglementation"_s}},
                {cloud, makeQuestion(u"4"_s, 7, u"Hauteur minimale ?"_s, {6, 0})}});
        state.setWindows(&windows);
    }
    void TearDown() override { state.setWindows(nullptr); }

    // What the file holds for question 1.1, "-" once it is gone.
    QString stored(const QString &columns) const
    {
        return queryValue(path, u"SELECT %1 FROM Questions WHERE Code = '1' AND Numero = 1"_s.arg(columns));
    }

    QString path;
    RecordingWindows windows{state};
};

TEST_F(Corrections, TheStatementIsStoredAsTypedQuotesIncludedAndShownAtOnce)
{
    fQCM &w = start();
    typeKey('1');
    w.cmd(1)->click();
    QTest::mouseClick(w.lbl(3), Qt::RightButton);
    ASSERT_TRUE(w.mnuPopup()->isVisible());
    w.mnuPopup()->close();

    const QString typed = u" Quel nuage \"d'orage\" ?"_s;
    dialogs.inputAnswers = {typed};
    w.mnuPop()->trigger();
    EXPECT_EQ(dialogs.inputs.value(0).prompt, kPrompt);
    EXPECT_EQ(dialogs.inputs.value(0).title, u"Corriger un libellé"_s);
    EXPECT_EQ(dialogs.inputs.value(0).defaultText, u"Quel nuage ?"_s);
    EXPECT_EQ(w.lbl(3)->text(), typed);
    EXPECT_EQ(stored(u"\"Libellé\""_s), typed);
    // The answer on view is not touched.
    EXPECT_TRUE(w.chkVal(0)->isChecked());
    EXPECT_FALSE(w.lblVal(0)->isHidden());
}

TEST_F(Corrections, TheFourthChoiceIsStoredInItsOwnFieldAndKeepsItsPoints)
{
    fQCM &w = start();
    // The menu key on the choice's box, as a keyboard user opens the menu.
    w.chkVal(3)->setFocus();
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    QApplication::sendEvent(w.chkVal(3), &menuKey);
    ASSERT_TRUE(w.mnuPopupRep()->isVisible());
    w.mnuPopupRep()->close();
    ASSERT_EQ(state.ChosenAnswer, 3);
    const QString typed = u"Altocumulus \"lenticulaire\" d'onde"_s;
    dialogs.inputAnswers = {typed};
    w.mnuPopRep()->trigger();
    EXPECT_EQ(dialogs.inputs.value(0).title, u"Corriger une réponse"_s);
    EXPECT_EQ(dialogs.inputs.value(0).defaultText, u"Altocumulus"_s);
    EXPECT_EQ(w.lblLib(3)->text(), typed);
    EXPECT_EQ(stored(u"lib3, Val3, lib2, \"Libellé\""_s), typed + u"|-2|Cirrus|Quel nuage ?"_s);
}

TEST_F(Corrections, BlanksCancelsAndEmptyChoicesChangeNothing)
{
    fQCM &w = start();
    const QByteArray before = fileBytes(path);
    // Blanks around the old text, then a cancelled box: no change, no message.
    dialogs.inputAnswers = {u"   Quel nuage ?  "_s, QString()};
    w.mnuPop()->trigger();
    w.mnuPop()->trigger();
    EXPECT_EQ(w.lbl(3)->text(), u"Quel nuage ?"_s);

    QTest::mouseClick(w.lblLib(1), Qt::RightButton);
    EXPECT_TRUE(w.mnuPopupRep()->isVisible());
    w.mnuPopupRep()->close();
    EXPECT_FALSE(w.chkVal(1)->isChecked()) << "a right click does not tick";
    QTest::mouseClick(w.lblLib(4), Qt::RightButton);
    EXPECT_FALSE(w.mnuPopupRep()->isVisible()) << "an empty choice text opens nothing";
    EXPECT_EQ(state.ChosenAnswer, 1);
    dialogs.inputAnswers = {u" Stratus "_s, u"   "_s, QString()};
    dialogs.boxAnswers = {0, 0};
    w.mnuPopRep()->trigger();
    w.mnuPopRep()->trigger();
    w.mnuPopRep()->trigger();
    // The same text with blanks is no change; a cancelled box reaches the
    // correction as an empty answer.
    const Box empty{u"Désolé, je ne peux pas enregistrer une réponse vide !"_s, 6, "Erreur de saisie !", "OK"};
    EXPECT_EQ(dialogs.boxes, QList<Box>(2, empty));
    EXPECT_EQ(w.lblLib(1)->text(), u"Stratus"_s);
    EXPECT_EQ(dialogs.inputs.size(), 5);

    // No question on view: nothing to correct, nothing asked.
    selectDomain(1);
    QTest::mouseClick(w.lbl(3), Qt::RightButton);
    EXPECT_FALSE(w.mnuPop()->isEnabled());
    EXPECT_FALSE(w.mnuPop1()->isEnabled());
    w.mnuPopup()->close();
    w.mnuPop()->trigger();
    EXPECT_EQ(dialogs.inputs.size(), 5);

    state.CloseDatabases();
    EXPECT_EQ(fileBytes(path), before);
}

TEST_F(Corrections, AWriteThatFailsOrAQuestionGoneIsSaidAndTheWindowKeepsWhatTheFileHolds)
{
    fQCM &w = start();
    ASSERT_TRUE(state.connection()->db().exec(u"PRAGMA query_only = 1"_s));
    dialogs.inputAnswers = {u"Quel nuage d'orage ?"_s};
    dialogs.boxAnswers = {0};
    w.mnuPop()->trigger();
    EXPECT_EQ(dialogs.boxes.value(0),
        Box(u"Erreur 3027 La base de données est en lecture seule. dans la procédure 'mnuPop_Click'."_s, 6, "Erreur",
            "OK"));
    EXPECT_EQ(w.lbl(3)->text(), u"Quel nuage ?"_s);
    EXPECT_EQ(stored(u"\"Libellé\""_s), u"Quel nuage ?"_s);

    // Deleted meanwhile by another program: nothing stored, and said.
    ASSERT_TRUE(state.connection()->db().exec(u"PRAGMA query_only = 0"_s));
    execOn(path, u"DELETE FROM Questions WHERE Code = '1' AND Numero = 1"_s);
    dialogs.inputAnswers = {u"Quel nuage d'orage ?"_s};
    dialogs.boxAnswers = {0};
    w.mnuPop()->trigger();
    EXPECT_EQ(dialogs.boxes.value(1),
        Box(u"La question 1.1 n'existe plus dans la base : la correction n'a pas été enregistrée."_s, 2,
            "Correction impossible", "OK"));
    EXPECT_EQ(w.lbl(3)->text(), u"Quel nuage ?"_s);
    EXPECT_EQ(stored(u"\"Libellé\""_s), u"-"_s);
}

TEST_F(Corrections, TheEditorOpensOnTheDomainsPlaceInTheListNotOnItsCode)
{
    fQCM &w = start();
    selectDomain(2);
    QTest::mouseClick(w.lbl(2), Qt::RightButton);
    w.mnuPopup()->close();
    w.mnuPop1()->trigger();
    EXPECT_EQ(windows.editorOpenings, (QList<std::pair<int, QString>>{{2, u"7"_s}}));

    // "Maintenance" opens it on the first domain, with no question chosen.
    w.cmd(6)->click();
    EXPECT_EQ(windows.editorOpenings, (QList<std::pair<int, QString>>{{2, u"7"_s}, {0, QString()}}));
    w.cmd(9)->click();
    EXPECT_EQ(windows.composerOpenings, 1);
}

} // namespace
