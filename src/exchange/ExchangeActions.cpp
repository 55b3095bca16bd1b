#include "ExchangeActions.h"

#include "backup/BankBackups.h"

#include "ExchangeCommands.h"
#include "ExchangeFile.h"
#include "ExportDialog.h"
#include "ImportPreview.h"
#include "state/QCMBas.h"

#include <QDir>
#include <QFileInfo>

namespace qcm::ExchangeActions {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kExportTitle = QStringLiteral("Exporter la base");
const QString kImportTitle = QStringLiteral("Importer des questions");
// Longer lists of refusals are cut in a box; the preview shows them all.
constexpr int kRefusalsInABox = 12;

QString refusalsForBox(const QList<ImportRefusal> &refused)
{
    QString text = Exchange::refusalLines(refused.mid(0, kRefusalsInABox), QStringLiteral("- "));
    text.replace(u'\n', kCrLf);
    if (refused.size() > kRefusalsInABox)
        text += QStringLiteral("… et %1 autres.").arg(refused.size() - kRefusalsInABox);
    return text;
}

QString plural(qint64 n, const QString &one, const QString &many)
{
    return QStringLiteral("%1 %2").arg(n).arg(n > 1 ? many : one);
}

bool noBank(QCMBas &state, const QString &title)
{
    if (state.connection())
        return false;
    state.dialogs().MoxBox(StoreErrors::noDatabase().description, Icon::Warning, title, QStringLiteral("OK"));
    return true;
}

} // namespace

void exportBank(QCMBas &state, QWidget *parent)
{
    DialogService &dialogs = state.dialogs();
    if (noBank(state, kExportTitle))
        return;
    BankModel bank = state.bank();
    StoreError error;
    QList<ExportDialog::DomainEntry> entries;
    qint64 total = 0;
    if (const auto domains = bank.domains(&error)) {
        for (const Domain &d : *domains) {
            const auto n = bank.questionCount(d.code, &error);
            if (!n)
                break;
            entries.append({d, *n});
        }
    }
    if (error) {
        dialogs.MoxBox(QStringLiteral("La base ne peut pas être lue :") + kCrLf + error.description, Icon::Error,
            kExportTitle, QStringLiteral("OK"));
        return;
    }
    for (const auto &e : std::as_const(entries))
        total += e.questions;

    ExportDialog choose(entries, total, parent);
    if (choose.exec() != QDialog::Accepted)
        return;
    const std::optional<QStringList> codes = choose.chosenCodes();

    QList<FileFilter> filters;
    for (ExchangeFormat f : kExchangeFormats)
        filters << exchangeFormatInfo(f).filter;
    const QFileInfo bankFile(state.DbPath);
    const QString proposed = bankFile.absoluteDir().filePath(
        bankFile.completeBaseName() + QStringLiteral(".") + exchangeFormatInfo(ExchangeFormat::Csv).extension);
    const QString path = dialogs.saveFileName({kExportTitle, filters, proposed});
    if (path.isEmpty())
        return;
    const auto format = exchangeFormatFromFileName(path);
    if (!format) {
        dialogs.MoxBox(QStringLiteral("Le format du fichier est donné par son extension : .csv (tableur), .xml "
                                      "(Moodle XML), .gift ou .txt (GIFT).")
                + kCrLf + QStringLiteral("Rien n'a été écrit."),
            Icon::Warning, kExportTitle, QStringLiteral("OK"));
        return;
    }
    if (QFileInfo::exists(path) && !dialogs.confirmReplace(path))
        return;
    const auto content = Exchange::exportContent(bank, codes, &error);
    if (!content) {
        dialogs.MoxBox(QStringLiteral("La base ne peut pas être lue :") + kCrLf + error.description, Icon::Error,
            kExportTitle, QStringLiteral("OK"));
        return;
    }
    const Exchange::ExportOutcome outcome = Exchange::writeFile(path, *content, *format);
    if (!outcome.written) {
        dialogs.MoxBox(QStringLiteral("L'export vers « %1 » a échoué :").arg(path) + kCrLf + outcome.error, Icon::Error,
            kExportTitle, QStringLiteral("OK"));
        return;
    }
    QString message
        = QStringLiteral("%1 de %2 exportées au format %3 dans")
              .arg(plural(outcome.questionsWritten, QStringLiteral("question"), QStringLiteral("questions")),
                  plural(outcome.domainsWritten, QStringLiteral("domaine"), QStringLiteral("domaines")),
                  exchangeFormatInfo(*format).name)
        + kCrLf + QStringLiteral("« %1 ».").arg(path);
    if (!outcome.refused.isEmpty())
        message += kCrLf + kCrLf
            + QStringLiteral("Ce format ne peut pas porter %1 :")
                  .arg(plural(outcome.refused.size(), QStringLiteral("question"), QStringLiteral("questions")))
            + kCrLf + refusalsForBox(outcome.refused);
    dialogs.MoxBox(
        message, outcome.refused.isEmpty() ? Icon::Information : Icon::Warning, kExportTitle, QStringLiteral("OK"));
}

