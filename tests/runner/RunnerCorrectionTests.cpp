#include "RunnerFixture.h"

#include "database/Sqlite.h"

#include <QContextMenuEvent>

using namespace qcm;
using namespace qcm::test;

namespace {

const QString kPrompt = QStringLiteral("Corrigez le libellé et enregistrez votre modification en cliquant sur 'OK'");

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
        BankContent bank;
        bank.domains = {{QStringLiteral("1"), QStringLiteral("Météo")},
            {QStringLiteral("2"), QStringLiteral("Matériel")}, {QStringLiteral("4"), QStringLiteral("Réglementation")}};
        Question cloud = makeQuestion(QStringLiteral("1"), 1, QStringLiteral("Quel nuage ?"), {6, 0, -1, -2});
        cloud.lib = {QStringLiteral("Cumulus"), QStringLiteral("Stratus"), QStringLiteral("Cirrus"),
            QStringLiteral("Altocumulus"), {}, {}};
        Question height = makeQuestion(QStringLiteral("4"), 7, QStringLiteral("Hauteur minimale ?"), {6, 0});
        bank.questions = {cloud, height};
        path = makeBank(dir, QStringLiteral("VAR-irururiza.zov"), bank);
        state.setWindows(&windows);
    }
    void TearDown() override { state.setWindows(nullptr); }

    // What the file holds, read through a connection of its own.
    QVariant stored(const QString &column, const QString &code = QStringLiteral("1"), int numero = 1) const
    {
        SqliteDb db;
        EXPECT_TRUE(db.open(path, SqliteDb::Mode::ReadOnly));
        SqliteStatement st
            = db.prepare(QStringLiteral("SELECT \"%1\" FROM Questions WHERE Code = ? AND Numero = ?").arg(column));
        st.bindAll({code, numero});
        return st.step() ? st.column(0) : QVariant(QStringLiteral("(absente)"));
    }
    void rightClickChoice(int slot)
    {
        QTest::mouseClick(window->lblLib(slot), Qt::RightButton);
        EXPECT_TRUE(window->mnuPopupRep()->isVisible());
        window->mnuPopupRep()->close();
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

    const QString typed = QStringLiteral(" Quel nuage \"d'orage\" ?");
    dialogs.inputAnswers = {typed};
    w.mnuPop()->trigger();
    ASSERT_EQ(dialogs.inputs.size(), 1);
    EXPECT_EQ(dialogs.inputs[0].prompt, kPrompt);
    EXPECT_EQ(dialogs.inputs[0].title, QStringLiteral("Corriger un libellé"));
    EXPECT_EQ(dialogs.inputs[0].defaultText, QStringLiteral("Quel nuage ?"));
    EXPECT_EQ(w.lbl(3)->text(), typed);
    EXPECT_EQ(stored(QStringLiteral("Libellé")).toString(), typed);
    EXPECT_TRUE(dialogs.boxes.isEmpty());
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
    const QString typed = QStringLiteral("Altocumulus \"lenticulaire\" d'onde");
    dialogs.inputAnswers = {typed};
    w.mnuPopRep()->trigger();
    ASSERT_EQ(dialogs.inputs.size(), 1);
    EXPECT_EQ(dialogs.inputs[0].title, QStringLiteral("Corriger une réponse"));
    EXPECT_EQ(dialogs.inputs[0].defaultText, QStringLiteral("Altocumulus"));
    EXPECT_EQ(w.lblLib(3)->text(), typed);
    EXPECT_EQ(stored(QStringLiteral("lib3")).toString(), typed);
    EXPECT_EQ(stored(QStringLiteral("Val3")).toInt(), -2);
    EXPECT_EQ(stored(QStringLiteral("lib2")).toString(), QStringLiteral("Cirrus"));
    EXPECT_EQ(stored(QStringLiteral("Libellé")).toString(), QStringLiteral("Quel nuage ?"));
}

