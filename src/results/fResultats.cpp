#include "fResultats.h"

#include "CsvTable.h"
#include "ResultsMerge.h"

#include "exam/ExamReview.h"
#include "reports/ReportPreview.h"
#include "runner/Corrections.h"
#include "state/FileOps.h"
#include "ui/Accessibility.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QScopeGuard>
#include <QShortcut>
#include <QSplitter>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace qcm {

namespace {

const QString kTitle = QStringLiteral("Résultats");
const QString kCrLf = QStringLiteral("\r\n");
const QString kClassLayout = QStringLiteral("Résultats de la classe.rpt");
const QString kCandidateLayout = QStringLiteral("Relevé d'un candidat.rpt");

// A cell: the text shown and the value it sorts by.
struct Cell {
    QString text;
    QVariant sortValue;
    Cell(QString t) : text(std::move(t)), sortValue(text) { }
    Cell(QString t, QVariant v) : text(std::move(t)), sortValue(std::move(v)) { }
    Cell(const char *t) : Cell(QString::fromUtf8(t)) { }
};

constexpr int kSortRole = Qt::UserRole + 1;

// A new model is filled away from the view, then shown in one go: rows set
// one by one under a sorting proxy would each be sorted in.
void fill(QTableView *view, QStandardItemModel *&model, const QList<QList<Cell>> &rows, bool fitColumns = true)
{
    auto *filled = new QStandardItemModel(int(rows.size()), model->columnCount(), model->parent());
    for (int c = 0; c < model->columnCount(); ++c)
        filled->setHorizontalHeaderItem(c, new QStandardItem(model->horizontalHeaderItem(c)->text()));
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows.at(r).size(); ++c) {
            auto *item = new QStandardItem(rows.at(r).at(c).text);
            item->setData(rows.at(r).at(c).sortValue, kSortRole);
            item->setEditable(false);
            // Numbers line up on the right; words stay on the left.
            const QString &text = rows.at(r).at(c).text;
            if (!text.isEmpty() && (text.front().isDigit() || text.front() == u'-' || text.front() == u'—'))
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            filled->setItem(r, c, item);
        }
    qobject_cast<QSortFilterProxyModel *>(view->model())->setSourceModel(filled);
    delete std::exchange(model, filled);
    // Measuring every row of a long list would cost more than filling it.
    if (fitColumns)
        view->resizeColumnsToContents();
}

QTableView *tableOn(
    QStandardItemModel *model, const QString &name, QWidget *parent, QSortFilterProxyModel *proxy = nullptr)
{
    auto *view = new QTableView(parent);
    if (!proxy)
        proxy = new QSortFilterProxyModel(view);
    proxy->setSourceModel(model);
    proxy->setSortRole(kSortRole);
    view->setModel(proxy);
    view->setSortingEnabled(true);
    view->sortByColumn(-1, Qt::AscendingOrder);
    view->setAccessibleName(name);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setAlternatingRowColors(true);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setStretchLastSection(true);
    view->setTabKeyNavigation(false);
    return view;
}

QString markText(const ExamLine &e)
{
    return e.mark ? QStringLiteral("%1 / %2").arg(*e.mark).arg(e.maximum) : QStringLiteral("—");
}

QString decimal(double value)
{
    return QLocale(QLocale::French).toString(value, 'f', 2);
}

QString dayText(const QDateTime &t)
{
    return t.toString(QStringLiteral("dd/MM/yyyy HH:mm"));
}

QList<PlotWidget::Point> domainPoints(const QList<DomainRate> &domains)
{
    QList<PlotWidget::Point> points;
    for (const DomainRate &d : domains)
        points.append({d.name.isEmpty() ? d.code : d.name, 100 * d.rate()});
    return points;
}

QStringList cellsOf(const QStandardItemModel *model, int row)
{
    QStringList cells;
    for (int c = 0; c < model->columnCount(); ++c)
        cells.append(model->item(row, c) ? model->item(row, c)->text() : QString());
    return cells;
}

QStringList headersOf(const QStandardItemModel *model)
{
    QStringList headers;
    for (int c = 0; c < model->columnCount(); ++c)
        headers.append(model->headerData(c, Qt::Horizontal).toString());
    return headers;
}

} // namespace

