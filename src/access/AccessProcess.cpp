#include "AccessProcess.h"

#include "AccessReading.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace qcm {

namespace {

#ifdef Q_OS_UNIX
// The address space of the reading process.
constexpr rlim_t kReaderMemory = rlim_t(2) * 1024 * 1024 * 1024;
#endif

QString &readerProgram()
{
    static QString program;
    return program;
}

AccessReadOutcome failed(const QString &why)
{
    return {AccessReadOutcome::Result::Failed, {}, why};
}

} // namespace

void setAccessReaderProgram(const QString &program)
{
    readerProgram() = program;
}

QString accessReaderProgram()
{
    return readerProgram().isEmpty() ? QCoreApplication::applicationFilePath() : readerProgram();
}

AccessReadOutcome readAccessInOwnProcess(
    DialogService &dialogs, const QString &original, const QString &bankPath, std::chrono::milliseconds timeout)
{
    QProcess process;
    process.setProgram(accessReaderProgram());
    process.setArguments({QStringLiteral("--lire-access"), original, bankPath});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MDBICONV"), QStringLiteral("UTF-8"));
    environment.remove(QStringLiteral("MDBOPTS"));
    process.setProcessEnvironment(environment);
    // What the library says of a damaged file is for no one, and an unread
    // pipe that fills up would stall the reading.
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
#ifdef Q_OS_UNIX
    // Some malformed files send the library allocating without end: the
    // reading stops at a bound far above what a real bank needs, instead of
    // taking the machine's memory. A crash leaves no core file behind.
    process.setChildProcessModifier([] {
        const rlimit none{0, 0};
        setrlimit(RLIMIT_CORE, &none);
        rlimit memory{};
        if (getrlimit(RLIMIT_AS, &memory) == 0
            && (memory.rlim_cur == RLIM_INFINITY || memory.rlim_cur > kReaderMemory)) {
            memory.rlim_cur = kReaderMemory;
            setrlimit(RLIMIT_AS, &memory);
        }
    });
#endif
    process.start();
    if (!process.waitForStarted(30'000))
        return failed(QStringLiteral("le programme de lecture n'a pas pu être lancé (%1)").arg(process.errorString()));

    const std::unique_ptr<Progress> progress = dialogs.progress({QStringLiteral("Conversion de la base Access"),
        QStringLiteral("Lecture de « %1 »…").arg(QFileInfo(original).fileName()), 0, true});
    QElapsedTimer clock;
    clock.start();
    bool canceled = false, timedOut = false;
    while (!process.waitForFinished(50) && process.state() != QProcess::NotRunning) {
        if (!progress->advance(0)) {
            canceled = true;
            break;
        }
        if (clock.elapsed() > timeout.count()) {
            timedOut = true;
            break;
        }
    }
    if (canceled || timedOut) {
        process.kill();
        process.waitForFinished(10'000);
        QFile::remove(bankPath);
    }
    if (canceled)
        return {AccessReadOutcome::Result::Canceled, {}, {}};
    if (timedOut)
        return failed(QStringLiteral("la lecture durait encore après %1 secondes et a été arrêtée : le fichier est "
                                     "sans doute abîmé")
                          .arg(std::chrono::duration_cast<std::chrono::seconds>(timeout).count()));
    if (process.exitStatus() == QProcess::CrashExit)
        return failed(QStringLiteral("la lecture s'est arrêtée net, la bibliothèque qui lit les bases Access n'ayant "
                                     "pas supporté ce fichier : il est sans doute abîmé"));

    QFile reportFile(accessReportPath(bankPath));
    const std::optional<ConversionReport> report
        = reportFile.open(QIODevice::ReadOnly) ? ConversionReport::fromJson(reportFile.readAll()) : std::nullopt;
    if (!report)
        return failed(QStringLiteral("le programme de lecture n'a rendu aucun rapport (code de sortie %1)")
                          .arg(process.exitCode()));
    if (report->status != ConversionReport::Status::Converted || process.exitCode() != 0
        || !QFileInfo(bankPath).isFile())
        return failed(report->message.isEmpty()
                ? QStringLiteral("le programme de lecture a échoué (code de sortie %1)").arg(process.exitCode())
                : report->message);
    return {AccessReadOutcome::Result::Converted, *report, {}};
}

} // namespace qcm
