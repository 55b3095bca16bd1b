#include "fCreaQCM.h"

#include "BankReader.h"
#include "QuestionnaireStore.h"
#include "input/ClavierBas.h"
#include "input/LineEditFilters.h"
#include "search/FilteredList.h"
#include "ui/Accessibility.h"
#include "ui/Pictures.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QShortcut>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

namespace qcm {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kSpecialityTooltip = QStringLiteral("Clic pour tout sélectionner / désélectionner");
const QString kNewTitleCaption = QStringLiteral("Saisissez la spécialité de ce QCM :");
const QString kStoredTitleCaption = QStringLiteral("Spécialité de ce QCM :");
const QString kUnexpected = QStringLiteral("Erreur innatendue");

// The status line sits on a dark band: its usual text is light, and the
// light orange and the green of the count stay readable on it.
const QColor kStatusBand(41, 58, 96);
const QColor kStatusText(245, 247, 250);

// A speciality box that tells a change made with the mouse from one made
// with the keyboard, and reports the other buttons.
class SpecialityBox : public QCheckBox {
public:
    SpecialityBox(const QString &caption, QWidget *parent) : QCheckBox(caption, parent) { }

    bool releasingMouse() const { return m_mouse; }
    std::function<void(const QPoint &)> otherButtonReleased;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        m_mouse = event->button() == Qt::LeftButton;
        QCheckBox::mouseReleaseEvent(event);
        m_mouse = false;
        if (event->button() != Qt::LeftButton && otherButtonReleased)
            otherButtonReleased(event->globalPosition().toPoint());
    }

private:
    bool m_mouse = false;
};

// The candidate list: every click toggles its entry, however quickly it
// follows the one before.
class CandidateView : public QListView {
public:
    using QListView::QListView;

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override
    {
        if (event->button() != Qt::LeftButton) {
            QListView::mouseDoubleClickEvent(event);
            return;
        }
        QMouseEvent press(QEvent::MouseButtonPress, event->position(), event->scenePosition(), event->globalPosition(),
            event->button(), event->buttons(), event->modifiers());
        mousePressEvent(&press);
    }
};

QFont bold(QFont f, double points = 0)
{
    f.setBold(true);
    if (points > 0)
        f.setPointSizeF(points);
    return f;
}

} // namespace

fCreaQCM::fCreaQCM(QCMBas &state, QWidget *parent)
    : QWidget(parent, parent ? Qt::Window : Qt::WindowFlags()), m_state(state)
{
    readAsWindow(this);
    setObjectName(QStringLiteral("fCreaQCM"));
    setWindowTitle(QStringLiteral("Création de QCM"));
    setWindowIcon(appIcon());
    m_hand = handPointer();
    buildControls();
    // The window loads with an empty preview and nothing to save.
    clearPreview();
    m_state.QcmModified = false;
}

fCreaQCM::~fCreaQCM() = default;

