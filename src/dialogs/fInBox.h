#pragma once

#include <QDialog>
#include <QString>

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
    void setIniPath(const QString &path) { m_iniPath = path; }

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
    QString m_iniPath;
};

} // namespace qcm
