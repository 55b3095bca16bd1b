#include "BankText.h"

#include <QHash>
#include <QRegularExpression>

namespace qcm {

bool parseBankText(const QString &text, BankContent &out, QString *error)
{
    out = {};
    const QStringList lines = text.split(u'\n');
    const QString sep = QStringLiteral(" | ");
    QString domainCode;
    Question *current = nullptr;
    bool expectStatement = false;
    int nextChoice = 0;
    // Codes compare without regard to letter case, as the database does: the
    // line of each first use, to name it when a second one comes.
    QHash<QString, int> domainLines;
    QHash<QString, int> questionLines;

    for (int n = 0; n < lines.size(); ++n) {
        const QString line = lines.at(n).trimmed();
        auto fail = [&](const QString &why) {
            if (error)
                *error = QStringLiteral("ligne %1 : %2").arg(n + 1).arg(why);
            return false;
        };
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (expectStatement) {
            current->libelle = line;
            expectStatement = false;
            continue;
        }
        const QStringList parts = line.split(sep);
        const QString head = parts.first();
        if (head.startsWith(QLatin1String("DOMAINE "))) {
            if (parts.size() != 2)
                return fail(QStringLiteral("« DOMAINE code | titre » attendu."));
            domainCode = head.mid(8).trimmed();
            if (domainCode.size() != 1)
                return fail(QStringLiteral("le code d'un domaine tient en un caractère."));
            const QString folded = domainCode.toCaseFolded();
            if (domainLines.contains(folded))
                return fail(QStringLiteral("le domaine « %1 » est déjà déclaré ligne %2 (les codes ne distinguent pas "
                                           "majuscules et minuscules).")
                                .arg(domainCode)
                                .arg(domainLines.value(folded)));
            domainLines.insert(folded, n + 1);
            out.domains.append({domainCode, parts.at(1)});
            current = nullptr;
        } else if (head.startsWith(QLatin1String("QUESTION "))) {
            if (domainCode.isEmpty() || parts.size() != 2)
                return fail(QStringLiteral("« QUESTION numéro | spécialités » attendu après un domaine."));
            bool ok = false;
            Question q;
            q.code = domainCode;
            q.numero = head.mid(9).trimmed().toLongLong(&ok);
            if (!ok || q.numero <= 0)
                return fail(QStringLiteral("numéro de question invalide."));
            const QString key = q.code.toCaseFolded() + u'.' + QString::number(q.numero);
            if (questionLines.contains(key))
                return fail(QStringLiteral("la question %1.%2 existe déjà (ligne %3).")
                                .arg(q.code)
                                .arg(q.numero)
                                .arg(questionLines.value(key)));
            questionLines.insert(key, n + 1);
            const QStringList flags = parts.at(1).split(u' ', Qt::SkipEmptyParts);
            for (const QString &f : flags) {
                int s = 0;
                while (s < kSpecialityCount && f != QLatin1String(specialityInfo(Speciality(s)).flagField))
                    ++s;
                if (s == kSpecialityCount)
                    return fail(QStringLiteral("spécialité inconnue « %1 ».").arg(f));
                q.flags[size_t(s)] = 1;
            }
            out.questions.append(q);
            current = &out.questions.last();
            expectStatement = true;
            nextChoice = 0;
        } else if (current && parts.size() == 3 && head.size() == 1) {
            if (nextChoice >= kChoiceCount || head.at(0) != QChar(u'A' + nextChoice))
                return fail(QStringLiteral("réponse « %1 » attendue.").arg(QChar(u'A' + nextChoice)));
            bool ok = false;
            const int points = parts.at(1).toInt(&ok);
            if (!ok)
                return fail(QStringLiteral("points invalides « %1 ».").arg(parts.at(1)));
            current->lib[size_t(nextChoice)] = parts.at(2);
            current->val[size_t(nextChoice)] = points;
            ++nextChoice;
        } else {
            return fail(QStringLiteral("ligne non reconnue."));
        }
    }
    if (expectStatement) {
        if (error)
            *error = QStringLiteral("fin du texte : l'énoncé de la dernière question manque.");
        return false;
    }
    return true;
}

} // namespace qcm
