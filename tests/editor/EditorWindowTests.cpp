#include "EditorFixture.h"

#include "app/AppWindows.h"
#include "dialogs/WindowDriver.h"
#include "editor/fSaisie.h"
#include "runner/fQCM.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

using namespace qcm;
using namespace qcm::test;

namespace {

// Records what the editor asks of the other windows.
class WindowsSpy : public WindowDirectory {
public:
    void showComposer() override { calls << "showComposer"; }
    void fillQcmCombo() override { calls << "fillQcmCombo"; }
    void showReports(bool modal) override { calls << (modal ? "showReports(modal)" : "showReports"); }
    QStringList calls;
};

// The practice window on a bank whose domain codes are 1, 2 and 4, and the editor over it.
class EditorWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = makeBank(dir, "VAR-irururiza.zov",
            {{{"1", "Météo"}, {"2", "Pilotage"}, {"4", "Matériel"}},
                {makeQuestion("1", 1, "Un", {6, 0}), makeQuestion("2", 1, "Décollage", {6, 0}),
                    makeQuestion("4", 1, "Un", {6, 0}), makeQuestion("4", 3, "Trois", {6, 0}),
                    makeQuestion("4", 7, "Sept", {6, 0})}});
        state.readSettings();
        runner = std::make_unique<fQCM>(state);
        runner->load();
        runner->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(runner.get()));
    }
    fSaisie &openEditor()
    {
        if (!editor)
            editor = std::make_unique<fSaisie>(state);
        editor->show();
        editor->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(editor.get()));
        return *editor;
    }
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    QCMBas state{dialogs, dir.path()};
    QString path;
    std::unique_ptr<fQCM> runner;
    std::unique_ptr<fSaisie> editor;
};

TEST_F(EditorWindowTest, EveryControlIsReachedByKeyboardAndReadByName)
{
    fSaisie &w = openEditor();
    EXPECT_EQ(w.windowTitle(), "Saisie");
    EXPECT_EQ(w.lstDom()->model()->index(2, 1).data(), "Matériel");
    // The reference shows data: its text is what is read, its role the description.
    EXPECT_TRUE(w.lbl(9)->accessibleName().isEmpty());
    EXPECT_FALSE(w.lbl(9)->accessibleDescription().isEmpty());
    for (QWidget *control : w.findChildren<QWidget *>()) {
        if (control->focusPolicy() == Qt::NoFocus || control->objectName().startsWith("qt_")
            || control->parentWidget() != &w)
            continue;
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(a, nullptr);
        EXPECT_FALSE(a->text(QAccessible::Name).remove(u'&').trimmed().isEmpty())
            << control->metaObject()->className() << " " << control->objectName().toStdString();
        EXPECT_TRUE(control->focusPolicy() & Qt::TabFocus) << control->objectName().toStdString();
    }
}

TEST_F(EditorWindowTest, HandedOverQuestionIsShownAndClosingHandsItBackToThePracticeWindow)
{
    state.EditorDomainIndex = 2;
    state.EditorQuestionNumber = "3";
    fSaisie &w = openEditor();
    EXPECT_EQ(w.selectedDomain(), 2);
    EXPECT_EQ(w.text(0), "4");
    EXPECT_EQ(w.text(3), "Trois");
    EXPECT_EQ(static_cast<QLabel *>(w.lbl(9))->text(), "QCM 4.3");

    // Keys in the code and title do not mark the question as changed.
    QTest::keyClick(w.txt(1), Qt::Key_A);
    EXPECT_FALSE(state.QuestionModified);
    w.setText(2, "7");
    ASSERT_TRUE(w.close());
    EXPECT_EQ(runner->lstDomaine()->currentText(), "4  Matériel");
    EXPECT_EQ(runner->lbl(2)->text(), "4.7");
    EXPECT_EQ(runner->lbl(1)->text(), "Question n° 3 sur 3");

    // Opened by the runner's button: nothing handed over, first domain, no number.
    openEditor();
    EXPECT_EQ(w.selectedDomain(), 0);
    EXPECT_TRUE(w.text(2).isEmpty());

    // A key in the statement does, not the release of a shortcut: closing
    // asks, "Non" keeps the window open.
    QTest::keyRelease(w.txt(3), Qt::Key_Q, Qt::AltModifier);
    EXPECT_FALSE(state.QuestionModified);
    QTest::keyClick(w.txt(3), Qt::Key_B);
    EXPECT_TRUE(state.QuestionModified);
    dialogs.boxAnswers = {1, 0};
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(dialogs.boxes[0],
        (Box{"La saisie n'est pas enregistrée. Voulez-vous quitter quand même ?", 2, "Saisie non enregistrée !", "Oui",
            "Non"}));
    EXPECT_TRUE(w.close());
    EXPECT_EQ(runner->lstDomaine()->currentText(), "1  Météo");
}

