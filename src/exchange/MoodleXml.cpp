#include "MoodleXml.h"

#include <QLocale>
#include <QSet>
#include <QXmlStreamReader>

namespace qcm::MoodleXml {

namespace {

constexpr QStringView kPlain = u"plain_text";

// The file is written by hand rather than through QXmlStreamWriter: a big
// bank is written several times faster, and texts need only these escapes
// once the characters XML cannot carry are refused.
void appendEscaped(QString &out, const QString &text)
{
    const QString plain = Exchange::plainLineBreaks(text);
    const QChar *data = plain.constData();
    qsizetype from = 0;
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const char16_t c = data[i].unicode();
        if (c != u'&' && c != u'<' && c != u'>' && c != u'"')
            continue;
        out.append(data + from, i - from);
        out += c == u'&' ? QStringLiteral("&amp;")
            : c == u'<'  ? QStringLiteral("&lt;")
            : c == u'>'  ? QStringLiteral("&gt;")
                         : QStringLiteral("&quot;");
        from = i + 1;
    }
    out.append(data + from, plain.size() - from);
}

void appendElement(QString &out, QStringView indent, QStringView element, const QString &text)
{
    out += indent;
    out += u'<';
    out += element;
    out += u'>';
    appendEscaped(out, text);
    out += QStringLiteral("</");
    out += element;
    out += QStringLiteral(">\n");
}

// <element format="…"><text>…</text></element>, on one line.
void appendText(QString &out, QStringView indent, QStringView element, const QString &text, QStringView format = {})
{
    out += indent;
    out += u'<';
    out += element;
    if (!format.isEmpty()) {
        out += QStringLiteral(" format=\"");
        out += format;
        out += u'"';
    }
    out += QStringLiteral("><text>");
    appendEscaped(out, text);
    out += QStringLiteral("</text></");
    out += element;
    out += QStringLiteral(">\n");
}

bool questionFitsXml(const Question &q)
{
    if (Exchange::hasCharacterOutsideXml(q.libelle))
        return false;
    return std::none_of(
        q.lib.cbegin(), q.lib.cend(), [](const QString &t) { return Exchange::hasCharacterOutsideXml(t); });
}

void appendQuestion(QString &out, const Question &q)
{
    const QStringView in = u"    ";
    out.append(u"  <question type=\"multichoice\">\n");
    appendText(out, in, u"name", Exchange::reference(q.code, q.numero));
    appendText(out, in, u"questiontext", q.libelle, kPlain);
    appendElement(out, in, u"idnumber", QString::number(q.numero));
    out.append(u"    <single>false</single>\n    <shuffleanswers>0</shuffleanswers>\n"
               u"    <answernumbering>ABCD</answernumbering>\n");
    // Up to the last choice that exists: an empty one before it keeps the
    // letters of those after it.
    int last = -1;
    for (int k = 0; k < kChoiceCount; ++k)
        if (q.hasChoice(k))
            last = k;
    // The markup around an answer and a tag, made once.
    static const std::array<QString, 13> answerStart = [] {
        std::array<QString, 13> starts;
        for (int p = -6; p <= 6; ++p)
            starts[size_t(p + 6)] = QStringLiteral("    <answer fraction=\"") + Exchange::fractionText(p)
                + QStringLiteral("\" format=\"") + kPlain.toString() + QStringLiteral("\"><text>");
        return starts;
    }();
    static const std::array<QString, kSpecialityCount> tags = [] {
        std::array<QString, kSpecialityCount> t;
        for (int s = 0; s < kSpecialityCount; ++s)
            t[size_t(s)] = QStringLiteral("<tag><text>") + QLatin1String(specialityInfo(Speciality(s)).flagField)
                + QStringLiteral("</text></tag>");
        return t;
    }();
    for (int k = 0; k <= last; ++k) {
        const qint64 points = q.val[size_t(k)].value_or(0);
        if (points >= -6 && points <= 6)
            out.append(answerStart[size_t(points + 6)]);
        else
            Exchange::append(
                out, u"    <answer fraction=\"", Exchange::fractionText(points), u"\" format=\"", kPlain, u"\"><text>");
        appendEscaped(out, q.lib[size_t(k)]);
        out.append(u"</text></answer>\n");
    }
    if (std::any_of(q.flags.cbegin(), q.flags.cend(), [](int f) { return f != 0; })) {
        out.append(u"    <tags>");
        for (int s = 0; s < kSpecialityCount; ++s)
            if (q.flags[size_t(s)])
                out.append(tags[size_t(s)]);
        out.append(u"</tags>\n");
    }
    out.append(u"  </question>\n");
}

// A text element's content as the bank keeps it, and whether it holds a picture.
struct ElementText {
    QString text;
    bool picture = false;
};

class Reader {
public:
    Reader(QIODevice &device, const ReadProgress &progress, ExchangeRead &out)
        : m_xml(&device), m_device(device), m_progress(progress), m_out(out)
    {
    }

