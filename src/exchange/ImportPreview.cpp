#include "ImportPreview.h"

#include "ui/Pictures.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace qcm {

namespace {

QString count(qsizetype n, const QString &one, const QString &many)
{
    return QStringLiteral("%1 %2").arg(QLocale(QLocale::French).toString(qint64(n)), n > 1 ? many : one);
}

QString oneLine(const QString &text)
{
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(u'\n', u' ');
    return line;
}

QString pointsText(const Question &q)
{
    QStringList points;
    for (int k = 0; k < kChoiceCount; ++k)
        if (q.hasChoice(k) || q.val[size_t(k)])
            points << QStringLiteral("%1 %2")
                          .arg(QChar(u'A' + k))
                          .arg(q.val[size_t(k)] ? QString::number(*q.val[size_t(k)]) : QStringLiteral("–"));
    return points.join(QStringLiteral(", "));
}

QString specialitiesText(const Question &q)
{
    QStringList names;
    for (int s = 0; s < kSpecialityCount; ++s)
        if (q.flags[size_t(s)])
            names << specialityInfo(Speciality(s)).caption;
    return names.isEmpty() ? QStringLiteral("aucune") : names.join(QStringLiteral(", "));
}

// The lines of a question as the side-by-side view shows them.
QStringList questionLines(const Question &q)
{
    QStringList lines{QStringLiteral("Libellé : ") + oneLine(q.libelle)};
    for (int k = 0; k < kChoiceCount; ++k) {
        const auto &v = q.val[size_t(k)];
        lines << QStringLiteral("%1 (%2) : %3")
                     .arg(QChar(u'A' + k))
                     .arg(v ? QString::number(*v) : QStringLiteral("–"), oneLine(q.lib[size_t(k)]));
    }
    lines << QStringLiteral("Spécialités : ") + specialitiesText(q);
    return lines;
}

// The question with the lines that differ from the other one marked.
QString sideHtml(const Question &q, const Question &other)
{
    const QStringList mine = questionLines(q), theirs = questionLines(other);
    QString html = QStringLiteral("<p><b>%1</b></p>").arg(Exchange::reference(q.code, q.numero).toHtmlEscaped());
    for (qsizetype i = 0; i < mine.size(); ++i) {
        const QString line = mine.at(i).toHtmlEscaped();
        html += mine.at(i) == theirs.value(i)
            ? QStringLiteral("<p>%1</p>").arg(line)
            : QStringLiteral("<p style=\"background-color:#ffe58a\"><b>%1</b></p>").arg(line);
    }
    return html;
}

QString planSummary(const ImportPlan &plan, const QString &fileName)
{
    QString text = QStringLiteral("Fichier « %1 » (format %2) : %3 dans %4.")
                       .arg(fileName, exchangeFormatInfo(plan.format).name,
                           count(plan.questionsRead, QStringLiteral("question lue"), QStringLiteral("questions lues")),
                           count(plan.domainsRead, QStringLiteral("domaine"), QStringLiteral("domaines")));
    text += QStringLiteral("\n%1, %2, %3, %4.")
                .arg(count(plan.added.size(), QStringLiteral("nouvelle"), QStringLiteral("nouvelles")),
                    count(plan.replacements.size(), QStringLiteral("remplacerait une question de la banque"),
                        QStringLiteral("remplaceraient une question de la banque")),
                    count(plan.unchanged, QStringLiteral("identique à la banque"),
                        QStringLiteral("identiques à la banque")),
                    count(plan.refused.size(), QStringLiteral("refusée"), QStringLiteral("refusées")));
    if (!plan.newDomains.isEmpty()) {
        QStringList names;
        for (const Domain &d : plan.newDomains)
            names << QStringLiteral("%1 %2").arg(d.code, d.libelle);
        text += QStringLiteral("\nDomaines à créer : %1.").arg(names.join(QStringLiteral(", ")));
    }
    return text;
}

} // namespace

PlanListModel::PlanListModel(List list, QObject *parent) : QAbstractTableModel(parent), m_list(list) { }

void PlanListModel::setPlan(const ImportPlan *plan)
{
    beginResetModel();
    m_plan = plan;
    endResetModel();
}

int PlanListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_plan)
        return 0;
    switch (m_list) {
    case List::Added:
        return int(m_plan->added.size());
    case List::Replacements:
        return int(m_plan->replacements.size());
    case List::Refused:
        return int(m_plan->refused.size());
    }
    return 0;
}

int PlanListModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_list == List::Refused ? 2 : m_list == List::Added ? 5 : 4;
}

QVariant PlanListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QStringList added{QStringLiteral("Domaine"), QStringLiteral("N°"), QStringLiteral("Libellé"),
        QStringLiteral("Points"), QStringLiteral("Dans le fichier")};
    static const QStringList replaced{
        QStringLiteral("Domaine"), QStringLiteral("N°"), QStringLiteral("Libellé"), QStringLiteral("Dans le fichier")};
    static const QStringList refused{QStringLiteral("Dans le fichier"), QStringLiteral("Raison")};
    const QStringList &names = m_list == List::Refused ? refused : m_list == List::Added ? added : replaced;
    return names.value(section);
}

