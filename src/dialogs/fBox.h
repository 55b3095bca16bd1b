#pragma once

#include "ui/Pictures.h"

#include <QDialog>
#include <QPixmap>
#include <QRect>
#include <QString>

#include <array>

class QLabel;
class QPushButton;
class QTextEdit;

namespace qcm {

// The program's own message box: up to three buttons captioned by the caller,
// one of 23 pictures, a text area sized to the message. One window is kept
// hidden between messages and reused, so a message inherits what it does not
// set from the previous one (the positions of buttons 0 and 2 when shown
// without button 1, the picture when the icon number is out of range).
class fBox : public QDialog {
    Q_OBJECT

public:
    static constexpr int kPictureCount = 23;
    static constexpr int kEscapeResult = 99;
    static constexpr int kCloseBoxResult = 2;

    explicit fBox(QWidget *parent = nullptr);
    ~fBox() override;

    // Shows the message modally and returns the button number: 0 is the
    // right-most, 2 the close box, 99 Escape without a cancelling button.
    int showMessage(const QString &message, int icon, const QString &title, const QString &caption0,
        const QString &caption1, const QString &caption2, int alignment);

    // True once the user closed the window with its close box: the caller
    // then drops this window and the next message starts from the design.
    bool closedByCloseBox() const { return m_closedByCloseBox; }

    // The screen height in twips deciding between 30 and 45 lines; 0 asks the
    // screen. Lets a test pretend to run on a small or a large screen.
    static void setScreenHeightTwips(int twips);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void finish(int result);
    void escapePressed();
    void showPicture(int icon);
    void placeButton(int index, int left, int width);
    int wrappedLineCount() const;
    int maxLines() const;

    QLabel *m_picture = nullptr;
    QTextEdit *m_txt = nullptr;
    std::array<QPushButton *, 3> m_cmd{};
    std::array<QPixmap, kPictureCount> m_store;
    // Button positions in twips, kept from one message to the next.
    std::array<int, 3> m_left{};
    std::array<int, 3> m_width{};
    int m_result = 0;
    bool m_closedByCloseBox = false;
};

} // namespace qcm
