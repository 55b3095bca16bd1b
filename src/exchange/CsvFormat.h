#pragma once

#include "ExchangeTypes.h"

#include <QIODevice>

namespace qcm {

// A bank as a spreadsheet: UTF-8, one line per question (domain code and
// name, number, statement, then for A to F the choice and its points, then
// the six speciality flags 0/1) under a first line that names the columns in
// French. A line with a domain and nothing else declares a domain without
// questions.
namespace Csv {

// The column names, in the order they are written.
const QStringList &columnNames();

// With a byte-order mark, semicolons, RFC 4180 quoting, CRLF line ends.
ExchangeWrite write(const BankContent &bank);

// Reads the device to its end, in pieces: the separator (semicolon, comma or
// tab) is found on the first line, the columns by their names in any order,
// a byte-order mark is optional. Fields may be quoted and hold separators,
// quotes and line breaks.
ExchangeRead read(QIODevice &device, const ReadProgress &progress = {});

// Whether the first line of the text looks like the heading of such a file:
// separated cells, two of which name a column the bank knows.
bool looksLikeHeading(QStringView firstLine);

} // namespace Csv

} // namespace qcm