fResultats::fResultats(QCMBas &state, StoreSource store, QWidget *parent)
    : QWidget(parent, Qt::Window), m_state(state), m_store(std::move(store)), m_runReport(&qcm::runReport)
{
    setObjectName(QStringLiteral("fResultats"));
    setWindowTitle(kTitle);
    readAsWindow(this);

    m_allDates = new QCheckBox(QStringLiteral("&Toutes les dates"), this);
    m_allDates->setChecked(true);
    m_from = new QDateEdit(m_state.dialogs().today().addMonths(-3), this);
    m_to = new QDateEdit(m_state.dialogs().today(), this);
    auto *fromLabel = new QLabel(QStringLiteral("Période du"), this);
    auto *toLabel = new QLabel(QStringLiteral("au"), this);
    fromLabel->setBuddy(m_from);
    toLabel->setBuddy(m_to);
    m_from->setAccessibleName(QStringLiteral("Période : premier jour"));
    m_to->setAccessibleName(QStringLiteral("Période : dernier jour"));
    for (QDateEdit *d : {m_from, m_to}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
        d->setEnabled(false);
        connect(d, &QDateEdit::dateChanged, this, [this] { periodChanged(); });
    }
    connect(m_allDates, &QCheckBox::toggled, this, [this](bool all) {
        m_from->setEnabled(!all);
        m_to->setEnabled(!all);
        periodChanged();
    });
    auto *period = new QHBoxLayout;
    period->addWidget(fromLabel);
    period->addWidget(m_from);
    period->addWidget(toLabel);
    period->addWidget(m_to);
    period->addWidget(m_allDates);
    period->addStretch(1);
    auto *periodNote = new QLabel(QStringLiteral("(la classe et les questions)"), this);
    period->insertWidget(5, periodNote);

    m_tabs = new QTabWidget(this);
    m_tabs->addTab(buildCandidateTab(), QStringLiteral("&Candidat"));
    m_tabs->addTab(buildClassTab(), QStringLiteral("C&lasse"));
    m_tabs->addTab(buildItemsTab(), QStringLiteral("&Questions"));
    connect(m_tabs, &QTabWidget::currentChanged, this, &fResultats::fillShownTab);

    m_paper = new QPushButton(QStringLiteral("Saisir une copie &papier…"), this);
    m_import = new QPushButton(QStringLiteral("&Importer des résultats…"), this);
    auto *close = new QPushButton(QStringLiteral("&Fermer"), this);
    connect(m_paper, &QPushButton::clicked, this, &fResultats::paperGridRequested);
    connect(m_import, &QPushButton::clicked, this, &fResultats::importResults);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    // Escape closes it, as "Fermer" does.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_paper);
    buttons->addWidget(m_import);
    buttons->addStretch(1);
    buttons->addWidget(close);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(period);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);
    resize(1280, 700);
}

