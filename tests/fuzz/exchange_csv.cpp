// The reader of a bank as a spreadsheet; see ExchangeFuzz.h for what every input must keep.
#include "ExchangeFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return qcm::fuzz::exchangeRoundTrip(qcm::ExchangeFormat::Csv, data, size);
}
