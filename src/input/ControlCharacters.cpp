#include "ControlCharacters.h"

namespace qcm {

bool isRefusedControl(QChar c)
{
    const char16_t u = c.unicode();
    if (u == u'\t' || u == u'\n' || u == u'\r')
        return false;
    return u < 0x20 || (u >= 0x7f && u <= 0x9f);
}

qsizetype firstRefusedControl(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (isRefusedControl(text[i]))
            return i;
    return -1;
}

QString withoutRefusedControls(QString text)
{
    text.removeIf(isRefusedControl);
    return text;
}

} // namespace qcm
