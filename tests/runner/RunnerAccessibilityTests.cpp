#include "RunnerFixture.h"

#include "dialogs/frmAbout.h"

#include <QAccessible>
#include <QAccessibleActionInterface>

using namespace qcm;
using namespace qcm::test;

namespace {

// One entry of the accessibility tree as a screen reader gets it.
struct Node {
    QObject *object;
    QString name, description;
    bool visible;
};

QList<Node> readTree(QObject *root)
{
    QList<Node> nodes;
    std::function<void(QAccessibleInterface *)> visit = [&](QAccessibleInterface *node) {
        nodes.append({node->object(), node->text(QAccessible::Name), node->text(QAccessible::Description),
            !node->state().invisible});
        for (int i = 0; i < node->childCount(); ++i)
            if (QAccessibleInterface *child = node->child(i))
                visit(child);
    };
    QAccessibleInterface *top = QAccessible::queryAccessibleInterface(root);
    EXPECT_NE(top, nullptr);
    if (top)
        visit(top);
    return nodes;
}

// The visible node of that object; an empty node when it is not in the tree.
Node nodeOf(const QList<Node> &tree, QObject *object)
{
    for (const Node &n : tree)
        if (n.object == object && n.visible)
            return n;
    return {nullptr, {}, {}, false};
}

void doAction(QWidget *control, const QString &action)
{
    QAccessibleActionInterface *actions = QAccessible::queryAccessibleInterface(control)->actionInterface();
    ASSERT_NE(actions, nullptr);
    ASSERT_TRUE(actions->actionNames().contains(action));
    actions->doAction(action);
}

TEST_F(RunnerTest, AScreenReaderReadsTheQuestionTheChoicesAndTheRevealedPoints)
{
    fQCM &w = start();
    QList<Node> tree = readTree(&w);
    EXPECT_EQ(nodeOf(tree, w.lbl(3)).name, kTricky);
    EXPECT_EQ(nodeOf(tree, w.lbl(3)).description, u"Énoncé"_s);
    EXPECT_EQ(nodeOf(tree, w.lbl(1)).name, u"Question n° 1 sur 3"_s);
    EXPECT_EQ(nodeOf(tree, w.lbl(2)).name, u"1.1"_s);
    for (int i = 0; i < 3; ++i) {
        const Node choice = nodeOf(tree, w.lblLib(i));
        EXPECT_EQ(choice.name, w.lblLib(i)->text()) << i;
        EXPECT_EQ(choice.description, u"Réponse %1"_s.arg(QChar(u'A' + i)));
        EXPECT_EQ(nodeOf(tree, w.lblVal(i)).object, nullptr) << "points stay hidden until revealed";
    }

    typeKey('1');
    w.cmd(1)->click();
    tree = readTree(&w);
    QStringList points; // name = description
    for (int i = 0; i < 3; ++i)
        points << nodeOf(tree, w.lblVal(i)).name + u" = "_s + nodeOf(tree, w.lblVal(i)).description;
    EXPECT_EQ(points,
        (QStringList{u"-2 = Points de la réponse A : -2 points"_s, u"0 = Points de la réponse B : 0 point"_s,
            u"6 = Points de la réponse C : 6 points"_s}));

    // The next question is read as it is shown.
    w.cmd(4)->click();
    tree = readTree(&w);
    EXPECT_EQ(nodeOf(tree, w.lbl(3)).name, u"Deuxième"_s);
    EXPECT_EQ(nodeOf(tree, w.lblLib(3)).name, QString()) << "no choice D";
}

TEST_F(RunnerTest, TogglesFromAssistiveTechnologyActLikeClicks)
{
    fQCM &w = start();
    const QString toggle = QAccessibleActionInterface::toggleAction();
    doAction(w.chkVal(1), toggle);
    EXPECT_TRUE(w.chkVal(1)->isChecked());
    EXPECT_TRUE(w.cmd(1)->isEnabled());

    doAction(w.chkApprendre(), toggle);
    ASSERT_TRUE(w.chkApprendre()->isChecked());
    EXPECT_EQ(slotStates(), u"#p #p #p -. -. -."_s);
    doAction(w.chkApprendre(), toggle);
    EXPECT_EQ(slotStates(), u"o. o. o. -. -. -."_s);
}

// Every control says what it is; a label showing data says it with its
// text, and says its role beside, even while it is empty.
TEST_F(RunnerTest, EveryControlCanBeNamedByAScreenReader)
{
    fQCM &w = start();
    QTest::keyRelease(QApplication::focusWidget(), Qt::Key_F1);
    for (QWidget *top : {static_cast<QWidget *>(&w), static_cast<QWidget *>(w.aboutBox())}) {
        ASSERT_NE(top, nullptr);
        for (QWidget *control : top->findChildren<QWidget *>()) {
            if (control->focusPolicy() == Qt::NoFocus && !qobject_cast<QLabel *>(control))
                continue; // containers and scroll-area parts
            if (control->objectName().startsWith(QLatin1String("qt_")) || control->window() != top)
                continue; // Qt's own parts, and the drop-down list's popup
            QAccessibleInterface *node = QAccessible::queryAccessibleInterface(control);
            const auto *label = qobject_cast<QLabel *>(control);
            const bool emptyData = label && label->text().isEmpty() && label->pixmap().isNull();
            EXPECT_FALSE((emptyData ? node->text(QAccessible::Description) : node->text(QAccessible::Name)).isEmpty())
                << top->objectName().toStdString() << " / " << control->metaObject()->className() << " "
                << control->objectName().toStdString();
            if (label && !label->text().isEmpty() && control->window() == &w) {
                EXPECT_EQ(node->text(QAccessible::Name), label->text()) << control->objectName().toStdString();
            }
        }
    }
}

} // namespace
