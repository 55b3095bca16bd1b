// The reader of a bank as Moodle's question XML; see ExchangeFuzz.h for what every input must keep.
#include "ExchangeFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return qcm::fuzz::exchangeRoundTrip(qcm::ExchangeFormat::MoodleXml, data, size);
}
