#include "support/ScriptedDialogs.h"

#include "dialogs/frmAbout.h"
#include "runner/fQCM.h"
#include "state/Branding.h"
#include "state/IniFile.h"
#include "state/QCMBas.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace qcm::test {
namespace {

using namespace Qt::StringLiterals;
using Box = ScriptedDialogs::Box;

class AboutBoxTest : public ::testing::Test {
protected:
    AboutBoxTest()
    {
        about.setConnectionTest([this] { return connected; });
        about.setUrlOpener([this](const QUrl &url) {
            opened << url.toString();
            return browserWorks;
        });
        about.show();
    }

    template <typename T> T *control(const QString &name) { return about.findChild<T *>(name); }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    QCMBas state{dialogs, dir.path()};
    frmAbout about{aboutContext(state)};
    bool connected = false;
    bool browserWorks = true;
    QStringList opened;
};

TEST_F(AboutBoxTest, TheSwitchTurnsTheStarsOffAndOnAtOnceAndRemembersIt)
{
    QSignalSpy repaints(&state, &QCMBas::repaintOptionChanged);
    auto *chk = control<QCheckBox>(u"chk"_s);
    ASSERT_TRUE(chk->isChecked()); // no setting means stars
    const auto repeindre
        = [this] { return IniFile::readString(state.IniPath, u"Options"_s, u"Repeindre"_s, u"absent"_s); };
    QTest::mouseClick(chk, Qt::LeftButton);
    EXPECT_EQ(state.RepaintOption, 0);
    EXPECT_EQ(repeindre(), u"0"_s);
    QTest::mouseClick(chk, Qt::LeftButton);
    EXPECT_EQ(state.RepaintOption, -1);
    EXPECT_EQ(repeindre(), u"-1"_s);
    EXPECT_EQ(repaints.count(), 2);

    // A settings file that cannot be written still switches this run, and says so.
    state.IniPath = dir.filePath(u"dossier/QCM.ini"_s);
    ASSERT_TRUE(QDir().mkpath(state.IniPath));
    dialogs.boxAnswers = {0};
    QTest::mouseClick(chk, Qt::LeftButton);
    EXPECT_EQ(state.RepaintOption, 0);
    EXPECT_FALSE(chk->isChecked());
    EXPECT_EQ(repaints.count(), 3);
    EXPECT_EQ(dialogs.boxes,
        QList<Box>{Box(
            u"Le ciel étoilé sera masqué jusqu'à la fermeture du programme, mais ce choix n'a pas pu être enregistré "
            "dans le fichier de paramètres\r\n"_s
                + state.IniPath + u"\r\net ne sera pas repris au prochain démarrage.\r\n\r\n« "_s + state.IniPath
                + u" » n'est pas un fichier ordinaire."_s,
            2, u"Paramètres non enregistrés"_s, u"OK"_s)});
}

TEST_F(AboutBoxTest, TheAddressAndLogoOpenTheSiteOnlyWhenConnected)
{
    dialogs.boxAnswers = {0, 0};
    QTest::mouseClick(control<QLabel>(u"lblWeb"_s), Qt::LeftButton);
    QTest::mouseClick(control<QLabel>(u"Image1"_s), Qt::LeftButton);
    EXPECT_TRUE(opened.isEmpty());
    const Box offline{u"Vous n'êtes pas connecté à Internet !\r\nAccès impossible à "_s + Branding::webAddress(), 21,
        u"Connexion impossible"_s, u"OK"_s, {}, {}, 2};
    EXPECT_EQ(dialogs.boxes, QList<Box>(2, offline));

    dialogs.boxes.clear();
    connected = true;
    QTest::mouseClick(control<QLabel>(u"Image1"_s), Qt::LeftButton);
    QTest::keyClick(control<QLabel>(u"lblWeb"_s), Qt::Key_Space);
    EXPECT_EQ(opened, QStringList(2, Branding::webAddress()));

    browserWorks = false;
    dialogs.boxAnswers = {0};
    QTest::mouseClick(control<QLabel>(u"lblWeb"_s), Qt::LeftButton);
    EXPECT_TRUE(dialogs.boxes.value(0).message.contains(Branding::webAddress()));
}

TEST_F(AboutBoxTest, EnterClosesTheBoxEvenWhenConnected)
{
    connected = true;
    about.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&about));
    EXPECT_EQ(QApplication::focusWidget(), control<QPushButton>(u"cmdOK"_s));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(about.isVisible());
    EXPECT_TRUE(opened.isEmpty());
}

} // namespace
} // namespace qcm::test
