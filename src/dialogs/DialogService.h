#pragma once

#include <QString>

namespace qcm {

// The one open/save file dialog the program uses: a title and one filter.
struct FileDialogRequest {
    QString title;
    QString filterName; // "Fichiers Access"
    QString pattern; // "*.mdb"
    QString directory; // where the dialog opens; empty for the last folder
};

// Every message box, input box, file dialog and print dialog of the program
// goes through this service, so that tests can script the answers and read
// back exactly what the user would have been shown.
class DialogService {
public:
    virtual ~DialogService() = default;

    // Returns the 0-based number of the button pressed (button 0 is the
    // right-most), 2 for the close box, or on Escape the button captioned
    // "Abandonner" or "Annuler", else 99.
    virtual int MoxBox(const QString &message, int icon = 0, const QString &title = {}, const QString &caption0 = {},
        const QString &caption1 = {}, const QString &caption2 = {}, int alignment = 0)
        = 0;

    // The one-line input box. left and top are in twips, 0 meaning centred;
    // a 0 is replaced by the position computed. Returns the typed text after
    // "OK", an empty text when cancelled.
    virtual QString InBox(const QString &prompt, const QString &title, const QString &defaultText, int &left, int &top)
        = 0;

    // Full path chosen, or empty when cancelled. The open dialog accepts
    // existing files only.
    virtual QString openFileName(const FileDialogRequest &request) = 0;
    virtual QString saveFileName(const FileDialogRequest &request) = 0;
};

} // namespace qcm
