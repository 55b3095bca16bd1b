#include "CsvFormat.h"

#include <QHash>
#include <QSet>
#include <QStringDecoder>

namespace qcm::Csv {

namespace {

constexpr qsizetype kChunk = 1 << 20;
constexpr int kMostColumns = 1000;

QString choiceLetter(int k)
{
    return QString(QChar(u'A' + k));
}

// Where each field of a question lies in a line; -1 when the file has no such column.
struct CsvColumns {
    int code = -1, name = -1, number = -1, statement = -1;
    std::array<int, kChoiceCount> choice, points;
    std::array<int, kSpecialityCount> flag;
    CsvColumns()
    {
        choice.fill(-1);
        points.fill(-1);
        flag.fill(-1);
    }
};

// The field a column heading names, as the index of an editor field, or
// 100 + s for the flag of speciality s; -1 when it names none.
int headingField(const QString &heading)
{
    const QString h = Exchange::foldedName(heading);
    static const QStringList code{
        QStringLiteral("code du domaine"), QStringLiteral("code domaine"), QStringLiteral("code")};
    static const QStringList name{QStringLiteral("domaine"), QStringLiteral("nom du domaine"),
        QStringLiteral("libelle du domaine"), QStringLiteral("titre du domaine")};
    static const QStringList number{QStringLiteral("numero"), QStringLiteral("n°"), QStringLiteral("no"),
        QStringLiteral("num"), QStringLiteral("numero de la question")};
    static const QStringList statement{QStringLiteral("libelle"), QStringLiteral("enonce"), QStringLiteral("question")};
    if (code.contains(h))
        return Field::Code;
    if (name.contains(h))
        return Field::Title;
    if (number.contains(h))
        return Field::Number;
    if (statement.contains(h))
        return Field::Statement;
    for (int k = 0; k < kChoiceCount; ++k) {
        const QString letter = choiceLetter(k).toLower();
        if (h == QStringLiteral("choix ") + letter || h == QStringLiteral("reponse ") + letter
            || h == QStringLiteral("lib%1").arg(k))
            return Field::choiceText(k);
        if (h == QStringLiteral("points ") + letter || h == QStringLiteral("points du choix ") + letter
            || h == QStringLiteral("valeur ") + letter || h == QStringLiteral("val%1").arg(k))
            return Field::choicePoints(k);
    }
    if (const auto s = Exchange::specialityFromName(heading))
        return 100 + *s;
    return -1;
}

void appendField(QString &out, const QString &text, QChar separator)
{
    bool quote = false;
    for (QChar c : text)
        if (c == separator || c == u'"' || c == u'\n' || c == u'\r') {
            quote = true;
            break;
        }
    if (!quote) {
        out += text;
        return;
    }
    out += u'"';
    for (QChar c : text) {
        if (c == u'"')
            out += u'"';
        out += c;
    }
    out += u'"';
}

// RFC 4180 records out of a stream of text given in pieces.
class RecordParser {
public:
    explicit RecordParser(QChar separator) : m_separator(separator) { }

