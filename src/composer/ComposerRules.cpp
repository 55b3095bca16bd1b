#include "ComposerRules.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace qcm {

QString candidateLine(const QString &code, const QString &numero, const QString &statement)
{
    return code + u'/' + numero + QStringLiteral("- ") + statement;
}

QString numeroText(const QVariant &numero)
{
    if (numero.isNull())
        return {};
    if (numero.typeId() == QMetaType::Double) {
        const double d = numero.toDouble();
        if (d == std::floor(d) && std::abs(d) < 1e15)
            return QString::number(qint64(d));
    }
    return numero.toString();
}

CandidateKey parseCandidateLine(const QString &line)
{
    CandidateKey key;
    const qsizetype slash = line.indexOf(u'/');
    if (slash < 0)
        return key;
    key.code = line.left(slash);
    const qsizetype dash = line.indexOf(u'-', slash);
    if (dash < 0) {
        key.numero = line.mid(slash + 1);
        return key;
    }
    key.numero = line.mid(slash + 1, dash - slash - 1);
    key.statement = line.mid(dash + 2);
    return key;
}

bool isValidDate(const QString &text)
{
    static const QRegularExpression shape(QStringLiteral("^([0-9]{2})/([0-9]{2})/([0-9]{4})$"));
    const QRegularExpressionMatch m = shape.match(text);
    return m.hasMatch() && QDate::isValid(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
}

QString dateText(const QDate &date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

QString reminderText(const QString &name, const QString &date, bool modified)
{
    // A name of blanks only is no name: saving refuses it.
    const bool named = !name.trimmed().isEmpty();
    if (date.isEmpty())
        return named ? QStringLiteral("Datez-le et enregistrez !")
                     : QStringLiteral("Donnez un nom au QCM, datez le et enregistrez !");
    if (!isValidDate(date))
        return {};
    if (!named)
        return QStringLiteral("Donnez un nom au QCM et enregistrez !");
    return modified ? QStringLiteral("Enregistrez !") : QString();
}

StatusLine statusLine(qint64 selected, const QString &reminder)
{
    static constexpr Rgb kLightOrange{255, 192, 128};
    static constexpr Rgb kGreen{0, 255, 0};
    if (selected <= 0)
        return {QStringLiteral("Sélectionnez 60 questions. ") + reminder, std::nullopt, false};
    if (selected < kQuestionnaireSize - 1)
        return {QStringLiteral("Sélectionnez encore %1 questions. ").arg(kQuestionnaireSize - selected) + reminder,
            kLightOrange, false};
    if (selected == kQuestionnaireSize - 1)
        return {QStringLiteral("Sélectionnez la dernière question. ") + reminder, kLightOrange, false};
    if (selected == kQuestionnaireSize)
        return {QStringLiteral("Le QCM est complet. ") + reminder, kGreen, true};
    return {QStringLiteral("P a s    p l u s    d e    6 0    q u e s t i o n s   !"), std::nullopt, true};
}

namespace {

int tickedCount(const SpecialityTicks &ticked)
{
    return int(std::count(ticked.begin(), ticked.end(), true));
}

int firstTicked(const SpecialityTicks &ticked)
{
    return int(std::find(ticked.begin(), ticked.end(), true) - ticked.begin());
}

bool titleGiven(const QString &title)
{
    return !title.trimmed().isEmpty() && title != placeholderTitle();
}

} // namespace

QString titleAfterMouse(const SpecialityTicks &ticked)
{
    if (tickedCount(ticked) != 1)
        return placeholderTitle();
    return specialityInfo(Speciality(firstTicked(ticked))).certificateTitle;
}

QString titleAfterKey(const SpecialityTicks &ticked)
{
    return tickedCount(ticked) == 1 ? QString() : placeholderTitle();
}

std::vector<qint64> drawDistinctPositions(qint64 count, int wanted, const std::function<double()> &rnd)
{
    std::vector<qint64> drawn;
    if (count <= 0 || wanted <= 0 || wanted > count)
        return drawn;
    drawn.reserve(size_t(wanted));
    std::unordered_set<qint64> picked;
    while (int(drawn.size()) < wanted) {
        // rnd() stays below 1, but a generator that rounds up must not reach past the end.
        const qint64 position = std::min(count - 1, qint64(std::floor(rnd() * double(count))));
        if (position >= 0 && picked.insert(position).second)
            drawn.push_back(position);
    }
    return drawn;
}

SaveDecision checkSave(const SaveInput &input)
{
    auto refuse = [](QString message, QString title, int icon, SaveFocus focus, bool toList) {
        return SaveDecision{
            SaveRefusal{{std::move(message), icon, std::move(title), {}, {}, {}, 0}, focus, toList}, {}};
    };
    if (input.name.trimmed().isEmpty())
        return refuse(QStringLiteral("Le nom du QCM est obligatoire !"), QStringLiteral("Attention !"), Icon::Warning,
            SaveFocus::Name, true);
    // The list's first entry means "a new questionnaire": one stored under that
    // name could never be opened or deleted again.
    if (input.name == newQuestionnaireEntry())
        return refuse(QStringLiteral("Ce nom est réservé à la création d'un nouveau QCM.") + QStringLiteral("\r\n")
                + QStringLiteral("Choisissez un autre nom."),
            QStringLiteral("Attention !"), Icon::Warning, SaveFocus::Name, true);
    if (!isValidDate(input.date))
        return refuse(QStringLiteral("La date du QCM est obligatoire !"), QStringLiteral("Attention !"), Icon::Warning,
            SaveFocus::Date, true);
    const int count = tickedCount(input.ticked);
    if (count == 0)
        return refuse(QStringLiteral("Une spécialité au moins doit être choisie."),
            QStringLiteral("Spécialité manquante"), Icon::Information, SaveFocus::None, false);
    QString title;
    if (count > 1) {
        // A blank field names no speciality any more than the placeholder does.
        if (!titleGiven(input.titleField))
            return refuse(QStringLiteral("Dans le cas de sélection multiple, il faut indiquer une spécialité dans la "
                                         "zone réservée à cet effet."),
                QStringLiteral("Attention ! Saisie incomplète."), Icon::Information, SaveFocus::Title, false);
        title = input.titleField;
    } else {
        // The placeholder is no title: the box's own short title stands in for it.
        title = titleGiven(input.titleField) ? input.titleField
                                             : specialityInfo(Speciality(firstTicked(input.ticked))).shortTitle;
    }
    if (!input.hasQuestions)
        return refuse(QStringLiteral("Il faut au moins une question pour enregistrer un QCM."), QStringLiteral("Avis"),
            Icon::Disk, SaveFocus::None, false);
    return {std::nullopt, title};
}

} // namespace qcm
