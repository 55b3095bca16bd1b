#include "ExchangeTypes.h"

#include <QFileInfo>
#include <QHash>
#include <QLocale>

#include <cmath>

namespace qcm {

const ExchangeFormatInfo &exchangeFormatInfo(ExchangeFormat format)
{
    static const std::array<ExchangeFormatInfo, 3> table{{
        {QStringLiteral("CSV"), QStringLiteral("csv"), {QStringLiteral("Tableur CSV"), QStringLiteral("*.csv")},
            QStringLiteral("csv")},
        {QStringLiteral("Moodle XML"), QStringLiteral("moodle"),
            {QStringLiteral("Moodle XML"), QStringLiteral("*.xml")}, QStringLiteral("xml")},
        {QStringLiteral("GIFT"), QStringLiteral("gift"), {QStringLiteral("GIFT"), QStringLiteral("*.gift *.txt")},
            QStringLiteral("gift")},
    }};
    return table[size_t(format)];
}

std::optional<ExchangeFormat> exchangeFormatFromCommandName(const QString &name)
{
    for (ExchangeFormat f : kExchangeFormats)
        if (exchangeFormatInfo(f).commandName.compare(name, Qt::CaseInsensitive) == 0)
            return f;
    return std::nullopt;
}

std::optional<ExchangeFormat> exchangeFormatFromFileName(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QStringLiteral("csv"))
        return ExchangeFormat::Csv;
    if (suffix == QStringLiteral("xml"))
        return ExchangeFormat::MoodleXml;
    if (suffix == QStringLiteral("gift") || suffix == QStringLiteral("txt"))
        return ExchangeFormat::Gift;
    return std::nullopt;
}

