// The floor of the start-up benchmark: the practice window as the program
// builds it, with its look and fonts, the generated banks' domains and first
// question put on it from memory without reading a bank, so that both lay
// out and paint the same text; ended as soon as the question is painted, or
// kept open when QCM_BENCH_STAY is set (for its memory).
#include "BenchSupport.h"
#include "runner/fQCM.h"
#include "state/QCMBas.h"
#include "ui/Application.h"

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>

using namespace qcm;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    configureApplication();
    bench::SilentDialogs dialogs;
    QTemporaryDir empty;
    QCMBas state(dialogs, empty.path());
    state.readSettings();
    fQCM runner(state);
    if (qEnvironmentVariableIsEmpty("QCM_BENCH_STAY"))
        QObject::connect(&runner, &fQCM::questionPainted, &app, &QApplication::quit, Qt::QueuedConnection);
    runner.load(); // no bank: the invitation, replaced below
    const BankContent bank = bench::generatedBank(10);
    QStringList entries;
    for (const Domain &d : bank.domains)
        entries << d.code + QStringLiteral("  ") + d.libelle;
    runner.lstDomaine()->addItems(entries);
    const Question &q = bank.questions.first();
    runner.lbl(1)->setText(QStringLiteral("Question n° 1 sur 20000"));
    runner.displayQuestion(q);
    runner.ApplyLearnMode();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        runner.setGeometry(screen->availableGeometry());
    runner.showMaximized();
    runner.activateWindow();
    return QApplication::exec();
}
