// Choosing an Access file as a bank: the offer, the conversion in a process
// of its own, and what the program and the original are left with.
#include "MemoryTables.h"

#include "access/AccessFile.h"
#include "access/AccessProcess.h"
#include "access/AccessReading.h"
#include "state/IniFile.h"
#include "state/QCMBas.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qcm;
using namespace qcm::test;

namespace {

using Box = ScriptedDialogs::Box;
const QString kCrLf = u"\r\n"_s;
const QDateTime kLongAgo(QDate(2004, 3, 1), QTime(10, 0), Qt::UTC);

QString fixture(const QString &name)
{
    return QStringLiteral(QCM_ACCESS_DATA "/") + name;
}

QString script(const QTemporaryDir &dir, const QString &name, const QString &body)
{
    const QString path = writeFile(dir.filePath(name), (u"#!/bin/sh\n"_s + body + u'\n').toUtf8());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

// A small bank as an Access file would give it, one thing in it to report.
MemoryTables smallClubBank()
{
    MemoryTables s;
    s.add(u"Domaines"_s, {u"Code"_s, u"Libellé"_s}, {{u"1"_s, u"Météorologie"_s}, {u"2"_s, u"Matériel"_s}});
    QStringList columns{u"Code"_s, u"Numero"_s, u"Libellé"_s};
    for (int k = 0; k < 6; ++k)
        columns << u"lib%1"_s.arg(k) << u"Val%1"_s.arg(k);
    columns << u"ParapenteSolo"_s;
    s.add(u"Questions"_s, columns,
        {{u"1"_s, 1, u"Un cumulus ?"_s, u"Nuage"_s, 6, u"Vent"_s, u"-2"_s, QVariant(), QVariant(), QVariant(),
            QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), 1}});
    return s;
}

// Access files are offered for conversion only when libmdb was there to build the reader.
#define SKIP_WITHOUT_READER()                                                                                          \
    if (!accessReaderBuilt())                                                                                          \
    GTEST_SKIP() << "built without libmdb"

const Box kOffer{u"Cette base est au format Access. La convertir en une base de ce programme ?"_s, 9, u"Base Access"_s,
    u"Oui"_s, u"Non"_s, {}, 2};
const Box kNothingChanged{u"Aucune modification"_s, 0, u"Opération annulée"_s, u"OK"_s};

class AccessConversion : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(program.path()).mkpath(u"."_s));
        current = makeBank(program, u"VAR-irururiza.zov"_s,
            {{{u"1"_s, u"Courante"_s}}, {makeQuestion(u"1"_s, 1, u"Courante"_s, {6, -2})}});
        state.readSettings();
        ASSERT_TRUE(state.BindDatabase());
        setAccessReaderProgram(QStringLiteral(QCM_PROGRAM));
    }
    void TearDown() override { setAccessReaderProgram({}); }

    // An Access file of the club, last changed long ago.
    QString club(const QByteArray &bytes, const QString &name = u"Club été.mdb"_s)
    {
        const QString path = writeFile(elsewhere.filePath(name), bytes);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadWrite) && f.setFileTime(kLongAgo, QFileDevice::FileModificationTime));
        return path;
    }
    void expectUntouched(const QString &original, const QByteArray &bytes)
    {
        EXPECT_EQ(fileBytes(original), bytes);
        EXPECT_EQ(QFileInfo(original).lastModified(), kLongAgo);
    }
    void choose(const QString &path, const QList<int> &answers, const QStringList &saves = {})
    {
        dialogs.expectAllAnswersUsed();
        dialogs.boxes.clear();
        dialogs.saveRequests.clear();
        dialogs.openAnswers = {path};
        dialogs.boxAnswers = answers;
        dialogs.saveAnswers = saves;
        state.ChooseDatabase();
    }
    void expectStillOnCurrent()
    {
        EXPECT_EQ(state.DbPath, current);
        EXPECT_TRUE(state.isBound());
        EXPECT_EQ(state.domainEntries(), QStringList{u"1  Courante"_s});
        EXPECT_EQ(IniFile::readString(state.IniPath, u"Dernière base"_s, u"Base"_s, {}), QString());
    }
    // A stand-in for the reading process that hands back the small bank.
    void readerGivesSmallBank()
    {
        const QString prepared = tools.filePath(u"prepared.zov"_s);
        MemoryTables source = smallClubBank();
        ConversionReport report;
        ASSERT_TRUE(writeConvertedBank(source, prepared, &report));
        writeFile(accessReportPath(prepared), report.toJson());
        setAccessReaderProgram(script(
            tools, u"lecteur"_s, u"cp '%1' \"$3\" && cp '%2' \"$3.json\""_s.arg(prepared, accessReportPath(prepared))));
    }

    QTemporaryDir program, elsewhere, tools;
    QString current;
    ScriptedDialogs dialogs;
    QCMBas state{dialogs, program.path()};
};

