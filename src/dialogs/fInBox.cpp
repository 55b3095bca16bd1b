#include "dialogs/fInBox.h"

#include "dialogs/fBox.h"
#include "ui/Background.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include <cmath>

namespace qcm {

namespace {

// Design of the window, in twips.
constexpr int kClientWidth = 6600;
constexpr int kMargin = 120;
constexpr int kPictureSide = 720;
constexpr int kLabelLeft = kMargin + kPictureSide + kMargin;
constexpr int kLabelDesignHeight = 720;
constexpr int kButtonWidth = 1440, kButtonHeight = 375;

} // namespace

fInBox::fInBox(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fInBox"));
    setWindowTitle(QStringLiteral("Entrez votre message"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setModal(true);
    setAttribute(Qt::WA_QuitOnClose, false);

    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("Img(0)"));
    m_picture->setAccessibleName(QStringLiteral("Image : saisie"));
    m_picture->setGeometry(twipsRect(kMargin, kMargin, kPictureSide, kPictureSide));
    m_picture->setPixmap(svgPixmap(QStringLiteral(":/pictures/edit.svg"), m_picture->size()));

    m_lbl = new QLabel(this);
    m_lbl->setObjectName(QStringLiteral("lbl"));
    m_lbl->setWordWrap(true);
    m_lbl->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_lbl->setText(QStringLiteral("Label"));

    m_txt = new QLineEdit(this);
    m_txt->setObjectName(QStringLiteral("txt"));
    m_txt->setAccessibleName(QStringLiteral("Texte à saisir"));
    m_lbl->setBuddy(m_txt);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("cmd(0)"));
    m_ok->setAccessibleName(QStringLiteral("OK"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Annuler"), this);
    m_cancel->setObjectName(QStringLiteral("cmd(1)"));
    m_cancel->setAccessibleName(QStringLiteral("Annuler"));
    m_cancel->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, [this] { buttonClicked(0); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { buttonClicked(1); });
    setTabOrder(m_txt, m_ok);
    setTabOrder(m_ok, m_cancel);

    layOut();
}

fInBox::~fInBox() = default;

// The prompt gets as many lines as it needs; everything below moves down.
void fInBox::layOut()
{
    const int labelWidth = kClientWidth - kLabelLeft - kMargin;
    const int needed = Twips::fromPixels(m_lbl->heightForWidth(Twips::toPixels(labelWidth)));
    const int labelHeight = std::max(kLabelDesignHeight, needed);
    m_lbl->setGeometry(twipsRect(kLabelLeft, kMargin, labelWidth, labelHeight));

    const int txtTop = kMargin + labelHeight + kMargin;
    const int txtHeight = std::max(345, Twips::fromPixels(m_txt->sizeHint().height()));
    m_txt->setGeometry(twipsRect(kMargin, txtTop, kClientWidth - 2 * kMargin, txtHeight));

    const int buttonTop = txtTop + txtHeight + 180;
    const int cancelLeft = kClientWidth - kMargin - kButtonWidth;
    m_cancel->setGeometry(twipsRect(cancelLeft, buttonTop, kButtonWidth, kButtonHeight));
    m_ok->setGeometry(twipsRect(cancelLeft - kMargin - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight));

    setFixedSize(Twips::toPixels(kClientWidth), Twips::toPixels(buttonTop + kButtonHeight + kMargin));
}

QString fInBox::ask(const QString &prompt, const QString &title, const QString &defaultText, int &left, int &top)
{
    m_lbl->setText(prompt);
    m_lbl->setAccessibleName(prompt);
    // A longer text than the usual limit must come back whole.
    m_txt->setMaxLength(std::max<qsizetype>(32767, defaultText.size()));
    m_txt->setText(defaultText);
    setWindowTitle(title);
    setAccessibleName(title);
    layOut();

    if (left == 0 || top == 0) {
        const QScreen *screen = QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->geometry() : QRect(0, 0, 0, 0);
        // The whole window, title bar included, once it has been shown.
        const QSize window = frameGeometry().size();
        if (left == 0)
            left = int(std::lround((Twips::fromPixels(area.width()) - Twips::fromPixels(window.width())) / 2.0))
                + Twips::fromPixels(area.x());
        if (top == 0)
            top = int(std::lround((Twips::fromPixels(area.height()) - Twips::fromPixels(window.height())) / 2.0))
                + Twips::fromPixels(area.y());
    }
    move(Twips::toPixels(left), Twips::toPixels(top));

    exec();
    return m_txt->text();
}

void fInBox::buttonClicked(int index)
{
    if (index == 1)
        m_txt->clear();
    if (m_keepPlace)
        m_keepPlace(Twips::fromPixels(x()), Twips::fromPixels(y()));
    done(index == 0 ? Accepted : Rejected);
}

void fInBox::reject()
{
    buttonClicked(1);
}

void fInBox::closeEvent(QCloseEvent *event)
{
    if (isVisible()) {
        m_txt->clear();
        done(Rejected);
    }
    event->accept();
}

void fInBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PaintWindowBackground(painter, size(), QColor(161, 179, 181), QColor(223, 241, 168), false);
}

// Offered for overwriting each time the box opens. Not on later
// reactivations, where a keystroke would wipe a half-made correction.
void fInBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_txt->setFocus(Qt::ActiveWindowFocusReason);
    m_txt->selectAll();
    activateWindow();
}

} // namespace qcm
