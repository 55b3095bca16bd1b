// Access files as the reader takes them from libmdb and the conversion maps
// them. libmdb trusts what it reads and may crash on a malformed file (the
// program reads in a process of its own for that); what is checked here is
// our side: rows as wide as their table, reasons for every refusal, and a
// converted bank whose questions the bank's key accepts.
#include "FuzzSupport.h"

#include "access/AccessMapping.h"
#include "access/MdbTableSource.h"

#include <QSet>

using namespace qcm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString error;
    const std::unique_ptr<MdbTableSource> source
        = MdbTableSource::openBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), &error);
    if (!source) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    for (const QString &table : source->tableNames()) {
        const std::optional<QStringList> columns = source->columns(table, &error);
        if (!columns) {
            FUZZ_CHECK(!error.isEmpty());
            continue;
        }
        error.clear();
        if (!source->readRows(
                table, [&](const QVariantList &row) { FUZZ_CHECK(row.size() == columns->size()); }, &error))
            FUZZ_CHECK(!error.isEmpty());
    }
    QString refusal;
    const std::optional<ConvertedBank> bank = convertTables(*source, &refusal);
    if (!bank) {
        FUZZ_CHECK(!refusal.isEmpty());
        return 0;
    }
    QSet<QString> keys;
    for (const Question &q : bank->questions) {
        FUZZ_CHECK(!q.code.isEmpty());
        const QString key = q.code.toCaseFolded() + u'/' + QString::number(q.numero);
        FUZZ_CHECK(!keys.contains(key));
        keys.insert(key);
    }
    return 0;
}
