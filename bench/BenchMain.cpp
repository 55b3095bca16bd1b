// The main of every Google Benchmark program here: the windows the
// benchmarks show need an application, offscreen unless told otherwise.
#include <QApplication>

#include <benchmark/benchmark.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform says at every window that it cannot raise it.
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false;default.warning=false");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
