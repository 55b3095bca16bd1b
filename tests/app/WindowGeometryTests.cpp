// Every window on a laptop screen of 1366×768 whose panels leave 1366×728:
// it fits with its title bar and borders, every button is inside it, and it
// opens centred on the screen or over the window it belongs to.
#include "app/AppWindows.h"
#include "composer/fCreaQCM.h"
#include "dialogs/WidgetDialogs.h"
#include "dialogs/WindowDriver.h"
#include "dialogs/fBox.h"
#include "dialogs/fInBox.h"
#include "editor/fSaisie.h"
#include "reports/ReportActions.h"
#include "reports/ReportPreview.h"
#include "reports/fRapports.h"
#include "results/fResultats.h"
#include "runner/fQCM.h"
#include "state/QCMBas.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"
#include "ui/KeyboardMenus.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

using namespace qcm;
using namespace qcm::test;

namespace {

// What a window manager adds around a window: a title bar and thin borders.
const QMargins kFrame(8, 36, 8, 8);

std::string describe(const QRect &r)
{
    return QStringLiteral("%1×%2 at (%3, %4)").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y()).toStdString();
}

// The window and its frame lie within the screen's free area, and so would
// its smallest size; no button is cut off.
// The window with the frame a window manager adds (the offscreen platform
// draws a thin one); a maximised window's frame is the window manager's business.
QRect framed(const QWidget *w)
{
    return w->isMaximized() ? w->frameGeometry() : w->geometry().marginsAdded(kFrame);
}

void expectFitsAndUsable(QWidget *w, const char *name)
{
    const QRect area = w->screen()->availableGeometry();
    const QRect framed = ::framed(w);
    EXPECT_TRUE(area.contains(framed)) << name << ": " << describe(framed) << " on " << describe(area);
    const QSize smallest = w->minimumSizeHint().expandedTo(w->minimumSize()).grownBy(kFrame);
    EXPECT_LE(smallest.width(), area.width()) << name;
    EXPECT_LE(smallest.height(), area.height()) << name;
    for (QAbstractButton *b : w->findChildren<QAbstractButton *>()) {
        if (!b->isVisibleTo(w) || b->window() != w)
            continue;
        const QRect r(b->mapTo(w, QPoint(0, 0)), b->size());
        EXPECT_TRUE(w->rect().contains(r))
            << name << ": « " << b->text().toStdString() << " » " << describe(r) << " outside " << describe(w->rect());
    }
}

// Centred over the other window, or on the screen when none; a window pushed
// back inside the screen is centred as far as it goes. A window placed by
// its real frame may stand half a title bar away from one placed with the
// allowance.
void expectCentred(QWidget *w, const QRect &over, const char *name)
{
    const QRect area = w->screen()->availableGeometry();
    QRect expected = framed(w);
    expected.moveCenter(over.center());
    expected.moveLeft(
        std::clamp(expected.left(), area.left(), std::max(area.left(), area.right() - expected.width() + 1)));
    expected.moveTop(
        std::clamp(expected.top(), area.top(), std::max(area.top(), area.bottom() - expected.height() + 1)));
    EXPECT_LE((framed(w).center() - expected.center()).manhattanLength(), (kFrame.top() - kFrame.bottom()) / 2 + 4)
        << name << ": " << describe(framed(w)) << ", expected " << describe(expected);
}

class LaptopScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 1366, 728));
        makeBank(program, u"VAR-irururiza.zov"_s, sampleBank());
        state.readSettings();
        runner = std::make_unique<fQCM>(state);
        windows = std::make_unique<AppWindows>(state, *runner);
        dialogs.setParentWindow(runner.get());
        runner->load();
        // As the program shows it.
        runner->setGeometry(runner->screen()->availableGeometry().marginsRemoved(kFrame));
        runner->showMaximized();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(runner.get()));
    }
    void TearDown() override
    {
        windows.reset();
        runner.reset();
    }

    QTemporaryDir program;
    WidgetDialogs dialogs;
    QCMBas state{dialogs, program.path()};
    std::unique_ptr<fQCM> runner;
    std::unique_ptr<AppWindows> windows;
};

