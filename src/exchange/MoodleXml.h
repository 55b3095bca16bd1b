#pragma once

#include "ExchangeTypes.h"

#include <QIODevice>

namespace qcm {

// A bank as Moodle's question XML: a category per domain
// ($course$/top/<name>, the code in its idnumber), then its questions as
// multiple-answer multichoice questions whose answers carry the points as a
// percentage of 6; the number travels in the question's idnumber and the
// specialities as tags.
namespace MoodleXml {

ExchangeWrite write(const BankContent &bank);

// Reads a quiz file as it streams in. Questions of another type, answers
// whose fraction is no sixth of 100, more than six answers or pictures are
// refused with the element they stand in.
ExchangeRead read(QIODevice &device, const ReadProgress &progress = {});

} // namespace MoodleXml

} // namespace qcm