QWidget *fResultats::buildCandidateTab()
{
    auto *tab = new QWidget;
    m_candidate = new QComboBox(tab);
    m_candidate->setMinimumWidth(260);
    auto *caption = new QLabel(QStringLiteral("Ca&ndidat :"), tab);
    caption->setBuddy(m_candidate);
    connect(m_candidate, &QComboBox::currentIndexChanged, this, &fResultats::fillCandidate);
    m_summary = new QLabel(tab);
    readAsData(m_summary, QStringLiteral("Résumé du candidat"));
    m_mistakes = new QPushButton(QStringLiteral("S'entraîner sur &mes erreurs"), tab);
    connect(m_mistakes, &QPushButton::clicked, this, [this] {
        if (!m_record.name.isEmpty())
            Q_EMIT practiseMistakesRequested(m_record.name);
    });
    auto *csv = new QPushButton(QStringLiteral("Exporter en CS&V…"), tab);
    connect(csv, &QPushButton::clicked, this, &fResultats::exportCandidateCsv);
    auto *top = new QHBoxLayout;
    top->addWidget(caption);
    top->addWidget(m_candidate);
    top->addWidget(m_summary, 1);
    top->addWidget(m_mistakes);
    top->addWidget(csv);
    top->addWidget(printButton([this](ReportDestination d) { printCandidate(d); }, tab));

    m_examsModel = new QStandardItemModel(0, 7, this);
    m_examsModel->setHorizontalHeaderLabels({QStringLiteral("Date"), QStringLiteral("Sujet"), QStringLiteral("Note"),
        QStringLiteral("%"), QStringLiteral("Verdict"), QStringLiteral("Temps"), QStringLiteral("État")});
    m_exams = tableOn(m_examsModel, QStringLiteral("Examens du candidat"), tab);
    m_progress = new ChartPanel(
        PlotWidget::Kind::Line, QStringLiteral("Note en pourcentage au fil des examens"), QStringLiteral("Date"), tab);
    m_domains = new ChartPanel(PlotWidget::Kind::Bars,
        QStringLiteral("Réussite par domaine (%1 derniers examens)").arg(kRecentDomainExams), QStringLiteral("Domaine"),
        tab);
    m_missedModel = new QStandardItemModel(0, 4, this);
    m_missedModel->setHorizontalHeaderLabels(
        {QStringLiteral("Question"), QStringLiteral("Manquée"), QStringLiteral("Posée"), QStringLiteral("Énoncé")});
    m_missed = tableOn(m_missedModel, QStringLiteral("Questions les plus souvent manquées"), tab);
    auto *missedCaption = new QLabel(QStringLiteral("Questions les plus souvent manquées"), tab);
    QFont bold = missedCaption->font();
    bold.setBold(true);
    missedCaption->setFont(bold);
    missedCaption->setBuddy(m_missed);
    auto *missedBox = new QWidget(tab);
    auto *missedLayout = new QVBoxLayout(missedBox);
    missedLayout->setContentsMargins(0, 0, 0, 0);
    missedLayout->addWidget(missedCaption);
    missedLayout->addWidget(m_missed, 1);

    auto *grid = new QGridLayout;
    grid->addWidget(m_exams, 0, 0);
    grid->addWidget(m_progress, 0, 1);
    grid->addWidget(missedBox, 1, 0);
    grid->addWidget(m_domains, 1, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    auto *layout = new QVBoxLayout(tab);
    layout->addLayout(top);
    layout->addLayout(grid, 1);
    return tab;
}

QWidget *fResultats::buildClassTab()
{
    auto *tab = new QWidget;
    m_classModel = new QStandardItemModel(0, 6, this);
    m_classModel->setHorizontalHeaderLabels(
        {QStringLiteral("Candidat"), QStringLiteral("Examens"), QStringLiteral("Dernière note"),
            QStringLiteral("Meilleure note"), QStringLiteral("Tendance"), QStringLiteral("Prêt")});
    m_class = tableOn(m_classModel, QStringLiteral("Candidats de la classe"), tab);
    connect(m_class, &QTableView::doubleClicked, this,
        [this](const QModelIndex &index) { showCandidate(index.siblingAtColumn(0).data().toString()); });
    m_classDomainsModel = new QStandardItemModel(0, 4, this);
    m_classDomainsModel->setHorizontalHeaderLabels(
        {QStringLiteral("Domaine"), QStringLiteral("Réponses"), QStringLiteral("Points"), QStringLiteral("Réussite")});
    m_classDomains = tableOn(m_classDomainsModel, QStringLiteral("Domaines pour toute la classe"), tab);
    m_classChart = new ChartPanel(
        PlotWidget::Kind::Bars, QStringLiteral("Réussite de la classe par domaine"), QStringLiteral("Domaine"), tab);

    auto *csv = new QPushButton(QStringLiteral("Exporter en CS&V…"), tab);
    connect(csv, &QPushButton::clicked, this, &fResultats::exportClassCsv);
    auto *hint = new QLabel(QStringLiteral("Prêt : reçu aux %1 derniers examens. Tendance : points de pourcentage "
                                           "gagnés ou perdus par examen sur les %2 derniers. Double-clic sur un "
                                           "candidat : son relevé.")
                                .arg(kReadinessExams)
                                .arg(kTrendExams),
        tab);
    hint->setWordWrap(true);
    auto *top = new QHBoxLayout;
    top->addWidget(hint, 1);
    top->addWidget(csv);
    top->addWidget(printButton([this](ReportDestination d) { printClass(d); }, tab));

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_classDomains, 2);
    bottom->addWidget(m_classChart, 3);
    auto *layout = new QVBoxLayout(tab);
    layout->addLayout(top);
    layout->addWidget(m_class, 3);
    layout->addLayout(bottom, 2);
    return tab;
}

