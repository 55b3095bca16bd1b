#include "fQCM.h"

#include "Corrections.h"
#include "MistakesPractice.h"
#include "WrappedLabel.h"

#include "backup/BackupStatusLine.h"
#include "dialogs/frmAbout.h"
#include "recent/RecentBanksMenu.h"
#include "search/SearchField.h"
#include "state/Branding.h"
#include "ui/Accessibility.h"
#include "ui/Background.h"
#include "ui/Pictures.h"
#include "ui/QuestionLook.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace qcm {

namespace {

using namespace QuestionLook;
const QString kDesignStatement = QStringLiteral("Choisissez un domaine");
const QString kEmptyDomain
    = QStringLiteral("                                  Ce domaine n'est pas encore entré dans le QCM.");
const QString kInvitation = QStringLiteral("Aucune base de données n'est ouverte.\n"
                                           "Cliquez sur « Choisir une base » pour en choisir une.");

// The panel holding the question, in twips.
constexpr int kPanelWidth = 13200;
constexpr int kPanelHeight = 7815;
// The least room around the panel and below the buttons, in pixels.
constexpr int kLeastGap = 8;
constexpr int kLeastBottomMargin = 12;

// The ticks on the panel's colours. A locked tick stays legible (WCAG
// contrast at least 4.5:1): the student compares it with the points.
// Styles draw the mark in one of these roles.
QPalette tickPalette(QPalette p)
{
    p.setColor(QPalette::Disabled, QPalette::Base, QColor(0xE4, 0xE4, 0xE4));
    for (const auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(0x3C, 0x3C, 0x3C));
    return p;
}

} // namespace

AboutContext aboutContext(QCMBas &state)
{
    AboutContext context;
    context.dialogs = &state.dialogs();
    context.version = QCMBas::VersionText();
    context.starsShown = [&state] { return state.RepaintOption != 0; };
    context.showStars = [&state](bool on, QString *why) { return state.setStarsShown(on, why); };
    context.programFolder = [&state] { return state.AppFolder(); };
    context.bankPath = [&state] { return state.DbPath; };
    context.settingsPath = [&state] { return state.IniPath; };
    return context;
}

fQCM::fQCM(QCMBas &state, QWidget *parent) : QWidget(parent), m_state(state)
{
    readAsWindow(this);
    setObjectName(QStringLiteral("fQCM"));
    setWindowTitle(Branding::applicationTitle());
    setWindowIcon(appIcon());
    setAccessibleDescription(QStringLiteral("Entraînement aux questions"));
    m_pointer = handPointer();
    buildControls();

    connect(&m_state, &QCMBas::baseCaptionChanged, this, [this](const QString &caption) {
        m_baseCaption = caption;
        layoutWindow();
    });
    connect(&m_state, &QCMBas::fillDomainListRequested, this, &fQCM::FillDomainList);
    connect(&m_state, &QCMBas::runnerDomainSelectRequested, this, [this](int position) {
        // Only the list's own entry changes: the caller has already pointed datQue at the domain.
        if (position >= 0 && position < m_lstDomaine->count())
            m_lstDomaine->setCurrentIndex(position);
    });
    // Like a move to the next question: the points boxes follow the new choices.
    connect(&m_state, &QCMBas::runnerQuestionRequested, this, [this](qint64 index) {
        ShowQuestion(index);
        ApplyLearnMode();
    });
    connect(&m_state, &QCMBas::repaintOptionChanged, this, qOverload<>(&QWidget::update));

    // The window takes its turn after another window of the program had the
    // focus (a message box, the about box), not when the user comes back from
    // another program nor from a drop-down list. While another program has the
    // focus, no window of ours has it: that is no change of window.
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *w) {
        if (!w || w->type() == Qt::Popup || w->type() == Qt::ToolTip)
            return;
        if (w == windowHandle() && m_previousFocusWindow != w)
            activated();
        m_previousFocusWindow = w;
    });
}

fQCM::~fQCM()
{
    qApp->removeEventFilter(m_keyPreview.get());
}

bool fQCM::KeyPreview::eventFilter(QObject *watched, QEvent *event)
{
    return m_window->previewKey(watched, event);
}

QPushButton *fQCM::cmd(int i) const
{
    const auto it = m_cmd.find(i);
    return it == m_cmd.end() ? nullptr : it->second;
}

