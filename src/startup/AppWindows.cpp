#include "AppWindows.h"

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

} // namespace qcm