    void run()
    {
        while (!m_xml.atEnd() && !m_xml.isStartElement()) {
            m_xml.readNext();
            if (m_xml.isDTD()) {
                m_out.error = QStringLiteral("le fichier XML déclare une DTD, ce que les fichiers de questions Moodle "
                                             "ne font pas ; il n'est pas lu.");
                return;
            }
        }
        if (m_xml.hasError())
            return xmlError();
        if (m_xml.name() != QStringLiteral("quiz")) {
            m_out.error = QStringLiteral("ce fichier XML n'est pas un fichier de questions Moodle (il commence par "
                                         "<%1> au lieu de <quiz>).")
                              .arg(m_xml.name().toString().left(40));
            return;
        }
        int element = 0;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() != QStringLiteral("question")) {
                m_xml.skipCurrentElement();
                continue;
            }
            ++element;
            const QString where
                = QStringLiteral("élément <question> n° %1, ligne %2").arg(element).arg(m_xml.lineNumber());
            const QString type = m_xml.attributes().value(QStringLiteral("type")).toString();
            if (type != QStringLiteral("category"))
                m_domainFilled = true;
            if (type == QStringLiteral("category"))
                category();
            else if (type == QStringLiteral("multichoice"))
                multichoice(where);
            else {
                m_xml.skipCurrentElement();
                m_out.refused.append({where,
                    QStringLiteral("question de type « %1 » : la banque ne garde que les questions à choix multiples.")
                        .arg(type.left(40))});
            }
            if (m_progress && !m_progress(m_device.pos())) {
                m_out.error = QStringLiteral("lecture interrompue.");
                return;
            }
        }
        if (m_xml.hasError())
            return xmlError();
        closeDomain();
        if (!m_unknownTags.isEmpty()) {
            QStringList tags(m_unknownTags.cbegin(), m_unknownTags.cend());
            tags.sort();
            if (tags.size() > 10)
                tags = tags.mid(0, 10) << QStringLiteral("…");
            m_out.note(QStringLiteral("Étiquettes ignorées, qui ne nomment aucune spécialité : %1.")
                           .arg(tags.join(QStringLiteral(", "))));
        }
    }

