#pragma once

#include "Records.h"
#include "Sqlite.h"
#include "StoreQuery.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

namespace qcm {

// A named link to one database file: its record source and, once refreshed,
// the current recordset with its current row. The recordset keeps only the
// row keys in order; a row's values are read when the row becomes current,
// so a bank of tens of thousands of questions refreshes quickly.
class DataBinding {
public:
    explicit DataBinding(QString name = {});
    ~DataBinding();
    DataBinding(const DataBinding &) = delete;
    DataBinding &operator=(const DataBinding &) = delete;

    QString name() const { return m_name; }

    void setDatabaseName(const QString &path);
    QString databaseName() const { return m_path; }
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

    bool findFirst(const StoreQuery &criteria);
    bool noMatch() const { return m_noMatch; }

    bool addNew();
    bool edit();
    bool update();
    void cancelUpdate();
    bool deleteRecord();

    // Names match without regard to letter case. A missing field sets *ok to
    // false and the error "Élément non trouvé dans cette collection.".
    QVariant field(const QString &fieldName, bool *ok = nullptr) const;
    bool setField(const QString &fieldName, const QVariant &value);

    // The current row as a question (absent fields read as absent values).
    Question question() const;

    QString lastError() const { return m_lastError; }

private:
    enum class EditMode { None, Adding, Editing };

    bool fail(const QString &message) const;
    bool ensureConnection();
    bool resolveTable(const QString &wanted, QString &table);
    int columnIndex(const QString &fieldName) const;
    bool whereClause(const QList<Comparison> &comparisons, QString &sql, QVariantList &values);
    bool loadCurrentRow() const;
    bool hasCurrentRow() const;
    void clearRecordset();

    QString m_name;
    QString m_path;
    StoreQuery m_source;
    std::unique_ptr<SqliteDb> m_db;

    bool m_open = false;
    QString m_table;
    QStringList m_columns;
    QHash<QString, int> m_columnByFoldedName;
    bool m_distinct = false;
    QString m_distinctField;
    std::vector<qint64> m_keys;
    std::vector<QVariant> m_distinctValues;
    qint64 m_pos = -1;
    bool m_onDeletedRow = false;
    bool m_noMatch = false;

    EditMode m_editMode = EditMode::None;
    QVariantList m_buffer;

    mutable qint64 m_cachedKey = -1;
    mutable QVariantList m_cachedRow;
    mutable SqliteStatement m_rowStatement;
    mutable QString m_lastError;
};

} // namespace qcm
