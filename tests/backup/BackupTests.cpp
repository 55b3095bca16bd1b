#include "backup/BankBackups.h"
#include "backup/BankRestore.h"
#include "backup/RestoreDialog.h"
#include "editor/EditorFixture.h"
#include "recent/RecentBanks.h"
#include "recent/RecentBanksMenu.h"
#include "state/IniFile.h"
#include "support/SmallDisk.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace qcm;
using namespace qcm::test;

namespace {

class BackupTest : public EditorTest {
protected:
    BankBackups &backups() { return BankBackups::of(state); }
    QList<BackupFiles::Backup> made() { return BackupFiles::list(backups().folder()); }
    // Domain 3 deleted with its two questions.
    void deleteDomainThree()
    {
        pick(2);
        dialogs.boxAnswers = {2, 1, 0};
        editor.DeleteDomain();
    }
    // Lets the program hear of the changes just committed.
    static void settle() { QCoreApplication::processEvents(); }
};

TEST_F(BackupTest, ABackupTakenBeforeADomainDeletionHoldsTheDeletedQuestions)
{
    open();
    const QByteArray before = fileBytes(path);
    deleteDomainThree();
    ASSERT_EQ(value("SELECT count(*) FROM Questions WHERE Code = '3'"), "0");
    ASSERT_EQ(made().size(), 1);
    const BackupFiles::Backup backup = made().first();
    EXPECT_EQ(
        QFileInfo(backup.path).fileName(), "VAR-irururiza 2026-12-06 09-00-00 (avant suppression d'un domaine).zov");
    EXPECT_EQ(queryRows(backup.path, "SELECT Numero, \"Libellé\" FROM Questions WHERE Code = '3'"),
        (QStringList{"1|Sellette", "2|Secours"}));
    EXPECT_EQ(fileBytes(backup.path), before) << "the bank's own bytes";
    EXPECT_FALSE(backups().lastFailed());
    EXPECT_EQ(backups().statusLine(),
        "Base sauvegardée le 06/12/2026 à 09:00 (avant suppression d'un domaine) : « "
        "VAR-irururiza 2026-12-06 09-00-00 (avant suppression d'un domaine).zov ».");
    EXPECT_EQ(dialogs.boxes.size(), 3) << "no box of its own";

    // Deleting the domain alone copies nothing; marking a whole domain and
    // the points check's removal of zeros do, once per run.
    pick(0);
    dialogs.boxAnswers = {1};
    editor.DeleteDomain();
    dialogs.advance(60);
    pick(0);
    dialogs.boxAnswers = {0, 0};
    editor.batchMark(1);
    execOn(path, "UPDATE Questions SET Val3 = 0 WHERE Code = '2'");
    dialogs.advance(60);
    dialogs.boxAnswers = {0, 0};
    editor.CheckPoints();
    QStringList reasons;
    for (const BackupFiles::Backup &b : made())
        reasons << b.reason;
    EXPECT_EQ(reasons,
        (QStringList{"avant contrôle des points", "avant marquage par lot", "avant suppression d'un domaine"}));
}

TEST_F(BackupTest, AFailedBackupDoesNotStopTheDeletionAndIsSaid)
{
    open();
    writeFile(QDir(dir.path()).filePath("Sauvegardes"), "pas un dossier");
    QStringList said;
    QObject::connect(&backups(), &BankBackups::statusChanged, [&](const QString &line, bool failed) {
        if (failed)
            said << line;
    });
    deleteDomainThree();
    EXPECT_EQ(value("SELECT count(*) FROM Questions WHERE Code = '3'"), "0") << "deleted all the same";
    ASSERT_EQ(said.size(), 1);
    EXPECT_EQ(said[0],
        "Sauvegarde automatique de « VAR-irururiza.zov » impossible (avant suppression d'un domaine) "
        ": le dossier « "
            + backups().folder() + " » ne peut pas être créé. Le travail continue.");
    EXPECT_EQ(dialogs.boxes.size(), 3);
}

TEST_F(BackupTest, ADamagedBankIsNeverBackedUpAndTheUserIsTold)
{
    BankContent bank = standardBank();
    for (int n = 1; n <= 400; ++n)
        bank.questions << makeQuestion("6", n, QString("Question assez longue numéro %1").arg(n), {6, 0});
    open(bank);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.seek(4096 * 3));
        file.write(QByteArray(64, '\xff'));
    }
    const BankBackups::Outcome outcome = backups().backUp("essai");
    EXPECT_FALSE(outcome.made);
    EXPECT_TRUE(outcome.line.startsWith("La base « VAR-irururiza.zov » ne passe pas le contrôle d'intégrité ("))
        << outcome.line.toStdString();
    EXPECT_TRUE(backups().lastFailed());
    EXPECT_TRUE(made().isEmpty());
}

