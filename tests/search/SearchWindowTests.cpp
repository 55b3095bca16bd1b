#include "app/AppWindows.h"
#include "composer/ComposerFixture.h"
#include "editor/fSaisie.h"
#include "runner/fQCM.h"
#include "search/FilteredList.h"
#include "search/SearchField.h"

#include <QApplication>
#include <QCheckBox>
#include <QTest>

using namespace qcm;
using namespace qcm::test;

namespace {

using Box = ScriptedDialogs::Box;

BankContent windowBank()
{
    Question alps = makeQuestion(u"1"_s, 3, u"Quel vent descend des Alpes ?"_s, {6, -2});
    alps.lib[0] = u"Le foehn"_s;
    return {{{u"1"_s, u"Météo"_s}, {u"2"_s, u"Aérologie"_s}},
        {makeQuestion(u"1"_s, 1, u"Que prévoit la météo ?"_s, {6, 0}),
            makeQuestion(u"1"_s, 2, u"Le cœur d'un thermique"_s, {6, 0}), alps,
            makeQuestion(u"2"_s, 1, u"Le foehn est-il sec ?"_s, {6, 0})}};
}

class SearchWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        makeBank(dir, u"VAR-irururiza.zov"_s, windowBank());
        state.readSettings();
        runner.load();
        runner.show();
        runner.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&runner));
    }
    // Types into the box as a user would, then lets the pause end.
    static void type(SearchField *field, const QString &text)
    {
        field->setFocus();
        field->clear();
        // The test tool types ASCII only.
        const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
        if (ascii)
            QTest::keyClicks(field, text);
        else
            field->insert(text);
        field->searchNow();
    }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    QCMBas state{dialogs, dir.path()};
    fQCM runner{state};
    AppWindows windows{state, runner};
};

TEST_F(SearchWindowTest, ThePracticeWindowOpensTheQuestionFoundInItsDomain)
{
    QTest::keyClick(&runner, Qt::Key_F, Qt::ControlModifier);
    SearchField *search = runner.txtRecherche();
    EXPECT_TRUE(search->hasFocus()) << "Ctrl+F";
    type(search, u"FOEHN"_s);
    ASSERT_TRUE(search->resultsShown());
    ASSERT_EQ(search->results().rowCount(), 2);
    EXPECT_EQ(search->results().index(0).data().toString(), u"Question 2.1, Aérologie : Le foehn est-il sec ?"_s);
    EXPECT_EQ(search->results().index(1).data().toString(),
        u"Question 1.3, Météo : Quel vent descend des Alpes ? (réponse A : Le foehn)"_s);

    QTest::keyClick(search, Qt::Key_Down);
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_FALSE(search->resultsShown());
    EXPECT_EQ(runner.lbl(2)->text(), u"1.3"_s);
    EXPECT_EQ(runner.lbl(1)->text(), u"Question n° 3 sur 3"_s);
    EXPECT_EQ(runner.lstDomaine()->currentText(), u"1  Météo"_s);
    runner.ShowPreviousQuestion();
    EXPECT_EQ(runner.lbl(2)->text(), u"1.2"_s) << "the walk goes on from the question found";

    // A click opens a result too; digits typed in the box tick nothing.
    type(search, u"2.1"_s);
    EXPECT_FALSE(runner.chkVal(0)->isChecked());
    QListView *list = search->resultList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 0)).center());
    EXPECT_EQ(runner.lbl(2)->text(), u"2.1"_s);
    EXPECT_EQ(runner.lstDomaine()->currentText(), u"2  Aérologie"_s);

    type(search, u"grêlon"_s);
    EXPECT_EQ(search->results().index(0).data().toString(), u"Aucune question ne contient ces mots."_s);
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(runner.lbl(2)->text(), u"2.1"_s) << "nothing to open";
    QTest::keyClick(search, Qt::Key_Escape);
    QTest::keyClick(search, Qt::Key_Escape);
    EXPECT_TRUE(search->text().isEmpty());
}