QVariant PlanListModel::data(const QModelIndex &index, int role) const
{
    if (!m_plan || !index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const int row = index.row(), column = index.column();
    if (m_list == List::Refused) {
        const ImportRefusal &r = m_plan->refused.at(row);
        return column == 0 ? r.where : r.reason;
    }
    const bool added = m_list == List::Added;
    const Question &q = added ? m_plan->added.at(row).question : m_plan->replacements.at(row).incoming;
    const QString &domain = added ? m_plan->added.at(row).domainName : m_plan->replacements.at(row).domainName;
    const QString &where = added ? m_plan->added.at(row).where : m_plan->replacements.at(row).where;
    switch (column) {
    case 0:
        return QStringLiteral("%1 %2").arg(q.code, domain);
    case 1:
        return q.numero;
    case 2:
        return oneLine(q.libelle);
    case 3:
        return added ? pointsText(q) : where;
    case 4:
        return where;
    default:
        return {};
    }
}

ImportPreview::ImportPreview(const ImportPlanner &planner, const QString &fileName, QWidget *parent)
    : QDialog(parent), m_planner(planner), m_fileName(fileName)
{
    setObjectName(QStringLiteral("ImportPreview"));
    setWindowTitle(QStringLiteral("Importer des questions"));
    setWindowIcon(appIcon());

    m_summary = new QLabel(this);
    m_summary->setWordWrap(true);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_summary->setAccessibleDescription(QStringLiteral("Ce que l'import ferait"));

    // Specialities for the questions of the file that have none.
    m_givenRow = new QWidget(this);
    auto *given = new QGridLayout(m_givenRow);
    given->setContentsMargins(0, 0, 0, 0);
    auto *givenCaption = new QLabel(m_givenRow);
    givenCaption->setObjectName(QStringLiteral("givenCaption"));
    givenCaption->setWordWrap(true);
    given->addWidget(givenCaption, 0, 0, 1, 3);
    for (int s = 0; s < kSpecialityCount; ++s) {
        auto *box = new QCheckBox(specialityInfo(Speciality(s)).caption, m_givenRow);
        m_given[size_t(s)] = box;
        given->addWidget(box, 1 + s / 3, s % 3);
        connect(box, &QCheckBox::toggled, this, &ImportPreview::replan);
    }

    m_tabs = new QTabWidget(this);
    const std::array<PlanListModel::List, 3> lists{
        PlanListModel::List::Added, PlanListModel::List::Replacements, PlanListModel::List::Refused};
    const std::array<QString, 3> names{QStringLiteral("Questions nouvelles"),
        QStringLiteral("Questions qui remplaceraient une question de la banque"), QStringLiteral("Questions refusées")};
    for (size_t i = 0; i < lists.size(); ++i) {
        m_models[i] = new PlanListModel(lists[i], this);
        auto *view = new QTableView(this);
        view->setModel(m_models[i]);
        view->setAccessibleName(names[i]);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setWordWrap(false);
        view->verticalHeader()->hide();
        view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 8);
        view->horizontalHeader()->setStretchLastSection(true);
        m_views[i] = view;
    }
    m_views[0]->setColumnWidth(0, 200);
    m_views[0]->setColumnWidth(1, 50);
    m_views[0]->setColumnWidth(2, 380);
    m_views[0]->setColumnWidth(3, 170);
    m_views[1]->setColumnWidth(0, 200);
    m_views[1]->setColumnWidth(1, 50);
    m_views[1]->setColumnWidth(2, 480);
    m_views[2]->setColumnWidth(0, 230);
    m_tabs->addTab(m_views[0], QString());

    // Replacements: the list, and the chosen one beside the stored question.
    auto *replacements = new QSplitter(Qt::Vertical, this);
    replacements->addWidget(m_views[1]);
    auto *sides = new QWidget(replacements);
    auto *sidesLayout = new QGridLayout(sides);
    sidesLayout->setContentsMargins(0, 4, 0, 0);
    m_stored = new QTextBrowser(sides);
    m_incoming = new QTextBrowser(sides);
    m_stored->setAccessibleName(QStringLiteral("Question dans la banque"));
    m_incoming->setAccessibleName(QStringLiteral("Question dans le fichier"));
    auto *storedCaption = new QLabel(QStringLiteral("Dans la banque"), sides);
    auto *incomingCaption = new QLabel(QStringLiteral("Dans le fichier"), sides);
    storedCaption->setBuddy(m_stored);
    incomingCaption->setBuddy(m_incoming);
    QFont bold = storedCaption->font();
    bold.setBold(true);
    storedCaption->setFont(bold);
    incomingCaption->setFont(bold);
    sidesLayout->addWidget(storedCaption, 0, 0);
    sidesLayout->addWidget(incomingCaption, 0, 1);
    sidesLayout->addWidget(m_stored, 1, 0);
    sidesLayout->addWidget(m_incoming, 1, 1);
    replacements->addWidget(sides);
    replacements->setStretchFactor(0, 1);
    replacements->setStretchFactor(1, 2);
    m_tabs->addTab(replacements, QString());
    connect(m_views[1]->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex &current) { showReplacement(current.row()); });
    m_tabs->addTab(m_views[2], QString());

    // A tab only when there are notes: kept hidden until then.
    m_notesPage = new QScrollArea(this);
    m_notesPage->hide();
    m_notes = new QLabel(m_notesPage);
    m_notes->setWordWrap(true);
    m_notes->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_notes->setMargin(8);
    m_notes->setTextInteractionFlags(Qt::TextSelectableByMouse);
    static_cast<QScrollArea *>(m_notesPage)->setWidget(m_notes);
    static_cast<QScrollArea *>(m_notesPage)->setWidgetResizable(true);

    auto *buttons = new QDialogButtonBox(this);
    m_add = buttons->addButton(QStringLiteral("&Ajouter les nouvelles questions"), QDialogButtonBox::AcceptRole);
    m_replace = buttons->addButton(QStringLiteral("Ajouter et &remplacer"), QDialogButtonBox::AcceptRole);
    m_cancel = buttons->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole);
    m_add->setDefault(true);
    connect(m_add, &QPushButton::clicked, this, [this] { finish(AddNew); });
    connect(m_replace, &QPushButton::clicked, this, [this] { finish(AddAndReplace); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { finish(Cancelled); });

    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(10);
    layout->addWidget(m_summary);
    layout->addWidget(m_givenRow);
    layout->addWidget(m_tabs, 1);
    layout->addWidget(buttons);

    replan();
    resize(1080, 640);
}

