#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace qcm {

// One thing the conversion of an Access bank did not carry over as it was.
struct ConversionNote {
    enum class Kind {
        Defaulted, // a value missing or unreadable, replaced by the usual one
        Refused, // a row or a value not carried over
        ToCheck, // carried over as it was, but breaks the bank's rules
        LeftOut, // data the program does not use, not carried over
    };
    Kind kind = Kind::Defaulted;
    QString subject; // "Question 3/12 « Quel est… »", "Table Sessions"…
    QString text;

    bool operator==(const ConversionNote &) const = default;
};

// What the reading process hands back to the program, as a small JSON file.
struct ConversionReport {
    enum class Status {
        Converted,
        Refused, // read, but not a question bank
        Unreadable, // the file could not be read
        Failed, // read, but the new bank could not be written
    };
    Status status = Status::Unreadable;
    QString message; // why it was not converted: a French clause
    QString format; // "Access 2000 à 2003 (Jet 4)"
    QStringList tables; // the user tables found, as the file spells them
    QStringList missingTables; // tables of a bank that the file lacks
    qint64 domains = 0;
    qint64 questions = 0;
    qint64 questionnaires = 0;
    QList<ConversionNote> notes;

    QByteArray toJson() const;
    // Nothing when the bytes are no such report.
    static std::optional<ConversionReport> fromJson(const QByteArray &json);
};

// The report saved beside the converted bank, as text.
QString conversionReportText(
    const ConversionReport &report, const QString &original, const QString &converted, const QDateTime &when);

// Its name beside the converted bank, "<nom> - conversion.txt", or with a
// number when that file exists already: no report is ever replaced.
QString conversionReportPath(const QString &converted);

} // namespace qcm