TEST_F(LaptopScreen, ThePracticeWindowFitsAndKeepsEveryButtonInSight)
{
    expectFitsAndUsable(runner.get(), "fQCM");
}

TEST_F(LaptopScreen, TheEditorOpensWholeOverThePracticeWindow)
{
    bool seen = false;
    whenShown<fSaisie>([&](fSaisie *w) {
        seen = true;
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
        expectFitsAndUsable(w, "fSaisie");
        expectCentred(w, runner->frameGeometry(), "fSaisie");
        w->close();
    });
    windows->showEditor();
    EXPECT_TRUE(seen);
}

TEST_F(LaptopScreen, TheComposerAndTheReportsWindowOpenWhole)
{
    windows->showComposer();
    auto *composer = runner->findChild<fCreaQCM *>();
    ASSERT_NE(composer, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(composer));
    expectFitsAndUsable(composer, "fCreaQCM");
    expectCentred(composer, runner->frameGeometry(), "fCreaQCM");

    windows->showReports(false);
    auto *reports = runner->findChild<fRapports *>();
    ASSERT_NE(reports, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(reports));
    expectFitsAndUsable(reports, "fRapports");
    expectCentred(reports, runner->frameGeometry(), "fRapports");
}

TEST_F(LaptopScreen, TheResultsWindowOpensWhole)
{
    windows->showResults();
    auto *results = runner->findChild<fResultats *>();
    ASSERT_NE(results, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(results));
    for (int tab = 0; tab < results->tabs()->count(); ++tab) {
        results->tabs()->setCurrentIndex(tab);
        expectFitsAndUsable(results, "fResultats");
    }
    expectCentred(results, runner->frameGeometry(), "fResultats");
}

TEST_F(LaptopScreen, ThePreviewOpensLargeWithItsWholeToolbar)
{
    for (const ReportKind &kind : reportKinds())
        ASSERT_TRUE(
            QFile::copy(QStringLiteral(QCM_REPORT_LAYOUTS "/") + kind.fileName, program.filePath(kind.fileName)));
    windows->showReports(false);
    auto *reports = runner->findChild<fRapports *>();
    ASSERT_NE(reports, nullptr);
    reports->cmdCrystal(0)->click();
    auto *preview = reports->findChild<ReportPreview *>();
    ASSERT_NE(preview, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(preview));
    expectFitsAndUsable(preview, "ReportPreview");
    expectCentred(preview, preview->screen()->availableGeometry(), "ReportPreview");
    const QRect area = preview->screen()->availableGeometry();
    EXPECT_GE(preview->width() * preview->height(), area.width() * area.height() / 2) << describe(preview->geometry());
    auto *bar = preview->findChild<QToolBar *>();
    ASSERT_NE(bar, nullptr);
    EXPECT_GE(bar->width(), bar->sizeHint().width()) << "every tool in sight, none behind the extension arrow";
    preview->close();
}

TEST_F(LaptopScreen, TheBoxesFitAndAreCentred)
{
    bool seen = false;
    whenShown<fBox>([&](fBox *box) {
        seen = true;
        EXPECT_TRUE(QTest::qWaitForWindowExposed(box));
        expectFitsAndUsable(box, "fBox");
        expectCentred(box, box->screen()->availableGeometry(), "fBox");
        box->reject();
    });
    dialogs.MoxBox(QStringList(60, u"Une ligne de texte parmi beaucoup d'autres."_s).join(u"\r\n"_s), Icon::Information,
        u"Long message"_s, u"OK"_s);
    EXPECT_TRUE(seen);

    seen = false;
    whenShown<fInBox>([&](fInBox *box) {
        seen = true;
        EXPECT_TRUE(QTest::qWaitForWindowExposed(box));
        expectFitsAndUsable(box, "fInBox");
        expectCentred(box, box->screen()->availableGeometry(), "fInBox");
        box->reject();
    });
    int left = 0, top = 0;
    dialogs.InBox(u"Corrigez le libellé"_s, u"Corriger un libellé"_s, u"Texte"_s, left, top);
    EXPECT_TRUE(seen);

    QTest::keyClick(runner.get(), Qt::Key_F1);
    frmAbout *about = runner->aboutBox();
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(about));
    expectFitsAndUsable(about, "frmAbout");
    expectCentred(about, runner->frameGeometry(), "frmAbout");
}