void fCreaQCM::buildControls()
{
    auto makeLabel = [this](int index, const QString &caption, QWidget *parent) {
        auto *label = m_lbl.add(index, new QLabel(caption, parent));
        label->installEventFilter(this);
        return label;
    };
    makeLabel(0, QStringLiteral("Sélectionnez 60 questions puis donnez un nom au QCM et enregistrez le !"), this);
    makeLabel(1, QStringLiteral("Nom du QCM :"), this);
    makeLabel(2, QStringLiteral("Ouvrir un QCM"), this);
    makeLabel(3, QStringLiteral("Date de création ou de mise à jour du QCM :"), this)
        ->setToolTip(QStringLiteral("Cliquez pour mettre la date d'aujourd'hui"));
    makeLabel(4, QStringLiteral("Choisir les spécialités du nouveau QCM :"), this)->setToolTip(kSpecialityTooltip);
    makeLabel(5, kNewTitleCaption, this)->setToolTip(kSpecialityTooltip);
    lbl(3)->setCursor(m_hand);

    auto makeButton = [this](int index, const QString &caption) {
        auto *button = m_cmd.add(index, new QPushButton(caption, this));
        connect(button, &QPushButton::clicked, this, [this, index] { onCommand(index); });
        return button;
    };
    makeButton(0, QStringLiteral("Fermer"));
    makeButton(1, QStringLiteral("Enregistrer"));
    makeButton(2, QStringLiteral("OK"));
    makeButton(3, QStringLiteral("Rapports"));
    makeButton(4, QStringLiteral("Pas assez de questions"));
    makeButton(5, QStringLiteral("Supprimer le QCM"));
    makeButton(6, QStringLiteral("Choisir une spécialité"))->setToolTip(kSpecialityTooltip);
    cmd(5)->setEnabled(false);

    for (int i = 0; i < 3; ++i) {
        auto *edit = m_txt.add(i, new QLineEdit(this));
        // The right button offers the speciality titles instead of the edit menu.
        edit->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(edit, &QLineEdit::customContextMenuRequested, this,
            [this, edit](const QPoint &pos) { showSpecialityMenu(edit->mapToGlobal(pos)); });
    }
    txt(2)->setText(placeholderTitle());
    txt(1)->setPlaceholderText(QStringLiteral("jj/mm/aaaa"));
    txt(1)->installEventFilter(this);
    txt(2)->installEventFilter(this);
    installKeyFilter(txt(1), FilterMode::Date);
    installDateAutoSlash(txt(1), m_state.DatePreviousLength);
    connect(txt(0), &QLineEdit::textEdited, this, &fCreaQCM::onNameEdited);
    lbl(1)->setBuddy(txt(0));
    lbl(3)->setBuddy(txt(1));
    lbl(5)->setBuddy(txt(2));
    txt(0)->setAccessibleName(QStringLiteral("Nom du QCM"));
    txt(1)->setAccessibleName(QStringLiteral("Date de création ou de mise à jour du QCM"));
    txt(2)->setAccessibleName(QStringLiteral("Spécialité de ce QCM"));

    m_cmbQCM = new QComboBox(this);
    m_cmbQCM->setObjectName(QStringLiteral("cmbQCM"));
    m_cmbQCM->setAccessibleName(QStringLiteral("Ouvrir un QCM"));
    m_cmbQCM->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_cmbQCM->setMinimumContentsLength(24);
    lbl(2)->setBuddy(m_cmbQCM);
    connect(m_cmbQCM, &QComboBox::activated, this, &fCreaQCM::onComboClicked);

    m_mnuPopup = new QMenu(this);
    m_mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    for (int i = 0; i < int(questionnaireTitles().size()); ++i) {
        QAction *entry = m_mnuPop.add(i + 2, m_mnuPopup->addAction(questionnaireTitles()[size_t(i)]));
        connect(entry, &QAction::triggered, this, [this, entry] { txt(2)->setText(entry->text()); });
    }
    m_mnuPopupModif = new QMenu(this);
    m_mnuPopupModif->setObjectName(QStringLiteral("mnuPopupModif"));
    m_mnuPopModif.add(0, m_mnuPopupModif->addAction(QStringLiteral("Modifier le libellé de la question")));
    m_mnuPopModif.add(1, m_mnuPopupModif->addAction(QStringLiteral("Modifier le libellé de la réponse")));
    for (int i = 0; i < 2; ++i)
        connect(mnuPopModif(i), &QAction::triggered, this, [this, i] { onCorrection(i); });

    // The status line shows data: what it says is what is read out.
    QLabel *status = lbl(0);
    status->setAccessibleDescription(QStringLiteral("État du QCM en cours"));
    status->setAutoFillBackground(true);
    status->setFont(bold(status->font(), status->font().pointSizeF() + 1.5));
    status->setContentsMargins(12, 8, 12, 8);
    QPalette band = status->palette();
    band.setColor(QPalette::Window, kStatusBand);
    band.setColor(QPalette::WindowText, kStatusText);
    status->setPalette(band);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(14, 12, 14, 12);
    root->setSpacing(10);
    auto *top = new QHBoxLayout;
    top->setSpacing(14);
    top->addWidget(buildSpecialityPanel(), 3);
    top->addWidget(buildQuestionnairePanel(), 4);
    root->addLayout(top);
    root->addWidget(status);
    root->addWidget(buildTabs(), 1);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmd(4));
    buttons->addStretch(1);
    buttons->addWidget(cmd(3));
    buttons->addWidget(cmd(1));
    buttons->addWidget(cmd(0));
    for (int i : {0, 1, 3, 4})
        cmd(i)->setMinimumWidth(130);
    root->addLayout(buttons);

    // The keyboard walks the window as the eye reads it: the specialities,
    // the questionnaire's fields, the lists, then the buttons at the bottom.
    QList<QWidget *> order(m_chkOpt.begin(), m_chkOpt.end());
    order << m_cmbQCM << cmd(2) << cmd(5) << txt(0) << txt(1) << txt(2) << cmd(6) << m_tabs->tabBar()
          << m_candidatesView << m_questionnaireView << cmd(4) << cmd(3) << cmd(1) << cmd(0);
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    // Escape closes the window as "Fermer" does, asking about unsaved work.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);

    resize(1060, 760);
}

QWidget *fCreaQCM::buildSpecialityPanel()
{
    auto *panel = new QGroupBox(this);
    panel->setObjectName(QStringLiteral("fraSpecialites"));
    auto *grid = new QGridLayout(panel);
    grid->setHorizontalSpacing(24);
    lbl(4)->setFont(bold(lbl(4)->font()));
    grid->addWidget(lbl(4), 0, 0, 1, 2);
    const std::array<QString, 2> families{QStringLiteral("Parapente"), QStringLiteral("Delta")};
    for (int f = 0; f < 2; ++f) {
        auto *family = new QGroupBox(families[size_t(f)], panel);
        auto *column = new QVBoxLayout(family);
        for (int k = 3 * f; k < 3 * f + 3; ++k) {
            auto *box = new SpecialityBox(specialityInfo(Speciality(k)).caption, family);
            box->setObjectName(QStringLiteral("chkOpt(%1)").arg(k));
            box->setCursor(m_hand);
            box->otherButtonReleased = [this, k](const QPoint &at) { onBoxOtherButton(k, at); };
            connect(box, &QCheckBox::clicked, this, [this, k, box] { onBoxChanged(k, box->releasingMouse()); });
            column->addWidget(box);
            m_chkOpt[size_t(k)] = box;
        }
        grid->addWidget(family, 1, f);
    }
    grid->setRowStretch(2, 1);
    return panel;
}

