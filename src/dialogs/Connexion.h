#pragma once

namespace qcm::Connexion {

// True when the system reports a working connection to the Internet.
bool IsConnected();

} // namespace qcm::Connexion
