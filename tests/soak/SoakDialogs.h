#pragma once

#include "SoakRandom.h"

#include "services/DialogService.h"

#include <QStringList>

namespace qcm::soak {

// The dialog service of a soak run: every box, input box and file dialog
// gets a random answer, as a user clicking about would give; nothing is
// refused for not being scripted. Files are chosen among a few prepared
// ones and written only in the scratch folder.
class SoakDialogs : public DialogService {
public:
    SoakDialogs(SoakRandom &random, QString programFolder, QString scratchFolder);

    int showBox(const BoxRequest &box) override;
    QString InBox(
        const QString &prompt, const QString &title, const QString &defaultText, int &left, int &top) override;
    QString openFileName(const FileDialogRequest &request) override;
    QString saveFileName(const FileDialogRequest &request) override;
    std::optional<int> printDialog(const PrintRequest &request) override;
    std::unique_ptr<Progress> progress(const ProgressRequest &request) override;
    void setClipboardText(const QString &text) override;
    void beep() override { }
    QDate today() override { return now().date(); }
    QDateTime now() override { return m_now = m_now.addSecs(1); }
    void randomize() override { }
    double rnd() override { return m_random.unit(); }

    // What the run was shown, for its summary.
    int boxes = 0, inputs = 0, fileDialogs = 0;

private:
    SoakRandom &m_random;
    QString m_program, m_scratch;
    QStringList m_saved;
    QDateTime m_now{QDate(2026, 12, 6), QTime(9, 0)};
};

} // namespace qcm::soak
