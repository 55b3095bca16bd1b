#include "services/DialogService.h"
#include "state/FileOps.h"
#include "state/IniFile.h"
#include "state/QCMBas.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

using namespace qcm;
using namespace qcm::test;

namespace {

const char kChildVariable[] = "QCM_TEST_COPY_THEN_HANG";

// Hangs at its first step, as a copy does that is killed halfway.
class Hang : public Progress {
public:
    bool advance(qint64) override
    {
        std::fputs("copie en cours\n", stdout);
        std::fflush(stdout);
        for (;;)
            QThread::sleep(1);
    }
    void setLabel(const QString &) override { }
    bool wasCanceled() const override { return false; }
};

// Run by the test below as a separate process: copies the bank given in the
// environment and is killed halfway.
TEST(StaleTemporaries, DISABLED_ChildCopyingUntilKilled)
{
    const QStringList paths = qEnvironmentVariable(kChildVariable).split(u'|');
    ASSERT_EQ(paths.size(), 2) << "run only by KilledCopiesLeaveNothingAfterTheNextStart";
    Hang hang;
    copyDatabaseAtomic(paths[0], paths[1], nullptr, &hang);
}

QStringList hiddenFiles(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

TEST(StaleTemporaries, KilledCopiesLeaveNothingAfterTheNextStart)
{
    QTemporaryDir program, bank, pdf;
    const QString path = makeBank(
        bank, u"Club.mdb"_s, {{{u"1"_s, u"Météo"_s}}, {makeQuestion(u"1"_s, 1, QString(300000, u'x'), {6, -2})}});
    const QString backup = QDir(bank.path()).filePath(u"Sauvegarde.mdb"_s);
    writeFile(backup, "ancienne sauvegarde");

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildVariable), path + u'|' + backup);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
        {u"--gtest_filter=StaleTemporaries.DISABLED_ChildCopyingUntilKilled"_s, u"--gtest_also_run_disabled_tests"_s});
    ASSERT_TRUE(child.waitForStarted());
    while (!child.readAllStandardOutput().contains("copie en cours"))
        ASSERT_TRUE(child.waitForReadyRead(20000)) << "the child never started its copy";

    const QStringList during = hiddenFiles(bank.path());
    ASSERT_EQ(during.size(), 3) << during.join(u", "_s).toStdString();
    const QString partial = during.first();
    EXPECT_TRUE(partial.startsWith(u".Sauvegarde.mdb.%1-"_s.arg(child.processId())));
    EXPECT_TRUE(partial.endsWith(u".partiel"_s));

    // Another start while the copy runs takes nothing from it.
    ScriptedDialogs dialogs;
    QCMBas state(dialogs, program.path());
    state.DbPath = path;
    EXPECT_TRUE(state.removeStaleTemporaries().isEmpty());
    EXPECT_EQ(hiddenFiles(bank.path()), during);

    const qint64 childPid = child.processId();
    ::kill(pid_t(childPid), SIGKILL);
    ASSERT_TRUE(child.waitForFinished());
    EXPECT_EQ(hiddenFiles(bank.path()), during) << "killed: the copy is left behind";

    // The next start removes the program's own leftovers beside each file it
    // writes, of this version or an earlier one, and nothing else.
    const QStringList others{
        u".Club.mdb.partiel"_s, u"Club.mdb.0123abcd.partiel"_s, u".notes.txt"_s, u".QCM.ini.0123abcd.partial"_s};
    for (const QString &name : others)
        writeFile(QDir(program.path()).filePath(name), "à garder");
    const QString older = writeFile(QDir(program.path()).filePath(u".qcm.mdb.0123abcd.partiel"_s), "ancienne");
    const QString inPdfFolder
        = writeFile(QDir(pdf.path()).filePath(u".Examen.pdf.%1-89abcdef.partiel"_s.arg(childPid)), "pdf");
    IniFile::writeString(state.IniPath, QCMBas::pdfFolderSection(), QCMBas::pdfFolderKey(), pdf.path());

    QStringList removed = state.removeStaleTemporaries();
    QStringList expected{QDir(bank.path()).filePath(partial), inPdfFolder, older};
    removed.sort();
    expected.sort();
    EXPECT_EQ(removed, expected);
    EXPECT_EQ(hiddenFiles(bank.path()), QStringList({u"Club.mdb"_s, u"Sauvegarde.mdb"_s}));
    EXPECT_EQ(fileBytes(backup), "ancienne sauvegarde");
    for (const QString &name : others)
        EXPECT_TRUE(QFile::exists(QDir(program.path()).filePath(name))) << name.toStdString();
}

// Stopped while its pages are copied, or while the copy is checked.
TEST(StoppedCopies, ABackupStoppedHalfwayLeavesTheOldOneAndNoTemporary)
{
    QTemporaryDir program, other;
    BankContent bank{{{u"1"_s, u"Météo"_s}}, {}};
    for (int n = 1; n <= 2000; ++n)
        bank.questions.append(makeQuestion(u"1"_s, n, u"Question %1 ?"_s.arg(n), {6, -2, 0}));
    makeBank(program, u"VAR-irururiza.zov"_s, bank);
    ScriptedDialogs dialogs;
    QCMBas state(dialogs, program.path());
    state.readSettings();
    ASSERT_TRUE(state.BindDatabase());
    const QString backup = writeFile(QDir(other.path()).filePath(u"Sauvegarde.mdb"_s), "ancienne sauvegarde");

    for (const qint64 stopAt : {qint64(0), kCopyProgressMaximum * 6 / 10 + 1}) {
        dialogs.boxes.clear();
        dialogs.progressRequests.clear();
        dialogs.boxAnswers = {0, 0, 0};
        dialogs.saveAnswers = {backup};
        dialogs.cancelProgressAt = stopAt;
        state.SaveDatabaseAs();
        ASSERT_EQ(dialogs.progressRequests.size(), 1);
        EXPECT_EQ(dialogs.progressRequests[0].title, u"Copie de la base de données"_s);
        EXPECT_TRUE(dialogs.progressRequests[0].cancellable);
        EXPECT_EQ(dialogs.boxes.value(2),
            ScriptedDialogs::Box(u"Copie annulée :\r\n"_s + backup + u"\r\nest resté tel qu'il était."_s, 0,
                u"Opération annulée"_s, u"OK"_s))
            << stopAt;
        EXPECT_EQ(fileBytes(backup), "ancienne sauvegarde");
        EXPECT_EQ(hiddenFiles(other.path()), QStringList{u"Sauvegarde.mdb"_s});
        EXPECT_TRUE(state.isBound());
    }
}

} // namespace
