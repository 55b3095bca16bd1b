#include "ExchangeCommands.h"

#include "ExchangeFile.h"
#include "ImportPlan.h"
#include "database/Schema.h"

#include <QFileInfo>

namespace qcm::Exchange {

namespace {

constexpr int kSuccess = 0;
constexpr int kRefused = 1;
constexpr int kFileError = 2;

std::shared_ptr<Connection> openBank(const QString &path, QTextStream &err)
{
    if (const StoreError e = Schema::verify(path)) {
        err << e.description << "\n";
        return nullptr;
    }
    StoreError e;
    auto connection = Connection::open(path, &e);
    if (!connection)
        err << QStringLiteral("La base « %1 » ne peut pas être ouverte : %2").arg(path, e.description) << "\n";
    return connection;
}

QString plural(qsizetype n, const QString &one, const QString &many)
{
    return QStringLiteral("%1 %2").arg(n).arg(n > 1 ? many : one);
}

} // namespace

QString refusalLines(const QList<ImportRefusal> &refused, const QString &indent)
{
    QString text;
    for (const ImportRefusal &r : refused)
        text += indent + r.text() + u'\n';
    return text;
}

int exportCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    if (arguments.size() != 3) {
        err << "Utilisation : qcm --exporter FORMAT BANQUE FICHIER (FORMAT : csv, moodle ou gift)\n";
        return kFileError;
    }
    const auto format = exchangeFormatFromCommandName(arguments.at(0));
    if (!format) {
        err << QStringLiteral("Format inconnu « %1 » : csv, moodle ou gift.").arg(arguments.at(0)) << "\n";
        return kFileError;
    }
    const QString bankPath = arguments.at(1), target = arguments.at(2);
    const auto connection = openBank(bankPath, err);
    if (!connection)
        return kFileError;
    StoreError e;
    const auto content = exportContent(BankModel(connection), std::nullopt, &e);
    if (!content) {
        err << QStringLiteral("La base « %1 » ne peut pas être lue : %2").arg(bankPath, e.description) << "\n";
        return kFileError;
    }
    const ExportOutcome outcome = writeFile(target, *content, *format);
    if (!outcome.written) {
        err << QStringLiteral("L'export vers « %1 » a échoué : %2").arg(target, outcome.error) << "\n";
        return kFileError;
    }
    out << QStringLiteral("%1 de %2 écrites dans « %3 » (format %4).")
               .arg(plural(outcome.questionsWritten, QStringLiteral("question"), QStringLiteral("questions")),
                   plural(outcome.domainsWritten, QStringLiteral("domaine"), QStringLiteral("domaines")), target,
                   exchangeFormatInfo(*format).name)
        << "\n";
    if (outcome.refused.isEmpty())
        return kSuccess;
    out << QStringLiteral("Questions refusées : %1").arg(outcome.refused.size()) << "\n"
        << refusalLines(outcome.refused, QStringLiteral("  "));
    return kRefused;
}

int importCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    QStringList files = arguments;
    const bool replace = files.removeAll(QStringLiteral("--remplacer")) > 0;
    if (files.size() != 2) {
        err << "Utilisation : qcm --importer FICHIER BANQUE [--remplacer]\n";
        return kFileError;
    }
    const QString source = files.at(0), bankPath = files.at(1);
    ExchangeRead read = readFile(source);
    if (read.failed()) {
        err << QStringLiteral("Le fichier « %1 » ne peut pas être importé : %2").arg(source, read.error) << "\n";
        return kFileError;
    }
    const auto connection = openBank(bankPath, err);
    if (!connection)
        return kFileError;
    BankModel bank(connection);
    ImportPlanner planner(std::move(read));
    StoreError e;
    if (!planner.load(bank, &e)) {
        err << QStringLiteral("La base « %1 » ne peut pas être lue : %2").arg(bankPath, e.description) << "\n";
        return kFileError;
    }
    const ImportPlan plan = planner.plan();
    const ExistingQuestions existing = replace ? ExistingQuestions::Replace : ExistingQuestions::Keep;
    BankWriteSummary done;
    if (plan.writesSomething(existing)) {
        if (const StoreError failed = applyImport(bank, plan, existing, &done)) {
            err << QStringLiteral("L'import a échoué ; la base « %1 » est restée telle qu'elle était : %2")
                       .arg(bankPath, failed.description)
                << "\n";
            return kFileError;
        }
    }
    out << QStringLiteral("Fichier « %1 » (format %2) : %3 lues dans %4.")
               .arg(source, exchangeFormatInfo(plan.format).name,
                   plural(plan.questionsRead, QStringLiteral("question"), QStringLiteral("questions")),
                   plural(plan.domainsRead, QStringLiteral("domaine"), QStringLiteral("domaines")))
        << "\n";
    out << QStringLiteral("Questions ajoutées : %1").arg(done.questionsAdded) << "\n";
    if (replace)
        out << QStringLiteral("Questions remplacées : %1").arg(done.questionsReplaced) << "\n";
    else if (!plan.replacements.isEmpty())
        out << QStringLiteral("Questions laissées telles qu'elles sont dans la banque : %1 (le fichier en a une autre "
                              "version ; --remplacer les remplace)")
                   .arg(plan.replacements.size())
            << "\n";
    out << QStringLiteral("Questions identiques à la banque : %1").arg(plan.unchanged) << "\n";
    if (done.domainsAdded > 0) {
        QStringList names;
        for (const Domain &d : plan.newDomains)
            names << d.code + QStringLiteral(" ") + d.libelle;
        out << QStringLiteral("Domaines créés : %1 (%2)").arg(done.domainsAdded).arg(names.join(QStringLiteral(", ")))
            << "\n";
    }
    out << QStringLiteral("Questions refusées : %1").arg(plan.refused.size()) << "\n"
        << refusalLines(plan.refused, QStringLiteral("  "));
    if (!plan.notes.isEmpty()) {
        out << "Remarques :\n";
        for (const QString &note : plan.notes)
            out << "  " << note << "\n";
    }
    return plan.refused.isEmpty() ? kSuccess : kRefused;
}

} // namespace qcm::Exchange
