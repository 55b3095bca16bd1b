#include "ReportFixture.h"

#include "composer/ReportActions.h"
#include "composer/fRapports.h"
#include "startup/IniFile.h"
#include "startup/QCMBas.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <QAccessible>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace qcm;
using namespace qcm::test;

namespace {

using Box = ScriptedDialogs::Box;
const QString kCrLf = QStringLiteral("\r\n");
const QString kExam = QStringLiteral("Examen 1/2");

// The composer as the reports window sees it: its entry, empty when closed.
class FakeComposer : public WindowDirectory {
public:
    bool composerIsOpen() const override { return open; }
    QString composerChoice() const override { return open ? choice : QString(); }
    bool open = true;
    QString choice = newQuestionnaireEntry();
};

QList<StoredQuestion> questionsAbout(const QString &subject, int count)
{
    QList<StoredQuestion> questions;
    for (int i = 1; i <= count; ++i)
        questions.append({QStringLiteral("1"), i, QStringLiteral("%1, question %2 ?").arg(subject).arg(i),
            {{QStringLiteral("Oui."), 6}, {QStringLiteral("Non."), -2}}});
    return questions;
}

Box printFailure(const QString &why)
{
    return Box(QStringLiteral("Un paramètre inconnu empêche d'imprimer directement.") + kCrLf + kCrLf
            + QStringLiteral("- La page 'Aperçu' va s'ouvrir lorsque vous fermerez ce message pour vous permettre "
                             "d'imprimer d'une autre façon.")
            + kCrLf
            + QStringLiteral("- En haut de la fenêtre d'aperçu cliquez sur le bouton représentant une imprimante avec "
                             "une clé jaune.")
            + kCrLf + QStringLiteral("- Sélectionnez une imprimante valide et connectée.") + kCrLf
            + QStringLiteral("- Cliquez ensuite sur l'autre bouton représentant une imprimante toute seule.") + kCrLf
            + QStringLiteral("- L'impression sera lancée.") + kCrLf + kCrLf + why,
        Icon::Printer, QStringLiteral("Erreur d'impression"), QStringLiteral("OK"));
}

class ReportsWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        BankContent bank;
        bank.domains = {{QStringLiteral("1"), QStringLiteral("Météorologie")}};
        bank.questions = {makeQuestion(QStringLiteral("1"), 1, QStringLiteral("Une question ?"), {6, -2})};
        database = makeBank(program, QStringLiteral("VAR-irururiza.zov"), bank);
        store(kExam, QStringLiteral("Examen"));
        store(QStringLiteral("L'examen \"blanc\""), QStringLiteral("Blanc"));
        store(QStringLiteral("Révision"), QStringLiteral("Météo"));
        for (const ReportKind &kind : reportKinds())
            ASSERT_TRUE(
                QFile::copy(QStringLiteral(QCM_REPORT_LAYOUTS) + u'/' + kind.fileName, inProgram(kind.fileName)));
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
        storeQuestionnaire(database, name, QStringLiteral("14/06/2024"), QStringLiteral("Brevet B de delta"),
            questionsAbout(subject, 2));
    }
    QString inProgram(const QString &name) const { return QDir(program.path()).filePath(name); }

    // Runs the engine, sending to a PDF file what would go to the printer and
    // recording the previews before they open.
    ReportOutcome run(const ReportRequest &request)
    {
        runs.append(request);
        ReportRequest actual = request;
        if (request.destination == ReportDestination::Printer) {
            actual.destination = ReportDestination::Pdf;
            actual.pdfPath = inProgram(QStringLiteral("imprimé.pdf"));
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
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Rapports"));
    EXPECT_EQ(window->windowHandle()->title(), QStringLiteral("Rapports"));
    QAccessibleInterface *name = QAccessible::queryAccessibleInterface(window->lbl(3));
    EXPECT_EQ(name->text(QAccessible::Name), QStringLiteral("QCM Complet"));
    EXPECT_EQ(name->text(QAccessible::Description), QStringLiteral("Nom du fichier PDF proposé"));
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
    EXPECT_EQ(state(), QStringLiteral("X---- QCM Complet"));

    composer.choice = kExam;
    window->showWindow(false);
    EXPECT_EQ(state(), QStringLiteral("oXooo Examen 1_2 - QCM Questions élève.pdf"));
    // The arrow keys move the choice and the hint; coming back to the window keeps them.
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window->opt(1), Qt::Key_Down);
    window->activated();
    EXPECT_EQ(state(), QStringLiteral("ooXoo Examen 1_2 - QCM Grille réponses élève.pdf"));

    composer.open = false;
    window->showWindow(false);
    EXPECT_EQ(state(), QStringLiteral("oXooo QCM Questions élève"));
}

