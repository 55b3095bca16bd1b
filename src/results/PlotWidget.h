#pragma once

#include <QList>
#include <QString>
#include <QTableWidget>
#include <QWidget>

#include <optional>

namespace qcm {

// A chart drawn by the program: percents (0 to 100) as a line over time or
// as one horizontal bar per label, with axes, French labels and a pass line.
class PlotWidget : public QWidget {
    Q_OBJECT

public:
    enum class Kind { Line, Bars };
    struct Point {
        QString label;
        double value = 0; // percent
    };

    explicit PlotWidget(Kind kind, QWidget *parent = nullptr);

    void setPoints(const QList<Point> &points, std::optional<double> passLine);
    const QList<Point> &points() const { return m_points; }
    std::optional<double> passLine() const { return m_passLine; }

    QSize sizeHint() const override { return {420, 220}; }
    QSize minimumSizeHint() const override { return {240, 140}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintLine(QPainter &p, const QRect &area);
    void paintBars(QPainter &p, const QRect &area);

    Kind m_kind;
    QList<Point> m_points;
    std::optional<double> m_passLine;
};

// The chart with its values beside it as a table, which screen readers
// read: a picture alone says nothing to them.
class ChartPanel : public QWidget {
    Q_OBJECT

public:
    ChartPanel(PlotWidget::Kind kind, const QString &title, const QString &labelHeading, QWidget *parent = nullptr);

    void setPoints(const QList<PlotWidget::Point> &points, std::optional<double> passLine);
    PlotWidget *plot() const { return m_plot; }
    QTableWidget *values() const { return m_values; }

private:
    PlotWidget *m_plot = nullptr;
    QTableWidget *m_values = nullptr;
};

} // namespace qcm
