#include "ReportFixture.h"

#include "reports/ReportActions.h"
#include "reports/fRapports.h"
#include "state/IniFile.h"
#include "state/QCMBas.h"
#include "support/AccessibleTree.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <QAccessible>
#include <QTest>
#include <QWindow>

using namespace qcm;
using namespace qcm::test;

namespace {

using Box = ScriptedDialogs::Box;
const QString kCrLf = u"\r\n"_s;
const QString kExam = u"Examen 1/2"_s;

// The composer as the reports window sees it: its entry, empty when closed.
class FakeComposer : public WindowDirectory {
public:
    bool composerIsOpen() const override { return open; }
    QString composerChoice() const override { return open ? choice : QString(); }
    bool open = true;
    QString choice = newQuestionnaireEntry();
};

Box printFailure(const QString &why)
{
    return Box(u"Un paramètre inconnu empêche d'imprimer directement."_s + kCrLf + kCrLf
            + u"- La page 'Aperçu' va s'ouvrir lorsque vous fermerez ce message pour vous permettre "
              "d'imprimer d'une autre façon."_s
            + kCrLf
            + u"- En haut de la fenêtre d'aperçu cliquez sur le bouton représentant une imprimante avec "
              "une clé jaune."_s
            + kCrLf + u"- Sélectionnez une imprimante valide et connectée."_s + kCrLf
            + u"- Cliquez ensuite sur l'autre bouton représentant une imprimante toute seule."_s + kCrLf
            + u"- L'impression sera lancée."_s + kCrLf + kCrLf + why,
        Icon::Printer, u"Erreur d'impression"_s, u"OK"_s);
}

class ReportsWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        database = makeBank(program, u"VAR-irururiza.zov"_s,
            {{{u"1"_s, u"Météorologie"_s}}, {makeQuestion(u"1"_s, 1, u"Une question ?"_s, {6, -2})}});
        store(kExam, u"Examen"_s);
        store(u"L'examen \"blanc\""_s, u"Blanc"_s);
        store(u"Révision"_s, u"Météo"_s);
        for (const ReportKind &kind : reportKinds())
            ASSERT_TRUE(QFile::copy(
                QStringLiteral(QCM_REPORT_LAYOUTS) + u'/' + kind.fileName, program.filePath(kind.fileName)));
        state.readSettings();
        ASSERT_TRUE(state.BindDatabase());
        state.setWindows(&composer);
        window = std::make_unique<fRapports>(state);
        window->setReportRunner([this](const ReportRequest &request) { return run(request); });
    }
    void TearDown() override
    {
        window.reset();
        state.setWindows(nullptr);
    }

    void store(const QString &name, const QString &subject)
    {
        QList<StoredQuestion> questions;
        for (int i = 1; i <= 2; ++i)
            questions.append(
                {u"1"_s, i, u"%1, question %2 ?"_s.arg(subject).arg(i), {{u"Oui."_s, 6}, {u"Non."_s, -2}}});
        storeQuestionnaire(database, name, u"14/06/2024"_s, u"Brevet B de delta"_s, questions);
    }

    // Runs the engine, sending to a PDF file what would go to the printer and
    // recording the previews before they open.
    ReportOutcome run(const ReportRequest &request)
    {
        runs.append(request);
        ReportRequest actual = request;
        if (request.destination == ReportDestination::Printer) {
            actual.destination = ReportDestination::Pdf;
            actual.pdfPath = program.filePath(u"imprimé.pdf"_s);
        }
        actual.preview = [this, open = request.preview](auto document, const QString &title) {
            previews.append({title, document});
            return open(document, title);
        };
        return runReport(actual);
    }
    QString previewText() const
    {
        QStringList texts;
        for (int p = 0; !previews.isEmpty() && p < previews.last().second->pageCount(); ++p)
            texts.append(previews.last().second->pageTexts(p));
        return texts.join(u'\n');
    }
    void press(int k) { window->cmdCrystal(k)->click(); }

    QTemporaryDir program;
    QString database;
    ScriptedDialogs dialogs;
    QCMBas state{dialogs, program.path()};
    FakeComposer composer;
    std::unique_ptr<fRapports> window;
    QList<ReportRequest> runs;
    QList<std::pair<QString, std::shared_ptr<const ReportDocument>>> previews;
};

