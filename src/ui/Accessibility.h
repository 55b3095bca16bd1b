#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace qcm {

// A plain widget made a top-level window is read as a window, by its title,
// as dialogs and main windows are; without this it reads as a "filler".
void readAsWindow(QWidget *window);

// A label that shows data is read by its text alone, never by the caption
// of the group it sits in, and says its role as the description. While it
// is hidden on screen nothing of it can be read: points not yet revealed
// must not be found by a screen reader either.
void readAsData(QLabel *label, const QString &role);

} // namespace qcm
