#include "RunnerFixture.h"

#include "dialogs/WidgetDialogs.h"
#include "dialogs/WindowDriver.h"
#include "dialogs/fBox.h"
#include "dialogs/fInBox.h"
#include "startup/Application.h"

#include <qpa/qplatformwindow.h>

using namespace qcm;
using namespace qcm::test;

namespace {

// The title the window system shows: the platform windows format the
// window's title with the application's display name, if any.
struct PlatformTitle : QPlatformWindow {
    using QPlatformWindow::formatWindowTitle;
};
QString shownTitle(QWidget *window)
{
    EXPECT_NE(window->windowHandle(), nullptr);
    const QString title = window->windowHandle() ? window->windowHandle()->title() : QString();
    return PlatformTitle::formatWindowTitle(title, QStringLiteral(" \u2014 "));
}

TEST_F(RunnerTest, WindowSystemShowsEveryTitleExactlyAsGiven)
{
    configureApplication();
    fQCM &w = start();
    EXPECT_EQ(shownTitle(&w), QStringLiteral("QCM Vol Libre"));
    QTest::keyRelease(QApplication::focusWidget(), Qt::Key_F1);
    ASSERT_NE(w.aboutBox(), nullptr);
    EXPECT_EQ(shownTitle(w.aboutBox()), QStringLiteral("À propos de QCM Vol Libre"));
    w.aboutBox()->close();

    WidgetDialogs real;
    QString boxTitle, inputTitle;
    whenShown<fBox>([&](fBox *box) {
        boxTitle = shownTitle(box);
        QTest::keyClick(box->focusWidget(), Qt::Key_Return);
    });
    real.MoxBox(QStringLiteral("Terminé !"), Icon::Information, QStringLiteral("Cà y est !"));
    EXPECT_EQ(boxTitle, QStringLiteral("Cà y est !"));

    whenShown<fInBox>([&](fInBox *box) {
        inputTitle = shownTitle(box);
        QTest::keyClick(box->focusWidget(), Qt::Key_Escape);
    });
    int left = 0, top = 0;
    real.InBox(QStringLiteral("Corrigez"), QStringLiteral("Corriger un libellé"), QStringLiteral("x"), left, top);
    EXPECT_EQ(inputTitle, QStringLiteral("Corriger un libellé"));
}

} // namespace