TEST_F(Corrections, BlanksCancelsAndEmptyChoicesChangeNothing)
{
    fQCM &w = start();
    const QByteArray before = fileBytes(path);
    // Blanks around the old text, then a cancelled box: no change, no message.
    dialogs.inputAnswers = {QStringLiteral("   Quel nuage ?  "), QString()};
    w.mnuPop()->trigger();
    w.mnuPop()->trigger();
    EXPECT_EQ(w.lbl(3)->text(), QStringLiteral("Quel nuage ?"));

    rightClickChoice(1);
    dialogs.inputAnswers = {QStringLiteral(" Stratus "), QStringLiteral("   "), QString()};
    dialogs.boxAnswers = {0, 0};
    w.mnuPopRep()->trigger();
    EXPECT_TRUE(dialogs.boxes.isEmpty()) << "the same text with blanks is no change";
    w.mnuPopRep()->trigger();
    w.mnuPopRep()->trigger();
    // A cancelled box reaches the correction as an empty answer.
    const ScriptedDialogs::Box empty{
        QStringLiteral("Désolé, je ne peux pas enregistrer une réponse vide !"), 6, "Erreur de saisie !", "OK"};
    EXPECT_EQ(dialogs.boxes, QList<ScriptedDialogs::Box>(2, empty));
    EXPECT_EQ(w.lblLib(1)->text(), QStringLiteral("Stratus"));
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
    ASSERT_TRUE(state.connection()->db().exec(QStringLiteral("PRAGMA query_only = 1")));
    dialogs.inputAnswers = {QStringLiteral("Quel nuage d'orage ?")};
    dialogs.boxAnswers = {0};
    w.mnuPop()->trigger();
    ASSERT_EQ(dialogs.boxes.size(), 1);
    EXPECT_EQ(dialogs.boxes[0],
        (ScriptedDialogs::Box{QStringLiteral("Erreur 3027 La base de données est en lecture seule. dans la procédure "
                                             "'mnuPop_Click'."),
            6, "Erreur", "OK"}));
    EXPECT_EQ(w.lbl(3)->text(), QStringLiteral("Quel nuage ?"));
    EXPECT_EQ(stored(QStringLiteral("Libellé")).toString(), QStringLiteral("Quel nuage ?"));

    // Deleted meanwhile by another program: nothing stored, and said.
    ASSERT_TRUE(state.connection()->db().exec(QStringLiteral("PRAGMA query_only = 0")));
    {
        SqliteDb other;
        ASSERT_TRUE(other.open(path, SqliteDb::Mode::ReadWrite));
        ASSERT_TRUE(other.exec(QStringLiteral("DELETE FROM Questions WHERE Code = '1' AND Numero = 1")));
    }
    dialogs.inputAnswers = {QStringLiteral("Quel nuage d'orage ?")};
    dialogs.boxAnswers = {0};
    w.mnuPop()->trigger();
    ASSERT_EQ(dialogs.boxes.size(), 2);
    EXPECT_EQ(dialogs.boxes[1],
        (ScriptedDialogs::Box{
            QStringLiteral("La question 1.1 n'existe plus dans la base : la correction n'a pas été enregistrée."), 2,
            "Correction impossible", "OK"}));
    EXPECT_EQ(w.lbl(3)->text(), QStringLiteral("Quel nuage ?"));
    EXPECT_EQ(stored(QStringLiteral("Libellé")), QVariant(QStringLiteral("(absente)")));
}

TEST_F(Corrections, TheEditorOpensOnTheDomainsPlaceInTheListNotOnItsCode)
{
    fQCM &w = start();
    selectDomain(2);
    ASSERT_EQ(w.lbl(2)->text(), QStringLiteral("4.7"));
    QTest::mouseClick(w.lbl(2), Qt::RightButton);
    w.mnuPopup()->close();
    w.mnuPop1()->trigger();
    ASSERT_EQ(windows.editorOpenings.size(), 1);
    EXPECT_EQ(windows.editorOpenings[0], (std::pair<int, QString>{2, QStringLiteral("7")}));

    // "Maintenance" opens it on the first domain, with no question chosen.
    w.cmd(6)->click();
    ASSERT_EQ(windows.editorOpenings.size(), 2);
    EXPECT_EQ(windows.editorOpenings[1], (std::pair<int, QString>{0, QString()}));
    w.cmd(9)->click();
    EXPECT_EQ(windows.composerOpenings, 1);
}

} // namespace
