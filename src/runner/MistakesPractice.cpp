#include "MistakesPractice.h"

#include "fQCM.h"

#include "search/SearchField.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace qcm {

namespace {

const QString kTitle = QStringLiteral("Mes erreurs");
constexpr int kPaneWidth = 250;
constexpr int kPaneLeast = 170;
constexpr int kGap = 10;

} // namespace

CandidateBox::CandidateBox(QWidget *parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("cmbCandidat"));
    setAccessibleName(QStringLiteral("Candidat"));
    setToolTip(QStringLiteral("Les contrôles des questions sont enregistrés pour ce candidat ; vide : aucun "
                              "enregistrement"));
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    lineEdit()->setMaxLength(kCandidateNameMax);
    lineEdit()->setPlaceholderText(QStringLiteral("aucun"));
    lineEdit()->setAccessibleName(accessibleName());
}

void CandidateBox::showPopup()
{
    refill();
    QComboBox::showPopup();
}

void CandidateBox::refill()
{
    if (!m_log)
        return;
    const QString typed = currentText();
    clear();
    addItem(QString());
    addItems(m_log->candidates());
    setEditText(typed);
}

MistakesPractice::MistakesPractice(fQCM &window, QCMBas &state) : QObject(&window), m_window(window), m_state(state)
{
    m_field = new QWidget(window.fra());
    m_candidate = new CandidateBox(m_field);
    auto *label = new QLabel(QStringLiteral("Candidat"), m_field);
    label->setBuddy(m_candidate);
    auto *row = new QHBoxLayout(m_field);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(label);
    row->addWidget(m_candidate, 1);
    m_candidate->setMinimumWidth(220);

    m_pane = new QFrame(&window);
    m_pane->setObjectName(QStringLiteral("fraErreurs"));
    m_pane->setAccessibleName(kTitle);
    m_pane->setFrameShape(QFrame::Box);
    m_pane->setAutoFillBackground(true);
    m_pane->setPalette(window.fra()->palette());
    m_heading = new QLabel(m_pane);
    m_heading->setObjectName(QStringLiteral("lblErreurs"));
    m_heading->setAccessibleDescription(kTitle);
    m_heading->setWordWrap(true);
    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);
    m_model = new QStringListModel(this);
    m_list = new QListView(m_pane);
    m_list->setObjectName(QStringLiteral("lstErreurs"));
    m_list->setAccessibleName(QStringLiteral("Questions à revoir"));
    m_list->setModel(m_model);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setWordWrap(true);
    connect(m_list, &QListView::clicked, this, [this](const QModelIndex &index) { show(index.row()); });
    connect(m_list, &QListView::activated, this, [this](const QModelIndex &index) { show(index.row()); });
    m_back = new QPushButton(QStringLiteral("&Retour aux domaines"), m_pane);
    m_back->setObjectName(QStringLiteral("cmdRetourDomaines"));
    connect(m_back, &QPushButton::clicked, this, &MistakesPractice::leave);
    auto *layout = new QVBoxLayout(m_pane);
    layout->addWidget(m_heading);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_back);
    m_pane->hide();

    // Whatever brings a domain's question back ends the practice of mistakes first.
    connect(&m_state, &QCMBas::runnerQuestionRequested, this, [this] {
        if (active())
            leave();
    });
    connect(&m_state, &QCMBas::fillDomainListRequested, this, [this] {
        if (active())
            leave();
    });
}

MistakesPractice::~MistakesPractice() = default;

void MistakesPractice::setLog(std::unique_ptr<PracticeLog> log)
{
    m_log = std::move(log);
    m_candidate->setLog(m_log.get());
}

void MistakesPractice::checked()
{
    const QString name = m_candidate->currentText().trimmed();
    const std::optional<Question> &question = m_window.questionOnView();
    if (!m_log || name.isEmpty() || !question)
        return;
    if (const QString why = candidateRefusal(name); !why.isEmpty()) {
        m_state.dialogs().MoxBox(why + QStringLiteral("\r\nLe contrôle n'est pas enregistré."), Icon::Warning,
            QStringLiteral("Candidat"), QStringLiteral("OK"));
        return;
    }
    quint8 ticks = 0;
    for (int i = 0; i < kChoiceCount; ++i)
        if (m_window.chkVal(i)->isChecked())
            ticks |= quint8(1u << i);
    const std::optional<int> score = m_log->recordCheck(name, *question, ticks);
    if (!score || !active() || m_current < 0)
        return;
    // The count shown follows the check; the list itself is read again next time.
    ListedMistake &entry = m_entries[m_current];
    if (question->code == entry.question.code && question->numero == entry.question.numero) {
        entry.mistake.rightInARow = *score >= 6 ? entry.mistake.rightInARow + 1 : 0;
        m_model->setData(m_model->index(m_current), entryText(entry));
    }
}

