// The reader of a bank in Moodle's GIFT text format; see ExchangeFuzz.h for what every input must keep.
#include "ExchangeFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return qcm::fuzz::exchangeRoundTrip(qcm::ExchangeFormat::Gift, data, size);
}
