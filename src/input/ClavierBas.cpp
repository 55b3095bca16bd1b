#include "input/ClavierBas.h"

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

    switch (key) {
    case u'0':
    case u'1':
    case u'2':
    case u'3':
    case u'4':
    case u'5':
    case u'6':
    case u'7':
    case u'8':
    case u'9':
        return key;
    // The AZERTY digit row without shift; its "6" key gives the minus sign, below.
    case u'à':
        return u'0';
    case u'&':
        return u'1';
    case u'é':
        return u'2';
    case u'"':
        return u'3';
    case u'\'':
        return u'4';
    case u'(':
        return u'5';
    case u'è':
        return u'7';
    case u'_':
        return u'8';
    case u'ç':
        return u'9';
    case u'-':
        if (mode != FilterMode::SignedPoints)
            return u'6';
        // Only as the first character; the same key again types the 6 of "-6".
        if (text.isEmpty())
            return key;
        return text == u"-" ? u'6' : 0;
    case 12:
        return key;
    default:
        return 0;
    }
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
