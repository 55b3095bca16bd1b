#include "WindowDriver.h"

#include "dialogs/WidgetDialogs.h"
#include "dialogs/fBox.h"
#include "startup/Background.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

#include <set>

namespace qcm::test {
namespace {

using namespace Qt::StringLiterals;

QPushButton *cmd(fBox *box, int i)
{
    return box->findChild<QPushButton *>(u"cmd(%1)"_s.arg(i));
}
QTextEdit *txt(fBox *box)
{
    return box->findChild<QTextEdit *>(u"txt"_s);
}
int px(int twips)
{
    return Twips::toPixels(twips);
}

QString lines(int count)
{
    QStringList list;
    for (int i = 1; i <= count; ++i)
        list << u"Ligne %1"_s.arg(i);
    return list.join(u"\r\n"_s);
}

// What a box looked like while it was shown.
struct Seen {
    QString title;
    QRect cmd[3]; // null when hidden
    int txtHeight = 0, scrollRange = 0;
    QColor back;
    qint64 picture = 0;
    QList<Qt::Alignment> alignments;
    bool buttonsInside = true;
};

class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override { fBox::setScreenHeightTwips(11520); }
    void TearDown() override { fBox::setScreenHeightTwips(0); }

    // Shows a box, records it, then presses Enter.
    Seen show(const QString &message, int icon = 0, const QString &c0 = {}, const QString &c1 = {},
        const QString &c2 = {}, int alignment = 0, const QString &title = {})
    {
        Seen seen;
        whenShown<fBox>([&seen](fBox *box) {
            seen.title = box->windowTitle();
            for (int i = 0; i < 3; ++i) {
                if (cmd(box, i)->isVisible())
                    seen.cmd[i] = cmd(box, i)->geometry();
                seen.buttonsInside = seen.buttonsInside && (seen.cmd[i].isNull() || box->rect().contains(seen.cmd[i]));
            }
            seen.txtHeight = txt(box)->height();
            seen.scrollRange = txt(box)->verticalScrollBar()->maximum();
            seen.back = txt(box)->palette().color(QPalette::Base);
            seen.picture = box->findChild<QLabel *>(u"Img(0)"_s)->pixmap().cacheKey();
            for (QTextBlock b = txt(box)->document()->begin(); b.isValid(); b = b.next())
                seen.alignments << (b.blockFormat().alignment() & Qt::AlignHorizontal_Mask);
            QTest::keyClick(box->focusWidget(), Qt::Key_Return);
        });
        EXPECT_EQ(dialogs.MoxBox(message, icon, title, c0, c1, c2, alignment), 0);
        return seen;
    }