TEST_F(ReportsWindow, PreviewKeepsTheChosenQuestionnaireExceptTheCompleteListing)
{
    composer.choice = kExam;
    window->showWindow(false);
    press(0);
    ASSERT_EQ(previews.size(), 1);
    EXPECT_EQ(previews[0].first, QStringLiteral("QCM Questions"));
    EXPECT_EQ(runs[0].formula, QStringLiteral("{QCM.NomQCM} = \"Examen 1/2\""));
    EXPECT_EQ(runs[0].layoutPath, inProgram(QStringLiteral("QCM Questions élève.rpt")));
    EXPECT_EQ(runs[0].workingCopyPath, state.workingCopyPath());
    EXPECT_EQ(dialogs.clipboard, QStringLiteral("Examen 1_2 - QCM Questions élève.pdf"));
    EXPECT_TRUE(previewText().contains(QStringLiteral("Examen, question 2")));
    EXPECT_FALSE(previewText().contains(QStringLiteral("Blanc, question 1")));

    window->opt(0)->setChecked(true);
    press(0);
    EXPECT_EQ(runs[1].formula, QString());
    for (const QString &subject : {QStringLiteral("Examen"), QStringLiteral("Blanc"), QStringLiteral("Météo")})
        EXPECT_TRUE(previewText().contains(subject + QStringLiteral(", question 2"))) << subject.toStdString();

    composer.choice = QStringLiteral("L'examen \"blanc\"");
    window->showWindow(false);
    // A double click previews that option's layout, once.
    QTest::mouseDClick(window->opt(3), Qt::LeftButton);
    ASSERT_EQ(previews.size(), 3);
    EXPECT_EQ(previews[2].first, QStringLiteral("QCM Grille réponses"));
    EXPECT_EQ(runs[2].layoutPath, inProgram(QStringLiteral("QCM Grille réponses moniteur.rpt")));
    EXPECT_TRUE(previewText().contains(QStringLiteral("L'examen \"blanc\"")));
    EXPECT_FALSE(previewText().contains(kExam));

    // From the editor, with the composer closed, the filter names no questionnaire.
    composer.open = false;
    window->showWindow(false);
    press(0);
    EXPECT_EQ(runs[3].formula, QStringLiteral("{QCM.NomQCM} = \"\""));
    EXPECT_EQ(dialogs.clipboard, QStringLiteral("QCM Questions élève"));
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
    EXPECT_EQ(dialogs.printRequests[1].title, QStringLiteral("Imprimer « QCM Questions moniteur »"));
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0].destination, ReportDestination::Printer);
    EXPECT_EQ(runs[0].copies, 2);
    EXPECT_EQ(dialogs.clipboard, QStringLiteral("Examen 1_2 - QCM Questions moniteur.pdf"));
    if (havePdfToText()) {
        EXPECT_TRUE(pdfText(inProgram(QStringLiteral("imprimé.pdf"))).contains(QStringLiteral("Examen, question 2")));
    }
}

TEST_F(ReportsWindow, AFailedRunTellsWhyThenTriesOnePreview)
{
    composer.choice = kExam;
    window->showWindow(false);
    ASSERT_TRUE(QFile::remove(inProgram(QStringLiteral("QCM Questions élève.rpt"))));
    dialogs.printAnswers = {1};
    dialogs.boxAnswers = {0, 0};
    press(1);
    const Box missing = printFailure(QStringLiteral(
        "Le fichier de mise en page « QCM Questions élève.rpt » est introuvable dans le dossier du programme."));
    EXPECT_EQ(dialogs.boxes, (QList<Box>{missing, missing}));
    ASSERT_EQ(runs.size(), 2);
    EXPECT_EQ(runs[1].destination, ReportDestination::Window);

    composer.choice = QStringLiteral("A\" or {QCM.NomQCM} = \"B");
    window->showWindow(false);
    window->opt(3)->setChecked(true);
    dialogs.boxAnswers = {0, 0};
    press(0);
    const Box refused = printFailure(
        QStringLiteral("La formule de sélection « {QCM.NomQCM} = \"A\" or {QCM.NomQCM} = \"B\" » n'est pas acceptée : "
                       "elle doit être vide, ou de la forme {QCM.NomQCM} = \"nom du QCM\"."));
    EXPECT_EQ(dialogs.boxes.mid(2), (QList<Box>{refused, refused}));
    EXPECT_EQ(runs.size(), 4);
    EXPECT_TRUE(previews.isEmpty());
}

