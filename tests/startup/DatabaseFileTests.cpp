#include "database/Sqlite.h"
#include "startup/FileOps.h"
#include "startup/IniFile.h"
#include "startup/QCMBas.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <sqlite3.h>

using namespace qcm;
using namespace qcm::test;

namespace {

using Box = ScriptedDialogs::Box;
const QString kCrLf = QStringLiteral("\r\n");

BankContent bankWith(const QString &domain)
{
    BankContent bank;
    bank.domains = {{QStringLiteral("1"), domain}};
    bank.questions = {makeQuestion(QStringLiteral("1"), 1, domain, {6, -2})};
    return bank;
}

Box replaceBox(const QString &fileName)
{
    return {QStringLiteral("Attention, le fichier") + kCrLf + u'\'' + fileName + u'\'' + kCrLf
            + QStringLiteral("existe déjà.") + kCrLf + QStringLiteral("Voulez-vous le remplacer ?"),
        9, "Remplacer", "Remplacer", "Annuler", {}, 2};
}

class DatabaseFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(program.path()).mkpath(QStringLiteral(".")));
        current = makeBank(program, QStringLiteral("VAR-irururiza.zov"), bankWith(QStringLiteral("Courante")));
        other = makeBank(elsewhere, QStringLiteral("Club été.mdb"), bankWith(QStringLiteral("Autre")));
        state.readSettings();
        ASSERT_TRUE(state.BindDatabase());
    }
    QString inElsewhere(const QString &name) const { return QDir(elsewhere.path()).filePath(name); }
    QString rememberedBase() const
    {
        return IniFile::readString(state.IniPath, QStringLiteral("Dernière base"), QStringLiteral("Base"), {});
    }
    void remember(const QString &path)
    {
        IniFile::writeString(state.IniPath, QStringLiteral("Dernière base"), QStringLiteral("Base"), path);
    }
    // "Choisir une base" with the file picked and the answers given; the boxes
    // of the previous call are forgotten, its answers must all have been used.
    void choose(const QString &path, const QList<int> &answers = {}, const QStringList &saves = {})
    {
        dialogs.expectAllAnswersUsed();
        dialogs.boxes.clear();
        dialogs.openAnswers = {path};
        dialogs.boxAnswers = answers;
        dialogs.saveAnswers = saves;
        state.ChooseDatabase();
    }
    void backUp(const QStringList &saves, const QList<int> &answers)
    {
        dialogs.expectAllAnswersUsed();
        dialogs.boxes.clear();
        dialogs.saveAnswers = saves;
        dialogs.boxAnswers = answers;
        state.SaveDatabaseAs();
    }
    void expectStillOnCurrent()
    {
        EXPECT_EQ(state.DbPath, current);
        EXPECT_TRUE(state.isBound());
        EXPECT_EQ(state.domainEntries(), QStringList{QStringLiteral("1  Courante")});
    }

    QTemporaryDir program, elsewhere;
    QString current, other;
    ScriptedDialogs dialogs;
    QCMBas state{dialogs, program.path()};
};

TEST_F(DatabaseFiles, ChoosingABankBindsItRemembersItAndTheNextStartOpensIt)
{
    QSignalSpy refill(&state, &QCMBas::fillDomainListRequested);
    choose(other);
    ASSERT_EQ(dialogs.openRequests.size(), 1);
    EXPECT_EQ(dialogs.openRequests[0].filterName, QStringLiteral("Fichiers Access"));
    EXPECT_EQ(dialogs.openRequests[0].pattern, QStringLiteral("*.mdb"));
    EXPECT_TRUE(dialogs.boxes.isEmpty());
    EXPECT_EQ(state.DbPath, other);
    EXPECT_EQ(refill.count(), 1);
    EXPECT_EQ(state.domainEntries(), QStringList{QStringLiteral("1  Autre")});
    EXPECT_EQ(rememberedBase(), other);
    EXPECT_FALSE(QFile::exists(state.workingCopyPath())) << "no working copy is made when none existed";

    ScriptedDialogs nextDialogs;
    QCMBas next(nextDialogs, program.path());
    next.readSettings();
    EXPECT_EQ(next.DbPath, other);
    EXPECT_TRUE(next.BindDatabase());

    // An existing working copy is refreshed from the chosen bank.
    writeFile(state.workingCopyPath(), "ancienne copie");
    choose(current);
    EXPECT_EQ(databaseContent(state.workingCopyPath()), databaseContent(current));
}

