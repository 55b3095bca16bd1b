#include "ExchangeFixture.h"

#include "dialogs/WindowDriver.h"
#include "editor/fSaisie.h"
#include "exchange/ExchangeActions.h"
#include "exchange/ExportDialog.h"
#include "exchange/ImportPreview.h"
#include "state/QCMBas.h"
#include "support/ScriptedDialogs.h"
#include "support/SmallDisk.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTextBrowser>

#include <sys/mount.h>
#include <sys/stat.h>

using namespace qcm;
using namespace qcm::test;

namespace {

using Box = ScriptedDialogs::Box;
const QString kCrLf = u"\r\n"_s;

// The bank the tests import into: domain 1 with questions 1 and 2.
BankContent storedBank()
{
    return {{{u"1"_s, u"Météo"_s}},
        {question(u"1"_s, 1, u"Un cumulus ?"_s, {{u"Oui"_s, 6}, {u"Non"_s, -2}}),
            question(u"1"_s, 2, u"Le foehn ?"_s, {{u"Sec"_s, 4}, {u"Humide"_s, 2}})}};
}

// A file with one question as stored, one changed, one new, one new in a
// new domain, and three refused.
QByteArray mixedCsv()
{
    return "Code du domaine;Domaine;Num\xC3\xA9ro;Libell\xC3\xA9;Choix A;Points A;Choix B;Points B;Parapente\r\n"
           "1;M\xC3\xA9t\xC3\xA9o;1;Un cumulus ?;Oui;6;Non;-2;1\r\n"
           "1;M\xC3\xA9t\xC3\xA9o;2;Le foehn ?;Sec;3;Humide;3;1\r\n"
           "1;M\xC3\xA9t\xC3\xA9o;;Le vent ?;Fort;6;Faible;0;1\r\n"
           ";Pilotage;5;Le virage ?;Pencher;6;Tirer;-1;1\r\n"
           "1;M\xC3\xA9t\xC3\xA9o;7;Les points ?;Un;3;Deux;2;1\r\n"
           "1;M\xC3\xA9t\xC3\xA9o;5;Sans sp\xC3\xA9"
           "cialit\xC3\xA9 ?;Oui;6;Non;0;0\r\n"
           ";Pilotage;5;Encore le 5 ?;Oui;6;Non;0;1\r\n";
}

class ImportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        bank = makeBank(dir, u"VAR-irururiza.zov"_s, storedBank());
        state.readSettings();
        ASSERT_TRUE(state.BindDatabase());
    }
    QString file(const QString &name, const QByteArray &bytes) const
    {
        return writeFile(QDir(dir.path()).filePath(name), bytes);
    }
    // Runs the import of the file, acting on the preview as given.
    bool import(const QString &path, std::function<void(ImportPreview *)> onPreview)
    {
        dialogs.openAnswers = {path};
        whenShown<ImportPreview>(std::move(onPreview));
        return ExchangeActions::importQuestions(state, nullptr);
    }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    QCMBas state{dialogs, dir.path()};
    QString bank;
};

QStringList column(const QTableView *view, int column)
{
    QStringList texts;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        texts << view->model()->index(row, column).data().toString();
    return texts;
}

