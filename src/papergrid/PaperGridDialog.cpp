#include "PaperGridDialog.h"

#include "exam/ExamPaper.h"
#include "exam/Marking.h"
#include "exam/fExamSetup.h"
#include "ui/WindowPlacement.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace qcm {

namespace {

const QString kTitle = QStringLiteral("Saisir une copie papier");
const QString kCrLf = QStringLiteral("\r\n");

enum Column { Number, Statement, Letters, ColumnCount };

// Up and Down walk the rows from the typing field, as on the paper.
class RowKeys : public QObject {
public:
    RowKeys(PaperGridDialog *box) : QObject(box), m_box(box) { }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            m_box->goToRow(m_box->currentRow() + (key == Qt::Key_Up ? -1 : 1));
            return true;
        }
        return false;
    }

private:
    PaperGridDialog *m_box;
};

} // namespace

PaperGridModel::PaperGridModel(PaperGrid &grid, QObject *parent) : QAbstractTableModel(parent), m_grid(grid) { }

int PaperGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_grid.rowCount();
}

int PaperGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PaperGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_grid.rowCount())
        return {};
    const int row = index.row();
    if (role == Qt::TextAlignmentRole && index.column() != Statement)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    switch (index.column()) {
    case Number:
        return row + 1;
    case Statement:
        return firstWords(m_grid.question(row).statement);
    case Letters:
        if (!m_grid.isTyped(row))
            return role == Qt::AccessibleTextRole ? QStringLiteral("pas encore saisie") : QString();
        if (m_grid.rowLetters(row).isEmpty())
            return QStringLiteral("aucune");
        return m_grid.rowLetters(row);
    default:
        return {};
    }
}

QVariant PaperGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Number:
        return QStringLiteral("Ligne");
    case Statement:
        return QStringLiteral("Question");
    case Letters:
        return QStringLiteral("Cochées");
    default:
        return {};
    }
}

void PaperGridModel::reset()
{
    beginResetModel();
    endResetModel();
}

void PaperGridModel::rowChanged(int row)
{
    Q_EMIT dataChanged(index(row, Letters), index(row, Letters));
}

