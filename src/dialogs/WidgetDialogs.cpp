#include "dialogs/WidgetDialogs.h"

#include "dialogs/fBox.h"
#include "dialogs/fInBox.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QRegularExpression>

#include <limits>

namespace qcm {

WidgetDialogs::WidgetDialogs() = default;
WidgetDialogs::~WidgetDialogs() = default;

int WidgetDialogs::showBox(const BoxRequest &box)
{
    auto show = [&box](fBox &window) {
        const int result = window.showMessage(
            box.message, box.icon, box.title, box.caption0, box.caption1, box.caption2, box.alignment);
        return window.closedByCloseBox() ? kClosedByCloseBox : result;
    };
    // A message raised while the shared box is still waiting (from a timer
    // or a nested handler) gets a box of its own rather than hijacking it.
    if (m_box && m_box->isVisible()) {
        fBox extra;
        return show(extra);
    }
    if (!m_box)
        m_box = std::make_unique<fBox>();
    const int result = show(*m_box);
    if (m_box->closedByCloseBox())
        m_box.reset();
    return result;
}

QString WidgetDialogs::InBox(
    const QString &prompt, const QString &title, const QString &defaultText, int &left, int &top)
{
    if (m_inBox && m_inBox->isVisible()) {
        fInBox extra;
        extra.setPlaceKeeper(m_keepInBoxPlace);
        return extra.ask(prompt, title, defaultText, left, top);
    }
    if (!m_inBox)
        m_inBox = std::make_unique<fInBox>();
    m_inBox->setPlaceKeeper(m_keepInBoxPlace);
    return m_inBox->ask(prompt, title, defaultText, left, top);
}

QString WidgetDialogs::openFileName(const FileDialogRequest &request)
{
    return fileName(request, false);
}

QString WidgetDialogs::saveFileName(const FileDialogRequest &request)
{
    return fileName(request, true);
}

QString WidgetDialogs::fileName(const FileDialogRequest &request, bool save)
{
    QStringList filters;
    for (const FileFilter &f : request.filters)
        filters << f.name + QStringLiteral(" (") + f.patterns + QLatin1Char(')');
    QFileDialog dialog(m_parent, request.title, request.directory);
    dialog.setNameFilters(filters);
    dialog.setObjectName(QStringLiteral("dlg"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The program asks itself before replacing a file.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        // A name typed without its extension would be saved where the open
        // dialog's filter can never show it again: it takes the first
        // extension of the chosen file type.
        auto suffixOf = [&request, &filters](const QString &filterText) {
            const qsizetype i = filters.indexOf(filterText);
            const QString first = i < 0 ? QString() : request.filters.at(i).patterns.section(QLatin1Char(' '), 0, 0);
            const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^\\*\\.(\\w+)$")).match(first);
            return m.hasMatch() ? m.captured(1) : QString();
        };
        if (!filters.isEmpty())
            dialog.setDefaultSuffix(suffixOf(filters.constFirst()));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
            [&dialog, suffixOf](const QString &filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

std::optional<int> WidgetDialogs::printDialog(const PrintRequest &request)
{
    QPrinter printer;
    printer.setCopyCount(request.copies);
    QPrintDialog dialog(&printer, m_parent);
    dialog.setObjectName(QStringLiteral("dlg"));
    if (!request.title.isEmpty())
        dialog.setWindowTitle(request.title);
    // Copies only: the whole document always goes to a real printer.
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return std::max(1, printer.copyCount());
}

void WidgetDialogs::setClipboardText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}

void WidgetDialogs::beep()
{
    QApplication::beep();
}

namespace {

class ProgressDialog : public Progress {
public:
    ProgressDialog(const ProgressRequest &request, QWidget *parent)
        : m_dialog(request.label, request.cancellable ? QStringLiteral("Annuler") : QString(), 0,
            int(std::min<qint64>(request.maximum, std::numeric_limits<int>::max())), parent),
          m_scale(request.maximum > std::numeric_limits<int>::max()
                  ? double(std::numeric_limits<int>::max()) / double(request.maximum)
                  : 1.0),
          m_maximum(request.maximum)
    {
        m_dialog.setObjectName(QStringLiteral("dlgProgress"));
        m_dialog.setWindowTitle(request.title);
        m_dialog.setWindowModality(Qt::ApplicationModal);
        m_dialog.setMinimumDuration(500);
        m_dialog.setAutoClose(false);
        m_dialog.setAutoReset(false);
        if (!request.cancellable)
            m_dialog.setCancelButton(nullptr);
        m_dialog.setValue(0);
    }

    bool advance(qint64 done) override
    {
        // A step may report every row of a large bank: repainting and looking
        // for a click on "Annuler" a few times a second is enough, and costs
        // nothing beside the step.
        if (m_paced.isValid() && m_paced.elapsed() < 40 && (m_maximum <= 0 || done < m_maximum))
            return !m_dialog.wasCanceled();
        m_paced.start();
        m_dialog.setValue(int(double(done) * m_scale));
        // A dialog not shown yet does not process events itself.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return !m_dialog.wasCanceled();
    }
    void setLabel(const QString &label) override { m_dialog.setLabelText(label); }
    bool wasCanceled() const override { return m_dialog.wasCanceled(); }

private:
    QProgressDialog m_dialog;
    double m_scale;
    qint64 m_maximum;
    QElapsedTimer m_paced;
};

} // namespace

std::unique_ptr<Progress> WidgetDialogs::progress(const ProgressRequest &request)
{
    return std::make_unique<ProgressDialog>(request, m_parent);
}

QDate WidgetDialogs::today()
{
    return QDate::currentDate();
}

QDateTime WidgetDialogs::now()
{
    return QDateTime::currentDateTime();
}

void WidgetDialogs::randomize()
{
    m_random.seed(quint64(QDateTime::currentMSecsSinceEpoch()) ^ std::random_device{}());
}

double WidgetDialogs::rnd()
{
    // 53 random bits: never 1.0, whatever the library.
    return double(m_random() >> 11) * 0x1.0p-53;
}

} // namespace qcm