QWidget *fCreaQCM::buildQuestionnairePanel()
{
    auto *panel = new QGroupBox(this);
    panel->setObjectName(QStringLiteral("fraQCM"));
    auto *grid = new QGridLayout(panel);
    grid->setVerticalSpacing(8);
    grid->addWidget(lbl(2), 0, 0);
    auto *open = new QHBoxLayout;
    open->addWidget(m_cmbQCM, 1);
    open->addWidget(cmd(2));
    open->addWidget(cmd(5));
    grid->addLayout(open, 0, 1, 1, 2);
    cmd(5)->setMinimumWidth(cmd(5)->sizeHint().width() + 12);

    auto *rule = new QFrame(panel);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    grid->addWidget(rule, 1, 0, 1, 3);

    grid->addWidget(lbl(1), 2, 0);
    grid->addWidget(txt(0), 2, 1, 1, 2);
    grid->addWidget(lbl(3), 3, 0, 1, 2);
    txt(1)->setFixedWidth(txt(1)->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 16);
    grid->addWidget(txt(1), 3, 2, Qt::AlignLeft);
    grid->addWidget(lbl(5), 4, 0, 1, 3);
    grid->addWidget(txt(2), 5, 0, 1, 2);
    grid->addWidget(cmd(6), 5, 2);
    grid->setColumnStretch(1, 1);
    return panel;
}

QWidget *fCreaQCM::buildTabs()
{
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));

    auto *choice = new QWidget(m_tabs);
    auto *choiceLayout = new QVBoxLayout(choice);
    m_candidates = new CandidateModel(this);
    m_candidatesView = new CandidateView(choice);
    m_candidatesView->setObjectName(QStringLiteral("lstQCM(0)"));
    m_candidatesView->setAccessibleName(QStringLiteral("Choix des questions"));
    m_candidatesView->setUniformItemSizes(true);
    m_candidatesView->setSelectionMode(QAbstractItemView::MultiSelection);
    m_candidatesView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_candidatesView->setDragEnabled(false);
    m_candidateFilter = new FilteredSelection(m_candidatesView, m_candidates, this);
    m_candidatesView->viewport()->installEventFilter(this);
    m_candidatesView->installEventFilter(this);
    connect(m_candidateFilter->selection(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_programChange)
            userChangedSelection();
    });
    connect(m_candidateFilter->selection(), &QItemSelectionModel::currentChanged, this, [this] {
        if (!m_programChange)
            userMovedCurrent();
    });
    m_filter = new QuestionFilterField(
        m_state, *m_candidateFilter,
        [this](int row) {
            return std::pair{QStringView(m_candidates->code(row)), m_candidates->numero(row)};
        },
        choice);
    m_filter->addFindShortcut(this);
    auto *filterRow = new QHBoxLayout;
    filterRow->addWidget(m_filter, 1);
    filterRow->addWidget(m_filter->countLabel());
    choiceLayout->addLayout(filterRow);
    choiceLayout->addWidget(m_candidatesView, 1);

    auto *preview = new QGroupBox(QStringLiteral("Aperçu des réponses"), choice);
    preview->setObjectName(QStringLiteral("fraReponses"));
    auto *answers = new QGridLayout(preview);
    answers->setVerticalSpacing(2);
    for (int k = 0; k < kChoiceCount; ++k) {
        auto *letter = new QLabel(QString(QChar(u'A' + k)) + u'.', preview);
        letter->setFont(bold(letter->font()));
        m_letters[size_t(k)] = letter;
        auto *answer = m_lblRep.add(k, new QLabel(preview));
        // Read by the answer it shows, not by the caption of the group.
        readAsData(answer, QStringLiteral("Aperçu de la réponse %1").arg(QChar(u'A' + k)));
        answer->setWordWrap(true);
        answer->setMinimumHeight(answer->fontMetrics().height() + 2);
        answer->installEventFilter(this);
        answers->addWidget(letter, k, 0, Qt::AlignTop);
        answers->addWidget(answer, k, 1);
    }
    answers->setColumnStretch(1, 1);
    choiceLayout->addWidget(preview);
    m_tabs->addTab(choice, QStringLiteral("&Choix des questions"));

    auto *list = new QWidget(m_tabs);
    auto *listLayout = new QVBoxLayout(list);
    m_questionnaire = new QStringListModel(this);
    m_questionnaireView = new QListView(list);
    m_questionnaireView->setObjectName(QStringLiteral("lstQCM(1)"));
    m_questionnaireView->setAccessibleName(QStringLiteral("Liste des questions du QCM en cours"));
    m_questionnaireView->setUniformItemSizes(true);
    m_questionnaireView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_questionnaireView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_questionnaireView->setModel(m_questionnaire);
    m_questionnaireView->viewport()->installEventFilter(this);
    listLayout->addWidget(m_questionnaireView);
    m_tabs->addTab(list, QStringLiteral("Liste des questions du QCM en cours..."));
    return m_tabs;
}

