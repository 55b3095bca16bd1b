#pragma once

#include "services/DialogService.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <random>

namespace qcm {

class fBox;
class fInBox;

// The dialog service of the running program: the program's own message and
// input boxes, the toolkit's file and print dialogs, the system clipboard and
// beep. Destroy it before the application object.
class WidgetDialogs : public DialogService {
public:
    WidgetDialogs();
    ~WidgetDialogs() override;

    // Told where the input box stood when it closed, in twips.
    void setInBoxPlaceKeeper(std::function<void(int left, int top)> keeper) { m_keepInBoxPlace = std::move(keeper); }
    // The window the file dialogs belong to.
    void setParentWindow(QWidget *parent) { m_parent = parent; }

    int showBox(const BoxRequest &box) override;
    QString InBox(
        const QString &prompt, const QString &title, const QString &defaultText, int &left, int &top) override;
    QString openFileName(const FileDialogRequest &request) override;
    QString saveFileName(const FileDialogRequest &request) override;
    std::optional<int> printDialog(const PrintRequest &request) override;
    std::unique_ptr<Progress> progress(const ProgressRequest &request) override;
    void setClipboardText(const QString &text) override;
    void beep() override;
    QDate today() override;
    QDateTime now() override;
    void randomize() override;
    double rnd() override;

private:
    QString fileName(const FileDialogRequest &request, bool save);

    std::function<void(int left, int top)> m_keepInBoxPlace;
    QPointer<QWidget> m_parent;
    std::unique_ptr<fBox> m_box;
    std::unique_ptr<fInBox> m_inBox;
    std::mt19937_64 m_random{std::random_device{}()};
};

} // namespace qcm
