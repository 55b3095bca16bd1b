#include "fExam.h"

#include "runner/WrappedLabel.h"
#include "ui/Background.h"
#include "ui/Pictures.h"
#include "ui/QuestionLook.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QVBoxLayout>

namespace qcm {

using namespace QuestionLook;

namespace {

const QString kTitle = QStringLiteral("Examen blanc");
const QString kCrLf = QStringLiteral("\r\n");
// The time used is written this often besides every answer, so that a power
// cut costs the candidate little time.
constexpr qint64 kSaveEvery = 15;
// Minutes left at which the time is said aloud (and shown).
constexpr int kWarnings[] = {10, 5, 1};

QString plural(int n, const QString &word)
{
    return QStringLiteral("%1 %2%3").arg(n).arg(word).arg(n > 1 ? QStringLiteral("s") : QString());
}

} // namespace

fExam::fExam(QCMBas &state, std::unique_ptr<ExamSession> session, QWidget *parent)
    : QWidget(parent, Qt::Window), m_state(state), m_session(std::move(session))
{
    setObjectName(QStringLiteral("fExam"));
    setWindowTitle(kTitle);
    setWindowIcon(appIcon());
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose);
    build();
    m_lastSaved = m_session->secondsUsed();
    showQuestion();
    showTime();
}

fExam::~fExam() = default;

QLabel *fExam::statement() const
{
    return m_statement;
}

QLabel *fExam::choice(int i) const
{
    return m_choices.at(size_t(i));
}

