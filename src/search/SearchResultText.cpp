#include "SearchResultText.h"

#include "SearchText.h"

namespace qcm::SearchResultText {

namespace {

constexpr int kStatementLength = 120;
constexpr int kChoiceLength = 70;
const QString kEllipsis = QStringLiteral("…");

struct Passage {
    qsizetype start = 0;
    qsizetype end = 0;
};

// Cut between words: a passage starts a little before the first word found
// when that word would not show otherwise.
Passage passage(const QString &text, const QList<std::pair<qsizetype, qsizetype>> &found, int maxLength)
{
    Passage p{0, text.size()};
    if (!found.isEmpty() && found.first().first + found.first().second > maxLength - 10) {
        p.start = std::max<qsizetype>(0, found.first().first - maxLength / 4);
        while (p.start > 0 && !text.at(p.start - 1).isSpace())
            --p.start;
    }
    if (p.end - p.start > maxLength) {
        p.end = p.start + maxLength;
        const qsizetype space = text.lastIndexOf(u' ', p.end);
        if (space > p.start + maxLength / 2)
            p.end = space;
    }
    return p;
}

QString oneLine(QString text)
{
    for (QChar &c : text)
        if (c == u'\r' || c == u'\n' || c == u'\t')
            c = u' ';
    return text;
}

} // namespace

QString reference(const IndexedQuestion &question)
{
    return question.code + u'.' + QString::number(question.numero);
}

QString excerptHtml(const QString &raw, const QStringList &words, int maxLength)
{
    const QString text = oneLine(raw);
    const auto found = SearchText::matchedWords(text, words);
    const Passage p = passage(text, found, maxLength);
    QString html;
    if (p.start > 0)
        html += kEllipsis;
    qsizetype at = p.start;
    for (const auto &[start, length] : found) {
        if (start < at || start >= p.end)
            continue;
        const qsizetype end = std::min(p.end, start + length);
        html += text.mid(at, start - at).toHtmlEscaped();
        html += QStringLiteral("<b style=\"background-color:#ffe48a\">") + text.mid(start, end - start).toHtmlEscaped()
            + QStringLiteral("</b>");
        at = end;
    }
    html += text.mid(at, p.end - at).toHtmlEscaped();
    if (p.end < text.size())
        html += kEllipsis;
    return html;
}

int matchedChoice(const IndexedQuestion &question, const QStringList &words)
{
    for (int k = 0; k < kChoiceCount; ++k)
        if (!SearchText::matchedWords(question.choices[size_t(k)], words).isEmpty())
            return k;
    return -1;
}

QString html(const SearchHit &hit, const QStringList &words)
{
    const IndexedQuestion &q = hit.question;
    QString heading = QStringLiteral("<b>") + reference(q).toHtmlEscaped() + QStringLiteral("</b>");
    if (!hit.domainTitle.isEmpty())
        heading += QStringLiteral(" &nbsp;<span style=\"color:#4a5a78\">") + hit.domainTitle.toHtmlEscaped()
            + QStringLiteral("</span>");
    QString body = excerptHtml(q.statement, words, kStatementLength);
    if (!hit.inStatement) {
        if (const int k = matchedChoice(q, words); k >= 0)
            body += QStringLiteral("<br><span style=\"color:#4a5a78\">Réponse %1 :</span> ").arg(QChar(u'A' + k))
                + excerptHtml(q.choices[size_t(k)], words, kChoiceLength);
    }
    return heading + QStringLiteral("<br>") + body;
}

QString plain(const SearchHit &hit, const QStringList &words)
{
    const IndexedQuestion &q = hit.question;
    QString text = QStringLiteral("Question ") + reference(q);
    if (!hit.domainTitle.isEmpty())
        text += QStringLiteral(", ") + hit.domainTitle;
    text += QStringLiteral(" : ") + oneLine(q.statement);
    if (!hit.inStatement) {
        if (const int k = matchedChoice(q, words); k >= 0)
            text += QStringLiteral(" (réponse %1 : %2)").arg(QChar(u'A' + k)).arg(oneLine(q.choices[size_t(k)]));
    }
    return text;
}

} // namespace qcm::SearchResultText
