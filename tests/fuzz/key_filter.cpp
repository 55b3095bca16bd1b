// Keys typed one after the other into a filtered field: the first byte picks
// the mode, the rest are the keys (pairs of bytes, UTF-16).
#include "FuzzSupport.h"

#include "input/ClavierBas.h"

using namespace qcm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const int mode = std::array{FilterMode::Digits, FilterMode::SignedPoints, FilterMode::Date, 0, 7}[data[0] % 5];
    QString text;
    for (size_t i = 1; i + 1 < size; i += 2) {
        const char16_t key = char16_t(data[i] | (data[i + 1] << 8));
        const char16_t typed = FilterKey(key, text, mode);
        FUZZ_CHECK(typed == FilterKey(key, text, mode));
        if (typed == 0)
            continue;
        if (typed == KeyBackspace) {
            text.chop(1);
            continue;
        }
        FUZZ_CHECK(typed == 12 || (typed >= u'0' && typed <= u'9') || typed == u'-');
        if (typed == 12)
            continue;
        // A minus sign only where signed points allow it: first, alone.
        FUZZ_CHECK(typed != u'-' || (mode == FilterMode::SignedPoints && text.isEmpty()));
        FUZZ_CHECK(mode != FilterMode::Date || text.size() < 10);
        text.append(QChar(typed));
    }
    for (qsizetype i = 0; i < text.size(); ++i)
        FUZZ_CHECK(text.at(i).isDigit() || (i == 0 && text.at(i) == u'-'));
    return 0;
}
