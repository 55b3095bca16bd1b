#pragma once

#include "PlotWidget.h"
#include "ResultsReader.h"

#include "exam/ResultsStore.h"
#include "reports/ReportEngine.h"
#include "state/QCMBas.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QWidget>

#include <array>
#include <functional>

namespace qcm {

// "Résultats": a candidate's record, the class's results and the item
// analysis of the questions, read from the results file; their export to
// CSV, print and PDF; the import of another computer's results.
class fResultats : public QWidget {
    Q_OBJECT

public:
    // The results file, opened on first need; null when it cannot be used
    // (the user has then been told why).
    using StoreSource = std::function<ResultsStore *()>;

    fResultats(QCMBas &state, StoreSource store, QWidget *parent = nullptr);

    // Reads the file again into every view.
    void refresh();
    void showCandidate(const QString &name);

    enum Tab { CandidateTab, ClassTab, ItemsTab };
    QTabWidget *tabs() const { return m_tabs; }
    QComboBox *candidateBox() const { return m_candidate; }
    QTableView *examsTable() const { return m_exams; }
    QTableView *missedTable() const { return m_missed; }
    QTableView *classTable() const { return m_class; }
    QTableView *classDomainsTable() const { return m_classDomains; }
    QTableView *itemsTable() const { return m_items; }
    ChartPanel *progressChart() const { return m_progress; }
    ChartPanel *domainChart() const { return m_domains; }
    ChartPanel *classDomainChart() const { return m_classChart; }
    QCheckBox *allDates() const { return m_allDates; }
    QDateEdit *fromDate() const { return m_from; }
    QDateEdit *toDate() const { return m_to; }
    QCheckBox *toCheckOnly() const { return m_toCheckOnly; }
    QPushButton *mistakesButton() const { return m_mistakes; }
    QPushButton *paperButton() const { return m_paper; }
    QPushButton *importButton() const { return m_import; }

    // The actions of the buttons, each asking through the dialog service.
    void importResults();
    void exportCandidateCsv();
    void exportClassCsv();
    void printCandidate(ReportDestination destination);
    void printClass(ReportDestination destination);
    // Opens the question of that row of the item analysis in "Maintenance".
    void openItem(const QModelIndex &index);

    // Tests replace the report run to watch what it is given.
    void setReportRunner(std::function<ReportOutcome(const ReportRequest &)> run) { m_runReport = std::move(run); }

    // The tables as exported and printed: headings, then rows.
    QList<QStringList> shownRows(Tab tab);
    // Fills a view that the file changed under, or that was never shown.
    void ensureFilled(Tab tab);

Q_SIGNALS:
    // "S'entraîner sur mes erreurs" for the candidate shown.
    void practiseMistakesRequested(const QString &candidate);
    // "Saisir une copie papier".
    void paperGridRequested();

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildCandidateTab();
    QWidget *buildClassTab();
    QWidget *buildItemsTab();
    QPushButton *printButton(const std::function<void(ReportDestination)> &print, QWidget *parent);
    ResultsReader *reader();
    DateRange range() const;
    void fillShownTab();
    void periodChanged();
    void fillCandidate();
    void fillClass();
    void fillItems();
    void failed(const StoreError &error);
    void runReport(ReportRequest request, const QString &documentName);
    QString askCsvPath(const QString &suggested);

    QCMBas &m_state;
    StoreSource m_store;
    std::unique_ptr<ResultsReader> m_reader;
    DataVersion m_seen;
    std::function<ReportOutcome(const ReportRequest &)> m_runReport;
    CandidateRecord m_record;
    ClassView m_classView;
    std::array<bool, 3> m_stale{true, true, true};

    QTabWidget *m_tabs = nullptr;
    QCheckBox *m_allDates = nullptr;
    QDateEdit *m_from = nullptr;
    QDateEdit *m_to = nullptr;
    QComboBox *m_candidate = nullptr;
    QLabel *m_summary = nullptr;
    QStandardItemModel *m_examsModel = nullptr;
    QTableView *m_exams = nullptr;
    QStandardItemModel *m_missedModel = nullptr;
    QTableView *m_missed = nullptr;
    ChartPanel *m_progress = nullptr;
    ChartPanel *m_domains = nullptr;
    QStandardItemModel *m_classModel = nullptr;
    QTableView *m_class = nullptr;
    QStandardItemModel *m_classDomainsModel = nullptr;
    QTableView *m_classDomains = nullptr;
    ChartPanel *m_classChart = nullptr;
    QStandardItemModel *m_itemsModel = nullptr;
    QSortFilterProxyModel *m_itemsProxy = nullptr;
    QTableView *m_items = nullptr;
    QCheckBox *m_toCheckOnly = nullptr;
    QLabel *m_itemsSummary = nullptr;
    QPushButton *m_mistakes = nullptr;
    QPushButton *m_paper = nullptr;
    QPushButton *m_import = nullptr;
};

} // namespace qcm
