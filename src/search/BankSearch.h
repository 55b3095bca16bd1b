#pragma once

#include "SearchIndex.h"
#include "state/QCMBas.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace qcm {

// A question found, with what the result list shows of it.
struct SearchHit {
    IndexedQuestion question;
    QString domainTitle; // empty when the domain is not in the table Domaines
    bool inStatement = false;
};

// The search over the bank in use, shared by every window that lists
// questions. Its index is made the first time it is needed and brought up
// to date whenever the bank changed since, whoever changed it; that is the
// only step that may take a while, and it shows its progress.
class BankSearch : public QObject {
    Q_OBJECT

public:
    // A result list never holds more: beyond, the user types another word.
    static constexpr int kResultLimit = 200;

    // The one search of the program's state, made on first use.
    static BankSearch &of(QCMBas &state);

    // The questions matching what was typed (SearchIndex::search). Nothing,
    // with *why in French, when the search could not be made or was stopped.
    std::optional<QList<SearchHit>> find(const QString &typed, int limit = kResultLimit, QString *why = nullptr);
    // Every matching question, for filtering a list.
    std::optional<QuestionSet> matching(const QString &typed, QString *why = nullptr);

    // Where a bank's index is kept: beside the bank, or, when its folder
    // cannot be written, in the program folder under a name drawn from the
    // bank's path.
    static QString besideBank(const QString &bankPath);
    static QString inProgramFolder(const QString &programFolder, const QString &bankPath);
    // The index in use; empty before the first search.
    QString indexPath() const { return m_index ? m_index->path() : QString(); }

private:
    explicit BankSearch(QCMBas &state);
    bool ensureIndex(QString *why);
    bool openIndex(const QString &bankPath, QString *why);
    // Runs a query on an up-to-date index; an index that fails is made again once.
    bool withIndex(const std::function<bool(QString *)> &query, QString *why);

    QCMBas &m_state;
    std::unique_ptr<SearchIndex> m_index;
    QString m_bankPath;
    const Connection *m_connection = nullptr;
    DataVersion m_version;
    bool m_current = false;
};

} // namespace qcm
