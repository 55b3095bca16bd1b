// Start-up time of the program, from main to the first question painted, on
// generated banks, against a bare full-screen Qt window timed in the same run.
// Each program runs as a whole process, in turn, and the medians are compared.
//
//   qcm_startup_bench [runs]
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace qcm::bench;

namespace {

double runOnce(const QString &program)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    process.start(program, {});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        qFatal("%s did not end cleanly", qPrintable(program));
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
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
    std::printf("%-10s %12s %12s %8s\n", "questions", "program ms", "bare ms", "ratio");
    for (int questions : {2000, 20000, 200000}) {
        // The program finds its bank beside itself, as a portable install does.
        const QString folder = programFolderWithBank(questions);
        const QString program = folder + QStringLiteral("/qcm-startbench");
        QFile::remove(program);
        if (!QFile::copy(here + QStringLiteral("/qcm-startbench"), program))
            qFatal("cannot copy the program into %s", qPrintable(folder));
        runOnce(program); // warm the file cache
        runOnce(bare);
        std::vector<double> a, b, ratios;
        for (int i = 0; i < runs; ++i) {
            a.push_back(runOnce(program));
            b.push_back(runOnce(bare));
            ratios.push_back(a.back() / b.back());
        }
        std::printf("%-10d %12.1f %12.1f %8.2f\n", questions, median(a), median(b), median(ratios));
    }
    return 0;
}
