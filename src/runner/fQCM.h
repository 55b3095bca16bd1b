#pragma once

#include "dialogs/frmAbout.h"
#include "state/QCMBas.h"
#include "ui/Background.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <array>
#include <map>
#include <memory>

namespace qcm {

class BackupStatusLine;
class MistakesPractice;
class PracticeLog;
class SearchField;

// The about box's view of the program's state.
AboutContext aboutContext(QCMBas &state);

// The practice window: one question of the chosen domain at a time, its
// choices with their tick boxes, and the points revealed on demand or all the
// time in learn mode. Controls keep the indexes the rest of the program knows
// them by: lbl(1), lblLib(i), lblVal(i), chkVal(i), cmd(n).
class fQCM : public QWidget {
    Q_OBJECT

public:
    explicit fQCM(QCMBas &state, QWidget *parent = nullptr);
    ~fQCM() override;

    // The load handler: binds the database, then lays the window out and
    // fills the domain list, which shows the first question.
    void load();

    QLabel *lbl(int i) const { return m_lbl.at(size_t(i)); }
    QLabel *lblLib(int i) const { return m_lblLib.at(size_t(i)); }
    QLabel *lblVal(int i) const { return m_lblVal.at(size_t(i)); }
    QCheckBox *chkVal(int i) const { return m_chkVal.at(size_t(i)); }
    QPushButton *cmd(int i) const;
    QComboBox *lstDomaine() const { return m_lstDomaine; }
    QCheckBox *chkApprendre() const { return m_chkApprendre; }
    QLabel *lblBase() const { return m_lblBase; }
    QString baseCaption() const { return m_baseCaption; }
    QLabel *lblTitre() const { return m_lblTitre; }
    QFrame *fra() const { return m_fra; }
    QTimer *tmrSplash() const { return m_tmrSplash; }
    // The correction menus: on the question, and on a choice text.
    QMenu *mnuPopup() const { return m_mnuPopup; }
    QAction *mnuPop() const { return m_mnuPop; }
    QAction *mnuPop1() const { return m_mnuPop1; }
    QMenu *mnuPopupRep() const { return m_mnuPopupRep; }
    QAction *mnuPopRep() const { return m_mnuPopRep; }

    void FillDomainList();
    void LoadDomainQuestions(const QString &entry);
    void ShowQuestion(qint64 index);
    // Puts a question on the window with its ticks cleared, its points shown
    // as stored; nothing leaves the texts as they were.
    void displayQuestion(const std::optional<Question> &question);
    void ShowEmptyDomain();
    void ShowNextQuestion();
    void ShowPreviousQuestion();
    void ApplyLearnMode();

    // The domain list's click: what the user's choice of an entry runs.
    void domainClicked();
    // The gradient, and the stars unless switched off; on every paint.
    void paintBackground(PaintTarget &target, const std::function<double()> &rnd);
    // The about box, created on first use.
    frmAbout *aboutBox() const { return m_about; }
    // The search box over the bank (Ctrl+F).
    SearchField *txtRecherche() const { return m_search; }
    // How the last automatic backup went, under the question.
    BackupStatusLine *lblEtat() const { return m_status; }
    // Shows a question found, in its domain, as if walked to.
    void showFoundQuestion(const QString &code, qint64 numero);
    // The bank question on view, as read when it was shown.
    const std::optional<Question> &questionOnView() const { return m_onView; }

    // Where checks are recorded for the candidate chosen in the window.
    void setPracticeLog(std::unique_ptr<PracticeLog> log);
    // The candidate's mistakes in a list of their own beside the domains,
    // practised with the usual ticks, check and learn mode.
    void practiseMistakes(const QString &candidate);
    QComboBox *cmbCandidat() const;
    MistakesPractice *mistakesPractice() const { return m_practice; }

Q_SIGNALS:
    void quitRequested();
    void splashTimerElapsed();
    // Right clicks handed to the corrections: on a label of the window, and
    // on a choice text that is not empty (slot 0 to 5).
    void questionMenuRequested(const QPoint &globalPos);
    void choiceMenuRequested(int slot, const QPoint &globalPos);
    // The statement of a question has been painted.
    void questionPainted();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class KeyPreview : public QObject {
    public:
        explicit KeyPreview(fQCM *window) : m_window(window) { }
        bool eventFilter(QObject *watched, QEvent *event) override;

    private:
        fQCM *m_window;
    };

    bool previewKey(QObject *watched, QEvent *event);
    void buildControls();
    void layoutWindow();
    // Where the title ends, from the top of the window.
    int titleBottom() const;
    void onCommand(int index);
    void onTickChanged();
    void revealPoints();
    void onLearnModeClicked();
    void onChoiceTextReleased(int slot, Qt::MouseButton button, const QPoint &globalPos);
    void toggle(int slot);
    void nameTick(int slot);
    void showPoints(int slot, const QVariant &stored);
    void showInvitation();
    void clearQuestionArea(const QString &statement);
    void activated();
    void showAbout();
    void correctStatement();
    void correctChoice();
    void keyboardMenu();

    QCMBas &m_state;
    QFrame *m_fra = nullptr;
    QScrollArea *m_scroll = nullptr;
    QComboBox *m_lstDomaine = nullptr;
    std::array<QLabel *, 4> m_lbl{};
    std::array<QLabel *, 6> m_lblLib{};
    std::array<QLabel *, 6> m_lblVal{};
    std::array<QCheckBox *, 6> m_chkVal{};
    std::map<int, QPushButton *> m_cmd;
    QCheckBox *m_chkApprendre = nullptr;
    QLabel *m_lblTitre = nullptr;
    QLabel *m_lblBase = nullptr;
    QString m_baseCaption;
    QTimer *m_tmrSplash = nullptr;
    QMenu *m_mnuPopup = nullptr;
    QAction *m_mnuPop = nullptr;
    QAction *m_mnuPop1 = nullptr;
    QMenu *m_mnuPopupRep = nullptr;
    QAction *m_mnuPopRep = nullptr;
    QCursor m_pointer;
    QPointer<frmAbout> m_about;
    SearchField *m_search = nullptr;
    BackupStatusLine *m_status = nullptr;
    QPointer<QWindow> m_previousFocusWindow;
    std::unique_ptr<KeyPreview> m_keyPreview;
    MistakesPractice *m_practice = nullptr;
    std::optional<Question> m_onView;
};

} // namespace qcm