void fQCM::buildControls()
{
    const QFont base = font();

    m_lblTitre = new QLabel(Branding::runnerHeading(), this);
    m_lblTitre->setObjectName(QStringLiteral("lblTitre"));
    m_lblTitre->setFont(sized(base, 20, true));
    setTextColour(m_lblTitre, Qt::white);
    m_lblTitre->hide();

    m_fra = new QFrame(this);
    m_fra->setObjectName(QStringLiteral("fra"));
    m_fra->setAccessibleName(QStringLiteral("Question"));
    m_fra->setAutoFillBackground(true);
    m_fra->setFrameShape(QFrame::Box);
    setColours(m_fra, kPanelColour, Qt::white);
    m_fra->setFixedSize(Twips::toPixels(kPanelWidth), Twips::toPixels(kPanelHeight));

    auto *grid = new QGridLayout(m_fra);
    grid->setContentsMargins(18, 12, 18, 12);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(6);

    // A screen reader reads what the labels show; their role is said beside.
    const std::array<QString, 4> lblRoles{QStringLiteral("Domaine"), QStringLiteral("Position de la question"),
        QStringLiteral("Référence de la question"), QStringLiteral("Énoncé")};
    for (int i = 0; i < 4; ++i) {
        m_lbl[size_t(i)] = i == 3 ? new WrappedLabel(m_fra) : new QLabel(m_fra);
        m_lbl[size_t(i)]->setObjectName(QStringLiteral("lbl(%1)").arg(i));
        m_lbl[size_t(i)]->setAccessibleDescription(lblRoles[size_t(i)]);
        m_lbl[size_t(i)]->setTextFormat(Qt::PlainText);
        m_lbl[size_t(i)]->installEventFilter(this);
    }
    lbl(0)->setText(QStringLiteral("Domaine"));
    lbl(0)->setFont(sized(base, kNormal, true));
    lbl(1)->setFont(sized(base, kNormal));
    lbl(1)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lbl(2)->setFont(sized(base, kSmall));
    setTextColour(lbl(2), kReferenceColour);
    lbl(3)->setText(kDesignStatement);
    lbl(3)->setFont(sized(base, kStatement, true));
    lbl(3)->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lbl(3)->setMinimumHeight(Twips::toPixels(1500));
    lbl(3)->setTextInteractionFlags(Qt::NoTextInteraction);

    m_lstDomaine = new QComboBox(m_fra);
    m_lstDomaine->setObjectName(QStringLiteral("lstDomaine"));
    m_lstDomaine->setAccessibleName(QStringLiteral("Domaine"));
    m_lstDomaine->setFont(sized(base, kNormal));
    m_lstDomaine->setMinimumWidth(Twips::toPixels(6000));
    lbl(0)->setBuddy(m_lstDomaine);
    connect(m_lstDomaine, &QComboBox::activated, this, &fQCM::domainClicked);

    m_practice = new MistakesPractice(*this, m_state);
    m_practice->candidateField()->setFont(sized(base, kNormal));
    grid->addWidget(lbl(0), 0, 0);
    grid->addWidget(m_lstDomaine, 0, 1, 1, 2, Qt::AlignLeft);
    grid->addWidget(lbl(1), 0, 3, 1, 2);
    grid->addWidget(lbl(2), 1, 0);
    grid->addWidget(m_practice->candidateField(), 1, 1, 1, 2, Qt::AlignLeft);
    m_search = new SearchField(m_state, m_fra);
    m_search->setFont(sized(base, kNormal));
    m_search->setMinimumWidth(Twips::toPixels(4200));
    m_search->addFindShortcut(this);
    connect(m_search, &SearchField::questionChosen, this, &fQCM::showFoundQuestion);
    grid->addWidget(m_search, 1, 3, 1, 2, Qt::AlignRight);

    // The statement and the choices scroll when a long text does not fit the
    // panel; a usual question fits and shows no scroll bar.
    m_scroll = new QScrollArea(m_fra);
    m_scroll->setObjectName(QStringLiteral("fraQuestion"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(true);
    auto *body = new QWidget;
    body->setObjectName(QStringLiteral("fraQuestionBody"));
    auto *inner = new QGridLayout(body);
    inner->setContentsMargins(0, 0, 0, 0);
    inner->setHorizontalSpacing(grid->horizontalSpacing());
    inner->setVerticalSpacing(grid->verticalSpacing());
    inner->setColumnMinimumWidth(0, lbl(0)->sizeHint().width());
    inner->addWidget(lbl(3), 0, 0, 1, 3);
    m_scroll->setWidget(body);
    body->setAutoFillBackground(false);
    m_scroll->viewport()->setAutoFillBackground(false);
    grid->addWidget(m_scroll, 2, 0, 1, 5);
    grid->setRowStretch(2, 1);

    for (int i = 0; i < 6; ++i) {
        const QString letter(QChar(u'A' + i));
        auto *chk = new QCheckBox(m_fra);
        chk->setObjectName(QStringLiteral("chkVal(%1)").arg(i));
        chk->setToolTip(QStringLiteral("Cocher la réponse %1 (touche %2)").arg(letter).arg(i + 1));
        chk->setPalette(tickPalette(m_fra->palette()));
        chk->hide();
        QSizePolicy keep = chk->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        chk->setSizePolicy(keep);
        connect(chk, &QCheckBox::stateChanged, this, &fQCM::onTickChanged);
        m_chkVal[size_t(i)] = chk;

        auto *text = new WrappedLabel(m_fra);
        text->setObjectName(QStringLiteral("lblLib(%1)").arg(i));
        text->setAccessibleDescription(QStringLiteral("Réponse %1").arg(letter));
        text->setFont(sized(base, kNormal));
        text->setMinimumHeight(Twips::toPixels(kChoiceMinHeight));
        text->installEventFilter(this);
        m_lblLib[size_t(i)] = text;

        auto *points = new QLabel(m_fra);
        readAsData(points, QStringLiteral("Points de la réponse %1").arg(letter));
        points->setObjectName(QStringLiteral("lblVal(%1)").arg(i));
        points->setFont(sized(base, kNormal, true));
        points->setAlignment(Qt::AlignCenter);
        points->setAutoFillBackground(true);
        // Wider only for a value out of range, which is shown whole.
        points->setMinimumWidth(Twips::toPixels(kPointsMinWidth));
        points->setMargin(2);
        points->setFixedHeight(Twips::toPixels(kPointsHeight));
        points->setFrameShape(QFrame::Box);
        QSizePolicy keepPoints = points->sizePolicy();
        keepPoints.setRetainSizeWhenHidden(true);
        points->setSizePolicy(keepPoints);
        points->hide();
        m_lblVal[size_t(i)] = points;
        nameTick(i);

        inner->addWidget(chk, 1 + i, 0, Qt::AlignRight | Qt::AlignVCenter);
        inner->addWidget(text, 1 + i, 1);
        inner->addWidget(points, 1 + i, 2, Qt::AlignVCenter); // as wide as the widest
    }
    inner->setColumnStretch(1, 1);
    inner->setRowStretch(7, 1);
    grid->setColumnStretch(2, 1);

    m_chkApprendre = new QCheckBox(QStringLiteral("A&pprendre"), m_fra);
    m_chkApprendre->setObjectName(QStringLiteral("chkApprendre"));
    m_chkApprendre->setAccessibleName(QStringLiteral("Apprendre"));
    m_chkApprendre->setToolTip(QStringLiteral("Les réponses sont visibles pour apprendre..."));
    m_chkApprendre->setFont(sized(base, kNormal, true));
    m_chkApprendre->setCursor(m_pointer);
    // However the box changes: mouse, keyboard, assistive technology or code.
    connect(m_chkApprendre, &QCheckBox::toggled, this, &fQCM::onLearnModeClicked);

    auto makeButton = [this](int index, const QString &caption, const QString &tooltip, QWidget *parent) {
        auto *b = new QPushButton(caption, parent);
        b->setObjectName(QStringLiteral("cmd(%1)").arg(index));
        b->setToolTip(tooltip);
        b->setAccessibleName(caption.isEmpty() ? tooltip : QString(caption).remove(u'&'));
        b->setCursor(m_pointer);
        connect(b, &QPushButton::clicked, this, [this, index] { onCommand(index); });
        m_cmd[index] = b;
        return b;
    };
    auto *previous = makeButton(3, {}, QStringLiteral("Question précédente"), m_fra);
    auto *control
        = makeButton(1, QStringLiteral("&Contrôle de la question"), QStringLiteral("Affiche le résultat"), m_fra);
    auto *next = makeButton(4, {}, QStringLiteral("Question suivante"), m_fra);
    previous->setIcon(arrowIcon(QStringLiteral("previous")));
    next->setIcon(arrowIcon(QStringLiteral("next")));
    for (QPushButton *b : {previous, next}) {
        b->setIconSize(QSize(36, 36));
        b->setFixedSize(Twips::toPixels(960), Twips::toPixels(690));
    }
    control->setFont(sized(base, kNormal, true));
    control->setFixedHeight(Twips::toPixels(690));
    control->setMinimumWidth(Twips::toPixels(3600));
    control->setEnabled(false);
    QSizePolicy keepControl = control->sizePolicy();
    keepControl.setRetainSizeWhenHidden(true); // the arrows stay put in learn mode
    control->setSizePolicy(keepControl);

    auto *bottom = new QHBoxLayout;
    bottom->setSpacing(12);
    bottom->addWidget(m_chkApprendre);
    bottom->addStretch(1);
    bottom->addWidget(previous);
    bottom->addWidget(control);
    bottom->addWidget(next);
    grid->addLayout(bottom, 3, 0, 1, 5);

    makeButton(0, QStringLiteral("&Quitter"), QStringLiteral("Quitter"), this);
    makeButton(6, QStringLiteral("&Maintenance"), QStringLiteral("Gestion des questions"), this);
    makeButton(9, QStringLiteral("QCM"), QStringLiteral("Gestion des QCM"), this);
    makeButton(10, QStringLiteral("&Choisir une base"), QStringLiteral("Choix des bases de données"), this);
    makeButton(11, QStringLiteral("&Examen blanc"), QStringLiteral("Passer un examen blanc chronométré et noté"), this);
    makeButton(12, QStringLiteral("&Résultats"), QStringLiteral("Les résultats des examens blancs"), this);
    for (int i : {0, 6, 9, 10, 11, 12}) {
        cmd(i)->setFont(sized(base, kNormal, true));
        cmd(i)->setFixedSize(Twips::toPixels(2250), Twips::toPixels(510));
    }

    // How the last automatic backup went, when it is worth telling.
    m_status = new BackupStatusLine(m_state, true, this);

    m_lblBase = new QLabel(this);
    m_lblBase->setObjectName(QStringLiteral("lblBase"));
    m_lblBase->setFont(sized(base, kSmall));
    setTextColour(m_lblBase, QColor(235, 240, 250));
    m_lblBase->setCursor(m_pointer);
    m_lblBase->installEventFilter(this);

    // Corrections of the question on view, from a right click on it.
    m_mnuPopup = new QMenu(this);
    m_mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    m_mnuPopup->setAccessibleName(QStringLiteral("Corrections de la question"));
    m_mnuPop = m_mnuPopup->addAction(QStringLiteral("Corriger le libellé de la question"));
    m_mnuPop->setObjectName(QStringLiteral("mnuPop"));
    m_mnuPop1 = m_mnuPopup->addAction(QStringLiteral("Modifier la question en maintenance"));
    m_mnuPop1->setObjectName(QStringLiteral("mnuPop1"));
    m_mnuPopupRep = new QMenu(this);
    m_mnuPopupRep->setObjectName(QStringLiteral("mnuPopupRep"));
    m_mnuPopupRep->setAccessibleName(QStringLiteral("Correction de la réponse"));
    m_mnuPopRep = m_mnuPopupRep->addAction(QStringLiteral("Corriger le libellé de la réponse"));
    m_mnuPopRep->setObjectName(QStringLiteral("mnuPopRep"));
    connect(this, &fQCM::questionMenuRequested, m_mnuPopup, [this](const QPoint &at) {
        const bool onView = lbl(2)->text().contains(u'.');
        m_mnuPop->setEnabled(onView);
        m_mnuPop1->setEnabled(onView);
        m_mnuPopup->popup(at);
    });
    connect(
        this, &fQCM::choiceMenuRequested, m_mnuPopupRep, [this](int, const QPoint &at) { m_mnuPopupRep->popup(at); });
    connect(m_mnuPop, &QAction::triggered, this, &fQCM::correctStatement);
    connect(m_mnuPop1, &QAction::triggered, this, [this] { Corrections::openInEditor(m_state, lbl(2)->text()); });
    connect(m_mnuPopRep, &QAction::triggered, this, &fQCM::correctChoice);

    m_tmrSplash = new QTimer(this);
    m_tmrSplash->setObjectName(QStringLiteral("tmrSplash"));
    m_tmrSplash->setSingleShot(true);
    m_tmrSplash->setInterval(1500);
    connect(m_tmrSplash, &QTimer::timeout, this, &fQCM::splashTimerElapsed);

    // The title, the panel and the row of buttons, one above the other with
    // the least room between them: a laptop screen's height.
    setMinimumSize(
        m_fra->width() + 60, titleBottom() + 2 * kLeastGap + m_fra->height() + cmd(6)->height() + kLeastBottomMargin);
    resize(minimumSize().width() + 200, minimumSize().height() + 60);
    // The keyboard walks the window as the eye reads it: the panel, then the
    // buttons at the bottom from left to right.
    QList<QWidget *> order{m_lstDomaine, m_practice->candidateBox()};
    for (QCheckBox *box : m_chkVal)
        order << box;
    order << m_chkApprendre << cmd(3) << cmd(1) << cmd(4) << cmd(0) << cmd(10) << cmd(9) << cmd(6);
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    m_keyPreview = std::make_unique<KeyPreview>(this);
    qApp->installEventFilter(m_keyPreview.get());
}

void fQCM::load()
{
    m_state.BindDatabase();
    cmd(6)->setVisible(true);
    setColours(this, kWindowColour, Qt::white);
    setColours(m_fra, kPanelColour, Qt::white);
    m_chkApprendre->setPalette(m_fra->palette());
    cmd(1)->setVisible(true);
    for (int i = 0; i < 6; ++i) {
        chkVal(i)->setPalette(tickPalette(m_fra->palette()));
        lblLib(i)->setVisible(true);
    }
    lbl(2)->setVisible(true);
    lbl(3)->setVisible(true);
    FillDomainList();
    m_fra->setFixedHeight(Twips::toPixels(kPanelHeight));
    layoutWindow();
    m_tmrSplash->start();
}

// The bottom row of buttons and the caption follow the window's size (the
// window may be resized), in the proportions of a full-screen window.
int fQCM::titleBottom() const
{
    return Twips::toPixels(360) + m_lblTitre->sizeHint().height();
}

void fQCM::layoutWindow()
{
    const int w = width();
    const int h = height();
    const int gap = Twips::toPixels(240);
    QPushButton *c6 = cmd(6), *c9 = cmd(9), *c10 = cmd(10);
    // The buttons keep their margin below them while the window is tall enough.
    const int bottomMargin = std::clamp(h - (titleBottom() + 2 * kLeastGap + m_fra->height() + c6->height()),
        kLeastBottomMargin, Twips::toPixels(1040));
    const int top = h - (c6->height() + bottomMargin);
    c6->move(w - (c6->width() + gap), top);
    c9->move(w - (c9->width() + gap + c6->width() + gap), top);
    c10->move(w - (c10->width() + gap + c9->width() + gap + c6->width() + gap), top);
    cmd(0)->move(gap, top);
    cmd(11)->move(gap + cmd(0)->width() + gap, top);
    cmd(12)->move(cmd(11)->x() + cmd(11)->width() + gap, top);

    // The caption is centred and stays clear of the buttons on both sides; a
    // long path is shortened in its middle and shown whole in the tooltip.
    const int leftLimit = cmd(12)->x() + cmd(12)->width() + gap;
    const int rightLimit = c10->x() - gap;
    const int room = std::max(Twips::toPixels(1500), rightLimit - leftLimit);
    const QFontMetrics metrics(m_lblBase->font());
    m_lblBase->setText(metrics.elidedText(m_baseCaption, Qt::ElideMiddle, room));
    m_lblBase->setToolTip(m_baseCaption);
    m_lblBase->setAccessibleDescription(QStringLiteral("Version et base de données actuelle : ") + m_baseCaption);
    m_lblBase->adjustSize();
    const int left
        = std::clamp((w - m_lblBase->width()) / 2, leftLimit, std::max(leftLimit, rightLimit - m_lblBase->width()));
    m_lblBase->move(left, top + Twips::toPixels(60));

    // Centred a little above the middle, between the title and the buttons.
    const int panelTop = std::clamp((h - m_fra->height()) / 2 - Twips::toPixels(300), titleBottom() + kLeastGap,
        std::max(titleBottom() + kLeastGap, top - kLeastGap - m_fra->height()));
    m_fra->move((w - m_fra->width()) / 2 - Twips::toPixels(90), panelTop);
    m_lblTitre->adjustSize();
    m_lblTitre->move((w - m_lblTitre->width()) / 2, Twips::toPixels(360));
    m_practice->place();
    m_status->setGeometry(
        m_fra->x(), m_fra->y() + m_fra->height() + gap / 2, m_fra->width(), m_status->sizeHint().height());
}

void fQCM::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutWindow();
}

void fQCM::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), kGradientBottom);
    PainterTarget target(painter, size());
    paintBackground(target, defaultRandom());
}

