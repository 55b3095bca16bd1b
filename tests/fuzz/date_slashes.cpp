// A date field edited at will: each byte types a digit, deletes the last
// character, or replaces the whole text as the program does; the slashes are
// put in after every change, as the window does.
#include "FuzzSupport.h"

#include "input/ClavierBas.h"

using namespace qcm;

namespace {

// The window runs the routine after every change, and again when the routine
// itself rewrote the text; that nested run has nothing left to do.
void changed(DateFieldText &field, int &previousLength)
{
    const QString before = field.text;
    if (DateAutoSlash(field, previousLength)) {
        FUZZ_CHECK(field.caret == field.text.size());
        DateFieldText again = field;
        int nested = previousLength;
        FUZZ_CHECK(!DateAutoSlash(again, nested) && again.text == field.text);
    }
    FUZZ_CHECK(field.text.size() <= before.size() + 1);
    FUZZ_CHECK(field.caret >= 0 && field.caret <= field.text.size());
    FUZZ_CHECK(previousLength >= 0 && previousLength < 10 && previousLength <= field.text.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    DateFieldText field;
    int previousLength = 0;
    bool typedOnly = true;
    for (size_t i = 0; i < size; ++i) {
        const uint8_t op = data[i];
        if (op < 200) {
            // Typed as the key filter lets it through: digits, ten at most.
            if (field.text.size() >= 10)
                continue;
            field.text.append(QChar(u'0' + op % 10));
        } else if (op < 250) {
            if (field.text.isEmpty())
                continue;
            field.text.chop(1);
        } else {
            typedOnly = false;
            field.text = QStringLiteral("1/2/34/5678901").left(op - 250 + 2);
        }
        field.caret = field.text.size();
        changed(field, previousLength);
        // Typed digits always read as the beginning of "dd/mm/yyyy".
        if (typedOnly)
            for (qsizetype p = 0; p < field.text.size(); ++p)
                FUZZ_CHECK((p == 2 || p == 5) ? field.text.at(p) == u'/' : field.text.at(p).isDigit());
    }
    return 0;
}
