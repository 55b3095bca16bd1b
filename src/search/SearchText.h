#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace qcm {

// How texts and what the user types are compared when searching: without
// regard to case or accents, "oe" matching "œ", every typed word matching the
// start of a word. The index's tokenizer folds case and accents; what it
// does not fold (ligatures) is written out here, in the indexed text and in
// the query alike.
namespace SearchText {

// The text as it is indexed: ligatures written out ("cœur" → "coeur").
QString forIndex(QStringView text);
// Whether UTF-8 text needs forIndex at all: most texts go to the index as they are.
bool needsFolding(QByteArrayView utf8);

// One word folded for comparison: lower case, without accents, ligatures written out.
QString foldWord(QStringView word);

// The words of what the user typed, folded; punctuation separates words.
QStringList queryWords(QStringView typed);

// The index query: every word as a word start, all of them required, in the
// statement only or anywhere. Each word is quoted, so that nothing typed is
// read as query syntax. Empty when there is no word.
QString matchExpression(const QStringList &words, bool statementOnly);

// A question typed by its reference, as the windows show it: "3.12" or "3 12".
struct Reference {
    QString code;
    qint64 numero = 0;
};
std::optional<Reference> reference(QStringView typed);

// Where the words of text begin with one of the query words: (start, length)
// of each such word of text, in order.
QList<std::pair<qsizetype, qsizetype>> matchedWords(QStringView text, const QStringList &words);

} // namespace SearchText

} // namespace qcm