namespace Exchange {

QList<DomainQuestions> byDomain(const BankContent &bank)
{
    QList<DomainQuestions> out;
    QHash<QString, qsizetype> position;
    for (const Domain &d : bank.domains) {
        const QString key = d.code.toCaseFolded();
        if (position.contains(key))
            continue;
        position.insert(key, out.size());
        out.append(DomainQuestions{d, {}});
    }
    for (const Question &q : bank.questions) {
        const QString key = q.code.toCaseFolded();
        auto found = position.constFind(key);
        if (found == position.cend()) {
            found = position.insert(key, out.size());
            out.append(DomainQuestions{Domain{q.code, {}}, {}});
        }
        out[*found].questions.append(&q);
    }
    return out;
}

QString categoryPath(const QString &name)
{
    QString escaped = Exchange::plainLineBreaks(name);
    escaped.replace(u'\n', u' ');
    // Moodle doubles a slash that belongs to a category's name.
    escaped.replace(QStringLiteral("/"), QStringLiteral("//"));
    return QStringLiteral("$course$/top/") + escaped;
}

QString categoryName(const QString &path)
{
    QString p = path.trimmed();
    if (p.startsWith(u'$')) {
        const qsizetype end = p.indexOf(QStringLiteral("$/"), 1);
        p = end < 0 ? QString() : p.mid(end + 2);
    }
    // The last name, read from the end: a doubled slash belongs to the name,
    // a single one ends it. From that side a name that starts or ends with a
    // slash is still read as it was written.
    QString name;
    qsizetype i = p.size() - 1;
    for (; i >= 0; --i) {
        if (p.at(i) != u'/') {
            name.prepend(p.at(i));
        } else if (i > 0 && p.at(i - 1) == u'/') {
            name.prepend(u'/');
            --i;
        } else {
            break;
        }
    }
    // "$course$/top" alone is the course's own category, no domain.
    if (i <= 0 && name == QStringLiteral("top"))
        return {};
    return name.trimmed();
}

QString defaultDomainName()
{
    return QStringLiteral("Questions importées");
}

QString domainTitle(const Domain &domain)
{
    return domain.libelle.trimmed().isEmpty() ? QStringLiteral("Domaine %1").arg(domain.code) : domain.libelle;
}

QString bankLineBreaks(const QString &text)
{
    if (!text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            out += QStringLiteral("\r\n");
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else if (c == u'\n') {
            out += QStringLiteral("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

QString plainLineBreaks(const QString &text)
{
    if (!text.contains(u'\r'))
        return text;
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(u'\r', u'\n');
    return out;
}

QString fractionText(qint64 points)
{
    // Made once: a big bank writes one per choice.
    static const std::array<QString, 13> texts = [] {
        std::array<QString, 13> t;
        for (int p = -6; p <= 6; ++p)
            t[size_t(p + 6)]
                = (p * 100) % 6 == 0 ? QString::number(p * 100 / 6) : QString::number(double(p) * 100.0 / 6.0, 'f', 5);
        return t;
    }();
    if (points >= -6 && points <= 6)
        return texts[size_t(points + 6)];
    return QString::number(double(points) * 100.0 / 6.0, 'f', 5);
}

std::optional<qint64> pointsFromFraction(double percent)
{
    if (!std::isfinite(percent) || percent < -100.0001 || percent > 100.0001)
        return std::nullopt;
    const double sixths = percent * 6.0 / 100.0;
    const double whole = std::round(sixths);
    // Five written decimals leave an error of a few millionths of a point.
    if (std::fabs(sixths - whole) > 0.001)
        return std::nullopt;
    return qint64(whole);
}

QString fractionForMessage(const QString &written)
{
    QString text = written.trimmed();
    text.replace(u'.', u',');
    return text + QStringLiteral(" %");
}

QString foldedName(const QString &name)
{
    const QString decomposed = name.normalized(QString::NormalizationForm_D).toCaseFolded();
    QString out;
    out.reserve(decomposed.size());
    bool blank = false;
    for (QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c.isSpace() || c == u'_') {
            blank = !out.isEmpty();
            continue;
        }
        if (blank)
            out += u' ';
        blank = false;
        out += c;
    }
    return out;
}

std::optional<int> specialityFromName(const QString &name)
{
    static const std::array<std::pair<QString, QString>, kSpecialityCount> known = [] {
        std::array<std::pair<QString, QString>, kSpecialityCount> names;
        for (int s = 0; s < kSpecialityCount; ++s) {
            const SpecialityInfo &info = specialityInfo(Speciality(s));
            QString caption = foldedName(info.caption);
            caption.remove(u' ');
            names[size_t(s)] = {QString::fromLatin1(info.flagField), caption};
        }
        return names;
    }();
    // As this program writes them, then as people spell them.
    for (int s = 0; s < kSpecialityCount; ++s)
        if (name == known[size_t(s)].first)
            return s;
    QString wanted = foldedName(name);
    wanted.remove(u' ');
    wanted.remove(u'-');
    for (int s = 0; s < kSpecialityCount; ++s)
        if (wanted == known[size_t(s)].second || wanted == known[size_t(s)].first.toCaseFolded())
            return s;
    return std::nullopt;
}

namespace {

const QHash<QString, QChar> &namedEntities()
{
    static const QHash<QString, QChar> table{
        {QStringLiteral("amp"), u'&'},
        {QStringLiteral("lt"), u'<'},
        {QStringLiteral("gt"), u'>'},
        {QStringLiteral("quot"), u'"'},
        {QStringLiteral("apos"), u'\''},
        {QStringLiteral("nbsp"), QChar(0x00A0)},
        {QStringLiteral("rsquo"), QChar(0x2019)},
        {QStringLiteral("lsquo"), QChar(0x2018)},
        {QStringLiteral("laquo"), QChar(0x00AB)},
        {QStringLiteral("raquo"), QChar(0x00BB)},
        {QStringLiteral("hellip"), QChar(0x2026)},
        {QStringLiteral("deg"), QChar(0x00B0)},
        {QStringLiteral("eacute"), QChar(0x00E9)},
        {QStringLiteral("egrave"), QChar(0x00E8)},
        {QStringLiteral("ecirc"), QChar(0x00EA)},
        {QStringLiteral("euml"), QChar(0x00EB)},
        {QStringLiteral("agrave"), QChar(0x00E0)},
        {QStringLiteral("acirc"), QChar(0x00E2)},
        {QStringLiteral("ccedil"), QChar(0x00E7)},
        {QStringLiteral("icirc"), QChar(0x00EE)},
        {QStringLiteral("iuml"), QChar(0x00EF)},
        {QStringLiteral("ocirc"), QChar(0x00F4)},
        {QStringLiteral("ugrave"), QChar(0x00F9)},
        {QStringLiteral("ucirc"), QChar(0x00FB)},
        {QStringLiteral("oelig"), QChar(0x0153)},
        {QStringLiteral("Eacute"), QChar(0x00C9)},
        {QStringLiteral("Agrave"), QChar(0x00C0)},
    };
    return table;
}

// The entity starting at text[i] ('&'); advances i past it. Unknown ones stay as written.
QString entityAt(const QString &text, qsizetype &i)
{
    const qsizetype end = text.indexOf(u';', i + 1);
    if (end < 0 || end - i > 12)
        return QString(text.at(i));
    const QString name = text.mid(i + 1, end - i - 1);
    QString out;
    if (name.startsWith(u'#')) {
        bool ok = false;
        const uint code = name.size() > 1 && (name.at(1) == u'x' || name.at(1) == u'X') ? name.mid(2).toUInt(&ok, 16)
                                                                                        : name.mid(1).toUInt(&ok, 10);
        if (ok && code > 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF))
            out = QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1);
    } else if (const auto found = namedEntities().constFind(name); found != namedEntities().cend()) {
        out = QString(*found);
    }
    if (out.isEmpty())
        return QString(text.at(i));
    i = end;
    return out;
}

} // namespace

QString htmlToText(const QString &html)
{
    QString out;
    out.reserve(html.size());
    bool blank = false;
    auto lineBreak = [&out, &blank] {
        while (out.endsWith(u' '))
            out.chop(1);
        out += u'\n';
        blank = false;
    };
    for (qsizetype i = 0; i < html.size(); ++i) {
        const QChar c = html.at(i);
        if (c == u'<') {
            const qsizetype end = html.indexOf(u'>', i + 1);
            if (end < 0) {
                out += html.mid(i);
                break;
            }
            QString tag = html.mid(i + 1, end - i - 1).trimmed().toLower();
            const bool closing = tag.startsWith(u'/');
            if (closing)
                tag.remove(0, 1);
            tag = tag.section(u' ', 0, 0).section(u'/', 0, 0);
            if (tag == QStringLiteral("br")
                || (closing
                    && (tag == QStringLiteral("p") || tag == QStringLiteral("div") || tag == QStringLiteral("li"))))
                lineBreak();
            i = end;
            continue;
        }
        if (c.isSpace() && c != QChar(0x00A0)) {
            blank = true;
            continue;
        }
        if (blank && !out.isEmpty() && !out.endsWith(u'\n'))
            out += u' ';
        blank = false;
        out += c == u'&' ? entityAt(html, i) : QString(c);
    }
    return bankLineBreaks(out.trimmed());
}

bool hasCharacterOutsideXml(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
            return true;
        if (c == 0xFFFE || c == 0xFFFF)
            return true;
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 >= text.size() || !QChar::isLowSurrogate(text.at(i + 1).unicode()))
                return true;
            ++i;
        } else if (QChar::isLowSurrogate(c)) {
            return true;
        }
    }
    return false;
}

QString fieldName(int index)
{
    switch (index) {
    case Field::Code:
        return QStringLiteral("code du domaine");
    case Field::Title:
        return QStringLiteral("domaine");
    case Field::Number:
        return QStringLiteral("numéro");
    case Field::Statement:
        return QStringLiteral("libellé");
    default:
        break;
    }
    if (index >= 4 && index < Field::Count) {
        const QChar letter(u'A' + (index - 4) / 2);
        return Field::isPoints(index) ? QStringLiteral("points du choix %1").arg(letter)
                                      : QStringLiteral("choix %1").arg(letter);
    }
    return {};
}

QString reference(const QString &code, qint64 numero)
{
    return QStringLiteral("QCM ") + code + u'.' + QString::number(numero);
}

} // namespace Exchange

} // namespace qcm
