#include "database/Sqlite.h"
#include "state/FileOps.h"
#include "state/IniFile.h"
#include "state/QCMBas.h"
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
const QString kCrLf = u"\r\n"_s;

BankContent bankWith(const QString &domain)
{
    return {{{u"1"_s, domain}}, {makeQuestion(u"1"_s, 1, domain, {6, -2})}};
}

Box replaceBox(const QString &fileName)
{
    return {u"Attention, le fichier"_s + kCrLf + u'\'' + fileName + u'\'' + kCrLf + u"existe déjà."_s + kCrLf
            + u"Voulez-vous le remplacer ?"_s,
        9, "Remplacer", "Remplacer", "Annuler", {}, 2};
}

class DatabaseFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(program.path()).mkpath(u"."_s));
        current = makeBank(program, u"VAR-irururiza.zov"_s, bankWith(u"Courante"_s));
        other = makeBank(elsewhere, u"Club été.mdb"_s, bankWith(u"Autre"_s));
        state.readSettings();
        ASSERT_TRUE(state.BindDatabase());
    }
    QString rememberedBase() const { return IniFile::readString(state.IniPath, u"Dernière base"_s, u"Base"_s, {}); }
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
        EXPECT_EQ(state.domainEntries(), QStringList{u"1  Courante"_s});
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
    // Every kind of bank the program opens, then the Access files, then any file.
    EXPECT_EQ(dialogs.openRequests.value(0).filters,
        (QList<FileFilter>{{u"Bases de questions"_s, u"*.zov *.mdb *.db *.sqlite"_s},
            {u"Fichiers Access"_s, u"*.mdb"_s}, {u"Tous les fichiers"_s, u"*"_s}}));
    EXPECT_EQ(state.DbPath, other);
    EXPECT_EQ(refill.count(), 1);
    EXPECT_EQ(state.domainEntries(), QStringList{u"1  Autre"_s});
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
    const Box offer{u"Attention ! Vous ne devez pas ouvrir directement"_s + kCrLf
            + u"la base QCM.MDB qui est utilisée par le programme."_s + kCrLf
            + u"Voulez-vous créer une copie de QCM.MDB vers un nom de votre choix ?"_s,
        2, "Attention", "Oui", "Non", {}, 2};
    for (const QString &name : {u"QCM.MDB"_s, u"Qcm.mdb"_s}) {
        choose(makeBank(elsewhere, name, bankWith(u"Copie"_s)), {1, 0});
        EXPECT_EQ(dialogs.boxes, (QList<Box>{offer, {"Aucune modification", 2, "Opération annulée", "OK"}}));
        expectStillOnCurrent();
    }

    const QString working = makeBank(elsewhere, u"qcm.mdb"_s, bankWith(u"Copie"_s));
    const QString copy = elsewhere.filePath(u"copie.mdb"_s);
    choose(working, {0}, {copy});
    EXPECT_EQ(dialogs.saveRequests.value(0).title, u"Enregistrer une copie de la base QCM.MDB sous..."_s);
    EXPECT_EQ(dialogs.saveRequests.value(0).filters.value(0),
        (FileFilter{u"Bases de questions"_s, u"*.mdb *.zov *.db *.sqlite"_s}));
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
    const QString text = writeFile(elsewhere.filePath(u"notes.mdb"_s), "Liste des élèves\r\n");
    const QString empty = makeSqliteFile(elsewhere.filePath(u"vide.mdb"_s), u"CREATE TABLE Notes (x)"_s);

    QString questionsWithoutCode = u"CREATE TABLE Questions (Numero INTEGER, \"Libellé\" TEXT"_s;
    for (int i = 0; i < 6; ++i)
        questionsWithoutCode += u", lib%1 TEXT, Val%1 INTEGER"_s.arg(i);
    const QString otherTables
        = u"); CREATE TABLE Domaines (Code TEXT, \"Libellé\" TEXT); CREATE TABLE QCM (NomQCM TEXT); "
          "CREATE TABLE \"Spécialité\" (NomQCM TEXT); CREATE TABLE Sessions (x); "
          "CREATE TABLE Examen (x);"_s;
    const QString noCode = makeSqliteFile(elsewhere.filePath(u"sans-code.mdb"_s), questionsWithoutCode + otherTables);

    BankContent big = bankWith(u"Abîmée"_s);
    for (int n = 2; n <= 400; ++n)
        big.questions.append(makeQuestion(u"1"_s, n, QString(300, u'x'), {6, 0}));
    const QString damaged = makeBank(elsewhere, u"abimee.mdb"_s, big);
    QByteArray bytes = fileBytes(damaged);
    ASSERT_GT(bytes.size(), 20 * 4096);
    bytes.replace(bytes.size() - 3 * 4096, 3 * 4096, QByteArray(3 * 4096, '\x5a'));
    writeFile(damaged, bytes);

    writeFile(state.workingCopyPath(), "copie de travail");
    rememberBank(program.path(), current);
    const QByteArray currentBefore = fileBytes(current), settingsBefore = fileBytes(state.IniPath);
    const auto refused = [](const QString &why) {
        return Box(u"Ce fichier ne peut pas être utilisé comme base de données."_s + kCrLf + kCrLf + why, 6,
            "Base refusée", "OK");
    };
    const std::pair<QString, Box> cases[] = {
        {text, refused(u"Le fichier « %1 » n'est pas une base de données."_s.arg(text))},
        {empty,
            refused(u"La base « %1 » est incomplète : il lui manque les tables Questions, Domaines, QCM, "
                    "Spécialité, Sessions, Examen."_s.arg(empty))},
        {noCode,
            refused(u"La base « %1 » est incomplète : il manque le champ Code à la table Questions."_s.arg(noCode))},
        {damaged,
            {u"La base « %1 » est endommagée."_s.arg(damaged) + kCrLf
                    + u"Elle n'a pas été ouverte : la base actuelle reste en service."_s,
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
    questionsWithoutCode.replace(u"(Numero INTEGER"_s, u"(Code TEXT, Numero INTEGER"_s);
    const QString noFlags = makeSqliteFile(elsewhere.filePath(u"sans-specialites.mdb"_s),
        questionsWithoutCode + otherTables + u" INSERT INTO Domaines VALUES ('1', 'Ancienne');"_s);
    choose(noFlags);
    EXPECT_EQ(state.DbPath, noFlags);
    EXPECT_EQ(rememberedBase(), noFlags);
}

TEST_F(DatabaseFiles, ACopyOfTheWorkingCopyReplacesNoFileUnaskedAndNeverTheBankInUse)
{
    const QString working = makeBank(elsewhere, u"qcm.mdb"_s, bankWith(u"Copie"_s));
    const QByteArray otherBefore = fileBytes(other), currentBefore = fileBytes(current);
    QSignalSpy refill(&state, &QCMBas::fillDomainListRequested);

    choose(working, {0, 1}, {other});
    EXPECT_EQ(dialogs.boxes.value(1), replaceBox(u"Club été.mdb"_s));
    EXPECT_EQ(fileBytes(other), otherBefore);
    expectStillOnCurrent();

    choose(working, {0, 0}, {current});
    EXPECT_EQ(dialogs.boxes.value(1),
        Box(u"Attention ! Vous ne devez pas écraser la base de données en cours d'utilisation :"_s + kCrLf + current
                + kCrLf + u"Choisissez un autre nom."_s,
            0, "Annulation", "OK"));
    EXPECT_EQ(fileBytes(current), currentBefore);
    expectStillOnCurrent();
    EXPECT_EQ(refill.count(), 2) << "the list follows the binding each time";

    choose(working, {0, 0}, {other});
    EXPECT_EQ(databaseContent(other), databaseContent(working));
    EXPECT_EQ(state.DbPath, other);
    EXPECT_EQ(state.domainEntries(), QStringList{u"1  Copie"_s});
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
        ASSERT_TRUE(holder.exec(u"BEGIN EXCLUSIVE"_s));
        choose(other, {0});
        EXPECT_EQ(dialogs.boxes,
            QList<Box>{Box(u"La base « %1 » est utilisée par un autre programme, qui en interdit la "
                           "lecture pour le moment."_s.arg(other)
                    + kCrLf
                    + u"Le fichier n'est pas abîmé : fermez l'autre programme, puis choisissez de "
                      "nouveau cette base."_s,
                2, "Base verrouillée", "OK")});
        expectStillOnCurrent();
    }

    // A write-ahead-log bank needs its folder to be writable, even to be read.
    QTemporaryDir readOnly;
    const QString wal = execOn(makeBank(readOnly, u"club.mdb"_s, bankWith(u"Journal"_s)), u"PRAGMA journal_mode=WAL"_s);
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
        QList<Box>{Box(u"La base « %1 » ne peut pas être lue là où elle est : son dossier est en "
                       "lecture seule."_s.arg(wal)
                + kCrLf
                + u"Le fichier n'est pas abîmé : copiez-le dans un dossier où vous pouvez écrire, puis "
                  "choisissez la copie."_s,
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
    EXPECT_EQ(dialogs.boxes.value(0).icon, 6);
    EXPECT_TRUE(dialogs.boxes.value(0).message.startsWith(u"La copie de"_s));
    expectStillOnCurrent();
    EXPECT_EQ(refill.count(), 1) << "bound again, the domain list starts over with it";
    EXPECT_FALSE(QFile::exists(state.IniPath));
}

TEST_F(DatabaseFiles, BackupAsksConfirmsAndCopiesTheCurrentBank)
{
    // Under the current file's own name, in another folder.
    const QString backup = elsewhere.filePath(u"VAR-irururiza.zov"_s);
    const Box ask{u"Cette option permet d'enregistrer votre base de données"_s + kCrLf
            + u"actuelle sous un autre nom."_s + kCrLf + u"Voulez-vous continuer ?"_s,
        14, "Sauvegarde", "Sauvegarder", "Annuler", {}, 2};
    backUp({backup}, {0, 0});
    EXPECT_EQ(dialogs.boxes, (QList<Box>{ask, {"Sauvegarde effectuée.", 14, "Sauvegarde", "OK"}}));
    EXPECT_EQ(dialogs.saveRequests[0].title, u"Enregistrer sous..."_s);
    // A bank of the program's own kind is saved as one, under a dated name beside it.
    EXPECT_EQ(dialogs.saveRequests[0].filters.value(0),
        (FileFilter{u"Bases de questions"_s, u"*.zov *.mdb *.db *.sqlite"_s}));
    EXPECT_EQ(dialogs.saveRequests[0].directory, program.filePath(u"VAR-irururiza - sauvegarde du 2026-12-06.zov"_s));
    EXPECT_EQ(databaseContent(backup), databaseContent(current));
    expectStillOnCurrent();

    // Saving again over it asks first, naming the file.
    writeFile(backup, "à garder");
    backUp({backup}, {0, 1});
    EXPECT_EQ(dialogs.boxes, (QList<Box>{ask, replaceBox(u"VAR-irururiza.zov"_s)}));
    EXPECT_EQ(fileBytes(backup), QByteArray("à garder"));
}

TEST_F(DatabaseFiles, BackupRefusalsAndCancelsLeaveEverythingAsItWas)
{
    backUp({}, {1});
    EXPECT_TRUE(dialogs.saveRequests.isEmpty());

    backUp({QString()}, {0, 0});
    EXPECT_EQ(dialogs.boxes.value(1), Box("Opération annulée", 0, "Annulation", "OK"));

    backUp({elsewhere.filePath(u"QCM.Mdb"_s)}, {0, 0});
    EXPECT_EQ(dialogs.boxes.value(1),
        Box(u"Attention ! Vous ne devez pas écraser la base QCM.MDB qui est utilisée par le programme."_s + kCrLf
                + u"Choisissez un autre nom."_s,
            0, "Annulation", "OK"));
    EXPECT_FALSE(QFile::exists(elsewhere.filePath(u"QCM.Mdb"_s)));

    // The bank in use is no backup of itself.
    backUp({current}, {0, 0});
    EXPECT_EQ(dialogs.boxes.value(1).message,
        u"Attention ! Vous ne devez pas écraser la base de données en cours d'utilisation :"_s + kCrLf + current + kCrLf
            + u"Choisissez un autre nom."_s);

    // A copy that fails says so and never claims success.
    const QString inTheWay = elsewhere.filePath(u"dossier.mdb"_s);
    ASSERT_TRUE(QDir().mkpath(inTheWay));
    backUp({inTheWay}, {0, 0, 0});
    EXPECT_EQ(dialogs.boxes.value(2).icon, 6);
    EXPECT_FALSE(dialogs.messages().contains(u"Sauvegarde effectuée."_s));
    EXPECT_TRUE(QFileInfo(inTheWay).isDir());
    expectStillOnCurrent();
}

// Another program with the bank open: a backup holds what it committed, or
// is refused while that program is halfway through writing the file itself.
TEST_F(DatabaseFiles, ABackupHoldsTheRowsStillInAnotherProgramsWriteAheadLog)
{
    const QString backup = elsewhere.filePath(u"sauvegarde.mdb"_s);
    SqliteDb other;
    ASSERT_TRUE(other.open(current, SqliteDb::Mode::ReadWrite));
    ASSERT_TRUE(other.exec(u"PRAGMA journal_mode=WAL; INSERT INTO Domaines VALUES ('2', 'Dans le journal')"_s));
    ASSERT_GT(QFileInfo(current + u"-wal"_s).size(), 0) << "the row is still in the write-ahead log";
    backUp({backup}, {0, 0});
    EXPECT_EQ(dialogs.messages().value(1), u"Sauvegarde effectuée."_s);
    EXPECT_EQ(fileBytes(backup).mid(18, 2), QByteArray("\x01\x01")) << "the copy is one file, without a log";
    EXPECT_TRUE(databaseContent(backup).contains(u"Domaines|2|Dans le journal"_s));
    EXPECT_FALSE(QFile::exists(backup + u"-wal"_s));
}

TEST_F(DatabaseFiles, ABackupTakesOnlyCommittedRowsAndWaitsOutAWriteInProgress)
{
    const QString backup = elsewhere.filePath(u"sauvegarde.mdb"_s);
    SqliteDb other;
    ASSERT_TRUE(other.open(current, SqliteDb::Mode::ReadWrite));
    ASSERT_TRUE(other.exec(u"BEGIN; INSERT INTO Domaines VALUES ('3', 'Pas encore validé')"_s));
    backUp({backup}, {0, 0});
    EXPECT_EQ(dialogs.messages().value(1), u"Sauvegarde effectuée."_s);
    EXPECT_EQ(databaseContent(backup), databaseContent(current));
    const QByteArray committed = fileBytes(backup);

    // A large write spills into the file before its commit.
    ASSERT_TRUE(other.exec(u"PRAGMA cache_size=10; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT "
                           "i + 1 FROM n WHERE i < 2000) "
                           "INSERT INTO Domaines SELECT 'x', hex(randomblob(250)) FROM n"_s));
    SqliteDb probe;
    ASSERT_TRUE(probe.open(current, SqliteDb::Mode::ReadOnly));
    sqlite3_busy_timeout(probe.handle(), 0);
    ASSERT_FALSE(probe.exec(u"SELECT count(*) FROM Domaines"_s)) << "the writer holds the file";
    backUp({backup}, {0, 0, 0});
    EXPECT_EQ(dialogs.boxes.value(2),
        Box(u"La copie de « %1 » vers « %2 » a échoué :"_s.arg(current, backup) + kCrLf
                + u"la base est en cours de modification par un autre programme ; réessayez quand il "
                  "aura terminé."_s,
            6, "Copie impossible", "OK"));
    EXPECT_EQ(fileBytes(backup), committed);

    ASSERT_TRUE(other.exec(u"ROLLBACK"_s));
    EXPECT_TRUE(state.BindDatabase());
    expectStillOnCurrent();
}

// A copy killed halfway, as by a power cut or the system ending the program,
// never leaves a torn target: the old backup stays whole until the new one
// is complete and takes its place in one step.
TEST_F(DatabaseFiles, ACopyKilledBeforeItsRenameLeavesTheTargetAsItWas)
{
    BankContent big = bankWith(u"Grande"_s);
    for (int n = 2; n <= 20000; ++n)
        big.questions.append(makeQuestion(u"1"_s, n, QString(200, u'x'), {6, -1}));
    const QString source = makeBank(elsewhere, u"grande.mdb"_s, big);
    const QString backup = elsewhere.filePath(u"sauvegarde.mdb"_s);
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
        seen = !folder.entryList({u".sauvegarde.mdb.*"_s}, QDir::Hidden | QDir::Files).isEmpty();
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(seen) << "the copy was never caught at work";
    ASSERT_TRUE(WIFSIGNALED(status)) << "the copy ended before it could be interrupted";
    EXPECT_EQ(fileBytes(backup), before);
}

// A bank whose index no longer matches its rows still reads and copies page
// by page; only the integrity check of the copy sees the damage, and the
// older backup stays as it was.
TEST_F(DatabaseFiles, ACopyOfABankWithADamagedIndexIsRefusedAndTheTargetKept)
{
    const QString source = makeBank(elsewhere, u"abimee.mdb"_s, bankWith(u"Abîmée"_s));
    execOn(source,
        u"INSERT INTO QCM (NomQCM, DateMAJ) VALUES ('Examen', '02/01/2026'), ('Révision', '01/01/2026');"
        "PRAGMA writable_schema = ON;"
        "UPDATE sqlite_master SET sql = 'CREATE INDEX QCM_Nom ON QCM (DateMAJ)' WHERE name = 'QCM_Nom';"_s);
    ASSERT_EQ(queryValue(source, u"SELECT count(*) FROM QCM"_s), u"2"_s) << "the file still reads";
    ASSERT_NE(queryValue(source, u"PRAGMA integrity_check"_s), u"ok"_s);

    const QString backup = elsewhere.filePath(u"sauvegarde.mdb"_s);
    ASSERT_TRUE(copyDatabaseAtomic(current, backup, nullptr));
    const QByteArray before = fileBytes(backup);
    QString error;
    EXPECT_FALSE(copyDatabaseAtomic(source, backup, &error));
    EXPECT_TRUE(error.startsWith(u"La copie de « %1 » vers « %2 » a échoué :"_s.arg(source, backup)));
    EXPECT_TRUE(error.contains(u"la copie obtenue est endommagée"_s)) << error.toStdString();
    EXPECT_EQ(fileBytes(backup), before);
    EXPECT_EQ(QDir(elsewhere.path()).entryList({u".sauvegarde.mdb.*"_s}, QDir::Hidden | QDir::Files), QStringList());
}

} // namespace
