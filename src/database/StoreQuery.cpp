#include "StoreQuery.h"

namespace qcm {

namespace Queries {
StoreQuery wholeBank()
{
    return "select * from Questions order by Code, Numero";
}
StoreQuery domainInOrder(const QString &code)
{
    return {QStringLiteral("Select * from Questions where code = ? order by code, numero"), {code}};
}
StoreQuery domainRows(const QString &code)
{
    return {QStringLiteral("Select * from Questions where Code = ?"), {code}};
}
StoreQuery questionnaireRows(const QString &name)
{
    return {QStringLiteral("Select * from QCM where NomQCM = ?"), {name}};
}
StoreQuery questionnaireInOrder(const QString &name)
{
    return {QStringLiteral("Select * from QCM where NomQCM = ? order by code, numero"), {name}};
}
StoreQuery questionnaireNames()
{
    return "Select Distinct NomQCM from QCM order by NomQCM;";
}
} // namespace Queries

namespace Criteria {
StoreQuery questionKey(const QString &code, qint64 numero)
{
    return {QStringLiteral("Code = ? and Numero = ?"), {code, numero}};
}
StoreQuery domainCode(const QString &code)
{
    return {QStringLiteral("Code = ?"), {code}};
}
StoreQuery questionWithStatement(const QString &code, qint64 numero, const QString &statement)
{
    return {QStringLiteral("code = ? and Numero = ? and libellé = ?"), {code, numero, statement}};
}
StoreQuery questionnaireName(const QString &name)
{
    return {QStringLiteral("NomQCM = ?"), {name}};
}
} // namespace Criteria

namespace {

enum class Tok { Ident, Number, String, Param, Star, Equals, Comma, Semicolon, End, Bad };

struct Token {
    Tok kind = Tok::End;
    QString text;
};

class Lexer {
public:
    explicit Lexer(const QString &s) : m_s(s) { }

    Token next()
    {
        while (m_pos < m_s.size() && m_s.at(m_pos).isSpace())
            ++m_pos;
        if (m_pos >= m_s.size())
            return {Tok::End, {}};
        const QChar c = m_s.at(m_pos);
        if (c == u'"' || c == u'\'') {
            const qsizetype close = m_s.indexOf(c, m_pos + 1);
            if (close < 0)
                return {Tok::Bad, m_s.mid(m_pos)};
            Token t{Tok::String, m_s.mid(m_pos + 1, close - m_pos - 1)};
            m_pos = close + 1;
            return t;
        }
        if (c.isDigit() || (c == u'-' && m_pos + 1 < m_s.size() && m_s.at(m_pos + 1).isDigit())) {
            const qsizetype start = m_pos++;
            while (m_pos < m_s.size() && m_s.at(m_pos).isDigit())
                ++m_pos;
            return {Tok::Number, m_s.mid(start, m_pos - start)};
        }
        if (c.isLetter() || c == u'_') {
            const qsizetype start = m_pos;
            while (m_pos < m_s.size() && (m_s.at(m_pos).isLetterOrNumber() || m_s.at(m_pos) == u'_'))
                ++m_pos;
            return {Tok::Ident, m_s.mid(start, m_pos - start)};
        }
        ++m_pos;
        switch (c.unicode()) {
        case u'?':
            return {Tok::Param, {}};
        case u'*':
            return {Tok::Star, {}};
        case u'=':
            return {Tok::Equals, {}};
        case u',':
            return {Tok::Comma, {}};
        case u';':
            return {Tok::Semicolon, {}};
        default:
            return {Tok::Bad, QString(c)};
        }
    }

private:
    const QString &m_s;
    qsizetype m_pos = 0;
};

class Parser {
public:
    explicit Parser(const StoreQuery &q) : m_query(q), m_lexer(q.text) { advance(); }

    bool keyword(const char *word)
    {
        if (m_tok.kind == Tok::Ident && m_tok.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0) {
            advance();
            return true;
        }
        return false;
    }
    bool accept(Tok kind)
    {
        if (m_tok.kind != kind)
            return false;
        advance();
        return true;
    }
    bool identifier(QString &out)
    {
        if (m_tok.kind != Tok::Ident)
            return false;
        out = m_tok.text;
        advance();
        return true;
    }
    bool comparisons(QList<Comparison> &out)
    {
        do {
            Comparison c;
            if (!identifier(c.field) || !accept(Tok::Equals) || !value(c.value))
                return false;
            out.append(c);
        } while (keyword("and"));
        return true;
    }
    bool atEnd() const { return m_tok.kind == Tok::End; }
    bool allValuesUsed() const { return m_nextValue == m_query.values.size(); }

private:
    bool value(QVariant &out)
    {
        switch (m_tok.kind) {
        case Tok::Param:
            if (m_nextValue >= m_query.values.size())
                return false;
            out = m_query.values.at(m_nextValue++);
            break;
        case Tok::String:
            out = m_tok.text;
            break;
        case Tok::Number: {
            // A literal beyond 64 bits is refused, never read as 0.
            bool ok = false;
            out = m_tok.text.toLongLong(&ok);
            if (!ok)
                return false;
            break;
        }
        default:
            return false;
        }
        advance();
        return true;
    }
    void advance() { m_tok = m_lexer.next(); }

    const StoreQuery &m_query;
    Lexer m_lexer;
    Token m_tok;
    qsizetype m_nextValue = 0;
};

QString badShape(const StoreQuery &q)
{
    return QStringLiteral("Requête non reconnue : « %1 ».").arg(q.text);
}

} // namespace

bool parseSource(const StoreQuery &query, ParsedSelect &out, QString *error)
{
    out = {};
    Parser p(query);
    bool ok = false;
    if (p.keyword("select")) {
        if (p.keyword("distinct"))
            ok = p.identifier(out.distinctField);
        else
            ok = p.accept(Tok::Star);
        ok = ok && p.keyword("from") && p.identifier(out.table);
        if (ok && p.keyword("where"))
            ok = p.comparisons(out.where);
        if (ok && p.keyword("order")) {
            ok = p.keyword("by");
            QString field;
            while (ok) {
                ok = p.identifier(field);
                out.orderBy.append(field);
                if (!p.accept(Tok::Comma))
                    break;
            }
        }
        p.accept(Tok::Semicolon);
    } else {
        ok = p.identifier(out.table);
    }
    ok = ok && p.atEnd() && p.allValuesUsed();
    if (!ok && error)
        *error = badShape(query);
    return ok;
}

bool parseCriteria(const StoreQuery &query, QList<Comparison> &out, QString *error)
{
    out.clear();
    Parser p(query);
    const bool ok = p.comparisons(out) && p.atEnd() && p.allValuesUsed();
    if (!ok && error)
        *error = badShape(query);
    return ok;
}

} // namespace qcm
