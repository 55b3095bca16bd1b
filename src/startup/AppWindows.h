#pragma once

#include "startup/WindowDirectory.h"

#include <QPointer>

namespace qcm {

class QCMBas;
class fQCM;
class fSaisie;

// The program's windows as the procedures reach them: made on first use
// over the practice window, which lives for the whole run.
class AppWindows : public WindowDirectory {
public:
    AppWindows(QCMBas &state, fQCM &runner);
    ~AppWindows() override;

    void showEditor() override;
    void refillEditorDomainList() override;

private:
    QCMBas &m_state;
    fQCM &m_runner;
    QPointer<fSaisie> m_editor;
};

} // namespace qcm
