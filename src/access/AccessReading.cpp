#include "AccessReading.h"

#include "AccessFile.h"
#include "AccessMapping.h"
#ifdef QCM_HAVE_LIBMDB
#include "MdbTableSource.h"
#endif

#include "database/Schema.h"

#include <QSaveFile>
#include <QTextStream>

namespace qcm {

QString accessReportPath(const QString &bankPath)
{
    return bankPath + QStringLiteral(".json");
}

bool writeConvertedBank(TableSource &source, const QString &bankPath, ConversionReport *report)
{
    report->tables = source.tableNames();
    QString why;
    bool unreadable = false;
    const std::optional<ConvertedBank> bank = convertTables(source, &why, &unreadable);
    if (!bank) {
        report->status = unreadable ? ConversionReport::Status::Unreadable : ConversionReport::Status::Refused;
        report->message = why;
        return false;
    }
    report->missingTables = bank->missingTables;
    report->notes = bank->notes;
    const auto failed = [&](const QString &reason) {
        report->status = ConversionReport::Status::Failed;
        report->message = QStringLiteral("la nouvelle base n'a pas pu être écrite : %1").arg(reason);
        return false;
    };
    if (!writeBank(bankPath, {bank->domains, bank->questions}, &why))
        return failed(why);
    StoreError error;
    const std::shared_ptr<Connection> connection = Connection::open(bankPath, &error);
    if (!connection)
        return failed(error.description);
    BankModel model(connection);
    for (const StoredQuestionnaire &q : bank->questionnaires)
        if (const StoreError e = model.saveQuestionnaire(q))
            return failed(e.description);
    report->status = ConversionReport::Status::Converted;
    report->domains = bank->domains.size();
    report->questions = bank->questions.size();
    report->questionnaires = bank->questionnaires.size();
    return true;
}

int readAccessCommand(const QStringList &arguments)
{
    QTextStream err(stderr);
    if (arguments.size() != 2) {
        err << "Utilisation : qcm --lire-access FICHIER TEMPORAIRE\n";
        return 2;
    }
    const QString &original = arguments.at(0), &bank = arguments.at(1);
    ConversionReport report;
    report.format = accessFormatName(accessFormat(original));
    int status = 2;
#ifdef QCM_HAVE_LIBMDB
    QString why;
    if (const std::unique_ptr<MdbTableSource> source = MdbTableSource::open(original, &why)) {
        if (writeConvertedBank(*source, bank, &report))
            status = 0;
        else if (report.status == ConversionReport::Status::Refused)
            status = 1;
    } else {
        report.message = QStringLiteral("elle ne peut pas être lue : %1").arg(why);
    }
#else
    report.message = QStringLiteral("ce programme a été construit sans la bibliothèque libmdb (mdbtools), qui lit les "
                                    "bases Access");
#endif
    QSaveFile out(accessReportPath(bank));
    if (!out.open(QIODevice::WriteOnly) || out.write(report.toJson()) < 0 || !out.commit()) {
        err << "Le rapport " << accessReportPath(bank) << " n'a pas pu être écrit : " << out.errorString() << "\n";
        return 2;
    }
    if (status != 0)
        err << "La base Access " << original << " n'a pas été convertie : " << report.message << ".\n";
    return status;
}

} // namespace qcm
