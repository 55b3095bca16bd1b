#include "SearchText.h"

#include <QRegularExpression>

#include <algorithm>

namespace qcm::SearchText {

namespace {

// What the index's tokenizer does not fold by itself.
QStringView ligature(QChar c)
{
    switch (c.unicode()) {
    case 0x0153: // œ
    case 0x0152: // Œ
        return u"oe";
    case 0x00E6: // æ
    case 0x00C6: // Æ
        return u"ae";
    case 0x00DF: // ß
        return u"ss";
    case 0xFB00:
        return u"ff";
    case 0xFB01:
        return u"fi";
    case 0xFB02:
        return u"fl";
    case 0xFB03:
        return u"ffi";
    case 0xFB04:
        return u"ffl";
    default:
        return {};
    }
}

bool isCombiningMark(QChar c)
{
    const QChar::Category category = c.category();
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
        || category == QChar::Mark_Enclosing;
}

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || isCombiningMark(c);
}

QString expandLigatures(QStringView text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (QChar c : text) {
        const QStringView spelled = ligature(c);
        if (spelled.isEmpty())
            out.append(c);
        else
            out.append(spelled);
    }
    return out;
}

} // namespace

bool needsFolding(QByteArrayView utf8)
{
    for (qsizetype i = 0; i + 1 < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const auto next = static_cast<unsigned char>(utf8[i + 1]);
        // œ Œ (C5 92/93), æ Æ ß (C3 A6/86/9F), combining accents (CC, CD),
        // the typographic ligatures ﬀ to ﬄ (EF AC 80-84).
        if ((lead == 0xC5 && (next == 0x92 || next == 0x93))
            || (lead == 0xC3 && (next == 0xA6 || next == 0x86 || next == 0x9F)) || lead == 0xCC || lead == 0xCD
            || (lead == 0xEF && next == 0xAC))
            return true;
    }
    return false;
}

QString forIndex(QStringView text)
{
    // A decomposed accent would cut its word in two for the tokenizer.
    bool decomposed = false;
    for (QChar c : text) {
        if (isCombiningMark(c)) {
            decomposed = true;
            break;
        }
    }
    if (!decomposed)
        return expandLigatures(text);
    return expandLigatures(text.toString().normalized(QString::NormalizationForm_C));
}

QString foldWord(QStringView word)
{
    // Most words are plain ASCII: no decomposition needed.
    if (std::all_of(word.begin(), word.end(), [](QChar c) { return c.unicode() < 0x80; }))
        return word.toString().toLower();
    const QString decomposed = expandLigatures(word).normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (QChar c : decomposed)
        if (!isCombiningMark(c))
            out.append(c);
    return out.toCaseFolded();
}

QStringList queryWords(QStringView typed)
{
    const QString composed = typed.toString().normalized(QString::NormalizationForm_C);
    QStringList words;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= composed.size(); ++i) {
        const bool inWord = i < composed.size() && isWordCharacter(composed.at(i));
        if (inWord && start < 0) {
            start = i;
        } else if (!inWord && start >= 0) {
            const QString word = foldWord(QStringView(composed).mid(start, i - start));
            if (!word.isEmpty() && !words.contains(word))
                words.append(word);
            start = -1;
        }
    }
    return words;
}

QString matchExpression(const QStringList &words, bool statementOnly)
{
    QStringList terms;
    for (QString word : words) {
        word.replace(u'"', QStringLiteral("\"\""));
        terms.append(u'"' + word + QStringLiteral("\"*"));
    }
    if (terms.isEmpty())
        return {};
    const QString all = terms.join(u' ');
    return statementOnly ? QStringLiteral("{libelle} : (") + all + u')' : all;
}

std::optional<Reference> reference(QStringView typed)
{
    static const QRegularExpression shape(
        QStringLiteral("^\\s*(?:QCM\\s+)?([^\\s.]+)\\.(\\d{1,15})\\s*$"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = shape.match(typed.toString());
    if (!match.hasMatch())
        return std::nullopt;
    return Reference{match.captured(1), match.captured(2).toLongLong()};
}

QList<std::pair<qsizetype, qsizetype>> matchedWords(QStringView text, const QStringList &words)
{
    QList<std::pair<qsizetype, qsizetype>> found;
    if (words.isEmpty())
        return found;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool inWord = i < text.size() && isWordCharacter(text.at(i));
        if (inWord && start < 0) {
            start = i;
        } else if (!inWord && start >= 0) {
            const QString folded = foldWord(text.mid(start, i - start));
            for (const QString &word : words) {
                if (folded.startsWith(word)) {
                    found.append({start, i - start});
                    break;
                }
            }
            start = -1;
        }
    }
    return found;
}

} // namespace qcm::SearchText
