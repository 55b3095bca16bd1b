#include "dialogs/fBox.h"

#include "ui/Background.h"
#include "ui/PasteGuard.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCloseEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>
#include <QTextLayout>

#include <memory>

namespace qcm {

namespace {

// Design of the window, in twips.
constexpr int kClientWidth = 7200;
constexpr int kTxtLeft = 1080, kTxtTop = 120, kTxtWidth = 6015, kTxtDesignHeight = 1195;
constexpr int kButtonHeight = 375;
constexpr int kLineHeight = 220;
// The heights of the rules count the title bar and borders, which Qt keeps
// outside the client area: this much of them is not ours to size.
constexpr int kFrameAllowance = 360;
constexpr int kLargeScreen = 11520;

const QColor kPaleYellow(230, 231, 176);
const QColor kLightRed(255, 128, 128);

const char *const kPictureNames[fBox::kPictureCount] = {"information", "ampoule", "avertissement", "corbeille",
    "flèche de retour", "flèche en avant", "éclair", "imprimante", "globe", "point d'interrogation", "appareil photo",
    "bouton marche-arrêt", "jumelles", "base de données et loupe", "disque dur", "clé USB", "archive compressée",
    "flèches d'actualisation", "documents", "symbole euro", "scanner", "disques interdits", "bouton PDF"};
constexpr int kQuestionMark = 9;

int s_screenHeightTwips = 0;

bool cancels(const QString &caption)
{
    return caption == QStringLiteral("Abandonner") || caption == QStringLiteral("Annuler");
}

} // namespace

void fBox::setScreenHeightTwips(int twips)
{
    s_screenHeightTwips = twips;
}

fBox::fBox(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fBox"));
    setWindowTitle(QStringLiteral("Avis"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setModal(true);
    // Closing a message must never end the program, even before its main window shows.
    setAttribute(Qt::WA_QuitOnClose, false);

    const int side = 960;
    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("Img(0)"));
    m_picture->setGeometry(twipsRect(60, 60, side, side));
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setAccessibleName(QStringLiteral("Image"));
    for (int i = 0; i < kPictureCount; ++i)
        m_store[size_t(i)]
            = svgPixmap(QStringLiteral(":/pictures/icon%1.svg").arg(i, 2, 10, QLatin1Char('0')), m_picture->size());

    m_txt = new SafeTextEdit(this);
    m_txt->setObjectName(QStringLiteral("txt"));
    m_txt->setAccessibleName(QStringLiteral("Message"));
    m_txt->setReadOnly(true);
    m_txt->setTabChangesFocus(true);
    m_txt->setAcceptRichText(false);
    m_txt->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_txt->setLineWidth(1);
    m_txt->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_txt->setGeometry(twipsRect(kTxtLeft, kTxtTop, kTxtWidth, kTxtDesignHeight));
    m_txt->document()->setDocumentMargin(1);
    // Every line is exactly the height the sizing rule gives it, so the font
    // must fit in that height.
    QFont font = m_txt->font();
    const double lineHeight = kLineHeight * Twips::pixelsPerTwip();
    while (QFontMetricsF(font).lineSpacing() > lineHeight && font.pointSizeF() > 6)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    m_txt->setFont(font);

    const int designLeft[3] = {5160, 3120, 1080};
    for (int i = 0; i < 3; ++i) {
        auto *button = new QPushButton(this);
        button->setObjectName(QStringLiteral("cmd(%1)").arg(i));
        button->setAccessibleName(QStringLiteral("Bouton %1").arg(i));
        m_cmd[size_t(i)] = button;
        m_left[size_t(i)] = designLeft[i];
        m_width[size_t(i)] = 1935;
        button->setGeometry(twipsRect(designLeft[i], 1440, 1935, kButtonHeight));
        button->setVisible(i == 0);
        connect(button, &QPushButton::clicked, this, [this, i] { finish(i); });
    }
    m_cmd[0]->setText(QStringLiteral("OK"));
    m_cmd[0]->setAccessibleName(QStringLiteral("OK"));
    setTabOrder(m_cmd[2], m_cmd[1]);
    setTabOrder(m_cmd[1], m_cmd[0]);
    setTabOrder(m_cmd[0], m_txt);

    // Escape belongs to the window whichever control has the focus.
    m_txt->installEventFilter(this);
    for (QPushButton *button : m_cmd)
        button->installEventFilter(this);

    setFixedSize(Twips::toPixels(kClientWidth), Twips::toPixels(kTxtDesignHeight + 1160 - kFrameAllowance));
}

fBox::~fBox() = default;

int fBox::showMessage(const QString &message, int icon, const QString &title, const QString &caption0,
    const QString &caption1, const QString &caption2, int alignment)
{
    const QString captions[3] = {caption0.isEmpty() ? QStringLiteral("OK") : caption0, caption1, caption2};
    for (int i = 0; i < 3; ++i) {
        QPushButton *button = m_cmd[size_t(i)];
        button->setText(captions[i]);
        if (!captions[i].isEmpty())
            button->setAccessibleName(QString(captions[i]).remove(QLatin1Char('&')));
        button->setVisible(!captions[i].isEmpty());
        if (i > 0 && !captions[i].isEmpty())
            showPicture(kQuestionMark);
    }

    const bool has1 = !caption1.isEmpty();
    const bool has2 = !caption2.isEmpty();
    if (has1 && has2) {
        placeButton(2, 1080, 1935);
        placeButton(1, 3120, 1935);
        placeButton(0, 5160, 1935);
    } else if (has1) {
        placeButton(1, 1080, 2960);
        placeButton(0, 4160, 2960);
    } else if (!has2) {
        placeButton(0, 1080, 6015);
    }

    m_result = 0;
    setWindowTitle(title.isEmpty() ? QStringLiteral("Avis") : title);
    setAccessibleName(windowTitle());

    if (icon >= 0 && icon < kPictureCount)
        showPicture(icon);

    QPalette palette = m_txt->palette();
    palette.setColor(QPalette::Base, icon == 6 || icon == 21 ? kLightRed : kPaleYellow);
    palette.setColor(QPalette::Text, Qt::black);
    m_txt->setPalette(palette);

    // The caller's line breaks are carriage return + line feed; the text box
    // knows only paragraphs.
    QString text = message;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_txt->setPlainText(text);
    QTextFrameFormat frame = m_txt->document()->rootFrame()->frameFormat();
    frame.setLeftMargin(4);
    frame.setRightMargin(4);
    m_txt->document()->rootFrame()->setFrameFormat(frame);

    const int lines = wrappedLineCount();
    Qt::Alignment align = Qt::AlignLeft;
    if (lines <= 1 || alignment == 2)
        align = Qt::AlignHCenter;
    else if (alignment == 1)
        align = Qt::AlignRight;
    QTextBlockFormat block;
    block.setAlignment(align);
    block.setLineHeight(kLineHeight * Twips::pixelsPerTwip(), QTextBlockFormat::FixedHeight);
    QTextCursor cursor(m_txt->document());
    cursor.select(QTextCursor::Document);
    cursor.mergeBlockFormat(block);
    m_txt->moveCursor(QTextCursor::Start);

    const int shownLines = std::min(lines, maxLines());
    const int txtHeight = kLineHeight * shownLines + 95;
    m_txt->setGeometry(twipsRect(kTxtLeft, kTxtTop, kTxtWidth, txtHeight));
    for (int i = 0; i < 3; ++i)
        m_cmd[size_t(i)]->setGeometry(twipsRect(m_left[size_t(i)], txtHeight + 245, m_width[size_t(i)], kButtonHeight));
    setFixedSize(Twips::toPixels(kClientWidth), Twips::toPixels(txtHeight + 1160 - kFrameAllowance));

    if (const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect frameRect = frameGeometry();
        frameRect.moveCenter(screen->availableGeometry().center());
        move(frameRect.topLeft());
    }

    QApplication::beep();
    // A wait pointer set by the caller would be misleading while the box
    // waits for the user.
    const bool pointerOverridden = QGuiApplication::overrideCursor() != nullptr;
    if (pointerOverridden)
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    m_closedByCloseBox = false;
    exec();
    if (pointerOverridden)
        QGuiApplication::restoreOverrideCursor();
    return m_result;
}

// A picture that failed to load leaves the previous one in place.
void fBox::showPicture(int icon)
{
    if (m_store[size_t(icon)].isNull())
        return;
    m_picture->setPixmap(m_store[size_t(icon)]);
    m_picture->setAccessibleName(QStringLiteral("Image : ") + QString::fromUtf8(kPictureNames[icon]));
}

void fBox::placeButton(int index, int left, int width)
{
    m_left[size_t(index)] = left;
    m_width[size_t(index)] = width;
}

// The text box's own count: wrapped lines at its width and font, an empty
// paragraph counting as one line.
int fBox::wrappedLineCount() const
{
    std::unique_ptr<QTextDocument> doc(m_txt->document()->clone());
    doc->setDefaultFont(m_txt->font());
    doc->setTextWidth(Twips::toPixels(kTxtWidth) - 2 * m_txt->frameWidth());
    doc->documentLayout()->documentSize(); // lays the whole text out
    int lines = 0;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
        lines += block.layout() ? std::max(1, block.layout()->lineCount()) : 1;
    return lines;
}

int fBox::maxLines() const
{
    int screenTwips = s_screenHeightTwips;
    if (screenTwips <= 0) {
        const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
        screenTwips = screen ? Twips::fromPixels(screen->geometry().height()) : 0;
    }
    return screenTwips > kLargeScreen ? 45 : 30;
}

void fBox::finish(int result)
{
    m_result = result;
    done(result);
}

void fBox::escapePressed()
{
    for (int i = 0; i < 3; ++i) {
        if (cancels(m_cmd[size_t(i)]->text())) {
            finish(i);
            return;
        }
    }
    finish(kEscapeResult);
}

bool fBox::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        escapePressed();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void fBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        escapePressed();
        return;
    }
    QDialog::keyPressEvent(event);
}

void fBox::closeEvent(QCloseEvent *event)
{
    if (isVisible()) {
        m_closedByCloseBox = true;
        finish(kCloseBoxResult);
    }
    event->accept();
}

void fBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PaintWindowBackground(painter, size(), QColor(161, 179, 181), QColor(255, 250, 174), true);
}

void fBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_cmd[0]->setDefault(true);
    m_cmd[0]->setFocus(Qt::ActiveWindowFocusReason);
    activateWindow();
}

} // namespace qcm