// Learn mode on a question of four choices; the editor goes to one of three.
TEST_F(EditorWindowTest, ThePracticeWindowShowsNoPointsBoxOfAChoiceTheHandedBackQuestionLacks)
{
    ASSERT_FALSE(state.bank().saveQuestion(makeQuestion("1", 1, "Quatre", {6, 0, -1, -2})));
    ASSERT_FALSE(state.bank().saveQuestion(makeQuestion("1", 2, "Trois", {6, 0, -1})));
    runner->FillDomainList();
    runner->chkApprendre()->setChecked(true);
    ASSERT_FALSE(runner->lblVal(3)->isHidden());

    fSaisie &w = openEditor();
    w.txt(2)->setFocus();
    static_cast<QLineEdit *>(w.txt(2))->clear();
    QTest::keyClicks(w.txt(2), "2");
    QTest::keyClick(w.txt(2), Qt::Key_Return);
    EXPECT_EQ(w.text(3), "Trois");
    dialogs.boxAnswers = {0}; // the number typed counts as input: leave all the same
    ASSERT_TRUE(w.close());
    EXPECT_EQ(runner->lbl(2)->text(), "1.2");
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(runner->lblVal(i)->isHidden(), i >= 3) << "points box " << i;
}

// A bank written by another tool holds a NUL: the editor shows the question,
// and the save names the field rather than storing or cutting it silently.
TEST_F(EditorWindowTest, AStoredControlCharacterIsNamedAtTheSave)
{
    Question q = makeQuestion("4", 3, u"Trois\u0000 et la suite"_s, {6, 0});
    q.flags[0] = 1;
    ASSERT_FALSE(state.bank().saveQuestion(q));
    state.EditorDomainIndex = 2;
    state.EditorQuestionNumber = "3";
    fSaisie &w = openEditor();
    EXPECT_EQ(w.text(3), u"Trois\u0000 et la suite"_s);
    dialogs.boxAnswers = {0};
    w.cmd(3)->click();
    EXPECT_TRUE(dialogs.boxes.value(0).message.startsWith(
        "Le champ « Libellé » contient un caractère de contrôle invisible (code 0)"));
    EXPECT_EQ(QApplication::focusWidget(), w.txt(3));
    EXPECT_EQ(queryValue(path, "SELECT length(\"Libellé\") FROM Questions WHERE Code = '4' AND Numero = 3"), "5")
        << "stored as it was; SQL functions stop at the NUL";
}

TEST_F(EditorWindowTest, AQuestionCreatedFromMaintenanceIsShownByThePracticeWindow)
{
    AppWindows windows(state, *runner);
    whenShown<fSaisie>([&](fSaisie *w) {
        const QRect domain2 = w->lstDom()->visualRect(w->lstDom()->model()->index(1, 1));
        QTest::mouseClick(w->lstDom()->viewport(), Qt::LeftButton, {}, domain2.center());
        EXPECT_EQ(w->text(2), "2");
        QTest::keyClicks(w->txt(3), "Que faire par vent fort ?");
        const QStringList points{"3", "3", "0", "-2"};
        for (int k = 0; k < 4; ++k) {
            QTest::keyClicks(w->txt(4 + 2 * k), u"Choix %1"_s.arg(k + 1));
            QTest::keyClicks(w->txt(5 + 2 * k), points[k]);
        }
        w->chkOpt(3)->click();
        w->cmd(3)->click();
        EXPECT_EQ(w->text(2), "3");
        EXPECT_FALSE(state.QuestionModified);
        w->cmd(0)->click();
    });
    windows.showEditor();
    EXPECT_EQ(queryValue(path,
                  "SELECT \"Libellé\", lib3, Val3, lib4, DeltaSolo FROM Questions WHERE Code = '2' AND "
                  "Numero = 2"),
        "Que faire par vent fort ?|Choix 4|-2||1");
    EXPECT_EQ(runner->lstDomaine()->currentText(), "2  Pilotage");
    EXPECT_EQ(runner->lbl(2)->text(), "2.2");
    EXPECT_EQ(runner->lbl(3)->text(), "Que faire par vent fort ?");
    EXPECT_EQ(runner->lbl(1)->text(), "Question n° 2 sur 2");
}