private:
    void xmlError()
    {
        if (m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
            m_out.error = QStringLiteral("le fichier s'arrête avant la fin du document XML (fichier tronqué ?).");
        else
            m_out.error = QStringLiteral("le XML est mal formé ligne %1, colonne %2 (%3).")
                              .arg(m_xml.lineNumber())
                              .arg(m_xml.columnNumber())
                              .arg(m_xml.errorString());
    }

    // The <text> of the current element, its format taken from the element.
    ElementText text()
    {
        const QString format = m_xml.attributes().value(QStringLiteral("format")).toString();
        ElementText out;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == QStringLiteral("text")) {
                out.text = m_xml.readElementText(QXmlStreamReader::IncludeChildElements);
            } else {
                out.picture = out.picture || m_xml.name() == QStringLiteral("file");
                m_xml.skipCurrentElement();
            }
        }
        if (format == QStringLiteral("html")) {
            out.picture = out.picture || out.text.contains(QStringLiteral("<img"), Qt::CaseInsensitive);
            out.text = Exchange::htmlToText(out.text);
        } else {
            out.text = Exchange::bankLineBreaks(out.text);
        }
        return out;
    }

    void category()
    {
        Domain domain;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == QStringLiteral("category"))
                domain.libelle = Exchange::categoryName(text().text);
            else if (m_xml.name() == QStringLiteral("idnumber"))
                domain.code = m_xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
            else
                m_xml.skipCurrentElement();
        }
        closeDomain();
        m_domain = domain;
        m_domainFilled = false;
        m_out.domains.append(domain);
    }

    struct Answer {
        QString fraction;
        ElementText text;
    };

    void multichoice(const QString &where)
    {
        ElementText statement;
        QString idnumber;
        QList<Answer> answers;
        QStringList tags;
        while (m_xml.readNextStartElement()) {
            const QStringView name = m_xml.name();
            if (name == QStringLiteral("questiontext")) {
                statement = text();
            } else if (name == QStringLiteral("idnumber")) {
                idnumber = m_xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
            } else if (name == QStringLiteral("answer")) {
                Answer a;
                a.fraction = m_xml.attributes().value(QStringLiteral("fraction")).toString();
                const QString format = m_xml.attributes().value(QStringLiteral("format")).toString();
                while (m_xml.readNextStartElement()) {
                    if (m_xml.name() == QStringLiteral("text")) {
                        a.text.text = m_xml.readElementText(QXmlStreamReader::IncludeChildElements);
                    } else if (m_xml.name() == QStringLiteral("feedback")) {
                        if (!text().text.isEmpty())
                            m_out.note(QStringLiteral("Les commentaires des réponses (feedback) ne sont pas gardés."));
                    } else {
                        m_xml.skipCurrentElement();
                    }
                }
                if (format == QStringLiteral("html")) {
                    a.text.picture = a.text.text.contains(QStringLiteral("<img"), Qt::CaseInsensitive);
                    a.text.text = Exchange::htmlToText(a.text.text);
                } else {
                    a.text.text = Exchange::bankLineBreaks(a.text.text);
                }
                answers.append(a);
            } else if (name == QStringLiteral("tags")) {
                while (m_xml.readNextStartElement()) {
                    if (m_xml.name() == QStringLiteral("tag"))
                        tags << text().text.trimmed();
                    else
                        m_xml.skipCurrentElement();
                }
            } else {
                m_xml.skipCurrentElement();
            }
        }
        if (m_xml.hasError())
            return;

        if (statement.picture
            || std::any_of(answers.cbegin(), answers.cend(), [](const Answer &a) { return a.text.picture; }))
            return refuse(where, QStringLiteral("la question contient une image, que la banque ne peut pas garder."));
        if (answers.size() > kChoiceCount)
            return refuse(where, QStringLiteral("%1 réponses : la banque en garde six au plus.").arg(answers.size()));
        ReadQuestion q{where, {}};
        auto &txt = q.entry.txt;
        txt[Field::Code] = m_domain.code;
        txt[Field::Title] = m_domain.libelle;
        if (const auto n = wholeNumber(idnumber); n && *n >= 1 && *n <= kHighestQuestionNumber)
            txt[Field::Number] = QString::number(*n);
        else if (!idnumber.isEmpty())
            m_out.note(QStringLiteral("Les identifiants (idnumber) qui ne sont pas des numéros sont remplacés par le "
                                      "prochain numéro libre du domaine."));
        txt[Field::Statement] = statement.text;
        for (int k = 0; k < answers.size(); ++k) {
            const Answer &a = answers.at(k);
            // Moodle reads a missing fraction as none.
            bool ok = a.fraction.trimmed().isEmpty();
            const double percent = ok ? 0.0 : QLocale::c().toDouble(a.fraction.trimmed(), &ok);
            const auto points = ok ? Exchange::pointsFromFraction(percent) : std::nullopt;
            if (!points)
                return refuse(where,
                    QStringLiteral("réponse %1 : la fraction %2 n'est pas un nombre entier de sixièmes "
                                   "(de -6 à 6 points sur 6) ; la question n'est pas convertie.")
                        .arg(QChar(u'A' + k))
                        .arg(Exchange::fractionForMessage(a.fraction.left(20))));
            txt[size_t(Field::choiceText(k))] = a.text.text;
            if (!a.text.text.isEmpty() || *points != 0)
                txt[size_t(Field::choicePoints(k))] = QString::number(*points);
        }
        for (const QString &tag : std::as_const(tags)) {
            if (const auto s = Exchange::specialityFromName(tag))
                q.entry.specialities[size_t(*s)] = true;
            else if (!tag.isEmpty() && m_unknownTags.size() < 100)
                m_unknownTags.insert(tag.left(60));
        }
        for (const QString &t : txt)
            if (t.size() > Exchange::kLongestText)
                return refuse(where, QStringLiteral("un texte de plus d'un million de caractères."));
        m_out.questions.append(std::move(q));
    }

    void refuse(const QString &where, const QString &reason) { m_out.refused.append({where, reason}); }

    void closeDomain()
    {
        if (!m_out.domains.isEmpty() && !m_domainFilled)
            m_out.emptyDomains.append(m_domain);
    }

    QXmlStreamReader m_xml;
    QIODevice &m_device;
    const ReadProgress &m_progress;
    ExchangeRead &m_out;
    Domain m_domain;
    bool m_domainFilled = false;
    QSet<QString> m_unknownTags;
};

} // namespace

ExchangeWrite write(const BankContent &bank)
{
    ExchangeWrite out;
    QString text;
    text.reserve(qsizetype(bank.questions.size()) * 1500 + 1024);
    text += QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quiz>\n");
    for (const DomainQuestions &group : Exchange::byDomain(bank)) {
        const QString title = Exchange::domainTitle(group.domain);
        if (Exchange::hasCharacterOutsideXml(title) || Exchange::hasCharacterOutsideXml(group.domain.code)) {
            for (const Question *q : group.questions)
                out.refused.append({Exchange::reference(q->code, q->numero),
                    QStringLiteral("le nom de son domaine contient un caractère de contrôle, que le format XML ne "
                                   "peut pas porter.")});
            continue;
        }
        text += QStringLiteral("  <question type=\"category\">\n");
        appendText(text, u"    ", u"category", Exchange::categoryPath(title));
        appendElement(text, u"    ", u"idnumber", group.domain.code);
        text += QStringLiteral("  </question>\n");
        ++out.domainsWritten;
        for (const Question *q : group.questions) {
            if (!questionFitsXml(*q)) {
                out.refused.append({Exchange::reference(q->code, q->numero),
                    QStringLiteral(
                        "un texte contient un caractère de contrôle, que le format XML ne peut pas porter.")});
                continue;
            }
            appendQuestion(text, *q);
            ++out.questionsWritten;
        }
    }
    text += QStringLiteral("</quiz>\n");
    out.bytes = text.toUtf8();
    return out;
}

ExchangeRead read(QIODevice &device, const ReadProgress &progress)
{
    ExchangeRead out;
    out.format = ExchangeFormat::MoodleXml;
    Reader(device, progress, out).run();
    return out;
}

} // namespace qcm::MoodleXml