void fQCM::paintBackground(PaintTarget &target, const std::function<double()> &rnd)
{
    PaintBackground(target, kGradientTop.red(), kGradientTop.green(), kGradientTop.blue(), kGradientBottom.red(),
        kGradientBottom.green(), kGradientBottom.blue(), true);
    if (m_state.RepaintOption != 0)
        PaintStars(target, rnd);
}

void fQCM::activated()
{
    m_lblTitre->move((width() - m_lblTitre->width()) / 2, Twips::toPixels(360));
    m_lblTitre->setVisible(true);
    if (m_practice->active())
        m_practice->showCurrent();
    else
        ShowQuestion(m_state.CurrentIndex);
    ApplyLearnMode();
}

bool fQCM::event(QEvent *event)
{
    if (event->type() == QEvent::Show && !m_lblTitre->isVisible())
        activated();
    return QWidget::event(event);
}

void fQCM::FillDomainList()
{
    m_lstDomaine->clear();
    m_lstDomaine->addItems(m_state.domainEntries());
    if (!m_state.isBound()) {
        showInvitation();
        return;
    }
    if (m_lstDomaine->count() > 0) {
        if (lbl(3)->text().startsWith(kInvitation))
            lbl(3)->setText(kDesignStatement);
        m_lstDomaine->setCurrentIndex(0);
        domainClicked();
    } else {
        // No domain to practise: nothing of the previous database stays on view.
        clearQuestionArea(kDesignStatement);
    }
}