QWidget *fResultats::buildItemsTab()
{
    auto *tab = new QWidget;
    m_itemsModel = new QStandardItemModel(0, 6, this);
    m_itemsModel->setHorizontalHeaderLabels(
        {QStringLiteral("Question"), QStringLiteral("Posée"), QStringLiteral("Facilité"),
            QStringLiteral("Discrimination"), QStringLiteral("À vérifier"), QStringLiteral("Énoncé")});
    m_itemsProxy = new QSortFilterProxyModel(this);
    m_itemsProxy->setFilterKeyColumn(4);
    m_items = tableOn(m_itemsModel, QStringLiteral("Analyse des questions"), tab, m_itemsProxy);
    connect(m_items, &QTableView::doubleClicked, this, &fResultats::openItem);
    const int digit = m_items->fontMetrics().horizontalAdvance(u'0');
    for (const auto &[column, width] : {std::pair{0, 10}, {1, 8}, {2, 10}, {3, 15}, {4, 12}})
        m_items->setColumnWidth(column, width * digit + 16);
    m_toCheckOnly = new QCheckBox(QStringLiteral("Seulement les questions « à &vérifier »"), tab);
    connect(m_toCheckOnly, &QCheckBox::toggled, this,
        [this](bool only) { m_itemsProxy->setFilterFixedString(only ? QStringLiteral("à vérifier") : QString()); });
    m_itemsSummary = new QLabel(tab);
    readAsData(m_itemsSummary, QStringLiteral("Résumé de l'analyse"));
    auto *explain = new QLabel(
        QStringLiteral(
            "Questions posées au moins %1 fois. Facilité : score moyen / 6. Discrimination : score moyen / 6 "
            "du tiers des copies les mieux notées moins celui du tiers le moins bien noté. « À vérifier » : "
            "facilité sous %2 ou discrimination négative. Double-clic : la question en maintenance.")
            .arg(kMinimumSittings)
            .arg(decimal(kLowFacility)),
        tab);
    explain->setWordWrap(true);
    auto *top = new QHBoxLayout;
    top->addWidget(m_toCheckOnly);
    top->addWidget(m_itemsSummary, 1);
    auto *layout = new QVBoxLayout(tab);
    layout->addWidget(explain);
    layout->addLayout(top);
    layout->addWidget(m_items, 1);
    return tab;
}

QPushButton *fResultats::printButton(const std::function<void(ReportDestination)> &print, QWidget *parent)
{
    auto *button = new QPushButton(QStringLiteral("Imp&rimer"), parent);
    auto *menu = new QMenu(button);
    menu->addAction(QStringLiteral("&Aperçu"), this, [print] { print(ReportDestination::Window); });
    menu->addAction(QStringLiteral("&Imprimer…"), this, [print] { print(ReportDestination::Printer); });
    menu->addAction(QStringLiteral("Enregistrer en &PDF…"), this, [print] { print(ReportDestination::Pdf); });
    button->setMenu(menu);
    return button;
}

ResultsReader *fResultats::reader()
{
    if (!m_reader) {
        ResultsStore *store = m_store ? m_store() : nullptr;
        if (!store)
            return nullptr;
        m_reader = std::make_unique<ResultsReader>(store->connection());
    }
    return m_reader.get();
}

DateRange fResultats::range() const
{
    if (m_allDates->isChecked())
        return {};
    return {m_from->date(), m_to->date()};
}

void fResultats::failed(const StoreError &error)
{
    m_state.dialogs().MoxBox(QStringLiteral("Les résultats n'ont pas pu être lus :") + kCrLf + error.description,
        Icon::Error, kTitle, QStringLiteral("OK"));
}

void fResultats::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh();
}

// Back from an exam or a paper grid typed elsewhere, the views follow.
void fResultats::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_reader) {
        ResultsStore *store = m_store();
        if (store && store->connection()->version() != m_seen)
            refresh();
    }
}

