#include "ResultsFiller.h"

#include "reports/ReportDocument.h"
#include "results/fResultats.h"
#include "state/QCMBas.h"
#include "state/WindowDirectory.h"
#include "support/Fixtures.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace qcm::test {
namespace {

using Box = ScriptedDialogs::Box;

// The window over a program folder whose results file holds a small class.
class ResultsWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResultsOpening opening = ResultsStore::open(folder.filePath(ResultsStore::fileName()), dialogs.now());
        ASSERT_TRUE(opening.store);
        store = std::move(opening.store);
        ASSERT_TRUE(fillClass(*store, 6, 5, 20, 40));
        for (const char *layout : {"Résultats de la classe.rpt", "Relevé d'un candidat.rpt"})
            ASSERT_TRUE(QFile::copy(QStringLiteral(QCM_REPORT_LAYOUTS "/") + QString::fromUtf8(layout),
                folder.filePath(QString::fromUtf8(layout))));
        window = std::make_unique<fResultats>(state, [this] { return store.get(); });
        window->show();
    }
    QString rowText(QTableView *view, int row) const
    {
        QStringList cells;
        for (int c = 0; c < view->model()->columnCount(); ++c)
            cells << view->model()->index(row, c).data().toString();
        return cells.join(u'|');
    }

    QTemporaryDir folder;
    ScriptedDialogs dialogs;
    QCMBas state{dialogs, folder.path()};
    std::unique_ptr<ResultsStore> store;
    std::unique_ptr<fResultats> window;
};

TEST_F(ResultsWindow, EachViewShowsTheFileAndTheChartsSayTheirValuesInATable)
{
    EXPECT_EQ(window->windowTitle(), u"Résultats"_s);
    ASSERT_EQ(window->candidateBox()->count(), 6);
    window->showCandidate(u"Élodie Martin"_s);
    EXPECT_EQ(window->examsTable()->model()->rowCount(), 5);
    const QList<PlotWidget::Point> points = window->progressChart()->plot()->points();
    ASSERT_EQ(points.size(), 5);
    EXPECT_EQ(window->progressChart()->values()->rowCount(), 5);
    EXPECT_EQ(window->progressChart()->values()->item(4, 1)->text(), percentText(points.at(4).value));
    EXPECT_NEAR(*window->progressChart()->plot()->passLine(), 75.0, 0.5);
    EXPECT_GT(window->domainChart()->values()->rowCount(), 0);
    EXPECT_FALSE(window->progressChart()->values()->accessibleName().isEmpty());

    window->tabs()->setCurrentIndex(fResultats::ClassTab);
    EXPECT_EQ(window->classTable()->model()->rowCount(), 6);
    EXPECT_EQ(window->classDomainsTable()->model()->rowCount(), 10);
    // The period keeps the exams of its days only: none before September.
    window->fromDate()->setDate({2026, 1, 1});
    window->toDate()->setDate({2026, 8, 31});
    window->allDates()->setChecked(false);
    EXPECT_TRUE(rowText(window->classTable(), 0).contains(u"|0|—|—|"_s))
        << rowText(window->classTable(), 0).toStdString();
    window->tabs()->setCurrentIndex(fResultats::ItemsTab);
    EXPECT_EQ(window->itemsTable()->model()->rowCount(), 0);
    window->allDates()->setChecked(true);

    // Sorted by discrimination, lowest first; the filter keeps the flagged ones.
    QTableView *items = window->itemsTable();
    ASSERT_GT(items->model()->rowCount(), 0);
    items->sortByColumn(3, Qt::AscendingOrder);
    const double first = items->model()->index(0, 3).data(Qt::UserRole + 1).toDouble();
    const double last = items->model()->index(items->model()->rowCount() - 1, 3).data(Qt::UserRole + 1).toDouble();
    EXPECT_LE(first, last);
    window->toCheckOnly()->setChecked(true);
    for (int r = 0; r < items->model()->rowCount(); ++r)
        EXPECT_EQ(items->model()->index(r, 4).data().toString(), u"à vérifier"_s);
}

