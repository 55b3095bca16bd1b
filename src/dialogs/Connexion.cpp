#include "dialogs/Connexion.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>

namespace qcm::Connexion {

// Any interface that is up and running, not the loopback, with an Internet
// address: what the system can say without asking a server. Read straight
// from the system so that the program need not load a network library at
// every start for a link clicked now and then.
bool IsConnected()
{
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0)
        return false;
    bool connected = false;
    for (const ifaddrs *i = list; i && !connected; i = i->ifa_next) {
        const bool inet = i->ifa_addr && (i->ifa_addr->sa_family == AF_INET || i->ifa_addr->sa_family == AF_INET6);
        connected = inet && (i->ifa_flags & IFF_UP) && (i->ifa_flags & IFF_RUNNING) && !(i->ifa_flags & IFF_LOOPBACK);
    }
    freeifaddrs(list);
    return connected;
}

} // namespace qcm::Connexion
