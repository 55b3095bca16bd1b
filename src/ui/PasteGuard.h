#pragma once

#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace qcm {

// A multi-line field that takes a paste only when the clipboard holds text.
// Qt 6.4's text control reads the first format the clipboard offers without
// looking whether there is one: with nothing on the clipboard (no program
// owns the X selection, as after a login) the program dies, and the question
// being typed is lost. Every paste ends in insertFromMimeData (the paste
// keys, the "Coller" of the context menu, the middle button, a drop), and
// the context menu asks canInsertFromMimeData: these are the doors to guard.
template <typename Edit> class PasteGuarded : public Edit {
public:
    using Edit::Edit;

    static bool holdsText(const QMimeData *source)
    {
        return source && !source->formats().isEmpty() && source->hasText();
    }

protected:
    bool canInsertFromMimeData(const QMimeData *source) const override
    {
        return holdsText(source) && Edit::canInsertFromMimeData(source);
    }

    void insertFromMimeData(const QMimeData *source) override
    {
        if (holdsText(source))
            Edit::insertFromMimeData(source);
    }
};

using SafePlainTextEdit = PasteGuarded<QPlainTextEdit>;
using SafeTextEdit = PasteGuarded<QTextEdit>;

} // namespace qcm
