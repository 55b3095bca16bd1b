#include "input/TextEditGuard.h"

#include "input/ControlCharacters.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>

namespace qcm {

namespace {

// Text reaches a QPlainTextEdit through events on the field (keys, input
// methods, the menu key) and on its viewport (mouse, drops): one filter on
// both sees every way in. Text without refused characters goes its usual way.
class ControlCharacterGuard : public QObject {
public:
    ControlCharacterGuard(QPlainTextEdit *edit, std::function<void()> refused)
        : QObject(edit), m_edit(edit), m_refused(std::move(refused))
    {
        edit->installEventFilter(this);
        edit->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool keyPress(QKeyEvent *event);
    bool inputMethod(QInputMethodEvent *event);
    bool contextMenu(QWidget *watched, QContextMenuEvent *event);
    bool drop(QDropEvent *event);
    bool middleButton(QMouseEvent *event);
    static QString clipboardText(QClipboard::Mode mode);
    // Puts text in without its refused characters, and says some were left out.
    void insertClean(const QString &text);

    QPlainTextEdit *m_edit;
    std::function<void()> m_refused;
};

bool ControlCharacterGuard::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched != m_edit && watched != m_edit->viewport()) || m_edit->isReadOnly())
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        return watched == m_edit && keyPress(static_cast<QKeyEvent *>(event));
    case QEvent::InputMethod:
        return watched == m_edit && inputMethod(static_cast<QInputMethodEvent *>(event));
    case QEvent::ContextMenu:
        return contextMenu(static_cast<QWidget *>(watched), static_cast<QContextMenuEvent *>(event));
    case QEvent::Drop:
        return drop(static_cast<QDropEvent *>(event));
    case QEvent::MouseButtonRelease:
        return watched == m_edit->viewport() && middleButton(static_cast<QMouseEvent *>(event));
    default:
        return false;
    }
}

QString ControlCharacterGuard::clipboardText(QClipboard::Mode mode)
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData(mode);
    return data && data->hasText() ? data->text() : QString();
}

void ControlCharacterGuard::insertClean(const QString &text)
{
    m_edit->insertPlainText(withoutRefusedControls(text));
    m_edit->ensureCursorVisible();
    if (m_refused)
        m_refused();
}

bool ControlCharacterGuard::keyPress(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste)) {
        const bool selection = event->key() == Qt::Key_Insert
            && event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier)
            && QGuiApplication::clipboard()->supportsSelection();
        const QString text = clipboardText(selection ? QClipboard::Selection : QClipboard::Clipboard);
        if (firstRefusedControl(text) < 0)
            return false;
        insertClean(text);
        return true;
    }
    // Keys the field would insert as text: their first character decides,
    // and the rest of the text goes in with it.
    const QString text = event->text();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (text.isEmpty() || firstRefusedControl(text) < 0 || modifiers == Qt::ControlModifier
        || modifiers == (Qt::ControlModifier | Qt::ShiftModifier))
        return false;
    const QChar first = text.front();
    if (isRefusedControl(first)
        || (!first.isPrint() && first != u'\t' && first.category() != QChar::Other_Format
            && first.category() != QChar::Other_PrivateUse && !first.isHighSurrogate()))
        return false;
    insertClean(text);
    return true;
}

bool ControlCharacterGuard::inputMethod(QInputMethodEvent *event)
{
    const QString commit = event->commitString();
    if (firstRefusedControl(commit) < 0)
        return false;
    QInputMethodEvent clean(event->preeditString(), event->attributes());
    clean.setCommitString(withoutRefusedControls(commit), event->replacementStart(), event->replacementLength());
    QCoreApplication::sendEvent(m_edit, &clean);
    if (m_refused)
        m_refused();
    return true;
}

bool ControlCharacterGuard::contextMenu(QWidget *watched, QContextMenuEvent *event)
{
    if (m_edit->contextMenuPolicy() != Qt::DefaultContextMenu
        || firstRefusedControl(clipboardText(QClipboard::Clipboard)) < 0)
        return false;
    QMenu *menu = m_edit->createStandardContextMenu(m_edit->viewport()->mapFrom(watched, event->pos()));
    // Its paste entry is wired to the field's own paste: it pastes clean text instead.
    for (QAction *action : menu->actions()) {
        if (action->objectName() != QLatin1String("edit-paste"))
            continue;
        QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, this, [this] { insertClean(clipboardText(QClipboard::Clipboard)); });
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
    return true;
}

bool ControlCharacterGuard::drop(QDropEvent *event)
{
    const QString text = event->mimeData()->text();
    if (firstRefusedControl(text) < 0)
        return false;
    m_edit->setTextCursor(m_edit->cursorForPosition(event->position().toPoint()));
    insertClean(text);
    // A copy, never a move: the source must not delete what was not taken.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // Lets the field put away the drop caret it showed during the drag.
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(m_edit->viewport(), &leave);
    return true;
}

bool ControlCharacterGuard::middleButton(QMouseEvent *event)
{
    if (event->button() != Qt::MiddleButton || !QGuiApplication::clipboard()->supportsSelection())
        return false;
    const QString text = clipboardText(QClipboard::Selection);
    if (firstRefusedControl(text) < 0)
        return false;
    m_edit->setTextCursor(m_edit->cursorForPosition(event->position().toPoint()));
    insertClean(text);
    return true;
}

} // namespace

void installControlCharacterGuard(QPlainTextEdit *edit, std::function<void()> refused)
{
    new ControlCharacterGuard(edit, std::move(refused));
}

} // namespace qcm