TEST_F(AccessConversion, AnAccessFileIsOfferedForConversionBesideItselfUnderTheBankExtension)
{
    SKIP_WITHOUT_READER();
    const QByteArray bytes = fileBytes(fixture(u"jet4-small.mdb"_s));
    const QString original = club(bytes);
    const QString target = elsewhere.filePath(u"Club été.zov"_s);
    choose(original, {0, 0}, {target});
    ASSERT_EQ(dialogs.boxes.size(), 2);
    EXPECT_EQ(dialogs.boxes.at(0), kOffer);
    ASSERT_EQ(dialogs.saveRequests.size(), 1);
    EXPECT_EQ(dialogs.saveRequests.at(0).title, u"Enregistrer la base convertie sous..."_s);
    EXPECT_EQ(dialogs.saveRequests.at(0).filters, (QList<FileFilter>{{u"Bases de questions"_s, u"*.zov"_s}}));
    EXPECT_EQ(dialogs.saveRequests.at(0).directory, target);
    // Read by the program's own reading process, which finds no bank in it.
    EXPECT_EQ(dialogs.boxes.at(1),
        (Box{u"La base Access « Club été.mdb » n'a pas été convertie : ce n'est pas une banque de questions : il lui "
             u"manque les tables « Questions » et « Domaines »."_s
                + kCrLf + kCrLf + u"Elle n'a pas été modifiée."_s + kCrLf + u"La base actuelle reste en service."_s,
            6, u"Conversion impossible"_s, u"OK"_s}));
    EXPECT_FALSE(QFileInfo::exists(target));
    expectUntouched(original, bytes);
    expectStillOnCurrent();
}

TEST_F(AccessConversion, ADamagedAccessFileEndsTheReadingProcessNotTheProgram)
{
    SKIP_WITHOUT_READER();
    QByteArray random = fileBytes(fixture(u"jet4-small.mdb"_s)).left(0x800);
    QRandomGenerator generator(24);
    while (random.size() < 64 * 1024)
        random.append(char(generator.bounded(256)));
    // Cut short, cut inside a page (libmdb then allocates without end, until
    // the reading process meets its bound), or random past its header.
    const QList<QByteArray> damaged{fileBytes(fixture(u"jet4-accents.mdb"_s)).left(3 * 4096),
        fileBytes(fixture(u"jet3-types.mdb"_s)).left(41709), random};
    for (const QByteArray &bytes : damaged) {
        const QString original = club(bytes);
        choose(original, {0, 0}, {elsewhere.filePath(u"Club été.zov"_s)});
        ASSERT_EQ(dialogs.boxes.size(), 2);
        EXPECT_EQ(dialogs.boxes.at(1).title, u"Conversion impossible"_s);
        EXPECT_TRUE(
            dialogs.boxes.at(1).message.startsWith(u"La base Access « Club été.mdb » n'a pas été convertie : "_s))
            << dialogs.boxes.at(1).message.toStdString();
        EXPECT_FALSE(QFileInfo::exists(elsewhere.filePath(u"Club été.zov"_s)));
        expectUntouched(original, bytes);
        expectStillOnCurrent();
    }
}

