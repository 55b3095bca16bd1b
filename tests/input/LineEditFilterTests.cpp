#include "input/ClavierBas.h"
#include "input/LineEditFilters.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace qcm::test {
namespace {

using namespace Qt::StringLiterals;

// A number, a points and a date field, in that tab order, then a plain one.
class FilteredFields : public ::testing::Test {
protected:
    FilteredFields()
    {
        auto *layout = new QVBoxLayout(&window);
        for (QLineEdit *edit : {code, points, date, plain})
            layout->addWidget(edit);
        installKeyFilter(code, FilterMode::Digits);
        installKeyFilter(points, FilterMode::SignedPoints);
        installKeyFilter(date, FilterMode::Date);
        installDateAutoSlash(date, DatePreviousLength);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        code->setFocus();
    }

    // Key by key, as an AZERTY keyboard delivers them: QTest's helper knows ASCII only.
    static QString typed(QLineEdit *edit, const QString &keys)
    {
        for (QChar c : keys)
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key(c.toUpper().unicode()), QString(c), Qt::NoModifier);
        return edit->text();
    }
    static QString pasted(QLineEdit *edit, const QString &clip, Qt::Key key = Qt::Key_V,
        Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        QGuiApplication::clipboard()->setText(clip);
        QTest::keyClick(edit, key, modifiers);
        return edit->text();
    }

    int DatePreviousLength = 0;
    QWidget window;
    QLineEdit *code = new QLineEdit(&window), *points = new QLineEdit(&window), *date = new QLineEdit(&window),
              *plain = new QLineEdit(&window);
};

TEST_F(FilteredFields, TypedKeysAreReplacedOrDiscardedAndEnterMovesTheFocusOn)
{
    EXPECT_EQ(typed(code, u"&é\"'(-è_çà a/,.+?;"_s), u"1234567890"_s);
    EXPECT_EQ(typed(points, u"--5-"_s), u"-65"_s);

    QTest::keyClick(code, Qt::Key_Return);
    EXPECT_TRUE(points->hasFocus());
    QTest::keyClick(points, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(date->hasFocus());
    EXPECT_EQ(code->text() + points->text(), u"1234567890-65"_s);

    EXPECT_EQ(typed(date, u"àç&é\"à\"('"_s), u"09/12/3035"_s);
    EXPECT_EQ(date->cursorPosition(), 10);
    EXPECT_TRUE(date->isModified());
    // A date the program puts in keeps its slashes; typing replaces the selection.
    date->setText(u"01/02/2026"_s);
    date->selectAll();
    EXPECT_EQ(typed(date, u"15"_s), u"15/"_s);
    QTest::keyClick(date, Qt::Key_Backspace);
    EXPECT_EQ(date->text(), u"1"_s);
}

TEST_F(FilteredFields, PastedDroppedOrComposedTextKeepsWhatTypingItWouldKeep)
{
    EXPECT_EQ(pasted(code, u"a1é-/3"_s), u"1263"_s);
    points->clear();
    EXPECT_EQ(pasted(points, u"a1é-/3"_s, Qt::Key_Insert, Qt::ShiftModifier), u"123"_s);
    points->clear();
    EXPECT_EQ(pasted(points, u"--5"_s), u"-65"_s);
    EXPECT_EQ(pasted(date, u"05/12/2026 14:30"_s), u"05/12/2026"_s);
    EXPECT_EQ(pasted(code, u"\b4\f5\r\n"_s), u"126345"_s);

    code->setText(u"77"_s);
    code->setSelection(0, 1);
    QGuiApplication::clipboard()->setText(u"é-a"_s);
    QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, QPoint(1, 1), code->mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(code, &menuEvent);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu);
    for (QAction *action : menu->actions())
        if (action->text().startsWith(u"&Paste"_s))
            action->trigger();
    menu->close();
    EXPECT_EQ(code->text(), u"267"_s);

    QMimeData mime;
    mime.setText(u"é-a3"_s);
    QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    code->clear();
    QApplication::sendEvent(code, &enter);
    QApplication::sendEvent(code, &drop);
    EXPECT_EQ(code->text(), u"263"_s);
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction); // the source keeps what was not taken

    for (const QString &commit : {u"&x"_s, u"4"_s}) {
        QInputMethodEvent composed;
        composed.setCommitString(commit);
        QApplication::sendEvent(points, &composed);
    }
    EXPECT_EQ(points->text(), u"-6514"_s);
}

} // namespace
} // namespace qcm::test
