#include "state/IniFile.h"
#include "state/ProgramFolder.h"
#include "state/QCMBas.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"
#include "ui/Splash.h"

#include <QDir>
#include <QImage>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace qcm;
using namespace qcm::test;

namespace {

class Startup : public ::testing::Test {
protected:
    void SetUp() override
    {
        makeBank(dir, u"VAR-irururiza.zov"_s,
            {{{u"1"_s, u"Aérologie"_s}, {u"2"_s, u"Matériel"_s}}, {makeQuestion(u"1"_s, 1, u"Q"_s, {6, 0})}});
    }
    void remember(const QString &path) { rememberBank(dir.path(), path); }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    QCMBas state{dialogs, dir.path()};
};

TEST_F(Startup, SettingsDefaultToTheBankBesideTheProgramAndRelativePathsStartThere)
{
    state.readSettings();
    EXPECT_EQ(state.IniPath, dir.filePath(u"QCM.ini"_s));
    EXPECT_EQ(state.DbPath, dir.filePath(u"VAR-irururiza.zov"_s));
    EXPECT_EQ(state.RepaintOption, -1);

    IniFile::writeString(state.IniPath, u"Options"_s, u"Repeindre"_s, u"0"_s);
    remember(u"/ailleurs/b.mdb"_s);
    state.readSettings();
    EXPECT_EQ(state.RepaintOption, 0);
    EXPECT_EQ(state.DbPath, u"/ailleurs/b.mdb"_s);

    // Wherever the program was started from.
    QTemporaryDir elsewhere;
    const QString startedFrom = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    for (const QString &relative : {u"VAR-irururiza.zov"_s, u"../autre/b.mdb"_s}) {
        remember(relative);
        state.readSettings();
        EXPECT_EQ(state.DbPath, QDir::cleanPath(dir.path() + u'/' + relative));
    }
    QDir::setCurrent(startedFrom);
}

TEST_F(Startup, AppFolderEndsWithOneSeparator)
{
    QCMBas root(dialogs, u"/"_s);
    EXPECT_EQ(root.AppFolder(), u"/"_s);
    EXPECT_EQ(state.AppFolder(), dir.path() + u'/');
}

TEST_F(Startup, BindingOpensTheSixBindingsAndCaptionsTheBase)
{
    state.readSettings();
    QSignalSpy caption(&state, &QCMBas::baseCaptionChanged);
    ASSERT_TRUE(state.BindDatabase());
    for (DataBinding *b : {&state.datDom, &state.datQCM, &state.datQue, &state.datExe, &state.datSes, &state.datSpe})
        EXPECT_TRUE(b->isOpen()) << b->name().toStdString();
    ASSERT_EQ(caption.count(), 1);
    EXPECT_EQ(caption.at(0).at(0).toString(),
        u"QCM version "_s + QCMBas::VersionText() + u" - Base actuelle : "_s + state.DbPath);
    EXPECT_EQ(state.domainEntries(), (QStringList{u"1  Aérologie"_s, u"2  Matériel"_s}));
}

TEST_F(Startup, AMissingBankAsksForAnotherAndACancelLeavesNothingBound)
{
    remember(dir.filePath(u"disparue.mdb"_s));
    state.readSettings();
    QSignalSpy splash(&state, &QCMBas::splashCloseRequested);
    dialogs.openAnswers = {QString()};
    dialogs.boxAnswers = {0};
    EXPECT_FALSE(state.BindDatabase());
    EXPECT_GE(splash.count(), 1) << "the splash closes before the file dialog";
    EXPECT_EQ(dialogs.openRequests.value(0).title, u"Rechercher la base de données à utiliser"_s);
    EXPECT_EQ(dialogs.messages(), QStringList{u"Aucune modification"_s});
    EXPECT_TRUE(state.domainEntries().isEmpty());
}

TEST_F(Startup, UnusableRememberedFilesBindNothingAndStayUntouched)
{
    const QString text = writeFile(dir.filePath(u"texte.mdb"_s), "pas une base\r\n");
    const QString bare = makeSqliteFile(dir.filePath(u"sans-tables.mdb"_s),
        u"CREATE TABLE Domaines (Code TEXT, Libellé TEXT);"
        "INSERT INTO Domaines VALUES ('1', 'Seul');"_s);
    for (const QString &path : {text, bare}) {
        const QByteArray before = fileBytes(path);
        remember(path);
        state.readSettings();
        QSignalSpy splash(&state, &QCMBas::splashCloseRequested);
        EXPECT_FALSE(state.BindDatabase());
        EXPECT_EQ(splash.count(), 1);
        EXPECT_FALSE(state.isBound());
        EXPECT_TRUE(state.domainEntries().isEmpty()) << "no half-bound database shows its domains";
        EXPECT_EQ(fileBytes(path), before);
    }
}

TEST(ProgramFolder, PortableWhenTheProgramFilesAreBesideItElsePerUserFilledOnce)
{
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir install;
    const QDir root(install.path());
    ASSERT_TRUE(root.mkpath(u"portable"_s));
    writeFile(root.filePath(u"portable/VAR-irururiza.zov"_s), "banque");
    EXPECT_EQ(resolveProgramFolder(root.filePath(u"portable"_s)), root.filePath(u"portable"_s));

    ASSERT_TRUE(root.mkpath(u"bin"_s));
    ASSERT_TRUE(root.mkpath(u"share/qcm"_s));
    writeFile(root.filePath(u"share/qcm/VAR-irururiza.zov"_s), "livrée");
    writeFile(root.filePath(u"share/qcm/QCM.BMP"_s), "image");
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir(data).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(data));
    writeFile(QDir(data).filePath(u"VAR-irururiza.zov"_s), "modifiée par le moniteur");

