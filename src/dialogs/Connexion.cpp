#include "dialogs/Connexion.h"

#include <QNetworkInformation>
#include <QNetworkInterface>

namespace qcm::Connexion {

bool IsConnected()
{
    if (QNetworkInformation::loadDefaultBackend()) {
        const QNetworkInformation *info = QNetworkInformation::instance();
        if (info && info->supports(QNetworkInformation::Feature::Reachability)
            && info->reachability() != QNetworkInformation::Reachability::Unknown)
            return info->reachability() == QNetworkInformation::Reachability::Online;
    }
    // No backend that knows: any interface that is up and has an address will do.
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        const auto flags = iface.flags();
        if (flags.testFlag(QNetworkInterface::IsUp) && flags.testFlag(QNetworkInterface::IsRunning)
            && !flags.testFlag(QNetworkInterface::IsLoopBack) && !iface.addressEntries().isEmpty())
            return true;
    }
    return false;
}

} // namespace qcm::Connexion
