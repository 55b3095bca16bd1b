#include "ScriptedDialogs.h"

namespace qcm::test {

int ScriptedDialogs::MoxBox(const QString &message, int icon, const QString &title, const QString &caption0,
    const QString &caption1, const QString &caption2, int alignment)
{
    boxes.append({message, icon, title, caption0, caption1, caption2, alignment});
    return boxAnswers.isEmpty() ? 0 : boxAnswers.takeFirst();
}

QString ScriptedDialogs::InBox(
    const QString &prompt, const QString &title, const QString &defaultText, int &left, int &top)
{
    inputs.append({prompt, title, defaultText, left, top});
    return inputAnswers.isEmpty() ? QString() : inputAnswers.takeFirst();
}

QString ScriptedDialogs::openFileName(const FileDialogRequest &request)
{
    openRequests.append(request);
    return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
}

QString ScriptedDialogs::saveFileName(const FileDialogRequest &request)
{
    saveRequests.append(request);
    return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
}

QStringList ScriptedDialogs::messages() const
{
    QStringList list;
    for (const Box &b : boxes)
        list.append(b.message);
    return list;
}

} // namespace qcm::test