// ---- The candidate list ----------------------------------------------------

SpecialityTicks fCreaQCM::ticked() const
{
    SpecialityTicks ticks{};
    for (int k = 0; k < kSpecialityCount; ++k)
        ticks[size_t(k)] = chkOpt(k)->isChecked();
    return ticks;
}

bool fCreaQCM::listedAsTicked() const
{
    return m_listedTicks == ticked() && m_bank.isCurrent(m_state.connection());
}

// What filling the list again with the same entries shows, without laying
// out a list of the whole bank again: no selection, no current entry, the top.
void fCreaQCM::relistSameEntries()
{
    m_programChange = true;
    m_candidateFilter->selection()->clearSelection();
    m_candidateFilter->selection()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
    m_programChange = false;
    m_candidatesView->scrollToTop();
}

void fCreaQCM::QCMListe()
{
    std::vector<int> lines;
    StoreError error;
    bool listed = false;
    if (listedAsTicked()) {
        relistSameEntries();
        listed = true;
    } else {
        m_listedTicks.reset();
        if (const std::shared_ptr<Connection> &connection = m_state.connection())
            listed = m_bank.lines(connection, ticked(), lines, &error);
        else
            error = StoreErrors::noDatabase();
        m_programChange = true;
        m_candidates->setLines(m_bank.table(), std::move(lines));
        m_programChange = false;
        if (listed)
            m_listedTicks = ticked();
    }
    if (!listed) {
        if (error.kind == StoreErrorKind::FieldNotFound) {
            hide();
            m_state.dialogs().MoxBox(QStringLiteral("Cette base est incomplète. Ouvrez en une autre !"), Icon::Error,
                QStringLiteral("Base incomplète"), QStringLiteral("OK"));
            m_state.DatabaseIncomplete = true;
            return;
        }
        m_state.dialogs().MoxBox(procedureErrorText(error, QStringLiteral("QCMListe")), Icon::Error, kUnexpected);
    }
    const int count = m_candidates->count();
    // The tab bar lays itself out again at every new text, even the same one.
    if (const QString tab = QStringLiteral("Choix des questions (%1)").arg(count); m_tabs->tabText(0) != tab)
        m_tabs->setTabText(0, tab);
    cmd(4)->setText(count >= kQuestionnaireSize ? QStringLiteral("Sélectionner 60 questions aléatoires")
                                                : QStringLiteral("Pas assez de questions !"));
}

std::vector<int> fCreaQCM::selectedCandidates() const
{
    return selectedRows(*m_candidateFilter->selection());
}

void fCreaQCM::selectCandidates(const std::vector<int> &rows, bool keepOthers)
{
    QItemSelection selection;
    for (int row : rows) {
        const QModelIndex index = m_candidates->index(row);
        selection.select(index, index);
    }
    m_programChange = true;
    m_candidateFilter->selection()->select(
        selection, keepOthers ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect);
    m_programChange = false;
}

void fCreaQCM::clearSelection()
{
    m_programChange = true;
    m_candidateFilter->selection()->clearSelection();
    m_programChange = false;
}

void fCreaQCM::setCurrentCandidate(int row)
{
    if (row < 0 || row >= m_candidates->count())
        return;
    const QModelIndex index = m_candidates->index(row);
    m_programChange = true;
    m_candidateFilter->selection()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    m_programChange = false;
    if (const QModelIndex shown = m_candidateFilter->toView(index); shown.isValid())
        m_candidatesView->scrollTo(shown);
}

// One status update per action of the user, however many signals the action
// raised (a click moves the focus and toggles the entry): the update runs on
// the release of the button or key, or right after the event otherwise
// (assistive technology, a drag).
void fCreaQCM::userChangedSelection()
{
    m_state.QcmModified = true;
    userMovedCurrent();
}

void fCreaQCM::userMovedCurrent()
{
    m_statusPending = true;
    if (m_flushQueued)
        return;
    m_flushQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_flushQueued = false;
            flushPendingStatus();
        },
        Qt::QueuedConnection);
}

void fCreaQCM::flushPendingStatus()
{
    if (m_statusPending)
        UpdateQcmStatus();
}