TEST_F(ReportsWindow, ShowsUnderItsOwnTitleAndReadsTheProposedNameAsData)
{
    window->showWindow(false);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(window->windowTitle(), u"Rapports"_s);
    EXPECT_EQ(window->windowHandle()->title(), u"Rapports"_s);
    QAccessibleInterface *name = QAccessible::queryAccessibleInterface(window->lbl(3));
    EXPECT_EQ(name->text(QAccessible::Name), u"QCM Complet"_s);
    EXPECT_EQ(name->text(QAccessible::Description), u"Nom du fichier PDF proposé"_s);
    window->cmd(0)->click();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(ReportsWindow, OptionsAndPdfHintFollowTheComposersChoice)
{
    auto state = [this] {
        QString s;
        for (int i = 0; i < 5; ++i)
            s += window->opt(i)->isChecked() ? u'X' : window->opt(i)->isEnabled() ? u'o' : u'-';
        return s + u' ' + window->lbl(3)->text();
    };
    window->showWindow(false);
    EXPECT_EQ(state(), u"X---- QCM Complet"_s);

    composer.choice = kExam;
    window->showWindow(false);
    EXPECT_EQ(state(), u"oXooo Examen 1_2 - QCM Questions élève.pdf"_s);
    // The hint follows the choice; coming back to the window keeps them.
    window->opt(2)->setChecked(true);
    window->activated();
    EXPECT_EQ(state(), u"ooXoo Examen 1_2 - QCM Grille réponses élève.pdf"_s);

    composer.open = false;
    window->showWindow(false);
    EXPECT_EQ(state(), u"oXooo QCM Questions élève"_s);
}

TEST_F(ReportsWindow, PreviewKeepsTheChosenQuestionnaireExceptTheCompleteListing)
{
    composer.choice = kExam;
    window->showWindow(false);
    press(0);
    ASSERT_EQ(previews.size(), 1);
    EXPECT_EQ(previews[0].first, u"QCM Questions"_s);
    EXPECT_EQ(runs[0].formula, u"{QCM.NomQCM} = \"Examen 1/2\""_s);
    EXPECT_EQ(runs[0].layoutPath, program.filePath(u"QCM Questions élève.rpt"_s));
    EXPECT_EQ(runs[0].workingCopyPath, state.workingCopyPath());
    EXPECT_EQ(dialogs.clipboard, u"Examen 1_2 - QCM Questions élève.pdf"_s);
    EXPECT_TRUE(previewText().contains(u"Examen, question 2"_s));
    EXPECT_FALSE(previewText().contains(u"Blanc, question 1"_s));

    window->opt(0)->setChecked(true);
    press(0);
    EXPECT_EQ(runs[1].formula, QString());
    for (const QString &subject : {u"Examen"_s, u"Blanc"_s, u"Météo"_s})
        EXPECT_TRUE(previewText().contains(subject + u", question 2"_s)) << subject.toStdString();

    composer.choice = u"L'examen \"blanc\""_s;
    window->showWindow(false);
    // A double click previews that option's layout, once.
    QTest::mouseDClick(window->opt(3), Qt::LeftButton);
    ASSERT_EQ(previews.size(), 3);
    EXPECT_EQ(previews[2].first, u"QCM Grille réponses"_s);
    EXPECT_EQ(runs[2].layoutPath, program.filePath(u"QCM Grille réponses moniteur.rpt"_s));
    EXPECT_TRUE(previewText().contains(u"L'examen \"blanc\""_s));
    EXPECT_FALSE(previewText().contains(kExam));

    // From the editor, with the composer closed, the filter names no questionnaire.
    composer.open = false;
    window->showWindow(false);
    press(0);
    EXPECT_EQ(runs[3].formula, u"{QCM.NomQCM} = \"\""_s);
    EXPECT_EQ(dialogs.clipboard, u"QCM Questions élève"_s);
}

TEST_F(ReportsWindow, PrintingAsksForCopiesAndACancelPrintsNothing)
{
    composer.choice = kExam;
    window->showWindow(false);
    window->opt(4)->setChecked(true);
    dialogs.printAnswers = {std::nullopt, 2};
    press(1);
    EXPECT_TRUE(runs.isEmpty());
    press(1);
    EXPECT_EQ(dialogs.printRequests[1].title, u"Imprimer « QCM Questions moniteur »"_s);
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0].destination, ReportDestination::Printer);
    EXPECT_EQ(runs[0].copies, 2);
    EXPECT_EQ(dialogs.clipboard, u"Examen 1_2 - QCM Questions moniteur.pdf"_s);
    if (havePdfToText()) {
        EXPECT_TRUE(pdfText(program.filePath(u"imprimé.pdf"_s)).contains(u"Examen, question 2"_s));
    }
}

