#include "QuestionLook.h"

#include <QPalette>
#include <QWidget>

namespace qcm::QuestionLook {

QFont sized(QFont f, double points, bool bold)
{
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

void setColours(QWidget *w, const QColor &background, const QColor &text)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, background);
    p.setColor(QPalette::WindowText, text);
    w->setPalette(p);
}

void setTextColour(QWidget *w, const QColor &text)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, text);
    w->setPalette(p);
}

} // namespace qcm::QuestionLook
