#pragma once

#include "reports/ReportEngine.h"
#include "ui/ControlArray.h"

#include <QColor>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <functional>
#include <optional>

class QButtonGroup;

namespace qcm {

class QCMBas;

// A group of controls painted with the program's gradient, announced by
// its heading when the focus enters it.
class GradientPanel : public QGroupBox {
    Q_OBJECT

public:
    GradientPanel(
        const QString &heading, const QColor &from, const QColor &to, bool topToBottom, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_from, m_to;
    bool m_topToBottom;
};

// The reports window: one of five layouts of the questionnaire chosen in the
// composer, previewed, printed or saved as a PDF file, with the PDF file name
// to give a PDF printer. Closing only hides it; it keeps its state.
class fRapports : public QDialog {
    Q_OBJECT

public:
    // What ActionCrystal does with the report.
    enum Action { Preview = 0, Print = 1, SavePdf = 2 };

    explicit fRapports(QCMBas &state, QWidget *parent = nullptr);
    ~fRapports() override;

    // Shows the window: modal (returns once it is closed) or not.
    void showWindow(bool modal);
    // The window's turn: the working copy made when missing, the options set
    // for the composer's choice.
    void activated();

    QLabel *lbl(int i) const { return m_lbl(i); }
    QRadioButton *opt(int i) const { return m_opt(i); }
    QPushButton *cmdCrystal(int i) const { return m_cmdCrystal(i); }
    QPushButton *cmd(int i) const { return m_cmd(i); }
    QWidget *pic(int i) const { return m_pic(i); }

    // Produces the report of a layout for the composer's choice; formula
    // receives the selection formula used.
    void ActionCrystal(int action, int layout, const QString &caption, QString &formula);

    // Where the reports go; the engine unless a test looks on.
    using ReportRunner = std::function<ReportOutcome(const ReportRequest &)>;
    void setReportRunner(ReportRunner runner) { m_runReport = std::move(runner); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void ActionCrystal(int action, int layout, const QString &caption, QString &formula, bool fallback);
    void showPdfHint(int index);
    int selectedOption() const;
    bool workingCopyReady();
    void savePdf(ReportRequest request, const QString &document);
    QString pdfFolder();

    QCMBas &m_state;
    ReportRunner m_runReport;
    ControlArray<QLabel> m_lbl{QStringLiteral("lbl")};
    ControlArray<QRadioButton> m_opt{QStringLiteral("opt")};
    ControlArray<QPushButton> m_cmdCrystal{QStringLiteral("cmdCrystal")};
    ControlArray<QPushButton> m_cmd{QStringLiteral("cmd")};
    ControlArray<QWidget> m_pic{QStringLiteral("pic")};
    QButtonGroup *m_options = nullptr;
    // The composer's entry the options were last set for; none before the first opening.
    std::optional<QString> m_optionsSetFor;
    // A working copy that could not be made is not tried again at every
    // return to the window, which would bring its message back at once.
    bool m_copyFailedSinceShown = false;
    QWindow *m_previousFocusWindow = nullptr;
    std::optional<QString> m_pdfFolder;
};

} // namespace qcm
