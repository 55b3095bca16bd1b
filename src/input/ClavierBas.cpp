#include "input/ClavierBas.h"

#include <string_view>

namespace qcm {

namespace {

constexpr qsizetype kDateLength = 10; // "dd/mm/yyyy"

} // namespace

char16_t FilterKey(char16_t key, QStringView text, int mode)
{
    if (key == KeyBackspace)
        return key;
    if (mode == FilterMode::Date && text.size() >= kDateLength)
        return 0;

    if ((key >= u'0' && key <= u'9') || key == 12)
        return key;
    if (key == u'-') {
        if (mode != FilterMode::SignedPoints)
            return u'6';
        // Only as the first character; the same key again types the 6 of "-6".
        if (text.isEmpty())
            return key;
        return text == u"-" ? u'6' : 0;
    }
    // The AZERTY digit row without shift, from 0 to 9; its 6 is the minus key, above.
    constexpr std::u16string_view kAzertyRow = u"à&é\"'(-è_ç";
    const auto digit = kAzertyRow.find(key);
    return digit == kAzertyRow.npos ? 0 : char16_t(u'0' + digit);
}

bool DateAutoSlash(DateFieldText &field, int &DatePreviousLength)
{
    const qsizetype length = field.text.size();
    bool changed = false;
    if (length < DatePreviousLength) {
        // A deleted slash takes the digit before it along, so that typing that
        // digit again brings the slash back.
        if (length == 2 || length == 5) {
            field.text.truncate(length - 1);
            changed = true;
        }
    } else if (length == 2 || length == 5) {
        field.text.append(u'/');
        changed = true;
    }
    if (changed)
        field.caret = field.text.size();

    // A complete date lets the next entry in the field start afresh.
    DatePreviousLength = field.text.size() == kDateLength ? 0 : int(field.text.size());
    return changed;
}

} // namespace qcm
