#pragma once

#include "ComposerRules.h"
#include "bank/BankModel.h"

#include <QString>

#include <memory>
#include <vector>

namespace qcm {

// The candidate line and speciality flags of every question, read through the
// bank model in one pass, in the bank's order, and kept while the bank cannot
// have changed: ticking boxes, reopening and saving questionnaires then only
// filter what was read. Tens of thousands of lines are listed at once, and
// the practice window keeps datQue where it put it.
class CandidateCache {
public:
    // The candidate lines of every question whose flag is 1 for at least one
    // ticked speciality, each once. A speciality field missing from Questions
    // is the error 3265 (an incomplete bank), whatever is ticked.
    bool lines(const std::shared_ptr<Connection> &connection, const SpecialityTicks &ticked, std::vector<QString> &out,
        StoreError *error);

    // Whether what is kept was read from this connection's bank as it is now.
    bool isCurrent(const std::shared_ptr<Connection> &connection) const;
    // What is kept still holds for this connection: the writes since were
    // known to leave Questions alone, or the same file was opened again.
    void confirm(const std::shared_ptr<Connection> &connection);
    void clear();

private:
    struct Entry {
        QString line;
        unsigned flags = 0; // bit k: the flag of speciality k is 1
    };
    bool read(const BankModel &bank, StoreError *error);

    std::weak_ptr<Connection> m_connection;
    DataVersion m_version;
    std::vector<Entry> m_entries;
};

} // namespace qcm
