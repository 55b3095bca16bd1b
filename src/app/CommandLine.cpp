#include "CommandLine.h"

#include "access/AccessReading.h"
#include "exchange/ExchangeCommands.h"

#include <QTextStream>

#include <cstdio>

namespace qcm {

namespace {

// One command: its option, the arguments it takes as the help shows them,
// what it does, and how it runs (the arguments after the option).
struct Command {
    QString option;
    QString arguments;
    QString description;
    int (*run)(const QStringList &arguments);
};

int help(const QStringList &);
int exportBank(const QStringList &arguments);
int importQuestions(const QStringList &arguments);

const QList<Command> &commands()
{
    static const QList<Command> list{
        {QStringLiteral("--help"), {}, QStringLiteral("affiche cette aide"), &help},
        {QStringLiteral("--lire-access"), QStringLiteral("FICHIER TEMPORAIRE"),
            QStringLiteral("lit la base Access FICHIER sans la modifier et l'écrit, convertie, dans la nouvelle base "
                           "TEMPORAIRE, avec son rapport TEMPORAIRE.json (ce que fait la conversion)"),
            &readAccessCommand},
        {QStringLiteral("--exporter"), QStringLiteral("FORMAT BANQUE FICHIER"),
            QStringLiteral("exporte les questions de la BANQUE dans FICHIER ; FORMAT : csv, moodle (Moodle XML) ou "
                           "gift"),
            &exportBank},
        {QStringLiteral("--importer"), QStringLiteral("FICHIER BANQUE [--remplacer]"),
            QStringLiteral("importe dans la BANQUE les questions de FICHIER (CSV, Moodle XML ou GIFT, reconnu à son "
                           "contenu) ;\n      --remplacer remplace aussi celles de même domaine et même numéro"),
            &importQuestions},
    };
    return list;
}

int help(const QStringList &)
{
    QTextStream out(stdout);
    out << "Utilisation : qcm [COMMANDE]\n"
           "Sans commande, le programme ouvre sa fenêtre d'entraînement.\n\n"
           "Commandes (sans écran) :\n";
    for (const Command &c : commands())
        out << "  " << c.option << (c.arguments.isEmpty() ? QString() : QLatin1Char(' ') + c.arguments) << "\n      "
            << c.description << "\n";
    out << "\nCodes de retour : 0 réussite, 1 éléments refusés, 2 erreur de fichier ou d'arguments.\n";
    return 0;
}

int exportBank(const QStringList &arguments)
{
    QTextStream out(stdout), err(stderr);
    return Exchange::exportCommand(arguments, out, err);
}

int importQuestions(const QStringList &arguments)
{
    QTextStream out(stdout), err(stderr);
    return Exchange::importCommand(arguments, out, err);
}

} // namespace

std::optional<int> runCommandLine(const QStringList &arguments)
{
    if (arguments.size() < 2)
        return std::nullopt;
    const QString option = arguments.at(1);
    if (option != QStringLiteral("-h") && !option.startsWith(QStringLiteral("--")))
        return std::nullopt;
    // The toolkit's own options (--platform, --style…) still reach it.
    static const QStringList toolkitOptions{QStringLiteral("platform"), QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"), QStringLiteral("plugin"), QStringLiteral("qwindowgeometry"),
        QStringLiteral("qwindowtitle"), QStringLiteral("qwindowicon"), QStringLiteral("reverse"),
        QStringLiteral("session"), QStringLiteral("style"), QStringLiteral("stylesheet"), QStringLiteral("widgetcount"),
        QStringLiteral("display"), QStringLiteral("geometry"), QStringLiteral("name"), QStringLiteral("title")};
    if (toolkitOptions.contains(option.mid(2).section(QLatin1Char('='), 0, 0)))
        return std::nullopt;
    for (const Command &c : commands())
        if (c.option == option || (option == QStringLiteral("-h") && c.run == &help))
            return c.run(arguments.mid(2));
    QTextStream(stderr) << "Option inconnue : " << option << "\nLa liste des commandes : qcm --help\n";
    return 2;
}

} // namespace qcm
