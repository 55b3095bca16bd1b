#include "Splash.h"

#include "Background.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>

namespace qcm {

Splash::Splash(const QPixmap &picture, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_picture(picture)
{
    setObjectName(QStringLiteral("fSplash"));
    setAccessibleName(QStringLiteral("Écran de démarrage"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(m_picture.deviceIndependentSize().toSize());
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2 - Twips::toPixels(260));
    }
}

void Splash::showNow()
{
    show();
    raise();
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void Splash::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
}

} // namespace qcm
