#include "ReportData.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace qcm {

SelectionFormula SelectionFormula::parse(const QString &formula)
{
    SelectionFormula result;
    const QString text = formula.trimmed();
    if (text.isEmpty()) {
        result.accepted = true;
        return result;
    }
    static const QRegularExpression shape(QStringLiteral(R"re(\A\{QCM\.NomQCM\}[ \t]*=[ \t]*"(.*)"\z)re"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    // A name may hold quotes, so the name runs to the last quote; but a quote
    // followed by an operator and another test is a second condition, which
    // the engine does not take.
    static const QRegularExpression compound(QStringLiteral(R"re("[ \t]*(or|and|xor|eqv|imp)[ \t]+(not[ \t]+)?[{(])re"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = shape.match(text);
    if (!match.hasMatch() || compound.match(match.captured(1)).hasMatch()) {
        result.error = QStringLiteral("La formule de sélection « %1 » n'est pas acceptée : elle doit être vide, "
                                      "ou de la forme {QCM.NomQCM} = \"nom du QCM\".")
                           .arg(formula);
        return result;
    }
    result.accepted = true;
    result.name = match.captured(1);
    return result;
}

std::optional<QList<StoredQuestionnaire>> readQuestionnaires(
    const QString &path, const std::optional<QString> &name, QString *error)
{
    const QString file = QFileInfo(path).fileName();
    auto fail = [&](const QString &why) -> std::nullopt_t {
        if (error)
            *error = QStringLiteral("La copie de travail « %1 » ne peut pas être lue : %2").arg(file, why);
        return std::nullopt;
    };
    if (!QFileInfo(path).isFile())
        return fail(QStringLiteral("le fichier est introuvable."));
    StoreError failure;
    const BankModel bank(Connection::openReadOnly(path, &failure));
    if (!bank.connection())
        return fail(failure.description);
    // The reports read nothing but the table QCM (and Spécialité when there is one).
    if (!bank.connection()->table(QStringLiteral("QCM"), &failure))
        return fail(failure.kind == StoreErrorKind::Other
                ? QStringLiteral("ce n'est pas une base de questions (la table QCM est absente ou illisible).")
                : failure.description);

    std::optional<QList<StoredQuestionnaire>> read;
    if (name) {
        std::optional<StoredQuestionnaire> one = bank.questionnaire(*name, &failure);
        if (one)
            read = QList<StoredQuestionnaire>{*one};
        else if (!failure)
            read = QList<StoredQuestionnaire>();
    } else {
        read = bank.questionnaires(&failure);
    }
    if (!read) {
        if (failure.kind == StoreErrorKind::FieldNotFound && !failure.field.isEmpty())
            return fail(QStringLiteral("il manque le champ « %1 » à la table QCM.").arg(failure.field));
        return fail(failure.description);
    }
    return read;
}

} // namespace qcm
