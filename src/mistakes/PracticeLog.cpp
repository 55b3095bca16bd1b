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

QString firstWords(const QString &statement, int words)
{
    const QStringList all = statement.simplified().split(u' ', Qt::SkipEmptyParts);
    QString text = all.mid(0, words).join(u' ');
    if (all.size() > words)
        text += QStringLiteral(" …");
    return text;
}

} // namespace qcm
