#pragma once

#include <QString>
#include <QStringView>

namespace qcm {

// What a filtered field accepts; the windows pass these numbers as the mode of
// FilterKey. Any other mode behaves as Digits.
namespace FilterMode {
inline constexpr int Digits = 1; // codes and question numbers
inline constexpr int SignedPoints = 2; // digits after an optional leading minus sign
inline constexpr int Date = 6; // digits, and nothing more once the field holds 10 characters
} // namespace FilterMode

inline constexpr char16_t KeyBackspace = 8;
inline constexpr char16_t KeyEnter = 13;

// The character to type instead of key (a UTF-16 code unit) in a field that
// holds text before the key; 0 discards the key. Digits pass, and so do the
// characters of the AZERTY digit row typed without shift, turned into their
// digit. Enter is discarded: moving the focus on is the caller's part.
char16_t FilterKey(char16_t key, QStringView text, int mode);

// A date field's text and caret, as DateAutoSlash reads and rewrites them.
struct DateFieldText {
    QString text;
    qsizetype caret = 0;
};

// Run after every change of a date field's text, whoever made it, with the
// length its text had after the previous change (0 at first, shared by the
// date fields). Adds the slash after the day and the month while digits are
// typed, and deleting a slash takes the digit before it along. Returns whether
// the text changed; the caret is then at its end. A caller that puts the new
// text back into the field gets a nested call, which changes nothing more.
bool DateAutoSlash(DateFieldText &field, int &DatePreviousLength);

} // namespace qcm
