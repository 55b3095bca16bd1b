#include "GiftFormat.h"

#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

namespace qcm::Gift {

namespace {

constexpr qsizetype kChunk = 1 << 20;
const QString kSpecials = QStringLiteral("~=#{}:");

// A text in which each character knows whether it was escaped: only the
// others have a meaning for the format.
struct Marked {
    QString chars;
    QByteArray literal; // 1 where the character was escaped

    qsizetype size() const { return chars.size(); }
    bool is(qsizetype i, QChar c) const { return chars.at(i) == c && !literal.at(i); }
    // The first unescaped c at or after from; -1 when none.
    qsizetype find(QChar c, qsizetype from = 0) const
    {
        for (qsizetype i = from; i < size(); ++i)
            if (is(i, c))
                return i;
        return -1;
    }
    qsizetype find(QStringView pair, qsizetype from = 0) const
    {
        for (qsizetype i = from; i + 1 < size(); ++i)
            if (is(i, pair[0]) && is(i + 1, pair[1]))
                return i;
        return -1;
    }
    Marked mid(qsizetype from, qsizetype to) const
    {
        return {chars.mid(from, to - from), literal.mid(from, to - from)};
    }
    // Without the blanks that are not escaped at either end.
    Marked trimmed() const
    {
        qsizetype a = 0, b = size();
        while (a < b && !literal.at(a) && chars.at(a).isSpace())
            ++a;
        while (b > a && !literal.at(b - 1) && chars.at(b - 1).isSpace())
            --b;
        return mid(a, b);
    }
    bool blank() const { return trimmed().size() == 0; }
};

// Where "####" starts the general feedback of a question; -1 when none.
qsizetype findGeneralFeedback(const Marked &answers)
{
    for (qsizetype i = 0; i + 3 < answers.size(); ++i)
        if (answers.is(i, u'#') && answers.is(i + 1, u'#') && answers.is(i + 2, u'#') && answers.is(i + 3, u'#'))
            return i;
    return -1;
}

Marked unescape(const QString &raw)
{
    if (!raw.contains(u'\\'))
        return {raw, QByteArray(raw.size(), 0)};
    Marked m;
    m.chars.reserve(raw.size());
    m.literal.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c == u'\\' && i + 1 < raw.size()) {
            const QChar next = raw.at(i + 1);
            if (kSpecials.contains(next) || next == u'\\' || next == u'n') {
                m.chars += next == u'n' ? QChar(u'\n') : next;
                m.literal.append(char(1));
                ++i;
                continue;
            }
        }
        m.chars += c;
        m.literal.append(char(0));
    }
    return m;
}

// A text as the bank keeps it: a leading format marker read ([html] is
// turned into text), the line breaks made the bank's own.
// The length of the format marker a text starts with ("[html]"…), 0 when none.
qsizetype formatMarker(QStringView text)
{
    if (!text.startsWith(u'['))
        return 0;
    for (const char16_t *name : {u"[html]", u"[moodle]", u"[plain]", u"[markdown]"})
        if (text.startsWith(QStringView(name)))
            return QStringView(name).size();
    return 0;
}

QString bankText(const Marked &marked)
{
    const Marked m = marked.trimmed();
    if (const qsizetype marker = m.size() > 0 && !m.literal.at(0) ? formatMarker(m.chars) : 0) {
        const QString rest = m.mid(marker, m.size()).trimmed().chars;
        return marker == 6 ? Exchange::htmlToText(rest) : Exchange::bankLineBreaks(rest);
    }
    return Exchange::bankLineBreaks(m.chars);
}

// The weight an answer starts with, "%-33.33333%", as written (without the
// percent signs) and its length; nothing when it has none.
std::optional<std::pair<QString, qsizetype>> answerWeight(const Marked &answer)
{
    if (answer.size() < 3 || !answer.is(0, u'%'))
        return std::nullopt;
    qsizetype i = 1;
    if (answer.chars.at(i) == u'-')
        ++i;
    const qsizetype digits = i;
    while (i < answer.size() && answer.chars.at(i).isDigit() && answer.chars.at(i).unicode() < 128)
        ++i;
    if (i == digits)
        return std::nullopt;
    if (i < answer.size() && (answer.chars.at(i) == u'.' || answer.chars.at(i) == u','))
        for (++i; i < answer.size() && answer.chars.at(i).isDigit() && answer.chars.at(i).unicode() < 128;)
            ++i;
    if (i >= answer.size() || answer.chars.at(i) != u'%')
        return std::nullopt;
    return std::pair{answer.chars.mid(1, i - 1), i + 1};
}