void fQCM::clearQuestionArea(const QString &statement)
{
    for (int i = 0; i < 6; ++i) {
        chkVal(i)->setChecked(false);
        chkVal(i)->setVisible(false);
        showPoints(i, QVariant());
        lblVal(i)->setVisible(false);
        lblLib(i)->clear();
        lblLib(i)->setCursor(Qt::ArrowCursor);
        nameTick(i);
    }
    lbl(1)->clear();
    lbl(2)->clear();
    lbl(3)->setText(statement);
    m_onView.reset();
}

void fQCM::showInvitation()
{
    // Say why the remembered file could not be used, if it was tried.
    const QString why = m_state.bindError();
    clearQuestionArea(why.isEmpty() ? kInvitation : kInvitation + QStringLiteral("\n\n") + why);
    m_baseCaption
        = QStringLiteral("QCM version ") + QCMBas::VersionText() + QStringLiteral(" - Aucune base de données");
    layoutWindow();
}

void fQCM::domainClicked()
{
    const QString entry = m_lstDomaine->currentText();
    if (!entry.isEmpty()) {
        LoadDomainQuestions(entry);
        m_state.CurrentIndex = 0;
        ShowQuestion(m_state.CurrentIndex);
    }
    ApplyLearnMode();
}

void fQCM::showFoundQuestion(const QString &code, qint64 numero)
{
    if (!m_state.isBound())
        return;
    // The domain's entry when it is listed; a question whose domain was
    // deleted is still shown, with no entry chosen.
    const int position = domainPosition(m_state.domains(), code);
    m_lstDomaine->setCurrentIndex(position);
    DataBinding &que = m_state.datQue;
    que.setRecordSource(Queries::domainInOrder(code));
    if (!que.refresh() || m_state.countDomainQuestions(code) == 0)
        return;
    m_state.QuestionCount = que.recordCount();
    if (!que.findFirst(Criteria::questionKey(code, numero)) || que.noMatch())
        return;
    m_state.CurrentIndex = que.position();
    ShowQuestion(m_state.CurrentIndex);
    ApplyLearnMode();
    // The keys 1 to 6 tick the question's choices again.
    m_fra->setFocus(Qt::OtherFocusReason);
}