TEST_F(ReportsWindow, AFailedRunTellsWhyThenTriesOnePreview)
{
    composer.choice = kExam;
    window->showWindow(false);
    ASSERT_TRUE(QFile::remove(program.filePath(u"QCM Questions élève.rpt"_s)));
    dialogs.printAnswers = {1};
    dialogs.boxAnswers = {0, 0};
    press(1);
    const Box missing = printFailure(
        u"Le fichier de mise en page « QCM Questions élève.rpt » est introuvable dans le dossier du programme."_s);
    EXPECT_EQ(dialogs.boxes, (QList<Box>{missing, missing}));
    ASSERT_EQ(runs.size(), 2);
    EXPECT_EQ(runs[1].destination, ReportDestination::Window);

    composer.choice = u"A\" or {QCM.NomQCM} = \"B"_s;
    window->showWindow(false);
    window->opt(3)->setChecked(true);
    dialogs.boxAnswers = {0, 0};
    press(0);
    const Box refused
        = printFailure(u"La formule de sélection « {QCM.NomQCM} = \"A\" or {QCM.NomQCM} = \"B\" » n'est pas acceptée : "
                       "elle doit être vide, ou de la forme {QCM.NomQCM} = \"nom du QCM\"."_s);
    EXPECT_EQ(dialogs.boxes.mid(2), (QList<Box>{refused, refused}));
    EXPECT_EQ(runs.size(), 4);
    EXPECT_TRUE(previews.isEmpty());
}

TEST_F(ReportsWindow, SavesAPdfUnderTheProposedNameInTheRememberedFolder)
{
    QTemporaryDir folder, other;
    IniFile::writeString(state.IniPath, u"Rapports"_s, u"Dossier PDF"_s, folder.path());
    composer.choice = kExam;
    window->showWindow(false);
    window->opt(3)->setChecked(true);
    const QString name = u"Examen 1_2 - QCM Grille réponses moniteur.pdf"_s;
    const QString pdf = QDir(folder.path()).filePath(name);
    dialogs.saveAnswers = {pdf, pdf, QDir(other.path()).filePath(u"grille"_s), QString()};
    dialogs.boxAnswers = {0, 1, 0};
    press(2);
    EXPECT_EQ(dialogs.saveRequests[0].title, u"Enregistrer le rapport en PDF"_s);
    EXPECT_EQ(dialogs.saveRequests[0].filters, (QList<FileFilter>{{u"Fichiers PDF"_s, u"*.pdf"_s}}));
    EXPECT_EQ(dialogs.saveRequests[0].directory, pdf);
    EXPECT_EQ(dialogs.boxes.value(0),
        Box(u"Le rapport est enregistré dans le fichier :"_s + kCrLf + pdf, Icon::Pdf, u"Enregistrement en PDF"_s,
            u"OK"_s));
    if (havePdfToText()) {
        EXPECT_TRUE(pdfText(pdf).contains(kExam));
        EXPECT_FALSE(pdfText(pdf).contains(u"Révision"_s));
    }

    // Over an existing file it asks first; "Annuler" leaves the file as it was.
    const QByteArray before = fileBytes(pdf);
    press(2);
    EXPECT_EQ(dialogs.boxes.value(1),
        Box(u"Attention, le fichier"_s + kCrLf + u'\'' + name + u'\'' + kCrLf + u"existe déjà."_s + kCrLf
                + u"Voulez-vous le remplacer ?"_s,
            Icon::Question, u"Remplacer"_s, u"Remplacer"_s, u"Annuler"_s, {}, 2));
    EXPECT_EQ(fileBytes(pdf), before);

    // A name typed without its extension gets it, and its folder is the one proposed next.
    press(2);
    EXPECT_TRUE(QFile::exists(QDir(other.path()).filePath(u"grille.pdf"_s)));
    press(2);
    EXPECT_EQ(dialogs.saveRequests[3].directory, QDir(other.path()).filePath(name));
    EXPECT_EQ(runs.size(), 2);
}