void fExam::build()
{
    const QFont base = font();
    setColours(this, kWindowColour, Qt::white);
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(20, 14, 20, 14);
    root->setSpacing(8);

    auto *top = new QHBoxLayout;
    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("lblCandidat"));
    m_heading->setTextFormat(Qt::PlainText);
    m_heading->setFont(sized(base, 13, true));
    m_heading->setAccessibleDescription(QStringLiteral("Candidat et sujet"));
    const ExamRecord &exam = m_session->exam();
    m_heading->setText(QStringLiteral("Examen blanc de %1 – %2").arg(exam.candidate, exam.paperName));
    m_timeLeft = new QLabel(this);
    m_timeLeft->setObjectName(QStringLiteral("lblTemps"));
    m_timeLeft->setTextFormat(Qt::PlainText);
    m_timeLeft->setFont(sized(base, 16, true));
    m_timeLeft->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_timeLeft->setAccessibleDescription(QStringLiteral("Temps de l'examen"));
    top->addWidget(m_heading, 1);
    top->addWidget(m_timeLeft);
    root->addLayout(top);

    // Shown from 10 minutes left; what it says is also sent to screen readers.
    m_warning = new QLabel(this);
    m_warning->setObjectName(QStringLiteral("lblAvertissement"));
    m_warning->setTextFormat(Qt::PlainText);
    m_warning->setFont(sized(base, kNormal, true));
    m_warning->setAutoFillBackground(true);
    m_warning->setMargin(4);
    setColours(m_warning, QColor(255, 214, 0), QColor(40, 30, 0));
    m_warning->setAccessibleDescription(QStringLiteral("Avertissement sur le temps"));
    QSizePolicy keepWarning = m_warning->sizePolicy();
    keepWarning.setRetainSizeWhenHidden(true); // nothing moves when it appears
    m_warning->setSizePolicy(keepWarning);
    m_warning->hide();
    root->addWidget(m_warning);

    m_stripModel = new ExamStripModel([this] { return m_session->count(); },
        [this](int p) -> const ExamQuestion & { return m_session->question(p); }, this);
    m_strip = new ExamStrip(this);
    m_strip->setObjectName(QStringLiteral("lstQuestions"));
    m_strip->setAccessibleName(QStringLiteral("Questions de l'examen"));
    m_strip->setToolTip(QStringLiteral("Cliquez sur une question, ou choisissez-la avec les flèches"));
    m_strip->setModel(m_stripModel);
    // Four rows at most: a long paper scrolls rather than push the window off the screen.
    m_strip->setFixedHeight(std::min(m_strip->heightFor(Twips::toPixels(13200)), m_strip->heightForRows(4)));
    connect(m_strip->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &current) {
        if (current.isValid() && current.row() != m_session->current())
            showPosition(current.row());
    });
    root->addWidget(m_strip);

    m_panel = new QFrame(this);
    m_panel->setObjectName(QStringLiteral("fra"));
    m_panel->setAccessibleName(QStringLiteral("Question"));
    m_panel->setAutoFillBackground(true);
    m_panel->setFrameShape(QFrame::Box);
    setColours(m_panel, kPanelColour, Qt::white);
    m_panel->setFixedWidth(Twips::toPixels(13200));
    auto *grid = new QGridLayout(m_panel);
    grid->setContentsMargins(18, 12, 18, 12);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(6);

    m_domain = new QLabel(m_panel);
    m_domain->setObjectName(QStringLiteral("lblDomaine"));
    m_domain->setTextFormat(Qt::PlainText);
    m_domain->setFont(sized(base, kSmall));
    setTextColour(m_domain, kReferenceColour);
    m_domain->setAccessibleDescription(QStringLiteral("Domaine"));
    m_position = new QLabel(m_panel);
    m_position->setObjectName(QStringLiteral("lblPosition"));
    m_position->setTextFormat(Qt::PlainText);
    m_position->setFont(sized(base, kNormal));
    m_position->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_position->setAccessibleDescription(QStringLiteral("Position de la question"));
    grid->addWidget(m_domain, 0, 0, 1, 2);
    grid->addWidget(m_position, 0, 2);

    auto *scroll = new QScrollArea(m_panel);
    scroll->setObjectName(QStringLiteral("fraQuestion"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    auto *body = new QWidget;
    auto *inner = new QGridLayout(body);
    inner->setContentsMargins(0, 0, 0, 0);
    inner->setHorizontalSpacing(grid->horizontalSpacing());
    inner->setVerticalSpacing(grid->verticalSpacing());
    m_statement = new WrappedLabel(body);
    m_statement->setObjectName(QStringLiteral("lblEnonce"));
    m_statement->setAccessibleDescription(QStringLiteral("Énoncé"));
    m_statement->setFont(sized(base, kStatement, true));
    m_statement->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_statement->setMinimumHeight(Twips::toPixels(750));
    inner->addWidget(m_statement, 0, 0, 1, 2);
    for (int i = 0; i < kChoiceCount; ++i) {
        const QString letter(QChar(u'A' + i));
        auto *box = new QCheckBox(body);
        box->setObjectName(QStringLiteral("chkVal(%1)").arg(i));
        box->setAccessibleName(QStringLiteral("Cocher la réponse %1").arg(letter));
        box->setToolTip(QStringLiteral("Cocher la réponse %1 (touche %2)").arg(letter).arg(i + 1));
        box->setPalette(m_panel->palette());
        connect(box, &QCheckBox::toggled, this, [this, i](bool on) { onTickToggled(i, on); });
        m_ticks[size_t(i)] = box;
        auto *text = new WrappedLabel(body);
        text->setObjectName(QStringLiteral("lblLib(%1)").arg(i));
        text->setAccessibleDescription(QStringLiteral("Réponse %1").arg(letter));
        text->setFont(sized(base, kNormal));
        text->setMinimumHeight(Twips::toPixels(kChoiceMinHeight));
        text->setCursor(Qt::PointingHandCursor);
        text->installEventFilter(this);
        m_choices[size_t(i)] = text;
        inner->addWidget(box, 1 + i, 0, Qt::AlignRight | Qt::AlignVCenter);
        inner->addWidget(text, 1 + i, 1);
    }
    inner->setColumnStretch(1, 1);
    inner->setRowStretch(kChoiceCount + 1, 1);
    scroll->setWidget(body);
    body->setAutoFillBackground(false);
    scroll->viewport()->setAutoFillBackground(false);
    grid->addWidget(scroll, 1, 0, 1, 3);
    grid->setRowStretch(1, 1);

    m_flag = new QCheckBox(QStringLiteral("À re&voir"), m_panel);
    m_flag->setObjectName(QStringLiteral("chkRevoir"));
    m_flag->setToolTip(QStringLiteral("Marque la question pour y revenir avant de rendre la copie"));
    m_flag->setFont(sized(base, kNormal, true));
    m_flag->setPalette(m_panel->palette());
    connect(m_flag, &QCheckBox::toggled, this, &fExam::onFlagToggled);
    m_previous = new QPushButton(m_panel);
    m_previous->setObjectName(QStringLiteral("cmdPrecedente"));
    m_previous->setIcon(QIcon(QStringLiteral(":/pictures/previous.svg")));
    m_previous->setAccessibleName(QStringLiteral("Question précédente"));
    m_previous->setToolTip(QStringLiteral("Question précédente (Page précédente)"));
    m_previous->setShortcut(QKeySequence(Qt::Key_PageUp));
    m_next = new QPushButton(m_panel);
    m_next->setObjectName(QStringLiteral("cmdSuivante"));
    m_next->setIcon(QIcon(QStringLiteral(":/pictures/next.svg")));
    m_next->setAccessibleName(QStringLiteral("Question suivante"));
    m_next->setToolTip(QStringLiteral("Question suivante (Page suivante)"));
    m_next->setShortcut(QKeySequence(Qt::Key_PageDown));
    for (QPushButton *b : {m_previous, m_next}) {
        b->setIconSize(QSize(36, 36));
        b->setFixedSize(Twips::toPixels(960), Twips::toPixels(690));
    }
    connect(m_previous, &QPushButton::clicked, this, [this] {
        if (m_session->previous())
            showQuestion();
    });
    connect(m_next, &QPushButton::clicked, this, [this] {
        if (m_session->next())
            showQuestion();
    });
    auto *bottom = new QHBoxLayout;
    bottom->setSpacing(12);
    bottom->addWidget(m_flag);
    bottom->addStretch(1);
    bottom->addWidget(m_previous);
    bottom->addWidget(m_next);
    grid->addLayout(bottom, 2, 0, 1, 3);
    root->addWidget(m_panel, 1, Qt::AlignHCenter);

    auto *buttons = new QHBoxLayout;
    m_handIn = new QPushButton(QStringLiteral("&Rendre la copie"), this);
    m_handIn->setObjectName(QStringLiteral("cmdRendre"));
    m_handIn->setToolTip(QStringLiteral("Termine l'examen et affiche la note"));
    m_handIn->setFont(sized(base, kNormal, true));
    m_handIn->setMinimumSize(Twips::toPixels(2600), Twips::toPixels(510));
    connect(m_handIn, &QPushButton::clicked, this, &fExam::askHandIn);
    buttons->addStretch(1);
    buttons->addWidget(m_handIn);
    root->addLayout(buttons);

    // The keys 1 to 6 tick as in the practice window, whichever control has the focus.
    for (int i = 0; i < kChoiceCount; ++i) {
        auto *key = new QShortcut(QKeySequence(Qt::Key_1 + i), this);
        key->setContext(Qt::WindowShortcut);
        connect(key, &QShortcut::activated, this, [this, i] {
            if (m_session->question(m_session->current()).hasChoice(i))
                m_ticks[size_t(i)]->toggle();
        });
    }

    m_clock = new QTimer(this);
    m_clock->setObjectName(QStringLiteral("tmrTemps"));
    m_clock->setInterval(500);
    connect(m_clock, &QTimer::timeout, this, &fExam::clockTick);

    resize(Twips::toPixels(13200) + 60, 680);
    setMinimumWidth(Twips::toPixels(13200) + 40);
}

void fExam::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_over)
        m_clock->start();
}