void fQCM::LoadDomainQuestions(const QString &entry)
{
    DataBinding &que = m_state.datQue;
    const QString code = entry.left(1);
    que.setRecordSource(Queries::domainInOrder(code));
    if (!que.refresh() || m_state.countDomainQuestions(code) == 0)
        return;
    que.moveLast();
    m_state.QuestionCount = que.recordCount();
    que.moveFirst();
}

void fQCM::ShowQuestion(qint64 index)
{
    // Without a domain on the list, datQue holds the whole bank: nothing of it is shown.
    if (index == m_state.QuestionCount || m_lstDomaine->count() == 0)
        return;
    DataBinding &que = m_state.datQue;
    if (!que.refresh())
        return;
    if (que.recordCount() == 0) {
        ShowEmptyDomain();
        return;
    }
    que.moveFirst();
    que.move(index);
    lbl(1)->setText(QStringLiteral("Question n° %1 sur %2").arg(m_state.CurrentIndex + 1).arg(m_state.QuestionCount));
    // The row is read whole through the bank; one that cannot be read leaves
    // the labels as they were.
    displayQuestion(m_state.bank().currentQuestion(que));
}

void fQCM::displayQuestion(const std::optional<Question> &question)
{
    if (question) {
        m_onView = question;
        lbl(2)->setText(question->code + u'.' + QString::number(question->numero));
        lbl(3)->setText(question->libelle);
    }
    for (int i = 0; i < 6; ++i) {
        if (question)
            showPoints(i, question->storedVal(i));
        chkVal(i)->setChecked(false);
        if (question)
            lblLib(i)->setText(question->lib[size_t(i)]);
        nameTick(i);
        chkVal(i)->setVisible(!lblLib(i)->text().isEmpty());
    }
    for (int i = 0; i < 6; ++i) {
        chkVal(i)->setCursor(m_pointer);
        lblLib(i)->setCursor(lblLib(i)->text().isEmpty() ? QCursor(Qt::ArrowCursor) : m_pointer);
    }
}

