#include "app/AppWindows.h"
#include "app/CommandLine.h"
#include "backup/BankBackups.h"
#include "dialogs/WidgetDialogs.h"
#include "recent/RecentBanks.h"
#include "runner/fQCM.h"
#include "state/ProgramFolder.h"
#include "state/QCMBas.h"
#include "ui/Application.h"
#include "ui/Splash.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>

#include <exception>

using namespace qcm;

namespace {

// An unexpected failure in one start-up step is reported and the next step runs.
template <typename Step> void runStep(DialogService &dialogs, Step step)
{
    try {
        step();
    } catch (const std::bad_alloc &) {
        dialogs.MoxBox(
            QStringLiteral("Erreur 7 Mémoire insuffisante."), Icon::Error, QStringLiteral("Erreur innatendue"));
    } catch (const std::exception &e) {
        dialogs.MoxBox(QStringLiteral("Erreur 0 %1.").arg(QString::fromLocal8Bit(e.what())), Icon::Error,
            QStringLiteral("Erreur innatendue"));
    }
}

} // namespace

int main(int argc, char *argv[])
{
    {
        QStringList arguments;
        for (int i = 0; i < argc; ++i)
            arguments << QString::fromLocal8Bit(argv[i]);
        if (const std::optional<int> status = runCommandLine(arguments))
            return *status;
    }
    QApplication app(argc, argv);
    configureApplication();
    // Lets the desktop match the windows to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(QCM_APP_ID));

    WidgetDialogs dialogs;
    QString folderError;
    QCMBas state(dialogs, resolveProgramFolder(QApplication::applicationDirPath(), &folderError));
    // Only ever written, for whoever reads the settings file: a failure to
    // write it costs nothing.
    dialogs.setInBoxPlaceKeeper([&state](int left, int top) {
        state.writeSetting(QStringLiteral("Disposition"), QStringLiteral("fInBox.Left"), QString::number(left));
        state.writeSetting(QStringLiteral("Disposition"), QStringLiteral("fInBox.Top"), QString::number(top));
    });
    if (!folderError.isEmpty())
        dialogs.MoxBox(folderError, Icon::Error, QStringLiteral("Dossier de travail"), QStringLiteral("OK"));

    QPointer<Splash> splash;
    runStep(dialogs, [&] {
        state.readSettings();
        state.removeStaleTemporaries();
    });
    // Both follow the bank from its first binding: which banks were opened,
    // and whether the bank changed since its last backup.
    RecentBanks::follow(state);
    BankBackups::of(state);
    runStep(dialogs, [&] {
        const QString picture = state.AppFolder() + QStringLiteral("QCM.BMP");
        if (QCMBas::FileExists(picture)) {
            const QPixmap pixmap = splashPicture(picture);
            if (!pixmap.isNull()) {
                splash = new Splash(pixmap);
                splash->showNow();
            }
        }
    });
    auto closeSplash = [&splash] {
        if (splash)
            splash->close();
    };
    QObject::connect(&state, &QCMBas::splashCloseRequested, &app, closeSplash);

    fQCM runner(state);
    AppWindows windows(state, runner);
    dialogs.setParentWindow(&runner);
#ifdef QCM_EXIT_AFTER_FIRST_QUESTION
    // Timing build: ends once the first question has been painted, unless
    // kept open to measure its memory.
    if (qEnvironmentVariableIsEmpty("QCM_BENCH_STAY"))
        QObject::connect(&runner, &fQCM::questionPainted, &app, &QApplication::quit, Qt::QueuedConnection);
#endif
    QObject::connect(&runner, &fQCM::splashTimerElapsed, &app, closeSplash);
    // Once the practice window has settled: an exam a crash interrupted is offered again.
    QObject::connect(&runner, &fQCM::splashTimerElapsed, &app, [&windows] { windows.offerExamResume(); });
    QObject::connect(&runner, &fQCM::quitRequested, &app, &QApplication::quit, Qt::QueuedConnection);
    runStep(dialogs, [&] {
        runner.load();
        // Without a window manager to maximise it, the window still fills the screen.
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            runner.setGeometry(screen->availableGeometry());
        runner.showMaximized();
        runner.activateWindow();
        if (splash)
            splash->raise(); // stays above the runner until its timer closes it
    });
    const int status = QApplication::exec();
    runStep(dialogs, [&] { state.keepCounts(); });
    // A bank changed during the run is kept as it was left.
    runStep(dialogs, [&] { BankBackups::of(state).programClosing(); });
    return status;
}
