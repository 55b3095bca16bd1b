#pragma once

#include "database/Records.h"
#include "database/Schema.h"
#include "editor/EditorRules.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

namespace qcm {

// The file formats a bank is exchanged in.
enum class ExchangeFormat { Csv, MoodleXml, Gift };

struct ExchangeFormatInfo {
    QString name; // as the user reads it: "CSV", "Moodle XML", "GIFT"
    QString commandName; // on the command line: csv, moodle, gift
    FileFilter filter; // in the file dialogs
    QString extension; // written when the user gives none
};

const ExchangeFormatInfo &exchangeFormatInfo(ExchangeFormat format);
inline constexpr std::array<ExchangeFormat, 3> kExchangeFormats{
    ExchangeFormat::Csv, ExchangeFormat::MoodleXml, ExchangeFormat::Gift};
std::optional<ExchangeFormat> exchangeFormatFromCommandName(const QString &name);
// By the file's extension (.csv, .xml, .gift or .txt); nothing for another one.
std::optional<ExchangeFormat> exchangeFormatFromFileName(const QString &path);

// Something of a file that could not be taken, with where it stands in the
// file ("ligne 12", "élément <question> n° 3, ligne 40") and why, in French.
struct ImportRefusal {
    QString where;
    QString reason;

    QString text() const { return where.isEmpty() ? reason : where + QStringLiteral(" : ") + reason; }
    bool operator==(const ImportRefusal &) const = default;
};

// One question as a file gives it, in the editor's own terms, so that the
// editor's rules judge it as they judge typed input: txt(0) and txt(1) hold
// the domain's code and name as the file spells them (either may be empty),
// txt(2) the number (empty: the next free one is given).
struct ReadQuestion {
    QString where;
    EditorEntry entry;
};

// What a reader made of a file.
struct ExchangeRead {
    ExchangeFormat format = ExchangeFormat::Csv;
    QList<ReadQuestion> questions;
    // Domains the file names, in its order (code or name may be empty), and
    // those of them with nothing under them, not even a refused question.
    QList<Domain> domains;
    QList<Domain> emptyDomains;
    QList<ImportRefusal> refused;
    // What was read but has no place in a bank (answer feedback, unknown
    // columns…), said once each.
    QStringList notes;
    // Why the file as a whole cannot be read; empty when it was read.
    QString error;

    bool failed() const { return !error.isEmpty(); }
    void note(const QString &text)
    {
        if (!notes.contains(text))
            notes.append(text);
    }
};

// How far a reader has come, in bytes of the file; false stops the reading.
using ReadProgress = std::function<bool(qint64 bytesRead)>;

// What a writer made: the file's bytes, and the questions it could not carry.
struct ExchangeWrite {
    QByteArray bytes;
    QList<ImportRefusal> refused;
    int questionsWritten = 0;
    int domainsWritten = 0;
};

// A domain and its questions, as the writers lay them out.
struct DomainQuestions {
    Domain domain;
    QList<const Question *> questions;
};

namespace Exchange {

// Appends the parts in one go: a writer makes millions of small appends, and
// a + between them would build a temporary text each time.
template <typename... Parts> void append(QString &out, const Parts &...parts)
{
    (out.append(parts), ...);
}

// The bank's domains in their order, each with its questions in the order
// given, then one for each code whose questions have no domain row.
QList<DomainQuestions> byDomain(const BankContent &bank);

// A text too long for any question: the file is taken to be malformed rather
// than a statement of a million characters.
inline constexpr qsizetype kLongestText = 1000000;
// A domain's name as a Moodle category path, "$course$/top/<name>", and
// back: the name of the last category of a path, empty for the course's top.
QString categoryPath(const QString &name);
QString categoryName(const QString &path);
// The name given to questions that come in no domain.
QString defaultDomainName();
// The name a domain without one is written under.
QString domainTitle(const Domain &domain);

// Line breaks of any kind become the bank's own (carriage return and line feed).
QString bankLineBreaks(const QString &text);
// The bank's line breaks as the one line feed text files and XML use.
QString plainLineBreaks(const QString &text);

// Points as a percentage of the question's 6, at least five decimals when it
// does not come out whole: 4 gives "66.66667", 3 gives "50".
QString fractionText(qint64 points);
// The whole number of points a percentage stands for; nothing when it is no
// sixth of 100 or lies outside -100..100.
std::optional<qint64> pointsFromFraction(double percent);
// "33,33333 %": a fraction as the messages show it.
QString fractionForMessage(const QString &written);

// The speciality a tag or a column names, by its flag field
// ("ParapenteBiHandi") or its caption ("Parapente biplace Handi"), without
// regard to case, accents or blanks.
std::optional<int> specialityFromName(const QString &name);
// Lower case, without accents, blanks reduced to one space, trimmed.
QString foldedName(const QString &name);

// The text of an HTML fragment: tags dropped, paragraphs and <br> as line
// breaks, entities decoded, runs of blanks as one space.
QString htmlToText(const QString &html);
// True when the text holds a character XML 1.0 cannot carry.
bool hasCharacterOutsideXml(const QString &text);

// "choix B", "points du choix B", "libellé"… for the editor field of that index.
QString fieldName(int index);
// "QCM 1.12": a stored question as the editor names it.
QString reference(const QString &code, qint64 numero);

} // namespace Exchange

} // namespace qcm
