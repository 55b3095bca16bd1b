#include "fSaisie.h"

#include "backup/BackupStatusLine.h"
#include "backup/RestoreDialog.h"
#include "input/ClavierBas.h"
#include "input/LineEditFilters.h"
#include "input/TextEditGuard.h"
#include "search/SearchField.h"
#include "ui/PasteGuard.h"
#include "ui/Pictures.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace qcm {

namespace {

const QColor kWindowColour(232, 237, 244);
const QColor kDomainFieldColour(255, 255, 204);
const QString kGroupTooltip = QStringLiteral("Clic pour tout sélectionner / désélectionner");
// Rows of the choices: label index of choice k.
constexpr int kChoiceLabel[kChoiceCount] = {4, 5, 6, 7, 10, 11};

QFont bold(QFont f, double points = 0)
{
    if (points > 0)
        f.setPointSizeF(points);
    f.setBold(true);
    return f;
}

} // namespace

fSaisie::fSaisie(QCMBas &state, QWidget *parent) : QDialog(parent), m_state(state), m_procedures(state, *this)
{
    setObjectName(QStringLiteral("fSaisie"));
    setWindowTitle(QStringLiteral("Saisie"));
    setWindowIcon(appIcon());
    setModal(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, kWindowColour);
    setPalette(p);
    setAutoFillBackground(true);
    buildControls();
    // Load: the list of domains.
    m_procedures.FillEditorDomainList();
}

fSaisie::~fSaisie() = default;

