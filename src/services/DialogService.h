#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace qcm {

// The pictures of the message box, by the number callers pass.
namespace Icon {
inline constexpr int Information = 0;
inline constexpr int Bulb = 1;
inline constexpr int Warning = 2;
inline constexpr int Bin = 3;
inline constexpr int Back = 4;
inline constexpr int Forward = 5;
inline constexpr int Error = 6;
inline constexpr int Printer = 7;
inline constexpr int Globe = 8;
inline constexpr int Question = 9;
inline constexpr int Camera = 10;
inline constexpr int Power = 11;
inline constexpr int Binoculars = 12;
inline constexpr int DatabaseSearch = 13;
inline constexpr int Disk = 14;
inline constexpr int UsbStick = 15;
inline constexpr int Archive = 16;
inline constexpr int Refresh = 17;
inline constexpr int Documents = 18;
inline constexpr int Euro = 19;
inline constexpr int Scanner = 20;
inline constexpr int NoConnection = 21;
inline constexpr int Pdf = 22;
} // namespace Icon

// One entry of a file dialog's list of file types.
struct FileFilter {
    QString name; // "Fichiers Access"
    QString patterns; // "*.mdb", or several separated by blanks: "*.zov *.mdb"

    bool operator==(const FileFilter &) const = default;
};

// The open/save file dialog the program uses: a title and its file types,
// the first one selected.
struct FileDialogRequest {
    QString title;
    QList<FileFilter> filters;
    // Where the dialog opens, or the file it proposes; empty for the last folder.
    QString directory;
};

struct BoxRequest {
    QString message;
    int icon = Icon::Information;
    QString title;
    QString caption0, caption1, caption2;
    int alignment = 0;
};

// The print dialog offers the number of copies only.
struct PrintRequest {
    QString title;
    int copies = 1;
};

// A step that may last more than half a second: its progress dialog appears
// after that time, repaints as the step goes, and offers "Annuler" when the
// step can be stopped.
struct ProgressRequest {
    QString title;
    QString label; // what is being done, in French
    qint64 maximum = 0; // 0: the length is not known
    bool cancellable = true;
};

class Progress {
public:
    virtual ~Progress() = default;
    // How far the step has come (0 to maximum); lets the window repaint.
    // False once the user asked to stop: the caller then undoes its step.
    virtual bool advance(qint64 done) = 0;
    virtual void setLabel(const QString &label) = 0;
    virtual bool wasCanceled() const = 0;
};

// Everything the windows ask of the user or of the platform: every message
// box, input box, file dialog and print dialog, and the clipboard, the beep,
// today's date and the random numbers. Tests put a scripted double in its
// place and read back exactly what the user would have been shown.
class DialogService {
public:
    // What showBox answers when the box was closed with its close box.
    static constexpr int kClosedByCloseBox = -2;

    virtual ~DialogService() = default;

    // The message box: 0-based number of the button pressed (button 0 is the
    // right-most), kClosedByCloseBox, or on Escape the button captioned
    // "Abandonner" or "Annuler", else 99.
    virtual int showBox(const BoxRequest &box) = 0;

    // The message box as every caller knows it: the close box answers 2,
    // like the third button.
    int MoxBox(const QString &message, int icon = Icon::Information, const QString &title = {},
        const QString &caption0 = {}, const QString &caption1 = {}, const QString &caption2 = {}, int alignment = 0)
    {
        const int answer = showBox({message, icon, title, caption0, caption1, caption2, alignment});
        return answer == kClosedByCloseBox ? 2 : answer;
    }
    // For the few questions where closing the box must not count as the
    // third button: the close box answers kClosedByCloseBox.
    int MoxBoxOrClose(const QString &message, int icon, const QString &title, const QString &caption0,
        const QString &caption1, const QString &caption2, int alignment = 0)
    {
        return showBox({message, icon, title, caption0, caption1, caption2, alignment});
    }

    // The program's own question before an existing file is replaced; true
    // to replace it.
    bool confirmReplace(const QString &fileName)
    {
        return MoxBox(QStringLiteral("Attention, le fichier\r\n'") + fileName
                       + QStringLiteral("'\r\nexiste déjà.\r\nVoulez-vous le remplacer ?"),
                   Icon::Question, QStringLiteral("Remplacer"), QStringLiteral("Remplacer"), QStringLiteral("Annuler"),
                   {}, 2)
            == 0;
    }

    // The one-line input box. left and top are in twips, 0 meaning centred;
    // a 0 is replaced by the position computed. Returns the typed text after
    // "OK", an empty text when cancelled.
    virtual QString InBox(const QString &prompt, const QString &title, const QString &defaultText, int &left, int &top)
        = 0;

    // Full path chosen, or empty when cancelled. The open dialog accepts
    // existing files only.
    virtual QString openFileName(const FileDialogRequest &request) = 0;
    virtual QString saveFileName(const FileDialogRequest &request) = 0;

    // The system print dialog: the number of copies chosen, nothing when cancelled.
    virtual std::optional<int> printDialog(const PrintRequest &request) = 0;

    // The progress dialog of a long step; it closes when destroyed.
    virtual std::unique_ptr<Progress> progress(const ProgressRequest &request) = 0;

    virtual void setClipboardText(const QString &text) = 0;
    virtual void beep() = 0;
    virtual QDate today() = 0;
    // The local date and time now. Whatever counts time (an exam's time
    // left, a backup's name) reads it here, so that a test can script it.
    virtual QDateTime now() = 0;
    // Seeds the random numbers from the clock.
    virtual void randomize() = 0;
    // A uniform random number in [0, 1).
    virtual double rnd() = 0;
};

} // namespace qcm