// The points as the file holds them, however large: a value out of range is
// shown whole, never wrapped, and one that is no whole number is shown as
// the text it is, on grey rather than on the colour of a sign.
void fQCM::showPoints(int slot, const QVariant &stored)
{
    QLabel *label = lblVal(slot);
    const QString role = QStringLiteral("Points de la réponse %1").arg(QChar(u'A' + slot));
    label->setToolTip({});
    if (stored.isNull()) {
        label->clear();
        label->setAccessibleDescription(role);
        return;
    }
    const std::optional<qint64> value = pointsValue(stored);
    if (!value) {
        label->setText(stored.toString());
        label->setToolTip(QStringLiteral("Valeur invalide : ce n'est pas un nombre entier de points."));
        label->setAccessibleDescription(role + QStringLiteral(" : valeur invalide"));
        setColours(label, QColor(190, 190, 190), Qt::black);
        return;
    }
    const qint64 v = *value;
    label->setText(QString::number(v));
    QString meaning = role
        + QStringLiteral(" : %1 %2").arg(v).arg(v >= -1 && v <= 1 ? QStringLiteral("point") : QStringLiteral("points"));
    if (v < -6 || v > 6) {
        label->setToolTip(QStringLiteral("Valeur invalide : les points vont de -6 à 6."));
        meaning += QStringLiteral(", valeur invalide");
    }
    label->setAccessibleDescription(meaning);
    setColours(label, v < 0 ? QColor(255, 0, 0) : v == 0 ? QColor(255, 255, 255) : QColor(0, 255, 0), Qt::black);
}

