// Start-up of the program, from main to the first question painted, on
// generated banks with the files shipped beside the program (the splash
// included), against two yardsticks timed in the same run: the floor (the
// practice window filled from memory, no bank) and a bare full-screen Qt
// window. Each program runs as a whole process, in turn; the medians of wall
// and CPU time are compared, then the resident memory of each 4 s after its
// start. The timed runs come after a first one, as a user's next start does:
// they find the first domain's count that the run before kept.
//
//   qcm_startup_bench [runs]
#include "BenchSupport.h"

#include "state/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace qcm::bench;

namespace {

struct Run {
    double wallMs = 0;
    double cpuMs = 0;
};

double childrenCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

Run runOnce(const QString &program)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const double cpuBefore = childrenCpuMs();
    QElapsedTimer timer;
    timer.start();
    process.start(program, {});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        qFatal("%s did not end cleanly", qPrintable(program));
    return {double(timer.nsecsElapsed()) / 1e6, childrenCpuMs() - cpuBefore};
}

// Resident memory in kB once the program has run for that long.
long residentAfter(const QString &program, int milliseconds)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QCM_BENCH_STAY"), QStringLiteral("1"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, {});
    if (!process.waitForStarted())
        qFatal("%s did not start", qPrintable(program));
    QThread::msleep(milliseconds);
    long kb = -1;
    QFile status(QStringLiteral("/proc/%1/status").arg(process.processId()));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                kb = line.mid(6).trimmed().split(' ').value(0).toLong();
    process.kill();
    process.waitForFinished();
    return kb;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The program and its shipped files (not the sample bank: the generated one
// stands in its place), in the folder of a generated bank.
QString installInto(const QString &folder)
{
    const QString here = QCoreApplication::applicationDirPath();
    const QDir shipped(QStringLiteral(QCM_SHIPPED_FILES));
    for (const QString &name : shipped.entryList(QDir::Files))
        if (!name.endsWith(QLatin1String(".zov")) && !QFile::exists(QDir(folder).filePath(name)))
            QFile::copy(shipped.filePath(name), QDir(folder).filePath(name));
    if (!QFile::exists(QDir(folder).filePath(QStringLiteral("QCM.BMP"))))
        qFatal("the splash is not among the shipped files in %s", QCM_SHIPPED_FILES);
    const QString program = folder + QStringLiteral("/qcm-startbench");
    QFile::remove(program);
    if (!QFile::copy(here + QStringLiteral("/qcm-startbench"), program))
        qFatal("cannot copy the program into %s", qPrintable(folder));
    return program;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const int runs = argc > 1 ? std::max(3, atoi(argv[1])) : 11;
    const QString here = QCoreApplication::applicationDirPath();
    const QString bare = here + QStringLiteral("/qcm-barewindow");
    const QString floor = here + QStringLiteral("/qcm-floorwindow");
    std::printf("%-9s %21s %21s %21s %15s\n", "", "program", "floor", "bare", "program /");
    std::printf("%-9s %10s %10s %10s %10s %10s %10s %7s %7s\n", "questions", "wall ms", "cpu ms", "wall ms", "cpu ms",
        "wall ms", "cpu ms", "floor", "bare");
    QString largest;
    for (int questions : {2000, 20000, 200000}) {
        const QString program = installInto(programFolderWithBank(questions));
        largest = program;
        for (const QString &p : {program, floor, bare})
            runOnce(p); // warm the file cache
        std::vector<double> pw, pc, fw, fc, bw, bc, toFloor, toBare;
        for (int i = 0; i < runs; ++i) {
            const Run a = runOnce(program), f = runOnce(floor), b = runOnce(bare);
            pw.push_back(a.wallMs), pc.push_back(a.cpuMs), fw.push_back(f.wallMs), fc.push_back(f.cpuMs);
            bw.push_back(b.wallMs), bc.push_back(b.cpuMs);
            toFloor.push_back(a.cpuMs / f.cpuMs), toBare.push_back(a.cpuMs / b.cpuMs);
        }
        std::printf("%-9d %10.1f %10.1f %10.1f %10.1f %10.1f %10.1f %7.2f %7.2f\n", questions, median(pw), median(pc),
            median(fw), median(fc), median(bw), median(bc), median(toFloor), median(toBare));
    }
    std::printf("(ratios: CPU time, medians of the ratios of each round)\n\n");
    const long p = residentAfter(largest, 4000), f = residentAfter(floor, 4000), b = residentAfter(bare, 4000);
    std::printf("resident 4 s after start, 200000 questions: program %ld kB, floor %ld kB, bare %ld kB (%.2f x bare)\n",
        p, f, b, double(p) / double(b));
    return 0;
}
