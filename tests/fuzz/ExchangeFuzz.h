#pragma once

// Shared by the three readers of exchanged banks. Whatever the input, the
// reader answers; what it accepts and the editor's rules let in, written
// again in the same format and read back, gives the same questions and
// domains: nothing is lost or changed on the way through a file.
#include "FuzzSupport.h"

#include "exchange/CsvFormat.h"
#include "exchange/ExchangeFile.h"
#include "exchange/GiftFormat.h"
#include "exchange/ImportPlan.h"
#include "exchange/MoodleXml.h"

#include <QBuffer>

namespace qcm::fuzz {

inline ExchangeRead readExchange(ExchangeFormat format, const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return Exchange::readDevice(buffer, format);
}

// Plans against an empty bank, made once and never written.
inline ImportPlan planIntoEmptyBank(const ExchangeRead &read)
{
    static const std::shared_ptr<Connection> empty = [] {
        const QString path = scratchPath(QStringLiteral("vide.zov"));
        QFile::remove(path);
        QString error;
        FUZZ_CHECK(Schema::create(path, &error));
        StoreError e;
        auto connection = Connection::open(path, &e);
        FUZZ_CHECK(connection);
        return connection;
    }();
    ImportPlanner planner(read);
    StoreError error;
    FUZZ_CHECK(planner.load(BankModel(empty), &error));
    return planner.plan();
}

inline int exchangeRoundTrip(ExchangeFormat format, const uint8_t *data, size_t size)
{
    const ExchangeRead read = readExchange(format, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (read.failed())
        return 0;
    for (const ImportRefusal &r : read.refused)
        FUZZ_CHECK(!r.where.isEmpty() && !r.reason.isEmpty());
    const ImportPlan first = planIntoEmptyBank(read);
    FUZZ_CHECK(first.replacements.isEmpty() && first.unchanged == 0);

    if (first.added.isEmpty() && first.newDomains.isEmpty())
        return 0;
    BankContent content{first.newDomains, {}};
    for (const PlannedQuestion &q : first.added)
        content.questions.append(q.question);
    const ExchangeWrite written = Exchange::writeContent(content, format);
    QList<Question> expected;
    for (const Question &q : std::as_const(content.questions))
        if (std::none_of(written.refused.cbegin(), written.refused.cend(),
                [&q](const ImportRefusal &r) { return r.where == Exchange::reference(q.code, q.numero); }))
            expected.append(q);

    const ExchangeRead again = readExchange(format, written.bytes);
    if (again.failed())
        std::fprintf(stderr, "%s\n", qPrintable(again.error));
    FUZZ_CHECK(!again.failed());
    const ImportPlan second = planIntoEmptyBank(again);
    for (const ImportRefusal &r : second.refused)
        std::fprintf(stderr, "%s\n", qPrintable(r.text()));
    FUZZ_CHECK(second.refused.isEmpty());
    FUZZ_CHECK(second.added.size() == expected.size());
    // Written grouped by domain: compared in the bank's order.
    auto bankOrder = [](const Question &a, const Question &b) {
        const int codes = a.code.compare(b.code, Qt::CaseInsensitive);
        return codes != 0 ? codes < 0 : a.numero < b.numero;
    };
    QList<Question> got;
    for (const PlannedQuestion &q : second.added)
        got.append(q.question);
    std::sort(expected.begin(), expected.end(), bankOrder);
    std::sort(got.begin(), got.end(), bankOrder);
    for (qsizetype i = 0; i < expected.size(); ++i)
        FUZZ_CHECK(sameQuestion(got.at(i), expected.at(i)));
    if (written.refused.isEmpty()) {
        FUZZ_CHECK(second.newDomains.size() == first.newDomains.size());
        for (qsizetype i = 0; i < first.newDomains.size(); ++i)
            FUZZ_CHECK(second.newDomains.at(i).code == first.newDomains.at(i).code
                && second.newDomains.at(i).libelle == first.newDomains.at(i).libelle);
    }
    return 0;
}

} // namespace qcm::fuzz
