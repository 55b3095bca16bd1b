// The floor of the start-up benchmark: the practice window as the program
// builds it, with its look and fonts, its domains and first question put on
// it from memory without reading a bank; ended as soon as the question is
// painted, or kept open when QCM_BENCH_STAY is set (for its memory).
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
    QStringList entries;
    for (int d = 1; d <= 10; ++d)
        entries << QStringLiteral("%1 - Domaine %2").arg(d % 10).arg(d);
    runner.lstDomaine()->addItems(entries);
    Question q;
    q.code = QStringLiteral("1");
    q.numero = 1;
    q.libelle = QStringLiteral("Quand la voile se met en incidence négative après un thermique, que faut-il faire "
                               "d'abord pour garder la finesse et l'altitude ?");
    for (int c = 0; c < 5; ++c) {
        q.lib[size_t(c)] = QStringLiteral("Réponse %1 : agir sur la sellette et attendre le vent").arg(c + 1);
        q.val[size_t(c)] = c == 2 ? 6 : -1;
    }
    runner.lbl(1)->setText(QStringLiteral("Question n° 1 sur 20000"));
    runner.displayQuestion(q);
    runner.ApplyLearnMode();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        runner.setGeometry(screen->availableGeometry());
    runner.showMaximized();
    runner.activateWindow();
    return QApplication::exec();
}