TEST_F(BackupTest, ABankLargerThanTheSpaceAllowedIsNotCopied)
{
    open();
    execOn(path, "CREATE TABLE Remplissage(x); INSERT INTO Remplissage VALUES (zeroblob(1500000))");
    IniFile::writeString(state.IniPath, "Sauvegardes", "Espace maximal (Mo)", "1");
    const BankBackups::Outcome outcome = backups().backUp("essai");
    EXPECT_FALSE(outcome.made);
    EXPECT_EQ(outcome.line,
        "Sauvegarde automatique de « VAR-irururiza.zov » impossible (essai) : la base (2 Mo) "
        "dépasse l'espace permis aux sauvegardes (1 Mo). Le travail continue.");
    EXPECT_TRUE(made().isEmpty());
}

TEST_F(BackupTest, RestoreThenUndoGivesBackTheBankByteForByte)
{
    open();
    const QByteArray original = fileBytes(path);
    const BankBackups::Outcome first = backups().backUp("essai");
    ASSERT_TRUE(first.made);
    deleteDomainThree();
    dialogs.advance(3600);
    state.bank().saveQuestion(makeQuestion("1", 1, "Un, corrigé", {6, 0, -2}));
    const QByteArray changed = fileBytes(path);

    const auto differences = BankRestore::differences(state, first.path);
    ASSERT_TRUE(differences);
    EXPECT_EQ(differences->added.size(), 2);
    EXPECT_EQ(differences->removed.size(), 0);
    ASSERT_EQ(differences->changed.size(), 1);
    EXPECT_EQ(differences->changed[0].second.libelle, "Un");

    dialogs.advance(60);
    const BankRestore::RestoreOutcome restored = BankRestore::restore(state, first.path);
    ASSERT_TRUE(restored.restored) << restored.message.toStdString();
    EXPECT_EQ(fileBytes(path), original);
    EXPECT_EQ(fileBytes(restored.undoBackup), changed);
    EXPECT_TRUE(state.isBound());
    EXPECT_EQ(state.domains().size(), 4) << "bound again on the restored file";

    dialogs.advance(60);
    const BankRestore::RestoreOutcome undone = BankRestore::restore(state, restored.undoBackup);
    ASSERT_TRUE(undone.restored);
    EXPECT_EQ(fileBytes(path), changed);

    // A file that is no bank is refused and nothing moves.
    const QString junk = writeFile(QDir(backups().folder()).filePath("VAR-irururiza 2026-12-01 10-00-00.zov"), "x");
    const auto backupsBefore = made().size();
    const BankRestore::RestoreOutcome refused = BankRestore::restore(state, junk);
    EXPECT_FALSE(refused.restored);
    EXPECT_TRUE(refused.message.startsWith("La sauvegarde « VAR-irururiza 2026-12-01 10-00-00.zov » ne peut pas "
                                           "être restaurée :"));
    EXPECT_EQ(fileBytes(path), changed);
    EXPECT_EQ(made().size(), backupsBefore);
}

TEST_F(BackupTest, TheRestoreDialogListsTheBackupsAndRestoresTheChosenOne)
{
    open();
    const QByteArray original = fileBytes(path);
    ASSERT_TRUE(backups().backUp("essai").made);
    dialogs.advance(60);
    deleteDomainThree();

    RestoreDialog dialog(state);
    EXPECT_EQ(dialog.windowTitle(), "Restaurer une sauvegarde");
    QAbstractItemModel *list = dialog.lstSauvegardes()->model();
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(list->index(0, 1).data(), "avant suppression d'un domaine");
    EXPECT_EQ(list->index(0, 3).data(), "7") << "questions";
    EXPECT_EQ(list->index(0, 4).data(), "4") << "domains";
    dialog.choose(1);
    EXPECT_EQ(dialog.lblDifferences()->text(), "Restaurer cette sauvegarde : 2 questions reviendraient.");
    EXPECT_EQ(dialog.lstDifferences()->model()->index(0, 0).data(), "Reviendrait   3.1 : Sellette");

    dialogs.boxAnswers = {0, 0};
    dialog.cmdRestaurer()->click();
    EXPECT_EQ(dialogs.boxes[3].title, "Restaurer une sauvegarde");
    EXPECT_EQ(dialogs.boxes[4].title, "Restauration");
    EXPECT_TRUE(dialog.restored());
    EXPECT_EQ(fileBytes(path), original);
    ASSERT_EQ(list->rowCount(), 3);
    EXPECT_EQ(list->index(0, 1).data(), "avant restauration") << "the way back is on top";
}

