#pragma once

#include "state/QCMBas.h"

#include <QLabel>

namespace qcm {

// One line that tells how the last automatic backup went: a failure in
// red, never in a box, so that it does not stop the work under way. The
// whole sentence is in its tooltip when the line cuts it.
class BackupStatusLine : public QLabel {
    Q_OBJECT

public:
    // light: for a dark background.
    BackupStatusLine(QCMBas &state, bool light, QWidget *parent = nullptr);

    QString fullText() const { return m_text; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void show(const QString &line, bool failed);
    void elide();

    QString m_text;
    bool m_light = false;
};

} // namespace qcm