void fSaisie::buildControls()
{
    const QFont base = font();
    auto label = [this](int index, const QString &text) {
        auto *l = new QLabel(text, this);
        m_lbl.add(index, l);
        return l;
    };
    auto line = [this](int index, QLabel *caption, const QString &name) {
        auto *edit = new QLineEdit(this);
        m_txt.add(index, edit);
        edit->setAccessibleName(name);
        if (caption)
            caption->setBuddy(edit);
        return edit;
    };
    auto multi = [this](int index, QLabel *caption, const QString &name, int lines) {
        auto *edit = new SafePlainTextEdit(this);
        m_txt.add(index, edit);
        edit->setAccessibleName(name);
        edit->setTabChangesFocus(true);
        installControlCharacterGuard(edit, [this] { m_state.dialogs().beep(); });
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        // At least that many lines; the window's extra height goes to the texts.
        const int lineHeight = edit->fontMetrics().lineSpacing();
        edit->setMinimumHeight(
            lines * lineHeight + 2 * int(edit->document()->documentMargin()) + 2 * edit->frameWidth());
        edit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        caption->setBuddy(edit);
        return edit;
    };
    auto button = [this](int index, const QString &caption) {
        auto *b = new QPushButton(caption, this);
        m_cmd.add(index, b);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, index] { onCommand(index); });
        return b;
    };

    // Domains: the list, then the code and title of the domain being made or changed.
    auto *domainsHeading = new QLabel(QStringLiteral("Domaines"), this);
    domainsHeading->setFont(bold(base));
    m_lstDom = new QTreeView(this);
    m_lstDom->setObjectName(QStringLiteral("lstDom"));
    m_lstDom->setAccessibleName(QStringLiteral("Liste des domaines"));
    domainsHeading->setBuddy(m_lstDom);
    m_domainModel = new QStandardItemModel(0, 2, this);
    m_domainModel->setHorizontalHeaderLabels({QStringLiteral("Code"), QStringLiteral("Domaine")});
    m_lstDom->setModel(m_domainModel);
    m_lstDom->setRootIsDecorated(false);
    m_lstDom->setUniformRowHeights(true);
    m_lstDom->setAllColumnsShowFocus(true);
    m_lstDom->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lstDom->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lstDom->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lstDom->header()->setStretchLastSection(true);
    m_lstDom->header()->setSectionsMovable(false);
    m_lstDom->setColumnWidth(0, 56);
    connect(m_lstDom->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_selecting)
            m_procedures.domainSelected();
    });

    QLabel *codeCaption = label(0, QStringLiteral("Code"));
    QLabel *titleCaption = label(1, QStringLiteral("Domaine"));
    QLineEdit *code = line(Field::Code, codeCaption, QStringLiteral("Code"));
    QLineEdit *title = line(Field::Title, titleCaption, QStringLiteral("Domaine"));
    code->setMaxLength(1);
    code->setAlignment(Qt::AlignCenter);
    code->setFixedWidth(48);
    for (QLineEdit *e : {code, title}) {
        QPalette yellow = e->palette();
        yellow.setColor(QPalette::Base, kDomainFieldColour);
        e->setPalette(yellow);
    }
    installKeyFilter(code, FilterMode::Digits);

    auto *domainFields = new QGridLayout;
    domainFields->addWidget(codeCaption, 0, 0);
    domainFields->addWidget(code, 0, 1, Qt::AlignLeft);
    domainFields->addWidget(titleCaption, 1, 0);
    domainFields->addWidget(title, 1, 1);
    domainFields->setColumnStretch(1, 1);

    QPushButton *saveDomain = button(1, QStringLiteral("Enregistrer le &Domaine"));
    QPushButton *deleteDomain = button(2, QStringLiteral("Supprimer le D&omaine"));
    auto *domainButtons = new QHBoxLayout;
    domainButtons->addWidget(saveDomain);
    domainButtons->addWidget(deleteDomain);

    // The tools reached from the editor.
    auto *toolsHeading = new QLabel(QStringLiteral("Outils"), this);
    toolsHeading->setFont(bold(base));
    QPushButton *check = button(8, QStringLiteral("Vérifier les incompatibilités"));
    QPushButton *reports = button(7, QStringLiteral("&Rapports"));
    QPushButton *composer = button(9, QStringLiteral("Créer des QCM"));
    QPushButton *backup = button(10, QStringLiteral("Sauvegarder la base de données"));
    // Not among the numbered buttons: the automatic backups and their restore.
    auto *restore = new QPushButton(QStringLiteral("Restaurer une sauvegarde…"), this);
    restore->setObjectName(QStringLiteral("cmdRestaurer"));
    restore->setAutoDefault(false);
    connect(restore, &QPushButton::clicked, this, [this] {
        RestoreDialog dialog(m_state, this);
        dialog.exec();
        // The domains may be others: the list follows; what is typed stays.
        if (dialog.restored())
            m_procedures.FillEditorDomainList();
    });

    // Any question of the bank, by its words or its reference (Ctrl+F).
    auto *search = new SearchField(m_state, this);
    search->addFindShortcut(this);
    connect(search, &SearchField::questionChosen, this, [this](const QString &code, qint64 numero) {
        if (m_procedures.openQuestion(code, numero))
            setFocusTo(Field::Statement);
    });
    auto *results = new QPushButton(QStringLiteral("Résultats des examens…"), this);
    results->setObjectName(QStringLiteral("cmdResultats"));
    results->setAutoDefault(false);
    connect(results, &QPushButton::clicked, this, [this] {
        // As for the reports: the editor steps aside, the practice window gets
        // its own questions back.
        m_procedures.restoreRunnerSource();
        hide();
        m_state.windows().showResults();
    });
    m_cmdExport = new QPushButton(QStringLiteral("Exporter la base…"), this);
    m_cmdImport = new QPushButton(QStringLiteral("Importer des questions…"), this);
    for (QPushButton *b : {m_cmdExport, m_cmdImport})
        b->setAutoDefault(false);
    connect(m_cmdExport, &QPushButton::clicked, this, &fSaisie::exportRequested);
    connect(m_cmdImport, &QPushButton::clicked, this, &fSaisie::importRequested);

    auto *left = new QVBoxLayout;
    left->setSpacing(8);
    left->addWidget(search);
    left->addSpacing(4);
    left->addWidget(domainsHeading);
    left->addWidget(m_lstDom, 1);
    left->addLayout(domainFields);
    left->addLayout(domainButtons);
    left->addSpacing(18);
    left->addWidget(toolsHeading);
    for (QPushButton *b : {check, reports, results, composer, backup, restore, m_cmdExport, m_cmdImport})
        left->addWidget(b);

    // The question: number and reference, statement, choices with their points.
    QLabel *numberCaption = label(2, QStringLiteral("Question n°"));
    numberCaption->setFont(bold(base));
    QLineEdit *number = line(Field::Number, numberCaption, QStringLiteral("Question n°"));
    number->setAlignment(Qt::AlignCenter);
    number->setFixedWidth(90);
    installKeyFilter(number, FilterMode::Digits);
    QPushButton *previous = button(5, QStringLiteral("<"));
    QPushButton *next = button(6, QStringLiteral(">"));
    previous->setAccessibleName(QStringLiteral("Question précédente"));
    previous->setToolTip(QStringLiteral("Question précédente"));
    next->setAccessibleName(QStringLiteral("Question suivante"));
    next->setToolTip(QStringLiteral("Question suivante"));
    for (QPushButton *b : {previous, next}) {
        b->setFont(bold(base));
        b->setFixedWidth(44);
    }
    QLabel *reference = label(9, QStringLiteral("QCM 1.126"));
    reference->setFont(bold(base, base.pointSizeF() * 1.3));
    reference->setAccessibleDescription(QStringLiteral("Référence de la question affichée"));
    reference->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *numberRow = new QHBoxLayout;
    numberRow->addWidget(numberCaption);
    numberRow->addWidget(number);
    numberRow->addWidget(previous);
    numberRow->addWidget(next);
    numberRow->addStretch(1);
    numberRow->addWidget(reference);

    QLabel *statementCaption = label(3, QStringLiteral("Libellé"));
    statementCaption->setFont(bold(base));
    multi(Field::Statement, statementCaption, QStringLiteral("Libellé"), 4);

    auto *choices = new QGridLayout;
    choices->setHorizontalSpacing(10);
    choices->setVerticalSpacing(6);
    QLabel *pointsCaption = label(8, QStringLiteral("Valeur"));
    pointsCaption->setFont(bold(base));
    pointsCaption->setAlignment(Qt::AlignCenter);
    choices->addWidget(statementCaption, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    choices->addWidget(txt(Field::Statement), 0, 1);
    choices->addWidget(pointsCaption, 1, 2, Qt::AlignBottom | Qt::AlignHCenter);
    for (int k = 0; k < kChoiceCount; ++k) {
        const QString letter(QChar(u'A' + k));
        QLabel *caption = label(kChoiceLabel[k], QStringLiteral("Choix ") + letter);
        multi(Field::choiceText(k), caption, QStringLiteral("Choix ") + letter, 2);
        QLineEdit *points = line(Field::choicePoints(k), nullptr, QStringLiteral("Valeur du choix ") + letter);
        points->setAlignment(Qt::AlignCenter);
        points->setFont(bold(base, base.pointSizeF() * 1.15));
        points->setFixedWidth(64);
        installKeyFilter(points, FilterMode::SignedPoints);
        if (k == 0)
            pointsCaption->setBuddy(points);
        choices->addWidget(caption, 2 + k, 0, Qt::AlignLeft | Qt::AlignTop);
        choices->addWidget(txt(Field::choiceText(k)), 2 + k, 1);
        choices->addWidget(points, 2 + k, 2, Qt::AlignTop);
    }
    choices->setColumnStretch(1, 1);
    choices->setRowStretch(0, 3);
    for (int k = 0; k < kChoiceCount; ++k)
        choices->setRowStretch(2 + k, 2);

    // Specialities: two groups whose headings tick or untick the whole group.
    auto *specialities = new QGridLayout;
    specialities->setHorizontalSpacing(12);
    for (int group = 0; group < 2; ++group) {
        auto *heading = new QPushButton(
            group == 0 ? QStringLiteral("Spécialité Parapente :") : QStringLiteral("Spécialité Delta :"), this);
        m_lbl.add(12 + group, heading);
        heading->setToolTip(kGroupTooltip);
        heading->setAccessibleDescription(kGroupTooltip);
        heading->setFlat(true);
        heading->setAutoDefault(false);
        heading->setFont(bold(base));
        heading->setStyleSheet(QStringLiteral("QPushButton { text-align: left; padding: 3px 6px; }"));
        heading->setCursor(Qt::PointingHandCursor);
        connect(heading, &QPushButton::clicked, this, [this, group] { m_procedures.groupClicked(3 * group); });
        specialities->addWidget(heading, group, 0);
        for (int i = 0; i < 3; ++i) {
            const int s = 3 * group + i;
            auto *box = new QCheckBox(specialityInfo(Speciality(s)).caption, this);
            m_chkOpt.add(s, box);
            box->installEventFilter(this);
            // Room for the bold caption, so that ticking does not shift the row.
            QFont emphasised = box->font();
            emphasised.setBold(true);
            box->setMinimumWidth(box->sizeHint().width() + QFontMetrics(emphasised).horizontalAdvance(box->text())
                - QFontMetrics(box->font()).horizontalAdvance(box->text()) + 16);
            connect(box, &QCheckBox::toggled, this, [this, s](bool checked) { emphasise(s, checked); });
            emphasise(s, false);
            specialities->addWidget(box, group, 1 + i);
        }
    }
    QPushButton *all = button(11, QStringLiteral("&Tout"));
    specialities->addWidget(all, 0, 4, 2, 1, Qt::AlignVCenter);
    specialities->setColumnStretch(5, 1);
    auto *keep = new QCheckBox(QStringLiteral("Ne pas effacer ces données lors de la création de questions"), this);
    m_chkOpt.add(kKeepSpecialitiesBox, keep);
    specialities->addWidget(keep, 2, 0, 1, 6);

    QPushButton *saveQuestion = button(3, QStringLiteral("Enregistrer la &Question"));
    QPushButton *deleteQuestion = button(4, QStringLiteral("&Supprimer la Question"));
    QPushButton *close = button(0, QStringLiteral("&Fermer"));
    saveQuestion->setFont(bold(base));
    auto *questionButtons = new QHBoxLayout;
    questionButtons->addWidget(saveQuestion);
    questionButtons->addWidget(deleteQuestion);
    questionButtons->addStretch(1);
    questionButtons->addWidget(close);

    auto *right = new QVBoxLayout;
    right->setSpacing(10);
    right->addLayout(numberRow);
    right->addLayout(choices, 1);
    right->addSpacing(6);
    right->addLayout(specialities);
    right->addSpacing(10);
    right->addLayout(questionButtons);

    auto *window = new QVBoxLayout(this);
    window->setContentsMargins(16, 14, 16, 8);
    window->setSpacing(6);
    auto *columns = new QHBoxLayout;
    columns->setSpacing(22);
    columns->addLayout(left, 0);
    columns->addLayout(right, 1);
    window->addLayout(columns, 1);
    window->addWidget(new BackupStatusLine(m_state, false, this));
    m_lstDom->setMinimumWidth(300);

    for (QPushButton *b : {saveDomain, deleteDomain, check, reports, composer, backup, restore, m_cmdExport,
             m_cmdImport, saveQuestion, deleteQuestion, close})
        b->setMinimumHeight(30);

    // Key releases mark the question as changed; leaving the number loads
    // the question, leaving a points field checks its range.
    for (int i = Field::Number; i < Field::Count; ++i)
        txt(i)->installEventFilter(this);
    connect(code, &QLineEdit::textChanged, this, &fSaisie::showReference);
    connect(number, &QLineEdit::textChanged, this, &fSaisie::showReference);

    // The keyboard walks the window as the eye reads it.
    QList<QWidget *> order{search, m_lstDom, code, title, saveDomain, deleteDomain, check, reports, composer, backup,
        restore, m_cmdExport, m_cmdImport, number, previous, next, txt(Field::Statement)};
    for (int k = 0; k < kChoiceCount; ++k)
        order << txt(Field::choiceText(k)) << txt(Field::choicePoints(k));
    order << lbl(12) << chkOpt(0) << chkOpt(1) << chkOpt(2) << lbl(13) << chkOpt(3) << chkOpt(4) << chkOpt(5) << all
          << keep << saveQuestion << deleteQuestion << close;
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    // The search comes first when walking the window, but the window still
    // opens on its list of domains.
    m_lstDom->setFocus(Qt::OtherFocusReason);

    resize(1100, 800);
    // Within the screen, a small one too, with room for the title bar.
    if (const QScreen *screen = this->screen())
        resize(size().boundedTo(screen->availableGeometry().size() - QSize(24, 48)));
}