void fCreaQCM::UpdateQcmStatus()
{
    m_statusPending = false;
    const std::vector<int> rows = selectedCandidates();
    const StatusLine status
        = statusLine(qint64(rows.size()), reminderText(txt(0)->text(), txt(1)->text(), m_state.QcmModified));
    lbl(0)->setText(status.text);
    QPalette palette = lbl(0)->palette();
    palette.setColor(QPalette::WindowText,
        status.colour ? QColor(status.colour->red, status.colour->green, status.colour->blue) : kStatusText);
    lbl(0)->setPalette(palette);
    if (status.beep)
        m_state.dialogs().beep();

    clearPreview();
    QStringList lines;
    lines.reserve(qsizetype(rows.size()));
    for (int row : rows)
        lines.append(m_candidates->line(row));
    m_questionnaire->setStringList(lines);
    refreshPreview();
}

void fCreaQCM::clearPreview()
{
    for (int k = 0; k < kChoiceCount; ++k) {
        lblRep(k)->clear();
        lblRep(k)->setCursor(Qt::ArrowCursor);
        m_letters[size_t(k)]->setEnabled(false);
        m_previewChoices[size_t(k)].clear();
    }
}

void fCreaQCM::refreshPreview()
{
    const QModelIndex current = m_candidateFilter->selection()->currentIndex();
    const std::shared_ptr<Connection> connection = m_state.connection();
    if (!current.isValid() || !connection)
        return;
    const CandidateKey key = parseCandidateLine(m_candidates->line(current.row()));
    // The number goes through a conversion to a number, as typed references do.
    const qint64 numero = key.numero.trimmed().toLongLong();
    const std::optional<Question> row = m_state.bank().questionWithStatement(key.code, numero, key.statement);
    if (!row)
        return;
    for (int k = 0; k < kChoiceCount; ++k) {
        const QString &text = row->lib[size_t(k)];
        if (text.isNull())
            continue;
        m_previewChoices[size_t(k)] = text;
        lblRep(k)->setText(
            text.isEmpty() ? text : text + QStringLiteral(" [") + numeroText(row->storedVal(k)) + QStringLiteral("]."));
        lblRep(k)->setCursor(text.isEmpty() ? QCursor(Qt::ArrowCursor) : m_hand);
        m_letters[size_t(k)]->setEnabled(!text.isEmpty());
    }
}

void fCreaQCM::SelectRandom60()
{
    DialogService &dialogs = m_state.dialogs();
    dialogs.randomize();
    const int count = m_candidates->count();
    if (count < kQuestionnaireSize) {
        dialogs.MoxBox(
            QStringLiteral("La liste ne comporte pas assez de questions pour en choisir 60 de façon aléatoire !"),
            Icon::Warning, QStringLiteral("Avis"), QStringLiteral("OK"));
        return;
    }
    clearSelection();
    const std::vector<qint64> drawn
        = drawDistinctPositions(count, kQuestionnaireSize, [&dialogs] { return dialogs.rnd(); });
    selectCandidates(std::vector<int>(drawn.begin(), drawn.end()), false);
    UpdateQcmStatus();
    m_state.QcmModified = true;
}

// ---- Stored questionnaires -------------------------------------------------

QString fCreaQCM::currentChoice() const
{
    return m_cmbQCM->currentText();
}

void fCreaQCM::FillQcmCombo(const QString &choice)
{
    StoreError error;
    QStringList names;
    if (m_state.connection())
        names = Questionnaires::names(m_state, &error);
    if (error.isError())
        m_state.dialogs().MoxBox(procedureErrorText(error, QStringLiteral("FillQcmCombo")), Icon::Error, kUnexpected);
    {
        const QSignalBlocker quiet(m_cmbQCM);
        m_cmbQCM->clear();
        m_cmbQCM->addItem(newQuestionnaireEntry());
        m_cmbQCM->addItems(names);
        m_cmbQCM->setCurrentIndex(
            std::max(0, choice.isEmpty() ? 0 : m_cmbQCM->findText(choice, Qt::MatchExactly | Qt::MatchCaseSensitive)));
    }
    onComboClicked();
    if (m_state.connection()) {
        m_state.datQCM.setRecordSource("QCM");
        m_state.datQCM.refresh();
    }
}

void fCreaQCM::onComboClicked()
{
    const QString choice = m_cmbQCM->currentText();
    if (choice == newQuestionnaireEntry()) {
        txt(2)->setText(placeholderTitle());
        lbl(5)->setText(kNewTitleCaption);
        for (QCheckBox *box : m_chkOpt)
            box->setChecked(false);
    } else {
        lbl(5)->setText(kStoredTitleCaption);
    }
    OpenQcm(choice);
    QCMListe();
    ApplyComboChoice();
}

void fCreaQCM::OpenQcm(const QString &name)
{
    if (!m_state.connection())
        return;
    StoredQuestionnaire stored;
    StoreError error;
    if (!readStored(name, stored, &error)) {
        m_state.dialogs().MoxBox(procedureErrorText(error, QStringLiteral("OpenQcm")), Icon::Error, kUnexpected);
        return;
    }
    QStringList lines;
    for (const QcmRow &row : std::as_const(stored.rows))
        lines << candidateLine(row.code, QString::number(row.numero), row.libelle);
    m_questionnaire->setStringList(lines);
    m_candidatesView->setUpdatesEnabled(false);
    clearSelection();
    std::vector<int> rows;
    for (const QString &line : std::as_const(lines))
        for (int row : m_candidates->positionsOf(line))
            rows.push_back(row);
    selectCandidates(rows, true);
    if (!lines.isEmpty()) {
        txt(0)->setText(name);
        txt(1)->setText(stored.date);
        txt(2)->setText(stored.hasSpeciality ? stored.speciality : placeholderTitle());
        for (int k = 0; k < kSpecialityCount; ++k)
            chkOpt(k)->setChecked(stored.boxes[size_t(k)] != 0);
    }
    m_candidatesView->setUpdatesEnabled(true);
}