TEST_F(EditorWindowTest, LeavingFieldsChecksPointsAndLoadsOnlyAChangedNumber)
{
    state.EditorDomainIndex = 2;
    state.EditorQuestionNumber = "3";
    fSaisie &w = openEditor();
    w.txt(5)->setFocus();
    static_cast<QLineEdit *>(w.txt(5))->clear();
    QTest::keyClicks(w.txt(5), "9");
    dialogs.boxAnswers = {0};
    QTest::keyClick(w.txt(5), Qt::Key_Tab);
    EXPECT_EQ(dialogs.boxes[0], (Box{"Les points vont de -6 à 6 !", 2, "Erreur de saisie"}));
    EXPECT_TRUE(w.text(5).isEmpty());
    QTRY_COMPARE(QApplication::focusWidget(), w.txt(5));

    // Through the number without changing it: what was typed stays.
    w.setText(3, "Retouché");
    w.txt(2)->setFocus();
    w.txt(3)->setFocus();
    EXPECT_EQ(w.text(3), "Retouché");
    w.txt(2)->setFocus();
    QTest::keyClick(w.txt(2), Qt::Key_Backspace);
    QTest::keyClicks(w.txt(2), "7");
    QTest::keyClick(w.txt(2), Qt::Key_Return); // moves on, as Tab
    EXPECT_EQ(w.text(3), "Sept");
}

TEST_F(EditorWindowTest, TheRightButtonMarksTheDomainAndTextsKeepTheirCharacters)
{
    fSaisie &w = openEditor();
    w.chkOpt(4)->click();

    // The right button asks about the whole domain and leaves the box as it was.
    dialogs.boxAnswers = {1, 0};
    QTest::mouseClick(w.chkOpt(4), Qt::RightButton);
    EXPECT_EQ(dialogs.boxes[0].title, "Traitement par lot");
    EXPECT_EQ(dialogs.boxes[1], (Box{"Opération annulée.", 0, "Annulation", "OK"}));
    EXPECT_TRUE(w.chkOpt(4)->isChecked());

    // Texts keep their line breaks and non-breaking spaces.
    const QString text = u"Première ligne\r\nSeconde\u00a0?"_s;
    w.setText(3, text);
    EXPECT_EQ(w.text(3), text);
}

TEST_F(EditorWindowTest, ComposerAfterARefusedClosingOpensNothingAndReportsHideTheEditor)
{
    WindowsSpy spy;
    state.setWindows(&spy);
    fSaisie &w = openEditor();
    state.QuestionModified = true;
    dialogs.boxAnswers = {1, 0};
    w.cmd(9)->click();
    EXPECT_TRUE(spy.calls.isEmpty());
    EXPECT_TRUE(w.isVisible());
    w.cmd(9)->click();
    EXPECT_EQ(spy.calls, (QStringList{"showComposer", "fillQcmCombo"}));
    EXPECT_FALSE(w.isVisible());

    // Hidden for the reports: the practice window gets its own questions back.
    const StoreQuery runnerSource = state.datQue.recordSource();
    state.EditorDomainIndex = 2;
    state.EditorQuestionNumber = "3";
    openEditor();
    ASSERT_NE(state.datQue.recordSource(), runnerSource) << "the editor reads its own domain";
    w.cmd(7)->click();
    EXPECT_EQ(spy.calls.last(), "showReports(modal)");
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(state.EditorQuestionNumber, "3") << "hidden, not closed";
    EXPECT_EQ(state.datQue.recordSource(), runnerSource);
    state.setWindows(nullptr);
}

} // namespace
