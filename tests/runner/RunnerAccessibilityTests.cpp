#include "RunnerFixture.h"

#include "dialogs/frmAbout.h"

#include "support/AccessibleTree.h"

#include <QAccessible>
#include <QAccessibleActionInterface>

#include <cmath>

using namespace qcm;
using namespace qcm::test;

namespace {

// WCAG's contrast ratio of two colours, 1 to 21.
double contrast(QColor a, QColor b)
{
    auto luminance = [](QColor c) {
        auto channel = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// How well the tick of a ticked box stands out from what an unticked box of
// the same look shows at the same place, as the style paints them.
double tickContrast(QCheckBox *ticked, QCheckBox *unticked)
{
    const QImage on = ticked->grab().toImage(), off = unticked->grab().toImage();
    EXPECT_EQ(on.size(), off.size());
    double best = 0;
    for (int y = 0; y < std::min(on.height(), off.height()); ++y)
        for (int x = 0; x < std::min(on.width(), off.width()); ++x)
            if (on.pixel(x, y) != off.pixel(x, y))
                best = std::max(best, contrast(on.pixelColor(x, y), off.pixelColor(x, y)));
    return best;
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
    QList<AccessibleNode> tree = readTree(&w);
    EXPECT_EQ(nodeOf(tree, w.lbl(3)).name, kTricky);
    EXPECT_EQ(nodeOf(tree, w.lbl(3)).description, u"Énoncé"_s);
    EXPECT_EQ(nodeOf(tree, w.lbl(1)).name, u"Question n° 1 sur 3"_s);
    EXPECT_EQ(nodeOf(tree, w.lbl(2)).name, u"1.1"_s);
    for (int i = 0; i < 3; ++i) {
        const AccessibleNode choice = nodeOf(tree, w.lblLib(i));
        EXPECT_EQ(choice.name, w.lblLib(i)->text()) << i;
        EXPECT_EQ(choice.description, u"Réponse %1"_s.arg(QChar(u'A' + i)));
        // The tick says which answer it is for.
        EXPECT_EQ(nodeOf(tree, w.chkVal(i)).name, u"Réponse %1 : "_s.arg(QChar(u'A' + i)) + w.lblLib(i)->text());
        EXPECT_EQ(nodeOf(tree, w.chkVal(i)).role, QAccessible::CheckBox);
    }
    // Points not revealed yet cannot be read, shown or not in the tree.
    for (const AccessibleNode &n : tree) {
        if (!n.visible) {
            EXPECT_FALSE(n.everything().contains(u"point"_s)) << n.everything().toStdString();
        }
    }
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(anyNodeOf(tree, w.lblVal(i)).everything(), QString()) << i;

    typeKey('1');
    w.cmd(1)->click();
    tree = readTree(&w);
    QStringList points; // name = description
    for (int i = 0; i < 3; ++i)
        points << nodeOf(tree, w.lblVal(i)).name + u" = "_s + nodeOf(tree, w.lblVal(i)).description;
    EXPECT_EQ(points,
        (QStringList{u"-2 = Points de la réponse A : -2 points"_s, u"0 = Points de la réponse B : 0 point"_s,
            u"6 = Points de la réponse C : 6 points"_s}));

    // The next question is read as it is shown, its points hidden again.
    w.cmd(4)->click();
    tree = readTree(&w);
    EXPECT_EQ(nodeOf(tree, w.lbl(3)).name, u"Deuxième"_s);
    EXPECT_EQ(nodeOf(tree, w.lblLib(3)).name, QString()) << "no choice D";
    EXPECT_EQ(nodeOf(tree, w.chkVal(0)).name, u"Réponse A : "_s + w.lblLib(0)->text());
    EXPECT_EQ(anyNodeOf(tree, w.lblVal(3)).everything(), QString()) << "points without a choice";
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(anyNodeOf(tree, w.lblVal(i)).everything(), QString()) << i;
}

// The practice window reads as a window under its title, its correction
// menus by what they correct.
TEST_F(RunnerTest, TheWindowAndItsMenusAreReadByWhatTheyAre)
{
    fQCM &w = start();
    const QList<AccessibleNode> tree = readTree(&w);
    ASSERT_FALSE(tree.isEmpty());
    EXPECT_EQ(tree.first().role, QAccessible::Window);
    EXPECT_EQ(tree.first().name, w.windowTitle());
    EXPECT_EQ(tree.first().name, u"QCM Vol Libre"_s);
    for (QMenu *menu : {w.mnuPopup(), w.mnuPopupRep()}) {
        QAccessibleInterface *node = QAccessible::queryAccessibleInterface(menu);
        EXPECT_EQ(node->role(), QAccessible::PopupMenu);
        EXPECT_FALSE(node->text(QAccessible::Name).isEmpty()) << menu->objectName().toStdString();
    }
    EXPECT_EQ(
        QAccessible::queryAccessibleInterface(w.mnuPopupRep())->text(QAccessible::Name), u"Correction de la réponse"_s);
}

// After "Contrôle de la question", and in learn mode, the locked ticks stay
// as legible as the points they are compared with.
TEST_F(RunnerTest, LockedTicksKeepAReadableContrast)
{
    fQCM &w = start();
    typeKey('1');
    w.cmd(1)->click();
    ASSERT_FALSE(w.chkVal(0)->isEnabled());
    ASSERT_TRUE(w.chkVal(0)->isChecked());
    ASSERT_FALSE(w.chkVal(1)->isChecked());
    EXPECT_GE(tickContrast(w.chkVal(0), w.chkVal(1)), 4.5);

    w.cmd(4)->click();
    typeKey('1');
    EXPECT_GE(tickContrast(w.chkVal(0), w.chkVal(1)), 4.5) << "open ticks";
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
            if (!control->isVisible())
                continue; // nothing to read, as the hidden points show
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
