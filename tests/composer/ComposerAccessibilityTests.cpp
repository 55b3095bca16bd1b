#include "ComposerFixture.h"

#include "support/AccessibleTree.h"

using namespace qcm;
using namespace qcm::test;

namespace {

// The composer reads as a window under its title; each answer of the
// preview by the answer it shows (as stored, never as markup), not by the
// caption of its group.
TEST_F(ComposerTest, TheWindowAndThePreviewAreReadByWhatTheyShow)
{
    execOn(bankPath(), u"UPDATE Questions SET lib1 = '<b>Vent</b> fort' WHERE Code = '2' AND Numero = 1"_s);
    fCreaQCM &c = open();
    QList<AccessibleNode> tree = readTree(&c);
    ASSERT_FALSE(tree.isEmpty());
    EXPECT_EQ(tree.first().role, QAccessible::Window);
    EXPECT_EQ(tree.first().name, u"Création de QCM"_s);
    for (int k = 0; k < kChoiceCount; ++k) {
        EXPECT_EQ(nodeOf(tree, c.lblRep(k)).name, QString()) << k;
        EXPECT_EQ(nodeOf(tree, c.lblRep(k)).description, u"Aperçu de la réponse %1"_s.arg(QChar(u'A' + k)));
    }

    tick(0);
    clickEntry(70);
    tree = readTree(&c);
    EXPECT_EQ(nodeOf(tree, c.lblRep(0)).name, u"Le vent [fort] [6]."_s);
    EXPECT_EQ(nodeOf(tree, c.lblRep(1)).name, u"<b>Vent</b> fort [-2]."_s);
    EXPECT_EQ(c.lblRep(1)->textFormat(), Qt::PlainText);
    EXPECT_EQ(nodeOf(tree, c.lblRep(2)).name, QString());
    EXPECT_EQ(related(c.lblRep(0), QAccessible::Label), QList<QObject *>{c.lblRep(0)->parent()})
        << "still labelled by its group";
}

} // namespace