bool importQuestions(QCMBas &state, QWidget *parent)
{
    DialogService &dialogs = state.dialogs();
    if (noBank(state, kImportTitle))
        return false;
    QList<FileFilter> filters{{QStringLiteral("Questions"), QStringLiteral("*.csv *.xml *.gift *.txt")}};
    for (ExchangeFormat f : kExchangeFormats)
        filters << exchangeFormatInfo(f).filter;
    filters << FileFilter{QStringLiteral("Tous les fichiers"), QStringLiteral("*")};
    const QString path = dialogs.openFileName({kImportTitle, filters, {}});
    if (path.isEmpty())
        return false;
    const QString fileName = QFileInfo(path).fileName();

    ExchangeRead read;
    {
        const std::unique_ptr<Progress> progress = dialogs.progress(
            {kImportTitle, QStringLiteral("Lecture de « %1 »…").arg(fileName), QFileInfo(path).size(), true});
        read = Exchange::readFile(path, [&progress](qint64 bytes) { return progress->advance(bytes); });
        if (progress->wasCanceled())
            return false;
    }
    if (read.failed()) {
        dialogs.MoxBox(QStringLiteral("Le fichier « %1 » ne peut pas être importé :").arg(fileName) + kCrLf + read.error
                + kCrLf + QStringLiteral("Rien n'a été écrit dans la base."),
            Icon::Error, kImportTitle, QStringLiteral("OK"));
        return false;
    }
    BankModel bank = state.bank();
    ImportPlanner planner(std::move(read));
    StoreError error;
    if (!planner.load(bank, &error)) {
        dialogs.MoxBox(QStringLiteral("La base ne peut pas être lue :") + kCrLf + error.description, Icon::Error,
            kImportTitle, QStringLiteral("OK"));
        return false;
    }

    ImportPreview preview(planner, fileName, parent);
    if (preview.exec() != QDialog::Accepted || preview.choice() == ImportPreview::Cancelled)
        return false;
    const ExistingQuestions existing
        = preview.choice() == ImportPreview::AddAndReplace ? ExistingQuestions::Replace : ExistingQuestions::Keep;
    // A backup that cannot be made is said on the status line and the import goes on.
    BankBackups::of(state).beforeBulkChange(QStringLiteral("avant importation"));
    BankWriteSummary done;
    if (const StoreError failed = applyImport(bank, preview.plan(), existing, &done)) {
        dialogs.MoxBox(QStringLiteral("L'import a échoué : la base est restée telle qu'elle était.") + kCrLf + kCrLf
                + failed.description,
            Icon::Error, kImportTitle, QStringLiteral("OK"));
        return false;
    }
    QString message
        = QStringLiteral("Import terminé : %1, %2, %3.")
              .arg(
                  plural(done.questionsAdded, QStringLiteral("question ajoutée"), QStringLiteral("questions ajoutées")),
                  plural(done.questionsReplaced, QStringLiteral("question remplacée"),
                      QStringLiteral("questions remplacées")),
                  plural(done.domainsAdded, QStringLiteral("domaine créé"), QStringLiteral("domaines créés")));
    dialogs.MoxBox(message, Icon::Information, kImportTitle, QStringLiteral("OK"));
    return done.questionsAdded + done.questionsReplaced + done.domainsAdded > 0;
}

} // namespace qcm::ExchangeActions
