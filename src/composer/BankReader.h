#pragma once

#include "ComposerRules.h"
#include "bank/BankModel.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace qcm {

// Every question as the composer lists it: its key, its speciality flags and
// its statement. The statements stay in the file's UTF-8, one block for the
// whole bank; a line "Code/Numero- statement" is made only when it is shown
// or used, so that listing a bank of hundreds of thousands of questions costs
// little more than reading it.
class CandidateTable {
public:
    int size() const { return int(m_entries.size()); }
    QString line(int i) const;
    // The line before its first "- ", what identifies the question.
    QString key(int i) const;
    // Whether that key is just "code/number" with a whole number, so that
    // code() and numero() stand for it without making it.
    bool plainKey(int i) const;
    const QString &code(int i) const { return m_entries[size_t(i)].code; }
    // The number as the line reads it (0 when its text is no whole number).
    qint64 numero(int i) const { return m_entries[size_t(i)].numero; }
    unsigned flags(int i) const { return m_entries[size_t(i)].flags; }

private:
    friend class CandidateCache;
    struct Entry {
        QString code; // shared by the questions of a domain
        QString numeroText; // when the file holds no whole number
        qint64 numero = 0;
        bool wholeNumber = true;
        qsizetype at = 0; // the statement in m_text
        qsizetype size = 0;
        unsigned flags = 0; // bit k: the flag of speciality k is 1
    };
    QString prefix(const Entry &e) const;

    std::vector<Entry> m_entries;
    QByteArray m_text;
};

// The candidates of every question, read through the bank model in one pass,
// in the bank's order, and kept while the bank cannot have changed: ticking
// boxes, reopening and saving questionnaires then only filter what was read.
// The practice window keeps datQue where it put it.
class CandidateCache {
public:
    // The positions in table() of every question whose flag is 1 for at least
    // one ticked speciality, each once. A speciality field missing from
    // Questions is the error 3265 (an incomplete bank), whatever is ticked.
    bool lines(const std::shared_ptr<Connection> &connection, const SpecialityTicks &ticked, std::vector<int> &out,
        StoreError *error);
    // What was read last; a new reading makes a new table, so that a list
    // still showing the old one keeps it.
    const std::shared_ptr<const CandidateTable> &table() const { return m_table; }

    // Whether what is kept was read from this connection's bank as it is now.
    bool isCurrent(const std::shared_ptr<Connection> &connection) const;
    // What is kept still holds for this connection: the writes since were
    // known to leave Questions alone, or the same file was opened again.
    void confirm(const std::shared_ptr<Connection> &connection);
    void clear();

private:
    bool read(const BankModel &bank, StoreError *error);

    std::weak_ptr<Connection> m_connection;
    DataVersion m_version;
    std::shared_ptr<const CandidateTable> m_table = std::make_shared<CandidateTable>();
};

} // namespace qcm