    // Calls the handler for each complete record with the line it starts on;
    // false on a malformed file (error() says why) or when the handler stops.
    template <typename Handler> bool feed(QStringView text, Handler &&handler)
    {
        for (qsizetype i = 0; i < text.size(); ++i) {
            // Plain characters go in by runs: the states below see only those
            // that may end a field or a line.
            if (m_state == State::Quoted || m_state == State::Unquoted) {
                const QChar stop = m_state == State::Quoted ? QChar(u'"') : m_separator;
                qsizetype j = i;
                while (j < text.size() && text[j] != stop && text[j] != u'\n' && text[j] != u'\r')
                    ++j;
                if (j > i) {
                    if (!append(text.sliced(i, j - i)))
                        return false;
                    m_afterCr = false;
                    i = j;
                    if (i == text.size())
                        break;
                }
            }
            const QChar c = text[i];
            const bool afterCr = std::exchange(m_afterCr, c == u'\r');
            if (c == u'\n' && afterCr) {
                // The second half of a CRLF: counted with the CR.
                if (m_state == State::Quoted)
                    m_field += c;
                continue;
            }
            const bool lineEnd = c == u'\n' || c == u'\r';
            if (lineEnd)
                ++m_line;
            switch (m_state) {
            case State::FieldStart:
            case State::Unquoted:
                if (c == u'"' && m_state == State::FieldStart) {
                    m_state = State::Quoted;
                    m_quoteLine = m_line;
                } else if (c == m_separator) {
                    if (!pushField())
                        return false;
                    m_state = State::FieldStart;
                } else if (lineEnd) {
                    if (!endRecord(handler))
                        return false;
                } else if (!append(QStringView(&c, 1))) {
                    return false;
                } else {
                    m_state = State::Unquoted;
                }
                break;
            case State::Quoted:
                if (c == u'"')
                    m_state = State::QuoteInQuoted;
                else if (!append(QStringView(&c, 1)))
                    return false;
                break;
            case State::QuoteInQuoted:
                if (c == u'"') {
                    m_field += c;
                    m_state = State::Quoted;
                } else if (c == m_separator) {
                    if (!pushField())
                        return false;
                    m_state = State::FieldStart;
                } else if (lineEnd) {
                    if (!endRecord(handler))
                        return false;
                } else {
                    // Text after a closing quote is kept, as spreadsheets do.
                    if (!append(QStringView(&c, 1)))
                        return false;
                    m_state = State::Unquoted;
                }
                break;
            }
        }
        return true;
    }

    template <typename Handler> bool finish(Handler &&handler)
    {
        if (m_state == State::Quoted) {
            m_error = QStringLiteral("le fichier s'arrête dans un texte entre guillemets commencé ligne %1 "
                                     "(fichier tronqué, ou guillemet jamais fermé).")
                          .arg(m_quoteLine);
            return false;
        }
        if (m_state != State::FieldStart || !m_fields.isEmpty() || !m_field.isEmpty())
            return endRecord(handler);
        return true;
    }

    const QString &error() const { return m_error; }
    qint64 line() const { return m_line; }

private:
    enum class State { FieldStart, Unquoted, Quoted, QuoteInQuoted };

    bool append(QStringView run)
    {
        if (m_field.size() + run.size() > Exchange::kLongestText) {
            m_error = QStringLiteral("ligne %1 : un texte de plus d'un million de caractères ; le fichier est mal "
                                     "formé (guillemet jamais fermé ?).")
                          .arg(m_recordLine);
            return false;
        }
        m_field += run;
        return true;
    }
    bool pushField()
    {
        if (m_fields.size() >= kMostColumns) {
            m_error = QStringLiteral("ligne %1 : plus de %2 colonnes ; ce n'est pas un fichier de questions.")
                          .arg(m_recordLine)
                          .arg(kMostColumns);
            return false;
        }
        m_fields.append(std::move(m_field));
        m_field = QString();
        return true;
    }
    template <typename Handler> bool endRecord(Handler &&handler)
    {
        if (!pushField())
            return false;
        const qint64 start = m_recordLine;
        m_recordLine = m_line;
        m_state = State::FieldStart;
        QStringList record = std::move(m_fields);
        m_fields = QStringList();
        return handler(std::move(record), start);
    }