TEST_F(ImportTest, PreviewListsNewReplacedAndRefusedQuestionsExactly)
{
    const QString path = file(u"club.csv"_s, mixedCsv());
    bool shown = false;
    import(path, [&](ImportPreview *preview) {
        shown = true;
    EXPECT_EQ(preview->windowTitle(), u"Importer des questions"_s);
    EXPECT_EQ(preview->summary()->text(),
        u"Fichier « club.csv » (format CSV) : 7 questions lues dans 2 domaines.\n"
        "2 nouvelles, 1 remplacerait une question de la banque, 1 identique à la banque, 3 refusées.\n"
        "Domaines à créer : 2 Pilotage."_s);
    using List = PlanListModel::List;
    EXPECT_EQ(column(preview->list(List::Added), 0), (QStringList{u"1 Météo"_s, u"2 Pilotage"_s}));
    EXPECT_EQ(column(preview->list(List::Added), 1), (QStringList{u"8"_s, u"5"_s}))
        << "no number: the next after those of the bank and of the file";
    EXPECT_EQ(column(preview->list(List::Added), 3), (QStringList{u"A 6, B 0"_s, u"A 6, B -1"_s}));
    EXPECT_EQ(column(preview->list(List::Replacements), 2), QStringList{u"Le foehn ?"_s});
    EXPECT_EQ(column(preview->list(List::Refused), 0), (QStringList{u"ligne 6"_s, u"ligne 7"_s, u"ligne 8"_s}));
    EXPECT_EQ(column(preview->list(List::Refused), 1),
        (QStringList{u"Il faut vérifier la saisie, le compte de points est erroné (5) ! Il faut toujours 6 "
                     "points par question."_s,
            u"Vous devez cocher au moins une spécialité ! (le fichier n'en donne aucune à cette question)"_s,
            u"même domaine (2) et même numéro (5) que la question de ligne 5."_s}));
    // Side by side, the lines that differ stand out.
    EXPECT_TRUE(preview->storedSide()->toPlainText().contains(u"A (4) : Sec"_s));
    EXPECT_TRUE(preview->incomingSide()->toPlainText().contains(u"A (3) : Sec"_s));
    EXPECT_TRUE(preview->incomingSide()->toHtml().contains(u"#ffe58a"_s));

    // Giving the question without speciality one lets it in.
    EXPECT_TRUE(preview->givenSpeciality(0)->isVisible());
    preview->givenSpeciality(3)->setChecked(true);
    EXPECT_EQ(column(preview->list(List::Refused), 0), (QStringList{u"ligne 6"_s, u"ligne 8"_s}));
    EXPECT_EQ(preview->plan().added.last().question.flags, (std::array<int, 6>{0, 0, 0, 1, 0, 0}));
    preview->cancelButton()->click();
});
EXPECT_TRUE(shown);
} // namespace

TEST_F(ImportTest, CancellingThePreviewLeavesTheBankByteForByte)
{
    const QByteArray before = fileBytes(bank);
    const QString path = file(u"club.csv"_s, mixedCsv());
    EXPECT_FALSE(import(path, [](ImportPreview *preview) { preview->cancelButton()->click(); }));
    EXPECT_EQ(fileBytes(bank), before);
    EXPECT_TRUE(dialogs.boxes.isEmpty());
}

TEST_F(ImportTest, AddingOnlyNewQuestionsOrAlsoReplacing)
{
    const QString path = file(u"club.csv"_s, mixedCsv());
    dialogs.boxAnswers = {0};
    QSignalSpy changed(&state, &QCMBas::bankChanged);
    EXPECT_TRUE(import(path, [](ImportPreview *preview) { preview->addButton()->click(); }));
    EXPECT_EQ(dialogs.boxes.value(0),
        Box(u"Import terminé : 2 questions ajoutées, 0 question remplacée, 1 domaine créé."_s, 0,
            u"Importer des questions"_s, u"OK"_s));
    EXPECT_EQ(queryRows(bank, u"SELECT Code, Numero, Val0 FROM Questions ORDER BY Code, Numero"_s),
        (QStringList{u"1|1|6"_s, u"1|2|4"_s, u"1|8|6"_s, u"2|5|6"_s}));
    EXPECT_EQ(queryRows(bank, u"SELECT * FROM Domaines"_s), (QStringList{u"1|Météo"_s, u"2|Pilotage"_s}));
    EXPECT_TRUE(changed.wait(1000)) << "the windows are told once the import is committed";

    dialogs.boxAnswers = {0};
    EXPECT_TRUE(import(path, [](ImportPreview *preview) {
        EXPECT_FALSE(preview->addButton()->isEnabled())
            << "nothing new is left, not even the question without a number";
        preview->replaceButton()->click();
    }));
    EXPECT_EQ(queryValue(bank, u"SELECT Val0 || ',' || Val1 FROM Questions WHERE Numero = 2"_s), u"3,3"_s);
}

