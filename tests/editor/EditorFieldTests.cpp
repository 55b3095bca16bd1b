#include "EditorFixture.h"

#include "editor/fSaisie.h"
#include "support/AccessibleTree.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>

#include <cstdlib>

using namespace qcm;
using namespace qcm::test;

namespace {

// The clipboard as the desktop leaves it when no program owns it: an offer
// of no format at all.
void emptyClipboard()
{
    QGuiApplication::clipboard()->setMimeData(new QMimeData);
}

class EditorFieldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        makeBank(dir, u"VAR-irururiza.zov"_s, standardBank());
        state.readSettings();
        ASSERT_TRUE(state.BindDatabase());
        editor = std::make_unique<fSaisie>(state);
        editor->show();
        editor->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(editor.get()));
    }
    // "Libellé" and "Choix A" to "Choix F".
    QList<QPlainTextEdit *> multiLineFields() const
    {
        QList<QPlainTextEdit *> fields{qobject_cast<QPlainTextEdit *>(editor->txt(Field::Statement))};
        for (int k = 0; k < kChoiceCount; ++k)
            fields << qobject_cast<QPlainTextEdit *>(editor->txt(Field::choiceText(k)));
        return fields;
    }
    static void startWith(QPlainTextEdit *field, const QString &text)
    {
        field->setFocus();
        field->setPlainText(text);
        field->moveCursor(QTextCursor::End);
    }
    static QAction *pasteEntry(QMenu *menu) { return menu->findChild<QAction *>(u"edit-paste"_s); }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    QCMBas state{dialogs, dir.path()};
    std::unique_ptr<fSaisie> editor;
};

TEST_F(EditorFieldTest, APasteWithNothingOnTheClipboardInsertsNothingAndTheEditorLives)
{
    ASSERT_EQ(multiLineFields().size(), 7);
    // In a child process: an editor that dies fails this test, not the whole program of tests.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            emptyClipboard();
            int changed = 0;
            for (QPlainTextEdit *field : multiLineFields()) {
                startWith(field, u"Vent"_s);
                QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
                QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
                field->paste(); // what the context menu's "Coller" runs
                QTest::mouseClick(field->viewport(), Qt::MiddleButton);
                changed += field->toPlainText() != u"Vent"_s;
            }
            dir.remove(); // exit() skips the fixture's clean-up
            std::exit(changed);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(EditorFieldTest, TextOnTheClipboardIsPastedByEveryDoorAndOnlyThen)
{
    for (QPlainTextEdit *field : multiLineFields()) {
        emptyClipboard();
        std::unique_ptr<QMenu> menu(field->createStandardContextMenu());
        ASSERT_NE(pasteEntry(menu.get()), nullptr);
        EXPECT_FALSE(pasteEntry(menu.get())->isEnabled()) << "nothing to paste";

        QGuiApplication::clipboard()->setText(u"« thermique » 1"_s);
        menu.reset(field->createStandardContextMenu());
        EXPECT_TRUE(pasteEntry(menu.get())->isEnabled());
        startWith(field, u"Vent "_s);
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
        pasteEntry(menu.get())->trigger();
        EXPECT_EQ(field->toPlainText(), u"Vent "_s + QString(u"« thermique » 1"_s).repeated(3))
            << field->accessibleName().toStdString();
    }
    EXPECT_EQ(editor->text(Field::choiceText(5)), u"Vent "_s + QString(u"« thermique » 1"_s).repeated(3));
}

// Each multi-line field is read by its caption, which labels it.
TEST_F(EditorFieldTest, TheFieldsAreReadByTheirCaptions)
{
    const QList<AccessibleNode> tree = readTree(editor.get());
    EXPECT_EQ(tree.first().role, QAccessible::Dialog);
    EXPECT_EQ(tree.first().name, u"Saisie"_s);
    QStringList read;
    for (QPlainTextEdit *field : multiLineFields()) {
        const AccessibleNode node = nodeOf(tree, field);
        EXPECT_EQ(node.role, QAccessible::EditableText);
        const QList<QObject *> labels = related(field, QAccessible::Label);
        ASSERT_EQ(labels.size(), 1);
        EXPECT_EQ(qobject_cast<QLabel *>(labels[0])->text(), node.name);
        read << node.name;
    }
    EXPECT_EQ(read,
        QStringList(
            {u"Libellé"_s, u"Choix A"_s, u"Choix B"_s, u"Choix C"_s, u"Choix D"_s, u"Choix E"_s, u"Choix F"_s}));
}

} // namespace
