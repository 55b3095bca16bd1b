#pragma once

#include <QPixmap>
#include <QWidget>

namespace qcm {

// fSplash: the start-up picture, above every window, centred horizontally and
// raised 260 twips above the vertical centre of the screen.
class Splash : public QWidget {
    Q_OBJECT

public:
    explicit Splash(const QPixmap &picture, QWidget *parent = nullptr);
    // Shows the splash and paints it at once, before the runner loads.
    void showNow();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
};

// The start-up picture read from its file. A plain 24-bit BMP, as shipped,
// is read straight into the pixmap's own pixels and kept in no cache, so
// that it is freed with the splash; any other picture is read as before.
QPixmap splashPicture(const QString &path);

} // namespace qcm
