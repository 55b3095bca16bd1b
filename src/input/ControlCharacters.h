#pragma once

#include <QString>
#include <QStringView>

namespace qcm {

// Texts of the bank keep tab, line feed and carriage return; every other
// control character (U+0000 to U+001F, U+007F, U+0080 to U+009F) is refused:
// other tools cut a text at its NUL, and none of them shows on screen.
bool isRefusedControl(QChar c);

// The position of the first refused character, or -1 when there is none.
qsizetype firstRefusedControl(QStringView text);

// The text without its refused characters.
QString withoutRefusedControls(QString text);

} // namespace qcm
