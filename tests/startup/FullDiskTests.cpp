#include "database/Sqlite.h"
#include "startup/QCMBas.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

using namespace qcm;
using namespace qcm::test;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// A disk of 256 KiB that really runs full: a tmpfs mounted for the test,
// which needs root; elsewhere the tests are skipped.
class FullDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "mounting a tmpfs needs root";
        mountPoint = QDir(outside.path()).filePath(QStringLiteral("petit-disque"));
        ASSERT_TRUE(QDir().mkpath(mountPoint));
        if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=256k")
            != 0)
            GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
        mounted = true;
    }
    void TearDown() override
    {
        if (mounted)
            ::umount2(QFile::encodeName(mountPoint).constData(), MNT_DETACH);
    }

    QString onDisk(const QString &name) const { return QDir(mountPoint).filePath(name); }
    qint64 freeBytes() const
    {
        struct statvfs st { };
        return ::statvfs(QFile::encodeName(mountPoint).constData(), &st) == 0
            ? qint64(st.f_bavail) * qint64(st.f_frsize)
            : -1;
    }
    // Leaves room bytes free, a multiple of the page size.
    void fillLeaving(qint64 room)
    {
        ASSERT_GE(freeBytes(), room);
        writeFile(onDisk(QStringLiteral("remplissage")), QByteArray(freeBytes() - room, 'x'));
        ASSERT_EQ(freeBytes(), room);
    }
    QStringList filesOnDisk() const
    {
        return QDir(mountPoint).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir outside;
    QString mountPoint;
    bool mounted = false;
    ScriptedDialogs dialogs;
};

TEST_F(FullDisk, SettingsStayAsTheyWereAndTheUserIsTold)
{
    BankContent bank;
    bank.domains = {{QStringLiteral("1"), QStringLiteral("Courante")}};
    QString error;
    ASSERT_TRUE(writeBank(onDisk(QStringLiteral("VAR-irururiza.zov")), bank, &error));
    const QString other = QDir(outside.path()).filePath(QStringLiteral("Club.mdb"));
    ASSERT_TRUE(writeBank(other, bank, &error));
    QCMBas state(dialogs, mountPoint);
    writeFile(state.IniPath, "[Options]\r\nRepeindre=0\r\n");
    state.readSettings();
    ASSERT_TRUE(state.BindDatabase());
    ASSERT_NO_FATAL_FAILURE(fillLeaving(0));

    dialogs.openAnswers = {other};
    dialogs.boxAnswers = {0};
    state.ChooseDatabase();
    EXPECT_EQ(dialogs.boxes,
        QList<ScriptedDialogs::Box>{ScriptedDialogs::Box(
            QStringLiteral("La base choisie est ouverte, mais le fichier de paramètres") + kCrLf + state.IniPath + kCrLf
                + QStringLiteral("n'a pas pu être écrit : elle ne sera pas rouverte au prochain démarrage.") + kCrLf
                + kCrLf
                + QStringLiteral("Le fichier de paramètres « %1 » ne peut pas être écrit : l'écriture a échoué "
                                 "(%2) ; le fichier est resté tel qu'il était.")
                      .arg(state.IniPath, qt_error_string(ENOSPC)),
            2, "Paramètres non enregistrés", "OK")});
    EXPECT_EQ(fileBytes(state.IniPath), QByteArray("[Options]\r\nRepeindre=0\r\n"));
    EXPECT_EQ(state.DbPath, other) << "the chosen bank is in use all the same";
    EXPECT_EQ(filesOnDisk(),
        QStringList({QStringLiteral("QCM.ini"), QStringLiteral("VAR-irururiza.zov"), QStringLiteral("remplissage")}));
}

TEST_F(FullDisk, ABackupThatDoesNotFitIsRefusedAndTheOldOneKept)
{
    QTemporaryDir program;
    BankContent bank;
    bank.domains = {{QStringLiteral("1"), QStringLiteral("Météo")}};
    bank.questions = {makeQuestion(QStringLiteral("1"), 1, QStringLiteral("Un cumulus ?"), {6, -2})};
    const QString current = makeBank(program, QStringLiteral("VAR-irururiza.zov"), bank);
    {
        // Small enough to fit in one write buffer, where a lost write went unseen.
        SqliteDb db;
        ASSERT_TRUE(db.open(current, SqliteDb::Mode::ReadWrite));
        ASSERT_TRUE(db.exec(QStringLiteral("PRAGMA page_size=1024; VACUUM")));
    }
    ASSERT_LT(QFileInfo(current).size(), 16384);
    QCMBas state(dialogs, program.path());
    state.readSettings();
    ASSERT_TRUE(state.BindDatabase());
    const QString backup = onDisk(QStringLiteral("sauvegarde.mdb"));
    const QByteArray old(8192, 'a');
    writeFile(backup, old);
    // A few KiB too little for the copy, beside the old backup that it would replace.
    ASSERT_NO_FATAL_FAILURE(fillLeaving((QFileInfo(current).size() - 1) / 4096 * 4096));

    dialogs.boxAnswers = {0, 0, 0};
    dialogs.saveAnswers = {backup};
    state.SaveDatabaseAs();
    ASSERT_EQ(dialogs.boxes.size(), 3);
    EXPECT_EQ(dialogs.boxes[1].title, QStringLiteral("Remplacer"));
    EXPECT_EQ(dialogs.boxes[2],
        ScriptedDialogs::Box(QStringLiteral("La copie de « %1 » vers « %2 » a échoué :").arg(state.DbPath, backup)
                + kCrLf + QStringLiteral("le disque est plein."),
            6, "Copie impossible", "OK"));
    EXPECT_EQ(fileBytes(backup), old);
    EXPECT_EQ(filesOnDisk(), QStringList({QStringLiteral("remplissage"), QStringLiteral("sauvegarde.mdb")}))
        << "no partial copy is left behind";
    EXPECT_TRUE(state.isBound());

    // With room enough the same backup is made.
    ASSERT_TRUE(QFile::remove(onDisk(QStringLiteral("remplissage"))));
    dialogs.boxes.clear();
    dialogs.boxAnswers = {0, 0, 0};
    dialogs.saveAnswers = {backup};
    state.SaveDatabaseAs();
    ASSERT_EQ(dialogs.boxes.size(), 3);
    EXPECT_EQ(dialogs.boxes[2].message, QStringLiteral("Sauvegarde effectuée."));
    EXPECT_EQ(databaseContent(backup), databaseContent(state.DbPath));
    EXPECT_EQ(filesOnDisk(), QStringList({QStringLiteral("sauvegarde.mdb")}));
}

} // namespace
