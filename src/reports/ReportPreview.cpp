#include "ReportPreview.h"

#include "services/DialogService.h"
#include "ui/WindowPlacement.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include <cmath>

namespace qcm {

namespace {

enum class Glyph { Print, First, Previous, Next, Last, ZoomOut, ZoomIn };

// Toolbar pictures drawn here rather than taken from an icon theme, which a
// plain desktop may not have.
QIcon toolIcon(Glyph glyph)
{
    QPixmap pixmap(48, 48);
    pixmap.setDevicePixelRatio(2);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x2F, 0x3B, 0x4C);
    p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    auto triangle = [&](double tip, double base) {
        QPainterPath path;
        path.moveTo(base, 6);
        path.lineTo(base, 18);
        path.lineTo(tip, 12);
        path.closeSubpath();
        p.fillPath(path, ink);
    };
    switch (glyph) {
    case Glyph::Print:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7, 3.5, 10, 6));
        p.setBrush(ink);
        p.drawRoundedRect(QRectF(3.5, 9, 17, 8), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7, 14, 10, 6.5));
        break;
    case Glyph::First:
        p.drawLine(QPointF(6, 6), QPointF(6, 18));
        triangle(8, 18);
        break;
    case Glyph::Previous:
        triangle(7, 16);
        break;
    case Glyph::Next:
        triangle(17, 8);
        break;
    case Glyph::Last:
        p.drawLine(QPointF(18, 6), QPointF(18, 18));
        triangle(16, 6);
        break;
    case Glyph::ZoomOut:
    case Glyph::ZoomIn:
        p.drawEllipse(QPointF(10, 10), 6, 6);
        p.setPen(QPen(ink, 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(14.5, 14.5), QPointF(20, 20));
        p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(7, 10), QPointF(13, 10));
        if (glyph == Glyph::ZoomIn)
            p.drawLine(QPointF(10, 7), QPointF(10, 13));
        break;
    }
    return QIcon(pixmap);
}

QString percent(double factor)
{
    return QStringLiteral("%1\u00A0%").arg(std::lround(factor * 100));
}

} // namespace

ReportPreview::ReportPreview(
    std::shared_ptr<const ReportDocument> document, const QString &title, PreviewServices services, QWidget *parent)
    : QMainWindow(parent, Qt::Window), m_document(std::move(document)), m_services(std::move(services)),
      m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    // Only the title given: the program sets no display name that the
    // toolkit would append to it.
    setWindowTitle(title);
    m_printer->setPageLayout(ReportDocument::pageLayout());
    m_printer->setFullPage(true);
    m_printer->setDocName(title);

    m_view = new QPrintPreviewWidget(m_printer.get(), this);
    m_view->setAccessibleName(QStringLiteral("Pages du document"));
    m_view->setAccessibleDescription(QStringLiteral("Aperçu avant impression de « %1 »").arg(title));
    m_view->setZoomMode(QPrintPreviewWidget::FitToWidth);
    setCentralWidget(m_view);
    connect(m_view, &QPrintPreviewWidget::paintRequested, this, &ReportPreview::paintPages);
    connect(m_view, &QPrintPreviewWidget::previewChanged, this, &ReportPreview::updateControls);
    buildToolbar();
    updateControls();

    // Most of the screen, every tool of the bar in sight, in the middle.
    const QSize room = roomOnScreen(this, parent);
    const int toolbar
        = findChild<QToolBar *>()->sizeHint().width() + 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    placeWindow(this, QSize(std::max(toolbar, room.width() * 4 / 5), room.height()));
}

ReportPreview::~ReportPreview() = default;