void fExam::showPosition(int position)
{
    m_session->go(position);
    showQuestion();
}

void fExam::showQuestion()
{
    const int p = m_session->current();
    const ExamQuestion &q = m_session->question(p);
    m_position->setText(QStringLiteral("Question n° %1 sur %2").arg(p + 1).arg(m_session->count()));
    m_domain->setText(q.domainName.isEmpty() ? QStringLiteral("Domaine %1").arg(q.domainCode)
                                             : QStringLiteral("Domaine %1 – %2").arg(q.domainCode, q.domainName));
    m_statement->setText(q.statement);
    for (int i = 0; i < kChoiceCount; ++i) {
        const QSignalBlocker quiet(m_ticks[size_t(i)]);
        m_choices[size_t(i)]->setText(q.lib[size_t(i)]);
        m_ticks[size_t(i)]->setChecked(q.ticked(i));
        // Absent choices take no room: a paper of four-choice questions fits without scrolling.
        m_ticks[size_t(i)]->setVisible(q.hasChoice(i));
        m_choices[size_t(i)]->setVisible(q.hasChoice(i));
    }
    {
        const QSignalBlocker quiet(m_flag);
        m_flag->setChecked(q.flagged);
    }
    m_previous->setEnabled(p > 0);
    m_next->setEnabled(p + 1 < m_session->count());
    const QModelIndex here = m_stripModel->index(p);
    if (m_strip->currentIndex() != here)
        m_strip->setCurrentIndex(here);
}

