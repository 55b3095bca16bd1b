#pragma once

#include "ExchangeTypes.h"
#include "bank/BankModel.h"

#include <QByteArrayView>
#include <QStringList>

#include <optional>
#include <variant>

namespace qcm::Exchange {

// Files above this size are refused before they are read: a bank of 200,000
// questions takes under half of it even in Moodle XML, the largest format.
inline constexpr qint64 kLargestFile = qint64(512) << 20;

// The format of a file from its first bytes, or why it is in none of them.
std::variant<ExchangeFormat, QString> detectFormat(QByteArrayView start);

// Reads a file in whichever format its content shows. A failure to read it
// as a whole is in error(), in French, lower case, without the file's name.
ExchangeRead readFile(const QString &path, const ReadProgress &progress = {});
// Reads an open device in the given format.
ExchangeRead readDevice(QIODevice &device, ExchangeFormat format, const ReadProgress &progress = {});

// The domains and questions an export takes from the bank, in the bank's
// order: every one, or those of the given domain codes.
std::optional<BankContent> exportContent(
    const BankModel &bank, const std::optional<QStringList> &domainCodes, StoreError *error);

struct ExportOutcome {
    bool written = false;
    QString error; // why nothing was written, in French, lower case
    int questionsWritten = 0;
    int domainsWritten = 0;
    QList<ImportRefusal> refused; // questions the format could not carry
};

ExchangeWrite writeContent(const BankContent &content, ExchangeFormat format);
// Writes the content through the checked atomic writer: the file is whole
// or left as it was; a full disk is said as such.
ExportOutcome writeFile(const QString &path, const BankContent &content, ExchangeFormat format);

} // namespace qcm::Exchange