    QChar m_separator;
    State m_state = State::FieldStart;
    QString m_field;
    QStringList m_fields;
    qint64 m_line = 1, m_recordLine = 1, m_quoteLine = 1;
    bool m_afterCr = false;
    QString m_error;
};

// The separator of the first line: the one of ; , and tab found most often
// outside quotes. Nothing when the line names one column only.
std::optional<QChar> separatorOf(QStringView text)
{
    int semicolons = 0, commas = 0, tabs = 0;
    bool inQuotes = false;
    for (QChar c : text) {
        if (c == u'"')
            inQuotes = !inQuotes;
        else if (inQuotes)
            continue;
        else if (c == u'\n' || c == u'\r')
            break;
        else if (c == u';')
            ++semicolons;
        else if (c == u',')
            ++commas;
        else if (c == u'\t')
            ++tabs;
    }
    if (semicolons == 0 && commas == 0 && tabs == 0)
        return std::nullopt;
    if (semicolons >= commas && semicolons >= tabs)
        return u';';
    return commas >= tabs ? u',' : u'\t';
}

std::optional<bool> flagValue(const QString &cell)
{
    if (cell.isEmpty() || cell == u'0')
        return false;
    if (cell == u'1')
        return true;
    const QString v = Exchange::foldedName(cell);
    if (v.isEmpty() || v == QStringLiteral("0") || v == QStringLiteral("non") || v == QStringLiteral("faux")
        || v == QStringLiteral("false"))
        return false;
    if (v == QStringLiteral("1") || v == QStringLiteral("oui") || v == QStringLiteral("x")
        || v == QStringLiteral("vrai") || v == QStringLiteral("true"))
        return true;
    return std::nullopt;
}

// Turns the records of a file into questions, the first one naming the columns.
class RecordReader {
public:
    explicit RecordReader(ExchangeRead &out) : m_out(out) { }

    bool hasHeading() const { return m_columnCount > 0; }

    void finish()
    {
        for (const Domain &d : std::as_const(m_out.domains))
            if (!m_domainsFilled.contains(d.code + u'\n' + d.libelle))
                m_out.emptyDomains.append(d);
    }

    bool operator()(QStringList &&record, qint64 line)
    {
        if (!m_columnCount)
            return std::all_of(record.cbegin(), record.cend(), [](const QString &f) { return f.trimmed().isEmpty(); })
                || (line == 1 && record.size() <= 2 && record.first().startsWith(QStringLiteral("sep=")))
                || heading(record);
        question(record, line);
        return true;
    }

private:
    bool heading(const QStringList &record)
    {
        QStringList unknown;
        for (int i = 0; i < record.size(); ++i) {
            const QString name = record.at(i).trimmed();
            if (name.isEmpty())
                continue;
            const int field = headingField(name);
            int *slot = nullptr;
            if (field == Field::Code)
                slot = &m_columns.code;
            else if (field == Field::Title)
                slot = &m_columns.name;
            else if (field == Field::Number)
                slot = &m_columns.number;
            else if (field == Field::Statement)
                slot = &m_columns.statement;
            else if (field >= 100)
                slot = &m_columns.flag[size_t(field - 100)];
            else if (field >= 4)
                slot = Field::isPoints(field) ? &m_columns.points[size_t((field - 5) / 2)]
                                              : &m_columns.choice[size_t((field - 4) / 2)];
            if (!slot) {
                unknown << QStringLiteral("« %1 »").arg(name);
                continue;
            }
            if (*slot >= 0) {
                m_out.error = QStringLiteral("la première ligne nomme deux fois la colonne « %1 ».").arg(name);
                return false;
            }
            *slot = i;
        }
        QStringList missing;
        if (m_columns.statement < 0)
            missing << QStringLiteral("« Libellé »");
        for (int k = 0; k < kChoiceCount; ++k) {
            const bool needed = k < 2 || m_columns.choice[size_t(k)] >= 0 || m_columns.points[size_t(k)] >= 0;
            if (needed && m_columns.choice[size_t(k)] < 0)
                missing << QStringLiteral("« Choix %1 »").arg(choiceLetter(k));
            if (needed && m_columns.points[size_t(k)] < 0)
                missing << QStringLiteral("« Points %1 »").arg(choiceLetter(k));
        }
        if (!missing.isEmpty()) {
            m_out.error = QStringLiteral("la première ligne doit nommer les colonnes ; il manque %1.")
                              .arg(missing.join(QStringLiteral(", ")));
            return false;
        }
        if (!unknown.isEmpty())
            m_out.note(QStringLiteral("Colonnes ignorées, inconnues de la banque : %1.")
                           .arg(unknown.join(QStringLiteral(", "))));
        if (std::all_of(m_columns.flag.cbegin(), m_columns.flag.cend(), [](int c) { return c < 0; }))
            m_out.note(QStringLiteral("Le fichier n'a pas de colonnes de spécialités."));
        m_columnCount = int(record.size());
        return true;
    }

