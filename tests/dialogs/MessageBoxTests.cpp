#include "WindowDriver.h"

#include "dialogs/WidgetDialogs.h"
#include "dialogs/fBox.h"
#include "ui/Background.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>

namespace qcm::test {
namespace {

using namespace Qt::StringLiterals;

QTextEdit *txt(fBox *box)
{
    return box->findChild<QTextEdit *>(u"txt"_s);
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
    qint64 picture = 0;
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
            seen.picture = box->findChild<QLabel *>(u"Img(0)"_s)->pixmap().cacheKey();
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

TEST_F(MessageBoxTest, ButtonsShowForTheCaptionsGivenTheFirstOnTheRight)
{
    const Seen one = show(u"Un"_s);
    EXPECT_EQ(one.title, u"Avis"_s);
    EXPECT_TRUE(!one.cmd[0].isNull() && one.cmd[1].isNull() && one.cmd[2].isNull());
    const Seen three = show(u"Trois"_s, 0, u"Oui"_s, u"Non"_s, u"Annuler"_s, 0, u"Question"_s);
    EXPECT_EQ(three.title, u"Question"_s);
    EXPECT_LT(three.cmd[2].right(), three.cmd[1].left());
    EXPECT_LT(three.cmd[1].right(), three.cmd[0].left());
    const Seen noMiddle = show(u"Sans bouton 1"_s, 0, u"Oui"_s, {}, u"Non"_s);
    EXPECT_TRUE(noMiddle.cmd[1].isNull());
    EXPECT_LT(noMiddle.cmd[2].right(), noMiddle.cmd[0].left());
}

TEST_F(MessageBoxTest, TextAreaShowsEveryLineAndScrollsOnlyBeyondTheScreenCap)
{
    const Seen one = show(u"Une ligne"_s), three = show(lines(3)), thirty = show(lines(30));
    EXPECT_LT(one.txtHeight, three.txtHeight);
    EXPECT_LT(three.txtHeight, thirty.txtHeight);
    // Below the cap, even a paragraph that wraps needs no scrolling.
    EXPECT_EQ(thirty.scrollRange, 0);
    EXPECT_TRUE(thirty.buttonsInside);
    const Seen wrapped = show(QString(u"Un long paragraphe sans saut de ligne. "_s).repeated(12));
    EXPECT_GT(wrapped.txtHeight, three.txtHeight);
    EXPECT_EQ(wrapped.scrollRange, 0);

    const Seen sixty = show(lines(60));
    EXPECT_EQ(sixty.txtHeight, Twips::toPixels(6695)) << "the cap on this screen";
    EXPECT_GT(sixty.scrollRange, 0);
    fBox::setScreenHeightTwips(11535);
    const Seen taller = show(lines(60));
    EXPECT_EQ(taller.txtHeight, Twips::toPixels(9995));
    EXPECT_TRUE(taller.buttonsInside);
}

TEST_F(MessageBoxTest, AnIconOutOfRangeShowsThePrinterPicture)
{
    const qint64 printer = show(u"Imprimante"_s, 7).picture;
    EXPECT_EQ(show(u"Hors limites"_s, 99).picture, printer);
    EXPECT_EQ(show(u"Hors limites"_s, -1).picture, printer);
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