    EXPECT_EQ(resolveProgramFolder(root.filePath(u"bin"_s)), data);
    EXPECT_EQ(fileBytes(QDir(data).filePath(u"QCM.BMP"_s)), QByteArray("image"));
    EXPECT_EQ(fileBytes(QDir(data).filePath(u"VAR-irururiza.zov"_s)), QByteArray("modifiée par le moniteur"));
    QDir(data).removeRecursively();

    // A file where the folder should be: the program starts empty, and says why.
    writeFile(data, "un fichier");
    QString error;
    EXPECT_EQ(resolveProgramFolder(root.filePath(u"bin"_s), &error), data);
    EXPECT_EQ(error,
        u"Le dossier de travail du programme\r\n"_s + data
            + u"\r\nn'a pas pu être préparé :\r\nle dossier ne peut pas être créé."_s);
    QFile::remove(data);
}

} // namespace

// The splash read by the program's own BMP path shows the very pixels Qt's
// reader shows, whichever way up its rows are stored; other pictures and
// damaged files are left to Qt's reader.
TEST(SplashPicture, SamePixelsAsQtsReaderAndOtherFilesLeftToIt)
{
    QTemporaryDir dir;
    QImage drawn(7, 3, QImage::Format_RGB32); // 21 bytes a row: padded
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            drawn.setPixel(x, y, qRgb(30 * x, 80 * y, 255 - 20 * x));
    const QString bottomUp = dir.filePath(u"QCM.BMP"_s);
    ASSERT_TRUE(drawn.save(bottomUp, "BMP"));
    const QImage expected = QImage(bottomUp).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(expected, drawn);
    const QPixmap read = splashPicture(bottomUp);
    EXPECT_EQ(read.toImage().convertToFormat(QImage::Format_RGB32), expected);
    EXPECT_EQ(read.deviceIndependentSize().toSize(), QSize(7, 3));

    // The same rows stored top first, as a negative height says.
    QByteArray bytes = fileBytes(bottomUp);
    const int offset = qFromLittleEndian<quint32>(bytes.constData() + 10);
    const int stride = 24;
    QByteArray topDown = bytes.left(offset);
    for (int y = 2; y >= 0; --y)
        topDown += bytes.mid(offset + y * stride, stride);
    qToLittleEndian<qint32>(-3, topDown.data() + 22);
    const QString topFirst = dir.filePath(u"haut.bmp"_s);
    writeFile(topFirst, topDown);
    EXPECT_EQ(splashPicture(topFirst).toImage().convertToFormat(QImage::Format_RGB32), expected);

    const QString png = dir.filePath(u"image.png"_s);
    ASSERT_TRUE(drawn.save(png, "PNG"));
    EXPECT_EQ(splashPicture(png).toImage().convertToFormat(QImage::Format_RGB32), expected);
    const QString cut = dir.filePath(u"coupe.bmp"_s);
    writeFile(cut, bytes.left(bytes.size() - 10));
    EXPECT_EQ(splashPicture(cut).isNull(), QPixmap(cut).isNull());
    writeFile(cut, "image");
    EXPECT_TRUE(splashPicture(cut).isNull());
    EXPECT_TRUE(splashPicture(dir.filePath(u"absent.bmp"_s)).isNull());
}