void fResultats::refresh()
{
    ResultsReader *results = reader();
    if (!results)
        return;
    m_seen = m_store()->connection()->version();
    StoreError e;
    const auto names = results->candidates(&e);
    if (!names) {
        failed(e);
        return;
    }
    const QString current = m_candidate->currentText();
    {
        const QSignalBlocker blocker(m_candidate);
        m_candidate->clear();
        m_candidate->addItems(*names);
        m_candidate->setCurrentIndex(std::max(0, int(names->indexOf(current))));
    }
    m_stale = {true, true, true};
    fillShownTab();
}

// The class and the questions read every answer of the file: they are
// read when shown, not before.
void fResultats::fillShownTab()
{
    ensureFilled(Tab(m_tabs->currentIndex()));
}

void fResultats::ensureFilled(Tab tab)
{
    if (!m_reader || !m_stale[size_t(tab)])
        return;
    // The first look at the class or the questions reads every answer.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    switch (tab) {
    case CandidateTab:
        fillCandidate();
        break;
    case ClassTab:
        fillClass();
        break;
    case ItemsTab:
        fillItems();
        break;
    }
}

void fResultats::periodChanged()
{
    m_stale[ClassTab] = m_stale[ItemsTab] = true;
    fillShownTab();
}

void fResultats::showCandidate(const QString &name)
{
    const int index = m_candidate->findText(name);
    if (index >= 0)
        m_candidate->setCurrentIndex(index);
    m_tabs->setCurrentIndex(CandidateTab);
}

void fResultats::fillCandidate()
{
    // Only once the file is open: a file that cannot be used was said once.
    ResultsReader *results = m_reader.get();
    if (!results)
        return;
    m_stale[CandidateTab] = false;
    m_record = {};
    if (m_candidate->currentIndex() >= 0) {
        StoreError e;
        auto record = results->candidate(m_candidate->currentText(), &e);
        if (!record) {
            failed(e);
            return;
        }
        m_record = std::move(*record);
    }
    QList<QList<Cell>> rows;
    QList<PlotWidget::Point> progress;
    std::optional<double> pass;
    int counted = 0, passed = 0;
    for (const ExamLine &e : m_record.exams) {
        const bool counts = e.counts();
        rows.append({Cell(dayText(e.started), e.started), e.paper, Cell(markText(e), e.mark ? *e.mark : -1),
            Cell(counts ? percentText(e.percent()) : QStringLiteral("—"), counts ? e.percent() : -1.0),
            counts ? (e.passed() ? QStringLiteral("Reçu") : QStringLiteral("Ajourné")) : QString(),
            Cell(durationText(e.secondsUsed), e.secondsUsed), e.state});
        if (counts) {
            ++counted;
            passed += e.passed() ? 1 : 0;
            progress.append({e.started.toString(QStringLiteral("dd/MM")), e.percent()});
            if (e.maximum > 0)
                pass = 100.0 * e.passMark / e.maximum;
        }
    }
    fill(m_exams, m_examsModel, rows);
    m_progress->setPoints(progress, pass);
    m_domains->setPoints(domainPoints(m_record.domains), pass);

    rows.clear();
    for (const MissedQuestion &q : m_record.missed)
        rows.append({Cell(q.code + u'.' + QString::number(q.numero), referenceKey(q.code, q.numero)),
            Cell(QString::number(q.missed), q.missed), Cell(QString::number(q.sat), q.sat), q.statement.simplified()});
    fill(m_missed, m_missedModel, rows);
    m_mistakes->setEnabled(!m_record.missed.isEmpty());
    const ClassLine line = [this] {
        QList<ExamLine> countedExams;
        for (const ExamLine &e : m_record.exams)
            if (e.counts())
                countedExams.append(e);
        return classLine(m_record.name, countedExams);
    }();
    m_summary->setText(m_record.name.isEmpty()
            ? QStringLiteral("Aucun candidat dans le fichier des résultats.")
            : QStringLiteral("%1 examen(s) noté(s), %2 reçu(s) ; tendance : %3 ; %4.")
                  .arg(counted)
                  .arg(passed)
                  .arg(trendWord(line.trend), readinessWord(line.readiness)));
}

