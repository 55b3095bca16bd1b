#include "SoakSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStringList>

#include <cstdio>
#include <optional>

// The random-operation soak of the whole program.
//
//   soak_tests                        the fixed seeds of the test suite
//   soak_tests --seed N [--ops N]     one run, replayed exactly
//   soak_tests --seconds S [--seed N] new seeds (or N, N+1…) until S seconds have passed
//   --questions N                     a generated bank of N questions instead of the sample
//
// Each run goes in a process of its own, so that a crash is reported with
// its seed and the operations that led to it, and the next run goes on.

using namespace qcm::soak;
using namespace Qt::StringLiterals;

namespace {

const QList<quint64> kFixedSeeds{20261206, 1, 77};
constexpr int kFixedOperations = 2000;
constexpr int kLargeBank = 20000;

void print(const QString &text)
{
    std::fputs(text.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

struct Arguments {
    std::optional<quint64> seed;
    std::optional<int> operations, seconds;
    int questions = 0;
    bool child = false;
};

std::optional<Arguments> parse(const QStringList &args)
{
    Arguments a;
    for (int i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        const bool hasValue = i + 1 < args.size();
        bool ok = true;
        if (arg == u"--child")
            a.child = true;
        else if (arg == u"--seed" && hasValue)
            a.seed = args[++i].toULongLong(&ok);
        else if (arg == u"--ops" && hasValue)
            a.operations = args[++i].toInt(&ok);
        else if (arg == u"--seconds" && hasValue)
            a.seconds = args[++i].toInt(&ok);
        else if (arg == u"--questions" && hasValue)
            a.questions = args[++i].toInt(&ok);
        else
            ok = false;
        if (!ok) {
            print(u"soak_tests: bad argument %1\nusage: soak_tests [--seed N] [--ops N] [--seconds S] "
                  "[--questions N]"_s.arg(arg));
            return std::nullopt;
        }
    }
    return a;
}

// One run in a child process; true when it held. On a failure, the seed, how
// the run ended, the last operations and the line that replays it.
bool runChild(const QString &program, quint64 seed, int operations, int questions)
{
    QStringList args{u"--child"_s, u"--seed"_s, QString::number(seed), u"--ops"_s, QString::number(operations)};
    if (questions > 0)
        args << u"--questions"_s << QString::number(questions);
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer clock;
    clock.start();
    child.start(program, args);
    child.waitForFinished(-1);
    const QStringList log = QString::fromUtf8(child.readAll()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : log)
        if (line.startsWith(u"folder "_s))
            QDir(line.mid(7)).removeRecursively(); // left behind by a crash
    const bool held = child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
    if (held) {
        print(
            u"seed %1: %2 operations held (%3 s)"_s.arg(seed).arg(operations).arg(clock.elapsed() / 1000.0, 0, 'f', 1));
        return true;
    }
    print(u"seed %1: FAILED, %2"_s.arg(seed).arg(child.exitStatus() == QProcess::CrashExit
            ? u"the program crashed"_s
            : u"exit code %1"_s.arg(child.exitCode())));
    // The whole log beside the program, the last operations here.
    const QString logPath = QDir(QCoreApplication::applicationDirPath()).filePath(u"soak-failure-%1.log"_s.arg(seed));
    QFile file(logPath);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(log.join(u'\n').toUtf8() + '\n') > 0)
        print(u"whole log: "_s + logPath);
    print(u"--- last operations ---"_s);
    for (const QString &line : log.mid(std::max<qsizetype>(0, log.size() - 40)))
        print(u"  "_s + line);
    QStringList replay{program, u"--seed"_s, QString::number(seed), u"--ops"_s, QString::number(operations)};
    if (questions > 0)
        replay << u"--questions"_s << QString::number(questions);
    print(u"replay: QT_QPA_PLATFORM=offscreen "_s + replay.join(u' '));
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const std::optional<Arguments> a = parse(args);
    if (!a)
        return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (a->child)
        return runSession({a->seed.value_or(1), a->operations.value_or(kFixedOperations), a->questions});

    QCoreApplication app(argc, argv);
    const QString program = QCoreApplication::applicationFilePath();
    bool held = true;
    if (a->seconds) {
        // New seeds, or those following the one given; every third run on a
        // large bank unless a size was asked for.
        quint64 seed = a->seed.value_or(QRandomGenerator::system()->generate64() % 1000000000);
        QElapsedTimer clock;
        clock.start();
        int runs = 0, failed = 0;
        while (clock.elapsed() < qint64(*a->seconds) * 1000) {
            const int questions = a->questions > 0 ? a->questions : runs % 3 == 2 ? kLargeBank : 0;
            failed += !runChild(program, seed++, a->operations.value_or(kFixedOperations), questions);
            ++runs;
        }
        print(u"%1 runs in %2 s, %3 failed"_s.arg(runs).arg(clock.elapsed() / 1000).arg(failed));
        held = failed == 0;
    } else if (a->seed) {
        held = runChild(program, *a->seed, a->operations.value_or(kFixedOperations), a->questions);
    } else {
        for (quint64 seed : kFixedSeeds)
            held = runChild(program, seed, kFixedOperations, a->questions) && held;
    }
    return held ? 0 : 1;
}
