#include "composer/ComposerFixture.h"
#include "editor/EditorFixture.h"

using namespace qcm;
using namespace qcm::test;

namespace {

// Whoever changes the bank, and however the change ends, the composer's list
// of candidates and the practice window's count of questions show the bank as
// it is: nothing a writer could forget to do keeps them on an older reading.
TEST_F(ComposerTest, CandidatesAndThePracticeCountFollowMarkingDeletionAndRollback)
{
    fCreaQCM &c = open();
    tick(3); // hang-gliding: 2/1 and 2/2 only
    EXPECT_EQ(c.candidates().count(), 2);
    runner.FillDomainList();
    EXPECT_EQ(state.QuestionCount, 70);

    // The editor marks all of domain 1 for hang-gliding.
    FakeView view;
    QuestionEditor editor(state, view);
    editor.FillEditorDomainList();
    view.selectDomain(0);
    view.fields[0] = u"1"_s;
    dialogs.boxAnswers = {0, 0};
    editor.batchMark(3);
    c.QCMListe();
    EXPECT_EQ(c.candidates().count(), 72);

    // A question deleted by another writer than the practice window's binding.
    ASSERT_FALSE(state.bank().removeQuestion(u"1"_s, 70));
    c.QCMListe();
    EXPECT_EQ(c.candidates().count(), 71);
    EXPECT_TRUE(c.candidates().positionsOf(u"1/70- Question 70"_s).isEmpty());
    runner.domainClicked();
    EXPECT_EQ(state.QuestionCount, 69);

    // What was read inside a transaction that is then undone is read again.
    {
        Transaction transaction(state.connection());
        ASSERT_FALSE(state.bank().removeQuestion(u"1"_s, 1));
        c.QCMListe();
        EXPECT_EQ(c.candidates().count(), 70);
        runner.domainClicked();
        EXPECT_EQ(state.QuestionCount, 68);
    }
    c.QCMListe();
    EXPECT_EQ(c.candidates().count(), 71);
    EXPECT_EQ(c.candidates().line(0), u"1/1- Question 1"_s);
    runner.domainClicked();
    EXPECT_EQ(state.QuestionCount, 69);
    EXPECT_EQ(runner.lbl(2)->text(), u"1.1"_s);
}

} // namespace