TEST_F(DatabaseFiles, CancellingTheChoiceChangesNothing)
{
    choose(QString(), {0});
    EXPECT_EQ(dialogs.boxes, QList<Box>{Box("Aucune modification", 0, "Opération annulée", "OK")});
    expectStillOnCurrent();
    EXPECT_FALSE(QFile::exists(state.IniPath));
}

TEST_F(DatabaseFiles, TheWorkingCopyIsNeverOpenedDirectlyButCanBeCopied)
{
    const Box offer{QStringLiteral("Attention ! Vous ne devez pas ouvrir directement") + kCrLf
            + QStringLiteral("la base QCM.MDB qui est utilisée par le programme.") + kCrLf
            + QStringLiteral("Voulez-vous créer une copie de QCM.MDB vers un nom de votre choix ?"),
        2, "Attention", "Oui", "Non", {}, 2};
    for (const QString &name : {QStringLiteral("QCM.MDB"), QStringLiteral("Qcm.mdb")}) {
        choose(makeBank(elsewhere, name, bankWith(QStringLiteral("Copie"))), {1, 0});
        EXPECT_EQ(dialogs.boxes, (QList<Box>{offer, {"Aucune modification", 2, "Opération annulée", "OK"}}));
        expectStillOnCurrent();
    }

    const QString working = makeBank(elsewhere, QStringLiteral("qcm.mdb"), bankWith(QStringLiteral("Copie")));
    const QString copy = inElsewhere(QStringLiteral("copie.mdb"));
    choose(working, {0}, {copy});
    ASSERT_EQ(dialogs.saveRequests.size(), 1);
    EXPECT_EQ(dialogs.saveRequests[0].title, QStringLiteral("Enregistrer une copie de la base QCM.MDB sous..."));
    EXPECT_EQ(databaseContent(copy), databaseContent(working));
    EXPECT_EQ(state.DbPath, copy);
    EXPECT_TRUE(state.isBound());
    EXPECT_FALSE(QFile::exists(state.IniPath)) << "the copy is used without being remembered";
}

