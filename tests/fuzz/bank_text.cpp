// The text form of a question bank, as read by the bank builder. What the
// reader accepts and the points rules let through, the database takes.
#include "FuzzSupport.h"

#include "database/BankText.h"
#include "database/Sqlite.h"

#include <QRegularExpression>

using namespace qcm;

namespace {

qint64 rowCount(SqliteDb &db, const QString &table)
{
    SqliteStatement st = db.prepare(QStringLiteral("SELECT count(*) FROM ") + table);
    return st.step() ? st.columnInt64(0) : -1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    BankContent bank;
    QString error;
    if (!parseBankText(text, bank, &error)) {
        // The faulty line is named, and it is a line of the text.
        static const QRegularExpression line(QStringLiteral("^ligne (\\d+) : "));
        const QRegularExpressionMatch m = line.match(error);
        FUZZ_CHECK(m.hasMatch() || error.startsWith(QStringLiteral("fin du texte")));
        FUZZ_CHECK(!m.hasMatch() || m.captured(1).toLongLong() <= text.count(u'\n') + 1);
        return 0;
    }
    for (const Question &q : bank.questions)
        if (!pointsRuleViolation(q).isEmpty())
            return 0;

    const QString path = fuzz::scratchPath(QStringLiteral("banque.mdb"));
    QFile::remove(path);
    const bool written = writeBank(path, bank, &error);
    if (!written)
        std::fprintf(stderr, "%s\n", qPrintable(error));
    FUZZ_CHECK(written);
    SqliteDb db;
    FUZZ_CHECK(db.open(path, SqliteDb::Mode::ReadOnly));
    FUZZ_CHECK(rowCount(db, QStringLiteral("Domaines")) == bank.domains.size());
    FUZZ_CHECK(rowCount(db, QStringLiteral("Questions")) == bank.questions.size());
    return 0;
}