    void question(const QStringList &record, qint64 line)
    {
        const QString where = QStringLiteral("ligne %1").arg(line);
        if (std::all_of(record.cbegin(), record.cend(), [](const QString &f) { return f.trimmed().isEmpty(); }))
            return;
        const bool extraFilled = std::any_of(record.cbegin() + std::min<qsizetype>(record.size(), m_columnCount),
            record.cend(), [](const QString &f) { return !f.trimmed().isEmpty(); });
        if (record.size() < m_columnCount || extraFilled) {
            m_out.refused.append({where,
                QStringLiteral("%1 colonnes au lieu de %2 (ligne coupée, ou séparateur dans un texte sans guillemets).")
                    .arg(record.size())
                    .arg(m_columnCount)});
            return;
        }
        auto cell = [&record](int column) { return column < 0 ? QString() : record.at(column); };
        ReadQuestion q{where, {}};
        auto &txt = q.entry.txt;
        txt[Field::Code] = cell(m_columns.code).trimmed();
        txt[Field::Title] = cell(m_columns.name).trimmed();
        txt[Field::Number] = cell(m_columns.number).trimmed();
        txt[Field::Statement] = Exchange::bankLineBreaks(cell(m_columns.statement));
        bool content = !txt[Field::Number].isEmpty() || !txt[Field::Statement].isEmpty();
        for (int k = 0; k < kChoiceCount; ++k) {
            txt[size_t(Field::choiceText(k))] = Exchange::bankLineBreaks(cell(m_columns.choice[size_t(k)]));
            txt[size_t(Field::choicePoints(k))] = cell(m_columns.points[size_t(k)]).trimmed();
            content = content || !txt[size_t(Field::choiceText(k))].isEmpty()
                || !txt[size_t(Field::choicePoints(k))].isEmpty();
        }
        if (!content) {
            nameDomain(txt[Field::Code], txt[Field::Title]);
            return;
        }
        m_domainsFilled.insert(txt[Field::Code] + u'\n' + txt[Field::Title]);
        for (int s = 0; s < kSpecialityCount; ++s) {
            const QString value = cell(m_columns.flag[size_t(s)]);
            const auto flag = flagValue(value);
            if (!flag) {
                m_out.refused.append({where,
                    QStringLiteral("colonne « %1 » : « %2 » au lieu de 0 ou 1.")
                        .arg(specialityInfo(Speciality(s)).caption, value.trimmed())});
                return;
            }
            q.entry.specialities[size_t(s)] = *flag;
        }
        nameDomain(txt[Field::Code], txt[Field::Title]);
        m_out.questions.append(std::move(q));
    }

    // Domains in the order the file first names them; a domain alone on its
    // line is named even without questions.
    void nameDomain(const QString &code, const QString &name)
    {
        if (code.isEmpty() && name.isEmpty())
            return;
        const QString key = code + u'\n' + name;
        if (m_domainsNamed.contains(key))
            return;
        m_domainsNamed.insert(key);
        m_out.domains.append({code, name});
    }

