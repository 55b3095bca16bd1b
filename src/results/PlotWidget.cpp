#include "PlotWidget.h"

#include "ResultsStats.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <algorithm>

namespace qcm {

namespace {

const QColor kAxis(0x55, 0x55, 0x55);
const QColor kGrid(0xDD, 0xDD, 0xDD);
const QColor kValue(0x1F, 0x5F, 0xA8);
const QColor kPass(0xC0, 0x39, 0x2B);

} // namespace

PlotWidget::PlotWidget(Kind kind, QWidget *parent) : QWidget(parent), m_kind(kind)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void PlotWidget::setPoints(const QList<Point> &points, std::optional<double> passLine)
{
    m_points = points;
    m_passLine = passLine;
    update();
}

void PlotWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(palette().text().color());
    if (m_points.isEmpty()) {
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("Aucun examen à montrer"));
        return;
    }
    const QRect area = rect().adjusted(8, 8, -12, -8);
    if (m_kind == Kind::Line)
        paintLine(p, area);
    else
        paintBars(p, area);
}

void PlotWidget::paintLine(QPainter &p, const QRect &area)
{
    const QFontMetrics fm = p.fontMetrics();
    const int left = area.left() + fm.horizontalAdvance(QStringLiteral("100 %")) + 6;
    const QRect plot(QPoint(left, area.top() + fm.height() / 2), QPoint(area.right(), area.bottom() - fm.height() - 4));
    auto yOf = [&plot](double v) { return plot.bottom() - plot.height() * std::clamp(v, 0.0, 100.0) / 100.0; };
    for (int v = 0; v <= 100; v += 25) {
        const double y = yOf(v);
        p.setPen(kGrid);
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(kAxis);
        p.drawText(QRectF(area.left(), y - fm.height() / 2.0, left - area.left() - 6, fm.height()),
            Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("%1 %").arg(v));
    }
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.drawLine(plot.bottomLeft(), plot.topLeft());

    const qsizetype n = m_points.size();
    auto xOf = [&plot, n](qsizetype i) {
        return n == 1 ? plot.center().x() : plot.left() + 10 + (plot.width() - 20) * double(i) / double(n - 1);
    };
    // As many date labels as fit, evenly spread.
    const int labelWidth = fm.horizontalAdvance(m_points.first().label) + 12;
    const qsizetype step = std::max<qsizetype>(1, (labelWidth * n) / std::max(1, plot.width()) + 1);
    for (qsizetype i = 0; i < n; i += step)
        p.drawText(QRectF(xOf(i) - labelWidth / 2.0, plot.bottom() + 4, labelWidth, fm.height()), Qt::AlignCenter,
            m_points.at(i).label);

    if (m_passLine) {
        QPen pen(kPass, 1.5, Qt::DashLine);
        p.setPen(pen);
        p.drawLine(QPointF(plot.left(), yOf(*m_passLine)), QPointF(plot.right(), yOf(*m_passLine)));
        p.drawText(QRectF(plot.left() + 4, yOf(*m_passLine) - fm.height() - 1, plot.width(), fm.height()),
            Qt::AlignLeft, QStringLiteral("seuil de réussite"));
    }
    QPainterPath path;
    for (qsizetype i = 0; i < n; ++i)
        i ? path.lineTo(xOf(i), yOf(m_points.at(i).value)) : path.moveTo(xOf(i), yOf(m_points.at(i).value));
    p.setPen(QPen(kValue, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setBrush(kValue);
    for (qsizetype i = 0; i < n; ++i)
        p.drawEllipse(QPointF(xOf(i), yOf(m_points.at(i).value)), 3, 3);
}

void PlotWidget::paintBars(QPainter &p, const QRect &area)
{
    const QFontMetrics fm = p.fontMetrics();
    int labelWidth = 0;
    for (const Point &pt : m_points)
        labelWidth = std::max(labelWidth, fm.horizontalAdvance(pt.label));
    labelWidth = std::min(labelWidth, area.width() / 3);
    const int valueWidth = fm.horizontalAdvance(QStringLiteral("100 %")) + 6;
    const QRect plot(QPoint(area.left() + labelWidth + 6, area.top()),
        QPoint(area.right() - valueWidth, area.bottom() - fm.height() - 4));
    auto xOf = [&plot](double v) { return plot.left() + plot.width() * std::clamp(v, 0.0, 100.0) / 100.0; };
    for (int v = 0; v <= 100; v += 25) {
        p.setPen(kGrid);
        p.drawLine(QPointF(xOf(v), plot.top()), QPointF(xOf(v), plot.bottom()));
        p.setPen(kAxis);
        p.drawText(
            QRectF(xOf(v) - 30, plot.bottom() + 4, 60, fm.height()), Qt::AlignCenter, QStringLiteral("%1 %").arg(v));
    }
    const double rowHeight = double(plot.height()) / double(m_points.size());
    const double barHeight = std::min(rowHeight * 0.7, 22.0);
    for (qsizetype i = 0; i < m_points.size(); ++i) {
        const Point &pt = m_points.at(i);
        const double middle = plot.top() + rowHeight * (double(i) + 0.5);
        p.setPen(palette().text().color());
        p.drawText(QRectF(area.left(), middle - fm.height() / 2.0, labelWidth, fm.height()),
            Qt::AlignRight | Qt::AlignVCenter, fm.elidedText(pt.label, Qt::ElideRight, labelWidth));
        p.fillRect(QRectF(plot.left(), middle - barHeight / 2, xOf(pt.value) - plot.left(), barHeight),
            m_passLine && pt.value < *m_passLine ? kPass.lighter(150) : kValue.lighter(130));
        p.drawText(QRectF(xOf(pt.value) + 4, middle - fm.height() / 2.0, valueWidth + 40, fm.height()),
            Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("%1 %").arg(qRound(pt.value)));
    }
    p.setPen(kAxis);
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.drawLine(plot.bottomLeft(), plot.topLeft());
    if (m_passLine) {
        p.setPen(QPen(kPass, 1.5, Qt::DashLine));
        p.drawLine(QPointF(xOf(*m_passLine), plot.top()), QPointF(xOf(*m_passLine), plot.bottom()));
    }
}

ChartPanel::ChartPanel(PlotWidget::Kind kind, const QString &title, const QString &labelHeading, QWidget *parent)
    : QWidget(parent)
{
    auto *heading = new QLabel(title, this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    m_plot = new PlotWidget(kind, this);
    // The picture is for the eyes; the table beside it says the same.
    m_plot->setAccessibleName(title);
    m_plot->setAccessibleDescription(QStringLiteral("Graphique : ses valeurs sont dans le tableau voisin"));
    m_values = new QTableWidget(0, 2, this);
    m_values->setObjectName(QStringLiteral("chartValues"));
    m_values->setAccessibleName(QStringLiteral("Valeurs : ") + title);
    m_values->setHorizontalHeaderLabels({labelHeading, QStringLiteral("Réussite")});
    m_values->verticalHeader()->hide();
    m_values->verticalHeader()->setDefaultSectionSize(m_values->fontMetrics().height() + 6);
    m_values->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_values->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_values->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_values->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_values->setFixedWidth(210);
    heading->setBuddy(m_values);

    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_plot, 1);
    row->addWidget(m_values);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(heading);
    column->addLayout(row, 1);
}

void ChartPanel::setPoints(const QList<PlotWidget::Point> &points, std::optional<double> passLine)
{
    m_plot->setPoints(points, passLine);
    m_values->setRowCount(int(points.size()));
    for (int i = 0; i < points.size(); ++i) {
        m_values->setItem(i, 0, new QTableWidgetItem(points.at(i).label));
        auto *value = new QTableWidgetItem(percentText(points.at(i).value));
        value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_values->setItem(i, 1, value);
    }
}

} // namespace qcm
