#include "AppWindows.h"

#include "composer/fRapports.h"
#include "runner/fQCM.h"
#include "startup/QCMBas.h"

namespace qcm {

AppWindows::AppWindows(QCMBas &state, fQCM &runner) : m_state(state), m_runner(runner)
{
    m_state.setWindows(this);
}

AppWindows::~AppWindows()
{
    m_state.setWindows(nullptr);
}

void AppWindows::showReports(bool modal)
{
    if (!m_reports)
        m_reports = new fRapports(m_state, &m_runner);
    m_reports->showWindow(modal);
}

} // namespace qcm
