#include "WrappedLabel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>

#include <cmath>

namespace qcm {

namespace {

// Line breaks as the text layout knows them.
QString forLayout(QString text)
{
    text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    text.replace(u'\n', QChar::LineSeparator);
    text.replace(u'\r', QChar::LineSeparator);
    return text;
}

} // namespace

WrappedLabel::WrappedLabel(QWidget *parent) : QLabel(parent)
{
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
}

WrappedLabel::~WrappedLabel() = default;

bool WrappedLabel::cacheHolds() const
{
    return m_text.size() == text().size() && m_text == text();
}

void WrappedLabel::forget() const
{
    m_text = text();
    m_heights.clear();
    m_layout.reset();
    m_layoutWidth = -1;
}

int WrappedLabel::layOut(int width) const
{
    if (!cacheHolds())
        forget();
    const Qt::Alignment horizontal = alignment() & Qt::AlignHorizontal_Mask;
    if (m_layout && m_layoutWidth == width && m_layout->textOption().alignment() == horizontal)
        return m_heights[width];
    const QMargins margins = contentsMargins();
    const qreal lineWidth = std::max(1, width - margins.left() - margins.right() - 2 * margin());
    m_layout = std::make_unique<QTextLayout>(forLayout(m_text), font());
    QTextOption option(horizontal);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_layout->setTextOption(option);
    m_layout->setCacheEnabled(true);
    qreal y = 0;
    m_layout->beginLayout();
    for (QTextLine line = m_layout->createLine(); line.isValid(); line = m_layout->createLine()) {
        line.setLineWidth(lineWidth);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    m_layout->endLayout();
    m_layoutWidth = width;
    m_heights[width] = int(std::ceil(y));
    return m_heights[width];
}

int WrappedLabel::heightForWidth(int width) const
{
    if (!cacheHolds())
        forget();
    const QMargins margins = contentsMargins();
    auto it = m_heights.find(width);
    const int textHeight = it != m_heights.end() ? it->second : layOut(width);
    return textHeight + margins.top() + margins.bottom() + 2 * margin();
}

QSize WrappedLabel::sizeHint() const
{
    // As wide as about 80 characters, or the text when shorter: measuring a
    // long text's natural width would cost a layout of its own.
    const QFontMetrics metrics(font());
    const QString shown = text();
    const int limit = metrics.averageCharWidth() * 80;
    const int natural = shown.size() > 80 || shown.contains(u'\n') ? limit : metrics.horizontalAdvance(shown);
    const QMargins margins = contentsMargins();
    const int width = std::min(limit, natural) + margins.left() + margins.right() + 2 * margin();
    return QSize(width, heightForWidth(this->width() > 0 ? this->width() : width));
}

QSize WrappedLabel::minimumSizeHint() const
{
    const QFontMetrics metrics(font());
    const QMargins margins = contentsMargins();
    return QSize(metrics.averageCharWidth() * 4 + margins.left() + margins.right() + 2 * margin(),
        metrics.lineSpacing() + margins.top() + margins.bottom() + 2 * margin());
}

void WrappedLabel::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    drawFrame(&painter);
    const int height = layOut(width());
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    qreal top = area.top();
    if (alignment() & Qt::AlignVCenter)
        top += std::max(0, (area.height() - height) / 2);
    else if (alignment() & Qt::AlignBottom)
        top += std::max(0, area.height() - height);
    painter.setPen(palette().color(foregroundRole()));
    // Only the lines in view are drawn.
    m_layout->draw(&painter, QPointF(area.left(), top), {}, event->rect());
}

void WrappedLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        forget();
}

} // namespace qcm