void fExam::storeFailed(const QString &what, const StoreError &error)
{
    m_state.dialogs().MoxBox(what + QStringLiteral(" n'a pas pu être enregistré") + kCrLf + error.description + kCrLf
            + kCrLf + QStringLiteral("Rien n'est changé : recommencez quand le problème sera réglé."),
        Icon::Error, kTitle, QStringLiteral("OK"));
}

void fExam::onTickToggled(int slot, bool checked)
{
    if (m_over || m_session->question(m_session->current()).ticked(slot) == checked)
        return;
    if (const StoreError e = m_session->toggle(slot)) {
        {
            const QSignalBlocker quiet(m_ticks[size_t(slot)]);
            m_ticks[size_t(slot)]->setChecked(!checked);
        }
        storeFailed(QStringLiteral("Votre réponse %1").arg(QChar(u'A' + slot)), e);
        return;
    }
    m_lastSaved = m_session->exam().secondsUsed;
    m_stripModel->questionChanged(m_session->current());
}

void fExam::onFlagToggled(bool checked)
{
    if (m_over)
        return;
    if (const StoreError e = m_session->setFlag(checked)) {
        {
            const QSignalBlocker quiet(m_flag);
            m_flag->setChecked(!checked);
        }
        storeFailed(QStringLiteral("Le marquage « À revoir »"), e);
        return;
    }
    m_lastSaved = m_session->exam().secondsUsed;
    m_stripModel->questionChanged(m_session->current());
}

