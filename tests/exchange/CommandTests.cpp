// The program's import and export commands, run as a user runs them, on a
// machine without a display.
#include "ExchangeFixture.h"

#include <QProcess>
#include <QProcessEnvironment>

using namespace qcm;
using namespace qcm::test;

namespace {

struct CommandRun {
    int status = -1;
    QString out, err;
};

CommandRun qcm(const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QCM_PROGRAM), arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

class Commands : public ::testing::Test {
protected:
    QString path(const QString &name) const { return QDir(dir.path()).filePath(name); }

    QTemporaryDir dir;
    const QString bank = makeBank(dir, u"banque.zov"_s, awkwardBank());
};

TEST_F(Commands, ExportThenImportIntoAnEmptyBank)
{
    for (const QString &format : {u"csv"_s, u"moodle"_s, u"gift"_s}) {
        const QString file = path(u"export-"_s + format);
        const CommandRun exported = qcm({u"--exporter"_s, format, bank, file});
        EXPECT_EQ(exported.status, 0) << exported.err.toStdString();
        EXPECT_TRUE(exported.out.startsWith(u"7 questions de 3 domaines écrites dans"_s)) << exported.out.toStdString();

        EmptyBank target;
        target.connection.reset();
        const CommandRun imported = qcm({u"--importer"_s, file, target.path});
        EXPECT_EQ(imported.status, 0) << imported.out.toStdString() << imported.err.toStdString();
        EXPECT_TRUE(imported.out.contains(u"Questions ajoutées : 7\n"_s)) << imported.out.toStdString();
        EXPECT_EQ(bankRows(target.path), bankRows(bank)) << format.toStdString();
    }
}

TEST_F(Commands, ExitStatusSaysWhatHappened)
{
    QByteArray csv = Csv::write(awkwardBank()).bytes;
    csv.replace("Partir, vite;6", "Partir, vite;5"); // question 1.1 now counts 5 points
    csv += "1;M;;Nouvelle ?;Oui;6;Non;0;;;;;;;;;1;0;0;0;0;0\r\n";
    const QString file = writeFile(path(u"club.csv"_s), csv);

    const CommandRun refused = qcm({u"--importer"_s, file, bank});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out,
        u"Fichier « %1 » (format CSV) : 8 questions lues dans 3 domaines.\n"
        "Questions ajoutées : 1\n"
        "Questions identiques à la banque : 6\n"
        "Questions refusées : 1\n"
        "  ligne 2 : Il faut vérifier la saisie, le compte de points est erroné (5) ! Il faut toujours 6 points par "
        "question.\n"
        "Remarques :\n"
        "  Le domaine 1 garde le nom qu'il a dans la banque, « Météo ; « vent » / rafales » (le fichier le nomme "
        "« M »).\n"_s.arg(file));

    const CommandRun usage = qcm({u"--exporter"_s, u"pdf"_s, bank, path(u"x.pdf"_s)});
    EXPECT_EQ(usage.status, 2);
    EXPECT_EQ(usage.err, u"Format inconnu « pdf » : csv, moodle ou gift.\n"_s);

    const CommandRun notABank = qcm({u"--importer"_s, file, file});
    EXPECT_EQ(notABank.status, 2);
    EXPECT_TRUE(notABank.err.contains(u"n'est pas une base de données"_s)) << notABank.err.toStdString();

    const CommandRun unwritable = qcm({u"--exporter"_s, u"csv"_s, bank, path(u"absent/banque.csv"_s)});
    EXPECT_EQ(unwritable.status, 2);
    EXPECT_TRUE(unwritable.err.startsWith(u"L'export vers"_s)) << unwritable.err.toStdString();

    const QByteArray before = fileBytes(bank);
    const CommandRun overBank = qcm({u"--exporter"_s, u"gift"_s, bank, bank});
    EXPECT_EQ(overBank.status, 2);
    EXPECT_EQ(overBank.err,
        u"L'export vers « %1 » a échoué : ce fichier est une base de données ; un export ne la remplace pas.\n"_s.arg(
            bank));
    EXPECT_EQ(fileBytes(bank), before);

    const CommandRun help = qcm({u"--help"_s});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains(u"--exporter FORMAT BANQUE FICHIER"_s));
    EXPECT_TRUE(help.out.contains(u"--importer FICHIER BANQUE [--remplacer]"_s));
}

} // namespace
