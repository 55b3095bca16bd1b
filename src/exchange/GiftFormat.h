#pragma once

#include "ExchangeTypes.h"

#include <QIODevice>

namespace qcm {

// A bank in Moodle's GIFT text format: a $CATEGORY line per domain (its code
// in a "// [code:…]" comment), then each question with its number and
// specialities in a "// [id:…] [tag:…]" comment and every answer written
// ~%percent%text, never =, so that Moodle takes it as a multiple-answer
// question. The characters ~ = # { } : and the backslash are escaped with a
// backslash, a line break is written \n.
namespace Gift {

ExchangeWrite write(const BankContent &bank);

// Reads the device in pieces; a blank line ends a question, as in Moodle.
ExchangeRead read(QIODevice &device, const ReadProgress &progress = {});

// The text with GIFT's escapes applied.
QString escaped(const QString &text);

} // namespace Gift

} // namespace qcm
