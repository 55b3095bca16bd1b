#include "PracticeLog.h"

namespace qcm {

QString candidateRefusal(const QString &name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return QStringLiteral("Indiquez le nom du candidat.");
    if (trimmed.size() > kCandidateNameMax)
        return QStringLiteral("Le nom du candidat dépasse %1 caractères.").arg(kCandidateNameMax);
    for (const QChar c : trimmed)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            return QStringLiteral("Le nom du candidat contient un caractère invisible.");
    return {};
}

} // namespace qcm