TEST_F(BackupTest, AChangedBankIsBackedUpWhenTheProgramClosesOrAnotherBankIsChosen)
{
    open();
    backups();
    EXPECT_FALSE(backups().programClosing().made) << "unchanged";
    state.bank().saveQuestion(makeQuestion("1", 9, "Neuf", {6, 0}));
    settle();
    const BankBackups::Outcome closing = backups().programClosing();
    EXPECT_TRUE(closing.made);
    EXPECT_TRUE(closing.path.endsWith("(fermeture).zov"));

    // Left for another bank after a change: the one left is kept.
    state.bank().saveQuestion(makeQuestion("1", 10, "Dix", {6, 0}));
    settle();
    const QString left = path;
    const QString other = makeBank(dir, "Club.mdb", standardBank());
    dialogs.advance(60);
    dialogs.openAnswers = {other};
    state.ChooseDatabase();
    QStringList reasons;
    for (const BackupFiles::Backup &b : BackupFiles::list(BackupFiles::folderFor(state.IniPath, left)))
        reasons << b.reason;
    EXPECT_EQ(reasons, (QStringList{"changement de base", "fermeture"}));

    // A failure while closing is told at the next start.
    state.bank().saveQuestion(makeQuestion("1", 11, "Onze", {6, 0}));
    settle();
    IniFile::writeString(state.IniPath, "Sauvegardes", "Espace maximal (Mo)", "0");
    EXPECT_FALSE(backups().programClosing().made) << "none wanted";
    IniFile::writeString(state.IniPath, "Sauvegardes", "Espace maximal (Mo)", "500");
    QDir(BackupFiles::rootFolder(state.IniPath)).removeRecursively();
    writeFile(BackupFiles::rootFolder(state.IniPath), "");
    EXPECT_FALSE(backups().programClosing().made);
    QCMBas next(dialogs, dir.path());
    next.readSettings();
    EXPECT_TRUE(BankBackups::of(next).lastFailed());
    EXPECT_TRUE(BankBackups::of(next).statusLine().startsWith(
        "Au dernier arrêt du programme, sauvegarde automatique de « Club.mdb » impossible (fermeture) : "));
    EXPECT_TRUE(IniFile::readString(next.IniPath, "Sauvegardes", "Dernier échec", {}).isEmpty()) << "told once";
}

class FullDiskBackup : public SmallDisk {
protected:
    ScriptedDialogs dialogs;
};

TEST_F(FullDiskBackup, AFullDiskLeavesNoPartialCopyAndTheEditGoesOn)
{
    QTemporaryDir banks;
    const QString bank = makeBank(banks, "Club.mdb", standardBank());
    QCMBas state(dialogs, mountPoint);
    state.DbPath = bank;
    ASSERT_TRUE(state.BindDatabase());
    FakeView view;
    QuestionEditor editor(state, view);
    editor.FillEditorDomainList();
    ASSERT_TRUE(QDir().mkpath(BankBackups::of(state).folder()));
    ASSERT_NO_FATAL_FAILURE(fillLeaving(4096));

    view.selectDomain(2);
    editor.domainSelected();
    dialogs.boxAnswers = {2, 1, 0};
    editor.DeleteDomain();
    EXPECT_EQ(queryValue(bank, "SELECT count(*) FROM Questions WHERE Code = '3'"), "0");
    EXPECT_TRUE(BankBackups::of(state).lastFailed());
    EXPECT_TRUE(BankBackups::of(state).statusLine().contains("Le travail continue."))
        << BankBackups::of(state).statusLine().toStdString();
    EXPECT_TRUE(QDir(BankBackups::of(state).folder()).isEmpty(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST_F(BackupTest, ChoosingABankOffersTheRecentOnesAndForgetsTheMissing)
{
    open();
    RecentBanks::follow(state);
    EXPECT_EQ(recentBanksMenu(state, nullptr), nullptr) << "nothing to offer yet";
    QStringList banks;
    for (int i = 1; i <= 6; ++i)
        banks << makeBank(dir, QString("Club %1.mdb").arg(i), standardBank());
    for (const QString &bank : banks) {
        dialogs.openAnswers = {bank};
        state.ChooseDatabase();
    }
    const QStringList recent = RecentBanks::read(state.IniPath);
    EXPECT_EQ(recent, (QStringList{banks[5], banks[4], banks[3], banks[2], banks[1]}));

    QFile::remove(banks[3]);
    std::unique_ptr<QMenu> menu(recentBanksMenu(state, nullptr));
    ASSERT_TRUE(menu);
    auto action = [&](const char *name) { return menu->findChild<QAction *>(name); };
    EXPECT_TRUE(action("mnuBase1")->isChecked()) << "the bank in use";
    EXPECT_FALSE(action("mnuBase3")->isEnabled());
    EXPECT_TRUE(action("mnuBase3")->text().endsWith("(introuvable)"));
    action("mnuBase2")->trigger();
    settle();
    EXPECT_EQ(state.DbPath, banks[4]) << "opened as if chosen in the dialog";
    EXPECT_EQ(RecentBanks::read(state.IniPath).first(), banks[4]);
    action("mnuRetirer")->trigger();
    EXPECT_FALSE(RecentBanks::read(state.IniPath).contains(banks[3]));
    EXPECT_EQ(RecentBanks::read(state.IniPath).size(), 4);
}

} // namespace
