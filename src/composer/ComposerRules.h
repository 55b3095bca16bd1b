#pragma once

#include "database/Records.h"
#include "services/DialogService.h"

#include <QDate>
#include <QString>
#include <QVariant>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace qcm {

// What the composer aims at, and warns beyond.
inline constexpr int kQuestionnaireSize = 60;

using SpecialityTicks = std::array<bool, kSpecialityCount>;

// The text of a question in the composer's lists: Code + "/" + Numero + "- "
// + statement. It is also the key that matches a stored row to the bank.
QString candidateLine(const QString &code, const QString &numero, const QString &statement);
// A stored Numero as the lists show it: a whole number in decimal, empty when Null.
QString numeroText(const QVariant &numero);

struct CandidateKey {
    QString code;
    QString numero;
    QString statement;
};
// Reads a line back: the code before the first "/", the number up to the
// next "-", the statement after the "- " that follows.
CandidateKey parseCandidateLine(const QString &line);

// A real calendar date typed "dd/mm/yyyy" (31/02/2025 is not one).
bool isValidDate(const QString &text);
QString dateText(const QDate &date);

// What is still to do, after the count of the status line.
QString reminderText(const QString &name, const QString &date, bool modified);

struct Rgb {
    int red = 0, green = 0, blue = 0;
    bool operator==(const Rgb &) const = default;
};

struct StatusLine {
    QString text;
    std::optional<Rgb> colour; // none: the usual text colour
    bool beep = false;
};
StatusLine statusLine(qint64 selected, const QString &reminder);

// The title the speciality field receives after a change of the boxes: with
// exactly one box ticked, its certificate title after the mouse, nothing
// after the keyboard; otherwise the placeholder.
QString titleAfterMouse(const SpecialityTicks &ticked);
QString titleAfterKey(const SpecialityTicks &ticked);

// Positions among count entries drawn one after the other, each draw uniform
// over the whole list and drawn again when already picked: the first wanted
// distinct positions, in the order drawn. rnd gives uniform numbers in [0, 1).
// Needs wanted <= count.
std::vector<qint64> drawDistinctPositions(qint64 count, int wanted, const std::function<double()> &rnd);

// The checks of a save, in order. A refusal says what to tell the user and
// where to send them.
struct SaveInput {
    QString name;
    QString date;
    SpecialityTicks ticked{};
    QString titleField;
    bool hasQuestions = false;
};

enum class SaveFocus { None, Name, Date, Title };

struct SaveRefusal {
    BoxRequest box;
    SaveFocus focus = SaveFocus::None;
    bool showQuestionnaireTab = false;
};

struct SaveDecision {
    std::optional<SaveRefusal> refusal;
    QString title; // the speciality title to store when accepted
};
SaveDecision checkSave(const SaveInput &input);

} // namespace qcm
