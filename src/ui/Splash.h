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

} // namespace qcm