TEST_F(ResultsWindow, ButtonsForTheOtherWindowsOnlySayWhatIsAsked)
{
    QSignalSpy mistakes(window.get(), &fResultats::practiseMistakesRequested);
    QSignalSpy paper(window.get(), &fResultats::paperGridRequested);
    window->showCandidate(u"Hugo Thomas"_s);
    window->mistakesButton()->click();
    window->paperButton()->click();
    ASSERT_EQ(mistakes.size(), 1);
    EXPECT_EQ(mistakes.at(0).at(0).toString(), u"Hugo Thomas"_s);
    EXPECT_EQ(paper.size(), 1);

    // Without a bank, a flagged question cannot be opened in "Maintenance": said, not done.
    window->tabs()->setCurrentIndex(fResultats::ItemsTab);
    dialogs.boxAnswers = {0};
    window->openItem(window->itemsTable()->model()->index(0, 0));
    ASSERT_EQ(dialogs.boxes.size(), 1);
    EXPECT_TRUE(dialogs.boxes.at(0).message.contains(u"Aucune base"_s));

    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(ResultsWindow, DoubleClickOnAQuestionOpensItInMaintenance)
{
    struct Editor : WindowDirectory {
        int shown = 0;
        void showEditor() override { ++shown; }
    } editor;
    BankContent bank;
    for (int d = 1; d <= 10; ++d) {
        bank.domains.append({QString::number(d), u"Domaine %1"_s.arg(d)});
        for (int n = 1; n <= 4; ++n)
            bank.questions.append(makeQuestion(QString::number(d), n, u"Question ?"_s, {6, 0}));
    }
    makeBank(folder, u"VAR-irururiza.zov"_s, bank);
    state.readSettings();
    ASSERT_TRUE(state.BindDatabase());
    state.setWindows(&editor);
    window->tabs()->setCurrentIndex(fResultats::ItemsTab);
    QTableView *items = window->itemsTable();
    items->sortByColumn(0, Qt::AscendingOrder);
    // Question 3.2: domain 3 is the third of the list.
    int row = 0;
    while (row < items->model()->rowCount() && items->model()->index(row, 0).data().toString() != u"3.2"_s)
        ++row;
    ASSERT_LT(row, items->model()->rowCount());
    window->openItem(items->model()->index(row, 2));
    state.setWindows(nullptr);
    EXPECT_EQ(editor.shown, 1);
    EXPECT_EQ(state.EditorDomainIndex, 2);
    EXPECT_EQ(state.EditorQuestionNumber, u"2"_s);
}

TEST_F(ResultsWindow, ExportsTheClassToCsvAndBothViewsToPdf)
{
    const QString csv = folder.filePath(u"classe"_s);
    dialogs.saveAnswers = {csv};
    window->exportClassCsv();
    const QByteArray bytes = fileBytes(csv + u".csv"_s);
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"
                                 "Candidat;Examens;"));
    EXPECT_EQ(bytes.count("\r\n"), 7);
    EXPECT_TRUE(QString::fromUtf8(bytes).contains(u"Élodie Martin;5;"_s));

    QList<std::shared_ptr<const ReportDocument>> documents;
    window->setReportRunner([&documents](const ReportRequest &request) {
        ReportOutcome outcome = runReport(request);
        documents.append(outcome.document);
        return outcome;
    });
    window->showCandidate(u"Léa Robert"_s);
    dialogs.saveAnswers = {folder.filePath(u"léa.pdf"_s), folder.filePath(u"classe.pdf"_s)};
    dialogs.boxAnswers = {0, 0};
    window->printCandidate(ReportDestination::Pdf);
    window->printClass(ReportDestination::Pdf);
    ASSERT_EQ(dialogs.boxes.size(), 2);
    EXPECT_EQ(dialogs.boxes.at(1).title, u"Enregistrement en PDF"_s) << dialogs.boxes.at(1).message.toStdString();
    EXPECT_TRUE(fileBytes(folder.filePath(u"classe.pdf"_s)).startsWith("%PDF"));
    ASSERT_EQ(documents.size(), 2);
    ASSERT_TRUE(documents.at(0) && documents.at(1));
    EXPECT_TRUE(documents.at(0)->pageTexts(0).contains(u"Relevé de Léa Robert"_s));
    EXPECT_TRUE(documents.at(1)->pageTexts(0).contains(u"Élodie Martin"_s));
}

TEST_F(ResultsWindow, ImportAsksAboutADoubtfulNameAndTellsWhatCameIn)
{
    QTemporaryDir other;
    ResultsOpening theirs = ResultsStore::open(QDir(other.path()).filePath(u"r.sqlite"_s), dialogs.now());
    ASSERT_TRUE(theirs.store);
    ASSERT_TRUE(fillExam(*theirs.store, {u"elodie martin"_s, QDateTime({2026, 12, 1}, {9, 0}), {{u"1"_s, 1, 6}}}));
    const QString path = theirs.store->path();
    theirs.store.reset();

    dialogs.openAnswers = {path};
    dialogs.boxAnswers = {0, 0};
    window->importResults();
    ASSERT_EQ(dialogs.boxes.size(), 2);
    EXPECT_TRUE(dialogs.boxes.at(0).message.startsWith(
        u"Le candidat « elodie martin » du fichier importé est-il « Élodie Martin » de ce fichier ?"_s));
    EXPECT_TRUE(dialogs.boxes.at(1).message.startsWith(u"1 examen(s) importé(s), 0 déjà présent(s)."_s));
    window->showCandidate(u"Élodie Martin"_s);
    EXPECT_EQ(window->examsTable()->model()->rowCount(), 6);

    // A file that is not a results file: said, nothing changed.
    const QString bad = writeFile(folder.filePath(u"pas-des-résultats.sqlite"_s), "bonjour");
    dialogs.openAnswers = {bad};
    dialogs.boxAnswers = {0};
    window->importResults();
    ASSERT_EQ(dialogs.boxes.size(), 3);
    EXPECT_EQ(dialogs.boxes.at(2).icon, Icon::Error);
    EXPECT_EQ(*store->examCount(), 31);
}

} // namespace
} // namespace qcm::test
