// A record source and a FindFirst criteria with their bound values, run
// through a data binding against a database of the program's schema.
// Input: one byte saying how many values belong to the source, then the
// source, the criteria and the values, separated by NUL bytes; a value
// "#n" is the whole number n, any other a text. Whatever the texts say, the
// database is only read.
#include "FuzzSupport.h"

#include "bank/BankModel.h"
#include "database/DataBinding.h"
#include "database/Schema.h"
#include "database/Sqlite.h"

using namespace qcm;
using namespace Qt::StringLiterals;

namespace {

QString bankPath;
QByteArray bankBytes;

Question question(const QString &code, qint64 numero, const QString &statement)
{
    Question q{code, numero, statement, {u"Oui"_s, u"Non, l'autre \"réponse\""_s}, {6, -2}, {}};
    q.flags[size_t(numero % kSpecialityCount)] = 1;
    return q;
}

void buildBank()
{
    bankPath = fuzz::scratchPath(u"banque.mdb"_s);
    QFile::remove(bankPath);
    const BankContent bank{{{u"1"_s, u"Météo"_s}, {u"2"_s, u"Matériel"_s}, {u"a"_s, u"Réglementation d'été"_s}},
        {question(u"1"_s, 1, u"Un cumulus ?"_s), question(u"1"_s, 2, u"Le \"foehn\""_s),
            question(u"2"_s, 1, u"L'aile"_s), question(u"a"_s, 7, u"Un ' seul"_s)}};
    QString error;
    SqliteDb db;
    if (!writeBank(bankPath, bank, &error) || !db.open(bankPath, SqliteDb::Mode::ReadWrite, &error)
        || !db.exec(
            QStringLiteral("INSERT INTO QCM (NomQCM, DateMAJ, Code, Numero, \"Libellé\", lib0, val0, \"Spécialité\", "
                           "\"Spé0\") VALUES ('Brevet \"B\"', '01/02/2024', '1', 1, 'Un cumulus ?', 'Oui', 6, 'B', 1), "
                           "('Brevet \"B\"', '01/02/2024', '2', 1, 'L''aile', 'Oui', 99999999999, 'B', 1);"
                           "INSERT INTO \"Spécialité\" VALUES ('Brevet \"B\"', 'B');"
                           "UPDATE Questions SET Val1 = -99999999999, lib2 = '' WHERE Code = 'a';"),
            &error)) {
        std::fprintf(stderr, "cannot build the database: %s\n", qPrintable(error));
        std::abort();
    }
    db.close();
    bankBytes = fuzz::readBytes(bankPath);
}

QVariant valueOf(const QByteArray &bytes)
{
    bool number = false;
    const qint64 n = bytes.startsWith('#') ? bytes.mid(1).toLongLong(&number) : 0;
    return number ? QVariant(n) : QVariant(QString::fromUtf8(bytes));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    buildBank();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QList<QByteArray> parts
        = QByteArray(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1)).split('\0');
    StoreQuery source{QString::fromUtf8(parts.value(0))};
    StoreQuery criteria{QString::fromUtf8(parts.value(1))};
    for (qsizetype i = 2; i < parts.size(); ++i)
        (i - 2 < data[0] % 4 ? source : criteria).values.append(valueOf(parts.at(i)));

    ParsedSelect parsed;
    QString error;
    const bool sourceShape = parseSource(source, parsed, &error);
    FUZZ_CHECK(sourceShape || !error.isEmpty());
    QList<Comparison> comparisons;
    error.clear();
    FUZZ_CHECK(parseCriteria(criteria, comparisons, &error) || !error.isEmpty());

    {
        DataBinding binding(QStringLiteral("fuzz"));
        binding.setDatabaseName(bankPath);
        binding.setRecordSource(source);
        const bool opened = binding.refresh();
        FUZZ_CHECK(!opened || sourceShape);
        FUZZ_CHECK(opened || binding.lastError().isError());
        if (opened) {
            FUZZ_CHECK(binding.eof() == (binding.recordCount() == 0));
            int rows = 0;
            for (binding.moveFirst(); !binding.eof() && rows < 20; binding.moveNext(), ++rows) {
                BankModel(binding.connection()).currentQuestion(binding);
                binding.field(QStringLiteral("NomQCM"));
            }
            binding.moveLast();
            binding.movePrevious();
            if (binding.findFirst(criteria) && !binding.noMatch())
                FUZZ_CHECK(!binding.eof());
        }
    }
    FUZZ_CHECK(fuzz::readBytes(bankPath) == bankBytes);
    return 0;
}
