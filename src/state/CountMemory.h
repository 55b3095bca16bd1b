#pragma once

#include "database/Connection.h"

#include <QHash>
#include <QString>

#include <optional>

namespace qcm {

// How many questions each domain of the bank holds, kept in the settings
// from one run to the next, so that starting on a large bank need not count
// its first domain again. A count kept is given back only while the file is
// exactly as it was when the count was taken (its stamp) and nothing has
// changed it since it was opened; otherwise the domain is counted.
class CountMemory {
public:
    // What the settings keep for this bank, checked against the file just opened.
    void recall(const QString &iniPath, const QString &bankPath, Connection &connection);
    // The domain's count, if kept and still true of the data of that version.
    std::optional<qint64> count(const QString &code, const DataVersion &version) const;
    // A count taken on the data of that version.
    void note(const QString &code, qint64 count, const DataVersion &version);
    // Writes to the settings the counts still true of the file, when they
    // differ from what the settings hold.
    void keep(const QString &iniPath, const QString &bankPath, Connection &connection);
    void forget();

private:
    struct Counted {
        qint64 count = 0;
        DataVersion version;
    };
    QHash<QString, Counted> m_counts;
    QString m_kept; // what the settings held for this bank (none for another bank)
};

} // namespace qcm