TEST_F(ReportsWindow, ProposedNamesFitAFileNameAndTheCompleteListingNamesNoQuestionnaire)
{
    QTemporaryDir folder;
    IniFile::writeString(state.IniPath, QCMBas::pdfFolderSection(), QCMBas::pdfFolderKey(), folder.path());
    composer.choice = kExam;
    window->showWindow(false);
    window->opt(0)->setChecked(true);
    EXPECT_EQ(window->lbl(3)->text(), u"QCM Complet"_s);
    dialogs.saveAnswers = {QString()};
    press(2);
    EXPECT_EQ(dialogs.saveRequests.value(0).directory, QDir(folder.path()).filePath(u"QCM Complet.pdf"_s));
    press(0);
    EXPECT_EQ(dialogs.clipboard, u"QCM Complet"_s);

    // Ten thousand accented letters, each made of two characters: the name is
    // cut between letters, keeps its end, and the PDF is saved under it.
    composer.choice = u"e\u0301"_s.repeated(5000);
    window->showWindow(false);
    const QString name = window->lbl(3)->text();
    EXPECT_LE(name.toUtf8().size(), 255);
    EXPECT_GE(name.toUtf8().size(), 253);
    EXPECT_TRUE(name.endsWith(u"e\u0301 - QCM Questions élève.pdf"_s)) << name.right(40).toStdString();
    const QString pdf = QDir(folder.path()).filePath(name);
    dialogs.saveAnswers = {pdf};
    dialogs.boxAnswers = {0};
    press(2);
    EXPECT_EQ(dialogs.saveRequests.value(1).directory, pdf);
    EXPECT_EQ(dialogs.boxes.value(0).title, u"Enregistrement en PDF"_s);
    EXPECT_TRUE(QFile::exists(pdf));

    // The caption's trailing blank stays out of the PDF's title.
    window->opt(2)->setChecked(true);
    const QString grid = QDir(folder.path()).filePath(u"grille.pdf"_s);
    dialogs.saveAnswers = {grid};
    dialogs.boxAnswers = {0};
    press(2);
    QProcess info;
    info.start(u"pdfinfo"_s, {grid});
    if (info.waitForFinished(30000)) {
        const QStringList lines = QString::fromUtf8(info.readAllStandardOutput()).split(u'\n');
        EXPECT_TRUE(lines.contains(u"Title:           QCM Grille réponses"_s)) << lines.join(u'|').toStdString();
    }
}