void fSaisie::bankImported()
{
    const EditorEntry typed = m_procedures.entry();
    const bool unsaved = m_state.QuestionModified;
    // The practice window lists the new domains; the editor is shown again
    // on its domain and question, as when it opens.
    Q_EMIT m_state.fillDomainListRequested();
    m_state.EditorDomainIndex = qcm::domainPosition(m_state.domains(), typed.txt[Field::Code]);
    m_state.EditorQuestionNumber = typed.txt[Field::Number];
    m_procedures.shown();
    if (!unsaved)
        return;
    for (int i = Field::Statement; i < Field::Count; ++i)
        setText(i, typed.txt[size_t(i)]);
    for (int s = 0; s < kSpecialityCount; ++s)
        setChecked(s, typed.specialities[size_t(s)]);
}

void fSaisie::emphasise(int box, bool checked)
{
    QCheckBox *b = chkOpt(box);
    b->setStyleSheet(checked ? QStringLiteral("QCheckBox { font-weight: bold; color: #14532d; background-color: "
                                              "#c9ecc4; border: 1px solid #4e9a4a; border-radius: 4px; padding: 3px "
                                              "7px; }")
                             : QStringLiteral("QCheckBox { border: 1px solid transparent; padding: 3px 7px; }"));
    b->setAccessibleDescription(checked ? QStringLiteral("Spécialité retenue pour cette question") : QString());
}