// Some pass for banks at first sight: six tables, or an intact first page.
// All are refused before the current bank is closed, the working copy
// replaced or the choice remembered.
TEST_F(DatabaseFiles, FilesThatCannotBeUsedAsBanksAreRefusedAndNothingIsTouched)
{
    const QString text = inElsewhere(QStringLiteral("notes.mdb"));
    writeFile(text, "Liste des élèves\r\n");
    const QString empty = inElsewhere(QStringLiteral("vide.mdb"));
    makeSqliteFile(empty, QStringLiteral("CREATE TABLE Notes (x)"));

    QString questionsWithoutCode = QStringLiteral("CREATE TABLE Questions (Numero INTEGER, \"Libellé\" TEXT");
    for (int i = 0; i < 6; ++i)
        questionsWithoutCode += QStringLiteral(", lib%1 TEXT, Val%1 INTEGER").arg(i);
    const QString otherTables
        = QStringLiteral("); CREATE TABLE Domaines (Code TEXT, \"Libellé\" TEXT); CREATE TABLE QCM (NomQCM TEXT); "
                         "CREATE TABLE \"Spécialité\" (NomQCM TEXT); CREATE TABLE Sessions (x); "
                         "CREATE TABLE Examen (x);");
    const QString noCode = inElsewhere(QStringLiteral("sans-code.mdb"));
    makeSqliteFile(noCode, questionsWithoutCode + otherTables);

    BankContent big = bankWith(QStringLiteral("Abîmée"));
    for (int n = 2; n <= 400; ++n)
        big.questions.append(makeQuestion(QStringLiteral("1"), n, QString(300, u'x'), {6, 0}));
    const QString damaged = makeBank(elsewhere, QStringLiteral("abimee.mdb"), big);
    QByteArray bytes = fileBytes(damaged);
    ASSERT_GT(bytes.size(), 20 * 4096);
    bytes.replace(bytes.size() - 3 * 4096, 3 * 4096, QByteArray(3 * 4096, '\x5a'));
    writeFile(damaged, bytes);

    writeFile(state.workingCopyPath(), "copie de travail");
    remember(current);
    const QByteArray currentBefore = fileBytes(current), settingsBefore = fileBytes(state.IniPath);
    const QString refused
        = QStringLiteral("Ce fichier ne peut pas être utilisé comme base de données.") + kCrLf + kCrLf;
    const std::pair<QString, Box> cases[] = {
        {text,
            {refused + QStringLiteral("Le fichier « %1 » n'est pas une base de données.").arg(text), 6, "Base refusée",
                "OK"}},
        {empty,
            {refused
                    + QStringLiteral("La base « %1 » est incomplète : il lui manque les tables Questions, Domaines, "
                                     "QCM, Spécialité, Sessions, Examen.")
                          .arg(empty),
                6, "Base refusée", "OK"}},
        {noCode,
            {refused
                    + QStringLiteral("La base « %1 » est incomplète : il manque le champ Code à la table Questions.")
                          .arg(noCode),
                6, "Base refusée", "OK"}},
        {damaged,
            {QStringLiteral("La base « %1 » est endommagée.").arg(damaged) + kCrLf
                    + QStringLiteral("Elle n'a pas été ouverte : la base actuelle reste en service."),
                6, "Base endommagée", "OK"}},
    };
    for (const auto &[path, box] : cases) {
        const QByteArray before = fileBytes(path);
        choose(path, {0});
        EXPECT_EQ(dialogs.boxes, QList<Box>{box});
        EXPECT_EQ(fileBytes(path), before);
        EXPECT_EQ(fileBytes(current), currentBefore);
        EXPECT_EQ(fileBytes(state.IniPath), settingsBefore);
        EXPECT_EQ(fileBytes(state.workingCopyPath()), QByteArray("copie de travail"));
        expectStillOnCurrent();
    }

    // A bank without the speciality flags is still taken: the composer deals with it.
    questionsWithoutCode.replace(QStringLiteral("(Numero INTEGER"), QStringLiteral("(Code TEXT, Numero INTEGER"));
    const QString noFlags = inElsewhere(QStringLiteral("sans-specialites.mdb"));
    makeSqliteFile(noFlags,
        questionsWithoutCode + otherTables + QStringLiteral(" INSERT INTO Domaines VALUES ('1', 'Ancienne');"));
    choose(noFlags);
    EXPECT_EQ(state.DbPath, noFlags);
    EXPECT_EQ(rememberedBase(), noFlags);
}

TEST_F(DatabaseFiles, ACopyOfTheWorkingCopyReplacesNoFileUnaskedAndNeverTheBankInUse)
{
    const QString working = makeBank(elsewhere, QStringLiteral("qcm.mdb"), bankWith(QStringLiteral("Copie")));
    const QByteArray otherBefore = fileBytes(other), currentBefore = fileBytes(current);
    QSignalSpy refill(&state, &QCMBas::fillDomainListRequested);

    choose(working, {0, 1}, {other});
    ASSERT_EQ(dialogs.boxes.size(), 2);
    EXPECT_EQ(dialogs.boxes[1], replaceBox(QStringLiteral("Club été.mdb")));
    EXPECT_EQ(fileBytes(other), otherBefore);
    expectStillOnCurrent();

    choose(working, {0, 0}, {current});
    ASSERT_EQ(dialogs.boxes.size(), 2);
    EXPECT_EQ(dialogs.boxes[1],
        Box(QStringLiteral("Attention ! Vous ne devez pas écraser la base de données en cours d'utilisation :") + kCrLf
                + current + kCrLf + QStringLiteral("Choisissez un autre nom."),
            0, "Annulation", "OK"));
    EXPECT_EQ(fileBytes(current), currentBefore);
    expectStillOnCurrent();
    EXPECT_EQ(refill.count(), 2) << "the list follows the binding each time";

    choose(working, {0, 0}, {other});
    EXPECT_EQ(databaseContent(other), databaseContent(working));
    EXPECT_EQ(state.DbPath, other);
    EXPECT_EQ(state.domainEntries(), QStringList{QStringLiteral("1  Copie")});
}

