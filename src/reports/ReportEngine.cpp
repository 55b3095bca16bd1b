#include "ReportEngine.h"

#include <functional>

#include "ReportData.h"
#include "services/DialogService.h"
#include "state/Branding.h"
#include "state/FileOps.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

namespace qcm {

namespace {

ReportOutcome failure(int code, const QString &message)
{
    return {code, message, nullptr};
}

QString creator()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? Branding::applicationTitle() : name;
}

// How far a run has come once its pages are laid out; painting them takes the rest.
constexpr qint64 kLaidOut = kReportProgressMaximum / 5;

// Tells the progress of each page painted; stopped says whether it was asked to stop.
std::function<bool(int)> pagesTold(const ReportDocument &document, Progress *progress, bool &stopped)
{
    if (!progress)
        return {};
    return [&document, progress, &stopped](int painted) {
        const qint64 span = kReportProgressMaximum - kLaidOut;
        stopped = !progress->advance(kLaidOut + span * painted / std::max(1, document.pageCount()));
        return !stopped;
    };
}

} // namespace

ReportOutcome buildReport(const ReportRequest &request)
{
    LayoutReader reader;
    const std::optional<ReportLayout> layout = reader.readFile(request.layoutPath);
    if (!layout) {
        switch (reader.failure()) {
        case LayoutReader::Failure::Missing:
            return failure(ReportCode::LayoutMissing, reader.error());
        case LayoutReader::Failure::Unreadable:
            return failure(ReportCode::LayoutUnreadable, reader.error());
        default:
            return failure(ReportCode::LayoutInvalid, reader.error());
        }
    }
    const QString layoutName = QFileInfo(request.layoutPath).fileName();
    // A sheet made by the caller, laid out by a layout of its own model.
    auto sheet = [&](ReportLayout::Model model, const QString &what, const QString &word,
                     const std::function<std::shared_ptr<ReportDocument>(QString *)> &compose) -> ReportOutcome {
        if (layout->model != model)
            return failure(ReportCode::LayoutInvalid,
                QStringLiteral("La mise en page « %1 » n'est pas celle d'un %2 : son modèle doit être « %3 ».")
                    .arg(layoutName, what, word));
        QString why;
        auto document = compose(&why);
        if (!document)
            return failure(ReportCode::LayoutInvalid,
                QStringLiteral("La mise en page « %1 » ne convient pas : %2.").arg(layoutName, why));
        return {ReportCode::Ok, QString(), std::move(document)};
    };
    const ComposeContext context{request.title, std::nullopt};
    if (request.tableSheet)
        return sheet(ReportLayout::Model::Table, QStringLiteral("tableau de résultats"), QStringLiteral("tableau"),
            [&](QString *why) { return composeTableSheet(*layout, *request.tableSheet, context, why); });
    if (request.resultSheet)
        return sheet(ReportLayout::Model::Result, QStringLiteral("relevé de résultats"), QStringLiteral("résultat"),
            [&](QString *why) { return composeResultSheet(*layout, *request.resultSheet, context, why); });
    if (layout->model == ReportLayout::Model::Result || layout->model == ReportLayout::Model::Table)
        return failure(ReportCode::LayoutInvalid,
            QStringLiteral("La mise en page « %1 » sert aux résultats des examens blancs, pas aux QCM.")
                .arg(layoutName));
    const SelectionFormula formula = SelectionFormula::parse(request.formula);
    if (!formula.accepted)
        return failure(ReportCode::FormulaRefused, formula.error);

    QString why;
    const auto questionnaires = readQuestionnaires(request.workingCopyPath, formula.name, &why);
    if (!questionnaires)
        return failure(ReportCode::WorkingCopyUnreadable, why);

    auto document = composeReport(*layout, *questionnaires, {request.title, formula.name}, &why);
    if (!document)
        return failure(ReportCode::LayoutInvalid,
            QStringLiteral("La mise en page « %1 » ne convient pas : %2.")
                .arg(QFileInfo(request.layoutPath).fileName(), why));
    return {ReportCode::Ok, QString(), std::move(document)};
}

