#include "EditorRules.h"

#include "input/ControlCharacters.h"

#include <limits>

namespace qcm {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kInputError = QStringLiteral("Erreur de saisie");

Refusal refusal(const QString &message, int icon, const QString &title, int focus, const QString &caption0 = {})
{
    return {BoxRequest{message, icon, title, caption0, {}, {}, 0}, focus};
}

std::optional<qint64> points(const EditorEntry &entry, int k)
{
    return wholeNumber(entry.txt[size_t(Field::choicePoints(k))]);
}

} // namespace

std::optional<qint64> wholeNumber(QStringView text)
{
    text = text.trimmed();
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    if (text.isEmpty())
        return std::nullopt;
    constexpr qint64 limit = std::numeric_limits<qint64>::max();
    qint64 value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c.unicode() - u'0';
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
    }
    return negative ? -value : value;
}

qint64 PositivePointsTotal(const EditorEntry &entry)
{
    qint64 total = 0;
    for (int k = 0; k < kChoiceCount; ++k) {
        const auto v = points(entry, k);
        // Each term is capped so that absurd entries cannot wrap the sum.
        if (v && *v > 0)
            total += std::min<qint64>(*v, std::numeric_limits<qint64>::max() / (2 * kChoiceCount));
    }
    return total;
}

std::optional<Refusal> saveRefusal(const EditorEntry &entry)
{
    const auto &txt = entry.txt;
    // A question always belongs to a domain: without a code it would be
    // stored where no list reaches it.
    for (int index : {Field::Code, Field::Number, Field::Statement, 4, 5, 6, 7})
        if (txt[size_t(index)].isEmpty())
            return refusal(QStringLiteral("Saisie obligatoire !"), Icon::Warning, QStringLiteral("Attention"), index);

    // Texts a bank already held, or that came in by another way: what the
    // program does not show must not be stored either.
    for (int index = Field::Statement; index < Field::Count; index += index == Field::Statement ? 1 : 2) {
        const qsizetype at = firstRefusedControl(txt[size_t(index)]);
        if (at < 0)
            continue;
        const QString field = index == Field::Statement
            ? QStringLiteral("Libellé")
            : QStringLiteral("Choix ") + QChar(u'A' + (index - Field::choiceText(0)) / 2);
        return refusal(QStringLiteral("Le champ « %1 » contient un caractère de contrôle invisible (code %2) qui ne "
                                      "peut pas être enregistré.")
                           .arg(field)
                           .arg(txt[size_t(index)].at(at).unicode())
                + kCrLf + QStringLiteral("Effacez-le, puis enregistrez de nouveau la question."),
            Icon::Warning, kInputError, index);
    }

    const auto number = wholeNumber(txt[Field::Number]);
    if (!number || *number < 1 || *number > kHighestQuestionNumber)
        return refusal(QStringLiteral("Le numéro de la question doit être un nombre entier de 1 à %1.")
                           .arg(kHighestQuestionNumber),
            Icon::Warning, kInputError, Field::Number);

    for (int k = 0; k < kChoiceCount; ++k) {
        const QString &text = txt[size_t(Field::choiceText(k))];
        const QString &pointsText = txt[size_t(Field::choicePoints(k))];
        if (!text.isEmpty() && pointsText.isEmpty())
            return refusal(QStringLiteral("Il faut mettre des points au regard de chaque choix et limiter le total "
                                          "positif à 6 points."),
                Icon::Warning, kInputError, Field::choicePoints(k));
        const auto v = wholeNumber(pointsText);
        if (text.isEmpty() && v && pointsText != QStringLiteral("0"))
            return refusal(QStringLiteral("Il faut mettre une réponse possible au regard de chaque choix ou un nombre "
                                          "de points est indiqué et limiter le total positif à 6 points."),
                Icon::Warning, kInputError, Field::choiceText(k));
        // Points that are no number in range would be stored as no points at
        // all, or break the bank's range: both are refused here.
        if (!pointsText.isEmpty() && (!v || *v < -6 || *v > 6))
            return refusal(
                QStringLiteral("Les points vont de -6 à 6 !"), Icon::Warning, kInputError, Field::choicePoints(k));
    }

    if (std::none_of(entry.specialities.begin(), entry.specialities.end(), [](bool b) { return b; }))
        return refusal(QStringLiteral("Vous devez cocher au moins une spécialité !"), Icon::Warning,
            QStringLiteral("Saisie incomplète !"), -1);

    const qint64 total = PositivePointsTotal(entry);
    if (total != 6)
        return refusal(QStringLiteral("Il faut vérifier la saisie, le compte de points est erroné (%1) !").arg(total)
                + kCrLf + QStringLiteral("Il faut toujours 6 points par question."),
            Icon::Error, QStringLiteral("Attention ! Erreur dans les points"), -1, QStringLiteral("OK"));
    return std::nullopt;
}

std::optional<Refusal> pointsRangeRefusal(const QString &pointsText)
{
    const auto v = wholeNumber(pointsText);
    if (v && (*v < -6 || *v > 6))
        return refusal(QStringLiteral("Les points vont de -6 à 6 !"), Icon::Warning, kInputError, -1);
    return std::nullopt;
}

Question questionFromEntry(const EditorEntry &entry)
{
    Question q;
    q.code = entry.txt[Field::Code];
    q.numero = wholeNumber(entry.txt[Field::Number]).value_or(0);
    q.libelle = entry.txt[Field::Statement];
    for (int k = 0; k < kChoiceCount; ++k) {
        q.lib[size_t(k)] = entry.txt[size_t(Field::choiceText(k))];
        q.val[size_t(k)] = wholeNumber(entry.txt[size_t(Field::choicePoints(k))]);
    }
    for (int s = 0; s < kSpecialityCount; ++s)
        q.flags[size_t(s)] = entry.specialities[size_t(s)] ? 1 : 0;
    return q;
}

} // namespace qcm
