#pragma once

#include "database/Connection.h"
#include "database/Records.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;

namespace qcm {

// A question as the index keeps it, to show it among the results without
// going back to the bank.
struct IndexedQuestion {
    QString code;
    qint64 numero = 0;
    QString statement;
    std::array<QString, kChoiceCount> choices;
};

struct IndexHit {
    IndexedQuestion question;
    // Found by its statement (these come first), else by one of its choices
    // or by its reference.
    bool inStatement = false;
};

// Questions by code and number, as a filter over a long list asks about
// them: no text is made per question, so that a word found in most of a
// bank of 200,000 questions is answered quickly.
class QuestionSet {
public:
    void add(QByteArrayView code, qint64 numero);
    // Once every question is in: makes contains fast.
    void finish();
    bool contains(QStringView code, qint64 numero) const;
    qsizetype size() const { return m_size; }

private:
    // Few domains, many numbers each.
    std::vector<std::pair<QString, std::vector<qint64>>> m_byCode;
    QByteArray m_lastCode;
    qsizetype m_size = 0;
};

// What says, without reading a row, whether a bank file may have changed:
// its size, its time of change, the change counter SQLite keeps in its header
// and the write-ahead log beside it. Another program's change moves it too.
QString bankStamp(const QString &bankPath);

// The full-text index of a bank's questions, in a file of its own: the
// statements and choices folded for searching, and the texts to show. It is
// brought up to date from the bank by comparing each question's digest, so
// that one edited question costs one row, and a new index costs one pass.
class SearchIndex {
public:
    ~SearchIndex();
    SearchIndex(const SearchIndex &) = delete;
    SearchIndex &operator=(const SearchIndex &) = delete;

    // Opens the index file, creating it when missing. A file of an older
    // layout is emptied; a file that cannot be written or is no database is
    // refused (nullptr, *error in French).
    static std::unique_ptr<SearchIndex> open(const QString &path, QString *error);

    QString path() const { return m_path; }
    // The bank stamp recorded by the last complete update; empty before.
    QString stamp() const { return m_stamp; }

    enum class Update { Done, Canceled, Failed };
    // done and total count questions; returning false stops and leaves the index as it was.
    using ProgressFn = std::function<bool(qint64 done, qint64 total)>;
    // Brings the index in line with the bank's table Questions, in one transaction.
    Update update(Connection &bank, const QString &bankStamp, const ProgressFn &progress, QString *error);

    // The questions whose words start with every typed word, those matching
    // by their statement first, each group in the bank's order, at most
    // limit; a question typed by its reference comes before all.
    std::optional<std::vector<IndexHit>> search(const QString &typed, int limit, QString *error);
    // Every question matching, for filtering a list.
    std::optional<QuestionSet> matching(const QString &typed, QString *error);

    qint64 questionCount() const;
    // How many questions the bank holds; nothing when its table cannot be read.
    static std::optional<qint64> bankQuestionCount(Connection &bank, StoreError *error = nullptr);

private:
    explicit SearchIndex(QString path) : m_path(std::move(path)) { }
    bool prepareSchema(QString *error);
    bool exec(const char *sql, QString *error);
    QString lastError() const;

    QString m_path;
    sqlite3 *m_db = nullptr;
    QString m_stamp;
};

} // namespace qcm
