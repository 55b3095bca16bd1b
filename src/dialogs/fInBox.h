#pragma once

#include <QDialog>

#include <QString>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qcm {

// The program's one-line input box: a prompt, a text offered fully selected
// for overwriting, "OK" and "Annuler". Hidden, not destroyed, between calls.
class fInBox : public QDialog {
    Q_OBJECT

public:
    explicit fInBox(QWidget *parent = nullptr);
    ~fInBox() override;

    // Where the position is written after a button; empty writes nothing.
    // Told where the box stood when it closed, in twips; nothing is kept without it.
    void setPlaceKeeper(std::function<void(int left, int top)> keeper) { m_keepPlace = std::move(keeper); }

    // Shows the box modally. left and top are in twips, 0 meaning centred on
    // the screen; a 0 is replaced by the position used. Returns the text as
    // typed after "OK", an empty text otherwise.
    QString ask(const QString &prompt, const QString &title, const QString &defaultText, int &left, int &top);

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

public Q_SLOTS:
    void reject() override;

private:
    void buttonClicked(int index);
    void layOut();

    QLabel *m_lbl = nullptr;
    QLineEdit *m_txt = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    QLabel *m_picture = nullptr;
    std::function<void(int left, int top)> m_keepPlace;
};

} // namespace qcm
