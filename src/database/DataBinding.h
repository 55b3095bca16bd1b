#pragma once

#include "Connection.h"
#include "Records.h"
#include "StoreError.h"
#include "StoreQuery.h"

#include <QString>
#include <QVariant>

#include <QSet>

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace qcm {

// A named link to one database file: its record source and, once refreshed,
// the current recordset with its current row. The recordset keeps only the
// row keys in order, read as far as the rows used so far; its count comes
// from SQLite's count, and a row's values are read when the row becomes
// current, so a bank of hundreds of thousands of questions binds, refreshes
// and shows its first row quickly. Refreshing a source whose rows cannot
// have changed only goes back to the first row. A row found by findFirst
// is shown at once; its position is counted when first needed.
class DataBinding {
public:
    explicit DataBinding(QString name = {});
    ~DataBinding();
    DataBinding(const DataBinding &) = delete;
    DataBinding &operator=(const DataBinding &) = delete;

    QString name() const { return m_name; }

    // The file, and the connection the program keeps to it. Without a
    // connection of its own the binding opens one when first refreshed.
    void setDatabaseName(const QString &path);
    QString databaseName() const { return m_path; }
    void setConnection(std::shared_ptr<Connection> connection);
    const std::shared_ptr<Connection> &connection() const { return m_connection; }
    void setRecordSource(const StoreQuery &source);
    const StoreQuery &recordSource() const { return m_source; }

    // Runs the record source; positioned on the first row, or at end when empty.
    bool refresh();
    bool isOpen() const { return m_open; }
    void closeDatabase();

    bool eof() const;
    bool bof() const;
    bool moveFirst();
    bool moveLast();
    bool moveNext();
    bool movePrevious();
    bool move(qint64 rows);
    qint64 recordCount() const;
    // The version of the data the recordset's rows are read from (its first
    // rows are read if they were not); an empty version when they cannot be.
    DataVersion dataVersion() const;
    // A count known from elsewhere for this recordset, on the data of that
    // version: taken instead of counting when the version is still the
    // recordset's and the rows already read allow it.
    bool assumeCount(qint64 count, const DataVersion &validFor);
    // 0-based position of the current row in the recordset.
    qint64 position() const;

    bool findFirst(const StoreQuery &criteria);
    bool noMatch() const { return m_noMatch; }

    bool addNew();
    bool edit();
    bool update();
    void cancelUpdate();
    bool deleteRecord();

    // Names match without regard to letter case. A missing field sets *ok to
    // false and the error "Élément non trouvé dans cette collection." (3265).
    QVariant field(const QString &fieldName, bool *ok = nullptr) const;
    bool setField(const QString &fieldName, const QVariant &value);

    // The table the recordset reads, as the file names it; empty before a refresh.
    QString tableName() const;
    // The file's key of the current row (its rowid), for a reader that wants
    // the row whole; nothing when there is no current row.
    std::optional<qint64> currentRowId() const;

    const StoreError &lastError() const { return m_lastError; }

private:
    enum class EditMode { None, Adding, Editing };

    bool fail(const StoreError &error) const;
    bool fail(StoreErrorKind kind, const QString &description = {}) const;
    bool ensureConnection();
    bool whereClause(const QList<Comparison> &comparisons, QString &sql, QVariantList &values) const;
    // Every key; or the keys up to that position.
    bool ensureKeys() const;
    bool ensureKeyAt(qint64 position) const;
    // A key to read a row by: a position far past the keys read so far is
    // read with the few keys before it, not with every key before it.
    qint64 keyAt(qint64 position) const;
    bool readKeysAround(qint64 position) const;
    void preparePlacing(
        const TableInfo &table, const ParsedSelect &parsed, const QString &where, const QStringList &order);
    enum class Membership { Countable, Outside, Unknown };
    SqliteStatement *placing(const QString &sql, const QVariantList &values) const;
    Membership membership(qint64 row) const;
    std::optional<qint64> countedPosition(qint64 row, bool *nullsBefore) const;
    void readKeysBeside(qint64 position, qint64 row, bool before) const;
    std::optional<bool> placeOnFirstOf(const QSet<qint64> &rows);
    void settlePosition() const;
    qint64 currentKey() const;
    bool loadCurrentRow() const;
    bool hasCurrentRow() const;
    void clearRecordset();

    QString m_name;
    QString m_path;
    StoreQuery m_source;
    std::shared_ptr<Connection> m_connection;

    bool m_open = false;
    const TableInfo *m_table = nullptr;
    bool m_distinct = false;
    int m_distinctColumn = -1;
    QString m_selectSql;
    QString m_countSql;
    QString m_rankSql;
    QString m_memberSql;
    QString m_afterSql;
    QString m_beforeSql;
    // How many times each count of m_rankSql binds the row placed.
    std::vector<int> m_rankBinds;
    // The columns whose change can move a row in or out of its place.
    std::vector<int> m_placeColumns;
    QVariantList m_selectValues;

    // Filled on first use after a refresh, and kept while the source and the
    // data stay the same.
    mutable bool m_keysLoaded = false;
    mutable QString m_keysSql;
    mutable QVariantList m_keysValues;
    mutable DataVersion m_keysVersion;
    mutable std::vector<qint64> m_keys;
    // Whether m_keys holds every key, not only the first ones; the count
    // of rows when known without them.
    mutable bool m_keysComplete = false;
    mutable qint64 m_keysPart = 64;
    // Keys read at positions past m_keys, by position.
    mutable std::map<qint64, qint64> m_farKeys;
    mutable qint64 m_count = -1;
    // The counts of the sources counted before, while the file is unchanged:
    // going back to a domain counts nothing again.
    struct KnownCount {
        QString sql;
        QVariantList values;
        qint64 count;
    };
    mutable std::vector<KnownCount> m_knownCounts;
    mutable DataVersion m_knownCountsVersion;
    // Those of the data the keys were read from; the recordset's own count added to them.
    std::vector<KnownCount> &knownCounts() const;
    void addKnownCount() const;
    mutable std::vector<QVariant> m_distinctValues;

    mutable qint64 m_pos = -1;
    // The current row when found by findFirst, until its position is first
    // needed: showing a found row counts nothing.
    mutable std::optional<qint64> m_anchor;
    bool m_onDeletedRow = false;
    bool m_noMatch = false;

    EditMode m_editMode = EditMode::None;
    QVariantList m_buffer;

    mutable qint64 m_cachedKey = -1;
    mutable QVariantList m_cachedRow;
    mutable StoreError m_lastError;
};

// Puts a binding back on the record source and row it had, at restore() or
// at the end of the scope: the practice window reads its questions through
// datQue and must find them where it left them.
class BindingPlace {
public:
    explicit BindingPlace(DataBinding &binding);
    ~BindingPlace() { restore(); }
    BindingPlace(const BindingPlace &) = delete;
    BindingPlace &operator=(const BindingPlace &) = delete;
    void restore();

private:
    DataBinding &m_binding;
    StoreQuery m_source;
    qint64 m_position;
    bool m_done = false;
};

} // namespace qcm
