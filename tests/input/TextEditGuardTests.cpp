#include "input/ControlCharacters.h"
#include "input/TextEditGuard.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace qcm::test {
namespace {

using namespace Qt::StringLiterals;

const QString kDirty = u"un\u0000deux\ttrois\r\nquatre\u0007\u007f\u0085"_s;
const QString kClean = u"undeux\ttrois\nquatre"_s;

class GuardedText : public ::testing::Test {
protected:
    GuardedText()
    {
        installControlCharacterGuard(&edit, [this] { ++refusals; });
        edit.show();
        edit.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&edit));
    }

    QPlainTextEdit edit;
    int refusals = 0;
};

TEST(ControlCharacters, TabAndLineBreaksAreTextEveryOtherControlIsRefused)
{
    EXPECT_EQ(withoutRefusedControls(kDirty), u"undeux\ttrois\r\nquatre"_s);
    EXPECT_EQ(firstRefusedControl(kDirty), 2);
    EXPECT_EQ(firstRefusedControl(u"é\u00a0\u2028\t"_s), -1) << "visible and layout characters pass";
}

// Pasted by the keyboard, the context menu or a drop, committed by an input
// method, or typed as one key's text: the text goes in without its controls.
TEST_F(GuardedText, EveryWayInLeavesTheControlCharactersOut)
{
    QGuiApplication::clipboard()->setText(kDirty);
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.toPlainText(), kClean);
    EXPECT_EQ(refusals, 1);

    edit.clear();
    const QPoint caret = edit.cursorRect().center();
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, caret, edit.mapToGlobal(caret));
    QApplication::sendEvent(&edit, &menuKey);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction *paste = menu->findChild<QAction *>(u"edit-paste"_s);
    ASSERT_NE(paste, nullptr);
    paste->trigger();
    menu->close();
    EXPECT_EQ(edit.toPlainText(), kClean);

    edit.clear();
    QMimeData dropped;
    dropped.setText(kDirty);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit.viewport(), &enter);
    QApplication::sendEvent(edit.viewport(), &drop);
    EXPECT_EQ(edit.toPlainText(), kClean);

    edit.clear();
    QInputMethodEvent committed;
    committed.setCommitString(kDirty);
    QApplication::sendEvent(&edit, &committed);
    EXPECT_EQ(edit.toPlainText(), kClean);

    edit.clear();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, u"a\u0000b"_s);
    QApplication::sendEvent(&edit, &key);
    EXPECT_EQ(edit.toPlainText(), u"ab"_s);
    EXPECT_EQ(refusals, 5);

    // Clean text, editing keys and the program's own text go their usual way.
    QGuiApplication::clipboard()->setText(u"propre\tet net"_s);
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.toPlainText(), u"abpropre\tet ne"_s);
    edit.setPlainText(kDirty);
    EXPECT_EQ(edit.toPlainText(), u"un\u0000deux\ttrois\nquatre\u0007\u007f\u0085"_s);
    EXPECT_EQ(refusals, 5);
}

} // namespace
} // namespace qcm::test
