#pragma once

#include "ComposerRules.h"
#include "database/Connection.h"

#include <QString>
#include <QVariant>

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace qcm {

// A question of the bank as the composer copies it: the stored values
// themselves, Null kept apart from an empty text.
struct BankRow {
    QString code;
    QVariant numero;
    QString libelle;
    std::array<QVariant, kChoiceCount> lib;
    std::array<QVariant, kChoiceCount> val;
};

// The composer reads the bank in one pass on the shared connection, in the
// bank's order (Code, then Numero), rather than row by row through datQue:
// tens of thousands of questions are listed at once, and the practice window
// keeps datQue where it put it. Values always travel bound.
namespace BankReader {

// The first question with this code and number, and this statement when one is given.
std::optional<BankRow> find(
    Connection &connection, const QString &code, qint64 numero, const QString *statement, StoreError *error);

} // namespace BankReader

// The candidate line and speciality flags of every question, read in one pass
// and kept while the bank cannot have changed: ticking boxes, reopening and
// saving questionnaires then only filter what was read.
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
    bool read(Connection &connection, StoreError *error);

    std::weak_ptr<Connection> m_connection;
    DataVersion m_version;
    std::vector<Entry> m_entries;
};

} // namespace qcm
