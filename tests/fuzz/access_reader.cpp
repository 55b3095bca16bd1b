// Access files as the reader takes them from libmdb and the conversion maps
// them. libmdb trusts what it reads and may crash, hang or allocate without
// end on a malformed file (the program reads in a process of its own, bounded
// in time and memory, for that); what is checked here is our side: rows as
// wide as their table, reasons for every refusal, and a converted bank whose
// questions the bank's key accepts.
#include "FuzzSupport.h"

#include "access/AccessMapping.h"
#include "access/MdbTableSource.h"

#include <QSet>

using namespace qcm;

namespace {

// The file's tables shown as the tables of a bank, their columns renamed to
// a bank's fields in order: the conversion then meets whatever values the
// library reads, of every type, in every field.
class AsBank : public TableSource {
public:
    explicit AsBank(TableSource &file) : m_file(file), m_real(file.tableNames()) { }

    QStringList tableNames() const override
    {
        return m_real.isEmpty() ? QStringList() : QStringList{kNames, kNames + 4};
    }
    std::optional<QStringList> columns(const QString &table, QString *error) override
    {
        if (!m_file.columns(real(table), error))
            return std::nullopt;
        return fields(table);
    }
    bool readRows(const QString &table, const RowVisitor &visit, QString *error) override
    {
        const qsizetype width = fields(table).size();
        return m_file.readRows(
            real(table),
            [&](const QVariantList &row) {
                QVariantList shown = row.mid(0, width);
                while (shown.size() < width)
                    shown.append(QVariant());
                visit(shown);
            },
            error);
    }

private:
    static inline const QString kNames[4] = {
        QStringLiteral("Questions"), QStringLiteral("Domaines"), QStringLiteral("QCM"), QStringLiteral("Spécialité")};

    QString real(const QString &table) const
    {
        for (qsizetype i = 0; i < 4; ++i)
            if (table == kNames[i])
                return m_real.at(i % m_real.size());
        return table;
    }
    static QStringList fields(const QString &table)
    {
        if (table == kNames[1])
            return {QStringLiteral("Code"), QStringLiteral("Libellé")};
        if (table == kNames[3])
            return {QStringLiteral("NomQCM"), QStringLiteral("Spécialité")};
        QStringList f;
        if (table == kNames[2])
            f << QStringLiteral("NomQCM") << QStringLiteral("DateMAJ");
        f << QStringLiteral("Code") << QStringLiteral("Numero") << QStringLiteral("Libellé");
        for (int k = 0; k < kChoiceCount; ++k)
            f << QStringLiteral("lib%1").arg(k) << QStringLiteral("Val%1").arg(k);
        if (table == kNames[2]) {
            f << QStringLiteral("Spécialité");
            for (int s = 0; s < kSpecialityCount; ++s)
                f << QStringLiteral("Spé%1").arg(s);
        } else {
            for (int s = 0; s < kSpecialityCount; ++s)
                f << QString::fromLatin1(specialityInfo(Speciality(s)).flagField);
        }
        return f;
    }

    TableSource &m_file;
    QStringList m_real;
};

void checkConversion(TableSource &source)
{
    QString refusal;
    const std::optional<ConvertedBank> bank = convertTables(source, &refusal);
    if (!bank) {
        FUZZ_CHECK(!refusal.isEmpty());
        return;
    }
    QSet<QString> keys;
    for (const Question &q : bank->questions) {
        FUZZ_CHECK(!q.code.isEmpty());
        const QString key = q.code.toCaseFolded() + u'/' + QString::number(q.numero);
        FUZZ_CHECK(!keys.contains(key));
        keys.insert(key);
    }
    for (const StoredQuestionnaire &q : bank->questionnaires)
        FUZZ_CHECK(!q.name.isEmpty() && !q.rows.isEmpty());
}

} // namespace

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
    checkConversion(*source);
    AsBank asBank(*source);
    checkConversion(asBank);
    return 0;
}
