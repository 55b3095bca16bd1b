#include "RunnerFixture.h"

#include "dialogs/frmAbout.h"

#include <QSignalSpy>

#include <qpa/qwindowsysteminterface.h>

using namespace qcm;
using namespace qcm::test;

namespace {

TEST_F(RunnerTest, TickingEnablesTheCheckAndUntickingTheLastDisablesIt)
{
    fQCM &w = start();
    EXPECT_FALSE(w.cmd(1)->isEnabled());
    QTest::mouseClick(w.lblLib(0), Qt::LeftButton);
    EXPECT_TRUE(w.chkVal(0)->isChecked()) << "a click on the text ticks the box";
    EXPECT_TRUE(w.cmd(1)->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), w.cmd(1));
    typeKey('3');
    EXPECT_TRUE(w.chkVal(2)->isChecked());
    QTest::mouseClick(w.chkVal(0), Qt::LeftButton);
    typeKey('3');
    EXPECT_FALSE(w.cmd(1)->isEnabled());

    // A move shows the next question unticked.
    QTest::mouseClick(w.lblLib(1), Qt::LeftButton);
    w.cmd(4)->click();
    for (int i = 0; i < 6; ++i)
        EXPECT_FALSE(w.chkVal(i)->isChecked()) << i;
    EXPECT_FALSE(w.cmd(1)->isEnabled());

    // Quitting with ticks asks nothing.
    QSignalSpy quit(&w, &fQCM::quitRequested);
    typeKey('1');
    w.cmd(0)->click();
    EXPECT_EQ(quit.count(), 1);
}

TEST_F(RunnerTest, CheckingRevealsThePointsOfExistingChoicesAndLocksTheTicks)
{
    fQCM &w = start();
    typeKey('1');
    typeKey('2');
    w.cmd(1)->click();
    EXPECT_EQ(slotStates(), u"#p #p #p -. -. -."_s) << "three choices, three points";
    EXPECT_EQ(QApplication::focusWidget(), w.cmd(4));

    QTest::mouseClick(w.lblLib(2), Qt::LeftButton);
    EXPECT_FALSE(w.chkVal(2)->isChecked()) << "a locked box ignores clicks on its text";
    typeKey('3');
    EXPECT_TRUE(w.chkVal(2)->isChecked()) << "digit keys still toggle";
    typeKey('5');
    EXPECT_TRUE(w.chkVal(4)->isChecked()) << "even a hidden box";
    EXPECT_TRUE(w.lblVal(4)->isHidden());

    w.cmd(4)->click();
    EXPECT_EQ(slotStates(), u"o. o. o. -. -. -."_s) << "question 1.2";
}

TEST_F(RunnerTest, LearnModeHoldsFromQuestionToQuestionUntilSwitchedOff)
{
    fQCM &w = start();
    w.chkApprendre()->click();
    EXPECT_EQ(slotStates(), u"#p #p #p -. -. -."_s);
    EXPECT_TRUE(w.cmd(1)->isHidden());
    w.cmd(4)->click();
    EXPECT_EQ(w.lbl(2)->text(), u"1.2"_s);
    EXPECT_EQ(slotStates(), u"#p #p #p -. -. -."_s) << "no points without a choice";
    selectDomain(2);
    EXPECT_EQ(slotStates(), u"#p #p -. -. -. -."_s);
    EXPECT_TRUE(w.cmd(1)->isHidden());

    w.chkApprendre()->click();
    EXPECT_EQ(slotStates(), u"o. o. -. -. -. -."_s);
    EXPECT_FALSE(w.cmd(1)->isHidden());
    QTest::mouseClick(w.lblLib(0), Qt::LeftButton);
    EXPECT_TRUE(w.cmd(1)->isEnabled());
}

// What the window system reports when the focus moves; null while another
// program has it.
void focusGoesTo(QWindow *window)
{
    QWindowSystemInterface::handleWindowActivated<QWindowSystemInterface::SynchronousDelivery>(window);
}

TEST_F(RunnerTest, ComingBackFromAnotherProgramKeepsTheAnswerButABoxOfOursDoesNot)
{
    fQCM &w = start();
    typeKey('1');
    typeKey('3');
    w.cmd(1)->click();
    auto answerKept = [&] {
        return w.chkVal(0)->isChecked() && w.chkVal(2)->isChecked() && !w.lblVal(0)->isHidden()
            && !w.chkVal(0)->isEnabled();
    };
    ASSERT_TRUE(answerKept());

    focusGoesTo(nullptr);
    ASSERT_EQ(QGuiApplication::focusWindow(), nullptr);
    focusGoesTo(w.windowHandle());
    EXPECT_TRUE(answerKept()) << "back from another program";

    // A window of the program takes the focus, the user visits another
    // program, comes back to that window, which then hands the focus back.
    QWidget box;
    box.setWindowTitle(u"Avis"_s);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    focusGoesTo(box.windowHandle());
    EXPECT_TRUE(answerKept());
    focusGoesTo(nullptr);
    focusGoesTo(box.windowHandle());
    focusGoesTo(w.windowHandle());
    EXPECT_FALSE(w.chkVal(0)->isChecked()) << "the window took its turn after another of its program's windows";
    EXPECT_TRUE(w.lblVal(0)->isHidden());
    EXPECT_TRUE(w.chkVal(0)->isEnabled());
}

TEST_F(RunnerTest, KeyboardAloneDrivesTheWindow)
{
    fQCM &w = start();
    typeKey('2');
    ASSERT_EQ(QApplication::focusWidget(), w.cmd(1));
    QTest::keyClick(w.cmd(1), Qt::Key_Return);
    QTest::qWait(200); // animated click
    EXPECT_FALSE(w.lblVal(1)->isHidden());
    ASSERT_EQ(QApplication::focusWidget(), w.cmd(4));
    QTest::keyClick(w.cmd(4), Qt::Key_Enter);
    QTest::qWait(200);
    EXPECT_EQ(w.lbl(2)->text(), u"1.2"_s);

    // A digit typed while the domain list has the focus ticks a choice without changing domain.
    w.lstDomaine()->setFocus();
    QTest::keyClick(w.lstDomaine(), '3');
    EXPECT_TRUE(w.chkVal(2)->isChecked());
    EXPECT_EQ(w.lstDomaine()->currentIndex(), 0);

    QTest::keyRelease(QApplication::focusWidget(), Qt::Key_F1);
    ASSERT_NE(w.aboutBox(), nullptr);
    EXPECT_TRUE(w.aboutBox()->isVisible());
    EXPECT_FALSE(w.aboutBox()->isModal());
}

} // namespace
