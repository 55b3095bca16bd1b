#include "dialogs/WidgetDialogs.h"

#include "dialogs/fBox.h"
#include "dialogs/fInBox.h"

#include <QFileDialog>
#include <QRegularExpression>

namespace qcm {

WidgetDialogs::WidgetDialogs() = default;
WidgetDialogs::~WidgetDialogs() = default;

int WidgetDialogs::MoxBox(const QString &message, int icon, const QString &title, const QString &caption0,
    const QString &caption1, const QString &caption2, int alignment)
{
    // A message raised while the shared box is still waiting (from a timer
    // or a nested handler) gets a box of its own rather than hijacking it.
    if (m_box && m_box->isVisible()) {
        fBox extra;
        return extra.showMessage(message, icon, title, caption0, caption1, caption2, alignment);
    }
    if (!m_box)
        m_box = std::make_unique<fBox>();
    const int result = m_box->showMessage(message, icon, title, caption0, caption1, caption2, alignment);
    if (m_box->closedByCloseBox())
        m_box.reset();
    return result;
}

QString WidgetDialogs::InBox(
    const QString &prompt, const QString &title, const QString &defaultText, int &left, int &top)
{
    const QString iniPath = m_iniPath ? m_iniPath() : QString();
    if (m_inBox && m_inBox->isVisible()) {
        fInBox extra;
        extra.setIniPath(iniPath);
        return extra.ask(prompt, title, defaultText, left, top);
    }
    if (!m_inBox)
        m_inBox = std::make_unique<fInBox>();
    m_inBox->setIniPath(iniPath);
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
    QFileDialog dialog(m_parent, request.title, request.directory,
        request.filterName + QStringLiteral(" (") + request.pattern + QLatin1Char(')'));
    dialog.setObjectName(QStringLiteral("dlg"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The program asks itself before replacing a file.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        // A name typed without its extension would be saved where the open
        // dialog's filter can never show it again.
        const QRegularExpressionMatch suffix
            = QRegularExpression(QStringLiteral("^\\*\\.(\\w+)$")).match(request.pattern);
        if (suffix.hasMatch())
            dialog.setDefaultSuffix(suffix.captured(1));
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace qcm