PaperGridDialog::PaperGridDialog(QCMBas &state, ResultsStore &store, QWidget *parent)
    : QDialog(parent), m_state(state), m_store(store), m_rules(ExamSettingsFile::read(state.IniPath))
{
    setObjectName(QStringLiteral("PaperGridDialog"));
    setWindowTitle(kTitle);

    m_questionnaire = new QComboBox(this);
    m_questionnaire->setObjectName(QStringLiteral("cmbQuestionnaire"));
    StoreError e;
    m_questionnaire->addItems(m_state.bank().questionnaireNames(&e).value_or(QStringList()));
    m_questionnaire->setCurrentIndex(-1);

    m_candidate = new QComboBox(this);
    m_candidate->setObjectName(QStringLiteral("cmbCandidat"));
    m_candidate->setEditable(true);
    m_candidate->setInsertPolicy(QComboBox::NoInsert);
    m_candidate->addItems(m_store.candidates().value_or(QStringList()));
    m_candidate->setCurrentIndex(-1);
    m_candidate->lineEdit()->setMaxLength(kCandidateNameMax);
    m_candidate->lineEdit()->setPlaceholderText(QStringLiteral("nom existant ou nouveau"));

    m_date = new QDateEdit(m_state.dialogs().today(), this);
    m_date->setObjectName(QStringLiteral("txtDate"));
    m_date->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    m_date->setCalendarPopup(true);
    m_date->setMaximumDate(m_state.dialogs().today());

    m_rulesText = new QLabel(
        QStringLiteral("Notée comme un examen blanc : reçu à %1 %, points négatifs %2.")
            .arg(m_rules.passPercent)
            .arg(m_rules.negative == NegativePoints::CarryToTotal ? QStringLiteral("reportés sur le total")
                                                                  : QStringLiteral("limités à chaque question")),
        this);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Questionnaire :"), m_questionnaire);
    form->addRow(QStringLiteral("&Candidat :"), m_candidate);
    form->addRow(QStringLiteral("&Date de l'épreuve :"), m_date);

    m_model = new PaperGridModel(m_grid, this);
    m_rows = new QTableView(this);
    m_rows->setObjectName(QStringLiteral("lstLignes"));
    m_rows->setAccessibleName(QStringLiteral("Lignes de la grille"));
    m_rows->setModel(m_model);
    m_rows->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_rows->setSelectionMode(QAbstractItemView::SingleSelection);
    m_rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_rows->setTabKeyNavigation(false);
    m_rows->verticalHeader()->hide();
    m_rows->horizontalHeader()->setSectionResizeMode(Statement, QHeaderView::Stretch);
    m_rows->horizontalHeader()->setSectionResizeMode(Number, QHeaderView::ResizeToContents);
    m_rows->setColumnWidth(Letters, 90);
    connect(m_rows, &QTableView::clicked, this, [this](const QModelIndex &index) {
        goToRow(index.row());
        m_answers->setFocus();
    });

    m_rowHeading = new QLabel(this);
    m_rowHeading->setObjectName(QStringLiteral("lblLigne"));
    m_rowHeading->setAccessibleDescription(QStringLiteral("Ligne en cours de saisie"));
    QFont big = m_rowHeading->font();
    big.setPointSizeF(big.pointSizeF() * 1.2);
    big.setBold(true);
    m_rowHeading->setFont(big);
    m_rowHeading->setWordWrap(true);

    m_answers = new QLineEdit(this);
    m_answers->setObjectName(QStringLiteral("txtReponses"));
    m_answers->setAccessibleName(QStringLiteral("Lettres cochées sur la ligne"));
    m_answers->setToolTip(QStringLiteral("Les lettres cochées (par exemple AC), rien pour aucune ; Entrée : ligne "
                                         "suivante ; flèches haut et bas : autre ligne"));
    m_answers->setFont(big);
    m_answers->setMaxLength(2 * kChoiceCount);
    m_answers->setMaximumWidth(160);
    m_answers->installEventFilter(new RowKeys(this));
    connect(m_answers, &QLineEdit::textEdited, this, &PaperGridDialog::answersEdited);
    connect(m_answers, &QLineEdit::returnPressed, this, &PaperGridDialog::commitRow);
    auto *typed = new QLabel(QStringLiteral("&Lettres cochées :"), this);
    typed->setBuddy(m_answers);

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("lblMessage"));
    m_message->setAccessibleDescription(QStringLiteral("Message de saisie"));
    QPalette red = m_message->palette();
    red.setColor(QPalette::WindowText, QColor(0xB0, 0x00, 0x00));
    m_message->setPalette(red);

    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("lblAvancement"));
    m_progress->setAccessibleDescription(QStringLiteral("Avancement de la saisie"));

    m_save = new QPushButton(QStringLiteral("&Enregistrer"), this);
    m_save->setObjectName(QStringLiteral("cmdEnregistrer"));
    m_cancel = new QPushButton(QStringLiteral("Annuler"), this);
    m_cancel->setObjectName(QStringLiteral("cmdAnnuler"));
    // Enter belongs to the rows, never to a button.
    for (QPushButton *b : {m_save, m_cancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(m_save, &QPushButton::clicked, this, &PaperGridDialog::save);
    connect(m_cancel, &QPushButton::clicked, this, &PaperGridDialog::reject);

    auto *entry = new QHBoxLayout;
    entry->addWidget(typed);
    entry->addWidget(m_answers);
    entry->addWidget(m_message, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_progress, 1);
    buttons->addWidget(m_save);
    buttons->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_rulesText);
    layout->addWidget(m_rows, 1);
    layout->addWidget(m_rowHeading);
    layout->addLayout(entry);
    layout->addLayout(buttons);

    connect(m_questionnaire, &QComboBox::activated, this, &PaperGridDialog::loadQuestionnaire);
    setTabOrder(m_questionnaire, m_candidate);
    setTabOrder(m_candidate, m_date);
    setTabOrder(m_date, m_answers);
    setTabOrder(m_answers, m_rows);
    setTabOrder(m_rows, m_save);
    setTabOrder(m_save, m_cancel);
    goToRow(0);
    updateProgress();
    if (e)
        m_message->setText(QStringLiteral("Les questionnaires n'ont pas pu être lus : ") + e.description);
    else if (m_questionnaire->count() == 0)
        m_message->setText(QStringLiteral("La banque ne contient aucun questionnaire enregistré."));
}