    WidgetDialogs dialogs;
};

TEST_F(MessageBoxTest, EveryWayOfClosingGivesItsResult)
{
    // Ways 0 to 2 click that button; Escape goes to the text, which must not keep it.
    enum { Enter = 3, Escape, CloseBox };
    const struct {
        QString c0, c1, c2;
        int way, expected;
    } cases[] = {
        {{}, {}, {}, 0, 0},
        {{}, {}, {}, Enter, 0},
        {{}, {}, {}, Escape, 99},
        {{}, {}, {}, CloseBox, 2},
        {u"Oui"_s, u"Non"_s, {}, 1, 1},
        {u"Oui"_s, u"Non"_s, u"Annuler"_s, 2, 2},
        {u"Oui"_s, u"Non"_s, u"Annuler"_s, Escape, 2},
        {u"OK"_s, u"Abandonner"_s, {}, Escape, 1},
        {u"Annuler"_s, u"Abandonner"_s, {}, Escape, 0},
        {u"OK"_s, u"&Annuler"_s, {}, Escape, 99},
    };
    for (const auto &c : cases) {
        whenShown<fBox>([way = c.way](fBox *box) {
            if (way < 3)
                QTest::mouseClick(cmd(box, way), Qt::LeftButton);
            else if (way == CloseBox)
                box->close();
            else
                QTest::keyClick(
                    way == Enter ? box->focusWidget() : txt(box), way == Enter ? Qt::Key_Return : Qt::Key_Escape);
        });
        EXPECT_EQ(dialogs.MoxBox(u"Message"_s, 0, {}, c.c0, c.c1, c.c2, 0), c.expected)
            << c.c1.toStdString() << c.c2.toStdString() << " way " << c.way;
    }
}

TEST_F(MessageBoxTest, CaptionAndButtonLayoutsFollowTheCaptionsGiven)
{
    const int top = 220 + 95 + 245; // under a one-line text
    Seen s = show(u"Un"_s);
    EXPECT_EQ(s.title, u"Avis"_s);
    EXPECT_EQ(s.cmd[0], twipsRect(1080, top, 6015, 375));
    EXPECT_TRUE(s.cmd[1].isNull() && s.cmd[2].isNull());

    s = show(u"Deux"_s, 9, u"Oui"_s, u"Non"_s, {}, 0, u"Question"_s);
    EXPECT_EQ(s.title, u"Question"_s);
    EXPECT_EQ(s.cmd[1], twipsRect(1080, top, 2960, 375));
    EXPECT_EQ(s.cmd[0], twipsRect(4160, top, 2960, 375));
    EXPECT_TRUE(s.cmd[2].isNull());

    // Buttons 0 and 2 alone keep the places of the previous box.
    s = show(u"Sans bouton 1"_s, 0, u"Oui"_s, {}, u"Non"_s);
    EXPECT_EQ(s.cmd[0], twipsRect(4160, top, 2960, 375));
    EXPECT_EQ(s.cmd[2], twipsRect(1080, top, 1935, 375));
    EXPECT_TRUE(s.cmd[1].isNull());

    s = show(u"Trois"_s, 0, u"Oui"_s, u"Non"_s, u"Annuler"_s);
    EXPECT_EQ(s.cmd[2], twipsRect(1080, top, 1935, 375));
    EXPECT_EQ(s.cmd[1], twipsRect(3120, top, 1935, 375));
    EXPECT_EQ(s.cmd[0], twipsRect(5160, top, 1935, 375));

    // The close box drops the window: the next one starts from the design.
    show(u"Deux"_s, 9, u"Oui"_s, u"Non"_s);
    whenShown<fBox>([](fBox *box) { box->close(); });
    dialogs.MoxBox(u"Fermée"_s);
    s = show(u"Sans bouton 1"_s, 0, u"Oui"_s, {}, u"Non"_s);
    EXPECT_EQ(s.cmd[0], twipsRect(5160, top, 1935, 375));
}

TEST_F(MessageBoxTest, TextAreaIsSizedToTheWrappedLinesUpToTheScreenCap)
{
    EXPECT_EQ(show(u"Une ligne"_s).txtHeight, px(315));
    EXPECT_EQ(show(lines(3)).txtHeight, px(755));

    // Every counted line fits: no scrolling below the cap, even for a
    // paragraph that wraps.
    Seen s = show(lines(30));
    EXPECT_EQ(s.txtHeight, px(6695));
    EXPECT_EQ(s.scrollRange, 0);
    EXPECT_TRUE(s.buttonsInside);
    s = show(QString(u"Un long paragraphe sans saut de ligne. "_s).repeated(12));
    EXPECT_GT(s.txtHeight, px(3 * 220 + 95));
    EXPECT_EQ(s.scrollRange, 0);

    s = show(lines(60));
    EXPECT_EQ(s.txtHeight, px(6695));
    EXPECT_GT(s.scrollRange, 0);

    fBox::setScreenHeightTwips(11535);
    s = show(lines(60));
    EXPECT_EQ(s.txtHeight, px(9995));
    EXPECT_TRUE(s.buttonsInside);
}

TEST_F(MessageBoxTest, ColoursAndPicturesFollowTheIcon)
{
    std::vector<qint64> pictures;
    for (int icon = 0; icon < fBox::kPictureCount; ++icon) {
        const Seen s = show(u"Icône"_s, icon);
        EXPECT_EQ(s.back, icon == 6 || icon == 21 ? QColor(255, 128, 128) : QColor(230, 231, 176)) << icon;
        pictures.push_back(s.picture);
    }
    EXPECT_EQ(std::set<qint64>(pictures.begin(), pictures.end()).size(), pictures.size());

    show(u"Imprimante"_s, 7);
    EXPECT_EQ(show(u"Hors limites"_s, 99).picture, pictures[7]);
    EXPECT_EQ(show(u"Hors limites"_s, -1).picture, pictures[7]);
    // A second button brings the question mark, unless the icon says otherwise.
    EXPECT_EQ(show(u"Question"_s, 23, u"Oui"_s, u"Non"_s).picture, pictures[9]);
    EXPECT_EQ(show(u"Question"_s, 0, u"Oui"_s, u"Non"_s).picture, pictures[0]);
}

TEST_F(MessageBoxTest, OneLineIsCentredLongerTextsTakeTheCallersAlignment)
{
    using A = QList<Qt::Alignment>;
    EXPECT_EQ(show(u"Court"_s, 0, {}, {}, {}, 0).alignments, A{Qt::AlignHCenter});
    EXPECT_EQ(show(u"Court"_s, 0, {}, {}, {}, 1).alignments, A{Qt::AlignHCenter});
    EXPECT_EQ(show(lines(3), 0, {}, {}, {}, 0).alignments, A(3, Qt::AlignLeft));
    EXPECT_EQ(show(lines(3), 0, {}, {}, {}, 1).alignments, A(3, Qt::AlignRight));
    EXPECT_EQ(show(lines(3), 0, {}, {}, {}, 2).alignments, A(3, Qt::AlignHCenter));
}

TEST_F(MessageBoxTest, AMessageRaisedWhileABoxWaitsGetsItsOwnBox)
{
    int inner = -1;
    whenShown<fBox>([&](fBox *outer) {
        whenShown<fBox>([outer](fBox *box) {
            EXPECT_NE(box, outer);
            QTest::mouseClick(cmd(box, 1), Qt::LeftButton);
        });
        inner = dialogs.MoxBox(u"Intérieure"_s, 0, {}, u"Oui"_s, u"Non"_s);
        EXPECT_EQ(cmd(outer, 2)->text(), u"Annuler"_s);
        QTest::mouseClick(cmd(outer, 2), Qt::LeftButton);
    });
    EXPECT_EQ(dialogs.MoxBox(u"Extérieure"_s, 0, {}, u"Oui"_s, u"Non"_s, u"Annuler"_s), 2);
    EXPECT_EQ(inner, 1);
}

} // namespace
} // namespace qcm::test