TEST_F(AccessConversion, AConvertedBankIsReportedThenOpenedAndRememberedLikeAChosenOne)
{
    SKIP_WITHOUT_READER();
    readerGivesSmallBank();
    const QByteArray bytes = fileBytes(fixture(u"jet4-small.mdb"_s));
    const QString original = club(bytes);
    const QString target = elsewhere.filePath(u"Club été.zov"_s);
    writeFile(elsewhere.filePath(u"Club été - conversion.txt"_s), "un rapport d'avant");
    choose(original, {0, 0}, {target});

    const QString report = elsewhere.filePath(u"Club été - conversion 2.txt"_s);
    ASSERT_EQ(dialogs.boxes.size(), 2);
    EXPECT_EQ(dialogs.boxes.at(1),
        (Box{u"La base Access « Club été.mdb » a été convertie en :"_s + kCrLf + target + kCrLf
                + u"L'originale n'a pas été modifiée."_s + kCrLf + kCrLf
                + u"Repris : 2 domaines, 1 question, 0 questionnaire."_s + kCrLf + kCrLf + u"Remarques (1) :"_s + kCrLf
                + u"- Table « Questions » : il lui manque les champs « ParapenteBi », « ParapenteBiHandi », "
                  u"« DeltaSolo », « DeltaBi » et « DeltaBiHandi » : aucune question n'y est marquée « Parapente "
                  u"biplace », « Parapente biplace Handi », « Delta », « Delta biplace », « Delta biplace Handi »."_s
                + kCrLf + kCrLf + u"Le rapport complet est enregistré dans :"_s + kCrLf + report,
            2, u"Conversion terminée"_s, u"OK"_s}));
    EXPECT_EQ(fileBytes(elsewhere.filePath(u"Club été - conversion.txt"_s)), "un rapport d'avant");
    const QString text = QString::fromUtf8(fileBytes(report));
    EXPECT_TRUE(text.contains(u"Base d'origine (inchangée) : "_s + original)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"Valeurs remplacées par défaut (1) :\n  - Table « Questions » : il lui manque"_s));

    EXPECT_EQ(state.DbPath, target);
    EXPECT_TRUE(state.isBound());
    EXPECT_EQ(state.domainEntries(), (QStringList{u"1  Météorologie"_s, u"2  Matériel"_s}));
    EXPECT_EQ(IniFile::readString(state.IniPath, u"Dernière base"_s, u"Base"_s, {}), target);
    expectUntouched(original, bytes);
}

TEST_F(AccessConversion, TheOriginalIsNeverWrittenOverAndAnotherFileOnlyAfterAsking)
{
    SKIP_WITHOUT_READER();
    readerGivesSmallBank();
    const QByteArray bytes = fileBytes(fixture(u"jet3-types.mdb"_s));
    const QString original = club(bytes);
    choose(original, {1, 0});
    EXPECT_EQ(dialogs.boxes, (QList<Box>{kOffer, kNothingChanged}));
    choose(original, {0, 0}, {QString()});
    EXPECT_EQ(dialogs.boxes, (QList<Box>{kOffer, kNothingChanged}));
    choose(original, {0, 0}, {original});
    EXPECT_EQ(dialogs.boxes.at(1).message,
        u"Attention ! La base convertie ne peut pas remplacer la base Access d'origine, qui reste telle qu'elle est."_s
            + kCrLf + u"Choisissez un autre nom."_s);
    choose(original, {0, 0}, {elsewhere.filePath(u"QCM.mdb"_s)});
    EXPECT_TRUE(dialogs.boxes.at(1).message.startsWith(u"Attention ! Vous ne devez pas écraser la base QCM.MDB"_s));
    const QString other = writeFile(elsewhere.filePath(u"Autre.zov"_s), "à garder");
    choose(original, {0, 1}, {other});
    ASSERT_EQ(dialogs.boxes.size(), 2);
    EXPECT_EQ(dialogs.boxes.at(1).title, u"Remplacer"_s);
    EXPECT_EQ(fileBytes(other), "à garder");
    expectUntouched(original, bytes);
    expectStillOnCurrent();
}

