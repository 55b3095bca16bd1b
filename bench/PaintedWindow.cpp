#include "PaintedWindow.h"

#include <QApplication>
#include <QChildEvent>
#include <QTest>

namespace qcm::bench {

PaintCounter::PaintCounter(QWidget &window) : m_window(window)
{
    watch(&window);
    const QList<QWidget *> children = window.findChildren<QWidget *>();
    for (QWidget *child : children)
        watch(child);
}

void PaintCounter::watch(QWidget *widget)
{
    widget->installEventFilter(this);
}

bool PaintCounter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint)
        ++m_count;
    else if (event->type() == QEvent::ChildAdded) {
        QObject *child = static_cast<QChildEvent *>(event)->child();
        if (child->isWidgetType())
            watch(static_cast<QWidget *>(child));
    }
    return QObject::eventFilter(watched, event);
}

bool PaintCounter::showExposed()
{
    m_window.show();
    if (!QTest::qWaitForWindowExposed(&m_window))
        return false;
    const int before = m_count;
    settle();
    --m_steps;
    if (m_count == before)
        --m_unpainted;
    return true;
}

void PaintCounter::settle()
{
    const int before = m_count;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCoreApplication::processEvents();
    ++m_steps;
    if (m_count == before)
        ++m_unpainted;
}

void PaintCounter::check(benchmark::State &state) const
{
    if (m_steps > 0)
        state.counters["paints"] = double(m_count) / m_steps;
    if (m_unpainted > 0)
        state.SkipWithError("a step painted nothing");
}

} // namespace qcm::bench
