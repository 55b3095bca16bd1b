#include "ReportData.h"

#include "database/Sqlite.h"

#include <QFileInfo>
#include <QHash>
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

namespace {

// The store compares names without regard to the case of ASCII letters.
bool sameName(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t x = a.at(i).unicode(), y = b.at(i).unicode();
        const auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
        if (fold(x) != fold(y))
            return false;
    }
    return true;
}

} // namespace

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
    SqliteDb db;
    QString why;
    if (!db.open(path, SqliteDb::Mode::ReadOnly, &why))
        return fail(why);

    SqliteStatement rows = db.prepare(name ? QStringLiteral("SELECT * FROM QCM WHERE NomQCM = ?1 ORDER BY rowid")
                                           : QStringLiteral("SELECT * FROM QCM ORDER BY NomQCM, rowid"));
    if (!rows.isValid())
        return fail(QStringLiteral("ce n'est pas une base de questions (%1).").arg(rows.error()));
    if (name)
        rows.bind(1, *name);

    // Field names are matched without regard to case.
    QHash<QString, int> column;
    for (int i = 0; i < rows.columnCount(); ++i)
        column.insert(rows.columnName(i).toCaseFolded(), i);
    QStringList wanted{QStringLiteral("NomQCM"), QStringLiteral("DateMAJ"), QStringLiteral("Code"),
        QStringLiteral("Numero"), QStringLiteral("Libellé"), QStringLiteral("Spécialité")};
    for (int c = 0; c < kChoiceCount; ++c)
        wanted << QStringLiteral("lib%1").arg(c) << QStringLiteral("val%1").arg(c);
    for (const QString &field : wanted)
        if (!column.contains(field.toCaseFolded()))
            return fail(QStringLiteral("il manque le champ « %1 » à la table QCM.").arg(field));
    auto at = [&](const QString &field) { return column.value(field.toCaseFolded()); };
    const int cName = at(QStringLiteral("NomQCM")), cDate = at(QStringLiteral("DateMAJ")),
              cCode = at(QStringLiteral("Code")), cNumero = at(QStringLiteral("Numero")),
              cLibelle = at(QStringLiteral("Libellé")), cSpe = at(QStringLiteral("Spécialité"));
    std::array<int, kChoiceCount> cLib{}, cVal{};
    for (int c = 0; c < kChoiceCount; ++c) {
        cLib[size_t(c)] = at(QStringLiteral("lib%1").arg(c));
        cVal[size_t(c)] = at(QStringLiteral("val%1").arg(c));
    }
    std::array<int, kSpecialityCount> cFlag{};
    for (int s = 0; s < kSpecialityCount; ++s)
        cFlag[size_t(s)] = column.value(QStringLiteral("spé%1").arg(s).toCaseFolded(), -1);

    QList<StoredQuestionnaire> result;
    while (rows.step()) {
        QcmRow row;
        row.nomQcm = rows.column(cName).toString();
        row.dateMaj = rows.column(cDate).toString();
        row.code = rows.column(cCode).toString();
        row.numero = rows.column(cNumero).toLongLong();
        row.libelle = rows.column(cLibelle).toString();
        for (int c = 0; c < kChoiceCount; ++c) {
            row.lib[size_t(c)] = rows.column(cLib[size_t(c)]).toString();
            row.val[size_t(c)] = pointsValue(rows.column(cVal[size_t(c)]));
        }
        row.specialite = rows.column(cSpe).toString();
        for (int s = 0; s < kSpecialityCount; ++s)
            row.spe[size_t(s)] = cFlag[size_t(s)] < 0 ? 0 : int(rows.column(cFlag[size_t(s)]).toLongLong());
        // A filter keeps one questionnaire even when its rows spell the name
        // in different cases; the complete listing groups the same way.
        if (result.isEmpty() || (!name && !sameName(result.last().name, row.nomQcm)))
            result.append({row.nomQcm, row.dateMaj, row.specialite, false, row.spe, {}});
        StoredQuestionnaire &q = result.last();
        if (q.speciality.isEmpty())
            q.speciality = row.specialite;
        if (q.date.isEmpty())
            q.date = row.dateMaj;
        q.rows.append(row);
    }
    if (!rows.error().isEmpty())
        return fail(rows.error());

    // Rows written before a speciality was known take it from the table
    // Spécialité; an old file without that table simply has none.
    SqliteStatement spe = db.prepare(QStringLiteral("SELECT \"Spécialité\" FROM \"Spécialité\" WHERE NomQCM = ?1"));
    if (spe.isValid())
        for (StoredQuestionnaire &q : result) {
            if (!q.speciality.isEmpty())
                continue;
            spe.reset();
            spe.bind(1, q.name);
            if (spe.step())
                q.speciality = spe.column(0).toString();
        }
    return result;
}

} // namespace qcm