TEST_F(ImportTest, AFailedWriteLeavesTheBankAsItWasAndSaysSo)
{
    execOn(bank,
        u"CREATE TRIGGER refus BEFORE INSERT ON Questions WHEN NEW.Numero = 5 "
        "BEGIN SELECT RAISE(ABORT, 'numéro 5 interdit'); END"_s);
    state.BindDatabase();
    const QStringList before = databaseContent(bank);
    dialogs.boxAnswers = {0};
    EXPECT_FALSE(import(file(u"club.csv"_s, mixedCsv()), [](ImportPreview *p) { p->replaceButton()->click(); }));
    EXPECT_EQ(databaseContent(bank), before);
    ASSERT_EQ(dialogs.boxes.size(), 1);
    EXPECT_TRUE(dialogs.boxes.at(0).message.startsWith(
        u"L'import a échoué : la base est restée telle qu'elle était."_s + kCrLf + kCrLf))
        << dialogs.boxes.at(0).message.toStdString();
    EXPECT_TRUE(dialogs.boxes.at(0).message.contains(u"numéro 5 interdit"_s));
}

TEST_F(ImportTest, AFileThatCannotBeReadWritesNothing)
{
    const QByteArray before = fileBytes(bank);
    dialogs.openAnswers = {file(u"lettre.txt"_s, "Bonjour,\nvoici les questions.\n")};
    dialogs.boxAnswers = {0};
    EXPECT_FALSE(ExchangeActions::importQuestions(state, nullptr));
    EXPECT_EQ(dialogs.boxes.value(0),
        Box(u"Le fichier « lettre.txt » ne peut pas être importé :"_s + kCrLf
                + u"aucune question entre accolades { } ni catégorie : ce fichier n'est ni un fichier CSV, ni un "
                  "fichier Moodle XML, ni un fichier GIFT."_s
                + kCrLf + u"Rien n'a été écrit dans la base."_s,
            6, u"Importer des questions"_s, u"OK"_s));
    EXPECT_EQ(fileBytes(bank), before);
}

TEST_F(ImportTest, TheEditorAndThePracticeWindowFollowAnImport)
{
    fSaisie editor(state);
    state.EditorDomainIndex = 0;
    state.EditorQuestionNumber = u"2"_s;
    editor.show();
    ASSERT_EQ(editor.text(Field::Statement), u"Le foehn ?"_s);
    QSignalSpy runnerList(&state, &QCMBas::fillDomainListRequested);
    dialogs.boxAnswers = {0};
    ASSERT_TRUE(import(file(u"club.csv"_s, mixedCsv()), [](ImportPreview *p) { p->replaceButton()->click(); }));
    editor.bankImported();
    EXPECT_EQ(editor.lstDom()->model()->rowCount(), 2) << "the new domain is listed";
    EXPECT_EQ(editor.text(Field::Number), u"2"_s);
    EXPECT_EQ(editor.text(Field::choicePoints(0)), u"3"_s) << "the replaced question is shown as stored now";
    EXPECT_EQ(runnerList.count(), 1);
}

// -- Export --------------------------------------------------------------

