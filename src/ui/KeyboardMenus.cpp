#include "KeyboardMenus.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QWidget>

namespace qcm {

namespace {

// Turns the key into the event the Menu key gives, sent where that one goes:
// the control with the focus, then its parents until one opens a menu.
class ShiftF10 : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        QWidget *focus = QApplication::focusWidget();
        if (key->key() != Qt::Key_F10 || key->modifiers() != Qt::ShiftModifier || watched != focus
            || key->isAutoRepeat())
            return false;
        // At the text cursor of a field, else in the middle of the control.
        const QPoint at = focus->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
        const QPoint pos = focus->rect().contains(at) && at != QPoint(0, 0) ? at : focus->rect().center();
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, pos, focus->mapToGlobal(pos), key->modifiers());
        QApplication::sendEvent(focus, &menu);
        return true;
    }
};

} // namespace

void installShiftF10Menus()
{
    static QObject *installed = nullptr;
    if (installed)
        return;
    installed = new ShiftF10(qApp);
    qApp->installEventFilter(installed);
}

} // namespace qcm
