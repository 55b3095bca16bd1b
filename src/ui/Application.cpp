#include "Application.h"

#include "KeyboardMenus.h"
#include "state/QCMBas.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace qcm {

void configureApplication()
{
    QApplication::setApplicationName(QStringLiteral("qcm"));
    QApplication::setApplicationVersion(QCMBas::VersionText());
    installShiftF10Menus();

    const QLocale french(QLocale::French, QLocale::France);
    QLocale::setDefault(french);
    auto *qtTexts = new QTranslator(qApp);
    if (qtTexts->load(
            french, QStringLiteral("qtbase"), QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qtTexts);
    else
        delete qtTexts;
}

} // namespace qcm