TEST_F(ImportTest, ExportOfTheTickedDomainsToTheFormatOfTheExtension)
{
    BankContent two = storedBank();
    two.domains.append({u"2"_s, u"Pilotage"_s});
    two.questions.append(question(u"2"_s, 1, u"Le virage ?"_s, {{u"Pencher"_s, 6}, {u"Tirer"_s, 0}}));
    QTemporaryDir other;
    QCMBas twoDomains(dialogs, other.path());
    makeBank(other, u"VAR-irururiza.zov"_s, two);
    twoDomains.readSettings();
    ASSERT_TRUE(twoDomains.BindDatabase());

    const QString target = QDir(dir.path()).filePath(u"pilotage.gift"_s);
    dialogs.saveAnswers = {target};
    dialogs.boxAnswers = {0};
    whenShown<ExportDialog>([](ExportDialog *d) {
        EXPECT_EQ(d->wholeBank()->text(), u"&Toute la base (3 questions, 2 domaines)"_s);
        EXPECT_EQ(d->domainList()->item(1)->text(), u"2  Pilotage (1 question)"_s);
        d->domainList()->item(1)->setCheckState(Qt::Checked);
        EXPECT_TRUE(d->tickedDomains()->isChecked());
        d->exportButton()->click();
    });
    ExchangeActions::exportBank(twoDomains, nullptr);
    ASSERT_EQ(dialogs.saveRequests.size(), 1);
    EXPECT_EQ(dialogs.saveRequests.at(0).filters,
        (QList<FileFilter>{
            {u"Tableur CSV"_s, u"*.csv"_s}, {u"Moodle XML"_s, u"*.xml"_s}, {u"GIFT"_s, u"*.gift *.txt"_s}}));
    EXPECT_EQ(dialogs.boxes.value(0),
        Box(u"1 question de 1 domaine exportées au format GIFT dans"_s + kCrLf + u"« %1 »."_s.arg(target), 0,
            u"Exporter la base"_s, u"OK"_s));
    const QString written = QString::fromUtf8(fileBytes(target));
    EXPECT_TRUE(written.contains(u"$CATEGORY: $course$/top/Pilotage"_s));
    EXPECT_FALSE(written.contains(u"Météo"_s));

    // An unknown extension writes nothing; an existing file is asked about.
    dialogs.boxes.clear();
    dialogs.saveAnswers = {QDir(dir.path()).filePath(u"banque.doc"_s), target};
    dialogs.boxAnswers = {0, 1};
    for (int i = 0; i < 2; ++i) {
        whenShown<ExportDialog>([](ExportDialog *d) { d->exportButton()->click(); });
        ExchangeActions::exportBank(twoDomains, nullptr);
    }
    EXPECT_FALSE(QFileInfo::exists(QDir(dir.path()).filePath(u"banque.doc"_s)));
    EXPECT_TRUE(dialogs.boxes.value(0).message.startsWith(u"Le format du fichier est donné par son extension"_s));
    EXPECT_EQ(dialogs.boxes.value(1).title, u"Remplacer"_s);
    EXPECT_EQ(QString::fromUtf8(fileBytes(target)), written) << "not replaced";
}

// -- A disk that is full or read-only -------------------------------------

class SmallDiskExchange : public SmallDisk {
protected:
    ScriptedDialogs dialogs;
};

TEST_F(SmallDiskExchange, AnExportThatDoesNotFitKeepsTheOldFileAndSaysTheDiskIsFull)
{
    QTemporaryDir program;
    makeBank(program, u"VAR-irururiza.zov"_s, generatedBank(2000));
    QCMBas state(dialogs, program.path());
    state.readSettings();
    ASSERT_TRUE(state.BindDatabase());
    const QString target = onDisk(u"banque.xml"_s);
    writeFile(target, "ancien");
    dialogs.saveAnswers = {target};
    dialogs.boxAnswers = {0, 0};
    whenShown<ExportDialog>([](ExportDialog *d) { d->exportButton()->click(); });
    ExchangeActions::exportBank(state, nullptr);
    ASSERT_EQ(dialogs.boxes.size(), 2);
    EXPECT_TRUE(dialogs.boxes.at(1).message.contains(u"le disque est plein"_s))
        << dialogs.boxes.at(1).message.toStdString();
    EXPECT_EQ(fileBytes(target), QByteArray("ancien"));
    EXPECT_EQ(filesOnDisk(), QStringList{u"banque.xml"_s}) << "no partial file left";
}

TEST_F(SmallDiskExchange, AnImportIntoAReadOnlyBankLeavesItAndSaysSo)
{
    const QString program = mountPoint;
    const QString bank = onDisk(u"VAR-irururiza.zov"_s);
    QString error;
    ASSERT_TRUE(writeBank(bank, storedBank(), &error));
    const QByteArray before = fileBytes(bank);
    // The whole disk becomes read-only before the bank is opened.
    ASSERT_EQ(::mount(nullptr, QFile::encodeName(mountPoint).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    QCMBas state(dialogs, program);
    state.readSettings();
    ASSERT_TRUE(state.BindDatabase());
    QTemporaryDir elsewhere;
    dialogs.openAnswers = {writeFile(QDir(elsewhere.path()).filePath(u"club.csv"_s), mixedCsv())};
    dialogs.boxAnswers = {0};
    whenShown<ImportPreview>([](ImportPreview *p) { p->addButton()->click(); });
    EXPECT_FALSE(ExchangeActions::importQuestions(state, nullptr));
    ASSERT_EQ(dialogs.boxes.size(), 1);
    EXPECT_TRUE(
        dialogs.boxes.at(0).message.startsWith(u"L'import a échoué : la base est restée telle qu'elle était."_s));
    EXPECT_EQ(fileBytes(bank), before);
}

} // namespace