TEST_F(SearchWindowTest, TheEditorLoadsTheQuestionFoundAndAsksBeforeDroppingTypedInput)
{
    fSaisie editor(state);
    editor.show();
    editor.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    auto *search = editor.findChild<SearchField *>();
    ASSERT_TRUE(search);
    QTest::keyClick(&editor, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(search->hasFocus());
    type(search, u"coeur"_s);
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(editor.text(0), u"1"_s);
    EXPECT_EQ(editor.text(1), u"Météo"_s);
    EXPECT_EQ(editor.text(2), u"2"_s);
    EXPECT_EQ(editor.text(3), u"Le cœur d'un thermique"_s);
    EXPECT_EQ(editor.selectedDomain(), 0);
    EXPECT_TRUE(editor.txt(3)->hasFocus());

    QTest::keyClick(editor.txt(3), Qt::Key_X);
    ASSERT_TRUE(state.QuestionModified);
    const QString typed = editor.text(3);
    type(search, u"2.1"_s);
    dialogs.boxAnswers = {1};
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(dialogs.boxes.last(),
        (Box{u"La saisie n'est pas enregistrée. Voulez-vous l'abandonner pour ouvrir la question 2.1 ?"_s, 2,
            u"Saisie non enregistrée !"_s, u"Oui"_s, u"Non"_s}));
    EXPECT_EQ(editor.text(3), typed) << "kept";
    dialogs.boxAnswers = {0};
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(editor.text(3), u"Le foehn est-il sec ?"_s);
    EXPECT_EQ(editor.selectedDomain(), 1);
    EXPECT_FALSE(state.QuestionModified);
    editor.hide();
}

class ComposerFilterTest : public ComposerTest { };

TEST_F(ComposerFilterTest, TheFilterNarrowsTheListAndKeepsWhatItHidesSelected)
{
    fCreaQCM &c = open();
    tick(0);
    ASSERT_EQ(c.candidates().count(), 71);
    clickEntry(4); // 1/5
    clickEntry(70); // 2/1, the quoted statement
    QuestionFilterField *filter = c.txtFiltre();
    QTest::keyClick(&c, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(filter->hasFocus());
    QTest::keyClicks(filter, u"question 1"_s);
    filter->filterNow();
    QListView *list = c.lstQCM(0);
    // "Question 1", "Question 10" to "Question 19": word starts.
    ASSERT_EQ(list->model()->rowCount(), 11);
    EXPECT_EQ(filter->countLabel()->text(), u"11 questions montrées sur 71"_s);
    EXPECT_EQ(list->model()->index(1, 0).data().toString(), u"1/10- Question 10"_s);
    EXPECT_EQ(selected().size(), 0u) << "the view shows none of the two selected";
    clickEntry(1); // 1/10, seen filtered
    EXPECT_EQ(
        c.questionnaireLines(), (QStringList{u"1/5- Question 5"_s, u"1/10- Question 10"_s, u"2/1- "_s + kQuoted}));
    EXPECT_TRUE(c.lbl(0)->text().startsWith(u"Sélectionnez encore 57 questions. "_s));

    QTest::keyClick(filter, Qt::Key_Escape);
    EXPECT_EQ(list->model()->rowCount(), 71);
    EXPECT_TRUE(filter->countLabel()->text().isEmpty());
    EXPECT_EQ(selected(), (std::vector<int>{4, 9, 70})) << "the view shows the whole selection again";

    // A choice's word, and the list rebuilt while filtered.
    QTest::keyClicks(filter, u"fort"_s);
    filter->filterNow();
    ASSERT_EQ(list->model()->rowCount(), 1);
    EXPECT_EQ(list->model()->index(0, 0).data().toString(), u"2/1- "_s + kQuoted);
    tick(3);
    EXPECT_EQ(list->model()->rowCount(), 1) << "the filter holds for the new list";
    EXPECT_EQ(c.candidates().count(), 72);
}

} // namespace
