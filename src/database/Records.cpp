#include "Records.h"

namespace qcm {

const SpecialityInfo &specialityInfo(Speciality s)
{
    static const std::array<SpecialityInfo, kSpecialityCount> table{{
        {"ParapenteSolo", QStringLiteral("Parapente"), QStringLiteral("Brevet B de Vol Libre - Parapente"),
            QStringLiteral("Brevet B de parapente")},
        {"ParapenteBi", QStringLiteral("Parapente biplace"), QStringLiteral("Qualification biplace parapente"),
            QStringLiteral("Qualification Biplaceur Parapente")},
        {"ParapenteBiHandi", QStringLiteral("Parapente biplace Handi"),
            QStringLiteral("Qualification biplace parapente emport de passager handicapé"),
            QStringLiteral("Qualification Biplaceur Parapente - Handi")},
        {"DeltaSolo", QStringLiteral("Delta"), QStringLiteral("Brevet B de Vol Libre - Delta"),
            QStringLiteral("Brevet B de delta")},
        {"DeltaBi", QStringLiteral("Delta biplace"), QStringLiteral("Qualification biplace delta"),
            QStringLiteral("Qualification Biplaceur Delta")},
        {"DeltaBiHandi", QStringLiteral("Delta biplace Handi"),
            QStringLiteral("Qualification biplace delta emport de passager handicapé"),
            QStringLiteral("Qualification Biplaceur Delta - Handi")},
    }};
    return table[size_t(s)];
}

const std::array<QString, 10> &questionnaireTitles()
{
    static const std::array<QString, 10> titles{
        QStringLiteral("Brevet A de Vol Libre - Parapente"),
        QStringLiteral("Brevet B de Vol Libre - Parapente"),
        QStringLiteral("Brevet B+ de Vol Libre - Parapente"),
        QStringLiteral("Qualification biplace parapente"),
        QStringLiteral("Qualification biplace parapente emport de passager handicapé"),
        QStringLiteral("Brevet A de Vol Libre - Delta"),
        QStringLiteral("Brevet B de Vol Libre - Delta"),
        QStringLiteral("Brevet B+ de Vol Libre - Delta"),
        QStringLiteral("Qualification biplace delta"),
        QStringLiteral("Qualification biplace delta emport de passager handicapé"),
    };
    return titles;
}

QString placeholderTitle()
{
    return QStringLiteral("Spécialité à préciser...");
}

std::optional<qint64> pointsValue(const QVariant &stored)
{
    if (stored.isNull())
        return std::nullopt;
    bool ok = false;
    const qint64 value = stored.toLongLong(&ok);
    if (!ok || (stored.typeId() == QMetaType::Double && double(value) != stored.toDouble()))
        return std::nullopt;
    return value;
}

QString newQuestionnaireEntry()
{
    return QStringLiteral("- Créer un nouveau QCM");
}

QString pointsRuleViolation(const Question &q)
{
    qint64 positive = 0;
    for (int i = 0; i < kChoiceCount; ++i) {
        const auto &v = q.val[size_t(i)];
        if (q.hasChoice(i) != v.has_value())
            return q.hasChoice(i) ? QStringLiteral("Une réponse n'a pas de points.")
                                  : QStringLiteral("Des points n'ont pas de réponse.");
        if (v && (*v < -6 || *v > 6))
            return QStringLiteral("Les points vont de -6 à 6 !");
        if (v && *v > 0)
            positive += *v;
    }
    if (positive != 6)
        return QStringLiteral("Il faut toujours 6 points par question.");
    return {};
}

} // namespace qcm