// ---- By keyboard alone ----------------------------------------------------

// The controls Tab reaches from `from` until `to`, in order.
QStringList tabsFrom(QWidget *from, QWidget *to)
{
    from->window()->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(from->window()));
    from->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(QTest::qWaitFor([from] { return QApplication::focusWidget() == from; }));
    QStringList names;
    for (int i = 0; i < 40 && QApplication::focusWidget() != to; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *now = QApplication::focusWidget();
        names << (now ? now->objectName() + u':' + now->metaObject()->className() : u"-"_s);
    }
    return names;
}

TEST_F(LaptopScreen, TheComposerIsWalkedInReadingOrderAndEscapeClosesItAsFermerDoes)
{
    windows->showComposer();
    auto *composer = runner->findChild<fCreaQCM *>();
    // The offscreen platform gives the focus back to the practice window.
    runner->hide();
    const QStringList walk = tabsFrom(composer->txt(1), composer->cmd(1));
    EXPECT_EQ(walk.size(), 7) << walk.join(u", "_s).toStdString();
    EXPECT_EQ(tabsFrom(composer->cmd(1), composer->cmd(0)).size(), 1);

    // Unsaved work: Escape asks first, as "Fermer" does; "Ignorer" closes.
    state.QcmModified = true;
    QString asked;
    whenShown<fBox>([&](fBox *box) {
        asked = box->windowTitle();
        cmd(box, 1)->click();
    });
    composer->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(composer));
    composer->txt(0)->setFocus();
    QTest::keyClick(composer->txt(0), Qt::Key_Escape);
    EXPECT_EQ(asked, u"Attention !"_s);
    EXPECT_FALSE(composer->isVisible());
}

TEST_F(LaptopScreen, ThePracticeWindowsButtonsAreWalkedFromLeftToRight)
{
    EXPECT_EQ(tabsFrom(runner->cmd(0), runner->cmd(6)),
        (QStringList{u"cmd(10):QPushButton"_s, u"cmd(9):QPushButton"_s, u"cmd(6):QPushButton"_s}));
}

// Shift+F10 opens what the Menu key opens: the corrections of a choice, and
// the edit menu of a text field.
TEST_F(LaptopScreen, ShiftF10OpensTheContextMenus)
{
    installShiftF10Menus();
    runner->chkVal(0)->setFocus();
    QTest::keyClick(runner->chkVal(0), Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(runner->mnuPopupRep()->isVisible());
    runner->mnuPopupRep()->close();

    runner->hide();
    QPlainTextEdit field;
    field.show();
    field.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&field));
    // The field's own menu waits in a loop of its own until it closes.
    QMenu *menu = nullptr;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &poll, [&menu, &poll] {
        if ((menu = qobject_cast<QMenu *>(QApplication::activePopupWidget()))) {
            menu->close();
            poll.stop();
        }
    });
    poll.start(20);
    QTimer::singleShot(5000, &poll, [&poll] {
        poll.stop();
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
    });
    QTest::keyClick(&field, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(QTest::qWaitFor([&menu] { return menu != nullptr; }, 6000));
}

} // namespace

// A screen of that size for the offscreen platform, before the application starts.
int main(int argc, char **argv)
{
    QTemporaryDir config;
    const QString json = config.filePath(QStringLiteral("ecran.json"));
    QFile file(json);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(R"({"screens": [{"name": "portable", "x": 0, "y": 0, "width": 1366, "height": 728,
                          "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
            < 0)
        return 2;
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(json));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qcm-tests"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
