#pragma once

#include <QDialog>
#include <QString>
#include <QUrl>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;

namespace qcm {

class DialogService;

// What the about box shows and changes, handed over by its owner: the box
// never reaches the program's state itself.
struct AboutContext {
    DialogService *dialogs = nullptr;
    QString version;
    std::function<bool()> starsShown;
    // Switches the starry sky and remembers the choice; false with the reason
    // when it could not be remembered (the switch then holds for this run).
    std::function<bool(bool on, QString *why)> showStars;
    // The program folder, the bank and the settings file, as shown by "Infos système".
    std::function<QString()> programFolder, bankPath, settingsPath;
};

// The about box: title, version, credits and the association's web site,
// the switch of the starry sky, and a summary of the system. Modeless.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(AboutContext context, QWidget *parent = nullptr);
    ~frmAbout() override;

    // The connection test and the browser, replaceable so that a test can
    // run without either.
    void setConnectionTest(std::function<bool()> test) { m_isConnected = std::move(test); }
    void setUrlOpener(std::function<bool(const QUrl &)> opener) { m_openUrl = std::move(opener); }

    void openWebSite();
    void StartSysInfo();
    // The summary shown by StartSysInfo; empty when the system cannot be identified.
    QString systemInformation() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void switchStars(bool on);

    AboutContext m_context;
    std::function<bool()> m_isConnected;
    std::function<bool(const QUrl &)> m_openUrl;
    QLabel *m_web = nullptr;
    QLabel *m_logo = nullptr;
    QCheckBox *m_chk = nullptr;
    QPushButton *m_ok = nullptr;
};

} // namespace qcm
