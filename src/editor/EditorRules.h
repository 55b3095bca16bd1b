#pragma once

#include "database/Records.h"
#include "services/DialogService.h"

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace qcm {

// The editor's fields by the indexes every procedure uses: txt(0) code,
// txt(1) domain title, txt(2) number, txt(3) statement, then for choice k the
// text txt(4 + 2k) and the points txt(5 + 2k).
namespace Field {
inline constexpr int Code = 0;
inline constexpr int Title = 1;
inline constexpr int Number = 2;
inline constexpr int Statement = 3;
inline constexpr int Count = 16;
constexpr int choiceText(int k)
{
    return 4 + 2 * k;
}
constexpr int choicePoints(int k)
{
    return 5 + 2 * k;
}
constexpr bool isPoints(int index)
{
    return index >= 5 && index <= 15 && index % 2 == 1;
}
} // namespace Field

// chkOpt(0) to chkOpt(5) follow Speciality; chkOpt(6) keeps them when the
// question fields are emptied.
inline constexpr int kKeepSpecialitiesBox = 6;

// The highest question number a bank holds: the number field of the files
// this program has always exchanged is a 32-bit whole number.
inline constexpr qint64 kHighestQuestionNumber = 2147483647;

// What the editor's fields hold, as plain texts and ticks.
struct EditorEntry {
    std::array<QString, Field::Count> txt;
    std::array<bool, kSpecialityCount> specialities{};
};

// A refused input: the box that says why, and the field that gets the focus
// (-1 when none is named).
struct Refusal {
    BoxRequest box;
    int focus = -1;
};

// A whole number written with digits and an optional sign, blanks around
// allowed; empty when the text is no such number. Digits beyond the 64-bit
// range read as the nearest 64-bit value, so they are refused as too large,
// never wrapped.
std::optional<qint64> wholeNumber(QStringView text);

// The sum of the positive points typed beside the six choices; the rest
// (negative, zero, empty, not a number) adds nothing.
qint64 PositivePointsTotal(const EditorEntry &entry);

// The rules a question must pass before it is stored, in their order; the
// first one broken, or nothing.
std::optional<Refusal> saveRefusal(const EditorEntry &entry);

// Leaving a points field: a number below -6 or above 6 is refused.
std::optional<Refusal> pointsRangeRefusal(const QString &pointsText);

// The row as a save writes it: texts as typed (an empty choice is written as
// an empty text), points only when they are a number, the six flags 0 or 1.
// The number must be valid (saveRefusal passed).
Question questionFromEntry(const EditorEntry &entry);

} // namespace qcm