// RAII: the rest of the scope runs as an ordinary user, for whom folder
// permissions hold (they do not for root).
struct AsOrdinaryUser {
    AsOrdinaryUser()
    {
        if (geteuid() == 0) {
            EXPECT_EQ(setegid(65534), 0);
            EXPECT_EQ(seteuid(65534), 0);
            switched = true;
        }
    }
    ~AsOrdinaryUser()
    {
        if (switched) {
            EXPECT_EQ(seteuid(0), 0);
            EXPECT_EQ(setegid(0), 0);
        }
    }
    bool switched = false;
};

TEST_F(DatabaseFiles, AGoodFileThatIsLockedOrInAReadOnlyFolderIsNotCalledBad)
{
    {
        SqliteDb holder;
        ASSERT_TRUE(holder.open(other, SqliteDb::Mode::ReadWrite));
        ASSERT_TRUE(holder.exec(QStringLiteral("BEGIN EXCLUSIVE")));
        choose(other, {0});
        EXPECT_EQ(dialogs.boxes,
            QList<Box>{Box(QStringLiteral("La base « %1 » est utilisée par un autre programme, qui en interdit la "
                                          "lecture pour le moment.")
                               .arg(other)
                    + kCrLf
                    + QStringLiteral("Le fichier n'est pas abîmé : fermez l'autre programme, puis choisissez de "
                                     "nouveau cette base."),
                2, "Base verrouillée", "OK")});
        expectStillOnCurrent();
    }

    // A write-ahead-log bank needs its folder to be writable, even to be read.
    QTemporaryDir readOnly;
    const QString wal = makeBank(readOnly, QStringLiteral("club.mdb"), bankWith(QStringLiteral("Journal")));
    {
        SqliteDb db;
        ASSERT_TRUE(db.open(wal, SqliteDb::Mode::ReadWrite));
        ASSERT_TRUE(db.exec(QStringLiteral("PRAGMA journal_mode=WAL")));
    }
    const auto readAndEnter
        = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(readOnly.path(), readAndEnter));
    ASSERT_TRUE(QFile::setPermissions(wal, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    {
        AsOrdinaryUser user;
        choose(wal, {0});
    }
    ASSERT_TRUE(QFile::setPermissions(readOnly.path(), readAndEnter | QFile::WriteOwner));
    EXPECT_EQ(dialogs.boxes,
        QList<Box>{Box(QStringLiteral("La base « %1 » ne peut pas être lue là où elle est : son dossier est en "
                                      "lecture seule.")
                           .arg(wal)
                + kCrLf
                + QStringLiteral("Le fichier n'est pas abîmé : copiez-le dans un dossier où vous pouvez écrire, puis "
                                 "choisissez la copie."),
            2, "Base en lecture seule", "OK")});
    expectStillOnCurrent();

    // Released, the same file is taken.
    choose(other);
    EXPECT_EQ(state.DbPath, other);
}

TEST_F(DatabaseFiles, AWorkingCopyThatCannotBeWrittenStopsTheSwitch)
{
    ASSERT_TRUE(QDir().mkpath(state.workingCopyPath())) << "a folder in the way of the copy";
    QSignalSpy refill(&state, &QCMBas::fillDomainListRequested);
    choose(other, {0});
    ASSERT_EQ(dialogs.boxes.size(), 1);
    EXPECT_EQ(dialogs.boxes[0].icon, 6);
    EXPECT_TRUE(dialogs.boxes[0].message.startsWith(QStringLiteral("La copie de")));
    expectStillOnCurrent();
    EXPECT_EQ(refill.count(), 1) << "bound again, the domain list starts over with it";
    EXPECT_FALSE(QFile::exists(state.IniPath));
}

TEST_F(DatabaseFiles, BackupAsksConfirmsAndCopiesTheCurrentBank)
{
    // Under the current file's own name, in another folder.
    const QString backup = inElsewhere(QStringLiteral("VAR-irururiza.zov"));
    const Box ask{QStringLiteral("Cette option permet d'enregistrer votre base de données") + kCrLf
            + QStringLiteral("actuelle sous un autre nom.") + kCrLf + QStringLiteral("Voulez-vous continuer ?"),
        14, "Sauvegarde", "Sauvegarder", "Annuler", {}, 2};
    backUp({backup}, {0, 0});
    EXPECT_EQ(dialogs.boxes, (QList<Box>{ask, {"Sauvegarde effectuée.", 14, "Sauvegarde", "OK"}}));
    EXPECT_EQ(dialogs.saveRequests[0].title, QStringLiteral("Enregistrer sous..."));
    EXPECT_EQ(databaseContent(backup), databaseContent(current));
    expectStillOnCurrent();

    // Saving again over it asks first, naming the file.
    writeFile(backup, "à garder");
    backUp({backup}, {0, 1});
    EXPECT_EQ(dialogs.boxes, (QList<Box>{ask, replaceBox(QStringLiteral("VAR-irururiza.zov"))}));
    EXPECT_EQ(fileBytes(backup), QByteArray("à garder"));
}

TEST_F(DatabaseFiles, BackupRefusalsAndCancelsLeaveEverythingAsItWas)
{
    backUp({}, {1});
    EXPECT_EQ(dialogs.boxes.size(), 1);
    EXPECT_TRUE(dialogs.saveRequests.isEmpty());

    backUp({QString()}, {0, 0});
    ASSERT_EQ(dialogs.boxes.size(), 2);
    EXPECT_EQ(dialogs.boxes[1], Box("Opération annulée", 0, "Annulation", "OK"));

    backUp({inElsewhere(QStringLiteral("QCM.Mdb"))}, {0, 0});
    ASSERT_EQ(dialogs.boxes.size(), 2);
    EXPECT_EQ(dialogs.boxes[1],
        Box(QStringLiteral("Attention ! Vous ne devez pas écraser la base QCM.MDB qui est utilisée par le programme.")
                + kCrLf + QStringLiteral("Choisissez un autre nom."),
            0, "Annulation", "OK"));
    EXPECT_FALSE(QFile::exists(inElsewhere(QStringLiteral("QCM.Mdb"))));

    // A copy that fails says so and never claims success.
    const QString inTheWay = inElsewhere(QStringLiteral("dossier.mdb"));
    ASSERT_TRUE(QDir().mkpath(inTheWay));
    backUp({inTheWay}, {0, 0, 0});
    ASSERT_EQ(dialogs.boxes.size(), 3);
    EXPECT_EQ(dialogs.boxes[2].icon, 6);
    EXPECT_FALSE(dialogs.messages().contains(QStringLiteral("Sauvegarde effectuée.")));
    EXPECT_TRUE(QFileInfo(inTheWay).isDir());
    expectStillOnCurrent();
}

// Another program with the bank open: a backup holds what it committed, or
// is refused while that program is halfway through writing the file itself.
TEST_F(DatabaseFiles, ABackupHoldsTheRowsStillInAnotherProgramsWriteAheadLog)
{
    const QString backup = inElsewhere(QStringLiteral("sauvegarde.mdb"));
    SqliteDb other;
    ASSERT_TRUE(other.open(current, SqliteDb::Mode::ReadWrite));
    ASSERT_TRUE(
        other.exec(QStringLiteral("PRAGMA journal_mode=WAL; INSERT INTO Domaines VALUES ('2', 'Dans le journal')")));
    ASSERT_GT(QFileInfo(current + QStringLiteral("-wal")).size(), 0) << "the row is still in the write-ahead log";
    backUp({backup}, {0, 0});
    EXPECT_EQ(dialogs.messages().value(1), QStringLiteral("Sauvegarde effectuée."));
    EXPECT_EQ(fileBytes(backup).mid(18, 2), QByteArray("\x01\x01")) << "the copy is one file, without a log";
    EXPECT_TRUE(databaseContent(backup).contains(QStringLiteral("Domaines|2|Dans le journal")));
    EXPECT_FALSE(QFile::exists(backup + QStringLiteral("-wal")));
}

TEST_F(DatabaseFiles, ABackupTakesOnlyCommittedRowsAndWaitsOutAWriteInProgress)
{
    const QString backup = inElsewhere(QStringLiteral("sauvegarde.mdb"));
    SqliteDb other;
    ASSERT_TRUE(other.open(current, SqliteDb::Mode::ReadWrite));
    ASSERT_TRUE(other.exec(QStringLiteral("BEGIN; INSERT INTO Domaines VALUES ('3', 'Pas encore validé')")));
    backUp({backup}, {0, 0});
    EXPECT_EQ(dialogs.messages().value(1), QStringLiteral("Sauvegarde effectuée."));
    EXPECT_EQ(databaseContent(backup), databaseContent(current));
    const QByteArray committed = fileBytes(backup);

    // A large write spills into the file before its commit.
    ASSERT_TRUE(other.exec(QStringLiteral("PRAGMA cache_size=10; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT "
                                          "i + 1 FROM n WHERE i < 2000) "
                                          "INSERT INTO Domaines SELECT 'x', hex(randomblob(250)) FROM n")));
    SqliteDb probe;
    ASSERT_TRUE(probe.open(current, SqliteDb::Mode::ReadOnly));
    sqlite3_busy_timeout(probe.handle(), 0);
    ASSERT_FALSE(probe.exec(QStringLiteral("SELECT count(*) FROM Domaines"))) << "the writer holds the file";
    backUp({backup}, {0, 0, 0});
    ASSERT_EQ(dialogs.boxes.size(), 3);
    EXPECT_EQ(dialogs.boxes[2],
        Box(QStringLiteral("La copie de « %1 » vers « %2 » a échoué :").arg(current, backup) + kCrLf
                + QStringLiteral("la base est en cours de modification par un autre programme ; réessayez quand il "
                                 "aura terminé."),
            6, "Copie impossible", "OK"));
    EXPECT_EQ(fileBytes(backup), committed);

    ASSERT_TRUE(other.exec(QStringLiteral("ROLLBACK")));
    EXPECT_TRUE(state.BindDatabase());
    expectStillOnCurrent();
}

// A copy killed halfway, as by a power cut or the system ending the program,
// never leaves a torn target: the old backup stays whole until the new one
// is complete and takes its place in one step.
TEST_F(DatabaseFiles, ACopyKilledBeforeItsRenameLeavesTheTargetAsItWas)
{
    BankContent big = bankWith(QStringLiteral("Grande"));
    for (int n = 2; n <= 20000; ++n)
        big.questions.append(makeQuestion(QStringLiteral("1"), n, QString(200, u'x'), {6, -1}));
    const QString source = makeBank(elsewhere, QStringLiteral("grande.mdb"), big);
    const QString backup = inElsewhere(QStringLiteral("sauvegarde.mdb"));
    ASSERT_TRUE(copyDatabaseAtomic(current, backup, nullptr));
    const QByteArray before = fileBytes(backup);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        copyDatabaseAtomic(source, backup, nullptr);
        _exit(0);
    }
    // Killed as soon as its temporary copy shows in the folder.
    const QDir folder(elsewhere.path());
    bool seen = false;
    for (int i = 0; i < 200000 && !seen; ++i)
        seen = !folder.entryList({QStringLiteral(".sauvegarde.mdb.*")}, QDir::Hidden | QDir::Files).isEmpty();
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(seen) << "the copy was never caught at work";
    ASSERT_TRUE(WIFSIGNALED(status)) << "the copy ended before it could be interrupted";
    EXPECT_EQ(fileBytes(backup), before);
}

} // namespace