TEST_F(ReportsWindow, SavesAPdfUnderTheProposedNameInTheRememberedFolder)
{
    QTemporaryDir folder, other;
    IniFile::writeString(state.IniPath, QStringLiteral("Rapports"), QStringLiteral("Dossier PDF"), folder.path());
    composer.choice = kExam;
    window->showWindow(false);
    window->opt(3)->setChecked(true);
    const QString name = QStringLiteral("Examen 1_2 - QCM Grille réponses moniteur.pdf");
    const QString pdf = QDir(folder.path()).filePath(name);
    dialogs.saveAnswers = {pdf, pdf, QDir(other.path()).filePath(QStringLiteral("grille")), QString()};
    dialogs.boxAnswers = {0, 1, 0};
    press(2);
    EXPECT_EQ(dialogs.saveRequests[0].title, QStringLiteral("Enregistrer le rapport en PDF"));
    EXPECT_EQ(dialogs.saveRequests[0].filterName, QStringLiteral("Fichiers PDF"));
    EXPECT_EQ(dialogs.saveRequests[0].pattern, QStringLiteral("*.pdf"));
    EXPECT_EQ(dialogs.saveRequests[0].directory, pdf);
    EXPECT_EQ(dialogs.boxes.value(0),
        Box(QStringLiteral("Le rapport est enregistré dans le fichier :") + kCrLf + pdf, Icon::Pdf,
            QStringLiteral("Enregistrement en PDF"), QStringLiteral("OK")));
    if (havePdfToText()) {
        EXPECT_TRUE(pdfText(pdf).contains(kExam));
        EXPECT_FALSE(pdfText(pdf).contains(QStringLiteral("Révision")));
    }

    // Over an existing file it asks first; "Annuler" leaves the file as it was.
    const QByteArray before = fileBytes(pdf);
    press(2);
    EXPECT_EQ(dialogs.boxes.value(1),
        Box(QStringLiteral("Attention, le fichier") + kCrLf + u'\'' + name + u'\'' + kCrLf
                + QStringLiteral("existe déjà.") + kCrLf + QStringLiteral("Voulez-vous le remplacer ?"),
            Icon::Question, QStringLiteral("Remplacer"), QStringLiteral("Remplacer"), QStringLiteral("Annuler"), {},
            2));
    EXPECT_EQ(fileBytes(pdf), before);

    // A name typed without its extension gets it, and its folder is the one proposed next.
    press(2);
    EXPECT_TRUE(QFile::exists(QDir(other.path()).filePath(QStringLiteral("grille.pdf"))));
    press(2);
    EXPECT_EQ(dialogs.saveRequests[3].directory, QDir(other.path()).filePath(name));
    EXPECT_EQ(runs.size(), 2);
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
    store(QStringLiteral("Nouveau"), QStringLiteral("Nouveau"));
    composer.choice = QStringLiteral("Nouveau");
    window->showWindow(false);
    press(0);
    EXPECT_TRUE(previewText().contains(QStringLiteral("Nouveau, question 1")));
    EXPECT_TRUE(state.isBound());

    // A copy that cannot be made stops the report with the reason.
    ASSERT_TRUE(QFile::remove(state.workingCopyPath()) && QDir(program.path()).mkdir(QStringLiteral("qcm.mdb")));
    store(QStringLiteral("Plus tard"), QStringLiteral("Plus tard"));
    dialogs.boxAnswers = {0};
    press(0);
    EXPECT_EQ(dialogs.boxes.value(0),
        Box(QStringLiteral("La copie de « %1 » vers « %2 » a échoué :").arg(database, state.workingCopyPath()) + kCrLf
                + QStringLiteral("un dossier porte déjà ce nom.") + kCrLf + kCrLf
                + QStringLiteral("Le rapport n'est pas produit : la copie de la base qu'il lit n'a pas pu être mise "
                                 "à jour."),
            Icon::Error, QStringLiteral("Copie impossible"), QStringLiteral("OK")));
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
        QList<Box>{Box(QStringLiteral("La base de données en usage « %1 » est introuvable.").arg(database) + kCrLf
                + kCrLf + QStringLiteral("Les rapports ne pourront pas être produits tant que cette copie manque."),
            Icon::Error, QStringLiteral("Copie impossible"), QStringLiteral("OK"))});
    EXPECT_TRUE(dialogs.openRequests.isEmpty());
}

TEST_F(ReportsWindow, ModalFromTheEditorUntilClosed)
{
    bool wasModal = false;
    QTimer::singleShot(0, window.get(), [&] {
        wasModal = window->isVisible() && window->windowModality() == Qt::ApplicationModal;
        window->cmd(0)->click();
    });
    window->showWindow(true);
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(window->isVisible());
}

} // namespace