bool fCreaQCM::readStored(const QString &name, StoredQuestionnaire &stored, StoreError *error)
{
    const std::shared_ptr<Connection> &connection = m_state.connection();
    if (m_opened && m_opened->name == name && m_opened->connection.lock() == connection
        && m_opened->version == connection->version()) {
        stored = m_opened->stored;
        return true;
    }
    m_opened.reset();
    if (!Questionnaires::read(m_state, name, stored, error))
        return false;
    m_opened = OpenedQuestionnaire{name, connection, connection->version(), stored};
    return true;
}

void fCreaQCM::ApplyComboChoice()
{
    const QString choice = m_cmbQCM->currentText();
    if (choice != newQuestionnaireEntry()) {
        cmd(5)->setEnabled(true);
        cmd(4)->setEnabled(false);
        OpenQcm(choice);
        UpdateQcmStatus();
        return;
    }
    if (m_state.QcmModified) {
        const int answer = m_state.dialogs().MoxBox(QStringLiteral("Attention, le QCM en cours n'est pas enregistré !")
                + kCrLf + QStringLiteral("Créer un nouveau QCM quand même ?"),
            Icon::Question, QStringLiteral("Attention"), QStringLiteral("Créer un nouveau"), QStringLiteral("Annuler"));
        if (answer == 1) {
            m_state.QcmModified = false;
            return;
        }
    }
    clearSelection();
    m_questionnaire->setStringList({});
    setCurrentCandidate(0);
    txt(0)->clear();
    txt(1)->clear();
    m_tabs->setCurrentIndex(0);
    cmd(4)->setEnabled(true);
    cmd(5)->setEnabled(false);
    m_state.QcmModified = false;
    UpdateQcmStatus();
}

// Runs a change that leaves the questions of the bank as they were (a
// questionnaire stored or deleted, the working copy refreshed): what the
// candidate list read from the bank still holds afterwards.
template <typename Change> auto fCreaQCM::keepingBank(Change change)
{
    const QString path = m_state.DbPath;
    const bool current = m_bank.isCurrent(m_state.connection());
    auto result = change();
    if (current && m_state.DbPath == path)
        m_bank.confirm(m_state.connection());
    return result;
}

bool fCreaQCM::SaveQcm()
{
    const QString name = txt(0)->text();
    const SaveDecision decision
        = checkSave({name, txt(1)->text(), ticked(), txt(2)->text(), m_questionnaire->rowCount() > 0});
    if (decision.refusal) {
        const SaveRefusal &refusal = *decision.refusal;
        m_state.dialogs().MoxBox(refusal.box.message, refusal.box.icon, refusal.box.title, refusal.box.caption0);
        if (refusal.showQuestionnaireTab)
            m_tabs->setCurrentIndex(1);
        if (refusal.focus == SaveFocus::Name)
            txt(0)->setFocus();
        else if (refusal.focus == SaveFocus::Date)
            txt(1)->setFocus();
        else if (refusal.focus == SaveFocus::Title)
            txt(2)->setFocus();
        return false;
    }

    QuestionnaireDraft draft{name, txt(1)->text(), decision.title, {}, m_questionnaire->stringList()};
    for (int k = 0; k < kSpecialityCount; ++k)
        draft.boxes[size_t(k)] = chkOpt(k)->isChecked() ? 1 : 0;
    clearPreview();
    const StoreError error = keepingBank([&] { return Questionnaires::save(m_state, draft); });
    if (error.isError()) {
        reportStoreError(error,
            QStringLiteral("Le QCM « %1 » n'a pas été enregistré : la base de données est restée telle qu'elle était.")
                .arg(name),
            QStringLiteral("SaveQcm"), QStringLiteral("Enregistrement impossible"));
        refreshPreview();
        return false;
    }
    m_state.QcmModified = false;
    // Back on the choice of questions, as when a questionnaire is started.
    m_tabs->setCurrentIndex(0);
    FillQcmCombo(name);
    reportWorkingCopy(MarkWorkingCopyStale(m_state));
    return true;
}

