#pragma once

#include <QColor>
#include <QFont>

class QWidget;

namespace qcm {

// How a question is put on screen, shared by every window that shows one to
// a student (practice and mock exam), so that both read alike.
namespace QuestionLook {

inline const QColor kWindowColour{98, 112, 138};
inline const QColor kPanelColour{41, 58, 96};
inline const QColor kGradientTop{41, 57, 93};
inline const QColor kGradientBottom{92, 163, 207};
inline const QColor kReferenceColour{190, 210, 235};

// A few fonts only: each new size or weight costs the font system a search.
inline constexpr double kSmall = 9.5;
inline constexpr double kNormal = 11;
inline constexpr double kStatement = 13.5;

// The choice rows, in twips: a choice text's least height, and the points
// label's width and height.
inline constexpr int kChoiceMinHeight = 560;
inline constexpr int kPointsMinWidth = 780;
inline constexpr int kPointsHeight = 450;

QFont sized(QFont f, double points, bool bold = false);
void setColours(QWidget *w, const QColor &background, const QColor &text);
void setTextColour(QWidget *w, const QColor &text);

} // namespace QuestionLook

} // namespace qcm