void PaperGridDialog::loadQuestionnaire()
{
    const QString name = m_questionnaire->currentText();
    if (name == m_paperName)
        return;
    if (m_grid.typedCount() > 0
        && m_state.dialogs().MoxBox(
               QStringLiteral("Les %1 lignes déjà saisies pour « %2 » seront effacées. Changer de questionnaire ?")
                   .arg(m_grid.typedCount())
                   .arg(m_paperName),
               Icon::Question, kTitle, QStringLiteral("Changer"), QStringLiteral("Garder"), {}, 2)
            != 0) {
        m_questionnaire->setCurrentText(m_paperName);
        return;
    }
    const Paper paper = questionnairePaper(m_state.bank(), name);
    if (!paper.refusal.isEmpty()) {
        m_state.dialogs().MoxBox(paper.refusal, Icon::Warning, kTitle, QStringLiteral("OK"));
        m_questionnaire->setCurrentText(m_paperName);
        return;
    }
    m_grid = PaperGrid(paper.questions);
    m_paperName = paper.name;
    m_model->reset();
    m_message->clear();
    goToRow(0);
    updateProgress();
    m_answers->setFocus();
}

void PaperGridDialog::goToRow(int row)
{
    if (m_grid.rowCount() == 0) {
        m_current = 0;
        m_rowHeading->setText(QStringLiteral("Choisissez le questionnaire de la copie."));
        m_answers->clear();
        m_answers->setEnabled(false);
        return;
    }
    m_current = std::clamp(row, 0, m_grid.rowCount() - 1);
    m_answers->setEnabled(true);
    m_lastGood = m_grid.isTyped(m_current) ? m_grid.rowLetters(m_current) : QString();
    m_answers->setText(m_lastGood);
    m_answers->selectAll();
    const ExamQuestion &q = m_grid.question(m_current);
    m_rowHeading->setText(QStringLiteral("Ligne %1 sur %2 (%3.%4) : %5")
                              .arg(m_current + 1)
                              .arg(m_grid.rowCount())
                              .arg(q.domainCode)
                              .arg(q.numero)
                              .arg(firstWords(q.statement, 14)));
    m_rows->selectRow(m_current);
    m_rows->scrollTo(m_model->index(m_current, 0));
}

void PaperGridDialog::refuse(const QString &why)
{
    m_state.dialogs().beep();
    m_message->setText(why);
}

void PaperGridDialog::answersEdited(const QString &text)
{
    if (m_grid.rowCount() == 0)
        return;
    const GridRow row = parseGridRow(text, m_grid.question(m_current));
    if (!row.accepted()) {
        // The wrong letter goes at once; what was right stays.
        const int cursor = std::max(0, int(m_answers->cursorPosition()) - int(text.size() - m_lastGood.size()));
        m_answers->setText(m_lastGood);
        m_answers->setCursorPosition(std::min(cursor, int(m_lastGood.size())));
        refuse(row.refusal);
        return;
    }
    m_message->clear();
    m_lastGood = text.toUpper();
    if (m_lastGood != text) {
        const int cursor = m_answers->cursorPosition();
        m_answers->setText(m_lastGood);
        m_answers->setCursorPosition(cursor);
    }
}

void PaperGridDialog::commitRow()
{
    if (m_grid.rowCount() == 0)
        return;
    if (const QString why = m_grid.setRow(m_current, m_answers->text()); !why.isEmpty()) {
        refuse(why);
        return;
    }
    m_model->rowChanged(m_current);
    updateProgress();
    if (m_current + 1 < m_grid.rowCount())
        goToRow(m_current + 1);
    else
        m_message->setText(m_grid.firstUntyped() < m_grid.rowCount()
                ? QStringLiteral("Dernière ligne : la ligne %1 n'est pas encore saisie.").arg(m_grid.firstUntyped() + 1)
                : QStringLiteral("Toutes les lignes sont saisies : vérifiez-les, puis « Enregistrer »."));
}