void ReportPreview::buildToolbar()
{
    QToolBar *bar = addToolBar(QStringLiteral("Aperçu"));
    bar->setObjectName(QStringLiteral("previewToolbar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->setIconSize(QSize(24, 24));

    auto action = [this, bar](Glyph glyph, const QString &text, const QKeySequence &key, auto slot) {
        QAction *a = bar->addAction(toolIcon(glyph), text);
        a->setShortcut(key);
        a->setToolTip(
            key.isEmpty() ? text : QStringLiteral("%1 (%2)").arg(text, key.toString(QKeySequence::NativeText)));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };

    m_print = action(Glyph::Print, QStringLiteral("Imprimer…"), QKeySequence::Print, [this] { print(); });
    m_print->setEnabled(bool(m_services.choosePrinter));
    if (auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(m_print)))
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->addSeparator();

    m_first = action(
        Glyph::First, QStringLiteral("Première page"), QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { goToPage(1); });
    m_previous = action(Glyph::Previous, QStringLiteral("Page précédente"), QKeySequence(Qt::Key_PageUp),
        [this] { goToPage(currentPage() - 1); });
    m_pageBox = new QSpinBox(bar);
    m_pageBox->setAccessibleName(QStringLiteral("Page affichée"));
    m_pageBox->setRange(1, std::max(1, m_document->pageCount()));
    m_pageBox->setAlignment(Qt::AlignRight);
    bar->addWidget(m_pageBox);
    connect(m_pageBox, &QSpinBox::valueChanged, this, &ReportPreview::goToPage);
    m_pageTotal = new QLabel(QStringLiteral("\u00A0/ %1 ").arg(m_document->pageCount()), bar);
    m_pageTotal->setAccessibleDescription(QStringLiteral("Nombre de pages"));
    bar->addWidget(m_pageTotal);
    m_next = action(Glyph::Next, QStringLiteral("Page suivante"), QKeySequence(Qt::Key_PageDown),
        [this] { goToPage(currentPage() + 1); });
    m_last = action(Glyph::Last, QStringLiteral("Dernière page"), QKeySequence(Qt::CTRL | Qt::Key_End),
        [this] { goToPage(pageCount()); });
    bar->addSeparator();

    m_zoomOut = action(Glyph::ZoomOut, QStringLiteral("Zoom arrière"), QKeySequence::ZoomOut, [this] {
        m_view->zoomOut();
        updateControls();
    });
    m_zoomBox = new QComboBox(bar);
    m_zoomBox->setAccessibleName(QStringLiteral("Zoom"));
    m_zoomBox->setEditable(true);
    m_zoomBox->setInsertPolicy(QComboBox::NoInsert);
    m_zoomBox->addItem(QStringLiteral("Largeur de la page"));
    m_zoomBox->addItem(QStringLiteral("Page entière"));
    for (int z : {50, 75, 100, 125, 150, 200})
        m_zoomBox->addItem(percent(z / 100.0), z / 100.0);
    m_zoomBox->setMinimumContentsLength(9);
    bar->addWidget(m_zoomBox);
    connect(m_zoomBox, &QComboBox::activated, this, &ReportPreview::zoomChosen);
    connect(m_zoomBox->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        QString text = m_zoomBox->lineEdit()->text();
        text.remove(u'%').remove(QChar(0x00A0)).replace(u',', u'.');
        bool ok = false;
        const double value = text.trimmed().toDouble(&ok);
        if (ok && value >= 10 && value <= 800)
            m_view->setZoomFactor(value / 100);
        updateControls();
    });
    m_zoomIn = action(Glyph::ZoomIn, QStringLiteral("Zoom avant"), QKeySequence::ZoomIn, [this] {
        m_view->zoomIn();
        updateControls();
    });
    bar->addSeparator();

    m_close = bar->addAction(QStringLiteral("Fermer"));
    m_close->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(m_close, &QAction::triggered, this, &QWidget::close);
    if (auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(m_close)))
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
}

void ReportPreview::paintPages(QPrinter *printer)
{
    m_document->paintAll(*printer);
}

int ReportPreview::currentPage() const
{
    return m_view->currentPage();
}

int ReportPreview::pageCount() const
{
    return m_document->pageCount();
}

double ReportPreview::zoomFactor() const
{
    return m_view->zoomFactor();
}

void ReportPreview::goToPage(int page)
{
    m_view->setCurrentPage(std::clamp(page, 1, std::max(1, pageCount())));
    updateControls();
}

void ReportPreview::zoomChosen(int index)
{
    if (index == 0)
        m_view->fitToWidth();
    else if (index == 1)
        m_view->fitInView();
    else
        m_view->setZoomFactor(m_zoomBox->itemData(index).toDouble());
    updateControls();
}

void ReportPreview::updateControls()
{
    const int page = std::max(1, currentPage());
    {
        const QSignalBlocker block(m_pageBox);
        m_pageBox->setValue(page);
    }
    m_first->setEnabled(page > 1);
    m_previous->setEnabled(page > 1);
    m_next->setEnabled(page < pageCount());
    m_last->setEnabled(page < pageCount());
    const QSignalBlocker block(m_zoomBox);
    m_zoomBox->setCurrentIndex(-1);
    m_zoomBox->lineEdit()->setText(percent(zoomFactor()));
}

int ReportPreview::print()
{
    if (!m_services.choosePrinter)
        return ReportCode::NoPrinter;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(windowTitle());
    printer.setPageLayout(ReportDocument::pageLayout());
    if (!m_services.choosePrinter(printer))
        return ReportCode::Ok;
    QString why;
    const int code = printReport(*m_document, printer, &why);
    if (code != ReportCode::Ok && m_services.reportError)
        m_services.reportError(why);
    return code;
}

ReportPreviewFactory previewFactory(QWidget *parent, PreviewServices services)
{
    QPointer<QWidget> owner(parent);
    return [owner, services](std::shared_ptr<const ReportDocument> document, const QString &title) {
        if (!document)
            return false;
        auto *window = new ReportPreview(std::move(document), title, services, owner.data());
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
        window->raise();
        window->activateWindow();
        return window->isVisible();
    };
}

PreviewServices dialogPreviewServices(DialogService &dialogs)
{
    PreviewServices services;
    services.choosePrinter = [&dialogs](QPrinter &printer) {
        const std::optional<int> copies = dialogs.printDialog(
            {QStringLiteral("Imprimer « %1 »").arg(printer.docName()), std::max(1, printer.copyCount())});
        if (copies)
            printer.setCopyCount(*copies);
        return copies.has_value();
    };
    services.reportError = [&dialogs](const QString &message) {
        dialogs.MoxBox(message, Icon::Printer, QStringLiteral("Erreur d'impression"), QStringLiteral("OK"));
    };
    return services;
}

} // namespace qcm