void fResultats::fillClass()
{
    // Only once the file is open: a file that cannot be used was said once.
    ResultsReader *results = m_reader.get();
    if (!results)
        return;
    m_stale[ClassTab] = false;
    StoreError e;
    auto view = results->classView(range(), &e);
    if (!view) {
        failed(e);
        return;
    }
    m_classView = std::move(*view);
    auto markCell = [](const std::optional<ExamLine> &e) {
        return e ? Cell(QStringLiteral("%1 (%2)").arg(markText(*e), percentText(e->percent())), e->percent())
                 : Cell(QStringLiteral("—"), -1.0);
    };
    QList<QList<Cell>> rows;
    for (const ClassLine &c : m_classView.candidates) {
        rows.append({c.candidate, Cell(QString::number(c.exams), c.exams), markCell(c.last), markCell(c.best),
            Cell(trendWord(c.trend), c.trend.value_or(0)),
            Cell(readinessWord(c.readiness),
                int(c.readiness == Readiness::Ready) - int(c.readiness == Readiness::NotReady))});
    }
    fill(m_class, m_classModel, rows);
    rows.clear();
    for (const DomainRate &d : m_classView.domains)
        rows.append({d.name.isEmpty() ? d.code : d.name, Cell(QString::number(d.answers), d.answers),
            Cell(QString::number(d.points), d.points), Cell(percentText(100 * d.rate()), d.rate())});
    fill(m_classDomains, m_classDomainsModel, rows);
    m_classChart->setPoints(domainPoints(m_classView.domains), std::nullopt);
}

void fResultats::fillItems()
{
    // Only once the file is open: a file that cannot be used was said once.
    ResultsReader *results = m_reader.get();
    if (!results)
        return;
    m_stale[ItemsTab] = false;
    StoreError e;
    const auto items = results->items(range(), &e);
    if (!items) {
        failed(e);
        return;
    }
    QList<QList<Cell>> rows;
    rows.reserve(items->size());
    int flagged = 0;
    for (const ItemLine &i : *items) {
        const bool check = i.stats.toCheck();
        flagged += check ? 1 : 0;
        rows.append({Cell(i.reference(), referenceKey(i.code, i.numero)), Cell(QString::number(i.sat), i.sat),
            Cell(decimal(i.stats.facility), i.stats.facility),
            Cell(decimal(i.stats.discrimination), i.stats.discrimination),
            check ? QStringLiteral("à vérifier") : QString(), i.statement.simplified()});
    }
    fill(m_items, m_itemsModel, rows, false);
    m_itemsSummary->setText(
        QStringLiteral("%1 question(s) analysée(s), %2 à vérifier.").arg(items->size()).arg(flagged));
}

void fResultats::openItem(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    if (!m_state.isBound()) {
        m_state.dialogs().MoxBox(QStringLiteral("Aucune base de données n'est ouverte : choisissez d'abord une base."),
            Icon::Warning, kTitle, QStringLiteral("OK"));
        return;
    }
    Corrections::openInEditor(m_state, index.siblingAtColumn(0).data().toString());
}

