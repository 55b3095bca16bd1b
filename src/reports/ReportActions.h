#pragma once

#include <QString>

#include <array>

namespace qcm {

// One of the five reports, by the index of its option in the reports window.
struct ReportKind {
    QString caption; // the option's caption, also the title of the report
    QString documentName; // the name proposed for a PDF file
    QString fileName; // the layout file in the program folder
    bool filtered; // false: every stored questionnaire, whichever is chosen
};

inline constexpr int kReportKindCount = 5;
const std::array<ReportKind, kReportKindCount> &reportKinds();

// What the reports work on, from the entry the composer shows: a stored
// questionnaire's name, or nothing for a new one. A closed composer shows an
// empty entry, which names no questionnaire yet still filters.
struct ReportSubject {
    explicit ReportSubject(const QString &composerChoice);
    bool isNew; // "- Créer un nouveau QCM": every questionnaire
    QString name; // the stored name; empty when new or the composer is closed
};

// {QCM.NomQCM} = "name", the name as it stands.
QString selectionFormula(const QString &name);

// The name proposed for a PDF: for a stored questionnaire its name with every
// slash and backslash made "_", " - ", the document name and ".pdf"; without
// one the document name alone.
// The questionnaire's part is shortened as needed for the whole name to fit
// a file name, and the end from " - " on kept whole.
QString pdfName(const QString &questionnaire, const QString &documentName);
// The name proposed for a report: the complete listing's is its document name
// alone, whichever questionnaire is chosen.
QString pdfName(const ReportSubject &subject, const ReportKind &kind);

// Whether the reports' copy of the database must be made before a report.
// It is stale once the database in use has been written at or after the time
// of the copy (a write in the same tick of the file clock counts as after).
enum class WorkingCopyNeed { None, Create, Refresh };
WorkingCopyNeed workingCopyNeed(const QString &database, const QString &workingCopy);

} // namespace qcm