void fSaisie::showReference()
{
    static_cast<QLabel *>(lbl(9))->setText(QStringLiteral("QCM ") + text(Field::Code) + u'.' + text(Field::Number));
}

// ---------------------------------------------------------------------------
// EditorView

QString fSaisie::text(int index) const
{
    QWidget *w = txt(index);
    if (auto *edit = qobject_cast<QPlainTextEdit *>(w)) {
        // The raw text keeps non-breaking spaces; its paragraph and line
        // separators become the bank's line break.
        QString raw = edit->document()->toRawText();
        raw.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
        raw.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
        return raw;
    }
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        return edit->text();
    return {};
}

void fSaisie::setText(int index, const QString &text)
{
    QWidget *w = txt(index);
    if (auto *edit = qobject_cast<QPlainTextEdit *>(w)) {
        QString plain = text;
        plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        plain.replace(u'\r', u'\n');
        edit->setPlainText(plain);
    } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        edit->setText(text);
    }
}

void fSaisie::setFocusTo(int index)
{
    if (QWidget *w = txt(index))
        w->setFocus(Qt::OtherFocusReason);
}

bool fSaisie::isChecked(int index) const
{
    const QCheckBox *box = chkOpt(index);
    return box && box->isChecked();
}

void fSaisie::setChecked(int index, bool checked)
{
    if (QCheckBox *box = chkOpt(index))
        box->setChecked(checked);
}

