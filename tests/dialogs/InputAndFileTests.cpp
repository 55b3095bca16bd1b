#include "WindowDriver.h"

#include "dialogs/WidgetDialogs.h"
#include "dialogs/fInBox.h"
#include "state/IniFile.h"
#include "ui/Background.h"

#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace qcm::test {
namespace {

using namespace Qt::StringLiterals;

QLineEdit *txt(QWidget *box)
{
    return box->findChild<QLineEdit *>(u"txt"_s);
}

class InputBoxTest : public ::testing::Test {
protected:
    InputBoxTest()
    {
        dialogs.setInBoxPlaceKeeper([this](int left, int top) {
            IniFile::writeString(iniPath, u"Disposition"_s, u"fInBox.Left"_s, QString::number(left));
            IniFile::writeString(iniPath, u"Disposition"_s, u"fInBox.Top"_s, QString::number(top));
        });
    }

    QString disposition(const QString &key) const
    {
        return IniFile::readString(iniPath, u"Disposition"_s, key, u"absent"_s);
    }

    QTemporaryDir dir;
    QString iniPath = dir.filePath(u"QCM.ini"_s);
    WidgetDialogs dialogs;
    int left = 0, top = 0;
};

TEST_F(InputBoxTest, OkReturnsTheTextAsGivenAndRecordsTheBoxsPlace)
{
    const QString text = u"  Quelle est la\r\nfinesse max ? "_s;
    QRect frame;
    whenShown<fInBox>([&](fInBox *box) {
        EXPECT_EQ(box->windowTitle(), u"Corriger un libellé"_s);
        EXPECT_EQ(box->focusWidget(), txt(box));
        EXPECT_EQ(txt(box)->selectedText(), text) << "typing replaces the offered text";
        frame = box->frameGeometry();
        QTest::mouseClick(cmd(box, 0), Qt::LeftButton);
    });
    EXPECT_EQ(dialogs.InBox(u"Corrigez"_s, u"Corriger un libellé"_s, text, left, top), text);

    EXPECT_EQ(frame.topLeft(), QPoint(Twips::toPixels(left), Twips::toPixels(top)));
    EXPECT_EQ(disposition(u"fInBox.Left"_s), QString::number(left));
    EXPECT_EQ(disposition(u"fInBox.Top"_s), QString::number(top));

    // A given place is used and left as it was in the caller's variables.
    left = 1500;
    top = 3000;
    whenShown<fInBox>([&](fInBox *box) {
        frame = box->frameGeometry();
        QTest::keyClick(txt(box), Qt::Key_Return);
    });
    dialogs.InBox(u"Ailleurs"_s, u"Titre"_s, u"x"_s, left, top);
    EXPECT_EQ(frame.topLeft(), QPoint(Twips::toPixels(1500), Twips::toPixels(3000)));
    EXPECT_EQ(QPoint(left, top), QPoint(1500, 3000));
}

TEST_F(InputBoxTest, EveryWayOfCancellingReturnsAnEmptyTextAndOnlyButtonsRecordThePlace)
{
    const std::function<void(fInBox *)> ways[] = {
        [](fInBox *box) { QTest::mouseClick(cmd(box, 1), Qt::LeftButton); },
        [](fInBox *box) { QTest::keyClick(txt(box), Qt::Key_Escape); },
        [](fInBox *box) { box->close(); },
    };
    for (const auto &way : ways) {
        QFile::remove(iniPath);
        whenShown<fInBox>([&way](fInBox *box) {
            QTest::keyClicks(txt(box), u"change"_s);
            way(box);
        });
        EXPECT_EQ(dialogs.InBox(u"P"_s, u"T"_s, u"texte"_s, left, top), QString());
    }
    EXPECT_FALSE(QFile::exists(iniPath)); // the close box came last
}

TEST_F(InputBoxTest, LongPromptsAndLongTextsAreShownAndReturnedWhole)
{
    const QString prompt = u"Corrigez le libellé et enregistrez votre modification en cliquant sur 'OK' "_s.repeated(4);
    const QString longText(40000, u'a');
    whenShown<fInBox>([](fInBox *box) {
        const auto *lbl = box->findChild<QLabel *>(u"lbl"_s);
        EXPECT_GE(lbl->height(), lbl->heightForWidth(lbl->width()));
        EXPECT_GE(txt(box)->y(), lbl->geometry().bottom());
        EXPECT_GE(cmd(box, 0)->y(), txt(box)->geometry().bottom());
        EXPECT_TRUE(box->rect().contains(cmd(box, 1)->geometry()));
        QTest::mouseClick(cmd(box, 0), Qt::LeftButton);
    });
    EXPECT_EQ(dialogs.InBox(prompt, u"T"_s, longText, left, top), longText);
}

TEST(FileDialogTest, OneAccessFilterExistingFilesToOpenOverwritingLeftToTheProgram)
{
    QTemporaryDir dir;
    WidgetDialogs dialogs;
    FileDialogRequest request{
        u"Rechercher la base de données à utiliser"_s, {{u"Fichiers Access"_s, u"*.mdb"_s}}, dir.path()};
    whenShown<QFileDialog>([&](QFileDialog *dlg) {
        EXPECT_EQ(dlg->windowTitle(), request.title);
        EXPECT_EQ(dlg->nameFilters(), QStringList{u"Fichiers Access (*.mdb)"_s});
        EXPECT_EQ(dlg->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(QDir(dlg->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
        dlg->reject();
    });
    EXPECT_EQ(dialogs.openFileName(request), QString());

    // A name typed without its extension gets the filter's.
    whenShown<QFileDialog>([&](QFileDialog *dlg) {
        EXPECT_EQ(dlg->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_TRUE(dlg->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(dlg->defaultSuffix(), u"mdb"_s);
        dlg->reject();
    });
    EXPECT_EQ(dialogs.saveFileName(request), QString());
}

} // namespace
} // namespace qcm::test
