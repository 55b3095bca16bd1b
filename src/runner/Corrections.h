#pragma once

#include <QString>

#include <optional>

namespace qcm {

class QCMBas;

// Corrections made from the practice window on the question on view, known
// by its reference as the window shows it: Code "." Numero. Nothing here
// touches a widget: each correction returns the text to show once stored.
namespace Corrections {

struct QuestionKey {
    QString code;
    QString numero; // as shown
};
// Code and number of a reference; nothing when it names no question.
std::optional<QuestionKey> splitReference(const QString &reference);

// Asks for the corrected statement and stores it as typed. Nothing when the
// answer is empty, unchanged or cancelled, or when it could not be stored.
std::optional<QString> correctStatement(QCMBas &state, const QString &reference, const QString &oldText);
// The same for the text of choice slot (0 to 5); an empty answer is refused.
std::optional<QString> correctChoice(QCMBas &state, const QString &reference, int slot, const QString &oldText);
// Points the editor at the question's domain and number, and opens it.
void openInEditor(QCMBas &state, const QString &reference);

} // namespace Corrections

} // namespace qcm
