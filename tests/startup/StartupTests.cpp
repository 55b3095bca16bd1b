#include "startup/IniFile.h"
#include "startup/ProgramFolder.h"
#include "startup/QCMBas.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qcm;
using namespace qcm::test;

namespace {

class Startup : public ::testing::Test {
protected:
    void SetUp() override
    {
        BankContent bank;
        bank.domains
            = {{QStringLiteral("1"), QStringLiteral("Aérologie")}, {QStringLiteral("2"), QStringLiteral("Matériel")}};
        bank.questions = {makeQuestion(QStringLiteral("1"), 1, QStringLiteral("Q"), {6, 0})};
        makeBank(dir, QStringLiteral("VAR-irururiza.zov"), bank);
    }
    QString file(const QString &name) const { return QDir(dir.path()).filePath(name); }
    void remember(const QString &path)
    {
        IniFile::writeString(
            file(QStringLiteral("QCM.ini")), QStringLiteral("Dernière base"), QStringLiteral("Base"), path);
    }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    QCMBas state{dialogs, dir.path()};
};

TEST_F(Startup, SettingsDefaultToTheBankBesideTheProgramAndRelativePathsStartThere)
{
    state.readSettings();
    EXPECT_EQ(state.IniPath, file(QStringLiteral("QCM.ini")));
    EXPECT_EQ(state.DbPath, file(QStringLiteral("VAR-irururiza.zov")));
    EXPECT_EQ(state.RepaintOption, -1);

    IniFile::writeString(state.IniPath, QStringLiteral("Options"), QStringLiteral("Repeindre"), QStringLiteral("0"));
    remember(QStringLiteral("/ailleurs/b.mdb"));
    state.readSettings();
    EXPECT_EQ(state.RepaintOption, 0);
    EXPECT_EQ(state.DbPath, QStringLiteral("/ailleurs/b.mdb"));

    // Wherever the program was started from.
    QTemporaryDir elsewhere;
    const QString startedFrom = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    for (const QString &relative : {QStringLiteral("VAR-irururiza.zov"), QStringLiteral("../autre/b.mdb")}) {
        remember(relative);
        state.readSettings();
        EXPECT_EQ(state.DbPath, QDir::cleanPath(dir.path() + u'/' + relative));
    }
    QDir::setCurrent(startedFrom);
}

TEST_F(Startup, AppFolderEndsWithOneSeparator)
{
    QCMBas root(dialogs, QStringLiteral("/"));
    EXPECT_EQ(root.AppFolder(), QStringLiteral("/"));
    EXPECT_EQ(state.AppFolder(), dir.path() + u'/');
    const QStringList parts = QCMBas::VersionText().split(u'.');
    ASSERT_EQ(parts.size(), 3);
    for (const QString &p : parts)
        EXPECT_TRUE(p == QStringLiteral("0") || !p.startsWith(u'0'));
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
        QStringLiteral("QCM version ") + QCMBas::VersionText() + QStringLiteral(" - Base actuelle : ") + state.DbPath);
    EXPECT_EQ(state.domainEntries(), (QStringList{QStringLiteral("1  Aérologie"), QStringLiteral("2  Matériel")}));
    EXPECT_TRUE(dialogs.boxes.isEmpty());
}

TEST_F(Startup, AMissingBankAsksForAnotherAndACancelLeavesNothingBound)
{
    remember(file(QStringLiteral("disparue.mdb")));
    state.readSettings();
    QSignalSpy splash(&state, &QCMBas::splashCloseRequested);
    dialogs.openAnswers = {QString()};
    dialogs.boxAnswers = {0};
    EXPECT_FALSE(state.BindDatabase());
    EXPECT_GE(splash.count(), 1) << "the splash closes before the file dialog";
    ASSERT_EQ(dialogs.openRequests.size(), 1);
    EXPECT_EQ(dialogs.openRequests[0].title, QStringLiteral("Rechercher la base de données à utiliser"));
    EXPECT_EQ(dialogs.messages(), QStringList{QStringLiteral("Aucune modification")});
    EXPECT_TRUE(state.domainEntries().isEmpty());
}

TEST_F(Startup, UnusableRememberedFilesBindNothingAndStayUntouched)
{
    const QString text = file(QStringLiteral("texte.mdb"));
    writeFile(text, "pas une base\r\n");
    const QString bare = file(QStringLiteral("sans-tables.mdb"));
    makeSqliteFile(bare,
        QStringLiteral("CREATE TABLE Domaines (Code TEXT, Libellé TEXT);"
                       "INSERT INTO Domaines VALUES ('1', 'Seul');"));
    for (const QString &path : {text, bare}) {
        const QByteArray before = fileBytes(path);
        remember(path);
        state.readSettings();
        QSignalSpy splash(&state, &QCMBas::splashCloseRequested);
        EXPECT_FALSE(state.BindDatabase());
        EXPECT_EQ(splash.count(), 1);
        EXPECT_FALSE(state.isBound());
        EXPECT_TRUE(state.domainEntries().isEmpty()) << "no half-bound database shows its domains";
        EXPECT_TRUE(dialogs.boxes.isEmpty()) << "a failed start-up bind is silent";
        EXPECT_EQ(fileBytes(path), before);
    }
}

} // namespace

namespace {

TEST(ProgramFolder, PortableWhenTheProgramFilesAreBesideItElsePerUserFilledOnce)
{
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir install;
    const QDir root(install.path());
    ASSERT_TRUE(root.mkpath(QStringLiteral("portable")));
    writeFile(root.filePath(QStringLiteral("portable/VAR-irururiza.zov")), "banque");
    EXPECT_EQ(
        resolveProgramFolder(root.filePath(QStringLiteral("portable"))), root.filePath(QStringLiteral("portable")));

    ASSERT_TRUE(root.mkpath(QStringLiteral("bin")));
    ASSERT_TRUE(root.mkpath(QStringLiteral("share/qcm")));
    writeFile(root.filePath(QStringLiteral("share/qcm/VAR-irururiza.zov")), "livrée");
    writeFile(root.filePath(QStringLiteral("share/qcm/QCM.BMP")), "image");
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir(data).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(data));
    writeFile(QDir(data).filePath(QStringLiteral("VAR-irururiza.zov")), "modifiée par le moniteur");

    EXPECT_EQ(resolveProgramFolder(root.filePath(QStringLiteral("bin"))), data);
    EXPECT_EQ(fileBytes(QDir(data).filePath(QStringLiteral("QCM.BMP"))), QByteArray("image"));
    EXPECT_EQ(
        fileBytes(QDir(data).filePath(QStringLiteral("VAR-irururiza.zov"))), QByteArray("modifiée par le moniteur"));
    QDir(data).removeRecursively();

    // A file where the folder should be: the program starts empty, and says why.
    writeFile(data, "un fichier");
    QString error;
    EXPECT_EQ(resolveProgramFolder(root.filePath(QStringLiteral("bin")), &error), data);
    EXPECT_EQ(error,
        QStringLiteral("Le dossier de travail du programme\r\n") + data
            + QStringLiteral("\r\nn'a pas pu être préparé :\r\nle dossier ne peut pas être créé."));
    QFile::remove(data);
}

} // namespace
