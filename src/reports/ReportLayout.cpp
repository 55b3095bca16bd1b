#include "ReportLayout.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

#include <functional>

namespace qcm {

namespace {

constexpr qint64 kMaxLayoutSize = 256 * 1024;

QString quoted(const QString &text)
{
    return QStringLiteral("« %1 »").arg(text);
}

// Keys and sections are compared without regard to case or repeated blanks.
QString normalised(const QString &name)
{
    return name.simplified().toLower();
}

// Each setting checks its value and stores it; it returns the French reason
// of a refusal, or an empty text.
using Apply = std::function<QString(const QString &value)>;

QString parseNumber(const QString &value, const QString &unit, double low, double high, double &out)
{
    QString text = value.trimmed();
    if (!unit.isEmpty() && text.endsWith(unit, Qt::CaseInsensitive))
        text = text.chopped(unit.size()).trimmed();
    text.replace(u',', u'.');
    bool ok = false;
    const double number = text.toDouble(&ok);
    if (!ok || text.isEmpty() || text.contains(u'e', Qt::CaseInsensitive))
        return QStringLiteral("%1 n'est pas un nombre").arg(quoted(value));
    if (number < low || number > high)
        return QStringLiteral("%1 sort des limites permises (de %2 à %3%4)")
            .arg(quoted(value), QString::number(low), QString::number(high),
                unit.isEmpty() ? QString() : QStringLiteral(" ") + unit);
    out = number;
    return {};
}

Apply length(double &target, double low, double high)
{
    return [&target, low, high](const QString &v) { return parseNumber(v, QStringLiteral("mm"), low, high, target); };
}

Apply whole(int &target, int low, int high)
{
    return [&target, low, high](const QString &v) {
        double number = 0;
        const QString why = parseNumber(v, QString(), low, high, number);
        if (!why.isEmpty())
            return why;
        if (number != double(int(number)))
            return QStringLiteral("%1 n'est pas un nombre entier").arg(quoted(v));
        target = int(number);
        return QString();
    };
}

Apply yesNo(bool &target)
{
    return [&target](const QString &v) {
        const QString word = normalised(v);
        if (word == QLatin1String("oui"))
            target = true;
        else if (word == QLatin1String("non"))
            target = false;
        else
            return QStringLiteral("%1 ne convient pas : écrivez oui ou non").arg(quoted(v));
        return QString();
    };
}

Apply colour(QColor &target, bool noneAllowed)
{
    return [&target, noneAllowed](const QString &v) {
        static const QRegularExpression hex(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
        if (noneAllowed && normalised(v) == QLatin1String("aucun")) {
            target = QColor();
            return QString();
        }
        if (!hex.match(v.trimmed()).hasMatch())
            return QStringLiteral("%1 n'est pas une couleur : écrivez-la #RRVVBB, par exemple #E0E0E0%2")
                .arg(quoted(v), noneAllowed ? QStringLiteral(", ou aucun") : QString());
        target = QColor(v.trimmed());
        return QString();
    };
}

QString checkPlaceholders(const QString &text, bool result)
{
    const QStringList known = result ? layoutPlaceholders() + resultPlaceholders() : layoutPlaceholders();
    qsizetype from = 0;
    while (true) {
        const qsizetype open = text.indexOf(u'{', from);
        const qsizetype close = text.indexOf(u'}', from);
        if (open < 0 && close < 0)
            return {};
        if (open < 0 || (close >= 0 && close < open))
            return QStringLiteral("l'accolade fermante « } » n'a pas d'accolade ouvrante");
        if (close < 0)
            return QStringLiteral("l'accolade ouvrante « { » n'est pas refermée");
        const QString name = text.mid(open, close - open + 1);
        bool found = false;
        for (const QString &k : known)
            found = found || k.compare(name, Qt::CaseInsensitive) == 0;
        if (!found)
            return QStringLiteral("le repère %1 est inconnu ; les repères possibles sont %2")
                .arg(quoted(name), known.join(QStringLiteral(", ")));
        from = close + 1;
    }
}

// Page numbers exist only once the whole document is laid out, so only the
// header and the footer may show them.
// A result sheet's own placeholders are known once its model is given,
// which the files do first.
Apply text(QString &target, const ReportLayout &layout, bool pageNumbers = false)
{
    return [&target, &layout, pageNumbers](const QString &v) {
        QString why = checkPlaceholders(v, layout.model == ReportLayout::Model::Result);
        if (why.isEmpty() && !pageNumbers)
            for (const char *mark : {"{page}", "{pages}"})
                if (v.contains(QLatin1String(mark), Qt::CaseInsensitive))
                    why = QStringLiteral("le repère %1 ne peut figurer que dans l'en-tête ou le pied de page")
                              .arg(quoted(QLatin1String(mark)));
        if (why.isEmpty())
            target = v;
        return why;
    };
}

Apply family(LayoutFont &font)
{
    return [&font](const QString &v) {
        if (v.trimmed().isEmpty())
            return QStringLiteral("le nom de la police manque");
        font.family = v.trimmed();
        return QString();
    };
}

Apply style(LayoutFont &font)
{
    return [&font](const QString &v) {
        const QStringList words = normalised(v).split(u' ', Qt::SkipEmptyParts);
        bool bold = false, italic = false, normal = false;
        for (const QString &w : words) {
            if (w == QLatin1String("gras"))
                bold = true;
            else if (w == QLatin1String("italique"))
                italic = true;
            else if (w == QLatin1String("normal"))
                normal = true;
            else
                return QStringLiteral("le style %1 est inconnu : écrivez normal, gras, italique ou gras italique")
                    .arg(quoted(v));
        }
        if (words.isEmpty() || (normal && words.size() > 1))
            return QStringLiteral("le style %1 est inconnu : écrivez normal, gras, italique ou gras italique")
                .arg(quoted(v));
        font.bold = bold;
        font.italic = italic;
        return QString();
    };
}

void addFont(QHash<QString, Apply> &keys, LayoutFont &font)
{
    keys.insert(QStringLiteral("police"), family(font));
    keys.insert(QStringLiteral("taille"),
        [&font](const QString &v) { return parseNumber(v, QStringLiteral("pt"), 5, 48, font.size); });
    keys.insert(QStringLiteral("style"), style(font));
}

void addBand(QHash<QString, Apply> &keys, LayoutBand &band, const ReportLayout &layout)
{
    keys.insert(QStringLiteral("gauche"), text(band.left, layout, true));
    keys.insert(QStringLiteral("centre"), text(band.centre, layout, true));
    keys.insert(QStringLiteral("droite"), text(band.right, layout, true));
    keys.insert(QStringLiteral("couleur"), colour(band.color, false));
    addFont(keys, band.font);
}

// The sections in the order the files present them, with their keys.
QList<std::pair<QString, QHash<QString, Apply>>> grammar(ReportLayout &l, bool &modelGiven)
{
    QList<std::pair<QString, QHash<QString, Apply>>> sections;
    auto section = [&sections](const QString &name) -> QHash<QString, Apply> & {
        sections.append({name, {}});
        return sections.last().second;
    };

    auto &document = section(QStringLiteral("Document"));
    document.insert(QStringLiteral("modèle"), [&l, &modelGiven](const QString &v) {
        const QString word = normalised(v);
        if (word == QLatin1String("questions"))
            l.model = ReportLayout::Model::Questions;
        else if (word == QLatin1String("grille"))
            l.model = ReportLayout::Model::Grid;
        else if (word == u"résultat")
            l.model = ReportLayout::Model::Result;
        else if (word == QLatin1String("tableau"))
            l.model = ReportLayout::Model::Table;
        else
            return QStringLiteral("le modèle %1 est inconnu : écrivez questions, grille, résultat ou tableau")
                .arg(quoted(v));
        modelGiven = true;
        return QString();
    });
    document.insert(QStringLiteral("points"), yesNo(l.showPoints));
    document.insert(QStringLiteral("références"), yesNo(l.showReferences));

    auto &page = section(QStringLiteral("Page"));
    // The four margins read alike: millimetres from 5 to 50.
    auto margin = [&l](void (QMarginsF::*set)(qreal)) {
        return [&l, set](const QString &v) {
            double m = 0;
            const QString why = parseNumber(v, QStringLiteral("mm"), 5, 50, m);
            if (why.isEmpty())
                (l.margins.*set)(m);
            return why;
        };
    };
    page.insert(QStringLiteral("marge haut"), margin(&QMarginsF::setTop));
    page.insert(QStringLiteral("marge bas"), margin(&QMarginsF::setBottom));
    page.insert(QStringLiteral("marge gauche"), margin(&QMarginsF::setLeft));
    page.insert(QStringLiteral("marge droite"), margin(&QMarginsF::setRight));

    auto &title = section(QStringLiteral("Titre"));
    title.insert(QStringLiteral("texte"), text(l.title, l));
    addFont(title, l.titleFont);

    auto &subtitle = section(QStringLiteral("Sous-titre"));
    subtitle.insert(QStringLiteral("ligne 1"), text(l.subtitle1, l));
    subtitle.insert(QStringLiteral("ligne 2"), text(l.subtitle2, l));
    addFont(subtitle, l.subtitleFont);

    auto &student = section(QStringLiteral("Élève"));
    student.insert(QStringLiteral("afficher"), yesNo(l.studentLine));
    student.insert(QStringLiteral("nom"), text(l.studentName, l));
    student.insert(QStringLiteral("date"), text(l.studentDate, l));
    addFont(student, l.studentFont);

    auto &questions = section(QStringLiteral("Questions"));
    questions.insert(QStringLiteral("espacement"), length(l.questionSpacing, 0, 30));
    addFont(questions, l.questionFont);

    auto &answers = section(QStringLiteral("Réponses"));
    addFont(answers, l.answerFont);

    auto &points = section(QStringLiteral("Points"));
    points.insert(QStringLiteral("fond des points positifs"), colour(l.positiveFill, true));
    points.insert(QStringLiteral("points positifs en gras"), yesNo(l.positiveBold));
    addFont(points, l.pointsFont);

    auto &grid = section(QStringLiteral("Grille"));
    grid.insert(QStringLiteral("colonnes"), whole(l.gridColumns, 1, 4));
    grid.insert(QStringLiteral("hauteur de ligne"), length(l.gridRowHeight, 4, 20));
    grid.insert(QStringLiteral("largeur de case"), length(l.gridBoxWidth, 5, 25));
    grid.insert(QStringLiteral("fond d'une ligne sur deux"), colour(l.gridStripe, true));
    addFont(grid, l.gridFont);

    auto &score = section(QStringLiteral("Note"));
    score.insert(QStringLiteral("texte"), text(l.score, l));
    addFont(score, l.scoreFont);

    addBand(section(QStringLiteral("En-tête")), l.header, l);
    addBand(section(QStringLiteral("Pied de page")), l.footer, l);
    return sections;
}

} // namespace

const QStringList &layoutPlaceholders()
{
    static const QStringList names{QStringLiteral("{nom}"), QStringLiteral("{spécialité}"), QStringLiteral("{date}"),
        QStringLiteral("{questions}"), QStringLiteral("{maximum}"), QStringLiteral("{titre}"), QStringLiteral("{page}"),
        QStringLiteral("{pages}")};
    return names;
}

const QStringList &resultPlaceholders()
{
    static const QStringList names{QStringLiteral("{candidat}"), QStringLiteral("{note}"),
        QStringLiteral("{pourcentage}"), QStringLiteral("{verdict}"), QStringLiteral("{seuil}"),
        QStringLiteral("{durée}")};
    return names;
}

std::nullopt_t LayoutReader::fail(Failure failure, const QString &message)
{
    m_failure = failure;
    m_error = message;
    return std::nullopt;
}

std::optional<ReportLayout> LayoutReader::readFile(const QString &path)
{
    const QFileInfo info(path);
    const QString name = info.fileName().isEmpty() ? path : info.fileName();
    if (!info.exists())
        return fail(Failure::Missing,
            QStringLiteral("Le fichier de mise en page %1 est introuvable dans le dossier du programme.")
                .arg(quoted(name)));
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return fail(Failure::Unreadable,
            QStringLiteral("Le fichier de mise en page %1 ne peut pas être lu.").arg(quoted(name)));
    if (file.size() > kMaxLayoutSize)
        return fail(Failure::Invalid,
            QStringLiteral("Le fichier de mise en page %1 est trop volumineux pour en être un.").arg(quoted(name)));
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(Failure::Unreadable,
            QStringLiteral("Le fichier de mise en page %1 ne peut pas être lu.").arg(quoted(name)));
    return parse(content, name);
}

std::optional<ReportLayout> LayoutReader::parse(const QByteArray &content, const QString &fileName)
{
    m_failure = Failure::None;
    m_error.clear();
    auto invalid = [&](int line, const QString &why) {
        return fail(Failure::Invalid,
            QStringLiteral("Fichier de mise en page %1, ligne %2 : %3.").arg(quoted(fileName)).arg(line).arg(why));
    };

    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(content);
    if (decoder.hasError())
        return fail(Failure::Invalid,
            QStringLiteral("Le fichier de mise en page %1 n'est pas un texte UTF-8 : enregistrez-le en UTF-8.")
                .arg(quoted(fileName)));

    ReportLayout layout;
    bool modelGiven = false;
    const auto sections = grammar(layout, modelGiven);
    const QHash<QString, Apply> *current = nullptr;
    QString currentName;
    QHash<QString, int> seenSections;
    QHash<QString, int> seenKeys;

    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const int number = i + 1;
        QString line = lines.at(i);
        if (i == 0 && line.startsWith(QChar(0xFEFF)))
            line.remove(0, 1);
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            if (!line.endsWith(u']'))
                return invalid(
                    number, QStringLiteral("le nom de rubrique %1 doit se terminer par « ] »").arg(quoted(line)));
            const QString wanted = normalised(line.mid(1, line.size() - 2));
            current = nullptr;
            for (const auto &[name, keys] : sections)
                if (normalised(name) == wanted) {
                    current = &keys;
                    currentName = name;
                }
            if (!current) {
                QStringList names;
                for (const auto &s : sections)
                    names.append(QStringLiteral("[%1]").arg(s.first));
                return invalid(number,
                    QStringLiteral("la rubrique %1 est inconnue ; les rubriques possibles sont %2")
                        .arg(quoted(line), names.join(QStringLiteral(", "))));
            }
            if (seenSections.contains(wanted))
                return invalid(number,
                    QStringLiteral("la rubrique [%1] figure déjà à la ligne %2")
                        .arg(currentName)
                        .arg(seenSections.value(wanted)));
            seenSections.insert(wanted, number);
            continue;
        }
        const qsizetype equal = line.indexOf(u'=');
        if (equal < 0)
            return invalid(number,
                QStringLiteral("%1 n'est ni une rubrique, ni un réglage « nom = valeur », "
                               "ni un commentaire commençant par #")
                    .arg(quoted(line)));
        if (!current)
            return invalid(number,
                QStringLiteral("le réglage %1 doit suivre le nom de sa rubrique, "
                               "par exemple [Document]")
                    .arg(quoted(line)));
        const QString key = normalised(line.left(equal));
        const QString value = line.mid(equal + 1).trimmed();
        const auto found = current->constFind(key);
        if (found == current->constEnd()) {
            QStringList keys = current->keys();
            std::sort(keys.begin(), keys.end());
            return invalid(number,
                QStringLiteral("le réglage %1 n'existe pas dans la rubrique [%2] ; "
                               "les réglages possibles sont : %3")
                    .arg(quoted(line.left(equal).trimmed()), currentName, keys.join(QStringLiteral(", "))));
        }
        const QString fullKey = normalised(currentName) + u'/' + key;
        if (seenKeys.contains(fullKey))
            return invalid(number,
                QStringLiteral("le réglage %1 figure déjà à la ligne %2")
                    .arg(quoted(line.left(equal).trimmed()))
                    .arg(seenKeys.value(fullKey)));
        seenKeys.insert(fullKey, number);
        const QString why = (*found)(value);
        if (!why.isEmpty())
            return invalid(number, QStringLiteral("%1 : %2").arg(line.left(equal).trimmed(), why));
    }
    if (!modelGiven)
        return fail(Failure::Invalid,
            QStringLiteral("Fichier de mise en page %1 : il manque le réglage « modèle » "
                           "de la rubrique [Document] (questions, grille, résultat ou tableau).")
                .arg(quoted(fileName)));
    return layout;
}

QString frenchSpacing(const QString &text)
{
    QString out = text;
    for (qsizetype i = 1; i < out.size(); ++i) {
        const QChar c = out.at(i);
        if ((c == u':' || c == u';' || c == u'?' || c == u'!') && out.at(i - 1) == u' ')
            out[i - 1] = QChar(0x00A0);
    }
    return out;
}

} // namespace qcm