QString MistakesPractice::entryText(const ListedMistake &entry) const
{
    const Mistake &m = entry.mistake;
    QString text = QStringLiteral("%1.%2 – %3").arg(m.domainCode).arg(m.numero).arg(firstWords(entry.question.libelle));
    if (m.rightInARow >= kRightToLeave)
        text += QStringLiteral("\n✓ réussie %1 fois de suite : revue").arg(m.rightInARow);
    else if (m.rightInARow > 0)
        text += QStringLiteral("\nréussie %1 fois de suite sur %2").arg(m.rightInARow).arg(kRightToLeave);
    return text;
}

bool MistakesPractice::start(const QString &candidate)
{
    if (!m_log)
        return false;
    if (!m_state.isBound()) {
        m_state.dialogs().MoxBox(QStringLiteral("Aucune base de données n'est ouverte : choisissez d'abord une base."),
            Icon::Warning, kTitle, QStringLiteral("OK"));
        return false;
    }
    const std::optional<QList<Mistake>> mistakes = m_log->mistakes(candidate);
    if (!mistakes)
        return false;
    m_entries.clear();
    int gone = 0;
    const BankModel bank = m_state.bank();
    for (const Mistake &m : *mistakes) {
        if (std::optional<Question> q = bank.question(m.domainCode, m.numero))
            m_entries.append({m, std::move(*q)});
        else
            ++gone;
    }
    if (m_entries.isEmpty()) {
        m_state.dialogs().MoxBox(gone > 0
                ? QStringLiteral("Les questions manquées par %1 ne sont plus dans cette banque.").arg(candidate)
                : QStringLiteral("%1 n'a aucune erreur à revoir : chaque question manquée a été réussie "
                                 "%2 fois de suite depuis.")
                      .arg(candidate)
                      .arg(kRightToLeave),
            Icon::Information, kTitle, QStringLiteral("OK"));
        return false;
    }
    QStringList texts;
    for (const ListedMistake &e : std::as_const(m_entries))
        texts.append(entryText(e));
    m_model->setStringList(texts);
    m_practising = candidate;
    m_candidate->setEditText(candidate);
    QString heading = QStringLiteral("%1 : %2 question(s) à revoir").arg(candidate).arg(m_entries.size());
    if (gone > 0)
        heading += QStringLiteral(" (%1 autre(s), supprimée(s) de la banque, ne sont pas montrées)").arg(gone);
    m_heading->setText(heading);
    setActive(true);
    show(0);
    return true;
}

void MistakesPractice::setActive(bool on)
{
    m_pane->setVisible(on);
    // The domains wait until the mistakes are left.
    m_window.lstDomaine()->setEnabled(!on);
    m_window.txtRecherche()->setEnabled(!on);
    if (on)
        place();
}

void MistakesPractice::leave()
{
    setActive(false);
    m_entries.clear();
    m_model->setStringList({});
    m_current = -1;
    m_window.ShowQuestion(m_state.CurrentIndex);
    m_window.ApplyLearnMode();
}

void MistakesPractice::step(int delta)
{
    const int row = m_current + delta;
    if (row < 0 || row >= m_entries.size()) {
        m_state.dialogs().MoxBox(row < 0 ? QStringLiteral("C'est la première erreur de la liste.")
                                         : QStringLiteral("C'est la dernière erreur de la liste."),
            Icon::Information, kTitle);
        return;
    }
    show(row);
}

void MistakesPractice::show(int row)
{
    if (row < 0 || row >= m_entries.size())
        return;
    m_current = row;
    m_list->setCurrentIndex(m_model->index(row));
    m_window.displayQuestion(m_entries.at(row).question);
    m_window.lbl(1)->setText(QStringLiteral("Erreur n° %1 sur %2").arg(row + 1).arg(m_entries.size()));
    m_window.ApplyLearnMode();
}

void MistakesPractice::place()
{
    if (!active())
        return;
    QFrame *panel = m_window.fra();
    int room = panel->x() - 2 * kGap;
    if (room < kPaneLeast) {
        panel->move(panel->x() + kPaneLeast - room, panel->y());
        room = kPaneLeast;
    }
    const int width = std::min(room, kPaneWidth);
    m_pane->setGeometry(panel->x() - kGap - width, panel->y(), width, panel->height());
    m_pane->raise();
}

} // namespace qcm
