#pragma once

#include "BankSearch.h"

#include <QString>
#include <QStringList>

namespace qcm {

// What the result list shows of a question found: its reference and domain,
// then the first words of its statement, or the passage around the first
// word found when it lies further; a question found by a choice shows that
// choice too. The words found stand out.
namespace SearchResultText {

// "3.12", as the practice window and the editor show references.
QString reference(const IndexedQuestion &question);

// A passage of at most maxLength characters, cut between words, with "…"
// where it was cut, as rich text whose words found are emphasised.
QString excerptHtml(const QString &text, const QStringList &words, int maxLength);

// The result as rich text: a heading line, then the passage.
QString html(const SearchHit &hit, const QStringList &words);
// The same as one plain sentence, for assistive technology and tooltips.
QString plain(const SearchHit &hit, const QStringList &words);

// The first choice holding a word found, 0 to 5; -1 when none does.
int matchedChoice(const IndexedQuestion &question, const QStringList &words);

} // namespace SearchResultText

} // namespace qcm
