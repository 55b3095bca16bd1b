#include "state/QCMBas.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"
#include "support/SmallDisk.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qcm;
using namespace qcm::test;

namespace {

using Box = ScriptedDialogs::Box;
const QString kCrLf = u"\r\n"_s;

class FullDisk : public SmallDisk {
protected:
    ScriptedDialogs dialogs;
};

TEST_F(FullDisk, SettingsStayAsTheyWereAndTheUserIsTold)
{
    const BankContent bank{{{u"1"_s, u"Courante"_s}}, {}};
    QString error;
    ASSERT_TRUE(writeBank(onDisk(u"VAR-irururiza.zov"_s), bank, &error));
    const QString other = QDir(outside.path()).filePath(u"Club.mdb"_s);
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
        QList<Box>{Box(u"La base choisie est ouverte, mais le fichier de paramètres"_s + kCrLf + state.IniPath + kCrLf
                + u"n'a pas pu être écrit : elle ne sera pas rouverte au prochain démarrage."_s + kCrLf + kCrLf
                + u"Le fichier de paramètres « %1 » ne peut pas être écrit : le disque est plein ; le fichier est "
                  u"resté "
                  "tel qu'il était."_s.arg(state.IniPath),
            2, "Paramètres non enregistrés", "OK")});
    EXPECT_EQ(fileBytes(state.IniPath), QByteArray("[Options]\r\nRepeindre=0\r\n"));
    EXPECT_EQ(state.DbPath, other) << "the chosen bank is in use all the same";
    EXPECT_EQ(filesOnDisk(), QStringList({u"QCM.ini"_s, u"VAR-irururiza.zov"_s, u"remplissage"_s}));
}

TEST_F(FullDisk, ABackupThatDoesNotFitIsRefusedAndTheOldOneKept)
{
    QTemporaryDir program;
    const QString current = makeBank(program, u"VAR-irururiza.zov"_s,
        {{{u"1"_s, u"Météo"_s}}, {makeQuestion(u"1"_s, 1, u"Un cumulus ?"_s, {6, -2})}});
    // Small enough to fit in one write buffer, where a lost write went unseen.
    execOn(current, u"PRAGMA page_size=1024; VACUUM"_s);
    ASSERT_LT(QFileInfo(current).size(), 16384);
    QCMBas state(dialogs, program.path());
    state.readSettings();
    ASSERT_TRUE(state.BindDatabase());
    const QString backup = onDisk(u"sauvegarde.mdb"_s);
    const QByteArray old(8192, 'a');
    writeFile(backup, old);
    // A few KiB too little for the copy, beside the old backup that it would replace.
    ASSERT_NO_FATAL_FAILURE(fillLeaving((QFileInfo(current).size() - 1) / 4096 * 4096));

    const auto backUp = [&] {
        dialogs.boxes.clear();
        dialogs.boxAnswers = {0, 0, 0};
        dialogs.saveAnswers = {backup};
        state.SaveDatabaseAs();
    };
    backUp();
    EXPECT_EQ(dialogs.boxes.value(1).title, u"Remplacer"_s);
    EXPECT_EQ(dialogs.boxes.value(2),
        Box(u"La copie de « %1 » vers « %2 » a échoué :"_s.arg(state.DbPath, backup) + kCrLf
                + u"le disque est plein."_s,
            6, "Copie impossible", "OK"));
    EXPECT_EQ(fileBytes(backup), old);
    EXPECT_EQ(filesOnDisk(), QStringList({u"remplissage"_s, u"sauvegarde.mdb"_s})) << "no partial copy is left behind";
    EXPECT_TRUE(state.isBound());

    // With room enough the same backup is made.
    ASSERT_TRUE(QFile::remove(onDisk(u"remplissage"_s)));
    backUp();
    EXPECT_EQ(dialogs.boxes.value(2).message, u"Sauvegarde effectuée."_s);
    EXPECT_EQ(databaseContent(backup), databaseContent(state.DbPath));
    EXPECT_EQ(filesOnDisk(), QStringList({u"sauvegarde.mdb"_s}));
}

} // namespace
