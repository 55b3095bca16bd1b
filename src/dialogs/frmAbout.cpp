#include "dialogs/frmAbout.h"

#include "dialogs/Connexion.h"
#include "dialogs/fBox.h"
#include "services/DialogService.h"
#include "state/Branding.h"
#include "ui/Background.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSysInfo>

namespace qcm {

namespace {

// Design of the window, in twips.
constexpr int kClientWidth = 8400;
constexpr int kMargin = 240;
constexpr int kPictureSide = 1440;
constexpr int kTextLeft = kMargin + kPictureSide + kMargin;
constexpr int kTextWidth = kClientWidth - kTextLeft - kMargin;
constexpr int kButtonHeight = 375;

const QString kCrLf = QStringLiteral("\r\n");

} // namespace

frmAbout::frmAbout(AboutContext context, QWidget *parent)
    : QDialog(parent), m_context(std::move(context)), m_isConnected(&Connexion::IsConnected),
      m_openUrl([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("À propos de ") + Branding::applicationTitle());
    setAccessibleName(windowTitle());
    setModal(false);

    const QCursor hand = handPointer();

    m_logo = new QLabel(this);
    m_logo->setObjectName(QStringLiteral("Image1"));
    m_logo->setAccessibleName(QStringLiteral("Logo de l'association : ouvre le site web"));
    m_logo->setGeometry(twipsRect(kMargin, kMargin, kPictureSide, kPictureSide));
    m_logo->setPixmap(svgPixmap(QStringLiteral(":/pictures/logo.svg"), m_logo->size()));
    m_logo->setCursor(hand);
    m_logo->installEventFilter(this);

    auto *decoration = new QLabel(this);
    decoration->setObjectName(QStringLiteral("Image2"));
    decoration->setAccessibleName(QStringLiteral("Image : deltaplane"));
    decoration->setGeometry(twipsRect(kMargin, 2 * kMargin + kPictureSide, kPictureSide, kPictureSide));
    decoration->setPixmap(svgPixmap(QStringLiteral(":/pictures/decoration.svg"), decoration->size()));

    // The texts are stacked, each as tall as its wrapped lines in its font.
    int y = kMargin;
    auto addText = [&](const char *name, const QString &text, int gapAfter, auto &&styleFont) {
        auto *label = new QLabel(text, this);
        label->setObjectName(QString::fromLatin1(name));
        label->setAccessibleName(text);
        label->setWordWrap(true);
        QFont font = label->font();
        styleFont(font);
        label->setFont(font);
        const int height = Twips::fromPixels(label->heightForWidth(Twips::toPixels(kTextWidth)));
        label->setGeometry(twipsRect(kTextLeft, y, kTextWidth, height));
        y += height + gapAfter;
        return label;
    };
    const auto plain = [](QFont &) {};
    addText("lblTitle", Branding::applicationTitle(), 0, [](QFont &font) {
        font.setPointSizeF(font.pointSizeF() * 1.6);
        font.setBold(true);
    });
    addText("lblVersion", QStringLiteral("Version ") + m_context.version, 180, plain);
    addText("lblDescription", Branding::description(), 180, plain);
    addText("Label1", Branding::credits(), 120, plain);
    addText("lbl", Branding::slogan(), 180, [](QFont &font) { font.setItalic(true); });
    m_web = addText("lblWeb", Branding::webAddress(), 0, [](QFont &font) { font.setUnderline(true); });
    m_web->setAccessibleName(QStringLiteral("Site web de l'association : ") + Branding::webAddress());
    QPalette linkPalette = m_web->palette();
    linkPalette.setColor(QPalette::WindowText, QColor(0, 0, 204));
    m_web->setPalette(linkPalette);
    m_web->setCursor(hand);
    m_web->setFocusPolicy(Qt::StrongFocus);
    m_web->installEventFilter(this);

    const int buttonTop = std::max(y, 3 * kMargin + 2 * kPictureSide) + 2 * kMargin;
    m_chk = new QCheckBox(QStringLiteral("Afficher le ciel étoilé"), this);
    m_chk->setObjectName(QStringLiteral("chk"));
    m_chk->setAccessibleName(m_chk->text());
    m_chk->setChecked(m_context.starsShown());
    m_chk->setGeometry(twipsRect(kMargin, buttonTop, 3600, kButtonHeight));
    connect(m_chk, &QCheckBox::clicked, this, &frmAbout::switchStars);

    auto *ok = m_ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setAccessibleName(QStringLiteral("OK"));
    ok->setDefault(true);
    ok->setGeometry(twipsRect(kClientWidth - kMargin - 1440, buttonTop, 1440, kButtonHeight));
    connect(ok, &QPushButton::clicked, this, &QDialog::close);

    auto *sysInfo = new QPushButton(QStringLiteral("&Infos système..."), this);
    sysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    sysInfo->setAccessibleName(QStringLiteral("Infos système"));
    sysInfo->setAutoDefault(false);
    sysInfo->setGeometry(twipsRect(kClientWidth - 2 * kMargin - 1440 - 2160, buttonTop, 2160, kButtonHeight));
    connect(sysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);

    setTabOrder(ok, sysInfo);
    setTabOrder(sysInfo, m_chk);
    setTabOrder(m_chk, m_web);
    setFixedSize(Twips::toPixels(kClientWidth), Twips::toPixels(buttonTop + kButtonHeight + kMargin));
}

frmAbout::~frmAbout() = default;

void frmAbout::switchStars(bool on)
{
    // When the file cannot be written the choice holds for this run only, and
    // the user is told so: the box stays as the sky is.
    QString why;
    if (!m_context.showStars(on, &why))
        m_context.dialogs->MoxBox(QStringLiteral("Le ciel étoilé sera ")
                + (on ? QStringLiteral("affiché") : QStringLiteral("masqué"))
                + QStringLiteral(" jusqu'à la fermeture du programme, mais ce choix n'a pas pu être enregistré dans "
                                 "le fichier de paramètres")
                + kCrLf + m_context.settingsPath() + kCrLf
                + QStringLiteral("et ne sera pas repris au prochain démarrage.") + kCrLf + kCrLf + why,
            Icon::Warning, QStringLiteral("Paramètres non enregistrés"), QStringLiteral("OK"));
}

void frmAbout::openWebSite()
{
    const QString address = Branding::webAddress();
    if (!m_isConnected()) {
        m_context.dialogs->MoxBox(QStringLiteral("Vous n'êtes pas connecté à Internet !") + kCrLf
                + QStringLiteral("Accès impossible à ") + address,
            21, QStringLiteral("Connexion impossible"), QStringLiteral("OK"), {}, {}, 2);
        return;
    }
    if (!m_openUrl(QUrl(address)))
        m_context.dialogs->MoxBox(QStringLiteral("Le navigateur n'a pas pu ouvrir ") + address + QLatin1Char('.'), 8,
            QStringLiteral("Avis"), QStringLiteral("OK"), {}, {}, 0);
}

QString frmAbout::systemInformation() const
{
    const QString product = QSysInfo::prettyProductName();
    const QString kernel = (QSysInfo::kernelType() + QLatin1Char(' ') + QSysInfo::kernelVersion()).trimmed();
    if (product.isEmpty() && kernel.isEmpty())
        return {};
    QStringList lines;
    lines << QStringLiteral("Programme : ") + Branding::applicationTitle() + QStringLiteral(" version ")
            + m_context.version;
    lines << QStringLiteral("Bibliothèque Qt : ") + QString::fromLatin1(qVersion());
    lines << QStringLiteral("Système : ") + product + QStringLiteral(" (noyau ") + kernel + QLatin1Char(')');
    lines << QStringLiteral("Processeur : ") + QSysInfo::currentCpuArchitecture();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QSize size = screen->size();
        lines << QStringLiteral("Écran : %1 × %2 pixels, %3 points par pouce")
                     .arg(size.width())
                     .arg(size.height())
                     .arg(qRound(screen->logicalDotsPerInch()));
    }
    lines << QStringLiteral("Dossier du programme : ") + m_context.programFolder();
    lines << QStringLiteral("Base de données : ") + m_context.bankPath();
    lines << QStringLiteral("Fichier de réglages : ") + m_context.settingsPath();
    return lines.join(kCrLf);
}

void frmAbout::StartSysInfo()
{
    const QString info = systemInformation();
    if (info.isEmpty())
        m_context.dialogs->MoxBox(QStringLiteral("Les informations système ne sont pas disponibles actuellement."), 0,
            QStringLiteral("Avis"), QStringLiteral("OK"), {}, {}, 0);
    else
        m_context.dialogs->MoxBox(info, 0, QStringLiteral("Infos système"), QStringLiteral("OK"), {}, {}, 0);
}

bool frmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_web || watched == m_logo) {
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton
                && static_cast<QWidget *>(watched)->rect().contains(mouse->position().toPoint())) {
                openWebSite();
                return true;
            }
        } else if (event->type() == QEvent::KeyPress && watched == m_web) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
                openWebSite();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmAbout::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PaintWindowBackground(painter, size(), QColor(236, 243, 250), QColor(196, 218, 238), true);
}

// The switch may have changed elsewhere since the box was last open. Enter
// closes the box rather than opening the browser.
void frmAbout::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_chk->setChecked(m_context.starsShown());
    m_ok->setFocus();
}

} // namespace qcm