TEST_F(ReportsWindow, APdfStoppedHalfwayWritesNothing)
{
    QTemporaryDir folder;
    const QString pdf = QDir(folder.path()).filePath(u"QCM Complet.pdf"_s);
    window->showWindow(false);
    dialogs.progressRequests.clear();
    dialogs.saveAnswers = {pdf};
    dialogs.boxAnswers = {0};
    dialogs.cancelProgressAt = kReportProgressMaximum / 2;
    press(2);
    ASSERT_EQ(dialogs.progressRequests.size(), 1);
    EXPECT_EQ(dialogs.progressRequests[0].title, u"Enregistrement en PDF"_s);
    EXPECT_EQ(dialogs.boxes,
        QList<Box>{Box(u"L'enregistrement de « %1 » a été arrêté : aucun fichier n'a été écrit."_s.arg(pdf), 0,
            u"Opération annulée"_s, u"OK"_s)});
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(ReportsWindow, TheWorkingCopyIsMadeWhenMissingAndRefreshedWhenStale)
{
    window->showWindow(false);
    EXPECT_EQ(databaseContent(state.workingCopyPath()), databaseContent(database));
    ASSERT_TRUE(QFile::remove(state.workingCopyPath()));
    window->activated();
    EXPECT_EQ(databaseContent(state.workingCopyPath()), databaseContent(database));

    // Stored after the copy was made: the next report still shows it.
    QFile copy(state.workingCopyPath());
    ASSERT_TRUE(copy.open(QIODevice::ReadWrite));
    ASSERT_TRUE(copy.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
    copy.close();
    store(u"Nouveau"_s, u"Nouveau"_s);
    composer.choice = u"Nouveau"_s;
    window->showWindow(false);
    press(0);
    EXPECT_TRUE(previewText().contains(u"Nouveau, question 1"_s));
    EXPECT_TRUE(state.isBound());

    // A copy that cannot be made stops the report with the reason.
    ASSERT_TRUE(QFile::remove(state.workingCopyPath()) && QDir(program.path()).mkdir(u"qcm.mdb"_s));
    store(u"Plus tard"_s, u"Plus tard"_s);
    dialogs.boxAnswers = {0};
    press(0);
    EXPECT_EQ(dialogs.boxes.value(0),
        Box(u"La copie de « %1 » vers « %2 » a échoué :"_s.arg(database, state.workingCopyPath()) + kCrLf
                + u"un dossier porte déjà ce nom."_s + kCrLf + kCrLf
                + u"Le rapport n'est pas produit : la copie de la base qu'il lit n'a pas pu être mise "
                  "à jour."_s,
            Icon::Error, u"Copie impossible"_s, u"OK"_s));
    EXPECT_EQ(runs.size(), 1);
    EXPECT_TRUE(state.isBound());
}

TEST_F(ReportsWindow, AMissingDatabaseIsToldOnceAndNoOtherIsChosen)
{
    ASSERT_TRUE(QFile::remove(database));
    dialogs.boxAnswers = {0};
    window->showWindow(false);
    window->activated();
    EXPECT_EQ(dialogs.boxes,
        QList<Box>{Box(u"La base de données en usage « %1 » est introuvable."_s.arg(database) + kCrLf + kCrLf
                + u"Les rapports ne pourront pas être produits tant que cette copie manque."_s,
            Icon::Error, u"Copie impossible"_s, u"OK"_s)});
    EXPECT_TRUE(dialogs.openRequests.isEmpty());
}

// Two pairs of layouts share their captions: each is read with the group,
// named by its heading, that tells them apart.
TEST_F(ReportsWindow, TheLayoutsAreReadWithTheirGroups)
{
    window->showWindow(false);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const QList<AccessibleNode> tree = readTree(window.get());
    EXPECT_EQ(tree.first().role, QAccessible::Dialog);
    EXPECT_EQ(tree.first().name, u"Rapports"_s);
    QStringList read;
    for (int i = 1; i <= 4; ++i) {
        QAccessibleInterface *group = anyNodeOf(tree, window->opt(i)).iface->parent();
        EXPECT_EQ(group->role(), QAccessible::Grouping);
        read << group->text(QAccessible::Name) + u" / "_s + nodeOf(tree, window->opt(i)).name;
    }
    EXPECT_EQ(read,
        QStringList({u"QCM pour l'élève / QCM Questions"_s, u"QCM pour l'élève / QCM Grille réponses "_s,
            u"QCM pour le moniteur (avec réponses) / QCM Grille réponses"_s,
            u"QCM pour le moniteur (avec réponses) / QCM Questions"_s}));
}

} // namespace