ImportPreview::~ImportPreview() = default;

QTableView *ImportPreview::list(PlanListModel::List which) const
{
    return m_views[size_t(which)];
}

void ImportPreview::replan()
{
    std::array<bool, kSpecialityCount> given{};
    for (int s = 0; s < kSpecialityCount; ++s)
        given[size_t(s)] = m_given[size_t(s)]->isChecked();
    for (PlanListModel *model : m_models)
        model->setPlan(nullptr);
    m_plan = m_planner.plan(given);
    for (PlanListModel *model : m_models)
        model->setPlan(&m_plan);

    m_summary->setText(planSummary(m_plan, m_fileName));
    m_givenRow->setVisible(m_plan.withoutSpeciality > 0);
    m_givenRow->findChild<QLabel *>(QStringLiteral("givenCaption"))
        ->setText(QStringLiteral("%1 dans le fichier sans aucune spécialité ; les spécialités cochées ici leur sont "
                                 "données :")
                      .arg(count(m_plan.withoutSpeciality, QStringLiteral("question"), QStringLiteral("questions"))));
    m_tabs->setTabText(0, QStringLiteral("Nouvelles (%1)").arg(m_plan.added.size()));
    m_tabs->setTabText(1, QStringLiteral("Remplacements (%1)").arg(m_plan.replacements.size()));
    m_tabs->setTabText(2, QStringLiteral("Refusées (%1)").arg(m_plan.refused.size()));
    const int notesTab = m_tabs->indexOf(m_notesPage);
    if (m_plan.notes.isEmpty()) {
        if (notesTab >= 0)
            m_tabs->removeTab(notesTab);
    } else {
        m_notes->setText(m_plan.notes.join(QStringLiteral("\n\n")));
        if (notesTab < 0)
            m_tabs->addTab(m_notesPage, QString());
        m_tabs->setTabText(m_tabs->indexOf(m_notesPage), QStringLiteral("Remarques (%1)").arg(m_plan.notes.size()));
    }
    if (!m_plan.replacements.isEmpty())
        m_views[1]->selectRow(0);
    showReplacement(m_plan.replacements.isEmpty() ? -1 : 0);

    m_add->setEnabled(m_plan.writesSomething(ExistingQuestions::Keep));
    m_replace->setEnabled(!m_plan.replacements.isEmpty());
    // The first list with something in it is the one shown.
    if (m_plan.added.isEmpty())
        m_tabs->setCurrentIndex(!m_plan.replacements.isEmpty() ? 1 : !m_plan.refused.isEmpty() ? 2 : 0);
}

void ImportPreview::showReplacement(int row)
{
    if (row < 0 || row >= m_plan.replacements.size()) {
        m_stored->clear();
        m_incoming->clear();
        return;
    }
    const PlannedReplacement &r = m_plan.replacements.at(row);
    m_stored->setHtml(sideHtml(r.stored, r.incoming));
    m_incoming->setHtml(sideHtml(r.incoming, r.stored));
}

void ImportPreview::finish(Choice choice)
{
    m_choice = choice;
    choice == Cancelled ? reject() : accept();
}

} // namespace qcm
