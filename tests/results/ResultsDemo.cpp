// Opens "Résultats" on a results file filled with a made-up class, for a look
// at the views: qcm-results-demo FOLDER [candidat|classe|questions]
#include "ResultsFiller.h"

#include "dialogs/WidgetDialogs.h"
#include "results/fResultats.h"
#include "state/QCMBas.h"

#include <QApplication>
#include <QDir>

#include <iostream>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::cerr << "qcm-results-demo DOSSIER [candidat|classe|questions]\n";
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + u'/';
    qcm::WidgetDialogs dialogs;
    qcm::QCMBas state(dialogs, folder);
    const QString path = folder + qcm::ResultsStore::fileName();
    const bool fresh = !QFileInfo::exists(path);
    qcm::ResultsOpening opening = qcm::ResultsStore::open(path, QDateTime::currentDateTime());
    if (!opening.store) {
        std::cerr << opening.error.description.toStdString() << '\n';
        return 1;
    }
    if (fresh && !qcm::test::fillClass(*opening.store, 14, 9, 40, 160))
        return 1;
    qcm::ResultsStore *store = opening.store.get();
    qcm::fResultats window(state, [store] { return store; });
    window.show();
    const QString tab = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    window.tabs()->setCurrentIndex(tab == u"classe" ? 1 : tab == u"questions" ? 2 : 0);
    return app.exec();
}