// An exam resumed with 7 minutes left is warned at once, with its own figure.
void fExam::warn(qint64 secondsLeft)
{
    int due = -1;
    for (int minutes : kWarnings)
        if (secondsLeft <= minutes * 60 && (m_warnedAt < 0 || minutes < m_warnedAt))
            due = minutes;
    if (due < 0)
        return;
    m_warnedAt = due;
    const int shown = int((secondsLeft + 59) / 60);
    m_warning->setText(QStringLiteral("Attention : il reste %1.").arg(plural(shown, QStringLiteral("minute"))));
    m_warning->show();
    // Qt 6.4 has no announcement event: the label's change of name is sent,
    // then an alert on it, which screen readers speak even without the focus.
    QAccessibleEvent alert(m_warning, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
    Q_EMIT announced(m_warning->text());
}

void fExam::showTime()
{
    const std::optional<qint64> left = m_session->secondsLeft();
    if (left) {
        m_timeLeft->setText(QStringLiteral("Temps restant : ") + clockText(*left));
        warn(*left);
    } else {
        m_timeLeft->setText(QStringLiteral("Sans limite de temps – ") + clockText(m_session->exam().secondsUsed));
    }
}

void fExam::clockTick()
{
    if (m_over)
        return;
    showTime();
    if (m_session->timeIsUp()) {
        const bool handedIn = finish(ExamState::TimeUp);
        if (handedIn)
            m_state.dialogs().MoxBox(QStringLiteral("Le temps est écoulé : votre copie a été rendue."),
                Icon::Information, kTitle, QStringLiteral("OK"));
        // Not handed in, the exam stays in progress and is offered again at the next start.
        close();
        if (handedIn)
            Q_EMIT this->handedIn(m_session->exam().id);
        return;
    }
    const qint64 used = m_session->exam().secondsUsed;
    if (used - m_lastSaved >= kSaveEvery && !m_session->saveTime())
        m_lastSaved = used;
}

bool fExam::finish(ExamState how)
{
    m_clock->stop();
    if (const StoreError e = m_session->handIn(how)) {
        m_state.dialogs().MoxBox(QStringLiteral("La copie n'a pas pu être rendue :") + kCrLf + e.description + kCrLf
                + kCrLf + QStringLiteral("Vos réponses déjà enregistrées sont conservées : l'examen reste en cours."),
            Icon::Error, kTitle, QStringLiteral("OK"));
        if (how == ExamState::HandedIn)
            m_clock->start();
        else
            m_over = true; // the time is up all the same: the exam waits to be resumed and handed in
        return false;
    }
    m_over = true;
    return true;
}

void fExam::askHandIn()
{
    if (m_over)
        return;
    const int unanswered = m_session->unansweredCount();
    const int flagged = m_session->flaggedCount();
    if (unanswered > 0 || flagged > 0) {
        QStringList parts;
        if (unanswered > 0)
            parts.append(unanswered == 1 ? QStringLiteral("1 question sans réponse")
                                         : QStringLiteral("%1 questions sans réponse").arg(unanswered));
        if (flagged > 0)
            parts.append(flagged == 1 ? QStringLiteral("1 question marquée « À revoir »")
                                      : QStringLiteral("%1 questions marquées « À revoir »").arg(flagged));
        const QString message = QStringLiteral("Il reste %1.").arg(parts.join(QStringLiteral(" et "))) + kCrLf
            + QStringLiteral("Voulez-vous rendre la copie quand même ?");
        if (m_state.dialogs().MoxBox(
                message, Icon::Question, kTitle, QStringLiteral("Rendre la copie"), QStringLiteral("Annuler"), {}, 2)
            != 0)
            return;
    }
    if (finish(ExamState::HandedIn)) {
        close();
        Q_EMIT handedIn(m_session->exam().id);
    }
}

void fExam::closeEvent(QCloseEvent *event)
{
    if (m_over || m_session->exam().state != ExamState::InProgress) {
        m_clock->stop();
        event->accept();
        return;
    }
    const int answer = m_state.dialogs().MoxBoxOrClose(QStringLiteral("L'examen blanc n'est pas terminé.") + kCrLf
            + QStringLiteral("Vous pouvez rendre la copie maintenant, le garder pour plus tard (il vous sera proposé "
                             "au prochain démarrage, avec le temps qui restait) ou continuer.")
            + kCrLf + QStringLiteral("Que voulez-vous faire ?"),
        Icon::Question, kTitle, QStringLiteral("Continuer"), QStringLiteral("Plus tard"),
        QStringLiteral("Rendre la copie"), 2);
    if (answer == 1) {
        m_clock->stop();
        if (const StoreError e = m_session->saveTime()) {
            storeFailed(QStringLiteral("Le temps utilisé"), e);
            m_clock->start();
            event->ignore();
            return;
        }
        m_over = true;
        event->accept();
        return;
    }
    if (answer == 2 && finish(ExamState::HandedIn)) {
        event->accept();
        Q_EMIT handedIn(m_session->exam().id);
        return;
    }
    event->ignore();
}

void fExam::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PaintWindowBackground(painter, size(), kGradientTop, kGradientBottom, true);
}

bool fExam::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        for (int i = 0; i < kChoiceCount; ++i)
            if (watched == m_choices[size_t(i)] && m_session->question(m_session->current()).hasChoice(i)) {
                m_ticks[size_t(i)]->toggle();
                return true;
            }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace qcm
