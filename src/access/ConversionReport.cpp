#include "ConversionReport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace qcm {

namespace {

const char *const kStatus[] = {"converti", "refusé", "illisible", "échec"};
const char *const kKinds[] = {"défaut", "refusé", "à vérifier", "non repris"};

template <typename Enum, size_t N> std::optional<Enum> named(const QString &text, const char *const (&names)[N])
{
    for (size_t i = 0; i < N; ++i)
        if (text == QString::fromUtf8(names[i]))
            return Enum(i);
    return std::nullopt;
}

QJsonArray texts(const QStringList &list)
{
    return QJsonArray::fromStringList(list);
}

QStringList texts(const QJsonValue &value)
{
    QStringList list;
    for (const QJsonValue &v : value.toArray())
        list << v.toString();
    return list;
}

QString plural(qint64 n, const QString &one, const QString &many)
{
    return QStringLiteral("%1 %2").arg(n).arg(n > 1 ? many : one);
}

} // namespace

QByteArray ConversionReport::toJson() const
{
    QJsonArray list;
    for (const ConversionNote &n : notes)
        list.append(QJsonObject{{QStringLiteral("genre"), QString::fromUtf8(kKinds[int(n.kind)])},
            {QStringLiteral("sujet"), n.subject}, {QStringLiteral("texte"), n.text}});
    const QJsonObject root{{QStringLiteral("statut"), QString::fromUtf8(kStatus[int(status)])},
        {QStringLiteral("message"), message}, {QStringLiteral("format"), format},
        {QStringLiteral("tables"), texts(tables)}, {QStringLiteral("tablesAbsentes"), texts(missingTables)},
        {QStringLiteral("domaines"), domains}, {QStringLiteral("questions"), questions},
        {QStringLiteral("questionnaires"), questionnaires}, {QStringLiteral("remarques"), list}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<ConversionReport> ConversionReport::fromJson(const QByteArray &json)
{
    const QJsonDocument doc = QJsonDocument::fromJson(json);
    const QJsonObject root = doc.object();
    const auto status = named<Status>(root.value(QStringLiteral("statut")).toString(), kStatus);
    if (!doc.isObject() || !status)
        return std::nullopt;
    ConversionReport r;
    r.status = *status;
    r.message = root.value(QStringLiteral("message")).toString();
    r.format = root.value(QStringLiteral("format")).toString();
    r.tables = texts(root.value(QStringLiteral("tables")));
    r.missingTables = texts(root.value(QStringLiteral("tablesAbsentes")));
    r.domains = root.value(QStringLiteral("domaines")).toInteger();
    r.questions = root.value(QStringLiteral("questions")).toInteger();
    r.questionnaires = root.value(QStringLiteral("questionnaires")).toInteger();
    for (const QJsonValue &v : root.value(QStringLiteral("remarques")).toArray()) {
        const QJsonObject o = v.toObject();
        const auto kind = named<ConversionNote::Kind>(o.value(QStringLiteral("genre")).toString(), kKinds);
        if (!kind)
            return std::nullopt;
        r.notes.append(
            {*kind, o.value(QStringLiteral("sujet")).toString(), o.value(QStringLiteral("texte")).toString()});
    }
    return r;
}

QString conversionReportText(
    const ConversionReport &report, const QString &original, const QString &converted, const QDateTime &when)
{
    QString out;
    out += QStringLiteral("Conversion d'une base Access en base de questions\n\n");
    out += QStringLiteral("Base d'origine (inchangée) : %1\n").arg(original);
    out += QStringLiteral("Format : %1\n").arg(report.format);
    out += QStringLiteral("Base convertie : %1\n").arg(converted);
    out += QStringLiteral("Date : %1\n\n").arg(when.toString(QStringLiteral("dd/MM/yyyy à HH:mm")));
    out += QStringLiteral("Tables trouvées : %1\n")
               .arg(report.tables.isEmpty() ? QStringLiteral("aucune") : report.tables.join(QStringLiteral(", ")));
    if (!report.missingTables.isEmpty())
        out += QStringLiteral("Tables absentes (la base convertie les a, vides) : %1\n")
                   .arg(report.missingTables.join(QStringLiteral(", ")));
    out += QStringLiteral("Repris : %1, %2, %3.\n")
               .arg(plural(report.domains, QStringLiteral("domaine"), QStringLiteral("domaines")),
                   plural(report.questions, QStringLiteral("question"), QStringLiteral("questions")),
                   plural(report.questionnaires, QStringLiteral("questionnaire"), QStringLiteral("questionnaires")));

    static const QString headings[]
        = {QStringLiteral("Valeurs remplacées par défaut"), QStringLiteral("Éléments refusés"),
            QStringLiteral("À vérifier dans la saisie"), QStringLiteral("Non repris (inutiles au programme)")};
    for (int kind = 0; kind < 4; ++kind) {
        QStringList lines;
        for (const ConversionNote &n : report.notes)
            if (int(n.kind) == kind)
                lines << QStringLiteral("  - %1 : %2").arg(n.subject, n.text);
        if (!lines.isEmpty())
            out += QStringLiteral("\n%1 (%2) :\n%3\n").arg(headings[kind]).arg(lines.size()).arg(lines.join(u'\n'));
    }
    if (report.notes.isEmpty())
        out += QStringLiteral("\nTout a été repris tel quel.\n");
    return out;
}

QString conversionReportPath(const QString &converted)
{
    const QFileInfo bank(converted);
    const QString stem = bank.absoluteDir().filePath(bank.completeBaseName() + QStringLiteral(" - conversion"));
    QString path = stem + QStringLiteral(".txt");
    for (int n = 2; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++n)
        path = stem + QStringLiteral(" %1.txt").arg(n);
    return path;
}

} // namespace qcm