class Reader {
public:
    explicit Reader(ExchangeRead &out) : m_out(out) { }

    // One block of lines (a blank line ends it), the first one numbered first.
    void block(const QStringList &lines, qint64 first)
    {
        QStringList body;
        QString id, code;
        QStringList tags;
        qint64 start = -1;
        static const QRegularExpression directive(QStringLiteral("\\[(id|tag|code):([^\\]]*)\\]"));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QString trimmed = lines.at(i).trimmed();
            if (trimmed.startsWith(QStringLiteral("//"))) {
                for (auto it = directive.globalMatch(trimmed); it.hasNext();) {
                    const QRegularExpressionMatch m = it.next();
                    const QString value = m.captured(2).trimmed();
                    if (m.captured(1) == QStringLiteral("id"))
                        id = value;
                    else if (m.captured(1) == QStringLiteral("code"))
                        code = value;
                    else
                        tags << value;
                }
                continue;
            }
            if (start < 0)
                start = first + i;
            body << lines.at(i);
        }
        const QString text = body.join(u'\n').trimmed();
        if (text.isEmpty())
            return;
        if (text.startsWith(QStringLiteral("$CATEGORY:"))) {
            closeDomain();
            m_domain = {code, Exchange::categoryName(text.mid(10))};
            m_domainFilled = false;
            m_out.domains.append(m_domain);
            return;
        }
        m_domainFilled = true;
        question(unescape(text), QStringLiteral("question de la ligne %1").arg(start), id, tags);
    }

    void finish()
    {
        closeDomain();
        if (!m_anyAnswers && m_out.domains.isEmpty() && !m_out.failed())
            m_out.error = QStringLiteral("aucune question entre accolades { } ni catégorie : ce fichier n'est ni "
                                         "un fichier CSV, ni un fichier Moodle XML, ni un fichier GIFT.");
        if (!m_unknownTags.isEmpty()) {
            QStringList tags(m_unknownTags.cbegin(), m_unknownTags.cend());
            tags.sort();
            m_out.note(QStringLiteral("Étiquettes ignorées, qui ne nomment aucune spécialité : %1.")
                           .arg(tags.mid(0, 10).join(QStringLiteral(", "))));
        }
    }

