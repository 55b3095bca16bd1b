#include "AppWindows.h"

#include "editor/fSaisie.h"
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

void AppWindows::showEditor()
{
    if (!m_editor)
        m_editor = new fSaisie(m_state, &m_runner);
    m_editor->exec();
}

void AppWindows::refillEditorDomainList()
{
    if (m_editor)
        m_editor->FillEditorDomainList();
}

} // namespace qcm