void PaperGridDialog::updateProgress()
{
    if (m_grid.rowCount() == 0) {
        m_progress->clear();
        m_save->setEnabled(false);
        return;
    }
    const int mark = m_grid.mark(m_rules.negative);
    m_progress->setText(QStringLiteral("%1 ligne(s) saisie(s) sur %2 ; note provisoire : %3 sur %4")
                            .arg(m_grid.typedCount())
                            .arg(m_grid.rowCount())
                            .arg(mark)
                            .arg(paperMaximum(m_grid.rowCount())));
    m_save->setEnabled(true);
}

void PaperGridDialog::save()
{
    if (m_grid.rowCount() == 0)
        return;
    // What is in the field counts, even without Enter.
    if (m_answers->text() != (m_grid.isTyped(m_current) ? m_grid.rowLetters(m_current) : QString())
        && m_grid.setRow(m_current, m_answers->text()).isEmpty())
        m_model->rowChanged(m_current);
    const QString name = m_candidate->currentText().trimmed();
    if (const QString why = candidateRefusal(name); !why.isEmpty()) {
        m_state.dialogs().MoxBox(why, Icon::Warning, kTitle, QStringLiteral("OK"));
        m_candidate->setFocus();
        return;
    }
    const int missing = m_grid.rowCount() - m_grid.typedCount();
    if (missing > 0
        && m_state.dialogs().MoxBox(
               QStringLiteral("%1 ligne(s) sur %2 n'ont pas été saisies, à partir de la ligne %3 : elles comptent "
                              "comme sans réponse.")
                       .arg(missing)
                       .arg(m_grid.rowCount())
                       .arg(m_grid.firstUntyped() + 1)
                   + kCrLf + QStringLiteral("Enregistrer la copie quand même ?"),
               Icon::Question, kTitle, QStringLiteral("Enregistrer"), QStringLiteral("Revenir"), {}, 2)
            != 0) {
        goToRow(m_grid.firstUntyped());
        m_answers->setFocus();
        return;
    }
    const QDateTime now = m_state.dialogs().now();
    PaperCopyDetails details{name, m_state.DbPath, m_paperName, QDateTime(m_date->date(), now.time()),
        m_rules.passPercent, m_rules.negative};
    ExamRecord stored;
    if (const StoreError e = storePaperCopy(m_store, m_grid, details, now, &stored)) {
        m_state.dialogs().MoxBox(
            QStringLiteral("La copie n'a pas été enregistrée ; la saisie reste ouverte.") + kCrLf + e.description,
            Icon::Error, kTitle, QStringLiteral("OK"));
        return;
    }
    const int mark = stored.mark.value_or(0);
    m_state.dialogs().MoxBox(QStringLiteral("La copie de %1 est enregistrée : %2 sur %3 (%4 %), %5.")
                                 .arg(stored.candidate)
                                 .arg(mark)
                                 .arg(stored.maximum)
                                 .arg(stored.maximum > 0 ? mark * 100 / stored.maximum : 0)
                                 .arg(mark >= stored.passMark ? QStringLiteral("reçu") : QStringLiteral("ajourné")),
        Icon::Information, kTitle, QStringLiteral("OK"));
    m_stored = std::move(stored);
    accept();
}

void PaperGridDialog::reject()
{
    if (m_grid.typedCount() > 0
        && m_state.dialogs().MoxBox(QStringLiteral("Les %1 lignes saisies ne sont pas enregistrées. Abandonner la "
                                                   "saisie de cette copie ?")
                                        .arg(m_grid.typedCount()),
               Icon::Question, kTitle, QStringLiteral("Abandonner"), QStringLiteral("Continuer"), {}, 2)
            != 0)
        return;
    QDialog::reject();
}

bool enterPaperGrid(QCMBas &state, ResultsStore &store, QWidget *parent)
{
    PaperGridDialog box(state, store, parent);
    placeWindow(&box, QSize(820, 680), parent);
    return box.exec() == QDialog::Accepted && box.stored();
}

} // namespace qcm