private:
    void refuse(const QString &where, const QString &reason) { m_out.refused.append({where, reason}); }

    void closeDomain()
    {
        if (!m_out.domains.isEmpty() && !m_domainFilled)
            m_out.emptyDomains.append(m_domain);
    }

    void question(const Marked &text, const QString &where, const QString &id, const QStringList &tags)
    {
        Marked rest = text;
        if (rest.find(QStringView(u"::")) == 0) {
            const qsizetype end = rest.find(QStringView(u"::"), 2);
            if (end >= 0)
                rest = rest.mid(end + 2, rest.size());
        }
        const qsizetype open = rest.find(u'{');
        if (open < 0)
            return refuse(where, QStringLiteral("pas de réponses entre accolades { }."));
        m_anyAnswers = true;
        const qsizetype close = rest.find(u'}', open + 1);
        if (close < 0)
            return refuse(where, QStringLiteral("l'accolade } qui ferme les réponses manque."));
        if (!rest.mid(close + 1, rest.size()).blank())
            return refuse(where,
                QStringLiteral("du texte suit les réponses (question à trou) : la banque ne garde que "
                               "les questions à choix multiples."));
        Marked answers = rest.mid(open + 1, close).trimmed();
        if (const qsizetype general = findGeneralFeedback(answers); general >= 0) {
            m_out.note(QStringLiteral("Les commentaires généraux des questions (####) ne sont pas gardés."));
            answers = answers.mid(0, general).trimmed();
        }
        if (answers.size() == 0)
            return refuse(where,
                QStringLiteral("question ouverte, sans réponses proposées : la banque ne garde que "
                               "les questions à choix multiples."));
        if (answers.is(0, u'#'))
            return refuse(where,
                QStringLiteral("question numérique : la banque ne garde que les questions à choix "
                               "multiples."));
        if (answers.find(u'~') < 0)
            return refuse(where,
                QStringLiteral("question vrai/faux, à réponse courte ou d'appariement : la banque ne "
                               "garde que les questions à choix multiples."));

        // Each answer starts at an unescaped ~ or =.
        struct Answer {
            QChar mark;
            Marked text;
        };
        QList<Answer> list;
        qsizetype from = 0;
        QChar mark = u'~';
        for (qsizetype i = 0; i <= answers.size(); ++i) {
            if (i < answers.size() && !answers.is(i, u'~') && !answers.is(i, u'='))
                continue;
            const Marked piece = answers.mid(from, i).trimmed();
            if (from > 0 || piece.size() > 0)
                list.append({mark, piece});
            if (i < answers.size())
                mark = answers.chars.at(i);
            from = i + 1;
        }
        if (list.size() > kChoiceCount)
            return refuse(where, QStringLiteral("%1 réponses : la banque en garde six au plus.").arg(list.size()));

        ReadQuestion q{where, {}};
        auto &txt = q.entry.txt;
        txt[Field::Code] = m_domain.code;
        txt[Field::Title] = m_domain.libelle;
        if (const auto n = wholeNumber(id); n && *n >= 1 && *n <= kHighestQuestionNumber)
            txt[Field::Number] = QString::number(*n);
        txt[Field::Statement] = bankText(rest.mid(0, open));
        for (int k = 0; k < list.size(); ++k) {
            Marked answer = list.at(k).text;
            double percent = list.at(k).mark == u'=' ? 100.0 : 0.0;
            QString written = QString::number(percent);
            if (const auto weight = answerWeight(answer)) {
                written = weight->first;
                percent = QString(written).replace(u',', u'.').toDouble();
                answer = answer.mid(weight->second, answer.size());
            }
            if (const qsizetype feedback = answer.find(u'#'); feedback >= 0) {
                if (!answer.mid(feedback + 1, answer.size()).blank())
                    m_out.note(QStringLiteral("Les commentaires des réponses (#) ne sont pas gardés."));
                answer = answer.mid(0, feedback);
            }
            const auto points = Exchange::pointsFromFraction(percent);
            if (!points)
                return refuse(where,
                    QStringLiteral("réponse %1 : la fraction %2 n'est pas un nombre entier de sixièmes "
                                   "(de -6 à 6 points sur 6) ; la question n'est pas convertie.")
                        .arg(QChar(u'A' + k))
                        .arg(Exchange::fractionForMessage(written.left(20))));
            const QString choice = bankText(answer);
            txt[size_t(Field::choiceText(k))] = choice;
            if (!choice.isEmpty() || *points != 0)
                txt[size_t(Field::choicePoints(k))] = QString::number(*points);
        }
        for (const QString &tag : tags) {
            if (const auto s = Exchange::specialityFromName(tag))
                q.entry.specialities[size_t(*s)] = true;
            else if (!tag.isEmpty() && m_unknownTags.size() < 100)
                m_unknownTags.insert(tag.left(60));
        }
        m_out.questions.append(std::move(q));
    }

    ExchangeRead &m_out;
    Domain m_domain;
    bool m_domainFilled = false;
    bool m_anyAnswers = false;
    QSet<QString> m_unknownTags;
};

} // namespace

QString escaped(const QString &text)
{
    const QString plain = Exchange::plainLineBreaks(text);
    QString out;
    out.reserve(plain.size() + 8);
    const QChar *data = plain.constData();
    qsizetype from = 0;
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const char16_t c = data[i].unicode();
        switch (c) {
        case u'~':
        case u'=':
        case u'#':
        case u'{':
        case u'}':
        case u':':
        case u'\\':
        case u'\n':
            break;
        default:
            continue;
        }
        out.append(data + from, i - from);
        out += u'\\';
        out += c == u'\n' ? QChar(u'n') : QChar(c);
        from = i + 1;
    }
    out.append(data + from, plain.size() - from);
    // A text that starts like a format marker keeps it as its own text.
    if (formatMarker(out) > 0)
        out.prepend(QStringLiteral("[moodle]"));
    return out;
}

