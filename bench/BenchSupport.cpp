#include "BenchSupport.h"

#include "state/ProgramFolder.h"

#include <random>

namespace qcm::bench {

namespace {

QString words(std::mt19937 &random, int length)
{
    static const QStringList vocabulary{QStringLiteral("thermique"), QStringLiteral("ascendance"),
        QStringLiteral("voile"), QStringLiteral("décrochage"), QStringLiteral("aérologie"), QStringLiteral("vent"),
        QStringLiteral("météo"), QStringLiteral("sellette"), QStringLiteral("incidence"), QStringLiteral("finesse"),
        QStringLiteral("altitude"), QStringLiteral("biplace"), QStringLiteral("pilote"), QStringLiteral("règle"),
        QStringLiteral("de"), QStringLiteral("la"), QStringLiteral("le"), QStringLiteral("quand"),
        QStringLiteral("pourquoi"), QStringLiteral("l'air")};
    QString text;
    while (text.size() < length)
        text += vocabulary.at(int(random() % vocabulary.size())) + u' ';
    text.truncate(length - 2);
    return text.trimmed() + QStringLiteral(" ?");
}

} // namespace

BankContent generatedBank(int questions)
{
    std::mt19937 random(2026);
    BankContent bank;
    const int perDomain = questions / 10;
    for (int d = 1; d <= 10; ++d) {
        const QString code = QString(QChar(d == 10 ? u'0' : char16_t(u'0' + d)));
        bank.domains.append({code, QStringLiteral("Domaine %1").arg(d)});
        for (int n = 1; n <= perDomain; ++n) {
            Question q;
            q.code = code;
            q.numero = n;
            q.libelle = words(random, 80 + int(random() % 221));
            const int choices = 4 + int(random() % 3);
            const int right = int(random() % choices);
            for (int c = 0; c < choices; ++c) {
                q.lib[size_t(c)] = words(random, 20 + int(random() % 60));
                q.val[size_t(c)] = c == right ? 6 : -int(random() % 3);
            }
            for (int s = 0; s < kSpecialityCount; ++s)
                q.flags[size_t(s)] = int(random() % 2);
            bank.questions.append(q);
        }
    }
    return bank;
}

QString programFolderWithBank(int questions)
{
    static std::map<int, std::unique_ptr<QTemporaryDir>> folders;
    auto &dir = folders[questions];
    if (!dir) {
        dir = std::make_unique<QTemporaryDir>();
        // Kept for a profiler run of the programs on them.
        if (!qEnvironmentVariableIsEmpty("QCM_BENCH_KEEP")) {
            dir->setAutoRemove(false);
            qInfo("banque de %d questions : %s", questions, qPrintable(dir->path()));
        }
        QString error;
        if (!writeBank(
                QDir(dir->path()).filePath(QString::fromLatin1(kDefaultBankName)), generatedBank(questions), &error))
            qFatal("%s", qPrintable(error));
    }
    return dir->path();
}

} // namespace qcm::bench