void fCreaQCM::DeleteQcm()
{
    const QString name = m_cmbQCM->currentText();
    const QString title = QStringLiteral("Suppression d'un QCM");
    DialogService &dialogs = m_state.dialogs();
    if (dialogs.MoxBox(QStringLiteral("Supprimer le QCM :") + kCrLf + u'\'' + name + QStringLiteral("' ?"), Icon::Bin,
            title, QStringLiteral("Non"), QStringLiteral("Oui"), {}, 2)
        != 1)
        return;
    if (dialogs.MoxBox(
            QStringLiteral("La suppression est irréversible.") + kCrLf + QStringLiteral("Supprimer tout de même ?"),
            Icon::Bin, title, QStringLiteral("Non"), QStringLiteral("Oui"), {}, 2)
        != 1)
        return;
    const StoreError error = keepingBank([&] { return Questionnaires::remove(m_state, name); });
    if (error.isError()) {
        reportStoreError(error,
            QStringLiteral("Le QCM « %1 » n'a pas été supprimé : la base de données est restée telle qu'elle était.")
                .arg(name),
            QStringLiteral("DeleteQcm"), QStringLiteral("Suppression impossible"));
        return;
    }
    m_questionnaire->setStringList({});
    FillQcmCombo();
    reportWorkingCopy(MarkWorkingCopyStale(m_state));
}

void fCreaQCM::reportStoreError(
    const StoreError &error, const QString &what, const QString &procedure, const QString &title)
{
    m_state.dialogs().MoxBox(what + kCrLf + kCrLf + procedureErrorText(error, procedure), Icon::Error, title);
    m_state.offerToReopenMovedBank();
}

void fCreaQCM::reportWorkingCopy(const QString &error)
{
    if (error.isEmpty())
        return;
    m_state.dialogs().MoxBox(QStringLiteral("La base de données est à jour, mais la copie « qcm.mdb » que lisent les "
                                            "rapports n'a pas pu être remplacée : les rapports montrent encore les "
                                            "QCM d'avant.")
            + kCrLf + kCrLf + error,
        Icon::Error, QStringLiteral("Copie pour les rapports"));
}

void fCreaQCM::discard()
{
    m_state.QcmModified = false;
    close();
}

void fCreaQCM::closeEvent(QCloseEvent *event)
{
    if (m_state.QcmModified) {
        const int answer = m_state.dialogs().MoxBox(QStringLiteral("La saisie en cours n'a pas été enregistrée.")
                + kCrLf + QStringLiteral("Voulez-vous enregistrer avant de fermer cette fenêtre ?"),
            Icon::Disk, QStringLiteral("Attention !"), QStringLiteral("Enregistrer"), QStringLiteral("Ignorer"), {}, 2);
        if (answer == 0) {
            event->ignore();
            SaveQcm();
            return;
        }
        m_state.QcmModified = false;
    }
    event->accept();
}

void fCreaQCM::onNameEdited()
{
    // Names are found without regard to letter case when saving: a name that
    // differs only by its case would replace the stored questionnaire too.
    const QString name = txt(0)->text();
    for (int i = 0; i < m_cmbQCM->count(); ++i) {
        if (m_cmbQCM->itemText(i).compare(name, Qt::CaseInsensitive) == 0) {
            m_state.dialogs().MoxBox(QStringLiteral("Attention ! Un QCM portant ce nom existe déjà !"), Icon::Warning,
                QStringLiteral("Attention"), QStringLiteral("OK"));
            return;
        }
    }
}

// ---- Boxes, labels, menus ----------------------------------------------------

void fCreaQCM::onCommand(int index)
{
    switch (index) {
    case 0:
        close();
        break;
    case 1:
        SaveQcm();
        break;
    case 2:
        ApplyComboChoice();
        break;
    case 3:
        m_state.windows().showReports(false);
        break;
    case 4:
        m_state.QcmModified = true;
        SelectRandom60();
        break;
    case 5:
        DeleteQcm();
        break;
    case 6:
        showSpecialityMenu(cmd(6)->mapToGlobal(QPoint(0, cmd(6)->height())));
        break;
    default:
        break;
    }
}

void fCreaQCM::onBoxChanged(int, bool byMouse)
{
    txt(2)->setText(byMouse ? titleAfterMouse(ticked()) : titleAfterKey(ticked()));
    QCMListe();
}

void fCreaQCM::onBoxOtherButton(int, const QPoint &globalPos)
{
    txt(2)->setText(titleAfterMouse(ticked()));
    showSpecialityMenu(globalPos);
}

void fCreaQCM::onLabelClicked(int index)
{
    if (index == 3) {
        txt(1)->setText(dateText(m_state.dialogs().today()));
        txt(1)->setSelection(0, int(txt(1)->text().size()));
    } else if (index == 4) {
        const bool tick = !chkOpt(0)->isChecked();
        for (QCheckBox *box : m_chkOpt)
            box->setChecked(tick);
        if (tick)
            txt(2)->setText(placeholderTitle());
    }
    QCMListe();
}

void fCreaQCM::showSpecialityMenu(const QPoint &globalPos)
{
    m_mnuPopup->popup(globalPos);
}

void fCreaQCM::showCorrectionMenu(int target, const QPoint &globalPos)
{
    mnuPopModif(0)->setVisible(target == 0);
    mnuPopModif(1)->setVisible(target != 0);
    m_mnuPopupModif->popup(globalPos);
}

