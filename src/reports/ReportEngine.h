#pragma once

#include "ReportDocument.h"

#include <QString>

#include <functional>
#include <memory>

class QPrinter;

namespace qcm {
class Progress;
}

namespace qcm {

// Where a report goes.
enum class ReportDestination { Window, Printer, Pdf };

// Shows a laid-out report in a preview window titled `title`; true once shown.
// The caller provides it, so that the engine itself needs no widget.
using ReportPreviewFactory = std::function<bool(std::shared_ptr<const ReportDocument> document, const QString &title)>;

struct ReportRequest {
    QString layoutPath; // a ".rpt" layout file of the program folder
    QString formula; // empty, or {QCM.NomQCM} = "name"
    ReportDestination destination = ReportDestination::Window;
    QString pdfPath; // for ReportDestination::Pdf
    int copies = 1; // for ReportDestination::Printer
    QString title; // window title, PDF title, printed document name
    QString workingCopyPath; // the working copy "qcm.mdb", the only file read
    ReportPreviewFactory preview; // for ReportDestination::Window
    // A mock exam's result sheet: printed instead of the questionnaires, with
    // a layout of the result model; neither the formula nor the working copy is read.
    std::shared_ptr<const ResultSheet> resultSheet;
    // Tables of results, printed with a layout of the table model; neither
    // the formula nor the working copy is read.
    std::shared_ptr<const TableSheet> tableSheet;
    // For a PDF or a printer: told how far the run has come, from 0 to
    // kReportProgressMaximum; a stop ends it with ReportCode::Canceled, no
    // file written and nothing printed.
    Progress *progress = nullptr;
};

inline constexpr qint64 kReportProgressMaximum = 1000;

// What RunReport returns: 0 on success, one code per kind of failure.
namespace ReportCode {
inline constexpr int Ok = 0;
inline constexpr int LayoutMissing = 1; // the layout file does not exist
inline constexpr int LayoutUnreadable = 2; // it exists but cannot be read
inline constexpr int LayoutInvalid = 3; // its content is wrong, or leaves no room on the page
inline constexpr int FormulaRefused = 4; // the selection formula is not of an accepted form
inline constexpr int WorkingCopyUnreadable = 5; // missing, not a database, or its table QCM incomplete
inline constexpr int NoPrinter = 6; // no default printer
inline constexpr int PrintFailed = 7; // the printer refused the job or a page
inline constexpr int PdfFailed = 8; // the PDF file could not be written
inline constexpr int PreviewFailed = 9; // no preview was provided, or it could not be shown
inline constexpr int BadRequest = 10; // no PDF path, or fewer than one copy
inline constexpr int Canceled = 11; // stopped by the user through the progress
} // namespace ReportCode

struct ReportOutcome {
    int code = ReportCode::Ok;
    QString message; // French, empty on success: what the window can tell the user
    std::shared_ptr<const ReportDocument> document; // the pages, once laid out
};

// Reads the layout, the formula and the working copy, lays the report out and
// sends it to its destination. A PDF file is written whole or not at all.
// Fonts need the application object (a QGuiApplication) to exist.
ReportOutcome runReport(const ReportRequest &request);

// The same, reduced to its return code; *message receives the French reason.
int RunReport(const ReportRequest &request, QString *message = nullptr);

// Builds the pages without sending them anywhere.
ReportOutcome buildReport(const ReportRequest &request);

// Paints a laid-out report on a printer (or a printer set to PDF output),
// with the printer's own copy count. Returns a ReportCode.
int printReport(
    const ReportDocument &document, QPrinter &printer, QString *message = nullptr, Progress *progress = nullptr);

} // namespace qcm