void fSaisie::showDomains(const QList<Domain> &domains)
{
    m_selecting = true;
    m_domainModel->removeRows(0, m_domainModel->rowCount());
    for (const Domain &d : domains) {
        auto *code = new QStandardItem(d.code);
        code->setTextAlignment(Qt::AlignCenter);
        m_domainModel->appendRow({code, new QStandardItem(d.libelle)});
    }
    m_lstDom->selectionModel()->clear();
    m_selecting = false;
}

int fSaisie::selectedDomain() const
{
    const QModelIndexList rows = m_lstDom->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void fSaisie::selectDomain(int position)
{
    m_selecting = true;
    if (position >= 0 && position < m_domainModel->rowCount()) {
        const QModelIndex index = m_domainModel->index(position, 0);
        m_lstDom->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_lstDom->scrollTo(index);
    } else {
        m_lstDom->selectionModel()->clear();
    }
    m_selecting = false;
}

// ---------------------------------------------------------------------------
// Events

void fSaisie::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Opened, or shown again after being hidden; not a restore by the window system.
    if (!event->spontaneous())
        m_procedures.shown();
}

void fSaisie::closeEvent(QCloseEvent *event)
{
    if (!isVisible()) {
        event->accept();
        return;
    }
    if (!m_procedures.confirmClosing()) {
        event->ignore();
        return;
    }
    event->accept();
    m_procedures.handBack();
}