QString fResultats::askCsvPath(const QString &suggested)
{
    DialogService &dialogs = m_state.dialogs();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString folder = QFileInfo(documents).isDir() ? documents : QDir::homePath();
    QString path = dialogs.saveFileName({QStringLiteral("Exporter en CSV"),
        {{QStringLiteral("Fichiers CSV"), QStringLiteral("*.csv")}}, QDir(folder).filePath(safeFileName(suggested))});
    if (path.isEmpty())
        return {};
    if (!path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        path += QStringLiteral(".csv");
    if (QFileInfo::exists(path) && !dialogs.confirmReplace(QFileInfo(path).fileName()))
        return {};
    return path;
}

// A table as shown, its headings first: the exams of the candidate's tab or
// the lines of the class's.
QList<QStringList> fResultats::shownRows(Tab tab)
{
    ensureFilled(tab);
    const QStandardItemModel *model = tab == CandidateTab ? m_examsModel : m_classModel;
    QList<QStringList> rows{headersOf(model)};
    for (int r = 0; r < model->rowCount(); ++r)
        rows.append(cellsOf(model, r));
    return rows;
}

void fResultats::exportCandidateCsv()
{
    if (m_record.name.isEmpty())
        return;
    const QString path = askCsvPath(QStringLiteral("Relevé de %1.csv").arg(m_record.name));
    if (path.isEmpty())
        return;
    QList<QStringList> rows = shownRows(CandidateTab);
    const QStringList header = rows.takeFirst();
    QString error;
    if (!writeCsvFile(path,
            csvDocument(QStringList{QStringLiteral("Candidat")} + header,
                [&] {
                    QList<QStringList> named;
                    for (const QStringList &r : rows)
                        named.append(QStringList{m_record.name} + r);
                    return named;
                }()),
            &error))
        m_state.dialogs().MoxBox(error, Icon::Error, QStringLiteral("Exporter en CSV"), QStringLiteral("OK"));
}

void fResultats::exportClassCsv()
{
    const QString path = askCsvPath(QStringLiteral("Résultats de la classe.csv"));
    if (path.isEmpty())
        return;
    QList<QStringList> rows = shownRows(ClassTab);
    const QStringList header = rows.takeFirst();
    QString error;
    if (!writeCsvFile(path, csvDocument(header, rows), &error))
        m_state.dialogs().MoxBox(error, Icon::Error, QStringLiteral("Exporter en CSV"), QStringLiteral("OK"));
}

void fResultats::importResults()
{
    ResultsStore *store = m_store ? m_store() : nullptr;
    if (!store)
        return;
    DialogService &dialogs = m_state.dialogs();
    const QString path = dialogs.openFileName({QStringLiteral("Importer des résultats"),
        {{QStringLiteral("Fichiers de résultats"), QStringLiteral("*.sqlite")},
            {QStringLiteral("Tous les fichiers"), QStringLiteral("*")}},
        {}});
    if (path.isEmpty())
        return;
    const MergeOutcome out = mergeResults(
        store->connection(), path, [&dialogs](const QString &theirs, const QString &ours) {
            const int answer = dialogs.MoxBoxOrClose(
                QStringLiteral("Le candidat « %1 » du fichier importé est-il « %2 » de ce fichier ?").arg(theirs, ours)
                    + kCrLf + kCrLf
                    + QStringLiteral("Oui : ses examens rejoignent ceux de « %1 ». Non : il reste un candidat à part.")
                          .arg(ours),
                Icon::Question, QStringLiteral("Importer des résultats"), QStringLiteral("Oui"), QStringLiteral("Non"),
                QStringLiteral("Annuler"));
            return answer == 0 ? SameCandidate::Yes : answer == 1 ? SameCandidate::No : SameCandidate::Cancel;
        });
    if (out.cancelled) {
        dialogs.MoxBox(QStringLiteral("Importation annulée : rien n'a été importé."), Icon::Information,
            QStringLiteral("Importer des résultats"), QStringLiteral("OK"));
        return;
    }
    if (out.error) {
        dialogs.MoxBox(
            out.error.description, Icon::Error, QStringLiteral("Importer des résultats"), QStringLiteral("OK"));
        return;
    }
    refresh();
    dialogs.MoxBox(
        QStringLiteral("%1 examen(s) importé(s), %2 déjà présent(s).").arg(out.examsAdded).arg(out.examsAlreadyThere)
            + kCrLf
            + QStringLiteral("%1 nouveau(x) candidat(s), %2 reconnu(s).")
                  .arg(out.candidatesAdded)
                  .arg(out.candidatesMatched),
        Icon::Information, QStringLiteral("Importer des résultats"), QStringLiteral("OK"));
}

void fResultats::printCandidate(ReportDestination destination)
{
    if (m_record.name.isEmpty())
        return;
    auto sheet = std::make_shared<TableSheet>();
    sheet->name = m_record.name;
    sheet->date = m_state.dialogs().today().toString(QStringLiteral("dd/MM/yyyy"));
    QList<QStringList> exams = shownRows(CandidateTab);
    const QStringList examHeadings = exams.takeFirst();
    sheet->sections.append({QStringLiteral("Examens"), examHeadings, exams, 1});
    QList<QStringList> domains;
    for (const DomainRate &d : m_record.domains)
        domains.append({d.name.isEmpty() ? d.code : d.name, QString::number(d.answers), percentText(100 * d.rate())});
    sheet->sections.append({QStringLiteral("Réussite par domaine (%1 derniers examens)").arg(kRecentDomainExams),
        {QStringLiteral("Domaine"), QStringLiteral("Réponses"), QStringLiteral("Réussite")}, domains, 0});
    QList<QStringList> missed;
    for (int r = 0; r < m_missedModel->rowCount(); ++r)
        missed.append(cellsOf(m_missedModel, r));
    sheet->sections.append(
        {QStringLiteral("Questions les plus souvent manquées"), headersOf(m_missedModel), missed, 3});
    ReportRequest request;
    request.layoutPath = m_state.AppFolder() + kCandidateLayout;
    request.destination = destination;
    request.title = QStringLiteral("Relevé de %1").arg(m_record.name);
    request.tableSheet = sheet;
    runReport(request, request.title);
}

void fResultats::printClass(ReportDestination destination)
{
    ensureFilled(ClassTab);
    auto sheet = std::make_shared<TableSheet>();
    sheet->name = QStringLiteral("Résultats de la classe");
    const DateRange period = range();
    sheet->date = period.from.isValid()
        ? QStringLiteral("du %1 au %2")
              .arg(period.from.toString(QStringLiteral("dd/MM/yyyy")), period.to.toString(QStringLiteral("dd/MM/yyyy")))
        : QStringLiteral("au %1").arg(m_state.dialogs().today().toString(QStringLiteral("dd/MM/yyyy")));
    QList<QStringList> lines = shownRows(ClassTab);
    const QStringList headings = lines.takeFirst();
    sheet->sections.append({QStringLiteral("Candidats"), headings, lines, 0});
    QList<QStringList> domains;
    for (int r = 0; r < m_classDomainsModel->rowCount(); ++r)
        domains.append(cellsOf(m_classDomainsModel, r));
    sheet->sections.append({QStringLiteral("Réussite par domaine"), headersOf(m_classDomainsModel), domains, 0});
    ReportRequest request;
    request.layoutPath = m_state.AppFolder() + kClassLayout;
    request.destination = destination;
    request.title = QStringLiteral("Résultats de la classe");
    request.tableSheet = sheet;
    runReport(request, request.title);
}

void fResultats::runReport(ReportRequest request, const QString &documentName)
{
    DialogService &dialogs = m_state.dialogs();
    const QString printTitle = QStringLiteral("Imprimer « %1 »").arg(documentName);
    if (request.destination == ReportDestination::Pdf) {
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString folder = QFileInfo(documents).isDir() ? documents : QDir::homePath();
        QString path = dialogs.saveFileName(
            {QStringLiteral("Enregistrer en PDF"), {{QStringLiteral("Fichiers PDF"), QStringLiteral("*.pdf")}},
                QDir(folder).filePath(safeFileName(documentName + QStringLiteral(".pdf")))});
        if (path.isEmpty())
            return;
        if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
            path += QStringLiteral(".pdf");
        if (QFileInfo::exists(path) && !dialogs.confirmReplace(QFileInfo(path).fileName()))
            return;
        request.pdfPath = path;
    } else if (request.destination == ReportDestination::Printer) {
        const std::optional<int> copies = dialogs.printDialog({printTitle, 1});
        if (!copies)
            return;
        request.copies = *copies;
    } else {
        request.preview = previewFactory(this, dialogPreviewServices(dialogs));
    }
    const ReportOutcome outcome = m_runReport(request);
    if (outcome.code == ReportCode::Ok) {
        if (request.destination == ReportDestination::Pdf)
            dialogs.MoxBox(QStringLiteral("Le document est enregistré dans le fichier :") + kCrLf + request.pdfPath,
                Icon::Pdf, QStringLiteral("Enregistrement en PDF"), QStringLiteral("OK"));
        return;
    }
    dialogs.MoxBox(
        QStringLiteral("« %1 » n'a pas pu être imprimé.").arg(documentName) + kCrLf + kCrLf + outcome.message,
        Icon::Printer, kTitle, QStringLiteral("OK"));
}

} // namespace qcm