void fQCM::ShowEmptyDomain()
{
    clearQuestionArea(kEmptyDomain);
}

void fQCM::ShowNextQuestion()
{
    DataBinding &que = m_state.datQue;
    if (!que.eof()) {
        que.moveNext();
        if (m_state.CurrentIndex == m_state.QuestionCount - 1)
            m_state.dialogs().MoxBox(QStringLiteral("Terminé !"), Icon::Information, QStringLiteral("Cà y est !"));
        else
            ++m_state.CurrentIndex;
        ShowQuestion(m_state.CurrentIndex);
    }
    ApplyLearnMode();
}

void fQCM::ShowPreviousQuestion()
{
    DataBinding &que = m_state.datQue;
    if (!que.bof()) {
        que.movePrevious();
        if (m_state.CurrentIndex == 0)
            m_state.dialogs().MoxBox(
                QStringLiteral("On est à la première question... !"), Icon::Information, QStringLiteral("Avis"));
        else
            --m_state.CurrentIndex;
        ShowQuestion(m_state.CurrentIndex);
    }
    ApplyLearnMode();
}

void fQCM::ApplyLearnMode()
{
    const bool learning = m_chkApprendre->isChecked();
    for (int i = 0; i < 6; ++i) {
        lblVal(i)->setVisible(learning && !chkVal(i)->isHidden());
        chkVal(i)->setEnabled(!learning);
    }
}

void fQCM::onLearnModeClicked()
{
    ApplyLearnMode();
    cmd(1)->setVisible(!m_chkApprendre->isChecked());
}

void fQCM::onTickChanged()
{
    bool ticked = false;
    for (QCheckBox *c : m_chkVal)
        ticked = ticked || c->isChecked();
    cmd(1)->setEnabled(ticked);
    if (!cmd(1)->isHidden() && cmd(1)->isEnabled())
        cmd(1)->setFocus();
}

void fQCM::revealPoints()
{
    for (int i = 0; i < 6; ++i) {
        lblVal(i)->setVisible(!chkVal(i)->isHidden());
        chkVal(i)->setEnabled(false);
    }
    cmd(4)->setFocus();
}

void fQCM::toggle(int slot)
{
    QCheckBox *box = chkVal(slot);
    box->setChecked(!box->isChecked());
}

void fQCM::onChoiceTextReleased(int slot, Qt::MouseButton button, const QPoint &globalPos)
{
    if (button == Qt::RightButton) {
        if (!lblLib(slot)->text().isEmpty()) {
            m_state.ChosenAnswer = slot;
            Q_EMIT choiceMenuRequested(slot, globalPos);
        }
        return;
    }
    m_state.ChosenAnswer = 0;
    if (chkVal(slot)->isEnabled())
        toggle(slot);
}

void fQCM::onCommand(int index)
{
    switch (index) {
    case 0:
        Q_EMIT quitRequested();
        break;
    case 1:
        revealPoints();
        m_practice->checked();
        break;
    case 3:
    case 4:
        if (m_practice->active())
            m_practice->step(index == 4 ? 1 : -1);
        else if (index == 4)
            ShowNextQuestion();
        else
            ShowPreviousQuestion();
        break;
    case 6:
        m_state.EditorDomainIndex = 0;
        m_state.EditorQuestionNumber.clear();
        m_state.windows().showEditor();
        break;
    case 9:
        m_state.OpenComposer();
        break;
    case 10:
        // Once other banks were opened, they are offered before the file dialog.
        if (QMenu *recent = recentBanksMenu(m_state, this))
            recent->popup(cmd(10)->mapToGlobal(QPoint(0, cmd(10)->height())));
        else
            m_state.ChooseDatabase();
        break;
    case 11:
        m_state.windows().showExamSetup();
        break;
    case 12:
        m_state.windows().showResults();
        break;
    default:
        break;
    }
}