void fCreaQCM::onListRightButton(int list, const QPoint &pos, const QPoint &globalPos)
{
    if (list == 1) {
        m_tabs->setCurrentIndex(0);
        const QModelIndex clicked = m_questionnaireView->indexAt(pos);
        if (clicked.isValid()) {
            const QList<int> rows = m_candidates->positionsOf(clicked.data().toString());
            if (!rows.isEmpty())
                setCurrentCandidate(rows.first());
        }
    }
    // On the candidate list the press has made the entry under the pointer
    // the current one; the selection is untouched.
    UpdateQcmStatus();
    m_state.EditTarget = 0;
    if (m_candidateFilter->selection()->currentIndex().isValid())
        showCorrectionMenu(0, globalPos);
}

void fCreaQCM::onCorrection(int)
{
    const QModelIndex current = m_candidateFilter->selection()->currentIndex();
    if (!current.isValid())
        return;
    const int target = m_state.EditTarget;
    const QString line = m_candidates->line(current.row());
    const CandidateKey key = parseCandidateLine(line);
    // The choice as stored, not read back from its caption: a "[" in the text
    // would cut it short.
    const QString present = target == 0 ? key.statement : m_previewChoices[size_t(std::clamp(target - 1, 0, 5))];
    int left = 0, top = 0;
    const QString answer = m_state.dialogs().InBox(
        QStringLiteral("Corrigez le libellé et enregistrez votre modification en cliquant sur 'OK'"),
        QStringLiteral("Corriger un libellé"), present, left, top);
    // Cancelled, emptied or unchanged: nothing to store.
    if (answer.trimmed().isEmpty() || answer.trimmed() == present)
        return;
    bool isNumber = false;
    const qint64 numero = key.numero.toLongLong(&isNumber);
    if (!isNumber)
        return;
    bool found = false;
    const QString field = target == 0 ? QStringLiteral("Libellé") : QStringLiteral("lib%1").arg(target - 1);
    const StoreError error = correctBankText(m_state, key.code, numero, field, answer, &found);
    if (error.isError()) {
        reportStoreError(error,
            QStringLiteral("La correction n'a pas été enregistrée : la question est restée telle qu'elle était."),
            QStringLiteral("mnuPopModif_Click"), QStringLiteral("Correction impossible"));
        return;
    }
    if (!found)
        return;
    if (target != 0) {
        UpdateQcmStatus();
        m_state.EditTarget = 0;
        return;
    }
    correctStatement(candidateLine(key.code, key.numero, answer), current.row());
}

// Every list text may have changed: the questionnaire is reloaded, the
// corrected question selected again when it was, and the questionnaire saved
// so that it holds the new statement.
void fCreaQCM::correctStatement(const QString &newLine, int position)
{
    const bool wasSelected = m_candidateFilter->selection()->isSelected(m_candidates->index(position));
    OpenQcm(m_cmbQCM->currentText());
    QCMListe();
    ApplyComboChoice();
    // Found again by its text: the list may have been rebuilt from other boxes.
    auto corrected = [&] {
        const QList<int> rows = m_candidates->positionsOf(newLine);
        return rows.isEmpty() ? -1 : rows.first();
    };
    if (wasSelected && corrected() >= 0) {
        selectCandidates({corrected()}, true);
        UpdateQcmStatus();
    }
    SaveQcm();
    setCurrentCandidate(corrected());
    UpdateQcmStatus();
}

bool fCreaQCM::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint pos = mouse->position().toPoint();
        const QPoint globalPos = mouse->globalPosition().toPoint();
        if (watched == m_candidatesView->viewport()) {
            if (mouse->button() == Qt::RightButton)
                onListRightButton(0, pos, globalPos);
            else if (mouse->button() == Qt::LeftButton)
                flushPendingStatus();
            return false;
        }
        if (watched == m_questionnaireView->viewport()) {
            if (mouse->button() == Qt::RightButton)
                onListRightButton(1, pos, globalPos);
            return false;
        }
        if (const int answer = m_lblRep.indexOf(watched); answer >= 0) {
            if (mouse->button() == Qt::RightButton && !lblRep(answer)->text().isEmpty()) {
                m_state.EditTarget = answer + 1;
                showCorrectionMenu(answer + 1, globalPos);
            }
            return false;
        }
        if (const int label = m_lbl.indexOf(watched); label >= 0) {
            if (mouse->button() == Qt::LeftButton && lbl(label)->rect().contains(pos))
                onLabelClicked(label);
            return false;
        }
    } else if (type == QEvent::KeyRelease && watched == m_candidatesView) {
        flushPendingStatus();
    } else if (type == QEvent::FocusIn && (watched == txt(1) || watched == txt(2))) {
        auto *edit = static_cast<QLineEdit *>(watched);
        if (edit == txt(1) && edit->text().isEmpty())
            edit->setText(dateText(m_state.dialogs().today()));
        // After the press that gave the focus has placed the caret.
        QTimer::singleShot(0, edit, [edit] { edit->selectAll(); });
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace qcm