TEST_F(AccessConversion, WithoutLibmdbTheProgramSaysTheConversionNeedsIt)
{
    if (accessReaderBuilt())
        GTEST_SKIP() << "built with libmdb";
    const QString original = club(fileBytes(fixture(u"jet4-small.mdb"_s)));
    choose(original, {0});
    EXPECT_EQ(dialogs.boxes,
        QList<Box>{Box(u"Cette base est au format Access. Pour la convertir, ce programme a besoin de la "
                       u"bibliothèque libmdb (mdbtools), qui manquait quand il a été construit."_s
                + kCrLf + u"La base actuelle reste en service."_s,
            2, u"Base Access"_s, u"OK"_s)});
    expectStillOnCurrent();
}

TEST_F(AccessConversion, AnAccessBankStillNamedInTheSettingsIsSaidForWhatItIs)
{
    const QString original = club(fileBytes(fixture(u"jet4-small.mdb"_s)));
    rememberBank(program.path(), original);
    state.readSettings();
    EXPECT_FALSE(state.BindDatabase());
    EXPECT_EQ(state.bindError(),
        u"La base « "_s + original
            + u" » est au format Access : choisissez-la avec « Choisir une base » pour la convertir en une base de "
              u"ce programme."_s);
}

TEST_F(AccessConversion, TheStartUpRecoveryConvertsTooAndTheComposerCarriesOn)
{
    SKIP_WITHOUT_READER();
    readerGivesSmallBank();
    const QString original = club(fileBytes(fixture(u"jet4-small.mdb"_s)));
    const QString target = elsewhere.filePath(u"Club été.zov"_s);
    ASSERT_TRUE(QFile::remove(current));
    state.DatabaseIncomplete = true;
    dialogs.openAnswers = {original};
    dialogs.boxAnswers = {0, 0};
    dialogs.saveAnswers = {target};
    EXPECT_TRUE(state.BindDatabase());
    EXPECT_EQ(state.DbPath, target);
    EXPECT_FALSE(state.DatabaseIncomplete);
}

TEST(AccessReadingProcess, AStuckCrashingOrMissingReaderIsStoppedAndSaid)
{
    QTemporaryDir tools;
    ScriptedDialogs dialogs;
    const QString bank = tools.filePath(u"conversion.zov"_s);
    const QString original = fixture(u"jet4-small.mdb"_s);

    setAccessReaderProgram(script(tools, u"bloque"_s, u"exec sleep 60"_s));
    QElapsedTimer clock;
    clock.start();
    AccessReadOutcome outcome = readAccessInOwnProcess(dialogs, original, bank, std::chrono::seconds(1));
    EXPECT_LT(clock.elapsed(), 20'000);
    EXPECT_EQ(outcome.result, AccessReadOutcome::Result::Failed);
    EXPECT_EQ(
        outcome.why, u"la lecture durait encore après 1 secondes et a été arrêtée : le fichier est sans doute abîmé"_s);

    dialogs.cancelProgressAt = 0;
    outcome = readAccessInOwnProcess(dialogs, original, bank);
    EXPECT_EQ(outcome.result, AccessReadOutcome::Result::Canceled);
    EXPECT_EQ(dialogs.progressRequests.at(1).title, u"Conversion de la base Access"_s);
    dialogs.cancelProgressAt.reset();

    setAccessReaderProgram(script(tools, u"plante"_s, u"kill -SEGV $$"_s));
    outcome = readAccessInOwnProcess(dialogs, original, bank);
    EXPECT_EQ(outcome.result, AccessReadOutcome::Result::Failed);
    EXPECT_TRUE(outcome.why.startsWith(u"la lecture s'est arrêtée net"_s)) << outcome.why.toStdString();

    setAccessReaderProgram(tools.filePath(u"absent"_s));
    outcome = readAccessInOwnProcess(dialogs, original, bank);
    EXPECT_TRUE(outcome.why.startsWith(u"le programme de lecture n'a pas pu être lancé"_s))
        << outcome.why.toStdString();
    setAccessReaderProgram({});
    EXPECT_FALSE(QFileInfo::exists(bank));
}

} // namespace