int printReport(const ReportDocument &document, QPrinter &printer, QString *message, Progress *progress)
{
    printer.setFullPage(true);
    printer.setPageLayout(ReportDocument::pageLayout());
    if (printer.docName().isEmpty())
        printer.setDocName(document.title());
    bool stopped = false;
    if (!document.paintAll(printer, pagesTold(document, progress, stopped))) {
        if (stopped) {
            // The pages painted so far never reach the printer.
            printer.abort();
            if (message)
                *message = QStringLiteral("L'impression de « %1 » a été arrêtée.").arg(document.title());
            return ReportCode::Canceled;
        }
        if (message)
            *message = QStringLiteral("L'impression de « %1 » a échoué : l'imprimante « %2 » a refusé le document.")
                           .arg(document.title(), printer.printerName());
        return ReportCode::PrintFailed;
    }
    return ReportCode::Ok;
}

ReportOutcome runReport(const ReportRequest &request)
{
    switch (request.destination) {
    case ReportDestination::Pdf:
        if (request.pdfPath.isEmpty())
            return failure(ReportCode::BadRequest, QStringLiteral("Aucun nom de fichier PDF n'a été donné."));
        break;
    case ReportDestination::Printer:
        if (request.copies < 1)
            return failure(ReportCode::BadRequest,
                QStringLiteral("Le nombre d'exemplaires doit être au moins 1 (%1 demandé).").arg(request.copies));
        break;
    case ReportDestination::Window:
        if (!request.preview)
            return failure(ReportCode::PreviewFailed, QStringLiteral("Aucune fenêtre d'aperçu n'est disponible."));
        break;
    }

    ReportOutcome outcome = buildReport(request);
    if (outcome.code != ReportCode::Ok)
        return outcome;
    const ReportDocument &document = *outcome.document;
    if (request.progress && request.destination != ReportDestination::Window && !request.progress->advance(kLaidOut))
        return failure(ReportCode::Canceled, QStringLiteral("« %1 » a été arrêté.").arg(request.title.trimmed()));

    switch (request.destination) {
    case ReportDestination::Window:
        if (!request.preview(outcome.document, request.title))
            return failure(ReportCode::PreviewFailed,
                QStringLiteral("L'aperçu de « %1 » n'a pas pu s'ouvrir.").arg(request.title));
        break;
    case ReportDestination::Printer: {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull())
            return failure(
                ReportCode::NoPrinter, QStringLiteral("Aucune imprimante n'est installée ou choisie par défaut."));
        QPrinter printer(info, QPrinter::HighResolution);
        printer.setCopyCount(request.copies);
        printer.setDocName(request.title);
        printer.setCreator(creator());
        QString why;
        if (const int code = printReport(document, printer, &why, request.progress); code != ReportCode::Ok)
            return failure(code, why);
        break;
    }
    case ReportDestination::Pdf: {
        // Painted in memory and written beside its final name, renamed once
        // complete: a failure leaves no half-written file and keeps an older one.
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        bool painted = false;
        bool stopped = false;
        {
            QPdfWriter writer(&buffer);
            writer.setPageLayout(ReportDocument::pageLayout());
            writer.setResolution(int(ReportDocument::kDotsPerInch));
            // A caption may end with a blank that tells it apart on screen; a title does not.
            writer.setTitle(request.title.trimmed());
            writer.setCreator(creator());
            painted = document.paintAll(writer, pagesTold(document, request.progress, stopped));
        }
        if (stopped)
            return failure(ReportCode::Canceled,
                QStringLiteral("L'enregistrement de « %1 » a été arrêté : aucun fichier n'a été écrit.")
                    .arg(request.pdfPath));
        QString why = QStringLiteral("la page n'a pas pu être dessinée.");
        if (!painted || !writeFileAtomic(request.pdfPath, bytes, &why))
            return failure(ReportCode::PdfFailed,
                QStringLiteral("Le fichier PDF « %1 » n'a pas pu être écrit : %2").arg(request.pdfPath, why));
        break;
    }
    }
    return outcome;
}

int RunReport(const ReportRequest &request, QString *message)
{
    const ReportOutcome outcome = runReport(request);
    if (message)
        *message = outcome.message;
    return outcome.code;
}

} // namespace qcm