void fQCM::setPracticeLog(std::unique_ptr<PracticeLog> log)
{
    m_practice->setLog(std::move(log));
}

void fQCM::practiseMistakes(const QString &candidate)
{
    m_practice->start(candidate);
}

QComboBox *fQCM::cmbCandidat() const
{
    return m_practice->candidateBox();
}

void fQCM::correctStatement()
{
    if (const std::optional<QString> text = Corrections::correctStatement(m_state, lbl(2)->text(), lbl(3)->text()))
        lbl(3)->setText(*text);
}

void fQCM::correctChoice()
{
    const int slot = m_state.ChosenAnswer;
    if (slot < 0 || slot > 5)
        return;
    if (const std::optional<QString> text
        = Corrections::correctChoice(m_state, lbl(2)->text(), slot, lblLib(slot)->text())) {
        lblLib(slot)->setText(*text);
        nameTick(slot);
    }
}

// A tick is read with the answer it is for: its letter and its text.
void fQCM::nameTick(int slot)
{
    const QString letter = QStringLiteral("Réponse %1").arg(QChar(u'A' + slot));
    const QString text = lblLib(slot)->text();
    chkVal(slot)->setAccessibleName(text.isEmpty() ? letter : letter + QStringLiteral(" : ") + text);
}

// The menu key opens the corrections too: on the choice whose box has the
// focus, else on the question. (A right click opens them on release.)
void fQCM::keyboardMenu()
{
    for (int i = 0; i < 6; ++i) {
        if (QApplication::focusWidget() == chkVal(i) && !lblLib(i)->text().isEmpty()) {
            m_state.ChosenAnswer = i;
            Q_EMIT choiceMenuRequested(i, lblLib(i)->mapToGlobal(QPoint(0, lblLib(i)->height())));
            m_mnuPopupRep->setActiveAction(m_mnuPopRep);
            return;
        }
    }
    Q_EMIT questionMenuRequested(m_scroll->viewport()->mapToGlobal(QPoint(0, 0)));
    m_mnuPopup->setActiveAction(m_mnuPop);
}

void fQCM::showAbout()
{
    if (!m_about)
        m_about = new frmAbout(aboutContext(m_state), this);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

bool fQCM::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::Paint && watched == lbl(3) && !lbl(2)->text().isEmpty())
        Q_EMIT questionPainted();
    if (type == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        for (int i = 0; i < 6; ++i) {
            if (watched == lblLib(i)) {
                onChoiceTextReleased(i, mouse->button(), mouse->globalPosition().toPoint());
                return false;
            }
        }
        for (int i = 0; i < 4; ++i) {
            if (watched == lbl(i) && mouse->button() == Qt::RightButton) {
                Q_EMIT questionMenuRequested(mouse->globalPosition().toPoint());
                return false;
            }
        }
        if (watched == m_lblBase && mouse->button() == Qt::LeftButton) {
            m_state.ChooseDatabase();
            return true;
        }
    }
    return false;
}

// The window sees keys before its controls.
bool fQCM::previewKey(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::ContextMenu) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || widget->window() != this
            || static_cast<QContextMenuEvent *>(event)->reason() != QContextMenuEvent::Keyboard)
            return false;
        keyboardMenu();
        return true;
    }
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    // Each key is handled once, where it is delivered first.
    QWidget *focus = QApplication::focusWidget();
    if (!widget || widget->window() != this || (focus ? widget != focus : widget != this))
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (type == QEvent::KeyRelease) {
        if (key->key() == Qt::Key_F1 && !key->isAutoRepeat()) {
            showAbout();
            return true;
        }
        return false;
    }
    // What is typed in the search box is text, not a choice.
    if (widget == m_search)
        return false;
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    const QString text = key->text();
    if (text.size() == 1 && text.at(0) >= u'1' && text.at(0) <= u'6') {
        toggle(text.at(0).unicode() - u'1');
        // A digit meant for a choice must not also pick another domain.
        return widget == m_lstDomaine;
    }
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        if (auto *button = qobject_cast<QPushButton *>(widget); button && button->isEnabled()) {
            button->animateClick();
            return true;
        }
    }
    return false;
}

} // namespace qcm
