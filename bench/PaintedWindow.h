#pragma once

#include <QObject>
#include <QWidget>

#include <benchmark/benchmark.h>

namespace qcm::bench {

// Counts the paint events of a window and of every widget it holds, those
// added later included, so that a benchmark that claims to time a paint can
// tell that something was painted.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget &window);
    int count() const { return m_count; }

    // Shows the window, waits until the platform exposes it (a window never
    // exposed paints nothing) and lets it paint once.
    bool showExposed();
    // What a real click costs beyond its handler: the posted layouts, then
    // the paints the event loop does for what changed. Remembers a step that
    // painted nothing.
    void settle();
    // Fails the benchmark when a step painted nothing, and says how many
    // paint events a step made.
    void check(benchmark::State &state) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watch(QWidget *widget);

    QWidget &m_window;
    int m_count = 0;
    int m_steps = 0;
    int m_unpainted = 0;
};

} // namespace qcm::bench