void fSaisie::reject()
{
    // Escape closes as the close box does, with the same question.
    close();
}

void fSaisie::onCommand(int index)
{
    switch (index) {
    case 0:
        close();
        break;
    case 1:
        m_procedures.SaveDomain();
        break;
    case 2:
        m_procedures.DeleteDomain();
        break;
    case 3:
        m_procedures.SaveQuestion();
        break;
    case 4:
        m_procedures.DeleteQuestion();
        if (m_state.CheckInProgress)
            m_procedures.CheckPoints();
        break;
    case 5:
        m_procedures.PreviousQuestion();
        break;
    case 6:
        m_procedures.NextQuestion();
        break;
    case 7:
        // Hidden, not closed: back from the reports the user is in the
        // practice window, which gets its own questions back.
        m_procedures.restoreRunnerSource();
        hide();
        m_state.windows().showReports(true);
        break;
    case 8:
        m_procedures.CheckPoints();
        break;
    case 9:
        // A refused closing opens nothing.
        if (close())
            m_state.OpenComposer();
        break;
    case 10:
        m_state.SaveDatabaseAs();
        break;
    case 11:
        m_procedures.checkAllSpecialities();
        break;
    default:
        break;
    }
}

bool fSaisie::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (const int box = m_chkOpt.indexOf(watched); box >= 0 && box < kSpecialityCount) {
        // The right button, or the menu key, marks the whole domain; it never
        // toggles the box itself.
        if (type == QEvent::MouseButtonRelease && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
            m_procedures.batchMark(box);
            return true;
        }
        if (type == QEvent::ContextMenu) {
            if (static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard)
                m_procedures.batchMark(box);
            return true;
        }
        return false;
    }
    const int index = m_txt.indexOf(watched);
    if (index < Field::Number)
        return false;
    if (type == QEvent::KeyPress) {
        m_keysPressed.insert({watched, static_cast<QKeyEvent *>(event)->key()});
    } else if (type == QEvent::KeyRelease) {
        // Only a key pressed in the field counts: the release of a shortcut
        // (Alt+Q saves) or of the Tab that brought the focus here is no input,
        // and a modifier alone types nothing.
        const int key = static_cast<QKeyEvent *>(event)->key();
        const bool modifier = key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt
            || key == Qt::Key_Meta || key == Qt::Key_AltGr;
        if (m_keysPressed.erase({watched, key}) != 0 && !modifier)
            m_procedures.keyReleased(index);
    } else if (type == QEvent::FocusIn && index == Field::Number) {
        m_numberOnEntry = text(Field::Number);
    } else if (type == QEvent::FocusOut) {
        // A key whose release goes elsewhere (Tab) is forgotten here.
        std::erase_if(m_keysPressed, [watched](const auto &pressed) { return pressed.first == watched; });
        // A message box or a menu taking the focus for a moment is no leaving.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason || !isVisible())
            return false;
        if (index == Field::Number) {
            // Leaving the number unchanged keeps what was typed in the other fields.
            if (text(Field::Number) != m_numberOnEntry)
                m_procedures.numberLeft();
        } else if (Field::isPoints(index) && m_procedures.pointsLeft(index)) {
            // The focus is on its way elsewhere: it comes back once it got there.
            QTimer::singleShot(0, txt(index), [field = txt(index)] { field->setFocus(Qt::OtherFocusReason); });
        }
    }
    return false;
}

} // namespace qcm