    ExchangeRead &m_out;
    CsvColumns m_columns;
    int m_columnCount = 0;
    QSet<QString> m_domainsNamed, m_domainsFilled;
};

} // namespace

const QStringList &columnNames()
{
    static const QStringList names = [] {
        QStringList n{QStringLiteral("Code du domaine"), QStringLiteral("Domaine"), QStringLiteral("Numéro"),
            QStringLiteral("Libellé")};
        for (int k = 0; k < kChoiceCount; ++k)
            n << QStringLiteral("Choix ") + choiceLetter(k) << QStringLiteral("Points ") + choiceLetter(k);
        for (int s = 0; s < kSpecialityCount; ++s)
            n << specialityInfo(Speciality(s)).caption;
        return n;
    }();
    return names;
}

ExchangeWrite write(const BankContent &bank)
{
    const QChar sep = u';';
    ExchangeWrite out;
    QString text;
    text.reserve(qsizetype(bank.questions.size()) * 500 + 1024);
    text += QChar(QChar::ByteOrderMark);
    text += columnNames().join(sep) + QStringLiteral("\r\n");
    const QString emptyRest = QString(columnNames().size() - 2, sep);
    for (const DomainQuestions &group : Exchange::byDomain(bank)) {
        QString domain;
        appendField(domain, group.domain.code, sep);
        domain += sep;
        appendField(domain, group.domain.libelle, sep);
        // A domain without questions still travels, on a line of its own.
        if (group.questions.isEmpty())
            Exchange::append(text, domain, emptyRest, u"\r\n");
        for (const Question *q : group.questions) {
            text += domain;
            text += sep;
            text += QString::number(q->numero);
            text += sep;
            appendField(text, q->libelle, sep);
            for (int k = 0; k < kChoiceCount; ++k) {
                text += sep;
                appendField(text, q->lib[size_t(k)], sep);
                text += sep;
                if (const auto &v = q->val[size_t(k)])
                    text += QString::number(*v);
            }
            for (int s = 0; s < kSpecialityCount; ++s) {
                text += sep;
                text += q->flags[size_t(s)] ? u'1' : u'0';
            }
            text.append(u"\r\n");
            ++out.questionsWritten;
        }
        ++out.domainsWritten;
    }
    out.bytes = text.toUtf8();
    return out;
}

ExchangeRead read(QIODevice &device, const ReadProgress &progress)
{
    ExchangeRead out;
    out.format = ExchangeFormat::Csv;
    QStringDecoder decoder(QStringConverter::Utf8);
    std::optional<RecordParser> parser;
    RecordReader reader(out);
    qint64 bytes = 0;
    auto handler = [&reader](QStringList &&record, qint64 line) { return reader(std::move(record), line); };
    auto failed = [&out, &parser](const QString &why) {
        if (out.error.isEmpty())
            out.error = why.isEmpty() && parser ? parser->error() : why;
        return out;
    };
    for (;;) {
        const QByteArray chunk = device.read(kChunk);
        if (chunk.isEmpty())
            break;
        bytes += chunk.size();
        const QString text = decoder.decode(chunk);
        if (decoder.hasError()) {
            const qint64 line
                = (parser ? parser->line() : 1) + text.left(text.indexOf(QChar::ReplacementCharacter)).count(u'\n');
            return failed(QStringLiteral("le texte n'est pas en UTF-8 (vers la ligne %1) ; enregistrez le fichier au "
                                         "format « CSV UTF-8 ».")
                              .arg(line));
        }
        if (!parser) {
            // A spreadsheet may name its separator on a first line "sep=;".
            const auto separator = text.startsWith(QStringLiteral("sep=")) && text.size() > 4
                ? std::optional<QChar>(text.at(4))
                : separatorOf(text);
            if (!separator)
                return failed(QStringLiteral("la première ligne ne nomme qu'une colonne : ce n'est pas un fichier CSV "
                                             "de questions (séparateur point-virgule, virgule ou tabulation)."));
            parser.emplace(*separator);
        }
        if (!parser->feed(text, handler))
            return failed({});
        if (progress && !progress(bytes))
            return failed(QStringLiteral("lecture interrompue."));
    }
    if (!device.atEnd())
        return failed(QStringLiteral("la lecture du fichier a échoué (%1).").arg(device.errorString()));
    if (parser && !parser->finish(handler))
        return failed({});
    if (!reader.hasHeading())
        return failed(QStringLiteral("le fichier est vide."));
    reader.finish();
    return out;
}

bool looksLikeHeading(QStringView firstLine)
{
    if (firstLine.startsWith(QStringLiteral("sep=")))
        return true;
    const auto separator = separatorOf(firstLine);
    if (!separator)
        return false;
    int known = 0;
    for (QStringView cell : firstLine.split(*separator)) {
        QString name = cell.trimmed().toString();
        if (name.startsWith(u'"') && name.endsWith(u'"') && name.size() >= 2)
            name = name.mid(1, name.size() - 2);
        known += headingField(name) >= 0;
    }
    // Two columns the bank knows: a heading, even if some are missing.
    return known >= 2;
}

} // namespace qcm::Csv
