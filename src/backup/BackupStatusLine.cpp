#include "BackupStatusLine.h"

#include "BankBackups.h"

namespace qcm {

BackupStatusLine::BackupStatusLine(QCMBas &state, bool light, QWidget *parent) : QLabel(parent), m_light(light)
{
    setObjectName(QStringLiteral("lblEtat"));
    setTextFormat(Qt::PlainText);
    setAccessibleDescription(QStringLiteral("Sauvegarde automatique de la base"));
    setMinimumWidth(100);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    BankBackups &backups = BankBackups::of(state);
    connect(&backups, &BankBackups::statusChanged, this, &BackupStatusLine::show);
    show(backups.statusLine(), backups.lastFailed());
}

void BackupStatusLine::show(const QString &line, bool failed)
{
    m_text = line;
    QPalette p = palette();
    p.setColor(QPalette::WindowText,
        failed ? (m_light ? QColor(255, 190, 180) : QColor(170, 20, 20))
               : (m_light ? QColor(225, 235, 245) : QColor(40, 90, 50)));
    setPalette(p);
    QFont f = font();
    f.setBold(failed);
    setFont(f);
    setToolTip(line);
    elide();
    setVisible(!line.isEmpty());
}

void BackupStatusLine::elide()
{
    setText(fontMetrics().elidedText(m_text, Qt::ElideRight, std::max(width(), 100)));
}

void BackupStatusLine::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    elide();
}

} // namespace qcm
