#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <array>
#include <optional>

namespace qcm {

inline constexpr int kChoiceCount = 6;
inline constexpr int kSpecialityCount = 6;

// The order is that of the flag fields, of the speciality boxes and of Spé0 to Spé5.
enum class Speciality { ParapenteSolo, ParapenteBi, ParapenteBiHandi, DeltaSolo, DeltaBi, DeltaBiHandi };

struct SpecialityInfo {
    const char *flagField;
    QString caption; // check-box caption
    QString certificateTitle; // title carried by the composer's box
    QString shortTitle; // written when this box alone is ticked
};

const SpecialityInfo &specialityInfo(Speciality s);
// The ten titles of the composer's pop-up list, in order.
const std::array<QString, 10> &questionnaireTitles();
QString placeholderTitle(); // "Spécialité à préciser..."
// The first entry of the composer's list of questionnaires: none stored chosen.
QString newQuestionnaireEntry();

struct Question {
    QString code;
    qint64 numero = 0;
    QString libelle;
    // Empty: the choice does not exist. A null text is Null in the file, an
    // empty one an empty text: copies keep the difference.
    std::array<QString, kChoiceCount> lib;
    // Absent: no points. Full-size, so that a value out of range in a file is
    // shown and refused as what it is, never wrapped.
    std::array<std::optional<qint64>, kChoiceCount> val;
    // Points the file holds as something other than a whole number (a text, a
    // fraction), kept as they are so that they are shown and copied as such;
    // Null otherwise. val is then absent.
    std::array<QVariant, kChoiceCount> oddVal;
    std::array<int, kSpecialityCount> flags{}; // 0 or 1

    bool hasChoice(int i) const { return !lib[size_t(i)].isEmpty(); }
    // The points of choice i as the file holds them: the number, the odd
    // value, or Null.
    QVariant storedVal(int i) const
    {
        const auto &v = val[size_t(i)];
        return v ? QVariant(*v) : oddVal[size_t(i)];
    }
};

struct Domain {
    QString code;
    QString libelle;
};

// The place of a domain in a list that follows the table: codes may leave
// gaps (1, 2, 4), so it is looked up rather than worked out from the code.
// -1 when absent; codes match without regard to letter case, as in the file.
inline int domainPosition(const QList<Domain> &domains, const QString &code)
{
    if (code.isEmpty())
        return -1;
    for (int i = 0; i < domains.size(); ++i)
        if (domains.at(i).code.compare(code, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

struct QcmRow {
    QString nomQcm;
    QString dateMaj; // "dd/mm/yyyy"
    QString code;
    qint64 numero = 0;
    QString libelle;
    std::array<QString, kChoiceCount> lib;
    std::array<std::optional<qint64>, kChoiceCount> val;
    QString specialite;
    std::array<int, kSpecialityCount> spe{};
};

// A stored points value: absent when Null or not a whole number.
std::optional<qint64> pointsValue(const QVariant &stored);

// The points rules every stored question obeys. Returns the French reason of
// the first broken rule, or an empty text.
QString pointsRuleViolation(const Question &q);

} // namespace qcm
