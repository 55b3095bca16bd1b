#pragma once

#include "TableSource.h"

#include <QByteArray>

#include <memory>

namespace qcm {

// An Access (Jet 3 or Jet 4) file read with libmdb, for reading only: the
// file is opened read-only and never written. Texts and memos come whole,
// however long; a value the library would have to cut, or a row it cannot
// read, is an error, never a shorter value.
//
// libmdb trusts the file it reads: a malformed file may crash it. Only the
// reading process of the program uses this class.
class MdbTableSource final : public TableSource {
public:
    // Whether libmdb can be loaded on this computer.
    static bool libraryAvailable();
    static std::unique_ptr<MdbTableSource> open(const QString &path, QString *error);
    // The same, over a file's bytes held in memory (kept for the reader's life).
    static std::unique_ptr<MdbTableSource> openBytes(const QByteArray &bytes, QString *error);
    ~MdbTableSource() override;

    QStringList tableNames() const override;
    std::optional<QStringList> columns(const QString &table, QString *error) override;
    bool readRows(const QString &table, const RowVisitor &visit, QString *error) override;
    std::optional<qint64> declaredRowCount(const QString &table) const override;

private:
    struct Handle;
    explicit MdbTableSource(std::unique_ptr<Handle> handle);
    static std::unique_ptr<MdbTableSource> start(std::unique_ptr<Handle> handle, QString *error);

    std::unique_ptr<Handle> m;
};

} // namespace qcm
