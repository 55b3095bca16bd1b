#include "input/LineEditFilters.h"

#include "input/ClavierBas.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>

namespace qcm {

namespace {

using namespace Qt::StringLiterals;

// Every way the user puts text into a QLineEdit arrives as an event (key,
// input method, context menu, middle button, drop), so one event filter sees
// them all. A validator would not do: it sees whole texts, and cannot tell the
// user's input from a date loaded by the program or the slashes of DateAutoSlash.
class KeyFilter : public QObject {
    Q_OBJECT

public:
    KeyFilter(QLineEdit *edit, int mode) : QObject(edit), m_edit(edit), m_mode(mode) { edit->installEventFilter(this); }

    void setMode(int mode) { m_mode = mode; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool keyPress(QKeyEvent *event);
    bool inputMethod(QInputMethodEvent *event);
    bool contextMenu(QContextMenuEvent *event);
    bool drop(QDropEvent *event);
    void moveFocusOn();
    void paste(QClipboard::Mode mode);
    bool passesUnchanged(const QString &text) const;
    void typeText(const QString &text);
    QString textBeforeKey() const;

    QLineEdit *m_edit;
    int m_mode;
};

bool KeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_edit)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        return keyPress(static_cast<QKeyEvent *>(event));
    case QEvent::InputMethod:
        return inputMethod(static_cast<QInputMethodEvent *>(event));
    case QEvent::ContextMenu:
        return contextMenu(static_cast<QContextMenuEvent *>(event));
    case QEvent::Drop:
        return drop(static_cast<QDropEvent *>(event));
    case QEvent::MouseButtonRelease:
        // The middle button pastes the X11 selection on release.
        if (static_cast<QMouseEvent *>(event)->button() != Qt::MiddleButton || m_edit->isReadOnly()
            || !QGuiApplication::clipboard()->supportsSelection())
            return false;
        m_edit->deselect();
        paste(QClipboard::Selection);
        return true;
    default:
        return false;
    }
}

bool KeyFilter::keyPress(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && !(modifiers & ~(Qt::ShiftModifier | Qt::KeypadModifier))) {
        moveFocusOn();
        return true;
    }
    if (event->matches(QKeySequence::Paste)) {
        if (!m_edit->isReadOnly()) {
            const bool selection = event->key() == Qt::Key_Insert
                && modifiers == (Qt::ControlModifier | Qt::ShiftModifier)
                && QGuiApplication::clipboard()->supportsSelection();
            paste(selection ? QClipboard::Selection : QClipboard::Clipboard);
        }
        return true;
    }

    // Only keys that the line edit would insert as text; shortcuts, moves and
    // deletions keep their own meaning.
    const QString text = event->text();
    if (text.isEmpty() || m_edit->isReadOnly() || modifiers == Qt::ControlModifier
        || modifiers == (Qt::ControlModifier | Qt::ShiftModifier))
        return false;
    const QChar first = text.front();
    if (!first.isPrint() && first.category() != QChar::Other_Format && first.category() != QChar::Other_PrivateUse
        && !first.isHighSurrogate())
        return false;
    if (passesUnchanged(text))
        return false;
    typeText(text);
    return true;
}

bool KeyFilter::inputMethod(QInputMethodEvent *event)
{
    const QString commit = event->commitString();
    if (commit.isEmpty() || m_edit->isReadOnly() || (event->replacementLength() == 0 && passesUnchanged(commit)))
        return false;
    // The composition goes on as it was; only the committed text is typed.
    // Without a commit, the forwarded event passes the filter untouched.
    QInputMethodEvent composing(event->preeditString(), event->attributes());
    QCoreApplication::sendEvent(m_edit, &composing);
    typeText(commit);
    return true;
}

bool KeyFilter::contextMenu(QContextMenuEvent *event)
{
    if (m_edit->contextMenuPolicy() != Qt::DefaultContextMenu)
        return false;
    QMenu *menu = m_edit->createStandardContextMenu();
    // Its paste entry is the one wired to QLineEdit::paste; it has no name,
    // and Qt has wired it both by name and by member pointer over the years.
    for (QAction *action : menu->actions()) {
        const bool byName = disconnect(action, SIGNAL(triggered(bool)), m_edit, SLOT(paste()));
        const bool byPointer = disconnect(action, &QAction::triggered, m_edit, &QLineEdit::paste);
        if (byName || byPointer)
            connect(action, &QAction::triggered, this, [this] { paste(QClipboard::Clipboard); });
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
    return true;
}

bool KeyFilter::drop(QDropEvent *event)
{
    const QString text = event->mimeData()->text();
    if (text.isNull() || m_edit->isReadOnly())
        return false;
    m_edit->setCursorPosition(m_edit->cursorPositionAt(event->position().toPoint()));
    typeText(text);
    // A copy, never a move: the source must not delete what was not taken.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // Lets the field put away the drop caret it showed during the drag.
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(m_edit, &leave);
    return true;
}

void KeyFilter::moveFocusOn()
{
    // The filter lets Tab through untouched.
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, u"\t"_s);
    QCoreApplication::sendEvent(m_edit, &tab);
}

void KeyFilter::paste(QClipboard::Mode mode)
{
    typeText(QGuiApplication::clipboard()->text(mode));
}

bool KeyFilter::passesUnchanged(const QString &text) const
{
    return text.size() == 1 && FilterKey(text.front().unicode(), textBeforeKey(), m_mode) == text.front().unicode();
}

void KeyFilter::typeText(const QString &text)
{
    // One character at a time, each one checked against the field as the
    // previous ones (and whatever reacts to their change) left it.
    for (const QChar c : text) {
        const char16_t typed = FilterKey(c.unicode(), textBeforeKey(), m_mode);
        if (typed >= u' ')
            m_edit->insert(QString(QChar(typed)));
    }
}

// Typing replaces the selection, so the key joins the text without it.
QString KeyFilter::textBeforeKey() const
{
    QString text = m_edit->text();
    if (m_edit->hasSelectedText())
        text.remove(m_edit->selectionStart(), m_edit->selectionLength());
    return text;
}

} // namespace

void installKeyFilter(QLineEdit *edit, int mode)
{
    if (auto *existing = edit->findChild<KeyFilter *>(QString(), Qt::FindDirectChildrenOnly))
        existing->setMode(mode);
    else
        new KeyFilter(edit, mode);
}

void installDateAutoSlash(QLineEdit *edit, int &DatePreviousLength)
{
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit, &DatePreviousLength] {
        DateFieldText field{edit->text(), edit->cursorPosition()};
        if (DateAutoSlash(field, DatePreviousLength)) {
            // setText would otherwise forget that the user changed the field.
            const bool modified = edit->isModified();
            edit->setText(field.text);
            edit->setCursorPosition(int(field.caret));
            edit->setModified(modified);
        }
    });
}

} // namespace qcm

#include "LineEditFilters.moc"