ExchangeWrite write(const BankContent &bank)
{
    ExchangeWrite out;
    QString text;
    text.reserve(qsizetype(bank.questions.size()) * 600 + 1024);
    text += QStringLiteral("// Questions au format GIFT : une catégorie par domaine ; le numéro de chaque question "
                           "et ses spécialités\n// sont dans le commentaire qui la précède.\n\n");
    for (const DomainQuestions &group : Exchange::byDomain(bank)) {
        QString code = group.domain.code;
        code.remove(u']').remove(u'\n').remove(u'\r');
        Exchange::append(text, u"// [code:", code, u"]\n$CATEGORY: ",
            Exchange::categoryPath(Exchange::domainTitle(group.domain)), u"\n\n");
        ++out.domainsWritten;
        for (const Question *q : group.questions) {
            Exchange::append(text, u"// [id:", QString::number(q->numero), u"]");
            for (int s = 0; s < kSpecialityCount; ++s)
                if (q->flags[size_t(s)])
                    Exchange::append(text, u" [tag:", QLatin1String(specialityInfo(Speciality(s)).flagField), u"]");
            Exchange::append(
                text, u"\n::", Exchange::reference(q->code, q->numero), u"::", escaped(q->libelle), u"{\n");
            int last = -1;
            for (int k = 0; k < kChoiceCount; ++k)
                if (q->hasChoice(k))
                    last = k;
            for (int k = 0; k <= last; ++k)
                Exchange::append(text, u"\t~%", Exchange::fractionText(q->val[size_t(k)].value_or(0)), u"%",
                    escaped(q->lib[size_t(k)]), u"\n");
            text.append(u"}\n\n");
            ++out.questionsWritten;
        }
    }
    out.bytes = text.toUtf8();
    return out;
}

ExchangeRead read(QIODevice &device, const ReadProgress &progress)
{
    ExchangeRead out;
    out.format = ExchangeFormat::Gift;
    Reader reader(out);
    QStringDecoder decoder(QStringConverter::Utf8);
    QString pending; // the start of a line not ended yet
    QStringList lines;
    qsizetype blockSize = 0;
    qint64 line = 1, blockStart = 1, bytes = 0;
    auto endBlock = [&] {
        if (!lines.isEmpty())
            reader.block(lines, blockStart);
        lines.clear();
        blockSize = 0;
    };
    auto takeLine = [&](QString &&text) {
        if (text.trimmed().isEmpty()) {
            endBlock();
            blockStart = line + 1;
        } else {
            if (lines.isEmpty())
                blockStart = line;
            blockSize += text.size();
            lines.append(std::move(text));
        }
        ++line;
    };
    bool afterCr = false;
    for (;;) {
        const QByteArray chunk = device.read(kChunk);
        if (chunk.isEmpty())
            break;
        bytes += chunk.size();
        const QString text = decoder.decode(chunk);
        if (decoder.hasError()) {
            const qsizetype bad = text.indexOf(QChar::ReplacementCharacter);
            out.error = QStringLiteral("le texte n'est pas en UTF-8 (vers la ligne %1) ; enregistrez-le en UTF-8.")
                            .arg(line + (pending + text.left(bad)).count(u'\n'));
            return out;
        }
        qsizetype from = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c != u'\n' && c != u'\r')
                continue;
            const bool secondHalf = c == u'\n' && afterCr && i == from && pending.isEmpty();
            afterCr = c == u'\r';
            if (!secondHalf)
                takeLine(QString(pending + text.mid(from, i - from)));
            pending.clear();
            from = i + 1;
        }
        if (from < text.size())
            afterCr = false;
        pending += text.mid(from);
        if (blockSize + pending.size() > Exchange::kLongestText) {
            out.error
                = QStringLiteral("ligne %1 : une question de plus d'un million de caractères ; le fichier est mal "
                                 "formé.")
                      .arg(blockStart);
            return out;
        }
        if (progress && !progress(bytes)) {
            out.error = QStringLiteral("lecture interrompue.");
            return out;
        }
    }
    if (!device.atEnd()) {
        out.error = QStringLiteral("la lecture du fichier a échoué (%1).").arg(device.errorString());
        return out;
    }
    if (!pending.isEmpty())
        takeLine(std::move(pending));
    endBlock();
    reader.finish();
    return out;
}

} // namespace qcm::Gift
