#include "RunnerFixture.h"

#include "dialogs/WidgetDialogs.h"
#include "dialogs/WindowDriver.h"
#include "dialogs/fBox.h"
#include "dialogs/fInBox.h"
#include "ui/Application.h"
#include "ui/Pictures.h"

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
    return PlatformTitle::formatWindowTitle(title, u" \u2014 "_s);
}

TEST_F(RunnerTest, WindowSystemShowsEveryTitleExactlyAsGiven)
{
    configureApplication();
    fQCM &w = start();
    EXPECT_EQ(shownTitle(&w), u"QCM Vol Libre"_s);
    QTest::keyRelease(QApplication::focusWidget(), Qt::Key_F1);
    ASSERT_NE(w.aboutBox(), nullptr);
    EXPECT_EQ(shownTitle(w.aboutBox()), u"À propos de QCM Vol Libre"_s);
    w.aboutBox()->close();

    WidgetDialogs real;
    QString boxTitle, inputTitle;
    whenShown<fBox>([&](fBox *box) {
        boxTitle = shownTitle(box);
        QTest::keyClick(box->focusWidget(), Qt::Key_Return);
    });
    real.MoxBox(u"Terminé !"_s, Icon::Information, u"Cà y est !"_s);
    EXPECT_EQ(boxTitle, u"Cà y est !"_s);

    whenShown<fInBox>([&](fInBox *box) {
        inputTitle = shownTitle(box);
        QTest::keyClick(box->focusWidget(), Qt::Key_Escape);
    });
    int left = 0, top = 0;
    real.InBox(u"Corrigez"_s, u"Corriger un libellé"_s, u"x"_s, left, top);
    EXPECT_EQ(inputTitle, u"Corriger un libellé"_s);
}

// The windows' icon, read only once drawn, is the program's drawing at every size.
TEST_F(RunnerTest, WindowIconIsTheProgramsDrawing)
{
    fQCM &w = start();
    const QIcon drawing(u":/pictures/app.svg"_s);
    ASSERT_FALSE(w.windowIcon().isNull());
    for (int size : {16, 32, 64, 128}) {
        EXPECT_EQ(w.windowIcon().actualSize(QSize(size, size)), drawing.actualSize(QSize(size, size)));
        EXPECT_EQ(w.windowIcon().pixmap(size).toImage(), drawing.pixmap(size).toImage()) << size;
    }
    EXPECT_EQ(w.windowIcon().availableSizes(), drawing.availableSizes());
}

} // namespace
